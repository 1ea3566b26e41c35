#pragma once
#include "history/InterruptedLoads.h"

#include <QString>
#include <QStringList>

class TSerialDataModule;

// What the fitter can do about a load that was cut short, once the unit it
// went into is connected again: finish it (only what is still missing is
// written, through the fast load), put the unit back as it was before it,
// or leave the unit as it is (and not be asked again). Both programs offer
// the same three; either way the result is noted like any load.
class LoadRecovery {
public:
  LoadRecovery(TSerialDataModule &module, const WorkshopHistory &history) : m_module(module), m_loads(history) {}

  // The load cut short into the unit on line; Number 0 when there is none.
  InterruptedLoads::Load Pending() const;

  // How many values of the file, and of the unit before the load, the unit
  // does not hold now (-1 where a copy cannot be read).
  struct Standing {
    int FromFile = -1;
    int FromBefore = -1;
  };
  Standing Compare(const InterruptedLoads::Load &load) const;

  enum class Choice { Finish, PutBack, Leave };
  // False, with the reason, when a copy is missing or damaged (nothing is
  // written then) or the load did not go through (it is offered again).
  bool Carry(const InterruptedLoads::Load &load, Choice choice, QString *reason = nullptr);

  // The question, in the fitter's language, and its three answers in the
  // order of Choice.
  QString Question(const InterruptedLoads::Load &load) const;
  QStringList Choices(const InterruptedLoads::Load &load) const;

  static constexpr int TEXT_QUESTION = 370;
  static constexpr int TEXT_CHOICES = 371;
  static constexpr int TEXT_TITLE = 372;
  static constexpr int TEXT_COPY_DAMAGED = 373;
  static constexpr int TEXT_NOT_FINISHED = 374;
  static constexpr int TEXT_STANDING = 375;
  static constexpr int TEXT_UNDO_CUT_SHORT = 481;
  static constexpr int TEXT_REDO_CUT_SHORT = 482;
  static constexpr int TEXT_REPLAY_STANDING = 483;
  static constexpr int TEXT_REPLAY_CHOICES = 484;

private:
  TSerialDataModule &m_module;
  InterruptedLoads m_loads;
};

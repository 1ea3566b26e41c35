#pragma once
#include "dataitems/ItemWrite.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

class TNoxNumber;
class TSerialDataModule;

// The fitter's actions on the unit, newest last, so that Ctrl+Z can take
// them back one at a time and Ctrl+Y give them again. It hears every write
// the items make (ItemWriteTap) and keeps, per user action, each parameter's
// raw value before and after, handler writes included: putting back the old
// raw values in reverse order restores every byte the action touched
// exactly. The set-data handlers are held back meanwhile, because the record
// already holds every byte they wrote; the affected items are read again
// afterwards, which re-runs their read handlers and redraws the controls.
//
// The record only makes sense for the unit it was taken from, as it was:
// it is dropped when a connection is read or closed, when the line is lost
// and when the EEPROM is erased.
class UndoStack : public QObject {
  Q_OBJECT
public:
  explicit UndoStack(TSerialDataModule &module, QObject *parent = nullptr);
  ~UndoStack() override;
  UndoStack(const UndoStack &) = delete;
  UndoStack &operator=(const UndoStack &) = delete;

  int UndoCount() const { return static_cast<int>(m_undo.size()); }
  int RedoCount() const { return static_cast<int>(m_redo.size()); }

  enum class Outcome {
    Done,
    Nothing, // nothing to undo (redo)
    Refused, // the unit did not take a value: told to the fitter
  };
  Outcome Undo();
  Outcome Redo();
  void Clear();
  // The action last undone or redone: the parameter the fitter changed in
  // it (its first write; the handlers' writes follow it) and the bits that
  // changed, so that a window can show the field. Null before any.
  TNoxNumber *LastReplayedItem() const;
  std::int32_t LastReplayedBits() const { return m_lastBits; }

  static constexpr int TEXT_UNDO_REFUSED = 245;
  static constexpr int TEXT_REDO_REFUSED = 246;
  static constexpr int TEXT_PARTLY_PUT_BACK = 247;
  static constexpr int TEXT_LINE_LOST_UNDO = 248;
  static constexpr int TEXT_CONNECT_AGAIN = 400;
  static constexpr int TEXT_UNDO = 249;
  static constexpr int TEXT_REDO = 250;

Q_SIGNALS:
  void Changed();

private:
  struct Step {
    QPointer<TNoxNumber> Item;
    std::int32_t OldRaw;
    std::int32_t NewRaw;
  };
  struct Action {
    std::uint64_t Id;
    std::vector<Step> Steps; // in the order they were written
  };

  void Record(const ItemWrite &write);
  Outcome Replay(bool undo);
  // Writes the steps [0, count) of `order`, old or new values; false at the
  // first the unit does not take, with *written set to how many it took.
  bool WriteSteps(const std::vector<const Step *> &order, bool oldValues, std::size_t *written);
  bool WriteStep(TNoxNumber *item, std::int32_t raw);
  void ReadAgain(const Action &action);
  // The unit's configuration as the replay of `order` leaves it, worked out
  // on the items' cached values without a single exchange.
  QByteArray TargetText(const std::vector<const Step *> &order, bool oldValues);
  void LineStateChanged(bool connected);

  TSerialDataModule &m_module;
  std::vector<Action> m_undo;
  std::vector<Action> m_redo;
  int m_tapKey = 0;
  // The newest action may still grow: another write of the same user action.
  bool m_newestOpen = false;
  QPointer<TNoxNumber> m_lastItem;
  std::int32_t m_lastBits = 0;
  bool m_replaying = false;
  bool m_replayRefused = false;
};

#pragma once
#include "platform/UserInterface.h"
#include "platform/WaitProgress.h"

#include <QStringList>

#include <QList>

// Installs itself as the user interface for its lifetime and records every
// message instead of showing it.
class RecordingUserInterface : public UserInterface {
public:
  struct Message {
    QString Text;
    QString Title;
    MessageIcon Icon;
  };

  RecordingUserInterface() { UserInterface::SetCurrent(this); }
  ~RecordingUserInterface() override { UserInterface::SetCurrent(nullptr); }

  void ShowMessage(const QString &text, const QString &title, MessageIcon icon) override {
    Messages.append({text, title, icon});
  }
  void ShowStatusWarning(const QString &text) override { StatusWarnings.append(text); }
  void BeginWait(const WaitRequest &request) override {
    Waits.append(request);
    Progress.Apply(0, true);
    Waiting = true;
    Events << QStringLiteral("BeginWait(%1,%2)").arg(request.CaptionTextId).arg(request.LabelTextId);
  }
  void SetProgress(std::uint8_t amount, bool absolute) override {
    Progress.Apply(amount, absolute);
    Positions.append(Progress.Position());
  }
  bool WaitVisible() const override { return Waiting; }
  void EndWait() override {
    Waiting = false;
    Events << QStringLiteral("EndWait");
  }
  void SetBusyCursor(bool busy) override { Events << (busy ? QStringLiteral("Busy") : QStringLiteral("Idle")); }
  // Answers the questions with several answers in turn (-1 when none is left).
  int AskChoice(const QString &text, const QString &title, const QStringList &choices) override {
    Choices << text + QStringLiteral(" | ") + title + QStringLiteral(" | ") + choices.join(QLatin1Char('|'));
    return ChoiceAnswers.isEmpty() ? -1 : ChoiceAnswers.takeFirst();
  }
  QStringList Choices;
  QList<int> ChoiceAnswers;

  QList<Message> Messages;
  QStringList StatusWarnings;
  QList<WaitRequest> Waits;
  QList<int> Positions;
  QStringList Events;
  WaitProgress Progress;
  bool Waiting = false;
};

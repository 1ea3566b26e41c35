#pragma once
#include "platform/WaitProgress.h"

#include <QMetaObject>
#include <QWidget>
#include <cstdint>
#include <memory>

namespace Ui {
class TFormAttesa;
}

// The small window a long operation shows while it runs: a caption, one line
// saying what happens, a busy animation, the progress bar and "N% completed".
// Non-modal; every progress change lets pending events run, so the program
// stays responsive and the protocol library's messages get through.
class TFormAttesa : public QWidget {
  Q_OBJECT
public:
  explicit TFormAttesa(QWidget *owner = nullptr);
  ~TFormAttesa() override;

  void SetLabel(const QString &text);
  // The word after the percentage (text 21).
  void SetCompletedText(const QString &text);
  // Absolute: position := amount; relative: position + amount, modulo 256.
  void SetProgress(std::uint8_t amount, bool absolute);
  std::uint8_t Position() const { return m_progress.Position(); }
  QString CompletedLine() const;

  // Brings a minimised application back when it is activated again.
  static void RestoreMinimisedWindows();

protected:
  // MSG_PROGRESS: WParam the amount, LParam non-zero for a relative step.
  bool event(QEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void ShowProgress();

  std::unique_ptr<Ui::TFormAttesa> m_ui;
  WaitProgress m_progress;
  QString m_completedText;
  QMetaObject::Connection m_activationHandler;
};

// The wait window of the long operation that runs now; null between them.
extern TFormAttesa *FormAttesa;

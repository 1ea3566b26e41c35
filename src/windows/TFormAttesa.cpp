#include "windows/TFormAttesa.h"

#include "NoxProtocolObject.h"
#include "dataitems/NoxMessageEvent.h"
#include "ui_TFormAttesa.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>

TFormAttesa *FormAttesa = nullptr;

TFormAttesa::TFormAttesa(QWidget *owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_ui(std::make_unique<Ui::TFormAttesa>()) {
  m_ui->setupUi(this);
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  m_progress.Apply(static_cast<std::uint8_t>(m_ui->LMDProgressFill->value()), true);
  // The handler does not refer to this window, so a window destroyed without
  // being closed leaves nothing dangerous behind.
  m_activationHandler =
      connect(qApp, &QGuiApplication::applicationStateChanged, qApp, [](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
          RestoreMinimisedWindows();
      });
}

TFormAttesa::~TFormAttesa() {
  if (FormAttesa == this)
    FormAttesa = nullptr;
}

void TFormAttesa::SetLabel(const QString &text) {
  m_ui->Label->setText(text);
}

void TFormAttesa::SetCompletedText(const QString &text) {
  m_completedText = text;
  ShowProgress();
}

QString TFormAttesa::CompletedLine() const {
  return m_ui->LabelCompleted->text();
}

void TFormAttesa::SetProgress(std::uint8_t amount, bool absolute) {
  m_progress.Apply(amount, absolute);
  ShowProgress();
  QCoreApplication::processEvents();
}

void TFormAttesa::ShowProgress() {
  // The bar ends at 100; the line shows the position as it is, wrapped or not.
  m_ui->LMDProgressFill->setValue(qMin<int>(m_progress.Position(), m_ui->LMDProgressFill->maximum()));
  m_ui->LabelCompleted->setText(m_progress.Line(m_completedText));
}

bool TFormAttesa::event(QEvent *event) {
  const auto *message = dynamic_cast<const NoxMessageEvent *>(event);
  if (!message || message->Message() != MSG_PROGRESS)
    return QWidget::event(event);
  m_progress.Apply(static_cast<std::uint8_t>(message->WParam()), message->LParam() == 0);
  ShowProgress();
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->isVisible())
      window->repaint();
  QCoreApplication::processEvents();
  return true;
}

void TFormAttesa::closeEvent(QCloseEvent *event) {
  // Some window managers keep a close button whatever the window asks for;
  // the operation that owns the window decides when it ends.
  if (event->spontaneous()) {
    event->ignore();
    return;
  }
  disconnect(m_activationHandler);
  QWidget::closeEvent(event);
}

void TFormAttesa::RestoreMinimisedWindows() {
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->isMinimized())
      window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}

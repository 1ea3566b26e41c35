#include "windows/DesktopUserInterface.h"

#include "windows/TFormAttesa.h"

#include <QGuiApplication>
#include <QMessageBox>

DesktopUserInterface::DesktopUserInterface() {
  UserInterface::SetCurrent(this);
}

DesktopUserInterface::~DesktopUserInterface() {
  EndWait();
  while (m_busyDepth > 0)
    SetBusyCursor(false);
  UserInterface::SetCurrent(nullptr);
}

void DesktopUserInterface::ShowMessage(const QString &text, const QString &title, MessageIcon icon) {
  QMessageBox::Icon boxIcon = QMessageBox::Critical;
  switch (icon) {
  case MessageIcon::Error:
    boxIcon = QMessageBox::Critical;
    break;
  case MessageIcon::Warning:
    boxIcon = QMessageBox::Warning;
    break;
  case MessageIcon::Information:
    boxIcon = QMessageBox::Information;
    break;
  case MessageIcon::Question:
    boxIcon = QMessageBox::Question;
    break;
  }
  QMessageBox box(boxIcon, title, text, QMessageBox::Ok);
  box.exec();
}

void DesktopUserInterface::BeginWait(const WaitRequest &request) {
  EndWait();
  FormAttesa = new TFormAttesa(m_owner);
  FormAttesa->setWindowTitle(request.Caption);
  FormAttesa->SetLabel(request.Label);
  FormAttesa->SetCompletedText(request.CompletedText);
  FormAttesa->SetProgress(0, true);
  FormAttesa->show();
  FormAttesa->repaint();
}

void DesktopUserInterface::SetProgress(std::uint8_t amount, bool absolute) {
  if (FormAttesa)
    FormAttesa->SetProgress(amount, absolute);
}

bool DesktopUserInterface::WaitVisible() const {
  return FormAttesa && FormAttesa->isVisible();
}

void DesktopUserInterface::EndWait() {
  if (!FormAttesa)
    return;
  TFormAttesa *window = FormAttesa;
  FormAttesa = nullptr;
  window->close();
  // Later, not now: the end may be reached from an event that the window's
  // own progress step is still processing.
  window->deleteLater();
}

void DesktopUserInterface::SetBusyCursor(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    ++m_busyDepth;
  } else if (m_busyDepth > 0) {
    QGuiApplication::restoreOverrideCursor();
    --m_busyDepth;
  }
}

bool DesktopUserInterface::AskYesNo(const QString &text, const QString &title) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

#include "windows/DesktopUserInterface.h"

#include "windows/TFormAttesa.h"
#include "windows/TFormMain.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>

namespace {
// The room a message may take on the screen; a text that would need more
// than half of it scrolls.
int ScreenHeight() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry().height() : 600;
}

bool NeedsScrolling(const QString &text) {
  const QFontMetrics metrics(QApplication::font());
  const int height = metrics.boundingRect(QRect(0, 0, 500, 1 << 20), Qt::TextWordWrap, text).height();
  return height > ScreenHeight() / 2;
}

// A message with a long list (the values a load could not write, say): a
// message box grows with its text past the bottom of the screen, hiding its
// own button. The first line stays in view, the rest scrolls.
void ShowScrollingMessage(const QString &text, const QString &title, QStyle::StandardPixmap icon) {
  QDialog dialog;
  dialog.setObjectName(QStringLiteral("ScrollingMessage"));
  dialog.setWindowTitle(title);
  auto *grid = new QGridLayout(&dialog);
  auto *iconLabel = new QLabel(&dialog);
  const int iconSize = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
  iconLabel->setPixmap(dialog.style()->standardIcon(icon, nullptr, &dialog).pixmap(iconSize, iconSize));
  grid->addWidget(iconLabel, 0, 0, 2, 1, Qt::AlignTop);
  const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
  auto *headline = new QLabel(lineEnd < 0 ? QString() : text.left(lineEnd), &dialog);
  headline->setObjectName(QStringLiteral("Headline"));
  headline->setWordWrap(true);
  headline->setTextFormat(Qt::PlainText);
  grid->addWidget(headline, 0, 1);
  auto *list = new QLabel(lineEnd < 0 ? text : text.mid(lineEnd + 1));
  list->setWordWrap(true);
  list->setObjectName(QStringLiteral("List"));
  list->setTextFormat(Qt::PlainText);
  list->setTextInteractionFlags(Qt::TextSelectableByMouse);
  list->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  list->setMargin(4);
  auto *scroll = new QScrollArea(&dialog);
  scroll->setWidget(list);
  scroll->setWidgetResizable(true);
  scroll->setFocusPolicy(Qt::NoFocus); // Enter and Esc stay with the button
  scroll->setMinimumHeight(ScreenHeight() / 3);
  scroll->setMaximumHeight(ScreenHeight() / 2);
  scroll->setMinimumWidth(qMin(list->sizeHint().width() + 30, 600));
  grid->addWidget(scroll, 1, 1);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  grid->addWidget(buttons, 2, 0, 1, 2);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Ok)->setFocus(Qt::OtherFocusReason);
  dialog.exec();
}
} // namespace

// Drops the user's input to the windows that were open when it was created.
// Windows opened later (a message box in the middle of an operation, the
// wait window itself) work as usual.
class DesktopUserInterface::InputBlock : public QObject {
public:
  InputBlock() {
    for (QWidget *window : QApplication::topLevelWidgets())
      if (window->isVisible())
        m_blocked.append(window);
    qApp->installEventFilter(this);
  }
  ~InputBlock() override { qApp->removeEventFilter(this); }
  InputBlock(const InputBlock &) = delete;
  InputBlock &operator=(const InputBlock &) = delete;

protected:
  bool eventFilter(QObject *receiver, QEvent *event) override {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
      if (!Blocked(receiver, false))
        return false;
      // Claimed as a plain key, so that no shortcut runs for it; the key
      // itself is dropped when it arrives.
      event->accept();
      return true;
    case QEvent::Shortcut:
      return Blocked(receiver, true);
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
      if (!Blocked(receiver, false))
        return false;
      event->ignore();
      return true;
    case QEvent::Close:
      // The window manager's close button or Alt+F4; the program's own
      // closing of a window goes on.
      if (!event->spontaneous() || !Blocked(receiver, false))
        return false;
      event->ignore();
      return true;
    default:
      return false;
    }
  }

private:
  // The top-level window an event's receiver belongs to. A shortcut goes to
  // an action or shortcut object, which belongs to its owner's window; a menu
  // belongs to the window it opened from.
  static QWidget *WindowOf(QObject *receiver) {
    for (QObject *object = receiver; object; object = object->parent()) {
      if (object->isWindowType()) {
        for (QWidget *window : QApplication::topLevelWidgets())
          if (window->windowHandle() == object)
            return window;
        return nullptr;
      }
      if (!object->isWidgetType())
        continue;
      QWidget *window = static_cast<QWidget *>(object)->window();
      while (window->windowType() == Qt::Popup && window->parentWidget())
        window = window->parentWidget()->window();
      return window;
    }
    return nullptr;
  }

  // A shortcut of no window at all is blocked too: nothing may start now.
  bool Blocked(QObject *receiver, bool shortcut) const {
    QWidget *window = WindowOf(receiver);
    if (!window)
      return shortcut;
    for (const QPointer<QWidget> &blocked : m_blocked)
      if (blocked == window)
        return true;
    return false;
  }

  QList<QPointer<QWidget>> m_blocked;
};

DesktopUserInterface::DesktopUserInterface() {
  UserInterface::SetCurrent(this);
}

DesktopUserInterface::~DesktopUserInterface() {
  m_levels.clear();
  if (m_window) {
    m_window->close();
    delete m_window;
  }
  FormAttesa = nullptr;
  while (m_busyDepth > 0) {
    QGuiApplication::restoreOverrideCursor();
    --m_busyDepth;
  }
  m_block.reset();
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
  if (NeedsScrolling(text)) {
    const QStyle::StandardPixmap pixmap = boxIcon == QMessageBox::Warning       ? QStyle::SP_MessageBoxWarning
                                          : boxIcon == QMessageBox::Information ? QStyle::SP_MessageBoxInformation
                                          : boxIcon == QMessageBox::Question    ? QStyle::SP_MessageBoxQuestion
                                                                                : QStyle::SP_MessageBoxCritical;
    ShowScrollingMessage(text, title, pixmap);
    return;
  }
  QMessageBox box(boxIcon, title, text, QMessageBox::Ok);
  box.exec();
}

void DesktopUserInterface::ShowTexts(const WaitRequest &request) {
  m_window->setWindowTitle(request.Caption);
  m_window->SetLabel(request.Label);
  m_window->SetCompletedText(request.CompletedText);
}

void DesktopUserInterface::BeginWait(const WaitRequest &request) {
  if (m_window) {
    // Begun inside another operation (from an event its progress let run):
    // the window stays the outer one's, and so does its end.
    m_levels.push_back({request, m_window->Position()});
    ShowTexts(request);
    m_window->SetProgress(0, true);
    return;
  }
  QWidget *owner = qobject_cast<QWidget *>(request.Owner);
  owner = owner ? owner->window() : m_owner.data();
  m_levels.push_back({request, 0});
  UpdateInputBlock();
  if (owner && request.Owner) {
    m_returnWindow = owner;
    m_returnFocus = owner->focusWidget();
  }
  // Owned by the window that started the operation, so that it stays above
  // that window, which may itself be modal.
  m_window = new TFormAttesa(owner);
  FormAttesa = m_window;
  ShowTexts(request);
  QPointer<TFormAttesa> window = m_window;
  window->SetProgress(0, true);
  if (!window)
    return;
  window->show();
  window->repaint();
}

void DesktopUserInterface::SetProgress(std::uint8_t amount, bool absolute) {
  // The step lets events run, and this object's window may end meanwhile.
  if (QPointer<TFormAttesa> window = m_window)
    window->SetProgress(amount, absolute);
}

bool DesktopUserInterface::WaitVisible() const {
  return m_window && m_window->isVisible();
}

void DesktopUserInterface::EndWait() {
  if (m_levels.empty())
    return;
  const Level ended = m_levels.back();
  m_levels.pop_back();
  if (!m_levels.empty()) {
    if (m_window) {
      ShowTexts(m_levels.back().Request);
      m_window->SetProgress(ended.OuterPosition, true);
    }
    return;
  }
  TFormAttesa *window = m_window;
  m_window = nullptr;
  FormAttesa = nullptr;
  if (window) {
    window->close();
    // Later, not now: the end may be reached from an event that the window's
    // own progress step is still processing.
    window->deleteLater();
  }
  UpdateInputBlock();
}

void DesktopUserInterface::SetBusyCursor(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    ++m_busyDepth;
  } else if (m_busyDepth > 0) {
    QGuiApplication::restoreOverrideCursor();
    --m_busyDepth;
  }
  UpdateInputBlock();
}

void DesktopUserInterface::UpdateInputBlock() {
  const bool wanted = !m_levels.empty() || m_busyDepth > 0;
  if (wanted && !m_block) {
    // The fitter is in the modal window when one runs (the others are
    // blocked by it), otherwise in the active one.
    QWidget *window = QApplication::activeModalWidget();
    if (!window)
      window = QApplication::activeWindow();
    if (!window)
      window = m_owner;
    m_returnWindow = window;
    m_returnFocus = window ? window->focusWidget() : nullptr;
    m_block = std::make_unique<InputBlock>();
  } else if (!wanted && m_block) {
    // What the fitter typed or clicked during the operation is dropped now,
    // not handled once it is over.
    QCoreApplication::processEvents();
    m_block.reset();
    ReturnFocus();
  }
}

void DesktopUserInterface::ReturnFocus() {
  // Window managers differ in where they put the focus when the wait window
  // goes, and some put it nowhere: it is given back explicitly.
  QWidget *window = m_returnWindow;
  QWidget *focus = m_returnFocus;
  m_returnWindow = nullptr;
  m_returnFocus = nullptr;
  if (!window || !window->isVisible())
    return;
  // Asked even when the window counts as active here: the focus changes
  // that the window manager made meanwhile may not have arrived yet.
  window->activateWindow();
  if (focus && focus->window() == window && focus->isVisible() && focus->isEnabled() &&
      QApplication::focusWidget() != focus)
    focus->setFocus(Qt::ActiveWindowFocusReason);
}

bool DesktopUserInterface::AskYesNo(const QString &text, const QString &title) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

int DesktopUserInterface::AskChoice(const QString &text, const QString &title, const QStringList &choices) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton);
  QList<QAbstractButton *> buttons;
  for (const QString &choice : choices)
    buttons << box.addButton(choice, QMessageBox::AcceptRole);
  // Esc puts the question away: nothing is done, and it comes back.
  QAbstractButton *later = box.addButton(QMessageBox::Cancel);
  box.setEscapeButton(later);
  if (!buttons.isEmpty())
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.constFirst()));
  box.exec();
  return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

void DesktopUserInterface::ShowTranslatedStatusWarning(const std::function<QString()> &words) {
  if (auto *main = qobject_cast<TFormMain *>(m_owner.data())) {
    main->ShowTranslatedStatusWarning(words);
    return;
  }
  ShowStatusWarning(words());
}

void DesktopUserInterface::ShowStatusWarning(const QString &text) {
  if (m_owner &&
      QMetaObject::invokeMethod(m_owner, "ShowStatusWarning", Qt::DirectConnection, Q_ARG(QString, text)))
    return;
  UserInterface::ShowStatusWarning(text);
}

#include "windows/RecordingActions.h"

#include "ecuconfig/TSerialDataModule.h"
#include "windows/LastFolders.h"
#include "windows/TFormMain.h"
#include "windows/TFormRecording.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>

RecordingActions::RecordingActions(TFormMain &main, TSerialDataModule &module)
    : QObject(&main), m_main(main), m_module(module) {
  setObjectName(QStringLiteral("RecordingActions"));
  m_open = new QAction(&main);
  m_open->setObjectName(QStringLiteral("ActionOpenRecording"));
  m_open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  connect(m_open, &QAction::triggered, this, &RecordingActions::OpenChosen);
  if (auto *history = main.findChild<QAction *>(QStringLiteral("ActionHistory")))
    if (auto *file = main.findChild<QMenu *>(QStringLiteral("MenuFile"))) {
      const QList<QAction *> actions = file->actions();
      const qsizetype at = actions.indexOf(history);
      file->insertAction(at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr, m_open);
    }
  main.addAction(m_open); // the shortcut works while the menu is closed
  connect(&main, &TFormMain::TextsApplied, this, &RecordingActions::ApplyTexts);
  ApplyTexts();
}

void RecordingActions::ApplyTexts() { m_open->setText(m_module.Text(TFormRecording::TEXT_OPEN_MENU)); }

void RecordingActions::OpenChosen() {
  const QString folder = m_main.Folders().For(LastFolders::Kind::Recordings);
  const QString fileName =
      ChooseFile ? ChooseFile(folder)
                 : QFileDialog::getOpenFileName(&m_main, m_module.Text(TFormRecording::TEXT_OPEN_MENU).remove(QLatin1Char('&')),
                                                folder, m_module.Text(TFormRecording::TEXT_FILTER));
  if (fileName.isEmpty())
    return;
  m_main.Folders().Remember(LastFolders::Kind::Recordings, fileName);
  Open(fileName);
}

bool RecordingActions::Open(const QString &fileName) {
  auto *review = new TFormRecording(m_module, &m_main);
  if (!review->Open(fileName)) {
    delete review;
    return false;
  }
  review->resize(review->sizeHint().expandedTo(QSize(900, 560)));
  review->show();
  review->activateWindow();
  return true;
}

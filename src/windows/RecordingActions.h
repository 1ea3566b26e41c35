#pragma once
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class TFormMain;
class TSerialDataModule;

// File → "Open recording…": a recording of live values chosen in a file
// dialog (in the folder recordings were last taken from) opens for review.
class RecordingActions : public QObject {
  Q_OBJECT
public:
  RecordingActions(TFormMain &main, TSerialDataModule &module);

  // Opens the review of a recording; false when nothing could be shown (the
  // review has said why).
  bool Open(const QString &fileName);
  // The file dialog; tests answer it themselves.
  std::function<QString(const QString &folder)> ChooseFile;

private:
  void ApplyTexts();
  void OpenChosen();

  TFormMain &m_main;
  TSerialDataModule &m_module;
  QAction *m_open;
};

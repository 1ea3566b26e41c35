#pragma once
#include "recording/RecordingFile.h"

#include <QWidget>

class QLabel;
class RecordingPlot;
class TSerialDataModule;

// A recording of live values reviewed at the desk: every trace of the file
// over its whole span, zoom and pan by keys and wheel, and a cursor whose
// time and values are written under the plot. Esc closes it.
class TFormRecording : public QWidget {
  Q_OBJECT
public:
  TFormRecording(TSerialDataModule &module, QWidget *parent = nullptr);

  // Reads the file and shows it; a file that is no recording of ours (or
  // a damaged row, after which only the rows before it are shown) is said.
  // False when nothing can be shown.
  bool Open(const QString &fileName);

  RecordingPlot *Plot() const { return m_plot; }
  QString Readout() const;
  const Recording &Data() const { return m_data; }

  static constexpr int TEXT_TITLE = 500;
  static constexpr int TEXT_OPEN_MENU = 501;
  static constexpr int TEXT_FILTER = 502;
  static constexpr int TEXT_UNREADABLE = 503;
  static constexpr int TEXT_EMPTY = 504;
  static constexpr int TEXT_NOT_A_RECORDING = 505;
  static constexpr int TEXT_DAMAGED_ROW = 506;
  static constexpr int TEXT_KEYS = 507;

protected:
  void keyPressEvent(class QKeyEvent *event) override;

private:
  void ShowCursor(qsizetype row);
  QString NameOf(const QString &column) const;

  TSerialDataModule &m_module;
  Recording m_data;
  RecordingPlot *m_plot;
  QLabel *m_readout;
  QLabel *m_keys;
};

#pragma once
#include "history/WorkshopHistory.h"

#include <QDialog>
#include <QList>
#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class TSerialDataModule;

// The workshop history: every connection to a unit, newest first, with the
// fitter's note (the number plate, typically), and the changes one
// connection made. From here the unit as it was found at a connection goes
// back into the unit, or out to a file for the customer's folder.
class TFormHistory : public QDialog {
  Q_OBJECT
public:
  // Loads a configuration file into the unit the way the main window's load
  // command does (comparison first, then the load); true when it loaded.
  using LoadCommand = std::function<bool(const QString &fileName, QWidget *owner)>;

  TFormHistory(TSerialDataModule &module, WorkshopHistory &history, LoadCommand load,
               QWidget *parent = nullptr);

  // Asks where to export a configuration; empty when the fitter cancels.
  // Tests answer it themselves.
  std::function<QString(const QString &suggestedName)> ChooseExportFile;
  // Where the export's file dialog starts.
  QString ExportFolder;

  void ApplyTexts();
  // Reads the history folder again, keeping the selected connection.
  void Reload();

  QTableWidget *ConnectionList() const { return m_connections; }
  QTableWidget *ChangeTable() const { return m_changes; }
  QLabel *Notice() const { return m_notice; }
  QPushButton *LoadButton() const { return m_load; }
  QPushButton *SaveAsButton() const { return m_saveAs; }
  QPushButton *CloseButton() const { return m_close; }

  enum ConnectionColumn { DateColumn, IdentificationColumn, ChangeCountColumn, NoteColumn };

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void showEvent(QShowEvent *event) override;

private:
  const HistoryConnection *Selected() const;
  void ShowChanges();
  void NoteEdited(QTableWidgetItem *item);
  void LoadSelected();
  void SaveSelectedAs();
  QString OriginText(const ChangeRecord &record) const;
  QString ResultText(const ChangeRecord &record) const;

  TSerialDataModule &m_module;
  WorkshopHistory &m_history;
  LoadCommand m_loadCommand;
  QList<HistoryConnection> m_list;
  QLabel *m_connectionsLabel = nullptr;
  QTableWidget *m_connections = nullptr;
  QLabel *m_changesLabel = nullptr;
  QTableWidget *m_changes = nullptr;
  QLabel *m_notice = nullptr;
  QPushButton *m_load = nullptr;
  QPushButton *m_saveAs = nullptr;
  QPushButton *m_close = nullptr;
  bool m_filling = false;
};

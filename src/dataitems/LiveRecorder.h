#pragma once
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextStream>
#include <cstdint>
#include <functional>
#include <memory>

class LiveCsvWriter;
class QIODevice;
class TNoxPacketData;

// Records the live values to a CSV file while the refresher delivers them:
// one row per refresh cycle that changed at least one value, in the form of
// `ecuctl live --format csv`. It only listens to the items' change
// notifications; it never asks the unit for anything. A write that fails
// stops the recording and says why; the rows before it stay in the file.
class LiveRecorder : public QObject {
  Q_OBJECT
public:
  explicit LiveRecorder(const QList<TNoxPacketData *> &items, QObject *parent = nullptr);
  ~LiveRecorder() override;

  // Creates or truncates the file and writes the header. False with
  // ErrorText() when it cannot.
  bool Start(const QString &fileName);
  // The same on a device the caller opened; the recorder takes it over.
  bool Start(std::unique_ptr<QIODevice> device);
  void Stop();

  bool Recording() const { return m_writer != nullptr; }
  int Rows() const;
  // Milliseconds since Start, on the process clock.
  qint64 ElapsedMs() const;
  // Why the last Start failed or the recording stopped by itself.
  QString ErrorText() const { return m_error; }

  // Where row times come from; the wall clock unless a test sets another.
  std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

Q_SIGNALS:
  void RowWritten(int rows);
  // The recording stopped because a write failed; reason is the system's.
  void Failed(const QString &reason);

protected:
  bool event(QEvent *event) override;

private:
  void WritePendingRow();
  void Fail();

  QList<TNoxPacketData *> Items() const;

  QList<QPointer<TNoxPacketData>> m_items;
  std::unique_ptr<QIODevice> m_device;
  QTextStream m_stream;
  std::unique_ptr<LiveCsvWriter> m_writer;
  bool m_rowPending = false;
  qint64 m_goodSize = 0; // bytes up to the end of the last whole row
  std::uint32_t m_startTick = 0;
  int m_rows = 0;
  QString m_error;
};

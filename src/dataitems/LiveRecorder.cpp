#include "dataitems/LiveRecorder.h"

#include "NoxProtocolObject.h"
#include "dataitems/LiveCsvWriter.h"
#include "dataitems/TNoxPacketData.h"
#include "platform/Clock.h"

#include <QEvent>
#include <QFile>

LiveRecorder::LiveRecorder(const QList<TNoxPacketData *> &items, QObject *parent) : QObject(parent) {
  for (TNoxPacketData *item : items)
    m_items << item;
}

LiveRecorder::~LiveRecorder() {
  Stop();
}

QList<TNoxPacketData *> LiveRecorder::Items() const {
  QList<TNoxPacketData *> items;
  for (const auto &item : m_items)
    if (item)
      items << item.data();
  return items;
}

bool LiveRecorder::Start(const QString &fileName) {
  // Unbuffered: each flushed row reaches the file system at once, and a full
  // disk shows up on the row that hit it, not at some later buffer flush.
  auto file = std::make_unique<QFile>(fileName);
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    Stop();
    m_error = file->errorString();
    return false;
  }
  return Start(std::move(file));
}

bool LiveRecorder::Start(std::unique_ptr<QIODevice> device) {
  Stop();
  m_error.clear();
  m_rows = 0;
  m_device = std::move(device);
  m_stream.setDevice(m_device.get());
  m_writer = std::make_unique<LiveCsvWriter>(Items(), m_stream);
  if (!m_writer->WriteHeader()) {
    m_error = m_device->errorString();
    Stop();
    return false;
  }
  m_goodSize = m_device->pos();
  for (TNoxPacketData *item : Items())
    item->AddObserver(this);
  m_startTick = Clock::Current().TickCount();
  return true;
}

void LiveRecorder::Stop() {
  for (TNoxPacketData *item : Items())
    item->RemoveObserver(this);
  if (m_writer)
    m_rows = m_writer->Rows();
  m_writer.reset();
  m_stream.setDevice(nullptr);
  if (m_device)
    m_device->close();
  m_device.reset();
  m_rowPending = false;
}

int LiveRecorder::Rows() const {
  return m_writer ? m_writer->Rows() : m_rows;
}

qint64 LiveRecorder::ElapsedMs() const {
  return Recording() ? static_cast<std::uint32_t>(Clock::Current().TickCount() - m_startTick) : 0;
}

bool LiveRecorder::event(QEvent *event) {
  if (static_cast<std::uint32_t>(event->type()) != MSG_DATA_CHANGED)
    return QObject::event(event);
  // One refresh cycle notifies each live value in turn; the row is written
  // once the cycle is over, with every value of that cycle.
  if (m_writer && !m_rowPending) {
    m_rowPending = true;
    QMetaObject::invokeMethod(this, &LiveRecorder::WritePendingRow, Qt::QueuedConnection);
  }
  return true;
}

void LiveRecorder::WritePendingRow() {
  if (!m_rowPending || !m_writer)
    return;
  m_rowPending = false;
  if (!m_writer->WriteRow(Now())) {
    Fail();
    return;
  }
  m_goodSize = m_device->pos();
  Q_EMIT RowWritten(m_writer->Rows());
}

void LiveRecorder::Fail() {
  m_error = m_device->errorString();
  // A full disk may have taken part of the row: cut the file back to the
  // last whole row, so that every line in it can be read.
  if (auto *file = qobject_cast<QFileDevice *>(m_device.get()))
    file->resize(m_goodSize);
  Stop();
  Q_EMIT Failed(m_error);
}

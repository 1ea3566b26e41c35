// The vehicle configuration window and the line to the unit: the live values
// show only while the line is up, a lost line is said once, and a value that
// could not be written says why.
#include "windows/TFormConfig.h"

#include "controls/TNoxLabel.h"
#include "dataitems/ConnectionStateRelay.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxSerialData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserInterface.h"

#include <QTimer>

namespace {
constexpr int TEXT_NOT_CONNECTED = 11;
constexpr int TEXT_NOT_WRITTEN = 211;
constexpr int TEXT_UNIT_REFUSED = 212;
constexpr int TEXT_NO_VALUE_OF_ITEM = 213;
constexpr int TEXT_SHARED_BYTE_UNREAD = 214;
// The unit's own statuses beside STATUS_NOT_DEFINED: it did not answer, or
// it would not take the argument.
constexpr int STATUS_NO_ANSWER = 1;
constexpr int STATUS_BAD_ARGUMENT = 2;
constexpr int TEXT_NO_ANSWER = 334;
constexpr int TEXT_VALUE_NOT_ACCEPTED = 335;
constexpr int TEXT_NOT_IN_THIS_UNIT = 336;
constexpr int TEXT_CONNECT_AGAIN = 400;
constexpr int TPS_LAMPS = 4;
constexpr int LAMBDA_LAMPS = 3;

// The lost-line text is also a reason inside a sentence, so it starts in
// lower case; on its own in a message box it is a sentence.
QString AsSentence(QString text) {
  if (!text.isEmpty())
    text[0] = text[0].toUpper();
  return text;
}
} // namespace

void TFormConfig::WatchTheLine() {
  connect(m_module.ConnectionRelay(), &ConnectionStateRelay::ConnectionStateChanged, this,
          &TFormConfig::LineStateChanged);
}

bool TFormConfig::LineIsUp() const {
  const TNoxConnection *connection = m_module.NoxConnection;
  return connection->Loaded() && connection->ProtocolObject()->IsConnected();
}

void TFormConfig::WatchTheLineWhileShown(bool shown) {
  if (shown) {
    m_lineUp = LineIsUp();
    m_lineLost = false;
    SetLiveValuesAvailable(true);
  }
  // The erase tells about its own write (the check value) itself.
  const auto onError = [this](TNoxSerialData *item, int code, bool writing) {
    if (writing && item != m_module.CHECKUP)
      WriteFailed(code);
  };
  for (TNoxSerialData *item : m_module.DataItems())
    item->OnError = shown ? TNoxSerialData::ErrorEvent(onError) : TNoxSerialData::ErrorEvent();
}

void TFormConfig::LineStateChanged(bool connected) {
  if (!isVisible())
    return; // the next showing starts from the line as it is then
  if (connected) {
    m_lineUp = true;
    m_lineLost = false;
    SetLiveValuesAvailable(true);
    return;
  }
  if (!m_lineUp)
    return;
  m_lineUp = false;
  SetLiveValuesAvailable(false);
  if (!m_lineLost) {
    m_lineLost = true;
    // The fitter is told how to go on, not only what happened.
    UserInterface::Current().ShowMessage(AsSentence(m_module.Text(TSerialDataModule::TEXT_LINE_LOST)) +
                                             QLatin1Char('\n') + m_module.Text(TEXT_CONNECT_AGAIN),
                                         windowTitle(), MessageIcon::Error);
  }
}

void TFormConfig::SetLiveValuesAvailable(bool available) {
  for (TNoxLabel *label : findChildren<TNoxLabel *>())
    label->SetAvailable(available);
  if (available)
    return; // the lamps light again with the next live values
  for (int lamp = 0; lamp < TPS_LAMPS; ++lamp)
    SetTpsBandPosition(lamp, 0);
  for (int lamp = 0; lamp < LAMBDA_LAMPS; ++lamp)
    SetLambdaBandPosition(lamp, 0);
}

void TFormConfig::WriteFailed(int code) {
  // -1: the protocol library could not be loaded, which it has said itself.
  if (code == -1 || !m_writeFailureSaid.First())
    return;
  QString reason;
  if (!LineIsUp()) {
    // Said with the write, the lost line needs no message of its own after it.
    reason = m_lineUp || m_lineLost ? m_module.Text(TSerialDataModule::TEXT_LINE_LOST)
                                    : m_module.Text(TEXT_NOT_CONNECTED);
    m_lineLost = m_lineLost || m_lineUp;
  } else if (code == TNoxSerialData::ERROR_VALUE_REFUSED) {
    reason = m_module.Text(TEXT_NO_VALUE_OF_ITEM);
  } else if (code == TNoxSerialData::ERROR_SHARED_BYTE_UNREAD) {
    reason = m_module.Text(TEXT_SHARED_BYTE_UNREAD);
  } else if (code == STATUS_NO_ANSWER) {
    reason = m_module.Text(TEXT_NO_ANSWER);
  } else if (code == STATUS_BAD_ARGUMENT) {
    reason = m_module.Text(TEXT_VALUE_NOT_ACCEPTED);
  } else if (code & STATUS_NOT_DEFINED) {
    reason = m_module.Text(TEXT_NOT_IN_THIS_UNIT);
  } else {
    reason = m_module.Text(TEXT_UNIT_REFUSED).arg(code); // a status this program does not know
  }
  // After the write has finished: the field shows the stored value again
  // before the message takes the focus.
  const QString text = m_module.Text(TEXT_NOT_WRITTEN).arg(reason);
  QTimer::singleShot(0, this, [this, text] {
    UserInterface::Current().ShowMessage(text, windowTitle(), MessageIcon::Error);
  });
}

#pragma once
#include "controls/ControlSettings.h"
#include "controls/ControlTypes.h"
#include "controls/TChildLabel.h"

#include <QColor>
#include <QLabel>
#include <QPointer>

#include "dataitems/TNoxSerialData.h"

// A label showing one live value, as a number (plain or with a pattern such
// as "0.00 V") or as an on/off flag, with or without a caption label. It
// never causes an exchange with the unit: it shows what the item holds.
class TNoxLabel : public QLabel, public CaptionSettings, public ResizerSettings {
  Q_OBJECT
  Q_PROPERTY(Nox::TLabelStyle Style READ Style WRITE setStyle)
  Q_PROPERTY(QString OnText READ OnText WRITE setOnText)
  Q_PROPERTY(QString OffText READ OffText WRITE setOffText)
  Q_PROPERTY(QColor OnColor READ OnColor WRITE setOnColor)
  Q_PROPERTY(QColor OffColor READ OffColor WRITE setOffColor)
  Q_PROPERTY(QString DataFormat READ DataFormat WRITE setDataFormat)
  Q_PROPERTY(bool State READ State WRITE setState)
  // The caption label's settings (ignored while the style has none).
  Q_PROPERTY(QString LabelCaption READ LabelCaption WRITE setLabelCaption)
  Q_PROPERTY(Nox::TLabelPosition LabelPosition READ LabelPosition WRITE setLabelPosition)
  Q_PROPERTY(int LabelSpacing READ LabelSpacing WRITE setLabelSpacing)
  Q_PROPERTY(int ResizingBorder READ ResizingBorder WRITE setResizingBorder)
  Q_PROPERTY(Nox::TResizingMode ResizingMode READ ResizingMode WRITE setResizingMode)
  Q_PROPERTY(int GridDimension READ GridDimension WRITE setGridDimension)
  Q_PROPERTY(bool FixDblClick READ FixDblClick WRITE setFixDblClick)

public:
  explicit TNoxLabel(QWidget *parent = nullptr);
  ~TNoxLabel() override;

  // Exists only for the labelled styles.
  TChildLabel *ChildLabel() const { return m_caption; }

  TNoxSerialData *Value() const { return m_value; }
  // Only a live value (TNoxPacketData) is accepted; anything else leaves the
  // old binding in place.
  void setValue(TNoxSerialData *item);

  Nox::TLabelStyle Style() const { return m_style; }
  void setStyle(Nox::TLabelStyle style);
  QString OnText() const { return m_onText; }
  void setOnText(const QString &text);
  QString OffText() const { return m_offText; }
  void setOffText(const QString &text);
  QColor OnColor() const { return m_onColor; }
  void setOnColor(const QColor &colour);
  QColor OffColor() const { return m_offColor; }
  void setOffColor(const QColor &colour);
  QString DataFormat() const { return m_dataFormat; }
  void setDataFormat(const QString &format);
  bool State() const { return m_state; }
  void setState(bool state);
  // The value the value styles show.
  double LastValue() const { return m_lastValue; }
  // Without the line to the unit there is no live value: the label stays
  // blank, whatever the item still holds, until it is available again.
  bool Available() const { return m_available; }
  void SetAvailable(bool available);

  // Also shows or hides the caption label.
  void setVisible(bool visible) override;

protected:
  bool event(QEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  bool FlagStyle() const { return m_style == Nox::lsFlag || m_style == Nox::lsLabeledFlag; }
  void TakeItemValue();
  void Redraw();

  QPointer<TNoxSerialData> m_value;
  Nox::TLabelStyle m_style = Nox::lsLabeledValue;
  QString m_onText = QStringLiteral("ON");
  QString m_offText = QStringLiteral("OFF");
  QColor m_onColor;
  QColor m_offColor;
  QString m_dataFormat;
  bool m_state = false;
  double m_lastValue = 0;
  bool m_available = true;
};

#include "controls/ControlSettings.h"

void CaptionSettings::setLabelCaption(const QString &caption) {
  if (m_caption)
    m_caption->setCaption(caption);
}

void CaptionSettings::setLabelPosition(Nox::TLabelPosition position) {
  if (m_caption)
    m_caption->setLabelPosition(position);
}

void CaptionSettings::setLabelSpacing(int spacing) {
  if (m_caption)
    m_caption->setLabelSpacing(spacing);
}

void ResizerSettings::setResizingBorder(int value) {
  if (m_resizer)
    m_resizer->setResizingBorder(value);
}

void ResizerSettings::setResizingMode(Nox::TResizingMode value) {
  if (m_resizer)
    m_resizer->setResizingMode(value);
}

void ResizerSettings::setGridDimension(int value) {
  if (m_resizer)
    m_resizer->setGridDimension(value);
}

void ResizerSettings::setFixDblClick(bool value) {
  if (m_resizer)
    m_resizer->setFixDblClick(value);
}

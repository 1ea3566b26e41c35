#include "controls/ControlSettings.h"

void CaptionSettings::setLabelCaption(const QString &caption) {
  if (m_caption)
    m_caption->setText(caption);
}

void CaptionSettings::setLabelPosition(Nox::TLabelPosition position) {
  if (m_caption)
    m_caption->setLabelPosition(position);
}

void CaptionSettings::setLabelSpacing(int spacing) {
  if (m_caption)
    m_caption->setLabelSpacing(spacing);
}

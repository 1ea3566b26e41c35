#include "windows/LimitNotes.h"

#include "controls/FloatText.h"
#include "controls/NumberEditBase.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ParameterNames.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QLabel>

namespace {
QString CaptionOf(const QWidget &window, const NumberEditBase &edit) {
  if (const auto *bound = qobject_cast<const TValueEditEx *>(&edit); bound && !bound->LabelCaption().isEmpty())
    return bound->LabelCaption();
  for (const QLabel *label : window.findChildren<QLabel *>())
    if (label->buddy() == &edit)
      return label->text();
  return QString();
}

QString UnitOf(const NumberEditBase &edit) {
  if (const auto *bound = qobject_cast<const TValueEditEx *>(&edit); bound && bound->Value())
    return ParameterNames::UnitOf(bound->Value());
  return edit.property("MeasureUnit").toString();
}
} // namespace

QString LimitNotes::Text(const TSerialDataModule &module, const QString &caption, double limit,
                         const QString &unit, bool highest) {
  const QString value = unit.isEmpty() ? FloatToText(limit) : FloatToText(limit) + QLatin1Char(' ') + unit;
  return module.Text(highest ? TEXT_HIGHEST : TEXT_LOWEST).arg(caption, value);
}

void LimitNotes::Watch(QWidget &window, const TSerialDataModule &module,
                       std::function<void(const QString &)> say) {
  for (NumberEditBase *edit : window.findChildren<NumberEditBase *>())
    QObject::connect(edit, &NumberEditBase::Limited, &window,
                     [&window, &module, edit, say](double limit, bool highest) {
                       say(Text(module, CaptionOf(window, *edit), limit, UnitOf(*edit), highest));
                     });
}

#include "windows/FormTextTable.h"

#include "controls/TChildLabel.h"
#include "ecuconfig/ConfigurationPages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>

namespace {
// The window's own elements, then every field's caption and items as the
// configuration pages list them.
QList<TextAssignment> FormConfigTable() {
  using S = TextSlot;
  QList<TextAssignment> table{
      {QStringLiteral("ButtonReset"), S::Text, 23},
      {QString(), S::WindowTitle, 4},
  };
  for (const ConfigurationPage &page : ConfigurationPages::Pages())
    table.append({QLatin1String(page.Page), S::PageTitle, page.TitleId});
  table << TextAssignment{QStringLiteral("NoxLabelGiri"), S::CaptionLabel, 73}
        << TextAssignment{QStringLiteral("NoxLabelTemperatura"), S::CaptionLabel, 74}
        << TextAssignment{QStringLiteral("NoxLabelMinTPS"), S::CaptionLabel, 75}
        << TextAssignment{QStringLiteral("NoxLabelMotore"), S::CaptionLabel, 76}
        << TextAssignment{QStringLiteral("NoxLabelDefault"), S::CaptionLabel, 77}
        << TextAssignment{QStringLiteral("NoxLabelLambda"), S::CaptionLabel, 78}
        << TextAssignment{QStringLiteral("NoxLabelTPS"), S::CaptionLabel, 79};
  for (const ConfigurationPage &page : ConfigurationPages::Pages()) {
    for (const ConfigurationField &field : page.Fields) {
      const QString control = QLatin1String(field.Control);
      if (field.CaptionId == 0)
        continue;
      if (field.Type == ConfigurationField::Kind::Check) {
        table.append({control, S::Text, field.CaptionId});
        continue;
      }
      table.append({control, S::CaptionLabel, field.CaptionId});
      if (field.Type == ConfigurationField::Kind::Combo)
        table.append({control, S::ComboItems, field.FirstItemId, field.ItemCount});
    }
  }
  table << TextAssignment{QStringLiteral("ButtonOndaCostruita"), S::Text, 105}
        << TextAssignment{QStringLiteral("ButtonGrafico"), S::Text, 185}
        // The window centres the note once its new text is in.
        << TextAssignment{QStringLiteral("LabelNota"), S::Text, 156};
  return table;
}
} // namespace

const QList<TextAssignment> &FormTextTable::FormConfig() {
  static const QList<TextAssignment> table = FormConfigTable();
  return table;
}

const QList<TextAssignment> &FormTextTable::FormOndaCostruita() {
  using S = TextSlot;
  static const QList<TextAssignment> table{
      {QString(), S::WindowTitle, 200},
      {QStringLiteral("NoxValEditNVolteAlto"), S::CaptionLabel, 101},
      {QStringLiteral("NoxValueEditNVolteBasso"), S::CaptionLabel, 102},
      {QStringLiteral("NoxValueEditNumeroOnde"), S::CaptionLabel, 103},
      {QStringLiteral("LabelTempoTristate"), S::Text, 104},
  };
  return table;
}

QStringList FormTextTable::Texts(const TextAssignment &assignment, const std::function<QString(int)> &text) {
  QStringList texts;
  for (int i = 0; i < assignment.Count; ++i)
    texts << text(assignment.FirstId + i);
  return texts;
}

QStringList FormTextTable::Apply(QWidget *window, const QList<TextAssignment> &table,
                                 const std::function<QString(int)> &text) {
  QStringList missing;
  for (const TextAssignment &assignment : table) {
    QWidget *element =
        assignment.Element.isEmpty() ? window : window->findChild<QWidget *>(assignment.Element);
    const QStringList texts = Texts(assignment, text);
    bool applied = false;
    if (element) {
      switch (assignment.Slot) {
      case TextSlot::WindowTitle:
        element->setWindowTitle(texts.value(0));
        applied = true;
        break;
      case TextSlot::Text:
        if (auto *caption = qobject_cast<TChildLabel *>(element)) {
          caption->setCaption(texts.value(0)); // fitted and placed beside its owner
          applied = true;
        } else if (auto *label = qobject_cast<QLabel *>(element)) {
          label->setText(texts.value(0));
          applied = true;
        } else if (auto *button = qobject_cast<QAbstractButton *>(element)) {
          button->setText(texts.value(0));
          applied = true;
        }
        break;
      case TextSlot::PageTitle:
        for (QWidget *up = element->parentWidget(); up && !applied; up = up->parentWidget()) {
          if (auto *tabs = qobject_cast<QTabWidget *>(up)) {
            const int index = tabs->indexOf(element);
            if (index >= 0) {
              tabs->setTabText(index, texts.value(0));
              applied = true;
            }
          }
        }
        break;
      case TextSlot::CaptionLabel:
        // Every bound control with a caption label publishes it this way.
        applied = element->setProperty("LabelCaption", texts.value(0));
        break;
      case TextSlot::ComboItems:
        if (auto *combo = qobject_cast<QComboBox *>(element)) {
          // Refilling is no choice of the fitter, so nothing is written; the
          // bound combo box shows its parameter again when every item is
          // notified after the texts.
          combo->clear();
          combo->addItems(texts);
          applied = true;
        }
        break;
      }
    }
    if (!applied)
      missing << assignment.Element;
  }
  return missing;
}

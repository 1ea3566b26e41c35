#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Where a language text goes in a window.
enum class TextSlot {
  WindowTitle,  // the window itself
  Text,         // a label's, button's or check box's own text
  PageTitle,    // the tab of a page
  CaptionLabel, // the caption label a bound control owns
  ComboItems,   // a combo box's whole item list, one id per item
};

// One element of a window and its text ids: Count consecutive ids from
// FirstId (more than one only for combo items).
struct TextAssignment {
  QString Element; // objectName; empty for the window itself
  TextSlot Slot;
  int FirstId;
  int Count = 1;
};

// The text ids of every element of the vehicle configuration and the
// constructed-wave windows. Kept as data so that one piece of code applies
// them and the tests can walk them.
class FormTextTable {
public:
  static const QList<TextAssignment> &FormConfig();
  static const QList<TextAssignment> &FormOndaCostruita();

  // The texts of one assignment, in order.
  static QStringList Texts(const TextAssignment &assignment, const std::function<QString(int)> &text);

  // Applies a table to a window; returns the elements it could not find (a
  // window and its table out of step), so that tests can insist on none.
  static QStringList Apply(QWidget *window, const QList<TextAssignment> &table,
                           const std::function<QString(int)> &text);
};

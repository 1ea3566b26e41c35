// However the focus arrives in a field, the fitter is in it: the whole text
// is selected, so the first key replaces the value. A message box or a popup
// taking the focus for a while is no leaving, a hidden window is, and the
// wheel never changes a control.
#include "ControlFixture.h"
#include "controls/TNoxCheckBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TNumericEdit.h"
#include "controls/TValueEditEx.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QWheelEvent>

namespace {

enum class Arrival { Tab, Backtab, WindowActivation, PopupClosing, Programmatic };

// A window of three fields, the middle one under test.
class FieldEntryTest : public ControlFixture {
protected:
  void SetUp() override {
    ControlFixture::SetUp();
    unit->Memory[169] = 25;
    item = Parameter(169, 0, 255);
  }

  // Builds the middle field: a bound value edit or a numeric edit.
  NumberEditBase *Build(bool bound) {
    page = std::make_unique<QWidget>(); // a fresh window for each case
    page->resize(300, 200);
    before = new QLineEdit(page.get());
    before->move(20, 20);
    NumberEditBase *field = nullptr;
    unit->Memory[169] = 25;
    if (bound) {
      auto *edit = new TValueEditEx(page.get());
      edit->setValue(item.get());
      item->Reload();
      field = edit;
    } else {
      auto *numeric = new TNumericEdit(page.get());
      numeric->setMaxValue(255);
      numeric->ShowValue(25);
      field = numeric;
    }
    field->move(20, 60);
    after = new QLineEdit(page.get());
    after->move(20, 100);
    return field;
  }

  void Show() {
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
  }

  void Arrive(Arrival how, NumberEditBase *field) {
    switch (how) {
    case Arrival::Tab: // the window opens on the field before it
      Show();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      break;
    case Arrival::Backtab: // round the window's end, from the field after it
      Show();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
      break;
    case Arrival::WindowActivation: // the first field of a window that opens
      before->setEnabled(false);
      Show();
      break;
    case Arrival::PopupClosing:
      Show();
      field->setFocus(Qt::PopupFocusReason);
      break;
    case Arrival::Programmatic:
      Show();
      field->setFocus();
      break;
    }
  }

  std::unique_ptr<TNoxNumber> item;
  std::unique_ptr<QWidget> page;
  QLineEdit *before = nullptr;
  QLineEdit *after = nullptr;
};

TEST_F(FieldEntryTest, EveryWayInSelectsTheValueSoTheFirstKeyReplacesIt) {
  const struct {
    const char *Name;
    Arrival How;
  } arrivals[] = {{"Tab", Arrival::Tab},
                  {"Backtab", Arrival::Backtab},
                  {"window activation", Arrival::WindowActivation},
                  {"popup closing", Arrival::PopupClosing},
                  {"setFocus", Arrival::Programmatic}};
  for (const bool bound : {true, false}) {
    for (const auto &arrival : arrivals) {
      SCOPED_TRACE(std::string(bound ? "value edit, " : "numeric edit, ") + arrival.Name);
      unit->Calls.clear();
      NumberEditBase *field = Build(bound);
      QSignalSpy entered(field, &NumberEditBase::Entered);
      Arrive(arrival.How, field);
      ASSERT_TRUE(field->hasFocus());
      EXPECT_EQ(entered.count(), 1);
      EXPECT_EQ(field->selectedText(), QStringLiteral("25"));
      QTest::keyClicks(field, QStringLiteral("3"));
      QTest::keyClick(field, Qt::Key_Return);
      if (bound)
        EXPECT_EQ(Writes(), QStringList{QStringLiteral("169=3")});
      else
        EXPECT_EQ(static_cast<TNumericEdit *>(field)->AcceptedValue(), 3);
    }
  }
}

TEST_F(FieldEntryTest, AMessageBoxOrAPopupTakingTheFocusIsNoLeaving) {
  NumberEditBase *field = Build(true);
  Arrive(Arrival::Tab, field);
  QSignalSpy exited(field, &NumberEditBase::Exited);
  QSignalSpy entered(field, &NumberEditBase::Entered);
  QTest::keyClicks(field, QStringLiteral("3"));
  // Whatever takes the focus is closed as soon as it is up.
  QTimer closer;
  closer.setInterval(20);
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget *popup = QApplication::activePopupWidget())
      popup->close();
    else if (QWidget *modal = QApplication::activeModalWidget())
      modal->close();
  });
  closer.start();
  QMessageBox::warning(page.get(), QStringLiteral("Unit"), QStringLiteral("A message"));
  QMenu menu(page.get());
  menu.addAction(QStringLiteral("Item"));
  menu.exec(field->mapToGlobal(QPoint(0, 0)));
  closer.stop();
  EXPECT_EQ(exited.count(), 0);
  EXPECT_EQ(entered.count(), 0);
  QTest::keyClicks(field, QStringLiteral("3"));
  EXPECT_EQ(field->text(), QStringLiteral("33")) << "the fitter goes on typing where they were";
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(Writes(), QStringList{QStringLiteral("169=33")});
}

TEST_F(FieldEntryTest, AHiddenWindowDropsTypingThatWasNeverConfirmed) {
  for (const bool bound : {true, false}) {
    SCOPED_TRACE(bound ? "value edit" : "numeric edit");
    NumberEditBase *field = Build(bound);
    Arrive(Arrival::Tab, field);
    QSignalSpy exited(field, &NumberEditBase::Exited);
    QTest::keyClicks(field, QStringLiteral("33"));
    page->hide();
    EXPECT_EQ(field->text(), QStringLiteral("25"));
    EXPECT_EQ(exited.count(), 1) << "a limits hint beside it hides";
  }
  EXPECT_EQ(Writes(), QStringList{}) << "33 never reached the unit";
}

TEST_F(FieldEntryTest, TheWheelNeverChangesAControl) {
  NumberEditBase *field = Build(true);
  field->move(20, 140);
  auto *combo = new TNoxComboBox(page.get());
  combo->setGeometry(20, 20, 160, 26);
  combo->addItems({"Lineare 0-5", "Lineare 5-0", "Switch 0-12"});
  combo->setValue(item.get());
  unit->Memory[169] = 0;
  item->Reload();
  auto box = Parameter(170, 0, 255);
  auto *check = new TNoxCheckBox(page.get());
  check->setGeometry(20, 60, 160, 26);
  check->setValue(box.get());
  Show();
  unit->Calls.clear();
  for (QWidget *control : std::initializer_list<QWidget *>{combo, check, field}) {
    SCOPED_TRACE(control->metaObject()->className());
    for (const int notch : {-120, -120, 120}) {
      const QPointF at(10, 10);
      QWheelEvent wheel(at, control->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(control, &wheel);
    }
  }
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(Writes(), QStringList{});

  // The open list scrolls as usual; only the confirmed choice is written.
  for (int i = 0; i < 6 && !combo->hasFocus(); ++i) // Tab there, as the fitter does
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_TRUE(combo->hasFocus());
  QTest::keyClick(combo, Qt::Key_Return);
  ASSERT_TRUE(combo->ListOpen());
  QWidget *list = combo->view()->viewport();
  QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list, &wheel);
  EXPECT_EQ(Writes(), QStringList{});
  QTest::keyClick(combo->view(), Qt::Key_Down);
  QTest::keyClick(combo->view(), Qt::Key_Return);
  EXPECT_EQ(Writes(), QStringList{QStringLiteral("169=1")});
}

} // namespace

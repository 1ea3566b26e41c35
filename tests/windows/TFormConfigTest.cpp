// The vehicle configuration window on the simulated unit: real widgets, real
// key and mouse events, and the bytes that reach the unit.
#include "SimulatedUnitWindowFixture.h"

#include "controls/FocusRing.h"
#include "controls/TNoxCheckBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ConfigurationPages.h"
#include "support/CaseName.h"
#include "support/FakeClock.h"
#include "support/WaitFor.h"
#include "windows/FormTextTable.h"
#include "windows/TFormConfig.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

using window_test::SimulatedUnitWindowFixture;

constexpr int kGearAndEmulationByte = 163; // ignition 0-2, gear change 3-4, emulation 5-6
constexpr int kFlagsByte = 162;
constexpr int kOverRevByte = 225;
constexpr int kSwitchTypeByte = 226;
constexpr int kCheckByte = 161;

class ConfigWindow : public SimulatedUnitWindowFixture {
protected:
  void SetUp() override {
    SimulatedUnitWindowFixture::SetUp();
    if (!UnitLines.isEmpty())
      UseUnit(UnitLines);
    // Created at start-up, before any connection, as the program does.
    Form = std::make_unique<TFormConfig>(Module);
    Connect();
    Ui.Events.clear();
  }
  void TearDown() override {
    Module.DataRefresher->SetRunning(false);
    Form.reset();
    SimulatedUnitWindowFixture::TearDown();
  }

  void Show() { window_test::ShowActive(Form.get()); }
  template <typename T> T *Child(const char *name) const { return window_test::ChildOf<T>(Form.get(), name); }
  // The fitter's way: Space on the focused box.
  void Toggle(TNoxCheckBox *box) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
  }
  // Shown once its page is: the pages themselves come and go.
  bool Shown(const char *name) const { return !Child<QWidget>(name)->isHidden(); }
  int Page() const { return Child<QTabWidget>("PageControl1")->currentIndex(); }

  std::unique_ptr<TFormConfig> Form;
  QByteArray UnitLines; // the unit's configuration, when a test sets it before SetUp
};

TEST_F(ConfigWindow, GearChangeType2ShowsTheKickTimeInPlaceOfTheSpeed) {
  for (const int type : {2, 0, 1}) {
    SCOPED_TRACE(type);
    SetUnitByte(kGearAndEmulationByte, (UnitByte(kGearAndEmulationByte) & ~0x18) | type << 3);
    Module.TIPO_CAMBIO->Reload();
    Show();
    const bool kick = type == 2;
    EXPECT_EQ(Shown("NOXValueEditTempoDiCicchetto"), kick);
    EXPECT_EQ(Shown("NoxValEditNGiriCambio"), !kick);
    auto *temperature = Child<TValueEditEx>("NoxValEditTempCambio");
    EXPECT_EQ(temperature->isEnabled(), !kick);
    EXPECT_EQ(temperature->EditLabel()->isEnabled(), !kick) << "the caption follows";
    EXPECT_EQ(!Child<TValueEditEx>("NOXValueEditTempoDiCicchetto")->EditLabel()->isHidden(), kick);
    Form->hide();
  }
}

TEST_F(ConfigWindow, GearChangeFieldsFollowEveryChangeOfTheTypeWhileShown) {
  SetUnitByte(kGearAndEmulationByte, (UnitByte(kGearAndEmulationByte) & ~0x18) | 2 << 3);
  Module.TIPO_CAMBIO->Reload();
  Show();
  ASSERT_TRUE(Shown("NOXValueEditTempoDiCicchetto"));
  auto *type = Child<TNoxComboBox>("NoxComboTipoCambio");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), type);
  QTest::keyClick(type, Qt::Key_Return);
  QTest::keyClick(type->view(), Qt::Key_Up); // "Accelerazione"
  QTest::keyClick(type->view(), Qt::Key_Return);
  ASSERT_EQ((UnitByte(kGearAndEmulationByte) >> 3) & 3, 1);
  EXPECT_FALSE(Shown("NOXValueEditTempoDiCicchetto")) << "a written type";
  EXPECT_TRUE(Shown("NoxValEditNGiriCambio"));
  EXPECT_TRUE(Child<QWidget>("NoxValEditTempCambio")->isEnabled());

  SetUnitByte(kGearAndEmulationByte, (UnitByte(kGearAndEmulationByte) & ~0x18) | 2 << 3);
  Module.TIPO_CAMBIO->Reload();
  EXPECT_TRUE(Shown("NOXValueEditTempoDiCicchetto")) << "a read type";
  EXPECT_FALSE(Shown("NoxValEditNGiriCambio"));
}

// A value beyond the field's limits is written as the limit, and the status
// bar says so: the fitter must not take the limit for what was typed.
TEST_F(ConfigWindow, AValueBeyondTheLimitsIsWrittenAsTheLimitAndSaid) {
  struct {
    const char *Field;
    int Downs; // from the ignition type, where the window opens
    const char *Typed;
    double Written;
    bool Highest;
  } const cases[] = {
      {"NoxValEditNGiriCambio", 4, "9000", 6000, true},
      {"NoxValEditNGiriCambio", 4, "500", 1000, false},
      {"NoxValEditTempCambio", 3, "99", 40, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Typed);
    Show();
    for (int i = 0; i < c.Downs; ++i)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    auto *edit = Child<TValueEditEx>(c.Field);
    ASSERT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClicks(edit, QLatin1String(c.Typed));
    QTest::keyClick(edit, Qt::Key_Return);
    TNoxNumber *item = edit->Value();
    EXPECT_EQ(item->GetValue(), c.Written);
    EXPECT_EQ(UnitByte(item->Address()), item->RawValue() & 0xFF) << "the limit reached the unit";
    const QString value = QString::number(c.Written) + QLatin1Char(' ') + item->MeasureUnit();
    EXPECT_EQ(Form->StatusPanel(1)->toolTip(), Module.Text(c.Highest ? 340 : 341).arg(edit->LabelCaption(), value));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
    ASSERT_FALSE(Form->isVisible());
  }
}

TEST_F(ConfigWindow, AReopenedWindowForgetsUnconfirmedTypingAndItsFirstKeyReplaces) {
  auto *temperature = Child<TValueEditEx>("NoxValEditTempCambio");
  const QString stored = temperature->text();
  const int address = Module.TEMPERATURA_PER_CAMBIO->Address();
  const int byte = UnitByte(address);
  Show();
  for (int i = 0; i < 3; ++i)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), temperature);
  QTest::keyClicks(temperature, QStringLiteral("33"));
  QTest::keyClick(temperature, Qt::Key_Q, Qt::AltModifier);
  ASSERT_FALSE(Form->isVisible());
  EXPECT_EQ(temperature->text(), stored);
  EXPECT_FALSE(Child<QLabel>("LabelLimite")->isVisible());

  Show();
  EXPECT_FALSE(Child<QLabel>("LabelLimite")->isVisible());
  // The window opens on the ignition type: its first Enter opens the list.
  auto *ignition = Child<TNoxComboBox>("NoxComboTipoAcc");
  ASSERT_EQ(QApplication::focusWidget(), ignition);
  QTest::keyClick(ignition, Qt::Key_Return);
  EXPECT_TRUE(ignition->ListOpen());
  QTest::keyClick(ignition->view(), Qt::Key_Escape);
  for (int i = 0; i < 3; ++i)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QTest::keyClick(temperature, Qt::Key_Return);
  EXPECT_EQ(UnitByte(address), byte) << "33 was never confirmed";
}

TEST_F(ConfigWindow, CutOffWritesItsBitAloneAndShowsItsFields) {
  const int before = UnitByte(kFlagsByte);
  ASSERT_EQ(before & 4, 0);
  Show();
  Child<QTabWidget>("PageControl1")->setCurrentIndex(1);
  EXPECT_FALSE(Shown("NoxValEditGiriCutOff"));
  auto *cutOff = Child<TNoxCheckBox>("NoxCheckBoxCutOff");
  Toggle(cutOff);
  EXPECT_EQ(UnitByte(kFlagsByte), before | 4);
  EXPECT_TRUE(Shown("NoxValEditGiriCutOff"));
  EXPECT_TRUE(Shown("NoxValEditPosCutOff"));
  EXPECT_FALSE(Shown("NoxValEditPosAff")) << "the other groups stay as they were";
  Toggle(cutOff);
  EXPECT_EQ(UnitByte(kFlagsByte), before);
  EXPECT_FALSE(Shown("NoxValEditGiriCutOff"));
}

TEST_F(ConfigWindow, OverRevWrites6000Or12000AndAStoredValueBelow9000ShowsChecked) {
  Show();
  Child<QTabWidget>("PageControl1")->setCurrentIndex(2);
  auto *overRev = Child<TNoxCheckBox>("NoxCheckBoxFuoriGiri");
  ASSERT_FALSE(overRev->isChecked()) << "factory threshold 12000";
  Toggle(overRev);
  EXPECT_EQ(UnitByte(kOverRevByte), 120000 / 6000);
  EXPECT_TRUE(Shown("NOXValueEditExFuoriGiri"));
  Toggle(overRev);
  EXPECT_EQ(UnitByte(kOverRevByte), 120000 / 12000);
  EXPECT_FALSE(Shown("NOXValueEditExFuoriGiri"));
  Form->hide();

  SetUnitByte(kOverRevByte, 120000 / 8000);
  Module.GiriFuoriGiri->Reload();
  Show();
  EXPECT_TRUE(overRev->isChecked());
  EXPECT_TRUE(Shown("NOXValueEditExFuoriGiri"));
}

TEST_F(ConfigWindow, SwitchTypeIsRewrittenOnlyWhenNeitherChoiceMatches) {
  SetUnitByte(kSwitchTypeByte, 7);
  Module.TIPO_COMMUTATORE->Reload();
  Show();
  EXPECT_EQ(UnitByte(kSwitchTypeByte), 132);
  Form->hide();

  SetUnitByte(kSwitchTypeByte, 0x85);
  Module.TIPO_COMMUTATORE->Reload();
  Show();
  EXPECT_EQ(UnitByte(kSwitchTypeByte), 0x85);
  EXPECT_EQ(Child<TNoxComboBox>("NoxComboCommutatore")->currentIndex(), 0);
  EXPECT_FALSE(Shown("NoxComboCommutatore"));
}

TEST_F(ConfigWindow, OpenCircuitChosenWithTheKeyboardWritesTheWaveThenTheType) {
  // Emulation "Massa" with a wave the fitter had changed.
  SetUnitByte(kGearAndEmulationByte, UnitByte(kGearAndEmulationByte) & ~0x60);
  for (const int address : {169, 170, 171, 172, 173})
    SetUnitByte(address, 77);
  Module.ReloadAllItems();
  Show();
  auto *button = Child<QPushButton>("ButtonOndaCostruita");
  auto *emulation = Child<TNoxComboBox>("NoxComboTipoEmul");
  ASSERT_EQ(emulation->currentIndex(), 0);
  EXPECT_FALSE(button->isEnabled());
  emulation->setFocus();
  QTest::keyClick(emulation, Qt::Key_Return); // opens the list
  QTest::keyClick(emulation->view(), Qt::Key_Down);
  QTest::keyClick(emulation->view(), Qt::Key_Down);
  QTest::keyClick(emulation->view(), Qt::Key_Return); // chosen, list closed: committed
  EXPECT_EQ(emulation->currentIndex(), 2);
  EXPECT_EQ(UnitByte(kGearAndEmulationByte) & 0x60, 0x40);
  EXPECT_EQ(UnitByte(172), 1) << "one wave";
  EXPECT_EQ(UnitByte(171), 0);
  EXPECT_EQ(UnitByte(173), 0);
  EXPECT_EQ(UnitByte(169), Module.NUMERO_VOLTE_ALTO->ConvertToEcu(Module.NUMERO_VOLTE_ALTO->DefaultValue()));
  EXPECT_TRUE(button->isEnabled());

  // Without a connection the choice only disables the button.
  Module.NoxConnection->ProtocolObject()->Disconnect();
  emulation->setFocus();
  QTest::keyClick(emulation, Qt::Key_M); // "Massa", by the list's own search
  EXPECT_EQ(emulation->currentIndex(), 0);
  EXPECT_FALSE(button->isEnabled());
}

TEST_F(ConfigWindow, FocusShowsTheLimitsBesideTheFieldAndLeavingHidesThem) {
  TNoxNumber *item = Module.GiriCutOff;
  item->SetValueMin(0);
  item->SetValueMax(5000);
  item->SetMeasureUnit(QStringLiteral("rpm"));
  Show();
  Child<QTabWidget>("PageControl1")->setCurrentIndex(1);
  auto *cutOff = Child<TNoxCheckBox>("NoxCheckBoxCutOff");
  Toggle(cutOff);
  auto *edit = Child<TValueEditEx>("NoxValEditGiriCutOff");
  edit->setFocus();
  auto *hint = Child<QLabel>("LabelLimite");
  EXPECT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), QStringLiteral("(0;5000 rpm)"));
  EXPECT_EQ(hint->parentWidget(), edit->parentWidget());
  EXPECT_EQ(hint->x(), edit->x() + edit->width() + 15);
  EXPECT_EQ(hint->y(), edit->y() + (edit->height() - hint->height()) / 2);
  Child<QWidget>("NoxValEditPosCutOff")->setFocus();
  EXPECT_TRUE(hint->isVisible());
  cutOff->setFocus();
  EXPECT_FALSE(hint->isVisible());
}

TEST_F(ConfigWindow, PageKeysWrapAndAltQOrAltF2Close) {
  Show();
  QWidget *focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, Qt::Key_PageUp);
  EXPECT_EQ(Page(), 2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  EXPECT_EQ(Page(), 0) << "Page Down on the last page goes to the first";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("NoxCheckBoxAff")) << "the new page's first field";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_TRUE(Form->isVisible()) << "Esc belongs to the fields";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
  EXPECT_FALSE(Form->isVisible());
  Show();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2, Qt::AltModifier);
  EXPECT_FALSE(Form->isVisible());
}

// The fitter works with the keyboard alone: wherever the focus goes, a ring
// of at least two pixels shows it, and no button looks focused instead.
TEST_F(ConfigWindow, TheFocusIsAlwaysRingedAndNoButtonLooksFocused) {
  Form->ApplyTexts(); // as the main window has it do at its first showing
  Show();
  const auto *ring = Form->findChild<FocusRing *>();
  ASSERT_NE(ring, nullptr);
  const auto ringsFocus = [&] {
    QWidget *focus = QApplication::focusWidget();
    if (!focus || ring->Target() != focus)
      return false;
    const QRect field(focus->mapTo(Form.get(), QPoint(0, 0)), focus->size());
    const QRect drawn = ring->geometry();
    return drawn.contains(field) && drawn.left() <= field.left() - 2 && drawn.top() <= field.top() - 2 &&
           drawn.right() >= field.right() + 2 && drawn.bottom() >= field.bottom() + 2;
  };
  EXPECT_GE(FocusRing::WIDTH, 2);
  auto *ignition = Child<TNoxComboBox>("NoxComboTipoAcc");
  ASSERT_EQ(QApplication::focusWidget(), ignition) << "the window opens on its first field";
  EXPECT_TRUE(ringsFocus()) << "ringed at once";
  for (QPushButton *button : Form->findChildren<QPushButton *>())
    EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->objectName().toStdString();

  // A choice made in the list: the focus is back on the combo box, ringed.
  QTest::keyClick(ignition, Qt::Key_Return);
  ASSERT_TRUE(ignition->ListOpen());
  QTest::keyClick(ignition->view(), Qt::Key_Up);
  QTest::keyClick(ignition->view(), Qt::Key_Return);
  ASSERT_FALSE(ignition->ListOpen());
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == ignition; }));
  EXPECT_TRUE(ringsFocus()) << "still ringed after the choice";
  // The ring follows the keys, onto another page too.
  QTest::keyClick(ignition, Qt::Key_Down);
  EXPECT_TRUE(ringsFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  EXPECT_TRUE(ringsFocus()) << "on page 2";

  // The keys no caption names are in the status bar.
  const QString hint = Form->KeysHint()->toolTip();
  for (const QKeySequence &key :
       {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::Key_F7),
        QKeySequence(Qt::Key_F8), QKeySequence(Qt::ALT | Qt::Key_Q)})
    EXPECT_TRUE(hint.contains(key.toString(QKeySequence::NativeText))) << hint.toStdString();
}

TEST_F(ConfigWindow, EraseDeclinedChangesNothing) {
  Show();
  Ui.Answer = false;
  Child<QPushButton>("ButtonReset")->click();
  ASSERT_EQ(Ui.Questions.size(), 1);
  EXPECT_EQ(Ui.Questions[0], Module.TranslatedText(22) + QStringLiteral(" | ") + Form->windowTitle());
  EXPECT_TRUE(Ui.Events.isEmpty());
  EXPECT_EQ(UnitByte(kCheckByte), 172);
}

TEST_F(ConfigWindow, EraseBringsBackTheFactoryValuesUnderTheWaitWindow) {
  Show();
  const int factoryCutOff = UnitByte(204);
  ASSERT_TRUE(Module.GiriCutOff->SetValue(3000));
  ASSERT_NE(UnitByte(204), factoryCutOff);
  Module.DataRefresher->SetRunning(true);
  Ui.Answer = true;
  auto *reset = Child<QPushButton>("ButtonReset");
  ASSERT_TRUE(reset->isEnabled());
  reset->click();
  EXPECT_EQ(UnitByte(204), factoryCutOff) << "the unit was erased";
  EXPECT_EQ(Module.GiriCutOff->RawValue(), factoryCutOff) << "and read again";
  EXPECT_EQ(Ui.Events, (QStringList{"Busy", "BeginWait(19,20)", "Idle", "EndWait"}));
  EXPECT_EQ(Ui.Positions.last(), 80 * 100 / 81);
  EXPECT_TRUE(Module.DataRefresher->IsRunning()) << "the live values go on";
  EXPECT_TRUE(Ui.Messages.isEmpty());
}

TEST_F(ConfigWindow, EraseAbandonedWhenTheRefresherWillNotStop) {
  Show();
  TDataRefresher *refresher = Module.DataRefresher;
  refresher->SetSleepTime(20);
  refresher->SetRunning(true);
  std::uint64_t before = refresher->CycleCount();
  ASSERT_TRUE(WaitFor([&] { return refresher->CycleCount() > before; }));
  refresher->SetSleepTime(3600 * 1000); // the thread is now asleep for an hour
  before = refresher->CycleCount();
  ASSERT_TRUE(WaitFor([&] { return refresher->CycleCount() > before; }));
  Ui.Answer = true;
  Child<QPushButton>("ButtonReset")->click();
  ASSERT_EQ(Ui.Messages.size(), 1);
  EXPECT_EQ(Ui.Messages[0].Text, QStringLiteral("Error: it's impossible to suspend the thread (33)"));
  EXPECT_EQ(Ui.Events, (QStringList{"Busy", "Idle"}));
  EXPECT_EQ(UnitByte(kCheckByte), 172) << "nothing was written";
}

// The tick jumps a second at every look, so the refresher's two seconds are
// over before a thread that is between two cycles can stop.
class HurriedClock : public FakeClock {
public:
  std::uint32_t TickCount() override { return Tick += 1000; }
};

struct EraseFailure {
  const char *name;
  QByteArray Unit;
  bool RefresherStuck;
  int TextId; // 0: the refresher's own message
};

class EraseFailureTest : public ConfigWindow, public ::testing::WithParamInterface<EraseFailure> {
protected:
  void SetUp() override {
    UnitLines = GetParam().Unit;
    ConfigWindow::SetUp();
  }
};

TEST_P(EraseFailureTest, SaysWhyErasesNothingAndTheLiveValuesGoOn) {
  Show();
  const int changedCutOff = 120000 / 3000;
  ASSERT_TRUE(Module.GiriCutOff->SetValue(3000));
  TDataRefresher *refresher = Module.DataRefresher;
  refresher->SetSleepTime(300);
  refresher->SetRunning(true);
  std::uint64_t before = refresher->CycleCount();
  // Just after a cycle: the thread sleeps now, and cannot stop at once.
  ASSERT_TRUE(WaitFor([&] { return refresher->CycleCount() > before; }));
  std::unique_ptr<FakeClock> clock;
  if (GetParam().RefresherStuck)
    clock = std::make_unique<HurriedClock>();
  Ui.Answer = true;
  Child<QPushButton>("ButtonReset")->click();
  clock.reset();
  ASSERT_EQ(Ui.Messages.size(), 1);
  EXPECT_EQ(Ui.Messages[0].Text, GetParam().TextId
                                     ? Module.Text(GetParam().TextId)
                                     : QStringLiteral("Error: it's impossible to suspend the thread (33)"));
  EXPECT_FALSE(Ui.Messages[0].Text.isEmpty());
  EXPECT_EQ(Ui.Events, (QStringList{"Busy", "Idle"})) << "no wait window, no read-all";
  EXPECT_EQ(UnitByte(204), changedCutOff) << "the unit was not erased";
  EXPECT_EQ(Module.GiriCutOff->RawValue(), changedCutOff);
  // A thread left stopped would run one more cycle, the one it was sleeping
  // before, and then no more.
  before = refresher->CycleCount();
  EXPECT_TRUE(WaitFor([&] { return refresher->CycleCount() >= before + 3; })) << "the live values stopped";
}

INSTANTIATE_TEST_SUITE_P(Erase, EraseFailureTest,
                         ::testing::Values(EraseFailure{"command_refused", "write_fail = 161\n", false, 215},
                                           EraseFailure{"refresher_would_not_stop", {}, true, 0}),
                         CaseName<EraseFailure>);

TEST_F(ConfigWindow, LanguageSwitchReplacesEveryTextAndEveryComboListWhole) {
  for (const int language : {1, 2, 0}) {
    SCOPED_TRACE(language);
    Module.Translator->SetLanguage(language);
    Form->ApplyTexts();
    Module.NotifyAllItems();
    const auto text = [this](int id) { return Module.Text(id); };
    for (const TextAssignment &assignment : FormTextTable::FormConfig()) {
      if (assignment.Slot != TextSlot::ComboItems)
        continue;
      auto *combo = Child<TNoxComboBox>(assignment.Element.toLatin1().constData());
      QStringList items;
      for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
      EXPECT_EQ(items, FormTextTable::Texts(assignment, text)) << assignment.Element.toStdString();
    }
    EXPECT_EQ(Form->windowTitle(), Module.Text(4));
    EXPECT_EQ(Child<TValueEditEx>("NoxValEditGiriCutOff")->LabelCaption(), Module.Text(84));
    EXPECT_EQ(Child<TNoxCheckBox>("NoxCheckBoxGuidaEco")->text(), Module.Text(92));
    EXPECT_EQ(Child<QTabWidget>("PageControl1")->tabText(2), Module.Text(26));
    auto *note = Child<QLabel>("LabelNota");
    EXPECT_EQ(note->text(), Module.Text(156));
    EXPECT_EQ(note->x(), Form->width() / 2 - note->width() / 2);
    EXPECT_EQ(Child<TNoxComboBox>("NoxComboTipoAcc")->currentIndex(), 4) << "the value is shown again";
  }
  EXPECT_TRUE(
      FormTextTable::Apply(Form.get(), FormTextTable::FormConfig(), [](int) { return QString(); }).isEmpty())
      << "every element of the table exists in the window";
  EXPECT_TRUE(Child<QLabel>("LabelNota")->text().isEmpty()) << "a missing text leaves the element empty";
}

TEST_F(ConfigWindow, FieldCaptionNamesAParameterAsTheWindowShowsIt) {
  Module.Translator->SetLanguage(1);
  Form->ApplyTexts();
  EXPECT_EQ(Form->FieldCaption(Module.GiriCutOff), Module.Text(84)) << "a value edit";
  EXPECT_EQ(Form->FieldCaption(Module.TIPO_TPS), Module.Text(55)) << "a combo box";
  EXPECT_EQ(Form->FieldCaption(Module.FLAG_CONFIGURAZIONE_2), Module.Text(92)) << "a check box";
  EXPECT_TRUE(Form->FieldCaption(Module.VelocitaFuga).isEmpty()) << "no field shows it";
}

// The core's page table says what the window shows: for units set up in
// different ways, the same fields are visible and show the same values, and
// each check box follows the rule its window description gives it.
TEST_F(ConfigWindow, ThePageTableShowsWhatTheWindowShows) {
  struct UnitState {
    int GearType, Flags, OverRevByte;
  };
  Module.Translator->SetLanguage(2);
  Form->ApplyTexts();
  for (const UnitState state : {UnitState{2, 1 | 4 | 8, 120000 / 6000}, UnitState{0, 0, 120000 / 12000},
                                UnitState{1, 4, 120000 / 8000}}) {
    SCOPED_TRACE(state.GearType * 100 + state.Flags);
    SetUnitByte(kGearAndEmulationByte, (UnitByte(kGearAndEmulationByte) & ~0x18) | state.GearType << 3);
    SetUnitByte(kFlagsByte, (UnitByte(kFlagsByte) & ~13) | state.Flags);
    SetUnitByte(kOverRevByte, state.OverRevByte);
    Module.ReloadAllItems();
    Show();
    QStringList inTable;
    for (const ConfigurationPage &page : ConfigurationPages::Pages()) {
      QList<ShownField> shown = ConfigurationPages::Shown(Module, page);
      for (const ConfigurationField &field : page.Fields) {
        inTable << QLatin1String(field.Control);
        auto *control = Child<QWidget>(field.Control);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(Form->findChild<QWidget *>(QLatin1String(page.Page))->isAncestorOf(control))
            << field.Control;
        const auto it = std::find_if(shown.begin(), shown.end(),
                                     [&](const ShownField &candidate) { return candidate.Field == &field; });
        EXPECT_EQ(it != shown.end(), !control->isHidden()) << field.Control;
        QString windowValue, caption;
        if (auto *edit = qobject_cast<TValueEditEx *>(control)) {
          EXPECT_EQ(field.Type, ConfigurationField::Kind::Value) << field.Control;
          windowValue = edit->text();
          caption = edit->LabelCaption();
        } else if (auto *combo = qobject_cast<TNoxComboBox *>(control)) {
          EXPECT_EQ(field.Type, ConfigurationField::Kind::Combo) << field.Control;
          windowValue = combo->currentText();
          caption = combo->LabelCaption();
        } else if (auto *box = qobject_cast<TNoxCheckBox *>(control)) {
          ASSERT_EQ(field.Type, ConfigurationField::Kind::Check) << field.Control;
          windowValue = Module.Text(box->isChecked() ? ConfigurationPages::TEXT_CHECKED
                                                     : ConfigurationPages::TEXT_UNCHECKED);
          caption = box->text();
          EXPECT_EQ(static_cast<int>(box->Condition()), static_cast<int>(field.Check.When)) << field.Control;
          EXPECT_EQ(box->ConditionValue(), field.Check.ConditionValue) << field.Control;
          EXPECT_EQ(box->CheckedValue(), field.Check.CheckedValue) << field.Control;
          EXPECT_EQ(box->UncheckedValue(), field.Check.UncheckedValue) << field.Control;
        }
        if (it != shown.end()) {
          EXPECT_EQ(it->Value, windowValue) << field.Control;
          EXPECT_EQ(it->Caption, caption) << field.Control;
        }
      }
    }
    // Nothing bound in the window is missing from the table.
    for (const TValueEditEx *edit : Form->findChildren<TValueEditEx *>())
      EXPECT_TRUE(inTable.contains(edit->objectName())) << edit->objectName().toStdString();
    for (const TNoxComboBox *combo : Form->findChildren<TNoxComboBox *>())
      EXPECT_TRUE(inTable.contains(combo->objectName())) << combo->objectName().toStdString();
    for (const TNoxCheckBox *box : Form->findChildren<TNoxCheckBox *>())
      EXPECT_TRUE(inTable.contains(box->objectName())) << box->objectName().toStdString();
    Form->hide();
  }
  // The change log names a flag's change after the check box owning its bit.
  EXPECT_EQ(ConfigurationPages::CaptionOf(Module, Module.FLAG_GONFIGURAZIONE, 4), Module.Text(83));
  EXPECT_EQ(ConfigurationPages::CaptionOf(Module, Module.GiriFuoriGiri), Module.Text(91))
      << "the field, not the box";
  EXPECT_EQ(ConfigurationPages::CaptionOf(Module, Module.FLAG_GONFIGURAZIONE, 16), Module.Text(431))
      << "a bit no box owns";
}

TEST_F(ConfigWindow, LampsAndTheDefaultLabelFollowTheCore) {
  Show();
  VehicleConfigView *view = VehicleConfigView::Current();
  ASSERT_EQ(view, Form.get());
  view->SetTpsBandPosition(3, 100);
  view->SetLambdaBandPosition(0, 100);
  EXPECT_EQ(Child<QProgressBar>("LMDProgressFillTPS3")->value(), 100);
  EXPECT_EQ(Child<QProgressBar>("LMDProgressFillLambda0")->value(), 100);
  view->SetDefaultLabelColor(0xFF0000); // blue in the unit's colour order
  EXPECT_EQ(Child<QLabel>("NoxLabelDefault")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  view->SetTimerEnabled(true);
  EXPECT_TRUE(Form->Timer()->isActive());
  view->SetTimerEnabled(false);
  EXPECT_FALSE(Form->Timer()->isActive());
  Form.reset();
  EXPECT_EQ(VehicleConfigView::Current(), nullptr) << "the core never reaches a destroyed window";
}

} // namespace

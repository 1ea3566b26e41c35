#include "ControlFixture.h"
#include "ui_PromotedControls.h"

namespace {

// A window description with every control promoted, as the windows use
// them: the stored settings land where they belong.
TEST(PromotedControlsTest, StoredSettingsReachTheControls) {
  QWidget window;
  Ui::PromotedControls ui;
  ui.setupUi(&window);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  TChildLabel *caption = ui.NoxValEditTempCambio->EditLabel();
  EXPECT_EQ(caption->text(), QStringLiteral("Temperatura per Cambio"));
  EXPECT_EQ(caption->x(), 30) << "spacing 600 left of an edit at 630";
  EXPECT_EQ(caption->y(), 20 + (24 - caption->height()) / 2);
  EXPECT_TRUE(caption->isVisible());
  EXPECT_EQ(ui.NoxValEditTempCambio->DataNotDefinedAspect(), Nox::ddInvisible);
  TResizer *resizer = ui.NoxValEditTempCambio->Resizer();
  EXPECT_EQ(resizer->ResizingBorder(), 8);
  EXPECT_EQ(resizer->ResizingMode(), Nox::raHorizontal | Nox::raMove);
  EXPECT_EQ(resizer->GridDimension(), 10);
  EXPECT_TRUE(resizer->FixDblClick());

  EXPECT_EQ(ui.NoxComboTipoCambio->ComboLabel()->x(), 230);
  EXPECT_EQ(ui.NoxComboTipoCambio->count(), 2);
  EXPECT_EQ(ui.NoxCheckBoxCutOff->Condition(), Nox::ccMaskedBit);
  EXPECT_EQ(ui.NoxCheckBoxCutOff->CheckedValue(), 4);
  EXPECT_EQ(ui.NoxLabelLambda->text(), QStringLiteral("0.00 V"));
  EXPECT_EQ(ui.NoxLabelLambda->ChildLabel()->text(), QStringLiteral("Lambda"));
  EXPECT_EQ(ui.NumericEditSondaSconnessa->MaxValue(), 640);
  ASSERT_NE(ui.KeyCombo->BackShape(), nullptr);
  ASSERT_NE(ui.KeyCombo->UnitLabel(), nullptr);
  EXPECT_EQ(ui.KeyCombo->UnitLabel()->x(), 300 + 96 + 10);
  EXPECT_EQ(ui.KeyCombo->BackShape()->geometry(),
            QRect(298, 218, 2 + 96 + ui.KeyCombo->UnitLabel()->width() + 24, 28));
}

} // namespace

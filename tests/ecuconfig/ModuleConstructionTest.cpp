// What the data module holds right after construction: every component in
// its place, every item with exactly its catalogue settings, the events wired
// as the address map lists them, and nothing loaded or read.
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/ParameterCatalogue.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/RecordingUserInterface.h"
#include "translator/TTranslator.h"

#include <QSet>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace ParameterCatalogue;

namespace {

// Component index of data item number n: connection and refresher first,
// the translator after item 33.
int IndexOfItem(int number) {
  return number + 1 + (number > TranslatorAfterItem ? 1 : 0);
}

QSet<QString> Names(const TSerialDataModule &module, bool (*has)(const TNoxSerialData &)) {
  QSet<QString> names;
  for (TNoxSerialData *item : module.DataItems())
    if (has(*item))
      names << item->objectName();
  return names;
}

} // namespace

TEST(ModuleConstruction, ComponentOrder) {
  TSerialDataModule module;
  const QList<QObject *> &components = module.Components();
  ASSERT_EQ(components.size(), ComponentCount);
  EXPECT_EQ(components[0], module.NoxConnection);
  EXPECT_EQ(components[1], module.DataRefresher);
  EXPECT_EQ(components[35], module.Translator);
  EXPECT_EQ(components[0]->objectName(), "NoxConnection");
  EXPECT_EQ(components[1]->objectName(), "DataRefresher");
  EXPECT_EQ(components[35]->objectName(), "Translator");
  for (const ParameterRow &row : ParameterRows()) {
    EXPECT_EQ(components[IndexOfItem(row.Number)]->objectName(), row.Component);
    EXPECT_EQ(components[IndexOfItem(row.Number)], module.*row.Member) << row.Component;
  }
  for (const LiveValueRow &row : LiveValueRows()) {
    EXPECT_EQ(components[IndexOfItem(row.Number)]->objectName(), row.Component);
    EXPECT_EQ(components[IndexOfItem(row.Number)], module.*row.Member) << row.Component;
  }
  // A few fixed points of the order that the files and the progress bar rely on.
  EXPECT_EQ(components[2], module.TIPO_ACCENSIONE);
  EXPECT_EQ(components[19], module.VALORE_LAMBDA);
  EXPECT_EQ(components[34], module.GiriFuoriGiri);
  EXPECT_EQ(components[36], module.TipoSensore);
  EXPECT_EQ(components[80], module.FlagAcquisitodefault);
  EXPECT_EQ(module.DataItems().size(), ItemCount);
}

TEST(ModuleConstruction, OwnedComponentSettings) {
  TSerialDataModule module;
  EXPECT_EQ(module.NoxConnection->DllName(), "ProtoNOX.dll");
  EXPECT_TRUE(module.NoxConnection->AutoLoadLibrary());
  EXPECT_EQ(module.DataRefresher->Connection(), module.NoxConnection);
  EXPECT_EQ(module.Translator->DllName(), QString());
  EXPECT_TRUE(module.Translator->IsUnicode());
}

// What the behavioural tests below cannot see: where each parameter is
// found, filed and grouped.
TEST(ModuleConstruction, ParametersLocationAndFileEntry) {
  TSerialDataModule module;
  for (const ParameterRow &row : ParameterRows()) {
    SCOPED_TRACE(row.Component);
    const TNoxNumber &item = *(module.*row.Member);
    EXPECT_EQ(item.DataLength(), 1);
    EXPECT_EQ(item.DataMask(), row.Mask);
    EXPECT_EQ(item.DataCode(), 0u);
    EXPECT_EQ(item.Type(), ntSingle);
    EXPECT_EQ(item.ByAddress(), row.Address != NoAddress);
    EXPECT_EQ(item.Address(), row.Address != NoAddress ? row.Address : 0);
    EXPECT_EQ(item.DisableLimits(), (row.Flags & DL) != 0);
    EXPECT_EQ(item.ReadOnly(), (row.Flags & RO) != 0);
    EXPECT_EQ(item.DataGroup(), (row.Flags & G1) != 0 ? 1 : 0);
    EXPECT_TRUE(item.StoreUserValue());
    EXPECT_EQ(item.FileSection(), row.FileSection);
    EXPECT_EQ(item.FileKeyName(), row.FileKey);
    EXPECT_EQ(item.Connection(), module.NoxConnection);
  }
  EXPECT_EQ(module.TEMPERATURA_PER_CAMBIO->MeasureUnit(), QStringLiteral("\u00B0C"));
}

TEST(ModuleConstruction, LiveValuesArePolledTogether) {
  TSerialDataModule module;
  for (const LiveValueRow &row : LiveValueRows()) {
    SCOPED_TRACE(row.Component);
    const TNoxPacketData &item = *(module.*row.Member);
    EXPECT_EQ(item.Offset(), row.Offset);
    EXPECT_EQ(item.TimeInterval(), 100);
    EXPECT_TRUE(item.Active());
    EXPECT_TRUE(item.ReadOnly());
    EXPECT_TRUE(item.DisableLimits());
    EXPECT_TRUE(item.FileKeyName().isEmpty());
  }
  // All nine share the one status-packet request.
  EXPECT_EQ(module.DataRefresher->ElementCount(), 1);
  EXPECT_EQ(module.DataRefresher->ClientCount(0x800, -1), 9);
}

// The wiring, written down independently of the catalogue rows.
TEST(ModuleConstruction, EventsAreWiredAsListed) {
  TSerialDataModule module;
  const QSet<QString> actuator{"MASSIMA_APERTURA_ATTUATORE", "MINIMA_APERTURA_ATTUATORE",
                               "MinimaAperturaAlMinimo", "FrazDefEntroMinimo", "FrazDefEscoMinimo"};
  QSet<QString> getData = actuator;
  getData += {"TIPO_ACCENSIONE", "TIPO_TPS",      "TIPO_COMMUTATORE", "FlagAcquisitodefault",
              "FASCIA_TPS",      "FASCIA_LAMBDA", "VAL_GIRI"};
  QSet<QString> setData = actuator;
  setData +=
      {"TIPO_ACCENSIONE", "TIPO_TPS", "GiriCutOffFiliGialli", "TIPO_SONDA_LAMBDA", "FLAG_GONFIGURAZIONE"};
  const QSet<QString> custom{"PosizioneASondaFredda", "FrazDefEntroMinimo", "FrazDefEscoMinimo",
                             "FLAG_CONFIGURAZIONE_3"};

  EXPECT_EQ(Names(module, [](const TNoxSerialData &i) { return bool(i.OnGetData); }), getData);
  EXPECT_EQ(Names(module, [](const TNoxSerialData &i) { return bool(i.OnSetData); }), setData);
  EXPECT_EQ(Names(module, [](const TNoxSerialData &i) { return bool(i.OnConvertToUser); }), custom);
  EXPECT_EQ(Names(module, [](const TNoxSerialData &i) { return bool(i.OnConvertToEcu); }), custom);
  EXPECT_EQ(Names(module, [](const TNoxSerialData &i) { return i.Transformation() == ttCustom; }), custom);
  EXPECT_EQ(Names(module,
                  [](const TNoxSerialData &i) {
                    return bool(i.BeforeSetData) || bool(i.BeforeGetData) || bool(i.OnError);
                  }),
            QSet<QString>());
}

// Construction computes each parameter's default raw value but talks to no
// unit: the protocol library stays unloaded (no "SER dll not found" either)
// and no value counts as read.
TEST(ModuleConstruction, DefaultsWithoutAUnit) {
  RecordingUserInterface ui;
  TSerialDataModule module;
  EXPECT_FALSE(module.NoxConnection->Loaded());
  EXPECT_TRUE(ui.Messages.isEmpty());

  for (const ParameterRow &row : ParameterRows()) {
    SCOPED_TRACE(row.Component);
    TNoxNumber &item = *(module.*row.Member);
    EXPECT_FALSE(item.DataValid());
    // The item's own limits apply unless it has them off.
    double expected = row.Default;
    if (!(row.Flags & DL) && (row.Min != 0 || row.Max != 0))
      expected = std::clamp(expected, row.Min, row.Max);
    // A byte has coarse steps at high speeds (near 8000 RPM one step is about
    // 500 RPM), so the round trip may miss by up to one step or the precision.
    const std::int32_t r = item.RawValue();
    double tolerance = std::max(row.Precision, 1e-9);
    if (row.Transformation == ttFormula && row.Mask == 255 && r > 0 && r < 255)
      tolerance = std::max({tolerance, std::abs(item.ConvertToUser(r + 1) - item.ConvertToUser(r)),
                            std::abs(item.ConvertToUser(r) - item.ConvertToUser(r - 1))});
    EXPECT_NEAR(item.ConvertToUser(r), expected, tolerance);
  }

  // Hand-derived raw bytes where the encoding is not a plain number.
  const std::map<TNoxNumber *, std::int32_t> raw{
      {module.TIPO_ACCENSIONE, 4},
      {module.TIPO_EMULAZIONE, 64}, // bits 5-6 of 0x44
      {module.TipoSensore, 0},
      {module.TIPO_COMMUTATORE, 0}, // changed only by the window
      {module.FLAG_CONFIGURAZIONE_3, 0x00},
      {module.FLAG_GONFIGURAZIONE, 32}, // bit 4 stored inverted
      {module.FrazDefEscoMinimo, 5},
      {module.PosizioneASondaFredda, 0},
      {module.TEMPERATURA_PER_CAMBIO, 128},
      {module.TEMPO_SOVRAPPOSIZIONE, 101},
      {module.GiriPerCambio, 59},
      {module.TempoDiCicchetto, 50}, // 117000 / 2000 rounded
      {module.GiriFuoriGiri, 15},    // 12000 clamped to 8000
      {module.CHECKUP, 172},
      {module.RIPROGRAMMAZIONE, 240},
  };
  for (const auto &[item, value] : raw)
    EXPECT_EQ(item->RawValue(), value) << item->objectName().toStdString();
  for (TNoxSerialData *item : module.DataItems()) {
    if (item->DataKind() == 3) {
      EXPECT_EQ(item->RawValue(), 0) << item->objectName().toStdString();
    }
  }
  EXPECT_FALSE(module.NoxConnection->Loaded());
}

TEST(ModuleConstruction, GlobalAndModuleState) {
  EXPECT_EQ(SerialDataModule, nullptr);
  {
    TSerialDataModule module;
    EXPECT_EQ(SerialDataModule, &module);
    EXPECT_FALSE(module.YellowWireSupported());
    EXPECT_TRUE(module.FirmwareStatusText().isEmpty());
    for (int id : TSerialDataModule::TranslatedTextIds()) {
      EXPECT_TRUE(module.TranslatedText(id).isEmpty());
      EXPECT_TRUE(module.SetTranslatedText(id, QStringLiteral("text %1").arg(id)));
    }
    for (int id : TSerialDataModule::TranslatedTextIds())
      EXPECT_EQ(module.TranslatedText(id), QStringLiteral("text %1").arg(id));
    EXPECT_FALSE(module.SetTranslatedText(12, QStringLiteral("x")));
    EXPECT_TRUE(module.TranslatedText(12).isEmpty());
    EXPECT_EQ(TSerialDataModule::TranslatedTextIds(), (QList<int>{10, 11, 17, 18, 19, 20, 21, 22, 106}));
  }
  EXPECT_EQ(SerialDataModule, nullptr);
}

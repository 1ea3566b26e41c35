#include "ecuconfig/TSerialDataModule.h"

#include "dataitems/ConnectionStateRelay.h"
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/ParameterCatalogue.h"
#include "platform/DynamicLibrary.h"
#include "translator/TTranslator.h"

#include <utility>
#include <vector>

TSerialDataModule *SerialDataModule = nullptr;

namespace {

using namespace ParameterCatalogue;

template <typename Handler> auto Bind(TSerialDataModule *module, Handler handler) {
  return [module, handler](auto &&...arguments) {
    (module->*handler)(std::forward<decltype(arguments)>(arguments)...);
  };
}

// What the common base carries, whichever kind of item it is.
struct BaseValues {
  int Mask;
  TransformationType Transformation;
  Coeffs Coefficients;
  Table ConversionTable;
  const char *Unit;
  double Precision, Min, Max;
  bool DisableLimits;
  int DataGroup;
  ConvertToEcuHandler OnConvertToEcu;
  ConvertToUserHandler OnConvertToUser;
  const char *FileSection;
  const char *FileKey;
  bool ReadOnly;
};

// The common base's properties in their declared order. Coeffs and the
// conversion table take the place of the four single coefficients.
void ApplyBaseProperties(TNoxSerialData &item, const BaseValues &values, TSerialDataModule *module) {
  item.SetDataLength(1);
  item.SetDataMask(values.Mask);
  item.SetSerialCode(0);
  item.SetSigned(false);
  item.SetTransformation(values.Transformation);
  item.SetMeasureUnit(QString::fromUtf8(values.Unit));
  const Coeffs &c = values.Coefficients;
  item.SetCoeffs(c.A, c.B, c.C, c.D);
  std::vector<double> ecuColumn, userColumn;
  TableColumns(values.ConversionTable, ecuColumn, userColumn);
  item.SetConversionTable(std::move(ecuColumn), std::move(userColumn));
  item.SetPrecision(values.Precision);
  item.SetValueMin(values.Min);
  item.SetValueMax(values.Max);
  item.SetDisableLimits(values.DisableLimits);
  item.SetDataGroup(values.DataGroup);
  item.SetOldReadFileMode(false);
  if (values.OnConvertToEcu)
    item.OnConvertToEcu = Bind(module, values.OnConvertToEcu);
  if (values.OnConvertToUser)
    item.OnConvertToUser = Bind(module, values.OnConvertToUser);
  item.SetFileSection(QString::fromLatin1(values.FileSection));
  item.SetFileKeyName(QString::fromLatin1(values.FileKey));
  item.SetStoreUserValue(true);
  item.SetReadOnly(values.ReadOnly);
}

void ApplyItemEvents(TNoxSerialData &item, const Events &events, TSerialDataModule *module) {
  if (events.OnSetData)
    item.OnSetData = Bind(module, events.OnSetData);
  if (events.OnGetData)
    item.OnGetData = Bind(module, events.OnGetData);
}

TNoxNumber *BuildParameter(const ParameterRow &row, TSerialDataModule *module) {
  auto *item = new TNoxNumber(module);
  item->setObjectName(QString::fromLatin1(row.Component));
  ApplyBaseProperties(*item,
                      {row.Mask, row.Transformation, row.Coefficients, row.ConversionTable, row.Unit,
                       row.Precision, row.Min, row.Max, (row.Flags & DL) != 0, (row.Flags & G1) != 0 ? 1 : 0,
                       row.Handlers.OnConvertToEcu, row.Handlers.OnConvertToUser, row.FileSection,
                       row.FileKey, (row.Flags & RO) != 0},
                      module);
  item->SetType(ntSingle);
  // The command value has no address: it is reached by its data code.
  item->SetByAddress(row.Address != NoAddress);
  item->SetAddress(row.Address != NoAddress ? row.Address : 0);
  item->SetDefaultValue(row.Default);
  ApplyItemEvents(*item, row.Handlers, module);
  // The loaded hook computes the default's raw form. A masked item merges it
  // with a fresh read through its connection, so the connection comes only
  // afterwards: building the module must not load the protocol library.
  item->Loaded();
  item->SetConnection(module->NoxConnection);
  return item;
}

TNoxPacketData *BuildLiveValue(const LiveValueRow &row, TSerialDataModule *module) {
  auto *item = new TNoxPacketData(module);
  item->setObjectName(QString::fromLatin1(row.Component));
  // Live values have no limits, no unit and no file entry.
  ApplyBaseProperties(*item,
                      {row.Mask, row.Transformation, row.Coefficients, row.ConversionTable, "", row.Precision,
                       0, 0, true, 0, row.Handlers.OnConvertToEcu, row.Handlers.OnConvertToUser, "", "",
                       true},
                      module);
  item->SetTimeInterval(100);
  item->SetOffset(row.Offset);
  item->SetActive(true);
  item->SetDataRefresher(module->DataRefresher);
  ApplyItemEvents(*item, row.Handlers, module);
  item->Loaded();
  return item;
}

} // namespace

TSerialDataModule::TSerialDataModule(QObject *owner) : QObject(owner) {
  setObjectName(QStringLiteral("SerialDataModule"));
  BuildComponents();
  LinkByteSharers();
  // Not a component: it takes no part in the component order.
  m_connectionRelay = new ConnectionStateRelay(this);
  SerialDataModule = this;
}

void TSerialDataModule::LinkByteSharers() {
  const QList<TNoxSerialData *> items = DataItems();
  for (TNoxSerialData *a : items)
    for (TNoxSerialData *b : items) {
      auto *first = qobject_cast<TNoxNumber *>(a);
      auto *second = qobject_cast<TNoxNumber *>(b);
      if (first && second && first != second && first->ByAddress() && second->ByAddress() &&
          first->Address() == second->Address() && first->DataMask() == first->FullMask() &&
          second->DataMask() == second->FullMask())
        first->AddByteSharer(second);
    }
}

TSerialDataModule::~TSerialDataModule() {
  if (SerialDataModule == this)
    SerialDataModule = nullptr;
  // Close the line and unload the protocol library before anything goes.
  CloseConnection(true);
  // Last built, first freed: live values leave a refresher that still exists,
  // parameters a connection that still exists.
  for (auto it = m_components.crbegin(); it != m_components.crend(); ++it)
    delete *it;
  m_components.clear();
}

void TSerialDataModule::BuildComponents() {
  NoxConnection = new TNoxConnection(this);
  NoxConnection->setObjectName(QStringLiteral("NoxConnection"));
  NoxConnection->SetAutoLoadLibrary(true);
  NoxConnection->SetDllName(QStringLiteral("ProtoNOX.dll"));
  m_components << NoxConnection;

  DataRefresher = new TDataRefresher(this);
  DataRefresher->setObjectName(QStringLiteral("DataRefresher"));
  DataRefresher->SetConnection(NoxConnection);
  m_components << DataRefresher;

  // The two tables share one numbering: the component order.
  std::vector<const ParameterRow *> parameters;
  std::vector<const LiveValueRow *> liveValues;
  for (const ParameterRow &row : ParameterRows())
    parameters.push_back(&row);
  for (const LiveValueRow &row : LiveValueRows())
    liveValues.push_back(&row);
  auto nextParameter = parameters.begin();
  auto nextLiveValue = liveValues.begin();
  for (int number = 1; number <= ItemCount; ++number) {
    if (nextParameter != parameters.end() && (*nextParameter)->Number == number) {
      const ParameterRow &row = **nextParameter++;
      this->*row.Member = BuildParameter(row, this);
      m_components << this->*row.Member;
    } else if (nextLiveValue != liveValues.end() && (*nextLiveValue)->Number == number) {
      const LiveValueRow &row = **nextLiveValue++;
      this->*row.Member = BuildLiveValue(row, this);
      m_components << this->*row.Member;
    }
    if (number == TranslatorAfterItem) {
      Translator = new TTranslator(this);
      Translator->setObjectName(QStringLiteral("Translator"));
      m_components << Translator;
    }
  }
}

QList<TNoxSerialData *> TSerialDataModule::DataItems() const {
  QList<TNoxSerialData *> items;
  for (QObject *component : m_components)
    if (auto *item = qobject_cast<TNoxSerialData *>(component))
      items << item;
  return items;
}

const QList<int> &TSerialDataModule::TranslatedTextIds() {
  static const QList<int> ids{10, 11, 17, 18, 19, 20, 21, 22, 106};
  return ids;
}

bool TSerialDataModule::SetTranslatedText(int textId, const QString &text) {
  const auto slot = TranslatedTextIds().indexOf(textId);
  if (slot < 0)
    return false;
  m_translatedTexts[static_cast<std::size_t>(slot)] = text;
  return true;
}

QString TSerialDataModule::TranslatedText(int textId) const {
  const auto slot = TranslatedTextIds().indexOf(textId);
  return slot < 0 ? QString() : m_translatedTexts[static_cast<std::size_t>(slot)];
}

bool TSerialDataModule::LoadLanguageLibrary() {
  Translator->SetDllName(DynamicLibrary::ExecutableFolder() + QStringLiteral("/Languages.dll"));
  return Translator->LoadLanguageLibrary();
}

void TSerialDataModule::ApplyProcessTexts() {
  for (int id : TranslatedTextIds())
    SetTranslatedText(id, Text(id));
}

QString TSerialDataModule::Text(int textId) const {
  return Translator->GetText(textId);
}

WaitRequest TSerialDataModule::WaitRequestFor(int captionTextId, int labelTextId) const {
  constexpr int completedTextId = 21;
  WaitRequest request;
  request.CaptionTextId = captionTextId;
  request.LabelTextId = labelTextId;
  const auto text = [this](int id) { return TranslatedTextIds().contains(id) ? TranslatedText(id) : Text(id); };
  request.Caption = text(captionTextId);
  request.Label = text(labelTextId);
  request.CompletedText = text(completedTextId);
  return request;
}

const NoxNotifyHandle *TSerialDataModule::NotifyHandle() const {
  return m_connectionRelay->Handle();
}

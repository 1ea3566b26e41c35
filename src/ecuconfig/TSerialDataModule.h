#pragma once
#include "NoxProtocolObject.h"
#include "platform/UserInterface.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

class ConnectionStateRelay;
struct LoadSummary;
class TDataRefresher;
class TNoxConnection;
class TNoxNumber;
class TNoxPacketData;
class TNoxSerialData;
class TTranslator;

// The one object that owns everything the program knows about the control
// unit: the protocol connection, the live-value poller, the translator and
// the 78 data items of the address map (ParameterCatalogue), plus the
// handlers that tie parameters to one another. Reachable everywhere as
// SerialDataModule.
class TSerialDataModule : public QObject {
  Q_OBJECT
public:
  explicit TSerialDataModule(QObject *owner = nullptr);
  ~TSerialDataModule() override;

  // The 81 components in their significant order: reading all, saving and
  // loading walk it, and progress is index x 100 / 81.
  const QList<QObject *> &Components() const { return m_components; }
  // The 78 data items, in component order.
  QList<TNoxSerialData *> DataItems() const;

  // ---- Module state
  // Firmware with the yellow-wire cut-off was identified at the last connect;
  // gates the two yellow-wire speed items.
  bool YellowWireSupported() const { return m_yellowWireSupported; }
  void SetYellowWireSupported(bool value) { m_yellowWireSupported = value; }
  QString FirmwareStatusText() const { return m_firmwareStatusText; }
  void SetFirmwareStatusText(const QString &value) { m_firmwareStatusText = value; }
  // The language texts the connect sequence and the windows show: ids 10, 11,
  // 17, 18, 19, 20, 21, 22 and 106. Other ids are refused (false, empty).
  bool SetTranslatedText(int textId, const QString &text);
  QString TranslatedText(int textId) const;
  static const QList<int> &TranslatedTextIds();

  // Loads the language library "Languages.dll" beside the executable into
  // the translator, as both programs do at start-up. False when it could not
  // be loaded (every text is then empty).
  bool LoadLanguageLibrary();
  // Fills the process-wide texts above from the translator's current
  // language. Run after the language is chosen and after every switch: the
  // desktop program's text application and ecuctl's start-up both call it.
  void ApplyProcessTexts();

  // The current language's text of an id, straight from the translator.
  QString Text(int textId) const;
  // The line to the unit dropped: both programs say it with this text.
  static constexpr int TEXT_LINE_LOST = 210;
  // After a load: "%1 values written, %2 already in the unit".
  static constexpr int TEXT_LOAD_SUMMARY = 221;
  // A wait window's texts: caption and label by id, and text 21, the word
  // after the percentage; the process-wide ones where the id is one.
  WaitRequest WaitRequestFor(int captionTextId, int labelTextId) const;
  // "The main window's handle" given to the protocol library: connection-state
  // messages arrive through this relay on the GUI thread, where the main
  // window picks them up (ConnectionRelay()->SetTarget or its signal).
  const NoxNotifyHandle *NotifyHandle() const;
  ConnectionStateRelay *ConnectionRelay() const { return m_connectionRelay; }
  // The last identification record read at a connect; zero before.
  NoxIdentification Identification{};

  // ---- Connection and operations over all items (ConnectSequence,
  // ItemBulkOperations)
  // 1 already connected, 0 connected (or library missing, Connect refused),
  // -1 no answer, -2 unsupported unit.
  int ConnectAndReadAll(int setupValue, int options);
  void CloseConnection(bool refresherRunning);
  void ReloadAllItems();
  void ActivateLiveValues();
  bool SuspendRefresher();
  void LoadAllDefaults();
  void ClearLiveValues();
  void NotifyAllItems();
  // Writes the check byte's erase value: the unit restores its factory
  // configuration. False when the write was refused or failed. The caller
  // gives the unit time, then reads everything again.
  bool SendEraseCommand();

Q_SIGNALS:
  // A connect read every item and the line is still up: the items hold the
  // configuration as found, before the connect corrects anything in it.
  void ConfigurationFound();
  // A connect identified the unit, read every item and made its corrections.
  // Raised after the wait window has gone.
  void ConfigurationRead();
  // The program closed the connection (disconnect, a failed connect, exit).
  void ConnectionClosed();
  // A load is about to write a file's values into the unit on line, and
  // then has ended; `whole`: the line stayed up to its end, so whatever the
  // unit refused is said and nothing is left half done.
  // fileBytes: the enciphered configuration the load writes (the file, or
  // for a load of chosen values the unit with those values in it).
  void LoadBegins(const QString &fileName, const QByteArray &fileBytes);
  void LoadEnded(bool whole);
  // An undo (or redo) of several writes begins; targetPlain is the unit's
  // configuration once it has gone through. It ends with LoadEnded.
  void ReplayBegins(bool undo, const QByteArray &targetPlain);

public:

  // ---- Configuration files (ConfigurationFile, ConfigurationEnvelope)
  bool SaveConfiguration(const QString &fileName);
  // Sends only the bytes the file changes; the summary (may be null) counts
  // the values written and those the unit already held.
  bool LoadConfiguration(const QString &fileName);
  // writeEveryValue: every value is written as it is loaded, changed or not.
  bool LoadConfiguration(const QString &fileName, bool writeEveryValue, LoadSummary *summary);
  // Only the chosen parameters of the file, and those that go with them
  // (ConfigurationFile::LoadChosen).
  bool LoadChosenValues(const QString &fileName, const QList<const TNoxNumber *> &chosen, bool writeEveryValue,
                        LoadSummary *summary);
  bool EncryptFile(const QString &plainFileName, const QString &targetFileName);
  // block: a 32-bit little-endian length, then the deciphered bytes.
  bool DecryptFile(const QString &fileName, QByteArray &block);

  // ---- Owned components
  TNoxConnection *NoxConnection = nullptr;
  TDataRefresher *DataRefresher = nullptr;
  TTranslator *Translator = nullptr;

  // ---- Data items, in component order
  TNoxNumber *TIPO_ACCENSIONE = nullptr;
  TNoxNumber *TIPO_SEGNALE_GIRI = nullptr;
  TNoxNumber *TIPO_CAMBIO = nullptr;
  TNoxNumber *TEMPO_SOVRAPPOSIZIONE = nullptr;
  TNoxNumber *TIPO_TPS = nullptr;
  TNoxNumber *TIPO_SONDA_LAMBDA = nullptr;
  TNoxNumber *RITARDO_LETTURA_SONDA = nullptr;
  TNoxNumber *MASSIMA_APERTURA_ATTUATORE = nullptr;
  TNoxNumber *MINIMA_APERTURA_ATTUATORE = nullptr;
  TNoxNumber *FLAG_GONFIGURAZIONE = nullptr;
  TNoxNumber *POSIZIONE_IN_AFFONDATA = nullptr;
  TNoxNumber *TPS_PER_AFFONDATA = nullptr;
  TNoxNumber *POSIZIONE_IN_CUTOFF = nullptr;
  TNoxNumber *POSIZIONE_DEFAULT = nullptr;
  TNoxNumber *FLAG_CONFIGURAZIONE_2 = nullptr;
  TNoxNumber *ISTERESI_MINIMO_TPS = nullptr;
  TNoxNumber *CHECKUP = nullptr;
  TNoxPacketData *VALORE_LAMBDA = nullptr;
  TNoxNumber *TEMPERATURA_PER_CAMBIO = nullptr;
  TNoxPacketData *VALOR_TPS = nullptr;
  TNoxPacketData *VALORE_MINIMO_TPS = nullptr;
  TNoxPacketData *POSIZIONE_ATTUATORE = nullptr;
  TNoxPacketData *VALORE_POSIZIONE_DEFAULT = nullptr;
  TNoxPacketData *FASCIA_TPS = nullptr;
  TNoxPacketData *FASCIA_LAMBDA = nullptr;
  TNoxNumber *TIPO_COMMUTATORE = nullptr;
  TNoxNumber *RIPROGRAMMAZIONE = nullptr;
  TNoxPacketData *VAL_TEMPERATURA = nullptr;
  TNoxPacketData *VAL_GIRI = nullptr;
  TNoxNumber *GiriPerCambio = nullptr;
  TNoxNumber *GiriSbananata = nullptr;
  TNoxNumber *GiriCutOff = nullptr;
  TNoxNumber *GiriFuoriGiri = nullptr;
  // (Translator sits here in the component list.)
  TNoxNumber *TipoSensore = nullptr;
  TNoxNumber *NUMERO_VOLTE_ALTO = nullptr;
  TNoxNumber *NUVERO_VOLTE_BASSO = nullptr;
  TNoxNumber *NUMERO_VOLTE_TRI = nullptr;
  TNoxNumber *NUMERO_RIPETIZIONI_ONDA = nullptr;
  TNoxNumber *NUMERO_RIPETIZIONI_TRI = nullptr;
  TNoxNumber *RifLambdaAlMinimo = nullptr;
  TNoxNumber *RifLambdaFuoriMinimo = nullptr;
  TNoxNumber *RifLambdaRiccoFreddo = nullptr;
  TNoxNumber *TIPO_EMULAZIONE = nullptr;
  TNoxNumber *AperturaSfigFuoriMin = nullptr;
  TNoxNumber *FLAG_CONFIGURAZIONE_3 = nullptr;
  TNoxNumber *AperturaSfigFuoriMinEco = nullptr;
  TNoxNumber *TPSFasciaApprendimento = nullptr;
  TNoxNumber *PosizioneASondaFredda = nullptr;
  TNoxNumber *RifLambdaInPotenza = nullptr;
  TNoxNumber *TempoTraTestMagroPower = nullptr;
  TNoxNumber *NPassiPrimoMagroPower = nullptr;
  TNoxNumber *NPassiTestMagroPower = nullptr;
  TNoxNumber *TPSSbananata = nullptr;
  TNoxNumber *NoxNumberTPSRif2 = nullptr;
  TNoxNumber *PosizioneInOpenLoop = nullptr;
  TNoxNumber *VelIngrMinimo = nullptr;
  TNoxNumber *VelSmagrMinimo = nullptr;
  TNoxNumber *VelIngrCrociera = nullptr;
  TNoxNumber *VelSmagrCrociera = nullptr;
  TNoxNumber *MinimaAperturaAlMinimo = nullptr;
  TNoxNumber *MassimaAperturaAlMinimo = nullptr;
  TNoxNumber *MinimaAperturaInCrociera = nullptr;
  TNoxNumber *MassimaAperturaInCrociera = nullptr;
  TNoxNumber *FrazDefEntroMinimo = nullptr;
  TNoxNumber *FrazDefEscoMinimo = nullptr;
  TNoxNumber *ValoreMinimoTPS = nullptr;
  TNoxNumber *RitardoSmagrPrimoGrasso = nullptr;
  TNoxNumber *NPassiPrimoMagroCrociera = nullptr;
  TNoxNumber *NoxNumberVelSmagrSbana = nullptr;
  TNoxNumber *NoxNumberVelIngrSbana = nullptr;
  TNoxNumber *VelocitaFuga = nullptr;
  TNoxNumber *MinAperturaInFuga = nullptr;
  TNoxNumber *MaxAperturaInFuga = nullptr;
  TNoxNumber *GiriSgancioCutOffFiliGialli = nullptr;
  TNoxNumber *GiriCutOffFiliGialli = nullptr;
  TNoxNumber *MaxRicco = nullptr;
  TNoxNumber *TempoDiCicchetto = nullptr;
  TNoxNumber *FlagAcquisitodefault = nullptr;

  // ---- Handlers wired to the items' events (ParameterCatalogue lists which).
  // Speeds follow the ignition type.
  void TIPO_ACCENSIONEGetData(TNoxSerialData *Sender);
  void TIPO_ACCENSIONESetData(TNoxSerialData *Sender);
  void GiriCutOffFiliGialliSetData(TNoxSerialData *Sender);
  void VAL_GIRIGetData(TNoxSerialData *Sender);
  // Sets coefficient B of every speed item for an ignition type; nothing is
  // read, written or redrawn.
  void SetSpeedCoefficient(int ignitionType);
  static double SpeedCoefficient(int ignitionType);
  // The speed items whose coefficient follows the ignition type right now.
  QList<TNoxSerialData *> SpeedItems() const;
  // True when the value the item holds is not the unit's: the last read it
  // asked of the unit failed, or it is a speed and the ignition type that
  // gives speeds their meaning could not be read.
  bool ValueNotRead(const TNoxSerialData *item) const;

  // Parameters that constrain or re-read one another, and the window lamps.
  void TIPO_TPSSetData(TNoxSerialData *Sender);
  void MASSIMA_APERTURA_ATTUATORESetData(TNoxSerialData *Sender);
  void TIPO_SONDA_LAMBDASetData(TNoxSerialData *Sender);
  void FLAG_GONFIGURAZIONESetData(TNoxSerialData *Sender);
  void TIPO_COMMUTATOREGetData(TNoxSerialData *Sender);
  void FlagAcquisitodefaultGetData(TNoxSerialData *Sender);
  void FASCIA_TPSGetData(TNoxSerialData *Sender);
  void FASCIA_LAMBDAGetData(TNoxSerialData *Sender);

  // Custom encodings of one byte.
  void PosizioneASondaFreddaConvertToUser(TNoxSerialData *Sender, int EcuValue, double &ConvertedValue);
  void PosizioneASondaFreddaConvertToEcu(TNoxSerialData *Sender, double UserValue, int &ConvertedValue);
  void FLAG_CONFIGURAZIONE_3ConvertToUser(TNoxSerialData *Sender, int EcuValue, double &ConvertedValue);
  void FLAG_CONFIGURAZIONE_3ConvertToEcu(TNoxSerialData *Sender, double UserValue, int &ConvertedValue);

private:
  // Items that own the same whole byte learn each other's writes.
  void LinkByteSharers();
  void BuildComponents();

  QList<QObject *> m_components;
  ConnectionStateRelay *m_connectionRelay = nullptr;
  bool m_yellowWireSupported = false;
  QString m_firmwareStatusText;
  std::array<QString, 9> m_translatedTexts; // in the order of TranslatedTextIds()
};

// The process's data module; set while one exists.
extern TSerialDataModule *SerialDataModule;

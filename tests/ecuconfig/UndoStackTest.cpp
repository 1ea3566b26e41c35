// Undo and redo on the simulated unit: whatever the fitter did, each action
// undone gives back the unit's memory byte for byte, handler rewrites
// included; redone, the edited memory. NOX_UNDO_CASES sets the number of
// random sequences (default 100).
#include "history/UndoStack.h"
#include "dataitems/ForwardingProtocolObject.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserAction.h"
#include "support/FakeClock.h"
#include "support/RecordingUserInterface.h"
#include "support/SimulatedUnit.h"
#include "translator/TTranslator.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

// Stands in front of the unit and fails the writes to chosen addresses,
// and with `thenAll` every write after the first such failure.
class FailingWrites final : public ForwardingProtocolObject {
public:
  using ForwardingProtocolObject::ForwardingProtocolObject;
  ~FailingWrites() = default;

  bool WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) override {
    m_failed = m_failingAll || Addresses.count(a) != 0;
    m_failingAll = m_failed && ThenAll;
    return !m_failed && ForwardingProtocolObject::WriteAtAddress(c, a, v);
  }
  std::int32_t LastStatus() override { return m_failed ? 1 : ForwardingProtocolObject::LastStatus(); }

  std::set<int> Addresses;
  bool ThenAll = false;

private:
  bool m_failed = false;
  bool m_failingAll = false;
};

class UndoStackTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(unit.IsValid());
    module.Translator->SetDllName(QCoreApplication::applicationDirPath() + QStringLiteral("/Languages.dll"));
    module.Translator->LoadLanguageLibrary();
    module.ApplyProcessTexts();
    ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  }
  void TearDown() override { module.CloseConnection(false); }

  // The unit's whole memory, read past the items and any front object.
  std::string Memory() { return SimulatedUnitSettings::MemoryText(module.NoxConnection->LibraryObject()); }
  static int At(const std::string &memory, int address) {
    return QByteArray::fromStdString(memory).split(' ').value(address).toInt();
  }

  // The parameters a fitter can set: everything but the check byte, the
  // commands and the unit's own flags.
  QList<TNoxNumber *> Settable() {
    QList<TNoxNumber *> items;
    for (TNoxSerialData *data : module.DataItems())
      if (auto *item = qobject_cast<TNoxNumber *>(data);
          item && item->ByAddress() && !item->ReadOnly() && item != module.CHECKUP)
        items << item;
    return items;
  }

  FakeClock clock;
  RecordingUserInterface ui;
  SimulatedUnitSettings unit;
  QTemporaryDir dir;
  TSerialDataModule module;
  UndoStack stack{module};
};

TEST_F(UndoStackTest, RandomActionsUndoneGiveBackTheMemoryAndRedoneTheEditedOne) {
  const int cases =
      qEnvironmentVariableIsSet("NOX_UNDO_CASES") ? qEnvironmentVariableIntValue("NOX_UNDO_CASES") : 100;
  const QList<TNoxNumber *> settable = Settable();
  int ignitionChanges = 0, loads = 0;
  for (int n = 0; n < cases; ++n) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    std::mt19937 random(static_cast<std::uint32_t>(n) * 2654435761u + 3u);
    const auto pick = [&random](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    stack.Clear();
    const std::string start = Memory();
    QStringList files{dir.filePath(QStringLiteral("%1.kfg").arg(n))};
    ASSERT_TRUE(module.SaveConfiguration(files.back()));
    const int actions = pick(3, 10);
    for (int a = 0; a < actions; ++a) {
      const UserAction action; // each a key press or click of its own
      switch (pick(0, 9)) {
      case 0: // the ignition type, whose handler rewrites every speed
        module.TIPO_ACCENSIONE->SetIntValue(pick(0, 6));
        ++ignitionChanges;
        break;
      case 1: { // a check box: one bit of a flags byte
        TNoxNumber *flags = pick(0, 1) ? module.FLAG_GONFIGURAZIONE : module.FLAG_CONFIGURAZIONE_2;
        flags->SetIntValue(flags->GetIntValue() ^
                           (flags == module.FLAG_GONFIGURAZIONE ? 1 << pick(0, 7) : 1));
        break;
      }
      case 2: // a file saved earlier in this sequence, either way of loading
        module.LoadConfiguration(files[pick(0, static_cast<int>(files.size()) - 1)], pick(0, 1) == 1,
                                 nullptr);
        ++loads;
        break;
      case 3: {
        files << dir.filePath(QStringLiteral("%1-%2.kfg").arg(n).arg(a));
        ASSERT_TRUE(module.SaveConfiguration(files.back()));
        break;
      }
      default: { // a field or a combo choice: any value the field can show
        TNoxNumber *item = settable[pick(0, static_cast<int>(settable.size()) - 1)];
        item->SetValue(item->ConvertToUser(pick(0, 255) & item->DataMask()));
        break;
      }
      }
    }
    const std::string edited = Memory();
    const int recorded = stack.UndoCount();
    for (int u = 0; u < recorded; ++u)
      ASSERT_EQ(stack.Undo(), UndoStack::Outcome::Done) << u;
    EXPECT_EQ(stack.Undo(), UndoStack::Outcome::Nothing);
    ASSERT_EQ(Memory(), start);
    for (int r = 0; r < recorded; ++r)
      ASSERT_EQ(stack.Redo(), UndoStack::Outcome::Done) << r;
    EXPECT_EQ(stack.Redo(), UndoStack::Outcome::Nothing);
    ASSERT_EQ(Memory(), edited);
    EXPECT_TRUE(ui.Messages.isEmpty()) << ui.Messages.value(0).Text.toStdString();
    // The items show what the unit holds after redoing (they were read again).
    for (TNoxNumber *item : settable)
      ASSERT_EQ(item->RawValue() & item->DataMask(), At(edited, item->Address()) & item->DataMask())
          << item->objectName().toStdString();
  }
  EXPECT_GT(ignitionChanges, cases / 4);
  EXPECT_GT(loads, cases / 4);
}

// One action (the ignition type and the speeds its handler rewrote) whose
// undo the unit refuses at the ignition byte, the last one put back.
TEST_F(UndoStackTest, ARefusedUndoLeavesTheUnitAndTheStackAsTheyWere) {
  struct Case {
    const char *name;
    bool thenAll; // the unit takes nothing after the refusal either
    int text;
    int undoCount;
  };
  const Case cases[]{
      {"refused, then the rest put forward again", false, UndoStack::TEXT_UNDO_REFUSED, 1},
      {"refused, and the rest cannot be put forward", true, UndoStack::TEXT_PARTLY_PUT_BACK, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    stack.Clear();
    module.TIPO_ACCENSIONE->SetIntValue(0);
    stack.Clear();
    const std::string start = Memory();
    {
      const UserAction action;
      module.TIPO_ACCENSIONE->SetIntValue(3);
    }
    const std::string edited = Memory();
    ASSERT_NE(At(edited, module.GiriCutOff->Address()), At(start, module.GiriCutOff->Address()))
        << "the speeds were rewritten";
    FailingWrites front(module.NoxConnection->LibraryObject());
    front.Addresses = {module.TIPO_ACCENSIONE->Address()};
    front.ThenAll = c.thenAll;
    module.NoxConnection->SetFrontObject(&front);
    ui.Messages.clear();
    EXPECT_EQ(stack.Undo(), UndoStack::Outcome::Refused);
    module.NoxConnection->SetFrontObject(nullptr);
    ASSERT_EQ(ui.Messages.size(), 1);
    EXPECT_FALSE(ui.Messages[0].Text.isEmpty());
    EXPECT_EQ(ui.Messages[0].Text, module.Text(c.text));
    EXPECT_EQ(stack.UndoCount(), c.undoCount);
    EXPECT_EQ(stack.RedoCount(), 0);
    if (c.thenAll)
      continue;
    EXPECT_EQ(Memory(), edited);
    // Once the unit takes it again, the same undo goes through.
    EXPECT_EQ(stack.Undo(), UndoStack::Outcome::Done);
    EXPECT_EQ(Memory(), start);
  }
}

// Nothing recorded survives what makes it meaningless for the unit; only
// the lost line, which the fitter did not ask for, is said, in the status bar
// (the windows say the line is lost in a box of their own).
TEST_F(UndoStackTest, TheRecordIsDroppedWhenItNoLongerFitsTheUnit) {
  struct Drop {
    const char *name;
    std::function<void()> act;
    int text; // 0: nothing said
  };
  const Drop drops[]{
      {"EEPROM erase", [this] { module.CHECKUP->SetIntValue(8); }, 0},
      {"line lost",
       [this] {
         // As the protocol library says it, from its own thread or not.
         const NoxNotifyHandle *handle = module.NotifyHandle();
         handle->post(handle->context, MSG_CONNECTION_STATE, 0, 0);
         QCoreApplication::processEvents();
       },
       UndoStack::TEXT_LINE_LOST_UNDO},
      {"disconnect", [this] { module.CloseConnection(false); }, 0},
  };
  for (const Drop &drop : drops) {
    SCOPED_TRACE(drop.name);
    if (!module.NoxConnection->ProtocolObject() || !module.NoxConnection->ProtocolObject()->IsConnected()) {
      ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
    }
    {
      const UserAction action;
      module.GiriCutOff->SetValue(module.GiriCutOff->GetValue() == 2000 ? 2500 : 2000);
    }
    ASSERT_EQ(stack.UndoCount(), 1);
    ui.Messages.clear();
    ui.StatusWarnings.clear();
    const UserAction action;
    drop.act();
    EXPECT_EQ(stack.UndoCount(), 0);
    EXPECT_EQ(stack.Undo(), UndoStack::Outcome::Nothing);
    EXPECT_TRUE(ui.Messages.isEmpty());
    ASSERT_EQ(ui.StatusWarnings.size(), drop.text ? 1 : 0);
    if (drop.text) {
      // What was lost, then what to do about it.
      EXPECT_EQ(ui.StatusWarnings[0],
                module.Text(drop.text) + QLatin1Char(' ') + module.Text(UndoStack::TEXT_CONNECT_AGAIN));
    }
  }
}

} // namespace

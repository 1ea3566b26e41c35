#include "dataitems/NumberConversion.h"
#include "dataitems/TBaseTransformation.h"
#include "dataitems/TNoxNumber.h"
#include "support/CaseName.h"
#include "support/FakeConnection.h"
#include "support/MapIniStore.h"
#include "support/MessageRecorder.h"
#include "support/RecordingUserInterface.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

// The ignition-type parameter: byte 163, bits 0-2, shared with other items.
class NumberSequenceTest : public ::testing::Test {
protected:
  void SetUp() override {
    object = &fake.Object();
    object->Memory[163] = 0x44;
    item.SetByAddress(true);
    item.SetAddress(163);
    item.SetDataMask(7);
    item.SetDefaultValue(4);
    item.Loaded();
    // Connected after the loaded hook, so the cache starts out not valid.
    item.SetConnection(&fake.Connection);
    item.AddObserver(&control);
    item.OnGetData = [this](TNoxSerialData *) { events << QStringLiteral("OnGetData"); };
    item.OnSetData = [this](TNoxSerialData *) { events << QStringLiteral("OnSetData"); };
    item.OnError = [this](TNoxSerialData *, int code, bool writing) {
      events << QStringLiteral("OnError(%1,%2)").arg(code).arg(writing ? "write" : "read");
    };
    control.OnMessage = [this](const NoxMessageEvent &) { events << control.Received.last(); };
    object->Calls.clear();
  }

  FakeConnection fake;
  FakeProtocolObject *object = nullptr;
  TNoxNumber item;
  MessageRecorder control;
  QStringList events;
};

TEST_F(NumberSequenceTest, ReadsUnderTheLockTogetherWithItsStatus) {
  EXPECT_EQ(item.GetValue(), 4);
  EXPECT_EQ(object->Calls,
            QStringList({"IsConnected() lock=0", "ReadAtAddress(0,163) lock=1", "LastStatus() lock=1"}));
  EXPECT_EQ(events, QStringList({"OnGetData", "DATA_CHANGED"}));
  EXPECT_TRUE(item.DataValid());
  EXPECT_EQ(fake.Connection.Lock().Depth(), 0);
}

TEST_F(NumberSequenceTest, ReadsOnceWhileValidAndAgainAfterReload) {
  item.GetValue();
  item.GetValue();
  EXPECT_EQ(object->CountOf("ReadAtAddress"), 1);
  EXPECT_TRUE(item.Reload());
  EXPECT_EQ(object->CountOf("ReadAtAddress"), 2);
}

TEST_F(NumberSequenceTest, MaskedWriteReloadsSilentlyThenWritesTheMergedByte) {
  item.GetValue();
  object->Calls.clear();
  events.clear();
  object->Memory[163] = 0x5C; // another item changed the other bits meanwhile
  EXPECT_TRUE(item.SetValue(5));
  EXPECT_EQ(object->Calls, QStringList({"IsConnected() lock=0", "ReadAtAddress(0,163) lock=1",
                                        "LastStatus() lock=1", "WriteAtAddress(0,163,93) lock=1"}));
  EXPECT_EQ(object->Memory[163], 0x5D);
  EXPECT_EQ(events, QStringList({"OnGetData", "OnSetData", "DATA_CHANGED"}))
      << "the reload's handler runs, but controls hear once, after the write";
  EXPECT_EQ(item.GetValue(), 5);
}

TEST_F(NumberSequenceTest, ReadOnlyRefusesButRedisplays) {
  item.SetReadOnly(true);
  EXPECT_FALSE(item.SetValue(2));
  EXPECT_EQ(object->CountOf("Write"), 0);
  EXPECT_EQ(control.Received, QStringList({"DATA_CHANGED"}));
  EXPECT_FALSE(item.WriteRawValue(2));
  EXPECT_EQ(object->CountOf("Write"), 0);
}

TEST_F(NumberSequenceTest, BeforeSetDataMayChangeOrAbortTheWrite) {
  double seenPrevious = -1;
  item.BeforeSetData = [&](TNoxSerialData *, double *newValue, double prev, int row, int col, bool &) {
    seenPrevious = prev;
    EXPECT_EQ(row, -1);
    EXPECT_EQ(col, -1);
    if (*newValue == 2.0)
      *newValue = 3.0;
  };
  EXPECT_TRUE(item.SetValue(2.0));
  EXPECT_EQ(seenPrevious, 4);
  EXPECT_EQ(object->Memory[163] & 7, 3);

  item.BeforeSetData = [](TNoxSerialData *, double *, double, int, int, bool &abort) { abort = true; };
  object->Calls.clear();
  events.clear();
  EXPECT_FALSE(item.SetValue(1));
  EXPECT_EQ(object->CountOf("Write"), 0);
  EXPECT_TRUE(events.isEmpty());
}

TEST_F(NumberSequenceTest, OfflineReloadKeepsTheCacheAndStillRaisesOnGetData) {
  object->Connected = false;
  item.SetRawValue(2);
  EXPECT_TRUE(item.Reload());
  EXPECT_EQ(object->CallNames(), QStringList({"IsConnected()"}));
  EXPECT_EQ(item.RawValue(), 2);
  EXPECT_TRUE(item.DataValid());
  EXPECT_EQ(events, QStringList({"OnGetData", "DATA_CHANGED"}));
}

TEST_F(NumberSequenceTest, NotDefinedStatusCountsAsValid) {
  object->FailReads = true;
  object->Status = 4;
  EXPECT_TRUE(item.Reload());
  EXPECT_TRUE(item.DataValid());
  EXPECT_EQ(events, QStringList({"OnError(4,read)", "DATA_STATE 4"}));
  EXPECT_EQ(object->Calls.last(), QStringLiteral("LastStatus() lock=1")) << "the error report's status query";
}

TEST_F(NumberSequenceTest, FailedReadRestoresTheCachedValue) {
  item.SetRawValue(0x42);
  item.Reload(); // now 0x44 from the unit
  object->FailReads = true;
  object->Status = 1;
  double value = 0;
  EXPECT_FALSE(item.Reload());
  EXPECT_FALSE(item.RefreshValue(value));
  EXPECT_EQ(value, 4);
  EXPECT_TRUE(events.contains(QStringLiteral("DATA_STATE 1")));
}

TEST_F(NumberSequenceTest, FailedWriteKeepsTheRawValueAndReportsTheStatus) {
  item.GetValue();
  object->FailWrites = true;
  object->Status = 9;
  events.clear();
  EXPECT_FALSE(item.SetValue(6));
  EXPECT_EQ(item.RawValue(), 0x44);
  EXPECT_FALSE(item.DataValid());
  EXPECT_EQ(events, QStringList({"OnGetData", "OnError(9,write)"}));
}

TEST_F(NumberSequenceTest, WithoutConnectionAWriteIsKeptLocallyAndReported) {
  TNoxNumber local;
  local.Loaded();
  int code = 0;
  local.OnError = [&](TNoxSerialData *, int errorCode, bool writing) {
    code = errorCode;
    EXPECT_TRUE(writing);
  };
  EXPECT_TRUE(local.SetValue(17));
  EXPECT_EQ(local.RawValue(), 17);
  EXPECT_EQ(code, -1);
}

TEST_F(NumberSequenceTest, WriteRawValueAndRewriteMergeIntoTheUnitsByte) {
  item.GetValue();
  object->Memory[163] = 0xF8;
  EXPECT_TRUE(item.WriteRawValue(0x07));
  EXPECT_EQ(object->Memory[163], 0xFF);
  item.SetRawValue(0x02);
  object->Memory[163] = 0x40;
  EXPECT_TRUE(item.RewriteData());
  EXPECT_EQ(object->Memory[163], 0x42) << "the raw value taken before the reload, merged";
}

TEST_F(NumberSequenceTest, LoadDefaultWritesOnlyWhenAsked) {
  object->Memory[163] = 0x41;
  item.LoadDefault(false);
  EXPECT_EQ(object->CountOf("Write"), 0);
  EXPECT_TRUE(item.LoadDefault(true));
  EXPECT_EQ(object->Memory[163], 0x44);
  EXPECT_EQ(control.Received.last(), QStringLiteral("DATA_CHANGED"));
}

// Values that are no ECU values never reach the unit.
struct RefusedCase {
  const char *name;
  TransformationType transformation;
  double a, b, c, d;
  bool disableLimits;
  double user;
};

class RefusedWriteTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedWriteTest, IsReportedAndRedisplayedButNotSent) {
  const auto p = GetParam();
  FakeConnection fake;
  auto &object = fake.Object();
  object.Memory[200] = 12;
  TNoxNumber number;
  number.SetConnection(&fake.Connection);
  number.SetByAddress(true);
  number.SetAddress(200);
  number.SetTransformation(p.transformation);
  number.SetCoeffs(p.a, p.b, p.c, p.d);
  number.SetDisableLimits(p.disableLimits);
  number.Loaded();
  number.GetValue();
  MessageRecorder control;
  number.AddObserver(&control);
  int code = 0;
  number.OnError = [&](TNoxSerialData *, int errorCode, bool) { code = errorCode; };
  object.Calls.clear();

  // A user write, and writing a default that converts no better.
  number.SetDefaultValue(p.user);
  for (const bool viaDefault : {false, true}) {
    SCOPED_TRACE(viaDefault ? "LoadDefault(true)" : "SetValue");
    control.Received.clear();
    code = 0;
    EXPECT_FALSE(viaDefault ? number.LoadDefault(true) : number.SetValue(p.user)) << p.name;
    EXPECT_EQ(object.CountOf("Write"), 0) << p.name;
    EXPECT_EQ(object.Memory[200], 12);
    EXPECT_EQ(number.RawValue(), 12) << "the cache still holds what the unit has";
    EXPECT_EQ(code, TNoxSerialData::ERROR_VALUE_REFUSED);
    EXPECT_EQ(control.Received, QStringList({"DATA_CHANGED"}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefusedWriteTest,
    ::testing::Values(RefusedCase{"zero denominator", ttFormula, 0, 117000, 1, 0, false, 0},
                      RefusedCase{"not in table", ttTabled, 1, 0, 0, 1, false, 3},
                      RefusedCase{"too wide for a byte", ttNone, 1, 0, 0, 1, true, 300},
                      RefusedCase{"negative beyond a byte", ttNone, 1, 0, 0, 1, true, -129},
                      RefusedCase{"not a number", ttNone, 1, 0, 0, 1, true, std::nan("")}));

// Every path that merges a partial mask refuses rather than guess the other
// items' bits, and no path lets a value reach beyond the item's own bits.
// Nothing is sent, nothing is cached, OnError is raised, controls redisplay.
struct MaskedRefusalCase {
  const char *name;
  bool readFails;
  int code;
  std::function<bool(TNoxNumber &)> write;
};

class MaskedRefusalTest : public NumberSequenceTest, public ::testing::WithParamInterface<MaskedRefusalCase> {};

TEST_P(MaskedRefusalTest, LeavesTheSharedByteAndTheCacheAlone) {
  const auto c = GetParam();
  item.GetValue();
  object->FailReads = c.readFails;
  object->Calls.clear();
  events.clear();
  EXPECT_FALSE(c.write(item)) << c.name;
  EXPECT_EQ(object->CountOf("Write"), 0) << c.name;
  EXPECT_EQ(object->Memory[163], 0x44) << c.name;
  EXPECT_EQ(item.RawValue(), 0x44) << c.name << ": the cache still holds what the unit has";
  EXPECT_TRUE(events.contains(QStringLiteral("OnError(%1,write)").arg(c.code))) << c.name;
  EXPECT_EQ(events.value(events.size() - 1), QStringLiteral("DATA_CHANGED")) << c.name;
}

MapIniStore FileWith(const char *value) {
  MapIniStore ini;
  ini.WriteString(QStringLiteral("S"), QStringLiteral("K"), QString::fromLatin1(value));
  return ini;
}

bool LoadFrom(TNoxNumber &n, const char *value, bool oldMode, bool userValue = true) {
  n.SetFileSection(QStringLiteral("S"));
  n.SetFileKeyName(QStringLiteral("K"));
  n.SetOldReadFileMode(oldMode);
  n.SetStoreUserValue(userValue);
  MapIniStore ini = FileWith(value);
  return n.LoadFromIni(ini);
}

constexpr int Unread = TNoxSerialData::ERROR_SHARED_BYTE_UNREAD;
constexpr int Refused = TNoxSerialData::ERROR_VALUE_REFUSED;

INSTANTIATE_TEST_SUITE_P(
    Paths, MaskedRefusalTest,
    ::testing::Values(
        MaskedRefusalCase{"SetValue, byte unread", true, Unread, [](TNoxNumber &n) { return n.SetValue(5); }},
        MaskedRefusalCase{"LoadDefault(true), byte unread", true, Unread,
                          [](TNoxNumber &n) { return n.LoadDefault(true); }},
        MaskedRefusalCase{"WriteRawValue, byte unread", true, Unread,
                          [](TNoxNumber &n) { return n.WriteRawValue(5); }},
        MaskedRefusalCase{"file load, byte unread", true, Unread,
                          [](TNoxNumber &n) { return LoadFrom(n, "5", false); }},
        MaskedRefusalCase{"old-mode file load, byte unread", true, Unread,
                          [](TNoxNumber &n) { return LoadFrom(n, "5", true); }},
        MaskedRefusalCase{"SetValue 9", false, Refused, [](TNoxNumber &n) { return n.SetValue(9); }},
        MaskedRefusalCase{"SetValue -1", false, Refused, [](TNoxNumber &n) { return n.SetValue(-1); }},
        MaskedRefusalCase{"WriteRawValue 9", false, Refused, [](TNoxNumber &n) { return n.WriteRawValue(9); }},
        MaskedRefusalCase{"LoadDefault(true) of 9", false, Refused,
                          [](TNoxNumber &n) {
                            n.SetDefaultValue(9);
                            return n.LoadDefault(true);
                          }},
        MaskedRefusalCase{"file load 9", false, Refused, [](TNoxNumber &n) { return LoadFrom(n, "9", false); }},
        MaskedRefusalCase{"old-mode file load 9", false, Refused,
                          [](TNoxNumber &n) { return LoadFrom(n, "9", true); }},
        MaskedRefusalCase{"old-mode raw file load 9", false, Refused,
                          [](TNoxNumber &n) { return LoadFrom(n, "9", true, false); }}),
    CaseName<MaskedRefusalCase>);

TEST_F(NumberSequenceTest, WidthCheckAcceptsBothReadingsOfAByte) {
  TNoxNumber number;
  number.SetConnection(&fake.Connection);
  number.SetByAddress(true);
  number.SetAddress(219);
  number.Loaded();
  EXPECT_TRUE(number.WriteRawValue(255));
  EXPECT_TRUE(number.WriteRawValue(-128));
  EXPECT_FALSE(number.WriteRawValue(256));
  EXPECT_FALSE(number.WriteRawValue(CONVERSION_NOT_IN_TABLE));
}

struct AccessCase {
  bool byAddress;
  int row;
  int col;
  const char *read;
  const char *write;
};

class AccessModeTest : public ::testing::TestWithParam<AccessCase> {};

TEST_P(AccessModeTest, ChoosesTheOperationByLocation) {
  const auto c = GetParam();
  FakeConnection fake;
  auto &object = fake.Object();
  TNoxNumber number;
  number.SetConnection(&fake.Connection);
  number.SetSerialCode(0x21);
  number.SetByAddress(c.byAddress);
  number.SetAddress(170);
  number.SetRowIndex(c.row);
  number.SetColIndex(c.col);
  number.Loaded();
  object.Calls.clear();
  number.GetValue();
  number.SetValue(9);
  const QStringList names = object.CallNames();
  EXPECT_TRUE(names.contains(QString::fromLatin1(c.read))) << names.join(QLatin1Char(' ')).toStdString();
  EXPECT_TRUE(names.contains(QString::fromLatin1(c.write))) << names.join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Modes, AccessModeTest,
    ::testing::Values(AccessCase{true, 2, 3, "ReadAtAddress(33,170)", "WriteAtAddress(33,170,9)"},
                      AccessCase{false, -1, -1, "ReadValue(33)", "WriteValue(33,9)"},
                      AccessCase{false, 4, -1, "ReadRowValue(33,4)", "WriteRowValue(33,4,9)"},
                      AccessCase{false, 4, 5, "ReadTableValue(33,4,5)", "WriteTableValue(33,4,5,9)"}));

TEST(Observers, ItemsPassMessagesOnAndDuplicatesAreIgnored) {
  TNoxNumber coefficient, user;
  MessageRecorder direct, viaUser;
  user.AddObserver(&viaUser);
  user.SetExtCoeff(0, &coefficient); // user now observes coefficient
  coefficient.AddObserver(&direct);
  coefficient.AddObserver(&direct);
  coefficient.NotifyObservers(MSG_DATA_CHANGED, 7, 0);
  EXPECT_EQ(direct.Received, QStringList({"DATA_CHANGED"}));
  EXPECT_EQ(viaUser.Received, QStringList({"DATA_CHANGED"}));
  EXPECT_EQ(viaUser.WParams.value(0), 7u);
  coefficient.SetNotifyEnabled(false);
  coefficient.NotifyObservers(MSG_DATA_CHANGED, 7, 0);
  EXPECT_EQ(direct.Received.size(), 1);
  coefficient.SetNotifyEnabled(true);
  coefficient.RemoveObserver(&direct);
  coefficient.NotifyObservers(MSG_DATA_CHANGED, 7, 0);
  EXPECT_EQ(direct.Received.size(), 1);
}

TEST(Observers, AnObserverFreedInsideANotificationIsSkipped) {
  TNoxNumber item;
  auto *first = new MessageRecorder;
  auto *second = new MessageRecorder;
  item.AddObserver(first);
  item.AddObserver(second);
  first->OnMessage = [&](const NoxMessageEvent &) { delete second; };
  item.NotifyObservers(MSG_DATA_CHANGED, 0, 0);
  EXPECT_EQ(item.Observers().size(), 1);
  delete first;
  EXPECT_TRUE(item.Observers().isEmpty());
}

class Doubler final : public TBaseTransformation {
public:
  int Transform(double value, double &result) override {
    ++Calls;
    result = value * 2;
    return 0;
  }
  int Calls = 0;
};

TEST(Transformations, ApplyOnlyToExternalCoefficientsAndAreForgottenWhenFreed) {
  TNoxNumber item, coefficient;
  item.SetTransformation(ttFormula);
  auto doubler = std::make_unique<Doubler>();
  item.SetTransformationAt(1, doubler.get());
  EXPECT_DOUBLE_EQ(item.ConvertToUser(3), 3) << "no external coefficient: the hook is not asked";
  EXPECT_EQ(doubler->Calls, 0);
  coefficient.SetRawValue(5);
  item.SetExtCoeff(1, &coefficient); // B := 5 * 2
  EXPECT_DOUBLE_EQ(item.ConvertToUser(3), 13);
  doubler.reset();
  EXPECT_EQ(item.TransformationAt(1), nullptr);
  EXPECT_DOUBLE_EQ(item.ConvertToUser(3), 8);
}

} // namespace

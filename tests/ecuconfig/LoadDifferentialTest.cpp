// Loading only the bytes a file changes must leave the unit and the program
// exactly where sending every value in two passes leaves them. Random units
// (fitter-settable values with some odd bytes, both yellow-wire variants,
// sometimes a byte that cannot be read) take random files saved from other
// random units, edited, pushed out of limits, broken and padded with unknown
// keys; each file is loaded both ways onto two copies of the same unit.
// NOX_LOAD_CASES sets the number of cases (default 200).
#include "LoadBench.h"

#include <QTemporaryDir>

namespace {

using namespace load_test;

TEST(LoadDifferential, ChangedBytesOnlyEndsWhereWritingEveryValueEnds) {
  FakeClock clock; // the handlers' waits cost nothing
  const QByteArray previous = qgetenv("NOX_SIMECU_CONFIG");
  const int cases =
      qEnvironmentVariableIsSet("NOX_LOAD_CASES") ? qEnvironmentVariableIntValue("NOX_LOAD_CASES") : 200;
  QTemporaryDir dir;
  const QString folder = dir.path();
  const QString fileName = dir.filePath(QStringLiteral("load.kfg"));
  int differing = 0;
  for (int n = 0; n < cases; ++n) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    Bench bench(static_cast<std::uint32_t>(n) * 7919u + 17u);
    const QByteArray image = bench.RandomImage();
    const bool yellowWire = bench.Pick(0, 1) == 1;
    const QByteArray unreadable =
        bench.Pick(0, 3) == 0 ? "read_fail = " + QByteArray::number(bench.Pick(123, 226)) + "\n" : QByteArray();
    // A file saved from this very unit now and then: nothing to write.
    const bool same = bench.Pick(0, 4) == 0;
    const QByteArray file = bench.RandomFile(same ? image : bench.RandomImage(), !same, folder);
    ASSERT_TRUE(ConfigurationEnvelope::WriteFile(fileName, file));
    const Outcome fast = bench.Load(image, folder, fileName, yellowWire, unreadable, false);
    const Outcome full = bench.Load(image, folder, fileName, yellowWire, unreadable, true);
    ASSERT_EQ(fast.Memory.size(), 256);
    EXPECT_EQ(QString::fromLatin1(fast.Memory.toHex(' ')), QString::fromLatin1(full.Memory.toHex(' ')));
    EXPECT_EQ(fast.Raw, full.Raw);
    for (qsizetype i = 0; i < fast.Valid.size(); ++i) {
      EXPECT_EQ(fast.Valid[i], full.Valid[i]) << fast.Names[i].toStdString();
    }
    EXPECT_EQ(fast.Limits, full.Limits);
    EXPECT_EQ(fast.Failures, full.Failures);
    EXPECT_EQ(fast.Notified, full.Notified);
    differing += fast.Memory != image ? 1 : 0;
    if (testing::Test::HasFailure())
      break;
  }
  // The files did change the units: the comparison was not of idle loads.
  EXPECT_GT(differing, cases / 2);
  qputenv("NOX_SIMECU_CONFIG", previous);
}

} // namespace

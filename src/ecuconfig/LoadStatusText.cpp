#include "ecuconfig/LoadStatusText.h"

#include "ecuconfig/ComparisonRows.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/TSerialDataModule.h"

#include <algorithm>

namespace {
template <typename T, typename Same> int Gone(const QList<T> &before, const QList<T> &after, Same same) {
  int gone = 0;
  for (const T &each : before)
    if (std::none_of(after.begin(), after.end(), [&](const T &other) { return same(each, other); }))
      ++gone;
  return gone;
}
} // namespace

QString LoadStatusText::Of(const TSerialDataModule &module, const LoadSummary &summary, bool writeEveryValue,
                           const ConfigurationComparison &before, const ConfigurationComparison &after) {
  // Every value sent whether it changed or not: none merely follows.
  if (writeEveryValue)
    return module.Text(TSerialDataModule::TEXT_LOAD_SUMMARY).arg(summary.Written).arg(summary.AlreadyInUnit);
  const int rows = Gone(ComparisonRows::For(module, before.Differences()),
                        ComparisonRows::For(module, after.Differences()),
                        [](const ComparisonRows::Row &a, const ComparisonRows::Row &b) {
                          return a.Item == b.Item && a.Caption == b.Caption;
                        });
  const int items = Gone(before.Differences(), after.Differences(),
                         [](const ConfigurationComparison::Difference &a,
                            const ConfigurationComparison::Difference &b) { return a.Item == b.Item; });
  return module.Text(TEXT_FROM_FILE)
      .arg(rows)
      .arg(std::max(0, summary.Written - items))
      .arg(summary.AlreadyInUnit);
}

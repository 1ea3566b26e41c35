#include "cli/ItemTable.h"
#include "dataitems/NumberConversion.h"

#include <gtest/gtest.h>

namespace {

// The two conversion failures must stay apart: "%g" would print both as
// -1e+07. Whole numbers in csv and json (the live log included), a word in
// the aligned table.
TEST(ItemTable, ConversionFailuresAreToldApartInEveryFormat) {
  using NumberConversion::FormatDataValue;
  EXPECT_EQ(FormatDataValue(CONVERSION_NOT_IN_TABLE), QStringLiteral("-10000001"));
  EXPECT_EQ(FormatDataValue(CONVERSION_ZERO_DENOMINATOR), QStringLiteral("-10000002"));
  EXPECT_EQ(FormatDataValue(-0.0), QStringLiteral("0"));
  EXPECT_EQ(FormatDataValue(1538.46), QStringLiteral("1538.46"));

  ItemTable table({QStringLiteral("name"), QStringLiteral("value")});
  table.AddRow({QStringLiteral("TipoSensore"), ItemTable::Number(CONVERSION_NOT_IN_TABLE)});
  table.AddRow({QStringLiteral("GiriCutOff"), ItemTable::Number(CONVERSION_ZERO_DENOMINATOR)});
  const auto printed = [&table](ItemTable::Format format) {
    QString text;
    QTextStream out(&text);
    table.Print(out, format);
    return text;
  };
  EXPECT_EQ(printed(ItemTable::Format::Table),
            QStringLiteral("name         value\nTipoSensore  not-in-table\nGiriCutOff   division-by-zero\n"));
  EXPECT_EQ(printed(ItemTable::Format::Csv),
            QStringLiteral("name,value\nTipoSensore,-10000001\nGiriCutOff,-10000002\n"));
  EXPECT_TRUE(printed(ItemTable::Format::Json).contains(QStringLiteral("\"value\": \"-10000002\"")));
}

} // namespace

#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(DataCode, FollowsSerialCodeLengthAndSign) {
  TNoxNumber item;
  item.SetSerialCode(0x1AB);
  EXPECT_EQ(item.SerialCode(), 0xAB);
  EXPECT_EQ(item.DataCode(), 0xABu);
  item.SetSerialCode(-1);
  EXPECT_EQ(item.SerialCode(), 0xAB) << "negative codes are ignored";
  item.SetDataLength(2);
  EXPECT_EQ(item.DataCode(), 0x2ABu);
  item.SetSigned(true);
  EXPECT_EQ(item.DataCode(), 0x6ABu);
  item.SetDataLength(1);
  item.SetSigned(false);
  EXPECT_EQ(item.DataCode(), 0xABu);
}

TEST(DataLength, OnlyOneOrTwoAndResetsMaskAndCache) {
  TNoxNumber item;
  item.SetDefaultValue(7);
  item.SetRawValue(9);
  item.SetDataMask(0x0F);
  EXPECT_EQ(item.DataMask(), 0x0F);
  item.SetDataLength(3);
  EXPECT_EQ(item.DataLength(), 1);
  EXPECT_EQ(item.DataMask(), 0x0F) << "a refused length changes nothing";
  item.SetDataLength(2);
  EXPECT_EQ(item.DataMask(), 0xFFFF);
  EXPECT_EQ(item.RawValue(), 0);
  EXPECT_EQ(item.DefaultValue(), 0) << "a layout change clears the default too";
  EXPECT_FALSE(item.DataValid());
}

struct MaskCase {
  int length;
  int value;
  int expected;
};

class DataMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(DataMaskTest, KeepsOnlyContiguousRunsWithinTheWidth) {
  const auto c = GetParam();
  TNoxNumber item;
  item.SetDataLength(c.length);
  item.SetDataMask(c.value);
  EXPECT_EQ(item.DataMask(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Masks, DataMaskTest,
                         ::testing::Values(MaskCase{1, 0x05, 0xFF},   // not contiguous
                                           MaskCase{1, 0x1F0, 0xF0},  // cut to the width
                                           MaskCase{1, 0xE0, 0xE0}, MaskCase{1, 0x01, 0x01},
                                           MaskCase{1, 0x80, 0x80}, MaskCase{1, 0, 0},
                                           MaskCase{1, 0x18, 0x18}, MaskCase{1, 0x81, 0xFF},
                                           MaskCase{2, 0xFF00, 0xFF00}, MaskCase{2, 0x1FFFF, 0xFFFF},
                                           MaskCase{2, 0x0F0F, 0xFFFF}));

TEST(Limits, CrossingIsRefusedOnlyAfterLoading) {
  TNoxNumber item;
  item.SetValueMin(10); // while loading any order is accepted
  item.SetValueMax(5);
  EXPECT_EQ(item.ValueMin(), 10);
  EXPECT_EQ(item.ValueMax(), 5);
  item.SetValueMax(20);
  item.Loaded();
  item.SetValueMin(30);
  EXPECT_EQ(item.ValueMin(), 10);
  item.SetValueMax(9);
  EXPECT_EQ(item.ValueMax(), 20);
  item.SetValueMin(20);
  EXPECT_EQ(item.ValueMin(), 20) << "equal limits are fine";
}

TEST(Precision, NegativeOrInfiniteIsIgnored) {
  TNoxNumber item;
  item.SetPrecision(0.1);
  for (double refused : {-1.0, std::numeric_limits<double>::infinity(), std::nan("")})
    item.SetPrecision(refused);
  EXPECT_DOUBLE_EQ(item.Precision(), 0.1);
  EXPECT_DOUBLE_EQ(item.ConvertToUser(7), 7);
}

TEST(PacketOffset, OutsideThePacketAreaIsIgnored) {
  TNoxPacketData item;
  item.SetOffset(8);
  for (int refused : {-1, TNoxPacketData::PACKET_CAPACITY, std::numeric_limits<int>::max()})
    item.SetOffset(refused);
  EXPECT_EQ(item.Offset(), 8);
}

TEST(Indices, RulesOfRowColumnAndType) {
  TNoxNumber item;
  EXPECT_EQ(item.Type(), ntSingle);
  item.SetColIndex(3);
  EXPECT_EQ(item.ColIndex(), -1) << "a column needs a row";
  item.SetRowIndex(2);
  item.SetColIndex(3);
  EXPECT_EQ(item.Type(), ntMatrixElement);
  item.SetRowIndex(-1);
  EXPECT_EQ(item.RowIndex(), -1);
  EXPECT_EQ(item.ColIndex(), -1);
  item.SetType(ntVectorElement);
  EXPECT_EQ(item.RowIndex(), 0);
  EXPECT_EQ(item.ColIndex(), -1);
  item.SetType(ntMatrixElement);
  EXPECT_EQ(item.ColIndex(), 0);
  item.SetType(ntSingle);
  EXPECT_EQ(item.Type(), ntSingle);
}

TEST(ExtCoeff, RefusesSelfAndKeepsObserverListsInStep) {
  TNoxNumber item, coefficient, other;
  item.SetExtCoeff(0, &item);
  EXPECT_EQ(item.ExtCoeff(0), nullptr);
  item.SetExtCoeff(1, &coefficient);
  EXPECT_EQ(item.ExtCoeff(1), &coefficient);
  EXPECT_TRUE(coefficient.Observers().contains(&item));
  item.SetExtCoeff(1, &other);
  EXPECT_FALSE(coefficient.Observers().contains(&item));
  EXPECT_TRUE(other.Observers().contains(&item));
  item.SetExtCoeff(1, nullptr);
  EXPECT_EQ(item.ExtCoeff(1), nullptr);
  EXPECT_FALSE(other.Observers().contains(&item));
}

TEST(ExtCoeff, RefusesTheBindingThatClosesACycle) {
  TNoxNumber a, b, c;
  a.SetExtCoeff(0, &b);
  b.SetExtCoeff(1, &c);
  c.SetExtCoeff(2, &a); // a -> b -> c -> a
  b.SetExtCoeff(3, &a); // a -> b -> a
  EXPECT_EQ(c.ExtCoeff(2), nullptr);
  EXPECT_EQ(b.ExtCoeff(3), nullptr);
  EXPECT_FALSE(a.Observers().contains(&b));
  a.SetTransformation(ttFormula);
  c.NotifyObservers(MSG_DATA_CHANGED, 0, 0); // would recurse without end
  EXPECT_DOUBLE_EQ(a.ConvertToUser(2), 0) << "A is c's value 0";
}

TEST(ExtCoeff, ReplacesTheCoefficientAndIsForgottenWhenFreed) {
  TNoxNumber item;
  item.SetTransformation(ttFormula);
  item.SetCoeffs(1, 0, 0, 1);
  auto coefficient = std::make_unique<TNoxNumber>();
  coefficient->SetRawValue(4);
  item.SetExtCoeff(0, coefficient.get()); // A := 4
  EXPECT_DOUBLE_EQ(item.ConvertToUser(3), 12);
  coefficient.reset();
  EXPECT_EQ(item.ExtCoeff(0), nullptr);
  EXPECT_DOUBLE_EQ(item.ConvertToUser(3), 3);
}

TEST(ExtCoeff, DestroyedItemLeavesTheCoefficientsObserverList) {
  TNoxNumber coefficient;
  {
    TNoxNumber item;
    item.SetExtCoeff(2, &coefficient);
    EXPECT_EQ(coefficient.Observers().size(), 1);
  }
  EXPECT_TRUE(coefficient.Observers().isEmpty());
}

} // namespace

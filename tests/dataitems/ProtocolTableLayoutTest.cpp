#include "NoxProtocolObject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

// A library built elsewhere calls through the table by position, so a virtual
// added, removed or moved in the header breaks every existing library
// silently. GCC and Clang (the Itanium C++ ABI, which mingw uses too) store a
// pointer to a virtual member as 1 + its byte offset in the table.
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
namespace {
template <typename Member> long SlotOf(Member member) {
  struct Representation {
    std::uintptr_t pointer;
    std::ptrdiff_t adjustment;
  } representation{};
  static_assert(sizeof(Member) == sizeof(Representation));
  std::memcpy(&representation, &member, sizeof representation);
  if ((representation.pointer & 1u) == 0)
    return -1; // not a virtual function
  return static_cast<long>((representation.pointer - 1) / sizeof(void *));
}
} // namespace

TEST(ProtocolTableLayout, EveryOperationKeepsItsPosition) {
  using P = NoxProtocolObject;
  const struct {
    const char *name;
    long slot;
    long expected;
  } cases[] = {
      {"SetOptionA", SlotOf(&P::SetOptionA), 2},
      {"SetOptionB", SlotOf(&P::SetOptionB), 4},
      {"Release", SlotOf(&P::Release), 10},
      {"SetNotifyWindow", SlotOf(&P::SetNotifyWindow), 16},
      {"SelectModeA", SlotOf(&P::SelectModeA), 26},
      {"SelectModeB", SlotOf(&P::SelectModeB), 27},
      {"SetOptionD", SlotOf(&P::SetOptionD), 28},
      {"SetOptionC", SlotOf(&P::SetOptionC), 30},
      {"Connect", SlotOf(&P::Connect), 34},
      {"Disconnect", SlotOf(&P::Disconnect), 35},
      {"ReadValue", SlotOf(&P::ReadValue), 40},
      {"ReadRowValue", SlotOf(&P::ReadRowValue), 41},
      {"ReadTableValue", SlotOf(&P::ReadTableValue), 42},
      {"ReadPacket", SlotOf(&P::ReadPacket), 43},
      {"ReadAtAddress", SlotOf(&P::ReadAtAddress), 44},
      {"WriteValue", SlotOf(&P::WriteValue), 46},
      {"WriteRowValue", SlotOf(&P::WriteRowValue), 47},
      {"WriteTableValue", SlotOf(&P::WriteTableValue), 48},
      {"WriteAtAddress", SlotOf(&P::WriteAtAddress), 50},
      {"ReadIdentification", SlotOf(&P::ReadIdentification), 52},
      {"IsConnected", SlotOf(&P::IsConnected), 57},
      {"LastStatus", SlotOf(&P::LastStatus), 58},
      // The first and last reserved slots pin the table's ends.
      {"Reserved00", SlotOf(&P::Reserved00), 0},
      {"Reserved56", SlotOf(&P::Reserved56), 56},
  };
  for (const auto &c : cases)
    EXPECT_EQ(c.slot, c.expected) << c.name;
}
#endif

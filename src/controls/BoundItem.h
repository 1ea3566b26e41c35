#pragma once
#include <cstdint>

class NoxMessageEvent;
class TNoxNumber;

// Reads a parameter again from the unit whatever its cache says (off line
// the cached value stands); on a failed read the cached raw value is kept.
// value gets the user value either way; the result is whether the read
// succeeded.
bool ReloadUserValue(TNoxNumber &item, double &value);

// The raw value a MSG_PACKET_DATA message carries: the first 32 bits of the
// buffer its WParam points to; 0 when there is none.
std::int32_t PacketRawValue(const NoxMessageEvent &message);

#include "controls/BoundItem.h"

#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxNumber.h"

#include <cstring>

bool ReloadUserValue(TNoxNumber &item, double &value) {
  item.SaveRawValue();
  const bool ok = item.Reload();
  if (!ok)
    item.RestoreRawValue();
  value = item.ConvertToUser(item.RawValue());
  return ok;
}

std::int32_t PacketRawValue(const NoxMessageEvent &message) {
  std::int32_t raw = 0;
  if (const auto *bytes = reinterpret_cast<const unsigned char *>(message.WParam()))
    std::memcpy(&raw, bytes, sizeof raw);
  return raw;
}

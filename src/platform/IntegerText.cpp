#include "platform/IntegerText.h"

namespace IntegerText {

bool TryParse(const QString &text, int &value) {
  bool ok = false;
  const int parsed = text.trimmed().toInt(&ok, 10);
  if (ok)
    value = parsed;
  return ok;
}

} // namespace IntegerText

// The language library: every user-interface text of the program in every
// language, compiled in from the tables in tables/. LanguageLibraryAbi.h
// describes the exports.

#include "LanguageLibraryAbi.h"
#include "LanguageTable.h"

#include <algorithm>
#include <iterator>

NOX_LANGUAGE_EXPORT void _MaxLanguages(std::int32_t *count) {
  if (count)
    *count = LanguageTable::LanguageCount;
}

NOX_LANGUAGE_EXPORT void _MaxStrings(std::int32_t *count) {
  if (count)
    *count = LanguageTable::StringsPerLanguage;
}

NOX_LANGUAGE_EXPORT std::int32_t _GetString(std::uint32_t resourceId, char16_t *buffer,
                                            std::int32_t capacity) {
  if (!buffer || capacity < 1)
    return 0;
  const auto *begin = std::begin(LanguageTable::Entries);
  const auto *end = std::end(LanguageTable::Entries);
  const auto *entry =
      std::lower_bound(begin, end, resourceId,
                       [](const LanguageTable::Entry &e, std::uint32_t id) { return e.resourceId < id; });
  if (entry == end || entry->resourceId != resourceId) {
    buffer[0] = u'\0';
    return 0;
  }
  std::int32_t length = std::min(entry->length, capacity - 1);
  // Never hand out the first half of a surrogate pair alone.
  if (length > 0 && length < entry->length && entry->text[length - 1] >= 0xD800 &&
      entry->text[length - 1] <= 0xDBFF)
    --length;
  std::copy_n(entry->text, length, buffer);
  buffer[length] = u'\0';
  return length;
}

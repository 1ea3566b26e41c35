#pragma once
// The contract between the program and its language library ("Languages.dll",
// libLanguages.so on Linux). Plain C++ with C linkage on the exports: shared
// by the translator and by every language library, so it must not need Qt.
//
// The library holds one block of strings per language. The string of text id
// k in language L has resource id L * StringsPerLanguage + k. In every block,
// id 0 is the language's name (an "&" may mark the accelerator letter), id 1
// the decimal number of its font character set, id 2 the decimal number of
// its code page; the user-interface texts start at id 3.
//
// Exports, all with C linkage and these exact names:
//
//   void _MaxLanguages(std::int32_t *count);
//     Stores the number of languages. Optional: without it there is one.
//
//   void _MaxStrings(std::int32_t *count);
//     Stores the size of each language's block of ids. Optional: without it
//     the size is 1.
//
//   std::int32_t _GetString(std::uint32_t resourceId, char16_t *buffer, std::int32_t capacity);
//     Copies the UTF-16 string with that resource id into buffer, at most
//     capacity - 1 code units (never half of a surrogate pair), and ends it
//     with a zero unit. Returns the number of code units copied: 0 when the
//     id has no string or the string is empty. With a null buffer or a
//     capacity below 1 nothing is written and 0 is returned. The same
//     contract as the Windows string-resource loader, so a library that
//     mirrors a resource file is a thin wrapper.
//
// A string is at most MaxTextLength code units; the translator cuts longer
// ones.
#include <cstdint>

#if defined(_WIN32)
#define NOX_LANGUAGE_EXPORT extern "C" __declspec(dllexport)
#else
#define NOX_LANGUAGE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace NoxLanguageAbi {

inline constexpr const char *MaxLanguagesSymbol = "_MaxLanguages";
inline constexpr const char *MaxStringsSymbol = "_MaxStrings";
inline constexpr const char *GetStringSymbol = "_GetString";

// Characters in one looked-up string, without its terminator.
inline constexpr std::int32_t MaxTextLength = 254;

using MaxCountFunction = void (*)(std::int32_t *count);
using GetStringFunction = std::int32_t (*)(std::uint32_t resourceId, char16_t *buffer, std::int32_t capacity);

} // namespace NoxLanguageAbi

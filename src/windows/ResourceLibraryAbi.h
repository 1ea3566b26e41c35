#pragma once
// The contract between the program and its resource library ("ConfigBase.dll",
// libConfigBase.so on Linux). Plain C++ with a C entry point, shared by the
// desktop program and the library, so it must not need Qt.
//
//   int _GetResource(int resourceId, const unsigned char **bytes, unsigned long *size);
//     Points *bytes at the PNG file of that picture (owned by the library, valid
//     while it is loaded) and stores its length in *size; returns 1. For an id
//     the library does not hold: *bytes null, *size 0, returns 0.
//
// Resource ids the program asks for: 10023 the application icon, 10012 the
// about picture, 10000 + i the flag of language index i.

#if defined(_WIN32)
#define NOX_RESOURCE_EXPORT __declspec(dllexport)
#else
#define NOX_RESOURCE_EXPORT __attribute__((visibility("default")))
#endif

namespace NoxResourceAbi {

inline constexpr const char *GetResourceSymbol = "_GetResource";
inline constexpr int IconResource = 10023;
inline constexpr int AboutResource = 10012;
inline constexpr int FirstFlagResource = 10000;

using GetResourceFunction = int (*)(int resourceId, const unsigned char **bytes, unsigned long *size);

} // namespace NoxResourceAbi

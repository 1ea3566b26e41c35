#pragma once
// The Win32 API, without the min/max macros that break std::min and
// std::numeric_limits, and without the rarely used parts. Windows only.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

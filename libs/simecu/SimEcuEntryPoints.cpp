// The three functions the program resolves by name. The same file also builds
// the test variants of the library, steered by compile definitions:
//   SIMECU_WITHOUT_VERSION_ENTRY   _GetDLLVersion is not exported
//   SIMECU_FIXED_MAJOR_VERSION=n   the major version is n, whatever the configuration says

#include "NoxProtocolObject.h"
#include "SimEcuConfig.h"
#include "SimEcuProtocolObject.h"

#include <iostream>
#include <new>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>

// The mingw-w64 run-time linked into this library takes a thread-local
// storage index each time the library is loaded and never gives it back. A
// process has 1088 of them, and one that connects that often (the test suites
// do) would abort. Pinned, the library is loaded once per process: the
// program's unload at a disconnect leaves it in place and the next connect
// finds it. The simulated unit keeps no state outside its objects and its
// memory file, so nothing carries over from one connection to the next.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&DllMain), &self);
  }
  return TRUE;
}
#endif

NOX_PROTOCOL_EXPORT NoxProtocolObject *_CreateClassInstance() {
  // No exception may cross into the program: a failure is a null object.
  try {
    return new SimEcuProtocolObject(SimEcuConfig::fromEnvironment(std::cerr), std::cerr);
  } catch (...) {
    return nullptr;
  }
}

NOX_PROTOCOL_EXPORT void _DestroyClassInstance(NoxProtocolObject *object) {
  delete static_cast<SimEcuProtocolObject *>(object);
}

#if !defined(SIMECU_WITHOUT_VERSION_ENTRY)
NOX_PROTOCOL_EXPORT bool _GetDLLVersion(NoxDllVersion *version) {
  if (version == nullptr)
    return false;
#if defined(SIMECU_FIXED_MAJOR_VERSION)
  version->Major = SIMECU_FIXED_MAJOR_VERSION;
#else
  try {
    // The program asks for the version before it creates the object, so the
    // file is read here as well. Its complaints are left to the creation.
    std::ostringstream ignored;
    version->Major = SimEcuConfig::fromEnvironment(ignored).dllMajorVersion;
  } catch (...) {
    return false;
  }
#endif
  version->Minor = 0;
  version->Release = 0;
  version->Build = 0;
  return true;
}
#endif

#include "platform/Terminal.h"

#if defined(_WIN32)
#include "platform/WindowsApi.h"
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Terminal {

bool IsTerminal(std::FILE *stream) {
  if (stream == nullptr)
    return false;
#if defined(_WIN32)
  // _isatty() also answers yes for NUL; only a console has a console mode.
  const intptr_t handle = _get_osfhandle(_fileno(stream));
  DWORD mode = 0;
  return handle != -1 && GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

void PrepareStandardStreams() {
#if defined(_WIN32)
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
#endif
}

} // namespace Terminal

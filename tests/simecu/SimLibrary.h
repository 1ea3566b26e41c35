#pragma once
// Loads a built protocol library the way the program does (by path, entry
// points by name) and hands out protocol objects that destroy themselves
// through the library.

#include "NoxProtocolObject.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The few POSIX calls these tests use, in Windows' terms.
inline int setenv(const char *name, const char *value, int) {
  return _putenv_s(name, value);
}
inline int unsetenv(const char *name) {
  return _putenv_s(name, "");
}
inline void *dlopen(const char *path, int) {
  return reinterpret_cast<void *>(LoadLibraryA(path));
}
inline void *dlsym(void *handle, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
inline int dlclose(void *handle) {
  return FreeLibrary(static_cast<HMODULE>(handle)) ? 0 : 1;
}
inline const char *dlerror() {
  return "LoadLibrary failed";
}
#define RTLD_NOW 0
#define RTLD_LOCAL 0
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

class SimLibrary {
public:
  explicit SimLibrary(const char *path) : m_handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
  ~SimLibrary() {
    if (m_handle != nullptr)
      dlclose(m_handle);
  }
  SimLibrary(const SimLibrary &) = delete;
  SimLibrary &operator=(const SimLibrary &) = delete;

  bool loaded() const { return m_handle != nullptr; }
  bool has(const char *name) const { return m_handle != nullptr && dlsym(m_handle, name) != nullptr; }

  template <typename Function> Function entry(const char *name) const {
    void *symbol = m_handle != nullptr ? dlsym(m_handle, name) : nullptr;
    Function function = nullptr;
    static_assert(sizeof(function) == sizeof(symbol));
    std::memcpy(&function, &symbol, sizeof(function));
    return function;
  }

  struct Destroyer {
    NoxDestroyClassInstanceFn destroy;
    void operator()(NoxProtocolObject *object) const { destroy(object); }
  };
  using Object = std::unique_ptr<NoxProtocolObject, Destroyer>;

  Object create() const {
    const auto createFn = entry<NoxCreateClassInstanceFn>(NOX_ENTRY_CREATE);
    const auto destroyFn = entry<NoxDestroyClassInstanceFn>(NOX_ENTRY_DESTROY);
    return Object(createFn(), Destroyer{destroyFn});
  }

private:
  void *m_handle;
};

// Collects what the library posts through the notify handle.
struct PostRecorder {
  std::vector<std::intptr_t> connectionStates;
  int otherMessages = 0;

  static void post(void *context, std::uint32_t message, std::uintptr_t, std::intptr_t lParam) {
    auto *self = static_cast<PostRecorder *>(context);
    if (message == MSG_CONNECTION_STATE)
      self->connectionStates.push_back(lParam);
    else
      ++self->otherMessages;
  }
  NoxNotifyHandle handle() { return NoxNotifyHandle{&PostRecorder::post, this}; }
};

// A private folder per test, removed afterwards.
class ScratchDir {
public:
  explicit ScratchDir(const std::string &name)
      : m_path(std::filesystem::temp_directory_path() /
               ("simecu-" + name + "-" + std::to_string(static_cast<long>(getpid())))) {
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  std::filesystem::path file(const std::string &name) const { return m_path / name; }
  const std::filesystem::path &path() const { return m_path; }

  std::string write(const std::string &name, const std::string &text) const {
    std::ofstream(file(name)) << text;
    return file(name).string();
  }

private:
  std::filesystem::path m_path;
};

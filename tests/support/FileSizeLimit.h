#pragma once
#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#endif

// Limits the size of any file this process writes for the scope's lifetime:
// a write beyond it fails (EFBIG) the way one on a full disk does (ENOSPC),
// without needing the rights to mount a small file system. SIGXFSZ would
// otherwise end the process; it is ignored meanwhile. Windows has no such
// limit: there Supported is false and a test skips.
#if defined(_WIN32)
class FileSizeLimit {
public:
  static constexpr bool Supported = false;
  explicit FileSizeLimit(long) {}
};
#else
class FileSizeLimit {
public:
  static constexpr bool Supported = true;
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, m_previous.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_handler);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
  rlimit m_previous{};
  void (*m_handler)(int) = nullptr;
};
#endif

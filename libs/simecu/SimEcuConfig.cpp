#include "SimEcuConfig.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace {

std::string_view trim(std::string_view text) {
  const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && isSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string lower(std::string_view text) {
  std::string result(text);
  for (char &c : result)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

// Decimal, or hexadecimal with a 0x prefix: addresses are often quoted in hex.
std::optional<std::uint64_t> parseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty())
    return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

// Numbers separated by blanks and/or commas; every one must be <= maxValue.
std::optional<std::vector<std::uint64_t>> parseList(std::string_view text, std::uint64_t maxValue) {
  std::vector<std::uint64_t> values;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of(" \t,", pos);
    const std::string_view token = text.substr(pos, end == std::string_view::npos ? end : end - pos);
    if (!token.empty()) {
      const auto value = parseNumber(token);
      if (!value || *value > maxValue)
        return std::nullopt;
      values.push_back(*value);
    }
    if (end == std::string_view::npos)
      break;
    pos = end + 1;
  }
  return values;
}

std::optional<bool> parseBool(std::string_view text) {
  const std::string word = lower(text);
  if (word == "1" || word == "true" || word == "yes" || word == "on")
    return true;
  if (word == "0" || word == "false" || word == "no" || word == "off")
    return false;
  return std::nullopt;
}

std::optional<std::uint32_t> parseCount(std::string_view text) {
  const auto value = parseNumber(text);
  if (!value || *value > 0xFFFFFFFFu)
    return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

std::optional<std::set<int>> parseAddresses(std::string_view text) {
  const auto values = parseList(text, 255);
  if (!values)
    return std::nullopt;
  std::set<int> addresses;
  for (const std::uint64_t value : *values)
    addresses.insert(static_cast<int>(value));
  return addresses;
}

// Applies one key; returns an explanation when the value is not acceptable.
std::optional<std::string> apply(SimEcuConfig &config, const std::string &key, std::string_view value) {
  const auto assignCount = [&](std::uint32_t &target) -> std::optional<std::string> {
    const auto count = parseCount(value);
    if (!count)
      return "expected a whole number";
    target = *count;
    return std::nullopt;
  };
  const auto assignBool = [&](bool &target) -> std::optional<std::string> {
    const auto flag = parseBool(value);
    if (!flag)
      return "expected true or false";
    target = *flag;
    return std::nullopt;
  };
  const auto assignAddresses = [&](std::set<int> &target) -> std::optional<std::string> {
    const auto addresses = parseAddresses(value);
    if (!addresses)
      return "expected addresses 0..255 separated by blanks or commas";
    target = *addresses;
    return std::nullopt;
  };

  if (key == "latency_ms")
    return assignCount(config.latencyMs);
  if (key == "dll_major_version")
    return assignCount(config.dllMajorVersion);
  if (key == "lose_connection_after")
    return assignCount(config.loseConnectionAfter);
  if (key == "default_acquired_after_ms")
    return assignCount(config.defaultAcquiredAfterMs);
  if (key == "engine_time_ms") {
    std::uint32_t ms = 0;
    if (const auto error = assignCount(ms))
      return error;
    config.engineTimeMs = ms;
    return std::nullopt;
  }
  if (key == "refuse_connect")
    return assignBool(config.refuseConnect);
  if (key == "no_identification")
    return assignBool(config.noIdentification);
  if (key == "persist")
    return assignBool(config.persist);
  if (key == "read_fail")
    return assignAddresses(config.readFail);
  if (key == "write_fail")
    return assignAddresses(config.writeFail);
  if (key == "undefined")
    return assignAddresses(config.undefined);
  if (key == "memory_image") {
    if (value.empty())
      return "expected a file path";
    config.memoryImage = std::string(value);
    return std::nullopt;
  }
  if (key == "identification") {
    const auto bytes = parseList(value, 255);
    if (!bytes || bytes->size() != config.identification.size())
      return "expected 8 bytes 0..255";
    for (std::size_t i = 0; i < bytes->size(); ++i)
      config.identification[i] = static_cast<std::uint8_t>((*bytes)[i]);
    return std::nullopt;
  }
  return "unknown key '" + key + "'";
}

} // namespace

SimEcuConfig SimEcuConfig::parse(std::istream &in, const std::string &origin, std::ostream &diagnostics) {
  SimEcuConfig config;
  std::string rawLine;
  int lineNumber = 0;
  while (std::getline(in, rawLine)) {
    ++lineNumber;
    std::string_view line = rawLine;
    // '#' starts a comment anywhere (paths with '#' are not supported);
    // ';' only at the start of a line, as in classic INI files.
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
      line = line.substr(0, hash);
    line = trim(line);
    if (line.empty() || line.front() == ';')
      continue;
    if (line.front() == '[' && line.back() == ']')
      continue; // sections only group keys for the reader's sake
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      diagnostics << origin << ':' << lineNumber << ": expected key = value, line ignored\n";
      continue;
    }
    const std::string key = lower(trim(line.substr(0, equals)));
    const std::string_view value = trim(line.substr(equals + 1));
    if (const auto problem = apply(config, key, value))
      diagnostics << origin << ':' << lineNumber << ": " << *problem << ", line ignored\n";
  }
  return config;
}

SimEcuConfig SimEcuConfig::fromEnvironment(std::ostream &diagnostics) {
  const char *path = std::getenv(EnvironmentVariable);
  if (path == nullptr || *path == '\0') {
    SimEcuConfig config;
    config.memoryImage = defaultMemoryFile();
    config.persist = !config.memoryImage.empty();
    return config;
  }
  std::ifstream file(path);
  if (!file) {
    diagnostics << "simulated unit: cannot read " << EnvironmentVariable << " file '" << path
                << "', using defaults\n";
    return SimEcuConfig{};
  }
  return parse(file, std::string("simulated unit: ") + path, diagnostics);
}

std::string SimEcuConfig::defaultMemoryFile() {
  // Only absolute folders count, as the XDG rules say.
  const auto absolute = [](const char *folder) {
    return folder != nullptr && *folder != '\0' && std::filesystem::path(folder).is_absolute();
  };
  const char *state = std::getenv("XDG_STATE_HOME");
  std::string folder;
  if (absolute(state)) {
    folder = state;
  } else {
#if defined(_WIN32)
    // A Windows unit keeps its memory with the user's local application data.
    const char *local = std::getenv("LOCALAPPDATA");
    if (!absolute(local))
      return {};
    folder = local;
#else
    const char *home = std::getenv("HOME");
    if (!absolute(home))
      return {};
    folder = std::string(home) + "/.local/state";
#endif
  }
  return folder + "/noxconfig/simecu-memory.bin";
}

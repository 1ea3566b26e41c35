// Turns the language tables (one UTF-8 text file per language) into a C++
// header that the language library compiles in. Runs at build time, so a
// translator only edits text files. Malformed tables stop the build with the
// file and line at fault; a missing translation is left to the completeness
// test, so that adding a text id does not break every build at once.
//
// Usage: LanguageTableGenerator OUTPUT STRINGS_PER_LANGUAGE IDS_FILE TABLE...
// The tables are given in language order (index 0 first).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxTextLength = 254; // UTF-16 code units, as the translator's buffer holds

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(const std::string &file, std::size_t line, const std::string &message) {
  throw Failure{file + ":" + std::to_string(line) + ": " + message};
}

std::string Trim(const std::string &text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && blank(text[begin]))
    ++begin;
  while (end > begin && blank(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

std::vector<std::string> ReadLines(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw Failure{path + ": cannot be opened"};
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
  }
  // Editors on Windows like to start UTF-8 files with a byte-order mark.
  if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0)
    lines.front().erase(0, 3);
  return lines;
}

bool ParseId(const std::string &text, std::uint32_t &id) {
  if (text.empty() || text.size() > 9 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  id = static_cast<std::uint32_t>(std::stoul(text));
  return true;
}

// Strict UTF-8 to UTF-16: overlong forms, surrogates and truncated sequences
// are refused rather than turned into something the translator did not write.
bool DecodeUtf8(const std::string &text, std::u16string &out) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::uint32_t code = 0;
    std::size_t extra = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      code = lead & 0x1Fu;
      extra = 1;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      code = lead & 0x0Fu;
      extra = 2;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      code = lead & 0x07u;
      extra = 3;
      minimum = 0x10000;
    } else {
      return false;
    }
    if (extra > 0 && i + extra >= text.size())
      return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FFu)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += extra + 1;
  }
  return true;
}

// "\n" is a line break and "\\" a backslash; any other backslash is a typo.
bool Unescape(const std::string &text, std::string &out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 1 >= text.size())
      return false;
    const char next = text[++i];
    if (next == 'n')
      out.push_back('\n');
    else if (next == '\\')
      out.push_back('\\');
    else
      return false;
  }
  return true;
}

std::set<std::uint32_t> ReadIds(const std::string &path, std::uint32_t stringsPerLanguage) {
  std::set<std::uint32_t> ids;
  const std::vector<std::string> lines = ReadLines(path);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string line = Trim(lines[n]);
    if (line.empty() || line[0] == '#')
      continue;
    std::uint32_t id = 0;
    if (!ParseId(line.substr(0, line.find_first_of(" \t")), id))
      Fail(path, n + 1, "expected a text id at the start of the line");
    if (id >= stringsPerLanguage)
      Fail(path, n + 1,
           "text id " + std::to_string(id) + " does not fit a block of " +
               std::to_string(stringsPerLanguage));
    if (!ids.insert(id).second)
      Fail(path, n + 1, "text id " + std::to_string(id) + " listed twice");
  }
  return ids;
}

std::map<std::uint32_t, std::u16string> ReadTable(const std::string &path,
                                                  const std::set<std::uint32_t> &ids) {
  std::map<std::uint32_t, std::u16string> table;
  const std::vector<std::string> lines = ReadLines(path);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string line = Trim(lines[n]);
    if (line.empty() || line[0] == '#')
      continue;
    const std::size_t eq = line.find('=');
    std::uint32_t id = 0;
    if (eq == std::string::npos || !ParseId(Trim(line.substr(0, eq)), id))
      Fail(path, n + 1, "expected \"id = text\"");
    if (!ids.count(id))
      Fail(path, n + 1, "text id " + std::to_string(id) + " is not in the list of text ids");
    std::string unescaped;
    if (!Unescape(Trim(line.substr(eq + 1)), unescaped))
      Fail(path, n + 1, "unknown escape (only \\n and \\\\ are allowed)");
    std::u16string text;
    if (!DecodeUtf8(unescaped, text))
      Fail(path, n + 1, "the text is not valid UTF-8");
    if (text.empty())
      Fail(path, n + 1, "empty text; leave the line out instead");
    if (text.size() > kMaxTextLength)
      Fail(path, n + 1, "text longer than " + std::to_string(kMaxTextLength) + " characters");
    if (!table.emplace(id, text).second)
      Fail(path, n + 1, "text id " + std::to_string(id) + " given twice");
  }
  return table;
}

std::string Generate(const std::vector<std::map<std::uint32_t, std::u16string>> &languages,
                     std::uint32_t stringsPerLanguage) {
  std::ostringstream out;
  out << "// Generated from libs/languages/tables by LanguageTableGenerator. Do not edit.\n"
         "#pragma once\n#include <cstdint>\n\nnamespace LanguageTable {\n\n"
      << "inline constexpr std::int32_t LanguageCount = " << languages.size() << ";\n"
      << "inline constexpr std::int32_t StringsPerLanguage = " << stringsPerLanguage << ";\n\n";
  std::vector<std::string> entries;
  for (std::size_t language = 0; language < languages.size(); ++language) {
    for (const auto &[id, text] : languages[language]) {
      const std::uint64_t resourceId = language * std::uint64_t{stringsPerLanguage} + id;
      const std::string name = "Text" + std::to_string(resourceId);
      out << "inline constexpr char16_t " << name << "[] = {";
      for (char16_t unit : text)
        out << static_cast<unsigned>(unit) << ", ";
      out << "0};\n";
      entries.push_back("{" + std::to_string(resourceId) + "u, " + name + ", " + std::to_string(text.size()) +
                        "}");
    }
  }
  out << "\nstruct Entry {\n  std::uint32_t resourceId;\n  const char16_t *text;\n  std::int32_t "
         "length;\n};\n\n"
      << "// Sorted by resource id.\ninline constexpr Entry Entries[] = {\n";
  for (const std::string &entry : entries)
    out << "    " << entry << ",\n";
  out << "};\n\n} // namespace LanguageTable\n";
  return out.str();
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s OUTPUT STRINGS_PER_LANGUAGE IDS_FILE TABLE...\n", argv[0]);
    return 2;
  }
  try {
    std::uint32_t stringsPerLanguage = 0;
    if (!ParseId(argv[2], stringsPerLanguage) || stringsPerLanguage == 0)
      throw Failure{std::string("bad block size: ") + argv[2]};
    const std::set<std::uint32_t> ids = ReadIds(argv[3], stringsPerLanguage);
    std::vector<std::map<std::uint32_t, std::u16string>> languages;
    for (int i = 4; i < argc; ++i)
      languages.push_back(ReadTable(argv[i], ids));
    if (static_cast<std::uint64_t>(languages.size()) * stringsPerLanguage > 0xFFFFFFFFull)
      throw Failure{"too many languages for 32-bit resource ids"};

    const std::string generated = Generate(languages, stringsPerLanguage);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << generated;
    if (!out)
      throw Failure{std::string(argv[1]) + ": cannot be written"};
  } catch (const Failure &failure) {
    std::fprintf(stderr, "%s\n", failure.message.c_str());
    return 1;
  }
  return 0;
}

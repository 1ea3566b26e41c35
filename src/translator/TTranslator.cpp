#include "translator/TTranslator.h"
#include "platform/IntegerText.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

// Room for one string and its terminator, as the library contract expects.
constexpr std::int32_t kBufferCapacity = NoxLanguageAbi::MaxTextLength + 1;


// The count a library reports, made usable: a library that reports no
// languages, a negative block size or more languages than the count can hold
// must not turn resource ids negative or make the current language invalid.
std::int32_t AskCount(const DynamicLibrary &library, const char *symbol, std::int32_t maximum) {
  auto function = reinterpret_cast<NoxLanguageAbi::MaxCountFunction>(library.Resolve(symbol));
  if (!function)
    return 1;
  std::int32_t count = 1;
  function(&count);
  return std::clamp<std::int32_t>(count, 1, maximum);
}

} // namespace

TTranslator::TTranslator(QObject *parent) : QObject(parent) {}

TTranslator::~TTranslator() {
  FreeLanguageLibrary();
}

bool TTranslator::LoadLanguageLibrary() {
  FreeLanguageLibrary();
  if (m_library.Load(m_dllName)) {
    m_languageCount = static_cast<std::int8_t>(
        AskCount(m_library, NoxLanguageAbi::MaxLanguagesSymbol, std::numeric_limits<std::int8_t>::max()));
    m_stringsPerLanguage =
        AskCount(m_library, NoxLanguageAbi::MaxStringsSymbol, std::numeric_limits<std::int32_t>::max());
    m_getString = reinterpret_cast<NoxLanguageAbi::GetStringFunction>(
        m_library.Resolve(NoxLanguageAbi::GetStringSymbol));
  } else {
    m_languageCount = 1;
    m_stringsPerLanguage = 1;
  }
  if (m_currentLanguage >= m_languageCount)
    m_currentLanguage = m_languageCount - 1;
  return m_library.IsLoaded();
}

void TTranslator::FreeLanguageLibrary() {
  m_getString = nullptr;
  m_library.Unload();
  m_languageCount = 1;
  m_stringsPerLanguage = 1;
}

void TTranslator::SetDllName(const QString &dllName) {
  if (dllName == m_dllName)
    return;
  m_dllName = dllName;
  if (m_library.IsLoaded())
    LoadLanguageLibrary();
}

QString TTranslator::LoadResourceString(std::int64_t resourceId) const {
  if (!m_getString || resourceId < 0 || resourceId > std::numeric_limits<std::uint32_t>::max())
    return {};
  std::array<char16_t, kBufferCapacity> buffer{};
  const std::int32_t copied =
      m_getString(static_cast<std::uint32_t>(resourceId), buffer.data(), kBufferCapacity);
  // Trust the library no further than the buffer it was given and the
  // terminator it wrote.
  std::int32_t length = std::clamp<std::int32_t>(copied, 0, NoxLanguageAbi::MaxTextLength);
  length =
      static_cast<std::int32_t>(std::find(buffer.begin(), buffer.begin() + length, u'\0') - buffer.begin());
  QString text = QString::fromUtf16(buffer.data(), length);
  if (!m_isUnicode) {
    QByteArray narrow = text.toLocal8Bit();
    narrow.truncate(NoxLanguageAbi::MaxTextLength);
    text = QString::fromLocal8Bit(narrow);
  }
  return text;
}

QString TTranslator::MissingString(int textId) {
  QString text;
  if (OnMissingString)
    OnMissingString(this, textId, text);
  return text;
}

QString TTranslator::GetText(int textId, int maxLength) {
  const std::int64_t resourceId =
      static_cast<std::int64_t>(textId) + static_cast<std::int64_t>(m_currentLanguage) * m_stringsPerLanguage;
  QString text = LoadResourceString(resourceId);
  if (text.isEmpty())
    text = MissingString(textId);
  if (maxLength > 0)
    text.truncate(maxLength);
  return text;
}

QString TTranslator::GetLanguageName(int language) {
  if (language < 0 || language >= m_languageCount)
    return MissingString(0);
  QString name = LoadResourceString(static_cast<std::int64_t>(language) * m_stringsPerLanguage);
  if (name.isEmpty())
    name = MissingString(0);
  return name;
}

void TTranslator::SetLanguage(int language) {
  if (language < 0 || language >= m_languageCount)
    return;
  m_currentLanguage = language;

  int characterSet = m_characterSet;
  if (IntegerText::TryParse(GetText(1, 0), characterSet) && IsKnownCharacterSet(characterSet))
    m_characterSet = characterSet;
  int codePage = m_codePage;
  if (IntegerText::TryParse(GetText(2, 0), codePage) && IsKnownCodePage(codePage))
    m_codePage = codePage;
}

bool TTranslator::IsKnownCharacterSet(int characterSet) {
  static constexpr int known[] = {0,   1,   2,   77,  128, 129, 130, 134, 136, 161,
                                  162, 163, 177, 178, 186, 204, 222, 238, 255};
  return std::find(std::begin(known), std::end(known), characterSet) != std::end(known);
}

bool TTranslator::IsKnownCodePage(int codePage) {
  // The Windows ANSI and OEM code pages, the ISO 8859 family, KOI8 and the
  // Unicode forms: every code page a language library may sensibly name.
  static constexpr int known[] = {437,   737,   775,   850,   852,   855,   857,   858,   860,   861,
                                  862,   863,   864,   865,   866,   869,   874,   932,   936,   949,
                                  950,   1200,  1201,  1250,  1251,  1252,  1253,  1254,  1255,  1256,
                                  1257,  1258,  1361,  10000, 20127, 20866, 21866, 28591, 28592, 28593,
                                  28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605, 65000, 65001};
  return std::find(std::begin(known), std::end(known), codePage) != std::end(known);
}

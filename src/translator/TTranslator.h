#pragma once
#include "platform/DynamicLibrary.h"
#include "translator/LanguageLibraryAbi.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

// Every user-visible text of the program, looked up by numeric text id in the
// language library of the current language (LanguageLibraryAbi.h describes
// the library). Nothing is cached: each lookup asks the library.
//
// Without a library there is one language and every text is missing, so
// OnMissingString decides (empty without a handler).
class TTranslator : public QObject {
  Q_OBJECT
public:
  explicit TTranslator(QObject *parent = nullptr);
  ~TTranslator() override;

  // Frees any library, loads the one named by DllName and reads its counts.
  // False when it could not be loaded; no message is shown.
  bool LoadLanguageLibrary();
  // Unloads the library; both counts go back to 1. The current language is
  // kept, so that reloading a library keeps the user's choice when it can.
  void FreeLanguageLibrary();
  bool LibraryLoaded() const { return m_library.IsLoaded(); }

  // The text of the current language; maxLength > 0 cuts it to that many
  // characters.
  QString GetText(int textId, int maxLength = 0);
  // Text id 0 of that language, or what OnMissingString gives for id 0.
  QString GetLanguageName(int language);
  // Ignored for an index outside 0 to LanguageCount - 1. Takes the
  // language's character set and code page when they are numbers the
  // platform knows; otherwise the previous ones stay.
  void SetLanguage(int language);

  int LanguageCount() const { return m_languageCount; }
  int StringsPerLanguage() const { return m_stringsPerLanguage; }
  int CurrentLanguage() const { return m_currentLanguage; }
  int CharacterSet() const { return m_characterSet; }
  int CodePage() const { return m_codePage; }

  QString DllName() const { return m_dllName; }
  // A different name reloads at once when a library is loaded.
  void SetDllName(const QString &dllName);

  // Wide lookups (true) or narrow lookups in the system's 8-bit code page,
  // widened afterwards (false). The library's lookup is always wide here, so
  // the narrow form only reproduces what such a lookup loses.
  bool IsUnicode() const { return m_isUnicode; }
  void SetIsUnicode(bool isUnicode) { m_isUnicode = isUnicode; }

  // Called with the text id (not the resource id) of a text the library does
  // not have; the text starts empty and the handler may fill it.
  std::function<void(TTranslator *sender, int textId, QString &text)> OnMissingString;

  static bool IsKnownCharacterSet(int characterSet);
  static bool IsKnownCodePage(int codePage);

private:
  // The string of a resource id; empty when the library has none.
  QString LoadResourceString(std::int64_t resourceId) const;
  QString MissingString(int textId);

  DynamicLibrary m_library;
  NoxLanguageAbi::GetStringFunction m_getString = nullptr;
  QString m_dllName;
  bool m_isUnicode = true;
  std::int32_t m_currentLanguage = 0;
  std::int8_t m_languageCount = 1;
  std::int32_t m_stringsPerLanguage = 1;
  std::int32_t m_codePage = 1252;
  std::int32_t m_characterSet = 1;
};

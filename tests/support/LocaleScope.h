#pragma once
#include <QLocale>

// Sets the process's default locale for a test and puts the C locale back.
class LocaleScope {
public:
  explicit LocaleScope(QLocale::Language language) { QLocale::setDefault(QLocale(language)); }
  ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
  LocaleScope(const LocaleScope &) = delete;
  LocaleScope &operator=(const LocaleScope &) = delete;
};

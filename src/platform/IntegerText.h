#pragma once
#include <QString>

// Whole decimal numbers in text that people or other programs wrote (stored
// settings, language tables, values typed in), for every layer of the core.
namespace IntegerText {

// Blanks around the number are allowed; false leaves value untouched.
bool TryParse(const QString &text, int &value);

} // namespace IntegerText

#pragma once
// The language to start in, from the system's language for messages.

#include <string>

namespace zandrel {

// The built-in language name for a locale text such as "de_AT.UTF-8": German
// for Germany, Switzerland, Austria, Luxembourg and Liechtenstein, Italian for
// Italy and Switzerland, Bulgarian, and English for everything else. A
// locale without a territory takes the language's home country.
std::string languageForLocale(const std::string& locale);

// Sets gLanguage from LC_ALL, LC_MESSAGES or LANG (the first one set), then
// fills the texts.
void chooseDefaultLanguage();

}  // namespace zandrel

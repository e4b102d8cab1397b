#pragma once
// The current language and the language choices the program knows.

#include <string>
#include <vector>

namespace zandrel {

extern const std::string gLanguageNameEnglish;    // "English"
extern const std::string gLanguageNameGerman;     // "Deutsch"
extern const std::string gLanguageNameItalian;    // "Italiano"
extern const std::string gLanguageNameBulgarian;  // "български"

// A built-in language name or a language file's name ending in ".lng";
// anything else means English.
extern std::string gLanguage;
// "de", "it" or "en": the language part of the product page's address.
extern std::string gWebLanguageCode;
// Language files in the program's folder, sorted, without their ".lng".
extern std::vector<std::string> gLanguageFiles;

// Fills gUiText and gWebLanguageCode for gLanguage: a built-in language, a
// language file in the program's folder (its keys before the first group;
// a missing key gives the English text), or English.
void loadLanguageTexts();

// The text of one index in the open language document, English when absent.
std::string readLanguageEntry(const std::string& key);

}  // namespace zandrel

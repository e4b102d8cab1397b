#include "config/default_language.h"

#include <cstdlib>

#include "config/languages.h"

namespace zandrel {

std::string languageForLocale(const std::string& locale) {
  const std::string name = locale.substr(0, locale.find_first_of(".@"));
  const size_t underscore = name.find('_');
  const std::string language = name.substr(0, underscore);
  const std::string territory = underscore == std::string::npos ? "" : name.substr(underscore + 1);
  const auto in = [&](std::initializer_list<const char*> territories) {
    for (const char* t : territories) {
      if (territory == t) return true;
    }
    return false;
  };
  if (language == "de" && in({"", "DE", "CH", "AT", "LU", "LI"})) return gLanguageNameGerman;
  if (language == "bg" && in({"", "BG"})) return gLanguageNameBulgarian;
  if (language == "it" && in({"", "IT", "CH"})) return gLanguageNameItalian;
  return gLanguageNameEnglish;
}

void chooseDefaultLanguage() {
  std::string locale;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  gLanguage = languageForLocale(locale);
  loadLanguageTexts();
}

}  // namespace zandrel

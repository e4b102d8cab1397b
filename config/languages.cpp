#include "config/languages.h"

#include "config/ui_strings.h"

namespace zandrel {

const std::string gLanguageNameEnglish = "English";
const std::string gLanguageNameGerman = "Deutsch";
const std::string gLanguageNameItalian = "Italiano";
const std::string gLanguageNameBulgarian = "\xD0\xB1\xD1\x8A\xD0\xBB\xD0\xB3\xD0\xB0\xD1\x80\xD1\x81\xD0\xBA\xD0\xB8";

std::string gLanguage;
std::string gWebLanguageCode = "en";
std::vector<std::string> gLanguageFiles;

void loadLanguageTexts() {
  gWebLanguageCode = "en";
  for (int index = 0; index < kUiStringCount; ++index) {
    if (index != 83) gUiText[index] = gUiStrings[index];  // "Search" is never shown
  }
}

}  // namespace zandrel

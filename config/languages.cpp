#include "config/languages.h"

#include "bridge/ui_strings.h"
#include "config/ini_document.h"
#include "config/program_folder.h"
#include "config/translations.h"

namespace zandrel {

const std::string gLanguageNameEnglish = "English";
const std::string gLanguageNameGerman = "Deutsch";
const std::string gLanguageNameItalian = "Italiano";
const std::string gLanguageNameBulgarian = "\xD0\xB1\xD1\x8A\xD0\xBB\xD0\xB3\xD0\xB0\xD1\x80\xD1\x81\xD0\xBA\xD0\xB8";

std::string gLanguage;
std::string gWebLanguageCode = "en";
std::vector<std::string> gLanguageFiles;

namespace {

bool namesLanguageFile(const std::string& language) {
  const size_t dot = language.rfind('.');
  return dot != std::string::npos && dot > 0 && language.compare(dot, std::string::npos, ".lng") == 0 &&
         language[dot - 1] != '/';
}

void copyTable(const std::array<const char*, kUiStringCount>& table) {
  for (int index = 0; index < kUiStringCount; ++index) {
    // "Search" is kept in every table but never shown.
    if (index != kTextSearch) gUiText[index] = table[index];
  }
}

}  // namespace

std::string readLanguageEntry(const std::string& key) {
  return readIniString(key, gUiStrings[static_cast<size_t>(std::stoi(key))]);
}

void loadLanguageTexts() {
  if (gLanguage == gLanguageNameGerman) {
    gWebLanguageCode = "de";
    copyTable(gGermanTexts);
  } else if (gLanguage == gLanguageNameItalian) {
    gWebLanguageCode = "it";
    copyTable(gItalianTexts);
  } else if (gLanguage == gLanguageNameBulgarian) {
    gWebLanguageCode = "en";
    copyTable(gBulgarianTexts);
  } else if (namesLanguageFile(gLanguage)) {
    // A file that does not open gives every text its English default.
    openIniFile(gProgramFolder + gLanguage);
    gWebLanguageCode = "en";
    for (int index = 0; index < kUiStringCount; ++index) {
      if (index != kTextSearch) gUiText[index] = readLanguageEntry(std::to_string(index));
    }
    closeIniFile();
  } else {
    gWebLanguageCode = "en";
    copyTable(gUiStrings);
  }
}

}  // namespace zandrel

#include "config/settings.h"

#include "bridge/messages.h"
#include "bridge/ui_strings.h"
#include "config/ini_document.h"
#include "config/languages.h"
#include "config/program_folder.h"
#include "engine/search_state.h"
#include "engine/shared_helpers.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

std::string stateText(int gadget) { return ui::gadgetState(gadget) != 0 ? "1" : "0"; }

// "1", "2" or "3" for the chosen option of a group of three.
std::string optionText(int any, int include) {
  if (ui::gadgetChecked(any)) return "1";
  return ui::gadgetChecked(include) ? "2" : "3";
}

int64_t readNumber(const std::string& key, const std::string& fallback) {
  return parseSettingsNumber(readIniString(key, fallback));
}

// Chooses the option the number names and enables the fields it governs, as
// a click would have done.
void chooseOption(int64_t number, int any, int include, int exclude, std::initializer_list<int> fields) {
  const int chosen = number == 1 ? any : number == 2 ? include : exclude;
  ui::setGadgetState(chosen, 1);
  if (number != 1) {
    for (int field : fields) ui::disableGadget(field, false);
  }
}

// "Couldn't save the settings in *" with the quoted path for every "*".
void showSaveError() {
  showErrorMessage(replaceAll(gUiText[kTextCouldNotSaveSettings], "*", "\"" + gSettingsPath + "\""));
}

}  // namespace

int64_t parseSettingsNumber(const std::string& text) {
  size_t pos = text.find_first_not_of(" \t");
  if (pos == std::string::npos) return 0;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
  int base = 10;
  if (pos < text.size() && (text[pos] == '$' || text[pos] == '%')) base = text[pos++] == '$' ? 16 : 2;
  return readSignedDigits(std::string_view(text).substr(pos), base, negative);
}

void saveSettings() {
  if (ui::questionBox(gUiText[kTextSaveConfiguration], gUiText[kTextAskSaveConfiguration]) != ui::Answer::Yes) return;
  if (!createIniFile(gSettingsPath)) {
    showSaveError();
    return;
  }
  writeIniString("lang", gLanguage);
  selectIniGroup("algorithm");
  writeIniString("md5", stateText(Md5CheckBox));
  writeIniString("sha1", stateText(Sha1CheckBox));
  writeIniString("crc32", stateText(Crc32CheckBox));
  selectIniGroup("attributes");
  writeIniString("subdirs", stateText(SubdirsCheckBox));
  writeIniString("hidden", stateText(HiddenCheckBox));
  writeIniString("system", stateText(SystemCheckBox));
  selectIniGroup("size");
  writeIniString("option", optionText(SizeAnyOption, SizeIncludeOption));
  writeIniString("min", trimBlanks(ui::gadgetText(MinSizeField)));
  writeIniString("max", trimBlanks(ui::gadgetText(MaxSizeField)));
  selectIniGroup("extension");
  writeIniString("option", optionText(ExtensionAnyOption, ExtensionIncludeOption));
  writeIniString("extensions", trimBlanks(ui::gadgetText(ExtensionsField)));
  const int rows = ui::rowCount(LocationsList);
  selectIniGroup("locations");
  for (int row = 0; row < rows; ++row) writeIniString(std::to_string(row + 1), ui::rowText(LocationsList, row));
  if (!closeIniFile()) showSaveError();
}

void loadSettings() {
  bool oneAlgorithm = false;
  if (openIniFile(gSettingsPath)) {
    gLanguage = readIniString("lang", "");

    selectIniGroup("algorithm");
    const int64_t md5 = readNumber("md5", "0");
    const int64_t sha1 = readNumber("sha1", "0");
    const int64_t crc32 = readNumber("crc32", "0");
    ui::setGadgetState(Md5CheckBox, static_cast<int>(md5 != 0));
    ui::setGadgetState(Sha1CheckBox, static_cast<int>(sha1 != 0));
    ui::setGadgetState(Crc32CheckBox, static_cast<int>(crc32 != 0));
    oneAlgorithm = md5 == 1 || sha1 == 1 || crc32 == 1;

    // Linux files have no hidden or system attribute: those two are not read.
    selectIniGroup("attributes");
    ui::setGadgetState(SubdirsCheckBox, static_cast<int>(readNumber("subdirs", "0") != 0));

    selectIniGroup("size");
    chooseOption(readNumber("option", "1"), SizeAnyOption, SizeIncludeOption, SizeExcludeOption,
                 {MinSizeField, MaxSizeField});
    gMinSize = readNumber("min", "");
    gMaxSize = readNumber("max", "");
    if (gMinSize >= 1) ui::setGadgetText(MinSizeField, std::to_string(gMinSize));
    if (gMaxSize >= 1) ui::setGadgetText(MaxSizeField, std::to_string(gMaxSize));

    selectIniGroup("extension");
    chooseOption(readNumber("option", "1"), ExtensionAnyOption, ExtensionIncludeOption, ExtensionExcludeOption,
                 {ExtensionsField});
    ui::setGadgetText(ExtensionsField, readIniString("extensions", ""));

    selectIniGroup("locations");
    for (int key = 1;; ++key) {
      const std::string location = trimBlanks(readIniString(std::to_string(key), ""));
      if (location.empty()) break;
      ui::addRow(LocationsList, -1, location);
    }
    closeIniFile();
  }
  if (!oneAlgorithm) ui::setGadgetState(Md5CheckBox, 1);
}

}  // namespace zandrel

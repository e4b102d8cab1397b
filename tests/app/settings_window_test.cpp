// "settings.ini" through the real window: saved from the toolbar, read again
// when the window is built at the next start.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/event_loop.h"
#include "bridge/ui_strings.h"
#include "config/languages.h"
#include "config/program_folder.h"
#include "config/settings.h"
#include "config/translations.h"
#include "engine/search_state.h"
#include "tests/app/window_test_support.h"
#include "tests/support/immutable.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;

std::optional<std::string> readBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Sets the locale variables for as long as it lives; nullptr unsets one.
class LocaleEnvironment {
 public:
  LocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* values[] = {lcAll, lcMessages, lang};
    for (int i = 0; i < 3; ++i) {
      const char* old = std::getenv(kNames[i]);
      saved_[i] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
      if (values[i] != nullptr) {
        setenv(kNames[i], values[i], 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }
  ~LocaleEnvironment() {
    for (int i = 0; i < 3; ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }

 private:
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<std::string> saved_[3];
};


class SettingsWindowTest : public MainWindowTest {
 protected:
  // Presses the toolbar button and answers the question, then the error box if one comes.
  void saveFromToolbar(Answer answer, bool errorExpected = false) {
    drive::forgetDialogs();
    drive::answerNextDialog(answer);
    if (errorExpected) drive::answerNextDialog(Answer::Ok);
    drive::activateMenuItem(SaveSettingsTool);
    settle();
  }

  // Starts the program anew with this settings file.
  void restartWith(const std::string& content) {
    writeFile("settings.ini", content);
    rebuildMainWindow();
  }

  // The chosen rule options, the fields they enable and the size texts.
  static void expectRuleControls(int sizeOption, int extensionOption, const std::string& minimum,
                                 const std::string& maximum) {
    for (int option : {SizeAnyOption, SizeIncludeOption, SizeExcludeOption}) {
      EXPECT_EQ(ui::gadgetState(option) == 1, option == sizeOption) << option;
    }
    for (int option : {ExtensionAnyOption, ExtensionIncludeOption, ExtensionExcludeOption}) {
      EXPECT_EQ(ui::gadgetState(option) == 1, option == extensionOption) << option;
    }
    EXPECT_EQ(ui::gadgetDisabled(MinSizeField), sizeOption == SizeAnyOption);
    EXPECT_EQ(ui::gadgetDisabled(MaxSizeField), sizeOption == SizeAnyOption);
    EXPECT_EQ(ui::gadgetDisabled(ExtensionsField), extensionOption == ExtensionAnyOption);
    EXPECT_EQ(ui::gadgetText(MinSizeField), minimum);
    EXPECT_EQ(ui::gadgetText(MaxSizeField), maximum);
  }

  std::string settingsBytes() { return readBytes(gSettingsPath).value_or("(no file)"); }
};

// What the user sets up in the window, and what a start with the saved file shows.
struct Options {
  bool md5 = true, sha1 = false, crc32 = false, subdirs = false;
  int sizeOption = SizeAnyOption;
  std::string minimum = {}, maximum = {};
  int extensionOption = ExtensionAnyOption;
  std::string typedExtensions = {}, shownExtensions = {};
  std::vector<std::string> locations = {};  // relative to the test folder
};

TEST_F(SettingsWindowTest, EveryOptionComesBackAtTheNextStart) {
  const Options cases[] = {
      {.md5 = false, .sha1 = true, .crc32 = true, .subdirs = true, .sizeOption = SizeExcludeOption,
       .minimum = "100", .maximum = "2000", .extensionOption = ExtensionIncludeOption,
       .typedExtensions = "  jpg png ", .shownExtensions = "jpg png", .locations = {"a b/", "c  d.txt"}},
      {.sizeOption = SizeIncludeOption, .minimum = "3", .maximum = "", .extensionOption = ExtensionExcludeOption,
       .typedExtensions = "tmp", .shownExtensions = "tmp"},
      {.md5 = false, .crc32 = true, .minimum = "", .maximum = ""},
  };
  for (const Options& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases));
    std::filesystem::remove(gSettingsPath);
    rebuildMainWindow();

    if (c.sha1) drive::toggleCheckBox(Sha1CheckBox);
    if (c.crc32) drive::toggleCheckBox(Crc32CheckBox);
    settle();
    if (!c.md5) drive::toggleCheckBox(Md5CheckBox);
    if (c.subdirs) drive::toggleCheckBox(SubdirsCheckBox);
    drive::chooseOption(c.sizeOption);
    drive::chooseOption(c.extensionOption);
    settle();
    drive::typeText(MinSizeField, c.minimum);
    drive::typeText(MaxSizeField, c.maximum);
    drive::typeText(ExtensionsField, c.typedExtensions);
    std::vector<std::string> locations;
    for (const std::string& location : c.locations) {
      if (location.ends_with('/')) {
        locations.push_back(makeFolder(location.substr(0, location.size() - 1)) + "/");
      } else {
        locations.push_back(writeFile(location, "x"));
      }
    }
    drive::dropFiles(LocationsList, locations);
    settle();
    ASSERT_EQ(rows(LocationsList), locations);

    saveFromToolbar(Answer::Yes);
    EXPECT_EQ(drive::lastDialogTitle(), "Save configuration");
    EXPECT_EQ(drive::lastDialogText(), "Do you want to save the current configuration?");
    const std::string saved = settingsBytes();
    EXPECT_EQ(saved.find("[locations]") != std::string::npos, !locations.empty());

    gMinSize = gMaxSize = 12345;
    rebuildMainWindow();
    EXPECT_EQ(ui::gadgetState(Md5CheckBox) == 1, c.md5);
    EXPECT_EQ(ui::gadgetState(Sha1CheckBox) == 1, c.sha1);
    EXPECT_EQ(ui::gadgetState(Crc32CheckBox) == 1, c.crc32);
    EXPECT_EQ(ui::gadgetState(SubdirsCheckBox) == 1, c.subdirs);
    expectRuleControls(c.sizeOption, c.extensionOption, c.minimum, c.maximum);
    EXPECT_EQ(gMinSize, c.minimum.empty() ? 0 : std::stoll(c.minimum));
    EXPECT_EQ(gMaxSize, c.maximum.empty() ? 0 : std::stoll(c.maximum));
    EXPECT_EQ(ui::gadgetText(ExtensionsField), c.shownExtensions);
    EXPECT_EQ(rows(LocationsList), locations);

    // Nothing changed since the start: a second save writes the same bytes.
    saveFromToolbar(Answer::Yes);
    EXPECT_EQ(settingsBytes(), saved);
  }
}

TEST_F(SettingsWindowTest, WrittenFileHoldsExactlyTheseLines) {
  // Whatever the old file held is gone after a save.
  writeFile("settings.ini", "; written by hand\n[other]\nkey = 1\n[size]\nold = 2\n");
  drive::activateMenuItem(EnglishItem);
  drive::chooseOption(ExtensionExcludeOption);
  settle();
  drive::typeText(ExtensionsField, "  bak  tmp ");
  addSearchLocation("/tmp/a b/");
  addSearchLocation("/srv/x");
  ASSERT_EQ(rows(LocationsList), (std::vector<std::string>{"/tmp/a b/", "/srv/x"}));

  const std::string common =
      "\xEF\xBB\xBF\n"
      "lang = English\n"
      "[algorithm]\n"
      "md5 = 1\n"
      "sha1 = 0\n"
      "crc32 = 0\n"
      "[attributes]\n"
      "subdirs = 0\n"
      "hidden = 0\n"
      "system = 0\n"
      "[size]\n"
      "option = 1\n"
      "min = \n"
      "max = \n"
      "[extension]\n"
      "option = 3\n"
      "extensions = bak  tmp\n";
  saveFromToolbar(Answer::Yes);
  EXPECT_EQ(settingsBytes(), common + "[locations]\n1 = /tmp/a b/\n2 = /srv/x\n");

  drive::answerNextDialog(Answer::Yes);
  drive::clickButton(ClearLocationsButton);
  settle();
  ASSERT_EQ(ui::rowCount(LocationsList), 0);
  saveFromToolbar(Answer::Yes);
  EXPECT_EQ(settingsBytes(), common);
}

TEST_F(SettingsWindowTest, AnswerNoWritesNothing) {
  saveFromToolbar(Answer::No);
  EXPECT_EQ(drive::lastDialogTitle(), "Save configuration");
  EXPECT_EQ(drive::lastDialogText(), "Do you want to save the current configuration?");
  EXPECT_FALSE(std::filesystem::exists(gSettingsPath));

  const std::string old = "lang = Italiano\n";
  writeFile("settings.ini", old);
  saveFromToolbar(Answer::Cancel);
  saveFromToolbar(Answer::No);
  EXPECT_EQ(settingsBytes(), old);
  EXPECT_EQ(folderEntries(path()), (std::vector<std::string>{"settings.ini"}));
}

// Each case gives a start with this settings file and what the window then shows.
struct ReadCase {
  const char* name;
  std::string file;
  std::vector<int> checked = {Md5CheckBox};  // among the algorithms and SubdirsCheckBox
  int sizeOption = SizeAnyOption;
  const char* minimum = "";
  const char* maximum = "";
  int64_t minSize = 0, maxSize = 0;
  int extensionOption = ExtensionAnyOption;
  const char* extensions = "";
  std::vector<std::string> locations = {};
  const char* language = "";
};

TEST_F(SettingsWindowTest, ReadingRules) {
  const ReadCase cases[] = {
      {.name = "empty file", .file = ""},
      {.name = "size option 7", .file = "[size]\noption = 7\n", .sizeOption = SizeExcludeOption},
      {.name = "leading zeros, hexadecimal",
       .file = "[size]\noption = 2\nmin = 007\nmax = $10\n",
       .sizeOption = SizeIncludeOption, .minimum = "7", .maximum = "16", .minSize = 7, .maxSize = 16},
      {.name = "zero and empty limits", .file = "[size]\noption = 3\nmin = 0\nmax =\n",
       .sizeOption = SizeExcludeOption},
      {.name = "negative minimum", .file = "[size]\noption = 2\nmin = -5\n", .sizeOption = SizeIncludeOption,
       .minSize = -5},
      // The limit is shown even while the fields stay disabled.
      {.name = "binary maximum", .file = "[size]\nmax = %101\n", .maximum = "5", .maxSize = 5},
      // Out of range: the nearest end, not a wrapped number.
      {.name = "limits beyond 64 bits",
       .file = "[size]\noption = 2\nmin = -9223372036854775809\nmax = 18446744073709551615\n",
       .sizeOption = SizeIncludeOption, .maximum = "9223372036854775807", .minSize = INT64_MIN,
       .maxSize = INT64_MAX},
      {.name = "extensions", .file = "[extension]\noption = 2\nextensions =  txt doc \n",
       .extensionOption = ExtensionIncludeOption, .extensions = "txt doc"},
      {.name = "extension option 0", .file = "[extension]\noption = 0\n", .extensionOption = ExtensionExcludeOption},
      {.name = "locations 1, 2 and 4", .file = "[locations]\n1 = /a b/\n2 =  /c \n4 = /d\n",
       .locations = {"/a b/", "/c"}},
      {.name = "location 3 of blanks", .file = "[locations]\n1 = /a\n2 = /b\n3 =    \n4 = /d\n",
       .locations = {"/a", "/b"}},
      {.name = "locations without 1", .file = "[locations]\n2 = /b\n"},
      {.name = "no algorithm", .file = "[algorithm]\nmd5 = 0\nsha1 = 0\ncrc32 = 0\n"},
      {.name = "crc32 alone", .file = "[algorithm]\ncrc32 = 1\n", .checked = {Crc32CheckBox}},
      {.name = "sha1, subdirs; hidden and system not read",
       .file = "[algorithm]\nmd5 = 0\nsha1 = 1\n[attributes]\nsubdirs = 1\nhidden = 1\nsystem = 1\n",
       .checked = {Sha1CheckBox, SubdirsCheckBox}},
      {.name = "names in other letter case",
       .file = "LANG = Deutsch\n[ALGORITHM]\nMD5 = 0\nCrc32 = 1\n[Size]\nOPTION = 2\nMin = 9\n[LOCATIONS]\n1 = /x\n",
       .checked = {Crc32CheckBox}, .sizeOption = SizeIncludeOption, .minimum = "9", .minSize = 9,
       .locations = {"/x"}, .language = "Deutsch"},
      {.name = "keys outside their groups", .file = "md5 = 0\ncrc32 = 1\noption = 3\n[other]\n1 = /x\n"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    gMinSize = gMaxSize = 12345;
    restartWith(c.file);
    EXPECT_EQ(gLanguage, c.language);
    for (int box : {Md5CheckBox, Sha1CheckBox, Crc32CheckBox, SubdirsCheckBox, HiddenCheckBox, SystemCheckBox}) {
      const bool expected = std::find(c.checked.begin(), c.checked.end(), box) != c.checked.end();
      EXPECT_EQ(ui::gadgetState(box) == 1, expected) << box;
    }
    expectRuleControls(c.sizeOption, c.extensionOption, c.minimum, c.maximum);
    EXPECT_EQ(gMinSize, c.minSize);
    EXPECT_EQ(gMaxSize, c.maxSize);
    EXPECT_EQ(ui::gadgetText(ExtensionsField), c.extensions);
    EXPECT_EQ(rows(LocationsList), c.locations);
  }
}

TEST_F(SettingsWindowTest, SettingsLanguageReplacesTheSystemOne) {
  const LocaleEnvironment german("de_DE.UTF-8", nullptr, nullptr);
  // No file: the system's language stays.
  rebuildMainWindow();
  EXPECT_EQ(gLanguage, "Deutsch");
  EXPECT_EQ(ui::panelTabText(MainPanel, OptionsTab), gGermanTexts[63]);

  // A file without lang means English.
  restartWith("[algorithm]\nmd5 = 1\n");
  EXPECT_EQ(gLanguage, "");
  EXPECT_EQ(ui::panelTabText(MainPanel, OptionsTab), "Options");
  EXPECT_EQ(gWebLanguageCode, "en");

  restartWith("\xEF\xBB\xBF\nlang = Italiano\n");
  EXPECT_EQ(gLanguage, "Italiano");
  EXPECT_EQ(ui::panelTabText(MainPanel, OptionsTab), gItalianTexts[63]);
}

TEST_F(SettingsWindowTest, UnwritableFileGivesTheErrorBox) {
  const std::string settingsFolder = makeFolder("settings.ini");
  saveFromToolbar(Answer::Yes, true);
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Couldn't save the settings in \"" + settingsFolder + "\"");
  EXPECT_TRUE(std::filesystem::is_directory(settingsFolder));
  EXPECT_TRUE(std::filesystem::is_empty(settingsFolder));
  EXPECT_EQ(folderEntries(path()), (std::vector<std::string>{"settings.ini"}));

  // German has no place for the path in its message.
  drive::activateMenuItem(GermanItem);
  settle();
  saveFromToolbar(Answer::Yes, true);
  EXPECT_EQ(drive::lastDialogTitle(), gGermanTexts[31]);
  EXPECT_EQ(drive::lastDialogText(), gGermanTexts[22]);

  drive::activateMenuItem(EnglishItem);
  settle();
  gSettingsPath = path("gone/settings.ini");
  saveFromToolbar(Answer::Yes, true);
  EXPECT_EQ(drive::lastDialogText(), "Couldn't save the settings in \"" + gSettingsPath + "\"");
  EXPECT_FALSE(std::filesystem::exists(path("gone")));
}

TEST_F(SettingsWindowTest, AnImmutableFileGivesTheErrorBoxAndStaysAsItWas) {
  const std::string old = "\xEF\xBB\xBF\nlang = Deutsch\n[algorithm]\nmd5 = 0\nsha1 = 1\n";
  gSettingsPath = writeFile("locked/settings.ini", old);
  const testing::ImmutableFlag locked(gSettingsPath);
  if (!locked.set()) GTEST_SKIP() << "the file system has no immutable flag (chattr +i)";
  drive::toggleCheckBox(SubdirsCheckBox);
  settle();
  saveFromToolbar(Answer::Yes, true);
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Couldn't save the settings in \"" + gSettingsPath + "\"");
  EXPECT_EQ(settingsBytes(), old);
  EXPECT_EQ(folderEntries(path("locked")), (std::vector<std::string>{"settings.ini"}));
}

// A folder that takes no new file: the file there, which may be written, is written in place.
TEST_F(SettingsWindowTest, AFileInALockedFolderIsWrittenInPlace) {
  gSettingsPath = writeFile("locked/settings.ini", "\xEF\xBB\xBF\nlang = Deutsch\n; a much longer comment than the file will hold\n");
  const testing::ImmutableFlag locked(path("locked"));
  if (!locked.set()) GTEST_SKIP() << "the file system has no immutable flag (chattr +i)";
  drive::toggleCheckBox(SubdirsCheckBox);
  settle();
  saveFromToolbar(Answer::Yes);
  EXPECT_EQ(drive::lastDialogText(), "Do you want to save the current configuration?");  // no error came
  EXPECT_NE(settingsBytes().find("subdirs = 1\n"), std::string::npos);
  EXPECT_EQ(settingsBytes().find("comment"), std::string::npos);
  EXPECT_EQ(folderEntries(path("locked")), (std::vector<std::string>{"settings.ini"}));
}

// A settings file kept in a dotfiles repository: by a second name, both
// names hold the save; by a link to a file not made yet, the file is made
// there and the link stays; by a link into a folder that does not exist, the
// error box comes and the link stays.
TEST_F(SettingsWindowTest, ASettingsFileOfADotfilesRepositoryIsSavedThere) {
  const std::string repo = makeFolder("repo");
  gSettingsPath = writeFile("program/settings.ini", "\xEF\xBB\xBF\nlang = Deutsch\n");
  ASSERT_EQ(link(gSettingsPath.c_str(), (repo + "/settings.ini").c_str()), 0);
  drive::toggleCheckBox(SubdirsCheckBox);
  settle();
  saveFromToolbar(Answer::Yes);
  EXPECT_EQ(drive::lastDialogText(), "Do you want to save the current configuration?");  // no error came
  EXPECT_NE(settingsBytes().find("subdirs = 1\n"), std::string::npos);
  EXPECT_EQ(readBytes(repo + "/settings.ini"), settingsBytes());
  EXPECT_EQ(std::filesystem::hard_link_count(gSettingsPath), 2u);

  gSettingsPath = path("linked/settings.ini");
  makeFolder("linked");
  ASSERT_EQ(symlink("../repo/linked.ini", gSettingsPath.c_str()), 0);
  saveFromToolbar(Answer::Yes);
  EXPECT_EQ(drive::lastDialogText(), "Do you want to save the current configuration?");
  EXPECT_TRUE(std::filesystem::is_symlink(gSettingsPath));
  EXPECT_NE(readBytes(repo + "/linked.ini").value_or("").find("subdirs = 1\n"), std::string::npos);

  gSettingsPath = path("nowhere/settings.ini");
  makeFolder("nowhere");
  ASSERT_EQ(symlink("../missing/settings.ini", gSettingsPath.c_str()), 0);
  saveFromToolbar(Answer::Yes, true);
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Couldn't save the settings in \"" + gSettingsPath + "\"");
  EXPECT_TRUE(std::filesystem::is_symlink(gSettingsPath));
  EXPECT_FALSE(std::filesystem::exists(path("missing")));
  EXPECT_EQ(folderEntries(repo), (std::vector<std::string>{"linked.ini", "settings.ini"}));
}

TEST(ParseSettingsNumber, ReadsTheLeadingNumber) {
  const struct {
    std::string text;
    int64_t value;
  } cases[] = {
      {"", 0},          {"   ", 0},       {"abc", 0},       {"12abc", 12},    {"007", 7},
      {" \t 42", 42},   {"\t-7", -7},     {"+8", 8},        {"- 5", 0},       {"+-5", 0},
      {"$ff", 255},     {"$FF", 255},     {"$fG", 15},      {"-$10", -16},    {"$", 0},
      {"%101", 5},      {"%102", 2},      {"%", 0},         {"1 2", 1},       {"1.5", 1},
      {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN},
      // Beyond the range: the nearest end, never a wrapped value.
      {"9223372036854775808", INT64_MAX}, {"18446744073709551615", INT64_MAX},
      {"18446744073709551616", INT64_MAX}, {"-9223372036854775809", INT64_MIN},
      {"-18446744073709551615", INT64_MIN}, {"$FFFFFFFFFFFFFFFF", INT64_MAX},
      {"$8000000000000000", INT64_MAX}, {"-$8000000000000000", INT64_MIN},
      {"-$8000000000000001", INT64_MIN}, {"%" + std::string(64, '1'), INT64_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(parseSettingsNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace zandrel

// Language switches through the real Language menu: the built-in languages
// and the language files in the program's folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <utility>

#include "bridge/ui_strings.h"
#include "config/language_files.h"
#include "config/languages.h"
#include "config/translations.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;
using Texts = std::array<const char*, kUiStringCount>;

const std::string kBulgarian = "\xD0\xB1\xD1\x8A\xD0\xBB\xD0\xB3\xD0\xB0\xD1\x80\xD1\x81\xD0\xBA\xD0\xB8";
const std::string kBom = "\xEF\xBB\xBF";

// The text index of each gadget whose tooltip is its own caption.
constexpr std::pair<int, int> kSelfTipCaptions[] = {
    {HiddenCheckBox, 86},         {SubdirsCheckBox, 88},        {SystemCheckBox, 89},
    {Md5CheckBox, 52},            {Crc32CheckBox, 10},          {Sha1CheckBox, 77},
    {SizeAnyOption, 60},          {ExtensionAnyOption, 60},     {SizeIncludeOption, 84},
    {SizeExcludeOption, 32},      {ExtensionIncludeOption, 85}, {ExtensionExcludeOption, 33},
    {SelectAllButton, 92},        {ReverseSelectionButton, 76}, {DeleteButton, 23},
    {SelectDuplicatesButton, 93}, {ClearResultsButton, 15},     {InvertSelectionButton, 49},
    {CopyButton, 17},             {MoveButton, 56},             {ExportButton, 34},
    {ImportButton, 46},
};

int menuBarsIn(GtkWidget* widget) {
  int count = GTK_IS_MENU_BAR(widget) ? 1 : 0;
  if (GTK_IS_CONTAINER(widget)) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* child = children; child != nullptr; child = child->next) count += menuBarsIn(GTK_WIDGET(child->data));
    g_list_free(children);
  }
  return count;
}

std::vector<std::string> expectedMenu(const Texts& t, const std::vector<std::string>& fileItems = {}) {
  std::vector<std::string> menu = {std::string(t[36]) + ">", t[97], "-", std::string(t[3]) + ">", t[41], t[44], "<",
                                   "-", std::string(t[50]) + ">", "Deutsch", "English", "Italiano", kBulgarian};
  if (!fileItems.empty()) {
    menu.push_back("-");
    menu.insert(menu.end(), fileItems.begin(), fileItems.end());
  }
  for (const char* rest : {"-", t[103], "<", "-", t[68], "<", "?>", t[107], t[11], t[1], "<"}) {
    menu.push_back(rest);
  }
  return menu;
}

class LanguageWindowTest : public MainWindowTest {
 protected:
  void choose(int item) {
    drive::activateMenuItem(item);
    settle();
  }

  // Lists the language files now in the test folder, then starts anew.
  void restartWithLanguageFiles() {
    scanLanguageFiles(path());
    rebuildMainWindow();
  }

  // The title and text of the error box for a search without locations.
  std::pair<std::string, std::string> searchErrorBox() {
    drive::forgetDialogs();
    drive::answerNextDialog(Answer::Ok);
    drive::activateMenuItem(StartSearchTool);
    settle();
    return {drive::lastDialogTitle(), drive::lastDialogText()};
  }

  // Every text the window shows, checked against one table.
  void expectWindowIn(const Texts& t, const std::vector<std::string>& fileItems = {}) {
    EXPECT_EQ(menuBarsIn(drive::windowWidget(MainWindow)), 1);
    EXPECT_EQ(ui::menuLayout(MainMenu), expectedMenu(t, fileItems));
    EXPECT_EQ(ui::menuLayout(AddPopupMenu), (std::vector<std::string>{t[41], t[44]}));
    for (const auto& [gadget, index] : kSelfTipCaptions) {
      EXPECT_EQ(ui::gadgetText(gadget), t[index]) << gadget;
    }
    for (int gadget = HiddenCheckBox; gadget <= ImportButton; ++gadget) {
      EXPECT_EQ(ui::toolTip(gadget), ui::gadgetText(gadget)) << gadget;
    }
    const int tabs[] = {63, 87, 74};
    for (int tab = 0; tab < 3; ++tab) EXPECT_EQ(ui::panelTabText(MainPanel, tab), t[tabs[tab]]) << tab;
    const int columns[] = {45, 40, 95, 52, 77, 10};
    for (int column = 0; column < 6; ++column) {
      EXPECT_EQ(ui::columnTitle(ResultsList, column), t[columns[column]]) << column;
    }
    EXPECT_EQ(ui::gadgetText(AddLocationButton), t[3]);
    EXPECT_EQ(ui::gadgetText(MinimumLabel), t[55]);
    EXPECT_EQ(ui::gadgetText(FilesFoldersFrame), t[42]);
    EXPECT_EQ(ui::toolTip(AddLocationButton), t[5]);
    EXPECT_EQ(ui::toolTip(MinSizeField), t[96]);
    EXPECT_EQ(ui::toolTip(WebsiteLink), t[106]);
    EXPECT_EQ(ui::toolBarToolTip(MainToolbar, SaveSettingsTool), t[80]);
    EXPECT_EQ(ui::toolBarToolTip(MainToolbar, StartSearchTool), t[97]);
    EXPECT_EQ(gUiText[83], "");
  }

  // Every text but 83 from the English table except the ones given.
  void expectEnglishBut(const std::map<int, std::string>& changed) {
    for (int index = 0; index < kUiStringCount; ++index) {
      if (index == 83) continue;
      const auto it = changed.find(index);
      EXPECT_EQ(gUiText[index], it != changed.end() ? it->second : gUiStrings[index]) << index;
    }
    EXPECT_EQ(gUiText[83], "");
  }
};

TEST_F(LanguageWindowTest, BuiltInLanguagesRecaptionTheWholeWindow) {
  ASSERT_EQ(ui::menuLayout(MainMenu), expectedMenu(gUiStrings));
  const std::vector<std::string> startMenu = ui::menuLayout(MainMenu);
  const struct {
    int item;
    const Texts& texts;
    const char* language;
    const char* webCode;
    const char* fileMenu;  // text 36
    const char* clear;     // text 13
  } steps[] = {
      {GermanItem, gGermanTexts, "Deutsch", "de", "Datei", "Alles l\xC3\xB6schen"},
      {EnglishItem, gUiStrings, "English", "en", "File", "Clear"},
      {ItalianItem, gItalianTexts, "Italiano", "it", "File", "Cancella"},
      {BulgarianItem, gBulgarianTexts, kBulgarian.c_str(), "en", "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB",
       "\xD0\x98\xD0\xB7\xD1\x87\xD0\xB8\xD1\x81\xD1\x82\xD0\xB8"},
      {GermanItem, gGermanTexts, "Deutsch", "de", "Datei", "Alles l\xC3\xB6schen"},
      {EnglishItem, gUiStrings, "English", "en", "File", "Clear"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.language);
    choose(step.item);
    EXPECT_EQ(gLanguage, step.language);
    EXPECT_EQ(gWebLanguageCode, step.webCode);
    expectWindowIn(step.texts);
    EXPECT_EQ(ui::menuLayout(MainMenu).front(), std::string(step.fileMenu) + ">");
    EXPECT_EQ(ui::gadgetText(ClearLocationsButton), step.clear);
    EXPECT_EQ(searchErrorBox(), std::make_pair(std::string(step.texts[31]), std::string(step.texts[59])));
  }
  EXPECT_EQ(ui::menuLayout(MainMenu), startMenu);
  EXPECT_EQ(ui::windowTitle(MainWindow), "Zandrel v2.0.2");
}

TEST_F(LanguageWindowTest, FileItemsFollowTheBuiltInLanguagesSorted) {
  for (const char* name : {"alpha.lng", "Zulu.lng", "\xC3\x84rger.lng", "x.LNG", "x.lng.bak", ".lng", "notes.txt"}) {
    writeFile(name, kBom + "\n23 = " + name + "\n");
  }
  makeFolder("dir.lng");
  restartWithLanguageFiles();
  const std::vector<std::string> files = {"Zulu", "alpha", "\xC3\x84rger"};
  EXPECT_EQ(ui::menuLayout(MainMenu), expectedMenu(gUiStrings, files));
  for (size_t n = 0; n < files.size(); ++n) {
    EXPECT_EQ(ui::menuItemText(MainMenu, LanguageFileItemBase + static_cast<int>(n)), files[n]);
  }
  EXPECT_EQ(ui::menuItemText(MainMenu, LanguageFileItemBase + 3), "");

  choose(LanguageFileItemBase + 1);
  EXPECT_EQ(gLanguage, "alpha.lng");
  EXPECT_EQ(gWebLanguageCode, "en");
  EXPECT_EQ(ui::gadgetText(DeleteButton), "alpha.lng");
  EXPECT_EQ(ui::toolTip(DeleteButton), "alpha.lng");
  expectEnglishBut({{23, "alpha.lng"}});

  // Every switch builds the submenu again with the same items and ids.
  choose(ItalianItem);
  EXPECT_EQ(ui::menuLayout(MainMenu), expectedMenu(gItalianTexts, files));
  choose(LanguageFileItemBase + 2);
  EXPECT_EQ(gLanguage, "\xC3\x84rger.lng");
  EXPECT_EQ(ui::gadgetText(DeleteButton), "\xC3\x84rger.lng");
}

// A text as long as one line of a paste into the Translation Tool, and more.
TEST_F(LanguageWindowTest, ALongTextOpensTheFileMenuWithinTheScreen) {
  std::string longText;
  while (longText.size() < 4500) longText += "Suche starten ";
  writeFile("Long.lng", kBom + "\n97 = " + longText + "\n");
  restartWithLanguageFiles();
  choose(LanguageFileItemBase);
  ASSERT_EQ(gLanguage, "Long.lng");
  const std::string shownText = longText.substr(0, longText.size() - 1);  // read without its trailing blank
  EXPECT_EQ(ui::menuItemText(MainMenu, StartSearchItem), shownText);
  EXPECT_EQ(ui::toolBarToolTip(MainToolbar, StartSearchTool), shownText);

  ASSERT_TRUE(drive::openMenuOf(StartSearchItem));
  const GdkRectangle menu = drive::menuWindowRect(StartSearchItem);
  EXPECT_GT(menu.width, 0);
  EXPECT_LE(menu.x + menu.width, gdk_screen_width());
  EXPECT_LE(menu.y + menu.height, gdk_screen_height());
  drive::closeMenusOf(StartSearchItem);
  // The Language menu, the way back, still opens.
  ASSERT_TRUE(drive::openMenuOf(EnglishItem));
  drive::closeMenusOf(EnglishItem);
  choose(EnglishItem);
  EXPECT_EQ(ui::menuItemText(MainMenu, StartSearchItem), "Start searching");
}

// Every text as long as a language file within the size limit allows, each
// one word: the switch keeps every text whole, lays out only what the screen
// can show, and builds no tooltip before it is shown.
TEST_F(LanguageWindowTest, HugeTextsAreKeptWholeAndShownBounded) {
  std::string file = kBom + "\n";
  std::map<int, std::string> texts;
  for (int index = 0; index < kUiStringCount; ++index) {
    texts[index] = std::string(70000, static_cast<char>('a' + index % 26));
    file += std::to_string(index) + " = " + texts[index] + "\n";
  }
  texts.erase(83);
  writeFile("Huge.lng", file);
  restartWithLanguageFiles();
  choose(LanguageFileItemBase);
  ASSERT_EQ(gLanguage, "Huge.lng");
  expectEnglishBut(texts);

  for (const auto& [gadget, index] : kSelfTipCaptions) {
    EXPECT_EQ(ui::gadgetText(gadget), texts[index]) << gadget;
    EXPECT_EQ(ui::toolTip(gadget), texts[index]) << gadget;
    EXPECT_LE(drive::screenRect(gadget).width, gdk_screen_width()) << gadget;
  }
  for (const int gadget : {WebsiteLink, ExtensionsField, MinSizeField, MaxSizeField, AddLocationButton,
                           RemoveLocationButton, ClearLocationsButton}) {
    EXPECT_FALSE(ui::toolTip(gadget).empty()) << gadget;
  }
  for (int gadget = 0; gadget < 2000; ++gadget) {
    EXPECT_FALSE(drive::toolTipLabelBuilt(gadget)) << gadget << " built before it shows";
  }
  EXPECT_EQ(ui::panelTabText(MainPanel, 0), texts[63]);
  EXPECT_EQ(ui::columnTitle(ResultsList, 1), texts[40]);
  EXPECT_EQ(ui::menuItemText(MainMenu, StartSearchItem), texts[97]);

  // Shown, the tooltip lies on the screen; a message box shows the start of its text.
  ui::setGadgetState(MainPanel, OptionsTab);
  settle();
  const GdkRectangle tip = drive::hoverToolTip(SubdirsCheckBox);
  EXPECT_GT(tip.width, 0);
  EXPECT_TRUE(drive::toolTipLabelBuilt(SubdirsCheckBox));
  EXPECT_GE(tip.x, 0);
  EXPECT_GE(tip.y, 0);
  EXPECT_LE(tip.x + tip.width, gdk_screen_width());
  EXPECT_LE(tip.y + tip.height, gdk_screen_height());
  const auto [title, text] = searchErrorBox();
  EXPECT_EQ(title, texts[31]);
  const std::string ellipsis = "\xE2\x80\xA6";
  ASSERT_TRUE(text.ends_with(ellipsis));
  EXPECT_LT(text.size(), texts[59].size());
  EXPECT_TRUE(texts[59].starts_with(text.substr(0, text.size() - ellipsis.size())));
}

TEST_F(LanguageWindowTest, FileWithOnlyKeyFiveChangesOnlyTextFive) {
  writeFile("Solo.lng", "5 = F\xFCge hinzu\n");  // no byte-order mark: ISO-8859-1
  restartWithLanguageFiles();
  choose(GermanItem);
  choose(LanguageFileItemBase);
  EXPECT_EQ(gLanguage, "Solo.lng");
  EXPECT_EQ(gWebLanguageCode, "en");
  expectEnglishBut({{5, "F\xC3\xBCge hinzu"}});
  EXPECT_EQ(ui::toolTip(AddLocationButton), "F\xC3\xBCge hinzu");
  EXPECT_EQ(ui::gadgetText(AddLocationButton), "Add");
  EXPECT_EQ(ui::gadgetText(DeleteButton), "Delete");
  EXPECT_EQ(ui::panelTabText(MainPanel, OptionsTab), "Options");
}

TEST_F(LanguageWindowTest, KeysInGroupsAndKeyEightyThreeChangeNothing) {
  writeFile("Grouped.lng", kBom + "\n[texts]\n5 = X\n23 = Y\n31 = Z\n");
  writeFile("Search.lng", kBom + "\n83 = Suche\n109 = extra\nabc = x\n");
  restartWithLanguageFiles();
  for (int item = LanguageFileItemBase; item <= LanguageFileItemBase + 1; ++item) {
    SCOPED_TRACE(ui::menuItemText(MainMenu, item));
    choose(GermanItem);
    choose(item);
    expectEnglishBut({});
    expectWindowIn(gUiStrings, {"Grouped", "Search"});
  }
}

TEST_F(LanguageWindowTest, EmptyValueGivesAnEmptyText) {
  writeFile("Blank.lng", kBom + "\n31 =\n");
  restartWithLanguageFiles();
  choose(LanguageFileItemBase);
  expectEnglishBut({{31, ""}});
  EXPECT_EQ(searchErrorBox(), std::make_pair(std::string(), std::string("No files/directories selected")));
}

TEST_F(LanguageWindowTest, FileNamedLikeABuiltInLanguageLoadsTheFile) {
  writeFile("Deutsch.lng", kBom + "\n23 = Aus der Datei\n");
  restartWithLanguageFiles();
  const std::vector<std::string> language = {"Language>", "Deutsch", "English", "Italiano", kBulgarian, "-",
                                             "Deutsch",   "-",       "Translate", "<"};
  const std::vector<std::string> menu = ui::menuLayout(MainMenu);
  EXPECT_NE(std::search(menu.begin(), menu.end(), language.begin(), language.end()), menu.end());

  choose(LanguageFileItemBase);
  EXPECT_EQ(gLanguage, "Deutsch.lng");
  EXPECT_EQ(gWebLanguageCode, "en");
  EXPECT_EQ(ui::gadgetText(DeleteButton), "Aus der Datei");
  EXPECT_EQ(ui::panelTabText(MainPanel, OptionsTab), "Options");

  choose(GermanItem);
  EXPECT_EQ(gLanguage, "Deutsch");
  EXPECT_EQ(ui::gadgetText(DeleteButton), gGermanTexts[23]);
}

TEST_F(LanguageWindowTest, ChoosingTheFileAgainReadsItAfresh) {
  writeFile("Live.lng", kBom + "\n23 = One\n");
  restartWithLanguageFiles();
  choose(LanguageFileItemBase);
  EXPECT_EQ(ui::gadgetText(DeleteButton), "One");

  writeFile("Live.lng", kBom + "\n23 = Two\n63 = Tab\n");
  choose(LanguageFileItemBase);
  EXPECT_EQ(ui::gadgetText(DeleteButton), "Two");
  EXPECT_EQ(ui::panelTabText(MainPanel, OptionsTab), "Tab");

  // Gone since the start: the item stays and gives English.
  std::filesystem::remove(path("Live.lng"));
  choose(LanguageFileItemBase);
  EXPECT_EQ(gLanguage, "Live.lng");
  EXPECT_EQ(ui::menuItemText(MainMenu, LanguageFileItemBase), "Live");
  expectEnglishBut({});
  EXPECT_EQ(ui::gadgetText(DeleteButton), "Delete");
}

}  // namespace
}  // namespace zandrel

// The Translation Tool opened from the Language menu, worked while its own
// loop runs: copy, paste, save, drop, reset and the ways it ends.

#include <fcntl.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bridge/ui_strings.h"
#include "config/language_files.h"
#include "config/languages.h"
#include "config/translation_tool.h"
#include "tests/app/window_test_support.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/immutable.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::readAll;
using testing::Script;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;
namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF";

std::string translationOf(int row) { return ui::gadgetText(TranslationFields + row); }

void fillTranslations(const std::string& text) {
  for (int row = 0; row < kUiStringCount; ++row) ui::setGadgetText(TranslationFields + row, text);
}

// The translation of every row: the given ones, `others` for the rest.
void expectTranslations(const std::map<int, std::string>& given, const std::string& others) {
  for (int row = 0; row < kUiStringCount; ++row) {
    const auto it = given.find(row);
    EXPECT_EQ(translationOf(row), it != given.end() ? it->second : others) << "row " << row;
  }
}

// The text of a language file as the tool writes it.
std::string languageFile(const std::map<int, std::string>& values) {
  std::string text = kBom + "\n";
  for (int row = 0; row < kUiStringCount; ++row) {
    const auto it = values.find(row);
    text += std::to_string(row) + " = " + (it != values.end() ? it->second : "") + "\n";
  }
  return text;
}

bool toolOpen() { return ui::windowExists(TranslationWindow); }

class TranslationToolTest : public MainWindowTest {
 protected:
  // Opens the tool from the Language menu; the script acts while its loop runs
  // and must end it.
  void runTool(Script& script) {
    script.start();
    drive::activateMenuItem(TranslateItem);
    settle();
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(toolOpen());
    EXPECT_TRUE(ui::windowVisible(MainWindow));
  }

  // A step that waits until the tool has handled every event queued before it:
  // the question of a Reset comes only after them, and No changes nothing.
  static Script& handled(Script& script) {
    return script
        .then([] {
          drive::answerNextDialog(Answer::No);
          drive::clickButton(ResetTranslationButton);
        })
        .when([] { return !drive::answersPending(); }, [] {});
  }

  static void quit() { drive::clickButton(CloseTranslationButton); }
};

TEST_F(TranslationToolTest, OpensFromTheTranslateItemWithEveryEnglishText) {
  Script script;
  script.when(toolOpen, [] {
    EXPECT_FALSE(ui::windowVisible(MainWindow));
    EXPECT_EQ(ui::windowTitle(TranslationWindow), "Zandrel - Translation Tool");
    EXPECT_EQ(ui::windowWidth(TranslationWindow), 780);
    EXPECT_EQ(ui::windowHeight(TranslationWindow), 506);
    for (int row = 0; row < kUiStringCount; ++row) {
      SCOPED_TRACE(row);
      EXPECT_EQ(ui::gadgetText(SourceTextFields + row), gUiStrings[row]);
      EXPECT_TRUE(ui::gadgetReadOnly(SourceTextFields + row));
      EXPECT_EQ(translationOf(row), "");
      EXPECT_FALSE(ui::gadgetReadOnly(TranslationFields + row));
      EXPECT_EQ(ui::gadgetY(TranslationFields + row), 32 + 25 * row);
    }
    EXPECT_EQ(ui::gadgetText(SourceHeaderText), "English");
    EXPECT_EQ(ui::gadgetText(TranslationHeaderText), "Translation");
    EXPECT_TRUE(ui::fontExists(TranslationHeaderFont));
    const std::pair<int, const char*> captions[] = {
        {CopySourceTextsButton, "Copy to clipboard"}, {CopyTranslationsButton, "Copy to clipboard"},
        {PasteTranslationsButton, "Paste"},           {SaveTranslationButton, "Save translation"},
        {ResetTranslationButton, "Reset"},            {CloseTranslationButton, "Quit"},
    };
    for (const auto& [button, caption] : captions) EXPECT_EQ(ui::gadgetText(button), caption) << button;
    EXPECT_EQ(ui::gadgetHeight(TranslationScrollArea), 460);
    GtkWidget* inner = drive::gadgetWidget(TranslationScrollArea);
    gint innerWidth = 0, innerHeight = 0;
    gtk_widget_get_size_request(inner, &innerWidth, &innerHeight);
    EXPECT_EQ(innerWidth, 728);
    EXPECT_EQ(innerHeight, 2760);
    for (const int button : {SaveTranslationButton, ResetTranslationButton, CloseTranslationButton}) {
      EXPECT_EQ(ui::gadgetY(button), 474) << button;
    }
    EXPECT_EQ(ui::gadgetX(CloseTranslationButton), 524);
    quit();
  });
  runTool(script);
  EXPECT_FALSE(ui::fontExists(TranslationHeaderFont));
}

TEST_F(TranslationToolTest, QuitAndEveryCloseRequestEndTheToolWithoutAsking) {
  const struct {
    const char* how;
    void (*end)();
  } ends[] = {
      {"Quit", [] { quit(); }},
      {"its close box", [] { drive::requestClose(TranslationWindow); }},
      {"the main window's close box", [] { drive::requestClose(MainWindow); }},
  };
  for (const auto& end : ends) {
    SCOPED_TRACE(end.how);
    drive::forgetDialogs();
    Script script;
    script.when(toolOpen, [&] {
      // Nothing of an earlier opening is kept.
      EXPECT_EQ(translationOf(5), "");
      drive::typeText(TranslationFields + 5, "unsaved");
      end.end();
    });
    runTool(script);
    EXPECT_TRUE(ui::windowExists(MainWindow));
    EXPECT_EQ(drive::lastDialogText(), "");
  }
}

TEST_F(TranslationToolTest, CopyPutsOneLinePerRowOnTheClipboard) {
  std::string english;
  for (const char* text : gUiStrings) english += std::string(text) + "\n";
  std::string englishCopied, dialogTitle, dialogText, translationsCopied;
  Script script;
  script.when(toolOpen, [] {
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(CopySourceTextsButton);
  });
  handled(script).then([&] {
    englishCopied = ui::clipboardText();
    dialogTitle = drive::lastDialogTitle();
    ui::setGadgetText(TranslationFields, "Erste");
    ui::setGadgetText(TranslationFields + 83, "Suche");
    ui::setGadgetText(TranslationFields + 108, "Letzte");
    // A line break pasted into a field stays on its row's line.
    drive::typeText(TranslationFields + 5, "zwei\r\nZeilen\nhier");
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(CopyTranslationsButton);
  });
  handled(script).then([&] {
    translationsCopied = ui::clipboardText();
    quit();
  });
  drive::forgetDialogs();
  runTool(script);

  EXPECT_EQ(englishCopied, english);
  EXPECT_EQ(std::count(englishCopied.begin(), englishCopied.end(), '\n'), kUiStringCount);
  EXPECT_EQ(dialogTitle, "");
  std::string expected = "Erste\n\n\n\n\nzwei Zeilen hier\n";
  for (int row = 6; row < kUiStringCount; ++row) expected += row == 83 ? "Suche\n" : row == 108 ? "Letzte\n" : "\n";
  EXPECT_EQ(translationsCopied, expected);
}

TEST_F(TranslationToolTest, PasteFillsTheFieldsLineByLine) {
  std::string manyLines;
  std::map<int, std::string> firstLines;
  for (int line = 1; line <= 120; ++line) {
    manyLines += "line" + std::to_string(line) + "\n";
    if (line <= kUiStringCount) firstLines[line - 1] = "line" + std::to_string(line);
  }
  std::string longLine;
  for (int i = 0; i < 500000; ++i) longLine += "\xC3\xA9";  // é
  const struct {
    const char* name;
    std::string clipboard;
    std::map<int, std::string> rows;
    std::string others;
  } cases[] = {
      {"CR LF lines", "one\r\ntwo\r\nthree", {{0, "one"}, {1, "two"}, {2, "three"}}, ""},
      {"more lines than rows", manyLines, firstLines, ""},
      {"empty clipboard", "", {}, "old"},
      {"a line far too long", longLine + "\nsecond", {{0, longLine.substr(0, kMaxTranslationBytes)}, {1, "second"}},
       ""},
      {"a line that is not UTF-8", "a\xFF" "b\n\xC3", {{0, "a\xEF\xBF\xBD" "b"}, {1, "\xEF\xBF\xBD"}}, ""},
  };
  Script script;
  script.when(toolOpen, [] {});
  for (const auto& c : cases) {
    script.then([&] {
      fillTranslations("old");
      ui::setClipboardText(c.clipboard);
      drive::clickButton(PasteTranslationsButton);
    });
    handled(script).then([&] {
      SCOPED_TRACE(c.name);
      expectTranslations(c.rows, c.others);
    });
  }
  script.then(quit);
  runTool(script);
}

TEST_F(TranslationToolTest, SavedFileIsALanguageTheMenuLoads) {
  const std::map<int, std::string> typed = {
      {0, "Eine neuere Version"}, {5, "  Hinzu  "},  {23, "L\xC3\xB6schen"},
      {83, "Suche"},              {97, "a = b"},     {108, "zwei\nZeilen"},
  };
  Script script;
  script.when(toolOpen, [&] {
    for (const auto& [row, text] : typed) drive::typeText(TranslationFields + row, text);
    drive::answerNextDialog(Answer::Ok, {path("Neu")});
    drive::answerNextDialog(Answer::Ok);  // "File saved"
    drive::clickButton(SaveTranslationButton);
  });
  handled(script).then(quit);
  runTool(script);

  std::map<int, std::string> written = typed;
  written[108] = "zwei Zeilen";
  EXPECT_EQ(readAll(path("Neu.lng")), languageFile(written));

  scanLanguageFiles(path());
  rebuildMainWindow();
  ASSERT_EQ(ui::menuItemText(MainMenu, LanguageFileItemBase), "Neu");
  drive::activateMenuItem(LanguageFileItemBase);
  settle();
  EXPECT_EQ(gLanguage, "Neu.lng");
  EXPECT_EQ(gUiText[0], "Eine neuere Version");
  EXPECT_EQ(gUiText[5], "Hinzu");  // read back without its blanks
  EXPECT_EQ(gUiText[1], "");       // saved empty: an empty text, not the English one
  EXPECT_EQ(gUiText[97], "a = b");
  EXPECT_EQ(gUiText[108], "zwei Zeilen");
  EXPECT_EQ(gUiText[83], "");
  EXPECT_EQ(ui::gadgetText(DeleteButton), "L\xC3\xB6schen");
}

TEST_F(TranslationToolTest, SaveDialogOutcomes) {
  makeFolder("Taken.lng");
  const struct {
    const char* name;
    Answer answer;
    std::vector<std::string> files;  // besides the folder
    const char* title;
    const char* text;
  } cases[] = {
      {"Cancelled", Answer::Cancel, {}, "Save file as", ""},
      {"Plain", Answer::Ok, {"Plain.lng"}, "", "File saved"},
      {"Twice.lng", Answer::Ok, {"Twice.lng.lng"}, "", "File saved"},
      {"Taken", Answer::Ok, {}, "Error", "Couldn't save the file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    drive::forgetDialogs();
    Script script;
    script.when(toolOpen, [&] {
      drive::typeText(TranslationFields + 7, "sieben");
      drive::answerNextDialog(c.answer, {path(c.name)});
      if (c.answer == Answer::Ok) drive::answerNextDialog(Answer::Ok);
      drive::clickButton(SaveTranslationButton);
    });
    script.when([] { return !drive::answersPending(); }, [&] {
      EXPECT_EQ(drive::lastDialogTitle(), c.title);
      EXPECT_EQ(drive::lastDialogText(), c.text);
      EXPECT_EQ(translationOf(7), "sieben");
      quit();
    });
    runTool(script);
    std::vector<std::string> expected = c.files;
    expected.push_back("Taken.lng");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(testing::namesIn(path()), expected);
    for (const std::string& file : c.files) {
      EXPECT_EQ(readAll(path(file)), languageFile({{7, "sieben"}}));
      fs::remove(path(file));
    }
  }
}

// "File saved" only once the file is written: a file that may not be changed
// gives the error box and keeps its bytes.
TEST_F(TranslationToolTest, AnUnchangeableFileIsReportedAndKept) {
  const std::string old = "\xEF\xBB\xBF\n7 = alt\n";
  const std::string file = writeFile("Locked.lng", old);
  const testing::ImmutableFlag locked(file);
  if (!locked.set()) GTEST_SKIP() << "the file system has no immutable flag (chattr +i)";
  Script script;
  script.when(toolOpen, [&] {
    drive::typeText(TranslationFields + 7, "sieben");
    drive::answerNextDialog(Answer::Ok, {path("Locked")});
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(SaveTranslationButton);
  });
  script.when([] { return !drive::answersPending(); }, [&] {
    EXPECT_EQ(drive::lastDialogTitle(), "Error");
    EXPECT_EQ(drive::lastDialogText(), "Couldn't save the file");
    quit();
  });
  runTool(script);
  EXPECT_EQ(readAll(file), old);
  EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"Locked.lng"}));
}

// A save cut short (the file-size limit stands in for a full disk) is reported,
// keeps the old file whole and the typed texts in their fields.
TEST_F(TranslationToolTest, ASaveCutShortIsReportedAndKeepsTheOldFile) {
  const std::string old = "\xEF\xBB\xBF\n7 = alt\n";
  const std::string file = writeFile("Old.lng", old);
  const testing::FileSizeLimit limit(256);  // the 109 keys alone take more
  ASSERT_TRUE(limit.set());
  Script script;
  script.when(toolOpen, [&] {
    drive::typeText(TranslationFields + 7, "sieben");
    drive::answerNextDialog(Answer::Ok, {path("Old")});
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(SaveTranslationButton);
  });
  script.when([] { return !drive::answersPending(); }, [&] {
    EXPECT_EQ(drive::lastDialogTitle(), "Error");
    EXPECT_EQ(drive::lastDialogText(), "Couldn't save the file");
    EXPECT_EQ(translationOf(7), "sieben");
    quit();
  });
  runTool(script);
  EXPECT_EQ(readAll(file), old);
  EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"Old.lng"}));
}

TEST_F(TranslationToolTest, DroppedFileFillsOnlyTheRowsItGivesAValue) {
  const std::string full = writeFile("full.lng", kBom + "\n0 = Null\n5 =  \t \n7 =   Sieben  \n[group]\n8 = Acht\n");
  const std::string latin = writeFile("latin.txt", "3 = F\xFCnf\n");
  const std::string huge = writeFile("huge.lng", kBom + "\n2 = " + std::string(100000, 'x') + "\n");
  const std::string other = writeFile("other.lng", kBom + "\n0 = Anders\n");
  const std::string folder = makeFolder("folder.lng");
  const std::string gone = path("gone.lng");
  fs::create_symlink(path("nowhere"), gone);
  const struct {
    const char* name;
    int gadget;
    std::vector<std::string> files;
    std::map<int, std::string> rows;
  } cases[] = {
      {"on the area", TranslationScrollArea, {full}, {{0, "Null"}, {7, "Sieben"}}},
      {"on a translation field", TranslationFields + 40, {full}, {{0, "Null"}, {7, "Sieben"}}},
      {"on an English field", SourceTextFields + 40, {full}, {{0, "Null"}, {7, "Sieben"}}},
      {"without byte-order mark", TranslationScrollArea, {latin}, {{3, "F\xC3\xBCnf"}}},
      {"a value far too long", TranslationScrollArea, {huge}, {{2, std::string(kMaxTranslationBytes, 'x')}}},
      {"two files", TranslationScrollArea, {full, other}, {}},
      {"a folder", TranslationScrollArea, {folder}, {}},
      {"a dangling link", TranslationScrollArea, {gone}, {}},
  };
  Script script;
  script.when(toolOpen, [] {});
  for (const auto& c : cases) {
    script.then([&] {
      fillTranslations("old");
      drive::dropFiles(c.gadget, c.files);
    });
    handled(script).then([&] {
      SCOPED_TRACE(c.name);
      expectTranslations(c.rows, "old");
    });
  }
  script.then(quit);
  runTool(script);
}

TEST_F(TranslationToolTest, ResetAsksAndEmptiesOnlyOnYes) {
  std::string title, text;
  Script script;
  script.when(toolOpen, [] { fillTranslations("kept"); });
  handled(script).then([&] {
    title = drive::lastDialogTitle();
    text = drive::lastDialogText();
    expectTranslations({}, "kept");
    drive::answerNextDialog(Answer::Yes);
    drive::clickButton(ResetTranslationButton);
  });
  handled(script).then([] {
    expectTranslations({}, "");
    quit();
  });
  runTool(script);
  EXPECT_EQ(title, "");
  EXPECT_EQ(text, "Reset all entries?");
}

TEST_F(TranslationToolTest, SavesUnderTheLongestNameAFolderTakes) {
  const std::string chosen = path(std::string(251, 'L'));  // 255 bytes with ".lng"
  Script script;
  script.when(toolOpen, [&] {
    drive::typeText(TranslationFields + 7, "sieben");
    drive::answerNextDialog(Answer::Ok, {chosen});
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(SaveTranslationButton);
  });
  script.when([] { return !drive::answersPending(); }, [] {
    EXPECT_EQ(drive::lastDialogText(), "File saved");
    quit();
  });
  runTool(script);
  EXPECT_EQ(readAll(chosen + ".lng"), languageFile({{7, "sieben"}}));
  EXPECT_EQ(testing::namesIn(path()), std::vector<std::string>{std::string(251, 'L') + ".lng"});
}

}  // namespace
}  // namespace zandrel

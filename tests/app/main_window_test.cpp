// The main window as construction leaves it, and its layout.

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/layout.h"
#include "app/program_state.h"
#include "app/run_main.h"
#include "bridge/ui_strings.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;

TEST_F(MainWindowTest, GadgetsCarryTheirEnglishCaptions) {
  const struct {
    int gadget;
    const char* caption;
  } cases[] = {
      {FilesFoldersFrame, "Files and folders"}, {AlgorithmFrame, "Algorithm"},
      {FileSizeFrame, "Filesize settings"},     {FileTypesFrame, "File types"},
      {SubdirsCheckBox, "Search subdirectories"}, {HiddenCheckBox, "Search hidden files"},
      {SystemCheckBox, "Search system files"},  {Md5CheckBox, "MD5"},
      {Sha1CheckBox, "SHA1"},                   {Crc32CheckBox, "CRC32"},
      {SizeAnyOption, "No limitation"},         {SizeIncludeOption, "Search for files in these sizes"},
      {SizeExcludeOption, "Exclude files in these sizes"}, {ExtensionAnyOption, "No limitation"},
      {ExtensionIncludeOption, "Search for files with these extensions"},
      {ExtensionExcludeOption, "Exclude files with these extensions"},
      {MinimumLabel, "Minimum:"},               {MaximumLabel, "Maximum:"},
      {MinimumUnitLabel, "Bytes"},              {MaximumUnitLabel, "Bytes"},
      {ExtensionsLabel, "File extensions:"},    {AddLocationButton, "Add"},
      {RemoveLocationButton, "Remove"},         {ClearLocationsButton, "Clear"},
      {SelectAllButton, "Select all"},          {SelectDuplicatesButton, "Select duplicates"},
      {ReverseSelectionButton, "Reverse selection"}, {InvertSelectionButton, "Invert selection"},
      {ClearResultsButton, "Clear list"},       {DeleteButton, "Delete"},
      {CopyButton, "Copy"},                     {MoveButton, "Move"},
      {ExportButton, "Export"},                 {ImportButton, "Import"},
      {WebsiteLink, gWebHost.c_str()},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(ui::gadgetExists(c.gadget)) << c.gadget;
    EXPECT_EQ(ui::gadgetText(c.gadget), c.caption) << c.gadget;
  }
  EXPECT_EQ(ui::windowTitle(MainWindow), "Zandrel v2.0.2");
  const char* tabs[] = {"Options", "Search locations", "Results"};
  for (int tab = 0; tab < 3; ++tab) EXPECT_EQ(ui::panelTabText(MainPanel, tab), tabs[tab]);
  const char* columns[] = {"Group", "Filename", "Size", "MD5", "SHA1", "CRC32"};
  ASSERT_EQ(ui::columnCount(ResultsList), 6);
  for (int column = 0; column < 6; ++column) EXPECT_EQ(ui::columnTitle(ResultsList, column), columns[column]);
}

// Widths come from the list's width when it is made (592: the panel's 604
// less 12); the user may drag them later.
TEST_F(MainWindowTest, ResultsColumnsStartAtTheirWidths) {
  const int list = 592;
  const int widths[] = {60, list / 2, list / 7 + 20, list / 7, list / 7, list / 7};
  GtkTreeView* view = GTK_TREE_VIEW(ui::testing::gadgetWidget(ResultsList));
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(gtk_tree_view_column_get_fixed_width(gtk_tree_view_get_column(view, column)), widths[column]) << column;
  }
}

TEST_F(MainWindowTest, InitialStatesAndDisabledFields) {
  // Without a settings file only MD5 is chosen.
  for (int box : {SubdirsCheckBox, HiddenCheckBox, SystemCheckBox, Sha1CheckBox, Crc32CheckBox}) {
    EXPECT_EQ(ui::gadgetState(box), 0) << box;
  }
  EXPECT_EQ(ui::gadgetState(Md5CheckBox), 1);
  EXPECT_EQ(ui::gadgetState(SizeAnyOption), 1);
  EXPECT_EQ(ui::gadgetState(ExtensionAnyOption), 1);
  for (int gadget : {MinSizeField, MaxSizeField, ExtensionsField, HiddenCheckBox, SystemCheckBox}) {
    EXPECT_TRUE(ui::gadgetDisabled(gadget)) << gadget;
  }
  for (int field : {MinSizeField, MaxSizeField, ExtensionsField}) EXPECT_EQ(ui::gadgetText(field), "");
  EXPECT_EQ(ui::rowCount(LocationsList), 0);
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
  EXPECT_TRUE(ui::windowVisible(MainWindow));
}

TEST_F(MainWindowTest, TooltipsFollowCaptionsAndFixedTexts) {
  for (int gadget = HiddenCheckBox; gadget <= ImportButton; ++gadget) {
    EXPECT_EQ(ui::toolTip(gadget), ui::gadgetText(gadget)) << gadget;
  }
  const struct {
    int gadget;
    int text;
  } fixed[] = {{WebsiteLink, 106}, {ExtensionsField, 35}, {MinSizeField, 96}, {MaxSizeField, 96},
               {AddLocationButton, 5}, {ClearLocationsButton, 14}, {RemoveLocationButton, 70}};
  for (const auto& f : fixed) EXPECT_EQ(ui::toolTip(f.gadget), gUiStrings[f.text]) << f.gadget;
  EXPECT_EQ(ui::toolBarToolTip(MainToolbar, AddFilesTool), "Add files");
  EXPECT_EQ(ui::toolBarToolTip(MainToolbar, AddFolderTool), "Add folder");
  EXPECT_EQ(ui::toolBarToolTip(MainToolbar, SaveSettingsTool), "Save current configuration");
  EXPECT_EQ(ui::toolBarToolTip(MainToolbar, StartSearchTool), "Start searching");
}

TEST_F(MainWindowTest, MenuBarHoldsTheCommandsInOrder) {
  const std::vector<std::string> expected = {
      "File>", "Start searching", "-", "Add>", "Files", "Folder", "<", "-",
      "Language>", "Deutsch", "English", "Italiano", "\xD0\xB1\xD1\x8A\xD0\xBB\xD0\xB3\xD0\xB0\xD1\x80\xD1\x81\xD0\xBA\xD0\xB8",
      "-", "Translate", "<", "-", "Quit", "<",
      "?>", "Website", "Check for updates", "About", "<"};
  EXPECT_EQ(ui::menuLayout(MainMenu), expected);
  EXPECT_EQ(ui::menuItemText(MainMenu, GermanItem), "Deutsch");
  EXPECT_EQ(ui::menuItemText(MainMenu, TranslateItem), "Translate");
  const std::vector<std::string> popup = {"Files", "Folder"};
  EXPECT_EQ(ui::menuLayout(AddPopupMenu), popup);
}

// A key pressed and released in the main window, as the X server delivers it.
void pressKey(guint keyval, GdkModifierType modifiers = GdkModifierType(0)) {
  GdkWindow* window = gtk_widget_get_window(ui::testing::windowWidget(MainWindow));
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  ASSERT_TRUE(gdk_keymap_get_entries_for_keyval(nullptr, keyval, &keys, &count) && count > 0);
  const guint16 keycode = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  for (const GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(window));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.state = modifiers;
    event->key.keyval = keyval;
    event->key.hardware_keycode = keycode;
    gtk_main_do_event(event);
    gdk_event_free(event);
  }
  ui::testing::pumpEvents();
}

// The window's own keys move the focus.
TEST_F(MainWindowTest, TabMovesTheFocus) {
  GtkWindow* window = GTK_WINDOW(ui::testing::windowWidget(MainWindow));
  GtkWidget* first = ui::testing::gadgetWidget(SubdirsCheckBox);
  gtk_widget_grab_focus(first);
  pressKey(GDK_Tab);
  EXPECT_NE(gtk_window_get_focus(window), first);  // the keys do reach the window
  pressKey(GDK_ISO_Left_Tab, GDK_SHIFT_MASK);
  EXPECT_EQ(gtk_window_get_focus(window), first);
  EXPECT_EQ(settle(), std::nullopt);
}

struct Place {
  int gadget, x, y, width, height;
};

std::vector<Place> placesOfEveryGadget() {
  std::vector<Place> places;
  for (int gadget = OptionsContainer; gadget <= WebsiteLink; ++gadget) {
    if (ui::gadgetExists(gadget)) {
      places.push_back({gadget, ui::gadgetX(gadget), ui::gadgetY(gadget), ui::gadgetWidth(gadget),
                        ui::gadgetHeight(gadget)});
    }
  }
  return places;
}

void expectLayoutFor(int width, int height) {
  SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
  const int W = ui::windowWidth(MainWindow);
  const int H = ui::windowHeight(MainWindow);
  ASSERT_EQ(W, width);
  ASSERT_EQ(H, height);
  const int menu = ui::menuBarHeight(MainWindow);
  ASSERT_GT(menu, 0);
  const int r = menu + 5;
  EXPECT_EQ(ui::gadgetWidth(MainPanel), W - 4);
  EXPECT_EQ(ui::gadgetHeight(MainPanel), H - r - 63);
  EXPECT_EQ(ui::gadgetWidth(LocationsList), W - 16);
  EXPECT_EQ(ui::gadgetHeight(LocationsList), H - r - 120);
  EXPECT_EQ(ui::gadgetWidth(ResultsList), W - 16);
  EXPECT_EQ(ui::gadgetHeight(ResultsList), H - r - 148);
  EXPECT_EQ(ui::gadgetY(OptionsContainer), ui::gadgetY(LocationsList) - 5);
  EXPECT_EQ(ui::gadgetHeight(OptionsContainer), H - 20 - r - 73);

  const int frameWidth = (W - 16) / 2 - 14;
  EXPECT_EQ(ui::gadgetWidth(FilesFoldersFrame), frameWidth);
  EXPECT_EQ(ui::gadgetX(AlgorithmFrame), ui::gadgetX(FilesFoldersFrame) + frameWidth + 9);
  EXPECT_EQ(ui::gadgetY(FileSizeFrame),
            ui::gadgetY(FilesFoldersFrame) + ui::gadgetHeight(FilesFoldersFrame) + 1);
  const int left = (ui::gadgetX(FilesFoldersFrame) + frameWidth) / 2 - 100;
  EXPECT_EQ(ui::gadgetX(SubdirsCheckBox), left);
  EXPECT_EQ(ui::gadgetX(Md5CheckBox), left + frameWidth + 9);
  EXPECT_EQ(ui::gadgetWidth(SubdirsCheckBox), 290);
  EXPECT_EQ(ui::gadgetX(MinSizeField), ui::gadgetX(MinimumLabel) + 60);
  EXPECT_EQ(ui::gadgetX(MaxSizeField), ui::gadgetX(MaximumLabel) + 60);

  // Results buttons: row 1 then row 2, each w5 wide and one pixel apart.
  const int w5 = (W - 16) / 5;
  const int rowOne[] = {SelectAllButton, SelectDuplicatesButton, ReverseSelectionButton, InvertSelectionButton,
                        ClearResultsButton};
  const int rowTwo[] = {DeleteButton, CopyButton, MoveButton, ExportButton, ImportButton};
  const int firstY = ui::gadgetY(ResultsList) + ui::gadgetHeight(ResultsList) + 3;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(ui::gadgetX(rowOne[i]), ui::gadgetX(ResultsList) - 1 + i * (w5 + 1)) << rowOne[i];
    EXPECT_EQ(ui::gadgetY(rowOne[i]), firstY) << rowOne[i];
    EXPECT_EQ(ui::gadgetX(rowTwo[i]), ui::gadgetX(rowOne[i])) << rowTwo[i];
    EXPECT_EQ(ui::gadgetY(rowTwo[i]), firstY + 26) << rowTwo[i];
    EXPECT_EQ(ui::gadgetWidth(rowTwo[i]), w5) << rowTwo[i];
  }
  EXPECT_EQ(ui::gadgetX(WebsiteLink), W / 2 - 52);
  EXPECT_EQ(ui::gadgetY(WebsiteLink), ui::gadgetY(MainPanel) + ui::gadgetHeight(MainPanel));
}

TEST_F(MainWindowTest, LayoutFollowsTheWindowSize) {
  expectLayoutFor(788, 544);
  EXPECT_EQ(ui::gadgetWidth(MainPanel), 784);
  EXPECT_EQ(ui::gadgetWidth(LocationsList), 772);

  ui::testing::resizeAsUser(MainWindow, 1000, 700);
  ui::testing::pumpEvents();
  for (int attempt = 0; attempt < 200 && ui::windowWidth(MainWindow) != 1000; ++attempt) settle();
  settle();
  expectLayoutFor(1000, 700);

  // Two size events of one size leave every place as it was.
  const auto before = placesOfEveryGadget();
  layoutMainWindow();
  layoutMainWindow();
  const auto after = placesOfEveryGadget();
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].x, after[i].x) << before[i].gadget;
    EXPECT_EQ(before[i].y, after[i].y) << before[i].gadget;
    EXPECT_EQ(before[i].width, after[i].width) << before[i].gadget;
    EXPECT_EQ(before[i].height, after[i].height) << before[i].gadget;
  }
}

// The ignored and the blocked signals of a process, as the kernel shows them.
std::string signalLines(const std::string& status) {
  std::ifstream in(status);
  std::string lines;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("SigIgn:") || line.starts_with("SigBlk:")) lines += line + "\n";
  }
  return lines;
}

class StartedProgramTest : public testing::TempDirTest {};

// The browser gets the signal handling the program was started with, not the
// program's own: start-up ignores signals so that writes fail instead of
// ending it, and whatever blocks a signal later must not leak either.
TEST_F(StartedProgramTest, TheBrowserInheritsTheSignalsOfTheStart) {
  if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  const std::string note = path("inherited.txt");
  const std::string atStart = path("start.txt");
  // Not a shell script: dash clears its signal mask when it starts.
  writeFile("bin/xdg-open", R"(#!/usr/bin/awk -f
BEGIN {
  note = ENVIRON["SIGNAL_NOTE"]
  while ((getline line < "/proc/self/status") > 0) print line > (note ".tmp")
  close(note ".tmp")
  system("mv '" note ".tmp' '" note "'")
}
)");
  std::filesystem::permissions(path("bin/xdg-open"), std::filesystem::perms::owner_all);

  const pid_t child = fork();
  if (child == 0) {
    // As a shell might start it: SIGUSR1 ignored, SIGUSR2 blocked, the rest at their defaults.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) sigaction(signal, &byDefault, nullptr);
    ::signal(SIGUSR1, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR2);
    sigprocmask(SIG_SETMASK, &blocked, nullptr);
    std::ofstream(atStart) << signalLines("/proc/self/status");
    setenv("PATH", (path("bin") + ":" + getenv("PATH")).c_str(), 1);
    setenv("SIGNAL_NOTE", note.c_str(), 1);

    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    testing::Script script;
    script
        .when([] { return ui::windowExists(MainWindow) && ui::windowVisible(MainWindow); },
              [] {
                // As a library of the program might, long after the start.
                sigset_t more;
                sigemptyset(&more);
                sigaddset(&more, SIGHUP);
                pthread_sigmask(SIG_BLOCK, &more, nullptr);
                ui::testing::activateMenuItem(WebsiteItem);
              })
        .when([&] { return std::filesystem::exists(note) || std::chrono::steady_clock::now() > giveUp; },
              [] { ui::testing::activateMenuItem(QuitItem); });
    script.start();
    _exit(runMain());
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  const std::string expected = testing::readAll(atStart);
  ASSERT_NE(expected, "");
  EXPECT_EQ(signalLines(note), expected);
}

}  // namespace
}  // namespace zandrel

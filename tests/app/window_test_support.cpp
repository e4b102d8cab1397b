#include "tests/app/window_test_support.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/event_loop.h"
#include "app/program_state.h"
#include "bridge/results_list.h"
#include "config/languages.h"
#include "config/program_folder.h"
#include "engine/search_state.h"
#include "engine/worker_thread.h"
#include "resources/images.h"
#include "tests/support/file_size_limit.h"

namespace zandrel::testing {
namespace {
bool gDisplayReady = false;
}

void MainWindowTest::SetUpTestSuite() {
  if (gDisplayReady || !ui::initialize()) return;
  gDisplayReady = true;
  for (const DecodedImage& image : decodeEmbeddedImages()) {
    ui::createImage(image.number, image.width, image.height, image.rgba);
  }
}

void MainWindowTest::SetUp() {
  if (!gDisplayReady) GTEST_SKIP() << "no display";
  TempDirTest::SetUp();
  gLanguage.clear();
  gLanguageFiles.clear();
  gProgramFolder = path() + "/";
  gSettingsPath = gProgramFolder + "settings.ini";
  lastFolderPath.clear();
  gMinSize = gMaxSize = 0;
  ASSERT_TRUE(buildMainWindow());
  settle();
}

void MainWindowTest::rebuildMainWindow() {
  ui::closeWindow(MainWindow);
  ui::freeMenu(AddPopupMenu);
  ui::testing::pumpEvents();
  while (ui::pollEvent().kind != ui::EventKind::None) {
  }
  ASSERT_TRUE(buildMainWindow());
  settle();
}

void MainWindowTest::runRefusedExport(const std::function<void()>& command, const std::string& target, rlim_t fileSizeLimit) {
  ui::testing::forgetDialogs();
  ui::testing::answerNextDialog(ui::testing::DialogAnswer::Ok, {target});
  ui::testing::answerNextDialog(ui::testing::DialogAnswer::Ok);
  std::optional<FileSizeLimit> limit;
  if (fileSizeLimit != 0) {
    ASSERT_TRUE(limit.emplace(fileSizeLimit).set());
  }
  command();
  settle();
}

void MainWindowTest::TearDown() {
  if (!gDisplayReady) return;
  refuseWorkerStartAfter(-1);
  ui::testing::forgetDialogs();
  ui::closeWindow(MainWindow);
  ui::freeMenu(AddPopupMenu);
  ui::testing::pumpEvents();
  while (ui::pollEvent().kind != ui::EventKind::None) {
  }
  TempDirTest::TearDown();
}

WindowWatch::WindowWatch(int window)
    : window_(window),
      hook_(g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, &WindowWatch::onMap, this,
                                       nullptr)) {}

WindowWatch::~WindowWatch() { g_signal_remove_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), hook_); }

gboolean WindowWatch::onMap(GSignalInvocationHint*, guint, const GValue* params, gpointer self) {
  auto* watch = static_cast<WindowWatch*>(self);
  auto* widget = static_cast<GObject*>(g_value_get_object(&params[0]));
  if (widget == nullptr || widget != G_OBJECT(ui::testing::windowWidget(watch->window_))) return TRUE;
  GtkWindow* window = GTK_WINDOW(widget);
  ShownWindow shown;
  shown.title = gtk_window_get_title(window) != nullptr ? gtk_window_get_title(window) : "";
  shown.typeHint = gtk_window_get_type_hint(window);
  shown.resizable = gtk_window_get_resizable(window) != FALSE;
  GdkWindow* drawn = gtk_widget_get_window(GTK_WIDGET(window));
  shown.decorationsAsked = drawn != nullptr && gdk_window_get_decorations(drawn, &shown.decorations);
  watch->shown_.push_back(shown);
  return TRUE;
}

void expectFixedWithMinimizeBox(const ShownWindow& window) {
  EXPECT_NE(window.typeHint, GDK_WINDOW_TYPE_HINT_DIALOG) << window.title;
  EXPECT_NE(window.typeHint, GDK_WINDOW_TYPE_HINT_UTILITY) << window.title;
  EXPECT_FALSE(window.resizable) << window.title;
  ASSERT_TRUE(window.decorationsAsked) << window.title;
  const int wanted = GDK_DECOR_TITLE | GDK_DECOR_MENU | GDK_DECOR_MINIMIZE;
  const int refused = GDK_DECOR_ALL | GDK_DECOR_MAXIMIZE | GDK_DECOR_RESIZEH;
  EXPECT_EQ(window.decorations & wanted, wanted) << window.title;
  EXPECT_EQ(window.decorations & refused, 0) << window.title;
}

FakeBrowser::FakeBrowser(const std::string& folder) : note_(folder + "/opened.txt") {
  std::filesystem::create_directories(folder + "/bin");
  const std::string script = folder + "/bin/xdg-open";
  std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << note_ << ".tmp'\nmv '" << note_ << ".tmp' '" << note_
                        << "'\n";
  chmod(script.c_str(), 0755);
  oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (folder + "/bin:" + oldPath_).c_str(), 1);
}

FakeBrowser::~FakeBrowser() { setenv("PATH", oldPath_.c_str(), 1); }

std::string FakeBrowser::openedAddress() {
  for (int i = 0; i < 500; ++i) {
    if (std::filesystem::exists(note_)) {
      const std::string address = readAll(note_);
      std::remove(note_.c_str());
      return address;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "(nothing opened)";
}

std::optional<MainWindowEnd> MainWindowTest::dispatchPending() {
  std::optional<MainWindowEnd> end;
  for (ui::Event event = ui::pollEvent(); event.kind != ui::EventKind::None; event = ui::pollEvent()) {
    if (auto result = dispatchMainEvent(event)) end = result;
  }
  return end;
}

std::optional<MainWindowEnd> MainWindowTest::settle() {
  ui::testing::pumpEvents();
  return dispatchPending();
}

std::vector<std::string> MainWindowTest::rows(int list) {
  std::vector<std::string> texts;
  for (int row = 0; row < ui::rowCount(list); ++row) texts.push_back(ui::rowText(list, row));
  return texts;
}

void MainWindowTest::addResultRow(const std::vector<std::string>& cells, bool checked) {
  const int row = ui::rowCount(ResultsList);
  appendResultRow(cells);
  if (checked) ui::setRowState(ResultsList, row, ui::kRowChecked);
}

std::vector<std::vector<std::string>> MainWindowTest::resultRows() {
  std::vector<std::vector<std::string>> all;
  for (int row = 0; row < ui::rowCount(ResultsList); ++row) all.push_back(resultRowCells(row));
  return all;
}

bool MainWindowTest::rowChecked(int list, int row) { return (ui::rowState(list, row) & ui::kRowChecked) != 0; }
bool MainWindowTest::rowSelected(int list, int row) { return (ui::rowState(list, row) & ui::kRowSelected) != 0; }

std::set<int> MainWindowTest::existingGadgets() {
  std::set<int> numbers;
  for (int number = 0; number < (1 << 20); ++number) {
    if (ui::gadgetExists(number)) numbers.insert(number);
  }
  return numbers;
}

std::set<int> MainWindowTest::gadgetsAddedSince(const std::set<int>& before) {
  std::set<int> added;
  for (const int number : existingGadgets()) {
    if (!before.count(number)) added.insert(number);
  }
  return added;
}

int MainWindowTest::aboutOkButton(const std::set<int>& gadgets) {
  for (const int number : gadgets) {
    if (ui::gadgetText(number) == "OK" && GTK_IS_BUTTON(ui::testing::gadgetWidget(number))) return number;
  }
  return -1;
}

}  // namespace zandrel::testing

// fontconfig keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

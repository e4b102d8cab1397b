#include "tests/app/window_test_support.h"

#include "app/event_loop.h"
#include "app/program_state.h"
#include "config/languages.h"
#include "config/program_folder.h"
#include "engine/search_state.h"
#include "resources/images.h"

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

void MainWindowTest::TearDown() {
  if (!gDisplayReady) return;
  ui::testing::forgetDialogs();
  ui::closeWindow(MainWindow);
  ui::freeMenu(AddPopupMenu);
  ui::testing::pumpEvents();
  while (ui::pollEvent().kind != ui::EventKind::None) {
  }
  TempDirTest::TearDown();
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

bool MainWindowTest::rowChecked(int list, int row) { return (ui::rowState(list, row) & ui::kRowChecked) != 0; }
bool MainWindowTest::rowSelected(int list, int row) { return (ui::rowState(list, row) & ui::kRowSelected) != 0; }

}  // namespace zandrel::testing

// fontconfig keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

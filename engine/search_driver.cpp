#include "engine/search_driver.h"

#include <algorithm>
#include <string>

#include "app/ui_objects.h"
#include "config/ui_strings.h"
#include "engine/hash_passes.h"
#include "engine/messages.h"
#include "engine/path_collection.h"
#include "engine/results_list.h"
#include "engine/search_filters.h"
#include "engine/search_state.h"
#include "engine/size_grouping.h"
#include "engine/worker_thread.h"
#include "ui/ui.h"

namespace zandrel {
namespace {

// Steps of the search; the driver moves on when a step's worker has ended.
enum Step {
  NotStarted,
  CollectingPaths,
  Filtered,
  ReadingSizes,
  GroupingBySize,
  DecidingCrc32,
  Crc32Pass,
  DecidingMd5,
  Md5Pass,
  DecidingSha1,
  Sha1Pass,
  Done,
};

bool checked(int gadget) { return ui::gadgetState(gadget) == 1; }

bool openProgressWindow() {
  ui::WindowStyle style;
  style.minimizeBox = true;
  if (!ui::openWindow(ProgressWindow, 300, 130, gUiText[12], style, MainWindow)) return false;
  ui::frameGadget(ProgressFrame, 4, 0, 292, 126, gUiText[67]);
  const int barWidth = ui::windowWidth(ProgressWindow) - 100;
  ui::progressBarGadget(ProgressBar, 50, 30, barWidth, 30);
  const int buttonY = ui::gadgetY(ProgressBar) + ui::gadgetHeight(ProgressBar) + 20;
  const int buttonWidth = barWidth / 2 - 5;
  ui::buttonGadget(PauseButton, 50, buttonY, buttonWidth, 25, gUiText[65]);
  ui::buttonGadget(StopButton, ui::gadgetX(PauseButton) + ui::gadgetWidth(PauseButton) + 10, buttonY, buttonWidth,
                   25, gUiText[98]);
  return true;
}

FilterChoice filterChoiceFromWindow() {
  FilterChoice choice;
  if (checked(SizeIncludeOption)) choice.sizeRule = SizeRule::Include;
  if (checked(SizeExcludeOption)) choice.sizeRule = SizeRule::Exclude;
  if (checked(ExtensionIncludeOption)) choice.extensionRule = ExtensionRule::Include;
  if (checked(ExtensionExcludeOption)) choice.extensionRule = ExtensionRule::Exclude;
  if (choice.extensionRule != ExtensionRule::Any) choice.extensionsText = ui::gadgetText(ExtensionsField);
  return choice;
}

}  // namespace

void appendResultRows(const std::vector<ResultRow>& rows) {
  for (const ResultRow& row : rows) {
    appendResultRow({row.group, row.filePath, row.sizeText, row.md5Hex, row.sha1Hex, row.crc32Hex});
  }
}

void runSearch() {
  resetSearchState();
  gSearchSubdirs = checked(SubdirsCheckBox) ? 1 : 0;
  gSearchHidden = checked(HiddenCheckBox) ? 1 : 0;
  gSearchSystem = checked(SystemCheckBox) ? 1 : 0;

  const int rowCount = ui::rowCount(LocationsList);
  if (rowCount == 0) {
    ui::setGadgetState(MainPanel, LocationsTab);
    showErrorMessage(gUiText[59]);
    return;
  }
  std::vector<std::string> locationRows;
  for (int row = 0; row < rowCount; ++row) locationRows.push_back(ui::rowText(LocationsList, row));

  if (!openProgressWindow()) return;

  WorkerThread worker;
  int step = NotStarted;
  int64_t lastShown = 0;
  bool noDuplicates = false;

  // Starts the pass when its box is checked now, else skips to the next
  // decision; false when its thread could not be started.
  const auto decidePass = [&](int box, void (*pass)(), int passStep) {
    if (!checked(box)) {
      step = passStep + 1;
      return true;
    }
    step = passStep;
    return worker.start(pass);
  };
  const auto showProgress = [&] {
    const int64_t progress = gSearchProgress.load();
    if (progress != lastShown) {
      ui::setGadgetState(ProgressBar, static_cast<int>(progress));
      lastShown = progress;
    }
  };

  for (bool running = true; running;) {
    // A step whose thread cannot be started ends the search as Stop does.
    if (step == NotStarted) {
      if (!worker.start([&locationRows] { collectSearchPaths(locationRows); })) break;
      step = CollectingPaths;
    }
    if (step == CollectingPaths && !worker.running()) {
      worker.join();
      applySearchFilters(filterChoiceFromWindow());
      step = Filtered;
    }
    if (step == Filtered) {
      if (!worker.start(collectFileSizes)) break;
      step = ReadingSizes;
    }
    if (step == ReadingSizes && !worker.running()) {
      if (!worker.start(groupBySize)) break;
      step = GroupingBySize;
    }
    if (step == GroupingBySize && !worker.running()) {
      worker.join();
      const int passes = checked(Crc32CheckBox) + checked(Md5CheckBox) + checked(Sha1CheckBox);
      const int64_t entries = std::max<int64_t>(1, static_cast<int64_t>(gFileEntries.size()));
      ui::setProgressRange(ProgressBar, 0, static_cast<int>(std::min<int64_t>(passes * entries, INT32_MAX)));
      step = DecidingCrc32;
    }
    if (step == DecidingCrc32 && !decidePass(Crc32CheckBox, hashCrc32Worker, Crc32Pass)) break;
    if (step == Crc32Pass) {
      showProgress();
      if (!worker.running()) step = DecidingMd5;
    }
    if (step == DecidingMd5 && !decidePass(Md5CheckBox, hashMd5Worker, Md5Pass)) break;
    if (step == Md5Pass) {
      showProgress();
      if (!worker.running()) step = DecidingSha1;
    }
    if (step == DecidingSha1 && !decidePass(Sha1CheckBox, hashSha1Worker, Sha1Pass)) break;
    if (step == Sha1Pass) {
      showProgress();
      if (!worker.running()) step = Done;
    }
    if (step == Done) {
      worker.join();
      ui::setGadgetState(ProgressBar, ui::progressMaximum(ProgressBar));
      const ResultsFill fill = fillResultRows(gFileEntries);
      noDuplicates = fill.noDuplicates;
      if (!fill.rows.empty()) {
        appendResultRows(fill.rows);
        ui::setGadgetState(MainPanel, ResultsTab);
      }
      break;
    }

    const ui::Event event = ui::waitEvent(2);
    switch (event.kind) {
      case ui::EventKind::CloseWindow:
        running = false;
        break;
      case ui::EventKind::Gadget:
        if (event.object == PauseButton) {
          const bool pausing = gPauseFlag.load() == 0;
          ui::setGadgetText(PauseButton, gUiText[pausing ? 75 : 65]);
          gPauseFlag = pausing ? 1 : 0;
        } else if (event.object == StopButton) {
          running = false;
        }
        break;
      default:
        break;  // everything else waits for no one: dropped
    }
  }

  // The worker may still run after Stop: it ends at its next check and closes
  // what it opened; only then are its lists emptied.
  gStopRequested = true;
  worker.join();
  gStopRequested = false;
  clearSearchLists();
  ui::closeWindow(ProgressWindow);
  if (noDuplicates) showInfoMessage(gUiText[58]);
}

}  // namespace zandrel

#include "bridge/search_driver.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "bridge/messages.h"
#include "bridge/progress_window.h"
#include "bridge/results_list.h"
#include "bridge/ui_strings.h"
#include "bridge/worker_polling.h"
#include "engine/hash_passes.h"
#include "engine/path_collection.h"
#include "engine/results_fill.h"
#include "engine/search_filters.h"
#include "engine/search_state.h"
#include "engine/size_grouping.h"
#include "engine/worker_thread.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

FilterChoice filterChoiceFromWindow() {
  FilterChoice choice;
  if (ui::gadgetChecked(SizeIncludeOption)) choice.sizeRule = SizeRule::Include;
  if (ui::gadgetChecked(SizeExcludeOption)) choice.sizeRule = SizeRule::Exclude;
  if (ui::gadgetChecked(ExtensionIncludeOption)) choice.extensionRule = ExtensionRule::Include;
  if (ui::gadgetChecked(ExtensionExcludeOption)) choice.extensionRule = ExtensionRule::Exclude;
  if (choice.extensionRule != ExtensionRule::Any) choice.extensionsText = ui::gadgetText(ExtensionsField);
  return choice;
}

// Appends the rows to ResultsList, unchecked, each with the record of its
// file; the rows are spent.
void appendResultRows(std::vector<ResultRow>& rows) {
  for (ResultRow& row : rows) {
    recordSearchedFile(row.filePath, row.stamp);
    appendResultRow({std::move(row.group), std::move(row.filePath), std::move(row.sizeText), std::move(row.md5Hex),
                     std::move(row.sha1Hex), std::move(row.crc32Hex)});
  }
}

// The steps of one search behind the progress window, each worker started
// once the one before has ended. Pause and Resume act on the running worker;
// Stop or a close request of any window ends the search; every other event is
// dropped.
class SearchSteps {
 public:
  explicit SearchSteps(const std::vector<std::string>& locationRows) : locationRows_(locationRows) {}

  // Runs the steps to the filled results list; returns early when Stop, a
  // close request or a thread that could not be started ends the search
  // first. The worker may then still run.
  void run() {
    if (!runWorker([this] { collectSearchPaths(locationRows_); })) return;
    applySearchFilters(filterChoiceFromWindow());
    if (!runWorker(collectFileSizes) || !runWorker(groupBySize)) return;

    // The window drops the clicks that keep one algorithm chosen while a
    // search runs, so all three may be unchecked now. Without a pass every
    // file of a shared size would form one group, and "Select duplicates"
    // would offer unique files for deletion: MD5 stands in, as it does for
    // a settings file that chooses none.
    int passes = ui::gadgetChecked(Crc32CheckBox) + ui::gadgetChecked(Md5CheckBox) + ui::gadgetChecked(Sha1CheckBox);
    if (passes == 0) {
      ui::setGadgetState(Md5CheckBox, 1);
      passes = 1;
    }
    const int64_t entries = std::max<int64_t>(1, static_cast<int64_t>(gFileEntries.size()));
    ui::setProgressRange(ProgressBar, 0, static_cast<int>(std::min<int64_t>(passes * entries, INT32_MAX)));
    // Each pass runs when its box is checked at the moment it is due.
    const struct {
      int box;
      void (*pass)();
    } kPasses[] = {{Crc32CheckBox, hashCrc32Worker}, {Md5CheckBox, hashMd5Worker}, {Sha1CheckBox, hashSha1Worker}};
    for (const auto& [box, pass] : kPasses) {
      if (ui::gadgetChecked(box) && !runWorker(pass, true)) return;
    }

    ui::setGadgetState(ProgressBar, ui::progressMaximum(ProgressBar));
    ResultsFill fill = fillResultRows(gFileEntries);
    noDuplicates_ = fill.noDuplicates;
    if (!fill.rows.empty()) {
      appendResultRows(fill.rows);
      ui::setGadgetState(MainPanel, ResultsTab);
    }
  }

  // Set only by a search that ran to its end.
  bool noDuplicates() const { return noDuplicates_; }

  // The worker may still run after Stop: it ends at its next check and closes
  // what it opened; only then are its lists emptied.
  void stop() {
    gStopRequested = true;
    worker_.join();
    gStopRequested = false;
  }

 private:
  // True when the worker ended, which is then joined, so its lists are ours.
  bool runWorker(std::function<void()> work, bool showsProgress = false) {
    if (!worker_.start(std::move(work))) return false;
    const bool ended = pollWhileWorking(worker_, [this, showsProgress](const ui::Event& event) {
      if (showsProgress) showProgress();
      return takeEvent(event);
    });
    if (ended) worker_.join();
    return ended;
  }

  void showProgress() {
    const int64_t progress = gSearchProgress.load();
    if (progress != lastShown_) {
      ui::setGadgetState(ProgressBar, static_cast<int>(progress));
      lastShown_ = progress;
    }
  }

  // False when the event ends the search.
  static bool takeEvent(const ui::Event& event) {
    if (event.kind == ui::EventKind::CloseWindow) return false;
    if (event.kind != ui::EventKind::Gadget) return true;
    if (event.object == PauseButton) {
      const bool pausing = gPauseFlag.load() == 0;
      ui::setGadgetText(PauseButton, gUiText[pausing ? kTextResume : kTextPause]);
      gPauseFlag = pausing ? 1 : 0;
    }
    return event.object != StopButton;
  }

  const std::vector<std::string>& locationRows_;
  WorkerThread worker_;
  int64_t lastShown_ = 0;
  bool noDuplicates_ = false;
};

}  // namespace

void runSearch() {
  resetSearchState();
  forgetSearchedFiles();  // the command that starts a search has emptied the list
  gSearchSubdirs = ui::gadgetChecked(SubdirsCheckBox) ? 1 : 0;
  gSearchHidden = ui::gadgetChecked(HiddenCheckBox) ? 1 : 0;
  gSearchSystem = ui::gadgetChecked(SystemCheckBox) ? 1 : 0;

  const int rowCount = ui::rowCount(LocationsList);
  if (rowCount == 0) {
    ui::setGadgetState(MainPanel, LocationsTab);
    showErrorMessage(gUiText[kTextNoLocations]);
    return;
  }
  std::vector<std::string> locationRows;
  for (int row = 0; row < rowCount; ++row) locationRows.push_back(ui::rowText(LocationsList, row));

  if (!openProgressWindow(gUiText[kTextCheckingFiles], true)) return;
  SearchSteps steps(locationRows);
  // A step whose thread cannot be started ends the search as Stop does.
  steps.run();
  steps.stop();
  clearSearchLists();
  ui::closeWindow(ProgressWindow);
  if (steps.noDuplicates()) showInfoMessage(gUiText[kTextNoDuplicates]);
}

}  // namespace zandrel

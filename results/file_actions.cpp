#include "results/file_actions.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <unordered_map>

#include "bridge/messages.h"
#include "bridge/progress_window.h"
#include "bridge/results_list.h"
#include "bridge/ui_strings.h"
#include "bridge/worker_polling.h"
#include "engine/file_id.h"
#include "engine/file_io.h"
#include "engine/search_state.h"
#include "engine/shared_helpers.h"
#include "engine/unique_fd.h"
#include "results/file_operations.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

std::vector<std::string> gFailedFiles;
std::string gSourceFile;
std::string gTargetFile;
std::atomic<int64_t> gOperationSucceeded{0};
std::atomic<int64_t> gDeleteProgress{0};
std::atomic<int64_t> gMoveProgress{0};
std::atomic<int64_t> gCopyProgress{0};
std::atomic<bool> gFileActionStopRequested{false};

namespace {

// The files of the unchecked rows in the current file's group: the command
// leaves them be, so the current file must not be one of them under another
// name (a link, a linked folder, a hard link). Written before the worker starts.
std::vector<FileId> gStayingTwins;

// What the current file's row says of it, written before the worker starts:
// the search's record of the file, or for a row without one the names of the
// unchecked rows of its group (held by the command while it runs).
std::optional<FileStamp> gSearchedStamp;
const std::vector<std::string>* gStayingNames = nullptr;

// Whether the file is one of the staying twins, links followed.
bool isStayingTwin(const std::string& file) {
  const std::optional<FileId> own = fileIdOf(file);
  return own && std::find(gStayingTwins.begin(), gStayingTwins.end(), *own) != gStayingTwins.end();
}

// Whether anything, a dangling link included, is at the path.
bool entryExists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

// Whether two open regular files of the given size hold the same bytes, from
// the start to their ends; a file that grew meanwhile differs.
bool sameBytes(int a, int b, uint64_t size, const std::atomic<bool>& stop) {
  // A small file takes a block of its own size and one byte more, which also
  // tells whether it grew.
  const size_t block = static_cast<size_t>(std::min<uint64_t>(256 * 1024, size + 1));
  const std::unique_ptr<char[]> first(new (std::nothrow) char[block]);
  const std::unique_ptr<char[]> second(new (std::nothrow) char[block]);
  if (!first || !second) return false;
  for (uint64_t offset = 0;;) {
    if (stop) return false;
    const ssize_t count = readFullyAt(a, first.get(), block, static_cast<off_t>(offset));
    if (count < 0 || readFullyAt(b, second.get(), block, static_cast<off_t>(offset)) != count) return false;
    if (std::memcmp(first.get(), second.get(), static_cast<size_t>(count)) != 0) return false;
    offset += static_cast<uint64_t>(count);
    if (offset > size) return false;
    if (static_cast<size_t>(count) < block) return offset == size;
  }
}

// A file of a row without the search's record goes only as a copy of a file
// of its group that stays: compared now with each staying regular file until
// one holds the same bytes, and only while the path still names the file
// that was compared. With no such file left in the group, the user asked for
// every file of it to go.
bool copiesAStayingFile(const std::string& file, const std::vector<std::string>& staying,
                        const std::atomic<bool>& stop) {
  const std::optional<FileStamp> before = currentFileStamp(file);
  if (!before) return false;
  struct stat status;
  const UniqueFd own = openRegularFile(file, &status);
  if (!own.valid() || fileStampOf(status, before->pathIsLink) != *before) return false;
  bool anyStays = false;
  for (const std::string& name : staying) {
    struct stat otherStatus;
    const UniqueFd other = openRegularFile(name, &otherStatus);
    if (!other.valid()) {
      if (isRegularFile(name)) return false;  // stays, but cannot be read to compare
      continue;
    }
    anyStays = true;
    if (otherStatus.st_size != status.st_size) continue;
    if (sameBytes(own.get(), other.get(), static_cast<uint64_t>(status.st_size), stop)) {
      return currentFileStamp(file) == before;
    }
    if (stop) return false;
  }
  return !anyStays;
}

// Whether the file is still what its row says; see the header.
bool stillWhatItsRowSays(const std::string& file) {
  if (gSearchedStamp) return currentFileStamp(file) == gSearchedStamp;
  return gStayingNames == nullptr || copiesAStayingFile(file, *gStayingNames, gFileActionStopRequested);
}

void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void finishFile(bool succeeded, bool reportsSuccess, std::atomic<int64_t>& progress) {
  if (succeeded) {
    pause(1);
    if (reportsSuccess) gOperationSucceeded = 1;
  } else {
    gFailedFiles.push_back(gSourceFile);
  }
  ++progress;
}

// What sets the three commands apart.
struct FileAction {
  UiTextId progressTitle;  // UI text of the progress window's title
  UiTextId failureHeader;  // UI text that opens the failure box
  bool lastRowFirst;
  bool removesRow;  // a row whose file went is removed
  void (*worker)();
  std::atomic<int64_t>* progress;
};

bool rowChecked(int row) { return (ui::rowState(ResultsList, row) & ui::kRowChecked) != 0; }


// The files of each group's unchecked rows, by group text. Their names are
// read at the start (the command never touches them); what they lead to is
// looked up when the group's first checked row comes.
class StayingFiles {
 public:
  explicit StayingFiles(int rows) {
    for (int row = 0; row < rows; ++row) {
      if (!rowChecked(row)) {
        names_[ui::rowText(ResultsList, row, GroupColumn)].push_back(ui::rowText(ResultsList, row, FilenameColumn));
      }
    }
  }
  const std::vector<std::string>& namesOf(const std::string& group) const {
    static const std::vector<std::string> kNone;
    const auto names = names_.find(group);
    return names == names_.end() ? kNone : names->second;
  }
  const std::vector<FileId>& of(const std::string& group) {
    const auto known = ids_.find(group);
    if (known != ids_.end()) return known->second;
    std::vector<FileId>& ids = ids_[group];
    const auto names = names_.find(group);
    if (names == names_.end()) return ids;
    for (const std::string& name : names->second) {
      if (const std::optional<FileId> id = fileIdOf(name)) ids.push_back(*id);
    }
    return ids;
  }

 private:
  std::unordered_map<std::string, std::vector<std::string>> names_;
  std::unordered_map<std::string, std::vector<FileId>> ids_;
};

void runFileAction(const FileAction& action, const std::string& folder) {
  const int rows = ui::rowCount(ResultsList);
  int checkedRows = 0;
  for (int row = 0; row < rows; ++row) checkedRows += rowChecked(row);
  if (!openProgressWindow(gUiText[action.progressTitle], false)) return;
  ui::setProgressRange(ProgressBar, 0, checkedRows);
  ui::setGadgetState(ProgressBar, 0);
  StayingFiles staying(rows);

  const auto rowAt = [&](int step) { return action.lastRowFirst ? rows - 1 - step : step; };
  for (int step = 0; step < rows; ++step) {
    const int row = rowAt(step);
    if (!rowChecked(row)) continue;
    gSourceFile = ui::rowText(ResultsList, row, FilenameColumn);
    if (!folder.empty()) gTargetFile = targetPathIn(folder, gSourceFile);
    const std::string group = ui::rowText(ResultsList, row, GroupColumn);
    gStayingTwins = staying.of(group);
    gSearchedStamp = searchedFileStamp(gSourceFile);
    gStayingNames = &staying.namesOf(group);
    gOperationSucceeded = 0;
    const bool wasThere = entryExists(gSourceFile);
    // What the worker did with its file stands, stopped or not: one that
    // finished its last steps after the request still succeeded.
    const WorkerEnd end = runUntilCloseRequest(action.worker, gFileActionStopRequested);
    if (end == WorkerEnd::NotStarted) {
      // Without a thread nothing more is done: this file and those still to come fail.
      for (int later = step; later < rows; ++later) {
        if (rowChecked(rowAt(later))) gFailedFiles.push_back(ui::rowText(ResultsList, rowAt(later), FilenameColumn));
      }
      break;
    }
    // A file that left its path takes its row along, stopped or not, and even
    // when the worker reported a failure. One moved onto itself is still
    // there, and so is its row.
    if (action.removesRow && (gOperationSucceeded == 1 || wasThere) && !entryExists(gSourceFile)) {
      ui::removeRow(ResultsList, row);
    }
    if (end == WorkerEnd::Stopped) {
      gStayingTwins.clear();
      gStayingNames = nullptr;
      ui::closeWindow(ProgressWindow);
      return;
    }
    pause(1);
    ui::setGadgetState(ProgressBar, static_cast<int>(action.progress->load()));
  }
  gStayingTwins.clear();
  gStayingNames = nullptr;
  ui::closeWindow(ProgressWindow);

  if (gFailedFiles.empty()) return;
  std::string message = gUiText[action.failureHeader] + "\n\n";
  for (const std::string& path : gFailedFiles) message += "- " + ui::displayName(path) + "\n";
  showErrorMessage(message);
}

// The first steps the three share: reset, then nothing at all without a checked row.
bool anyRowChecked(std::atomic<int64_t>& progress) {
  gFailedFiles.clear();
  progress = 0;
  const int rows = ui::rowCount(ResultsList);
  for (int row = 0; row < rows; ++row) {
    if (rowChecked(row)) return true;
  }
  return false;
}

void runFolderAction(const FileAction& action) {
  if (!anyRowChecked(*action.progress)) return;
  const std::string folder = ui::folderDialog(gUiText[kTextChooseTargetFolder], "");
  if (folder.empty()) return;
  runFileAction(action, addTrailingSeparator(folder));
}

}  // namespace

// Each worker looks at its file once more just before acting on it: rows may
// come from an imported file or from a disk that changed since the search.
void deleteFileWorker() {
  finishFile(!isStayingTwin(gSourceFile) && stillWhatItsRowSays(gSourceFile) && deleteFile(gSourceFile), true,
             gDeleteProgress);
}

bool holdsSameBytes(const std::string& a, const std::string& b, const std::atomic<bool>& stop) {
  struct stat first, second;
  const UniqueFd one = openRegularFile(a, &first);
  const UniqueFd other = openRegularFile(b, &second);
  return one.valid() && other.valid() && first.st_size == second.st_size &&
         sameBytes(one.get(), other.get(), static_cast<uint64_t>(first.st_size), stop);
}

void moveFileWorker() {
  finishFile(!isStayingTwin(gSourceFile) && moveFile(gSourceFile, gTargetFile, gFileActionStopRequested), true,
             gMoveProgress);
}

void copyFileWorker() {
  finishFile(!isStayingTwin(gSourceFile) && copyFile(gSourceFile, gTargetFile, gFileActionStopRequested), false,
             gCopyProgress);
}

void deleteSelectedFiles() {
  if (!anyRowChecked(gDeleteProgress)) return;
  if (ui::questionBox(gUiText[kTextDelete], gUiText[kTextAskDeleteFiles]) != ui::Answer::Yes) return;
  runFileAction({kTextRemovingFiles, kTextNotRemoved, true, true, deleteFileWorker, &gDeleteProgress}, "");
}

void moveSelectedFiles() {
  runFolderAction({kTextMovingFiles, kTextNotMoved, true, true, moveFileWorker, &gMoveProgress});
}

void copySelectedFiles() {
  runFolderAction({kTextCopyingFiles, kTextNotCopied, false, false, copyFileWorker, &gCopyProgress});
}

}  // namespace zandrel

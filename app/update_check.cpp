#include "app/update_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "app/http_client.h"
#include "app/program_state.h"
#include "app/web_address.h"
#include "bridge/messages.h"
#include "bridge/ui_strings.h"
#include "config/languages.h"
#include "engine/shared_helpers.h"
#include "engine/utf8.h"
#include "ui/ui.h"

namespace zandrel {

std::string gTempFolder;

namespace {

// More than any version text; keeps a hostile first line out of the message box.
constexpr size_t kMaxVersionLineBytes = 1024;
// Past this many names in the temporary folder something is wrong.
constexpr int kMaxReplyFileNumber = 1'000'000;

// Reply file name: the first free number. O_EXCL makes it only if nothing is
// there yet (links included, never followed), so a link or file someone placed
// under that name is never written through; such a name is passed over.
UniqueFd createReplyFile(std::string* replyPath) {
  for (int number = 1; number <= kMaxReplyFileNumber; ++number) {
    const std::string path = gTempFolder + std::to_string(number) + ".tmp";
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.valid()) {
      *replyPath = path;
      return fd;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

// The first line of the saved reply; none when the file does not open.
std::optional<std::string> readReplyLine(const std::string& replyPath) {
  UniqueFd fd(::open(replyPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  std::FILE* file = fdopen(fd.get(), "rb");
  if (file == nullptr) return std::nullopt;
  fd.release();
  std::string line = readTextLine(file, kMaxVersionLineBytes);
  std::fclose(file);
  return line;
}

std::string newerVersionQuestion(const std::string& version) {
  return replaceAll(gUiText[kTextNewerVersion], "*", "'" + version + "'") + "\n\n" + gUiText[kTextDownloadNow] + "?";
}

}  // namespace

std::string readTextLine(std::FILE* file, size_t maxBytes) {
  std::string line;
  for (size_t count = 0;; ++count) {
    const int c = std::getc(file);
    if (c == EOF || c == 0 || c == '\n') break;
    if (c == '\r') {
      const int next = std::getc(file);
      if (next != '\n' && next != EOF) std::ungetc(next, file);
      break;
    }
    if (count == maxBytes) {
      std::ungetc(c, file);
      break;
    }
    appendLatin1(line, static_cast<unsigned char>(c));
  }
  return line;
}

int checkForUpdates() {
  if (gTempFolder.empty()) gTempFolder = addTrailingSeparator("/tmp/");
  std::string replyPath;
  const int64_t written = downloadHttpFile(
      "http://" + gWebHost + "/updates/zrl.php", [&replyPath] { return createReplyFile(&replyPath); },
      kMaxVersionLineBytes);
  std::optional<std::string> line;
  if (written > 0) line = readReplyLine(replyPath);
  // Whatever came of it, the reply file goes: an empty or half-written one too.
  if (!replyPath.empty()) ::unlink(replyPath.c_str());
  if (written == 0) {
    showErrorMessage(gUiText[kTextUpdateCheckFailed]);
    return 0;
  }
  if (!line) return 0;  // the saved reply did not open again
  if (!line->empty() && *line != gVersion) {
    if (ui::questionBox("", newerVersionQuestion(*line)) == ui::Answer::Yes) {
      openWebAddress("http://" + gWebHost + "/" + gWebLanguageCode + "/zrl.php");
    }
  } else {
    ui::messageBox("", gUiText[kTextNewestVersion]);
  }
  return 0;
}

}  // namespace zandrel

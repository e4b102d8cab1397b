#pragma once
// Replacing a regular file whole, for the settings and language files and the
// results exports: the old bytes stay whole until the new ones are complete.
//
// The new bytes go into a temporary file beside the target, which is synced
// and renamed into place; the replaced file's mode and owner carry over. Only
// a regular file the user may write is replaced, and only a file or nothing:
// a folder, named pipe, device or socket at the name is refused without being
// opened for writing. Through a symbolic link, the file it points to is
// replaced, or made where it does not exist yet, and the link kept.
//
// The file itself is rewritten instead where a new one would not be the
// user's file any more: a file with more names than one (hard links), whose
// other names would keep the old bytes, and a file whose owner or group the
// process may not give a new file; so it is too where the folder takes no
// temporary file, or refuses the rename (a sticky folder whose file belongs
// to another user). Only a file that may also be read is rewritten, as the
// rewrite keeps aside the old bytes it overwrites. It starts only after the
// file-size limit and the free space say the new bytes fit, and puts the old
// bytes back should it fail all the same. No temporary file stays behind on
// any path.

#include <string>
#include <string_view>

#include "engine/unique_fd.h"

namespace zandrel {

class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(FileReplacement&& other) noexcept;
  FileReplacement& operator=(FileReplacement&& other) noexcept;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement() { abandon(); }

  // Gets the way ready by which new bytes reach path: opens the file there and
  // makes the temporary file beside it, so a place that cannot be written is
  // known before any work is done for it. False, with nothing made and the
  // replacement not ready, for anything but a regular file or nothing at path,
  // a file the user may not write, or a folder where no file can be made.
  bool prepare(const std::string& path);
  bool ready() const { return temp_.valid() || existing_.valid(); }

  // Puts these bytes in place of the old ones and ends the replacement. False
  // when they could not all be put there (a write, sync or rename failed); an
  // old file is then byte for byte as it was.
  bool commit(std::string_view bytes);

  // Ends an unfinished replacement; the old file stays untouched.
  void abandon();

 private:
  void dropTemp();
  bool commitThroughTemp(std::string_view bytes);
  bool commitInPlace(std::string_view bytes);

  std::string target_;    // the file replaced, symbolic links resolved
  std::string tempPath_;  // empty when there is no temporary file
  UniqueFd temp_;
  UniqueFd existing_;        // the file there now, open for writing
  bool existingReadable_ = false;  // a rewrite in place needs the old bytes
};

// prepare and commit in one.
bool replaceFile(const std::string& path, std::string_view bytes);

}  // namespace zandrel

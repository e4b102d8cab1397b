#pragma once
// The key/value text files of the program: "settings.ini" and the language
// files. A document is read whole, looked up by group and key, and written
// whole when it is closed.
//
// Reading: a file that starts with the UTF-8 byte-order mark is UTF-8 (a byte
// that does not belong to a valid sequence becomes U+FFFD); any other file is
// ISO-8859-1. NUL bytes become U+FFFD as well, so no text handed on to C
// string interfaces is cut short. A file larger than kIniMaxFileBytes opens as
// none, as an unreadable one does, so no file can take the memory or the time
// of a start; named pipes, devices and folders do not open either, so a read
// always ends with the file.
//
// Writing: the whole text replaces the file at closeIniFile, through the
// shared file replacement (engine/file_replace.h): the old file stays whole
// until the new one is complete, only a regular file the user may write is
// replaced, a file with a second name or another owner is rewritten where it
// is, and through a symbolic link the file it points to is replaced, or made
// where it is missing. A document from createIniFile therefore replaces the
// old file at closeIniFile, not at once.
//
// Each thread has one current document of its own; a thread that ends with a
// document open closes it as closeIniFile would.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_replace.h"

namespace zandrel {

// Far beyond any real settings or language file (100,000 search locations of
// 70-byte paths fit), small enough that reading the largest file there may be
// takes a few hundred MiB at the very most.
inline constexpr std::size_t kIniMaxFileBytes = 8 * 1024 * 1024;

// One line of a document once it is written to (before, its text is read
// as it stands).
struct IniNode {
  enum class Kind { Group, Comment, Key };
  Kind kind = Kind::Key;
  std::string key;   // key lines only, as the file spells it, trailing blanks and tabs removed
  std::string text;  // the group's name, the comment's text, or the key's value
};

// One key line in a section's index. The hash and the length go with the
// place, so a probe rarely has to look at a key.
struct IniKeySlot {
  std::uint32_t hash = 0;
  std::uint32_t keyLength = 0;
  std::uint32_t line = 0;  // the line's place plus one; 0 for a free slot
};

// Where the keys of one section stand, so that a lookup takes no walk through
// the section: built at the first lookup after a group is selected, and kept
// up to date by the key lines added to it. The first of two keys that differ
// only in A to Z case holds the slot.
struct IniSectionIndex {
  bool built = false;
  std::optional<std::size_t> group;  // the section's group line, as IniDocument::currentGroup
  std::size_t end = 0;               // once listed: the next group line, or the end of the nodes
  std::vector<IniKeySlot> slots;     // open addressing: a power of two, at most half used
  std::size_t used = 0;
};

// A line's place is its offset in `text` until the document is first written
// to, and its index in `nodes` from then on.
struct IniDocument {
  std::string path;
  bool isOpen = false;
  // The way the new text reaches `path`: got ready by createIniFile, so a
  // place that cannot be written is reported at once; for an opened file only
  // when a changed document is closed.
  FileReplacement replacement;
  std::string text;     // the decoded file, read in place: a file only read makes no lines of its own
  bool listed = false;  // the lines are in `nodes`
  std::vector<IniNode> nodes;
  std::optional<std::size_t> currentGroup;  // the group line's place; none for the top level
  std::optional<std::string> pendingGroup;  // selected, not in the document until written to
  bool changed = false;
  bool isUtf8 = false;
  IniSectionIndex section;
};

// Closes the thread's previous document first. False when the file is missing
// or cannot be read; reads then give their defaults.
bool openIniFile(const std::string& path);

// Closes the thread's previous document first and starts an empty one. False
// when the file cannot be created (its folder is missing, or neither the folder
// nor the file there may be written, or the name is taken by something that is
// not a file) or the file there may not be written.
bool createIniFile(const std::string& path);

// True when the group exists or the name is empty (the top level). Any other
// name is remembered and added by the next writeIniString.
bool selectIniGroup(const std::string& group);

// The value of the key in the current group with blanks and tabs around it
// removed; the default when the key is not there or a group is pending.
std::string readIniString(const std::string& key, const std::string& fallback);

// Sets the key in the current group, or adds it at the end of the group. The
// value is stored as given; a line break in it makes a line of its own in the
// file.
void writeIniString(const std::string& key, const std::string& value);

// Writes the file when anything was written (a created document is always put
// in place, empty when nothing was written) and empties the document. False
// when the new text could not be put in place (a write, flush or rename
// failed, or the text is longer than a start would read); the old file is
// then left as it was.
bool closeIniFile();

}  // namespace zandrel

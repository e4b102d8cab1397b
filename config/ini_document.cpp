#include "config/ini_document.h"

#include "engine/file_io.h"
#include "engine/utf8.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace zandrel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kLineEnd = '\n';

// Closes the document when its thread ends, writing it when it was changed.
struct ThreadDocument {
  IniDocument document;
  ~ThreadDocument();
};

thread_local ThreadDocument tCurrent;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view skipBlanks(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  return text.substr(pos);
}

std::string_view trimTrailingBlanks(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && isBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

// Only A to Z fold: a bitwise fold would also match "[" with "{" and "@" with "`".
char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}

// How many bytes from pos on are ASCII other than NUL: they go over as they are.
size_t plainRunAt(std::string_view bytes, size_t pos) {
  size_t end = pos;
  while (end < bytes.size() && bytes[end] != 0 && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
  return end - pos;
}

// Walks the bytes as they decode: keep(run) for each run of bytes that stay
// as they are, put(character) for each byte that becomes other bytes. In
// UTF-8 every byte that does not start a valid sequence becomes one U+FFFD and
// decoding goes on with the next byte.
template <typename Keep, typename Put>
void decodeBytes(std::string_view bytes, bool utf8, Keep keep, Put put) {
  // Valid bytes are kept in whole spans, ended only by a byte that is not.
  size_t spanStart = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    pos += plainRunAt(bytes, pos);
    if (pos == bytes.size()) break;
    const auto byte = static_cast<unsigned char>(bytes[pos]);
    char32_t ignored = 0;
    const size_t length = utf8 && byte != 0 ? utf8SequenceAt(bytes, pos, ignored) : 0;
    if (length != 0) {
      pos += length;
      continue;
    }
    keep(bytes.substr(spanStart, pos - spanStart));
    if (byte == 0 || utf8) {
      put(kReplacement);
    } else {
      std::string latin1;  // two bytes, no allocation
      appendLatin1(latin1, byte);
      put(latin1);
    }
    spanStart = ++pos;
  }
  keep(bytes.substr(spanStart));
}

// Decodes the bytes behind `from` into the text of the whole buffer, in the
// buffer itself: no second copy of the file is made. Decoding only ever
// lengthens the text, so the bytes first move to the end of the room the text
// takes, and the text written from the start never overtakes what is read.
void decodeInPlace(std::string& buffer, size_t from, bool utf8) {
  const size_t byteCount = buffer.size() - from;
  size_t textSize = 0;
  const auto count = [&](std::string_view part) { textSize += part.size(); };
  decodeBytes(std::string_view(buffer).substr(from), utf8, count, count);
  if (textSize == byteCount) {  // nothing to decode
    buffer.erase(0, from);
    return;
  }
  const size_t shift = textSize - byteCount;
  buffer.resize(std::max(buffer.size(), textSize));
  char* const start = buffer.data();
  std::memmove(start + shift, start + from, byteCount);
  char* out = start;
  const auto move = [&](std::string_view run) {
    if (run.empty()) return;
    std::memmove(out, run.data(), run.size());
    out += run.size();
  };
  const auto put = [&](std::string_view character) {
    for (const char c : character) *out++ = c;
  };
  decodeBytes(std::string_view(start + shift, byteCount), utf8, move, put);
  buffer.resize(textSize);
}

// One line, parsed where it stands.
struct Line {
  IniNode::Kind kind = IniNode::Kind::Key;
  std::string_view key;
  std::string_view text;
};

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// Lines of nothing but blanks hold nothing, so a line starts at the first
// character from pos on that is neither a blank nor a line end.
size_t lineStartFrom(std::string_view text, size_t pos) {
  while (pos < text.size() && (isBlank(text[pos]) || isLineEnd(text[pos]))) ++pos;
  return pos;
}

// One pass for both line ends: looking for each in turn would go over the
// rest of a file with only the other one once a line. Most lines are short
// and end within a plain look at their first bytes; the rest of a long one
// goes to strcspn, which takes many bytes a step. The decoded text holds no
// NUL (a NUL byte becomes U+FFFD) and ends in one, as every std::string
// does, so strcspn stops at its end.
size_t lineEndFrom(const std::string& text, size_t pos) {
  for (const size_t shortEnd = std::min(text.size(), pos + 32); pos < shortEnd; ++pos) {
    if (isLineEnd(text[pos])) return pos;
  }
  return pos + std::strcspn(text.c_str() + pos, "\r\n");
}

// Parses the line that starts at `start` (a character that is no blank) and
// returns where it ends, in one pass over its characters.
size_t parseLineAt(const std::string& text, size_t start, Line& parsed) {
  const std::string_view view = text;
  size_t pos = start + 1;
  if (text[start] == ';') {
    parsed.kind = IniNode::Kind::Comment;
    if (pos < text.size() && text[pos] == ' ') ++pos;
    const size_t end = lineEndFrom(text, pos);
    parsed.text = view.substr(pos, end - pos);
    return end;
  }
  if (text[start] == '[') {
    parsed.kind = IniNode::Kind::Group;
    size_t close = pos;
    while (close < text.size() && !isLineEnd(text[close]) && text[close] != ']') ++close;
    parsed.text = view.substr(pos, close - pos);
    return lineEndFrom(text, close);
  }
  // A line without "=" is a key with an empty value: reading it answers ""
  // rather than the default.
  parsed.kind = IniNode::Kind::Key;
  pos = start;
  while (pos < text.size() && !isLineEnd(text[pos]) && text[pos] != '=') ++pos;
  parsed.key = trimTrailingBlanks(view.substr(start, pos - start));
  parsed.text = {};
  if (pos == text.size() || text[pos] != '=') return pos;
  ++pos;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  const size_t end = lineEndFrom(text, pos);
  parsed.text = view.substr(pos, end - pos);
  return end;
}

Line lineOf(const IniNode& node) { return {node.kind, node.key, node.text}; }

Line lineAt(const IniDocument& document, size_t place) {
  if (document.listed) return lineOf(document.nodes[place]);
  Line line;
  parseLineAt(document.text, place, line);
  return line;
}

// Calls visit(place, line) for the lines from place `from` on while it answers
// true; returns where it stopped (the end: the node count or the text size).
template <typename Visit>
size_t visitLines(const IniDocument& document, size_t from, Visit visit) {
  if (document.listed) {
    while (from < document.nodes.size() && visit(from, lineOf(document.nodes[from]))) ++from;
    return from;
  }
  const std::string& text = document.text;
  Line line;
  for (size_t start = lineStartFrom(text, from); start < text.size();) {
    const size_t end = parseLineAt(text, start, line);
    if (!visit(start, line)) return start;
    start = lineStartFrom(text, end);
  }
  return text.size();
}

// The first place behind the current group line (the document's start at the top level).
size_t sectionStart(const IniDocument& document) {
  if (!document.currentGroup) return 0;
  const size_t group = *document.currentGroup;
  return document.listed ? group + 1 : lineEndFrom(document.text, group);
}

// Turns the text into nodes, at the first write: only then can lines change.
void listLines(IniDocument& document) {
  if (document.listed) return;
  std::vector<IniNode> nodes;
  std::optional<size_t> group;
  visitLines(document, 0, [&](size_t place, const Line& line) {
    if (document.currentGroup == place) group = nodes.size();
    nodes.push_back({line.kind, std::string(line.key), std::string(line.text)});
    return true;
  });
  document.nodes = std::move(nodes);
  document.currentGroup = group;
  document.listed = true;
  document.section = IniSectionIndex();
  std::string().swap(document.text);
}

// The whole of a regular file of at most kIniMaxFileBytes: the reading ends
// with the file itself, so a named pipe or a device, whose reading would block
// or never end, is refused. The size is taken from the file first, so a sparse
// file of any claimed size costs nothing; a file that grows while it is read
// is refused at the limit all the same.
std::optional<std::string> readWholeFile(const std::string& path) {
  struct stat status;
  const UniqueFd fd = openRegularFile(path, &status);
  if (!fd.valid() || status.st_size < 0 || static_cast<uintmax_t>(status.st_size) > kIniMaxFileBytes) {
    return std::nullopt;
  }
  std::string bytes;
  // Room for the text the bytes decode to (a byte may become three), so it
  // is decoded where it was read; what the text does not take is never touched.
  bytes.reserve(3 * (static_cast<size_t>(status.st_size) + 1));
  bytes.resize(static_cast<size_t>(status.st_size) + 1);
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (bytes.size() > kIniMaxFileBytes) return std::nullopt;
      bytes.resize(std::min(bytes.size() * 2 + 4096, kIniMaxFileBytes + 1));
    }
    const ssize_t got = readSome(fd.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

// FNV-1a of the key with A to Z folded.
std::uint32_t keyHash(std::string_view key) {
  std::uint32_t hash = 2166136261u;
  for (const char c : key) hash = (hash ^ static_cast<unsigned char>(foldAscii(c))) * 16777619u;
  return hash;
}

// A slot holds places and lengths in 32 bits: the text of a file is at most
// three bytes for each byte read.
static_assert(3 * (kIniMaxFileBytes + 1) < UINT32_MAX);

inline std::string_view keyOf(const IniDocument& document, const IniKeySlot& slot) {
  const size_t place = slot.line - 1;
  if (document.listed) return document.nodes[place].key;
  return std::string_view(document.text).substr(place, slot.keyLength);
}

// The slot of the key, or the free slot where it would go. Inline, as
// keyOf and sameName: an index build runs them for every line.
inline IniKeySlot& slotFor(const IniDocument& document, IniSectionIndex& section, std::string_view key,
                           std::uint32_t hash) {
  const size_t mask = section.slots.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    IniKeySlot& slot = section.slots[i];
    if (slot.line == 0) return slot;
    if (slot.hash == hash && slot.keyLength == static_cast<std::uint32_t>(key.size()) &&
        sameName(keyOf(document, slot), key)) {
      return slot;
    }
  }
}

// Doubles the table, as it would be more than half used with one more key:
// a section of repeated keys keeps a small one.
void growSlots(IniSectionIndex& section) {
  std::vector<IniKeySlot> old(std::max<size_t>(16, section.slots.size() * 2));
  old.swap(section.slots);
  const size_t mask = section.slots.size() - 1;
  for (const IniKeySlot& slot : old) {
    if (slot.line == 0) continue;
    size_t i = slot.hash & mask;
    while (section.slots[i].line != 0) i = (i + 1) & mask;
    section.slots[i] = slot;
  }
}

// Adds the key line at `place` unless the section has the key already: the first one stays.
void addKey(const IniDocument& document, IniSectionIndex& section, std::string_view key, size_t place) {
  if ((section.used + 1) * 2 > section.slots.size()) growSlots(section);
  const std::uint32_t hash = keyHash(key);
  IniKeySlot& slot = slotFor(document, section, key, hash);
  if (slot.line != 0) return;
  slot = {hash, static_cast<std::uint32_t>(key.size()), static_cast<std::uint32_t>(place + 1)};
  ++section.used;
}

// The index of the current section: the lines behind `currentGroup` (or from
// the first line at the top level) up to the next group line.
IniSectionIndex& currentSection(IniDocument& document) {
  IniSectionIndex& section = document.section;
  if (section.built && section.group == document.currentGroup) return section;
  section = IniSectionIndex{true, document.currentGroup, 0, {}, 0};
  section.end = visitLines(document, sectionStart(document), [&](size_t place, const Line& line) {
    if (line.kind == IniNode::Kind::Group) return false;
    if (line.kind == IniNode::Kind::Key) addKey(document, section, line.key, place);
    return true;
  });
  return section;
}

// The place of the key's line in the current section.
std::optional<size_t> findKey(IniDocument& document, std::string_view key) {
  IniSectionIndex& section = currentSection(document);
  if (section.slots.empty()) return std::nullopt;
  const IniKeySlot& slot = slotFor(document, section, key, keyHash(key));
  if (slot.line == 0) return std::nullopt;
  return slot.line - 1;
}

std::string renderDocument(const IniDocument& document) {
  std::string text;
  if (document.isUtf8) {
    text += kByteOrderMark;
    text += kLineEnd;
  }
  for (const IniNode& node : document.nodes) {
    switch (node.kind) {
      case IniNode::Kind::Group:
        text += "[" + node.text + "]";
        break;
      case IniNode::Kind::Comment:
        text += "; " + node.text;
        break;
      case IniNode::Kind::Key:
        text += node.key + " = " + node.text;
        break;
    }
    text += kLineEnd;
  }
  return text;
}

bool writeDocument(IniDocument& document, std::string_view text) {
  // A file the next start would open as none is no save: the old one stays.
  if (text.size() > kIniMaxFileBytes) return false;
  if (!document.replacement.ready() && !document.replacement.prepare(document.path)) return false;
  return document.replacement.commit(text);
}

bool closeDocument(IniDocument& document) {
  bool written = true;
  // A created document replaces the old file even when nothing was written.
  const bool created = document.replacement.ready();
  if (document.isOpen && (document.changed || created)) {
    written = writeDocument(document, document.changed ? renderDocument(document) : std::string());
  }
  document = IniDocument();
  return written;
}

ThreadDocument::~ThreadDocument() { closeDocument(document); }

}  // namespace

bool openIniFile(const std::string& path) {
  IniDocument& document = tCurrent.document;
  closeDocument(document);
  std::optional<std::string> bytes = readWholeFile(path);
  if (!bytes) return false;

  document.path = path;
  document.isOpen = true;
  document.isUtf8 = !bytes->empty();
  const bool marked = bytes->starts_with(kByteOrderMark);
  decodeInPlace(*bytes, marked ? kByteOrderMark.size() : 0, marked);
  document.text = std::move(*bytes);
  return true;
}

bool createIniFile(const std::string& path) {
  IniDocument& document = tCurrent.document;
  closeDocument(document);
  if (!document.replacement.prepare(path)) {
    document = IniDocument();
    return false;
  }
  document.path = path;
  document.isOpen = true;
  document.listed = true;
  document.isUtf8 = true;
  return true;
}

bool selectIniGroup(const std::string& group) {
  IniDocument& document = tCurrent.document;
  document.pendingGroup.reset();
  if (group.empty()) {
    document.currentGroup.reset();
    return true;
  }
  std::optional<size_t> found;
  visitLines(document, 0, [&](size_t place, const Line& line) {
    if (line.kind == IniNode::Kind::Group && sameName(line.text, group)) found = place;
    return !found;
  });
  if (found) {
    document.currentGroup = found;
    return true;
  }
  if (document.isOpen) document.pendingGroup = group;
  return false;
}

std::string readIniString(const std::string& key, const std::string& fallback) {
  IniDocument& document = tCurrent.document;
  if (document.pendingGroup) return fallback;
  const std::optional<size_t> place = findKey(document, key);
  if (!place) return fallback;
  return std::string(trimTrailingBlanks(skipBlanks(lineAt(document, *place).text)));
}

void writeIniString(const std::string& key, const std::string& value) {
  IniDocument& document = tCurrent.document;
  if (!document.isOpen) return;
  listLines(document);
  if (document.pendingGroup) {
    document.nodes.push_back({IniNode::Kind::Group, "", std::move(*document.pendingGroup)});
    document.currentGroup = document.nodes.size() - 1;
    document.pendingGroup.reset();
  }
  if (const std::optional<size_t> place = findKey(document, key)) {
    IniNode& node = document.nodes[*place];
    node.key = key;
    node.text = value;
  } else {
    // Key lines are only ever inserted at the end of the current section, so
    // the group line and every line of the section keep their index.
    IniSectionIndex& section = currentSection(document);
    document.nodes.insert(document.nodes.begin() + static_cast<std::ptrdiff_t>(section.end),
                          {IniNode::Kind::Key, key, value});
    addKey(document, section, key, section.end++);
  }
  document.changed = true;
}

bool closeIniFile() { return closeDocument(tCurrent.document); }

}  // namespace zandrel

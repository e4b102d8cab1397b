#include "config/ini_document.h"

#include "engine/file_io.h"
#include "engine/utf8.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
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

bool sameName(std::string_view a, std::string_view b) {
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

std::string decodeLatin1(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 8);
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t run = plainRunAt(bytes, pos);
    text.append(bytes.substr(pos, run));
    pos += run;
    if (pos == bytes.size()) break;
    const auto byte = static_cast<unsigned char>(bytes[pos++]);
    if (byte == 0) {
      text += kReplacement;
    } else {
      appendLatin1(text, byte);
    }
  }
  return text;
}

// Every byte that does not start a valid sequence becomes one U+FFFD and
// decoding goes on with the next byte.
std::string decodeUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  // Valid bytes are taken over in whole spans, ended only by a byte that is not.
  size_t spanStart = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    pos += plainRunAt(bytes, pos);
    if (pos == bytes.size()) break;
    char32_t ignored = 0;
    const size_t length = bytes[pos] == 0 ? 0 : utf8SequenceAt(bytes, pos, ignored);
    if (length == 0) {
      text.append(bytes.substr(spanStart, pos - spanStart));
      text += kReplacement;
      spanStart = ++pos;
    } else {
      pos += length;
    }
  }
  text.append(bytes.substr(spanStart));
  return text;
}

// Where the bytes first need decoding (a NUL, or a byte outside ASCII in
// ISO-8859-1 or outside a valid sequence in UTF-8); their size when the text
// is the bytes as they are.
size_t firstByteToDecode(std::string_view bytes, bool utf8) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    pos += plainRunAt(bytes, pos);
    if (pos == bytes.size() || !utf8 || bytes[pos] == 0) break;
    char32_t ignored = 0;
    const size_t length = utf8SequenceAt(bytes, pos, ignored);
    if (length == 0) break;
    pos += length;
  }
  return pos;
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
// rest of a file with only the other one once a line.
size_t lineEndFrom(std::string_view text, size_t pos) {
  while (pos < text.size() && !isLineEnd(text[pos])) ++pos;
  return pos;
}

// Parses the line that starts at `start` (a character that is no blank) and
// returns where it ends, in one pass over its characters.
size_t parseLineAt(std::string_view text, size_t start, Line& parsed) {
  size_t pos = start + 1;
  if (text[start] == ';') {
    parsed.kind = IniNode::Kind::Comment;
    if (pos < text.size() && text[pos] == ' ') ++pos;
    const size_t end = lineEndFrom(text, pos);
    parsed.text = text.substr(pos, end - pos);
    return end;
  }
  if (text[start] == '[') {
    parsed.kind = IniNode::Kind::Group;
    size_t close = pos;
    while (close < text.size() && !isLineEnd(text[close]) && text[close] != ']') ++close;
    parsed.text = text.substr(pos, close - pos);
    return lineEndFrom(text, close);
  }
  // A line without "=" is a key with an empty value: reading it answers ""
  // rather than the default.
  parsed.kind = IniNode::Kind::Key;
  pos = start;
  while (pos < text.size() && !isLineEnd(text[pos]) && text[pos] != '=') ++pos;
  parsed.key = trimTrailingBlanks(text.substr(start, pos - start));
  parsed.text = {};
  if (pos == text.size() || text[pos] != '=') return pos;
  ++pos;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  const size_t end = lineEndFrom(text, pos);
  parsed.text = text.substr(pos, end - pos);
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
  const std::string_view text = document.text;
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
  std::string bytes(static_cast<size_t>(status.st_size) + 1, '\0');
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

std::string_view keyOf(const IniDocument& document, const IniKeySlot& slot) {
  const size_t place = slot.line - 1;
  if (document.listed) return document.nodes[place].key;
  return std::string_view(document.text).substr(place, slot.keyLength);
}

// The slot of the key, or the free slot where it would go.
IniKeySlot& slotFor(const IniDocument& document, IniSectionIndex& section, std::string_view key, std::uint32_t hash) {
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

// Doubles the table once it would be more than half used; a section of
// repeated keys keeps a small one.
void makeRoomForOneMore(IniSectionIndex& section) {
  if ((section.used + 1) * 2 <= section.slots.size()) return;
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
  makeRoomForOneMore(section);
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
  const std::string_view content = std::string_view(*bytes).substr(marked ? kByteOrderMark.size() : 0);
  if (firstByteToDecode(content, marked) < content.size()) {
    document.text = marked ? decodeUtf8(content) : decodeLatin1(content);
  } else {
    // Plain text stays where it was read: no second copy of the file.
    if (marked) bytes->erase(0, kByteOrderMark.size());
    document.text = std::move(*bytes);
  }
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

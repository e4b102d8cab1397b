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

void parseLine(std::string_view line, std::vector<IniNode>& nodes) {
  line = skipBlanks(line);
  if (line.empty()) return;
  IniNode node;
  if (line.front() == ';') {
    node.kind = IniNode::Kind::Comment;
    line.remove_prefix(1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    node.text = line;
  } else if (line.front() == '[') {
    node.kind = IniNode::Kind::Group;
    line.remove_prefix(1);
    node.text = line.substr(0, line.find(']'));
  } else {
    // A line without "=" is a key with an empty value: reading it answers ""
    // rather than the default.
    node.kind = IniNode::Kind::Key;
    const size_t equals = line.find('=');
    node.key = trimTrailingBlanks(line.substr(0, equals));
    if (equals != std::string_view::npos) node.text = skipBlanks(line.substr(equals + 1));
  }
  nodes.push_back(std::move(node));
}

// The lines that hold anything, an upper bound of the nodes they give.
size_t countLines(std::string_view text) {
  size_t lines = 0;
  bool atStart = true;
  for (const char c : text) {
    const bool lineEnd = c == '\r' || c == '\n';
    if (atStart && !lineEnd) ++lines;
    atStart = lineEnd;
  }
  return lines;
}

std::vector<IniNode> parseText(std::string_view text) {
  std::vector<IniNode> nodes;
  // Room for every line at once: growing the list would hold it twice.
  nodes.reserve(countLines(text));
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    parseLine(text.substr(pos, end - pos), nodes);
    pos = text.find_first_not_of("\r\n", end);
    if (pos == std::string_view::npos) break;
  }
  return nodes;
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

std::string foldedName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = foldAscii(c);
  return folded;
}

// The index of the current section: the nodes behind `currentGroup` (or from
// the first node at the top level) up to the next group line.
IniSectionIndex& currentSection(IniDocument& document) {
  IniSectionIndex& section = document.section;
  if (section.built && section.group == document.currentGroup) return section;
  section = IniSectionIndex{true, document.currentGroup, 0, {}};
  size_t end = document.currentGroup ? *document.currentGroup + 1 : 0;
  size_t last = end;
  while (last < document.nodes.size() && document.nodes[last].kind != IniNode::Kind::Group) ++last;
  section.keys.reserve(last - end);  // one table for the whole section, never grown and copied
  for (; end < document.nodes.size() && document.nodes[end].kind != IniNode::Kind::Group; ++end) {
    const IniNode& node = document.nodes[end];
    if (node.kind == IniNode::Kind::Key) section.keys.emplace(foldedName(node.key), end);  // the first one stays
  }
  section.end = end;
  return section;
}

IniNode* findKey(IniDocument& document, const std::string& key) {
  const IniSectionIndex& section = currentSection(document);
  const auto found = section.keys.find(foldedName(key));
  return found == section.keys.end() ? nullptr : &document.nodes[found->second];
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
  const std::optional<std::string> bytes = readWholeFile(path);
  if (!bytes) return false;

  const std::string_view content = *bytes;
  const bool marked = content.starts_with(kByteOrderMark);
  const std::string text = marked ? decodeUtf8(content.substr(kByteOrderMark.size())) : decodeLatin1(content);
  document.path = path;
  document.isOpen = true;
  document.isUtf8 = !content.empty();
  document.nodes = parseText(text);
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
  for (size_t i = 0; i < document.nodes.size(); ++i) {
    const IniNode& node = document.nodes[i];
    if (node.kind == IniNode::Kind::Group && sameName(node.text, group)) {
      document.currentGroup = i;
      return true;
    }
  }
  if (document.isOpen) document.pendingGroup = group;
  return false;
}

std::string readIniString(const std::string& key, const std::string& fallback) {
  IniDocument& document = tCurrent.document;
  if (document.pendingGroup) return fallback;
  const IniNode* node = findKey(document, key);
  if (node == nullptr) return fallback;
  return std::string(trimTrailingBlanks(skipBlanks(node->text)));
}

void writeIniString(const std::string& key, const std::string& value) {
  IniDocument& document = tCurrent.document;
  if (!document.isOpen) return;
  if (document.pendingGroup) {
    document.nodes.push_back({IniNode::Kind::Group, "", std::move(*document.pendingGroup)});
    document.currentGroup = document.nodes.size() - 1;
    document.pendingGroup.reset();
  }
  if (IniNode* node = findKey(document, key)) {
    node->key = key;
    node->text = value;
  } else {
    // Key lines are only ever inserted at the end of the current section, so
    // the group line and every line of the section keep their index.
    IniSectionIndex& section = currentSection(document);
    document.nodes.insert(document.nodes.begin() + static_cast<std::ptrdiff_t>(section.end),
                          {IniNode::Kind::Key, key, value});
    section.keys.emplace(foldedName(key), section.end++);
  }
  document.changed = true;
}

bool closeIniFile() { return closeDocument(tCurrent.document); }

}  // namespace zandrel

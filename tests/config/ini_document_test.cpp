#include "config/ini_document.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <grp.h>

#include "engine/unique_fd.h"
#include "tests/support/child_process.h"
#include "tests/support/immutable.h"
#include "tests/support/process_memory.h"
#include "tests/support/temp_dir.h"
#include "tests/support/traced_child.h"

namespace zandrel {
namespace {

using namespace std::string_literals;

const std::string kDefault = "<default>";
const std::string kMark = "\xEF\xBB\xBF";

std::string replacements(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\xEF\xBF\xBD";
  return text;
}

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class IniDocumentTest : public testing::TempDirTest {
 protected:
  // A document left open would be written by the next test's first open.
  void TearDown() override {
    closeIniFile();
    TempDirTest::TearDown();
  }

  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path())) names.insert(entry.path().filename());
    return names;
  }
};

struct Read {
  std::string group;
  std::string key;
  std::optional<std::string> value;  // none: the default comes back
};

TEST_F(IniDocumentTest, ReadsFilesAsWrittenByHand) {
  const struct {
    const char* what;
    std::string bytes;
    std::vector<Read> reads;
  } cases[] = {
      {"no byte-order mark: ISO-8859-1", "k=caf\xC3\xA9", {{"", "k", "caf\xC3\x83\xC2\xA9"}}},
      {"byte-order mark: UTF-8", kMark + "k=caf\xC3\xA9", {{"", "k", "caf\xC3\xA9"}}},
      {"fewer than three bytes are ISO-8859-1", "\xEF\xBB", {{"", "\xC3\xAF\xC2\xBB", ""}}},
      {"CR, LF and CR LF end lines alike",
       "a=1\rb=2\nc=3\r\nd=4\n\r\n\r\re=5",
       {{"", "a", "1"}, {"", "b", "2"}, {"", "c", "3"}, {"", "d", "4"}, {"", "e", "5"}}},
      {"empty lines and lines of blanks are no keys",
       "\n\n \t \n[g]\r\r\n\t\nk=v\n  \n",
       {{"g", "k", "v"}, {"", "", std::nullopt}, {"g", "", std::nullopt}}},
      {"indented capitals, blanks before the equals sign",
       "[GROUP]\n   KEY \t =value",
       {{"group", "key", "value"}, {"Group", "kEY", "value"}}},
      {"only A to Z fold",
       kMark + "[\xC3\x84X]\na{=1\n",
       {{"\xC3\x84x", "a{", "1"}, {"\xC3\xA4x", "a{", std::nullopt}, {"\xC3\x84X", "a[", std::nullopt}}},
      {"only the first equals sign divides", "k = a=b = c\nempty =\n", {{"", "k", "a=b = c"}, {"", "empty", ""}}},
      {"first of two keys; other groups are not searched",
       "top=t\n[g]\nk=first\nk=second\n[h]\nonly=h\n",
       {{"g", "k", "first"}, {"g", "only", std::nullopt}, {"h", "only", "h"}, {"", "k", std::nullopt},
        {"g", "top", std::nullopt}}},
      {"only the first of two equal groups counts",
       "[g]\na=1\n[G]\na=2\nb=2\n",
       {{"g", "a", "1"}, {"g", "b", std::nullopt}}},
      {"group names keep their blanks; a missing bracket ends at the line end",
       "[ g ]\nk=spaced\n[open\nk=open\n",
       {{" g ", "k", "spaced"}, {"g", "k", std::nullopt}, {"open", "k", "open"}}},
      {"text behind the bracket is ignored", "[g] x = y\nk=v\n", {{"g", "k", "v"}, {"g", "x", std::nullopt}}},
      {"comments never answer and do not end a group",
       ";k=v\n; k = w\n;plain\n[g]\n; note\nk=in g\n",
       {{"", "k", std::nullopt}, {"", ";k", std::nullopt}, {"", "plain", std::nullopt}, {"g", "k", "in g"}}},
      {"blanks and tabs around a value are removed", "k = \t v  w \t \n", {{"", "k", "v  w"}}},
      {"a line without an equals sign is a key without value",
       "just words  \t\n=no key\n]\n",
       {{"", "just words", ""}, {"", "", "no key"}, {"", "]", ""}}},
      {"an empty group name cannot be selected", "[]\nk=v\n", {{"", "k", std::nullopt}}},
      {"NUL bytes become U+FFFD",
       "k=a\0b\n\0=z\n"s,
       {{"", "k", "a" + replacements(1) + "b"}, {"", replacements(1), "z"}}},
      {"NUL bytes in UTF-8 too", kMark + "k=a\0b"s, {{"", "k", "a" + replacements(1) + "b"}}},
      {"UTF-8 cut short at the end", kMark + "k=caf\xC3", {{"", "k", "caf" + replacements(1)}}},
      {"each byte of a bad UTF-8 sequence becomes U+FFFD",
       kMark + "k=\xFF\xC0\xAF\xED\xA0\x80x\nnext=\xE2\x82\nok=\xF0\x9F\x98\x80\xF4\x90\x80\x80",
       {{"", "k", replacements(6) + "x"}, {"", "next", replacements(2)},
        {"", "ok", "\xF0\x9F\x98\x80" + replacements(4)}}},
  };
  for (const auto& c : cases) {
    const std::string file = writeFile("case.ini", c.bytes);
    ASSERT_TRUE(openIniFile(file)) << c.what;
    for (const Read& read : c.reads) {
      selectIniGroup(read.group);
      EXPECT_EQ(readIniString(read.key, kDefault), read.value.value_or(kDefault))
          << c.what << ": [" << read.group << "] " << read.key;
    }
    closeIniFile();
    EXPECT_EQ(bytesOf(file), c.bytes) << c.what << ": reading must not write";
  }
}

TEST_F(IniDocumentTest, WritesACreatedDocumentInOrder) {
  const std::string file = path("settings.ini");
  ASSERT_TRUE(createIniFile(file));
  writeIniString("lang", "English");
  EXPECT_FALSE(selectIniGroup("algorithm"));
  EXPECT_EQ(readIniString("md5", kDefault), kDefault);
  writeIniString("md5", "1");
  writeIniString("sha1", "0");
  EXPECT_FALSE(selectIniGroup("ghost"));
  EXPECT_FALSE(selectIniGroup("attributes"));
  writeIniString("subdirs", "1");
  // A group written before is found again; its new key goes to its end, not the file's.
  EXPECT_TRUE(selectIniGroup("ALGORITHM"));
  writeIniString("crc32", "0");
  writeIniString("MD5", "0");
  EXPECT_TRUE(selectIniGroup(""));
  writeIniString("top", "t");
  EXPECT_EQ(readIniString("lang", kDefault), "English");
  closeIniFile();

  EXPECT_EQ(bytesOf(file), kMark +
                               "\n"
                               "lang = English\n"
                               "top = t\n"
                               "[algorithm]\n"
                               "MD5 = 0\n"
                               "sha1 = 0\n"
                               "crc32 = 0\n"
                               "[attributes]\n"
                               "subdirs = 1\n");
  EXPECT_EQ(entries(), std::set<std::string>{"settings.ini"});
}

TEST_F(IniDocumentTest, StoresValuesUnchanged) {
  const std::string file = path("values.ini");
  ASSERT_TRUE(createIniFile(file));
  writeIniString("padded", "  /tmp/x\t ");
  writeIniString("broken", "one\ntwo = 2");
  writeIniString("empty", "");
  EXPECT_EQ(readIniString("padded", kDefault), "/tmp/x");
  closeIniFile();
  EXPECT_EQ(bytesOf(file), kMark + "\npadded =   /tmp/x\t \nbroken = one\ntwo = 2\nempty = \n");

  ASSERT_TRUE(openIniFile(file));
  EXPECT_EQ(readIniString("padded", kDefault), "/tmp/x");
  EXPECT_EQ(readIniString("broken", kDefault), "one");
  EXPECT_EQ(readIniString("two", kDefault), "2");
  EXPECT_EQ(readIniString("empty", kDefault), "");
}

TEST_F(IniDocumentTest, RewriteChangesOneValueAndKeepsTheRest) {
  const std::string file = writeFile("old.ini", ";about\n[a]\nKEY = 1\nother=x \n; c2\n[b]\ny = caf\xE9\n");
  ASSERT_TRUE(openIniFile(file));
  ASSERT_TRUE(selectIniGroup("A"));
  writeIniString("Key", "9");
  selectIniGroup("");
  writeIniString("top", "t");
  EXPECT_FALSE(selectIniGroup("new"));
  writeIniString("z", "3");
  selectIniGroup("ghost");
  closeIniFile();

  EXPECT_EQ(bytesOf(file), kMark +
                               "\n"
                               "; about\n"
                               "top = t\n"
                               "[a]\n"
                               "Key = 9\n"
                               "other = x \n"
                               "; c2\n"
                               "[b]\n"
                               "y = caf\xC3\xA9\n"
                               "[new]\n"
                               "z = 3\n");
}

// Lines added to one group move every group behind it: a lookup afterwards
// still finds only its own group's keys, the first of two equal ones.
TEST_F(IniDocumentTest, LookupsFollowLinesAddedInFrontOfThem) {
  const std::string file = writeFile("moved.ini", "[a]\n[b]\nk = in b\nK = second\n[c]\nk = in c\n");
  ASSERT_TRUE(openIniFile(file));
  ASSERT_TRUE(selectIniGroup("b"));
  EXPECT_EQ(readIniString("k", kDefault), "in b");
  ASSERT_TRUE(selectIniGroup("c"));
  EXPECT_EQ(readIniString("K", kDefault), "in c");
  selectIniGroup("");
  writeIniString("t", "top");  // [a] now stands where [b] stood, [b] where [c] did
  ASSERT_TRUE(selectIniGroup("a"));
  EXPECT_EQ(readIniString("k", kDefault), kDefault);
  writeIniString("k", "in a");
  writeIniString("k2", "also a");
  ASSERT_TRUE(selectIniGroup("b"));
  EXPECT_EQ(readIniString("k", kDefault), "in b");
  EXPECT_EQ(readIniString("k2", kDefault), kDefault);
  writeIniString("K", "new b");
  ASSERT_TRUE(selectIniGroup("c"));
  EXPECT_EQ(readIniString("k", kDefault), "in c");
  ASSERT_TRUE(selectIniGroup("a"));
  EXPECT_EQ(readIniString("K", kDefault), "in a");
  EXPECT_EQ(readIniString("k2", kDefault), "also a");
  closeIniFile();
  EXPECT_EQ(bytesOf(file), kMark + "\nt = top\n[a]\nk = in a\nk2 = also a\n[b]\nK = new b\nK = second\n[c]\nk = in c\n");
}

TEST_F(IniDocumentTest, PlacesNewTopLevelKeys) {
  const struct {
    const char* what;
    std::string before;
    std::string after;
  } cases[] = {
      {"in front of a leading group line", "[g]\nk=v\n", kMark + "\nt = 1\n[g]\nk = v\n"},
      {"behind the last top-level line", "a=1\n;c\n[g]\n", kMark + "\na = 1\n; c\nt = 1\n[g]\n"},
      {"without mark into an empty file", "", "t = 1\n"},
  };
  for (const auto& c : cases) {
    const std::string file = writeFile("top.ini", c.before);
    ASSERT_TRUE(openIniFile(file)) << c.what;
    writeIniString("t", "1");
    closeIniFile();
    EXPECT_EQ(bytesOf(file), c.after) << c.what;
  }
}

TEST_F(IniDocumentTest, CreatedDocumentReplacesTheOldFileOnlyWhenClosed) {
  const std::string file = writeFile("settings.ini", "lang = old\n");
  ASSERT_TRUE(createIniFile(file));
  writeIniString("lang", "new");
  EXPECT_EQ(bytesOf(file), "lang = old\n");
  closeIniFile();
  EXPECT_EQ(bytesOf(file), kMark + "\nlang = new\n");

  // Nothing written leaves an empty file, whether one was there or not.
  const std::string fresh = path("fresh.ini");
  for (const std::string& target : {file, fresh}) {
    ASSERT_TRUE(createIniFile(target));
    selectIniGroup("unused");
    closeIniFile();
    EXPECT_TRUE(std::filesystem::is_regular_file(target)) << target;
    EXPECT_EQ(bytesOf(target), "") << target;
  }
  EXPECT_EQ(entries(), (std::set<std::string>{"fresh.ini", "settings.ini"}));
}

TEST_F(IniDocumentTest, CreateFailsWhereNoFileCanBeMade) {
  writeFile("plain", "x");
  writeFile("folder/inside", "kept");
  const struct {
    const char* what;
    std::string target;
  } cases[] = {
      {"folder missing", path("missing/settings.ini")},
      {"target is a folder", path("folder")},
      {"parent is a file", path("plain/settings.ini")},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(createIniFile(c.target)) << c.what;
    writeIniString("k", "v");
    EXPECT_EQ(readIniString("k", kDefault), kDefault) << c.what;
    closeIniFile();
  }
  EXPECT_EQ(entries(), (std::set<std::string>{"folder", "plain"}));
  EXPECT_EQ(bytesOf(path("plain")), "x");
  EXPECT_EQ(bytesOf(path("folder/inside")), "kept");
}

TEST_F(IniDocumentTest, OldFileStaysWhenTheReplacementIsLost) {
  const std::string file = writeFile("settings.ini", "lang = old\n");
  ASSERT_TRUE(createIniFile(file));
  writeIniString("lang", "new");
  // Take away the half-made replacement, as a cleaner or a full disk might.
  for (const std::string& name : entries()) {
    if (name != "settings.ini") std::filesystem::remove(path(name));
  }
  EXPECT_FALSE(closeIniFile());
  EXPECT_EQ(bytesOf(file), "lang = old\n");
  EXPECT_EQ(entries(), std::set<std::string>{"settings.ini"});
}

TEST_F(IniDocumentTest, OpenFailsOnWhatIsNoReadableFile) {
  symlink(path("nowhere").c_str(), path("dangling").c_str());
  makeFolder("folder");
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
  for (const char* name : {"missing", "dangling", "folder", "pipe"}) {
    const std::string target = path(name);
    EXPECT_FALSE(openIniFile(target)) << name;
    EXPECT_FALSE(selectIniGroup("g")) << name;
    EXPECT_TRUE(selectIniGroup("")) << name;
    writeIniString("k", "v");
    EXPECT_EQ(readIniString("k", kDefault), kDefault) << name;
    closeIniFile();
  }
  EXPECT_EQ(entries(), (std::set<std::string>{"dangling", "folder", "pipe"}));
  EXPECT_TRUE(std::filesystem::is_empty(path("folder")));
}

// Files up to the limit are read to their end; a file one byte longer
// opens as none, as an unreadable one does.
TEST_F(IniDocumentTest, ReadsAFileUpToTheLimitToItsEnd) {
  const std::string head = "[g]\nfirst = 1\n";
  const std::string tail = "\n[late]\nlang = Deutsch\nmd5 = 1\n";
  const std::string filler(kIniMaxFileBytes - head.size() - tail.size(), ';');
  const std::string file = writeFile("huge.ini", head + filler + tail);
  ASSERT_EQ(std::filesystem::file_size(file), kIniMaxFileBytes);
  ASSERT_TRUE(openIniFile(file));
  ASSERT_TRUE(selectIniGroup("g"));
  EXPECT_EQ(readIniString("first", kDefault), "1");
  ASSERT_TRUE(selectIniGroup("late"));
  EXPECT_EQ(readIniString("lang", kDefault), "Deutsch");
  EXPECT_EQ(readIniString("md5", kDefault), "1");
  closeIniFile();

  const std::string over = writeFile("over.ini", head + filler + ";" + tail);
  EXPECT_FALSE(openIniFile(over));
  EXPECT_FALSE(selectIniGroup("g"));
  EXPECT_EQ(readIniString("first", kDefault), kDefault);
  closeIniFile();
  EXPECT_EQ(std::filesystem::file_size(over), kIniMaxFileBytes + 1);

  // A long list the program wrote itself, within the limit, reads back whole.
  ASSERT_TRUE(createIniFile(file));
  selectIniGroup("locations");
  for (int i = 1; i <= 60; ++i) writeIniString(std::to_string(i), std::string(100000, 'a' + i % 26));
  ASSERT_TRUE(closeIniFile());
  ASSERT_TRUE(openIniFile(file));
  ASSERT_TRUE(selectIniGroup("locations"));
  EXPECT_EQ(readIniString("60", kDefault), std::string(100000, 'a' + 60 % 26));
  closeIniFile();

  // A document that would not read back is not written: the old file stays.
  const std::string before = testing::readAll(file);
  ASSERT_TRUE(createIniFile(file));
  writeIniString("big", std::string(kIniMaxFileBytes, 'b'));
  EXPECT_FALSE(closeIniFile());
  EXPECT_EQ(testing::readAll(file), before);
  EXPECT_EQ(entries(), (std::set<std::string>{"huge.ini", "over.ini"}));
}

TEST_F(IniDocumentTest, SurvivesBinaryFiles) {
  std::string noise(256 * 1024, '\0');
  uint32_t state = 12345;
  for (char& byte : noise) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 24);
  }
  for (const std::string& bytes : {noise, kMark + noise}) {
    const std::string file = writeFile("binary.ini", bytes);
    ASSERT_TRUE(openIniFile(file));
    selectIniGroup("");
    writeIniString("k", "v");
    closeIniFile();
    ASSERT_TRUE(openIniFile(file));
    EXPECT_EQ(readIniString("k", kDefault), "v");
    closeIniFile();
  }
}

TEST_F(IniDocumentTest, ReadsGiveDefaultsWithoutADocument) {
  const std::string file = writeFile("a.ini", "k=a\n");
  EXPECT_EQ(readIniString("k", kDefault), kDefault);
  ASSERT_TRUE(openIniFile(file));
  EXPECT_EQ(readIniString("k", kDefault), "a");
  closeIniFile();
  EXPECT_EQ(readIniString("k", kDefault), kDefault);
}

TEST_F(IniDocumentTest, OpeningAnotherDocumentWritesTheOpenOne) {
  const std::string first = path("first.ini");
  const std::string second = writeFile("second.ini", "k=second\n");
  ASSERT_TRUE(createIniFile(first));
  writeIniString("k", "first");
  ASSERT_TRUE(openIniFile(second));
  EXPECT_EQ(bytesOf(first), kMark + "\nk = first\n");
  EXPECT_EQ(readIniString("k", kDefault), "second");
}

TEST_F(IniDocumentTest, EachThreadHasItsOwnDocument) {
  const std::string mine = writeFile("mine.ini", "k=mine\n");
  const std::string theirs = writeFile("theirs.ini", "k=theirs\n");
  const std::string left = path("left.ini");
  ASSERT_TRUE(openIniFile(mine));

  std::string before, during;
  std::thread([&] {
    before = readIniString("k", kDefault);
    if (openIniFile(theirs)) during = readIniString("k", kDefault);
    closeIniFile();
    // Left open on purpose: the thread's end closes and writes it.
    if (createIniFile(left)) writeIniString("k", "left");
  }).join();

  EXPECT_EQ(before, kDefault);
  EXPECT_EQ(during, "theirs");
  EXPECT_EQ(readIniString("k", kDefault), "mine");
  EXPECT_EQ(bytesOf(left), kMark + "\nk = left\n");
}

TEST_F(IniDocumentTest, WritesThroughASymbolicLink) {
  const std::string real = writeFile("real/settings.ini", "k = old\n");
  const std::string link = path("settings.ini");
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  ASSERT_TRUE(createIniFile(link));
  writeIniString("k", "new");
  closeIniFile();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(bytesOf(real), kMark + "\nk = new\n");
}

// A file that grows while it is read (the reader is held at its first read
// while the file grows) is read up to the limit, and not a byte beyond.
TEST_F(IniDocumentTest, AFileThatGrowsWhileItIsReadIsHeldToTheLimit) {
  const struct {
    const char* what;
    size_t grownTo;
    int result;  // 1 opened and read to its end, 0 opened as none
  } cases[] = {
      {"grows to the limit", kIniMaxFileBytes, 1},
      {"grows one byte past the limit", kIniMaxFileBytes + 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string head = "0 = first\n";
    const std::string tail = "\nlast = 1\n";
    const std::string file = writeFile("grows.lng", head);
    const std::string seen = std::filesystem::canonical(file).string();
    bool grown = false;
    const int result = testing::exitCodeTraced(
        [&] {
          const bool opened = openIniFile(file);
          const bool toTheEnd = readIniString("last", kDefault) == "1";
          closeIniFile();
          return opened ? (toTheEnd ? 1 : 2) : 0;
        },
        [&](pid_t child, const testing::SyscallEntry& call) {
          if (grown || call.entry.nr != SYS_read || testing::pathOfChildFd(child, call.entry.args[0]) != seen) return;
          std::ofstream(file, std::ios::binary | std::ios::app)
              << std::string(c.grownTo - head.size() - tail.size(), ';') << tail;
          grown = true;
        });
    if (result == testing::kNotTraced) GTEST_SKIP() << "cannot trace a child";
    ASSERT_TRUE(grown);
    EXPECT_EQ(std::filesystem::file_size(file), c.grownTo);
    EXPECT_EQ(result, c.result);
  }
}

// A document is written while the next start would read it whole: up to
// exactly the limit, and not one byte more, where the old file stays.
TEST_F(IniDocumentTest, ADocumentIsWrittenUpToTheLimitAndNotOneByteMore) {
  const std::string framing = kMark + "\nk = \n";
  const struct {
    const char* what;
    size_t size;
    bool written;
  } cases[] = {
      {"exactly the limit", kIniMaxFileBytes, true},
      {"one byte over the limit", kIniMaxFileBytes + 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string old = "k = old\n";
    const std::string file = writeFile("settings.ini", old);
    const std::string value(c.size - framing.size(), 'v');
    ASSERT_TRUE(createIniFile(file));
    writeIniString("k", value);
    EXPECT_EQ(closeIniFile(), c.written);
    if (c.written) {
      EXPECT_EQ(std::filesystem::file_size(file), c.size);
      ASSERT_TRUE(openIniFile(file));
      EXPECT_TRUE(readIniString("k", kDefault) == value);
      closeIniFile();
    } else {
      EXPECT_EQ(bytesOf(file), old);
    }
    EXPECT_EQ(entries(), std::set<std::string>{"settings.ini"});
  }
}

// ---------------------------------------------------------------------------
// Who may save, and saves that fail

constexpr uid_t kNobody = 65534;
constexpr int kNoChild = 99;

// Runs body in a child process, as user and group 65534 when asked, and
// returns its exit code; kNoChild when the child could not be started as asked.
int inChild(bool asNobody, const std::function<int()>& body, rlim_t fileSizeLimit = RLIM_INFINITY) {
  const int code = testing::exitCodeInChild([&] {
    if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) return kNoChild;
    if (fileSizeLimit != RLIM_INFINITY) {
      // Writes past the limit fail with EFBIG instead of ending the process.
      signal(SIGXFSZ, SIG_IGN);
      if (!testing::limitResource(RLIMIT_FSIZE, fileSizeLimit)) return kNoChild;
    }
    return body();
  });
  return code;
}

// 1 when createIniFile succeeds, 2 more when closeIniFile does too.
int save(const std::string& file, const std::string& value) {
  if (!createIniFile(file)) return 0;
  writeIniString("k", value);
  return closeIniFile() ? 3 : 1;
}

// A settings file kept in a dotfiles repository, by a second name or by a
// link to a file that is not there yet: the save goes to the repository's
// file, and every name and the link stay as they were.
TEST_F(IniDocumentTest, ASaveReachesTheFileOfEveryNameAndLink) {
  const std::string fresh = kMark + "\nk = new\n";
  const std::string repo = makeFolder("repo");
  const std::string linked = writeFile("settings.ini", "k = old\n");
  ASSERT_EQ(link(linked.c_str(), (repo + "/settings.ini").c_str()), 0);
  ASSERT_EQ(save(linked, "new"), 3);
  EXPECT_EQ(bytesOf(linked), fresh);
  EXPECT_EQ(bytesOf(repo + "/settings.ini"), fresh);
  EXPECT_EQ(std::filesystem::hard_link_count(linked), 2u);

  const std::string language = path("Deutsch.lng");
  ASSERT_EQ(symlink("repo/Deutsch.lng", language.c_str()), 0);
  ASSERT_EQ(save(language, "new"), 3);
  EXPECT_TRUE(std::filesystem::is_symlink(language));
  EXPECT_EQ(bytesOf(repo + "/Deutsch.lng"), fresh);

  // Where the link points into a folder that does not exist, nothing is made.
  const std::string nowhere = path("Nowhere.lng");
  ASSERT_EQ(symlink("missing/Nowhere.lng", nowhere.c_str()), 0);
  EXPECT_EQ(save(nowhere, "new"), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(nowhere));
  EXPECT_FALSE(std::filesystem::exists(path("missing")));
  EXPECT_EQ(entries(), (std::set<std::string>{"Deutsch.lng", "Nowhere.lng", "repo", "settings.ini"}));
  EXPECT_EQ(testing::namesIn(repo), (std::vector<std::string>{"Deutsch.lng", "settings.ini"}));
}


class IniSaveTest : public IniDocumentTest {
 protected:
  void SetUp() override {
    IniDocumentTest::SetUp();
    chmod(path().c_str(), 0755);  // user 65534 may pass through
  }
  // A folder with one file in it, both with the given modes.
  std::string placeFile(const std::string& folder, mode_t folderMode, mode_t fileMode) {
    const std::string file = writeFile(folder + "/settings.ini", "k = old\n");
    chmod(file.c_str(), fileMode);
    chmod(path(folder).c_str(), folderMode);
    return file;
  }
};

TEST_F(IniSaveTest, OnlyAFileTheUserMayWriteIsReplaced) {
  const std::string fresh = kMark + "\nk = new\n";
  const struct {
    const char* what;
    mode_t folderMode, fileMode;
    int result;  // of save()
    std::string after;
  } cases[] = {
      {"read-only file in a writable folder", 0777, 0444, 0, "k = old\n"},
      {"writable file in a read-only folder: written in place", 0755, 0666, 3, fresh},
      {"another user's writable file in a writable folder: written in place", 0777, 0666, 3, fresh},
      {"file and folder read-only", 0755, 0444, 0, "k = old\n"},
      {"another user's writable file in a sticky folder: written in place", 01777, 0666, 3, fresh},
      {"another user's read-only file in a sticky folder", 01777, 0644, 0, "k = old\n"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = "case" + std::to_string(n++);
    const std::string file = placeFile(folder, c.folderMode, c.fileMode);
    const int result = inChild(true, [&] { return save(file, "new"); });
    if (result == kNoChild) GTEST_SKIP() << "cannot run a save as user 65534 (needs root)";
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(bytesOf(file), c.after);
    EXPECT_EQ(testing::namesIn(path(folder)), std::vector<std::string>{"settings.ini"});
    struct stat status;
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.fileMode);
    EXPECT_EQ(status.st_uid, getuid());  // the saving user, who may not give a file away, does not take it
  }
  // No file yet, and a folder that takes none.
  makeFolder("empty");
  chmod(path("empty").c_str(), 0755);
  EXPECT_EQ(inChild(true, [&] { return save(path("empty/settings.ini"), "new"); }), 0);
  EXPECT_TRUE(std::filesystem::is_empty(path("empty")));
}

TEST_F(IniSaveTest, TheReplacedFileKeepsItsModeAndOwner) {
  const std::string file = writeFile("settings.ini", "k = old\n");
  chmod(file.c_str(), 0640);
  const bool chowned = chown(file.c_str(), kNobody, kNobody) == 0;
  ASSERT_EQ(save(file, "new"), 3);
  EXPECT_EQ(bytesOf(file), kMark + "\nk = new\n");
  struct stat status;
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  if (chowned) {
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNobody);
  }
}

TEST_F(IniSaveTest, AnImmutableFileIsRefusedAndKept) {
  const std::string file = writeFile("settings.ini", "k = old\n");
  const testing::ImmutableFlag locked(file);
  if (!locked.set()) GTEST_SKIP() << "the file system or user cannot set the immutable flag (chattr +i)";
  EXPECT_EQ(save(file, "new"), 0);
  EXPECT_EQ(bytesOf(file), "k = old\n");
  EXPECT_EQ(entries(), std::set<std::string>{"settings.ini"});
}

// A write that fails half-way (the file-size limit stands in for a full disk)
// is reported, and the old file stays byte for byte.
TEST_F(IniSaveTest, AFailedWriteLeavesTheOldFile) {
  const std::string big(100000, 'x');
  const std::string file = writeFile("settings.ini", "k = old\n");
  EXPECT_EQ(inChild(false, [&] { return save(file, big); }, 4096), 1);
  EXPECT_EQ(bytesOf(file), "k = old\n");
  EXPECT_EQ(entries(), std::set<std::string>{"settings.ini"});

  // Written in place, as the folder takes no temporary file.
  const std::string inPlace = placeFile("locked", 0755, 0666);
  const int result = inChild(true, [&] { return save(inPlace, big); }, 4096);
  if (result == kNoChild) GTEST_SKIP() << "cannot run a save as user 65534 (needs root)";
  EXPECT_EQ(result, 1);
  EXPECT_EQ(bytesOf(inPlace), "k = old\n");

  // An old file above the limit: a rewrite in place that cannot finish would
  // cut it, and so would putting it back.
  const std::string longOld = "k = " + std::string(6000, 'o') + "\n";
  const std::string large = placeFile("large", 0755, 0666);
  writeFile("large/settings.ini", longOld);
  EXPECT_EQ(inChild(true, [&] { return save(large, big); }, 4096), 1);
  EXPECT_EQ(bytesOf(large), longOld);
  EXPECT_EQ(testing::namesIn(path("large")), std::vector<std::string>{"settings.ini"});
}

// A settings file of any claimed size (sparse, so it takes no space) opens as
// none without being read: the open takes no memory to speak of and gives the
// defaults. Each runs in a child whose memory is limited, so a reader that
// took the file in whole could not take the machine's memory with it.
TEST_F(IniDocumentTest, AHugeFileOpensAsNoneAndTakesNoMemory) {
  const struct {
    const char* what;
    uintmax_t size;
  } cases[] = {
      {"16 GiB, sparse", uintmax_t{16} << 30},
      {"100 MB of zero bytes", 100'000'000},
      {"one byte over the limit", kIniMaxFileBytes + 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = writeFile("settings.ini", "lang = Deutsch\n");
    std::filesystem::resize_file(file, c.size);
    const int code = testing::exitCodeInChild([&] {
#ifndef ZANDREL_ASAN  // its shadow memory takes more address space than any limit would leave
      const long size = testing::statusKiB("VmSize");
      if (size < 0 || !testing::limitResource(RLIMIT_AS, (static_cast<rlim_t>(size) << 10) + (rlim_t{256} << 20))) {
        return kNoChild;
      }
#endif
      const long before = testing::statusKiB("VmHWM");
      const bool opened = openIniFile(file);
      const bool fallback = readIniString("lang", kDefault) == kDefault;
      const long grown = testing::statusKiB("VmHWM") - before;
      if (opened || !fallback) return 1;
      return before >= 0 && grown < 4096 ? 0 : 2;
    });
    ASSERT_NE(code, -1) << "the open ended the process";
    if (code == kNoChild) GTEST_SKIP() << "cannot limit the child's memory";
    EXPECT_EQ(code, 0) << (code == 1 ? "the file opened" : "the open took memory");
    EXPECT_EQ(std::filesystem::file_size(file), c.size);
  }
}

}  // namespace
}  // namespace zandrel

#include "engine/hash_passes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/file_id.h"
#include "engine/search_state.h"
#include "engine/size_grouping.h"
#include "tests/engine/crc_forge.h"
#include "tests/engine/search_state_test.h"

namespace zandrel {
namespace {

constexpr HashKind kKinds[] = {HashKind::Crc32, HashKind::Md5, HashKind::Sha1};

const char* kindName(HashKind kind) { return hashKindName(kind); }

const std::string& hashText(const FileEntry& entry, HashKind kind) { return entry.*hashField(kind); }

// The text of the file the path names now, as a pass would take it.
std::optional<std::string> fingerprintOf(const std::string& file, int64_t size, HashKind kind) {
  return fingerprintFile(file, size, fileIdOf(file).value_or(FileId{}), kind);
}

// The text a pass should write, computed in one call over the whole content.
std::string referenceText(const std::string& content, HashKind kind) {
  const auto* data = reinterpret_cast<const unsigned char*>(content.data());
  char text[3 * EVP_MAX_MD_SIZE];
  if (kind == HashKind::Crc32) {
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(crc32_z(0, data, content.size())));
    return text;
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  EXPECT_EQ(EVP_Digest(data, content.size(), digest, &length, kind == HashKind::Md5 ? EVP_md5() : EVP_sha1(), nullptr),
            1);
  for (unsigned i = 0; i < length; ++i) std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
  return std::string(text, 2 * length);
}

// Bytes that never repeat with a block's period, so a lost or doubled block shows.
std::string patternContent(size_t size) {
  std::string content(size, '\0');
  for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 31 + (i >> 11) * 7) & 0xFF);
  return content;
}

class HashPassTest : public testing::SearchStateTest {
 protected:
  // Sets gFileEntries to the files in the given (path) order with their sizes
  // and identities on disk.
  void setEntries(const std::vector<std::string>& names) {
    gFileEntries.clear();
    for (const std::string& name : names) {
      std::error_code error;
      const auto size = std::filesystem::file_size(path(name), error);
      FileEntry entry{path(name), error ? 0 : static_cast<int64_t>(size), {}, {}, {}};
      entry.fileId = fileIdOf(path(name)).value_or(FileId{});
      gFileEntries.push_back(std::move(entry));
    }
  }

  std::vector<std::string> survivors() const {
    std::vector<std::string> names;
    for (const FileEntry& entry : gFileEntries) names.push_back(entry.filePath.substr(path().size() + 1));
    return names;
  }
};

TEST_F(HashPassTest, WritesTheTextForms) {
  const struct {
    std::string content;
    const char* crc32;
    const char* md5;
    const char* sha1;
  } cases[] = {
      {"a", "E8B7BE43", "0cc175b9c0f1b6a831c399e269772661", "86f7e437faa5a7fce15d1ddcb9eaeaea377667b8"},
      {"c", "6B9DF6F", "4a8a08f09d37b73795649038408b5f33", "84a516841ba77a5b4648de2cd0dfcb30ea46dbb4"},
      {"", "0", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "352441C2", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d"},
  };
  for (const auto& c : cases) {
    const std::string file = writeFile("known", c.content);
    const auto size = static_cast<int64_t>(c.content.size());
    EXPECT_EQ(fingerprintOf(file, size, HashKind::Crc32), c.crc32) << '"' << c.content << '"';
    EXPECT_EQ(fingerprintOf(file, size, HashKind::Md5), c.md5) << '"' << c.content << '"';
    EXPECT_EQ(fingerprintOf(file, size, HashKind::Sha1), c.sha1) << '"' << c.content << '"';
  }
}

TEST_F(HashPassTest, FingerprintsContentSpanningSeveralBlocks) {
  // 512 KiB and 1 MiB are the read block sizes: exact multiples end on a full block.
  for (const size_t size : {size_t{524288}, size_t{1048576}, size_t{1572864} + 7}) {
    const std::string content = patternContent(size);
    const std::string file = writeFile("large", content);
    for (const HashKind kind : kKinds) {
      EXPECT_EQ(fingerprintOf(file, static_cast<int64_t>(size), kind), referenceText(content, kind))
          << kindName(kind) << ", " << size << " bytes";
    }
  }
}

TEST_F(HashPassTest, UnreadableFileHasNoText) {
  const std::string missing = path("missing");
  const std::string dangling = path("dangling");
  std::filesystem::create_symlink(path("nowhere"), dangling);
  const std::string folder = makeFolder("folder");  // opens, but reading fails
  for (const HashKind kind : kKinds) {
    for (const std::string& file : {missing, dangling, folder}) {
      EXPECT_EQ(fingerprintOf(file, 0, kind), std::nullopt) << kindName(kind) << ": " << file;
    }
  }
}

TEST_F(HashPassTest, ContentOfAnotherSizeHasNoText) {
  const std::string file = writeFile("five", "12345");
  for (const HashKind kind : kKinds) {
    for (const int64_t size : {int64_t{4}, int64_t{6}, int64_t{0}, int64_t{-1}}) {
      EXPECT_EQ(fingerprintOf(file, size, kind), std::nullopt) << kindName(kind) << ", size " << size;
    }
  }
}

// Between the size pass and a hash pass the disk may change under the search.
// What took a file's place must neither be read without end nor pass for the
// file the size pass saw.
TEST_F(HashPassTest, FileChangedAfterTheSizePassLeavesTheSearch) {
  namespace fs = std::filesystem;
  const std::string content = patternContent(5000);
  const struct {
    const char* what;
    std::function<void(const std::string&)> change;
  } cases[] = {
      {"swapped for a link to a pipe",
       [&](const std::string& victim) {
         ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
         fs::remove(victim);
         fs::create_symlink(path("fifo"), victim);
       }},
      {"swapped for a link to a character device",
       [](const std::string& victim) {
         fs::remove(victim);
         fs::create_symlink("/dev/zero", victim);
       }},
      {"grown", [](const std::string& victim) { std::ofstream(victim, std::ios::app) << "more"; }},
      {"shortened", [](const std::string& victim) { fs::resize_file(victim, 4000); }},
      {"swapped for a folder",
       [](const std::string& victim) {
         fs::remove(victim);
         fs::create_directory(victim);
       }},
  };
  for (const HashKind kind : kKinds) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(kindName(kind)) + ", " + c.what);
      for (const char* name : {"a1", "a2", "victim"}) writeFile(name, content);
      gPathList = {path("a1"), path("a2"), path("victim")};
      collectFileSizes();
      groupBySize();
      ASSERT_EQ(gFileEntries.size(), 3u);
      c.change(path("victim"));
      // A writer on the pipe: even with data waiting, it is not read.
      const int writer = ::open(path("fifo").c_str(), O_RDWR | O_NONBLOCK);
      if (writer >= 0) {
        ASSERT_EQ(::write(writer, "data", 4), 4);
      }
      runHashPass(kind);
      if (writer >= 0) ::close(writer);
      EXPECT_EQ(survivors(), (std::vector<std::string>{"a1", "a2"}));
      EXPECT_EQ(testing::openFilesUnder(path()), 0);
      clearFolder();
    }
  }
}

// A path swapped after the size pass for a link to another file of its size
// must not take that file's fingerprint: one file would show as a group of
// two of its own paths. Whatever pass comes next, the path leaves there.
TEST_F(HashPassTest, PathSwappedForALinkToAnotherFileLeavesTheSearch) {
  namespace fs = std::filesystem;
  const std::string content = patternContent(5000);
  const struct {
    const char* what;
    std::function<void(const std::string&)> link;
  } swaps[] = {
      {"hard link to a file of the search",
       [&](const std::string& victim) { fs::create_hard_link(path("p1"), victim); }},
      {"symbolic link to a file of the search",
       [&](const std::string& victim) { fs::create_symlink(path("p1"), victim); }},
      {"symbolic link to a copy outside the search",
       [&](const std::string& victim) { fs::create_symlink(path("outside"), victim); }},
  };
  for (const auto& swap : swaps) {
    for (const HashKind swappedBefore : kKinds) {
      SCOPED_TRACE(std::string(swap.what) + ", made before the " + kindName(swappedBefore) + " pass");
      // Separate copies: each path of the search is a duplicate until the swap.
      for (const char* name : {"p1", "p2", "u1", "outside"}) writeFile(name, content);
      clearSearchLists();
      gPathList = {path("p1"), path("p2"), path("u1")};
      collectFileSizes();
      groupBySize();
      ASSERT_EQ(gFileEntries.size(), 3u);
      for (const HashKind kind : kKinds) {
        if (kind == swappedBefore) {
          ASSERT_TRUE(fs::remove(path("u1")));
          swap.link(path("u1"));
        }
        runHashPass(kind);
      }
      EXPECT_EQ(survivors(), (std::vector<std::string>{"p1", "p2"}));
      // And no two paths that are left lead to one file.
      std::unordered_set<FileId, FileIdHash> files;
      for (const FileEntry& entry : gFileEntries) {
        EXPECT_TRUE(files.insert(fileIdOf(entry.filePath).value_or(FileId{})).second) << entry.filePath;
      }
      clearFolder();
    }
  }
}

TEST_F(HashPassTest, EmptyLookingFileWithContentLeavesTheSearch) {
  // Files under /proc report size 0 and still yield data.
  writeFile("e1", "");
  writeFile("e2", "");
  std::filesystem::create_symlink("/proc/self/status", path("status"));
  gPathList = {path("e1"), path("e2"), path("status")};
  collectFileSizes();
  groupBySize();
  ASSERT_EQ(gFileEntries.size(), 3u);
  for (const HashKind kind : kKinds) {
    SCOPED_TRACE(kindName(kind));
    std::vector<FileEntry> entries = gFileEntries;
    runHashPass(kind);
    EXPECT_EQ(survivors(), (std::vector<std::string>{"e1", "e2"}));
    gFileEntries = entries;
  }
}

TEST_F(HashPassTest, KeepsEqualPairAndDropsUnequalPair) {
  writeFile("a1", "same");
  writeFile("a2", "same");
  writeFile("b1", "left");
  writeFile("b2", "rite");
  for (const HashKind kind : kKinds) {
    SCOPED_TRACE(kindName(kind));
    setEntries({"a1", "a2"});
    runHashPass(kind);
    EXPECT_EQ(survivors(), (std::vector<std::string>{"a1", "a2"}));
    for (const FileEntry& entry : gFileEntries) EXPECT_EQ(hashText(entry, kind), referenceText("same", kind));

    setEntries({"b1", "b2"});
    runHashPass(kind);
    EXPECT_TRUE(gFileEntries.empty());
  }
}

TEST_F(HashPassTest, DropsTheOddOneWhereverItSorts) {
  // Contents of one size; per algorithm, the ones whose texts sort first and last.
  std::vector<std::string> contents;
  for (char c = '0'; c <= '9'; ++c) contents.push_back(std::string("k") + c);
  for (const HashKind kind : kKinds) {
    const auto byText = [kind](const std::string& a, const std::string& b) {
      return referenceText(a, kind) < referenceText(b, kind);
    };
    const std::string lowest = *std::min_element(contents.begin(), contents.end(), byText);
    const std::string highest = *std::max_element(contents.begin(), contents.end(), byText);
    const struct {
      const char* where;
      std::string pair, odd;
    } sortings[] = {{"odd sorts last", lowest, highest}, {"odd sorts first", highest, lowest}};
    for (const auto& sorting : sortings) {
      for (int oddAt = 0; oddAt < 3; ++oddAt) {
        SCOPED_TRACE(std::string(kindName(kind)) + ", " + sorting.where + ", odd path " + std::to_string(oddAt));
        std::vector<std::string> names, expected;
        for (int i = 0; i < 3; ++i) {
          const std::string name = "p" + std::to_string(i);
          writeFile(name, i == oddAt ? sorting.odd : sorting.pair);
          names.push_back(name);
          if (i != oddAt) expected.push_back(name);
        }
        setEntries(names);
        runHashPass(kind);
        EXPECT_EQ(survivors(), expected);
      }
    }
  }
}

TEST_F(HashPassTest, GroupsFollowTextOrderAndKeepPathOrderInside) {
  // Interleaved groups with a file of its own; the long list goes beyond what
  // an unstable sort would still keep in order by chance.
  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i) many.push_back(std::string(1, "ABC"[i * 7 % 3]) + "x");
  const std::vector<std::string> contents[] = {{"AA", "BB", "AA", "BB", "AA", "CC"}, many};
  for (const HashKind kind : kKinds) {
    for (const std::vector<std::string>& files : contents) {
      SCOPED_TRACE(std::string(kindName(kind)) + ", " + std::to_string(files.size()) + " files");
      std::vector<std::string> names;
      for (size_t i = 0; i < files.size(); ++i) {
        names.push_back((i < 10 ? "p0" : "p") + std::to_string(i));
        writeFile(names.back(), files[i]);
      }
      // Expected: groups in text order, each in path order, single files gone.
      std::vector<std::string> distinct = files;
      std::sort(distinct.begin(), distinct.end(), [kind](const std::string& a, const std::string& b) {
        return referenceText(a, kind) < referenceText(b, kind);
      });
      distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
      std::vector<std::string> expected;
      for (const std::string& content : distinct) {
        if (std::count(files.begin(), files.end(), content) < 2) continue;
        for (size_t i = 0; i < files.size(); ++i) {
          if (files[i] == content) expected.push_back(names[i]);
        }
      }
      setEntries(names);
      runHashPass(kind);
      EXPECT_EQ(survivors(), expected);
    }
  }
}

TEST_F(HashPassTest, WritesOnlyItsOwnField) {
  writeFile("a1", "twin");
  writeFile("a2", "twin");
  for (const HashKind kind : kKinds) {
    SCOPED_TRACE(kindName(kind));
    setEntries({"a1", "a2"});
    runHashPass(kind);
    ASSERT_EQ(gFileEntries.size(), 2u);
    for (const FileEntry& entry : gFileEntries) {
      for (const HashKind other : kKinds) {
        EXPECT_EQ(hashText(entry, other), other == kind ? referenceText("twin", kind) : "") << kindName(other);
      }
    }
  }
}

TEST_F(HashPassTest, PassesInSequenceKeepEarlierTexts) {
  writeFile("d1", "dup");
  writeFile("d2", "dup");
  writeFile("u1", "one");
  writeFile("u2", "two");
  setEntries({"d1", "d2", "u1", "u2"});
  for (const HashKind kind : kKinds) runHashPass(kind);
  EXPECT_EQ(survivors(), (std::vector<std::string>{"d1", "d2"}));
  for (const FileEntry& entry : gFileEntries) {
    for (const HashKind kind : kKinds) EXPECT_EQ(hashText(entry, kind), referenceText("dup", kind)) << kindName(kind);
  }
}

TEST_F(HashPassTest, UnreadableFilesLeaveTheSearch) {
  // Empty files fingerprint like the failure texts of older builds ("0", empty);
  // the unreadable ones must not pair up with them or with each other.
  for (const HashKind kind : kKinds) {
    SCOPED_TRACE(kindName(kind));
    const struct {
      const char* what;
      std::vector<std::string> unreadable, empty, expected;
    } cases[] = {
        {"two unreadable and one empty", {"gone1", "gone2"}, {"empty1"}, {}},
        {"two unreadable and two empty", {"gone1", "gone2"}, {"empty1", "empty2"}, {"empty1", "empty2"}},
        {"one unreadable and one empty", {"gone1"}, {"empty1"}, {}},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      std::vector<std::string> names = c.unreadable;
      names.insert(names.end(), c.empty.begin(), c.empty.end());
      std::sort(names.begin(), names.end());
      for (const std::string& name : names) writeFile(name, "");
      setEntries(names);
      // Gone after the size grouping saw them: one removed, one left as a dangling link.
      for (size_t i = 0; i < c.unreadable.size(); ++i) {
        ASSERT_TRUE(std::filesystem::remove(path(c.unreadable[i])));
        if (i % 2 == 1) std::filesystem::create_symlink(path("nowhere"), path(c.unreadable[i]));
      }
      runHashPass(kind);
      EXPECT_EQ(survivors(), c.expected);
      for (const std::string& name : names) std::filesystem::remove(path(name));
    }
  }
}

TEST_F(HashPassTest, FolderWhoseReadFailsLeavesTheSearch) {
  makeFolder("f1");
  makeFolder("f2");
  writeFile("z", "");
  for (const HashKind kind : kKinds) {
    SCOPED_TRACE(kindName(kind));
    setEntries({"f1", "f2", "z"});
    for (FileEntry& entry : gFileEntries) entry.fileSize = 0;
    runHashPass(kind);
    EXPECT_TRUE(gFileEntries.empty());
  }
}

TEST_F(HashPassTest, EqualTextsOfDifferentSizesNeverGroup) {
  // Forged CRC-32 collisions: every file below has the CRC-32 0x1234ABCD.
  const struct {
    std::vector<int64_t> sizes;
    std::vector<int64_t> expected;
  } cases[] = {
      {{10, 11}, {}},
      {{10, 11, 10}, {10, 10}},
      {{11, 10, 11}, {11, 11}},
      {{10, 11, 12, 11, 10}, {10, 10, 11, 11}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.sizes.size()) + " entries");
    std::vector<std::string> names;
    for (size_t i = 0; i < c.sizes.size(); ++i) {
      names.push_back("p" + std::to_string(i));
      const std::string prefix(static_cast<size_t>(c.sizes[i]) - 4, static_cast<char>('a' + i));
      writeFile(names.back(), testing::withCrc32(prefix, 0x1234ABCD));
    }
    setEntries(names);
    runHashPass(HashKind::Crc32);
    std::vector<int64_t> sizes;
    for (const FileEntry& entry : gFileEntries) {
      sizes.push_back(entry.fileSize);
      EXPECT_EQ(entry.crc32Hex, "1234ABCD");
    }
    EXPECT_EQ(sizes, c.expected);
  }
}

TEST_F(HashPassTest, CountsOneProgressStepPerFile) {
  writeFile("a1", "pair");
  writeFile("a2", "pair");
  writeFile("b1", "solo");
  setEntries({"a1", "a2", "b1", "gone"});  // the missing one is counted too
  runHashPass(HashKind::Crc32);
  EXPECT_EQ(gSearchProgress.load(), 4);
  runHashPass(HashKind::Md5);  // counts on over the two that are left
  EXPECT_EQ(gSearchProgress.load(), 6);
}

// Many files of few sizes: copies, chance CRC-32 collisions forged within a
// size and across sizes, files of their own and one that cannot be read.
// However the files are spread over threads, every pass leaves exactly what
// one thread leaves.
TEST_F(HashPassTest, ManyThreadsLeaveWhatOneThreadLeaves) {
  std::mt19937 random(7);
  const auto randomText = [&](size_t size) {
    std::string text(size, '\0');
    for (char& c : text) c = static_cast<char>(random() & 0xFF);
    return text;
  };
  const size_t sizes[] = {40, 41, 600, 70000};
  std::vector<std::string> names;
  std::vector<std::string> contents;
  for (int i = 0; i < 400; ++i) {
    const size_t size = sizes[random() % std::size(sizes)];
    const unsigned roll = random() % 10;
    std::string content;
    if (roll < 3 && !contents.empty()) {
      content = contents[random() % contents.size()];  // a copy, of its own size
    } else if (roll < 7 && !contents.empty()) {
      // Same CRC-32 as an earlier file, other content; half of them of another size.
      const std::string& other = contents[random() % contents.size()];
      const size_t forgedSize = roll < 5 ? other.size() : size;
      content = testing::withCrc32(randomText(forgedSize - 4), testing::crc32Of(other));
    } else {
      content = randomText(size);
    }
    contents.push_back(content);
    char name[16];
    std::snprintf(name, sizeof name, "f%03d", i);
    names.push_back(name);
    writeFile(name, content);
  }
  names.push_back("gone");  // listed, then removed before the passes
  std::sort(names.begin(), names.end());

  const std::vector<std::vector<HashKind>> searches = {
      {HashKind::Crc32}, {HashKind::Md5}, {HashKind::Crc32, HashKind::Md5, HashKind::Sha1}};
  for (const auto& passes : searches) {
    std::vector<FileEntry> oneThread;
    for (const unsigned threads : {1u, 3u, 16u}) {
      SCOPED_TRACE(std::to_string(passes.size()) + " passes, " + std::to_string(threads) + " threads");
      setHashThreadCount(threads);
      setEntries(names);
      for (const HashKind kind : passes) runHashPass(kind);
      if (threads == 1) {
        oneThread = gFileEntries;
        // The tree does hold groups, collisions that the later passes split, and files that go.
        ASSERT_GT(oneThread.size(), 20u);
        ASSERT_LT(oneThread.size(), names.size() - 1);
      } else {
        EXPECT_TRUE(gFileEntries == oneThread);
      }
    }
  }
  setHashThreadCount(0);
}

}  // namespace
}  // namespace zandrel

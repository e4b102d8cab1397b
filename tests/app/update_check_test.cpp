// The update check against a real HTTP server on 127.0.0.1: the reader of the
// reply's first line, then the menu command through the real window.

#include "app/update_check.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/program_state.h"
#include "tests/app/window_test_support.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/http_test_server.h"

namespace zandrel {
namespace {

using testing::CannedReply;
using testing::closedPort;
using testing::MainWindowTest;
using testing::okHead;
using testing::readAll;
using testing::TempDirTest;
using testing::TestServer;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;
namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The reply's first line

class ReadTextLineTest : public TempDirTest {};

TEST_F(ReadTextLineTest, EndsAtEveryKindOfLineEnd) {
  const struct {
    std::string content;
    std::string first;
    std::string second;
  } cases[] = {
      {"2.1.0\r\nnext", "2.1.0", "next"},
      {"2.1.0\rnext", "2.1.0", "next"},
      {"2.1.0\n\nnext", "2.1.0", ""},
      {"2.1.0\r\r\nnext", "2.1.0", ""},
      {std::string("2.1.0\0next", 10), "2.1.0", "next"},
      {"\r\n2.1.0", "", "2.1.0"},
      {"no line end", "no line end", ""},
      {"", "", ""},
      {"\xEF\xBB\xBF" "2.0.2", "\xC3\xAF\xC2\xBB\xC2\xBF" "2.0.2", ""},  // no byte-order mark is known
      {"\xE9t\xE9\n", "\xC3\xA9t\xC3\xA9", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    const std::string name = writeFile("lines.txt", c.content);
    std::FILE* file = std::fopen(name.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readTextLine(file), c.first);
    EXPECT_EQ(readTextLine(file), c.second);
    std::fclose(file);
  }

  // A longer line than asked for leaves its rest for the next read.
  const std::string name = writeFile("long.txt", "abcdef\n");
  std::FILE* file = std::fopen(name.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(readTextLine(file, 4), "abcd");
  EXPECT_EQ(readTextLine(file, 4), "ef");
  std::fclose(file);
}

// ---------------------------------------------------------------------------
// The menu command

class UpdateCheckTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    oldWebHost_ = gWebHost;
    oldTempFolder_ = gTempFolder;
    gTempFolder = path() + "/";  // reply files stay inside the test's folder
    browser_.emplace(path());
  }
  void TearDown() override {
    browser_.reset();
    gWebHost = oldWebHost_;
    gTempFolder = oldTempFolder_;
    MainWindowTest::TearDown();
  }

  // Runs the command against the server and answers its box.
  void check(TestServer& server, Answer answer) {
    gWebHost = server.hostAndPort();
    drive::answerNextDialog(answer);
    drive::activateMenuItem(CheckUpdatesItem);
    settle();
  }
  std::string openedAddress() { return browser_->openedAddress(); }
  static CannedReply body(const std::string& text) {
    return {{okHead("Content-Length: " + std::to_string(text.size()) + "\r\n") + text}};
  }

 private:
  std::optional<testing::FakeBrowser> browser_;
  std::string oldWebHost_;
  std::string oldTempFolder_;
};

TEST_F(UpdateCheckTest, TheAnswerDecidesBetweenTheQuestionAndTheNotice) {
  const std::string newest = "You already have the newest version";
  const auto question = [](const std::string& line) {
    return "A newer version '" + line + "' of Zandrel is available for download\n\nDownload now?";
  };
  const struct {
    const char* what;
    CannedReply reply;
    std::string text;
  } cases[] = {
      {"the same version", body("2.0.2\r\nanything"), newest},
      {"an empty first line", body("\r\n2.1.0"), newest},
      {"a 302 reply", {{"HTTP/1.1 302 Found\r\nContent-Length: 5\r\n\r\n2.0.2"}}, newest},
      {"a trailing blank", body("2.0.2 "), question("2.0.2 ")},
      {"an older version", body("2.0.1\n"), question("2.0.1")},
      {"a byte-order mark", body("\xEF\xBB\xBF" "2.0.2"), question("\xC3\xAF\xC2\xBB\xC2\xBF" "2.0.2")},
      {"a star in the line", body("2.*.0"), question("2.*.0")},
      {"an HTML page", body("<!DOCTYPE html>\n<html>"), question("<!DOCTYPE html>")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestServer server({c.reply});
    check(server, c.text == newest ? Answer::Ok : Answer::No);
    EXPECT_EQ(drive::lastDialogTitle(), "");
    EXPECT_EQ(drive::lastDialogText(), c.text);
    EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"bin"}));  // the reply file went
  }
}

TEST_F(UpdateCheckTest, YesOpensTheProductPageInTheCurrentLanguage) {
  TestServer server({body("2.1.0\n"), body("2.1.0\n")});
  check(server, Answer::Yes);
  EXPECT_EQ(drive::lastDialogText(), "A newer version '2.1.0' of Zandrel is available for download\n\nDownload now?");
  EXPECT_EQ(openedAddress(), "http://" + server.hostAndPort() + "/en/zrl.php");

  drive::activateMenuItem(GermanItem);
  settle();
  check(server, Answer::Yes);
  EXPECT_EQ(drive::lastDialogText(),
            "Eine neuere Version '2.1.0' von Zandrel steht zum Download bereit\n\nJetzt herunterladen?");
  EXPECT_EQ(openedAddress(), "http://" + server.hostAndPort() + "/de/zrl.php");
}

TEST_F(UpdateCheckTest, AQuestionWithAHugeVersionLineStaysOnTheScreen) {
  const std::string line(5000, '7');
  TestServer server({body(line + "\n")});
  check(server, Answer::No);
  EXPECT_TRUE(drive::lastDialogText().starts_with("A newer version '" + line.substr(0, 1000)));
  const GdkRectangle box = drive::lastDialogRect();
  EXPECT_GT(box.width, 0);
  EXPECT_GE(box.x, 0);
  EXPECT_LE(box.x + box.width, gdk_screen_width());
  EXPECT_LE(box.y + box.height, gdk_screen_height());
  ASSERT_EQ(drive::lastDialogButtons().size(), 2u);  // Yes and No, both in reach
  for (const GdkRectangle& button : drive::lastDialogButtons()) {
    EXPECT_GE(button.x, box.x);
    EXPECT_LE(button.x + button.width, box.x + box.width);
    EXPECT_LE(button.y + button.height, box.y + box.height);
  }
}

TEST_F(UpdateCheckTest, NoOpensNothing) {
  TestServer server({body("2.1.0\n")});
  check(server, Answer::No);
  EXPECT_EQ(drive::lastDialogTitle(), "");
  // The next address the browser gets is the link's, not the product page.
  drive::clickLink(WebsiteLink);
  settle();
  EXPECT_EQ(openedAddress(), "http://" + gWebHost);
}

TEST_F(UpdateCheckTest, FailuresShowTheErrorBox) {
  {
    TestServer server({{{"HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\n2.1.0"}}});
    check(server, Answer::Ok);
    EXPECT_EQ(drive::lastDialogTitle(), "Error");
    EXPECT_EQ(drive::lastDialogText(), "Unable to check for updates");
  }
  drive::forgetDialogs();
  gWebHost = "127.0.0.1:" + std::to_string(closedPort());
  drive::answerNextDialog(Answer::Ok);
  drive::activateMenuItem(CheckUpdatesItem);
  settle();
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Unable to check for updates");
  EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"bin"}));
}

TEST_F(UpdateCheckTest, NoFailureLeavesAReplyFileBehind) {
  const std::string chunked = okHead("Transfer-Encoding: chunked\r\n");
  const struct {
    const char* what;
    std::vector<std::string> pieces;
  } cases[] = {
      {"length 0", {okHead("Content-Length: 0\r\n")}},
      {"404", {"HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\n2.1.0"}},
      {"200 only in a header", {"HTTP/1.1 500 Error\r\nX-Code: 200\r\n\r\n2.1.0"}},
      {"headers that never end", {"HTTP/1.1 200 OK\r\nX-Long: " + std::string(40000, 'a')}},
      {"no body at all", {okHead()}},
      {"first chunk empty", {chunked + "0\r\n\r\n"}},
      {"chunk size not a number", {chunked + "zz\r\nbody\r\n0\r\n\r\n"}},
      {"nothing but a closed connection", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    drive::forgetDialogs();
    TestServer server({{c.pieces}});
    check(server, Answer::Ok);
    EXPECT_EQ(drive::lastDialogTitle(), "Error");
    EXPECT_EQ(drive::lastDialogText(), "Unable to check for updates");
    EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"bin"}));
  }
}

// The check needs room for no more of the reply than the part of its first
// line it reads: under a file-size limit (it stands in for a full temporary
// folder) an endless first line still gets its question, and only a reply
// file that cannot take that part fails the check, the part written gone.
TEST_F(UpdateCheckTest, AFileSizeLimitFailsOnlyAReplyFileTooSmallForTheFirstLine) {
  const std::string newest = "You already have the newest version";
  const std::string failed = "Unable to check for updates";
  CannedReply endless{{okHead()}};
  endless.endlessBytes = 64 << 20;
  const struct {
    const char* what;
    rlim_t limit;
    CannedReply reply;
    std::string text;
  } cases[] = {
      {"an endless line, 4 KiB", 4096, endless,
       "A newer version '" + std::string(1024, '9') + "' of Zandrel is available for download\n\nDownload now?"},
      {"a short line before a long rest, 16 bytes", 16, body("2.0.2\n" + std::string(100000, '9')), newest},
      {"a long line, 512 bytes", 512, body(std::string(100000, '9')), failed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    drive::forgetDialogs();
    TestServer server({c.reply});
    {
      testing::FileSizeLimit limit(c.limit);
      ASSERT_TRUE(limit.set());
      check(server, c.text == failed || c.text == newest ? Answer::Ok : Answer::No);
    }
    EXPECT_EQ(drive::lastDialogTitle(), c.text == failed ? "Error" : "");
    EXPECT_EQ(drive::lastDialogText(), c.text);
    EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"bin"}));
  }
}

TEST_F(UpdateCheckTest, TheFirstCheckTakesTheSystemTemporaryFolder) {
  gTempFolder.clear();
  // A refused reply makes no reply file, so the system's folder stays untouched.
  TestServer server({{{"HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\n2.1.0"}}});
  check(server, Answer::Ok);
  EXPECT_EQ(drive::lastDialogText(), "Unable to check for updates");
  EXPECT_EQ(gTempFolder, "/tmp/");
}

TEST_F(UpdateCheckTest, TheReplyFileTakesTheFirstFreeNameAndNoPlantedOne) {
  const std::string victim = writeFile("victim", "keep");
  ASSERT_EQ(mkfifo(path("1.tmp").c_str(), 0600), 0);  // opens at once: taken
  fs::create_symlink(victim, path("2.tmp"));          // opens: taken
  fs::create_symlink(path("missing"), path("3.tmp"));  // does not open, but is there
  const std::vector<std::string> before = {"1.tmp", "2.tmp", "3.tmp", "bin", "victim"};

  // A failed check removes its own file, and only that one.
  TestServer server({{{okHead("Content-Length: 0\r\n")}}, body("2.0.2")});
  check(server, Answer::Ok);
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(testing::namesIn(path()), before);

  check(server, Answer::Ok);
  EXPECT_EQ(drive::lastDialogText(), "You already have the newest version");
  EXPECT_EQ(testing::namesIn(path()), before);
  EXPECT_EQ(readAll(victim), "keep");
  EXPECT_FALSE(fs::exists(path("missing")));
}

}  // namespace
}  // namespace zandrel

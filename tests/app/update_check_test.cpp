// The update check against a real HTTP server on 127.0.0.1, first the client
// on its own, then the menu command through the real window.

#include "app/update_check.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "app/program_state.h"
#include "engine/unique_fd.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::readAll;
using testing::TempDirTest;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// What the server does with one connection: send the pieces one after another
// (a short pause between them, so they arrive as separate reads) and close;
// or, when silent, read the request and send nothing until the client leaves.
struct CannedReply {
  std::vector<std::string> pieces;
  bool silent = false;
};

// Serves one connection per canned reply, in order, then stops. It never
// waits for a client longer than a few seconds, nor lives past its limit.
class TestServer {
 public:
  explicit TestServer(std::vector<CannedReply> replies) : replies_(std::move(replies)) {
    listener_.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (!listener_.valid() || ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_.get(), 4) != 0 ||
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no listening socket";
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~TestServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  int port() const { return port_; }
  std::string hostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
  // The request bytes of every connection so far, up to and with the blank line.
  std::vector<std::string> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  static constexpr auto kLifetime = std::chrono::seconds(60);

  bool waitReadable(int fd, Clock::time_point until) {
    while (!stop_ && Clock::now() < until) {
      pollfd entry{fd, POLLIN, 0};
      if (::poll(&entry, 1, 50) > 0) return true;
    }
    return false;
  }

  void serve() {
    const Clock::time_point end = Clock::now() + kLifetime;
    for (const CannedReply& reply : replies_) {
      if (!waitReadable(listener_.get(), end)) return;
      UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (!client.valid()) return;
      std::string request;
      char block[1024];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 &&
             waitReadable(client.get(), std::min(end, Clock::now() + std::chrono::seconds(5)))) {
        const ssize_t n = ::recv(client.get(), block, sizeof block, 0);
        if (n <= 0) break;
        request.append(block, static_cast<size_t>(n));
      }
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      if (reply.silent) {
        // Until the client gives up and closes its end.
        while (waitReadable(client.get(), end) && ::recv(client.get(), block, sizeof block, 0) > 0) {
        }
        continue;
      }
      for (size_t i = 0; i < reply.pieces.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const std::string& piece = reply.pieces[i];
        if (::send(client.get(), piece.data(), piece.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(piece.size())) break;
      }
      ::shutdown(client.get(), SHUT_WR);
    }
  }

  std::vector<CannedReply> replies_;
  UniqueFd listener_;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
int closedPort() {
  UniqueFd probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

std::string okHead(const std::string& headers = "") { return "HTTP/1.1 200 OK\r\n" + headers + "\r\n"; }

// ---------------------------------------------------------------------------
// The client alone

class DownloadTest : public TempDirTest {
 protected:
  int64_t fetch(TestServer& server, const std::string& path = "updates/zrl.php") {
    return downloadHttpFile("http://" + server.hostAndPort() + "/" + path, file());
  }
  std::string file() const { return path("reply.tmp"); }
};

TEST_F(DownloadTest, SendsExactlyTheRequestLines) {
  const std::string reply = okHead("Content-Length: 1\r\n") + "x";
  TestServer server({{{reply}}, {{reply}}, {{reply}}});
  EXPECT_EQ(fetch(server), 1);
  EXPECT_EQ(downloadHttpFile("http://" + server.hostAndPort(), file()), 1);
  // A name goes through the resolver; the Host line carries it as written.
  EXPECT_EQ(downloadHttpFile("http://localhost:" + std::to_string(server.port()) + "/a/b.php?x=1", file()), 1);
  const std::string port = std::to_string(server.port());
  const std::string end = "\r\nConnection: close\r\n\r\n";
  EXPECT_EQ(server.requests(), (std::vector<std::string>{
                                   "GET /updates/zrl.php HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:" + port + end,
                                   "GET / HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:" + port + end,
                                   "GET /a/b.php?x=1 HTTP/1.1\r\nAccept: */*\r\nHost: localhost:" + port + end,
                               }));
}

TEST_F(DownloadTest, SavesTheBodyOfEveryAcceptedReplyForm) {
  const std::string chunked = okHead("Transfer-Encoding: Chunked\r\n");
  const std::string huge(30, 'F');
  const struct {
    const char* what;
    std::vector<std::string> pieces;
    int64_t result;
    std::optional<std::string> file;  // none: no file made
  } cases[] = {
      {"length", {okHead("Content-Length: 6\r\n") + "2.1.0\nnot part of the body"}, 6, "2.1.0\n"},
      {"length over several reads",
       {okHead("X-Any: 1\r\ncontent-length:   13\r\n"), "2.1.0\r\n", "tail\r\n"},
       13,
       "2.1.0\r\ntail\r\n"},
      {"length never reached", {okHead("Content-Length: 100\r\n") + "short"}, 5, "short"},
      {"length beyond any number", {okHead("Content-Length: 99999999999999999999999999\r\n") + "short"}, 5, "short"},
      {"length 0", {okHead("Content-Length: 0\r\n")}, 0, ""},
      {"chunked", {chunked + "5\r\n2.1.0\r\n3;name=value\r\n\r\nx\r\n0\r\n\r\n"}, 8, "2.1.0\r\nx"},
      {"chunked in pieces",
       {chunked + "1", "4\r\n0123456789", "abcdefghij\r", "\na\r\n", "0123456789\r\n0\r\n\r\n"},
       30,
       "0123456789abcdefghij0123456789"},
      {"first chunk empty", {chunked + "0\r\n\r\n"}, 0, std::nullopt},
      {"chunk size beyond any number", {chunked + huge + "\r\nonly this"}, 9, "only this"},
      {"chunk size not a number", {chunked + "zz\r\nbody\r\n0\r\n\r\n"}, 0, std::nullopt},
      {"chunk size line without end", {chunked + std::string(5000, '1')}, 0, std::nullopt},
      {"until the server closes", {"HTTP/1.0 200 OK\r\nServer: x\r\n\r\n2.1.0\n", "more"}, 10, "2.1.0\nmore"},
      {"302 with a body", {"HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: 5\r\n\r\n2.0.9"},
       5, "2.0.9"},
      {"404", {"HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\n2.1.0"}, 0, std::nullopt},
      {"200 only in a header", {"HTTP/1.1 500 Error\r\nX-Code: 200\r\n\r\n2.1.0"}, 0, std::nullopt},
      {"headers that never end", {"HTTP/1.1 200 OK\r\nX-Long: " + std::string(40000, 'a')}, 0, std::nullopt},
      {"no body at all", {okHead()}, 0, std::nullopt},
      {"nothing but a closed connection", {}, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(file());
    TestServer server({{c.pieces}});
    EXPECT_EQ(fetch(server), c.result);
    if (c.file) {
      EXPECT_EQ(readAll(file()), *c.file);
    } else {
      EXPECT_FALSE(fs::exists(file()));
    }
  }
}

TEST_F(DownloadTest, FirstLineOnlyStopsAtTheFirstLineEnd) {
  const auto create = [this] {
    return UniqueFd(::open(file().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  };
  const std::string chunked = okHead("Transfer-Encoding: chunked\r\n");
  const struct {
    const char* what;
    std::vector<std::string> pieces;
    std::string file;
  } cases[] = {
      {"LF in a long body", {okHead("Content-Length: 100000000\r\n") + "2.1.0\nrest", std::string(5000, 'r')}, "2.1.0\n"},
      {"CR LF", {okHead() + "2.1.0\r\nrest"}, "2.1.0\r"},
      {"zero byte", {okHead() + std::string("2.1.0\0rest", 10)}, std::string("2.1.0\0", 6)},
      {"line end in a later chunk", {chunked + "3\r\n2.1\r\n4\r\n.0\nx\r\n0\r\n\r\n"}, "2.1.0\n"},
      {"no line end at all", {okHead("Content-Length: 5\r\n") + "2.1.0"}, "2.1.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestServer server({{c.pieces}});
    EXPECT_EQ(downloadHttpFile("http://" + server.hostAndPort() + "/updates/zrl.php", create, true),
              static_cast<int64_t>(c.file.size()));
    EXPECT_EQ(readAll(file()), c.file);
  }
}

TEST_F(DownloadTest, ReplacesAFileButNeverWritesThroughALink) {
  const std::string reply = okHead("Content-Length: 3\r\n") + "new";
  TestServer server({{{reply}}, {{reply}}});
  writeFile("reply.tmp", "an older and longer reply");
  EXPECT_EQ(fetch(server), 3);
  EXPECT_EQ(readAll(file()), "new");

  const std::string victim = writeFile("victim", "keep");
  fs::remove(file());
  fs::create_symlink(victim, file());
  EXPECT_EQ(fetch(server), 0);
  EXPECT_EQ(readAll(victim), "keep");
}

TEST_F(DownloadTest, NoServerGivesNothing) {
  EXPECT_EQ(downloadHttpFile("http://127.0.0.1:" + std::to_string(closedPort()) + "/updates/zrl.php", file()), 0);
  EXPECT_EQ(downloadHttpFile("http://no-such-host.invalid/updates/zrl.php", file()), 0);
  EXPECT_EQ(downloadHttpFile("http://127.0.0.1:99999/", file()), 0);
  EXPECT_EQ(downloadHttpFile("http://127.0.0.1\r\nX-Injected: 1/", file()), 0);
  EXPECT_FALSE(fs::exists(file()));
}

// Takes the full ten seconds of the reply wait.
TEST_F(DownloadTest, AServerThatSaysNothingIsGivenUp) {
  CannedReply silent;
  silent.silent = true;
  TestServer server({silent});
  EXPECT_EQ(fetch(server), 0);
  EXPECT_FALSE(fs::exists(file()));
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(DownloadTest, ReadTextLineEndsAtEveryKindOfLineEnd) {
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
  gTempFolder = path() + "/";
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
  gTempFolder = path() + "/";
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
  gTempFolder = path() + "/";
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

// A reply file that does not take the body (the file-size limit stands in for
// a full temporary folder) fails the check, and the part written goes.
TEST_F(UpdateCheckTest, AReplyThatCannotBeWrittenFailsTheCheck) {
  TestServer server({body(std::string(100000, '9'))});
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  const rlimit small{4096, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  check(server, Answer::Ok);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Unable to check for updates");
  EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"bin"}));
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
  gTempFolder = path() + "/";
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

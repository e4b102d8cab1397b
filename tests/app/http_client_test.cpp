// The HTTP client against a real server on 127.0.0.1.

#include "app/http_client.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tests/support/http_test_server.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

using testing::CannedReply;
using testing::closedPort;
using testing::okHead;
using testing::readAll;
using testing::TempDirTest;
using testing::TestServer;
namespace fs = std::filesystem;

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

class FirstLineTest : public DownloadTest {
 protected:
  // With the first line wanted: the reader takes at most 1024 bytes of it.
  int64_t fetchFirstLine(TestServer& server) {
    return downloadHttpFile(
        "http://" + server.hostAndPort() + "/updates/zrl.php",
        [this] { return UniqueFd(::open(file().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)); }, 1024);
  }
};

TEST_F(FirstLineTest, StopsAtTheFirstLineEndOrPastWhatTheReaderTakes) {
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
      {"a line as long as the reader takes",
       {okHead() + std::string(1024, '7') + "\nrest"},
       std::string(1024, '7') + "\n"},
      {"a longer line", {okHead() + std::string(1025, '7') + "\nrest"}, std::string(1025, '7')},
      {"a longer line in chunks",
       {chunked + "3e8\r\n" + std::string(1000, '7') + "\r\n3e8\r\n" + std::string(1000, '8')},
       std::string(1000, '7') + std::string(25, '8')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestServer server({{c.pieces}});
    EXPECT_EQ(fetchFirstLine(server), static_cast<int64_t>(c.file.size()));
    EXPECT_EQ(readAll(file()), c.file);
  }
}

// A line without end is not received on: the client hangs up long before the
// server's own limit, with no more saved than the reader takes and a byte.
TEST_F(FirstLineTest, AnEndlessLineIsNotReceivedOn) {
  const size_t serverLimit = 64 << 20;
  const struct {
    const char* what;
    std::string head;
  } cases[] = {
      {"until the server closes", okHead()},
      {"a length far past the line", okHead("Content-Length: 100000000000\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CannedReply endless{{c.head}};
    endless.endlessBytes = serverLimit;
    TestServer server({endless});
    EXPECT_EQ(fetchFirstLine(server), 1025);
    EXPECT_EQ(fs::file_size(file()), 1025u);
    server.waitUntilServed();
    ASSERT_EQ(server.endlessBytesSent().size(), 1u);
    EXPECT_LT(server.endlessBytesSent()[0], serverLimit);
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

}  // namespace
}  // namespace zandrel

// The whole program from start-up to its exit code, in a child process.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "app/program_state.h"
#include "app/run_main.h"
#include "app/update_check.h"
#include "config/program_folder.h"
#include "tests/app/window_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/http_test_server.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

namespace drive = ui::testing;
using Answer = drive::DialogAnswer;

// Runs runMain in a child whose script ends it the given way; the exit code.
int exitCodeWhenEndedBy(void (*end)()) {
  const pid_t child = fork();
  if (child == 0) {
    testing::Script script;
    script.when([] { return ui::windowExists(MainWindow) && ui::windowVisible(MainWindow); }, end);
    script.start();
    _exit(runMain());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// SHA-1 and MD5 of the bytes 2A 00 ("*" as one UTF-16LE code unit), as
// sha1sum and md5sum give them.
constexpr char kStarSha1[] = "e280d065a824a791f8305234d3e093fc9a5a90c7";
constexpr char kStarMd5[] = "b5ad6b0bf0a02267a16f6e8bf93f8b31";

// The packed results file is only readable by a build whose tokens are
// exactly these: SHA-1 then MD5 for "*", MD5 then SHA-1 for a line feed.
bool escapeTokensAreTheStarDigests() {
  return gStarEscape == std::string(kStarSha1) + kStarMd5 && gNewlineEscape == std::string(kStarMd5) + kStarSha1;
}

TEST(Program, EscapeTokensAreTheDigestsOfAStarInBothOrders) {
  gStarEscape.clear();
  gNewlineEscape.clear();
  computeEscapeTokens();
  EXPECT_EQ(gStarEscape, std::string(kStarSha1) + kStarMd5);
  EXPECT_EQ(gNewlineEscape, std::string(kStarMd5) + kStarSha1);
}

TEST(Program, StartUpSetsTheEscapeTokens) {
  if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  gStarEscape.clear();
  gNewlineEscape.clear();
  // The child ends with code 3 when the window comes up without them.
  EXPECT_EQ(exitCodeWhenEndedBy([] {
              if (!escapeTokensAreTheStarDigests()) _exit(3);
              drive::activateMenuItem(QuitItem);
            }),
            0);
}

TEST(Program, QuitAndTheCloseBoxEndWithCodeZero) {
  if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  EXPECT_EQ(exitCodeWhenEndedBy([] { drive::activateMenuItem(QuitItem); }), 0);
  EXPECT_EQ(exitCodeWhenEndedBy([] { drive::requestClose(MainWindow); }), 0);
}

class ProgramTest : public testing::TempDirTest {};

// Under a file-size limit a settings save and an update check end in their
// error boxes, and the program goes on until it is quit: the limit's signal
// does not end it half-way through a write, and nothing half-written stays.
TEST_F(ProgramTest, AFileSizeLimitFailsSavesWithoutEndingTheProgram) {
  if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  const std::string old = "\xEF\xBB\xBF\nlang = Deutsch\n";
  const std::string settings = writeFile("settings.ini", old);
  const std::string line(5000, '9');
  testing::TestServer server({{{testing::okHead("Content-Length: " + std::to_string(line.size()) + "\r\n") + line}}});
  const std::string host = server.hostAndPort();
  const std::string folder = path() + "/";

  const pid_t child = fork();
  if (child == 0) {
    bool asExpected = true;
    testing::Script script;
    script
        .when([] { return ui::windowExists(MainWindow) && ui::windowVisible(MainWindow); },
              [&] {
                gSettingsPath = settings;
                gTempFolder = folder;
                gWebHost = host;
                // Far less than either file needs.
                asExpected = testing::limitResource(RLIMIT_FSIZE, 16);
                drive::answerNextDialog(Answer::Yes);
                drive::answerNextDialog(Answer::Ok);
                drive::activateMenuItem(SaveSettingsTool);
              })
        .when([] { return !drive::answersPending(); },
              [&] {
                asExpected = asExpected && drive::lastDialogText() == "Couldn't save the settings in \"" + settings + "\"";
                drive::answerNextDialog(Answer::Ok);
                drive::activateMenuItem(CheckUpdatesItem);
              })
        .when([] { return !drive::answersPending(); },
              [&] {
                asExpected = asExpected && drive::lastDialogText() == "Unable to check for updates";
                drive::activateMenuItem(QuitItem);
              });
    script.start();
    const int code = runMain();
    _exit(asExpected ? code : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: a box did not show what it should";
  EXPECT_EQ(testing::readAll(settings), old);
  EXPECT_EQ(testing::namesIn(path()), std::vector<std::string>{"settings.ini"});
}

}  // namespace
}  // namespace zandrel

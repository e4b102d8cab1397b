// The whole program from start-up to its exit code, in a child process.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/run_main.h"
#include "tests/app/window_test_support.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

namespace drive = ui::testing;

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

TEST(Program, QuitAndTheCloseBoxEndWithCodeZero) {
  if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  EXPECT_EQ(exitCodeWhenEndedBy([] { drive::activateMenuItem(QuitItem); }), 0);
  EXPECT_EQ(exitCodeWhenEndedBy([] { drive::requestClose(MainWindow); }), 0);
}

}  // namespace
}  // namespace zandrel

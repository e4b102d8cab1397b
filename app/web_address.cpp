#include "app/web_address.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace zandrel {
namespace {

bool gStartNoted = false;
sigset_t gIgnoredAtStart;
sigset_t gBlockedAtStart;

// The places execvp would try, in its order, worked out before the fork: the
// child of a threaded program may make only async-signal-safe calls.
std::vector<std::string> placesOnPath(const std::string& program) {
  const char* variable = std::getenv("PATH");
  const std::string_view path = variable != nullptr ? variable : "/bin:/usr/bin";
  std::vector<std::string> places;
  for (size_t start = 0;;) {
    const size_t end = path.find(':', start);
    const std::string_view folder = path.substr(start, end == std::string_view::npos ? end : end - start);
    places.push_back((folder.empty() ? std::string(".") : std::string(folder)) + "/" + program);
    if (end == std::string_view::npos) return places;
    start = end + 1;
  }
}

// In the started program's process, before exec: the ignored signals and the
// mask of the start, or when none was noted, the mask of the calling thread.
// A caught signal reverts to its default at exec anyway.
void restoreStartSignals(const sigset_t& callerMask) {
  if (!gStartNoted) {
    sigprocmask(SIG_SETMASK, &callerMask, nullptr);
    return;
  }
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action {};
    action.sa_handler = sigismember(&gIgnoredAtStart, signal) == 1 ? SIG_IGN : SIG_DFL;
    sigaction(signal, &action, nullptr);  // refused for SIGKILL, SIGSTOP and the C library's own
  }
  sigprocmask(SIG_SETMASK, &gBlockedAtStart, nullptr);
}

}  // namespace

void noteStartSignals() {
  sigemptyset(&gIgnoredAtStart);
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action {};
    if (sigaction(signal, nullptr, &action) == 0 && (action.sa_flags & SA_SIGINFO) == 0 &&
        action.sa_handler == SIG_IGN) {
      sigaddset(&gIgnoredAtStart, signal);
    }
  }
  pthread_sigmask(SIG_SETMASK, nullptr, &gBlockedAtStart);
  gStartNoted = true;
}

void openWebAddress(const std::string& address) {
  std::string program = "xdg-open";
  std::string argument = address;
  char* const arguments[] = {program.data(), argument.data(), nullptr};
  const std::vector<std::string> places = placesOnPath(program);
  // No handler of the program's may run in the children before exec.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  // Fork twice so the launcher is nobody's child to wait for.
  const pid_t child = fork();
  if (child == 0) {
    if (fork() == 0) {
      setsid();
      restoreStartSignals(old);
      for (const std::string& place : places) execve(place.c_str(), arguments, environ);
      _exit(127);
    }
    _exit(0);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (child > 0) waitpid(child, nullptr, 0);
}

}  // namespace zandrel

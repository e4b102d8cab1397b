#include "app/web_address.h"

#include <sys/wait.h>
#include <unistd.h>

namespace zandrel {

void openWebAddress(const std::string& address) {
  std::string program = "xdg-open";
  std::string argument = address;
  char* const arguments[] = {program.data(), argument.data(), nullptr};
  // Fork twice so the launcher is nobody's child to wait for.
  const pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    if (fork() == 0) {
      setsid();
      execvp(arguments[0], arguments);
      _exit(127);
    }
    _exit(0);
  }
  waitpid(child, nullptr, 0);
}

}  // namespace zandrel

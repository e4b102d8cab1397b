#pragma once
// Runs part of a test in a forked child, for what must not touch the test
// process itself: lower limits, another user id, a crash that may come.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace zandrel::testing {

// The child's exit code, body's return value; -1 when it could not be
// started or did not end by exiting.
inline int exitCodeInChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) ::_exit(body());
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Sets both the soft and the hard limit of a resource; false when refused.
inline bool limitResource(int resource, rlim_t value) {
  const rlimit limit{value, value};
  return ::setrlimit(resource, &limit) == 0;
}

}  // namespace zandrel::testing

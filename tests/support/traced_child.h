#pragma once
// Runs part of a test in a forked child that stops at every system call it
// makes, so the test can change the file system at one exact moment of the
// child's work: between two calls that a real other program could come
// between only by chance.

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

namespace zandrel::testing {

// The exit code of a child that could not be traced.
inline constexpr int kNotTraced = 98;

using SyscallEntry = __ptrace_syscall_info;

// The child's exit code, body's return value; atEntry runs in the test's
// process at the entry of each system call of the child, while the child
// waits. -1 when the child did not end by exiting.
inline int exitCodeTraced(const std::function<int()>& body,
                          const std::function<void(pid_t, const SyscallEntry&)>& atEntry) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(kNotTraced);
    ::raise(SIGSTOP);
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
  int signal = 0;
  for (;;) {
    if (::ptrace(PTRACE_SYSCALL, child, nullptr, signal) != 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return -1;
    }
    signal = 0;
    if (::waitpid(child, &status, 0) != child) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (!WIFSTOPPED(status)) return -1;
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      signal = WSTOPSIG(status);  // the child's own signal, passed on
      continue;
    }
    SyscallEntry entry{};
    if (::ptrace(PTRACE_GET_SYSCALL_INFO, child, sizeof entry, &entry) > 0 && entry.op == PTRACE_SYSCALL_INFO_ENTRY) {
      atEntry(child, entry);
    }
  }
}

// The NUL-terminated text at an address of the stopped child.
inline std::string textInChild(pid_t child, uint64_t address) {
  const int memory = ::open(("/proc/" + std::to_string(child) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
  if (memory < 0) return {};
  std::string text;
  char block[256];
  while (text.size() < PATH_MAX) {
    const ssize_t got = ::pread(memory, block, sizeof block, static_cast<off_t>(address + text.size()));
    if (got <= 0) break;
    const std::string piece(block, static_cast<size_t>(got));
    const size_t end = piece.find('\0');
    text += piece.substr(0, end);
    if (end != std::string::npos) break;
  }
  ::close(memory);
  return text;
}

// The path a descriptor of the child stands for, as /proc shows it.
inline std::string pathOfChildFd(pid_t child, uint64_t fd) {
  char target[PATH_MAX];
  const std::string link = "/proc/" + std::to_string(child) + "/fd/" + std::to_string(fd);
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
  return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

}  // namespace zandrel::testing

#pragma once
// A lower file-size limit for this very process while it lives, for window
// tests, whose toolkit connection a forked child could not share. Only the
// soft limit moves, so it can be put back; SIGXFSZ is ignored meanwhile, as
// the program ignores it, so a write past the limit fails with EFBIG.

#include <signal.h>
#include <sys/resource.h>

namespace zandrel::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    set_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
    if (set_) {
      const rlimit lower{bytes, old_.rlim_max};
      set_ = ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
  }
  ~FileSizeLimit() {
    if (set_) ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  // False when the limit could not be lowered.
  bool set() const { return set_; }

 private:
  rlimit old_{};
  sighandler_t oldHandler_ = SIG_DFL;
  bool set_ = false;
};

}  // namespace zandrel::testing

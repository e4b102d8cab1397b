#include "engine/worker_thread.h"

#include <system_error>

namespace zandrel {
namespace {

// Successful starts left before one is refused; negative: none is.
std::atomic<int> gStartsBeforeRefusal{-1};

bool refusedForTest() {
  int left = gStartsBeforeRefusal.load();
  while (left >= 0 && !gStartsBeforeRefusal.compare_exchange_weak(left, left - 1)) {
  }
  return left == 0;
}

}  // namespace

void refuseWorkerStartAfter(int starts) { gStartsBeforeRefusal = starts; }

bool WorkerThread::start(std::function<void()> work) {
  join();
  running_ = std::make_shared<std::atomic<bool>>(true);
  if (refusedForTest()) {
    running_->store(false);
    return false;
  }
  try {
    thread_ = std::thread([running = running_, work = std::move(work)] {
      work();
      running->store(false);
    });
  } catch (const std::system_error&) {
    running_->store(false);
    return false;
  }
  return true;
}

void WorkerThread::join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace zandrel

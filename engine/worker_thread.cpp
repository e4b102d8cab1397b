#include "engine/worker_thread.h"

#include <system_error>

namespace zandrel {

bool WorkerThread::start(std::function<void()> work) {
  join();
  running_ = std::make_shared<std::atomic<bool>>(true);
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

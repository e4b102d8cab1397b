#pragma once
// One worker thread at a time, polled by the GUI thread: the GUI thread starts
// it, asks whether it still runs between its 2 ms event waits, and joins it
// before it touches what the worker filled.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace zandrel {

class WorkerThread {
 public:
  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  ~WorkerThread() { join(); }

  // Starts work on a thread of its own; false when the thread cannot be made,
  // in which case the work never runs and the caller must end its command.
  [[nodiscard]] bool start(std::function<void()> work);

  bool running() const { return running_ && running_->load(); }

  // Waits for the thread to end; safe to call when none was started.
  void join();

 private:
  std::thread thread_;
  std::shared_ptr<std::atomic<bool>> running_;
};

// For tests of what a command does when the system refuses a thread: after
// `starts` more successful starts, the next start fails as a refused one does.
void refuseWorkerStartAfter(int starts);

}  // namespace zandrel

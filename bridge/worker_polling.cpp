#include "bridge/worker_polling.h"

#include <utility>

namespace zandrel {

bool pollWhileWorking(const WorkerThread& worker, const std::function<bool(const ui::Event&)>& onEvent) {
  while (worker.running()) {
    if (!onEvent(ui::waitEvent(2))) return false;
  }
  return true;
}

bool untilCloseRequest(const ui::Event& event) { return event.kind != ui::EventKind::CloseWindow; }

WorkerEnd runUntilCloseRequest(std::function<void()> work, std::atomic<bool>& stop) {
  WorkerThread worker;
  if (!worker.start(std::move(work))) return WorkerEnd::NotStarted;
  if (pollWhileWorking(worker, untilCloseRequest)) {
    worker.join();
    return WorkerEnd::Finished;
  }
  stop = true;
  worker.join();
  stop = false;
  return WorkerEnd::Stopped;
}

}  // namespace zandrel

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
  // The event is taken before the worker is looked at: a close request that
  // waited when the worker started belongs to this command even when a quick
  // worker has ended by then, and is dropped instead of closing the main window.
  for (;;) {
    const ui::Event event = ui::waitEvent(2);
    if (!worker.running()) {
      worker.join();
      return WorkerEnd::Finished;
    }
    if (!untilCloseRequest(event)) break;
  }
  stop = true;
  worker.join();
  stop = false;
  return WorkerEnd::Stopped;
}

}  // namespace zandrel

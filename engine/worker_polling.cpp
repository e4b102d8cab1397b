#include "engine/worker_polling.h"

namespace zandrel {

bool pollWhileWorking(const WorkerThread& worker, const std::function<bool(const ui::Event&)>& onEvent) {
  while (worker.running()) {
    if (!onEvent(ui::waitEvent(2))) return false;
  }
  return true;
}

bool untilCloseRequest(const ui::Event& event) { return event.kind != ui::EventKind::CloseWindow; }

}  // namespace zandrel

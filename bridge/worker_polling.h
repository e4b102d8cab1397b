#pragma once
// The loop a command runs on the GUI thread while its worker works: it takes
// the window events, so the windows stay drawn and a close request or a
// button reaches the command, and it notices when the worker has ended.

#include <atomic>
#include <functional>

#include "engine/worker_thread.h"
#include "ui/ui.h"

namespace zandrel {

// Waits up to 2 ms at a time for a window event and hands each one (an empty
// event after a quiet wait) to onEvent, until the worker has ended or onEvent
// says to stop waiting. True when the worker ended; false when onEvent
// stopped the wait, and the worker may still run.
bool pollWhileWorking(const WorkerThread& worker, const std::function<bool(const ui::Event&)>& onEvent);

// Drops every event but a close request of any window, which stops the wait.
bool untilCloseRequest(const ui::Event& event);

enum class WorkerEnd { Finished, Stopped, NotStarted };

// Runs work on a worker thread until it ends or a close request of any window
// comes; on a request sets stop, waits for the worker and clears stop again.
// Each round takes one event first, then looks whether the worker has ended
// (the event is dropped then), so at least one event is always taken. Either
// way the worker has ended when this returns.
WorkerEnd runUntilCloseRequest(std::function<void()> work, std::atomic<bool>& stop);

}  // namespace zandrel

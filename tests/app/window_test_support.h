#pragma once
// A fixture that builds the real main window under Xvfb, and a small script
// runner that acts on windows while a command's own loop is running.

#include <glib.h>
#include <sys/resource.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/support/temp_dir.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"
#include "ui/ui_testing.h"

namespace zandrel::testing {

// Steps that run from the toolkit's own loop, each once its condition holds,
// so a test can press buttons while runSearch or a file action waits for events.
class Script {
 public:
  using Condition = std::function<bool()>;
  using Action = std::function<void()>;

  Script& when(Condition condition, Action action) {
    steps_.push_back({std::move(condition), std::move(action)});
    return *this;
  }
  Script& then(Action action) {
    return when([] { return true; }, std::move(action));
  }
  // Waits about this long before the next step.
  Script& wait(int milliseconds) {
    auto start = std::make_shared<std::optional<std::chrono::steady_clock::time_point>>();
    return when(
        [start, milliseconds] {
          const auto now = std::chrono::steady_clock::now();
          if (!*start) *start = now;
          return now - **start >= std::chrono::milliseconds(milliseconds);
        },
        [] {});
  }
  void start() { source_ = g_timeout_add(5, &Script::tick, this); }
  bool finished() const { return next_ == steps_.size(); }
  ~Script() {
    if (source_ != 0 && !finished()) g_source_remove(source_);
  }

 private:
  static gboolean tick(gpointer data) {
    auto* self = static_cast<Script*>(data);
    while (!self->finished() && self->steps_[self->next_].condition()) {
      self->steps_[self->next_++].action();
    }
    if (self->finished()) {
      self->source_ = 0;
      return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
  }

  struct Step {
    Condition condition;
    Action action;
  };
  std::vector<Step> steps_;
  size_t next_ = 0;
  guint source_ = 0;
};

// How a window looked each time it came on screen. Noted from the toolkit's
// own map signal, so a window that comes and goes within one command is seen.
struct ShownWindow {
  std::string title;  // as the window's title bar shows it
  GdkWindowTypeHint typeHint = GDK_WINDOW_TYPE_HINT_NORMAL;
  bool resizable = true;
  // The decorations the window asks the window manager for; none asked means all.
  bool decorationsAsked = false;
  GdkWMDecoration decorations = GdkWMDecoration(0);
};

class WindowWatch {
 public:
  explicit WindowWatch(int window);
  ~WindowWatch();
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;
  const std::vector<ShownWindow>& shown() const { return shown_; }

 private:
  static gboolean onMap(GSignalInvocationHint*, guint, const GValue* params, gpointer self);
  int window_;
  gulong hook_;
  std::vector<ShownWindow> shown_;
};

// A window of fixed size with a title bar, system menu and minimize box but
// no maximize box, and not announced as a dialog (window managers give a
// dialog no minimize box).
void expectFixedWithMinimizeBox(const ShownWindow& window);

// A stand-in "xdg-open" first on the PATH that notes the address it was given.
class FakeBrowser {
 public:
  explicit FakeBrowser(const std::string& folder);
  ~FakeBrowser();
  FakeBrowser(const FakeBrowser&) = delete;
  FakeBrowser& operator=(const FakeBrowser&) = delete;
  // The address opened since the last call, waiting a few seconds for it;
  // "(nothing opened)" when none came.
  std::string openedAddress();

 private:
  std::string note_;
  std::string oldPath_;
};

class MainWindowTest : public TempDirTest {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Takes every queued event and carries out its command, as the main loop would.
  std::optional<MainWindowEnd> dispatchPending();
  // Lets the toolkit deliver what a driver started, then dispatches it.
  std::optional<MainWindowEnd> settle();
  // Closes the main window and builds it again as a new start would, reading
  // the settings file afresh (gLanguageFiles is left as it is).
  void rebuildMainWindow();
  // Runs an export command whose save dialog is answered with target and
  // whose error box is answered too, under a lower file-size limit when one
  // is given (0: none).
  void runRefusedExport(const std::function<void()>& command, const std::string& target, rlim_t fileSizeLimit = 0);

  static std::vector<std::string> rows(int list);
  // ResultsList as six cells a row: appended (checked or not), or read back.
  static void addResultRow(const std::vector<std::string>& cells, bool checked = false);
  static std::vector<std::vector<std::string>> resultRows();
  static bool rowChecked(int list, int row);
  static bool rowSelected(int list, int row);

  // Every gadget number in use, and those that came since such a count.
  static std::set<int> existingGadgets();
  static std::set<int> gadgetsAddedSince(const std::set<int>& before);
  // The About window's OK button among its gadgets; -1 when there is none.
  static int aboutOkButton(const std::set<int>& gadgets);
};

}  // namespace zandrel::testing

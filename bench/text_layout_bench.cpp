// Times how long texts from a hostile language file keep the window busy: a
// hover that shows a gadget's tooltip, and a round of new captions and
// tooltips as a language switch sets them, each until it is drawn.
//   zandrel_text_bench [--chars N] [--hovers N] [--font "Sans 6"]
// Runs on the display in DISPLAY (tools/with-xvfb.sh gives one of its own).
// The text is N characters (100,000 unless given) without a blank.

#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel {
namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr int kWindow = 1;
constexpr int kButton = 10;
constexpr int kCaptionGadgets = 40;

void pump() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Handles everything pending, draws it and waits for the server to have it.
void finishDrawing() {
  pump();
  gdk_window_process_all_updates();
  gdk_display_sync(gdk_display_get_default());
  pump();
}

// From the pointer's arrival on the gadget until its tooltip is drawn; -1
// when none showed within a minute.
double hoverOnce(GtkWidget* widget) {
  GdkDisplay* display = gtk_widget_get_display(widget);
  GdkScreen* screen = gtk_widget_get_screen(widget);
  int x = 0, y = 0;
  gdk_window_get_origin(gtk_widget_get_window(widget), &x, &y);
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  const Clock::time_point start = Clock::now();
  gdk_display_warp_pointer(display, screen, x + a.x + a.width / 2, y + a.y + a.height / 2);
  double taken = -1;
  while (millisecondsSince(start) < 60000) {
    pump();
    if (ui::detail::shownToolTipWindow() != nullptr) {
      finishDrawing();
      taken = millisecondsSince(start);
      break;
    }
    g_usleep(200);
  }
  gdk_display_warp_pointer(display, screen, 0, 0);
  for (int i = 0; i < 5000 && ui::detail::shownToolTipWindow() != nullptr; ++i) {
    pump();
    g_usleep(1000);
  }
  return taken;
}

int run(int argc, char** argv) {
  size_t chars = 100000;
  int hovers = 3;
  const char* font = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--chars") == 0) chars = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--hovers") == 0) hovers = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--font") == 0 && *argv[i + 1] != '\0') font = argv[i + 1];
  }
  if (!ui::initialize()) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  // No waiting for the usual delay: only the work is timed.
  g_object_set(gtk_settings_get_default(), "gtk-tooltip-timeout", 1, "gtk-tooltip-browse-timeout", 1, nullptr);
  if (font != nullptr) g_object_set(gtk_settings_get_default(), "gtk-font-name", font, nullptr);
  ui::WindowStyle style;
  style.sizable = true;
  ui::openWindow(kWindow, 800, 600, "Bench", style);
  ui::buttonGadget(kButton, 300, 250, 200, 30, "hover here");
  for (int i = 0; i < kCaptionGadgets; ++i) ui::checkBoxGadget(100 + i, (i % 4) * 190, (i / 4) * 24, 180, 22, "box");
  finishDrawing();
  GtkWidget* button = ui::detail::findGadget(kButton)->outer;

  const std::string hostile(chars, 'x');
  std::printf("text of %zu characters without a blank%s%s\n", chars, font != nullptr ? ", font " : "",
              font != nullptr ? font : "");
  for (const auto& [what, text] : {std::pair<const char*, std::string>{"short tooltip", "Add files"},
                                   std::pair<const char*, std::string>{"hostile tooltip", hostile}}) {
    ui::setToolTip(kButton, text);
    for (int i = 0; i < hovers; ++i) std::printf("%s, hover %d: %.1f ms\n", what, i + 1, hoverOnce(button));
  }

  // As a language switch: every caption and its tooltip anew, then drawn.
  // The first hostile round also stores the long texts anew, the second one
  // replaces texts as long.
  for (const auto& [what, text] : {std::pair<const char*, std::string>{"short captions", "Include subdirectories"},
                                   std::pair<const char*, std::string>{"hostile captions", hostile},
                                   std::pair<const char*, std::string>{"hostile captions again", hostile}}) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kCaptionGadgets; ++i) {
      ui::setGadgetText(100 + i, text);
      ui::setToolTip(100 + i, text);
    }
    finishDrawing();
    std::printf("%s on %d gadgets: %.1f ms\n", what, kCaptionGadgets, millisecondsSince(start));
  }
  ui::shutdown();
  return 0;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) { return zandrel::run(argc, argv); }

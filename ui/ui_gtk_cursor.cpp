// The busy cursor over a window.

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel::ui {

using detail::findWindow;

void setBusyCursor(int window, bool busy) {
  const detail::Window* w = findWindow(window);
  if (w == nullptr) return;
  GdkWindow* area = gtk_widget_get_window(w->window);
  if (area == nullptr) return;  // not shown yet
  GdkDisplay* display = gtk_widget_get_display(w->window);
  GdkCursor* watch = busy ? gdk_cursor_new_for_display(display, GDK_WATCH) : nullptr;
  gdk_window_set_cursor(area, watch);
  if (watch != nullptr) gdk_cursor_unref(watch);
  // The caller holds the GUI thread next: the change must reach the display now.
  gdk_display_flush(display);
}

bool busyCursorShown(int window) {
  const detail::Window* w = findWindow(window);
  if (w == nullptr) return false;
  GdkWindow* area = gtk_widget_get_window(w->window);
  GdkCursor* cursor = area != nullptr ? gdk_window_get_cursor(area) : nullptr;
  return cursor != nullptr && gdk_cursor_get_cursor_type(cursor) == GDK_WATCH;
}

}  // namespace zandrel::ui

// Start and end, the event queue, windows, images, fonts, clipboard.

#include <algorithm>
#include <clocale>
#include <cstring>
#include <string>

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel::ui {
namespace detail {

State& state() {
  static State s;
  return s;
}

void pushEvent(EventKind kind, int object, int window) {
  if (state().quiet > 0) return;
  state().events.push_back(Event{kind, object, window});
}

Window* findWindow(int number) {
  auto& windows = state().windows;
  const auto it = windows.find(number);
  return it == windows.end() ? nullptr : &it->second;
}

Font* findFont(int number) {
  auto& fonts = state().fonts;
  const auto it = fonts.find(number);
  return it == fonts.end() ? nullptr : &it->second;
}

GdkPixbuf* findImage(int number) {
  auto& images = state().images;
  const auto it = images.find(number);
  return it == images.end() ? nullptr : it->second;
}

GdkColor toGdkColor(uint32_t rgb) {
  GdkColor colour{};
  colour.red = static_cast<guint16>(((rgb >> 16) & 0xFF) * 257);
  colour.green = static_cast<guint16>(((rgb >> 8) & 0xFF) * 257);
  colour.blue = static_cast<guint16>((rgb & 0xFF) * 257);
  return colour;
}

uint32_t fromGdkColor(const GdkColor& colour) {
  return (static_cast<uint32_t>(colour.red >> 8) << 16) | (static_cast<uint32_t>(colour.green >> 8) << 8) |
         static_cast<uint32_t>(colour.blue >> 8);
}

void freeGadgetsOfWindow(int window);

GdkRectangle onScreen(GtkWidget* widget) {
  GdkRectangle rect{};
  GdkWindow* window = gtk_widget_get_window(widget);
  if (window == nullptr) return rect;
  gdk_window_get_origin(window, &rect.x, &rect.y);
  GtkAllocation allocation;
  gtk_widget_get_allocation(widget, &allocation);
  if (!gtk_widget_is_toplevel(widget) && !gtk_widget_get_has_window(widget)) {
    rect.x += allocation.x;
    rect.y += allocation.y;
  }
  rect.width = allocation.width;
  rect.height = allocation.height;
  return rect;
}

}  // namespace detail

using namespace detail;

namespace {

Event popEvent() {
  auto& events = state().events;
  if (events.empty()) return Event{};
  const Event event = events.front();
  events.pop_front();
  return event;
}

void processPending() {
  // Bounded so a source that keeps rescheduling itself cannot hold us here.
  for (int i = 0; i < 100000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
  const int number = GPOINTER_TO_INT(data);
  pushEvent(EventKind::CloseWindow, number, number);
  return TRUE;  // the program decides whether the window goes
}

void onContentAllocate(GtkWidget*, GtkAllocation* allocation, gpointer data) {
  const int number = GPOINTER_TO_INT(data);
  Window* w = findWindow(number);
  if (w == nullptr || !gtk_widget_get_visible(w->window)) return;  // realizing a hidden window allocates a dummy size
  for (auto& [_, bar] : state().toolBars) {
    if (bar.window != number) continue;
    int requested = 0;
    gtk_widget_get_size_request(bar.widget, &requested, nullptr);
    if (requested != allocation->width) gtk_widget_set_size_request(bar.widget, std::max(1, allocation->width), -1);
  }
  if (allocation->width == w->width && allocation->height == w->height) return;
  w->width = allocation->width;
  w->height = allocation->height;
  pushEvent(EventKind::SizeWindow, number, number);
}

// The window's own gadget area asks for no room: gadgets placed past the edge
// must not grow the window; its size is the program's to set.
void onFixedSizeRequest(GtkWidget*, GtkRequisition* requisition, gpointer) {
  requisition->width = 0;
  requisition->height = 0;
}

// Window managers read the boxes a window offers from these hints; they can
// only be set once the window exists on the display.
void onRealizeBoxes(GtkWidget* widget, gpointer data) {
  const guint boxes = GPOINTER_TO_UINT(data);
  GdkWindow* window = gtk_widget_get_window(widget);
  gdk_window_set_decorations(window, static_cast<GdkWMDecoration>(boxes & 0xFF));
  gdk_window_set_functions(window, static_cast<GdkWMFunction>(boxes >> 8));
}

// The decorations (low byte) and functions (next byte) of a window without a
// maximize box.
guint boxesOf(const WindowStyle& style) {
  guint decorations = GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU;
  guint functions = GDK_FUNC_MOVE;
  if (style.minimizeBox) {
    decorations |= GDK_DECOR_MINIMIZE;
    functions |= GDK_FUNC_MINIMIZE;
  }
  if (style.sizable) {
    decorations |= GDK_DECOR_RESIZEH;
    functions |= GDK_FUNC_RESIZE;
  }
  if (style.closeBox) functions |= GDK_FUNC_CLOSE;
  return decorations | (functions << 8);
}

gboolean onTimeout(gpointer data) {
  *static_cast<bool*>(data) = true;
  return FALSE;
}

// The font name the column titles and dialogs were last given; empty while
// they have the toolkit's own.
std::string gDialogFont;

// Column titles and dialogs are the toolkit's own widgets: a style of the
// highest rank gives them the font too, over the theme and the user's gtkrc.
// A style once parsed stays, so going back to the toolkit's font names that.
void setDialogFont(const PangoFontDescription* description) {
  gchar* name = nullptr;
  if (description != nullptr) {
    name = pango_font_description_to_string(description);
  } else if (!gDialogFont.empty()) {
    g_object_get(gtk_settings_get_default(), "gtk-font-name", &name, nullptr);
  }
  if (name != nullptr && gDialogFont != name) {
    gDialogFont = description != nullptr ? name : "";
    const std::string rc = std::string("style \"zandrel-default-font\" { font_name = \"") + name + "\" }\n" +
                           "widget_class \"*.GtkTreeView.GtkButton*\" style : highest \"zandrel-default-font\"\n" +
                           "widget_class \"<GtkDialog>*\" style : highest \"zandrel-default-font\"\n";
    gtk_rc_parse_string(rc.c_str());
    gtk_rc_reset_styles(gtk_settings_get_default());
  }
  g_free(name);
}

}  // namespace

bool initialize() {
  auto& s = state();
  if (s.initialized) return true;
  int argc = 0;
  char** argv = nullptr;
  if (!gtk_init_check(&argc, &argv)) return false;
  // The toolkit's own dialogs follow the user's locale; numbers the program
  // writes (size texts) always use a full stop.
  setlocale(LC_NUMERIC, "C");
  // Menu items carry their images whatever the desktop's theme says. This is
  // the process's own setting; nothing of the user's is written. The menu bar
  // keeps the toolkit's own key (F10): without it no menu item is reachable
  // from the keyboard.
  g_object_set(gtk_settings_get_default(), "gtk-menu-images", TRUE, nullptr);
  s.initialized = true;
  return true;
}

void shutdown() {
  auto& s = state();
  if (!s.initialized) return;
  {
    Quiet quiet;
    destroyAllMenus();
    std::vector<int> numbers;
    for (const auto& [number, _] : s.windows) numbers.push_back(number);
    for (const int number : numbers) closeWindow(number);
    for (auto& [_, pixbuf] : s.images) g_object_unref(pixbuf);
    s.images.clear();
    setDialogFont(nullptr);
    for (auto& [_, font] : s.fonts) pango_font_description_free(font.description);
    s.fonts.clear();
    processPending();
  }
  s.events.clear();
  s.droppedFiles.clear();
  s.lists.clear();
  s.optionGroup = nullptr;
  s.defaultFont = 0;
}

// ---------------------------------------------------------------------------
// Events

Event waitEvent() {
  auto& s = state();
  while (s.events.empty()) gtk_main_iteration_do(TRUE);
  return popEvent();
}

Event waitEvent(int timeoutMs) {
  auto& s = state();
  if (s.events.empty()) {
    bool expired = false;
    const guint source = g_timeout_add(static_cast<guint>(std::max(0, timeoutMs)), onTimeout, &expired);
    while (s.events.empty() && !expired) gtk_main_iteration_do(TRUE);
    if (!expired) g_source_remove(source);
  }
  return popEvent();
}

Event pollEvent() {
  processPending();
  return popEvent();
}

Event takeQueuedEvent() { return popEvent(); }

std::string droppedFiles() { return state().droppedFiles; }

// ---------------------------------------------------------------------------
// Windows

bool openWindow(int number, int width, int height, const std::string& title, const WindowStyle& style, int owner) {
  if (!state().initialized) return false;
  if (windowExists(number)) closeWindow(number);
  Quiet quiet;
  Window w;
  w.number = number;
  w.title = title;
  w.sizable = style.sizable;
  w.width = width;
  w.height = height;
  w.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* window = GTK_WINDOW(w.window);
  gtk_window_set_title(window, displayName(title).c_str());
  gtk_window_set_resizable(window, style.sizable);
  gtk_window_set_deletable(window, style.closeBox);
  if (style.toolWindow) {
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
  } else if (!style.minimizeBox && !style.maximizeBox) {
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
  }
  if (!style.toolWindow && !style.maximizeBox) {
    g_signal_connect_after(w.window, "realize", G_CALLBACK(onRealizeBoxes), GUINT_TO_POINTER(boxesOf(style)));
  }
  Window* ownerWindow = findWindow(owner);
  if (owner != 0 && ownerWindow != nullptr) {
    gtk_window_set_transient_for(window, GTK_WINDOW(ownerWindow->window));
    gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
  } else {
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  }

  w.vbox = gtk_vbox_new(FALSE, 0);
  w.fixed = gtk_fixed_new();
  g_signal_connect_after(w.fixed, "size-request", G_CALLBACK(onFixedSizeRequest), nullptr);
  gtk_box_pack_end(GTK_BOX(w.vbox), w.fixed, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(w.window), w.vbox);
  if (style.sizable) {
    gtk_window_set_default_size(window, std::max(1, width), std::max(1, height));
  } else {
    gtk_widget_set_size_request(w.vbox, std::max(1, width), std::max(1, height));
  }
  g_signal_connect(w.window, "delete-event", G_CALLBACK(onDelete), GINT_TO_POINTER(number));
  g_signal_connect(w.vbox, "size-allocate", G_CALLBACK(onContentAllocate), GINT_TO_POINTER(number));
  gtk_widget_show(w.fixed);
  gtk_widget_show(w.vbox);

  auto& s = state();
  s.windows[number] = w;
  s.lists.assign(1, GadgetList{w.fixed, number, kNoOwner});
  s.optionGroup = nullptr;
  if (style.visible) gtk_widget_show(w.window);
  return true;
}

void closeWindow(int number) {
  Window* w = findWindow(number);
  if (w == nullptr) return;
  Quiet quiet;
  auto& s = state();
  freeGadgetsOfWindow(number);
  dropWindowMenus(number);
  std::erase_if(s.lists, [&](const GadgetList& list) { return list.window == number; });
  GtkWidget* widget = w->window;
  s.windows.erase(number);
  gtk_widget_destroy(widget);
}

bool windowExists(int number) { return findWindow(number) != nullptr; }

void showWindow(int number, bool visible) {
  Window* w = findWindow(number);
  if (w == nullptr) return;
  if (visible) {
    gtk_widget_show(w->window);
  } else {
    gtk_widget_hide(w->window);
  }
}

bool windowVisible(int number) {
  const Window* w = findWindow(number);
  return w != nullptr && gtk_widget_get_visible(w->window);
}

void setWindowTitle(int number, const std::string& title) {
  Window* w = findWindow(number);
  if (w == nullptr) return;
  w->title = title;
  gtk_window_set_title(GTK_WINDOW(w->window), displayName(title).c_str());
}

std::string windowTitle(int number) {
  const Window* w = findWindow(number);
  return w == nullptr ? std::string() : w->title;
}

int windowWidth(int number) {
  const Window* w = findWindow(number);
  return w == nullptr ? 0 : w->width;
}

int windowHeight(int number) {
  const Window* w = findWindow(number);
  return w == nullptr ? 0 : w->height;
}

void resizeWindow(int number, int width, int height) {
  Window* w = findWindow(number);
  if (w == nullptr) return;
  // Recorded first, so the allocation that follows is no change.
  w->width = width;
  w->height = height;
  if (w->sizable) {
    gtk_window_resize(GTK_WINDOW(w->window), std::max(1, width), std::max(1, height));
  } else {
    gtk_widget_set_size_request(w->vbox, std::max(1, width), std::max(1, height));
  }
}

void setWindowMinSize(int number, int width, int height) {
  Window* w = findWindow(number);
  if (w == nullptr) return;
  GdkGeometry geometry{};
  geometry.min_width = width;
  geometry.min_height = height;
  gtk_window_set_geometry_hints(GTK_WINDOW(w->window), nullptr, &geometry, GDK_HINT_MIN_SIZE);
}

void useGadgetList(int window) {
  const Window* w = findWindow(window);
  if (w == nullptr) return;
  state().lists.assign(1, GadgetList{w->fixed, window, kNoOwner});
  state().optionGroup = nullptr;
}

// ---------------------------------------------------------------------------
// Images and fonts

bool createImage(int number, int width, int height, const std::vector<unsigned char>& rgba) {
  if (width <= 0 || height <= 0) return false;
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  if (rgba.size() < rowBytes * static_cast<size_t>(height)) return false;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  if (pixbuf == nullptr) return false;
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < height; ++y) {
    std::memcpy(pixels + static_cast<size_t>(y) * static_cast<size_t>(stride), rgba.data() + rowBytes * y, rowBytes);
  }
  auto& images = state().images;
  if (const auto it = images.find(number); it != images.end()) g_object_unref(it->second);
  images[number] = pixbuf;
  return true;
}

bool imageExists(int number) { return findImage(number) != nullptr; }

bool loadFont(int number, const std::string& face, int points, int style) {
  if (face.empty() || points <= 0) return false;
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, face.c_str());
  // The layout counts in pixels made for 96 pixels to the inch; a size fixed
  // in pixels keeps the texts in their places whatever the screen's resolution.
  pango_font_description_set_absolute_size(description, points * PANGO_SCALE * 96.0 / 72.0);
  pango_font_description_set_weight(description, (style & kFontBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  auto& fonts = state().fonts;
  if (const auto it = fonts.find(number); it != fonts.end()) pango_font_description_free(it->second.description);
  fonts[number] = Font{description, (style & kFontUnderline) != 0};
  return true;
}

bool fontExists(int number) { return findFont(number) != nullptr; }

void freeFont(int number) {
  auto& fonts = state().fonts;
  const auto it = fonts.find(number);
  if (it == fonts.end()) return;
  pango_font_description_free(it->second.description);
  fonts.erase(it);
}

void setDefaultFont(int font) {
  state().defaultFont = font;
  const Font* f = findFont(font);
  setDialogFont(f != nullptr ? f->description : nullptr);
}

// ---------------------------------------------------------------------------
// Clipboard and names

void setClipboardText(const std::string& text) {
  if (!state().initialized) return;
  const std::string shown = displayName(text);
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), shown.c_str(), static_cast<gint>(shown.size()));
}

std::string clipboardText() {
  if (!state().initialized) return {};
  gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
  if (text == nullptr) return {};
  std::string result(text);
  g_free(text);
  return result;
}

std::string displayName(const std::string& bytes) {
  std::string result;
  result.reserve(bytes.size());
  const char* p = bytes.data();
  const char* const stop = p + bytes.size();
  while (p < stop) {
    const gchar* end = nullptr;
    const bool valid = g_utf8_validate(p, stop - p, &end);
    result.append(p, end);
    if (valid) break;
    result.append("\xEF\xBF\xBD");  // U+FFFD for the one bad byte
    p = end + 1;
  }
  return result;
}

}  // namespace zandrel::ui

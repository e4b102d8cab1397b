// Texts wider or taller than the screen: what the layer draws is bounded, what
// it stores is not. X refuses windows beyond 32767 pixels, and a box whose
// buttons lie off the screen cannot be answered.

#include <algorithm>
#include <string>

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel::ui::detail {

namespace {

// Room left for the borders, paddings and images around a text.
constexpr int kScreenMargin = 100;
constexpr int kSmallestLimit = 50;
constexpr const char* kBoundMark = "zandrel-bounded";
constexpr const char* kToolTipKey = "zandrel-tooltip";
constexpr const char* kToolTipLabelKey = "zandrel-tooltip-label";
constexpr const char* kToolTipConnectedKey = "zandrel-tooltip-connected";
constexpr const char* kToolTipLimitKey = "zandrel-tooltip-limit";
constexpr const char* kToolTipWatchedKey = "zandrel-tooltip-watched";
// A message box scrolls through no more than this many screens of text.
constexpr size_t kMessageScreens = 20;
// However wide and tall the screen, a caption lays out no more characters
// than this, and a tooltip no more lines of no more characters: laying out
// takes time that grows faster than the text, and a hostile language file
// must not keep the window busy at every language switch or hover.
constexpr size_t kLineChars = 300;
constexpr size_t kToolTipLineChars = 100;
constexpr size_t kToolTipLines = 15;

GdkRectangle monitorOf(GtkWidget* widget) {
  GdkScreen* screen = widget != nullptr && gtk_widget_has_screen(widget) ? gtk_widget_get_screen(widget)
                                                                         : gdk_screen_get_default();
  GdkRectangle area{0, 0, 1024, 768};
  if (screen == nullptr) return area;
  // Finding the monitor of a window asks the X server; with one monitor there
  // is nothing to ask, and size requests come often.
  GdkWindow* window = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
  const int monitor = window != nullptr && gdk_screen_get_n_monitors(screen) > 1
                          ? gdk_screen_get_monitor_at_window(screen, window)
                          : gdk_screen_get_primary_monitor(screen);
  gdk_screen_get_monitor_geometry(screen, monitor, &area);
  return area;
}

// Bounds against the screen the widget is on (its monitor): the widest and
// the tallest text the layer draws there.
int textWidthLimit(GtkWidget* widget) { return std::max(kSmallestLimit, monitorOf(widget).width - kScreenMargin); }

int textHeightLimit(GtkWidget* widget) {
  return std::max(kSmallestLimit, monitorOf(widget).height - 2 * kScreenMargin);
}

void clampWidth(GtkWidget* label, GtkRequisition* requisition, gpointer) {
  requisition->width = std::min(requisition->width, textWidthLimit(label));
}

// Wraps a label at the width limit when it is wider; true when it was.
bool wrapWhenWide(GtkWidget* label) {
  GtkRequisition natural;
  gtk_widget_size_request(label, &natural);
  const int limit = textWidthLimit(label);
  if (natural.width <= limit) return false;
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
  gtk_widget_set_size_request(label, limit, -1);
  return true;
}

int heightOf(GtkWidget* widget) {
  GtkRequisition requisition;
  gtk_widget_size_request(widget, &requisition);
  return requisition.height;
}

// Characters of a UTF-8 text, counted without cutting one.
size_t charCount(const std::string& text) { return static_cast<size_t>(g_utf8_strlen(text.c_str(), -1)); }

std::string firstChars(const std::string& text, size_t count) {
  const char* end = g_utf8_offset_to_pointer(text.c_str(), static_cast<glong>(count));
  return std::string(text.c_str(), end);
}

// The widths of the widget's font, in pixels: a line's height and the
// average character's width.
struct FontSize {
  int lineHeight = 1;
  int charWidth = 1;
};

// The widget's font, or the default one without a widget.
FontSize fontSizeOf(GtkWidget* widget) {
  PangoContext* context = widget != nullptr ? PANGO_CONTEXT(g_object_ref(gtk_widget_get_pango_context(widget)))
                                            : gdk_pango_context_get();
  PangoFontMetrics* metrics = pango_context_get_metrics(context, pango_context_get_font_description(context),
                                                        pango_context_get_language(context));
  FontSize size;
  size.lineHeight =
      std::max(1, PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics)));
  size.charWidth = std::max(1, PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(metrics)));
  pango_font_metrics_unref(metrics);
  g_object_unref(context);
  return size;
}

// More characters than one line across the screen can show: none is narrower
// than an eighth of the average, even in a smaller font set later. Never more
// than kLineChars.
size_t lineCharLimit(GtkWidget* widget) {
  const auto onScreen =
      static_cast<size_t>(textWidthLimit(widget) / std::max(1, fontSizeOf(widget).charWidth / 8));
  return std::min(kLineChars, onScreen);
}

// The text cut to `limit` characters, the last of them "…", when it is longer.
std::string cutToChars(const std::string& text, size_t limit) {
  if (limit == 0 || charCount(text) <= limit) return text;
  return firstChars(text, limit - 1) + "\xE2\x80\xA6";
}

// The readable form of a text's start: all of it, or at least `chars`
// characters when it has more, without copying the rest of a long one. No
// character takes more than four bytes, and a bad byte is one character.
std::string readableStart(const std::string& bytes, size_t chars) {
  if (bytes.size() / 4 <= chars) return displayName(bytes);
  return displayName(bytes.substr(0, 4 * chars));
}

// A one-line label never lays out more than the screen can show of it; the
// rest would only cost time at every size request and drawing.
void cutLabelToScreen(GtkWidget* label) {
  const std::string text = gtk_label_get_text(GTK_LABEL(label));
  const std::string cut = cutToChars(text, lineCharLimit(label));
  if (cut.size() != text.size()) gtk_label_set_text(GTK_LABEL(label), cut.c_str());
}

void onLabelTextChanged(GObject* label, GParamSpec*, gpointer) { cutLabelToScreen(GTK_WIDGET(label)); }

// The start of a text that takes no more than `lines` lines of `lineChars`
// characters each, every line end starting a line of its own, and that holds
// no run of more than `runChars` characters without a blank; "…" where it was
// cut. Laying out takes time that grows faster than the text, the more so for
// a run that must be broken between characters, so what cannot be shown is
// never laid out.
std::string firstLines(const std::string& text, size_t lineChars, size_t lines, size_t runChars) {
  lineChars = std::max<size_t>(1, lineChars);
  size_t used = 1;       // lines taken, the current one included
  size_t lineUsed = 0;   // characters on the current line
  size_t run = 0;        // characters since the last blank
  const char* const start = text.c_str();
  const char* const end = start + text.size();
  for (const char* p = start; p < end; p = g_utf8_next_char(p)) {
    if (*p == '\n' || *p == '\r') {
      if (*p == '\r' && p + 1 < end && p[1] == '\n') ++p;
      ++used;
      lineUsed = run = 0;
    } else {
      if (lineUsed == lineChars) {
        ++used;
        lineUsed = 0;
      }
      ++lineUsed;
      run = *p == ' ' || *p == '\t' ? 0 : run + 1;
    }
    if (used > lines || run > runChars) return std::string(start, p) + "\xE2\x80\xA6";  // ellipsis
  }
  return text;
}

// The label a tooltip shows: wrapped within the screen, cut where it would
// still be taller than limit. Only what might fit is laid out: as many lines
// as the screen holds, of characters a quarter of the average width, and
// never more than kToolTipLines of kToolTipLineChars.
GtkWidget* newToolTipLabel(GtkTooltip* tooltip, const std::string& text, int limit) {
  GtkWidget* label = gtk_label_new(nullptr);
  // Measured in the tooltip window, in the font it is drawn in there.
  gtk_tooltip_set_custom(tooltip, label);
  gtk_widget_ensure_style(label);
  const FontSize font = fontSizeOf(label);
  const auto lineChars = std::min(
      kToolTipLineChars, static_cast<size_t>(textWidthLimit(label) / std::max(1, font.charWidth / 4)));
  const auto lines = std::min(kToolTipLines, static_cast<size_t>(std::max(1, limit / font.lineHeight)));
  std::string shown = firstLines(text, lineChars, lines, lineChars * lines);
  gtk_label_set_text(GTK_LABEL(label), shown.c_str());
  wrapWhenWide(label);
  for (int height = heightOf(label); height > limit && !shown.empty(); height = heightOf(label)) {
    const size_t keep = std::max<size_t>(1, charCount(shown) * static_cast<size_t>(limit) / static_cast<size_t>(height));
    shown = firstChars(shown, keep - 1) + "\xE2\x80\xA6";  // ellipsis
    gtk_label_set_text(GTK_LABEL(label), shown.c_str());
    if (keep == 1) break;
  }
  return label;
}

// Builds the widget's tooltip label for its monitor's height and keeps it, so
// the queries that follow the pointer only show it.
GtkWidget* keepToolTipLabel(GtkWidget* widget, GtkTooltip* tooltip, const char* text) {
  const int limit = textHeightLimit(widget);
  GtkWidget* label = GTK_WIDGET(g_object_ref_sink(newToolTipLabel(tooltip, text, limit)));
  g_object_set_data_full(G_OBJECT(widget), kToolTipLabelKey, label, g_object_unref);
  g_object_set_data(G_OBJECT(widget), kToolTipLimitKey, GINT_TO_POINTER(limit));
  return label;
}

// The toolkit puts a tooltip below the pointer, or above the widget when it
// does not fit below, even where that is off the screen: a tall one is moved
// back onto the monitor under the pointer.
void keepOnMonitor(GtkWidget* window) {
  if (!gtk_widget_get_mapped(window)) return;
  GdkScreen* screen = gtk_widget_get_screen(window);
  int pointerX = 0, pointerY = 0;
  gdk_display_get_pointer(gdk_screen_get_display(screen), nullptr, &pointerX, &pointerY, nullptr);
  GdkRectangle monitor;
  gdk_screen_get_monitor_geometry(screen, gdk_screen_get_monitor_at_point(screen, pointerX, pointerY), &monitor);
  int x = 0, y = 0;
  gtk_window_get_position(GTK_WINDOW(window), &x, &y);
  GtkAllocation size;
  gtk_widget_get_allocation(window, &size);
  const int placedX = std::max(monitor.x, std::min(x, monitor.x + monitor.width - size.width));
  const int placedY = std::max(monitor.y, std::min(y, monitor.y + monitor.height - size.height));
  if (placedX != x || placedY != y) gtk_window_move(GTK_WINDOW(window), placedX, placedY);
}

void onToolTipMapped(GtkWidget* window, gpointer) { keepOnMonitor(window); }

void onToolTipResized(GtkWidget* window, GtkAllocation*, gpointer) { keepOnMonitor(window); }

// Once per tooltip window: the toolkit shares one among all widgets.
void watchToolTipWindow(GtkWidget* label) {
  GtkWidget* window = gtk_widget_get_toplevel(label);
  if (!GTK_IS_WINDOW(window) || g_object_get_data(G_OBJECT(window), kToolTipWatchedKey) != nullptr) return;
  g_object_set_data(G_OBJECT(window), kToolTipWatchedKey, GINT_TO_POINTER(1));
  g_signal_connect_after(window, "map", G_CALLBACK(onToolTipMapped), nullptr);
  g_signal_connect_after(window, "size-allocate", G_CALLBACK(onToolTipResized), nullptr);
}

gboolean onQueryToolTip(GtkWidget* widget, gint, gint, gboolean, GtkTooltip* tooltip, gpointer) {
  const auto* text = static_cast<const char*>(g_object_get_data(G_OBJECT(widget), kToolTipKey));
  if (text == nullptr || *text == '\0') return FALSE;
  auto* label = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kToolTipLabelKey));
  // Not built yet, or built for another monitor (or before the widget had one).
  if (label == nullptr || GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kToolTipLimitKey)) !=
                              textHeightLimit(widget)) {
    label = keepToolTipLabel(widget, tooltip, text);
  }
  gtk_tooltip_set_custom(tooltip, label);
  watchToolTipWindow(label);
  return TRUE;
}

}  // namespace

void boundLabel(GtkWidget* label) {
  if (label == nullptr || !GTK_IS_LABEL(label) || g_object_get_data(G_OBJECT(label), kBoundMark) != nullptr) return;
  g_object_set_data(G_OBJECT(label), kBoundMark, GINT_TO_POINTER(1));
  // An ellipsized label asks for no more than max-width-chars; set high, it
  // asks for its whole text, and clampWidth cuts that to the screen.
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 100000);
  g_signal_connect_after(label, "size-request", G_CALLBACK(clampWidth), nullptr);
  cutLabelToScreen(label);
  g_signal_connect(label, "notify::label", G_CALLBACK(onLabelTextChanged), nullptr);
}

std::string screenLine(const std::string& text) { return cutToChars(text, lineCharLimit(nullptr)); }

std::string captionShown(GtkWidget* label, const std::string& bytes) {
  const size_t limit = lineCharLimit(label);
  return cutToChars(readableStart(bytes, limit + 1), limit);
}

void setBoundedToolTip(GtkWidget* widget, const std::string& text) {
  if (widget == nullptr) return;
  // Connected once, with the first text that shows: a widget whose first
  // tooltip was empty still gets the later ones.
  if (!text.empty() && g_object_get_data(G_OBJECT(widget), kToolTipConnectedKey) == nullptr) {
    g_signal_connect(widget, "query-tooltip", G_CALLBACK(onQueryToolTip), nullptr);
    g_object_set_data(G_OBJECT(widget), kToolTipConnectedKey, GINT_TO_POINTER(1));
  }
  // Kept as far as a tooltip label ever lays it out, and a character more to
  // show that it goes on.
  const std::string shown = readableStart(text, kToolTipLineChars * kToolTipLines + 1);
  g_object_set_data_full(G_OBJECT(widget), kToolTipKey, g_strdup(shown.c_str()), g_free);
  // Built when it is first shown: a language switch sets every tooltip, and
  // laying out a long text takes far longer than keeping it.
  g_object_set_data(G_OBJECT(widget), kToolTipLabelKey, nullptr);
  gtk_widget_set_has_tooltip(widget, text.empty() ? FALSE : TRUE);
}

bool toolTipLabelBuilt(GtkWidget* widget) { return builtToolTipLabel(widget) != nullptr; }

GtkWidget* builtToolTipLabel(GtkWidget* widget) {
  return widget == nullptr ? nullptr : static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kToolTipLabelKey));
}

GtkWidget* shownToolTipWindow() {
  GtkWidget* shown = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w != nullptr && shown == nullptr; w = w->next) {
    GtkWidget* window = GTK_WIDGET(w->data);
    if (gtk_widget_get_mapped(window) && g_strcmp0(gtk_widget_get_name(window), "gtk-tooltip") == 0) shown = window;
  }
  g_list_free(windows);
  return shown;
}

void addBoundedMessage(GtkWidget* dialog, const std::string& text) {
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  // Measured in the dialog, in the font its style draws the text in: the
  // program's own font may be larger than the theme's.
  GtkWidget* label = gtk_label_new(nullptr);
  gtk_box_pack_start(GTK_BOX(content), label, TRUE, TRUE, 0);
  gtk_widget_ensure_style(label);
  const FontSize font = fontSizeOf(label);
  const auto lineChars = static_cast<size_t>(textWidthLimit(label) / font.charWidth);
  const auto screenLines = static_cast<size_t>(std::max(1, textHeightLimit(label) / font.lineHeight));
  // A run without blanks is broken between characters, the slowest layout of all: one screen of it at most.
  const std::string shown = firstLines(displayName(text), lineChars, kMessageScreens * screenLines, lineChars * screenLines);
  gtk_label_set_text(GTK_LABEL(label), shown.c_str());
  gtk_misc_set_padding(GTK_MISC(label), 10, 10);
  wrapWhenWide(label);
  const int limit = textHeightLimit(label);
  if (heightOf(label) <= limit) return;
  // A long list of names: it scrolls, and the buttons stay on the screen.
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_box_pack_start(GTK_BOX(content), scrolled, TRUE, TRUE, 0);
  g_object_ref(label);
  gtk_container_remove(GTK_CONTAINER(content), label);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(scrolled), label);
  g_object_unref(label);
  GtkRequisition natural;
  gtk_widget_size_request(label, &natural);
  GtkRequisition bar;
  gtk_widget_size_request(gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(scrolled)), &bar);
  gtk_widget_set_size_request(scrolled, natural.width + bar.width + 8, limit);
}

}  // namespace zandrel::ui::detail

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

GdkRectangle monitorOf(GtkWidget* widget) {
  GdkScreen* screen = widget != nullptr && gtk_widget_has_screen(widget) ? gtk_widget_get_screen(widget)
                                                                         : gdk_screen_get_default();
  GdkRectangle area{0, 0, 1024, 768};
  if (screen == nullptr) return area;
  GdkWindow* window = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
  const int monitor = window != nullptr ? gdk_screen_get_monitor_at_window(screen, window)
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

// The label a tooltip shows: wrapped within the screen, cut where it would
// still be taller than limit.
GtkWidget* newToolTipLabel(const std::string& text, int limit) {
  std::string shown = text;
  GtkWidget* label = gtk_label_new(shown.c_str());
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
GtkWidget* keepToolTipLabel(GtkWidget* widget, const char* text) {
  const int limit = textHeightLimit(widget);
  GtkWidget* label = GTK_WIDGET(g_object_ref_sink(newToolTipLabel(text, limit)));
  g_object_set_data_full(G_OBJECT(widget), kToolTipLabelKey, label, g_object_unref);
  g_object_set_data(G_OBJECT(widget), kToolTipLimitKey, GINT_TO_POINTER(limit));
  return label;
}

gboolean onQueryToolTip(GtkWidget* widget, gint, gint, gboolean, GtkTooltip* tooltip, gpointer) {
  const auto* text = static_cast<const char*>(g_object_get_data(G_OBJECT(widget), kToolTipKey));
  if (text == nullptr || *text == '\0') return FALSE;
  auto* label = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kToolTipLabelKey));
  // Built for another monitor (or before the widget had one): build it again.
  if (label == nullptr || GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kToolTipLimitKey)) !=
                              textHeightLimit(widget)) {
    label = keepToolTipLabel(widget, text);
  }
  gtk_tooltip_set_custom(tooltip, label);
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
}

void setBoundedToolTip(GtkWidget* widget, const std::string& text) {
  if (widget == nullptr) return;
  // Connected once, with the first text that shows: a widget whose first
  // tooltip was empty still gets the later ones.
  if (!text.empty() && g_object_get_data(G_OBJECT(widget), kToolTipConnectedKey) == nullptr) {
    g_signal_connect(widget, "query-tooltip", G_CALLBACK(onQueryToolTip), nullptr);
    g_object_set_data(G_OBJECT(widget), kToolTipConnectedKey, GINT_TO_POINTER(1));
  }
  const std::string shown = displayName(text);
  g_object_set_data_full(G_OBJECT(widget), kToolTipKey, g_strdup(shown.c_str()), g_free);
  if (shown.empty()) {
    g_object_set_data(G_OBJECT(widget), kToolTipLabelKey, nullptr);
  } else {
    keepToolTipLabel(widget, shown.c_str());
  }
  gtk_widget_set_has_tooltip(widget, text.empty() ? FALSE : TRUE);
}

GtkWidget* boundedMessage(const std::string& text) {
  GtkWidget* label = gtk_label_new(displayName(text).c_str());
  gtk_misc_set_padding(GTK_MISC(label), 10, 10);
  wrapWhenWide(label);
  const int limit = textHeightLimit(label);
  if (heightOf(label) <= limit) return label;
  // A long list of names: it scrolls, and the buttons stay on the screen.
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(scrolled), label);
  GtkRequisition natural;
  gtk_widget_size_request(label, &natural);
  GtkRequisition bar;
  gtk_widget_size_request(gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(scrolled)), &bar);
  gtk_widget_set_size_request(scrolled, natural.width + bar.width + 8, limit);
  return scrolled;
}

}  // namespace zandrel::ui::detail

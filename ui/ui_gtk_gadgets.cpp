// Gadgets: creation, placement, texts, states, colours, fonts, panels, drops.

#include <algorithm>
#include <cstring>

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel::ui {
namespace detail {

Gadget* findGadget(int number) {
  auto& gadgets = state().gadgets;
  const auto it = gadgets.find(number);
  return it == gadgets.end() ? nullptr : it->second.get();
}

Gadget* findGadget(int number, GadgetKind kind) {
  Gadget* g = findGadget(number);
  return g != nullptr && g->kind == kind ? g : nullptr;
}

bool isList(const Gadget& g) { return g.kind == GadgetKind::ListView || g.kind == GadgetKind::ListIcon; }

void applyFontToLabel(GtkWidget* label, int font) {
  if (label == nullptr || !GTK_IS_LABEL(label)) return;
  const Font* f = findFont(font);
  gtk_widget_modify_font(label, f != nullptr ? f->description : nullptr);
  if (f != nullptr && f->underline) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    gtk_label_set_attributes(GTK_LABEL(label), attributes);
    pango_attr_list_unref(attributes);
  } else {
    gtk_label_set_attributes(GTK_LABEL(label), nullptr);
  }
}

GtkWidget* captionLabel(const Gadget& g) {
  GtkWidget* label = nullptr;
  switch (g.kind) {
    case GadgetKind::Button:
    case GadgetKind::CheckBox:
    case GadgetKind::Option:
      label = gtk_bin_get_child(GTK_BIN(g.main));
      break;
    case GadgetKind::Frame:
      label = gtk_frame_get_label_widget(GTK_FRAME(g.main));
      break;
    case GadgetKind::Text:
    case GadgetKind::Hyperlink:
      label = g.main;
      break;
    default:
      break;
  }
  return label != nullptr && GTK_IS_LABEL(label) ? label : nullptr;
}

// Every gadget keeps the size the program gives it, texts included: a caption
// wider than its place must not push under the gadget beside it.
void requestSize(const Gadget& g) {
  gtk_widget_set_size_request(g.outer, std::max(1, g.width), std::max(1, g.height));
}

void applyFont(Gadget& g) {
  const Font* f = findFont(g.font);
  PangoFontDescription* description = f != nullptr ? f->description : nullptr;
  switch (g.kind) {
    case GadgetKind::Button:
    case GadgetKind::CheckBox:
    case GadgetKind::Option:
    case GadgetKind::Frame:
    case GadgetKind::Text:
    case GadgetKind::Hyperlink:
      applyFontToLabel(captionLabel(g), g.font);
      break;
    case GadgetKind::Panel:
      for (GtkWidget* tab : g.tabs) applyFontToLabel(gtk_notebook_get_tab_label(GTK_NOTEBOOK(g.main), tab), g.font);
      break;
    case GadgetKind::String:
    case GadgetKind::ListView:
    case GadgetKind::ListIcon:
    case GadgetKind::ProgressBar:
      gtk_widget_modify_font(g.main, description);
      break;
    case GadgetKind::Image:
    case GadgetKind::ScrollArea:
      break;
  }
}

// Drops every record of a window's gadgets; the widgets go with the window.
void freeGadgetsOfWindow(int window) {
  std::erase_if(state().gadgets, [&](const auto& entry) { return entry.second->window == window; });
}

// Both lists: rows are Row pointers in a one-column store, drawn by data functions.
void renderRowText(GtkTreeViewColumn* column, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* iter,
                   gpointer) {
  Row* row = nullptr;
  gtk_tree_model_get(model, iter, 0, &row, -1);
  const size_t index = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(column), "zandrel-column"));
  if (row == nullptr || index >= row->texts.size()) {
    g_object_set(cell, "text", "", nullptr);
    return;
  }
  g_object_set(cell, "text", displayName(row->texts[index]).c_str(), nullptr);
}

GtkTreeViewColumn* newTextColumn(const std::string& title, int width, bool fixedWidth) {
  GtkTreeViewColumn* column = gtk_tree_view_column_new();
  gtk_tree_view_column_set_title(column, screenLine(displayName(title)).c_str());
  GtkCellRenderer* text = gtk_cell_renderer_text_new();
  gtk_tree_view_column_pack_start(column, text, TRUE);
  gtk_tree_view_column_set_cell_data_func(column, text, renderRowText, nullptr, nullptr);
  g_object_set_data(G_OBJECT(column), "zandrel-text", text);
  g_object_set_data_full(G_OBJECT(column), "zandrel-title", g_strdup(title.c_str()), g_free);
  if (fixedWidth) {
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, std::max(1, width));
    gtk_tree_view_column_set_resizable(column, TRUE);
  }
  return column;
}

}  // namespace detail

using namespace detail;

namespace {

int pickNumber(int number) {
  if (number != kAnyNumber) return number;
  auto& s = state();
  while (s.gadgets.count(s.nextFreeNumber) != 0) ++s.nextFreeNumber;
  return s.nextFreeNumber++;
}

// The widget whose colour the user sees as the gadget's background.
GtkWidget* backgroundWidget(const Gadget& g) { return g.kind == GadgetKind::Text ? g.outer : g.main; }

bool usesBase(const Gadget& g) { return g.kind == GadgetKind::String || isList(g); }

// The label that shows a gadget's caption, bounded to the screen.
void boundCaption(const Gadget& g) { boundLabel(captionLabel(g)); }

// Puts a made widget into the current gadget list and registers it. Returns
// nullptr when there is no list to put it in.
Gadget* place(int& number, GadgetKind kind, GtkWidget* outer, GtkWidget* main, int x, int y, int width, int height,
              const std::string& text) {
  auto& s = state();
  if (s.lists.empty()) {
    gtk_widget_destroy(outer);
    return nullptr;
  }
  number = pickNumber(number);
  if (findGadget(number) != nullptr) freeGadget(number);
  if (kind != GadgetKind::Option) s.optionGroup = nullptr;
  if (s.lists.empty()) {  // freeing the old gadget closed the list it opened
    gtk_widget_destroy(outer);
    return nullptr;
  }
  const GadgetList list = s.lists.back();
  auto made = std::make_unique<Gadget>();
  Gadget* g = made.get();
  g->kind = kind;
  g->number = number;
  g->window = list.window;
  g->parent = list.owner;
  g->outer = outer;
  g->main = main;
  g->fixed = list.fixed;
  g->x = x, g->y = y, g->width = width, g->height = height;
  g->text = text;
  g->font = s.defaultFont;
  s.gadgets[number] = std::move(made);
  if (g->font != 0) applyFont(*g);
  boundCaption(*g);

  gtk_fixed_put(GTK_FIXED(list.fixed), outer, x, y);
  requestSize(*g);
  gtk_widget_show_all(outer);
  GtkWidget* coloured = backgroundWidget(*g);
  gtk_widget_ensure_style(coloured);
  GtkStyle* style = gtk_widget_get_style(coloured);
  g->defaultBackground = fromGdkColor(usesBase(*g) ? style->base[GTK_STATE_NORMAL] : style->bg[GTK_STATE_NORMAL]);
  return g;
}

void onClicked(GtkButton*, gpointer data) {
  const Gadget* g = findGadget(GPOINTER_TO_INT(data));
  if (g != nullptr) pushEvent(EventKind::Gadget, g->number, g->window);
}

void onDropDownClicked(GtkButton*, gpointer data) {
  const Gadget* g = findGadget(GPOINTER_TO_INT(data), GadgetKind::Button);
  if (g != nullptr) showPopupMenuBelow(g->dropDownMenu, g->number);
}

void onToggled(GtkToggleButton* button, gpointer data) {
  const Gadget* g = findGadget(GPOINTER_TO_INT(data));
  if (g == nullptr) return;
  // An option that loses its mark is not the one the user chose.
  if (g->kind == GadgetKind::Option && !gtk_toggle_button_get_active(button)) return;
  pushEvent(EventKind::Gadget, g->number, g->window);
}

void onDigitsInsert(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer) {
  if (state().quiet > 0) return;
  const std::string given = length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
  std::string digits;
  for (const char c : given) {
    if (c >= '0' && c <= '9') digits += c;
  }
  if (digits == given) return;
  g_signal_stop_emission_by_name(editable, "insert-text");
  if (digits.empty()) return;
  // Insert what is left without coming back here.
  g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(onDigitsInsert), nullptr);
  gtk_editable_insert_text(editable, digits.c_str(), static_cast<gint>(digits.size()), position);
  g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(onDigitsInsert), nullptr);
}

gboolean onLinkCrossing(GtkWidget*, GdkEventCrossing* event, gpointer data) {
  const Gadget* g = findGadget(GPOINTER_TO_INT(data), GadgetKind::Hyperlink);
  if (g == nullptr) return FALSE;
  if (event->type == GDK_ENTER_NOTIFY) {
    const GdkColor colour = toGdkColor(g->hoverColour);
    gtk_widget_modify_fg(g->main, GTK_STATE_NORMAL, &colour);
  } else {
    gtk_widget_modify_fg(g->main, GTK_STATE_NORMAL, nullptr);
  }
  return FALSE;
}

gboolean onLinkButton(GtkWidget*, GdkEventButton* event, gpointer data) {
  Gadget* g = findGadget(GPOINTER_TO_INT(data), GadgetKind::Hyperlink);
  if (g == nullptr || event->button != 1) return FALSE;
  if (event->type == GDK_BUTTON_PRESS) {
    g->linkPressed = true;
  } else if (event->type == GDK_BUTTON_RELEASE && g->linkPressed) {
    g->linkPressed = false;
    pushEvent(EventKind::Gadget, g->number, g->window);
  }
  return TRUE;
}

void onLinkRealize(GtkWidget* widget, gpointer) {
  GdkCursor* hand = gdk_cursor_new_for_display(gtk_widget_get_display(widget), GDK_HAND2);
  gdk_window_set_cursor(gtk_widget_get_window(widget), hand);
  gdk_cursor_unref(hand);
}

// Records the local files of a uri-list drop and raises GadgetDrop for the gadget.
void deliverDrop(int number, GtkSelectionData* data) {
  const Gadget* g = findGadget(number);
  if (g == nullptr || data == nullptr) return;
  gchar** uris = gtk_selection_data_get_uris(data);
  if (uris == nullptr) return;
  std::string paths;
  bool any = false;
  for (gchar** uri = uris; *uri != nullptr; ++uri) {
    gchar* file = g_filename_from_uri(*uri, nullptr, nullptr);
    if (file == nullptr) continue;  // not a local file
    if (any) paths += '\n';
    paths += file;
    any = true;
    g_free(file);
  }
  g_strfreev(uris);
  if (!any) return;
  state().droppedFiles = paths;
  pushEvent(EventKind::GadgetDrop, g->number, g->window);
}

void onDragDataReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data, guint, guint,
                        gpointer number) {
  deliverDrop(GPOINTER_TO_INT(number), data);
}

void setProgressFraction(Gadget& g) {
  const int span = g.progressMax - g.progressMin;
  double fraction = span <= 0 ? 0.0 : static_cast<double>(g.progressValue - g.progressMin) / span;
  fraction = std::clamp(fraction, 0.0, 1.0);
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(g.main), fraction);
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation

int buttonGadget(int number, int x, int y, int width, int height, const std::string& text) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* button = gtk_button_new_with_label(displayName(text).c_str());
  if (place(number, GadgetKind::Button, button, button, x, y, width, height, text) == nullptr) return -1;
  g_signal_connect(button, "clicked", G_CALLBACK(onClicked), GINT_TO_POINTER(number));
  return number;
}

int splitButtonGadget(int number, int x, int y, int width, int height, const std::string& text, int popupMenu) {
  if (!state().initialized) return -1;
  Quiet quiet;
  constexpr int kArrowWidth = 18;
  GtkWidget* box = gtk_hbox_new(FALSE, 0);
  GtkWidget* button = gtk_button_new_with_label(displayName(text).c_str());
  GtkWidget* arrow = gtk_button_new();
  gtk_button_set_focus_on_click(GTK_BUTTON(arrow), FALSE);
  gtk_container_add(GTK_CONTAINER(arrow), gtk_arrow_new(GTK_ARROW_DOWN, GTK_SHADOW_NONE));
  gtk_widget_set_size_request(arrow, kArrowWidth, -1);
  gtk_box_pack_start(GTK_BOX(box), button, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box), arrow, FALSE, FALSE, 0);
  Gadget* g = place(number, GadgetKind::Button, box, button, x, y, width, height, text);
  if (g == nullptr) return -1;
  g->dropDown = arrow;
  g->dropDownMenu = popupMenu;
  g_signal_connect(button, "clicked", G_CALLBACK(onClicked), GINT_TO_POINTER(number));
  g_signal_connect(arrow, "clicked", G_CALLBACK(onDropDownClicked), GINT_TO_POINTER(number));
  return number;
}

int checkBoxGadget(int number, int x, int y, int width, int height, const std::string& text) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* box = gtk_check_button_new_with_label(displayName(text).c_str());
  if (place(number, GadgetKind::CheckBox, box, box, x, y, width, height, text) == nullptr) return -1;
  g_signal_connect(box, "toggled", G_CALLBACK(onToggled), GINT_TO_POINTER(number));
  return number;
}

int optionGadget(int number, int x, int y, int width, int height, const std::string& text) {
  if (!state().initialized) return -1;
  Quiet quiet;
  auto& s = state();
  GSList* group = s.optionGroup != nullptr ? gtk_radio_button_get_group(GTK_RADIO_BUTTON(s.optionGroup)) : nullptr;
  GtkWidget* option = gtk_radio_button_new_with_label(group, displayName(text).c_str());
  if (place(number, GadgetKind::Option, option, option, x, y, width, height, text) == nullptr) return -1;
  s.optionGroup = option;
  g_signal_connect(option, "toggled", G_CALLBACK(onToggled), GINT_TO_POINTER(number));
  return number;
}

int frameGadget(int number, int x, int y, int width, int height, const std::string& title, bool flat) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* frame = gtk_frame_new(title.empty() ? nullptr : displayName(title).c_str());
  if (flat) gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  if (place(number, GadgetKind::Frame, frame, frame, x, y, width, height, title) == nullptr) return -1;
  return number;
}

int textGadget(int number, int x, int y, int width, int height, const std::string& text, bool centred) {
  if (!state().initialized) return -1;
  Quiet quiet;
  // The box gives the label a window of its own once it gets a colour.
  GtkWidget* box = gtk_event_box_new();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), FALSE);
  GtkWidget* label = gtk_label_new(displayName(text).c_str());
  gtk_misc_set_alignment(GTK_MISC(label), centred ? 0.5f : 0.0f, 0.0f);
  if (centred) gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  gtk_container_add(GTK_CONTAINER(box), label);
  if (place(number, GadgetKind::Text, box, label, x, y, width, height, text) == nullptr) return -1;
  return number;
}

int stringGadget(int number, int x, int y, int width, int height, const std::string& text, bool digitsOnly) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), displayName(text).c_str());
  if (place(number, GadgetKind::String, entry, entry, x, y, width, height, text) == nullptr) return -1;
  if (digitsOnly) g_signal_connect(entry, "insert-text", G_CALLBACK(onDigitsInsert), nullptr);
  return number;
}

namespace {

void renderRowCheck(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* iter, gpointer) {
  Row* row = nullptr;
  gtk_tree_model_get(model, iter, 0, &row, -1);
  g_object_set(cell, "active", row != nullptr && row->checked ? TRUE : FALSE, nullptr);
}

void onCheckToggled(GtkCellRendererToggle*, gchar* path, gpointer data) {
  Gadget* g = findGadget(GPOINTER_TO_INT(data), GadgetKind::ListIcon);
  if (g == nullptr) return;
  toggleRowCheck(*g, std::atoi(path));
}

// A click on a check box toggles it and leaves the highlight alone.
gboolean onListButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  Gadget* g = findGadget(GPOINTER_TO_INT(data), GadgetKind::ListIcon);
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  if (g == nullptr || event->type != GDK_BUTTON_PRESS || event->button != 1) return FALSE;
  if (event->window != gtk_tree_view_get_bin_window(view)) return FALSE;
  GtkTreePath* path = nullptr;
  GtkTreeViewColumn* column = nullptr;
  gint cellX = 0;
  if (!gtk_tree_view_get_path_at_pos(view, static_cast<gint>(event->x), static_cast<gint>(event->y), &path, &column,
                                     &cellX, nullptr)) {
    return FALSE;
  }
  const int row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  if (column != gtk_tree_view_get_column(view, 0)) return FALSE;
  gint start = 0, width = 0;
  if (!gtk_tree_view_column_cell_get_position(column, g->toggle, &start, &width)) return FALSE;
  if (cellX < start || cellX >= start + width) return FALSE;
  toggleRowCheck(*g, row);
  return TRUE;
}

int makeList(int number, int x, int y, int width, int height, bool icons, const std::string& firstTitle,
             int firstWidth) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_POINTER);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);  // the view holds it
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(view)), GTK_SELECTION_MULTIPLE);
  GtkTreeViewColumn* first = newTextColumn(firstTitle, firstWidth, icons);
  g_object_set_data(G_OBJECT(first), "zandrel-column", GUINT_TO_POINTER(0));
  GtkCellRenderer* toggle = nullptr;
  if (icons) {
    toggle = gtk_cell_renderer_toggle_new();
    gtk_tree_view_column_pack_start(first, toggle, FALSE);
    gtk_cell_layout_reorder(GTK_CELL_LAYOUT(first), toggle, 0);
    gtk_tree_view_column_set_cell_data_func(first, toggle, renderRowCheck, nullptr, nullptr);
  }
  gtk_tree_view_append_column(GTK_TREE_VIEW(view), first);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), icons);
  // Every row is one line high: measured once rather than row by row, so
  // 100,000 rows fill a shown list in under a second, not several.
  if (icons) gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(view), TRUE);
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(scrolled), view);
  Gadget* g = place(number, icons ? GadgetKind::ListIcon : GadgetKind::ListView, scrolled, view, x, y, width, height,
                    "");
  if (g == nullptr) return -1;
  g->store = store;
  g->toggle = toggle;
  if (icons) {
    watchColumnClicks(*g, first);
    completeColumnList(*g);
    g_signal_connect(toggle, "toggled", G_CALLBACK(onCheckToggled), GINT_TO_POINTER(number));
    g_signal_connect(view, "button-press-event", G_CALLBACK(onListButtonPress), GINT_TO_POINTER(number));
  }
  return number;
}

}  // namespace

int listViewGadget(int number, int x, int y, int width, int height) {
  return makeList(number, x, y, width, height, false, "", 0);
}

int listIconGadget(int number, int x, int y, int width, int height, const std::string& firstTitle, int firstWidth) {
  return makeList(number, x, y, width, height, true, firstTitle, firstWidth);
}

int panelGadget(int number, int x, int y, int width, int height) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* notebook = gtk_notebook_new();
  gtk_notebook_set_scrollable(GTK_NOTEBOOK(notebook), TRUE);
  if (place(number, GadgetKind::Panel, notebook, notebook, x, y, width, height, "") == nullptr) return -1;
  return number;
}

int progressBarGadget(int number, int x, int y, int width, int height) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* bar = gtk_progress_bar_new();
  Gadget* g = place(number, GadgetKind::ProgressBar, bar, bar, x, y, width, height, "");
  if (g == nullptr) return -1;
  setProgressFraction(*g);
  return number;
}

int imageGadget(int number, int x, int y, int width, int height, int image) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GdkPixbuf* pixbuf = findImage(image);
  GtkWidget* widget = pixbuf != nullptr ? gtk_image_new_from_pixbuf(pixbuf) : gtk_image_new();
  Gadget* g = place(number, GadgetKind::Image, widget, widget, x, y, width, height, "");
  if (g == nullptr) return -1;
  g->image = image;
  return number;
}

int hyperlinkGadget(int number, int x, int y, int width, int height, const std::string& text, uint32_t hoverColour) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* box = gtk_event_box_new();
  gtk_widget_add_events(box, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_ENTER_NOTIFY_MASK |
                                 GDK_LEAVE_NOTIFY_MASK);
  GtkWidget* label = gtk_label_new(displayName(text).c_str());
  gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
  gtk_container_add(GTK_CONTAINER(box), label);
  g_signal_connect(box, "realize", G_CALLBACK(onLinkRealize), nullptr);
  Gadget* g = place(number, GadgetKind::Hyperlink, box, label, x, y, width, height, text);
  if (g == nullptr) return -1;
  g->hoverColour = hoverColour;
  g_signal_connect(box, "enter-notify-event", G_CALLBACK(onLinkCrossing), GINT_TO_POINTER(number));
  g_signal_connect(box, "leave-notify-event", G_CALLBACK(onLinkCrossing), GINT_TO_POINTER(number));
  g_signal_connect(box, "button-press-event", G_CALLBACK(onLinkButton), GINT_TO_POINTER(number));
  g_signal_connect(box, "button-release-event", G_CALLBACK(onLinkButton), GINT_TO_POINTER(number));
  return number;
}

int scrollAreaGadget(int number, int x, int y, int width, int height, int innerWidth, int innerHeight,
                     int scrollStep) {
  if (!state().initialized) return -1;
  Quiet quiet;
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  GtkWidget* inner = gtk_fixed_new();
  gtk_widget_set_size_request(inner, std::max(1, innerWidth), std::max(1, innerHeight));
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(scrolled), inner);
  Gadget* g = place(number, GadgetKind::ScrollArea, scrolled, inner, x, y, width, height, "");
  if (g == nullptr) return -1;
  if (scrollStep > 0) {
    GtkScrolledWindow* sw = GTK_SCROLLED_WINDOW(scrolled);
    gtk_adjustment_set_step_increment(gtk_scrolled_window_get_vadjustment(sw), scrollStep);
    gtk_adjustment_set_step_increment(gtk_scrolled_window_get_hadjustment(sw), scrollStep);
  }
  state().lists.push_back(GadgetList{inner, g->window, number});
  return number;
}

void closeGadgetList() {
  auto& lists = state().lists;
  if (lists.size() > 1) lists.pop_back();  // a window's own list stays
  state().optionGroup = nullptr;
}

bool gadgetExists(int number) { return findGadget(number) != nullptr; }

void freeGadget(int number) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  Quiet quiet;
  auto& s = state();
  // Gadgets inside a panel or a scroll area go with it.
  std::vector<int> children;
  for (const auto& [child, gadget] : s.gadgets) {
    if (gadget->parent == number) children.push_back(child);
  }
  for (const int child : children) freeGadget(child);
  std::erase_if(s.lists, [&](const GadgetList& list) { return list.owner == number; });
  if (s.optionGroup == g->main) s.optionGroup = nullptr;
  GtkWidget* outer = g->outer;
  s.gadgets.erase(number);
  gtk_widget_destroy(outer);
}

// ---------------------------------------------------------------------------
// Place and size

int gadgetX(int number) {
  const Gadget* g = findGadget(number);
  return g == nullptr ? 0 : g->x;
}

int gadgetY(int number) {
  const Gadget* g = findGadget(number);
  return g == nullptr ? 0 : g->y;
}

int gadgetWidth(int number) {
  const Gadget* g = findGadget(number);
  return g == nullptr ? 0 : g->width;
}

int gadgetHeight(int number) {
  const Gadget* g = findGadget(number);
  return g == nullptr ? 0 : g->height;
}

void resizeGadget(int number, int x, int y, int width, int height) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  if (x != kKeep) g->x = x;
  if (y != kKeep) g->y = y;
  if (width != kKeep) g->width = width;
  if (height != kKeep) g->height = height;
  gtk_fixed_move(GTK_FIXED(g->fixed), g->outer, g->x, g->y);
  requestSize(*g);
}

// ---------------------------------------------------------------------------
// Texts and states

void setGadgetText(int number, const std::string& text) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  Quiet quiet;
  // A caption's label never gets more of a long text than it shows.
  switch (g->kind) {
    case GadgetKind::String:
      gtk_entry_set_text(GTK_ENTRY(g->main), displayName(text).c_str());
      break;
    case GadgetKind::Frame: {
      GtkWidget* label = gtk_frame_get_label_widget(GTK_FRAME(g->main));
      if (text.empty()) {
        gtk_frame_set_label(GTK_FRAME(g->main), nullptr);
      } else if (label != nullptr && GTK_IS_LABEL(label)) {
        gtk_label_set_text(GTK_LABEL(label), captionShown(label, text).c_str());
      } else {
        gtk_frame_set_label(GTK_FRAME(g->main), captionShown(g->main, text).c_str());
        applyFont(*g);
        boundCaption(*g);
      }
      break;
    }
    default:
      if (GtkWidget* label = captionLabel(*g)) {
        gtk_label_set_text(GTK_LABEL(label), captionShown(label, text).c_str());
        applyFontToLabel(label, g->font);
      }
      break;
  }
  g->text = text;
}

std::string gadgetText(int number) {
  const Gadget* g = findGadget(number);
  if (g == nullptr) return {};
  if (g->kind == GadgetKind::String) return gtk_entry_get_text(GTK_ENTRY(g->main));
  return g->text;
}

void setGadgetState(int number, int value) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  Quiet quiet;
  switch (g->kind) {
    case GadgetKind::CheckBox:
    case GadgetKind::Option:
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(g->main), value != 0);
      break;
    case GadgetKind::Panel:
      if (value >= 0 && value < static_cast<int>(g->tabs.size())) {
        gtk_notebook_set_current_page(GTK_NOTEBOOK(g->main), value);
      }
      break;
    case GadgetKind::ProgressBar:
      g->progressValue = value;
      setProgressFraction(*g);
      break;
    default:
      break;
  }
}

int gadgetState(int number) {
  const Gadget* g = findGadget(number);
  if (g == nullptr) return 0;
  switch (g->kind) {
    case GadgetKind::CheckBox:
    case GadgetKind::Option:
      return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(g->main)) ? 1 : 0;
    case GadgetKind::Panel:
      return std::max(0, gtk_notebook_get_current_page(GTK_NOTEBOOK(g->main)));
    case GadgetKind::ProgressBar:
      return g->progressValue;
    default:
      return 0;
  }
}

void setProgressRange(int number, int minimum, int maximum) {
  Gadget* g = findGadget(number, GadgetKind::ProgressBar);
  if (g == nullptr) return;
  g->progressMin = minimum;
  g->progressMax = maximum;
  setProgressFraction(*g);
}

int progressMaximum(int number) {
  const Gadget* g = findGadget(number, GadgetKind::ProgressBar);
  return g == nullptr ? 0 : g->progressMax;
}

void disableGadget(int number, bool disabled) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  // The toolkit takes the keyboard focus away from a widget it disables; a
  // gadget enabled again before the focus went elsewhere gets it back (a
  // list held still while its rows move keeps the arrow keys).
  GtkWidget* top = gtk_widget_get_toplevel(g->outer);
  GtkWindow* window = GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
  constexpr const char* kHadFocus = "zandrel-focus-when-disabled";
  if (disabled && window != nullptr && gtk_widget_get_sensitive(g->outer)) {
    g_object_set_data(G_OBJECT(g->outer), kHadFocus, GINT_TO_POINTER(gtk_window_get_focus(window) == g->main));
  }
  gtk_widget_set_sensitive(g->outer, !disabled);
  if (!disabled && g_object_get_data(G_OBJECT(g->outer), kHadFocus) != nullptr) {
    g_object_set_data(G_OBJECT(g->outer), kHadFocus, nullptr);
    if (window != nullptr && gtk_window_get_focus(window) == nullptr) gtk_widget_grab_focus(g->main);
  }
}

bool gadgetDisabled(int number) {
  const Gadget* g = findGadget(number);
  return g != nullptr && !gtk_widget_get_sensitive(g->outer);
}

void hideGadget(int number, bool hidden) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  g->hidden = hidden;
  if (hidden) {
    gtk_widget_hide(g->outer);
  } else {
    gtk_widget_show(g->outer);
  }
}

void setBackgroundColour(int number, uint32_t rgb) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  g->background = rgb & 0xFFFFFF;
  g->backgroundSet = true;
  const GdkColor colour = toGdkColor(rgb);
  GtkWidget* widget = backgroundWidget(*g);
  if (g->kind == GadgetKind::Text) gtk_event_box_set_visible_window(GTK_EVENT_BOX(widget), TRUE);
  if (usesBase(*g)) {
    gtk_widget_modify_base(widget, GTK_STATE_NORMAL, &colour);
  } else {
    gtk_widget_modify_bg(widget, GTK_STATE_NORMAL, &colour);
  }
}

uint32_t backgroundColour(int number) {
  const Gadget* g = findGadget(number);
  if (g == nullptr) return 0;
  return g->backgroundSet ? g->background : g->defaultBackground;
}

void setGadgetFont(int number, int font) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  g->font = font;
  applyFont(*g);
}

void setToolTip(int number, const std::string& text) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  g->toolTip = text;
  setBoundedToolTip(g->outer, text);
}

std::string toolTip(int number) {
  const Gadget* g = findGadget(number);
  return g == nullptr ? std::string() : g->toolTip;
}

void setGadgetImage(int number, int image) {
  Gadget* g = findGadget(number, GadgetKind::Image);
  if (g == nullptr) return;
  g->image = image;
  GdkPixbuf* pixbuf = findImage(image);
  if (pixbuf != nullptr) {
    gtk_image_set_from_pixbuf(GTK_IMAGE(g->main), pixbuf);
  } else {
    gtk_image_clear(GTK_IMAGE(g->main));
  }
}

void enableFileDrop(int number) {
  Gadget* g = findGadget(number);
  if (g == nullptr) return;
  static GtkTargetEntry uriList = {const_cast<gchar*>("text/uri-list"), 0, 0};
  gtk_drag_dest_set(g->main, GTK_DEST_DEFAULT_ALL, &uriList, 1,
                    static_cast<GdkDragAction>(GDK_ACTION_COPY | GDK_ACTION_MOVE | GDK_ACTION_LINK));
  g_signal_connect(g->main, "drag-data-received", G_CALLBACK(onDragDataReceived), GINT_TO_POINTER(number));
}

// ---------------------------------------------------------------------------
// Panels

int panelTabHeight(int number) {
  Gadget* g = findGadget(number, GadgetKind::Panel);
  if (g == nullptr || g->tabs.empty()) return 0;
  GtkRequisition ignored;
  gtk_widget_size_request(g->main, &ignored);
  // The notebook's own request, not the size the program forced on it.
  GtkRequisition whole;
  gtk_widget_get_requisition(g->main, &whole);
  int pages = 0;
  for (GtkWidget* tab : g->tabs) {
    GtkRequisition page;
    gtk_widget_get_child_requisition(tab, &page);
    pages = std::max(pages, page.height);
  }
  const int border = 2 * (gtk_widget_get_style(g->main)->ythickness +
                          static_cast<int>(gtk_container_get_border_width(GTK_CONTAINER(g->main))));
  return std::max(0, whole.height - pages - border);
}

void addPanelTab(int panel, const std::string& title) {
  Gadget* g = findGadget(panel, GadgetKind::Panel);
  if (g == nullptr) return;
  Quiet quiet;
  GtkWidget* fixed = gtk_fixed_new();
  GtkWidget* label = gtk_label_new(displayName(title).c_str());
  boundLabel(label);
  g_object_set_data_full(G_OBJECT(fixed), "zandrel-title", g_strdup(title.c_str()), g_free);
  gtk_widget_show(fixed);
  gtk_notebook_append_page(GTK_NOTEBOOK(g->main), fixed, label);
  g->tabs.push_back(fixed);
  applyFontToLabel(label, g->font);
  // A later tab of the same panel takes the place of the earlier one's list.
  auto& lists = state().lists;
  if (!lists.empty() && lists.back().owner == panel) lists.pop_back();
  lists.push_back(GadgetList{fixed, g->window, panel});
  state().optionGroup = nullptr;
}

void setPanelTabText(int panel, int tab, const std::string& title) {
  Gadget* g = findGadget(panel, GadgetKind::Panel);
  if (g == nullptr || tab < 0 || tab >= static_cast<int>(g->tabs.size())) return;
  GtkWidget* page = g->tabs[static_cast<size_t>(tab)];
  g_object_set_data_full(G_OBJECT(page), "zandrel-title", g_strdup(title.c_str()), g_free);
  GtkWidget* label = gtk_notebook_get_tab_label(GTK_NOTEBOOK(g->main), page);
  if (label != nullptr && GTK_IS_LABEL(label)) {
    gtk_label_set_text(GTK_LABEL(label), captionShown(label, title).c_str());
    applyFontToLabel(label, g->font);
  }
}

std::string panelTabText(int panel, int tab) {
  const Gadget* g = findGadget(panel, GadgetKind::Panel);
  if (g == nullptr || tab < 0 || tab >= static_cast<int>(g->tabs.size())) return {};
  const auto* title = static_cast<const char*>(g_object_get_data(G_OBJECT(g->tabs[static_cast<size_t>(tab)]),
                                                                 "zandrel-title"));
  return title == nullptr ? std::string() : std::string(title);
}

int panelTabCount(int panel) {
  const Gadget* g = findGadget(panel, GadgetKind::Panel);
  return g == nullptr ? 0 : static_cast<int>(g->tabs.size());
}

// ---------------------------------------------------------------------------
// Read-only fields and file drops through fields

namespace {

GdkAtom uriListAtom() { return gdk_atom_intern_static_string("text/uri-list"); }

// The field's own drag handling takes text; files are taken here first.
bool offersFiles(GtkWidget* field, GdkDragContext* context) {
  return gtk_drag_dest_find_target(field, context, nullptr) == uriListAtom();
}

gboolean onPassMotion(GtkWidget* field, GdkDragContext* context, gint, gint, guint time, gpointer) {
  if (!offersFiles(field, context)) return FALSE;
  gdk_drag_status(context, GDK_ACTION_COPY, time);
  return TRUE;
}

gboolean onPassDrop(GtkWidget* field, GdkDragContext* context, gint, gint, guint time, gpointer) {
  if (!offersFiles(field, context)) return FALSE;
  gtk_drag_get_data(field, context, uriListAtom(), time);
  return TRUE;
}

void onPassData(GtkWidget* field, GdkDragContext* context, gint, gint, GtkSelectionData* data, guint, guint time,
                gpointer target) {
  if (data == nullptr || gtk_selection_data_get_target(data) != uriListAtom()) return;
  // Never inserted as text, also where the field would take a uri list.
  g_signal_stop_emission_by_name(field, "drag-data-received");
  deliverDrop(GPOINTER_TO_INT(target), data);
  gtk_drag_finish(context, TRUE, FALSE, time);
}

}  // namespace

void setReadOnly(int number, bool readOnly) {
  Gadget* g = findGadget(number, GadgetKind::String);
  if (g != nullptr) gtk_editable_set_editable(GTK_EDITABLE(g->main), !readOnly);
}

bool gadgetReadOnly(int number) {
  const Gadget* g = findGadget(number, GadgetKind::String);
  return g != nullptr && !gtk_editable_get_editable(GTK_EDITABLE(g->main));
}

void passFileDrops(int field, int target) {
  Gadget* g = findGadget(field, GadgetKind::String);
  if (g == nullptr) return;
  // Files first: a file manager offers a dragged file's name as text too.
  GtkTargetList* targets = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add_uri_targets(targets, 0);
  gtk_target_list_add_text_targets(targets, 0);
  gtk_drag_dest_set_target_list(g->main, targets);
  gtk_target_list_unref(targets);
  g_signal_connect(g->main, "drag-motion", G_CALLBACK(onPassMotion), nullptr);
  g_signal_connect(g->main, "drag-drop", G_CALLBACK(onPassDrop), nullptr);
  g_signal_connect(g->main, "drag-data-received", G_CALLBACK(onPassData), GINT_TO_POINTER(target));
}

}  // namespace zandrel::ui

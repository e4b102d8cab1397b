// Rows and columns of the two list gadgets.

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel::ui {
namespace detail {

bool rowIter(Gadget& g, int row, GtkTreeIter* iter) {
  if (row < 0 || row >= static_cast<int>(g.rows.size())) return false;
  return gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(g.store), iter, nullptr, row) != FALSE;
}

namespace {

void rowChanged(Gadget& g, int row) {
  GtkTreeIter iter;
  if (!rowIter(g, row, &iter)) return;
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  gtk_tree_model_row_changed(GTK_TREE_MODEL(g.store), path, &iter);
  gtk_tree_path_free(path);
}

}  // namespace

namespace {

void onColumnClicked(GtkTreeViewColumn* column, gpointer data) {
  const Gadget* g = findGadget(GPOINTER_TO_INT(data), GadgetKind::ListIcon);
  if (g == nullptr || !g->columnClick) return;
  const int index = static_cast<int>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(column), "zandrel-column")));
  const ColumnClickHandler handler = g->columnClick;  // a copy: the handler may free the list
  handler(g->number, index);
}

}  // namespace

namespace {

// The toolkit lets a clickable title take the focus again whenever it redraws
// the title; put back at once, a click on a title leaves the focus where it was.
void keepTitleOffFocus(GObject* button, GParamSpec*, gpointer) {
  if (gtk_widget_get_can_focus(GTK_WIDGET(button))) gtk_widget_set_can_focus(GTK_WIDGET(button), FALSE);
}

// The sort arrow is taller than a title's text: the title asks for the
// arrow's room while it has none, so the header keeps one height and the rows
// stay in place at the first sort.
void keepArrowRoom(GtkWidget*, GtkRequisition* requisition, gpointer data) {
  GtkWidget* arrow = GTK_TREE_VIEW_COLUMN(data)->arrow;
  GtkWidget* box = arrow != nullptr ? gtk_widget_get_parent(arrow) : nullptr;
  if (box == nullptr || gtk_widget_get_visible(arrow)) return;
  GtkRequisition arrowSize;
  gtk_widget_size_request(arrow, &arrowSize);
  GtkRequisition boxSize;
  gtk_widget_get_requisition(box, &boxSize);
  requisition->height += std::max(0, arrowSize.height - boxSize.height);
}

}  // namespace

void watchColumnClicks(const Gadget& g, GtkTreeViewColumn* column) {
  gtk_tree_view_column_set_clickable(column, static_cast<bool>(g.columnClick));
  g_signal_connect(column, "clicked", G_CALLBACK(onColumnClicked), GINT_TO_POINTER(g.number));
  GtkWidget* title = column->button;
  if (title == nullptr) return;
  g_signal_connect(title, "notify::can-focus", G_CALLBACK(keepTitleOffFocus), nullptr);
  gtk_widget_set_can_focus(title, FALSE);
  g_signal_connect_after(title, "size-request", G_CALLBACK(keepArrowRoom), column);
}

void toggleRowCheck(Gadget& g, int row) {
  if (row < 0 || row >= static_cast<int>(g.rows.size())) return;
  Row& r = *g.rows[static_cast<size_t>(row)];
  r.checked = !r.checked;
  rowChanged(g, row);
}

namespace {

bool isFiller(GtkTreeViewColumn* column) { return g_object_get_data(G_OBJECT(column), "zandrel-filler") != nullptr; }

// Space checks or unchecks the row with the focus mark, as a click on its box
// does; when that row is highlighted, every highlighted row takes its new
// state. Ctrl+Space and Shift+Space keep the toolkit's meaning (highlights).
gboolean onListKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  if (event->keyval != GDK_space && event->keyval != GDK_KP_Space) return FALSE;
  if ((event->state & gtk_accelerator_get_default_mod_mask()) != 0) return FALSE;
  Gadget* g = findGadget(GPOINTER_TO_INT(data), GadgetKind::ListIcon);
  if (g == nullptr) return FALSE;
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  GtkTreePath* cursor = nullptr;
  gtk_tree_view_get_cursor(view, &cursor, nullptr);
  if (cursor == nullptr) return TRUE;
  const int row = gtk_tree_path_get_indices(cursor)[0];
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  const bool highlighted = gtk_tree_selection_path_is_selected(selection, cursor) != FALSE;
  gtk_tree_path_free(cursor);
  if (row < 0 || row >= static_cast<int>(g->rows.size())) return TRUE;
  if (!highlighted) {
    toggleRowCheck(*g, row);
    return TRUE;
  }
  const bool checked = !g->rows[static_cast<size_t>(row)]->checked;
  GList* rows = gtk_tree_selection_get_selected_rows(selection, nullptr);
  for (GList* p = rows; p != nullptr; p = p->next) {
    const int other = gtk_tree_path_get_indices(static_cast<GtkTreePath*>(p->data))[0];
    if (other < static_cast<int>(g->rows.size()) && g->rows[static_cast<size_t>(other)]->checked != checked) {
      toggleRowCheck(*g, other);
    }
  }
  g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  return TRUE;
}

}  // namespace

void completeColumnList(Gadget& g) {
  GtkTreeView* view = GTK_TREE_VIEW(g.main);
  // The toolkit gives the room the columns leave to the last one; an empty
  // column at the end takes it, so every column keeps its width.
  GtkTreeViewColumn* filler = gtk_tree_view_column_new();
  gtk_tree_view_column_set_sizing(filler, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(filler, 1);
  gtk_tree_view_column_set_expand(filler, TRUE);
  g_object_set_data(G_OBJECT(filler), "zandrel-filler", GINT_TO_POINTER(1));
  gtk_tree_view_append_column(view, filler);
  g_signal_connect(view, "key-press-event", G_CALLBACK(onListKeyPress), GINT_TO_POINTER(g.number));
}

}  // namespace detail

using namespace detail;

namespace {

Gadget* findList(int number) {
  Gadget* g = findGadget(number);
  return g != nullptr && isList(*g) ? g : nullptr;
}

std::vector<std::string> splitColumns(const std::string& texts) {
  std::vector<std::string> columns;
  size_t start = 0;
  while (true) {
    const size_t end = texts.find('\n', start);
    columns.push_back(texts.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return columns;
}

GtkTreeViewColumn* viewColumn(const Gadget& g, int column) {
  if (column < 0) return nullptr;
  GtkTreeViewColumn* c = gtk_tree_view_get_column(GTK_TREE_VIEW(g.main), column);
  return c == nullptr || isFiller(c) ? nullptr : c;
}

void renumberColumns(const Gadget& g) {
  GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(g.main));
  unsigned index = 0;
  for (GList* c = columns; c != nullptr; c = c->next, ++index) {
    g_object_set_data(G_OBJECT(c->data), "zandrel-column", GUINT_TO_POINTER(index));
  }
  g_list_free(columns);
}

void redrawAll(Gadget& g) { gtk_widget_queue_draw(g.main); }

}  // namespace

void addRow(int list, int position, const std::string& texts) {
  Gadget* g = findList(list);
  if (g == nullptr) return;
  Quiet quiet;
  const int count = static_cast<int>(g->rows.size());
  if (position < 0 || position > count) position = count;
  auto row = std::make_unique<Row>();
  row->texts = splitColumns(texts);
  Row* stored = row.get();
  g->rows.insert(g->rows.begin() + position, std::move(row));
  GtkTreeIter iter;
  gtk_list_store_insert_with_values(g->store, &iter, position, 0, stored, -1);
}

void removeRow(int list, int row) {
  Gadget* g = findList(list);
  if (g == nullptr) return;
  Quiet quiet;
  GtkTreeIter iter;
  if (!rowIter(*g, row, &iter)) return;
  gtk_list_store_remove(g->store, &iter);
  g->rows.erase(g->rows.begin() + row);
}

void clearRows(int list) {
  Gadget* g = findList(list);
  if (g == nullptr) return;
  Quiet quiet;
  gtk_list_store_clear(g->store);
  g->rows.clear();
}

int rowCount(int list) {
  const Gadget* g = findList(list);
  return g == nullptr ? 0 : static_cast<int>(g->rows.size());
}

std::string rowText(int list, int row, int column) {
  const Gadget* g = findList(list);
  if (g == nullptr || row < 0 || row >= static_cast<int>(g->rows.size()) || column < 0) return {};
  const auto& texts = g->rows[static_cast<size_t>(row)]->texts;
  return column < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(column)] : std::string();
}

void setRowText(int list, int row, int column, const std::string& text) {
  Gadget* g = findList(list);
  if (g == nullptr || row < 0 || row >= static_cast<int>(g->rows.size()) || column < 0) return;
  Quiet quiet;
  auto& texts = g->rows[static_cast<size_t>(row)]->texts;
  if (column >= static_cast<int>(texts.size())) texts.resize(static_cast<size_t>(column) + 1);
  texts[static_cast<size_t>(column)] = text;
  rowChanged(*g, row);
}

int rowState(int list, int row) {
  Gadget* g = findList(list);
  GtkTreeIter iter;
  if (g == nullptr || !rowIter(*g, row, &iter)) return 0;
  int result = 0;
  if (gtk_tree_selection_iter_is_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(g->main)), &iter)) {
    result |= kRowSelected;
  }
  if (g->rows[static_cast<size_t>(row)]->checked) result |= kRowChecked;
  return result;
}

void setRowState(int list, int row, int value) {
  Gadget* g = findList(list);
  GtkTreeIter iter;
  if (g == nullptr || !rowIter(*g, row, &iter)) return;
  Quiet quiet;
  GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(g->main));
  if (value & kRowSelected) {
    gtk_tree_selection_select_iter(selection, &iter);
  } else {
    gtk_tree_selection_unselect_iter(selection, &iter);
  }
  g->rows[static_cast<size_t>(row)]->checked = (value & kRowChecked) != 0;
  rowChanged(*g, row);
}

int currentRow(int list) {
  Gadget* g = findList(list);
  if (g == nullptr) return -1;
  GtkTreePath* path = nullptr;
  gtk_tree_view_get_cursor(GTK_TREE_VIEW(g->main), &path, nullptr);
  if (path == nullptr) return -1;
  const int row = gtk_tree_path_get_depth(path) == 1 ? gtk_tree_path_get_indices(path)[0] : -1;
  gtk_tree_path_free(path);
  return row;
}

void setCurrentRow(int list, int row) {
  Gadget* g = findList(list);
  if (g == nullptr) return;
  Quiet quiet;
  GtkTreeView* view = GTK_TREE_VIEW(g->main);
  const int count = static_cast<int>(g->rows.size());
  const bool none = row < 0 || row >= count;
  // A path past the last row names no row: the view drops its cursor there
  // and selects nothing. On a row, the cursor highlights that row alone, so
  // the highlights are put back.
  GtkTreePath* path = gtk_tree_path_new_from_indices(none ? count : row, -1);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  GList* highlighted = none ? nullptr : gtk_tree_selection_get_selected_rows(selection, nullptr);
  gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
  if (!none) {
    gtk_tree_selection_unselect_all(selection);
    for (GList* p = highlighted; p != nullptr; p = p->next) {
      gtk_tree_selection_select_path(selection, static_cast<GtkTreePath*>(p->data));
    }
  }
  g_list_free_full(highlighted, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  gtk_tree_path_free(path);
}

void addColumn(int list, int position, const std::string& title, int width) {
  Gadget* g = findList(list);
  if (g == nullptr) return;
  Quiet quiet;
  const int count = columnCount(list);
  // The check boxes live in the first column, which stays first.
  const int lowest = g->kind == GadgetKind::ListIcon && count > 0 ? 1 : 0;
  if (position < 0 || position > count) position = count;
  position = std::max(position, lowest);
  GtkTreeViewColumn* column = newTextColumn(title, width, true);
  gtk_tree_view_insert_column(GTK_TREE_VIEW(g->main), column, position);
  if (g->kind == GadgetKind::ListIcon) watchColumnClicks(*g, column);
  // Rows keep their texts in step with the columns.
  for (auto& row : g->rows) {
    if (static_cast<int>(row->texts.size()) > position) {
      row->texts.insert(row->texts.begin() + position, std::string());
    }
  }
  renumberColumns(*g);
  redrawAll(*g);
}

void setColumnTitle(int list, int column, const std::string& title) {
  Gadget* g = findList(list);
  if (g == nullptr) return;
  GtkTreeViewColumn* c = viewColumn(*g, column);
  if (c == nullptr) return;
  gtk_tree_view_column_set_title(c, screenLine(displayName(title)).c_str());
  g_object_set_data_full(G_OBJECT(c), "zandrel-title", g_strdup(title.c_str()), g_free);
}

std::string columnTitle(int list, int column) {
  Gadget* g = findList(list);
  if (g == nullptr) return {};
  GtkTreeViewColumn* c = viewColumn(*g, column);
  if (c == nullptr) return {};
  const auto* title = static_cast<const char*>(g_object_get_data(G_OBJECT(c), "zandrel-title"));
  return title == nullptr ? std::string() : std::string(title);
}

int columnWidth(int list, int column) {
  Gadget* g = findList(list);
  if (g == nullptr) return 0;
  GtkTreeViewColumn* c = viewColumn(*g, column);
  if (c == nullptr) return 0;
  // Once drawn, the width the user may have dragged it to; before, the one set.
  const int drawn = gtk_tree_view_column_get_width(c);
  if (gtk_widget_get_realized(g->main) && drawn > 0) return drawn;
  return gtk_tree_view_column_get_fixed_width(c);
}

int columnCount(int list) {
  Gadget* g = findList(list);
  if (g == nullptr) return 0;
  GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(g->main));
  int count = 0;
  for (GList* c = columns; c != nullptr; c = c->next) count += isFiller(GTK_TREE_VIEW_COLUMN(c->data)) ? 0 : 1;
  g_list_free(columns);
  return count;
}

void setColumnClickHandler(int list, ColumnClickHandler handler) {
  Gadget* g = findGadget(list, GadgetKind::ListIcon);
  if (g == nullptr) return;
  g->columnClick = std::move(handler);
  GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(g->main));
  for (GList* c = columns; c != nullptr; c = c->next) {
    if (isFiller(GTK_TREE_VIEW_COLUMN(c->data))) continue;
    gtk_tree_view_column_set_clickable(GTK_TREE_VIEW_COLUMN(c->data), static_cast<bool>(g->columnClick));
  }
  g_list_free(columns);
}

void setColumnSortArrow(int list, int column, SortArrow arrow) {
  Gadget* g = findList(list);
  if (g == nullptr) return;
  GtkTreeViewColumn* c = viewColumn(*g, column);
  if (c == nullptr) return;
  // Off first: GTK picks the arrow only when the order or the indicator
  // changes, and the desktop setting below may have changed since.
  gtk_tree_view_column_set_sort_indicator(c, FALSE);
  if (arrow != SortArrow::None) {
    // GTK draws ascending order as a down arrow unless the desktop asks for
    // the alternative arrows; pick the order that draws the arrow wanted.
    gboolean alternative = FALSE;
    g_object_get(gtk_widget_get_settings(g->main), "gtk-alternative-sort-arrows", &alternative, nullptr);
    const bool up = arrow == SortArrow::Up;
    gtk_tree_view_column_set_sort_order(c, up == (alternative != FALSE) ? GTK_SORT_ASCENDING : GTK_SORT_DESCENDING);
    gtk_tree_view_column_set_sort_indicator(c, TRUE);
  }
  g_object_set_data(G_OBJECT(c), "zandrel-arrow", GINT_TO_POINTER(static_cast<int>(arrow)));
}

SortArrow columnSortArrow(int list, int column) {
  Gadget* g = findList(list);
  if (g == nullptr) return SortArrow::None;
  GtkTreeViewColumn* c = viewColumn(*g, column);
  if (c == nullptr) return SortArrow::None;
  return static_cast<SortArrow>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(c), "zandrel-arrow")));
}

void reorderRows(int list, const std::vector<int>& order) {
  Gadget* g = findList(list);
  if (g == nullptr || order.size() != g->rows.size() || order.empty()) return;
  std::vector<bool> taken(order.size(), false);
  for (const int old : order) {
    if (old < 0 || old >= static_cast<int>(order.size()) || taken[static_cast<size_t>(old)]) return;
    taken[static_cast<size_t>(old)] = true;
  }
  Quiet quiet;
  std::vector<std::unique_ptr<Row>> moved;
  moved.reserve(order.size());
  for (const int old : order) moved.push_back(std::move(g->rows[static_cast<size_t>(old)]));
  g->rows = std::move(moved);
  // The store holds the same Row pointers; it moves them the same way and
  // the view keeps each row's highlight and the cursor with the row.
  gtk_list_store_reorder(g->store, const_cast<gint*>(order.data()));
}

}  // namespace zandrel::ui

// Menu bars, popup menus and toolbars.

#include <algorithm>

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel::ui {
namespace detail {

namespace {

void forgetBuild(int menu) {
  auto& s = state();
  if (s.buildMenu == menu) {
    s.buildMenu = 0;
    s.shells.clear();
  }
}

}  // namespace

void dropWindowMenus(int window) {
  auto& s = state();
  std::vector<int> menus;
  for (const auto& [number, menu] : s.menus) {
    if (!menu.popup && menu.window == window) menus.push_back(number);
  }
  for (const int number : menus) freeMenu(number);
  std::vector<int> bars;
  for (const auto& [number, bar] : s.toolBars) {
    if (bar.window == window) bars.push_back(number);
  }
  for (const int number : bars) {
    if (s.buildToolBar == number) s.buildToolBar = 0;
    gtk_widget_destroy(s.toolBars[number].widget);
    s.toolBars.erase(number);
  }
}

void destroyAllMenus() {
  auto& s = state();
  std::vector<int> popups;
  for (const auto& [number, menu] : s.menus) {
    if (menu.popup) popups.push_back(number);
  }
  for (const int number : popups) freeMenu(number);
}

}  // namespace detail

using namespace detail;

namespace {

Menu* findMenu(int number) {
  auto& menus = state().menus;
  const auto it = menus.find(number);
  return it == menus.end() ? nullptr : &it->second;
}

ToolBar* findToolBar(int number) {
  auto& bars = state().toolBars;
  const auto it = bars.find(number);
  return it == bars.end() ? nullptr : &it->second;
}

Menu* buildingMenu() {
  auto& s = state();
  if (s.shells.empty()) return nullptr;
  return findMenu(s.buildMenu);
}

void setLabelData(GtkWidget* item, const std::string& text) {
  g_object_set_data_full(G_OBJECT(item), "zandrel-label", g_strdup(text.c_str()), g_free);
}

void onMenuActivate(GtkMenuItem* item, gpointer data) {
  const int number = GPOINTER_TO_INT(data);
  const int menu = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "zandrel-menu"));
  const Menu* m = findMenu(menu);
  pushEvent(EventKind::Menu, number, m != nullptr ? m->window : 0);
}

void onToolClicked(GtkToolButton* button, gpointer data) {
  const int number = GPOINTER_TO_INT(data);
  const int bar = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "zandrel-toolbar"));
  const ToolBar* t = findToolBar(bar);
  pushEvent(EventKind::Menu, number, t != nullptr ? t->window : 0);
}

GtkWidget* newItem(const std::string& text, int image) {
  const std::string shown = displayName(text);
  GdkPixbuf* pixbuf = image == 0 ? nullptr : findImage(image);
  GtkWidget* item = pixbuf == nullptr ? gtk_menu_item_new_with_label(shown.c_str())
                                      : gtk_image_menu_item_new_with_label(shown.c_str());
  boundLabel(gtk_bin_get_child(GTK_BIN(item)));
  if (pixbuf != nullptr) {
    gtk_image_menu_item_set_image(GTK_IMAGE_MENU_ITEM(item), gtk_image_new_from_pixbuf(pixbuf));
    gtk_image_menu_item_set_always_show_image(GTK_IMAGE_MENU_ITEM(item), TRUE);
  }
  return item;
}

void appendToShell(GtkWidget* item) {
  gtk_menu_shell_append(GTK_MENU_SHELL(state().shells.back()), item);
  gtk_widget_show_all(item);
}

// Opens a new submenu under an item that is appended to the innermost shell.
void openShell(const std::string& text, int image) {
  GtkWidget* item = newItem(text, image);
  setLabelData(item, text);
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
  appendToShell(item);
  state().shells.push_back(menu);
}

void layoutOf(GtkWidget* shell, std::vector<std::string>& out) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
  for (GList* c = children; c != nullptr; c = c->next) {
    GtkWidget* item = GTK_WIDGET(c->data);
    if (GTK_IS_SEPARATOR_MENU_ITEM(item)) {
      out.push_back("-");
      continue;
    }
    const auto* label = static_cast<const char*>(g_object_get_data(G_OBJECT(item), "zandrel-label"));
    const std::string text = label == nullptr ? std::string() : std::string(label);
    GtkWidget* submenu = GTK_IS_MENU_ITEM(item) ? gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)) : nullptr;
    if (submenu != nullptr) {
      out.push_back(text + ">");
      layoutOf(submenu, out);
      out.push_back("<");
    } else {
      out.push_back(text);
    }
  }
  g_list_free(children);
}

}  // namespace

namespace {

// Records a new menu and makes it the one that items go to.
void registerMenu(int number, int window, bool popup, GtkWidget* widget) {
  Menu menu;
  menu.number = number;
  menu.window = window;
  menu.popup = popup;
  menu.widget = widget;
  auto& s = state();
  s.menus[number] = menu;
  s.buildMenu = number;
  s.shells.assign(1, widget);
}

}  // namespace

bool createMenuBar(int number, int window) {
  Window* w = findWindow(window);
  if (w == nullptr) return false;
  Quiet quiet;
  if (findMenu(number) != nullptr) freeMenu(number);
  // One menu bar per window: a new one takes the old one's place at the top.
  if (w->menuBar != nullptr) freeMenu(w->menuBarNumber);
  GtkWidget* bar = gtk_menu_bar_new();
  gtk_box_pack_start(GTK_BOX(w->vbox), bar, FALSE, FALSE, 0);
  gtk_box_reorder_child(GTK_BOX(w->vbox), bar, 0);
  gtk_widget_show(bar);
  w->menuBar = bar;
  w->menuBarNumber = number;
  registerMenu(number, window, false, bar);
  return true;
}

bool createPopupMenu(int number) {
  if (!state().initialized) return false;
  Quiet quiet;
  if (findMenu(number) != nullptr) freeMenu(number);
  GtkWidget* popup = gtk_menu_new();
  g_object_ref_sink(popup);
  registerMenu(number, 0, true, popup);
  return true;
}

void menuTitle(const std::string& text) {
  Menu* m = buildingMenu();
  if (m == nullptr || m->popup) return;
  auto& s = state();
  s.shells.resize(1);  // back to the bar itself
  openShell(text, 0);
}

void menuItem(int item, const std::string& text, int image) {
  Menu* m = buildingMenu();
  auto& s = state();
  if (m == nullptr || (!m->popup && s.shells.size() < 2)) return;  // a menu bar needs a title first
  GtkWidget* widget = newItem(text, image);
  setLabelData(widget, text);
  g_object_set_data(G_OBJECT(widget), "zandrel-menu", GINT_TO_POINTER(m->number));
  g_signal_connect(widget, "activate", G_CALLBACK(onMenuActivate), GINT_TO_POINTER(item));
  appendToShell(widget);
  m->items[item] = MenuEntry{widget, text};
}

void menuSeparator() {
  Menu* m = buildingMenu();
  if (m == nullptr || (!m->popup && state().shells.size() < 2)) return;
  appendToShell(gtk_separator_menu_item_new());
}

void openSubMenu(const std::string& text, int image) {
  Menu* m = buildingMenu();
  if (m == nullptr || (!m->popup && state().shells.size() < 2)) return;
  openShell(text, image);
}

void closeSubMenu() {
  Menu* m = buildingMenu();
  auto& s = state();
  if (m == nullptr) return;
  // Neither the popup itself nor the current title's menu is closed here.
  const size_t floor = m->popup ? 1 : 2;
  if (s.shells.size() > floor) s.shells.pop_back();
}

void freeMenu(int number) {
  Menu* m = findMenu(number);
  if (m == nullptr) return;
  Quiet quiet;
  forgetBuild(number);
  GtkWidget* widget = m->widget;
  if (m->popup) {
    gtk_widget_destroy(widget);
    g_object_unref(widget);
  } else {
    if (Window* w = findWindow(m->window); w != nullptr && w->menuBar == widget) {
      w->menuBar = nullptr;
      w->menuBarNumber = 0;
    }
    gtk_widget_destroy(widget);
  }
  state().menus.erase(number);
}

bool menuExists(int number) { return findMenu(number) != nullptr; }

int menuBarHeight(int window) {
  const Window* w = findWindow(window);
  if (w == nullptr || w->menuBar == nullptr) return 0;
  if (gtk_widget_get_mapped(w->menuBar)) {
    GtkAllocation allocation;
    gtk_widget_get_allocation(w->menuBar, &allocation);
    return allocation.height;
  }
  GtkRequisition requisition;
  gtk_widget_size_request(w->menuBar, &requisition);
  return requisition.height;
}

std::string menuItemText(int menu, int item) {
  const Menu* m = findMenu(menu);
  if (m == nullptr) return {};
  const auto it = m->items.find(item);
  return it == m->items.end() ? std::string() : it->second.text;
}

std::vector<std::string> menuLayout(int menu) {
  std::vector<std::string> out;
  const Menu* m = findMenu(menu);
  if (m != nullptr) layoutOf(m->widget, out);
  return out;
}

void showPopupMenu(int number, int window) {
  Menu* m = findMenu(number);
  if (m == nullptr || !m->popup) return;
  m->window = window;
  gtk_menu_popup(GTK_MENU(m->widget), nullptr, nullptr, nullptr, nullptr, 0, gtk_get_current_event_time());
}

namespace {

// Puts the menu's top-left corner at the bottom-left corner of the gadget
// named by data; looked up at each call, as GTK may ask again later.
void placeBelowGadget(GtkMenu*, gint* x, gint* y, gboolean* pushIn, gpointer data) {
  *pushIn = FALSE;
  const Gadget* g = findGadget(GPOINTER_TO_INT(data));
  if (g == nullptr || gtk_widget_get_window(g->outer) == nullptr) return;
  const GdkRectangle rect = onScreen(g->outer);
  *x = rect.x;
  *y = rect.y + rect.height;
}

}  // namespace

namespace detail {

void showPopupMenuBelow(int menu, int gadget) {
  Menu* m = findMenu(menu);
  const Gadget* g = findGadget(gadget);
  if (m == nullptr || !m->popup || g == nullptr) return;
  m->window = g->window;
  gtk_menu_popup(GTK_MENU(m->widget), nullptr, nullptr, placeBelowGadget, GINT_TO_POINTER(gadget), 0,
                 gtk_get_current_event_time());
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Toolbars

bool createToolBar(int number, int window) {
  Window* w = findWindow(window);
  if (w == nullptr) return false;
  Quiet quiet;
  auto& s = state();
  if (ToolBar* old = findToolBar(number)) {
    gtk_widget_destroy(old->widget);
    s.toolBars.erase(number);
  }
  GtkWidget* bar = gtk_toolbar_new();
  gtk_toolbar_set_style(GTK_TOOLBAR(bar), GTK_TOOLBAR_ICONS);
  gtk_toolbar_set_show_arrow(GTK_TOOLBAR(bar), FALSE);
  // Full width at the top of the gadget area; gadgets go below it.
  gtk_fixed_put(GTK_FIXED(w->fixed), bar, 0, 0);
  gtk_widget_set_size_request(bar, std::max(1, w->width), -1);
  gtk_widget_show(bar);
  ToolBar t;
  t.number = number;
  t.window = window;
  t.widget = bar;
  s.toolBars[number] = t;
  s.buildToolBar = number;
  return true;
}

void toolBarButton(int item, int image) {
  ToolBar* t = findToolBar(state().buildToolBar);
  if (t == nullptr) return;
  GdkPixbuf* pixbuf = findImage(image);
  GtkWidget* icon = pixbuf != nullptr ? gtk_image_new_from_pixbuf(pixbuf) : gtk_image_new();
  GtkToolItem* button = gtk_tool_button_new(icon, nullptr);
  g_object_set_data(G_OBJECT(button), "zandrel-toolbar", GINT_TO_POINTER(t->number));
  g_signal_connect(button, "clicked", G_CALLBACK(onToolClicked), GINT_TO_POINTER(item));
  gtk_toolbar_insert(GTK_TOOLBAR(t->widget), button, -1);
  gtk_widget_show_all(GTK_WIDGET(button));
  t->buttons[item] = ToolButton{button, ""};
}

void toolBarSeparator() {
  ToolBar* t = findToolBar(state().buildToolBar);
  if (t == nullptr) return;
  GtkToolItem* separator = gtk_separator_tool_item_new();
  gtk_toolbar_insert(GTK_TOOLBAR(t->widget), separator, -1);
  gtk_widget_show(GTK_WIDGET(separator));
}

void setToolBarToolTip(int toolbar, int item, const std::string& text) {
  ToolBar* t = findToolBar(toolbar);
  if (t == nullptr) return;
  const auto it = t->buttons.find(item);
  if (it == t->buttons.end()) return;
  it->second.toolTip = text;
  setBoundedToolTip(GTK_WIDGET(it->second.item), text);
}

std::string toolBarToolTip(int toolbar, int item) {
  ToolBar* t = findToolBar(toolbar);
  if (t == nullptr) return {};
  const auto it = t->buttons.find(item);
  return it == t->buttons.end() ? std::string() : it->second.toolTip;
}

int toolBarHeight(int toolbar) {
  ToolBar* t = findToolBar(toolbar);
  if (t == nullptr) return 0;
  GtkRequisition requisition;
  gtk_widget_size_request(t->widget, &requisition);
  return requisition.height;
}

}  // namespace zandrel::ui

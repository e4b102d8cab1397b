#include "ui/ui_testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <optional>

#include "ui/gtk_objects.h"

namespace zandrel::ui::testing {

using namespace zandrel::ui::detail;

namespace {

std::string gLastTitle;
std::string gLastText;
GdkRectangle gLastRect{};
std::vector<GdkRectangle> gLastButtons;

GtkWidget* realized(GtkWidget* widget) {
  if (widget != nullptr && !gtk_widget_get_realized(widget)) gtk_widget_realize(widget);
  return widget;
}

// Sends a synthetic event to a widget the way GTK hands a real one over.
void sendEvent(GtkWidget* widget, GdkEvent* event) {
  event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(realized(widget))));
  event->any.send_event = TRUE;
  gtk_widget_event(widget, event);
  gdk_event_free(event);  // drops the window reference
}

void sendButton(GtkWidget* widget, GdkEventType type) {
  GdkEvent* event = gdk_event_new(type);
  event->button.button = 1;
  event->button.time = GDK_CURRENT_TIME;
  sendEvent(widget, event);
}


GtkWidget* findLabel(GtkWidget* root, GtkWidget* skip) {
  return findWidget(root, [](GtkWidget* w) { return GTK_IS_LABEL(w); }, skip);
}

GtkTreeView* multipleSelectionView(GtkWidget* root) {
  GtkWidget* view = findWidget(root, [](GtkWidget* w) {
    return GTK_IS_TREE_VIEW(w) &&
           gtk_tree_selection_get_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(w))) == GTK_SELECTION_MULTIPLE;
  });
  return view == nullptr ? nullptr : GTK_TREE_VIEW(view);
}

GtkWidget* findEntry(GtkWidget* root) {
  return findWidget(root, [](GtkWidget* w) { return GTK_IS_ENTRY(w) && gtk_widget_get_visible(w); });
}

// The widget inside a file chooser that answers Ctrl+L.
GtkWidget* locationOwner(GtkWidget* root) {
  return findWidget(root, [](GtkWidget* w) { return g_signal_lookup("location-popup", G_OBJECT_TYPE(w)) != 0; });
}

GtkWidget* modalDialog() {
  GList* windows = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* w = windows; w != nullptr && found == nullptr; w = w->next) {
    GtkWidget* widget = GTK_WIDGET(w->data);
    if (GTK_IS_DIALOG(widget) && gtk_widget_get_visible(widget) && gtk_window_get_modal(GTK_WINDOW(widget))) {
      found = widget;
    }
  }
  g_list_free(windows);
  return found;
}

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

struct PendingAnswer {
  DialogAnswer answer = DialogAnswer::Ok;
  std::vector<std::string> paths;
  bool realChooser = false;  // a file dialog shows the toolkit's chooser, worked as a user would
  bool folderSet = false;
  bool shownOnce = false;    // the real chooser showed the paths at the last tick
  int ticks = 0;             // ticks spent at the front of the line
  gint64 frontSince = 0;     // when it came to the front
  std::optional<std::string> typed;  // a name for the real chooser's location field, then Enter
  std::function<void(GtkWidget*)> look;  // sees a message or question box before it is answered
};



// Opens the chooser's location field (Ctrl+L) and types the name into it;
// true once it is in and Enter was pressed.
bool typeIntoChooser(GtkWidget* dialog, const std::string& name) {
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  GtkWidget* entry = findEntry(content);
  if (entry == nullptr) {
    if (GtkWidget* owner = locationOwner(content)) g_signal_emit_by_name(owner, "location-popup", "");
    return false;
  }
  gtk_entry_set_text(GTK_ENTRY(entry), name.c_str());
  gtk_widget_activate(entry);
  // The chooser checks a typed name in the background: let it finish before
  // the next answer, as a user would look before pressing on.
  for (int i = 0; i < 50; ++i) {
    pumpEvents();
    g_usleep(10 * 1000);
  }
  return true;
}

// Answers wait in line: each dialog that opens gets the oldest one, and a
// dialog already answered is never answered again.
std::deque<PendingAnswer> gPendingAnswers;
guint gAnswerSource = 0;
constexpr const char* kAnsweredMark = "zandrel-test-answered";

// How long the oldest answer waits for its dialog, or a real chooser for its
// paths to show: both this many ticks (they count only while the loop runs,
// so time a test spends outside it does not count) and this long by the clock
// (ticks come fast on an idle machine).
constexpr int kPatienceTicks = 1000;
constexpr gint64 kPatienceMicroseconds = 30 * G_USEC_PER_SEC;

bool outOfPatience(const PendingAnswer& pending) {
  return pending.ticks >= kPatienceTicks && g_get_monotonic_time() - pending.frontSince >= kPatienceMicroseconds;
}

void popAnswer() {
  gPendingAnswers.pop_front();
  if (!gPendingAnswers.empty()) {
    gPendingAnswers.front().ticks = 0;
    gPendingAnswers.front().frontSince = g_get_monotonic_time();
  }
}

// The answers after a failed one were meant for the dialogs after it: none
// of them may answer something else.
void giveUp(const std::string& why) {
  ADD_FAILURE() << why;
  gPendingAnswers.clear();
}

std::string answerName(DialogAnswer answer) {
  switch (answer) {
    case DialogAnswer::Ok:
      return "Ok";
    case DialogAnswer::Yes:
      return "Yes";
    case DialogAnswer::No:
      return "No";
    case DialogAnswer::Cancel:
      break;
  }
  return "Cancel";
}

std::string joined(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += (text.empty() ? "\"" : ", \"") + path + "\"";
  return text.empty() ? "nothing" : text;
}

std::string currentFolder(GtkFileChooser* chooser) {
  gchar* folder = gtk_file_chooser_get_current_folder(chooser);
  std::string result = folder != nullptr ? folder : "";
  g_free(folder);
  return result;
}

// Picks the wanted files in the chooser's file list as Ctrl+clicks would: the
// chooser's own select call keeps only the last file of several.
void pickRows(GtkFileChooser* chooser, const std::vector<std::string>& wanted) {
  GtkTreeView* view = multipleSelectionView(GTK_WIDGET(chooser));
  if (view == nullptr) return;
  GtkTreeModel* model = gtk_tree_view_get_model(view);
  if (model == nullptr) return;  // still loading the folder
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  std::vector<std::string> chosen = chosenPaths(chooser);
  std::sort(chosen.begin(), chosen.end());
  const int rows = gtk_tree_model_iter_n_children(model, nullptr);
  for (int row = 0; row < rows; ++row) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    if (!gtk_tree_selection_path_is_selected(selection, path)) {
      gtk_tree_selection_select_path(selection, path);
      std::vector<std::string> now = chosenPaths(chooser);
      std::sort(now.begin(), now.end());
      std::vector<std::string> added;
      std::set_difference(now.begin(), now.end(), chosen.begin(), chosen.end(), std::back_inserter(added));
      if (added.size() == 1 && std::binary_search(wanted.begin(), wanted.end(), added.front())) {
        chosen = now;
      } else {
        gtk_tree_selection_unselect_path(selection, path);
      }
    }
    gtk_tree_path_free(path);
  }
}

// Works the chooser toward the wanted paths; true once it shows exactly them
// in the wanted folder. It never accepts anything else: a name the chooser
// completed or a folder it has not listed yet only makes it wait.
bool choosePaths(GtkFileChooser* chooser, PendingAnswer& pending, std::vector<std::string>* shown) {
  const GtkFileChooserAction action = gtk_file_chooser_get_action(chooser);
  std::vector<std::string> wanted;
  for (const std::string& path : pending.paths) wanted.push_back(withoutTrailingSlash(path));
  std::sort(wanted.begin(), wanted.end());
  const std::string folder = action == GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER ? wanted.front() : folderWithoutSlashOf(wanted.front());
  if (!pending.folderSet) {
    pending.folderSet = true;
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    if (action == GTK_FILE_CHOOSER_ACTION_SAVE) {
      gtk_file_chooser_set_current_name(chooser, wanted.front().substr(wanted.front().rfind('/') + 1).c_str());
    }
    return false;
  }
  if (currentFolder(chooser) != folder) return false;
  // The chooser lists a new folder in the background, with no list until it
  // is done; a pick made meanwhile is lost when the list comes.
  if (GtkTreeView* view = multipleSelectionView(GTK_WIDGET(chooser));
      view != nullptr && gtk_tree_view_get_model(view) == nullptr) {
    return false;
  }
  std::vector<std::string> chosen = chosenPaths(chooser);
  std::sort(chosen.begin(), chosen.end());
  if (chosen != wanted && action == GTK_FILE_CHOOSER_ACTION_OPEN) {
    if (!std::includes(wanted.begin(), wanted.end(), chosen.begin(), chosen.end())) {
      gtk_file_chooser_unselect_all(chooser);
    } else if (gtk_file_chooser_get_select_multiple(chooser)) {
      pickRows(chooser, wanted);
    } else {
      gtk_file_chooser_select_filename(chooser, wanted.front().c_str());
    }
    chosen = chosenPaths(chooser);
    std::sort(chosen.begin(), chosen.end());
  }
  *shown = chosen;
  return chosen == wanted;
}

void noteDialog(GtkWidget* dialog) {
  const char* title = gtk_window_get_title(GTK_WINDOW(dialog));
  gLastTitle = title != nullptr ? title : "";
  gLastText.clear();
}

// True once the real chooser got its response.
bool answerChooser(PendingAnswer& pending, GtkWidget* dialog) {
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  const bool accept = pending.answer == DialogAnswer::Ok || pending.answer == DialogAnswer::Yes;
  if (accept && pending.paths.empty()) {
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    giveUp("a real file chooser is accepted only with the paths to choose (cancelled it)");
    return true;
  }
  if (accept) {
    std::vector<std::string> shown;
    // The paths must still show one tick later: the chooser's own work in
    // the background (a folder list arriving) may change what it shows.
    const bool showsThem = choosePaths(chooser, pending, &shown);
    const bool steady = showsThem && pending.shownOnce;
    pending.shownOnce = showsThem;
    if (!steady) {
      if (!outOfPatience(pending)) return false;
      const std::string title = gtk_window_get_title(GTK_WINDOW(dialog)) ? gtk_window_get_title(GTK_WINDOW(dialog)) : "";
      gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
      giveUp("the file chooser \"" + title + "\" never showed " + joined(pending.paths) + " in \"" +
             folderWithoutSlashOf(pending.paths.front()) + "\"; it showed " + joined(shown) + " in \"" + currentFolder(chooser) +
             "\" (cancelled it)");
      return true;
    }
  }
  noteDialog(dialog);
  // A folder is accepted by the default button, whatever response it gives.
  const bool folder = gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER;
  if (!accept || !folder || !gtk_window_activate_default(GTK_WINDOW(dialog))) {
    gtk_dialog_response(GTK_DIALOG(dialog), accept ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL);
  }
  return true;
}

// True once the name is typed; the chooser stays open for the next answer.
bool typeAnswer(PendingAnswer& pending, GtkWidget* dialog) {
  if (!typeIntoChooser(dialog, *pending.typed)) {
    if (!outOfPatience(pending)) return false;
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    giveUp("the file chooser never showed a location field to type \"" + *pending.typed + "\" into (cancelled it)");
    return true;
  }
  noteDialog(dialog);
  return true;
}

// True once the box got its response; it is drawn and placed first, so its
// place on the screen can be told.
bool answerBox(const PendingAnswer& pending, GtkWidget* dialog) {
  if (!gtk_widget_get_mapped(dialog) && !outOfPatience(pending)) return false;
  pumpEvents();
  gLastRect = onScreen(dialog);
  gLastButtons.clear();
  GList* buttons = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_action_area(GTK_DIALOG(dialog))));
  for (GList* b = buttons; b != nullptr; b = b->next) gLastButtons.push_back(onScreen(GTK_WIDGET(b->data)));
  g_list_free(buttons);
  noteDialog(dialog);
  GtkWidget* label = findLabel(gtk_dialog_get_content_area(GTK_DIALOG(dialog)),
                               gtk_dialog_get_action_area(GTK_DIALOG(dialog)));
  gLastText = label != nullptr ? gtk_label_get_text(GTK_LABEL(label)) : "";
  if (pending.look) pending.look(dialog);
  gint response = GTK_RESPONSE_DELETE_EVENT;
  switch (pending.answer) {
    case DialogAnswer::Ok:
      response = GTK_RESPONSE_OK;
      break;
    case DialogAnswer::Yes:
      response = GTK_RESPONSE_YES;
      break;
    case DialogAnswer::No:
      response = GTK_RESPONSE_NO;
      break;
    case DialogAnswer::Cancel:
      break;
  }
  gtk_dialog_response(GTK_DIALOG(dialog), response);
  return true;
}

gboolean answerTick(gpointer) {
  if (gPendingAnswers.empty()) {
    gAnswerSource = 0;
    return FALSE;
  }
  PendingAnswer& pending = gPendingAnswers.front();
  GtkWidget* dialog = modalDialog();
  if (dialog != nullptr && g_object_get_data(G_OBJECT(dialog), kAnsweredMark) != nullptr) dialog = nullptr;
  ++pending.ticks;
  if (dialog == nullptr) {
    if (outOfPatience(pending)) {
      giveUp("no dialog opened for the answer " + answerName(pending.answer) + " with " + joined(pending.paths));
    }
    return TRUE;
  }
  const bool typing = pending.typed.has_value();
  if (GTK_IS_FILE_CHOOSER(dialog) && typing) {
    if (!typeAnswer(pending, dialog)) return TRUE;
  } else if (GTK_IS_FILE_CHOOSER(dialog)) {
    if (!answerChooser(pending, dialog)) return TRUE;
  } else if (!answerBox(pending, dialog)) {
    return TRUE;
  }
  // A typed name may leave the chooser open for the next answer.
  if (!typing) g_object_set_data(G_OBJECT(dialog), kAnsweredMark, GINT_TO_POINTER(1));
  if (!gPendingAnswers.empty()) popAnswer();  // giving up may have dropped them all
  return TRUE;
}

// File and folder dialogs are answered before any chooser shows, unless the
// answer asks for the real chooser.
FileDialogOutcome answerFileDialog(const FileDialogRequest& request) {
  FileDialogOutcome outcome;
  outcome.answered = true;
  if (gPendingAnswers.empty()) {
    ADD_FAILURE() << "the file dialog \"" << request.title << "\" opened with no answer waiting (cancelled it)";
    return outcome;
  }
  if (gPendingAnswers.front().realChooser) return {};
  const PendingAnswer pending = gPendingAnswers.front();
  popAnswer();
  gLastTitle = request.title;
  gLastText.clear();
  if (pending.answer != DialogAnswer::Ok && pending.answer != DialogAnswer::Yes) return outcome;
  const bool several = request.kind == FileDialogKind::Open && request.multiple;
  if (pending.paths.empty() || (pending.paths.size() > 1 && !several)) {
    giveUp("the file dialog \"" + request.title + "\" cannot take " + joined(pending.paths) + " (cancelled it)");
    return outcome;
  }
  for (const std::string& path : pending.paths) outcome.paths.push_back(withoutTrailingSlash(path));
  return outcome;
}

// A box that opens with no answer waiting would wait for a user until the
// test's time runs out; it fails the test at once instead.
bool boxMayOpen(const std::string& title, const std::string& text) {
  if (!gPendingAnswers.empty()) return true;
  ADD_FAILURE() << "the box \"" << title << "\" (\"" << text << "\") opened with no answer waiting (closed it)";
  return false;
}

// Set before any test runs, so no dialog or box of a test can wait for a user.
[[maybe_unused]] const bool gAnswererSet =
    (detail::setFileDialogAnswerer(&answerFileDialog), detail::setBoxWatcher(&boxMayOpen), true);

void queueAnswer(PendingAnswer pending) {
  pending.frontSince = g_get_monotonic_time();
  gPendingAnswers.push_back(std::move(pending));
  if (gAnswerSource == 0) gAnswerSource = g_timeout_add(20, answerTick, nullptr);
}

}  // namespace

GtkWidget* findWidget(GtkWidget* root, const std::function<bool(GtkWidget*)>& wanted, GtkWidget* skip) {
  if (root == nullptr || root == skip) return nullptr;
  if (wanted(root)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* c = children; c != nullptr && found == nullptr; c = c->next) {
    found = findWidget(GTK_WIDGET(c->data), wanted, skip);
  }
  g_list_free(children);
  return found;
}

GtkWidget* gadgetWidget(int gadget) {
  const Gadget* g = findGadget(gadget);
  return g == nullptr ? nullptr : g->main;
}

GtkWidget* windowWidget(int window) {
  const Window* w = findWindow(window);
  return w == nullptr ? nullptr : w->window;
}

GtkWidget* menuItemWidget(int menuItem) {
  for (const auto& [_, menu] : state().menus) {
    const auto it = menu.items.find(menuItem);
    if (it != menu.items.end()) return it->second.widget;
  }
  for (const auto& [_, bar] : state().toolBars) {
    const auto it = bar.buttons.find(menuItem);
    if (it != bar.buttons.end()) return GTK_WIDGET(it->second.item);
  }
  return nullptr;
}

void clickButton(int gadget) {
  if (GtkWidget* widget = gadgetWidget(gadget); widget != nullptr && GTK_IS_BUTTON(widget)) {
    gtk_button_clicked(GTK_BUTTON(widget));
  }
}

void toggleCheckBox(int gadget) { clickButton(gadget); }

void chooseOption(int gadget) { clickButton(gadget); }

void clickLink(int gadget) {
  const Gadget* g = findGadget(gadget, GadgetKind::Hyperlink);
  if (g == nullptr) return;
  sendButton(g->outer, GDK_BUTTON_PRESS);
  sendButton(g->outer, GDK_BUTTON_RELEASE);
}

void hoverLink(int gadget, bool inside) {
  const Gadget* g = findGadget(gadget, GadgetKind::Hyperlink);
  if (g == nullptr) return;
  GdkEvent* event = gdk_event_new(inside ? GDK_ENTER_NOTIFY : GDK_LEAVE_NOTIFY);
  event->crossing.mode = GDK_CROSSING_NORMAL;
  event->crossing.detail = GDK_NOTIFY_NONLINEAR;
  sendEvent(g->outer, event);
}

void toggleRowCheck(int list, int row) {
  const Gadget* g = findGadget(list, GadgetKind::ListIcon);
  if (g == nullptr || g->toggle == nullptr) return;
  const std::string path = std::to_string(row);
  g_signal_emit_by_name(g->toggle, "toggled", path.c_str());
}

void clickRowCheckBox(int list, int row) {
  Gadget* g = findGadget(list, GadgetKind::ListIcon);
  GtkTreeIter iter;
  if (g == nullptr || !rowIter(*g, row, &iter)) return;
  GtkTreeView* view = GTK_TREE_VIEW(realized(g->main));
  GtkTreeViewColumn* column = gtk_tree_view_get_column(view, 0);
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  GdkRectangle cell{};
  gtk_tree_view_get_cell_area(view, path, column, &cell);
  gtk_tree_path_free(path);
  gtk_tree_view_column_cell_set_cell_data(column, GTK_TREE_MODEL(g->store), &iter, FALSE, FALSE);
  gint start = 0, width = 0;
  gtk_tree_view_column_cell_get_position(column, g->toggle, &start, &width);
  for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_tree_view_get_bin_window(view)));
    event->button.send_event = TRUE;
    event->button.button = 1;
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = cell.x + start + width / 2;
    event->button.y = cell.y + cell.height / 2;
    gtk_widget_event(GTK_WIDGET(view), event);
    gdk_event_free(event);
  }
}

void selectRows(int list, const std::vector<int>& rows) {
  const Gadget* g = findGadget(list);
  if (g == nullptr || !isList(*g)) return;
  GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(g->main));
  gtk_tree_selection_unselect_all(selection);
  for (const int row : rows) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_selection_select_path(selection, path);
    gtk_tree_path_free(path);
  }
}

void activateMenuItem(int menuItem) {
  GtkWidget* widget = menuItemWidget(menuItem);
  if (widget == nullptr) return;
  if (GTK_IS_MENU_ITEM(widget)) {
    gtk_menu_item_activate(GTK_MENU_ITEM(widget));
  } else if (GTK_IS_TOOL_BUTTON(widget)) {
    GtkWidget* button = gtk_bin_get_child(GTK_BIN(widget));
    if (button != nullptr && GTK_IS_BUTTON(button)) gtk_button_clicked(GTK_BUTTON(button));
  }
}

void requestClose(int window) {
  GtkWidget* widget = windowWidget(window);
  if (widget == nullptr) return;
  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(realized(widget))));
  event->any.send_event = TRUE;
  gtk_main_do_event(event);
  gdk_event_free(event);
}

void resizeAsUser(int window, int width, int height) {
  GtkWidget* widget = windowWidget(window);
  if (widget == nullptr) return;
  gdk_window_resize(gtk_widget_get_window(realized(widget)), width, height);
  gdk_flush();
}

void typeText(int gadget, const std::string& text) {
  GtkWidget* widget = gadgetWidget(gadget);
  if (widget != nullptr && GTK_IS_ENTRY(widget)) g_signal_emit_by_name(widget, "insert-at-cursor", text.c_str());
}

void dropFiles(int gadget, const std::vector<std::string>& paths) {
  GtkWidget* widget = gadgetWidget(gadget);
  if (widget == nullptr) return;
  std::vector<gchar*> uris;
  for (const std::string& path : paths) uris.push_back(g_filename_to_uri(path.c_str(), nullptr, nullptr));
  uris.push_back(nullptr);
  GtkSelectionData data{};
  data.selection = GDK_SELECTION_PRIMARY;
  data.display = gdk_display_get_default();
  data.target = gdk_atom_intern_static_string("text/uri-list");
  gtk_selection_data_set_uris(&data, uris.data());
  for (gchar* uri : uris) g_free(uri);
  GdkDragContext* context = GDK_DRAG_CONTEXT(g_object_new(GDK_TYPE_DRAG_CONTEXT, nullptr));
  // No source to answer: a handler that finishes the drop then asks nothing of one.
  context->protocol = GDK_DRAG_PROTO_NONE;
  g_signal_emit_by_name(widget, "drag-data-received", context, 0, 0, &data, 0u, static_cast<guint>(GDK_CURRENT_TIME));
  g_object_unref(context);
  g_free(data.data);
}

void pumpEvents() {
  for (int i = 0; i < 100000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

void clickColumnTitle(int list, int column) {
  const Gadget* g = findGadget(list, GadgetKind::ListIcon);
  if (g == nullptr) return;
  GtkTreeViewColumn* c = gtk_tree_view_get_column(GTK_TREE_VIEW(g->main), column);
  if (c != nullptr) gtk_tree_view_column_clicked(c);  // does nothing unless the title is clickable
}

bool columnArrowShown(int list, int column, GtkArrowType* type) {
  const Gadget* g = findGadget(list);
  if (g == nullptr || !isList(*g)) return false;
  GtkTreeViewColumn* c = gtk_tree_view_get_column(GTK_TREE_VIEW(g->main), column);
  if (c == nullptr || c->arrow == nullptr || !gtk_widget_get_visible(c->arrow)) return false;
  if (type != nullptr) g_object_get(c->arrow, "arrow-type", type, nullptr);
  return true;
}

bool clickDropDownArrow(int gadget) {
  const Gadget* g = findGadget(gadget);
  if (g == nullptr || g->dropDown == nullptr) return false;
  const int menu = g->dropDownMenu;
  const int tries = state().menus.count(menu) != 0 ? 200 : 1;
  for (int i = 0; i < tries; ++i) {
    gtk_button_clicked(GTK_BUTTON(g->dropDown));
    pumpEvents();
    if (popupMenuShown(menu)) return true;
    g_usleep(10 * 1000);
  }
  return false;
}

bool popupMenuShown(int menu, int* screenX, int* screenY) {
  const auto it = state().menus.find(menu);
  if (it == state().menus.end() || !it->second.popup || !gtk_widget_get_visible(it->second.widget)) return false;
  GtkWidget* top = gtk_widget_get_toplevel(it->second.widget);
  gint x = 0, y = 0;
  if (top != nullptr && GTK_IS_WINDOW(top)) gtk_window_get_position(GTK_WINDOW(top), &x, &y);
  if (screenX != nullptr) *screenX = x;
  if (screenY != nullptr) *screenY = y;
  return true;
}

void choosePopupItem(int item) {
  GtkWidget* widget = menuItemWidget(item);
  if (widget == nullptr) return;
  GtkWidget* shell = gtk_widget_get_parent(widget);
  if (shell != nullptr && GTK_IS_MENU_SHELL(shell)) {
    gtk_menu_shell_activate_item(GTK_MENU_SHELL(shell), widget, TRUE);
  } else {
    activateMenuItem(item);
  }
}

namespace {

// The chain of menus from the top shell down to the one that holds the item.
std::vector<GtkWidget*> menusAbove(GtkWidget* item) {
  std::vector<GtkWidget*> chain;
  for (GtkWidget* shell = item != nullptr ? gtk_widget_get_parent(item) : nullptr;
       shell != nullptr && GTK_IS_MENU(shell);) {
    chain.insert(chain.begin(), shell);
    GtkWidget* title = gtk_menu_get_attach_widget(GTK_MENU(shell));
    shell = title != nullptr ? gtk_widget_get_parent(title) : nullptr;
  }
  return chain;
}

}  // namespace

bool openMenuOf(int menuItem) {
  const std::vector<GtkWidget*> chain = menusAbove(menuItemWidget(menuItem));
  if (chain.empty()) return false;
  // As clickDropDownArrow: another program may hold the pointer grab for a while.
  for (int attempt = 0; attempt < 200; ++attempt) {
    for (GtkWidget* menu : chain) {
      GtkWidget* title = gtk_menu_get_attach_widget(GTK_MENU(menu));
      GtkWidget* shell = title != nullptr ? gtk_widget_get_parent(title) : nullptr;
      if (shell == nullptr || !GTK_IS_MENU_SHELL(shell)) return false;
      gtk_menu_shell_select_item(GTK_MENU_SHELL(shell), title);
      pumpEvents();
    }
    if (gtk_widget_get_mapped(chain.back())) return true;
    g_usleep(10 * 1000);
  }
  return false;
}

GdkRectangle menuWindowRect(int menuItem) {
  GdkRectangle rect{};
  const std::vector<GtkWidget*> chain = menusAbove(menuItemWidget(menuItem));
  if (chain.empty()) return rect;
  GtkWidget* top = gtk_widget_get_toplevel(chain.back());
  GdkWindow* window = top != nullptr ? gtk_widget_get_window(top) : nullptr;
  if (window == nullptr) return rect;
  gdk_window_get_origin(window, &rect.x, &rect.y);
  gdk_drawable_get_size(window, &rect.width, &rect.height);
  return rect;
}

void closeMenusOf(int menuItem) {
  GtkWidget* item = menuItemWidget(menuItem);
  const std::vector<GtkWidget*> chain = menusAbove(item);
  if (chain.empty()) return;
  GtkWidget* title = gtk_menu_get_attach_widget(GTK_MENU(chain.front()));
  GtkWidget* shell = title != nullptr ? gtk_widget_get_parent(title) : chain.front();
  if (GTK_IS_MENU_SHELL(shell)) gtk_menu_shell_deactivate(GTK_MENU_SHELL(shell));
  pumpEvents();
}

GdkRectangle screenRect(int gadget) {
  const Gadget* g = findGadget(gadget);
  return g == nullptr ? GdkRectangle{} : onScreen(g->outer);
}

bool toolTipLabelBuilt(int gadget) {
  const Gadget* g = findGadget(gadget);
  return g != nullptr && detail::toolTipLabelBuilt(g->outer);
}

namespace {

// Pumps until the tooltip window is shown or gone, as asked, for a few seconds at most.
GtkWidget* waitForToolTip(bool wanted) {
  for (int i = 0; i < 500; ++i) {
    pumpEvents();
    GtkWidget* window = detail::shownToolTipWindow();
    if ((window != nullptr) == wanted) return window;
    g_usleep(10000);
  }
  return detail::shownToolTipWindow();
}

}  // namespace

GdkRectangle hoverToolTip(int gadget) {
  const Gadget* g = findGadget(gadget);
  if (g == nullptr || !gtk_widget_get_mapped(g->outer)) return GdkRectangle{};
  // No waiting for the usual delay.
  g_object_set(gtk_settings_get_default(), "gtk-tooltip-timeout", 1, "gtk-tooltip-browse-timeout", 1, nullptr);
  GdkDisplay* display = gtk_widget_get_display(g->outer);
  GdkScreen* screen = gtk_widget_get_screen(g->outer);
  const GdkRectangle where = onScreen(g->outer);
  gdk_display_warp_pointer(display, screen, where.x + where.width / 2, where.y + where.height / 2);
  GtkWidget* window = waitForToolTip(true);
  const GdkRectangle shown = window != nullptr ? onScreen(window) : GdkRectangle{};
  gdk_display_warp_pointer(display, screen, 0, 0);
  waitForToolTip(false);
  return shown;
}

namespace {

// The label's whole text in the label's own font, never shortened.
int fullTextWidth(GtkWidget* label) {
  PangoLayout* layout = gtk_widget_create_pango_layout(label, gtk_label_get_text(GTK_LABEL(label)));
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  g_object_unref(layout);
  return width;
}

// What the widget asks for by itself, before the size the program set on it.
int ownWidth(GtkWidget* widget) {
  GtkRequisition forced;
  gtk_widget_size_request(widget, &forced);
  GtkRequisition own;
  gtk_widget_get_requisition(widget, &own);
  return own.width;
}

// The outer widget's own request with the label counted at its whole text,
// so a label that shortens or wraps its text cannot hide that it is too wide.
int neededWidth(GtkWidget* outer, GtkWidget* label) {
  gint xpad = 0;
  gtk_misc_get_padding(GTK_MISC(label), &xpad, nullptr);
  return ownWidth(outer) - ownWidth(label) + fullTextWidth(label) + 2 * xpad;
}

}  // namespace

int captionNeededWidth(int gadget) {
  const Gadget* g = findGadget(gadget);
  if (g == nullptr) return 0;
  GtkWidget* label = captionLabel(*g);
  return label == nullptr ? 0 : neededWidth(g->outer, label);
}

int columnTitleNeededWidth(int list, int column) {
  const Gadget* g = findGadget(list, GadgetKind::ListIcon);
  if (g == nullptr) return 0;
  GtkTreeViewColumn* c = gtk_tree_view_get_column(GTK_TREE_VIEW(g->main), column);
  if (c == nullptr || c->button == nullptr) return 0;
  GtkWidget* label = findLabel(c->button, nullptr);
  return label == nullptr ? 0 : neededWidth(c->button, label);
}

int captionTextWidth(int gadget) {
  const Gadget* g = findGadget(gadget);
  if (g == nullptr) return 0;
  GtkWidget* label = captionLabel(*g);
  return label == nullptr ? 0 : fullTextWidth(label);
}

std::string captionLaidOut(int gadget) {
  const Gadget* g = findGadget(gadget);
  GtkWidget* label = g == nullptr ? nullptr : captionLabel(*g);
  return label == nullptr ? std::string() : gtk_label_get_text(GTK_LABEL(label));
}

std::string toolTipLaidOut(int gadget) {
  const Gadget* g = findGadget(gadget);
  GtkWidget* label = g == nullptr ? nullptr : detail::builtToolTipLabel(g->outer);
  return label == nullptr ? std::string() : gtk_label_get_text(GTK_LABEL(label));
}

void answerNextDialog(DialogAnswer answer, const std::vector<std::string>& paths) {
  PendingAnswer pending;
  pending.answer = answer;
  pending.paths = paths;
  queueAnswer(std::move(pending));
}

void answerNextBox(DialogAnswer answer, const std::function<void(GtkWidget* box)>& look) {
  PendingAnswer pending;
  pending.answer = answer;
  pending.look = look;
  queueAnswer(std::move(pending));
}

void answerNextChooser(DialogAnswer answer, const std::vector<std::string>& paths) {
  PendingAnswer pending;
  pending.answer = answer;
  pending.paths = paths;
  pending.realChooser = true;
  queueAnswer(std::move(pending));
}

void typeIntoNextFileDialog(const std::string& name) {
  PendingAnswer pending;
  pending.typed = name;
  pending.realChooser = true;
  queueAnswer(std::move(pending));
}

void forgetDialogs() {
  gPendingAnswers.clear();
  gLastTitle.clear();
  gLastText.clear();
  gLastRect = GdkRectangle{};
  gLastButtons.clear();
}

std::string lastDialogTitle() { return gLastTitle; }

std::string lastDialogText() { return gLastText; }

GdkRectangle lastDialogRect() { return gLastRect; }

std::vector<GdkRectangle> lastDialogButtons() { return gLastButtons; }

bool answersPending() { return !gPendingAnswers.empty(); }

namespace {

// Lets the program take in what the X server sends back, including what
// handling it asks for in turn (a menu that opens grabs the pointer).
void settleInput() {
  for (int i = 0; i < 3; ++i) {
    pumpEvents();
    gdk_display_sync(gdk_display_get_default());
  }
  pumpEvents();
}

// Gives the toplevel the keyboard focus as a window manager would, waiting a
// few seconds at most for the toolkit to know it has it.
bool focusToplevel(GtkWidget* toplevel) {
  for (int i = 0; i < 300 && !gtk_window_has_toplevel_focus(GTK_WINDOW(toplevel)); ++i) {
    if (i % 50 == 0) gdk_window_focus(gtk_widget_get_window(toplevel), GDK_CURRENT_TIME);
    settleInput();
    g_usleep(10 * 1000);
  }
  return gtk_window_has_toplevel_focus(GTK_WINDOW(toplevel)) != FALSE;
}

}  // namespace

void pressKey(int window, guint keyval, GdkModifierType modifiers) {
  GtkWidget* toplevel = windowWidget(window);
  if (toplevel == nullptr || !gtk_widget_get_mapped(toplevel)) {
    ADD_FAILURE() << "no shown window " << window << " for a key";
    return;
  }
  if (gtk_grab_get_current() == nullptr && !focusToplevel(toplevel)) {
    ADD_FAILURE() << "window " << window << " did not get the keyboard focus";
    return;
  }
  GdkWindow* target = gtk_widget_get_window(toplevel);
  for (const GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    if (!gdk_test_simulate_key(target, -1, -1, keyval, modifiers, type)) {
      ADD_FAILURE() << "key " << gdk_keyval_name(keyval) << " was not sent";
      return;
    }
    settleInput();
  }
}

void clickWidgetAt(GtkWidget* widget, int x, int y) {
  GtkWidget* toplevel = widget != nullptr ? gtk_widget_get_toplevel(widget) : nullptr;
  gint tx = 0, ty = 0;
  if (toplevel == nullptr || !gtk_widget_get_mapped(widget) ||
      !gtk_widget_translate_coordinates(widget, toplevel, x, y, &tx, &ty)) {
    ADD_FAILURE() << "no shown widget to click";
    return;
  }
  GdkWindow* target = gtk_widget_get_window(toplevel);
  for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
    if (!gdk_test_simulate_button(target, tx, ty, 1, GdkModifierType(0), type)) {
      ADD_FAILURE() << "the click was not sent";
      return;
    }
    settleInput();
  }
}

void clickColumnTitleWithPointer(int list, int column) {
  const Gadget* g = findGadget(list, GadgetKind::ListIcon);
  GtkTreeViewColumn* c = g != nullptr ? gtk_tree_view_get_column(GTK_TREE_VIEW(g->main), column) : nullptr;
  if (c == nullptr || c->button == nullptr) {
    ADD_FAILURE() << "no title of column " << column;
    return;
  }
  GtkAllocation title;
  gtk_widget_get_allocation(c->button, &title);
  clickWidgetAt(c->button, title.width / 2, title.height / 2);
}

namespace {

// Where a click on a row's cell lands, in the list's own coordinates: the
// middle of the cell, or of the check box drawn in it.
bool rowPoint(int list, int row, int column, bool checkBox, int* x, int* y) {
  Gadget* g = findGadget(list);
  GtkTreeIter iter;
  if (g == nullptr || !isList(*g) || !rowIter(*g, row, &iter) || (checkBox && g->toggle == nullptr)) return false;
  GtkTreeView* view = GTK_TREE_VIEW(g->main);
  GtkTreeViewColumn* c = gtk_tree_view_get_column(view, checkBox ? 0 : column);
  if (c == nullptr || !gtk_widget_get_mapped(g->main)) return false;
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  gtk_tree_view_scroll_to_cell(view, path, nullptr, FALSE, 0, 0);
  pumpEvents();
  GdkRectangle cell{};
  gtk_tree_view_get_cell_area(view, path, c, &cell);
  gtk_tree_path_free(path);
  gint start = 0, width = cell.width;
  if (checkBox) {
    gtk_tree_view_column_cell_set_cell_data(c, GTK_TREE_MODEL(g->store), &iter, FALSE, FALSE);
    gtk_tree_view_column_cell_get_position(c, g->toggle, &start, &width);
  }
  gtk_tree_view_convert_bin_window_to_widget_coords(view, cell.x + start + width / 2, cell.y + cell.height / 2, x, y);
  return true;
}

}  // namespace

void clickRowWithPointer(int list, int row, int column) {
  int x = 0, y = 0;
  if (!rowPoint(list, row, column, false, &x, &y)) {
    ADD_FAILURE() << "no shown row " << row << " in list " << list;
    return;
  }
  clickWidgetAt(gadgetWidget(list), x, y);
}

void clickRowCheckBoxWithPointer(int list, int row) {
  int x = 0, y = 0;
  if (!rowPoint(list, row, 0, true, &x, &y)) {
    ADD_FAILURE() << "no shown check box in row " << row << " of list " << list;
    return;
  }
  clickWidgetAt(gadgetWidget(list), x, y);
}

int columnTitlesHeight(int list) {
  const Gadget* g = findGadget(list);
  if (g == nullptr || !isList(*g)) return 0;
  gint x = 0, y = 0;
  gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(g->main), 0, 0, &x, &y);
  return y;
}

}  // namespace zandrel::ui::testing

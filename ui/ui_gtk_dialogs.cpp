// Message boxes and the file and folder dialogs.

#include "ui/gtk_objects.h"
#include "ui/ui.h"

namespace zandrel::ui {
namespace detail {

std::string folderWithoutSlashOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::vector<std::string> chosenPaths(GtkFileChooser* chooser) {
  std::vector<std::string> chosen;
  GSList* names = gtk_file_chooser_get_filenames(chooser);
  for (GSList* n = names; n != nullptr; n = n->next) {
    chosen.emplace_back(static_cast<const char*>(n->data));
    g_free(n->data);
  }
  g_slist_free(names);
  return chosen;
}

}  // namespace detail

using namespace detail;

namespace {

BoxWatcher gBoxWatcher = nullptr;

gint runBox(const std::string& title, const std::string& text, bool question) {
  if (gBoxWatcher != nullptr && !gBoxWatcher(title, text)) return GTK_RESPONSE_DELETE_EVENT;
  GtkWidget* dialog = gtk_dialog_new();
  gtk_window_set_title(GTK_WINDOW(dialog), displayName(title).c_str());
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  addBoundedMessage(dialog, text);
  GtkWidget* first = nullptr;
  if (question) {
    first = gtk_dialog_add_button(GTK_DIALOG(dialog), GTK_STOCK_YES, GTK_RESPONSE_YES);
    gtk_dialog_add_button(GTK_DIALOG(dialog), GTK_STOCK_NO, GTK_RESPONSE_NO);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
  } else {
    first = gtk_dialog_add_button(GTK_DIALOG(dialog), GTK_STOCK_OK, GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  }
  gtk_widget_show_all(dialog);
  gtk_widget_grab_focus(first);
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  return response;
}

GtkWidget* newChooser(const std::string& title, GtkFileChooserAction action, const char* acceptLabel,
                      gint acceptResponse = GTK_RESPONSE_ACCEPT) {
  GtkWidget* dialog = gtk_file_chooser_dialog_new(displayName(title).c_str(), nullptr, action, GTK_STOCK_CANCEL,
                                                  GTK_RESPONSE_CANCEL, acceptLabel, acceptResponse, nullptr);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), acceptResponse);
  gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
  return dialog;
}

std::vector<std::string> splitBars(const std::string& text, char bar) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find(bar, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

// "label|pattern|label|pattern"; a pattern may hold several globs split by ';'.
void addFilters(GtkWidget* dialog, const std::string& filter) {
  if (filter.empty()) return;
  const std::vector<std::string> parts = splitBars(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    GtkFileFilter* f = gtk_file_filter_new();
    gtk_file_filter_set_name(f, displayName(parts[i]).c_str());
    for (const std::string& pattern : splitBars(parts[i + 1], ';')) {
      if (pattern.empty()) continue;
      // "*.*" means every file, also those without a dot.
      gtk_file_filter_add_pattern(f, pattern == "*.*" ? "*" : pattern.c_str());
    }
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), f);
  }
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Starts the dialog at a file or folder: a path ending in "/" (or naming a
// folder) opens that folder, anything else its folder with the name chosen.
void startAt(GtkWidget* dialog, const std::string& path, bool saving) {
  if (path.empty()) return;
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  if (path.back() == '/' || g_file_test(path.c_str(), G_FILE_TEST_IS_DIR)) {
    gtk_file_chooser_set_current_folder(chooser, path.c_str());
    return;
  }
  const std::string folder = folderWithoutSlashOf(path);
  if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, folder.c_str());
  if (saving) {
    gtk_file_chooser_set_current_name(chooser, displayName(nameOf(path)).c_str());
  } else if (g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) {
    gtk_file_chooser_select_filename(chooser, path.c_str());
  }
}

FileDialogAnswerer gFileDialogAnswerer = nullptr;

// Runs the chooser and destroys it; the chosen names once it is accepted.
std::vector<std::string> runChooser(GtkWidget* dialog) {
  std::vector<std::string> result;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    result = chosenPaths(GTK_FILE_CHOOSER(dialog));
  }
  gtk_widget_destroy(dialog);
  return result;
}

FileDialogOutcome askAnswerer(FileDialogKind kind, const std::string& title, bool multiple) {
  if (gFileDialogAnswerer == nullptr) return {};
  FileDialogRequest request;
  request.kind = kind;
  request.title = title;
  request.multiple = multiple;
  return gFileDialogAnswerer(request);
}

}  // namespace

void messageBox(const std::string& title, const std::string& text) {
  if (!state().initialized) return;
  runBox(title, text, false);
}

Answer questionBox(const std::string& title, const std::string& text) {
  if (!state().initialized) return Answer::No;
  // Closing the box is No.
  return runBox(title, text, true) == GTK_RESPONSE_YES ? Answer::Yes : Answer::No;
}

std::vector<std::string> openFileDialog(const std::string& title, const std::string& defaultFile,
                                        const std::string& filter, bool multiple) {
  if (!state().initialized) return {};
  FileDialogOutcome outcome = askAnswerer(FileDialogKind::Open, title, multiple);
  if (outcome.answered) return outcome.paths;
  GtkWidget* dialog = newChooser(title, GTK_FILE_CHOOSER_ACTION_OPEN, GTK_STOCK_OPEN);
  gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(dialog), multiple);
  addFilters(dialog, filter);
  startAt(dialog, defaultFile, false);
  return runChooser(dialog);
}

std::string saveFileDialog(const std::string& title, const std::string& defaultFile, const std::string& filter) {
  if (!state().initialized) return {};
  FileDialogOutcome outcome = askAnswerer(FileDialogKind::Save, title, false);
  if (!outcome.answered) {
    GtkWidget* dialog = newChooser(title, GTK_FILE_CHOOSER_ACTION_SAVE, GTK_STOCK_SAVE);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dialog), FALSE);
    addFilters(dialog, filter);
    startAt(dialog, defaultFile, true);
    outcome.paths = runChooser(dialog);
  }
  return outcome.paths.empty() ? std::string() : outcome.paths.front();
}

std::string folderDialog(const std::string& title, const std::string& initialFolder) {
  if (!state().initialized) return {};
  FileDialogOutcome outcome = askAnswerer(FileDialogKind::Folder, title, false);
  if (!outcome.answered) {
    // GTK makes the folder that a name typed into the dialog names when it
    // answers its accept responses itself; with a response of our own it does
    // not, and only an existing folder is taken.
    constexpr gint kChooseFolder = 1;
    GtkWidget* dialog = newChooser(title, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, GTK_STOCK_OPEN, kChooseFolder);
    if (!initialFolder.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), initialFolder.c_str());
    while (gtk_dialog_run(GTK_DIALOG(dialog)) == kChooseFolder) {
      gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
      const bool isFolder = chosen != nullptr && g_file_test(chosen, G_FILE_TEST_IS_DIR);
      if (isFolder) outcome.paths.emplace_back(chosen);
      g_free(chosen);
      if (isFolder) break;  // anything else leaves the dialog open
    }
    gtk_widget_destroy(dialog);
  }
  std::string result = outcome.paths.empty() ? std::string() : outcome.paths.front();
  if (!result.empty() && result.back() != '/') result += '/';
  return result;
}

namespace detail {

void setFileDialogAnswerer(FileDialogAnswerer answerer) { gFileDialogAnswerer = answerer; }

void setBoxWatcher(BoxWatcher watcher) { gBoxWatcher = watcher; }

}  // namespace detail

}  // namespace zandrel::ui

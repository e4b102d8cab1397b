#pragma once
// The 109 user-interface texts. The index of a text is its key in language
// files and its row in the Translation Tool, so the order never changes:
// ascending UTF-16 code units of the English text.

#include <array>
#include <string>

namespace zandrel {

// The one list of the texts: X(index, name, English text). The names and the
// English table are both made from it, and each index is checked against
// the place of its line, so a text can neither move nor get another number.
#define ZANDREL_UI_TEXTS(X) \
  X(  0, kTextNewerVersion,             "A newer version * of Zandrel is available for download") \
  X(  1, kTextAbout,                    "About") \
  X(  2, kTextAboutZandrel,             "About Zandrel") \
  X(  3, kTextAdd,                      "Add") \
  X(  4, kTextAddFiles,                 "Add files") \
  X(  5, kTextAddToList,                "Add files/folders to the list") \
  X(  6, kTextAddFolder,                "Add folder") \
  X(  7, kTextAlgorithm,                "Algorithm") \
  X(  8, kTextAllFiles,                 "All files") \
  X(  9, kTextBytes,                    "Bytes") \
  X( 10, kTextCrc32,                    "CRC32") \
  X( 11, kTextCheckForUpdates,          "Check for updates") \
  X( 12, kTextCheckingFiles,            "Checking files") \
  X( 13, kTextClear,                    "Clear") \
  X( 14, kTextClearAllItems,            "Clear all items from the list") \
  X( 15, kTextClearList,                "Clear list") \
  X( 16, kTextCopiedToClipboard,        "Content copied to clipboard") \
  X( 17, kTextCopy,                     "Copy") \
  X( 18, kTextCopyToClipboard,          "Copy to clipboard") \
  X( 19, kTextCopyingFiles,             "Copying files") \
  X( 20, kTextCouldNotImport,           "Couldn't import file *") \
  X( 21, kTextCouldNotSaveFile,         "Couldn't save the file") \
  X( 22, kTextCouldNotSaveSettings,     "Couldn't save the settings in *") \
  X( 23, kTextDelete,                   "Delete") \
  X( 24, kTextDeleteAllItems,           "Delete all items?") \
  X( 25, kTextDeleteItems,              "Delete items") \
  X( 26, kTextAskDeleteFiles,           "Do you really want to delete the selected files?") \
  X( 27, kTextAskDeleteAllItems,        "Do you want to delete all items from the list?") \
  X( 28, kTextAskDeleteSelectedItems,   "Do you want to delete the selected items from the list?") \
  X( 29, kTextAskSaveConfiguration,     "Do you want to save the current configuration?") \
  X( 30, kTextDownloadNow,              "Download now") \
  X( 31, kTextError,                    "Error") \
  X( 32, kTextExcludeSizes,             "Exclude files in these sizes") \
  X( 33, kTextExcludeExtensions,        "Exclude files with these extensions") \
  X( 34, kTextExport,                   "Export") \
  X( 35, kTextExtensionsHint,           "Extensions separated by space. Example: txt doc jpg") \
  X( 36, kTextFile,                     "File") \
  X( 37, kTextFileExtensions,           "File extensions:") \
  X( 38, kTextFileSaved,                "File saved") \
  X( 39, kTextFileTypes,                "File types") \
  X( 40, kTextFilename,                 "Filename") \
  X( 41, kTextFiles,                    "Files") \
  X( 42, kTextFilesAndFolders,          "Files and folders") \
  X( 43, kTextFilesizeSettings,         "Filesize settings") \
  X( 44, kTextFolder,                   "Folder") \
  X( 45, kTextGroup,                    "Group") \
  X( 46, kTextImport,                   "Import") \
  X( 47, kTextImporting,                "Importing") \
  X( 48, kTextInformation,              "Information") \
  X( 49, kTextInvertSelection,          "Invert selection") \
  X( 50, kTextLanguage,                 "Language") \
  X( 51, kTextLanguageFiles,            "Language files") \
  X( 52, kTextMd5,                      "MD5") \
  X( 53, kTextMaximumBelowMinimum,      "Maximum can't be smaller than minimum") \
  X( 54, kTextMaximum,                  "Maximum:") \
  X( 55, kTextMinimum,                  "Minimum:") \
  X( 56, kTextMove,                     "Move") \
  X( 57, kTextMovingFiles,              "Moving files") \
  X( 58, kTextNoDuplicates,             "No duplicates found.") \
  X( 59, kTextNoLocations,              "No files/directories selected") \
  X( 60, kTextNoLimitation,             "No limitation") \
  X( 61, kTextOpen,                     "Open") \
  X( 62, kTextOpenFile,                 "Open file") \
  X( 63, kTextOptions,                  "Options") \
  X( 64, kTextPaste,                    "Paste") \
  X( 65, kTextPause,                    "Pause") \
  X( 66, kTextChooseTargetFolder,       "Please choose a target directory") \
  X( 67, kTextProgress,                 "Progress") \
  X( 68, kTextQuit,                     "Quit") \
  X( 69, kTextRemove,                   "Remove") \
  X( 70, kTextRemoveSelectedItems,      "Remove selected items from the list") \
  X( 71, kTextRemovingFiles,            "Removing files") \
  X( 72, kTextReset,                    "Reset") \
  X( 73, kTextResetAllEntries,          "Reset all entries?") \
  X( 74, kTextResults,                  "Results") \
  X( 75, kTextResume,                   "Resume") \
  X( 76, kTextReverseSelection,         "Reverse selection") \
  X( 77, kTextSha1,                     "SHA1") \
  X( 78, kTextSave,                     "Save") \
  X( 79, kTextSaveConfiguration,        "Save configuration") \
  X( 80, kTextSaveCurrentConfiguration, "Save current configuration") \
  X( 81, kTextSaveFileAs,               "Save file as") \
  X( 82, kTextSaveTranslation,          "Save translation") \
  X( 83, kTextSearch,                   "Search") \
  X( 84, kTextIncludeSizes,             "Search for files in these sizes") \
  X( 85, kTextIncludeExtensions,        "Search for files with these extensions") \
  X( 86, kTextSearchHidden,             "Search hidden files") \
  X( 87, kTextSearchLocations,          "Search locations") \
  X( 88, kTextSearchSubdirectories,     "Search subdirectories") \
  X( 89, kTextSearchSystem,             "Search system files") \
  X( 90, kTextSelectDirectory,          "Select a directory") \
  X( 91, kTextPositiveNumber,           "Select a positive number (above 0)") \
  X( 92, kTextSelectAll,                "Select all") \
  X( 93, kTextSelectDuplicates,         "Select duplicates") \
  X( 94, kTextSelectFiles,              "Select files") \
  X( 95, kTextSize,                     "Size") \
  X( 96, kTextSizeInBytes,              "Size in bytes") \
  X( 97, kTextStartSearching,           "Start searching") \
  X( 98, kTextStop,                     "Stop") \
  X( 99, kTextNotCopied,                "The following files could not be copied.") \
  X(100, kTextNotMoved,                 "The following files could not be moved.") \
  X(101, kTextNotRemoved,               "The following files could not be removed.") \
  X(102, kTextSettingsSaved,            "The settings have been saved successfully") \
  X(103, kTextTranslate,                "Translate") \
  X(104, kTextTranslation,              "Translation") \
  X(105, kTextUpdateCheckFailed,        "Unable to check for updates") \
  X(106, kTextVisitWebsite,             "Visit website") \
  X(107, kTextWebsite,                  "Website") \
  X(108, kTextNewestVersion,            "You already have the newest version")

// Every text by name; the number is its index in the tables below.
enum UiTextId : int {
#define ZANDREL_UI_TEXT_NAME(index, name, text) name,
  ZANDREL_UI_TEXTS(ZANDREL_UI_TEXT_NAME)
#undef ZANDREL_UI_TEXT_NAME
};

#define ZANDREL_UI_TEXT_INDEX(index, name, text) static_assert(name == (index), #name " keeps its index");
ZANDREL_UI_TEXTS(ZANDREL_UI_TEXT_INDEX)
#undef ZANDREL_UI_TEXT_INDEX

#define ZANDREL_UI_TEXT_ONE(index, name, text) +1
inline constexpr int kUiStringCount = 0 ZANDREL_UI_TEXTS(ZANDREL_UI_TEXT_ONE);
#undef ZANDREL_UI_TEXT_ONE

// English texts, the fallback of every language.
extern const std::array<const char*, kUiStringCount> gUiStrings;

// The current language's texts; empty until the first language switch.
// kTextSearch is never shown and stays empty.
extern std::array<std::string, kUiStringCount> gUiText;

}  // namespace zandrel

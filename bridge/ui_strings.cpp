#include "bridge/ui_strings.h"

namespace zandrel {

const std::array<const char*, kUiStringCount> gUiStrings = {
    "A newer version * of Zandrel is available for download",  // 0
    "About",  // 1
    "About Zandrel",  // 2
    "Add",  // 3
    "Add files",  // 4
    "Add files/folders to the list",  // 5
    "Add folder",  // 6
    "Algorithm",  // 7
    "All files",  // 8
    "Bytes",  // 9
    "CRC32",  // 10
    "Check for updates",  // 11
    "Checking files",  // 12
    "Clear",  // 13
    "Clear all items from the list",  // 14
    "Clear list",  // 15
    "Content copied to clipboard",  // 16
    "Copy",  // 17
    "Copy to clipboard",  // 18
    "Copying files",  // 19
    "Couldn't import file *",  // 20
    "Couldn't save the file",  // 21
    "Couldn't save the settings in *",  // 22
    "Delete",  // 23
    "Delete all items?",  // 24
    "Delete items",  // 25
    "Do you really want to delete the selected files?",  // 26
    "Do you want to delete all items from the list?",  // 27
    "Do you want to delete the selected items from the list?",  // 28
    "Do you want to save the current configuration?",  // 29
    "Download now",  // 30
    "Error",  // 31
    "Exclude files in these sizes",  // 32
    "Exclude files with these extensions",  // 33
    "Export",  // 34
    "Extensions separated by space. Example: txt doc jpg",  // 35
    "File",  // 36
    "File extensions:",  // 37
    "File saved",  // 38
    "File types",  // 39
    "Filename",  // 40
    "Files",  // 41
    "Files and folders",  // 42
    "Filesize settings",  // 43
    "Folder",  // 44
    "Group",  // 45
    "Import",  // 46
    "Importing",  // 47
    "Information",  // 48
    "Invert selection",  // 49
    "Language",  // 50
    "Language files",  // 51
    "MD5",  // 52
    "Maximum can't be smaller than minimum",  // 53
    "Maximum:",  // 54
    "Minimum:",  // 55
    "Move",  // 56
    "Moving files",  // 57
    "No duplicates found.",  // 58
    "No files/directories selected",  // 59
    "No limitation",  // 60
    "Open",  // 61
    "Open file",  // 62
    "Options",  // 63
    "Paste",  // 64
    "Pause",  // 65
    "Please choose a target directory",  // 66
    "Progress",  // 67
    "Quit",  // 68
    "Remove",  // 69
    "Remove selected items from the list",  // 70
    "Removing files",  // 71
    "Reset",  // 72
    "Reset all entries?",  // 73
    "Results",  // 74
    "Resume",  // 75
    "Reverse selection",  // 76
    "SHA1",  // 77
    "Save",  // 78
    "Save configuration",  // 79
    "Save current configuration",  // 80
    "Save file as",  // 81
    "Save translation",  // 82
    "Search",  // 83
    "Search for files in these sizes",  // 84
    "Search for files with these extensions",  // 85
    "Search hidden files",  // 86
    "Search locations",  // 87
    "Search subdirectories",  // 88
    "Search system files",  // 89
    "Select a directory",  // 90
    "Select a positive number (above 0)",  // 91
    "Select all",  // 92
    "Select duplicates",  // 93
    "Select files",  // 94
    "Size",  // 95
    "Size in bytes",  // 96
    "Start searching",  // 97
    "Stop",  // 98
    "The following files could not be copied.",  // 99
    "The following files could not be moved.",  // 100
    "The following files could not be removed.",  // 101
    "The settings have been saved successfully",  // 102
    "Translate",  // 103
    "Translation",  // 104
    "Unable to check for updates",  // 105
    "Visit website",  // 106
    "Website",  // 107
    "You already have the newest version",  // 108
};

std::array<std::string, kUiStringCount> gUiText;

}  // namespace zandrel

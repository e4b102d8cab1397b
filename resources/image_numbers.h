#pragma once
// Numbers of the program's images, as the window layer and the menus know them.

namespace zandrel {

enum ImageNumber {
  QuitIcon = 1074,
  FilesIcon = 1075,
  AddIcon = 1076,
  LanguageIcon = 1077,
  FolderIcon = 1078,
  SearchIcon = 1079,
  WebsiteIcon = 1080,
  AboutIcon = 1081,
  SaveIcon = 1082,
  AboutImage = 1084,
};

}  // namespace zandrel

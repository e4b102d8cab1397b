#pragma once
// Numbers of every window, gadget, menu, menu item, toolbar button, image and
// font of the program. Each kind has its own number space.

namespace zandrel {

// Windows.
enum WindowNumber {
  TranslationWindow = 0,
  MainWindow = 1000,
  ProgressWindow = 1001,
  ImportWindow = 1002,
  AboutWindow = 1003,
};

// Gadgets of the main window and the small windows.
enum GadgetNumber {
  OptionsContainer = 1004,
  FilesFoldersFrame = 1005,
  AlgorithmFrame = 1006,
  FileSizeFrame = 1007,
  FileTypesFrame = 1008,
  LocationsList = 1009,
  ProgressBar = 1010,
  ProgressFrame = 1011,
  ImportStatusText = 1012,
  ImportFrame = 1013,
  MinimumUnitLabel = 1014,
  MaximumUnitLabel = 1015,
  MaximumLabel = 1016,
  MinimumLabel = 1017,
  ExtensionsLabel = 1018,
  MainPanel = 1019,
  AddLocationButton = 1020,
  RemoveLocationButton = 1021,
  ClearLocationsButton = 1022,
  ExtensionsField = 1028,
  MinSizeField = 1029,
  MaxSizeField = 1030,
  ResultsList = 1037,
  HiddenCheckBox = 1038,
  SubdirsCheckBox = 1039,
  SystemCheckBox = 1040,
  Md5CheckBox = 1041,
  Crc32CheckBox = 1042,
  Sha1CheckBox = 1043,
  SizeAnyOption = 1044,
  ExtensionAnyOption = 1045,
  SizeIncludeOption = 1046,
  SizeExcludeOption = 1047,
  ExtensionIncludeOption = 1048,
  ExtensionExcludeOption = 1049,
  SelectAllButton = 1050,
  ReverseSelectionButton = 1051,
  DeleteButton = 1052,
  SelectDuplicatesButton = 1053,
  ClearResultsButton = 1054,
  InvertSelectionButton = 1055,
  CopyButton = 1056,
  MoveButton = 1057,
  ExportButton = 1058,
  ImportButton = 1059,
  AboutImageGadget = 1083,
  WebsiteLink = 1085,
  PauseButton = 1086,
  StopButton = 1087,
};

// Tabs of MainPanel.
enum PanelTab { OptionsTab = 0, LocationsTab = 1, ResultsTab = 2 };

// Columns of ResultsList.
enum ResultsColumn { GroupColumn = 0, FilenameColumn, SizeColumn, Md5Column, Sha1Column, Crc32Column };

// Menus and popup menus.
enum MenuNumber {
  AddPopupMenu = 1023,
  MainMenu = 1031,
  ExportPopupMenu = 1088,
  ImportPopupMenu = 1090,
};

inline constexpr int MainToolbar = 1032;

// Menu items, popup items and toolbar buttons.
enum MenuItemNumber {
  AddFilesPopupItem = 1024,
  AddFolderPopupItem = 1025,
  AddFilesTool = 1033,
  AddFolderTool = 1034,
  SaveSettingsTool = 1035,
  StartSearchTool = 1036,
  StartSearchItem = 1060,
  QuitItem = 1063,
  CheckUpdatesItem = 1064,
  AboutItem = 1065,
  WebsiteItem = 1066,
  EnglishItem = 1067,
  GermanItem = 1068,
  ItalianItem = 1069,
  BulgarianItem = 1070,
  TranslateItem = 1071,
  AddFilesItem = 1072,
  AddFolderItem = 1073,
  ExportCsvItem = 1089,
  ImportCsvItem = 1091,
  LanguageFileItemBase = 3000,
};

// Images, as the image list of resources/ names them.
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

// Fonts.
enum FontNumber { DefaultFont = 1, BoldFont = 2, LinkFont = 3, ImportFont = 4, TranslationHeaderFont = 11 };

}  // namespace zandrel

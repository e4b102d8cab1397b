# The embedded images in the order the program decodes them at start-up:
# name (its number is the ImageNumber enumerator of that name in ui/ui_objects.h) and file in icons/.
set(ZANDREL_IMAGES
  QuitIcon     quit.png
  AddIcon      add.png
  LanguageIcon language.png
  FilesIcon    files.png
  FolderIcon   folder.png
  SearchIcon   search.png
  AboutIcon    about.png
  AboutImage   about_image.png
  WebsiteIcon  website.png
  SaveIcon     save.png
)

// Every caption of the main window, the About window and the Translation Tool
// fits the place its gadget has, in each built-in language, measured in the
// real font on the real toolkit.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "config/translation_tool.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::Script;
namespace drive = ui::testing;

struct Place {
  const char* name;
  int gadget;
  int coveredBy = 0;  // a gadget that starts inside this one's width and hides the rest
};

#define PLACE(gadget) Place{#gadget, gadget}

const Place kMainWindowPlaces[] = {
    PLACE(FilesFoldersFrame),
    PLACE(AlgorithmFrame),
    PLACE(FileSizeFrame),
    PLACE(FileTypesFrame),
    PLACE(SubdirsCheckBox),
    PLACE(HiddenCheckBox),
    PLACE(SystemCheckBox),
    PLACE(Md5CheckBox),
    PLACE(Sha1CheckBox),
    PLACE(Crc32CheckBox),
    PLACE(SizeAnyOption),
    PLACE(SizeIncludeOption),
    PLACE(SizeExcludeOption),
    {"MinimumLabel", MinimumLabel, MinSizeField},
    PLACE(MinimumUnitLabel),
    {"MaximumLabel", MaximumLabel, MaxSizeField},
    PLACE(MaximumUnitLabel),
    PLACE(ExtensionAnyOption),
    PLACE(ExtensionIncludeOption),
    PLACE(ExtensionExcludeOption),
    {"ExtensionsLabel", ExtensionsLabel, ExtensionsField},
    PLACE(AddLocationButton),
    PLACE(RemoveLocationButton),
    PLACE(ClearLocationsButton),
    PLACE(SelectAllButton),
    PLACE(SelectDuplicatesButton),
    PLACE(ReverseSelectionButton),
    PLACE(InvertSelectionButton),
    PLACE(ClearResultsButton),
    PLACE(DeleteButton),
    PLACE(CopyButton),
    PLACE(MoveButton),
    PLACE(ExportButton),
    PLACE(ImportButton),
    PLACE(WebsiteLink),
};

const Place kTranslationToolPlaces[] = {
    PLACE(SourceHeaderText),       PLACE(TranslationHeaderText), PLACE(CopySourceTextsButton),
    PLACE(CopyTranslationsButton), PLACE(PasteTranslationsButton), PLACE(SaveTranslationButton),
    PLACE(ResetTranslationButton), PLACE(CloseTranslationButton),
};

#undef PLACE

const struct {
  const char* name;
  int item;
} kLanguages[] = {{"English", EnglishItem}, {"German", GermanItem}, {"Italian", ItalianItem}, {"Bulgarian", BulgarianItem}};

// The room the caption has: the gadget's width, up to where a gadget beside it starts.
int room(const Place& place) {
  int width = ui::gadgetWidth(place.gadget);
  if (place.coveredBy != 0) width = std::min(width, ui::gadgetX(place.coveredBy) - ui::gadgetX(place.gadget));
  return width;
}

void expectFits(const std::string& language, const std::string& where, const std::string& text, int needed,
                int available) {
  EXPECT_GT(needed, 0) << language << ", " << where << ": nothing measured for \"" << text << "\"";
  EXPECT_LE(needed, available) << language << ", " << where << ": \"" << text << "\" needs " << needed
                               << " px, has " << available;
}

void expectPlacesFit(const std::string& language, const Place* begin, const Place* end) {
  for (const Place* place = begin; place != end; ++place) {
    expectFits(language, place->name, ui::gadgetText(place->gadget), drive::captionNeededWidth(place->gadget),
               room(*place));
  }
}

class CaptionFitTest : public MainWindowTest {};

TEST_F(CaptionFitTest, EveryCaptionFitsItsPlaceInEveryBuiltInLanguage) {
  for (const auto& language : kLanguages) {
    drive::activateMenuItem(language.item);
    settle();

    expectPlacesFit(language.name, std::begin(kMainWindowPlaces), std::end(kMainWindowPlaces));
    // Any column may come to show the sort arrow beside its title.
    for (int column = 0; column < ui::columnCount(ResultsList); ++column) {
      const std::string title = ui::columnTitle(ResultsList, column);
      const std::string where = "ResultsList column " + std::to_string(column);
      expectFits(language.name, where, title, drive::columnTitleNeededWidth(ResultsList, column),
                 ui::columnWidth(ResultsList, column));
      ui::setColumnSortArrow(ResultsList, column, ui::SortArrow::Down);
      expectFits(language.name, where + " with its sort arrow", title,
                 drive::columnTitleNeededWidth(ResultsList, column), ui::columnWidth(ResultsList, column));
      ui::setColumnSortArrow(ResultsList, column, ui::SortArrow::None);
    }

    const std::set<int> before = existingGadgets();
    Script about;
    about.when([] { return ui::windowExists(AboutWindow); },
               [&] {
                 const std::set<int> added = gadgetsAddedSince(before);
                 for (const int gadget : added) {
                   if (gadget == AboutImageGadget) continue;
                   expectFits(language.name, "About window", ui::gadgetText(gadget),
                              drive::captionNeededWidth(gadget), ui::gadgetWidth(gadget));
                 }
                 const int okButton = aboutOkButton(added);
                 ASSERT_NE(okButton, -1);
                 drive::clickButton(okButton);
               });
    about.start();
    drive::activateMenuItem(AboutItem);
    settle();
    EXPECT_TRUE(about.finished()) << language.name;

    Script tool;
    tool.when([] { return ui::windowExists(TranslationWindow); },
              [&] {
                expectPlacesFit(language.name, std::begin(kTranslationToolPlaces), std::end(kTranslationToolPlaces));
                drive::clickButton(CloseTranslationButton);
              });
    tool.start();
    drive::activateMenuItem(TranslateItem);
    settle();
    EXPECT_TRUE(tool.finished()) << language.name;
  }
}

// The measure itself: a caption too wide for its gadget is reported, box and
// border counted, also when the label would shorten it.
TEST_F(CaptionFitTest, MeasureCountsTheWholeTextAndTheBoxAroundIt) {
  const std::string wide(200, 'W');
  ui::setGadgetText(SubdirsCheckBox, wide);
  EXPECT_GT(drive::captionNeededWidth(SubdirsCheckBox), ui::gadgetWidth(SubdirsCheckBox));
  EXPECT_GT(drive::captionNeededWidth(SubdirsCheckBox), drive::captionTextWidth(SubdirsCheckBox));
  ui::setGadgetText(MinimumLabel, wide);
  EXPECT_EQ(ui::gadgetWidth(MinimumLabel), 50);  // the label does not grow
  GtkWidget* label = drive::gadgetWidget(MinimumLabel);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  EXPECT_GE(drive::captionNeededWidth(MinimumLabel), drive::captionTextWidth(MinimumLabel));
  EXPECT_GT(drive::captionNeededWidth(MinimumLabel), 50);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_NONE);
}

std::string fontOf(GtkWidget* widget) {
  gchar* name = pango_font_description_to_string(gtk_widget_get_style(widget)->font_desc);
  std::string text = name;
  g_free(name);
  return text;
}

GtkWidget* firstLabel(GtkWidget* root) {
  return drive::findWidget(root, [](GtkWidget* w) { return GTK_IS_LABEL(w); });
}

// The titles of the results list and the message boxes are drawn in the font
// of the buttons, not in the toolkit's own.
TEST_F(CaptionFitTest, ColumnTitlesAndDialogsUseTheInterfaceFont) {
  const std::string buttonFont = fontOf(gtk_bin_get_child(GTK_BIN(drive::gadgetWidget(SelectAllButton))));
  EXPECT_NE(buttonFont.find(gFontName), std::string::npos) << buttonFont;
  GtkTreeView* list = GTK_TREE_VIEW(drive::gadgetWidget(ResultsList));
  for (int column = 0; column < ui::columnCount(ResultsList); ++column) {
    GtkWidget* title = firstLabel(gtk_tree_view_get_column(list, column)->button);
    ASSERT_NE(title, nullptr) << column;
    EXPECT_EQ(fontOf(title), buttonFont) << column;
  }

  std::string boxFont;
  drive::answerNextBox(drive::DialogAnswer::Ok, [&](GtkWidget* box) {
    boxFont = fontOf(firstLabel(gtk_dialog_get_content_area(GTK_DIALOG(box))));
  });
  ui::messageBox("", "Content copied");
  EXPECT_FALSE(drive::answersPending());
  EXPECT_EQ(boxFont, buttonFont);
}

}  // namespace
}  // namespace zandrel

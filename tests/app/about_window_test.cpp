// The About window and its own loop, through the real windows.

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "config/languages.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::Script;
namespace drive = ui::testing;

struct Control {
  std::string text;
  int x, y, width, height;
  bool operator<(const Control& other) const {
    return std::tie(text, x, y, width, height) < std::tie(other.text, other.x, other.y, other.width, other.height);
  }
  bool operator==(const Control& other) const = default;
};

class AboutWindowTest : public MainWindowTest {
 protected:
  static bool aboutOpen() { return ui::windowExists(AboutWindow); }
  // Opens the window from the menu while the script acts on it.
  void runAbout(Script& script) {
    script.start();
    drive::activateMenuItem(AboutItem);
    EXPECT_EQ(settle(), std::nullopt);  // the program goes on
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(ui::windowExists(AboutWindow));
  }
};

TEST_F(AboutWindowTest, ShowsThePictureAndFixedLinesUnderATranslatedTitle) {
  const std::set<int> before = existingGadgets();
  const std::set<Control> expected = {
      {"", 10, 10, 64, 64},
      {"Zandrel v2.0.2", 100, 10, 180, 20},
      {"2016-11-10", 100, 30, 180, 20},
      {"(c) 2016 the Zandrel developers", 100, 50, 180, 20},
      {"OK", 100, 80, 80, 25},
  };
  const struct {
    int languageItem;
    std::string title;
  } languages[] = {{GermanItem, "Über Zandrel"}, {EnglishItem, "About Zandrel"}};
  for (const auto& language : languages) {
    SCOPED_TRACE(language.title);
    drive::activateMenuItem(language.languageItem);
    settle();
    std::set<Control> controls;
    Script script;
    script.when(aboutOpen, [&] {
      EXPECT_EQ(ui::windowTitle(AboutWindow), language.title);
      EXPECT_EQ(ui::windowWidth(AboutWindow), 280);
      EXPECT_EQ(ui::windowHeight(AboutWindow), 115);
      GtkWindow* window = GTK_WINDOW(drive::windowWidget(AboutWindow));
      EXPECT_FALSE(gtk_window_get_resizable(window));
      EXPECT_EQ(gtk_window_get_transient_for(window), GTK_WINDOW(drive::windowWidget(MainWindow)));

      const std::set<int> gadgets = gadgetsAddedSince(before);
      EXPECT_TRUE(gadgets.count(AboutImageGadget));
      for (const int number : gadgets) {
        controls.insert({ui::gadgetText(number), ui::gadgetX(number), ui::gadgetY(number), ui::gadgetWidth(number),
                         ui::gadgetHeight(number)});
        if (number != AboutImageGadget && number != aboutOkButton(gadgets)) {
          EXPECT_TRUE(GTK_IS_LABEL(drive::gadgetWidget(number))) << number;
        }
      }
      GtkWidget* image = drive::gadgetWidget(AboutImageGadget);
      ASSERT_TRUE(GTK_IS_IMAGE(image));
      GdkPixbuf* picture = gtk_image_get_pixbuf(GTK_IMAGE(image));
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(gdk_pixbuf_get_width(picture), 64);
      EXPECT_EQ(gdk_pixbuf_get_height(picture), 64);
      drive::clickButton(aboutOkButton(gadgets));
    });
    runAbout(script);
    EXPECT_EQ(controls, expected);
    EXPECT_EQ(existingGadgets(), before);
  }
}

TEST_F(AboutWindowTest, EveryCloseRequestClosesOnlyTheAboutWindow) {
  for (const int window : {AboutWindow, MainWindow}) {
    SCOPED_TRACE(window);
    Script script;
    script.when(aboutOpen, [window] { drive::requestClose(window); });
    runAbout(script);
    EXPECT_TRUE(ui::windowExists(MainWindow));
    EXPECT_TRUE(ui::windowVisible(MainWindow));
  }
  // The main loop still acts on the main window's close box afterwards.
  drive::requestClose(MainWindow);
  EXPECT_EQ(settle(), MainWindowEnd::Closed);
}

TEST_F(AboutWindowTest, MainWindowEventsAreDroppedNotKept) {
  ui::addRow(ResultsList, -1, "0");
  ui::addRow(ResultsList, -1, "0");
  const std::string file = writeFile("dropped.txt", "x");
  const int listWidth = ui::gadgetWidth(ResultsList);
  const std::string language = gLanguage;
  const std::set<int> before = existingGadgets();
  bool openToTheEnd = false;
  Script script;
  script.when(aboutOpen, [] { drive::clickButton(SelectAllButton); })
      .then([] { drive::activateMenuItem(GermanItem); })
      .then([&] { drive::dropFiles(LocationsList, {file}); })
      .then([] { drive::resizeAsUser(MainWindow, 1000, 700); })
      .when([] { return ui::windowWidth(MainWindow) == 1000; },
            [&] {
              openToTheEnd = aboutOpen();
              drive::clickButton(aboutOkButton(gadgetsAddedSince(before)));
            });
  runAbout(script);
  settle();
  EXPECT_TRUE(openToTheEnd);
  EXPECT_FALSE(rowChecked(ResultsList, 0));
  EXPECT_FALSE(rowChecked(ResultsList, 1));
  EXPECT_EQ(gLanguage, language);
  EXPECT_EQ(ui::menuItemText(MainMenu, AboutItem), "About");
  EXPECT_EQ(rows(LocationsList), std::vector<std::string>{});
  EXPECT_EQ(ui::gadgetWidth(ResultsList), listWidth);  // no layout for the new size
}

}  // namespace
}  // namespace zandrel

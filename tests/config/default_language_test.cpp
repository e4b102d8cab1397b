// The start-up language from the locale variables.

#include "config/default_language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "bridge/ui_strings.h"
#include "config/languages.h"
#include "config/translations.h"

namespace zandrel {
namespace {

const std::string kBulgarian = "\xD0\xB1\xD1\x8A\xD0\xBB\xD0\xB3\xD0\xB0\xD1\x80\xD1\x81\xD0\xBA\xD0\xB8";

TEST(LanguageForLocale, GermanItalianAndBulgarianRegionsOnly) {
  const struct {
    const char* locale;
    std::string language;
  } cases[] = {
      {"de_DE", "Deutsch"},       {"de_AT.UTF-8", "Deutsch"}, {"de_CH", "Deutsch"},      {"de_LU", "Deutsch"},
      {"de_LI", "Deutsch"},       {"de", "Deutsch"},          {"de_DE@euro", "Deutsch"}, {"de.UTF-8", "Deutsch"},
      {"de_BE", "English"},       {"de_IT", "English"},       {"it_IT", "Italiano"},     {"it_CH", "Italiano"},
      {"it", "Italiano"},         {"it_IT.UTF-8@euro", "Italiano"}, {"it_SM", "English"},
      {"bg_BG", kBulgarian},      {"bg_BG.CP1251", kBulgarian}, {"bg", kBulgarian},
      {"en_US", "English"},       {"en_US.UTF-8", "English"}, {"fr_FR", "English"},      {"C", "English"},
      {"C.UTF-8", "English"},     {"POSIX", "English"},       {"", "English"},           {"DE_de", "English"},
      {"deu", "English"},         {"de_de", "English"},
  };
  for (const auto& c : cases) EXPECT_EQ(languageForLocale(c.locale), c.language) << '"' << c.locale << '"';
}

class ChooseDefaultLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      const char* value = std::getenv(kNames[i]);
      saved_[i] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }
  }
  void TearDown() override {
    for (int i = 0; i < 3; ++i) set(i, saved_[i] ? saved_[i]->c_str() : nullptr);
    gLanguage.clear();
    gWebLanguageCode = "en";
    gUiText = {};
  }
  // nullptr unsets the variable.
  static void set(int variable, const char* value) {
    if (value != nullptr) {
      setenv(kNames[variable], value, 1);
    } else {
      unsetenv(kNames[variable]);
    }
  }

  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

 private:
  std::optional<std::string> saved_[3];
};

TEST_F(ChooseDefaultLanguageTest, FirstSetVariableDecides) {
  const struct {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    std::string language;
  } cases[] = {
      {"de_DE.UTF-8", "it_IT", "bg_BG", "Deutsch"},
      {nullptr, "it_IT.UTF-8", "de_DE", "Italiano"},
      {nullptr, nullptr, "bg_BG.UTF-8", kBulgarian},
      {"", "it_IT", "de_DE", "Italiano"},  // an empty variable counts as unset
      {"", "", "de_AT", "Deutsch"},
      {"C", "de_DE", "de_DE", "English"},
      {"fr_FR", nullptr, "it_IT", "English"},
      {nullptr, nullptr, nullptr, "English"},
      {"", "", "", "English"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.lcAll ? c.lcAll : "-") + " " + (c.lcMessages ? c.lcMessages : "-") + " " +
                 (c.lang ? c.lang : "-"));
    set(0, c.lcAll);
    set(1, c.lcMessages);
    set(2, c.lang);
    gLanguage = "stale.lng";
    chooseDefaultLanguage();
    EXPECT_EQ(gLanguage, c.language);
  }
}

TEST_F(ChooseDefaultLanguageTest, FillsTheTexts) {
  set(0, "de_DE");
  chooseDefaultLanguage();
  EXPECT_EQ(gUiText[31], gGermanTexts[31]);
  EXPECT_EQ(gUiText[31], "Fehler");
  EXPECT_EQ(gUiText[63], gGermanTexts[63]);
  EXPECT_EQ(gWebLanguageCode, "de");
  EXPECT_EQ(gUiText[83], "");

  set(0, "en_GB");
  chooseDefaultLanguage();
  EXPECT_EQ(gUiText[31], "Error");
  EXPECT_EQ(gWebLanguageCode, "en");
  for (int index = 0; index < kUiStringCount; ++index) {
    if (index != 83) {
      EXPECT_EQ(gUiText[index], gUiStrings[index]) << index;
    }
  }
}

}  // namespace
}  // namespace zandrel

#include "config/translations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "bridge/ui_strings.h"

namespace zandrel {
namespace {

struct Language {
  const char* name;
  const std::array<const char*, kUiStringCount>& texts;
  bool settingsFailureNamesPath;  // text 22 holds the "*" for the settings path
};

const Language kLanguages[] = {
    {"German", gGermanTexts, false},
    {"Italian", gItalianTexts, true},
    {"Bulgarian", gBulgarianTexts, true},
};

// Strict UTF-8: no stray continuation bytes, overlong forms, surrogates or
// code points above U+10FFFF. GTK refuses label text that is not valid UTF-8.
bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (int k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

TEST(Translations, TellingRowsAreExact) {
  const struct {
    int index;
    const char* german;
    const char* italian;
    const char* bulgarian;
  } rows[] = {
      {0, "Eine neuere Version * von Zandrel steht zum Download bereit",
       "\xEF\xBB\xBF" "Una nuova versione * di Zandrel \xC3\xA8 disponibile per il Download",
       "Нова версия * на Zandrel е налична за изтегляне"},
      {2, "\xC3\x9C" "ber Zandrel", "Informazioni su Zandrel", "За Zandrel"},
      {13, "Alles l\xC3\xB6schen", "Cancella", "Изчисти"},
      {17, "Kopieren", "Copia", "Копирай"},
      {18, "Kopieren", "Copiato negli appunti", "Копирай в клипборд"},
      {20, "Datei * konnte nicht importiert werden", "Impossibile importare file *", "Не мога да внеса файл *"},
      {22, "Die Einstellungen konnten nicht erfolgreich gespeichert werden", "Impossibile salvare le impostazioni in *",
       "Не мога да запазя настройките в *"},
      {36, "Datei", "File", "Файл"},
      {41, "Dateien", "File", "Файлове"},
      {73, "Alle Einstellungen zur\xC3\xBC" "cksetzen?", "Azzerare tutte le entrate?", "Нулиране на всички записи?"},
      {76, "Auswahl aufheben", "Annulla selezione", "Отмени селекция"},
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(gGermanTexts[row.index], row.german) << row.index;
    EXPECT_STREQ(gItalianTexts[row.index], row.italian) << row.index;
    EXPECT_STREQ(gBulgarianTexts[row.index], row.bulgarian) << row.index;
  }
  // The Bulgarian bytes above are UTF-8 in this file too; pin one down so a
  // re-encoded source cannot pass by changing both sides at once.
  EXPECT_STREQ(gBulgarianTexts[2], "\xD0\x97\xD0\xB0 Zandrel");
}

TEST(Translations, EveryShownIndexHasACleanText) {
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.name);
    EXPECT_EQ(language.texts[83], nullptr);
    for (int i = 0; i < kUiStringCount; ++i) {
      if (i == 83) continue;
      const char* text = language.texts[i];
      ASSERT_NE(text, nullptr) << i;
      const std::string_view view(text);
      ASSERT_FALSE(view.empty()) << i;
      // Language files trim blanks and tabs, so a built-in text must not rely on them.
      EXPECT_NE(view.front(), ' ') << i;
      EXPECT_NE(view.front(), '\t') << i;
      EXPECT_NE(view.back(), ' ') << i;
      EXPECT_NE(view.back(), '\t') << i;
      EXPECT_TRUE(isValidUtf8(view)) << i;

      const bool placeholder = i == 0 || i == 20 || (i == 22 && language.settingsFailureNamesPath);
      EXPECT_EQ(std::count(view.begin(), view.end(), '*'), placeholder ? 1 : 0) << i << " \"" << text << "\"";
    }
  }
}

TEST(Translations, KeepTheEnglishTextOnlyWhereTheLanguageDoes) {
  const std::vector<int> everywhere = {10, 52, 77};
  const struct {
    const Language& language;
    std::vector<int> indices;
  } cases[] = {
      {kLanguages[0], {9, 48, 54, 55, 65, 72, 98}},
      {kLanguages[1], {36, 98}},
      {kLanguages[2], {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language.name);
    std::vector<int> indices = c.indices;
    indices.insert(indices.end(), everywhere.begin(), everywhere.end());
    for (int i : indices) EXPECT_STREQ(c.language.texts[i], gUiStrings[i]) << i;
    // Everywhere else the language has a text of its own.
    for (int i = 0; i < kUiStringCount; ++i) {
      if (i == 83 || std::find(indices.begin(), indices.end(), i) != indices.end()) continue;
      EXPECT_STRNE(c.language.texts[i], gUiStrings[i]) << i;
    }
  }
}

TEST(Translations, Utf8CheckRejectsBrokenText) {
  // Latin-1 "ö", a cut-off sequence, an overlong "/" and a surrogate.
  for (const char* broken : {"l\xF6schen", "\xD0", "\xC0\xAF", "\xED\xA0\x80"}) {
    EXPECT_FALSE(isValidUtf8(broken)) << broken;
  }
  EXPECT_TRUE(isValidUtf8("\xEF\xBB\xBF" "Una"));
}

}  // namespace
}  // namespace zandrel

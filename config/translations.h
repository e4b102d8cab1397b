#pragma once
// The built-in German, Italian and Bulgarian texts, index for index parallel
// to gUiStrings. kTextSearch ("Search") is never shown, so it has no text.

#include <array>

#include "bridge/ui_strings.h"

namespace zandrel {

extern const std::array<const char*, kUiStringCount> gGermanTexts;
extern const std::array<const char*, kUiStringCount> gItalianTexts;
extern const std::array<const char*, kUiStringCount> gBulgarianTexts;

}  // namespace zandrel

#pragma once
// The 109 user-interface texts. The index of a text is its key in language
// files and its row in the Translation Tool, so the order never changes:
// ascending UTF-16 code units of the English text.

#include <array>
#include <string>

namespace zandrel {

inline constexpr int kUiStringCount = 109;

// English texts, the fallback of every language.
extern const std::array<const char*, kUiStringCount> gUiStrings;

// The current language's texts; empty until the first language switch.
// Index 83 ("Search") is never shown and stays empty.
extern std::array<std::string, kUiStringCount> gUiText;

}  // namespace zandrel

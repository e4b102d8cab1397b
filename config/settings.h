#pragma once
// "settings.ini": the language, the options and the search locations.

#include <cstdint>
#include <string>

namespace zandrel {

// Asks, then writes the whole file anew from the window's controls; an error
// box when the file cannot be written, the old file then left as it was.
void saveSettings();

// Reads the file once at start-up into gLanguage, the controls and the size
// limits; afterwards at least one algorithm is chosen.
void loadSettings();

// A number as the settings file holds it: blanks and tabs, an optional sign,
// then "$" and hexadecimal digits, "%" and binary digits, or decimal digits;
// 0 without digits. A number beyond the 64-bit range saturates.
int64_t parseSettingsNumber(const std::string& text);

}  // namespace zandrel

#include "bridge/ui_strings.h"

namespace zandrel {

const std::array<const char*, kUiStringCount> gUiStrings = {
#define ZANDREL_UI_TEXT_ENGLISH(index, name, text) text,
    ZANDREL_UI_TEXTS(ZANDREL_UI_TEXT_ENGLISH)
#undef ZANDREL_UI_TEXT_ENGLISH
};

std::array<std::string, kUiStringCount> gUiText;

}  // namespace zandrel

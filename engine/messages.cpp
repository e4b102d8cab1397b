#include "engine/messages.h"

#include "engine/ui_strings.h"
#include "ui/ui.h"

namespace zandrel {

void showErrorMessage(const std::string& message) { ui::messageBox(gUiText[31], message); }

void showInfoMessage(const std::string& message) { ui::messageBox(gUiText[48], message); }

}  // namespace zandrel

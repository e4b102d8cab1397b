#include "bridge/messages.h"

#include "bridge/ui_strings.h"
#include "ui/ui.h"

namespace zandrel {

void showErrorMessage(const std::string& message) { ui::messageBox(gUiText[kTextError], message); }

void showInfoMessage(const std::string& message) { ui::messageBox(gUiText[kTextInformation], message); }

}  // namespace zandrel

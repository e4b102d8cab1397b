#pragma once
// The plain message boxes, titled in the language active when they show.

#include <string>

namespace zandrel {

void showErrorMessage(const std::string& message);
void showInfoMessage(const std::string& message);

}  // namespace zandrel

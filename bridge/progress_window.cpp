#include "bridge/progress_window.h"

#include "bridge/ui_strings.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

bool openProgressWindow(const std::string& title, bool withSearchButtons) {
  const ui::WindowStyle style;  // title bar, system menu, minimize and close boxes, fixed size
  const int height = withSearchButtons ? 130 : 90;
  if (!ui::openWindow(ProgressWindow, 300, height, title, style, MainWindow)) return false;
  ui::frameGadget(ProgressFrame, 4, 0, 292, height - 4, gUiText[kTextProgress]);
  const int barWidth = ui::windowWidth(ProgressWindow) - 100;
  ui::progressBarGadget(ProgressBar, 50, 30, barWidth, 30);
  if (withSearchButtons) {
    const int buttonY = ui::gadgetY(ProgressBar) + ui::gadgetHeight(ProgressBar) + 20;
    const int buttonWidth = barWidth / 2 - 5;
    ui::buttonGadget(PauseButton, 50, buttonY, buttonWidth, 25, gUiText[kTextPause]);
    ui::buttonGadget(StopButton, ui::gadgetX(PauseButton) + ui::gadgetWidth(PauseButton) + 10, buttonY, buttonWidth,
                     25, gUiText[kTextStop]);
  }
  return true;
}

}  // namespace zandrel

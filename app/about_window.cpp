#include "app/about_window.h"

#include "app/program_state.h"
#include "bridge/ui_strings.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

int showAboutWindow() {
  ui::WindowStyle style;
  style.minimizeBox = false;
  style.maximizeBox = false;
  if (!ui::openWindow(AboutWindow, 280, 115, gUiText[kTextAboutZandrel], style, MainWindow)) return 0;
  ui::imageGadget(AboutImageGadget, 10, 10, 64, 64, AboutImage);
  // The lines and the button are the same in every language.
  ui::textGadget(ui::kAnyNumber, 100, 10, 180, 20, gWindowTitle);
  ui::textGadget(ui::kAnyNumber, 100, 30, 180, 20, "2016-11-10");
  ui::textGadget(ui::kAnyNumber, 100, 50, 180, 20, "(c) 2016 the Zandrel developers");
  const int okButton = ui::buttonGadget(ui::kAnyNumber, 100, 80, 80, 25, "OK");

  // Events of every window come here; a close request of any of them, the
  // main window's included, closes only this one.
  for (;;) {
    const ui::Event event = ui::waitEvent();
    if (event.kind == ui::EventKind::CloseWindow) break;
    if (event.kind == ui::EventKind::Gadget && event.object == okButton) break;
  }
  ui::closeWindow(AboutWindow);
  return 0;
}

}  // namespace zandrel

#include "app/run_main.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/web_address.h"
#include "config/language_files.h"
#include "config/program_folder.h"
#include "engine/shared_helpers.h"
#include "resources/images.h"
#include "ui/ui.h"

namespace zandrel {
namespace {

// The program's own path, read in steps of 256 bytes until the whole link fits.
std::string programPath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(length));
    buffer.resize(buffer.size() + 256);
  }
}

}  // namespace

void shutdownRuntime() { ui::shutdown(); }

int runMain() {
  noteStartSignals();
  // A write past the file-size limit then fails with EFBIG, which every writer
  // reports and recovers from, instead of ending the program half-way through
  // a save.
  signal(SIGXFSZ, SIG_IGN);
  if (!ui::initialize()) {
    std::fprintf(stderr, "Zandrel needs a graphical display.\n");
    return 1;
  }
  buildCsvPopupMenus();
  computeEscapeTokens();
  for (const DecodedImage& image : decodeEmbeddedImages()) {
    ui::createImage(image.number, image.width, image.height, image.rgba);
  }
  const std::string program = programPath();
  gProgramFolder = addTrailingSeparator(program.substr(0, program.rfind('/') + 1));
  scanLanguageFiles();
  gSettingsPath = gProgramFolder + "settings.ini";

  runMainWindow();
  shutdownRuntime();
  return 0;
}

}  // namespace zandrel

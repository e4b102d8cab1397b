#include "config/translation_tool.h"

#include <string>
#include <string_view>

#include "bridge/messages.h"
#include "bridge/ui_strings.h"
#include "config/ini_document.h"
#include "config/languages.h"
#include "config/program_folder.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

constexpr int kWindowWidth = 780;
constexpr int kWindowHeight = 506;
constexpr int kFirstRowY = 32;
constexpr int kRowStep = 25;
constexpr int kSourceX = 10;
constexpr int kTranslationX = 380;
constexpr int kFieldWidth = 348;
constexpr int kFieldHeight = 20;
constexpr int kInnerWidth = 728;
constexpr int kInnerHeight = kRowStep * (kUiStringCount - 1) + 60;
constexpr int kScrollStep = 30;
constexpr int kButtonWidth = 247;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 10;

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// One line of a paste or one value of a file, as a field takes it: without CR
// and at most kMaxTranslationBytes long, never cut inside a character.
std::string fieldText(std::string_view line) {
  constexpr size_t kLimit = kMaxTranslationBytes;
  std::string text;
  for (const char c : line) {
    if (c == '\r') continue;
    text += c;
    if (text.size() > kLimit) break;
  }
  if (text.size() > kLimit) {
    size_t end = kLimit;
    while (end > 0 && isContinuationByte(text[end])) --end;
    text.resize(end);
  }
  return text;
}

// A line break typed or pasted into a field would split the line-based file
// and the clipboard list: each break (CR LF, CR or LF) becomes one blank.
std::string onOneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line += c == '\r' || c == '\n' ? ' ' : c;
  }
  return line;
}

std::string translation(int row) { return onOneLine(ui::gadgetText(TranslationFields + row)); }

void copyToClipboard(const std::string& text) {
  ui::setClipboardText(text);
  ui::messageBox("", gUiText[kTextCopiedToClipboard]);
}

void copyTranslations() {
  std::string text;
  for (int row = 0; row < kUiStringCount; ++row) text += translation(row) + "\n";
  copyToClipboard(text);
}

// Line n of the clipboard goes to row n - 1; rows without a line are emptied.
void pasteTranslations() {
  const std::string text = ui::clipboardText();
  if (text.empty()) return;
  const std::string_view rest = text;
  size_t pos = 0;
  for (int row = 0; row < kUiStringCount; ++row) {
    std::string_view line;
    if (pos <= rest.size()) {
      const size_t end = rest.find('\n', pos);
      line = rest.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
      pos = end == std::string_view::npos ? rest.size() + 1 : end + 1;
    }
    ui::setGadgetText(TranslationFields + row, fieldText(line));
  }
}

void resetTranslations() {
  if (ui::questionBox("", gUiText[kTextResetAllEntries]) != ui::Answer::Yes) return;
  for (int row = 0; row < kUiStringCount; ++row) ui::setGadgetText(TranslationFields + row, "");
}

void saveTranslation() {
  const std::string name =
      ui::saveFileDialog(gUiText[kTextSaveFileAs], gProgramFolder, gUiText[kTextLanguageFiles] + " (*.lng)|*.lng;");
  if (name.empty()) return;
  if (!createIniFile(name + ".lng")) {
    showErrorMessage(gUiText[kTextCouldNotSaveFile]);
    return;
  }
  for (int row = 0; row < kUiStringCount; ++row) writeIniString(std::to_string(row), translation(row));
  // Told only once the file is in place.
  if (closeIniFile()) {
    ui::messageBox("", gUiText[kTextFileSaved]);
  } else {
    showErrorMessage(gUiText[kTextCouldNotSaveFile]);
  }
}

// A single dropped file fills the rows whose values are not blank; any other
// drop, or a file that does not open, changes nothing.
void loadDroppedFile(const std::string& dropped) {
  if (dropped.empty() || dropped.find('\n') != std::string::npos) return;
  if (!openIniFile(dropped)) return;
  for (int row = 0; row < kUiStringCount; ++row) {
    const std::string value = readIniString(std::to_string(row), "");  // trimmed
    if (!value.empty()) ui::setGadgetText(TranslationFields + row, fieldText(value));
  }
  closeIniFile();
}

bool openToolWindow() {
  const ui::WindowStyle style;  // close and minimise boxes, not sizable
  const std::string title = "Zandrel - Translation Tool";
  if (!ui::openWindow(TranslationWindow, kWindowWidth, kWindowHeight, title, style)) return false;
  const int width = ui::windowWidth(TranslationWindow);
  const int height = ui::windowHeight(TranslationWindow);
  ui::scrollAreaGadget(TranslationScrollArea, 10, 10, width - 20, height - 46, kInnerWidth, kInnerHeight, kScrollStep);
  ui::enableFileDrop(TranslationScrollArea);
  ui::textGadget(SourceHeaderText, 10, 7, 80, 20, gLanguageNameEnglish);
  ui::buttonGadget(CopySourceTextsButton, 258, 3, 100, 25, gUiText[kTextCopyToClipboard]);
  ui::buttonGadget(CopyTranslationsButton, 520, 3, 100, 25, gUiText[kTextCopyToClipboard]);
  ui::buttonGadget(PasteTranslationsButton, 627, 3, 100, 25, gUiText[kTextPaste]);
  ui::textGadget(TranslationHeaderText, 380, 7, 110, 20, gUiText[kTextTranslation]);
  if (ui::loadFont(TranslationHeaderFont, ui::kInterfaceFace, 10, ui::kFontBold)) {
    ui::setGadgetFont(SourceHeaderText, TranslationHeaderFont);
    ui::setGadgetFont(TranslationHeaderText, TranslationHeaderFont);
  }
  for (int row = 0; row < kUiStringCount; ++row) {
    const int y = kFirstRowY + kRowStep * row;
    const int source = SourceTextFields + row;
    const int target = TranslationFields + row;
    ui::stringGadget(source, kSourceX, y, kFieldWidth, kFieldHeight, gUiStrings[static_cast<size_t>(row)]);
    ui::setReadOnly(source, true);
    ui::stringGadget(target, kTranslationX, y, kFieldWidth, kFieldHeight, "");
    // The fields cover most of the area: a file dropped on one is a drop on the window.
    ui::passFileDrops(source, TranslationScrollArea);
    ui::passFileDrops(target, TranslationScrollArea);
  }
  ui::closeGadgetList();
  const int buttonY = height - 32;
  ui::buttonGadget(SaveTranslationButton, kSourceX, buttonY, kButtonWidth, kButtonHeight,
                   gUiText[kTextSaveTranslation]);
  ui::buttonGadget(ResetTranslationButton, kSourceX + kButtonWidth + kButtonGap, buttonY, kButtonWidth, kButtonHeight,
                   gUiText[kTextReset]);
  ui::buttonGadget(CloseTranslationButton, kSourceX + 2 * (kButtonWidth + kButtonGap), buttonY, kButtonWidth,
                   kButtonHeight, gUiText[kTextQuit]);
  return true;
}

void closeToolWindow() {
  ui::closeWindow(TranslationWindow);
  ui::freeFont(TranslationHeaderFont);
}

}  // namespace

void runTranslationTool() {
  std::string englishClipboardText;
  for (const char* english : gUiStrings) englishClipboardText += std::string(english) + "\n";
  if (!openToolWindow()) return;

  // Events of every window come here, whichever window raised them.
  for (;;) {
    const ui::Event event = ui::waitEvent();
    switch (event.kind) {
      case ui::EventKind::CloseWindow:
        closeToolWindow();
        return;
      case ui::EventKind::GadgetDrop:
        loadDroppedFile(ui::droppedFiles());
        break;
      case ui::EventKind::Gadget:
        switch (event.object) {
          case CloseTranslationButton:
            closeToolWindow();
            return;
          case CopySourceTextsButton:
            copyToClipboard(englishClipboardText);
            break;
          case CopyTranslationsButton:
            copyTranslations();
            break;
          case PasteTranslationsButton:
            pasteTranslations();
            break;
          case ResetTranslationButton:
            resetTranslations();
            break;
          case SaveTranslationButton:
            saveTranslation();
            break;
          default:
            break;
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace zandrel

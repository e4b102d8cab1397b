#pragma once
// The Translation Tool: every English text beside a field for its translation,
// saved as a language file that the Language menu then offers.

namespace zandrel {

// Gadgets of TranslationWindow. Row i (a text index) shows the English text in
// SourceTextFields + i and its translation in TranslationFields + i.
enum TranslationGadget {
  TranslationScrollArea = 0,
  SourceTextFields = 1,
  TranslationFields = 110,
  SaveTranslationButton = 300,
  ResetTranslationButton = 301,
  CloseTranslationButton = 302,
  SourceHeaderText = 533,
  TranslationHeaderText = 633,
  CopySourceTextsButton = 933,
  CopyTranslationsButton = 950,
  PasteTranslationsButton = 951,
};

// Longest text a paste or a dropped file puts into one translation field.
inline constexpr int kMaxTranslationBytes = 4096;

// Opens TranslationWindow with empty translation fields and runs its own loop
// until its Quit button or a close request of any window ends it. Returns at
// once when the window cannot be opened.
void runTranslationTool();

}  // namespace zandrel

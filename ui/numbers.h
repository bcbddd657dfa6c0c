// The numbers that identify the program's windows, gadgets and images: one place for all of them.
#pragma once

namespace ui {

// Windows.
inline constexpr int kMainWindow = 0;
inline constexpr int kResultWindow = 11;
inline constexpr int kProgressWindow = 15;
inline constexpr int kLanguageWindow = 24;

// Gadgets of the main window. Gadget numbers are unique across windows.
enum MainGadget : int {
  kBannerImage = 1,
  kFooterText = 2,
  kTaglineFrame = 3,
  kTextFileButton = 4,
  kImageFileButton = 5,
  kClipboardButton = 6,
  kStatusLine = 7,
  kUpdateButton = 22,
  kInfoButton = 23,
};

// Gadgets of the result, progress and language windows.
enum ResultGadget : int { kResultEditor = 12, kSaveTextButton = 13, kCopyTextButton = 14 };
inline constexpr int kProgressTextGadget = 16;
enum LanguageGadget : int { kFrenchButton = 25, kEnglishButton = 26, kGermanButton = 27, kExitButton = 28 };

// Images (the WorkImage, 10, belongs to the codec).
inline constexpr int kBannerPictureImage = 8;
enum LanguageImage : int { kFrenchFlagImage = 29, kBritishFlagImage = 30, kGermanFlagImage = 31 };

}  // namespace ui

// Restoring what the detector took: "&Popup" shows the last hidden popup again, marked so that
// the detector leaves it alone, and "&Flash Ad" shows the last hidden Flash control again.
#pragma once

#include <optional>

#include "platform/platform.h"
#include "ui/services.h"

namespace pelkrin {

// The caption prefix of a restored popup. It begins with the product name, so the exemption of
// the program's own windows keeps the popup from being pelked again while its caption keeps it.
inline constexpr char kRestoreMark[] = "Pelkrin Restore Mode  ";
inline constexpr char kNoPopupToRestore[] = "Pelkrin could not find any popups to restore.";
inline constexpr char kNoFlashToRestore[] = "No recent pelked Flash Advertisements detected.";

struct RestoreServices {
  WindowManager& windows;
  Dialogs& dialogs;
  Sounds& sounds;
  Diagnostics& diagnostics;
};

// Shows `popup`, the last hidden popup that the detector handed back, with the restore mark
// before its caption unless the caption begins with the product name already. Says so when
// there is none.
void RestorePopup(const RestoreServices& services, std::optional<Hwnd> popup);

// Shows `flash`, the last Flash control the detector hid, which it leaves alone while that is
// still the last one seen. Says so when there is none (kNoWindow).
void RestoreFlashAd(const RestoreServices& services, Hwnd flash);

}  // namespace pelkrin

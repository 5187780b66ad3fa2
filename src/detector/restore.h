// Restoring what the detector took: "&Popup" shows the last hidden popup again, marked so that
// the detector leaves it alone, and "&Flash Ad" shows the last hidden Flash control again.
#pragma once

#include "platform/platform.h"
#include "ui/controls.h"
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

// Shows the popup whose handle TextHnd holds, with the restore mark before its caption unless
// the caption begins with the product name already, and empties TextHnd: the next pelk does not
// close it. Says so when TextHnd is empty. Returns the window it showed, kNoWindow for none.
Hwnd RestorePopup(const RestoreServices& services, TextBox& TextHnd);

// Shows the Flash control whose handle TextFlash holds; TextFlash keeps it, so the detector
// leaves the control alone while it is the last one seen. Says so when there is none.
void RestoreFlashAd(const RestoreServices& services, const TextBox& TextFlash);

}  // namespace pelkrin

#include "detector/restore.h"

#include <string>

#include "detector/popup_rules.h"
#include "detector/window_readers.h"
#include "ui/form.h"

namespace pelkrin {
void RestorePopup(const RestoreServices& services, std::optional<Hwnd> popup) {
  services.sounds.PlayClickSound();
  if (!popup) {
    services.dialogs.MessageBox(kNoPopupToRestore, kAppTitle, kStopSystemModal);
    return;
  }
  WindowManager& windows = services.windows;
  // The popup may have closed since, and its handle passed to another program's window: only a
  // browser window is retitled and shown. Both calls return at once even when the browser has
  // stopped answering.
  if (!IsBrowserWindow(windows, *popup)) {
    services.diagnostics.Note("restore: the last hidden popup (" + std::to_string(*popup) +
                              ") is no browser window any more; nothing was shown");
    return;
  }
  const std::string caption = ReadCaption(windows, *popup);
  if (!caption.starts_with(kProductPrefix)) windows.SetCaption(*popup, kRestoreMark + caption);
  windows.Show(*popup, kSwShow);
}

void RestoreFlashAd(const RestoreServices& services, Hwnd flash) {
  services.sounds.PlayClickSound();
  if (flash == kNoWindow) {
    services.dialogs.MessageBox(kNoFlashToRestore, kAppTitle, kStopSystemModal);
    return;
  }
  WindowManager& windows = services.windows;
  if (windows.ClassName(flash, static_cast<int>(sizeof kFlashClass) + 1) != kFlashClass) {
    services.diagnostics.Note("restore: the last hidden Flash control (" + std::to_string(flash) +
                              ") is gone; nothing was shown");
    return;
  }
  windows.Show(flash, kSwShow);
}

}  // namespace pelkrin

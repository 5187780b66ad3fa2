#include "detector/restore.h"

#include <string>

#include "detector/popup_rules.h"
#include "detector/window_readers.h"
#include "settings/handle_text.h"
#include "ui/form.h"

namespace pelkrin {
namespace {

constexpr char kFlashClass[] = "MacromediaFlashPlayerActiveX";

}  // namespace

Hwnd RestorePopup(const RestoreServices& services, TextBox& TextHnd) {
  services.sounds.PlayClickSound();
  if (TextHnd.Text().empty()) {
    services.dialogs.MessageBox(kNoPopupToRestore, kAppTitle, kStopSystemModal);
    return kNoWindow;
  }
  WindowManager& windows = services.windows;
  const Hwnd popup = HandleFromText(TextHnd.Text());
  // The popup may have closed since, and its handle passed to another program's window: only a
  // browser window is retitled and shown. Both calls return at once even when the browser has
  // stopped answering.
  Hwnd shown = kNoWindow;
  if (IsBrowserWindow(windows, popup)) {
    const std::string caption = ReadCaption(windows, popup);
    if (!caption.starts_with(kProductPrefix)) windows.SetCaption(popup, kRestoreMark + caption);
    windows.Show(popup, kSwShow);
    shown = popup;
  } else {
    services.diagnostics.Note("restore: the last hidden popup (" + TextHnd.Text() +
                              ") is no browser window any more; nothing was shown");
  }
  TextHnd.SetText("");
  return shown;
}

void RestoreFlashAd(const RestoreServices& services, const TextBox& TextFlash) {
  services.sounds.PlayClickSound();
  const Hwnd flash = HandleFromText(TextFlash.Text());
  if (flash == kNoWindow) {
    services.dialogs.MessageBox(kNoFlashToRestore, kAppTitle, kStopSystemModal);
    return;
  }
  WindowManager& windows = services.windows;
  if (windows.ClassName(flash, static_cast<int>(sizeof kFlashClass) + 1) != kFlashClass) {
    services.diagnostics.Note("restore: the last hidden Flash control (" + TextFlash.Text() +
                              ") is gone; nothing was shown");
    return;
  }
  windows.Show(flash, kSwShow);
}

}  // namespace pelkrin

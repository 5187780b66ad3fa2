// ui-gallery: shows one skinned window like a Pelkrin dialog.
//
//   ui-gallery.exe              stays open until closed (Escape, or the "X" of the title strip)
//   ui-gallery.exe shot.bmp     puts the pointer over "Help" (its hot look), saves what the screen
//                               shows of the window to shot.bmp and exits: 0 when saved
//   ui-gallery.exe --selftest   checks the painting and the button's behaviour, prints one line
//                               per check and exits 0 only when all pass
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "gallery.h"

namespace {

using pelkrin::gallery::Gallery;
using pelkrin::gallery::Screenshot;

// Waits until the pointer has made "Help" hot and the screen shows two identical captures in a
// row (the windows have been painted and flushed to the display).
std::optional<Screenshot> SettledScreenshot(Gallery& gallery) {
  RECT help;
  ::GetWindowRect(gallery.help(), &help);
  ::SetCursorPos((help.left + help.right) / 2, (help.top + help.bottom) / 2);
  const bool hot = gallery.PumpUntil(
      [&] {
        return ::SendMessageA(gallery.help(), pelkrin::win32::kRbmGetState, 0, 0) ==
               static_cast<LRESULT>(pelkrin::win32::RainButtonState::kHot);
      },
      3000);
  if (!hot) std::fprintf(stderr, "ui-gallery: the pointer did not make Help hot\n");
  ::RedrawWindow(gallery.window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);

  std::optional<Screenshot> previous;
  std::optional<Screenshot> current;
  gallery.PumpUntil(
      [&] {
        previous = std::move(current);
        current = pelkrin::gallery::CaptureWindow(gallery.window());
        return previous && current && *previous == *current;
      },
      5000);
  return current;
}

int RunGallery(int argc, char** argv) {
  bool selftest = false;
  std::string screenshot_path;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--selftest") {
      selftest = true;
    } else if (!argument.empty() && argument[0] != '-' && screenshot_path.empty()) {
      screenshot_path = argument;
    } else {
      std::fprintf(stderr, "usage: ui-gallery [--selftest | screenshot.bmp]\n");
      return 2;
    }
  }

  Gallery gallery;
  if (!gallery.Create(::GetModuleHandleA(nullptr))) {
    std::fprintf(stderr, "ui-gallery: cannot create the window (error %lu)\n", ::GetLastError());
    return 2;
  }
  gallery.Show();

  if (selftest) {
    const int failures = pelkrin::gallery::RunSelfTest(gallery);
    std::printf("%s: %d failed\n", failures == 0 ? "PASS" : "FAIL", failures);
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
  }
  if (screenshot_path.empty()) return gallery.Run();

  const std::optional<Screenshot> shot = SettledScreenshot(gallery);
  if (!shot || !pelkrin::gallery::SaveBmp(*shot, screenshot_path)) {
    std::fprintf(stderr, "ui-gallery: cannot save %s\n", screenshot_path.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A failure inside a window procedure is raised again by the message pump and ends up here.
  try {
    return RunGallery(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ui-gallery: %s\n", e.what());
    return 2;
  }
}

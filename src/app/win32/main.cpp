// pelkrin.exe: puts the program on the real desktop and runs its message loop.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include "app/pelkrin.h"
#include "platform/win32/callback_guard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/view_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  pelkrin::win32::Win32ViewHost views(instance);
  pelkrin::win32::Win32Platform system;
  // Keyboard navigation of the skinned windows also works inside waits and list loading.
  system.Events().SetDialogMessageFilter(
      [&views](MSG& message) { return views.PreTranslate(message); });
  pelkrin::Platform platform = system.Get();

  pelkrin::Pelkrin app(platform, views);
  app.Start();

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (views.PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    // A handler that failed is skipped; the program stays up for the next event.
    try {
      pelkrin::win32::RethrowCallbackException();
    } catch (...) {
      pelkrin::win32::TraceDiagnostic("an event handler failed: " +
                                      pelkrin::win32::DescribeException(std::current_exception()));
    }
  }
  return static_cast<int>(message.wParam);
}

// pelkrin.exe: puts the program on the real desktop and runs its message loop.
#include <windows.h>

#include "app/pelkrin.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/view_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  pelkrin::win32::Win32ViewHost views(instance);
  pelkrin::win32::Win32Platform system;
  // Keyboard navigation of the skinned windows also works inside waits and list loading.
  system.Events().SetDialogMessageFilter(
      [&views](MSG& message) { return views.PreTranslate(message); });
  pelkrin::Platform platform = system.Get();

  pelkrin::Pelkrin app(platform, views);
  app.Start();

  return system.Events().RunMessageLoop();
}

// Keeps Wine's virtual desktop process alive for a whole test run without ever showing anything.
//
// Wine starts the desktop process on behalf of the first program that needs a window, and that
// process inherits the starter's standard handles. Started once by the test set-up with its
// output sent to /dev/null, this program is that first one, so no test's output pipe stays open
// behind the desktop (ctest would otherwise wait for it). It creates one hidden window and pumps
// messages until that window gets WM_CLOSE or the process is killed (wineserver -k).
#include <windows.h>

namespace {

constexpr char kKeeperClass[] = "PelkrinDesktopKeeper";

LRESULT CALLBACK KeeperWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = KeeperWindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kKeeperClass;
  if (::RegisterClassA(&window_class) == 0) return 1;

  // A plain top-level window (never shown) rather than a message-only one: creating it is what
  // makes Wine start the desktop, and it stays findable by class for scripts that wait for it.
  // The window is destroyed by its own WM_CLOSE handling or with the process.
  HWND window = ::CreateWindowExA(0, kKeeperClass, "Pelkrin desktop keeper", WS_OVERLAPPED, 0, 0, 0,
                                  0, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 2;

  MSG message;
  BOOL result;
  while ((result = ::GetMessageA(&message, nullptr, 0, 0)) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return result == 0 ? static_cast<int>(message.wParam) : 3;
}

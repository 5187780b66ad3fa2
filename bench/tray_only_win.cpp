// The yardstick of the start-up figure: an empty Win32 program that only adds a tray icon and
// waits to be ended. Its window class is "PelkrinBenchTrayOnly", its icon id 0.
#include <windows.h>

#include <shellapi.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = ::DefWindowProcA;
  window_class.hInstance = instance;
  window_class.lpszClassName = "PelkrinBenchTrayOnly";
  ::RegisterClassA(&window_class);
  HWND window = ::CreateWindowA(window_class.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
  NOTIFYICONDATAA icon{};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = window;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  lstrcpynA(icon.szTip, "tray only", sizeof icon.szTip);
  ::Shell_NotifyIconA(NIM_ADD, &icon);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
  return 0;
}

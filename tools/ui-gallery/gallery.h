// The UI gallery: one skinned window put together like a Pelkrin dialog, to look at the skin and
// the RainButton together, and to check the button's keyboard and mouse behaviour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/rain_button.h"
#include "ui/win32/skin.h"

namespace pelkrin::gallery {

enum ControlId : int {
  kListId = 101,
  kEditId = 102,
  kAllowId = 201,
  kHelpId = 202,
  kRemoveId = 203,
  kRememberId = 204,
  kSelfDestructId = 299,  // the self-test's button that its own click destroys
};

inline constexpr int kWidth = 360;
inline constexpr int kHeight = 260;
inline constexpr char kTitle[] = "        Pelkrin - Allow / Block                 X";

class Gallery {
 public:
  Gallery() = default;
  Gallery(const Gallery&) = delete;
  Gallery& operator=(const Gallery&) = delete;
  ~Gallery();

  // Creates the window, hidden; Show() puts it on screen.
  bool Create(HINSTANCE instance);
  void Show();

  HWND window() const { return window_; }
  HWND list() const { return list_; }
  HWND edit() const { return edit_; }
  HWND allow() const { return allow_; }
  HWND help() const { return help_; }
  HWND remove() const { return remove_; }
  HWND remember() const { return remember_; }
  const win32::RainButtonLook& button_look() const { return button_look_; }

  // What the window's parent side saw: BN_CLICKED per control id, and the commands the dialog
  // manager sends on its own (IDOK for Enter, IDCANCEL for Escape).
  int Clicks(int id) const;
  int OkCount() const { return ok_count_; }

  // Runs one round of the message loop, the way the program's loop does: keyboard messages go
  // through IsDialogMessage (Tab, access keys, Enter) before TranslateMessage/DispatchMessage.
  // A failure parked by a window procedure is raised again here. Returns false once WM_QUIT
  // arrives.
  bool PumpPending();
  // Pumps until done() holds or timeout_ms passes; returns done().
  bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms);
  // Pumps until the window is closed; returns the WM_QUIT code.
  int Run();

  // The part of the title strip that closes the window: the "X" at the end of its caption.
  std::optional<RECT> CloseBox() const;

  // Paints the whole client area (background, title strip, labels, field frames) into dc.
  void Paint(HDC dc) const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool Dispatch(MSG& msg);

  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HWND edit_ = nullptr;
  HWND allow_ = nullptr;
  HWND help_ = nullptr;
  HWND remove_ = nullptr;
  HWND remember_ = nullptr;
  win32::SkinBrush background_brush_;
  win32::ScopedFont text_font_;
  win32::ScopedFont bold_font_;
  win32::ScopedFont title_font_;
  win32::ScopedFont heading_font_;
  win32::RainButtonLook title_look_{};
  win32::RainButtonLook button_look_{};
  std::map<int, int> clicks_;
  std::string status_ = "3 allowed, 2 blocked";  // the footer: the last click once there is one
  int ok_count_ = 0;
  int quit_code_ = 0;
  bool quit_ = false;
};

struct Screenshot {
  int width;
  int height;
  std::vector<std::uint32_t> pixels;  // top-down rows, 0x00RRGGBB
  bool operator==(const Screenshot&) const = default;
};

// What the screen shows of window, children included.
std::optional<Screenshot> CaptureWindow(HWND window);
// Writes a 24-bit .bmp file; on failure no partial file is left.
bool SaveBmp(const Screenshot& shot, const std::string& path);

// Runs the self-test against a shown gallery; prints one line per check and returns the number
// of failed checks.
int RunSelfTest(Gallery& gallery);

}  // namespace pelkrin::gallery

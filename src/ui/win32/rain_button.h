// The program's own push button ("RainButton"): a rounded gradient face with a bevel, a centred
// caption with an underlined access key, hover and pressed looks, and the keyboard behaviour of a
// standard push button, so the dialog manager (IsDialogMessage) treats it like one.
#pragma once

#include <windows.h>

#include <string>

namespace pelkrin::win32 {

struct RainButtonLook {
  COLORREF fore;      // caption colour
  COLORREF back;      // gradient start (top)
  COLORREF back_end;  // gradient end (bottom); equal to back for a flat fill
  HFONT font;         // nullptr: the default GUI font. Not owned: it must outlive the button.
};

enum class RainButtonState { kNormal, kHot, kPressed, kDisabled };

// Paints a button face into rect: rounded gradient, bevel, caption centred on one line with the
// access key ("&x") underlined when show_accelerators ("&&" shows as "&"), and a focus rectangle
// when focused. The corners are anti-aliased against what the DC already holds, so paint the
// background first.
void PaintRainButton(HDC dc, const RECT& rect, const std::string& caption,
                     const RainButtonLook& look, RainButtonState state, bool focused,
                     bool show_accelerators);

// The face alone (rounded gradient, outline and bevel), without caption or focus rectangle.
void PaintRainButtonFace(HDC dc, const RECT& rect, const RainButtonLook& look,
                         RainButtonState state);

// The caption colour PaintRainButton uses for a state (a greyed tone when disabled).
COLORREF RainButtonCaptionColour(const RainButtonLook& look, RainButtonState state);

// A caption with its access-key marks resolved: "&&" becomes "&", and the character after the
// first single "&" is the key (key_index into text; -1 when there is none).
struct AccessKeyCaption {
  std::string text;
  int key_index = -1;
};
AccessKeyCaption SplitAccessKey(const std::string& caption);

inline constexpr char kRainButtonClassName[] = "PelkrinRainButton";

// Registers the window class; registering it again for the same instance succeeds.
[[nodiscard]] bool RegisterRainButtonClass(HINSTANCE instance);

// Creates a visible WS_CHILD | WS_TABSTOP button; the caption is the window text, so
// WM_GETTEXT reads it from any process. Registers the class for the program's own module if
// that has not been done. Returns nullptr on failure.
[[nodiscard]] HWND CreateRainButton(HWND parent, int id, const RECT& rect,
                                    const std::string& caption, const RainButtonLook& look);

inline constexpr UINT kRbmSetLook = WM_USER + 1;    // lParam: const RainButtonLook* (copied)
inline constexpr UINT kRbmSetCursor = WM_USER + 2;  // wParam: HCURSOR (nullptr: arrow; not owned)
inline constexpr UINT kRbmGetState = WM_USER + 3;   // returns the RainButtonState now shown

}  // namespace pelkrin::win32

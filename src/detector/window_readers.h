// Reading other programs' windows: a window's caption, a browser frame's address bar, a direct
// child by its class, and a control's text by message. They change nothing they read, and none
// of them can freeze Pelkrin: a browser that stopped answering gets a short time limit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pelkrin {

// How long a read by message waits for another program's answer. A hung browser then costs a
// survey this long once per read, and nothing at all once Windows considers it hung.
inline constexpr unsigned kControlTextTimeoutMs = 200;
// The most characters taken from another program's control; its claimed length is not trusted.
inline constexpr long kMaxControlTextChars = 32767;
// The most characters taken from a caption (the longest caption a browser can show is far less).
inline constexpr int kMaxCaptionChars = 1 << 20;
// The class of the Flash control inside a page.
inline constexpr char kFlashClass[] = "MacromediaFlashPlayerActiveX";

// The window's whole caption; "" for none, for handle 0 or for a window that is gone.
std::string ReadCaption(WindowManager& windows, Hwnd window);

// The first direct child of `parent`, in z-order, whose class name equals `class_name` exactly
// and case-sensitively; 0 when there is none (or when parent is 0). Never grandchildren.
Hwnd FindChildByClass(WindowManager& windows, Hwnd parent, std::string_view class_name);

// The control's text by WM_GETTEXTLENGTH and WM_GETTEXT, without its NULs. A control that does
// not answer in time, or handle 0, gives a single blank.
std::string ReadControlText(WindowManager& windows, Hwnd control);

// The Flash control of a browser frame: the "MacromediaFlashPlayerActiveX" inside its
// "Internet Explorer_Server" inside its "Shell DocObject View", each the first direct child of
// that class; 0 when a link is missing.
Hwnd FindFlashControl(WindowManager& windows, Hwnd frame);

// The address in a browser frame's address bar: the Edit at the end of the chain WorkerA (or
// WorkerW) > ReBarWindow32 > ComboBoxEx32 > ComboBox > Edit. "" for frame 0; a single blank
// when a link of the chain is missing (an HTML dialog has none).
std::string ReadAddressBar(WindowManager& windows, Hwnd frame);
// The same within `timeout_ms` for each of its two messages; nullopt when the browser did not
// answer in time (it may be busy, and answer a later try).
std::optional<std::string> TryReadAddressBar(WindowManager& windows, Hwnd frame,
                                             unsigned timeout_ms);

}  // namespace pelkrin

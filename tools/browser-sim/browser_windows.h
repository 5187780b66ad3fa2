// The windows of the browser stand-in, built the way the browser builds them:
//
//   IEFrame  "<title> - Microsoft Internet Explorer"
//     WorkerW (or WorkerA)            first child; hidden in a window opened without toolbars
//       ReBarWindow32                 the real common controls from here down to the Edit
//         ComboBoxEx32
//           ComboBox
//             Edit                    the address
//     Shell DocObject View
//       Internet Explorer_Server      the page
//         MacromediaFlashPlayerActiveX   a Flash ad, on request
//
//   Internet Explorer_TridentDlgFrame  "<title>"    an HTML dialog
//     Internet Explorer_Server
//       MacromediaFlashPlayerActiveX      on request
#pragma once

#include <windows.h>

#include <optional>

#include "protocol.h"

namespace pelkrin::browser_sim {

// What a browser window reports, on its own thread, as it happens.
class FrameObserver {
 public:
  virtual void FrameCreated(int id, HWND window) = 0;
  // The frame became visible or was hidden; `counter` is QueryPerformanceCounter taken as the
  // window procedure received the change. `transparent`: it showed layered with alpha 0, so
  // that none of it was drawn.
  virtual void FrameShown(int id, LONGLONG counter, bool transparent) = 0;
  virtual void FrameHidden(int id, LONGLONG counter) = 0;
  // A hide reached the window procedure (WM_WINDOWPOSCHANGING); the window still shows until
  // the system has hidden it, which under Wine takes milliseconds of its own.
  virtual void FrameHideBegins(int id, LONGLONG counter) = 0;
  virtual void FrameDestroyed(int id, LONGLONG counter) = 0;  // WM_DESTROY
  virtual void FrameGone(int id) = 0;                         // WM_NCDESTROY, the very end
  // The page of a frame opens a popup, as a script on a real page does.
  virtual void PageOpensPopup(const OpenOptions& popup) = 0;

 protected:
  ~FrameObserver() = default;
};

// A page that keeps opening a popup: the first after `first_after_ms`, then every `every_ms`.
struct PagePopups {
  OpenOptions popup;
  UINT first_after_ms = 1500;
  UINT every_ms = 5000;
};

// Registers the window classes above and initialises the common controls; once per process,
// before the first window.
bool RegisterBrowserClasses(HINSTANCE instance);

// The frame style the options ask for.
DWORD FrameStyleOf(const OpenOptions& options);

// Creates the frame and its children on the calling thread, which must pump messages, and
// shows it at once or after the options' delay. Returns the frame, or nullptr (with a
// diagnostic line) when Windows refused to create it.
HWND CreateBrowserWindow(HINSTANCE instance, const OpenOptions& options, int id,
                         FrameObserver& observer, const std::optional<PagePopups>& page_popups);

}  // namespace pelkrin::browser_sim

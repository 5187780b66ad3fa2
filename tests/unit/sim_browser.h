// Browser windows on the simulated desktop, built the way the detector reads them: a frame of
// class "IEFrame" with its toolbar container first (WorkerW or WorkerA, holding the address bar
// chain down to the Edit), the document view with an optional Flash control, and the browser's
// HTML dialog frame.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_windows.h"

namespace pelkrin::testing {

inline constexpr std::uint32_t kWsBorder = 0x00800000;
// WS_OVERLAPPEDWINDOW: title bar, sizing border, system menu, minimize and maximize boxes.
inline constexpr std::uint32_t kNormalFrameStyle = 0x00CF0000;

struct BrowserShape {
  std::string title = "Example Domain";  // the caption is title + the browser suffix
  std::string address = "http://www.example.com/";
  bool toolbars = true;   // false: the toolbar container is hidden, as a page opens a popup
  bool worker_a = false;  // the container's class is WorkerA instead of WorkerW
  bool flash = false;     // a Flash control inside the document view
  std::uint32_t style = kNormalFrameStyle;
  bool visible = true;
};

struct SimBrowser {
  Hwnd frame = kNoWindow;
  Hwnd container = kNoWindow;
  Hwnd edit = kNoWindow;
  Hwnd flash = kNoWindow;
  std::string caption;
};

inline std::string BrowserCaption(const std::string& title) {
  return title + " - Microsoft Internet Explorer";
}

inline SimBrowser AddBrowser(sim::SimWindows& windows, const BrowserShape& shape = {}) {
  SimBrowser browser;
  browser.caption = BrowserCaption(shape.title);
  browser.frame = windows.Add(kNoWindow, "IEFrame", browser.caption, shape.style, shape.visible);
  browser.container = windows.Add(browser.frame, shape.worker_a ? "WorkerA" : "WorkerW", "",
                                  sim::kWsChild, shape.toolbars);
  Hwnd link = browser.container;
  for (const char* class_name : {"ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit"})
    link = windows.Add(link, class_name, "", sim::kWsChild, true);
  browser.edit = link;
  windows.SetControlText(browser.edit, shape.address);
  const Hwnd view = windows.Add(browser.frame, "Shell DocObject View", "", sim::kWsChild, true);
  const Hwnd server = windows.Add(view, "Internet Explorer_Server", "", sim::kWsChild, true);
  if (shape.flash)
    browser.flash = windows.Add(server, "MacromediaFlashPlayerActiveX", "", sim::kWsChild, true);
  return browser;
}

// A page's popup: no toolbars.
inline SimBrowser AddPopup(sim::SimWindows& windows, const std::string& title,
                           const std::string& address = "http://ads.example.net/offer") {
  BrowserShape shape;
  shape.title = title;
  shape.address = address;
  shape.toolbars = false;
  return AddBrowser(windows, shape);
}

// The windows sent WM_CLOSE so far, in order.
inline std::vector<Hwnd> ClosesPosted(const sim::SimWindows& windows) {
  std::vector<Hwnd> closed;
  for (const auto& posted : windows.Posted())
    if (posted.message == kWmClose) closed.push_back(posted.window);
  return closed;
}

inline Hwnd AddHtmlDialog(sim::SimWindows& windows, const std::string& caption,
                          bool visible = true) {
  return windows.Add(kNoWindow, "Internet Explorer_TridentDlgFrame", caption, 0x80C80000u, visible);
}

}  // namespace pelkrin::testing

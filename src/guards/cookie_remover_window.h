// CookieRemoverWindow, the Cookie remover window: lists the browser's cookie files (the "*.txt"
// files of the folder "cookies" under the Windows folder) and deletes one of them or all of them.
// Where that folder cannot be listed it says the feature does not suit this Windows and switches
// itself off. It unloads when closed, and every opening makes a new one that lists the folder
// afresh.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kCookiePattern[] = "*.txt";
inline constexpr char kCookieRemoverTitle[] = "Pelkrin - Cookie Remover";
inline constexpr char kRemovingCookies[] = "Removing Cookies...  Please wait...";

// The cookie folder: the Windows folder followed by "\cookies", or "c:\windows\cookies" when
// Windows names no folder.
std::string CookieFolder(Process& process);
// The status line for `count` cookies: "No Cookies Detected", "1 Cookie Detected",
// "2 Cookies Detected", ...
std::string CookieStatusText(int count);
// The report of Delete all: every one of `listed` cookies removed, or how many were and how
// many could not be.
std::string RemoveAllReport(int listed, int removed);

class CookieRemoverWindow : public Form {
 public:
  CookieRemoverWindow(const FormServices& services, FileSystem& files, Process& process,
                      EventLoop& events, Dialogs& dialogs, Diagnostics& diagnostics);

  // Declaration order is drawing order: the strip first, the labels over it, copies behind.
  RainButton title_strip;
  Label drag_handle;
  Label close_mark;
  Shape frame;
  Label status_label_copy, status_label;  // "2 Cookies Detected"
  Label removing_label;                   // "Removing Cookies...  Please wait...", under the list
  ListBox cookie_list;                    // the cookie files, by name
  Label hint_label;                       // "Double-Click a single cookie to remove it."
  RainButton remove_all_button;

  const std::string& Folder() const { return folder_; }

  void RemoveSelected();  // a double-click on a file of the list
  void PointAtTheList();  // a double-click on the hint under it
  void RemoveAll();       // the Remove all button
  void Close();           // the close mark
  void CloseRequested() override { Close(); }

 protected:
  void OnLoad() override;

 private:
  // Lists the folder into cookie_list again. When it cannot be listed any more, the list holds
  // `known_left`, the cookies known to be still there.
  void Refresh(const std::vector<std::string>& known_left);
  void SetStatus() { status_label.SetCaption(CookieStatusText(cookie_list.ListCount())); }
  std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

  WindowManager& windows_;
  Sounds& sounds_;
  FileSystem& files_;
  Process& process_;
  EventLoop& events_;
  Dialogs& dialogs_;
  Diagnostics& diagnostics_;
  std::string folder_;
  bool removing_ = false;  // Delete all is at work
};

}  // namespace pelkrin

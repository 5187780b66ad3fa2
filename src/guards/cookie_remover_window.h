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
  RainButton RainButton1;  // title strip
  Label Label1;            // drag handle
  Label Label6;            // close mark
  Shape Frame1;
  Label Label5, Label2;    // the status line (copy, label)
  Label Label3;            // "Removing Cookies...  Please wait...", under the list
  ListBox File1;           // the cookie files, by name
  Label Label4;            // "Double-Click a single cookie to remove it."
  RainButton RainButton2;  // "&Remove All Cookies"

  const std::string& Folder() const { return folder_; }

  void RemoveSelected();  // a double-click on a file of the list
  void RemoveAll();       // RainButton2
  void Close();           // the close mark
  void CloseRequested() override { Close(); }

 protected:
  void OnLoad() override;

 private:
  // Lists the folder into File1 again. When it cannot be listed any more, the list holds
  // `known_left`, the cookies known to be still there.
  void Refresh(const std::vector<std::string>& known_left);
  void SetStatus() { Label2.SetCaption(CookieStatusText(File1.ListCount())); }
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

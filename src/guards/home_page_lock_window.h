// HomePageLockWindow, the Home page lock window: shows the browser's start page, edits the desired
// page and the lock switch, resets the start page at once, and explains itself. Its edits reach the
// settings when it is closed through its close mark. It unloads when closed, and every opening
// makes a new one.
#pragma once

#include "guards/home_page_lock.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kLockTip[] =
    "As long as this box is checked, your homepage will never change from the specified "
    "\"Desired Home Page\"";

class HomePageLockWindow : public Form {
 public:
  HomePageLockWindow(const FormServices& services, SettingsStore& settings, EventLoop& events,
                     Dialogs& dialogs, TextCase& text_case, HomePageLock& lock);

  // Declaration order is drawing order: the strip first, the labels over it, copies behind.
  RainButton RainButton2;  // title strip
  Label Label4;            // drag handle
  Label Label12;           // close mark
  Shape Frame1;
  Label Label1, Label5;    // "Current Home Page:" (copy, label)
  TextBox Text1;           // the start page, read-only
  Label Label2, Label6;    // "Desired Home Page:" (copy, label)
  TextBox Text2;           // the desired page
  CheckBox Check1;         // the lock switch
  Label Label3;            // "Lock Desired Home Page"
  RainButton RainButton1;  // "&Reset Home Page Now"
  RainButton RainButton3;  // "&Info"

  void ResetNow();  // RainButton1
  void ShowInfo();  // RainButton3
  // The close mark: stores the switch (and, with the lock on, the desired page), offers to make
  // the desired page the start page when they differ, and unloads the window.
  void Close();
  void CloseRequested() override { Close(); }

  static std::string InfoText();

 protected:
  void OnLoad() override;

 private:
  WindowManager& windows_;
  Sounds& sounds_;
  SettingsStore& settings_;
  EventLoop& events_;
  Dialogs& dialogs_;
  TextCase& text_case_;
  HomePageLock& lock_;
  bool closing_ = false;
};

}  // namespace pelkrin

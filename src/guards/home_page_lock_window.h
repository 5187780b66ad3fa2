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
  RainButton title_strip;
  Label drag_handle;
  Label close_mark;
  Shape frame;
  Label current_page_heading_copy, current_page_heading;  // "Current Home Page:"
  TextBox current_page_box;                               // the start page, read-only
  Label desired_page_heading_copy, desired_page_heading;  // "Desired Home Page:"
  TextBox desired_page_box;
  CheckBox lock_box;
  Label lock_label;  // "Lock Desired Home Page"
  RainButton reset_button;
  RainButton info_button;

  void ResetNow();
  void ShowInfo();
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

// ExitConfirmationWindow, the exit confirmation window: "Are you sure you want to exit?", with
// "&Ok", "&Cancel" and the box that stops the question for good. It exists only while it is open;
// every "E&xit" creates it afresh, with the box unchecked.
#pragma once

#include <functional>

#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kExitQuestion[] = "Are you sure you want to exit?";
inline constexpr char kNeverAskAgain[] = "&Never ask this again.";

// What the window asks of the program around it.
struct ExitConfirmationHooks {
  std::function<void()> remove_tray_icon;  // the icon leaves the notification area
  // Unloads the main window, which runs the shutdown, and ends the process at once.
  std::function<void()> unload_main_and_end;
  // "&Cancel": the window goes, once the handler that asked has returned.
  std::function<void()> dismiss;
};

class ExitConfirmationWindow : public Form {
 public:
  ExitConfirmationWindow(const FormServices& services, SettingsStore& settings,
                         ExitConfirmationHooks hooks);

  // Declaration order is drawing order: the strip first, the labels over it, copies behind.
  RainButton title_strip;  // "Pelkrin", no close mark
  Label drag_handle;
  Label question_label_copy;
  Label question_label;  // "Are you sure you want to exit?"
  CheckBox never_ask_box;
  Label never_ask_label;  // "&Never ask this again.", beside the box
  RainButton ok_button;
  RainButton cancel_button;

  void Ok();
  void Cancel();
  // Escape or Alt+F4: the window has no close mark, so they mean Cancel.
  void CloseRequested() override { Cancel(); }
  // Each time the window becomes the active one: with close_dlg 0 the program ends without
  // asking.
  void Activated() override;

 protected:
  void OnLoad() override;

 private:
  WindowManager& windows_;
  Sounds& sounds_;
  SettingsStore& settings_;
  ExitConfirmationHooks hooks_;
};

}  // namespace pelkrin

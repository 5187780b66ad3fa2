// AboutWindow, the About window: what the program is, how many popups it has pelked since it was
// installed, and two product icons that blink with a pop every 9 seconds. Each opening loads it
// afresh; closing unloads it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kPelkedSince[] = " Pelked Since ";

class AboutWindow : public Form {
 public:
  // `since_installation_count` gives the History window's since-installation count as its
  // copy label shows it.
  AboutWindow(const FormServices& services, EventLoop& events, Diagnostics& diagnostics,
              Pictures& pictures, SettingsStore& settings,
              std::function<std::string()> since_installation_count);

  Shape icon_frame, text_frame;
  Image top_icon, bottom_icon;  // the product icon, twice
  Label count_label;            // "<count> Pelked Since <install date>"
  TextBox product_text_box;
  Shape count_line, icon_upper_line, buttons_line, icon_lower_line;
  RainButton left_close_button;   // "&Close", stops the animation first
  RainButton right_close_button;  // "&Close"
  Timer blink_timer;              // 9 s: one blink of the icons

  // Loads the window afresh (icons shown, the count taken now, the animation running) and
  // shows it; a window that is open already only comes up.
  void Open();
  // One blink: each icon hides with a pop, then both come back, 0.4 s apart. The waits keep
  // the window responsive; a close during one ends the blink there.
  void Animate();
  void Close(bool stop_timer_first);
  void CloseRequested() override { Close(false); }

  static std::string ProductText();

 protected:
  void OnLoad() override;
  void OnUnload() override;

 private:
  WindowManager& windows_;
  Sounds& sounds_;
  EventLoop& events_;
  SettingsStore& settings_;
  std::function<std::string()> since_installation_count_;
  // Counts the openings, so a blink that outlives its window knows it is over.
  std::uint64_t opening_ = 0;
};

}  // namespace pelkrin

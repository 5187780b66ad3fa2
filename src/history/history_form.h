// Form1, the History window: the entries pelked in this run and the two counters. The window is
// the store; only the since-installation counter outlives the run (setting "history_count").
#pragma once

#include "platform/platform.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

class Form1 : public Form {
 public:
  Form1(const FormServices& services, EventLoop& events, SettingsStore& settings);

  // Copy labels come first so that they lie behind the labels they repeat.
  Label Label9, Label8, Label10, Label7;
  Label Label2;  // "pelked popups since installation  [date]"
  Label Label3;  // "pelked popups since startup  [date]"
  Label Label1;  // since-start-up counter
  Label Label4;  // since-installation counter
  ListBox List1;

 protected:
  void OnLoad() override;

 private:
  WindowManager& windows_;
  Sounds& sounds_;
  EventLoop& events_;
  SettingsStore& settings_;
};

}  // namespace pelkrin

#include "settings/advanced_form.h"

namespace pelkrin {

Form8::Form8(const FormServices& services, SettingsStore& settings)
    : Form(services.views, "Form8", "Advanced Options", {0, 0, 280, 300}),
      Check1(*this, "Check1", {16, 60, 14, 14}, 1),
      Check2(*this, "Check2", {16, 80, 14, 14}, 1),
      Check5(*this, "Check5", {16, 100, 14, 14}, 1),
      Check3(*this, "Check3", {16, 150, 14, 14}, 1),
      Check4(*this, "Check4", {16, 170, 14, 14}, 1),
      Check6(*this, "Check6", {16, 220, 14, 14}, 1),
      windows_(services.windows),
      sounds_(services.sounds),
      settings_(settings) {
  for (CheckBox* box : {&Check1, &Check2, &Check5, &Check3, &Check4, &Check6})
    box->on_click = [this] { sounds_.PlayClickSound(); };
}

void Form8::OnLoad() {
  MakeTopmost(windows_, *this);
  SetBoxesFromSettings();
}

std::array<CheckBox*, kAdvancedSwitchKeys.size()> Form8::Boxes() {
  const std::array boxes{&Check1, &Check2, &Check5, &Check6, &Check3, &Check4};
  static_assert(boxes.size() == kAdvancedSwitchKeys.size());
  return boxes;
}

void Form8::SetBoxesFromSettings() {
  pelkrin::SetBoxesFromSettings(settings_, kAdvancedSwitchKeys, Boxes());
}

DetectionSwitches Form8::Switches() const {
  return DetectionSwitches{
      .no_maximize_box = Check1.Value() == 1,
      .no_minimize_box = Check2.Value() == 1,
      .no_title_bar = Check5.Value() == 1,
      .adware = Check3.Value() == 1,
      .flash = Check4.Value() == 1,
  };
}

}  // namespace pelkrin

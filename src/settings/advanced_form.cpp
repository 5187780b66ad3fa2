#include "settings/advanced_form.h"

#include "app/pelkrin.h"
#include "settings/setting_value.h"

namespace pelkrin {

Form8::Form8(Pelkrin& app)
    : Form(app.platform, "Form8", "Advanced Options", {0, 0, 280, 300}),
      Check1(*this, "Check1", {16, 60, 14, 14}, 1),
      Check2(*this, "Check2", {16, 80, 14, 14}, 1),
      Check5(*this, "Check5", {16, 100, 14, 14}, 1),
      Check3(*this, "Check3", {16, 150, 14, 14}, 1),
      Check4(*this, "Check4", {16, 170, 14, 14}, 1),
      Check6(*this, "Check6", {16, 220, 14, 14}, 1),
      app_(app) {
  for (CheckBox* box : {&Check1, &Check2, &Check5, &Check3, &Check4, &Check6})
    box->on_click = [this] { app_.sounds.PlayClickSound(); };
}

void Form8::OnLoad() {
  MakeTopmost(*this);
  SetBoxesFromSettings();
}

void Form8::SetBoxesFromSettings() {
  const struct {
    CheckBox& box;
    const char* key;
  } boxes[] = {{Check1, "adv_max"},      {Check2, "adv_min"},    {Check5, "adv_title"},
               {Check6, "adv_busyicon"}, {Check3, "adv_adware"}, {Check4, "adv_flash"}};
  for (const auto& entry : boxes) {
    if (auto value = CheckBoxValue(app_.settings.ReadSetting(entry.key)))
      entry.box.SetValue(*value);
  }
}

}  // namespace pelkrin

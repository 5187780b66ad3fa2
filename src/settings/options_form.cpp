#include "settings/options_form.h"

#include "app/pelkrin.h"
#include "settings/setting_value.h"

namespace pelkrin {

Form2::Form2(Pelkrin& app)
    : Form(app.platform, "Form2", "Pelkrin - Options", {0, 0, 320, 300}),
      Check1(*this, "Check1", {16, 60, 14, 14}, 0),
      Check6(*this, "Check6", {16, 80, 14, 14}, 1),
      Check7(*this, "Check7", {16, 100, 14, 14}, 1),
      Check2(*this, "Check2", {16, 150, 14, 14}, 1),
      Check3(*this, "Check3", {16, 170, 14, 14}, 1),
      Check4(*this, "Check4", {16, 190, 14, 14}, 1),
      Check5(*this, "Check5", {290, 270, 14, 14}, 0),
      Text1(*this, "Text1", {16, 220, 288, 20}),
      app_(app) {
  for (CheckBox* box : {&Check1, &Check6, &Check7, &Check2, &Check3, &Check4})
    box->on_click = [this] { app_.sounds.PlayClickSound(); };
}

void Form2::OnLoad() {
  MakeTopmost(*this);
  const std::string sound_file = app_.settings.ReadSetting("sound_file");
  Text1.SetText(sound_file.empty() ? ToLowerAscii(app_.program_folder) + "\\pop.wav" : sound_file);
  SetBoxesFromSettings();
}

void Form2::SetBoxesFromSettings() {
  const struct {
    CheckBox& box;
    const char* key;
  } boxes[] = {{Check1, "play_sound"}, {Check6, "animate_tray"},  {Check2, "start_with_windows"},
               {Check3, "super_mode"}, {Check4, "close_dlg"},     {Check5, "clear_cookies"},
               {Check7, "keep_history"}};
  for (const auto& entry : boxes) {
    if (auto value = CheckBoxValue(app_.settings.ReadSetting(entry.key)))
      entry.box.SetValue(*value);
  }
}

}  // namespace pelkrin

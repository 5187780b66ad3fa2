#include "settings/options_form.h"

#include <stdexcept>

#include "ui/text.h"

namespace pelkrin {

Form2::Form2(const FormServices& services, SettingsStore& settings, std::string program_folder)
    : Form(services.views, "Form2", "Pelkrin - Options", {0, 0, 320, 300}),
      Check1(*this, "Check1", {16, 60, 14, 14}, 0),
      Check6(*this, "Check6", {16, 80, 14, 14}, 1),
      Check7(*this, "Check7", {16, 100, 14, 14}, 1),
      Check2(*this, "Check2", {16, 150, 14, 14}, 1),
      Check3(*this, "Check3", {16, 170, 14, 14}, 1),
      Check4(*this, "Check4", {16, 190, 14, 14}, 1),
      Check5(*this, "Check5", {290, 270, 14, 14}, 0),
      Text1(*this, "Text1", {16, 220, 288, 20}),
      windows_(services.windows),
      sounds_(services.sounds),
      settings_(settings),
      program_folder_(std::move(program_folder)) {
  for (CheckBox* box : {&Check1, &Check6, &Check7, &Check2, &Check3, &Check4})
    box->on_click = [this] { sounds_.PlayClickSound(); };
}

void Form2::OnLoad() {
  MakeTopmost(windows_, *this);
  const std::string sound_file = settings_.ReadSetting("sound_file");
  Text1.SetText(sound_file.empty() ? PathInFolder(ToLowerAscii(program_folder_), kPopSoundFile)
                                   : sound_file);
  SetBoxesFromSettings();
}

std::array<CheckBox*, kGeneralOptionKeys.size()> Form2::Boxes() {
  const std::array boxes{&Check1, &Check6, &Check2, &Check3, &Check4, &Check5, &Check7};
  static_assert(boxes.size() == kGeneralOptionKeys.size());
  return boxes;
}

void Form2::SetBoxesFromSettings() {
  pelkrin::SetBoxesFromSettings(settings_, kGeneralOptionKeys, Boxes());
}

int Form2::OptionValue(std::string_view key) {
  const auto boxes = Boxes();
  for (std::size_t i = 0; i < boxes.size(); ++i)
    if (key == kGeneralOptionKeys[i]) return boxes[i]->Value();
  throw std::invalid_argument("no general option \"" + std::string(key) + "\"");
}

}  // namespace pelkrin

#include "history/history_form.h"

namespace pelkrin {

Form1::Form1(const FormServices& services, EventLoop& events, SettingsStore& settings)
    : Form(services.views, "Form1", "Pelkrin - History", {0, 0, 320, 300}),
      Label9(*this, "Label9", {15, 35, 220, 16}),
      Label8(*this, "Label8", {15, 55, 220, 16}),
      Label10(*this, "Label10", {239, 55, 60, 16}, "0"),
      Label7(*this, "Label7", {239, 35, 60, 16}, "0"),
      Label2(*this, "Label2", {16, 36, 220, 16}, "pelked since program installation"),
      Label3(*this, "Label3", {16, 56, 220, 16}, "pelked since program start"),
      Label1(*this, "Label1", {240, 56, 60, 16}, "0"),
      Label4(*this, "Label4", {240, 36, 60, 16}, "0"),
      List1(*this, "List1", {16, 80, 288, 170}),
      windows_(services.windows),
      sounds_(services.sounds),
      events_(events),
      settings_(settings) {
  Label2.SetCopy(Label9);
  Label3.SetCopy(Label8);
  Label1.SetCopy(Label10);
  Label4.SetCopy(Label7);
  for (Label* copy : {&Label9, &Label8}) copy->fore_color = 0xFFFFFF;
  for (Label* copy : {&Label10, &Label7}) copy->fore_color = 0xC0C0FF;
  for (Label* counter : {&Label1, &Label4, &Label10, &Label7}) counter->alignment = Align::kRight;
}

void Form1::OnLoad() {
  MakeTopmost(windows_, *this);
  sounds_.PlayBarbleSound();
  Label2.SetCaption("pelked popups since installation  [" + settings_.ReadSetting("install_date") +
                    "]");
  Label3.SetCaption("pelked popups since startup  [" + events_.ShortDate() + "]");
}

}  // namespace pelkrin

#include "help/help_topics_window.h"

#include <string>

#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 322;
constexpr int kLeft = 22;
constexpr int kInner = kWidth - 2 * kLeft;

Bounds HeadingAt(int top) { return {kLeft, top, kInner, 16}; }
Bounds CopyAt(int top) { return {kLeft - 1, top - 1, kInner, 16}; }

}  // namespace

HelpTopicsWindow::HelpTopicsWindow(const FormServices& services)
    : Form(services.views, "HelpTopicsWindow", "Pelkrin - Help Topics", {0, 0, kWidth, kHeight}),
      RainButton1(*this, "RainButton1", {}, "", ControlKind::kTitleStrip),
      Label3(*this, "Label3", {}),
      Label5(*this, "Label5", {}),
      Frame1(*this, "Frame1", {12, 34, kWidth - 24, kHeight - 46}, Shape::Style::kRoundedRectangle,
             kFrameColor),
      Label9(*this, "Label9", CopyAt(42)),
      Label4(*this, "Label4", HeadingAt(42), "FAQ:"),
      Combo1(*this, "Combo1", {kLeft, 60, kInner, 22}, "Select a question..."),
      Label7(*this, "Label7", CopyAt(94)),
      Label6(*this, "Label6", HeadingAt(94), "Features:"),
      Combo2(*this, "Combo2", {kLeft, 112, kInner, 22}, "Select a feature..."),
      Label2(*this, "Label2", CopyAt(146)),
      Label1(*this, "Label1", HeadingAt(146), "Description:"),
      Text1(*this, "Text1", {kLeft, 164, kInner, kHeight - 164 - 22}),
      windows_(services.windows),
      sounds_(services.sounds) {
  back_color = kSkinBack;
  SetUpChrome(*this, RainButton1, Label3, &Label5, Caption(), services.drag, "Close Help Topics",
              [this] { Close(); });

  for (Label* heading : {&Label4, &Label6, &Label1}) {
    heading->font.bold = true;
    heading->fore_color = kTextColor;
  }
  for (Label* copy : {&Label9, &Label7, &Label2}) {
    copy->font.bold = true;
    copy->fore_color = kCopyLabelColor;
  }
  Label4.SetCopy(Label9);
  Label6.SetCopy(Label7);
  Label1.SetCopy(Label2);
  Text1.multi_line = true;
  Text1.locked = true;

  for (const HelpTopic& topic : HelpQuestions()) Combo1.AddItem(std::string(topic.entry));
  for (const HelpTopic& topic : HelpFeatures()) Combo2.AddItem(std::string(topic.entry));
  Combo1.on_dropdown = Combo2.on_dropdown = [this] { sounds_.PlayMenuSound(); };
  Combo1.on_click = [this] { Picked(Combo1, HelpQuestions()); };
  Combo2.on_click = [this] { Picked(Combo2, HelpFeatures()); };

  int tab = 0;
  for (Control* control : std::initializer_list<Control*>{&Combo1, &Combo2, &Text1})
    control->tab_index = ++tab;
}

void HelpTopicsWindow::OnLoad() { MakeTopmost(windows_, *this); }

void HelpTopicsWindow::Picked(const ComboBox& list, std::span<const HelpTopic> topics) {
  sounds_.PlayClickSound();
  if (const HelpTopic* topic = FindHelpTopic(topics, list.Text()))
    Text1.SetText(std::string(topic->text));
}

void HelpTopicsWindow::Close() {
  sounds_.PlayClickSound();
  SetWindowState(1);  // minimised first, then gone
  Unload();
}

}  // namespace pelkrin

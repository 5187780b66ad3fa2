#include "history/history_window.h"

#include "settings/setting_value.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 300;
constexpr Rgb kCounterCopyColor = 0xC0C0FF;  // light blue behind the counters

}  // namespace

HistoryWindow::HistoryWindow(const FormServices& services, EventLoop& events, Dialogs& dialogs,
                             SettingsStore& settings)
    : Form(services.views, "HistoryWindow", "Pelkrin - History", {0, 0, kWidth, kHeight}),
      RainButton1(*this, "RainButton1", {}, "", ControlKind::kTitleStrip),
      Label5(*this, "Label5", {}),
      Label6(*this, "Label6", {}),
      Frame1(*this, "Frame1", {10, 30, kWidth - 20, 228}, Shape::Style::kRoundedRectangle,
             kFrameColor),
      Label9(*this, "Label9", {19, 39, 220, 16}),
      Label8(*this, "Label8", {19, 59, 220, 16}),
      Label10(*this, "Label10", {239, 59, 60, 16}),
      Label7(*this, "Label7", {239, 39, 60, 16}),
      Label2(*this, "Label2", {20, 40, 220, 16}, "pelked since program installation"),
      Label3(*this, "Label3", {20, 60, 220, 16}, "pelked since program start"),
      Label1(*this, "Label1", {240, 60, 60, 16}, "0"),
      Label4(*this, "Label4", {240, 40, 60, 16}, "0"),
      List1(*this, "List1", {20, 84, kWidth - 40, 164}),
      RainButton2(*this, "RainButton2", {kWidth - 120, 266, 104, 24}, "&Clear History"),
      windows_(services.windows),
      sounds_(services.sounds),
      events_(events),
      dialogs_(dialogs),
      settings_(settings) {
  back_color = kSkinBack;
  SetUpChrome(*this, RainButton1, Label5, &Label6, Caption(), services.drag,
              "Close the history window.", [this] { Close(); });
  Label2.SetCopy(Label9);
  Label3.SetCopy(Label8);
  Label1.SetCopy(Label10);
  Label4.SetCopy(Label7);
  for (Label* caption : {&Label2, &Label3, &Label1, &Label4}) caption->fore_color = kTextColor;
  for (Label* copy : {&Label9, &Label8}) copy->fore_color = kCopyLabelColor;
  for (Label* copy : {&Label10, &Label7}) copy->fore_color = kCounterCopyColor;
  for (Label* counter : {&Label1, &Label4, &Label10, &Label7}) {
    counter->alignment = Align::kRight;
    counter->font.bold = true;
  }
  List1.tool_tip = "History list of pelked popups.";
  RainButton2.tool_tip = "Clear the contents of the history list.";
  StyleButton(RainButton2);
  List1.on_click = [this] { RemoveEntry(); };
  RainButton2.on_click = [this] { ClearHistory(); };
  List1.tab_index = 1;
  RainButton2.tab_index = 2;
}

void HistoryWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  sounds_.PlayBarbleSound();
  Label2.SetCaption("pelked popups since installation  [" + settings_.ReadSetting("install_date") +
                    "]");
  Label3.SetCaption("pelked popups since startup  [" + events_.ShortDate() + "]");
}

void HistoryWindow::AddEntry(std::string entry) {
  List1.AddItem(std::move(entry));
  Label1.SetCaption(NumberPlusOne(Label1.Caption()));
  Label4.SetCaption(NumberPlusOne(Label4.Caption()));
}

void HistoryWindow::RemoveEntry() {
  const int clicked = List1.ListIndex();
  if (clicked < 0 || clicked >= List1.ListCount()) return;
  sounds_.PlayClickSound();
  const std::string question = "Pelked Popup #" + std::to_string(clicked + 1) + "\r\r" +
                               "Pelked on " + List1.List(clicked) + "\r\r" +
                               "Remove this history entry?";
  if (dialogs_.MessageBox(question, kHistoryTitle, kQuestionYesNoDefaultNoSystemModal) != kIdYes)
    return;
  // The selection may have moved, or the list been cleared, while the question was open.
  const int selected = List1.ListIndex();
  if (selected >= 0 && selected < List1.ListCount()) List1.RemoveItem(selected);
}

void HistoryWindow::ClearHistory() {
  sounds_.PlayClickSound();
  if (List1.ListCount() == 0) {
    dialogs_.MessageBox(kNoHistoryMessage, kHistoryTitle, kExclamationSystemModal);
    return;
  }
  if (dialogs_.MessageBox(kClearHistoryQuestion, kAppTitle, kQuestionYesNoSystemModal) != kIdYes)
    return;
  List1.Clear();
  Label1.SetCaption("0");
  // The since-installation counter keeps its count.
}

void HistoryWindow::Close() {
  sounds_.PlayClickSound();
  Hide();
}

}  // namespace pelkrin

#include "history/history_window.h"

#include "settings/setting_value.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 300;
constexpr Rgb kCountCopyColor = 0xC0C0FF;  // light blue behind the counts

}  // namespace

HistoryWindow::HistoryWindow(const FormServices& services, EventLoop& events, Dialogs& dialogs,
                             SettingsStore& settings)
    : Form(services.views, "HistoryWindow", "Pelkrin - History", {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      close_mark(*this, "close_mark", {}),
      frame(*this, "frame", {10, 30, kWidth - 20, 228}, Shape::Style::kRoundedRectangle,
            kFrameColor),
      since_installation_label_copy(*this, "since_installation_label_copy", {}),
      since_startup_label_copy(*this, "since_startup_label_copy", {}),
      since_startup_count_copy(*this, "since_startup_count_copy", {}),
      since_installation_count_copy(*this, "since_installation_count_copy", {}),
      since_installation_label(*this, "since_installation_label", {20, 40, 220, 16},
                               "pelked since program installation"),
      since_startup_label(*this, "since_startup_label", {20, 60, 220, 16},
                          "pelked since program start"),
      since_startup_count(*this, "since_startup_count", {240, 60, 60, 16}, "0"),
      since_installation_count(*this, "since_installation_count", {240, 40, 60, 16}, "0"),
      entry_list(*this, "entry_list", {20, 84, kWidth - 40, 164}),
      clear_button(*this, "clear_button", {kWidth - 120, 266, 104, 24}, "&Clear History"),
      windows_(services.windows),
      sounds_(services.sounds),
      events_(events),
      dialogs_(dialogs),
      settings_(settings) {
  back_color = kSkinBack;
  SetUpChrome(*this, title_strip, drag_handle, &close_mark, Caption(), services.drag,
              "Close the history window.", [this] { Close(); });
  for (Label* count : {&since_startup_count, &since_installation_count}) {
    count->alignment = Align::kRight;
    count->font.bold = true;
  }
  AddCopy(since_installation_label, since_installation_label_copy, kCopyLabelColor);
  AddCopy(since_startup_label, since_startup_label_copy, kCopyLabelColor);
  AddCopy(since_startup_count, since_startup_count_copy, kCountCopyColor);
  AddCopy(since_installation_count, since_installation_count_copy, kCountCopyColor);
  entry_list.tool_tip = "History list of pelked popups.";
  clear_button.tool_tip = "Clear the contents of the history list.";
  StyleButton(clear_button);
  entry_list.on_click = [this] { RemoveEntry(); };
  clear_button.on_click = [this] { ClearHistory(); };
  SetTabOrder({&entry_list, &clear_button});
}

void HistoryWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  sounds_.PlayBarbleSound();
  since_installation_label.SetCaption("pelked popups since installation  [" +
                                      settings_.ReadSetting("install_date") + "]");
  since_startup_label.SetCaption("pelked popups since startup  [" + events_.ShortDate() + "]");
}

void HistoryWindow::AddEntry(std::string entry) {
  entry_list.AddItem(std::move(entry));
  since_startup_count.SetCaption(NumberPlusOne(since_startup_count.Caption()));
  since_installation_count.SetCaption(NumberPlusOne(since_installation_count.Caption()));
}

void HistoryWindow::RemoveEntry() {
  const int clicked = entry_list.ListIndex();
  if (clicked < 0 || clicked >= entry_list.ListCount()) return;
  sounds_.PlayClickSound();
  const std::string question = "Pelked Popup #" + std::to_string(clicked + 1) + "\r\r" +
                               "Pelked on " + entry_list.List(clicked) + "\r\r" +
                               "Remove this history entry?";
  if (dialogs_.MessageBox(question, kHistoryTitle, kQuestionYesNoDefaultNoSystemModal) != kIdYes)
    return;
  // The selection may have moved, or the list been cleared, while the question was open.
  const int selected = entry_list.ListIndex();
  if (selected >= 0 && selected < entry_list.ListCount()) entry_list.RemoveItem(selected);
}

void HistoryWindow::ClearHistory() {
  sounds_.PlayClickSound();
  if (entry_list.ListCount() == 0) {
    dialogs_.MessageBox(kNoHistoryMessage, kHistoryTitle, kExclamationSystemModal);
    return;
  }
  if (dialogs_.MessageBox(kClearHistoryQuestion, kAppTitle, kQuestionYesNoSystemModal) != kIdYes)
    return;
  entry_list.Clear();
  since_startup_count.SetCaption("0");
  // The since-installation counter keeps its count.
}

void HistoryWindow::Close() {
  sounds_.PlayClickSound();
  Hide();
}

}  // namespace pelkrin

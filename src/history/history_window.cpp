#include "history/history_window.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "settings/setting_value.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 300;
constexpr Rgb kCountCopyColor = 0xC0C0FF;  // light blue behind the counts

// A text as a menu line shows it: a '&' stands for itself rather than marking a letter, and a
// tab or another control character is a blank.
std::string MenuLine(std::string_view text) {
  std::string line;
  for (const char c : text) {
    if (c == '&') line += '&';
    line += static_cast<unsigned char>(c) < ' ' ? ' ' : c;
  }
  return line;
}

}  // namespace

HistoryWindow::HistoryWindow(const FormServices& services, EventLoop& events, Dialogs& dialogs,
                             SettingsStore& settings, EntryMenuActions& actions)
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
      settings_(settings),
      actions_(actions) {
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
  entry_list.dbl_click_opens_menu = true;
  entry_list.on_dbl_click = [this] { OpenEntryMenu(); };
  clear_button.on_click = [this] { ClearHistory(); };
  SetTabOrder({&entry_list, &clear_button});

  why_item = &entry_menu.Add("PelkedWhy", "");
  why_item->SetEnabled(false);
  reopen_item = &entry_menu.Add("Reopen", "&Reopen");
  allow_site_item = &entry_menu.Add("AllowSite", "Allow this &site");
  allow_caption_item = &entry_menu.Add("AllowCaption", "Allow this &caption");
  entry_menu.AddSeparator();
  remove_item = &entry_menu.Add("RemoveEntry", "&Remove");
  reopen_item->on_click = [this] { actions_.Reopen(menu_pelk_); };
  allow_site_item->on_click = [this] { actions_.AllowSite(menu_pelk_); };
  allow_caption_item->on_click = [this] { actions_.AllowCaption(menu_pelk_); };
  remove_item->on_click = [this] { RemoveEntry(); };
}

void HistoryWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  sounds_.PlayBarbleSound();
  since_installation_label.SetCaption("pelked popups since installation  [" +
                                      settings_.ReadSetting("install_date") + "]");
  since_startup_label.SetCaption("pelked popups since startup  [" + events_.ShortDate() + "]");
}

void HistoryWindow::AddEntry(std::string entry, PelkRecord pelk) {
  records_.resize(static_cast<std::size_t>(entry_list.ListCount()));  // each beside its entry
  entry_list.AddItem(std::move(entry));
  records_.push_back(std::move(pelk));
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
  if (selected < 0 || selected >= entry_list.ListCount()) return;
  entry_list.RemoveItem(selected);
  if (static_cast<std::size_t>(selected) < records_.size())
    records_.erase(records_.begin() + selected);
}

const PelkRecord* HistoryWindow::Record(int index) const {
  if (index < 0 || index >= entry_list.ListCount() ||
      static_cast<std::size_t>(index) >= records_.size())
    return nullptr;
  return &records_[static_cast<std::size_t>(index)];
}

void HistoryWindow::SetAddress(std::uint64_t serial, std::optional<std::string> address) {
  // Its entry may have been removed meanwhile, or never kept (history off).
  for (PelkRecord& pelk : records_)
    if (pelk.serial == serial) pelk.address = std::move(address);
}

void HistoryWindow::ForgetHiddenPopup() {
  for (PelkRecord& pelk : records_) pelk.window.reset();
}

std::string HistoryWindow::WhyLine(const PelkRecord& pelk, bool pelked_again) {
  const std::string why = (pelk.reason.empty() ? "Pelked" : pelk.reason) + ": ";
  const std::string again = pelked_again ? " - pelked again if reopened" : "";
  std::string where = pelk.address ? *pelk.address : "no address";
  // A long address is cut short: the line is not to fill the screen's width.
  const std::size_t room =
      kMaxWhyLineChars - std::min(kMaxWhyLineChars - 4, why.size() + again.size());
  if (where.size() > room) where = where.substr(0, room - 3) + "...";
  return MenuLine(why + where + again);
}

void HistoryWindow::OpenEntryMenu() {
  sounds_.PlayMenuSound();
  const int index = entry_list.ListIndex();
  if (!Visible() || index < 0 || index >= entry_list.ListCount()) return;
  if (const PelkRecord* unread = Record(index); unread && !unread->address)
    actions_.ReadAddressNow(*unread);
  const PelkRecord* pelk = Record(index);
  menu_pelk_ = pelk ? *pelk : PelkRecord{};
  const bool restorable = actions_.CanRestore(menu_pelk_);
  const bool from_address = !restorable && menu_pelk_.address.has_value();
  // Reopened from its address, a popup whose caption is on the block list is pelked again: the
  // line says so rather than the program fighting the user's own list.
  why_item->SetCaption(WhyLine(menu_pelk_, from_address && actions_.IsBlocked(menu_pelk_)));
  reopen_item->SetEnabled(restorable || from_address);
  allow_site_item->SetEnabled(menu_pelk_.address.has_value());
  allow_caption_item->SetEnabled(!menu_pelk_.short_caption.empty());
  MenuItem* chosen = views_.PopupMenu(entry_menu, nullptr, {});
  if (chosen != nullptr && chosen->Enabled()) chosen->Click();
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
  records_.clear();
  since_startup_count.SetCaption("0");
  // The since-installation counter keeps its count.
}

void HistoryWindow::Close() {
  sounds_.PlayClickSound();
  Hide();
}

}  // namespace pelkrin

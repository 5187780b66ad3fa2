#include "lists/allow_block_window.h"

#include <algorithm>

#include "ui/chrome.h"
#include "ui/text.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 318;
constexpr int kMargin = 14;
constexpr Rgb kMarkerColor = 0x2F6FB0;
constexpr Shape::Style kMarkerStyle = Shape::Style::kRoundedRectangle;

constexpr int kEnterKey = 13;

// Each list's file, in the order the lists are saved.
constexpr struct {
  const char* file_name;
  AllowList list;
} kListFiles[] = {{kDomainListFile, AllowList::kDomain},
                  {kCaptionListFile, AllowList::kCaption},
                  {kBlockListFile, AllowList::kBlock}};

// Where each control lies and the tip it shows. The three views share the place of the list,
// and the domain and caption views that of the entry and its "+".
void LayOut(AllowBlockWindow& w) {
  constexpr Bounds kList{kMargin, 88, 292, 134};
  constexpr Bounds kEntry{kMargin, 258, 256, 22};
  constexpr Bounds kAdd{kMargin + 262, 258, 30, 22};
  constexpr char kAddTip[] = "Add the caption or domain to the allow list.";
  Place({
      {w.domain_view_button,
       {kMargin, 34, 98, 24},
       "Display the list of allowed popups by domain."},
      {w.caption_view_button,
       {kMargin + 102, 34, 98, 24},
       "Display the list of allowed popups by caption."},
      {w.block_view_button,
       {kMargin + 204, 34, 88, 24},
       "Display the list of popups that you have blocked."},
      {w.domain_view_marker, {kMargin + 30, 60, 38, 3}},
      {w.caption_view_marker, {kMargin + 132, 60, 38, 3}},
      {w.block_view_marker, {kMargin + 229, 60, 38, 3}},
      {w.list_heading, {kMargin, 70, 292, 16}},
      {w.domain_list, kList, "Double-Click the domain name that you would like to remove."},
      {w.caption_list, kList, "Double-Click a caption for a list of options."},
      {w.block_list, kList, "Double-Click the popup title you would like removed."},
      {w.hint_label, {kMargin, 226, 292, 28}},
      {w.domain_entry, kEntry, "Type a domain name to add to the allow list."},
      {w.add_domain_button, kAdd, kAddTip},
      {w.caption_entry, kEntry, "Type a caption to add to the allow list."},
      {w.add_caption_button, kAdd, kAddTip},
      {w.help_button,
       {kWidth - kMargin - 80, 286, 80, 24},
       "Click here for an example of how the allow / block lists may be of use to you."},
  });
}

}  // namespace

AllowBlockWindow::AllowBlockWindow(const FormServices& services, Dialogs& dialogs,
                                   FileSystem& files, Diagnostics& diagnostics, TextCase& text_case,
                                   std::string program_folder,
                                   std::function<void(AllowList)> open_list_menu)
    : Form(services.views, "AllowBlockWindow", "Pelkrin - Allow / Block", {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      close_mark(*this, "close_mark", {}),
      domain_view_button(*this, "domain_view_button", {}, "Allow (Domain)"),
      caption_view_button(*this, "caption_view_button", {}, "Allow (Caption)"),
      block_view_button(*this, "block_view_button", {}, "Block List"),
      domain_view_marker(*this, "domain_view_marker", {}, kMarkerStyle, kMarkerColor),
      caption_view_marker(*this, "caption_view_marker", {}, kMarkerStyle, kMarkerColor),
      block_view_marker(*this, "block_view_marker", {}, kMarkerStyle, kMarkerColor),
      list_heading_copy(*this, "list_heading_copy", {}),
      list_heading(*this, "list_heading", {}, "Allow popups from these domains:"),
      domain_list(*this, "domain_list", {}),
      caption_list(*this, "caption_list", {}),
      block_list(*this, "block_list", {}),
      hint_label(*this, "hint_label", {}, "Double-Click domain name for options."),
      domain_entry(*this, "domain_entry", {}, kDomainPlaceholder),
      add_domain_button(*this, "add_domain_button", {}, "+"),
      caption_entry(*this, "caption_entry", {}, kCaptionPlaceholder),
      add_caption_button(*this, "add_caption_button", {}, "+"),
      help_button(*this, "help_button", {}, "&Help"),
      windows_(services.windows),
      sounds_(services.sounds),
      dialogs_(dialogs),
      files_(files),
      diagnostics_(diagnostics),
      text_case_(text_case),
      program_folder_(std::move(program_folder)),
      open_list_menu_(std::move(open_list_menu)) {
  back_color = kSkinBack;
  SetUpChrome(*this, title_strip, drag_handle, &close_mark, Caption(), services.drag,
              "Close allow / block list.", [this] { Close(); });
  LayOut(*this);
  AddHeading(list_heading, list_heading_copy);
  hint_label.fore_color = 0x44505E;
  for (RainButton* button : {&domain_view_button, &caption_view_button, &block_view_button,
                             &add_domain_button, &add_caption_button, &help_button})
    StyleButton(*button);
  add_domain_button.font.bold = add_caption_button.font.bold = true;
  SetTabOrder({&domain_view_button, &caption_view_button, &block_view_button, &domain_list,
               &caption_list, &block_list, &domain_entry, &add_domain_button, &caption_entry,
               &add_caption_button, &help_button});

  // At first display the domain view is up.
  for (Control* hidden :
       std::initializer_list<Control*>{&caption_list, &caption_entry, &add_caption_button,
                                       &block_list, &caption_view_marker, &block_view_marker})
    hidden->SetVisible(false);

  domain_view_button.on_click = [this] { SelectView(View::kDomain); };
  caption_view_button.on_click = [this] { SelectView(View::kCaption); };
  block_view_button.on_click = [this] { SelectView(View::kBlock); };
  WireEntry(domain_entry, kDomainPlaceholder, &AllowBlockWindow::AddDomain);
  WireEntry(caption_entry, kCaptionPlaceholder, &AllowBlockWindow::AddCaption);
  add_domain_button.on_click = [this] { AddDomain(); };
  add_caption_button.on_click = [this] { AddCaption(); };
  for (ListBox* list : {&domain_list, &caption_list, &block_list})
    list->dbl_click_opens_menu = true;
  domain_list.on_dbl_click = [this] { ListDoubleClicked(AllowList::kDomain); };
  caption_list.on_dbl_click = [this] { ListDoubleClicked(AllowList::kCaption); };
  block_list.on_dbl_click = [this] { ListDoubleClicked(AllowList::kBlock); };
  help_button.on_click = [this] { ShowHelp(); };
}

void AllowBlockWindow::WireEntry(TextBox& entry, const char* placeholder,
                                 void (AllowBlockWindow::*add)()) {
  entry.on_click = entry.on_change = [&entry, placeholder] {
    if (entry.Text() == placeholder) entry.SetText("");
  };
  entry.on_key_press = [this, add](int& key) {
    if (key != kEnterKey) return;
    key = 0;  // no beep from the box
    (this->*add)();
  };
}

void AllowBlockWindow::OnLoad() { MakeTopmost(windows_, *this); }

void AllowBlockWindow::SelectView(View view) {
  sounds_.PlayClickSound();
  const bool domain = view == View::kDomain;
  const bool caption = view == View::kCaption;
  const bool block = view == View::kBlock;
  domain_view_marker.SetVisible(domain);
  caption_view_marker.SetVisible(caption);
  block_view_marker.SetVisible(block);
  domain_list.SetVisible(domain);
  domain_entry.SetVisible(domain);
  add_domain_button.SetVisible(domain);
  caption_list.SetVisible(caption);
  caption_entry.SetVisible(caption);
  add_caption_button.SetVisible(caption);
  block_list.SetVisible(block);
  switch (view) {
    case View::kDomain:
      list_heading.SetCaption("Allow popups from these domains:");
      hint_label.SetCaption("Double-Click a domain name for options.");
      break;
    case View::kCaption:
      list_heading.SetCaption("Allow popups containing these captions:");
      hint_label.SetCaption("Double-Click a caption for options.");
      break;
    case View::kBlock:
      list_heading.SetCaption("Block List:");
      hint_label.SetCaption(
          "Click the Block button in your Internet Explorer toolbar to add that popup to the "
          "block list.");
      break;
  }
}

void AllowBlockWindow::AddDomain() {
  sounds_.PlayClickSound();
  if (domain_entry.Text().empty() || domain_entry.Text() == kDomainPlaceholder) {
    dialogs_.MessageBox("Type a domain name first!", kListBoxTitle, kExclamationSystemModal);
    return;
  }
  std::optional<std::string> entry = DomainEntry(domain_entry.Text());
  if (!entry) {
    dialogs_.MessageBox("Do not use spaces in domain name.", kListBoxTitle, kStopSystemModal);
    return;
  }
  domain_list.AddItem(std::move(*entry));
  domain_entry.SetText("");
}

std::optional<std::string> AllowBlockWindow::DomainEntry(std::string_view typed) {
  std::string entry = NormaliseListEntry(text_case_, typed);
  if (entry.find(' ') != std::string::npos) return std::nullopt;
  return entry;
}

bool AllowBlockWindow::AllowNow(AllowList list, std::string_view text) {
  std::optional<std::string> entry =
      list == AllowList::kDomain ? DomainEntry(text) : NormaliseListEntry(text_case_, text);
  if (list == AllowList::kBlock || !entry || entry->empty()) return false;
  // A second equal entry would allow nothing more.
  ListBox& box = Lists().Of(list);
  if (std::find(box.Items().begin(), box.Items().end(), *entry) == box.Items().end())
    box.AddItem(std::move(*entry));
  SaveList(list);
  return true;
}

void AllowBlockWindow::AddCaption() {
  sounds_.PlayClickSound();
  if (caption_entry.Text().empty() || caption_entry.Text() == kCaptionPlaceholder) {
    dialogs_.MessageBox("Type a caption first!", kListBoxTitle, kExclamationSystemModal);
    return;
  }
  caption_list.AddItem(NormaliseListEntry(text_case_, caption_entry.Text()));
  caption_entry.SetText("");
}

void AllowBlockWindow::ListDoubleClicked(AllowList list) {
  sounds_.PlayMenuSound();
  // The menu's "&Remove ..." takes the selected entry: with none selected (the menu key on a
  // fresh list, or pressed again after a removal) there is nothing for it to act on.
  const ListBox& box = Lists().Of(list);
  if (!Visible() || box.ListCount() == 0 || box.ListIndex() < 0) return;
  open_list_menu_(list);
}

std::string AllowBlockWindow::HelpText() {
  const char* const paragraphs[] = {
      "Add a word to the caption list and any popup containing that word will be allowed.  For "
      "example, search results that you want to display may be contained in a popup window.  "
      "The popup caption may be:",
      "\"Here are your search results:\"",
      "By adding the word \"results\" to the list, Pelkrin will allow that popup to be displayed "
      "(as the popup caption contains the word \"results\").",
      "Allow all popups from specific websites by adding the domain name.  For example, to allow "
      "all popups from http://www.example.com, add \"example.com\" to the domain list.",
      "If Pelkrin has failed to detect a specific popup, push 'Block' in IE to add that popup to "
      "the Block List and immediately close it.  By doing so you will \"train\" Pelkrin so that "
      "next time, the popup will be detected.",
  };
  std::string text;
  for (const char* paragraph : paragraphs) {
    if (!text.empty()) text += "\r\r";
    text += paragraph;
  }
  return text;
}

void AllowBlockWindow::ShowHelp() {
  sounds_.PlayClickSound();
  dialogs_.MessageBox(HelpText(), kListBoxTitle, kInformationSystemModal);
}

void AllowBlockWindow::SaveLists() {
  for (const auto& row : kListFiles) SaveList(row.list);
}

void AllowBlockWindow::SaveList(AllowList list) {
  const AllowLists lists = Lists();
  // A list that cannot be written is skipped without a word to the user (the save leaves the
  // diagnostic line); the others are still saved.
  for (const auto& [file_name, of] : kListFiles) {
    if (of == list)
      (void)SaveListFile(files_, diagnostics_, PathInFolder(program_folder_, file_name),
                         lists.Of(list), lists.StateOf(list));
  }
}

void AllowBlockWindow::Close() {
  sounds_.PlayClickSound();
  SaveLists();
  Hide();
}

}  // namespace pelkrin

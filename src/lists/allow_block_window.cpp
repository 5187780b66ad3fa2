#include "lists/allow_block_window.h"

#include "ui/chrome.h"
#include "ui/text.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 318;
constexpr int kMargin = 14;
constexpr Rgb kMarkerColor = 0x2F6FB0;

constexpr int kEnterKey = 13;

}  // namespace

AllowBlockWindow::AllowBlockWindow(const FormServices& services, Dialogs& dialogs,
                                   FileSystem& files, Diagnostics& diagnostics, TextCase& text_case,
                                   std::string program_folder,
                                   std::function<void(AllowList)> open_list_menu)
    : Form(services.views, "AllowBlockWindow", "Pelkrin - Allow / Block", {0, 0, kWidth, kHeight}),
      RainButton1(*this, "RainButton1", {}, "", ControlKind::kTitleStrip),
      Label5(*this, "Label5", {}),
      Label6(*this, "Label6", {}),
      RainButton5(*this, "RainButton5", {kMargin, 34, 98, 24}, "Allow (Domain)"),
      RainButton6(*this, "RainButton6", {kMargin + 102, 34, 98, 24}, "Allow (Caption)"),
      RainButton7(*this, "RainButton7", {kMargin + 204, 34, 88, 24}, "Block List"),
      Shape1(*this, "Shape1", {kMargin + 30, 60, 38, 3}, Shape::Style::kRoundedRectangle,
             kMarkerColor),
      Shape2(*this, "Shape2", {kMargin + 132, 60, 38, 3}, Shape::Style::kRoundedRectangle,
             kMarkerColor),
      Shape3(*this, "Shape3", {kMargin + 229, 60, 38, 3}, Shape::Style::kRoundedRectangle,
             kMarkerColor),
      Label8(*this, "Label8", {kMargin - 1, 69, 292, 16}),
      Label4(*this, "Label4", {kMargin, 70, 292, 16}, "Allow popups from these domains:"),
      List1(*this, "List1", {kMargin, 88, 292, 134}),
      List2(*this, "List2", {kMargin, 88, 292, 134}),
      List3(*this, "List3", {kMargin, 88, 292, 134}),
      Label3(*this, "Label3", {kMargin, 226, 292, 28}, "Double-Click domain name for options."),
      Text1(*this, "Text1", {kMargin, 258, 256, 22}, kDomainPlaceholder),
      RainButton3(*this, "RainButton3", {kMargin + 262, 258, 30, 22}, "+"),
      Text2(*this, "Text2", {kMargin, 258, 256, 22}, kCaptionPlaceholder),
      RainButton2(*this, "RainButton2", {kMargin + 262, 258, 30, 22}, "+"),
      RainButton4(*this, "RainButton4", {kWidth - kMargin - 80, 286, 80, 24}, "&Help"),
      windows_(services.windows),
      sounds_(services.sounds),
      dialogs_(dialogs),
      files_(files),
      diagnostics_(diagnostics),
      text_case_(text_case),
      program_folder_(std::move(program_folder)),
      open_list_menu_(std::move(open_list_menu)) {
  back_color = kSkinBack;
  SetUpChrome(*this, RainButton1, Label5, &Label6, Caption(), services.drag,
              "Close allow / block list.", [this] { Close(); });

  List1.tool_tip = "Double-Click the domain name that you would like to remove.";
  List2.tool_tip = "Double-Click a caption for a list of options.";
  List3.tool_tip = "Double-Click the popup title you would like removed.";
  Text1.tool_tip = "Type a domain name to add to the allow list.";
  Text2.tool_tip = "Type a caption to add to the allow list.";
  RainButton3.tool_tip = "Add the caption or domain to the allow list.";
  RainButton2.tool_tip = "Add the caption or domain to the allow list.";
  RainButton5.tool_tip = "Display the list of allowed popups by domain.";
  RainButton6.tool_tip = "Display the list of allowed popups by caption.";
  RainButton7.tool_tip = "Display the list of popups that you have blocked.";
  RainButton4.tool_tip =
      "Click here for an example of how the allow / block lists may be of use to you.";
  for (RainButton* button :
       {&RainButton5, &RainButton6, &RainButton7, &RainButton3, &RainButton2, &RainButton4})
    StyleButton(*button);
  RainButton3.font.bold = RainButton2.font.bold = true;
  Label4.font.bold = Label8.font.bold = true;
  Label4.fore_color = kTextColor;
  Label8.fore_color = kCopyLabelColor;
  Label3.fore_color = 0x44505E;
  Label4.SetCopy(Label8);

  // Tab order: the selectors, the list, the text box and its button, help.
  int tab = 0;
  for (Control* control : std::initializer_list<Control*>{
           &RainButton5, &RainButton6, &RainButton7, &List1, &List2, &List3, &Text1, &RainButton3,
           &Text2, &RainButton2, &RainButton4})
    control->tab_index = ++tab;

  // At first display the domain view is up.
  for (Control* hidden :
       std::initializer_list<Control*>{&List2, &Text2, &RainButton2, &List3, &Shape2, &Shape3})
    hidden->SetVisible(false);

  RainButton5.on_click = [this] { SelectView(View::kDomain); };
  RainButton6.on_click = [this] { SelectView(View::kCaption); };
  RainButton7.on_click = [this] { SelectView(View::kBlock); };

  // A box that still shows its placeholder empties itself when clicked or changed.
  Text1.on_click = Text1.on_change = [this] {
    if (Text1.Text() == kDomainPlaceholder) Text1.SetText("");
  };
  Text2.on_click = Text2.on_change = [this] {
    if (Text2.Text() == kCaptionPlaceholder) Text2.SetText("");
  };
  RainButton3.on_click = [this] { AddDomain(); };
  RainButton2.on_click = [this] { AddCaption(); };
  Text1.on_key_press = [this](int& key) {
    if (key != kEnterKey) return;
    key = 0;  // no beep from the box
    AddDomain();
  };
  Text2.on_key_press = [this](int& key) {
    if (key != kEnterKey) return;
    key = 0;
    AddCaption();
  };

  for (ListBox* list : {&List1, &List2, &List3}) list->dbl_click_opens_menu = true;
  List1.on_dbl_click = [this] { ListDoubleClicked(AllowList::kDomain); };
  List2.on_dbl_click = [this] { ListDoubleClicked(AllowList::kCaption); };
  List3.on_dbl_click = [this] { ListDoubleClicked(AllowList::kBlock); };
  RainButton4.on_click = [this] { ShowHelp(); };
}

void AllowBlockWindow::OnLoad() { MakeTopmost(windows_, *this); }

void AllowBlockWindow::SelectView(View view) {
  sounds_.PlayClickSound();
  const bool domain = view == View::kDomain;
  const bool caption = view == View::kCaption;
  const bool block = view == View::kBlock;
  Shape1.SetVisible(domain);
  Shape2.SetVisible(caption);
  Shape3.SetVisible(block);
  List1.SetVisible(domain);
  Text1.SetVisible(domain);
  RainButton3.SetVisible(domain);
  List2.SetVisible(caption);
  Text2.SetVisible(caption);
  RainButton2.SetVisible(caption);
  List3.SetVisible(block);
  switch (view) {
    case View::kDomain:
      Label4.SetCaption("Allow popups from these domains:");
      Label3.SetCaption("Double-Click a domain name for options.");
      break;
    case View::kCaption:
      Label4.SetCaption("Allow popups containing these captions:");
      Label3.SetCaption("Double-Click a caption for options.");
      break;
    case View::kBlock:
      Label4.SetCaption("Block List:");
      Label3.SetCaption(
          "Click the Block button in your Internet Explorer toolbar to add that popup to the "
          "block list.");
      break;
  }
}

void AllowBlockWindow::AddDomain() {
  sounds_.PlayClickSound();
  if (Text1.Text().empty() || Text1.Text() == kDomainPlaceholder) {
    dialogs_.MessageBox("Type a domain name first!", kListBoxTitle, kExclamationSystemModal);
    return;
  }
  std::string entry = NormaliseListEntry(text_case_, Text1.Text());
  if (entry.find(' ') != std::string::npos) {
    dialogs_.MessageBox("Do not use spaces in domain name.", kListBoxTitle, kStopSystemModal);
    return;
  }
  List1.AddItem(std::move(entry));
  Text1.SetText("");
}

void AllowBlockWindow::AddCaption() {
  sounds_.PlayClickSound();
  if (Text2.Text().empty() || Text2.Text() == kCaptionPlaceholder) {
    dialogs_.MessageBox("Type a caption first!", kListBoxTitle, kExclamationSystemModal);
    return;
  }
  List2.AddItem(NormaliseListEntry(text_case_, Text2.Text()));
  Text2.SetText("");
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
  const AllowLists lists = Lists();
  const struct {
    const char* file_name;
    AllowList list;
  } list_files[] = {{kDomainListFile, AllowList::kDomain},
                    {kCaptionListFile, AllowList::kCaption},
                    {kBlockListFile, AllowList::kBlock}};
  // A list that cannot be written is skipped without a word to the user (the save leaves the
  // diagnostic line); the others are still saved.
  for (const auto& [file_name, list] : list_files)
    (void)SaveListFile(files_, diagnostics_, PathInFolder(program_folder_, file_name),
                       lists.Of(list), lists.StateOf(list));
}

void AllowBlockWindow::Close() {
  sounds_.PlayClickSound();
  SaveLists();
  Hide();
}

}  // namespace pelkrin

// AllowBlockWindow, the Allow/Block window: shows one of the three lists at a time, adds typed
// domains and captions, opens the list pop-up menus, explains the lists, and saves all three files
// when it is closed. It exists, hidden, from start-up on, because its list boxes hold the lists.
#pragma once

#include <functional>
#include <string>

#include "lists/list_model.h"
#include "platform/platform.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kDomainPlaceholder[] = "Type domain name here.";
inline constexpr char kCaptionPlaceholder[] = "Type caption here.";

class AllowBlockWindow : public Form {
 public:
  // `open_list_menu` opens the pop-up menu of a list (the main window keeps the menus); the
  // lists are saved to their files in `program_folder`. Typed entries are lowered with
  // `text_case`, which the lists' queries follow too.
  AllowBlockWindow(const FormServices& services, Dialogs& dialogs, FileSystem& files,
                   Diagnostics& diagnostics, TextCase& text_case, std::string program_folder,
                   std::function<void(AllowList)> open_list_menu);

  // Declaration order is drawing order: the strip first, the labels over it, copies behind.
  RainButton RainButton1;        // title strip
  Label Label5;                  // drag handle
  Label Label6;                  // close mark
  RainButton RainButton5;        // "Allow (Domain)"
  RainButton RainButton6;        // "Allow (Caption)"
  RainButton RainButton7;        // "Block List"
  Shape Shape1, Shape2, Shape3;  // the markers of the three views
  Label Label8;                  // copy of the heading
  Label Label4;                  // heading
  ListBox List1;                 // domain list
  ListBox List2;                 // caption list
  ListBox List3;                 // block list
  Label Label3;                  // hint under the list
  TextBox Text1;                 // new domain
  RainButton RainButton3;        // "+" for Text1
  TextBox Text2;                 // new caption
  RainButton RainButton2;        // "+" for Text2
  RainButton RainButton4;        // "&Help"
  // Stand-ins for the names the controls are getting.
  ListBox& domain_list = List1;
  ListBox& caption_list = List2;
  ListBox& block_list = List3;

  // The three lists in the list boxes, for the rest of the program.
  AllowLists Lists() { return {List1, List2, List3, list_states_, text_case_}; }

  // Each view shows one list.
  using View = AllowList;
  void SelectView(View view);

  void AddDomain();
  void AddCaption();
  void ShowHelp();
  // Writes the three lists to their files next to the program: domains, captions, blocks.
  void SaveLists();
  // The close mark: saves the three lists and hides the window.
  void Close();
  void CloseRequested() override { Close(); }

  // The help message, five paragraphs.
  static std::string HelpText();

 protected:
  void OnLoad() override;

 private:
  void ListDoubleClicked(AllowList list);

  WindowManager& windows_;
  Sounds& sounds_;
  Dialogs& dialogs_;
  FileSystem& files_;
  Diagnostics& diagnostics_;
  TextCase& text_case_;
  ListStates list_states_;
  std::string program_folder_;
  std::function<void(AllowList)> open_list_menu_;
};

}  // namespace pelkrin

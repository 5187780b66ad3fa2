// AllowBlockWindow, the Allow/Block window: shows one of the three lists at a time, adds typed
// domains and captions, opens the list pop-up menus, explains the lists, and saves all three files
// when it is closed. It exists, hidden, from start-up on, because its list boxes hold the lists.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

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
  RainButton title_strip;
  Label drag_handle;
  Label close_mark;
  RainButton domain_view_button;                                     // "Allow (Domain)"
  RainButton caption_view_button;                                    // "Allow (Caption)"
  RainButton block_view_button;                                      // "Block List"
  Shape domain_view_marker, caption_view_marker, block_view_marker;  // under the view's button
  Label list_heading_copy;
  Label list_heading;
  ListBox domain_list;
  ListBox caption_list;
  ListBox block_list;
  Label hint_label;  // under the list
  TextBox domain_entry;
  RainButton add_domain_button;  // "+"
  TextBox caption_entry;
  RainButton add_caption_button;  // "+"
  RainButton help_button;         // "&Help"

  // The three lists in the list boxes, for the rest of the program.
  AllowLists Lists() { return {domain_list, caption_list, block_list, list_states_, text_case_}; }

  // Each view shows one list.
  using View = AllowList;
  void SelectView(View view);

  void AddDomain();
  void AddCaption();
  void ShowHelp();
  // Adds `text` to the domain list or the caption list the way the typed add paths do
  // (normalised; a domain with a blank refused), unless the list holds that entry already, and
  // saves that list at once. False, and nothing added, for a refused or empty entry.
  [[nodiscard]] bool AllowNow(AllowList list, std::string_view text);
  // Writes the three lists to their files next to the program: domains, captions, blocks.
  void SaveLists();
  void SaveList(AllowList list);
  // The close mark: saves the three lists and hides the window.
  void Close();
  void CloseRequested() override { Close(); }

  // The help message, five paragraphs.
  static std::string HelpText();

 protected:
  void OnLoad() override;

 private:
  // A box that still shows its placeholder empties itself when clicked or changed; Enter adds
  // what it holds, as `add` does.
  void WireEntry(TextBox& entry, const char* placeholder, void (AllowBlockWindow::*add)());
  void ListDoubleClicked(AllowList list);
  // A typed domain as the list stores it; nullopt when it holds a blank.
  std::optional<std::string> DomainEntry(std::string_view typed);

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

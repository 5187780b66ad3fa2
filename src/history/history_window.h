// HistoryWindow, the History window: the entries pelked in this run and the two counters. The
// window is the store; only the since-installation counter outlives the run (setting
// "history_count"). Loaded at start-up, afterwards only shown and hidden.
#pragma once

#include <string>
#include <vector>

#include "history/pelk_record.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menu.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kHistoryTitle[] = "Pelkrin History";
inline constexpr char kNoHistoryMessage[] = "There are no history entries to clear!";
inline constexpr char kClearHistoryQuestion[] = "Clear entire contents of history?";
// The most characters of the entry menu's first line; a longer address is cut short there.
inline constexpr std::size_t kMaxWhyLineChars = 100;

// What the entry menu asks of the program around the History window.
class EntryMenuActions {
 public:
  virtual ~EntryMenuActions() = default;
  // True while the entry's popup is still the last hidden popup, the same browser window.
  virtual bool CanRestore(const PelkRecord& pelk) = 0;
  // True when a window with the popup's caption is pelked again: the block list holds it.
  virtual bool IsBlocked(const PelkRecord& pelk) = 0;
  // "&Reopen": the hidden popup shown again, or its address in a new browser window.
  virtual void Reopen(const PelkRecord& pelk) = 0;
  // "Allow this &site" and "Allow this &caption": into their list, which is saved at once.
  virtual void AllowSite(const PelkRecord& pelk) = 0;
  virtual void AllowCaption(const PelkRecord& pelk) = 0;
  // The address of the entry's pelk read now if it is still to be read: the entry's record gets
  // it (SetAddress) before the menu is built.
  virtual void ReadAddressNow(const PelkRecord& pelk) = 0;
};

class HistoryWindow : public Form {
 public:
  HistoryWindow(const FormServices& services, EventLoop& events, Dialogs& dialogs,
                SettingsStore& settings, EntryMenuActions& actions);

  // Declaration order is drawing order: the strip first, copy labels behind the labels they
  // repeat.
  RainButton title_strip;  // "Pelkrin - History" with its "X"
  Label drag_handle;
  Label close_mark;
  Shape frame;
  Label since_installation_label_copy, since_startup_label_copy;
  Label since_startup_count_copy, since_installation_count_copy;
  Label since_installation_label;  // "pelked popups since installation  [date]"
  Label since_startup_label;       // "pelked popups since startup  [date]"
  Label since_startup_count;
  Label since_installation_count;
  ListBox entry_list;
  RainButton clear_button;  // "&Clear History"

  // The menu of an entry: why and from where it was pelked (a line that cannot be chosen), then
  // "&Reopen", "Allow this &site", "Allow this &caption", a separator and "&Remove".
  MenuItem entry_menu{"entry_menu", "entry"};
  MenuItem* why_item = nullptr;
  MenuItem* reopen_item = nullptr;
  MenuItem* allow_site_item = nullptr;
  MenuItem* allow_caption_item = nullptr;
  MenuItem* remove_item = nullptr;

  // One pelk: the entry at the end of the list, with what the pelk recorded beside it, then both
  // counters one up.
  void AddEntry(std::string entry, PelkRecord pelk = {});
  // What the pelk of the entry at `index` recorded; nullptr for none.
  const PelkRecord* Record(int index) const;
  // A new popup is the last hidden one: no entry's popup is it any more.
  void ForgetHiddenPopup();
  // The address of the pelk with this serial, read after its entry was added.
  void SetAddress(std::uint64_t serial, std::optional<std::string> address);
  // The right button, the menu key, Shift+F10 or a double-click on an entry: its menu, with the
  // items that can do nothing for it greyed.
  void OpenEntryMenu();
  // The first line of the entry menu, as the menu shows it.
  static std::string WhyLine(const PelkRecord& pelk, bool pelked_again);
  // A click on an entry: asks, then removes the entry selected by then. Counters stay.
  void RemoveEntry();
  // The clear button: asks, then empties the list and the since-start-up counter.
  void ClearHistory();
  // The close mark: hides the window; everything stays.
  void Close();
  void CloseRequested() override { Close(); }

 protected:
  void OnLoad() override;

 private:
  WindowManager& windows_;
  Sounds& sounds_;
  EventLoop& events_;
  Dialogs& dialogs_;
  SettingsStore& settings_;
  EntryMenuActions& actions_;
  // Beside each entry of the list, at the same place.
  std::vector<PelkRecord> records_;
  // The record of the entry whose menu is open: the items act on this copy.
  PelkRecord menu_pelk_;
};

}  // namespace pelkrin

// HistoryWindow, the History window: the entries pelked in this run and the two counters. The
// window is the store; only the since-installation counter outlives the run (setting
// "history_count"). Loaded at start-up, afterwards only shown and hidden.
#pragma once

#include <string>

#include "platform/platform.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kHistoryTitle[] = "Pelkrin History";
inline constexpr char kNoHistoryMessage[] = "There are no history entries to clear!";
inline constexpr char kClearHistoryQuestion[] = "Clear entire contents of history?";

class HistoryWindow : public Form {
 public:
  HistoryWindow(const FormServices& services, EventLoop& events, Dialogs& dialogs,
                SettingsStore& settings);

  // Declaration order is drawing order: the strip first, copy labels behind the labels they
  // repeat.
  RainButton RainButton1;  // title strip "Pelkrin - History" with its "X"
  Label Label5;            // drag handle
  Label Label6;            // close mark
  Shape Frame1;
  Label Label9, Label8, Label10, Label7;
  Label Label2;  // "pelked popups since installation  [date]"
  Label Label3;  // "pelked popups since startup  [date]"
  Label Label1;  // since-start-up counter
  Label Label4;  // since-installation counter
  ListBox List1;
  // Stand-ins for the names the controls are getting.
  Label& since_startup_count = Label1;
  Label& since_installation_count = Label4;
  ListBox& entry_list = List1;
  RainButton RainButton2;  // "&Clear History"

  // One pelk: the entry at the end of the list, then both counters one up.
  void AddEntry(std::string entry);
  // A click on an entry: asks, then removes the entry selected by then. Counters stay.
  void RemoveEntry();
  // RainButton2: asks, then empties the list and the since-start-up counter.
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
};

}  // namespace pelkrin

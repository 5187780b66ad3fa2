#include "settings/block_button.h"

#include <utility>

#include "settings/registry_routines.h"
#include "ui/form.h"
#include "ui/text.h"

namespace pelkrin {

BlockButton::BlockButton(Registry& registry, SettingsStore& settings, Dialogs& dialogs,
                         Diagnostics& diagnostics, std::string program_folder)
    : registry_(registry),
      settings_(settings),
      dialogs_(dialogs),
      diagnostics_(diagnostics),
      program_folder_(std::move(program_folder)) {}

bool BlockButton::Installed() {
  RegKey key = 0;
  if (registry_.OpenKey(kHkeyLocalMachine, kBlockButtonKey, kKeyRead, &key) != kErrorSuccess)
    return false;
  CloseOpenedKey(registry_, key);
  return true;
}

void BlockButton::Install(Report report) {
  const std::string state = settings_.ReadSetting(kIconCreatedKey);
  if (state == "1" || state == "0") return;
  const struct {
    const char* name;
    std::string data;
  } values[] = {
      {"ButtonText", "Block"},
      // The browser's class of a toolbar button that runs a program.
      {"CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
      {"Default Visible", "Yes"},
      {"Exec", PathInFolder(program_folder_, "block.exe")},
      {"HotIcon", PathInFolder(program_folder_, "trash.ico")},
      {"Icon", PathInFolder(program_folder_, "chopper.ico")},
      {"MenuStatusBar", "Block"},
      {"MenuText", "&Block Popup"},
  };
  for (const auto& value : values) {
    if (RegWriteString(registry_, kHkeyLocalMachine, kBlockButtonKey, value.name, value.data))
      continue;
    // Most often a user without rights to the machine-wide hive: the button is not there, so
    // the setting must not say it is.
    diagnostics_.Trace(std::string("could not write the Block button's value ") + value.name);
    if (report == Report::kToTheUser)
      dialogs_.MessageBox(kBlockButtonInstallError, kAppTitle, kStopSystemModal);
    return;
  }
  settings_.WriteSettingOrTrace(kIconCreatedKey, "1");
}

void BlockButton::Remove(Report report) {
  // Whether the key went is asked of the registry itself: a key already gone fails the
  // deletion and is just what was asked for.
  (void)RegDeleteEntry(registry_, kHkeyLocalMachine, kBlockButtonKey, "");
  if (Installed()) {
    diagnostics_.Trace("could not delete the Block button's key");
    if (report == Report::kToTheUser)
      dialogs_.MessageBox(kBlockButtonRemoveError, kAppTitle, kStopSystemModal);
    return;
  }
  settings_.WriteSettingOrTrace(kIconCreatedKey, "0");
}

}  // namespace pelkrin

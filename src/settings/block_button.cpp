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
  for (const RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
    RegKey key = 0;
    if (registry_.OpenKey(root, kBlockButtonKey, kKeyRead, &key) != kErrorSuccess) continue;
    CloseOpenedKey(registry_, key);
    return true;
  }
  return false;
}

bool BlockButton::WriteValues(RegKey root) {
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
    if (RegWriteString(registry_, root, kBlockButtonKey, value.name, value.data)) continue;
    diagnostics_.Trace(std::string("could not write the Block button's value ") + value.name +
                       (root == kHkeyLocalMachine ? " for every user" : " for this user"));
    return false;
  }
  return true;
}

void BlockButton::Install(Report report) {
  const std::string state = settings_.ReadSetting(kIconCreatedKey);
  if (state == "1" || state == "0") return;
  if (WriteValues(kHkeyLocalMachine)) {
    // One copy only: the browser would show a second button, and a per-user key left from an
    // earlier run may name an old folder. There is most often none to delete, so a failure here
    // says nothing.
    static_cast<void>(RegDeleteEntry(registry_, kHkeyCurrentUser, kBlockButtonKey, ""));
  } else if (!WriteValues(kHkeyCurrentUser)) {
    // The button is in neither place, so the setting must not say it is.
    if (report == Report::kToTheUser)
      dialogs_.MessageBox(kBlockButtonInstallError, kAppTitle, kStopSystemModal);
    return;
  }
  settings_.WriteSettingOrTrace(kIconCreatedKey, "1");
}

void BlockButton::Remove(Report report) {
  // Whether each copy went is asked of the registry itself (Installed() below): a key already
  // gone fails its deletion and is just what was asked for.
  for (const RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser})
    static_cast<void>(RegDeleteEntry(registry_, root, kBlockButtonKey, ""));
  if (Installed()) {
    diagnostics_.Trace("could not delete the Block button's key");
    if (report == Report::kToTheUser)
      dialogs_.MessageBox(kBlockButtonRemoveError, kAppTitle, kStopSystemModal);
    return;
  }
  settings_.WriteSettingOrTrace(kIconCreatedKey, "0");
}

}  // namespace pelkrin

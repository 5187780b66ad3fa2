// What the detector leaves of each pelk for the History window's entry menu: the rule in the
// program's words and the popup's address, read once the hide is on its way so that the hide
// never waits for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "detector/popup_rules.h"
#include "history/pelk_record.h"
#include "platform/platform.h"

namespace pelkrin {

// Why a popup was pelked, as the entry menu's first line says it: "No toolbars" and the like.
std::string_view PelkReason(PopupRule rule);

// The address as a record keeps it: none for what a read gives when it finds no address bar or
// gets no answer in time (blanks only).
std::optional<std::string> RecordedAddress(std::string read);

// The record of the pelk of `window`, which the caller has just asked to hide. The address is the
// one the domain exemption read for this verdict; otherwise it is read now, with the same time
// limit, unless the window is an HTML dialog, which has no address bar, or `read_address` is
// false (the caller reads it later: see AddressToRead).
PelkRecord RecordPelk(WindowManager& windows, Hwnd window, const Verdict& verdict,
                      bool read_address = true);
// Whether a record made without reading the address still needs it read.
bool AddressToRead(const PelkRecord& record, const Verdict& verdict);

}  // namespace pelkrin

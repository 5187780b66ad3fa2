// Window handles kept as text: the main window's invisible fields hold the last hidden popup and
// Flash control as decimal text, "" for none. These two routines are the only conversions.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pelkrin {

std::string HandleToText(Hwnd window);
// The handle in the text's leading number; 0 for "", words, or numbers that are no 32-bit handle.
Hwnd HandleFromText(std::string_view text);

}  // namespace pelkrin

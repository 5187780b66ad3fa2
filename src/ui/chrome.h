// The skinned window's chrome, shared by every window: the title strip across the top with the
// title near the middle and an "X" near the right end, the transparent drag handle over it, and
// the close mark over the "X".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ui/controls.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr int kTitleStripHeight = 24;
inline constexpr int kCloseMarkWidth = 24;

// Skin colours shared by the windows.
inline constexpr Rgb kSkinBack = 0xDDE6EF;
inline constexpr Rgb kStripTop = 0x4A7DB5;
inline constexpr Rgb kStripBottom = 0x1E4A7A;
inline constexpr Rgb kButtonTop = 0xFAFCFE;
inline constexpr Rgb kButtonBottom = 0xC9D7E6;
inline constexpr Rgb kTextColor = 0x1B2633;
inline constexpr Rgb kCopyLabelColor = 0xFFFFFF;

// The strip's caption: blanks that bring the title near the middle of a strip `width` pixels
// wide and, for a window that closes there, an "X" near the right end.
std::string TitleStripCaption(std::string_view title, int width, bool with_close_mark);

// Places and wires the chrome of `form`: the strip over the full width, the drag handle over it
// (dragging with the shared drag state), and the close mark over the "X", which runs `on_close`.
void SetUpChrome(Form& form, RainButton& strip, Label& drag_handle, Label* close_mark,
                 std::string_view title, DragState& drag, std::string close_tip,
                 std::function<void()> on_close);

// Styles a push button the way every window shows it.
void StyleButton(RainButton& button);

}  // namespace pelkrin

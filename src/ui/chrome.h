// The skinned window's chrome, shared by every window: the title strip across the top with the
// title near the middle and an "X" near the right end, the transparent drag handle over it, and
// the close mark over the "X"; the skin's colours, the embossed headings, and the placing of
// controls from a window's layout table.
#pragma once

#include <functional>
#include <initializer_list>
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
inline constexpr Rgb kFrameColor = 0xEEF3F8;  // the rounded frames that group controls
inline constexpr Rgb kLineColor = 0x9AAFC4;   // the lines that divide a window's sections

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

// Makes `copy` the embossed copy of `label`: it lies one pixel up and left of the label (so the
// label must be placed first), behind it, in `copy_color`, with the label's font and alignment,
// and repeats every caption of the label. The label itself takes the text colour.
void AddCopy(Label& label, Label& copy, Rgb copy_color);
// A heading: bold, with its white embossed copy.
void AddHeading(Label& heading, Label& copy);

// One row of a window's layout table: where the control lies and the tip it shows.
struct Placement {
  Control& control;
  Bounds bounds;
  std::string_view tip = {};
};
void Place(std::initializer_list<Placement> layout);

// Gives the controls that take the focus their keyboard order, first to last.
void SetTabOrder(std::initializer_list<Control*> order);

}  // namespace pelkrin

#include "ui/chrome.h"

#include <algorithm>

#include "resources/resource.h"
#include "ui/form.h"

namespace pelkrin {
namespace {

// Rough widths of the strip's bold caption font, enough to place text by blanks.
constexpr int kBlankWidth = 3;
constexpr int kCharWidth = 6;

}  // namespace

std::string TitleStripCaption(std::string_view title, int width, bool with_close_mark) {
  const int title_width = static_cast<int>(title.size()) * kCharWidth;
  const int lead = std::max(1, (width - title_width) / 2 / kBlankWidth);
  std::string caption(static_cast<std::size_t>(lead), ' ');
  caption += title;
  if (with_close_mark) {
    const int used = lead * kBlankWidth + title_width;
    const int gap = std::max(1, (width - used - kCloseMarkWidth / 2 - kCharWidth) / kBlankWidth);
    caption.append(static_cast<std::size_t>(gap), ' ');
    caption += 'X';
  }
  return caption;
}

void SetUpChrome(Form& form, RainButton& strip, Label& drag_handle, Label* close_mark,
                 std::string_view title, DragState& drag, std::string close_tip,
                 std::function<void()> on_close) {
  const int width = form.bounds.width;
  strip.bounds = {0, 0, width, kTitleStripHeight};
  strip.SetCaption(TitleStripCaption(title, width, close_mark != nullptr));
  strip.fore_color = 0xFFFFFF;
  strip.back_color = kStripTop;
  strip.back_end_color = kStripBottom;
  strip.font.bold = true;

  const int handle_width = close_mark ? width - kCloseMarkWidth : width;
  drag_handle.bounds = {0, 0, handle_width, kTitleStripHeight};
  drag_handle.on_mouse_down = [&drag](int, int, int, int) { drag.MouseDown(); };
  drag_handle.on_mouse_move = [&drag, &form](int button, int, int x, int y) {
    DragFormMouseMove(drag, form, button, x, y);
  };

  if (close_mark) {
    close_mark->bounds = {width - kCloseMarkWidth, 0, kCloseMarkWidth, kTitleStripHeight};
    close_mark->tool_tip = std::move(close_tip);
    close_mark->cursor = IDC_CLOSE_MARK;
    close_mark->on_click = std::move(on_close);
  }
}

void StyleButton(RainButton& button) {
  button.fore_color = kTextColor;
  button.back_color = kButtonTop;
  button.back_end_color = kButtonBottom;
  button.cursor = IDC_BUTTON_HAND;
}

void AddCopy(Label& label, Label& copy, Rgb copy_color) {
  const Bounds& at = label.bounds;
  copy.bounds = {at.left - 1, at.top - 1, at.width, at.height};
  copy.font = label.font;
  copy.alignment = label.alignment;
  copy.fore_color = copy_color;
  label.fore_color = kTextColor;
  label.SetCopy(copy);
}

void AddHeading(Label& heading, Label& copy) {
  heading.font.bold = true;
  AddCopy(heading, copy, kCopyLabelColor);
}

void Place(std::initializer_list<Placement> layout) {
  for (const Placement& row : layout) {
    row.control.bounds = row.bounds;
    row.control.tool_tip = row.tip;
  }
}

void SetTabOrder(std::initializer_list<Control*> order) {
  int tab = 0;
  for (Control* control : order) control->tab_index = ++tab;
}

}  // namespace pelkrin

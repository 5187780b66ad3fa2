// The layout the Options and Advanced options windows share: headings with their copy labels,
// boxes with their labels and dividing lines, in one column inside a window of a given width.
#pragma once

#include <cstddef>

#include "ui/chrome.h"
#include "ui/controls.h"
#include "ui/services.h"

namespace pelkrin {

class OptionsLayout {
 public:
  static constexpr int kLeft = 16;
  static constexpr int kBoxLeft = 24;  // boxes, and anything that lines up with them

  explicit constexpr OptionsLayout(int width) : width_(width) {}

  Bounds Box(int top) const { return {kBoxLeft, top, 14, 14}; }
  // A box's label lies one pixel higher than its box.
  Bounds Label(int box_top) const {
    return {kLabelLeft, box_top - 1, width_ - kLabelLeft - 12, 16};
  }
  Bounds Heading(int top) const { return {kLeft, top, width_ - 2 * kLeft, 16}; }
  Bounds Line(int top) const { return {kLeft, top, width_ - 2 * kLeft, 1}; }

 private:
  static constexpr int kLabelLeft = 44;
  int width_;
};

// A check box with its label beside it, in a window's table of them.
template <typename Window>
struct LabelledBox {
  CheckBox Window::*box;
  Label Window::*label;
  int top;          // of the box
  const char* tip;  // the box and its label share it
};

// Places each box and its label; a click on the label toggles the box after a click sound of
// its own (the box's change then plays its own).
template <typename Window, std::size_t N>
void LayOutLabelledBoxes(Window& window, const OptionsLayout& layout, Sounds& sounds,
                         const LabelledBox<Window> (&rows)[N]) {
  for (const LabelledBox<Window>& row : rows) {
    CheckBox& box = window.*row.box;
    Label& label = window.*row.label;
    Place({{box, layout.Box(row.top), row.tip}, {label, layout.Label(row.top), row.tip}});
    label.fore_color = kTextColor;
    label.on_click = [&sounds, &box] {
      sounds.PlayClickSound();
      box.SetValue(box.Value() == 1 ? 0 : 1);
    };
  }
}

// Places a heading with its copy label at `top`.
inline void PlaceHeading(const OptionsLayout& layout, Label& heading, Label& copy, int top) {
  heading.bounds = layout.Heading(top);
  AddHeading(heading, copy);
}

}  // namespace pelkrin

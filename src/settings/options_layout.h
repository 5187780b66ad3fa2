// The layout the Options and Advanced options windows share: headings with their copy labels,
// boxes with their labels and dividing lines, in one column inside a window of a given width.
#pragma once

#include "ui/controls.h"

namespace pelkrin {

class OptionsLayout {
 public:
  static constexpr int kLeft = 16;
  static constexpr int kBoxLeft = 24;  // boxes, and anything that lines up with them

  explicit constexpr OptionsLayout(int width) : width_(width) {}

  Bounds Box(int top) const { return {kBoxLeft, top, 14, 14}; }
  Bounds Label(int top) const { return {kLabelLeft, top, width_ - kLabelLeft - 12, 16}; }
  Bounds Heading(int top) const { return {kLeft, top, width_ - 2 * kLeft, 16}; }
  // The copy label that lies one pixel up and left of its heading.
  Bounds Copy(int top) const { return {kLeft - 1, top - 1, width_ - 2 * kLeft, 16}; }
  Bounds Line(int top) const { return {kLeft, top, width_ - 2 * kLeft, 1}; }

 private:
  static constexpr int kLabelLeft = 44;
  int width_;
};

}  // namespace pelkrin

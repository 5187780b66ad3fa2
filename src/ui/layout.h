// Where the controls of a skinned window sit: a rounded frame below the title strip, and rows
// across it that keep the same margin on both sides.
#pragma once

#include "ui/controls.h"

namespace pelkrin {

class ColumnLayout {
 public:
  // A window `width` pixels wide whose rows stand `margin` pixels in from either side.
  constexpr ColumnLayout(int width, int margin) : width_(width), margin_(margin) {}

  constexpr int Left() const { return margin_; }
  constexpr int Inner() const { return width_ - 2 * margin_; }
  // The frame around the rows, `height` pixels high.
  constexpr Bounds Frame(int height) const { return {12, 34, width_ - 24, height}; }
  // A row `top` pixels down the window.
  constexpr Bounds Row(int top, int height = 16) const { return {margin_, top, Inner(), height}; }

 private:
  int width_;
  int margin_;
};

}  // namespace pelkrin

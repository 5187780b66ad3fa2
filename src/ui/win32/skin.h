// The skinned look of Pelkrin's windows: the generated background picture with its bevel frame,
// the title strip, transparent (and embossed) label text, the fonts, and the small GDI helpers
// the views paint with (flicker-free paint buffers, 32-bit pixel surfaces, colour mixing).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/win32/scoped_handle.h"
#include "ui/win32/rain_button.h"

namespace pelkrin::win32 {

struct FontTraits {
  using Handle = HFONT;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};
using ScopedFont = ScopedHandle<FontTraits>;
using ScopedMemoryDc = ScopedHandle<MemoryDcTraits>;

// ---- Colours ----

// from + (to - from) * amount per channel; amount is clamped to [0, 1].
COLORREF MixColours(COLORREF from, COLORREF to, double amount);
COLORREF Lighten(COLORREF colour, double amount);  // towards white
COLORREF Darken(COLORREF colour, double amount);   // towards black
COLORREF Greyed(COLORREF colour);                  // the same luminance without hue

// ---- Fonts ----

// A font of the given point size for the screen; the face falls back to the system's choice when
// it is not installed. Returns an empty handle on failure.
ScopedFont CreateUiFont(int point_size, bool bold, const char* face = "Tahoma");
// The stock GUI font (never destroyed); what a null font in a look means.
HFONT DefaultUiFont();

// ---- Window skin ----

// The window's background picture, generated from one base colour: a soft vertical gradient
// with a faint diagonal grain and a raised 2-px bevel frame (the windows have no system border).
// Deterministic; the picture is cached per size and colour, so repaints cost one BitBlt.
void PaintSkinBackground(HDC dc, const RECT& rect, COLORREF base);

// The title strip: the button face in its normal state with the caption drawn verbatim on one
// line, left-aligned after a small margin (the caller positions it with leading blanks), no
// access-key processing and no ellipsis.
void PaintTitleStrip(HDC dc, const RECT& rect, const std::string& caption,
                     const RainButtonLook& look);

// Where PaintTitleStrip draws a trailing "X" of caption (blanks after it ignored): its box,
// widened by a few pixels and as tall as the strip, for the click that closes the window. Empty
// when the caption does not end with an "X".
std::optional<RECT> TitleStripCloseBox(HDC dc, const RECT& rect, const std::string& caption,
                                       const RainButtonLook& look);

// Label text on a transparent background. align is DT_LEFT, DT_CENTER or DT_RIGHT; the text is
// drawn verbatim ("&" is not an access-key marker), explicit line breaks always break, and
// word_wrap also breaks long lines at the right edge. A null font means DefaultUiFont().
void DrawLabelText(HDC dc, const RECT& rect, const std::string& text, HFONT font, COLORREF colour,
                   UINT align, bool word_wrap);

// The embossed look: a light copy of the text 1 px up and left, then the text itself.
void DrawEmbossedLabelText(HDC dc, const RECT& rect, const std::string& text, HFONT font,
                           COLORREF colour, COLORREF highlight, UINT align, bool word_wrap);

// The size DrawLabelText needs for text within width (word_wrap) or unbounded (no wrapping).
SIZE MeasureLabelText(HDC dc, const std::string& text, HFONT font, int width, bool word_wrap);

// A sunken 1-px frame just outside a list box or text box created without a border of its own
// (control_rect in the parent's client coordinates), in tones of the window's base colour.
void PaintFieldFrame(HDC dc, const RECT& control_rect, COLORREF base);

// A brush that paints the background picture of a window whose client area is client, for
// standard controls drawn over the skin (check boxes: return it from WM_CTLCOLORSTATIC after
// SetBkMode(TRANSPARENT) and AlignSkinBrush). Owns its own copy of the picture.
class SkinBrush {
 public:
  SkinBrush() = default;
  SkinBrush(const RECT& client, COLORREF base);
  SkinBrush(SkinBrush&&) noexcept = default;
  SkinBrush& operator=(SkinBrush&& other) noexcept {
    brush_ = std::move(other.brush_);  // the old brush goes before the old picture
    picture_ = std::move(other.picture_);
    return *this;
  }
  HBRUSH Get() const { return static_cast<HBRUSH>(brush_.Get()); }
  explicit operator bool() const { return static_cast<bool>(brush_); }

 private:
  ScopedGdiObject picture_;  // declared first: the brush is released before its picture
  ScopedGdiObject brush_;
};
// Sets dc's brush origin so a SkinBrush lines up with the parent's picture behind child.
void AlignSkinBrush(HDC dc, HWND child);

// Paints the part of child's parent that lies behind child into dc (whose origin is child's
// client origin), for controls that draw with transparent or rounded parts. The parent is
// asked through WM_ERASEBKGND and WM_PRINTCLIENT, so a skinned parent should paint its
// background (and labels) for WM_PRINTCLIENT as it does for WM_PAINT.
void PaintParentBackground(HWND child, HDC dc);

// ---- Painting helpers ----

// A 32-bit top-down pixel surface (pixels are 0x00RRGGBB) with a memory DC selected on it.
class PixelSurface {
 public:
  PixelSurface(int width, int height);
  PixelSurface(PixelSurface&& other) noexcept;
  PixelSurface& operator=(PixelSurface&& other) noexcept;
  PixelSurface(const PixelSurface&) = delete;
  PixelSurface& operator=(const PixelSurface&) = delete;
  ~PixelSurface();

  explicit operator bool() const { return pixels_ != nullptr; }
  HDC dc() const { return dc_.Get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Row-major, width() pixels per row. Call GdiFlush() after GDI drawing before reading.
  std::uint32_t* pixels() const { return pixels_; }
  std::uint32_t& at(int x, int y) const { return pixels_[y * width_ + x]; }
  // Hands the bitmap over to the caller (who deletes it) and leaves the surface empty.
  HBITMAP DetachBitmap();

 private:
  void Free();

  int width_;
  int height_;
  ScopedMemoryDc dc_;
  ScopedGdiObject bitmap_;
  HGDIOBJ previous_bitmap_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
};

// Flicker-free painting: drawing goes to an off-screen bitmap that covers rect (in the target's
// coordinates, which the buffer keeps), copied to the target when the buffer goes out of scope.
// If no bitmap can be made, dc() is the target itself.
class PaintBuffer {
 public:
  PaintBuffer(HDC target, const RECT& rect);
  PaintBuffer(const PaintBuffer&) = delete;
  PaintBuffer& operator=(const PaintBuffer&) = delete;
  ~PaintBuffer();

  HDC dc() const { return buffer_ ? buffer_.dc() : target_; }

 private:
  HDC target_;
  RECT rect_;
  PixelSurface buffer_;
};

}  // namespace pelkrin::win32

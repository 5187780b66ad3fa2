#include "ui/win32/skin.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace pelkrin::win32 {
namespace {

int Channel(double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0))); }

// Pixels of a 32-bit DIB are 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
std::uint32_t ToPixel(COLORREF colour) {
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// A small integer hash, so the grain of the background is the same on every paint.
std::uint32_t Hash(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

PixelSurface RenderBackground(int width, int height, COLORREF base) {
  PixelSurface surface(width, height);
  if (!surface) return surface;
  const COLORREF top = Lighten(base, 0.30);
  const COLORREF bottom = Darken(base, 0.04);
  const COLORREF outer = Darken(base, 0.50);
  const COLORREF light = Lighten(base, 0.75);
  const COLORREF shade = Darken(base, 0.22);
  for (int y = 0; y < height; ++y) {
    const double t = height > 1 ? static_cast<double>(y) / (height - 1) : 0.0;
    const COLORREF row = MixColours(top, bottom, t);
    const double r = GetRValue(row), g = GetGValue(row), b = GetBValue(row);
    for (int x = 0; x < width; ++x) {
      // A faint diagonal grain every 5 px, plus +-1.5 levels of noise to break up banding.
      double lift = ((x + y) % 5 == 0) ? 3.5 : 0.0;
      lift += (static_cast<double>(Hash(x, y) & 0xFF) / 255.0 - 0.5) * 3.0;
      surface.at(x, y) = ToPixel(RGB(Channel(r + lift), Channel(g + lift), Channel(b + lift)));
    }
  }
  // The frame: a dark outer line, then a raised bevel (light top/left, shaded bottom/right).
  auto set = [&](int x, int y, COLORREF c) {
    if (x >= 0 && y >= 0 && x < width && y < height) surface.at(x, y) = ToPixel(c);
  };
  for (int x = 0; x < width; ++x) {
    set(x, 0, outer);
    set(x, height - 1, outer);
  }
  for (int y = 0; y < height; ++y) {
    set(0, y, outer);
    set(width - 1, y, outer);
  }
  for (int x = 1; x < width - 1; ++x) {
    set(x, 1, light);
    set(x, height - 2, shade);
  }
  for (int y = 1; y < height - 1; ++y) {
    set(1, y, light);
    set(width - 2, y, shade);
  }
  return surface;
}

struct CachedBackground {
  int width;
  int height;
  COLORREF base;
  PixelSurface surface;
};

// The few backgrounds in use (one per window size and colour), most recently used last. Only
// the UI thread paints, so the cache needs no lock.
std::vector<CachedBackground>& BackgroundCache() {
  static std::vector<CachedBackground> cache;
  return cache;
}
constexpr std::size_t kBackgroundCacheSize = 6;

constexpr int kTitleMargin = 6;  // left of the title strip's caption

const PixelSurface* CachedBackgroundFor(int width, int height, COLORREF base) {
  auto& cache = BackgroundCache();
  for (auto it = cache.begin(); it != cache.end(); ++it) {
    if (it->width == width && it->height == height && it->base == base) {
      std::rotate(it, it + 1, cache.end());
      return &cache.back().surface;
    }
  }
  PixelSurface surface = RenderBackground(width, height, base);
  if (!surface) return nullptr;
  if (cache.size() >= kBackgroundCacheSize) cache.erase(cache.begin());
  cache.push_back({width, height, base, std::move(surface)});
  return &cache.back().surface;
}

}  // namespace

COLORREF MixColours(COLORREF from, COLORREF to, double amount) {
  const double t = std::clamp(amount, 0.0, 1.0);
  auto mix = [t](int a, int b) { return Channel(a + (b - a) * t); };
  return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
             mix(GetBValue(from), GetBValue(to)));
}

COLORREF Lighten(COLORREF colour, double amount) {
  return MixColours(colour, RGB(255, 255, 255), amount);
}

COLORREF Darken(COLORREF colour, double amount) { return MixColours(colour, RGB(0, 0, 0), amount); }

COLORREF Greyed(COLORREF colour) {
  const int luminance =
      Channel(0.299 * GetRValue(colour) + 0.587 * GetGValue(colour) + 0.114 * GetBValue(colour));
  return RGB(luminance, luminance, luminance);
}

ScopedFont CreateUiFont(int point_size, bool bold, const char* face) {
  int pixels_per_inch = 96;
  if (HDC screen = ::GetDC(nullptr)) {
    pixels_per_inch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
  }
  LOGFONTA font{};
  font.lfHeight = -::MulDiv(point_size, pixels_per_inch, 72);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  if (face != nullptr) lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
  return ScopedFont(::CreateFontIndirectA(&font));
}

HFONT DefaultUiFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

void PaintSkinBackground(HDC dc, const RECT& rect, COLORREF base) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  if (const PixelSurface* picture = CachedBackgroundFor(width, height, base)) {
    ::BitBlt(dc, rect.left, rect.top, width, height, picture->dc(), 0, 0, SRCCOPY);
    return;
  }
  // Out of GDI resources: a plain fill still leaves the window usable.
  ::SetBkColor(dc, base);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void PaintTitleStrip(HDC dc, const RECT& rect, const std::string& caption,
                     const RainButtonLook& look) {
  PaintRainButtonFace(dc, rect, look, RainButtonState::kNormal);
  RECT text = rect;
  text.left += kTitleMargin;
  text.right -= 2;
  ScopedSelect font(dc, look.font != nullptr ? look.font : DefaultUiFont());
  const int old_mode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = ::SetTextColor(dc, look.fore);
  ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::SetTextColor(dc, old_colour);
  ::SetBkMode(dc, old_mode);
}

std::optional<RECT> TitleStripCloseBox(HDC dc, const RECT& rect, const std::string& caption,
                                       const RainButtonLook& look) {
  const std::size_t end = caption.find_last_not_of(' ');
  if (end == std::string::npos || (caption[end] != 'X' && caption[end] != 'x')) {
    return std::nullopt;
  }
  ScopedSelect font(dc, look.font != nullptr ? look.font : DefaultUiFont());
  SIZE before{0, 0};
  SIZE through{0, 0};
  if (!::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(end), &before) ||
      !::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(end + 1), &through)) {
    return std::nullopt;
  }
  constexpr int kSlack = 5;  // the letter alone is a small target
  const int left = rect.left + kTitleMargin;
  return RECT{left + before.cx - kSlack, rect.top, left + through.cx + kSlack, rect.bottom};
}

void DrawLabelText(HDC dc, const RECT& rect, const std::string& text, HFONT font, COLORREF colour,
                   UINT align, bool word_wrap) {
  RECT box = rect;
  ScopedSelect selected(dc, font != nullptr ? font : DefaultUiFont());
  const int old_mode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = ::SetTextColor(dc, colour);
  const UINT flags = (align & (DT_LEFT | DT_CENTER | DT_RIGHT)) | DT_NOPREFIX | DT_EXPANDTABS |
                     (word_wrap ? DT_WORDBREAK : 0);
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
  ::SetTextColor(dc, old_colour);
  ::SetBkMode(dc, old_mode);
}

void DrawEmbossedLabelText(HDC dc, const RECT& rect, const std::string& text, HFONT font,
                           COLORREF colour, COLORREF highlight, UINT align, bool word_wrap) {
  RECT copy = rect;
  ::OffsetRect(&copy, -1, -1);
  DrawLabelText(dc, copy, text, font, highlight, align, word_wrap);
  DrawLabelText(dc, rect, text, font, colour, align, word_wrap);
}

SIZE MeasureLabelText(HDC dc, const std::string& text, HFONT font, int width, bool word_wrap) {
  RECT box{0, 0, word_wrap ? width : 0, 0};
  ScopedSelect selected(dc, font != nullptr ? font : DefaultUiFont());
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (word_wrap ? DT_WORDBREAK : 0));
  return SIZE{box.right - box.left, box.bottom - box.top};
}

void PaintFieldFrame(HDC dc, const RECT& control_rect, COLORREF base) {
  const RECT& r = control_rect;
  auto line = [dc](int left, int top, int right, int bottom, COLORREF colour) {
    const RECT part{left, top, right, bottom};
    ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &part, nullptr, 0, nullptr);
  };
  const COLORREF dark = Darken(base, 0.45);
  const COLORREF light = Lighten(base, 0.70);
  const COLORREF old_back = ::GetBkColor(dc);
  line(r.left - 1, r.top - 1, r.right + 1, r.top, dark);     // top
  line(r.left - 1, r.top, r.left, r.bottom + 1, dark);       // left
  line(r.left, r.bottom, r.right + 1, r.bottom + 1, light);  // bottom
  line(r.right, r.top, r.right + 1, r.bottom, light);        // right
  ::SetBkColor(dc, old_back);
}

SkinBrush::SkinBrush(const RECT& client, COLORREF base) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const PixelSurface* picture = CachedBackgroundFor(width, height, base);
  if (picture != nullptr) {
    // A private copy: the cached picture may be evicted while the brush is still in use.
    PixelSurface copy(width, height);
    if (copy) {
      std::copy_n(picture->pixels(), static_cast<std::size_t>(width) * height, copy.pixels());
      picture_.Reset(copy.DetachBitmap());
      brush_.Reset(::CreatePatternBrush(static_cast<HBITMAP>(picture_.Get())));
    }
  }
  if (!brush_) brush_.Reset(::CreateSolidBrush(base));
}

void AlignSkinBrush(HDC dc, HWND child) {
  POINT origin{0, 0};
  ::MapWindowPoints(child, ::GetParent(child), &origin, 1);
  ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
}

void PaintParentBackground(HWND child, HDC dc) {
  HWND parent = ::GetParent(child);
  if (parent == nullptr) {
    RECT client;
    ::GetClientRect(child, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  POINT offset{0, 0};
  ::MapWindowPoints(child, parent, &offset, 1);
  POINT previous;
  ::OffsetWindowOrgEx(dc, offset.x, offset.y, &previous);
  const int saved = ::SaveDC(dc);
  ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ::RestoreDC(dc, saved);
  const int saved_again = ::SaveDC(dc);
  ::SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ::RestoreDC(dc, saved_again);
  ::SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
}

PixelSurface::PixelSurface(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedGdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ScopedMemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || bits == nullptr) return;
  previous_bitmap_ = ::SelectObject(dc.Get(), bitmap.Get());
  dc_ = std::move(dc);
  bitmap_ = std::move(bitmap);
  pixels_ = static_cast<std::uint32_t*>(bits);
}

PixelSurface::PixelSurface(PixelSurface&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      dc_(std::move(other.dc_)),
      bitmap_(std::move(other.bitmap_)),
      previous_bitmap_(std::exchange(other.previous_bitmap_, nullptr)),
      pixels_(std::exchange(other.pixels_, nullptr)) {}

PixelSurface& PixelSurface::operator=(PixelSurface&& other) noexcept {
  if (this != &other) {
    Free();
    width_ = other.width_;
    height_ = other.height_;
    dc_ = std::move(other.dc_);
    bitmap_ = std::move(other.bitmap_);
    previous_bitmap_ = std::exchange(other.previous_bitmap_, nullptr);
    pixels_ = std::exchange(other.pixels_, nullptr);
  }
  return *this;
}

PixelSurface::~PixelSurface() { Free(); }

HBITMAP PixelSurface::DetachBitmap() {
  if (dc_ && previous_bitmap_ != nullptr) ::SelectObject(dc_.Get(), previous_bitmap_);
  previous_bitmap_ = nullptr;
  pixels_ = nullptr;
  dc_.Reset();
  return static_cast<HBITMAP>(bitmap_.Release());
}

void PixelSurface::Free() {
  // The bitmap can only be deleted once it is no longer selected into the DC.
  if (dc_ && previous_bitmap_ != nullptr) ::SelectObject(dc_.Get(), previous_bitmap_);
  previous_bitmap_ = nullptr;
  pixels_ = nullptr;
  bitmap_.Reset();
  dc_.Reset();
}

PaintBuffer::PaintBuffer(HDC target, const RECT& rect)
    : target_(target), rect_(rect), buffer_(rect.right - rect.left, rect.bottom - rect.top) {
  if (buffer_) ::SetWindowOrgEx(buffer_.dc(), rect.left, rect.top, nullptr);
}

PaintBuffer::~PaintBuffer() {
  if (!buffer_) return;
  ::SetWindowOrgEx(buffer_.dc(), 0, 0, nullptr);
  ::BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
           buffer_.dc(), 0, 0, SRCCOPY);
}

}  // namespace pelkrin::win32

// Pelkrin's pictures: the emblem, the tray animation, the "off" icon, the Block button's two
// pictures and the two cursors. Each picture is drawn on a fixed design grid (16 units for the
// tray icons, 20 for the toolbar button, 32 for cursors) and scaled to each image size, with
// outlines kept one real pixel wide so the small sizes stay crisp.
#pragma once

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "formats.h"
#include "raster.h"

namespace pelkrin::resgen {

// A canvas addressed in design-grid units.
class Drawing {
 public:
  Drawing(int size, float grid) : canvas_(size, size), k_(static_cast<float>(size) / grid) {}

  // One device pixel, in grid units.
  float Px(float pixels = 1) const { return pixels / k_; }
  int Size() const { return canvas_.Width(); }
  // The nearest grid position that falls on a pixel boundary.
  float Snap(float v) const { return std::round(v * k_) / k_; }

  void Fill(const Shape& s, const Paint& p) {
    const float k = k_;
    canvas_.Fill(Scaled(s, {0, 0}, k), [=](Point q) { return p(q * (1 / k)); });
  }
  void Fill(const Shape& s, Color c) { canvas_.Fill(Scaled(s, {0, 0}, k_), c); }
  void Erase(const Shape& s) { canvas_.Erase(Scaled(s, {0, 0}, k_)); }
  // Fills a shape with `paint` inside a border `border_px` device pixels wide.
  void FillBordered(const Shape& s, const Paint& paint, Color border, float border_px = 1) {
    Fill(s, border);
    Fill(Grow(s, -Px(border_px)), paint);
  }
  void Filter(const std::function<Color(Color)>& f) { canvas_.Filter(f); }
  Image Resolve() const { return canvas_.Resolve(); }

 private:
  Canvas canvas_;
  float k_;
};

// ---- The emblem: a blue shield bearing a white "P" (16-unit grid) -----------------------------

inline Shape ShieldShape() {
  return Path({8, 15.6f})
      .CurveTo({4.6f, 14.1f}, {1, 11.8f}, {1, 7.5f})
      .LineTo({1, 2.4f})
      .CurveTo({1, 1.6f}, {1.4f, 1}, {2.2f, 1})
      .LineTo({13.8f, 1})
      .CurveTo({14.6f, 1}, {15, 1.6f}, {15, 2.4f})
      .LineTo({15, 7.5f})
      .CurveTo({15, 11.8f}, {11.4f, 14.1f}, {8, 15.6f})
      .ToShape();
}

inline Shape LetterP() {
  const Shape bowl = Union(Box(5, 3, 11, 9, 3), Box(5, 3, 8, 9));
  const Shape counter = Union(Box(7, 5, 9, 7, 1), Box(7, 5, 8, 7));
  return Union(Box(5, 3, 7, 12.5f), Subtract(bowl, counter));
}

inline void DrawEmblem(Drawing& d) {
  const Shape shield = ShieldShape();
  d.FillBordered(
      shield,
      Linear({3, 1}, {12, 15}, {{0, Rgb(0x6FB2FF)}, {0.55f, Rgb(0x2F74D8)}, {1, Rgb(0x1A4CA8)}}),
      Rgb(0x0C2858));
  // A soft sheen on the upper left half gives the shield some body.
  d.Fill(Intersect(Grow(shield, -d.Px(1)), Box(0, 0, 8, 16)), Rgb(0xFFFFFF, 0.10f));
  const Shape p = LetterP();
  d.Fill(Moved(p, d.Px(1), d.Px(1)), Rgb(0x0A2050, 0.55f));
  d.Fill(p, Rgb(0xFFFFFF));
}

inline Image EmblemImage(int size) {
  Drawing d(size, 16);
  DrawEmblem(d);
  return d.Resolve();
}

// The emblem greyed out under a red slashed circle: pelking is off.
inline Image EmblemOffImage(int size) {
  Drawing d(size, 16);
  DrawEmblem(d);
  d.Filter([](Color c) { return Desaturated(c, 0.85f, 0.2f); });
  // At 16 pixels a halo would only blur the sign, so the small size gets a plain, bolder one.
  const bool small = size <= 16;
  // The small ring's outer edge meets whole pixels at its top, bottom and sides.
  const Point centre{8, small ? 8.0f : 8.2f};
  const float radius = small ? 6.0f : 6.4f;
  const float width = small ? 2.0f : 1.9f;
  const Shape ring = Outline(Circle(centre, radius), width);
  const Shape slash = Intersect(Line({3.4f, centre.y - 4.6f}, {12.6f, centre.y + 4.6f}, width),
                                Circle(centre, radius));
  const Shape sign = Union(ring, slash);
  if (!small) d.Fill(Grow(sign, d.Px(0.75f)), Rgb(0xFFFFFF, 0.8f));
  d.Fill(sign, Linear({2, 2}, {14, 14}, {{0, Rgb(0xFF4A3D)}, {1, Rgb(0xC8140C)}}));
  return d.Resolve();
}

// ---- The trash can (16-unit grid) ------------------------------------------------------------

struct TrashCanLook {
  // Open: the lid is flipped up behind the can and a small window is dropping into it.
  bool open = false;
};

inline Paint MetalAcross(float x0, float x1) {
  return Linear(
      {x0, 0}, {x1, 0},
      {{0, Rgb(0x7C8792)}, {0.3f, Rgb(0xF2F5F7)}, {0.55f, Rgb(0xC9D0D6)}, {1, Rgb(0x66707A)}});
}

inline void DrawTrashCan(Drawing& d, const TrashCanLook& look) {
  const Color edge = Rgb(0x2E353C);
  // Straight edges land on whole pixels at every size, also where the grid does not divide evenly.
  auto s = [&](float v) { return d.Snap(v); };
  const Shape body =
      Union(Polygon({{s(3), s(6)}, {s(13), s(6)}, {s(12.2f), s(13)}, {s(3.8f), s(13)}}),
            Box(s(3.8f), s(10), s(12.2f), s(15), 1.2f));
  if (look.open) {
    // The lid's underside, standing up behind the opening.
    d.FillBordered(Box(s(2), s(1), s(14), s(8), 1.4f),
                   Linear({0, 1}, {0, 8}, {{0, Rgb(0x9AA3AC)}, {1, Rgb(0x4E5861)}}), edge);
    // The window on its way in: tilted a little where there are pixels enough to show it.
    const float tilt = d.Size() >= 32 ? -8.0f : 0.0f;
    const Point turn{s(8), s(6)};
    const Shape frame = Rotated(Box(s(5), s(2), s(11), s(10), 0.4f), turn, tilt);
    const Shape title =
        Intersect(Grow(frame, -d.Px(1)), Rotated(Box(0, 0, 16, s(4.5f)), turn, tilt));
    d.FillBordered(frame, Solid(Rgb(0xFFFFFF)), Rgb(0x173E7A));
    d.Fill(title, Linear({5, 0}, {11, 0}, {{0, Rgb(0x1F5FD0)}, {1, Rgb(0x6AAEFA)}}));
  }
  d.FillBordered(body, MetalAcross(3, 13), edge);
  for (float rib : {6.0f, 9.0f})
    d.Fill(Box(s(rib), s(9), s(rib + 1), s(13.5f), 0.3f), Rgb(0x5A646E, 0.85f));
  if (look.open) {
    // The rim of the opening, in front of the window's lower half.
    d.FillBordered(Box(s(2), s(6), s(14), s(8), 0.8f), Solid(Rgb(0x39424A)), edge);
  } else {
    d.FillBordered(Box(s(2), s(4), s(14), s(7), 0.8f), MetalAcross(2, 14), edge);
    d.Fill(Subtract(Box(s(6), s(2), s(10), s(4.5f), 0.6f), Box(s(7), s(3), s(9), s(5))), edge);
  }
}

inline Image TrashCanImage(int size, const TrashCanLook& look) {
  Drawing d(size, 16);
  DrawTrashCan(d, look);
  return d.Resolve();
}

// ---- The Block button's chopper (20-unit grid) -----------------------------------------------

// A meat cleaver held ready to chop: a broad steel blade with a hanging hole, on a wooden handle,
// the blade raised a third of the way to upright.
inline Image ChopperImage(int size) {
  constexpr float tilt = -30;
  Drawing d(size, 20);
  const Point pivot{10, 10};
  auto turn = [&](const Shape& shape) { return Rotated(shape, pivot, tilt); };
  // Paints are given in the cleaver's own frame, so turn the sample point back into it.
  auto turn_paint = [&](const Paint& paint) -> Paint {
    const float rad = tilt * std::numbers::pi_v<float> / 180.0f;
    const float c = std::cos(rad);
    const float n = std::sin(rad);
    return [=](Point q) {
      const Point v = q - pivot;
      return paint({pivot.x + v.x * c + v.y * n, pivot.y - v.x * n + v.y * c});
    };
  };
  const Color edge = Rgb(0x262B30);
  const Shape handle = Box(0.5f, 5.6f, 8.5f, 9.2f, 1.6f);
  d.FillBordered(
      turn(handle),
      turn_paint(Linear({0, 5.6f}, {0, 9.2f},
                        {{0, Rgb(0xD39555)}, {0.5f, Rgb(0xA0612A)}, {1, Rgb(0x6B3A12)}})),
      Rgb(0x3A220C));
  for (float x : {2.6f, 5.4f}) d.Fill(turn(Circle({x, 7.4f}, 0.75f)), Rgb(0xF0E6CC));
  const Shape blade = Path({7.5f, 4})
                          .LineTo({17.8f, 4})
                          .CurveTo({18.8f, 4}, {19.5f, 4.7f}, {19.5f, 5.7f})
                          .LineTo({19.5f, 12.6f})
                          .CurveTo({16, 14.6f}, {11, 14.6f}, {7.5f, 14})
                          .ToShape();
  d.FillBordered(turn(blade),
                 turn_paint(Linear({0, 4}, {0, 14.5f},
                                   {{0, Rgb(0x8E99A3)},
                                    {0.35f, Rgb(0xE4E9ED)},
                                    {0.75f, Rgb(0xB0BAC3)},
                                    {1, Rgb(0xD8DEE3)}})),
                 edge);
  // The honed edge: a bright band along the bottom of the blade.
  const Shape inner = Grow(blade, -d.Px(1));
  d.Fill(turn(Subtract(inner, Moved(blade, 0, -d.Px(2)))), Rgb(0xFFFFFF, 0.95f));
  d.Erase(turn(Circle({16.6f, 6.8f}, 1.1f)));
  return d.Resolve();
}

// ---- Cursors (32-unit grid, drawn at 32x32) --------------------------------------------------

// A white arrow with a red badge holding a white cross: clicking here closes the window.
inline Image CloseMarkCursorImage() {
  Drawing d(32, 32);
  const Shape arrow = Polygon({{0, 0},
                               {0, 19},
                               {4.6f, 14.8f},
                               {7.8f, 21.6f},
                               {10.6f, 20.3f},
                               {7.5f, 13.6f},
                               {13.6f, 13.6f}});
  d.FillBordered(arrow, Solid(Rgb(0xFFFFFF)), Rgb(0x000000));
  const Point c{21.5f, 21.5f};
  d.Fill(Circle(c, 7.5f), Rgb(0xFFFFFF));
  d.FillBordered(Circle(c, 6.5f),
                 Radial({19.5f, 19.5f}, 8, {{0, Rgb(0xFF6A55)}, {1, Rgb(0xC0140A)}}),
                 Rgb(0x5A0000));
  const float arm = 2.9f;
  d.Fill(Union(Line({c.x - arm, c.y - arm}, {c.x + arm, c.y + arm}, 2.2f),
               Line({c.x - arm, c.y + arm}, {c.x + arm, c.y - arm}, 2.2f)),
         Rgb(0xFFFFFF));
  return d.Resolve();
}
constexpr Hotspot kCloseMarkHotspot{0, 0};

// A white pointing hand with a black outline, the index finger's tip as the hotspot.
inline Image ButtonHandCursorImage() {
  Drawing d(32, 32);
  const Shape index_finger = Line({10.5f, 3.2f}, {10.5f, 15}, 3.6f);
  const Shape fingers =
      Union(Union(Line({14.3f, 12.4f}, {14.3f, 17}, 3.4f), Line({17.8f, 13.4f}, {17.8f, 17}, 3.4f)),
            Line({21.2f, 14.6f}, {21.2f, 18}, 3.2f));
  const Shape palm =
      Polygon({{8.7f, 14}, {22.8f, 15}, {22.8f, 22}, {19.5f, 27}, {11, 27}, {8.7f, 23}});
  const Shape thumb = Line({9.5f, 22.5f}, {5.2f, 17.6f}, 3.4f);
  const Shape hand = Union(Union(index_finger, fingers), Union(palm, thumb));
  d.Fill(Grow(hand, 1), Rgb(0x000000));
  d.Fill(hand, Rgb(0xFFFFFF));
  // Creases between the folded fingers.
  for (float x : {12.4f, 16.05f, 19.5f}) d.Fill(Line({x, 14.8f}, {x, 17.2f}, 0.9f), Rgb(0x000000));
  return d.Resolve();
}
constexpr Hotspot kButtonHandHotspot{10, 0};

}  // namespace pelkrin::resgen

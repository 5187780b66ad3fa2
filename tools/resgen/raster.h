// A tiny anti-aliased rasteriser for Pelkrin's icons and cursors.
//
// Shapes are signed distance fields measured in pixels of the finished image: negative inside,
// positive outside. The canvas evaluates them on a grid four times finer than the image, turns
// each distance into a partial coverage of that fine sample, composites with premultiplied
// alpha, and finally averages every 4x4 block into one pixel. Everything is plain arithmetic on
// floats, so the same program writes the same bytes on every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <vector>

namespace pelkrin::resgen {

struct Point {
  float x = 0;
  float y = 0;
};

inline Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
inline Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
inline Point operator*(Point a, float k) { return {a.x * k, a.y * k}; }
inline float Dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
inline float Length(Point a) { return std::sqrt(Dot(a, a)); }

// A colour with premultiplied alpha; every component lies in 0..1 and r, g, b never exceed a.
struct Color {
  float r = 0;
  float g = 0;
  float b = 0;
  float a = 0;
};

// An opaque or translucent colour from a 0xRRGGBB value.
inline Color Rgb(std::uint32_t rgb, float opacity = 1.0f) {
  const float k = opacity / 255.0f;
  return {static_cast<float>((rgb >> 16) & 0xFF) * k, static_cast<float>((rgb >> 8) & 0xFF) * k,
          static_cast<float>(rgb & 0xFF) * k, opacity};
}

inline Color Lerp(Color c0, Color c1, float t) {
  return {c0.r + (c1.r - c0.r) * t, c0.g + (c1.g - c0.g) * t, c0.b + (c1.b - c0.b) * t,
          c0.a + (c1.a - c0.a) * t};
}

inline Color Scaled(Color c, float k) { return {c.r * k, c.g * k, c.b * k, c.a * k}; }

// Source-over compositing of premultiplied colours.
inline Color Over(Color src, Color dst) {
  const float keep = 1.0f - src.a;
  return {src.r + dst.r * keep, src.g + dst.g * keep, src.b + dst.b * keep, src.a + dst.a * keep};
}

// ---- Shapes ----------------------------------------------------------------------------------

using Shape = std::function<float(Point)>;

inline Shape Circle(Point centre, float radius) {
  return [=](Point p) { return Length(p - centre) - radius; };
}

// An axis-aligned rectangle from (x0, y0) to (x1, y1) with corners rounded by `radius`.
inline Shape Box(float x0, float y0, float x1, float y1, float radius = 0) {
  const Point centre{(x0 + x1) / 2, (y0 + y1) / 2};
  const Point half{(x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius};
  return [=](Point p) {
    const float qx = std::abs(p.x - centre.x) - half.x;
    const float qy = std::abs(p.y - centre.y) - half.y;
    const float outside = Length({std::max(qx, 0.0f), std::max(qy, 0.0f)});
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

// A stroke from a to b, `width` wide, with round ends.
inline Shape Line(Point a, Point b, float width) {
  return [=](Point p) {
    const Point pa = p - a;
    const Point ba = b - a;
    const float len2 = Dot(ba, ba);
    const float h = len2 > 0 ? std::clamp(Dot(pa, ba) / len2, 0.0f, 1.0f) : 0.0f;
    return Length(pa - ba * h) - width / 2;
  };
}

// A closed polygon (even-odd rule). Needs at least three points.
inline Shape Polygon(std::vector<Point> points) {
  if (points.size() < 3) throw std::invalid_argument("a polygon needs three points");
  return [pts = std::move(points)](Point p) {
    float best = Dot(p - pts[0], p - pts[0]);
    float sign = 1;
    for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      const Point e = pts[j] - pts[i];
      const Point w = p - pts[i];
      const Point b = w - e * std::clamp(Dot(w, e) / Dot(e, e), 0.0f, 1.0f);
      best = std::min(best, Dot(b, b));
      const bool above = p.y >= pts[i].y;
      const bool below = p.y < pts[j].y;
      const bool left = e.x * w.y > e.y * w.x;
      if ((above && below && left) || (!above && !below && !left)) sign = -sign;
    }
    return sign * std::sqrt(best);
  };
}

inline Shape Union(Shape a, Shape b) {
  return [=](Point p) { return std::min(a(p), b(p)); };
}
inline Shape Intersect(Shape a, Shape b) {
  return [=](Point p) { return std::max(a(p), b(p)); };
}
inline Shape Subtract(Shape a, Shape b) {
  return [=](Point p) { return std::max(a(p), -b(p)); };
}
// Grows a shape outwards by `amount` pixels (shrinks it for a negative amount).
inline Shape Grow(Shape s, float amount) {
  return [=](Point p) { return s(p) - amount; };
}
// The band `width` wide centred on a shape's edge.
inline Shape Outline(Shape s, float width) {
  return [=](Point p) { return std::abs(s(p)) - width / 2; };
}
inline Shape Moved(Shape s, float dx, float dy) {
  return [=](Point p) { return s({p.x - dx, p.y - dy}); };
}
// Rotates a shape about `pivot`; positive angles turn clockwise on screen (y grows downwards).
inline Shape Rotated(Shape s, Point pivot, float degrees) {
  const float rad = degrees * std::numbers::pi_v<float> / 180.0f;
  const float c = std::cos(rad);
  const float n = std::sin(rad);
  return [=](Point p) {
    const Point d = p - pivot;
    return s({pivot.x + d.x * c + d.y * n, pivot.y - d.x * n + d.y * c});
  };
}
// Scales a shape about `origin`; distances scale with it, so edges stay equally sharp.
inline Shape Scaled(Shape s, Point origin, float k) {
  return [=](Point p) { return s(origin + (p - origin) * (1.0f / k)) * k; };
}

// Turns move/line/curve outlines into the points of a polygon.
class Path {
 public:
  explicit Path(Point start) : points_{start} {}
  Path& LineTo(Point p) {
    points_.push_back(p);
    return *this;
  }
  Path& CurveTo(Point c1, Point c2, Point end, int steps = 16) {
    const Point start = points_.back();
    for (int i = 1; i <= steps; ++i) {
      const float t = static_cast<float>(i) / static_cast<float>(steps);
      const float u = 1 - t;
      points_.push_back(start * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) +
                        end * (t * t * t));
    }
    return *this;
  }
  const std::vector<Point>& Points() const { return points_; }
  Shape ToShape() const { return Polygon(points_); }

 private:
  std::vector<Point> points_;
};

// ---- Paints ----------------------------------------------------------------------------------

using Paint = std::function<Color(Point)>;

inline Paint Solid(Color c) {
  return [=](Point) { return c; };
}

struct Stop {
  float at;  // 0..1 along the gradient, ascending
  Color color;
};

inline Color ColorAt(const std::vector<Stop>& stops, float t) {
  if (t <= stops.front().at) return stops.front().color;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      const float span = stops[i].at - stops[i - 1].at;
      return Lerp(stops[i - 1].color, stops[i].color,
                  span > 0 ? (t - stops[i - 1].at) / span : 1.0f);
    }
  }
  return stops.back().color;
}

// A gradient along the line from p0 (t = 0) to p1 (t = 1), constant across it.
inline Paint Linear(Point p0, Point p1, std::vector<Stop> stops) {
  if (stops.empty()) throw std::invalid_argument("a gradient needs a stop");
  const Point d = p1 - p0;
  const float len2 = Dot(d, d);
  return [=](Point p) { return ColorAt(stops, len2 > 0 ? Dot(p - p0, d) / len2 : 0.0f); };
}

inline Paint Radial(Point centre, float radius, std::vector<Stop> stops) {
  if (stops.empty()) throw std::invalid_argument("a gradient needs a stop");
  return [=](Point p) { return ColorAt(stops, Length(p - centre) / radius); };
}

// ---- Images and the canvas -------------------------------------------------------------------

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;  // row by row from the top, premultiplied

  Image() = default;
  Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
  const Color& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  Color& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

class Canvas {
 public:
  static constexpr int kSupersample = 4;

  Canvas(int width, int height)
      : width_(width), height_(height), fine_(width * kSupersample, height * kSupersample) {
    if (width <= 0 || height <= 0) throw std::invalid_argument("empty canvas");
  }

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Paints the inside of `shape` over what is already there.
  void Fill(const Shape& shape, const Paint& paint) {
    ForEachCovered(shape, [&](Color& dst, Point p, float coverage) {
      dst = Over(Scaled(paint(p), coverage), dst);
    });
  }
  void Fill(const Shape& shape, Color color) { Fill(shape, Solid(color)); }

  // Makes the inside of `shape` transparent again (destination-out).
  void Erase(const Shape& shape) {
    ForEachCovered(shape,
                   [](Color& dst, Point, float coverage) { dst = Scaled(dst, 1.0f - coverage); });
  }

  // Rewrites every fine sample, e.g. to grey out what has been drawn so far.
  void Filter(const std::function<Color(Color)>& f) {
    for (Color& c : fine_.pixels) c = f(c);
  }

  // The finished picture: each pixel is the mean of its 4x4 fine samples.
  Image Resolve() const {
    Image out(width_, height_);
    constexpr float kWeight = 1.0f / (kSupersample * kSupersample);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        Color sum;
        for (int sy = 0; sy < kSupersample; ++sy) {
          for (int sx = 0; sx < kSupersample; ++sx) {
            const Color& c = fine_.At(x * kSupersample + sx, y * kSupersample + sy);
            sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
          }
        }
        out.At(x, y) = Scaled(sum, kWeight);
      }
    }
    return out;
  }

 private:
  // Calls f for every fine sample the shape touches, with the sample's centre in image pixels
  // and how much of the sample lies inside (from its distance to the edge).
  template <typename F>
  void ForEachCovered(const Shape& shape, F f) {
    constexpr float kStep = 1.0f / kSupersample;
    for (int y = 0; y < fine_.height; ++y) {
      for (int x = 0; x < fine_.width; ++x) {
        const Point p{(static_cast<float>(x) + 0.5f) * kStep,
                      (static_cast<float>(y) + 0.5f) * kStep};
        const float coverage = std::clamp(0.5f - shape(p) * kSupersample, 0.0f, 1.0f);
        if (coverage > 0) f(fine_.At(x, y), p, coverage);
      }
    }
  }

  int width_;
  int height_;
  Image fine_;
};

// Greys a premultiplied colour by `amount` (0 keeps it, 1 is fully grey), lightening it a little.
inline Color Desaturated(Color c, float amount, float lighten) {
  const float grey = 0.30f * c.r + 0.59f * c.g + 0.11f * c.b;
  const float g = grey + (c.a - grey) * lighten;
  return {c.r + (g - c.r) * amount, c.g + (g - c.g) * amount, c.b + (g - c.b) * amount, c.a};
}

}  // namespace pelkrin::resgen

// The resource generator: its files must read back the way Windows reads them, and its
// rasteriser must cover and blend correctly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/resgen/outputs.h"

namespace pelkrin::resgen {
namespace {

// ---- An independent reader for .ico/.cur and .wav files ----

// Little-endian fields of a byte buffer; at() throws past its end.
struct Reader {
  const Bytes& bytes;
  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= bytes.size() && count <= bytes.size() - offset;
  }
  unsigned U8(std::size_t at) const { return bytes.at(at); }
  unsigned U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::size_t at) const {
    return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }
  std::string Tag(std::size_t at) const {
    return std::string(bytes.begin() + at, bytes.begin() + at + 4);
  }
};

struct DecodedImage {
  int width = 0;
  int height = 0;
  Hotspot hotspot;
  std::vector<Bgra> pixels;  // top row first
  std::vector<bool> mask;    // true where the 1-bit mask says transparent
  const Bgra& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Reads an icon (type 1) or cursor (type 2) directory with 32-bit images, checking every field
// and extent that Windows relies on.
std::vector<DecodedImage> DecodeIconFile(const Bytes& bytes, unsigned expected_type) {
  std::vector<DecodedImage> out;
  const Reader r{bytes};
  if (!r.Has(0, 6)) {
    ADD_FAILURE() << "no directory";
    return out;
  }
  EXPECT_EQ(r.U16(0), 0u);
  EXPECT_EQ(r.U16(2), expected_type);
  const unsigned count = r.U16(4);
  if (!r.Has(6, 16 * count)) {
    ADD_FAILURE() << "short directory";
    return out;
  }
  std::size_t expected_offset = 6 + 16 * count;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t e = 6 + 16 * i;
    DecodedImage img;
    img.width = r.U8(e) == 0 ? 256 : static_cast<int>(r.U8(e));
    img.height = r.U8(e + 1) == 0 ? 256 : static_cast<int>(r.U8(e + 1));
    if (expected_type == 1) {
      EXPECT_EQ(r.U16(e + 4), 1u);   // planes
      EXPECT_EQ(r.U16(e + 6), 32u);  // bits per pixel
    } else {
      img.hotspot = {static_cast<int>(r.U16(e + 4)), static_cast<int>(r.U16(e + 6))};
    }
    const std::uint32_t size = r.U32(e + 8);
    const std::uint32_t offset = r.U32(e + 12);
    EXPECT_EQ(offset, expected_offset) << "images follow the directory back to back";
    const int mask_stride = (img.width + 31) / 32 * 4;
    const std::size_t colour = static_cast<std::size_t>(img.width) * img.height * 4;
    const std::size_t mask = static_cast<std::size_t>(mask_stride) * img.height;
    EXPECT_EQ(size, 40 + colour + mask);
    if (!r.Has(offset, 40 + colour + mask)) {
      ADD_FAILURE() << "short image";
      return out;
    }
    EXPECT_EQ(r.U32(offset), 40u);
    EXPECT_EQ(static_cast<int>(r.U32(offset + 4)), img.width);
    EXPECT_EQ(static_cast<int>(r.U32(offset + 8)), img.height * 2) << "colour and mask halves";
    EXPECT_EQ(r.U16(offset + 12), 1u);
    EXPECT_EQ(r.U16(offset + 14), 32u);
    EXPECT_EQ(r.U32(offset + 16), 0u);
    for (int y = 0; y < img.height; ++y) {
      const std::size_t row =
          offset + 40 + static_cast<std::size_t>(img.height - 1 - y) * img.width * 4;
      for (int x = 0; x < img.width; ++x) {
        const std::size_t p = row + static_cast<std::size_t>(x) * 4;
        img.pixels.push_back(
            {static_cast<std::uint8_t>(r.U8(p)), static_cast<std::uint8_t>(r.U8(p + 1)),
             static_cast<std::uint8_t>(r.U8(p + 2)), static_cast<std::uint8_t>(r.U8(p + 3))});
      }
    }
    for (int y = 0; y < img.height; ++y) {
      const std::size_t row =
          offset + 40 + colour + static_cast<std::size_t>(img.height - 1 - y) * mask_stride;
      for (int x = 0; x < img.width; ++x)
        img.mask.push_back((r.U8(row + x / 8) >> (7 - x % 8)) & 1);
      for (int x = img.width; x < mask_stride * 8; ++x)
        EXPECT_EQ((r.U8(row + x / 8) >> (7 - x % 8)) & 1, 0u) << "row padding stays clear";
    }
    expected_offset = offset + size;
    out.push_back(std::move(img));
  }
  EXPECT_EQ(bytes.size(), expected_offset) << "no trailing bytes";
  return out;
}

struct DecodedWav {
  unsigned channels = 0, rate = 0, bits = 0;
  std::vector<int> samples;
};

DecodedWav DecodeWav(const Bytes& bytes) {
  DecodedWav w;
  const Reader r{bytes};
  if (!r.Has(0, 44)) {
    ADD_FAILURE() << "no header";
    return w;
  }
  EXPECT_EQ(r.Tag(0), "RIFF");
  EXPECT_EQ(r.U32(4), bytes.size() - 8);
  EXPECT_EQ(r.Tag(8), "WAVE");
  EXPECT_EQ(r.Tag(12), "fmt ");
  EXPECT_EQ(r.U32(16), 16u);
  EXPECT_EQ(r.U16(20), 1u) << "PCM";
  w.channels = r.U16(22);
  w.rate = r.U32(24);
  w.bits = r.U16(34);
  EXPECT_EQ(r.U32(28), w.rate * w.channels * w.bits / 8) << "bytes per second";
  EXPECT_EQ(r.U16(32), w.channels * w.bits / 8) << "block alignment";
  EXPECT_EQ(r.Tag(36), "data");
  const std::uint32_t data = r.U32(40);
  EXPECT_EQ(data, bytes.size() - 44);
  for (std::size_t i = 44; i + 1 < bytes.size(); i += 2)
    w.samples.push_back(static_cast<std::int16_t>(r.U16(i)));
  return w;
}

// The generator's whole output, made once for all tests below.
const std::map<std::string, Bytes>& Generated() {
  static const std::map<std::string, Bytes> files = [] {
    std::map<std::string, Bytes> m;
    for (const Output& o : AllOutputs()) m[o.name] = o.make();
    return m;
  }();
  return files;
}

// ---- The files ---------------------------------------------------------------------------------

TEST(ResgenFiles, EveryPictureReadsBackWithItsSizesAndSoftEdges) {
  const std::map<std::string, std::vector<int>> expected{
      {"normal.ico", {16, 32, 48}},   {"anim1.ico", {16, 32, 48}}, {"anim2.ico", {16, 32, 48}},
      {"pelk_off.ico", {16, 32, 48}}, {"chopper.ico", {20, 16}},   {"trash.ico", {20, 16}},
      {"close_mark.cur", {32}},       {"button_hand.cur", {32}}};
  for (const auto& [name, sizes] : expected) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(Generated().count(name));
    const bool cursor = name.ends_with(".cur");
    const auto images = DecodeIconFile(Generated().at(name), cursor ? 2 : 1);
    ASSERT_EQ(images.size(), sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      const DecodedImage& img = images[i];
      EXPECT_EQ(img.width, sizes[i]);
      EXPECT_EQ(img.height, sizes[i]);
      int opaque = 0, clear = 0, soft = 0;
      for (std::size_t p = 0; p < img.pixels.size(); ++p) {
        const Bgra& px = img.pixels[p];
        if (px.a == 0) {
          ++clear;
          EXPECT_EQ(px, Bgra{}) << "clear pixels carry no colour";
        } else if (px.a == 255) {
          ++opaque;
        } else {
          ++soft;
        }
        EXPECT_EQ(img.mask[p], px.a < 128) << "the mask follows the alpha channel";
      }
      EXPECT_GT(opaque, img.width * img.height / 5) << "a solid picture";
      EXPECT_GT(clear, 0) << "a shaped picture, not a square";
      EXPECT_GT(soft, img.width / 2) << "anti-aliased edges";
    }
  }
}

TEST(ResgenFiles, CursorHotspotsSitOnTheTipsTheyPointWith) {
  for (const auto& [name, hotspot] : {std::pair{"close_mark.cur", kCloseMarkHotspot},
                                      std::pair{"button_hand.cur", kButtonHandHotspot}}) {
    SCOPED_TRACE(name);
    const auto images = DecodeIconFile(Generated().at(name), 2);
    ASSERT_EQ(images.size(), 1u);
    const DecodedImage& img = images[0];
    EXPECT_EQ(img.hotspot.x, hotspot.x);
    EXPECT_EQ(img.hotspot.y, hotspot.y);
    // Both cursors point upwards: the hotspot is on the topmost solid ink, within a pixel.
    int top = -1, left = img.width, right = -1;
    for (int y = 0; y < img.height && top < 0; ++y) {
      for (int x = 0; x < img.width; ++x) {
        if (img.At(x, y).a >= 128) {
          top = y;
          left = std::min(left, x);
          right = std::max(right, x);
        }
      }
    }
    ASSERT_GE(top, 0);
    EXPECT_LE(std::abs(top - hotspot.y), 1);
    EXPECT_GE(hotspot.x, left - 1);
    EXPECT_LE(hotspot.x, right + 1);
  }
}

TEST(ResgenFiles, SoundsAreShortMonoPcmThatStartAndEndInSilence) {
  const std::map<std::string, std::pair<int, int>> lengths_ms{{"click.sys", {20, 40}},
                                                              {"barble.sys", {120, 180}},
                                                              {"menu.sys", {45, 80}},
                                                              {"pop.wav", {90, 150}}};
  for (const auto& [name, range] : lengths_ms) {
    SCOPED_TRACE(name);
    const DecodedWav w = DecodeWav(Generated().at(name));
    EXPECT_EQ(w.channels, 1u);
    EXPECT_EQ(w.rate, 22050u);
    EXPECT_EQ(w.bits, 16u);
    ASSERT_GT(w.samples.size(), 100u);
    const double ms = 1000.0 * static_cast<double>(w.samples.size()) / w.rate;
    EXPECT_GE(ms, range.first);
    EXPECT_LE(ms, range.second);
    int peak = 0;
    for (int s : w.samples) peak = std::max(peak, std::abs(s));
    // A click is a sound that starts or stops at full strength: the first quarter millisecond
    // and the last millisecond must stay far below the peak.
    int start = 0, end = 0;
    for (std::size_t i = 0; i < 6; ++i) start = std::max(start, std::abs(w.samples[i]));
    for (std::size_t i = w.samples.size() - 22; i < w.samples.size(); ++i)
      end = std::max(end, std::abs(w.samples[i]));
    EXPECT_EQ(w.samples.front(), 0);
    EXPECT_EQ(w.samples.back(), 0);
    EXPECT_LT(start, peak / 8) << "fades in";
    EXPECT_LT(end, peak / 20) << "fades out";
    EXPECT_GT(peak, 6000) << "loud enough to hear";
    EXPECT_LT(peak, 30000) << "not clipped";
  }
}

TEST(ResgenFiles, EveryRunWritesTheSameBytes) {
  const auto again = AllOutputs();
  ASSERT_EQ(again.size(), Generated().size());
  for (const Output& o : again) EXPECT_TRUE(o.make() == Generated().at(o.name)) << o.name;
}

// ---- The encoders ------------------------------------------------------------------------------

TEST(ResgenEncoding, IconRowsRunBottomUpWithStraightAlphaAndPaddedMasks) {
  Image image(20, 3);                      // 20 wide: the mask row needs padding to 32 bits
  image.At(0, 0) = Rgb(0xFF0000);          // top left: opaque red
  image.At(19, 2) = Rgb(0x0000FF, 0.5f);   // bottom right: half-transparent blue
  image.At(10, 1) = Rgb(0x00FF00, 0.25f);  // a faint green, below the mask threshold
  const auto images = DecodeIconFile(EncodeIcon({image}), 1);
  ASSERT_EQ(images.size(), 1u);
  const DecodedImage& d = images[0];
  EXPECT_EQ(d.At(0, 0), (Bgra{0, 0, 255, 255}));
  EXPECT_EQ(d.At(19, 2), (Bgra{255, 0, 0, 128})) << "colour is stored un-premultiplied";
  EXPECT_EQ(d.At(10, 1), (Bgra{0, 255, 0, 64}));
  EXPECT_EQ(d.At(19, 0), Bgra{});
  EXPECT_FALSE(d.mask[0]);
  EXPECT_FALSE(d.mask[2 * 20 + 19]);
  EXPECT_TRUE(d.mask[1 * 20 + 10]);
  EXPECT_TRUE(d.mask[1]);
}

TEST(ResgenEncoding, RejectsPicturesAWindowsIconCannotHold) {
  EXPECT_THROW(EncodeIcon({}), std::invalid_argument);
  EXPECT_THROW(EncodeIcon({Image(257, 16)}), std::invalid_argument);
  EXPECT_THROW(EncodeCursor({Image(32, 32)}, {{32, 0}}), std::invalid_argument);
  EXPECT_THROW(EncodeCursor({Image(32, 32)}, {}), std::invalid_argument);
}

// ---- The rasteriser ----------------------------------------------------------------------------

double TotalAlpha(const Image& image) {
  double sum = 0;
  for (const Color& c : image.pixels) sum += c.a;
  return sum;
}

TEST(ResgenRaster, ShapesCoverTheirAreaWithSoftEdges) {
  Canvas circle(32, 32);
  circle.Fill(Circle({16, 16}, 10.3f), Rgb(0xFFFFFF));
  const double area = std::numbers::pi * 10.3 * 10.3;
  EXPECT_NEAR(TotalAlpha(circle.Resolve()), area, area * 0.01);

  Canvas box(8, 8);
  box.Fill(Box(1, 1, 3.5f, 7), Rgb(0x000000));
  const Image b = box.Resolve();
  EXPECT_FLOAT_EQ(b.At(0, 4).a, 0);
  EXPECT_FLOAT_EQ(b.At(2, 4).a, 1);
  EXPECT_NEAR(b.At(3, 4).a, 0.5f, 0.01f) << "an edge through the middle of a pixel";
}

}  // namespace
}  // namespace pelkrin::resgen

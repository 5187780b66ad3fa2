// The resource generator: its files must read back the way Windows reads them, and its
// rasteriser must cover and blend correctly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numbers>
#include <optional>
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
  if (!r.Has(0, 6) || !r.Has(6, 16 * r.U16(4))) {
    ADD_FAILURE() << "short directory";
    return out;
  }
  EXPECT_EQ(r.U32(0), expected_type << 16) << "reserved, then the type";
  const std::size_t end_of_directory = 6 + 16 * r.U16(4);
  std::size_t next = end_of_directory;  // the images follow the directory back to back
  for (std::size_t e = 6; e < end_of_directory; e += 16) {
    DecodedImage img;
    img.width = r.U8(e) == 0 ? 256 : static_cast<int>(r.U8(e));
    img.height = r.U8(e + 1) == 0 ? 256 : static_cast<int>(r.U8(e + 1));
    if (expected_type == 1)
      EXPECT_EQ(r.U32(e + 4), 1u | 32u << 16) << "one plane of 32 bits per pixel";
    else
      img.hotspot = {static_cast<int>(r.U16(e + 4)), static_cast<int>(r.U16(e + 6))};
    const std::size_t mask_stride = (img.width + 31) / 32 * 4;
    const std::size_t colour = static_cast<std::size_t>(img.width) * img.height * 4;
    const std::size_t size = 40 + colour + mask_stride * img.height;
    const std::size_t at = r.U32(e + 12);
    EXPECT_EQ(r.U32(e + 8), size);
    EXPECT_EQ(at, next);
    if (!r.Has(at, size)) {
      ADD_FAILURE() << "short image";
      return out;
    }
    // The bitmap header: its size, the width, the colour and mask halves' height, one plane of
    // 32 bits, no compression.
    const auto w = static_cast<std::uint32_t>(img.width),
               h = static_cast<std::uint32_t>(img.height);
    EXPECT_EQ(
        (std::vector{r.U32(at), r.U32(at + 4), r.U32(at + 8), r.U32(at + 12), r.U32(at + 16)}),
        (std::vector{40u, w, 2 * h, 1u | 32u << 16, 0u}));
    for (int y = 0; y < img.height; ++y) {  // rows run bottom-up
      const std::size_t flipped = static_cast<std::size_t>(img.height - 1 - y);
      const std::size_t row = at + 40 + flipped * img.width * 4;
      const std::size_t mask_row = at + 40 + colour + flipped * mask_stride;
      for (int x = 0; x < img.width; ++x) {
        Bgra pixel;
        std::memcpy(&pixel, bytes.data() + row + 4 * x, sizeof pixel);  // b, g, r, a
        img.pixels.push_back(pixel);
        img.mask.push_back((r.U8(mask_row + x / 8) >> (7 - x % 8)) & 1);
      }
      for (std::size_t x = img.width; x < mask_stride * 8; ++x)
        EXPECT_EQ((r.U8(mask_row + x / 8) >> (7 - x % 8)) & 1, 0u) << "row padding stays clear";
    }
    next = at + size;
    out.push_back(std::move(img));
  }
  EXPECT_EQ(bytes.size(), next) << "no trailing bytes";
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
  EXPECT_EQ(r.Tag(0) + r.Tag(8) + r.Tag(12) + r.Tag(36), "RIFFWAVEfmt data");
  w.channels = r.U16(22);
  w.rate = r.U32(24);
  w.bits = r.U16(34);
  // The sizes of the rest, of the format and of the data; PCM; bytes per second; block alignment.
  const std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
  EXPECT_EQ((std::vector{r.U32(4), r.U32(16), r.U32(40), r.U32(20) & 0xFFFF, r.U32(28),
                         r.U32(32) & 0xFFFF}),
            (std::vector{size - 8, 16u, size - 44, 1u, w.rate * w.channels * w.bits / 8,
                         w.channels * w.bits / 8}));
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

TEST(ResgenFiles, EveryPictureReadsBackWithItsSizesSoftEdgesAndHotspot) {
  struct Expected {
    std::vector<int> sizes;
    std::optional<Hotspot> hotspot;  // a cursor's
  };
  const std::map<std::string, Expected> expected{{"normal.ico", {{16, 32, 48}, {}}},
                                                 {"anim1.ico", {{16, 32, 48}, {}}},
                                                 {"anim2.ico", {{16, 32, 48}, {}}},
                                                 {"pelk_off.ico", {{16, 32, 48}, {}}},
                                                 {"chopper.ico", {{20, 16}, {}}},
                                                 {"trash.ico", {{20, 16}, {}}},
                                                 {"close_mark.cur", {{32}, kCloseMarkHotspot}},
                                                 {"button_hand.cur", {{32}, kButtonHandHotspot}}};
  for (const auto& [name, file] : expected) {
    SCOPED_TRACE(name);
    const auto images = DecodeIconFile(Generated().at(name), file.hotspot ? 2 : 1);
    ASSERT_EQ(images.size(), file.sizes.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
      const DecodedImage& img = images[i];
      EXPECT_EQ(img.width, file.sizes[i]);
      EXPECT_EQ(img.height, file.sizes[i]);
      int opaque = 0, clear = 0, soft = 0;
      for (std::size_t p = 0; p < img.pixels.size(); ++p) {
        const Bgra& px = img.pixels[p];
        if (px.a == 0) {
          ++clear;
          EXPECT_EQ(px, Bgra{}) << "clear pixels carry no colour";
        }
        opaque += px.a == 255;
        soft += px.a != 0 && px.a != 255;
        EXPECT_EQ(img.mask[p], px.a < 128) << "the mask follows the alpha channel";
      }
      EXPECT_GT(opaque, img.width * img.height / 5) << "a solid picture";
      EXPECT_GT(clear, 0) << "a shaped picture, not a square";
      EXPECT_GT(soft, img.width / 2) << "anti-aliased edges";
    }
    if (!file.hotspot) continue;
    const DecodedImage& img = images[0];
    EXPECT_EQ(img.hotspot.x, file.hotspot->x);
    EXPECT_EQ(img.hotspot.y, file.hotspot->y);
    // Both cursors point upwards: the hotspot is on the topmost solid ink, within a pixel.
    int top = -1, left = img.width, right = -1;
    for (int y = 0; y < img.height && top < 0; ++y) {
      for (int x = 0; x < img.width; ++x) {
        if (img.At(x, y).a < 128) continue;
        top = y;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    EXPECT_LE(std::abs(top - img.hotspot.y), 1);
    EXPECT_GE(img.hotspot.x, left - 1);
    EXPECT_LE(img.hotspot.x, right + 1);
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

// The files above prove the rows' order, the masks and their padding; what they cannot show is
// how a half-transparent colour is stored.
TEST(ResgenEncoding, ColoursAreStoredStraightAndPicturesAnIconCannotHoldAreRefused) {
  Image image(2, 1);
  image.At(0, 0) = Rgb(0xFF0000);        // opaque red
  image.At(1, 0) = Rgb(0x0000FF, 0.5f);  // half-transparent blue
  const auto images = DecodeIconFile(EncodeIcon({image}), 1);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].pixels, (std::vector<Bgra>{{0, 0, 255, 255}, {255, 0, 0, 128}}))
      << "colour is stored un-premultiplied";

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

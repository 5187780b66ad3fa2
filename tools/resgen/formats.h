// Writers for the file formats Windows reads Pelkrin's pictures and sounds from: icon (.ico) and
// cursor (.cur) files with 32-bit images, and 16-bit PCM wave files.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "raster.h"

namespace pelkrin::resgen {

using Bytes = std::vector<std::uint8_t>;

inline void PutU8(Bytes& out, unsigned v) { out.push_back(static_cast<std::uint8_t>(v)); }
inline void PutU16(Bytes& out, unsigned v) {
  PutU8(out, v & 0xFF);
  PutU8(out, (v >> 8) & 0xFF);
}
inline void PutU32(Bytes& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}
inline void PutTag(Bytes& out, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) PutU8(out, static_cast<unsigned char>(tag[i]));
}

// One pixel as an icon stores it: blue, green, red, alpha, colour NOT premultiplied.
struct Bgra {
  std::uint8_t b = 0, g = 0, r = 0, a = 0;
  bool operator==(const Bgra&) const = default;
};

inline std::uint8_t ToByte(float v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

// Undoes the premultiplication; a fully transparent pixel becomes all zero so that systems that
// ignore alpha and XOR the colour through the mask leave the screen untouched there.
inline Bgra ToBgra(Color c) {
  const std::uint8_t a = ToByte(c.a);
  if (a == 0) return {};
  const float k = 1.0f / c.a;
  return {ToByte(c.b * k), ToByte(c.g * k), ToByte(c.r * k), a};
}

// The 1-bit mask that systems without alpha support use: set (transparent) below half opacity.
inline bool MaskBit(Bgra p) { return p.a < 128; }

// The image data of one icon or cursor entry: a BITMAPINFOHEADER declaring twice the height,
// the colour rows bottom-up, then the mask rows bottom-up, each mask row padded to 32 bits.
inline Bytes EncodeDib(const Image& image) {
  const int w = image.width;
  const int h = image.height;
  const int mask_stride = (w + 31) / 32 * 4;
  const auto colour_bytes = static_cast<std::uint32_t>(w * h * 4);
  const auto mask_bytes = static_cast<std::uint32_t>(mask_stride * h);
  Bytes out;
  PutU32(out, 40);
  PutU32(out, static_cast<std::uint32_t>(w));
  PutU32(out, static_cast<std::uint32_t>(h * 2));
  PutU16(out, 1);   // planes
  PutU16(out, 32);  // bits per pixel
  PutU32(out, 0);   // BI_RGB
  PutU32(out, colour_bytes + mask_bytes);
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Bgra p = ToBgra(image.At(x, y));
      PutU8(out, p.b);
      PutU8(out, p.g);
      PutU8(out, p.r);
      PutU8(out, p.a);
    }
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(mask_stride), 0);
    for (int x = 0; x < w; ++x) {
      if (MaskBit(ToBgra(image.At(x, y)))) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

struct Hotspot {
  int x = 0;
  int y = 0;
};

// An icon directory (type 1) or, when hotspots are given, a cursor directory (type 2).
inline Bytes EncodeIconDirectory(const std::vector<Image>& images,
                                 const std::vector<Hotspot>* hotspots) {
  if (images.empty() || images.size() > 0xFFFF) throw std::invalid_argument("bad image count");
  if (hotspots && hotspots->size() != images.size()) throw std::invalid_argument("bad hotspots");
  std::vector<Bytes> dibs;
  for (const Image& image : images) {
    if (image.width < 1 || image.width > 256 || image.height < 1 || image.height > 256) {
      throw std::invalid_argument("icon images are 1 to 256 pixels wide and high");
    }
    dibs.push_back(EncodeDib(image));
  }
  Bytes out;
  PutU16(out, 0);
  PutU16(out, hotspots ? 2 : 1);
  PutU16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    PutU8(out, images[i].width & 0xFF);  // 256 is written as 0
    PutU8(out, images[i].height & 0xFF);
    PutU8(out, 0);  // not a palette image
    PutU8(out, 0);
    if (hotspots) {
      const Hotspot& h = (*hotspots)[i];
      if (h.x < 0 || h.y < 0 || h.x >= images[i].width || h.y >= images[i].height) {
        throw std::invalid_argument("hotspot outside the cursor");
      }
      PutU16(out, static_cast<unsigned>(h.x));
      PutU16(out, static_cast<unsigned>(h.y));
    } else {
      PutU16(out, 1);
      PutU16(out, 32);
    }
    PutU32(out, static_cast<std::uint32_t>(dibs[i].size()));
    PutU32(out, offset);
    offset += static_cast<std::uint32_t>(dibs[i].size());
  }
  for (const Bytes& dib : dibs) out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

inline Bytes EncodeIcon(const std::vector<Image>& images) {
  return EncodeIconDirectory(images, nullptr);
}

inline Bytes EncodeCursor(const std::vector<Image>& images, const std::vector<Hotspot>& hotspots) {
  return EncodeIconDirectory(images, &hotspots);
}

constexpr int kSampleRate = 22050;

// A mono 16-bit PCM wave file. Samples are -1..1 and are clipped to that range.
inline Bytes EncodeWav(const std::vector<float>& samples, int sample_rate = kSampleRate) {
  const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
  Bytes out;
  PutTag(out, "RIFF");
  PutU32(out, 36 + data_bytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 1);  // mono
  PutU32(out, static_cast<std::uint32_t>(sample_rate));
  PutU32(out, static_cast<std::uint32_t>(sample_rate * 2));  // bytes per second
  PutU16(out, 2);                                            // bytes per sample frame
  PutU16(out, 16);
  PutTag(out, "data");
  PutU32(out, data_bytes);
  for (float s : samples) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    PutU16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
  }
  return out;
}

}  // namespace pelkrin::resgen

#include "platform/gdi/dib_pixels.h"

#include <bit>

namespace gdi {

namespace {

// One channel of a bit-field pixel, widened to 0..255.
class Channel {
 public:
  explicit Channel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    bits_ = 32 - std::countl_zero(mask >> shift_);
  }
  bool present() const { return mask_ != 0; }
  std::uint32_t get(std::uint32_t pixel) const {
    if (mask_ == 0) return 0;
    const std::uint32_t x = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return (x >> (bits_ - 8)) & 0xFF;
    std::uint32_t r = 0;
    for (int s = 8 - bits_; s > -bits_; s -= bits_) r |= s >= 0 ? x << s : x >> -s;
    return r & 0xFF;
  }

 private:
  std::uint32_t mask_ = 0;
  int shift_ = 0;
  int bits_ = 0;
};

std::uint32_t rawPixel(const std::uint8_t* row, int x, int bitsPerPixel) {
  if (bitsPerPixel == 16) return std::uint32_t(row[2 * x]) | (std::uint32_t(row[2 * x + 1]) << 8);
  const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

}  // namespace

DibMasks impliedDibMasks(int bitsPerPixel, bool fourthByteMayBeAlpha) {
  if (bitsPerPixel == 16) return {0x7C00, 0x03E0, 0x001F, 0, false};
  const bool alpha = bitsPerPixel == 32 && fourthByteMayBeAlpha;
  return {0x00FF0000, 0x0000FF00, 0x000000FF, alpha ? 0xFF000000u : 0u, alpha};
}

bool readDibPixels(const DibRows& rows, const DibMasks& masks, std::uint32_t* out) {
  const Channel red(masks.red), green(masks.green), blue(masks.blue), alpha(masks.alpha);
  const bool hasAlphaChannel = rows.bitsPerPixel != 24 && alpha.present();
  bool anyAlpha = false;
  for (int y = 0; y < rows.height; ++y) {
    const int stored = rows.topDown ? y : rows.height - 1 - y;
    const std::uint8_t* row = rows.bits + rows.stride * static_cast<std::size_t>(stored);
    std::uint32_t* dst = out + static_cast<std::size_t>(y) * static_cast<std::size_t>(rows.width);
    for (int x = 0; x < rows.width; ++x) {
      if (rows.bitsPerPixel == 24) {
        dst[x] = 0xFF000000u | (std::uint32_t(row[3 * x + 2]) << 16) | (std::uint32_t(row[3 * x + 1]) << 8) |
                 row[3 * x];
        continue;
      }
      const std::uint32_t v = rawPixel(row, x, rows.bitsPerPixel);
      const std::uint32_t a = hasAlphaChannel ? alpha.get(v) : 0xFF;
      if (a != 0) anyAlpha = true;
      dst[x] = (a << 24) | (red.get(v) << 16) | (green.get(v) << 8) | blue.get(v);
    }
  }
  if (!hasAlphaChannel) return false;
  if (!anyAlpha && masks.alphaOnlyIfUsed) {
    const std::size_t count = static_cast<std::size_t>(rows.width) * static_cast<std::size_t>(rows.height);
    for (std::size_t i = 0; i < count; ++i) out[i] |= 0xFF000000u;
    return false;
  }
  return true;
}

}  // namespace gdi

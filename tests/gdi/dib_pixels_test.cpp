#include "platform/gdi/dib_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace gdi {
namespace {

struct Case {
  const char* what;
  int bitsPerPixel;
  DibMasks masks;
  int width, height;
  bool topDown;
  std::vector<std::uint8_t> bits;  // rows padded to four bytes
  std::vector<std::uint32_t> want;  // top row first
  bool wantAlpha;
};

const DibMasks kRgb32 = impliedDibMasks(32, false);
const DibMasks kArgb32 = impliedDibMasks(32, true);
const DibMasks kRgb555 = impliedDibMasks(16, false);

TEST(DibPixels, ReadsEveryDepthAndTheAlphaRule) {
  const Case cases[] = {
      {"32 bits, reserved fourth byte", 32, kRgb32, 2, 1, false, {1, 2, 3, 0, 4, 5, 6, 77},
       {0xFF030201, 0xFF060504}, false},
      {"32 bits, alpha in the fourth byte", 32, kArgb32, 2, 1, false, {1, 2, 3, 0, 4, 5, 6, 0x80},
       {0x00030201, 0x80060504}, true},
      {"32 bits, fourth byte 0 everywhere is opaque", 32, kArgb32, 2, 1, false, {1, 2, 3, 0, 4, 5, 6, 0},
       {0xFF030201, 0xFF060504}, false},
      {"32 bits, bit fields with an alpha mask", 32, DibMasks{0xFF00, 0xFF0000, 0xFF000000, 0xFF}, 1, 1, false,
       {0x40, 0x30, 0x20, 0x10}, {0x40302010}, true},
      // The header's word stands: a fully transparent picture stays one.
      {"32 bits, bit fields with an alpha mask, alpha 0", 32, DibMasks{0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 1, 1,
       false, {0x10, 0x20, 0x30, 0}, {0x00302010}, true},
      {"32 bits, bit fields without an alpha mask", 32, DibMasks{0xFF0000, 0xFF00, 0xFF, 0}, 1, 1, false,
       {0x10, 0x20, 0x30, 0x40}, {0xFF302010}, false},
      // Red 31, green 16, blue 3 widen to 255, 132 and 24 by repeating their bits.
      {"16 bits 5-5-5", 16, kRgb555, 1, 1, false, {0x03, 0x7E, 0, 0},
       {0xFF000000u | (255u << 16) | (132u << 8) | 24u}, false},
      {"16 bits with a one-bit alpha", 16, DibMasks{0x7C00, 0x03E0, 0x001F, 0x8000}, 2, 1, false,
       {0x1F, 0x80, 0x1F, 0x00}, {0xFF0000FF, 0x000000FF}, true},
      {"24 bits, bottom-up, padded rows", 24, kRgb32, 1, 2, false, {1, 2, 3, 0, 4, 5, 6, 0},
       {0xFF060504, 0xFF030201}, false},
      {"32 bits, top-down", 32, kRgb32, 1, 2, true, {1, 2, 3, 0, 4, 5, 6, 0}, {0xFF030201, 0xFF060504}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t stride = ((std::size_t(c.width) * std::size_t(c.bitsPerPixel) + 31) / 32) * 4;
    ASSERT_EQ(c.bits.size(), stride * std::size_t(c.height));
    std::vector<std::uint32_t> out(std::size_t(c.width) * std::size_t(c.height), 0x12345678);
    const DibRows rows{c.bits.data(), stride, c.width, c.height, c.bitsPerPixel, c.topDown};
    EXPECT_EQ(readDibPixels(rows, c.masks, out.data()), c.wantAlpha);
    EXPECT_EQ(out, c.want);
  }
}

}  // namespace
}  // namespace gdi

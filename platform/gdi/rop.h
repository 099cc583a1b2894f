#pragma once
// Ternary raster operations: the low word is the platform's operation code,
// bits 16..23 the truth table indexed by (pattern << 2 | source << 1 | dest).
#include <cstdint>

#include "platform/gdi/types.h"

namespace gdi {

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr DWORD NOMIRRORBITMAP = 0x80000000;
constexpr DWORD CAPTUREBLT = 0x40000000;

// MaskBlt's four-operand code: the foreground ROP where the mask is 1, the
// background ROP where it is 0.
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) {
  return ((back << 8) & 0xFF000000u) | fore;
}

// The truth-table byte of a ROP3 code.
constexpr std::uint8_t Rop3Index(DWORD rop) { return std::uint8_t((rop >> 16) & 0xFF); }
constexpr bool RopUsesSource(DWORD rop) {
  const std::uint8_t t = Rop3Index(rop);
  return ((t >> 2) & 0x33) != (t & 0x33);
}
constexpr bool RopUsesPattern(DWORD rop) {
  const std::uint8_t t = Rop3Index(rop);
  return ((t >> 4) & 0x0F) != (t & 0x0F);
}

// Applies a truth table bitwise to 32-bit words.
constexpr std::uint32_t EvalRop3(std::uint8_t table, std::uint32_t p, std::uint32_t s,
                                 std::uint32_t d) {
  std::uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (table & (1u << i)) {
      r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
  }
  return r;
}

// ROP2 (pen/brush mixes): R2_x - 1 is a truth table indexed by
// (pen << 1 | dest).
constexpr std::uint32_t EvalRop2(int rop2, std::uint32_t p, std::uint32_t d) {
  const unsigned t = unsigned(rop2 - 1) & 15;
  std::uint32_t r = 0;
  if (t & 1) r |= ~p & ~d;
  if (t & 2) r |= ~p & d;
  if (t & 4) r |= p & ~d;
  if (t & 8) r |= p & d;
  return r;
}

}  // namespace gdi

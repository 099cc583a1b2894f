#pragma once
// The one reader of true-colour DIB rows (16, 24 and 32 bits a pixel), shared
// by the bitmap and icon codecs and the clipboard's CF_DIB, so that a DIB
// shows the same picture whichever way it arrives.
#include <cstddef>
#include <cstdint>

namespace gdi {

// Where each channel sits in a 16- or 32-bit pixel; a zero mask is a channel
// the pixels do not have.
struct DibMasks {
  std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
  // The alpha channel is a convention of the container, not the header's
  // word: a picture whose alpha is 0 everywhere did not use it (GDI leaves
  // that byte 0) and is opaque. An alpha mask from the header is taken as
  // it stands.
  bool alphaOnlyIfUsed = false;
};

// The masks of a DIB without bit fields: 5-5-5 for 16 bits, 8-8-8 for 24 and
// 32. The fourth byte of a 32-bit pixel is reserved in a bitmap file; icons
// and the clipboard's DIBs keep alpha there when they use it
// (`fourthByteMayBeAlpha`).
DibMasks impliedDibMasks(int bitsPerPixel, bool fourthByteMayBeAlpha);

struct DibRows {
  const std::uint8_t* bits = nullptr;  // the first row stored
  std::size_t stride = 0;              // bytes from one stored row to the next
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;  // 16, 24 or 32
  bool topDown = false;   // the first row stored is the picture's top row
};

// Reads the rows (which the caller has checked are all there) into `out`,
// width x height ARGB pixels, top row first. A channel narrower than 8 bits
// widens by repeating its bits (5-bit 31 -> 255, 16 -> 132). Returns whether
// the picture has alpha (false when an `alphaOnlyIfUsed` channel is 0
// everywhere: the pixels then come out opaque).
bool readDibPixels(const DibRows& rows, const DibMasks& masks, std::uint32_t* out);

}  // namespace gdi

// Any image file, as loading a picture reads it: the format is recognised
// from the first bytes and the matching reader decodes it (for PNG, after the
// check of whether the file carries transparency).
//
// Promises checked: the reader is the one the first bytes name; every frame
// is a whole raster within the pixel limit; a file whose pixels are not all
// opaque says it carries transparency, since the picture is otherwise shown
// with its alpha dropped.
#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace codecs = gdiplus::codecs;
  codecs::DecodeOptions options;
  options.maxPixels = 1u << 20;
  const codecs::ByteView bytes(data, size);
  try {
    const codecs::DecodedImage image = codecs::decode(bytes, options);
    if (image.format != codecs::detectFormat(bytes) || image.frames.empty()) __builtin_trap();
    if (image.delays.size() != image.frames.size()) __builtin_trap();
    std::uint64_t pixels = 0;
    bool translucent = false;
    for (const codecs::Raster& frame : image.frames) {
      if (frame.width <= 0 || frame.height <= 0) __builtin_trap();
      if (frame.pixels.size() != std::size_t(frame.width) * std::size_t(frame.height)) __builtin_trap();
      pixels += frame.pixels.size();
      translucent = translucent || frame.hasAlpha();
    }
    if (pixels > options.maxPixels) __builtin_trap();
    if (translucent && !image.hasAlpha) __builtin_trap();
  } catch (const gdiplus::GpException&) {
  }
  return 0;
}

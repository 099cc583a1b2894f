// Fuzzes the reader of JPEG files through libjpeg and our error handling.
// Any input must either decode or throw GpException; a smaller pixel limit
// than the default keeps each run's memory modest.
#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gdiplus::codecs::DecodeOptions options;
  options.maxPixels = 4u * 1024 * 1024;
  try {
    const gdiplus::codecs::DecodedImage image = gdiplus::codecs::decodeJpeg({data, size}, options);
    volatile std::uint32_t sink = 0;
    for (const auto& frame : image.frames)
      if (!frame.pixels.empty()) sink = sink + frame.pixels.back();
  } catch (const gdiplus::GpException&) {
  }
  return 0;
}

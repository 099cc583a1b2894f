// libFuzzer target: the PNG reader must refuse any input cleanly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gdi/png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gdi::ImageBGRA image;
  std::string error;
  // A small pixel limit keeps each run fast and still exercises the check.
  if (gdi::TryReadPng(data, size, image, &error, std::uint64_t(1) << 22)) {
    if (image.pixels.size() != std::size_t(image.width) * std::size_t(image.height)) __builtin_trap();
  }
  return 0;
}

// PNG through the GDI layer's libpng code. Here only what that does not say:
// the status a failure maps to, the pixel limit before any decoding, and
// whether the file carries transparency.
#include <string>

#include "platform/gdi/png.h"
#include "platform/gdiplus/codecs/codec_util.h"

namespace gdiplus::codecs {
namespace {

constexpr const char* kPngFmt = "PNG";

std::uint32_t be32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Colour types 4 and 6 have alpha; any type may add a tRNS chunk.
bool declaresAlpha(ByteView data) {
  if (data.size() > 25 && (data[25] == 4 || data[25] == 6)) return true;
  std::size_t p = 8;
  while (p + 8 <= data.size()) {
    const std::uint32_t length = be32(&data[p]);
    if (std::string(reinterpret_cast<const char*>(&data[p + 4]), 4) == "tRNS") return true;
    if (std::string(reinterpret_cast<const char*>(&data[p + 4]), 4) == "IDAT") return false;
    if (length > data.size() - p - 8) return false;
    p += 12 + static_cast<std::size_t>(length);
  }
  return false;
}

}  // namespace

DecodedImage decodePng(ByteView data, const DecodeOptions& options) {
  if (detectFormat(data) != FileFormat::Png) fail(UnknownImageFormat, "not a PNG file");
  ByteReader r(data, kPngFmt);
  r.need(8, 25, "IHDR chunk");
  if (std::string(reinterpret_cast<const char*>(&data[12]), 4) != "IHDR") failCorrupt(kPngFmt, "first chunk is not IHDR");
  checkPixelCount(kPngFmt, be32(&data[16]), be32(&data[20]), options);

  gdi::ImageBGRA image;
  std::string error;
  if (!gdi::TryReadPng(data.data(), data.size(), image, &error, options.maxPixels)) failCorrupt(kPngFmt, error);
  DecodedImage out;
  out.format = FileFormat::Png;
  out.hasAlpha = declaresAlpha(data);
  out.bitsPerPixel = out.hasAlpha ? 32 : 24;
  Raster raster;
  raster.width = image.width;
  raster.height = image.height;
  raster.pixels = std::move(image.pixels);
  out.frames.push_back(std::move(raster));
  out.delays.push_back(0);
  return out;
}

Bytes encodePng(const Raster& image) {
  checkWritable(image, kPngFmt);
  gdi::ImageBGRA copy;
  copy.width = image.width;
  copy.height = image.height;
  copy.pixels = image.pixels;
  try {
    // Opaque images are written without an alpha channel.
    return gdi::WritePng(copy, gdi::PngWriteOptions{image.hasAlpha()});
  } catch (const rtl::Exception& e) {
    fail(GenericError, std::string("PNG writing failed: ") + e.what());
  }
}

}  // namespace gdiplus::codecs

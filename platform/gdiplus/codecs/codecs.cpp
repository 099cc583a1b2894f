// What all formats share: the raster, recognition, dispatch and size checks.
#include <cstring>

#include "platform/gdiplus/codecs/codec_util.h"

namespace gdiplus::codecs {

Raster::Raster(int w, int h, std::uint32_t fill)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

bool Raster::hasAlpha() const {
  for (std::uint32_t p : pixels)
    if ((p >> 24) != 0xFF) return true;
  return false;
}

const char* formatName(FileFormat format) {
  switch (format) {
    case FileFormat::Bmp: return "BMP";
    case FileFormat::Ico: return "ICO";
    case FileFormat::Png: return "PNG";
    case FileFormat::Jpeg: return "JPEG";
    case FileFormat::Gif: return "GIF";
    case FileFormat::Tiff: return "TIFF";
    case FileFormat::Unknown: break;
  }
  return "unknown";
}

FileFormat detectFormat(ByteView d) {
  auto starts = [&](std::initializer_list<std::uint8_t> sig) {
    return d.size() >= sig.size() && std::memcmp(d.data(), sig.begin(), sig.size()) == 0;
  };
  if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return FileFormat::Png;
  if (starts({0xFF, 0xD8, 0xFF})) return FileFormat::Jpeg;
  if (starts({'G', 'I', 'F', '8', '7', 'a'}) || starts({'G', 'I', 'F', '8', '9', 'a'})) return FileFormat::Gif;
  if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42})) return FileFormat::Tiff;
  if (starts({'B', 'M'})) return FileFormat::Bmp;
  // Icons: reserved 0, type 1, at least one entry.
  if (d.size() >= 6 && d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0 && (d[4] | d[5]) != 0)
    return FileFormat::Ico;
  return FileFormat::Unknown;
}

DecodedImage decode(ByteView data, const DecodeOptions& options) {
  switch (detectFormat(data)) {
    case FileFormat::Bmp: return decodeBmp(data, options);
    case FileFormat::Ico: return decodeIco(data, options);
    case FileFormat::Png: return decodePng(data, options);
    case FileFormat::Jpeg: return decodeJpeg(data, options);
    case FileFormat::Gif: return decodeGif(data, options);
    case FileFormat::Tiff: return decodeTiff(data, options);
    case FileFormat::Unknown: break;
  }
  fail(UnknownImageFormat, "the data is not an image of a known format");
}

void failTruncated(const char* format, const char* what) {
  fail(InvalidParameter, std::string(format) + " data is truncated (" + what + ")");
}

void failCorrupt(const char* format, const std::string& why) {
  fail(InvalidParameter, std::string(format) + " data is malformed: " + why);
}

void checkPixelCount(const char* format, std::int64_t width, std::int64_t height, const DecodeOptions& options,
                     std::uint64_t alreadyUsed) {
  if (width <= 0 || height <= 0)
    failCorrupt(format, "image size " + std::to_string(width) + " x " + std::to_string(height));
  const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (pixels > options.maxPixels || alreadyUsed > options.maxPixels - pixels)
    fail(OutOfMemory, std::string(format) + " image of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels passes the limit of " + std::to_string(options.maxPixels) + " pixels");
}

void checkWritable(const Raster& image, const char* format) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    fail(InvalidParameter, std::string("cannot write an empty or inconsistent raster as ") + format);
}

std::uint32_t premultiply(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return 0;
  auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) | mul(p & 0xFF);
}

std::uint32_t unpremultiply(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return 0;
  auto div = [a](std::uint32_t c) {
    const std::uint32_t v = (c * 255 + a / 2) / a;
    return v > 255 ? 255u : v;
  };
  return (a << 24) | (div((p >> 16) & 0xFF) << 16) | (div((p >> 8) & 0xFF) << 8) | div(p & 0xFF);
}

}  // namespace gdiplus::codecs

// Windows icons: a directory of entries, each a PNG file or a DIB with an
// AND mask. The reader shows the largest, deepest entry, as a viewer would.
#include "platform/gdiplus/codecs/codec_util.h"

namespace gdiplus::codecs {
namespace {
constexpr const char* kIcoFmt = "ICO";
}

DecodedImage decodeIco(ByteView data, const DecodeOptions& options) {
  ByteReader r(data, kIcoFmt);
  r.need(0, 6, "directory header");
  if (r.u16(0, "reserved") != 0 || r.u16(2, "type") != 1) fail(UnknownImageFormat, "not an ICO file");
  const int count = r.u16(4, "entry count");
  if (count == 0) failCorrupt(kIcoFmt, "no entries");
  r.need(6, static_cast<std::size_t>(count) * 16, "directory entries");

  int best = -1;
  std::int64_t bestScore = -1;
  for (int i = 0; i < count; ++i) {
    const std::size_t e = 6 + static_cast<std::size_t>(i) * 16;
    const int w = data[e] ? data[e] : 256, h = data[e + 1] ? data[e + 1] : 256;
    const std::int64_t score = static_cast<std::int64_t>(w) * h * 64 + r.u16(e + 6, "bit count");
    if (score > bestScore) bestScore = score, best = i;
  }
  const std::size_t e = 6 + static_cast<std::size_t>(best) * 16;
  const std::uint32_t size = r.u32(e + 8, "entry size");
  const std::uint32_t offset = r.u32(e + 12, "entry offset");
  if (offset < 6 + static_cast<std::size_t>(count) * 16) failCorrupt(kIcoFmt, "entry overlaps the directory");
  const ByteView entry = r.view(offset, size, "entry data");

  DecodedImage out;
  if (detectFormat(entry) == FileFormat::Png) {
    out = decodePng(entry, options);
  } else {
    DibResult dib = decodeDib(entry, 0, 0, false, true, options);
    out.hasAlpha = dib.hasAlpha;
    out.bitsPerPixel = dib.bitsPerPixel;
    out.frames.push_back(std::move(dib.raster));
    out.delays.push_back(0);
  }
  out.format = FileFormat::Ico;
  out.hasAlpha = true;  // icons are always shown with their transparency
  out.bitsPerPixel = 32;
  return out;
}

Bytes encodeIco(const Raster& image) {
  checkWritable(image, kIcoFmt);
  if (image.width > 256 || image.height > 256) fail(InvalidParameter, "icon sides are at most 256 pixels");
  const std::uint32_t andStride = ((image.width + 31) / 32) * 4;
  const std::uint32_t bitsSize = static_cast<std::uint32_t>(image.width) * image.height * 4;
  const std::uint32_t entrySize = 40 + bitsSize + andStride * image.height;
  Bytes out;
  putU16(out, 0);
  putU16(out, 1);
  putU16(out, 1);
  out.push_back(static_cast<std::uint8_t>(image.width & 0xFF));
  out.push_back(static_cast<std::uint8_t>(image.height & 0xFF));
  out.push_back(0);
  out.push_back(0);
  putU16(out, 1);
  putU16(out, 32);
  putU32(out, entrySize);
  putU32(out, 22);
  putU32(out, 40);
  putU32(out, static_cast<std::uint32_t>(image.width));
  putU32(out, static_cast<std::uint32_t>(image.height * 2));
  putU16(out, 1);
  putU16(out, 32);
  putU32(out, 0);
  putU32(out, bitsSize + andStride * image.height);
  putU32(out, 0);
  putU32(out, 0);
  putU32(out, 0);
  putU32(out, 0);
  for (int y = image.height - 1; y >= 0; --y)
    for (int x = 0; x < image.width; ++x) putU32(out, image.at(x, y));
  for (int y = image.height - 1; y >= 0; --y) {
    Bytes row(andStride, 0);
    for (int x = 0; x < image.width; ++x)
      if ((image.at(x, y) >> 24) == 0) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace gdiplus::codecs

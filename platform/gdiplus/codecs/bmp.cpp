// Windows bitmaps: core, info, V4 and V5 headers; 1/4/8/16/24/32 bits;
// BI_RGB, BI_BITFIELDS, BI_ALPHABITFIELDS, RLE8 and RLE4; bottom-up and
// top-down rows. Also the DIB reader that icon entries share.
#include <algorithm>
#include <map>

#include "platform/gdi/dib_pixels.h"
#include "platform/gdiplus/codecs/codec_util.h"

namespace gdiplus::codecs {
namespace {

constexpr const char* kFmt = "BMP";
constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5,
                        BI_ALPHABITFIELDS = 6;

double dpiFromPpm(std::int32_t ppm) { return ppm > 0 ? ppm * 0.0254 : 96.0; }

// RLE8/RLE4 into palette indexes; pixels the stream skips stay unset.
void decodeRle(const ByteReader& r, std::size_t start, std::size_t end, int bpp, int width, int height,
               std::vector<std::uint8_t>& index, std::vector<std::uint8_t>& set) {
  std::size_t p = start;
  int x = 0, y = 0;  // y counts file rows from the bottom
  auto put = [&](std::uint8_t v) {
    if (x < width && y < height) {
      const std::size_t at = static_cast<std::size_t>(height - 1 - y) * width + x;
      index[at] = v;
      set[at] = 1;
    }
    ++x;
  };
  auto byte = [&]() -> std::uint8_t {
    if (p >= end) failTruncated(kFmt, "run-length data without end marker");
    return r.u8(p++, "run-length data");
  };
  while (y < height) {
    const std::uint8_t count = byte();
    const std::uint8_t value = byte();
    if (count > 0) {
      for (int i = 0; i < count && x < width; ++i)
        put(bpp == 8 ? value : static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta
      x += byte();
      y += byte();
    } else {  // absolute run of `value` pixels, padded to a word
      const int n = value;
      const std::size_t bytes = bpp == 8 ? n : (n + 1) / 2;
      if (end - std::min(p, end) < bytes) failTruncated(kFmt, "absolute run");
      for (int i = 0; i < n; ++i) {
        const std::uint8_t b = r.u8(p + (bpp == 8 ? i : i / 2), "absolute run");
        put(bpp == 8 ? b : static_cast<std::uint8_t>(i % 2 == 0 ? b >> 4 : b & 0x0F));
      }
      p += bytes + (bytes & 1);
    }
  }
}

}  // namespace

DibResult decodeDib(ByteView data, std::size_t h, std::size_t bitsOffset, bool bitsOffsetKnown, bool iconEntry,
                    const DecodeOptions& options) {
  ByteReader r(data, kFmt);
  const std::uint32_t hsize = r.u32(h, "bitmap header");
  std::int64_t width = 0, height = 0;
  int bpp = 0, planes = 0;
  std::uint32_t compression = BI_RGB, clrUsed = 0, sizeImage = 0;
  std::int32_t xppm = 0, yppm = 0;
  const bool core = hsize == 12;
  if (core) {
    r.need(h, 12, "bitmap core header");
    width = r.u16(h + 4, "width");
    height = r.u16(h + 6, "height");
    planes = r.u16(h + 8, "planes");
    bpp = r.u16(h + 10, "bit count");
  } else if (hsize == 40 || hsize == 52 || hsize == 56 || hsize == 64 || hsize == 108 || hsize == 124) {
    r.need(h, hsize, "bitmap info header");
    width = r.i32(h + 4, "width");
    height = r.i32(h + 8, "height");
    planes = r.u16(h + 12, "planes");
    bpp = r.u16(h + 14, "bit count");
    compression = r.u32(h + 16, "compression");
    sizeImage = r.u32(h + 20, "image size");
    xppm = r.i32(h + 24, "resolution");
    yppm = r.i32(h + 28, "resolution");
    clrUsed = r.u32(h + 32, "colours used");
  } else {
    failCorrupt(kFmt, "unknown header size " + std::to_string(hsize));
  }
  if (planes != 1) failCorrupt(kFmt, "plane count " + std::to_string(planes));
  if (height == INT32_MIN) failCorrupt(kFmt, "height");
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (iconEntry) {
    if (topDown) failCorrupt(kFmt, "top-down icon bitmap");
    height /= 2;
  }
  if (compression == BI_JPEG || compression == BI_PNG)
    fail(UnknownImageFormat, "BMP with embedded JPEG or PNG data is not supported");
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  const bool fields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
  if (compression > BI_ALPHABITFIELDS) failCorrupt(kFmt, "compression " + std::to_string(compression));
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    failCorrupt(kFmt, "bit count " + std::to_string(bpp));
  if ((compression == BI_RLE8 && bpp != 8) || (compression == BI_RLE4 && bpp != 4) ||
      (fields && bpp != 16 && bpp != 32) || (core && (compression != BI_RGB || bpp > 24)))
    failCorrupt(kFmt, "compression " + std::to_string(compression) + " with " + std::to_string(bpp) + " bits");
  if (rle && topDown) failCorrupt(kFmt, "top-down run-length bitmap");
  checkPixelCount(kFmt, width, height, options);

  // Masks: inside V2+ headers, else right after a 40-byte header.
  std::size_t pos = h + hsize;
  // Icons may keep alpha in the fourth byte of a 32-bit pixel; a bitmap
  // file leaves it reserved unless its bit fields say otherwise.
  gdi::DibMasks masks = gdi::impliedDibMasks(bpp, iconEntry);
  if (fields) {
    std::uint32_t m[4] = {0, 0, 0, 0};
    const bool inHeader = hsize >= 52;
    const std::size_t at = inHeader ? h + 40 : pos;
    const int count = (compression == BI_ALPHABITFIELDS || (inHeader && hsize >= 56)) ? 4 : 3;
    for (int i = 0; i < count; ++i) m[i] = r.u32(at + 4 * i, "colour masks");
    if (!inHeader) pos += 4 * count;
    // An icon whose alpha is 0 everywhere predates alpha: its AND mask rules.
    masks = gdi::DibMasks{m[0], m[1], m[2], m[3], iconEntry};
  }

  // Palette.
  std::vector<std::uint32_t> palette;
  const std::size_t entrySize = core ? 3 : 4;
  std::uint64_t stored = clrUsed;
  if (bpp <= 8) {
    const std::uint32_t maxEntries = 1u << bpp;
    if (stored == 0) stored = maxEntries;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(stored, maxEntries));
    r.need(pos, n * entrySize, "palette");
    palette.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t* e = r.ptr(pos + i * entrySize);
      palette[i] = 0xFF000000u | (e[2] << 16) | (e[1] << 8) | e[0];
    }
  }
  if (!bitsOffsetKnown) {
    const std::uint64_t skip = stored * entrySize;
    if (skip > data.size()) failTruncated(kFmt, "palette");
    bitsOffset = pos + static_cast<std::size_t>(skip);
  }
  if (bitsOffset > data.size()) failTruncated(kFmt, "pixel data offset");

  DibResult out;
  out.bitsPerPixel = bpp;
  out.dpiX = dpiFromPpm(xppm);
  out.dpiY = dpiFromPpm(yppm);
  const int w = static_cast<int>(width), hgt = static_cast<int>(height);
  Raster& img = out.raster;
  img = Raster(w, hgt, 0xFF000000u);
  auto colour = [&](std::size_t i) { return i < palette.size() ? palette[i] : 0xFF000000u; };

  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bpp + 31) / 32) * 4;
  if (rle) {
    std::size_t end = data.size();
    if (sizeImage != 0 && sizeImage <= data.size() - bitsOffset) end = bitsOffset + sizeImage;
    std::vector<std::uint8_t> index(img.pixels.size(), 0), set(img.pixels.size(), 0);
    decodeRle(r, bitsOffset, end, bpp, w, hgt, index, set);
    for (std::size_t i = 0; i < index.size(); ++i) {
      img.pixels[i] = set[i] ? colour(index[i]) : 0;
      if (!set[i]) out.hasAlpha = true;  // skipped pixels are transparent
    }
    return out;
  }

  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bpp + 7) / 8;
  if (stride * (height - 1) + rowBytes > data.size() - bitsOffset) failTruncated(kFmt, "pixel rows");
  if (bpp > 8) {
    const gdi::DibRows rows{r.ptr(bitsOffset), static_cast<std::size_t>(stride), w, hgt, bpp, topDown};
    out.hasAlpha = gdi::readDibPixels(rows, masks, img.pixels.data());
  } else {
    for (int y = 0; y < hgt; ++y) {
      const int fileRow = topDown ? y : hgt - 1 - y;
      const std::uint8_t* row = r.ptr(bitsOffset + static_cast<std::size_t>(stride * fileRow));
      std::uint32_t* dst = img.row(y);
      for (int x = 0; x < w; ++x) {
        switch (bpp) {
          case 1: dst[x] = colour((row[x >> 3] >> (7 - (x & 7))) & 1); break;
          case 4: dst[x] = colour((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F); break;
          default: dst[x] = colour(row[x]); break;
        }
      }
    }
  }

  if (iconEntry && !out.hasAlpha) {
    // The AND mask: 1 = transparent. Entries that leave it out stay opaque.
    const std::uint64_t andStride = ((static_cast<std::uint64_t>(width) + 31) / 32) * 4;
    const std::uint64_t andStart = bitsOffset + stride * height;
    const std::uint64_t andRow = (static_cast<std::uint64_t>(width) + 7) / 8;
    if (andStart <= data.size() && andStride * (height - 1) + andRow <= data.size() - andStart) {
      for (int y = 0; y < hgt; ++y) {
        const std::uint8_t* row = r.ptr(static_cast<std::size_t>(andStart + andStride * (hgt - 1 - y)));
        for (int x = 0; x < w; ++x)
          if ((row[x >> 3] >> (7 - (x & 7))) & 1) {
            img.at(x, y) = 0;
            out.hasAlpha = true;
          }
      }
    } else {
      failTruncated("ICO", "AND mask");
    }
  }
  return out;
}

DecodedImage decodeBmp(ByteView data, const DecodeOptions& options) {
  ByteReader r(data, kFmt);
  r.need(0, 14, "file header");
  if (data[0] != 'B' || data[1] != 'M') fail(UnknownImageFormat, "not a BMP file");
  const std::uint32_t offBits = r.u32(10, "pixel data offset");
  DibResult dib = decodeDib(data, 14, offBits, offBits != 0, false, options);
  DecodedImage out;
  out.format = FileFormat::Bmp;
  out.hasAlpha = dib.hasAlpha;
  out.bitsPerPixel = dib.bitsPerPixel;
  out.dpiX = dib.dpiX;
  out.dpiY = dib.dpiY;
  out.frames.push_back(std::move(dib.raster));
  out.delays.push_back(0);
  return out;
}

namespace {

// Distinct opaque colours of the raster, for palette output.
std::vector<std::uint32_t> paletteOf(const Raster& image, int bpp) {
  std::map<std::uint32_t, int> seen;
  std::vector<std::uint32_t> palette;
  const std::size_t limit = std::size_t{1} << bpp;
  for (std::uint32_t p : image.pixels) {
    const std::uint32_t c = p & 0xFFFFFF;
    if (seen.emplace(c, static_cast<int>(palette.size())).second) {
      if (palette.size() == limit)
        fail(InvalidParameter, "the image has more colours than a " + std::to_string(bpp) + "-bit BMP holds");
      palette.push_back(c);
    }
  }
  return palette;
}

}  // namespace

Bytes encodeBmp(const Raster& image, const BmpWriteOptions& options) {
  checkWritable(image, kFmt);
  const bool alpha = image.hasAlpha();
  int bpp = options.bitsPerPixel;
  const bool v5 = bpp == 0 && alpha;
  if (bpp == 0) bpp = alpha ? 32 : 24;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    fail(InvalidParameter, "BMP cannot be written with " + std::to_string(bpp) + " bits per pixel");
  std::vector<std::uint32_t> palette;
  if (bpp <= 8) palette = paletteOf(image, bpp);
  std::map<std::uint32_t, std::uint32_t> indexOf;
  for (std::size_t i = 0; i < palette.size(); ++i) indexOf[palette[i]] = static_cast<std::uint32_t>(i);

  const std::uint32_t hsize = v5 ? 124 : 40;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(image.width) * bpp + 31) / 32) * 4;
  const std::uint64_t bitsSize = stride * image.height;
  const std::uint64_t offBits = 14 + hsize + palette.size() * 4;
  if (offBits + bitsSize > 0xFFFFFFFFull) fail(ValueOverflow, "image too large for a BMP file");
  Bytes out;
  out.reserve(static_cast<std::size_t>(offBits + bitsSize));
  out.push_back('B');
  out.push_back('M');
  putU32(out, static_cast<std::uint32_t>(offBits + bitsSize));
  putU32(out, 0);
  putU32(out, static_cast<std::uint32_t>(offBits));
  putU32(out, hsize);
  putU32(out, static_cast<std::uint32_t>(image.width));
  putU32(out, static_cast<std::uint32_t>(options.topDown ? -image.height : image.height));
  putU16(out, 1);
  putU16(out, static_cast<std::uint32_t>(bpp));
  putU32(out, v5 ? BI_BITFIELDS : BI_RGB);
  putU32(out, static_cast<std::uint32_t>(bitsSize));
  putU32(out, 3780);  // 96 dpi
  putU32(out, 3780);
  putU32(out, static_cast<std::uint32_t>(palette.size()));
  putU32(out, 0);
  if (v5) {
    putU32(out, 0x00FF0000);
    putU32(out, 0x0000FF00);
    putU32(out, 0x000000FF);
    putU32(out, 0xFF000000);
    putU32(out, 0x73524742);  // 'sRGB'
    out.insert(out.end(), 36 + 12, 0);  // endpoints, gamma
    putU32(out, 4);  // LCS_GM_IMAGES
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
  }
  for (std::uint32_t c : palette) putU32(out, c);
  for (int fy = 0; fy < image.height; ++fy) {
    const int y = options.topDown ? fy : image.height - 1 - fy;
    const std::size_t rowStart = out.size();
    const std::uint32_t* src = image.row(y);
    switch (bpp) {
      case 1:
      case 4:
      case 8: {
        std::uint32_t acc = 0;
        int filled = 0;
        for (int x = 0; x < image.width; ++x) {
          acc = (acc << bpp) | indexOf[src[x] & 0xFFFFFF];
          filled += bpp;
          if (filled == 8) {
            out.push_back(static_cast<std::uint8_t>(acc));
            acc = 0;
            filled = 0;
          }
        }
        if (filled) out.push_back(static_cast<std::uint8_t>(acc << (8 - filled)));
        break;
      }
      case 16:
        for (int x = 0; x < image.width; ++x) {
          const std::uint32_t p = src[x];
          putU16(out, ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F));
        }
        break;
      case 24:
        for (int x = 0; x < image.width; ++x) {
          out.push_back(static_cast<std::uint8_t>(src[x]));
          out.push_back(static_cast<std::uint8_t>(src[x] >> 8));
          out.push_back(static_cast<std::uint8_t>(src[x] >> 16));
        }
        break;
      default:
        for (int x = 0; x < image.width; ++x) putU32(out, src[x]);
    }
    out.resize(rowStart + static_cast<std::size_t>(stride), 0);
  }
  return out;
}

}  // namespace gdiplus::codecs

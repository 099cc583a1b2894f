#pragma once
// Image file formats over a plain in-memory raster. Every reader takes the
// whole file as bytes, checks each size and count against what the bytes
// hold and against a pixel limit, and throws GpException (status + message)
// on anything it cannot read; nothing is read past the end of the input.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace gdiplus::codecs {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// 32-bit pixels 0xAARRGGBB (bytes B, G, R, A in memory), rows top-down, no
// padding. Alpha is STRAIGHT (not premultiplied) everywhere in this folder:
// the file formats store it so, and round trips stay exact.
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Raster() = default;
  Raster(int w, int h, std::uint32_t fill = 0);
  std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
  const std::uint32_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
  bool hasAlpha() const;  // some pixel is not fully opaque
  bool operator==(const Raster&) const = default;
};

enum class FileFormat { Unknown, Bmp, Ico, Png, Jpeg, Gif, Tiff };
const char* formatName(FileFormat format);

// Recognises a file by its first bytes.
FileFormat detectFormat(ByteView data);

struct DecodeOptions {
  // Largest number of pixels a reader will allocate, summed over frames.
  std::uint64_t maxPixels = 64ull * 1024 * 1024;
};

// A decoded file: one raster per frame (GIF: each frame composed onto the
// logical screen as it is shown; TIFF: each page), all of one size for GIF.
struct DecodedImage {
  FileFormat format = FileFormat::Unknown;
  std::vector<Raster> frames;
  std::vector<std::uint32_t> delays;  // per frame, hundredths of a second (GIF)
  int loopCount = -1;                 // GIF: -1 when the file says nothing, 0 = for ever
  bool hasAlpha = false;              // the file carries transparency
  int bitsPerPixel = 32;              // of the file's pixels (reported pixel format)
  double dpiX = 96, dpiY = 96;
};

DecodedImage decode(ByteView data, const DecodeOptions& options = {});

DecodedImage decodeBmp(ByteView data, const DecodeOptions& options = {});
DecodedImage decodeIco(ByteView data, const DecodeOptions& options = {});
DecodedImage decodePng(ByteView data, const DecodeOptions& options = {});
DecodedImage decodeJpeg(ByteView data, const DecodeOptions& options = {});
DecodedImage decodeGif(ByteView data, const DecodeOptions& options = {});
DecodedImage decodeTiff(ByteView data, const DecodeOptions& options = {});

struct BmpWriteOptions {
  // 0 = 32-bit with an alpha mask when the raster has alpha, else 24-bit.
  // 1, 4, 8 write a palette of the raster's colours (fails when there are
  // more than fit); 16 writes 5-5-5; 24 and 32 write BI_RGB.
  int bitsPerPixel = 0;
  bool topDown = false;
};
Bytes encodeBmp(const Raster& image, const BmpWriteOptions& options = {});

// One 32-bit entry with its AND mask; 256-pixel sides are allowed.
Bytes encodeIco(const Raster& image);

Bytes encodePng(const Raster& image);

// quality 0..100; the alpha channel is dropped (JPEG has none).
Bytes encodeJpeg(const Raster& image, int quality = 75);

struct GifFrame {
  const Raster* image = nullptr;
  std::uint32_t delay = 0;  // hundredths of a second
};
// Pixels with alpha < 128 become the transparent index; more than 256
// colours are reduced by quantisation. loopCount < 0 writes no loop block.
Bytes encodeGif(const std::vector<GifFrame>& frames, int loopCount = -1);
Bytes encodeGif(const Raster& image);

// One page per raster, 8-bit RGB or RGBA (unassociated alpha), deflate.
Bytes encodeTiff(const std::vector<const Raster*>& pages);
Bytes encodeTiff(const Raster& image);

// Helpers for premultiplied storage (0xAARRGGBB in both).
std::uint32_t premultiply(std::uint32_t straight);
std::uint32_t unpremultiply(std::uint32_t premultiplied);

}  // namespace gdiplus::codecs

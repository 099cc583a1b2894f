#pragma once
// The image objects behind GpImage and GpBitmap handles, and the pixel
// storage they share with the drawing code. Callers use the flat functions
// of image.h; this header gives the types so that a GpBitmap* converts to a
// GpImage* as with the platform's headers.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

// ---- pixels ------------------------------------------------------------------------------
enum class Layout { Straight, Premultiplied, Opaque };

// One frame of a bitmap: owned memory or the caller's (stride in bytes).
struct PixelStore {
  int width = 0, height = 0;
  int stride = 0;
  Layout layout = Layout::Premultiplied;
  std::vector<std::uint32_t> owned;
  std::uint8_t* scan0 = nullptr;

  // Moves keep `scan0` valid (the vector's buffer moves along); copies would
  // not, so there are none: clone() makes an owned copy.
  PixelStore() = default;
  PixelStore(PixelStore&&) = default;
  PixelStore& operator=(PixelStore&&) = default;
  PixelStore(const PixelStore&) = delete;
  PixelStore& operator=(const PixelStore&) = delete;

  static PixelStore allocate(int width, int height, Layout layout);
  static PixelStore fromRaster(codecs::Raster&& raster, Layout layout);
  PixelStore clone() const;  // always owned
  std::uint32_t* row(int y) const { return reinterpret_cast<std::uint32_t*>(scan0 + static_cast<std::ptrdiff_t>(stride) * y); }
  bool external() const { return owned.empty(); }
  // Straight ARGB in and out, whatever the layout.
  std::uint32_t getArgb(int x, int y) const;
  void setArgb(int x, int y, std::uint32_t argb);
  std::uint32_t getPremultiplied(int x, int y) const;
  void convertTo(Layout target);  // in place
};

// ---- images ------------------------------------------------------------------------------
class GpImage {
 public:
  virtual ~GpImage() = default;
  ImageType type = ImageTypeBitmap;
};

struct PropertyValue {
  WORD type = 0;
  std::vector<std::uint8_t> bytes;
};

class GpBitmap : public GpImage {
 public:
  PixelFormat format = PixelFormat32bppARGB;  // the one reported
  GUID rawFormat = ImageFormatMemoryBMP;
  GUID frameDimension = FrameDimensionPage;
  std::vector<PixelStore> frames;
  std::size_t activeFrame = 0;
  std::map<PROPID, PropertyValue> properties;
  double dpiX = 96, dpiY = 96;
  int graphicsUsers = 0;

  // LockBits state.
  bool locked = false;
  GpRect lockRect;
  UINT lockFlags = 0;
  PixelFormat lockFormat = 0;
  std::vector<std::uint8_t> lockBuffer;

  PixelStore& pixels() { return frames[activeFrame]; }
  const PixelStore& pixels() const { return frames[activeFrame]; }
  int width() const { return frames.empty() ? 0 : pixels().width; }
  int height() const { return frames.empty() ? 0 : pixels().height; }
  std::unique_ptr<GpBitmap> clone() const;
  // Premultiplied copy of a rectangle (pixels outside the image transparent).
  codecs::Raster premultipliedCopy(int x, int y, int w, int h) const;
  // Straight copy of the active frame.
  codecs::Raster straightCopy() const;
};

GpBitmap* asBitmap(GpImage* image);  // InvalidParameter for null or non-bitmaps
std::unique_ptr<GpBitmap> bitmapFromDecoded(codecs::DecodedImage&& decoded);

}  // namespace gdiplus

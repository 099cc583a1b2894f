// Bitmaps: pixel storage and its conversions, LockBits, pixels, frames,
// properties and image attributes.
#include <algorithm>
#include <cstring>

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/impl/objects.h"

namespace gdiplus {

using codecs::premultiply;
using codecs::Raster;
using codecs::unpremultiply;

// ---- pixel store -------------------------------------------------------------------------
PixelStore PixelStore::allocate(int width, int height, Layout layout) {
  PixelStore s;
  s.width = width;
  s.height = height;
  s.stride = width * 4;
  s.layout = layout;
  s.owned.assign(static_cast<std::size_t>(width) * height, layout == Layout::Opaque ? 0xFF000000u : 0u);
  s.scan0 = reinterpret_cast<std::uint8_t*>(s.owned.data());
  return s;
}

PixelStore PixelStore::fromRaster(Raster&& raster, Layout layout) {
  PixelStore s;
  s.width = raster.width;
  s.height = raster.height;
  s.stride = raster.width * 4;
  s.layout = layout;
  s.owned = std::move(raster.pixels);
  s.scan0 = reinterpret_cast<std::uint8_t*>(s.owned.data());
  if (layout == Layout::Premultiplied)
    for (auto& p : s.owned) p = premultiply(p);
  return s;
}

PixelStore PixelStore::clone() const {
  PixelStore s = allocate(width, height, layout);
  for (int y = 0; y < height; ++y) std::memcpy(s.row(y), row(y), static_cast<std::size_t>(width) * 4);
  return s;
}

std::uint32_t PixelStore::getArgb(int x, int y) const {
  const std::uint32_t p = row(y)[x];
  switch (layout) {
    case Layout::Straight: return p;
    case Layout::Premultiplied: return unpremultiply(p);
    case Layout::Opaque: break;
  }
  return p | 0xFF000000u;
}

std::uint32_t PixelStore::getPremultiplied(int x, int y) const {
  const std::uint32_t p = row(y)[x];
  switch (layout) {
    case Layout::Straight: return premultiply(p);
    case Layout::Premultiplied: return p;
    case Layout::Opaque: break;
  }
  return p | 0xFF000000u;
}

void PixelStore::setArgb(int x, int y, std::uint32_t argb) {
  std::uint32_t& p = row(y)[x];
  switch (layout) {
    case Layout::Straight: p = argb; break;
    case Layout::Premultiplied: p = premultiply(argb); break;
    case Layout::Opaque: p = argb | 0xFF000000u; break;
  }
}

void PixelStore::convertTo(Layout target) {
  if (target == layout) return;
  for (int y = 0; y < height; ++y) {
    std::uint32_t* r = row(y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t argb = getArgb(x, y);
      r[x] = target == Layout::Premultiplied ? premultiply(argb) : target == Layout::Opaque ? (argb | 0xFF000000u) : argb;
    }
  }
  layout = target;
}

// ---- bitmap --------------------------------------------------------------------------------
std::unique_ptr<GpBitmap> GpBitmap::clone() const {
  auto b = std::make_unique<GpBitmap>();
  b->format = format;
  b->rawFormat = rawFormat;
  b->frameDimension = frameDimension;
  for (const PixelStore& f : frames) b->frames.push_back(f.clone());
  b->activeFrame = activeFrame;
  b->properties = properties;
  b->dpiX = dpiX;
  b->dpiY = dpiY;
  return b;
}

Raster GpBitmap::premultipliedCopy(int x0, int y0, int w, int h) const {
  Raster r(w, h, 0);
  const PixelStore& s = pixels();
  for (int y = 0; y < h; ++y) {
    const int sy = y0 + y;
    if (sy < 0 || sy >= s.height) continue;
    for (int x = 0; x < w; ++x) {
      const int sx = x0 + x;
      if (sx >= 0 && sx < s.width) r.at(x, y) = s.getPremultiplied(sx, sy);
    }
  }
  return r;
}

Raster GpBitmap::straightCopy() const {
  const PixelStore& s = pixels();
  Raster r(s.width, s.height);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) r.at(x, y) = s.getArgb(x, y);
  return r;
}

GpBitmap* asBitmap(GpImage* image) {
  auto* b = dynamic_cast<GpBitmap*>(image);
  if (!b || b->frames.empty()) fail(InvalidParameter, "not a bitmap");
  return b;
}

namespace {

void putLong(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

GUID rawFormatOf(codecs::FileFormat f) {
  switch (f) {
    case codecs::FileFormat::Bmp: return ImageFormatBMP;
    case codecs::FileFormat::Ico: return ImageFormatIcon;
    case codecs::FileFormat::Png: return ImageFormatPNG;
    case codecs::FileFormat::Jpeg: return ImageFormatJPEG;
    case codecs::FileFormat::Gif: return ImageFormatGIF;
    case codecs::FileFormat::Tiff: return ImageFormatTIFF;
    case codecs::FileFormat::Unknown: break;
  }
  return ImageFormatMemoryBMP;
}

}  // namespace

std::unique_ptr<GpBitmap> bitmapFromDecoded(codecs::DecodedImage&& d) {
  auto b = std::make_unique<GpBitmap>();
  b->rawFormat = rawFormatOf(d.format);
  b->dpiX = d.dpiX;
  b->dpiY = d.dpiY;
  const Layout layout = d.hasAlpha ? Layout::Straight : Layout::Opaque;
  b->format = d.hasAlpha ? PixelFormat32bppARGB : d.bitsPerPixel == 32 ? PixelFormat32bppRGB : PixelFormat24bppRGB;
  for (Raster& f : d.frames) b->frames.push_back(PixelStore::fromRaster(std::move(f), layout));
  if (d.format == codecs::FileFormat::Gif) {
    b->frameDimension = FrameDimensionTime;
    PropertyValue delays{PropertyTagTypeLong, {}};
    for (std::uint32_t delay : d.delays) putLong(delays.bytes, delay);
    b->properties[PropertyTagFrameDelay] = delays;
    if (d.loopCount >= 0) {
      PropertyValue loop{PropertyTagTypeShort, {static_cast<std::uint8_t>(d.loopCount & 0xFF),
                                                static_cast<std::uint8_t>((d.loopCount >> 8) & 0xFF)}};
      b->properties[PropertyTagLoopCount] = loop;
    }
  }
  return b;
}

// ---- flat functions ------------------------------------------------------------------------
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap) {
  return guarded([&] {
    need(bitmap, "bitmap");
    need(width > 0 && height > 0, "size");
    if (static_cast<std::uint64_t>(width) * height > (std::uint64_t{1} << 28)) fail(OutOfMemory, "bitmap too large");
    Layout layout;
    switch (format) {
      case PixelFormat32bppPARGB: layout = Layout::Premultiplied; break;
      case PixelFormat32bppARGB: layout = Layout::Straight; break;
      case PixelFormat32bppRGB:
      case PixelFormat24bppRGB: layout = Layout::Opaque; break;
      default: fail(InvalidParameter, "pixel format not supported");
    }
    auto b = std::make_unique<GpBitmap>();
    b->format = format;
    if (!scan0) {
      b->frames.push_back(PixelStore::allocate(width, height, layout));
    } else if (format == PixelFormat24bppRGB) {
      // 3-byte pixels are copied into our 4-byte storage.
      need(stride != 0 && std::abs(stride) >= width * 3, "stride");
      PixelStore s = PixelStore::allocate(width, height, layout);
      for (int y = 0; y < height; ++y) {
        const BYTE* src = scan0 + static_cast<std::ptrdiff_t>(stride) * y;
        for (int x = 0; x < width; ++x)
          s.row(y)[x] = 0xFF000000u | (src[3 * x + 2] << 16) | (src[3 * x + 1] << 8) | src[3 * x];
      }
      b->frames.push_back(std::move(s));
    } else {
      need(stride % 4 == 0 && std::abs(stride) >= width * 4, "stride");
      PixelStore s;
      s.width = width;
      s.height = height;
      s.stride = stride;
      s.layout = layout;
      s.scan0 = scan0;
      b->frames.push_back(std::move(s));
    }
    *bitmap = b.release();
  });
}

GpStatus GdipCloneImage(GpImage* image, GpImage** clone) {
  return guarded([&] {
    need(clone, "clone");
    *clone = asBitmap(image)->clone().release();
  });
}

GpStatus GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete image;
  return Ok;
}

GpStatus GdipGetImageType(GpImage* image, ImageType* type) {
  if (!image || !type) return InvalidParameter;
  *type = image->type;
  return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width) {
  return guarded([&] {
    need(width, "width");
    *width = static_cast<UINT>(asBitmap(image)->width());
  });
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height) {
  return guarded([&] {
    need(height, "height");
    *height = static_cast<UINT>(asBitmap(image)->height());
  });
}

GpStatus GdipGetImageDimension(GpImage* image, REAL* width, REAL* height) {
  return guarded([&] {
    need(width && height, "size");
    GpBitmap* b = asBitmap(image);
    *width = static_cast<REAL>(b->width());
    *height = static_cast<REAL>(b->height());
  });
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  return guarded([&] {
    need(format, "format");
    *format = asBitmap(image)->format;
  });
}

GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format) {
  return guarded([&] {
    need(format, "format");
    *format = asBitmap(image)->rawFormat;
  });
}

GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* dpi) {
  return guarded([&] {
    need(dpi, "resolution");
    *dpi = static_cast<REAL>(asBitmap(image)->dpiX);
  });
}

GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* dpi) {
  return guarded([&] {
    need(dpi, "resolution");
    *dpi = static_cast<REAL>(asBitmap(image)->dpiY);
  });
}

// ---- LockBits ------------------------------------------------------------------------------
namespace {

void readPixel(const PixelStore& s, int x, int y, PixelFormat format, BYTE* dst) {
  std::uint32_t v;
  switch (format) {
    case PixelFormat32bppPARGB: v = s.getPremultiplied(x, y); break;
    case PixelFormat32bppRGB:
    case PixelFormat24bppRGB: v = s.getArgb(x, y) | 0xFF000000u; break;
    default: v = s.getArgb(x, y);
  }
  dst[0] = static_cast<BYTE>(v);
  dst[1] = static_cast<BYTE>(v >> 8);
  dst[2] = static_cast<BYTE>(v >> 16);
  if (format != PixelFormat24bppRGB) dst[3] = static_cast<BYTE>(v >> 24);
}

void writePixel(PixelStore& s, int x, int y, PixelFormat format, const BYTE* src) {
  std::uint32_t v = src[0] | (src[1] << 8) | (src[2] << 16);
  if (format == PixelFormat32bppARGB || format == PixelFormat32bppPARGB) v |= static_cast<std::uint32_t>(src[3]) << 24;
  else v |= 0xFF000000u;
  if (format == PixelFormat32bppPARGB) v = unpremultiply(v);
  s.setArgb(x, y, v);
}

bool lockable(PixelFormat f) {
  return f == PixelFormat32bppARGB || f == PixelFormat32bppPARGB || f == PixelFormat32bppRGB ||
         f == PixelFormat24bppRGB;
}

}  // namespace

GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format, BitmapData* data) {
  return guarded([&] {
    need(bitmap && data, "bitmap");
    asBitmap(bitmap);
    if (bitmap->locked) fail(WrongState, "the bitmap is locked already");
    need((flags & (ImageLockModeRead | ImageLockModeWrite)) != 0, "lock mode");
    if (!lockable(format)) fail(NotImplemented, "lock pixel format not supported");
    GpRect r = rect ? *rect : GpRect{0, 0, bitmap->width(), bitmap->height()};
    need(r.X >= 0 && r.Y >= 0 && r.Width > 0 && r.Height > 0 && r.X <= bitmap->width() - r.Width &&
             r.Y <= bitmap->height() - r.Height,
         "lock rectangle");
    const int bpp = format == PixelFormat24bppRGB ? 3 : 4;
    BYTE* base;
    INT stride;
    if (flags & ImageLockModeUserInputBuf) {
      need(data->Scan0 && std::abs(data->Stride) >= r.Width * bpp, "user buffer");
      base = static_cast<BYTE*>(data->Scan0);
      stride = data->Stride;
      bitmap->lockBuffer.clear();
    } else {
      stride = ((r.Width * bpp) + 3) & ~3;
      bitmap->lockBuffer.assign(static_cast<std::size_t>(stride) * r.Height, 0);
      base = bitmap->lockBuffer.data();
    }
    if (flags & ImageLockModeRead) {
      const PixelStore& s = bitmap->pixels();
      for (int y = 0; y < r.Height; ++y) {
        BYTE* row = base + static_cast<std::ptrdiff_t>(stride) * y;
        for (int x = 0; x < r.Width; ++x) readPixel(s, r.X + x, r.Y + y, format, row + bpp * x);
      }
    }
    bitmap->locked = true;
    bitmap->lockRect = r;
    bitmap->lockFlags = flags;
    bitmap->lockFormat = format;
    data->Width = static_cast<UINT>(r.Width);
    data->Height = static_cast<UINT>(r.Height);
    data->Stride = stride;
    data->PixelFormat = format;
    data->Scan0 = base;
    data->Reserved = 0;
  });
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data) {
  return guarded([&] {
    need(bitmap && data, "bitmap");
    if (!bitmap->locked) fail(WrongState, "the bitmap is not locked");
    bitmap->locked = false;
    if (bitmap->lockFlags & ImageLockModeWrite) {
      const GpRect& r = bitmap->lockRect;
      const int bpp = bitmap->lockFormat == PixelFormat24bppRGB ? 3 : 4;
      PixelStore& s = bitmap->pixels();
      const BYTE* base = static_cast<const BYTE*>(data->Scan0);
      for (int y = 0; y < r.Height; ++y) {
        const BYTE* row = base + static_cast<std::ptrdiff_t>(data->Stride) * y;
        for (int x = 0; x < r.Width; ++x) writePixel(s, r.X + x, r.Y + y, bitmap->lockFormat, row + bpp * x);
      }
    }
    bitmap->lockBuffer.clear();
    bitmap->lockBuffer.shrink_to_fit();
  });
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) {
  return guarded([&] {
    need(color, "colour");
    asBitmap(bitmap);
    need(x >= 0 && y >= 0 && x < bitmap->width() && y < bitmap->height(), "pixel position");
    *color = bitmap->pixels().getArgb(x, y);
  });
}

GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color) {
  return guarded([&] {
    asBitmap(bitmap);
    need(x >= 0 && y >= 0 && x < bitmap->width() && y < bitmap->height(), "pixel position");
    bitmap->pixels().setArgb(x, y, color);
  });
}

// ---- frames and properties -------------------------------------------------------------
GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count) {
  return guarded([&] {
    need(count, "count");
    asBitmap(image);
    *count = 1;
  });
}

GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* ids, UINT count) {
  return guarded([&] {
    need(ids && count == 1, "dimension list");
    ids[0] = asBitmap(image)->frameDimension;
  });
}

GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, UINT* count) {
  return guarded([&] {
    need(dimension && count, "dimension");
    GpBitmap* b = asBitmap(image);
    need(*dimension == b->frameDimension, "frame dimension");
    *count = static_cast<UINT>(b->frames.size());
  });
}

GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, UINT index) {
  return guarded([&] {
    need(dimension, "dimension");
    GpBitmap* b = asBitmap(image);
    need(*dimension == b->frameDimension, "frame dimension");
    need(index < b->frames.size(), "frame index");
    if (b->locked || b->graphicsUsers > 0) fail(ObjectBusy, "the image is in use");
    b->activeFrame = index;
  });
}

GpStatus GdipGetPropertyCount(GpImage* image, UINT* count) {
  return guarded([&] {
    need(count, "count");
    *count = static_cast<UINT>(asBitmap(image)->properties.size());
  });
}

GpStatus GdipGetPropertyIdList(GpImage* image, UINT count, PROPID* list) {
  return guarded([&] {
    GpBitmap* b = asBitmap(image);
    need(list && count == b->properties.size(), "property list");
    for (const auto& p : b->properties) *list++ = p.first;
  });
}

GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size) {
  return guarded([&] {
    need(size, "size");
    GpBitmap* b = asBitmap(image);
    auto it = b->properties.find(id);
    if (it == b->properties.end()) fail(PropertyNotFound, "no such property");
    *size = static_cast<UINT>(sizeof(PropertyItem) + it->second.bytes.size());
  });
}

GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, PropertyItem* buffer) {
  return guarded([&] {
    need(buffer, "buffer");
    GpBitmap* b = asBitmap(image);
    auto it = b->properties.find(id);
    if (it == b->properties.end()) fail(PropertyNotFound, "no such property");
    const auto& bytes = it->second.bytes;
    need(size == sizeof(PropertyItem) + bytes.size(), "buffer size");
    buffer->id = id;
    buffer->length = static_cast<ULONG>(bytes.size());
    buffer->type = it->second.type;
    buffer->value = reinterpret_cast<BYTE*>(buffer) + sizeof(PropertyItem);
    if (!bytes.empty()) std::memcpy(buffer->value, bytes.data(), bytes.size());
  });
}

// ---- image attributes ----------------------------------------------------------------------
double GpImageAttributes::constantAlpha() const {
  if (noOp || !hasMatrix) return 1.0;
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) {
      if (r == 3 && c == 3) continue;
      const REAL want = r == c ? 1.0f : 0.0f;
      if (matrix.m[r][c] != want) return -1;
    }
  return matrix.m[3][3];
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes) {
  return guarded([&] {
    need(attributes, "attributes");
    *attributes = new GpImageAttributes();
  });
}

GpStatus GdipCloneImageAttributes(const GpImageAttributes* attributes, GpImageAttributes** clone) {
  return guarded([&] {
    need(attributes && clone, "attributes");
    *clone = new GpImageAttributes(*attributes);
  });
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes) {
  if (!attributes) return InvalidParameter;
  delete attributes;
  return Ok;
}

GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable,
                                           const ColorMatrix* colorMatrix, const ColorMatrix*, ColorMatrixFlags flags) {
  return guarded([&] {
    need(attributes, "attributes");
    if (type != ColorAdjustTypeDefault && type != ColorAdjustTypeBitmap) return;  // only images are drawn
    if (!enable) {
      attributes->hasMatrix = false;
      return;
    }
    need(colorMatrix, "colour matrix");
    if (flags != ColorMatrixFlagsDefault) fail(NotImplemented, "colour matrix flags");
    attributes->matrix = *colorMatrix;
    attributes->hasMatrix = true;
  });
}

GpStatus GdipSetImageAttributesNoOp(GpImageAttributes* attributes, ColorAdjustType, BOOL enable) {
  if (!attributes) return InvalidParameter;
  attributes->noOp = enable != 0;
  return Ok;
}

}  // namespace gdiplus

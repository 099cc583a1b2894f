// Bitmaps: device bitmaps (32-bit or monochrome), DIB sections of any depth
// and the row conversions between DIB formats and 32-bit pixels.
#include <algorithm>
#include <cstring>

#include "platform/gdi/impl/dc_impl.h"
#include "platform/gdi/impl/objects_impl.h"

namespace gdi {
namespace impl {

namespace {
// Bitmaps larger than this are refused (the platform fails such requests
// too, and it keeps size arithmetic far from overflow).
constexpr std::int64_t kMaxBitmapPixels = std::int64_t(1) << 28;

bool sizeOk(std::int64_t w, std::int64_t h) {
  return w > 0 && h > 0 && w <= 0x7FFF'FFFF / 32 && w * h <= kMaxBitmapPixels;
}

int shiftOf(DWORD mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}
int bitsOf(DWORD mask) {
  int n = 0;
  for (; mask; mask >>= 1) n += int(mask & 1);
  return n;
}
// A masked channel widened or narrowed to 8 bits.
std::uint32_t channel(DWORD v, DWORD mask) {
  if (!mask) return 0;
  const int n = bitsOf(mask);
  std::uint32_t c = (v & mask) >> shiftOf(mask);
  if (n >= 8) return c >> (n - 8);
  // Replicate the high bits so that full scale stays full scale.
  std::uint32_t out = 0;
  int have = 0;
  while (have < 8) {
    out = (out << n) | c;
    have += n;
  }
  return out >> (have - 8);
}
DWORD toMasked(std::uint32_t c8, DWORD mask) {
  if (!mask) return 0;
  const int n = bitsOf(mask);
  const DWORD v = n >= 8 ? DWORD(c8) << (n - 8) : DWORD(c8) >> (8 - n);
  return (v << shiftOf(mask)) & mask;
}

int nearestIndex(std::uint32_t p, const std::vector<RGBQUAD>& colors) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  int best = 0, bestD = 1 << 30;
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const int dr = r - colors[i].rgbRed, dg = g - colors[i].rgbGreen, db = b - colors[i].rgbBlue;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestD) {
      bestD = d;
      best = int(i);
      if (d == 0) break;
    }
  }
  return best;
}

void effectiveMasks(const DibFormat& f, DWORD m[3]) {
  if (f.compression == BI_BITFIELDS) {
    for (int i = 0; i < 3; ++i) m[i] = f.masks[i];
  } else if (f.bpp == 16) {
    m[0] = 0x7C00;
    m[1] = 0x03E0;
    m[2] = 0x001F;
  } else {
    m[0] = 0x00FF0000;
    m[1] = 0x0000FF00;
    m[2] = 0x000000FF;
  }
}

}  // namespace

std::size_t dibStride(int width, int bpp) {
  return ((std::size_t(width) * std::size_t(bpp) + 31) / 32) * 4;
}

bool validDibHeader(const BITMAPINFOHEADER& h) {
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return false;
  const std::int64_t height = h.biHeight < 0 ? -std::int64_t(h.biHeight) : h.biHeight;
  if (!sizeOk(h.biWidth, height)) return false;
  switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return h.biCompression == BI_RGB;
    case 16:
    case 32:
      return h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS;
    default:
      return false;
  }
}

DibFormat dibFormatOf(const BITMAPINFO* bmi) {
  DibFormat f;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  f.bpp = h.biBitCount;
  f.topDown = h.biHeight < 0;
  f.compression = h.biCompression;
  const auto* extra = reinterpret_cast<const std::uint8_t*>(bmi) + h.biSize;
  if (f.compression == BI_BITFIELDS) {
    std::memcpy(f.masks, extra, sizeof(f.masks));
  } else if (f.bpp <= 8) {
    std::size_t n = h.biClrUsed ? h.biClrUsed : (std::size_t(1) << f.bpp);
    n = std::min<std::size_t>(n, std::size_t(1) << f.bpp);
    f.colors.resize(n);
    std::memcpy(f.colors.data(), extra, n * sizeof(RGBQUAD));
  }
  return f;
}

void dibRowToPixels(const std::uint8_t* row, const DibFormat& f, std::uint32_t* out, int width) {
  auto fromTable = [&](unsigned idx) -> std::uint32_t {
    if (idx >= f.colors.size()) return 0;
    const RGBQUAD& q = f.colors[idx];
    return (std::uint32_t(q.rgbRed) << 16) | (std::uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
  };
  switch (f.bpp) {
    case 1:
      for (int x = 0; x < width; ++x) out[x] = fromTable((row[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    case 4:
      for (int x = 0; x < width; ++x) out[x] = fromTable((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      break;
    case 8:
      for (int x = 0; x < width; ++x) out[x] = fromTable(row[x]);
      break;
    case 16: {
      DWORD m[3];
      effectiveMasks(f, m);
      for (int x = 0; x < width; ++x) {
        const DWORD v = DWORD(row[2 * x]) | (DWORD(row[2 * x + 1]) << 8);
        out[x] = (channel(v, m[0]) << 16) | (channel(v, m[1]) << 8) | channel(v, m[2]);
      }
      break;
    }
    case 24:
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = row + 3 * x;
        out[x] = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
      }
      break;
    case 32:
      if (f.compression == BI_RGB) {
        std::memcpy(out, row, std::size_t(width) * 4);
      } else {
        for (int x = 0; x < width; ++x) {
          DWORD v;
          std::memcpy(&v, row + 4 * x, 4);
          out[x] = (channel(v, f.masks[0]) << 16) | (channel(v, f.masks[1]) << 8) |
                   channel(v, f.masks[2]);
        }
      }
      break;
    default:
      std::fill(out, out + width, 0u);
  }
}

void pixelsToDibRow(const std::uint32_t* in, int width, const DibFormat& f, std::uint8_t* row) {
  switch (f.bpp) {
    case 1:
    case 4:
    case 8: {
      std::memset(row, 0, dibStride(width, f.bpp));
      std::uint32_t lastPixel = 0;
      int lastIndex = -1;
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = in[x] & 0x00FFFFFF;
        if (lastIndex < 0 || p != lastPixel) {
          lastIndex = nearestIndex(p, f.colors);
          lastPixel = p;
        }
        const unsigned idx = unsigned(lastIndex);
        if (f.bpp == 1) row[x >> 3] |= std::uint8_t((idx & 1) << (7 - (x & 7)));
        else if (f.bpp == 4) row[x >> 1] |= std::uint8_t((idx & 15) << ((x & 1) ? 0 : 4));
        else row[x] = std::uint8_t(idx);
      }
      break;
    }
    case 16: {
      DWORD m[3];
      effectiveMasks(f, m);
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = in[x];
        const DWORD v = toMasked((p >> 16) & 0xFF, m[0]) | toMasked((p >> 8) & 0xFF, m[1]) |
                        toMasked(p & 0xFF, m[2]);
        row[2 * x] = std::uint8_t(v);
        row[2 * x + 1] = std::uint8_t(v >> 8);
      }
      std::memset(row + 2 * width, 0, dibStride(width, 16) - 2 * std::size_t(width));
      break;
    }
    case 24:
      for (int x = 0; x < width; ++x) {
        row[3 * x] = std::uint8_t(in[x]);
        row[3 * x + 1] = std::uint8_t(in[x] >> 8);
        row[3 * x + 2] = std::uint8_t(in[x] >> 16);
      }
      std::memset(row + 3 * width, 0, dibStride(width, 24) - 3 * std::size_t(width));
      break;
    case 32:
      if (f.compression == BI_RGB) {
        std::memcpy(row, in, std::size_t(width) * 4);
      } else {
        for (int x = 0; x < width; ++x) {
          const std::uint32_t p = in[x];
          const DWORD v = toMasked((p >> 16) & 0xFF, f.masks[0]) |
                          toMasked((p >> 8) & 0xFF, f.masks[1]) | toMasked(p & 0xFF, f.masks[2]);
          std::memcpy(row + 4 * x, &v, 4);
        }
      }
      break;
  }
}

std::vector<RGBQUAD> defaultColorTable(int bpp, bool mono) {
  (void)mono;
  std::vector<RGBQUAD> t;
  auto add = [&](int r, int g, int b) { t.push_back(RGBQUAD{BYTE(b), BYTE(g), BYTE(r), 0}); };
  if (bpp == 1) {
    add(0, 0, 0);
    add(255, 255, 255);
  } else if (bpp == 4) {
    // The sixteen colours of the standard VGA palette.
    static const int vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                   {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (const auto& c : vga) add(c[0], c[1], c[2]);
  } else if (bpp == 8) {
    // A 6x6x6 colour cube followed by a ramp of greys.
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) add(r * 51, g * 51, b * 51);
    for (int i = 0; i < 40; ++i) add(i * 255 / 39, i * 255 / 39, i * 255 / 39);
  }
  return t;
}

int Bitmap::dibStride() const { return int(impl::dibStride(width, format.bpp)); }

Surface Bitmap::surface() {
  if (width <= 0 || height <= 0) return {};
  if (directSection()) {
    const std::ptrdiff_t stride = std::ptrdiff_t(width) * 4;
    if (format.topDown) return Surface{dibBits.data(), stride, width, height};
    return Surface{dibBits.data() + stride * (height - 1), -stride, width, height};
  }
  if (dib) {
    // Low-depth sections: refresh the 32-bit working copy from the bits.
    const std::size_t stride = std::size_t(dibStride());
    for (int y = 0; y < height; ++y) {
      const int memRow = format.topDown ? y : height - 1 - y;
      dibRowToPixels(dibBits.data() + stride * std::size_t(memRow), format,
                     pixels.data() + std::size_t(y) * std::size_t(width), width);
    }
  }
  return Surface{reinterpret_cast<std::uint8_t*>(pixels.data()), std::ptrdiff_t(width) * 4, width,
                 height};
}

void Bitmap::commit() {
  if (mono) {
    for (auto& p : pixels) p = (p & 0x00FFFFFF) ? 0x00FFFFFFu : 0u;
  }
  if (!dib || directSection()) return;
  const std::size_t stride = std::size_t(dibStride());
  for (int y = 0; y < height; ++y) {
    const int memRow = format.topDown ? y : height - 1 - y;
    pixelsToDibRow(pixels.data() + std::size_t(y) * std::size_t(width), width, format,
                   dibBits.data() + stride * std::size_t(memRow));
  }
}

namespace {

std::shared_ptr<Bitmap> newDeviceBitmap(int width, int height, bool mono) {
  auto b = std::make_shared<Bitmap>();
  b->width = width;
  b->height = height;
  b->mono = mono;
  b->bpp = mono ? 1 : 32;
  b->pixels.assign(std::size_t(width) * std::size_t(height), 0);
  return b;
}

// Device-bitmap rows: `bpp` 1 or 32, padded to 16 bits.
void loadDeviceBits(Bitmap& b, const std::uint8_t* bits, std::size_t count) {
  const std::size_t stride = std::size_t(((b.width * b.bpp + 15) / 16) * 2);
  for (int y = 0; y < b.height; ++y) {
    if (stride * std::size_t(y + 1) > count) break;
    const std::uint8_t* row = bits + stride * std::size_t(y);
    std::uint32_t* out = b.pixels.data() + std::size_t(y) * std::size_t(b.width);
    if (b.mono) {
      for (int x = 0; x < b.width; ++x) out[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0x00FFFFFFu : 0u;
    } else {
      std::memcpy(out, row, std::size_t(b.width) * 4);
    }
  }
}

}  // namespace
}  // namespace impl

using namespace impl;

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width == 0 || height == 0) return defaultBitmap();
  if (!sizeOk(width, height) || planes * bitsPerPixel == 0 || planes * bitsPerPixel > 32) {
    return nullptr;
  }
  const bool mono = planes * bitsPerPixel == 1;
  auto b = newDeviceBitmap(width, height, mono);
  if (bits) {
    const std::size_t stride = std::size_t(((width * b->bpp + 15) / 16) * 2);
    if (mono || planes * bitsPerPixel == 32) {
      loadDeviceBits(*b, static_cast<const std::uint8_t*>(bits), stride * std::size_t(height));
    }
  }
  return handleOf<HBITMAP>(addObject(b));
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
  if (!bm) return nullptr;
  return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  DC* dc = findDC(hdc);
  if (!dc) return nullptr;
  if (width == 0 || height == 0) return defaultBitmap();
  if (!sizeOk(width, height)) return nullptr;
  return handleOf<HBITMAP>(addObject(newDeviceBitmap(width, height, dc->mono())));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, void* section,
                         DWORD) {
  if (bits) *bits = nullptr;
  if (!bmi || usage != DIB_RGB_COLORS || section || !validDibHeader(bmi->bmiHeader)) return nullptr;
  auto b = std::make_shared<Bitmap>();
  b->dib = true;
  b->format = dibFormatOf(bmi);
  b->width = bmi->bmiHeader.biWidth;
  b->height = bmi->bmiHeader.biHeight < 0 ? -bmi->bmiHeader.biHeight : bmi->bmiHeader.biHeight;
  b->bpp = b->format.bpp;
  b->dibBits.assign(impl::dibStride(b->width, b->bpp) * std::size_t(b->height), 0);
  if (!b->directSection()) b->pixels.assign(std::size_t(b->width) * std::size_t(b->height), 0);
  if (bits) *bits = b->dibBits.data();
  return handleOf<HBITMAP>(addObject(b));
}

LONG GetBitmapBits(HBITMAP bmp, LONG count, void* bits) {
  auto b = findBitmap(bmp);
  if (!b || count < 0) return 0;
  const std::size_t stride = std::size_t(((b->width * b->bpp + 15) / 16) * 2);
  const std::size_t total = stride * std::size_t(b->height);
  if (!bits) return LONG(total);
  if (b->dib) {
    // Sections answer their own bits, top row first.
    const std::size_t n = std::min<std::size_t>(std::size_t(count), b->dibBits.size());
    std::memcpy(bits, b->dibBits.data(), n);
    return LONG(n);
  }
  auto* out = static_cast<std::uint8_t*>(bits);
  std::size_t written = 0;
  for (int y = 0; y < b->height && written + stride <= std::size_t(count); ++y) {
    const std::uint32_t* row = b->pixels.data() + std::size_t(y) * std::size_t(b->width);
    std::uint8_t* dst = out + written;
    if (b->mono) {
      std::memset(dst, 0, stride);
      for (int x = 0; x < b->width; ++x) {
        if (row[x] & 0x00FFFFFF) dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
      }
    } else {
      std::memcpy(dst, row, stride);
    }
    written += stride;
  }
  return LONG(written);
}

LONG SetBitmapBits(HBITMAP bmp, DWORD count, const void* bits) {
  auto b = findBitmap(bmp);
  if (!b || !bits || b->stock) return 0;
  if (b->dib) {
    const std::size_t n = std::min<std::size_t>(count, b->dibBits.size());
    std::memcpy(b->dibBits.data(), bits, n);
    return LONG(n);
  }
  const std::size_t stride = std::size_t(((b->width * b->bpp + 15) / 16) * 2);
  const std::size_t usable = std::min<std::size_t>(count, stride * std::size_t(b->height));
  loadDeviceBits(*b, static_cast<const std::uint8_t*>(bits), usable);
  return LONG((usable / stride) * stride);
}

BOOL GetBitmapDimensionEx(HBITMAP bmp, SIZE* size) {
  if (!findBitmap(bmp) || !size) return FALSE;
  *size = SIZE{};  // no physical dimension is ever set
  return TRUE;
}

ImageBGRA CopySurface(const Surface& s) {
  ImageBGRA img(s.empty() ? 0 : s.width, s.empty() ? 0 : s.height);
  for (int y = 0; y < img.height; ++y) {
    std::memcpy(&img.at(0, y), s.row(y), std::size_t(img.width) * 4);
  }
  return img;
}

Surface GetBitmapSurface(HBITMAP bmp) {
  auto b = findBitmap(bmp);
  return b ? b->surface() : Surface{};
}

void CommitBitmapSurface(HBITMAP bmp) {
  if (auto b = findBitmap(bmp)) b->commit();
}

ImageBGRA CaptureBitmap(HBITMAP bmp) { return CopySurface(GetBitmapSurface(bmp)); }

HBITMAP CreateBitmapFromImage(const ImageBGRA& image) {
  if (!sizeOk(image.width, image.height) ||
      image.pixels.size() != std::size_t(image.width) * std::size_t(image.height)) {
    return nullptr;
  }
  auto b = newDeviceBitmap(image.width, image.height, false);
  b->pixels = image.pixels;
  return handleOf<HBITMAP>(addObject(b));
}

HBITMAP CopyImage(HBITMAP bmp, UINT type, int cx, int cy, UINT flags) {
  if (type != IMAGE_BITMAP) return nullptr;
  ImageBGRA image = CaptureBitmap(bmp);
  if (image.width <= 0 || image.height <= 0) return nullptr;
  const int w = cx > 0 ? cx : image.width, h = cy > 0 ? cy : image.height;
  if (!sizeOk(w, h)) return nullptr;
  if (w != image.width || h != image.height) {
    ImageBGRA scaled(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        scaled.at(x, y) = image.at(int(std::int64_t(x) * image.width / w), int(std::int64_t(y) * image.height / h));
    image = std::move(scaled);
  }
  if (!(flags & LR_CREATEDIBSECTION)) return CreateBitmapFromImage(image);
  BITMAPINFO info{};
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) std::memcpy(bits, image.pixels.data(), image.pixels.size() * 4);
  return section;
}

}  // namespace gdi

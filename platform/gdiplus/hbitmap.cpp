// Bitmaps to and from GDI device bitmaps.
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/gdiplus/image.h"
#include "platform/gdiplus/impl/objects.h"

namespace gdiplus {

GpStatus GdipCreateBitmapFromHBITMAP(gdi::HBITMAP hbm, gdi::HPALETTE palette, GpBitmap** bitmap) {
  return guarded([&] {
    need(hbm && bitmap, "bitmap handle");
    need(!palette, "palettes are not supported");
    const gdi::ImageBGRA image = gdi::CaptureBitmap(hbm);
    need(image.width > 0 && image.height > 0, "bitmap handle");
    auto b = std::make_unique<GpBitmap>();
    b->format = PixelFormat32bppRGB;
    PixelStore s = PixelStore::allocate(image.width, image.height, Layout::Opaque);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) s.row(y)[x] = 0xFF000000u | image.at(x, y);
    b->frames.push_back(std::move(s));
    *bitmap = b.release();
  });
}

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, gdi::HBITMAP* hbm, ARGB background) {
  return guarded([&] {
    need(bitmap && hbm, "bitmap");
    need(!bitmap->locked, "the bitmap is locked");
    const int w = bitmap->width(), h = bitmap->height();
    need(w > 0 && h > 0, "bitmap");
    gdi::BITMAPINFO bmi;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    gdi::HBITMAP out = gdi::CreateDIBSection(nullptr, &bmi, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!out || !bits) fail(OutOfMemory, "cannot create the device bitmap");
    const std::uint32_t back = codecs::premultiply(background);
    const unsigned backA = back >> 24;
    auto* dst = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = bitmap->pixels().getPremultiplied(x, y);
        const unsigned inv = 255 - (p >> 24);
        std::uint32_t r = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          const unsigned s = (p >> shift) & 0xFF, d = (back >> shift) & 0xFF;
          r |= std::uint32_t(s + (d * inv + 127) / 255) << shift;
        }
        dst[std::size_t(y) * std::size_t(w) + std::size_t(x)] = backA ? r : p;
      }
    *hbm = out;
  });
}

}  // namespace gdiplus

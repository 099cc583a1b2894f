#include "platform/ui/impl/raster.h"

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdiplus/codecs/codecs.h"
#include "platform/rtl/except.h"

namespace ui::impl {

namespace {

// A memory DC with a bitmap of the image selected, for one blit.
class ImageDC {
 public:
  explicit ImageDC(const gdi::ImageBGRA& image) {
    bmp_ = gdi::CreateBitmapFromImage(image);
    dc_ = gdi::CreateCompatibleDC(nullptr);
    if (!bmp_ || !dc_) {
      release();
      throw rtl::EOutOfResources(u"Out of system resources");
    }
    old_ = gdi::SelectObject(dc_, bmp_);
  }
  ~ImageDC() { release(); }
  ImageDC(const ImageDC&) = delete;
  ImageDC& operator=(const ImageDC&) = delete;
  gdi::HDC dc() const { return dc_; }

 private:
  void release() {
    if (dc_ && old_) gdi::SelectObject(dc_, old_);
    if (dc_) gdi::DeleteDC(dc_);
    if (bmp_) gdi::DeleteObject(bmp_);
    dc_ = nullptr;
    bmp_ = nullptr;
  }
  gdi::HBITMAP bmp_ = nullptr;
  gdi::HDC dc_ = nullptr;
  gdi::HGDIOBJ old_ = nullptr;
};

}  // namespace

void DrawWithAlpha(gdi::HDC dst, const gdi::RECT& rect, const gdi::ImageBGRA& image) {
  if (image.width <= 0 || image.height <= 0) return;
  gdi::ImageBGRA premultiplied = image;
  for (auto& p : premultiplied.pixels) p = gdiplus::codecs::premultiply(p);
  ImageDC src(premultiplied);
  gdi::BLENDFUNCTION blend;
  blend.AlphaFormat = gdi::AC_SRC_ALPHA;
  gdi::AlphaBlend(dst, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, src.dc(), 0, 0,
                  image.width, image.height, blend);
}

void DrawOpaque(gdi::HDC dst, const gdi::RECT& rect, const gdi::ImageBGRA& image, gdi::DWORD rop) {
  if (image.width <= 0 || image.height <= 0) return;
  ImageDC src(image);
  gdi::StretchBlt(dst, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, src.dc(), 0, 0,
                  image.width, image.height, rop);
}

}  // namespace ui::impl

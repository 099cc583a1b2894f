#include "platform/ui/bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/status.h"
#include "platform/ui/impl/raster.h"

namespace ui {

namespace codecs = gdiplus::codecs;

namespace {

int bitsOf(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

TPixelFormat formatOfBits(int bits) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf15bit;
    case 24: return pf24bit;
    default: return pf32bit;
  }
}

// The colour tables of the low formats: black and white, the sixteen VGA
// colours, and a 6x6x6 cube with a ramp of greys.
std::vector<gdi::RGBQUAD> colorTable(int bits) {
  std::vector<gdi::RGBQUAD> t;
  auto add = [&](int r, int g, int b) {
    t.push_back(gdi::RGBQUAD{gdi::BYTE(b), gdi::BYTE(g), gdi::BYTE(r), 0});
  };
  if (bits == 1) {
    add(0, 0, 0);
    add(255, 255, 255);
  } else if (bits == 4) {
    static const int vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                   {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (const auto& c : vga) add(c[0], c[1], c[2]);
  } else if (bits == 8) {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) add(r * 51, g * 51, b * 51);
    for (int i = 0; i < 40; ++i) add(i * 255 / 39, i * 255 / 39, i * 255 / 39);
  }
  return t;
}

gdi::HBITMAP createSection(int width, int height, TPixelFormat format) {
  const int bits = bitsOf(format);
  const std::vector<gdi::RGBQUAD> colors = colorTable(bits);
  // Header, then three masks or the colour table.
  std::vector<std::uint8_t> block(sizeof(gdi::BITMAPINFOHEADER) + 4 * std::max<std::size_t>(3, colors.size()));
  gdi::BITMAPINFOHEADER h;
  h.biWidth = width;
  h.biHeight = height;  // bottom-up, as the platform's bitmaps
  h.biBitCount = gdi::WORD(bits);
  h.biClrUsed = gdi::DWORD(colors.size());
  std::uint8_t* extra = block.data() + sizeof h;
  if (format == pf16bit) {
    h.biCompression = gdi::BI_BITFIELDS;
    const gdi::DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(extra, masks, sizeof masks);
  } else if (!colors.empty()) {
    std::memcpy(extra, colors.data(), colors.size() * sizeof(gdi::RGBQUAD));
  }
  std::memcpy(block.data(), &h, sizeof h);
  void* bitsPtr = nullptr;
  gdi::HBITMAP bmp = gdi::CreateDIBSection(nullptr, reinterpret_cast<const gdi::BITMAPINFO*>(block.data()),
                                           gdi::DIB_RGB_COLORS, &bitsPtr, nullptr, 0);
  if (!bmp) throw rtl::EOutOfResources(u"Out of system resources");
  return bmp;
}

}  // namespace

// ---- TBitmapCanvas -------------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  if (!dc) throw rtl::EOutOfResources(u"Out of system resources");
  if (bitmap_->handle_) oldBitmap_ = gdi::SelectObject(dc, bitmap_->handle_);
  SetHandle(dc);
}

void TBitmapCanvas::FreeContext() {
  if (!HandleAllocated()) return;
  gdi::HDC dc = CurrentDC();
  SetHandle(nullptr);
  if (dc) {
    if (oldBitmap_) gdi::SelectObject(dc, oldBitmap_);
    gdi::DeleteDC(dc);
  }
  oldBitmap_ = nullptr;
}

// ---- TBitmap -------------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::~TBitmap() {
  canvas_.reset();
  if (handle_) gdi::DeleteObject(handle_);
}

void TBitmap::rebuild(int width, int height, TPixelFormat format, const gdi::ImageBGRA* pixels) {
  if (canvas_) canvas_->FreeContext();
  gdi::HBITMAP made = nullptr;
  if (width > 0 && height > 0) {
    made = createSection(width, height, format);
    if (pixels && !pixels->pixels.empty()) {
      gdi::Surface s = gdi::GetBitmapSurface(made);
      const int w = std::min(width, pixels->width), h = std::min(height, pixels->height);
      for (int y = 0; y < h; ++y) std::memcpy(s.row(y), pixels->pixels.data() + std::size_t(y) * std::size_t(pixels->width), std::size_t(w) * 4);
      gdi::CommitBitmapSurface(made);
    }
  } else {
    width = height = 0;
  }
  if (handle_) gdi::DeleteObject(handle_);
  handle_ = made;
  width_ = width;
  height_ = height;
  pixelFormat_ = format;
}

gdi::ImageBGRA TBitmap::pixels() const {
  return handle_ ? gdi::CaptureBitmap(handle_) : gdi::ImageBGRA();
}

gdi::ImageBGRA TBitmap::ToImage() const {
  gdi::ImageBGRA image = pixels();
  if (alphaFormat_ == afPremultiplied)
    for (auto& p : image.pixels) p = codecs::unpremultiply(p);
  return image;
}

void TBitmap::AssignImage(const gdi::ImageBGRA& image, bool hasAlpha) {
  Changing(this);
  rebuild(image.width, image.height, pf32bit, &image);
  alphaFormat_ = hasAlpha ? afDefined : afIgnored;
  Changed(this);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  Changing(this);
  const gdi::ImageBGRA old = pixels();
  rebuild(width, height, pixelFormat_, &old);
  Changed(this);
}

void TBitmap::SetHandle(gdi::HBITMAP value) {
  if (value == handle_) return;
  gdi::DIBSECTION ds;
  gdi::BITMAP bm;
  const bool isSection = value && gdi::GetObjectW(value, sizeof ds, &ds) == int(sizeof ds);
  if (value && !isSection && gdi::GetObjectW(value, sizeof bm, &bm) != int(sizeof bm))
    throw EInvalidGraphic(u"Invalid bitmap handle");
  Changing(this);
  if (canvas_) canvas_->FreeContext();
  if (handle_) gdi::DeleteObject(handle_);
  handle_ = value;
  if (value) {
    const gdi::BITMAP& b = isSection ? ds.dsBm : bm;
    width_ = b.bmWidth;
    height_ = b.bmHeight < 0 ? -b.bmHeight : b.bmHeight;
    pixelFormat_ = formatOfBits(b.bmBitsPixel * std::max<int>(b.bmPlanes, 1));
  } else {
    width_ = height_ = 0;
  }
  Changed(this);
}

gdi::HBITMAP TBitmap::ReleaseHandle() {
  if (canvas_) canvas_->FreeContext();
  gdi::HBITMAP result = handle_;
  handle_ = nullptr;
  width_ = height_ = 0;
  return result;
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    canvas_->SetOnChange(TNotifyEvent::bind<&TBitmap::canvasChanged>(this));
  }
  return canvas_.get();
}

void TBitmap::canvasChanged(rtl::TObject*) { Changed(this); }

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == pfDevice || value == pfCustom) value = pf32bit;
  if (value == pixelFormat_) return;
  Changing(this);
  const gdi::ImageBGRA old = pixels();
  rebuild(width_, height_, value, &old);
  if (value != pf32bit) alphaFormat_ = afIgnored;
  Changed(this);
}

void TBitmap::SetAlphaFormat(TAlphaFormat value) {
  if (value == alphaFormat_) return;
  if (handle_ && pixelFormat_ == pf32bit &&
      (value == afPremultiplied || alphaFormat_ == afPremultiplied)) {
    gdi::Surface s = gdi::GetBitmapSurface(handle_);
    const bool toPremultiplied = value == afPremultiplied;
    for (int y = 0; y < s.height; ++y) {
      std::uint32_t* row = s.row(y);
      for (int x = 0; x < s.width; ++x)
        row[x] = toPremultiplied ? codecs::premultiply(row[x]) : codecs::unpremultiply(row[x]);
    }
  }
  alphaFormat_ = value;
  Changed(this);
}

TColor TBitmap::TransparentColor() {
  if (transparentColor_ != clDefault && transparentMode_ == tmFixed) return transparentColor_;
  if (Empty()) return clDefault;
  if (Monochrome()) return clWhite;
  return Canvas()->Pixels(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == transparentColor_) return;
  transparentColor_ = value;
  transparentMode_ = value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == transparentMode_) return;
  if (value == tmAuto)
    transparentColor_ = clDefault;
  else
    transparentColor_ = TransparentColor();
  transparentMode_ = value;
  Changed(this);
}

void* TBitmap::ScanLine(int y) {
  if (!handle_ || y < 0 || y >= height_) throw rtl::ERangeError(u"Scan line index out of range");
  gdi::DIBSECTION ds;
  if (gdi::GetObjectW(handle_, sizeof ds, &ds) != int(sizeof ds) || !ds.dsBm.bmBits)
    throw EInvalidGraphicOperation(u"Scan line index out of range");
  // A later drawing call reads the bits again; nothing to flush.
  const int memoryRow = ds.dsBmih.biHeight > 0 ? height_ - 1 - y : y;
  return static_cast<std::uint8_t*>(ds.dsBm.bmBits) + std::ptrdiff_t(ds.dsBm.bmWidthBytes) * memoryRow;
}

void TBitmap::Assign(rtl::TPersistent* source) {
  if (!source) {
    Changing(this);
    rebuild(0, 0, pixelFormat_, nullptr);
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    if (b == this) return;
    Changing(this);
    const gdi::ImageBGRA image = b->pixels();
    rebuild(b->width_, b->height_, b->pixelFormat_, &image);
    alphaFormat_ = b->alphaFormat_;
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    SetTransparent(b->Transparent());
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
  if (Empty()) return;
  gdi::HDC dst = canvas->Handle();
  if (Transparent()) {
    gdi::HDC src = Canvas()->Handle();
    gdi::TransparentBlt(dst, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, src, 0,
                        0, width_, height_, ColorToRGB(TransparentColor()) & 0x00FFFFFF);
  } else if (pixelFormat_ == pf32bit && alphaFormat_ != afIgnored) {
    impl::DrawWithAlpha(dst, rect, ToImage());
  } else {
    gdi::HDC src = Canvas()->Handle();
    gdi::StretchBlt(dst, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, src, 0, 0,
                    width_, height_, canvas->CopyMode());
  }
}

void TBitmap::LoadFromStream(rtl::TStream* stream) {
  const rtl::TBytes bytes = rtl::ReadAllBytes(*stream);
  if (bytes.empty()) {
    Assign(nullptr);
    return;
  }
  codecs::DecodedImage decoded;
  try {
    decoded = codecs::decodeBmp(bytes);
  } catch (const gdiplus::GpException& e) {
    throw EInvalidGraphic(u"Bitmap image is not valid: " + e.Message());
  }
  if (decoded.frames.empty()) throw EInvalidGraphic(u"Bitmap image is not valid");
  codecs::Raster& r = decoded.frames.front();
  gdi::ImageBGRA image;
  image.width = r.width;
  image.height = r.height;
  image.pixels = std::move(r.pixels);
  Changing(this);
  rebuild(image.width, image.height, formatOfBits(decoded.bitsPerPixel), &image);
  alphaFormat_ = pixelFormat_ == pf32bit && decoded.hasAlpha ? afDefined : afIgnored;
  Changed(this);
}

void TBitmap::ReadData(rtl::TStream* stream) {
  const rtl::Int64 size = stream->ReadUInt32();
  if (size > stream->Size() - stream->Position())
    throw rtl::EReadError(u"Bitmap data is longer than the stream");
  rtl::TMemoryStream data;
  data.SetSize(size);
  if (size > 0) stream->ReadBuffer(data.Memory(), size);
  data.SetPosition(0);
  LoadFromStream(&data);
}

void TBitmap::WriteData(rtl::TStream* stream) {
  rtl::TMemoryStream data;
  SaveToStream(&data);
  stream->WriteUInt32(static_cast<rtl::Cardinal>(data.Size()));
  if (data.Size() > 0) stream->WriteBuffer(data.Memory(), data.Size());
}

void TBitmap::SaveToStream(rtl::TStream* stream) {
  if (Empty()) return;
  const gdi::ImageBGRA image = ToImage();
  codecs::Raster r;
  r.width = image.width;
  r.height = image.height;
  r.pixels = image.pixels;
  codecs::BmpWriteOptions options;
  options.bitsPerPixel = bitsOf(pixelFormat_);
  // A 32-bit picture with alpha goes out with an alpha mask so that readers
  // keep it; otherwise plain rows of its own depth.
  if (pixelFormat_ == pf32bit && alphaFormat_ != afIgnored && r.hasAlpha()) options.bitsPerPixel = 0;
  codecs::Bytes bytes;
  try {
    bytes = codecs::encodeBmp(r, options);
  } catch (const gdiplus::GpException& e) {
    throw EInvalidGraphicOperation(e.Message());
  }
  stream->WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
}

}  // namespace ui

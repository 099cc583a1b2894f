#include "platform/ui/images.h"

#include <algorithm>
#include <cstring>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/status.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/impl/raster.h"

namespace ui {

namespace codecs = gdiplus::codecs;

namespace {

gdi::ImageBGRA fromRaster(codecs::Raster&& r) {
  gdi::ImageBGRA image;
  image.width = r.width;
  image.height = r.height;
  image.pixels = std::move(r.pixels);
  return image;
}

codecs::Raster toRaster(const gdi::ImageBGRA& image) {
  codecs::Raster r;
  r.width = image.width;
  r.height = image.height;
  r.pixels = image.pixels;
  return r;
}

// Decodes with the reader of one format; bad data becomes EInvalidGraphic.
codecs::DecodedImage decodeAs(codecs::DecodedImage (*decode)(codecs::ByteView, const codecs::DecodeOptions&),
                              const rtl::TBytes& bytes, const char16_t* kind) {
  try {
    codecs::DecodedImage d = decode(bytes, {});
    if (d.frames.empty()) throw EInvalidGraphic(rtl::String(kind) + u" image is not valid");
    return d;
  } catch (const gdiplus::GpException& e) {
    throw EInvalidGraphic(rtl::String(kind) + u" image is not valid: " + e.Message());
  }
}

template <class Encode>
void writeEncoded(rtl::TStream* stream, Encode encode) {
  codecs::Bytes bytes;
  try {
    bytes = encode();
  } catch (const gdiplus::GpException& e) {
    throw EInvalidGraphicOperation(e.Message());
  }
  stream->WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
}

}  // namespace

// ---- TRasterGraphic ------------------------------------------------------------------

void TRasterGraphic::setImage(gdi::ImageBGRA image, bool hasAlpha) {
  Changing(this);
  image_ = std::move(image);
  hasAlpha_ = hasAlpha;
  pixelsChanged();
  Changed(this);
}

void TRasterGraphic::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == image_.width && height == image_.height) return;
  gdi::ImageBGRA resized(width, height, 0);
  const int w = std::min(width, image_.width), h = std::min(height, image_.height);
  for (int y = 0; y < h; ++y) std::memcpy(&resized.at(0, y), &image_.at(0, y), std::size_t(w) * 4);
  const bool grew = width > image_.width || height > image_.height;
  setImage(std::move(resized), hasAlpha_ || (grew && width > 0 && height > 0));
}

void TRasterGraphic::Assign(rtl::TPersistent* source) {
  if (!source) {
    setImage({}, false);
    return;
  }
  if (auto* r = dynamic_cast<TRasterGraphic*>(source)) {
    if (r == this) return;
    setImage(r->displayImage(), r->hasAlpha_);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    setImage(b->ToImage(), b->PixelFormat() == pf32bit && b->AlphaFormat() != afIgnored);
    return;
  }
  TGraphic::Assign(source);
}

void TRasterGraphic::AssignTo(rtl::TPersistent* dest) {
  if (auto* b = dynamic_cast<TBitmap*>(dest)) {
    b->AssignImage(displayImage(), hasAlpha_);
    return;
  }
  TGraphic::AssignTo(dest);
}

void TRasterGraphic::Draw(TCanvas* canvas, const TRect& rect) {
  if (Empty()) return;
  gdi::HDC dc = canvas->Handle();
  if (hasAlpha_)
    impl::DrawWithAlpha(dc, rect, displayImage());
  else
    impl::DrawOpaque(dc, rect, displayImage(), canvas->CopyMode());
}

// ---- TPngImage ---------------------------------------------------------------------------

void TPngImage::LoadFromStream(rtl::TStream* stream) {
  codecs::DecodedImage d = decodeAs(&codecs::decodePng, rtl::ReadAllBytes(*stream), u"PNG");
  setImage(fromRaster(std::move(d.frames.front())), d.hasAlpha);
}

void TPngImage::SaveToStream(rtl::TStream* stream) {
  if (Empty()) throw EInvalidGraphicOperation(u"Cannot save an empty PNG image");
  writeEncoded(stream, [&] { return codecs::encodePng(toRaster(image_)); });
}

// ---- TJPEGImage -----------------------------------------------------------------------------

namespace {
int scaled(int size, TJPEGScale scale) {
  const int divisor = 1 << static_cast<int>(scale);
  return (size + divisor - 1) / divisor;
}
}  // namespace

int TJPEGImage::Width() const { return scaled(image_.width, scale_); }
int TJPEGImage::Height() const { return scaled(image_.height, scale_); }

void TJPEGImage::Assign(rtl::TPersistent* source) {
  if (auto* j = dynamic_cast<TJPEGImage*>(source)) {
    if (j == this) return;
    Changing(this);
    image_ = j->image_;
    hasAlpha_ = false;
    data_ = j->data_;
    quality_ = j->quality_;
    grayscale_ = j->grayscale_;
    performance_ = j->performance_;
    scale_ = j->scale_;
    Changed(this);
    return;
  }
  TRasterGraphic::Assign(source);
  hasAlpha_ = false;  // JPEG has no alpha: assigned pixels are drawn opaque
}

void TJPEGImage::SetCompressionQuality(int value) { quality_ = std::clamp(value, 1, 100); }

void TJPEGImage::SetGrayscale(bool value) {
  if (value == grayscale_) return;
  grayscale_ = value;
  Changed(this);
}

void TJPEGImage::SetScale(TJPEGScale value) {
  if (value == scale_) return;
  scale_ = value;
  Changed(this);
}

gdi::ImageBGRA TJPEGImage::displayImage() const {
  gdi::ImageBGRA shown = image_;
  if (grayscale_) {
    for (auto& p : shown.pixels) {
      const std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      const std::uint32_t y = (r * 299 + g * 587 + b * 114 + 500) / 1000;
      p = (p & 0xFF000000u) | (y << 16) | (y << 8) | y;
    }
  }
  return shown;
}

void TJPEGImage::Compress() {
  if (Empty()) throw EInvalidGraphicOperation(u"Cannot compress an empty JPEG image");
  codecs::Bytes bytes;
  try {
    bytes = codecs::encodeJpeg(toRaster(displayImage()), quality_);
  } catch (const gdiplus::GpException& e) {
    throw EInvalidGraphicOperation(e.Message());
  }
  data_ = std::move(bytes);
}

void TJPEGImage::LoadFromStream(rtl::TStream* stream) {
  rtl::TBytes bytes = rtl::ReadAllBytes(*stream);
  codecs::DecodedImage d = decodeAs(&codecs::decodeJpeg, bytes, u"JPEG");
  setImage(fromRaster(std::move(d.frames.front())), false);
  data_ = std::move(bytes);
}

void TJPEGImage::SaveToStream(rtl::TStream* stream) {
  if (data_.empty()) Compress();
  stream->WriteBuffer(data_.data(), rtl::Int64(data_.size()));
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect) {
  if (Empty()) return;
  impl::DrawOpaque(canvas->Handle(), rect, displayImage(), canvas->CopyMode());
}

// ---- TIcon ----------------------------------------------------------------------------------

void TIcon::SetSize(int width, int height) {
  if (width == image_.width && height == image_.height) return;
  if (!Empty()) throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
}

void TIcon::LoadFromStream(rtl::TStream* stream) {
  codecs::DecodedImage d = decodeAs(&codecs::decodeIco, rtl::ReadAllBytes(*stream), u"Icon");
  auto largest = std::max_element(d.frames.begin(), d.frames.end(), [](const auto& a, const auto& b) {
    return std::int64_t(a.width) * a.height < std::int64_t(b.width) * b.height;
  });
  setImage(fromRaster(std::move(*largest)), true);
}

void TIcon::SaveToStream(rtl::TStream* stream) {
  if (Empty()) throw EInvalidGraphicOperation(u"Cannot save an empty icon");
  writeEncoded(stream, [&] { return codecs::encodeIco(toRaster(image_)); });
}

}  // namespace ui

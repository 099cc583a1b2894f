#pragma once
// The graphic classes over the image codecs: PNG, JPEG and icons. Each
// keeps its picture as a 32-bit image with straight alpha.
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/ui/graphic.h"

namespace ui {

// The part the three classes share: pixels, size, drawing, assignment to
// and from a TBitmap.
class TRasterGraphic : public TGraphic {
  RTL_CLASS(TRasterGraphic, TGraphic)

 public:
  bool Empty() const override { return image_.width <= 0 || image_.height <= 0; }
  int Width() const override { return image_.width; }
  void SetWidth(int value) override { SetSize(value, image_.height); }
  int Height() const override { return image_.height; }
  void SetHeight(int value) override { SetSize(image_.width, value); }
  // Keeps the pixels that stay inside; new ones are transparent.
  void SetSize(int width, int height) override;
  void Assign(rtl::TPersistent* source) override;

  // The pixels: top-down, straight alpha.
  const gdi::ImageBGRA& Image() const { return image_; }
  bool HasAlpha() const { return hasAlpha_; }

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;
  void AssignTo(rtl::TPersistent* dest) override;
  // Takes a decoded picture; throws EInvalidGraphic on bad data.
  void setImage(gdi::ImageBGRA image, bool hasAlpha);
  virtual void pixelsChanged() {}
  // What is drawn and handed to a bitmap.
  virtual gdi::ImageBGRA displayImage() const { return image_; }

  gdi::ImageBGRA image_;
  bool hasAlpha_ = false;
};

// A PNG picture: alpha kept and blended when drawn.
class TPngImage : public TRasterGraphic {
  RTL_CLASS(TPngImage, TRasterGraphic)

 public:
  TPngImage() = default;
  bool Transparent() const override { return hasAlpha_; }
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
};

enum class TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum class TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };

// A JPEG picture (IJG libjpeg). It keeps the file it was loaded from and
// writes that back unchanged; pixels assigned from elsewhere are compressed
// at CompressionQuality when saved.
class TJPEGImage : public TRasterGraphic {
  RTL_CLASS(TJPEGImage, TRasterGraphic)

 public:
  TJPEGImage() = default;
  void Assign(rtl::TPersistent* source) override;

  // Scaled by Scale (rounded up), as the platform decodes at that size.
  int Width() const override;
  int Height() const override;
  bool Transparent() const override { return false; }
  void SetTransparent(bool) override {}

  int CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int value);  // 1..100
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool value);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance value) { performance_ = value; }
  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale value);

  // Compresses the current pixels now (at CompressionQuality).
  void Compress();

  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;
  void pixelsChanged() override { data_.clear(); }
  gdi::ImageBGRA displayImage() const override;

 private:
  std::vector<std::uint8_t> data_;  // the compressed file, when current
  int quality_ = 90;
  bool grayscale_ = false;
  TJPEGPerformance performance_ = TJPEGPerformance::jpBestQuality;
  TJPEGScale scale_ = TJPEGScale::jsFullSize;
};

// An icon: the largest image of an ICO file, drawn with its transparency.
class TIcon : public TRasterGraphic {
  RTL_CLASS(TIcon, TRasterGraphic)

 public:
  TIcon() = default;
  bool Transparent() const override { return true; }
  // EInvalidGraphicOperation "Cannot change the size of an icon" once it
  // holds an image.
  void SetSize(int width, int height) override;
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
};

}  // namespace ui

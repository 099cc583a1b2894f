#pragma once
// TBitmap: a DIB section (32 bits per pixel unless PixelFormat says
// otherwise) with a canvas drawing on it, kept in BMP files.
#include <memory>

#include "platform/gdi/surface.h"
#include "platform/ui/canvas.h"
#include "platform/ui/graphic.h"

namespace ui {

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
constexpr TPixelFormat pfDevice = TPixelFormat::pfDevice;
constexpr TPixelFormat pf1bit = TPixelFormat::pf1bit;
constexpr TPixelFormat pf4bit = TPixelFormat::pf4bit;
constexpr TPixelFormat pf8bit = TPixelFormat::pf8bit;
constexpr TPixelFormat pf15bit = TPixelFormat::pf15bit;
constexpr TPixelFormat pf16bit = TPixelFormat::pf16bit;
constexpr TPixelFormat pf24bit = TPixelFormat::pf24bit;
constexpr TPixelFormat pf32bit = TPixelFormat::pf32bit;
constexpr TPixelFormat pfCustom = TPixelFormat::pfCustom;

// What the fourth byte of a 32-bit pixel means.
enum class TAlphaFormat { afIgnored, afDefined, afPremultiplied };
constexpr TAlphaFormat afIgnored = TAlphaFormat::afIgnored;
constexpr TAlphaFormat afDefined = TAlphaFormat::afDefined;
constexpr TAlphaFormat afPremultiplied = TAlphaFormat::afPremultiplied;

enum class TTransparentMode { tmAuto, tmFixed };
constexpr TTransparentMode tmAuto = TTransparentMode::tmAuto;
constexpr TTransparentMode tmFixed = TTransparentMode::tmFixed;

enum class TBitmapHandleType { bmDIB, bmDDB };

class TBitmap;

// The canvas of a bitmap: a memory DC with the bitmap selected, made on
// first use and let go whenever the bitmap's handle changes.
class TBitmapCanvas : public TCanvas {
  RTL_CLASS(TBitmapCanvas, TCanvas)

 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override;
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* bitmap_;
  gdi::HGDIOBJ oldBitmap_ = nullptr;
};

class TBitmap : public TGraphic {
  RTL_CLASS(TBitmap, TGraphic)

 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  void Assign(rtl::TPersistent* source) override;

  bool Empty() const override { return width_ <= 0 || height_ <= 0; }
  int Width() const override { return width_; }
  void SetWidth(int value) override { SetSize(value, height_); }
  int Height() const override { return height_; }
  void SetHeight(int value) override { SetSize(width_, value); }
  // Keeps the pixels that stay inside; new ones are 0.
  void SetSize(int width, int height) override;

  // The DIB section (null while the bitmap is empty); owned by the bitmap.
  gdi::HBITMAP Handle() const { return handle_; }
  // Takes over a bitmap handle (null empties the bitmap).
  void SetHandle(gdi::HBITMAP value);
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Gives up the handle to the caller; the bitmap is empty afterwards.
  gdi::HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const { return TBitmapHandleType::bmDIB; }
  void SetHandleType(TBitmapHandleType) {}

  TCanvas* Canvas();

  // Changing the format converts the pixels.
  TPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TPixelFormat value);
  TAlphaFormat AlphaFormat() const { return alphaFormat_; }
  // Between afDefined and afPremultiplied the pixels are converted.
  void SetAlphaFormat(TAlphaFormat value);
  bool Monochrome() const { return pixelFormat_ == pf1bit; }
  void SetMonochrome(bool value) { SetPixelFormat(value ? pf1bit : pf32bit); }

  bool Transparent() const override { return TGraphic::Transparent(); }
  // tmAuto: the colour of the bottom-left pixel.
  TColor TransparentColor();
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode value);

  // The first byte of row y (0 is the top row). Rows are stored bottom-up,
  // as on the platform: ScanLine(1) lies below ScanLine(0) in memory.
  // ERangeError "Scan line index out of range" outside the bitmap.
  void* ScanLine(int y);

  // BMP: pf32bit files keep all four bytes, the lower formats their depth.
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
  // A 32-bit little-endian length, then a BMP file of exactly that length.
  // A length beyond the bytes left raises EReadError before anything is
  // read; an empty bitmap writes length 0.
  void ReadData(rtl::TStream* stream) override;
  void WriteData(rtl::TStream* stream) override;

  // Kept for callers written against the platform; nothing to release here.
  void Dormant() {}
  void FreeImage() {}

  // Replaces the picture by a top-down 32-bit image with straight alpha
  // (what the other graphic classes hand over when assigned to a bitmap):
  // pf32bit, AlphaFormat afDefined when `hasAlpha`, else afIgnored.
  void AssignImage(const gdi::ImageBGRA& image, bool hasAlpha);
  // The pixels as a top-down 32-bit image with straight alpha.
  gdi::ImageBGRA ToImage() const;

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  friend class TBitmapCanvas;
  // A new section of the current format and size, holding `pixels` (a
  // top-down 32-bit image) where given.
  void rebuild(int width, int height, TPixelFormat format, const gdi::ImageBGRA* pixels);
  gdi::ImageBGRA pixels() const;
  void canvasChanged(rtl::TObject* sender);

  gdi::HBITMAP handle_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  TPixelFormat pixelFormat_ = pf32bit;
  TAlphaFormat alphaFormat_ = afIgnored;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
  std::unique_ptr<TBitmapCanvas> canvas_;
};

}  // namespace ui

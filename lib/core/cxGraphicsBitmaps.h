#pragma once
// The library's bitmaps: TcxBitmap (a lazily made library canvas, batched
// change notification, the compressed "XDBM" data format), TcxBitmap32
// (32-bit pixels with alpha) and TcxAlphaBitmap (per-pixel transformations:
// disabled, faded, grey, hatched, masks, shadows), and free bitmap routines.
#include <cstdint>
#include <memory>
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/core/dxAlphaColors.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/rtl/streams.h"
#include "platform/ui/bitmap.h"

namespace core {

class TcxBitmap : public ui::TBitmap {
  RTL_CLASS(TcxBitmap, ui::TBitmap)

 public:
  // 24 bits per pixel unless a format is given.
  TcxBitmap() : TcxBitmap(0, 0) {}
  TcxBitmap(int width, int height) : TcxBitmap(width, height, ui::pf24bit) {}
  TcxBitmap(int width, int height, ui::TPixelFormat pixelFormat);
  TcxBitmap(const TRect& r, ui::TPixelFormat pixelFormat);
  ~TcxBitmap() override;

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate(bool forceUpdate = true);
  bool ChangeLocked() const { return FLockCount > 0; }

  // Negative sizes become 0; the same size again changes nothing.
  void SetSize(int width, int height) override;
  void SetSize(const TRect& r) { SetSize(r.right - r.left, r.bottom - r.top); }

  TcxCanvas* cxCanvas();
  TRect ClientRect() const { return TRect{0, 0, Width(), Height()}; }

  void CopyBitmap(ui::TBitmap* bitmap, gdi::DWORD mode = gdi::SRCCOPY);
  void CopyBitmap(ui::TBitmap* bitmap, const TRect& destRect, const TPoint& srcTopLeft,
                  gdi::DWORD mode = gdi::SRCCOPY);
  void Rotate(TcxRotationAngle angle, bool flipVertically = false);

  // When set, WriteData stores the compressed "XDBM" record.
  bool CompressData() const { return FCompressData; }
  void SetCompressData(bool value) { FCompressData = value; }
  // Reads the compressed record or, under any other signature, plain
  // bitmap data. Bad input raises EReadError or EInvalidGraphic.
  void ReadData(rtl::TStream* stream) override;
  void WriteData(rtl::TStream* stream) override;

 protected:
  void Changed(rtl::TObject* sender) override;
  virtual void Initialize(int width, int height, ui::TPixelFormat pixelFormat);
  virtual void Update() {}

 private:
  bool FCompressData = false;
  std::unique_ptr<TcxCanvas> FcxCanvas;
  int FLockCount = 0;
  bool FModified = false;
};

class TcxBitmap32 : public TcxBitmap {
  RTL_CLASS(TcxBitmap32, TcxBitmap)

 public:
  TcxBitmap32() : TcxBitmap32(0, 0) {}
  TcxBitmap32(int width, int height, bool clear = false);
  explicit TcxBitmap32(const TRect& r, bool clear = false);

  // Every pixel 0 (black, alpha 0).
  virtual void Clear();
  // Bottom-up rows.
  void GetBitmapColors(TRGBColors& colors);
  void SetBitmapColors(const TRGBColors& colors);
  void AlphaBlend(ui::TBitmap* destBitmap, const TRect& r, bool smoothImage,
                  std::uint8_t constantAlpha = 0xFF);
  void Darken(std::uint8_t percent);
  void Lighten(std::uint8_t percent);
  // Destination and not source.
  void Filter(TcxBitmap32* maskBitmap);
  void SetAlphaChannel(std::uint8_t alpha);
  void MakeOpaque() { SetAlphaChannel(255); }
  void RecoverTransparency(TColor transparentBGR);
  void Resize(int newWidth, int newHeight, bool stretch, bool smooth, TColor fillColor = ui::clNone);
  bool IsAlphaUsed() { return dxIsAlphaUsed(this); }

  void LoadFromStream(rtl::TStream* stream) override;

 protected:
  // Raises EdxException "Wrong PixelFormat" unless 32 bits per pixel.
  void Update() override;
};

struct TcxHatchData {
  TRGBQuad Color1;
  std::uint8_t Alpha1;
  TRGBQuad Color2;
  std::uint8_t Alpha2;
  std::uint8_t Step;
};

struct TcxColorTransitionMap {
  float RedScale, GreenScale, BlueScale;
  std::uint8_t SrcAlpha, SrcConstantAlpha;
};
inline constexpr TcxColorTransitionMap DisableMap{0.0729f, 0.7146f, 0.2125f, 105, 151};
inline constexpr TcxColorTransitionMap FadeMap{0.299f, 0.587f, 0.114f, 192, 64};
inline constexpr TcxColorTransitionMap GrayMap{0.299f, 0.587f, 0.114f, 255, 255};

enum class TcxBitmapTransformationMode {
  btmDingy, btmDirty, btmGrayScale, btmSetOpaque, btmMakeMask, btmFade, btmDisable, btmCorrectBlend,
  btmHatch, btmClear, btmResetAlpha, btmExtractLayer
};

// White opaque, and transparent black.
inline constexpr TRGBQuad ClrNone{0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr TRGBQuad ClrTransparent{0, 0, 0, 0};

class TcxAlphaBitmap : public TcxBitmap32 {
  RTL_CLASS(TcxAlphaBitmap, TcxBitmap32)

 public:
  TcxAlphaBitmap() : TcxAlphaBitmap(0, 0) {}
  TcxAlphaBitmap(int width, int height);
  TcxAlphaBitmap(int width, int height, const TRGBQuad& transparentBkColor);

  void Clear() override;
  void RefreshImage(int width, int height);
  bool IsColorTransparent(const TRGBQuad& color) const;
  void RecoverAlphaChannel(TColor transparentColor);
  void ExtractLayer(TColor transparentColor);
  void DrawHatch(const TcxHatchData& hatchData);
  void DrawHatch(TColor color1, TColor color2, std::uint8_t step, std::uint8_t alpha1, std::uint8_t alpha2);
  void DrawShadow(TcxAlphaBitmap* maskBitmap, int shadowSize, TColor shadowColor = ui::clBtnShadow,
                  bool inflateSize = false);
  void TransformBitmap(TcxBitmapTransformationMode mode);

  const TRGBQuad& TransparentBkColor() const { return FTransparentBkColor; }
  void SetTransparentBkColor(const TRGBQuad& value) { FTransparentBkColor = value; }
  // Further transparent colours, kept as their blue-green-red bytes.
  std::vector<std::uint32_t>& TransparentPixels() { return FTransparentPixels; }
  void AddTransparentColor(TColor color);

 private:
  void TransformPixel(TcxBitmapTransformationMode mode, TRGBQuad& pixel);
  TRGBQuad FTransparentBkColor{};
  std::vector<std::uint32_t> FTransparentPixels;
  TPoint FCurrentColorIndex{};
  TcxHatchData FHatchData{};
};

// ---- free routines --------------------------------------------------------------------
// New platform bitmaps (the caller owns them).
std::unique_ptr<ui::TBitmap> cxCreateBitmap(const TSize& size, ui::TPixelFormat format = ui::pf24bit);
std::unique_ptr<ui::TBitmap> cxCreateBitmap(const TRect& r, ui::TPixelFormat format = ui::pf24bit);
std::unique_ptr<ui::TBitmap> cxCreateBitmap(int width, int height, ui::TPixelFormat format = ui::pf24bit);
std::unique_ptr<TcxAlphaBitmap> cxCreateBitmapCopy(ui::TBitmap* sourceBitmap);
void cxCopyBitmap(ui::TBitmap* destBitmap, ui::TBitmap* srcBitmap);
std::unique_ptr<ui::TBitmap> cxCloneBitmap(ui::TBitmap* bitmap);
void cxClearBitmap(ui::TBitmap* bitmap);
// The mask of the source (transparent white, the rest black) at (0, 0) of
// the mask bitmap.
void cxMakeMaskBitmap(ui::TBitmap* sourceBitmap, ui::TBitmap* maskBitmap);
// A DIB-section copy; the caller owns it.
gdi::HBITMAP cxCopyImage(gdi::HBITMAP srcHandle);

// Three shared work bitmaps, 32-bit and cleared, at the size asked.
TcxAlphaBitmap* GetDrawBitmap(int width, int height);
TcxAlphaBitmap* GetImageBitmap(int width, int height);
TcxAlphaBitmap* GetMaskBitmap(int width, int height);
void cxFreeWorkBitmaps();

// Writing and reading the compressed record alone (TcxBitmap uses them):
// `data` is plain bitmap data, `blockSize` the pixel size in bytes.
void dxWriteCompressedBitmapData(rtl::TStream* stream, const std::uint8_t* data, std::size_t size,
                                 int blockSize);
// False (stream untouched) when the record there is not "XDBM"; otherwise
// the expanded plain data. The expanded size is capped.
bool dxReadCompressedBitmapData(rtl::TStream* stream, rtl::TMemoryStream& expanded);
inline constexpr std::size_t dxMaxExpandedBitmapData = std::size_t(512) << 20;

}  // namespace core

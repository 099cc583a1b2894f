#pragma once
// The library's image graphic over the graphics interface. An image is
// empty, pending (encoded bytes or 32-bit pixels kept, nothing decoded) or
// realised (an interface image made on first draw or query). Encoded bytes
// are kept beside the realised image, so saving in the loaded format writes
// them back unchanged. Also: the streaming and glyph variants, clipboard
// formats, and frame-by-frame animation of multi-frame images.
#include <cstdint>
#include <memory>
#include <vector>

#include "lib/core/dxGDIPlusClasses.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/graphic.h"

namespace gdiplus {
class GpImage;
}

namespace core {

class TcxTimer;

enum class TdxImageDataFormat {
  dxImageUnknown, dxImageBitmap, dxImageJpeg, dxImagePng, dxImageTiff, dxImageGif, dxImageEmf, dxImageExif,
  dxImageIcon, dxImageMemoryBmp, dxImageWmf
};

inline constexpr TcxResourceString sdxGetImageEncoderFails{u"dxGetImageEncoder fails"};
inline constexpr TcxResourceString sdxInternalSaveToStreamFails{u"InternalSaveToStream fails"};

TdxImageDataFormat dxGetImageDataFormat(const gdiplus::GUID& AFormat);
// The zero identifier for formats without an encoder; EdxException for
// dxImageUnknown and dxImageExif.
CLSID dxGetImageEncoder(TdxImageDataFormat AFormat);

// The image before it becomes an interface image.
class TdxGPImageData : public rtl::TObject {
 public:
  bool Empty() const { return !FData && FBits.empty(); }
  void FreeImageData();
  void Assign(const TdxGPImageData& ASource);
  // Everything from the stream's position to its end (nothing when nothing
  // remains).
  void LoadFromStream(rtl::TStream* AStream);
  // Takes the pixels over (premultiplied B, G, R, A, rows top-down); without
  // alpha of their own every alpha byte is rewritten from the transparency.
  void LoadFromBits(std::vector<std::uint32_t> ABits, const gdi::SIZE& ASize, bool AHasAlpha);

  bool FTransparent = false;
  ui::TColor FTransparentColor = ui::clDefault;
  ui::TTransparentMode FTransparentMode = ui::tmAuto;
  std::vector<std::uint32_t> FBits;
  gdi::SIZE FBitsBounds{};
  std::unique_ptr<std::vector<std::uint8_t>> FData;
  gdi::SIZE FNewSize{};
};

class TdxGPImage;

class TdxGPImageCustomAnimationController : public rtl::TObject {
 public:
  explicit TdxGPImageCustomAnimationController(TdxGPImage* AImage) : FImage(AImage) {}
  virtual void ActivateTimer() {}
  virtual void DeactivateTimer() {}
  virtual bool IsTimerActive() { return false; }
  // One frame delay has passed: on to the next frame, or stop at the end.
  virtual void TimerHandler(rtl::TObject* Sender);
  void StartAnimation() { ActivateTimer(); }
  TdxGPImage* Image() const { return FImage; }

 protected:
  TdxGPImage* FImage;
};

// The controller that drives animations (replaced by the timer-driven one
// while the graphics unit is started).
using TdxGPImageAnimationControllerFactory = TdxGPImageCustomAnimationController* (*)(TdxGPImage*);
extern TdxGPImageAnimationControllerFactory ImageAnimationControllerClass;

class TdxGPImage : public ui::TGraphic {
  RTL_CLASS(TdxGPImage, ui::TGraphic)

 public:
  TdxGPImage();
  // A width x height picture of one pixel value, taken as carrying alpha.
  TdxGPImage(const gdi::SIZE& ASize, std::uint32_t AColor);
  ~TdxGPImage() override;
  static TdxGPImage* CreateFromBitmap(ui::TBitmap* ABitmap);
  static TdxGPImage* CreateFromHBitmap(gdi::HBITMAP ABitmap);
  static TdxGPImage* CreateFromBits(int AWidth, int AHeight, const std::vector<std::uint32_t>& ABits,
                                    bool AHasAlpha);
  static TdxGPImage* CreateFromStream(rtl::TStream* AStream);

  // TGraphic
  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  bool Transparent() const override;
  void LoadFromStream(rtl::TStream* AStream) override;
  void SaveToStream(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;

  void LoadFromBits(int AWidth, int AHeight, const std::vector<std::uint32_t>& ABits, bool AHasAlpha);
  void LoadFromResource(const String& AResName, const String& AResType);
  void SetBitmap(ui::TBitmap* ABitmap);
  // Takes the interface image over.
  void SetHandle(gdiplus::GpImage* AHandle);
  void Clear();
  TdxGPImage* Clone() const;

  gdiplus::GpImage* Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  bool Loaded() const;
  TdxImageDataFormat ImageDataFormat();
  gdi::SIZE Size();
  ui::TRect ClientRect();
  bool IsAlphaUsed();

  void StretchDraw(gdi::HDC DC, const ui::TRect& ADest, std::uint8_t AAlpha = 255);
  void StretchDraw(gdi::HDC DC, const ui::TRect& ADest, const ui::TRect& ASource, std::uint8_t AAlpha = 255);
  void SaveToStreamByCodec(rtl::TStream* AStream, TdxImageDataFormat AFormat);
  // A new 32-bit bitmap; the caller frees it.
  ui::TBitmap* GetAsBitmap();
  // Premultiplied pixels, top-down.
  std::vector<std::uint32_t> GetBitmapBits();

  void Resize(int AWidth, int AHeight);
  void Resize(const gdi::SIZE& ASize) { Resize(ASize.cx, ASize.cy); }
  void ChangeColor(ui::TColor AColor);
  bool Compare(TdxGPImage* AImage);
  bool Equals(ui::TGraphic* AGraphic);
  std::uint32_t GetHashCode();

  // Clipboard: Format in/out, Data a global-memory block or a bitmap handle.
  void SaveToClipboardFormat(win::UINT& AFormat, win::HANDLE& AData);
  void LoadFromClipboardFormat(win::UINT AFormat, win::HANDLE AData);
  void PasteFromClipboard();
  static bool IsSupportClipboardFormat(win::UINT AFormat);

  // Animation.
  int AnimationFrameCount();
  int AnimationFrameDelay();
  void SetAnimationFrameDelay(int AValue) { FAnimationFrameDelay = AValue; }
  int AnimationLoopCount();
  TdxDefaultBoolean AnimationLoop() const { return FAnimationLoop; }
  void SetAnimationLoop(TdxDefaultBoolean AValue) { FAnimationLoop = AValue; }
  int ActiveFrame() const { return FActiveFrame; }
  void SetActiveFrame(int AIndex);
  bool Animation() const;
  void SetAnimation(bool AValue);
  TdxGPImageCustomAnimationController* AnimationController() const { return FAnimationController.get(); }
  // Frees the controller (also from within its own timer handler).
  void StopAnimation();

 protected:
  void Draw(ui::TCanvas* ACanvas, const ui::TRect& ARect) override;
  void AssignTo(rtl::TPersistent* ADest) override;
  void Changed(rtl::TObject* Sender) override;

  virtual bool CanCreateHandleFromBitmapStream() const { return true; }
  virtual void CreateHandleFromBitmap(ui::TBitmap* ABitmap);
  virtual bool IsBitmapStream(rtl::TStream* AStream);
  void AssignFromGpImage(TdxGPImage* AImage);
  void AssignFromGraphic(ui::TGraphic* AGraphic);
  void FreeHandle();
  void HandleNeeded();
  void InternalSaveToStream(rtl::TStream* AStream, TdxImageDataFormat AFormat);

  TdxGPImageData& ImageData() { return *FImageData; }

 private:
  void CreateHandleFromImageData();
  void CreateHandleFromBits(int AWidth, int AHeight, bool AHasAlpha, std::vector<std::uint32_t> ABits);
  void ConvertToBitmap();
  std::vector<std::uint8_t> CreateStream(TdxImageDataFormat AFormat);
  void RecreateHandle();
  void RecognizeImageRawDataFormat();
  void InternalSelectActiveFrame(int AIndex);
  bool readProperty(gdiplus::PROPID AId, std::vector<std::uint8_t>& AValue);

  int FActiveFrame = 0;
  std::unique_ptr<TdxGPImageCustomAnimationController> FAnimationController;
  int FAnimationFrameDelay = 0;
  TdxDefaultBoolean FAnimationLoop = TdxDefaultBoolean::bTrue;
  int FAnimationLoopIndex = 0;
  gdiplus::GUID FDimensionID{};
  std::unique_ptr<TdxGPImageData> FImageData;
  TdxImageDataFormat FImageDataFormat = TdxImageDataFormat::dxImageUnknown;
  bool FIsAlphaUsed = false;
  bool FIsAlphaUsedAssigned = false;
  gdiplus::GpImage* FHandle = nullptr;
};

// Streams in form files as the "Data" property: the encoded image itself.
class TdxSmartImage : public TdxGPImage {
  RTL_CLASS(TdxSmartImage, TdxGPImage)

 public:
  TdxSmartImage() = default;
  void ReadData(rtl::TStream* AStream) override { LoadFromStream(AStream); }
  void WriteData(rtl::TStream* AStream) override { SaveToStream(AStream); }
};

// Always saves PNG.
class TdxPNGImage : public TdxSmartImage {
  RTL_CLASS(TdxPNGImage, TdxSmartImage)

 public:
  TdxPNGImage() = default;
  void SaveToStream(rtl::TStream* AStream) override;
};

// A glyph: bitmaps are drawn with their transparent colour cut out, and the
// platform's length-prefixed bitmap streams are recognised.
class TdxSmartGlyph : public TdxSmartImage {
  RTL_CLASS(TdxSmartGlyph, TdxSmartImage)

 public:
  TdxSmartGlyph() = default;

 protected:
  void CreateHandleFromBitmap(ui::TBitmap* ABitmap) override;
  bool IsBitmapStream(rtl::TStream* AStream) override;
};

class TdxGPImageDataHelper {
 public:
  // "BM" at the position; the position is kept.
  static bool IsBitmapStream(rtl::TStream* AStream);
};

class TdxSmartGlyphDataHelper : public TdxGPImageDataHelper {
 public:
  // Also a 32-bit length followed by a bitmap whose file-size field equals
  // it: the stream is left at the bitmap header then, else where it was.
  static bool IsBitmapStream(rtl::TStream* AStream);
};

// Steps an image's frames on a timer of one frame delay.
class TdxImageAnimationController : public TdxGPImageCustomAnimationController {
 public:
  using TdxGPImageCustomAnimationController::TdxGPImageCustomAnimationController;
  ~TdxImageAnimationController() override;
  void ActivateTimer() override;
  void DeactivateTimer() override;
  bool IsTimerActive() override;
  TcxTimer* Timer() const { return FTimer.get(); }

 private:
  std::unique_ptr<TcxTimer> FTimer;
};

// The clipboard format of an image data format (0 = none), as registered.
win::UINT dxImageClipboardFormat(TdxImageDataFormat AFormat);

// Start: codecs, picture and clipboard formats, streaming classes (nothing
// while the interface is unavailable). Stop: the reverse, and the shared
// drawing objects. Started when the program starts; tests restart them.
void dxGDIPlusClassesUnitStart();
void dxGDIPlusClassesUnitStop();

}  // namespace core

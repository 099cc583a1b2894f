#pragma once
// Cross-fading of hot-tracked parts: one global fader keeps, for every
// fading object, its two pictures as 32-bit pixel arrays and on a 10 ms
// timer builds the next in-between frame, hands it to the object for
// painting and ends the fade one frame period after the last one. Objects
// take part through IdxFadingObject, usually by deriving a helper from
// TdxFadingObjectHelper.
#include <vector>

#include "lib/core/dxCoreClasses.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/classes.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"

namespace core {
class TdxGPImage;
}
namespace ui {
class TTimer;
}

namespace lookandfeel {

enum class TcxButtonState;

enum class TdxFaderAnimationState { fasDefault, fasEnabled, fasDisabled };
enum class TdxFadingState { fsFadeIn, fsFadeOut };
enum class TdxFadingObjectState { fosNone, fosGetParams, fosFading };

constexpr int dxFadeTimerInterval = 10;
constexpr int dxFadeMaxAnimationCount = 10;
constexpr int dxFadeMaxAnimationFrameCount = 32;
constexpr int dxFadeMaxAnimationFrameDelay = 300;
constexpr int dxFadeMaxAlpha = 255;
inline int dxFadeInDefaultAnimationFrameCount = 4;
inline int dxFadeInDefaultAnimationFrameDelay = 15;
inline int dxFadeOutDefaultAnimationFrameCount = 12;
inline int dxFadeOutDefaultAnimationFrameDelay = 20;

class IdxFadingObject {
 public:
  virtual ~IdxFadingObject() = default;
  // Whether the object wants fading now.
  virtual bool CanFade() = 0;
  // A new frame is ready or the fade ended: the object repaints itself.
  virtual void DrawFadeImage() = 0;
  // Two new bitmaps of equal size, the normal and the hot picture; the
  // fader owns them afterwards.
  virtual void GetFadingImages(ui::TBitmap*& AFadeOutImage, ui::TBitmap*& AFadeInImage) = 0;
};

class TdxFadingOptions;

class IdxFadingObjectFadingOptions {
 public:
  virtual ~IdxFadingObjectFadingOptions() = default;
  // Options that replace the defaults for this object, or null.
  virtual TdxFadingOptions* GetFadingOptions() = 0;
};

class TdxFadingOptions : public rtl::TPersistent {
  RTL_CLASS(TdxFadingOptions, rtl::TPersistent)

 public:
  static void Published(rtl::PropTable<TdxFadingOptions>& p);
  void Assign(rtl::TPersistent* Source) override;

  int FadeInFrameCount() const { return FFadeInFrameCount; }
  int FadeInFrameDelay() const { return FFadeInFrameDelay; }
  int FadeOutFrameCount() const { return FFadeOutFrameCount; }
  int FadeOutFrameDelay() const { return FFadeOutFrameDelay; }
  // Counts are kept within 0..32 (0 turns that direction off), delays
  // within 10..300 ms.
  void SetFadeInFrameCount(int Value);
  void SetFadeInFrameDelay(int Value);
  void SetFadeOutFrameCount(int Value);
  void SetFadeOutFrameDelay(int Value);
  // Only values that differ from the defaults are stored.
  bool IsFadeInFrameCountStored() const { return FFadeInFrameCount != dxFadeInDefaultAnimationFrameCount; }
  bool IsFadeInFrameDelayStored() const { return FFadeInFrameDelay != dxFadeInDefaultAnimationFrameDelay; }
  bool IsFadeOutFrameCountStored() const { return FFadeOutFrameCount != dxFadeOutDefaultAnimationFrameCount; }
  bool IsFadeOutFrameDelayStored() const { return FFadeOutFrameDelay != dxFadeOutDefaultAnimationFrameDelay; }

 private:
  int FFadeInFrameCount = dxFadeInDefaultAnimationFrameCount;
  int FFadeInFrameDelay = dxFadeInDefaultAnimationFrameDelay;
  int FFadeOutFrameCount = dxFadeOutDefaultAnimationFrameCount;
  int FFadeOutFrameDelay = dxFadeOutDefaultAnimationFrameDelay;
};

class TdxFader;

// One running fade.
class TdxFadingElement : public core::TcxIUnknownObject {
  RTL_CLASS(TdxFadingElement, core::TcxIUnknownObject)

 public:
  TdxFadingElement(TdxFader* AOwner, rtl::TObject* AElement, IdxFadingObject* AFadingObject);
  ~TdxFadingElement() override;

  void SetAnimationParams(int AFrameCount, int AFrameDelay);
  // Takes the two pictures (start and end) and builds the current frame.
  void SetImages(core::TRGBColors AImage1, core::TRGBColors AImage2, const gdi::SIZE& ASize);
  // One timer tick: the next frame every FDelayCount ticks, the end one
  // frame period after the last.
  void ProcessFadeStep();
  // Drops the frame, lets the object paint its normal state and frees this.
  void Finalize();

  rtl::TObject* Element() const { return FElement; }
  int Stage() const { return FStage; }
  void SetStage(int Value) { FStage = Value; }
  int AnimationFrameCount() const { return FAnimationFrameCount; }
  int DelayCount() const { return FDelayCount; }
  const gdi::SIZE& ImageSize() const { return FImageSize; }
  core::TdxGPImage* WorkImage() const { return FWorkImage; }
  // The frame on the screen as pixels (empty before the first frame).
  const core::TRGBColors& WorkColors() const { return FWorkColors; }

 private:
  void BuildWorkImage();
  void SetWorkImage(core::TdxGPImage* AImage);

  int FAnimationFrameCount = 0;
  int FAnimationFrameDelay = 0;
  int FDelayCount = 1;
  int FDelayIndex = 0;
  rtl::TObject* FElement;
  IdxFadingObject* FFadingObject;
  gdi::SIZE FImageSize{};
  TdxFader* FOwner;
  int FStage = 0;
  core::TdxGPImage* FWorkImage = nullptr;
  core::TRGBColors FWorkColors;
  core::TRGBColors FImage1Colors;
  core::TRGBColors FImage2Colors;
};

class TdxFader : public rtl::TObject {
  RTL_CLASS(TdxFader, rtl::TObject)

 public:
  TdxFader();
  ~TdxFader() override;

  bool CanFade(rtl::TObject* AObject);
  bool CanFade(rtl::TObject* AObject, IdxFadingObject*& AFadingObject);
  void FadeIn(rtl::TObject* AObject);
  void FadeOut(rtl::TObject* AObject);
  // Frees both bitmaps in every case.
  void Fade(rtl::TObject* AObject, ui::TBitmap* AImage1, ui::TBitmap* AImage2, int AAnimationFrameCount,
            int AAnimationFrameDelay);
  bool Contains(rtl::TObject* AObject) const;
  bool DrawFadeImage(rtl::TObject* AObject, gdi::HDC DC, const gdi::RECT& R);
  void Remove(rtl::TObject* AObject, bool ADestroying = false);
  void Clear();

  TdxFaderAnimationState State() const { return FState; }
  void SetState(TdxFaderAnimationState Value) { FState = Value; }
  bool Active() const;
  bool IsReady() const;
  int MaxAnimationCount() const { return FMaxAnimationCount; }
  void SetMaxAnimationCount(int Value);
  int Count() const { return int(FList.size()); }
  TdxFadingElement* Find(rtl::TObject* AObject) const;
  // Whether the fade timer runs.
  bool TimerActive() const;

 private:
  friend class TdxFadingElement;
  void AddFadingElement(TdxFadingElement* AElement);
  void RemoveFadingElement(TdxFadingElement* AElement);
  void ValidateQueue();
  void DoTimer(rtl::TObject* Sender);

  std::vector<TdxFadingElement*> FList;
  int FMaxAnimationCount = dxFadeMaxAnimationCount;
  TdxFaderAnimationState FState = TdxFaderAnimationState::fasDefault;
  ui::TTimer* FTimer = nullptr;
  bool FClearing = false;
};

struct TdxFadingHelper {
  // The resolved colour; black becomes RGB(1, 1, 1).
  static gdi::COLORREF CheckColor(ui::TColor AColor);
  // Pixels with alpha 0 and a colour other than black become opaque.
  static void CorrectAlphaChannel(core::TRGBColors& AColors);
};

// Base of the per-control fading helpers.
class TdxFadingObjectHelper : public core::TcxIUnknownObject, public IdxFadingObject {
  RTL_CLASS(TdxFadingObjectHelper, core::TcxIUnknownObject)

 public:
  ~TdxFadingObjectHelper() override;

  bool CanFade() override { return false; }
  void DrawFadeImage() override {}
  void GetFadingImages(ui::TBitmap*& AFadeOutImage, ui::TBitmap*& AFadeInImage) override {}

  void FadeIn();
  void FadeOut();
  void StopFading();
  bool Active() const;
  bool DrawImage(gdi::HDC DC, const gdi::RECT& R);
  // To hot from below fades in, from hot to below fades out, any other
  // change stops fading (pressed and disabled rank above hot).
  void CheckStartFading(TcxButtonState APrevState, TcxButtonState AState);
};

// The global fader (null after the unit stop).
TdxFader* dxFader();
void dxFadingUnitStart();
void dxFadingUnitStop();

}  // namespace lookandfeel

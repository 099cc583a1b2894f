#include "lib/lookandfeel/dxFading.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lib/core/dxAlphaColors.h"
#include "lib/core/dxGDIPlusAPI.h"
#include "lib/core/dxSmartImage.h"
#include "lib/lookandfeel/cxControlsSystem.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/mathutil.h"
#include "platform/ui/timer.h"
#include "platform/win/paint.h"

namespace lookandfeel {

namespace {

struct FadingUnit {
  bool finalized = false;
  TdxFader* fader = nullptr;
};

FadingUnit& fadingUnit() {
  static FadingUnit state;
  return state;
}

int clampInt(int value, int low, int high) { return std::max(low, std::min(value, high)); }

bool readImage(ui::TBitmap* bitmap, core::TRGBColors& colors) {
  if (!core::GetBitmapBits(bitmap, colors, true)) return false;
  TdxFadingHelper::CorrectAlphaChannel(colors);
  return true;
}

int screenDepth() {
  gdi::HDC dc = win::GetDC(nullptr);
  const int depth = gdi::GetDeviceCaps(dc, gdi::BITSPIXEL);
  win::ReleaseDC(nullptr, dc);
  return depth;
}

}  // namespace

// --- TdxFadingOptions ----------------------------------------------------------------------
void TdxFadingOptions::Published(rtl::PropTable<TdxFadingOptions>& p) {
  p.Int("FadeInFrameCount", &TdxFadingOptions::FadeInFrameCount, &TdxFadingOptions::SetFadeInFrameCount)
      .Default(dxFadeInDefaultAnimationFrameCount);
  p.Int("FadeInFrameDelay", &TdxFadingOptions::FadeInFrameDelay, &TdxFadingOptions::SetFadeInFrameDelay)
      .Default(dxFadeInDefaultAnimationFrameDelay);
  p.Int("FadeOutFrameCount", &TdxFadingOptions::FadeOutFrameCount, &TdxFadingOptions::SetFadeOutFrameCount)
      .Default(dxFadeOutDefaultAnimationFrameCount);
  p.Int("FadeOutFrameDelay", &TdxFadingOptions::FadeOutFrameDelay, &TdxFadingOptions::SetFadeOutFrameDelay)
      .Default(dxFadeOutDefaultAnimationFrameDelay);
}

void TdxFadingOptions::Assign(rtl::TPersistent* Source) {
  if (auto* source = dynamic_cast<TdxFadingOptions*>(Source)) {
    SetFadeInFrameCount(source->FadeInFrameCount());
    SetFadeInFrameDelay(source->FadeInFrameDelay());
    SetFadeOutFrameCount(source->FadeOutFrameCount());
    SetFadeOutFrameDelay(source->FadeOutFrameDelay());
    return;
  }
  rtl::TPersistent::Assign(Source);
}

void TdxFadingOptions::SetFadeInFrameCount(int Value) {
  FFadeInFrameCount = clampInt(Value, 0, dxFadeMaxAnimationFrameCount);
}
void TdxFadingOptions::SetFadeInFrameDelay(int Value) {
  FFadeInFrameDelay = clampInt(Value, dxFadeTimerInterval, dxFadeMaxAnimationFrameDelay);
}
void TdxFadingOptions::SetFadeOutFrameCount(int Value) {
  FFadeOutFrameCount = clampInt(Value, 0, dxFadeMaxAnimationFrameCount);
}
void TdxFadingOptions::SetFadeOutFrameDelay(int Value) {
  FFadeOutFrameDelay = clampInt(Value, dxFadeTimerInterval, dxFadeMaxAnimationFrameDelay);
}

// --- TdxFadingHelper -----------------------------------------------------------------------
gdi::COLORREF TdxFadingHelper::CheckColor(ui::TColor AColor) {
  const gdi::COLORREF color = ui::ColorToRGB(AColor);
  // Black stands for "transparent" in the pictures, so real black is nudged.
  return color == 0 ? gdi::COLORREF(0x010101) : color;
}

void TdxFadingHelper::CorrectAlphaChannel(core::TRGBColors& AColors) {
  for (gdi::RGBQUAD& pixel : AColors) {
    if (pixel.rgbReserved == 0 && (pixel.rgbBlue | pixel.rgbGreen | pixel.rgbRed) != 0) pixel.rgbReserved = 255;
  }
}

// --- TdxFadingElement ----------------------------------------------------------------------
TdxFadingElement::TdxFadingElement(TdxFader* AOwner, rtl::TObject* AElement, IdxFadingObject* AFadingObject)
    : FElement(AElement), FFadingObject(AFadingObject), FOwner(AOwner) {}

TdxFadingElement::~TdxFadingElement() {
  delete FWorkImage;
  if (FOwner) FOwner->RemoveFadingElement(this);
}

void TdxFadingElement::SetAnimationParams(int AFrameCount, int AFrameDelay) {
  FAnimationFrameCount = std::max(1, std::min(AFrameCount, dxFadeMaxAnimationFrameCount));
  FAnimationFrameDelay = std::max(1, std::min(AFrameDelay, dxFadeMaxAnimationFrameDelay));
  FDelayCount = std::max(AFrameDelay / dxFadeTimerInterval, 1);
  FDelayIndex = 0;
}

void TdxFadingElement::SetImages(core::TRGBColors AImage1, core::TRGBColors AImage2, const gdi::SIZE& ASize) {
  FImage1Colors = std::move(AImage1);
  FImage2Colors = std::move(AImage2);
  FImageSize = ASize;
  BuildWorkImage();
}

void TdxFadingElement::BuildWorkImage() {
  const int a = rtl::MulDiv(FStage, 255, FAnimationFrameCount);
  const float b = float(a) / 255.0f;
  const float c = 1.0f - b;
  const size_t count = std::min(FImage1Colors.size(), FImage2Colors.size());
  core::TRGBColors colors(count);
  auto mix = [&](gdi::BYTE p1, gdi::BYTE p2) {
    return gdi::BYTE(std::nearbyint(std::min(c * float(p1) + b * float(p2), 255.0f)));
  };
  std::vector<std::uint32_t> bits(count);
  for (size_t i = 0; i < count; ++i) {
    const gdi::RGBQUAD& p1 = FImage1Colors[i];
    const gdi::RGBQUAD& p2 = FImage2Colors[i];
    colors[i] = gdi::RGBQUAD{mix(p1.rgbBlue, p2.rgbBlue), mix(p1.rgbGreen, p2.rgbGreen), mix(p1.rgbRed, p2.rgbRed),
                             mix(p1.rgbReserved, p2.rgbReserved)};
    bits[i] = core::dxRGBQuadToUInt(colors[i]);
  }
  FWorkColors = std::move(colors);
  SetWorkImage(core::TdxGPImage::CreateFromBits(FImageSize.cx, FImageSize.cy, bits, true));
}

void TdxFadingElement::SetWorkImage(core::TdxGPImage* AImage) {
  if (AImage == FWorkImage) return;
  core::TdxGPImage* old = FWorkImage;
  FWorkImage = AImage;
  if (!AImage) FWorkColors.clear();
  if (FFadingObject) FFadingObject->DrawFadeImage();
  delete old;
}

void TdxFadingElement::ProcessFadeStep() {
  FDelayIndex = (FDelayIndex + 1) % FDelayCount;
  if (FDelayIndex != 0) return;
  if (FStage < FAnimationFrameCount) {
    ++FStage;
    BuildWorkImage();
  } else {
    Finalize();
  }
}

void TdxFadingElement::Finalize() {
  SetWorkImage(nullptr);
  Free();
}

// --- TdxFader ------------------------------------------------------------------------------
TdxFader::TdxFader() = default;

TdxFader::~TdxFader() {
  Clear();
  rtl::FreeAndNil(FTimer);
}

bool TdxFader::Active() const {
  switch (FState) {
    case TdxFaderAnimationState::fasEnabled: return true;
    case TdxFaderAnimationState::fasDisabled: return false;
    case TdxFaderAnimationState::fasDefault: break;
  }
  // Hot-tracking fades follow the system's menu-animation setting.
  TdxSystemInfo* info = dxSystemInfo();
  win::BOOL animate = 0;
  return info && info->GetParameter(win::SPI_GETMENUANIMATION, &animate) && animate != 0;
}

bool TdxFader::IsReady() const {
  return Active() && FMaxAnimationCount > 0 && core::CheckGdiPlus() && screenDepth() > 16;
}

void TdxFader::SetMaxAnimationCount(int Value) {
  FMaxAnimationCount = std::max(Value, 0);
  ValidateQueue();
}

bool TdxFader::CanFade(rtl::TObject* AObject) {
  IdxFadingObject* fadingObject = nullptr;
  return CanFade(AObject, fadingObject);
}

bool TdxFader::CanFade(rtl::TObject* AObject, IdxFadingObject*& AFadingObject) {
  AFadingObject = AObject ? dynamic_cast<IdxFadingObject*>(AObject) : nullptr;
  return IsReady() && AFadingObject && AFadingObject->CanFade();
}

namespace {
// Fading in goes from the normal picture to the hot one, fading out back;
// each direction has its own frame count and delay.
void fadeObject(TdxFader& fader, rtl::TObject* AObject, bool fadeIn) {
  IdxFadingObject* fadingObject = nullptr;
  if (!fader.CanFade(AObject, fadingObject)) return;
  ui::TBitmap* normal = nullptr;
  ui::TBitmap* hot = nullptr;
  fadingObject->GetFadingImages(normal, hot);
  TdxFadingOptions options;
  if (auto* source = dynamic_cast<IdxFadingObjectFadingOptions*>(AObject))
    if (TdxFadingOptions* custom = source->GetFadingOptions()) options.Assign(custom);
  if (fadeIn)
    fader.Fade(AObject, normal, hot, options.FadeInFrameCount(), options.FadeInFrameDelay());
  else
    fader.Fade(AObject, hot, normal, options.FadeOutFrameCount(), options.FadeOutFrameDelay());
}
}  // namespace

void TdxFader::FadeIn(rtl::TObject* AObject) { fadeObject(*this, AObject, true); }

void TdxFader::FadeOut(rtl::TObject* AObject) { fadeObject(*this, AObject, false); }

void TdxFader::Fade(rtl::TObject* AObject, ui::TBitmap* AImage1, ui::TBitmap* AImage2, int AAnimationFrameCount,
                    int AAnimationFrameDelay) {
  const std::unique_ptr<ui::TBitmap> image1(AImage1);
  const std::unique_ptr<ui::TBitmap> image2(AImage2);
  IdxFadingObject* fadingObject = nullptr;
  if (!CanFade(AObject, fadingObject) || !AImage1 || !AImage2) return;
  if (AImage1->Width() != AImage2->Width() || AImage1->Height() != AImage2->Height()) return;
  if (AImage1->Empty() || AImage2->Empty() || AAnimationFrameCount <= 0) return;

  core::TRGBColors colors1;
  core::TRGBColors colors2;
  if (!readImage(AImage1, colors1) || !readImage(AImage2, colors2)) return;
  const gdi::SIZE size{AImage1->Width(), AImage1->Height()};

  TdxFadingElement* element = Find(AObject);
  if (element) {
    // A reversal starts from the frame on the screen rather than jumping.
    if (element->ImageSize().cx == size.cx && element->ImageSize().cy == size.cy) {
      if (!element->WorkColors().empty()) colors1 = element->WorkColors();
      element->SetAnimationParams(AAnimationFrameCount, AAnimationFrameDelay);
      element->SetStage(0);
    }
  } else {
    element = rtl::Create<TdxFadingElement>(this, AObject, fadingObject);
    element->SetAnimationParams(AAnimationFrameCount, AAnimationFrameDelay);
    AddFadingElement(element);
    if (!Find(AObject)) return;  // a queue of length 0 finalized it at once
  }
  element->SetImages(std::move(colors1), std::move(colors2), size);
}

TdxFadingElement* TdxFader::Find(rtl::TObject* AObject) const {
  for (TdxFadingElement* element : FList)
    if (element->Element() == AObject) return element;
  return nullptr;
}

bool TdxFader::Contains(rtl::TObject* AObject) const { return Find(AObject) != nullptr; }

bool TdxFader::DrawFadeImage(rtl::TObject* AObject, gdi::HDC DC, const gdi::RECT& R) {
  TdxFadingElement* element = Find(AObject);
  if (!element || !element->WorkImage()) return false;
  element->WorkImage()->StretchDraw(DC, ui::TRect(R), dxFadeMaxAlpha);
  return true;
}

void TdxFader::Remove(rtl::TObject* AObject, bool ADestroying) {
  TdxFadingElement* element = Find(AObject);
  if (!element) return;
  if (ADestroying)
    element->Free();
  else
    element->Finalize();
}

void TdxFader::Clear() {
  FClearing = true;
  while (!FList.empty()) FList.back()->Free();
  FClearing = false;
  if (FTimer) FTimer->SetEnabled(false);
}

void TdxFader::AddFadingElement(TdxFadingElement* AElement) {
  FList.push_back(AElement);
  ValidateQueue();
}

void TdxFader::RemoveFadingElement(TdxFadingElement* AElement) {
  auto it = std::find(FList.begin(), FList.end(), AElement);
  if (it != FList.end()) FList.erase(it);
  if (!FClearing) ValidateQueue();
}

void TdxFader::ValidateQueue() {
  while (int(FList.size()) > FMaxAnimationCount) FList.front()->Finalize();
  if (!FList.empty() && !FTimer) {
    FTimer = rtl::Create<ui::TTimer>(nullptr);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(dxFadeTimerInterval);
    FTimer->SetOnTimer(rtl::TNotifyEvent::bind<&TdxFader::DoTimer>(this));
  }
  if (FTimer) FTimer->SetEnabled(!FList.empty());
}

bool TdxFader::TimerActive() const { return FTimer && FTimer->Enabled(); }

void TdxFader::DoTimer(rtl::TObject*) {
  // Last to first: a step may finalize, and so remove, its element.
  for (int i = int(FList.size()) - 1; i >= 0; --i) {
    if (i < int(FList.size())) FList[i]->ProcessFadeStep();
  }
}

// --- TdxFadingObjectHelper -----------------------------------------------------------------
TdxFadingObjectHelper::~TdxFadingObjectHelper() {
  if (TdxFader* fader = dxFader()) fader->Remove(this, true);
}

void TdxFadingObjectHelper::FadeIn() {
  if (TdxFader* fader = dxFader()) fader->FadeIn(this);
}

void TdxFadingObjectHelper::FadeOut() {
  if (TdxFader* fader = dxFader()) fader->FadeOut(this);
}

void TdxFadingObjectHelper::StopFading() {
  if (TdxFader* fader = dxFader()) fader->Remove(this, false);
}

bool TdxFadingObjectHelper::Active() const {
  TdxFader* fader = dxFader();
  return fader && fader->Contains(const_cast<TdxFadingObjectHelper*>(this));
}

bool TdxFadingObjectHelper::DrawImage(gdi::HDC DC, const gdi::RECT& R) {
  TdxFader* fader = dxFader();
  return fader && fader->DrawFadeImage(this, DC, R);
}

void TdxFadingObjectHelper::CheckStartFading(TcxButtonState APrevState, TcxButtonState AState) {
  if (APrevState == AState) return;
  if (AState == TcxButtonState::cxbsHot && APrevState < TcxButtonState::cxbsHot)
    FadeIn();
  else if (APrevState == TcxButtonState::cxbsHot && AState < TcxButtonState::cxbsHot)
    FadeOut();
  else
    StopFading();
}

// --- unit ----------------------------------------------------------------------------------
TdxFader* dxFader() {
  FadingUnit& u = fadingUnit();
  if (!u.fader && !u.finalized) u.fader = rtl::Create<TdxFader>();
  return u.fader;
}

void dxFadingUnitStart() { fadingUnit().finalized = false; }

void dxFadingUnitStop() {
  fadingUnit().finalized = true;
  rtl::FreeAndNil(fadingUnit().fader);
}

}  // namespace lookandfeel

// The layout of a skin image (state frames along one axis, image after
// image, and the nine margin parts of a frame) and the drawing of images and
// elements, with the element cache.
#include <algorithm>
#include <memory>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxAlphaColors.h"
#include "lib/core/dxGDIPlusAPI.h"
#include "lib/core/dxGDIPlusClasses.h"
#include "lib/core/dxSkinsCore.h"
#include "lib/core/dxSmartImage.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image.h"
#include "platform/rtl/format.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"

namespace core {

void dxSkinsCalculatePartsBounds(const ui::TRect& R, const ui::TRect& M, TdxSkinImageParts& AParts) {
  const int x1 = std::min(R.left + M.left, R.right);
  const int y1 = std::min(R.top + M.top, R.bottom);
  const int x2 = std::max(R.right - M.right, R.left);
  const int y2 = std::max(R.bottom - M.bottom, R.top);
  AParts = {ui::TRect{R.left, R.top, x1, y1}, ui::TRect{x1, R.top, x2, y1}, ui::TRect{x2, R.top, R.right, y1},
            ui::TRect{R.left, y1, x1, y2},    ui::TRect{x1, y1, x2, y2},    ui::TRect{x2, y1, R.right, y2},
            ui::TRect{R.left, y2, x1, R.bottom}, ui::TRect{x1, y2, x2, R.bottom},
            ui::TRect{x2, y2, R.right, R.bottom}};
}

namespace {
void checkPair(int& a, int& b, int size) {
  a = std::max(a, 0);
  b = std::max(b, 0);
  const int sum = a + b;
  if (sum - size >= 1) {
    const int excess = sum - size;
    const int da = rtl::MulDiv(a, excess, sum);
    const int db = rtl::MulDiv(b, excess, sum);
    a -= da;
    b -= db;
  }
}
}  // namespace

void dxSkinsCheckMargins(ui::TRect& M, const ui::TRect& R) {
  checkPair(M.left, M.right, R.right - R.left);
  checkPair(M.top, M.bottom, R.bottom - R.top);
}

void TdxSkinImage::CheckInfo() {
  if (FIsDirty) InitializeInfo();
}

void TdxSkinImage::InitializeInfo() {
  FIsDirty = false;
  FStateCount = 0;
  for (int i = 0; i < 11; ++i)
    if (FStates.contains(static_cast<TdxSkinElementState>(i))) ++FStateCount;
  FSize = ui::TSize{0, 0};
  if (!FTexture->Empty()) FSize = ui::TSize{FTexture->Width(), FTexture->Height()};
  if (FStateCount > 0) {
    if (FImageLayout == TdxSkinImageLayout::ilHorizontal)
      FSize.cx = FSize.cx / LayoutImageCount() / FStateCount;
    else
      FSize.cy = FSize.cy / LayoutImageCount() / FStateCount;
  }
  ui::TRect frame{0, 0, FSize.cx, FSize.cy};
  for (int i = 0; i < 11; ++i) {
    if (!FStates.contains(static_cast<TdxSkinElementState>(i))) {
      FStateBounds[i] = ui::TRect{};
      continue;
    }
    FStateBounds[i] = frame;
    if (FImageLayout == TdxSkinImageLayout::ilHorizontal) {
      frame.left += FSize.cx;
      frame.right += FSize.cx;
    } else {
      frame.top += FSize.cy;
      frame.bottom += FSize.cy;
    }
  }
  dxSkinsCalculatePartsBounds(ui::TRect{0, 0, FSize.cx, FSize.cy}, FMargins, FPartsBounds);
  for (int i = 0; i < 9; ++i) {
    const ui::TRect& r = FPartsBounds[i];
    FPartsVisibility[i] = r.right > r.left && r.bottom > r.top;
  }
}

ui::TSize TdxSkinImage::GetSize() {
  CheckInfo();
  return FSize;
}

int TdxSkinImage::GetStateCount() {
  CheckInfo();
  return FStateCount;
}

ui::TRect TdxSkinImage::GetStateBounds(int AImageIndex, TdxSkinElementState AState) {
  CheckInfo();
  ui::TRect r = FStateBounds[static_cast<int>(AState)];
  if (AImageIndex > 0) {
    if (FImageLayout == TdxSkinImageLayout::ilHorizontal) {
      const int dx = AImageIndex * FStateCount * FSize.cx;
      r.left += dx;
      r.right += dx;
    } else {
      const int dy = AImageIndex * FStateCount * FSize.cy;
      r.top += dy;
      r.bottom += dy;
    }
  }
  return r;
}

bool TdxSkinImage::GetPartVisible(TdxSkinImagePart APart) {
  CheckInfo();
  return FPartsVisibility[static_cast<int>(APart)];
}

const ui::TRect& TdxSkinImage::GetPartBounds(TdxSkinImagePart APart) {
  CheckInfo();
  return FPartsBounds[static_cast<int>(APart)];
}

void TdxSkinImage::CheckState(TdxSkinElementState& AState, int& AImageIndex) {
  AImageIndex = std::min(AImageIndex, LayoutImageCount() - 1);
  if (FStates.contains(AState) || FStates.empty()) return;
  for (int i = 0; i < 11; ++i) {
    if (FStates.contains(static_cast<TdxSkinElementState>(i))) {
      AState = static_cast<TdxSkinElementState>(i);
      return;
    }
  }
}

// --- drawing ------------------------------------------------------------------------------

TdxSkinImageSet dxSkinsUseImageSet = TdxSkinImageSet::imsDefault;

namespace {

bool isValidColor(rtl::Cardinal AColor) { return AColor != kSkinClNone && AColor != kSkinClDefault; }

TdxAlphaColor alphaColor(rtl::Cardinal AColor, rtl::Byte AAlpha) {
  return dxColorToAlphaColor(static_cast<ui::TColor>(AColor), AAlpha);
}

TdxGPBrushGradientMode gradientModeOf(TdxSkinGradientMode AMode) {
  // The skin modes and the brush modes are in the same order.
  return static_cast<TdxGPBrushGradientMode>(static_cast<int>(AMode));
}

ui::TRect deflate(const ui::TRect& R, const ui::TRect& M) {
  return ui::TRect{R.left + M.left, R.top + M.top, R.right - M.right, R.bottom - M.bottom};
}

bool isEmptyRect(const ui::TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

ui::TRect skinOffsetRect(ui::TRect R, int dx, int dy) {
  R.left += dx;
  R.right += dx;
  R.top += dy;
  R.bottom += dy;
  return R;
}

struct SkinGraphicsDeleter {
  void operator()(gdiplus::GpGraphics* AGraphics) const { gdiplus::GdipDeleteGraphics(AGraphics); }
};
using GraphicsPtr = std::unique_ptr<gdiplus::GpGraphics, SkinGraphicsDeleter>;

GraphicsPtr graphicsOf(gdiplus::GpBitmap* ABitmap) {
  gdiplus::GpGraphics* graphics = nullptr;
  GdipCheck(gdiplus::GdipGetImageGraphicsContext(ABitmap, &graphics));
  return GraphicsPtr(graphics);
}

// Painting on the shared canvas ends also when the drawing raises.
template <class Begin, class Body>
void withPaintCanvas(Begin begin, Body body) {
  TdxGPPaintCanvas* canvas = dxGPPaintCanvas();
  begin(canvas);
  auto end = rtl::ScopeExit([canvas] { canvas->EndPaint(); });
  body(canvas);
}

}  // namespace

String dxSkinGetAlternateImageAttrsPropertyName(TdxSkinElementState AState, int ASetIndex) {
  return String(u"AlternateImage") + rtl::IntToStr(ASetIndex + 1) +
         dxSkinElementStateNames[static_cast<int>(AState)];
}

void TdxSkinCanvasHelper::FillRectByGradient(TdxGPCanvas* ACanvas, const ui::TRect& R, rtl::Byte AAlpha,
                                             TdxSkinGradientMode AMode, rtl::Cardinal AEndColor,
                                             rtl::Cardinal ABeginColor) {
  if (!isValidColor(ABeginColor)) return;
  if (isValidColor(AEndColor) && AEndColor != ABeginColor)
    ACanvas->FillRectangleByGradient(R, alphaColor(ABeginColor, AAlpha), alphaColor(AEndColor, AAlpha),
                                     gradientModeOf(AMode));
  else
    ACanvas->FillRectangle(R, alphaColor(ABeginColor, AAlpha));
}

bool TdxSkinImage::GetIsGradientParamsAssigned() const { return isValidColor(FGradientBeginColor); }

void TdxSkinImage::Draw(gdi::HDC DC, const ui::TRect& R, TdxSkinElementState AState, int AImageIndex) {
  withPaintCanvas([&](TdxGPPaintCanvas* c) { c->BeginPaint(DC, R); },
                  [&](TdxGPPaintCanvas* c) { DrawEx(c, R, AState, AImageIndex); });
}

void TdxSkinImage::DrawEx(TdxGPCanvas* ACanvas, const ui::TRect& R, TdxSkinElementState AState, int AImageIndex) {
  if (Empty()) {
    TdxSkinCanvasHelper::FillRectByGradient(ACanvas, deflate(R, FMargins), 255, FGradient, FGradientEndColor,
                                            FGradientBeginColor);
    return;
  }
  CheckInfo();
  CheckState(AState, AImageIndex);
  const ui::TRect source = GetStateBounds(AImageIndex, AState);
  if (FStretch == TdxSkinStretchMode::smNoResize) {
    const ui::TSize size = cxGetValueCurrentDPI(FSize);
    const int left = R.left + (R.right - R.left - size.cx) / 2;
    const int top = R.top + (R.bottom - R.top - size.cy) / 2;
    DoComplexStretchDraw(ACanvas, ui::TRect{left, top, left + size.cx, top + size.cy}, source);
    return;
  }
  ui::TRect margins = FMargins;
  dxSkinsCheckMargins(margins, R);
  if (margins == ui::TRect{}) {
    const ui::TRect& centre = FPartsBounds[static_cast<int>(TdxSkinImagePart::sipCenter)];
    DrawPart(ACanvas, R, skinOffsetRect(centre, source.left, source.top), true);
    return;
  }
  TdxSkinImageParts dest;
  dxSkinsCalculatePartsBounds(R, margins, dest);
  for (int i = 0; i < 9; ++i) {
    if (!FPartsVisibility[i] || isEmptyRect(dest[i])) continue;
    DrawPart(ACanvas, dest[i], skinOffsetRect(FPartsBounds[i], source.left, source.top),
             i == static_cast<int>(TdxSkinImagePart::sipCenter));
  }
}

void TdxSkinImage::DrawPart(TdxGPCanvas* ACanvas, const ui::TRect& ADest, const ui::TRect& ASource, bool ACenter) {
  if (ACenter && GetIsGradientParamsAssigned()) {
    TdxSkinCanvasHelper::FillRectByGradient(ACanvas, ADest, 255, FGradient, FGradientEndColor, FGradientBeginColor);
  } else if (FStretch == TdxSkinStretchMode::smTile) {
    dxGpTilePartEx(ACanvas->Handle(), ADest, ASource, 255, FTexture->Handle());
  } else {
    dxGpDrawImage(ACanvas->Handle(), ADest, ASource, nullptr, 255, FTexture->Handle());
  }
}

// An enlarged frame is drawn through a copy with two transparent pixels on
// every side, so that its edges fade out instead of ending hard.
void TdxSkinImage::DoComplexStretchDraw(TdxGPCanvas* ACanvas, const ui::TRect& ADest, const ui::TRect& ASource) {
  const int sw = ASource.right - ASource.left, sh = ASource.bottom - ASource.top;
  if (sw < ADest.right - ADest.left && sh < ADest.bottom - ADest.top) {
    std::unique_ptr<gdiplus::GpBitmap, TdxSkinElementCache::GpBitmapDeleter> framed(dxGpCreateBitmap(sw + 4, sh + 4));
    {
      GraphicsPtr graphics = graphicsOf(framed.get());
      dxGpDrawImage(graphics.get(), ui::TRect{2, 2, 2 + sw, 2 + sh}, ASource, nullptr, 255, FTexture->Handle());
    }
    dxGpDrawImage(ACanvas->Handle(), ADest, ui::TRect{0, 0, sw + 4, sh + 4}, nullptr, 255, framed.get());
  } else {
    dxGpDrawImage(ACanvas->Handle(), ADest, ASource, nullptr, 255, FTexture->Handle());
  }
}

void TdxSkinBorder::Draw(gdi::HDC DC, const ui::TRect& R) {
  withPaintCanvas([&](TdxGPPaintCanvas* c) { c->BeginPaint(DC, R); },
                  [&](TdxGPPaintCanvas* c) { DrawEx(c, R); });
}

void TdxSkinBorder::DrawEx(TdxGPCanvas* ACanvas, const ui::TRect& R) {
  if (FColor == kSkinClNone) return;
  ui::TRect strip = R;
  switch (FKind) {
    case 0: strip.right = std::min(R.right, R.left + FThin); break;
    case 1: strip.bottom = std::min(R.bottom, R.top + FThin); break;
    case 2: strip.left = std::max(R.left, R.right - FThin); break;
    default: strip.top = std::max(R.top, R.bottom - FThin); break;
  }
  if (!isEmptyRect(strip)) ACanvas->FillRectangle(strip, alphaColor(FColor, 255));
}

void TdxSkinBorders::Draw(TdxGPCanvas* ACanvas, const ui::TRect& R) {
  for (const auto& border : FBorders) border->DrawEx(ACanvas, R);
}

void TdxSkinAlternateImageAttributes::Draw(TdxGPCanvas* ACanvas, const ui::TRect& R) {
  const ui::TRect r = deflate(R, FContentOffsets);
  TdxSkinCanvasHelper::FillRectByGradient(ACanvas, r, FAlpha, FGradient, FGradientEndColor, FGradientBeginColor);
  FBorders->Draw(ACanvas, r);
  FBordersInner->Draw(ACanvas, deflate(r, FBorders->GetContentMargins()));
}

void TdxSkinElement::Draw(gdi::HDC DC, const ui::TRect& R, TdxSkinElementState AState, int AImageIndex) {
  if (isEmptyRect(R)) return;
  const gdi::RECT rc{R.left, R.top, R.right, R.bottom};
  if (!gdi::RectVisible(DC, &rc)) return;
  if (FCache) {
    FCache->DrawEx(DC, this, AImageIndex, AState, R);
    return;
  }
  withPaintCanvas([&](TdxGPPaintCanvas* c) { c->BeginPaint(DC, R); },
                  [&](TdxGPPaintCanvas* c) { DrawEx(c, R, AState, AImageIndex); });
}

void TdxSkinElement::DrawEx(TdxGPCanvas* ACanvas, const ui::TRect& R, TdxSkinElementState AState,
                            int AImageIndex) {
  // The default colour is a fully transparent fill: nothing shows.
  if (isValidColor(FColor)) ACanvas->FillRectangle(R, alphaColor(FColor, FAlpha));
  TdxSkinAlternateImageAttributes* attributes = nullptr;
  if (CanUseAlternateImageSet(AImageIndex, AState, attributes, ACanvas->IsLowColorsMode()))
    attributes->Draw(ACanvas, R);
  else
    FImage->DrawEx(ACanvas, R, AState, AImageIndex);
  FBorders->Draw(ACanvas, R);
  FGlyph->DrawEx(ACanvas, deflate(R, FContentOffset), AState, AImageIndex);
}

bool TdxSkinElement::CanUseAlternateImageSet(int AImageIndex, TdxSkinElementState AState,
                                             TdxSkinAlternateImageAttributes*& AAttributes, bool ALowColors) {
  AAttributes = nullptr;
  const bool allowed = FImage->Empty() || dxSkinsUseImageSet == TdxSkinImageSet::imsAlternate ||
                       (dxSkinsUseImageSet == TdxSkinImageSet::imsDefault && ALowColors);
  if (!allowed) return false;
  FImage->CheckState(AState, AImageIndex);
  CheckAlternateImageSet(AImageIndex);
  AAttributes = FAlternateImageSet[static_cast<int>(AState)];
  return AAttributes != nullptr;
}

void TdxSkinElement::CheckAlternateImageSet(int ASetIndex) {
  if (!FAlternateImageSetDirty && ASetIndex == FAlternateImageSetIndex) return;
  for (int i = 0; i < 11; ++i) {
    TdxSkinProperty* property = nullptr;
    FAlternateImageSet[i] = nullptr;
    if (GetPropertyByName(dxSkinGetAlternateImageAttrsPropertyName(static_cast<TdxSkinElementState>(i), ASetIndex),
                          property))
      FAlternateImageSet[i] = dynamic_cast<TdxSkinAlternateImageAttributes*>(property);
  }
  FAlternateImageSetIndex = ASetIndex;
  FAlternateImageSetDirty = false;
}

bool TdxSkinElement::GetIsAlphaUsed() {
  if (!FImage->Empty()) return !isValidColor(FColor) && FImage->Texture()->IsAlphaUsed();
  return !isValidColor(FColor) || FAlpha < 255;
}

void TdxSkinElement::SetUseCache(bool AValue) {
  if (AValue == UseCache()) return;
  if (AValue)
    FCache = std::make_unique<TdxSkinElementCache>();
  else
    FCache.reset();
}

void TdxSkinEmptyElement::Draw(gdi::HDC DC, const ui::TRect& R, TdxSkinElementState, int) {
  // Own brushes rather than the stock white one: FillRect reads a handle as
  // small as a stock object's as a system colour index.
  const gdi::RECT rc{R.left, R.top, R.right, R.bottom};
  gdi::HBRUSH white = gdi::CreateSolidBrush(0xFFFFFF);
  gdi::HBRUSH red = gdi::CreateSolidBrush(0x0000FF);
  auto freeBrushes = rtl::ScopeExit([white, red] {
    gdi::DeleteObject(white);
    gdi::DeleteObject(red);
  });
  gdi::FillRect(DC, &rc, white);
  gdi::FrameRect(DC, &rc, red);
}

// --- the element cache ----------------------------------------------------------------------

void TdxSkinElementCache::GpBitmapDeleter::operator()(gdiplus::GpBitmap* ABitmap) const {
  gdiplus::GdipDisposeImage(ABitmap);
}

TdxSkinElementCache::TdxSkinElementCache() = default;
TdxSkinElementCache::~TdxSkinElementCache() = default;

void TdxSkinElementCache::FreeCache() {
  FCache.reset();
  FCacheOpaque.reset();
}

void TdxSkinElementCache::Flush() {
  FElement = nullptr;
  FRect = ui::TRect{-1, -1, -1, -1};
  FreeCache();
}

void TdxSkinElementCache::DrawEx(gdi::HDC DC, TdxSkinElement* AElement, int AImageIndex, TdxSkinElementState AState,
                                 const ui::TRect& R) {
  const int w = R.right - R.left, h = R.bottom - R.top;
  const bool valid = AElement == FElement && AState == FState && AImageIndex == FImageIndex &&
                     w == FRect.right - FRect.left && h == FRect.bottom - FRect.top &&
                     FImageSet == dxSkinsUseImageSet;
  if (!valid) {
    FElement = AElement;
    FState = AState;
    FImageIndex = AImageIndex;
    FRect = R;
    FImageSet = dxSkinsUseImageSet;
    FreeCache();
    if (isEmptyRect(R)) return;
    Build(AElement, ui::TRect{0, 0, w, h});
  }
  if (FCacheOpaque) {
    gdi::BitBlt(DC, R.left, R.top, w, h, FCacheOpaque->Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
  } else if (FCache) {
    TdxGPCustomPaintCanvas* canvas = dxGpBeginPaint(DC, R);
    auto end = rtl::ScopeExit([&canvas] { dxGpEndPaint(canvas); });
    dxGpDrawImage(canvas->Handle(), R, ui::TRect{0, 0, w, h}, nullptr, 255, FCache.get());
  }
}

void TdxSkinElementCache::Build(TdxSkinElement* AElement, const ui::TRect& R) {
  ++FBuildCount;
  if (AElement->GetIsAlphaUsed()) {
    FCache.reset(dxGpCreateBitmap(R.right, R.bottom));
    GraphicsPtr graphics = graphicsOf(FCache.get());
    withPaintCanvas([&](TdxGPPaintCanvas* c) { c->BeginPaint(graphics.get()); },
                    [&](TdxGPPaintCanvas* c) { AElement->DrawEx(c, R, FState, FImageIndex); });
  } else {
    FCacheOpaque = std::make_unique<TcxBitmap32>(R.right, R.bottom);
    gdi::HDC dc = FCacheOpaque->Canvas()->Handle();
    withPaintCanvas([&](TdxGPPaintCanvas* c) { c->BeginPaint(dc, R); },
                    [&](TdxGPPaintCanvas* c) { AElement->DrawEx(c, R, FState, FImageIndex); });
  }
}

}  // namespace core

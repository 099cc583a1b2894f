#include "lib/core/cxImageDraw.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/cxImageList.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "platform/win/constants.h"
#include "platform/win/input.h"
#include "platform/win/system.h"

namespace core {

TcxDrawImageProc CustomDrawImageProc = nullptr;

namespace {

int imageDrawWidth(const TRect& r) { return r.right - r.left; }
int imageDrawHeight(const TRect& r) { return r.bottom - r.top; }
TRect imageDrawOffsetRect(const TRect& r, int dx, int dy) { return TRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
int floorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

// The list's mask with its non-black (transparent) pixels made opaque, so
// that filtering with it clears every byte of those pixels.
void fetchListMask(ui::TCustomImageList* AImages, int AImageIndex, TcxAlphaBitmap& AMask) {
  ui::TBitmap mask;
  TcxImageList::GetImageInfo(AImages, AImageIndex, nullptr, &mask);
  AMask.CopyBitmap(&mask);
  TRGBColors colors;
  AMask.GetBitmapColors(colors);
  for (TRGBQuad& q : colors)
    if (q.rgbBlue || q.rgbGreen || q.rgbRed) q.rgbReserved = 255;
  AMask.SetBitmapColors(colors);
}

// A glyph with alpha drawn normally over the context's own background: its
// prepared image is the glyph itself (only transparent black is masked),
// so blending it straight in gives the same pixels without the work bitmaps.
bool canBlendStraight(const TRect& AGlyphRect, const TRect& ABackgroundRect, ui::TBitmap* AGlyph,
                      TcxImageDrawMode ADrawMode, gdi::HBRUSH ABrush) {
  if (ADrawMode != idmNormal || ABrush || CustomDrawImageProc || !IsGlyphAssigned(AGlyph)) return false;
  if (AGlyph->PixelFormat() != ui::pf32bit) return false;
  if (AGlyphRect.left < ABackgroundRect.left || AGlyphRect.top < ABackgroundRect.top ||
      AGlyphRect.right > ABackgroundRect.right || AGlyphRect.bottom > ABackgroundRect.bottom)
    return false;
  return dxIsAlphaUsed(AGlyph);
}

}  // namespace

void cxPrepareBitmapForDrawing(ui::TBitmap* AGlyph, ui::TCustomImageList* AImages, int AImageIndex,
                               bool AUseLeftBottomPixelAsTransparent, TColor ATransparentColor,
                               TcxAlphaBitmap*& AImageBitmap, TcxAlphaBitmap*& AMaskBitmap, bool& AIsAlphaUsed) {
  const bool glyph = IsGlyphAssigned(AGlyph);
  const int w = glyph ? AGlyph->Width() : AImages->Width();
  const int h = glyph ? AGlyph->Height() : AImages->Height();
  AImageBitmap = GetImageBitmap(w, h);
  AMaskBitmap = GetMaskBitmap(w, h);
  bool alphaPossible = false;
  if (glyph) {
    AImageBitmap->CopyBitmap(AGlyph);
    alphaPossible = AGlyph->PixelFormat() == ui::pf32bit;
  } else {
    // Fetched through a plain bitmap: the list decides its format.
    ui::TBitmap image;
    TcxImageList::GetImageInfo(AImages, AImageIndex, &image, nullptr);
    AImageBitmap->CopyBitmap(&image);
    alphaPossible = AImages->ColorDepth() == ui::TColorDepth::cd32Bit;
  }
  AIsAlphaUsed = alphaPossible && AImageBitmap->IsAlphaUsed();
  if (!AIsAlphaUsed) AImageBitmap->MakeOpaque();

  AMaskBitmap->CopyBitmap(AImageBitmap);
  if (!AIsAlphaUsed) {
    if (!glyph) {
      TcxAlphaBitmap listMask(w, h);
      fetchListMask(AImages, AImageIndex, listMask);
      AMaskBitmap->Filter(&listMask);
    }
    if (ATransparentColor != ui::clNone) AMaskBitmap->AddTransparentColor(ATransparentColor);
    if (AUseLeftBottomPixelAsTransparent && glyph) AMaskBitmap->AddTransparentColor(AGlyph->TransparentColor());
  }
  AMaskBitmap->TransformBitmap(TcxBitmapTransformationMode::btmMakeMask);
  AImageBitmap->Filter(AMaskBitmap);
}

void cxDrawImage(gdi::HDC ADC, const TRect& AGlyphRect, const TRect& ABackgroundRect, ui::TBitmap* AGlyph,
                 ui::TCustomImageList* AImages, int AImageIndex, TcxImageDrawMode ADrawMode, bool ASmoothImage,
                 gdi::HBRUSH ABrush, TColor ATransparentColor, bool AUseLeftBottomPixelAsTransparent) {
  if (!IsGlyphAssigned(AGlyph) && !IsImageAssigned(AImages, AImageIndex)) return;
  const int bw = imageDrawWidth(ABackgroundRect), bh = imageDrawHeight(ABackgroundRect);
  if (bw <= 0 || bh <= 0) return;
  if (canBlendStraight(AGlyphRect, ABackgroundRect, AGlyph, ADrawMode, ABrush)) {
    cxAlphaBlend(ADC, AGlyph, AGlyphRect, TRect{0, 0, AGlyph->Width(), AGlyph->Height()}, ASmoothImage, 255);
    return;
  }
  TcxAlphaBitmap* drawBitmap = GetDrawBitmap(bw, bh);
  const gdi::HDC drawDC = drawBitmap->Canvas()->Handle();
  if (ABrush) {
    const TRect all{0, 0, bw, bh};
    gdi::FillRect(drawDC, &all, ABrush);
  } else {
    gdi::BitBlt(drawDC, 0, 0, bw, bh, ADC, ABackgroundRect.left, ABackgroundRect.top, gdi::SRCCOPY);
  }
  TRect glyphRect = imageDrawOffsetRect(AGlyphRect, -ABackgroundRect.left, -ABackgroundRect.top);
  const bool custom = CustomDrawImageProc && CustomDrawImageProc(drawBitmap->cxCanvas(), AImages, AImageIndex,
                                                                 ADrawMode, glyphRect, AGlyph);
  if (!custom) {
    TcxAlphaBitmap* image = nullptr;
    TcxAlphaBitmap* mask = nullptr;
    bool alphaUsed = false;
    cxPrepareBitmapForDrawing(AGlyph, AImages, AImageIndex, AUseLeftBottomPixelAsTransparent, ATransparentColor,
                              image, mask, alphaUsed);
    std::uint8_t constantAlpha = 255;
    using M = TcxBitmapTransformationMode;
    switch (ADrawMode) {
      case idmDisabled:
        if (alphaUsed) {
          image->TransformBitmap(M::btmDisable);
          constantAlpha = DisableMap.SrcConstantAlpha;
        } else {
          image->TransformBitmap(M::btmDirty);
          image->DrawShadow(mask, 1, ui::clBtnHighlight);
        }
        break;
      case idmFaded:
        image->TransformBitmap(M::btmFade);
        constantAlpha = FadeMap.SrcConstantAlpha;
        break;
      case idmGrayScale: image->TransformBitmap(M::btmGrayScale); break;
      case idmDingy: image->TransformBitmap(M::btmDingy); break;
      case idmShadowed:
        image->DrawShadow(mask, 2, ui::clBtnShadow, true);
        glyphRect = imageDrawOffsetRect(TRect{glyphRect.left, glyphRect.top, glyphRect.right + 2, glyphRect.bottom + 2}, -1, -1);
        break;
      case idmNormal: break;
    }
    image->AlphaBlend(drawBitmap, glyphRect, ASmoothImage, constantAlpha);
  }
  cxDrawBitmap(ADC, drawBitmap, ABackgroundRect, TPoint{0, 0}, gdi::SRCCOPY);
}

void cxDrawImage(TcxCanvas* ACanvas, const TRect& ARect, ui::TBitmap* AGlyph, ui::TCustomImageList* AImages,
                 int AImageIndex, TcxImageFitMode AFitMode, TcxImageDrawMode ADrawMode,
                 bool AUseLeftBottomPixelAsTransparent) {
  const TSize size = dxGetImageSize(AGlyph, AImages, AImageIndex);
  if (size.cx == 0 && size.cy == 0) return;
  const TRect r = cxGetImageRect(ARect, size, AFitMode);
  cxDrawImage(ACanvas->Handle(), r, r, AGlyph, AImages, AImageIndex, ADrawMode, false, nullptr, ui::clNone,
              AUseLeftBottomPixelAsTransparent);
}

void cxDrawImage(TcxCanvas* ACanvas, const TRect& ARect, ui::TBitmap* AGlyph, ui::TCustomImageList* AImages,
                 int AImageIndex, bool AEnabled) {
  cxDrawImage(ACanvas, ARect, AGlyph, AImages, AImageIndex, ifmNormal, AEnabled ? idmNormal : idmDisabled, true);
}

void cxDrawImage(TcxCanvas* ACanvas, const TRect& ARect, ui::TGraphic* AImage, TcxImageFitMode AFitMode) {
  if (!AImage || AImage->Empty()) return;
  if (auto* bitmap = dynamic_cast<ui::TBitmap*>(AImage)) {
    cxDrawImage(ACanvas, ARect, bitmap, nullptr, -1, AFitMode, idmNormal, bitmap->Transparent());
    return;
  }
  ACanvas->StretchDraw(cxGetImageRect(ARect, TSize{AImage->Width(), AImage->Height()}, AFitMode), AImage);
}

TRect cxGetImageRect(const TRect& ADrawRect, const TSize& AImageSize, TcxImageFitMode AFitMode, bool ACentre,
                     int AScale) {
  if (AImageSize.cx <= 0 || AImageSize.cy <= 0) return ADrawRect;
  const int dw = imageDrawWidth(ADrawRect), dh = imageDrawHeight(ADrawRect);
  const double kx = double(dw) / AImageSize.cx, ky = double(dh) / AImageSize.cy;
  // Scaled by k: the side that k came from is the draw rectangle's own.
  const auto scaled = [&](double k) {
    if (k == kx) return TSize{dw, int(std::trunc(AImageSize.cy * k))};
    return TSize{int(std::trunc(AImageSize.cx * k)), dh};
  };
  TSize size = AImageSize;
  switch (AFitMode) {
    case ifmStretch: size = TSize{dw, dh}; break;
    case ifmProportionalStretch: size = scaled(std::min(kx, ky)); break;
    case ifmFit:
      if (kx < 1 || ky < 1) size = scaled(std::min(kx, ky));
      break;
    case ifmFill: size = scaled(std::max(kx, ky)); break;
    case ifmNormal:
      size = TSize{rtl::MulDiv(AImageSize.cx, AScale, 100), rtl::MulDiv(AImageSize.cy, AScale, 100)};
      break;
  }
  TRect r{ADrawRect.left, ADrawRect.top, ADrawRect.left + size.cx, ADrawRect.top + size.cy};
  if (ACentre) r = imageDrawOffsetRect(r, floorHalf(dw - size.cx), floorHalf(dh - size.cy));
  return r;
}

void cxDrawBitmap(gdi::HDC ADestDC, ui::TBitmap* ASrcBitmap, const TRect& ADestRect, const TPoint& ASrcPoint,
                  gdi::DWORD AMode) {
  // Every context here has 32 bits per pixel and no palette: a block transfer.
  gdi::BitBlt(ADestDC, ADestRect.left, ADestRect.top, imageDrawWidth(ADestRect), imageDrawHeight(ADestRect),
              ASrcBitmap->Canvas()->Handle(), ASrcPoint.x, ASrcPoint.y, AMode);
}

void cxDrawHatch(gdi::HDC ADC, const TRect& ARect, TColor AColor1, TColor AColor2, std::uint8_t AStep,
                 std::uint8_t AAlpha1, std::uint8_t AAlpha2) {
  const int w = imageDrawWidth(ARect), h = imageDrawHeight(ARect);
  if (w <= 0 || h <= 0) return;
  TcxAlphaBitmap bitmap(w, h);
  const gdi::HDC dc = bitmap.Canvas()->Handle();
  gdi::BitBlt(dc, 0, 0, w, h, ADC, ARect.left, ARect.top, gdi::SRCCOPY);
  bitmap.DrawHatch(AColor1, AColor2, AStep, AAlpha1, AAlpha2);
  gdi::BitBlt(ADC, ARect.left, ARect.top, w, h, bitmap.Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
}

void cxDrawHatchRect(TcxCanvas* ACanvas, const TRect& ARect, TColor AColor) {
  if (imageDrawWidth(ARect) <= 0 || imageDrawHeight(ARect) <= 0) return;
  ACanvas->SaveState();
  ACanvas->SaveClipRegion();
  ACanvas->IntersectClipRect(ARect);
  ACanvas->FillRect(ARect, AColor);
  ACanvas->Pen()->SetColor(dxGetDarkerColor(AColor, 75));
  const int lines = rtl::MulDiv(std::max<int>(ARect.right, ARect.bottom), 3, 2);
  for (int i = 1; i <= lines; ++i)
    ACanvas->Polyline({TPoint{ARect.right - 3 * i, ARect.top}, TPoint{ARect.right, ARect.top + 3 * i}});
  ACanvas->FrameRect(ARect, dxGetDarkerColor(AColor, 50));
  ACanvas->RestoreClipRegion();
  ACanvas->RestoreState();
  ACanvas->ExcludeClipRect(ARect);
  const TRect shadow = imageDrawOffsetRect(ARect, 1, 1);
  ACanvas->FillRect(shadow, ui::clBtnShadow);
  ACanvas->ExcludeClipRect(shadow);
}

void cxDrawDesignRect(TcxCanvas* ACanvas, const TRect& ARect, bool ASelected) {
  static constexpr TColor kColors[2] = {TColor(0x00A0FFA0), TColor(0x009090FF)};
  cxDrawHatchRect(ACanvas, ARect, kColors[ASelected ? 1 : 0]);
}

namespace {

// The row (from the top) of the lowest byte in rows [first, first + rows)
// that is not `clear`, or -1.
int lowestRowWith(const std::vector<std::uint8_t>& bits, int widthBytes, int first, int rows, std::uint8_t clear) {
  for (int y = first + rows - 1; y >= first; --y)
    for (int x = 0; x < widthBytes; ++x)
      if (bits[std::size_t(y) * std::size_t(widthBytes) + std::size_t(x)] != clear) return y - first;
  return -1;
}

}  // namespace

TSize cxGetCursorSize() {
  TSize size{win::GetSystemMetrics(win::SM_CXCURSOR), win::GetSystemMetrics(win::SM_CYCURSOR)};
  win::ICONINFO info{};
  if (!win::GetIconInfo(win::GetCursor(), &info)) return size;
  rtl::ScopeExit release([&] {
    if (info.hbmMask) gdi::DeleteObject(info.hbmMask);
    if (info.hbmColor) gdi::DeleteObject(info.hbmColor);
  });
  gdi::BITMAP mask{};
  if (!info.hbmMask || gdi::GetObjectW(info.hbmMask, sizeof(mask), &mask) != int(sizeof(mask)) ||
      mask.bmBitsPixel != 1 || mask.bmWidthBytes <= 0 || mask.bmHeight <= 0)
    return size;
  std::vector<std::uint8_t> bits(std::size_t(mask.bmWidthBytes) * std::size_t(mask.bmHeight));
  if (gdi::GetBitmapBits(info.hbmMask, gdi::LONG(bits.size()), bits.data()) <= 0) return size;
  // Without a colour bitmap the mask holds the AND half above the XOR half.
  const bool bothHalves = !info.hbmColor;
  const int rows = bothHalves ? mask.bmHeight / 2 : mask.bmHeight;
  int lowest = lowestRowWith(bits, mask.bmWidthBytes, 0, rows, 0xFF);
  if (lowest < 0 && bothHalves) lowest = lowestRowWith(bits, mask.bmWidthBytes, rows, rows, 0x00);
  size.cx = mask.bmWidth;
  size.cy = lowest + 1 - int(info.yHotspot);
  return size;
}

void cxResetFont(ui::TFont* AFont) {
  ui::TFont defaults;
  AFont->Assign(&defaults);
}

bool IsXPManifestEnabled() { return false; }

}  // namespace core

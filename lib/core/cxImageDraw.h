#pragma once
// The one road by which glyphs and image-list images reach the screen: in
// every state the controls need (normal, disabled, faded, grey, dingy,
// shadowed), with transparency from alpha, masks or a transparent colour,
// fitted into a rectangle; and hatching and the design-time selection
// rectangle.
#include <cstdint>

#include "lib/core/cxGraphics.h"
#include "platform/gdi/rop.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/graphic.h"
#include "platform/ui/image_list.h"

namespace core {

class TcxAlphaBitmap;

enum class TcxImageDrawMode { idmNormal, idmDisabled, idmFaded, idmGrayScale, idmDingy, idmShadowed };
constexpr TcxImageDrawMode idmNormal = TcxImageDrawMode::idmNormal;
constexpr TcxImageDrawMode idmDisabled = TcxImageDrawMode::idmDisabled;
constexpr TcxImageDrawMode idmFaded = TcxImageDrawMode::idmFaded;
constexpr TcxImageDrawMode idmGrayScale = TcxImageDrawMode::idmGrayScale;
constexpr TcxImageDrawMode idmDingy = TcxImageDrawMode::idmDingy;
constexpr TcxImageDrawMode idmShadowed = TcxImageDrawMode::idmShadowed;

enum class TcxImageFitMode { ifmNormal, ifmStretch, ifmProportionalStretch, ifmFit, ifmFill };
constexpr TcxImageFitMode ifmNormal = TcxImageFitMode::ifmNormal;
constexpr TcxImageFitMode ifmStretch = TcxImageFitMode::ifmStretch;
constexpr TcxImageFitMode ifmProportionalStretch = TcxImageFitMode::ifmProportionalStretch;
constexpr TcxImageFitMode ifmFit = TcxImageFitMode::ifmFit;
constexpr TcxImageFitMode ifmFill = TcxImageFitMode::ifmFill;

// Set by a subsystem that takes over image drawing: true when it drew the
// image itself onto `ACanvas` (the draw bitmap's canvas, glyph rectangle in
// its coordinates).
using TcxDrawImageProc = bool (*)(TcxCanvas* ACanvas, ui::TCustomImageList* AImages, int AImageIndex,
                                  TcxImageDrawMode ADrawMode, const TRect& ARect, ui::TBitmap* AGlyph);
extern TcxDrawImageProc CustomDrawImageProc;

// The shared image and mask work bitmaps at the image's size: the image
// with its transparent pixels made transparent black, and the mask (white
// where transparent).
void cxPrepareBitmapForDrawing(ui::TBitmap* AGlyph, ui::TCustomImageList* AImages, int AImageIndex,
                               bool AUseLeftBottomPixelAsTransparent, TColor ATransparentColor,
                               TcxAlphaBitmap*& AImageBitmap, TcxAlphaBitmap*& AMaskBitmap, bool& AIsAlphaUsed);

// Nothing unless the glyph is not empty or the index is valid for the list.
// The background is `ABrush` (not null) or what the context has under
// `ABackgroundRect`.
void cxDrawImage(gdi::HDC ADC, const TRect& AGlyphRect, const TRect& ABackgroundRect, ui::TBitmap* AGlyph,
                 ui::TCustomImageList* AImages, int AImageIndex, TcxImageDrawMode ADrawMode,
                 bool ASmoothImage = false, gdi::HBRUSH ABrush = nullptr, TColor ATransparentColor = ui::clNone,
                 bool AUseLeftBottomPixelAsTransparent = true);
void cxDrawImage(TcxCanvas* ACanvas, const TRect& ARect, ui::TBitmap* AGlyph, ui::TCustomImageList* AImages,
                 int AImageIndex, TcxImageFitMode AFitMode, TcxImageDrawMode ADrawMode = idmNormal,
                 bool AUseLeftBottomPixelAsTransparent = true);
void cxDrawImage(TcxCanvas* ACanvas, const TRect& ARect, ui::TBitmap* AGlyph, ui::TCustomImageList* AImages,
                 int AImageIndex, bool AEnabled = true);
void cxDrawImage(TcxCanvas* ACanvas, const TRect& ARect, ui::TGraphic* AImage, TcxImageFitMode AFitMode);

// Where an image of `AImageSize` goes in `ADrawRect`; the draw rectangle
// itself for an image without width or height.
TRect cxGetImageRect(const TRect& ADrawRect, const TSize& AImageSize, TcxImageFitMode AFitMode,
                     bool ACentre = true, int AScale = 100);

void cxDrawBitmap(gdi::HDC ADestDC, ui::TBitmap* ASrcBitmap, const TRect& ADestRect, const TPoint& ASrcPoint,
                  gdi::DWORD AMode = gdi::SRCCOPY);
void cxDrawHatch(gdi::HDC ADC, const TRect& ARect, TColor AColor1, TColor AColor2, std::uint8_t AStep,
                 std::uint8_t AAlpha1, std::uint8_t AAlpha2);
// A filled rectangle with darker diagonals and frame and a one-pixel shadow
// at right and bottom; the rectangle and the shadow are then excluded from
// clipping.
void cxDrawHatchRect(TcxCanvas* ACanvas, const TRect& ARect, TColor AColor);
// Light green, or light red when selected.
void cxDrawDesignRect(TcxCanvas* ACanvas, const TRect& ARect, bool ASelected);

// The visible size of the current cursor: the system cursor size, narrowed
// to the rows of a one-bit mask down to its lowest opaque row below the hot
// spot.
TSize cxGetCursorSize();
// The font becomes a default font.
void cxResetFont(ui::TFont* AFont);
// Whether the common controls of the visual styles are in use; there is no
// such library here (the library's own theme engine reports separately).
bool IsXPManifestEnabled();

}  // namespace core

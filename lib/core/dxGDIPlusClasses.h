#pragma once
// The library's drawing surface over the graphics interface: a canvas bound
// to a graphics, the paint canvases that draw into a rectangle of a device
// context (through a 32-bit buffer when the device cannot take the output
// directly), a path builder with rounded rectangles, string formats, alpha
// attributes, and free routines for brushes, pens, text, fills and images.
// Every status other than Ok raises EdxGdipException.
#include <cstdint>
#include <memory>
#include <vector>

#include "lib/core/cxGeometry.h"
#include "lib/core/dxAlphaColors.h"
#include "lib/core/dxGDIPlusAPI.h"
#include "platform/gdiplus/font.h"
#include "platform/gdiplus/types.h"
#include "platform/ui/graphics.h"
#include "platform/ui/stdctrls.h"

namespace gdiplus {
class GpGraphics;
class GpImage;
class GpPath;
class GpRegion;
class GpBrush;
class GpPen;
class GpImageAttributes;
class GpStringFormat;
class GpFontFamily;
}  // namespace gdiplus

namespace ui {
class TBitmap;
}

namespace core {

class TdxGPImage;

using TdxGpPointF = gdiplus::GpPointF;

enum class TdxGPInterpolationMode {
  imDefault, imLowQuality, imHighQuality, imBilinear, imBicubic, imNearestNeighbor, imHighQualityBilinear,
  imHighQualityBicubic
};
enum class TdxGPSmoothingMode { smDefault, smHighSpeed, smHighQuality, smNone, smAntiAlias };
enum class TdxGPFillMode { gpfmAlternate, gpfmWinding };
enum class TdxGPBrushGradientMode { gpbgmHorizontal, gpbgmVertical, gpbgmForwardDiagonal, gpbgmBackwardDiagonal };
enum class TdxGPCombineMode { gmReplace, gmIntersect, gmUnion, gmXor, gmExclude, gmComplement };
enum class TdxGPPenStyle { gppsSolid, gppsDash, gppsDot, gppsDashDot, gppsDashDotDot };
using TdxGpTextRenderingHint = gdiplus::TextRenderingHint;
enum class TcxVerticalAlignment { vaTop, vaBottom, vaCenter };

class TdxGPCanvas : public TdxGpBase {
 public:
  TdxGPCanvas();
  // Takes ownership of the graphics.
  explicit TdxGPCanvas(gdiplus::GpGraphics* AGraphics);
  explicit TdxGPCanvas(gdi::HDC DC);
  ~TdxGPCanvas() override;

  gdiplus::GpGraphics* Handle() const { return FHandle; }
  void CreateHandle(gdi::HDC DC);
  void FreeHandle();
  bool IsLowColorsMode() const { return FIsLowColorsMode; }

  void SetInterpolationMode(TdxGPInterpolationMode AMode);
  void SetSmoothingMode(TdxGPSmoothingMode AMode);
  void SetTextRenderingHint(TdxGpTextRenderingHint AHint);

  void SaveClipRegion();
  void RestoreClipRegion();
  void SetClipRect(const ui::TRect& R, TdxGPCombineMode AMode);

  void Line(int X1, int Y1, int X2, int Y2, ui::TColor APenColor, float APenWidth = 1,
            ui::TPenStyle APenStyle = ui::psSolid, std::uint8_t APenAlpha = 255);
  void Rectangle(const ui::TRect& R, ui::TColor APenColor, ui::TColor ABrushColor, float APenWidth = 1,
                 ui::TPenStyle APenStyle = ui::psSolid, std::uint8_t APenAlpha = 255, std::uint8_t ABrushAlpha = 255);
  void Ellipse(const TdxRectF& R, ui::TColor APenColor, ui::TColor ABrushColor, float APenWidth = 1,
               ui::TPenStyle APenStyle = ui::psSolid, std::uint8_t APenAlpha = 255, std::uint8_t ABrushAlpha = 255);
  void EllipseA(const TdxRectF& R, TdxAlphaColor APenColor, TdxAlphaColor ABrushColor, float APenWidth = 1,
                ui::TPenStyle APenStyle = ui::psSolid);
  void Polygon(const std::vector<ui::TPoint>& APoints, ui::TColor APenColor, ui::TColor ABrushColor,
               float APenWidth = 1, ui::TPenStyle APenStyle = ui::psSolid, std::uint8_t APenAlpha = 255,
               std::uint8_t ABrushAlpha = 255);
  void Polygon(const std::vector<TdxGpPointF>& APoints, ui::TColor APenColor, ui::TColor ABrushColor,
               float APenWidth = 1, ui::TPenStyle APenStyle = ui::psSolid, std::uint8_t APenAlpha = 255,
               std::uint8_t ABrushAlpha = 255);
  void Polyline(const std::vector<TdxGpPointF>& APoints, ui::TColor APenColor, float APenWidth = 1,
                ui::TPenStyle APenStyle = ui::psSolid, std::uint8_t APenAlpha = 255);
  void Path(class TdxGPPath* APath, TdxAlphaColor APenColor, ui::TPenStyle APenStyle, float APenWidth,
            TdxAlphaColor ABrushColor);
  void RoundRect(const ui::TRect& R, ui::TColor APenColor, ui::TColor ABrushColor, int ARadiusX, int ARadiusY,
                 int APenWidth = 1, std::uint8_t APenAlpha = 255, std::uint8_t ABrushAlpha = 255);
  void RoundRectA(const ui::TRect& R, TdxAlphaColor APenColor, TdxAlphaColor ABrushColor, int ARadiusX,
                  int ARadiusY, int APenWidth = 1);
  void FillRectangle(const TdxRectF& R, TdxAlphaColor AColor);
  void FillRectangle(const ui::TRect& R, TdxAlphaColor AColor);
  void FillRectangleByGradient(const ui::TRect& R, TdxAlphaColor AColor1, TdxAlphaColor AColor2,
                               TdxGPBrushGradientMode AMode);
  void Draw(TdxGPImage* AImage, const ui::TRect& ADestRect, std::uint8_t AAlpha = 255);
  void Draw(TdxGPImage* AImage, const ui::TRect& ADestRect, const ui::TRect& ASourceRect,
            std::uint8_t AAlpha = 255);
  void DrawBitmap(ui::TBitmap* ABitmap, const ui::TRect& ADestRect, std::uint8_t AAlpha = 255);

 protected:
  gdiplus::GpGraphics* FHandle = nullptr;
  std::vector<gdiplus::GpRegion*> FSavedClipRegions;
  std::vector<gdiplus::GpRegion*> FSavedWorldTransforms;
  bool FIsLowColorsMode = false;
};

class TdxGPGraphics : public TdxGPCanvas {
 public:
  using TdxGPCanvas::TdxGPCanvas;
};

class TdxGPCustomPaintCanvas : public TdxGPGraphics {
 public:
  TdxGPCustomPaintCanvas() = default;
  ~TdxGPCustomPaintCanvas() override;
  void BeginPaint(gdi::HDC DC, const ui::TRect& R);
  // Draws on the caller's graphics, which stays the caller's.
  void BeginPaint(gdiplus::GpGraphics* AGraphics);
  void EndPaint();

 protected:
  virtual void SaveState() {}
  virtual void RestoreState() {}
  void CreateBuffer();
  void OutputBuffer();
  void FreeBuffer();

  // The buffer: a 32-bit DIB section selected into its own memory DC.
  struct Buffer {
    gdi::HDC DC = nullptr;
    gdi::HBITMAP Bitmap = nullptr;
    gdi::HGDIOBJ OldBitmap = nullptr;
  };
  Buffer* FBuffer = nullptr;
  gdi::HDC FDrawDC = nullptr;
  ui::TRect FDrawRect{};
};

// The shared, re-entrant paint canvas: each BeginPaint saves the outer
// painting and each EndPaint restores it.
class TdxGPPaintCanvas : public TdxGPCustomPaintCanvas {
 public:
  int SavedStateCount() const { return FCounter; }

 protected:
  void SaveState() override;
  void RestoreState() override;

 private:
  struct TdxGPPaintCanvasState {
    gdiplus::GpGraphics* Handle = nullptr;
    Buffer* FBuffer = nullptr;
    ui::TRect FDrawRect{};
    gdi::HDC FDrawDC = nullptr;
  };
  int FCounter = 0;
  std::vector<TdxGPPaintCanvasState> FSavedStates;
};

class TdxGPPath : public TdxGpBase {
 public:
  explicit TdxGPPath(TdxGPFillMode AFillMode = TdxGPFillMode::gpfmAlternate);
  TdxGPPath(const std::vector<TdxGpPointF>& APoints, const std::vector<std::uint8_t>& APointTypes);
  ~TdxGPPath() override;
  gdiplus::GpPath* Handle() const { return FHandle; }

  void FigureStart();
  void FigureFinish();
  void AddArc(float X, float Y, float Width, float Height, float StartAngle, float SweepAngle);
  void AddLine(float X1, float Y1, float X2, float Y2);
  void AddRect(const TdxRectF& R);
  void AddRoundRect(const ui::TRect& R, int RadiusX, int RadiusY);
  void AddRoundRect(const TdxRectF& R, float RadiusX, float RadiusY);

 private:
  gdiplus::GpPath* FHandle = nullptr;
};

class TdxGPStringFormat : public TdxGpBase {
 public:
  TdxGPStringFormat(int AFormatFlags, gdiplus::LANGID ALanguage);
  ~TdxGPStringFormat() override;
  gdiplus::GpStringFormat* Handle() const { return FHandle; }
  void SetAlignment(gdiplus::StringAlignment AValue);
  void SetLineAlignment(gdiplus::StringAlignment AValue);
  void SetTrimming(gdiplus::StringTrimming AValue);

 private:
  gdiplus::GpStringFormat* FHandle = nullptr;
};

class TdxGPAlphaBlendAttributes : public TdxGpBase {
 public:
  TdxGPAlphaBlendAttributes();
  ~TdxGPAlphaBlendAttributes() override;
  void SetAlpha(std::uint8_t AAlpha);
  std::uint8_t Alpha() const { return FAlpha; }
  gdiplus::GpImageAttributes* Handle() const { return FHandle; }

 private:
  std::uint8_t FAlpha = 0;
  gdiplus::ColorMatrix FColorMatrix;
  gdiplus::GpImageAttributes* FHandle = nullptr;
};

// --- shared objects ---------------------------------------------------------------------
TdxGPPaintCanvas* dxGPPaintCanvas();
TdxGPAlphaBlendAttributes* dxGpGetAlphaBlendAttributes(std::uint8_t AAlpha);
TdxGPCustomPaintCanvas* dxGpBeginPaint(gdi::HDC DC, const ui::TRect& R);
void dxGpEndPaint(TdxGPCustomPaintCanvas*& ACanvas);
// Frees the shared objects (the unit's stop).
void dxGpFreeSharedObjects();

// --- free routines ------------------------------------------------------------------------
bool dxGpCreateBrush(gdiplus::GpBrush*& ABrush, ui::TColor AColor, std::uint8_t AAlpha = 255);
bool dxGpCreatePen(gdiplus::GpPen*& APen, ui::TColor AColor, float AWidth, ui::TPenStyle APenStyle,
                   std::uint8_t AAlpha = 255);
void dxGpDrawImage(gdiplus::GpGraphics* AGraphics, const ui::TRect& ADestRect, const ui::TRect& ASourceRect,
                   gdiplus::GpImageAttributes* AAttributes, std::uint8_t AAlpha, gdiplus::GpImage* AImage);
void dxGpTilePartEx(gdiplus::GpGraphics* AGraphics, const ui::TRect& ADestRect, const ui::TRect& ASourceRect,
                    std::uint8_t AAlpha, gdiplus::GpImage* AImage);
bool dxGpIsRectVisible(gdiplus::GpGraphics* AGraphics, const ui::TRect& R);
bool dxGpIsDoubleBufferedNeeded(gdi::HDC DC);
win::HWND dxWindowFromDC(gdi::HDC DC);
void dxGpFillRect(gdi::HDC DC, const ui::TRect& R, ui::TColor AColor, std::uint8_t AAlpha = 255);
void dxGPDrawText(TdxGPCanvas* ACanvas, const String& AText, const TdxRectF& R, ui::TFont* AFont,
                  TdxAlphaColor AColor, ui::TAlignment AHorzAlignment = ui::taLeftJustify,
                  TcxVerticalAlignment AVertAlignment = TcxVerticalAlignment::vaTop, bool AWordWrap = false,
                  TdxGpTextRenderingHint ARendering = gdiplus::TextRenderingHintSystemDefault,
                  gdiplus::StringTrimming ATrimming = gdiplus::StringTrimmingNone);
void dxGPDrawText(TdxGPCanvas* ACanvas, const String& AText, const ui::TRect& R, ui::TFont* AFont,
                  TdxAlphaColor AColor, ui::TAlignment AHorzAlignment = ui::taLeftJustify,
                  TcxVerticalAlignment AVertAlignment = TcxVerticalAlignment::vaTop, bool AWordWrap = false,
                  TdxGpTextRenderingHint ARendering = gdiplus::TextRenderingHintSystemDefault,
                  gdiplus::StringTrimming ATrimming = gdiplus::StringTrimmingNone);
void dxGPGetTextRect(gdiplus::GpGraphics* AGraphics, const String& AText, gdiplus::GpFont* AFont, bool AWordWrap,
                     const TdxRectF& R, TdxRectF& ATextRect);
void dxGPGetTextRect(gdiplus::GpGraphics* AGraphics, const String& AText, ui::TFont* AFont, bool AWordWrap,
                     const TdxRectF& R, TdxRectF& ATextRect);
void dxGPGetTextRect(gdiplus::GpGraphics* AGraphics, const String& AText, ui::TFont* AFont, bool AWordWrap,
                     const ui::TRect& R, ui::TRect& ATextRect);

}  // namespace core

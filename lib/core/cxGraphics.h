#pragma once
// The library's canvas: a thin wrapper over a platform canvas with stacks of
// saved clip regions, device-context states and font/brush/pen states,
// region arithmetic, frames, edges, focus rectangles and tiled fills; its
// descendants for a control's paint cycle, the screen and foreign device
// contexts; and the scaling of design-time pixel values to the screen.
#include <memory>
#include <vector>

#include "lib/core/forward.h"
#include "lib/core/screen_dpi.h"
#include "platform/gdi/region.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/graphics.h"

namespace core {

using rtl::String;
using ui::TColor;
using ui::TPoint;
using ui::TRect;
using ui::TSize;

enum class TcxRegionOperation { roSet, roAdd, roSubtract, roIntersect };
constexpr TcxRegionOperation roSet = TcxRegionOperation::roSet;
constexpr TcxRegionOperation roAdd = TcxRegionOperation::roAdd;
constexpr TcxRegionOperation roSubtract = TcxRegionOperation::roSubtract;
constexpr TcxRegionOperation roIntersect = TcxRegionOperation::roIntersect;

enum class TcxBorder { bLeft, bTop, bRight, bBottom };
using TcxBorders = rtl::Set<TcxBorder, 4>;
constexpr TcxBorder bLeft = TcxBorder::bLeft;
constexpr TcxBorder bTop = TcxBorder::bTop;
constexpr TcxBorder bRight = TcxBorder::bRight;
constexpr TcxBorder bBottom = TcxBorder::bBottom;
inline constexpr TcxBorders cxBordersAll = {bLeft, bTop, bRight, bBottom};

enum class TcxRotationAngle { ra0, raPlus90, raMinus90, ra180 };
constexpr TcxRotationAngle ra0 = TcxRotationAngle::ra0;
constexpr TcxRotationAngle raPlus90 = TcxRotationAngle::raPlus90;
constexpr TcxRotationAngle raMinus90 = TcxRotationAngle::raMinus90;
constexpr TcxRotationAngle ra180 = TcxRotationAngle::ra180;

enum class TcxAlignmentVert { vaTop, vaBottom, vaCenter };
constexpr TcxAlignmentVert vaTop = TcxAlignmentVert::vaTop;
constexpr TcxAlignmentVert vaBottom = TcxAlignmentVert::vaBottom;
constexpr TcxAlignmentVert vaCenter = TcxAlignmentVert::vaCenter;

using TRects = std::vector<TRect>;

// What styles resolve for one painted element: a background tile (or none),
// the background colour, the font and the text colour.
struct TcxViewParams {
  ui::TBitmap* Bitmap = nullptr;
  TColor Color = ui::clDefault;
  ui::TFont* Font = nullptr;
  TColor TextColor = ui::clDefault;
};

// ---- resolution ----------------------------------------------------------------------
TSize cxGetPixelsPerInch();
// MulDiv(value, current DPI, 96), each coordinate on its own.
int cxGetValueCurrentDPI(int value);
TPoint cxGetValueCurrentDPI(const TPoint& value);
TSize cxGetValueCurrentDPI(const TSize& value);
TRect cxGetValueCurrentDPI(const TRect& value);

// ---- regions --------------------------------------------------------------------------
// Owns its region handle.
class TcxRegion : public rtl::TObject {
 public:
  // The empty rectangle (0, 0, 0, 0).
  TcxRegion();
  // Adopts `handle`.
  explicit TcxRegion(gdi::HRGN handle);
  explicit TcxRegion(const TRect& bounds);
  TcxRegion(int left, int top, int right, int bottom);
  ~TcxRegion() override;

  gdi::HRGN Handle() const { return FHandle; }
  void DestroyHandle();

  // Combines `region` into this one and frees it when `destroyRegion`.
  void Combine(TcxRegion* region, TcxRegionOperation operation, bool destroyRegion = true);
  void Combine(const TRect& r, TcxRegionOperation operation);
  bool IsEqual(TcxRegion* region) const;
  bool IsEqual(gdi::HRGN regionHandle) const;
  void Offset(const TPoint& p) { Offset(p.x, p.y); }
  void Offset(int dx, int dy);
  bool PtInRegion(const TPoint& pt) const { return PtInRegion(pt.x, pt.y); }
  bool PtInRegion(int x, int y) const;
  bool IsEmpty() const;
  TRect BoundsRect() const;

 protected:
  void DoCombine(gdi::HRGN regionHandle, TcxRegionOperation operation);

 private:
  gdi::HRGN FHandle = nullptr;
};

bool cxPtInRegion(gdi::HRGN region, const TPoint& p);

// ---- canvas ---------------------------------------------------------------------------------
class TcxCanvas : public rtl::TObject {
 public:
  explicit TcxCanvas(ui::TCanvas* canvas);
  ~TcxCanvas() override;

  // The wrapped canvas (not owned).
  ui::TCanvas* Canvas() const { return FCanvas; }
  virtual void SetCanvas(ui::TCanvas* value);

  ui::TBrush* Brush() const { return FCanvas->Brush(); }
  void SetBrush(ui::TBrush* value) { FCanvas->SetBrush(value); }
  ui::TFont* Font() const { return FCanvas->Font(); }
  void SetFont(ui::TFont* value) { FCanvas->Font()->Assign(value); }
  ui::TPen* Pen() const { return FCanvas->Pen(); }
  ui::TCopyMode CopyMode() const { return FCanvas->CopyMode(); }
  void SetCopyMode(ui::TCopyMode value) { FCanvas->SetCopyMode(value); }
  gdi::HDC Handle() const { return FCanvas->Handle(); }

  // Where logical (0, 0) lies in device coordinates.
  TPoint DCOrigin() { return GetDCOrigin(); }
  TPoint ViewportOrg();
  TPoint WindowOrg() { return GetWindowOrg(); }
  void SetWindowOrg(const TPoint& p) { DoSetWindowOrg(p); }

  // ---- forwarding
  void SetPixel(int x, int y, TColor color) { FCanvas->SetPixels(x, y, color); }
  void StretchDraw(const TRect& r, ui::TGraphic* graphic) { FCanvas->StretchDraw(r, graphic); }
  void CopyRect(const TRect& dest, ui::TCanvas* canvas, const TRect& source) {
    FCanvas->CopyRect(dest, canvas, source);
  }
  void Draw(int x, int y, ui::TGraphic* graphic) { FCanvas->Draw(x, y, graphic); }
  void MoveTo(int x, int y) { FCanvas->MoveTo(x, y); }
  void LineTo(int x, int y) { FCanvas->LineTo(x, y); }
  void Line(int x1, int y1, int x2, int y2);
  void Polygon(const std::vector<TPoint>& points) { FCanvas->Polygon(points); }
  void Polyline(const std::vector<TPoint>& points) { FCanvas->Polyline(points); }
  void Rectangle(int left, int top, int right, int bottom) { FCanvas->Rectangle(left, top, right, bottom); }
  void Rectangle(const TRect& r) { FCanvas->Rectangle(r); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) { FCanvas->RoundRect(x1, y1, x2, y2, x3, y3); }
  void RoundRect(const TRect& r, int x, int y) { FCanvas->RoundRect(r.left, r.top, r.right, r.bottom, x, y); }
  void BeginPath();
  void EndPath();
  void ExcludeClipRect(const TRect& r);
  void IntersectClipRect(const TRect& r);
  bool RectVisible(const TRect& r);
  void SetBrushColor(TColor value);
  TPoint GetViewportOrg() { return ViewportOrg(); }

  // ---- states and clipping
  void SaveDC();
  void RestoreDC();
  void SaveState();
  void RestoreState();
  void SaveClipRegion();
  void RestoreClipRegion();
  // A copy of the clip region (0, 0, 30000, 30000 when there is none),
  // moved into logical coordinates when `considerOrigin`. Caller owns it.
  TcxRegion* GetClipRegion(bool considerOrigin = true);
  // Takes `region` (freed when `destroyRegion`; otherwise left as it was).
  void SetClipRegion(TcxRegion* region, TcxRegionOperation operation, bool destroyRegion = true,
                     bool considerOrigin = true);
  bool RectFullyVisible(const TRect& r);
  // The current path as a region; caller owns it.
  TcxRegion* PathToRegion(bool considerOrigin = true);

  // ---- drawing
  void FillRect(const TRect& r, TColor color);
  void FillRect(const TRect& r, ui::TBitmap* bitmap = nullptr, bool excludeRect = false);
  void FillRect(const TRect& r, const TcxViewParams& params, bool excludeRect = false);
  void FrameRect(const TRect& r, TColor color = ui::clDefault, int lineWidth = 1,
                 TcxBorders borders = cxBordersAll, bool excludeFrame = false);
  void ExcludeFrameRect(const TRect& r, int lineWidth = 1, TcxBorders borders = cxBordersAll);
  void Rectangle(TRect r, const TcxViewParams& params, TcxBorders borders = {},
                 TColor borderColor = ui::clDefault, int lineWidth = 1, bool excludeRect = false);
  void DrawComplexFrame(const TRect& r, TColor leftTopColor, TColor rightBottomColor,
                        TcxBorders borders = cxBordersAll, int borderWidth = 1);
  void DrawEdge(const TRect& r, bool sunken, bool outer, TcxBorders borders = cxBordersAll);
  void DrawFocusRect(const TRect& r);
  void DrawFocusRectEx(const TRect& r, TcxBorders borders, bool exclude = false);
  void DrawDesignSelection(const TRect& r, int width);
  void InvertRect(const TRect& r);
  void FillRegion(gdi::HRGN region, TColor color);
  void FillRegion(TcxRegion* region, TColor color) { FillRegion(region->Handle(), color); }
  void FrameRegion(gdi::HRGN region, TColor color, int borderWidth = 1, int borderHeight = 1);
  void FrameRegion(TcxRegion* region, TColor color, int borderWidth = 1, int borderHeight = 1) {
    FrameRegion(region->Handle(), color, borderWidth, borderHeight);
  }
  void DrawRegion(gdi::HRGN region, TColor contentColor, TColor borderColor, int borderWidth = 1,
                  int borderHeight = 1);
  void DrawRegion(TcxRegion* region, TColor contentColor, TColor borderColor, int borderWidth = 1,
                  int borderHeight = 1) {
    DrawRegion(region->Handle(), contentColor, borderColor, borderWidth, borderHeight);
  }
  void GetParams(TcxViewParams& params);
  void SetParams(const TcxViewParams& params);
  // Escapement `value` degrees.
  void SetFontAngle(int value);
  int FontHeight(ui::TFont* font);

  static void SynchronizeObjects(ui::TCanvas* canvas, gdi::HDC dc);
  static void RotateBitmap(ui::TBitmap* bitmap, TcxRotationAngle angle, bool flipVertically = false);

  // ---- text with the library's text flags (defined with the text output)
  TSize TextExtent(const String& text);
  void TextExtent(const String& text, TRect& r, int flags);
  int TextWidth(const String& text);
  int TextHeight(const String& text);
  void TextOut(int x, int y, const String& text);
  void DrawText(const String& text, TRect r, int flags, bool enabled = true);
  void DrawText(const String& text, TRect r, int flags, bool enabled, TcxRotationAngle rotationAngle);
  void AlignMultiLineTextRectVertically(TRect& r, const String& text, TcxAlignmentVert alignmentVert,
                                        bool wordBreak, bool showPrefix, bool enabled,
                                        bool dontBreakChars, bool endEllipsis);
  void GetTextStringsBounds(String text, TRect r, int flags, bool enabled, TRects& bounds);

 protected:
  virtual TPoint GetDCOrigin();
  virtual TPoint GetWindowOrg();
  virtual void DoSetWindowOrg(const TPoint& p);
  ui::TCanvas* FCanvas;

 private:
  struct TcxDCState {
    gdi::HDC Handle;
    int SavedDC;
  };
  struct TcxCanvasState {
    std::unique_ptr<ui::TFont> Font;
    std::unique_ptr<ui::TBrush> Brush;
    std::unique_ptr<ui::TPen> Pen;
  };
  std::vector<TcxDCState> FSavedDCs;
  std::vector<TcxRegion*> FSavedRegions;
  std::vector<TcxCanvasState> FSavedStates;
};

// The canvas of a control: while painting, window origins are relative to
// the one at BeginPaint.
class TcxControlCanvas : public TcxCanvas {
 public:
  using TcxCanvas::TcxCanvas;
  void BeginPaint();
  void EndPaint();

 protected:
  TPoint GetDCOrigin() override;
  TPoint GetWindowOrg() override;
  void DoSetWindowOrg(const TPoint& p) override;

 private:
  TPoint FBrushOrigin{};
  TPoint FOrigin{};
};

// A platform canvas over the whole screen, holding a cached device context
// of the desktop until FreeHandle.
class TScreenCanvas : public ui::TCanvas {
 public:
  TScreenCanvas() = default;
  ~TScreenCanvas() override;
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  gdi::HDC FDeviceContext = nullptr;
  void* FDesktopWindow = nullptr;
};

class TcxScreenCanvas : public TcxCanvas {
 public:
  TcxScreenCanvas();
  ~TcxScreenCanvas() override;
  // Gives the screen device context back; the next use takes a new one.
  void Dormant();

 private:
  std::unique_ptr<TScreenCanvas> FScreenCanvas;
};

// Drawing with a TcxCanvas on device contexts handed in, nested.
class TcxPaintCanvas : public TcxCanvas {
 public:
  TcxPaintCanvas() : TcxCanvas(nullptr) {}
  ~TcxPaintCanvas() override;
  void SetCanvas(ui::TCanvas* value) override { FCanvas = value; }
  void BeginPaint(gdi::HDC dc);
  void EndPaint();
  int Counter() const { return FCounter; }

 private:
  struct TcxPaintCanvasState {
    ui::TCanvas* PrevCanvas = nullptr;
    int SaveDC = 0;
    gdi::HDC DC = nullptr;
    std::unique_ptr<ui::TCanvas> Canvas;
  };
  void SetCapacity(int value);
  int FCounter = 0;
  std::vector<TcxPaintCanvasState> FSavedStates;
};

// The shared instances, made on first request (null after the unit ended).
TcxScreenCanvas* cxScreenCanvas();
TcxPaintCanvas* cxPaintCanvas();

// A brush of each system colour index 0..30 (null outside), and the 8 x 8
// checkerboard pattern brush.
ui::TBrush* cxSystemBrush(int index);
ui::TBrush* cxHalfToneBrush();

// Starts the unit: the library bitmap classes become known to streams by
// name.
void cxGraphicsInitialization();
// Ends the unit: frees the shared canvases, brushes and work bitmaps, blocks
// their re-creation and takes the bitmap classes back.
void cxGraphicsFinalization();

}  // namespace core

#include "lib/core/cxGraphics.h"

#include <algorithm>
#include <array>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/rtl/mathutil.h"
#include "platform/win/constants.h"
#include "platform/win/paint.h"

namespace core {

namespace {

constexpr int kNoClipExtent = 30000;
constexpr gdi::BYTE kTrueTypeOnlyPrecision = 7;

int RegionMode(TcxRegionOperation operation) {
  switch (operation) {
    case roSet: return gdi::RGN_COPY;
    case roAdd: return gdi::RGN_OR;
    case roSubtract: return gdi::RGN_DIFF;
    case roIntersect: return gdi::RGN_AND;
  }
  return gdi::RGN_COPY;
}

TPoint Sub(const TPoint& a, const TPoint& b) { return TPoint{a.x - b.x, a.y - b.y}; }
TPoint Add(const TPoint& a, const TPoint& b) { return TPoint{a.x + b.x, a.y + b.y}; }
bool IsEmptyRect(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }

// Unit state: the shared canvases and brushes.
struct GraphicsUnitState {
  bool finalized = false;
  TcxScreenCanvas* screenCanvas = nullptr;
  TcxPaintCanvas* paintCanvas = nullptr;
  std::array<ui::TBrush*, gdi::SYS_COLOR_COUNT> systemBrushes{};
  ui::TBrush* halfToneBrush = nullptr;
  ui::TBitmap* halfToneBitmap = nullptr;
};
// Reachable for the program's whole life: freed by cxGraphicsFinalization,
// never by static destruction (the window system may be gone by then).
GraphicsUnitState& State() {
  static GraphicsUnitState* state = new GraphicsUnitState;
  return *state;
}

}  // namespace

// ---- resolution ----------------------------------------------------------------------

TSize cxGetPixelsPerInch() {
  gdi::HDC dc = win::GetDC(nullptr);
  const TSize result{gdi::GetDeviceCaps(dc, gdi::LOGPIXELSX), gdi::GetDeviceCaps(dc, gdi::LOGPIXELSY)};
  win::ReleaseDC(nullptr, dc);
  return result;
}

int cxGetValueCurrentDPI(int value) { return rtl::MulDiv(value, cxGetCurrentDPI(), 96); }
TPoint cxGetValueCurrentDPI(const TPoint& value) {
  return TPoint{cxGetValueCurrentDPI(value.x), cxGetValueCurrentDPI(value.y)};
}
TSize cxGetValueCurrentDPI(const TSize& value) {
  return TSize{cxGetValueCurrentDPI(value.cx), cxGetValueCurrentDPI(value.cy)};
}
TRect cxGetValueCurrentDPI(const TRect& value) {
  return TRect{cxGetValueCurrentDPI(value.left), cxGetValueCurrentDPI(value.top),
               cxGetValueCurrentDPI(value.right), cxGetValueCurrentDPI(value.bottom)};
}

// ---- TcxRegion ---------------------------------------------------------------------------

TcxRegion::TcxRegion() : FHandle(gdi::CreateRectRgn(0, 0, 0, 0)) {}
TcxRegion::TcxRegion(gdi::HRGN handle) : FHandle(handle) {}
TcxRegion::TcxRegion(const TRect& bounds) : FHandle(gdi::CreateRectRgnIndirect(&bounds)) {}
TcxRegion::TcxRegion(int left, int top, int right, int bottom)
    : FHandle(gdi::CreateRectRgn(left, top, right, bottom)) {}
TcxRegion::~TcxRegion() { DestroyHandle(); }

void TcxRegion::DestroyHandle() {
  if (FHandle) gdi::DeleteObject(FHandle);
  FHandle = nullptr;
}

void TcxRegion::DoCombine(gdi::HRGN regionHandle, TcxRegionOperation operation) {
  if (operation == roSet)
    gdi::CombineRgn(FHandle, regionHandle, nullptr, gdi::RGN_COPY);
  else
    gdi::CombineRgn(FHandle, FHandle, regionHandle, RegionMode(operation));
}

void TcxRegion::Combine(TcxRegion* region, TcxRegionOperation operation, bool destroyRegion) {
  DoCombine(region->Handle(), operation);
  if (destroyRegion) region->Free();
}

void TcxRegion::Combine(const TRect& r, TcxRegionOperation operation) {
  gdi::HRGN rgn = gdi::CreateRectRgnIndirect(&r);
  DoCombine(rgn, operation);
  gdi::DeleteObject(rgn);
}

bool TcxRegion::IsEqual(TcxRegion* region) const {
  if (!region) return false;
  return (IsEmpty() && region->IsEmpty()) || IsEqual(region->Handle());
}

bool TcxRegion::IsEqual(gdi::HRGN regionHandle) const {
  return gdi::EqualRgn(FHandle, regionHandle) != 0;
}

void TcxRegion::Offset(int dx, int dy) { gdi::OffsetRgn(FHandle, dx, dy); }
bool TcxRegion::PtInRegion(int x, int y) const { return gdi::PtInRegion(FHandle, x, y) != 0; }

bool TcxRegion::IsEmpty() const {
  TRect r;
  return gdi::GetRgnBox(FHandle, &r) == gdi::NULLREGION;
}

TRect TcxRegion::BoundsRect() const {
  TRect r;
  gdi::GetRgnBox(FHandle, &r);
  return r;
}

bool cxPtInRegion(gdi::HRGN region, const TPoint& p) { return gdi::PtInRegion(region, p.x, p.y) != 0; }

// ---- TcxCanvas ----------------------------------------------------------------------------

TcxCanvas::TcxCanvas(ui::TCanvas* canvas) : FCanvas(canvas) {}

TcxCanvas::~TcxCanvas() = default;

void TcxCanvas::SetCanvas(ui::TCanvas* value) { FCanvas = value; }

TPoint TcxCanvas::ViewportOrg() {
  TPoint p{};
  gdi::GetViewportOrgEx(Handle(), &p);
  return p;
}

TPoint TcxCanvas::GetDCOrigin() { return Sub(ViewportOrg(), GetWindowOrg()); }

TPoint TcxCanvas::GetWindowOrg() {
  TPoint p{};
  gdi::GetWindowOrgEx(Handle(), &p);
  return p;
}

void TcxCanvas::DoSetWindowOrg(const TPoint& p) { gdi::SetWindowOrgEx(Handle(), p.x, p.y, nullptr); }

void TcxCanvas::Line(int x1, int y1, int x2, int y2) {
  MoveTo(x1, y1);
  LineTo(x2, y2);
}

void TcxCanvas::BeginPath() { gdi::BeginPath(Handle()); }
void TcxCanvas::EndPath() { gdi::EndPath(Handle()); }

void TcxCanvas::ExcludeClipRect(const TRect& r) {
  gdi::ExcludeClipRect(Handle(), r.left, r.top, r.right, r.bottom);
}

void TcxCanvas::IntersectClipRect(const TRect& r) {
  gdi::IntersectClipRect(Handle(), r.left, r.top, r.right, r.bottom);
}

bool TcxCanvas::RectVisible(const TRect& r) { return gdi::RectVisible(Handle(), &r) != 0; }

void TcxCanvas::SetBrushColor(TColor value) {
  if (Brush()->Color() != value) Brush()->SetColor(value);
}

void TcxCanvas::SaveDC() {
  FCanvas->Lock();
  gdi::HDC dc = Handle();
  FSavedDCs.push_back(TcxDCState{dc, gdi::SaveDC(dc)});
}

void TcxCanvas::RestoreDC() {
  if (FSavedDCs.empty()) return;
  const TcxDCState state = FSavedDCs.back();
  FSavedDCs.pop_back();
  FCanvas->SetHandle(state.Handle);
  gdi::RestoreDC(state.Handle, state.SavedDC);
  FCanvas->Unlock();
}

void TcxCanvas::SaveState() {
  SaveDC();
  TcxCanvasState state;
  state.Font = std::make_unique<ui::TFont>();
  state.Font->Assign(Font());
  state.Brush = std::make_unique<ui::TBrush>();
  state.Brush->Assign(Brush());
  state.Pen = std::make_unique<ui::TPen>();
  state.Pen->Assign(Pen());
  FSavedStates.push_back(std::move(state));
}

void TcxCanvas::RestoreState() {
  if (FSavedStates.empty()) return;
  {
    TcxCanvasState state = std::move(FSavedStates.back());
    FSavedStates.pop_back();
    Font()->Assign(state.Font.get());
    Brush()->Assign(state.Brush.get());
    Pen()->Assign(state.Pen.get());
  }
  RestoreDC();
}

void TcxCanvas::SaveClipRegion() { FSavedRegions.push_back(GetClipRegion()); }

void TcxCanvas::RestoreClipRegion() {
  if (FSavedRegions.empty()) return;
  TcxRegion* region = FSavedRegions.back();
  FSavedRegions.pop_back();
  SetClipRegion(region, roSet);
}

TcxRegion* TcxCanvas::GetClipRegion(bool considerOrigin) {
  auto* region = new TcxRegion(0, 0, 0, 0);
  if (gdi::GetClipRgn(Handle(), region->Handle()) != 1)
    gdi::SetRectRgn(region->Handle(), 0, 0, kNoClipExtent, kNoClipExtent);
  if (considerOrigin) {
    const TPoint origin = DCOrigin();
    region->Offset(-origin.x, -origin.y);
  }
  return region;
}

void TcxCanvas::SetClipRegion(TcxRegion* region, TcxRegionOperation operation, bool destroyRegion,
                              bool considerOrigin) {
  if (operation != roSet) {
    TcxRegion* clip = GetClipRegion(considerOrigin);
    clip->Combine(region, operation, destroyRegion);
    SetClipRegion(clip, roSet, true, considerOrigin);
    return;
  }
  const TPoint origin = considerOrigin ? DCOrigin() : TPoint{};
  region->Offset(origin);
  gdi::SelectClipRgn(Handle(), region->Handle());
  if (destroyRegion)
    region->Free();
  else
    region->Offset(-origin.x, -origin.y);
}

bool TcxCanvas::RectFullyVisible(const TRect& r) {
  std::unique_ptr<TcxRegion> clip(GetClipRegion());
  clip->Combine(r, roIntersect);
  TcxRegion whole(r);
  gdi::HDC dc = Handle();
  return clip->IsEqual(&whole) && gdi::PtVisible(dc, r.left, r.top) &&
         gdi::PtVisible(dc, r.right, r.bottom);
}

TcxRegion* TcxCanvas::PathToRegion(bool considerOrigin) {
  auto* region = new TcxRegion(gdi::PathToRegion(Handle()));
  if (considerOrigin) {
    const TPoint origin = DCOrigin();
    region->Offset(-origin.x, -origin.y);
  }
  return region;
}

void TcxCanvas::FillRect(const TRect& r, TColor color) {
  if (color == ui::clNone) return;
  if (color != ui::clDefault) SetBrushColor(color);
  FCanvas->FillRect(r);
}

void TcxCanvas::FillRect(const TRect& r, ui::TBitmap* bitmap, bool excludeRect) {
  if (IsEmptyRect(r)) return;
  if (bitmap && !bitmap->Empty()) {
    const int w = bitmap->Width(), h = bitmap->Height();
    // Tiles are aligned so that logical (0, 0) is a tile corner.
    const int firstCol = r.left / w, lastCol = r.right / w - (r.right % w == 0 ? 1 : 0);
    const int firstRow = r.top / h, lastRow = r.bottom / h - (r.bottom % h == 0 ? 1 : 0);
    gdi::HDC dst = Handle();
    gdi::HDC src = bitmap->Canvas()->Handle();
    for (int c = firstCol; c <= lastCol; ++c)
      for (int row = firstRow; row <= lastRow; ++row) {
        const TRect tile{c * w, row * h, c * w + w, row * h + h};
        TRect part;
        if (!gdi::IntersectRect(&part, &tile, &r)) continue;
        gdi::BitBlt(dst, part.left, part.top, part.right - part.left, part.bottom - part.top, src,
                    part.left - tile.left, part.top - tile.top, gdi::SRCCOPY);
      }
  } else {
    FCanvas->FillRect(r);
  }
  if (excludeRect) SetClipRegion(new TcxRegion(r), roSubtract);
}

void TcxCanvas::FillRect(const TRect& r, const TcxViewParams& params, bool excludeRect) {
  Brush()->SetColor(params.Color);
  FillRect(r, params.Bitmap, excludeRect);
}

namespace {

// The strips of a frame in the order left, right, top, bottom.
template <class F>
void ForEachFrameStrip(const TRect& r, int w, TcxBorders borders, F&& f) {
  if (borders.contains(bLeft)) f(TRect{r.left, r.top, std::min(r.left + w, r.right), r.bottom});
  if (borders.contains(bRight)) f(TRect{std::max(r.right - w, r.left), r.top, r.right, r.bottom});
  if (borders.contains(bTop)) f(TRect{r.left, r.top, r.right, std::min(r.top + w, r.bottom)});
  if (borders.contains(bBottom)) f(TRect{r.left, std::max(r.bottom - w, r.top), r.right, r.bottom});
}

}  // namespace

void TcxCanvas::FrameRect(const TRect& r, TColor color, int lineWidth, TcxBorders borders,
                          bool excludeFrame) {
  if (IsEmptyRect(r) || color == ui::clNone) return;
  if (color != ui::clDefault) SetBrushColor(color);
  ForEachFrameStrip(r, lineWidth, borders,
                    [&](const TRect& strip) { FillRect(strip, nullptr, excludeFrame); });
}

void TcxCanvas::ExcludeFrameRect(const TRect& r, int lineWidth, TcxBorders borders) {
  ForEachFrameStrip(r, lineWidth, borders,
                    [&](const TRect& strip) { SetClipRegion(new TcxRegion(strip), roSubtract); });
}

void TcxCanvas::Rectangle(TRect r, const TcxViewParams& params, TcxBorders borders, TColor borderColor,
                          int lineWidth, bool excludeRect) {
  if (!borders.empty()) {
    FrameRect(r, borderColor, lineWidth, borders, excludeRect);
    if (borders.contains(bLeft)) r.left += lineWidth;
    if (borders.contains(bTop)) r.top += lineWidth;
    if (borders.contains(bRight)) r.right -= lineWidth;
    if (borders.contains(bBottom)) r.bottom -= lineWidth;
  }
  FillRect(r, params, excludeRect);
}

void TcxCanvas::DrawComplexFrame(const TRect& r, TColor leftTopColor, TColor rightBottomColor,
                                 TcxBorders borders, int borderWidth) {
  if (borders.contains(bLeft)) FillRect(TRect{r.left, r.top, r.left + borderWidth, r.bottom}, leftTopColor);
  if (borders.contains(bTop)) FillRect(TRect{r.left, r.top, r.right, r.top + borderWidth}, leftTopColor);
  if (borders.contains(bRight))
    FillRect(TRect{r.right - borderWidth, r.top, r.right, r.bottom}, rightBottomColor);
  if (borders.contains(bBottom))
    FillRect(TRect{r.left, r.bottom - borderWidth, r.right, r.bottom}, rightBottomColor);
}

void TcxCanvas::DrawEdge(const TRect& r, bool sunken, bool outer, TcxBorders borders) {
  TColor leftTop, rightBottom;
  if (sunken) {
    leftTop = outer ? ui::clBtnShadow : ui::cl3DDkShadow;
    rightBottom = outer ? ui::clBtnHighlight : ui::cl3DLight;
  } else {
    leftTop = outer ? ui::cl3DLight : ui::clBtnHighlight;
    rightBottom = outer ? ui::cl3DDkShadow : ui::clBtnShadow;
  }
  DrawComplexFrame(r, leftTop, rightBottom, borders, 1);
}

void TcxCanvas::DrawFocusRect(const TRect& r) {
  SetBrushColor(ui::clWhite);
  Font()->SetColor(ui::clBlack);
  Handle();  // selects the font (and its colour) into the device context
  FCanvas->DrawFocusRect(r);
}

void TcxCanvas::DrawFocusRectEx(const TRect& r, TcxBorders borders, bool exclude) {
  if (borders.empty()) return;
  SaveClipRegion();
  ExcludeFrameRect(r, 1, cxBordersAll - borders);
  DrawFocusRect(r);
  RestoreClipRegion();
  if (exclude) ExcludeFrameRect(r, 1, borders);
}

void TcxCanvas::DrawDesignSelection(const TRect& r, int width) {
  TRect rect = r;
  for (int i = 0; i < width; ++i) {
    DrawFocusRect(rect);
    gdi::InflateRect(&rect, -1, -1);
  }
}

void TcxCanvas::InvertRect(const TRect& r) {
  SetCopyMode(ui::cmDstInvert);
  CopyRect(r, FCanvas, r);
  SetCopyMode(ui::cmSrcCopy);
}

void TcxCanvas::FillRegion(gdi::HRGN region, TColor color) {
  if (color == ui::clNone) return;
  // Unlike FillRect, clDefault is taken as the colour value it is.
  Brush()->SetColor(color);
  gdi::FillRgn(Handle(), region, Brush()->Handle());
}

void TcxCanvas::FrameRegion(gdi::HRGN region, TColor color, int borderWidth, int borderHeight) {
  if (color == ui::clNone) return;
  Brush()->SetColor(color);
  gdi::FrameRgn(Handle(), region, Brush()->Handle(), borderWidth, borderHeight);
}

void TcxCanvas::DrawRegion(gdi::HRGN region, TColor contentColor, TColor borderColor, int borderWidth,
                           int borderHeight) {
  FillRegion(region, contentColor);
  FrameRegion(region, borderColor, borderWidth, borderHeight);
}

void TcxCanvas::GetParams(TcxViewParams& params) {
  params.Color = Brush()->Color();
  params.Font = Font();
  params.TextColor = Font()->Color();
}

void TcxCanvas::SetParams(const TcxViewParams& params) {
  SetBrushColor(params.Color);
  if (params.Font) SetFont(params.Font);
  Font()->SetColor(params.TextColor);
}

void TcxCanvas::SetFontAngle(int value) {
  gdi::LOGFONTW lf = Font()->LogFont();
  lf.lfEscapement = value * 10;
  if (value != 0) lf.lfOutPrecision = kTrueTypeOnlyPrecision;
  Font()->SetHandle(gdi::CreateFontIndirectW(&lf));
}

int TcxCanvas::FontHeight(ui::TFont* font) {
  SetFont(font);
  gdi::TEXTMETRICW tm{};
  if (!gdi::GetTextMetricsW(Handle(), &tm)) return 0;
  return tm.tmHeight;
}

void TcxCanvas::SynchronizeObjects(ui::TCanvas* canvas, gdi::HDC dc) {
  gdi::LOGFONTW lf{};
  if (gdi::GetObjectW(gdi::GetCurrentObject(dc, gdi::OBJ_FONT), sizeof(lf), &lf) == int(sizeof(lf)))
    canvas->Font()->SetHandle(gdi::CreateFontIndirectW(&lf));
  canvas->Font()->SetColor(TColor(gdi::GetTextColor(dc)));

  gdi::LOGBRUSH lb{};
  if (gdi::GetObjectW(gdi::GetCurrentObject(dc, gdi::OBJ_BRUSH), sizeof(lb), &lb) == int(sizeof(lb))) {
    canvas->Brush()->SetColor(TColor(lb.lbColor));
    ui::TBrushStyle style = ui::bsSolid;
    if (lb.lbStyle == gdi::BS_NULL) {
      style = ui::bsClear;
    } else if (lb.lbStyle == gdi::BS_HATCHED && lb.lbHatch <= 5) {
      static constexpr ui::TBrushStyle hatches[] = {ui::bsHorizontal, ui::bsVertical, ui::bsFDiagonal,
                                                    ui::bsBDiagonal, ui::bsCross, ui::bsDiagCross};
      style = hatches[lb.lbHatch];
    }
    canvas->Brush()->SetStyle(style);
  }

  gdi::LOGPEN lp{};
  if (gdi::GetObjectW(gdi::GetCurrentObject(dc, gdi::OBJ_PEN), sizeof(lp), &lp) == int(sizeof(lp))) {
    canvas->Pen()->SetColor(TColor(lp.lopnColor));
    canvas->Pen()->SetStyle(ui::TPenStyle(lp.lopnStyle & gdi::PS_STYLE_MASK));
    canvas->Pen()->SetWidth(lp.lopnWidth.x);
  }
  // The pen modes in the platform's order, by their raster-2 operation.
  static constexpr int rop2s[16] = {
      gdi::R2_BLACK,       gdi::R2_WHITE,       gdi::R2_NOP,         gdi::R2_NOT,
      gdi::R2_COPYPEN,     gdi::R2_NOTCOPYPEN,  gdi::R2_MERGEPENNOT, gdi::R2_MASKPENNOT,
      gdi::R2_MERGENOTPEN, gdi::R2_MASKNOTPEN,  gdi::R2_MERGEPEN,    gdi::R2_NOTMERGEPEN,
      gdi::R2_MASKPEN,     gdi::R2_NOTMASKPEN,  gdi::R2_XORPEN,      gdi::R2_NOTXORPEN};
  const int rop2 = gdi::GetROP2(dc);
  ui::TPenMode mode = ui::pmCopy;
  for (int i = 0; i < 16; ++i)
    if (rop2s[i] == rop2) mode = ui::TPenMode(i);
  canvas->Pen()->SetMode(mode);
}

void TcxCanvas::RotateBitmap(ui::TBitmap* bitmap, TcxRotationAngle angle, bool flipVertically) {
  if (angle == ra0 && !flipVertically) return;
  TRGBColors source;
  if (!GetBitmapBits(bitmap, source, true)) return;
  const int w = bitmap->Width(), h = bitmap->Height();
  TRGBColors dest(source.size());
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) {
      long long index = 0;
      switch (angle) {
        case ra0: index = j + static_cast<long long>(w) * (h - 1 - i); break;
        case raPlus90:
          index = flipVertically ? i + static_cast<long long>(h) * j : i + static_cast<long long>(h) * (w - 1 - j);
          break;
        case raMinus90:
          index = flipVertically ? static_cast<long long>(h) * (w - j) - i - 1
                                 : static_cast<long long>(h) * (j + 1) - i - 1;
          break;
        case ra180:
          index = flipVertically ? static_cast<long long>(w) * (i + 1) - j - 1
                                 : static_cast<long long>(w) * (h - i) - j - 1;
          break;
      }
      dest[static_cast<std::size_t>(index)] = source[static_cast<std::size_t>(i) * w + j];
    }
  if (angle == raPlus90 || angle == raMinus90) {
    // Emptied first so that no pixels are carried over into the new shape.
    bitmap->SetSize(0, 0);
    bitmap->SetSize(h, w);
  }
  SetBitmapBits(bitmap, dest, true);
}

// ---- TcxControlCanvas ------------------------------------------------------------------

void TcxControlCanvas::BeginPaint() {
  gdi::HDC dc = Handle();
  gdi::GetWindowOrgEx(dc, &FOrigin);
  gdi::SetBrushOrgEx(dc, FOrigin.x, FOrigin.y, &FBrushOrigin);
}

void TcxControlCanvas::EndPaint() {
  gdi::SetBrushOrgEx(Handle(), FBrushOrigin.x, FBrushOrigin.y, nullptr);
  FOrigin = TPoint{};
  FBrushOrigin = TPoint{};
}

TPoint TcxControlCanvas::GetDCOrigin() {
  TPoint windowOrg{};
  gdi::GetWindowOrgEx(Handle(), &windowOrg);
  return Sub(ViewportOrg(), windowOrg);
}

TPoint TcxControlCanvas::GetWindowOrg() {
  TPoint windowOrg{};
  gdi::GetWindowOrgEx(Handle(), &windowOrg);
  return Sub(windowOrg, FOrigin);
}

void TcxControlCanvas::DoSetWindowOrg(const TPoint& p) {
  const TPoint org = Add(FOrigin, p);
  gdi::SetWindowOrgEx(Handle(), org.x, org.y, nullptr);
}

// ---- screen canvas -------------------------------------------------------------------------

TScreenCanvas::~TScreenCanvas() { FreeHandle(); }

void TScreenCanvas::CreateHandle() {
  // The desktop's device context is the window system's screen DC (the null
  // window); the desktop handle itself is not a window that owns one here.
  FDesktopWindow = nullptr;
  FDeviceContext = win::GetDCEx(nullptr, nullptr, win::DCX_CACHE | win::DCX_LOCKWINDOWUPDATE);
  SetHandle(FDeviceContext);
}

void TScreenCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  SetHandle(nullptr);
  win::ReleaseDC(static_cast<win::HWND>(FDesktopWindow), FDeviceContext);
  FDeviceContext = nullptr;
  FDesktopWindow = nullptr;
}

TcxScreenCanvas::TcxScreenCanvas() : TcxCanvas(nullptr), FScreenCanvas(std::make_unique<TScreenCanvas>()) {
  FCanvas = FScreenCanvas.get();
}

TcxScreenCanvas::~TcxScreenCanvas() { FCanvas = nullptr; }

void TcxScreenCanvas::Dormant() { FScreenCanvas->FreeHandle(); }

// ---- paint canvas ----------------------------------------------------------------------------

TcxPaintCanvas::~TcxPaintCanvas() { FSavedStates.clear(); }

void TcxPaintCanvas::SetCapacity(int value) {
  const int length = static_cast<int>(FSavedStates.size());
  if (length < value) FSavedStates.resize(static_cast<std::size_t>(std::max(value, length + 4)));
}

void TcxPaintCanvas::BeginPaint(gdi::HDC dc) {
  SetCapacity(FCounter + 1);
  TcxPaintCanvasState& state = FSavedStates[static_cast<std::size_t>(FCounter)];
  state.PrevCanvas = FCanvas;
  state.DC = dc;
  state.SaveDC = gdi::SaveDC(dc);
  state.Canvas = std::make_unique<ui::TCanvas>();
  state.Canvas->SetHandle(dc);
  SynchronizeObjects(state.Canvas.get(), dc);
  SetCanvas(state.Canvas.get());
  SaveState();
  ++FCounter;
}

void TcxPaintCanvas::EndPaint() {
  if (FCounter == 0) return;
  --FCounter;
  RestoreState();
  TcxPaintCanvasState& state = FSavedStates[static_cast<std::size_t>(FCounter)];
  state.Canvas.reset();
  if (state.SaveDC != 0) gdi::RestoreDC(state.DC, state.SaveDC);
  SetCanvas(state.PrevCanvas);
  state.PrevCanvas = nullptr;
  state.DC = nullptr;
  state.SaveDC = 0;
}

// ---- shared instances ----------------------------------------------------------------------

TcxScreenCanvas* cxScreenCanvas() {
  GraphicsUnitState& s = State();
  if (!s.screenCanvas && !s.finalized) s.screenCanvas = new TcxScreenCanvas;
  return s.screenCanvas;
}

TcxPaintCanvas* cxPaintCanvas() {
  GraphicsUnitState& s = State();
  if (!s.paintCanvas && !s.finalized) s.paintCanvas = new TcxPaintCanvas;
  return s.paintCanvas;
}

ui::TBrush* cxSystemBrush(int index) {
  GraphicsUnitState& s = State();
  if (index < 0 || index >= gdi::SYS_COLOR_COUNT || s.finalized) return nullptr;
  ui::TBrush*& brush = s.systemBrushes[static_cast<std::size_t>(index)];
  if (!brush) {
    brush = new ui::TBrush;
    brush->SetColor(TColor(ui::clSystemColor | index));
  }
  return brush;
}

ui::TBrush* cxHalfToneBrush() {
  GraphicsUnitState& s = State();
  if (s.finalized) return nullptr;
  if (!s.halfToneBrush) {
    // An 8 x 8 one-bit checkerboard: rows alternate $AA and $55.
    s.halfToneBitmap = new ui::TBitmap(8, 8);
    s.halfToneBitmap->SetPixelFormat(ui::pf1bit);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool set = ((y % 2 == 0) ? (0xAA >> (7 - x)) : (0x55 >> (7 - x))) & 1;
        s.halfToneBitmap->Canvas()->SetPixels(x, y, set ? ui::clWhite : ui::clBlack);
      }
    s.halfToneBrush = new ui::TBrush;
    s.halfToneBrush->SetBitmap(s.halfToneBitmap);
  }
  return s.halfToneBrush;
}

void cxGraphicsInitialization() {
  rtl::RegisterClasses({&TcxBitmap::classInfo(), &TcxBitmap32::classInfo()});
}

void cxGraphicsFinalization() {
  GraphicsUnitState& s = State();
  s.finalized = true;
  rtl::UnRegisterClasses({&TcxBitmap::classInfo(), &TcxBitmap32::classInfo()});
  cxFreeWorkBitmaps();
  std::unique_ptr<TcxScreenCanvas>(s.screenCanvas).reset();
  std::unique_ptr<TcxPaintCanvas>(s.paintCanvas).reset();
  s.screenCanvas = nullptr;
  s.paintCanvas = nullptr;
  for (ui::TBrush*& brush : s.systemBrushes) {
    std::unique_ptr<ui::TBrush>(brush).reset();
    brush = nullptr;
  }
  std::unique_ptr<ui::TBrush>(s.halfToneBrush).reset();
  std::unique_ptr<ui::TBitmap>(s.halfToneBitmap).reset();
  s.halfToneBrush = nullptr;
  s.halfToneBitmap = nullptr;
}

}  // namespace core

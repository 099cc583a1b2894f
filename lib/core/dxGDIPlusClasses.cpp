#include "lib/core/dxGDIPlusClasses.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image.h"
#include "platform/gdiplus/path.h"
#include "platform/gdiplus/pen.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/colors.h"
#include "platform/win/paint.h"

namespace core {

using namespace gdiplus;

namespace {

// Pen styles beyond dash-dot-dot have no dash style: they draw no pen.
bool penStyleToDashStyle(ui::TPenStyle AStyle, DashStyle& ADash) {
  const int index = static_cast<int>(AStyle);
  if (index < 0 || index > static_cast<int>(ui::TPenStyle::psDashDotDot)) return false;
  ADash = static_cast<DashStyle>(index);
  return true;
}

constexpr StringAlignment dxGpAlignmentToStringAlignment[] = {StringAlignmentNear, StringAlignmentFar,
                                                              StringAlignmentCenter};
constexpr StringAlignment dxGpVerticalAlignmentToLineAlignment[] = {StringAlignmentNear, StringAlignmentFar,
                                                                    StringAlignmentCenter};
int dxGpWordWrapFlags(bool AWordWrap) { return AWordWrap ? 0 : StringFormatFlagsNoWrap; }

struct BrushDeleter {
  void operator()(GpBrush* b) const { GdipDeleteBrush(b); }
};
struct PenDeleter {
  void operator()(GpPen* p) const { GdipDeletePen(p); }
};
struct ImageDeleter {
  void operator()(GpImage* i) const { GdipDisposeImage(i); }
};
struct GraphicsDeleter {
  void operator()(GpGraphics* g) const { GdipDeleteGraphics(g); }
};
struct FontDeleter {
  void operator()(GpFont* f) const { GdipDeleteFont(f); }
};
using BrushPtr = std::unique_ptr<GpBrush, BrushDeleter>;
using PenPtr = std::unique_ptr<GpPen, PenDeleter>;
using ImagePtr = std::unique_ptr<GpImage, ImageDeleter>;
using GraphicsPtr = std::unique_ptr<GpGraphics, GraphicsDeleter>;
using FontPtr = std::unique_ptr<GpFont, FontDeleter>;

BrushPtr solidBrush(TdxAlphaColor AColor) {
  GpSolidFill* brush = nullptr;
  GdipCheck(GdipCreateSolidFill(AColor, &brush));
  return BrushPtr(brush);
}

// A pen of an alpha colour; null for a style that draws nothing.
PenPtr alphaPen(TdxAlphaColor AColor, float AWidth, ui::TPenStyle AStyle) {
  DashStyle dash;
  if (!penStyleToDashStyle(AStyle, dash)) return nullptr;
  GpPen* pen = nullptr;
  GdipCheck(GdipCreatePen1(AColor, AWidth, UnitPixel, &pen));
  PenPtr result(pen);
  GdipCheck(GdipSetPenDashStyle(pen, dash));
  return result;
}

BrushPtr makeBrush(ui::TColor AColor, std::uint8_t AAlpha) {
  GpBrush* brush = nullptr;
  return dxGpCreateBrush(brush, AColor, AAlpha) ? BrushPtr(brush) : nullptr;
}

PenPtr makePen(ui::TColor AColor, float AWidth, ui::TPenStyle AStyle, std::uint8_t AAlpha) {
  GpPen* pen = nullptr;
  return dxGpCreatePen(pen, AColor, AWidth, AStyle, AAlpha) ? PenPtr(pen) : nullptr;
}

// Right and bottom are exclusive for the library, inclusive for outlines.
ui::TRect CheckDestRect(const ui::TRect& R) { return ui::Rect(R.left, R.top, R.right - 1, R.bottom - 1); }

bool isMetafile(GpImage* AImage) {
  ImageType type = ImageTypeUnknown;
  return GdipGetImageType(AImage, &type) == Ok && type == ImageTypeMetafile;
}

int gpRectWidth(const ui::TRect& R) { return R.right - R.left; }
int gpRectHeight(const ui::TRect& R) { return R.bottom - R.top; }

struct SharedObjects {
  std::unique_ptr<TdxGPPaintCanvas> paintCanvas;
  std::unique_ptr<TdxGPAlphaBlendAttributes> alphaBlendAttributes;
};

SharedObjects& shared() {
  static SharedObjects objects;
  return objects;
}

}  // namespace

// --- TdxGPCanvas ---------------------------------------------------------------------------

TdxGPCanvas::TdxGPCanvas() = default;

TdxGPCanvas::TdxGPCanvas(GpGraphics* AGraphics) : FHandle(AGraphics) {}

TdxGPCanvas::TdxGPCanvas(gdi::HDC DC) { CreateHandle(DC); }

TdxGPCanvas::~TdxGPCanvas() {
  FreeHandle();
  for (GpRegion* region : FSavedClipRegions) GdipDeleteRegion(region);
}

void TdxGPCanvas::CreateHandle(gdi::HDC DC) { GdipCheck(GdipCreateFromHDC(DC, &FHandle)); }

void TdxGPCanvas::FreeHandle() {
  if (!FHandle) return;
  GdipDeleteGraphics(FHandle);
  FHandle = nullptr;
}

void TdxGPCanvas::SetInterpolationMode(TdxGPInterpolationMode AMode) {
  GdipCheck(GdipSetInterpolationMode(FHandle, static_cast<InterpolationMode>(AMode)));
}

void TdxGPCanvas::SetSmoothingMode(TdxGPSmoothingMode AMode) {
  GdipCheck(GdipSetSmoothingMode(FHandle, static_cast<SmoothingMode>(AMode)));
}

void TdxGPCanvas::SetTextRenderingHint(TdxGpTextRenderingHint AHint) {
  GdipCheck(GdipSetTextRenderingHint(FHandle, AHint));
}

void TdxGPCanvas::SaveClipRegion() {
  GpRegion* region = nullptr;
  GdipCheck(GdipCreateRegion(&region));
  const GpStatus status = GdipGetClip(FHandle, region);
  if (status != Ok) GdipDeleteRegion(region);
  GdipCheck(status);
  FSavedClipRegions.push_back(region);
}

void TdxGPCanvas::RestoreClipRegion() {
  if (FSavedClipRegions.empty()) return;
  GpRegion* region = FSavedClipRegions.back();
  FSavedClipRegions.pop_back();
  const GpStatus status = GdipSetClipRegion(FHandle, region, CombineModeReplace);
  GdipDeleteRegion(region);
  GdipCheck(status);
}

void TdxGPCanvas::SetClipRect(const ui::TRect& R, TdxGPCombineMode AMode) {
  GdipCheck(GdipSetClipRectI(FHandle, R.left, R.top, gpRectWidth(R), gpRectHeight(R), static_cast<CombineMode>(AMode)));
}

void TdxGPCanvas::Line(int X1, int Y1, int X2, int Y2, ui::TColor APenColor, float APenWidth,
                       ui::TPenStyle APenStyle, std::uint8_t APenAlpha) {
  PenPtr pen = makePen(APenColor, APenWidth, APenStyle, APenAlpha);
  if (pen) GdipCheck(GdipDrawLineI(FHandle, pen.get(), X1, Y1, X2, Y2));
}

void TdxGPCanvas::Rectangle(const ui::TRect& R, ui::TColor APenColor, ui::TColor ABrushColor, float APenWidth,
                            ui::TPenStyle APenStyle, std::uint8_t APenAlpha, std::uint8_t ABrushAlpha) {
  const ui::TRect rect = CheckDestRect(R);
  if (BrushPtr brush = makeBrush(ABrushColor, ABrushAlpha))
    GdipCheck(GdipFillRectangleI(FHandle, brush.get(), rect.left, rect.top, gpRectWidth(rect), gpRectHeight(rect)));
  if (PenPtr pen = makePen(APenColor, APenWidth, APenStyle, APenAlpha))
    GdipCheck(GdipDrawRectangleI(FHandle, pen.get(), rect.left, rect.top, gpRectWidth(rect), gpRectHeight(rect)));
}

void TdxGPCanvas::Ellipse(const TdxRectF& R, ui::TColor APenColor, ui::TColor ABrushColor, float APenWidth,
                          ui::TPenStyle APenStyle, std::uint8_t APenAlpha, std::uint8_t ABrushAlpha) {
  if (BrushPtr brush = makeBrush(ABrushColor, ABrushAlpha))
    GdipCheck(GdipFillEllipse(FHandle, brush.get(), R.Left, R.Top, R.Width(), R.Height()));
  if (PenPtr pen = makePen(APenColor, APenWidth, APenStyle, APenAlpha))
    GdipCheck(GdipDrawEllipse(FHandle, pen.get(), R.Left, R.Top, R.Width(), R.Height()));
}

void TdxGPCanvas::EllipseA(const TdxRectF& R, TdxAlphaColor APenColor, TdxAlphaColor ABrushColor,
                           float APenWidth, ui::TPenStyle APenStyle) {
  // Split into colour and alpha, so that the none test applies as above.
  std::uint8_t penAlpha = 0, brushAlpha = 0;
  const ui::TColor penColor = dxAlphaColorToColor(APenColor, penAlpha);
  const ui::TColor brushColor = dxAlphaColorToColor(ABrushColor, brushAlpha);
  Ellipse(R, penColor, brushColor, APenWidth, APenStyle, penAlpha, brushAlpha);
}

void TdxGPCanvas::Polygon(const std::vector<ui::TPoint>& APoints, ui::TColor APenColor, ui::TColor ABrushColor,
                          float APenWidth, ui::TPenStyle APenStyle, std::uint8_t APenAlpha,
                          std::uint8_t ABrushAlpha) {
  std::vector<TdxGpPointF> points;
  points.reserve(APoints.size());
  for (const ui::TPoint& p : APoints) points.push_back({float(p.x), float(p.y)});
  Polygon(points, APenColor, ABrushColor, APenWidth, APenStyle, APenAlpha, ABrushAlpha);
}

void TdxGPCanvas::Polygon(const std::vector<TdxGpPointF>& APoints, ui::TColor APenColor, ui::TColor ABrushColor,
                          float APenWidth, ui::TPenStyle APenStyle, std::uint8_t APenAlpha,
                          std::uint8_t ABrushAlpha) {
  if (APoints.empty()) return;
  const INT count = static_cast<INT>(APoints.size());
  if (BrushPtr brush = makeBrush(ABrushColor, ABrushAlpha))
    GdipCheck(GdipFillPolygon(FHandle, brush.get(), APoints.data(), count, FillModeWinding));
  if (PenPtr pen = makePen(APenColor, APenWidth, APenStyle, APenAlpha))
    GdipCheck(GdipDrawPolygon(FHandle, pen.get(), APoints.data(), count));
}

void TdxGPCanvas::Polyline(const std::vector<TdxGpPointF>& APoints, ui::TColor APenColor, float APenWidth,
                           ui::TPenStyle APenStyle, std::uint8_t APenAlpha) {
  if (APoints.size() < 2) return;
  if (PenPtr pen = makePen(APenColor, APenWidth, APenStyle, APenAlpha))
    GdipCheck(GdipDrawLines(FHandle, pen.get(), APoints.data(), static_cast<INT>(APoints.size())));
}

void TdxGPCanvas::Path(TdxGPPath* APath, TdxAlphaColor APenColor, ui::TPenStyle APenStyle, float APenWidth,
                       TdxAlphaColor ABrushColor) {
  BrushPtr brush = solidBrush(ABrushColor);
  GdipCheck(GdipFillPath(FHandle, brush.get(), APath->Handle()));
  if (PenPtr pen = alphaPen(APenColor, APenWidth, APenStyle))
    GdipCheck(GdipDrawPath(FHandle, pen.get(), APath->Handle()));
}

void TdxGPCanvas::RoundRect(const ui::TRect& R, ui::TColor APenColor, ui::TColor ABrushColor, int ARadiusX,
                            int ARadiusY, int APenWidth, std::uint8_t APenAlpha, std::uint8_t ABrushAlpha) {
  RoundRectA(R, dxColorToAlphaColor(APenColor, APenAlpha), dxColorToAlphaColor(ABrushColor, ABrushAlpha),
             ARadiusX, ARadiusY, APenWidth);
}

void TdxGPCanvas::RoundRectA(const ui::TRect& R, TdxAlphaColor APenColor, TdxAlphaColor ABrushColor, int ARadiusX,
                             int ARadiusY, int APenWidth) {
  TdxGPPath path;
  path.AddRoundRect(CheckDestRect(R), ARadiusX, ARadiusY);
  Path(&path, APenColor, ui::psSolid, float(APenWidth), ABrushColor);
}

void TdxGPCanvas::FillRectangle(const TdxRectF& R, TdxAlphaColor AColor) {
  if (TdxAlphaColors::IsTransparentOrEmpty(AColor)) return;
  BrushPtr brush = solidBrush(AColor);
  GdipCheck(GdipFillRectangle(FHandle, brush.get(), R.Left, R.Top, R.Width(), R.Height()));
}

void TdxGPCanvas::FillRectangle(const ui::TRect& R, TdxAlphaColor AColor) {
  FillRectangle(TdxRectF{float(R.left), float(R.top), float(R.right), float(R.bottom)}, AColor);
}

void TdxGPCanvas::FillRectangleByGradient(const ui::TRect& R, TdxAlphaColor AColor1, TdxAlphaColor AColor2,
                                          TdxGPBrushGradientMode AMode) {
  if (AColor2 == AColor1 || AColor2 == dxacDefault) {
    FillRectangle(R, AColor1);
    return;
  }
  // The brush spans one pixel more on each side, so that the end colours
  // fall just outside and the tile wrap never shows inside the rectangle.
  const GpRect brushRect{R.left - 1, R.top - 1, gpRectWidth(R) + 2, gpRectHeight(R) + 2};
  GpLineGradient* gradient = nullptr;
  GdipCheck(GdipCreateLineBrushFromRectI(&brushRect, AColor1, AColor2, static_cast<LinearGradientMode>(AMode),
                                         WrapModeTile, &gradient));
  BrushPtr brush(gradient);
  GdipCheck(GdipFillRectangleI(FHandle, brush.get(), R.left, R.top, gpRectWidth(R), gpRectHeight(R)));
}

// --- paint canvases -------------------------------------------------------------------------

TdxGPCustomPaintCanvas::~TdxGPCustomPaintCanvas() {
  if (FBuffer) FreeBuffer();
  if (!FDrawDC) FHandle = nullptr;  // a caller's graphics is not ours to delete
}

void TdxGPCustomPaintCanvas::BeginPaint(gdi::HDC DC, const ui::TRect& R) {
  SaveState();
  FDrawRect = R;
  FDrawDC = DC;
  FBuffer = nullptr;
  FHandle = nullptr;
  const bool buffered = dxGpIsDoubleBufferedNeeded(DC);
  if (buffered) {
    CreateBuffer();
    CreateHandle(FBuffer->DC);
  } else {
    CreateHandle(DC);
  }
  FIsLowColorsMode = buffered;
}

void TdxGPCustomPaintCanvas::BeginPaint(GpGraphics* AGraphics) {
  SaveState();
  FDrawRect = {};
  FDrawDC = nullptr;
  FBuffer = nullptr;
  FHandle = AGraphics;
}

void TdxGPCustomPaintCanvas::EndPaint() {
  if (FDrawDC) FreeHandle();
  FHandle = nullptr;
  if (FBuffer) FreeBuffer();
  RestoreState();
}

void TdxGPCustomPaintCanvas::CreateBuffer() {
  const int w = gpRectWidth(FDrawRect) + 1, h = gpRectHeight(FDrawRect) + 1;
  auto buffer = std::make_unique<Buffer>();
  gdi::BITMAPINFO info{};
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  buffer->Bitmap = gdi::CreateDIBSection(nullptr, &info, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!buffer->Bitmap) throw EdxGdipException(OutOfMemory);
  buffer->DC = gdi::CreateCompatibleDC(nullptr);
  buffer->OldBitmap = gdi::SelectObject(buffer->DC, buffer->Bitmap);
  gdi::BitBlt(buffer->DC, 0, 0, w, h, FDrawDC, FDrawRect.left, FDrawRect.top, gdi::SRCCOPY);
  gdi::SetWindowOrgEx(buffer->DC, FDrawRect.left, FDrawRect.top, nullptr);
  FBuffer = buffer.release();
}

void TdxGPCustomPaintCanvas::OutputBuffer() {
  const int saved = gdi::SaveDC(FDrawDC);
  gdi::SetWindowOrgEx(FBuffer->DC, 0, 0, nullptr);
  gdi::BitBlt(FDrawDC, FDrawRect.left, FDrawRect.top, gpRectWidth(FDrawRect) + 1, gpRectHeight(FDrawRect) + 1, FBuffer->DC, 0, 0,
              gdi::SRCCOPY);
  gdi::RestoreDC(FDrawDC, saved);
}

void TdxGPCustomPaintCanvas::FreeBuffer() {
  std::unique_ptr<Buffer> buffer(FBuffer);
  FBuffer = nullptr;
  if (FDrawDC) {
    FBuffer = buffer.get();
    OutputBuffer();
    FBuffer = nullptr;
  }
  gdi::SelectObject(buffer->DC, buffer->OldBitmap);
  gdi::DeleteDC(buffer->DC);
  gdi::DeleteObject(buffer->Bitmap);
}

void TdxGPPaintCanvas::SaveState() {
  if (FCounter >= static_cast<int>(FSavedStates.size()))
    FSavedStates.resize(std::max<std::size_t>(FCounter + 1, FSavedStates.size() + 4));
  FSavedStates[FCounter] = {FHandle, FBuffer, FDrawRect, FDrawDC};
  ++FCounter;
}

void TdxGPPaintCanvas::RestoreState() {
  if (FCounter == 0) return;
  --FCounter;
  const TdxGPPaintCanvasState& state = FSavedStates[FCounter];
  FHandle = state.Handle;
  FBuffer = state.FBuffer;
  FDrawRect = state.FDrawRect;
  FDrawDC = state.FDrawDC;
}

// --- TdxGPPath -------------------------------------------------------------------------------

TdxGPPath::TdxGPPath(TdxGPFillMode AFillMode) {
  GdipCheck(GdipCreatePath(static_cast<FillMode>(AFillMode), &FHandle));
}

TdxGPPath::TdxGPPath(const std::vector<TdxGpPointF>& APoints, const std::vector<std::uint8_t>& APointTypes) {
  const INT count = static_cast<INT>(std::min(APoints.size(), APointTypes.size()));
  GdipCheck(GdipCreatePath2(APoints.data(), APointTypes.data(), count, FillModeAlternate, &FHandle));
}

TdxGPPath::~TdxGPPath() {
  if (FHandle) GdipDeletePath(FHandle);
}

void TdxGPPath::FigureStart() { GdipCheck(GdipStartPathFigure(FHandle)); }
void TdxGPPath::FigureFinish() { GdipCheck(GdipClosePathFigure(FHandle)); }

void TdxGPPath::AddArc(float X, float Y, float Width, float Height, float StartAngle, float SweepAngle) {
  GdipCheck(GdipAddPathArc(FHandle, X, Y, Width, Height, StartAngle, SweepAngle));
}

void TdxGPPath::AddLine(float X1, float Y1, float X2, float Y2) {
  GdipCheck(GdipAddPathLine(FHandle, X1, Y1, X2, Y2));
}

void TdxGPPath::AddRect(const TdxRectF& R) {
  GdipCheck(GdipAddPathRectangle(FHandle, R.Left, R.Top, R.Width(), R.Height()));
}

void TdxGPPath::AddRoundRect(const ui::TRect& R, int RadiusX, int RadiusY) {
  AddRoundRect(TdxRectF{float(R.left), float(R.top), float(R.right), float(R.bottom)}, float(RadiusX),
               float(RadiusY));
}

void TdxGPPath::AddRoundRect(const TdxRectF& R, float RadiusX, float RadiusY) {
  RadiusX = std::min(RadiusX, R.Width() / 3);
  RadiusY = std::min(RadiusY, R.Height() / 3);
  FigureStart();
  // The figure is closed also when adding a part fails.
  rtl::ScopeExit closeFigure([this] { GdipClosePathFigure(FHandle); });
  if (RadiusX <= 0 || RadiusY <= 0) {
    AddRect(R);
    return;
  }
  const float dx = RadiusX * 2, dy = RadiusY * 2;
  AddLine(R.Left + RadiusX, R.Top, R.Right - RadiusX, R.Top);
  AddArc(R.Right - dx, R.Top, dx, dy, 270, 90);
  AddLine(R.Right, R.Top + RadiusY, R.Right, R.Bottom - RadiusY);
  AddArc(R.Right - dx, R.Bottom - dy, dx, dy, 0, 90);
  AddLine(R.Right - RadiusX, R.Bottom, R.Left + RadiusX, R.Bottom);
  AddArc(R.Left, R.Bottom - dy, dx, dy, 90, 90);
  AddLine(R.Left, R.Bottom - RadiusY, R.Left, R.Top + RadiusY);
  AddArc(R.Left, R.Top, dx, dy, 180, 90);
}

// --- string formats and attributes --------------------------------------------------------------

TdxGPStringFormat::TdxGPStringFormat(int AFormatFlags, LANGID ALanguage) {
  GdipCheck(GdipCreateStringFormat(AFormatFlags, ALanguage, &FHandle));
}

TdxGPStringFormat::~TdxGPStringFormat() {
  if (FHandle) GdipDeleteStringFormat(FHandle);
}

void TdxGPStringFormat::SetAlignment(StringAlignment AValue) { GdipCheck(GdipSetStringFormatAlign(FHandle, AValue)); }
void TdxGPStringFormat::SetLineAlignment(StringAlignment AValue) {
  GdipCheck(GdipSetStringFormatLineAlign(FHandle, AValue));
}
void TdxGPStringFormat::SetTrimming(StringTrimming AValue) {
  GdipCheck(GdipSetStringFormatTrimming(FHandle, AValue));
}

TdxGPAlphaBlendAttributes::TdxGPAlphaBlendAttributes() : FColorMatrix{} {
  for (int i = 0; i < 5; ++i) FColorMatrix.m[i][i] = 1;
  GdipCheck(GdipCreateImageAttributes(&FHandle));
  SetAlpha(255);
}

TdxGPAlphaBlendAttributes::~TdxGPAlphaBlendAttributes() {
  if (FHandle) GdipDisposeImageAttributes(FHandle);
}

void TdxGPAlphaBlendAttributes::SetAlpha(std::uint8_t AAlpha) {
  if (AAlpha == FAlpha) return;
  FAlpha = AAlpha;
  FColorMatrix.m[3][3] = AAlpha / 255.0f;
  GdipCheck(GdipSetImageAttributesColorMatrix(FHandle, ColorAdjustTypeBitmap, 1, &FColorMatrix, nullptr,
                                              ColorMatrixFlagsDefault));
}

// --- shared objects ------------------------------------------------------------------------------

TdxGPPaintCanvas* dxGPPaintCanvas() {
  SharedObjects& objects = shared();
  if (!objects.paintCanvas) objects.paintCanvas = std::make_unique<TdxGPPaintCanvas>();
  return objects.paintCanvas.get();
}

TdxGPAlphaBlendAttributes* dxGpGetAlphaBlendAttributes(std::uint8_t AAlpha) {
  SharedObjects& objects = shared();
  if (!objects.alphaBlendAttributes) objects.alphaBlendAttributes = std::make_unique<TdxGPAlphaBlendAttributes>();
  objects.alphaBlendAttributes->SetAlpha(AAlpha);
  return objects.alphaBlendAttributes.get();
}

TdxGPCustomPaintCanvas* dxGpBeginPaint(gdi::HDC DC, const ui::TRect& R) {
  auto canvas = std::make_unique<TdxGPCustomPaintCanvas>();
  canvas->BeginPaint(DC, R);
  return canvas.release();
}

void dxGpEndPaint(TdxGPCustomPaintCanvas*& ACanvas) {
  std::unique_ptr<TdxGPCustomPaintCanvas> canvas(ACanvas);
  ACanvas = nullptr;
  if (canvas) canvas->EndPaint();
}

void dxGpFreeSharedObjects() {
  shared().paintCanvas.reset();
  shared().alphaBlendAttributes.reset();
}

// --- free routines ---------------------------------------------------------------------------------

bool dxGpCreateBrush(GpBrush*& ABrush, ui::TColor AColor, std::uint8_t AAlpha) {
  ABrush = nullptr;
  if (AColor == ui::clNone) return false;
  ABrush = solidBrush(dxColorToAlphaColor(AColor, AAlpha)).release();
  return true;
}

bool dxGpCreatePen(GpPen*& APen, ui::TColor AColor, float AWidth, ui::TPenStyle APenStyle, std::uint8_t AAlpha) {
  APen = nullptr;
  DashStyle dash;
  if (AColor == ui::clNone || AWidth <= 0 || !penStyleToDashStyle(APenStyle, dash)) return false;
  APen = alphaPen(dxColorToAlphaColor(AColor, AAlpha), AWidth, APenStyle).release();
  return true;
}

bool dxGpIsRectVisible(GpGraphics* AGraphics, const ui::TRect& R) {
  BOOL visible = 0;
  GdipCheck(GdipIsVisibleRectI(AGraphics, R.left, R.top, gpRectWidth(R), gpRectHeight(R), &visible));
  return visible != 0;
}

void dxGpDrawImage(GpGraphics* AGraphics, const ui::TRect& ADestRect, const ui::TRect& ASourceRect,
                   GpImageAttributes* AAttributes, std::uint8_t AAlpha, GpImage* AImage) {
  if (gpRectWidth(ASourceRect) < 1 || gpRectHeight(ASourceRect) < 1 || gpRectWidth(ADestRect) < 1 || gpRectHeight(ADestRect) < 1) return;
  int sourceWidth = gpRectWidth(ASourceRect), sourceHeight = gpRectHeight(ASourceRect);
  // An enlarged bitmap would otherwise blend its last row and column with
  // the transparent space beyond; metafiles have no such edge.
  if (!isMetafile(AImage)) {
    if (sourceWidth > 1 && sourceWidth < gpRectWidth(ADestRect)) --sourceWidth;
    if (sourceHeight > 1 && sourceHeight < gpRectHeight(ADestRect)) --sourceHeight;
  }
  if (!dxGpIsRectVisible(AGraphics, ADestRect)) return;
  GpImageAttributes* attributes = AAttributes;
  if (!attributes && AAlpha != 255) attributes = dxGpGetAlphaBlendAttributes(AAlpha)->Handle();
  GdipCheck(GdipDrawImageRectRectI(AGraphics, AImage, ADestRect.left, ADestRect.top, gpRectWidth(ADestRect),
                                   gpRectHeight(ADestRect), ASourceRect.left, ASourceRect.top, sourceWidth, sourceHeight,
                                   UnitPixel, attributes, nullptr, nullptr));
}

namespace {

bool tileByBrush(GpGraphics* AGraphics, const ui::TRect& ADestRect, const ui::TRect& ASourceRect,
                 GpImage* AImage) {
  GpTexture* texture = nullptr;
  if (GdipCreateTexture2I(AImage, WrapModeTile, ASourceRect.left, ASourceRect.top, gpRectWidth(ASourceRect),
                          gpRectHeight(ASourceRect), &texture) != Ok)
    return false;
  BrushPtr brush(texture);
  ImagePtr bitmap(dxGpCreateBitmap(ADestRect));
  GpGraphics* graphics = nullptr;
  GdipCheck(GdipGetImageGraphicsContext(bitmap.get(), &graphics));
  {
    GraphicsPtr owner(graphics);
    GdipCheck(GdipFillRectangleI(graphics, brush.get(), 0, 0, gpRectWidth(ADestRect), gpRectHeight(ADestRect)));
  }
  GdipCheck(GdipDrawImageRectRectI(AGraphics, bitmap.get(), ADestRect.left, ADestRect.top, gpRectWidth(ADestRect),
                                   gpRectHeight(ADestRect), 0, 0, gpRectWidth(ADestRect), gpRectHeight(ADestRect), UnitPixel, nullptr,
                                   nullptr, nullptr));
  return true;
}

}  // namespace

void dxGpTilePartEx(GpGraphics* AGraphics, const ui::TRect& ADestRect, const ui::TRect& ASourceRect,
                    std::uint8_t AAlpha, GpImage* AImage) {
  const int sw = gpRectWidth(ASourceRect), sh = gpRectHeight(ASourceRect);
  if (sw <= 0 || sh <= 0 || !dxGpIsRectVisible(AGraphics, ADestRect)) return;
  const int dw = gpRectWidth(ADestRect), dh = gpRectHeight(ADestRect);
  if (AAlpha == 255 && (sw < dw || sh < dh) && tileByBrush(AGraphics, ADestRect, ASourceRect, AImage)) return;
  const int rows = (dh + sh - 1) / sh, columns = (dw + sw - 1) / sw;
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column) {
      ui::TRect cell = ui::Bounds(ADestRect.left + column * sw, ADestRect.top + row * sh, sw, sh);
      ui::TRect source = ASourceRect;
      if (cell.right > ADestRect.right) {
        source.right -= cell.right - ADestRect.right;
        cell.right = ADestRect.right;
      }
      if (cell.bottom > ADestRect.bottom) {
        source.bottom -= cell.bottom - ADestRect.bottom;
        cell.bottom = ADestRect.bottom;
      }
      dxGpDrawImage(AGraphics, cell, source, nullptr, AAlpha, AImage);
    }
}

bool dxGpIsDoubleBufferedNeeded(gdi::HDC DC) {
  constexpr int DT_RASPRINTER = 2;
  // Every system we run on is past the one where layered windows needed it.
  return gdi::GetDeviceCaps(DC, gdi::BITSPIXEL) <= 16 || gdi::GetDeviceCaps(DC, gdi::TECHNOLOGY) == DT_RASPRINTER ||
         gdi::GetDeviceCaps(DC, gdi::NUMCOLORS) > 1;
}

win::HWND dxWindowFromDC(gdi::HDC DC) { return win::WindowFromDC(DC); }

void dxGpFillRect(gdi::HDC DC, const ui::TRect& R, ui::TColor AColor, std::uint8_t AAlpha) {
  TdxGPPaintCanvas* canvas = dxGPPaintCanvas();
  canvas->BeginPaint(DC, R);
  rtl::ScopeExit end([canvas] { canvas->EndPaint(); });
  canvas->FillRectangle(R, dxColorToAlphaColor(AColor, AAlpha));
}

void dxGPDrawText(TdxGPCanvas* ACanvas, const String& AText, const TdxRectF& R, ui::TFont* AFont,
                  TdxAlphaColor AColor, ui::TAlignment AHorzAlignment, TcxVerticalAlignment AVertAlignment,
                  bool AWordWrap, TdxGpTextRenderingHint ARendering, StringTrimming ATrimming) {
  if (R.Width() <= 0 || R.Height() <= 0 || AText.empty()) return;
  TdxGPStringFormat format(dxGpWordWrapFlags(AWordWrap), 0);
  format.SetTrimming(ATrimming);
  format.SetAlignment(dxGpAlignmentToStringAlignment[static_cast<int>(AHorzAlignment)]);
  format.SetLineAlignment(dxGpVerticalAlignmentToLineAlignment[static_cast<int>(AVertAlignment)]);
  BrushPtr brush = solidBrush(AColor);
  FontPtr font(dxGpCreateFont(AFont));
  ACanvas->SetTextRenderingHint(ARendering);
  const GpRectF layout{R.Left, R.Top, R.Width(), R.Height()};
  GdipCheck(GdipDrawString(ACanvas->Handle(), AText.c_str(), -1, font.get(), &layout, format.Handle(), brush.get()));
}

void dxGPDrawText(TdxGPCanvas* ACanvas, const String& AText, const ui::TRect& R, ui::TFont* AFont,
                  TdxAlphaColor AColor, ui::TAlignment AHorzAlignment, TcxVerticalAlignment AVertAlignment,
                  bool AWordWrap, TdxGpTextRenderingHint ARendering, StringTrimming ATrimming) {
  dxGPDrawText(ACanvas, AText, TdxRectF{float(R.left), float(R.top), float(R.right), float(R.bottom)}, AFont, AColor,
               AHorzAlignment, AVertAlignment, AWordWrap, ARendering, ATrimming);
}

void dxGPGetTextRect(GpGraphics* AGraphics, const String& AText, GpFont* AFont, bool AWordWrap, const TdxRectF& R,
                     TdxRectF& ATextRect) {
  TdxGPStringFormat format(dxGpWordWrapFlags(AWordWrap), 0);
  const GpRectF layout{R.Left, R.Top, R.Width(), R.Height()};
  GpRectF box;
  GdipCheck(GdipMeasureString(AGraphics, AText.c_str(), static_cast<INT>(AText.size()), AFont, &layout,
                              format.Handle(), &box, nullptr, nullptr));
  ATextRect = TdxRectF{box.X, box.Y, box.X + box.Width, box.Y + box.Height};
}

void dxGPGetTextRect(GpGraphics* AGraphics, const String& AText, ui::TFont* AFont, bool AWordWrap, const TdxRectF& R,
                     TdxRectF& ATextRect) {
  FontPtr font(dxGpCreateFont(AFont));
  dxGPGetTextRect(AGraphics, AText, font.get(), AWordWrap, R, ATextRect);
}

void dxGPGetTextRect(GpGraphics* AGraphics, const String& AText, ui::TFont* AFont, bool AWordWrap,
                     const ui::TRect& R, ui::TRect& ATextRect) {
  TdxRectF box;
  dxGPGetTextRect(AGraphics, AText, AFont, AWordWrap,
                  TdxRectF{float(R.left), float(R.top), float(R.right), float(R.bottom)}, box);
  ATextRect = ui::Rect(static_cast<int>(std::trunc(box.Left)), static_cast<int>(std::trunc(box.Top)),
                       static_cast<int>(std::ceil(box.Right)), static_cast<int>(std::ceil(box.Bottom)));
}

}  // namespace core

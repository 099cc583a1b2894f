#include "lib/lookandfeel/cxDragImages.h"

#include <algorithm>
#include <vector>

#include "lib/core/dxWinHelpers.h"
#include "platform/gdi/region.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/forms.h"
#include "platform/win/paint.h"
#include "platform/win/win.h"

namespace lookandfeel {

using core::TPoint;
using core::TRect;

std::uint8_t cxDragAndDropWindowTransparency = 180;

namespace {
// Our window system always composes layered windows; the fallbacks below
// (no alpha, a region instead of a colour key) stay for ports without them.
bool LayeredWindowsAvailable() { return true; }
}  // namespace

// ---- TcxDragAndDropObject ----------------------------------------------------------------------

TcxDragAndDropObject::TcxDragAndDropObject(TcxControl* AControl) : FControl(AControl) {
  if (AControl) FCanvas = AControl->cxCanvas();
}

TcxDragAndDropObject::~TcxDragAndDropObject() = default;

void TcxDragAndDropObject::SetDirty(bool Value) {
  if (FDirty == Value) return;
  FDirty = Value;
  DirtyChanged();
}

void TcxDragAndDropObject::DoBeginDragAndDrop() {
  BeforeBeginDragAndDrop();
  CurMousePos = TranslateCoords(GetClientCursorPos());
  PrevMousePos = CurMousePos;
  SourcePoint = CurMousePos;
  BeginDragAndDrop();
}

void TcxDragAndDropObject::ChangeMousePos(const TPoint& P) {
  PrevMousePos = CurMousePos;
  CurMousePos = TranslateCoords(P);
}

void TcxDragAndDropObject::DoDragAndDrop(const TPoint& P, bool& Accepted) {
  ChangeMousePos(P);
  DragAndDrop(CurMousePos, Accepted);
}

void TcxDragAndDropObject::DoEndDragAndDrop(bool Accepted) {
  EndDragAndDrop(Accepted);
  AfterDragAndDrop(Accepted);
}

bool TcxDragAndDropObject::DoProcessKeyDown(ui::TWMKey& Message) {
  return ProcessKeyDown(Message.CharCode, ui::KeyDataToShiftState(Message.KeyData));
}

bool TcxDragAndDropObject::DoProcessKeyUp(ui::TWMKey& Message) {
  return ProcessKeyUp(Message.CharCode, ui::KeyDataToShiftState(Message.KeyData));
}

TPoint TcxDragAndDropObject::GetClientCursorPos() {
  const TPoint p = core::GetMouseCursorPos();
  return FControl ? FControl->ScreenToClient(p) : p;
}

ui::TCursor TcxDragAndDropObject::GetDragAndDropCursor(bool Accepted) {
  return Accepted ? ui::crDrag : ui::crNoDrop;
}

void TcxDragAndDropObject::BeginDragAndDrop() { DirtyChanged(); }

void TcxDragAndDropObject::DragAndDrop(const TPoint&, bool& Accepted) {
  SetDirty(false);
  ui::Screen->SetCursor(GetDragAndDropCursor(Accepted));
}

void TcxDragAndDropObject::EndDragAndDrop(bool) { SetDirty(true); }

TPoint TcxDragAndDropObject::TranslateCoords(const TPoint& P) {
  return core::cxPointScale(P, 100, GetZoomFactor());
}

// ---- TcxCustomDragImage ------------------------------------------------------------------------

TcxCustomDragImage::TcxCustomDragImage() {
  SetPosition(ui::poDesigned);
  SetBounds(0, 0, 0, 0);
  FAlphaBlendValue = cxDragAndDropWindowTransparency;
}

TcxCustomDragImage::~TcxCustomDragImage() = default;

void TcxCustomDragImage::CreateParams(ui::TCreateParams& params) {
  TcxPopupWindow::CreateParams(params);
  // Owned by the form the drag happens over, so it stays above it and goes
  // with it; never activated.
  ui::TCustomForm* owner = FPopupParent ? FPopupParent : ui::Screen->ActiveForm();
  if (owner && owner->HandleAllocated()) params.WndParent = owner->Handle();
  // What every drag window is; layered only while alpha or a colour key is on.
  params.ExStyle |= ui::kDragWindowExStyle & ~win::DWORD(win::WS_EX_LAYERED);
  if ((FAlphaBlend || FTransparentColor) && LayeredWindowsAvailable()) params.ExStyle |= win::WS_EX_LAYERED;
}

void TcxCustomDragImage::CreateWnd() {
  TcxPopupWindow::CreateWnd();
  UpdateLayeredAttributes();
}

void TcxCustomDragImage::UpdateLayeredAttributes() {
  if (!HandleAllocated() || !LayeredWindowsAvailable()) return;
  const win::HWND wnd = Handle();
  win::LONG_PTR ex = win::GetWindowLongPtrW(wnd, win::GWL_EXSTYLE);
  const bool layered = FAlphaBlend || FTransparentColor;
  const win::LONG_PTR wanted = layered ? (ex | win::WS_EX_LAYERED) : (ex & ~win::LONG_PTR(win::WS_EX_LAYERED));
  if (wanted != ex) win::SetWindowLongPtrW(wnd, win::GWL_EXSTYLE, wanted);
  if (!layered) return;
  win::DWORD flags = 0;
  if (FAlphaBlend) flags |= win::LWA_ALPHA;
  if (FTransparentColor) flags |= win::LWA_COLORKEY;
  win::SetLayeredWindowAttributes(wnd, win::COLORREF(ui::ColorToRGB(FTransparentColorValue)),
                                  FAlphaBlend ? FAlphaBlendValue : 255, flags);
}

void TcxCustomDragImage::SetAlphaBlend(bool value) {
  if (FAlphaBlend == value) return;
  FAlphaBlend = value;
  UpdateLayeredAttributes();
}

void TcxCustomDragImage::SetAlphaBlendValue(std::uint8_t value) {
  if (FAlphaBlendValue == value) return;
  FAlphaBlendValue = value;
  UpdateLayeredAttributes();
}

void TcxCustomDragImage::SetTransparentColor(bool on, ui::TColor color) {
  FTransparentColor = on;
  FTransparentColorValue = color;
  UpdateLayeredAttributes();
}

bool TcxCustomDragImage::AlphaBlended() const { return FAlphaBlend && LayeredWindowsAvailable(); }

void TcxCustomDragImage::WndProc(ui::TMessage& message) {
  // Click-through (the drop target under the image gets the mouse), never
  // activated, and no erasing: the picture covers the whole window.
  win::LRESULT result = 0;
  if (ui::DragWindowMessage(message.Msg, result)) {
    message.Result = result;
    return;
  }
  TcxPopupWindow::WndProc(message);
}

void TcxCustomDragImage::Init(const TRect& ASourceBounds, const TPoint& ASourcePoint) {
  SetBounds(Left(), Top(), ASourceBounds.right - ASourceBounds.left, ASourceBounds.bottom - ASourceBounds.top);
  FPositionOffset = TPoint{ASourcePoint.x - ASourceBounds.left, ASourcePoint.y - ASourceBounds.top};
}

void TcxCustomDragImage::MoveTo(const TPoint& APosition) {
  SetBounds(APosition.x - FPositionOffset.x, APosition.y - FPositionOffset.y, Width(), Height());
}

void TcxCustomDragImage::ShowImage() {
  // Not through the form's Show: that would activate the window and take the
  // focus from the control the drag runs in.
  const win::HWND wnd = Handle();
  win::SetWindowPos(wnd, nullptr, Left(), Top(), Width(), Height(), win::SWP_NOACTIVATE | win::SWP_NOZORDER);
  ui::ShowDragWindow(wnd);
}

void TcxCustomDragImage::HideImage() {
  if (HandleAllocated()) win::ShowWindow(Handle(), win::SW_HIDE);
}

bool TcxCustomDragImage::ImageVisible() { return HandleAllocated() && win::IsWindowVisible(Handle()); }

// ---- TcxDragImage ------------------------------------------------------------------------------

TcxDragImage::TcxDragImage() : FImage(std::make_unique<core::TcxAlphaBitmap>(0, 0)) {}

TcxDragImage::~TcxDragImage() = default;

void TcxDragImage::SetBounds(int left, int top, int width, int height) {
  TcxCustomDragImage::SetBounds(left, top, width, height);
  if (FImage && (FImage->Width() != width || FImage->Height() != height)) FImage->SetSize(width, height);
}

void TcxDragImage::PaintWindow(win::HDC dc) {
  TcxCustomDragImage::PaintWindow(dc);
  const win::HDC source = FImage->Canvas()->Handle();
  gdi::BitBlt(dc, 0, 0, FImage->Width(), FImage->Height(), source, 0, 0, gdi::SRCCOPY);
}

// ---- TcxSizeFrame ------------------------------------------------------------------------------

TcxSizeFrame::TcxSizeFrame(int AFrameWidth) : FFrameWidth(AFrameWidth) {
  SetAlphaBlend(false);
  // Black and white pixels alternating: the hatch of a frame being dragged.
  FPattern = std::make_unique<ui::TBitmap>();
  FPattern->SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) FPattern->Canvas()->SetPixels(x, y, (x + y) % 2 ? ui::clWhite : ui::clBlack);
  FRegion = std::make_unique<core::TcxRegion>();
}

TcxSizeFrame::~TcxSizeFrame() = default;

void TcxSizeFrame::PaintWindow(win::HDC dc) {
  TcxCustomDragImage::PaintWindow(dc);
  ui::TCanvas canvas;
  canvas.SetHandle(dc);
  rtl::ScopeExit release([&canvas] { canvas.SetHandle(nullptr); });
  core::TcxCanvas cx(&canvas);
  cx.FillRect(TRect{0, 0, Width(), Height()}, FPattern.get());
}

void TcxSizeFrame::DrawSizeFrame(const TRect& ARect) {
  FRegion = std::make_unique<core::TcxRegion>(0, 0, ARect.right - ARect.left, ARect.bottom - ARect.top);
  SetBounds(ARect.left, ARect.top, ARect.right - ARect.left, ARect.bottom - ARect.top);
}

void TcxSizeFrame::SetBounds(int left, int top, int width, int height) {
  TcxCustomDragImage::SetBounds(left, top, width, height);
  // A frame that leaves no interior keeps the shape it had.
  if (!HandleAllocated() || !FRegion || 2 * FFrameWidth >= width || 2 * FFrameWidth >= height) return;
  if (!FFillSelection) InitializeFrameRegion();
  SetWindowRegion();
}

void TcxSizeFrame::InitializeFrameRegion() {
  const int w = FFrameWidth;
  core::TcxRegion interior;
  interior.Combine(FRegion.get(), core::TcxRegionOperation::roSet, false);
  const TPoint shifts[] = {{w, 0}, {0, w}, {-w, 0}, {0, -w}};
  for (const TPoint& shift : shifts) {
    auto moved = std::make_unique<core::TcxRegion>();
    moved->Combine(FRegion.get(), core::TcxRegionOperation::roSet, false);
    moved->Offset(shift);
    interior.Combine(moved.release(), core::TcxRegionOperation::roIntersect, true);
  }
  FRegion->Combine(&interior, core::TcxRegionOperation::roSubtract, false);
}

void TcxSizeFrame::SetWindowRegion() {
  const win::HWND wnd = Handle();
  const gdi::HRGN current = gdi::CreateRectRgn(0, 0, 0, 0);
  rtl::ScopeExit dropCurrent([current] { gdi::DeleteObject(current); });
  const bool hasCurrent = win::GetWindowRgn(wnd, current) != 0;
  if (hasCurrent && FRegion->IsEqual(current)) return;
  // The window owns the handle it is given; FRegion keeps its own copy.
  const gdi::HRGN copy = gdi::CreateRectRgn(0, 0, 0, 0);
  gdi::CombineRgn(copy, FRegion->Handle(), nullptr, gdi::RGN_COPY);
  win::SetWindowRgn(wnd, copy, gdi::TRUE);
}

// ---- TcxDragAndDropArrow -----------------------------------------------------------------------

TcxDragAndDropArrow::TcxDragAndDropArrow(bool ATransparent) : FTransparent(ATransparent) {
  SetAlphaBlend(false);
  if (Transparent()) SetTransparentColor(true, GetImageBackColor());
}

bool TcxDragAndDropArrow::Transparent() const { return FTransparent && LayeredWindowsAvailable(); }

void TcxDragAndDropArrow::Init(ui::TControl* AOwner, const TRect& AAreaBounds, const TRect& AClientRect,
                               TcxArrowPlace APlace) {
  const TPoint origin = AOwner ? AOwner->ClientToScreen(TPoint{0, 0}) : TPoint{0, 0};
  Init(origin, AAreaBounds, AClientRect, APlace);
}

void TcxDragAndDropArrow::Init(const TPoint& AOwnerOrigin, const TRect& AAreaBounds, const TRect& AClientRect,
                               TcxArrowPlace APlace) {
  const TRect bounds = core::cxRectOffset(GetDragAndDropArrowBounds(AAreaBounds, AClientRect, APlace), AOwnerOrigin);
  SetBoundsRect(bounds);
  HandleNeeded();
  const TRect client{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
  ImageCanvas()->FillRect(client, GetImageBackColor());
  DrawDragAndDropArrow(ImageCanvas(), client, APlace);
  if (!Transparent()) {
    const auto points = GetDragAndDropArrowPoints(client, APlace, true);
    std::vector<gdi::POINT> corners;
    for (const TPoint& p : points) corners.push_back(gdi::POINT{p.x, p.y});
    win::SetWindowRgn(Handle(), gdi::CreatePolygonRgn(corners.data(), int(corners.size()), gdi::WINDING), gdi::TRUE);
  }
}

// ---- arrow routines -----------------------------------------------------------------------------

TRect GetDragAndDropArrowBounds(const TRect& AAreaBounds, const TRect& AClientRect, TcxArrowPlace APlace) {
  TRect r = AAreaBounds;
  if (!core::cxRectIsEmpty(AClientRect)) {
    auto clampX = [&](int v) { return std::clamp(v, AClientRect.left, std::max(AClientRect.left, AClientRect.right - 1)); };
    auto clampY = [&](int v) { return std::clamp(v, AClientRect.top, std::max(AClientRect.top, AClientRect.bottom - 1)); };
    r = TRect{clampX(r.left), clampY(r.top), clampX(r.right), clampY(r.bottom)};
  }
  switch (APlace) {
    case TcxArrowPlace::apLeft:
    case TcxArrowPlace::apRight:
      // Beside a horizontal insertion line at r.top: 11 pixels high, centred on it.
      r.bottom = r.top + 6;
      r.top -= 5;
      if (APlace == TcxArrowPlace::apRight) {
        r.left = r.right;
        r.right += 9;
      } else {
        r.right = r.left;
        r.left -= 9;
      }
      break;
    case TcxArrowPlace::apTop:
    case TcxArrowPlace::apBottom:
      // Above or below a vertical insertion line at r.left: 11 pixels wide.
      r.right = r.left + 6;
      r.left -= 5;
      if (APlace == TcxArrowPlace::apBottom) {
        r.top = r.bottom;
        r.bottom += 9;
      } else {
        r.bottom = r.top;
        r.top -= 9;
      }
      break;
  }
  return r;
}

std::array<TPoint, 7> GetDragAndDropArrowPoints(const TRect& ABounds, TcxArrowPlace APlace, bool AForRegion) {
  const int L = ABounds.left, T = ABounds.top, R = ABounds.right, B = ABounds.bottom;
  const int d = AForRegion ? 1 : 0;
  switch (APlace) {
    case TcxArrowPlace::apLeft:
      return {TPoint{L + 3, T - d}, {L + 3, T + 3}, {L, T + 3}, {L, B + d - 4}, {L + 3, B + d - 4}, {L + 3, B + d - 1},
              {R + d - 1, T + 5}};
    case TcxArrowPlace::apTop:
      return {TPoint{L + 3, T}, {R + d - 4, T}, {R + d - 4, T + 3}, {R + d - 1, T + 3}, {L + 5, B + d - 1}, {L, T + 3},
              {L + 3, T + 3}};
    case TcxArrowPlace::apRight:
      return {TPoint{R + d - 4, T - d}, {R + d - 4, T + 3}, {R + d - 1, T + 3}, {R + d - 1, B + d - 4},
              {R + d - 4, B + d - 4}, {R + d - 4, B + d - 1}, {L, T + 5}};
    case TcxArrowPlace::apBottom:
    default:
      return {TPoint{L + 3, B + d - 1}, {R + d - 4, B + d - 1}, {R + d - 4, B + d - 4}, {R + d - 1, B + d - 4},
              {L + 5, T - d}, {L - d, B + d - 4}, {L + 3, B - 4}};
  }
}

void DrawDragAndDropArrow(core::TcxCanvas* ACanvas, const TRect& ABounds, TcxArrowPlace APlace) {
  const auto points = GetDragAndDropArrowPoints(ABounds, APlace, false);
  ACanvas->Brush()->SetColor(0x00FF00);
  ACanvas->Pen()->SetColor(ui::clBlack);
  ACanvas->Polygon(std::vector<TPoint>(points.begin(), points.end()));
}

}  // namespace lookandfeel

#include "lib/lookandfeel/cxPopupWindow.h"

#include <algorithm>

#include "lib/core/dxWinHelpers.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/controls.h"
#include "platform/win/win.h"

namespace lookandfeel {

using core::TcxBorder;
using core::TPoint;
using core::TRect;
using core::TSize;

TcxPopupWindow::TcxPopupWindow() : ui::TForm(nullptr) {
  ui::TCustomForm::SetBorderStyle(ui::bsNone);
  auto* canvas = new ui::TControlCanvas();
  canvas->SetControl(this);
  FFormCanvas.reset(canvas);
  FCanvas = std::make_unique<core::TcxCanvas>(FFormCanvas.get());
  // Above every other window, also above stay-on-top forms of the program.
  SetFormStyle(ui::fsStayOnTop);
  auto style = ControlStyle();
  style += ui::TControlStyleItem::csOverrideStylePaint;
  SetControlStyle(style);
}

TcxPopupWindow::~TcxPopupWindow() = default;

// ---- showing and closing

void TcxPopupWindow::Popup() {
  InitPopup();
  const TSize size = CalculateSize();
  const TPoint p = CalculatePosition(size);
  SetBounds(p.x, p.y, size.cx, size.cy);
  Show();
}

void TcxPopupWindow::CloseUp() { Hide(); }

void TcxPopupWindow::InitPopup() {
  if (FOwnerParent) Font()->Assign(FOwnerParent->Font());
}

void TcxPopupWindow::Deactivate() {
  ui::TForm::Deactivate();
  CloseUp();
}

void TcxPopupWindow::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case win::WM_ACTIVATE:
      if (win::LOWORD(message.WParam) != win::WA_INACTIVE) {
        // The window that lost activation to us keeps drawing its caption
        // as active: to the user the popup is a part of it.
        FPrevActiveWindow = reinterpret_cast<win::HWND>(message.LParam);
        if (FPrevActiveWindow && win::IsWindow(FPrevActiveWindow))
          win::SendMessageW(FPrevActiveWindow, win::WM_NCACTIVATE, 1, 0);
      }
      break;
    case win::WM_ACTIVATEAPP:
      if (message.WParam == 0) {
        if (FPrevActiveWindow && win::IsWindow(FPrevActiveWindow))
          win::SendMessageW(FPrevActiveWindow, win::WM_NCACTIVATE, 0, 0);
        CloseUp();
      }
      break;
    default: break;
  }
  ui::TForm::WndProc(message);
  if (message.Msg == ui::CM_VISIBLECHANGED) VisibleChanged();
}

// ---- size

void TcxPopupWindow::SetBorderStyle(TcxPopupBorderStyle value) {
  if (FBorderStyle == value) return;
  // The children sit where the old frame put them; the next CalculateSize
  // offsets them by the new widths.
  RestoreControlsBounds();
  FBorderStyle = value;
}

int TcxPopupWindow::GetFrameWidth(TcxBorder) {
  switch (FBorderStyle) {
    case TcxPopupBorderStyle::pbsUltraFlat:
    case TcxPopupBorderStyle::pbsFlat: return 1;
    case TcxPopupBorderStyle::pbs3D: return 2;
    default: return 0;
  }
}

int TcxPopupWindow::GetBorderWidth(TcxBorder ABorder) { return GetFrameWidth(ABorder) + FBorderSpace; }

TRect TcxPopupWindow::GetClientBounds() {
  TRect r = ClientRect();
  r.left += GetBorderWidth(TcxBorder::bLeft);
  r.top += GetBorderWidth(TcxBorder::bTop);
  r.right -= GetBorderWidth(TcxBorder::bRight);
  r.bottom -= GetBorderWidth(TcxBorder::bBottom);
  return r;
}

TSize TcxPopupWindow::CalculateSize() {
  // Without children an adjustable popup has nothing to measure: it keeps
  // the size it was given, as a fixed-size popup does.
  if (!FAdjustable || ControlCount() == 0) return TSize{Width(), Height()};
  const int left = GetBorderWidth(TcxBorder::bLeft);
  const int top = GetBorderWidth(TcxBorder::bTop);
  int clientWidth = 0;
  int clientHeight = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    ui::TControl* control = Controls(i);
    clientWidth = std::max(clientWidth, control->Left() + control->Width());
    clientHeight = std::max(clientHeight, control->Top() + control->Height());
    control->SetBounds(control->Left() + left, control->Top() + top, control->Width(), control->Height());
  }
  return TSize{left + clientWidth + GetBorderWidth(TcxBorder::bRight),
               top + clientHeight + GetBorderWidth(TcxBorder::bBottom)};
}

void TcxPopupWindow::RestoreControlsBounds() {
  const int left = GetBorderWidth(TcxBorder::bLeft);
  const int top = GetBorderWidth(TcxBorder::bTop);
  for (int i = 0; i < ControlCount(); ++i) {
    ui::TControl* control = Controls(i);
    control->SetBounds(control->Left() - left, control->Top() - top, control->Width(), control->Height());
  }
}

// ---- position

TRect TcxPopupWindow::GetOwnerScreenBounds() {
  TRect r = FOwnerBounds;
  if (UseOwnerParentToGetScreenBounds() && FOwnerParent)
    r = core::cxRectSetOrigin(r, FOwnerParent->ClientToScreen(TPoint{r.left, r.top}));
  return r;
}

TPoint TcxPopupWindow::CalculatePosition(const TSize& ASize) {
  TPoint position{};
  TPoint origin{};
  InternalCalculateTargetPosition(position, origin, ASize);
  CheckPosition(position, origin, ASize);
  return position;
}

void TcxPopupWindow::calculateCommonPosition(TPoint& APosition, TPoint& AOrigin, const TSize& ASize) {
  const TRect r = GetOwnerScreenBounds();
  // Integer division truncates toward zero, as the placement rules want.
  if (FAlignHorz == TcxPopupAlignHorz::pahCenter) AOrigin.x = APosition.x = (r.left + r.right - ASize.cx) / 2;
  if (FAlignVert == TcxPopupAlignVert::pavCenter) AOrigin.y = APosition.y = (r.top + r.bottom - ASize.cy) / 2;
}

void TcxPopupWindow::calculateDirectionPosition(TPoint& APosition, TPoint& AOrigin, const TSize& ASize) {
  if (FDirection == TcxPopupDirection::pdVertical)
    InternalCalculateVerticalDirectionPosition(APosition, AOrigin, ASize);
  else
    InternalCalculateHorizontalDirectionPosition(APosition, AOrigin, ASize);
}

void TcxPopupWindow::InternalCalculateTargetPosition(TPoint& APosition, TPoint& AOrigin, const TSize& ASize) {
  calculateCommonPosition(APosition, AOrigin, ASize);
  calculateDirectionPosition(APosition, AOrigin, ASize);
}

void TcxPopupWindow::InternalCalculateVerticalDirectionPosition(TPoint& APosition, TPoint& AOrigin,
                                                                const TSize& ASize) {
  const TRect r = GetOwnerScreenBounds();
  if (FAlignHorz == TcxPopupAlignHorz::pahLeft) {
    APosition.x = r.left;
    AOrigin.x = r.left;
  } else if (FAlignHorz == TcxPopupAlignHorz::pahRight) {
    APosition.x = r.right - ASize.cx;
    AOrigin.x = r.right;
  }
  if (FAlignVert == TcxPopupAlignVert::pavTop) {
    APosition.y = r.top - ASize.cy;
    AOrigin.y = r.top;
  } else if (FAlignVert == TcxPopupAlignVert::pavBottom) {
    APosition.y = r.bottom;
    AOrigin.y = r.bottom;
  }
}

void TcxPopupWindow::InternalCalculateHorizontalDirectionPosition(TPoint& APosition, TPoint& AOrigin,
                                                                  const TSize& ASize) {
  const TRect r = GetOwnerScreenBounds();
  if (FAlignHorz == TcxPopupAlignHorz::pahLeft) {
    APosition.x = r.left - ASize.cx;
    AOrigin.x = r.left;
  } else if (FAlignHorz == TcxPopupAlignHorz::pahRight) {
    APosition.x = r.right;
    AOrigin.x = r.right;
  }
  if (FAlignVert == TcxPopupAlignVert::pavTop) {
    APosition.y = r.top;
    AOrigin.y = r.top;
  } else if (FAlignVert == TcxPopupAlignVert::pavBottom) {
    APosition.y = r.bottom - ASize.cy;
    AOrigin.y = r.bottom;
  }
}

void TcxPopupWindow::CheckPosition(TPoint& APosition, const TPoint& AOrigin, const TSize& ASize) {
  const TRect wa = core::GetDesktopWorkArea(AOrigin);
  const TRect r = GetOwnerScreenBounds();
  if (FDirection == TcxPopupDirection::pdVertical) {
    const bool moreSpaceOnTop = (r.top - wa.top) > (wa.bottom - r.bottom);
    if (FAlignVert == TcxPopupAlignVert::pavTop && APosition.y < wa.top && !moreSpaceOnTop)
      FAlignVert = TcxPopupAlignVert::pavBottom;
    else if (FAlignVert == TcxPopupAlignVert::pavBottom && APosition.y + ASize.cy > wa.bottom && moreSpaceOnTop)
      FAlignVert = TcxPopupAlignVert::pavTop;
  } else {
    const bool moreSpaceOnLeft = (r.left - wa.left) > (wa.right - r.right);
    if (FAlignHorz == TcxPopupAlignHorz::pahLeft && APosition.x < wa.left && !moreSpaceOnLeft)
      FAlignHorz = TcxPopupAlignHorz::pahRight;
    else if (FAlignHorz == TcxPopupAlignHorz::pahRight && APosition.x + ASize.cx > wa.right && moreSpaceOnLeft)
      FAlignHorz = TcxPopupAlignHorz::pahLeft;
  }
  TPoint origin = AOrigin;
  calculateDirectionPosition(APosition, origin, ASize);
  checkCommonPosition(APosition, wa, ASize);
}

namespace {
// Far edge first, then near edge: a popup larger than the work area keeps
// its left or top edge visible.
int clampToWorkArea(int position, int size, int nearEdge, int farEdge) {
  if (position + size > farEdge) position = farEdge - size;
  if (position < nearEdge) position = nearEdge;
  return position;
}
}  // namespace

void TcxPopupWindow::checkCommonPosition(TPoint& APosition, const TRect& AWorkArea, const TSize& ASize) {
  // The direction's own axis is left alone unless centred: it relies on the
  // flip, so the popup never covers its owner rectangle.
  if (FDirection == TcxPopupDirection::pdVertical || FAlignHorz == TcxPopupAlignHorz::pahCenter)
    APosition.x = clampToWorkArea(APosition.x, ASize.cx, AWorkArea.left, AWorkArea.right);
  if (FDirection == TcxPopupDirection::pdHorizontal || FAlignVert == TcxPopupAlignVert::pavCenter)
    APosition.y = clampToWorkArea(APosition.y, ASize.cy, AWorkArea.top, AWorkArea.bottom);
}

// ---- painting

void TcxPopupWindow::PaintWindow(win::HDC dc) {
  ui::TForm::PaintWindow(dc);
  auto* canvas = static_cast<ui::TControlCanvas*>(FFormCanvas.get());
  canvas->Lock();
  canvas->FreeHandle();
  canvas->SetHandle(dc);
  rtl::ScopeExit release([canvas] {
    canvas->SetHandle(nullptr);
    canvas->Unlock();
  });
  DrawFrame();
}

void TcxPopupWindow::DrawFrame() {
  const TRect r{0, 0, Width(), Height()};
  switch (FBorderStyle) {
    case TcxPopupBorderStyle::pbsUltraFlat: FCanvas->FrameRect(r, FFrameColor); break;
    case TcxPopupBorderStyle::pbsFlat: FCanvas->DrawEdge(r, false, false); break;
    case TcxPopupBorderStyle::pbs3D:
      FCanvas->DrawEdge(r, false, true);
      FCanvas->DrawEdge(core::cxRectInflate(r, -1, -1), false, false);
      break;
    default: break;
  }
}

}  // namespace lookandfeel

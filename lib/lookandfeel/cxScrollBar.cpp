#include "lib/lookandfeel/cxScrollBar.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxCore.h"
#include "lib/core/dxWinHelpers.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/except.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "platform/win/win.h"

namespace lookandfeel {

using core::TcxCanvas;
using TPart = TcxScrollBarPart;

namespace {

constexpr TPart kParts[] = {TPart::sbpLineUp, TPart::sbpLineDown, TPart::sbpThumbnail, TPart::sbpPageUp,
                            TPart::sbpPageDown};
constexpr rtl::Cardinal kFirstRepeatDelay = 400;
constexpr rtl::Cardinal kRepeatInterval = 60;

bool isArrowOrPage(TPart part) {
  return part == TPart::sbpLineUp || part == TPart::sbpLineDown || part == TPart::sbpPageUp ||
         part == TPart::sbpPageDown;
}

}  // namespace

TSize GetScrollBarSize() {
  return TSize{win::GetSystemMetrics(win::SM_CXVSCROLL), win::GetSystemMetrics(win::SM_CYHSCROLL)};
}

// ---- part fading ----------------------------------------------------------------------------

bool TcxScrollBarPartFadingHelper::CanFade() { return FOwner->Owner()->ScrollBar()->Painter()->FadingAvailable(); }

void TcxScrollBarPartFadingHelper::DrawFadeImage() { FOwner->Invalidate(); }

void TcxScrollBarPartFadingHelper::GetFadingImages(ui::TBitmap*& AFadeOutImage, ui::TBitmap*& AFadeInImage) {
  const TRect& bounds = FOwner->Bounds();
  TcxScrollBarPainter* painter = FOwner->Owner()->ScrollBar()->Painter();
  auto draw = [&](TcxButtonState AState) {
    auto bitmap = std::make_unique<core::TcxBitmap32>(bounds.right - bounds.left, bounds.bottom - bounds.top, true);
    bitmap->Canvas()->Lock();
    rtl::ScopeExit unlock([&] { bitmap->Canvas()->Unlock(); });
    painter->DoDrawScrollBarPart(bitmap->cxCanvas(), bitmap->ClientRect(), FOwner->Part(), AState);
    return bitmap;
  };
  auto normal = draw(TcxButtonState::cxbsNormal);
  auto hot = draw(TcxButtonState::cxbsHot);
  AFadeOutImage = normal.release();
  AFadeInImage = hot.release();
}

void TcxScrollBarPartFadingHelper::UpdateState() {
  const TcxButtonState state = FOwner->GetState();
  if (state == FState) return;
  CheckStartFading(FState, state);
  FState = state;
}

// ---- part view info ------------------------------------------------------------------------

TcxScrollBarPartViewInfo::TcxScrollBarPartViewInfo(TcxScrollBarViewInfo* AOwner, TPart APart)
    : FOwner(AOwner), FPart(APart) {
  if (APart == TPart::sbpLineUp || APart == TPart::sbpLineDown || APart == TPart::sbpThumbnail)
    FFadingHelper = std::make_unique<TcxScrollBarPartFadingHelper>(this);
}

TcxScrollBarPartViewInfo::~TcxScrollBarPartViewInfo() = default;

void TcxScrollBarPartViewInfo::Invalidate() { FOwner->ScrollBar()->InvalidateRect(FBounds, false); }

TcxButtonState TcxScrollBarPartViewInfo::GetState() const {
  TcxScrollBarHelper* bar = FOwner->ScrollBar();
  if (!bar->Enabled()) return TcxButtonState::cxbsDisabled;
  if (FPart == TPart::sbpThumbnail && !bar->Painter()->IsButtonHotTrack()) return TcxButtonState::cxbsNormal;
  if (FPart != FOwner->HotPart()) return TcxButtonState::cxbsNormal;
  if (FOwner->PressedPart() != TPart::sbpNone)
    return FOwner->PressedPart() == FPart ? TcxButtonState::cxbsPressed : TcxButtonState::cxbsNormal;
  return TcxButtonState::cxbsHot;
}

// ---- view info ------------------------------------------------------------------------------

TcxScrollBarViewInfo::TcxScrollBarViewInfo(TcxScrollBarHelper* AScrollBar) : FScrollBar(AScrollBar) {
  for (TPart part : kParts) FPartInfos[int(part) - 1] = std::make_unique<TcxScrollBarPartViewInfo>(this, part);
}

TcxScrollBarViewInfo::~TcxScrollBarViewInfo() = default;

TcxScrollBarPartViewInfo* TcxScrollBarViewInfo::PartInfo(TPart APart) const {
  return FPartInfos[int(APart) - 1].get();
}

int TcxScrollBarViewInfo::GetArrowButtonLength() {
  return win::GetSystemMetrics(FKind == TScrollBarKind::sbHorizontal ? win::SM_CYHSCROLL : win::SM_CXVSCROLL);
}

int TcxScrollBarViewInfo::Start(const TRect& R) const {
  return FKind == TScrollBarKind::sbHorizontal ? R.left : R.top;
}

int TcxScrollBarViewInfo::End(const TRect& R) const {
  return FKind == TScrollBarKind::sbHorizontal ? R.right : R.bottom;
}

void TcxScrollBarViewInfo::Calculate() {
  FKind = FScrollBar->Kind();
  FMinThumbnailSize = FScrollBar->Painter()->GetMinThumbnailSize();
  const TRect& b = FScrollBar->BoundsRect();
  const bool horizontal = FKind == TScrollBarKind::sbHorizontal;
  FLength = horizontal ? b.right - b.left : b.bottom - b.top;
  FArrowButtonLength = std::min(FLength / 2, GetArrowButtonLength());
  TRect up = b;
  if (horizontal) up.right = up.left + FArrowButtonLength;
  else up.bottom = up.top + FArrowButtonLength;
  PartInfo(TPart::sbpLineUp)->SetBounds(up);
  TRect down = up;
  const int shift = FLength - FArrowButtonLength;
  if (horizontal) { down.left += shift; down.right += shift; }
  else { down.top += shift; down.bottom += shift; }
  PartInfo(TPart::sbpLineDown)->SetBounds(down);
  CalculateThumbnailRect();
}

void TcxScrollBarViewInfo::CalculateThumbnailRect() {
  PartInfo(TPart::sbpThumbnail)->SetBounds(TRect{});
  AdjustPageRects();
  if (!FScrollBar->Enabled()) return;
  const int track = FLength - 2 * FArrowButtonLength;
  const int min = FScrollBar->Min(), max = FScrollBar->Max(), page = FScrollBar->PageSize();
  const int position = FScrollBar->Position();
  int size = 0, offset = 0;
  if (page != 0) {
    size = std::min(track, rtl::MulDiv(page, track, max - min + 1));
    if (track < FMinThumbnailSize || max == min) return;
    size = std::max(size, FMinThumbnailSize);
    const int range = max - min + 1 - page;
    offset = range > 0 ? rtl::MulDiv(track - size, std::min(position - min, range), range) : 0;
  } else {
    size = win::GetSystemMetrics(FKind == TScrollBarKind::sbHorizontal ? win::SM_CXHTHUMB : win::SM_CYVTHUMB);
    if (track < size) return;
    offset = (track == size || max == min) ? 0 : rtl::MulDiv(track - size, position - min, max - min);
  }
  TRect thumb = FScrollBar->BoundsRect();
  const int start = End(PartBounds(TPart::sbpLineUp)) + offset;
  if (FKind == TScrollBarKind::sbHorizontal) { thumb.left = start; thumb.right = start + size; }
  else { thumb.top = start; thumb.bottom = start + size; }
  PartInfo(TPart::sbpThumbnail)->SetBounds(thumb);
  AdjustPageRects();
}

void TcxScrollBarViewInfo::AdjustPageRects() {
  const TRect& thumb = PartBounds(TPart::sbpThumbnail);
  if (thumb.right <= thumb.left || thumb.bottom <= thumb.top) {
    PartInfo(TPart::sbpPageUp)->SetBounds(TRect{});
    PartInfo(TPart::sbpPageDown)->SetBounds(TRect{});
    return;
  }
  TRect pageUp = FScrollBar->BoundsRect(), pageDown = pageUp;
  if (FKind == TScrollBarKind::sbHorizontal) {
    pageUp.left = PartBounds(TPart::sbpLineUp).right;
    pageUp.right = thumb.left;
    pageDown.left = thumb.right;
    pageDown.right = PartBounds(TPart::sbpLineDown).left;
  } else {
    pageUp.top = PartBounds(TPart::sbpLineUp).bottom;
    pageUp.bottom = thumb.top;
    pageDown.top = thumb.bottom;
    pageDown.bottom = PartBounds(TPart::sbpLineDown).top;
  }
  PartInfo(TPart::sbpPageUp)->SetBounds(pageUp);
  PartInfo(TPart::sbpPageDown)->SetBounds(pageDown);
}

void TcxScrollBarViewInfo::SetThumbnailPos(int AValue) {
  TRect thumb = PartBounds(TPart::sbpThumbnail);
  if (FKind == TScrollBarKind::sbHorizontal) { thumb.right += AValue - thumb.left; thumb.left = AValue; }
  else { thumb.bottom += AValue - thumb.top; thumb.top = AValue; }
  PartInfo(TPart::sbpThumbnail)->SetBounds(thumb);
}

TPart TcxScrollBarViewInfo::GetPart(const TPoint& P) const {
  for (TPart part : kParts) {
    const TRect& r = PartBounds(part);
    if (P.x >= r.left && P.x < r.right && P.y >= r.top && P.y < r.bottom) return part;
  }
  return TPart::sbpNone;
}

// ---- controller -----------------------------------------------------------------------------

TcxScrollBarController::TcxScrollBarController(TcxScrollBarHelper* AScrollBar) : FScrollBar(AScrollBar) {
  FTimer.reset(core::cxCreateTimer(rtl::TNotifyEvent::bind<&TcxScrollBarController::TimerHandler>(this),
                                   kFirstRepeatDelay, false));
}

TcxScrollBarController::~TcxScrollBarController() = default;

TcxScrollBarViewInfo* TcxScrollBarController::ViewInfo() const { return FScrollBar->ViewInfo(); }

bool TcxScrollBarController::IsRepeatingPart(TPart APart) const { return isArrowOrPage(APart); }

bool TcxScrollBarController::IsButtonHotTrack() { return FScrollBar->Painter()->IsButtonHotTrack(); }

void TcxScrollBarController::InternalScroll(TScrollCode AScrollCode) {
  SetPositionValue(AScrollCode, FScrollBar->Position());
}

void TcxScrollBarController::SetPositionValue(TScrollCode AScrollCode, int AValue) {
  switch (AScrollCode) {
    case ui::scLineUp: AValue -= FScrollBar->SmallChange(); break;
    case ui::scLineDown: AValue += FScrollBar->SmallChange(); break;
    case ui::scPageUp: AValue -= FScrollBar->LargeChange(); break;
    case ui::scPageDown: AValue += FScrollBar->LargeChange(); break;
    case ui::scTop: AValue = FScrollBar->Min(); break;
    case ui::scBottom: AValue = FScrollBar->Max(); break;
    default: break;
  }
  AValue = std::clamp(AValue, FScrollBar->Min(), FScrollBar->Max());
  FScrollBar->Scroll(AScrollCode, AValue);
  AValue = std::clamp(AValue, FScrollBar->Min(), FScrollBar->Max());
  if (AValue == FScrollBar->Position()) return;
  if (AScrollCode == ui::scTrack) {
    FScrollBar->SetPositionDirect(AValue);
    FScrollBar->Repaint();
  } else {
    FScrollBar->SetPosition(AValue);
  }
}

void TcxScrollBarController::DoScroll(TPart APart) {
  switch (APart) {
    case TPart::sbpLineUp: InternalScroll(ui::scLineUp); break;
    case TPart::sbpLineDown: InternalScroll(ui::scLineDown); break;
    case TPart::sbpThumbnail: InternalScroll(ui::scTrack); break;
    case TPart::sbpPageUp: InternalScroll(ui::scPageUp); break;
    case TPart::sbpPageDown: InternalScroll(ui::scPageDown); break;
    default: break;
  }
}

void TcxScrollBarController::SetThumbnailValue(int AValue, bool ACallSetPosition) {
  if (ACallSetPosition) FScrollBar->SetPosition(AValue);
  else FScrollBar->SetPositionDirect(AValue);
  DoScroll(TPart::sbpThumbnail);
}

int TcxScrollBarController::GetPositionFromThumbnail() {
  TcxScrollBarViewInfo* vi = ViewInfo();
  const bool horizontal = FScrollBar->Kind() == TScrollBarKind::sbHorizontal;
  const TRect& up = vi->PartBounds(TPart::sbpLineUp);
  const TRect& down = vi->PartBounds(TPart::sbpLineDown);
  const TRect& thumb = vi->PartBounds(TPart::sbpThumbnail);
  const int upEnd = horizontal ? up.right : up.bottom;
  const int downStart = horizontal ? down.left : down.top;
  const int thumbStart = horizontal ? thumb.left : thumb.top;
  const int thumbLength = horizontal ? thumb.right - thumb.left : thumb.bottom - thumb.top;
  // A thumb that fills its whole track leaves no room to move: the position
  // cannot be read from it, so it stays where it is.
  const int room = (downStart - upEnd) - thumbLength;
  if (room <= 0) return FScrollBar->Position();
  int range = FScrollBar->Max() - FScrollBar->Min();
  if (FScrollBar->PageSize() > 0) range += 1 - FScrollBar->PageSize();
  return rtl::MulDiv(range, thumbStart - upEnd, room) + FScrollBar->Min();
}

void TcxScrollBarController::DoMouseDown(ui::TMouseButton AButton, ui::TShiftState, int X, int Y) {
  if (AButton != ui::mbLeft) return;
  const TPart part = ViewInfo()->GetPart(TPoint{X, Y});
  if (part == TPart::sbpNone) return;
  struct RepaintAtEnd {
    TcxScrollBarHelper* bar;
    ~RepaintAtEnd() {
      bar->UpdateFadingHelperStates();
      bar->Repaint();
    }
  } repaint{FScrollBar};
  if (part == TPart::sbpThumbnail) {
    FDownMousePos = FLastMousePos = TPoint{X, Y};
    FSavePosition = FScrollBar->Position();
    const TRect& thumb = ViewInfo()->PartBounds(TPart::sbpThumbnail);
    FSaveThumbnailPos = TPoint{thumb.left, thumb.top};
    InternalScroll(ui::scTrack);
  }
  ViewInfo()->SetPressedPart(part);
  ViewInfo()->SetHotPart(part);
  if (IsRepeatingPart(part)) {
    DoScroll(part);
    FTimer->SetInterval(kFirstRepeatDelay);
    FTimer->SetEnabled(true);
  }
}

void TcxScrollBarController::TimerHandler(rtl::TObject*) {
  FTimer->SetEnabled(false);
  const TPart pressed = ViewInfo()->PressedPart();
  if (FScrollBar->IsOwnerControlCapture() && IsRepeatingPart(pressed)) {
    if (FTimer->Interval() == kFirstRepeatDelay) FTimer->SetInterval(kRepeatInterval);
    DoScroll(pressed);
    const TPoint p = FScrollBar->ScreenToClient(core::GetMouseCursorPos());
    if (ViewInfo()->GetPart(p) == ViewInfo()->PressedPart()) FTimer->SetEnabled(true);
  } else {
    FinishScrolling(TPart::sbpNone);
  }
}

void TcxScrollBarController::DoMouseMove(ui::TShiftState, int X, int Y) {
  TcxScrollBarViewInfo* vi = ViewInfo();
  const bool horizontal = FScrollBar->Kind() == TScrollBarKind::sbHorizontal;
  if (vi->PressedPart() == TPart::sbpThumbnail) {
    TRect tolerance = FScrollBar->BoundsRect();
    const int along = cxScrollMinDistance, across = cxScrollMaxDistance;
    const int dx = horizontal ? along : across, dy = horizontal ? across : along;
    tolerance.left -= dx;
    tolerance.right += dx;
    tolerance.top -= dy;
    tolerance.bottom += dy;
    const bool inside = X >= tolerance.left && X < tolerance.right && Y >= tolerance.top && Y < tolerance.bottom;
    if (!FScrollBar->UnlimitedTracking() && !inside) {
      if (FScrollBar->Position() != FSavePosition) SetThumbnailValue(FSavePosition, true);
      return;
    }
    const int c = horizontal ? X : Y;
    int delta = c - (horizontal ? FDownMousePos.x : FDownMousePos.y);
    int& last = horizontal ? FLastMousePos.x : FLastMousePos.y;
    if (delta == 0 || c == last) return;
    last = c;
    const TRect& up = vi->PartBounds(TPart::sbpLineUp);
    const TRect& down = vi->PartBounds(TPart::sbpLineDown);
    const TRect& thumb = vi->PartBounds(TPart::sbpThumbnail);
    const int savedStart = horizontal ? FSaveThumbnailPos.x : FSaveThumbnailPos.y;
    const int thumbLength = horizontal ? thumb.right - thumb.left : thumb.bottom - thumb.top;
    const int lo = (horizontal ? up.right : up.bottom) - savedStart;
    const int hi = (horizontal ? down.left : down.top) - savedStart - thumbLength;
    delta = std::max(lo, std::min(delta, hi));
    vi->SetThumbnailPos(savedStart + delta);
    vi->AdjustPageRects();
    FScrollBar->Repaint();
    const int p = GetPositionFromThumbnail();
    if (p != FScrollBar->Position()) {
      SetThumbnailValue(p, false);
      FScrollBar->Change();
    }
    return;
  }
  const TPart part = vi->GetPart(TPoint{X, Y});
  if (vi->PressedPart() != TPart::sbpNone) FTimer->SetEnabled(part == vi->PressedPart());
  if (part != vi->HotPart()) {
    vi->SetHotPart(part);
    FScrollBar->UpdateFadingHelperStates();
    if (IsButtonHotTrack()) FScrollBar->Repaint();
  }
}

void TcxScrollBarController::DoMouseEnter(ui::TControl*) {
  FScrollBar->UpdateFadingHelperStates();
  if (IsButtonHotTrack() || IsRepeatingPart(ViewInfo()->PressedPart())) FScrollBar->Repaint();
}

void TcxScrollBarController::DoMouseLeave(ui::TControl*) {
  if (ViewInfo()->PressedPart() != TPart::sbpThumbnail) ViewInfo()->SetHotPart(TPart::sbpNone);
  if (IsButtonHotTrack() || IsRepeatingPart(ViewInfo()->PressedPart())) FScrollBar->Invalidate();
  FScrollBar->UpdateFadingHelperStates();
}

void TcxScrollBarController::DoMouseUp(ui::TMouseButton, ui::TShiftState, int X, int Y) {
  FinishScrolling(ViewInfo()->GetPart(TPoint{X, Y}));
  FScrollBar->UpdateFadingHelperStates();
}

void TcxScrollBarController::FinishScrolling(TPart APart) {
  TcxScrollBarViewInfo* vi = ViewInfo();
  vi->SetHotPart(APart);
  if (vi->PressedPart() == TPart::sbpNone) return;
  FTimer->SetEnabled(false);
  const bool wasThumb = vi->PressedPart() == TPart::sbpThumbnail;
  vi->SetPressedPart(TPart::sbpNone);
  // The end of the action is reported even when reading the final position
  // failed: a caller waiting for scEndScroll must not be left in a drag.
  std::exception_ptr error;
  if (wasThumb) {
    try {
      FScrollBar->SetPositionDirect(GetPositionFromThumbnail());
      InternalScroll(ui::scPosition);
    } catch (...) {
      error = std::current_exception();
    }
  }
  InternalScroll(ui::scEndScroll);
  vi->CalculateThumbnailRect();
  FScrollBar->UpdateFadingHelperStates();
  FScrollBar->Invalidate();
  if (error) std::rethrow_exception(error);
}

// ---- painter --------------------------------------------------------------------------------

TcxCustomLookAndFeelPainter* TcxScrollBarPainter::LookAndFeelPainter() const {
  return FScrollBar->GetLookAndFeelPainter();
}

void TcxScrollBarPainter::DoDrawScrollBarPart(TcxCanvas* ACanvas, const TRect& R, TPart APart, TcxButtonState AState) {
  LookAndFeelPainter()->DrawScrollBarPart(ACanvas, FScrollBar->Kind() == TScrollBarKind::sbHorizontal, R, APart,
                                          AState);
}

void TcxScrollBarPainter::DrawScrollBarBackground(TcxCanvas* ACanvas, const TRect& R) {
  LookAndFeelPainter()->DrawScrollBarBackground(ACanvas, R, FScrollBar->Kind() == TScrollBarKind::sbHorizontal);
}

void TcxScrollBarPainter::DrawScrollBarPart(TcxCanvas* ACanvas, TPart APart) {
  TcxScrollBarPartViewInfo* info = FScrollBar->ViewInfo()->PartInfo(APart);
  const TRect& r = info->Bounds();
  if (r.right <= r.left || r.bottom <= r.top) return;
  // A running fade shows its current frame instead.
  if (TcxScrollBarPartFadingHelper* fading = info->FadingHelper())
    if (fading->DrawImage(ACanvas->Handle(), r)) return;
  DoDrawScrollBarPart(ACanvas, r, APart, info->GetState());
}

bool TcxScrollBarPainter::FadingAvailable() {
  const TcxLookAndFeelStyle style = LookAndFeelPainter()->LookAndFeelStyle();
  return IsButtonHotTrack() && (style == TcxLookAndFeelStyle::lfsNative || style == TcxLookAndFeelStyle::lfsSkin);
}

int TcxScrollBarPainter::GetMinThumbnailSize() {
  return LookAndFeelPainter()->ScrollBarMinimalThumbSize(FScrollBar->Kind() == TScrollBarKind::sbVertical);
}

bool TcxScrollBarPainter::IsButtonHotTrack() { return LookAndFeelPainter()->IsButtonHotTrack(); }

void TcxScrollBarPainter::Paint(TcxCanvas* ACanvas) {
  DrawScrollBarBackground(ACanvas, FScrollBar->BoundsRect());
  for (TPart part : kParts) DrawScrollBarPart(ACanvas, part);
}

// ---- helper ---------------------------------------------------------------------------------

TcxScrollBarHelper::TcxScrollBarHelper(IcxScrollBarOwner* AOwner)
    : FBoundsRect{0, 0, 120, win::GetSystemMetrics(win::SM_CYHSCROLL)}, FOwner(AOwner) {
  CreateParts();
}

TcxScrollBarHelper::~TcxScrollBarHelper() {
  FPainter.reset();
  FController.reset();
  FViewInfo.reset();
}

void TcxScrollBarHelper::CreateParts() {
  FPainter.reset();
  FController.reset();
  FViewInfo = CreateViewInfo();
  FController = CreateController();
  FPainter = CreatePainter();
}

std::unique_ptr<TcxScrollBarController> TcxScrollBarHelper::CreateController() {
  return std::make_unique<TcxScrollBarController>(this);
}
std::unique_ptr<TcxScrollBarPainter> TcxScrollBarHelper::CreatePainter() {
  return std::make_unique<TcxScrollBarPainter>(this);
}
std::unique_ptr<TcxScrollBarViewInfo> TcxScrollBarHelper::CreateViewInfo() {
  return std::make_unique<TcxScrollBarViewInfo>(this);
}

win::HWND TcxScrollBarHelper::Handle() const {
  ui::TWinControl* control = FOwner->GetControl();
  return control && control->HandleAllocated() ? control->Handle() : nullptr;
}

bool TcxScrollBarHelper::HandleAllocated() const {
  ui::TWinControl* control = FOwner->GetControl();
  return control && control->HandleAllocated();
}

void TcxScrollBarHelper::SetScrollParams(int AMin, int AMax, int APosition, int APageSize, bool ARedraw) {
  if (AMax < AMin || AMax - AMin < APageSize)
    throw rtl::EInvalidOperation(u"Scrollbar property out of range");
  APosition = std::clamp(APosition, AMin, AMax);
  if (AMin == FMin && AMax == FMax && APageSize == FPageSize && APosition == FPosition) {
    ARedraw = false;
  } else {
    FMin = AMin;
    FMax = AMax;
    FPageSize = APageSize;
  }
  const bool positionChanged = APosition != FPosition;
  if (positionChanged) FPosition = APosition;
  FViewInfo->CalculateThumbnailRect();
  UpdateFadingHelperStates();
  if (ARedraw && HandleAllocated()) Repaint();
  if (positionChanged) Change();
}

void TcxScrollBarHelper::SetEnabled(bool AValue) {
  if (FEnabled == AValue) return;
  FEnabled = AValue;
  if (!AValue) CancelMode();
}

void TcxScrollBarHelper::SetVisible(bool AValue) {
  if (FVisible == AValue) return;
  FVisible = AValue;
  if (!AValue) CancelMode();
}

void TcxScrollBarHelper::Change() {
  if (FOnChange) FOnChange(this);
}

void TcxScrollBarHelper::Scroll(TScrollCode AScrollCode, int& AScrollPos) {
  if (FOnScroll) FOnScroll(this, AScrollCode, AScrollPos);
}

void TcxScrollBarHelper::DoPaint(TcxCanvas* ACanvas) { FPainter->Paint(ACanvas); }

void TcxScrollBarHelper::UpdateFadingHelperStates() {
  if (!FViewInfo || !FPainter) return;  // while the parts are made or freed
  for (TPart part : kParts)
    if (TcxScrollBarPartFadingHelper* fading = FViewInfo->PartInfo(part)->FadingHelper()) fading->UpdateState();
}

void TcxScrollBarHelper::Invalidate() { InvalidateRect(FBoundsRect, false); }

void TcxScrollBarHelper::InvalidateRect(const TRect& R, bool AEraseBackground) {
  if (!HandleAllocated()) return;
  if (FIsNonClient) {
    RefreshNCPart(R);
    return;
  }
  win::InvalidateRect(Handle(), &R, AEraseBackground);
}

void TcxScrollBarHelper::RefreshNCPart(const TRect& R) {
  const TRect windowRect = core::cxGetWindowRect(Handle());
  win::POINT origin{windowRect.left, windowRect.top};
  win::ScreenToClient(Handle(), &origin);
  TRect r = R;
  r.left += origin.x; r.right += origin.x; r.top += origin.y; r.bottom += origin.y;
  win::RedrawWindow(Handle(), &r, nullptr, win::RDW_FRAME | win::RDW_INVALIDATE);
}

bool TcxScrollBarHelper::IsOwnerControlCapture() {
  ui::TWinControl* control = FOwner->GetControl();
  return control && ui::TControl::CaptureControl() == control;
}

TPoint TcxScrollBarHelper::ScreenToClient(const TPoint& P) {
  ui::TWinControl* control = FOwner->GetControl();
  return control ? control->ScreenToClient(P) : P;
}

void TcxScrollBarHelper::Calculate() { FViewInfo->Calculate(); }
void TcxScrollBarHelper::CancelMode() { FController->FinishScrolling(TPart::sbpNone); }

void TcxScrollBarHelper::MouseDown(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y) {
  FController->MouseDown(AButton, AShift, X, Y);
}
void TcxScrollBarHelper::MouseEnter(ui::TControl* AControl) { FController->MouseEnter(AControl); }
void TcxScrollBarHelper::MouseLeave(ui::TControl* AControl) { FController->MouseLeave(AControl); }
void TcxScrollBarHelper::MouseMove(ui::TShiftState AShift, int X, int Y) { FController->MouseMove(AShift, X, Y); }
void TcxScrollBarHelper::MouseUp(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y) {
  FController->MouseUp(AButton, AShift, X, Y);
}

void TcxScrollBarHelper::Paint(TcxCanvas* ACanvas) {
  if constexpr (core::IsWinVistaOrLater) DoPaint(ACanvas);
  else Paint(ACanvas->Handle());
}

void TcxScrollBarHelper::Paint(gdi::HDC DC) {
  core::TcxBitmap bitmap(FBoundsRect, ui::pf32bit);
  bitmap.cxCanvas()->SetWindowOrg(TPoint{FBoundsRect.left, FBoundsRect.top});
  DoPaint(bitmap.cxCanvas());
  bitmap.cxCanvas()->SetWindowOrg(TPoint{0, 0});
  gdi::BitBlt(DC, FBoundsRect.left, FBoundsRect.top, FBoundsRect.right - FBoundsRect.left,
              FBoundsRect.bottom - FBoundsRect.top, bitmap.Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
}

void TcxScrollBarHelper::Repaint() {
  if (!HandleAllocated()) return;
  if (FIsNonClient) {
    RefreshNCPart(FBoundsRect);
    return;
  }
  Invalidate();
  FOwner->GetControl()->Update();
}

// ---- the control ----------------------------------------------------------------------------

TcxScrollBar::TcxScrollBar(rtl::TComponent* AOwner) : ui::TCustomControl(AOwner) {
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent::bind<&TcxScrollBar::LookAndFeelChanged>(this));
  InitHelper();
  SetWidth(121);
  SetControlStyle(ui::TControlStyle{ui::csCaptureMouse, ui::csFramed, ui::csOpaque});
  SetHeight(win::GetSystemMetrics(win::SM_CYHSCROLL));
  FHelper->Calculate();
}

void TcxScrollBar::InitHelper() {
  FHelper = CreateHelper();
  FHelper->SetOnScroll(TScrollEvent::bind<&TcxScrollBar::DoScrollEvent>(this));
  FHelper->SetOnChange(rtl::TNotifyEvent::bind<&TcxScrollBar::DoChange>(this));
  FHelper->SetBoundsRect(TRect{0, 0, Width(), Height()});
}

TcxScrollBar::~TcxScrollBar() {
  FHelper.reset();
  FLookAndFeel.reset();
}

std::unique_ptr<TcxScrollBarHelper> TcxScrollBar::CreateHelper() {
  return std::make_unique<TcxScrollBarHelper>(this);
}

void TcxScrollBar::SetKind(TScrollBarKind AValue) {
  if (FHelper->Kind() == AValue) return;
  FHelper->SetKind(AValue);
  if (ComponentState().contains(rtl::TComponentStateItem::csLoading)) {
    FHelper->Calculate();
    return;
  }
  SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

void TcxScrollBar::SetCtl3DValue(bool AValue) {
  FRealCtl3D = AValue;
  if (Ctl3D() != AValue) SetCtl3D(AValue);
}

void TcxScrollBar::Change() { DoChange(this); }

void TcxScrollBar::DoChange(rtl::TObject*) {
  if (FOnChange) FOnChange(this);
}

void TcxScrollBar::DoScrollEvent(rtl::TObject*, TScrollCode AScrollCode, int& AScrollPos) {
  if (FOnScroll) FOnScroll(this, AScrollCode, AScrollPos);
}

void TcxScrollBar::Scroll(TScrollCode AScrollCode, int& AScrollPos) { DoScrollEvent(this, AScrollCode, AScrollPos); }

void TcxScrollBar::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  if (!FHelper) return;
  if (FLookAndFeel->Painter()->LookAndFeelStyle() == TcxLookAndFeelStyle::lfsSkin && GetCtl3D()) {
    FRealCtl3D = true;
    SetCtl3D(false);
  } else if (Ctl3D() != FRealCtl3D) {
    SetCtl3D(FRealCtl3D);
  }
  FHelper->Calculate();
  Invalidate();
}

void TcxScrollBar::ThemeChanged() {
  FHelper->Calculate();
  Invalidate();
  if (Parent()) Parent()->Realign();
}

void TcxScrollBar::DoPaint(TcxCanvas* ACanvas) { FHelper->DoPaint(ACanvas); }

void TcxScrollBar::Paint() {
  core::TcxBitmap bitmap(Width(), Height(), ui::pf32bit);
  DoPaint(bitmap.cxCanvas());
  const TRect r = ClientRect();
  Canvas()->CopyRect(r, bitmap.Canvas(), r);
}

void TcxScrollBar::Resize() {
  ui::TCustomControl::Resize();
  if (!FHelper) return;
  FHelper->SetBoundsRect(ClientRect());
  FHelper->Calculate();
}

void TcxScrollBar::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  ui::TCustomControl::MouseDown(Button, Shift, X, Y);
  FHelper->MouseDown(Button, Shift, X, Y);
}

void TcxScrollBar::MouseMove(ui::TShiftState Shift, int X, int Y) {
  ui::TCustomControl::MouseMove(Shift, X, Y);
  FHelper->MouseMove(Shift, X, Y);
}

void TcxScrollBar::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  ui::TCustomControl::MouseUp(Button, Shift, X, Y);
  FHelper->MouseUp(Button, Shift, X, Y);
}

void TcxScrollBar::MouseEnter(ui::TControl* AControl) {
  FHelper->MouseEnter(this);
  if (AControl == this && OnMouseEnter()) OnMouseEnter()(this);
}

void TcxScrollBar::MouseLeave(ui::TControl* AControl) {
  FHelper->MouseLeave(this);
  if (AControl == this && OnMouseLeave()) OnMouseLeave()(this);
}

void TcxScrollBar::Dispatch(void* message) {
  auto& m = *static_cast<ui::TMessage*>(message);
  auto controlOf = [&](win::LPARAM lParam) -> ui::TControl* {
    auto* control = reinterpret_cast<ui::TControl*>(lParam);
    return control ? control : this;
  };
  switch (m.Msg) {
    case win::WM_ERASEBKGND: m.Result = 1; return;
    case ui::CM_MOUSEENTER:
      ui::TCustomControl::Dispatch(message);
      MouseEnter(controlOf(m.LParam));
      return;
    case ui::CM_MOUSELEAVE:
      ui::TCustomControl::Dispatch(message);
      MouseLeave(controlOf(m.LParam));
      return;
    case ui::CM_CTL3DCHANGED:
      ui::TCustomControl::Dispatch(message);
      FRealCtl3D = Ctl3D();
      LookAndFeelChanged(FLookAndFeel.get(), {});
      return;
    case ui::CM_ENABLEDCHANGED:
      ui::TCustomControl::Dispatch(message);
      FHelper->SetEnabled(Enabled());
      FHelper->Calculate();
      Invalidate();
      return;
    case ui::CM_VISIBLECHANGED:
      FHelper->SetVisible(Visible());
      ui::TCustomControl::Dispatch(message);
      return;
    case win::WM_THEMECHANGED:
      ThemeChanged();
      return;
    case ui::CN_HSCROLL:
    case ui::CN_VSCROLL:
      FHelper->Controller()->InternalScroll(ui::ScrollCodeFromMessage(m.WParam));
      return;
    case win::WM_GESTURENOTIFY:
      // The bar takes no touch gestures: they go to what lies beneath.
      core::dxLockGestures(Handle(), m);
      return;
    case win::WM_CANCELMODE:
      FHelper->CancelMode();
      ui::TCustomControl::Dispatch(message);
      return;
    default: ui::TCustomControl::Dispatch(message);
  }
}

}  // namespace lookandfeel

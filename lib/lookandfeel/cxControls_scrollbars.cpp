// The control's own scroll bars: the bar data, windowed and painted sets,
// the mouse router of painted bars, the visibility calculation; pixel
// scrolling and gesture panning.
#include <algorithm>

#include "lib/core/dxWinHelpers.h"
#include "lib/lookandfeel/cxControls.h"
#include "platform/rtl/scoped.h"
#include "platform/win/win.h"

namespace lookandfeel {

namespace {

bool scrollBarContains(const TRect& r, const TPoint& p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

// ---- windowed bar ---------------------------------------------------------------------------

TcxControlScrollBar::TcxControlScrollBar(rtl::TComponent* AOwner) : TcxScrollBar(AOwner) {
  SetColor(ui::clBtnFace);
  ui::TControlStyle style = ControlStyle();
  style.Exclude(ui::csFramed);
  style.Include(ui::TControlStyleItem::csNoDesignVisible);
  SetControlStyle(style);
  SetTabStop(false);
  TcxScrollBar::SetVisible(false);
  FData = std::make_unique<TcxScrollBarData>();
  SetParentShowHint(false);
  SetShowHint(true);
}

TcxControlScrollBar::~TcxControlScrollBar() = default;

void TcxControlScrollBar::ApplyData() {
  if (FData->FVisible && FData->FIsValid) {
    TcxScrollBar::SetScrollParams(FData->FMin, FData->FMax, FData->FPosition, FData->FPageSize, true);
    SetSmallChange(FData->FSmallChange);
    SetLargeChange(FData->FLargeChange);
  }
  TcxScrollBar::SetEnabled(FData->FEnabled);
  if (Visible() != FData->FVisible) {
    TcxScrollBar::SetVisible(FData->FVisible);
    Perform(ui::CM_SHOWINGCHANGED, 0, 0);
  }
}

void TcxControlScrollBar::FocusParent() {
  ui::TWinControl* parent = Parent();
  if (!parent) return;
  if (auto* control = dynamic_cast<TcxControl*>(parent)) {
    if (control->CanFocus() && control->HandleAllocated()) control->SetFocus();
  } else if (parent->CanFocus()) {
    parent->SetFocus();
  }
}

void TcxControlScrollBar::WndProc(ui::TMessage& Message) {
  if (Message.Msg == win::WM_LBUTTONDOWN) {
    core::TcxObjectLink* link = core::cxAddObjectLink(this);
    rtl::ScopeExit release([link] { core::cxRemoveObjectLink(link); });
    FocusParent();
    if (!link->Ref) return;
  }
  TcxScrollBar::WndProc(Message);
}

void TcxControlScrollBar::Dispatch(void* message) {
  auto& m = *static_cast<ui::TMessage*>(message);
  if (m.Msg == ui::CM_DESIGNHITTEST || m.Msg == ui::CM_HINTSHOW) {
    m.Result = 1;
    return;
  }
  TcxScrollBar::Dispatch(message);
}

void TcxControlScrollBar::DoPaint(core::TcxCanvas* ACanvas) {
  if (auto* locked = dynamic_cast<IcxLockedStatePaint*>(Parent())) {
    if (core::TcxBitmap* image = locked->GetImage()) {
      TPoint offset{Left(), Top()};
      if (locked->GetTopmostControl() != Parent())
        offset = locked->GetTopmostControl()->ScreenToClient(ClientToScreen(TPoint{0, 0}));
      ACanvas->CopyRect(TRect{0, 0, Width(), Height()}, image->Canvas(),
                        TRect{offset.x, offset.y, offset.x + Width(), offset.y + Height()});
      return;
    }
  }
  TcxScrollBar::DoPaint(ACanvas);
}

// ---- painted bar ----------------------------------------------------------------------------

TcxControlScrollBarHelper::TcxControlScrollBarHelper(IcxScrollBarOwner* AOwner) : TcxScrollBarHelper(AOwner) {
  FData = std::make_unique<TcxScrollBarData>();
}

TcxControlScrollBarHelper::~TcxControlScrollBarHelper() = default;

void TcxControlScrollBarHelper::ApplyData() {
  if (FData->FVisible && FData->FIsValid) {
    TcxScrollBarHelper::SetScrollParams(FData->FMin, FData->FMax, FData->FPosition, FData->FPageSize, Visible());
    SetSmallChange(FData->FSmallChange);
    SetLargeChange(FData->FLargeChange);
  }
  TcxScrollBarHelper::SetEnabled(FData->FEnabled);
  TcxScrollBarHelper::SetVisible(FData->FVisible);
}

void TcxControlScrollBarHelper::SetWidth(int AValue) {
  TRect r = BoundsRect();
  r.right = r.left + AValue;
  TcxScrollBarHelper::SetBoundsRect(r);
}

void TcxControlScrollBarHelper::SetHeight(int AValue) {
  TRect r = BoundsRect();
  r.bottom = r.top + AValue;
  TcxScrollBarHelper::SetBoundsRect(r);
}

void TcxControlScrollBarHelper::Repaint() {
  ui::TWinControl* control = Owner()->GetControl();
  if (auto* locked = dynamic_cast<IcxLockedStatePaint*>(control))
    if (locked->GetImage()) return;
  if (IsNonClient()) {
    TcxScrollBarHelper::Repaint();
    return;
  }
  if (!HandleAllocated()) return;
  // Drawn at once into the host's window, so a drag shows without waiting
  // for the next paint.
  gdi::HDC dc = win::GetDC(Handle());
  rtl::ScopeExit release([&] { win::ReleaseDC(Handle(), dc); });
  Paint(dc);
}

// ---- grips ----------------------------------------------------------------------------------

TcxSizeGrip::TcxSizeGrip(rtl::TComponent* AOwner) : ui::TCustomControl(AOwner) {
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent::bind<&TcxSizeGrip::LookAndFeelChanged>(this));
  SetColor(ui::clBtnFace);
  ui::TControlStyle style = ControlStyle();
  style.Include(ui::TControlStyleItem::csNoDesignVisible);
  SetControlStyle(style);
}

TcxSizeGrip::~TcxSizeGrip() = default;

void TcxSizeGrip::Dispatch(void* message) {
  auto& m = *static_cast<ui::TMessage*>(message);
  if (m.Msg == win::WM_ERASEBKGND) {
    m.Result = 1;
    return;
  }
  ui::TCustomControl::Dispatch(message);
}

void TcxSizeGrip::Paint() {
  if (auto* locked = dynamic_cast<IcxLockedStatePaint*>(Parent())) {
    if (core::TcxBitmap* image = locked->GetImage()) {
      Canvas()->CopyRect(ClientRect(), image->Canvas(),
                         TRect{Left(), Top(), Left() + Width(), Top() + Height()});
      return;
    }
  }
  Draw(Canvas());
}

void TcxSizeGrip::Draw(ui::TCanvas* ACanvas) {
  ACanvas->Brush()->SetColor(FLookAndFeel->Painter()->DefaultSizeGripAreaColor());
  ACanvas->FillRect(ClientRect());
}

void TcxSizeGripHelper::Paint(core::TcxCanvas* ACanvas) {
  ACanvas->FillRect(FBoundsRect, FOwner->GetLookAndFeel()->Painter()->DefaultSizeGripAreaColor());
}

void TcxSizeGripHelper::Repaint() {
  ui::TWinControl* control = FOwner->GetControl();
  if (!control || !control->HandleAllocated()) return;
  win::InvalidateRect(control->Handle(), &FBoundsRect, false);
}

// ---- scroll-bar sets --------------------------------------------------------------------------

TcxControlCustomScrollBars::~TcxControlCustomScrollBars() = default;

void TcxControlCustomScrollBars::CreateScrollBars() {
  FHScrollBar = CreateScrollBar(TScrollBarKind::sbHorizontal);
  FVScrollBar = CreateScrollBar(TScrollBarKind::sbVertical);
  FSizeGrip = CreateSizeGrip();
}

void TcxControlCustomScrollBars::DestroyScrollBars() {
  delete FSizeGrip;
  delete FVScrollBar;
  delete FHScrollBar;
  FSizeGrip = FVScrollBar = FHScrollBar = nullptr;
}

IcxControlScrollBar* TcxControlCustomScrollBars::GetScrollBar(TScrollBarKind AKind) {
  return dynamic_cast<IcxControlScrollBar*>(AKind == TScrollBarKind::sbVertical ? FVScrollBar : FHScrollBar);
}

void TcxControlCustomScrollBars::ApplyData() {
  if (IcxControlScrollBar* h = GetScrollBar(TScrollBarKind::sbHorizontal)) h->ApplyData();
  if (IcxControlScrollBar* v = GetScrollBar(TScrollBarKind::sbVertical)) v->ApplyData();
}

bool TcxControlCustomScrollBars::IsScrollBarVisible(TScrollBarKind AKind) {
  IcxControlScrollBar* bar = GetScrollBar(AKind);
  if (!bar) return false;
  return FCalculating ? bar->GetData()->FVisible : bar->GetVisible();
}

void TcxControlCustomScrollBars::DoScroll(rtl::TObject* Sender, TScrollCode AScrollCode, int& AScrollPos) {
  auto* bar = dynamic_cast<IcxControlScrollBar*>(Sender);
  if (bar) FOwner->Scroll(bar->GetKind(), AScrollCode, AScrollPos);
}

bool TcxControlCustomScrollBars::CheckSize(TScrollBarKind AKind) {
  IcxControlScrollBar* bar = GetScrollBar(AKind);
  if (!bar) return false;
  const TSize system = GetScrollBarSize();
  if (AKind == TScrollBarKind::sbVertical) {
    if (bar->GetWidth() == system.cx) return false;
    bar->SetWidth(system.cx);
  } else {
    if (bar->GetHeight() == system.cy) return false;
    bar->SetHeight(system.cy);
  }
  return true;
}

// painted set

ui::TWinControl* TcxControlScrollBars::GetControl() { return FOwner; }
TcxLookAndFeel* TcxControlScrollBars::GetLookAndFeel() { return FOwner->LookAndFeel(); }

rtl::TObject* TcxControlScrollBars::CreateScrollBar(TScrollBarKind AKind) {
  auto* bar = new TcxControlScrollBarHelper(this);
  bar->SetKind(AKind);
  bar->SetIsNonClient(false);
  bar->SetOnScroll(TScrollEvent::bind<&TcxControlScrollBars::DoScroll>(this));
  const TSize size = GetScrollBarSize();
  if (AKind == TScrollBarKind::sbVertical) bar->SetWidth(size.cx);
  else bar->SetHeight(size.cy);
  FOwner->ScrollBarsManager()->RegisterScrollBar(bar);
  return bar;
}

rtl::TObject* TcxControlScrollBars::CreateSizeGrip() { return new TcxSizeGripHelper(this); }

void TcxControlScrollBars::DestroyScrollBars() {
  if (TcxControlScrollBarsManager* manager = FOwner->ScrollBarsManager()) {
    manager->UnRegisterScrollBar(static_cast<TcxControlScrollBarHelper*>(FHScrollBar));
    manager->UnRegisterScrollBar(static_cast<TcxControlScrollBarHelper*>(FVScrollBar));
  }
  TcxControlCustomScrollBars::DestroyScrollBars();
}

bool TcxControlScrollBars::CheckSize(TScrollBarKind AKind) {
  if (!TcxControlCustomScrollBars::CheckSize(AKind)) return false;
  static_cast<TcxControlScrollBarHelper*>(AKind == TScrollBarKind::sbVertical ? FVScrollBar : FHScrollBar)
      ->Calculate();
  return true;
}

void TcxControlScrollBars::CheckSizeGripVisible(bool AValue) { SizeGrip()->FVisible = AValue; }

bool TcxControlScrollBars::IsSizeGripArea(const TPoint& APoint) {
  return SizeGrip() && SizeGrip()->FVisible && scrollBarContains(SizeGrip()->FBoundsRect, APoint);
}

void TcxControlScrollBars::SetInternalControlsBounds() {
  auto* h = static_cast<TcxControlScrollBarHelper*>(FHScrollBar);
  auto* v = static_cast<TcxControlScrollBarHelper*>(FVScrollBar);
  if (h->Visible()) {
    h->SetBoundsRect(FOwner->GetHScrollBarBounds());
    h->Calculate();
  }
  if (v->Visible()) {
    v->SetBoundsRect(FOwner->GetVScrollBarBounds());
    v->Calculate();
  }
  if (SizeGrip()->FVisible) SizeGrip()->FBoundsRect = FOwner->GetSizeGripBounds();
}

void TcxControlScrollBars::Invalidate() {
  for (rtl::TObject* o : {FHScrollBar, FVScrollBar}) {
    auto* bar = static_cast<TcxControlScrollBarHelper*>(o);
    if (bar->Visible()) bar->Invalidate();
  }
  if (SizeGrip()->FVisible) SizeGrip()->Repaint();
}

void TcxControlScrollBars::DrawSizeGrip(core::TcxCanvas* ACanvas) {
  TcxSizeGripHelper* grip = SizeGrip();
  if (!grip->FVisible || !ACanvas->RectVisible(grip->FBoundsRect)) return;
  grip->Paint(ACanvas);
  ACanvas->ExcludeClipRect(grip->FBoundsRect);
}

// windowed set

rtl::TObject* TcxControlWindowedScrollBars::CreateScrollBar(TScrollBarKind AKind) {
  auto* bar = new TcxControlScrollBar(nullptr);
  bar->TcxScrollBar::SetKind(AKind);
  bar->SetOnScroll(TScrollEvent::bind<&TcxControlWindowedScrollBars::DoScroll>(this));
  bar->LookAndFeel()->SetMasterLookAndFeel(FOwner->LookAndFeel());
  ui::TControlStyle style = bar->ControlStyle();
  style.Include(ui::csReplicatable);
  bar->SetControlStyle(style);
  const TSize size = GetScrollBarSize();
  if (AKind == TScrollBarKind::sbVertical) bar->TcxScrollBar::SetWidth(size.cx);
  else bar->TcxScrollBar::SetHeight(size.cy);
  return bar;
}

rtl::TObject* TcxControlWindowedScrollBars::CreateSizeGrip() {
  auto* grip = new TcxSizeGrip(nullptr);
  grip->LookAndFeel()->SetMasterLookAndFeel(FOwner->LookAndFeel());
  ui::TControlStyle style = grip->ControlStyle();
  style.Include(ui::csReplicatable);
  grip->SetControlStyle(style);
  grip->SetVisible(false);
  return grip;
}

void TcxControlWindowedScrollBars::DestroyScrollBars() {
  // While the owner goes, it frees its child controls itself (perhaps
  // already): the bars are only forgotten then.
  if (FParented && (FOwner->InDestructor() || FOwner->IsDestroying())) {
    FHScrollBar = FVScrollBar = FSizeGrip = nullptr;
    return;
  }
  TcxControlCustomScrollBars::DestroyScrollBars();
}

void TcxControlWindowedScrollBars::InitScrollBars() {
  FParented = true;
  for (rtl::TObject* o : {FHScrollBar, FVScrollBar, FSizeGrip}) {
    auto* control = static_cast<ui::TWinControl*>(o);
    control->SetParent(FOwner);
    control->HandleNeeded();
  }
}

bool TcxControlWindowedScrollBars::CheckSize(TScrollBarKind AKind) {
  return TcxControlCustomScrollBars::CheckSize(AKind);
}

void TcxControlWindowedScrollBars::CheckSizeGripVisible(bool AValue) { SizeGrip()->SetVisible(AValue); }

void TcxControlWindowedScrollBars::SetInternalControlsBounds() {
  auto* h = static_cast<TcxControlScrollBar*>(FHScrollBar);
  auto* v = static_cast<TcxControlScrollBar*>(FVScrollBar);
  if (h->Visible()) h->TcxScrollBar::SetBoundsRect(FOwner->GetHScrollBarBounds());
  if (v->Visible()) v->TcxScrollBar::SetBoundsRect(FOwner->GetVScrollBarBounds());
  if (SizeGrip()->Visible()) SizeGrip()->SetBoundsRect(FOwner->GetSizeGripBounds());
}

void TcxControlWindowedScrollBars::UpdateInternalControlsState() {}

void TcxControlWindowedScrollBars::BringInternalControlsToFront() {
  for (rtl::TObject* o : {FHScrollBar, FVScrollBar, FSizeGrip}) {
    auto* control = static_cast<ui::TWinControl*>(o);
    if (control->Visible() && control->HandleAllocated())
      win::SetWindowPos(control->Handle(), win::HWND_TOP, 0, 0, 0, 0,
                        win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOREDRAW | win::SWP_NOACTIVATE);
  }
}

void TcxControlWindowedScrollBars::Invalidate() {
  for (rtl::TObject* o : {FHScrollBar, FVScrollBar, FSizeGrip}) {
    auto* control = static_cast<ui::TWinControl*>(o);
    if (control->Visible()) control->Invalidate();
  }
}

bool TcxControlWindowedScrollBars::IsInternalControl(ui::TControl* AControl) {
  return AControl && (AControl == FHScrollBar || AControl == FVScrollBar || AControl == FSizeGrip);
}

// ---- the mouse router of painted bars -----------------------------------------------------------

TcxControlScrollBarsManager::~TcxControlScrollBarsManager() {
  EndMouseTracking(this);
  FCheckCaptureTimer.reset();
}

void TcxControlScrollBarsManager::UnRegisterScrollBar(TcxControlScrollBarHelper* AScrollBar) {
  if (FHotScrollBar == AScrollBar) SetHotScrollBar(nullptr);
  FScrollBars.erase(std::remove(FScrollBars.begin(), FScrollBars.end(), AScrollBar), FScrollBars.end());
}

bool TcxControlScrollBarsManager::IsScrollBarsArea(const TPoint& APoint) {
  for (TcxControlScrollBarHelper* bar : FScrollBars)
    if (bar->Visible() && scrollBarContains(bar->BoundsRect(), APoint)) return true;
  return false;
}

void TcxControlScrollBarsManager::Paint(core::TcxCanvas* ACanvas) {
  for (TcxControlScrollBarHelper* bar : FScrollBars) {
    if (!bar->Visible() || !ACanvas->RectVisible(bar->BoundsRect())) continue;
    bar->Paint(ACanvas);
    ACanvas->ExcludeClipRect(bar->BoundsRect());
  }
}

void TcxControlScrollBarsManager::SetHotScrollBar(TcxControlScrollBarHelper* AValue) {
  if (FHotScrollBar == AValue) return;
  if (FHotScrollBar) {
    FHotScrollBar->MouseLeave(nullptr);
    EndMouseTracking(this);
  }
  FHotScrollBar = AValue;
  if (FHotScrollBar) {
    FHotScrollBar->MouseEnter(nullptr);
    BeginMouseTracking(FOwner, FHotScrollBar->BoundsRect(), this);
  }
}

void TcxControlScrollBarsManager::SetIsCapture(bool AValue) {
  if (FIsCapture == AValue) return;
  FIsCapture = AValue;
  if (AValue) {
    if (FOwner->HandleAllocated()) win::SetCapture(FOwner->Handle());
  } else {
    FCheckCaptureTimer.reset();
    if (FOwner->HandleAllocated() && win::GetCapture() == FOwner->Handle()) win::ReleaseCapture();
  }
}

void TcxControlScrollBarsManager::CheckCaptureTimerHandler(rtl::TObject*) {
  if (win::GetAsyncKeyState(win::VK_LBUTTON) < 0) return;
  FCheckCaptureTimer->SetEnabled(false);
  if (FHotScrollBar) FHotScrollBar->CancelMode();
  SetIsCapture(false);
}

void TcxControlScrollBarsManager::MouseLeave() {
  if (FHotScrollBar) FHotScrollBar->CancelMode();
  if (FHotScrollBar) FHotScrollBar->MouseLeave(nullptr);
  FHotScrollBar = nullptr;
}

bool TcxControlScrollBarsManager::PtInCaller(const TPoint& APoint) {
  return FHotScrollBar && scrollBarContains(FHotScrollBar->BoundsRect(), APoint);
}

bool TcxControlScrollBarsManager::ProcessMouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  if (FOwner->IsSizeGripArea(TPoint{X, Y})) return true;
  if (!FHotScrollBar) return false;
  if (Button == ui::mbLeft && FHotScrollBar->Enabled()) {
    SetIsCapture(true);
    if (FOwner->CanFocusOnClick(X, Y)) {
      FOwner->FActivateType = TcxControlActivateType::atByMouseNonClientArea;
      rtl::ScopeExit reset([this] { FOwner->FActivateType = TcxControlActivateType::atOther; });
      FOwner->SetFocus();
    }
    if (FHotScrollBar) FHotScrollBar->MouseDown(Button, Shift, X, Y);
    else SetIsCapture(false);
  }
  return true;
}

bool TcxControlScrollBarsManager::ProcessMouseMove(ui::TShiftState Shift, int X, int Y) {
  if (!FIsCapture && FOwner->HandleAllocated() && win::GetCapture() == FOwner->Handle()) return false;
  if (!FIsCapture) {
    TcxControlScrollBarHelper* hot = nullptr;
    for (TcxControlScrollBarHelper* bar : FScrollBars)
      if (bar->Visible() && bar->Enabled() && scrollBarContains(bar->BoundsRect(), TPoint{X, Y})) hot = bar;
    SetHotScrollBar(hot);
  }
  if (FHotScrollBar) {
    FHotScrollBar->MouseMove(Shift, X, Y);
    return true;
  }
  return FOwner->IsSizeGripArea(TPoint{X, Y});
}

bool TcxControlScrollBarsManager::ProcessMouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  if (!FIsCapture) return false;
  rtl::ScopeExit release([this] { SetIsCapture(false); });
  if (FHotScrollBar) FHotScrollBar->MouseUp(Button, Shift, X, Y);
  return true;
}

bool TcxControlScrollBarsManager::HandleMessage(ui::TMessage& Message) {
  const TPoint p = FOwner->MessagePos(Message);
  const ui::TShiftState shift = ui::KeyDataToShiftState(0);
  switch (Message.Msg) {
    case win::WM_CREATE:
      if (FIsCapture) {
        FIsCapture = false;
        if (!win::GetCapture() && win::GetAsyncKeyState(win::VK_LBUTTON) < 0) SetIsCapture(true);
      }
      return false;
    case win::WM_DESTROY:
      if (FIsCapture) {
        FCheckCaptureTimer.reset(core::cxCreateTimer(
            rtl::TNotifyEvent::bind<&TcxControlScrollBarsManager::CheckCaptureTimerHandler>(this), 100));
      }
      return false;
    case win::WM_MOUSEMOVE: return ProcessMouseMove(shift, p.x, p.y);
    case win::WM_LBUTTONDOWN:
    case win::WM_LBUTTONDBLCLK: return ProcessMouseDown(ui::mbLeft, shift, p.x, p.y);
    case win::WM_RBUTTONDOWN:
    case win::WM_RBUTTONDBLCLK: return ProcessMouseDown(ui::mbRight, shift, p.x, p.y);
    case win::WM_MBUTTONDOWN:
    case win::WM_MBUTTONDBLCLK: return ProcessMouseDown(ui::mbMiddle, shift, p.x, p.y);
    case win::WM_LBUTTONUP: return ProcessMouseUp(ui::mbLeft, shift, p.x, p.y);
    case win::WM_RBUTTONUP: return ProcessMouseUp(ui::mbRight, shift, p.x, p.y);
    case win::WM_MBUTTONUP: return ProcessMouseUp(ui::mbMiddle, shift, p.x, p.y);
    case win::WM_CAPTURECHANGED:
      FIsCapture = false;
      if (FHotScrollBar) FHotScrollBar->CancelMode();
      return false;
    default: return false;
  }
}

// ---- the control side ---------------------------------------------------------------------------

IcxControlScrollBar* TcxControl::GetScrollBar(TScrollBarKind AKind) {
  return FMainScrollBars ? FMainScrollBars->GetScrollBar(AKind) : nullptr;
}

bool TcxControl::HScrollBarVisible() {
  return FMainScrollBars && FMainScrollBars->IsScrollBarVisible(TScrollBarKind::sbHorizontal);
}

bool TcxControl::VScrollBarVisible() {
  return FMainScrollBars && FMainScrollBars->IsScrollBarVisible(TScrollBarKind::sbVertical);
}

void TcxControl::SetScrollBars(TScrollStyle AValue) {
  if (FScrollBars == AValue) return;
  FScrollBars = AValue;
  BoundsChanged();
}

void TcxControl::SetScrollBarInfo(TScrollBarKind AScrollBarKind, int AMin, int AMax, int AStep, int APage,
                                  int APos, bool AAllowShow, bool AAllowHide) {
  IcxControlScrollBar* bar = GetScrollBar(AScrollBarKind);
  if (!bar) return;
  TcxScrollBarData* data = bar->GetData();
  data->FPageSize = APage;
  data->FMin = AMin;
  data->FMax = AMax;
  data->FSmallChange = short(AStep);
  data->FLargeChange = short(APage);
  data->FPosition = APos;
  data->Validate();
  const bool admitted = AScrollBarKind == TScrollBarKind::sbHorizontal
                            ? (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
                            : (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth);
  data->FAllowShow = AAllowShow && admitted;
  data->FAllowHide = AAllowHide;
  if (!data->FAllowShow) {
    data->FVisible = false;
  } else if (data->FIsValid) {
    data->FEnabled = true;
    data->FVisible = true;
  } else if (AAllowHide) {
    data->FVisible = false;
  } else {
    data->FEnabled = false;
    data->FVisible = true;
  }
}

void TcxControl::UpdateScrollBars() {
  if (!CanUpdateScrollBars() || !FMainScrollBars) return;
  if (FScrollBarsLockCount > 0) {
    FScrollBarsUpdateNeeded = true;
    return;
  }
  DoUpdateScrollBars();
}

void TcxControl::LockScrollBars() {
  if (FScrollBarsLockCount == 0) FScrollBarsUpdateNeeded = false;
  ++FScrollBarsLockCount;
}

void TcxControl::UnlockScrollBars() {
  if (FScrollBarsLockCount == 0) return;
  if (--FScrollBarsLockCount == 0 && FScrollBarsUpdateNeeded) UpdateScrollBars();
}

bool TcxControl::CalculateScrollBarsParams() {
  if (FMainScrollBars->FCalculating) return false;
  FMainScrollBars->FCalculating = true;
  rtl::ScopeExit done([this] { FMainScrollBars->FCalculating = false; });
  HScrollBar()->GetData()->FVisible = false;
  VScrollBar()->GetData()->FVisible = false;
  InitScrollBarsParametersCache();
  // Each bar's visibility changes the other's client size, so the passes
  // repeat until neither changes; a descendant whose answers keep flipping
  // would loop for ever, so the passes are capped and the last decision
  // stands.
  FLastScrollBarsPasses = 0;
  bool h = false, v = false;
  do {
    h = HScrollBarVisible();
    v = VScrollBarVisible();
    InitScrollBarsParameters();
    ++FLastScrollBarsPasses;
  } while ((h != HScrollBarVisible() || v != VScrollBarVisible()) && FLastScrollBarsPasses < kMaxScrollBarsPasses);
  CheckPixelScrollBars();
  return true;
}

void TcxControl::CheckPixelScrollBars() {
  TcxScrollBarData* h = HScrollBar()->GetData();
  TcxScrollBarData* v = VScrollBar()->GetData();
  auto mayHide = [](const TcxScrollBarData* d) { return d->FVisible && d->FEnabled && d->FAllowHide; };
  if (!mayHide(h) || !mayHide(v)) return;
  const int vWidth = VScrollBar()->GetWidth(), hHeight = HScrollBar()->GetHeight();
  const bool hHideable =
      IsPixelScrollBar(TScrollBarKind::sbHorizontal) && h->FPageSize + vWidth >= h->FMax - h->FMin + 1;
  const bool vHideable =
      IsPixelScrollBar(TScrollBarKind::sbVertical) && v->FPageSize + hHeight >= v->FMax - v->FMin + 1;
  if (!hHideable || !vHideable) return;
  SetScrollBarInfo(TScrollBarKind::sbHorizontal, h->FMin, h->FMax, h->FSmallChange, h->FPageSize + vWidth,
                   h->FPosition, h->FAllowShow, h->FAllowHide);
  SetScrollBarInfo(TScrollBarKind::sbVertical, v->FMin, v->FMax, v->FSmallChange, v->FPageSize + hHeight,
                   v->FPosition, v->FAllowShow, v->FAllowHide);
}

void TcxControl::DoUpdateScrollBars() {
  IcxControlScrollBar* hBar = HScrollBar();
  IcxControlScrollBar* vBar = VScrollBar();
  if (!hBar || !vBar) return;
  if (!FUpdatingScrollBars) {
    FInitialHScrollBarVisible = hBar->GetVisible();
    FInitialVScrollBarVisible = vBar->GetVisible();
  }
  const bool prevUpdating = FUpdatingScrollBars;
  FUpdatingScrollBars = true;
  rtl::ScopeExit restore([this, prevUpdating] {
    if (!prevUpdating) FIsInitialScrollBarsParams = false;
    FUpdatingScrollBars = prevUpdating;
  });
  const bool prevH = hBar->GetVisible(), prevV = vBar->GetVisible();
  if (!FIsInitialScrollBarsParams) {
    CalculateScrollBarsParams();
    FIsInitialScrollBarsParams = prevUpdating && hBar->GetData()->FVisible == FInitialHScrollBarVisible &&
                                 vBar->GetData()->FVisible == FInitialVScrollBarVisible;
    if (FIsInitialScrollBarsParams) {
      // Back where the outer update began: a bar that would vanish stays,
      // disabled, instead of flipping again.
      if (hBar->GetVisible() != FInitialHScrollBarVisible) {
        hBar->SetEnabled(false);
        hBar->SetVisible(true);
      }
      if (vBar->GetVisible() != FInitialVScrollBarVisible) {
        vBar->SetEnabled(false);
        vBar->SetVisible(true);
      }
    } else {
      FMainScrollBars->ApplyData();
    }
  }
  if (hBar->GetVisible() != prevH || vBar->GetVisible() != prevV) {
    BoundsChanged();
  } else {
    FMainScrollBars->CheckSizeGripVisible(IsSizeGripVisible());
    SetInternalControlsBounds();
    if (NeedsToBringInternalControlsToFront()) BringInternalControlsToFront();
  }
}

TRect TcxControl::GetHScrollBarBounds() {
  TRect r = ClientBounds();
  r.top = r.bottom;
  r.bottom = r.top + HScrollBar()->GetHeight();
  return r;
}

TRect TcxControl::GetVScrollBarBounds() {
  TRect r = ClientBounds();
  r.left = r.right;
  r.right = r.left + VScrollBar()->GetWidth();
  return r;
}

TRect TcxControl::GetSizeGripBounds() {
  const TRect h = GetHScrollBarBounds(), v = GetVScrollBarBounds();
  return TRect{v.left, h.top, v.right, h.bottom};
}

bool TcxControl::IsSizeGripVisible() { return HScrollBarVisible() && VScrollBarVisible(); }

bool TcxControl::IsSizeGripArea(const TPoint& APoint) {
  return FMainScrollBars && FMainScrollBars->IsSizeGripArea(APoint);
}

bool TcxControl::IsScrollBarsArea(const TPoint& APoint) {
  return FScrollBarsManager->IsScrollBarsArea(APoint) || IsSizeGripArea(APoint);
}

void TcxControl::DrawScrollBars(core::TcxCanvas* ACanvas) {
  FScrollBarsManager->Paint(ACanvas);
  if (FMainScrollBars) FMainScrollBars->DrawSizeGrip(ACanvas);
}

void TcxControl::SetInternalControlsBounds() {
  if (FMainScrollBars) FMainScrollBars->SetInternalControlsBounds();
}

void TcxControl::BringInternalControlsToFront() {
  if (FMainScrollBars) FMainScrollBars->BringInternalControlsToFront();
}

void TcxControl::UpdateInternalControlsState() {
  if (NeedsScrollBars() && FMainScrollBars) FMainScrollBars->UpdateInternalControlsState();
}

void TcxControl::InitScrollBars() {
  if (NeedsScrollBars() && FMainScrollBars) FMainScrollBars->InitScrollBars();
}

// ---- gesture panning ----------------------------------------------------------------------------

void TcxControl::GestureScroll(int ADeltaX, int ADeltaY) {
  if (auto* scrolling = dynamic_cast<IdxScrollingControl*>(this)) {
    TdxScrollHelper::GestureScroll(scrolling, ADeltaX, ADeltaY);
    return;
  }
  auto step = [&](TScrollBarKind kind, int delta, int& accumulated) {
    if (!IsScrollBarBasedGestureScroll(kind)) {
      ScrollContentByGesture(kind, delta);
      return;
    }
    IcxControlScrollBar* bar = GetScrollBar(kind);
    if (!bar) return;
    const bool usable = (bar->GetVisible() && bar->GetEnabled()) ||
                        (CanScrollContentByGestureWithoutScrollBars() && bar->GetData()->FIsValid);
    if (!usable) return;
    int sum = accumulated + delta;
    DoScrollBarBasedGestureScroll(kind, sum, ADeltaX, ADeltaY);
    accumulated = sum;
  };
  step(TScrollBarKind::sbHorizontal, ADeltaX, FGestureAccumulatedDelta.x);
  step(TScrollBarKind::sbVertical, ADeltaY, FGestureAccumulatedDelta.y);
}

void TcxControl::DoScrollBarBasedGestureScroll(TScrollBarKind AKind, int& AAccumulatedDelta, int ADeltaX,
                                               int ADeltaY) {
  IcxControlScrollBar* bar = GetScrollBar(AKind);
  int min, max, page, position;
  if (CanScrollContentByGestureWithoutScrollBars()) {
    const TcxScrollBarData* d = bar->GetData();
    min = d->FMin; max = d->FMax; page = d->FPageSize; position = d->FPosition;
  } else {
    min = bar->GetMin(); max = bar->GetMax(); page = bar->GetPageSize(); position = bar->GetPosition();
  }
  const int upper = max - min - page + 1;
  const TRect client = ClientBounds();
  const int clientSize =
      AKind == TScrollBarKind::sbHorizontal ? client.right - client.left : client.bottom - client.top;
  int scale = page == 0 ? 30 : std::min(30, clientSize / page);
  // A client smaller than one bar unit would give a scale of 0; one pixel
  // per unit keeps panning defined.
  scale = std::max(1, scale);
  const int units = AAccumulatedDelta / scale;
  if (units == 0) return;
  int newPos = position - units;
  AAccumulatedDelta %= scale;
  CheckOverpan(AKind, newPos, min, upper, ADeltaX, ADeltaY);
  newPos = std::clamp(newPos, min, std::max(min, upper));
  DoGestureScroll(AKind, newPos);
  Update();
}

// ---- the stateless scrolling rules -----------------------------------------------------------------

bool TdxScrollHelper::IsScrollDataValid(IdxScrollingControl* AControl) {
  return AControl->GetInstance()->HandleAllocated();
}

TSize TdxScrollHelper::GetClientSize(IdxScrollingControl* AControl) {
  const TRect r = AControl->GetInstance()->ClientBounds();
  return TSize{r.right - r.left, r.bottom - r.top};
}

void TdxScrollHelper::CheckLeftPos(IdxScrollingControl* AControl, int& AValue) {
  AValue = std::max(std::min(AValue, AControl->GetContentSizeValue().cx - GetClientSize(AControl).cx), 0);
}

void TdxScrollHelper::CheckTopPos(IdxScrollingControl* AControl, int& AValue) {
  AValue = std::max(std::min(AValue, AControl->GetContentSizeValue().cy - GetClientSize(AControl).cy), 0);
}

void TdxScrollHelper::SetLeftPos(IdxScrollingControl* AControl, int AValue) {
  CheckLeftPos(AControl, AValue);
  if (AValue == AControl->GetLeftPos()) return;
  AControl->SetLeftPosValue(AValue);
  if (IsScrollDataValid(AControl)) ScrollContent(AControl);
}

void TdxScrollHelper::SetTopPos(IdxScrollingControl* AControl, int AValue) {
  CheckTopPos(AControl, AValue);
  if (AValue == AControl->GetTopPos()) return;
  AControl->SetTopPosValue(AValue);
  if (IsScrollDataValid(AControl)) ScrollContent(AControl);
}

void TdxScrollHelper::SetPos(IdxScrollingControl* AControl, int X, int Y) {
  CheckLeftPos(AControl, X);
  CheckTopPos(AControl, Y);
  if (X == AControl->GetLeftPos() && Y == AControl->GetTopPos()) return;
  AControl->SetLeftPosValue(X);
  AControl->SetTopPosValue(Y);
  if (IsScrollDataValid(AControl)) ScrollContent(AControl);
}

void TdxScrollHelper::CheckPositions(IdxScrollingControl* AControl) {
  SetPos(AControl, AControl->GetLeftPos(), AControl->GetTopPos());
}

void TdxScrollHelper::ScrollContent(IdxScrollingControl* AControl) {
  TcxControl* instance = AControl->GetInstance();
  instance->UpdateScrollBars();
  CheckPositions(AControl);
  instance->Invalidate();
  instance->Update();
}

void TdxScrollHelper::InitScrollBarsParameters(IdxScrollingControl* AControl) {
  if (!IsScrollDataValid(AControl)) return;
  TcxControl* instance = AControl->GetInstance();
  const TSize content = AControl->GetContentSizeValue(), client = GetClientSize(AControl);
  instance->SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, content.cx - 1, 10, client.cx, AControl->GetLeftPos(),
                             true, true);
  instance->SetScrollBarInfo(TScrollBarKind::sbVertical, 0, content.cy - 1, 10, client.cy, AControl->GetTopPos(),
                             true, true);
}

void TdxScrollHelper::Scroll(IdxScrollingControl* AControl, TScrollBarKind AScrollBarKind, TScrollCode AScrollCode,
                             int& AScrollPos) {
  const bool horizontal = AScrollBarKind == TScrollBarKind::sbHorizontal;
  const TSize client = GetClientSize(AControl);
  int pos = horizontal ? AControl->GetLeftPos() : AControl->GetTopPos();
  switch (AScrollCode) {
    case ui::scLineUp: pos -= 10; break;
    case ui::scLineDown: pos += 10; break;
    case ui::scPageUp: pos -= horizontal ? client.cx : client.cy; break;
    case ui::scPageDown: pos += horizontal ? client.cx : client.cy; break;
    case ui::scTrack: pos = AScrollPos; break;
    default: break;
  }
  if (horizontal) SetLeftPos(AControl, pos);
  else SetTopPos(AControl, pos);
  AScrollPos = horizontal ? AControl->GetLeftPos() : AControl->GetTopPos();
}

void TdxScrollHelper::GestureScroll(IdxScrollingControl* AControl, int ADeltaX, int ADeltaY) {
  TcxControl* instance = AControl->GetInstance();
  auto takesPart = [instance](TScrollBarKind kind) {
    IcxControlScrollBar* bar = instance->GetScrollBar(kind);
    return bar && bar->GetVisible() && bar->GetEnabled();
  };
  const bool horizontal = takesPart(TScrollBarKind::sbHorizontal);
  const bool vertical = takesPart(TScrollBarKind::sbVertical);
  if (!horizontal) ADeltaX = 0;
  if (!vertical) ADeltaY = 0;
  const int newX = AControl->GetLeftPos() - ADeltaX, newY = AControl->GetTopPos() - ADeltaY;
  const TSize content = AControl->GetContentSizeValue(), client = GetClientSize(AControl);
  if (horizontal && ADeltaX != 0)
    instance->CheckOverpan(TScrollBarKind::sbHorizontal, newX, 0, content.cx - client.cx, ADeltaX, ADeltaY);
  if (vertical && ADeltaY != 0)
    instance->CheckOverpan(TScrollBarKind::sbVertical, newY, 0, content.cy - client.cy, ADeltaX, ADeltaY);
  SetPos(AControl, newX, newY);
}

// ---- the scrolling control ---------------------------------------------------------------------

TSize TcxScrollingControl::GetClientSize() {
  const TRect r = ClientBounds();
  return TSize{r.right - r.left, r.bottom - r.top};
}

void TcxScrollingControl::CheckLeftPos(int& AValue) {
  AValue = std::max(std::min(AValue, GetContentSize().cx - GetClientSize().cx), 0);
}

void TcxScrollingControl::CheckTopPos(int& AValue) {
  AValue = std::max(std::min(AValue, GetContentSize().cy - GetClientSize().cy), 0);
}

void TcxScrollingControl::SetLeftPos(int AValue) {
  CheckLeftPos(AValue);
  if (AValue == FLeftPos) return;
  FLeftPos = AValue;
  if (IsScrollDataValid()) ScrollPosChanged();
}

void TcxScrollingControl::SetTopPos(int AValue) {
  CheckTopPos(AValue);
  if (AValue == FTopPos) return;
  FTopPos = AValue;
  if (IsScrollDataValid()) ScrollPosChanged();
}

void TcxScrollingControl::CheckPositions() {
  SetLeftPos(FLeftPos);
  SetTopPos(FTopPos);
}

void TcxScrollingControl::LayoutChanged(TdxChangeType AType) {
  if (!HandleAllocated()) return;
  Calculate(AType);
  if (FAutoSize) AdjustSize();
  UpdateScrollBars();
  CheckPositions();
  Invalidate();
}

void TcxScrollingControl::SetAutoSize(bool Value) {
  if (!FAutoSizeModeSetting && Value != FAutoSize)
    FAutoSizeMode = Value ? TdxAutoSizeMode::asAutoSize : TdxAutoSizeMode::asNone;
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

void TcxScrollingControl::SetAutoSizeMode(TdxAutoSizeMode AValue) {
  if (FAutoSizeMode == AValue) return;
  FAutoSizeModeSetting = true;
  rtl::ScopeExit done([this] { FAutoSizeModeSetting = false; });
  FAutoSizeMode = AValue;
  if (FAutoSize && AValue != TdxAutoSizeMode::asNone) AdjustSize();
  else SetAutoSize(AValue != TdxAutoSizeMode::asNone);
}

void TcxScrollingControl::AdjustSize() {
  if (!FAutoSize || FAutoSizeMode == TdxAutoSizeMode::asNone || FAdjustingSize) return;
  FAdjustingSize = true;
  rtl::ScopeExit done([this] { FAdjustingSize = false; });
  const bool width = FAutoSizeMode == TdxAutoSizeMode::asAutoWidth || FAutoSizeMode == TdxAutoSizeMode::asAutoSize;
  const bool height = FAutoSizeMode == TdxAutoSizeMode::asAutoHeight || FAutoSizeMode == TdxAutoSizeMode::asAutoSize;
  // A new size may show or hide a scroll bar and so change the frame around
  // the client; a few rounds settle it.
  for (int round = 0; round < 3; ++round) {
    const TSize content = GetContentSize();
    const TRect client = ClientBounds();
    const int w = width ? content.cx + Width() - (client.right - client.left) : Width();
    const int h = height ? content.cy + Height() - (client.bottom - client.top) : Height();
    if (w == Width() && h == Height()) break;
    SetBounds(Left(), Top(), w, h);
  }
}

void TcxScrollingControl::ScrollPosChanged() {
  LayoutChanged(TdxChangeType::ctLight);
  Invalidate();
  Update();
}

void TcxScrollingControl::Resize() {
  TcxControl::Resize();
  LayoutChanged(TdxChangeType::ctHard);
}

void TcxScrollingControl::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  TcxControl::LookAndFeelChanged(Sender, AChangedValues);
  LayoutChanged(TdxChangeType::ctHard);
}

void TcxScrollingControl::InitScrollBarsParameters() {
  TcxControl::InitScrollBarsParameters();
  if (!IsScrollDataValid()) return;
  const TSize content = GetContentSize(), client = GetClientSize();
  SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, content.cx - 1, 10, client.cx, FLeftPos, true, true);
  SetScrollBarInfo(TScrollBarKind::sbVertical, 0, content.cy - 1, 10, client.cy, FTopPos, true, true);
}

void TcxScrollingControl::Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, int& AScrollPos) {
  const bool horizontal = AScrollBarKind == TScrollBarKind::sbHorizontal;
  const int page = horizontal ? GetClientSize().cx : GetClientSize().cy;
  int pos = horizontal ? FLeftPos : FTopPos;
  switch (AScrollCode) {
    case ui::scLineUp: pos -= 10; break;
    case ui::scLineDown: pos += 10; break;
    case ui::scPageUp: pos -= page; break;
    case ui::scPageDown: pos += page; break;
    case ui::scTrack: pos = AScrollPos; break;
    default: break;
  }
  if (horizontal) SetLeftPos(pos);
  else SetTopPos(pos);
  AScrollPos = horizontal ? FLeftPos : FTopPos;
}

void TcxScrollingControl::MakeVisible(const TRect& ARect, bool AFully) {
  const TRect client = ClientBounds();
  auto offsetFor = [AFully](int itemMin, int itemMax, int clientMin, int clientMax) {
    if (AFully) {
      if (itemMin < clientMin) return itemMin - clientMin;
      if (clientMax < itemMax) return itemMax - clientMax;
      return 0;
    }
    if (clientMax < itemMin) return itemMax - clientMax;
    if (itemMax < clientMin) return itemMin - clientMin;
    return 0;
  };
  const int dx = offsetFor(ARect.left, ARect.right, client.left, client.right);
  if (dx != 0) SetLeftPos(FLeftPos + dx);
  const int dy = offsetFor(ARect.top, ARect.bottom, client.top, client.bottom);
  if (dy != 0) SetTopPos(FTopPos + dy);
}

}  // namespace lookandfeel

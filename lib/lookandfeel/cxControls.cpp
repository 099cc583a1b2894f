// The base control: construction, the window procedure, the paint cycle and
// the message map; mouse, keyboard and wheel. Scroll bars and scrolling are
// in cxControls_scrollbars.cpp, the unit routines in cxControls_routines.cpp.
#include "lib/lookandfeel/cxControls.h"

#include <algorithm>
#include <cstdlib>

#include "lib/core/cxPaintTo.h"
#include "lib/core/dxCore.h"
#include "lib/core/dxWinHelpers.h"
#include "lib/lookandfeel/cxDragImages.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/forms.h"
#include "platform/win/win.h"

namespace lookandfeel {

namespace {

bool isMouseDownMessage(win::UINT msg) {
  return msg == win::WM_LBUTTONDOWN || msg == win::WM_RBUTTONDOWN || msg == win::WM_MBUTTONDOWN;
}

ui::TMouseButton buttonOf(win::UINT msg) {
  switch (msg) {
    case win::WM_RBUTTONDOWN: return ui::mbRight;
    case win::WM_MBUTTONDOWN: return ui::mbMiddle;
    default: return ui::mbLeft;
  }
}

// Holds an object link for the length of a handler, so that code after a
// call that may destroy the control can ask whether it still exists.
class ControlLink {
 public:
  explicit ControlLink(rtl::TObject* object) : link_(core::cxAddObjectLink(object)) {}
  ~ControlLink() { core::cxRemoveObjectLink(link_); }
  ControlLink(const ControlLink&) = delete;
  ControlLink& operator=(const ControlLink&) = delete;
  bool Alive() const { return link_ && link_->Ref != nullptr; }

 private:
  core::TcxObjectLink* link_;
};

}  // namespace

// ---- construction ---------------------------------------------------------------------------

TcxControl::TcxControl(rtl::TComponent* AOwner) : ui::TCustomControl(AOwner) {
  FCanvas = std::make_unique<core::TcxControlCanvas>(Canvas());
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent::bind<&TcxControl::LookAndFeelChangeHandler>(this));
  FScrollBarsManager = std::make_unique<TcxControlScrollBarsManager>(this);
  SetTabStop(true);
  FGestureHelper = std::make_unique<core::TdxGestureHelper>(this);
}

void TcxControl::AfterConstruction() {
  ui::TCustomControl::AfterConstruction();
  // Virtual answers of a descendant are known only now.
  CreateScrollBars();
  SetTabStop(MayFocus());
  // The drag image shows over the control its own drags start from.
  if (HasDragImages()) SetControlStyle(ControlStyle() + ui::TControlStyleItem::csDisplayDragImage);
}

TcxControl::~TcxControl() {
  FInDestructor = true;
  FDragAndDropObject.reset();
  FDragImages.reset();
  FGestureHelper.reset();
  DestroyScrollBars();
  FScrollBarsManager.reset();
  FFontListenerList.clear();
  FActiveCanvas.reset();
  FCanvas.reset();
  FLookAndFeel.reset();
  core::cxClearObjectLinks(this);
}

void TcxControl::CreateScrollBars() {
  if (!NeedsScrollBars() || FMainScrollBars) return;
  FMainScrollBars = CreateMainScrollBars();
  FMainScrollBars->Initialize();
  if (TdxSystemInfo* info = dxSystemInfo()) info->AddListener(this);
}

void TcxControl::DestroyScrollBars() {
  if (!FMainScrollBars) return;
  if (TdxSystemInfo* info = dxSystemInfo()) info->RemoveListener(this);
  FMainScrollBars->DestroyScrollBars();
  FMainScrollBars.reset();
}

void TcxControl::CheckNeedsScrollBars() {
  if (NeedsScrollBars()) {
    CreateScrollBars();
    if (HandleAllocated()) InitScrollBars();
  } else {
    DestroyScrollBars();
  }
}

std::unique_ptr<TcxControlCustomScrollBars> TcxControl::CreateMainScrollBars() {
  return std::make_unique<TcxControlWindowedScrollBars>(this);
}

void TcxControl::CreateParams(ui::TCreateParams& Params) {
  ui::TCustomControl::CreateParams(Params);
  Params.Style |= win::WS_CLIPCHILDREN;
}

void TcxControl::CreateWnd() {
  FCreatingWindow = true;
  rtl::ScopeExit done([this] { FCreatingWindow = false; });
  ui::TCustomControl::CreateWnd();
  CheckNeedsScrollBars();
  InitControl();
}

void TcxControl::DestroyWindowHandle() {
  ui::TCustomControl::DestroyWindowHandle();
  ui::TControlState state = ControlState();
  state.Exclude(ui::TControlStateItem::csClicked);
  SetControlState(state);
}

bool TcxControl::IsDesigning() const {
  return ComponentState().contains(rtl::TComponentStateItem::csDesigning);
}
bool TcxControl::IsDestroying() const {
  return ComponentState().contains(rtl::TComponentStateItem::csDestroying);
}
bool TcxControl::IsLoading() const { return ComponentState().contains(rtl::TComponentStateItem::csLoading); }

core::TcxCanvas* TcxControl::ActiveCanvas() {
  if (HandleAllocated()) {
    FActiveCanvas.reset();
    return FCanvas.get();
  }
  if (!FActiveCanvas) FActiveCanvas = std::make_unique<core::TcxScreenCanvas>();
  return FActiveCanvas.get();
}

void TcxControl::LookAndFeelChangeHandler(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  if (IsDestroying() || FInDestructor) return;
  LookAndFeelChanged(Sender, AChangedValues);
}

// ---- geometry -------------------------------------------------------------------------------

void TcxControl::SetBorderStyle(TcxControlBorderStyle AValue) {
  if (FBorderStyle == AValue) return;
  FBorderStyle = AValue;
  BoundsChanged();
}

int TcxControl::GetBorderSize() {
  return FBorderStyle == TcxControlBorderStyle::cxcbsDefault ? LookAndFeelPainter()->BorderSize() : 0;
}

TRect TcxControl::GetBounds() {
  if (FBounds.right > FBounds.left && FBounds.bottom > FBounds.top) return FBounds;
  if (HandleAllocated()) return ClientRect();
  return TRect{0, 0, Width(), Height()};
}

TRect TcxControl::GetClientBounds() {
  TRect r = Bounds();
  const int border = BorderSize();
  r.left += border; r.top += border; r.right -= border; r.bottom -= border;
  if (HScrollBarVisible()) r.bottom -= HScrollBar()->GetHeight();
  if (VScrollBarVisible()) r.right -= VScrollBar()->GetWidth();
  return r;
}

void TcxControl::Resize() {
  ui::TCustomControl::Resize();
  BoundsChanged();
}

void TcxControl::BoundsChanged() {
  UpdateScrollBars();
  if (NeedRedrawOnResize()) Invalidate();
}

// ---- focus, hint, popup menu, fonts --------------------------------------------------------

void TcxControl::FocusChanged() {
  if (FOnFocusChanged) FOnFocusChanged(this);
}

void TcxControl::FontChanged() {
  if (auto* listener = dynamic_cast<IcxLockedStateFontChanged*>(this)) listener->FontChanged(Font());
  const std::vector<IcxFontListener*> listeners = FFontListenerList;
  for (IcxFontListener* l : listeners) l->Changed(this, Font());
  Invalidate();
}

void TcxControl::RemoveFontListener(IcxFontListener* AListener) {
  FFontListenerList.erase(std::remove(FFontListenerList.begin(), FFontListenerList.end(), AListener),
                          FFontListenerList.end());
}

void TcxControl::SetHintText(const String& AValue) {
  FOriginalHint = AValue;
  SetHint(AValue);
}

void TcxControl::UpdateStatusHint(const TPoint& APoint) { SetHint(GetStatusHint(APoint)); }

void TcxControl::SetPopupMenu(rtl::TComponent* AValue) {
  if (!IsPopupMenu(AValue)) AValue = nullptr;
  if (FPopupMenu == AValue) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = AValue;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TcxControl::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  ui::TCustomControl::Notification(AComponent, Operation);
  if (Operation == rtl::TOperation::opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TcxControl::SetParentBackground(bool AValue) {
  const bool changed = ParentBackground() != AValue;
  ui::TCustomControl::SetParentBackground(AValue);
  if (changed) ParentBackgroundChanged();
}

bool TcxControl::CanFocusOnClick() {
  return !IsDesigning() && FFocusOnClick && MayFocus() && CanFocus() && HandleAllocated() &&
         win::IsWindowVisible(Handle());
}

bool TcxControl::CanFocusEx() {
  if (!CanFocus()) return false;
  ui::TCustomForm* form = ui::GetParentForm(this);
  return !form || (form->CanFocus() && form->Enabled() && form->Visible());
}

bool TcxControl::IsTransparentBackground() {
  // The platform's style services are never enabled on this system.
  return false;
}

bool TcxControl::IsInternalControl(ui::TControl* AControl) {
  return FMainScrollBars && FMainScrollBars->IsInternalControl(AControl);
}

void TcxControl::SystemInfoChanged(win::UINT) {
  if (HandleAllocated()) win::SendNotifyMessageW(Handle(), CM_NCSIZECHANGED, 0, 0);
}

ui::TCursor TcxControl::GetCurrentCursor(int X, int Y) {
  if (IsScrollBarsArea(TPoint{X, Y})) return ui::crArrow;
  if (IsDesigning()) return ui::crDefault;
  return Cursor();
}

TPoint TcxControl::GetMouseCursorClientPos() { return ui::TControl::ScreenToClient(core::GetMouseCursorPos()); }

// ---- painting -------------------------------------------------------------------------------

void TcxControl::InvalidateRect(const TRect& R, bool EraseBackground) {
  if (HandleAllocated()) win::InvalidateRect(Handle(), &R, EraseBackground);
}

void TcxControl::InvalidateRgn(gdi::HRGN ARegion, bool EraseBackground) {
  if (!HandleAllocated() || !ARegion) return;
  win::RECT box{};
  if (gdi::GetRgnBox(ARegion, &box) == gdi::NULLREGION) return;
  win::InvalidateRgn(Handle(), ARegion, EraseBackground);
}

void TcxControl::InvalidateWithChildren() {
  if (HandleAllocated())
    win::RedrawWindow(Handle(), nullptr, nullptr, win::RDW_INVALIDATE | win::RDW_ALLCHILDREN);
}

void TcxControl::UpdateWithChildren() {
  if (HandleAllocated())
    win::RedrawWindow(Handle(), nullptr, nullptr, win::RDW_UPDATENOW | win::RDW_ALLCHILDREN);
}

void TcxControl::ScrollWindow(int DX, int DY, const TRect& AScrollRect) {
  if (!HandleAllocated()) return;
  win::ScrollWindowEx(Handle(), DX, DY, &AScrollRect, nullptr, nullptr, nullptr,
                      win::SW_INVALIDATE | win::SW_ERASE);
}

void TcxControl::InvalidateControl(ui::TWinControl* AControl, bool ANeedInvalidateSelf,
                                   bool ANeedInvalidateChildren) {
  if (!AControl->HandleAllocated()) return;
  if (AControl->Parent()) AControl->Parent()->Perform(ui::CM_INVALIDATE, 1, 0);
  if (!ANeedInvalidateSelf) return;
  win::InvalidateRect(AControl->Handle(), nullptr, !AControl->ControlStyle().contains(ui::csOpaque));
  if (!ANeedInvalidateChildren) return;
  for (int i = 0; i < AControl->ControlCount(); ++i) {
    ui::TControl* child = AControl->Controls(i);
    bool needs = false;
    if (auto* transparent = dynamic_cast<IcxTransparentControl*>(child))
      needs = transparent->IsTransparentRegionsPresent();
    else if (dynamic_cast<ui::TWinControl*>(child))
      needs = !child->ControlStyle().contains(ui::csOpaque) || child->ControlStyle().contains(ui::csParentBackground);
    if (needs) child->Invalidate();
  }
}

void TcxControl::PostMouseMove(const TPoint& AMousePos) {
  if (!HandleAllocated() || win::GetCapture()) return;
  win::PostMessageW(Handle(), win::WM_MOUSEMOVE, 0, win::MAKELPARAM(AMousePos.x, AMousePos.y));
}

void TcxControl::PostMouseMove() { PostMouseMove(GetMouseCursorClientPos()); }

bool TcxControl::IsDoubleBufferedNeeded() { return DoubleBuffered() || core::IsWinSevenOrLater; }

void TcxControl::WMPaint(ui::TMessage& Message) {
  if (Message.WParam || !IsDoubleBufferedNeeded()) StandardPaintHandler(Message);
  else dxBufferedPaintControl(this);
}

void TcxControl::StandardPaintHandler(ui::TMessage& Message) {
  core::TcxRegion region;
  win::PAINTSTRUCT ps;
  gdi::HDC dc = reinterpret_cast<gdi::HDC>(Message.WParam);
  const bool own = dc == nullptr;
  if (own) {
    const bool hasClip = dxGetUpdateRgn(this, region.Handle());
    dc = win::BeginPaint(Handle(), &ps);
    if (hasClip) gdi::ExtSelectClipRgn(dc, region.Handle(), gdi::RGN_AND);
  }
  rtl::ScopeExit endPaint([&] {
    if (own && HandleAllocated()) win::EndPaint(Handle(), &ps);
  });
  if (!dc) return;
  std::vector<ui::TControl*> graphicChildren;
  for (int i = 0; i < ControlCount(); ++i)
    if (!dynamic_cast<ui::TWinControl*>(Controls(i))) graphicChildren.push_back(Controls(i));
  if (graphicChildren.empty()) {
    PaintWindow(dc);
  } else {
    const int saved = gdi::SaveDC(dc);
    rtl::ScopeExit restore([&] { gdi::RestoreDC(dc, saved); });
    bool covered = false;
    for (ui::TControl* child : graphicChildren) {
      const bool shown = child->Visible();
      if (!child->ControlStyle().contains(ui::csOpaque) || !shown) continue;
      const TRect r = child->BoundsRect();
      if (gdi::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom) == gdi::NULLREGION) {
        covered = true;
        break;
      }
    }
    if (!covered) PaintWindow(dc);
  }
  PaintControls(dc, nullptr);
}

void TcxControl::PaintWindow(win::HDC DC) {
  if (IsLoading()) return;
  ui::TCustomControl::PaintWindow(DC);
}

void TcxControl::Paint() {
  if (IsLoading()) return;
  if (auto* locked = dynamic_cast<IcxLockedStatePaint*>(this)) {
    if (core::TcxBitmap* image = locked->GetImage()) {
      const TRect client = ClientRect();
      if (locked->GetTopmostControl() == this) {
        Canvas()->StretchDraw(client, image);
      } else {
        ui::TWinControl* top = locked->GetTopmostControl();
        const TPoint origin = top->ScreenToClient(ClientToScreen(TPoint{0, 0}));
        Canvas()->CopyRect(client, image->Canvas(),
                           TRect{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
      }
      return;
    }
  }
  FCanvas->BeginPaint();
  rtl::ScopeExit end([this] { FCanvas->EndPaint(); });
  DoPaint();
}

void TcxControl::DoPaint() {
  DrawScrollBars(FCanvas.get());
  if (FBorderStyle == TcxControlBorderStyle::cxcbsDefault) {
    DrawBorder(FCanvas.get());
    TRect r = Bounds();
    const int border = BorderSize();
    r.left += border; r.top += border; r.right -= border; r.bottom -= border;
    FCanvas->IntersectClipRect(r);
  }
  SetPaintRegion();
  UpdateInternalControlsState();
}

void TcxControl::DrawBorder(core::TcxCanvas* ACanvas) { LookAndFeelPainter()->DrawBorder(ACanvas, Bounds()); }

void TcxControl::SetPaintRegion() { FCanvas->IntersectClipRect(ClientBounds()); }

void TcxControl::WMEraseBkgnd(ui::TMessage& Message) {
  const bool toMemory = cxIsDrawToMemory(Message);
  if (toMemory || HasBackground()) {
    if (toMemory || !IsDoubleBufferedNeeded()) EraseBackground(reinterpret_cast<gdi::HDC>(Message.WParam));
    Message.Result = 1;
  } else {
    Message.Result = 0;
  }
}

void TcxControl::EraseBackground(gdi::HDC DC) {
  if (IsLoading()) return;
  core::TcxPaintCanvas* canvas = core::cxPaintCanvas();
  canvas->BeginPaint(DC);
  rtl::ScopeExit end([canvas] { canvas->EndPaint(); });
  EraseBackground(canvas, ClientRect());
}

void TcxControl::EraseBackground(core::TcxCanvas* ACanvas, const TRect& ARect) {
  if (IsTransparentBackground()) {
    core::cxDrawTransparentControlBackground(this, ACanvas, ARect);
    return;
  }
  ACanvas->Brush()->Assign(Brush());
  ACanvas->Canvas()->FillRect(ARect);
}

void TcxControl::WMNCPaint(ui::TMessage& Message) {
  ui::TCustomControl::Dispatch(&Message);
  if (!HasNonClientArea() || !HandleAllocated()) return;
  win::DWORD flags = win::DCX_WINDOW | win::DCX_CACHE | win::DCX_CLIPSIBLINGS | win::DCX_VALIDATE;
  gdi::HRGN region = nullptr;
  if (Message.WParam != 1 && Message.WParam != 0) {
    // A copy: the context takes the region it is given.
    region = gdi::CreateRectRgn(0, 0, 0, 0);
    gdi::CombineRgn(region, reinterpret_cast<gdi::HRGN>(Message.WParam), nullptr, gdi::RGN_COPY);
    flags |= win::DCX_INTERSECTRGN;
  }
  gdi::HDC dc = win::GetDCEx(Handle(), region, flags);
  rtl::ScopeExit release([&] { win::ReleaseDC(Handle(), dc); });
  DoNCPaint(dc);
  Message.Result = 0;
}

void TcxControl::DoNCPaint(gdi::HDC AWindowDC) {
  const int saved = gdi::SaveDC(AWindowDC);
  rtl::ScopeExit restore([&] { gdi::RestoreDC(AWindowDC, saved); });
  const TPoint offset = core::cxGetClientOffset(Handle());
  const TRect client = ClientRect();
  const TRect inner{client.left + offset.x, client.top + offset.y, client.right + offset.x, client.bottom + offset.y};
  gdi::ExcludeClipRect(AWindowDC, inner.left, inner.top, inner.right, inner.bottom);
  const TRect widths = GetClientOffsets();
  gdi::IntersectClipRect(AWindowDC, inner.left - widths.left, inner.top - widths.top, inner.right + widths.right,
                         inner.bottom + widths.bottom);
  const TRect window = core::cxGetWindowBounds(Handle());
  core::TcxBitmap bitmap(window.right - window.left, window.bottom - window.top, ui::pf32bit);
  PaintNonClientArea(bitmap.cxCanvas());
  gdi::BitBlt(AWindowDC, 0, 0, bitmap.Width(), bitmap.Height(), bitmap.Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
}

void TcxControl::CMNCSizeChanged(ui::TMessage&) {
  if (!NeedsScrollBars() || !FMainScrollBars) return;
  bool changed = false;
  const TScrollStyle which = GetSystemSizeScrollBars();
  if (which == TScrollStyle::ssHorizontal || which == TScrollStyle::ssBoth)
    changed = FMainScrollBars->CheckSize(TScrollBarKind::sbHorizontal) || changed;
  if (which == TScrollStyle::ssVertical || which == TScrollStyle::ssBoth)
    changed = FMainScrollBars->CheckSize(TScrollBarKind::sbVertical) || changed;
  if (changed) BoundsChanged();
}

// ---- the window procedure -------------------------------------------------------------------

TPoint TcxControl::MessagePos(const ui::TMessage& Message) {
  // Messages hold 16-bit coordinates: a control larger than that reads the
  // cursor instead.
  if (Width() > 32768 || Height() > 32768) return GetMouseCursorClientPos();
  return TPoint{win::GET_X_LPARAM(Message.LParam), win::GET_Y_LPARAM(Message.LParam)};
}

void TcxControl::WndProc(ui::TMessage& Message) {
  if (CanProcessScrollEvents(Message)) {
    if (IsGestureHelperMessage(Message)) return;
    if (FScrollBarsManager && FScrollBarsManager->HandleMessage(Message)) return;
  }
  ControlLink link(this);
  const win::UINT msg = Message.Msg;
  struct After {
    TcxControl* self;
    ControlLink& link;
    ui::TMessage& message;
    win::UINT msg;
    ~After() {
      if (link.Alive() && !self->IsDestroying()) self->AfterProcessing(message, msg);
    }
  } after{this, link, Message, msg};
  if ((msg == win::WM_LBUTTONDOWN || msg == win::WM_LBUTTONDBLCLK) &&
      ((IsDesigning() && GetDesignHitTest(MessagePos(Message).x, MessagePos(Message).y, {ui::ssLeft})) ||
       (!IsDesigning() && DragMode() == ui::dmAutomatic))) {
    // Past the inherited procedure, whose automatic drag start would run
    // before ours.
    ui::TControlState state = ControlState();
    SetControlState(state + ui::TControlStateItem::csLButtonDown);
    Dispatch(&Message);
    if (link.Alive()) {
      state = ControlState();
      state.Exclude(ui::TControlStateItem::csLButtonDown);
      SetControlState(state);
    }
    return;
  }
  if (msg == win::WM_KEYDOWN || msg == win::WM_SYSKEYDOWN || msg == win::WM_KEYUP) {
    // The window system hands keys straight to the focused window: the
    // control's CN_ handlers get the first look (popup-menu short-cuts, the
    // drag object), as the class library's key preprocessing would give
    // them, and a key they take goes no further.
    Message.Result = Perform(ui::CN_BASE + msg, Message.WParam, Message.LParam);
    if (Message.Result != 0 || !link.Alive()) return;
  }
  if (msg == win::WM_RBUTTONUP) FMouseRightButtonReleased = true;
  const bool releasing = msg == win::WM_LBUTTONUP;
  if (releasing) FReleasingCaptureOnMouseUp = true;
  rtl::ScopeExit released([&] {
    if (releasing && link.Alive()) FReleasingCaptureOnMouseUp = false;
  });
  ui::TCustomControl::WndProc(Message);
}

void TcxControl::AfterProcessing(ui::TMessage& Message, win::UINT AMsg) {
  switch (AMsg) {
    case win::WM_SETFOCUS:
      FocusEnter();
      FocusChanged();
      break;
    case win::WM_KILLFOCUS:
      FocusLeave();
      FocusChanged();
      break;
    case win::WM_RBUTTONUP: FMouseRightButtonReleased = false; break;
    default:
      if (isMouseDownMessage(AMsg)) {
        const TPoint p = MessagePos(Message);
        AfterMouseDown(buttonOf(AMsg), p.x, p.y);
      }
  }
}

void TcxControl::Dispatch(void* message) {
  auto& m = *static_cast<ui::TMessage*>(message);
  switch (m.Msg) {
    case win::WM_PAINT: WMPaint(m); return;
    case win::WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case win::WM_NCCALCSIZE:
      ui::TCustomControl::Dispatch(message);
      if (HandleAllocated()) win::PostMessageW(Handle(), CM_NCSIZECHANGED, 0, 0);
      return;
    case win::WM_NCPAINT: WMNCPaint(m); return;
    case win::WM_PRINT:
      ui::TCustomControl::Dispatch(message);
      if ((m.LParam & win::PRF_NONCLIENT) && HasNonClientArea()) DoNCPaint(reinterpret_cast<gdi::HDC>(m.WParam));
      return;
    case win::WM_SETCURSOR: WMSetCursor(m); return;
    case win::WM_CONTEXTMENU: WMContextMenu(m); return;
    case win::WM_GETDLGCODE: WMGetDlgCode(m); return;
    case win::WM_CANCELMODE:
      ui::TCustomControl::Dispatch(message);
      FinishDragAndDrop(false);
      DoCancelMode();
      return;
    case ui::CM_COLORCHANGED:
      ColorChanged();
      ui::TCustomControl::Dispatch(message);
      return;
    case ui::CM_CURSORCHANGED:
      CursorChanged();
      ui::TCustomControl::Dispatch(message);
      return;
    case ui::CM_FONTCHANGED:
      ui::TCustomControl::Dispatch(message);
      FontChanged();
      return;
    case ui::CM_TEXTCHANGED:
      ui::TCustomControl::Dispatch(message);
      TextChanged();
      return;
    case ui::CM_VISIBLECHANGED:
      ui::TCustomControl::Dispatch(message);
      VisibleChanged();
      return;
    case ui::CM_INVALIDATE:
      if (HandleAllocated() && !IsDestroying()) InvalidateControl(this, m.WParam == 0, NeedRedrawOnResize());
      return;
    case ui::CM_DESIGNHITTEST:
      ui::TCustomControl::Dispatch(message);
      if (m.Result == 0) {
        const TPoint p = MessagePos(m);
        m.Result = GetDesignHitTest(p.x, p.y, ui::KeyboardStateToShiftState()) ? 1 : 0;
      }
      return;
    case ui::CM_MOUSEENTER:
      ui::TCustomControl::Dispatch(message);
      MouseEnter(m.LParam ? reinterpret_cast<ui::TControl*>(m.LParam) : this);
      return;
    case ui::CM_MOUSELEAVE:
      ui::TCustomControl::Dispatch(message);
      MouseLeave(m.LParam ? reinterpret_cast<ui::TControl*>(m.LParam) : this);
      return;
    case CM_NCSIZECHANGED: CMNCSizeChanged(m); return;
    case ui::CN_KEYDOWN: CNKeyDown(m); return;
    case ui::CN_KEYUP: CNKeyUp(m); return;
    case win::WM_CAPTURECHANGED: WMCaptureChanged(m); return;
    case ui::CN_SYSKEYDOWN:
      if (IsMenuKey(m)) {
        m.Result = 1;
        return;
      }
      ui::TCustomControl::Dispatch(message);
      return;
    default: ui::TCustomControl::Dispatch(message);
  }
}

void TcxControl::DefaultHandler(void* message) {
  if (TcxControlDefaultHandlerHelper::Process(*static_cast<ui::TMessage*>(message))) return;
  ui::TCustomControl::DefaultHandler(message);
}

bool TcxControlDefaultHandlerHelper::Process(ui::TMessage& Message) {
  if (Message.Msg != win::WM_KEYDOWN && Message.Msg != win::WM_SYSKEYDOWN) return false;
  return win::SendMessageW(ui::Application->Handle(), CM_APPDEFAULTKEYDOWN, Message.WParam, Message.LParam) != 0;
}

namespace {
IdxSpellCheckerPopupHook* spellCheckerPopupHook = nullptr;
}  // namespace

IdxSpellCheckerPopupHook* dxSpellCheckerPopupHook() { return spellCheckerPopupHook; }
void dxSetSpellCheckerPopupHook(IdxSpellCheckerPopupHook* AHook) { spellCheckerPopupHook = AHook; }

// ---- mouse and keyboard ---------------------------------------------------------------------

void TcxControl::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FMouseDownPos = TPoint{X, Y};
  ControlLink link(this);
  rtl::ScopeExit pressed([&] {
    if (link.Alive() && MouseCapture()) FMouseButtonPressed = true;
  });
  if (CanFocusOnClick(X, Y) && !Shift.contains(ui::ssDouble)) {
    const TRect before = BoundsRect();
    FActivateType = TcxControlActivateType::atByMouse;
    {
      rtl::ScopeExit reset([&] {
        if (link.Alive()) FActivateType = TcxControlActivateType::atOther;
      });
      SetFocus();
    }
    if (!link.Alive()) return;
    ui::TCustomForm* form = ui::GetParentForm(this);
    if (form && form->ActiveControl() == this && !Focused() && HandleAllocated()) win::SetFocus(Handle());
    if (!Focused() && !AllowDragAndDropWithoutFocus()) {
      SetMouseCapture(false);
      return;
    }
    if (UpdateMousePositionIfControlMoved()) {
      const TRect after = BoundsRect();
      X -= after.left - before.left;
      Y -= after.top - before.top;
    }
  }
  if (!FFinishingDragAndDrop) {
    if (Button == ui::mbLeft && !Shift.contains(ui::ssDouble) && StartDragAndDrop(TPoint{X, Y})) {
      if (DragAndDropObject()->ImmediateStart()) BeginDragAndDrop();
      else SetDragAndDropState(TcxDragAndDropState::ddsStarting);
    } else {
      FinishDragAndDrop(false);
    }
  }
  if (!link.Alive()) return;
  BeforeMouseDown(Button, Shift, X, Y);
  if (!link.Alive()) return;
  ui::TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TcxControl::MouseMove(ui::TShiftState Shift, int X, int Y) {
  ui::TCustomControl::MouseMove(Shift, X, Y);
  if (FDragAndDropState == TcxDragAndDropState::ddsStarting && !IsMouseInPressedArea(X, Y)) BeginDragAndDrop();
  if (FDragAndDropState == TcxDragAndDropState::ddsInProcess) {
    bool accepted = false;
    DragAndDrop(TPoint{X, Y}, accepted);
  }
  UpdateStatusHint(TPoint{X, Y});
}

void TcxControl::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FMouseButtonPressed = false;
  CancelMouseOperations();
  ui::TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TcxControl::CancelMouseOperations() {
  FinishDragAndDrop(true);
  SetMouseCaptureObject(nullptr);
}

// ---- internal drag and drop ------------------------------------------------------------------

namespace {
TcxDragAndDropObject* createBaseDragAndDropObject(TcxControl* AControl) {
  return rtl::Create<TcxDragAndDropObject>(AControl);
}
}  // namespace

TcxDragAndDropObject* TcxControl::DragAndDropObject() {
  if (!FDragAndDropObject) FDragAndDropObject.reset(CreateDragAndDropObject());
  return FDragAndDropObject.get();
}

TcxDragAndDropObject* TcxControl::CreateDragAndDropObject() { return GetDragAndDropObjectClass()(this); }

TcxDragAndDropObjectClass TcxControl::GetDragAndDropObjectClass() {
  return FDragAndDropObjectClass ? FDragAndDropObjectClass : &createBaseDragAndDropObject;
}

void TcxControl::SetDragAndDropState(TcxDragAndDropState Value) {
  if (FDragAndDropState == Value) return;
  FDragAndDropState = Value;
  if (Value == TcxDragAndDropState::ddsNone && !FFinishingDragAndDrop) DoCancelMode();
}

void TcxControl::BeginDragAndDrop() {
  DragAndDropObject()->DoBeginDragAndDrop();
  SetMouseCapture(true);
  if (ui::TScreen* screen = ui::ScreenInstance()) FDragAndDropPrevCursor = screen->Cursor();
  SetDragAndDropState(TcxDragAndDropState::ddsInProcess);
}

void TcxControl::DragAndDrop(const TPoint& P, bool& Accepted) { DragAndDropObject()->DoDragAndDrop(P, Accepted); }

void TcxControl::EndDragAndDrop(bool Accepted) {
  SetDragAndDropState(TcxDragAndDropState::ddsNone);
  if (ui::TScreen* screen = ui::ScreenInstance()) screen->SetCursor(FDragAndDropPrevCursor);
  SetMouseCapture(false);
  SetMouseCaptureObject(nullptr);
  DragAndDropObject()->DoEndDragAndDrop(Accepted);
}

void TcxControl::DoFinishDragAndDrop(bool Accepted) {
  if (FDragAndDropState == TcxDragAndDropState::ddsInProcess) EndDragAndDrop(Accepted);
  else SetDragAndDropState(TcxDragAndDropState::ddsNone);
  FDragAndDropObject.reset();
}

void TcxControl::FinishDragAndDrop(bool Accepted) {
  if (FFinishingDragAndDrop) return;
  FFinishingDragAndDrop = true;
  rtl::ScopeExit done([this] { FFinishingDragAndDrop = false; });
  DoFinishDragAndDrop(Accepted);
}

void TcxControl::WMCaptureChanged(ui::TMessage& Message) {
  ui::TCustomControl::Dispatch(&Message);
  const auto to = reinterpret_cast<win::HWND>(Message.LParam);
  if (FDragAndDropState == TcxDragAndDropState::ddsNone || FReleasingCaptureOnMouseUp) return;
  if (HandleAllocated() && to == Handle()) return;
  FinishDragAndDrop(false);
}

void TcxControl::AfterMouseDown(ui::TMouseButton AButton, int X, int Y) {
  if (DragMode() == ui::dmAutomatic && AButton == ui::mbLeft && MouseCapture() &&
      (!IsDesigning() || AllowAutoDragAndDropAtDesignTime(X, Y, {})) && CanDrag(X, Y)) {
    const TPoint p = ClientToScreen(TPoint{X, Y});
    if (cxDragDetect(Handle(), p) == TcxDragDetect::ddDrag) BeginDrag(true, -1);
  }
  if (AButton == ui::mbMiddle && NeedsScrollBars())
    cxProcessControlScrollingOnMiddleButton(this, HScrollBarVisible(), VScrollBarVisible(),
                                            TcxScrollContentProc::bind<&TcxControl::ScrollContent>(this),
                                            FIsScrollingContent);
}

void TcxControl::SetMouseCaptureObject(rtl::TObject* AValue) {
  if (FMouseCaptureObject == AValue) return;
  if (auto* old = dynamic_cast<IcxMouseCaptureObject*>(FMouseCaptureObject)) old->DoCancelMode();
  const bool hadCapture = MouseCapture();
  FMouseCaptureObject = AValue;
  SetMouseCapture(AValue != nullptr);
  if (hadCapture && !MouseCapture() && FDragAndDropState == TcxDragAndDropState::ddsStarting &&
      CanCancelDragStartOnCaptureObjectClear() && HandleAllocated())
    win::SendMessageW(Handle(), win::WM_CANCELMODE, 0, 0);
}

void TcxControl::DoCancelMode() {
  FMouseButtonPressed = false;
  SetMouseCaptureObject(nullptr);
}

void TcxControl::MouseEnter(ui::TControl* AControl) {
  if (AControl == this || AControl == nullptr) DoMouseEnter();
}

void TcxControl::MouseLeave(ui::TControl* AControl) {
  if (AControl == this || AControl == nullptr) DoMouseLeave();
}

void TcxControl::DoMouseEnter() {
  if (FMouseEnterCounter != 0) return;
  FMouseEnterCounter = 1;
  if (FOnMouseEnter) FOnMouseEnter(this);
}

void TcxControl::DoMouseLeave() {
  if (FMouseEnterCounter != 1) return;
  FMouseEnterCounter = 0;
  if (FOnMouseLeave) FOnMouseLeave(this);
}

bool TcxControl::IsMouseInPressedArea(int X, int Y) {
  const int threshold = ui::Mouse()->DragThreshold();
  return std::abs(X - FMouseDownPos.x) < threshold && std::abs(Y - FMouseDownPos.y) < threshold;
}

bool TcxControl::AcceptMousePosForClick(int X, int Y) {
  return !(DragMode() == ui::dmAutomatic && !IsMouseInPressedArea(X, Y));
}

bool TcxControl::GetDesignHitTest(int X, int Y, ui::TShiftState) {
  return FDragAndDropState != TcxDragAndDropState::ddsNone || FMouseButtonPressed || IsScrollBarsArea(TPoint{X, Y});
}

TcxMouseWheelScrollingKind TcxControl::GetMouseWheelScrollingKind() {
  return VScrollBarVisible() ? TcxMouseWheelScrollingKind::mwskVertical : TcxMouseWheelScrollingKind::mwskNone;
}

bool TcxControl::IsMouseWheelHandleNeeded(ui::TShiftState, int, const TPoint&) {
  return GetMouseWheelScrollingKind() != TcxMouseWheelScrollingKind::mwskNone;
}

bool TcxControl::DoMouseWheel(ui::TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (ui::TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!IsMouseWheelHandleNeeded(Shift, WheelDelta, MousePos)) return false;
  WheelDelta = std::clamp(WheelDelta, -win::WHEEL_DELTA, win::WHEEL_DELTA);
  // Opposite signs (or an empty sum) restart the sum.
  if (WheelDelta * FMouseWheelAccumulator < 1) FMouseWheelAccumulator = WheelDelta;
  else FMouseWheelAccumulator += WheelDelta;
  if (std::abs(FMouseWheelAccumulator) > 119) {
    const int delta = FMouseWheelAccumulator;
    FMouseWheelAccumulator = 0;
    InternalMouseWheel(Shift, delta, MousePos);
  }
  return true;
}

bool TcxControl::InternalMouseWheel(ui::TShiftState, int WheelDelta, const TPoint&) {
  const TcxMouseWheelScrollingKind kind = GetMouseWheelScrollingKind();
  if (kind == TcxMouseWheelScrollingKind::mwskNone) return false;
  const int lines = ui::Mouse()->WheelScrollLines();
  if (lines == -1) {
    int scratch = 0;  // page codes do not read the position
    Scroll(TScrollBarKind::sbVertical, WheelDelta >= 0 ? ui::scPageUp : ui::scPageDown, scratch);
    return true;
  }
  const bool horizontal = kind == TcxMouseWheelScrollingKind::mwskHorizontal;
  const TcxDirection direction = horizontal ? (WheelDelta >= 0 ? TcxDirection::dirLeft : TcxDirection::dirRight)
                                            : (WheelDelta >= 0 ? TcxDirection::dirUp : TcxDirection::dirDown);
  for (int i = 0; i < lines; ++i) ScrollContent(direction);
  return true;
}

void TcxControl::ScrollContent(TcxDirection ADirection) {
  if (ADirection == TcxDirection::dirNone) return;
  if (!NeedsScrollBars() && !CanScrollLineWithoutScrollBars(ADirection)) return;
  const bool horizontal = ADirection == TcxDirection::dirLeft || ADirection == TcxDirection::dirRight;
  const TScrollBarKind kind = horizontal ? TScrollBarKind::sbHorizontal : TScrollBarKind::sbVertical;
  const TScrollCode code =
      (ADirection == TcxDirection::dirLeft || ADirection == TcxDirection::dirUp) ? ui::scLineUp : ui::scLineDown;
  IcxControlScrollBar* bar = GetScrollBar(kind);
  int position = bar ? bar->GetPosition() : 0;
  Scroll(kind, code, position);
  Update();
}

void TcxControl::WMGetDlgCode(ui::TMessage& Message) {
  win::LRESULT code = 0;
  if (FKeys.contains(TcxKey::kAll)) code += ui::DLGC_WANTALLKEYS;
  if (FKeys.contains(TcxKey::kArrows)) code += ui::DLGC_WANTARROWS;
  if (FKeys.contains(TcxKey::kChars)) code += ui::DLGC_WANTCHARS;
  if (FKeys.contains(TcxKey::kTab) && win::GetKeyState(win::VK_CONTROL) >= 0) code += ui::DLGC_WANTTAB;
  Message.Result = code;
}

bool TcxControl::IsMenuKey(ui::TMessage& Message) {
  if (IsDesigning()) return false;
  for (ui::TControl* c = this; c; c = c->Parent())
    if (auto* control = dynamic_cast<TcxControl*>(c))
      if (IsPopupMenuShortCut(control->PopupMenu(), Message)) return true;
  return false;
}

void TcxControl::CNKeyDown(ui::TMessage& Message) {
  if (IsMenuKey(Message)) {
    Message.Result = 1;
    return;
  }
  if (FDragAndDropState != TcxDragAndDropState::ddsNone) {
    // The drag object takes the keys while a drag runs; a key it refuses
    // (the base object refuses all, Escape among them) ends the drag.
    ui::TWMKey key{Message.Msg, rtl::Word(Message.WParam), Message.LParam, 0};
    if (!DragAndDropObject()->DoProcessKeyDown(key)) FinishDragAndDrop(false);
    Message.Result = 1;
    return;
  }
  ui::TCustomControl::Dispatch(&Message);
}

void TcxControl::CNKeyUp(ui::TMessage& Message) {
  if (FDragAndDropState != TcxDragAndDropState::ddsNone) {
    ui::TWMKey key{Message.Msg, rtl::Word(Message.WParam), Message.LParam, 0};
    if (DragAndDropObject()->DoProcessKeyUp(key)) {
      Message.Result = 1;
      return;
    }
  }
  ui::TCustomControl::Dispatch(&Message);
}

void TcxControl::WMSetCursor(ui::TMessage& Message) {
  ui::TScreen* screen = ui::ScreenInstance();
  if (HandleAllocated() && reinterpret_cast<win::HWND>(Message.WParam) == Handle() &&
      FDragAndDropState == TcxDragAndDropState::ddsNone && screen && screen->Cursor() == ui::crDefault) {
    const TPoint p = GetMouseCursorClientPos();
    const ui::TCursor cursor = GetCurrentCursor(p.x, p.y);
    if (cursor != ui::crDefault) {
      win::SetCursor(screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  ui::TCustomControl::Dispatch(&Message);
}

void TcxControl::WMContextMenu(ui::TMessage& Message) {
  const TPoint screenPoint{win::GET_X_LPARAM(Message.LParam), win::GET_Y_LPARAM(Message.LParam)};
  const bool keyboard = screenPoint.x == -1 && screenPoint.y == -1;
  if (IsScrollBarsCapture() || (!keyboard && IsScrollBarsArea(ui::TControl::ScreenToClient(screenPoint)))) {
    Message.Result = 1;
    return;
  }
  const TPoint p = keyboard ? ClientToScreen(TPoint{0, 0}) : screenPoint;
  // A spell checker may show its suggestions in place of the menu.
  IdxSpellCheckerPopupHook* checker = dxSpellCheckerPopupHook();
  if ((checker && checker->QueryPopup(FPopupMenu, p)) || (FPopupMenu && DoShowPopupMenu(FPopupMenu, p.x, p.y))) {
    Message.Result = 1;
    return;
  }
  ui::TCustomControl::Dispatch(&Message);
}

bool TcxControl::DoShowPopupMenu(rtl::TComponent* AMenu, int X, int Y) { return ShowPopupMenu(this, AMenu, X, Y); }

// ---- platform drag ----------------------------------------------------------------------------

namespace {
// The platform drag object over a TcxControl; cleared when it leaves one.
ui::TDragObject* dragObjectOverControl = nullptr;
}  // namespace

bool TcxControl::GetIsCopyDragDrop() { return core::IsCtrlPressed(); }

void TcxControl::DoStartDrag(std::unique_ptr<ui::TDragObject>& DragObject) {
  Update();
  // The platform's start is OnStartDrag plus a default object; ours is the
  // default here.
  if (OnStartDrag()) OnStartDrag()(this, DragObject);
  if (!DragObject) DragObject.reset(rtl::Create<TcxDragControlObject>(this));
  if (!StartDrag(DragObject.get())) DragObject.reset();
}

void TcxControl::DragOver(rtl::TObject* Source, int X, int Y, ui::TDragState State, bool& Accept) {
  auto* object = dynamic_cast<ui::TDragObject*>(Source);
  if (object) dragObjectOverControl = State == ui::dsDragLeave ? nullptr : object;
  ui::TCustomControl::DragOver(Source, X, Y, State, Accept);
}

void TcxControl::DoEndDrag(rtl::TObject* Target, int X, int Y) {
  ui::TCustomControl::DoEndDrag(Target, X, Y);
  FDragImages.reset();
}

namespace {
TcxDragImageList* CreatecxDragImageList() { return rtl::Create<TcxDragImageList>(nullptr); }
}  // namespace

TcxDragImageListClass TcxControl::GetDragImagesClass() { return &CreatecxDragImageList; }

ui::TDragImageList* TcxControl::GetDragImages() {
  if (!HasDragImages()) return nullptr;
  if (!FDragImages) {
    FDragImages.reset(GetDragImagesClass()());
    InitDragImages(FDragImages.get());
  }
  return FDragImages->Count() > 0 ? FDragImages.get() : nullptr;
}

void TcxControl::InitDragImages(TcxDragImageList* ADragImages) {
  const ui::TSize size = GetDragImagesSize();
  if (size.cx == 0 || size.cy == 0) {
    ADragImages->Clear();
    return;
  }
  ADragImages->SetSize(size.cx, size.cy);
  ui::TBitmap bitmap;
  bitmap.SetSize(size.cx, size.cy);
  core::TcxCanvas canvas(bitmap.Canvas());
  DrawDragImage(&canvas, TRect{0, 0, size.cx, size.cy});
  ADragImages->AddMasked(&bitmap, bitmap.TransparentColor());
}

ui::TCursor TcxDragControlObject::GetDragCursor(bool Accepted, int X, int Y) {
  auto* control = dynamic_cast<TcxControl*>(Control());
  if (Accepted && control && control->GetIsCopyDragDrop()) return crDragCopy;
  return ui::TDragControlObject::GetDragCursor(Accepted, X, Y);
}

ui::TDragObject* GetDragObject() {
  // Only while that drag still runs.
  if (dragObjectOverControl && dragObjectOverControl != ui::ActiveDragObject()) dragObjectOverControl = nullptr;
  return dragObjectOverControl;
}

void HideDragImage() {
  if (ui::TDragObject* object = GetDragObject()) object->HideDragImage();
}

void ShowDragImage() {
  if (ui::TDragObject* object = GetDragObject()) object->ShowDragImage();
}

// ---- gestures -------------------------------------------------------------------------------

bool TcxControl::IsGestureHelperMessage(ui::TMessage& Message) {
  return FGestureHelper && FGestureHelper->HandleMessage(Message);
}

bool TcxControl::IsGestureScrolling() { return FGestureHelper && FGestureHelper->IsPanning(); }

bool TcxControl::CheckOverpan(TScrollBarKind AScrollKind, int ANewDataPos, int AMinDataPos, int AMaxDataPos,
                              int ADeltaX, int ADeltaY) {
  return FGestureHelper && FGestureHelper->CheckOverpan(AScrollKind, ANewDataPos, AMinDataPos, AMaxDataPos,
                                                        ADeltaX, ADeltaY);
}

void TcxControl::DoGestureScroll(TScrollBarKind AScrollKind, int ANewScrollPos) {
  Scroll(AScrollKind, ui::scTrack, ANewScrollPos);
}

bool TcxControl::AllowGesture(int AGestureId) {
  switch (AGestureId) {
    case 4: return true;  // pan: the base control scrolls with it
    case 7: return true;  // press and tap
    default: return false;
  }
}

bool TcxControl::AllowPan(TScrollBarKind AScrollKind) {
  const TcxMouseWheelScrollingKind kind = GetMouseWheelScrollingKind();
  if (CanScrollContentByGestureWithoutScrollBars())
    return (AScrollKind == TScrollBarKind::sbVertical) == (kind == TcxMouseWheelScrollingKind::mwskVertical);
  if (AScrollKind == TScrollBarKind::sbHorizontal)
    return HScrollBarVisible() && (kind == TcxMouseWheelScrollingKind::mwskHorizontal || !VScrollBarVisible());
  return VScrollBarVisible() && (kind == TcxMouseWheelScrollingKind::mwskVertical || !HScrollBarVisible());
}

int TcxControl::GetPanOptions() { return 31; }

bool TcxControl::IsPanArea(const TPoint& APoint) {
  const TRect r = ClientBounds();
  const bool inClient = APoint.x >= r.left && APoint.x < r.right && APoint.y >= r.top && APoint.y < r.bottom;
  return inClient && !IsScrollBarsArea(APoint);
}

void TcxControl::BeginGestureScroll(const TPoint&) { FGestureAccumulatedDelta = TPoint{0, 0}; }

}  // namespace lookandfeel

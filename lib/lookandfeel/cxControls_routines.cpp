// The control unit's routines: mouse tracking, the hourglass counter, the
// modal drag-detection and autoscroll loops, popup menus, the screen
// cursors, window routines, the paint-path helpers and the locked-state
// image.
#include <algorithm>
#include <cstdlib>
#include <map>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxPaintTo.h"
#include "lib/core/dxCore.h"
#include "lib/core/cxLibraryStrs.h"
#include "lib/core/dxWinHelpers.h"
#include "lib/lookandfeel/cxControls.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/png.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/win/win.h"

namespace lookandfeel {

namespace {

bool contains(const TRect& r, const TPoint& p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

// ---- mouse tracking -----------------------------------------------------------------------------

namespace {

class TMouseTrackingTimer : public core::TcxTimer {
 public:
  TMouseTrackingTimer(ui::TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller)
      : core::TcxTimer(nullptr), Caller(ACaller), Control(AControl), Bounds(ABounds) {
    ControlLink = core::cxAddObjectLink(AControl);
    SetInterval(10);
    SetOnTimer(rtl::TNotifyEvent::bind<&TMouseTrackingTimer::TimerHandler>(this));
  }
  ~TMouseTrackingTimer() override { core::cxRemoveObjectLink(ControlLink); }

  IcxMouseTrackingCaller* Caller;
  ui::TWinControl* Control;
  core::TcxObjectLink* ControlLink;
  TRect Bounds;

 private:
  ui::TWinControl* LiveControl() const { return ControlLink && ControlLink->Ref ? Control : nullptr; }
  bool PointInCaller(const TPoint& screenPoint);
  void TimerHandler(rtl::TObject*);
};

std::vector<TMouseTrackingTimer*>& trackingTimers() {
  static std::vector<TMouseTrackingTimer*> timers;
  return timers;
}

TMouseTrackingTimer* findTimer(IcxMouseTrackingCaller* ACaller) {
  for (TMouseTrackingTimer* t : trackingTimers())
    if (t->Caller == ACaller) return t;
  return nullptr;
}

bool PointInCallerOf(TMouseTrackingTimer* timer, ui::TWinControl* control, const TPoint& screenPoint) {
  if (control && control->HandleAllocated()) {
    const win::HWND under = core::cxWindowFromPoint(screenPoint);
    const win::HWND own = control->Handle();
    if (under != own && !win::IsChild(own, under) && win::GetCapture() != own) return false;
  }
  if (auto* caller2 = dynamic_cast<IcxMouseTrackingCaller2*>(timer->Caller)) {
    if (!control) return caller2->PtInCaller(screenPoint);
    if (!control->HandleAllocated()) return false;
    return caller2->PtInCaller(control->ScreenToClient(screenPoint));
  }
  return contains(timer->Bounds, screenPoint);
}

int shutdownTracking() {
  std::vector<TMouseTrackingTimer*> left;
  left.swap(trackingTimers());
  for (TMouseTrackingTimer* t : left) delete t;
  return int(left.size());
}

[[maybe_unused]] const bool trackingShutdownInstalled = (dxSetMouseTrackingShutdown(&shutdownTracking), true);

}  // namespace

bool TMouseTrackingTimer::PointInCaller(const TPoint& screenPoint) {
  return PointInCallerOf(this, LiveControl(), screenPoint);
}

void TMouseTrackingTimer::TimerHandler(rtl::TObject*) {
  const TPoint p = core::GetMouseCursorPos();
  ui::TWinControl* control = LiveControl();
  const bool hadControl = Control != nullptr;
  bool end = !PointInCaller(p);
  if (end) {
    if (auto* caller3 = dynamic_cast<IcxMouseTrackingCaller3*>(Caller))
      if (caller3->IsCaptureMouse()) end = false;
  }
  if (hadControl && (!control || !control->HandleAllocated() || !core::IsWindowEnabledEx(control->Handle())))
    end = true;
  if (!end) return;
  SetEnabled(false);
  IcxMouseTrackingCaller* caller = Caller;
  if (control && control->HandleAllocated()) {
    const TPoint client = control->ScreenToClient(p);
    if (!contains(control->ClientRect(), client) || !core::IsWindowEnabledEx(control->Handle()))
      win::SendMessageW(control->Handle(), ui::CM_MOUSELEAVE, 0, reinterpret_cast<win::LPARAM>(control));
  }
  control = LiveControl();
  if (!hadControl || (control && control->HandleAllocated())) caller->MouseLeave();
  EndMouseTracking(caller);
}

void BeginMouseTracking(ui::TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller) {
  if (!ACaller || findTimer(ACaller)) return;
  TRect bounds = ABounds;
  if (AControl && AControl->HandleAllocated())
    bounds = core::dxMapWindowRect(AControl->Handle(), nullptr, ABounds);
  trackingTimers().push_back(new TMouseTrackingTimer(AControl, bounds, ACaller));
}

void EndMouseTracking(IcxMouseTrackingCaller* ACaller) {
  auto& timers = trackingTimers();
  auto it = std::find_if(timers.begin(), timers.end(), [&](TMouseTrackingTimer* t) { return t->Caller == ACaller; });
  if (it == timers.end()) return;
  std::unique_ptr<TMouseTrackingTimer> timer(*it);
  timers.erase(it);
}

bool IsMouseTracking(IcxMouseTrackingCaller* ACaller) { return findTimer(ACaller) != nullptr; }

int MouseTrackingCount() { return int(trackingTimers().size()); }

// ---- hourglass ------------------------------------------------------------------------------------

namespace {
int hourglassUseCount = 0;
ui::TCursor prevScreenCursor = ui::crDefault;
}  // namespace

void ShowHourglassCursor() {
  ui::TScreen* screen = ui::ScreenInstance();
  if (hourglassUseCount == 0 && screen) {
    prevScreenCursor = screen->Cursor();
    screen->SetCursor(ui::crHourGlass);
  }
  ++hourglassUseCount;
}

void HideHourglassCursor() {
  if (hourglassUseCount == 0) return;
  if (--hourglassUseCount == 0)
    if (ui::TScreen* screen = ui::ScreenInstance()) screen->SetCursor(prevScreenCursor);
}

// ---- modal loops ------------------------------------------------------------------------------------

namespace {

bool isButtonUp(win::UINT msg) {
  return msg == win::WM_LBUTTONUP || msg == win::WM_RBUTTONUP || msg == win::WM_MBUTTONUP;
}

bool isMouseButton(win::UINT msg) {
  return (msg >= win::WM_LBUTTONDOWN && msg <= win::WM_MBUTTONDBLCLK) || msg == win::WM_MOUSEWHEEL ||
         msg == win::WM_MOUSEHWHEEL;
}

// The next message of the thread; false on an error or WM_QUIT (re-posted).
bool nextMessage(win::MSG& msg) {
  const win::BOOL got = win::GetMessageW(&msg, nullptr, 0, 0);
  if (got == 0) {
    win::PostQuitMessage(int(msg.wParam));
    return false;
  }
  return got > 0;
}

void dispatch(const win::MSG& msg) {
  win::TranslateMessage(&msg);
  win::DispatchMessageW(&msg);
}

}  // namespace

TcxDragDetect cxDragDetect(win::HWND Wnd, const TPoint& AStartPoint) {
  const int half = ui::Mouse()->DragThreshold();
  const TRect zone{AStartPoint.x - half, AStartPoint.y - half, AStartPoint.x + half, AStartPoint.y + half};
  win::SetCapture(Wnd);
  rtl::ScopeExit release([Wnd] {
    if (win::GetCapture() == Wnd) win::ReleaseCapture();
  });
  TcxDragDetect result = TcxDragDetect::ddCancel;
  win::MSG msg{};
  while (win::GetCapture() == Wnd) {
    if (!nextMessage(msg)) break;
    bool done = false;
    if ((msg.message == win::WM_KEYDOWN || msg.message == win::WM_KEYUP) && msg.wParam == win::VK_ESCAPE) {
      done = true;
    } else if (msg.message == win::WM_MOUSEMOVE && msg.hwnd == Wnd) {
      win::POINT p{win::GET_X_LPARAM(msg.lParam), win::GET_Y_LPARAM(msg.lParam)};
      win::ClientToScreen(Wnd, &p);
      if (!contains(zone, TPoint{p.x, p.y})) {
        result = TcxDragDetect::ddDrag;
        done = true;
      }
    } else if (isButtonUp(msg.message)) {
      result = TcxDragDetect::ddNone;
      done = true;
    }
    dispatch(msg);
    if (done) break;
  }
  return result;
}

int cxAutoScrollSpeed(int ADistance, int AAnchorSize) {
  return std::min(12, (ADistance - AAnchorSize / 2) / 5 + 1);
}

namespace {

constexpr win::UINT_PTR kAutoScrollTimerInterval = 20;
const char16_t kAnchorClass[] = u"cxScrollAnchorWindow";

win::LRESULT anchorWindowProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  return win::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void registerAnchorClass() {
  win::WNDCLASSW wc{};
  if (win::GetClassInfoW(nullptr, kAnchorClass, &wc)) return;
  wc.lpfnWndProc = &anchorWindowProc;
  wc.lpszClassName = kAnchorClass;
  win::RegisterClassW(&wc);
}

ui::TCursor autoScrollCursor(TcxDirection direction, bool hor, bool ver) {
  switch (direction) {
    case TcxDirection::dirLeft: return crLeftScroll;
    case TcxDirection::dirRight: return crRightScroll;
    case TcxDirection::dirUp: return crUpScroll;
    case TcxDirection::dirDown: return crDownScroll;
    default: return hor && ver ? crFullScroll : (hor ? crHorScroll : crVerScroll);
  }
}

void setScreenCursor(ui::TCursor id) {
  if (ui::TScreen* screen = ui::ScreenInstance()) win::SetCursor(screen->Cursors(id));
}

}  // namespace

void cxProcessControlScrollingOnMiddleButton(ui::TWinControl* AControl, bool AllowHorScrolling,
                                             bool AllowVerScrolling, const TcxScrollContentProc& AScrollContentProc,
                                             bool& AScrollContentFlag) {
  if (!AllowHorScrolling && !AllowVerScrolling) return;
  AScrollContentFlag = true;
  bool breakOnMouseUp = false;
  const TPoint anchor = core::GetMouseCursorPos();
  const char* resource = AllowHorScrolling && AllowVerScrolling ? "CX_FULLSCROLLBITMAP"
                         : AllowVerScrolling                   ? "CX_VERSCROLLBITMAP"
                                                               : "CX_HORSCROLLBITMAP";
  const std::vector<rtl::Byte> png = rtl::LoadResourceBytes("PNG", resource);
  const gdi::ImageBGRA image = gdi::ReadPng(png.data(), png.size());
  const int anchorSize = image.width;
  registerAnchorClass();
  const win::HWND owner = AControl->Handle();
  win::HWND anchorWnd = win::CreateWindowExW(win::WS_EX_TOPMOST, kAnchorClass, u"", win::WS_POPUP,
                                             anchor.x - image.width / 2, anchor.y - image.height / 2, image.width,
                                             image.height, owner, nullptr, nullptr, nullptr);
  win::UINT_PTR timer = 0;
  rtl::ScopeExit cleanUp([&] {
    if (win::GetCapture() == owner) win::ReleaseCapture();
    if (timer) win::KillTimer(nullptr, timer);
    if (anchorWnd) win::DestroyWindow(anchorWnd);
    AScrollContentFlag = false;
  });
  if (anchorWnd) {
    win::SetWindowRgn(anchorWnd, gdi::CreateEllipticRgn(0, 0, image.width + 1, image.height + 1), true);
    win::ShowWindow(anchorWnd, win::SW_SHOWNOACTIVATE);
    gdi::HDC dc = win::GetDC(anchorWnd);
    gdi::HBITMAP bitmap = gdi::CreateBitmapFromImage(image);
    gdi::HDC memory = gdi::CreateCompatibleDC(dc);
    gdi::HGDIOBJ old = gdi::SelectObject(memory, bitmap);
    gdi::BitBlt(dc, 0, 0, image.width, image.height, memory, 0, 0, gdi::SRCCOPY);
    gdi::SelectObject(memory, old);
    gdi::DeleteDC(memory);
    gdi::DeleteObject(bitmap);
    gdi::HRGN frame = gdi::CreateEllipticRgn(0, 0, image.width, image.height);
    gdi::FrameRgn(dc, frame, gdi::GetSysColorBrush(gdi::COLOR_WINDOWTEXT), 1, 1);
    gdi::DeleteObject(frame);
    win::ReleaseDC(anchorWnd, dc);
  }
  TcxDirection direction = TcxDirection::dirNone;
  setScreenCursor(autoScrollCursor(direction, AllowHorScrolling, AllowVerScrolling));
  int speed = 1;
  int timerHits = 0;
  timer = win::SetTimer(nullptr, 0, kAutoScrollTimerInterval, nullptr);
  win::SetCapture(owner);
  TPoint last = anchor;
  const int screenW = win::GetSystemMetrics(win::SM_CXSCREEN), screenH = win::GetSystemMetrics(win::SM_CYSCREEN);
  win::MSG msg{};
  while (win::GetCapture() == owner) {
    if (!nextMessage(msg)) break;
    if (msg.message == win::WM_PAINT && msg.hwnd == anchorWnd) {
      win::ValidateRect(anchorWnd, nullptr);
      continue;
    }
    if ((msg.message == win::WM_KEYDOWN || msg.message == win::WM_KEYUP) && msg.wParam == win::VK_ESCAPE) {
      dispatch(msg);
      break;
    }
    if (msg.message == win::WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) {
      ++timerHits;
      if (timerHits % (13 - speed) == 0) AScrollContentProc(direction);
    } else if (msg.message == win::WM_MOUSEMOVE) {
      win::POINT p{win::GET_X_LPARAM(msg.lParam), win::GET_Y_LPARAM(msg.lParam)};
      if (msg.hwnd) win::ClientToScreen(msg.hwnd, &p);
      const TPoint point{p.x, p.y};
      if (point.x != last.x || point.y != last.y) {
        TRect neutral{anchor.x - anchorSize / 2, anchor.y - anchorSize / 2, anchor.x - anchorSize / 2 + anchorSize,
                      anchor.y - anchorSize / 2 + anchorSize};
        if (!AllowHorScrolling) { neutral.left = 0; neutral.right = screenW; }
        if (!AllowVerScrolling) { neutral.top = 0; neutral.bottom = screenH; }
        if (contains(neutral, point)) {
          direction = TcxDirection::dirNone;
          speed = 0;
        } else {
          breakOnMouseUp = true;
          const int dx = point.x - anchor.x, dy = point.y - anchor.y;
          const bool vertical = !AllowHorScrolling || (AllowVerScrolling && std::abs(dy) >= std::abs(dx));
          const int distance = vertical ? std::abs(dy) : std::abs(dx);
          direction = vertical ? (dy < 0 ? TcxDirection::dirUp : TcxDirection::dirDown)
                               : (dx < 0 ? TcxDirection::dirLeft : TcxDirection::dirRight);
          speed = cxAutoScrollSpeed(distance, anchorSize);
        }
        setScreenCursor(autoScrollCursor(direction, AllowHorScrolling, AllowVerScrolling));
        last = point;
      }
    } else if (msg.message == win::WM_MBUTTONUP) {
      dispatch(msg);
      if (breakOnMouseUp) break;
      continue;
    } else if (isMouseButton(msg.message)) {
      break;  // the click that ends the mode does not reach the control
    }
    dispatch(msg);
  }
}

// ---- popup menus ------------------------------------------------------------------------------------

bool IsPopupMenu(rtl::TComponent* APopupMenu) {
  return dynamic_cast<ui::TPopupMenu*>(APopupMenu) != nullptr || dynamic_cast<IcxPopupMenu*>(APopupMenu) != nullptr;
}

bool IsPopupMenuShortCut(rtl::TComponent* APopupMenu, ui::TMessage& Message) {
  if (auto* menu = dynamic_cast<IcxPopupMenu*>(APopupMenu)) return menu->IsShortCutKey(Message);
  if (auto* menu = dynamic_cast<ui::TPopupMenu*>(APopupMenu)) return menu->IsShortCut(Message);
  return false;
}

bool ShowPopupMenu(ui::TControl* ACaller, rtl::TComponent* APopupMenu, int X, int Y) {
  if (auto* menu = dynamic_cast<IcxPopupMenu*>(APopupMenu)) {
    menu->Popup(X, Y);
    return true;
  }
  auto* menu = dynamic_cast<ui::TPopupMenu*>(APopupMenu);
  if (!menu || !menu->AutoPopup()) return false;
  menu->SetPopupComponent(ACaller);
  menu->Popup(X, Y);
  return true;
}

bool ShowPopupMenu(ui::TControl* ACaller, rtl::TComponent* APopupMenu, const TPoint& P) {
  return ShowPopupMenu(ACaller, APopupMenu, P.x, P.y);
}

bool ShowPopupMenu(ui::TControl* ACaller, rtl::TComponent* APopupMenu, const TRect& AOwnerBounds,
                   ui::TPopupAlignment APopupAlignment) {
  const int width = AOwnerBounds.right - AOwnerBounds.left;
  TPoint p{AOwnerBounds.left, AOwnerBounds.bottom};
  if (APopupAlignment == ui::paRight) p.x += width;
  if (APopupAlignment == ui::paCenter) p.x += width / 2;
  if (auto* menu2 = dynamic_cast<IcxPopupMenu2*>(APopupMenu)) {
    menu2->Popup(p.x, p.y, APopupAlignment, AOwnerBounds);
    return true;
  }
  auto* menu = dynamic_cast<ui::TPopupMenu*>(APopupMenu);
  if (!menu || !menu->AutoPopup()) return false;
  const ui::TPopupAlignment saved = menu->Alignment();
  rtl::ScopeExit restore([&] { menu->SetAlignment(saved); });
  const TRect work = core::GetDesktopWorkArea(p);
  const int height = GetPopupMenuHeight(menu);
  // Not enough room below the owner: the menu opens above it.
  if (work.bottom < p.y + height) p.y -= height + (AOwnerBounds.bottom - AOwnerBounds.top) + 2;
  ui::TPopupAlignment alignment = APopupAlignment;
  if (p.x <= work.left)
    alignment = ui::paRight;
  else if (p.x >= work.right)
    alignment = ui::paLeft;
  menu->SetAlignment(alignment);
  menu->SetPopupComponent(ACaller);
  menu->Popup(p.x, p.y);
  return true;
}

int GetPopupMenuHeight(rtl::TComponent* APopupMenu) {
  auto* menu = dynamic_cast<ui::TMenu*>(APopupMenu);
  if (!menu) return 0;
  ui::TCanvas canvas;
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  canvas.SetHandle(dc);
  rtl::ScopeExit release([&] {
    canvas.SetHandle(nullptr);
    gdi::DeleteDC(dc);
  });
  const gdi::LOGFONTW lf = ui::MenuLogFont();
  canvas.Font()->SetHandle(gdi::CreateFontIndirectW(&lf));
  const int defaultHeight = canvas.TextHeight(u"Qg") + 4;
  ui::TMenuItem* items = menu->Items();
  int tallest = 0, column = 0;
  for (int i = 0; i < items->Count(); ++i) {
    ui::TMenuItem* item = items->Items(i);
    if (!item->Visible()) continue;
    int height = defaultHeight;
    if (menu->OwnerDraw() || item->HasBitmap()) {
      int width = 0;
      item->MeasureItem(&canvas, width, height);
    }
    if (item->Break() != ui::TMenuBreak::mbNone) {
      tallest = std::max(tallest, column);
      column = 0;
    }
    column += height;
  }
  return std::max(tallest, column) + 4;
}

// ---- window routines --------------------------------------------------------------------------------

void cxSetLayeredWindowAttributes(win::HWND AHandle, win::BYTE AAlphaBlendValue) {
  const win::LONG_PTR exStyle = win::GetWindowLongPtrW(AHandle, win::GWL_EXSTYLE);
  if (AAlphaBlendValue < 255) {
    if (!(exStyle & win::WS_EX_LAYERED))
      win::SetWindowLongPtrW(AHandle, win::GWL_EXSTYLE, exStyle | win::LONG_PTR(win::WS_EX_LAYERED));
    win::SetLayeredWindowAttributes(AHandle, 0, AAlphaBlendValue, win::LWA_ALPHA);
  } else if (exStyle & win::WS_EX_LAYERED) {
    win::SetWindowLongPtrW(AHandle, win::GWL_EXSTYLE, exStyle & ~win::LONG_PTR(win::WS_EX_LAYERED));
    win::RedrawWindow(AHandle, nullptr, nullptr,
                      win::RDW_ERASE | win::RDW_INVALIDATE | win::RDW_FRAME | win::RDW_ALLCHILDREN);
  }
}

bool CanAllocateHandle(ui::TWinControl* AControl) {
  if (!AControl) return false;
  if (AControl->HandleAllocated()) return true;
  if (AControl->ComponentState().contains(rtl::TComponentStateItem::csDestroying)) return false;
  if (AControl->ParentWindow()) return true;
  if (AControl->Parent()) return CanAllocateHandle(AControl->Parent());
  return ui::ApplicationInstance() != nullptr && dynamic_cast<ui::TCustomForm*>(AControl) != nullptr;
}

namespace {
// Scales a control's bounds and, through its children, those of everything
// it holds, as a dialog is scaled to a new font.
void scaleControlTree(ui::TControl* AControl, int M, int D) {
  const TRect r = AControl->BoundsRect();
  AControl->SetBounds(rtl::MulDiv(r.left, M, D), rtl::MulDiv(r.top, M, D), rtl::MulDiv(r.right - r.left, M, D),
                      rtl::MulDiv(r.bottom - r.top, M, D));
  if (auto* container = dynamic_cast<ui::TWinControl*>(AControl))
    for (int i = 0; i < container->ControlCount(); ++i) scaleControlTree(container->Controls(i), M, D);
}
}  // namespace

void DialogApplyFont(ui::TCustomForm* ADialog, ui::TFont* AFont) {
  const int oldHeight = core::cxTextHeight(ADialog->Font());
  ADialog->Font()->Assign(AFont);
  const int newHeight = core::cxTextHeight(ADialog->Font());
  if (oldHeight <= 0 || newHeight == oldHeight) return;
  for (int i = 0; i < ADialog->ControlCount(); ++i) scaleControlTree(ADialog->Controls(i), newHeight, oldHeight);
  ADialog->SetClientWidth(rtl::MulDiv(ADialog->ClientWidth(), newHeight, oldHeight));
  ADialog->SetClientHeight(rtl::MulDiv(ADialog->ClientHeight(), newHeight, oldHeight));
}

// ---- paint path -------------------------------------------------------------------------------------

bool dxGetUpdateRgn(ui::TWinControl* AControl, gdi::HRGN ARegion) {
  const int kind = win::GetUpdateRgn(AControl->Handle(), ARegion, false);
  return kind == gdi::SIMPLEREGION || kind == gdi::COMPLEXREGION;
}

void dxBufferedPaintControl(ui::TWinControl* AControl) {
  core::TcxRegion region;
  const bool hasClip = dxGetUpdateRgn(AControl, region.Handle());
  const win::HWND wnd = AControl->Handle();
  win::PAINTSTRUCT ps;
  gdi::HDC dc = win::BeginPaint(wnd, &ps);
  rtl::ScopeExit end([&] { win::EndPaint(wnd, &ps); });
  const TRect r = ps.rcPaint;
  if (r.right <= r.left || r.bottom <= r.top) return;
  gdi::HBITMAP bitmap = gdi::CreateCompatibleBitmap(dc, r.right - r.left, r.bottom - r.top);
  gdi::HDC memory = gdi::CreateCompatibleDC(dc);
  gdi::HGDIOBJ old = gdi::SelectObject(memory, bitmap);
  rtl::ScopeExit release([&] {
    gdi::SelectObject(memory, old);
    gdi::DeleteDC(memory);
    gdi::DeleteObject(bitmap);
  });
  gdi::SetWindowOrgEx(memory, r.left, r.top, nullptr);
  if (hasClip) {
    gdi::OffsetRgn(region.Handle(), -r.left, -r.top);
    gdi::SelectClipRgn(memory, region.Handle());
  }
  win::SendMessageW(wnd, win::WM_ERASEBKGND, reinterpret_cast<win::WPARAM>(memory),
                    reinterpret_cast<win::LPARAM>(memory));
  win::SendMessageW(wnd, win::WM_PAINT, reinterpret_cast<win::WPARAM>(memory), 0);
  gdi::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, r.left, r.top, gdi::SRCCOPY);
}

bool cxIsDrawToMemory(const ui::TMessage& AMessage) {
  return AMessage.Msg == win::WM_ERASEBKGND && win::LPARAM(AMessage.WParam) == AMessage.LParam;
}

void dxForceProcessBufferedPaintMessages(ui::TWinControl* AControl) {
  if (!AControl->HandleAllocated() || AControl->ComponentState().contains(rtl::TComponentStateItem::csDestroying))
    return;
  win::MSG msg{};
  while (win::PeekMessageW(&msg, AControl->Handle(), WM_BUFFEREDPRINTCLIENT, WM_BUFFEREDPRINTCLIENT, win::PM_REMOVE))
    win::DispatchMessageW(&msg);
}

// ---- screen cursors ---------------------------------------------------------------------------------

const std::vector<ControlCursor>& ControlCursorTable() {
  static const std::vector<ControlCursor> table = {
      {crDragCopy, "CX_DRAGCOPYCURSOR", {0, 0}},
      {crFullScroll, "CX_FULLSCROLLCURSOR", {15, 15}},
      {crHorScroll, "CX_HORSCROLLCURSOR", {15, 15}},
      {crVerScroll, "CX_VERSCROLLCURSOR", {15, 15}},
      {crUpScroll, "CX_UPSCROLLCURSOR", {15, 15}},
      {crRightScroll, "CX_RIGHTSCROLLCURSOR", {15, 15}},
      {crDownScroll, "CX_DOWNSCROLLCURSOR", {15, 15}},
      {crLeftScroll, "CX_LEFTSCROLLCURSOR", {15, 15}},
      {crcxRemove, "CX_REMOVECURSOR", {0, 0}},
      {crcxVertSize, "CX_VERTSIZECURSOR", {15, 15}},
      {crcxHorzSize, "CX_HORZSIZECURSOR", {15, 15}},
      {crcxMultiDrag, "CX_MULTIDRAGCURSOR", {0, 0}},
      {crcxNoDrop, "CX_NODROPCURSOR", {15, 15}},
      {crcxDrag, "CX_DRAGCURSOR", {0, 0}},
      {crcxColorPicker, "CX_COLORPICKERCURSOR", {1, 30}},
      {crcxMultiDragCopy, "CX_MULTIDRAGCOPYCURSOR", {0, 0}},
      {crcxHand, "CX_HANDCURSOR", {10, 1}},
      {crcxHandDrag, "CX_HANDDRAGCURSOR", {15, 15}},
      {crdxLayoutControlNoDrop, "DXLAYOUTCONTROLNODROP", {0, 0}},
      {crdxLayoutControlRemove, "DXLAYOUTCONTROLREMOVE", {0, 0}},
      {crdxLayoutControlDropAfter, "DXLAYOUTCONTROLDROPAFTER", {0, 0}},
      {crdxLayoutControlDropBefore, "DXLAYOUTCONTROLDROPBEFORE", {0, 0}},
      {crdxLayoutControlDropInside, "DXLAYOUTCONTROLDROPINSIDE", {0, 0}},
      {crcxDropAfterCopy, "CXDROPAFTERCOPY", {0, 0}},
      {crcxDropBeforeCopy, "CXDROPBEFORECOPY", {0, 0}},
      {crcxDropInsideCopy, "CXDROPINSIDECOPY", {0, 0}},
  };
  return table;
}

void cxRegisterControlCursors() {
  // Only where each cursor comes from is recorded: the screen makes the
  // cursor when it is first asked for, so this runs before any window
  // system is up. Registering again changes nothing.
  ui::TScreen* screen = ui::ScreenInstance();
  for (const ControlCursor& c : ControlCursorTable()) screen->RegisterCursor(c.id, {c.resource, c.hotspot, nullptr});
  screen->RegisterCursor(crcxSystemHand, {nullptr, {}, win::IDC_HAND});
}

// ---- locked-state image -----------------------------------------------------------------------------

TcxLockedStateImageOptions::TcxLockedStateImageOptions(rtl::TComponent* AOwner)
    : FOwner(AOwner),
      FText(core::cxGetResourceString(&core::scxLockedStateText)),
      FFont(std::make_unique<ui::TFont>()) {}

TcxLockedStateImageOptions::~TcxLockedStateImageOptions() = default;

void TcxLockedStateImageOptions::AfterConstruction() {
  rtl::TPersistent::AfterConstruction();
  CopyFollowedFont();
  FFont->SetOnChange(rtl::TNotifyEvent::bind<&TcxLockedStateImageOptions::FontChanged>(this));
}

void TcxLockedStateImageOptions::CopyFollowedFont() {
  if (ui::TFont* followed = GetFont()) {
    FFollowing = true;
    rtl::ScopeExit done([this] { FFollowing = false; });
    FFont->Assign(followed);
  }
}

void TcxLockedStateImageOptions::FontChanged(rtl::TObject*) {
  if (!FFollowing) FAssignedValues.Include(TcxLockedStateImageAssignedValue::lsiavFont);
}

void TcxLockedStateImageOptions::SetColor(TColor AValue) {
  if (FColor == AValue) return;
  FColor = AValue;
  FAssignedValues.Include(TcxLockedStateImageAssignedValue::lsiavColor);
}

void TcxLockedStateImageOptions::SetAssignedValues(TcxLockedStateImageAssignedValues AValue) {
  if (FAssignedValues == AValue) return;
  FAssignedValues = AValue;
  if (!AValue.contains(TcxLockedStateImageAssignedValue::lsiavFont)) CopyFollowedFont();
  if (!AValue.contains(TcxLockedStateImageAssignedValue::lsiavColor)) FColor = ui::clNone;
}

void TcxLockedStateImageOptions::UpdateFont(ui::TFont* AFont) {
  if (FAssignedValues.contains(TcxLockedStateImageAssignedValue::lsiavFont) || !AFont) return;
  FFollowing = true;
  rtl::ScopeExit done([this] { FFollowing = false; });
  FFont->Assign(AFont);
}

bool TcxLockedStateImageOptions::IsTextStored() const {
  return FText != core::cxGetResourceString(&core::scxLockedStateText);
}

void TcxLockedStateImageOptions::Assign(rtl::TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxLockedStateImageOptions*>(Source)) {
    SetColor(source->Color());
    SetEffect(source->Effect());
    SetEnabled(source->Enabled());
    SetFont(source->Font());
    SetShowText(source->ShowText());
    SetText(source->Text());
    return;
  }
  rtl::TPersistent::Assign(Source);
}

TcxLockedStatePaintHelper::~TcxLockedStatePaintHelper() = default;

TcxCustomLookAndFeelPainter* TcxLockedStatePaintHelper::GetPainter() { return GetControl()->LookAndFeelPainter(); }

bool TcxLockedStatePaintHelper::CanControlPaint() {
  TcxControl* control = GetControl();
  return control && control->HandleAllocated() && control->Visible();
}

bool TcxLockedStatePaintHelper::CanCreateLockedImage() {
  TcxLockedStateImageOptions* options = GetOptions();
  if (!options || !options->Enabled()) return false;
  const rtl::TComponentState state = FOwner->ComponentState();
  return !state.contains(rtl::TComponentStateItem::csLoading) &&
         !state.contains(rtl::TComponentStateItem::csDestroying);
}

void TcxLockedStatePaintHelper::BeginLockedPaint(TcxLockedStateImageShowingMode AMode) {
  ++FCount;
  if (FCount != 1 || AMode == TcxLockedStateImageShowingMode::lsimNever) return;
  if (!CanControlPaint() || !CanCreateLockedImage()) return;
  CreateImage();
  if (AMode == TcxLockedStateImageShowingMode::lsimImmediate)
    win::RedrawWindow(GetControl()->Handle(), nullptr, nullptr,
                      win::RDW_INVALIDATE | win::RDW_UPDATENOW | win::RDW_ALLCHILDREN);
}

void TcxLockedStatePaintHelper::EndLockedPaint() {
  if (FCount == 0) return;
  if (--FCount != 0) return;
  FBitmap.reset();
  if (FIsImageReady) {
    FIsImageReady = false;
    if (CanControlPaint()) GetControl()->InvalidateWithChildren();
  }
}

void TcxLockedStatePaintHelper::CreateImage() {
  TcxControl* control = GetControl();
  const TRect client = control->ClientRect();
  if (!FBitmap) FBitmap = std::make_unique<core::TcxBitmap32>(client.right, client.bottom);
  else FBitmap->SetSize(client.right, client.bottom);
  {
    FCreatingImage = true;
    rtl::ScopeExit done([this] { FCreatingImage = false; });
    core::cxPaintToBitmap(control, FBitmap.get());
  }
  control->Update();
}

core::TcxBitmap* TcxLockedStatePaintHelper::GetImage() {
  if (!IsActive()) return nullptr;
  if (!FIsImageReady) {
    // Ready even when preparing failed: it is not retried on every paint.
    rtl::ScopeExit ready([this] { FIsImageReady = true; });
    PrepareImage();
  }
  return FBitmap.get();
}

core::TcxCanvas* TcxLockedStatePaintHelper::GetActiveCanvas() {
  if (FIsImageReady && FBitmap) return FBitmap->cxCanvas();
  return GetControl()->ActiveCanvas();
}

void TcxLockedStatePaintHelper::PrepareImage() {
  if (DoPrepareImage()) return;
  switch (GetOptions()->Effect()) {
    case TcxLockedStateImageEffect::lsieLight: FBitmap->Lighten(40); break;
    case TcxLockedStateImageEffect::lsieDark: FBitmap->Darken(60); break;
    default: break;
  }
  DrawText();
}

void TcxLockedStatePaintHelper::DrawText() {
  TcxLockedStateImageOptions* options = GetOptions();
  if (!options->ShowText() || options->Text().empty()) return;
  core::TcxCanvas* canvas = FBitmap->cxCanvas();
  canvas->Font()->Assign(options->Font());
  const TSize extent = canvas->TextExtent(options->Text());
  const int height = extent.cy;
  const int w = extent.cx + 3 * height, h = 3 * height;
  const int left = (FBitmap->Width() - w) / 2, top = (FBitmap->Height() - h) / 2;
  const TRect box{left, top, left + w, top + h};
  if (box.left < 0 || box.top < 0 || box.right > FBitmap->Width() || box.bottom > FBitmap->Height()) return;
  GetPainter()->DrawMessageBox(canvas, box, options->Text(), options->Font(), options->Color());
}

}  // namespace lookandfeel

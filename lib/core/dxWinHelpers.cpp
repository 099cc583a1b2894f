#include "lib/core/dxWinHelpers.h"

#include <cstdlib>

#include "platform/rtl/classes.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/formatsettings.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/win/constants.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/system.h"
#include "platform/win/window.h"

namespace core {

namespace {

using ui::TShiftState;
using ui::TShiftStateItem;

TdxCursorPosQuery cursorPosQuery = nullptr;
TdxDesignerModifiedProc designerModifiedProc = nullptr;

bool keyDown(int vk) { return win::GetAsyncKeyState(vk) < 0; }

rtl::Word charType(char16_t c) {
  rtl::Word type = 0;
  rtl::GetStringTypeW(rtl::CT_CTYPE1, &c, 1, &type);
  return type;
}

// Halving toward minus infinity, as all of the library's centring does.
int halfFloor(int sum) { return sum >= 0 ? sum / 2 : -((-sum + 1) / 2); }

// The cross product that tells on which side of the line from a to b p lies.
long long side(const TPoint& a, const TPoint& b, const TPoint& p) {
  return (long long)(p.x - a.x) * (b.y - a.y) - (long long)(p.y - a.y) * (b.x - a.x);
}

bool isSettled(const rtl::TComponent* c) {
  using S = rtl::TComponentStateItem;
  const auto state = c->ComponentState();
  return !state.contains(S::csLoading) && !state.contains(S::csWriting) && !state.contains(S::csDestroying);
}

}  // namespace

// --- keys, characters and the mouse ---------------------------------------------------------

char16_t GetCharFromKeyCode(rtl::Word key) {
  win::BYTE state[256] = {};
  win::GetKeyboardState(state);
  char16_t buffer[8] = {};
  const int n = win::ToUnicode(key, win::MapVirtualKeyW(key, 0), state, buffer, 8, 0);
  return n == 1 ? buffer[0] : u'\0';
}

win::WPARAM GetMouseKeys() {
  win::WPARAM keys = 0;
  if (keyDown(win::VK_LBUTTON)) keys |= win::MK_LBUTTON;
  if (keyDown(win::VK_RBUTTON)) keys |= win::MK_RBUTTON;
  if (keyDown(win::VK_SHIFT)) keys |= win::MK_SHIFT;
  if (keyDown(win::VK_CONTROL)) keys |= win::MK_CONTROL;
  if (keyDown(win::VK_MBUTTON)) keys |= win::MK_MBUTTON;
  return keys;
}

win::WPARAM ShiftStateToKeys(TShiftState shift) {
  win::WPARAM keys = 0;
  if (shift.contains(ui::ssLeft)) keys |= win::MK_LBUTTON;
  if (shift.contains(ui::ssRight)) keys |= win::MK_RBUTTON;
  if (shift.contains(ui::ssShift)) keys |= win::MK_SHIFT;
  if (shift.contains(ui::ssCtrl)) keys |= win::MK_CONTROL;
  if (shift.contains(ui::ssMiddle)) keys |= win::MK_MBUTTON;
  return keys;
}

int GetDblClickInterval() { return static_cast<int>(win::GetDoubleClickTime()); }

bool IsCtrlPressed() { return keyDown(win::VK_CONTROL); }

bool cxShiftStateMoveOnly(TShiftState shift) {
  const TShiftState others{ui::ssShift, ui::ssAlt, ui::ssCtrl, ui::ssLeft, ui::ssRight, ui::ssMiddle, ui::ssDouble};
  return (shift * others).empty();
}

bool cxShiftStateLeftOnly(TShiftState shift, bool canIncludeDoubleClick) {
  const TShiftState others{ui::ssShift, ui::ssAlt, ui::ssCtrl, ui::ssRight, ui::ssMiddle};
  return shift.contains(ui::ssLeft) && (shift * others).empty() &&
         (canIncludeDoubleClick || !shift.contains(ui::ssDouble));
}

bool IsTextChar(char16_t c) { return (charType(c) & rtl::C1_CNTRL) == 0; }

bool IsEditStartChar(char16_t c) { return IsTextChar(c) || c == 8 || c == 22 || c == 24; }

bool IsIncSearchStartChar(char16_t c) { return IsTextChar(c) || c == 8; }

bool IsNumericChar(char16_t c, TcxNumberType type) {
  if (c == u'-' || c == u'+' || (charType(c) & rtl::C1_DIGIT) != 0) return true;
  if (type != TcxNumberType::ntInteger && c == rtl::FormatSettings().DecimalSeparator) return true;
  return type == TcxNumberType::ntExponent && (c == u'e' || c == u'E');
}

bool IsSysKey(rtl::Word key) {
  if (key > 255) return false;
  switch (key) {
    case 3: case 9: case 12: case 13: case 27: case 229: return true;
    default: break;
  }
  return (key >= 16 && key <= 20) || (key >= 33 && key <= 47) || (key >= 91 && key <= 145) ||
         (key >= 160 && key <= 165) || (key >= 246 && key <= 254);
}

rtl::Word TranslateKey(rtl::Word key) { return key; }

TPoint GetMouseCursorPos() {
  win::POINT p{};
  const bool ok = cursorPosQuery ? cursorPosQuery(&p) != 0 : win::GetCursorPos(&p) != 0;
  return ok ? p : cxInvalidPoint;
}

void dxSetCursorPosQuery(TdxCursorPosQuery query) { cursorPosQuery = query; }

int dxGetDragThreshold() { return win::GetSystemMetrics(win::SM_CXDRAG); }

bool IsPointInDragDetectArea(const TPoint& mouseDownPos, int x, int y) {
  const int threshold = dxGetDragThreshold();
  return std::abs(x - mouseDownPos.x) < threshold && std::abs(y - mouseDownPos.y) < threshold;
}

// --- windows and controls -------------------------------------------------------------------

bool IsChildClassWindow(win::HWND wnd) {
  return (win::GetWindowLongW(wnd, win::GWL_STYLE) & static_cast<win::LONG>(win::WS_CHILD)) != 0;
}

bool IsChildEx(win::HWND parentWnd, win::HWND wnd) {
  return parentWnd != nullptr && (parentWnd == wnd || win::IsChild(parentWnd, wnd));
}

bool IsWindowEnabledEx(win::HWND wnd) {
  bool result = win::IsWindowEnabled(wnd) != 0;
  while (result && IsChildClassWindow(wnd)) {
    wnd = win::GetParent(wnd);
    result = win::IsWindowEnabled(wnd) != 0;
  }
  return result;
}

bool IsControlVisible(ui::TWinControl* control) {
  return control != nullptr && control->HandleAllocated() && win::IsWindowVisible(control->Handle());
}

bool cxIsParentFocused(win::HWND parent) {
  if (parent == nullptr) return false;
  if (parent == win::GetFocus()) return true;
  return IsChildClassWindow(parent) && cxIsParentFocused(win::GetParent(parent));
}

ui::TWinControl* cxFindVCLControl(win::HWND wnd) {
  while (wnd) {
    if (ui::TWinControl* control = ui::TWinControl::FindControl(wnd)) return control;
    wnd = win::GetParent(wnd);
  }
  return nullptr;
}

ui::TWinControl* dxFindParentControl(win::HWND wnd) { return cxFindVCLControl(wnd); }

ui::TCustomForm* dxGetParentForm(win::HWND wnd) {
  ui::TWinControl* control = cxFindVCLControl(wnd);
  return control ? ui::GetParentForm(control) : nullptr;
}

ui::TCustomForm* dxGetScreenActiveForm() {
  if (ui::TScreen* screen = ui::ScreenInstance()) {
    if (ui::TCustomForm* form = screen->ActiveForm()) return form;
  }
  return dxGetParentForm(win::GetActiveWindow());
}

rtl::TComponent* cxFindComponent(rtl::TComponent* parent, rtl::TClass cls) {
  if (!parent) return nullptr;
  for (int i = 0; i < parent->ComponentCount(); ++i) {
    rtl::TComponent* c = parent->Components(i);
    if (c->InheritsFrom(cls)) return c;
  }
  return nullptr;
}

rtl::String cxGetFullComponentName(rtl::TComponent* component) {
  rtl::String result;
  for (rtl::TComponent* c = component; c; c = c->Owner()) {
    if (c->Name().empty()) continue;
    result = result.empty() ? c->Name() : c->Name() + u"." + result;
  }
  return result;
}

TPoint cxClientToParent(ui::TControl* control, const TPoint& p, ui::TWinControl* parent) {
  return parent->ScreenToClient(control->ClientToScreen(p));
}

void dxPerformMessageByQueue(ui::TControl* control, win::UINT msg) {
  while (control && !control->InheritsFrom(ui::TCustomForm::classInfo())) {
    control->Perform(msg, 0, 0);
    control = control->Parent();
  }
}

void cxRecreateControlWnd(ui::TWinControl* control, bool post) {
  if (!control || !control->HandleAllocated()) return;
  if (post)
    win::PostMessageW(control->Handle(), ui::CM_RECREATEWND, 0, 0);
  else
    control->Perform(ui::CM_RECREATEWND, 0, 0);
}

// --- coordinates and rectangles -------------------------------------------------------------

TPoint cxClientToScreen(win::HWND wnd, const TPoint& p) {
  win::POINT result = p;
  win::ClientToScreen(wnd, &result);
  return result;
}

TRect cxGetClientRect(win::HWND wnd) {
  win::RECT r{};
  return win::GetClientRect(wnd, &r) ? r : cxNullRect;
}

TRect cxGetWindowRect(win::HWND wnd) {
  win::RECT r{};
  return win::GetWindowRect(wnd, &r) ? r : cxNullRect;
}

TRect cxGetWindowRect(ui::TWinControl* control) {
  return control && control->HandleAllocated() ? cxGetWindowRect(control->Handle()) : cxNullRect;
}

TRect cxGetWindowBounds(win::HWND wnd) {
  const TRect r = cxGetWindowRect(wnd);
  return TRect{0, 0, r.right - r.left, r.bottom - r.top};
}

TRect cxGetWindowBounds(ui::TWinControl* control) {
  const TRect r = cxGetWindowRect(control);
  return TRect{0, 0, r.right - r.left, r.bottom - r.top};
}

TPoint cxGetClientOffset(win::HWND wnd) {
  const TPoint client = cxClientToScreen(wnd, TPoint{0, 0});
  const TRect window = cxGetWindowRect(wnd);
  return TPoint{client.x - window.left, client.y - window.top};
}

TPoint dxMapWindowPoint(win::HWND from, win::HWND to, const TPoint& p, bool client) {
  win::POINT result = p;
  if (client) {
    win::MapWindowPoints(from, to, &result, 1);
    return result;
  }
  const TRect f = cxGetWindowRect(from), t = cxGetWindowRect(to);
  return TPoint{p.x + f.left - t.left, p.y + f.top - t.top};
}

TRect dxMapWindowRect(win::HWND from, win::HWND to, const TRect& r, bool client) {
  const TPoint topLeft = dxMapWindowPoint(from, to, TPoint{r.left, r.top}, client);
  return TRect{topLeft.x, topLeft.y, topLeft.x + (r.right - r.left), topLeft.y + (r.bottom - r.top)};
}

TRect GetMonitorWorkArea(win::HMONITOR monitor) {
  if (!monitor) {
    win::RECT r{};
    win::SystemParametersInfoW(win::SPI_GETWORKAREA, 0, &r, 0);
    return r;
  }
  win::MONITORINFO info;
  if (!win::GetMonitorInfoW(monitor, &info)) return GetMonitorWorkArea(nullptr);
  return info.rcWork;
}

TRect GetDesktopWorkArea(const TPoint& p) {
  return GetMonitorWorkArea(win::MonitorFromPoint(p, win::MONITOR_DEFAULTTONEAREST));
}

void MakeVisibleOnDesktop(TRect& bounds, const TPoint& desktopPoint) {
  const TRect area = GetDesktopWorkArea(desktopPoint);
  auto shift = [&](int dx, int dy) {
    bounds.left += dx;
    bounds.right += dx;
    bounds.top += dy;
    bounds.bottom += dy;
  };
  if (bounds.right > area.right) shift(area.right - bounds.right, 0);
  if (bounds.bottom > area.bottom) shift(0, area.bottom - bounds.bottom);
  if (bounds.left < area.left) shift(area.left - bounds.left, 0);
  if (bounds.top < area.top) shift(0, area.top - bounds.top);
}

win::HWND cxWindowFromPoint(const TPoint& p) {
  win::HWND hit = win::WindowFromPoint(p);
  if (!hit) return nullptr;
  win::HWND wnd = win::GetAncestor(hit, win::GA_ROOT);
  if (!wnd) wnd = hit;
  win::POINT local = p;
  win::ScreenToClient(wnd, &local);
  for (;;) {
    win::HWND child = win::ChildWindowFromPointEx(wnd, local, win::CWP_SKIPINVISIBLE);
    if (!child || child == wnd) break;
    win::MapWindowPoints(wnd, child, &local, 1);
    wnd = child;
  }
  return wnd;
}

TcxPosition GetPointPosition(const TRect& rect, const TPoint& p, bool horzSeparation, bool vertSeparation) {
  if (horzSeparation && vertSeparation) {
    const bool s1 = side({rect.left, rect.bottom}, {rect.right, rect.top}, p) >= 0;
    const bool s2 = side({rect.left, rect.top}, {rect.right, rect.bottom}, p) >= 0;
    if (s1) return s2 ? TcxPosition::posTop : TcxPosition::posLeft;
    return s2 ? TcxPosition::posRight : TcxPosition::posBottom;
  }
  if (horzSeparation)
    return p.x < halfFloor(rect.left + rect.right) ? TcxPosition::posLeft : TcxPosition::posRight;
  if (vertSeparation)
    return p.y < halfFloor(rect.top + rect.bottom) ? TcxPosition::posTop : TcxPosition::posBottom;
  return TcxPosition::posNone;
}

// --- painting and order ---------------------------------------------------------------------

void cxInvalidateRect(win::HWND wnd, const TRect& r, bool eraseBackground) {
  win::InvalidateRect(wnd, &r, eraseBackground);
}

void cxInvalidateRect(win::HWND wnd, bool eraseBackground) { win::InvalidateRect(wnd, nullptr, eraseBackground); }

void cxInvalidateRect(ui::TWinControl* control, const TRect& r, bool eraseBackground) {
  if (control && control->HandleAllocated()) cxInvalidateRect(control->Handle(), r, eraseBackground);
}

void cxInvalidateRect(ui::TWinControl* control, bool eraseBackground) {
  if (control && control->HandleAllocated()) cxInvalidateRect(control->Handle(), eraseBackground);
}

void cxRedrawWindow(win::HWND wnd, win::UINT flags) { win::RedrawWindow(wnd, nullptr, nullptr, flags); }

void cxRedrawWindow(win::HWND wnd, const TRect& r, bool eraseBackground, bool redrawNC) {
  win::UINT flags = win::RDW_INVALIDATE;
  if (eraseBackground) flags |= win::RDW_ERASE;
  if (redrawNC) flags |= win::RDW_FRAME;
  win::RedrawWindow(wnd, &r, nullptr, flags);
}

void dxSetZOrder(win::HWND wnd, win::HWND wndAfter, bool activate, win::UINT flags) {
  flags |= win::SWP_NOMOVE | win::SWP_NOSIZE;
  if (!activate) flags |= win::SWP_NOACTIVATE;
  win::SetWindowPos(wnd, wndAfter, 0, 0, 0, 0, flags);
}

// --- text and design time -------------------------------------------------------------------

rtl::String RemoveAccelChars(const rtl::String& s, bool appendTerminatingUnderscore) {
  rtl::String result;
  result.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'&') {
      result += s[i];
    } else if (i + 1 < s.size()) {
      result += s[++i];
    } else if (appendTerminatingUnderscore) {
      result += u'_';
    }
  }
  return result;
}

void dxSetDesignerModifiedProc(TdxDesignerModifiedProc proc) { designerModifiedProc = proc; }

void SetDesignerModified(rtl::TPersistent* persistent) {
  auto* component = dynamic_cast<rtl::TComponent*>(persistent);
  if (!component || !designerModifiedProc) return;
  if (!component->ComponentState().contains(rtl::TComponentStateItem::csDesigning) || !isSettled(component)) return;
  if (auto* control = dynamic_cast<ui::TControl*>(component)) {
    for (ui::TWinControl* p = control->Parent(); p; p = p->Parent())
      if (!isSettled(p)) return;
  }
  rtl::TComponent* root = component;
  while (root->Owner()) root = root->Owner();
  designerModifiedProc(root);
}

}  // namespace core

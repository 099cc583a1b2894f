// Input: native events to messages (routing by hit test, capture, double
// clicks, keys), keyboard state, focus and activation, caret, cursors.
#include "platform/win/input.h"

#include <algorithm>

#include "platform/gdi/draw.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/mainloop.h"
#include "platform/win/impl/state.h"

namespace win {
namespace impl {

namespace {

bool rectContains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Whether the screen point lies on the window (its rectangle and shape).
bool onWindow(Window* w, POINT screen) {
  POINT o = windowOriginOnScreen(w);
  RECT r{o.x, o.y, o.x + w->width(), o.y + w->height()};
  if (!rectContains(r, screen)) return false;
  if (w->windowRgn && !gdi::PtInRegion(w->windowRgn, screen.x - o.x, screen.y - o.y)) return false;
  return true;
}

// The deepest visible, enabled child under the point that does not answer
// HTTRANSPARENT, with its hit-test code; `sendHit` false skips WM_NCHITTEST.
Window* hitChild(Window* w, POINT screen, bool sendHit, LRESULT* hit) {
  // Children are in the client area.
  POINT co = clientOriginOnScreen(w);
  RECT cr{co.x, co.y, co.x + (w->client.right - w->client.left), co.y + (w->client.bottom - w->client.top)};
  if (rectContains(cr, screen)) {
    for (Window* c : std::vector<Window*>(w->children)) {
      if (!(c->style & WS_VISIBLE) || c->dead || !onWindow(c, screen)) continue;
      if (c->style & WS_DISABLED) continue;  // the parent gets what lands on a disabled child
      Window* found = hitChild(c, screen, sendHit, hit);
      if (found) return found;
    }
  }
  LRESULT h = HTCLIENT;
  if (sendHit) h = send(w, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  if (w->dead) return nullptr;
  if (h == HTTRANSPARENT) return nullptr;
  *hit = h;
  return w;
}

Window* windowAt(POINT screen, bool sendHit, LRESULT* hit, HWND within = nullptr) {
  State& st = state();
  // The display may tell which of our windows got the event (other programs'
  // windows can lie between ours); otherwise our own z-order decides.
  if (Window* t = find(within)) {
    t = topLevelOf(t);
    if ((t->style & WS_VISIBLE) && !t->minimized && onWindow(t, screen)) {
      if (Window* w = hitChild(t, screen, sendHit, hit)) return w;
    }
    *hit = HTNOWHERE;
    return nullptr;
  }
  for (Window* t : std::vector<Window*>(st.topLevels)) {
    if (!(t->style & WS_VISIBLE) || t->dead || !t->hasNative || t->minimized) continue;
    if (!onWindow(t, screen)) continue;
    Window* w = hitChild(t, screen, sendHit, hit);
    if (w) return w;
  }
  *hit = HTNOWHERE;
  return nullptr;
}

WPARAM mouseKeyFlags() {
  State& st = state();
  WPARAM f = 0;
  if (st.keyState[VK_LBUTTON] & 0x80) f |= MK_LBUTTON;
  if (st.keyState[VK_RBUTTON] & 0x80) f |= MK_RBUTTON;
  if (st.keyState[VK_MBUTTON] & 0x80) f |= MK_MBUTTON;
  if (st.keyState[VK_XBUTTON1] & 0x80) f |= MK_XBUTTON1;
  if (st.keyState[VK_XBUTTON2] & 0x80) f |= MK_XBUTTON2;
  if (st.keyState[VK_SHIFT] & 0x80) f |= MK_SHIFT;
  if (st.keyState[VK_CONTROL] & 0x80) f |= MK_CONTROL;
  return f;
}

UINT buttonVk(MouseButton b) {
  switch (b) {
    case MouseButton::Left: return VK_LBUTTON;
    case MouseButton::Right: return VK_RBUTTON;
    case MouseButton::Middle: return VK_MBUTTON;
    case MouseButton::X1: return VK_XBUTTON1;
    case MouseButton::X2: return VK_XBUTTON2;
  }
  return VK_LBUTTON;
}

// Client message for a button; the NC one is 0x0200 lower (0xA0 base).
UINT buttonMessage(MouseButton b, bool down, bool dbl) {
  switch (b) {
    case MouseButton::Left: return dbl ? WM_LBUTTONDBLCLK : (down ? WM_LBUTTONDOWN : WM_LBUTTONUP);
    case MouseButton::Right: return dbl ? WM_RBUTTONDBLCLK : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    case MouseButton::Middle: return dbl ? WM_MBUTTONDBLCLK : (down ? WM_MBUTTONDOWN : WM_MBUTTONUP);
    default: return dbl ? WM_XBUTTONDBLCLK : (down ? WM_XBUTTONDOWN : WM_XBUTTONUP);
  }
}

UINT toNonClient(UINT m) { return m - WM_MOUSEMOVE + WM_NCMOUSEMOVE; }

void setAsyncKey(UINT vk, bool down) {
  State& st = state();
  if (vk >= 256) return;
  st.asyncKeyState[vk] = down ? 0x80 : 0;
}

void setSyncKey(UINT vk, bool down) {
  State& st = state();
  if (vk >= 256) return;
  if (down) {
    if (!(st.keyState[vk] & 0x80)) st.keyState[vk] ^= 0x01;  // toggles on each press
    st.keyState[vk] |= 0x80;
  } else {
    st.keyState[vk] &= 0x7F;
  }
}

// Left/right keys also set their generic key.
void setGenericKey(UINT vk, bool down, void (*set)(UINT, bool)) {
  set(vk, down);
  State& st = state();
  const BYTE* table = set == &setSyncKey ? st.keyState : st.asyncKeyState;
  auto pair = [&](UINT l, UINT r, UINT g) {
    if (vk == l || vk == r) set(g, (table[l] & 0x80) || (table[r] & 0x80));
  };
  pair(VK_LSHIFT, VK_RSHIFT, VK_SHIFT);
  pair(VK_LCONTROL, VK_RCONTROL, VK_CONTROL);
  pair(VK_LMENU, VK_RMENU, VK_MENU);
}

void updateTracking(Window* over, LRESULT hit) {
  State& st = state();
  auto& tr = st.tracking;
  if (!tr.hwnd) return;
  const bool nonClient = (tr.flags & TME_NONCLIENT) != 0;
  const bool stillOver = over && over->handle == tr.hwnd && ((hit == HTCLIENT) != nonClient);
  if (!stillOver && (tr.flags & TME_LEAVE)) {
    HWND h = tr.hwnd;
    if (tr.hoverTimer) rtl::KillTimer(tr.hoverTimer);
    tr = State::Tracking{};
    PostMessageW(h, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
  }
}

void armHover() {
  State& st = state();
  auto& tr = st.tracking;
  if (tr.hoverTimer) rtl::KillTimer(tr.hoverTimer);
  tr.hoverTimer = 0;
  if (!(tr.flags & TME_HOVER) || !tr.hwnd) return;
  tr.hoverStart = st.cursorPos;
  tr.hoverTimer = rtl::SetTimer(tr.hoverTime, [] {
    State& s = state();
    auto& t = s.tracking;
    if (t.hoverTimer) rtl::KillTimer(t.hoverTimer);
    t.hoverTimer = 0;
    Window* w = find(t.hwnd);
    if (!w || !(t.flags & TME_HOVER)) return;
    POINT p = s.cursorPos;
    const bool nonClient = (t.flags & TME_NONCLIENT) != 0;
    if (!nonClient) ScreenToClient(w->handle, &p);
    t.flags &= ~TME_HOVER;
    PostMessageW(w->handle, nonClient ? WM_NCMOUSEHOVER : WM_MOUSEHOVER, 0, MAKELPARAM(p.x, p.y));
    if (!(t.flags & TME_LEAVE)) t = State::Tracking{};
  });
}

// WM_MOUSEACTIVATE and activation for a click on an inactive window.
// Returns false when the click is eaten.
bool clickActivate(Window* target, LRESULT hit, UINT msg) {
  State& st = state();
  Window* top = topLevelOf(target);
  if (!top || top->handle == st.active || (top->exStyle & WS_EX_NOACTIVATE) || !st.backend) return true;
  const LRESULT ma = send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                          MAKELPARAM(int(hit), int(msg)));
  if (target->dead || top->dead) return false;
  if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) {
    if (hasHooks(WH_CBT)) {
      CBTACTIVATESTRUCT cbt{TRUE, st.active};
      if (callHooks(WH_CBT, HCBT_ACTIVATE, reinterpret_cast<WPARAM>(top->handle), reinterpret_cast<LPARAM>(&cbt))) {
        return true;
      }
    }
    activate(top, WA_CLICKACTIVE, true);
  }
  return !(ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT);
}

void drawCaret(Window* owner) {
  CaretState& c = state().caret;
  Window* top = topLevelOf(owner);
  ensureSurface(top);
  HRGN vis = visibleRegion(owner, true, (owner->style & WS_CLIPCHILDREN) != 0,
                           (owner->style & WS_CLIPSIBLINGS) != 0);
  RECT cr = clientRectInTop(owner);
  gdi::OffsetRgn(vis, -cr.left, -cr.top);
  HDC dc = gdi::CreateSurfaceDC(top->surface->view(), POINT{cr.left, cr.top}, vis);
  gdi::DeleteObject(vis);
  RECT r{c.pos.x, c.pos.y, c.pos.x + std::max(1, c.width), c.pos.y + std::max(1, c.height)};
  gdi::InvertRect(dc, &r);
  gdi::DeleteDC(dc);
  RECT onTop = r;
  gdi::OffsetRect(&onTop, cr.left, cr.top);
  addDirty(top, onTop);
}

void caretToggle(bool on) {
  CaretState& c = state().caret;
  if (on && c.paintDCs > 0) return;  // shown when the painting ends
  Window* owner = find(c.owner);
  if (!owner || !isVisible(owner)) {
    c.drawn = false;
    return;
  }
  if (on == c.drawn) return;
  drawCaret(owner);
  c.drawn = on;
}

void caretBlinkArm() {
  CaretState& c = state().caret;
  if (c.blinkTimer) rtl::KillTimer(c.blinkTimer);
  c.blinkTimer = 0;
  if (!c.owner || c.hideCount > 0) return;
  c.blinkTimer = rtl::SetTimer(GetCaretBlinkTime(), [] {
    CaretState& cs = state().caret;
    if (cs.hideCount > 0 || !cs.owner) return;
    cs.blinkOn = !cs.drawn;
    caretToggle(!cs.drawn);
  });
}

UINT systemCursorId(LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return 0;
  const UINT id = UINT(reinterpret_cast<UINT_PTR>(name));
  switch (id) {
    case 32512: case 32513: case 32514: case 32515: case 32516: case 32642: case 32643:
    case 32644: case 32645: case 32646: case 32648: case 32649: case 32650: case 32651:
      return id;
    default:
      return 0;
  }
}

}  // namespace

void setCursorPos(POINT p) {
  State& st = state();
  st.cursorPos = p;
  st.cursorPacked.store((std::uint64_t(std::uint32_t(p.x)) << 32) | std::uint32_t(p.y), std::memory_order_relaxed);
}

POINT cursorPosAnyThread() {
  const std::uint64_t v = state().cursorPacked.load(std::memory_order_relaxed);
  return POINT{LONG(std::int32_t(std::uint32_t(v >> 32))), LONG(std::int32_t(std::uint32_t(v)))};
}

void applyKeyState(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      setGenericKey(UINT(msg.wParam), true, &setSyncKey);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      setGenericKey(UINT(msg.wParam), false, &setSyncKey);
      break;
    default:
      break;
  }
}

void pushNative(const NativeEvent& e) {
  State& st = state();
  NativeEvent ev = e;
  if (ev.timeMs < 0) ev.timeMs = rtl::CurrentClock().MonotonicMs();
  switch (ev.type) {
    case NativeEventType::MouseMove:
    case NativeEventType::MouseDown:
    case NativeEventType::MouseUp:
    case NativeEventType::MouseWheel: {
      setCursorPos(ev.screen);
      if (ev.type == NativeEventType::MouseDown) setAsyncKey(buttonVk(ev.button), true);
      if (ev.type == NativeEventType::MouseUp) setAsyncKey(buttonVk(ev.button), false);
      QueuedMessage q;
      q.raw = true;
      q.event = ev;
      std::lock_guard<std::mutex> lock(st.queueMutex);
      q.serial = st.nextInputSerial++;
      // Moves coalesce, as the platform keeps one pending move.
      if (ev.type == NativeEventType::MouseMove && !st.input.empty() &&
          st.input.back().event.type == NativeEventType::MouseMove) {
        st.input.back() = q;
      } else {
        st.input.push_back(q);
      }
      break;
    }
    case NativeEventType::MouseLeave:
      updateTracking(nullptr, HTNOWHERE);
      break;
    case NativeEventType::KeyDown:
    case NativeEventType::KeyUp: {
      setGenericKey(ev.vk, ev.type == NativeEventType::KeyDown, &setAsyncKey);
      QueuedMessage q;
      q.raw = true;
      q.event = ev;
      std::lock_guard<std::mutex> lock(st.queueMutex);
      q.serial = st.nextInputSerial++;
      st.input.push_back(q);
      break;
    }
    case NativeEventType::FocusIn: {
      Window* w = find(ev.window);
      if (w && (w->style & WS_DISABLED)) {
        // A window behind a modal one: its enabled popup takes the activation.
        Window* popup = find(GetWindow(w->handle, GW_ENABLEDPOPUP));
        if (!popup) popup = find(GetLastActivePopup(w->handle));
        if (!popup || popup == w || (popup->style & WS_DISABLED)) break;
        w = popup;
        if (st.backend && w->hasNative) st.backend->RaiseNativeWindow(w->handle, true);
      }
      if (w && !w->isChild() && st.active != w->handle) activate(w, WA_ACTIVE, true);
      else if (w && !st.appActive) activate(w, WA_ACTIVE, true);
      break;
    }
    case NativeEventType::FocusOut: {
      Window* w = find(ev.window);
      if (w && st.active == w->handle) deactivateApp();
      break;
    }
    case NativeEventType::Expose: {
      Window* w = find(ev.window);
      if (w && w->surface && st.backend && w->hasNative) {
        RECT r = ev.rect;
        RECT b{0, 0, w->surface->width, w->surface->height};
        if (gdi::IntersectRect(&r, &r, &b)) st.backend->Present(w->handle, w->surface->view(), r);
      }
      break;
    }
    case NativeEventType::Configure: {
      Window* w = find(ev.window);
      if (!w || w->isChild()) break;
      const RECT& r = ev.rect;
      if (r == w->rect) break;
      // The display moved it: tell the window without asking the display back.
      const bool hadNative = w->hasNative;
      w->hasNative = false;
      SetWindowPos(w->handle, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      if (Window* still = find(ev.window)) still->hasNative = hadNative;
      break;
    }
    case NativeEventType::Close: {
      Window* w = find(ev.window);
      if (w) PostMessageW(w->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    }
  }
}

bool routeRawInput(QueuedMessage& q, MSG* out, bool remove, bool hooks) {
  State& st = state();
  const NativeEvent& e = q.event;
  const DWORD time = DWORD(std::uint64_t(e.timeMs));
  if (e.type == NativeEventType::KeyDown || e.type == NativeEventType::KeyUp) {
    const bool down = e.type == NativeEventType::KeyDown;
    // The modifiers as of this key: the state the messages before it left.
    const bool isAlt = e.vk == VK_MENU || e.vk == VK_LMENU || e.vk == VK_RMENU;
    const bool alt = (st.keyState[VK_MENU] & 0x80) != 0 || (isAlt && down);
    const bool ctrl = (st.keyState[VK_CONTROL] & 0x80) != 0;
    Window* target = find(st.focus);
    bool sys = (alt && !ctrl) || e.vk == VK_F10;
    // Releasing Alt after using it with another key is a plain key-up.
    if (isAlt && !down && st.altUsed) sys = false;
    if (!target) {
      target = find(st.active);
      sys = true;  // keys without a focus window go to the active window as system keys
    }
    if (!target) return false;
    UINT vk = e.vk;
    // The generic key is what the messages carry.
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) vk = VK_SHIFT;
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) vk = VK_CONTROL;
    if (vk == VK_LMENU || vk == VK_RMENU) vk = VK_MENU;
    LPARAM lp = 1 | (LPARAM(e.scanCode & 0xFF) << 16);
    if (e.extended) lp |= KF_EXTENDED_BIT;
    if (alt && !ctrl) lp |= KF_ALTDOWN_BIT;
    if (!down || e.repeat || (st.keyState[vk] & 0x80)) lp |= KF_REPEAT_BIT;
    if (!down) lp |= KF_UP_BIT;
    lp &= 0xFFFFFFFF;
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    *out = MSG{target->handle, msg, vk, LPARAM(std::int32_t(std::uint32_t(lp))), time, st.cursorPos};
    if (hooks && hasHooks(WH_KEYBOARD)) {
      const LRESULT r = callHooks(WH_KEYBOARD, remove ? HC_ACTION : HC_NOREMOVE, vk, out->lParam);
      if (r && remove) {
        applyKeyState(*out);
        return false;
      }
    }
    if (remove) {
      if (isAlt && down) st.altUsed = false;
      else if (!isAlt && down && alt) st.altUsed = true;
    }
    if (remove && down) {
      st.keyTexts.push_back(State::KeyText{out->lParam, vk, time, e.text, e.deadKey});
      if (st.keyTexts.size() > 64) st.keyTexts.pop_front();
    }
    return true;
  }

  // Mouse.
  const POINT pt = e.screen;
  LRESULT hit = HTCLIENT;
  Window* target = nullptr;
  if (Window* cap = find(st.capture)) {
    target = cap;
  } else {
    target = windowAt(pt, true, &hit, e.window);
  }
  if (e.type == NativeEventType::MouseWheel) {
    // The wheel goes to the focus window (the platform's rule), else the
    // window under the pointer.
    Window* f = find(st.focus);
    if (f) target = f;
    if (!target) return false;
    const WPARAM keys = mouseKeyFlags();
    *out = MSG{target->handle, e.horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
               MAKEWPARAM(int(keys), e.wheelDelta), MAKELPARAM(pt.x, pt.y), time, pt};
    if (hooks && hasHooks(WH_MOUSE)) {
      MOUSEHOOKSTRUCTEX mh;
      mh.pt = pt;
      mh.hwnd = target->handle;
      mh.wHitTestCode = UINT(hit);
      mh.mouseData = DWORD(MAKELONG(0, WORD(e.wheelDelta)));
      if (callHooks(WH_MOUSE, remove ? HC_ACTION : HC_NOREMOVE, out->message, reinterpret_cast<LPARAM>(&mh)) && remove) {
        return false;
      }
    }
    return true;
  }
  if (!target) {
    if (remove) updateTracking(nullptr, HTNOWHERE);
    return false;
  }
  const bool captured = find(st.capture) == target;
  if (!captured && (topLevelOf(target)->style & WS_DISABLED)) {
    // A disabled window (behind a modal one) gets no input.
    if (remove && e.type == NativeEventType::MouseDown) MessageBeep(0);
    return false;
  }
  UINT msg = WM_MOUSEMOVE;
  bool dbl = false;
  if (e.type == NativeEventType::MouseDown || e.type == NativeEventType::MouseUp) {
    const bool down = e.type == NativeEventType::MouseDown;
    if (down && (target->cls->wc.style & CS_DBLCLKS) && !captured) {
      auto& lc = st.lastClick;
      const int cx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, cy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
      if (lc.hwnd == target->handle && lc.button == buttonVk(e.button) &&
          e.timeMs - lc.timeMs <= Int64(st.doubleClickTime) && std::abs(pt.x - lc.pt.x) <= cx &&
          std::abs(pt.y - lc.pt.y) <= cy) {
        dbl = true;
      }
    } else if (down && !captured) {
      auto& lc = st.lastClick;
      const int cx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, cy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
      if (lc.hwnd == target->handle && lc.button == buttonVk(e.button) &&
          e.timeMs - lc.timeMs <= Int64(st.doubleClickTime) && std::abs(pt.x - lc.pt.x) <= cx &&
          std::abs(pt.y - lc.pt.y) <= cy && hit != HTCLIENT) {
        dbl = true;  // non-client double clicks need no class style
      }
    }
    msg = buttonMessage(e.button, down, dbl);
  }
  const bool client = captured || hit == HTCLIENT;
  WPARAM wp;
  LPARAM lp;
  if (client) {
    POINT c = pt;
    ScreenToClient(target->handle, &c);
    // Button state as it will be once this message is handled.
    wp = mouseKeyFlags();
    if (e.type == NativeEventType::MouseDown) {
      const UINT vk = buttonVk(e.button);
      wp |= vk == VK_LBUTTON ? MK_LBUTTON : vk == VK_RBUTTON ? MK_RBUTTON : vk == VK_MBUTTON ? MK_MBUTTON : vk == VK_XBUTTON1 ? MK_XBUTTON1 : MK_XBUTTON2;
    } else if (e.type == NativeEventType::MouseUp) {
      const UINT vk = buttonVk(e.button);
      wp &= ~(vk == VK_LBUTTON ? MK_LBUTTON : vk == VK_RBUTTON ? MK_RBUTTON : vk == VK_MBUTTON ? MK_MBUTTON : vk == VK_XBUTTON1 ? MK_XBUTTON1 : MK_XBUTTON2);
    }
    if (e.button == MouseButton::X1 || e.button == MouseButton::X2) {
      if (msg != WM_MOUSEMOVE) wp = MAKEWPARAM(int(wp), e.button == MouseButton::X1 ? XBUTTON1 : XBUTTON2);
    }
    lp = MAKELPARAM(c.x, c.y);
  } else {
    msg = toNonClient(msg);
    wp = WPARAM(hit);
    lp = MAKELPARAM(pt.x, pt.y);
  }
  *out = MSG{target->handle, msg, wp, lp, time, pt};
  if (!remove) return true;

  // Effects of taking the message: button state, cursor, activation, tracking.
  if (e.type == NativeEventType::MouseDown) {
    setSyncKey(buttonVk(e.button), true);
    auto& lc = st.lastClick;
    if (dbl) {
      lc = State::Click{};
    } else {
      lc.hwnd = target->handle;
      lc.button = buttonVk(e.button);
      lc.timeMs = e.timeMs;
      lc.pt = pt;
    }
  } else if (e.type == NativeEventType::MouseUp) {
    setSyncKey(buttonVk(e.button), false);
  }
  if (hasHooks(WH_MOUSE)) {
    MOUSEHOOKSTRUCTEX mh;
    mh.pt = pt;
    mh.hwnd = target->handle;
    mh.wHitTestCode = UINT(hit);
    if (callHooks(WH_MOUSE, HC_ACTION, out->message, reinterpret_cast<LPARAM>(&mh))) return false;
    if (target->dead) return false;
  }
  if (!captured) {
    const UINT mouseMsg = msg >= WM_MOUSEFIRST ? msg : msg - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
    send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target->handle), MAKELPARAM(int(hit), int(mouseMsg)));
    if (target->dead) return false;
    if (e.type == NativeEventType::MouseDown) {
      if (!clickActivate(target, hit, mouseMsg)) return false;
      if (target->dead) return false;
    }
  }
  // Parents hear of button presses in their children.
  if (e.type == NativeEventType::MouseDown && client && !dbl && target->isChild()) {
    const UINT m = msg;
    for (Window* c = target; c && c->isChild() && !(c->exStyle & WS_EX_NOPARENTNOTIFY); c = c->parent) {
      Window* p = c->parent;
      POINT pp = pt;
      ScreenToClient(p->handle, &pp);
      WPARAM wp = MAKEWPARAM(int(m), 0);
      if (m == WM_XBUTTONDOWN) wp = MAKEWPARAM(int(m), e.button == MouseButton::X1 ? XBUTTON1 : XBUTTON2);
      send(p, WM_PARENTNOTIFY, wp, MAKELPARAM(pp.x, pp.y));
      if (target->dead) return false;
    }
  }
  updateTracking(target, client ? HTCLIENT : hit);
  st.lastMouseWindow = target->handle;
  st.lastHit = hit;
  return true;
}

void activate(Window* top, WORD how, bool setFocus) {
  State& st = state();
  if (!top || top->dead) return;
  top = topLevelOf(top);
  Window* old = find(st.active);
  auto holdNew = keep(top);
  auto holdOld = keep(old);
  if (old == top && st.appActive) return;
  if (hasHooks(WH_CBT) && how != WA_CLICKACTIVE) {
    CBTACTIVATESTRUCT cbt{FALSE, st.active};
    if (callHooks(WH_CBT, HCBT_ACTIVATE, reinterpret_cast<WPARAM>(top->handle), reinterpret_cast<LPARAM>(&cbt))) return;
  }
  const HWND oldHandle = old ? old->handle : nullptr;
  if (old && old != top) {
    send(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(top->handle));
    if (!old->dead) send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, old->minimized ? 1 : 0),
                         reinterpret_cast<LPARAM>(top->handle));
  }
  if (top->dead) return;
  st.active = top->handle;
  if (top->owner) top->owner->lastActivePopup = top->handle;
  if (!st.appActive) {
    st.appActive = true;
    for (Window* t : std::vector<Window*>(st.topLevels)) {
      auto k = keep(t);
      if (k && !t->dead) send(t, WM_ACTIVATEAPP, TRUE, 0);
    }
    if (top->dead) return;
  }
  // Raise it among the top-level windows.
  if (st.topLevels.empty() || st.topLevels.front() != top) {
    auto& list = st.topLevels;
    list.erase(std::remove(list.begin(), list.end(), top), list.end());
    auto pos = (top->exStyle & WS_EX_TOPMOST)
                   ? list.begin()
                   : std::find_if(list.begin(), list.end(), [](Window* o) { return !(o->exStyle & WS_EX_TOPMOST); });
    list.insert(pos, top);
  }
  if (top->hasNative && st.backend) st.backend->RaiseNativeWindow(top->handle, true);
  send(top, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(oldHandle));
  if (top->dead) return;
  const HWND focusBefore = st.focus;
  send(top, WM_ACTIVATE, MAKEWPARAM(how, top->minimized ? 1 : 0), reinterpret_cast<LPARAM>(oldHandle));
  if (top->dead) return;
  // The focus must not stay in a window that is no longer active.
  if (st.focus == focusBefore && st.focus) {
    Window* f = find(st.focus);
    if (f && topLevelOf(f) != top) {
      if (setFocus) SetFocus(top->handle);
    }
  }
}

void deactivateApp() {
  State& st = state();
  Window* old = find(st.active);
  auto hold = keep(old);
  if (old) {
    send(old, WM_NCACTIVATE, FALSE, 0);
    if (!old->dead) send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  }
  st.active = nullptr;
  if (st.appActive) {
    st.appActive = false;
    for (Window* t : std::vector<Window*>(st.topLevels)) {
      auto k = keep(t);
      if (k && !t->dead) send(t, WM_ACTIVATEAPP, FALSE, 0);
    }
  }
  if (Window* f = find(st.focus)) {
    st.focus = nullptr;
    send(f, WM_KILLFOCUS, 0, 0);
  }
  st.focus = nullptr;
}

namespace {

// A window that can take the activation from another: shown, enabled and
// not on its way out.
bool canTakeActivation(const Window* t) {
  return !t->dead && !t->destroying && (t->style & WS_VISIBLE) && !(t->style & WS_DISABLED);
}

}  // namespace

void passActivationOn(Window* leaving) {
  Window* next = nullptr;
  if (leaving->owner && canTakeActivation(leaving->owner)) next = leaving->owner;
  if (!next) {
    for (Window* t : state().topLevels) {
      if (t != leaving && canTakeActivation(t) && t->hasNative &&
          !(t->exStyle & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW))) {
        next = t;
        break;
      }
    }
  }
  if (next) {
    activate(next, WA_ACTIVE, true);
  } else {
    deactivateApp();
  }
}

void onWindowGone(Window* w) {
  State& st = state();
  auto inTree = [&](HWND h) {
    for (Window* x = find(h); x; x = x->isChild() ? x->parent : nullptr) {
      if (x == w) return true;
    }
    return false;
  };
  if (st.capture && inTree(st.capture)) {
    HWND cap = st.capture;
    st.capture = nullptr;
    if (st.backend) st.backend->UngrabPointer();
    if (Window* c = find(cap)) send(c, WM_CAPTURECHANGED, 0, 0);
  }
  if (st.active && inTree(st.active) && !w->isChild()) {
    passActivationOn(w);  // the window is already hidden
  }
  if (st.focus && inTree(st.focus)) {
    HWND f = st.focus;
    st.focus = nullptr;
    if (Window* fw = find(f)) send(fw, WM_KILLFOCUS, 0, 0);
  }
  if (st.caret.owner && inTree(st.caret.owner)) DestroyCaret();
  if (st.tracking.hwnd && inTree(st.tracking.hwnd)) {
    if (st.tracking.hoverTimer) rtl::KillTimer(st.tracking.hoverTimer);
    st.tracking = State::Tracking{};
  }
  if (st.lastClick.hwnd && inTree(st.lastClick.hwnd)) st.lastClick = State::Click{};
  if (st.lastMouseWindow && inTree(st.lastMouseWindow)) st.lastMouseWindow = nullptr;
}

void caretHideForPaint(Window* top) {
  CaretState& c = state().caret;
  Window* owner = find(c.owner);
  if (!owner || topLevelOf(owner) != top) return;
  if (c.paintDCs++ == 0 && c.drawn) caretToggle(false);
}

void caretRestoreAfterPaint(Window* top) {
  CaretState& c = state().caret;
  Window* owner = find(c.owner);
  if (!owner || topLevelOf(owner) != top || c.paintDCs == 0) return;
  if (--c.paintDCs == 0 && c.hideCount == 0 && c.blinkOn && !c.drawn) caretToggle(true);
}

CursorRec* findCursor(HCURSOR h) {
  State& st = state();
  auto it = st.cursors.find(reinterpret_cast<std::uintptr_t>(h));
  return it == st.cursors.end() ? nullptr : it->second.get();
}

void applyCursor(Window* top) {
  State& st = state();
  if (!top || !top->hasNative || !st.backend) return;
  NativeCursor nc;
  nc.hidden = st.cursorCount < 0 || !st.cursor;
  if (CursorRec* c = findCursor(st.cursor)) {
    nc.systemId = c->systemId;
    nc.image = c->image.get();
    nc.hotspot = c->hotspot;
  }
  st.backend->SetNativeCursor(top->handle, nc);
}

void resetCursors() {
  State& st = state();
  st.cursor = nullptr;
  st.cursorCount = 0;
}

}  // namespace impl

using namespace impl;

// ---- capture ---------------------------------------------------------------------------------
HWND SetCapture(HWND hwnd) {
  requireMainThread("SetCapture");
  State& st = state();
  Window* w = find(hwnd);
  if (!w) return nullptr;
  HWND old = st.capture;
  if (old == hwnd) return old;
  st.capture = hwnd;
  if (st.backend) st.backend->GrabPointer(topLevelOf(w)->handle);
  if (Window* o = find(old)) send(o, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  State& st = state();
  HWND old = st.capture;
  if (!old) return TRUE;
  st.capture = nullptr;
  if (st.backend) st.backend->UngrabPointer();
  if (Window* o = find(old)) send(o, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return state().capture; }

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme) return FALSE;
  State& st = state();
  auto& tr = st.tracking;
  if (tme->dwFlags & TME_QUERY) {
    tme->dwFlags = tr.flags;
    tme->hwndTrack = tr.hwnd;
    tme->dwHoverTime = tr.hoverTime;
    return TRUE;
  }
  if (tme->dwFlags & TME_CANCEL) {
    if (tr.hwnd == tme->hwndTrack) {
      tr.flags &= ~(tme->dwFlags & (TME_HOVER | TME_LEAVE));
      if (!(tr.flags & (TME_HOVER | TME_LEAVE))) {
        if (tr.hoverTimer) rtl::KillTimer(tr.hoverTimer);
        tr = State::Tracking{};
      }
    }
    return TRUE;
  }
  Window* w = find(tme->hwndTrack);
  if (!w) return FALSE;
  // Not over the window any more: the leave comes at once.
  LRESULT hit = HTNOWHERE;
  Window* over = windowAt(st.cursorPos, false, &hit);
  const bool nonClient = (tme->dwFlags & TME_NONCLIENT) != 0;
  if (over != w) {
    if (tme->dwFlags & TME_LEAVE) PostMessageW(w->handle, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
    return TRUE;
  }
  if (tr.hwnd != w->handle) {
    if (tr.hoverTimer) rtl::KillTimer(tr.hoverTimer);
    tr = State::Tracking{};
  }
  tr.hwnd = w->handle;
  tr.flags |= tme->dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
  tr.hoverTime = (tme->dwHoverTime == HOVER_DEFAULT || tme->dwHoverTime == 0) ? 400 : tme->dwHoverTime;
  if (tme->dwFlags & TME_HOVER) armHover();
  return TRUE;
}

BOOL GetCursorPos(POINT* pt) {
  if (!pt) return FALSE;
  State& st = state();
  POINT p;
  if (st.backend && st.backend->QueryPointer(&p)) setCursorPos(p);
  *pt = st.cursorPos;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  State& st = state();
  setCursorPos(POINT{x, y});
  backend().WarpPointer(st.cursorPos);
  return TRUE;
}

HWND WindowFromPoint(POINT pt) {
  LRESULT hit;
  Window* w = windowAt(pt, true, &hit);
  return w ? w->handle : nullptr;
}

HWND ChildWindowFromPointEx(HWND parent, POINT pt, UINT flags) {
  Window* p = find(parent);
  if (!p) return nullptr;
  RECT cr = RECT{0, 0, p->client.right - p->client.left, p->client.bottom - p->client.top};
  if (!rectContains(cr, pt)) return nullptr;
  for (Window* c : p->children) {
    if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    if (rectContains(c->rect, pt)) {
      if (c->windowRgn && !gdi::PtInRegion(c->windowRgn, pt.x - c->rect.left, pt.y - c->rect.top)) continue;
      return c->handle;
    }
  }
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) { return ChildWindowFromPointEx(parent, pt, CWP_ALL); }

HWND RealChildWindowFromPoint(HWND parent, POINT pt) {
  return ChildWindowFromPointEx(parent, pt, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

UINT GetDoubleClickTime() { return state().doubleClickTime; }
BOOL SetDoubleClickTime(UINT ms) {
  state().doubleClickTime = ms ? ms : 500;
  return TRUE;
}
BOOL SwapMouseButton(BOOL swap) {
  const BOOL old = state().swapButtons;
  state().swapButtons = swap != 0;
  return old;
}

BOOL DragDetect(HWND hwnd, POINT pt) {
  // Follows the mouse through the loop until it leaves the drag rectangle
  // (TRUE) or the button is released (FALSE).
  Window* w = find(hwnd);
  if (!w) return FALSE;
  POINT s = pt;
  ClientToScreen(hwnd, &s);
  const int dx = GetSystemMetrics(SM_CXDRAG) / 2, dy = GetSystemMetrics(SM_CYDRAG) / 2;
  for (;;) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
      if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return FALSE;
      // Headless input is all queued already: nothing more will come.
      if (backend().Name() == "headless") return FALSE;
      rtl::WaitForMainThreadWork(100);
      continue;
    }
    if (m.message == WM_LBUTTONUP) return FALSE;
    if (m.message == WM_MOUSEMOVE && (std::abs(m.pt.x - s.x) > dx || std::abs(m.pt.y - s.y) > dy)) return TRUE;
  }
}

// ---- keyboard ---------------------------------------------------------------------------------
SHORT GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  const BYTE b = state().keyState[vk];
  return SHORT(((b & 0x80) ? 0x8000 : 0) | (b & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  return (state().asyncKeyState[vk] & 0x80) ? SHORT(0x8000) : 0;
}

BOOL GetKeyboardState(BYTE* out) {
  if (!out) return FALSE;
  std::copy_n(state().keyState, 256, out);
  return TRUE;
}

BOOL SetKeyboardState(const BYTE* in) {
  if (!in) return FALSE;
  std::copy_n(in, 256, state().keyState);
  return TRUE;
}

namespace {
// The US layout: characters of the keys, without and with Shift.
struct KeyChars {
  UINT vk;
  char16_t plain;
  char16_t shifted;
};
constexpr KeyChars kUsKeys[] = {
    {'0', u'0', u')'}, {'1', u'1', u'!'}, {'2', u'2', u'@'}, {'3', u'3', u'#'}, {'4', u'4', u'$'},
    {'5', u'5', u'%'}, {'6', u'6', u'^'}, {'7', u'7', u'&'}, {'8', u'8', u'*'}, {'9', u'9', u'('},
    {VK_SPACE, u' ', u' '}, {VK_OEM_1, u';', u':'}, {VK_OEM_PLUS, u'=', u'+'}, {VK_OEM_COMMA, u',', u'<'},
    {VK_OEM_MINUS, u'-', u'_'}, {VK_OEM_PERIOD, u'.', u'>'}, {VK_OEM_2, u'/', u'?'}, {VK_OEM_3, u'`', u'~'},
    {VK_OEM_4, u'[', u'{'}, {VK_OEM_5, u'\\', u'|'}, {VK_OEM_6, u']', u'}'}, {VK_OEM_7, u'\'', u'"'},
    {VK_RETURN, u'\r', u'\r'}, {VK_TAB, u'\t', u'\t'}, {VK_BACK, u'\b', u'\b'}, {VK_ESCAPE, 0x1B, 0x1B},
    {VK_MULTIPLY, u'*', u'*'}, {VK_ADD, u'+', u'+'}, {VK_SUBTRACT, u'-', u'-'}, {VK_DECIMAL, u'.', u'.'},
    {VK_DIVIDE, u'/', u'/'},
};
}  // namespace

int ToUnicode(UINT vk, UINT, const BYTE* keyState, LPWSTR buffer, int bufferSize, UINT) {
  if (!buffer || bufferSize <= 0) return 0;
  const bool shift = keyState && (keyState[VK_SHIFT] & 0x80);
  const bool caps = keyState && (keyState[VK_CAPITAL] & 0x01);
  const bool ctrl = keyState && (keyState[VK_CONTROL] & 0x80);
  const bool alt = keyState && (keyState[VK_MENU] & 0x80);
  char16_t c = 0;
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl && !alt) {
      c = char16_t(vk - 'A' + 1);  // control characters
    } else {
      c = (shift != caps) ? char16_t(vk) : char16_t(vk + 32);
    }
  } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
    c = char16_t(u'0' + (vk - VK_NUMPAD0));
  } else {
    for (const KeyChars& k : kUsKeys) {
      if (k.vk == vk) {
        c = shift ? k.shifted : k.plain;
        break;
      }
    }
    if (ctrl && !alt && c != u'\r' && c != u'\b' && c != 0x1B) c = 0;
  }
  if (!c) return 0;
  buffer[0] = c;
  return 1;
}

SHORT VkKeyScanW(WCHAR ch) {
  if (ch >= u'a' && ch <= u'z') return SHORT(ch - 32);
  if (ch >= u'A' && ch <= u'Z') return SHORT(0x100 | ch);
  for (const KeyChars& k : kUsKeys) {
    if (k.plain == ch) return SHORT(k.vk);
    if (k.shifted == ch) return SHORT(0x100 | k.vk);
  }
  return -1;
}

UINT MapVirtualKeyW(UINT code, UINT mapType) {
  constexpr UINT MAPVK_VK_TO_CHAR = 2;
  if (mapType == MAPVK_VK_TO_CHAR) {
    WCHAR buf[2];
    BYTE none[256]{};
    return ToUnicode(code, 0, none, buf, 2, 0) == 1 ? UINT(buf[0] >= u'a' && buf[0] <= u'z' ? buf[0] - 32 : buf[0]) : 0;
  }
  return 0;
}

int GetKeyNameTextW(LONG, LPWSTR buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  return 0;
}

HKL GetKeyboardLayout(DWORD) { return reinterpret_cast<HKL>(std::uintptr_t(0x04090409)); }

// ---- focus and activation ------------------------------------------------------------------
HWND SetFocus(HWND hwnd) {
  requireMainThread("SetFocus");
  State& st = state();
  const HWND old = st.focus;
  if (!hwnd) {
    if (Window* o = find(old)) {
      if (hasHooks(WH_CBT) && callHooks(WH_CBT, HCBT_SETFOCUS, 0, reinterpret_cast<LPARAM>(old))) return nullptr;
      st.focus = nullptr;
      send(o, WM_KILLFOCUS, 0, 0);
    }
    st.focus = nullptr;
    return old;
  }
  Window* w = find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (old == hwnd) return old;
  // A window in a disabled or hidden top-level cannot take the focus.
  for (Window* a = w; a; a = a->isChild() ? a->parent : nullptr) {
    if (a->style & WS_DISABLED) return nullptr;
  }
  if (hasHooks(WH_CBT) &&
      callHooks(WH_CBT, HCBT_SETFOCUS, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(old))) {
    return nullptr;
  }
  auto hold = keep(w);
  Window* top = topLevelOf(w);
  if (st.active != top->handle || !st.appActive) {
    activate(top, WA_ACTIVE, false);
    if (w->dead) return old;
    if (st.focus == hwnd) return old;  // the activation set it already
  }
  const HWND before = st.focus;
  st.focus = hwnd;
  if (Window* o = find(before)) {
    send(o, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (w->dead) return before;
    if (st.focus != hwnd) return before;  // moved on inside the handler
  }
  send(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(before), 0);
  return before;
}

HWND GetFocus() { return state().focus; }

HWND SetActiveWindow(HWND hwnd) {
  requireMainThread("SetActiveWindow");
  State& st = state();
  const HWND old = st.active;
  Window* w = find(hwnd);
  if (!w) return nullptr;
  activate(topLevelOf(w), WA_ACTIVE, true);
  return old;
}

HWND GetActiveWindow() { return state().active; }

BOOL SetForegroundWindow(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  activate(topLevelOf(w), WA_ACTIVE, true);
  return TRUE;
}

HWND GetForegroundWindow() {
  State& st = state();
  return st.appActive ? st.active : nullptr;
}

// ---- caret -----------------------------------------------------------------------------------
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height) {
  requireMainThread("CreateCaret");
  Window* w = find(hwnd);
  if (!w) return FALSE;
  DestroyCaret();
  CaretState& c = state().caret;
  c.owner = hwnd;
  c.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  c.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  c.bitmap = bitmap;
  c.hideCount = 1;
  c.drawn = false;
  c.blinkOn = true;
  c.pos = POINT{};
  return TRUE;
}

BOOL DestroyCaret() {
  CaretState& c = state().caret;
  if (!c.owner) return FALSE;
  if (c.drawn) caretToggle(false);
  if (c.blinkTimer) rtl::KillTimer(c.blinkTimer);
  c = CaretState{};
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  CaretState& c = state().caret;
  if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
  if (c.hideCount > 0) --c.hideCount;
  if (c.hideCount == 0) {
    c.blinkOn = true;
    caretToggle(true);
    caretBlinkArm();
  }
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  CaretState& c = state().caret;
  if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
  if (c.hideCount == 0) {
    caretToggle(false);
    if (c.blinkTimer) rtl::KillTimer(c.blinkTimer);
    c.blinkTimer = 0;
  }
  ++c.hideCount;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  CaretState& c = state().caret;
  if (!c.owner) return FALSE;
  const bool was = c.drawn;
  if (was) caretToggle(false);
  c.pos = POINT{x, y};
  if (was || c.hideCount == 0) {
    caretToggle(true);
    caretBlinkArm();  // a moved caret shows at once and blinks from there
  }
  return TRUE;
}

BOOL GetCaretPos(POINT* pt) {
  CaretState& c = state().caret;
  if (!pt) return FALSE;
  *pt = c.pos;
  return c.owner ? TRUE : FALSE;
}

namespace {
UINT caretBlinkMs = 530;
}

UINT GetCaretBlinkTime() { return caretBlinkMs; }
BOOL SetCaretBlinkTime(UINT ms) {
  caretBlinkMs = ms ? ms : 530;
  return TRUE;
}

// ---- cursors ---------------------------------------------------------------------------------
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (instance) return nullptr;  // no cursor resources of our own yet
  const UINT id = systemCursorId(name);
  if (!id) return nullptr;
  State& st = state();
  // System cursors are shared: one handle per id.
  const auto key = std::uintptr_t(0x10000 + id);
  if (!st.cursors.count(key)) {
    auto rec = std::make_unique<CursorRec>();
    rec->systemId = id;
    rec->shared = true;
    st.cursors[key] = std::move(rec);
  }
  return reinterpret_cast<HCURSOR>(key);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  State& st = state();
  const UINT id = UINT(reinterpret_cast<UINT_PTR>(name));
  const auto key = std::uintptr_t(0x18000 + (id & 0xFFF));
  if (!st.cursors.count(key)) {
    auto rec = std::make_unique<CursorRec>();
    rec->icon = true;
    rec->shared = true;
    rec->systemId = id;
    st.cursors[key] = std::move(rec);
  }
  return reinterpret_cast<HICON>(key);
}

HCURSOR SetCursor(HCURSOR cursor) {
  State& st = state();
  HCURSOR old = st.cursor;
  st.cursor = cursor;
  if (old != cursor) {
    Window* top = nullptr;
    if (Window* w = find(st.lastMouseWindow)) top = topLevelOf(w);
    if (Window* c = find(st.capture)) top = topLevelOf(c);
    applyCursor(top);
  }
  return old;
}

HCURSOR GetCursor() { return state().cursor; }

int ShowCursor(BOOL show) {
  State& st = state();
  st.cursorCount += show ? 1 : -1;
  if (Window* w = find(st.lastMouseWindow)) applyCursor(topLevelOf(w));
  return st.cursorCount;
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || (!info->hbmColor && !info->hbmMask)) return nullptr;
  State& st = state();
  auto rec = std::make_unique<CursorRec>();
  rec->icon = info->fIcon != 0;
  rec->hotspot = POINT{LONG(info->xHotspot), LONG(info->yHotspot)};
  if (info->hbmColor) {
    gdi::ImageBGRA color = gdi::CaptureBitmap(info->hbmColor);
    bool anyAlpha = false;
    for (auto p : color.pixels) {
      if (p >> 24) {
        anyAlpha = true;
        break;
      }
    }
    if (!anyAlpha) {
      gdi::ImageBGRA mask;
      if (info->hbmMask) mask = gdi::CaptureBitmap(info->hbmMask);
      for (int y = 0; y < color.height; ++y) {
        for (int x = 0; x < color.width; ++x) {
          const bool transparent = mask.width > x && mask.height > y && (mask.at(x, y) & 0xFFFFFF) != 0;
          color.at(x, y) = (color.at(x, y) & 0xFFFFFF) | (transparent ? 0 : 0xFF000000u);
        }
      }
    }
    rec->image = std::make_unique<gdi::ImageBGRA>(std::move(color));
  } else {
    // A monochrome cursor: the mask's upper half is AND, the lower XOR.
    gdi::ImageBGRA mask = gdi::CaptureBitmap(info->hbmMask);
    const int h = mask.height / 2;
    auto img = std::make_unique<gdi::ImageBGRA>(mask.width, h, 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < mask.width; ++x) {
        const bool andBit = (mask.at(x, y) & 0xFFFFFF) != 0;
        const bool xorBit = (mask.at(x, y + h) & 0xFFFFFF) != 0;
        if (!andBit) img->at(x, y) = xorBit ? 0xFFFFFFFFu : 0xFF000000u;
        else if (xorBit) img->at(x, y) = 0xFF000000u;  // inverted screen: black is the nearest we show
      }
    }
    rec->image = std::move(img);
  }
  const auto key = st.nextCursor;
  st.nextCursor += 4;
  st.cursors[key] = std::move(rec);
  return reinterpret_cast<HICON>(key);
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  CursorRec* c = findCursor(icon);
  if (!c || !info) return FALSE;
  *info = ICONINFO{};
  info->fIcon = c->icon ? TRUE : FALSE;
  info->xHotspot = DWORD(c->hotspot.x);
  info->yHotspot = DWORD(c->hotspot.y);
  if (c->image) {
    info->hbmColor = gdi::CreateBitmapFromImage(*c->image);
    gdi::ImageBGRA mask(c->image->width, c->image->height, 0);
    for (std::size_t i = 0; i < mask.pixels.size(); ++i) {
      mask.pixels[i] = (c->image->pixels[i] >> 24) ? 0 : 0x00FFFFFF;
    }
    info->hbmMask = gdi::CreateBitmapFromImage(mask);
  } else {
    // System cursors are 32 x 32 arrows in the metrics' size.
    gdi::ImageBGRA img(GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR), 0);
    info->hbmColor = gdi::CreateBitmapFromImage(img);
    gdi::ImageBGRA mask(img.width, img.height, 0x00FFFFFF);
    info->hbmMask = gdi::CreateBitmapFromImage(mask);
    if (c->systemId == 32512) {
      info->xHotspot = 0;
      info->yHotspot = 0;
    } else {
      info->xHotspot = DWORD(img.width / 2);
      info->yHotspot = DWORD(img.height / 2);
    }
  }
  return TRUE;
}

BOOL DestroyIcon(HICON icon) {
  State& st = state();
  auto it = st.cursors.find(reinterpret_cast<std::uintptr_t>(icon));
  if (it == st.cursors.end()) return FALSE;
  if (it->second->shared) return TRUE;
  if (st.cursor == icon) st.cursor = nullptr;
  st.cursors.erase(it);
  return TRUE;
}

BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }

}  // namespace win

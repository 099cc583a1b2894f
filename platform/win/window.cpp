// Windows: classes, the handle table, create and destroy, the tree,
// position and visibility, text and long values, DefWindowProc.
#include "platform/win/window.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/rtl/except.h"
#include "platform/rtl/threads.h"
#include "platform/rtl/ustring.h"
#include "platform/win/impl/state.h"

namespace win {
namespace impl {

State& state() {
  // Deliberately never destroyed: windows may be touched by static
  // destructors of the program.
  static State* s = new State;
  return *s;
}

void requireMainThread(const char* what) {
  if (!rtl::IsMainThread()) {
    throw rtl::EThread(u"window system: " + rtl::String(what, what + std::strlen(what)) +
                       u" called from a thread that is not the main thread");
  }
}

String upper(const String& s) {
  String r = s;
  for (auto& c : r) {
    if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  }
  return r;
}

String fromPtr(LPCWSTR s) {
  if (!s || IS_INTRESOURCE(s)) return {};
  return String(s);
}

Window* find(HWND hwnd) {
  if (!hwnd) return nullptr;
  State& st = state();
  auto it = st.windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
  if (it == st.windows.end() || it->second->dead) return nullptr;
  return it->second.get();
}

std::shared_ptr<Window> keep(Window* w) {
  if (!w) return {};
  State& st = state();
  auto it = st.windows.find(reinterpret_cast<std::uintptr_t>(w->handle));
  if (it != st.windows.end()) return it->second;
  return {};
}

Window* topLevelOf(Window* w) {
  while (w && w->isChild()) w = w->parent;
  return w;
}

RECT windowRectInTop(Window* w) {
  RECT r{0, 0, w->width(), w->height()};
  Window* cur = w;
  while (cur->isChild()) {
    Window* p = cur->parent;
    gdi::OffsetRect(&r, cur->rect.left + p->client.left, cur->rect.top + p->client.top);
    cur = p;
  }
  return r;
}

RECT clientRectInTop(Window* w) {
  RECT wr = windowRectInTop(w);
  return RECT{wr.left + w->client.left, wr.top + w->client.top, wr.left + w->client.right,
              wr.top + w->client.bottom};
}

POINT windowOriginOnScreen(Window* w) {
  Window* top = topLevelOf(w);
  RECT wr = windowRectInTop(w);
  return POINT{top->rect.left + wr.left, top->rect.top + wr.top};
}

POINT clientOriginOnScreen(Window* w) {
  POINT p = windowOriginOnScreen(w);
  return POINT{p.x + w->client.left, p.y + w->client.top};
}

bool isVisible(Window* w) {
  for (Window* cur = w; cur; cur = cur->isChild() ? cur->parent : nullptr) {
    if (!(cur->style & WS_VISIBLE)) return false;
  }
  return true;
}

MINMAXINFO defaultMinMaxInfo() {
  MINMAXINFO mmi{};
  mmi.ptMaxSize = POINT{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  mmi.ptMaxPosition = POINT{-4, -4};
  mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  return mmi;
}

void nonClientMetrics(DWORD style, DWORD exStyle, RECT* insets, int* caption) {
  int frame = 0;
  if (style & WS_THICKFRAME) {
    frame = 4;
  } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    frame = 3;
  } else if (style & WS_BORDER) {
    frame = 1;
  }
  if (exStyle & WS_EX_CLIENTEDGE) frame += 2;
  if (exStyle & WS_EX_STATICEDGE) frame += 1;
  int cap = 0;
  if ((style & WS_CAPTION) == WS_CAPTION) cap = (exStyle & WS_EX_TOOLWINDOW) ? 16 : 19;
  *insets = RECT{frame, frame + cap, frame, frame};
  if (style & WS_VSCROLL) insets->right += 17;
  if (style & WS_HSCROLL) insets->bottom += 17;
  if (caption) *caption = cap;
}

RECT defaultClient(const Window* w) {
  RECT in;
  nonClientMetrics(w->style, w->exStyle, &in, nullptr);
  RECT c{in.left, in.top, w->width() - in.right, w->height() - in.bottom};
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  return c;
}

LRESULT callProc(Window* w, WNDPROC proc, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return DefWindowProcW(w->handle, msg, wParam, lParam);
  return proc(w->handle, msg, wParam, lParam);
}

LRESULT send(Window* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!w || w->dead) return 0;
  auto hold = keep(w);
  if (hasHooks(WH_CALLWNDPROC)) {
    CWPSTRUCT c{lParam, wParam, msg, w->handle};
    callHooks(WH_CALLWNDPROC, HC_ACTION, 0, reinterpret_cast<LPARAM>(&c));
    if (w->dead) return 0;
  }
  LRESULT r = callProc(w, w->proc, msg, wParam, lParam);
  if (!w->dead && hasHooks(WH_CALLWNDPROCRET)) {
    CWPRETSTRUCT c{r, lParam, wParam, msg, w->handle};
    callHooks(WH_CALLWNDPROCRET, HC_ACTION, 0, reinterpret_cast<LPARAM>(&c));
  }
  return r;
}

void computeClient(Window* w, bool sendCalc) {
  RECT parentRect = w->rect;  // parent's client coordinates
  if (sendCalc) {
    NCCALCSIZE_PARAMS p{};
    p.rgrc[0] = parentRect;
    send(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&p.rgrc[0]));
    if (w->dead) return;
    RECT c = p.rgrc[0];
    gdi::OffsetRect(&c, -w->rect.left, -w->rect.top);
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    w->client = c;
  } else {
    w->client = defaultClient(w);
  }
}

namespace {

std::shared_ptr<WindowClass> findClass(LPCWSTR name) {
  State& st = state();
  if (!name) return {};
  if (IS_INTRESOURCE(name)) {
    auto byId = st.registeredById.find(UINT(reinterpret_cast<UINT_PTR>(name)));
    if (byId == st.registeredById.end()) return {};
    auto it = st.classes.find(upper(byId->second));
    return it == st.classes.end() ? nullptr : it->second;
  }
  auto it = st.classes.find(upper(name));
  return it == st.classes.end() ? nullptr : it->second;
}

Window* ownerTop(HWND hwnd) {
  Window* o = find(hwnd);
  return o ? topLevelOf(o) : nullptr;
}

void insertZ(std::vector<Window*>& list, Window* w, HWND after) {
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  if (after == HWND_BOTTOM) {
    list.push_back(w);
    return;
  }
  if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    // Top-level windows: topmost ones stay above the others.
    if (!w->isChild() && !(w->exStyle & WS_EX_TOPMOST)) {
      auto pos = std::find_if(list.begin(), list.end(),
                              [](Window* o) { return !(o->exStyle & WS_EX_TOPMOST); });
      list.insert(pos, w);
    } else {
      list.insert(list.begin(), w);
    }
    return;
  }
  Window* a = find(after);
  auto pos = std::find(list.begin(), list.end(), a);
  if (pos == list.end()) {
    list.insert(list.begin(), w);
  } else {
    list.insert(pos + 1, w);
  }
}

std::vector<Window*>& siblingsOf(Window* w) {
  return w->isChild() ? w->parent->children : state().topLevels;
}

void parentNotify(Window* w, UINT event) {
  if (!w->isChild() || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
  const HWND child = w->handle;
  const WPARAM wp = MAKEWPARAM(int(event), int(w->id));
  for (Window* p = w->parent; p; p = p->isChild() ? p->parent : nullptr) {
    send(p, WM_PARENTNOTIFY, wp, reinterpret_cast<LPARAM>(child));
    if (p->dead || (p->exStyle & WS_EX_NOPARENTNOTIFY) || !p->isChild()) break;
  }
}

void sendDestroy(Window* w) {
  if (w->dead) return;
  auto hold = keep(w);
  send(w, WM_DESTROY, 0, 0);
  std::vector<Window*> kids = w->children;
  for (Window* c : kids) {
    auto k = keep(c);
    if (k && !c->dead) {
      c->destroying = true;
      sendDestroy(c);
    }
  }
}

void freeWindow(Window* w) {
  State& st = state();
  killWindowTimers(w->handle);
  releasePaintState(w);
  if (w->windowRgn) {
    gdi::DeleteObject(w->windowRgn);
    w->windowRgn = nullptr;
  }
  auto& sibs = siblingsOf(w);
  sibs.erase(std::remove(sibs.begin(), sibs.end(), w), sibs.end());
  if (!w->isChild() && w->hasNative && st.backend) {
    st.backend->DestroyNativeWindow(w->handle);
    w->hasNative = false;
  }
  for (Window* t : st.topLevels) {
    if (t->owner == w) t->owner = nullptr;
    if (t->lastActivePopup == w->handle) t->lastActivePopup = nullptr;
  }
  if (w->cls) w->cls->windows--;
  w->dead = true;
  st.windows.erase(reinterpret_cast<std::uintptr_t>(w->handle));
}

void sendNcDestroy(Window* w) {
  if (w->dead) return;
  auto hold = keep(w);
  std::vector<Window*> kids = w->children;
  for (Window* c : kids) {
    auto k = keep(c);
    if (k && !c->dead) sendNcDestroy(c);
  }
  if (w->dead) return;
  send(w, WM_NCDESTROY, 0, 0);
  if (!w->dead) freeWindow(w);
}

void markDestroying(Window* w) {
  w->destroying = true;
  for (Window* c : w->children) markDestroying(c);
}


}  // namespace

}  // namespace impl

using namespace impl;

// ---- errors -----------------------------------------------------------------------------
DWORD GetLastError() { return state().lastError; }
void SetLastError(DWORD error) { state().lastError = error; }

HINSTANCE GetModuleHandleW(LPCWSTR) { return reinterpret_cast<HINSTANCE>(std::uintptr_t(0x400000)); }

// ---- classes -----------------------------------------------------------------------------
ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  requireMainThread("RegisterClassExW");
  State& st = state();
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const String name(wc->lpszClassName);
  const String key = upper(name);
  if (st.classes.count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  cls->name = name;
  cls->wc = *wc;
  cls->wc.lpszClassName = nullptr;  // the name is kept in `name`
  cls->wc.lpszMenuName = nullptr;
  cls->extra.assign(std::size_t(std::max(0, wc->cbClsExtra)), 0);
  st.classes[key] = cls;
  UINT atom;
  auto it = st.registeredNames.find(key);
  if (it != st.registeredNames.end()) {
    atom = it->second;
  } else {
    atom = st.nextRegistered++;
    st.registeredNames[key] = atom;
    st.registeredById[atom] = name;
  }
  return ATOM(atom);
}

ATOM RegisterClassW(const WNDCLASSW* wc) { return RegisterClassExW(wc); }

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  requireMainThread("UnregisterClassW");
  State& st = state();
  auto cls = impl::findClass(className);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (cls->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  st.classes.erase(upper(cls->name));
  return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, WNDCLASSEXW* wc) {
  auto cls = impl::findClass(className);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (wc) {
    *wc = cls->wc;
    wc->lpszClassName = cls->name.c_str();
  }
  return TRUE;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* wc) {
  return GetClassInfoExW(instance, className, wc);
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
  Window* w = find(hwnd);
  if (!w || !buffer || maxCount <= 0) return 0;
  const String& n = w->cls->name;
  const int count = std::min<int>(int(n.size()), maxCount - 1);
  std::copy_n(n.data(), count, buffer);
  buffer[count] = 0;
  return count;
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index) {
  Window* w = find(hwnd);
  if (!w) return 0;
  const WNDCLASSEXW& wc = w->cls->wc;
  switch (index) {
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(wc.hbrBackground);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(wc.hCursor);
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(wc.lpfnWndProc);
    case GCL_STYLE: return wc.style;
    default: break;
  }
  if (index >= 0 && std::size_t(index) + sizeof(LONG_PTR) <= w->cls->extra.size()) {
    LONG_PTR v;
    std::memcpy(&v, w->cls->extra.data() + index, sizeof v);
    return ULONG_PTR(v);
  }
  return 0;
}

ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  Window* w = find(hwnd);
  if (!w) return 0;
  WNDCLASSEXW& wc = w->cls->wc;
  const ULONG_PTR old = GetClassLongPtrW(hwnd, index);
  switch (index) {
    case GCLP_HBRBACKGROUND: wc.hbrBackground = reinterpret_cast<HBRUSH>(value); return old;
    case GCLP_HCURSOR: wc.hCursor = reinterpret_cast<HCURSOR>(value); return old;
    case GCLP_WNDPROC: wc.lpfnWndProc = reinterpret_cast<WNDPROC>(value); return old;
    case GCL_STYLE: wc.style = UINT(value); return old;
    default: break;
  }
  if (index >= 0 && std::size_t(index) + sizeof(LONG_PTR) <= w->cls->extra.size()) {
    std::memcpy(w->cls->extra.data() + index, &value, sizeof value);
  }
  return old;
}

// ---- create and destroy ---------------------------------------------------------------------
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parentHandle, HMENU menu,
                     HINSTANCE instance, LPVOID param) {
  requireMainThread("CreateWindowExW");
  State& st = state();
  auto cls = impl::findClass(className);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const bool messageOnly = parentHandle == HWND_MESSAGE;
  Window* parent = messageOnly ? nullptr : find(parentHandle);
  if (parentHandle && !messageOnly && !parent) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if ((style & WS_CHILD) && !parent) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  auto holder = std::make_shared<Window>();
  Window* w = holder.get();
  w->handle = reinterpret_cast<HWND>(st.nextHandle);
  st.nextHandle += 4;
  w->cls = cls;
  w->proc = cls->wc.lpfnWndProc;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->instance = instance;
  w->extra.assign(std::size_t(std::max(0, cls->wc.cbWndExtra)), 0);
  if (style & WS_CHILD) {
    w->parent = parent;
    w->id = reinterpret_cast<LONG_PTR>(menu);
  } else {
    w->owner = parent ? topLevelOf(parent) : nullptr;
    // Overlapped windows always have a caption, as on the platform.
    w->style |= WS_CLIPSIBLINGS;
    if ((style & WS_POPUP) == 0 && !messageOnly) w->style |= WS_CAPTION;
  }
  if (!(style & WS_CHILD) && !messageOnly) {
    RECT work{0, 0, 1280, 984};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (x == CW_USEDEFAULT) {
      x = work.left + 26;
      y = work.top + 26;
    }
    if (width == CW_USEDEFAULT) {
      width = (work.right - work.left) * 3 / 4;
      height = (work.bottom - work.top) * 3 / 4;
    }
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  }
  w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  w->text = windowName ? String(windowName) : String();
  w->client = defaultClient(w);
  st.windows[reinterpret_cast<std::uintptr_t>(w->handle)] = holder;
  cls->windows++;
  if (w->isChild()) {
    insertZ(parent->children, w, HWND_TOP);
  } else {
    insertZ(st.topLevels, w, HWND_TOP);
  }
  w->messageOnly = messageOnly;

  CREATESTRUCTW cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parentHandle;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = LONG(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;

  auto fail = [&]() -> HWND {
    if (!w->dead) DestroyWindow(w->handle);
    if (!w->dead) {
      w->destroying = true;
      impl::freeWindow(w);
    }
    return nullptr;
  };

  if (hasHooks(WH_CBT)) {
    CBT_CREATEWNDW cbt{&cs, HWND_TOP};
    if (callHooks(WH_CBT, HCBT_CREATEWND, reinterpret_cast<WPARAM>(w->handle),
                  reinterpret_cast<LPARAM>(&cbt))) {
      w->destroying = true;
      impl::freeWindow(w);
      return nullptr;
    }
    if (w->dead) return nullptr;
  }
  if (!(style & WS_CHILD) && !messageOnly) {
    MINMAXINFO mmi = defaultMinMaxInfo();
    send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    if (w->dead) return nullptr;
  }
  if (!send(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    if (!w->dead) {
      send(w, WM_NCDESTROY, 0, 0);
      if (!w->dead) {
        w->destroying = true;
        impl::freeWindow(w);
      }
    }
    return nullptr;
  }
  if (w->dead) return nullptr;
  computeClient(w, true);
  if (w->dead) return nullptr;
  if (!w->isChild() && !messageOnly) syncNative(w);
  if (send(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return fail();
  if (w->dead) return nullptr;
  w->created = true;
  send(w, WM_SIZE, SIZE_RESTORED,
       MAKELPARAM(w->client.right - w->client.left, w->client.bottom - w->client.top));
  if (w->dead) return nullptr;
  {
    POINT org{w->rect.left + w->client.left, w->rect.top + w->client.top};
    send(w, WM_MOVE, 0, MAKELPARAM(org.x, org.y));
  }
  if (w->dead) return nullptr;
  impl::parentNotify(w, WM_CREATE);
  if (w->dead) return nullptr;
  if (style & WS_VISIBLE) {
    ShowWindow(w->handle, (exStyle & WS_EX_NOACTIVATE) ? SW_SHOWNOACTIVATE : SW_SHOW);
    if (w->dead) return nullptr;
  }
  return w->handle;
}

BOOL DestroyWindow(HWND hwnd) {
  requireMainThread("DestroyWindow");
  State& st = state();
  Window* w = find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->destroying) return TRUE;
  if (hasHooks(WH_CBT) && callHooks(WH_CBT, HCBT_DESTROYWND, reinterpret_cast<WPARAM>(hwnd), 0)) {
    return FALSE;
  }
  if (w->dead) return TRUE;
  auto hold = keep(w);
  w->destroying = true;
  impl::parentNotify(w, WM_DESTROY);
  if (w->dead) return TRUE;
  if (w->style & WS_VISIBLE) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    if (w->dead) return TRUE;
  }
  // Owned windows go first.
  if (!w->isChild()) {
    std::vector<Window*> owned;
    for (Window* t : st.topLevels) {
      if (t->owner == w) owned.push_back(t);
    }
    for (Window* o : owned) {
      auto k = keep(o);
      if (k && !o->dead) DestroyWindow(o->handle);
    }
  }
  markDestroying(w);
  onWindowGone(w);
  if (w->dead) return TRUE;
  impl::sendDestroy(w);
  impl::sendNcDestroy(w);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return find(hwnd) ? TRUE : FALSE; }

// ---- tree ------------------------------------------------------------------------------------
HWND GetParent(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return nullptr;
  if (w->isChild()) return w->parent->handle;
  if ((w->style & WS_POPUP) && w->owner) return w->owner->handle;
  return nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  requireMainThread("SetParent");
  State& st = state();
  Window* w = find(child);
  if (!w) return nullptr;
  Window* p = find(newParent);
  if (newParent && !p) return nullptr;
  for (Window* a = p; a; a = a->isChild() ? a->parent : nullptr) {
    if (a == w) return nullptr;  // would make a cycle
  }
  HWND old = w->isChild() ? w->parent->handle : nullptr;
  const bool visible = (w->style & WS_VISIBLE) != 0;
  if (visible) {
    ShowWindow(child, SW_HIDE);
    if (w->dead) return old;
  }
  // Leave the old place.
  Window* oldTop = topLevelOf(w);
  (void)oldTop;
  auto& sibs = impl::siblingsOf(w);
  sibs.erase(std::remove(sibs.begin(), sibs.end(), w), sibs.end());
  if (p) {
    if (!w->isChild() && w->hasNative && st.backend) {
      st.backend->DestroyNativeWindow(w->handle);
      w->hasNative = false;
    }
    w->surface.reset();
    w->parent = p;
    w->owner = nullptr;
    w->style |= WS_CHILD;
    w->style &= ~WS_POPUP;
    insertZ(p->children, w, HWND_TOP);
  } else {
    POINT org = windowOriginOnScreen(w);
    w->rect = RECT{org.x, org.y, org.x + w->width(), org.y + w->height()};
    w->parent = nullptr;
    w->style &= ~WS_CHILD;
    w->style |= WS_POPUP;
    insertZ(st.topLevels, w, HWND_TOP);
    syncNative(w);
  }
  if (visible) ShowWindow(child, SW_SHOWNA);
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = find(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->isChild() ? w->parent->handle : GetDesktopWindow();
    case GA_ROOT: return topLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      Window* t = topLevelOf(w);
      while (t->owner) t = t->owner;
      return t->handle;
    }
    default: return nullptr;
  }
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Window* w = find(hwnd);
  if (!w) return nullptr;
  State& st = state();
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front()->handle;
  if (cmd == GW_OWNER) return (!w->isChild() && w->owner) ? w->owner->handle : nullptr;
  if (cmd == GW_ENABLEDPOPUP) {
    for (Window* t : st.topLevels) {
      if (t->owner == w && (t->style & WS_VISIBLE) && !(t->style & WS_DISABLED)) return t->handle;
    }
    return nullptr;
  }
  auto& sibs = impl::siblingsOf(w);
  if (sibs.empty()) return nullptr;
  auto it = std::find(sibs.begin(), sibs.end(), w);
  switch (cmd) {
    case GW_HWNDFIRST: return sibs.front()->handle;
    case GW_HWNDLAST: return sibs.back()->handle;
    case GW_HWNDNEXT: return (it == sibs.end() || it + 1 == sibs.end()) ? nullptr : (*(it + 1))->handle;
    case GW_HWNDPREV: return (it == sibs.begin() || it == sibs.end()) ? nullptr : (*(it - 1))->handle;
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) {
  if (!hwnd) {
    State& st = state();
    return st.topLevels.empty() ? nullptr : st.topLevels.front()->handle;
  }
  return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(std::uintptr_t(0x10010 - 4)); }

BOOL IsChild(HWND parent, HWND hwnd) {
  Window* p = find(parent);
  Window* w = find(hwnd);
  if (!p || !w) return FALSE;
  for (Window* a = w; a->isChild(); a = a->parent) {
    if (a->parent == p) return TRUE;
  }
  return FALSE;
}

namespace {
bool enumChildren(Window* w, WNDENUMPROC proc, LPARAM lParam) {
  std::vector<HWND> kids;
  for (Window* c : w->children) kids.push_back(c->handle);
  for (HWND h : kids) {
    Window* c = find(h);
    if (!c) continue;
    if (!proc(h, lParam)) return false;
    c = find(h);
    if (c && !enumChildren(c, proc, lParam)) return false;
  }
  return true;
}
}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  if (!parent) return EnumWindows(proc, lParam);
  Window* w = find(parent);
  if (!w) return FALSE;
  enumChildren(w, proc, lParam);
  return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  std::vector<HWND> tops;
  for (Window* t : state().topLevels) {
    if (!t->messageOnly) tops.push_back(t->handle);  // message-only windows are not listed
  }
  for (HWND h : tops) {
    if (find(h) && !proc(h, lParam)) break;
  }
  return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
  if (threadId != MainThreadId()) return FALSE;
  return EnumWindows(proc, lParam);
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  auto cls = className ? impl::findClass(className) : nullptr;
  if (className && !cls) return nullptr;
  for (Window* t : state().topLevels) {
    if (cls && t->cls != cls) continue;
    if (windowName && t->text != windowName) continue;
    return t->handle;
  }
  return nullptr;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  if (!find(hwnd)) return 0;
  if (processId) *processId = 1;
  return MainThreadId();
}

HWND GetLastActivePopup(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return nullptr;
  Window* p = find(w->lastActivePopup);
  if (p && (p->style & WS_VISIBLE) && !(p->style & WS_DISABLED)) return p->handle;
  return hwnd;
}

// ---- position and size ---------------------------------------------------------------------
namespace {
constexpr UINT SWP_NOCLIENTSIZE = 0x0800;
constexpr UINT SWP_NOCLIENTMOVE = 0x1000;
}  // namespace

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  requireMainThread("SetWindowPos");
  Window* w = find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  auto hold = keep(w);
  if (flags & SWP_NOMOVE) {
    x = w->rect.left;
    y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    cx = w->width();
    cy = w->height();
  }
  if ((flags & SWP_SHOWWINDOW) && (w->style & WS_VISIBLE)) flags &= ~SWP_SHOWWINDOW;
  if ((flags & SWP_HIDEWINDOW) && !(w->style & WS_VISIBLE)) flags &= ~SWP_HIDEWINDOW;
  if (w->isChild()) flags |= SWP_NOACTIVATE;
  WINDOWPOS wp{hwnd, insertAfter, x, y, std::max(0, cx), std::max(0, cy), flags};
  if (!(flags & SWP_NOSENDCHANGING)) {
    send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (w->dead) return TRUE;
  }
  flags = wp.flags;
  if (flags & SWP_NOMOVE) {
    wp.x = w->rect.left;
    wp.y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    wp.cx = w->width();
    wp.cy = w->height();
  }
  wp.cx = std::max(0, wp.cx);
  wp.cy = std::max(0, wp.cy);
  const RECT oldRect = w->rect;
  const RECT oldClient = w->client;
  const RECT newRect{wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy};
  const bool sized = newRect.right - newRect.left != oldRect.right - oldRect.left ||
                     newRect.bottom - newRect.top != oldRect.bottom - oldRect.top;
  const bool moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
  const bool wasVisible = isVisible(w);

  // The area the window leaves must be painted by what is under it.
  const bool geometryChange = sized || moved || (flags & (SWP_FRAMECHANGED | SWP_HIDEWINDOW));
  if (wasVisible && w->isChild() && geometryChange && !(flags & SWP_NOREDRAW)) {
    RECT old = oldRect;
    RedrawWindow(w->parent->handle, &old, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }

  if (sized || moved || (flags & SWP_FRAMECHANGED)) {
    if (sized || (flags & SWP_FRAMECHANGED)) {
      NCCALCSIZE_PARAMS p{};
      p.rgrc[0] = newRect;
      p.rgrc[1] = oldRect;
      p.rgrc[2] = RECT{oldRect.left + oldClient.left, oldRect.top + oldClient.top,
                       oldRect.left + oldClient.right, oldRect.top + oldClient.bottom};
      p.lppos = &wp;
      w->rect = newRect;
      send(w, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
      if (w->dead) return TRUE;
      RECT c = p.rgrc[0];
      gdi::OffsetRect(&c, -newRect.left, -newRect.top);
      if (c.right < c.left) c.right = c.left;
      if (c.bottom < c.top) c.bottom = c.top;
      w->client = c;
    } else {
      w->rect = newRect;
    }
  }
  if (!(flags & SWP_NOZORDER)) {
    if (!w->isChild()) {
      if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
      if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    }
    insertZ(impl::siblingsOf(w), w, insertAfter);
    if (!w->isChild() && w->hasNative && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)) {
      backend().SetNativeTopmost(hwnd, (w->exStyle & WS_EX_TOPMOST) != 0);
    }
  }
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;

  if (!w->isChild()) {
    if (sized) ensureSurface(w);
    if (w->hasNative) {
      if (sized || moved) backend().SetNativeRect(hwnd, w->rect);
      if (flags & SWP_HIDEWINDOW) backend().ShowNativeWindow(hwnd, false, false);
    }
  }
  const bool nowVisible = isVisible(w);
  if (nowVisible && !(flags & SWP_NOREDRAW)) {
    const UINT clsStyle = w->cls->wc.style;
    const bool whole = (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || w->isChild() ||
                       (sized && (clsStyle & (CS_HREDRAW | CS_VREDRAW)));
    if (whole) {
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    } else if (sized) {
      // Only what is new is painted; the frame moves with the size.
      HRGN fresh = gdi::CreateRectRgn(0, 0, w->client.right - w->client.left,
                                      w->client.bottom - w->client.top);
      HRGN kept = gdi::CreateRectRgn(0, 0, oldClient.right - oldClient.left,
                                     oldClient.bottom - oldClient.top);
      gdi::CombineRgn(fresh, fresh, kept, gdi::RGN_DIFF);
      RedrawWindow(hwnd, nullptr, fresh, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      gdi::DeleteObject(fresh);
      gdi::DeleteObject(kept);
    }
    if (w->dead) return TRUE;
  }
  if (!w->isChild() && w->hasNative && (flags & SWP_SHOWWINDOW)) {
    backend().ShowNativeWindow(hwnd, true, !(flags & SWP_NOACTIVATE));
  }
  if (!w->isChild() && !(flags & SWP_NOACTIVATE) &&
      ((flags & SWP_SHOWWINDOW) || !(flags & SWP_NOZORDER)) && (w->style & WS_VISIBLE) &&
      !(w->exStyle & WS_EX_NOACTIVATE) && state().active != hwnd) {
    activate(w, WA_ACTIVE, true);
    if (w->dead) return TRUE;
  }
  if (!sized) wp.flags |= SWP_NOCLIENTSIZE;
  const bool clientMoved = moved || oldClient.left != w->client.left || oldClient.top != w->client.top;
  if (!clientMoved) wp.flags |= SWP_NOCLIENTMOVE;
  wp.x = w->rect.left;
  wp.y = w->rect.top;
  wp.cx = w->width();
  wp.cy = w->height();
  send(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  if (w->dead) return TRUE;
  // A hidden active window passes the activation on once it is hidden.
  if ((flags & SWP_HIDEWINDOW) && !w->isChild() && state().active == hwnd) {
    passActivationOn(w);
  }
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {
struct DeferInfo {
  std::vector<WINDOWPOS> moves;
};
}  // namespace

HDWP BeginDeferWindowPos(int count) {
  auto* info = new DeferInfo;
  info->moves.reserve(std::size_t(std::max(0, count)));
  return info;
}

HDWP DeferWindowPos(HDWP h, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!h) return nullptr;
  auto* info = static_cast<DeferInfo*>(h);
  if (!find(hwnd)) {
    delete info;
    return nullptr;
  }
  info->moves.push_back(WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags});
  return h;
}

BOOL EndDeferWindowPos(HDWP h) {
  if (!h) return FALSE;
  std::unique_ptr<DeferInfo> info(static_cast<DeferInfo*>(h));
  for (const WINDOWPOS& m : info->moves) {
    if (find(m.hwnd)) SetWindowPos(m.hwnd, m.hwndInsertAfter, m.x, m.y, m.cx, m.cy, m.flags);
  }
  return TRUE;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  requireMainThread("ShowWindow");
  Window* w = find(hwnd);
  if (!w) return FALSE;
  auto hold = keep(w);
  const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
  switch (cmd) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      send(w, WM_SHOWWINDOW, FALSE, 0);
      if (w->dead) return wasVisible;
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return wasVisible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      if (hasHooks(WH_CBT) && callHooks(WH_CBT, HCBT_MINMAX, WPARAM(hwnd), cmd)) return wasVisible;
      if (!wasVisible) {
        send(w, WM_SHOWWINDOW, TRUE, 0);
        if (w->dead) return wasVisible;
        w->style |= WS_VISIBLE;
      }
      w->minimized = true;
      w->style |= WS_MINIMIZE;
      w->style &= ~WS_MAXIMIZE;
      if (!w->isChild() && w->hasNative) backend().ShowNativeWindow(hwnd, false, false);
      send(w, WM_SIZE, SIZE_MINIMIZED, 0);
      if (state().active == hwnd && !w->dead) deactivateApp();
      return wasVisible;
    case SW_MAXIMIZE: {
      if (hasHooks(WH_CBT) && callHooks(WH_CBT, HCBT_MINMAX, WPARAM(hwnd), cmd)) return wasVisible;
      if (!wasVisible) {
        send(w, WM_SHOWWINDOW, TRUE, 0);
        if (w->dead) return wasVisible;
      }
      w->minimized = false;
      w->maximized = true;
      w->style &= ~WS_MINIMIZE;
      w->style |= WS_MAXIMIZE;
      RECT work{};
      if (w->isChild()) {
        GetClientRect(w->parent->handle, &work);
      } else {
        MONITORINFO mi;
        GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi);
        work = mi.rcWork;
      }
      SetWindowPos(hwnd, HWND_TOP, work.left, work.top, work.right - work.left,
                   work.bottom - work.top, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
      return wasVisible;
    }
    default:
      break;
  }
  // The show commands.
  bool activateIt = !(cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE || cmd == SW_SHOWMINNOACTIVE);
  if ((w->minimized || w->maximized) && (cmd == SW_RESTORE || cmd == SW_SHOWNORMAL)) {
    const bool wasMin = w->minimized;
    w->minimized = false;
    w->maximized = false;
    w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (wasMin && !w->isChild() && w->hasNative) backend().ShowNativeWindow(hwnd, true, activateIt);
    send(w, WM_SIZE, SIZE_RESTORED,
         MAKELPARAM(w->client.right - w->client.left, w->client.bottom - w->client.top));
  }
  if (wasVisible) {
    if (activateIt && !w->isChild() && state().active != hwnd) activate(w, WA_ACTIVE, true);
    return TRUE;
  }
  send(w, WM_SHOWWINDOW, TRUE, 0);
  if (w->dead) return FALSE;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | (activateIt ? 0 : SWP_NOACTIVATE | SWP_NOZORDER));
  return FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = find(hwnd);
  return (w && isVisible(w)) ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
  Window* w = find(hwnd);
  return (w && w->minimized) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
  Window* w = find(hwnd);
  return (w && w->maximized) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  requireMainThread("EnableWindow");
  Window* w = find(hwnd);
  if (!w) return FALSE;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    send(w, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    w->style |= WS_DISABLED;
    State& st = state();
    auto hold = keep(w);
    // A disabled window keeps neither focus nor capture.
    send(w, WM_CANCELMODE, 0, 0);
    if (w->dead) return wasDisabled;
    if (st.focus == hwnd) SetFocus(nullptr);
    if (st.capture == hwnd) ReleaseCapture();
    if (!w->dead) send(w, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = find(hwnd);
  return (w && !(w->style & WS_DISABLED)) ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rc) {
  Window* w = find(hwnd);
  if (!w || !rc) return FALSE;
  POINT o = windowOriginOnScreen(w);
  *rc = RECT{o.x, o.y, o.x + w->width(), o.y + w->height()};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rc) {
  Window* w = find(hwnd);
  if (!w || !rc) return FALSE;
  *rc = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt) {
  Window* w = find(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = clientOriginOnScreen(w);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt) {
  Window* w = find(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = clientOriginOnScreen(w);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a{}, b{};
  if (from) {
    Window* w = find(from);
    if (!w) return 0;
    a = clientOriginOnScreen(w);
  }
  if (to) {
    Window* w = find(to);
    if (!w) return 0;
    b = clientOriginOnScreen(w);
  }
  const int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(WORD(dx), WORD(dy));
}

BOOL AdjustWindowRectEx(RECT* rc, DWORD style, BOOL, DWORD exStyle) {
  if (!rc) return FALSE;
  RECT in;
  nonClientMetrics(style & ~(WS_VSCROLL | WS_HSCROLL), exStyle, &in, nullptr);
  rc->left -= in.left;
  rc->top -= in.top;
  rc->right += in.right;
  rc->bottom += in.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(RECT* rc, DWORD style, BOOL menu) { return AdjustWindowRectEx(rc, style, menu, 0); }

// ---- text and long values ---------------------------------------------------------------
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  return send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  Window* w = find(hwnd);
  if (!w || !buffer || maxCount <= 0) return 0;
  return int(send(w, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return 0;
  return int(send(w, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  Window* w = find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w->isChild() ? w->parent->handle : (w->owner ? w->owner->handle : nullptr));
    case GWLP_ID: return w->id;
    case GWL_STYLE: return LONG_PTR(w->style);
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    default: break;
  }
  if (index >= 0 && std::size_t(index) + sizeof(LONG_PTR) <= w->extra.size()) {
    LONG_PTR v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
  }
  if (index >= 0 && std::size_t(index) + sizeof(LONG) <= w->extra.size()) {
    LONG v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  requireMainThread("SetWindowLongPtrW");
  Window* w = find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const LONG_PTR old = GetWindowLongPtrW(hwnd, index);
  switch (index) {
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); return old;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); return old;
    case GWLP_ID: w->id = value; return old;
    case GWLP_USERDATA: w->userData = value; return old;
    case GWLP_HWNDPARENT:
      if (!w->isChild()) w->owner = ownerTop(reinterpret_cast<HWND>(value));
      if (!w->isChild() && w->hasNative) backend().SetNativeOwner(hwnd, w->owner ? w->owner->handle : nullptr);
      return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      struct {
        DWORD styleOld;
        DWORD styleNew;
      } ss{DWORD(old), DWORD(value)};
      send(w, WM_STYLECHANGING, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
      if (w->dead) return old;
      if (index == GWL_STYLE) {
        // The tree decides WS_CHILD, not the style word.
        const DWORD keepChild = w->style & WS_CHILD;
        w->style = (ss.styleNew & ~WS_CHILD) | keepChild;
      } else {
        const DWORD before = w->exStyle;
        w->exStyle = ss.styleNew;
        if (!w->isChild() && w->hasNative && ((before ^ w->exStyle) & WS_EX_TOPMOST)) {
          backend().SetNativeTopmost(hwnd, (w->exStyle & WS_EX_TOPMOST) != 0);
        }
        if (!w->isChild() && (before & WS_EX_LAYERED) && !(w->exStyle & WS_EX_LAYERED)) {
          // No longer layered: opaque and painted again.
          resetLayered(w);
        }
      }
      send(w, WM_STYLECHANGED, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
      return old;
    }
    default: break;
  }
  if (index >= 0 && std::size_t(index) + sizeof(LONG_PTR) <= w->extra.size()) {
    std::memcpy(w->extra.data() + index, &value, sizeof value);
    return old;
  }
  if (index >= 0 && std::size_t(index) + sizeof(LONG) <= w->extra.size()) {
    const LONG v = LONG(value);
    std::memcpy(w->extra.data() + index, &v, sizeof v);
    return old;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

namespace {
// Properties named by an atom and by a string share one table.
String propKey(LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return upper(name);
  String key(u"#");
  key.push_back(char16_t(reinterpret_cast<UINT_PTR>(name)));
  return key;
}
}  // namespace

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
  Window* w = find(hwnd);
  if (!w || !name) return FALSE;
  const String key = propKey(name);
  w->props[key] = data;
  return TRUE;
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name) {
  Window* w = find(hwnd);
  if (!w || !name) return nullptr;
  const String key = propKey(name);
  auto it = w->props.find(key);
  return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name) {
  Window* w = find(hwnd);
  if (!w || !name) return nullptr;
  const String key = propKey(name);
  auto it = w->props.find(key);
  if (it == w->props.end()) return nullptr;
  HANDLE h = it->second;
  w->props.erase(it);
  return h;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

}  // namespace win

// System metrics, parameters, colours, monitors, time and message boxes.
#include "platform/win/system.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/clock.h"
#include "platform/win/impl/state.h"

namespace win {
using namespace impl;

namespace {

std::vector<MonitorDesc> monitors() {
  auto list = backend().Monitors();
  if (list.empty()) {
    MonitorDesc d;
    d.monitor = RECT{0, 0, 1280, 1024};
    d.work = RECT{0, 0, 1280, 984};
    d.primary = true;
    d.name = u"\\\\.\\DISPLAY1";
    list.push_back(d);
  }
  return list;
}

RECT virtualScreen() {
  RECT r{};
  bool first = true;
  for (auto& m : monitors()) {
    if (first) {
      r = m.monitor;
      first = false;
    } else {
      gdi::UnionRect(&r, &r, &m.monitor);
    }
  }
  return r;
}

gdi::LOGFONTW tahoma(int weight = 400) {
  gdi::LOGFONTW lf{};
  lf.lfHeight = -11;  // 8 points at 96 DPI
  lf.lfWeight = weight;
  lf.lfCharSet = 1;  // DEFAULT_CHARSET
  const char16_t name[] = u"Tahoma";
  std::copy(std::begin(name), std::end(name), lf.lfFaceName);
  return lf;
}

HMONITOR monitorHandle(std::size_t index) { return reinterpret_cast<HMONITOR>(std::uintptr_t(index + 1)); }

std::size_t nearestMonitor(const RECT& r, const std::vector<MonitorDesc>& list) {
  std::size_t best = 0;
  long long bestArea = -1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    RECT x;
    if (gdi::IntersectRect(&x, &r, &list[i].monitor)) {
      const long long area = (long long)(x.right - x.left) * (x.bottom - x.top);
      if (area > bestArea) {
        bestArea = area;
        best = i;
      }
    }
  }
  if (bestArea >= 0) return best;
  // Outside every monitor: the one whose edge is nearest.
  long long bestDist = -1;
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const RECT& m = list[i].monitor;
    const long long dx = cx < m.left ? m.left - cx : cx >= m.right ? cx - m.right + 1 : 0;
    const long long dy = cy < m.top ? m.top - cy : cy >= m.bottom ? cy - m.bottom + 1 : 0;
    const long long d = dx * dx + dy * dy;
    if (bestDist < 0 || d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

HMONITOR monitorFor(const RECT& r, DWORD flags, bool point) {
  auto list = monitors();
  for (std::size_t i = 0; i < list.size(); ++i) {
    RECT x;
    const bool hit = point ? (r.left >= list[i].monitor.left && r.left < list[i].monitor.right &&
                              r.top >= list[i].monitor.top && r.top < list[i].monitor.bottom)
                           : gdi::IntersectRect(&x, &r, &list[i].monitor) != 0;
    if (hit && point) return monitorHandle(i);
    if (hit && !point) return monitorHandle(nearestMonitor(r, list));
  }
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return monitorHandle(0);
  return monitorHandle(nearestMonitor(r, list));
}

MessageBoxProvider& provider() {
  static MessageBoxProvider* p = new MessageBoxProvider;
  return *p;
}

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: { auto m = monitors()[0].monitor; return m.right - m.left; }
    case SM_CYSCREEN: { auto m = monitors()[0].monitor; return m.bottom - m.top; }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXFULLSCREEN: { auto w = monitors()[0].work; return w.right - w.left; }
    case SM_CYFULLSCREEN: { auto w = monitors()[0].work; return w.bottom - w.top - 19; }
    case SM_MOUSEPRESENT: return 1;
    case SM_SWAPBUTTON: return state().swapButtons ? 1 : 0;
    case SM_CXMIN:
    case SM_CXMINTRACK: return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK: return 27;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING: return 75;
    case SM_MENUDROPALIGNMENT: return 0;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 16;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXMAXTRACK: { auto v = virtualScreen(); return v.right - v.left + 12; }
    case SM_CYMAXTRACK: { auto v = virtualScreen(); return v.bottom - v.top + 12; }
    case SM_CXMAXIMIZED: { auto w = monitors()[0].work; return w.right - w.left + 8; }
    case SM_CYMAXIMIZED: { auto w = monitors()[0].work; return w.bottom - w.top + 8; }
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_XVIRTUALSCREEN: return virtualScreen().left;
    case SM_YVIRTUALSCREEN: return virtualScreen().top;
    case SM_CXVIRTUALSCREEN: { auto v = virtualScreen(); return v.right - v.left; }
    case SM_CYVIRTUALSCREEN: { auto v = virtualScreen(); return v.bottom - v.top; }
    case SM_CMONITORS: return int(monitors().size());
    case SM_SAMEDISPLAYFORMAT: return 1;
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER: return 1;
    case SM_REMOTESESSION: return 0;
    default: return 0;
  }
}

BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors) {
  if (!gdi::SetSysColors(count, indexes, colors)) return FALSE;
  // Every top-level window hears of it, then everything is painted anew.
  std::vector<HWND> tops;
  for (Window* t : state().topLevels) tops.push_back(t->handle);
  for (HWND h : tops) {
    if (Window* t = find(h)) send(t, WM_SYSCOLORCHANGE, 0, 0);
  }
  for (HWND h : tops) {
    if (find(h)) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  return TRUE;
}

namespace {

// Every top-level window (not the message-only ones) hears of a changed
// parameter, as a broadcast reaches them.
void broadcastSettingChange(UINT action) {
  std::vector<HWND> tops;
  for (Window* t : state().topLevels) {
    if (!t->messageOnly) tops.push_back(t->handle);
  }
  for (HWND h : tops) {
    if (Window* t = find(h)) send(t, WM_SETTINGCHANGE, action, 0);
  }
}

BOOL parameterInfo(UINT action, UINT uiParam, LPVOID pv);

}  // namespace

void BroadcastLocaleChange() {
  static const rtl::Char kArea[] = u"intl";
  std::vector<HWND> tops;
  for (Window* t : state().topLevels) {
    if (!t->messageOnly) tops.push_back(t->handle);
  }
  for (HWND h : tops) {
    if (Window* t = find(h)) send(t, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kArea));
  }
}

BOOL SystemParametersInfoW(UINT action, UINT uiParam, LPVOID pv, UINT winIni) {
  const BOOL ok = parameterInfo(action, uiParam, pv);
  // Only a parameter that was set is announced.
  if (ok && action == SPI_SETDOUBLECLICKTIME && (winIni & SPIF_SENDCHANGE)) broadcastSettingChange(action);
  return ok;
}

namespace {

BOOL parameterInfo(UINT action, UINT uiParam, LPVOID pv) {
  auto setBool = [&](BOOL v) {
    if (!pv) return FALSE;
    *static_cast<BOOL*>(pv) = v;
    return TRUE;
  };
  auto setUint = [&](UINT v) {
    if (!pv) return FALSE;
    *static_cast<UINT*>(pv) = v;
    return TRUE;
  };
  switch (action) {
    case SPI_GETWORKAREA:
      if (!pv) return FALSE;
      *static_cast<RECT*>(pv) = monitors()[0].work;
      return TRUE;
    case SPI_GETWHEELSCROLLLINES:
    case SPI_GETWHEELSCROLLCHARS: return setUint(3);
    case SPI_GETNONCLIENTMETRICS: {
      auto* m = static_cast<NONCLIENTMETRICSW*>(pv);
      if (!m) return FALSE;
      const UINT size = m->cbSize;
      *m = NONCLIENTMETRICSW{};
      m->cbSize = size;
      m->iBorderWidth = 1;
      m->iScrollWidth = 17;
      m->iScrollHeight = 17;
      m->iCaptionWidth = 18;
      m->iCaptionHeight = 18;
      m->lfCaptionFont = tahoma(700);
      m->iSmCaptionWidth = 12;
      m->iSmCaptionHeight = 15;
      m->lfSmCaptionFont = tahoma(700);
      m->iMenuWidth = 18;
      m->iMenuHeight = 18;
      m->lfMenuFont = tahoma();
      m->lfStatusFont = tahoma();
      m->lfMessageFont = tahoma();
      return TRUE;
    }
    case SPI_GETICONTITLELOGFONT:
      if (!pv) return FALSE;
      *static_cast<gdi::LOGFONTW*>(pv) = tahoma();
      return TRUE;
    case SPI_GETDRAGFULLWINDOWS: return setBool(TRUE);
    case SPI_GETBEEP: return setBool(TRUE);
    case SPI_GETHOTTRACKING: return setBool(TRUE);
    case SPI_GETUIEFFECTS: return setBool(TRUE);
    case SPI_GETFONTSMOOTHING: return setBool(TRUE);
    // Animations and fades are off: what the screen shows does not depend
    // on time.
    case SPI_GETMENUANIMATION:
    case SPI_GETCOMBOBOXANIMATION:
    case SPI_GETLISTBOXSMOOTHSCROLLING:
    case SPI_GETTOOLTIPANIMATION:
    case SPI_GETTOOLTIPFADE:
    case SPI_GETMENUFADE:
    case SPI_GETSELECTIONFADE:
    case SPI_GETCLIENTAREAANIMATION:
    case SPI_GETCURSORSHADOW:
    case SPI_GETDROPSHADOW:
    case SPI_GETGRADIENTCAPTIONS:
    case SPI_GETKEYBOARDCUES:
    case SPI_GETSCREENREADER:
    case SPI_GETSNAPTODEFBUTTON:
    case SPI_GETACTIVEWINDOWTRACKING:
    case SPI_GETSHOWIMEUI:
    case SPI_GETKEYBOARDPREF: return setBool(FALSE);
    case SPI_GETANIMATION: {
      auto* info = static_cast<ANIMATIONINFO*>(pv);
      if (!info || info->cbSize != sizeof(ANIMATIONINFO) || uiParam != sizeof(ANIMATIONINFO)) return FALSE;
      info->iMinAnimate = 0;
      return TRUE;
    }
    case SPI_GETKEYBOARDDELAY: return setUint(1);
    case SPI_GETKEYBOARDSPEED: return setUint(31);
    case SPI_GETMENUSHOWDELAY: return setUint(400);
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT: return setUint(4);
    case SPI_GETMOUSEHOVERTIME: return setUint(400);
    case SPI_GETFOCUSBORDERWIDTH:
    case SPI_GETFOCUSBORDERHEIGHT:
    case SPI_GETCARETWIDTH:
    case SPI_GETBORDER: return setUint(1);
    case SPI_GETMOUSESPEED: return setUint(10);
    case SPI_GETSCREENSAVETIMEOUT: return setUint(0);
    case SPI_ICONHORIZONTALSPACING: return setUint(75);
    case SPI_SETDOUBLECLICKTIME: return SetDoubleClickTime(uiParam);
    case SPI_GETHIGHCONTRAST:
      if (!pv) return FALSE;
      // cbSize, then dwFlags: no high contrast.
      static_cast<UINT*>(pv)[1] = 0;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

HMONITOR MonitorFromPoint(POINT pt, DWORD flags) { return monitorFor(RECT{pt.x, pt.y, pt.x + 1, pt.y + 1}, flags, true); }

HMONITOR MonitorFromRect(const RECT* rc, DWORD flags) {
  if (!rc) return nullptr;
  RECT r = *rc;
  if (r.right <= r.left) r.right = r.left + 1;
  if (r.bottom <= r.top) r.bottom = r.top + 1;
  return monitorFor(r, flags, false);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : monitorHandle(0);
  return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  auto list = monitors();
  const auto index = reinterpret_cast<std::uintptr_t>(monitor);
  if (!info || index == 0 || index > list.size()) return FALSE;
  const MonitorDesc& m = list[index - 1];
  info->rcMonitor = m.monitor;
  info->rcWork = m.work;
  info->dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
  if (info->cbSize >= sizeof(MONITORINFOEXW)) {
    auto* ex = static_cast<MONITORINFOEXW*>(info);
    const std::size_t n = std::min<std::size_t>(m.name.size(), 31);
    std::copy_n(m.name.data(), n, ex->szDevice);
    ex->szDevice[n] = 0;
  }
  return TRUE;
}

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data) {
  if (!proc) return FALSE;
  auto list = monitors();
  for (std::size_t i = 0; i < list.size(); ++i) {
    RECT r = list[i].monitor;
    if (clip && !gdi::IntersectRect(&r, &r, clip)) continue;
    if (!proc(monitorHandle(i), dc, &r, data)) break;
  }
  return TRUE;
}

DWORD GetTickCount() { return DWORD(std::uint64_t(rtl::CurrentClock().MonotonicMs())); }
std::uint64_t GetTickCount64() { return std::uint64_t(rtl::CurrentClock().MonotonicMs()); }

BOOL MessageBeep(UINT) { return TRUE; }

int DefaultMessageBoxAnswer(UINT type) {
  int buttons[3] = {IDOK, 0, 0};
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons[0] = IDOK; buttons[1] = IDCANCEL; break;
    case MB_ABORTRETRYIGNORE: buttons[0] = IDABORT; buttons[1] = IDRETRY; buttons[2] = IDIGNORE; break;
    case MB_YESNOCANCEL: buttons[0] = IDYES; buttons[1] = IDNO; buttons[2] = IDCANCEL; break;
    case MB_YESNO: buttons[0] = IDYES; buttons[1] = IDNO; break;
    case MB_RETRYCANCEL: buttons[0] = IDRETRY; buttons[1] = IDCANCEL; break;
    case MB_CANCELTRYCONTINUE: buttons[0] = IDCANCEL; buttons[1] = IDTRYAGAIN; buttons[2] = IDCONTINUE; break;
    default: break;
  }
  const int def = int((type & MB_DEFMASK) >> 8);
  if (def >= 0 && def < 3 && buttons[def]) return buttons[def];
  return buttons[0];
}

void SetMessageBoxProvider(MessageBoxProvider p) { provider() = std::move(p); }

namespace impl {
int defaultMessageBox(HWND owner, const rtl::String& text, const rtl::String& caption, UINT type);
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  requireMainThread("MessageBoxW");
  const rtl::String t = text ? rtl::String(text) : rtl::String();
  const rtl::String c = caption ? rtl::String(caption) : rtl::String(u"Error");
  if (provider()) return provider()(owner, t, c, type);
  return impl::defaultMessageBox(owner, t, c, type);
}

}  // namespace win

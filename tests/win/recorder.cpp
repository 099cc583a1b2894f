#include "tests/win/recorder.h"

#include "platform/gdi/objects.h"
#include "platform/rtl/clock.h"

namespace wintest {

std::string MessageName(UINT msg) {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"}, {WM_GETTEXT, "WM_GETTEXT"},
      {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"}, {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"},
      {WM_QUIT, "WM_QUIT"}, {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SYSCOLORCHANGE, "WM_SYSCOLORCHANGE"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"}, {WM_CANCELMODE, "WM_CANCELMODE"},
      {WM_SETCURSOR, "WM_SETCURSOR"}, {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_STYLECHANGING, "WM_STYLECHANGING"},
      {WM_STYLECHANGED, "WM_STYLECHANGED"}, {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCCALCSIZE, "WM_NCCALCSIZE"}, {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_NCPAINT, "WM_NCPAINT"},
      {WM_NCACTIVATE, "WM_NCACTIVATE"}, {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"}, {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"},
      {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"},
      {WM_SYSCHAR, "WM_SYSCHAR"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
      {WM_RBUTTONUP, "WM_RBUTTONUP"}, {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
      {WM_MOUSEHOVER, "WM_MOUSEHOVER"}, {WM_PRINT, "WM_PRINT"}, {WM_PRINTCLIENT, "WM_PRINTCLIENT"},
      {WM_CONTEXTMENU, "WM_CONTEXTMENU"}, {WM_ENTERSIZEMOVE, "WM_ENTERSIZEMOVE"},
      {WM_EXITSIZEMOVE, "WM_EXITSIZEMOVE"}, {WM_DEADCHAR, "WM_DEADCHAR"}, {WM_USER, "WM_USER"}, {WM_USER + 1, "WM_USER+1"}, {WM_USER + 2, "WM_USER+2"}, {WM_APP, "WM_APP"}};
  auto it = names.find(msg);
  if (it != names.end()) return it->second;
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", msg);
  return buf;
}

Recorder& Recorder::Get() {
  static Recorder r;
  return r;
}

std::vector<std::string> Recorder::Lines(const std::vector<UINT>& keep) const {
  std::vector<std::string> out;
  for (const Entry& e : entries) {
    if (!keep.empty() && std::find(keep.begin(), keep.end(), e.message) == keep.end()) continue;
    out.push_back(e.window + ":" + MessageName(e.message));
  }
  return out;
}

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Recorder& r = Recorder::Get();
  if (!r.names.count(hwnd) && !r.nextName.empty()) r.names[hwnd] = r.nextName;
  if (r.recording) r.entries.push_back(Entry{r.NameOf(hwnd), msg, wParam, lParam});
  LRESULT result = 0;
  if (r.handler && r.handler(hwnd, msg, wParam, lParam, &result)) return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterRecordingClass(const char16_t* name, UINT style, HBRUSH background) {
  WNDCLASSEXW wc;
  wc.style = style;
  wc.lpfnWndProc = &RecordingProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background ? background : gdi::GetSysColorBrush(gdi::COLOR_WINDOW);
  wc.lpszClassName = name;
  ASSERT_NE(RegisterClassExW(&wc), 0);
}

void WinTest::SetUp() {
  gdi::ResetSysColors();
  clock = std::make_unique<rtl::TestClockScope>();
  screen = std::make_unique<headless::HeadlessScope>();
  rec.entries.clear();
  rec.names.clear();
  rec.nextName.clear();
  rec.handler = nullptr;
  rec.recording = true;
  RegisterRecordingClass();
}

void WinTest::TearDown() {
  rec.handler = nullptr;
  rec.recording = false;
  screen.reset();
  clock.reset();
  rec.entries.clear();
  rec.names.clear();
}

HWND WinTest::Top(const std::string& name, int x, int y, int w, int h, DWORD style, DWORD exStyle) {
  rec.recording = false;
  HWND hwnd = CreateWindowExW(exStyle, u"Rec", u"", style & ~WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr,
                              nullptr);
  rec.Name(hwnd, name);
  rec.recording = true;
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

HWND WinTest::Child(const std::string& name, HWND parent, int x, int y, int w, int h, DWORD style,
                    DWORD exStyle) {
  rec.recording = false;
  HWND hwnd = CreateWindowExW(exStyle, u"Rec", u"", style & ~WS_VISIBLE, x, y, w, h, parent, nullptr, nullptr,
                              nullptr);
  rec.Name(hwnd, name);
  rec.recording = true;
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOWNA);
  return hwnd;
}

}  // namespace wintest

// Smoke test of the X11 backend on a real (virtual) display: scripts/x11-smoke
// runs it under xvfb-run. First the backend alone: it opens a window, draws a
// button into it, clicks the button, presses a key and a dead key and turns
// the wheel with injected X events (XTest), checks what came back, passes
// text through the CLIPBOARD selection between two connections, and saves a
// screenshot. Then the window system on the backend: a form with a button
// made by CreateWindowExW, clicked with XTest through the message loop, a
// screenshot of it (<screenshot>-form.png), and a layered window opaque
// without a compositor and 32-bit ARGB with one.
//   x11_smoke <screenshot.png>
// Exit status 0 when every check passed; each failure is printed.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/png.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/ustring.h"
#include "platform/win/win.h"
#include "platform/win/x11/keymap.h"
#include "platform/win/x11/selection_formats.h"
#include "platform/win/x11/x11_backend.h"

// Xlib names some events as macros (Expose, FocusIn): the window system's
// names are taken first.
namespace {
constexpr win::NativeEventType kExposeEvent = win::NativeEventType::Expose;
constexpr win::NativeEventType kFocusInEvent = win::NativeEventType::FocusIn;
}  // namespace

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

int gFailures = 0;

void check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  if (!ok) ++gFailures;
}

struct Recorder final : win::NativeEventSink {
  std::vector<win::NativeEvent> events;
  void PushNativeEvent(const win::NativeEvent& e) override { events.push_back(e); }
  const win::NativeEvent* find(win::NativeEventType type, std::size_t from = 0) const {
    for (std::size_t i = from; i < events.size(); ++i)
      if (events[i].type == type) return &events[i];
    return nullptr;
  }
};

// Lets the backend read the display until `done` holds or two seconds pass.
bool pumpUntil(win::Backend& backend, const std::function<bool()>& done) {
  auto* source = dynamic_cast<rtl::MainLoopSource*>(&backend);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    if (source) source->DispatchNativeEvents();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

constexpr std::uint32_t kFace = 0xFFD4D0C8;    // the window's face
constexpr std::uint32_t kButton = 0xFF3060C0;  // the button
constexpr win::RECT kButtonRect{110, 80, 210, 120};   // window coordinates

gdi::ImageBGRA drawWindow(int width, int height) {
  gdi::ImageBGRA image(width, height, kFace);
  for (int y = kButtonRect.top; y < kButtonRect.bottom; ++y)
    for (int x = kButtonRect.left; x < kButtonRect.right; ++x) {
      const bool edge = x == kButtonRect.left || y == kButtonRect.top ||
                        x == kButtonRect.right - 1 || y == kButtonRect.bottom - 1;
      image.at(x, y) = edge ? 0xFF000000 : kButton;
    }
  return image;
}

gdi::ImageBGRA grab(Display* d, const win::RECT& r) {
  gdi::ImageBGRA out(r.right - r.left, r.bottom - r.top);
  XImage* img = XGetImage(d, DefaultRootWindow(d), r.left, r.top, unsigned(out.width),
                          unsigned(out.height), AllPlanes, ZPixmap);
  if (!img) return out;
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.at(x, y) = 0xFF000000 | (std::uint32_t(XGetPixel(img, x, y)) & 0xFFFFFF);
  XDestroyImage(img);
  return out;
}

// A top-level X window of ours by its title (no window manager: they are
// children of the root).
Window findByName(Display* d, const std::string& name) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* title = nullptr;
    if (XFetchName(d, children[i], &title) && title) {
      if (name == title) found = children[i];
      XFree(title);
    }
  }
  if (children) XFree(children);
  return found;
}

// Runs the window system's loop until `done` holds or three seconds of real
// time pass.
bool loopUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < deadline) {
    win::MSG msg;
    while (win::PeekMessageW(&msg, nullptr, 0, 0, win::PM_REMOVE)) {
      win::TranslateMessage(&msg);
      win::DispatchMessageW(&msg);
    }
    if (done()) return true;
    rtl::WaitForMainThreadWork(10);
  }
  return done();
}

bool viewable(Display* d, Window w) {
  XWindowAttributes a{};
  return w && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

// What the form's button procedure got.
struct ButtonLog {
  std::vector<std::pair<win::UINT, win::POINT>> presses;
  win::HWND hwnd = nullptr;
};
ButtonLog gButton;

constexpr win::COLORREF kButtonFace = gdi::RGB(0x30, 0x60, 0xC0);

win::LRESULT buttonProc(win::HWND hwnd, win::UINT msg, win::WPARAM wp, win::LPARAM lp) {
  switch (msg) {
    case win::WM_LBUTTONDOWN:
    case win::WM_LBUTTONUP:
      gButton.hwnd = hwnd;
      gButton.presses.push_back({msg, {win::GET_X_LPARAM(lp), win::GET_Y_LPARAM(lp)}});
      return 0;
    case win::WM_PAINT: {
      win::PAINTSTRUCT ps;
      win::HDC dc = win::BeginPaint(hwnd, &ps);
      win::RECT r;
      win::GetClientRect(hwnd, &r);
      gdi::HBRUSH face = gdi::CreateSolidBrush(kButtonFace);
      gdi::FillRect(dc, &r, face);
      gdi::DeleteObject(face);
      gdi::DrawEdge(dc, &r, gdi::EDGE_RAISED, gdi::BF_RECT);
      gdi::SetBkMode(dc, gdi::TRANSPARENT);
      gdi::SetTextColor(dc, gdi::RGB(255, 255, 255));
      gdi::DrawTextW(dc, u"OK", 2, &r, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
      win::EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return win::DefWindowProcW(hwnd, msg, wp, lp);
  }
}

std::string formShotPath(const std::string& shot) {
  const std::string ext = ".png";
  if (shot.size() > ext.size() && shot.compare(shot.size() - ext.size(), ext.size(), ext) == 0)
    return shot.substr(0, shot.size() - ext.size()) + "-form.png";
  return shot + "-form.png";
}

// The window system on the X11 backend: a form, a click on its button
// through the loop, a screenshot, and a layered window.
void windowSystemStage(Display* injector, const std::string& shot) {
  win::SetBackend(win::CreateX11Backend());
  win::Backend* backend = win::CurrentBackend();
  check(backend && backend->Name() == "x11", "the window system runs on the X11 backend");
  if (!backend || backend->Name() != "x11") return;

  win::WNDCLASSEXW form;
  form.lpfnWndProc = &win::DefWindowProcW;
  form.hbrBackground = gdi::GetSysColorBrush(gdi::COLOR_BTNFACE);
  form.hCursor = win::LoadCursorW(nullptr, win::IDC_ARROW);
  form.lpszClassName = u"SmokeForm";
  win::WNDCLASSEXW button = form;
  button.lpfnWndProc = &buttonProc;
  button.hbrBackground = nullptr;
  button.lpszClassName = u"SmokeButton";
  check(win::RegisterClassExW(&form) != 0 && win::RegisterClassExW(&button) != 0, "the classes register");

  win::HWND top = win::CreateWindowExW(0, u"SmokeForm", u"Integrador smoke form", win::WS_OVERLAPPEDWINDOW,
                                       100, 100, 320, 200, nullptr, nullptr, nullptr, nullptr);
  win::HWND ok = win::CreateWindowExW(0, u"SmokeButton", u"OK", win::WS_CHILD | win::WS_VISIBLE, 110, 80, 100,
                                      40, top, nullptr, nullptr, nullptr);
  check(top && ok, "CreateWindowExW makes the form and its button");
  if (!top || !ok) return;
  win::ShowWindow(top, win::SW_SHOW);
  win::UpdateWindow(top);
  const Window xid = [&] {
    Window found = 0;
    loopUntil([&] { return viewable(injector, found = findByName(injector, "Integrador smoke form")); });
    return found;
  }();
  check(viewable(injector, xid), "the form is an X window of its own, mapped");

  // The middle of the button, on the screen.
  win::POINT centre{50, 20};
  win::ClientToScreen(ok, &centre);
  XTestFakeMotionEvent(injector, -1, centre.x, centre.y, CurrentTime);
  XTestFakeButtonEvent(injector, 1, True, CurrentTime);
  XTestFakeButtonEvent(injector, 1, False, CurrentTime);
  XFlush(injector);
  loopUntil([] {
    for (auto& p : gButton.presses)
      if (p.first == win::WM_LBUTTONUP) return true;
    return false;
  });
  const bool twoPresses = gButton.presses.size() == 2;
  check(twoPresses && gButton.hwnd == ok && gButton.presses[0].first == win::WM_LBUTTONDOWN &&
            gButton.presses[1].first == win::WM_LBUTTONUP,
        "WM_LBUTTONDOWN then WM_LBUTTONUP reach the button's procedure");
  check(twoPresses && gButton.presses[0].second.x == 50 && gButton.presses[0].second.y == 20 &&
            gButton.presses[1].second.x == 50 && gButton.presses[1].second.y == 20,
        "the click comes in the button's client coordinates (50, 20)");

  // What the display shows of the form.
  loopUntil([] { return false; });  // paints and presents settle; bounded
  win::RECT wr;
  win::GetWindowRect(top, &wr);
  const gdi::ImageBGRA screen = grab(injector, wr);
  const std::string formShot = formShotPath(shot);
  gdi::WritePngFile(screen, formShot);
  std::printf("screenshot: %s\n", formShot.c_str());
  auto px = [](win::COLORREF c) {
    return 0xFF000000u | (std::uint32_t(gdi::GetRValue(c)) << 16) | (std::uint32_t(gdi::GetGValue(c)) << 8) |
           gdi::GetBValue(c);
  };
  win::POINT inForm{centre.x - wr.left, centre.y - wr.top};
  check(screen.width == 320 && screen.at(inForm.x - 30, inForm.y) == px(kButtonFace) &&
            screen.at(screen.width - 40, 10) == px(gdi::GetSysColor(gdi::COLOR_ACTIVECAPTION)),
        "the screen shows the active caption and the button's face");

  // A layered window: opaque on a display without a compositor...
  win::HWND layered = win::CreateWindowExW(win::WS_EX_LAYERED | win::WS_EX_TOOLWINDOW, u"SmokeForm",
                                           u"Integrador smoke layered", win::WS_POPUP | win::WS_VISIBLE, 500,
                                           100, 40, 20, nullptr, nullptr, nullptr, nullptr);
  gdi::ImageBGRA image(40, 20, 0xFFFF0000u);
  for (int y = 0; y < 20; ++y)
    for (int x = 20; x < 40; ++x) image.at(x, y) = 0x80000080u;
  gdi::HDC mem = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateBitmapFromImage(image);
  gdi::HGDIOBJ old = gdi::SelectObject(mem, bmp);
  gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, 255, gdi::AC_SRC_ALPHA};
  check(win::UpdateLayeredWindow(layered, nullptr, nullptr, nullptr, mem, nullptr, 0, &blend, win::ULW_ALPHA),
        "UpdateLayeredWindow takes per-pixel alpha");
  Window lx = 0;
  loopUntil([&] { return viewable(injector, lx = findByName(injector, "Integrador smoke layered")); });
  XWindowAttributes attrs{};
  check(lx && XGetWindowAttributes(injector, lx, &attrs) && attrs.depth != 32,
        "without a compositor the layered window is an opaque one");
  // ...and 32-bit ARGB once a compositor owns the screen's _NET_WM_CM_S0.
  const Window cm = XCreateSimpleWindow(injector, DefaultRootWindow(injector), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(injector, XInternAtom(injector, "_NET_WM_CM_S0", False), cm, CurrentTime);
  XSync(injector, False);
  check(win::UpdateLayeredWindow(layered, nullptr, nullptr, nullptr, mem, nullptr, 0, &blend, win::ULW_ALPHA),
        "UpdateLayeredWindow again under a compositor");
  lx = 0;
  loopUntil([&] {
    lx = findByName(injector, "Integrador smoke layered");
    return viewable(injector, lx) && XGetWindowAttributes(injector, lx, &attrs) && attrs.depth == 32;
  });
  bool alphaKept = false;
  if (lx && attrs.depth == 32) {
    XSync(injector, False);
    if (XImage* img = XGetImage(injector, lx, 0, 0, 40, 20, AllPlanes, ZPixmap)) {
      alphaKept = XGetPixel(img, 5, 5) == 0xFFFF0000ul && XGetPixel(img, 30, 5) == 0x80000080ul;
      XDestroyImage(img);
    }
  }
  check(alphaKept, "with a compositor it is a 32-bit ARGB window holding the premultiplied pixels");
  XDestroyWindow(injector, cm);
  XSync(injector, False);
  gdi::SelectObject(mem, old);
  gdi::DeleteObject(bmp);
  gdi::DeleteDC(mem);

  win::DestroyWindow(layered);
  win::DestroyWindow(top);
  win::SetBackend(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string shot = argc > 1 ? argv[1] : "x11-smoke.png";
  std::string error;
  std::unique_ptr<win::Backend> backend = win::x11::CreateBackend({}, &error);
  if (!backend) {
    std::printf("FAILED: %s\n", error.c_str());
    return 1;
  }
  Display* injector = XOpenDisplay(nullptr);
  int ev = 0, er = 0, major = 0, minor = 0;
  if (!injector || !XTestQueryExtension(injector, &ev, &er, &major, &minor)) {
    std::printf("FAILED: no XTest on the display\n");
    return 1;
  }

  Recorder sink;
  backend->Start(&sink);
  const std::vector<win::MonitorDesc> monitors = backend->Monitors();
  check(!monitors.empty() && monitors[0].primary &&
            monitors[0].monitor.right - monitors[0].monitor.left > 0,
        "the primary monitor comes first");

  auto* hwnd = reinterpret_cast<win::HWND>(std::uintptr_t(0x1000));
  win::NativeWindowParams params;
  params.hwnd = hwnd;
  params.title = u"x11 smoke: ação";
  params.rect = {100, 100, 420, 300};
  params.visible = true;
  backend->CreateNativeWindow(params);
  const gdi::ImageBGRA picture = drawWindow(320, 200);
  gdi::ImageBGRA pixels = picture;
  check(pumpUntil(*backend, [&] { return sink.find(kExposeEvent) != nullptr; }),
        "the window is exposed once mapped");
  backend->Present(hwnd, pixels.view(), {0, 0, 320, 200});

  // A click in the middle of the button, in screen coordinates.
  const int cx = 100 + (kButtonRect.left + kButtonRect.right) / 2;
  const int cy = 100 + (kButtonRect.top + kButtonRect.bottom) / 2;
  const std::size_t before = sink.events.size();
  XTestFakeMotionEvent(injector, -1, cx, cy, CurrentTime);
  XTestFakeButtonEvent(injector, 1, True, CurrentTime);
  XTestFakeButtonEvent(injector, 1, False, CurrentTime);
  XFlush(injector);
  pumpUntil(*backend, [&] { return sink.find(win::NativeEventType::MouseUp, before) != nullptr; });
  const win::NativeEvent* down = sink.find(win::NativeEventType::MouseDown, before);
  const win::NativeEvent* up = sink.find(win::NativeEventType::MouseUp, before);
  check(down && down->window == hwnd && down->button == win::MouseButton::Left &&
            down->screen.x == cx && down->screen.y == cy,
        "the click's press arrives on the window at the button");
  check(up && up->window == hwnd && up->button == win::MouseButton::Left && up > down,
        "the click's release follows");

  // The wheel: one notch away from the user.
  std::size_t mark = sink.events.size();
  XTestFakeButtonEvent(injector, 4, True, CurrentTime);
  XTestFakeButtonEvent(injector, 4, False, CurrentTime);
  XFlush(injector);
  pumpUntil(*backend, [&] { return sink.find(win::NativeEventType::MouseWheel, mark) != nullptr; });
  const win::NativeEvent* wheel = sink.find(win::NativeEventType::MouseWheel, mark);
  check(wheel && wheel->wheelDelta == 120 && !wheel->horizontal, "button 4 is a wheel notch of +120");

  // A key: 'a' types "a" with the virtual key 'A' once the window has the focus.
  pumpUntil(*backend, [&] { return sink.find(kFocusInEvent) != nullptr; });
  XSetInputFocus(injector, PointerRoot, RevertToPointerRoot, CurrentTime);
  mark = sink.events.size();
  const unsigned keycode = win::x11::KeycodeForScanCode(0x1E, false);
  XTestFakeKeyEvent(injector, keycode, True, CurrentTime);
  XTestFakeKeyEvent(injector, keycode, False, CurrentTime);
  XFlush(injector);
  pumpUntil(*backend, [&] { return sink.find(win::NativeEventType::KeyUp, mark) != nullptr; });
  const win::NativeEvent* key = sink.find(win::NativeEventType::KeyDown, mark);
  check(key && key->vk == 'A' && key->scanCode == 0x1E && key->text == u"a",
        "the A key arrives as 'A' with scan code 0x1E typing \"a\"");

  // A dead key: a free key code made the acute accent's dead key.
  int minCode = 0, maxCode = 0;
  XDisplayKeycodes(injector, &minCode, &maxCode);
  int spare = 0;
  for (int code = maxCode; code >= minCode && !spare; --code) {
    int per = 0;
    KeySym* syms = XGetKeyboardMapping(injector, KeyCode(code), 1, &per);
    bool free = true;
    for (int i = 0; syms && i < per; ++i) free = free && syms[i] == NoSymbol;
    if (syms) XFree(syms);
    if (free) spare = code;
  }
  KeySym dead = XK_dead_acute;
  XChangeKeyboardMapping(injector, spare, 1, &dead, 1);
  XSync(injector, False);
  pumpUntil(*backend, [] { return false; });  // the mapping change reaches the backend
  mark = sink.events.size();
  XTestFakeKeyEvent(injector, unsigned(spare), True, CurrentTime);
  XTestFakeKeyEvent(injector, unsigned(spare), False, CurrentTime);
  XFlush(injector);
  pumpUntil(*backend, [&] { return sink.find(win::NativeEventType::KeyUp, mark) != nullptr; });
  const win::NativeEvent* deadKey = sink.find(win::NativeEventType::KeyDown, mark);
  check(spare && deadKey && deadKey->deadKey && deadKey->text == u"\u00B4",
        "a dead key arrives as a dead key showing its accent");
  KeySym none = NoSymbol;
  XChangeKeyboardMapping(injector, spare, 1, &none, 1);
  XSync(injector, False);

  // Text through the CLIPBOARD selection, read by a second connection on
  // another thread while this one answers.
  std::vector<std::uint8_t> text = win::x11::Utf8ToUnicodeText(
      std::vector<std::uint8_t>{'o', 'l', 0xC3, 0xA1, '\n', 'x'});
  backend->SetClipboard({{{win::x11::kCfUnicodeText, {}}, text}});
  std::vector<std::uint8_t> pasted;
  std::vector<win::ClipboardFormatId> formats;
  std::atomic<bool> readerDone{false};
  std::thread reader([&] {
    std::unique_ptr<win::Backend> other = win::x11::CreateBackend();
    if (other) {
      formats = other->ClipboardFormats();
      other->GetClipboard({win::x11::kCfUnicodeText, {}}, &pasted);
    }
    readerDone = true;
  });
  pumpUntil(*backend, [&] { return readerDone.load(); });
  reader.join();
  check(std::find(formats.begin(), formats.end(),
                  win::ClipboardFormatId{win::x11::kCfUnicodeText, {}}) != formats.end(),
        "another client sees text on the clipboard");
  check(pasted == text, "another client reads the text back unchanged");

  // What the display shows.
  backend->Present(hwnd, pixels.view(), {0, 0, 320, 200});
  const gdi::ImageBGRA screen = grab(injector, {100, 100, 420, 300});
  gdi::WritePngFile(screen, shot);
  std::printf("screenshot: %s\n", shot.c_str());
  check(screen.at(160, 100) == kButton && screen.at(10, 10) == kFace,
        "the presented pixels are on the screen");

  backend->DestroyNativeWindow(hwnd);
  backend->Stop();
  backend.reset();

  windowSystemStage(injector, shot);
  XCloseDisplay(injector);
  return gFailures == 0 ? 0 : 1;
}

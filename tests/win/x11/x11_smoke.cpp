// Smoke test of the X11 backend on a real (virtual) display: scripts/x11-smoke
// runs it under xvfb-run. It opens a window through the backend, draws a
// button into it, clicks the button, presses a key and turns the wheel with
// injected X events (XTest), checks what came back, passes text through the
// CLIPBOARD selection between two connections, and saves a screenshot.
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
#include "platform/rtl/mainloop.h"
#include "platform/rtl/ustring.h"
#include "platform/win/backend.h"
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
  XCloseDisplay(injector);
  return gFailures == 0 ? 0 : 1;
}

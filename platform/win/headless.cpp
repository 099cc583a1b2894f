// The headless backend: a virtual screen, input injection, screenshots,
// an in-memory clipboard and scripted message boxes.
#include "platform/win/headless.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>

#include "platform/gdi/objects.h"
#include "platform/gdi/png.h"
#include "platform/gdi/region.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/ustring.h"
#include "platform/win/impl/state.h"

namespace win::headless {

using impl::State;
using impl::Window;

namespace {

struct NativeRec {
  NativeWindowParams params;
  HRGN shape = nullptr;
  BYTE alpha = 255;
  NativeTransparency transparency;
  PresentStats stats;
  NativeCursor cursor;
};

struct ScriptedBox {
  int answer = 0;
  std::function<bool()> closeWhen;
};

struct Scripts {
  std::deque<ScriptedBox> answers;
  std::deque<ShownMessageBox> shown;
};
Scripts& scripts() {
  static Scripts* s = new Scripts;
  return *s;
}

}  // namespace

class HeadlessBackend final : public Backend {
 public:
  ~HeadlessBackend() override {
    for (auto& [h, rec] : windows_) {
      if (rec.shape) gdi::DeleteObject(rec.shape);
    }
  }
  std::string Name() const override { return "headless"; }
  void Start(NativeEventSink* sink) override { sink_ = sink; }
  void Stop() override { sink_ = nullptr; }

  void CreateNativeWindow(const NativeWindowParams& params) override { windows_[params.hwnd].params = params; }
  void DestroyNativeWindow(HWND hwnd) override {
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return;
    if (it->second.shape) gdi::DeleteObject(it->second.shape);
    windows_.erase(it);
    if (grab_ == hwnd) grab_ = nullptr;
  }
  void SetNativeTitle(HWND hwnd, const rtl::String& title) override {
    if (auto* r = rec(hwnd)) r->params.title = title;
  }
  void SetNativeRect(HWND hwnd, const RECT& rect) override {
    if (auto* r = rec(hwnd)) r->params.rect = rect;
  }
  void ShowNativeWindow(HWND hwnd, bool visible, bool) override {
    if (auto* r = rec(hwnd)) r->params.visible = visible;
  }
  void SetNativeTopmost(HWND hwnd, bool topmost) override {
    if (auto* r = rec(hwnd)) r->params.topmost = topmost;
  }
  void SetNativeOwner(HWND hwnd, HWND owner) override {
    if (auto* r = rec(hwnd)) r->params.owner = owner;
  }
  void RaiseNativeWindow(HWND, bool) override {}
  void SetNativeShape(HWND hwnd, HRGN region) override {
    auto* r = rec(hwnd);
    if (!r) return;
    if (r->shape) gdi::DeleteObject(r->shape);
    r->shape = nullptr;
    if (region) {
      r->shape = gdi::CreateRectRgn(0, 0, 0, 0);
      gdi::CombineRgn(r->shape, region, nullptr, gdi::RGN_COPY);
    }
  }
  void SetNativeOpacity(HWND hwnd, BYTE alpha) override {
    if (auto* r = rec(hwnd)) r->alpha = alpha;
  }
  void SetNativeTransparency(HWND hwnd, const NativeTransparency& t) override {
    if (auto* r = rec(hwnd)) r->transparency = t;
  }
  void Present(HWND hwnd, const gdi::Surface&, const RECT& dirty) override {
    if (auto* r = rec(hwnd)) {
      r->stats.calls++;
      r->stats.lastDirty = dirty;
    }
  }
  void SetNativeCursor(HWND hwnd, const NativeCursor& cursor) override {
    if (auto* r = rec(hwnd)) {
      r->cursor = cursor;
      r->cursor.image = nullptr;
    }
  }
  void WarpPointer(POINT) override {}
  bool GrabPointer(HWND hwnd) override {
    grab_ = hwnd;
    return true;
  }
  void UngrabPointer() override { grab_ = nullptr; }
  std::vector<MonitorDesc> Monitors() override {
    MonitorDesc d;
    d.monitor = RECT{0, 0, kScreenWidth, kScreenHeight};
    d.work = RECT{0, 0, kScreenWidth, kScreenHeight - kTaskBarHeight};
    d.primary = true;
    d.name = u"\\\\.\\DISPLAY1";
    return {d};
  }
  void SetClipboard(const std::vector<ClipboardItem>& items) override { clipboard_ = items; }
  std::vector<ClipboardFormatId> ClipboardFormats() override {
    std::vector<ClipboardFormatId> list;
    for (auto& i : clipboard_) list.push_back(i.format);
    return list;
  }
  bool GetClipboard(const ClipboardFormatId& format, std::vector<std::uint8_t>* data) override {
    for (auto& i : clipboard_) {
      if (i.format == format) {
        if (data) *data = i.data;
        return true;
      }
    }
    return false;
  }

  NativeRec* rec(HWND hwnd) {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
  }

 private:
  NativeEventSink* sink_ = nullptr;
  std::map<HWND, NativeRec> windows_;
  std::vector<ClipboardItem> clipboard_;
  HWND grab_ = nullptr;
};

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

// ---- injection ------------------------------------------------------------------------
namespace {

void push(NativeEvent e) {
  impl::requireMainThread("headless input");
  impl::backend();  // a backend must be there to route to
  impl::pushNative(e);
}

NativeEvent pointer(NativeEventType type, int x, int y) {
  NativeEvent e;
  e.type = type;
  e.screen = POINT{x, y};
  return e;
}

constexpr UINT VK_PACKET = 0xE7;

UINT scanFor(UINT vk) {
  // Set-1 scan codes of the common keys (enough for lParam bits in tests).
  static const std::map<UINT, UINT> table = {
      {VK_ESCAPE, 0x01}, {'1', 0x02}, {'2', 0x03}, {'3', 0x04}, {'4', 0x05}, {'5', 0x06},
      {'6', 0x07}, {'7', 0x08}, {'8', 0x09}, {'9', 0x0A}, {'0', 0x0B}, {VK_OEM_MINUS, 0x0C},
      {VK_OEM_PLUS, 0x0D}, {VK_BACK, 0x0E}, {VK_TAB, 0x0F}, {'Q', 0x10}, {'W', 0x11}, {'E', 0x12},
      {'R', 0x13}, {'T', 0x14}, {'Y', 0x15}, {'U', 0x16}, {'I', 0x17}, {'O', 0x18}, {'P', 0x19},
      {VK_RETURN, 0x1C}, {VK_CONTROL, 0x1D}, {VK_LCONTROL, 0x1D}, {'A', 0x1E}, {'S', 0x1F},
      {'D', 0x20}, {'F', 0x21}, {'G', 0x22}, {'H', 0x23}, {'J', 0x24}, {'K', 0x25}, {'L', 0x26},
      {VK_SHIFT, 0x2A}, {VK_LSHIFT, 0x2A}, {'Z', 0x2C}, {'X', 0x2D}, {'C', 0x2E}, {'V', 0x2F},
      {'B', 0x30}, {'N', 0x31}, {'M', 0x32}, {VK_RSHIFT, 0x36}, {VK_MENU, 0x38}, {VK_LMENU, 0x38},
      {VK_SPACE, 0x39}, {VK_F1, 0x3B}, {VK_F2, 0x3C}, {VK_F3, 0x3D}, {VK_F4, 0x3E}, {VK_F5, 0x3F},
      {VK_F6, 0x40}, {VK_F7, 0x41}, {VK_F8, 0x42}, {VK_F9, 0x43}, {VK_F10, 0x44}, {VK_HOME, 0x47},
      {VK_UP, 0x48}, {VK_PRIOR, 0x49}, {VK_LEFT, 0x4B}, {VK_RIGHT, 0x4D}, {VK_END, 0x4F},
      {VK_DOWN, 0x50}, {VK_NEXT, 0x51}, {VK_INSERT, 0x52}, {VK_DELETE, 0x53}};
  auto it = table.find(vk);
  return it == table.end() ? 0 : it->second;
}

bool extendedKey(UINT vk) {
  switch (vk) {
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_RIGHT:
    case VK_UP: case VK_DOWN: case VK_INSERT: case VK_DELETE: case VK_RCONTROL: case VK_RMENU:
    case VK_DIVIDE:
      return true;
    default:
      return false;
  }
}

}  // namespace

void MouseMove(int x, int y) { push(pointer(NativeEventType::MouseMove, x, y)); }

void MouseDown(MouseButton button, int x, int y) {
  NativeEvent e = pointer(NativeEventType::MouseDown, x, y);
  e.button = button;
  push(e);
}

void MouseUp(MouseButton button, int x, int y) {
  NativeEvent e = pointer(NativeEventType::MouseUp, x, y);
  e.button = button;
  push(e);
}

void Click(int x, int y, MouseButton button) {
  MouseMove(x, y);
  MouseDown(button, x, y);
  MouseUp(button, x, y);
}

void Wheel(int delta, int x, int y, bool horizontal) {
  NativeEvent e = pointer(NativeEventType::MouseWheel, x, y);
  e.wheelDelta = delta;
  e.horizontal = horizontal;
  push(e);
}

void KeyDown(UINT vk, const rtl::String& text, bool repeat) {
  NativeEvent e;
  e.type = NativeEventType::KeyDown;
  e.vk = vk;
  e.scanCode = scanFor(vk);
  e.extended = extendedKey(vk);
  e.repeat = repeat;
  e.text = text;
  if (e.text.empty() && vk != VK_PACKET) {
    // The text the US layout types with the modifiers down now.
    State& st = impl::state();
    WCHAR buf[2];
    const int n = ToUnicode(vk, e.scanCode, st.asyncKeyState, buf, 2, 0);
    if (n > 0) e.text.assign(buf, buf + n);
  }
  push(e);
}

void KeyDown(UINT vk, const char16_t* text) { KeyDown(vk, text ? rtl::String(text) : rtl::String(), false); }

void DeadKeyDown(UINT vk, const rtl::String& accent) {
  NativeEvent e;
  e.type = NativeEventType::KeyDown;
  e.vk = vk;
  e.scanCode = scanFor(vk);
  e.text = accent;
  e.deadKey = true;
  push(e);
}

void KeyUp(UINT vk) {
  NativeEvent e;
  e.type = NativeEventType::KeyUp;
  e.vk = vk;
  e.scanCode = scanFor(vk);
  e.extended = extendedKey(vk);
  push(e);
}

void PressKey(UINT vk, const rtl::String& text) {
  KeyDown(vk, text, false);
  KeyUp(vk);
}

void TypeText(const rtl::String& text) {
  for (char16_t c : text) {
    const SHORT scan = VkKeyScanW(c);
    if (scan == -1) {
      KeyDown(VK_PACKET, rtl::String(1, c), false);
      KeyUp(VK_PACKET);
      continue;
    }
    const UINT vk = UINT(scan & 0xFF);
    const bool shift = (scan & 0x100) != 0;
    const bool shiftDown = (impl::state().asyncKeyState[VK_SHIFT] & 0x80) != 0;
    if (shift && !shiftDown) KeyDown(VK_SHIFT, rtl::String(), false);
    KeyDown(vk, rtl::String(1, c), false);
    KeyUp(vk);
    if (shift && !shiftDown) KeyUp(VK_SHIFT);
  }
}

void FocusIn(HWND hwnd) {
  NativeEvent e;
  e.type = NativeEventType::FocusIn;
  e.window = hwnd;
  push(e);
}

void FocusOut(HWND hwnd) {
  NativeEvent e;
  e.type = NativeEventType::FocusOut;
  e.window = hwnd;
  push(e);
}

void CloseRequest(HWND hwnd) {
  NativeEvent e;
  e.type = NativeEventType::Close;
  e.window = hwnd;
  push(e);
}

int ProcessMessages() {
  impl::requireMainThread("ProcessMessages");
  int count = 0;
  MSG msg;
  // Bounded: a window that never validates its update region would repaint forever.
  for (int i = 0; i < 100000; ++i) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      // Left for the loop that owns it.
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++count;
  }
  impl::presentDirty();
  return count;
}

// ---- pictures ------------------------------------------------------------------------------
namespace {

void paintPending() {
  for (int i = 0; i < 10000; ++i) {
    Window* w = impl::findWindowToPaint();
    if (!w) break;
    MSG m{w->handle, WM_PAINT, 0, 0, impl::nowMs(), impl::state().cursorPos};
    DispatchMessageW(&m);
  }
}

std::uint32_t pixelOf(COLORREF c) {
  return 0xFF000000u | (std::uint32_t(gdi::GetRValue(c)) << 16) | (std::uint32_t(gdi::GetGValue(c)) << 8) |
         std::uint32_t(gdi::GetBValue(c));
}

// A top-level window's pixel over what lies beneath it (opaque), as the
// display composes layered windows: the colour key shows the background,
// per-pixel alpha is premultiplied, the constant alpha fades it all.
bool translucent(const Window* t) { return t->alpha != 255 || t->transparency != NativeTransparency{}; }

std::uint32_t composeOver(const Window* t, std::uint32_t src, std::uint32_t below) {
  if (!translucent(t)) return src | 0xFF000000u;
  if (t->transparency.colorKey && (src & 0xFFFFFFu) == (pixelOf(t->transparency.key) & 0xFFFFFFu)) {
    return below;
  }
  if (!t->transparency.perPixelAlpha) src |= 0xFF000000u;
  const std::uint32_t ca = t->alpha;
  std::uint32_t s[4], d[4];
  for (int i = 0; i < 4; ++i) {
    s[i] = (src >> (8 * i)) & 0xFF;
    d[i] = (below >> (8 * i)) & 0xFF;
    if (ca != 255) s[i] = (s[i] * ca + 127) / 255;
  }
  const std::uint32_t sa = s[3];
  std::uint32_t out = 0xFF000000u;
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t v = std::min<std::uint32_t>(255, s[i] + (d[i] * (255 - sa) + 127) / 255);
    out |= v << (8 * i);
  }
  return out;
}

}  // namespace

gdi::ImageBGRA Screenshot(HWND hwnd) {
  impl::requireMainThread("Screenshot");
  paintPending();
  impl::presentDirty();
  State& st = impl::state();
  if (hwnd) {
    Window* w = impl::find(hwnd);
    if (!w) return {};
    Window* top = impl::topLevelOf(w);
    impl::ensureSurface(top);
    const RECT r = impl::windowRectInTop(w);
    gdi::ImageBGRA out(std::max(0, w->width()), std::max(0, w->height()), 0);
    // A layered window is seen over the desktop colour.
    const std::uint32_t desktop = pixelOf(gdi::GetSysColor(gdi::COLOR_BACKGROUND));
    for (int y = 0; y < out.height; ++y) {
      for (int x = 0; x < out.width; ++x) {
        const int sx = r.left + x, sy = r.top + y;
        if (sx >= 0 && sy >= 0 && sx < top->surface->width && sy < top->surface->height) {
          out.at(x, y) = composeOver(top, top->surface->at(sx, sy), desktop);
        }
      }
    }
    return out;
  }
  gdi::ImageBGRA screen(kScreenWidth, kScreenHeight, pixelOf(gdi::GetSysColor(gdi::COLOR_BACKGROUND)));
  for (auto it = st.topLevels.rbegin(); it != st.topLevels.rend(); ++it) {
    Window* t = *it;
    if (!t->hasNative || !(t->style & WS_VISIBLE) || t->minimized || !t->surface) continue;
    for (int y = 0; y < t->surface->height; ++y) {
      const int sy = t->rect.top + y;
      if (sy < 0 || sy >= kScreenHeight) continue;
      for (int x = 0; x < t->surface->width; ++x) {
        const int sx = t->rect.left + x;
        if (sx < 0 || sx >= kScreenWidth) continue;
        if (t->windowRgn && !gdi::PtInRegion(t->windowRgn, x, y)) continue;
        screen.at(sx, sy) = composeOver(t, t->surface->at(x, y), screen.at(sx, sy));
      }
    }
  }
  return screen;
}

void SaveScreenshot(HWND hwnd, const std::filesystem::path& pngFile) {
  gdi::WritePngFile(Screenshot(hwnd), pngFile, gdi::PngWriteOptions{false});
}

PresentStats PresentStatsFor(HWND hwnd) {
  auto* b = dynamic_cast<HeadlessBackend*>(CurrentBackend());
  if (!b) return {};
  auto* r = b->rec(hwnd);
  return r ? r->stats : PresentStats{};
}

// ---- message boxes ----------------------------------------------------------------------------
void QueueMessageBoxAnswer(int answer, std::function<bool()> closeWhen) {
  scripts().answers.push_back(ScriptedBox{answer, std::move(closeWhen)});
}

std::deque<ShownMessageBox> TakeShownMessageBoxes() {
  std::deque<ShownMessageBox> out;
  out.swap(scripts().shown);
  return out;
}

// ---- scope ----------------------------------------------------------------------------------
HeadlessScope::HeadlessScope() {
  impl::requireMainThread("HeadlessScope");
  impl::resetAll();
  SetBackend(CreateHeadlessBackend());
  scripts() = Scripts{};
}

HeadlessScope::~HeadlessScope() {
  try {
    impl::resetAll();
  } catch (...) {
    // A destructor never throws; what is left is dropped with the backend.
  }
  scripts() = Scripts{};
}

}  // namespace win::headless

namespace win::impl {

int defaultMessageBox(HWND owner, const rtl::String& text, const rtl::String& caption, UINT type) {
  using namespace win::headless;
  Scripts& sc = scripts();
  ShownMessageBox shown{owner, caption, text, type, 0};
  // The owner (its top-level window) takes no input while the box is up.
  Window* ownerTop = nullptr;
  if (Window* o = find(owner)) ownerTop = topLevelOf(o);
  const bool disabled = ownerTop && !(ownerTop->style & WS_DISABLED);
  const HWND ownerHandle = ownerTop ? ownerTop->handle : nullptr;
  if (disabled) EnableWindow(ownerHandle, FALSE);
  int answer;
  if (!sc.answers.empty()) {
    ScriptedBox box = std::move(sc.answers.front());
    sc.answers.pop_front();
    answer = box.answer;
    MSG msg;
    if (!box.closeWhen) {
      headless::ProcessMessages();
    } else {
      // The box's modal loop; a real-time bound keeps a wrong script from hanging.
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (!box.closeWhen()) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            break;
          }
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
          continue;
        }
        if (std::chrono::steady_clock::now() > limit) {
          std::cerr << "message box \"" << rtl::StringToUtf8(caption)
                    << "\": the scripted close condition never came; answering" << std::endl;
          break;
        }
        rtl::WaitForMainThreadWork(50);
      }
    }
  } else {
    answer = DefaultMessageBoxAnswer(type);
    std::cerr << rtl::StringToUtf8(caption) << ": " << rtl::StringToUtf8(text) << std::endl;
  }
  if (disabled && find(ownerHandle)) EnableWindow(ownerHandle, TRUE);
  shown.answer = answer;
  sc.shown.push_back(shown);
  return answer;
}

}  // namespace win::impl

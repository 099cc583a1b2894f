// Choosing and holding the backend; native counterparts of top-level
// windows; resetting the window system for tests.
#include "platform/win/backend.h"

#include <cstdlib>
#include <cstring>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/mainloop.h"
#include "platform/win/headless.h"
#include "platform/win/impl/state.h"

namespace win {
namespace impl {

namespace {

class Sink final : public NativeEventSink {
 public:
  void PushNativeEvent(const NativeEvent& event) override { pushNative(event); }
};

Sink& sink() {
  static Sink* s = new Sink;
  return *s;
}

}  // namespace

Backend& backend() {
  State& st = state();
  if (!st.backend) SetBackend(CreateDefaultBackend());
  return *st.backend;
}

NativeWindowParams nativeParams(Window* w) {
  NativeWindowParams p;
  p.hwnd = w->handle;
  p.title = w->text;
  p.rect = w->rect;
  p.visible = (w->style & WS_VISIBLE) != 0 && !w->minimized;
  p.topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
  const UINT cs = w->cls->wc.style;
  p.popup = (w->style & WS_POPUP) && (w->style & WS_CAPTION) != WS_CAPTION &&
            ((w->exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) || (cs & (CS_SAVEBITS | CS_DROPSHADOW)));
  p.owner = w->owner ? w->owner->handle : nullptr;
  p.noTaskbar = (w->exStyle & WS_EX_TOOLWINDOW) || (w->owner && !(w->exStyle & WS_EX_APPWINDOW));
  p.dialog = w->owner != nullptr && (w->style & WS_CAPTION) == WS_CAPTION;
  p.decorated = false;
  return p;
}

void syncNative(Window* w) {
  if (w->messageOnly || w->isChild() || w->hasNative || w->dead) return;
  ensureSurface(w);
  backend().CreateNativeWindow(nativeParams(w));
  w->hasNative = true;
  if (w->windowRgn) backend().SetNativeShape(w->handle, w->windowRgn);
  if (w->alpha != 255) backend().SetNativeOpacity(w->handle, w->alpha);
  if (w->transparency != NativeTransparency{}) backend().SetNativeTransparency(w->handle, w->transparency);
}

void resetAll() {
  State& st = state();
  st.hooks.clear();  // a hook must not keep windows alive
  // Windows first: their procedures may still want the rest.
  for (int guard = 0; guard < 1000 && !st.topLevels.empty(); ++guard) {
    Window* t = st.topLevels.back();
    auto k = keep(t);
    if (!t->destroying) {
      try {
        DestroyWindow(t->handle);
      } catch (...) {
        HandleDispatchException();
      }
    } else {
      st.topLevels.pop_back();
    }
  }
  st.topLevels.clear();
  for (auto& [key, w] : st.windows) w->dead = true;
  st.windows.clear();
  for (auto& t : st.timers) rtl::KillTimer(t.rtlId);
  st.timers.clear();
  st.hooks.clear();
  st.classes.clear();
  st.exceptionHandler = nullptr;
  {
    std::lock_guard<std::mutex> lock(st.queueMutex);
    st.posted.clear();
    st.input.clear();
    st.quitPosted = false;
    st.quitCode = 0;
  }
  rtl::ClearQuit();
  st.lastMsg = MSG{};
  for (auto& [dc, rec] : st.dcs) gdi::DeleteDC(dc);
  st.dcs.clear();
  st.capture = st.focus = st.active = nullptr;
  st.appActive = false;
  std::memset(st.keyState, 0, sizeof st.keyState);
  std::memset(st.asyncKeyState, 0, sizeof st.asyncKeyState);
  setCursorPos(POINT{});
  st.lastMouseWindow = nullptr;
  st.lastClick = State::Click{};
  st.doubleClickTime = 500;
  st.swapButtons = false;
  if (st.tracking.hoverTimer) rtl::KillTimer(st.tracking.hoverTimer);
  st.tracking = State::Tracking{};
  if (st.caret.blinkTimer) rtl::KillTimer(st.caret.blinkTimer);
  st.caret = CaretState{};
  st.keyTexts.clear();
  resetCursors();
  resetClipboard();
  st.exceptionHandler = nullptr;
  st.lastError = 0;
  SetMessageBoxProvider(nullptr);
}

}  // namespace impl

using namespace impl;

Backend* CurrentBackend() { return state().backend.get(); }

void SetBackend(std::unique_ptr<Backend> b) {
  impl::requireMainThread("SetBackend");
  State& st = state();
  if (st.backend && st.backendStarted) st.backend->Stop();
  st.backendStarted = false;
  // Native windows of the old backend are gone with it.
  for (Window* t : st.topLevels) t->hasNative = false;
  st.backend = std::move(b);
  if (st.backend) {
    st.backend->Start(&impl::sink());
    st.backendStarted = true;
    for (Window* t : std::vector<Window*>(st.topLevels)) syncNative(t);
  }
}

std::unique_ptr<Backend> CreateDefaultBackend() {
  const char* forced = std::getenv("INTEGRADOR_BACKEND");
  const bool headlessOnly = forced && std::strcmp(forced, "headless") == 0;
#ifdef INTEGRADOR_WIN_X11
  const char* display = std::getenv("DISPLAY");
  if (!headlessOnly && display && *display) {
    if (auto x = CreateX11Backend()) return x;
  }
#endif
  (void)headlessOnly;
  return headless::CreateHeadlessBackend();
}

}  // namespace win

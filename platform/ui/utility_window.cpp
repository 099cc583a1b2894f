#include "platform/ui/utility_window.h"

#include <memory>

#include "platform/win/window.h"

namespace ui {

namespace {

constexpr char16_t kUtilityWindowClass[] = u"TPUtilWindow";

// What the window procedure needs; owned by the window, freed as it goes.
struct Target {
  TWndMethod method;
};

win::LRESULT utilityWindowProc(win::HWND wnd, win::UINT msg, win::WPARAM wParam,
                                        win::LPARAM lParam) {
  auto* target = reinterpret_cast<Target*>(win::GetWindowLongPtrW(wnd, win::GWLP_USERDATA));
  if (msg == win::WM_NCDESTROY && target) {
    std::unique_ptr<Target> owned(target);
    win::SetWindowLongPtrW(wnd, win::GWLP_USERDATA, 0);
    return win::DefWindowProcW(wnd, msg, wParam, lParam);
  }
  if (!target || !target->method) return win::DefWindowProcW(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  target->method(message);
  return message.Result;
}

// The window system may have been replaced since the last call (tests make
// a fresh one each), so the class is looked up every time.
void ensureClass() {
  win::HINSTANCE instance = win::GetModuleHandleW(nullptr);
  win::WNDCLASSEXW existing;
  if (win::GetClassInfoExW(instance, kUtilityWindowClass, &existing)) return;
  win::WNDCLASSEXW wc;
  wc.lpfnWndProc = &utilityWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kUtilityWindowClass;
  win::RegisterClassExW(&wc);
}

}  // namespace

win::HWND AllocateHWnd(const TWndMethod& method) {
  ensureClass();
  auto target = std::make_unique<Target>(Target{method});
  win::HWND wnd = win::CreateWindowExW(win::WS_EX_TOOLWINDOW, kUtilityWindowClass, u"",
                                       win::WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       win::GetModuleHandleW(nullptr), nullptr);
  if (!wnd) return nullptr;
  win::SetWindowLongPtrW(wnd, win::GWLP_USERDATA, reinterpret_cast<win::LONG_PTR>(target.release()));
  return wnd;
}

void DeallocateHWnd(win::HWND wnd) {
  if (wnd && win::IsWindow(wnd)) win::DestroyWindow(wnd);
}

}  // namespace ui

// The message loop against a plain queue and a switch (its floor), and a
// full repaint of a large window with many children.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/win/headless.h"
#include "platform/win/win.h"

namespace {

using namespace win;

constexpr int kMessages = 1000000;
long long gHandled = 0;

LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_USER) {
    gHandled += LONG_PTR(wp);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND makeWindow(const char16_t* cls, WNDPROC proc, DWORD style, int w, int h, HWND parent = nullptr, int x = 0,
                int y = 0) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = cls;
  wc.hbrBackground = gdi::GetSysColorBrush(gdi::COLOR_BTNFACE);
  RegisterClassExW(&wc);  // fails harmlessly when it exists
  return CreateWindowExW(0, cls, u"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
}

// The floor: the same messages through a plain queue (a vector that keeps
// its storage from one round to the next) and a switch on the message, in a
// procedure the compiler cannot fold into the loop: no window lookup, no
// locking, no allocation once warm.
[[gnu::noinline]] LRESULT PlainProc(const MSG& m, long long& handled) {
  switch (m.message) {
    case WM_USER:
      handled += LONG_PTR(m.wParam);
      return 0;
    default:
      return 1;
  }
}

void BM_PlainQueueAndSwitch(benchmark::State& state) {
  std::vector<MSG> queue;
  // Its storage touched once before the timing, as a warm queue's would be.
  queue.assign(kMessages, MSG{});
  queue.clear();
  for (auto _ : state) {
    long long handled = 0;
    for (int i = 0; i < kMessages; ++i) queue.push_back(MSG{nullptr, WM_USER, WPARAM(1), 0, 0, {}});
    for (const MSG& m : queue) PlainProc(m, handled);
    queue.clear();
    if (handled != kMessages) state.SkipWithError("messages lost");
    benchmark::DoNotOptimize(handled);
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_PlainQueueAndSwitch)->Unit(benchmark::kMillisecond);

// PostMessageW of a million messages, then PeekMessageW/DispatchMessageW
// of each to a window procedure.
void BM_PostAndDispatch(benchmark::State& state) {
  headless::HeadlessScope screen;
  HWND hwnd = makeWindow(u"Counting", &CountingProc, WS_POPUP, 10, 10);
  MSG m;
  for (auto _ : state) {
    gHandled = 0;
    for (int i = 0; i < kMessages; ++i) PostMessageW(hwnd, WM_USER, 1, 0);
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    if (gHandled != kMessages) state.SkipWithError("messages lost");
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_PostAndDispatch)->Unit(benchmark::kMillisecond);

LRESULT PaintingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT c;
    GetClientRect(hwnd, &c);
    gdi::DrawEdge(dc, &c, gdi::EDGE_RAISED, gdi::BF_RECT);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A 1280 x 1024 window with 200 children (a 20 x 10 grid), all invalidated
// and painted at once: the time of one frame.
void BM_FullRepaint200Children(benchmark::State& state) {
  headless::HeadlessScope screen;
  HWND top = makeWindow(u"Form", &PaintingProc, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 1280, 1024);
  for (int i = 0; i < 200; ++i) {
    makeWindow(u"Control", &PaintingProc, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 60, 90, top, (i % 20) * 64,
               (i / 20) * 100);
  }
  headless::ProcessMessages();
  for (auto _ : state) {
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullRepaint200Children)->Unit(benchmark::kMillisecond);

}  // namespace

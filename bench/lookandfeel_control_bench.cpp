// The base control's costs against their floors: a full repaint of a
// 1920 x 1080 control through the double-buffered paint cycle against one
// BitBlt of a surface that size, and 10,000 mouse moves through a control
// whose painted scroll bars track the pointer against the same messages
// handed to an empty window procedure.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/ratio_report.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/clock.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/win.h"

namespace {

using namespace lookandfeel;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kMoves = 10000;

// A control that fills its client with one colour, as the cheapest real
// content would, and paints its bars inside itself.
class FilledControl : public TcxControl {
 public:
  explicit FilledControl(rtl::TComponent* owner) : TcxControl(owner) {}

 protected:
  void DoPaint() override {
    TcxControl::DoPaint();
    cxCanvas()->FillRect(ClientBounds(), ui::clWindow);
  }
  std::unique_ptr<TcxControlCustomScrollBars> CreateMainScrollBars() override {
    return std::make_unique<TcxControlScrollBars>(this);
  }
  void InitScrollBarsParameters() override {
    SetScrollBarInfo(TScrollBarKind::sbVertical, 0, 10000, 1, 100, 0, true, true);
    SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, 10000, 1, 100, 0, true, true);
  }
};

struct Environment {
  Environment() {
    cxLookAndFeelPaintersUnitStart();
    cxLookAndFeelsUnitStart();
    ui::Application->Initialize();
    form = rtl::Create<ui::TForm>(nullptr);
    form->SetBorderStyle(ui::bsNone);
    form->SetBounds(0, 0, kWidth, kHeight);
    form->Show();
    control = rtl::Create<FilledControl>(form);
    control->SetParent(form);
    control->SetBounds(0, 0, kWidth, kHeight);
    control->HandleNeeded();
    control->UpdateScrollBars();
    win::headless::ProcessMessages();
  }
  ~Environment() {
    form->Free();
    cxLookAndFeelsUnitStop();
    cxLookAndFeelPaintersUnitStop();
  }
  win::headless::HeadlessScope screen;
  rtl::TestClockScope clock;
  ui::TForm* form = nullptr;
  FilledControl* control = nullptr;
};

void BM_BitBltFullSurface(benchmark::State& state) {
  Environment env;
  gdi::HDC window = win::GetDC(env.control->Handle());
  gdi::HDC memory = gdi::CreateCompatibleDC(window);
  gdi::HBITMAP bitmap = gdi::CreateCompatibleBitmap(window, kWidth, kHeight);
  gdi::HGDIOBJ old = gdi::SelectObject(memory, bitmap);
  for (auto _ : state) gdi::BitBlt(window, 0, 0, kWidth, kHeight, memory, 0, 0, gdi::SRCCOPY);
  gdi::SelectObject(memory, old);
  gdi::DeleteObject(bitmap);
  gdi::DeleteDC(memory);
  win::ReleaseDC(env.control->Handle(), window);
}
BENCHMARK(BM_BitBltFullSurface)->Unit(benchmark::kMillisecond);

void BM_ControlFullRepaint(benchmark::State& state) {
  Environment env;
  for (auto _ : state) {
    win::InvalidateRect(env.control->Handle(), nullptr, false);
    win::UpdateWindow(env.control->Handle());
  }
}
BENCHMARK(BM_ControlFullRepaint)->Unit(benchmark::kMillisecond);

win::LRESULT EmptyProc(win::HWND hwnd, win::UINT msg, win::WPARAM wp, win::LPARAM lp) {
  if (msg == win::WM_MOUSEMOVE) return 0;
  return win::DefWindowProcW(hwnd, msg, wp, lp);
}

// Moves that alternate between the vertical bar and the client, so that the
// bar turns hot, starts its tracking poll and is left again.
win::LPARAM movePoint(int i) {
  const int x = i % 2 ? kWidth - 5 : kWidth / 2;
  return win::MAKELPARAM(x, 100 + i % 500);
}

void BM_EmptyWindowProcMoves(benchmark::State& state) {
  Environment env;
  win::WNDCLASSW wc{};
  wc.lpfnWndProc = &EmptyProc;
  wc.lpszClassName = u"benchEmpty";
  win::RegisterClassW(&wc);
  win::HWND wnd = win::CreateWindowExW(0, u"benchEmpty", u"", win::WS_CHILD | win::WS_VISIBLE, 0, 0, kWidth,
                                       kHeight, env.form->Handle(), nullptr, nullptr, nullptr);
  for (auto _ : state)
    for (int i = 0; i < kMoves; ++i) win::SendMessageW(wnd, win::WM_MOUSEMOVE, 0, movePoint(i));
  win::DestroyWindow(wnd);
}
BENCHMARK(BM_EmptyWindowProcMoves)->Unit(benchmark::kMillisecond);

void BM_ControlTrackedMoves(benchmark::State& state) {
  Environment env;
  win::HWND wnd = env.control->Handle();
  for (auto _ : state)
    for (int i = 0; i < kMoves; ++i) win::SendMessageW(wnd, win::WM_MOUSEMOVE, 0, movePoint(i));
}
BENCHMARK(BM_ControlTrackedMoves)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {{"1920x1080 repaint vs one BitBlt", "BM_BitBltFullSurface", "BM_ControlFullRepaint"},
                               {"10,000 tracked moves vs empty proc", "BM_EmptyWindowProcMoves",
                                "BM_ControlTrackedMoves"}});
}

// The animation controller: 10,000 concurrent transitions stepped by the
// shared timer through one second of test-clock time, against a bare loop
// that calls the same easing function as often (each timer step eases every
// transition once).
#include <benchmark/benchmark.h>

#include "bench/ratio_report.h"
#include "lib/lookandfeel/dxAnimation.h"
#include "platform/rtl/clock.h"
#include "platform/win/headless.h"

namespace {

using lookandfeel::TdxAnimationTransition;
using lookandfeel::TdxEaseHelper;

constexpr int kTransitions = 10000;
constexpr int kDurationMs = 1000;
constexpr int kLength = 1000;
constexpr int kTimerMs = 10;  // the window system's minimum for the 1 ms timer
constexpr int kSteps = kDurationMs / kTimerMs;

win::headless::HeadlessScope& screen() {
  static win::headless::HeadlessScope instance;  // the timer's window
  return instance;
}

void BM_ControllerSteps(benchmark::State& state) {
  screen();
  rtl::TestClockScope time;
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < kTransitions; ++i)
      rtl::Create<TdxAnimationTransition>(kDurationMs, lookandfeel::ateCubic, kLength, lookandfeel::atmInOut)->Resume();
    state.ResumeTiming();
    // Each transition frees itself in the step that finishes it.
    for (int step = 0; step < kSteps; ++step) {
      time.Advance(kTimerMs);
      screen().ProcessMessages();
    }
    if (lookandfeel::dxAnimationController()->Count() != 0) state.SkipWithError("transitions left running");
  }
  state.SetItemsProcessed(state.iterations() * kTransitions * kSteps);
  lookandfeel::dxAnimationUnitStop();
}
BENCHMARK(BM_ControllerSteps)->Unit(benchmark::kMillisecond);

void BM_BareEasingLoop(benchmark::State& state) {
  for (auto _ : state) {
    for (int step = 1; step <= kSteps; ++step) {
      for (int i = 0; i < kTransitions; ++i) {
        const double t = static_cast<double>(step * kTimerMs) / kDurationMs;
        benchmark::DoNotOptimize(TdxEaseHelper::Ease(lookandfeel::atmInOut, lookandfeel::ateCubic, t) * kLength);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kTransitions * kSteps);
}
BENCHMARK(BM_BareEasingLoop)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(
      argc, argv, {{"10,000 transitions for 1 s vs bare easing", "BM_BareEasingLoop", "BM_ControllerSteps"}});
}

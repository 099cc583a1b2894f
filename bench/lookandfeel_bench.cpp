// The animation controller: 10,000 concurrent transitions stepped by the
// shared timer through one second of test-clock time, against a bare loop
// that calls the same easing function as often (each timer step eases every
// transition once).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/edge.h"
#include "platform/rtl/format.h"
#include "platform/ui/bitmap.h"
#include "lib/lookandfeel/dxAnimation.h"
#include "platform/rtl/clock.h"
#include "platform/win/headless.h"
#include "lib/core/dxCore.h"
#include "lib/core/dxThemeManager.h"
#include "lib/core/dxUxTheme.h"
#include "platform/theme/theme.h"

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

// One screen of grid elements drawn by the base painter (40 column headers
// with captions, 40 indicator cells, 480 cell frames) against filling the
// same 560 rectangles with FillRect on the same canvas: what the painter's
// composition (virtual parts, bounds, text) costs over the bare fills.
namespace grid_screen {

constexpr int kHeaders = 40, kRows = 40, kColumns = 12;
constexpr auto kArrow = lookandfeel::TcxIndicatorKind::ikArrow, kNoImage = lookandfeel::TcxIndicatorKind::ikNone;
constexpr int kHeaderWidth = 30, kHeaderHeight = 20, kIndicatorWidth = 12, kRowHeight = 18, kCellWidth = 100;

struct Screen {
  std::vector<ui::TRect> headers, indicators, cells;
  ui::TBitmap bitmap;
  std::unique_ptr<core::TcxCanvas> canvas;
  ui::TFont font;
  Screen() {
    for (int i = 0; i < kHeaders; ++i)
      headers.push_back(ui::TRect{kIndicatorWidth + i * kHeaderWidth, 0, kIndicatorWidth + (i + 1) * kHeaderWidth,
                                  kHeaderHeight});
    for (int row = 0; row < kRows; ++row) {
      const int top = kHeaderHeight + row * kRowHeight;
      indicators.push_back(ui::TRect{0, top, kIndicatorWidth, top + kRowHeight});
      for (int col = 0; col < kColumns; ++col)
        cells.push_back(ui::TRect{kIndicatorWidth + col * kCellWidth, top, kIndicatorWidth + (col + 1) * kCellWidth,
                                  top + kRowHeight});
    }
    bitmap.SetPixelFormat(ui::pf32bit);
    bitmap.SetSize(kIndicatorWidth + kColumns * kCellWidth, kHeaderHeight + kRows * kRowHeight);
    canvas = std::make_unique<core::TcxCanvas>(bitmap.Canvas());
    font.SetName(u"Tahoma");
    font.SetHeight(-11);
  }
};

void BM_GridScreenPainter(benchmark::State& state) {
  lookandfeel::CreateIndicatorImages();
  Screen screen;
  lookandfeel::TcxCustomLookAndFeelPainter painter;
  core::TcxCanvas* c = screen.canvas.get();
  for (auto _ : state) {
    for (int i = 0; i < kHeaders; ++i)
      painter.DrawHeader(c, screen.headers[i], screen.headers[i], lookandfeel::TcxNeighbors{}, core::cxBordersAll,
                         lookandfeel::TcxButtonState::cxbsNormal, ui::taLeftJustify, core::TcxAlignmentVert::vaCenter,
                         false, true, u"Col " + rtl::IntToStr(i), &screen.font, ui::clBtnText, ui::clBtnFace);
    for (int row = 0; row < kRows; ++row)
      painter.DrawIndicatorItem(c, screen.indicators[row], row == 0 ? kArrow : kNoImage, ui::clBtnFace);
    for (const ui::TRect& cell : screen.cells)
      painter.DrawFooterCell(c, cell, ui::taRightJustify, core::TcxAlignmentVert::vaCenter, false, u"", &screen.font,
                             ui::clWindowText, ui::clWindow);
  }
  state.SetItemsProcessed(state.iterations() * (kHeaders + kRows + kRows * kColumns));
  lookandfeel::DestroyIndicatorImages();
}
BENCHMARK(BM_GridScreenPainter)->Unit(benchmark::kMicrosecond);

void BM_GridScreenFillRect(benchmark::State& state) {
  Screen screen;
  core::TcxCanvas* c = screen.canvas.get();
  for (auto _ : state) {
    for (const ui::TRect& r : screen.headers) c->FillRect(r, ui::clBtnFace);
    for (const ui::TRect& r : screen.indicators) c->FillRect(r, ui::clBtnFace);
    for (const ui::TRect& r : screen.cells) c->FillRect(r, ui::clWindow);
  }
  state.SetItemsProcessed(state.iterations() * (kHeaders + kRows + kRows * kColumns));
}
BENCHMARK(BM_GridScreenFillRect)->Unit(benchmark::kMicrosecond);

}  // namespace grid_screen

// The radio-button glyphs: all 128 prepared from the measured pattern
// against drawing as many system radio buttons with DrawFrameControl (what
// a glyph would cost without the list).
namespace radio_glyphs {

void BM_RadioGlyphsPrepare(benchmark::State& state) {
  screen();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<lookandfeel::TcxRadioButtonImageList>();
    state.ResumeTiming();
    list->Prepare();
    benchmark::DoNotOptimize(list->List()->Count());
  }
  state.SetItemsProcessed(state.iterations() * 128);
}
BENCHMARK(BM_RadioGlyphsPrepare)->Unit(benchmark::kMicrosecond);

void BM_RadioGlyphsFrameControl(benchmark::State& state) {
  ui::TBitmap bitmap;
  bitmap.SetPixelFormat(ui::pf32bit);
  bitmap.SetSize(13, 13);
  gdi::HDC dc = bitmap.Canvas()->Handle();
  for (auto _ : state) {
    for (int i = 0; i < 128; ++i) {
      gdi::RECT r{0, 0, 13, 13};
      gdi::DrawFrameControl(dc, &r, gdi::DFC_BUTTON,
                            gdi::DFCS_BUTTONRADIO | ((i & 4) ? gdi::DFCS_CHECKED : 0) | ((i & 3) == 3 ? gdi::DFCS_INACTIVE : 0));
    }
  }
  state.SetItemsProcessed(state.iterations() * 128);
}
BENCHMARK(BM_RadioGlyphsFrameControl)->Unit(benchmark::kMicrosecond);

}  // namespace radio_glyphs

// A change of the root's Kind carried to 10,000 look-and-feels (100 masters
// of 99 each, so every level runs its three passes) against telling the
// same 10,000 objects through a bare loop of the same virtual call.
namespace look_and_feel_tree {

constexpr int kMasters = 100, kPerMaster = 99;

struct Tree {
  std::vector<std::unique_ptr<lookandfeel::TcxLookAndFeel>> masters, leaves;
  Tree() {
    screen();
    lookandfeel::cxLookAndFeelPaintersUnitStart();
    lookandfeel::cxLookAndFeelsUnitStart();
    for (int m = 0; m < kMasters; ++m) {
      masters.push_back(std::make_unique<lookandfeel::TcxLookAndFeel>(nullptr));
      for (int i = 0; i < kPerMaster; ++i) {
        leaves.push_back(std::make_unique<lookandfeel::TcxLookAndFeel>(nullptr));
        leaves.back()->SetMasterLookAndFeel(masters.back().get());
      }
    }
  }
  ~Tree() {
    leaves.clear();
    masters.clear();
    lookandfeel::cxLookAndFeelsUnitStop();
    lookandfeel::cxLookAndFeelPaintersUnitStop();
  }
};

void BM_RootKindChange(benchmark::State& state) {
  Tree tree;
  int flip = 0;
  for (auto _ : state) {
    lookandfeel::RootLookAndFeel()->SetKind((++flip & 1) ? lookandfeel::TcxLookAndFeelKind::lfFlat
                                                          : lookandfeel::TcxLookAndFeelKind::lfStandard);
  }
  if (tree.leaves.back()->Kind() != lookandfeel::RootLookAndFeel()->Kind()) state.SkipWithError("change lost");
  state.SetItemsProcessed(state.iterations() * kMasters * (kPerMaster + 1));
}
BENCHMARK(BM_RootKindChange)->Unit(benchmark::kMillisecond);

void BM_BareListenerLoop(benchmark::State& state) {
  Tree tree;
  std::vector<lookandfeel::IcxLookAndFeelNotificationListener*> all;
  for (auto& m : tree.masters) all.push_back(m.get());
  for (auto& l : tree.leaves) all.push_back(l.get());
  for (auto _ : state) {
    // Nothing is unassigned-and-changed here: each call ends in the check.
    for (auto* listener : all) listener->MasterLookAndFeelChanged(nullptr, lookandfeel::TcxLookAndFeelValues{});
  }
  state.SetItemsProcessed(state.iterations() * kMasters * (kPerMaster + 1));
}
BENCHMARK(BM_BareListenerLoop)->Unit(benchmark::kMillisecond);

}  // namespace look_and_feel_tree

// A screen of themed elements: the reference set (push buttons, check
// boxes, headers, scroll-bar parts, tabs) laid out 10,000 times over one
// canvas, drawn by the Native painter through our theme engine against the
// same elements, rectangles and canvas drawn by the Standard painter.
namespace native_screen {

constexpr int kElements = 10000;
constexpr int kCellWidth = 48, kCellHeight = 22, kColumns = 20, kRows = 30;  // cells reused across the screen

struct Screen {
  ui::TBitmap bitmap;
  std::unique_ptr<core::TcxCanvas> canvas;
  ui::TFont font;
  std::vector<ui::TRect> cells;
  Screen() {
    screen();
    core::dxCoreInitialization();
    theme::SetThemesEnabled(true);
    lookandfeel::cxLookAndFeelPaintersUnitStart();
    bitmap.SetPixelFormat(ui::pf32bit);
    bitmap.SetSize(kColumns * kCellWidth, kRows * kCellHeight);
    canvas = std::make_unique<core::TcxCanvas>(bitmap.Canvas());
    font.SetName(u"Tahoma");
    font.SetHeight(-11);
    for (int i = 0; i < kColumns * kRows; ++i) {
      const int x = (i % kColumns) * kCellWidth, y = (i / kColumns) * kCellHeight;
      cells.push_back(ui::TRect{x + 1, y + 1, x + kCellWidth - 1, y + kCellHeight - 1});
    }
  }
  ~Screen() {
    lookandfeel::cxLookAndFeelPaintersUnitStop();
    core::dxSetVisualStylesProvider(nullptr);
  }
};

using BS = lookandfeel::TcxButtonState;

// Element i of the reference set in cell r.
void drawElement(lookandfeel::TcxCustomLookAndFeelPainter* p, core::TcxCanvas* c, const ui::TRect& r, int i,
                 ui::TFont* font) {
  const BS states[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled, BS::cxbsDefault};
  const BS state = states[(i / 6) % 5];
  switch (i % 6) {
    case 0: p->DrawButton(c, r, u"OK", state); break;
    case 1:
      p->DrawCheckButton(c, ui::TRect{r.left, r.top, r.left + 13, r.top + 13}, state,
                         lookandfeel::TcxCheckBoxState((i / 6) % 3));
      break;
    case 2:
      p->DrawHeader(c, r, r, lookandfeel::TcxNeighbors{}, core::cxBordersAll, state, ui::taLeftJustify,
                    core::TcxAlignmentVert::vaCenter, false, true, u"Header", font, ui::clBtnText, ui::clBtnFace);
      break;
    case 3:
      p->DrawScrollBarPart(c, true, r, lookandfeel::TcxScrollBarPart::sbpThumbnail, state);
      break;
    case 4:
      p->DrawScrollBarPart(c, false, ui::TRect{r.left, r.top, r.left + 17, r.bottom},
                           lookandfeel::TcxScrollBarPart::sbpLineUp, state);
      break;
    default:
      p->DrawTab(c, r, core::TcxBorders{core::TcxBorder::bLeft, core::TcxBorder::bTop, core::TcxBorder::bRight},
                 u"Tab", state, false, font, ui::clBtnText, ui::clBtnFace);
      break;
  }
}

void drawScreen(benchmark::State& state, lookandfeel::TcxLookAndFeelStyle AStyle) {
  Screen s;
  lookandfeel::TcxCustomLookAndFeelPainter* painter = lookandfeel::cxLookAndFeelPaintersManager()->GetPainter(AStyle);
  if (!painter || !core::AreVisualStylesAvailable()) {
    state.SkipWithError("no painter or no themes");
    return;
  }
  core::TcxCanvas* c = s.canvas.get();
  for (auto _ : state)
    for (int i = 0; i < kElements; ++i) drawElement(painter, c, s.cells[i % s.cells.size()], i, &s.font);
  state.SetItemsProcessed(state.iterations() * kElements);
}

void BM_ThemedScreenNative(benchmark::State& state) { drawScreen(state, lookandfeel::TcxLookAndFeelStyle::lfsNative); }
BENCHMARK(BM_ThemedScreenNative)->Unit(benchmark::kMillisecond);

void BM_ThemedScreenStandard(benchmark::State& state) {
  drawScreen(state, lookandfeel::TcxLookAndFeelStyle::lfsStandard);
}
BENCHMARK(BM_ThemedScreenStandard)->Unit(benchmark::kMillisecond);

}  // namespace native_screen

int main(int argc, char** argv) {
  return bench::RunWithRatios(
      argc, argv, {{"10,000 transitions for 1 s vs bare easing", "BM_BareEasingLoop", "BM_ControllerSteps"},
                   {"grid screen: painter vs FillRect", "BM_GridScreenFillRect", "BM_GridScreenPainter"},
                   {"128 radio glyphs: prepared list vs frame controls", "BM_RadioGlyphsFrameControl",
                    "BM_RadioGlyphsPrepare"},
                   {"root kind change to 10,000 look-and-feels vs bare calls", "BM_BareListenerLoop",
                    "BM_RootKindChange"},
                   {"10,000 themed elements: Native vs Standard", "BM_ThemedScreenStandard",
                    "BM_ThemedScreenNative"}});
}

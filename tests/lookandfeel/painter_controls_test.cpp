// The base painter's control parts: their measures, how the composite parts
// hand their work to the operations a built-in painter replaces, the pixels
// of the parts the base draws itself (golden images), the resizable popup's
// band layout, the progress text's three ways of showing over a bar, and
// that no operation paints outside the clip or fails for a degenerate or
// enormous rectangle.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/core/cxGeometry.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/cxImageList.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/win/constants.h"
#include "platform/win/system.h"
#include "tests/support/golden.h"

using namespace lookandfeel;
using namespace ui;
using core::TcxCanvas;

namespace {

using ControlsPainter = TcxCustomLookAndFeelPainter;
using BS = TcxButtonState;

// A 32-bit bitmap filled with one colour and the library canvas over it.
class ControlsPaper {
 public:
  ControlsPaper(int w, int h, TColor fill = clWhite) {
    bmp_.SetPixelFormat(pf32bit);
    bmp_.SetSize(w, h);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, w, h}, fill);
  }
  TcxCanvas* c() { return canvas_.get(); }
  gdi::ImageBGRA Image() { return bmp_.ToImage(); }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  int Count(const TRect& r, std::uint32_t pixel) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == pixel;
    return n;
  }

 private:
  TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

// A colour as the surface stores it (red in bits 16-23).
std::uint32_t Pixel(TColor color) {
  const gdi::COLORREF c = ColorToRGB(color);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

std::string Str(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// --- measures ----------------------------------------------------------------------------------

TEST(PainterControls, SizesAtScreenResolution) {
  ControlsPainter p;
  const int vScroll = win::GetSystemMetrics(win::SM_CXVSCROLL);
  const int hScroll = win::GetSystemMetrics(win::SM_CYHSCROLL);
  struct {
    const char* name;
    std::function<TSize(ControlsPainter&)> get;
    TSize expected;
  } cases[] = {
      {"SizeGrip", [](ControlsPainter& q) { return q.SizeGripSize(); }, {vScroll, hScroll}},
      {"SliderButton", [](ControlsPainter& q) { return q.SliderButtonSize(TcxArrowDirection::adLeft); }, {vScroll, hScroll}},
      {"SmallCloseButton", [](ControlsPainter& q) { return q.SmallCloseButtonSize(); }, {14, 15}},
      {"ImageZoomIn", [](ControlsPainter& q) { return q.GetImageZoomInButtonSize(); }, {20, 20}},
      {"ImageZoomOut", [](ControlsPainter& q) { return q.GetImageZoomOutButtonSize(); }, {20, 20}},
      {"ZoomIn", [](ControlsPainter& q) { return q.GetZoomInButtonSize(); }, {15, 15}},
      {"ZoomOut", [](ControlsPainter& q) { return q.GetZoomOutButtonSize(); }, {15, 15}},
      {"NavigatorGlyph", [](ControlsPainter& q) { return q.NavigatorButtonGlyphSize(); }, {11, 11}},
      {"NavigatorMin", [](ControlsPainter& q) { return q.NavigatorButtonMinSize(); }, {17, 19}},
      {"NavigatorPressedShift",
       [](ControlsPainter& q) {
         const TPoint pt = q.NavigatorButtonPressedGlyphOffset();
         return TSize{pt.x, pt.y};
       },
       {1, 1}},
      {"HorizontalSplitter", [](ControlsPainter& q) { return q.GetSplitterSize(true); }, {17, 2}},
      {"VerticalSplitter", [](ControlsPainter& q) { return q.GetSplitterSize(false); }, {2, 17}},
      {"EditButton", [](ControlsPainter& q) { return q.EditButtonSize(); }, {0, 0}},
      {"TrackBarThumb", [](ControlsPainter& q) { return q.TrackBarThumbSize(true); }, {0, 0}},
  };
  for (const auto& c : cases) {
    const TSize s = c.get(p);
    EXPECT_EQ(s.cx, c.expected.cx) << c.name;
    EXPECT_EQ(s.cy, c.expected.cy) << c.name;
  }
}

TEST(PainterControls, TouchModeEnlargesOnlyTheCloseButton) {
  ControlsPainter p;
  rtl::ScopedValue<bool> touch(cxIsTouchModeEnabled, true);
  EXPECT_EQ(p.SmallCloseButtonSize().cx, 27);
  EXPECT_EQ(p.SmallCloseButtonSize().cy, 27);
  EXPECT_EQ(p.DoGetSmallCloseButtonSize().cy, 15);
  EXPECT_EQ(p.PopupPanelSize(), 33) << "the band follows the touch-sized close button (27 + 6)";
}

TEST(PainterControls, PopupPanelSizeIsTheLargestNeed) {
  ControlsPainter p;
  const int hScroll = win::GetSystemMetrics(win::SM_CYHSCROLL);
  EXPECT_EQ(p.PopupPanelSize(), std::max({hScroll + 3, hScroll + 4, 15 + 6}));
  if (hScroll == 17) {
    EXPECT_EQ(p.PopupPanelSize(), 21);
  }
}

TEST(PainterControls, BorderWidthTables) {
  ControlsPainter p;
  using E = TcxEditPopupBorderStyle;
  struct {
    E style;
    int frame, clientEdge;
  } popup[] = {{E::epbsDefault, 0, 0}, {E::epbsSingle, 1, 2}, {E::epbsFrame3D, 4, 2}, {E::epbsFlat, 2, 1}};
  for (const auto& c : popup) {
    EXPECT_EQ(p.GetEditPopupWindowBorderWidth(c.style), c.frame) << int(c.style);
    EXPECT_EQ(p.GetEditPopupWindowClientEdgeWidth(c.style), c.clientEdge) << int(c.style);
  }
  using C = TcxContainerBorderStyle;
  const struct {
    C style;
    int width;
  } container[] = {{C::cbsNone, 0},   {C::cbsSingle, 1},     {C::cbsThick, 2},    {C::cbsFlat, 2},
                   {C::cbs3D, 2},     {C::cbsUltraFlat, 1},  {C::cbsOffice11, 1}};
  for (const auto& c : container) EXPECT_EQ(p.GetContainerBorderWidth(c.style), c.width) << int(c.style);
}

TEST(PainterControls, ScrollBarArrowDirections) {
  using SP = TcxScrollBarPart;
  using AD = TcxArrowDirection;
  const struct {
    bool horizontal;
    SP part;
    AD expected;
  } cases[] = {
      {false, SP::sbpLineUp, AD::adUp},       {false, SP::sbpLineDown, AD::adDown},
      {false, SP::sbpThumbnail, AD::adDown},  {false, SP::sbpNone, AD::adDown},
      {true, SP::sbpLineUp, AD::adLeft},      {true, SP::sbpLineDown, AD::adRight},
      {true, SP::sbpPageUp, AD::adRight},     {true, SP::sbpPageDown, AD::adRight},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ControlsPainter::GetArrowDirection(c.horizontal, c.part), c.expected) << c.horizontal << int(c.part);
}

TEST(PainterControls, DefaultAnswers) {
  ControlsPainter p;
  using GP = TcxGroupBoxCaptionPosition;
  EXPECT_EQ(p.ScrollBarMinimalThumbSize(true), 8);
  EXPECT_EQ(p.ScreenTipGetFooterLineSize(), 3);
  EXPECT_EQ(p.PopupBorderStyle(), TcxPopupBorderStyle::pbsUltraFlat);
  EXPECT_FALSE(p.IsDrawTabImplemented());
  EXPECT_EQ(p.GroupBoxTextColor(true, GP::cxgpLeft), clWindowText);
  EXPECT_EQ(p.GroupBoxTextColor(false, GP::cxgpTop), clBtnShadow);
  EXPECT_EQ(p.PanelTextColor(), clWindowText);
  EXPECT_EQ(p.ProgressBarTextColor(), clWindowText);
  EXPECT_EQ(p.ProgressBarTextColorEx(true), clDefault);
  const TRect pad = p.NavigatorButtonGlyphPadding();
  EXPECT_EQ(Str(pad), "(3,4,3,4)");
  TRect thumb{10, 10, 20, 30};
  p.CorrectThumbRect(nullptr, thumb, true, TcxTrackBarTicksAlign::tbtaUp);
  EXPECT_EQ(Str(thumb), "(10,10,21,31)");
}

// --- composition ---------------------------------------------------------------------------------

// Records the calls that the base's composite parts make to the operations
// built-in painters replace.
class ControlsRecordingPainter : public ControlsPainter {
 public:
  std::vector<std::string> log;
  void DrawScrollBarPart(TcxCanvas*, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override {
    log.push_back(std::string("part ") + (AHorizontal ? "horz " : "vert ") + std::to_string(int(APart)) + " " +
                  std::to_string(int(AState)) + " " + Str(R));
  }
  void DrawNavigatorButton(TcxCanvas*, const TRect& R, TcxButtonState AState, TColor) override {
    log.push_back("navbutton " + std::to_string(int(AState)) + " " + Str(R));
  }
  void DrawNavigatorBorder(TcxCanvas*, const TRect& R, bool ASelected) override {
    log.push_back("navborder " + std::to_string(ASelected) + " " + Str(R));
  }
  void DrawSplitter(TcxCanvas*, const TRect& R, bool AHighlighted, bool AClicked, bool AHorizontal) override {
    log.push_back("splitter " + Str(R) + " " + std::to_string(AHighlighted) + std::to_string(AClicked) +
                  std::to_string(AHorizontal));
  }
  void DrawButton(TcxCanvas*, const TRect& R, const String& ACaption, TcxButtonState AState, bool, TColor, TColor,
                  bool, bool, TcxButtonPart) override {
    log.push_back("button " + std::to_string(int(AState)) + " " + Str(R) + (ACaption.empty() ? "" : " caption"));
  }
  void DrawGroupBoxBackground(TcxCanvas*, const TRect& R, const TRect& ARect) override {
    log.push_back("gbbackground " + Str(R) + Str(ARect));
  }
  void DrawGroupBoxCaption(TcxCanvas*, const TRect& R, TcxGroupBoxCaptionPosition APos,
                           const TRect& ATextRect) override {
    log.push_back("gbcaption " + Str(R) + " " + std::to_string(int(APos)) + " " + Str(ATextRect));
  }
  void DrawExpandButtonEx(TcxCanvas*, const TRect& R, TcxButtonState AState, bool AExpanded,
                          core::TcxRotationAngle AAngle) override {
    log.push_back("expand " + Str(R) + " " + std::to_string(int(AState)) + std::to_string(AExpanded) +
                  std::to_string(int(AAngle)));
  }
  void DrawFilterCloseButton(TcxCanvas*, const TRect& R, TcxButtonState AState) override {
    log.push_back("filterclose " + std::to_string(int(AState)) + " " + Str(R));
  }
  void DrawTrackBarTrackBounds(TcxCanvas*, const TRect& R) override { log.push_back("trackbounds " + Str(R)); }
  void DrawTrackBarThumbBorderBoth(TcxCanvas*, const TRect& R) override { log.push_back("thumbboth " + Str(R)); }
  void DrawTrackBarThumbBorderUpDown(TcxCanvas*, const std::vector<TPoint>& L, const std::vector<TPoint>& S,
                                     const std::vector<TPoint>& D) override {
    log.push_back("thumbupdown " + std::to_string(L.size() + S.size() + D.size() > 0));
  }
};

TEST(PainterControls, CompositePartsDelegate) {
  using AD = TcxArrowDirection;
  const TRect r{2, 3, 22, 19};
  struct {
    const char* name;
    std::function<void(ControlsRecordingPainter&, TcxCanvas*)> draw;
    std::vector<std::string> expected;
  } cases[] = {
      {"SliderLeft", [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawSliderButton(c, r, AD::adLeft, BS::cxbsHot); },
       {"part horz 1 2 (2,3,22,19)"}},
      {"SliderRight",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawSliderButton(c, r, AD::adRight, BS::cxbsPressed); },
       {"part horz 2 3 (2,3,22,19)"}},
      {"SliderUp", [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawSliderButton(c, r, AD::adUp, BS::cxbsNormal); },
       {"part vert 1 1 (2,3,22,19)"}},
      {"SliderDown",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawSliderButton(c, r, AD::adDown, BS::cxbsDisabled); },
       {"part vert 2 4 (2,3,22,19)"}},
      {"ScrollBarBackground", [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawScrollBarBackground(c, r, false); },
       {"part vert 4 1 (2,3,22,19)"}},
      {"ImageZoomIn", [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawImageZoomInButton(c, r, BS::cxbsHot); },
       {"part horz 2 2 (2,3,22,19)"}},
      {"ImageZoomOut", [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawImageZoomOutButton(c, r, BS::cxbsHot); },
       {"part horz 1 2 (2,3,22,19)"}},
      {"ScrollBarSplitterHot",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawScrollBarSplitter(c, r, BS::cxbsHot); },
       {"navbutton 2 (2,3,22,19)", "navborder 0 (2,3,22,19)", "splitter (4,5,20,17) 100"}},
      {"ScrollBarSplitterPressed",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawScrollBarSplitter(c, r, BS::cxbsPressed); },
       {"navbutton 3 (2,3,22,19)", "navborder 0 (2,3,22,19)", "splitter (4,5,20,17) 010"}},
      {"NavigatorButton",
       [&](ControlsPainter& p, TcxCanvas* c) { p.ControlsPainter::DrawNavigatorButton(c, r, BS::cxbsPressed, clRed); },
       {"button 3 (2,3,22,19)"}},
      {"GroupBoxButton", [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawGroupBoxButton(c, r, BS::cxbsHot); },
       {"button 2 (2,3,22,19)"}},
      {"GroupBoxExpandButton",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) {
         p.DrawGroupBoxExpandButton(c, r, BS::cxbsPressed, true, core::raMinus90);
       },
       {"expand (2,3,22,19) 312"}},
      {"SmallCloseButton",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawSmallCloseButton(c, r, BS::cxbsDisabled); },
       {"filterclose 4 (2,3,22,19)"}},
      {"PanelBackground",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) { p.DrawPanelBackground(c, nullptr, r, clRed, clBlue); },
       {"gbbackground (2,3,22,19)(2,3,22,19)"}},
      {"PanelCaption",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) {
         p.DrawPanelCaption(c, r, TcxGroupBoxCaptionPosition::cxgpBottom);
       },
       {"gbcaption (2,3,22,19) 1 (0,0,0,0)"}},
      {"TrackBarTrack",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) {
         p.DrawTrackBarTrack(c, r, TRect{5, 5, 9, 9}, true, false, true, clRed);
       },
       {"trackbounds (2,3,22,19)"}},
      {"ThumbBoth",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) {
         p.DrawTrackBarThumb(c, r, BS::cxbsHot, true, TcxTrackBarTicksAlign::tbtaBoth, clRed);
       },
       {"thumbboth (2,3,22,19)"}},
      {"ThumbUp",
       [&](ControlsRecordingPainter& p, TcxCanvas* c) {
         p.DrawTrackBarThumb(c, r, BS::cxbsHot, false, TcxTrackBarTicksAlign::tbtaUp, clRed);
       },
       {"thumbupdown 1"}},
  };
  for (const auto& c : cases) {
    ControlsPaper paper(30, 30);
    ControlsRecordingPainter p;
    c.draw(p, paper.c());
    EXPECT_EQ(p.log, c.expected) << c.name;
  }
}

// --- the resizable popup's band ------------------------------------------------------------------

TEST(PainterControls, PopupPanelLayout) {
  ControlsPainter p;
  const TSize grip = p.SizeGripSize();
  const int band = p.PopupPanelSize();
  const TRect borders{1, 2, 3, 4};
  const TRect client0{0, 0, 200, 100};  // less the borders: (1, 2, 197, 96)
  struct {
    const char* name;
    TdxCorner corner;
    bool close, sizeGrip;
    TRect client, panel, gripRect;
    TRect closeSquare;  // the close button is centred in this square
  } cases[] = {
      {"BottomRight", TdxCorner::coBottomRight, true, true, {1, 2, 197, 96 - band}, {1, 96 - band, 197, 96},
       {197 - 2 - grip.cx, 96 - 2 - grip.cy, 197 - 2, 96 - 2}, {1, 96 - band, 1 + band, 96}},
      {"BottomLeft", TdxCorner::coBottomLeft, true, true, {1, 2, 197, 96 - band}, {1, 96 - band, 197, 96},
       {3, 96 - 2 - grip.cy, 3 + grip.cx, 96 - 2}, {197 - band, 96 - band, 197, 96}},
      {"TopRight", TdxCorner::coTopRight, true, false, {1, 2 + band, 197, 96}, {1, 2, 197, 2 + band},
       {0, 0, 0, 0}, {1, 2, 1 + band, 2 + band}},
      {"TopLeftGripOnly", TdxCorner::coTopLeft, false, true, {1, 2 + band, 197, 96}, {1, 2, 197, 2 + band},
       {3, 4, 3 + grip.cx, 4 + grip.cy}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    TRect client = client0, panel{}, gripRect{-1, -1, -1, -1}, closeRect{-1, -1, -1, -1};
    p.CalculatePopupPanelClientRect(client, panel, gripRect, closeRect, c.corner, c.close, c.sizeGrip, borders);
    EXPECT_EQ(Str(client), Str(c.client)) << c.name;
    EXPECT_EQ(Str(panel), Str(c.panel)) << c.name;
    EXPECT_EQ(Str(gripRect), Str(c.gripRect)) << c.name;
    const TRect expectedClose =
        c.close ? cxCentreRect(c.closeSquare, p.SmallCloseButtonSize()) : core::cxNullRect;
    EXPECT_EQ(Str(closeRect), Str(expectedClose)) << c.name;
  }
  // An explicit band height replaces the default one.
  TRect client = client0, panel{}, gripRect{}, closeRect{};
  p.CalculatePopupPanelClientRect(client, panel, gripRect, closeRect, TdxCorner::coBottomRight, false, false,
                                  core::cxNullRect, 30);
  EXPECT_EQ(Str(panel), "(0,70,200,100)");
  EXPECT_EQ(Str(client), "(0,0,200,70)");
}

// --- pixels --------------------------------------------------------------------------------------

// Lays small pictures out in a row on one surface, a gap of 3 pixels
// between them, so that one golden image shows an element in all its states.
class Strip {
 public:
  Strip(int width, int height, TColor fill = clWhite) : paper_(width, height, fill) {}
  // The next cell of the given size, top-aligned 2 pixels from the top.
  TRect Next(int w, int h) {
    const TRect r{x_, 2, x_ + w, 2 + h};
    x_ += w + 3;
    return r;
  }
  TcxCanvas* c() { return paper_.c(); }
  ControlsPaper& paper() { return paper_; }

 private:
  ControlsPaper paper_;
  int x_ = 2;
};

TEST(PainterControls, EditPopupBordersGolden) {
  ControlsPainter p;
  Strip strip(160, 20);
  using E = TcxEditPopupBorderStyle;
  const struct {
    E style;
    bool clientEdge;
    int inset;  // where the inner rectangle lies
  } cases[] = {{E::epbsDefault, false, 1}, {E::epbsSingle, false, 1}, {E::epbsFlat, false, 2},
               {E::epbsFrame3D, false, 4}, {E::epbsFrame3D, true, 4},  {E::epbsSingle, true, 1},
               {E::epbsFlat, true, 2}};
  for (const auto& c : cases) {
    const TRect outer = strip.Next(16, 16);
    TRect r = outer;
    p.DrawEditPopupWindowBorder(strip.c(), r, c.style, c.clientEdge);
    EXPECT_EQ(Str(r), Str(core::cxRectInflate(outer, -c.inset))) << int(c.style) << c.clientEdge;
    // The inner rectangle is filled so that the picture shows where it lies.
    strip.c()->FillRect(r, clInfoBk);
  }
  EXPECT_GOLDEN(strip.paper().Image(), "lookandfeel", "controls_popup_borders");
}

TEST(PainterControls, HintsAndScreenTipsGolden) {
  ControlsPainter p;
  Strip strip(110, 24, clBtnFace);
  p.DrawHintBackground(strip.c(), strip.Next(16, 12));
  p.DrawHintBackground(strip.c(), strip.Next(16, 12), clRed);
  p.ScreenTipDrawBackground(strip.c(), strip.Next(30, 20));
  p.ScreenTipDrawFooterLine(strip.c(), strip.Next(30, 4));
  EXPECT_EQ(strip.c()->Brush()->Style(), bsSolid) << "the clear brush of the rounded frame is undone";
  EXPECT_EQ(strip.paper().At(3, 3), Pixel(clInfoBk)) << "clDefault fills with the info colour";
  EXPECT_GOLDEN(strip.paper().Image(), "lookandfeel", "controls_hints");
}

// A painter whose splitters are one pixel thick across: drawn single-tone.
class ThinSplitterPainter : public ControlsPainter {
 public:
  TSize GetSplitterSize(bool AHorizontal) override { return AHorizontal ? TSize{17, 1} : TSize{1, 17}; }
  TColor GetSplitterOuterColor(bool AHighlighted) override { return AHighlighted ? clRed : clBlack; }
};

TEST(PainterControls, SplittersGolden) {
  ControlsPainter base;
  ThinSplitterPainter thin;
  Strip strip(150, 44, clBtnFace);
  // Each splitter gets a margin around it so that the picture shows how far
  // its lines run.
  const auto draw = [&](ControlsPainter& p, int w, int h, bool horizontal, bool highlighted) {
    const TRect cell = strip.Next(w + 4, h + 4);
    strip.c()->FrameRect(cell, clSilver);
    p.DrawSplitter(strip.c(), core::cxRectInflate(cell, -2), highlighted, false, horizontal);
  };
  draw(base, 30, 5, true, false);
  draw(base, 5, 30, false, false);
  draw(thin, 30, 5, true, false);
  draw(thin, 5, 30, false, true);
  draw(base, 9, 4, true, false);  // shorter than the grip mark
  EXPECT_GOLDEN(strip.paper().Image(), "lookandfeel", "controls_splitters");
}

TEST(PainterControls, SplitterGripMarkGaps) {
  // A horizontal two-tone splitter over (0, 0, 40, 4) on black: the dark
  // line on row 1 has its one-pixel gaps 5 and 2 before and 1 and 4 after
  // the centre (20); the light line below repeats it one pixel further right.
  ControlsPainter p;
  ControlsPaper paper(48, 6, clBlack);
  p.DrawSplitter(paper.c(), TRect{0, 0, 40, 4}, false, false, true);
  std::string dark, light;
  for (int x = 0; x < 42; ++x) {
    dark += paper.At(x, 1) == Pixel(clBtnShadow) ? '#' : '.';
    light += paper.At(x, 2) == Pixel(clWhite) ? '#' : '.';
  }
  EXPECT_EQ(dark, "###############.##.##.##.###############..");
  EXPECT_EQ(light, ".###############.##.##.##.###############.");
  EXPECT_EQ(paper.Count(TRect{0, 0, 48, 1}, Pixel(clBlack)), 48) << "nothing above the line";
  EXPECT_EQ(paper.Count(TRect{0, 3, 48, 6}, Pixel(clBlack)), 3 * 48) << "nothing below the light line";
}

TEST(PainterControls, ZoomButtonsGolden) {
  ControlsPainter p;
  Strip strip(150, 19);
  for (const BS state : {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled}) {
    p.DrawZoomInButton(strip.c(), strip.Next(15, 15), state);
    p.DrawZoomOutButton(strip.c(), strip.Next(15, 15), state);
  }
  EXPECT_GOLDEN(strip.paper().Image(), "lookandfeel", "controls_zoom_buttons");
}

TEST(PainterControls, TrackBarThumbsGolden) {
  ControlsPainter p;
  Strip strip(110, 24);
  using TA = TcxTrackBarTicksAlign;
  p.DrawTrackBarThumb(strip.c(), strip.Next(11, 20), BS::cxbsNormal, true, TA::tbtaUp, clBtnShadow);
  p.DrawTrackBarThumb(strip.c(), strip.Next(11, 20), BS::cxbsNormal, true, TA::tbtaDown, clBtnShadow);
  p.DrawTrackBarThumb(strip.c(), strip.Next(20, 11), BS::cxbsNormal, false, TA::tbtaUp, clBtnShadow);
  p.DrawTrackBarThumb(strip.c(), strip.Next(20, 11), BS::cxbsNormal, false, TA::tbtaDown, clBtnShadow);
  p.DrawTrackBarThumb(strip.c(), strip.Next(11, 20), BS::cxbsHot, true, TA::tbtaBoth, clBtnShadow);
  EXPECT_GOLDEN(strip.paper().Image(), "lookandfeel", "controls_trackbar_thumbs");
}

TEST(PainterControls, SizeGripsGolden) {
  ControlsPainter p;
  Strip strip(100, 24);
  for (const TdxCorner corner :
       {TdxCorner::coBottomRight, TdxCorner::coBottomLeft, TdxCorner::coTopRight, TdxCorner::coTopLeft})
    p.DrawSizeGrip(strip.c(), strip.Next(17, 17), clBtnFace, corner);
  EXPECT_GOLDEN(strip.paper().Image(), "lookandfeel", "controls_size_grips");
}

TEST(PainterControls, PopupBandGolden) {
  ControlsPainter p;
  ControlsPaper paper(120, 64, clWindow);
  const struct {
    TRect client;
    TdxCorner corner;
    BS closeState;
  } bands[] = {{{0, 0, 120, 30}, TdxCorner::coBottomRight, BS::cxbsNormal},
               {{0, 32, 120, 64}, TdxCorner::coTopLeft, BS::cxbsHot}};
  for (const auto& b : bands) {
    TRect client = b.client, panel{}, grip{}, close{};
    const TRect borders{1, 1, 1, 1};
    p.CalculatePopupPanelClientRect(client, panel, grip, close, b.corner, true, true, borders);
    paper.c()->SaveClipRegion();
    p.DrawPopupPanelBand(paper.c(), panel, TRect{0, 1, 0, 1}, clBtnShadow, true, true, grip, close, b.closeState,
                         b.corner);
    // The band is left out of the clip region: this fill only reaches the client.
    paper.c()->FillRect(b.client, clInfoBk);
    paper.c()->RestoreClipRegion();
  }
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "controls_popup_band");
}

TEST(PainterControls, NavigatorGlyphFollowsTheEnabledFlag) {
  // A red square on a magenta (transparent) ground.
  TBitmap glyph(11, 11);
  glyph.SetPixelFormat(pf32bit);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(TRect{0, 0, 11, 11});
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(TRect{2, 2, 9, 9});
  core::TcxImageList list(11, 11);
  list.AddMasked(&glyph, clFuchsia);
  ASSERT_EQ(list.Count(), 1);
  ControlsPainter p;
  ControlsPaper enabled(15, 15), disabled(15, 15);
  p.DrawNavigatorButtonGlyph(enabled.c(), &list, 0, TRect{2, 2, 13, 13}, true, false);
  p.DrawNavigatorButtonGlyph(disabled.c(), &list, 0, TRect{2, 2, 13, 13}, false, true);
  EXPECT_EQ(enabled.Count(TRect{4, 4, 11, 11}, Pixel(clRed)), 49);
  EXPECT_EQ(enabled.At(2, 2), Pixel(clWhite)) << "the transparent ground";
  EXPECT_EQ(disabled.Count(TRect{0, 0, 15, 15}, Pixel(clRed)), 0) << "drawn as disabled";
  EXPECT_LT(disabled.Count(TRect{0, 0, 15, 15}, Pixel(clWhite)), 15 * 15) << "but drawn";
}

// --- progress text -------------------------------------------------------------------------------

// A progress bar of 60 x 14 on white whose left half is filled.
struct ProgressBar {
  ControlsPaper paper{64, 18};
  TRect bar{2, 2, 62, 16};
  TRect chunk{2, 2, 32, 16};
  TRect text{14, 2, 50, 16};
  ProgressBar() { paper.c()->FillRect(chunk, clNavy); }
};

TEST(PainterControls, ProgressTextInvertsWhatLiesBelow) {
  ControlsPainter p;
  ProgressBar pb;
  const gdi::ImageBGRA before = pb.paper.Image();
  p.DrawProgressBarText(pb.paper.c(), false, false, u"50%", pb.text, pb.bar, pb.chunk);
  const gdi::ImageBGRA drawn = pb.paper.Image();
  int overBar = 0, overBackground = 0, changedElsewhere = 0;
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 64; ++x) {
      const std::uint32_t was = before.at(x, y) & 0xFFFFFF, now = drawn.at(x, y) & 0xFFFFFF;
      if (was == now) continue;
      if (!core::cxRectPtIn(pb.text, x, y)) ++changedElsewhere;
      // Every changed pixel is the exact inverse of what was there.
      EXPECT_EQ(now, was ^ 0xFFFFFF) << x << "," << y;
      (core::cxRectPtIn(pb.chunk, x, y) ? overBar : overBackground)++;
    }
  EXPECT_GT(overBar, 0);
  EXPECT_GT(overBackground, 0);
  EXPECT_EQ(changedElsewhere, 0);
  // Drawn twice, the inverted text takes itself away again.
  p.DrawProgressBarText(pb.paper.c(), false, false, u"50%", pb.text, pb.bar, pb.chunk);
  const gdi::ImageBGRA twice = pb.paper.Image();
  EXPECT_TRUE(std::equal(before.pixels.begin(), before.pixels.end(), twice.pixels.begin(),
                         [](std::uint32_t a, std::uint32_t b) { return (a & 0xFFFFFF) == (b & 0xFFFFFF); }));
}

// A painter with its own colour over the filled part of the bar.
class FilledTextPainter : public ControlsPainter {
 public:
  TColor ProgressBarTextColorEx(bool AIsFilledArea) override { return AIsFilledArea ? clYellow : clRed; }
};

TEST(PainterControls, ProgressTextTwoColours) {
  FilledTextPainter p;
  ProgressBar pb;
  p.DrawProgressBarText(pb.paper.c(), false, false, u"50%", pb.text, pb.bar, pb.chunk);
  const TRect onBar{pb.text.left, 2, pb.chunk.right, 16}, offBar{pb.chunk.right, 2, pb.text.right, 16};
  EXPECT_GT(pb.paper.Count(onBar, Pixel(clYellow)), 0);
  EXPECT_EQ(pb.paper.Count(onBar, Pixel(clRed)), 0) << "the background colour's text is taken back over the bar";
  EXPECT_GT(pb.paper.Count(offBar, Pixel(clRed)), 0);
  EXPECT_EQ(pb.paper.Count(offBar, Pixel(clYellow)), 0);
}

TEST(PainterControls, ProgressTextGolden) {
  ControlsPainter p;
  ControlsPaper paper(100, 60);
  TcxCanvas* c = paper.c();
  const TColor fontColour = c->Font()->Color();
  // Inverted over a half-filled bar, solid in its own colour, solid in the
  // default colour, and vertical (turned a quarter clockwise) inverted.
  c->FillRect(TRect{2, 2, 32, 16}, clNavy);
  p.DrawProgressBarText(c, false, false, u"50%", TRect{14, 2, 50, 16}, TRect{2, 2, 62, 16}, TRect{2, 2, 32, 16});
  p.DrawProgressBarText(c, false, true, u"Red", TRect{2, 20, 40, 34}, TRect{}, TRect{}, clRed);
  p.DrawProgressBarText(c, false, true, u"Def", TRect{2, 38, 40, 52}, TRect{}, TRect{});
  c->FillRect(TRect{70, 12, 84, 58}, clNavy);
  p.DrawProgressBarText(c, true, false, u"75%", TRect{70, 2, 84, 58}, TRect{70, 2, 84, 58}, TRect{70, 12, 84, 58});
  EXPECT_EQ(c->Font()->Color(), fontColour) << "the canvas state comes back";
  EXPECT_EQ(c->Brush()->Style(), bsSolid);
  EXPECT_EQ(c->Font()->LogFont().lfEscapement, 0);
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "controls_progress_text");
}

// --- degenerate rectangles and the clip ------------------------------------------------------------

TEST(PainterControls, NothingOutsideTheClipForAnyRectangle) {
  using Draw = std::function<void(ControlsPainter&, TcxCanvas*, const TRect&)>;
  using TA = TcxTrackBarTicksAlign;
  using GP = TcxGroupBoxCaptionPosition;
  using E = TcxEditPopupBorderStyle;
  const std::vector<std::pair<const char*, Draw>> ops = {
      {"ImageZoomIn", [](ControlsPainter& p, TcxCanvas* c, const TRect& r) { p.DrawImageZoomInButton(c, r, BS::cxbsHot); }},
      {"ImageZoomOut", [](ControlsPainter& p, TcxCanvas* c, const TRect& r) { p.DrawImageZoomOutButton(c, r, BS::cxbsHot); }},
      {"WindowContent", [](ControlsPainter& p, TcxCanvas* c, const TRect& r) { p.DrawWindowContent(c, r); }},
      {"PopupBorders",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         for (const E style : {E::epbsDefault, E::epbsSingle, E::epbsFrame3D, E::epbsFlat})
           for (const bool edge : {false, true}) {
             TRect inner = r;
             p.DrawEditPopupWindowBorder(c, inner, style, edge);
           }
       }},
      {"HintBackground", [](ControlsPainter& p, TcxCanvas* c, const TRect& r) { p.DrawHintBackground(c, r); }},
      {"ScreenTipBackground", [](ControlsPainter& p, TcxCanvas* c, const TRect& r) { p.ScreenTipDrawBackground(c, r); }},
      {"ScreenTipFooter", [](ControlsPainter& p, TcxCanvas* c, const TRect& r) { p.ScreenTipDrawFooterLine(c, r); }},
      {"Tabs",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawTab(c, r, core::cxBordersAll, u"Tab", BS::cxbsHot, false, c->Font(), clBlack, clWhite);
         p.DrawTabBorder(c, r, core::bLeft, core::cxBordersAll, false);
         p.DrawTabsRoot(c, r, core::cxBordersAll, true);
       }},
      {"ScrollBar",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawScrollBarBackground(c, r, true);
         p.DrawScrollBarPart(c, false, r, TcxScrollBarPart::sbpThumbnail, BS::cxbsPressed);
         p.DrawScrollBarSplitter(c, r, BS::cxbsHot);
       }},
      {"SizeGrips",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DoDrawSizeGrip(c, r);
         p.DrawSizeGrip(c, r, clNone, TdxCorner::coTopLeft);
         p.DrawSizeGrip(c, r, clRed, TdxCorner::coBottomLeft);
       }},
      {"SmallButtons",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawSliderButton(c, r, TcxArrowDirection::adUp, BS::cxbsNormal);
         p.DrawSmallButton(c, r, BS::cxbsPressed);
         p.DrawSmallCloseButton(c, r, BS::cxbsHot);
       }},
      {"PopupBand",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         c->SaveClipRegion();
         p.DrawPopupPanelBand(c, r, TRect{1, 1, 1, 1}, clRed, true, true, r, r, BS::cxbsNormal,
                              TdxCorner::coBottomRight);
         c->RestoreClipRegion();
       }},
      {"EditorButtons",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawEditorButton(c, r, TcxEditBtnKind::cxbkComboBtn, BS::cxbsHot);
         p.DrawEditorButtonGlyph(c, r, TcxEditBtnKind::cxbkComboBtn, BS::cxbsHot);
       }},
      {"ZoomButtons",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawZoomInButton(c, r, BS::cxbsNormal);
         p.DrawZoomOutButton(c, r, BS::cxbsDisabled);
       }},
      {"Navigator",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawNavigatorBorder(c, r, true);
         p.DrawNavigatorButton(c, r, BS::cxbsHot, clWindow);
         p.DrawNavigatorButtonGlyph(c, nullptr, 0, r, true, false);
       }},
      {"ProgressBar",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawProgressBarBorder(c, r, false);
         p.DrawProgressBarChunk(c, r, true);
         p.DrawProgressBarText(c, false, true, u"12%", r, r, r);
         p.DrawProgressBarText(c, false, false, u"34%", r, r, r);
         p.DrawProgressBarText(c, true, false, u"56%", r, r, r);
         FilledTextPainter filled;
         filled.DrawProgressBarText(c, false, false, u"78%", r, r, r);
       }},
      {"GroupBox",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawGroupBoxBackground(c, r, r);
         p.DrawGroupBoxCaption(c, r, GP::cxgpLeft, r);
         p.DrawGroupBoxContent(c, r, core::cxBordersAll);
         p.DrawGroupBoxExpandButton(c, r, BS::cxbsHot, true, core::raPlus90);
         p.DrawGroupBoxButton(c, r, BS::cxbsPressed);
         p.DrawGroupBoxExpandGlyph(c, r, BS::cxbsNormal, false);
         p.DrawGroupBoxFrame(c, r, GP::cxgpTop);
       }},
      {"Panel",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawPanelBackground(c, nullptr, r);
         p.DrawPanelBorders(c, r);
         p.DrawPanelCaption(c, r, GP::cxgpCenter);
         p.DrawPanelContent(c, r, true);
       }},
      {"TrackBar",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         TRect thumb = r;
         p.CorrectThumbRect(c, thumb, true, TA::tbtaBoth);
         p.DrawTrackBarTrack(c, r, r, true, true, true, clRed);
         p.DrawTrackBarTrackBounds(c, r);
         for (const TA ticks : {TA::tbtaUp, TA::tbtaDown, TA::tbtaBoth})
           for (const bool horizontal : {false, true})
             p.DrawTrackBarThumb(c, r, BS::cxbsHot, horizontal, ticks, clBlue);
       }},
      {"Splitters",
       [](ControlsPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawSplitter(c, r, true, false, true);
         p.DrawSplitter(c, r, false, true, false);
         ThinSplitterPainter thin;
         thin.DrawSplitter(c, r, false, false, true);
       }},
  };
  const TRect clip{16, 16, 48, 48};
  const struct {
    const char* name;
    TRect r;
  } rects[] = {{"empty", {20, 20, 20, 30}},
               {"inverted", {40, 40, 20, 20}},
               {"overlapping", {8, 8, 40, 40}},
               {"huge", {-1000000, -1000000, 1000000, 1000000}},
               {"huge far away", {5000000, 5000000, 9000000, 9000000}}};
  const TColor sentinel = TColor(0x030201);
  for (const auto& op : ops)
    for (const auto& rc : rects) {
      ControlsPaper paper(64, 64, sentinel);
      paper.c()->IntersectClipRect(clip);
      ControlsPainter p;
      EXPECT_NO_THROW(op.second(p, paper.c(), rc.r)) << op.first << " " << rc.name;
      const int inside = paper.Count(clip, Pixel(sentinel));
      EXPECT_EQ(paper.Count(TRect{0, 0, 64, 64}, Pixel(sentinel)) - inside, 64 * 64 - 32 * 32)
          << op.first << " " << rc.name << ": painted outside the clip";
    }
}

}  // namespace

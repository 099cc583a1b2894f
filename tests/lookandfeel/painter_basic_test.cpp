// The base painter's common elements: arrow geometry, buttons, expand marks,
// check boxes, the toggle switch, borders, separators and label lines drawn
// pixel-exact on small surfaces; their measures; and that no operation
// reaches outside the clip or raises for a degenerate or huge rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphics.h"
#include "tests/support/golden.h"

using namespace lookandfeel;
using namespace ui;
using core::TcxCanvas;

namespace {

using Painter = TcxCustomLookAndFeelPainter;
using BS = TcxButtonState;
using AD = TcxArrowDirection;
using CS = TcxCheckBoxState;

constexpr std::uint32_t kPaper = 0xFFFFFF;   // white
constexpr std::uint32_t kSentinel = 0x123456;  // what outside-the-clip pixels must keep

// 0xRRGGBB of a colour value, system colours resolved.
std::uint32_t rgbOf(TColor AColor) {
  const std::uint32_t c = ColorToRGB(AColor);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A 32-bit bitmap with the library canvas over it, filled with one colour.
class Paper {
 public:
  Paper(int AWidth, int AHeight, std::uint32_t AFill = kPaper) : width_(AWidth), height_(AHeight) {
    bmp_.SetPixelFormat(pf32bit);
    bmp_.SetSize(AWidth, AHeight);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    const TColor fill = TColor(((AFill >> 16) & 0xFF) | (AFill & 0xFF00) | ((AFill & 0xFF) << 16));
    canvas_->FillRect(TRect{0, 0, AWidth, AHeight}, fill);
  }
  TcxCanvas* c() { return canvas_.get(); }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  int Count(const TRect& r, std::uint32_t color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == color;
    return n;
  }
  int CountNot(const TRect& r, std::uint32_t color) {
    return (r.right - r.left) * (r.bottom - r.top) - Count(r, color);
  }
  // The rows as text, one character per pixel: '.' for AEmpty, '#' for AInk, '?' otherwise.
  std::string Picture(const TRect& r, std::uint32_t AEmpty, std::uint32_t AInk) {
    std::string s;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const std::uint32_t p = At(x, y);
        s += p == AEmpty ? '.' : p == AInk ? '#' : '?';
      }
      s += '\n';
    }
    return s;
  }
  ::testing::AssertionResult Golden(const std::string& name) {
    return testing_support::MatchesGolden(bmp_.Canvas()->Handle(), gdi::RECT{0, 0, width_, height_}, "lookandfeel",
                                          name);
  }

 private:
  int width_, height_;
  TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

// A painter whose toggle-switch states are plain fills, so that the split
// between them can be seen.
class TogglePainter : public Painter {
 public:
  std::vector<bool> states;
  void DrawToggleSwitchState(TcxCanvas* ACanvas, const TRect& R, BS, bool AChecked) override {
    states.push_back(AChecked);
    ACanvas->FillRect(R, AChecked ? clRed : clBlue);
  }
};

}  // namespace

// ---- arrow geometry -----------------------------------------------------------------------------

TEST(PainterArrows, CalculateArrowPoints) {
  struct Case {
    TRect r;
    AD direction;
    bool proportional;
    int size;
    TPoint p0, p1, p2;
  } cases[] = {
      // A 5 x 3 box centred in 9 x 9, its tip at the centre column.
      {{0, 0, 9, 9}, AD::adDown, false, 0, {6, 3}, {4, 5}, {2, 3}},
      {{0, 0, 9, 9}, AD::adUp, false, 0, {2, 5}, {4, 3}, {6, 5}},
      {{0, 0, 9, 9}, AD::adLeft, false, 0, {5, 6}, {3, 4}, {5, 2}},
      {{0, 0, 9, 9}, AD::adRight, false, 0, {3, 2}, {5, 4}, {3, 6}},
      // Proportional: a wide rectangle is squared first, so the size comes from its height.
      {{0, 0, 17, 9}, AD::adDown, true, 0, {10, 3}, {8, 5}, {6, 3}},
      {{0, 0, 17, 9}, AD::adDown, false, 0, {12, 2}, {8, 6}, {4, 2}},
      // A given size wins; the vertical start rounds its half to the even neighbour (7 / 2 -> 4).
      {{0, 0, 9, 9}, AD::adDown, false, 2, {5, 4}, {4, 5}, {3, 4}},
      {{0, 0, 9, 10}, AD::adDown, false, 2, {5, 4}, {4, 5}, {3, 4}},
      {{0, 0, 9, 8}, AD::adDown, false, 2, {5, 3}, {4, 4}, {3, 3}},
      // Left of the origin the halves still round down, so the arrow moves with the rectangle.
      {{-9, -9, 0, 0}, AD::adDown, false, 0, {-3, -6}, {-5, -4}, {-7, -6}},
      {{-10, -9, 0, 0}, AD::adRight, false, 0, {-7, -7}, {-5, -5}, {-7, -3}},
  };
  for (const Case& c : cases) {
    TPoint p[3];
    Painter::CalculateArrowPoints(c.r, p, c.direction, c.proportional, c.size);
    SCOPED_TRACE(::testing::Message() << "rect " << c.r.left << "," << c.r.top << "," << c.r.right << ","
                                    << c.r.bottom << " direction " << int(c.direction));
    EXPECT_EQ(p[0], c.p0);
    EXPECT_EQ(p[1], c.p1);
    EXPECT_EQ(p[2], c.p2);
  }
}

TEST(PainterArrows, Golden) {
  Painter painter;
  Paper paper(120, 34, 0xA0C0E0);
  const AD directions[] = {AD::adUp, AD::adDown, AD::adLeft, AD::adRight};
  for (int i = 0; i < 4; ++i) {
    painter.DrawArrow(paper.c(), TRect{2 + 12 * i, 2, 13 + 12 * i, 13}, directions[i], clNavy);
    painter.DrawArrow(paper.c(), TRect{50 + 12 * i, 2, 61 + 12 * i, 13}, BS::cxbsNormal, directions[i], i % 2 == 0);
  }
  painter.DrawButtonArrow(paper.c(), TRect{2, 16, 14, 28}, clBlack);
  painter.DrawButtonArrow(paper.c(), TRect{16, 16, 27, 28}, clMaroon);
  painter.DrawCollapseArrow(paper.c(), TRect{30, 16, 46, 32}, clBlack, 1);
  painter.DrawCollapseArrow(paper.c(), TRect{48, 16, 64, 32}, clNavy, 2);
  painter.DrawScrollBarArrow(paper.c(), TRect{66, 16, 81, 31}, BS::cxbsNormal, AD::adUp);
  painter.DrawScrollBarArrow(paper.c(), TRect{83, 16, 98, 31}, BS::cxbsPressed, AD::adLeft);
  painter.DrawScrollBarArrow(paper.c(), TRect{100, 16, 115, 31}, BS::cxbsDisabled, AD::adDown);
  EXPECT_TRUE(paper.Golden("painter_basic_arrows"));
}

TEST(PainterArrows, DisabledScrollBarArrowIsEmbossed) {
  Painter painter;
  Paper paper(16, 16);
  painter.DrawScrollBarArrow(paper.c(), TRect{0, 0, 15, 15}, BS::cxbsDisabled, AD::adDown);
  TPoint p[3];
  Painter::CalculateArrowPoints(TRect{0, 0, 15, 15}, p, AD::adDown, true, 0);
  // The shadow covers the triangle, and the light copy shows one pixel below its tip.
  EXPECT_EQ(paper.At(p[1].x, p[1].y), rgbOf(clBtnShadow));
  EXPECT_EQ(paper.At(p[1].x + 1, p[1].y + 1), rgbOf(clBtnHighlight));
  EXPECT_EQ(paper.Count(TRect{0, 0, 16, 16}, rgbOf(clBtnText)), 0);
}

// ---- buttons -----------------------------------------------------------------------------------

TEST(PainterButtons, Golden) {
  Painter painter;
  Paper paper(100, 40, 0x808080);
  const BS states[] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  for (int i = 0; i < 5; ++i) painter.DrawButton(paper.c(), TRect{2 + 16 * i, 2, 16 + 16 * i, 16}, String(), states[i]);
  painter.DrawButton(paper.c(), TRect{82, 2, 98, 16}, String(), BS::cxbsNormal, true, clYellow);
  painter.DrawButtonCross(paper.c(), TRect{2, 20, 18, 34}, clBlack, BS::cxbsNormal);
  painter.DrawButtonCross(paper.c(), TRect{20, 20, 36, 34}, clBlack, BS::cxbsPressed);
  painter.DrawCommandLinkBackground(paper.c(), TRect{40, 20, 60, 36}, BS::cxbsHot, clAqua);
  painter.DrawToggleSwitchThumb(paper.c(), TRect{64, 20, 80, 36}, BS::cxbsNormal);
  EXPECT_TRUE(paper.Golden("painter_basic_buttons"));
}

// The caption box of a button: an odd height loses its last row, and a box
// then under 18 rows reaches one row higher. The caption must sit exactly
// where the canvas puts it in that box.
TEST(PainterButtons, CaptionBoxFollowsTheOddHeightRule) {
  Painter painter;
  struct Case {
    int height;
    TRect box;  // of a button at (0, 2)
  } cases[] = {
      {15, {0, 1, 40, 16}}, {16, {0, 1, 40, 18}}, {17, {0, 1, 40, 18}}, {18, {0, 2, 40, 20}}, {19, {0, 2, 40, 20}},
  };
  const int flags = core::cxAlignHCenter | core::cxAlignVCenter | core::cxShowPrefix | core::cxSingleLine;
  for (const Case& c : cases) {
    Paper button(40, 24), expected(40, 24);
    // With an even text height, boxes one row apart at the top centre the
    // text on different rows, so the box is pinned exactly.
    for (Paper* paper : {&button, &expected}) paper->c()->Font()->SetHeight(14);
    ASSERT_EQ(button.c()->TextHeight(u"Xg") % 2, 0);
    painter.DrawButton(button.c(), TRect{0, 2, 40, 2 + c.height}, u"Xg", BS::cxbsNormal, true, clWhite, clBlack);
    expected.c()->Brush()->SetStyle(bsClear);
    expected.c()->Font()->SetColor(clBlack);
    expected.c()->DrawText(u"Xg", c.box, flags);
    const std::string picture = button.Picture(TRect{0, 0, 40, 24}, kPaper, 0);
    EXPECT_NE(picture.find('#'), std::string::npos) << c.height;
    EXPECT_EQ(picture, expected.Picture(TRect{0, 0, 40, 24}, kPaper, 0)) << c.height;
  }
}

// The close glyph's x is half the painter's close button wide, made odd,
// drawn twice side by side; pressed, it moves one pixel right and down.
TEST(PainterButtons, ButtonCrossFollowsTheCloseButtonSize) {
  class ClosePainter : public Painter {
   public:
    int closeWidth = 16;
    TSize FilterCloseButtonSize() override { return TSize{closeWidth, 14}; }
  } painter;
  struct Case {
    int closeWidth;
    BS state;
    TRect ink;  // bounding box of the mark in a 20 x 20 button
  } cases[] = {
      {16, BS::cxbsNormal, {6, 6, 14, 13}},  // 8 -> 7
      {18, BS::cxbsNormal, {5, 5, 15, 14}},  // 9
      {12, BS::cxbsNormal, {7, 7, 13, 12}},  // 6 -> 5
      {16, BS::cxbsPressed, {7, 7, 15, 14}},
  };
  for (const Case& c : cases) {
    painter.closeWidth = c.closeWidth;
    Paper paper(20, 20);
    painter.DrawButtonCross(paper.c(), TRect{0, 0, 20, 20}, clBlack, c.state);
    TRect ink{20, 20, 0, 0};
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x)
        if (paper.At(x, y) == 0)
          ink = TRect{std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                      std::max(ink.bottom, y + 1)};
    EXPECT_EQ(ink, c.ink) << c.closeWidth << " " << int(c.state);
    EXPECT_EQ(paper.CountNot(TRect{0, 0, 20, 20}, kPaper), paper.Count(TRect{0, 0, 20, 20}, 0));
  }
}

TEST(PainterButtons, DisabledCaptionIsEmbossedAndBrushReturnsToSolid) {
  Painter painter;
  Paper paper(40, 20);
  painter.DrawButton(paper.c(), TRect{0, 0, 40, 20}, u"Ab", BS::cxbsDisabled);
  EXPECT_GT(paper.Count(TRect{0, 0, 40, 20}, rgbOf(clBtnHighlight)), 0);
  EXPECT_EQ(paper.c()->Brush()->Style(), bsSolid);
  Paper plain(40, 20);
  painter.DrawButton(plain.c(), TRect{0, 0, 40, 20}, u"Ab", BS::cxbsNormal);
  EXPECT_EQ(plain.Count(TRect{0, 0, 40, 20}, rgbOf(clBtnHighlight)), 0);
  EXPECT_EQ(plain.c()->Font()->Color(), clBtnText);
}

// ---- expand buttons and marks ------------------------------------------------------------------

TEST(PainterExpand, MarksAndCrosses) {
  Painter painter;
  struct Case {
    const char* name;
    std::function<void(TcxCanvas*)> draw;
    TRect area;
    const char* picture;
  } cases[] = {
      {"collapsed mark", [&](TcxCanvas* c) { painter.DrawExpandMark(c, TRect{0, 0, 11, 12}, clBlack, false); },
       TRect{0, 0, 11, 12},
       "...........\n"
       "...........\n"
       "..#.....#..\n"
       "..##...##..\n"
       "...##.##...\n"
       "....###....\n"
       "..#..#..#..\n"
       "..##...##..\n"
       "...##.##...\n"
       "....###....\n"
       ".....#.....\n"
       "...........\n"},
      {"expanded mark", [&](TcxCanvas* c) { painter.DrawExpandMark(c, TRect{0, 0, 11, 12}, clBlack, true); },
       TRect{0, 0, 11, 12},
       "...........\n"
       "...........\n"
       ".....#.....\n"
       "....###....\n"
       "...##.##...\n"
       "..##...##..\n"
       "..#..#..#..\n"
       "....###....\n"
       "...##.##...\n"
       "..##...##..\n"
       "..#.....#..\n"
       "...........\n"},
      {"plus", [&](TcxCanvas* c) { painter.DrawExpandButtonCross(c, TRect{0, 0, 9, 9}, false, clBlack); },
       TRect{0, 0, 9, 9},
       ".........\n"
       ".........\n"
       "....#....\n"
       "....#....\n"
       "..#####..\n"
       "....#....\n"
       "....#....\n"
       ".........\n"
       ".........\n"},
      {"minus", [&](TcxCanvas* c) { painter.DrawExpandButtonCross(c, TRect{0, 0, 9, 9}, true, clBlack); },
       TRect{0, 0, 9, 9},
       ".........\n"
       ".........\n"
       ".........\n"
       ".........\n"
       "..#####..\n"
       ".........\n"
       ".........\n"
       ".........\n"
       ".........\n"},
      // Left of the origin the centre rounds down too: the same plus, moved.
      {"plus at negative coordinates",
       [&](TcxCanvas* c) {
         c->SetWindowOrg(TPoint{-9, -9});
         painter.DrawExpandButtonCross(c, TRect{-9, -9, 0, 0}, false, clBlack);
         c->SetWindowOrg(TPoint{0, 0});
       },
       TRect{0, 0, 9, 9},
       ".........\n"
       ".........\n"
       "....#....\n"
       "....#....\n"
       "..#####..\n"
       "....#....\n"
       "....#....\n"
       ".........\n"
       ".........\n"},
  };
  for (const Case& c : cases) {
    Paper paper(12, 12);
    c.draw(paper.c());
    EXPECT_EQ(paper.Picture(c.area, kPaper, 0), c.picture) << c.name;
  }
}

TEST(PainterExpand, Golden) {
  Painter painter;
  Paper paper(112, 40, 0x808080);
  painter.DrawGroupExpandButton(paper.c(), TRect{2, 2, 17, 17}, false, BS::cxbsNormal);
  painter.DrawGroupExpandButton(paper.c(), TRect{20, 2, 35, 17}, true, BS::cxbsDisabled);
  const core::TcxRotationAngle angles[] = {core::TcxRotationAngle::ra0, core::TcxRotationAngle::raPlus90,
                                           core::TcxRotationAngle::raMinus90, core::TcxRotationAngle::ra180};
  for (int i = 0; i < 4; ++i)
    painter.DrawExpandButtonEx(paper.c(), TRect{38 + 18 * i, 2, 54 + 18 * i, 15}, BS::cxbsNormal, false, angles[i]);
  painter.DrawSmallExpandButton(paper.c(), TRect{2, 22, 11, 31}, false, clBlack);
  painter.DrawSmallExpandButton(paper.c(), TRect{14, 22, 23, 31}, true, clNavy, clWhite);
  EXPECT_TRUE(paper.Golden("painter_basic_expand"));
}

// The turned bitmap puts the mark where turning the upright picture would:
// a quarter turn of a square button maps column x of the upright mark to a
// row of the turned one, so the two pictures are transposes of each other.
TEST(PainterExpand, RotatedMarkIsTheUprightOneTurned) {
  Painter painter;
  auto marks = [&](core::TcxRotationAngle AAngle) {
    Paper paper(15, 15);
    painter.DrawExpandButtonEx(paper.c(), TRect{0, 0, 15, 15}, BS::cxbsNormal, true, AAngle);
    std::vector<std::vector<bool>> ink(15, std::vector<bool>(15));
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 15; ++x) ink[y][x] = paper.At(x, y) == rgbOf(clBtnText);
    return ink;
  };
  const auto upright = marks(core::TcxRotationAngle::ra0);
  const auto turned = marks(core::TcxRotationAngle::raPlus90);
  const auto reversed = marks(core::TcxRotationAngle::ra180);
  int inked = 0, transposed = 0, pointMirrored = 0;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      inked += upright[y][x];
      // A quarter turn either way sends (x, y) to (y, n - 1 - x) or (n - 1 - y, x).
      transposed += upright[y][x] && (turned[14 - x][y] || turned[x][14 - y]);
      pointMirrored += upright[y][x] && reversed[14 - y][14 - x];
    }
  EXPECT_GT(inked, 20);
  EXPECT_EQ(transposed, inked);
  EXPECT_EQ(pointMirrored, inked);
  // Only the mark is laid over the button: a border drawn first survives.
  class BorderedPainter : public Painter {
   public:
    void DrawButtonBorder(TcxCanvas* ACanvas, const TRect& R, BS) override { ACanvas->FrameRect(R, clRed); }
    int ButtonBorderSize(BS) override { return 1; }
  } bordered;
  Paper paper(15, 15);
  bordered.DrawExpandButtonEx(paper.c(), TRect{0, 0, 15, 15}, BS::cxbsNormal, true,
                              core::TcxRotationAngle::raMinus90);
  EXPECT_EQ(paper.Count(TRect{0, 0, 15, 15}, rgbOf(clRed)), 4 * 14);
}

TEST(PainterExpand, SmallButtonFillsOnlyWithAColour) {
  Painter painter;
  for (const TColor fill : {clDefault, clYellow}) {
    Paper paper(11, 11);
    painter.DrawSmallExpandButton(paper.c(), TRect{1, 1, 10, 10}, true, clNavy, fill);
    EXPECT_EQ(paper.Count(TRect{1, 1, 10, 10}, rgbOf(clNavy)), 32);
    EXPECT_EQ(paper.Count(TRect{2, 2, 9, 9}, rgbOf(clYellow)), fill == clYellow ? 49 - 5 : 0);
    EXPECT_EQ(paper.Count(TRect{2, 2, 9, 9}, rgbOf(clBtnText)), 5);  // the minus sign
  }
}

// ---- check boxes -------------------------------------------------------------------------------

TEST(PainterChecks, Golden) {
  Painter painter;
  Paper paper(90, 50, 0x808080);
  const BS states[] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  const CS checks[] = {CS::cbsUnchecked, CS::cbsChecked, CS::cbsGrayed};
  for (int s = 0; s < 5; ++s)
    for (int k = 0; k < 3; ++k)
      painter.DrawCheckButton(paper.c(), TRect{2 + 17 * s, 2 + 16 * k, 17 + 17 * s, 17 + 16 * k}, states[s],
                              checks[k]);
  EXPECT_TRUE(paper.Golden("painter_basic_checks"));
}

TEST(PainterChecks, MarkColourAndFill) {
  Painter painter;
  struct Case {
    BS state;
    CS check;
    bool clearBrush;
    TColor mark;  // clNone: no mark
    TColor fill;  // clNone: left unfilled
  } cases[] = {
      {BS::cxbsNormal, CS::cbsChecked, false, clBtnText, clWindow},
      {BS::cxbsNormal, CS::cbsGrayed, false, clGrayText, clBtnFace},
      {BS::cxbsDisabled, CS::cbsChecked, false, clGrayText, clBtnFace},
      {BS::cxbsHot, CS::cbsUnchecked, false, clNone, clWindow},
      {BS::cxbsPressed, CS::cbsChecked, true, clBtnText, clNone},
  };
  for (const Case& c : cases) {
    Paper paper(17, 17, 0x00FF00);
    if (c.clearBrush) paper.c()->Brush()->SetStyle(bsClear);
    painter.DrawCheckButton(paper.c(), TRect{0, 0, 17, 17}, c.state, c.check);
    const TRect box{2, 2, 15, 15};
    SCOPED_TRACE(::testing::Message() << "state " << int(c.state) << " check " << int(c.check));
    EXPECT_EQ(paper.Count(box, 0x00FF00), c.fill == clNone ? 13 * 13 - 35 : 0);
    if (c.fill != clNone) {
      EXPECT_GT(paper.Count(box, rgbOf(c.fill)), 100);
    }
    // Three stacked strokes, 35 pixels in a 13 x 13 box (the shape is checked below).
    EXPECT_EQ(paper.Count(box, rgbOf(c.mark == clNone ? clBlack : c.mark)), c.mark == clNone ? 0 : 35);
    EXPECT_EQ(paper.Count(TRect{0, 0, 17, 17}, 0x00FF00) - paper.Count(box, 0x00FF00), 17 * 17 - 13 * 13);
  }
}

TEST(PainterChecks, MarkShape) {
  Painter painter;
  Paper paper(13, 13);
  paper.c()->Brush()->SetStyle(bsClear);
  painter.DrawCheck(paper.c(), TRect{0, 0, 13, 13}, BS::cxbsNormal, true, clBlack);
  EXPECT_EQ(paper.Picture(TRect{0, 0, 13, 13}, kPaper, 0),
            ".............\n"
            "...........#.\n"
            "..........##.\n"
            "..........##.\n"
            ".........##..\n"
            ".#......###..\n"
            ".##....###...\n"
            ".###...##....\n"
            "..###.##.....\n"
            "...#####.....\n"
            "....###......\n"
            ".....#.......\n"
            ".............\n");
}

// ---- toggle switch -----------------------------------------------------------------------------

TEST(PainterToggle, ThumbPositionChoosesTheStates) {
  struct Case {
    TRect thumb;
    std::vector<bool> states;
    int splitX;  // first column of the unchecked part; 0 all unchecked, 40 all checked
  } cases[] = {
      {{0, 0, 20, 12}, {false}, 0},
      {{-3, 0, 17, 12}, {false}, 0},
      {{20, 0, 40, 12}, {true}, 40},
      {{10, 0, 30, 12}, {true, false}, 20},
      {{11, 0, 30, 12}, {true, false}, 20},  // the centre rounds down
      {{1, 0, 22, 12}, {true, false}, 11},
  };
  for (const Case& c : cases) {
    TogglePainter painter;
    Paper paper(40, 12);
    painter.DrawToggleSwitch(paper.c(), TRect{0, 0, 40, 12}, BS::cxbsNormal, c.thumb);
    SCOPED_TRACE(::testing::Message() << "thumb " << c.thumb.left << ".." << c.thumb.right);
    EXPECT_EQ(painter.states, c.states);
    EXPECT_EQ(paper.Count(TRect{0, 0, c.splitX, 12}, rgbOf(clRed)), c.splitX * 12);
    EXPECT_EQ(paper.Count(TRect{c.splitX, 0, 40, 12}, rgbOf(clBlue)), (40 - c.splitX) * 12);
    // The split leaves the caller's clip as it was.
    paper.c()->FillRect(TRect{0, 0, 40, 12}, clWhite);
    EXPECT_EQ(paper.Count(TRect{0, 0, 40, 12}, kPaper), 40 * 12);
  }
}

TEST(PainterToggle, StateIndicatorTextStaysInsideAndRestoresTheCanvas) {
  Painter painter;
  Paper paper(60, 30);
  TFont font;
  font.SetName(u"Tahoma");
  font.SetSize(8);
  font.SetColor(clRed);
  paper.c()->Font()->SetColor(clGreen);
  painter.DrawToggleSwitchStateIndicator(paper.c(), TRect{10, 5, 50, 25}, u"On", &font);
  EXPECT_GT(paper.CountNot(TRect{10, 5, 50, 25}, kPaper), 0);
  EXPECT_EQ(paper.CountNot(TRect{0, 0, 60, 30}, kPaper), paper.CountNot(TRect{10, 5, 50, 25}, kPaper));
  EXPECT_EQ(paper.Count(TRect{0, 0, 60, 30}, rgbOf(clRed)), 0);  // the content text colour, not the font's
  EXPECT_EQ(paper.c()->Font()->Color(), clGreen);
}

// ---- borders, separators and label lines ----------------------------------------------------------

TEST(PainterBorders, Golden) {
  Painter painter;
  Paper paper(110, 40, 0x4070B0);  // a blue that none of the system colours matches
  using S = TcxContainerBorderStyle;
  const S styles[] = {S::cbsNone, S::cbsSingle, S::cbsThick, S::cbsFlat, S::cbs3D, S::cbsUltraFlat, S::cbsOffice11};
  for (int i = 0; i < 7; ++i)
    painter.DrawContainerBorder(paper.c(), TRect{2 + 15 * i, 2, 14 + 15 * i, 14}, styles[i], i == 2 ? 2 : 1,
                                clNavy, core::cxBordersAll);
  painter.DrawContainerBorder(paper.c(), TRect{2, 18, 14, 30}, S::cbs3D, 1, clNavy,
                              core::TcxBorders{core::TcxBorder::bLeft, core::TcxBorder::bTop});
  painter.DoDrawSeparator(paper.c(), TRect{18, 18, 30, 21}, false);
  painter.DrawLabelLine(paper.c(), TRect{34, 20, 60, 22}, clDefault, clDefault, false);
  painter.DrawLabelLine(paper.c(), TRect{64, 18, 66, 38}, clMaroon, clYellow, true);
  EXPECT_TRUE(paper.Golden("painter_basic_borders"));
}

TEST(PainterBorders, SeparatorBounds) {
  Painter painter;
  struct Case {
    TRect r;
    int width;
    bool vertical;
    TRect expected;
  } cases[] = {
      {{0, 0, 10, 20}, 2, true, {4, 0, 6, 20}},
      {{0, 0, 11, 20}, 2, true, {4, 0, 6, 20}},
      {{0, 0, 10, 20}, 3, false, {0, 9, 10, 12}},
      {{-11, 0, 0, 4}, 2, true, {-7, 0, -5, 4}},  // the centre -5.5 rounds down to -6
      {{0, 0, 10, 20}, 0, true, {5, 0, 5, 20}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(painter.GetSeparatorBounds(c.r, c.width, c.vertical), c.expected) << c.r.left << " " << c.width;
}

// ---- measures ----------------------------------------------------------------------------------

TEST(PainterBasicMeasures, BaseValues) {
  Painter painter;
  struct Case {
    const char* name;
    std::function<int()> get;
    int expected;
  } cases[] = {
      {"BorderSize", [&] { return painter.BorderSize(); }, 0},
      {"SeparatorSize", [&] { return painter.SeparatorSize(); }, 0},
      {"ButtonBorderSize", [&] { return painter.ButtonBorderSize(); }, 0},
      {"ButtonTextOffset", [&] { return painter.ButtonTextOffset(); }, 0},
      {"ButtonTextShift", [&] { return painter.ButtonTextShift(); }, 0},
      {"DropDownRightPart", [&] { return painter.GetDropDownButtonRightPartSize(); }, 15},
      {"ExpandButtonSize", [&] { return painter.ExpandButtonSize(); }, 0},
      {"ExpandButtonAreaSize", [&] { return painter.ExpandButtonAreaSize(); }, 0},
      {"GroupExpandButtonSize", [&] { return painter.GroupExpandButtonSize(); }, 15},
      {"SmallExpandButtonSize", [&] { return painter.SmallExpandButtonSize(); }, 9},
      {"CheckBorderSize", [&] { return painter.CheckBorderSize(); }, 2},
      {"ThumbPercentsWidth", [&] { return painter.GetToggleSwitchThumbPercentsWidth(); }, 50},
      {"LabelLineHeight", [&] { return painter.LabelLineHeight(); }, 2},
      {"GlyphWidth", [&] { return painter.GetCommandLinkGlyphSize().cx; }, 20},
      {"GlyphHeight", [&] { return painter.GetCommandLinkGlyphSize().cy; }, 20},
      {"HotTrack", [&] { return int(painter.IsButtonHotTrack()); }, 0},
      {"ExpandButtonFirst", [&] { return int(painter.DrawExpandButtonFirst()); }, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.get(), c.expected) << c.name;
  EXPECT_EQ(painter.GetCommandLinkMargins(), (TRect{7, 10, 7, 10}));
  EXPECT_EQ(painter.ButtonFocusRect(nullptr, TRect{0, 0, 20, 12}), (TRect{4, 4, 16, 8}));
  EXPECT_EQ(painter.ButtonFocusRect(nullptr, TRect{0, 0, 20, 8}), (TRect{0, 0, 20, 8}));
}

TEST(PainterBasicMeasures, StateColours) {
  Painter painter;
  const BS states[] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  // Check-box fill by state (rows) and check state (columns).
  const TColor checkFill[5][3] = {{clWindow, clWindow, clWindow},
                                  {clWindow, clWindow, clBtnFace},
                                  {clWindow, clWindow, clWindow},
                                  {clBtnFace, clBtnFace, clBtnFace},
                                  {clBtnFace, clBtnFace, clBtnFace}};
  const TColor radioBody[5] = {clWindow, clWindow, clWindow, clBtnFace, clBtnFace};
  const TColor symbolRed[5] = {clRed, clRed, clRed, clRed, clBtnShadow};
  const TColor symbolDefault[5] = {clBtnText, clBtnText, clBtnText, clBtnText, clBtnShadow};
  for (int s = 0; s < 5; ++s) {
    SCOPED_TRACE(::testing::Message() << "state " << s);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(painter.CheckButtonColor(states[s], CS(k)), checkFill[s][k]) << k;
    EXPECT_EQ(painter.RadioButtonBodyColor(states[s]), radioBody[s]);
    EXPECT_EQ(painter.ButtonSymbolColor(states[s], clRed), symbolRed[s]);
    EXPECT_EQ(painter.ButtonSymbolColor(states[s]), symbolDefault[s]);
    EXPECT_EQ(painter.DefaultCommandLinkTextColor(states[s], clRed), symbolRed[s]);
    EXPECT_EQ(painter.ButtonColor(states[s]), clBtnFace);
    EXPECT_EQ(painter.ButtonSymbolState(states[s]), states[s]);
    EXPECT_EQ(painter.ButtonDescriptionTextColor(states[s], clLime), clLime);
  }
  EXPECT_EQ(painter.ToggleSwitchToggleColor(true), clBlack);
  EXPECT_EQ(painter.ToggleSwitchToggleColor(false), clBlack);
}

TEST(PainterBasicMeasures, TouchModeRaisesAreaSizes) {
  class SizedPainter : public Painter {
   public:
    int ExpandButtonSize() override { return 11; }
    TSize CheckButtonSize() override { return TSize{13, 0}; }
  } painter;
  const bool saved = cxIsTouchModeEnabled;
  cxIsTouchModeEnabled = false;
  EXPECT_EQ(painter.ExpandButtonAreaSize(), 11);
  EXPECT_EQ(painter.CheckButtonAreaSize(), (TSize{13, 0}));
  cxIsTouchModeEnabled = true;
  EXPECT_EQ(painter.ExpandButtonAreaSize(), 27);
  EXPECT_EQ(painter.CheckButtonAreaSize(), (TSize{27, 0}));  // a zero side stays zero
  cxIsTouchModeEnabled = saved;
}

TEST(PainterBasicMeasures, GroupExpandButtonHitTest) {
  Painter painter;
  const TRect r{10, 10, 25, 25};
  struct Case {
    TPoint p;
    bool inside;
  } cases[] = {{{10, 10}, true}, {{24, 24}, true}, {{25, 12}, false}, {{12, 25}, false}, {{9, 12}, false}};
  for (const Case& c : cases)
    EXPECT_EQ(painter.IsPointOverGroupExpandButton(r, c.p), c.inside) << c.p.x << "," << c.p.y;
}

// ---- backgrounds and cell content --------------------------------------------------------------

TEST(PainterContent, BackgroundAndContent) {
  Painter painter;
  TBitmap tile;
  tile.SetPixelFormat(pf32bit);
  tile.SetSize(2, 1);
  tile.Canvas()->SetPixels(0, 0, clRed);
  tile.Canvas()->SetPixels(1, 0, clBlue);
  struct Case {
    const char* name;
    bool transparent;
    TBitmap* bitmap;
    int red, blue, yellow;  // pixels of the 8 x 4 area
  } cases[] = {
      {"opaque", false, &tile, 0, 0, 32},
      {"tiled", true, &tile, 16, 16, 0},
      {"transparent", true, nullptr, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Paper paper(12, 8);
    painter.DrawBackground(paper.c(), TRect{2, 2, 10, 6}, c.transparent, clYellow, c.bitmap);
    EXPECT_EQ(paper.Count(TRect{0, 0, 12, 8}, rgbOf(clRed)), c.red) << c.name;
    EXPECT_EQ(paper.Count(TRect{0, 0, 12, 8}, rgbOf(clBlue)), c.blue) << c.name;
    EXPECT_EQ(paper.Count(TRect{0, 0, 12, 8}, rgbOf(clYellow)), c.yellow) << c.name;
    // Tiles are anchored at the logical origin: column 2 starts with the red pixel.
    if (c.red) {
      EXPECT_EQ(paper.At(2, 2), rgbOf(clRed));
    }
  }

  // The cell: an event that paints the background itself keeps the fill away.
  struct Event {
    const char* name;
    int answer;  // -1 no event
    bool filled;
  } events[] = {{"no event", -1, true}, {"event declines", 0, true}, {"event paints", 1, false}};
  for (const Event& e : events) {
    Paper paper(40, 20);
    int calls = 0;
    const TcxDrawBackgroundEvent handler =
        e.answer < 0 ? TcxDrawBackgroundEvent()
                     : TcxDrawBackgroundEvent::fromClosure(&calls, [&](TcxCanvas*, const TRect& ABounds) {
                         ++calls;
                         EXPECT_EQ(ABounds, (TRect{0, 0, 40, 20}));
                         return e.answer == 1;
                       });
    painter.DrawContent(paper.c(), TRect{0, 0, 40, 20}, TRect{2, 2, 38, 18}, 0, taCenter, core::vaCenter, false,
                        false, u"Ab", paper.c()->Font(), clRed, clYellow, handler);
    EXPECT_EQ(calls, e.answer < 0 ? 0 : 1) << e.name;
    EXPECT_EQ(paper.Count(TRect{0, 0, 40, 2}, rgbOf(clYellow)), e.filled ? 80 : 0) << e.name;
    EXPECT_GT(paper.Count(TRect{2, 2, 38, 18}, rgbOf(clRed)), 0) << e.name;
    EXPECT_EQ(paper.c()->Brush()->Style(), bsSolid) << e.name;
  }
}

// ---- command-link glyph and radio buttons --------------------------------------------------------

TEST(PainterCommandLink, GlyphFramesByState) {
  Painter painter;
  Paper paper(46, 24);
  painter.DrawCommandLinkGlyph(paper.c(), TPoint{2, 2}, BS::cxbsNormal);
  painter.DrawCommandLinkGlyph(paper.c(), TPoint{24, 2}, BS::cxbsHot);
  const int normal = paper.CountNot(TRect{2, 2, 22, 22}, kPaper);
  EXPECT_GT(normal, 20);
  EXPECT_EQ(paper.CountNot(TRect{24, 2, 44, 22}, kPaper), normal);  // the same arrow in the hot colour
  EXPECT_NE(paper.At(12, 11), paper.At(34, 11));
  EXPECT_EQ(paper.CountNot(TRect{0, 0, 46, 24}, kPaper),
            normal + paper.CountNot(TRect{24, 2, 44, 22}, kPaper));  // nothing outside the glyphs
}

TEST(PainterRadio, DrawsTheSharedGlyphInsideItsSize) {
  Painter painter;
  const TSize size = painter.RadioButtonSize();
  ASSERT_GT(size.cx, 0);
  ASSERT_GT(size.cy, 0);
  Paper paper(size.cx + 8, size.cy + 8);
  painter.DrawRadioButton(paper.c(), 4, 4, BS::cxbsNormal, true, false, clLime, false);
  const TRect glyph{4, 4, 4 + size.cx, 4 + size.cy};
  EXPECT_GT(paper.CountNot(glyph, kPaper), 0);
  EXPECT_EQ(paper.CountNot(TRect{0, 0, size.cx + 8, size.cy + 8}, kPaper), paper.CountNot(glyph, kPaper));
}

// ---- degenerate and huge rectangles ----------------------------------------------------------------

// Every drawing operation of these families, on an empty, an inverted and a
// huge rectangle: nothing is raised, and no pixel outside the clip changes.
TEST(PainterBasicSafety, DegenerateRectanglesStayInsideTheClip) {
  Painter painter;
  TBitmap tile;
  tile.SetPixelFormat(pf32bit);
  tile.SetSize(1, 1);
  TFont font;
  using Op = std::function<void(TcxCanvas*, const TRect&)>;
  const struct {
    const char* name;
    Op draw;
  } ops[] = {
      {"DrawBackground", [&](TcxCanvas* c, const TRect& r) { painter.DrawBackground(c, r, false, clRed, nullptr); }},
      {"DrawBackgroundTiled", [&](TcxCanvas* c, const TRect& r) { painter.DrawBackground(c, r, true, clRed, &tile); }},
      {"DrawButtonArrow", [&](TcxCanvas* c, const TRect& r) { painter.DrawButtonArrow(c, r, clRed); }},
      {"DrawContent",
       [&](TcxCanvas* c, const TRect& r) {
         painter.DrawContent(c, r, r, 0, taLeftJustify, core::vaTop, true, true, u"Text", &font, clRed, clBlue);
       }},
      {"DrawArrow", [&](TcxCanvas* c, const TRect& r) { painter.DrawArrow(c, r, AD::adLeft, clRed); }},
      {"DrawArrowState", [&](TcxCanvas* c, const TRect& r) { painter.DrawArrow(c, r, BS::cxbsHot, AD::adUp); }},
      {"DrawArrowBorder", [&](TcxCanvas* c, const TRect& r) { painter.DrawArrowBorder(c, r, BS::cxbsNormal); }},
      {"DrawCollapseArrow", [&](TcxCanvas* c, const TRect& r) { painter.DrawCollapseArrow(c, r, clRed, 2); }},
      {"DrawScrollBarArrow",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawScrollBarArrow(c, r, BS::cxbsDisabled, AD::adRight); }},
      {"DrawBorder", [&](TcxCanvas* c, const TRect& r) { painter.DrawBorder(c, r); }},
      {"DrawContainerBorder3D",
       [&](TcxCanvas* c, const TRect& r) {
         painter.DrawContainerBorder(c, r, TcxContainerBorderStyle::cbs3D, 1, clRed, core::cxBordersAll);
       }},
      {"DrawContainerBorderThick",
       [&](TcxCanvas* c, const TRect& r) {
         painter.DrawContainerBorder(c, r, TcxContainerBorderStyle::cbsThick, 3, clRed, core::cxBordersAll);
       }},
      {"DrawSeparator", [&](TcxCanvas* c, const TRect& r) { painter.DrawSeparator(c, r, true); }},
      {"DoDrawSeparator", [&](TcxCanvas* c, const TRect& r) { painter.DoDrawSeparator(c, r, false); }},
      {"DrawButton", [&](TcxCanvas* c, const TRect& r) { painter.DrawButton(c, r, u"&Caption", BS::cxbsPressed); }},
      {"DrawButtonCross", [&](TcxCanvas* c, const TRect& r) { painter.DrawButtonCross(c, r, clRed, BS::cxbsNormal); }},
      {"DrawExpandButton", [&](TcxCanvas* c, const TRect& r) { painter.DrawExpandButton(c, r, true, clRed); }},
      {"DrawExpandButtonEx",
       [&](TcxCanvas* c, const TRect& r) {
         painter.DrawExpandButtonEx(c, r, BS::cxbsNormal, false, core::TcxRotationAngle::raPlus90);
       }},
      {"DrawGroupExpandButton",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawGroupExpandButton(c, r, true, BS::cxbsHot); }},
      {"DrawSmallExpandButton",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawSmallExpandButton(c, r, false, clRed, clBlue); }},
      {"DrawExpandButtonCross",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawExpandButtonCross(c, r, false, clRed); }},
      {"DrawExpandMark", [&](TcxCanvas* c, const TRect& r) { painter.DrawExpandMark(c, r, clRed, true); }},
      {"DrawCommandLinkBackground",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawCommandLinkBackground(c, r, BS::cxbsNormal, clRed); }},
      {"DrawCommandLinkGlyph",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawCommandLinkGlyph(c, TPoint{r.left, r.top}, BS::cxbsHot); }},
      {"DrawCheck",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawCheck(c, r, BS::cxbsNormal, CS::cbsGrayed, clRed); }},
      {"DrawCheckBorder", [&](TcxCanvas* c, const TRect& r) { painter.DrawCheckBorder(c, r, BS::cxbsNormal); }},
      {"DrawCheckButton",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawCheckButton(c, r, BS::cxbsDisabled, true); }},
      {"DrawToggleSwitch",
       [&](TcxCanvas* c, const TRect& r) {
         painter.DrawToggleSwitch(c, r, BS::cxbsNormal, TRect{r.left + 1, r.top, r.right - 1, r.bottom});
       }},
      {"DrawToggleSwitchStateIndicator",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawToggleSwitchStateIndicator(c, r, u"Off", &font); }},
      {"DrawToggleSwitchThumb",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawToggleSwitchThumb(c, r, BS::cxbsPressed); }},
      {"DrawRadioButton",
       [&](TcxCanvas* c, const TRect& r) {
         painter.DrawRadioButton(c, r.left, r.top, BS::cxbsNormal, true, true, clRed, false);
       }},
      {"DrawLabelLine",
       [&](TcxCanvas* c, const TRect& r) { painter.DrawLabelLine(c, r, clDefault, clRed, true); }},
  };
  const struct {
    const char* name;
    TRect r;
  } rects[] = {
      {"empty", {20, 20, 20, 20}},
      {"inverted", {40, 40, 10, 10}},
      {"huge", {-100000, -100000, 100000, 100000}},  // far past any surface and 16-bit coordinates
      {"across the clip", {8, 8, 40, 30}},
  };
  const TRect clip{16, 16, 48, 48};
  for (const auto& op : ops)
    for (const auto& rect : rects) {
      SCOPED_TRACE(::testing::Message() << op.name << " on the " << rect.name << " rectangle");
      Paper paper(64, 64, kSentinel);
      paper.c()->IntersectClipRect(clip);
      EXPECT_NO_THROW(op.draw(paper.c(), rect.r));
      const int outside = paper.Count(TRect{0, 0, 64, 64}, kSentinel) - paper.Count(clip, kSentinel);
      EXPECT_EQ(outside, 64 * 64 - 32 * 32);
    }
}

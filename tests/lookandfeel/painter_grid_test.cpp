// The base painter's grid elements: how headers, footers, indicator cells,
// panels and card records are composed of the finer operations (so that a
// built-in painter overriding one of those changes every element that uses
// it), their measures and bounds, the pixels of what the base draws itself,
// and that no operation draws outside its clip for degenerate rectangles.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "tests/support/golden.h"

using namespace lookandfeel;
using namespace ui;
using core::TcxBorder;
using core::TcxBorders;
using core::TcxCanvas;

namespace {

using GridPainter = TcxCustomLookAndFeelPainter;
using BS = TcxButtonState;
using VA = core::TcxAlignmentVert;

constexpr std::uint32_t kGridWhite = 0xFFFFFF;
constexpr TColor gridRgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

// A white 32-bit bitmap with the library canvas over it.
class GridPaper {
 public:
  GridPaper(int w, int h) : w_(w), h_(h) {
    bmp_.SetPixelFormat(ui::pf32bit);
    bmp_.SetSize(w, h);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, w, h}, clWhite);
  }
  TcxCanvas* c() { return canvas_.get(); }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  gdi::ImageBGRA Image() { return gdi::CaptureBitmap(bmp_.Handle()); }
  std::vector<std::uint32_t> Pixels() {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) out.push_back(At(x, y));
    return out;
  }
  // Pixels outside `clip` that are no longer white.
  int ChangedOutside(const TRect& clip) {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        if (!inside && At(x, y) != kGridWhite) ++n;
      }
    return n;
  }

 private:
  int w_, h_;
  TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

std::string str(const TRect& r) {
  std::ostringstream out;
  out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
  return out.str();
}
std::string str(TcxBorders b) {
  std::string out;
  if (b.contains(TcxBorder::bLeft)) out += "L";
  if (b.contains(TcxBorder::bTop)) out += "T";
  if (b.contains(TcxBorder::bRight)) out += "R";
  if (b.contains(TcxBorder::bBottom)) out += "B";
  return out.empty() ? "-" : out;
}
std::string str(TcxNeighbors n) {
  std::string out;
  if (n.contains(TcxNeighbor::nLeft)) out += "l";
  if (n.contains(TcxNeighbor::nTop)) out += "t";
  if (n.contains(TcxNeighbor::nRight)) out += "r";
  if (n.contains(TcxNeighbor::nBottom)) out += "b";
  return out.empty() ? "-" : out;
}
std::string str(const String& s) { return std::string(s.begin(), s.end()); }

// A painter with borders of its own (so that content bounds differ from the
// bounds) whose finer operations write what they were given.
class GridRecordingPainter : public GridPainter {
 public:
  std::vector<std::string> log;

  int HeaderBorderSize() override { return 1; }
  // A left neighbour draws the shared left edge.
  TcxBorders HeaderBorders(TcxNeighbors ANeighbors) override {
    TcxBorders b = core::cxBordersAll;
    if (ANeighbors.contains(TcxNeighbor::nLeft)) b.Exclude(TcxBorder::bLeft);
    if (ANeighbors.contains(TcxNeighbor::nTop)) b.Exclude(TcxBorder::bTop);
    return b;
  }
  int FooterCellBorderSize() override { return 1; }
  int FooterSeparatorSize() override { return 2; }
  int HeaderControlSectionBorderSize(BS AState) override { return AState == BS::cxbsPressed ? 2 : 1; }

  void DrawHeader(TcxCanvas* C, const TRect& B, const TRect& T, TcxNeighbors N, TcxBorders Bo, BS S,
                  TAlignment H, VA V, bool M, bool E, const String& Tx, TFont* F, TColor TC, TColor BC,
                  TcxDrawBackgroundEvent D, bool L, bool G) override {
    std::ostringstream o;
    o << "Header " << str(B) << " " << str(T) << " " << str(N) << " " << str(Bo) << " s" << int(S) << " h"
      << int(H) << " v" << int(V) << " m" << M << " e" << E << " '" << str(Tx) << "' f" << (F != nullptr)
      << " tc" << std::hex << TC << " bc" << BC << std::dec << " d" << bool(D) << " last" << L << " group" << G;
    log.push_back(o.str());
    GridPainter::DrawHeader(C, B, T, N, Bo, S, H, V, M, E, Tx, F, TC, BC, D, L, G);
  }
  void DrawHeaderBorder(TcxCanvas*, const TRect& R, TcxNeighbors N, TcxBorders B) override {
    log.push_back("HeaderBorder " + str(R) + " " + str(N) + " " + str(B));
  }
  void DrawContent(TcxCanvas*, const TRect& B, const TRect& T, int S, TAlignment H, VA V, bool M, bool E,
                   const String& Tx, TFont* F, TColor TC, TColor BC, TcxDrawBackgroundEvent D,
                   bool AIsFooter) override {
    std::ostringstream o;
    o << "Content " << str(B) << " " << str(T) << " s" << S << " h" << int(H) << " v" << int(V) << " m" << M
      << " e" << E << " '" << str(Tx) << "' f" << (F != nullptr) << " tc" << std::hex << TC << " bc" << BC
      << std::dec << " d" << bool(D) << " footer" << AIsFooter;
    log.push_back(o.str());
  }
  void DrawBackground(TcxCanvas*, const TRect& R, bool T, TColor C, TBitmap* B) override {
    std::ostringstream o;
    o << "Background " << str(R) << " t" << T << " c" << std::hex << C << " b" << (B != nullptr);
    log.push_back(o.str());
  }
  void DrawIndicatorImage(TcxCanvas*, const TRect& R, TcxIndicatorKind K) override {
    log.push_back("IndicatorImage " + str(R) + " k" + std::to_string(int(K)));
  }
  void DrawFooterCellBorder(TcxCanvas*, const TRect& R) override { log.push_back("FooterCellBorder " + str(R)); }
  void DrawFooterBorder(TcxCanvas*, const TRect& R) override { log.push_back("FooterBorder " + str(R)); }
  void DrawFooterSeparator(TcxCanvas*, const TRect& R) override { log.push_back("FooterSeparator " + str(R)); }
  void DrawHeaderControlSectionBorder(TcxCanvas*, const TRect& R, TcxBorders B, BS S) override {
    log.push_back("SectionBorder " + str(R) + " " + str(B) + " s" + std::to_string(int(S)));
  }
  void DrawHeaderControlSectionText(TcxCanvas*, const TRect& T, BS S, TAlignment, VA, bool, bool, const String& Tx,
                                    TFont*, TColor) override {
    log.push_back("SectionText " + str(T) + " s" + std::to_string(int(S)) + " '" + str(Tx) + "'");
  }
  void DrawGroupExpandButton(TcxCanvas*, const TRect& R, bool AExpanded, BS S) override {
    log.push_back("GroupExpandButton " + str(R) + " x" + std::to_string(AExpanded) + " s" + std::to_string(int(S)));
  }
  void DrawFilterSmartTagGlyph(TcxCanvas*, const TRect& R, TcxFilterSmartTagState S, bool A) override {
    log.push_back("SmartTagGlyph " + str(R) + " s" + std::to_string(int(S)) + " a" + std::to_string(A));
  }
};

bool paintsNothing(TcxCanvas*, const TRect&) { return true; }

struct CompositionCase {
  const char* name;
  std::function<void(GridRecordingPainter&, TcxCanvas*)> draw;
  std::vector<std::string> expected;
};

}  // namespace

// Every composed element reaches its parts with the rectangles and
// arguments the rules give; a descendant that overrides a part changes
// every element built on it.
TEST(PainterGrid, ElementsAreComposedOfTheirParts) {
  const TRect r{10, 20, 50, 40};
  const auto onDraw = TcxDrawBackgroundEvent::fromFunction(&paintsNothing);
  TFont font;
  const CompositionCase cases[] = {
      {"header: border on the bounds, content inside the drawn borders, state 0",
       [&](GridRecordingPainter& p, TcxCanvas* c) {
         p.DrawHeader(c, r, TRect{12, 22, 48, 38}, TcxNeighbors{TcxNeighbor::nLeft},
                      TcxBorders{TcxBorder::bLeft, TcxBorder::bBottom},
                      BS::cxbsHot, taCenter, VA::vaBottom, true, true, u"Ab", &font, clRed, clBlue, onDraw, true,
                      true);
       },
       {"Header (10,20,50,40) (12,22,48,38) l LB s2 h2 v1 m1 e1 'Ab' f1 tcff bcff0000 d1 last1 group1",
        "HeaderBorder (10,20,50,40) l LB", "Content (11,20,50,39) (12,22,48,38) s0 h2 v1 m1 e1 'Ab' f1 tcff "
                                          "bcff0000 d1 footer0"}},
      {"header ex: a header that is neither last nor a group",
       [&](GridRecordingPainter& p, TcxCanvas* c) {
         p.DrawHeaderEx(c, r, r, TcxNeighbors{}, core::cxBordersAll, BS::cxbsPressed, taRightJustify, VA::vaCenter,
                        false, false, u"x", nullptr, clBlack, clWhite);
       },
       {"Header (10,20,50,40) (10,20,50,40) - LTRB s3 h1 v2 m0 e0 'x' f0 tc0 bcffffff d0 last0 group0",
        "HeaderBorder (10,20,50,40) - LTRB", "Content (11,21,49,39) (10,20,50,40) s0 h1 v2 m0 e0 'x' f0 tc0 "
                                             "bcffffff d0 footer0"}},
      {"filter row separator: an empty normal header with all borders",
       [&](GridRecordingPainter& p, TcxCanvas* c) { p.DrawFilterRowSeparator(c, r, clYellow); },
       {"Header (10,20,50,40) (10,20,50,40) - LTRB s1 h0 v0 m0 e0 '' f0 tcff000008 bcffff d0 last0 group0",
        "HeaderBorder (10,20,50,40) - LTRB", "Content (11,21,49,39) (10,20,50,40) s0 h0 v0 m0 e0 '' f0 tcff000008 "
                                             "bcffff d0 footer0"}},
      {"indicator item: header borders as between a row above and below, then the image",
       [&](GridRecordingPainter& p, TcxCanvas* c) { p.DrawIndicatorItem(c, r, TcxIndicatorKind::ikEdit, clAqua, onDraw); },
       {"Header (10,20,50,40) (10,20,50,40) - LRB s1 h0 v0 m0 e0 '' f0 tc1fffffff bcffff00 d1 last0 group0",
        "HeaderBorder (10,20,50,40) - LRB", "Content (11,20,49,39) (10,20,50,40) s0 h0 v0 m0 e0 '' f0 tc1fffffff "
                                            "bcffff00 d1 footer0",
        "IndicatorImage (10,20,50,40) k2"}},
      {"indicator item ex: all four borders through the header ex",
       [&](GridRecordingPainter& p, TcxCanvas* c) { p.DrawIndicatorItemEx(c, r, TcxIndicatorKind::ikNone, clAqua); },
       {"Header (10,20,50,40) (10,20,50,40) - LTRB s1 h0 v0 m0 e0 '' f0 tc1fffffff bcffff00 d0 last0 group0",
        "HeaderBorder (10,20,50,40) - LTRB", "Content (11,21,49,39) (10,20,50,40) s0 h0 v0 m0 e0 '' f0 tc1fffffff "
                                             "bcffff00 d0 footer0",
        "IndicatorImage (10,20,50,40) k0"}},
      {"footer cell: border, then content and a text area 2 pixels further in, as a footer without ellipsis",
       [&](GridRecordingPainter& p, TcxCanvas* c) {
         p.DrawFooterCell(c, r, taRightJustify, VA::vaCenter, true, u"12", &font, clRed, clBlue, onDraw);
       },
       {"FooterCellBorder (10,20,50,40)", "Content (11,21,49,39) (13,23,47,37) s0 h1 v2 m1 e0 '12' f1 tcff "
                                          "bcff0000 d1 footer1"}},
      {"footer border ex: the separator band on top, the border below it",
       [&](GridRecordingPainter& p, TcxCanvas* c) { p.DrawFooterBorderEx(c, r, TcxBorders{TcxBorder::bTop}); },
       {"FooterSeparator (10,20,50,22)", "FooterBorder (10,22,50,40)"}},
      {"find panel border: the footer's border",
       [&](GridRecordingPainter& p, TcxCanvas* c) { p.DrawFindPanelBorder(c, r, core::cxBordersAll); },
       {"FooterSeparator (10,20,50,22)", "FooterBorder (10,22,50,40)"}},
      {"group-by box, filter panel and find panel: the background",
       [&](GridRecordingPainter& p, TcxCanvas* c) {
         p.DrawGroupByBox(c, r, true, clRed, nullptr);
         p.DrawFilterPanel(c, r, false, clLime, nullptr);
         p.DrawFindPanel(c, r, true, clBlue, nullptr);
       },
       {"Background (10,20,50,40) t1 cff b0", "Background (10,20,50,40) t0 cff00 b0",
        "Background (10,20,50,40) t1 cff0000 b0"}},
      {"header-control section: border on the bounds, content less the state's border, text area shifted when "
       "pressed",
       [&](GridRecordingPainter& p, TcxCanvas* c) {
         p.DrawHeaderControlSection(c, r, TRect{14, 24, 46, 36}, TcxNeighbors{TcxNeighbor::nLeft},
                                    TcxBorders{TcxBorder::bRight}, BS::cxbsPressed, taLeftJustify, VA::vaTop, false,
                                    false, u"S", nullptr, clBlack, clNone);
         p.DrawHeaderControlSection(c, r, TRect{14, 24, 46, 36}, TcxNeighbors{}, core::cxBordersAll, BS::cxbsHot,
                                    taLeftJustify, VA::vaTop, false, false, u"S", nullptr, clBlack, clNone);
       },
       {"SectionBorder (10,20,50,40) R s3", "SectionText (15,25,47,37) s3 'S'", "SectionBorder (10,20,50,40) LTRB s2",
        "SectionText (14,24,46,36) s2 'S'"}},
      {"card expand button: the group expand button with the state last",
       [&](GridRecordingPainter& p, TcxCanvas* c) { p.LayoutViewDrawRecordExpandButton(c, r, BS::cxbsHot, true); },
       {"GroupExpandButton (10,20,50,40) x1 s2"}},
      {"smart tag: the glyph in the same rectangle and state",
       [&](GridRecordingPainter& p, TcxCanvas* c) {
         p.DrawFilterSmartTag(c, r, TcxFilterSmartTagState::fstsPressed, true);
       },
       {"SmartTagGlyph (10,20,50,40) s2 a1"}},
  };
  for (const auto& k : cases) {
    GridPaper paper(64, 64);
    GridRecordingPainter p;
    k.draw(p, paper.c());
    EXPECT_EQ(p.log, k.expected) << k.name;
  }
}

// ---- measures -----------------------------------------------------------------------------------

namespace {

// A painter with borders of its own, for the bounds rules.
class BorderedPainter : public GridPainter {
 public:
  int HeaderBorderSize() override { return 2; }
  TcxBorders HeaderBorders(TcxNeighbors ANeighbors) override {
    TcxBorders b = core::cxBordersAll;
    if (ANeighbors.contains(TcxNeighbor::nLeft)) b.Exclude(TcxBorder::bLeft);
    return b;
  }
  int FooterCellBorderSize() override { return 1; }
  int HeaderControlSectionBorderSize(BS AState) override { return AState == BS::cxbsPressed ? 3 : 1; }
};

struct TouchScope {
  explicit TouchScope(bool on) : saved(cxIsTouchModeEnabled) { cxIsTouchModeEnabled = on; }
  ~TouchScope() { cxIsTouchModeEnabled = saved; }
  bool saved;
};

}  // namespace

TEST(PainterGrid, BaseMeasures) {
  struct Case {
    const char* name;
    bool touch;
    std::function<TSize(GridPainter&)> get;
    TSize expected;
  } cases[] = {
      {"header height of a 13-pixel font", false, [](GridPainter& p) { return TSize{p.HeaderHeight(13), 0}; }, {17, 0}},
      {"header height in touch mode", true, [](GridPainter& p) { return TSize{p.HeaderHeight(13), 0}; }, {27, 0}},
      {"tall header height in touch mode", true, [](GridPainter& p) { return TSize{p.HeaderHeight(30), 0}; }, {34, 0}},
      {"sorting mark area", false, [](GridPainter& p) { return p.SortingMarkAreaSize(); }, {16, 0}},
      {"sorting mark area in touch mode", true, [](GridPainter& p) { return p.SortingMarkAreaSize(); }, {20, 0}},
      {"sorting marks", false, [](GridPainter& p) { return p.SortingMarkSize(); }, {0, 0}},
      {"summary sorting marks", false, [](GridPainter& p) { return p.SummarySortingMarkSize(); }, {0, 0}},
      {"filter activate button", true, [](GridPainter& p) { return p.FilterActivateButtonSize(); }, {13, 13}},
      {"filter close button", true, [](GridPainter& p) { return p.FilterCloseButtonSize(); }, {16, 14}},
      {"filter drop-down button", false, [](GridPainter& p) { return p.FilterDropDownButtonSize(); }, {15, 0}},
      {"filter drop-down button in touch mode: the width only", true,
       [](GridPainter& p) { return p.FilterDropDownButtonSize(); }, {27, 0}},
      {"smart tag", false, [](GridPainter& p) { return p.FilterSmartTagSize(); }, {10, 10}},
      {"header and section borders", false,
       [](GridPainter& p) { return TSize{p.HeaderBorderSize(), p.HeaderControlSectionBorderSize(BS::cxbsPressed)}; },
       {0, 1}},
      {"footer borders and cell offset", false,
       [](GridPainter& p) { return TSize{p.FooterBorderSize() + p.FooterCellBorderSize(), p.FooterCellOffset()}; },
       {0, 0}},
      {"footer separator and grid border overlap", false,
       [](GridPainter& p) { return TSize{p.FooterSeparatorSize(), p.GridBordersOverlapSize()}; }, {1, 0}},
      {"card caption tail", false,
       [](GridPainter& p) { return TSize{p.LayoutViewRecordCaptionTailSize(TcxGroupBoxCaptionPosition::cxgpLeft), 0}; },
       {0, 0}},
  };
  for (const auto& k : cases) {
    TouchScope touch(k.touch);
    GridPainter p;
    const TSize got = k.get(p);
    EXPECT_EQ(got.cx, k.expected.cx) << k.name;
    EXPECT_EQ(got.cy, k.expected.cy) << k.name;
  }
  GridPainter p;
  for (auto element : {TcxLayoutElement::leGroup, TcxLayoutElement::leItem}) {
    EXPECT_EQ(str(p.LayoutViewGetPadding(element)), "(0,0,0,0)");
    EXPECT_EQ(str(p.LayoutViewGetSpacing(element)), "(0,0,0,0)");
  }
  EXPECT_EQ(p.FooterSeparatorColor(), clBtnShadow);
  EXPECT_EQ(str(p.FooterBorders()), "LTRB");
  EXPECT_EQ(str(p.HeaderBorders(TcxNeighbors{TcxNeighbor::nLeft, TcxNeighbor::nTop})), "LTRB");
  EXPECT_TRUE(p.HeaderDrawCellsFirst() && p.FooterDrawCellsFirst() && p.IndicatorDrawItemsFirst());
  EXPECT_FALSE(p.IsHeaderHotTrack());
}

TEST(PainterGrid, BoundsFollowThePaintersBorders) {
  const TRect r{10, 20, 50, 40};
  struct Case {
    const char* name;
    std::function<TRect(GridPainter&)> get;
    const char* base;      // the base painter (no borders)
    const char* bordered;  // BorderedPainter
  } cases[] = {
      // Grows only on the sides the header itself draws (in ABorders) that HeaderBorders leaves out.
      {"header bounds, no neighbours", [&](GridPainter& p) { return p.HeaderBounds(r, TcxNeighbors{}); },
       "(10,20,50,40)", "(10,20,50,40)"},
      {"header bounds, a left neighbour",
       [&](GridPainter& p) { return p.HeaderBounds(r, TcxNeighbors{TcxNeighbor::nLeft}); },
       "(10,20,50,40)", "(8,20,50,40)"},
      {"header bounds, a left neighbour, no left border",
       [&](GridPainter& p) {
         return p.HeaderBounds(r, TcxNeighbors{TcxNeighbor::nLeft}, TcxBorders{TcxBorder::bTop, TcxBorder::bRight});
       },
       "(10,20,50,40)", "(10,20,50,40)"},
      {"header content, all borders", [&](GridPainter& p) { return p.HeaderContentBounds(r, core::cxBordersAll); },
       "(10,20,50,40)", "(12,22,48,38)"},
      {"header content, right and bottom",
       [&](GridPainter& p) { return p.HeaderContentBounds(r, TcxBorders{TcxBorder::bRight, TcxBorder::bBottom}); },
       "(10,20,50,40)", "(10,20,48,38)"},
      {"section content, hot", [&](GridPainter& p) { return p.HeaderControlSectionContentBounds(r, BS::cxbsHot); },
       "(11,21,49,39)", "(11,21,49,39)"},
      {"section content, pressed",
       [&](GridPainter& p) { return p.HeaderControlSectionContentBounds(r, BS::cxbsPressed); }, "(11,21,49,39)",
       "(13,23,47,37)"},
      {"section text area, pressed moves down and right",
       [&](GridPainter& p) { return p.HeaderControlSectionTextAreaBounds(r, BS::cxbsPressed); }, "(11,21,51,41)",
       "(11,21,51,41)"},
      {"section text area, disabled stays",
       [&](GridPainter& p) { return p.HeaderControlSectionTextAreaBounds(r, BS::cxbsDisabled); }, "(10,20,50,40)",
       "(10,20,50,40)"},
      {"footer cell content", [&](GridPainter& p) { return p.FooterCellContentBounds(r); }, "(10,20,50,40)",
       "(11,21,49,39)"},
      {"footer cell text area", [&](GridPainter& p) { return p.FooterCellTextAreaBounds(r); }, "(12,22,48,38)",
       "(13,23,47,37)"},
  };
  for (const auto& k : cases) {
    GridPainter base;
    BorderedPainter bordered;
    EXPECT_EQ(str(k.get(base)), k.base) << k.name;
    EXPECT_EQ(str(k.get(bordered)), k.bordered) << k.name;
  }
  BorderedPainter bordered;
  EXPECT_EQ(bordered.HeaderHeight(13), 21) << "font height + 2 borders + 4";
}

TEST(PainterGrid, HeaderWidthIsTheTextWidthAndTheLeftBorder) {
  GridPaper paper(8, 8);
  TFont font;
  font.SetName(u"Tahoma");
  font.SetHeight(-11);
  paper.c()->SetFont(&font);
  const int text = paper.c()->TextWidth(u"Quantity");
  ASSERT_GT(text, 0);
  BorderedPainter p;
  struct Case {
    TcxBorders borders;
    int expected;
  } cases[] = {
      {TcxBorders{}, text + 4},
      {TcxBorders{TcxBorder::bLeft}, text + 6},
      {TcxBorders{TcxBorder::bRight}, text + 2},
      {core::cxBordersAll, text + 4},
  };
  for (const auto& k : cases)
    EXPECT_EQ(p.HeaderWidth(paper.c(), k.borders, u"Quantity", &font), k.expected) << str(k.borders);
}

// ---- pixels ---------------------------------------------------------------------------------------

namespace {

// Sorting marks of a painter that has them, for the shared arrow helpers.
class MarkedPainter : public GridPainter {
 public:
  TSize mark{7, 4};
  TSize summaryMark{7, 6};
  TSize SortingMarkSize() override { return mark; }
  TSize SummarySortingMarkSize() override { return summaryMark; }
};

}  // namespace

// Four cells per row: the helpers in both directions, even and odd widths,
// two colours so that the strokes can be told apart (and one colour: a
// single line on top of the summary mark).
TEST(PainterGrid, SortingArrowsGolden) {
  GridPaper paper(4 * 12, 3 * 12);
  MarkedPainter p;
  const TColor c1 = gridRgb(200, 0, 0), c2 = gridRgb(0, 0, 200);
  for (int col = 0; col < 4; ++col) {
    const bool ascending = col % 2 == 0;
    // The sizes the built-in painters use.
    p.mark = col < 2 ? TSize{8, 7} : TSize{7, 8};
    p.summaryMark = col < 2 ? TSize{8, 8} : TSize{7, 9};
    const int x = col * 12;
    p.DrawSortingArrow(paper.c(), TRect{x, 0, x + 12, 12}, ascending, c1, c2);
    p.DrawSummarySortingArrow(paper.c(), TRect{x, 12, x + 12, 24}, ascending, c1, c2);
    p.DrawSummarySortingArrow(paper.c(), TRect{x, 24, x + 12, 36}, ascending, c1, c1);
  }
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "grid_sorting_arrows");
}

// Smart tags in each state, filter inactive (top row) and active (bottom),
// and the funnel alone centred in an odd-sized cell.
TEST(PainterGrid, FilterSmartTagsGolden) {
  GridPaper paper(5 * 14, 2 * 14);
  GridPainter p;
  using S = TcxFilterSmartTagState;
  const S states[] = {S::fstsNormal, S::fstsHot, S::fstsPressed, S::fstsParentHot};
  for (int active = 0; active < 2; ++active)
    for (int i = 0; i < 4; ++i)
      p.DrawFilterSmartTag(paper.c(), TRect{i * 14 + 2, active * 14 + 2, i * 14 + 12, active * 14 + 12}, states[i],
                           active == 1);
  p.DrawFilterSmartTagGlyph(paper.c(), TRect{57, 1, 68, 12}, S::fstsNormal, true);
  p.DrawFilterSmartTagGlyph(paper.c(), TRect{57, 15, 68, 26}, S::fstsPressed, false);
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "grid_smart_tags");
}

// Card records: the item in its four states (the hot one framed), the
// caption in three, the content with all and with two borders, and a hot
// border alone.
TEST(PainterGrid, LayoutViewRecordsGolden) {
  GridPaper paper(4 * 14, 3 * 14);
  GridPainter p;
  const BS states[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  auto cell = [](int col, int row) { return TRect{col * 14 + 1, row * 14 + 1, col * 14 + 13, row * 14 + 13}; };
  for (int i = 0; i < 4; ++i) {
    paper.c()->SaveClipRegion();
    p.LayoutViewDrawItem(paper.c(), cell(i, 0), states[i], core::cxBordersAll);
    paper.c()->RestoreClipRegion();
  }
  for (int i = 0; i < 3; ++i) {
    paper.c()->SaveClipRegion();
    p.LayoutViewDrawRecordCaption(paper.c(), cell(i, 1), cell(i, 1), TcxGroupBoxCaptionPosition::cxgpTop,
                                  states[i == 2 ? 3 : i]);
    paper.c()->RestoreClipRegion();
  }
  paper.c()->SaveClipRegion();
  p.LayoutViewDrawRecordContent(paper.c(), cell(0, 2), TcxGroupBoxCaptionPosition::cxgpTop, BS::cxbsNormal,
                                core::cxBordersAll);
  paper.c()->RestoreClipRegion();
  paper.c()->SaveClipRegion();
  p.LayoutViewDrawRecordContent(paper.c(), cell(1, 2), TcxGroupBoxCaptionPosition::cxgpLeft, BS::cxbsHot,
                                TcxBorders{TcxBorder::bLeft, TcxBorder::bBottom});
  paper.c()->RestoreClipRegion();
  p.LayoutViewDrawRecordBorder(paper.c(), cell(2, 2), BS::cxbsHot, core::cxBordersAll);
  // The frame stays cut out of the clip region: this fill leaves it alone.
  paper.c()->FillRect(cell(2, 2), clYellow);
  p.LayoutViewDrawRecordBorder(paper.c(), cell(3, 2), BS::cxbsNormal, TcxBorders{TcxBorder::bTop});
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "grid_layout_records");
}

// The pressed header inverts, the header separator (indents from the view
// parameters), the footer's separator band, the footer content and the
// indicator's customization mark in two cell sizes.
TEST(PainterGrid, HeaderFooterAndIndicatorPartsGolden) {
  GridPaper paper(64, 40);
  GridPainter p;
  paper.c()->FillRect(TRect{0, 0, 16, 8}, clNavy);
  paper.c()->FillRect(TRect{0, 8, 16, 16}, clYellow);
  p.DrawHeaderPressed(paper.c(), TRect{2, 2, 14, 14});
  core::TcxViewParams params;
  params.Color = clSilver;
  p.DrawHeaderSeparator(paper.c(), TRect{18, 2, 38, 8}, 4, clMaroon, params);
  p.DrawFooterBorderEx(paper.c(), TRect{18, 10, 38, 16}, core::cxBordersAll);
  params.Color = clTeal;
  p.DrawFooterContent(paper.c(), TRect{40, 2, 62, 8}, params);
  p.DrawIndicatorCustomizationMark(paper.c(), TRect{2, 18, 16, 38}, clBlack);
  p.DrawIndicatorCustomizationMark(paper.c(), TRect{20, 18, 31, 29}, clRed);
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "grid_header_footer_parts");
}

// Section text: disabled text is embossed (a highlight copy one pixel down
// and right under the shadow-coloured text), otherwise drawn once in the
// text colour; the brush is solid again afterwards; no text draws nothing.
TEST(PainterGrid, HeaderSectionTextIsEmbossedWhenDisabled) {
  TFont font;
  font.SetName(u"Tahoma");
  font.SetHeight(-11);
  const TRect area{4, 3, 76, 21};
  struct Case {
    BS state;
    String text;
  } cases[] = {{BS::cxbsNormal, u"Qty"}, {BS::cxbsDisabled, u"Qty"}, {BS::cxbsPressed, u"Qty"},
               {BS::cxbsDisabled, u""}};
  for (const auto& k : cases) {
    GridPaper drawn(80, 24);
    GridPainter p;
    p.DrawHeaderControlSectionText(drawn.c(), area, k.state, taCenter, VA::vaCenter, false, false, k.text, &font,
                                   clRed);
    EXPECT_EQ(drawn.c()->Brush()->Style(), bsSolid);
    GridPaper expected(80, 24);
    if (!k.text.empty()) {
      const int flags = core::cxAlignHCenter | core::cxAlignVCenter | core::cxSingleLine;
      expected.c()->SetFont(&font);
      expected.c()->Brush()->SetStyle(bsClear);
      if (k.state == BS::cxbsDisabled) {
        expected.c()->Font()->SetColor(clBtnHighlight);
        expected.c()->DrawText(k.text, TRect{5, 4, 77, 22}, flags);
        expected.c()->Font()->SetColor(clBtnShadow);
      } else {
        expected.c()->Font()->SetColor(clRed);
      }
      expected.c()->DrawText(k.text, area, flags);
    }
    EXPECT_EQ(drawn.Pixels(), expected.Pixels()) << "state " << int(k.state) << " '" << str(k.text) << "'";
  }
}

// The content of a section: filled with the background, the text in the
// area moved for the pressed state.
TEST(PainterGrid, HeaderSectionContentFillsThenWritesInTheStatesArea) {
  GridPaper paper(40, 20);
  GridRecordingPainter p;
  p.DrawHeaderControlSectionContent(paper.c(), TRect{2, 2, 30, 18}, TRect{4, 4, 28, 16}, BS::cxbsPressed,
                                    taLeftJustify, VA::vaTop, false, false, u"A", nullptr, clBlack, clLime);
  EXPECT_EQ(p.log, std::vector<std::string>{"SectionText (5,5,29,17) s3 'A'"});
  EXPECT_EQ(paper.At(2, 2), 0x00FF00u);
  EXPECT_EQ(paper.At(29, 17), 0x00FF00u);
  EXPECT_EQ(paper.At(30, 17), kGridWhite);
}

// ---- degenerate rectangles ------------------------------------------------------------------

namespace {

struct GridOperation {
  const char* name;
  std::function<void(MarkedPainter&, TcxCanvas*, const TRect&)> draw;
};

std::vector<GridOperation> everyOperation() {
  using S = TcxFilterSmartTagState;
  using K = TcxIndicatorKind;
  static TFont font;
  constexpr auto top = TcxGroupBoxCaptionPosition::cxgpTop;
  core::TcxViewParams params;
  params.Color = clRed;
  return {
      {"DrawHeader", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawHeader(c, r, r, TcxNeighbors{}, core::cxBordersAll, BS::cxbsPressed, taCenter, VA::vaCenter, true,
                      true, u"Header text", &font, clBlack, clRed);
       }},
      {"DrawHeaderEx", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawHeaderEx(c, r, r, TcxNeighbors{}, core::cxBordersAll, BS::cxbsNormal, taLeftJustify, VA::vaTop, false,
                        false, u"Header", &font, clBlack, clRed);
       }},
      {"DrawHeaderBorder", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawHeaderBorder(c, r, TcxNeighbors{}, core::cxBordersAll);
       }},
      {"DrawHeaderPressed", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawHeaderPressed(c, r); }},
      {"DrawHeaderControlSection", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawHeaderControlSection(c, r, r, TcxNeighbors{}, core::cxBordersAll, BS::cxbsDisabled, taRightJustify,
                                    VA::vaBottom, true, true, u"Section", &font, clBlack, clRed);
       }},
      {"DrawHeaderControlSectionBorder", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawHeaderControlSectionBorder(c, r, core::cxBordersAll, BS::cxbsHot);
       }},
      {"DrawHeaderControlSectionText", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawHeaderControlSectionText(c, r, BS::cxbsDisabled, taCenter, VA::vaCenter, false, false, u"Text", &font,
                                        clBlack);
       }},
      {"DrawHeaderSeparator", [params](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawHeaderSeparator(c, r, 3, clBlue, params);
       }},
      {"DrawSortingMark", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSortingMark(c, r, true); }},
      {"DrawSummarySortingMark",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSummarySortingMark(c, r, false); }},
      {"DrawSummaryValueSortingMark",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSummaryValueSortingMark(c, r, true); }},
      {"DrawSortingArrow",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSortingArrow(c, r, true, clRed, clBlue); }},
      {"DrawSummarySortingArrow",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSummarySortingArrow(c, r, false, clRed, clBlue); }},
      {"DrawFilterRowSeparator",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFilterRowSeparator(c, r, clRed); }},
      {"DrawGroupByBox",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawGroupByBox(c, r, false, clRed, nullptr); }},
      {"LayoutViewDrawItem", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.LayoutViewDrawItem(c, r, BS::cxbsHot, core::cxBordersAll);
       }},
      {"LayoutViewDrawRecordCaption", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.LayoutViewDrawRecordCaption(c, r, r, top, BS::cxbsHot);
       }},
      {"LayoutViewDrawRecordBorder", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.LayoutViewDrawRecordBorder(c, r, BS::cxbsNormal, core::cxBordersAll);
       }},
      {"LayoutViewDrawRecordContent", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.LayoutViewDrawRecordContent(c, r, top, BS::cxbsNormal, core::cxBordersAll);
       }},
      {"LayoutViewDrawRecordExpandButton", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.LayoutViewDrawRecordExpandButton(c, r, BS::cxbsPressed, false);
       }},
      {"DrawFooterCell", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawFooterCell(c, r, taRightJustify, VA::vaCenter, false, u"1,234.50", &font, clBlack, clRed);
       }},
      {"DrawFooterCellContent", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawFooterCellContent(c, r, taLeftJustify, VA::vaTop, true, u"Total", &font, clBlack, clRed);
       }},
      {"DrawFooterBorder", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFooterBorder(c, r); }},
      {"DrawFooterBorderEx",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFooterBorderEx(c, r, core::cxBordersAll); }},
      {"DrawFooterCellBorder", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFooterCellBorder(c, r); }},
      {"DrawFooterContent",
       [params](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFooterContent(c, r, params); }},
      {"DrawFooterSeparator", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFooterSeparator(c, r); }},
      {"DrawFilterActivateButton", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawFilterActivateButton(c, r, BS::cxbsHot, true);
       }},
      {"DrawFilterCloseButton",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFilterCloseButton(c, r, BS::cxbsPressed); }},
      {"DrawFilterDropDownButton", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawFilterDropDownButton(c, r, BS::cxbsNormal, true);
       }},
      {"DrawFilterPanel",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFilterPanel(c, r, false, clRed, nullptr); }},
      {"DrawFilterSmartTag",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFilterSmartTag(c, r, S::fstsHot, true); }},
      {"DrawFilterSmartTagGlyph", [](MarkedPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawFilterSmartTagGlyph(c, r, S::fstsNormal, false);
       }},
      {"DrawFindPanel",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFindPanel(c, r, false, clRed, nullptr); }},
      {"DrawFindPanelBorder",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFindPanelBorder(c, r, core::cxBordersAll); }},
      {"DrawIndicatorCustomizationMark",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawIndicatorCustomizationMark(c, r, clBlack); }},
      {"DrawIndicatorImage",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawIndicatorImage(c, r, K::ikArrow); }},
      {"DrawIndicatorItem",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawIndicatorItem(c, r, K::ikInsert, clRed); }},
      {"DrawIndicatorItemEx",
       [](MarkedPainter& p, TcxCanvas* c, const TRect& r) { p.DrawIndicatorItemEx(c, r, K::ikFilter, clRed); }},
  };
}

}  // namespace

// Empty and inverted rectangles straddle the clip's edge; the huge one
// covers everything. No operation raises, and none reaches past the clip.
TEST(PainterGrid, DegenerateRectanglesStayInsideTheClip) {
  const TRect clip{16, 16, 48, 48};
  const struct {
    const char* name;
    TRect r;
  } rects[] = {
      {"empty", TRect{8, 20, 8, 40}},
      {"flat", TRect{8, 30, 40, 30}},
      {"inverted", TRect{56, 40, 8, 20}},
      {"huge", TRect{-100000, -100000, 100000, 100000}},
  };
  for (const auto& op : everyOperation()) {
    for (const auto& k : rects) {
      GridPaper paper(64, 64);
      paper.c()->IntersectClipRect(clip);
      MarkedPainter p;
      EXPECT_NO_THROW(op.draw(p, paper.c(), k.r)) << op.name << " " << k.name;
      EXPECT_EQ(paper.ChangedOutside(clip), 0) << op.name << " " << k.name;
    }
  }
}

// ---- parts drawn by the other families ------------------------------------------------------

// The filter's activate button is the check button of its state; its close
// button is the small button with the cross of the state's symbol colour.
TEST(PainterGrid, FilterButtonsAreTheCheckAndSmallButtons) {
  const TRect r{3, 2, 19, 16};
  const BS states[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  for (BS state : states) {
    for (bool checked : {false, true}) {
      GridPainter p;
      GridPaper drawn(24, 20), expected(24, 20);
      p.DrawFilterActivateButton(drawn.c(), r, state, checked);
      p.DrawCheckButton(expected.c(), r, state, checked);
      EXPECT_EQ(drawn.Pixels(), expected.Pixels()) << "activate, state " << int(state) << " checked " << checked;
    }
    GridPainter p;
    GridPaper drawn(24, 20), expected(24, 20);
    p.DrawFilterCloseButton(drawn.c(), r, state);
    p.DrawSmallButton(expected.c(), r, state);
    p.DrawButtonCross(expected.c(), r, p.ButtonSymbolColor(state), p.ButtonSymbolState(state));
    EXPECT_EQ(drawn.Pixels(), expected.Pixels()) << "close, state " << int(state);
    EXPECT_NE(drawn.Pixels(), GridPaper(24, 20).Pixels()) << "close, state " << int(state) << " draws";
  }
}

namespace {

// The painter module's indicator images for the length of a test.
struct IndicatorImagesScope {
  IndicatorImagesScope() { CreateIndicatorImages(); }
  ~IndicatorImagesScope() { DestroyIndicatorImages(); }
};

}  // namespace

// Each kind draws its image (kind less one) centred in the cell; none draws
// nothing; the summary-value mark is image 6 at the top-left corner and
// measures as the images do.
TEST(PainterGrid, IndicatorImagesByKind) {
  IndicatorImagesScope scope;
  ui::TCustomImageList* images = cxIndicatorImages();
  ASSERT_NE(images, nullptr);
  ASSERT_GE(images->Count(), 7);
  GridPainter p;
  const TRect cell{3, 4, 26, 23};
  const int x = cxCentreStart(cell.left, cell.right, images->Width());
  const int y = cxCentreStart(cell.top, cell.bottom, images->Height());
  using K = TcxIndicatorKind;
  for (K kind : {K::ikNone, K::ikArrow, K::ikEdit, K::ikInsert, K::ikMultiDot, K::ikMultiArrow, K::ikFilter}) {
    GridPaper drawn(30, 28), expected(30, 28);
    p.DrawIndicatorImage(drawn.c(), cell, kind);
    if (kind != K::ikNone) images->Draw(expected.c()->Canvas(), x, y, int(kind) - 1, true);
    EXPECT_EQ(drawn.Pixels(), expected.Pixels()) << "kind " << int(kind);
  }
  GridPaper drawn(30, 28), expected(30, 28);
  p.DrawSummaryValueSortingMark(drawn.c(), cell, true);
  images->Draw(expected.c()->Canvas(), cell.left, cell.top, 6, true);
  EXPECT_EQ(drawn.Pixels(), expected.Pixels());
  EXPECT_NE(drawn.Pixels(), GridPaper(30, 28).Pixels());
  EXPECT_EQ(p.SummaryValueSortingMarkSize().cx, images->Width());
  EXPECT_EQ(p.SummaryValueSortingMarkSize().cy, images->Height());
}

// What a person sees in the indicator column: each kind on the header-like
// cell of the base painter, then the customization mark and the summary-value
// sorting mark.
TEST(PainterGrid, IndicatorCellsGolden) {
  IndicatorImagesScope scope;
  GridPainter p;
  GridPaper paper(9 * 16, 20);
  using K = TcxIndicatorKind;
  const K kinds[] = {K::ikNone, K::ikArrow, K::ikEdit, K::ikInsert, K::ikMultiDot, K::ikMultiArrow, K::ikFilter};
  for (int i = 0; i < 7; ++i) p.DrawIndicatorItem(paper.c(), TRect{i * 16, 0, i * 16 + 16, 20}, kinds[i], clBtnFace);
  p.DrawIndicatorItemEx(paper.c(), TRect{7 * 16, 0, 8 * 16, 20}, K::ikNone, clBtnFace);
  p.DrawIndicatorCustomizationMark(paper.c(), TRect{7 * 16, 0, 8 * 16, 20}, clBtnText);
  p.DrawSummaryValueSortingMark(paper.c(), TRect{8 * 16 + 2, 4, 9 * 16, 20}, true);
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "grid_indicator_cells");
}

// Image drawing and control printing: fitting into rectangles, transparency from the bottom-left
// pixel, a transparent colour, alpha and list masks, every draw mode (with
// golden pictures), brush backgrounds, the take-over hook, hatching, the
// design rectangle; controls painted into a canvas with their children, a
// skip list and the guard against painting a background from within itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/cxImageDraw.h"
#include "lib/core/cxImageList.h"
#include "lib/core/cxPaintTo.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/constants.h"
#include "platform/win/system.h"
#include "tests/support/golden.h"

using namespace core;

namespace {

constexpr gdi::COLORREF kWhite = gdi::RGB(255, 255, 255);
constexpr gdi::COLORREF kMagenta = gdi::RGB(255, 0, 255);
constexpr gdi::COLORREF kBlue = gdi::RGB(0, 0, 255);
constexpr gdi::COLORREF kRed = gdi::RGB(255, 0, 0);
constexpr gdi::COLORREF kYellow = gdi::RGB(255, 255, 0);

std::uint32_t Bgra(gdi::COLORREF c, std::uint8_t a = 0) {
  return (std::uint32_t(a) << 24) | (std::uint32_t(gdi::GetRValue(c)) << 16) |
         (std::uint32_t(gdi::GetGValue(c)) << 8) | gdi::GetBValue(c);
}

// A 16 x 16 glyph without alpha: magenta background (its bottom-left
// pixel), a blue square with a red diagonal and a yellow dot.
std::unique_ptr<ui::TBitmap> MakeGlyph() {
  gdi::ImageBGRA img(16, 16, Bgra(kMagenta));
  for (int y = 3; y < 13; ++y)
    for (int x = 3; x < 13; ++x) img.at(x, y) = Bgra(x == y ? kRed : kBlue);
  img.at(14, 1) = Bgra(kYellow);
  auto bmp = std::make_unique<ui::TBitmap>();
  bmp->SetPixelFormat(ui::pf24bit);
  bmp->AssignImage(img, false);
  return bmp;
}

// A 16 x 16 glyph with alpha (premultiplied): an opaque green disc edge
// fading out, transparent corners.
std::unique_ptr<ui::TBitmap> MakeAlphaGlyph() {
  gdi::ImageBGRA img(16, 16, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int d2 = (2 * x - 15) * (2 * x - 15) + (2 * y - 15) * (2 * y - 15);
      const int a = d2 < 120 ? 255 : d2 < 225 ? 128 : 0;
      img.at(x, y) = (std::uint32_t(a) << 24) | (std::uint32_t(a * 160 / 255) << 8);
    }
  auto bmp = std::make_unique<ui::TBitmap>();
  bmp->SetPixelFormat(ui::pf32bit);
  bmp->AssignImage(img, true);
  return bmp;
}

gdi::COLORREF ColorIn(const gdi::ImageBGRA& img, int x, int y) {
  const std::uint32_t p = img.at(x, y);
  return gdi::RGB(std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p));
}

class Target {
 public:
  Target(int w, int h, gdi::COLORREF fill = kWhite) : bitmap_(w, h), canvas_(bitmap_.Canvas()) {
    bitmap_.SetPixelFormat(ui::pf32bit);
    bitmap_.Canvas()->Brush()->SetColor(ui::TColor(fill));
    bitmap_.Canvas()->FillRect(TRect{0, 0, w, h});
  }
  gdi::HDC dc() { return canvas_.Handle(); }
  TcxCanvas* canvas() { return &canvas_; }
  // Read from the pixels, not through the context (whose clipping may hide them).
  gdi::COLORREF Color(int x, int y) { return ColorIn(Image(), x, y); }
  gdi::ImageBGRA Image() { return bitmap_.ToImage(); }
  int Count(gdi::COLORREF c, const TRect& area) {
    const gdi::ImageBGRA img = Image();
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += ColorIn(img, x, y) == c;
    return n;
  }

 private:
  ui::TBitmap bitmap_;
  TcxCanvas canvas_;
};

TEST(ImageDraw, ImageRectFitsEachMode) {
  struct {
    const char* name;
    TRect draw;
    TSize image;
    TcxImageFitMode mode;
    bool centre;
    int scale;
    TRect expected;
  } cases[] = {
      {"Proportional", {0, 0, 64, 64}, {32, 16}, ifmProportionalStretch, true, 100, {0, 16, 64, 48}},
      {"FitSmallKeepsItsSize", {0, 0, 64, 64}, {32, 16}, ifmFit, true, 100, {16, 24, 48, 40}},
      {"FitLargeShrinks", {0, 0, 64, 64}, {128, 32}, ifmFit, true, 100, {0, 24, 64, 40}},
      {"Fill", {0, 0, 64, 64}, {32, 16}, ifmFill, true, 100, {-32, 0, 96, 64}},
      {"NormalHalfScale", {0, 0, 64, 64}, {32, 16}, ifmNormal, true, 50, {24, 28, 40, 36}},
      {"NormalAtTopLeft", {10, 10, 74, 74}, {32, 16}, ifmNormal, false, 100, {10, 10, 42, 26}},
      {"Stretch", {5, 5, 25, 15}, {32, 16}, ifmStretch, true, 100, {5, 5, 25, 15}},
      {"NoImage", {1, 2, 3, 4}, {0, 16}, ifmFill, true, 100, {1, 2, 3, 4}},
      // Centring rounds toward minus infinity: (63 - 128) / 2 is -33.
      {"CentreRoundsDown", {0, 0, 63, 64}, {128, 32}, ifmNormal, true, 100, {-33, 16, 95, 48}},
      {"ProportionalTruncates", {0, 0, 10, 10}, {3, 7}, ifmProportionalStretch, false, 100, {0, 0, 4, 10}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(cxGetImageRect(c.draw, c.image, c.mode, c.centre, c.scale), c.expected) << c.name;
}

TEST(ImageDraw, TransparencyComesFromTheRuleTheColourAndAlpha) {
  auto glyph = MakeGlyph();
  auto alpha = MakeAlphaGlyph();
  struct {
    const char* name;
    ui::TBitmap* glyph;
    bool leftBottom;
    TColor transparent;
    gdi::COLORREF at00, at55, at33;  // corner, inside the square, on the diagonal
  } cases[] = {
      {"LeftBottomRule", glyph.get(), true, ui::clNone, kWhite, kBlue, kRed},
      {"NoRule", glyph.get(), false, ui::clNone, kMagenta, kBlue, kRed},
      {"TransparentColour", glyph.get(), false, TColor(kBlue), kMagenta, kWhite, kRed},
      {"RuleAndColour", glyph.get(), true, TColor(kRed), kWhite, kBlue, kWhite},
      // A glyph with alpha keeps it: the rule and colours do not apply.
      {"Alpha", alpha.get(), true, TColor(kBlue), kWhite, gdi::RGB(0, 160, 0), gdi::RGB(127, 207, 127)},
  };
  for (const auto& c : cases) {
    Target t(20, 20);
    cxDrawImage(t.dc(), TRect{2, 2, 18, 18}, TRect{2, 2, 18, 18}, c.glyph, nullptr, -1, idmNormal, false, nullptr,
                c.transparent, c.leftBottom);
    EXPECT_EQ(t.Color(2, 2), c.at00) << c.name;
    EXPECT_EQ(t.Color(7, 7) == c.at55 || t.Color(7, 8) == c.at55, true) << c.name;
    EXPECT_EQ(t.Color(5, 5), c.at33) << c.name;
    EXPECT_EQ(t.Color(0, 0), kWhite) << c.name << ": nothing outside the background rectangle";
  }
}

TEST(ImageDraw, NothingWithoutAnImage) {
  ui::TBitmap empty;
  TcxImageList list(16, 16);
  Target t(20, 20);
  const gdi::ImageBGRA before = t.Image();
  cxDrawImage(t.dc(), TRect{0, 0, 16, 16}, TRect{0, 0, 16, 16}, &empty, nullptr, 0, idmNormal);
  cxDrawImage(t.dc(), TRect{0, 0, 16, 16}, TRect{0, 0, 16, 16}, nullptr, &list, 0, idmNormal);
  cxDrawImage(t.dc(), TRect{0, 0, 16, 16}, TRect{0, 0, 16, 16}, nullptr, &list, -1, idmNormal);
  cxDrawImage(t.canvas(), TRect{0, 0, 16, 16}, static_cast<ui::TGraphic*>(nullptr), ifmStretch);
  EXPECT_EQ(t.Image(), before);
}

TEST(ImageDraw, ListImagesUseTheListMask) {
  auto glyph = MakeGlyph();
  TcxImageList list(16, 16);
  list.AddMasked(glyph.get(), TColor(kMagenta));
  ASSERT_EQ(list.Count(), 1);
  Target t(20, 20, kYellow);
  cxDrawImage(t.dc(), TRect{2, 2, 18, 18}, TRect{2, 2, 18, 18}, nullptr, &list, 0, idmNormal, false, nullptr,
              ui::clNone, true);
  EXPECT_EQ(t.Color(2, 2), kYellow) << "masked out";
  EXPECT_EQ(t.Color(8, 6), kBlue);
  EXPECT_EQ(t.Color(5, 5), kRed);
  EXPECT_EQ(t.Count(kMagenta, TRect{0, 0, 20, 20}), 0);
}

TEST(ImageDraw, BrushFillsTheBackgroundRectangle) {
  auto glyph = MakeGlyph();
  Target t(30, 30);
  const gdi::HBRUSH brush = gdi::CreateSolidBrush(kYellow);
  cxDrawImage(t.dc(), TRect{7, 7, 23, 23}, TRect{5, 5, 25, 25}, glyph.get(), nullptr, -1, idmNormal, false, brush);
  gdi::DeleteObject(brush);
  EXPECT_EQ(t.Color(5, 5), kYellow);
  EXPECT_EQ(t.Color(24, 24), kYellow);
  EXPECT_EQ(t.Color(7, 7), kYellow) << "the glyph's transparent corner";
  EXPECT_EQ(t.Color(4, 4), kWhite);
  EXPECT_EQ(t.Color(10, 10), kRed);
}

TEST(ImageDraw, FadedBlendsWithConstantAlpha64) {
  auto glyph = MakeGlyph();
  Target normal(20, 20), faded(20, 20);
  cxDrawImage(normal.dc(), TRect{2, 2, 18, 18}, TRect{2, 2, 18, 18}, glyph.get(), nullptr, -1, idmNormal);
  cxDrawImage(faded.dc(), TRect{2, 2, 18, 18}, TRect{2, 2, 18, 18}, glyph.get(), nullptr, -1, idmFaded);
  // Over white, a quarter of the (greyed) glyph: no channel drops below
  // 255 - 64, and the square still shows.
  int changed = 0;
  for (int y = 5; y < 15; ++y)
    for (int x = 5; x < 15; ++x) {
      const gdi::COLORREF c = faded.Color(x, y);
      EXPECT_GE(gdi::GetRValue(c), 255 - 64);
      EXPECT_GE(gdi::GetGValue(c), 255 - 64);
      EXPECT_GE(gdi::GetBValue(c), 255 - 64);
      changed += c != kWhite;
    }
  EXPECT_EQ(changed, 100);
  EXPECT_EQ(faded.Color(2, 2), kWhite);
}

TEST(ImageDraw, CustomProcTakesOverTheDrawing) {
  auto glyph = MakeGlyph();
  static TRect seen;
  CustomDrawImageProc = [](TcxCanvas* canvas, ui::TCustomImageList*, int, TcxImageDrawMode mode, const TRect& r,
                           ui::TBitmap*) {
    seen = r;
    if (mode != idmDisabled) return false;
    canvas->FillRect(r, ui::TColor(kYellow));
    return true;
  };
  struct Reset {
    ~Reset() { CustomDrawImageProc = nullptr; }
  } reset;
  Target t(30, 30);
  cxDrawImage(t.dc(), TRect{10, 10, 26, 26}, TRect{5, 5, 30, 30}, glyph.get(), nullptr, -1, idmDisabled);
  EXPECT_EQ(seen, (TRect{5, 5, 21, 21})) << "glyph rectangle in the draw bitmap";
  EXPECT_EQ(t.Count(kYellow, TRect{0, 0, 30, 30}), 256);
  EXPECT_EQ(t.Count(kBlue, TRect{0, 0, 30, 30}), 0);
  cxDrawImage(t.dc(), TRect{10, 10, 26, 26}, TRect{5, 5, 30, 30}, glyph.get(), nullptr, -1, idmNormal);
  EXPECT_GT(t.Count(kBlue, TRect{0, 0, 30, 30}), 50) << "declined: drawn as usual";
}

TEST(ImageDraw, CanvasFormsFitTheImage) {
  auto glyph = MakeGlyph();
  Target t(40, 40);
  cxDrawImage(t.canvas(), TRect{0, 0, 40, 40}, glyph.get(), nullptr, -1, ifmStretch);
  EXPECT_EQ(t.Color(0, 0), kWhite);
  EXPECT_EQ(t.Color(20, 20), kRed) << "the diagonal, stretched";
  EXPECT_GT(t.Count(kBlue, TRect{0, 0, 40, 40}), 300);
  Target d(20, 20);
  cxDrawImage(d.canvas(), TRect{0, 0, 20, 20}, glyph.get(), nullptr, -1, false);
  EXPECT_EQ(d.Count(kBlue, TRect{0, 0, 20, 20}), 0) << "disabled is not blue";
  EXPECT_GT(d.Count(kWhite, TRect{0, 0, 20, 20}), 200);
  // A bitmap as a graphic honours its Transparent flag for the rule.
  Target g(20, 20);
  glyph->SetTransparent(false);
  cxDrawImage(g.canvas(), TRect{0, 0, 20, 20}, static_cast<ui::TGraphic*>(glyph.get()), ifmNormal);
  EXPECT_EQ(g.Color(2, 2), kMagenta);
}

TEST(ImageDraw, GlyphsInEveryMode) {
  auto glyph = MakeGlyph();
  auto alpha = MakeAlphaGlyph();
  const TcxImageDrawMode modes[] = {idmNormal, idmDisabled, idmFaded, idmGrayScale, idmDingy, idmShadowed};
  Target t(6 * 24, 2 * 24, gdi::RGB(212, 208, 200));
  for (int row = 0; row < 2; ++row)
    for (int i = 0; i < 6; ++i) {
      const TRect r{i * 24 + 4, row * 24 + 4, i * 24 + 20, row * 24 + 20};
      const TRect bg{i * 24 + 1, row * 24 + 1, i * 24 + 23, row * 24 + 23};
      cxDrawImage(t.dc(), r, bg, row == 0 ? glyph.get() : alpha.get(), nullptr, -1, modes[i]);
    }
  // What matters besides the picture: the normal glyph is blue and red, only
  // the shadowed one keeps pure blue, and its shadow shows beyond the glyph.
  EXPECT_GT(t.Count(kBlue, TRect{0, 0, 24, 24}), 50);
  EXPECT_EQ(t.Count(kBlue, TRect{24, 0, 120, 24}), 0);
  EXPECT_EQ(t.Count(kMagenta, TRect{0, 0, 144, 48}), 0);
  EXPECT_GT(t.Count(ui::ColorToRGB(ui::clBtnShadow), TRect{5 * 24 + 14, 14, 5 * 24 + 23, 23}), 5);
  EXPECT_GOLDEN(t.Image(), "core", "image_draw_modes");
}

TEST(ImageDraw, HatchRectFramesShadowsAndExcludesItself) {
  Target t(40, 40);
  const TRect r{5, 5, 25, 25};
  cxDrawDesignRect(t.canvas(), r, false);
  const gdi::COLORREF fill = 0x00A0FFA0;
  EXPECT_EQ(t.Color(5, 5), ui::ColorToRGB(dxGetDarkerColor(TColor(fill), 50)));
  EXPECT_EQ(t.Color(25, 10), ui::ColorToRGB(ui::clBtnShadow)) << "shadow at the right";
  EXPECT_EQ(t.Color(10, 25), ui::ColorToRGB(ui::clBtnShadow)) << "shadow at the bottom";
  EXPECT_EQ(t.Color(26, 10), kWhite);
  EXPECT_GT(t.Count(fill, r), 100);
  EXPECT_GT(t.Count(ui::ColorToRGB(dxGetDarkerColor(TColor(fill), 75)), r), 20) << "diagonals";
  // Both rectangles are now excluded from clipping.
  t.canvas()->FillRect(TRect{0, 0, 40, 40}, ui::clBlack);
  EXPECT_EQ(t.Color(10, 10), fill);
  EXPECT_EQ(t.Color(25, 10), ui::ColorToRGB(ui::clBtnShadow));
  EXPECT_EQ(t.Color(30, 30), gdi::RGB(0, 0, 0));
  Target s(40, 40);
  cxDrawDesignRect(s.canvas(), r, true);
  EXPECT_GT(s.Count(0x009090FF, r), 100);
}

TEST(ImageDraw, HatchBlendsTwoColours) {
  Target t(8, 8);
  cxDrawHatch(t.dc(), TRect{0, 0, 8, 8}, ui::clBlack, ui::clRed, 2, 255, 255);
  // Two-pixel squares of the two colours, alternating.
  const gdi::COLORREF a = t.Color(0, 0), b = t.Color(2, 0);
  EXPECT_TRUE((a == 0 && b == kRed) || (a == kRed && b == 0));
  EXPECT_EQ(t.Color(1, 1), a);
  EXPECT_EQ(t.Color(2, 2), a);
  EXPECT_EQ(t.Color(0, 2), b);
}

// ---- painting controls into a canvas ------------------------------------------------------------

// A windowed control that fills itself with its colour and can run a hook
// while it paints.
class TFilled : public ui::TCustomControl {
 public:
  explicit TFilled(rtl::TComponent* owner) : ui::TCustomControl(owner) {}
  std::function<void(TFilled*)> onPaint;
  int paints = 0;
  bool paintCopySeen = false;

 protected:
  void Paint() override {
    ++paints;
    paintCopySeen = ControlState().contains(ui::TControlStateItem::csPaintCopy);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    if (onPaint) onPaint(this);
  }
};

class ControlPrinting : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::Application->Initialize();
    form = rtl::Create<ui::TForm>(nullptr);
    form->SetBounds(0, 0, 200, 150);
    parent = rtl::Create<TFilled>(form);
    parent->SetParent(form);
    parent->SetBounds(10, 10, 100, 60);
    parent->SetColor(ui::TColor(kRed));
    child = rtl::Create<TFilled>(form);
    child->SetParent(parent);
    child->SetBounds(20, 10, 30, 20);
    child->SetColor(ui::TColor(kBlue));
    form->Show();
    win::headless::ProcessMessages();
  }
  void TearDown() override {
    form->Free();
    win::headless::ProcessMessages();
  }
  win::headless::HeadlessScope screen;
  ui::TForm* form = nullptr;
  TFilled* parent = nullptr;
  TFilled* child = nullptr;
};

TEST_F(ControlPrinting, PaintsTheControlWithItsChildrenAtThePoint) {
  struct {
    const char* name;
    bool skipChild;
  } cases[] = {{"WithChild", false}, {"ChildSkipped", true}};
  for (const auto& c : cases) {
    Target t(120, 80);
    std::vector<win::HWND> skip;
    if (c.skipChild) skip.push_back(child->Handle());
    cxPaintTo(parent, t.canvas(), TPoint{5, 5}, TRect{0, 0, 100, 60}, &skip);
    EXPECT_EQ(t.Color(4, 4), kWhite) << c.name;
    EXPECT_EQ(t.Color(5, 5), kRed) << c.name;
    EXPECT_EQ(t.Color(104, 64), kRed) << c.name;
    EXPECT_EQ(t.Color(105, 65), kWhite) << c.name;
    EXPECT_EQ(t.Color(5 + 20, 5 + 10), c.skipChild ? kRed : kBlue) << c.name;
    EXPECT_EQ(t.Color(5 + 49, 5 + 29), c.skipChild ? kRed : kBlue) << c.name;
    EXPECT_TRUE(parent->paintCopySeen) << c.name;
    EXPECT_FALSE(parent->ControlState().contains(ui::TControlStateItem::csPaintCopy)) << c.name;
    EXPECT_TRUE(PaintSkipList().empty()) << c.name;
  }
}

TEST_F(ControlPrinting, PartOfAControlLandsAtTheDestination) {
  Target t(60, 40);
  // The child's area only, at (0, 0).
  cxPaintControlTo(parent, t.canvas(), TPoint{0, 0}, TRect{20, 10, 50, 30}, true, false);
  EXPECT_EQ(t.Count(kBlue, TRect{0, 0, 30, 20}), 600);
  EXPECT_EQ(t.Count(kWhite, TRect{0, 0, 60, 40}), 60 * 40 - 600) << "clipped to the drawing rectangle";
}

TEST_F(ControlPrinting, TransparentBackgroundComesFromTheParent) {
  Target t(30, 20);
  cxDrawTransparentControlBackground(child, t.canvas(), TRect{0, 0, 30, 20}, TPoint{0, 0});
  EXPECT_EQ(t.Count(kRed, TRect{0, 0, 30, 20}), 600) << "the parent under the child, without the child";
  EXPECT_TRUE(PaintSkipList().empty());
}

TEST_F(ControlPrinting, BackgroundPaintFromWithinItselfReturnsAtOnce) {
  // The parent's paint asks for the child's transparent background again,
  // which would paint the parent again, and so on: the guard stops it.
  Target t(30, 20);
  int nested = 0;
  parent->onPaint = [&](TFilled*) {
    ++nested;
    if (nested > 3) return;  // keeps a broken guard from recursing for ever
    cxDrawTransparentControlBackground(child, t.canvas(), TRect{0, 0, 30, 20}, TPoint{0, 0});
  };
  parent->paints = 0;
  cxDrawTransparentControlBackground(child, t.canvas(), TRect{0, 0, 30, 20}, TPoint{0, 0});
  parent->onPaint = nullptr;
  EXPECT_EQ(parent->paints, 1);
  EXPECT_EQ(t.Count(kRed, TRect{0, 0, 30, 20}), 600);
  // Afterwards the parent can be painted again.
  parent->paints = 0;
  cxDrawTransparentControlBackground(child, t.canvas(), TRect{0, 0, 30, 20}, TPoint{0, 0});
  EXPECT_EQ(parent->paints, 1);
}

TEST_F(ControlPrinting, ControlsWithoutWindowsAreSkipped) {
  TFilled* loose = rtl::Create<TFilled>(form);
  Target t(20, 20);
  const gdi::ImageBGRA before = t.Image();
  cxPaintTo(loose, t.canvas(), TPoint{0, 0}, TRect{0, 0, 20, 20});
  cxDrawTransparentControlBackground(loose, t.canvas(), TRect{0, 0, 20, 20});
  EXPECT_EQ(t.Image(), before);
  EXPECT_EQ(loose->paints, 0);
}

TEST_F(ControlPrinting, ToBitmapTakesTheClientArea) {
  TcxBitmap bitmap(100, 60, ui::pf32bit);
  cxPaintToBitmap(parent, &bitmap);
  const gdi::ImageBGRA img = bitmap.ToImage();
  EXPECT_EQ(ColorIn(img, 0, 0), kRed);
  EXPECT_EQ(ColorIn(img, 25, 15), kBlue);
}

TEST(ImageDraw, CursorSizeFallsBackToTheSystemSizeAndFontsReset) {
  win::headless::HeadlessScope screen;
  // The platform's cursor masks are not one-bit: the system size stands.
  EXPECT_EQ(cxGetCursorSize(), (TSize{win::GetSystemMetrics(win::SM_CXCURSOR),
                                      win::GetSystemMetrics(win::SM_CYCURSOR)}));
  ui::TFont font;
  font.SetName(u"Arial");
  font.SetHeight(-20);
  font.SetColor(ui::clRed);
  cxResetFont(&font);
  ui::TFont defaults;
  EXPECT_EQ(font.Name(), defaults.Name());
  EXPECT_EQ(font.Height(), defaults.Height());
  EXPECT_EQ(font.Color(), defaults.Color());
  EXPECT_FALSE(IsXPManifestEnabled());
}

}  // namespace

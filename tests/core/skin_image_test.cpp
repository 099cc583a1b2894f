// The layout of a skin image: state frames image after image along one axis,
// states mapped to the ones there are, and margins cut into nine parts. Its
// drawing: nine parts stretched or tiled, unscaled frames, gradients; and
// elements: colour, alternate attributes, borders, glyph, and the cache.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "lib/core/cxGraphics.h"
#include "lib/core/dxGDIPlusClasses.h"
#include "lib/core/dxSkinsCore.h"
#include "lib/core/dxSmartImage.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/streams.h"
#include "tests/support/dib_dc.h"
#include "tests/support/golden.h"

namespace {

using namespace core;
using S = TdxSkinElementState;

void setTexture(TdxSkinImage& image, int width, int height) {
  image.Texture()->LoadFromBits(width, height,
                                std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), 0xFF808080u),
                                false);
}

TEST(SkinImageLayout, StateFramesFollowLayoutCountAndStates) {
  struct Case {
    TdxSkinImageLayout layout;
    int width, height, count;
    TdxSkinElementStates states;
    int imageIndex;
    S state;
    ui::TRect expected;
  };
  const TdxSkinElementStates three{S::esNormal, S::esHot, S::esPressed};
  const Case cases[] = {
      {TdxSkinImageLayout::ilHorizontal, 120, 20, 2, three, 1, S::esHot, {80, 0, 100, 20}},
      {TdxSkinImageLayout::ilHorizontal, 120, 20, 2, three, 0, S::esPressed, {40, 0, 60, 20}},
      {TdxSkinImageLayout::ilVertical, 16, 96, 2, three, 1, S::esNormal, {0, 48, 16, 64}},
      {TdxSkinImageLayout::ilHorizontal, 120, 20, 2, three, 0, S::esDisabled, {0, 0, 0, 0}},
      {TdxSkinImageLayout::ilHorizontal, 60, 10, 1, {S::esNormal, S::esDisabled}, 0, S::esDisabled, {30, 0, 60, 10}},
  };
  for (const Case& c : cases) {
    TdxSkinImage image(nullptr);
    setTexture(image, c.width, c.height);
    image.SetImageLayout(c.layout);
    image.SetImageCount(c.count);
    image.SetStates(c.states);
    EXPECT_EQ(image.GetStateBounds(c.imageIndex, c.state), c.expected) << c.width << "x" << c.height;
  }
}

// A stream may store a count below 1: the layout takes it as 1 instead of
// dividing by it.
TEST(SkinImageLayout, StoredCountBelowOneCountsAsOne) {
  for (int stored : {0, -3}) {
    rtl::TMemoryStream s;
    for (int v : {0, 0, 0, 0}) dxSkinWriteInteger(&s, v);
    dxSkinWriteByte(&s, 0);
    dxSkinWriteInteger(&s, stored);
    dxSkinWriteByte(&s, 0x03);  // Normal, Hot
    dxSkinWriteByte(&s, 0);
    dxSkinWriteByte(&s, 0);
    for (int v : {0x1FFFFFFF, 0x1FFFFFFF}) dxSkinWriteInteger(&s, v);
    dxSkinWriteByte(&s, 0);
    dxSkinWriteInteger(&s, 0);
    s.SetPosition(0);
    TdxSkinImage image(nullptr);
    image.DataRead(&s, 1.1);
    EXPECT_EQ(image.ImageCount(), stored);
    setTexture(image, 40, 20);
    EXPECT_EQ(image.GetSize().cx, 20) << stored;
    EXPECT_EQ(image.GetStateBounds(0, S::esHot), (ui::TRect{20, 0, 40, 20}));
    S state = S::esNormal;
    int index = 4;
    image.CheckState(state, index);
    EXPECT_EQ(index, 0);
  }
}

TEST(SkinImageLayout, MissingStatesAndIndexesAreMapped) {
  TdxSkinImage image(nullptr);
  image.SetStates({S::esHot, S::esPressed});
  image.SetImageCount(2);
  struct Case {
    S state;
    int index;
    S expectedState;
    int expectedIndex;
  };
  const Case cases[] = {{S::esNormal, 0, S::esHot, 0}, {S::esPressed, 5, S::esPressed, 1}, {S::esChecked, 1, S::esHot, 1}};
  for (const Case& c : cases) {
    S state = c.state;
    int index = c.index;
    image.CheckState(state, index);
    EXPECT_EQ(state, c.expectedState);
    EXPECT_EQ(index, c.expectedIndex);
  }
  TdxSkinImage none(nullptr);
  none.SetStates({});
  S state = S::esFocused;
  int index = 0;
  none.CheckState(state, index);
  EXPECT_EQ(state, S::esFocused) << "an empty set maps nothing";
}

TEST(SkinImageLayout, MarginsShrinkInProportion) {
  struct Case {
    ui::TRect margins;
    ui::TRect dest;
    ui::TRect expected;
  };
  const Case cases[] = {
      {{10, 0, 10, 0}, {0, 0, 15, 40}, {7, 0, 7, 0}},
      {{10, 4, 10, 4}, {0, 0, 20, 8}, {10, 4, 10, 4}},  // exactly fits
      {{-2, 3, 6, 30}, {0, 0, 10, 11}, {0, 1, 6, 10}},
      {{30, 0, 0, 0}, {0, 0, 10, 10}, {10, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ui::TRect m = c.margins;
    dxSkinsCheckMargins(m, c.dest);
    EXPECT_EQ(m, c.expected);
  }
  TdxSkinImageParts parts;
  dxSkinsCalculatePartsBounds({0, 0, 30, 20}, {5, 4, 6, 3}, parts);
  const TdxSkinImageParts expected = {ui::TRect{0, 0, 5, 4},  ui::TRect{5, 0, 24, 4},  ui::TRect{24, 0, 30, 4},
                                      ui::TRect{0, 4, 5, 17}, ui::TRect{5, 4, 24, 17}, ui::TRect{24, 4, 30, 17},
                                      ui::TRect{0, 17, 5, 20}, ui::TRect{5, 17, 24, 20}, ui::TRect{24, 17, 30, 20}};
  EXPECT_EQ(parts, expected);

  TdxSkinImage image(nullptr);
  setTexture(image, 12, 12);
  EXPECT_TRUE(image.GetPartVisible(TdxSkinImagePart::sipCenter));
  EXPECT_FALSE(image.GetPartVisible(TdxSkinImagePart::sipTopLeft)) << "no margins, only the centre";
  image.SetMargins({2, 2, 2, 2});
  EXPECT_TRUE(image.GetPartVisible(TdxSkinImagePart::sipTopLeft)) << "a change recalculates";
  EXPECT_EQ(image.GetPartBounds(TdxSkinImagePart::sipBottomRight), (ui::TRect{10, 10, 12, 12}));
}

// --- drawing ------------------------------------------------------------------------------

using testing_support::DibDC;

// Colours of the nine parts of a 12 x 12 frame with margins 4 (RGB).
constexpr std::uint32_t kPartColors[9] = {0xC00000, 0x00C000, 0x0000C0, 0xC0C000, 0x808080,
                                          0x00C0C0, 0xC000C0, 0x404040, 0xFF8000};
constexpr std::uint32_t kCentreStripe = 0x202080;

// Frame x in [0, 12) for each of `frames` frames; the centre part has its
// right half striped so that tiling and stretching differ.
void setNinePartTexture(TdxSkinImage& image, int frames = 1, std::uint32_t shift = 0) {
  const int w = 12 * frames;
  std::vector<std::uint32_t> bits(static_cast<std::size_t>(w * 12));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < w; ++x) {
      const int fx = x % 12, part = (y / 4) * 3 + fx / 4;
      std::uint32_t c = kPartColors[part];
      if (part == 4 && fx >= 6) c = kCentreStripe;
      bits[static_cast<std::size_t>(y * w + x)] = 0xFF000000u | ((c + shift * (x / 12)) & 0xFFFFFF);
    }
  image.Texture()->LoadFromBits(w, 12, bits, false);
  image.SetMargins({4, 4, 4, 4});
}

std::unique_ptr<TdxSkinElement> newElement() {
  return std::unique_ptr<TdxSkinElement>(rtl::Create<TdxSkinElement>(nullptr, String(u"Element")));
}

TEST(SkinImageDrawing, NinePartsStretchAndTile) {
  DibDC d(120, 40);
  TdxSkinImage stretched(nullptr);
  setNinePartTexture(stretched);
  stretched.Draw(d.dc, ui::TRect{2, 2, 58, 38});
  TdxSkinImage tiled(nullptr);
  setNinePartTexture(tiled);
  tiled.SetStretch(TdxSkinStretchMode::smTile);
  tiled.Draw(d.dc, ui::TRect{62, 2, 118, 38});
  EXPECT_GOLDEN(d.dc, gdi::RECT{0, 0, 120, 40}, "core", "skin_nine_part");

  // Stretched: destination parts cut at 6 / 54 and 6 / 34; corners unscaled.
  struct Probe {
    int x, y;
    std::uint32_t rgb;
  };
  const Probe probes[] = {
      {2, 2, kPartColors[0]},    {5, 5, kPartColors[0]},   {30, 3, kPartColors[1]},  {56, 4, kPartColors[2]},
      {3, 20, kPartColors[3]},   {55, 20, kPartColors[5]}, {3, 36, kPartColors[6]},  {30, 35, kPartColors[7]},
      {57, 37, kPartColors[8]},  {10, 20, kPartColors[4]}, {50, 20, kCentreStripe},  {1, 1, 0xFFFFFF},
      {58, 20, 0xFFFFFF},
      // Tiled: the 4-pixel centre repeats from x 66: plain, plain, stripe, stripe...
      {66, 20, kPartColors[4]},  {68, 20, kCentreStripe},  {70, 20, kPartColors[4]}, {72, 20, kCentreStripe},
      {90, 2, kPartColors[1]},   {117, 37, kPartColors[8]},
  };
  for (const Probe& p : probes) EXPECT_EQ(d.rgb(p.x, p.y), p.rgb) << p.x << "," << p.y;
}

// All margins 0: the whole frame of the asked state stretched in one piece;
// an image index beyond the count draws the last image.
TEST(SkinImageDrawing, StatesAndIndexesPickTheirFrame) {
  struct Case {
    TdxSkinElementState state;
    int index;
    int frame;  // which of the four 12-pixel frames shows
  };
  const Case cases[] = {{S::esNormal, 0, 0}, {S::esHot, 0, 1}, {S::esPressed, 1, 2},
                        {S::esHot, 5, 3},    {S::esDisabled, 1, 2}};
  for (const Case& c : cases) {
    TdxSkinImage image(nullptr);
    setNinePartTexture(image, 4, 0x000010);
    image.SetMargins({});
    image.SetStates({S::esNormal, S::esHot});
    image.SetImageCount(2);
    DibDC d(24, 24);
    image.Draw(d.dc, ui::TRect{0, 0, 24, 24}, c.state, c.index);
    const std::uint32_t shift = 0x10u * static_cast<std::uint32_t>(c.frame);
    EXPECT_EQ(d.rgb(0, 0), kPartColors[0] + shift) << c.frame;
    EXPECT_EQ(d.rgb(23, 23), kPartColors[8] + shift) << c.frame;
  }
}

// The gradient replaces the centre of a textured image, and an image without
// texture fills its rectangle less its margins.
TEST(SkinImageDrawing, GradientsFillTheCentreOrTheDeflatedRectangle) {
  DibDC d(40, 20);
  TdxSkinImage textured(nullptr);
  setNinePartTexture(textured);
  textured.SetGradientBeginColor(0x0000FF);  // red, as a BGR colour
  textured.Draw(d.dc, ui::TRect{0, 0, 20, 20});
  EXPECT_EQ(d.rgb(10, 10), 0xFF0000u);
  EXPECT_EQ(d.rgb(1, 1), kPartColors[0]);

  TdxSkinImage bare(nullptr);
  bare.SetMargins({2, 3, 2, 3});
  bare.SetGradientBeginColor(0x00FF00);
  bare.SetGradientEndColor(0xFF0000);  // blue
  bare.SetGradientMode(TdxSkinGradientMode::gmVertical);
  bare.Draw(d.dc, ui::TRect{20, 0, 40, 20});
  EXPECT_EQ(d.rgb(21, 10), 0xFFFFFFu) << "inside the margin";
  EXPECT_EQ(d.rgb(30, 2), 0xFFFFFFu);
  EXPECT_GT((d.rgb(30, 3) >> 8) & 0xFF, 200u) << "green at the top";
  EXPECT_GT(d.rgb(30, 16) & 0xFF, 200u) << "blue at the bottom";
}

// A size grip: a dotted frame with alpha, drawn unscaled and centred
// whatever the rectangle.
TEST(SkinImageDrawing, SizeGripIsDrawnUnscaledAndCentred) {
  ASSERT_EQ(cxGetValueCurrentDPI(16), 16) << "the picture is made at 96 dots per inch";
  std::vector<std::uint32_t> bits(144, 0u);
  for (int row = 0; row < 3; ++row)
    for (int col = 2 - row; col < 3; ++col)
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
          const int px = col * 4 + 1 + x, py = row * 4 + 1 + y;
          bits[static_cast<std::size_t>(py * 12 + px)] = 0xFF505050u;
          bits[static_cast<std::size_t>((py + 1) * 12 + px + 1)] = 0x80FFFFFFu;
        }
  auto grip = newElement();
  grip->Image()->Texture()->LoadFromBits(12, 12, bits, true);
  grip->Image()->SetStretch(TdxSkinStretchMode::smNoResize);
  EXPECT_TRUE(grip->GetIsAlphaUsed());
  DibDC d(32, 20, 0x00C8D0D4);
  grip->Draw(d.dc, ui::TRect{0, 0, 32, 20});
  EXPECT_GOLDEN(d.dc, gdi::RECT{0, 0, 32, 20}, "core", "skin_size_grip");
  // Frame at (10, 4): the bottom-right dot at frame (9, 9), the top-left one
  // of the top row missing.
  EXPECT_EQ(d.rgb(10 + 9, 4 + 9), 0x505050u);
  EXPECT_EQ(d.rgb(10 + 1, 4 + 1), 0xC8D0D4u);
  EXPECT_EQ(d.rgb(10 + 9, 4 + 1), 0x505050u);
  EXPECT_EQ(d.rgb(9, 13), 0xC8D0D4u);
}

// At 144 dots per inch an unscaled 16 x 16 frame is drawn 24 x 24, centred,
// through two transparent pixels on every side: its edges fade into the
// background instead of ending hard.
TEST(SkinImageDrawing, NoResizeFrameScalesWithTheScreenAndFadesAtItsEdges) {
  const int saved = cxGetCurrentDPI();
  gdi::SetScreenLogPixels(144);
  auto restore = rtl::ScopeExit([saved] { gdi::SetScreenLogPixels(saved); });
  TdxSkinImage image(nullptr);
  image.Texture()->LoadFromBits(16, 16, std::vector<std::uint32_t>(256, 0xFFC00000u), false);
  image.SetStretch(TdxSkinStretchMode::smNoResize);
  DibDC d(40, 40);
  image.Draw(d.dc, ui::TRect{0, 0, 40, 40});
  EXPECT_EQ(d.rgb(20, 20), 0xC00000u);
  EXPECT_EQ(d.rgb(7, 20), 0xFFFFFFu);
  EXPECT_EQ(d.rgb(32, 20), 0xFFFFFFu);
  EXPECT_EQ(d.rgb(20, 7), 0xFFFFFFu);
  // The outermost drawn columns are faded, not the frame's colour.
  for (int x : {8, 31}) {
    const std::uint32_t green = (d.rgb(x, 20) >> 8) & 0xFF;
    EXPECT_GT(green, 0x40u) << x;
  }
  EXPECT_EQ((d.rgb(12, 20) >> 8) & 0xFF, 0u) << "inside the fade";
}

TEST(SkinElementDrawing, ColourBordersAndGlyphInOrder) {
  auto e = newElement();
  e->SetColor(0x00FFFF);  // yellow
  e->Borders()->Items(0)->SetColor(0x0000FF);
  e->Borders()->Items(0)->SetThin(2);
  e->Borders()->Items(3)->SetColor(0xFF0000);
  e->Glyph()->SetGradientBeginColor(0x00FF00);
  e->SetContentOffset({5, 5, 5, 5});
  DibDC d(20, 20);
  e->Draw(d.dc, ui::TRect{0, 0, 20, 20});
  EXPECT_EQ(d.rgb(1, 10), 0xFF0000u) << "left border, 2 pixels";
  EXPECT_EQ(d.rgb(2, 10), 0xFFFF00u) << "element colour";
  EXPECT_EQ(d.rgb(10, 19), 0x0000FFu) << "bottom border";
  EXPECT_EQ(d.rgb(10, 18), 0xFFFF00u);
  EXPECT_EQ(d.rgb(5, 5), 0x00FF00u) << "glyph inside the content offset";
  EXPECT_EQ(d.rgb(14, 14), 0x00FF00u);
  EXPECT_EQ(d.rgb(15, 15), 0xFFFF00u);
}

TEST(SkinElementDrawing, AlternateAttributesByImageSetAndColourDepth) {
  struct Case {
    TdxSkinImageSet set;
    bool withImage;
    bool lowColors;
    bool expected;
  };
  const Case cases[] = {
      {TdxSkinImageSet::imsDefault, true, false, false},  {TdxSkinImageSet::imsDefault, true, true, true},
      {TdxSkinImageSet::imsOriginal, true, true, false},  {TdxSkinImageSet::imsAlternate, true, false, true},
      {TdxSkinImageSet::imsOriginal, false, false, true},
  };
  for (const Case& c : cases) {
    auto e = newElement();
    if (c.withImage) setNinePartTexture(*e->Image());
    auto* alt = static_cast<TdxSkinAlternateImageAttributes*>(
        e->AddProperty(u"AlternateImage1Normal", &dxSkinCreateProperty<TdxSkinAlternateImageAttributes>));
    alt->SetGradientBeginColor(0xFF0000);
    rtl::ScopedValue<TdxSkinImageSet> set(dxSkinsUseImageSet, c.set);
    TdxSkinAlternateImageAttributes* found = nullptr;
    // A state the image lacks is asked as its first state, Normal.
    EXPECT_EQ(e->CanUseAlternateImageSet(0, S::esHot, found, c.lowColors), c.expected)
        << static_cast<int>(c.set) << c.withImage << c.lowColors;
    EXPECT_EQ(found, c.expected ? alt : nullptr);
    DibDC d(12, 12);
    if (!c.lowColors) {
      e->Draw(d.dc, ui::TRect{0, 0, 12, 12});
      EXPECT_EQ(d.rgb(5, 6), c.expected ? 0x0000FFu : kPartColors[4]);
    }
  }
  // The looked-up set follows added properties and the set index.
  auto e = newElement();
  e->Image()->SetImageCount(2);
  e->Image()->SetStates({S::esNormal, S::esHot});
  TdxSkinAlternateImageAttributes* found = nullptr;
  EXPECT_FALSE(e->CanUseAlternateImageSet(0, S::esHot, found, false));
  e->AddProperty(u"AlternateImage2Normal", &dxSkinCreateProperty<TdxSkinAlternateImageAttributes>);
  EXPECT_FALSE(e->CanUseAlternateImageSet(0, S::esNormal, found, false));
  EXPECT_TRUE(e->CanUseAlternateImageSet(1, S::esNormal, found, false)) << "the second set";
  EXPECT_FALSE(e->CanUseAlternateImageSet(1, S::esHot, found, false));
  e->AddProperty(u"AlternateImage2Hot", &dxSkinCreateProperty<TdxSkinAlternateImageAttributes>);
  EXPECT_TRUE(e->CanUseAlternateImageSet(1, S::esHot, found, false)) << "an added property is looked up anew";
  EXPECT_EQ(dxSkinGetAlternateImageAttrsPropertyName(S::esHot, 0), String(u"AlternateImage1Hot"));
  e->AddProperty(u"AlternateImage1Normal", &dxSkinCreateProperty<TdxSkinColor>);
  EXPECT_FALSE(e->CanUseAlternateImageSet(0, S::esNormal, found, false)) << "another type is no attribute";
}

// The alternate attributes: gradient inside the content offsets, outer
// borders on it, inner borders inside the outer ones.
TEST(SkinElementDrawing, AlternateAttributesLayers) {
  auto e = newElement();
  auto* alt = static_cast<TdxSkinAlternateImageAttributes*>(
      e->AddProperty(u"AlternateImage1Normal", &dxSkinCreateProperty<TdxSkinAlternateImageAttributes>));
  alt->SetContentOffsets({2, 2, 2, 2});
  alt->SetGradientBeginColor(0x00FF00);
  alt->Borders()->Items(1)->SetColor(0x0000FF);
  alt->BordersInner()->Items(1)->SetColor(0xFF0000);
  DibDC d(12, 12);
  e->Draw(d.dc, ui::TRect{0, 0, 12, 12});
  EXPECT_EQ(d.rgb(6, 1), 0xFFFFFFu);
  EXPECT_EQ(d.rgb(6, 2), 0xFF0000u) << "outer top border";
  EXPECT_EQ(d.rgb(6, 3), 0x0000FFu) << "inner top border";
  EXPECT_EQ(d.rgb(6, 4), 0x00FF00u);
}

TEST(SkinElementDrawing, EmptyElementIsWhiteWithRedFrame) {
  dxSkinsCoreInitialization();
  for (S state : {S::esNormal, S::esPressed}) {
    DibDC d(10, 8, 0);
    dxSkinEmptyElement()->Draw(d.dc, ui::TRect{1, 1, 9, 7}, state, 3);
    EXPECT_EQ(d.rgb(1, 1), 0xFF0000u);
    EXPECT_EQ(d.rgb(8, 6), 0xFF0000u);
    EXPECT_EQ(d.rgb(2, 2), 0xFFFFFFu);
    EXPECT_EQ(d.rgb(0, 0), 0u);
  }
}

// Cached output equals the element's own drawing pixel for pixel, opaque or
// with alpha, and the cache is rebuilt only when something changed.
TEST(SkinElementCache, CachedDrawEqualsUncachedDraw) {
  struct Case {
    const char* name;
    bool alphaTexture;
    rtl::Cardinal color;
    rtl::Byte alpha;
  };
  const Case cases[] = {{"opaque", false, 0x336699, 255},
                        {"alpha texture", true, kSkinClDefault, 255},
                        {"translucent colour", false, 0x336699, 100}};
  for (const Case& c : cases) {
    auto e = newElement();
    setNinePartTexture(*e->Image(), 2, 0x000020);
    if (c.alphaTexture) {
      std::vector<std::uint32_t> bits(24 * 12);
      for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = (i % 3 ? 0x80000000u : 0xFF000000u) | 0x4080C0u;
      e->Image()->Texture()->LoadFromBits(24, 12, bits, true);
    }
    if (c.alpha < 255) e->Image()->Clear();
    e->Image()->SetStates({S::esNormal, S::esHot});
    e->SetColor(c.color);
    e->SetAlpha(c.alpha);
    e->Borders()->Items(2)->SetColor(0x00FF00);
    const ui::TRect r{3, 2, 33, 22};
    DibDC direct(36, 24, 0x00A0B0C0), cached(36, 24, 0x00A0B0C0);
    e->Draw(direct.dc, r, S::esHot);
    e->SetUseCache(true);
    e->Draw(cached.dc, ui::TRect{0, 0, 30, 20}, S::esHot);  // builds at another place
    for (int i = 0; i < 36 * 24; ++i) cached.bits[i] = 0x00A0B0C0;
    e->Draw(cached.dc, r, S::esHot);
    EXPECT_EQ(e->Cache()->BuildCount(), 1) << c.name;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 36; ++x) ASSERT_EQ(cached.rgb(x, y), direct.rgb(x, y)) << c.name << " " << x << "," << y;
  }
}

TEST(SkinElementCache, RebuiltOnChangeOfSizeStateIndexImageSetOrElement) {
  auto e = newElement();
  setNinePartTexture(*e->Image());
  e->SetUseCache(true);
  DibDC d(40, 40);
  struct Step {
    const char* what;
    std::function<void()> act;
    int builds;
  };
  const ui::TRect r{0, 0, 20, 20};
  const Step steps[] = {
      {"first draw", [&] { e->Draw(d.dc, r); }, 1},
      {"same size elsewhere", [&] { e->Draw(d.dc, ui::TRect{10, 10, 30, 30}); }, 1},
      {"other size", [&] { e->Draw(d.dc, ui::TRect{0, 0, 21, 20}); }, 2},
      {"other state", [&] { e->Draw(d.dc, ui::TRect{0, 0, 21, 20}, S::esHot); }, 3},
      {"other index", [&] { e->Draw(d.dc, ui::TRect{0, 0, 21, 20}, S::esHot, 1); }, 4},
      {"image set",
       [&] {
         rtl::ScopedValue<TdxSkinImageSet> set(dxSkinsUseImageSet, TdxSkinImageSet::imsOriginal);
         e->Draw(d.dc, ui::TRect{0, 0, 21, 20}, S::esHot, 1);
       },
       5},
      {"image set back", [&] { e->Draw(d.dc, ui::TRect{0, 0, 21, 20}, S::esHot, 1); }, 6},
      {"element change",
       [&] {
         e->SetColor(0xFF);
         e->Draw(d.dc, ui::TRect{0, 0, 21, 20}, S::esHot, 1);
       },
       7},
      {"empty rectangle", [&] { e->Draw(d.dc, ui::TRect{5, 5, 5, 9}); }, 7},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(e->Cache()->BuildCount(), s.builds) << s.what;
  }
  e->SetUseCache(false);
  EXPECT_EQ(e->Cache(), nullptr);
}

}  // namespace

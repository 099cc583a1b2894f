// The Office11 palette: scheme detection, the per-scheme and system-derived
// colours, reference counting and refresh, the recoloured submenu artwork
// and the grip, frame and gradient drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "lib/core/cxGraphicsColors.h"
#include "lib/core/dxOffice11.h"
#include "lib/core/dxUxTheme.h"
#include "lib/core/screen_dpi.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/bitmap.h"
#include "tests/support/golden.h"

using namespace core;
using ui::TColor;

namespace {

constexpr TColor rgb(int r, int g, int b) { return TColor(gdi::RGB(gdi::BYTE(r), gdi::BYTE(g), gdi::BYTE(b))); }

// A visual-style engine that reports the theme names the test chooses.
class SchemeEngine : public IdxVisualStylesProvider {
 public:
  std::u16string fileName = u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles";
  std::u16string colorName = u"NormalColor";
  bool named = true;

  HTHEME OpenThemeData(win::HWND, const char16_t*) override { return reinterpret_cast<HTHEME>(1); }
  HRESULT CloseThemeData(HTHEME) override { return dxS_OK; }
  bool HasIsThemeActive() override { return true; }
  win::BOOL IsThemeActive() override { return 1; }
  HRESULT GetCurrentThemeName(char16_t* file, int fileMax, char16_t* color, int colorMax, char16_t* size,
                              int sizeMax) override {
    if (!named) return dxE_FAIL;
    copy(fileName, file, fileMax);
    copy(colorName, color, colorMax);
    copy(u"NormalSize", size, sizeMax);
    return dxS_OK;
  }

 private:
  static void copy(const std::u16string& s, char16_t* to, int max) {
    if (!to || max <= 0) return;
    const size_t n = std::min<size_t>(s.size(), size_t(max - 1));
    s.copy(to, n);
    to[n] = 0;
  }
};

// A 32-bit bitmap read pixel by pixel as 0x00BBGGRR, like colours.
struct Canvas32 {
  ui::TBitmap bmp;
  Canvas32(int w, int h, TColor fill) {
    bmp.SetPixelFormat(ui::pf32bit);
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(x, y, fill);
  }
  std::uint32_t& At(int x, int y) { return static_cast<std::uint32_t*>(bmp.ScanLine(y))[x]; }
  void Set(int x, int y, TColor c) {
    const gdi::COLORREF v = ui::ColorToRGB(c);
    At(x, y) = 0xFF000000u | (gdi::GetRValue(v) << 16) | (gdi::GetGValue(v) << 8) | gdi::GetBValue(v);
  }
  TColor Get(int x, int y) {
    const std::uint32_t p = At(x, y);
    return rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  gdi::HDC dc() { return bmp.Canvas()->Handle(); }
  int Count(TColor c) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) n += Get(x, y) == c;
    return n;
  }
};

// Every test leaves the palette unreferenced, the classic system colours,
// no theme engine and the current platform version behind it.
class Office11 : public testing::Test {
 protected:
  SchemeEngine engine;

  void TearDown() override {
    while (dxOffice11MenuBrush) ReleaseOffice11Colors();
    dxSetVisualStylesProvider(nullptr);
    dxSetOffice11PlatformMajorVersion(10);
    gdi::ResetSysColors();
  }
  void UseScheme(const char16_t* colorName) {
    engine.colorName = colorName;
    dxSetVisualStylesProvider(&engine);
    RefreshOffice11Colors();
  }
  // Known system colours, so that the derived palette has known values.
  static void UseSystemColors() {
    const int indexes[] = {gdi::COLOR_BTNFACE,   gdi::COLOR_WINDOW,        gdi::COLOR_BTNSHADOW,
                           gdi::COLOR_BTNTEXT,   gdi::COLOR_HIGHLIGHT,     gdi::COLOR_HIGHLIGHTTEXT,
                           gdi::COLOR_GRAYTEXT,  gdi::COLOR_BTNHIGHLIGHT};
    const gdi::COLORREF colors[] = {gdi::RGB(200, 200, 200), gdi::RGB(255, 255, 255), gdi::RGB(100, 100, 100),
                                    gdi::RGB(0, 0, 0),       gdi::RGB(0, 0, 128),     gdi::RGB(255, 255, 255),
                                    gdi::RGB(128, 128, 128), gdi::RGB(255, 255, 255)};
    gdi::SetSysColors(8, indexes, colors);
  }
};

}  // namespace

// ---- which scheme ------------------------------------------------------------------------------

TEST_F(Office11, SchemeComesFromTheColourNameAndOnOlderSystemsTheLunaFile) {
  struct Case {
    const char16_t* file;
    const char16_t* color;
    int majorVersion;
    TOffice11Scheme expected;
  } cases[] = {
      {u"C:\\Themes\\Luna\\luna.msstyles", u"NormalColor", 10, schNormalColor},
      {u"C:\\Themes\\Aero\\aero.msstyles", u"normalcolor", 10, schNormalColor},  // any file on a current system
      {u"C:\\Themes\\Luna\\luna.msstyles", u"HomeStead", 10, schHomestead},
      {u"C:\\Themes\\Luna\\luna.msstyles", u"METALLIC", 10, schMetallic},
      {u"C:\\Themes\\Royale\\royale.msstyles", u"Royale", 10, schUnknown},
      {u"C:\\Themes\\Luna\\luna.msstyles", u"", 10, schUnknown},
      {u"C:\\Themes\\Luna\\LUNA.MSSTYLES", u"Metallic", 5, schMetallic},
      {u"luna.msstyles", u"Homestead", 5, schHomestead},
      {u"C:\\Themes\\Aero\\aero.msstyles", u"NormalColor", 5, schUnknown},
      {u"C:\\Themes\\luna.msstyles\\other.msstyles", u"NormalColor", 5, schUnknown},  // folders do not count
  };
  dxSetVisualStylesProvider(&engine);
  for (const Case& c : cases) {
    engine.fileName = c.file;
    engine.colorName = c.color;
    dxSetOffice11PlatformMajorVersion(c.majorVersion);
    const std::string what = rtl::StringToUtf8(c.file) + " / " + rtl::StringToUtf8(c.color);
    EXPECT_EQ(dxGetOffice11Scheme(), c.expected) << what;
    InitOffice11Colors();
    EXPECT_EQ(GetOffice11Scheme(), c.expected) << what;
    EXPECT_EQ(IsXPStandardScheme(), c.expected != schUnknown) << what;
  }
}

TEST_F(Office11, NoSchemeWithoutAnEngineOrWithoutThemeNames) {
  EXPECT_EQ(dxGetOffice11Scheme(), schUnknown);  // no engine: visual styles are not available
  engine.named = false;
  dxSetVisualStylesProvider(&engine);
  EXPECT_EQ(dxGetOffice11Scheme(), schUnknown);
  InitOffice11Colors();
  EXPECT_FALSE(IsXPStandardScheme());
  EXPECT_EQ(GradientPercent, 75);
}

// ---- palette values ------------------------------------------------------------------------------

TEST_F(Office11, SchemePalettesTakeTheirTableAndDeriveTheRest) {
  struct Case {
    const char16_t* scheme;
    const TColor* variable;
    const char* name;
    TColor expected;
  } cases[] = {
      {u"NormalColor", &dxOffice11ToolbarsColor1, "toolbars 1", rgb(221, 236, 254)},
      {u"NormalColor", &dxOffice11BarMarkColors2[0], "mark 2 first", rgb(0, 53, 145)},
      {u"NormalColor", &dxOffice11BarMarkColors1[2], "mark 1 third", rgb(254, 149, 82)},
      {u"NormalColor", &dxOffice11NavPaneHeaderFontColor, "last entry", rgb(255, 255, 255)},
      {u"NormalColor", &dxOffice11NavPaneSplitterColor1, "splitter 1", rgb(89, 135, 214)},
      // Mid(first mark colour, toolbars colour 1, 90)
      {u"NormalColor", &dxOffice11BarBorderMarkColors[0], "border mark 1", rgb(127, 173, 242)},
      {u"NormalColor", &dxOffice11GroupIndentColor, "group indent", rgb(253, 237, 201)},
      {u"NormalColor", &dxOffice11BarMarkArrowColor2, "mark arrow 2", rgb(255, 255, 255)},
      {u"NormalColor", &dxOffice11BarFloatingCaptionTextColor2, "caption text 2", rgb(0, 0, 0)},
      {u"Homestead", &dxOffice11DockColor1, "dock 1", rgb(217, 217, 167)},
      {u"Homestead", &dxOffice11SelectedBorderColor, "selected border", rgb(63, 93, 56)},
      {u"Homestead", &dxOffice11GroupRowSeparatorColor, "row separator", rgb(181, 196, 143)},
      // Mid(first mark colour 2, second border colour, 50)
      {u"Homestead", &dxOffice11InPlaceSubItemColor, "in-place sub item", rgb(139, 158, 126)},
      {u"Homestead", &dxOffice11DropDownBorderColor2, "drop-down border 2", rgb(244, 244, 238)},
      {u"Homestead", &dxOffice11InPlaceSubItemTextColor, "in-place text", rgb(255, 255, 255)},
      {u"Metallic", &dxOffice11MenuColor, "menu", rgb(253, 250, 255)},
      {u"Metallic", &dxOffice11NavPaneSplitterColor2, "splitter 2", rgb(112, 111, 145)},
      {u"Metallic", &dxOffice11StaticBorderColor, "static border", rgb(124, 124, 148)},
      {u"Metallic", &dxOffice11BarFloatingBorderColor3, "floating border 3", rgb(243, 244, 250)},
      {u"Metallic", &dxOffice11DetachableSelectedColor, "detachable selected", rgb(255, 238, 194)},
  };
  for (const Case& c : cases) {
    UseScheme(c.scheme);
    EXPECT_EQ(*c.variable, c.expected) << rtl::StringToUtf8(c.scheme) << ": " << c.name;
  }
  struct Percent {
    const char16_t* scheme;
    int expected;
  } percents[] = {{u"NormalColor", 41}, {u"Homestead", 125}, {u"Metallic", 40}};
  for (const Percent& p : percents) {
    UseScheme(p.scheme);
    EXPECT_EQ(GradientPercent, p.expected) << rtl::StringToUtf8(p.scheme);
  }
}

TEST_F(Office11, WithoutASchemeThePaletteFollowsTheSystemColours) {
  UseSystemColors();
  UseScheme(u"Royale");  // a style, but not one with a table
  EXPECT_EQ(GetOffice11Scheme(), schUnknown);
  EXPECT_FALSE(IsXPStandardScheme());
  EXPECT_EQ(GradientPercent, 75);
  // Face 200 grey, window white, shadow 100 grey, highlight navy.
  struct Case {
    const TColor* variable;
    const char* name;
    TColor expected;
  } cases[] = {
      {&dxOffice11DockColor1, "dock 1 = face", rgb(200, 200, 200)},
      {&dxOffice11DockColor2, "dock 2 = mid(face, window, 20)", rgb(244, 244, 244)},
      {&dxOffice11ToolbarsColor1, "toolbars 1 = mid(face, window, 22)", rgb(243, 243, 243)},
      {&dxOffice11ToolbarsColor2, "toolbars 2 = mid(face, window, 96)", rgb(202, 202, 202)},
      {&dxOffice11BarMarkColors1[0], "mark 1 = mid(shadow, window, 74)", rgb(140, 140, 140)},
      {&dxOffice11BarFingerColor1, "finger 1 = mid(shadow, window, 76)", rgb(137, 137, 137)},
      {&dxOffice11BarSeparatorColor1, "separator 1 = mid(shadow, window, 70), halves up", rgb(147, 147, 147)},
      {&dxOffice11ToolbarSelectedColor, "light(-2, 30, 72)", rgb(180, 180, 218)},
      {&dxOffice11DownedColor, "light(41, 11, 48)", rgb(204, 204, 218)},
      {&dxOffice11DayNavigatorSelectedColor, "= downed", rgb(204, 204, 218)},
      {&dxOffice11SelectedBorderColor, "= highlight", rgb(0, 0, 128)},
      {&dxOffice11TextDisabledColor, "= grey text", rgb(128, 128, 128)},
      {&dxOffice11NavPaneGroupCaptionColor1, "caption start v*127/255+128", rgb(227, 227, 227)},
      {&dxOffice11NavPaneGroupCaptionColor2, "caption end v-v*4/255+4", rgb(201, 201, 201)},
      {&dxOffice11MenuNonRecentIndentColor1, "mid(indent 1, black, 92)", rgb(224, 224, 224)},
      {&dxOffice11InPlaceSubItemColor, "mid(shadow, face, 50)", rgb(150, 150, 150)},
      {&dxOffice11GroupIndentColor, "= face", rgb(200, 200, 200)},
      {&dxOffice11NavPaneHeaderFontColor, "= highlight text", rgb(255, 255, 255)},
  };
  for (const Case& c : cases) EXPECT_EQ(*c.variable, c.expected) << c.name;
}

TEST_F(Office11, NavPaneCaptionEndColourKeepsTheLowByte) {
  // A white face: 255 - 4 + 4 = 255; a face of 2: 2 - 0 + 4 = 6; the start
  // colour of black is 128.
  struct Case {
    int face;
    TColor start, end;
  } cases[] = {{255, rgb(255, 255, 255), rgb(255, 255, 255)},
               {2, rgb(128, 128, 128), rgb(6, 6, 6)},
               {0, rgb(128, 128, 128), rgb(4, 4, 4)}};
  for (const Case& c : cases) {
    const int index = gdi::COLOR_BTNFACE;
    const gdi::COLORREF color = gdi::RGB(gdi::BYTE(c.face), gdi::BYTE(c.face), gdi::BYTE(c.face));
    gdi::SetSysColors(1, &index, &color);
    EXPECT_EQ(GetdxOffice11NavPaneGroupCaptionColor(true), c.start) << c.face;
    EXPECT_EQ(GetdxOffice11NavPaneGroupCaptionColor(false), c.end) << c.face;
  }
}

// ---- references and refresh --------------------------------------------------------------------------

TEST_F(Office11, BrushesAndBitmapsLiveWhileReferencedAndShareWhereNamed) {
  CreateOffice11Colors();
  CreateOffice11Colors();
  ReleaseOffice11Colors();
  ASSERT_NE(dxOffice11MenuBrush, nullptr);  // one reference is left
  ASSERT_NE(dxOffice11SubMenuExpandBitmap, nullptr);
  EXPECT_EQ(dxOffice11ExpandButtonBitmap1->Width(), 9);
  EXPECT_NE(dxOffice11ExpandButtonBitmap2, nullptr);
  EXPECT_EQ(dxOffice11StaticBorderBrush, dxOffice11DropDownBorderBrush1);
  EXPECT_EQ(dxOffice11DropDownBorderBrush2, dxOffice11MenuBrush);
  EXPECT_EQ(dxOffice11DetachableSelectedBrush, dxOffice11ToolbarSelectedBrush);
  EXPECT_NE(dxOffice11DownedBrush, dxOffice11DownedSelectedBrush);
  EXPECT_EQ(dxOffice11ExpandButtonColor2, rgb(46, 70, 95));

  ReleaseOffice11Colors();
  EXPECT_EQ(dxOffice11MenuBrush, nullptr);
  EXPECT_EQ(dxOffice11StaticBorderBrush, nullptr);
  EXPECT_EQ(dxOffice11SubMenuExpandBitmap, nullptr);
  ReleaseOffice11Colors();  // one release too many changes nothing
  CreateOffice11Colors();
  EXPECT_NE(dxOffice11MenuBrush, nullptr);  // counting starts over from zero
}

TEST_F(Office11, RefreshRecomputesThePaletteAndRemakesTheBrushes) {
  auto menuBrushColor = [] {
    Canvas32 c(2, 2, ui::clFuchsia);
    const gdi::RECT r{0, 0, 2, 2};
    gdi::FillRect(c.dc(), &r, dxOffice11MenuBrush);
    return c.Get(1, 1);
  };
  engine.colorName = u"NormalColor";
  dxSetVisualStylesProvider(&engine);
  CreateOffice11Colors();
  EXPECT_EQ(menuBrushColor(), rgb(246, 246, 246));

  engine.colorName = u"Metallic";  // the user picks another scheme
  RefreshOffice11Colors();
  EXPECT_EQ(GetOffice11Scheme(), schMetallic);
  EXPECT_EQ(menuBrushColor(), rgb(253, 250, 255));
  EXPECT_EQ(GradientPercent, 40);

  UseSystemColors();
  dxSetVisualStylesProvider(nullptr);  // visual styles switched off
  RefreshOffice11Colors();
  EXPECT_FALSE(IsXPStandardScheme());
  EXPECT_EQ(menuBrushColor(), rgb(255, 255, 255));  // the window colour

  ReleaseOffice11Colors();
  engine.colorName = u"Homestead";
  dxSetVisualStylesProvider(&engine);
  RefreshOffice11Colors();  // unreferenced: colours only
  EXPECT_EQ(dxOffice11DockColor1, rgb(217, 217, 167));
  EXPECT_EQ(dxOffice11MenuBrush, nullptr);
}

// ---- the submenu artwork ---------------------------------------------------------------------------

TEST_F(Office11, SubMenuArtworkIsShadedBetweenTheToolbarColours) {
  const TColor bg = ui::clFuchsia;
  struct Case {
    const char* name;
    TColor c1, c2;
    std::vector<int> greys;  // the artwork's grey levels, one pixel each
    std::vector<TColor> expected;
  } cases[] = {
      {"two levels: light takes colour 1, dark colour 2", rgb(200, 100, 50), rgb(100, 150, 250),
       {0xC0, 0x40, 0x80}, {rgb(200, 100, 50), rgb(100, 150, 250), rgb(150, 125, 150)}},
      // One level: the span is 0 and MulDiv answers -1, a mix of 101 % of
      // colour 2 less 1 % of colour 1, clamped.
      {"one grey level", rgb(200, 100, 50), rgb(100, 150, 250), {0x80, 0x80}, {rgb(99, 151, 252), rgb(99, 151, 252)}},
      {"equal colours: the second turns black", rgb(60, 60, 60), rgb(60, 60, 60), {0xC0, 0x40},
       {rgb(60, 60, 60), rgb(0, 0, 0)}},
      {"equal black colours: the second turns white", rgb(0, 0, 0), rgb(0, 0, 0), {0xC0, 0x40},
       {rgb(0, 0, 0), rgb(255, 255, 255)}},
  };
  for (const Case& c : cases) {
    dxOffice11ToolbarsColor1 = c.c1;
    dxOffice11ToolbarsColor2 = c.c2;
    const int n = int(c.greys.size());
    Canvas32 art(n + 2, 1, bg);
    for (int i = 0; i < n; ++i) art.Set(i + 1, 0, rgb(c.greys[i], c.greys[i], c.greys[i]));
    art.Set(n + 1, 0, ui::clBlack);  // outline pixels keep their colour
    PrepareSubMenuExpandBitmap(&art.bmp);
    EXPECT_EQ(art.Get(0, 0), bg) << c.name;
    EXPECT_EQ(art.Get(n + 1, 0), ui::clBlack) << c.name;
    for (int i = 0; i < n; ++i) EXPECT_EQ(art.Get(i + 1, 0), c.expected[i]) << c.name << " pixel " << i;
  }
}

TEST_F(Office11, CreatedSubMenuBitmapCarriesTheToolbarGradient) {
  UseScheme(u"NormalColor");
  CreateOffice11Colors();
  ui::TBitmap* bmp = dxOffice11SubMenuExpandBitmap;
  ASSERT_NE(bmp, nullptr);
  Canvas32 copy(bmp->Width(), bmp->Height(), ui::clBlack);
  for (int y = 0; y < bmp->Height(); ++y)
    for (int x = 0; x < bmp->Width(); ++x) copy.At(x, y) = static_cast<std::uint32_t*>(bmp->ScanLine(y))[x];
  // The lightest grey became the first toolbar colour, the darkest the second.
  EXPECT_GT(copy.Count(dxOffice11ToolbarsColor1), 0);
  EXPECT_GT(copy.Count(dxOffice11ToolbarsColor2), 0);
  EXPECT_EQ(copy.Get(0, 0), ui::clFuchsia);
}

// ---- drawing ------------------------------------------------------------------------------------------

class Office11Drawing : public Office11 {
 protected:
  void SetUp() override {
    ASSERT_EQ(cxGetCurrentDPI(), 96);
    CreateOffice11Colors();
  }
};

TEST_F(Office11Drawing, FingerElementsAreCentredDotsWithinTheRectangle) {
  struct Case {
    gdi::RECT r;
    bool vertical;
    std::vector<int> starts;  // where each dot's dark corner is, along the direction
  } cases[] = {
      {{0, 0, 12, 4}, false, {0, 4, 8}},   // no spare pixels
      {{0, 0, 13, 4}, false, {1, 5, 9}},   // one spare pixel: moved by all of it
      {{0, 0, 14, 4}, false, {1, 5, 9}},   // two: moved by half
      {{0, 0, 11, 4}, false, {1, 5}},      // three: by half, and a third dot would not fit
      {{2, 0, 6, 14}, true, {1, 5, 9}},
      {{0, 0, 3, 4}, false, {}},           // too small for one dot
  };
  const TColor light = rgb(255, 255, 255), dark = rgb(200, 0, 0), paper = rgb(0, 0, 255);
  for (const Case& c : cases) {
    Canvas32 canvas(16, 16, paper);
    gdi::HBRUSH lightBrush = gdi::CreateSolidBrush(ui::ColorToRGB(light));
    gdi::HBRUSH darkBrush = gdi::CreateSolidBrush(ui::ColorToRGB(dark));
    Office11DrawFingerElements(canvas.dc(), c.r, c.vertical, lightBrush, darkBrush);
    gdi::DeleteObject(lightBrush);
    gdi::DeleteObject(darkBrush);
    const std::string what = std::to_string(c.r.right - c.r.left) + "x" + std::to_string(c.r.bottom - c.r.top);
    EXPECT_EQ(canvas.Count(dark), 4 * int(c.starts.size())) << what;
    EXPECT_EQ(canvas.Count(light), 3 * int(c.starts.size())) << what;
    for (int s : c.starts) {
      const int x = c.r.left + (c.vertical ? 0 : s), y = c.r.top + (c.vertical ? s : 0);
      EXPECT_EQ(canvas.Get(x, y), dark) << what << " at " << s;
      EXPECT_EQ(canvas.Get(x + 1, y + 1), dark) << what << " at " << s;
      EXPECT_EQ(canvas.Get(x + 2, y + 2), light) << what << " at " << s;
      EXPECT_EQ(canvas.Get(x + 3, y + 3), paper) << what << " at " << s;
    }
  }
}

TEST_F(Office11Drawing, FingerElementsDefaultToThePaletteBrushes) {
  Canvas32 canvas(8, 4, ui::clFuchsia);
  Office11DrawFingerElements(canvas.dc(), gdi::RECT{0, 0, 8, 4}, false);
  EXPECT_EQ(canvas.Get(0, 0), dxOffice11BarFingerColor1);
  EXPECT_EQ(canvas.Get(2, 2), dxOffice11BarFingerColor2);
  EXPECT_EQ(canvas.Get(4, 0), dxOffice11BarFingerColor1);
}

TEST_F(Office11Drawing, SizeGripIsATriangleOfSixDotsInTheCorner) {
  const TColor dark = rgb(200, 0, 0), light = rgb(255, 255, 255), paper = rgb(0, 0, 255);
  Canvas32 canvas(20, 20, paper);
  Office11DrawSizeGrip(canvas.dc(), gdi::RECT{0, 0, 20, 20}, dark, light);
  EXPECT_EQ(canvas.Count(dark), 6 * 4);
  EXPECT_EQ(canvas.Count(light), 6 * 3);
  struct Dot {
    int x, y;
  } dots[] = {{8, 17}, {12, 17}, {16, 17}, {12, 13}, {16, 13}, {16, 9}};
  for (const Dot& d : dots) {
    EXPECT_EQ(canvas.Get(d.x, d.y), dark) << d.x << "," << d.y;
    EXPECT_EQ(canvas.Get(d.x + 2, d.y + 2), light) << d.x << "," << d.y;
  }
  EXPECT_EQ(canvas.Get(19, 19), paper);  // the corner pixel itself stays clear
  EXPECT_EQ(canvas.Get(8, 13), paper);   // nothing left of the triangle's edge
}

TEST_F(Office11Drawing, SizeGripWithThePaletteColours) {
  Canvas32 canvas(16, 16, dxOffice11ToolbarsColor1);
  Office11DrawSizeGrip(canvas.dc(), gdi::RECT{0, 0, 16, 16});
  EXPECT_EQ(canvas.Get(15 - 3, 13), dxOffice11BarFingerColor1);
  EXPECT_GOLDEN(canvas.bmp.ToImage(), "core", "office11_size_grip");
}

TEST_F(Office11Drawing, SelectedFrameUsesTheBorderBrushOrHighContrastText) {
  struct Case {
    const char* name;
    bool highContrast;
  } cases[] = {{"normal", false}, {"high contrast black", true}};
  for (const Case& c : cases) {
    if (c.highContrast) {
      const int indexes[] = {gdi::COLOR_BTNFACE, gdi::COLOR_HIGHLIGHTTEXT};
      const gdi::COLORREF colors[] = {gdi::RGB(0, 0, 0), gdi::RGB(0, 255, 0)};
      gdi::SetSysColors(2, indexes, colors);
    }
    const TColor expected = c.highContrast ? rgb(0, 255, 0) : dxOffice11SelectedBorderColor;
    Canvas32 canvas(8, 8, ui::clFuchsia);
    Office11FrameSelectedRect(canvas.dc(), gdi::RECT{1, 1, 7, 7});
    EXPECT_EQ(canvas.Get(1, 1), expected) << c.name;
    EXPECT_EQ(canvas.Get(6, 4), expected) << c.name;
    EXPECT_EQ(canvas.Get(3, 3), ui::clFuchsia) << c.name;  // a frame, not a fill
    EXPECT_EQ(canvas.Get(0, 0), ui::clFuchsia) << c.name;
  }
}

TEST_F(Office11Drawing, TubeGradientUsesTheSchemesShare) {
  struct Case {
    const char16_t* scheme;
    int percent;
  } cases[] = {{u"Homestead", 125}, {u"Royale", 75}};
  for (const Case& c : cases) {
    UseScheme(c.scheme);
    Canvas32 drawn(4, 32, ui::clBlack), expected(4, 32, ui::clBlack), other(4, 32, ui::clBlack);
    const gdi::RECT r{0, 0, 4, 32};
    Office11FillTubeGradientRect(drawn.dc(), r, ui::clWhite, rgb(0, 0, 128), false);
    FillTubeGradientRect(expected.dc(), r, ui::clWhite, rgb(0, 0, 128), c.percent, false);
    FillTubeGradientRect(other.dc(), r, ui::clWhite, rgb(0, 0, 128), 200 - c.percent, false);
    bool same = true, differs = false;
    for (int y = 0; y < 32; ++y) {
      same = same && drawn.Get(1, y) == expected.Get(1, y);
      differs = differs || drawn.Get(1, y) != other.Get(1, y);
    }
    EXPECT_TRUE(same) << rtl::StringToUtf8(c.scheme);
    EXPECT_TRUE(differs) << rtl::StringToUtf8(c.scheme);
  }
}

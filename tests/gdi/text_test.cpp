// Fonts and text: the font mapping, metrics, extents that add up, line
// output with alignment, backgrounds, clipping and origins, formatted text
// and rotation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "tests/support/golden.h"
#include "tests/gdi/canvas.h"

using namespace gdi;
using gdi_test::Canvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

LOGFONTW Logfont(const char16_t* face, LONG height, LONG weight = FW_NORMAL) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

// A font selected into a canvas for the life of the object.
class Font {
 public:
  Font(HDC dc, const LOGFONTW& lf) : dc_(dc), font_(CreateFontIndirectW(&lf)) { old_ = SelectObject(dc, font_); }
  Font(HDC dc, const char16_t* face, LONG height, LONG weight = FW_NORMAL)
      : Font(dc, Logfont(face, height, weight)) {}
  ~Font() {
    SelectObject(dc_, old_);
    DeleteObject(font_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT handle() const { return font_; }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ old_;
};

TEXTMETRICW Metrics(HDC dc) {
  TEXTMETRICW tm;
  EXPECT_TRUE(GetTextMetricsW(dc, &tm));
  return tm;
}

SIZE Extent(HDC dc, const std::u16string& s) {
  SIZE sz;
  EXPECT_TRUE(GetTextExtentPoint32W(dc, s.data(), int(s.size()), &sz));
  return sz;
}

// Bounds of the pixels that differ from `background`; empty when none.
RECT InkBox(const Canvas& c, COLORREF background) {
  RECT r{c.width(), c.height(), 0, 0};
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (c.Color(x, y) != background) {
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
  if (r.left >= r.right) return RECT{};
  return r;
}

int CountColor(const Canvas& c, COLORREF color, const RECT& area) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += c.Color(x, y) == color;
  return n;
}

// ---- the font mapping --------------------------------------------------------------------
struct MappingCase {
  const char16_t* face;
  LONG weight;
  const char* file;
};

TEST(FontMapping, WindowsFacesResolveToTheConfiguredFiles) {
  const MappingCase cases[] = {
      {u"Tahoma", FW_NORMAL, "/usr/share/wine/fonts/tahoma.ttf"},
      {u"Tahoma", FW_BOLD, "/usr/share/wine/fonts/tahomabd.ttf"},
      {u"tahoma", FW_NORMAL, "/usr/share/wine/fonts/tahoma.ttf"},
      {u"MS Sans Serif", FW_NORMAL, "/usr/share/wine/fonts/ms_sans_serif.ttf"},
      {u"MS Shell Dlg", FW_NORMAL, "/usr/share/wine/fonts/ms_sans_serif.ttf"},
      {u"MS Shell Dlg 2", FW_NORMAL, "/usr/share/wine/fonts/tahoma.ttf"},
      {u"Marlett", FW_NORMAL, "/usr/share/wine/fonts/marlett.ttf"},
      {u"Verdana", FW_NORMAL, "DejaVuSans.ttf"},
      {u"Calibri", FW_NORMAL, "Carlito-Regular.ttf"},
      {u"Cambria", FW_NORMAL, "Caladea-Regular.ttf"},
      {u"Arial", FW_NORMAL, "LiberationSans-Regular.ttf"},
      {u"Arial", FW_BOLD, "LiberationSans-Bold.ttf"},
      {u"Times New Roman", FW_NORMAL, "LiberationSerif-Regular.ttf"},
      {u"Courier New", FW_NORMAL, "LiberationMono-Regular.ttf"},
      {u"No Such Face At All", FW_NORMAL, "DejaVuSans.ttf"},
  };
  for (const MappingCase& c : cases) {
    const LOGFONTW lf = Logfont(c.face, -11, c.weight);
    HFONT f = CreateFontIndirectW(&lf);
    const std::string file = FontFileOf(f);
    EXPECT_NE(file.find(c.file), std::string::npos)
        << std::string(c.face, c.face + std::char_traits<char16_t>::length(c.face)) << " -> " << file;
    DeleteObject(f);
  }
}

TEST(FontMapping, ItalicAsksForTheItalicFace) {
  LOGFONTW lf = Logfont(u"Arial", -12);
  lf.lfItalic = 1;
  HFONT f = CreateFontIndirectW(&lf);
  EXPECT_NE(FontFileOf(f).find("LiberationSans-Italic.ttf"), std::string::npos) << FontFileOf(f);
  DeleteObject(f);
}

// Italic text leans whether or not the family has an italic file: a face
// without one is slanted. Measured on the stem of an "l": the ink of a row
// near the top starts further right than that of a row near the bottom.
TEST(FontMapping, ItalicLeansWithOrWithoutAnItalicFace) {
  const struct {
    const char16_t* face;
    bool italic;
    int minLean;  // pixels between the bottom and top rows of the stem
  } cases[] = {
      {u"Tahoma", false, 0},  // upright: no lean
      {u"Tahoma", true, 5},   // no italic file: slanted
      {u"Verdana", true, 5},  // DejaVu Sans has an oblique file
      {u"Arial", true, 5},    // Liberation Sans has an italic file
  };
  for (const auto& c : cases) {
    Canvas canvas(80, 80);
    LOGFONTW lf = Logfont(c.face, -48);
    lf.lfItalic = c.italic;
    Font f(canvas.dc(), lf);
    TextOutW(canvas.dc(), 20, 10, u"l", 1);
    const RECT ink = InkBox(canvas, kWhite);
    ASSERT_GT(ink.bottom - ink.top, 20);
    // The leftmost ink of a row, a few rows in from either end of the stem.
    auto leftOf = [&](int y) {
      for (int x = 0; x < canvas.width(); ++x)
        if (canvas.Color(x, y) != kWhite) return x;
      return -1;
    };
    const int lean = leftOf(ink.top + 3) - leftOf(ink.bottom - 4);
    const std::string face(c.face, c.face + std::char_traits<char16_t>::length(c.face));
    if (c.minLean == 0)
      EXPECT_EQ(lean, 0) << face;
    else
      EXPECT_GE(lean, c.minLean) << face << (c.italic ? " italic" : "");
  }
}

// ---- metrics -----------------------------------------------------------------------------
TEST(TextMetrics, Tahoma8PointIsTheWineTahomaWithThePlatformsCell) {
  Canvas c(10, 10);
  Font f(c.dc(), u"Tahoma", -11);
  const TEXTMETRICW tm = Metrics(c.dc());
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAscent, 11);
  EXPECT_EQ(tm.tmDescent, 2);
  EXPECT_EQ(tm.tmInternalLeading, 2);
  EXPECT_EQ(tm.tmExternalLeading, 0);
  EXPECT_EQ(tm.tmAveCharWidth, 5);
  EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_EQ(tm.tmItalic, 0);
  EXPECT_EQ(tm.tmPitchAndFamily, TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS);
  EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
  EXPECT_EQ(tm.tmBreakChar, u' ');
  EXPECT_LT(tm.tmFirstChar, tm.tmLastChar);
  EXPECT_NE(FontFileOf(f.handle()).find("wine/fonts/tahoma.ttf"), std::string::npos);
  WCHAR face[LF_FACESIZE];
  EXPECT_EQ(GetTextFaceW(c.dc(), LF_FACESIZE, face), 7);
  EXPECT_EQ(std::u16string(face), u"Tahoma");
}

TEST(TextMetrics, HeightRules) {
  struct Case {
    const char16_t* face;
    LONG height;
    LONG cell;  // expected tmHeight
    LONG em;    // expected tmHeight - tmInternalLeading
  };
  const Case cases[] = {
      {u"Tahoma", -11, 13, 11}, {u"Tahoma", -13, 16, 13}, {u"Tahoma", 13, 13, 11}, {u"Tahoma", 16, 16, 13},
      {u"Tahoma", 20, 20, 17},  {u"Arial", -11, 12, 11},  {u"Arial", 15, 15, 13},  {u"Verdana", -16, 19, 16},
      {u"Tahoma", 0, 16, 13},  // the default: a 16-pixel cell
  };
  Canvas c(10, 10);
  for (const Case& k : cases) {
    Font f(c.dc(), k.face, k.height);
    const TEXTMETRICW tm = Metrics(c.dc());
    EXPECT_EQ(tm.tmHeight, k.cell) << "height " << k.height;
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, k.em) << "height " << k.height;
  }
}

TEST(TextMetrics, StyleFlagsAndWeight) {
  Canvas c(10, 10);
  LOGFONTW lf = Logfont(u"Tahoma", -11, FW_BOLD);
  lf.lfItalic = 1;
  lf.lfUnderline = 1;
  lf.lfStrikeOut = 1;
  lf.lfCharSet = DEFAULT_CHARSET;
  Font f(c.dc(), lf);
  const TEXTMETRICW tm = Metrics(c.dc());
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  EXPECT_EQ(tm.tmItalic, 255);
  EXPECT_EQ(tm.tmUnderlined, 255);
  EXPECT_EQ(tm.tmStruckOut, 255);
  EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
  // Bold text is wider than regular text.
  Font regular(c.dc(), u"Tahoma", -11);
  const int normalWidth = Extent(c.dc(), u"Bold text").cx;
  SelectObject(c.dc(), f.handle());
  EXPECT_GT(Extent(c.dc(), u"Bold text").cx, normalWidth);
}

TEST(TextMetrics, FixedPitchFontsSayNotVariable) {
  Canvas c(10, 10);
  Font f(c.dc(), u"Courier New", -13);
  const TEXTMETRICW tm = Metrics(c.dc());
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
  EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_MODERN);
  EXPECT_EQ(Extent(c.dc(), u"iiii").cx, Extent(c.dc(), u"WWWW").cx);
}

TEST(TextMetrics, StockFonts) {
  LOGFONTW lf;
  ASSERT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf), int(sizeof(lf)));
  EXPECT_EQ(lf.lfHeight, -11);
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"MS Shell Dlg");
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), OBJ_FONT);

  Canvas c(10, 10);
  // A new DC measures with the system font.
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(Metrics(c.dc()).tmHeight, 16);
  // The dialog font is the 8-point MS Sans Serif bitmap font.
  SelectObject(c.dc(), GetStockObject(DEFAULT_GUI_FONT));
  const TEXTMETRICW tm = Metrics(c.dc());
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAscent, 11);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_TRUETYPE, 0);
  EXPECT_FALSE(FontIsScalable(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))));
  SelectObject(c.dc(), GetStockObject(ANSI_VAR_FONT));
  EXPECT_GT(Metrics(c.dc()).tmHeight, 0);
}

TEST(TextMetrics, InvalidArgumentsFail) {
  TEXTMETRICW tm;
  EXPECT_FALSE(GetTextMetricsW(nullptr, &tm));
  Canvas c(10, 10);
  EXPECT_FALSE(GetTextMetricsW(c.dc(), nullptr));
  SIZE sz;
  EXPECT_FALSE(GetTextExtentPoint32W(c.dc(), nullptr, 3, &sz));
  EXPECT_FALSE(GetTextExtentPoint32W(c.dc(), u"abc", -1, &sz));
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(DrawTextW(nullptr, u"abc", -1, &r, 0), 0);
  EXPECT_EQ(DrawTextW(c.dc(), u"abc", -1, nullptr, 0), 0);
}

// ---- extents -----------------------------------------------------------------------------
TEST(TextExtent, PartialExtentsAddUpToTheWhole) {
  Canvas c(10, 10);
  const char16_t* faces[] = {u"Tahoma", u"Arial", u"Verdana", u"Times New Roman", u"Calibri"};
  // Kerning pairs and ligature candidates must not change the sums.
  const std::u16string texts[] = {u"Hello, World", u"AVAVAV To Ty", u"office fifty flow", u"WAVE yy",
                                  u"Ação número 1.234,56"};
  for (const char16_t* face : faces) {
    Font f(c.dc(), face, -13);
    const TEXTMETRICW tm = Metrics(c.dc());
    for (const std::u16string& t : texts) {
      const int n = int(t.size());
      std::vector<int> dx(t.size());
      SIZE whole;
      int fit = -1;
      ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), n, 100000, &fit, dx.data(), &whole));
      EXPECT_EQ(fit, n);
      EXPECT_EQ(whole.cy, tm.tmHeight);
      EXPECT_EQ(dx.back(), whole.cx);
      EXPECT_EQ(Extent(c.dc(), t).cx, whole.cx);
      int sum = 0;
      for (int i = 0; i < n; ++i) {
        sum += Extent(c.dc(), t.substr(std::size_t(i), 1)).cx;
        EXPECT_EQ(dx[std::size_t(i)], sum) << "unit " << i;
        // Every prefix measures as its partial extent.
        EXPECT_EQ(Extent(c.dc(), t.substr(0, std::size_t(i) + 1)).cx, dx[std::size_t(i)]);
      }
    }
  }
}

TEST(TextExtent, FitCountsAtTheBoundaries) {
  Canvas c(10, 10);
  Font f(c.dc(), u"Tahoma", -11);
  const std::u16string t = u"Boundary test";
  const int n = int(t.size());
  std::vector<int> dx(t.size());
  SIZE sz;
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), n, 0, nullptr, dx.data(), &sz));
  for (int k = 0; k < n; ++k) {
    int fit = -1;
    ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), n, dx[std::size_t(k)], &fit, nullptr, nullptr));
    EXPECT_EQ(fit, k + 1) << "exactly the extent of " << k + 1 << " units";
    ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), n, dx[std::size_t(k)] - 1, &fit, nullptr, nullptr));
    EXPECT_LE(fit, k) << "one pixel less";
  }
  int fit = -1;
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), n, -1, &fit, nullptr, nullptr));
  EXPECT_EQ(fit, 0);
}

TEST(TextExtent, SurrogatePairsAreTwoUnitsWithOneExtent) {
  Canvas c(10, 10);
  Font f(c.dc(), u"Tahoma", -13);
  const std::u16string t = u"a\U0001D11Eb";  // a, musical G clef, b
  ASSERT_EQ(t.size(), 4u);
  std::vector<int> dx(4);
  SIZE sz;
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), 4, 0, nullptr, dx.data(), &sz));
  EXPECT_GT(dx[1], dx[0]);
  EXPECT_EQ(dx[2], dx[1]);
  EXPECT_GT(dx[3], dx[2]);
  EXPECT_EQ(dx[3], sz.cx);
  // A limit inside the pair never fits half of it.
  int fit = -1;
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), 4, dx[1] - 1, &fit, nullptr, nullptr));
  EXPECT_EQ(fit, 1);
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), t.data(), 4, dx[1], &fit, nullptr, nullptr));
  EXPECT_EQ(fit, 3);
}

TEST(TextExtent, EmptyTextHasTheCellHeight) {
  Canvas c(10, 10);
  Font f(c.dc(), u"Tahoma", -11);
  SIZE sz{-1, -1};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), u"", 0, &sz));
  EXPECT_EQ(sz, (SIZE{0, 13}));
}

TEST(TextExtent, CharWidthsMatchExtents) {
  Canvas c(10, 10);
  Font f(c.dc(), u"Tahoma", -11);
  int widths[26];
  ASSERT_TRUE(GetCharWidth32W(c.dc(), u'a', u'z', widths));
  for (int i = 0; i < 26; ++i) {
    const char16_t ch[2] = {char16_t(u'a' + i), 0};
    EXPECT_EQ(widths[i], Extent(c.dc(), ch).cx);
  }
  ABC abc[2];
  ASSERT_TRUE(GetCharABCWidthsW(c.dc(), u'W', u'X', abc));
  EXPECT_EQ(abc[0].abcA + int(abc[0].abcB) + abc[0].abcC, Extent(c.dc(), u"W").cx);
  EXPECT_GT(abc[0].abcB, 0u);
}

TEST(TextExtent, TabbedExtentUsesTheStops) {
  Canvas c(10, 10);
  Font f(c.dc(), u"Tahoma", -11);
  const TEXTMETRICW tm = Metrics(c.dc());
  const int b = Extent(c.dc(), u"b").cx;
  DWORD e = GetTabbedTextExtentW(c.dc(), u"a\tb", 3, 0, nullptr);
  EXPECT_EQ(int(e & 0xFFFF), 8 * tm.tmAveCharWidth + b);
  EXPECT_EQ(int(e >> 16), tm.tmHeight);
  const int stop = 40;
  e = GetTabbedTextExtentW(c.dc(), u"a\tb\tc", 5, 1, &stop);
  EXPECT_EQ(int(e & 0xFFFF), 80 + Extent(c.dc(), u"c").cx);
}

// Faces and sizes drawn from bitmap strikes (the Wine MS Sans Serif has
// only strikes; the Wine Tahoma has them up to 16 pixels), regular and
// bold. Their glyphs have no overhang: what is drawn fills its extent.
struct StrikeCase {
  const char16_t* face;
  LONG height;
  LONG weight;
};
const StrikeCase kStrikeCases[] = {
    {u"MS Sans Serif", -11, FW_NORMAL}, {u"MS Sans Serif", -11, FW_BOLD}, {u"MS Sans Serif", -13, FW_NORMAL},
    {u"MS Sans Serif", -13, FW_BOLD},   {u"MS Sans Serif", 20, FW_BOLD},  {u"Tahoma", -11, FW_NORMAL},
    {u"Tahoma", -11, FW_BOLD},          {u"Tahoma", -13, FW_BOLD},        {u"Tahoma", -16, FW_NORMAL},
    {u"Tahoma", -16, FW_BOLD},
};

std::string Describe(const StrikeCase& k) {
  return std::string(k.face, k.face + std::char_traits<char16_t>::length(k.face)) + " " +
         std::to_string(k.height) + (k.weight >= FW_BOLD ? " bold" : "");
}

TEST(TextExtent, CoversWhatIsDrawn) {
  for (const StrikeCase& k : kStrikeCases) {
    for (const std::u16string text : {u"Banco", u"Empresa", u"Usuário", u"Senha", u"Cancela", u"mmm", u"AVWay"}) {
      Canvas c(200, 40);
      Font f(c.dc(), k.face, k.height, k.weight);
      SetBkMode(c.dc(), TRANSPARENT);
      const SIZE sz = Extent(c.dc(), text);
      ASSERT_TRUE(TextOutW(c.dc(), 10, 5, text.data(), int(text.size())));
      const RECT ink = InkBox(c, kWhite);
      const std::string what = Describe(k) + " " + std::string(text.begin(), text.end());
      EXPECT_LE(ink.right, 10 + sz.cx) << what << ": ink past the extent";
      // Glyphs are not crowded together either: the last one reaches the
      // end of the extent, less its right bearing.
      EXPECT_GE(ink.right, 10 + sz.cx - 2) << what;
    }
  }
}

TEST(TextOut, BoldIsDrawnBoldForEveryFace) {
  // Bitmap strikes, the synthetic bold of a family without a bold face,
  // the regular-weight strikes of the Wine Tahoma Bold, and real bold faces.
  const StrikeCase cases[] = {
      {u"MS Sans Serif", -11, 0}, {u"MS Sans Serif", -13, 0}, {u"MS Sans Serif", 20, 0}, {u"Tahoma", -11, 0},
      {u"Tahoma", -13, 0},        {u"Tahoma", -16, 0},        {u"Tahoma", -14, 0},       {u"Tahoma", -24, 0},
      {u"Arial", -12, 0},         {u"Verdana", -12, 0},       {u"Times New Roman", -13, 0},
      {u"Courier New", -13, 0},   {u"Calibri", -13, 0},       {u"Cambria", -13, 0},
  };
  const std::u16string text = u"Login Cancela";
  for (const StrikeCase& k : cases) {
    int dark[2] = {0, 0}, width[2] = {0, 0};
    for (int bold = 0; bold < 2; ++bold) {
      Canvas c(300, 50);
      Font f(c.dc(), k.face, k.height, bold ? FW_BOLD : FW_NORMAL);
      SetBkMode(c.dc(), TRANSPARENT);
      TextOutW(c.dc(), 4, 4, text.data(), int(text.size()));
      width[bold] = Extent(c.dc(), text).cx;
      // Ink weighted by darkness, so that anti-aliased strokes count too.
      for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) dark[bold] += 255 - GetRValue(c.Color(x, y));
    }
    const std::string what = Describe(k);
    EXPECT_GT(dark[1], dark[0] * 13 / 10) << what << ": bold has hardly more ink than regular";
    EXPECT_GE(width[1], width[0]) << what;
  }
}

TEST(TextOut, FontUnderlineIsAThinLineUnderTheBaseline) {
  // The Wine MS Sans Serif gives an underline thicker than its cell.
  for (const StrikeCase& k : {StrikeCase{u"MS Sans Serif", -11, FW_NORMAL}, StrikeCase{u"Tahoma", -11, FW_NORMAL}}) {
    Canvas plain(100, 30), lined(100, 30);
    LOGFONTW lf = Logfont(k.face, k.height);
    Font a(plain.dc(), lf);
    lf.lfUnderline = 1;
    Font b(lined.dc(), lf);
    const TEXTMETRICW tm = Metrics(lined.dc());
    SetBkMode(plain.dc(), TRANSPARENT);
    SetBkMode(lined.dc(), TRANSPARENT);
    TextOutW(plain.dc(), 5, 5, u"xx", 2);
    TextOutW(lined.dc(), 5, 5, u"xx", 2);
    const int w = Extent(lined.dc(), u"xx").cx;
    int rows = 0;
    for (int y = 0; y < 30; ++y) {
      bool differs = false;
      for (int x = 0; x < 100; ++x) differs |= plain.Color(x, y) != lined.Color(x, y);
      if (!differs) continue;
      ++rows;
      EXPECT_GT(y, 5 + tm.tmAscent - 1) << Describe(k);
      EXPECT_LT(y, 5 + tm.tmHeight) << Describe(k);
      EXPECT_EQ(lined.Color(5, y), kBlack) << Describe(k);
      EXPECT_EQ(lined.Color(5 + w - 1, y), kBlack) << Describe(k);
    }
    EXPECT_EQ(rows, 1) << Describe(k);
  }
}

// ---- line output ---------------------------------------------------------------------------
TEST(TextOut, OpaqueBackgroundFillsTheCellAtTheAlignedPlace) {
  struct Case {
    UINT align;
    int dx, dy;  // the cell's top-left relative to the reference point, in cell units
  };
  const Case cases[] = {
      {TA_LEFT | TA_TOP, 0, 0},       {TA_RIGHT | TA_TOP, -2, 0},  {TA_CENTER | TA_TOP, -1, 0},
      {TA_LEFT | TA_BOTTOM, 0, -2},   {TA_LEFT | TA_BASELINE, 0, -3},
  };
  for (const Case& k : cases) {
    Canvas c(200, 80);
    Font f(c.dc(), u"Tahoma", -11);
    const TEXTMETRICW tm = Metrics(c.dc());
    const std::u16string text = u"Aligned";
    const SIZE sz = Extent(c.dc(), text);
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), kRed);
    SetTextAlign(c.dc(), k.align);
    ASSERT_TRUE(TextOutW(c.dc(), 100, 40, text.data(), int(text.size())));
    int left = 100, top = 40;
    if (k.dx == -2) left -= sz.cx;
    if (k.dx == -1) left -= sz.cx / 2;
    if (k.dy == -2) top -= tm.tmHeight;
    if (k.dy == -3) top -= tm.tmAscent;
    EXPECT_EQ(InkBox(c, kWhite), (RECT{left, top, left + sz.cx, top + tm.tmHeight})) << "align " << k.align;
    // The cell is all background or text: red dominates.
    EXPECT_GT(CountColor(c, kRed, RECT{left, top, left + sz.cx, top + tm.tmHeight}), sz.cx * tm.tmHeight / 2);
  }
}

TEST(TextOut, TransparentModeLeavesTheBackgroundAndWritesAlphaZero) {
  Canvas c(120, 30);
  c.Clear(kWhite, 0xFF);
  Font f(c.dc(), u"Tahoma", -11);
  SetBkMode(c.dc(), TRANSPARENT);
  SetTextColor(c.dc(), kBlack);
  ASSERT_TRUE(TextOutW(c.dc(), 5, 5, u"Ink", 3));
  const RECT ink = InkBox(c, kWhite);
  ASSERT_FALSE(IsRectEmpty(&ink));
  const SIZE sz = Extent(c.dc(), u"Ink");
  EXPECT_GE(ink.left, 5);
  EXPECT_LE(ink.right, 5 + sz.cx + 1);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 5 + 13);
  // Some pixels are fully dark; touched pixels carry alpha 0, others keep 255.
  int dark = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const std::uint32_t p = c.Pixel(x, y);
      if (c.Color(x, y) != kWhite) EXPECT_EQ(p >> 24, 0u);
      else EXPECT_EQ(p >> 24, 0xFFu);
      dark += c.Color(x, y) == kBlack;
    }
  EXPECT_GT(dark, 5);
}

TEST(TextOut, ClippingByRegionAndByRectangle) {
  Canvas c(120, 30);
  Font f(c.dc(), u"Tahoma", -11);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), kRed);
  HRGN rgn = CreateRectRgn(10, 0, 30, 30);
  SelectClipRgn(c.dc(), rgn);
  DeleteObject(rgn);
  TextOutW(c.dc(), 0, 0, u"Clipped text", 12);
  EXPECT_EQ(InkBox(c, kWhite), (RECT{10, 0, 30, 13}));

  Canvas d(120, 30);
  Font g(d.dc(), u"Tahoma", -11);
  SetBkMode(d.dc(), OPAQUE);
  SetBkColor(d.dc(), kRed);
  const RECT clip{5, 2, 25, 8};
  ExtTextOutW(d.dc(), 0, 0, ETO_CLIPPED, &clip, u"Clipped text", 12, nullptr);
  EXPECT_EQ(InkBox(d, kWhite), clip);

  Canvas e(120, 30);
  Font h(e.dc(), u"Tahoma", -11);
  SetBkMode(e.dc(), TRANSPARENT);
  SetBkColor(e.dc(), kRed);
  const RECT opaque{50, 10, 90, 28};
  ExtTextOutW(e.dc(), 0, 0, ETO_OPAQUE, &opaque, u"x", 1, nullptr);
  EXPECT_EQ(CountColor(e, kRed, opaque), 40 * 18);
}

TEST(TextOut, LogicalOriginMovesTheText) {
  Canvas c(120, 40);
  Font f(c.dc(), u"Tahoma", -11);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), kRed);
  SetWindowOrgEx(c.dc(), -7, -9, nullptr);
  TextOutW(c.dc(), 3, 2, u"Origin", 6);
  const SIZE sz = Extent(c.dc(), u"Origin");
  EXPECT_EQ(InkBox(c, kWhite), (RECT{10, 11, 10 + sz.cx, 11 + 13}));
}

TEST(TextOut, UpdateCurrentPositionAndCharacterSpacing) {
  Canvas c(200, 30);
  Font f(c.dc(), u"Tahoma", -11);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), kRed);
  SetTextAlign(c.dc(), TA_UPDATECP);
  MoveToEx(c.dc(), 4, 3, nullptr);
  TextOutW(c.dc(), 100, 100, u"ab", 2);
  const int ab = Extent(c.dc(), u"ab").cx;
  POINT pos;
  GetCurrentPositionEx(c.dc(), &pos);
  EXPECT_EQ(pos, (POINT{4 + ab, 3}));
  const int dx[3] = {10, 10, 10};
  ExtTextOutW(c.dc(), 0, 0, 0, nullptr, u"cde", 3, dx);
  GetCurrentPositionEx(c.dc(), &pos);
  EXPECT_EQ(pos, (POINT{4 + ab + 30, 3}));
  EXPECT_EQ(InkBox(c, kWhite), (RECT{4, 3, 4 + ab + 30, 16}));
}

TEST(TextOut, MonochromeTargetsGetBlackOrWhite) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateBitmap(60, 20, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  RECT all{0, 0, 60, 20};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  LOGFONTW lf = Logfont(u"Tahoma", -13);
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 2, 2, u"Mono", 4);
  const ImageBGRA img = CaptureBitmap(mono);
  int black = 0;
  for (std::uint32_t p : img.pixels) {
    EXPECT_TRUE((p & 0xFFFFFF) == 0 || (p & 0xFFFFFF) == 0xFFFFFF);
    black += (p & 0xFFFFFF) == 0;
  }
  EXPECT_GT(black, 10);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteObject(mono);
  DeleteDC(dc);
}

TEST(TextOut, RotatedByEscapementRunsUpwards) {
  Canvas c(80, 120);
  LOGFONTW lf = Logfont(u"Tahoma", -13);
  lf.lfEscapement = 900;
  lf.lfOrientation = 900;
  Font f(c.dc(), lf);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutW(c.dc(), 30, 110, u"Upwards", 7);
  const RECT ink = InkBox(c, kWhite);
  const int len = Extent(c.dc(), u"Upwards").cx;
  // Turned a quarter to the left: the line runs up from the reference
  // point and the cell lies to its right.
  EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);
  EXPECT_NEAR(ink.bottom - ink.top, len, 3);
  EXPECT_LE(ink.bottom, 111);
  EXPECT_GE(ink.left, 30 - 1);
  EXPECT_LE(ink.right, 30 + Metrics(c.dc()).tmHeight);
}

TEST(TextOut, NonAntialiasedQualityWritesOnlyFullPixels) {
  Canvas c(80, 20);
  LOGFONTW lf = Logfont(u"Tahoma", -13);
  lf.lfQuality = NONANTIALIASED_QUALITY;
  Font f(c.dc(), lf);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutW(c.dc(), 2, 2, u"Sharp", 5);
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const COLORREF col = c.Color(x, y);
      EXPECT_TRUE(col == kWhite || col == kBlack) << x << "," << y;
    }
}

// ---- formatted text ----------------------------------------------------------------------------
class DrawTextTest : public ::testing::Test {
 protected:
  DrawTextTest() : canvas(240, 120), font(canvas.dc(), u"Tahoma", -11) {
    SetBkMode(canvas.dc(), OPAQUE);
    SetBkColor(canvas.dc(), kRed);
    tm = Metrics(canvas.dc());
  }
  int Width(const std::u16string& s) { return Extent(canvas.dc(), s).cx; }
  RECT Calc(const std::u16string& s, UINT format, int width = 0) {
    RECT r{10, 20, 10 + width, 20};
    const int h = DrawTextW(canvas.dc(), s.data(), int(s.size()), &r, format | DT_CALCRECT);
    EXPECT_EQ(h, r.bottom - r.top);
    return r;
  }
  int Draw(const std::u16string& s, RECT r, UINT format) {
    return DrawTextW(canvas.dc(), s.data(), int(s.size()), &r, format);
  }
  Canvas canvas;
  Font font;
  TEXTMETRICW tm;
};

TEST_F(DrawTextTest, CalcRectSizes) {
  EXPECT_EQ(Calc(u"Single line", DT_SINGLELINE), (RECT{10, 20, 10 + Width(u"Single line"), 20 + 13}));
  EXPECT_EQ(Calc(u"one\r\ntwo lines\nthree", 0), (RECT{10, 20, 10 + Width(u"two lines"), 20 + 3 * 13}));
  EXPECT_EQ(Calc(u"cr\rlf\ncrlf\r\nlfcr\n\rend", 0).bottom, 20 + 5 * 13);
  // Line feeds do not break single-line text.
  EXPECT_EQ(Calc(u"a\nb", DT_SINGLELINE).bottom, 20 + 13);
  // An empty text is one empty line.
  EXPECT_EQ(Calc(u"", 0), (RECT{10, 20, 10, 33}));
  // Prefix marks take no room; "&&" is one "&".
  EXPECT_EQ(Calc(u"&File", DT_SINGLELINE).right, 10 + Width(u"File"));
  EXPECT_EQ(Calc(u"A&&B", DT_SINGLELINE).right, 10 + Width(u"A&B"));
  EXPECT_EQ(Calc(u"&File", DT_SINGLELINE | DT_NOPREFIX).right, 10 + Width(u"&File"));
  // External leading (0 for Tahoma) keeps the height.
  EXPECT_EQ(Calc(u"x", DT_EXTERNALLEADING).bottom, 33);
}

TEST_F(DrawTextTest, WordBreakRows) {
  // A width that holds "ab c" but not "ab cd": "ab" and "cd".
  const int w = Width(u"ab c");
  RECT r = Calc(u"ab cd", DT_WORDBREAK, w);
  EXPECT_EQ(r.bottom - r.top, 2 * 13);
  EXPECT_EQ(r.right - r.left, Width(u"cd") > Width(u"ab") ? Width(u"cd") : Width(u"ab"));
  // Wide enough: one row.
  EXPECT_EQ(Calc(u"ab cd", DT_WORDBREAK, Width(u"ab cd")).bottom - 20, 13);
  // A word longer than the row stays whole, unless edit-control rules
  // break it between characters.
  const int narrow = Width(u"abc");
  EXPECT_EQ(Calc(u"abcdefghij", DT_WORDBREAK, narrow).bottom - 20, 13);
  EXPECT_EQ(Calc(u"abcdefghij", DT_WORDBREAK, narrow).right - 10, Width(u"abcdefghij"));
  const RECT broken = Calc(u"abcdefghij", DT_WORDBREAK | DT_EDITCONTROL, narrow);
  EXPECT_GE(broken.bottom - 20, 3 * 13);
  EXPECT_LE(broken.right - 10, narrow);
  // Several spaces at a break are all dropped.
  EXPECT_EQ(Calc(u"ab     cd", DT_WORDBREAK, w).bottom - 20, 2 * 13);
}

TEST_F(DrawTextTest, AlignmentPlacesTheRows) {
  struct Case {
    UINT format;
    int expectLeft;  // -1 left, 0 centre, 1 right
  };
  const Case cases[] = {{DT_LEFT, -1}, {DT_CENTER, 0}, {DT_RIGHT, 1}};
  for (const Case& k : cases) {
    canvas.Clear(kWhite);
    const RECT r{20, 10, 220, 100};
    Draw(u"Place", r, k.format | DT_SINGLELINE);
    const int w = Width(u"Place");
    const int left = k.expectLeft < 0 ? 20 : k.expectLeft == 0 ? (20 + 220 - w) / 2 : 220 - w;
    EXPECT_EQ(InkBox(canvas, kWhite), (RECT{left, 10, left + w, 23})) << k.format;
  }
  // Vertical centring and bottom for one line; the result is the offset
  // from the top to the bottom of the text.
  canvas.Clear(kWhite);
  EXPECT_EQ(Draw(u"Mid", RECT{20, 10, 220, 100}, DT_SINGLELINE | DT_VCENTER), (10 + 100 - 13) / 2 + 13 - 10);
  EXPECT_EQ(InkBox(canvas, kWhite).top, (10 + 100 - 13) / 2);
  canvas.Clear(kWhite);
  EXPECT_EQ(Draw(u"Low", RECT{20, 10, 220, 100}, DT_SINGLELINE | DT_BOTTOM), 90);
  EXPECT_EQ(InkBox(canvas, kWhite).bottom, 100);
  // Multi-line text ignores vertical centring.
  canvas.Clear(kWhite);
  EXPECT_EQ(Draw(u"a\nb", RECT{20, 10, 220, 100}, DT_VCENTER), 26);
  EXPECT_EQ(InkBox(canvas, kWhite).top, 10);
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
  const std::u16string s = u"Much too long for the box";
  Draw(s, RECT{10, 10, 40, 30}, DT_SINGLELINE);
  EXPECT_EQ(InkBox(canvas, kWhite), (RECT{10, 10, 40, 23}));
  canvas.Clear(kWhite);
  Draw(s, RECT{10, 10, 40, 30}, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_EQ(InkBox(canvas, kWhite), (RECT{10, 10, 10 + Width(s), 23}));
}

TEST_F(DrawTextTest, Ellipses) {
  const int width = 90;
  struct Case {
    const char16_t* text;
    UINT format;
    const char16_t* shown;  // null: only checked to end with "..."
  };
  const Case cases[] = {
      {u"C:\\Program Files\\Integrador\\dados\\config.json", DT_PATH_ELLIPSIS, nullptr},
      {u"Short", DT_END_ELLIPSIS, u"Short"},
      {u"The quick brown fox jumps", DT_END_ELLIPSIS, nullptr},
      {u"The quick brown fox jumps", DT_WORD_ELLIPSIS, nullptr},
  };
  for (const Case& k : cases) {
    std::u16string buffer = k.text;
    buffer.resize(buffer.size() + 4, u'\0');
    RECT r{0, 0, width, 20};
    DrawTextW(canvas.dc(), buffer.data(), int(std::char_traits<char16_t>::length(k.text)), &r,
              k.format | DT_SINGLELINE | DT_MODIFYSTRING | DT_NOPREFIX);
    const std::u16string shown(buffer.c_str());
    if (k.shown) {
      EXPECT_EQ(shown, k.shown);
      continue;
    }
    EXPECT_LE(Width(shown), width) << std::string(shown.begin(), shown.end());
    if (k.format == DT_PATH_ELLIPSIS) {
      EXPECT_NE(shown.find(u"...\\config.json"), std::u16string::npos) << std::string(shown.begin(), shown.end());
      continue;
    }
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.substr(shown.size() - 3), u"...");
    const std::u16string kept = shown.substr(0, shown.size() - 3);
    EXPECT_EQ(std::u16string(k.text).substr(0, kept.size()), kept);
    if (k.format == DT_WORD_ELLIPSIS) {
      EXPECT_EQ(k.text[kept.size()], u' ');
    }
    // The end ellipsis keeps as much as fits: one more unit would not.
    if (k.format == DT_END_ELLIPSIS) {
      EXPECT_GT(Width(std::u16string(k.text).substr(0, kept.size() + 1) + u"..."), width);
    }
  }
  // Calc rect of an ellipsised row stays within the width.
  RECT r{0, 0, width, 0};
  DrawTextW(canvas.dc(), u"The quick brown fox jumps", -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_LE(r.right, width);
}

TEST_F(DrawTextTest, PrefixUnderlinesTheMarkedCharacter) {
  SetBkMode(canvas.dc(), TRANSPARENT);
  Draw(u"F&ile", RECT{10, 10, 200, 40}, DT_SINGLELINE);
  const int f = Width(u"F"), fi = Width(u"Fi");
  // The underline row lies below the baseline: across "i" only.
  const int row = 10 + tm.tmAscent + 1;
  EXPECT_EQ(canvas.Color(10 + f, row), kBlack);
  EXPECT_EQ(canvas.Color(10 + fi - 1, row), kBlack);
  EXPECT_EQ(canvas.Color(10 + fi + 1, row), kWhite);
  EXPECT_EQ(canvas.Color(10, row), kWhite);

  // Hidden prefixes draw the same text without the line.
  Canvas hidden(240, 60), plain(240, 60);
  {
    Font a(hidden.dc(), u"Tahoma", -11), b(plain.dc(), u"Tahoma", -11);
    SetBkMode(hidden.dc(), TRANSPARENT);
    SetBkMode(plain.dc(), TRANSPARENT);
    RECT r{10, 10, 200, 40};
    DrawTextW(hidden.dc(), u"F&ile", -1, &r, DT_SINGLELINE | DT_HIDEPREFIX);
    DrawTextW(plain.dc(), u"File", -1, &r, DT_SINGLELINE);
  }
  EXPECT_EQ(hidden.Image(), plain.Image());

  // Prefix only: the line and nothing else.
  canvas.Clear(kWhite);
  Draw(u"F&ile", RECT{10, 10, 200, 40}, DT_SINGLELINE | DT_PREFIXONLY);
  const RECT ink = InkBox(canvas, kWhite);
  EXPECT_EQ(ink, (RECT{10 + f, row, 10 + fi, row + 1}));
}

TEST(DrawTextPrefix, TheMarkIsOnePixelRowAsWideAsTheCharacter) {
  // Button captions: whatever the font's own underline, the mark is one
  // row, one pixel under the baseline.
  const StrikeCase cases[] = {{u"MS Sans Serif", -11, FW_NORMAL}, {u"MS Sans Serif", -11, FW_BOLD},
                              {u"MS Sans Serif", -13, FW_NORMAL}, {u"Tahoma", -16, FW_BOLD},
                              {u"Arial", -20, FW_NORMAL}};
  for (const StrikeCase& k : cases) {
    Canvas c(200, 50);
    Font f(c.dc(), k.face, k.height, k.weight);
    const TEXTMETRICW tm = Metrics(c.dc());
    RECT r{10, 10, 190, 45};
    DrawTextW(c.dc(), u"&Login", -1, &r, DT_SINGLELINE | DT_PREFIXONLY);
    const int row = 10 + tm.tmAscent + 1;
    EXPECT_EQ(InkBox(c, kWhite), (RECT{10, row, 10 + Extent(c.dc(), u"L").cx, row + 1})) << Describe(k);
  }
}

TEST_F(DrawTextTest, TabsExpand) {
  const int b = Width(u"b");
  EXPECT_EQ(Calc(u"a\tb", DT_SINGLELINE | DT_EXPANDTABS).right - 10, 8 * tm.tmAveCharWidth + b);
  // DT_TABSTOP: the second byte is the tab size in characters (so it
  // cannot be combined with the flags of that byte, DT_CALCRECT among them).
  Draw(u"a\tb", RECT{10, 20, 200, 40}, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (4u << 8));
  EXPECT_EQ(InkBox(canvas, kWhite), (RECT{10, 20, 10 + 4 * tm.tmAveCharWidth + b, 33}));
  // Without expansion a tab takes no room.
  EXPECT_EQ(Calc(u"a\tb", DT_SINGLELINE).right - 10, Width(u"ab"));
  DRAWTEXTPARAMS params;
  params.iTabLength = 2;
  params.iLeftMargin = 3;
  params.iRightMargin = 4;
  RECT r{10, 20, 10, 20};
  DrawTextExW(canvas.dc(), u"a\tb", 3, &r, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT, &params);
  EXPECT_EQ(r.right - 10, 3 + 2 * tm.tmAveCharWidth + b + 4);
  EXPECT_EQ(params.uiLengthDrawn, 3u);
}

TEST_F(DrawTextTest, EditControlHidesAPartlyVisibleLastRow) {
  canvas.Clear(kWhite);
  Draw(u"one\ntwo\nthree", RECT{10, 10, 200, 10 + 13 + 7}, 0);
  EXPECT_EQ(InkBox(canvas, kWhite).bottom, 10 + 13 + 7);  // clipped second row
  canvas.Clear(kWhite);
  Draw(u"one\ntwo\nthree", RECT{10, 10, 200, 10 + 13 + 7}, DT_EDITCONTROL);
  EXPECT_EQ(InkBox(canvas, kWhite).bottom, 10 + 13);
}

// ---- the text sample sheet ------------------------------------------------------------------------
TEST(TextGolden, SampleSheet) {
  Canvas c(320, 240, RGB(250, 250, 245));
  HDC dc = c.dc();
  SetBkMode(dc, TRANSPARENT);
  int y = 4;
  const char16_t* faces[] = {u"Tahoma", u"MS Sans Serif", u"Verdana", u"Arial", u"Times New Roman", u"Courier New",
                             u"Calibri", u"Cambria"};
  for (const char16_t* face : faces) {
    Font f(dc, face, face[0] == u'M' ? -11 : -12);
    std::u16string line = face;
    line += u": Ação 0123 AVWay";
    TextOutW(dc, 4, y, line.data(), int(line.size()));
    y += Metrics(dc).tmHeight + 1;
  }
  {
    LOGFONTW lf = Logfont(u"Tahoma", -13, FW_BOLD);
    lf.lfUnderline = 1;
    Font f(dc, lf);
    SetTextColor(dc, RGB(0, 0, 160));
    TextOutW(dc, 4, y, u"Bold underlined", 15);
    lf = Logfont(u"Tahoma", -13);
    lf.lfItalic = 1;
    lf.lfStrikeOut = 1;
    Font g(dc, lf);
    SetTextColor(dc, RGB(160, 0, 0));
    TextOutW(dc, 130, y, u"Italic struck", 13);
    y += 18;
  }
  SetTextColor(dc, kBlack);
  {
    Font f(dc, u"Tahoma", -11);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 160));
    RECT r{4, y, 150, y + 40};
    DrawTextW(dc, u"&Word-wrapped text, centred in its box", -1, &r, DT_WORDBREAK | DT_CENTER);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    RECT p{160, y, 310, y + 16};
    DrawTextW(dc, u"C:\\Arquivos\\Integrador\\logs\\hoje.txt", -1, &p, DT_PATH_ELLIPSIS | DT_SINGLELINE);
    RECT e{160, y + 18, 310, y + 34};
    DrawTextW(dc, u"An end ellipsis cuts this long line", -1, &e, DT_END_ELLIPSIS | DT_SINGLELINE | DT_RIGHT);
    y += 44;
  }
  {
    LOGFONTW lf = Logfont(u"Arial", -14);
    lf.lfEscapement = 450;
    Font f(dc, lf);
    SetTextColor(dc, RGB(0, 110, 0));
    TextOutW(dc, 20, 234, u"Turned 45 degrees", 17);
    lf.lfEscapement = 2700;
    Font g(dc, lf);
    TextOutW(dc, 300, y, u"Down", 4);
  }
  testing_support::GoldenOptions options;
  options.channelTolerance = 48;
  options.maxDifferingPixels = 200;
  EXPECT_GOLDEN(c.Image(), "gdi", "text_sheet", options);
}

}  // namespace

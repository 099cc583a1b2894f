// Colours, fonts, pens and brushes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/streams.h"
#include "platform/ui/ui.h"

using namespace ui;

namespace {
// Puts the classic colour scheme back however a test ends.
struct SysColorsReset {
  ~SysColorsReset() { gdi::ResetSysColors(); }
};
}  // namespace

TEST(Colors, ValuesAreThePlatforms) {
  EXPECT_EQ(clNone, 0x1FFFFFFF);
  EXPECT_EQ(clDefault, 0x20000000);
  EXPECT_EQ(std::uint32_t(clBtnFace), 0xFF00000Fu);
  EXPECT_EQ(std::uint32_t(clScrollBar), 0xFF000000u);
  EXPECT_EQ(std::uint32_t(clMenuBar), 0xFF00001Eu);
  EXPECT_EQ(std::uint32_t(clHotLight), 0xFF00001Au);
  EXPECT_EQ(clMoneyGreen, 0xC0DCC0);
  EXPECT_EQ(clSkyBlue, 0xF0CAA6);
  EXPECT_EQ(clCream, 0xF0FBFF);
  EXPECT_EQ(clMedGray, 0xA4A0A0);
  EXPECT_EQ(clNavy, 0x800000);
}

TEST(Colors, ColorToRGBReadsTheSystemTableAtUse) {
  SysColorsReset reset;
  struct Case {
    TColor color;
    int index;
  } cases[] = {{clBtnFace, gdi::COLOR_BTNFACE},       {clWindow, gdi::COLOR_WINDOW},
               {clHighlight, gdi::COLOR_HIGHLIGHT},   {cl3DDkShadow, gdi::COLOR_3DDKSHADOW},
               {clMenuBar, gdi::COLOR_MENUBAR},       {clInfoBk, gdi::COLOR_INFOBK}};
  for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.color), gdi::GetSysColor(c.index)) << c.index;
  EXPECT_EQ(ColorToRGB(clRed), gdi::RGB(255, 0, 0));
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
  const int index = gdi::COLOR_BTNFACE;
  const gdi::COLORREF pink = gdi::RGB(250, 10, 200);
  gdi::SetSysColors(1, &index, &pink);
  EXPECT_EQ(ColorToRGB(clBtnFace), pink);
}

TEST(Colors, ChangedSystemColourReachesAPenAlreadyMade) {
  SysColorsReset reset;
  TPen pen;
  pen.SetColor(clBtnShadow);
  gdi::LOGPEN lp;
  gdi::GetObjectW(pen.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnColor, gdi::GetSysColor(gdi::COLOR_BTNSHADOW));
  const int index = gdi::COLOR_BTNSHADOW;
  const gdi::COLORREF green = gdi::RGB(0, 200, 0);
  gdi::SetSysColors(1, &index, &green);
  gdi::GetObjectW(pen.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnColor, green);
}

TEST(Font, DefaultsAreTahomaEightPoints) {
  TFont f;
  EXPECT_EQ(f.Name(), u"Tahoma");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Color(), clWindowText);
  EXPECT_TRUE(f.Style().empty());
  EXPECT_EQ(f.Charset(), gdi::DEFAULT_CHARSET);
  EXPECT_EQ(f.Pitch(), fpDefault);
  EXPECT_EQ(f.PixelsPerInch(), 96);
}

namespace {
// A component that publishes a font, the way forms and styles do.
class FontHolder : public rtl::TComponent {
  RTL_CLASS(FontHolder, rtl::TComponent)

 public:
  using rtl::TComponent::TComponent;
  static void Published(rtl::PropTable<FontHolder>& p) { p.Object("Font", &FontHolder::GetFont); }
  TFont* GetFont() { return &font_; }

 private:
  TFont font_;
};

// Writes `from`, reads it into `to`; returns the bytes.
std::string fontStreamRoundTrip(FontHolder& from, FontHolder& to) {
  rtl::TMemoryStream stream;
  {
    rtl::TWriter writer(&stream);
    writer.WriteRootComponent(&from);
  }
  std::string bytes(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
  stream.SetPosition(0);
  rtl::TReader reader(&stream);
  reader.ReadRootComponent(&to);
  return bytes;
}
}  // namespace

// Each value a font holds comes back through a stream, written as one
// property of the font sub-object; a value at the default writes nothing.
TEST(Font, EachChangedValueStreamsAsItsOwnProperty) {
  const char* const names[] = {"Charset", "Color",   "Height", "Name", "Orientation",
                               "Pitch",   "Quality", "Size",   "Style"};
  struct Case {
    const char* what;
    void (*change)(TFont&);
    const char* written;  // nullptr: nothing
  } cases[] = {
      {"defaults", [](TFont&) {}, nullptr},
      {"name", [](TFont& f) { f.SetName(u"DejaVu Serif"); }, "Name"},
      {"size", [](TFont& f) { f.SetSize(13); }, "Height"},
      {"height", [](TFont& f) { f.SetHeight(-20); }, "Height"},
      {"style", [](TFont& f) { f.SetStyle({fsItalic, fsUnderline}); }, "Style"},
      {"colour", [](TFont& f) { f.SetColor(clMaroon); }, "Color"},
      {"colour black", [](TFont& f) { f.SetColor(clBlack); }, "Color"},
      {"charset", [](TFont& f) { f.SetCharset(gdi::ANSI_CHARSET); }, "Charset"},
      {"pitch", [](TFont& f) { f.SetPitch(fpFixed); }, "Pitch"},
      {"quality", [](TFont& f) { f.SetQuality(TFontQuality::fqClearType); }, "Quality"},
      {"orientation", [](TFont& f) { f.SetOrientation(900); }, "Orientation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FontHolder from(nullptr), to(nullptr);
    from.SetName(u"Holder");
    c.change(*from.GetFont());
    const std::string bytes = fontStreamRoundTrip(from, to);

    std::vector<std::string> written;
    for (const char* name : names) {
      const std::string path = std::string("Font.") + name;
      if (bytes.find(std::string(1, char(path.size())) + path) != std::string::npos) written.push_back(name);
    }
    EXPECT_EQ(written, c.written ? std::vector<std::string>{c.written} : std::vector<std::string>{});
    const TFont& a = *from.GetFont();
    const TFont& b = *to.GetFont();
    EXPECT_EQ(b.Name(), a.Name());
    EXPECT_EQ(b.Height(), a.Height());
    EXPECT_EQ(b.Style(), a.Style());
    EXPECT_EQ(b.Color(), a.Color());
    EXPECT_EQ(b.Charset(), a.Charset());
    EXPECT_EQ(b.Pitch(), a.Pitch());
    EXPECT_EQ(b.Quality(), a.Quality());
    EXPECT_EQ(b.Orientation(), a.Orientation());
  }
}

TEST(Font, SizeAndHeightConvertAtTheResolution) {
  struct Case {
    int size, height;
  } cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {14, -19}, {16, -21}, {-15, 20}};
  for (const Case& c : cases) {
    TFont f;
    f.SetSize(c.size);
    EXPECT_EQ(f.Height(), c.height) << c.size;
    EXPECT_EQ(f.Size(), c.size) << c.size;
  }
  TFont f;
  f.SetHeight(-13);  // "13 pixels" in the window descriptions
  EXPECT_EQ(f.Size(), 10);
  f.SetPixelsPerInch(120);
  f.SetSize(8);
  EXPECT_EQ(f.Height(), -13);
}

TEST(Font, HandleDescribesTheProperties) {
  TFont f;
  f.SetName(u"Verdana");
  f.SetHeight(-13);
  f.SetStyle({fsBold, fsItalic, fsUnderline});
  f.SetOrientation(900);
  f.SetPitch(fpFixed);
  f.SetQuality(TFontQuality::fqNonAntialiased);
  gdi::LOGFONTW lf;
  ASSERT_EQ(gdi::GetObjectW(f.Handle(), sizeof lf, &lf), int(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -13);
  EXPECT_EQ(lf.lfWeight, gdi::FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfStrikeOut, 0);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfQuality, gdi::NONANTIALIASED_QUALITY);
  EXPECT_EQ(lf.lfPitchAndFamily & 3, 1);
  EXPECT_EQ(String(lf.lfFaceName), u"Verdana");
}

TEST(Font, ChangesAreReportedAndRemakeTheHandle) {
  const int before = gdi::GdiObjectCount();
  {
    TFont f;
    int changes = 0;
    int token;
    f.SetOnChange(TNotifyEvent::fromClosure(&token, [&](rtl::TObject*) { ++changes; }));
    f.Handle();
    f.SetColor(clRed);
    f.SetColor(clRed);  // no change, no event
    f.SetStyle({fsBold});
    EXPECT_EQ(changes, 2);
    gdi::LOGFONTW lf;
    gdi::GetObjectW(f.Handle(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, gdi::FW_BOLD);
    EXPECT_EQ(gdi::GdiObjectCount(), before + 1);  // the old handle is gone
  }
  EXPECT_EQ(gdi::GdiObjectCount(), before);
}

TEST(Font, AssignCopiesAndAdoptedHandleIsReadBack) {
  TFont a, b;
  a.SetName(u"Cambria");
  a.SetHeight(-19);
  a.SetColor(clWhite);
  a.SetStyle({fsStrikeOut});
  b.Assign(&a);
  EXPECT_EQ(b.Name(), u"Cambria");
  EXPECT_EQ(b.Height(), -19);
  EXPECT_EQ(b.Color(), clWhite);
  EXPECT_EQ(b.Style(), TFontStyles{fsStrikeOut});
  gdi::LOGFONTW lf;
  lf.lfHeight = -16;
  lf.lfWeight = gdi::FW_BOLD;
  std::u16string name = u"Calibri";
  std::copy(name.begin(), name.end(), lf.lfFaceName);
  TFont c;
  c.SetHandle(gdi::CreateFontIndirectW(&lf));
  EXPECT_EQ(c.Name(), u"Calibri");
  EXPECT_EQ(c.Height(), -16);
  EXPECT_EQ(c.Size(), 12);
  EXPECT_EQ(c.Style(), TFontStyles{fsBold});
  TPen pen;
  EXPECT_THROW(c.Assign(&pen), rtl::EConvertError);
}

TEST(PenAndBrush, DefaultsAndHandles) {
  TPen p;
  EXPECT_EQ(p.Color(), clBlack);
  EXPECT_EQ(p.Width(), 1);
  EXPECT_EQ(p.Style(), psSolid);
  EXPECT_EQ(p.Mode(), pmCopy);
  p.SetStyle(psClear);
  gdi::LOGPEN lp;
  gdi::GetObjectW(p.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnStyle, gdi::UINT(gdi::PS_NULL));
  EXPECT_EQ(PenModeToRop2(pmXor), gdi::R2_XORPEN);
  EXPECT_EQ(PenModeToRop2(pmNot), gdi::R2_NOT);

  TBrush b;
  EXPECT_EQ(b.Color(), clWhite);
  EXPECT_EQ(b.Style(), bsSolid);
  struct Case {
    TBrushStyle style;
    gdi::UINT lbStyle;
    gdi::ULONG_PTR hatch;
  } cases[] = {{bsSolid, gdi::BS_SOLID, 0},
               {bsClear, gdi::BS_NULL, 0},
               {bsHorizontal, gdi::BS_HATCHED, gdi::HS_HORIZONTAL},
               {bsVertical, gdi::BS_HATCHED, gdi::HS_VERTICAL},
               {bsFDiagonal, gdi::BS_HATCHED, gdi::HS_FDIAGONAL},
               {bsBDiagonal, gdi::BS_HATCHED, gdi::HS_BDIAGONAL},
               {bsCross, gdi::BS_HATCHED, gdi::HS_CROSS},
               {bsDiagCross, gdi::BS_HATCHED, gdi::HS_DIAGCROSS}};
  for (const Case& c : cases) {
    b.SetStyle(c.style);
    gdi::LOGBRUSH lb;
    gdi::GetObjectW(b.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, c.lbStyle) << int(c.style);
    if (c.lbStyle == gdi::BS_HATCHED) {
      EXPECT_EQ(lb.lbHatch, c.hatch);
    }
  }
  // A colour on a clear brush makes it solid.
  b.SetStyle(bsClear);
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), bsSolid);
}

// Bitmaps, pictures and the image classes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdiplus/codecs/codecs.h"
#include "platform/rtl/encoding.h"
#include "platform/ui/ui.h"
#include "tests/support/test_support.h"

using namespace ui;
namespace codecs = gdiplus::codecs;

namespace {

codecs::Raster Checker(int w, int h, bool alpha) {
  codecs::Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t a = alpha ? std::uint32_t((x * 255) / (w - 1)) : 255u;
      r.at(x, y) = (a << 24) | (((x + y) % 2) ? 0x00C02010u : 0x0010A0F0u);
    }
  return r;
}

String Utf8ToString(const std::string& s) {
  String out;
  for (unsigned char c : s) out += char16_t(c);  // the test paths are ASCII
  return out;
}

void WriteBytes(rtl::TStream& s, const codecs::Bytes& b) { s.WriteBuffer(b.data(), rtl::Int64(b.size())); }

}  // namespace

TEST(Bitmap, SizeFormatAndScanLines) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Handle(), nullptr);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  b.SetSize(7, 5);
  ASSERT_NE(b.Handle(), nullptr);
  // Rows are bottom-up in memory, as on the platform.
  auto* r0 = static_cast<std::uint8_t*>(b.ScanLine(0));
  auto* r1 = static_cast<std::uint8_t*>(b.ScanLine(1));
  EXPECT_EQ(r0 - r1, 7 * 4);
  static_cast<std::uint32_t*>(b.ScanLine(2))[3] = 0x00FF0000;  // red, top row 2
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clRed);
  EXPECT_THROW(b.ScanLine(5), rtl::ERangeError);
  // Growing keeps the pixels.
  b.SetSize(10, 10);
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(9, 9), clBlack);
  b.SetPixelFormat(pf24bit);
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clRed);
  EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(0)) - static_cast<std::uint8_t*>(b.ScanLine(1)), 32);
  b.SetPixelFormat(pf1bit);
  EXPECT_TRUE(b.Monochrome());
  b.SetWidth(0);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Handle(), nullptr);
}

TEST(Bitmap, StreamRoundTripKeepsPixelsAndFormat) {
  struct Case {
    TPixelFormat format;
    TAlphaFormat alpha;
  } cases[] = {{pf32bit, afIgnored}, {pf32bit, afDefined}, {pf24bit, afIgnored},
               {pf8bit, afIgnored},  {pf4bit, afIgnored},  {pf1bit, afIgnored}};
  for (const Case& c : cases) {
    TBitmap src(9, 6);
    src.SetPixelFormat(c.format);
    TCanvas* cv = src.Canvas();
    cv->Brush()->SetColor(clWhite);
    cv->FillRect(Rect(0, 0, 9, 6));
    cv->Pen()->SetColor(clBlack);
    cv->MoveTo(0, 0);
    cv->LineTo(9, 6);
    if (c.format != pf1bit) cv->SetPixels(8, 0, clRed);
    if (c.alpha == afDefined) {
      src.SetAlphaFormat(afDefined);
      for (int y = 0; y < 6; ++y) {
        auto* row = static_cast<std::uint32_t*>(src.ScanLine(y));
        for (int x = 0; x < 9; ++x) row[x] = (row[x] & 0xFFFFFF) | (std::uint32_t(x * 28) << 24);
      }
    }
    rtl::TMemoryStream stream;
    src.SaveToStream(&stream);
    stream.SetPosition(0);
    TBitmap dst;
    dst.LoadFromStream(&stream);
    EXPECT_EQ(dst.PixelFormat(), c.format) << int(c.format);
    EXPECT_EQ(dst.AlphaFormat(), c.alpha) << int(c.format);
    gdi::ImageBGRA a = src.ToImage(), b = dst.ToImage();
    if (c.alpha == afIgnored) {
      for (auto& p : a.pixels) p &= 0xFFFFFF;
      for (auto& p : b.pixels) p &= 0xFFFFFF;
    }
    EXPECT_EQ(a, b) << int(c.format);
  }
}

TEST(Bitmap, BadStreamFailsAndLeavesTheBitmap) {
  TBitmap b(3, 3);
  const char junk[] = "BM\x10\x00\x00\x00garbage";
  rtl::TMemoryStream s;
  s.WriteBuffer(junk, sizeof junk - 1);
  s.SetPosition(0);
  EXPECT_THROW(b.LoadFromStream(&s), EInvalidGraphic);
  EXPECT_EQ(b.Width(), 3);
}

TEST(Bitmap, DrawsOpaqueTransparentAndWithAlpha) {
  TBitmap target(10, 4);
  target.Canvas()->Brush()->SetColor(clBlue);
  target.Canvas()->FillRect(Rect(0, 0, 10, 4));

  TBitmap tile(2, 2);
  tile.Canvas()->Brush()->SetColor(clLime);
  tile.Canvas()->FillRect(Rect(0, 0, 2, 2));
  tile.Canvas()->SetPixels(0, 1, clFuchsia);  // bottom-left: the automatic key
  target.Canvas()->Draw(0, 0, &tile);
  EXPECT_EQ(target.Canvas()->Pixels(0, 1), clFuchsia);
  tile.SetTransparent(true);
  EXPECT_EQ(tile.TransparentColor(), clFuchsia);
  target.Canvas()->Draw(3, 0, &tile);
  EXPECT_EQ(target.Canvas()->Pixels(3, 1), clBlue);
  EXPECT_EQ(target.Canvas()->Pixels(4, 1), clLime);

  TBitmap half(1, 1);
  half.SetAlphaFormat(afDefined);
  *static_cast<std::uint32_t*>(half.ScanLine(0)) = 0x80FF0000;  // red at half
  target.Canvas()->StretchDraw(Rect(6, 0, 8, 2), &half);
  const TColor mixed = target.Canvas()->Pixels(6, 0);
  EXPECT_NEAR(gdi::GetRValue(mixed), 128, 2);
  EXPECT_NEAR(gdi::GetBValue(mixed), 127, 2);
}

TEST(Picture, LoadsByContentsWhateverTheExtension) {
  testing_support::TempDir dir;
  const codecs::Raster opaque = Checker(6, 4, false);
  const codecs::Raster alpha = Checker(6, 4, true);
  struct Case {
    const char* file;
    codecs::Bytes bytes;
    const rtl::ClassInfo* cls;
  } cases[] = {
      {"a.png", codecs::encodePng(alpha), &TPngImage::classInfo()},
      {"b.jpg", codecs::encodeJpeg(opaque, 90), &TJPEGImage::classInfo()},
      {"c.bmp", codecs::encodeBmp(opaque), &TBitmap::classInfo()},
      {"d.ico", codecs::encodeIco(alpha), &TIcon::classInfo()},
      {"png_named.bmp", codecs::encodePng(opaque), &TPngImage::classInfo()},
  };
  for (const Case& c : cases) {
    const auto path = dir / c.file;
    testing_support::WriteFile(path, std::string(c.bytes.begin(), c.bytes.end()));
    TPicture fromFile;
    fromFile.LoadFromFile(Utf8ToString(path.string()));
    ASSERT_NE(fromFile.Graphic(), nullptr) << c.file;
    EXPECT_EQ(fromFile.Graphic()->ClassType(), c.cls) << c.file;
    EXPECT_EQ(fromFile.Width(), 6) << c.file;
    EXPECT_EQ(fromFile.Height(), 4) << c.file;

    rtl::TMemoryStream s;
    WriteBytes(s, c.bytes);
    s.SetPosition(0);
    TPicture fromStream;
    fromStream.LoadFromStream(&s);
    EXPECT_EQ(fromStream.Graphic()->ClassType(), c.cls) << c.file;
  }
}

TEST(Picture, PixelsSurviveLoadingAndDrawing) {
  const codecs::Raster opaque = Checker(6, 4, false);
  rtl::TMemoryStream s;
  WriteBytes(s, codecs::encodePng(opaque));
  s.SetPosition(0);
  TPicture pic;
  pic.LoadFromStream(&s);
  TBitmap target(6, 4);
  target.Canvas()->Draw(0, 0, pic.Graphic());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      const std::uint32_t p = opaque.at(x, y);
      EXPECT_EQ(gdi::COLORREF(target.Canvas()->Pixels(x, y)),
                gdi::RGB(std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)));
    }
  // Asking for the bitmap of a PNG picture replaces it by an empty bitmap.
  EXPECT_TRUE(pic.Bitmap()->Empty());
}

TEST(Picture, UnknownDataAndExtensionAreRefused) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "x.xyz", "not an image");
  TPicture pic;
  try {
    pic.LoadFromFile(Utf8ToString((dir / "x.xyz").string()));
    FAIL() << "no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), u"Unknown picture file extension (.xyz)");
  }
  rtl::TMemoryStream s;
  s.WriteBuffer("GIF89a", 6);
  s.SetPosition(0);
  EXPECT_THROW(pic.LoadFromStream(&s), EInvalidGraphic);  // no GIF class registered
  // A truncated PNG names the problem.
  const codecs::Bytes png = codecs::encodePng(Checker(6, 4, false));
  rtl::TMemoryStream t;
  t.WriteBuffer(png.data(), 40);
  t.SetPosition(0);
  EXPECT_THROW(pic.LoadFromStream(&t), EInvalidGraphic);
}

TEST(Picture, RegisteredClassServesItsExtension) {
  class TMyPng : public TPngImage {
    RTL_CLASS(TMyPng, TPngImage)
   public:
    TMyPng() = default;
  };
  TPicture::RegisterFileFormat(u"PNG", u"Mine", TGraphicClass::of<TMyPng>());
  rtl::TMemoryStream s;
  WriteBytes(s, codecs::encodePng(Checker(2, 2, false)));
  s.SetPosition(0);
  TPicture pic;
  pic.LoadFromStream(&s);
  EXPECT_EQ(pic.Graphic()->ClassName(), u"TMyPng");
  TPicture::UnregisterGraphicClass(TGraphicClass::of<TMyPng>());
  EXPECT_EQ(TPicture::GraphicClassOfExtension(u".png").get(), &TPngImage::classInfo());
}

TEST(Picture, AssignCopiesAndReportsChange) {
  TBitmap b(4, 4);
  TPicture p;
  int changes = 0, token;
  p.SetOnChange(TNotifyEvent::fromClosure(&token, [&](rtl::TObject*) { ++changes; }));
  p.Assign(&b);
  ASSERT_NE(p.Graphic(), nullptr);
  EXPECT_NE(p.Graphic(), &b);
  EXPECT_EQ(p.Width(), 4);
  p.Graphic()->SetWidth(8);
  EXPECT_EQ(changes, 2);
  TPicture q;
  q.Assign(&p);
  EXPECT_EQ(q.Width(), 8);
}

TEST(Images, JpegKeepsItsFileAndPngKeepsAlpha) {
  const codecs::Bytes jpg = codecs::encodeJpeg(Checker(16, 8, false), 80);
  rtl::TMemoryStream in;
  WriteBytes(in, jpg);
  in.SetPosition(0);
  TJPEGImage j;
  j.LoadFromStream(&in);
  rtl::TBytesStream out;
  j.SaveToStream(&out);
  EXPECT_EQ(codecs::Bytes(out.Bytes().begin(), out.Bytes().begin() + out.Size()), jpg);
  j.SetScale(TJPEGScale::jsHalf);
  EXPECT_EQ(j.Width(), 8);
  EXPECT_EQ(j.Height(), 4);

  TPngImage png;
  rtl::TMemoryStream ps;
  WriteBytes(ps, codecs::encodePng(Checker(6, 4, true)));
  ps.SetPosition(0);
  png.LoadFromStream(&ps);
  EXPECT_TRUE(png.Transparent());
  TBitmap b;
  b.Assign(&png);
  EXPECT_EQ(b.AlphaFormat(), afDefined);
  EXPECT_EQ(b.Width(), 6);
  EXPECT_EQ(static_cast<std::uint32_t*>(b.ScanLine(0))[5] >> 24, 255u);
  EXPECT_EQ(static_cast<std::uint32_t*>(b.ScanLine(0))[0] >> 24, 0u);
  TJPEGImage fromBitmap;
  fromBitmap.Assign(&b);
  rtl::TMemoryStream js;
  fromBitmap.SaveToStream(&js);
  js.SetPosition(0);
  TPicture back;
  back.LoadFromStream(&js);
  EXPECT_EQ(back.Graphic()->ClassType(), &TJPEGImage::classInfo());
}

// The library's bitmaps: change batching, 32-bit pixel operations, the
// per-pixel transformations, shadows, and the compressed "XDBM" record.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxCore.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/streams.h"
#include "tests/support/golden.h"

using namespace core;
using TM = TcxBitmapTransformationMode;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes StreamBytes(rtl::TMemoryStream& s) {
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return Bytes(p, p + s.Size());
}

// The record for `data` and the body after its ten-byte header.
Bytes Compress(const Bytes& data, int blockSize) {
  rtl::TMemoryStream s;
  dxWriteCompressedBitmapData(&s, data.data(), data.size(), blockSize);
  return StreamBytes(s);
}

Bytes Expand(const Bytes& record) {
  rtl::TMemoryStream in, out;
  in.WriteBuffer(record.data(), rtl::Int64(record.size()));
  in.SetPosition(0);
  EXPECT_TRUE(dxReadCompressedBitmapData(&in, out));
  return StreamBytes(out);
}

Bytes Header(std::int32_t size, int version) {
  Bytes h(10);
  std::memcpy(h.data(), &size, 4);
  std::memcpy(h.data() + 4, "XDBM", 4);
  h[8] = std::uint8_t(version);
  h[9] = 0;
  return h;
}

std::uint32_t& Px(ui::TBitmap& b, int x, int y) { return static_cast<std::uint32_t*>(b.ScanLine(y))[x]; }

void Fill(ui::TBitmap& b, std::uint32_t v) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) Px(b, x, y) = v;
}

// A picture with flat areas and noise, for round trips.
void Paint(ui::TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      Px(b, x, y) = x < b.Width() / 2 ? 0x80336699u : std::uint32_t((x * 7919 + y * 104729) * 2654435761u);
}

}  // namespace

// ---- the compressed record ---------------------------------------------------------------------

TEST(Xdbm, RunEncodingCases) {
  struct Case {
    const char* what;
    Bytes data;
    int blockSize;
    Bytes body;  // after the ten-byte header
  } cases[] = {
      {"A A A B C C", {1, 1, 1, 2, 3, 3}, 1, {1, 0, 3, 1, 0x81, 2, 2, 3}},
      {"blocks of 3 with a remainder", {9, 1, 2, 3, 1, 2, 3, 4, 5, 6}, 3, {3, 1, 9, 2, 1, 2, 3, 0x81, 4, 5, 6}},
      {"alternating literal", {1, 2, 1, 2}, 1, {1, 0, 0x84, 1, 2, 1, 2}},
      {"single block", {7}, 1, {1, 0, 0x81, 7}},
      {"empty", {}, 4, {4, 0}},
      {"literal then repeat", {1, 2, 3, 3, 3}, 1, {1, 0, 0x82, 1, 2, 3, 3}},
  };
  for (const Case& c : cases) {
    const Bytes record = Compress(c.data, c.blockSize);
    ASSERT_GE(record.size(), 10u) << c.what;
    EXPECT_EQ(Bytes(record.begin() + 10, record.end()), c.body) << c.what;
    std::int32_t size;
    std::memcpy(&size, record.data(), 4);
    EXPECT_EQ(size, std::int32_t(c.body.size())) << c.what;
    EXPECT_EQ(std::memcmp(record.data() + 4, "XDBM\x02\x00", 6), 0) << c.what;
    EXPECT_EQ(Expand(record), c.data) << c.what;
  }
}

TEST(Xdbm, LongRunsSplitAt125Blocks) {
  const Bytes same(300 * 2, 0xAB);  // 300 equal blocks of 2 bytes
  const Bytes record = Compress(same, 2);
  EXPECT_EQ(Bytes(record.begin() + 10, record.end()),
            (Bytes{2, 0, 125, 0xAB, 0xAB, 125, 0xAB, 0xAB, 50, 0xAB, 0xAB}));
  Bytes distinct(300);
  for (int i = 0; i < 300; ++i) distinct[i] = std::uint8_t(i * 3 + 1);
  const Bytes lit = Compress(distinct, 1);
  EXPECT_EQ(lit[12], 0x80 + 125);
  EXPECT_EQ(lit[12 + 126], 0x80 + 125);
  EXPECT_EQ(lit[12 + 252], 0x80 + 50);
  EXPECT_EQ(Expand(lit), distinct);
}

TEST(Xdbm, SizeCountsFromTheRecordsOwnStart) {
  // A record after other data: the size is its body length, not the
  // stream position, and a reader positioned there gets the data back.
  const Bytes data = {5, 5, 5, 5, 6, 7};
  rtl::TMemoryStream s;
  const std::uint8_t before[7] = {1, 2, 3, 4, 5, 6, 7};
  s.WriteBuffer(before, 7);
  dxWriteCompressedBitmapData(&s, data.data(), data.size(), 1);
  EXPECT_EQ(s.Position(), s.Size());
  const Bytes all = StreamBytes(s);
  std::int32_t size;
  std::memcpy(&size, all.data() + 7, 4);
  EXPECT_EQ(size, std::int32_t(all.size() - 7 - 10));
  s.WriteByte(0xEE);  // something after the record stays unread
  rtl::TMemoryStream out;
  s.SetPosition(7);
  ASSERT_TRUE(dxReadCompressedBitmapData(&s, out));
  EXPECT_EQ(StreamBytes(out), data);
  EXPECT_EQ(s.Position(), s.Size() - 1);
}

TEST(Xdbm, ReaderBoundsEveryCount) {
  struct Case {
    const char* what;
    Bytes record;
    Bytes expected;
  } cases[] = {
      // Version 1 has no block size or verbatim bytes.
      {"version 1", [] { Bytes r = Header(4, 1); r.insert(r.end(), {3, 9, 0x81, 8}); return r; }(), {9, 9, 9, 8}},
      // A size beyond the stream: the body is what is there.
      {"size too large", [] { Bytes r = Header(1000, 2); r.insert(r.end(), {1, 0, 2, 4}); return r; }(), {4, 4}},
      // A literal run longer than the body copies what is left.
      {"truncated literal", [] { Bytes r = Header(5, 2); r.insert(r.end(), {1, 0, 0x85, 1, 2}); return r; }(), {1, 2}},
      // A repeat run without its block stops.
      {"truncated repeat", [] { Bytes r = Header(4, 2); r.insert(r.end(), {2, 0, 3, 1}); return r; }(), {}},
      // More verbatim bytes announced than present.
      {"verbatim beyond the body", [] { Bytes r = Header(4, 2); r.insert(r.end(), {4, 9, 1, 2}); return r; }(), {1, 2}},
      {"negative size", [] { Bytes r = Header(-8, 2); r.insert(r.end(), {1, 0, 2, 4}); return r; }(), {}},
      {"unknown version", [] { Bytes r = Header(4, 3); r.insert(r.end(), {1, 0, 2, 4}); return r; }(), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.record), c.expected) << c.what;

  Bytes zeroBlock = Header(4, 2);
  zeroBlock.insert(zeroBlock.end(), {0, 0, 2, 4});
  rtl::TMemoryStream in, out;
  in.WriteBuffer(zeroBlock.data(), rtl::Int64(zeroBlock.size()));
  in.SetPosition(0);
  EXPECT_THROW(dxReadCompressedBitmapData(&in, out), rtl::EReadError);
}

TEST(Xdbm, ForeignOrShortDataIsNotARecord) {
  for (const Bytes& b : {Bytes{1, 2, 3}, Bytes{10, 0, 0, 0, 'B', 'M', 0, 0, 0, 0, 0, 0}}) {
    rtl::TMemoryStream in, out;
    in.WriteBuffer(b.data(), rtl::Int64(b.size()));
    in.SetPosition(0);
    EXPECT_FALSE(dxReadCompressedBitmapData(&in, out));
    EXPECT_EQ(in.Position(), 0);
  }
}

class XdbmRoundTrip : public ::testing::TestWithParam<std::tuple<ui::TPixelFormat, bool>> {};

TEST_P(XdbmRoundTrip, BitmapDataReadsBackUnchanged) {
  const auto [format, compress] = GetParam();
  TcxBitmap source(37, 23, ui::pf32bit);
  Paint(source);
  source.SetPixelFormat(format);
  if (format == ui::pf32bit) source.SetAlphaFormat(ui::afDefined);  // keep all four bytes
  source.SetCompressData(compress);
  rtl::TMemoryStream s;
  s.WriteUInt32(0xDEADBEEF);  // the record need not start the stream
  source.WriteData(&s);
  s.SetPosition(4);
  TcxBitmap copy;
  copy.ReadData(&s);
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(copy.PixelFormat(), format);
  ASSERT_EQ(copy.Width(), 37);
  ASSERT_EQ(copy.Height(), 23);
  EXPECT_EQ(copy.ToImage().pixels, source.ToImage().pixels);
  // A compressed 24-bit record uses blocks of three bytes.
  const Bytes all = StreamBytes(s);
  const bool isRecord = std::memcmp(all.data() + 8, "XDBM", 4) == 0;
  EXPECT_EQ(isRecord, compress);
  if (compress) {
    EXPECT_EQ(all[14], format == ui::pf24bit ? 3 : 4);
    EXPECT_LT(all.size(), std::size_t(37 * 23 * (format == ui::pf24bit ? 3 : 4)));
  }
  // Any platform bitmap reads the plain form too.
  if (!compress) {
    s.SetPosition(4);
    ui::TBitmap plain;
    plain.ReadData(&s);
    EXPECT_EQ(plain.Width(), 37);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, XdbmRoundTrip,
                         ::testing::Combine(::testing::Values(ui::pf24bit, ui::pf32bit), ::testing::Bool()));

TEST(Xdbm, BadPlainDataFailsCleanly) {
  // A length beyond the stream, and bytes that are no BMP.
  rtl::TMemoryStream longer;
  longer.WriteUInt32(100);
  longer.WriteUInt32(0);
  longer.SetPosition(0);
  TcxBitmap b(4, 4);
  EXPECT_THROW(b.ReadData(&longer), rtl::EReadError);
  EXPECT_EQ(b.Width(), 4);
  rtl::TMemoryStream junk;
  junk.WriteUInt32(6);
  junk.WriteBuffer("BMjunk", 6);
  junk.SetPosition(0);
  EXPECT_THROW(b.ReadData(&junk), ui::EInvalidGraphic);
  // A record of an unknown version expands to nothing, which is no data.
  Bytes r = Header(2, 9);
  r.insert(r.end(), {1, 0});
  rtl::TMemoryStream unknown;
  unknown.WriteBuffer(r.data(), rtl::Int64(r.size()));
  unknown.SetPosition(0);
  EXPECT_THROW(b.ReadData(&unknown), rtl::EReadError);
}

// ---- TcxBitmap -----------------------------------------------------------------------------------------

TEST(CxBitmap, SizeClampsAndChangesAreBatched) {
  TcxBitmap b;
  EXPECT_EQ(b.PixelFormat(), ui::pf24bit);
  int changes = 0;
  int token = 0;
  b.SetOnChange(rtl::TNotifyEvent::fromClosure(&token, [&](rtl::TObject*) { ++changes; }));
  b.SetSize(-5, 10);
  EXPECT_EQ(b.Width(), 0);
  b.SetSize(4, 4);
  const int afterResize = changes;
  EXPECT_GE(afterResize, 1);
  b.SetSize(4, 4);  // the same size: nothing, no notification
  EXPECT_EQ(changes, afterResize);

  b.BeginUpdate();
  b.SetSize(8, 8);
  b.SetSize(9, 9);
  EXPECT_EQ(changes, afterResize);  // held while locked
  b.EndUpdate(false);               // a change arrived, so it is told now
  EXPECT_EQ(changes, afterResize + 1);
  b.BeginUpdate();
  b.EndUpdate(false);  // nothing changed, nothing told
  EXPECT_EQ(changes, afterResize + 1);
  b.EndUpdate();  // unpaired: ignored
  EXPECT_FALSE(b.ChangeLocked());
  EXPECT_EQ(b.ClientRect(), (TRect{0, 0, 9, 9}));
  EXPECT_EQ(b.cxCanvas(), b.cxCanvas());
  EXPECT_EQ(b.cxCanvas()->Canvas(), b.Canvas());
}

TEST(CxBitmap, ThirtyTwoBitsOrNothing) {
  TcxBitmap32 b(4, 4, true);
  EXPECT_EQ(b.PixelFormat(), ui::pf32bit);
  EXPECT_EQ(Px(b, 3, 3), 0u);
  try {
    b.SetPixelFormat(ui::pf24bit);
    FAIL() << "a 24-bit TcxBitmap32 was accepted";
  } catch (const EdxException& e) {
    EXPECT_EQ(e.Message(), u"Wrong PixelFormat");
  }
}

TEST(CxBitmap, PixelOperations) {
  struct Case {
    const char* what;
    std::uint32_t before;
    void (*op)(TcxBitmap32&);
    std::uint32_t after;
  } cases[] = {
      {"darken 50", 0x80C86432, [](TcxBitmap32& b) { b.Darken(50); }, 0x80643219},
      {"lighten 50", 0x80000064, [](TcxBitmap32& b) { b.Lighten(50); }, 0x807F7FB1},
      {"alpha", 0x00123456, [](TcxBitmap32& b) { b.SetAlphaChannel(0x33); }, 0x33123456},
      {"opaque", 0x00123456, [](TcxBitmap32& b) { b.MakeOpaque(); }, 0xFF123456},
      {"transparency: key", 0x80FF00FF, [](TcxBitmap32& b) { b.RecoverTransparency(ui::clFuchsia); }, 0},
      {"transparency: other", 0x00123456, [](TcxBitmap32& b) { b.RecoverTransparency(ui::clFuchsia); }, 0xFF123456},
      {"transparency: keeps alpha", 0x40123456, [](TcxBitmap32& b) { b.RecoverTransparency(ui::clFuchsia); }, 0x40123456},
  };
  for (const Case& c : cases) {
    TcxBitmap32 b(3, 2);
    Fill(b, c.before);
    c.op(b);
    EXPECT_EQ(Px(b, 2, 1), c.after) << c.what;
    EXPECT_EQ(b.IsAlphaUsed(), (c.after >> 24) != 0) << c.what;
  }
  TcxBitmap32 img(2, 2), mask(2, 2);
  Fill(img, 0xFF112233);
  Fill(mask, 0);
  Px(mask, 0, 0) = 0xFFFFFFFF;
  img.Filter(&mask);  // destination and not source
  EXPECT_EQ(Px(img, 0, 0), 0u);
  EXPECT_EQ(Px(img, 1, 1), 0xFF112233u);
}

TEST(CxBitmap, ResizeStretchesOrCentres) {
  TcxBitmap32 b(2, 2);
  Fill(b, 0xFFFF0000);
  b.Resize(6, 4, false, false, ui::clBlue);
  EXPECT_EQ(b.Width(), 6);
  EXPECT_EQ(Px(b, 0, 0) & 0xFFFFFF, 0x0000FFu);  // the fill
  EXPECT_EQ(Px(b, 2, 1), 0xFFFF0000u);           // the picture, centred
  EXPECT_EQ(Px(b, 3, 2), 0xFFFF0000u);
  EXPECT_EQ(Px(b, 4, 2) & 0xFFFFFF, 0x0000FFu);
  b.Resize(3, 3, true, false);
  // Stretched over everything (the fill has alpha 0, so it adds its colour).
  EXPECT_EQ(Px(b, 0, 0), 0x000000FFu);
  EXPECT_EQ(Px(b, 1, 1), 0xFFFF0000u);
}

// ---- transformations --------------------------------------------------------------------------------

TEST(AlphaBitmap, TransformationModes) {
  gdi::ResetSysColors();
  constexpr std::uint32_t key = 0x00FF00FF;  // the transparent colour, alpha 0
  struct Case {
    TM mode;
    std::uint32_t pixel, expected;
  } cases[] = {
      {TM::btmDingy, 0xFF000A64, 0xFF4D5493},      // c + MulDiv(255 - c, 3, 10)
      {TM::btmDingy, 0x80FF8000, 0x64C86400},      // all four MulDiv(c, 200, 255)
      {TM::btmGrayScale, 0xFF0A141E, 0xFF141414},
      {TM::btmSetOpaque, 0x00123456, 0xFF123456},
      {TM::btmMakeMask, 0xFF123456, 0x00000000},
      {TM::btmMakeMask, key, 0xFFFFFFFF},
      {TM::btmFade, 0xFF0000FF, 0xFF1D1D1D},        // Round(255 * 0.114)
      {TM::btmDisable, 0xFFFF0000, 0xFF131313},     // Round(255 * 0.0729)
      {TM::btmCorrectBlend, 0x00123456, 0xFF123456},
      {TM::btmCorrectBlend, key, key},
      {TM::btmResetAlpha, 0xFF123456, 0x00123456},
      {TM::btmExtractLayer, key, 0},
      {TM::btmExtractLayer, 0xFF123456, 0xFF123456},
      {TM::btmGrayScale, key, key},  // transparent pixels are skipped
      {TM::btmDingy, key, key},
  };
  for (const Case& c : cases) {
    TcxAlphaBitmap b(2, 2);
    b.TransparentPixels().clear();
    b.AddTransparentColor(ui::clFuchsia);
    b.SetTransparentBkColor(dxUIntToRGBQuad(0xDEADBEEF));
    Fill(b, c.pixel);
    b.TransformBitmap(c.mode);
    EXPECT_EQ(Px(b, 1, 1), c.expected) << int(c.mode) << " of " << std::hex << c.pixel;
  }
  TcxAlphaBitmap clear(2, 2, dxUIntToRGBQuad(0x80102030));
  clear.Clear();
  EXPECT_EQ(Px(clear, 0, 1), 0x80102030u);
  clear.SetTransparentBkColor(ClrTransparent);
  clear.Clear();
  EXPECT_EQ(Px(clear, 0, 1), 0u);
}

TEST(AlphaBitmap, HatchCheckersCountFromTheBottomLeft) {
  TcxAlphaBitmap b(8, 6);
  Fill(b, 0);
  b.DrawHatch(ui::clRed, ui::clBlue, 4, 255, 255);
  // Row y = 0 is the bottom row: bottom-left 4 x 4 is the first colour.
  EXPECT_EQ(Px(b, 0, 5), 0xFFFF0000u);
  EXPECT_EQ(Px(b, 3, 2), 0xFFFF0000u);
  EXPECT_EQ(Px(b, 4, 5), 0xFF0000FFu);
  EXPECT_EQ(Px(b, 0, 1), 0xFF0000FFu);  // y = 4 from the bottom
  EXPECT_EQ(Px(b, 4, 0), 0xFFFF0000u);
}

TEST(AlphaBitmap, MaskAndColourSetUps) {
  TcxAlphaBitmap b(3, 1);
  Px(b, 0, 0) = 0x00FF00FF;
  Px(b, 1, 0) = 0x00123456;
  Px(b, 2, 0) = 0x00FF00FF;
  b.RecoverAlphaChannel(ui::clFuchsia);
  EXPECT_EQ(Px(b, 0, 0), 0x00FF00FFu);
  EXPECT_EQ(Px(b, 1, 0), 0xFF123456u);
  EXPECT_TRUE(b.IsColorTransparent(dxUIntToRGBQuad(0x7FFF00FF)));  // by colour alone
  b.ExtractLayer(ui::clFuchsia);
  EXPECT_EQ(Px(b, 2, 0), 0u);

  ui::TBitmap source(3, 1), mask(3, 1);
  source.SetPixelFormat(ui::pf32bit);
  Px(source, 0, 0) = 0x00FF00FF;  // bottom-left: the transparent colour
  Px(source, 1, 0) = 0x00000000;
  Px(source, 2, 0) = 0x00FF00FF;
  cxMakeMaskBitmap(&source, &mask);
  EXPECT_EQ(Px(mask, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Px(mask, 1, 0), 0u);
}

TEST(AlphaBitmap, GoldenTransformations) {
  gdi::ResetSysColors();
  const TM modes[] = {TM::btmDingy, TM::btmDirty, TM::btmGrayScale, TM::btmFade, TM::btmDisable};
  TcxBitmap32 sheet(16 * 7, 16, true);
  auto picture = [](TcxAlphaBitmap& b) {
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool ring = (x - 8) * (x - 8) + (y - 8) * (y - 8) < 49;
        Px(b, x, y) = ring ? 0xFF000000u | std::uint32_t(x * 16) << 16 | std::uint32_t(y * 16) << 8 | 0xC0 : 0x00FF00FFu;
      }
    b.AddTransparentColor(ui::clFuchsia);
  };
  int col = 0;
  {
    TcxAlphaBitmap b(16, 16);
    picture(b);
    sheet.CopyBitmap(&b, TRect{0, 0, 16, 16}, TPoint{0, 0});
  }
  for (TM mode : modes) {
    TcxAlphaBitmap b(16, 16);
    picture(b);
    b.TransformBitmap(mode);
    ++col;
    sheet.CopyBitmap(&b, TRect{col * 16, 0, col * 16 + 16, 16}, TPoint{0, 0});
  }
  {
    TcxAlphaBitmap b(16, 16);
    Fill(b, 0xFFFFFFFF);
    b.DrawHatch(ui::clNavy, ui::clYellow, 2, 255, 128);
    ++col;
    sheet.CopyBitmap(&b, TRect{col * 16, 0, col * 16 + 16, 16}, TPoint{0, 0});
  }
  EXPECT_EQ(Px(sheet, 0, 0) & 0xFFFFFF, 0xFF00FFu);
  EXPECT_GOLDEN(sheet.ToImage(), "core", "bitmap_transformations");
}

TEST(AlphaBitmap, ShadowFallsBelowRight) {
  gdi::ResetSysColors();
  // A 6 x 6 opaque square on a transparent 8 x 8 bitmap; its mask.
  TcxAlphaBitmap image(8, 8);
  image.Clear();
  for (int y = 1; y < 7; ++y)
    for (int x = 1; x < 7; ++x) Px(image, x, y) = 0xFF3060C0;
  TcxAlphaBitmap mask(8, 8);
  mask.CopyBitmap(&image);
  mask.TransparentPixels().clear();
  mask.SetTransparentBkColor(ClrTransparent);
  mask.TransformBitmap(TM::btmMakeMask);
  image.DrawShadow(&mask, 2, ui::clBlack + 0x404040, true);
  EXPECT_EQ(image.Width(), 10);
  EXPECT_EQ(image.Height(), 10);
  EXPECT_EQ(Px(image, 3, 3), 0xFF3060C0u);       // the picture
  EXPECT_EQ(Px(image, 8, 8), 0xFF404040u);       // its shadow, two pixels on
  EXPECT_EQ(Px(image, 0, 0) >> 24, 0u);          // transparent corner
  EXPECT_EQ(Px(image, 9, 0) >> 24, 0u);
  EXPECT_GOLDEN(image.ToImage(), "core", "bitmap_shadow");
}

// ---- free routines and shared work bitmaps -----------------------------------------------------------

TEST(BitmapRoutines, CreateCopyCloneClear) {
  auto b = cxCreateBitmap(TSize{5, 3}, ui::pf32bit);
  EXPECT_EQ(b->Width(), 5);
  EXPECT_EQ(b->PixelFormat(), ui::pf32bit);
  Fill(*b, 0xFF102030);
  auto copy = cxCreateBitmapCopy(b.get());
  EXPECT_EQ(Px(*copy, 4, 2), 0xFF102030u);
  auto clone = cxCloneBitmap(b.get());
  EXPECT_TRUE(dxGraphicIsEquals(b.get(), clone.get()));
  auto dest = cxCreateBitmap(TRect{0, 0, 5, 3}, ui::pf32bit);
  cxCopyBitmap(dest.get(), b.get());
  EXPECT_EQ(Px(*dest, 0, 0), 0xFF102030u);
  cxClearBitmap(dest.get());
  EXPECT_EQ(Px(*dest, 0, 0), 0u);
  gdi::HBITMAP section = cxCopyImage(b->Handle());
  ASSERT_NE(section, nullptr);
  gdi::DIBSECTION ds;
  EXPECT_EQ(gdi::GetObjectW(section, sizeof(ds), &ds), int(sizeof(ds)));
  EXPECT_EQ(ds.dsBm.bmWidth, 5);
  EXPECT_EQ(gdi::GetBitmapSurface(section).at(0, 0), 0xFF102030u);
  gdi::DeleteObject(section);
}

TEST(BitmapRoutines, SharedWorkBitmapsAreRefreshed) {
  TcxAlphaBitmap* d = GetDrawBitmap(4, 4);
  Fill(*d, 0xFFFFFFFF);
  d->AddTransparentColor(ui::clRed);
  TcxAlphaBitmap* again = GetDrawBitmap(6, 2);
  EXPECT_EQ(again, d);
  EXPECT_EQ(again->Width(), 6);
  EXPECT_EQ(Px(*again, 0, 0), 0u);
  EXPECT_TRUE(again->TransparentPixels().empty());
  EXPECT_NE(GetImageBitmap(1, 1), GetMaskBitmap(1, 1));
  cxFreeWorkBitmaps();
}

TEST(BitmapRoutines, UnitStartNamesTheBitmapClassesForStreams) {
  cxGraphicsInitialization();
  EXPECT_EQ(rtl::GetClass(u"TcxBitmap"), &TcxBitmap::classInfo());
  EXPECT_EQ(rtl::GetClass(u"tcxbitmap32"), &TcxBitmap32::classInfo());
  EXPECT_TRUE(TcxBitmap32::classInfo().InheritsFrom(ui::TBitmap::classInfo()));
}

// The file formats: round trips, hostile and truncated input, the pixel limit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/status.h"

namespace gc = gdiplus::codecs;
using gc::Bytes;
using gc::Raster;
using gdiplus::GpException;
using gdiplus::GpStatus;

namespace gdiplus::codecs {
// Failures show the size and the first differing pixel, not raw bytes.
void PrintTo(const Raster& r, std::ostream* os) {
  *os << r.width << "x" << r.height << " [";
  for (std::size_t i = 0; i < r.pixels.size() && i < 8; ++i) *os << std::hex << r.pixels[i] << std::dec << " ";
  *os << "...]";
}
}  // namespace gdiplus::codecs

namespace {

GpStatus statusOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const GpException& e) {
    EXPECT_STRNE(e.what(), "");
    return e.status();
  }
  return gdiplus::Ok;
}

// A picture whose colours change along both axes; `alpha` adds a ramp of
// alpha values including 0 and 255.
Raster pattern(int w, int h, bool alpha) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t red = (x * 37 + y * 11) & 0xFF, green = (y * 53 + 7) & 0xFF, blue = (x * y * 5 + 90) & 0xFF;
      const std::uint32_t a = alpha ? ((x + y) % 4 == 0 ? 0u : (x + y) % 4 == 1 ? 255u : (x * 40 + y * 90 + 20) & 0xFF) : 255u;
      r.at(x, y) = (a << 24) | (red << 16) | (green << 8) | blue;
    }
  return r;
}

// Few colours (for palettes) and optional all-or-nothing alpha (GIF).
Raster fewColours(int w, int h, int colours, bool holes) {
  static const std::uint32_t table[] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080,
                                        0xFF123456, 0xFFABCDEF, 0xFF00FFFF, 0xFFFF00FF, 0xFFFFFF00, 0xFF400000,
                                        0xFF004000, 0xFF000040, 0xFF404040, 0xFFC0C0C0};
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.at(x, y) = table[(x + 3 * y) % colours];
  if (holes)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if ((x * 7 + y) % 5 == 0) r.at(x, y) = 0;
  return r;
}

// 16-bit 5-5-5 keeps only colours whose channels have 5 significant bits.
Raster fiveBit(int w, int h) {
  Raster r = pattern(w, h, false);
  for (auto& p : r.pixels) {
    auto c = [&](int s) { std::uint32_t v = (p >> s) & 0xF8; return (v | (v >> 5)) << s; };
    p = 0xFF000000u | c(16) | c(8) | c(0);
  }
  return r;
}

// Largest difference per channel of the premultiplied values (what is seen).
int maxPremultipliedDifference(const Raster& a, const Raster& b) {
  int worst = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    const std::uint32_t p = gc::premultiply(a.pixels[i]), q = gc::premultiply(b.pixels[i]);
    for (int s = 0; s < 32; s += 8) worst = std::max(worst, std::abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF)));
  }
  return worst;
}

struct RoundTrip {
  const char* name;
  gc::FileFormat format;
  std::function<Raster(int, int)> make;
  std::function<Bytes(const Raster&)> encode;
  int tolerance;  // on premultiplied channels; -1 = the same bytes
};

std::vector<RoundTrip> roundTrips() {
  auto bmp = [](int bpp, bool topDown = false) {
    return [=](const Raster& r) { return gc::encodeBmp(r, gc::BmpWriteOptions{bpp, topDown}); };
  };
  return {
      {"bmp_auto_opaque", gc::FileFormat::Bmp, [](int w, int h) { return pattern(w, h, false); }, bmp(0), -1},
      {"bmp_auto_alpha", gc::FileFormat::Bmp, [](int w, int h) { return pattern(w, h, true); }, bmp(0), -1},
      {"bmp_1", gc::FileFormat::Bmp, [](int w, int h) { return fewColours(w, h, 2, false); }, bmp(1), -1},
      {"bmp_4", gc::FileFormat::Bmp, [](int w, int h) { return fewColours(w, h, 16, false); }, bmp(4), -1},
      {"bmp_8", gc::FileFormat::Bmp, [](int w, int h) { return fewColours(w, h, 13, false); }, bmp(8), -1},
      {"bmp_16", gc::FileFormat::Bmp, fiveBit, bmp(16), -1},
      {"bmp_24_top_down", gc::FileFormat::Bmp, [](int w, int h) { return pattern(w, h, false); }, bmp(24, true), -1},
      {"bmp_32", gc::FileFormat::Bmp, [](int w, int h) { return pattern(w, h, false); }, bmp(32), -1},
      {"ico", gc::FileFormat::Ico, [](int w, int h) { return pattern(w, h, true); }, gc::encodeIco, 0},
      {"png_opaque", gc::FileFormat::Png, [](int w, int h) { return pattern(w, h, false); }, gc::encodePng, -1},
      {"png_alpha", gc::FileFormat::Png, [](int w, int h) { return pattern(w, h, true); }, gc::encodePng, -1},
      {"gif", gc::FileFormat::Gif, [](int w, int h) { return fewColours(w, h, 16, true); },
       [](const Raster& r) { return gc::encodeGif(r); }, -1},
      {"tiff_opaque", gc::FileFormat::Tiff, [](int w, int h) { return pattern(w, h, false); },
       [](const Raster& r) { return gc::encodeTiff(r); }, -1},
      {"tiff_alpha", gc::FileFormat::Tiff, [](int w, int h) { return pattern(w, h, true); },
       [](const Raster& r) { return gc::encodeTiff(r); }, 1},
      // A smooth picture: JPEG keeps it close at quality 95.
      {"jpeg", gc::FileFormat::Jpeg,
       [](int w, int h) {
         Raster r(w, h);
         for (int y = 0; y < h; ++y)
           for (int x = 0; x < w; ++x) r.at(x, y) = 0xFF000000u | ((100 + x) << 16) | ((60 + y) << 8) | 140;
         return r;
       },
       [](const Raster& r) { return gc::encodeJpeg(r, 95); }, 12},
  };
}

class CodecRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(CodecRoundTrip, KeepsThePixelsAtEverySize) {
  const RoundTrip& c = GetParam();
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 1}, {3, 2}, {5, 7}, {17, 3}, {33, 9}};
  for (auto [w, h] : sizes) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const Raster in = c.make(w, h);
    const Bytes file = c.encode(in);
    ASSERT_EQ(gc::detectFormat(file), c.format);
    const gc::DecodedImage out = gc::decode(file);
    EXPECT_EQ(out.format, c.format);
    ASSERT_EQ(out.frames.size(), 1u);
    const Raster& got = out.frames[0];
    ASSERT_EQ(got.width, w);
    ASSERT_EQ(got.height, h);
    if (c.tolerance < 0)
      EXPECT_EQ(got, in);
    else
      EXPECT_LE(maxPremultipliedDifference(got, in), c.tolerance);
    EXPECT_EQ(out.hasAlpha, in.hasAlpha() || c.format == gc::FileFormat::Ico);
  }
}

TEST_P(CodecRoundTrip, FailsCleanlyOnEveryTruncation) {
  const RoundTrip& c = GetParam();
  const Bytes file = c.encode(c.make(12, 5));
  const std::size_t step = file.size() > 600 ? file.size() / 300 : 1;
  int failures = 0;
  for (std::size_t cut = 0; cut < file.size(); cut += step) {
    const Bytes part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
    try {
      const gc::DecodedImage img = gc::decode(part);
      // Some decoders show what arrived (JPEG fills the rest); the size holds.
      ASSERT_EQ(img.frames.at(0).width, 12) << "cut at " << cut;
    } catch (const GpException& e) {
      ++failures;
      EXPECT_TRUE(e.status() == gdiplus::InvalidParameter || e.status() == gdiplus::UnknownImageFormat)
          << "cut at " << cut << ": " << e.what();
    }
  }
  EXPECT_GT(failures, 0);
  if (c.format != gc::FileFormat::Jpeg && c.format != gc::FileFormat::Png && c.format != gc::FileFormat::Tiff) {
    // Our own readers and GIF need every byte up to the pixels' end.
    EXPECT_GE(failures, static_cast<int>((file.size() - 4) / step)) << "a truncated file was accepted";
  }
}

TEST_P(CodecRoundTrip, RefusesImagesOverThePixelLimit) {
  const RoundTrip& c = GetParam();
  const Bytes file = c.encode(c.make(10, 8));
  gc::DecodeOptions tight;
  tight.maxPixels = 79;
  EXPECT_EQ(statusOf([&] { gc::decode(file, tight); }), gdiplus::OutOfMemory);
  tight.maxPixels = 80;
  EXPECT_EQ(statusOf([&] { gc::decode(file, tight); }), gdiplus::Ok);
}

INSTANTIATE_TEST_SUITE_P(Formats, CodecRoundTrip, testing::ValuesIn(roundTrips()),
                         [](const testing::TestParamInfo<RoundTrip>& i) { return std::string(i.param.name); });

TEST(Codecs, DetectsFormatsBySignature) {
  const struct {
    Bytes bytes;
    gc::FileFormat format;
  } cases[] = {
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, gc::FileFormat::Png},
      {{0xFF, 0xD8, 0xFF, 0xE0}, gc::FileFormat::Jpeg},
      {{'G', 'I', 'F', '8', '9', 'a'}, gc::FileFormat::Gif},
      {{'G', 'I', 'F', '8', '7', 'a'}, gc::FileFormat::Gif},
      {{'I', 'I', 42, 0}, gc::FileFormat::Tiff},
      {{'M', 'M', 0, 42}, gc::FileFormat::Tiff},
      {{'B', 'M', 0, 0}, gc::FileFormat::Bmp},
      {{0, 0, 1, 0, 1, 0}, gc::FileFormat::Ico},
      {{0, 0, 2, 0, 1, 0}, gc::FileFormat::Unknown},  // cursors are not pictures
      {{0, 0, 1, 0, 0, 0}, gc::FileFormat::Unknown},
      {{'G', 'I', 'F'}, gc::FileFormat::Unknown},
      {{}, gc::FileFormat::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(gc::detectFormat(c.bytes), c.format);
  EXPECT_EQ(statusOf([] { gc::decode(Bytes{1, 2, 3, 4}); }), gdiplus::UnknownImageFormat);
}

// ---- BMP details ---------------------------------------------------------------

// A BMP file from an info header and the bytes after it.
Bytes bmpFile(int w, int h, int bpp, std::uint32_t compression, const Bytes& afterHeader,
              std::uint32_t clrUsed = 0, std::uint32_t sizeImage = 0) {
  Bytes f = {'B', 'M'};
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](std::uint32_t v) {
    f.push_back(static_cast<std::uint8_t>(v));
    f.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  u32(static_cast<std::uint32_t>(54 + afterHeader.size()));
  u32(0);
  u32(0);  // offset unknown: pixels follow the palette
  u32(40);
  u32(static_cast<std::uint32_t>(w));
  u32(static_cast<std::uint32_t>(h));
  u16(1);
  u16(static_cast<std::uint32_t>(bpp));
  u32(compression);
  u32(sizeImage);
  u32(0);
  u32(0);
  u32(clrUsed);
  u32(0);
  f.insert(f.end(), afterHeader.begin(), afterHeader.end());
  return f;
}

Bytes palette(std::initializer_list<std::uint32_t> colours) {
  Bytes b;
  for (std::uint32_t c : colours)
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(c >> (8 * i)));
  return b;
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Bmp, ReadsRle8WithDeltaAndAbsoluteRuns) {
  // 4 x 3, bottom row first: run of 3 red, absolute [1 2 1], end of line;
  // next line: delta (1, 0) then 2 x green, end of line; last line: end of bitmap.
  const Bytes pixels = {3, 0, 0, 3, 1, 2, 1, 0, 0, 0, 0, 2, 1, 0, 2, 1, 0, 0, 0, 1};
  const Bytes file = bmpFile(4, 3, 8, 1, concat(palette({0xFF0000, 0x00FF00, 0x0000FF}), pixels), 3);
  const gc::DecodedImage img = gc::decodeBmp(file);
  const Raster& r = img.frames[0];
  const std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00;
  EXPECT_EQ(r.at(0, 2), R);
  EXPECT_EQ(r.at(1, 2), R);
  EXPECT_EQ(r.at(2, 2), R);
  EXPECT_EQ(r.at(3, 2), G);  // first pixel of the absolute run [1 2 1]; the rest fall off the row
  EXPECT_EQ(r.at(0, 1), 0u);
  EXPECT_EQ(r.at(1, 1), G);
  EXPECT_EQ(r.at(2, 1), G);
  EXPECT_EQ(r.at(3, 1), 0u);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(r.at(x, 0), 0u);
  EXPECT_TRUE(img.hasAlpha);  // pixels the stream skips are transparent
}

TEST(Bmp, ReadsRle4NibblesInOrder) {
  // 5 x 1: run of 5 alternating 1,2 then end of bitmap.
  const Bytes file = bmpFile(5, 1, 4, 2, concat(palette({0, 0xFFFFFF, 0xFF0000}), {5, 0x12, 0, 1}), 3);
  const Raster r = gc::decodeBmp(file).frames[0];
  const std::vector<std::uint32_t> want = {0xFFFFFFFF, 0xFFFF0000, 0xFFFFFFFF, 0xFFFF0000, 0xFFFFFFFF};
  EXPECT_EQ(r.pixels, want);
}

TEST(Bmp, RleWithoutEndMarkerIsTruncated) {
  const Bytes file = bmpFile(4, 2, 8, 1, concat(palette({0xFF0000}), {4, 0, 0, 0}), 1);
  EXPECT_EQ(statusOf([&] { gc::decodeBmp(file); }), gdiplus::InvalidParameter);
}

TEST(Bmp, ReadsBitfields565) {
  Bytes masks = palette({0xF800, 0x07E0, 0x001F});
  const Bytes pixels = {0x00, 0xF8, 0xE0, 0x07};  // red, green (one row of 2)
  const Raster r = gc::decodeBmp(bmpFile(2, 1, 16, 3, concat(masks, pixels))).frames[0];
  EXPECT_EQ(r.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(r.at(1, 0), 0xFF00FF00u);
}

TEST(Bmp, ThirtyTwoBitRgbIgnoresTheFourthByte) {
  const Bytes pixels = {1, 2, 3, 0, 4, 5, 6, 77};
  const gc::DecodedImage img = gc::decodeBmp(bmpFile(2, 1, 32, 0, pixels));
  EXPECT_EQ(img.frames[0].at(0, 0), 0xFF030201u);
  EXPECT_EQ(img.frames[0].at(1, 0), 0xFF060504u);
  EXPECT_FALSE(img.hasAlpha);
}

TEST(Bmp, IndexesBeyondThePaletteAreBlack) {
  const Raster r = gc::decodeBmp(bmpFile(2, 1, 8, 0, concat(palette({0xFFFFFF}), {0, 9, 0, 0}), 1)).frames[0];
  EXPECT_EQ(r.at(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(r.at(1, 0), 0xFF000000u);
}

TEST(Bmp, RefusesHostileHeaders) {
  const struct {
    const char* what;
    Bytes file;
    GpStatus status;
  } cases[] = {
      {"huge sides, no pixels", bmpFile(100000, 100000, 24, 0, {}), gdiplus::OutOfMemory},
      {"negative width", bmpFile(-4, 4, 24, 0, Bytes(64)), gdiplus::InvalidParameter},
      {"zero height", bmpFile(4, 0, 24, 0, Bytes(64)), gdiplus::InvalidParameter},
      {"most negative height", bmpFile(4, static_cast<int>(0x80000000u), 24, 0, Bytes(64)), gdiplus::InvalidParameter},
      {"bit count 7", bmpFile(4, 4, 7, 0, Bytes(64)), gdiplus::InvalidParameter},
      {"RLE8 with 24 bits", bmpFile(4, 4, 24, 1, Bytes(64)), gdiplus::InvalidParameter},
      {"top-down RLE", bmpFile(4, -4, 8, 1, Bytes(64)), gdiplus::InvalidParameter},
      {"palette count past the end", bmpFile(2, 2, 8, 0, Bytes(16), 0x40000000u), gdiplus::InvalidParameter},
      {"rows missing", bmpFile(64, 64, 24, 0, Bytes(100)), gdiplus::InvalidParameter},
      {"embedded PNG", bmpFile(4, 4, 0, 5, Bytes(64)), gdiplus::UnknownImageFormat},
      {"unknown compression", bmpFile(4, 4, 24, 9, Bytes(64)), gdiplus::InvalidParameter},
  };
  for (const auto& c : cases) EXPECT_EQ(statusOf([&] { gc::decodeBmp(c.file); }), c.status) << c.what;
  Bytes badHeader = bmpFile(2, 2, 24, 0, Bytes(16));
  badHeader[14] = 41;  // unknown header size
  EXPECT_EQ(statusOf([&] { gc::decodeBmp(badHeader); }), gdiplus::InvalidParameter);
}

TEST(Bmp, ReadsCoreHeaderPalettes) {
  Bytes f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0};
  const Bytes triples = {0, 0, 255, 255, 0, 0};  // red, blue (B, G, R order)
  f = concat(f, triples);
  f = concat(f, {0x40, 0, 0, 0});  // pixels 0, 1
  const Raster r = gc::decodeBmp(f).frames[0];
  EXPECT_EQ(r.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(r.at(1, 0), 0xFF0000FFu);
}

TEST(Bmp, WriterRefusesTooManyColoursForThePalette) {
  EXPECT_EQ(statusOf([] { gc::encodeBmp(fewColours(4, 4, 3, false), gc::BmpWriteOptions{1, false}); }),
            gdiplus::InvalidParameter);
  EXPECT_EQ(statusOf([] { gc::encodeBmp(Raster(), {}); }), gdiplus::InvalidParameter);
}

// ---- ICO details ---------------------------------------------------------------

Bytes icoWithEntries(const std::vector<std::pair<int, Bytes>>& entries) {
  Bytes f = {0, 0, 1, 0, static_cast<std::uint8_t>(entries.size()), 0};
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const auto& [side, data] : entries) {
    const Bytes e = {static_cast<std::uint8_t>(side & 0xFF), static_cast<std::uint8_t>(side & 0xFF), 0, 0, 1, 0, 32, 0};
    f = concat(f, e);
    for (std::uint32_t v : {static_cast<std::uint32_t>(data.size()), offset})
      for (int i = 0; i < 4; ++i) f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    offset += static_cast<std::uint32_t>(data.size());
  }
  for (const auto& e : entries) f = concat(f, e.second);
  return f;
}

TEST(Ico, PicksTheLargestEntryAndReadsPngEntries) {
  const Raster small = pattern(4, 4, true), large = pattern(9, 9, true);
  const Bytes smallIco = gc::encodeIco(small);
  const Bytes smallEntry(smallIco.begin() + 22, smallIco.end());
  const Bytes file = icoWithEntries({{4, smallEntry}, {9, gc::encodePng(large)}});
  const gc::DecodedImage img = gc::decodeIco(file);
  EXPECT_EQ(img.format, gc::FileFormat::Ico);
  EXPECT_EQ(img.frames.at(0), large);
}

TEST(Ico, AppliesTheAndMaskToEntriesWithoutAlpha) {
  // An 8-bit entry: 2 x 2, palette of white, AND mask hides the top-left.
  Bytes dib = {40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 8, 0};
  dib.resize(40, 0);
  dib[32] = 1;  // one palette entry
  dib = concat(dib, palette({0xFFFFFF}));
  dib = concat(dib, Bytes(8, 0));                      // XOR: two rows of 4 bytes
  dib = concat(dib, {0, 0, 0, 0, 0x80, 0, 0, 0});      // AND: bottom row clear, top row first pixel set
  const Raster r = gc::decodeIco(icoWithEntries({{2, dib}})).frames.at(0);
  EXPECT_EQ(r.at(0, 0), 0u);
  EXPECT_EQ(r.at(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(r.at(0, 1), 0xFFFFFFFFu);
  // Without the mask the entry is truncated.
  dib.resize(dib.size() - 8);
  EXPECT_EQ(statusOf([&] { gc::decodeIco(icoWithEntries({{2, dib}})); }), gdiplus::InvalidParameter);
}

TEST(Ico, RefusesEntriesOutsideTheFile) {
  Bytes file = gc::encodeIco(pattern(3, 3, false));
  file[18] = 0xF0;  // offset far beyond the end
  EXPECT_EQ(statusOf([&] { gc::decodeIco(file); }), gdiplus::InvalidParameter);
  file = gc::encodeIco(pattern(3, 3, false));
  file[18] = 2;  // entry overlapping the directory
  EXPECT_EQ(statusOf([&] { gc::decodeIco(file); }), gdiplus::InvalidParameter);
}

// ---- GIF details ---------------------------------------------------------------

TEST(Gif, KeepsFramesDelaysAndLoopCount) {
  std::vector<Raster> frames;
  for (int i = 0; i < 4; ++i) {
    Raster f = fewColours(6, 5, 4 + i, i % 2 == 1);
    f.at(i, 0) = 0xFF112233;
    frames.push_back(f);
  }
  std::vector<gc::GifFrame> list;
  for (std::size_t i = 0; i < frames.size(); ++i) list.push_back({&frames[i], static_cast<std::uint32_t>(10 * (i + 1))});
  const gc::DecodedImage img = gc::decodeGif(gc::encodeGif(list, 2));
  ASSERT_EQ(img.frames.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(img.frames[i], frames[i]) << "frame " << i;
    EXPECT_EQ(img.delays[i], 10 * (i + 1));
  }
  EXPECT_EQ(img.loopCount, 2);
  EXPECT_TRUE(img.hasAlpha);
  EXPECT_EQ(gc::decodeGif(gc::encodeGif(frames[0])).loopCount, -1);
  EXPECT_EQ(gc::decodeGif(gc::encodeGif({{&frames[0], 0}}, 0)).loopCount, 0);
}

TEST(Gif, ReducesManyColoursToAPalette) {
  const Raster in = pattern(40, 30, false);
  const Raster out = gc::decodeGif(gc::encodeGif(in)).frames.at(0);
  EXPECT_LE(maxPremultipliedDifference(in, out), 64);
}

TEST(Gif, RefusesFramesLargerThanTheLimitBeforeReadingThem) {
  Bytes file = gc::encodeGif(fewColours(4, 4, 2, false));
  // Skip the extensions after the screen descriptor to the image descriptor
  // and make the frame 60000 x 60000.
  std::size_t at = 13;
  while (file[at] == '!') {
    at += 2;
    while (file[at]) at += file[at] + 1u;
    ++at;
  }
  ASSERT_EQ(file[at], ',');
  file[at + 5] = 0x60, file[at + 6] = 0xEA, file[at + 7] = 0x60, file[at + 8] = 0xEA;
  EXPECT_EQ(statusOf([&] { gc::decodeGif(file); }), gdiplus::OutOfMemory);
}

// ---- TIFF and JPEG details -----------------------------------------------------

TEST(Tiff, KeepsEveryPage) {
  const Raster a = pattern(5, 4, false), b = pattern(7, 2, true);
  const gc::DecodedImage img = gc::decodeTiff(gc::encodeTiff({&a, &b}));
  ASSERT_EQ(img.frames.size(), 2u);
  EXPECT_EQ(img.frames[0], a);
  EXPECT_LE(maxPremultipliedDifference(img.frames[1], b), 1);
}

TEST(Jpeg, QualityTradesSizeAndDropsAlpha) {
  const Raster in = pattern(64, 64, true);
  const Bytes low = gc::encodeJpeg(in, 10), high = gc::encodeJpeg(in, 100);
  EXPECT_LT(low.size(), high.size());
  const Raster out = gc::decodeJpeg(high).frames.at(0);
  for (std::uint32_t p : out.pixels) ASSERT_EQ(p >> 24, 0xFFu);
  EXPECT_EQ(statusOf([&] { gc::encodeJpeg(in, 101); }), gdiplus::InvalidParameter);
}

TEST(Jpeg, CorruptDataFailsWithAMessage) {
  Bytes file = gc::encodeJpeg(pattern(16, 16, false), 80);
  for (std::size_t i = 2; i < 40; ++i) file[i] = 0xFF;
  EXPECT_EQ(statusOf([&] { gc::decodeJpeg(file); }), gdiplus::InvalidParameter);
}

TEST(Codecs, PremultiplyRoundsAndUnpremultiplyInverts) {
  EXPECT_EQ(gc::premultiply(0x80FF8000u), 0x80804000u);
  EXPECT_EQ(gc::premultiply(0x00FFFFFFu), 0u);
  EXPECT_EQ(gc::premultiply(0xFF123456u), 0xFF123456u);
  EXPECT_EQ(gc::unpremultiply(0x80804000u), 0x80FF8000u);
  for (std::uint32_t a = 1; a < 256; a += 17)
    for (std::uint32_t c = 0; c <= a; c += 5) {
      const std::uint32_t p = (a << 24) | (c << 16) | (c << 8) | c;
      ASSERT_EQ(gc::premultiply(gc::unpremultiply(p)), p) << a << " " << c;
    }
}

}  // namespace

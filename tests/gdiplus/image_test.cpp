// Bitmaps through the flat functions: storage formats and their conversions,
// LockBits, codecs by class identifier, frames and properties.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/rtl/streams.h"

using namespace gdiplus;
namespace gc = gdiplus::codecs;

namespace {

struct ImageDeleter {
  void operator()(GpImage* i) const { GdipDisposeImage(i); }
};
using TestImagePtr = std::unique_ptr<GpImage, ImageDeleter>;

TestImagePtr newBitmap(int w, int h, PixelFormat format) {
  GpBitmap* b = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromScan0(w, h, 0, format, nullptr, &b), Ok);
  return TestImagePtr(b);
}
GpBitmap* bmp(const TestImagePtr& p) { return static_cast<GpBitmap*>(p.get()); }

TestImagePtr load(const gc::Bytes& bytes) {
  GpImage* image = nullptr;
  EXPECT_EQ(loadImageFromMemory(bytes.data(), bytes.size(), &image), Ok) << lastErrorMessage();
  return TestImagePtr(image);
}

ARGB pixel(const TestImagePtr& p, int x, int y) {
  ARGB c = 0;
  EXPECT_EQ(GdipBitmapGetPixel(bmp(p), x, y, &c), Ok);
  return c;
}

std::uint32_t locked(const TestImagePtr& p, PixelFormat format, int x, int y) {
  BitmapData d{};
  EXPECT_EQ(GdipBitmapLockBits(bmp(p), nullptr, ImageLockModeRead, format, &d), Ok);
  std::uint32_t v = 0;
  const int bpp = format == PixelFormat24bppRGB ? 3 : 4;
  std::memcpy(&v, static_cast<BYTE*>(d.Scan0) + d.Stride * y + bpp * x, bpp);
  EXPECT_EQ(GdipBitmapUnlockBits(bmp(p), &d), Ok);
  return v;
}

TEST(Bitmap, PixelsReadBackPerStorageFormat) {
  const struct {
    PixelFormat format;
    ARGB set, get;
  } cases[] = {
      {PixelFormat32bppARGB, 0x80FF8001, 0x80FF8001},  // straight keeps every bit
      {PixelFormat32bppPARGB, 0x80FF8000, 0x80FF8000},
      {PixelFormat32bppPARGB, 0x00123456, 0x00000000},  // no colour without alpha
      {PixelFormat32bppRGB, 0x80FF8000, 0xFFFF8000},
      {PixelFormat24bppRGB, 0x12345678, 0xFF345678},
  };
  for (const auto& c : cases) {
    TestImagePtr b = newBitmap(3, 2, c.format);
    PixelFormat f = 0;
    ASSERT_EQ(GdipGetImagePixelFormat(b.get(), &f), Ok);
    EXPECT_EQ(f, c.format);
    ASSERT_EQ(GdipBitmapSetPixel(bmp(b), 2, 1, c.set), Ok);
    EXPECT_EQ(pixel(b, 2, 1), c.get) << std::hex << c.format;
  }
}

TEST(Bitmap, LockBitsConvertsBetweenStraightAndPremultiplied) {
  const struct {
    PixelFormat storage, lock;
    std::uint32_t expect;
  } cases[] = {
      {PixelFormat32bppPARGB, PixelFormat32bppPARGB, 0x80804000},
      {PixelFormat32bppPARGB, PixelFormat32bppARGB, 0x80FF8000},
      {PixelFormat32bppARGB, PixelFormat32bppPARGB, 0x80804000},
      {PixelFormat32bppARGB, PixelFormat32bppARGB, 0x80FF8000},
      {PixelFormat32bppARGB, PixelFormat32bppRGB, 0xFFFF8000},
      {PixelFormat32bppARGB, PixelFormat24bppRGB, 0x00FF8000},
  };
  for (const auto& c : cases) {
    TestImagePtr b = newBitmap(2, 2, c.storage);
    ASSERT_EQ(GdipBitmapSetPixel(bmp(b), 1, 1, 0x80FF8000), Ok);
    EXPECT_EQ(locked(b, c.lock, 1, 1), c.expect) << std::hex << c.storage << " as " << c.lock;
  }
}

TEST(Bitmap, WritingThroughLockBitsConvertsBack) {
  TestImagePtr b = newBitmap(4, 3, PixelFormat32bppPARGB);
  const GpRect part{1, 1, 2, 2};
  BitmapData d{};
  ASSERT_EQ(GdipBitmapLockBits(bmp(b), &part, ImageLockModeWrite, PixelFormat32bppARGB, &d), Ok);
  EXPECT_EQ(d.Width, 2u);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(d.Scan0) + d.Stride * y)[x] = 0x80FF0000;
  ASSERT_EQ(GdipBitmapUnlockBits(bmp(b), &d), Ok);
  EXPECT_EQ(locked(b, PixelFormat32bppPARGB, 1, 1), 0x80800000u);
  EXPECT_EQ(locked(b, PixelFormat32bppPARGB, 0, 0), 0u);
  EXPECT_EQ(pixel(b, 2, 2), 0x80FF0000u);
}

TEST(Bitmap, LockBitsIntoTheCallersBuffer) {
  TestImagePtr b = newBitmap(2, 2, PixelFormat32bppARGB);
  GdipBitmapSetPixel(bmp(b), 0, 1, 0xFF010203);
  std::uint32_t buffer[8] = {};
  BitmapData d{};
  d.Scan0 = buffer;
  d.Stride = 16;
  ASSERT_EQ(GdipBitmapLockBits(bmp(b), nullptr, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppARGB, &d), Ok);
  EXPECT_EQ(d.Scan0, buffer);
  EXPECT_EQ(buffer[4], 0xFF010203u);
  ASSERT_EQ(GdipBitmapUnlockBits(bmp(b), &d), Ok);
}

TEST(Bitmap, LockBitsRefusesWrongUse) {
  TestImagePtr b = newBitmap(4, 4, PixelFormat32bppPARGB);
  BitmapData d{}, e{};
  const GpRect outside{2, 2, 3, 1};
  EXPECT_EQ(GdipBitmapLockBits(bmp(b), &outside, ImageLockModeRead, PixelFormat32bppARGB, &d), InvalidParameter);
  EXPECT_EQ(GdipBitmapUnlockBits(bmp(b), &d), WrongState);
  ASSERT_EQ(GdipBitmapLockBits(bmp(b), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &d), Ok);
  EXPECT_EQ(GdipBitmapLockBits(bmp(b), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &e), WrongState);
  EXPECT_EQ(GdipBitmapUnlockBits(bmp(b), &d), Ok);
  EXPECT_EQ(GdipBitmapLockBits(bmp(b), nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &d), NotImplemented);
}

TEST(Bitmap, Scan0BitmapsWorkOnTheCallersMemory) {
  std::uint32_t memory[6] = {0, 0, 0, 0, 0, 0x80402010};
  GpBitmap* raw = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(3, 2, 12, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(memory), &raw), Ok);
  TestImagePtr b(raw);
  EXPECT_EQ(pixel(b, 2, 1), gc::unpremultiply(0x80402010));
  ASSERT_EQ(GdipBitmapSetPixel(bmp(b), 0, 0, 0xFFABCDEF), Ok);
  EXPECT_EQ(memory[0], 0xFFABCDEFu);
}

TEST(Bitmap, CreationRefusesBadArguments) {
  GpBitmap* b = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromScan0(0, 5, 0, PixelFormat32bppARGB, nullptr, &b), InvalidParameter);
  EXPECT_EQ(GdipCreateBitmapFromScan0(5, 5, 0, PixelFormat8bppIndexed, nullptr, &b), InvalidParameter);
  BYTE memory[64];
  EXPECT_EQ(GdipCreateBitmapFromScan0(5, 2, 6, PixelFormat32bppARGB, memory, &b), InvalidParameter);
  EXPECT_EQ(GdipCreateBitmapFromScan0(60000, 60000, 0, PixelFormat32bppARGB, nullptr, &b), OutOfMemory);
}

TEST(Bitmap, CloneIsIndependent) {
  TestImagePtr b = newBitmap(2, 2, PixelFormat32bppARGB);
  GdipBitmapSetPixel(bmp(b), 0, 0, 0xFF112233);
  GpImage* c = nullptr;
  ASSERT_EQ(GdipCloneImage(b.get(), &c), Ok);
  TestImagePtr clone(c);
  GdipBitmapSetPixel(bmp(b), 0, 0, 0xFF000000);
  EXPECT_EQ(pixel(clone, 0, 0), 0xFF112233u);
}

// ---- codecs by identifier ------------------------------------------------------------

std::vector<BYTE> codecBuffer(bool encoders, UINT* count) {
  UINT size = 0;
  EXPECT_EQ(encoders ? GdipGetImageEncodersSize(count, &size) : GdipGetImageDecodersSize(count, &size), Ok);
  std::vector<BYTE> buffer(size);
  auto* info = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  EXPECT_EQ(encoders ? GdipGetImageEncoders(*count, size, info) : GdipGetImageDecoders(*count, size, info), Ok);
  return buffer;
}

TEST(Codecs, ListsEncodersAndDecodersWithTheirMimeTypes) {
  UINT count = 0;
  std::vector<BYTE> buffer = codecBuffer(true, &count);
  auto* info = reinterpret_cast<const ImageCodecInfo*>(buffer.data());
  std::vector<std::u16string> mimes;
  for (UINT i = 0; i < count; ++i) {
    mimes.emplace_back(info[i].MimeType);
    // Strings live in the caller's buffer.
    EXPECT_GE(reinterpret_cast<const BYTE*>(info[i].MimeType), buffer.data());
    EXPECT_LT(reinterpret_cast<const BYTE*>(info[i].MimeType), buffer.data() + buffer.size());
    EXPECT_TRUE(info[i].Flags & ImageCodecFlagsEncoder);
  }
  EXPECT_EQ(mimes, (std::vector<std::u16string>{u"image/bmp", u"image/jpeg", u"image/gif", u"image/tiff", u"image/png"}));
  buffer = codecBuffer(false, &count);
  info = reinterpret_cast<const ImageCodecInfo*>(buffer.data());
  EXPECT_EQ(std::u16string(info[count - 1].MimeType), u"image/x-icon");
  EXPECT_EQ(GdipGetImageEncoders(count, 10, reinterpret_cast<ImageCodecInfo*>(buffer.data())), InvalidParameter);
}

TEST(Codecs, LooksUpByMimeTypeIgnoringCase) {
  CLSID a{}, b{};
  ASSERT_EQ(encoderClsid(u"image/png", &a), Ok);
  ASSERT_EQ(encoderClsid(u"IMAGE/PNG", &b), Ok);
  EXPECT_EQ(a, b);
  const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
  EXPECT_EQ(a, png);
  EXPECT_EQ(encoderClsid(u"image/x-icon", &a), GenericError);  // decoder only
  EXPECT_EQ(decoderClsid(u"image/x-icon", &a), Ok);
  EXPECT_EQ(encoderClsid(u"image/webp", &a), GenericError);
}

gc::Raster sample(int w, int h) {
  gc::Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.at(x, y) = 0xFF000000u | ((x * 20) << 16) | ((y * 30) << 8) | 0x40;
  return r;
}

TEST(Codecs, SavesAndLoadsEveryEncoderFormat) {
  const struct {
    const char16_t* mime;
    GUID raw;
    PixelFormat loadedFormat;
    int tolerance;
  } cases[] = {
      {u"image/png", ImageFormatPNG, PixelFormat24bppRGB, 0},
      {u"image/bmp", ImageFormatBMP, PixelFormat24bppRGB, 0},
      {u"image/gif", ImageFormatGIF, PixelFormat24bppRGB, 0},
      {u"image/tiff", ImageFormatTIFF, PixelFormat24bppRGB, 0},
      {u"image/jpeg", ImageFormatJPEG, PixelFormat24bppRGB, 24},
  };
  gc::Raster r = sample(7, 5);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mime, c.mime + std::char_traits<char16_t>::length(c.mime)));
    TestImagePtr b = newBitmap(7, 5, PixelFormat32bppARGB);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) GdipBitmapSetPixel(bmp(b), x, y, r.at(x, y));
    CLSID clsid{};
    ASSERT_EQ(encoderClsid(c.mime, &clsid), Ok);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(saveImageToMemory(b.get(), &clsid, nullptr, &bytes), Ok) << lastErrorMessage();
    TestImagePtr back = load(bytes);
    ASSERT_TRUE(back);
    GUID raw{};
    GdipGetImageRawFormat(back.get(), &raw);
    EXPECT_EQ(raw, c.raw);
    UINT w = 0, h = 0;
    GdipGetImageWidth(back.get(), &w);
    GdipGetImageHeight(back.get(), &h);
    EXPECT_EQ(w, 7u);
    EXPECT_EQ(h, 5u);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        const ARGB got = pixel(back, x, y), want = r.at(x, y);
        for (int s = 0; s < 32; s += 8)
          ASSERT_LE(std::abs(int((got >> s) & 0xFF) - int((want >> s) & 0xFF)), c.tolerance) << x << "," << y;
      }
  }
}

TEST(Codecs, JpegQualityParameterChangesTheOutput) {
  TestImagePtr b = newBitmap(32, 32, PixelFormat32bppRGB);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) GdipBitmapSetPixel(bmp(b), x, y, 0xFF000000u | (x * y * 997));
  CLSID jpeg{};
  encoderClsid(u"image/jpeg", &jpeg);
  auto save = [&](ULONG quality) {
    EncoderParameters p{};
    p.Count = 1;
    p.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueTypeLong, &quality};
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(saveImageToMemory(b.get(), &jpeg, &p, &bytes), Ok);
    return bytes.size();
  };
  EXPECT_LT(save(5), save(95));
  const ULONG tooHigh = 101;
  EncoderParameters p{1, {{EncoderQuality, 1, EncoderParameterValueTypeLong, const_cast<ULONG*>(&tooHigh)}}};
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(saveImageToMemory(b.get(), &jpeg, &p, &bytes), InvalidParameter);
}

TEST(Codecs, LoadingBadDataFailsWithAStatusAndAMessage) {
  GpImage* image = reinterpret_cast<GpImage*>(1);
  const std::uint8_t junk[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(loadImageFromMemory(junk, sizeof junk, &image), UnknownImageFormat);
  EXPECT_EQ(image, nullptr);
  gc::Bytes png = gc::encodePng(sample(20, 20));
  png.resize(png.size() / 2);
  EXPECT_EQ(loadImageFromMemory(png.data(), png.size(), &image), InvalidParameter);
  EXPECT_NE(lastErrorMessage().find("PNG"), std::string::npos) << lastErrorMessage();
  CLSID unknown{};
  std::vector<std::uint8_t> out;
  TestImagePtr b = newBitmap(1, 1, PixelFormat32bppARGB);
  EXPECT_EQ(saveImageToMemory(b.get(), &unknown, nullptr, &out), FileNotFound);
}

TEST(Codecs, ReportsThePixelFormatOfTheFile) {
  gc::Raster alpha = sample(3, 3);
  alpha.at(1, 1) = 0x40FF0000;
  PixelFormat f = 0;
  TestImagePtr a = load(gc::encodePng(alpha));
  GdipGetImagePixelFormat(a.get(), &f);
  EXPECT_EQ(f, PixelFormat32bppARGB);
  EXPECT_EQ(pixel(a, 1, 1), 0x40FF0000u);  // straight, unchanged
  TestImagePtr j = load(gc::encodeJpeg(sample(3, 3)));
  GdipGetImagePixelFormat(j.get(), &f);
  EXPECT_EQ(f, PixelFormat24bppRGB);
}

TEST(Codecs, StreamsLoadFromThePositionAndSaveAtIt) {
  gc::Bytes png = gc::encodePng(sample(4, 4));
  rtl::TMemoryStream stream;
  const std::uint8_t prefix[3] = {9, 9, 9};
  stream.WriteBuffer(prefix, 3);
  stream.WriteBuffer(png.data(), static_cast<rtl::Int64>(png.size()));
  stream.SetPosition(3);
  GpImage* image = nullptr;
  ASSERT_EQ(GdipLoadImageFromStream(&stream, &image), Ok) << lastErrorMessage();
  TestImagePtr owned(image);
  rtl::TMemoryStream out;
  CLSID bmpEncoder{};
  encoderClsid(u"image/bmp", &bmpEncoder);
  ASSERT_EQ(GdipSaveImageToStream(image, &out, &bmpEncoder, nullptr), Ok);
  EXPECT_EQ(static_cast<const char*>(out.Memory())[0], 'B');
  out.SetPosition(0);
  GpBitmap* again = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromStream(&out, &again), Ok);
  TestImagePtr againOwned(again);
  EXPECT_EQ(pixel(againOwned, 3, 3), sample(4, 4).at(3, 3));
}

// ---- frames and properties ---------------------------------------------------------------

TEST(Frames, GifFramesDelaysAndLoopCountAreProperties) {
  std::vector<gc::Raster> frames;
  for (std::uint32_t i = 0; i < 3; ++i) frames.emplace_back(2, 2, 0xFF000000u | (0x40 * (i + 1)));
  const gc::Bytes gif = gc::encodeGif({{&frames[0], 10}, {&frames[1], 20}, {&frames[2], 0}}, 2);
  TestImagePtr img = load(gif);
  UINT dims = 0;
  ASSERT_EQ(GdipImageGetFrameDimensionsCount(img.get(), &dims), Ok);
  ASSERT_EQ(dims, 1u);
  GUID dim{};
  ASSERT_EQ(GdipImageGetFrameDimensionsList(img.get(), &dim, 1), Ok);
  EXPECT_EQ(dim, FrameDimensionTime);
  UINT count = 0;
  ASSERT_EQ(GdipImageGetFrameCount(img.get(), &dim, &count), Ok);
  EXPECT_EQ(count, 3u);
  ASSERT_EQ(GdipImageSelectActiveFrame(img.get(), &dim, 1), Ok);
  EXPECT_EQ(pixel(img, 0, 0), 0xFF000080u);
  EXPECT_EQ(GdipImageSelectActiveFrame(img.get(), &dim, 3), InvalidParameter);
  EXPECT_EQ(GdipImageSelectActiveFrame(img.get(), &FrameDimensionPage, 0), InvalidParameter);

  UINT size = 0;
  ASSERT_EQ(GdipGetPropertyItemSize(img.get(), PropertyTagFrameDelay, &size), Ok);
  ASSERT_EQ(size, sizeof(PropertyItem) + 12);
  std::vector<std::uint8_t> buffer(size);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  ASSERT_EQ(GdipGetPropertyItem(img.get(), PropertyTagFrameDelay, size, item), Ok);
  EXPECT_EQ(item->type, PropertyTagTypeLong);
  const auto* delays = static_cast<const std::uint32_t*>(item->value);
  EXPECT_EQ(delays[0], 10u);
  EXPECT_EQ(delays[1], 20u);
  EXPECT_EQ(delays[2], 0u);

  ASSERT_EQ(GdipGetPropertyItemSize(img.get(), PropertyTagLoopCount, &size), Ok);
  buffer.assign(size, 0);
  item = reinterpret_cast<PropertyItem*>(buffer.data());
  ASSERT_EQ(GdipGetPropertyItem(img.get(), PropertyTagLoopCount, size, item), Ok);
  EXPECT_EQ(item->type, PropertyTagTypeShort);
  EXPECT_EQ(*static_cast<const std::uint16_t*>(item->value), 2);
  EXPECT_EQ(GdipGetPropertyItem(img.get(), PropertyTagLoopCount, size - 1, item), InvalidParameter);
}

TEST(Frames, StillImagesHaveOnePageAndNoProperties) {
  TestImagePtr img = load(gc::encodePng(sample(2, 2)));
  GUID dim{};
  ASSERT_EQ(GdipImageGetFrameDimensionsList(img.get(), &dim, 1), Ok);
  EXPECT_EQ(dim, FrameDimensionPage);
  UINT count = 0, size = 0;
  GdipImageGetFrameCount(img.get(), &dim, &count);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(GdipGetPropertyItemSize(img.get(), PropertyTagFrameDelay, &size), PropertyNotFound);
  const gc::Raster a = sample(3, 2), b = sample(3, 2);
  TestImagePtr tiff = load(gc::encodeTiff({&a, &b}));
  GdipImageGetFrameCount(tiff.get(), &FrameDimensionPage, &count);
  EXPECT_EQ(count, 2u);
}

TEST(Startup, AcceptsKnownVersionsAndHandsOutTheHooks) {
  ULONG_PTR token = 0;
  GdiplusStartupInput input;
  input.GdiplusVersion = 3;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
  input.GdiplusVersion = 1;
  input.SuppressBackgroundThread = 1;
  GdiplusStartupOutput output;
  ASSERT_EQ(GdiplusStartup(&token, &input, &output), Ok);
  ASSERT_TRUE(output.NotificationHook);
  ULONG_PTR hookToken = 0;
  EXPECT_EQ(output.NotificationHook(&hookToken), Ok);
  output.NotificationUnhook(hookToken);
  EXPECT_TRUE(gdiplusStarted());
  GdiplusShutdown(token);
  void* p = GdipAlloc(16);
  EXPECT_NE(p, nullptr);
  GdipFree(p);
}

}  // namespace

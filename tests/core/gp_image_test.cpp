// The library's image graphic: deferred decoding, byte-exact saving in the
// loaded format, bitmap and glyph streams, failing decodes, pending resize,
// recolouring, comparison, clipboard formats, frame animation, and the
// registration that an unavailable interface leaves out.
#include <gtest/gtest.h>

#include <cstring>

#include "lib/core/cxClasses.h"
#include "lib/core/dxSmartImage.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/gdiplus/codecs/codecs.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/graphic.h"
#include "platform/win/clipboard.h"
#include "platform/win/headless.h"

using namespace core;
namespace codecs = gdiplus::codecs;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Format = TdxImageDataFormat;

template <class T = TdxGPImage>
ui::OwnedObject<T> make() {
  return ui::OwnedObject<T>(rtl::Create<T>());
}

void load(TdxGPImage* image, const Bytes& bytes) {
  rtl::TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
  stream.SetPosition(0);
  image->LoadFromStream(&stream);
}

Bytes save(TdxGPImage* image) {
  rtl::TMemoryStream stream;
  image->SaveToStream(&stream);
  const auto* p = static_cast<const std::uint8_t*>(stream.Memory());
  return Bytes(p, p + stream.Size());
}

// A w x h picture: straight ARGB, a distinct colour per pixel.
codecs::Raster picture(int w, int h, std::uint32_t alpha = 0xFF) {
  codecs::Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.at(x, y) = (alpha << 24) | std::uint32_t(x * 20) << 16 | std::uint32_t(y * 20) << 8 | 0x40;
  return r;
}

Bytes eightFrameGif(int loopCount, std::uint32_t delay = 5) {
  static std::vector<codecs::Raster> frames;
  frames.clear();
  for (int i = 0; i < 8; ++i) frames.emplace_back(4, 4, 0xFF000000u | std::uint32_t(i * 30) << 16);
  std::vector<codecs::GifFrame> list;
  for (const auto& f : frames) list.push_back({&f, delay});
  return codecs::encodeGif(list, loopCount);
}

TEST(GpImage, LoadedFileIsDecodedOnlyWhenNeededAndSavedBackUnchanged) {
  struct Case {
    const char* name;
    Bytes bytes;
    Format format;
  };
  const Case cases[] = {
      {"png", codecs::encodePng(picture(7, 5, 0x80)), Format::dxImagePng},
      {"jpeg", codecs::encodeJpeg(picture(16, 8), 80), Format::dxImageJpeg},
      {"gif", codecs::encodeGif(picture(6, 6)), Format::dxImageGif},
      {"tiff", codecs::encodeTiff(picture(3, 9)), Format::dxImageTiff},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto image = make();
    load(image.get(), c.bytes);
    EXPECT_FALSE(image->HandleAllocated());
    EXPECT_EQ(image->ImageDataFormat(), c.format);
    EXPECT_TRUE(image->HandleAllocated());
    EXPECT_EQ(save(image.get()), c.bytes);
    // And again after saving, which returns the image to its data.
    EXPECT_EQ(save(image.get()), c.bytes);
  }
}

TEST(GpImage, PngImageAlwaysSavesPng) {
  auto image = make<TdxPNGImage>();
  load(image.get(), codecs::encodeJpeg(picture(8, 8), 90));
  const Bytes saved = save(image.get());
  ASSERT_GE(saved.size(), 8u);
  EXPECT_EQ(codecs::detectFormat(saved), codecs::FileFormat::Png);
  EXPECT_EQ(codecs::decode(saved).frames[0].width, 8);
}

TEST(GpImage, BitmapStreamBecomesPixelsAndSavesAsBitmap) {
  const codecs::Raster source = picture(5, 3);
  auto image = make();
  load(image.get(), codecs::encodeBmp(source));
  EXPECT_EQ(image->ImageDataFormat(), Format::dxImageMemoryBmp);
  EXPECT_EQ(image->Width(), 5);
  const Bytes saved = save(image.get());
  ASSERT_EQ(codecs::detectFormat(saved), codecs::FileFormat::Bmp);
  EXPECT_EQ(codecs::decode(saved).frames[0], source);
}

TEST(GpImage, FailingDecodeRaisesAndLeavesTheImageUsable) {
  Bytes png = codecs::encodePng(picture(4, 4));
  const Bytes cases[] = {
      Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 9},  // a bitmap header with nothing behind it
      Bytes(png.begin(), png.begin() + 20),                      // truncated PNG
      Bytes{'G', 'I', 'F', '8', '9', 'a', 1},                    // truncated GIF
      Bytes{0x13, 0x37, 0x00, 0x42, 0x99},                       // nothing we know
  };
  for (const Bytes& bytes : cases) {
    auto image = make();
    load(image.get(), bytes);
    EXPECT_THROW(image->Width(), EdxGdipException);
    EXPECT_THROW(image->StretchDraw(nullptr, ui::Rect(0, 0, 1, 1)), EdxGdipException);
    load(image.get(), png);
    EXPECT_EQ(image->Width(), 4);
  }
}

TEST(GpImage, GlyphStreamDetectionReadsOnlyTheBytesGivenAndRestoresThePosition) {
  const Bytes bmp = codecs::encodeBmp(picture(2, 2));
  auto prefixed = [&bmp](std::uint32_t length) {
    Bytes b(4);
    std::memcpy(b.data(), &length, 4);
    b.insert(b.end(), bmp.begin(), bmp.end());
    return b;
  };
  auto cut = [](Bytes b, std::size_t n) {
    b.resize(n);
    return b;
  };
  struct Case {
    const char* name;
    Bytes bytes;
    bool glyph;
    bool plain;
    rtl::Int64 positionAfter;  // relative to the start, on the glyph test
  };
  const Case cases[] = {
      {"plain bitmap", bmp, true, true, 0},
      {"length prefix matches", prefixed(std::uint32_t(bmp.size())), true, false, 4},
      {"length prefix differs", prefixed(std::uint32_t(bmp.size() + 1)), false, false, 0},
      {"header cut short", Bytes(bmp.begin(), bmp.begin() + 13), false, false, 0},
      {"prefix and a cut header", cut(prefixed(std::uint32_t(bmp.size())), 17), false, false, 0},
      {"empty", Bytes{}, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rtl::TMemoryStream stream;
    stream.WriteBuffer("xy", 2);  // detection starts where the stream stands
    if (!c.bytes.empty()) stream.WriteBuffer(c.bytes.data(), rtl::Int64(c.bytes.size()));
    stream.SetPosition(2);
    EXPECT_EQ(TdxGPImageDataHelper::IsBitmapStream(&stream), c.plain);
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(TdxSmartGlyphDataHelper::IsBitmapStream(&stream), c.glyph);
    EXPECT_EQ(stream.Position(), 2 + c.positionAfter);
  }
}

TEST(GpImage, GlyphFromALengthPrefixedBitmapIsTransparentWhereTheBottomLeftColourIs) {
  codecs::Raster r(3, 2, 0xFFFF00FF);  // magenta
  r.at(1, 0) = 0xFF00FF00;
  const Bytes bmp = codecs::encodeBmp(r, {24});
  Bytes stream(4);
  const std::uint32_t length = std::uint32_t(bmp.size());
  std::memcpy(stream.data(), &length, 4);
  stream.insert(stream.end(), bmp.begin(), bmp.end());

  auto glyph = make<TdxSmartGlyph>();
  load(glyph.get(), stream);
  const auto bits = glyph->GetBitmapBits();
  ASSERT_EQ(bits.size(), 6u);
  EXPECT_EQ(bits[1], 0xFF00FF00u);
  EXPECT_EQ(bits[0], 0u);
  EXPECT_EQ(bits[5], 0u);
  EXPECT_TRUE(glyph->Transparent());

  // A plain image of the same bitmap keeps every pixel.
  auto image = make();
  load(image.get(), bmp);
  EXPECT_FALSE(image->Transparent());
}

TEST(GpImage, ResizeBeforeTheFirstDrawIsAppliedWhenTheImageIsRealised) {
  auto image = make();
  load(image.get(), codecs::encodePng(picture(10, 10)));
  image->Resize(20, 5);
  EXPECT_FALSE(image->HandleAllocated());
  EXPECT_EQ(image->Size(), (gdi::SIZE{20, 5}));
  image->Resize(4, 4);  // realised: at once
  EXPECT_EQ(image->Size(), (gdi::SIZE{4, 4}));
}

TEST(GpImage, ChangeColorKeepsAlphaAndPremultipliesTheNewColour) {
  struct Case {
    std::uint32_t pixel;  // premultiplied
    ui::TColor color;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0x80402010, ui::TColor(0x0000FF), 0x80800000},  // half-transparent to red
      {0xFF123456, ui::TColor(0xFF0000), 0xFF0000FF},
      {0x00000000, ui::TColor(0x00FF00), 0x00000000},
  };
  for (const Case& c : cases) {
    auto image = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBits(1, 1, {c.pixel}, true));
    image->ChangeColor(c.color);
    EXPECT_EQ(image->GetBitmapBits(), std::vector<std::uint32_t>{c.expected});
  }
  auto image = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBits(1, 1, {0x80402010}, true));
  image->ChangeColor(ui::clNone);
  image->ChangeColor(ui::clDefault);
  EXPECT_EQ(image->GetBitmapBits(), std::vector<std::uint32_t>{0x80402010});
}

TEST(GpImage, CompareAndHashFollowThePixels) {
  auto bits = [](std::uint32_t last) { return std::vector<std::uint32_t>{0xFF000000, 0xFF102030, 0xFF405060, last}; };
  auto a = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBits(2, 2, bits(0xFFFFFFFF), true));
  auto same = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBits(2, 2, bits(0xFFFFFFFF), true));
  auto onePixel = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBits(2, 2, bits(0xFFFFFFFE), true));
  auto otherSize = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBits(4, 1, bits(0xFFFFFFFF), true));
  auto empty = make();
  EXPECT_TRUE(a->Compare(same.get()));
  EXPECT_TRUE(a->Equals(same.get()));
  EXPECT_FALSE(a->Compare(onePixel.get()));
  EXPECT_FALSE(a->Compare(otherSize.get()));
  EXPECT_FALSE(a->Compare(empty.get()));
  EXPECT_EQ(a->GetHashCode(), same->GetHashCode());
  EXPECT_NE(a->GetHashCode(), onePixel->GetHashCode());
  EXPECT_EQ(empty->GetHashCode(), 0u);
  // The standard CRC-32 of the sixteen pixel bytes.
  auto single = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBits(1, 1, {0x34333231}, true));
  EXPECT_EQ(single->GetHashCode(), 0x9BE3E0A3u);  // CRC-32 of "1234"
}

TEST(GpImage, AssignCopiesPendingDataAndGoesToAndFromBitmaps) {
  auto source = make<TdxSmartImage>();
  const Bytes png = codecs::encodePng(picture(3, 2, 0xC0));
  load(source.get(), png);
  auto copy = ui::OwnedObject<TdxGPImage>(source->Clone());
  EXPECT_STREQ(rtl::StringToUtf8(copy->ClassType()->ClassName()).c_str(), "TdxSmartImage");
  EXPECT_EQ(save(copy.get()), png);

  auto bitmap = make<ui::TBitmap>();
  bitmap->Assign(source.get());
  EXPECT_EQ(bitmap->Width(), 3);
  auto back = make();
  back->Assign(bitmap.get());
  EXPECT_TRUE(back->Compare(source.get()));
  back->Assign(nullptr);
  EXPECT_TRUE(back->Empty());
}

TEST(GpImage, SmartImageDataPropertyIsTheEncodedImageWithoutPrefix) {
  const Bytes gif = codecs::encodeGif(picture(5, 5));
  auto image = make<TdxSmartImage>();
  load(image.get(), gif);
  rtl::TMemoryStream out;
  image->WriteData(&out);
  ASSERT_EQ(out.Size(), rtl::Int64(gif.size()));
  EXPECT_EQ(std::memcmp(out.Memory(), gif.data(), gif.size()), 0);
  out.SetPosition(0);
  auto read = make<TdxSmartImage>();
  read->ReadData(&out);
  EXPECT_EQ(read->ImageDataFormat(), Format::dxImageGif);
}

// --- animation -----------------------------------------------------------------------------------

// Steps frame after frame as the controller does; returns the frames shown,
// ending when a step changes nothing or after `limit` steps.
std::vector<int> play(TdxGPImage* image, int limit) {
  std::vector<int> shown{image->ActiveFrame()};
  for (int i = 0; i < limit; ++i) {
    const int before = image->ActiveFrame();
    image->SetActiveFrame(before + 1);
    if (image->ActiveFrame() == before) break;
    shown.push_back(image->ActiveFrame());
  }
  return shown;
}

TEST(GpImage, LoopSettingDecidesHowOftenTheFramesPlay) {
  struct Case {
    TdxDefaultBoolean loop;
    int loopCount;  // in the file; 0 = for ever
    std::size_t framesShown;  // 0: never stops within the limit
  };
  const Case cases[] = {
      {TdxDefaultBoolean::bDefault, 2, 24}, {TdxDefaultBoolean::bDefault, 0, 0},
      {TdxDefaultBoolean::bTrue, 2, 0},     {TdxDefaultBoolean::bFalse, 2, 8},
      {TdxDefaultBoolean::bFalse, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.loop) << " " << c.loopCount);
    auto image = make();
    load(image.get(), eightFrameGif(c.loopCount));
    image->SetAnimationLoop(c.loop);
    ASSERT_EQ(image->AnimationFrameCount(), 8);
    EXPECT_EQ(image->AnimationLoopCount(), c.loopCount);
    const std::vector<int> shown = play(image.get(), 100);
    if (c.framesShown == 0) {
      EXPECT_EQ(shown.size(), 101u);
    } else {
      ASSERT_EQ(shown.size(), c.framesShown);
      for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], int(i % 8));
      EXPECT_EQ(image->ActiveFrame(), 7);
    }
  }
}

TEST(GpImage, FrameDelayComesFromTheFileOrDefaultsTo75Milliseconds) {
  auto gif = make();
  load(gif.get(), eightFrameGif(0, 7));
  EXPECT_EQ(gif->AnimationFrameDelay(), 70);
  gif->SetAnimationFrameDelay(30);
  EXPECT_EQ(gif->AnimationFrameDelay(), 30);

  // Pages of a TIFF are frames without a delay.
  const codecs::Raster a = picture(2, 2), b = picture(2, 2, 0x80);
  auto tiff = make();
  load(tiff.get(), codecs::encodeTiff(std::vector<const codecs::Raster*>{&a, &b}));
  EXPECT_EQ(tiff->AnimationFrameCount(), 2);
  EXPECT_EQ(tiff->AnimationFrameDelay(), 75);
  EXPECT_EQ(tiff->AnimationLoopCount(), 0);

  auto still = make();
  load(still.get(), codecs::encodePng(picture(2, 2)));
  still->SetAnimation(true);  // one frame: nothing to animate
  EXPECT_FALSE(still->Animation());
  EXPECT_EQ(still->AnimationController(), nullptr);
}

TEST(GpImage, TimerPlaysTheFramesAtTheirDelayAndStopsAtTheEnd) {
  win::headless::HeadlessScope screen;
  rtl::TestClockScope time;
  auto image = make();
  load(image.get(), eightFrameGif(0, 5));
  image->SetAnimationLoop(TdxDefaultBoolean::bFalse);
  image->SetAnimation(true);
  ASSERT_TRUE(image->Animation());
  auto* controller = dynamic_cast<TdxImageAnimationController*>(image->AnimationController());
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->Timer()->Interval(), 50u);

  std::vector<int> shown{image->ActiveFrame()};
  for (int step = 0; step < 20 && image->Animation(); ++step) {
    time.Advance(50);
    screen.ProcessMessages();
    if (image->ActiveFrame() != shown.back()) shown.push_back(image->ActiveFrame());
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_FALSE(image->Animation());
  EXPECT_EQ(image->AnimationController(), nullptr);
  EXPECT_EQ(image->ActiveFrame(), 7);
}

TEST(GpImage, StoppingTheAnimationFreesTheController) {
  win::headless::HeadlessScope screen;
  rtl::TestClockScope time;
  auto image = make();
  load(image.get(), eightFrameGif(0, 5));
  image->SetAnimation(true);
  time.Advance(120);
  screen.ProcessMessages();
  image->SetAnimation(false);
  EXPECT_EQ(image->AnimationController(), nullptr);
  const int frame = image->ActiveFrame();
  time.Advance(500);
  screen.ProcessMessages();
  EXPECT_EQ(image->ActiveFrame(), frame);
}

// --- clipboard -----------------------------------------------------------------------------------

win::HGLOBAL block(const Bytes& bytes) {
  win::HGLOBAL h = win::GlobalAlloc(win::GMEM_MOVEABLE, bytes.size());
  std::memcpy(win::GlobalLock(h), bytes.data(), bytes.size());
  win::GlobalUnlock(h);
  return h;
}

TEST(GpImage, PasteTakesPngBeforeTheBitmapAndTheBitmapAlone) {
  win::headless::HeadlessScope screen;
  const codecs::Raster png = picture(4, 3, 0x80);
  gdi::ImageBGRA other(2, 2, 0xFF0000FF);

  ASSERT_TRUE(win::OpenClipboard(nullptr));
  win::EmptyClipboard();
  win::SetClipboardData(win::CF_BITMAP, gdi::CreateBitmapFromImage(other));
  win::SetClipboardData(dxImageClipboardFormat(Format::dxImagePng), block(codecs::encodePng(png)));
  win::CloseClipboard();
  auto image = make();
  image->PasteFromClipboard();
  EXPECT_EQ(image->ImageDataFormat(), Format::dxImagePng);
  EXPECT_EQ(image->Size(), (gdi::SIZE{4, 3}));

  ASSERT_TRUE(win::OpenClipboard(nullptr));
  win::EmptyClipboard();
  win::SetClipboardData(win::CF_BITMAP, gdi::CreateBitmapFromImage(other));
  win::CloseClipboard();
  image->PasteFromClipboard();
  EXPECT_EQ(image->Size(), (gdi::SIZE{2, 2}));
  EXPECT_EQ(image->GetBitmapBits(), std::vector<std::uint32_t>(4, 0xFF0000FF));
}

// A bitmap on the clipboard travels as a DIB; one that is cut short or of a
// kind we do not read gives no bitmap, and pasting it leaves the image empty.
TEST(GpImage, ClipboardBitmapFromABadDibIsRefused) {
  win::headless::HeadlessScope screen;
  auto header = [](std::int32_t w, std::int32_t h, std::uint16_t bits, std::uint32_t compression) {
    Bytes b(40, 0);
    const std::uint32_t size = 40;
    std::memcpy(&b[0], &size, 4);
    std::memcpy(&b[4], &w, 4);
    std::memcpy(&b[8], &h, 4);
    b[12] = 1;
    std::memcpy(&b[14], &bits, 2);
    std::memcpy(&b[16], &compression, 4);
    return b;
  };
  auto withRows = [](Bytes b, std::size_t rowBytes) {
    b.resize(b.size() + rowBytes, 0x7F);
    return b;
  };
  struct Case {
    const char* name;
    Bytes dib;
    bool readable;
  };
  const Case cases[] = {
      {"2x2 32-bit", withRows(header(2, 2, 32, 0), 16), true},
      {"2x2 24-bit top-down", withRows(header(2, -2, 24, 0), 16), true},
      {"rows cut short", withRows(header(2, 2, 32, 0), 15), false},
      {"header cut short", Bytes(20, 0x28), false},
      {"8-bit palette", withRows(header(2, 2, 8, 0), 8 + 1024), false},
      {"run-length", withRows(header(2, 2, 32, 1), 16), false},
      {"zero width", withRows(header(0, 2, 32, 0), 16), false},
      {"huge", withRows(header(0x10000, 0x10000, 32, 0), 16), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(win::OpenClipboard(nullptr));
    win::EmptyClipboard();
    if (!c.dib.empty()) win::SetClipboardData(win::CF_DIB, block(c.dib));
    const bool present = win::GetClipboardData(win::CF_BITMAP) != nullptr;
    win::CloseClipboard();
    EXPECT_EQ(present, c.readable);
    auto image = make();
    image->PasteFromClipboard();
    EXPECT_EQ(image->Empty(), !c.readable);
  }
}

TEST(GpImage, CopyOffersTheBitmapOnWhiteAndTheNativeFormat) {
  win::headless::HeadlessScope screen;
  const Bytes png = codecs::encodePng(codecs::Raster(2, 1, 0x00000000));  // fully transparent
  auto image = make();
  load(image.get(), png);
  ASSERT_TRUE(win::OpenClipboard(nullptr));
  win::EmptyClipboard();
  win::UINT format = 0;
  win::HANDLE data = nullptr;
  image->SaveToClipboardFormat(format, data);
  EXPECT_EQ(format, dxImageClipboardFormat(Format::dxImagePng));
  auto h = static_cast<win::HGLOBAL>(data);
  ASSERT_EQ(win::GlobalSize(h), png.size());
  EXPECT_EQ(std::memcmp(win::GlobalLock(h), png.data(), png.size()), 0);
  win::GlobalUnlock(h);
  win::SetClipboardData(format, data);
  ASSERT_TRUE(win::IsClipboardFormatAvailable(win::CF_BITMAP));
  auto fromBitmap = make();
  fromBitmap->LoadFromClipboardFormat(win::CF_BITMAP, win::GetClipboardData(win::CF_BITMAP));
  win::CloseClipboard();
  // The transparent picture was drawn on white.
  EXPECT_EQ(fromBitmap->GetBitmapBits(), std::vector<std::uint32_t>(2, 0xFFFFFFFF));
}

// --- registration ----------------------------------------------------------------------------------

TEST(GpImage, UnavailableInterfaceRegistersNoFormats) {
  EXPECT_NE(dxImageClipboardFormat(Format::dxImagePng), 0u);
  EXPECT_EQ(dxImageClipboardFormat(Format::dxImageBitmap), win::CF_BITMAP);
  EXPECT_EQ(ui::TPicture::GraphicClassOfExtension(u"png").get(), &TdxPNGImage::classInfo());
  EXPECT_EQ(ui::TPicture::GraphicClassOfExtension(u"tif").get(), &TdxSmartImage::classInfo());

  dxGDIPlusClassesUnitStop();
  dxSetGdiPlusUnavailable(true);
  dxGDIPlusClassesUnitStart();
  for (Format f : {Format::dxImageBitmap, Format::dxImagePng, Format::dxImageJpeg, Format::dxImageGif})
    EXPECT_EQ(dxImageClipboardFormat(f), 0u);
  EXPECT_FALSE(TdxGPImage::IsSupportClipboardFormat(win::CF_BITMAP));
  EXPECT_NE(ui::TPicture::GraphicClassOfExtension(u"png").get(), &TdxPNGImage::classInfo());

  dxGDIPlusClassesUnitStop();
  dxSetGdiPlusUnavailable(false);
  dxGDIPlusClassesUnitStart();
  EXPECT_EQ(ui::TPicture::GraphicClassOfExtension(u"png").get(), &TdxPNGImage::classInfo());
}

TEST(GpImage, EncoderOfAFormatWithoutOneIsZeroAndOfNoFormatFails) {
  EXPECT_TRUE(IsCodecIDValid(dxGetImageEncoder(Format::dxImageMemoryBmp)));
  EXPECT_EQ(dxGetImageEncoder(Format::dxImageBitmap), BMPEncoder);
  EXPECT_FALSE(IsCodecIDValid(dxGetImageEncoder(Format::dxImageIcon)));
  EXPECT_FALSE(IsCodecIDValid(dxGetImageEncoder(Format::dxImageEmf)));
  EXPECT_THROW(dxGetImageEncoder(Format::dxImageUnknown), EdxException);
  EXPECT_THROW(dxGetImageEncoder(Format::dxImageExif), EdxException);

  auto image = make();
  load(image.get(), codecs::encodePng(picture(2, 2)));
  rtl::TMemoryStream stream;
  try {
    image->SaveToStreamByCodec(&stream, Format::dxImageIcon);
    FAIL() << "no exception";
  } catch (const EdxException& e) {
    EXPECT_EQ(e.Message(), u"InternalSaveToStream fails");
  }
}

}  // namespace

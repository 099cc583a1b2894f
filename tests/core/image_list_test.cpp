// The library's image list: strips and tiles, the collection kept in step
// with the platform list, change notifications, the stored form and drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxImageList.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/streams.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "tests/support/golden.h"

namespace core {
namespace {

using ui::TBitmap;
using ui::TPixelFormat;

constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kYellow = 0xFFFFFF00u;
constexpr std::uint32_t kMagenta = 0xFFFF00FFu, kWhite = 0xFFFFFFFFu;
const std::uint32_t kTileColors[] = {kRed, kGreen, kBlue, kYellow};

// A bitmap whose list-sized tiles are filled with the tile colours, row by row.
std::unique_ptr<TBitmap> Strip(int width, int height, int tile = 16, bool alpha = false) {
  gdi::ImageBGRA img(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int index = (y / tile) * (width / tile) + x / tile;
      img.at(x, y) = kTileColors[index % 4];
    }
  auto b = std::make_unique<TBitmap>();
  b->AssignImage(img, alpha);
  if (!alpha) b->SetPixelFormat(TPixelFormat::pf24bit);
  return b;
}

// The colour of an image's centre as the list keeps it.
std::uint32_t CentreOf(TcxImageList& list, int index) {
  const gdi::ImageBGRA& p = list.ImagePixels(index);
  return p.at(p.width / 2, p.height / 2);
}

std::uint32_t ItemCentre(TcxImageList& list, int index) {
  const gdi::ImageBGRA p = list.ImageInfo()->Items(index)->Image()->ToImage();
  return p.at(p.width / 2, p.height / 2) | 0xFF000000u;
}

struct Notified {
  int count = 0;
  void Tick(rtl::TObject*) { ++count; }
};

TEST(ImageList, StripsAndOddSizesBecomeImagesAndItems) {
  struct Case {
    int width, height;
    int images, items;
    int itemWidth;
  } cases[] = {
      {64, 16, 4, 4, 16},  // a strip: four images and four items
      {20, 16, 1, 1, 20},  // not a whole number of tiles: one item keeps the whole bitmap
      {16, 16, 1, 1, 16},
      {8, 8, 0, 0, 0},     // smaller than one image: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    TcxImageList list(16, 16);
    auto strip = Strip(c.width, c.height);
    const int first = list.Add(strip.get(), nullptr);
    EXPECT_EQ(first, c.images ? 0 : -1);
    EXPECT_EQ(list.Count(), c.images);
    ASSERT_EQ(list.ImageInfo()->Count(), c.items);
    if (c.items) { EXPECT_EQ(list.ImageInfo()->Items(0)->Image()->Width(), c.itemWidth); }
    for (int i = 0; i < c.images; ++i) EXPECT_EQ(CentreOf(list, i), kTileColors[i]) << i;
  }
}

TEST(ImageList, ATallGridIsReadBackFromThePlatformList) {
  // A 32 x 32 bitmap is four tiles for the collection but one row (two
  // images) for the platform list: the collection follows the list.
  TcxImageList list(16, 16);
  auto grid = Strip(32, 32);
  list.Add(grid.get(), nullptr);
  EXPECT_EQ(list.Count(), 2);
  ASSERT_EQ(list.ImageInfo()->Count(), 2);
  EXPECT_EQ(ItemCentre(list, 1), kGreen);
}

TEST(ImageList, AddMaskedWithoutAColourIsAddWithoutAMask) {
  TcxImageList a(16, 16), b(16, 16);
  auto strip = Strip(32, 16);
  a.Add(strip.get(), nullptr);
  b.AddMasked(strip.get(), ui::clNone);
  EXPECT_TRUE(IsImageListsEqual(&a, &b));
  EXPECT_EQ(b.ImageInfo()->Items(1)->MaskColor(), ui::clNone);

  // A mask colour makes its pixels transparent and is kept with the item.
  gdi::ImageBGRA img(16, 16, kBlue);
  img.at(0, 15) = kMagenta;
  TBitmap bmp;
  bmp.AssignImage(img, false);
  bmp.SetPixelFormat(TPixelFormat::pf24bit);
  TcxImageList masked(16, 16);
  EXPECT_EQ(masked.AddMasked(&bmp, ui::clFuchsia), 0);
  EXPECT_EQ(masked.ImagePixels(0).at(0, 15) >> 24, 0u);
  EXPECT_EQ(masked.ImagePixels(0).at(1, 15) >> 24, 255u);
  EXPECT_EQ(masked.ImageInfo()->Items(0)->MaskColor(), ui::clFuchsia);
  EXPECT_FALSE(IsImageListsEqual(&masked, &a));
}

TEST(ImageList, InsertMoveReplaceAndDeleteKeepTheCollectionInStep) {
  TcxImageList list(16, 16);
  Notified notified;
  ui::TChangeLink link;
  link.SetOnChange(rtl::TNotifyEvent::bind<&Notified::Tick>(&notified));
  list.RegisterChanges(&link);
  auto strip = Strip(32, 16);  // red, green
  list.Add(strip.get(), nullptr);
  EXPECT_EQ(notified.count, 1);
  auto blueYellow = Strip(64, 16);  // red, green, blue, yellow
  list.Insert(1, blueYellow.get(), nullptr);
  EXPECT_EQ(notified.count, 2);  // one notification for the whole insert
  const auto order = [&] {
    std::vector<std::uint32_t> images, items;
    for (int i = 0; i < list.Count(); ++i) images.push_back(CentreOf(list, i));
    for (int i = 0; i < list.ImageInfo()->Count(); ++i) items.push_back(ItemCentre(list, i));
    EXPECT_EQ(images, items);
    return images;
  };
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{kRed, kRed, kGreen, kBlue, kYellow, kGreen}));
  list.Insert(7, strip.get(), nullptr);   // beyond the end: ignored
  list.Insert(-1, strip.get(), nullptr);
  EXPECT_EQ(list.Count(), 6);
  list.Move(0, 4);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{kRed, kGreen, kBlue, kYellow, kRed, kGreen}));
  list.Move(5, 0);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{kGreen, kRed, kGreen, kBlue, kYellow, kRed}));
  auto yellow = Strip(16, 16);
  yellow->Canvas();  // a single red tile
  list.Replace(3, yellow.get(), nullptr);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{kGreen, kRed, kGreen, kRed, kYellow, kRed}));
  list.Delete(1);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{kGreen, kGreen, kRed, kYellow, kRed}));
  const int before = notified.count;
  list.BeginUpdate();
  list.Delete(0);
  list.Delete(0);
  EXPECT_EQ(notified.count, before);
  list.EndUpdate();
  EXPECT_EQ(notified.count, before + 1);
  list.Delete(-1);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.ImageInfo()->Count(), 0);
  list.UnRegisterChanges(&link);
}

TEST(ImageList, SizeBelowOneBecomesOneAndANewSizeClears) {
  TcxImageList list(16, 16);
  auto strip = Strip(32, 16);
  list.Add(strip.get(), nullptr);
  list.SetSize(16, 16);  // unchanged: kept
  EXPECT_EQ(list.Count(), 2);
  list.SetSize(0, -5);
  EXPECT_EQ(list.Width(), 1);
  EXPECT_EQ(list.Height(), 1);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.ImageInfo()->Count(), 0);
}

TEST(ImageList, SetImageListMovesTheLinkAndFiresIt) {
  TcxImageList first(16, 16), second(16, 16);
  ui::TCustomImageList* field = nullptr;
  Notified notified;
  ui::TChangeLink link;
  link.SetOnChange(rtl::TNotifyEvent::bind<&Notified::Tick>(&notified));
  cxSetImageList(&first, field, &link, nullptr);
  EXPECT_EQ(field, &first);
  EXPECT_EQ(link.Sender(), &first);
  EXPECT_EQ(notified.count, 1);
  cxSetImageList(&first, field, &link, nullptr);  // unchanged: nothing
  EXPECT_EQ(notified.count, 1);
  cxSetImageList(&second, field, &link, nullptr);
  EXPECT_EQ(notified.count, 2);
  auto strip = Strip(16, 16);
  first.Add(strip.get(), nullptr);  // the old list no longer tells the link
  EXPECT_EQ(notified.count, 2);
  second.Add(strip.get(), nullptr);
  EXPECT_EQ(notified.count, 3);
  cxSetImageList(nullptr, field, &link, nullptr);
  EXPECT_EQ(link.Sender(), nullptr);
}

TEST(ImageList, AssignedImagesAndSizes) {
  TcxImageList list(16, 24);
  auto strip = Strip(32, 24);
  list.Add(strip.get(), nullptr);
  TBitmap glyph(5, 7), empty;
  struct Case {
    TBitmap* glyph;
    ui::TCustomImageList* images;
    int index;
    bool assigned;
    TSize size;
  } cases[] = {{&glyph, &list, 0, true, {5, 7}},     {nullptr, &list, 1, true, {16, 24}},
               {&empty, &list, 2, false, {0, 0}},   {nullptr, &list, -1, false, {0, 0}},
               {nullptr, nullptr, 0, false, {0, 0}}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsImageAssigned(c.images, c.index), c.images && c.index >= 0 && c.index < 2);
    EXPECT_EQ(dxGetImageSize(c.glyph, c.images, c.index), c.size) << c.index;
  }
  EXPECT_TRUE(IsGlyphAssigned(&glyph));
  EXPECT_FALSE(IsGlyphAssigned(&empty));
  EXPECT_FALSE(IsGlyphAssigned(nullptr));
}

// --- the stored form ------------------------------------------------------------------------

bool Mentions(rtl::TMemoryStream& stream, const std::string& name) {
  const auto* p = static_cast<const char*>(stream.Memory());
  return std::string(p, p + stream.Size()).find(name) != std::string::npos;
}

void WriteList(ui::TCustomImageList* list, rtl::TMemoryStream& stream) {
  rtl::TWriter writer(&stream);
  writer.WriteRootComponent(list);
}

void ReadList(rtl::TMemoryStream& stream, ui::TCustomImageList* list) {
  stream.SetPosition(0);
  rtl::TReader reader(&stream);
  reader.ReadRootComponent(list);
}

TEST(ImageListStream, AnEmptyListWritesItsVersionAndDesignInfoOnly) {
  TcxImageList list(16, 16);
  rtl::TMemoryStream stream;
  WriteList(&list, stream);
  EXPECT_TRUE(Mentions(stream, "FormatVersion"));
  EXPECT_TRUE(Mentions(stream, "DesignInfo"));
  EXPECT_FALSE(Mentions(stream, "ImageInfo"));
  EXPECT_EQ(list.FormatVersion(), 1);
}

TEST(ImageListStream, ImagesMasksAndMaskColoursSurviveARoundTrip) {
  TcxImageList list(16, 16);
  list.SetDesignInfo(0x00200010);
  auto strip = Strip(32, 16, 16, true);
  list.Add(strip.get(), nullptr);
  gdi::ImageBGRA img(16, 16, kBlue);
  img.at(3, 3) = kMagenta;
  TBitmap keyed;
  keyed.AssignImage(img, false);
  keyed.SetPixelFormat(TPixelFormat::pf24bit);
  list.AddMasked(&keyed, ui::clFuchsia);
  for (bool compress : {false, true}) {
    SCOPED_TRACE(compress);
    list.SetCompressData(compress);
    rtl::TMemoryStream stream;
    WriteList(&list, stream);
    EXPECT_TRUE(Mentions(stream, "ImageInfo"));
    TcxImageList copy(16, 16);
    ReadList(stream, &copy);
    EXPECT_EQ(copy.DesignInfo(), 0x00200010);
    EXPECT_EQ(copy.Count(), 3);
    ASSERT_EQ(copy.ImageInfo()->Count(), 3);
    EXPECT_EQ(copy.ImageInfo()->Items(2)->MaskColor(), ui::clFuchsia);
    EXPECT_TRUE(IsImageListsEqual(&list, &copy));
  }
}

TEST(ImageListStream, AStreamWithoutAVersionIsReadThroughThePlatformData) {
  ui::TDragImageList platform(16, 16);
  auto strip = Strip(48, 16);
  platform.Add(strip.get(), nullptr);
  rtl::TMemoryStream stream;
  WriteList(&platform, stream);
  EXPECT_FALSE(Mentions(stream, "FormatVersion"));
  TcxImageList list(16, 16);
  ReadList(stream, &list);
  EXPECT_EQ(list.Count(), 3);
  ASSERT_EQ(list.ImageInfo()->Count(), 3);  // rebuilt from the platform list
  EXPECT_EQ(ItemCentre(list, 2), kBlue);
}

TEST(ImageListStream, BrokenPlatformDataIsRefused) {
  ui::TDragImageList list(16, 16);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"short", {'I', 'L', 1}},
      {"signature", {'X', 'L', 1, 0, 0, 0, 16, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0}},
      {"zero width", {'I', 'L', 1, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 1, 0, 0, 0}},
      {"huge", {'I', 'L', 1, 0, 0, 0, 0, 0x40, 0, 0, 0, 0x40, 0, 0, 1, 0, 0, 0}},
      {"truncated", {'I', 'L', 1, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    rtl::TMemoryStream stream;
    stream.WriteBuffer(c.bytes.data(), std::int64_t(c.bytes.size()));
    stream.SetPosition(0);
    EXPECT_THROW(list.ReadData(&stream), rtl::EReadError) << c.name;
    EXPECT_EQ(list.Count(), 0) << c.name;
  }
}

// --- drawing --------------------------------------------------------------------------------

// A glyph: a blue square with a half-transparent red centre on a clear field.
std::unique_ptr<TBitmap> Glyph() {
  gdi::ImageBGRA img(16, 16, 0);
  for (int y = 2; y < 14; ++y)
    for (int x = 2; x < 14; ++x) img.at(x, y) = kBlue;
  for (int y = 6; y < 10; ++y)
    for (int x = 6; x < 10; ++x) img.at(x, y) = 0x80FF0000u;
  auto b = std::make_unique<TBitmap>();
  b->AssignImage(img, true);
  return b;
}

TEST(ImageListDraw, ModesAndStretching) {
  TcxImageList list(16, 16);
  auto glyph = Glyph();
  list.Add(glyph.get(), nullptr);
  TBitmap target;
  target.AssignImage(gdi::ImageBGRA(120, 40, kWhite), false);
  list.Draw(target.Canvas(), TRect{0, 0, 16, 16}, 0);                         // exact size
  list.Draw(target.Canvas(), TRect{20, 0, 52, 32}, 0, false);                 // centred, not stretched
  list.Draw(target.Canvas(), TRect{56, 0, 88, 32}, 0, true);                  // stretched
  list.Draw(target.Canvas(), TRect{92, 0, 108, 16}, 0, true, false, false);   // disabled
  const gdi::ImageBGRA out = target.ToImage();
  EXPECT_EQ(out.at(0, 0) | 0xFF000000u, kWhite);     // transparent corner
  EXPECT_EQ(out.at(3, 3) | 0xFF000000u, kBlue);
  EXPECT_EQ(out.at(7, 7) | 0xFF000000u, 0xFFFF7F7Fu | 0xFF000000u) << std::hex << out.at(7, 7);
  EXPECT_EQ(out.at(20 + 8 + 3, 8 + 3) | 0xFF000000u, kBlue);  // centred: starts at (28, 8)
  EXPECT_EQ(out.at(20 + 8 + 1, 8 + 1) | 0xFF000000u, kWhite);
  EXPECT_EQ(out.at(56 + 5, 5) | 0xFF000000u, kBlue);          // stretched: doubled
  EXPECT_EQ(out.at(56 + 3, 3) | 0xFF000000u, kWhite);
  const std::uint32_t disabled = out.at(92 + 3, 3);
  EXPECT_EQ((disabled >> 16) & 0xFF, (disabled >> 8) & 0xFF);  // grey
  EXPECT_GOLDEN(out, "core", "image_list_draw");
}

TEST(ImageListDraw, ADrawIntoTheListSizeNeverStretches) {
  TcxImageList list(16, 16);
  auto glyph = Glyph();
  list.Add(glyph.get(), nullptr);
  TBitmap a, b;
  a.AssignImage(gdi::ImageBGRA(16, 16, kWhite), false);
  b.AssignImage(gdi::ImageBGRA(16, 16, kWhite), false);
  list.Draw(a.Canvas(), TRect{0, 0, 16, 16}, 0, true, true);
  list.Draw(b.Canvas(), TRect{0, 0, 16, 16}, 0, false, false);
  EXPECT_EQ(a.ToImage(), b.ToImage());
}

TEST(ImageListDraw, TransformedImagesAreOpaqueOverTheBackground) {
  TcxImageList source(16, 16), dest(16, 16);
  auto glyph = Glyph();
  source.Add(glyph.get(), nullptr);
  cxTransformImages(&source, &dest, ui::clFuchsia, true);
  ASSERT_EQ(dest.Count(), 1);
  // The field around the square took the background colour, which is the
  // mask colour: it stays transparent; the square is opaque.
  EXPECT_EQ(dest.ImagePixels(0).at(0, 0) >> 24, 0u);
  EXPECT_EQ(dest.ImagePixels(0).at(3, 3), kBlue);
  EXPECT_EQ(dest.ImageInfo()->Items(0)->MaskColor(), ui::clFuchsia);
  cxTransformImages(&source, ui::clWhite, false);  // in place, disabled
  EXPECT_EQ(source.Count(), 1);
  EXPECT_EQ(source.ImagePixels(0).at(0, 0) >> 24, 0u);
  const std::uint32_t square = source.ImagePixels(0).at(3, 3);
  EXPECT_EQ(square >> 24, 255u);
  EXPECT_EQ((square >> 16) & 0xFF, square & 0xFF);  // grey over white
  EXPECT_NE(square, kWhite);
}

// --- loading from bitmap resources -------------------------------------------

// A colour whose red and blue differ, so a swapped byte order shows.
constexpr ui::TColor kMarker = 0x3080F0;
constexpr std::uint32_t kMarkerPixel = 0xFFF08030u;

// A 48 x 16 strip of red, green and blue images with two marker pixels: the
// strip's bottom-left one (the default mask colour) and one in the green
// image. Registered once, as a BMP file, with a resource of bad bytes.
void RegisterBitmapResources() {
  static bool done = false;
  if (done) return;
  done = true;
  std::unique_ptr<TBitmap> strip = Strip(48, 16);
  strip->Canvas()->SetPixels(0, 15, kMarker);
  strip->Canvas()->SetPixels(17, 1, kMarker);
  rtl::TMemoryStream stream;
  strip->SaveToStream(&stream);
  static std::vector<rtl::Byte> bmp;
  const auto* begin = static_cast<const rtl::Byte*>(stream.Memory());
  bmp.assign(begin, begin + stream.Size());
  bmp.push_back(0);
  static const rtl::Byte garbage[] = {'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 0};
  static const rtl::TResourceEntry entries[] = {
      {"BITMAP", "CX_TEST_STRIP", bmp.data(), bmp.size() - 1},
      {"BITMAP", "CX_TEST_GARBAGE", garbage, sizeof(garbage) - 1},
      // The right name under another type is not a bitmap resource.
      {"RCDATA", "CX_TEST_RCDATA_ONLY", bmp.data(), bmp.size() - 1},
  };
  rtl::RegisterResources(entries, 3);
}

// Transparent pixels of each image of a list, as its masks say.
std::vector<int> MaskedCounts(TcxImageList& list, int first) {
  std::vector<int> counts;
  for (int i = first; i < list.Count(); ++i) {
    TBitmap image, mask;
    list.GetImageInfo(i, &image, &mask);
    const gdi::ImageBGRA m = mask.ToImage();
    int n = 0;
    for (std::uint32_t p : m.pixels) n += (p & 0xFFFFFF) == 0xFFFFFF ? 1 : 0;
    counts.push_back(n);
  }
  return counts;
}

TEST(ImageListLoad, BitmapResourcesLoadAsStripsWithTheirMasks) {
  RegisterBitmapResources();
  struct Case {
    const char16_t* name;
    ui::TColor maskColor;
    bool loaded;
    std::vector<int> maskedPerImage;  // of the loaded images
  } cases[] = {
      // The default mask colour is the bottom-left pixel's: both marker ones.
      {u"CX_TEST_STRIP", ui::clDefault, true, {1, 1, 0}},
      {u"cx_test_strip", kMarker, true, {1, 1, 0}},
      {u"CX_TEST_STRIP", ui::clNone, true, {0, 0, 0}},
      {u"CX_TEST_STRIP", ui::clBlue, true, {0, 0, 256}},
      {u"CX_TEST_MISSING", ui::clDefault, false, {}},
      {u"CX_TEST_RCDATA_ONLY", ui::clDefault, false, {}},
      {u"CX_TEST_GARBAGE", ui::clDefault, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name))
                                    << " mask " << std::hex << c.maskColor);
    TcxImageList list(16, 16);
    std::unique_ptr<TBitmap> first = Strip(16, 16);  // one red image already there
    ASSERT_EQ(list.Add(first.get(), nullptr), 0);
    Notified notified;
    list.SetOnChange(rtl::TNotifyEvent::bind<&Notified::Tick>(&notified));
    EXPECT_EQ(list.LoadImage(0, c.name, c.maskColor), c.loaded);
    const int loaded = static_cast<int>(c.maskedPerImage.size());
    ASSERT_EQ(list.Count(), 1 + loaded);
    EXPECT_EQ(list.ImageInfo()->Count(), 1 + loaded);
    EXPECT_EQ(notified.count > 0, c.loaded);
    EXPECT_EQ(CentreOf(list, 0), kRed);
    for (int i = 0; i < loaded; ++i) {
      if (c.maskedPerImage[i] == 256) continue;  // all masked: no colour left to see
      EXPECT_EQ(CentreOf(list, 1 + i), kTileColors[i]) << "image " << i;
      EXPECT_EQ(ItemCentre(list, 1 + i), kTileColors[i]) << "item " << i;
    }
    EXPECT_EQ(MaskedCounts(list, 1), c.maskedPerImage);
    if (loaded > 0 && c.maskedPerImage[0] == 1) {
      TBitmap image, mask;
      list.GetImageInfo(1, &image, &mask);
      EXPECT_EQ(mask.ToImage().at(0, 15) & 0xFFFFFF, 0xFFFFFFu) << "the bottom-left pixel is the masked one";
      list.GetImageInfo(2, &image, &mask);
      EXPECT_EQ(mask.ToImage().at(1, 1) & 0xFFFFFF, 0xFFFFFFu);
    }
    if (c.maskColor == ui::clNone && loaded > 0) {
      EXPECT_EQ(list.ImagePixels(1).at(0, 15), kMarkerPixel) << "clNone keeps the marker pixel";
    }
  }
}

// A width other than the list's cuts the strip into that many images.
TEST(ImageListLoad, TheWidthCutsTheStrip) {
  RegisterBitmapResources();
  TcxImageList list(48, 16);
  ASSERT_TRUE(list.LoadImage(0, u"CX_TEST_STRIP", ui::clNone, 48));
  EXPECT_EQ(list.Count(), 1);
  TcxImageList narrow(16, 16);
  ASSERT_TRUE(narrow.LoadImage(0, u"CX_TEST_STRIP", ui::clNone, 16));
  EXPECT_EQ(narrow.Count(), 3);
}

}  // namespace
}  // namespace core

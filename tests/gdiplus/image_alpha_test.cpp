// Whether a decoded file reports transparency: a picture reported opaque is
// shown with its alpha dropped, so a file whose pixels are not all opaque
// must say it carries transparency, whichever way the format declares it.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/gdiplus/codecs/codecs.h"

namespace {

namespace gc = gdiplus::codecs;

// An uncompressed little-endian RGB TIFF of two pixels with four samples
// each; `extraSamples` < 0 leaves the ExtraSamples tag out.
gc::Bytes fourSampleTiff(int extraSamples) {
  const std::vector<std::uint8_t> pixels = {255, 0, 0, 128, 0, 255, 0, 255};
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count, value;
  };
  std::vector<Entry> entries = {
      {256, 3, 1, 2}, {257, 3, 1, 1}, {258, 3, 4, 0 /* bits, set below */}, {259, 3, 1, 1},
      {262, 3, 1, 2}, {273, 4, 1, 0 /* strip, set below */}, {277, 3, 1, 4}, {278, 3, 1, 1},
      {279, 4, 1, std::uint32_t(pixels.size())}};
  if (extraSamples >= 0) entries.push_back({338, 3, 1, std::uint32_t(extraSamples)});
  const std::uint32_t ifd = 8;
  const std::uint32_t afterIfd = ifd + 2 + 12 * std::uint32_t(entries.size()) + 4;
  entries[2].value = afterIfd;      // four 16-bit counts of 8 bits
  entries[5].value = afterIfd + 8;  // then the pixels
  gc::Bytes out = {'I', 'I', 42, 0};
  auto put = [&out](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  };
  put(ifd, 4);
  put(std::uint32_t(entries.size()), 2);
  for (const Entry& e : entries) {
    put(e.tag, 2);
    put(e.type, 2);
    put(e.count, 4);
    put(e.value, e.type == 3 && e.count == 1 ? 2 : 4);
    if (e.type == 3 && e.count == 1) put(0, 2);
  }
  put(0, 4);  // no next page
  for (int i = 0; i < 4; ++i) put(8, 2);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

TEST(ImageAlpha, TiffWithAFourthSampleTakenAsAlphaReportsIt) {
  for (int extraSamples : {-1, 0}) {  // no tag; "unspecified"
    SCOPED_TRACE(extraSamples);
    const gc::DecodedImage image = gc::decode(fourSampleTiff(extraSamples));
    ASSERT_EQ(image.frames.size(), 1u);
    ASSERT_EQ(image.frames[0].width, 2);
    EXPECT_EQ(image.frames[0].at(0, 0) >> 24, 128u);
    EXPECT_TRUE(image.hasAlpha);
  }
  // An alpha sample the file names stays reported, an opaque file not.
  EXPECT_TRUE(gc::decode(fourSampleTiff(2)).hasAlpha);
  EXPECT_FALSE(gc::decode(gc::encodeTiff(gc::Raster(3, 2, 0xFF336699))).hasAlpha);
}

}  // namespace

// PNG round trips and refusal of bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/rtl/except.h"
#include "tests/support/test_support.h"

using namespace gdi;

namespace {

ImageBGRA Sample() {
  ImageBGRA img(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img.at(x, y) = 0xFF000000u | std::uint32_t(x * 50) << 16 | std::uint32_t(y * 100);
  img.at(0, 0) = 0x80102030;  // straight alpha survives
  return img;
}

// A minimal PNG header chunk claiming the given size (CRC included).
std::vector<std::uint8_t> HeaderOnly(std::uint32_t w, std::uint32_t h) {
  std::vector<std::uint8_t> png = WritePng(Sample());
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) png[at + std::size_t(i)] = std::uint8_t(v >> (24 - 8 * i));
  };
  put(16, w);
  put(20, h);
  // CRC-32 over the chunk type and data.
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 12; i < 29; ++i) {
    crc ^= png[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  put(29, ~crc);
  return png;
}

}  // namespace

TEST(Png, RoundTripKeepsAllFourBytes) {
  const ImageBGRA img = Sample();
  const std::vector<std::uint8_t> bytes = WritePng(img);
  EXPECT_EQ(ReadPng(bytes), img);
  const ImageBGRA opaque = ReadPng(WritePng(img, PngWriteOptions{false}));
  EXPECT_EQ(opaque.at(0, 0), 0xFF102030u) << "an RGB file reads back opaque";
}

TEST(Png, FilesAndBitmaps) {
  testing_support::TempDir dir;
  HBITMAP bmp = CreateBitmapFromImage(Sample());
  WritePngFile(bmp, dir / "b.png");
  EXPECT_EQ(ReadPngFile(dir / "b.png"), Sample());
  EXPECT_THROW(ReadPngFile(dir / "missing.png"), rtl::EReadError);
  DeleteObject(bmp);
}

TEST(Png, RefusesBadInputWithAClearMessage) {
  const std::vector<std::uint8_t> good = WritePng(Sample());
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"empty", {}, "too short"},
      {"not png", std::vector<std::uint8_t>(40, 'x'), "bad signature"},
      {"truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(good.size() - 20)),
       "truncated"},
      {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 33), "truncated"},
      {"huge", HeaderOnly(100000, 100000), "too large"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ImageBGRA out;
    std::string error;
    EXPECT_FALSE(TryReadPng(k.bytes.data(), k.bytes.size(), out, &error));
    EXPECT_NE(error.find(k.message), std::string::npos) << error;
    EXPECT_THROW(ReadPng(k.bytes), rtl::EReadError);
  }
}

TEST(Png, PixelLimitIsTheCallers) {
  const std::vector<std::uint8_t> bytes = WritePng(Sample());
  EXPECT_THROW(ReadPng(bytes, 14), rtl::EReadError);
  EXPECT_NO_THROW(ReadPng(bytes, 15));
}

TEST(Png, WritingAnEmptyImageFails) { EXPECT_THROW(WritePng(ImageBGRA()), rtl::EWriteError); }

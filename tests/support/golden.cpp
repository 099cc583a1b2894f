#include "tests/support/golden.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/gdi/png.h"

#ifndef INTEGRADOR_SOURCE_DIR
#define INTEGRADOR_SOURCE_DIR "."
#endif

namespace testing_support {

namespace {

bool updateRequested() {
  const char* v = std::getenv("UPDATE_GOLDEN");
  return v && std::string(v) == "1";
}

gdi::ImageBGRA prepared(const gdi::ImageBGRA& img, bool keepAlpha) {
  if (keepAlpha) return img;
  gdi::ImageBGRA out = img;
  for (auto& p : out.pixels) p |= 0xFF000000u;
  return out;
}

}  // namespace

std::string GoldenFolder(const std::string& area) {
  const char* env = std::getenv("INTEGRADOR_SOURCE_DIR");
  const std::filesystem::path root = env && *env ? env : INTEGRADOR_SOURCE_DIR;
  return (root / "tests" / area / "golden").string();
}

::testing::AssertionResult MatchesGolden(const gdi::ImageBGRA& actualIn, const std::string& area,
                                         const std::string& name, const GoldenOptions& options) {
  const gdi::ImageBGRA actual = prepared(actualIn, options.compareAlpha);
  const std::filesystem::path folder = GoldenFolder(area);
  const std::filesystem::path reference = folder / (name + ".png");
  const std::filesystem::path written = folder / (name + ".actual.png");
  auto writeActual = [&]() -> std::string {
    try {
      std::filesystem::create_directories(folder);
      gdi::WritePngFile(actual, written, gdi::PngWriteOptions{options.compareAlpha});
      return " Picture written to " + written.string() + ".";
    } catch (const std::exception& e) {
      return std::string(" Could not write the picture: ") + e.what();
    }
  };
  if (actual.width <= 0 || actual.height <= 0) {
    return ::testing::AssertionFailure() << "golden " << name << ": the picture is empty";
  }
  if (updateRequested()) {
    return ::testing::AssertionFailure() << "golden " << name << ": UPDATE_GOLDEN=1." << writeActual();
  }
  if (!std::filesystem::exists(reference)) {
    return ::testing::AssertionFailure() << "golden " << name << ": no reference " << reference.string()
                                         << "." << writeActual();
  }
  gdi::ImageBGRA expected;
  try {
    expected = prepared(gdi::ReadPngFile(reference), options.compareAlpha);
  } catch (const std::exception& e) {
    return ::testing::AssertionFailure() << "golden " << name << ": " << e.what();
  }
  if (expected.width != actual.width || expected.height != actual.height) {
    return ::testing::AssertionFailure() << "golden " << name << ": size " << actual.width << "x"
                                         << actual.height << ", reference " << expected.width << "x"
                                         << expected.height << "." << writeActual();
  }
  std::size_t differing = 0;
  int firstX = -1, firstY = -1;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      const std::uint32_t a = actual.at(x, y), e = expected.at(x, y);
      if (a == e) continue;
      bool beyond = false;
      for (int c = 0; c < 4; ++c) {
        const int da = int((a >> (8 * c)) & 0xFF), de = int((e >> (8 * c)) & 0xFF);
        if (std::abs(da - de) > options.channelTolerance) beyond = true;
      }
      if (!beyond) continue;
      if (differing++ == 0) {
        firstX = x;
        firstY = y;
      }
    }
  }
  if (differing > options.maxDifferingPixels) {
    std::ostringstream first;
    first << std::hex << actual.at(firstX, firstY) << " vs reference " << expected.at(firstX, firstY);
    return ::testing::AssertionFailure() << "golden " << name << ": " << differing
                                         << " pixels differ (allowed " << options.maxDifferingPixels
                                         << "), first at (" << firstX << ", " << firstY << "): 0x"
                                         << first.str() << "." << writeActual();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult MatchesGolden(gdi::HDC dc, const gdi::RECT& rect, const std::string& area,
                                         const std::string& name, const GoldenOptions& options) {
  return MatchesGolden(gdi::CaptureDC(dc, rect), area, name, options);
}

}  // namespace testing_support

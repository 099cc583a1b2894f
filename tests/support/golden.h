#pragma once
// Golden-image comparison. References live in tests/<area>/golden/<name>.png.
// When a reference is missing, or the run has UPDATE_GOLDEN=1, the picture
// is written beside it as <name>.actual.png and the check fails: look at it,
// then rename it to <name>.png to accept it. A mismatch writes the
// .actual.png too.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/gdi/surface.h"

namespace testing_support {

struct GoldenOptions {
  // Pixel-rule drawing is compared exactly (the defaults). Anti-aliased
  // output gives a per-channel tolerance and a number of pixels allowed to
  // differ beyond it.
  int channelTolerance = 0;
  std::size_t maxDifferingPixels = 0;
  // Off: the alpha byte is ignored and the files are stored opaque, so that
  // they can be looked at. On: all four bytes are stored and compared.
  bool compareAlpha = false;
};

::testing::AssertionResult MatchesGolden(const gdi::ImageBGRA& actual, const std::string& area,
                                         const std::string& name, const GoldenOptions& options = {});
// The DC's surface, device coordinates.
::testing::AssertionResult MatchesGolden(gdi::HDC dc, const gdi::RECT& rect, const std::string& area,
                                         const std::string& name, const GoldenOptions& options = {});

// Where tests/<area>/golden/ is (the source tree, or INTEGRADOR_SOURCE_DIR).
std::string GoldenFolder(const std::string& area);

}  // namespace testing_support

// In a test: EXPECT_GOLDEN(image, "gdi", "lines");
#define EXPECT_GOLDEN(...) EXPECT_TRUE(::testing_support::MatchesGolden(__VA_ARGS__))

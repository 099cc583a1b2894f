// Buffered paint: drawing lands in the buffer in the target's coordinates
// and reaches the target only when the buffer is ended with an update.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/theme/theme.h"
#include "tests/support/dib_dc.h"

namespace {

using namespace theme;

void Paint(HDC dc, const RECT& r, COLORREF c) {
  gdi::HBRUSH b = gdi::CreateSolidBrush(c);
  gdi::FillRect(dc, &r, b);
  gdi::DeleteObject(b);
}

TEST(BufferedPaint, DrawingReachesTheTargetOnlyWhenUpdated) {
  ASSERT_EQ(BufferedPaintInit(), S_OK);
  struct Case {
    BOOL update;
    std::uint32_t expectedAt15;
  } const cases[] = {{TRUE, 0x00FF0000u}, {FALSE, 0x00FFFFFFu}};
  for (const Case& c : cases) {
    testing_support::DibDC target(40, 40, 0x00FFFFFF);
    const RECT area{10, 10, 30, 30};
    HDC paint = nullptr;
    HPAINTBUFFER b = BeginBufferedPaint(target.dc, &area, BPBF_TOPDOWNDIB, nullptr, &paint);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(GetBufferedPaintDC(b), paint);
    EXPECT_EQ(GetBufferedPaintTargetDC(b), target.dc);
    RECT r{};
    EXPECT_EQ(GetBufferedPaintTargetRect(b, &r), S_OK);
    EXPECT_EQ(r, area);
    // The caller draws in the target's coordinates; the buffer holds only its area.
    Paint(paint, RECT{0, 0, 40, 40}, gdi::RGB(255, 0, 0));
    EXPECT_EQ(target.rgb(15, 15), 0x00FFFFFFu) << "drawn through before the end";
    EXPECT_EQ(EndBufferedPaint(b, c.update), S_OK);
    EXPECT_EQ(target.rgb(15, 15), c.expectedAt15);
    EXPECT_EQ(target.rgb(5, 5), 0x00FFFFFFu);
    EXPECT_EQ(target.rgb(30, 30), 0x00FFFFFFu);
    EXPECT_EQ(EndBufferedPaint(b, TRUE), E_HANDLE) << "a buffer ends once";
  }
  EXPECT_EQ(BufferedPaintUnInit(), S_OK);
}

TEST(BufferedPaint, StartsFromTheTargetOrClearAndSetsAlphaOnItsBits) {
  testing_support::DibDC target(20, 20, 0x0000FF00);
  const RECT area{4, 4, 12, 8};
  HDC paint = nullptr;
  HPAINTBUFFER kept = BeginBufferedPaint(target.dc, &area, BPBF_TOPDOWNDIB, nullptr, &paint);
  ASSERT_NE(kept, nullptr);
  void* bits = nullptr;
  int rowPixels = 0;
  ASSERT_EQ(GetBufferedPaintBits(kept, &bits, &rowPixels), S_OK);
  EXPECT_EQ(rowPixels, 8);
  auto* px = static_cast<std::uint32_t*>(bits);
  EXPECT_EQ(px[0] & 0x00FFFFFFu, 0x0000FF00u) << "a buffer begins with what the target shows";
  const RECT half{4, 4, 8, 8};
  const std::uint32_t outside = px[4];
  EXPECT_EQ(BufferedPaintSetAlpha(kept, &half, 0x80), S_OK);
  EXPECT_EQ(px[0] >> 24, 0x80u);
  EXPECT_EQ(px[3] >> 24, 0x80u);
  EXPECT_EQ(px[4], outside) << "outside the rectangle untouched";
  EXPECT_EQ(BufferedPaintClear(kept, &half), S_OK);
  EXPECT_EQ(px[0], 0u);
  EXPECT_EQ(px[4] & 0x00FFFFFFu, 0x0000FF00u);
  EXPECT_EQ(EndBufferedPaint(kept, FALSE), S_OK);

  BP_PAINTPARAMS erase;
  erase.dwFlags = BPPF_ERASE;
  HPAINTBUFFER cleared = BeginBufferedPaint(target.dc, &area, BPBF_TOPDOWNDIB, &erase, &paint);
  ASSERT_NE(cleared, nullptr);
  ASSERT_EQ(GetBufferedPaintBits(cleared, &bits, &rowPixels), S_OK);
  EXPECT_EQ(static_cast<std::uint32_t*>(bits)[0], 0u) << "an erased buffer starts empty";
  EXPECT_EQ(EndBufferedPaint(cleared, FALSE), S_OK);
}

TEST(BufferedPaint, RefusesWhatItCannotBuffer) {
  testing_support::DibDC target(10, 10);
  HDC paint = target.dc;
  const RECT empty{5, 5, 5, 9};
  EXPECT_EQ(BeginBufferedPaint(target.dc, &empty, BPBF_DIB, nullptr, &paint), nullptr);
  EXPECT_EQ(paint, nullptr);
  const RECT fine{0, 0, 5, 5};
  EXPECT_EQ(BeginBufferedPaint(nullptr, &fine, BPBF_DIB, nullptr, &paint), nullptr);
  EXPECT_EQ(BeginBufferedPaint(target.dc, &fine, BPBF_TOPDOWNMONODIB, nullptr, &paint), nullptr);
  EXPECT_EQ(BufferedPaintClear(nullptr, nullptr), E_HANDLE);
  EXPECT_EQ(BufferedPaintSetAlpha(nullptr, nullptr, 0), E_HANDLE);
  EXPECT_EQ(GetBufferedPaintDC(nullptr), nullptr);
  EXPECT_EQ(BufferedPaintUnInit(), E_FAIL) << "more stops than starts";
}

}  // namespace

// Regions: creation, combination and their return codes, data round trips.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/gdi.h"

using namespace gdi;

namespace {

struct Rgn {
  HRGN h;
  explicit Rgn(HRGN r) : h(r) {}
  ~Rgn() { DeleteObject(h); }
  operator HRGN() const { return h; }
};

int Area(HRGN rgn) {
  std::vector<char> buf(GetRegionData(rgn, 0, nullptr));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  GetRegionData(rgn, DWORD(buf.size()), data);
  const RECT* r = reinterpret_cast<const RECT*>(buf.data() + sizeof(RGNDATAHEADER));
  int area = 0;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) area += (r[i].right - r[i].left) * (r[i].bottom - r[i].top);
  return area;
}

}  // namespace

TEST(Region, CombineModesAndComplexity) {
  struct Case {
    int mode;
    int result;
    int area;
  } cases[] = {
      {RGN_AND, SIMPLEREGION, 25},   {RGN_OR, COMPLEXREGION, 175}, {RGN_XOR, COMPLEXREGION, 150},
      {RGN_DIFF, COMPLEXREGION, 75}, {RGN_COPY, SIMPLEREGION, 100},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.mode);
    Rgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(5, 5, 15, 15)), d(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(CombineRgn(d, a, b, k.mode), k.result);
    EXPECT_EQ(Area(d), k.area);
  }
}

TEST(Region, CombineReportsNullRegionAndErrors) {
  Rgn a(CreateRectRgn(0, 0, 5, 5)), b(CreateRectRgn(10, 10, 20, 20)), d(CreateRectRgn(0, 0, 1, 1));
  EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), NULLREGION);
  EXPECT_EQ(CombineRgn(d, a, b, 99), ERROR);
  EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION) << "the destination may be a source";
}

TEST(Region, RectanglesAreHalfOpenAndNormalised) {
  Rgn r(CreateRectRgn(10, 8, 2, 3));  // swapped corners
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{2, 3, 10, 8}));
  EXPECT_TRUE(PtInRegion(r, 2, 3));
  EXPECT_FALSE(PtInRegion(r, 10, 5));
  EXPECT_FALSE(PtInRegion(r, 5, 8));
  RECT touching{10, 3, 12, 8}, overlapping{9, 7, 20, 20};
  EXPECT_FALSE(RectInRegion(r, &touching));
  EXPECT_TRUE(RectInRegion(r, &overlapping));
  Rgn empty(CreateRectRgn(3, 3, 3, 9));
  EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
  EXPECT_EQ(box, RECT{});
}

TEST(Region, OffsetSetRectAndEquality) {
  Rgn a(CreateRectRgn(0, 0, 4, 4)), b(CreateRectRgn(2, 3, 6, 7));
  EXPECT_FALSE(EqualRgn(a, b));
  EXPECT_EQ(OffsetRgn(a, 2, 3), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(a, b));
  EXPECT_TRUE(SetRectRgn(a, 0, 0, 1, 1));
  EXPECT_EQ(Area(a), 1);
  EXPECT_FALSE(EqualRgn(a, nullptr));
}

TEST(Region, PolygonFillModes) {
  // Two overlapping squares traced the same way: the overlap is a hole only
  // in ALTERNATE mode.
  const POINT pts[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}, {15, 5}, {15, 15}, {5, 15}};
  const INT counts[] = {4, 4};
  Rgn alt(CreatePolyPolygonRgn(pts, counts, 2, ALTERNATE));
  Rgn wind(CreatePolyPolygonRgn(pts, counts, 2, WINDING));
  EXPECT_FALSE(PtInRegion(alt, 7, 7));
  EXPECT_TRUE(PtInRegion(wind, 7, 7));
  EXPECT_EQ(Area(wind), 175);
  EXPECT_EQ(CreatePolygonRgn(pts, 1, ALTERNATE), nullptr);
  EXPECT_EQ(CreatePolygonRgn(pts, 4, 7), nullptr);
}

TEST(Region, PolygonRegionOfASquareEqualsTheRectangle) {
  const POINT sq[] = {{2, 3}, {9, 3}, {9, 8}, {2, 8}};
  Rgn poly(CreatePolygonRgn(sq, 4, ALTERNATE)), rect(CreateRectRgn(2, 3, 9, 8));
  EXPECT_TRUE(EqualRgn(poly, rect));
}

TEST(Region, EllipseAndRoundRectStayInTheirBoxAndAreSymmetric) {
  Rgn e(CreateEllipticRgn(0, 0, 11, 7));
  RECT box;
  EXPECT_EQ(GetRgnBox(e, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{0, 0, 11, 7}));
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x) EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, 10 - x, 6 - y)) << x << "," << y;
  EXPECT_FALSE(PtInRegion(e, 0, 0));
  Rgn rr(CreateRoundRectRgn(0, 0, 20, 10, 6, 6));
  EXPECT_FALSE(PtInRegion(rr, 0, 0));
  EXPECT_TRUE(PtInRegion(rr, 3, 0));
  EXPECT_TRUE(PtInRegion(rr, 0, 5));
  Rgn square(CreateRoundRectRgn(0, 0, 20, 10, 0, 0));
  Rgn plain(CreateRectRgn(0, 0, 20, 10));
  EXPECT_TRUE(EqualRgn(square, plain));
}

TEST(Region, RegionDataRoundTrip) {
  Rgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(5, 5, 15, 15));
  CombineRgn(a, a, b, RGN_XOR);
  const DWORD size = GetRegionData(a, 0, nullptr);
  ASSERT_GT(size, sizeof(RGNDATAHEADER));
  EXPECT_EQ(GetRegionData(a, size - 1, nullptr), size);
  std::vector<char> buf(size);
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  EXPECT_EQ(GetRegionData(a, size, data), size);
  EXPECT_EQ(data->rdh.iType, RDH_RECTANGLES);
  EXPECT_EQ(data->rdh.rcBound, (RECT{0, 0, 15, 15}));
  Rgn copy(ExtCreateRegion(nullptr, size, data));
  EXPECT_TRUE(EqualRgn(a, copy));
}

TEST(Region, ExtCreateRegionRejectsBadData) {
  Rgn a(CreateRectRgn(0, 0, 10, 10));
  std::vector<char> buf(GetRegionData(a, 0, nullptr));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  GetRegionData(a, DWORD(buf.size()), data);
  EXPECT_EQ(ExtCreateRegion(nullptr, DWORD(buf.size()) - 1, data), nullptr) << "count beyond the size";
  data->rdh.nCount = 0xFFFFFFFF;
  EXPECT_EQ(ExtCreateRegion(nullptr, DWORD(buf.size()), data), nullptr);
  data->rdh.nCount = 1;
  data->rdh.iType = 2;
  EXPECT_EQ(ExtCreateRegion(nullptr, DWORD(buf.size()), data), nullptr);
  EXPECT_EQ(ExtCreateRegion(nullptr, 4, data), nullptr);
}

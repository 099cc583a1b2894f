// Rectangle, point and size arithmetic and the geometry classes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/core/cxGeometry.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"

namespace core {
namespace {

std::string str(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

TEST(Geometry, TestsAndMeasures) {
  EXPECT_FALSE(cxRectPtIn(cxRect(0, 0, 10, 10), cxPoint(10, 5)));
  EXPECT_TRUE(cxRectPtIn(cxRect(0, 0, 10, 10), 9, 9));
  EXPECT_FALSE(cxRectPtIn(cxRect(0, 0, 10, 10), -1, 0));
  EXPECT_TRUE(cxRectContain(cxRect(0, 0, 10, 10), cxRect(0, 0, 10, 10)));
  EXPECT_FALSE(cxRectContain(cxRect(0, 0, 10, 10), cxRect(0, 0, 11, 10)));
  EXPECT_TRUE(cxRectContain(cxRect(0, 0, 10, 10), cxRect(5, 5, 2, 2)));  // emptiness not tested
  EXPECT_TRUE(cxRectIsEmpty(cxRect(0, 0, 0, 5)));
  EXPECT_TRUE(cxRectIsEmpty(cxRect(3, 0, 1, 5)));
  EXPECT_FALSE(cxRectIsEmpty(cxRect(0, 0, 1, 1)));
  EXPECT_TRUE(cxRectIsEmpty(dxRectF(0, 0, 0.0f, 1)));
  EXPECT_TRUE(cxRectIsNull(cxNullRect));
  EXPECT_TRUE(cxRectIsInvalid(cxRect(-1, -1, -1, -1)));
  EXPECT_EQ(cxRectWidth(cxRect(5, 0, 2, 0)), -3);
  EXPECT_EQ(cxRectSize(cxRect(1, 2, 4, 8)), cxSize(3, 6));
  EXPECT_EQ(cxMarginsWidth(cxRect(1, 2, 3, 4)), 4);
  EXPECT_EQ(cxMarginsHeight(cxRect(1, 2, 3, 4)), 6);
  EXPECT_EQ(TdxRectHelper::Width(cxRect(1, 2, 4, 8)), 3);
  EXPECT_EQ(cxInvisiblePoint, cxPoint(-10000, -10000));
  EXPECT_TRUE(cxPointIsInvalid(cxPoint(-1, -1)));
}

TEST(Geometry, Intersection) {
  struct Case {
    TRect a, b;
    bool intersects;
    TRect result;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, {10, 0, 20, 10}, false, {0, 0, 0, 0}},  // touching edges
      {{0, 0, 10, 10}, {5, 5, 20, 20}, true, {5, 5, 10, 10}},
      {{0, 0, 10, 10}, {2, 3, 4, 5}, true, {2, 3, 4, 5}},
      {{0, 0, 10, 10}, {20, 20, 30, 30}, false, {0, 0, 0, 0}},
      {{0, 0, 10, 10}, {3, 3, 3, 8}, false, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TRect r{9, 9, 9, 9};
    EXPECT_EQ(cxRectIntersect(r, c.a, c.b), c.intersects) << str(c.a) << str(c.b);
    EXPECT_EQ(r, c.result) << str(c.a) << str(c.b);
    EXPECT_EQ(cxRectIntersect(c.a, c.b), c.intersects);
  }
}

TEST(Geometry, UnionKeepsTheFirstAndSkipsAnEmptySecond) {
  struct Case {
    TRect a, b, expected;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, {5, 5, 10, 10}, {0, 0, 10, 10}},
      {{5, 5, 10, 10}, {0, 0, 0, 0}, {5, 5, 10, 10}},
      {{5, 5, 10, 10}, {0, 0, 3, -1}, {5, 5, 10, 10}},
      {{5, 5, 10, 10}, {-3, 7, 6, 20}, {-3, 5, 10, 20}},
      {{-5, -5, -1, -1}, {1, 1, 2, 2}, {-5, -5, 2, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(cxRectUnion(c.a, c.b), c.expected) << str(c.a) << str(c.b);
  EXPECT_EQ(cxRectUnion(dxRectF(0, 0, 1.5f, 1.5f), dxRectF(1, 1, 2.5f, 2.25f)),
            dxRectF(0, 0, 2.5f, 2.25f));
  // Through single-precision floats: 2^24 + 1 is not representable.
  EXPECT_EQ(cxRectUnion(cxRect(0, 0, 16777217, 1), cxRect(0, 0, 1, 1)).right, 16777216);
}

TEST(Geometry, CentringRoundsTowardMinusInfinity) {
  struct Case {
    TRect r;
    int w, h;
    TRect expected;
  };
  const Case cases[] = {
      {{0, 0, 5, 5}, 2, 2, {1, 1, 3, 3}},
      {{-5, 0, 0, 4}, 2, 2, {-4, 1, -2, 3}},  // -7 halved is -4
      {{-6, -6, -1, -1}, 1, 1, {-4, -4, -3, -3}},
      {{0, 0, 10, 4}, 10, 4, {0, 0, 10, 4}},
      {{0, 0, 4, 4}, 7, 7, {-2, -2, 5, 5}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cxRectCenter(c.r, c.w, c.h), c.expected) << str(c.r);
    EXPECT_EQ(cxRectCenter(c.r, cxSize(c.w, c.h)), c.expected);
    const TRect horz = cxRectCenterHorizontally(c.r, c.w);
    EXPECT_EQ(horz, cxRect(c.expected.left, c.r.top, c.expected.right, c.r.bottom));
    const TRect vert = cxRectCenterVertically(c.r, c.h);
    EXPECT_EQ(vert, cxRect(c.r.left, c.expected.top, c.r.right, c.expected.bottom));
  }
  EXPECT_EQ(cxRectCenter(cxRect(0, 0, 3, 3)), cxPoint(1, 1));
  EXPECT_EQ(cxRectCenter(cxRect(-3, -3, 0, 0)), cxPoint(-2, -2));
  EXPECT_EQ(cxRectCenter(dxRectF(0, 0, 3, 5)), dxPointF(1.5f, 2.5f));
}

TEST(Geometry, FloatPointsToIntegers) {
  struct Case {
    float x, y;
    bool truncate;
    TPoint expected;
  };
  const Case cases[] = {
      {2.5f, -2.5f, false, {2, -2}}, {2.5f, -2.5f, true, {2, -2}},
      {2.7f, -2.7f, false, {3, -3}}, {2.7f, -2.7f, true, {2, -2}},
      {3.5f, -3.5f, false, {4, -4}}, {0.49f, -0.5f, false, {0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxPoint(dxPointF(c.x, c.y), c.truncate), c.expected) << c.x << " " << c.truncate;
}

TEST(Geometry, MovingAndResizing) {
  const TRect r{10, 20, 30, 60};
  struct Case {
    const char* what;
    TRect got, expected;
  };
  const Case cases[] = {
      {"offset", cxRectOffset(r, 1, 2), {11, 22, 31, 62}},
      {"offset back", cxRectOffset(r, cxPoint(1, 2), false), {9, 18, 29, 58}},
      {"horz", cxRectOffsetHorz(r, -10), {0, 20, 20, 60}},
      {"vert", cxRectOffsetVert(r, 5), {10, 25, 30, 65}},
      {"origin", cxRectSetOrigin(r, cxPoint(0, 1)), {0, 1, 20, 41}},
      {"null origin", cxRectSetNullOrigin(r), {0, 0, 20, 40}},
      {"left", cxRectSetLeft(r, 0), {0, 20, 20, 60}},
      {"top", cxRectSetTop(r, 0), {10, 0, 30, 40}},
      {"right", cxRectSetRight(r, 0), {-20, 20, 0, 60}},
      {"bottom", cxRectSetBottom(r, 0), {10, -40, 30, 0}},
      {"left+width", cxRectSetLeft(r, 5, 3), {5, 20, 8, 60}},
      {"top+height", cxRectSetTop(r, 5, 3), {10, 5, 30, 8}},
      {"right+width", cxRectSetRight(r, 5, 3), {2, 20, 5, 60}},
      {"bottom+height", cxRectSetBottom(r, 5, 3), {10, 2, 30, 5}},
      {"width", cxRectSetWidth(r, 1), {10, 20, 11, 60}},
      {"height", cxRectSetHeight(r, 1), {10, 20, 30, 21}},
      {"size", cxRectSetSize(r, cxSize(2, 3)), {10, 20, 12, 23}},
      {"inflate", cxRectInflate(r, 1), {9, 19, 31, 61}},
      {"inflate xy", cxRectInflate(r, 1, -2), {9, 22, 31, 58}},
      {"inflate 4", cxRectInflate(r, 1, 2, 3, 4), {9, 18, 33, 64}},
      {"inflate margins", cxRectInflate(r, cxRect(1, 2, 3, 4)), {9, 18, 33, 64}},
      {"content", cxRectContent(r, cxRect(1, 2, 3, 4)), {11, 22, 27, 56}},
      {"transform", cxRectTransform(r, cxRect(1, 2, 3, 4)), {11, 22, 33, 64}},
      {"adjust", cxRectAdjust(cxRect(5, 6, 1, 2)), {1, 2, 5, 6}},
      {"rotate", cxRectRotate(r), {20, 10, 60, 30}},
      {"invert", cxRectInvert(r), {-10, -20, -30, -60}},
      {"bounds", cxRectBounds(cxPoint(1, 2), 3, 4), {1, 2, 4, 6}},
      {"from size", cxRect(cxSize(3, 4)), {0, 0, 3, 4}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
  EXPECT_EQ(cxRectLeftBottom(r), cxPoint(10, 60));
  EXPECT_EQ(cxPointScale(cxPoint(3, -3), 3, 2), cxPoint(5, -5));  // halves away from zero
  EXPECT_EQ(cxPointOffset(cxPoint(1, 1), cxPoint(2, 3), false), cxPoint(-1, -2));
  std::vector<TdxRectF> rects{dxRectF(0, 0, 1, 1), dxRectF(1, 1, 2, 2)};
  cxRectsOffset(rects, dxPointF(0.5f, 1), false);
  EXPECT_EQ(rects[1], dxRectF(0.5f, 0, 1.5f, 1));
  std::vector<TdxPointF> points{dxPointF(1, 1)};
  cxPointsOffset(points, dxPointF(1, -1));
  EXPECT_EQ(points[0], dxPointF(2, 0));
}

// --- geometry classes -----------------------------------------------------------------
struct ChangeCounter {
  int changes = 0;
  void onChange(rtl::TObject*) { ++changes; }
  rtl::TNotifyEvent event() { return rtl::TNotifyEvent::bind<&ChangeCounter::onChange>(this); }
};

TEST(GeometryClasses, MarginAllReadsMinusOneWhenSidesDiffer) {
  TcxMargin margin(nullptr, 1);
  ChangeCounter counter;
  margin.SetOnChange(counter.event());
  EXPECT_EQ(margin.All(), 1);
  margin.SetTop(2);
  EXPECT_EQ(margin.All(), -1);
  EXPECT_EQ(counter.changes, 1);
  margin.SetAll(-1);  // what All reads already: nothing changes
  EXPECT_EQ(margin.Margin(), cxRect(1, 2, 1, 1));
  EXPECT_EQ(counter.changes, 1);
  margin.SetAll(3);
  EXPECT_EQ(margin.Margin(), cxRect(3, 3, 3, 3));
  EXPECT_EQ(counter.changes, 2);
  margin.SetMargin(cxRect(3, 3, 3, 3));
  EXPECT_EQ(counter.changes, 2);
  EXPECT_TRUE(rtl::IsStoredProp(&margin, u"All"));     // 3 differs from the default 1
  EXPECT_FALSE(rtl::IsStoredProp(&margin, u"Left"));   // sides are stored only when they differ
  margin.SetLeft(0);
  EXPECT_TRUE(rtl::IsStoredProp(&margin, u"Left"));
}

TEST(GeometryClasses, SizeClampsAndStoresOnlyChangedValues) {
  TcxSize size(nullptr, 10, 20);
  ChangeCounter counter;
  size.SetOnChange(counter.event());
  EXPECT_FALSE(rtl::IsStoredProp(&size, u"Width"));
  size.SetSize(cxSize(-5, 4));
  EXPECT_EQ(size.Size(), cxSize(0, 4));
  EXPECT_EQ(size.GetValue(0), 4);  // index 0 is the height
  EXPECT_EQ(counter.changes, 1);
  size.SetWidth(-1);  // clamps to 0: unchanged
  EXPECT_EQ(counter.changes, 1);
  EXPECT_TRUE(rtl::IsStoredProp(&size, u"Height"));
}

TEST(GeometryClasses, RectSignalsOnlyRealChangesAndAssigns) {
  TcxRect a(nullptr), b(nullptr);
  ChangeCounter counter;
  a.SetOnChange(counter.event());
  a.SetRight(5);
  a.SetRight(5);
  a.SetRect(cxRect(0, 0, 5, 0));
  EXPECT_EQ(counter.changes, 1);
  b.SetRect(cxRect(1, 2, 3, 4));
  a.Assign(&b);
  EXPECT_TRUE(a.IsEqual(&b));
  EXPECT_EQ(counter.changes, 2);
  rtl::TPersistent other;
  EXPECT_THROW(a.Assign(&other), rtl::EConvertError);
  EXPECT_EQ(rtl::GetOrdProp(&a, u"Bottom"), 4);
}

TEST(GeometryClasses, BinaryFormsRoundTripAndRejectShortStreams) {
  struct Case {
    const char* what;
    std::function<std::unique_ptr<TcxGeometryObject>()> make;
    std::function<void(TcxGeometryObject&)> fill;
    int size;
  };
  const Case cases[] = {
      {"rect", [] { return std::make_unique<TcxRect>(nullptr); },
       [](TcxGeometryObject& o) { static_cast<TcxRect&>(o).SetRect(cxRect(-1, 2, 300000, 4)); }, 16},
      {"margin", [] { return std::make_unique<TcxMargin>(nullptr); },
       [](TcxGeometryObject& o) { static_cast<TcxMargin&>(o).SetMargin(cxRect(1, 2, 3, -4)); }, 16},
      {"size", [] { return std::make_unique<TcxSize>(nullptr); },
       [](TcxGeometryObject& o) { static_cast<TcxSize&>(o).SetSize(cxSize(7, 9)); }, 8},
  };
  for (const Case& c : cases) {
    auto source = c.make();
    c.fill(*source);
    rtl::TBytesStream stream;
    source->SaveToStream(&stream);
    ASSERT_EQ(stream.Size(), c.size) << c.what;
    auto target = c.make();
    ChangeCounter counter;
    target->SetOnChange(counter.event());
    stream.SetPosition(0);
    target->LoadFromStream(&stream);
    EXPECT_EQ(counter.changes, 1) << c.what;
    rtl::TBytesStream a, b;
    source->SaveToStream(&a);
    target->SaveToStream(&b);
    EXPECT_EQ(a.Bytes(), b.Bytes()) << c.what;

    rtl::TBytesStream shortStream;
    shortStream.WriteBuffer(a.Bytes().data(), c.size - 1);
    shortStream.SetPosition(0);
    auto untouched = c.make();
    EXPECT_THROW(untouched->LoadFromStream(&shortStream), rtl::EReadError) << c.what;
  }
  // Loading a negative size clamps it.
  rtl::TBytesStream s;
  s.WriteInt32(-5);
  s.WriteInt32(4);
  s.SetPosition(0);
  TcxSize size(nullptr);
  size.LoadFromStream(&s);
  EXPECT_EQ(size.Size(), cxSize(0, 4));
}

TEST(GeometryClasses, RectClassIsRegisteredWhileTheUnitRuns) {
  cxGeometryInitialization();
  EXPECT_EQ(rtl::GetClass(u"TcxRect"), &TcxRect::classInfo());
  cxGeometryFinalization();
  EXPECT_EQ(rtl::GetClass(u"TcxRect"), nullptr);
}

}  // namespace
}  // namespace core

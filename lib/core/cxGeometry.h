#pragma once
// Rectangle, point and size arithmetic for layout, painting and hit tests,
// and the small persistent geometry classes controls publish.
// Rectangles are (left, top, right, bottom) with right and bottom exclusive;
// halving rounds toward minus infinity.
#include <span>

#include "lib/core/dxCoreClasses.h"
#include "lib/core/forward.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/ui/graphics.h"

namespace core {

using ui::TPoint;
using ui::TRect;
using ui::TSize;

struct TdxRectF {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
  float Width() const { return Right - Left; }
  float Height() const { return Bottom - Top; }
  friend bool operator==(const TdxRectF&, const TdxRectF&) = default;
};
struct TdxPointF {
  float X = 0, Y = 0;
  friend bool operator==(const TdxPointF&, const TdxPointF&) = default;
};
struct TdxSizeF {
  float cx = 0, cy = 0;
  friend bool operator==(const TdxSizeF&, const TdxSizeF&) = default;
};

inline constexpr TRect cxNullRect{0, 0, 0, 0};
inline constexpr TPoint cxNullPoint{0, 0};
inline constexpr TSize cxNullSize{0, 0};
inline constexpr TdxRectF dxNullRectF{0, 0, 0, 0};
inline constexpr TRect cxInvalidRect{-1, -1, -1, -1};
inline constexpr TPoint cxInvalidPoint{-1, -1};
inline constexpr TRect cxSimpleRect{1, 1, 1, 1};
inline constexpr TPoint cxSimplePoint{1, 1};
inline constexpr TPoint cxInvisiblePoint{-10000, -10000};

// --- measures and tests -------------------------------------------------------------------
int cxRectWidth(const TRect& r);
int cxRectHeight(const TRect& r);
float cxRectWidth(const TdxRectF& r);
float cxRectHeight(const TdxRectF& r);
TSize cxRectSize(const TRect& r);
TSize cxSize(const TRect& r);
int cxMarginsWidth(const TRect& margins);
int cxMarginsHeight(const TRect& margins);
bool cxRectIsEmpty(const TRect& r);
bool cxRectIsEmpty(const TdxRectF& r);
bool cxRectIsNull(const TRect& r);
bool cxRectIsInvalid(const TRect& r);
bool cxRectIsEqual(const TRect& a, const TRect& b);
bool cxRectPtIn(const TRect& r, const TPoint& p);
bool cxRectPtIn(const TRect& r, int x, int y);
bool cxRectContain(const TRect& bounds, const TRect& inner);
bool cxRectIntersect(const TRect& a, const TRect& b);
// The common part; cxNullRect and false when it is empty.
bool cxRectIntersect(TRect& result, const TRect& a, const TRect& b);

// --- construction ----------------------------------------------------------------------------
TRect cxRect(int left, int top, int right, int bottom);
TRect cxRect(const TPoint& topLeft, const TPoint& bottomRight);
TRect cxRect(const TSize& size);
TRect cxRectBounds(int left, int top, int width, int height);
TRect cxRectBounds(const TPoint& p, int width, int height);
TRect cxRectAdjust(const TRect& r);
TRect cxRectRotate(const TRect& r);
TRect cxRectInvert(const TRect& r);
TPoint cxRectLeftBottom(const TRect& r);
TdxRectF cxRectF(float left, float top, float right, float bottom);
TdxRectF dxRectF(float left, float top, float right, float bottom);
TdxRectF cxRectF(const TRect& r);
TdxRectF dxRectF(const TRect& r);

// --- moving and resizing ----------------------------------------------------------------------
TRect cxRectOffset(const TRect& r, int dx, int dy, bool positiveFactor = true);
TRect cxRectOffset(const TRect& r, const TPoint& p, bool positiveFactor = true);
TdxRectF cxRectOffset(const TdxRectF& r, float dx, float dy, bool positiveFactor = true);
TdxRectF cxRectOffset(const TdxRectF& r, const TdxPointF& p, bool positiveFactor = true);
void cxRectsOffset(std::span<TdxRectF> rects, const TdxPointF& offset, bool positiveFactor = true);
TRect cxRectOffsetHorz(const TRect& r, int dx);
TRect cxRectOffsetVert(const TRect& r, int dy);
TRect cxRectSetOrigin(const TRect& r, const TPoint& p);
TRect cxRectSetNullOrigin(const TRect& r);
TRect cxRectSetLeft(const TRect& r, int x);
TRect cxRectSetTop(const TRect& r, int y);
TRect cxRectSetRight(const TRect& r, int x);
TRect cxRectSetBottom(const TRect& r, int y);
TRect cxRectSetLeft(const TRect& r, int x, int width);
TRect cxRectSetTop(const TRect& r, int y, int height);
TRect cxRectSetRight(const TRect& r, int x, int width);
TRect cxRectSetBottom(const TRect& r, int y, int height);
TRect cxRectSetWidth(const TRect& r, int width);
TRect cxRectSetHeight(const TRect& r, int height);
TRect cxRectSetSize(const TRect& r, int width, int height);
TRect cxRectSetSize(const TRect& r, const TSize& size);
TRect cxRectInflate(const TRect& r, int delta);
TRect cxRectInflate(const TRect& r, int dx, int dy);
TRect cxRectInflate(const TRect& r, int dx1, int dy1, int dx2, int dy2);
TRect cxRectInflate(const TRect& r, const TRect& margins);
TRect cxRectContent(const TRect& r, const TRect& margins);
TdxRectF cxRectContent(const TdxRectF& r, const TdxRectF& margins);
TRect cxRectTransform(const TRect& r, const TRect& delta);
TRect cxRectUnion(const TRect& a, const TRect& b);
TdxRectF cxRectUnion(const TdxRectF& a, const TdxRectF& b);

// --- centring ----------------------------------------------------------------------------------
TPoint cxRectCenter(const TRect& r);
TRect cxRectCenter(const TRect& r, int width, int height);
TRect cxRectCenter(const TRect& r, const TSize& size);
TRect cxRectCenterHorizontally(const TRect& r, int width);
TRect cxRectCenterVertically(const TRect& r, int height);
TdxPointF cxRectCenter(const TdxRectF& r);

// --- points and sizes ----------------------------------------------------------------------------
TPoint cxPoint(int x, int y);
TPoint cxPoint(const TSize& size);
// Truncated toward zero with `truncate`, else rounded half to even.
TPoint cxPoint(const TdxPointF& p, bool truncate);
TdxPointF cxPointF(float x, float y);
TdxPointF dxPointF(float x, float y);
TdxPointF dxPointF(const TPoint& p);
TdxSizeF dxSizeF(float width, float height);
TPoint cxPointOffset(const TPoint& p, int x, int y, bool positiveFactor = true);
TPoint cxPointOffset(const TPoint& p, const TPoint& delta, bool positiveFactor = true);
void cxPointsOffset(std::span<TdxPointF> points, const TdxPointF& offset);
TPoint cxPointInvert(const TPoint& p);
bool cxPointIsEqual(const TPoint& a, const TPoint& b);
bool cxPointIsInvalid(const TPoint& p);
TPoint cxPointScale(const TPoint& p, int numerator, int denominator);
TSize cxSize(int width, int height);
bool cxSizeIsEqual(const TSize& a, const TSize& b);

// The width and height readers of the platform rectangle.
struct TdxRectHelper {
  static int Width(const TRect& r) { return r.right - r.left; }
  static int Height(const TRect& r) { return r.bottom - r.top; }
};

// --- geometry classes ------------------------------------------------------------------------------
class TcxGeometryObject : public TcxOwnedPersistent {
  RTL_CLASS(TcxGeometryObject, TcxOwnedPersistent)

 public:
  using TcxOwnedPersistent::TcxOwnedPersistent;
  // The binary forms: little-endian 32-bit values; loading goes through the
  // setters. A short stream raises EReadError.
  virtual void LoadFromStream(rtl::TStream* stream) {}
  virtual void SaveToStream(rtl::TStream* stream) {}
  const rtl::TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const rtl::TNotifyEvent& value) { FOnChange = value; }

 protected:
  virtual void DoChange();

 private:
  rtl::TNotifyEvent FOnChange;
};

class TcxRect : public TcxGeometryObject {
  RTL_CLASS(TcxRect, TcxGeometryObject)

 public:
  explicit TcxRect(rtl::TPersistent* owner) : TcxGeometryObject(owner) {}
  static void Published(rtl::PropTable<TcxRect>& p);

  const TRect& Rect() const { return FRect; }
  void SetRect(const TRect& value);
  int GetValue(int index) const;
  void SetValue(int index, int value);
  int Left() const { return FRect.left; }
  int Top() const { return FRect.top; }
  int Right() const { return FRect.right; }
  int Bottom() const { return FRect.bottom; }
  void SetLeft(int v) { SetValue(0, v); }
  void SetTop(int v) { SetValue(1, v); }
  void SetRight(int v) { SetValue(2, v); }
  void SetBottom(int v) { SetValue(3, v); }
  bool IsEqual(const TRect& r) const { return FRect == r; }
  bool IsEqual(const TcxRect* other) const { return other && FRect == other->FRect; }

  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;

 protected:
  void DoAssign(TcxOwnedPersistent* source) override;
  // Descendants restrict the values here.
  virtual void ValidateRect(TRect& r) {}

 private:
  TRect FRect;
};

class TcxSize : public TcxGeometryObject {
  RTL_CLASS(TcxSize, TcxGeometryObject)

 public:
  explicit TcxSize(rtl::TPersistent* owner, int defaultWidth = 0, int defaultHeight = 0);
  static void Published(rtl::PropTable<TcxSize>& p);

  const TSize& Size() const { return FSize; }
  // Each value is clamped to at least 0.
  virtual void SetSize(const TSize& value);
  // 0: height, 1: width.
  virtual int GetValue(int index) const;
  void SetValue(int index, int value);
  virtual bool IsSizeStored(int index) const;
  int Width() const { return GetValue(1); }
  int Height() const { return GetValue(0); }
  void SetWidth(int v) { SetValue(1, v); }
  void SetHeight(int v) { SetValue(0, v); }
  bool IsEqual(const TSize& s) const { return FSize == s; }
  bool IsEqual(const TcxSize* other) const { return other && FSize == other->FSize; }

  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;

 protected:
  void DoAssign(TcxOwnedPersistent* source) override;

 private:
  bool isHeightStored() const { return IsSizeStored(0); }
  bool isWidthStored() const { return IsSizeStored(1); }
  TSize FDefaultSize;
  TSize FSize;
};

class TcxMargin : public TcxGeometryObject {
  RTL_CLASS(TcxMargin, TcxGeometryObject)

 public:
  explicit TcxMargin(rtl::TPersistent* owner, int defaultValue = 0);
  static void Published(rtl::PropTable<TcxMargin>& p);

  const TRect& Margin() const { return FMargin; }
  void SetMargin(const TRect& value);
  // 0: All (the common value, -1 when the sides differ), 1-4: left, top, right, bottom.
  int GetValue(int index) const;
  void SetValue(int index, int value);
  int All() const { return GetValue(0); }
  int Left() const { return GetValue(1); }
  int Top() const { return GetValue(2); }
  int Right() const { return GetValue(3); }
  int Bottom() const { return GetValue(4); }
  void SetAll(int v) { SetValue(0, v); }
  void SetLeft(int v) { SetValue(1, v); }
  void SetTop(int v) { SetValue(2, v); }
  void SetRight(int v) { SetValue(3, v); }
  void SetBottom(int v) { SetValue(4, v); }
  bool IsEqual(const TcxMargin* other) const { return other && FMargin == other->FMargin; }

  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;

 protected:
  void DoAssign(TcxOwnedPersistent* source) override;

 private:
  bool isAllStored() const { return All() != FDefaultValue; }
  bool isSideStored() const { return All() == -1; }
  int FDefaultValue;
  TRect FMargin;
};

// Registers TcxRect with the class registry; the stop withdraws it.
void cxGeometryInitialization();
void cxGeometryFinalization();

}  // namespace core

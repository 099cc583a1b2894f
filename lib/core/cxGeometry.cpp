#include "lib/core/cxGeometry.h"

#include <algorithm>

#include "lib/core/dxCore.h"
#include "platform/rtl/mathutil.h"

namespace core {

namespace {
// Toward minus infinity, also for odd negative values.
constexpr int half(int x) { return (x - (x & 1)) >> 1; }
int truncated(float v) { return static_cast<int>(v); }
}  // namespace

// --- measures and tests -------------------------------------------------------------------
int cxRectWidth(const TRect& r) { return r.right - r.left; }
int cxRectHeight(const TRect& r) { return r.bottom - r.top; }
float cxRectWidth(const TdxRectF& r) { return r.Right - r.Left; }
float cxRectHeight(const TdxRectF& r) { return r.Bottom - r.Top; }
TSize cxRectSize(const TRect& r) { return TSize{cxRectWidth(r), cxRectHeight(r)}; }
TSize cxSize(const TRect& r) { return cxRectSize(r); }
int cxMarginsWidth(const TRect& m) { return m.left + m.right; }
int cxMarginsHeight(const TRect& m) { return m.top + m.bottom; }
bool cxRectIsEmpty(const TRect& r) { return !(r.left < r.right && r.top < r.bottom); }
bool cxRectIsEmpty(const TdxRectF& r) { return !(r.Right > r.Left && r.Bottom > r.Top); }
bool cxRectIsNull(const TRect& r) { return r == cxNullRect; }
bool cxRectIsInvalid(const TRect& r) { return r == cxInvalidRect; }
bool cxRectIsEqual(const TRect& a, const TRect& b) { return a == b; }
bool cxRectPtIn(const TRect& r, const TPoint& p) { return cxRectPtIn(r, p.x, p.y); }
bool cxRectPtIn(const TRect& r, int x, int y) {
  return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}
bool cxRectContain(const TRect& b, const TRect& i) {
  return i.left >= b.left && i.right <= b.right && i.top >= b.top && i.bottom <= b.bottom;
}
bool cxRectIntersect(const TRect& a, const TRect& b) {
  TRect r;
  return cxRectIntersect(r, a, b);
}
bool cxRectIntersect(TRect& result, const TRect& a, const TRect& b) {
  result = TRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
  if (result.left < result.right && result.top < result.bottom) return true;
  result = cxNullRect;
  return false;
}

// --- construction ----------------------------------------------------------------------------
TRect cxRect(int l, int t, int r, int b) { return TRect{l, t, r, b}; }
TRect cxRect(const TPoint& tl, const TPoint& br) { return TRect{tl.x, tl.y, br.x, br.y}; }
TRect cxRect(const TSize& s) { return TRect{0, 0, s.cx, s.cy}; }
TRect cxRectBounds(int l, int t, int w, int h) { return TRect{l, t, l + w, t + h}; }
TRect cxRectBounds(const TPoint& p, int w, int h) { return cxRectBounds(p.x, p.y, w, h); }
TRect cxRectAdjust(const TRect& r) {
  return TRect{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
               std::max(r.top, r.bottom)};
}
TRect cxRectRotate(const TRect& r) { return TRect{r.top, r.left, r.bottom, r.right}; }
TRect cxRectInvert(const TRect& r) { return TRect{-r.left, -r.top, -r.right, -r.bottom}; }
TPoint cxRectLeftBottom(const TRect& r) { return TPoint{r.left, r.bottom}; }
TdxRectF cxRectF(float l, float t, float r, float b) { return TdxRectF{l, t, r, b}; }
TdxRectF dxRectF(float l, float t, float r, float b) { return TdxRectF{l, t, r, b}; }
TdxRectF cxRectF(const TRect& r) {
  return TdxRectF{static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
                  static_cast<float>(r.bottom)};
}
TdxRectF dxRectF(const TRect& r) { return cxRectF(r); }

// --- moving and resizing ----------------------------------------------------------------------
TRect cxRectOffset(const TRect& r, int dx, int dy, bool positive) {
  if (!positive) {
    dx = -dx;
    dy = -dy;
  }
  return TRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}
TRect cxRectOffset(const TRect& r, const TPoint& p, bool positive) {
  return cxRectOffset(r, p.x, p.y, positive);
}
TdxRectF cxRectOffset(const TdxRectF& r, float dx, float dy, bool positive) {
  if (!positive) {
    dx = -dx;
    dy = -dy;
  }
  return TdxRectF{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}
TdxRectF cxRectOffset(const TdxRectF& r, const TdxPointF& p, bool positive) {
  return cxRectOffset(r, p.X, p.Y, positive);
}
void cxRectsOffset(std::span<TdxRectF> rects, const TdxPointF& offset, bool positive) {
  for (TdxRectF& r : rects) r = cxRectOffset(r, offset, positive);
}
TRect cxRectOffsetHorz(const TRect& r, int dx) { return cxRectOffset(r, dx, 0); }
TRect cxRectOffsetVert(const TRect& r, int dy) { return cxRectOffset(r, 0, dy); }
TRect cxRectSetOrigin(const TRect& r, const TPoint& p) {
  return cxRectOffset(r, p.x - r.left, p.y - r.top);
}
TRect cxRectSetNullOrigin(const TRect& r) { return cxRectSetOrigin(r, cxNullPoint); }
TRect cxRectSetLeft(const TRect& r, int x) { return cxRectOffsetHorz(r, x - r.left); }
TRect cxRectSetTop(const TRect& r, int y) { return cxRectOffsetVert(r, y - r.top); }
TRect cxRectSetRight(const TRect& r, int x) { return cxRectOffsetHorz(r, x - r.right); }
TRect cxRectSetBottom(const TRect& r, int y) { return cxRectOffsetVert(r, y - r.bottom); }
TRect cxRectSetLeft(const TRect& r, int x, int w) { return TRect{x, r.top, x + w, r.bottom}; }
TRect cxRectSetTop(const TRect& r, int y, int h) { return TRect{r.left, y, r.right, y + h}; }
TRect cxRectSetRight(const TRect& r, int x, int w) { return TRect{x - w, r.top, x, r.bottom}; }
TRect cxRectSetBottom(const TRect& r, int y, int h) { return TRect{r.left, y - h, r.right, y}; }
TRect cxRectSetWidth(const TRect& r, int w) { return TRect{r.left, r.top, r.left + w, r.bottom}; }
TRect cxRectSetHeight(const TRect& r, int h) { return TRect{r.left, r.top, r.right, r.top + h}; }
TRect cxRectSetSize(const TRect& r, int w, int h) {
  return TRect{r.left, r.top, r.left + w, r.top + h};
}
TRect cxRectSetSize(const TRect& r, const TSize& s) { return cxRectSetSize(r, s.cx, s.cy); }
TRect cxRectInflate(const TRect& r, int d) { return cxRectInflate(r, d, d, d, d); }
TRect cxRectInflate(const TRect& r, int dx, int dy) { return cxRectInflate(r, dx, dy, dx, dy); }
TRect cxRectInflate(const TRect& r, int dx1, int dy1, int dx2, int dy2) {
  return TRect{r.left - dx1, r.top - dy1, r.right + dx2, r.bottom + dy2};
}
TRect cxRectInflate(const TRect& r, const TRect& m) {
  return cxRectInflate(r, m.left, m.top, m.right, m.bottom);
}
TdxRectF cxRectContent(const TdxRectF& r, const TdxRectF& m) {
  return TdxRectF{r.Left + m.Left, r.Top + m.Top, r.Right - m.Right, r.Bottom - m.Bottom};
}
TRect cxRectContent(const TRect& r, const TRect& m) {
  const TdxRectF f = cxRectContent(cxRectF(r), cxRectF(m));
  return TRect{truncated(f.Left), truncated(f.Top), truncated(f.Right), truncated(f.Bottom)};
}
TRect cxRectTransform(const TRect& r, const TRect& d) {
  return TRect{r.left + d.left, r.top + d.top, r.right + d.right, r.bottom + d.bottom};
}
TdxRectF cxRectUnion(const TdxRectF& a, const TdxRectF& b) {
  // An empty or null first rectangle is kept and extends the result.
  if (cxRectWidth(b) <= 0 || cxRectHeight(b) <= 0) return a;
  return TdxRectF{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                  std::max(a.Bottom, b.Bottom)};
}
TRect cxRectUnion(const TRect& a, const TRect& b) {
  const TdxRectF f = cxRectUnion(cxRectF(a), cxRectF(b));
  return TRect{truncated(f.Left), truncated(f.Top), truncated(f.Right), truncated(f.Bottom)};
}

// --- centring ----------------------------------------------------------------------------------
TPoint cxRectCenter(const TRect& r) { return TPoint{half(r.left + r.right), half(r.top + r.bottom)}; }
TRect cxRectCenter(const TRect& r, int w, int h) {
  const int left = half(r.left + r.right - w);
  const int top = half(r.top + r.bottom - h);
  return TRect{left, top, left + w, top + h};
}
TRect cxRectCenter(const TRect& r, const TSize& s) { return cxRectCenter(r, s.cx, s.cy); }
TRect cxRectCenterHorizontally(const TRect& r, int w) {
  const int left = half(r.left + r.right - w);
  return TRect{left, r.top, left + w, r.bottom};
}
TRect cxRectCenterVertically(const TRect& r, int h) {
  const int top = half(r.top + r.bottom - h);
  return TRect{r.left, top, r.right, top + h};
}
TdxPointF cxRectCenter(const TdxRectF& r) {
  return TdxPointF{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// --- points and sizes ----------------------------------------------------------------------------
TPoint cxPoint(int x, int y) { return TPoint{x, y}; }
TPoint cxPoint(const TSize& s) { return TPoint{s.cx, s.cy}; }
TPoint cxPoint(const TdxPointF& p, bool truncate) {
  if (truncate) return TPoint{truncated(p.X), truncated(p.Y)};
  return TPoint{static_cast<int>(rtl::Round(p.X)), static_cast<int>(rtl::Round(p.Y))};
}
TdxPointF cxPointF(float x, float y) { return TdxPointF{x, y}; }
TdxPointF dxPointF(float x, float y) { return TdxPointF{x, y}; }
TdxPointF dxPointF(const TPoint& p) {
  return TdxPointF{static_cast<float>(p.x), static_cast<float>(p.y)};
}
TdxSizeF dxSizeF(float w, float h) { return TdxSizeF{w, h}; }
TPoint cxPointOffset(const TPoint& p, int x, int y, bool positive) {
  return positive ? TPoint{p.x + x, p.y + y} : TPoint{p.x - x, p.y - y};
}
TPoint cxPointOffset(const TPoint& p, const TPoint& d, bool positive) {
  return cxPointOffset(p, d.x, d.y, positive);
}
void cxPointsOffset(std::span<TdxPointF> points, const TdxPointF& offset) {
  for (TdxPointF& p : points) {
    p.X += offset.X;
    p.Y += offset.Y;
  }
}
TPoint cxPointInvert(const TPoint& p) { return TPoint{-p.x, -p.y}; }
bool cxPointIsEqual(const TPoint& a, const TPoint& b) { return a == b; }
bool cxPointIsInvalid(const TPoint& p) { return p == cxInvalidPoint; }
TPoint cxPointScale(const TPoint& p, int numerator, int denominator) {
  return TPoint{rtl::MulDiv(p.x, numerator, denominator), rtl::MulDiv(p.y, numerator, denominator)};
}
TSize cxSize(int w, int h) { return TSize{w, h}; }
bool cxSizeIsEqual(const TSize& a, const TSize& b) { return a == b; }

// --- geometry classes ------------------------------------------------------------------------------
void TcxGeometryObject::DoChange() { dxCallNotify(FOnChange, this); }

namespace {
void readValues(rtl::TStream* stream, int* values, int count) {
  for (int i = 0; i < count; ++i) values[i] = stream->ReadInt32();
}
}  // namespace

// TcxRect
void TcxRect::Published(rtl::PropTable<TcxRect>& p) {
  p.Int("Left", &TcxRect::Left, &TcxRect::SetLeft).Default(0);
  p.Int("Top", &TcxRect::Top, &TcxRect::SetTop).Default(0);
  p.Int("Right", &TcxRect::Right, &TcxRect::SetRight).Default(0);
  p.Int("Bottom", &TcxRect::Bottom, &TcxRect::SetBottom).Default(0);
  p.Event("OnChange", &TcxRect::OnChange, &TcxRect::SetOnChange);
}

void TcxRect::SetRect(const TRect& value) {
  TRect r = value;
  ValidateRect(r);
  if (r == FRect) return;
  FRect = r;
  DoChange();
}

int TcxRect::GetValue(int index) const {
  switch (index) {
    case 0: return FRect.left;
    case 1: return FRect.top;
    case 2: return FRect.right;
    default: return FRect.bottom;
  }
}

void TcxRect::SetValue(int index, int value) {
  TRect r = FRect;
  switch (index) {
    case 0: r.left = value; break;
    case 1: r.top = value; break;
    case 2: r.right = value; break;
    default: r.bottom = value; break;
  }
  SetRect(r);
}

void TcxRect::DoAssign(TcxOwnedPersistent* source) {
  if (auto* other = dynamic_cast<TcxRect*>(source)) SetRect(other->FRect);
}

void TcxRect::LoadFromStream(rtl::TStream* stream) {
  int v[4];
  readValues(stream, v, 4);
  SetRect(TRect{v[0], v[1], v[2], v[3]});
}

void TcxRect::SaveToStream(rtl::TStream* stream) {
  for (int v : {FRect.left, FRect.top, FRect.right, FRect.bottom}) stream->WriteInt32(v);
}

// TcxSize
TcxSize::TcxSize(rtl::TPersistent* owner, int defaultWidth, int defaultHeight)
    : TcxGeometryObject(owner), FDefaultSize{defaultWidth, defaultHeight}, FSize{defaultWidth, defaultHeight} {}

void TcxSize::Published(rtl::PropTable<TcxSize>& p) {
  p.Int("Height", &TcxSize::Height, &TcxSize::SetHeight).Stored(&TcxSize::isHeightStored);
  p.Int("Width", &TcxSize::Width, &TcxSize::SetWidth).Stored(&TcxSize::isWidthStored);
}

void TcxSize::SetSize(const TSize& value) {
  const TSize s{std::max(value.cx, 0), std::max(value.cy, 0)};
  if (s == FSize) return;
  FSize = s;
  DoChange();
}

int TcxSize::GetValue(int index) const { return index == 0 ? FSize.cy : FSize.cx; }

void TcxSize::SetValue(int index, int value) {
  TSize s = FSize;
  if (index == 0)
    s.cy = value;
  else
    s.cx = value;
  SetSize(s);
}

bool TcxSize::IsSizeStored(int index) const {
  return index == 0 ? FSize.cy != FDefaultSize.cy : FSize.cx != FDefaultSize.cx;
}

void TcxSize::DoAssign(TcxOwnedPersistent* source) {
  if (auto* other = dynamic_cast<TcxSize*>(source)) SetSize(other->FSize);
}

void TcxSize::LoadFromStream(rtl::TStream* stream) {
  int v[2];
  readValues(stream, v, 2);
  SetSize(TSize{v[0], v[1]});
}

void TcxSize::SaveToStream(rtl::TStream* stream) {
  stream->WriteInt32(FSize.cx);
  stream->WriteInt32(FSize.cy);
}

// TcxMargin
TcxMargin::TcxMargin(rtl::TPersistent* owner, int defaultValue)
    : TcxGeometryObject(owner), FDefaultValue(defaultValue) {
  SetAll(defaultValue);
}

void TcxMargin::Published(rtl::PropTable<TcxMargin>& p) {
  p.Int("All", &TcxMargin::All, &TcxMargin::SetAll).Stored(&TcxMargin::isAllStored);
  p.Int("Left", &TcxMargin::Left, &TcxMargin::SetLeft).Stored(&TcxMargin::isSideStored);
  p.Int("Top", &TcxMargin::Top, &TcxMargin::SetTop).Stored(&TcxMargin::isSideStored);
  p.Int("Right", &TcxMargin::Right, &TcxMargin::SetRight).Stored(&TcxMargin::isSideStored);
  p.Int("Bottom", &TcxMargin::Bottom, &TcxMargin::SetBottom).Stored(&TcxMargin::isSideStored);
}

int TcxMargin::GetValue(int index) const {
  switch (index) {
    case 1: return FMargin.left;
    case 2: return FMargin.top;
    case 3: return FMargin.right;
    case 4: return FMargin.bottom;
    default: {
      const bool same = FMargin.left == FMargin.top && FMargin.left == FMargin.right &&
                        FMargin.left == FMargin.bottom;
      return same ? FMargin.left : -1;
    }
  }
}

void TcxMargin::SetValue(int index, int value) {
  if (value == GetValue(index)) return;
  switch (index) {
    case 1: FMargin.left = value; break;
    case 2: FMargin.top = value; break;
    case 3: FMargin.right = value; break;
    case 4: FMargin.bottom = value; break;
    default: FMargin = TRect{value, value, value, value}; break;
  }
  DoChange();
}

void TcxMargin::SetMargin(const TRect& value) {
  if (value == FMargin) return;
  FMargin = value;
  DoChange();
}

void TcxMargin::DoAssign(TcxOwnedPersistent* source) {
  if (auto* other = dynamic_cast<TcxMargin*>(source)) SetMargin(other->FMargin);
}

void TcxMargin::LoadFromStream(rtl::TStream* stream) {
  int v[4];
  readValues(stream, v, 4);
  SetMargin(TRect{v[0], v[1], v[2], v[3]});
}

void TcxMargin::SaveToStream(rtl::TStream* stream) {
  for (int v : {FMargin.left, FMargin.top, FMargin.right, FMargin.bottom}) stream->WriteInt32(v);
}

void cxGeometryInitialization() { rtl::RegisterClass(TcxRect::classInfo()); }
void cxGeometryFinalization() { rtl::UnRegisterClass(TcxRect::classInfo()); }

}  // namespace core

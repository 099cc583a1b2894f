// Brushes and the cairo patterns they become.
#include <cstring>

#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/impl/objects.h"

namespace gdiplus {
namespace {

void addStop(cairo_pattern_t* p, double offset, ARGB c) {
  cairo_pattern_add_color_stop_rgba(p, offset, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                    (c & 0xFF) / 255.0, (c >> 24) / 255.0);
}

cairo_extend_t extendFor(WrapMode wrap) {
  switch (wrap) {
    case WrapModeTile: return CAIRO_EXTEND_REPEAT;
    case WrapModeClamp: return CAIRO_EXTEND_NONE;
    default: return CAIRO_EXTEND_REFLECT;  // the flips mirror both ways here
  }
}

}  // namespace

void cairoSetSource(cairo_t* cr, ARGB c) {
  cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                        (c >> 24) / 255.0);
}

cairo_surface_t* surfaceFor(const codecs::Raster& r) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, r.width, r.height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    fail(OutOfMemory, "cannot create a drawing surface");
  }
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < r.height; ++y) std::memcpy(data + static_cast<std::ptrdiff_t>(stride) * y, r.row(y), r.width * 4u);
  cairo_surface_mark_dirty(s);
  return s;
}

namespace {

cairo_pattern_t* solidPattern(ARGB color) {
  return cairo_pattern_create_rgba(((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                                   (color & 0xFF) / 255.0, (color >> 24) / 255.0);
}

cairo_pattern_t* linePattern(const GpLineGradient& g) {
  const GpPointF& start = g.start;
  const GpPointF& end = g.end;
  cairo_pattern_t* p = cairo_pattern_create_linear(start.X, start.Y, end.X, end.Y);
  addStop(p, 0, g.colors[0]);
  addStop(p, 1, g.colors[1]);
  cairo_pattern_set_extend(p, extendFor(g.wrap));
  const cairo_matrix_t m = toCairo(g.placement.inverted());
  cairo_pattern_set_matrix(p, &m);
  return p;
}

cairo_pattern_t* texturePattern(const GpTexture& t, cairo_filter_t filter) {
  cairo_surface_t* s = surfaceFor(t.premultiplied);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(s);
  cairo_surface_destroy(s);
  cairo_pattern_set_extend(p, extendFor(t.wrap));
  cairo_pattern_set_filter(p, filter);
  const cairo_matrix_t m = toCairo(t.transform.inverted());
  cairo_pattern_set_matrix(p, &m);
  return p;
}

}  // namespace

cairo_pattern_t* patternFor(const GpBrush& brush, cairo_filter_t filter) {
  switch (brush.type()) {
    case BrushTypeSolidColor: return solidPattern(static_cast<const GpSolidFill&>(brush).color);
    case BrushTypeLinearGradient: return linePattern(static_cast<const GpLineGradient&>(brush));
    case BrushTypeTextureFill: return texturePattern(static_cast<const GpTexture&>(brush), filter);
    default: break;
  }
  fail(NotImplemented, "brush type");
}

// ---- flat functions ----------------------------------------------------------------------
namespace {

template <class T, class F>
GpStatus onBrush(T* brush, F&& f) {
  return guarded([&] {
    need(brush, "brush");
    f(*brush);
  });
}

void checkWrap(WrapMode wrap) { need(wrap >= WrapModeTile && wrap <= WrapModeClamp, "wrap mode"); }

GpLineGradient* makeLine(GpPointF a, GpPointF b, ARGB c1, ARGB c2, WrapMode wrap) {
  checkWrap(wrap);
  need(wrap != WrapModeClamp, "wrap mode");
  need(a.X != b.X || a.Y != b.Y, "gradient points coincide");
  auto g = std::make_unique<GpLineGradient>();
  g->start = a;
  g->end = b;
  g->colors[0] = c1;
  g->colors[1] = c2;
  g->wrap = wrap;
  return g.release();
}

}  // namespace

GpStatus GdipCloneBrush(GpBrush* brush, GpBrush** clone) {
  return onBrush(brush, [&](GpBrush& b) {
    need(clone, "clone");
    *clone = b.clone().release();
  });
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  if (!brush) return InvalidParameter;
  delete brush;
  return Ok;
}

GpStatus GdipGetBrushType(GpBrush* brush, BrushType* type) {
  return onBrush(brush, [&](GpBrush& b) {
    need(type, "type");
    *type = b.type();
  });
}

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  return guarded([&] {
    need(brush, "brush");
    auto b = std::make_unique<GpSolidFill>();
    b->color = color;
    *brush = b.release();
  });
}

GpStatus GdipSetSolidFillColor(GpSolidFill* brush, ARGB color) {
  return onBrush(brush, [&](GpSolidFill& b) { b.color = color; });
}

GpStatus GdipGetSolidFillColor(GpSolidFill* brush, ARGB* color) {
  return onBrush(brush, [&](GpSolidFill& b) {
    need(color, "colour");
    *color = b.color;
  });
}

GpStatus GdipCreateLineBrush(const GpPointF* point1, const GpPointF* point2, ARGB color1, ARGB color2,
                             WrapMode wrapMode, GpLineGradient** brush) {
  return guarded([&] {
    need(point1 && point2 && brush, "line brush");
    *brush = makeLine(*point1, *point2, color1, color2, wrapMode);
  });
}

GpStatus GdipCreateLineBrushI(const GpPoint* point1, const GpPoint* point2, ARGB color1, ARGB color2,
                              WrapMode wrapMode, GpLineGradient** brush) {
  if (!point1 || !point2) return InvalidParameter;
  const GpPointF a{REAL(point1->X), REAL(point1->Y)}, b{REAL(point2->X), REAL(point2->Y)};
  return GdipCreateLineBrush(&a, &b, color1, color2, wrapMode, brush);
}

GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     WrapMode wrapMode, GpLineGradient** brush) {
  return guarded([&] {
    need(rect && brush && rect->Width != 0 && rect->Height != 0, "rectangle");
    // The gradient is laid out in the unit square and stretched over the
    // rectangle, so diagonal bands follow the rectangle's other diagonal.
    GpPointF a{0, 0}, b{1, 0};
    switch (mode) {
      case LinearGradientModeHorizontal: break;
      case LinearGradientModeVertical: b = {0, 1}; break;
      case LinearGradientModeForwardDiagonal: b = {1, 1}; break;
      case LinearGradientModeBackwardDiagonal: a = {1, 0}, b = {0, 1}; break;
      default: fail(InvalidParameter, "gradient mode");
    }
    std::unique_ptr<GpLineGradient> g(makeLine(a, b, color1, color2, wrapMode));
    g->placement = Affine::scaling(rect->Width, rect->Height).then(Affine::translation(rect->X, rect->Y));
    *brush = g.release();
  });
}

GpStatus GdipCreateLineBrushFromRectI(const GpRect* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                      WrapMode wrapMode, GpLineGradient** brush) {
  if (!rect) return InvalidParameter;
  const GpRectF r{REAL(rect->X), REAL(rect->Y), REAL(rect->Width), REAL(rect->Height)};
  return GdipCreateLineBrushFromRect(&r, color1, color2, mode, wrapMode, brush);
}

GpStatus GdipSetLineColors(GpLineGradient* brush, ARGB color1, ARGB color2) {
  return onBrush(brush, [&](GpLineGradient& b) {
    b.colors[0] = color1;
    b.colors[1] = color2;
  });
}

GpStatus GdipGetLineColors(GpLineGradient* brush, ARGB* colors) {
  return onBrush(brush, [&](GpLineGradient& b) {
    need(colors, "colours");
    colors[0] = b.colors[0];
    colors[1] = b.colors[1];
  });
}

GpStatus GdipSetLineWrapMode(GpLineGradient* brush, WrapMode wrapMode) {
  return onBrush(brush, [&](GpLineGradient& b) {
    checkWrap(wrapMode);
    need(wrapMode != WrapModeClamp, "wrap mode");
    b.wrap = wrapMode;
  });
}

GpStatus GdipGetLineWrapMode(GpLineGradient* brush, WrapMode* wrapMode) {
  return onBrush(brush, [&](GpLineGradient& b) {
    need(wrapMode, "wrap mode");
    *wrapMode = b.wrap;
  });
}

GpStatus GdipCreateTexture(GpImage* image, WrapMode wrapMode, GpTexture** texture) {
  return guarded([&] {
    GpBitmap* b = asBitmap(image);
    need(texture, "texture");
    checkWrap(wrapMode);
    auto t = std::make_unique<GpTexture>();
    t->premultiplied = b->premultipliedCopy(0, 0, b->width(), b->height());
    t->wrap = wrapMode;
    *texture = t.release();
  });
}

GpStatus GdipCreateTexture2I(GpImage* image, WrapMode wrapMode, INT x, INT y, INT width, INT height,
                             GpTexture** texture) {
  return guarded([&] {
    GpBitmap* b = asBitmap(image);
    need(texture, "texture");
    checkWrap(wrapMode);
    need(x >= 0 && y >= 0 && width > 0 && height > 0 && x <= b->width() - width && y <= b->height() - height,
         "texture rectangle");
    auto t = std::make_unique<GpTexture>();
    t->premultiplied = b->premultipliedCopy(x, y, width, height);
    t->wrap = wrapMode;
    *texture = t.release();
  });
}

GpStatus GdipCreateTexture2(GpImage* image, WrapMode wrapMode, REAL x, REAL y, REAL width, REAL height,
                            GpTexture** texture) {
  return GdipCreateTexture2I(image, wrapMode, static_cast<INT>(x), static_cast<INT>(y), static_cast<INT>(width),
                             static_cast<INT>(height), texture);
}

GpStatus GdipSetTextureWrapMode(GpTexture* brush, WrapMode wrapMode) {
  return onBrush(brush, [&](GpTexture& b) {
    checkWrap(wrapMode);
    b.wrap = wrapMode;
  });
}

GpStatus GdipGetTextureWrapMode(GpTexture* brush, WrapMode* wrapMode) {
  return onBrush(brush, [&](GpTexture& b) {
    need(wrapMode, "wrap mode");
    *wrapMode = b.wrap;
  });
}

GpStatus GdipSetTextureTransform(GpTexture* brush, const GpMatrix* matrix) {
  return onBrush(brush, [&](GpTexture& b) {
    need(matrix && matrix->m.invertible(), "matrix");
    b.transform = matrix->m;
  });
}

GpStatus GdipResetTextureTransform(GpTexture* brush) {
  return onBrush(brush, [&](GpTexture& b) { b.transform = Affine(); });
}

GpStatus GdipTranslateTextureTransform(GpTexture* brush, REAL dx, REAL dy, MatrixOrder order) {
  return onBrush(brush, [&](GpTexture& b) { b.transform = combine(b.transform, Affine::translation(dx, dy), order); });
}

GpStatus GdipScaleTextureTransform(GpTexture* brush, REAL sx, REAL sy, MatrixOrder order) {
  return onBrush(brush, [&](GpTexture& b) {
    need(sx != 0 && sy != 0, "scale");
    b.transform = combine(b.transform, Affine::scaling(sx, sy), order);
  });
}

}  // namespace gdiplus

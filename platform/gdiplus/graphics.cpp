// Graphics over cairo: state, clipping, drawing and images.
#include "platform/gdiplus/graphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdiplus/impl/graphics_impl.h"

namespace gdiplus {

// ---- target binding -------------------------------------------------------------------------
GpGraphics::~GpGraphics() {
  if (cr) cairo_destroy(cr);
  if (surface) cairo_surface_destroy(surface);
  if (bitmap) --bitmap->graphicsUsers;
}

void GpGraphics::bind(std::uint8_t* data, int width, int height, int stride, bool opaque) {
  surface = cairo_image_surface_create_for_data(data, opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width,
                                                height, stride);
  cr = cairo_create(surface);
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) fail(OutOfMemory, "cannot draw on the target");
  surfaceWidth = width;
  surfaceHeight = height;
}

void GpGraphics::beginOp(const DeviceBox& box) {
  if (shadowOf) {
    // Bring the target's pixels into the shadow: as they are for a DC,
    // premultiplied for a straight-alpha bitmap.
    for (int y = 0; y < shadow.height; ++y)
      for (int x = 0; x < shadow.width; ++x)
        shadow.row(y)[x] = dcTarget ? shadowOf->row(y)[x] : shadowOf->getPremultiplied(x, y);
    cairo_surface_mark_dirty(surface);
  }
  if (dcTarget) {
    // Remember the box so that alpha bytes can follow the GDI rule after.
    opBox = box.clippedTo(surfaceWidth, surfaceHeight);
    saved.clear();
    for (int y = opBox.y0; y < opBox.y1; ++y)
      for (int x = opBox.x0; x < opBox.x1; ++x) saved.push_back(pixelRow(y)[x]);
  }
}

void GpGraphics::endOp() {
  cairo_surface_flush(surface);
  if (dcTarget) {
    // Pixels drawn on a DC carry alpha 0; untouched ones keep their byte.
    std::size_t i = 0;
    for (int y = opBox.y0; y < opBox.y1; ++y)
      for (int x = opBox.x0; x < opBox.x1; ++x, ++i) {
        std::uint32_t& p = pixelRow(y)[x];
        p = ((p ^ saved[i]) & 0xFFFFFF) ? (p & 0xFFFFFF) : saved[i];
      }
    cairo_surface_mark_dirty(surface);
  }
  if (shadowOf)
    for (int y = 0; y < shadow.height; ++y)
      for (int x = 0; x < shadow.width; ++x) {
        if (dcTarget) shadowOf->row(y)[x] = shadow.row(y)[x];
        else shadowOf->setArgb(x, y, codecs::unpremultiply(shadow.row(y)[x]));
      }
}

std::uint32_t* GpGraphics::pixelRow(int y) {
  return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                          static_cast<std::ptrdiff_t>(cairo_image_surface_get_stride(surface)) * y);
}

DeviceBox DeviceBox::clippedTo(int w, int h) const {
  DeviceBox b{std::max(x0, 0), std::max(y0, 0), std::min(x1, w), std::min(y1, h)};
  if (b.x1 < b.x0) b.x1 = b.x0;
  if (b.y1 < b.y0) b.y1 = b.y0;
  return b;
}

// ---- state applied to cairo ----------------------------------------------------------------
Affine GpGraphics::worldToDevice() const { return world.then(deviceBase); }

void GpGraphics::setMatrix(bool stroke) {
  Affine m = worldToDevice();
  if (stroke && pixelOffset != PixelOffsetModeHalf && pixelOffset != PixelOffsetModeHighQuality)
    m = m.then(Affine::translation(0.5, 0.5));
  const cairo_matrix_t cm = toCairo(m);
  cairo_set_matrix(cr, &cm);
}

void GpGraphics::prepare(bool stroke) {
  if (!worldToDevice().invertible()) fail(InvalidParameter, "the world transform is singular");
  setMatrix(stroke);
  const bool smooth = smoothing == SmoothingModeAntiAlias || smoothing == SmoothingModeHighQuality ||
                      smoothing == SmoothingModeAntiAlias8x8;
  cairo_set_antialias(cr, smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr, compositing == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
  cairo_new_path(cr);
}

cairo_filter_t GpGraphics::filter() const {
  switch (interpolation) {
    case InterpolationModeNearestNeighbor: return CAIRO_FILTER_NEAREST;
    case InterpolationModeHighQuality:
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBicubic: return CAIRO_FILTER_GOOD;
    default: return CAIRO_FILTER_BILINEAR;
  }
}

void GpGraphics::applyClip() {
  cairo_identity_matrix(cr);
  cairo_reset_clip(cr);
  // Clip regions are pixel sets, as on the platform: no anti-aliasing.
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  if (!dcClip.empty()) {
    cairo_new_path(cr);
    for (const DeviceBox& b : dcClip) cairo_rectangle(cr, b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr);
  }
  if (clipEmpty) {
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, 0, 0);
    cairo_clip(cr);
  }
  for (const ClipItem& item : clip) {
    cairo_new_path(cr);
    if (item.exclude) {
      cairo_rectangle(cr, -1e6, -1e6, 2e6, 2e6);
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    } else {
      cairo_set_fill_rule(cr, item.path.fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING
                                                                     : CAIRO_FILL_RULE_EVEN_ODD);
    }
    item.path.replay(cr);
    cairo_clip(cr);
  }
}

DeviceBox GpGraphics::extentsOf(bool stroke) {
  double x0, y0, x1, y1;
  if (stroke) cairo_stroke_extents(cr, &x0, &y0, &x1, &y1);
  else cairo_fill_extents(cr, &x0, &y0, &x1, &y1);
  double xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int i = 0; i < 4; ++i) {
    cairo_user_to_device(cr, &xs[i], &ys[i]);
    minX = std::min(minX, xs[i]), maxX = std::max(maxX, xs[i]);
    minY = std::min(minY, ys[i]), maxY = std::max(maxY, ys[i]);
  }
  auto clampInt = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
  return DeviceBox{clampInt(std::floor(minX)) - 1, clampInt(std::floor(minY)) - 1, clampInt(std::ceil(maxX)) + 1,
                   clampInt(std::ceil(maxY)) + 1};
}

DeviceBox GpGraphics::everything() const { return DeviceBox{0, 0, surfaceWidth, surfaceHeight}; }

// ---- the drawing primitives ------------------------------------------------------------------
namespace {

struct Pattern {
  cairo_pattern_t* p;
  ~Pattern() { cairo_pattern_destroy(p); }
};

cairo_line_cap_t capFor(LineCap cap) {
  switch (cap) {
    case LineCapSquare:
    case LineCapSquareAnchor: return CAIRO_LINE_CAP_SQUARE;
    case LineCapRound:
    case LineCapRoundAnchor: return CAIRO_LINE_CAP_ROUND;
    default: return CAIRO_LINE_CAP_BUTT;
  }
}

}  // namespace

void GpGraphics::fillPath(const GpBrush& brush, const std::function<void()>& build, FillMode mode) {
  prepare(false);
  build();
  cairo_set_fill_rule(cr, mode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  Pattern pattern{patternFor(brush, filter())};
  cairo_set_source(cr, pattern.p);
  beginOp(extentsOf(false));
  cairo_fill(cr);
  endOp();
}

void GpGraphics::strokePath(const GpPen& pen, const std::function<void()>& build) {
  prepare(true);
  build();
  double width = pen.width;
  if (width <= 0) {
    // Width 0 is one device pixel whatever the transform.
    double dx = 1, dy = 0;
    cairo_device_to_user_distance(cr, &dx, &dy);
    width = std::hypot(dx, dy);
  }
  cairo_set_line_width(cr, width);
  const double unit = std::max(width, pen.width > 0 ? static_cast<double>(pen.width) : 1.0);
  std::vector<double> dashes;
  switch (pen.dashStyle) {
    case DashStyleDash: dashes = {3, 1}; break;
    case DashStyleDot: dashes = {1, 1}; break;
    case DashStyleDashDot: dashes = {3, 1, 1, 1}; break;
    case DashStyleDashDotDot: dashes = {3, 1, 1, 1, 1, 1}; break;
    case DashStyleCustom: dashes.assign(pen.dashes.begin(), pen.dashes.end()); break;
    default: break;
  }
  for (double& d : dashes) d *= unit;
  cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), pen.dashOffset * unit);
  if (dashes.empty()) cairo_set_line_cap(cr, capFor(pen.startCap));
  else cairo_set_line_cap(cr, pen.dashCap == DashCapRound ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, pen.join == LineJoinBevel  ? CAIRO_LINE_JOIN_BEVEL
                          : pen.join == LineJoinRound ? CAIRO_LINE_JOIN_ROUND
                                                      : CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr, pen.miterLimit);
  GpSolidFill solid;
  solid.color = pen.color;
  Pattern pattern{patternFor(pen.brush ? *pen.brush : solid, filter())};
  cairo_set_source(cr, pattern.p);
  beginOp(extentsOf(true));
  cairo_stroke(cr);
  endOp();
}

void GpGraphics::drawImage(GpBitmap& image, double dx, double dy, double dw, double dh, double sx, double sy,
                           double sw, double sh, const GpImageAttributes* attributes) {
  if (dw == 0 || dh == 0) return;
  need(sw > 0 && sh > 0, "source rectangle");
  const int ix = static_cast<int>(std::floor(sx)), iy = static_cast<int>(std::floor(sy));
  const int iw = static_cast<int>(std::ceil(sx + sw)) - ix, ih = static_cast<int>(std::ceil(sy + sh)) - iy;
  codecs::Raster source = image.premultipliedCopy(ix, iy, iw, ih);
  double alpha = attributes ? attributes->constantAlpha() : 1.0;
  if (alpha < 0) {
    applyColorMatrix(source, attributes->matrix);
    alpha = 1.0;
  }
  if (alpha <= 0) return;
  cairo_surface_t* s = surfaceFor(source);
  Pattern pattern{cairo_pattern_create_for_surface(s)};
  cairo_surface_destroy(s);
  const Affine toSource = Affine::translation(-dx, -dy)
                              .then(Affine::scaling(sw / dw, sh / dh))
                              .then(Affine::translation(sx - ix, sy - iy));
  const cairo_matrix_t m = toCairo(toSource);
  cairo_pattern_set_matrix(pattern.p, &m);
  cairo_pattern_set_extend(pattern.p, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern.p, filter());
  prepare(false);
  cairo_rectangle(cr, dx, dy, dw, dh);
  cairo_set_source(cr, pattern.p);
  beginOp(extentsOf(false));
  if (alpha >= 1.0) {
    cairo_fill(cr);
  } else {
    cairo_save(cr);
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
  }
  endOp();
}

void applyColorMatrix(codecs::Raster& premultiplied, const ColorMatrix& cm) {
  for (std::uint32_t& p : premultiplied.pixels) {
    const std::uint32_t s = codecs::unpremultiply(p);
    const double in[5] = {((s >> 16) & 0xFF) / 255.0, ((s >> 8) & 0xFF) / 255.0, (s & 0xFF) / 255.0, (s >> 24) / 255.0,
                          1.0};
    std::uint32_t c[4];
    for (int j = 0; j < 4; ++j) {
      double v = 0;
      for (int i = 0; i < 5; ++i) v += in[i] * cm.m[i][j];
      c[j] = static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    }
    p = codecs::premultiply((c[3] << 24) | (c[0] << 16) | (c[1] << 8) | c[2]);
  }
}

}  // namespace gdiplus

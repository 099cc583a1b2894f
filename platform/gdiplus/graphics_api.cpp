// The flat functions of graphics, regions and clipping.
#include <cmath>

#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/impl/graphics_impl.h"
#include "platform/rtl/scoped.h"

namespace gdiplus {
namespace {

template <class F>
GpStatus onGraphics(GpGraphics* g, F&& f) {
  return guarded([&] {
    need(g, "graphics");
    f(*g);
  });
}

GpPath rectPath(double x, double y, double w, double h) {
  GpPath p;
  p.addRectangle(x, y, w, h);
  return p;
}

std::vector<GpPointF> toFloat(const GpPoint* pts, INT count) {
  std::vector<GpPointF> out;
  for (INT i = 0; i < count; ++i) out.push_back({static_cast<REAL>(pts[i].X), static_cast<REAL>(pts[i].Y)});
  return out;
}

// Combines a shape given in surface pixels into the graphics' clip.
void combineClip(GpGraphics& g, GpPath devicePath, CombineMode mode) {
  switch (mode) {
    case CombineModeReplace:
      g.clip.clear();
      g.clipEmpty = false;
      g.clip.push_back({std::move(devicePath), false});
      break;
    case CombineModeIntersect: g.clip.push_back({std::move(devicePath), false}); break;
    case CombineModeExclude: g.clip.push_back({std::move(devicePath), true}); break;
    default: fail(NotImplemented, "clip combine mode");
  }
  g.applyClip();
}

// The region as a tree: the intersection of its items, or its tree.
std::shared_ptr<const RegionNode> treeOf(const GpRegion& r) {
  if (r.tree) return r.tree;
  auto node = std::make_shared<RegionNode>();
  node->kind = r.empty ? RegionNode::Kind::Empty : RegionNode::Kind::Infinite;
  std::shared_ptr<const RegionNode> acc = node;
  if (r.empty) return acc;
  for (const ClipItem& item : r.items) {
    auto leaf = std::make_shared<RegionNode>();
    leaf->kind = RegionNode::Kind::Shape;
    leaf->path = item.path;
    auto c = std::make_shared<RegionNode>();
    c->kind = RegionNode::Kind::Combine;
    c->mode = item.exclude ? CombineModeExclude : CombineModeIntersect;
    c->left = acc;
    c->right = std::move(leaf);
    acc = std::move(c);
  }
  return acc;
}

void combineRegion(GpRegion& r, GpPath path, CombineMode mode) {
  if (mode < CombineModeReplace || mode > CombineModeComplement) fail(InvalidParameter, "region combine mode");
  const bool simple = mode == CombineModeReplace ||
                      (!r.tree && (mode == CombineModeIntersect || mode == CombineModeExclude));
  if (!simple) {
    auto leaf = std::make_shared<RegionNode>();
    leaf->kind = RegionNode::Kind::Shape;
    leaf->path = std::move(path);
    auto c = std::make_shared<RegionNode>();
    c->kind = RegionNode::Kind::Combine;
    c->mode = mode;
    c->left = treeOf(r);
    c->right = std::move(leaf);
    r.items.clear();
    r.empty = false;
    r.tree = std::move(c);
    return;
  }
  switch (mode) {
    case CombineModeReplace:
      r.items.clear();
      r.tree.reset();
      r.empty = false;
      r.items.push_back({std::move(path), false});
      break;
    case CombineModeIntersect: r.items.push_back({std::move(path), false}); break;
    default: r.items.push_back({std::move(path), true}); break;
  }
}

// An empty shape combined into a region.
void combineRegionEmpty(GpRegion& r, CombineMode mode) {
  if (mode < CombineModeReplace || mode > CombineModeComplement) fail(InvalidParameter, "region combine mode");
  if (mode == CombineModeReplace || mode == CombineModeIntersect || mode == CombineModeComplement) {
    r = GpRegion();
    r.empty = true;
  }
  // Union, xor and exclude with nothing leave the region as it is.
}

// A region tree as device pixels for the graphics: a path of rectangles.
GpPath devicePixelsOf(GpGraphics& g, const RegionNode& tree) {
  const auto mask = rasteriseRegion(tree, g.worldToDevice(), g.surfaceWidth, g.surfaceHeight);
  return rectanglesOf(mask, g.surfaceWidth, g.surfaceHeight);
}

std::shared_ptr<const RegionNode> translatedTree(const std::shared_ptr<const RegionNode>& n, REAL dx, REAL dy) {
  if (n->kind == RegionNode::Kind::Infinite || n->kind == RegionNode::Kind::Empty) return n;
  auto out = std::make_shared<RegionNode>(*n);
  if (n->kind == RegionNode::Kind::Shape) {
    out->path = n->path.transformed(Affine::translation(dx, dy));
  } else {
    out->left = translatedTree(n->left, dx, dy);
    out->right = translatedTree(n->right, dx, dy);
  }
  return out;
}

}  // namespace

// ---- creation ----------------------------------------------------------------------------
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  return guarded([&] {
    need(graphics, "graphics");
    GpBitmap* b = asBitmap(image);
    if (b->locked) fail(WrongState, "the bitmap is locked");
    auto g = std::make_unique<GpGraphics>();
    PixelStore& px = b->pixels();
    if (px.layout == Layout::Straight && !px.external()) px.convertTo(Layout::Premultiplied);
    if (px.layout == Layout::Straight || px.stride < 0) {
      // The caller's straight-alpha memory is drawn through a premultiplied copy.
      g->shadow = PixelStore::allocate(px.width, px.height, Layout::Premultiplied);
      g->shadowOf = &px;
      g->bind(g->shadow.scan0, px.width, px.height, g->shadow.stride, false);
    } else {
      g->bind(px.scan0, px.width, px.height, px.stride, px.layout == Layout::Opaque);
    }
    g->bitmap = b;
    ++b->graphicsUsers;
    g->applyClip();
    *graphics = g.release();
  });
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  if (!graphics) return InvalidParameter;
  delete graphics;
  return Ok;
}

GpStatus GdipFlush(GpGraphics* graphics, int) {
  return onGraphics(graphics, [](GpGraphics& g) { cairo_surface_flush(g.surface); });
}

// ---- settings ----------------------------------------------------------------------------
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode >= SmoothingModeDefault && mode <= SmoothingModeAntiAlias8x8, "smoothing mode");
    g.smoothing = mode;
  });
}
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode, "mode");
    *mode = g.smoothing;
  });
}
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode >= InterpolationModeDefault && mode <= InterpolationModeHighQualityBicubic, "interpolation mode");
    // Default and LowQuality are bilinear, HighQuality is bicubic-like.
    g.interpolation = mode == InterpolationModeDefault || mode == InterpolationModeLowQuality
                          ? InterpolationModeBilinear
                          : mode == InterpolationModeHighQuality ? InterpolationModeHighQualityBicubic : mode;
  });
}
GpStatus GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode, "mode");
    *mode = g.interpolation;
  });
}
GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode >= PixelOffsetModeDefault && mode <= PixelOffsetModeHalf, "pixel offset mode");
    g.pixelOffset = mode;
  });
}
GpStatus GdipGetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode* mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode, "mode");
    *mode = g.pixelOffset;
  });
}
GpStatus GdipSetCompositingMode(GpGraphics* graphics, CompositingMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode == CompositingModeSourceOver || mode == CompositingModeSourceCopy, "compositing mode");
    g.compositing = mode;
  });
}
GpStatus GdipGetCompositingMode(GpGraphics* graphics, CompositingMode* mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(mode, "mode");
    *mode = g.compositing;
  });
}
GpStatus GdipSetCompositingQuality(GpGraphics* graphics, CompositingQuality quality) {
  return onGraphics(graphics, [&](GpGraphics& g) { g.compositingQuality = quality; });
}
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(hint >= TextRenderingHintSystemDefault && hint <= TextRenderingHintClearTypeGridFit, "hint");
    g.textHint = hint;
  });
}
GpStatus GdipGetTextRenderingHint(GpGraphics* graphics, TextRenderingHint* hint) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(hint, "hint");
    *hint = g.textHint;
  });
}
GpStatus GdipSetPageUnit(GpGraphics* graphics, Unit unit) {
  return onGraphics(graphics, [&](GpGraphics&) {
    if (unit != UnitPixel && unit != UnitDisplay) fail(NotImplemented, "page unit");
  });
}

// ---- world transform -----------------------------------------------------------------------
GpStatus GdipResetWorldTransform(GpGraphics* graphics) {
  return onGraphics(graphics, [](GpGraphics& g) { g.world = Affine(); });
}
GpStatus GdipSetWorldTransform(GpGraphics* graphics, const GpMatrix* matrix) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(matrix && matrix->m.invertible(), "matrix");
    g.world = matrix->m;
  });
}
GpStatus GdipGetWorldTransform(GpGraphics* graphics, GpMatrix* matrix) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(matrix, "matrix");
    matrix->m = g.world;
  });
}
GpStatus GdipMultiplyWorldTransform(GpGraphics* graphics, const GpMatrix* matrix, MatrixOrder order) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(matrix, "matrix");
    g.world = combine(g.world, matrix->m, order);
  });
}
GpStatus GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, MatrixOrder order) {
  return onGraphics(graphics, [&](GpGraphics& g) { g.world = combine(g.world, Affine::translation(dx, dy), order); });
}
GpStatus GdipScaleWorldTransform(GpGraphics* graphics, REAL sx, REAL sy, MatrixOrder order) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(sx != 0 && sy != 0, "scale");
    g.world = combine(g.world, Affine::scaling(sx, sy), order);
  });
}
GpStatus GdipRotateWorldTransform(GpGraphics* graphics, REAL angle, MatrixOrder order) {
  return onGraphics(graphics, [&](GpGraphics& g) { g.world = combine(g.world, Affine::rotation(angle), order); });
}

// ---- clipping --------------------------------------------------------------------------------
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, CombineMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    if (width <= 0 || height <= 0) {
      // An empty rectangle: nothing stays visible, or nothing is excluded.
      if (mode == CombineModeExclude) return;
      if (mode != CombineModeReplace && mode != CombineModeIntersect) fail(NotImplemented, "clip combine mode");
      if (mode == CombineModeReplace) g.clip.clear();
      g.clipEmpty = true;
      g.applyClip();
      return;
    }
    combineClip(g, rectPath(x, y, width, height).transformed(g.worldToDevice()), mode);
  });
}
GpStatus GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, CombineMode mode) {
  return GdipSetClipRect(graphics, REAL(x), REAL(y), REAL(width), REAL(height), mode);
}
GpStatus GdipSetClipPath(GpGraphics* graphics, GpPath* path, CombineMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(path, "path");
    combineClip(g, path->transformed(g.worldToDevice()), mode);
  });
}
GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, CombineMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(region, "region");
    const Affine toDevice = g.worldToDevice();
    if (region->tree) {
      // A combined region reaches the clip as its pixel set.
      if (mode != CombineModeReplace && mode != CombineModeIntersect && mode != CombineModeExclude)
        fail(NotImplemented, "clip combine mode");
      combineClip(g, devicePixelsOf(g, *region->tree), mode);
      return;
    }
    if (mode == CombineModeReplace) {
      g.clip.clear();
      g.clipEmpty = false;
    } else if (mode != CombineModeIntersect) {
      if (region->empty || region->items.size() != 1 || region->items[0].exclude || mode != CombineModeExclude)
        fail(NotImplemented, "clip combine mode");
    }
    if (region->empty) g.clipEmpty = g.clipEmpty || mode != CombineModeExclude;
    for (const ClipItem& item : region->items)
      g.clip.push_back({item.path.transformed(toDevice), item.exclude != (mode == CombineModeExclude)});
    g.applyClip();
  });
}
GpStatus GdipSetClipGraphics(GpGraphics* graphics, GpGraphics* source, CombineMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(source, "graphics");
    if (mode != CombineModeReplace) fail(NotImplemented, "clip combine mode");
    g.clip = source->clip;
    g.clipEmpty = source->clipEmpty;
    g.applyClip();
  });
}
GpStatus GdipResetClip(GpGraphics* graphics) {
  return onGraphics(graphics, [](GpGraphics& g) {
    g.clip.clear();
    g.clipEmpty = false;
    g.applyClip();
  });
}
GpStatus GdipGetClip(GpGraphics* graphics, GpRegion* region) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(region, "region");
    const Affine toWorld = g.worldToDevice().inverted();
    region->empty = g.clipEmpty;
    region->items.clear();
    region->tree.reset();
    for (const ClipItem& item : g.clip) region->items.push_back({item.path.transformed(toWorld), item.exclude});
  });
}

namespace {

// The clip's bounds in surface pixels.
DeviceBox clipBox(GpGraphics& g) {
  if (g.clipEmpty) return {};
  cairo_identity_matrix(g.cr);
  double x0, y0, x1, y1;
  cairo_clip_extents(g.cr, &x0, &y0, &x1, &y1);
  DeviceBox b{static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)), static_cast<int>(std::ceil(x1)),
              static_cast<int>(std::ceil(y1))};
  return b.clippedTo(g.surfaceWidth, g.surfaceHeight);
}

bool visible(GpGraphics& g, double x, double y, double w, double h) {
  if (w <= 0 || h <= 0) return false;
  const DeviceBox clip = clipBox(g);
  const Affine m = g.worldToDevice();
  double xs[4] = {x, x + w, x + w, x}, ys[4] = {y, y, y + h, y + h};
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int i = 0; i < 4; ++i) {
    m.apply(xs[i], ys[i]);
    minX = std::min(minX, xs[i]), maxX = std::max(maxX, xs[i]), minY = std::min(minY, ys[i]), maxY = std::max(maxY, ys[i]);
  }
  return minX < clip.x1 && maxX > clip.x0 && minY < clip.y1 && maxY > clip.y0;
}

}  // namespace

GpStatus GdipGetClipBounds(GpGraphics* graphics, GpRectF* rect) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(rect, "rectangle");
    const DeviceBox b = clipBox(g);
    const Affine toWorld = g.worldToDevice().inverted();
    double xs[4] = {double(b.x0), double(b.x1), double(b.x1), double(b.x0)};
    double ys[4] = {double(b.y0), double(b.y0), double(b.y1), double(b.y1)};
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (int i = 0; i < 4; ++i) {
      toWorld.apply(xs[i], ys[i]);
      minX = std::min(minX, xs[i]), maxX = std::max(maxX, xs[i]), minY = std::min(minY, ys[i]), maxY = std::max(maxY, ys[i]);
    }
    *rect = {REAL(minX), REAL(minY), REAL(maxX - minX), REAL(maxY - minY)};
  });
}
GpStatus GdipIsClipEmpty(GpGraphics* graphics, BOOL* result) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(result, "result");
    const DeviceBox b = clipBox(g);
    *result = b.x1 <= b.x0 || b.y1 <= b.y0;
  });
}
GpStatus GdipIsVisibleRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, BOOL* result) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(result, "result");
    *result = visible(g, x, y, width, height);
  });
}
GpStatus GdipIsVisibleRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, BOOL* result) {
  return GdipIsVisibleRect(graphics, REAL(x), REAL(y), REAL(width), REAL(height), result);
}
GpStatus GdipIsVisiblePoint(GpGraphics* graphics, REAL x, REAL y, BOOL* result) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(result, "result");
    double dx = x, dy = y;
    g.worldToDevice().apply(dx, dy);
    cairo_identity_matrix(g.cr);
    *result = !g.clipEmpty && dx >= 0 && dy >= 0 && dx < g.surfaceWidth && dy < g.surfaceHeight &&
              cairo_in_clip(g.cr, std::floor(dx) + 0.5, std::floor(dy) + 0.5);
  });
}
GpStatus GdipIsVisiblePointI(GpGraphics* graphics, INT x, INT y, BOOL* result) {
  return GdipIsVisiblePoint(graphics, REAL(x), REAL(y), result);
}

// ---- regions --------------------------------------------------------------------------------
GpStatus GdipCreateRegion(GpRegion** region) {
  return guarded([&] {
    need(region, "region");
    *region = new GpRegion();
  });
}
GpStatus GdipCreateRegionRect(const GpRectF* rect, GpRegion** region) {
  return guarded([&] {
    need(rect && region, "region");
    auto r = std::make_unique<GpRegion>();
    if (rect->Width <= 0 || rect->Height <= 0) r->empty = true;
    else r->items.push_back({rectPath(rect->X, rect->Y, rect->Width, rect->Height), false});
    *region = r.release();
  });
}
GpStatus GdipCreateRegionRectI(const GpRect* rect, GpRegion** region) {
  if (!rect) return InvalidParameter;
  const GpRectF r{REAL(rect->X), REAL(rect->Y), REAL(rect->Width), REAL(rect->Height)};
  return GdipCreateRegionRect(&r, region);
}
GpStatus GdipCreateRegionPath(GpPath* path, GpRegion** region) {
  return guarded([&] {
    need(path && region, "region");
    auto r = std::make_unique<GpRegion>();
    r->items.push_back({*path, false});
    *region = r.release();
  });
}
GpStatus GdipCloneRegion(GpRegion* region, GpRegion** clone) {
  return guarded([&] {
    need(region && clone, "region");
    *clone = new GpRegion(*region);
  });
}
GpStatus GdipDeleteRegion(GpRegion* region) {
  if (!region) return InvalidParameter;
  delete region;
  return Ok;
}
GpStatus GdipSetInfinite(GpRegion* region) {
  if (!region) return InvalidParameter;
  *region = GpRegion();
  return Ok;
}
GpStatus GdipSetEmpty(GpRegion* region) {
  if (!region) return InvalidParameter;
  *region = GpRegion();
  region->empty = true;
  return Ok;
}
GpStatus GdipIsInfiniteRegion(GpRegion* region, GpGraphics*, BOOL* result) {
  if (!region || !result) return InvalidParameter;
  *result = !region->tree && !region->empty && region->items.empty();
  return Ok;
}
GpStatus GdipCombineRegionRect(GpRegion* region, const GpRectF* rect, CombineMode mode) {
  return guarded([&] {
    need(region && rect, "region");
    if (rect->Width <= 0 || rect->Height <= 0) {
      combineRegionEmpty(*region, mode);
      return;
    }
    combineRegion(*region, rectPath(rect->X, rect->Y, rect->Width, rect->Height), mode);
  });
}
GpStatus GdipCombineRegionRectI(GpRegion* region, const GpRect* rect, CombineMode mode) {
  if (!rect) return InvalidParameter;
  const GpRectF r{REAL(rect->X), REAL(rect->Y), REAL(rect->Width), REAL(rect->Height)};
  return GdipCombineRegionRect(region, &r, mode);
}
GpStatus GdipCombineRegionPath(GpRegion* region, GpPath* path, CombineMode mode) {
  return guarded([&] {
    need(region && path, "region");
    combineRegion(*region, *path, mode);
  });
}
GpStatus GdipTranslateRegion(GpRegion* region, REAL dx, REAL dy) {
  if (!region) return InvalidParameter;
  for (ClipItem& item : region->items) item.path = item.path.transformed(Affine::translation(dx, dy));
  if (region->tree) region->tree = translatedTree(region->tree, dx, dy);
  return Ok;
}

// ---- drawing --------------------------------------------------------------------------------
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    cairo_identity_matrix(g.cr);
    cairo_new_path(g.cr);
    cairo_set_operator(g.cr, CAIRO_OPERATOR_SOURCE);
    cairoSetSource(g.cr, color);
    g.beginOp(g.everything());
    cairo_paint(g.cr);
    g.endOp();
  });
}

GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    g.strokePath(*pen, [&] {
      cairo_move_to(g.cr, x1, y1);
      cairo_line_to(g.cr, x2, y2);
    });
  });
}
GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2) {
  return GdipDrawLine(graphics, pen, REAL(x1), REAL(y1), REAL(x2), REAL(y2));
}
GpStatus GdipDrawLines(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    need(points && count >= 2, "points");
    g.strokePath(*pen, [&] {
      for (INT i = 0; i < count; ++i) cairo_line_to(g.cr, points[i].X, points[i].Y);
    });
  });
}
GpStatus GdipDrawLinesI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count) {
  if (!points || count < 2) return InvalidParameter;
  const auto f = toFloat(points, count);
  return GdipDrawLines(graphics, pen, f.data(), count);
}
GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    g.strokePath(*pen, [&] { cairo_rectangle(g.cr, x, y, width, height); });
  });
}
GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height) {
  return GdipDrawRectangle(graphics, pen, REAL(x), REAL(y), REAL(width), REAL(height));
}
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(brush, "brush");
    g.fillPath(*brush, [&] { cairo_rectangle(g.cr, x, y, width, height); }, FillModeWinding);
  });
}
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
  return GdipFillRectangle(graphics, brush, REAL(x), REAL(y), REAL(width), REAL(height));
}
GpStatus GdipFillRectangles(GpGraphics* graphics, GpBrush* brush, const GpRectF* rects, INT count) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(brush, "brush");
    need(rects && count > 0, "rectangles");
    g.fillPath(*brush, [&] {
      for (INT i = 0; i < count; ++i) cairo_rectangle(g.cr, rects[i].X, rects[i].Y, rects[i].Width, rects[i].Height);
    }, FillModeWinding);
  });
}

namespace {
void ellipsePath(cairo_t* cr, double x, double y, double w, double h) {
  GpPath p;
  p.addEllipse(x, y, w, h);
  p.replay(cr);
}
}  // namespace

GpStatus GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    g.strokePath(*pen, [&] { ellipsePath(g.cr, x, y, width, height); });
  });
}
GpStatus GdipDrawEllipseI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height) {
  return GdipDrawEllipse(graphics, pen, REAL(x), REAL(y), REAL(width), REAL(height));
}
GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(brush, "brush");
    g.fillPath(*brush, [&] { ellipsePath(g.cr, x, y, width, height); }, FillModeWinding);
  });
}
GpStatus GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
  return GdipFillEllipse(graphics, brush, REAL(x), REAL(y), REAL(width), REAL(height));
}
GpStatus GdipDrawArc(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                     REAL sweepAngle) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    need(width > 0 && height > 0, "arc size");
    GpPath p;
    p.addArc(x, y, width, height, startAngle, sweepAngle, false);
    g.strokePath(*pen, [&] { p.replay(g.cr); });
  });
}
GpStatus GdipDrawBezier(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3,
                        REAL x4, REAL y4) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    g.strokePath(*pen, [&] {
      cairo_move_to(g.cr, x1, y1);
      cairo_curve_to(g.cr, x2, y2, x3, y3, x4, y4);
    });
  });
}
GpStatus GdipDrawPolygon(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    need(points && count >= 2, "points");
    g.strokePath(*pen, [&] {
      for (INT i = 0; i < count; ++i) cairo_line_to(g.cr, points[i].X, points[i].Y);
      cairo_close_path(g.cr);
    });
  });
}
GpStatus GdipDrawPolygonI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count) {
  if (!points || count < 2) return InvalidParameter;
  const auto f = toFloat(points, count);
  return GdipDrawPolygon(graphics, pen, f.data(), count);
}
GpStatus GdipFillPolygon(GpGraphics* graphics, GpBrush* brush, const GpPointF* points, INT count, FillMode mode) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(brush, "brush");
    need(points && count >= 3, "points");
    g.fillPath(*brush, [&] {
      for (INT i = 0; i < count; ++i) cairo_line_to(g.cr, points[i].X, points[i].Y);
      cairo_close_path(g.cr);
    }, mode);
  });
}
GpStatus GdipFillPolygonI(GpGraphics* graphics, GpBrush* brush, const GpPoint* points, INT count, FillMode mode) {
  if (!points || count < 3) return InvalidParameter;
  const auto f = toFloat(points, count);
  return GdipFillPolygon(graphics, brush, f.data(), count, mode);
}
GpStatus GdipFillPolygon2(GpGraphics* graphics, GpBrush* brush, const GpPointF* points, INT count) {
  return GdipFillPolygon(graphics, brush, points, count, FillModeAlternate);
}
GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(pen, "pen");
    need(path, "path");
    g.strokePath(*pen, [&] { path->replay(g.cr); });
  });
}
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(brush, "brush");
    need(path, "path");
    g.fillPath(*brush, [&] { path->replay(g.cr); }, path->fillMode);
  });
}
GpStatus GdipFillRegion(GpGraphics* graphics, GpBrush* brush, GpRegion* region) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    need(brush, "brush");
    need(region, "region");
    if (!region->tree && region->empty) return;
    // Fill through the region as a temporary extra clip.
    auto savedClip = g.clip;
    rtl::ScopeExit restoreClip([&] {
      g.clip = std::move(savedClip);
      g.applyClip();
    });
    const Affine toDevice = g.worldToDevice();
    if (region->tree) g.clip.push_back({devicePixelsOf(g, *region->tree), false});
    for (const ClipItem& item : region->items) g.clip.push_back({item.path.transformed(toDevice), item.exclude});
    g.applyClip();
    g.fillPath(*brush, [&] {
      cairo_identity_matrix(g.cr);
      cairo_rectangle(g.cr, 0, 0, g.surfaceWidth, g.surfaceHeight);
    }, FillModeWinding);
  });
}

// ---- images --------------------------------------------------------------------------------
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                               REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, Unit srcUnit,
                               const GpImageAttributes* attributes, void* callback, void*) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    GpBitmap* b = asBitmap(image);
    if (srcUnit != UnitPixel) fail(NotImplemented, "source unit");
    if (callback) fail(NotImplemented, "drawing callback");
    g.drawImage(*b, dstx, dsty, dstwidth, dstheight, srcx, srcy, srcwidth, srcheight, attributes);
  });
}
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth,
                                INT dstheight, INT srcx, INT srcy, INT srcwidth, INT srcheight, Unit srcUnit,
                                const GpImageAttributes* attributes, void* callback, void* callbackData) {
  return GdipDrawImageRectRect(graphics, image, REAL(dstx), REAL(dsty), REAL(dstwidth), REAL(dstheight), REAL(srcx),
                               REAL(srcy), REAL(srcwidth), REAL(srcheight), srcUnit, attributes, callback,
                               callbackData);
}
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    GpBitmap* b = asBitmap(image);
    g.drawImage(*b, x, y, width, height, 0, 0, b->width(), b->height(), nullptr);
  });
}
GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height) {
  return GdipDrawImageRect(graphics, image, REAL(x), REAL(y), REAL(width), REAL(height));
}
GpStatus GdipDrawImage(GpGraphics* graphics, GpImage* image, REAL x, REAL y) {
  return onGraphics(graphics, [&](GpGraphics& g) {
    GpBitmap* b = asBitmap(image);
    g.drawImage(*b, x, y, b->width(), b->height(), 0, 0, b->width(), b->height(), nullptr);
  });
}
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y) {
  return GdipDrawImage(graphics, image, REAL(x), REAL(y));
}

}  // namespace gdiplus

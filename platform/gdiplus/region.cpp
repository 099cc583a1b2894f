// Regions combined beyond intersection: evaluated as pixel sets at the
// resolution of the graphics that uses them.
#include <algorithm>

#include "platform/gdiplus/impl/objects.h"

namespace gdiplus {
namespace {

// Pixels whose centre the path covers (no anti-aliasing: regions are pixel
// sets).
std::vector<std::uint8_t> shapeMask(const GpPath& path, const Affine& toDevice, int width, int height) {
  std::vector<std::uint8_t> out(std::size_t(width) * std::size_t(height), 0);
  if (width <= 0 || height <= 0) return out;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  cairo_t* cr = cairo_create(s);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(cr, path.fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  path.transformed(toDevice).replay(cr);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out[std::size_t(y) * std::size_t(width) + std::size_t(x)] = data[y * stride + x] >= 128;
  }
  cairo_surface_destroy(s);
  return out;
}

std::uint8_t combinePixel(CombineMode mode, std::uint8_t a, std::uint8_t b) {
  switch (mode) {
    case CombineModeReplace: return b;
    case CombineModeIntersect: return a & b;
    case CombineModeUnion: return a | b;
    case CombineModeXor: return a ^ b;
    case CombineModeExclude: return a & !b;
    case CombineModeComplement: return b & !a;
  }
  return 0;
}

}  // namespace

std::vector<std::uint8_t> rasteriseRegion(const RegionNode& node, const Affine& toDevice, int width, int height) {
  const std::size_t n = std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0));
  switch (node.kind) {
    case RegionNode::Kind::Infinite: return std::vector<std::uint8_t>(n, 1);
    case RegionNode::Kind::Empty: return std::vector<std::uint8_t>(n, 0);
    case RegionNode::Kind::Shape: return shapeMask(node.path, toDevice, width, height);
    case RegionNode::Kind::Combine: break;
  }
  std::vector<std::uint8_t> a = rasteriseRegion(*node.left, toDevice, width, height);
  const std::vector<std::uint8_t> b = rasteriseRegion(*node.right, toDevice, width, height);
  for (std::size_t i = 0; i < n; ++i) a[i] = combinePixel(node.mode, a[i], b[i]);
  return a;
}

GpPath rectanglesOf(const std::vector<std::uint8_t>& mask, int width, int height) {
  GpPath out;
  out.fillMode = FillModeWinding;
  // Runs of set pixels per row; a run repeated on the next rows grows down.
  struct Run {
    int x0, x1, y0;
  };
  std::vector<Run> open, next;
  auto emit = [&](const Run& r, int y1) { out.addRectangle(r.x0, r.y0, r.x1 - r.x0, y1 - r.y0); };
  for (int y = 0; y <= height; ++y) {
    next.clear();
    if (y < height) {
      const std::uint8_t* row = mask.data() + std::size_t(y) * std::size_t(width);
      for (int x = 0; x < width;) {
        if (!row[x]) {
          ++x;
          continue;
        }
        int e = x;
        while (e < width && row[e]) ++e;
        next.push_back({x, e, y});
        x = e;
      }
    }
    // Runs with the same extent continue; the others end at this row.
    std::size_t j = 0;
    for (const Run& r : open) {
      while (j < next.size() && next[j].x0 < r.x0) ++j;
      if (j < next.size() && next[j].x0 == r.x0 && next[j].x1 == r.x1) next[j].y0 = r.y0;
      else emit(r, y);
    }
    open.swap(next);
  }
  return out;
}

}  // namespace gdiplus

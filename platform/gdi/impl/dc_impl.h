#pragma once
// Device-context state and the span painter every primitive draws through.
// Private.
#include <optional>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/impl/objects_impl.h"

namespace gdi::impl {

template <class T>
struct Selected {
  std::uintptr_t handle = 0;
  std::shared_ptr<T> obj;
};

struct DCState {
  POINT windowOrg;
  POINT viewportOrg;
  POINT brushOrg;
  POINT pos;
  Selected<Pen> pen;
  Selected<Brush> brush;
  Selected<Font> font;
  Selected<Bitmap> bitmap;
  COLORREF textColor = 0;
  COLORREF bkColor = 0x00FFFFFF;
  COLORREF dcBrushColor = 0x00FFFFFF;
  COLORREF dcPenColor = 0;
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int polyFillMode = 1;  // ALTERNATE
  int stretchMode = BLACKONWHITE;
  UINT textAlign = 0;
  int breakExtra = 0;  // SetTextJustification: pixels spread over breakCount break characters
  int breakCount = 0;
  std::optional<RegionSet> clip;  // device coordinates
};

struct PathFigure {
  std::vector<POINT> points;  // device coordinates
  bool closed = false;
};

struct DC {
  bool memory = true;
  DCState st;
  std::vector<DCState> saved;
  // Non-memory DCs draw on foreign memory.
  Surface external;
  POINT surfaceOrigin;                 // device (0, 0) on the surface
  std::optional<RegionSet> visible;    // device coordinates
  // Paths.
  bool pathOpen = false;
  bool pathReady = false;
  std::vector<PathFigure> path;
  // Pen style position, carried from segment to segment of a polyline.
  int styleStep = 0;
  // Effective clip in surface coordinates, rebuilt when stale.
  bool clipStale = true;
  RegionSet clipCache;

  Surface surface();
  SIZE size() const;
  bool mono() const { return memory && st.bitmap.obj && st.bitmap.obj->mono; }
  void written();  // after drawing: low-depth DIB sections convert back
  const RegionSet& effectiveClip();
  void invalidateClip() { clipStale = true; }

  // Logical -> surface coordinates.
  int sx(int x) const { return x - st.windowOrg.x + st.viewportOrg.x + surfaceOrigin.x; }
  int sy(int y) const { return y - st.windowOrg.y + st.viewportOrg.y + surfaceOrigin.y; }
  // Logical -> device coordinates.
  int dx(int x) const { return x - st.windowOrg.x + st.viewportOrg.x; }
  int dy(int y) const { return y - st.windowOrg.y + st.viewportOrg.y; }
};

DC* findDC(HDC dc);

// What a brush or pen paints: one colour, a tile, or a hatch over an
// optional background. Pixel values are final (alpha 0, monochrome already
// applied).
struct PaintSource {
  enum class Type { None, Solid, Tile, Hatch } type = Type::None;
  std::uint32_t color = 0;
  std::uint32_t back = 0;
  bool backTransparent = false;  // hatch gaps left alone
  std::uint8_t hatchRows[8] = {};
  const ImageBGRA* tile = nullptr;
  std::vector<std::uint32_t> tilePixels;  // resolved tile
  int tileW = 0, tileH = 0;
  int orgX = 0, orgY = 0;  // surface coordinates of the tile origin

  bool none() const { return type == Type::None; }
  // Pixel at surface (x, y); false for a transparent hatch gap.
  bool at(int x, int y, std::uint32_t& out) const;
};

// Resolves a brush for drawing on `dc`. `forBlit` ignores the background
// mode (blits paint hatch gaps with the background colour).
PaintSource brushSource(DC& dc, const Brush* brush, bool forBlit = false);
PaintSource solidSource(DC& dc, COLORREF color);
COLORREF brushColor(const DC& dc, const Brush& brush);
COLORREF penColor(const DC& dc, const Pen& pen);

// Draws through a DC: clipping, ROP2 and the alpha-0 rule.
class Painter {
 public:
  explicit Painter(DC& dc);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  bool ok() const { return !surface_.empty(); }
  // Surface coordinates, [x0, x1).
  void span(int y, int x0, int x1, const PaintSource& src, int rop2);
  void spans(const SpanSet& set, const PaintSource& src, int rop2);
  void pixel(int x, int y, const PaintSource& src, int rop2);
  // XOR-style inversion of RGB (alpha 0 written).
  void invertSpan(int y, int x0, int x1);
  const Surface& surface() const { return surface_; }
  DC& dc() { return dc_; }
  // Clip rectangles overlapping row y, in order.
  template <class F>
  void forClip(int y, int x0, int x1, F&& f) const;

 private:
  DC& dc_;
  Surface surface_;
  const pixman_box32_t* boxes_ = nullptr;
  int boxCount_ = 0;
};

template <class F>
void Painter::forClip(int y, int x0, int x1, F&& f) const {
  if (x0 >= x1) return;
  for (int i = 0; i < boxCount_; ++i) {
    const pixman_box32_t& b = boxes_[i];
    if (b.y1 > y) break;  // boxes are sorted by band
    if (y >= b.y2) continue;
    const int a = x0 > b.x1 ? x0 : b.x1;
    const int e = x1 < b.x2 ? x1 : b.x2;
    if (a < e) f(a, e);
  }
}

}  // namespace gdi::impl

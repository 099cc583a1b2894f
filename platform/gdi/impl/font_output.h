#pragma once
// Text output on a DC's surface, shared by ExtTextOutW and DrawTextW.
// Private. Call with textLock() held.
#include "platform/gdi/impl/dc_impl.h"
#include "platform/gdi/impl/font_engine.h"

namespace gdi::impl {

// The DC's selected font, and its escapement in degrees (counter-clockwise).
FontInstance& dcFont(DC& dc);
double dcEscapement(const DC& dc);

// One line put on the DC's surface. Coordinates are surface pixels; the
// origin is the top-left of the line's cell before turning. `limit`
// (surface pixels, may be null) clips besides the DC's clip region.
struct LineOutput {
  double originX = 0, originY = 0;
  const RECT* limit = nullptr;
  bool opaqueCell = false;  // fill the cell with the background colour first
  TextPlacement placement;
};
void outputLine(DC& dc, FontInstance& font, const ShapedText& text, const LineOutput& out);

// Fills a rectangle (surface pixels) with a colour through the DC's clip.
void fillSurfaceRect(Painter& p, const RECT& rc, COLORREF color, const RECT* limit);

// Tab stops: positions relative to the line start.
struct TabStops {
  int interval = 0;               // every `interval` pixels after the list
  std::vector<int> positions;     // ascending
  int next(int x) const;          // the first stop after x
};
TabStops makeTabStops(int count, const int* stops, int defaultInterval);

}  // namespace gdi::impl

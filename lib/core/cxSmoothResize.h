#pragma once
// Smooth resizing of bitmaps: a halftone stretch, or the Lanczos-3 filter on
// 32-bit pixels when the caller forces it (the alpha blend does, so that its
// alpha channel is filtered as the colours are).
#include <vector>

#include "platform/ui/bitmap.h"

namespace core {

// Nothing when either bitmap has no width or height.
void cxSmoothResizeBitmap(ui::TBitmap* source, ui::TBitmap* destination,
                          bool forceUseLanczos3Filter = false);

// One destination pixel's share of the source: positions (mirrored into the
// source) and weights scaled by 256.
struct TcxResizeContributor {
  int Pixel;
  int Weight;
};
using TcxResizeContributors = std::vector<std::vector<TcxResizeContributor>>;

float cxLanczos3Filter(float x);
// The contributors of every destination pixel of a pass from `sourceSize`
// to `destSize`.
TcxResizeContributors cxBuildResizeFilter(int sourceSize, int destSize);

}  // namespace core

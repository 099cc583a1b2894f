// Paint sources (brushes resolved for a DC) and the span painter.
#include <algorithm>

#include "platform/gdi/impl/dc_impl.h"
#include "platform/gdi/impl/fill.h"
#include "platform/gdi/rop.h"

namespace gdi::impl {
namespace {

// 8x8 hatch tiles, bit 7 is the leftmost pixel.
constexpr std::uint8_t kHatch[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},  // HS_HORIZONTAL
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

int wrap(int v, int n) {
  const int m = v % n;
  return m < 0 ? m + n : m;
}

}  // namespace

bool PaintSource::at(int x, int y, std::uint32_t& out) const {
  switch (type) {
    case Type::Solid:
      out = color;
      return true;
    case Type::Tile:
      out = tilePixels[std::size_t(wrap(y - orgY, tileH)) * std::size_t(tileW) +
                       std::size_t(wrap(x - orgX, tileW))];
      return true;
    case Type::Hatch: {
      const bool on = (hatchRows[wrap(y - orgY, 8)] >> (7 - wrap(x - orgX, 8))) & 1;
      if (on) {
        out = color;
        return true;
      }
      out = back;
      return !backTransparent;
    }
    case Type::None:
      break;
  }
  return false;
}

COLORREF brushColor(const DC& dc, const Brush& b) {
  if (b.dcBrush) return dc.st.dcBrushColor;
  if (b.sysIndex >= 0) return GetSysColor(b.sysIndex);
  return b.color;
}

COLORREF penColor(const DC& dc, const Pen& p) { return p.dcPen ? dc.st.dcPenColor : p.color; }

PaintSource solidSource(DC& dc, COLORREF color) {
  PaintSource s;
  s.type = PaintSource::Type::Solid;
  s.color = toPixel(color);
  if (dc.mono()) s.color = toMono(s.color);
  return s;
}

PaintSource brushSource(DC& dc, const Brush* b, bool forBlit) {
  PaintSource s;
  if (!b) return s;
  const bool mono = dc.mono();
  auto fix = [mono](std::uint32_t p) { return mono ? toMono(p & 0x00FFFFFF) : (p & 0x00FFFFFF); };
  s.orgX = dc.st.brushOrg.x + dc.surfaceOrigin.x;
  s.orgY = dc.st.brushOrg.y + dc.surfaceOrigin.y;
  if (b->dcBrush || b->sysIndex >= 0 || b->style == BS_SOLID) {
    s.type = PaintSource::Type::Solid;
    s.color = fix(toPixel(brushColor(dc, *b)));
    return s;
  }
  switch (b->style) {
    case BS_HATCHED:
      s.type = PaintSource::Type::Hatch;
      s.color = fix(toPixel(b->color));
      s.back = fix(toPixel(dc.st.bkColor));
      s.backTransparent = !forBlit && dc.st.bkMode == TRANSPARENT;
      std::copy(kHatch[b->hatch], kHatch[b->hatch] + 8, s.hatchRows);
      return s;
    case BS_PATTERN:
    case BS_PATTERN8X8: {
      s.type = PaintSource::Type::Tile;
      s.tileW = b->pattern.width;
      s.tileH = b->pattern.height;
      s.tilePixels.resize(b->pattern.pixels.size());
      const std::uint32_t fore = fix(toPixel(dc.st.textColor));
      const std::uint32_t back = fix(toPixel(dc.st.bkColor));
      for (std::size_t i = 0; i < s.tilePixels.size(); ++i) {
        const std::uint32_t p = b->pattern.pixels[i];
        s.tilePixels[i] = b->monoPattern ? ((p & 0x00FFFFFF) ? back : fore) : fix(p);
      }
      return s;
    }
    default:
      return s;  // BS_NULL
  }
}

Painter::Painter(DC& dc) : dc_(dc), surface_(dc.surface()) {
  if (!surface_.empty()) boxes_ = dc.effectiveClip().boxes(&boxCount_);
}

Painter::~Painter() {
  if (!surface_.empty()) dc_.written();
}

void Painter::span(int y, int x0, int x1, const PaintSource& src, int rop2) {
  if (src.none() || rop2 == R2_NOP) return;
  forClip(y, x0, x1, [&](int a, int e) {
    std::uint32_t* row = surface_.row(y);
    if (src.type == PaintSource::Type::Solid && rop2 == R2_COPYPEN) {
      Fill32(row + a, std::size_t(e - a), src.color);
      return;
    }
    for (int x = a; x < e; ++x) {
      std::uint32_t p;
      if (!src.at(x, y, p)) continue;
      row[x] = EvalRop2(rop2, p, row[x]) & 0x00FFFFFFu;
    }
  });
}

void Painter::spans(const SpanSet& set, const PaintSource& src, int rop2) {
  for (const SpanSet::Span& s : set.spans()) span(s.y, s.x0, s.x1, src, rop2);
}

void Painter::pixel(int x, int y, const PaintSource& src, int rop2) { span(y, x, x + 1, src, rop2); }

void Painter::invertSpan(int y, int x0, int x1) {
  forClip(y, x0, x1, [&](int a, int e) {
    std::uint32_t* row = surface_.row(y);
    for (int x = a; x < e; ++x) row[x] = ~row[x] & 0x00FFFFFFu;
  });
}

}  // namespace gdi::impl

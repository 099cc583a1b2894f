// Text metrics, extents and line output (ExtTextOutW and relatives).
#include "platform/gdi/text.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi/impl/font_output.h"
#include "platform/rtl/ustring.h"

namespace gdi {
namespace impl {

FontInstance& dcFont(DC& dc) {
  if (dc.st.font.obj) return fontFor(dc.st.font.obj->lf);
  return fontFor(findFont(GetStockObject(SYSTEM_FONT))->lf);
}

double dcEscapement(const DC& dc) { return dc.st.font.obj ? dc.st.font.obj->lf.lfEscapement / 10.0 : 0.0; }

namespace {

RECT intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

// Coverage onto the surface in one colour, through the clip region.
void blend(Painter& p, const CoverageMask& mask, COLORREF color) {
  if (mask.empty()) return;
  const bool mono = p.dc().mono();
  std::uint32_t px = toPixel(color) & 0x00FFFFFF;
  if (mono) px = toMono(px);
  const unsigned cr = (px >> 16) & 0xFF, cg = (px >> 8) & 0xFF, cb = px & 0xFF;
  const Surface& s = p.surface();
  const int y0 = std::max(mask.y, 0), y1 = std::min(mask.y + mask.height, s.height);
  const int x0 = std::max(mask.x, 0), x1 = std::min(mask.x + mask.width, s.width);
  for (int y = y0; y < y1; ++y) {
    std::uint32_t* row = s.row(y);
    const std::uint8_t* cov = mask.bits.data() + std::size_t(y - mask.y) * std::size_t(mask.stride) - mask.x;
    p.forClip(y, x0, x1, [&](int a, int e) {
      for (int x = a; x < e; ++x) {
        const unsigned c = cov[x];
        if (!c) continue;
        if (c == 255 || (mono && c >= 128)) {
          row[x] = px;
          continue;
        }
        if (mono) continue;
        const std::uint32_t d = row[x];
        const unsigned inv = 255 - c;
        const unsigned r = (cr * c + ((d >> 16) & 0xFF) * inv + 127) / 255;
        const unsigned g = (cg * c + ((d >> 8) & 0xFF) * inv + 127) / 255;
        const unsigned b = (cb * c + (d & 0xFF) * inv + 127) / 255;
        row[x] = (r << 16) | (g << 8) | b;
      }
    });
  }
}

RECT surfaceBounds(const Surface& s) { return RECT{0, 0, s.width, s.height}; }

}  // namespace

void fillSurfaceRect(Painter& p, const RECT& rc, COLORREF color, const RECT* limit) {
  if (!p.ok()) return;
  DC& dc = p.dc();
  RECT r = intersect(rc, surfaceBounds(p.surface()));
  if (limit) r = intersect(r, *limit);
  const PaintSource src = solidSource(dc, color);
  for (int y = r.top; y < r.bottom; ++y) p.span(y, r.left, r.right, src, R2_COPYPEN);
}

void outputLine(DC& dc, FontInstance& font, const ShapedText& text, const LineOutput& out) {
  Painter p(dc);
  if (!p.ok()) return;
  RECT limit = surfaceBounds(p.surface());
  if (out.limit) limit = intersect(limit, *out.limit);
  if (limit.left >= limit.right || limit.top >= limit.bottom) return;
  thread_local CoverageMask mask;
  if (out.opaqueCell) {
    int width = text.width;
    if (out.placement.dx) {
      width = 0;
      for (int i = 0; i < text.units; ++i) width += out.placement.dx[i];
    }
    const int height = font.metrics().height;
    if (out.placement.angle == 0) {
      const int x = int(std::lround(out.originX)), y = int(std::lround(out.originY));
      fillSurfaceRect(p, RECT{x, y, x + width, y + height}, dc.st.bkColor, &limit);
    } else {
      renderCellCoverage(out.originX, out.originY, width, height, out.placement.angle, limit, mask);
      blend(p, mask, dc.st.bkColor);
    }
  }
  renderCoverage(font, text, out.placement, limit, mask);
  blend(p, mask, dc.st.textColor);
}

int TabStops::next(int x) const {
  for (int pos : positions)
    if (pos > x) return pos;
  if (interval <= 0) return x;
  const int base = positions.empty() ? 0 : positions.back();
  if (x < base) return base;
  return base + ((x - base) / interval + 1) * interval;
}

TabStops makeTabStops(int count, const int* stops, int defaultInterval) {
  TabStops t;
  if (count <= 0 || !stops) {
    t.interval = defaultInterval;
  } else if (count == 1) {
    t.interval = std::abs(stops[0]) > 0 ? std::abs(stops[0]) : defaultInterval;
  } else {
    for (int i = 0; i < count; ++i) t.positions.push_back(std::abs(stops[i]));
    std::sort(t.positions.begin(), t.positions.end());
  }
  return t;
}

}  // namespace impl

using namespace impl;

BOOL GetTextMetricsW(HDC h, TEXTMETRICW* tm) {
  DC* dc = findDC(h);
  if (!dc || !tm) return FALSE;
  auto lock = textLock();
  FontInstance& f = dcFont(*dc);
  const FontMetricsPx& m = f.metrics();
  const LOGFONTW& lf = f.logFont();
  *tm = TEXTMETRICW{};
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = m.externalLeading;
  tm->tmAveCharWidth = m.aveCharWidth;
  tm->tmMaxCharWidth = m.maxCharWidth;
  tm->tmWeight = lf.lfWeight <= 0 ? FW_NORMAL : lf.lfWeight;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = m.firstChar;
  tm->tmLastChar = m.lastChar;
  tm->tmDefaultChar = m.defaultChar;
  tm->tmBreakChar = m.breakChar;
  tm->tmItalic = lf.lfItalic ? 255 : 0;
  tm->tmUnderlined = lf.lfUnderline ? 255 : 0;
  tm->tmStruckOut = lf.lfStrikeOut ? 255 : 0;
  tm->tmPitchAndFamily = m.pitchAndFamily;
  tm->tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : lf.lfCharSet;
  return TRUE;
}

int GetTextFaceW(HDC h, int count, WCHAR* name) {
  DC* dc = findDC(h);
  if (!dc) return 0;
  std::u16string face;
  {
    auto lock = textLock();
    face = rtl::Utf8ToString(dcFont(*dc).family());
  }
  if (!name) return int(face.size()) + 1;
  if (count <= 0) return 0;
  const int n = std::min<int>(count - 1, int(face.size()));
  std::copy(face.begin(), face.begin() + n, name);
  name[n] = 0;
  return n + 1;
}

BOOL GetTextExtentPoint32W(HDC h, const WCHAR* text, int count, SIZE* size) {
  DC* dc = findDC(h);
  if (!dc || !size || count < 0 || (count > 0 && !text)) return FALSE;
  auto lock = textLock();
  FontInstance& f = dcFont(*dc);
  size->cx = lineWidth(f, text, count);
  size->cy = f.metrics().height;
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC h, const WCHAR* text, int count, int maxExtent, int* fit, int* dx, SIZE* size) {
  DC* dc = findDC(h);
  if (!dc || count < 0 || (count > 0 && !text)) return FALSE;
  auto lock = textLock();
  FontInstance& f = dcFont(*dc);
  ShapedText shaped;
  shapeLine(f, text, count, shaped);
  if (fit) {
    int n = 0;
    while (n < count && shaped.extent[std::size_t(n)] <= maxExtent) ++n;
    // Never half a surrogate pair.
    if (n > 0 && n < count && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    *fit = n;
  }
  if (dx)
    for (int i = 0; i < count; ++i) dx[i] = shaped.extent[std::size_t(i)];
  if (size) *size = SIZE{shaped.width, f.metrics().height};
  return TRUE;
}

BOOL GetCharWidth32W(HDC h, UINT first, UINT last, int* widths) {
  DC* dc = findDC(h);
  if (!dc || !widths || last < first || last > 0x10FFFF) return FALSE;
  auto lock = textLock();
  FontInstance& f = dcFont(*dc);
  for (UINT c = first; c <= last; ++c) {
    WCHAR buf[2];
    int n = 1;
    if (c >= 0x10000) {
      buf[0] = WCHAR(0xD800 + ((c - 0x10000) >> 10));
      buf[1] = WCHAR(0xDC00 + ((c - 0x10000) & 0x3FF));
      n = 2;
    } else {
      buf[0] = WCHAR(c);
    }
    widths[c - first] = lineWidth(f, buf, n);
  }
  return TRUE;
}

BOOL GetCharABCWidthsW(HDC h, UINT first, UINT last, ABC* abc) {
  DC* dc = findDC(h);
  if (!dc || !abc || last < first || last > 0xFFFF) return FALSE;
  auto lock = textLock();
  FontInstance& f = dcFont(*dc);
  ShapedText shaped;
  for (UINT c = first; c <= last; ++c) {
    const WCHAR ch = WCHAR(c);
    shapeLine(f, &ch, 1, shaped);
    ABC& out = abc[c - first];
    out = ABC{0, 0, shaped.width};
    int inkLeft = 0, inkRight = 0;
    bool any = false;
    for (const PlacedGlyph& g : shaped.glyphs) {
      PangoRectangle ink;
      pango_font_get_glyph_extents(shaped.fonts[std::size_t(g.run)], g.glyph, &ink, nullptr);
      if (ink.width <= 0) continue;
      const int l = int(std::floor(g.x + ink.x / double(PANGO_SCALE)));
      const int r = int(std::ceil(g.x + (ink.x + ink.width) / double(PANGO_SCALE)));
      inkLeft = any ? std::min(inkLeft, l) : l;
      inkRight = any ? std::max(inkRight, r) : r;
      any = true;
    }
    if (any) {
      out.abcA = inkLeft;
      out.abcB = UINT(inkRight - inkLeft);
      out.abcC = shaped.width - inkRight;
    }
  }
  return TRUE;
}

namespace {

// Splits at tabs and measures (and draws, when `draw`) each piece.
SIZE tabbedLine(DC& dc, const WCHAR* text, int n, int tabCount, const int* tabStops, int startX, int tabOrigin,
                bool draw, int sx, int sy) {
  FontInstance& f = dcFont(dc);
  const TabStops stops = makeTabStops(tabCount, tabStops, 8 * f.metrics().aveCharWidth);
  int x = startX;  // logical, relative to tabOrigin below
  int i = 0;
  ShapedText shaped;
  while (i <= n) {
    int j = i;
    while (j < n && text[j] != u'\t') ++j;
    shapeLine(f, text + i, j - i, shaped);
    if (draw && j > i) {
      LineOutput out;
      out.originX = sx + (x - startX);
      out.originY = sy;
      out.opaqueCell = dc.st.bkMode == OPAQUE;
      out.placement.originX = out.originX;
      out.placement.originY = out.originY;
      outputLine(dc, f, shaped, out);
    }
    x += shaped.width;
    if (j >= n) break;
    x = stops.next(x - tabOrigin) + tabOrigin;
    i = j + 1;
  }
  return SIZE{x - startX, f.metrics().height};
}

}  // namespace

DWORD GetTabbedTextExtentW(HDC h, const WCHAR* text, int count, int tabCount, const int* tabStops) {
  DC* dc = findDC(h);
  if (!dc || count < 0 || (count > 0 && !text)) return 0;
  auto lock = textLock();
  const SIZE s = tabbedLine(*dc, text, count, tabCount, tabStops, 0, 0, false, 0, 0);
  return (DWORD(s.cy & 0xFFFF) << 16) | DWORD(s.cx & 0xFFFF);
}

LONG TabbedTextOutW(HDC h, int x, int y, const WCHAR* text, int count, int tabCount, const int* tabStops,
                    int tabOrigin) {
  DC* dc = findDC(h);
  if (!dc || count < 0 || (count > 0 && !text)) return 0;
  auto lock = textLock();
  const SIZE s = tabbedLine(*dc, text, count, tabCount, tabStops, x, tabOrigin, true, dc->sx(x), dc->sy(y));
  return LONG((DWORD(s.cy & 0xFFFF) << 16) | DWORD(s.cx & 0xFFFF));
}

namespace {

// Unit advances with the justification's extra pixels on the break characters.
std::vector<int> justifiedAdvances(const ShapedText& shaped, const WCHAR* text, int count, WCHAR breakChar, int extra,
                                   int breaks) {
  std::vector<int> adv(std::size_t(count), 0);
  int prev = 0;
  for (int i = 0; i < count; ++i) {
    adv[std::size_t(i)] = shaped.extent[std::size_t(i)] - prev;
    prev = shaped.extent[std::size_t(i)];
  }
  const int each = extra / breaks, rest = extra % breaks;
  int seen = 0;
  for (int i = 0; i < count && seen < breaks; ++i) {
    if (text[i] != breakChar) continue;
    adv[std::size_t(i)] += each + (seen < std::abs(rest) ? (rest > 0 ? 1 : -1) : 0);
    ++seen;
  }
  return adv;
}

}  // namespace

BOOL SetTextJustification(HDC h, int breakExtra, int breakCount) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  dc->st.breakExtra = breakCount > 0 ? breakExtra : 0;
  dc->st.breakCount = breakExtra != 0 ? std::max(breakCount, 0) : 0;
  return TRUE;
}

BOOL ExtTextOutW(HDC h, int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                 const int* dx) {
  DC* dc = findDC(h);
  if (!dc || (count > 0 && !text) || count > 0x7FFFFFFF) return FALSE;
  if (options & ETO_GLYPH_INDEX) return FALSE;
  auto lock = textLock();
  FontInstance& f = dcFont(*dc);
  const FontMetricsPx& m = f.metrics();
  ShapedText shaped;
  shapeLine(f, text, int(count), shaped);
  std::vector<int> justified;
  if (!dx && count > 0 && dc->st.breakCount > 0 && dc->st.breakExtra != 0) {
    justified = justifiedAdvances(shaped, text, int(count), f.metrics().breakChar, dc->st.breakExtra,
                                  dc->st.breakCount);
    dx = justified.data();
  }
  int width = shaped.width;
  if (dx) {
    width = 0;
    for (UINT i = 0; i < count; ++i) width += dx[i];
  }
  const UINT align = dc->st.textAlign;
  if (align & TA_UPDATECP) {
    x = dc->st.pos.x;
    y = dc->st.pos.y;
  }
  // The reference point in the text's own frame.
  double ox = 0, oy = 0;
  switch (align & (TA_CENTER | TA_RIGHT)) {
    case TA_RIGHT: ox = -width; break;
    case TA_CENTER: ox = -(width / 2); break;
    default: break;
  }
  switch (align & TA_BASELINE) {
    case TA_BOTTOM: oy = -m.height; break;
    case TA_BASELINE: oy = -m.ascent; break;
    default: break;
  }
  const double angle = dcEscapement(*dc);
  const double a = angle * M_PI / 180.0;
  const double sx = dc->sx(x), sy = dc->sy(y);

  RECT clipRect{};
  bool haveRect = false;
  if (rect) {
    clipRect = RECT{dc->sx(std::min(rect->left, rect->right)), dc->sy(std::min(rect->top, rect->bottom)),
                    dc->sx(std::max(rect->left, rect->right)), dc->sy(std::max(rect->top, rect->bottom))};
    haveRect = true;
  }
  if ((options & ETO_OPAQUE) && haveRect) {
    Painter p(*dc);
    fillSurfaceRect(p, clipRect, dc->st.bkColor, nullptr);
  }

  LineOutput out;
  out.originX = sx + ox * std::cos(a) + oy * std::sin(a);
  out.originY = sy - ox * std::sin(a) + oy * std::cos(a);
  out.limit = (options & ETO_CLIPPED) && haveRect ? &clipRect : nullptr;
  out.opaqueCell = dc->st.bkMode == OPAQUE;
  out.placement.originX = out.originX;
  out.placement.originY = out.originY;
  out.placement.angle = angle;
  out.placement.dx = dx;
  if (count > 0) outputLine(*dc, f, shaped, out);

  if (align & TA_UPDATECP) {
    const int h0 = align & (TA_CENTER | TA_RIGHT);
    const int move = h0 == TA_LEFT ? width : (h0 == TA_RIGHT ? -width : 0);
    dc->st.pos.x = x + int(std::lround(move * std::cos(a)));
    dc->st.pos.y = y - int(std::lround(move * std::sin(a)));
  }
  return TRUE;
}

BOOL TextOutW(HDC dc, int x, int y, const WCHAR* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutW(dc, x, y, 0, nullptr, text, UINT(count), nullptr);
}

std::string FontFileOf(HFONT font) {
  auto f = findFont(font);
  if (!f) return {};
  auto lock = textLock();
  return fontFor(f->lf).file();
}

double FontEmHeightOf(HFONT font) {
  auto f = findFont(font);
  if (!f) return 0;
  auto lock = textLock();
  return fontFor(f->lf).metrics().emPx;
}

bool FontIsScalable(HFONT font) {
  auto f = findFont(font);
  if (!f) return false;
  auto lock = textLock();
  return fontFor(f->lf).outline();
}

}  // namespace gdi

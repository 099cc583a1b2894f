// Block transfers with ternary raster operations, alpha blending, gradients
// and DIB transfers.
#include "platform/gdi/blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/impl/dc_impl.h"
#include "platform/gdi/impl/fill.h"
#include "platform/gdi/impl/shapes.h"
#include "platform/gdi/region.h"

namespace gdi {

using namespace impl;

namespace {

// Where source pixels come from.
struct Source {
  Surface surface;
  bool mono = false;
  std::uint32_t bkPixel = 0x00FFFFFF;  // the source DC's background colour
  ImageBGRA snapshot;                  // when source and destination share memory
};

bool sourceFromDC(DC& src, Source& out) {
  out.surface = src.surface();
  out.mono = src.mono();
  out.bkPixel = toPixel(src.st.bkColor);
  return !out.surface.empty();
}

// Axis mapping from destination pixel index to source pixel index, with
// mirroring when exactly one of the two extents is negative.
struct AxisMap {
  int dst0 = 0, dstLen = 0;  // normalised destination run (surface coordinates)
  int src0 = 0, srcLen = 0;  // normalised source run (source surface coordinates)
  bool mirror = false;
  bool stretch = false;

  void init(int d, int dLen, int s, int sLen) {
    mirror = (dLen < 0) != (sLen < 0);
    dst0 = dLen < 0 ? d + dLen + 1 : d;
    dstLen = std::abs(dLen);
    src0 = sLen < 0 ? s + sLen + 1 : s;
    srcLen = std::abs(sLen);
    stretch = dstLen != srcLen;
  }
  int map(int dst) const {
    const std::int64_t i = dst - dst0;
    std::int64_t k = stretch ? ((2 * i + 1) * srcLen) / (2 * std::int64_t(dstLen)) : i;
    if (mirror) k = srcLen - 1 - k;
    return src0 + int(k);
  }
  // The source pixels [first, last) a destination pixel covers when the
  // axis shrinks (the nearest one otherwise).
  void box(int dst, int& first, int& last) const {
    if (srcLen <= dstLen) {
      first = map(dst);
      last = first + 1;
      return;
    }
    const std::int64_t i = dst - dst0;
    std::int64_t a = i * srcLen / dstLen, b = (i + 1) * srcLen / dstLen;
    if (mirror) {
      const std::int64_t t = srcLen - b;
      b = srcLen - a;
      a = t;
    }
    first = src0 + int(a);
    last = src0 + int(b);
  }
};

// HALFTONE: the mean of the source pixels under a destination pixel, per
// byte, over the part inside the source surface.
bool averageBox(const Surface& s, int x0, int x1, int y0, int y1, std::uint32_t& out) {
  x0 = std::max(x0, 0), y0 = std::max(y0, 0);
  x1 = std::min(x1, s.width), y1 = std::min(y1, s.height);
  if (x0 >= x1 || y0 >= y1) return false;
  std::uint64_t sum[4] = {};
  for (int y = y0; y < y1; ++y) {
    const std::uint32_t* row = s.row(y);
    for (int x = x0; x < x1; ++x) {
      for (int c = 0; c < 4; ++c) sum[c] += (row[x] >> (8 * c)) & 0xFFu;
    }
  }
  const std::uint64_t n = std::uint64_t(x1 - x0) * std::uint64_t(y1 - y0);
  out = 0;
  for (int c = 0; c < 4; ++c) out |= std::uint32_t((sum[c] + n / 2) / n) << (8 * c);
  return true;
}

std::uint32_t convertSource(std::uint32_t sp, const Source& src, bool dstMono, std::uint32_t dstText,
                            std::uint32_t dstBk) {
  if (src.mono && !dstMono) return (sp & 0x00FFFFFF) ? dstBk : dstText;
  if (!src.mono && dstMono) return (sp & 0x00FFFFFF) == (src.bkPixel & 0x00FFFFFF) ? 0x00FFFFFFu : 0u;
  return sp;
}

std::uint32_t applyRop(std::uint8_t t, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  switch (t) {
    case 0xCC: return s;       // SRCCOPY
    case 0xF0: return p;       // PATCOPY
    case 0x88: return s & d;   // SRCAND
    case 0xEE: return s | d;   // SRCPAINT
    case 0x66: return s ^ d;   // SRCINVERT
    case 0x5A: return p ^ d;   // PATINVERT
    case 0x55: return ~d;      // DSTINVERT
    case 0x00: return 0;       // BLACKNESS
    case 0xFF: return ~0u;     // WHITENESS
    case 0xAA: return d;
    default: return EvalRop3(t, p, s, d);
  }
}

// One raster operation over a row; the common codes get their own loops.
void rowOp(std::uint8_t t, std::uint32_t p, const std::uint32_t* s, std::uint32_t* d, int n) {
  switch (t) {
    case 0xF0: Fill32(d, std::size_t(n), p); return;
    case 0x88: for (int i = 0; i < n; ++i) d[i] &= s[i]; return;
    case 0xEE: for (int i = 0; i < n; ++i) d[i] |= s[i]; return;
    case 0x66: for (int i = 0; i < n; ++i) d[i] ^= s[i]; return;
    case 0x5A: for (int i = 0; i < n; ++i) d[i] ^= p; return;
    case 0x55: for (int i = 0; i < n; ++i) d[i] = ~d[i]; return;
    case 0x00: Fill32(d, std::size_t(n), 0u); return;
    case 0xFF: Fill32(d, std::size_t(n), ~0u); return;
    default:
      for (int i = 0; i < n; ++i) d[i] = EvalRop3(t, p, s ? s[i] : 0, d[i]);
  }
}

struct BlitJob {
  DC* dst = nullptr;
  int x = 0, y = 0, w = 0, h = 0;  // destination, logical, may be negative sizes
  Source* src = nullptr;
  int xs = 0, ys = 0, ws = 0, hs = 0;  // source, surface coordinates of the source
  std::uint8_t fore = 0xCC;
  std::uint8_t back = 0xCC;
  Bitmap* mask = nullptr;
  int xm = 0, ym = 0;
};

BOOL runBlit(BlitJob& job) {
  DC& dc = *job.dst;
  const bool usesSource = ((job.fore >> 2) & 0x33) != (job.fore & 0x33) ||
                          ((job.back >> 2) & 0x33) != (job.back & 0x33);
  const bool usesPattern = ((job.fore >> 4) & 0x0F) != (job.fore & 0x0F) ||
                           ((job.back >> 4) & 0x0F) != (job.back & 0x0F);
  if (usesSource && !job.src) return FALSE;
  Painter painter(dc);
  if (!painter.ok()) return TRUE;
  const Surface& ds = painter.surface();
  const bool dstMono = dc.mono();

  PaintSource pat;
  if (usesPattern) {
    pat = brushSource(dc, dc.st.brush.obj.get(), true);
    if (pat.none()) return TRUE;  // a null brush paints nothing
  }
  const std::uint32_t text = dstMono ? toMono(toPixel(dc.st.textColor)) : toPixel(dc.st.textColor);
  const std::uint32_t bk = dstMono ? toMono(toPixel(dc.st.bkColor)) : toPixel(dc.st.bkColor);

  AxisMap mx, my;
  mx.init(dc.sx(job.x), job.w, job.xs, usesSource ? job.ws : job.w);
  my.init(dc.sy(job.y), job.h, job.ys, usesSource ? job.hs : job.h);
  if (mx.dstLen == 0 || my.dstLen == 0) return TRUE;

  Source* src = usesSource ? job.src : nullptr;
  if (src && src->surface.scan0 == ds.scan0) {
    // Same memory: read from a copy so that overlapping moves are exact.
    src->snapshot = CopySurface(src->surface);
    src->surface = src->snapshot.view();
  }
  Surface maskSurface;
  if (job.mask) maskSurface = job.mask->surface();

  // Shrinking in HALFTONE mode averages; monochrome sides keep the nearest pixel.
  const bool halftone = src && dc.st.stretchMode == HALFTONE && !src->mono && !dstMono &&
                        (mx.srcLen > mx.dstLen || my.srcLen > my.dstLen);
  const bool simple = !halftone && !job.mask && job.fore == job.back && !mx.stretch && !mx.mirror &&
                      (!src || src->mono == dstMono) &&
                      (!usesPattern || pat.type == PaintSource::Type::Solid);
  const bool plainCopy = !halftone && src && job.fore == 0xCC && job.back == 0xCC && !mx.stretch && !mx.mirror &&
                         src->mono == dstMono;
  for (int yy = my.dst0; yy < my.dst0 + my.dstLen; ++yy) {
    const int sy = src ? my.map(yy) : 0;
    int sy0 = sy, sy1 = sy + 1;
    if (halftone) my.box(yy, sy0, sy1);
    if (src && !halftone && (sy < 0 || sy >= src->surface.height)) continue;
    const std::uint32_t* srow = src && sy >= 0 && sy < src->surface.height ? src->surface.row(sy) : nullptr;
    std::uint32_t* drow = ds.row(yy);
    const int myy = job.ym + (yy - my.dst0);
    painter.forClip(yy, mx.dst0, mx.dst0 + mx.dstLen, [&](int a, int e) {
      if (plainCopy) {
        // Keep to the part that has source pixels.
        const int off = mx.src0 - mx.dst0;
        const int a2 = std::max(a, -off), e2 = std::min(e, src->surface.width - off);
        if (a2 < e2) std::memcpy(drow + a2, srow + a2 + off, std::size_t(e2 - a2) * 4);
        return;
      }
      if (simple) {
        // No conversion, scaling or mask: one operation over the row.
        const int off = src ? mx.src0 - mx.dst0 : 0;
        const int a2 = src ? std::max(a, -off) : a;
        const int e2 = src ? std::min(e, src->surface.width - off) : e;
        if (a2 < e2) rowOp(job.fore, pat.color, src ? srow + a2 + off : nullptr, drow + a2, e2 - a2);
        if (dstMono) for (int xx = a2; xx < e2; ++xx) drow[xx] &= 0x00FFFFFF;
        return;
      }
      for (int xx = a; xx < e; ++xx) {
        std::uint32_t s = 0;
        if (halftone) {
          int sx0 = 0, sx1 = 0;
          mx.box(xx, sx0, sx1);
          if (!averageBox(src->surface, sx0, sx1, sy0, sy1, s)) continue;
        } else if (src) {
          const int sx = mx.map(xx);
          if (sx < 0 || sx >= src->surface.width) continue;
          s = convertSource(srow[sx], *src, dstMono, text, bk);
        }
        std::uint32_t p = 0;
        if (usesPattern) pat.at(xx, yy, p);
        std::uint8_t t = job.fore;
        if (job.mask) {
          const int mxx = job.xm + (xx - mx.dst0);
          const bool inMask = mxx >= 0 && myy >= 0 && mxx < maskSurface.width && myy < maskSurface.height;
          if (inMask && !(maskSurface.at(mxx, myy) & 0x00FFFFFF)) t = job.back;
        }
        std::uint32_t r = applyRop(t, p, s, drow[xx]);
        if (dstMono) r &= 0x00FFFFFF;
        drow[xx] = r;
      }
    });
  }
  return TRUE;
}

BOOL blitFromDC(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs,
                DWORD fore, DWORD back, Bitmap* mask, int xm, int ym) {
  DC* dst = findDC(hdst);
  if (!dst) return FALSE;
  BlitJob job;
  job.dst = dst;
  job.x = x;
  job.y = y;
  job.w = w;
  job.h = h;
  job.fore = Rop3Index(fore);
  job.back = Rop3Index(back);
  job.mask = mask;
  job.xm = xm;
  job.ym = ym;
  Source src;
  if (hsrc) {
    DC* s = findDC(hsrc);
    if (!s || !sourceFromDC(*s, src)) {
      if (RopUsesSource(fore) || RopUsesSource(back)) return FALSE;
    } else {
      job.src = &src;
      job.xs = s->sx(xs);
      job.ys = s->sy(ys);
      job.ws = ws;
      job.hs = hs;
    }
  }
  return runBlit(job);
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop) {
  if (w < 0 || h < 0) return FALSE;
  return blitFromDC(dst, x, y, w, h, src, xs, ys, w, h, rop, rop, nullptr, 0, 0);
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                DWORD rop) {
  if (RopUsesSource(rop) && (ws == 0 || hs == 0)) return FALSE;
  return blitFromDC(dst, x, y, w, h, src, xs, ys, ws, hs, rop, rop, nullptr, 0, 0);
}

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
  if (RopUsesSource(rop)) return FALSE;
  // A rectangle, not a mirror: negative sizes extend left or up.
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  return blitFromDC(dc, x, y, w, h, nullptr, 0, 0, w, h, rop, rop, nullptr, 0, 0);
}

BOOL MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, HBITMAP mask, int xm,
             int ym, DWORD rop4) {
  if (w < 0 || h < 0) return FALSE;
  const DWORD fore = rop4 & 0x00FFFFFF;
  const DWORD back = (rop4 >> 8) & 0x00FF0000;
  if (!mask) return blitFromDC(dst, x, y, w, h, src, xs, ys, w, h, fore, fore, nullptr, 0, 0);
  auto m = findBitmap(mask);
  if (!m || !m->mono) return FALSE;
  return blitFromDC(dst, x, y, w, h, src, xs, ys, w, h, fore, back, m.get(), xm, ym);
}

BOOL TransparentBlt(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs,
                    UINT transparent) {
  DC* dst = findDC(hdst);
  DC* sdc = findDC(hsrc);
  if (!dst || !sdc || w <= 0 || h <= 0 || ws <= 0 || hs <= 0) return FALSE;
  Source src;
  if (!sourceFromDC(*sdc, src)) return FALSE;
  Painter painter(*dst);
  if (!painter.ok()) return TRUE;
  if (src.surface.scan0 == painter.surface().scan0) {
    src.snapshot = CopySurface(src.surface);
    src.surface = src.snapshot.view();
  }
  AxisMap mx, my;
  mx.init(dst->sx(x), w, sdc->sx(xs), ws);
  my.init(dst->sy(y), h, sdc->sy(ys), hs);
  const std::uint32_t key = toPixel(transparent) & 0x00FFFFFF;
  const bool dstMono = dst->mono();
  const std::uint32_t text = toPixel(dst->st.textColor), bk = toPixel(dst->st.bkColor);
  for (int yy = my.dst0; yy < my.dst0 + my.dstLen; ++yy) {
    const int sy = my.map(yy);
    if (sy < 0 || sy >= src.surface.height) continue;
    const std::uint32_t* srow = src.surface.row(sy);
    std::uint32_t* drow = painter.surface().row(yy);
    painter.forClip(yy, mx.dst0, mx.dst0 + mx.dstLen, [&](int a, int e) {
      for (int xx = a; xx < e; ++xx) {
        const int sx = mx.map(xx);
        if (sx < 0 || sx >= src.surface.width) continue;
        if ((srow[sx] & 0x00FFFFFF) == key) continue;
        drow[xx] = convertSource(srow[sx], src, dstMono, text, bk);
      }
    });
  }
  return TRUE;
}

// ---- Alpha blending ----------------------------------------------------------------------

namespace {

// x / 255 rounded to nearest, for x in [0, 255 * 255].
inline std::uint32_t div255(std::uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

}  // namespace

BOOL AlphaBlend(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs,
                BLENDFUNCTION bf) {
  DC* dst = findDC(hdst);
  DC* sdc = findDC(hsrc);
  if (!dst || !sdc || bf.BlendOp != AC_SRC_OVER || bf.BlendFlags != 0) return FALSE;
  if (w < 0 || h < 0 || ws < 0 || hs < 0) return FALSE;
  Source src;
  if (!sourceFromDC(*sdc, src)) return FALSE;
  const int sx0 = sdc->sx(xs), sy0 = sdc->sy(ys);
  // The source rectangle must lie inside the source surface.
  if (sx0 < 0 || sy0 < 0 || sx0 + ws > src.surface.width || sy0 + hs > src.surface.height) return FALSE;
  if (w == 0 || h == 0 || ws == 0 || hs == 0) return TRUE;
  Painter painter(*dst);
  if (!painter.ok()) return TRUE;
  if (src.surface.scan0 == painter.surface().scan0) {
    src.snapshot = CopySurface(src.surface);
    src.surface = src.snapshot.view();
  }
  AxisMap mx, my;
  mx.init(dst->sx(x), w, sx0, ws);
  my.init(dst->sy(y), h, sy0, hs);
  const std::uint32_t ca = bf.SourceConstantAlpha;
  const bool perPixel = (bf.AlphaFormat & AC_SRC_ALPHA) != 0;
  for (int yy = my.dst0; yy < my.dst0 + my.dstLen; ++yy) {
    const std::uint32_t* srow = src.surface.row(my.map(yy));
    std::uint32_t* drow = painter.surface().row(yy);
    painter.forClip(yy, mx.dst0, mx.dst0 + mx.dstLen, [&](int a, int e) {
      if (ca == 255 && perPixel && !mx.stretch && !mx.mirror) {
        // The common case, an unscaled premultiplied image at full opacity:
        // the same arithmetic without the constant alpha or a per-pixel map.
        const std::uint32_t* sp = srow + (mx.src0 + (a - mx.dst0));
        for (int xx = a; xx < e; ++xx) {
          const std::uint32_t s = *sp++, d = drow[xx], inv = 255 - (s >> 24);
          std::uint32_t out = 0;
          for (int c = 0; c < 32; c += 8) {
            const std::uint32_t v = ((s >> c) & 0xFF) + div255(((d >> c) & 0xFF) * inv);
            out |= (v > 255 ? 255 : v) << c;
          }
          drow[xx] = out;
        }
        return;
      }
      for (int xx = a; xx < e; ++xx) {
        const std::uint32_t s = srow[mx.map(xx)], d = drow[xx];
        std::uint32_t sc[4], out = 0;
        for (int c = 0; c < 4; ++c) sc[c] = div255(((s >> (8 * c)) & 0xFF) * ca);
        const std::uint32_t inv = 255 - (perPixel ? sc[3] : ca);
        for (int c = 0; c < 4; ++c) {
          const std::uint32_t v = std::min<std::uint32_t>(255, sc[c] + div255(((d >> (8 * c)) & 0xFF) * inv));
          out |= v << (8 * c);
        }
        drow[xx] = out;
      }
    });
  }
  return TRUE;
}

// ---- Gradients --------------------------------------------------------------------------

namespace {

std::uint32_t vertexPixel(double r, double g, double b, double a) {
  auto c = [](double v) { return std::uint32_t(std::clamp(v, 0.0, 65535.0)) >> 8; };
  return (c(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

}  // namespace

BOOL GradientFill(HDC h, const TRIVERTEX* v, ULONG nv, const void* mesh, ULONG nmesh, ULONG mode) {
  DC* dc = findDC(h);
  if (!dc || !v || !mesh) return FALSE;
  Painter painter(*dc);
  if (!painter.ok()) return TRUE;
  const Surface& s = painter.surface();
  if (mode == GRADIENT_FILL_RECT_H || mode == GRADIENT_FILL_RECT_V) {
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (ULONG i = 0; i < nmesh; ++i) {
      if (rects[i].UpperLeft >= nv || rects[i].LowerRight >= nv) return FALSE;
      const TRIVERTEX* a = &v[rects[i].UpperLeft];
      const TRIVERTEX* b = &v[rects[i].LowerRight];
      const bool horizontal = mode == GRADIENT_FILL_RECT_H;
      // Colours go by position: the left (or top) vertex starts.
      if (horizontal ? a->x > b->x : a->y > b->y) std::swap(a, b);
      const int l = dc->sx(std::min(a->x, b->x)), r = dc->sx(std::max(a->x, b->x));
      const int t = dc->sy(std::min(a->y, b->y)), bt = dc->sy(std::max(a->y, b->y));
      const int len = horizontal ? r - l : bt - t;
      if (len <= 0 || l >= r || t >= bt) continue;
      auto colourAt = [&](int k) {
        auto lerp = [&](COLOR16 c0, COLOR16 c1) { return double(c0) + (double(c1) - double(c0)) * k / len; };
        return vertexPixel(lerp(a->Red, b->Red), lerp(a->Green, b->Green), lerp(a->Blue, b->Blue),
                           lerp(a->Alpha, b->Alpha));
      };
      for (int yy = t; yy < bt; ++yy) {
        painter.forClip(yy, l, r, [&](int x0, int x1) {
          std::uint32_t* row = s.row(yy);
          for (int xx = x0; xx < x1; ++xx) row[xx] = colourAt(horizontal ? xx - l : yy - t);
        });
      }
    }
    return TRUE;
  }
  if (mode != GRADIENT_FILL_TRIANGLE) return FALSE;
  const auto* tris = static_cast<const GRADIENT_TRIANGLE*>(mesh);
  for (ULONG i = 0; i < nmesh; ++i) {
    const ULONG idx[3] = {tris[i].Vertex1, tris[i].Vertex2, tris[i].Vertex3};
    if (idx[0] >= nv || idx[1] >= nv || idx[2] >= nv) return FALSE;
    const TRIVERTEX& a = v[idx[0]];
    const TRIVERTEX& b = v[idx[1]];
    const TRIVERTEX& c = v[idx[2]];
    POINT pts[3] = {{dc->sx(a.x), dc->sy(a.y)}, {dc->sx(b.x), dc->sy(b.y)}, {dc->sx(c.x), dc->sy(c.y)}};
    const double det = double(pts[1].y - pts[2].y) * (pts[0].x - pts[2].x) +
                       double(pts[2].x - pts[1].x) * (pts[0].y - pts[2].y);
    if (det == 0) continue;
    const int three = 3;
    const SpanSet spans = polygonSpans(pts, &three, 1, ALTERNATE);
    for (const SpanSet::Span& sp : spans.spans()) {
      painter.forClip(sp.y, sp.x0, sp.x1, [&](int x0, int x1) {
        std::uint32_t* row = s.row(sp.y);
        for (int xx = x0; xx < x1; ++xx) {
          const double w0 = (double(pts[1].y - pts[2].y) * (xx - pts[2].x) +
                             double(pts[2].x - pts[1].x) * (sp.y - pts[2].y)) / det;
          const double w1 = (double(pts[2].y - pts[0].y) * (xx - pts[2].x) +
                             double(pts[0].x - pts[2].x) * (sp.y - pts[2].y)) / det;
          const double w2 = 1.0 - w0 - w1;
          auto mix = [&](COLOR16 p, COLOR16 q, COLOR16 r) { return w0 * p + w1 * q + w2 * r; };
          row[xx] = vertexPixel(mix(a.Red, b.Red, c.Red), mix(a.Green, b.Green, c.Green),
                                mix(a.Blue, b.Blue, c.Blue), mix(a.Alpha, b.Alpha, c.Alpha));
        }
      });
    }
  }
  return TRUE;
}

// ---- DIBs -------------------------------------------------------------------------------

namespace {

int dibHeight(const BITMAPINFOHEADER& h) { return h.biHeight < 0 ? -h.biHeight : h.biHeight; }

// Decodes the scan lines [start, start + lines) of a DIB into a top-down
// image of the DIB's full size; `present` marks the rows decoded.
bool decodeDib(const void* bits, const BITMAPINFO* bmi, UINT start, UINT lines, ImageBGRA& img,
               std::vector<bool>& present) {
  if (!bits || !bmi || !validDibHeader(bmi->bmiHeader)) return false;
  const DibFormat f = dibFormatOf(bmi);
  const int w = bmi->bmiHeader.biWidth, h = dibHeight(bmi->bmiHeader);
  img = ImageBGRA(w, h);
  present.assign(std::size_t(h), false);
  const std::size_t stride = dibStride(w, f.bpp);
  const auto* p = static_cast<const std::uint8_t*>(bits);
  for (UINT j = 0; j < lines; ++j) {
    const std::int64_t scan = std::int64_t(start) + j;
    if (scan >= h) break;
    const int y = f.topDown ? int(scan) : h - 1 - int(scan);
    dibRowToPixels(p + stride * j, f, &img.at(0, y), w);
    if (f.bpp != 32) {
      for (int x = 0; x < w; ++x) img.at(x, y) &= 0x00FFFFFF;
    }
    present[std::size_t(y)] = true;
  }
  return true;
}

}  // namespace

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage) {
  auto b = findBitmap(hbm);
  if (!findDC(hdc) || !b || !bmi || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& hd = bmi->bmiHeader;
  if (hd.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (hd.biBitCount == 0) {
    hd.biWidth = b->width;
    hd.biHeight = b->height;
    hd.biPlanes = 1;
    hd.biBitCount = WORD(b->bpp);
    hd.biCompression = BI_RGB;
    hd.biSizeImage = DWORD(dibStride(b->width, b->bpp) * std::size_t(b->height));
    return b->height;
  }
  if (hd.biCompression == BI_BITFIELDS && hd.biBitCount == 16) {
    auto* masks = reinterpret_cast<DWORD*>(reinterpret_cast<std::uint8_t*>(bmi) + hd.biSize);
    if (!masks[0] && !masks[1] && !masks[2]) {
      masks[0] = 0xF800;
      masks[1] = 0x07E0;
      masks[2] = 0x001F;
    }
  }
  if (!validDibHeader(hd)) return 0;
  hd.biSizeImage = DWORD(dibStride(hd.biWidth, hd.biBitCount) * std::size_t(dibHeight(hd)));
  if (hd.biBitCount <= 8) {
    const std::vector<RGBQUAD> table = defaultColorTable(hd.biBitCount, b->mono);
    std::memcpy(reinterpret_cast<std::uint8_t*>(bmi) + hd.biSize, table.data(), table.size() * sizeof(RGBQUAD));
    hd.biClrUsed = 0;
  }
  if (!bits) return b->height;
  const DibFormat f = dibFormatOf(bmi);
  const int w = hd.biWidth, h = dibHeight(hd);
  const std::size_t stride = dibStride(w, f.bpp);
  Surface s = b->surface();
  std::vector<std::uint32_t> row(std::size_t(w), 0);
  auto* out = static_cast<std::uint8_t*>(bits);
  int copied = 0;
  for (UINT j = 0; j < lines; ++j) {
    const std::int64_t scan = std::int64_t(start) + j;
    if (scan >= h) break;
    const int y = f.topDown ? int(scan) : h - 1 - int(scan);
    std::fill(row.begin(), row.end(), 0u);
    if (y < b->height) std::memcpy(row.data(), s.row(y), std::size_t(std::min(w, b->width)) * 4);
    pixelsToDibRow(row.data(), w, f, out + stride * j);
    ++copied;
  }
  return copied;
}

int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi,
              UINT usage) {
  auto b = findBitmap(hbm);
  if (!findDC(hdc) || !b || b->stock || usage != DIB_RGB_COLORS) return 0;
  ImageBGRA img;
  std::vector<bool> present;
  if (!decodeDib(bits, bmi, start, lines, img, present)) return 0;
  Surface s = b->surface();
  int copied = 0;
  const int h = std::min(img.height, b->height);
  for (int y = 0; y < img.height; ++y) {
    if (!present[std::size_t(y)]) continue;
    ++copied;
    if (y >= h) continue;
    std::uint32_t* dst = s.row(y);
    for (int x = 0; x < std::min(img.width, b->width); ++x) {
      dst[x] = b->mono ? toMono(img.at(x, y)) : img.at(x, y);
    }
  }
  b->commit();
  return copied;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT start,
                      UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage) {
  DC* dc = findDC(hdc);
  if (!dc || usage != DIB_RGB_COLORS) return 0;
  ImageBGRA img;
  std::vector<bool> present;
  if (!decodeDib(bits, bmi, start, lines, img, present)) return 0;
  const bool topDown = bmi->bmiHeader.biHeight < 0;
  const int top = topDown ? ySrc : img.height - ySrc - int(h);
  Painter painter(*dc);
  if (!painter.ok()) return int(lines);
  const bool mono = dc->mono();
  const int dx0 = dc->sx(xDest), dy0 = dc->sy(yDest);
  for (int r = 0; r < int(h); ++r) {
    const int iy = top + r;
    if (iy < 0 || iy >= img.height || !present[std::size_t(iy)]) continue;
    std::uint32_t* drow = painter.surface().row(dy0 + r);
    painter.forClip(dy0 + r, dx0, dx0 + int(w), [&](int a, int e) {
      for (int xx = a; xx < e; ++xx) {
        const int ix = xSrc + (xx - dx0);
        if (ix < 0 || ix >= img.width) continue;
        drow[xx] = mono ? toMono(img.at(ix, iy)) : img.at(ix, iy);
      }
    });
  }
  return int(lines);
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* bmi, UINT usage,
                  DWORD rop) {
  DC* dc = findDC(hdc);
  if (!dc || usage != DIB_RGB_COLORS) return 0;
  ImageBGRA img;
  std::vector<bool> present;
  if (!decodeDib(bits, bmi, 0, UINT(dibHeight(bmi ? bmi->bmiHeader : BITMAPINFOHEADER{})), img, present)) {
    return 0;
  }
  const bool topDown = bmi->bmiHeader.biHeight < 0;
  Source src;
  src.surface = img.view();
  BlitJob job;
  job.dst = dc;
  job.x = xDest;
  job.y = yDest;
  job.w = destWidth;
  job.h = destHeight;
  job.src = &src;
  job.xs = xSrc;
  job.ys = topDown ? ySrc : img.height - ySrc - std::abs(srcHeight);
  job.ws = srcWidth;
  job.hs = srcHeight;
  // A bottom-up DIB's rows run upward: the picture is not flipped.
  job.fore = job.back = Rop3Index(rop);
  if (!runBlit(job)) return 0;
  return std::abs(srcHeight);
}

}  // namespace gdi

// The drawing of every part: flat faces, 1-pixel borders with softened
// corners, one accent colour for what is on, checked or focused. Straight
// shapes go through the pixel-exact GDI layer; round ones (radio buttons,
// the navigation button) through GDI+ with anti-aliasing.
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/pen.h"
#include "platform/theme/parts.h"

namespace theme::detail {

namespace {

using gdi::POINT;

COLORREF prop(const PartDef& part, const Look& look, int id) {
  bool found = false;
  return colorOf(part, look, id, &found);
}

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

void fill(HDC dc, const RECT& r, COLORREF c) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  gdi::HBRUSH b = gdi::CreateSolidBrush(c);
  gdi::FillRect(dc, &r, b);
  gdi::DeleteObject(b);
}

void fill(HDC dc, int l, int t, int r, int b, COLORREF c) { fill(dc, RECT{l, t, r, b}, c); }

void frame(HDC dc, const RECT& r, COLORREF c) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  gdi::HBRUSH b = gdi::CreateSolidBrush(c);
  gdi::FrameRect(dc, &r, b);
  gdi::DeleteObject(b);
}

// A border whose four corner pixels are left out: reads as a slightly
// rounded box at every size.
void softFrame(HDC dc, const RECT& r, COLORREF c) {
  if (width(r) < 3 || height(r) < 3) {
    frame(dc, r, c);
    return;
  }
  fill(dc, r.left + 1, r.top, r.right - 1, r.top + 1, c);
  fill(dc, r.left + 1, r.bottom - 1, r.right - 1, r.bottom, c);
  fill(dc, r.left, r.top + 1, r.left + 1, r.bottom - 1, c);
  fill(dc, r.right - 1, r.top + 1, r.right, r.bottom - 1, c);
}

RECT inflated(const RECT& r, int d) { return RECT{r.left - d, r.top - d, r.right + d, r.bottom + d}; }

void box(HDC dc, const RECT& r, COLORREF face, COLORREF border) {
  fill(dc, inflated(r, -1), face);
  softFrame(dc, r, border);
}

void polygon(HDC dc, std::initializer_list<POINT> pts, COLORREF c) {
  const std::vector<POINT> v(pts);
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, c);
  gdi::HBRUSH brush = gdi::CreateSolidBrush(c);
  gdi::HGDIOBJ oldPen = gdi::SelectObject(dc, pen);
  gdi::HGDIOBJ oldBrush = gdi::SelectObject(dc, brush);
  gdi::Polygon(dc, v.data(), int(v.size()));
  gdi::SelectObject(dc, oldPen);
  gdi::SelectObject(dc, oldBrush);
  gdi::DeleteObject(pen);
  gdi::DeleteObject(brush);
}

void line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c, int w = 1) {
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, w, c);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, pen);
  gdi::MoveToEx(dc, x0, y0, nullptr);
  gdi::LineTo(dc, x1, y1);
  gdi::SelectObject(dc, old);
  gdi::DeleteObject(pen);
}

// A small solid triangle pointing `dir`, centred in `r`, `s` pixels from base to tip.
void arrow(HDC dc, const RECT& r, Dir dir, COLORREF c, int s = 3) {
  const int cx = r.left + width(r) / 2, cy = r.top + height(r) / 2;
  switch (dir) {
    case Dir::Up: polygon(dc, {{cx - s, cy + s / 2}, {cx + s, cy + s / 2}, {cx, cy - s + s / 2}}, c); break;
    case Dir::Down: polygon(dc, {{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s - s / 2}}, c); break;
    case Dir::Left: polygon(dc, {{cx + s / 2, cy - s}, {cx + s / 2, cy + s}, {cx - s + s / 2, cy}}, c); break;
    case Dir::Right: polygon(dc, {{cx - s / 2, cy - s}, {cx - s / 2, cy + s}, {cx + s - s / 2, cy}}, c); break;
    case Dir::None: break;
  }
}

// An open chevron (two strokes) pointing up or down.
void chevron(HDC dc, int cx, int cy, Dir dir, COLORREF c) {
  const int d = dir == Dir::Up ? -1 : 1;
  for (int k = 0; k < 2; ++k) {
    line(dc, cx - 4, cy - 2 * d + k, cx, cy + 2 * d + k, c);
    line(dc, cx, cy + 2 * d + k, cx + 4, cy - 2 * d + k, c);
  }
}

void ellipse(HDC dc, const RECT& r, COLORREF face, COLORREF border, float inset = 0.5f) {
  gdiplus::GpGraphics* g = nullptr;
  if (gdiplus::GdipCreateFromHDC(dc, &g) != gdiplus::Ok) return;
  gdiplus::GdipSetSmoothingMode(g, gdiplus::SmoothingModeAntiAlias);
  auto argb = [](COLORREF c) {
    return gdiplus::ARGB(0xFF000000u | (gdi::GetRValue(c) << 16) | (gdi::GetGValue(c) << 8) | gdi::GetBValue(c));
  };
  const float x = float(r.left) + inset, y = float(r.top) + inset;
  const float w = float(width(r)) - 2 * inset, h = float(height(r)) - 2 * inset;
  gdiplus::GpSolidFill* brush = nullptr;
  if (gdiplus::GdipCreateSolidFill(argb(face), &brush) == gdiplus::Ok) {
    gdiplus::GdipFillEllipse(g, brush, x, y, w, h);
    gdiplus::GdipDeleteBrush(brush);
  }
  gdiplus::GpPen* pen = nullptr;
  if (border != face && gdiplus::GdipCreatePen1(argb(border), 1.0f, gdiplus::UnitPixel, &pen) == gdiplus::Ok) {
    gdiplus::GdipDrawEllipse(g, pen, x, y, w, h);
    gdiplus::GdipDeletePen(pen);
  }
  gdiplus::GdipDeleteGraphics(g);
}

RECT centred(const RECT& r, int w, int h) {
  const int l = r.left + (width(r) - w) / 2, t = r.top + (height(r) - h) / 2;
  return RECT{l, t, l + w, t + h};
}

void drawCheck(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const RECT b = centred(r, 13, 13);
  const COLORREF face = prop(part, look, TMT_FILLCOLOR);
  box(dc, b, face, prop(part, look, TMT_BORDERCOLOR));
  const COLORREF glyph = prop(part, look, TMT_GLYPHCOLOR);
  if (look.mark == Mark::Checked) {
    // A tick two pixels thick.
    for (int k = 0; k < 2; ++k) {
      line(dc, b.left + 3, b.top + 6 + k, b.left + 5, b.top + 8 + k, glyph);
      line(dc, b.left + 5, b.top + 8 + k, b.left + 10, b.top + 3 + k, glyph);
    }
  } else if (look.mark == Mark::Mixed) {
    fill(dc, b.left + 3, b.top + 5, b.right - 3, b.bottom - 5, glyph);
  }
}

void drawRadio(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const RECT b = centred(r, 13, 13);
  ellipse(dc, b, prop(part, look, TMT_FILLCOLOR), prop(part, look, TMT_BORDERCOLOR));
  if (look.mark != Mark::None) {
    const COLORREF dot = prop(part, look, TMT_GLYPHCOLOR);
    ellipse(dc, inflated(b, -4), dot, dot, 0.0f);
  }
}

void drawPush(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  box(dc, r, prop(part, look, TMT_FILLCOLOR), prop(part, look, TMT_BORDERCOLOR));
  if (look.isDefault) frame(dc, inflated(r, -1), prop(part, look, TMT_BORDERCOLOR));
}

void drawScrollArrow(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  if (look.vis == Vis::Normal) {
    fill(dc, r, prop(part, look, TMT_FILLCOLOR));
  } else {
    box(dc, r, prop(part, look, TMT_FILLCOLOR), look.vis == Vis::Disabled ? prop(part, look, TMT_FILLCOLOR)
                                                                         : prop(part, look, TMT_BORDERCOLOR));
  }
  arrow(dc, r, look.dir, prop(part, look, TMT_GLYPHCOLOR), std::max(2, std::min(width(r), height(r)) / 5));
}

void drawThumb(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  // A rounded bar inset from the track, so the track shows around it.
  const bool horz = part.part == 2;
  RECT bar = r;
  if (horz) {
    bar.top += 3;
    bar.bottom -= 3;
  } else {
    bar.left += 3;
    bar.right -= 3;
  }
  fill(dc, r, gdi::RGB(240, 241, 243));
  const COLORREF c = prop(part, look, TMT_FILLCOLOR);
  fill(dc, inflated(bar, -1), c);
  softFrame(dc, bar, c);
}

void drawGripper(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const COLORREF c = prop(part, look, TMT_GLYPHCOLOR);
  const int cx = r.left + width(r) / 2, cy = r.top + height(r) / 2;
  for (int k = -2; k <= 2; k += 2) {
    if (part.part == 8)
      fill(dc, cx + k, cy - 3, cx + k + 1, cy + 3, c);
    else
      fill(dc, cx - 3, cy + k, cx + 3, cy + k + 1, c);
  }
}

void drawSizeBox(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const COLORREF c = prop(part, look, TMT_GLYPHCOLOR);
  // Six dots in a triangle against the bottom-right corner.
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col <= row; ++col) {
      const int x = r.right - 4 - col * 4, y = r.bottom - 4 - (2 - row) * 4;
      fill(dc, x - 2, y - 2, x, y, c);
    }
}

void drawHeader(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  fill(dc, r, look.vis == Vis::Normal ? gdi::RGB(255, 255, 255) : prop(part, look, TMT_FILLCOLOR));
  const COLORREF sep = prop(part, Look{}, TMT_BORDERCOLOR);
  fill(dc, r.left, r.bottom - 1, r.right, r.bottom, sep);
  if (part.part != 3) fill(dc, r.right - 1, r.top + 3, r.right, r.bottom - 4, sep);
  if (look.vis == Vis::Pressed || look.vis == Vis::Hot)
    fill(dc, r.left, r.bottom - 2, r.right, r.bottom, prop(part, look, TMT_BORDERCOLOR));
}

void drawTab(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const COLORREF border = look.vis == Vis::Selected || look.vis == Vis::Focused ? gdi::RGB(173, 179, 188)
                                                                                 : prop(part, look, TMT_BORDERCOLOR);
  const COLORREF face = look.vis == Vis::Focused ? gdi::RGB(255, 255, 255) : prop(part, look, TMT_FILLCOLOR);
  fill(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom, face);
  fill(dc, r.left + 1, r.top, r.right - 1, r.top + 1, border);
  fill(dc, r.left, r.top + 1, r.left + 1, r.bottom, border);
  fill(dc, r.right - 1, r.top + 1, r.right, r.bottom, border);
  if (look.vis == Vis::Selected || look.vis == Vis::Focused)
    fill(dc, r.left + 1, r.top + 1, r.right - 1, r.top + 3, gdi::RGB(43, 108, 214));
}

void drawTreeGlyph(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const RECT b = centred(r, 9, 9);
  const COLORREF glyph = prop(part, look, TMT_GLYPHCOLOR);
  box(dc, b, gdi::RGB(255, 255, 255), prop(part, look, TMT_BORDERCOLOR));
  fill(dc, b.left + 2, b.top + 4, b.right - 2, b.top + 5, glyph);
  if (look.mark == Mark::None) fill(dc, b.left + 4, b.top + 2, b.left + 5, b.bottom - 2, glyph);
}

void drawClose(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  if (look.vis != Vis::Normal) box(dc, r, prop(part, look, TMT_FILLCOLOR), prop(part, look, TMT_FILLCOLOR));
  const RECT g = centred(r, 7, 7);
  const COLORREF c = prop(part, look, TMT_GLYPHCOLOR);
  for (int k = 0; k < 7; ++k) {
    fill(dc, g.left + k, g.top + k, g.left + k + 1, g.top + k + 1, c);
    fill(dc, g.right - 1 - k, g.top + k, g.right - k, g.top + k + 1, c);
  }
}

void drawBack(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const int s = std::min(width(r), height(r)) - 4;
  const RECT b = centred(r, s, s);
  const COLORREF face = look.vis == Vis::Normal ? gdi::RGB(255, 255, 255) : prop(part, look, TMT_FILLCOLOR);
  ellipse(dc, b, face, prop(part, look, TMT_BORDERCOLOR));
  const COLORREF c = look.vis == Vis::Disabled ? prop(part, look, TMT_GLYPHCOLOR) : gdi::RGB(43, 108, 214);
  const int cx = b.left + s / 2, cy = b.top + s / 2;
  fill(dc, cx - s / 4, cy - 1, cx + s / 4 + 1, cy + 1, c);
  arrow(dc, RECT{cx - s / 4 - 3, cy - 4, cx - s / 4 + 3, cy + 4}, Dir::Left, c, 4);
}

void drawChevron(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const int s = std::min({width(r), height(r), 20}) - 2;
  const RECT b = centred(r, s, s);
  if (look.vis != Vis::Normal) ellipse(dc, b, prop(part, look, TMT_FILLCOLOR), prop(part, look, TMT_BORDERCOLOR));
  chevron(dc, b.left + s / 2, b.top + s / 2, look.dir, prop(part, look, TMT_GLYPHCOLOR));
}

void drawTrackThumb(HDC dc, const RECT& r, const PartDef& part, const Look& look) {
  const COLORREF c = prop(part, look, TMT_FILLCOLOR);
  fill(dc, inflated(r, -1), c);
  softFrame(dc, r, c);
  if (look.vis == Vis::Focused) frame(dc, inflated(r, -2), gdi::RGB(255, 255, 255));
}

}  // namespace

void drawPart(HDC dc, const PartDef& part, const Look& look, const RECT& r) {
  const COLORREF face = prop(part, look, TMT_FILLCOLOR);
  const COLORREF border = prop(part, look, TMT_BORDERCOLOR);
  switch (part.kind) {
    case Kind::PushButton: drawPush(dc, r, part, look); break;
    case Kind::Radio: drawRadio(dc, r, part, look); break;
    case Kind::CheckBox: drawCheck(dc, r, part, look); break;
    case Kind::GroupBox: softFrame(dc, r, border); break;
    case Kind::DropButton:
      fill(dc, r, look.vis == Vis::Normal ? gdi::RGB(255, 255, 255) : face);
      if (look.vis == Vis::Hot || look.vis == Vis::Pressed) fill(dc, r.left, r.top, r.left + 1, r.bottom, border);
      chevron(dc, r.left + width(r) / 2, r.top + height(r) / 2, Dir::Down, prop(part, look, TMT_GLYPHCOLOR));
      break;
    case Kind::EditField:
    case Kind::Frame:
    case Kind::TabPane:
    case Kind::ProgressBar:
    case Kind::TipFill:
      fill(dc, inflated(r, -1), face);
      frame(dc, r, border);
      break;
    case Kind::Fill: fill(dc, r, part.cls == Cls::Menu ? gdi::RGB(246, 247, 248) : face); break;
    case Kind::Chevron: drawChevron(dc, r, part, look); break;
    case Kind::HeaderItem: drawHeader(dc, r, part, look); break;
    case Kind::ArrowButton: drawScrollArrow(dc, r, part, look); break;
    case Kind::Thumb: drawThumb(dc, r, part, look); break;
    case Kind::Track: fill(dc, r, face); break;
    case Kind::Gripper: drawGripper(dc, r, part, look); break;
    case Kind::SizeBox: drawSizeBox(dc, r, part, look); break;
    case Kind::TabItem: drawTab(dc, r, part, look); break;
    case Kind::ToolButton:
      if (look.vis != Vis::Normal || look.mark != Mark::None) box(dc, r, face, border);
      break;
    case Kind::SeparatorV: fill(dc, r.left + width(r) / 2, r.top + 2, r.left + width(r) / 2 + 1, r.bottom - 2, gdi::RGB(173, 179, 188)); break;
    case Kind::SeparatorH: fill(dc, r.left + 2, r.top + height(r) / 2, r.right - 2, r.top + height(r) / 2 + 1, gdi::RGB(173, 179, 188)); break;
    case Kind::MenuItem:
      if (look.vis == Vis::Hot) box(dc, r, face, gdi::RGB(153, 196, 246));
      break;
    case Kind::ProgressChunk: fill(dc, r, face); break;
    case Kind::TrackGroove:
      fill(dc, inflated(r, -1), gdi::RGB(214, 218, 224));
      softFrame(dc, r, border);
      break;
    case Kind::TrackThumb: drawTrackThumb(dc, r, part, look); break;
    case Kind::TreeGlyph: drawTreeGlyph(dc, r, part, look); break;
    case Kind::CloseButton: drawClose(dc, r, part, look); break;
    case Kind::BackButton: drawBack(dc, r, part, look); break;
    case Kind::ListItem:
      if (look.vis == Vis::Hot || look.vis == Vis::Selected) box(dc, r, face, border);
      break;
    case Kind::None: break;
  }
}

}  // namespace theme::detail

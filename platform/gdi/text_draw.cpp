// Formatted text output (DrawTextW / DrawTextExW): prefixes, tabs, line
// and word breaking, ellipses, alignment, measuring and clipping.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/impl/font_output.h"
#include "platform/gdi/text.h"

namespace gdi {
namespace impl {
namespace {

constexpr char16_t kEllipsis[] = u"...";

struct Layout {
  FontInstance& font;
  bool expandTabs = false;
  int tabPx = 0;
  int width = 0;  // of the formatting rectangle
};

struct Line {
  std::u16string text;
  int prefix = -1;  // unit to underline
  int width = 0;
  std::shared_ptr<ShapedText> shaped;  // of `text` when it has no tabs to expand
};

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Cumulative extents with tabs moved to the next stop.
void extentsOf(const Layout& lay, const std::u16string& s, std::vector<int>& ext) {
  ShapedText shaped;
  shapeLine(lay.font, s.data(), int(s.size()), shaped);
  ext.resize(s.size());
  int x = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (lay.expandTabs && s[i] == u'\t') x = lay.tabPx > 0 ? (x / lay.tabPx + 1) * lay.tabPx : x;
    else x += shaped.advance[i];
    ext[i] = x;
  }
}

int widthOf(const Layout& lay, const std::u16string& s) {
  if (s.empty()) return 0;
  if (!lay.expandTabs || s.find(u'\t') == std::u16string::npos) return lineWidth(lay.font, s.data(), int(s.size()));
  std::vector<int> ext;
  extentsOf(lay, s, ext);
  return ext.back();
}

// Measures a row, keeping the shaping for drawing when there are no tabs.
void measure(const Layout& lay, Line& line) {
  if (lay.expandTabs && line.text.find(u'\t') != std::u16string::npos) {
    line.shaped.reset();
    line.width = widthOf(lay, line.text);
    return;
  }
  if (!line.shaped) line.shaped = std::make_shared<ShapedText>();
  shapeLine(lay.font, line.text.data(), int(line.text.size()), *line.shaped);
  line.width = line.shaped->width;
}

// "&x" underlines x, "&&" is "&"; a lone "&" at the end is dropped. The
// last prefix wins.
std::u16string stripPrefixes(const std::u16string& in, int* prefix) {
  std::u16string out;
  *prefix = -1;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == u'&') {
      if (i + 1 < in.size() && in[i + 1] == u'&') {
        out += u'&';
        ++i;
        continue;
      }
      if (i + 1 < in.size()) *prefix = int(out.size());
      continue;
    }
    out += in[i];
  }
  return out;
}

// Splits at CR, LF, CR LF and LF CR.
std::vector<std::pair<int, int>> hardLines(const std::u16string& s) {
  std::vector<std::pair<int, int>> lines;
  int start = 0;
  const int n = int(s.size());
  for (int i = 0; i < n; ++i) {
    if (s[i] != u'\r' && s[i] != u'\n') continue;
    lines.emplace_back(start, i);
    if (i + 1 < n && (s[i + 1] == u'\r' || s[i + 1] == u'\n') && s[i + 1] != s[i]) ++i;
    start = i + 1;
  }
  lines.emplace_back(start, n);
  return lines;
}

bool isBreakSpace(char16_t c) { return c == u' ' || c == u'\t'; }

// Breaks [begin, end) of `s` into rows no wider than the rectangle: at
// spaces; a word wider than a row stays whole unless `charBreak`.
void wrap(const Layout& lay, const std::u16string& s, int begin, int end, bool charBreak,
          std::vector<std::pair<int, int>>& rows) {
  const std::u16string part = s.substr(std::size_t(begin), std::size_t(end - begin));
  std::vector<int> ext;
  extentsOf(lay, part, ext);
  const int n = int(part.size());
  auto widthBetween = [&](int a, int b) { return b <= a ? 0 : ext[std::size_t(b - 1)] - (a > 0 ? ext[std::size_t(a - 1)] : 0); };
  int start = 0;
  if (n == 0) {
    rows.emplace_back(begin, begin);
    return;
  }
  while (start < n) {
    int fit = start;
    while (fit < n && widthBetween(start, fit + 1) <= lay.width) ++fit;
    if (fit >= n) {
      rows.emplace_back(begin + start, begin + n);
      break;
    }
    // The last space inside what fits (or right after it) ends the row.
    int brk = -1;
    for (int i = fit; i > start; --i)
      if (isBreakSpace(part[std::size_t(i)])) {
        brk = i;
        break;
      }
    int rowEnd, next;
    if (brk > start) {
      rowEnd = brk;
      while (rowEnd > start && isBreakSpace(part[std::size_t(rowEnd - 1)])) --rowEnd;
      next = brk;
    } else if (charBreak) {
      rowEnd = std::max(fit, start + 1);
      if (rowEnd < n && rowEnd > start + 1 && isHighSurrogate(part[std::size_t(rowEnd - 1)])) --rowEnd;
      if (rowEnd < n && isHighSurrogate(part[std::size_t(rowEnd - 1)])) ++rowEnd;
      next = rowEnd;
    } else {
      rowEnd = fit;
      while (rowEnd < n && !isBreakSpace(part[std::size_t(rowEnd)])) ++rowEnd;
      next = rowEnd;
    }
    while (next < n && isBreakSpace(part[std::size_t(next)])) ++next;
    if (rowEnd == start && next == start) ++next;  // always move on
    rows.emplace_back(begin + start, begin + rowEnd);
    start = next;
  }
}

// The longest prefix of `s` (in units, never half a pair) that fits
// `room` pixels.
int fittingPrefix(const Layout& lay, const std::u16string& s, int room) {
  std::vector<int> ext;
  extentsOf(lay, s, ext);
  int k = 0;
  while (k < int(s.size()) && ext[std::size_t(k)] <= room) ++k;
  if (k > 0 && k < int(s.size()) && isHighSurrogate(s[std::size_t(k - 1)])) --k;
  return k;
}

enum class Ellipsis { None, End, Word, Path };

// Shortens a row that is too wide. Returns whether it changed.
bool ellipsize(const Layout& lay, Line& line, Ellipsis kind) {
  if (kind == Ellipsis::None || line.width <= lay.width) return false;
  const int ellW = lineWidth(lay.font, kEllipsis, 3);
  std::u16string& s = line.text;
  if (kind == Ellipsis::Path) {
    const std::size_t sep = s.find_last_of(u"\\/");
    if (sep != std::u16string::npos && sep > 0) {
      const std::u16string tail = s.substr(sep);
      const std::u16string head = s.substr(0, sep);
      const int room = lay.width - ellW - widthOf(lay, tail);
      const int k = room > 0 ? fittingPrefix(lay, head, room) : 0;
      s = head.substr(0, std::size_t(k)) + kEllipsis + tail;
      if (line.prefix >= k) line.prefix = line.prefix >= int(sep) ? line.prefix - int(sep) + k + 3 : -1;
      measure(lay, line);
      return true;
    }
    kind = Ellipsis::End;
  }
  int k = fittingPrefix(lay, s, lay.width - ellW);
  if (kind == Ellipsis::Word) {
    int w = k;
    while (w > 0 && !isBreakSpace(s[std::size_t(w)])) --w;
    if (w > 0) {
      while (w > 0 && isBreakSpace(s[std::size_t(w - 1)])) --w;
      if (w > 0) k = w;
    }
  }
  s = s.substr(0, std::size_t(k)) + kEllipsis;
  if (line.prefix >= k) line.prefix = -1;
  measure(lay, line);
  return true;
}

// Draws one row at surface (x, y), tab pieces placed at their stops.
void drawRow(DC& dc, const Layout& lay, const Line& line, int x, int y, const RECT* limit, bool glyphs,
             bool underlinePrefix) {
  const std::u16string& s = line.text;
  const double angle = dcEscapement(dc);
  int segStart = 0;
  int px = 0;
  ShapedText shaped;
  while (segStart <= int(s.size())) {
    int segEnd = segStart;
    if (lay.expandTabs)
      while (segEnd < int(s.size()) && s[std::size_t(segEnd)] != u'\t') ++segEnd;
    else
      segEnd = int(s.size());
    const bool whole = segStart == 0 && segEnd == int(s.size()) && line.shaped;
    if (!whole) shapeLine(lay.font, s.data() + segStart, segEnd - segStart, shaped);
    const ShapedText& piece = whole ? *line.shaped : shaped;
    LineOutput out;
    out.originX = x + px;
    out.originY = y;
    out.limit = limit;
    out.opaqueCell = glyphs && dc.st.bkMode == OPAQUE;
    out.placement.originX = out.originX;
    out.placement.originY = out.originY;
    out.placement.angle = angle;
    out.placement.drawGlyphs = glyphs;
    out.placement.fontLines = glyphs;
    if (underlinePrefix && line.prefix >= segStart && line.prefix < segEnd) {
      out.placement.underlineFrom = line.prefix - segStart;
      out.placement.underlineTo = out.placement.underlineFrom + 1;
      if (isHighSurrogate(s[std::size_t(line.prefix)]) && line.prefix + 1 < segEnd) ++out.placement.underlineTo;
    }
    if (segEnd > segStart) outputLine(dc, lay.font, piece, out);
    px += piece.width;
    if (segEnd >= int(s.size())) break;
    px = lay.tabPx > 0 ? (px / lay.tabPx + 1) * lay.tabPx : px;
    segStart = segEnd + 1;
  }
}

}  // namespace
}  // namespace impl

using namespace impl;

int DrawTextExW(HDC h, const WCHAR* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  DC* dc = findDC(h);
  if (!dc || !rect || (count != 0 && !text)) return 0;
  if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
  int n = count;
  if (n < 0) {
    n = 0;
    while (text[n]) ++n;
  }
  auto lock = textLock();
  FontInstance& font = dcFont(*dc);
  const FontMetricsPx& m = font.metrics();

  // With DT_TABSTOP the second byte is the tab size in characters.
  int tabChars = params && params->iTabLength > 0 ? params->iTabLength : 8;
  if (format & DT_TABSTOP) {
    tabChars = int((format >> 8) & 0xFF);
    format &= ~UINT(0xFF00);
  }
  RECT r = *rect;
  if (params) {
    r.left += params->iLeftMargin;
    r.right -= params->iRightMargin;
  }
  Layout lay{font};
  lay.expandTabs = (format & DT_EXPANDTABS) != 0;
  lay.tabPx = tabChars * m.aveCharWidth;
  lay.width = std::max<LONG>(0, r.right - r.left);
  const int lineH = m.height + ((format & DT_EXTERNALLEADING) ? m.externalLeading : 0);
  const bool single = (format & DT_SINGLELINE) != 0;

  std::u16string source(text ? text : u"", std::size_t(n));
  int prefix = -1;
  const bool prefixes = !(format & DT_NOPREFIX);
  std::u16string s = prefixes ? stripPrefixes(source, &prefix) : source;
  const bool underline = prefixes && !(format & DT_HIDEPREFIX);

  // Rows.
  std::vector<std::pair<int, int>> spans;
  if (single) {
    spans.emplace_back(0, int(s.size()));
  } else {
    for (const auto& hl : hardLines(s)) {
      if (format & DT_WORDBREAK) wrap(lay, s, hl.first, hl.second, (format & DT_EDITCONTROL) != 0, spans);
      else spans.push_back(hl);
    }
  }
  const Ellipsis ellipsis = (format & DT_PATH_ELLIPSIS)   ? Ellipsis::Path
                            : (format & DT_END_ELLIPSIS)  ? Ellipsis::End
                            : (format & DT_WORD_ELLIPSIS) ? Ellipsis::Word
                                                          : Ellipsis::None;
  std::vector<Line> lines;
  lines.reserve(spans.size());
  bool modified = false;
  std::u16string shown;
  int maxWidth = 0;
  for (const auto& sp : spans) {
    Line line;
    line.text = s.substr(std::size_t(sp.first), std::size_t(sp.second - sp.first));
    if (prefix >= sp.first && prefix < sp.second) line.prefix = prefix - sp.first;
    measure(lay, line);
    if (ellipsize(lay, line, ellipsis) && !modified) {
      modified = true;
      shown = line.text;
    }
    maxWidth = std::max(maxWidth, line.width);
    lines.push_back(std::move(line));
  }
  if ((format & DT_MODIFYSTRING) && modified && text) {
    auto* out = const_cast<WCHAR*>(text);
    const std::size_t room = std::size_t(n) + 4;
    const std::size_t k = std::min(shown.size(), room - 1);
    std::copy(shown.begin(), shown.begin() + std::ptrdiff_t(k), out);
    out[k] = 0;
  }
  if (params) params->uiLengthDrawn = UINT(n);

  const int totalH = int(lines.size()) * lineH;
  int top = r.top;
  if (single && (format & DT_VCENTER)) top = (r.top + r.bottom - lineH) / 2;
  else if (single && (format & DT_BOTTOM)) top = r.bottom - lineH;
  const int result = single && (format & (DT_VCENTER | DT_BOTTOM)) ? top + totalH - rect->top : totalH;

  if (format & DT_CALCRECT) {
    rect->right = r.left + maxWidth + (params ? params->iRightMargin : 0);
    rect->bottom = rect->top + totalH;
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) rect->bottom = top + totalH;
    return result == 0 && lines.empty() ? 0 : result;
  }

  RECT clip{dc->sx(std::min(rect->left, rect->right)), dc->sy(std::min(rect->top, rect->bottom)),
            dc->sx(std::max(rect->left, rect->right)), dc->sy(std::max(rect->top, rect->bottom))};
  const RECT* limit = (format & DT_NOCLIP) ? nullptr : &clip;
  const bool glyphs = !(format & DT_PREFIXONLY);
  int y = top;
  for (std::size_t i = 0; i < lines.size(); ++i, y += lineH) {
    // An edit control shows no partly visible last row.
    if ((format & DT_EDITCONTROL) && i > 0 && y + m.height > r.bottom) break;
    const Line& line = lines[i];
    int x = r.left;
    if (format & DT_CENTER) x = (r.left + r.right - line.width) / 2;
    else if (format & DT_RIGHT) x = r.right - line.width;
    drawRow(*dc, lay, line, dc->sx(x), dc->sy(y), limit, glyphs, underline);
  }
  return result;
}

int DrawTextW(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format) {
  return DrawTextExW(dc, text, count, rect, format, nullptr);
}

}  // namespace gdi

#include "lib/core/cxCanvasText.h"

#include <algorithm>

#include "lib/core/dxWinHelpers.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/rop.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/text.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"

namespace core {

bool dxUseAntialiasingForRotatedText = false;

namespace {

int width(const TRect& r) { return r.right - r.left; }
int height(const TRect& r) { return r.bottom - r.top; }
TRect offsetRect(const TRect& r, int dx, int dy) { return TRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
bool isBreak(rtl::Char c) { return c == u'\r' || c == u'\n'; }

// The screen canvas with `AFont` for the scope, given back afterwards.
class ScreenFont {
 public:
  explicit ScreenFont(ui::TFont* AFont) : canvas_(cxScreenCanvas()) { canvas_->Font()->Assign(AFont); }
  ~ScreenFont() { canvas_->Dormant(); }
  ScreenFont(const ScreenFont&) = delete;
  ScreenFont& operator=(const ScreenFont&) = delete;
  TcxScreenCanvas* operator->() const { return canvas_; }
  gdi::HDC dc() const { return canvas_->Handle(); }

 private:
  TcxScreenCanvas* canvas_;
};

TcxRotationAngle antiRotation(TcxRotationAngle a) {
  if (a == raPlus90) return raMinus90;
  if (a == raMinus90) return raPlus90;
  return a;
}

// Turned counter-clockwise by the angle (as text with that escapement runs).
gdi::ImageBGRA rotated(const gdi::ImageBGRA& src, TcxRotationAngle angle) {
  const int w = src.width, h = src.height;
  const bool quarter = angle == raPlus90 || angle == raMinus90;
  gdi::ImageBGRA dst(quarter ? h : w, quarter ? w : h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = src.at(x, y);
      switch (angle) {
        case raPlus90: dst.at(y, w - 1 - x) = p; break;
        case raMinus90: dst.at(h - 1 - y, x) = p; break;
        case ra180: dst.at(w - 1 - x, h - 1 - y) = p; break;
        default: dst.at(x, y) = p; break;
      }
    }
  return dst;
}

}  // namespace

int cxFlagsToDTFlags(int AFlags) {
  int r = int(gdi::DT_NOPREFIX);
  if (AFlags & cxAlignRight) r |= gdi::DT_RIGHT;
  if (AFlags & cxAlignHCenter) r |= gdi::DT_CENTER;
  if (AFlags & cxAlignBottom) r |= gdi::DT_BOTTOM;
  if (AFlags & cxAlignVCenter) r |= gdi::DT_VCENTER;
  if (AFlags & cxSingleLine) r |= gdi::DT_SINGLELINE;
  if (AFlags & cxDontClip) r |= gdi::DT_NOCLIP;
  if (AFlags & cxExpandTabs) r |= gdi::DT_EXPANDTABS;
  if (AFlags & cxShowPrefix) r &= ~int(gdi::DT_NOPREFIX);
  if (AFlags & cxWordBreak) {
    r |= gdi::DT_WORDBREAK;
    if (!(AFlags & cxDontBreakChars))
      r |= gdi::DT_EDITCONTROL;
    else if (AFlags & cxNoFullWidthCharBreak)
      r |= gdi::DT_NOFULLWIDTHCHARBREAK;
  }
  if (AFlags & cxShowEndEllipsis) r |= gdi::DT_END_ELLIPSIS;
  if (AFlags & cxCalcRect) r |= gdi::DT_CALCRECT;
  if (AFlags & cxShowPathEllipsis) r |= gdi::DT_PATH_ELLIPSIS;
  return r;
}

void dxSetFontAsNonAntialiased(ui::TFont* AFont) { AFont->SetQuality(ui::TFontQuality::fqNonAntialiased); }

// ---- TcxCanvas text members ------------------------------------------------------------------

TSize TcxCanvas::TextExtent(const String& text) { return FCanvas->TextExtent(text); }

int TcxCanvas::TextWidth(const String& text) { return TextExtent(text).cx; }

int TcxCanvas::TextHeight(const String& text) { return TextExtent(text).cy; }

void TcxCanvas::TextOut(int x, int y, const String& text) { FCanvas->TextOut(x, y, text); }

void TcxCanvas::TextExtent(const String& text, TRect& r, int flags) {
  const unsigned dt = unsigned(cxFlagsToDTFlags(flags));
  if (width(r) == 0 && !text.empty()) r.right = r.left + 1;
  TRect measured = r;
  if (!cxDrawText(Handle(), text, measured, (dt & ~(gdi::DT_VCENTER | gdi::DT_BOTTOM)) | gdi::DT_CALCRECT, -1, ui::clDefault,
                  gdi::TRANSPARENT))
    measured = TRect{r.left, r.top, r.left, r.top};
  measured = TRect{r.left, r.top, r.left + width(measured), r.top + height(measured)};
  const int dx = width(r) - width(measured), dy = height(r) - height(measured);
  int mx = 0, my = 0;
  if (flags & cxAlignRight)
    mx = dx;
  else if (flags & cxAlignHCenter)
    mx = dx / 2;
  if (flags & cxAlignBottom)
    my = dy;
  else if (flags & cxAlignVCenter)
    my = dy / 2;
  r = offsetRect(measured, mx, my);
}

void TcxCanvas::DrawText(const String& text, TRect r, int flags, bool enabled) {
  DrawText(text, r, flags, enabled, ra0);
}

void TcxCanvas::DrawText(const String& text, TRect r, int flags, bool enabled, TcxRotationAngle rotationAngle) {
  if (text.empty()) return;
  const bool formatted = !(flags & cxSingleLine) || rotationAngle != ra0 ||
                         (flags & (cxShowPrefix | cxShowEndEllipsis | cxShowPathEllipsis));
  const TSize size = TextExtent(text);
  if (size.cx <= width(r) && size.cy <= height(r)) flags |= cxDontClip;
  const int d = enabled ? 0 : 1;
  unsigned dt = 0;
  if (formatted) {
    if (!(flags & cxSingleLine) && (flags & (cxAlignBottom | cxAlignVCenter)) && rotationAngle == ra0)
      AlignMultiLineTextRectVertically(r, text, (flags & cxAlignBottom) ? vaBottom : vaCenter, flags & cxWordBreak,
                                       flags & cxShowPrefix, enabled, flags & cxDontBreakChars,
                                       flags & cxShowEndEllipsis);
    dt = unsigned(cxFlagsToDTFlags(flags));
  } else {
    if (size.cx < width(r)) {
      if (flags & cxAlignRight)
        r.left = r.right - size.cx - d;
      else if (flags & cxAlignHCenter)
        r.left = (r.left + r.right - size.cx) / 2;
    }
    if (size.cy < height(r)) {
      if (flags & cxAlignBottom)
        r.top = r.bottom - size.cy - d;
      else if (flags & cxAlignVCenter)
        r.top = (r.top + r.bottom - size.cy) / 2;
    }
  }
  const ui::TBrushStyle brushStyle = Brush()->Style();
  const TColor fontColor = Font()->Color();
  rtl::ScopeExit restore([&] {
    if (Brush()->Style() != brushStyle) Brush()->SetStyle(brushStyle);
    Font()->SetColor(fontColor);
  });
  const auto draw = [&](const TRect& at) {
    if (formatted) {
      cxDrawText(this, text, at, dt, ui::clDefault, rotationAngle);
    } else {
      const unsigned options = (flags & cxDontClip) ? 0 : gdi::ETO_CLIPPED;
      cxExtTextOut(Handle(), text, TPoint{at.left, at.top}, at, options);
    }
  };
  if (!enabled) {
    Brush()->SetStyle(ui::bsClear);
    r.left += 1;
    r.top += 1;
    Font()->SetColor(ui::clBtnHighlight);
    draw(r);
    Font()->SetColor(ui::clBtnShadow);
    r = offsetRect(r, -1, -1);
  }
  draw(r);
}

void TcxCanvas::AlignMultiLineTextRectVertically(TRect& r, const String& text, TcxAlignmentVert alignmentVert,
                                                 bool wordBreak, bool showPrefix, bool enabled, bool dontBreakChars,
                                                 bool endEllipsis) {
  if (alignmentVert == vaTop) return;
  const int d = enabled ? 0 : 1;
  int textHeight = 0;
  if (endEllipsis && wordBreak) {
    const int rowHeight = TextHeight(u"Zq");
    const int rows = rowHeight > 0 ? std::max(1, (height(r) - d) / rowHeight) : 1;
    textHeight = rowHeight * rows;
  } else {
    TRect measured{0, 0, width(r) - d, 0};
    int flags = cxAlignLeft | cxAlignTop;
    if (wordBreak) flags |= cxWordBreak;
    if (showPrefix) flags |= cxShowPrefix;
    if (dontBreakChars) flags |= cxDontBreakChars;
    TextExtent(text, measured, flags);
    textHeight = height(measured);
  }
  if (alignmentVert == vaBottom)
    r.top = r.bottom - d - textHeight;
  else
    r.top = (r.top + r.bottom - textHeight) / 2;
}

void TcxCanvas::GetTextStringsBounds(String text, TRect r, int flags, bool enabled, TRects& bounds) {
  if (text.empty()) return;
  if (flags & cxShowPrefix) {
    text = RemoveAccelChars(text, false);
    flags &= ~cxShowPrefix;
  }
  if (!enabled) {
    r.right -= 1;
    r.bottom -= 1;
  }
  TRect block = r;
  TextExtent(text, block, flags);
  const gdi::HDC dc = Handle();
  gdi::TEXTMETRICW tm{};
  gdi::GetTextMetricsW(dc, &tm);
  int top = block.top;
  while (!text.empty()) {
    int fit = 0;
    gdi::GetTextExtentExPointW(dc, text.data(), int(text.size()), width(r), &fit, nullptr, nullptr);
    fit = std::clamp(fit, 1, int(text.size()));
    std::size_t lineLength = std::size_t(fit), consumed = std::size_t(fit);
    const auto brk = std::find_if(text.begin(), text.begin() + fit, isBreak);
    if (brk != text.begin() + fit) {
      lineLength = std::size_t(brk - text.begin());
      const bool pair = lineLength + 1 < text.size() && isBreak(text[lineLength + 1]) &&
                        text[lineLength + 1] != text[lineLength];
      consumed = lineLength + (pair ? 2 : 1);
    } else if (text.size() > std::size_t(fit)) {
      const std::size_t space = text.rfind(u' ', std::size_t(fit - 1));
      if (space != String::npos && space > 0) {
        lineLength = consumed = space + 1;
        if (flags & (cxAlignRight | cxAlignHCenter)) lineLength = space;
      }
    }
    gdi::SIZE size{};
    gdi::GetTextExtentPoint32W(dc, text.data(), int(lineLength), &size);
    const int lineHeight = size.cy > 0 ? size.cy : tm.tmHeight;
    int left = block.left;
    if (flags & cxAlignRight)
      left = block.right - size.cx;
    else if (flags & cxAlignHCenter)
      left = block.left + (width(block) - size.cx) / 2;
    bounds.push_back(TRect{left, top, left + size.cx, top + lineHeight});
    top += lineHeight;
    text.erase(0, consumed);
  }
}

// ---- routines on a TcxCanvas ------------------------------------------------------------------

int cxDrawText(TcxCanvas* ACanvas, const String& AText, const TRect& ARect, unsigned AFormat, TColor ATextColor,
               TcxRotationAngle ARotationAngle) {
  if (ARotationAngle == ra0) return cxDrawText(ACanvas->Canvas(), AText, ARect, AFormat, ATextColor);
  const int w = width(ARect), h = height(ARect);
  if (w <= 0 || h <= 0) return 0;
  ui::TBitmap under(w, h);
  under.SetPixelFormat(ui::pf32bit);
  gdi::BitBlt(under.Canvas()->Handle(), 0, 0, w, h, ACanvas->Handle(), ARect.left, ARect.top, gdi::SRCCOPY);
  // The text is drawn upright on the background turned the other way.
  const gdi::ImageBGRA upright = rotated(under.ToImage(), antiRotation(ARotationAngle));
  ui::TBitmap bitmap(upright.width, upright.height);
  bitmap.SetPixelFormat(ui::pf32bit);
  bitmap.AssignImage(upright, false);
  ui::TCanvas* canvas = bitmap.Canvas();
  canvas->Font()->Assign(ACanvas->Font());
  if (!dxUseAntialiasingForRotatedText) dxSetFontAsNonAntialiased(canvas->Font());
  const int result = cxDrawText(canvas, AText, TRect{0, 0, upright.width, upright.height}, AFormat, ATextColor);
  under.AssignImage(rotated(bitmap.ToImage(), ARotationAngle), false);
  gdi::BitBlt(ACanvas->Handle(), ARect.left, ARect.top, w, h, under.Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
  return result;
}

void cxGetTextLines(const String& AText, TcxCanvas* ACanvas, const TRect& ARect, rtl::TStrings* ALines) {
  ALines->Clear();
  const auto isDelimiter = [](rtl::Char c) { return c == u' ' || c == u'\t' || isBreak(c); };
  const int maxWidth = width(ARect);
  String line;
  std::size_t i = 0;
  const std::size_t n = AText.size();
  while (i < n) {
    if (isBreak(AText[i])) {
      ALines->Add(line);
      line.clear();
      const bool pair = i + 1 < n && isBreak(AText[i + 1]) && AText[i + 1] != AText[i];
      i += pair ? 2 : 1;
      continue;
    }
    // A word runs up to and with its delimiter (a second delimiter is a word of its own).
    std::size_t j = i;
    while (j < n && !isDelimiter(AText[j])) ++j;
    if (j < n && !isBreak(AText[j])) ++j;
    const String word = AText.substr(i, j - i);
    if (!line.empty() && ACanvas->TextWidth(line + word) > maxWidth) {
      ALines->Add(line);
      line.clear();
    }
    line += word;
    i = j;
  }
  if (!line.empty()) ALines->Add(line);
}

int cxDrawMultilineText(TcxCanvas* ACanvas, const String& AText, const TRect& ARect, unsigned AFormat,
                        TColor ATextColor) {
  rtl::TStringList lines;
  cxGetTextLines(AText, ACanvas, ARect, &lines);
  gdi::TEXTMETRICW tm{};
  gdi::GetTextMetricsW(ACanvas->Handle(), &tm);
  const int count = lines.Count();
  const int blockHeight = count * tm.tmHeight;
  int top = ARect.top;
  if (AFormat & gdi::DT_VCENTER)
    top = std::max(ARect.top, ARect.top + (height(ARect) - blockHeight) / 2);
  else if (AFormat & gdi::DT_BOTTOM)
    top = std::max(ARect.top, ARect.bottom - blockHeight);
  const unsigned rowFormat = (AFormat & ~(gdi::DT_VCENTER | gdi::DT_BOTTOM | gdi::DT_WORDBREAK)) | gdi::DT_SINGLELINE;
  for (int i = 0; i < count; ++i) {
    const TRect row{ARect.left, top, ARect.right, top + tm.tmHeight};
    cxDrawText(ACanvas->Canvas(), lines.Strings(i), row, rowFormat, ATextColor);
    top += tm.tmHeight;
  }
  return count;
}

// ---- routines on a font -------------------------------------------------------------------------

int cxTextHeight(ui::TFont* AFont) {
  ScreenFont screen(AFont);
  return cxTextHeight(screen.dc());
}

int cxTextHeight(ui::TFont* AFont, const String& AText, const TRect& ARect, unsigned AFlags) {
  ScreenFont screen(AFont);
  TRect r = ARect;
  return cxDrawText(screen.dc(), AText, r, AFlags | gdi::DT_CALCRECT);
}

TSize cxTextExtent(ui::TFont* AFont, const String& S, int AFontSize) {
  ScreenFont screen(AFont);
  if (AFontSize != 0) screen->Font()->SetSize(AFontSize);
  return screen->TextExtent(S);
}

int cxTextWidth(ui::TFont* AFont, const String& S, int AFontSize) { return cxTextExtent(AFont, S, AFontSize).cx; }

TSize cxTextSize(ui::TFont* AFont, const String& AText) {
  TRect r{0, 0, 0, 0};
  cxGetTextRect(r, AText, AFont, gdi::DT_CALCRECT);
  return TSize{width(r), height(r)};
}

void cxGetTextRect(TRect& R, const String& AText, ui::TFont* AFont, unsigned ADTFlags) {
  ScreenFont screen(AFont);
  cxDrawText(screen.dc(), AText, R, ADTFlags | gdi::DT_CALCRECT);
}

bool cxGetTextMetrics(ui::TFont* AFont, gdi::TEXTMETRICW& ATextMetric) {
  ScreenFont screen(AFont);
  return gdi::GetTextMetricsW(screen.dc(), &ATextMetric);
}

gdi::BITMAP cxGetBitmapData(gdi::HBITMAP ABitmapHandle) {
  gdi::BITMAP data{};
  gdi::GetObjectW(ABitmapHandle, sizeof(data), &data);
  return data;
}

gdi::LOGBRUSH cxGetBrushData(gdi::HBRUSH ABrushHandle) {
  gdi::LOGBRUSH data{};
  gdi::GetObjectW(ABrushHandle, sizeof(data), &data);
  return data;
}

gdi::LOGFONTW cxGetFontData(gdi::HFONT AFontHandle) {
  gdi::LOGFONTW data{};
  gdi::GetObjectW(AFontHandle, sizeof(data), &data);
  return data;
}

gdi::LOGPEN cxGetPenData(gdi::HPEN APenHandle) {
  gdi::LOGPEN data{};
  gdi::GetObjectW(APenHandle, sizeof(data), &data);
  return data;
}

}  // namespace core

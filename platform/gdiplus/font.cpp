// Font families, fonts, string formats and strings over pango.
#include "platform/gdiplus/font.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/gdi/impl/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangofc-fontmap.h>
#include "platform/gdiplus/impl/graphics_impl.h"
#include "platform/rtl/ustring.h"

namespace gdiplus {

class GpFontCollection {};

class GpFontFamily {
 public:
  std::u16string name;
};

class GpFont {
 public:
  std::u16string family;
  REAL size = 0;
  INT style = FontStyleRegular;
  Unit unit = UnitPoint;
  double emPx() const {
    switch (unit) {
      case UnitPoint: return size * 96.0 / 72.0;
      case UnitInch: return size * 96.0;
      case UnitDocument: return size * 96.0 / 300.0;
      case UnitMillimeter: return size * 96.0 / 25.4;
      default: return size;
    }
  }
};

class GpStringFormat {
 public:
  INT flags = 0;
  LANGID language = 0;
  StringAlignment align = StringAlignmentNear;
  StringAlignment lineAlign = StringAlignmentNear;
  StringTrimming trimming = StringTrimmingCharacter;
  INT hotkey = HotkeyPrefixNone;
  bool typographic = false;
  bool shared = false;
};

namespace {

GpStringFormat& genericDefault() {
  static GpStringFormat* f = [] {
    auto* s = new GpStringFormat;
    s->shared = true;
    return s;
  }();
  return *f;
}

GpStringFormat& genericTypographic() {
  static GpStringFormat* f = [] {
    auto* s = new GpStringFormat;
    s->shared = true;
    s->typographic = true;
    s->flags = StringFormatFlagsNoFitBlackBox | StringFormatFlagsLineLimit | StringFormatFlagsNoClip;
    s->trimming = StringTrimmingNone;
    return s;
  }();
  return *f;
}

// A family is known when it is installed under that name or when the font
// configuration maps it to something: mapping adds families to the
// substituted pattern beyond what an unknown name gets.
bool familyKnown(const std::string& name) {
  auto lock = gdi::impl::textLock();
  FcConfig* config = pango_fc_font_map_get_config(PANGO_FC_FONT_MAP(gdi::impl::fontMap()));
  auto substitutedCount = [&](const char* family) {
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(config, p, FcMatchPattern);
    int n = 0;
    FcChar8* s = nullptr;
    while (FcPatternGetString(p, FC_FAMILY, n, &s) == FcResultMatch) ++n;
    FcPatternDestroy(p);
    return n;
  };
  if (substitutedCount(name.c_str()) > substitutedCount("\x01 no such family")) return true;
  FcPattern* q = FcPatternCreate();
  FcPatternAddString(q, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fs = FcFontList(config, q, os);
  const bool found = fs && fs->nfont > 0;
  if (fs) FcFontSetDestroy(fs);
  FcObjectSetDestroy(os);
  FcPatternDestroy(q);
  return found;
}

std::u16string textOf(const WCHAR* s, INT length) {
  if (!s) return {};
  if (length < 0) {
    length = 0;
    while (s[length]) ++length;
  }
  return std::u16string(s, std::size_t(length));
}

std::unique_ptr<GpFont> fontFromLogfont(const gdi::LOGFONTW& lf) {
  gdi::HFONT h = gdi::CreateFontIndirectW(&lf);
  if (!h) fail(InvalidParameter, "logical font");
  const double em = gdi::FontEmHeightOf(h);
  const bool outline = gdi::FontIsScalable(h);
  gdi::DeleteObject(h);
  if (!outline) fail(NotTrueTypeFont, "the font is not a TrueType font");
  auto f = std::make_unique<GpFont>();
  for (int i = 0; i < gdi::LF_FACESIZE && lf.lfFaceName[i]; ++i) f->family += lf.lfFaceName[i];
  if (f->family.empty()) f->family = rtl::Utf8ToString(gdi::impl::faceNameOf(lf));
  f->size = REAL(em);
  f->unit = UnitWorld;
  f->style = (lf.lfWeight >= 600 ? FontStyleBold : 0) | (lf.lfItalic ? FontStyleItalic : 0) |
             (lf.lfUnderline ? FontStyleUnderline : 0) | (lf.lfStrikeOut ? FontStyleStrikeout : 0);
  return f;
}

// ---- layout ------------------------------------------------------------------------------------
struct LaidOut {
  PangoLayout* layout = nullptr;
  double x = 0, y = 0;       // where the layout's origin goes
  double width = 0, height = 0;  // of the shown text
  double pad = 0;
  int lines = 0;              // shown
  int units = 0;              // UTF-16 units shown
  LaidOut() = default;
  LaidOut(const LaidOut&) = delete;
  LaidOut& operator=(const LaidOut&) = delete;
  ~LaidOut() {
    if (layout) g_object_unref(layout);
  }
};

// UTF-8 text with the byte offset of each UTF-16 unit.
void toUtf8(const std::u16string& s, std::string& out, std::vector<int>& offsets) {
  rtl::StringToUtf8WithOffsets(s, out, offsets);
}

void layOut(const std::u16string& source, const GpFont& font, const GpRectF& rect, const GpStringFormat& fmt,
            LaidOut& out) {
  const double em = font.emPx();
  if (!(em > 0) || em > 10000) fail(InvalidParameter, "font size");
  // Hot-key prefixes.
  std::u16string text;
  int prefix = -1;
  if (fmt.hotkey == HotkeyPrefixNone) {
    text = source;
  } else {
    for (std::size_t i = 0; i < source.size(); ++i) {
      if (source[i] == u'&' && i + 1 < source.size()) {
        if (source[i + 1] != u'&') prefix = int(text.size());
        text += source[++i];
        continue;
      }
      text += source[i];
    }
  }
  std::string utf8;
  std::vector<int> offsets;
  toUtf8(text, utf8, offsets);

  out.layout = pango_layout_new(gdi::impl::pangoContext());
  PangoLayout* layout = out.layout;
  PangoFontDescription* desc = pango_font_description_new();
  const std::string family = rtl::StringToUtf8(font.family);
  pango_font_description_set_family(desc, family.c_str());
  pango_font_description_set_weight(desc, (font.style & FontStyleBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc, (font.style & FontStyleItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(desc, em * PANGO_SCALE);
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);

  PangoAttrList* attrs = pango_attr_list_new();
  pango_attr_list_insert(attrs, pango_attr_font_features_new("-kern,-liga,-clig,-dlig"));
  if (font.style & FontStyleUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.style & FontStyleStrikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  if (prefix >= 0 && fmt.hotkey == HotkeyPrefixShow) {
    PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    std::size_t next = std::size_t(prefix) + 1;
    while (next < text.size() && offsets[next] == offsets[std::size_t(prefix)]) ++next;
    u->start_index = guint(offsets[std::size_t(prefix)]);
    u->end_index = guint(offsets[next]);
    pango_attr_list_insert(attrs, u);
  }
  pango_layout_set_attributes(layout, attrs);
  pango_attr_list_unref(attrs);
  pango_layout_set_text(layout, utf8.data(), int(utf8.size()));

  out.pad = fmt.typographic ? 0.0 : em / 6.0;
  const double boxW = rect.Width > 0 ? std::max(0.0, rect.Width - 2 * out.pad) : 0.0;
  const bool wraps = boxW > 0 && !(fmt.flags & StringFormatFlagsNoWrap);
  if (boxW > 0) {
    pango_layout_set_width(layout, int(boxW * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout, fmt.align == StringAlignmentCenter ? PANGO_ALIGN_CENTER
                                       : fmt.align == StringAlignmentFar  ? PANGO_ALIGN_RIGHT
                                                                          : PANGO_ALIGN_LEFT);
  }
  const bool ellipsis = fmt.trimming == StringTrimmingEllipsisCharacter || fmt.trimming == StringTrimmingEllipsisWord ||
                        fmt.trimming == StringTrimmingEllipsisPath;
  if (boxW > 0 && ellipsis)
    pango_layout_set_ellipsize(layout, fmt.trimming == StringTrimmingEllipsisPath ? PANGO_ELLIPSIZE_MIDDLE
                                                                                  : PANGO_ELLIPSIZE_END);
  if (!wraps && boxW > 0 && !ellipsis) pango_layout_set_width(layout, -1);

  // Lines shown: all, or those that fit the height (whole ones with
  // LineLimit or an ellipsis, else also the one cut by the bottom).
  if (ellipsis && boxW > 0 && !wraps) pango_layout_set_height(layout, -1);  // one line per paragraph
  int lineCount = pango_layout_get_line_count(layout);
  int shown = lineCount;
  if (rect.Height > 0) {
    if (ellipsis && boxW > 0) {
      pango_layout_set_height(layout, wraps ? int(rect.Height * PANGO_SCALE) : -1);
      shown = pango_layout_get_line_count(layout);
    } else {
      shown = 0;
      PangoLayoutIter* it = pango_layout_get_iter(layout);
      do {
        int y0 = 0, y1 = 0;
        pango_layout_iter_get_line_yrange(it, &y0, &y1);
        const double bottom = y1 / double(PANGO_SCALE), top = y0 / double(PANGO_SCALE);
        const bool whole = bottom <= rect.Height + 0.01;
        const bool partial = top < rect.Height;
        if (whole || (partial && !(fmt.flags & StringFormatFlagsLineLimit))) ++shown;
        else break;
      } while (pango_layout_iter_next_line(it));
      pango_layout_iter_free(it);
      if (shown == 0 && !(fmt.flags & StringFormatFlagsLineLimit)) shown = std::min(1, lineCount);
    }
  }
  out.lines = shown;
  // Units shown and the size of those lines.
  double w = 0, h = 0;
  int lastByte = 0;
  for (int i = 0; i < shown; ++i) {
    PangoLayoutLine* line = pango_layout_get_line_readonly(layout, i);
    PangoRectangle logical;
    pango_layout_line_get_extents(line, nullptr, &logical);
    w = std::max(w, logical.width / double(PANGO_SCALE));
    lastByte = line->start_index + line->length;
  }
  if (shown > 0) {
    PangoLayoutIter* it = pango_layout_get_iter(layout);
    for (int i = 0; i < shown - 1; ++i) pango_layout_iter_next_line(it);
    int y0 = 0, y1 = 0;
    pango_layout_iter_get_line_yrange(it, &y0, &y1);
    h = y1 / double(PANGO_SCALE);
    pango_layout_iter_free(it);
  }
  if (shown == lineCount) lastByte = int(utf8.size());
  int units = 0;
  while (units < int(text.size()) && offsets[std::size_t(units)] < lastByte) ++units;
  // Prefix marks count as units of the caller's text.
  int consumed = 0, kept = 0;
  if (fmt.hotkey != HotkeyPrefixNone) {
    for (std::size_t i = 0; i < source.size() && kept < units; ++i, ++consumed) {
      if (source[i] == u'&' && i + 1 < source.size()) {
        ++i;
        ++consumed;
      }
      ++kept;
    }
    units = consumed;
  }
  out.units = units;
  out.width = w;
  out.height = h;

  // Placement in the rectangle.
  double x = rect.X + out.pad, y = rect.Y;
  if (boxW <= 0 && rect.Width <= 0) {
    if (fmt.align == StringAlignmentCenter) x = rect.X - w / 2;
    else if (fmt.align == StringAlignmentFar) x = rect.X - w - out.pad;
  } else if (!wraps && !ellipsis && boxW > 0) {
    if (fmt.align == StringAlignmentCenter) x = rect.X + (rect.Width - w) / 2;
    else if (fmt.align == StringAlignmentFar) x = rect.X + rect.Width - out.pad - w;
  }
  if (rect.Height > 0) {
    if (fmt.lineAlign == StringAlignmentCenter) y = rect.Y + (rect.Height - h) / 2;
    else if (fmt.lineAlign == StringAlignmentFar) y = rect.Y + rect.Height - h;
  } else if (fmt.lineAlign == StringAlignmentCenter) {
    y = rect.Y - h / 2;
  } else if (fmt.lineAlign == StringAlignmentFar) {
    y = rect.Y - h;
  }
  out.x = x;
  out.y = y;
}

template <class F>
GpStatus onFormat(GpStringFormat* f, F&& body) {
  return guarded([&] {
    need(f, "string format");
    body(*f);
  });
}

}  // namespace

// ---- families --------------------------------------------------------------------------
GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family) {
  return guarded([&] {
    need(name && family, "family name");
    need(!collection, "font collections are not supported");
    const std::u16string n = textOf(name, -1);
    if (n.empty() || !familyKnown(rtl::StringToUtf8(n))) fail(FontFamilyNotFound, "font family not found");
    auto f = std::make_unique<GpFontFamily>();
    f->name = n;
    *family = f.release();
  });
}

GpStatus GdipDeleteFontFamily(GpFontFamily* family) {
  return guarded([&] {
    need(family, "family");
    delete family;
  });
}

GpStatus GdipCloneFontFamily(GpFontFamily* family, GpFontFamily** clone) {
  return guarded([&] {
    need(family && clone, "family");
    *clone = new GpFontFamily(*family);
  });
}

GpStatus GdipGetFamilyName(const GpFontFamily* family, WCHAR* name, LANGID) {
  return guarded([&] {
    need(family && name, "family");
    const std::size_t n = std::min<std::size_t>(family->name.size(), gdi::LF_FACESIZE - 1);
    std::copy(family->name.begin(), family->name.begin() + std::ptrdiff_t(n), name);
    name[n] = 0;
  });
}

// ---- fonts -------------------------------------------------------------------------------
GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, INT unit, GpFont** font) {
  return guarded([&] {
    need(family && font, "font");
    need(emSize > 0 && std::isfinite(emSize), "em size");
    need(unit >= UnitWorld && unit <= UnitMillimeter && unit != UnitDisplay, "unit");
    auto f = std::make_unique<GpFont>();
    f->family = family->name;
    f->size = emSize;
    f->style = style & 0xF;
    f->unit = Unit(unit);
    *font = f.release();
  });
}

GpStatus GdipCreateFontFromLogfontW(gdi::HDC dc, const gdi::LOGFONTW* logfont, GpFont** font) {
  return guarded([&] {
    need(dc && logfont && font, "logical font");
    *font = fontFromLogfont(*logfont).release();
  });
}

GpStatus GdipCreateFontFromDC(gdi::HDC dc, GpFont** font) {
  return guarded([&] {
    need(dc && font, "device context");
    gdi::HGDIOBJ h = gdi::GetCurrentObject(dc, gdi::OBJ_FONT);
    gdi::LOGFONTW lf;
    need(h && gdi::GetObjectW(h, sizeof(lf), &lf) == int(sizeof(lf)), "device context");
    *font = fontFromLogfont(lf).release();
  });
}

GpStatus GdipCloneFont(GpFont* font, GpFont** clone) {
  return guarded([&] {
    need(font && clone, "font");
    *clone = new GpFont(*font);
  });
}

GpStatus GdipDeleteFont(GpFont* font) {
  return guarded([&] {
    need(font, "font");
    delete font;
  });
}

GpStatus GdipGetFontSize(GpFont* font, REAL* size) {
  return guarded([&] {
    need(font && size, "font");
    *size = font->size;
  });
}

GpStatus GdipGetFontStyle(GpFont* font, INT* style) {
  return guarded([&] {
    need(font && style, "font");
    *style = font->style;
  });
}

GpStatus GdipGetFontUnit(GpFont* font, Unit* unit) {
  return guarded([&] {
    need(font && unit, "font");
    *unit = font->unit;
  });
}

GpStatus GdipGetFamily(GpFont* font, GpFontFamily** family) {
  return guarded([&] {
    need(font && family, "font");
    auto f = std::make_unique<GpFontFamily>();
    f->name = font->family;
    *family = f.release();
  });
}

GpStatus GdipGetFontHeight(const GpFont* font, const GpGraphics*, REAL* height) {
  return guarded([&] {
    need(font && height, "font");
    auto lock = gdi::impl::textLock();
    LaidOut lo;
    GpRectF none;
    layOut(u"Zq", *font, none, genericTypographic(), lo);
    *height = REAL(lo.height);
  });
}

// ---- string formats -----------------------------------------------------------------------
GpStatus GdipCreateStringFormat(INT flags, LANGID language, GpStringFormat** format) {
  return guarded([&] {
    need(format, "format");
    auto f = std::make_unique<GpStringFormat>();
    f->flags = flags;
    f->language = language;
    *format = f.release();
  });
}

GpStatus GdipStringFormatGetGenericDefault(GpStringFormat** format) {
  return guarded([&] {
    need(format, "format");
    *format = &genericDefault();
  });
}

GpStatus GdipStringFormatGetGenericTypographic(GpStringFormat** format) {
  return guarded([&] {
    need(format, "format");
    *format = &genericTypographic();
  });
}

GpStatus GdipCloneStringFormat(const GpStringFormat* format, GpStringFormat** clone) {
  return guarded([&] {
    need(format && clone, "format");
    auto f = std::make_unique<GpStringFormat>(*format);
    f->shared = false;
    *clone = f.release();
  });
}

GpStatus GdipDeleteStringFormat(GpStringFormat* format) {
  return guarded([&] {
    need(format, "format");
    if (!format->shared) delete format;
  });
}

GpStatus GdipSetStringFormatFlags(GpStringFormat* format, INT flags) {
  return onFormat(format, [&](GpStringFormat& f) { f.flags = flags; });
}
GpStatus GdipGetStringFormatFlags(const GpStringFormat* format, INT* flags) {
  return guarded([&] {
    need(format && flags, "format");
    *flags = format->flags;
  });
}
GpStatus GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align) {
  return onFormat(format, [&](GpStringFormat& f) {
    need(align >= StringAlignmentNear && align <= StringAlignmentFar, "alignment");
    f.align = align;
  });
}
GpStatus GdipGetStringFormatAlign(const GpStringFormat* format, StringAlignment* align) {
  return guarded([&] {
    need(format && align, "format");
    *align = format->align;
  });
}
GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align) {
  return onFormat(format, [&](GpStringFormat& f) {
    need(align >= StringAlignmentNear && align <= StringAlignmentFar, "alignment");
    f.lineAlign = align;
  });
}
GpStatus GdipGetStringFormatLineAlign(const GpStringFormat* format, StringAlignment* align) {
  return guarded([&] {
    need(format && align, "format");
    *align = format->lineAlign;
  });
}
GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming) {
  return onFormat(format, [&](GpStringFormat& f) {
    need(trimming >= StringTrimmingNone && trimming <= StringTrimmingEllipsisPath, "trimming");
    f.trimming = trimming;
  });
}
GpStatus GdipGetStringFormatTrimming(const GpStringFormat* format, StringTrimming* trimming) {
  return guarded([&] {
    need(format && trimming, "format");
    *trimming = format->trimming;
  });
}
GpStatus GdipSetStringFormatHotkeyPrefix(GpStringFormat* format, INT prefix) {
  return onFormat(format, [&](GpStringFormat& f) {
    need(prefix >= HotkeyPrefixNone && prefix <= HotkeyPrefixHide, "hot-key prefix");
    f.hotkey = prefix;
  });
}
GpStatus GdipGetStringFormatHotkeyPrefix(const GpStringFormat* format, INT* prefix) {
  return guarded([&] {
    need(format && prefix, "format");
    *prefix = format->hotkey;
  });
}

// ---- strings --------------------------------------------------------------------------------
GpStatus GdipMeasureString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                           const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                           INT* codepointsFitted, INT* linesFilled) {
  return guarded([&] {
    need(graphics && string && font && layoutRect && boundingBox, "string");
    const std::u16string text = textOf(string, length);
    const GpStringFormat& fmt = format ? *format : genericDefault();
    auto lock = gdi::impl::textLock();
    LaidOut lo;
    layOut(text, *font, *layoutRect, fmt, lo);
    const double w = lo.width > 0 ? lo.width + 2 * lo.pad : 0;
    *boundingBox = GpRectF{REAL(lo.x - lo.pad), REAL(lo.y), REAL(w), REAL(lo.height)};
    if (layoutRect->Width > 0 && (lo.width > 0) && boundingBox->Width > layoutRect->Width)
      boundingBox->Width = layoutRect->Width;
    if (codepointsFitted) *codepointsFitted = lo.units;
    if (linesFilled) *linesFilled = lo.lines;
  });
}

GpStatus GdipDrawString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush) {
  return guarded([&] {
    need(graphics && string && font && layoutRect && brush, "string");
    const std::u16string text = textOf(string, length);
    if (text.empty()) return;
    const GpStringFormat& fmt = format ? *format : genericDefault();
    GpGraphics& g = *graphics;
    auto lock = gdi::impl::textLock();
    LaidOut lo;
    layOut(text, *font, *layoutRect, fmt, lo);
    // Only the lines that are shown.
    if (lo.lines < pango_layout_get_line_count(lo.layout)) {
      const PangoLayoutLine* last = pango_layout_get_line_readonly(lo.layout, std::max(0, lo.lines - 1));
      const int end = lo.lines > 0 ? last->start_index + last->length : 0;
      const std::string kept(pango_layout_get_text(lo.layout), std::size_t(end));
      pango_layout_set_text(lo.layout, kept.data(), int(kept.size()));
    }
    const bool clip = !(fmt.flags & StringFormatFlagsNoClip) && layoutRect->Width > 0 && layoutRect->Height > 0;
    const SmoothingMode smoothing = g.smoothing;
    const bool aliased = g.textHint == TextRenderingHintSingleBitPerPixel ||
                         g.textHint == TextRenderingHintSingleBitPerPixelGridFit;
    g.smoothing = aliased ? SmoothingModeNone : SmoothingModeAntiAlias;
    struct Restore {
      GpGraphics& g;
      SmoothingMode s;
      bool clipped;
      ~Restore() {
        g.smoothing = s;
        if (clipped) g.applyClip();
      }
    } restore{g, smoothing, clip};
    cairo_t* cr = g.cr;
    g.fillPath(
        *brush,
        [&] {
          if (clip) {
            cairo_rectangle(cr, layoutRect->X, layoutRect->Y, layoutRect->Width, layoutRect->Height);
            cairo_clip(cr);
          }
          cairo_move_to(cr, lo.x, lo.y);
          pango_cairo_layout_path(cr, lo.layout);
        },
        FillModeWinding);
  });
}

}  // namespace gdiplus

// The font map over the compiled-in fontconfig file, fonts resolved from
// LOGFONTW, shaping with whole-pixel advances and coverage rendering.
#include "platform/gdi/impl/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <harfbuzz/hb.h>
#include <pango/pangofc-font.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/rtl/except.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/ustring.h"

namespace gdi::impl {
namespace {

std::recursive_mutex& textMutex() {
  static std::recursive_mutex* m = new std::recursive_mutex;
  return *m;
}

struct FontSystem {
  FcConfig* config = nullptr;
  PangoFontMap* map = nullptr;
  PangoContext* context = nullptr;
  PangoAttrList* attrs = nullptr;
  std::unordered_map<std::string, std::unique_ptr<FontInstance>> cache;
  // Whole-pixel advances by glyph as the renderer places its glyphs, for
  // every font shaping has used (referenced; -1 = not asked yet).
  std::unordered_map<PangoFont*, std::vector<std::int16_t>> advances;
};

// Loads the program's own fontconfig file; no user or system file is read
// and no environment variable is needed, so every run measures alike.
FcConfig* loadConfig() {
  const rtl::TResourceEntry* res = rtl::FindResource(std::string_view("FONTCONFIG"), std::string_view("fonts.conf"));
  if (!res) throw rtl::EOutOfResources(u"The font configuration is not compiled into the program");
  FcConfig* config = FcConfigCreate();
  if (!config ||
      !FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(res->Data), FcTrue) ||
      !FcConfigBuildFonts(config)) {
    if (config) FcConfigDestroy(config);
    throw rtl::EOutOfResources(u"The font configuration cannot be loaded");
  }
  // Made current too, so that nothing else in the process falls back to the
  // system's configuration.
  FcConfigSetCurrent(config);
  return config;
}

FontSystem& fontSystem() {
  static FontSystem* sys = [] {
    auto* s = new FontSystem;  // lives as long as the process
    s->config = loadConfig();
    s->map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(s->map), s->config);
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(s->map), 96.0);
    s->context = pango_font_map_create_context(s->map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    pango_cairo_context_set_font_options(s->context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(s->context, TRUE);
    // No kerning and no ligatures: a string is as wide as its characters.
    s->attrs = pango_attr_list_new();
    pango_attr_list_insert(s->attrs, pango_attr_font_features_new("-kern,-liga,-clig,-dlig"));
    return s;
  }();
  return *sys;
}

// ---- font tables -------------------------------------------------------------------------------
struct Table {
  hb_blob_t* blob = nullptr;
  const std::uint8_t* data = nullptr;
  unsigned size = 0;
  Table(hb_face_t* face, hb_tag_t tag) {
    blob = hb_face_reference_table(face, tag);
    data = reinterpret_cast<const std::uint8_t*>(hb_blob_get_data(blob, &size));
  }
  ~Table() { hb_blob_destroy(blob); }
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  bool has(unsigned end) const { return data && size >= end; }
  int u16(unsigned at) const { return (data[at] << 8) | data[at + 1]; }
  int i16(unsigned at) const { return std::int16_t(std::uint16_t(u16(at))); }
  std::uint32_t u32(unsigned at) const { return (std::uint32_t(u16(at)) << 16) | std::uint32_t(u16(at + 2)); }
};

struct FaceData {
  int upem = 2048;
  bool hasWin = false;
  int winAscent = 0, winDescent = 0;
  int hheaAscent = 0, hheaDescent = 0, hheaGap = 0, maxAdvance = 0;
  int avgWidth = 0;
  int strikeSize = 0, strikePos = 0;
  int underlinePos = 0, underlineThickness = 0;
  bool fixedPitch = false;
  int panoseFamily = 0, panoseSerif = 0;
  int firstChar = 0x20, lastChar = 0xFFFC;
};

FaceData readFace(PangoFont* font) {
  FaceData f;
  hb_font_t* hb = pango_font_get_hb_font(font);
  if (!hb) return f;
  hb_face_t* face = hb_font_get_face(hb);
  f.upem = int(hb_face_get_upem(face));
  if (f.upem <= 0) f.upem = 2048;
  Table os2(face, HB_TAG('O', 'S', '/', '2'));
  if (os2.has(78)) {
    f.avgWidth = os2.i16(2);
    f.strikeSize = os2.i16(26);
    f.strikePos = os2.i16(28);
    f.panoseFamily = os2.data[32];
    f.panoseSerif = os2.data[33];
    f.firstChar = os2.u16(64);
    f.lastChar = os2.u16(66);
    f.winAscent = os2.u16(74);
    f.winDescent = os2.u16(76);
    f.hasWin = f.winAscent + f.winDescent > 0;
  }
  Table hhea(face, HB_TAG('h', 'h', 'e', 'a'));
  if (hhea.has(12)) {
    f.hheaAscent = hhea.i16(4);
    f.hheaDescent = hhea.i16(6);
    f.hheaGap = hhea.i16(8);
    f.maxAdvance = hhea.u16(10);
  }
  Table post(face, HB_TAG('p', 'o', 's', 't'));
  if (post.has(16)) {
    f.underlinePos = post.i16(8);
    f.underlineThickness = post.i16(10);
    f.fixedPitch = post.u32(12) != 0;
  }
  if (!f.hasWin) {
    if (f.hheaAscent - f.hheaDescent > 0) {
      f.winAscent = f.hheaAscent;
      f.winDescent = -f.hheaDescent;
      f.hasWin = true;
    } else {
      f.winAscent = f.upem * 9 / 10;
      f.winDescent = f.upem - f.winAscent;
    }
  }
  return f;
}

// The pixel sizes of a bitmap font's strikes: the matched pattern names only
// the chosen one, the scanned one all.
std::vector<double> strikesOf(FcPattern* matched) {
  std::vector<double> sizes;
  FcChar8* file = nullptr;
  if (FcPatternGetString(matched, FC_FILE, 0, &file) != FcResultMatch || !file) return sizes;
  FcFontSet* set = FcConfigGetFonts(fontSystem().config, FcSetSystem);
  for (int i = 0; set && i < set->nfont && sizes.empty(); ++i) {
    FcChar8* f = nullptr;
    if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &f) != FcResultMatch || !f) continue;
    if (std::strcmp(reinterpret_cast<char*>(f), reinterpret_cast<char*>(file)) != 0) continue;
    double px = 0;
    for (int k = 0; FcPatternGetDouble(set->fonts[i], FC_PIXEL_SIZE, k, &px) == FcResultMatch; ++k) sizes.push_back(px);
  }
  if (sizes.empty()) {
    double px = 0;
    if (FcPatternGetDouble(matched, FC_PIXEL_SIZE, 0, &px) == FcResultMatch) sizes.push_back(px);
  }
  return sizes;
}

int scaled(int units, double em, int upem) { return int(std::lround(double(units) * em / double(upem))); }

PangoFont* loadFont(PangoFontDescription* desc, double emPx) {
  pango_font_description_set_absolute_size(desc, emPx * PANGO_SCALE);
  FontSystem& sys = fontSystem();
  PangoFont* font = pango_font_map_load_font(sys.map, sys.context, desc);
  if (!font) throw rtl::EOutOfResources(u"No font is installed for text output");
  return font;
}

int roundPx(int pangoUnits) { return PANGO_PIXELS(pangoUnits); }

// The advance table of a font, made on first use.
std::vector<std::int16_t>& advancesOf(PangoFont* font) {
  auto& all = fontSystem().advances;
  auto it = all.find(font);
  if (it == all.end()) {
    g_object_ref(font);
    it = all.emplace(font, std::vector<std::int16_t>()).first;
  }
  return it->second;
}

// The advance of a glyph as drawn: shaping scales the design advances
// linearly, but the glyphs come out of the rasteriser with their hinted
// advances, the advances of a bitmap strike, or widened by synthetic bold.
// Measuring with those keeps every glyph inside the extent of its text.
int drawnAdvance(PangoFont* font, std::vector<std::int16_t>& table, unsigned glyph, int shaped) {
  if (glyph < table.size() && table[glyph] >= 0) return table[glyph];
  int px = roundPx(shaped);
  if (cairo_scaled_font_t* sf = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
      sf && cairo_scaled_font_status(sf) == CAIRO_STATUS_SUCCESS) {
    cairo_glyph_t g{glyph, 0, 0};
    cairo_text_extents_t ext;
    cairo_scaled_font_glyph_extents(sf, &g, 1, &ext);
    if (cairo_scaled_font_status(sf) == CAIRO_STATUS_SUCCESS && std::isfinite(ext.x_advance))
      px = int(std::lround(std::clamp(ext.x_advance, 0.0, 32767.0)));
  }
  if (glyph <= 0xFFFF) {
    if (glyph >= table.size()) table.resize(std::size_t(glyph) + 1, std::int16_t(-1));
    table[glyph] = std::int16_t(px);
  }
  return px;
}

}  // namespace

std::unique_lock<std::recursive_mutex> textLock() { return std::unique_lock<std::recursive_mutex>(textMutex()); }

PangoFontMap* fontMap() { return fontSystem().map; }
PangoContext* pangoContext() { return fontSystem().context; }

std::string faceNameOf(const LOGFONTW& lf) {
  std::u16string face;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) face += lf.lfFaceName[i];
  if (!face.empty()) return rtl::StringToUtf8(face);
  // No face: the platform picks by pitch and family.
  const int family = lf.lfPitchAndFamily & 0xF0;
  if ((lf.lfPitchAndFamily & 3) == 1 || family == 0x30) return "Courier New";
  if (family == 0x10) return "Times New Roman";
  return "Arial";
}

FontInstance::FontInstance(const LOGFONTW& lf) : lf_(lf) {
  FontSystem& sys = fontSystem();
  desc_ = pango_font_description_new();
  const std::string face = faceNameOf(lf);
  pango_font_description_set_family(desc_, face.c_str());
  const int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::clamp<int>(lf.lfWeight, 100, 1000);
  pango_font_description_set_weight(desc_, PangoWeight(weight));
  pango_font_description_set_style(desc_, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

  // Height: negative = em height, positive = cell height, 0 = a 16-pixel cell.
  const int cell = lf.lfHeight == 0 ? 16 : (lf.lfHeight > 0 ? lf.lfHeight : 0);
  const double probeEm = cell > 0 ? cell : -double(lf.lfHeight);
  PangoFont* probe = loadFont(desc_, probeEm);
  const FaceData fd = readFace(probe);
  std::vector<double> strikes;
  if (FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(probe))) {
    FcBool scalable = FcTrue;
    if (FcPatternGetBool(pattern, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable)
      strikes = strikesOf(pattern);
  }
  outline_ = strikes.empty();
  double em = probeEm;
  int internalLeading = -1;
  if (!outline_) {
    // A bitmap font: its strikes are whole cells, and an em height asks
    // for the cell that has room for its leading (11 -> the 13-pixel cell).
    const double want = cell > 0 ? cell : probeEm * 1.2;
    em = strikes.front();
    for (double s : strikes)
      if (std::abs(s - want) < std::abs(em - want)) em = s;
    internalLeading = int(em) - int(std::lround(em / 1.2));
  } else if (cell > 0) {
    em = double(cell) * fd.upem / double(fd.winAscent + fd.winDescent);
    em = std::max(1.0, std::round(em * 64.0) / 64.0);
  }
  if (em != probeEm) {
    g_object_unref(probe);
    font_ = loadFont(desc_, em);
  } else {
    font_ = probe;
  }

  m_.emPx = outline_ ? em : em - internalLeading;
  m_.ascent = scaled(fd.winAscent, em, fd.upem);
  m_.descent = cell > 0 && outline_ ? cell - m_.ascent : scaled(fd.winDescent, em, fd.upem);
  m_.height = m_.ascent + m_.descent;
  m_.internalLeading = outline_ ? std::max(0, m_.height - int(std::lround(em))) : internalLeading;
  const int lineGapUnits = fd.hheaGap - ((fd.winAscent + fd.winDescent) - (fd.hheaAscent - fd.hheaDescent));
  m_.externalLeading = std::max(0, scaled(lineGapUnits, em, fd.upem));
  m_.maxCharWidth = scaled(fd.maxAdvance, em, fd.upem);
  // Some converted bitmap fonts carry nonsense in their underline fields
  // (thicker than the whole cell): they get a thin line under the baseline.
  const bool underlineSane = fd.underlineThickness > 0 && fd.underlineThickness <= fd.upem / 8 &&
                             fd.underlinePos < 0 && -fd.underlinePos <= fd.winDescent;
  m_.underlineThickness = underlineSane ? std::max(1, scaled(fd.underlineThickness, em, fd.upem))
                                        : std::max(1, int(std::lround(m_.emPx / 20.0)));
  m_.underlinePos = std::clamp(underlineSane ? scaled(-fd.underlinePos, em, fd.upem) : 1, 1,
                               std::max(1, m_.descent - 1));
  m_.strikeThickness = std::max(1, scaled(fd.strikeSize, em, fd.upem));
  m_.strikePos = fd.strikePos > 0 ? scaled(fd.strikePos, em, fd.upem) : m_.ascent / 3;
  // Character range as the platform reports it for outline fonts.
  m_.firstChar = char16_t(std::max(0, fd.firstChar - 2));
  m_.lastChar = char16_t(fd.lastChar);
  m_.defaultChar = char16_t(m_.firstChar + 1);
  m_.breakChar = 0x20;
  std::uint8_t pf = 0;
  if (!fd.fixedPitch) pf |= 0x01;      // TMPF_FIXED_PITCH means "variable"
  if (outline_) pf |= 0x02 | 0x04;    // TMPF_VECTOR | TMPF_TRUETYPE
  if (fd.fixedPitch) pf |= 0x30;       // FF_MODERN
  else if (fd.panoseFamily == 3) pf |= 0x40;
  else if (fd.panoseFamily == 4) pf |= 0x50;
  else if (fd.panoseFamily == 2 && (fd.panoseSerif < 11 || fd.panoseSerif > 13)) pf |= 0x10;
  else pf |= 0x20;
  m_.pitchAndFamily = pf;

  if (FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(font_))) {
    FcChar8* s = nullptr;
    if (FcPatternGetString(pattern, FC_FAMILY, 0, &s) == FcResultMatch && s) family_ = reinterpret_cast<char*>(s);
    if (FcPatternGetString(pattern, FC_FILE, 0, &s) == FcResultMatch && s) file_ = reinterpret_cast<char*>(s);
  }

  layout_ = pango_layout_new(sys.context);
  pango_layout_set_font_description(layout_, desc_);
  pango_layout_set_single_paragraph_mode(layout_, TRUE);
  pango_layout_set_attributes(layout_, sys.attrs);

  // The average width of lowercase text weighted by letter frequency (the
  // classic definition of the average character width), from the hinted
  // advances actually used.
  static const int kWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                                   56, 17, 4,  49, 56, 71,  31, 10, 18, 3,  18, 2, 166};
  const char16_t sample[] = u"abcdefghijklmnopqrstuvwxyz ";
  ShapedText shaped;
  shapeLine(*this, sample, 27, shaped);
  int weighted = 0;
  for (int i = 0; i < 27; ++i) weighted += shaped.advance[std::size_t(i)] * kWeights[i];
  m_.aveCharWidth = std::max(1, (weighted + 500) / 1000);
  m_.maxCharWidth = std::max(m_.maxCharWidth, m_.aveCharWidth);
}

FontInstance::~FontInstance() {
  if (layout_) g_object_unref(layout_);
  if (font_) g_object_unref(font_);
  if (desc_) pango_font_description_free(desc_);
}

FontInstance& fontFor(const LOGFONTW& lf) {
  LOGFONTW key = lf;
  key.lfEscapement = 0;
  key.lfOrientation = 0;
  bool ended = false;
  for (WCHAR& c : key.lfFaceName) {
    if (!c) ended = true;
    if (ended) c = 0;
  }
  std::string k(reinterpret_cast<const char*>(&key), sizeof(key));
  FontSystem& sys = fontSystem();
  auto it = sys.cache.find(k);
  if (it != sys.cache.end()) return *it->second;
  auto inst = std::make_unique<FontInstance>(key);
  FontInstance& ref = *inst;
  sys.cache.emplace(std::move(k), std::move(inst));
  return ref;
}

namespace {
// Control characters would be drawn as boxes or break lines; text output
// shows them as nothing, keeping one position per character.
char32_t hideControl(char32_t c) {
  return (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) ? 0x200B : c;
}
}  // namespace

void utf16ToUtf8(const char16_t* s, int n, std::string& out, std::vector<int>& offsets) {
  rtl::StringToUtf8WithOffsets(rtl::StringView(s, std::size_t(n)), out, offsets, &hideControl);
}

ShapedText::~ShapedText() {
  for (PangoFont* f : fonts) g_object_unref(f);
}

void shapeLine(FontInstance& font, const char16_t* s, int n, ShapedText& out) {
  for (PangoFont* f : out.fonts) g_object_unref(f);
  out.fonts.clear();
  out.glyphs.clear();
  out.units = std::max(0, n);
  out.advance.assign(std::size_t(out.units), 0);
  out.extent.assign(std::size_t(out.units), 0);
  out.width = 0;
  out.rtl = false;
  if (out.units == 0) return;

  thread_local std::string utf8;
  thread_local std::vector<int> offsets;
  thread_local std::vector<int> unitOfByte;
  utf16ToUtf8(s, n, utf8, offsets);
  unitOfByte.assign(utf8.size() + 1, 0);
  for (int i = n - 1; i >= 0; --i) unitOfByte[std::size_t(offsets[std::size_t(i)])] = i;

  PangoLayout* layout = font.layout();
  pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
  if (!line) return;
  int penX = 0;
  for (GSList* l = line->runs; l; l = l->next) {
    auto* run = static_cast<PangoGlyphItem*>(l->data);
    PangoItem* item = run->item;
    PangoGlyphString* gs = run->glyphs;
    if (item->analysis.level & 1) out.rtl = true;
    g_object_ref(item->analysis.font);
    out.fonts.push_back(item->analysis.font);
    const int runIndex = int(out.fonts.size()) - 1;
    std::vector<std::int16_t>& table = advancesOf(item->analysis.font);
    for (int i = 0; i < gs->num_glyphs; ++i) {
      const PangoGlyphInfo& gi = gs->glyphs[i];
      const int byte = item->offset + gs->log_clusters[i];
      const int unit = unitOfByte[std::size_t(std::clamp(byte, 0, int(utf8.size())))];
      // Marks the shaper set on their base keep no advance of their own;
      // missing glyphs keep the shaper's box width.
      const bool real = gi.glyph != PANGO_GLYPH_EMPTY && !(gi.glyph & PANGO_GLYPH_UNKNOWN_FLAG);
      const int w = real && gi.geometry.width != 0 ? drawnAdvance(item->analysis.font, table, gi.glyph, gi.geometry.width)
                                                   : roundPx(gi.geometry.width);
      out.advance[std::size_t(unit)] += w;
      if (real) {
        PlacedGlyph pg;
        pg.glyph = gi.glyph;
        pg.x = penX + gi.geometry.x_offset / double(PANGO_SCALE);
        pg.y = gi.geometry.y_offset / double(PANGO_SCALE);
        pg.run = runIndex;
        pg.unit = unit;
        out.glyphs.push_back(pg);
      }
      penX += w;
    }
  }
  int sum = 0;
  for (int i = 0; i < out.units; ++i) {
    sum += out.advance[std::size_t(i)];
    out.extent[std::size_t(i)] = sum;
  }
  out.width = sum;
}

int lineWidth(FontInstance& font, const char16_t* s, int n) {
  thread_local ShapedText shaped;
  shapeLine(font, s, n, shaped);
  const int w = shaped.width;
  shapeLine(font, s, 0, shaped);  // drop the font references
  return w;
}

// ---- coverage ------------------------------------------------------------------------------------
namespace {

struct Box {
  int x0, y0, x1, y1;
};

// The surface box of a text-space rectangle turned about the origin.
Box turnedBox(double ox, double oy, double x0, double y0, double x1, double y1, double angle, const RECT& limit) {
  const double a = angle * M_PI / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18;
  const double xs[2] = {x0, x1}, ys[2] = {y0, y1};
  for (double x : xs)
    for (double y : ys) {
      // Counter-clockwise on a y-down surface.
      const double px = ox + x * c + y * s;
      const double py = oy - x * s + y * c;
      minX = std::min(minX, px);
      maxX = std::max(maxX, px);
      minY = std::min(minY, py);
      maxY = std::max(maxY, py);
    }
  Box b{int(std::floor(minX)), int(std::floor(minY)), int(std::ceil(maxX)), int(std::ceil(maxY))};
  b.x0 = std::max<int>(b.x0, limit.left);
  b.y0 = std::max<int>(b.y0, limit.top);
  b.x1 = std::min<int>(b.x1, limit.right);
  b.y1 = std::min<int>(b.y1, limit.bottom);
  return b;
}

struct MaskCanvas {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  MaskCanvas(CoverageMask& m, const Box& b) {
    m.x = b.x0;
    m.y = b.y0;
    m.width = b.x1 - b.x0;
    m.height = b.y1 - b.y0;
    m.stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, m.width);
    m.bits.assign(std::size_t(m.stride) * std::size_t(m.height), 0);
    surface = cairo_image_surface_create_for_data(m.bits.data(), CAIRO_FORMAT_A8, m.width, m.height, m.stride);
    cr = cairo_create(surface);
  }
  ~MaskCanvas() {
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
  }
  MaskCanvas(const MaskCanvas&) = delete;
  MaskCanvas& operator=(const MaskCanvas&) = delete;
  void place(const CoverageMask& m, double ox, double oy, double angle) {
    cairo_translate(cr, ox - m.x, oy - m.y);
    if (angle != 0) cairo_rotate(cr, -angle * M_PI / 180.0);
  }
};

}  // namespace

void renderCoverage(FontInstance& font, const ShapedText& text, const TextPlacement& where, const RECT& limit,
                    CoverageMask& out) {
  out.width = out.height = 0;
  const FontMetricsPx& m = font.metrics();
  int width = text.width;
  std::vector<double> unitX;  // start of each unit with lpDx spacing
  if (where.dx) {
    unitX.resize(std::size_t(text.units) + 1);
    double x = 0;
    for (int i = 0; i < text.units; ++i) {
      unitX[std::size_t(i)] = x;
      x += where.dx[i];
    }
    unitX[std::size_t(text.units)] = x;
    width = int(x);
  }
  const double margin = std::ceil(m.emPx / 2) + 2;
  const Box b = turnedBox(where.originX, where.originY, -margin, -margin, std::max(width, 0) + margin,
                          m.height + margin, where.angle, limit);
  if (b.x0 >= b.x1 || b.y0 >= b.y1) return;
  MaskCanvas canvas(out, b);
  cairo_t* cr = canvas.cr;
  canvas.place(out, where.originX, where.originY, where.angle);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);

  if (where.drawGlyphs && !text.glyphs.empty()) {
    thread_local std::vector<cairo_glyph_t> run;
    std::size_t i = 0;
    while (i < text.glyphs.size()) {
      const int r = text.glyphs[i].run;
      run.clear();
      for (; i < text.glyphs.size() && text.glyphs[i].run == r; ++i) {
        const PlacedGlyph& g = text.glyphs[i];
        double x = g.x;
        if (where.dx) {
          const int u = g.unit;
          const double natural = u > 0 ? text.extent[std::size_t(u - 1)] : 0;
          x = unitX[std::size_t(u)] + (g.x - natural);
        }
        run.push_back(cairo_glyph_t{g.glyph, x, m.ascent + g.y});
      }
      cairo_scaled_font_t* sf = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(text.fonts[std::size_t(r)]));
      if (!sf) continue;
      cairo_set_scaled_font(cr, sf);
      cairo_show_glyphs(cr, run.data(), int(run.size()));
    }
  }

  // Lines are whole pixels when the text is not turned.
  cairo_set_antialias(cr, where.angle == 0 ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
  bool lines = false;
  const LOGFONTW& lf = font.logFont();
  if (where.fontLines && lf.lfUnderline) {
    cairo_rectangle(cr, 0, m.ascent + m.underlinePos, width, m.underlineThickness);
    lines = true;
  }
  if (where.fontLines && lf.lfStrikeOut) {
    cairo_rectangle(cr, 0, m.ascent - m.strikePos, width, m.strikeThickness);
    lines = true;
  }
  if (where.underlineFrom >= 0 && where.underlineTo > where.underlineFrom && where.underlineTo <= text.units) {
    auto startOf = [&](int u) -> double {
      if (where.dx) return unitX[std::size_t(u)];
      return u > 0 ? text.extent[std::size_t(u - 1)] : 0;
    };
    // The accelerator mark: one pixel row under the baseline, as wide as
    // the marked character, whatever the font's own underline is.
    const double x0 = startOf(where.underlineFrom), x1 = startOf(where.underlineTo);
    cairo_rectangle(cr, x0, m.ascent + 1, x1 - x0, 1);
    lines = true;
  }
  if (lines) cairo_fill(cr);
  cairo_surface_flush(canvas.surface);

  if (!font.antialiased()) {
    for (std::uint8_t& v : out.bits) v = v >= 128 ? 255 : 0;
  }
}

void renderCellCoverage(double originX, double originY, int width, int height, double angle, const RECT& limit,
                        CoverageMask& out) {
  out.width = out.height = 0;
  const Box b = turnedBox(originX, originY, 0, 0, width, height, angle, limit);
  if (b.x0 >= b.x1 || b.y0 >= b.y1) return;
  MaskCanvas canvas(out, b);
  canvas.place(out, originX, originY, angle);
  cairo_set_antialias(canvas.cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgba(canvas.cr, 0, 0, 0, 1);
  cairo_rectangle(canvas.cr, 0, 0, width, height);
  cairo_fill(canvas.cr);
  cairo_surface_flush(canvas.surface);
}

}  // namespace gdi::impl

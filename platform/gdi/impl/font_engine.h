#pragma once
// Fonts and text shaping over pango + fontconfig + freetype (pangocairo),
// shared by GDI text and the graphics interface's strings. Private to the
// drawing areas.
//
// One process-wide font map reads only the compiled-in fontconfig file.
// Text is shaped without kerning or ligatures and with the whole-pixel
// advances the glyphs are drawn with (hinted, from a bitmap strike, widened
// by synthetic bold), so the width of a string is the sum of the widths of
// its characters, as GDI measures it, and covers what is drawn. Pango is not thread-safe:
// every use holds textLock().
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Before glib, whose TRUE and FALSE macros would clash with the constants.
#include "platform/gdi/objects.h"

#include <pango/pangocairo.h>

namespace gdi::impl {

// Held around every pango and fontconfig call.
std::unique_lock<std::recursive_mutex> textLock();

// The font map and a context with the text rendering options (grayscale
// anti-aliasing, full hinting, hinted metrics). Made on first use.
PangoFontMap* fontMap();
PangoContext* pangoContext();

// Font metrics in whole pixels, with the platform's meaning.
struct FontMetricsPx {
  double emPx = 0;  // em height (of a bitmap font: its cell less the leading)
  int height = 0, ascent = 0, descent = 0;
  int internalLeading = 0, externalLeading = 0;
  int aveCharWidth = 0, maxCharWidth = 0;
  int underlinePos = 1, underlineThickness = 1;  // below the baseline
  int strikePos = 0, strikeThickness = 1;         // above the baseline
  char16_t firstChar = 0x1E, lastChar = 0xFFFC, defaultChar = 0x1F, breakChar = 0x20;
  std::uint8_t pitchAndFamily = 0;
};

// A font as a LOGFONTW resolves it.
class FontInstance {
 public:
  explicit FontInstance(const LOGFONTW& lf);
  ~FontInstance();
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;

  const LOGFONTW& logFont() const { return lf_; }
  const FontMetricsPx& metrics() const { return m_; }
  PangoFontDescription* description() const { return desc_; }
  PangoFont* primaryFont() const { return font_; }
  // The family fontconfig chose and the file it comes from.
  const std::string& family() const { return family_; }
  const std::string& file() const { return file_; }
  bool antialiased() const { return lf_.lfQuality != NONANTIALIASED_QUALITY; }
  // False for a font of bitmap strikes only.
  bool outline() const { return outline_; }
  // Reused layout for shaping (text set per call).
  PangoLayout* layout() const { return layout_; }

 private:
  LOGFONTW lf_;
  PangoFontDescription* desc_ = nullptr;
  PangoFont* font_ = nullptr;
  PangoLayout* layout_ = nullptr;
  FontMetricsPx m_;
  std::string family_, file_;
  bool outline_ = true;
};

// The cached instance for a font (escapement and orientation do not take
// part: they only turn the output). Call with textLock() held; the
// reference stays valid while the lock is held.
FontInstance& fontFor(const LOGFONTW& lf);
// The face for an empty face name, by pitch and family.
std::string faceNameOf(const LOGFONTW& lf);

// UTF-16 -> UTF-8 with the byte offset of every UTF-16 unit (and one more
// entry for the end). Unpaired surrogates become U+FFFD; C0 controls become
// zero-width spaces so that one line stays one line.
void utf16ToUtf8(const char16_t* s, int n, std::string& out, std::vector<int>& offsets);

// One glyph placed on a line: pixel x from the line's start and y offset
// from the baseline.
struct PlacedGlyph {
  unsigned glyph = 0;
  double x = 0, y = 0;
  int run = 0;   // index into ShapedText::fonts
  int unit = 0;  // first UTF-16 unit of its cluster
};

// A line of text shaped with one font.
struct ShapedText {
  ShapedText() = default;
  ~ShapedText();
  ShapedText(const ShapedText&) = delete;
  ShapedText& operator=(const ShapedText&) = delete;

  int units = 0;                 // UTF-16 units
  std::vector<int> advance;      // pixel advance of each unit (0 for the
                                 // later units of a cluster)
  std::vector<int> extent;       // cumulative: width of units [0, i]
  int width = 0;
  std::vector<PlacedGlyph> glyphs;
  std::vector<PangoFont*> fonts;  // referenced
  bool rtl = false;
};

// Shapes one line. Call with textLock() held.
void shapeLine(FontInstance& font, const char16_t* s, int n, ShapedText& out);
// The width of a line alone (no glyph positions kept).
int lineWidth(FontInstance& font, const char16_t* s, int n);

// An 8-bit coverage mask in surface pixels.
struct CoverageMask {
  int x = 0, y = 0, width = 0, height = 0;  // surface position
  int stride = 0;
  std::vector<std::uint8_t> bits;
  bool empty() const { return width <= 0 || height <= 0; }
  std::uint8_t at(int px, int py) const { return bits[std::size_t(py - y) * std::size_t(stride) + std::size_t(px - x)]; }
};

// How a line is put on a surface.
struct TextPlacement {
  double originX = 0, originY = 0;  // surface coordinates of the line start at the top of the cell
  double angle = 0;                 // counter-clockwise, degrees
  const int* dx = nullptr;          // per-unit advances (ETO lpDx), or null
  int underlineFrom = -1, underlineTo = -1;  // extra underline of units [from, to)
  bool fontLines = true;            // the font's own underline and strike-out
  bool drawGlyphs = true;           // false: only lines (prefix-only output)
};

// Renders a shaped line as coverage, limited to `limit` (surface pixels).
void renderCoverage(FontInstance& font, const ShapedText& text, const TextPlacement& where, const RECT& limit,
                    CoverageMask& out);
// The coverage of the line's cell (width x height from the origin, turned
// by the angle) for opaque backgrounds.
void renderCellCoverage(double originX, double originY, int width, int height, double angle, const RECT& limit,
                        CoverageMask& out);

}  // namespace gdi::impl

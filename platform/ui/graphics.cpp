#include "platform/ui/graphics.h"

#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/mathutil.h"
#include "platform/ui/bitmap.h"

namespace ui {

int ScreenPixelsPerInch() {
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  const int ppi = dc ? gdi::GetDeviceCaps(dc, gdi::LOGPIXELSY) : 0;
  if (dc) gdi::DeleteDC(dc);
  return ppi > 0 ? ppi : 96;
}

void TGraphicsObject::Changed() {
  if (onChange_) onChange_(this);
}

// ---- TFont ---------------------------------------------------------------------------

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch()) {
  height_ = -rtl::MulDiv(DefFontSize, pixelsPerInch_, 72);
}

TFont::~TFont() { releaseHandle(); }

void TFont::releaseHandle() {
  if (handle_) gdi::DeleteObject(handle_);
  handle_ = nullptr;
  handleStale_ = false;
}

void TFont::Changed() { TGraphicsObject::Changed(); }

// The handle is not deleted here: the canvas that has it selected hears
// of the change (OnChange) and deselects it first; the next Handle call
// replaces it.
void TFont::changeDescription() {
  if (handle_) handleStale_ = true;
  Changed();
}

gdi::LOGFONTW TFont::LogFont() const {
  gdi::LOGFONTW lf;
  lf.lfHeight = height_;
  lf.lfWidth = 0;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = style_.contains(fsBold) ? gdi::FW_BOLD : gdi::FW_NORMAL;
  lf.lfItalic = style_.contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = style_.contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = style_.contains(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = gdi::OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = gdi::CLIP_DEFAULT_PRECIS;
  static constexpr gdi::BYTE qualities[] = {0, 1, 2, 3, 4, 5, 6};
  lf.lfQuality = qualities[static_cast<int>(quality_)];
  lf.lfPitchAndFamily = pitch_ == fpFixed ? 1 : pitch_ == fpVariable ? 2 : gdi::DEFAULT_PITCH;
  // "Default" names the default face, as on the platform.
  const String& face = name_ == u"Default" ? String(DefFontName) : name_;
  const std::size_t n = std::min<std::size_t>(face.size(), gdi::LF_FACESIZE - 1);
  std::copy_n(face.data(), n, lf.lfFaceName);
  lf.lfFaceName[n] = 0;
  return lf;
}

gdi::HFONT TFont::Handle() {
  if (!handle_ || handleStale_) {
    const gdi::LOGFONTW lf = LogFont();
    gdi::HFONT made = gdi::CreateFontIndirectW(&lf);
    if (!made) throw rtl::EOutOfResources(u"Out of system resources");
    releaseHandle();
    handle_ = made;
  }
  return handle_;
}

void TFont::SetHandle(gdi::HFONT value) {
  if (value == handle_ && !handleStale_) return;
  gdi::LOGFONTW lf;
  if (value && gdi::GetObjectW(value, sizeof lf, &lf) != sizeof lf)
    throw EInvalidGraphic(u"Invalid font handle");
  releaseHandle();
  handle_ = value;
  if (value) {
    height_ = lf.lfHeight;
    orientation_ = lf.lfEscapement;
    style_ = {};
    if (lf.lfWeight >= gdi::FW_BOLD) style_ += fsBold;
    if (lf.lfItalic) style_ += fsItalic;
    if (lf.lfUnderline) style_ += fsUnderline;
    if (lf.lfStrikeOut) style_ += fsStrikeOut;
    charset_ = lf.lfCharSet;
    const int pitch = lf.lfPitchAndFamily & 3;
    pitch_ = pitch == 1 ? fpFixed : pitch == 2 ? fpVariable : fpDefault;
    quality_ = lf.lfQuality <= 6 ? static_cast<TFontQuality>(lf.lfQuality) : TFontQuality::fqDefault;
    const gdi::WCHAR* end = std::find(lf.lfFaceName, lf.lfFaceName + gdi::LF_FACESIZE, u'\0');
    name_.assign(static_cast<const gdi::WCHAR*>(lf.lfFaceName), end);
  }
  Changed();
}

void TFont::Assign(rtl::TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    if (f == this) return;
    name_ = f->name_;
    // The height is carried over in points when the resolutions differ.
    height_ = f->pixelsPerInch_ == pixelsPerInch_
                  ? f->height_
                  : -rtl::MulDiv(f->Size(), pixelsPerInch_, 72);
    style_ = f->style_;
    color_ = f->color_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    orientation_ = f->orientation_;
    quality_ = f->quality_;
    changeDescription();
    return;
  }
  TGraphicsObject::Assign(source);
}

namespace {
const rtl::EnumInfo& fontStyleNames() {
  static const rtl::EnumInfo info{u"TFontStyle", {u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut"}};
  return info;
}
const rtl::EnumInfo& fontPitchNames() {
  static const rtl::EnumInfo info{u"TFontPitch", {u"fpDefault", u"fpVariable", u"fpFixed"}};
  return info;
}
const rtl::EnumInfo& fontQualityNames() {
  static const rtl::EnumInfo info{u"TFontQuality",
                                  {u"fqDefault", u"fqDraft", u"fqProof", u"fqNonAntialiased", u"fqAntialiased",
                                   u"fqClearType", u"fqClearTypeNatural"}};
  return info;
}
}  // namespace

bool TFont::isHeightStored() const { return height_ != -rtl::MulDiv(DefFontSize, pixelsPerInch_, 72); }

void TFont::Published(rtl::PropTable<TFont>& p) {
  p.Int("Charset", &TFont::Charset, &TFont::SetCharset).Default(int(gdi::DEFAULT_CHARSET));
  p.Int("Color", &TFont::Color, &TFont::SetColor).Default(int(clWindowText));
  p.Int("Height", &TFont::Height, &TFont::SetHeight).Stored(&TFont::isHeightStored);
  p.Str("Name", &TFont::Name, &TFont::SetName).Stored(&TFont::isNameStored);
  p.Int("Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
  p.Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, fontPitchNames()).Default(fpDefault);
  p.Enum("Quality", &TFont::Quality, &TFont::SetQuality, fontQualityNames()).Default(TFontQuality::fqDefault);
  p.Int("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  p.SetOf("Style", &TFont::Style, &TFont::SetStyle, fontStyleNames()).Default(TFontStyles{});
}

void TFont::SetName(const TFontName& value) {
  if (value.empty() || value == name_) return;
  name_ = value;
  changeDescription();
}

void TFont::SetHeight(int value) {
  if (value == height_) return;
  height_ = value;
  changeDescription();
}

int TFont::Size() const { return -rtl::MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int value) { SetHeight(-rtl::MulDiv(value, pixelsPerInch_, 72)); }

void TFont::SetStyle(TFontStyles value) {
  if (value == style_) return;
  style_ = value;
  changeDescription();
}

// The colour is no part of the handle: the canvas sets it as the text
// colour when it selects the font.
void TFont::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TFont::SetCharset(TFontCharset value) {
  if (value == charset_) return;
  charset_ = value;
  changeDescription();
}

void TFont::SetPitch(TFontPitch value) {
  if (value == pitch_) return;
  pitch_ = value;
  changeDescription();
}

void TFont::SetOrientation(int value) {
  if (value == orientation_) return;
  orientation_ = value;
  changeDescription();
}

void TFont::SetQuality(TFontQuality value) {
  if (value == quality_) return;
  quality_ = value;
  changeDescription();
}

// ---- TPen --------------------------------------------------------------------------------

int PenModeToRop2(TPenMode mode) {
  static constexpr int rops[] = {
      gdi::R2_BLACK,       gdi::R2_WHITE,       gdi::R2_NOP,         gdi::R2_NOT,
      gdi::R2_COPYPEN,     gdi::R2_NOTCOPYPEN,  gdi::R2_MERGEPENNOT, gdi::R2_MASKPENNOT,
      gdi::R2_MERGENOTPEN, gdi::R2_MASKNOTPEN,  gdi::R2_MERGEPEN,    gdi::R2_NOTMERGEPEN,
      gdi::R2_MASKPEN,     gdi::R2_NOTMASKPEN,  gdi::R2_XORPEN,      gdi::R2_NOTXORPEN};
  return rops[static_cast<int>(mode)];
}

TPen::~TPen() { releaseHandle(); }

void TPen::releaseHandle() {
  if (handle_) gdi::DeleteObject(handle_);
  handle_ = nullptr;
}

void TPen::Changed() { TGraphicsObject::Changed(); }

gdi::HPEN TPen::Handle() {
  const gdi::COLORREF rgb = ColorToRGB(color_);
  if (!handle_ || rgb != madeWith_) {
    int style;
    switch (style_) {
      case psDash: style = gdi::PS_DASH; break;
      case psDot:
      case TPenStyle::psAlternate: style = gdi::PS_DOT; break;
      case psDashDot: style = gdi::PS_DASHDOT; break;
      case psDashDotDot: style = gdi::PS_DASHDOTDOT; break;
      case psClear: style = gdi::PS_NULL; break;
      case psInsideFrame: style = gdi::PS_INSIDEFRAME; break;
      default: style = gdi::PS_SOLID; break;
    }
    gdi::HPEN made = gdi::CreatePen(style, width_, rgb);
    if (!made) throw rtl::EOutOfResources(u"Out of system resources");
    releaseHandle();
    handle_ = made;
    madeWith_ = rgb;
  }
  return handle_;
}

void TPen::Assign(rtl::TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    if (p == this) return;
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    madeWith_ = ~ColorToRGB(color_);  // remake at next use
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TPen::SetWidth(int value) {
  if (value < 0 || value == width_) return;
  width_ = value;
  madeWith_ = ~ColorToRGB(color_);
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == style_) return;
  style_ = value;
  madeWith_ = ~ColorToRGB(color_);
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == mode_) return;
  mode_ = value;
  Changed();
}

// ---- TBrush --------------------------------------------------------------------------------

TBrush::~TBrush() { releaseHandle(); }

void TBrush::releaseHandle() {
  if (handle_) gdi::DeleteObject(handle_);
  handle_ = nullptr;
}

void TBrush::Changed() {
  // A changed brush is remade at its next use (after the canvas let go).
  madeWith_ = ~ColorToRGB(color_);
  TGraphicsObject::Changed();
}

gdi::HBRUSH TBrush::Handle() {
  const gdi::COLORREF rgb = ColorToRGB(color_);
  if (!handle_ || rgb != madeWith_) {
    gdi::HBRUSH made = nullptr;
    if (bitmap_ && !bitmap_->Empty()) {
      made = gdi::CreatePatternBrush(bitmap_->Handle());
    } else if (style_ == bsSolid) {
      made = gdi::CreateSolidBrush(rgb);
    } else if (style_ == bsClear) {
      gdi::LOGBRUSH lb;
      lb.lbStyle = gdi::BS_NULL;
      made = gdi::CreateBrushIndirect(&lb);
    } else {
      // bsHorizontal.. follow HS_HORIZONTAL.. in order.
      made = gdi::CreateHatchBrush(static_cast<int>(style_) - static_cast<int>(bsHorizontal), rgb);
    }
    if (!made) throw rtl::EOutOfResources(u"Out of system resources");
    releaseHandle();
    handle_ = made;
    madeWith_ = rgb;
  }
  return handle_;
}

void TBrush::Assign(rtl::TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    if (b == this) return;
    color_ = b->color_;
    style_ = b->style_;
    bitmap_ = b->bitmap_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor value) {
  if (value == color_ && style_ != bsClear) return;
  color_ = value;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == style_ && !bitmap_) return;
  style_ = value;
  if (value == bsClear) bitmap_ = nullptr;
  Changed();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == bitmap_) return;
  bitmap_ = value;
  Changed();
}

}  // namespace ui

#pragma once
// The drawing tools a canvas selects: font, pen and brush. Each describes
// itself with properties and makes its GDI object (Handle) only when asked,
// again after a change; OnChange tells the canvas that holds it.
#include "platform/gdi/objects.h"
#include "platform/gdi/types.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "platform/rtl/set.h"
#include "platform/ui/colors.h"

namespace ui {

using rtl::String;
using rtl::TNotifyEvent;
using TRect = gdi::RECT;
using TPoint = gdi::POINT;
using TSize = gdi::SIZE;

constexpr TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
constexpr TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}
constexpr TPoint Point(int x, int y) { return TPoint{x, y}; }

class EInvalidGraphic : public rtl::Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EInvalidGraphic"; }
};
class EInvalidGraphicOperation : public rtl::Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EInvalidGraphicOperation"; }
};

class TBitmap;

// The resolution fonts are sized against: the screen's (96 unless a test
// changes it through gdi::SetScreenLogPixels).
int ScreenPixelsPerInch();

class TGraphicsObject : public rtl::TPersistent {
  RTL_CLASS(TGraphicsObject, rtl::TPersistent)

 public:
  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }

 protected:
  virtual void Changed();

 private:
  TNotifyEvent onChange_;
};

// ---- font -------------------------------------------------------------------------
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = rtl::Set<TFontStyle, 4>;
constexpr TFontStyle fsBold = TFontStyle::fsBold;
constexpr TFontStyle fsItalic = TFontStyle::fsItalic;
constexpr TFontStyle fsUnderline = TFontStyle::fsUnderline;
constexpr TFontStyle fsStrikeOut = TFontStyle::fsStrikeOut;

enum class TFontPitch { fpDefault, fpVariable, fpFixed };
constexpr TFontPitch fpDefault = TFontPitch::fpDefault;
constexpr TFontPitch fpVariable = TFontPitch::fpVariable;
constexpr TFontPitch fpFixed = TFontPitch::fpFixed;

enum class TFontQuality {
  fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural
};

using TFontCharset = gdi::BYTE;
using TFontName = String;

// The font a new TFont starts with: Tahoma, 8 points at the screen's
// resolution (height -11 at 96 PPI).
constexpr const char16_t* DefFontName = u"Tahoma";
constexpr int DefFontSize = 8;

class TFont : public TGraphicsObject {
  RTL_CLASS(TFont, TGraphicsObject)

 public:
  TFont();
  ~TFont() override;

  void Assign(rtl::TPersistent* source) override;

  // What a stream keeps of a font: Charset, Color, Height, Name,
  // Orientation, Pitch, Quality, Style; each only where it differs from what
  // a new TFont starts with, so a font at the defaults writes nothing. Size is
  // published for lookup by name but not stored: Height is what the font
  // holds, and writing both would apply the size twice.
  static void Published(rtl::PropTable<TFont>& p);

  // Made on first use from the properties (a LOGFONTW); owned by the font.
  gdi::HFONT Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes over `value` and reads its description back into the properties.
  void SetHandle(gdi::HFONT value);
  // The description the handle is made from.
  gdi::LOGFONTW LogFont() const;

  const TFontName& Name() const { return name_; }
  void SetName(const TFontName& value);
  // Negative: character height (em) in pixels; positive: cell height.
  int Height() const { return height_; }
  void SetHeight(int value);
  // Points at PixelsPerInch: -MulDiv(Height, 72, PixelsPerInch).
  int Size() const;
  void SetSize(int value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value);
  // Tenths of a degree, counter-clockwise.
  int Orientation() const { return orientation_; }
  void SetOrientation(int value);
  TFontQuality Quality() const { return quality_; }
  void SetQuality(TFontQuality value);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value) { pixelsPerInch_ = value > 0 ? value : 96; }

 protected:
  void Changed() override;

 private:
  void changeDescription();
  void releaseHandle();
  // A new font's name and height (which depends on its resolution) are not
  // constants a property default can state.
  bool isNameStored() const { return name_ != DefFontName; }
  bool isHeightStored() const;

  gdi::HFONT handle_ = nullptr;
  bool handleStale_ = false;
  TFontName name_ = DefFontName;
  int height_;
  TFontStyles style_;
  TColor color_ = clWindowText;
  TFontCharset charset_ = gdi::DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  int orientation_ = 0;
  TFontQuality quality_ = TFontQuality::fqDefault;
  int pixelsPerInch_;
};

// ---- pen ------------------------------------------------------------------------------
enum class TPenStyle {
  psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate
};
constexpr TPenStyle psSolid = TPenStyle::psSolid;
constexpr TPenStyle psDash = TPenStyle::psDash;
constexpr TPenStyle psDot = TPenStyle::psDot;
constexpr TPenStyle psDashDot = TPenStyle::psDashDot;
constexpr TPenStyle psDashDotDot = TPenStyle::psDashDotDot;
constexpr TPenStyle psClear = TPenStyle::psClear;
constexpr TPenStyle psInsideFrame = TPenStyle::psInsideFrame;

enum class TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
constexpr TPenMode pmCopy = TPenMode::pmCopy;
constexpr TPenMode pmNot = TPenMode::pmNot;
constexpr TPenMode pmXor = TPenMode::pmXor;
constexpr TPenMode pmNotXor = TPenMode::pmNotXor;
// The ROP2 code of a pen mode.
int PenModeToRop2(TPenMode mode);

class TPen : public TGraphicsObject {
  RTL_CLASS(TPen, TGraphicsObject)

 public:
  TPen() = default;
  ~TPen() override;

  void Assign(rtl::TPersistent* source) override;

  // Made on first use; remade when a system colour it was made with changed.
  gdi::HPEN Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  int Width() const { return width_; }
  void SetWidth(int value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  // Applied by the canvas as the DC's ROP2 when it selects the pen.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);

 protected:
  void Changed() override;

 private:
  void releaseHandle();

  gdi::HPEN handle_ = nullptr;
  gdi::COLORREF madeWith_ = 0;
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

// ---- brush ------------------------------------------------------------------------------
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
constexpr TBrushStyle bsSolid = TBrushStyle::bsSolid;
constexpr TBrushStyle bsClear = TBrushStyle::bsClear;
constexpr TBrushStyle bsHorizontal = TBrushStyle::bsHorizontal;
constexpr TBrushStyle bsVertical = TBrushStyle::bsVertical;
constexpr TBrushStyle bsFDiagonal = TBrushStyle::bsFDiagonal;
constexpr TBrushStyle bsBDiagonal = TBrushStyle::bsBDiagonal;
constexpr TBrushStyle bsCross = TBrushStyle::bsCross;
constexpr TBrushStyle bsDiagCross = TBrushStyle::bsDiagCross;

class TBrush : public TGraphicsObject {
  RTL_CLASS(TBrush, TGraphicsObject)

 public:
  TBrush() = default;
  ~TBrush() override;

  void Assign(rtl::TPersistent* source) override;

  gdi::HBRUSH Handle();
  TColor Color() const { return color_; }
  // Setting a colour on a clear brush makes it solid, as the platform does.
  void SetColor(TColor value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);
  // A pattern brush from the bitmap (not owned; the caller keeps it alive
  // while the brush uses it). It wins over Style.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* value);

 protected:
  void Changed() override;

 private:
  void releaseHandle();

  gdi::HBRUSH handle_ = nullptr;
  gdi::COLORREF madeWith_ = 0;
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};

}  // namespace ui

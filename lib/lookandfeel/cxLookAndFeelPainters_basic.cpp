// The base painter's most common elements: plain backgrounds and cell
// content, arrows, borders and separators, push buttons, expand buttons and
// expand marks, command links, check boxes, the toggle switch, radio buttons
// and label lines.
//
// Everything here is small integer geometry drawn with the platform's pixel
// rules (lines without their end point, polygons filled and outlined), so the
// pictures are exact and the built-in painters can reuse the pieces.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxClasses.h"
#include "lib/core/cxGeometry.h"
#include "lib/core/dxSmartImage.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/rtl/resources.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"

namespace lookandfeel {

using namespace ui;
using core::TcxCanvas;
using P = TcxCustomLookAndFeelPainter;

namespace {

// Halves rounding toward minus infinity: centred elements keep their place
// relative to the picture at negative coordinates too.
constexpr int half(int AValue) { return (AValue - (AValue & 1)) / 2; }
constexpr int quarter(int AValue) { return half(half(AValue)); }

// The platform's rounding of a half: a tie goes to the even neighbour.
constexpr int roundedHalf(int AValue) {
  const int low = half(AValue);
  return (AValue & 1) && (low & 1) ? low + 1 : low;
}

constexpr int width(const TRect& R) { return R.right - R.left; }
constexpr int height(const TRect& R) { return R.bottom - R.top; }
constexpr bool isEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }
constexpr TRect inflated(const TRect& R, int ADelta) {
  return TRect{R.left - ADelta, R.top - ADelta, R.right + ADelta, R.bottom + ADelta};
}
constexpr TRect offset(const TRect& R, int ADX, int ADY) {
  return TRect{R.left + ADX, R.top + ADY, R.right + ADX, R.bottom + ADY};
}
bool isQuarterTurn(core::TcxRotationAngle AAngle) {
  return AAngle == core::TcxRotationAngle::raPlus90 || AAngle == core::TcxRotationAngle::raMinus90;
}

void polygon(TcxCanvas* ACanvas, const TPoint (&APoints)[3], TColor AColor) {
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->SetBrushColor(AColor);
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Polygon(std::vector<TPoint>(std::begin(APoints), std::end(APoints)));
}

// A line through both of its end points (the platform leaves the last one
// out, so the pen goes one step further along the same direction).
void lineThrough(TcxCanvas* ACanvas, TPoint AFrom, TPoint ATo) {
  const int dx = (ATo.x > AFrom.x) - (ATo.x < AFrom.x);
  const int dy = (ATo.y > AFrom.y) - (ATo.y < AFrom.y);
  ACanvas->MoveTo(AFrom.x, AFrom.y);
  ACanvas->LineTo(ATo.x + dx, ATo.y + dy);
}

// The part of the canvas that can be drawn on, in logical coordinates.
TRect clipBox(TcxCanvas* ACanvas) {
  gdi::RECT box{};
  gdi::GetClipBox(ACanvas->Handle(), &box);
  return TRect{box.left, box.top, box.right, box.bottom};
}

// A side of a temporary bitmap that holds a centred mark: sides above the
// limit lose the same number of pixels at both ends, which keeps the centre
// (and with it the mark) where it was.
constexpr int kMarkBitmapLimit = 32;
constexpr int trimmedSide(int ASide) {
  return ASide > kMarkBitmapLimit ? ASide - 2 * ((ASide - kMarkBitmapLimit + 1) / 2) : ASide;
}

}  // namespace

// --- general drawing ---------------------------------------------------------------------------
void P::DrawBackground(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                       TBitmap* ABackgroundBitmap) {
  if (!ATransparent) {
    ACanvas->FillRect(R, ABackgroundColor);
  } else if (ABackgroundBitmap != nullptr) {
    // Tiles stay aligned to the logical origin, so only the visible part
    // needs them: a huge area costs no more than the clip.
    TRect visible;
    if (core::cxRectIntersect(visible, R, clipBox(ACanvas))) ACanvas->FillRect(visible, ABackgroundBitmap);
  }
}

void P::DrawButtonArrow(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  int w = width(R) / 2;
  if (w % 2 == 0) ++w;
  const int h = w / 2 + 1;
  const int x0 = half(R.left + R.right - w);
  const int y0 = roundedHalf(R.top + R.bottom - h);
  const TPoint points[3] = {{x0, y0}, {x0 + w - 1, y0}, {x0 + w / 2, y0 + h - 1}};
  polygon(ACanvas, points, AColor);
}

void P::DrawContent(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, int,
                    TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                    bool AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                    TcxDrawBackgroundEvent AOnDrawBackground, bool) {
  if (!(AOnDrawBackground && AOnDrawBackground(ACanvas, ABounds))) {
    ACanvas->SetBrushColor(ABkColor);
    ACanvas->FillRect(ABounds, clDefault);
  }
  if (AText.empty()) return;
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->SetFont(AFont);
  ACanvas->Font()->SetColor(ATextColor);
  const int flags = core::cxAlignmentHorz(AAlignmentHorz) | core::cxAlignmentVert(AAlignmentVert) |
                    (AMultiLine ? core::cxWordBreak : core::cxSingleLine) |
                    (AShowEndEllipsis ? core::cxShowEndEllipsis : 0);
  ACanvas->DrawText(AText, ATextAreaBounds, flags);
  ACanvas->Brush()->SetStyle(bsSolid);
}

TRect P::GetSeparatorBounds(const TRect& R, int AWidth, bool AIsVertical) {
  TRect result = R;
  if (AIsVertical) {
    result.left = half(R.left + R.right) - AWidth / 2;
    result.right = result.left + AWidth;
  } else {
    result.top = half(R.top + R.bottom) - AWidth / 2;
    result.bottom = result.top + AWidth;
  }
  return result;
}

// --- arrows ------------------------------------------------------------------------------------
void P::CalculateArrowPoints(TRect R, TPoint (&P)[3], TcxArrowDirection AArrowDirection, bool AProportional,
                             int AArrowSize) {
  if (AProportional) {
    const int d = width(R) - height(R);
    if (d > 0) {
      R.left += d / 2;
      R.right -= d / 2;
    } else {
      R.top += -d / 2;
      R.bottom -= -d / 2;
    }
  }
  const bool vertical = AArrowDirection == TcxArrowDirection::adUp || AArrowDirection == TcxArrowDirection::adDown;
  int size = AArrowSize;
  if (size == 0) size = quarter((vertical ? width(R) : height(R)) - 1) + 1;
  const int w = vertical ? 2 * size - 1 : size;
  const int h = vertical ? size : 2 * size - 1;
  const int x0 = half(R.left + R.right - w);
  const int y0 = roundedHalf(R.top + R.bottom - h);
  const int cx = half(R.left + R.right - 1);
  const int cy = half(R.top + R.bottom);
  switch (AArrowDirection) {
    case TcxArrowDirection::adUp:
      P[0] = {x0, y0 + h - 1}, P[1] = {cx, y0}, P[2] = {x0 + w - 1, y0 + h - 1};
      break;
    case TcxArrowDirection::adDown:
      P[0] = {x0 + w - 1, y0}, P[1] = {cx, y0 + h - 1}, P[2] = {x0, y0};
      break;
    case TcxArrowDirection::adLeft:
      P[0] = {x0 + w - 1, y0 + h - 1}, P[1] = {x0, cy}, P[2] = {x0 + w - 1, y0};
      break;
    case TcxArrowDirection::adRight:
      P[0] = {x0, y0}, P[1] = {x0 + w - 1, cy}, P[2] = {x0, y0 + h - 1};
      break;
  }
}

void P::DrawArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection AArrowDirection, TColor AColor) {
  TPoint points[3];
  CalculateArrowPoints(R, points, AArrowDirection, true, 0);
  polygon(ACanvas, points, AColor);
}

void P::DrawArrow(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxArrowDirection AArrowDirection,
                  bool ADrawBorder) {
  TPoint points[3];
  CalculateArrowPoints(R, points, AArrowDirection, false, 0);
  ACanvas->Brush()->SetStyle(bsSolid);
  if (ADrawBorder)
    DrawArrowBorder(ACanvas, R, AState);
  else
    ACanvas->FillRect(R, ButtonColor(AState));
  polygon(ACanvas, points, ButtonSymbolColor(AState));
}

void P::DrawArrowBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->FillRect(R, ButtonColor(AState));
  DrawButtonBorder(ACanvas, R, AState);
}

void P::DrawCollapseArrow(TcxCanvas* ACanvas, const TRect& R, TColor AColor, int ALineWidth) {
  const int size = quarter(std::min(width(R), height(R)) - 1);
  const int left = core::cxRectCenterHorizontally(R, size + 3 * ALineWidth - 1).left;
  const int cy = half(R.top + R.bottom);
  for (const int x : {left, left + 2 * ALineWidth})
    for (int i = 0; i < size; ++i) {
      ACanvas->FillRect(TRect{x + i, cy - i, x + i + ALineWidth, cy - i + 1}, AColor);
      ACanvas->FillRect(TRect{x + i, cy + i, x + i + ALineWidth, cy + i + 1}, AColor);
    }
}

void P::DrawScrollBarArrow(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                           TcxArrowDirection AArrowDirection) {
  TRect bounds = R;
  if (AState == TcxButtonState::cxbsPressed) bounds = offset(bounds, ButtonTextShift(), ButtonTextShift());
  TPoint points[3];
  CalculateArrowPoints(bounds, points, AArrowDirection, true, 0);
  if (AState == TcxButtonState::cxbsDisabled) {
    // Embossed: a light copy one pixel down and right under the shadow.
    TPoint light[3];
    for (int i = 0; i < 3; ++i) light[i] = {points[i].x + 1, points[i].y + 1};
    polygon(ACanvas, light, clBtnHighlight);
    polygon(ACanvas, points, clBtnShadow);
  } else {
    polygon(ACanvas, points, ButtonSymbolColor(AState));
  }
}

// --- borders and separators --------------------------------------------------------------------
int P::BorderSize() { return 0; }
int P::SeparatorSize() { return BorderSize(); }
void P::DrawBorder(TcxCanvas*, const TRect&) {}

void P::DrawContainerBorder(TcxCanvas* ACanvas, const TRect& R, TcxContainerBorderStyle AStyle, int AWidth,
                            TColor AColor, core::TcxBorders ABorders) {
  using S = TcxContainerBorderStyle;
  switch (AStyle) {
    case S::cbsSingle:
    case S::cbsThick:
      ACanvas->FrameRect(R, AColor, AWidth);
      break;
    case S::cbsFlat:
    case S::cbs3D: {
      ACanvas->DrawEdge(R, true, true, ABorders);
      // The inner frame sits just inside the sides the outer edge took.
      TRect inner = R;
      if (ABorders.contains(core::TcxBorder::bLeft)) ++inner.left;
      if (ABorders.contains(core::TcxBorder::bTop)) ++inner.top;
      if (ABorders.contains(core::TcxBorder::bRight)) --inner.right;
      if (ABorders.contains(core::TcxBorder::bBottom)) --inner.bottom;
      if (AStyle == S::cbsFlat)
        ACanvas->FrameRect(inner, clBtnFace, 1, ABorders);
      else
        ACanvas->DrawComplexFrame(inner, cl3DDkShadow, cl3DLight, ABorders);
      break;
    }
    case S::cbsNone:
    case S::cbsUltraFlat:
    case S::cbsOffice11:
      break;
  }
}

void P::DoDrawSeparator(TcxCanvas* ACanvas, const TRect& R, bool) {
  const TRect shadow{R.left, R.top, R.right - 1, R.bottom - 1};
  ACanvas->FillRect(shadow, clBtnShadow);
  ACanvas->FillRect(offset(shadow, 1, 1), clBtnHighlight);
}

void P::DrawSeparator(TcxCanvas* ACanvas, const TRect& R, bool AIsVertical) {
  DoDrawSeparator(ACanvas, GetSeparatorBounds(R, SeparatorSize(), AIsVertical), AIsVertical);
}

// --- buttons -----------------------------------------------------------------------------------
int P::ButtonBorderSize(TcxButtonState) { return 0; }
TColor P::ButtonColor(TcxButtonState) { return clBtnFace; }
TColor P::ButtonDescriptionTextColor(TcxButtonState, TColor ADefaultColor) { return ADefaultColor; }

TRect P::ButtonFocusRect(TcxCanvas*, const TRect& R) {
  const TRect shrunk = inflated(R, -4);
  return isEmpty(shrunk) ? R : shrunk;
}

TColor P::ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) {
  if (AState == TcxButtonState::cxbsDisabled) return clBtnShadow;
  return ADefaultColor == clDefault ? clBtnText : ADefaultColor;
}

int P::ButtonTextOffset() { return 0; }
int P::ButtonTextShift() { return 0; }
TcxButtonState P::ButtonSymbolState(TcxButtonState AState) { return AState; }

void P::DrawButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                   bool ADrawBorder, TColor AColor, TColor ATextColor, bool AWordWrap, bool, TcxButtonPart) {
  TRect bounds = R;
  if (ADrawBorder) {
    DrawButtonBorder(ACanvas, bounds, AState);
    bounds = inflated(bounds, -ButtonBorderSize(AState));
  }
  if (AColor == clDefault) AColor = ButtonColor(AState);
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->FillRect(bounds, AColor);
  if (ATextColor == clDefault) ATextColor = ButtonSymbolColor(AState);
  ACanvas->Font()->SetColor(ATextColor);
  ACanvas->Brush()->SetStyle(bsClear);
  // The caption's box: an odd height loses its last row, and a short one
  // then reaches one row higher, so the text sits where it always did.
  if (height(bounds) % 2 != 0) --bounds.bottom;
  if (height(bounds) < 18) --bounds.top;
  if (AState == TcxButtonState::cxbsPressed) bounds = offset(bounds, ButtonTextShift(), ButtonTextShift());
  if (!ACaption.empty())
    ACanvas->DrawText(ACaption, bounds,
                      core::cxAlignHCenter | core::cxAlignVCenter | core::cxShowPrefix |
                          (AWordWrap ? core::cxWordBreak : core::cxSingleLine),
                      AState != TcxButtonState::cxbsDisabled);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void P::DrawButtonBorder(TcxCanvas*, const TRect&, TcxButtonState) {}
int P::GetDropDownButtonRightPartSize() { return core::cxGetValueCurrentDPI(15); }
bool P::IsButtonHotTrack() { return false; }

void P::DrawButtonCross(TcxCanvas* ACanvas, const TRect& R, TColor AColor, TcxButtonState AState) {
  // The mark scales with the painter's close button, odd so it has a centre pixel.
  int size = FilterCloseButtonSize().cx / 2;
  if (size % 2 == 0) --size;
  const int shift = AState == TcxButtonState::cxbsPressed ? 1 : 0;
  ACanvas->Pen()->SetColor(AColor);
  for (int d = 0; d <= 1; ++d) {
    const int x = half(R.left + R.right - size) + d + shift;
    const int y = half(R.top + R.bottom - size) + shift;
    ACanvas->MoveTo(x, y);
    ACanvas->LineTo(x + size, y + size);
    ACanvas->MoveTo(x, y + size - 1);
    ACanvas->LineTo(x + size, y - 1);
  }
}

// --- expand buttons ----------------------------------------------------------------------------
bool P::IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) {
  return P.x >= R.left && P.x < R.right && P.y >= R.top && P.y < R.bottom;
}

int P::ExpandButtonAreaSize() {
  int size = ExpandButtonSize();
  dxAdjustToTouchableSize(size);
  return size;
}

int P::ExpandButtonSize() { return 0; }
int P::GroupExpandButtonSize() { return core::cxGetValueCurrentDPI(15); }
int P::SmallExpandButtonSize() { return 9; }
void P::DrawExpandButton(TcxCanvas*, const TRect&, bool, TColor) {}
// The button goes under the tree lines that meet it.
bool P::DrawExpandButtonFirst() { return true; }

void P::DrawExpandButtonEx(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AExpanded,
                           core::TcxRotationAngle ARotationAngle) {
  DrawButton(ACanvas, R, String(), AState);
  if (isEmpty(R)) return;
  // The mark is drawn upright on a bitmap of the button's size (its sides
  // swapped for a quarter turn), turned and laid over the button. Only the
  // mark's pixels are copied, so a descendant's border stays as drawn; the
  // bitmap is trimmed symmetrically to the mark's neighbourhood.
  const bool quarterTurn = isQuarterTurn(ARotationAngle);
  const int fullWidth = quarterTurn ? height(R) : width(R);
  const int fullHeight = quarterTurn ? width(R) : height(R);
  const int w = trimmedSide(fullWidth), h = trimmedSide(fullHeight);
  const int trimX = (fullWidth - w) / 2, trimY = (fullHeight - h) / 2;

  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(w, h);
  {
    TcxCanvas canvas(bitmap.Canvas());
    canvas.FillRect(TRect{0, 0, w, h}, ButtonColor(AState));
    DrawExpandMark(&canvas, TRect{0, 0, w, h}, ButtonSymbolColor(AState), AExpanded);
  }
  TcxCanvas::RotateBitmap(&bitmap, ARotationAngle);
  const int left = R.left + (quarterTurn ? trimY : trimX);
  const int top = R.top + (quarterTurn ? trimX : trimY);
  const gdi::COLORREF background = ColorToRGB(ButtonColor(AState)) & 0xFFFFFF;
  const TColor mark = ButtonSymbolColor(AState);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const auto* row = static_cast<const std::uint32_t*>(bitmap.ScanLine(y));
    for (int x = 0; x < bitmap.Width(); ++x) {
      const std::uint32_t bgra = row[x];
      // Scan lines hold blue, green, red; colour values hold red first.
      const gdi::COLORREF rgb = ((bgra >> 16) & 0xFF) | (bgra & 0xFF00) | ((bgra & 0xFF) << 16);
      if (rgb != background) ACanvas->SetPixel(left + x, top + y, mark);
    }
  }
}

void P::DrawGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TcxButtonState AState) {
  DrawButton(ACanvas, R, String(), AState);
  DrawExpandMark(ACanvas, R, ButtonSymbolColor(AState), AExpanded);
}

void P::DrawSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                              TColor AColor) {
  ACanvas->FrameRect(R, ABorderColor);
  if (AColor != clDefault) ACanvas->FillRect(inflated(R, -1), AColor);
  DrawExpandButtonCross(ACanvas, R, AExpanded, clBtnText);
}

void P::DrawExpandButtonCross(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  const int cx = core::GetRangeCenter(R.left, R.right);
  const int cy = core::GetRangeCenter(R.top, R.bottom);
  const int arm = half(width(R) - 4);
  ACanvas->FillRect(TRect{cx - arm, cy, cx + arm + 1, cy + 1}, AColor);
  if (!AExpanded) ACanvas->FillRect(TRect{cx, cy - arm, cx + 1, cy + arm + 1}, AColor);
}

void P::DrawExpandMark(TcxCanvas* ACanvas, const TRect& R, TColor AColor, bool AExpanded) {
  constexpr int kArm = 3;
  const int x0 = half(R.left + R.right - 2 * kArm - 1);
  const int y0 = half(R.top + R.bottom - 2 * (kArm + 1));
  ACanvas->Pen()->SetColor(AColor);
  // Two chevrons, each two strokes thick; the second starts A - 1 rows
  // below where a third stroke would.
  for (const int row : {y0, y0 + 1, y0 + 2 + kArm - 1, y0 + 3 + kArm - 1}) {
    const int ends = AExpanded ? row + kArm : row;
    const int apex = AExpanded ? row : row + kArm;
    lineThrough(ACanvas, TPoint{x0, ends}, TPoint{x0 + kArm, apex});
    lineThrough(ACanvas, TPoint{x0 + kArm, apex}, TPoint{x0 + 2 * kArm, ends});
  }
}

// --- command links -----------------------------------------------------------------------------
TColor P::DefaultCommandLinkTextColor(TcxButtonState AState, TColor ADefaultColor) {
  return ButtonSymbolColor(AState, ADefaultColor);
}

void P::DrawCommandLinkBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TColor AColor) {
  DrawButton(ACanvas, R, String(), AState, true, AColor);
}

void P::DrawCommandLinkGlyph(TcxCanvas* ACanvas, const TPoint& AGlyphPos, TcxButtonState AState) {
  static constexpr char16_t kName[] = u"CX_COMMANDLINKGLYPH";
  static constexpr char16_t kType[] = u"PNG";
  if (rtl::FindResource(rtl::StringView(kType), rtl::StringView(kName)) == nullptr) return;
  std::unique_ptr<core::TdxSmartImage> image(rtl::Create<core::TdxSmartImage>());
  image->LoadFromResource(kName, kType);
  const TSize size = GetCommandLinkGlyphSize();
  const int frameTop = AState == TcxButtonState::cxbsHot ? size.cy : 0;
  const TRect dest{AGlyphPos.x, AGlyphPos.y, AGlyphPos.x + size.cx, AGlyphPos.y + size.cy};
  image->StretchDraw(ACanvas->Handle(), dest, TRect{0, frameTop, size.cx, frameTop + size.cy});
}

TSize P::GetCommandLinkGlyphSize() { return TSize{20, 20}; }
TRect P::GetCommandLinkMargins() { return TRect{7, 10, 7, 10}; }

// --- check boxes -------------------------------------------------------------------------------
TSize P::CheckButtonAreaSize() {
  TSize size = CheckButtonSize();
  dxAdjustToTouchableSize(size);
  return size;
}

int P::CheckBorderSize() { return 2; }

TColor P::CheckButtonColor(TcxButtonState AState, TcxCheckBoxState ACheckState) {
  if (AState == TcxButtonState::cxbsNormal) return ACheckState == TcxCheckBoxState::cbsGrayed ? clBtnFace : clWindow;
  return AState == TcxButtonState::cxbsPressed || AState == TcxButtonState::cxbsDisabled ? clBtnFace : clWindow;
}

// Measured on the system's own check box when the painter module starts.
TSize P::CheckButtonSize() { return FCheckButtonSize; }

void P::DrawCheck(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked, TColor AColor) {
  DrawCheck(ACanvas, R, AState, AChecked ? TcxCheckBoxState::cbsChecked : TcxCheckBoxState::cbsUnchecked, AColor);
}

void P::DrawCheck(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxCheckBoxState ACheckState,
                  TColor AColor) {
  // A clear brush means the caller has painted the background already.
  if (ACanvas->Brush()->Style() == bsSolid) ACanvas->FillRect(R, CheckButtonColor(AState, ACheckState));
  if (ACheckState == TcxCheckBoxState::cbsUnchecked) return;
  const int w = width(R) - 2, h = height(R) - 4;
  const int x = half(R.left + R.right) - 1;
  ACanvas->Pen()->SetColor(AColor);
  for (int d = 0; d <= 2; ++d) {
    const int y = half(R.top + R.bottom + h) - 2 + d;
    ACanvas->MoveTo(x - half(w) + 1, y - half(h));
    ACanvas->LineTo(x, y);
    ACanvas->LineTo(x + half(w) + 2, y - h);
  }
}

void P::DrawCheckBorder(TcxCanvas*, const TRect&, TcxButtonState) {}

void P::DrawCheckButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) {
  DrawCheckButton(ACanvas, R, AState, AChecked ? TcxCheckBoxState::cbsChecked : TcxCheckBoxState::cbsUnchecked);
}

void P::DrawCheckButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxCheckBoxState ACheckState) {
  DrawCheckBorder(ACanvas, R, AState);
  const bool dimmed = AState == TcxButtonState::cxbsDisabled || ACheckState == TcxCheckBoxState::cbsGrayed;
  DrawCheck(ACanvas, inflated(R, -CheckBorderSize()), AState, ACheckState, dimmed ? clGrayText : clBtnText);
}

// --- toggle switch -----------------------------------------------------------------------------
TColor P::ToggleSwitchToggleColor(bool) { return clBlack; }

void P::DrawToggleSwitch(TcxCanvas* ACanvas, const TRect& ABounds, TcxButtonState AState,
                         const TRect& AThumbBounds) {
  if (AThumbBounds.left <= ABounds.left) {
    DrawToggleSwitchState(ACanvas, ABounds, AState, false);
  } else if (AThumbBounds.right >= ABounds.right) {
    DrawToggleSwitchState(ACanvas, ABounds, AState, true);
  } else {
    // While the thumb travels, the part it has passed shows the checked
    // state and the part ahead of it the unchecked one.
    const int x = half(AThumbBounds.left + AThumbBounds.right);
    ACanvas->SaveState();
    ACanvas->ExcludeClipRect(TRect{x, ABounds.top, ABounds.right, ABounds.bottom});
    DrawToggleSwitchState(ACanvas, ABounds, AState, true);
    ACanvas->RestoreState();
    ACanvas->SaveState();
    ACanvas->ExcludeClipRect(TRect{ABounds.left, ABounds.top, x, ABounds.bottom});
    DrawToggleSwitchState(ACanvas, ABounds, AState, false);
    ACanvas->RestoreState();
  }
}

void P::DrawToggleSwitchState(TcxCanvas*, const TRect&, TcxButtonState, bool) {}

void P::DrawToggleSwitchStateIndicator(TcxCanvas* ACanvas, const TRect& R, const String& AText, TFont* AFont) {
  ACanvas->SaveState();
  ACanvas->SetFont(AFont);
  core::cxDrawText(ACanvas, AText, R, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE,
                   DefaultContentTextColor());
  ACanvas->RestoreState();
}

void P::DrawToggleSwitchThumb(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButton(ACanvas, inflated(R, -2), String(), AState);
}

int P::GetToggleSwitchThumbPercentsWidth() { return 50; }

// --- radio buttons and label lines -------------------------------------------------------------
void P::DrawRadioButton(TcxCanvas* ACanvas, int X, int Y, TcxButtonState AButtonState, bool AChecked,
                        bool AFocused, TColor ABrushColor, bool AIsDesigning) {
  RadioButtonImageList()->Draw(ACanvas, X, Y, ABrushColor, cxLookAndFeelKindOf(LookAndFeelStyle()), AButtonState,
                               AChecked, AFocused, AIsDesigning);
}

TColor P::RadioButtonBodyColor(TcxButtonState AState) {
  return AState == TcxButtonState::cxbsPressed || AState == TcxButtonState::cxbsDisabled ? clBtnFace : clWindow;
}

TSize P::RadioButtonSize() { return RadioButtonImageList()->GetSize(); }

void P::DrawLabelLine(TcxCanvas* ACanvas, const TRect& R, TColor AOuterColor, TColor AInnerColor, bool AIsVertical) {
  if (AOuterColor == clDefault) AOuterColor = clBtnShadow;
  if (AInnerColor == clDefault) AInnerColor = clBtnHighlight;
  using core::TcxBorder;
  const core::TcxBorders sides = AIsVertical ? core::TcxBorders{TcxBorder::bLeft, TcxBorder::bRight}
                                              : core::TcxBorders{TcxBorder::bTop, TcxBorder::bBottom};
  ACanvas->DrawComplexFrame(R, AOuterColor, AInnerColor, sides, 1);
}

int P::LabelLineHeight() { return 2; }

}  // namespace lookandfeel

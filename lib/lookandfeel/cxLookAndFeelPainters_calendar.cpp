// The base painter's calendars, date navigator, clocks and scheduler
// elements: month headers and date cells, the modern calendar with its
// arrows, selections and anti-aliased clock, the classic time-editor clock,
// and the scheduler's navigation buttons, groups, milestones and progress.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxGDIPlusClasses.h"
#include "lib/core/dxSmartImage.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/rop.h"
#include "platform/gdi/types.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/scoped.h"

namespace lookandfeel {

using namespace ui;
using core::TcxBorder;
using core::TcxBorders;
using core::TcxCanvas;
using CES = TcxCalendarElementState;
using P = TcxCustomLookAndFeelPainter;

namespace {

constexpr TColor calendarRGBColor(int r, int g, int b) {
  return TColor(gdi::RGB(gdi::BYTE(r), gdi::BYTE(g), gdi::BYTE(b)));
}

constexpr double kTwoPi = 2 * std::numbers::pi;

// The platform fills an inverted rectangle as its normalised self, so every
// drawing operation here returns early on an empty or inverted one.
bool calendarIsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

TRect deflated(const TRect& R, int d) { return TRect{R.left + d, R.top + d, R.right - d, R.bottom - d}; }

// Rounds like the platform's float-to-integer conversion (halves to even),
// which keeps the clock's marks symmetric about its centre.
int roundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// The part of R the canvas can still change; empty when nothing of R shows.
TRect visiblePart(TcxCanvas* ACanvas, const TRect& R) {
  gdi::RECT clip{};
  if (gdi::GetClipBox(ACanvas->Handle(), &clip) == 0) return TRect{};
  const TRect part{std::max(R.left, clip.left), std::max(R.top, clip.top), std::min(R.right, clip.right),
                   std::min(R.bottom, clip.bottom)};
  return calendarIsEmpty(part) ? TRect{} : part;
}

// The three hand angles of a time, in radians clockwise from 3 o'clock.
struct HandAngles {
  double hour, minute, second;
};

HandAngles handAngles(rtl::TDateTime ADateTime) {
  rtl::Word h = 0, m = 0, s = 0, ms = 0;
  rtl::DecodeTime(ADateTime, h, m, s, ms);
  return HandAngles{((h % 12) * 3600.0 + m * 60.0 + s - 10800.0) * kTwoPi / 43200.0,
                    (m * 60.0 + s - 900.0) * kTwoPi / 3600.0, (s - 15.0) * kTwoPi / 60.0};
}

// Frame and fill of a modern date cell's selection; clNone when it has none.
struct CellSelectionColors {
  TColor frame, fill;
};

CellSelectionColors modernCellSelectionColors(TcxCalendarElementStates AStates) {
  const bool hot = AStates.contains(CES::cesHot);
  const bool selected = AStates.contains(CES::cesSelected);
  const bool focused = AStates.contains(CES::cesFocused);
  if (selected && hot) return {calendarRGBColor(102, 167, 232), calendarRGBColor(209, 232, 255)};
  if (selected && focused) return {calendarRGBColor(38, 160, 218), calendarRGBColor(203, 232, 246)};
  if (selected) return {calendarRGBColor(222, 222, 222), calendarRGBColor(247, 247, 247)};
  if (hot) return {calendarRGBColor(112, 192, 231), calendarRGBColor(229, 243, 251)};
  return {clNone, clNone};
}

// The sides a scheduler navigation button frames: all but the one that
// faces the view (the left of a previous button, the right of a next one).
TcxBorders navigationButtonBorders(bool AIsNextButton) {
  return AIsNextButton ? TcxBorders{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bBottom}
                       : TcxBorders{TcxBorder::bTop, TcxBorder::bRight, TcxBorder::bBottom};
}

void outlinedPolygon(TcxCanvas* ACanvas, const std::vector<TPoint>& APoints, TColor AOutline, TColor AFill) {
  if (APoints.empty()) return;
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->SetBrushColor(AFill);
  ACanvas->Pen()->SetColor(AOutline);
  ACanvas->Polygon(APoints);
}

}  // namespace

// --- scheduler navigation, groups and borders ----------------------------------------------------

void P::DrawSchedulerNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect,
                                             bool AIsNextButton, TcxButtonState AState) {
  if (calendarIsEmpty(R)) return;
  const TcxBorders borders = navigationButtonBorders(AIsNextButton);
  ACanvas->FillRect(R, clBtnFace);
  ACanvas->FrameRect(R, clBtnShadow, 1, borders);
  TRect inner = R;
  ++inner.top;
  --inner.bottom;
  if (AIsNextButton)
    ++inner.left;
  else
    --inner.right;
  const bool pressed = AState == TcxButtonState::cxbsPressed;
  ACanvas->DrawComplexFrame(inner, pressed ? clBtnShadow : clBtnHighlight, pressed ? clBtnHighlight : clBtnFace,
                            borders);
  DrawSchedulerNavigationButtonArrow(ACanvas, AArrowRect, AIsNextButton, ButtonSymbolColor(AState));
}

void P::CalculateSchedulerNavigationButtonRects(bool AIsNextButton, bool ACollapsed, const TSize& APrevButtonTextSize,
                                                const TSize& ANextButtonTextSize, TRect& ABounds, TRect& ATextRect,
                                                TRect& AArrowRect) {
  TRect borders;
  TSize arrowSize;
  bool hasTextArea = false;
  SchedulerNavigationButtonSizes(AIsNextButton, borders, arrowSize, hasTextArea);
  const int bandHeight = 3 * arrowSize.cy;
  auto arrowIn = [&](const TRect& band) {
    const TRect content{band.left + borders.left, band.top, band.right - borders.right, band.bottom};
    return cxCentreRect(content, arrowSize);
  };
  if (ACollapsed || !hasTextArea) {
    ATextRect = TRect{};
    const int top = cxCentreStart(ABounds.top, ABounds.bottom, bandHeight);
    ABounds.top = top;
    ABounds.bottom = top + bandHeight;
    AArrowRect = arrowIn(ABounds);
    return;
  }
  const TRect content{ABounds.left + borders.left, ABounds.top + borders.top, ABounds.right - borders.right,
                      ABounds.bottom - borders.bottom};
  const TRect band{ABounds.left, content.top, ABounds.right, content.top + bandHeight};
  AArrowRect = arrowIn(band);
  ATextRect = TRect{content.left, band.bottom + 5, content.right, content.bottom - 2 * arrowSize.cy};
  const int textHeight = std::max(APrevButtonTextSize.cy, ANextButtonTextSize.cy);
  const int excess = textHeight - (ATextRect.bottom - ATextRect.top);
  if (excess > 0) {
    // The button grows evenly about its centre; the arrow keeps its place
    // at the new top and the text takes all the room gained.
    const int up = excess / 2, down = excess - up;
    ABounds.top -= up;
    ABounds.bottom += down;
    AArrowRect.top -= up;
    AArrowRect.bottom -= up;
    ATextRect.top -= up;
    ATextRect.bottom += down;
  }
}

void P::DrawMonthHeader(TcxCanvas* ACanvas, const TRect& ABounds, const String& AText, TcxNeighbors ANeighbors,
                        const core::TcxViewParams& AViewParams, TcxArrowDirections AArrows, int ASideWidth,
                        TcxDrawBackgroundEvent AOnDrawBackground) {
  if (calendarIsEmpty(ABounds)) return;
  DrawHeader(ACanvas, ABounds, ABounds, ANeighbors, HeaderBorders(ANeighbors), TcxButtonState::cxbsNormal, taCenter,
             core::TcxAlignmentVert::vaCenter, false, false, AText, AViewParams.Font, AViewParams.TextColor,
             AViewParams.Color, AOnDrawBackground);
  DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, clWindowText);
}

void P::DrawMonthHeaderArrows(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirections AArrows, int /*ASideWidth*/,
                              TColor AColor) {
  if (calendarIsEmpty(R)) return;
  const int side = R.bottom - R.top;
  if (AArrows.contains(TcxArrowDirection::adLeft))
    DrawArrow(ACanvas, TRect{R.left, R.top, R.left + side, R.bottom}, TcxArrowDirection::adLeft, AColor);
  if (AArrows.contains(TcxArrowDirection::adRight))
    DrawArrow(ACanvas, TRect{R.right - side, R.top, R.right, R.bottom}, TcxArrowDirection::adRight, AColor);
}

void P::DrawSchedulerBorder(TcxCanvas* ACanvas, const TRect& R) {
  if (!calendarIsEmpty(R)) DrawBorder(ACanvas, R);
}

void P::DrawSchedulerEventProgress(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& AProgress,
                                   const core::TcxViewParams& AViewParams, bool ATransparent) {
  if (calendarIsEmpty(ABounds)) return;
  if (ATransparent)
    ACanvas->FrameRect(ABounds, clGray);
  else
    ACanvas->Rectangle(ABounds, AViewParams, core::cxBordersAll, clGray, 1);
  if (!calendarIsEmpty(AProgress)) ACanvas->FillRect(AProgress, clNavy);
}

void P::DrawSchedulerGroup(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  if (calendarIsEmpty(R)) return;
  outlinedPolygon(ACanvas, cxGetSchedulerGroupPolygon(R), clBlack, AColor);
}

void P::DrawSchedulerGroupSeparator(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor,
                                    TcxDrawBackgroundEvent AOnDrawBackground) {
  if (calendarIsEmpty(R)) return;
  DrawHeader(ACanvas, R, R, TcxNeighbors{TcxNeighbor::nLeft, TcxNeighbor::nRight}, core::cxBordersAll,
             TcxButtonState::cxbsNormal, taLeftJustify, core::TcxAlignmentVert::vaTop, false, false, String(),
             ACanvas->Font(), clDefault, ABackgroundColor, AOnDrawBackground);
}

void P::DrawSchedulerMilestone(TcxCanvas* ACanvas, const TRect& R) {
  if (calendarIsEmpty(R)) return;
  outlinedPolygon(ACanvas, cxGetSchedulerMilestonePolygon(R), clBlack, clGray);
}

void P::DrawSchedulerNavigationButton(TcxCanvas* ACanvas, const TRect& R, bool AIsNextButton, TcxButtonState AState,
                                      const String& AText, const TRect& ATextRect, const TRect& AArrowRect) {
  if (calendarIsEmpty(R)) return;
  DrawSchedulerNavigationButtonContent(ACanvas, R, AArrowRect, AIsNextButton, AState);
  if (calendarIsEmpty(ATextRect)) return;
  const TColor textColor = SchedulerNavigationButtonTextColor(AIsNextButton, AState, ACanvas->Font()->Color());
  if (textColor == clNone) return;
  ACanvas->Font()->SetColor(textColor);
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->DrawText(AText, ATextRect, core::cxAlignHCenter | core::cxAlignVCenter | core::cxSingleLine);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void P::DrawSchedulerNavigationButtonArrow(TcxCanvas* ACanvas, const TRect& R, bool AIsNextButton, TColor AColor) {
  // Two-pixel chevron strokes from the outer corners towards the middle
  // row, then the bar that makes it read "to the first/last".
  if (calendarIsEmpty(R)) return;
  const int sign = AIsNextButton ? 1 : -1;
  const int x0 = AIsNextButton ? R.left : R.right - 2;
  const int steps = (R.bottom - R.top + 1) / 2;
  for (int i = 0; i < steps; ++i) {
    const int x = x0 + sign * i;
    ACanvas->FillRect(TRect{x, R.top + i, x + 2, R.top + i + 1}, AColor);
    ACanvas->FillRect(TRect{x, R.bottom - 1 - i, x + 2, R.bottom - i}, AColor);
  }
  const int barX = AIsNextButton ? R.right - 1 : R.left;
  ACanvas->FillRect(TRect{barX, R.top, barX + 1, R.bottom}, AColor);
}

void P::DrawSchedulerNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (calendarIsEmpty(R)) return;
  DrawButton(ACanvas, R, String(), AState);
}

void P::DrawSchedulerSplitterBorder(TcxCanvas*, const TRect&, const core::TcxViewParams&, bool) {}

TRect P::SchedulerEventProgressOffsets() { return TRect{2, 2, 2, 2}; }

TColor P::SchedulerNavigationButtonTextColor(bool, TcxButtonState AState, TColor ADefaultColor) {
  return ButtonSymbolColor(AState, ADefaultColor);
}

void P::SchedulerNavigationButtonSizes(bool AIsNextButton, TRect& ABorders, TSize& AArrowSize, bool& AHasTextArea) {
  ABorders = AIsNextButton ? TRect{2, 6, 0, 6} : TRect{0, 6, 2, 6};
  AArrowSize = TSize{7, 7};
  AHasTextArea = true;
}

// --- clock ---------------------------------------------------------------------------------------

TSize P::ClockSize() { return TSize{130, 130}; }

void P::DrawClock(TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime, TColor ABackgroundColor) {
  if (calendarIsEmpty(R)) return;
  // Floating point throughout: a huge rectangle must not overflow.
  const double cx = (double(R.left) + R.right) / 2, cy = (double(R.top) + R.bottom) / 2;
  const double rx = (double(R.right) - R.left) / 2 - 2, ry = (double(R.bottom) - R.top) / 2 - 2;
  const TColor handColor = calendarRGBColor(0, 128, 128);

  ACanvas->SaveClipRegion();
  rtl::ScopeExit restoreClip([ACanvas] { ACanvas->RestoreClipRegion(); });
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  for (int i = 0; i < 60; i += 5) {
    const double angle = i * kTwoPi / 60;
    const int x = roundEven(cx + std::cos(angle) * rx), y = roundEven(cy + std::sin(angle) * ry);
    ACanvas->SetPixel(x, y, handColor);
    ACanvas->Pen()->SetColor(clAqua);
    ACanvas->MoveTo(x - 1, y + 1);
    ACanvas->LineTo(x - 1, y - 1);
    ACanvas->LineTo(x, y - 1);
    ACanvas->Pen()->SetColor(clBtnText);
    ACanvas->MoveTo(x, y + 1);
    ACanvas->LineTo(x + 1, y + 1);
    ACanvas->LineTo(x + 1, y - 1);
    // The background fill below must leave the mark alone.
    ACanvas->ExcludeClipRect(TRect{x - 1, y - 1, x + 2, y + 2});
  }
  ACanvas->FillRect(R, ABackgroundColor);

  const HandAngles angles = handAngles(ADateTime);
  auto at = [&](double angle, double dx, double dy) {
    return TPoint{roundEven(cx + std::cos(angle) * dx), roundEven(cy + std::sin(angle) * dy)};
  };
  auto polygonHand = [&](double angle, double tipFactor, double tailFactor, double width) {
    const double half = width / 2;
    const double quarter = std::numbers::pi / 2;
    outlinedPolygon(ACanvas,
                    {at(angle, rx * tipFactor, ry * tipFactor), at(angle + quarter, half, half),
                     at(angle + 2 * quarter, rx * tailFactor, ry * tailFactor), at(angle + 3 * quarter, half, half)},
                    handColor, handColor);
  };
  polygonHand(angles.hour, 0.75, 0.15, 9);
  polygonHand(angles.minute, 0.85, 0.2, 7);
  ACanvas->Pen()->SetColor(clRed);
  const TPoint tip = at(angles.second, rx * 0.9, ry * 0.9);
  ACanvas->MoveTo(roundEven(cx), roundEven(cy));
  ACanvas->LineTo(tip.x, tip.y);
}

// --- date navigator ------------------------------------------------------------------------------

void P::DrawDateNavigatorCellSelection(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  if (!calendarIsEmpty(R)) ACanvas->FillRect(R, AColor);
}

void P::DrawDateNavigatorDateHeader(TcxCanvas* ACanvas, TRect& R) {
  if (!calendarIsEmpty(R)) {
    ACanvas->FillRect(R, DefaultDateNavigatorHeaderColor());
    ACanvas->DrawEdge(R, false, false);
  }
  R = deflated(R, 1);
}

void P::DrawDateNavigatorTodayCellSelection(TcxCanvas* ACanvas, const TRect& R) {
  // The canvas leaves an empty or inverted frame alone.
  ACanvas->FrameRect(R, DefaultDateNavigatorTodayFrameColor());
}

// --- calendars and modern clocks -----------------------------------------------------------------

void P::DrawCalendarDateCellSelection(TcxCanvas* ACanvas, const TRect& R, TcxCalendarElementStates AStates) {
  if (AStates.contains(CES::cesMarked)) DrawDateNavigatorTodayCellSelection(ACanvas, R);
}

void P::DrawModernCalendarArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection AArrowDirection,
                                TcxCalendarElementState AState) {
  TRect bounds = R;
  --bounds.bottom;
  if (calendarIsEmpty(bounds)) return;
  TPoint points[3];
  CalculateArrowPoints(bounds, points, AArrowDirection, false, 0);
  TColor color = clBtnText;
  if (AState == CES::cesHot || AState == CES::cesPressed)
    color = GetModernCalendarSelectedTextColor();
  else if (AState == CES::cesDisabled)
    color = clGrayText;
  outlinedPolygon(ACanvas, {points[0], points[1], points[2]}, color, color);
}

void P::DrawModernCalendarClock(TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime,
                                TColor ABackgroundColor) {
  // Composed off-screen so that the glass lies over the hands; only the
  // visible part is composed, so a huge rectangle costs no more than the clip.
  const TRect part = visiblePart(ACanvas, R);
  if (calendarIsEmpty(part)) return;
  const int w = part.right - part.left, h = part.bottom - part.top;
  core::TcxBitmap32 bitmap(w, h);
  TcxCanvas* target = bitmap.cxCanvas();
  const TRect local{0, 0, w, h};
  if (ABackgroundColor == clNone)
    gdi::BitBlt(target->Handle(), 0, 0, w, h, ACanvas->Handle(), part.left, part.top, gdi::SRCCOPY);
  else
    target->FillRect(local, ABackgroundColor);
  const TRect face{R.left - part.left, R.top - part.top, R.right - part.left, R.bottom - part.top};
  GetClockFace()->StretchDraw(target->Handle(), face);
  DrawModernClockHands(target, face, ADateTime, calendarRGBColor(70, 70, 70));
  GetClockGlass()->StretchDraw(target->Handle(), face);
  gdi::BitBlt(ACanvas->Handle(), part.left, part.top, w, h, target->Handle(), 0, 0, gdi::SRCCOPY);
}

void P::DrawModernCalendarDateCellSelection(TcxCanvas* ACanvas, const TRect& R, TcxCalendarElementStates AStates) {
  if (calendarIsEmpty(R)) return;
  const CellSelectionColors colors = modernCellSelectionColors(AStates);
  if (colors.frame != clNone) {
    ACanvas->FrameRect(R, colors.frame);
    ACanvas->FillRect(deflated(R, 1), colors.fill);
  }
  if (AStates.contains(CES::cesMarked)) ACanvas->FrameRect(R, GetModernCalendarMarkedCellBorderColor());
  if (AStates.contains(CES::cesFocused)) {
    const TRect focus = deflated(R, 1);
    if (!calendarIsEmpty(focus)) ACanvas->DrawFocusRect(focus);
  }
}

void P::DrawModernCalendarDateHeaderSelection(TcxCanvas*, const TRect&, TcxCalendarElementStates) {}

void P::DrawModernCalendarHeaderSelection(TcxCanvas* ACanvas, const TRect&, TcxCalendarElementStates AStates) {
  if (AStates.contains(CES::cesHot) || AStates.contains(CES::cesPressed))
    ACanvas->Font()->SetStyle(ACanvas->Font()->Style() + fsUnderline);
}

TColor P::GetModernCalendarCellTextColor(TcxCalendarElementStates AStates) {
  if (AStates.contains(CES::cesDisabled)) return clGrayText;
  if (AStates.contains(CES::cesHot) ||
      (AStates.contains(CES::cesMarked) && !AStates.contains(CES::cesSelected)))
    return GetModernCalendarSelectedTextColor();
  return clBtnText;
}

TColor P::GetModernCalendarDateHeaderTextColor(TcxCalendarElementStates AStates) {
  if (AStates == TcxCalendarElementStates{CES::cesHot}) return GetModernCalendarSelectedTextColor();
  return DefaultDateNavigatorHeaderTextColor(false);
}

TColor P::GetModernCalendarHeaderTextColor() { return clHotLight; }
TRect P::GetModernCalendarHeaderTextOffsets() { return TRect{0, 0, 0, 0}; }
TColor P::GetModernCalendarMarkedCellBorderColor() { return clHotLight; }
TColor P::GetModernCalendarSelectedTextColor() { return clHotLight; }

void P::DrawModernClockHands(TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime, TColor AColor) {
  const TRect part = visiblePart(ACanvas, R);
  if (calendarIsEmpty(part) || calendarIsEmpty(R)) return;
  const double cx = (double(R.left) + R.right) / 2, cy = (double(R.top) + R.bottom) / 2;
  const double w = (double(R.right) - R.left) / 2, h = (double(R.bottom) - R.top) / 2;
  const HandAngles angles = handAngles(ADateTime);
  struct Hand {
    double angle, tip, tail;
    float width;
  };
  const Hand hands[] = {{angles.hour, 0.55, 0.05, 1.8f}, {angles.minute, 0.7, 0.05, 1.8f},
                        {angles.second, 0.745, 0.1, 1.0f}};
  core::TdxGPPaintCanvas* canvas = core::dxGPPaintCanvas();
  canvas->BeginPaint(ACanvas->Handle(), part);
  rtl::ScopeExit endPaint([canvas] { canvas->EndPaint(); });
  canvas->SetSmoothingMode(core::TdxGPSmoothingMode::smAntiAlias);
  for (const Hand& hand : hands) {
    const double c = std::cos(hand.angle), s = std::sin(hand.angle);
    canvas->Polyline({core::TdxGpPointF{float(cx - c * w * hand.tail), float(cy - s * h * hand.tail)},
                      core::TdxGpPointF{float(cx + c * w * hand.tip), float(cy + s * h * hand.tip)}},
                     AColor, hand.width);
  }
}

}  // namespace lookandfeel

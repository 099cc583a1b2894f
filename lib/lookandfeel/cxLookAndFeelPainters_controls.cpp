// The base painter's control parts: scroll-bar parts and sliders, size grips,
// small buttons and the resizable popup's band, window and popup borders,
// hints and screen tips, tabs, editor buttons and container borders, zoom
// buttons, data-navigator buttons, progress bars, group boxes and panels,
// track bars and splitters. Where the base draws nothing, the built-in
// painters supply the drawing.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "lib/core/cxGeometry.h"
#include "lib/core/cxImageDraw.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/rop.h"
#include "platform/gdi/text.h"
#include "platform/ui/bitmap.h"
#include "platform/win/constants.h"
#include "platform/win/system.h"

namespace lookandfeel {

using namespace ui;
using core::TcxCanvas;
using P = TcxCustomLookAndFeelPainter;

namespace {

// Work bitmaps are made for small parts (a size grip, a line of text). A
// caller that hands in an enormous rectangle gets nothing drawn rather than
// an allocation of gigabytes.
constexpr int kMaxWorkBitmapSide = 4096;

int Width(const TRect& R) { return R.right - R.left; }
int Height(const TRect& R) { return R.bottom - R.top; }
bool IsEmptyRect(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }
// Measured in 64 bits: a rectangle may span the whole integer range.
bool FitsWorkBitmap(const TRect& R) {
  return !IsEmptyRect(R) && std::int64_t(R.right) - R.left <= kMaxWorkBitmapSide &&
         std::int64_t(R.bottom) - R.top <= kMaxWorkBitmapSide;
}

// R cut down to the canvas's clip box grown by AMargin: a frame drawn on
// the result shows the same pixels as on R as long as every feature of the
// frame lies within AMargin of R's edges, and the platform's outline
// routines, which walk the whole outline, stay cheap for enormous R.
TRect NearClip(TcxCanvas* ACanvas, const TRect& R, int AMargin) {
  gdi::RECT box{};
  gdi::GetClipBox(ACanvas->Handle(), &box);
  TRect result{};
  core::cxRectIntersect(result, R, core::cxRectInflate(box, AMargin));
  return result;
}

// The part of R that the canvas can still paint.
TRect VisiblePart(TcxCanvas* ACanvas, const TRect& R) { return NearClip(ACanvas, R, 0); }

// A 32-bit bitmap of ASize with a library canvas over it.
struct WorkBitmap {
  explicit WorkBitmap(const TSize& ASize) : Bitmap(ASize.cx, ASize.cy), Canvas(ThirtyTwoBit(Bitmap).Canvas()) {}
  static TBitmap& ThirtyTwoBit(TBitmap& ABitmap) {
    ABitmap.SetPixelFormat(pf32bit);
    return ABitmap;
  }
  TRect ClientRect() const { return TRect{0, 0, Bitmap.Width(), Bitmap.Height()}; }
  TBitmap Bitmap;
  TcxCanvas Canvas;
};

bool IsBottomCorner(TdxCorner ACorner) {
  return ACorner == TdxCorner::coBottomLeft || ACorner == TdxCorner::coBottomRight;
}
bool IsRightCorner(TdxCorner ACorner) {
  return ACorner == TdxCorner::coTopRight || ACorner == TdxCorner::coBottomRight;
}

// Text output without clipping or formatting, over whatever lies below.
void OutText(TcxCanvas* ACanvas, int X, int Y, const String& AText, TColor AColor) {
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->Font()->SetColor(AColor);
  ACanvas->TextOut(X, Y, AText);
}

// One run of the splitter's line: [AFrom, ATo) along the line at ACross,
// horizontal or vertical.
void SplitterRun(TcxCanvas* ACanvas, bool AHorizontal, int AFrom, int ATo, int ACross, TColor AColor) {
  if (ATo <= AFrom) return;
  ACanvas->FillRect(AHorizontal ? TRect{AFrom, ACross, ATo, ACross + 1} : TRect{ACross, AFrom, ACross + 1, ATo},
                    AColor);
}

// The splitter's line from AStart to AEnd (exclusive) with a grip mark of
// one-pixel gaps at ACentre - 5, - 2, + 1 and + 4.
void SplitterLine(TcxCanvas* ACanvas, bool AHorizontal, int AStart, int AEnd, int ACentre, int ACross,
                  TColor AColor) {
  SplitterRun(ACanvas, AHorizontal, AStart, std::min(AEnd, ACentre - 5), ACross, AColor);
  for (int from = ACentre - 4; from < ACentre + 5; from += 3)
    SplitterRun(ACanvas, AHorizontal, std::max(AStart, from), std::min(AEnd, from + 2), ACross, AColor);
  SplitterRun(ACanvas, AHorizontal, std::max(AStart, ACentre + 5), AEnd, ACross, AColor);
}

struct ThumbOutline {
  std::vector<TPoint> Polygon, Light, Shadow, Dark;
};

// The pointed thumb: R (inclusive corners) with the tick side cut into a
// point at its middle, each sloping edge spanning half the thumb across.
ThumbOutline PointedThumb(const TRect& R, bool AHorizontal, bool APointsUp) {
  const int l = R.left, t = R.top, r = R.right - 1, b = R.bottom - 1;
  ThumbOutline o;
  if (AHorizontal) {
    const int half = (r - l) / 2, mx = l + half;
    if (APointsUp) {
      o.Polygon = {{l, b}, {l, t + half}, {mx, t}, {r, t + half}, {r, b}};
      o.Light = {{l, b}, {l, t + half}, {mx, t}};
      o.Shadow = {{mx, t + 1}, {r - 1, t + half}, {r - 1, b - 1}, {l, b - 1}};
      o.Dark = {{mx, t}, {r, t + half}, {r, b}, {l - 1, b}};
    } else {
      o.Polygon = {{l, t}, {r, t}, {r, b - half}, {mx, b}, {l, b - half}};
      o.Light = {{r, t}, {l, t}, {l, b - half}, {mx, b}};
      o.Shadow = {{r - 1, t + 1}, {r - 1, b - half}, {mx, b - 1}};
      o.Dark = {{r, t}, {r, b - half}, {mx, b}};
    }
  } else {
    const int half = (b - t) / 2, my = t + half;
    if (APointsUp) {
      o.Polygon = {{r, t}, {l + half, t}, {l, my}, {l + half, b}, {r, b}};
      o.Light = {{r, t}, {l + half, t}, {l, my}};
      o.Shadow = {{l + 1, my}, {l + half, b - 1}, {r - 1, b - 1}, {r - 1, t}};
      o.Dark = {{l, my}, {l + half, b}, {r, b}, {r, t - 1}};
    } else {
      o.Polygon = {{l, t}, {r - half, t}, {r, my}, {r - half, b}, {l, b}};
      o.Light = {{l, b}, {l, t}, {r - half, t}, {r, my}};
      o.Shadow = {{r - 1, my}, {r - half, b - 1}, {l + 1, b - 1}};
      o.Dark = {{r, my}, {r - half, b}, {l - 1, b}};
    }
  }
  return o;
}

}  // namespace

// --- image zoom buttons ------------------------------------------------------------------------
void P::DrawImageZoomInButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawScrollBarPart(ACanvas, true, R, TcxScrollBarPart::sbpLineDown, AState);
}
void P::DrawImageZoomOutButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawScrollBarPart(ACanvas, true, R, TcxScrollBarPart::sbpLineUp, AState);
}
TSize P::GetImageZoomInButtonSize() { return TSize{20, 20}; }
TSize P::GetImageZoomOutButtonSize() { return TSize{20, 20}; }

// --- windows, popup borders, hints, screen tips and tabs ---------------------------------------
TColor P::GetWindowContentTextColor() { return clBtnText; }
void P::DrawWindowContent(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FillRect(R, clBtnFace); }

void P::DrawEditPopupWindowBorder(TcxCanvas* ACanvas, TRect& R, TcxEditPopupBorderStyle ABorderStyle,
                                  bool AClientEdge) {
  using S = TcxEditPopupBorderStyle;
  // The rings are drawn on D, R cut down near the clip (the rings lie within
  // 4 pixels of R's edges; out of sight D is empty and draws nothing), and R
  // follows each step.
  TRect D = NearClip(ACanvas, R, 8);
  const auto shrink = [&] {
    R = core::cxRectInflate(R, -1);
    D = core::cxRectInflate(D, -1);
  };
  switch (ABorderStyle) {
    case S::epbsSingle:
      ACanvas->FrameRect(D, clBtnText);
      break;
    case S::epbsFlat:
    case S::epbsFrame3D:
      ACanvas->DrawEdge(D, false, true);
      shrink();
      ACanvas->DrawEdge(D, false, false);
      if (ABorderStyle == S::epbsFlat) break;
      shrink();
      ACanvas->FrameRect(D, AClientEdge ? clInactiveBorder : clBtnFace);
      shrink();
      if (AClientEdge)
        ACanvas->FrameRect(D, clBtnFace);
      else
        ACanvas->DrawEdge(D, true, true);
      break;
    case S::epbsDefault:
      break;
  }
  // Every style, the default one included, leaves the last drawn ring (or
  // the one pixel the default style reserves) outside the result.
  R = core::cxRectInflate(R, -1);
}

int P::GetEditPopupWindowBorderWidth(TcxEditPopupBorderStyle AStyle) {
  static constexpr int kWidths[] = {0, 1, 4, 2};
  return kWidths[int(AStyle)];
}
int P::GetEditPopupWindowClientEdgeWidth(TcxEditPopupBorderStyle AStyle) {
  static constexpr int kWidths[] = {0, 2, 2, 1};
  return kWidths[int(AStyle)];
}
TcxPopupBorderStyle P::PopupBorderStyle() { return TcxPopupBorderStyle::pbsUltraFlat; }
TColor P::GetHintBorderColor() { return clDefault; }
void P::DrawHintBackground(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  ACanvas->FillRect(R, AColor == clDefault ? clInfoBk : AColor);
}
TColor P::ScreenTipGetDescriptionTextColor() { return clDefault; }
TColor P::ScreenTipGetTitleTextColor() { return clDefault; }
int P::ScreenTipGetFooterLineSize() { return 3; }

void P::ScreenTipDrawBackground(TcxCanvas* ACanvas, const TRect& R) {
  DrawHintBackground(ACanvas, core::cxRectInflate(R, -1), clDefault);
  const TRect frame = NearClip(ACanvas, R, 4);
  if (IsEmptyRect(frame)) return;
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->Pen()->SetColor(clWindowFrame);
  ACanvas->RoundRect(frame, 2, 2);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void P::ScreenTipDrawFooterLine(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->FillRect(TRect{R.left, R.top, R.right, R.top + 1}, clWindowFrame);
  ACanvas->FillRect(TRect{R.left, R.top + 1, R.right, R.top + 2}, clWhite);
}

// The tab controls draw tabs with their own painters unless a painter says
// it implements them (only the native painter does).
void P::DrawTab(TcxCanvas*, const TRect&, core::TcxBorders, const String&, TcxButtonState, bool, TFont*, TColor,
                TColor, bool) {}
void P::DrawTabBorder(TcxCanvas*, const TRect&, core::TcxBorder, core::TcxBorders, bool) {}
void P::DrawTabsRoot(TcxCanvas*, const TRect&, core::TcxBorders, bool) {}
bool P::IsDrawTabImplemented() { return false; }
bool P::IsTabHotTrack() { return false; }
int P::TabBorderSize() { return 0; }

// --- scroll bars, size grips, sliders and small buttons ----------------------------------------
int P::ScrollBarMinimalThumbSize(bool) { return 8; }
void P::DrawScrollBarBackground(TcxCanvas* ACanvas, const TRect& R, bool AHorizontal) {
  DrawScrollBarPart(ACanvas, AHorizontal, R, TcxScrollBarPart::sbpPageUp, TcxButtonState::cxbsNormal);
}
// Every built-in painter draws the arrow buttons, thumb and page areas.
void P::DrawScrollBarPart(TcxCanvas*, bool, const TRect&, TcxScrollBarPart, TcxButtonState) {}

void P::DrawScrollBarSplitter(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawNavigatorButton(ACanvas, R, AState, clDefault);
  DrawNavigatorBorder(ACanvas, R, false);
  DrawSplitter(ACanvas, cxTextRect(R), AState == TcxButtonState::cxbsHot,
               AState == TcxButtonState::cxbsPressed, false);
}

TcxArrowDirection P::GetArrowDirection(bool AHorizontal, TcxScrollBarPart APart) {
  const bool lineUp = APart == TcxScrollBarPart::sbpLineUp;
  if (AHorizontal) return lineUp ? TcxArrowDirection::adLeft : TcxArrowDirection::adRight;
  return lineUp ? TcxArrowDirection::adUp : TcxArrowDirection::adDown;
}

TSize P::SizeGripSize() {
  return TSize{win::GetSystemMetrics(win::SM_CXVSCROLL), win::GetSystemMetrics(win::SM_CYHSCROLL)};
}

void P::DoDrawSizeGrip(TcxCanvas* ACanvas, const TRect& R) {
  // The platform's grip costs the square of its size, and a grip larger
  // than any screen is no grip: such a rectangle draws nothing.
  if (!FitsWorkBitmap(R) || IsEmptyRect(VisiblePart(ACanvas, R))) return;
  gdi::RECT r = R;
  gdi::DrawFrameControl(ACanvas->Handle(), &r, gdi::DFC_SCROLL, gdi::DFCS_SCROLLSIZEGRIP);
}

void P::DrawSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor, TdxCorner ACorner) {
  if (!FitsWorkBitmap(R) || IsEmptyRect(VisiblePart(ACanvas, R))) return;
  dxRotateSizeGrip(ACanvas, R, ABackgroundColor, ACorner, TdxDrawSizeGripProc::bind<&P::DoDrawSizeGrip>(this));
}

TSize P::SliderButtonSize(TcxArrowDirection) { return SizeGripSize(); }

void P::DrawSliderButton(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection ADirection, TcxButtonState AState) {
  const bool horizontal = ADirection == TcxArrowDirection::adLeft || ADirection == TcxArrowDirection::adRight;
  const bool lineDown = ADirection == TcxArrowDirection::adDown || ADirection == TcxArrowDirection::adRight;
  DrawScrollBarPart(ACanvas, horizontal, R, lineDown ? TcxScrollBarPart::sbpLineDown : TcxScrollBarPart::sbpLineUp,
                    AState);
}

TSize P::SmallCloseButtonSize() {
  TSize size = DoGetSmallCloseButtonSize();
  dxAdjustToTouchableSize(size);
  return size;
}
TSize P::DoGetSmallCloseButtonSize() { return TSize{14, 15}; }

void P::DrawSmallButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButtonBorder(ACanvas, R, AState);
  ACanvas->FillRect(core::cxRectInflate(R, -ButtonBorderSize(TcxButtonState::cxbsNormal)), ButtonColor(AState));
}

void P::DrawSmallCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawFilterCloseButton(ACanvas, R, AState);
}

int P::PopupPanelSize() {
  return std::max({win::GetSystemMetrics(win::SM_CYHSCROLL) + 3, SizeGripSize().cy + 4,
                   SmallCloseButtonSize().cy + 6});
}

void P::CalculatePopupPanelClientRect(TRect& AClientRect, TRect& APanelRect, TRect& ASizeGripRect,
                                      TRect& ACloseButtonRect, TdxCorner ASizeGripCorner, bool ACloseButton,
                                      bool ASizeGrip, const TRect& ABorders, int APanelHeight) {
  AClientRect = core::cxRectContent(AClientRect, ABorders);
  const int height = APanelHeight == 0 ? PopupPanelSize() : APanelHeight;
  APanelRect = AClientRect;
  if (IsBottomCorner(ASizeGripCorner)) {
    APanelRect.top = APanelRect.bottom - height;
    AClientRect.bottom = APanelRect.top;
  } else {
    APanelRect.bottom = APanelRect.top + height;
    AClientRect.top = APanelRect.bottom;
  }

  ASizeGripRect = core::cxNullRect;
  if (ASizeGrip) {
    const TSize grip = SizeGripSize();
    const int left = IsRightCorner(ASizeGripCorner) ? APanelRect.right - 2 - grip.cx : APanelRect.left + 2;
    const int top = IsBottomCorner(ASizeGripCorner) ? APanelRect.bottom - 2 - grip.cy : APanelRect.top + 2;
    ASizeGripRect = TRect{left, top, left + grip.cx, top + grip.cy};
  }

  ACloseButtonRect = core::cxNullRect;
  if (ACloseButton) {
    const int side = Height(APanelRect);
    const int left = IsRightCorner(ASizeGripCorner) ? APanelRect.left : APanelRect.right - side;
    const TRect square{left, APanelRect.top, left + side, APanelRect.bottom};
    ACloseButtonRect = cxCentreRect(square, SmallCloseButtonSize());
  }
}

void P::DrawPopupPanelBand(TcxCanvas* ACanvas, const TRect& APanelRect, const TRect& ABorders, TColor ABorderColor,
                           bool ASizeGrip, bool ACloseButton, const TRect& ASizeGripRect,
                           const TRect& ACloseButtonRect, TcxButtonState ACloseButtonState,
                           TdxCorner ASizeGripCorner) {
  const TRect content = core::cxRectContent(APanelRect, ABorders);
  ACanvas->SaveClipRegion();
  ACanvas->ExcludeClipRect(content);
  ACanvas->FillRect(APanelRect, ABorderColor);
  ACanvas->RestoreClipRegion();

  if (ASizeGrip && FitsWorkBitmap(ASizeGripRect)) {
    // The grip is drawn over the window's own background, whatever colour
    // the band has around it.
    WorkBitmap work(TSize{Width(ASizeGripRect), Height(ASizeGripRect)});
    DrawWindowContent(&work.Canvas, work.ClientRect());
    DrawSizeGrip(&work.Canvas, work.ClientRect(), clNone, ASizeGripCorner);
    gdi::BitBlt(ACanvas->Handle(), ASizeGripRect.left, ASizeGripRect.top, Width(ASizeGripRect),
                Height(ASizeGripRect), work.Canvas.Handle(), 0, 0, gdi::SRCCOPY);
    ACanvas->ExcludeClipRect(ASizeGripRect);
  }
  if (ACloseButton) {
    DrawWindowContent(ACanvas, ACloseButtonRect);
    DrawSmallCloseButton(ACanvas, ACloseButtonRect, ACloseButtonState);
    ACanvas->ExcludeClipRect(ACloseButtonRect);
  }
  DrawWindowContent(ACanvas, content);
  ACanvas->ExcludeClipRect(APanelRect);
}

// --- editor buttons and container borders ------------------------------------------------------
// The editors draw their buttons themselves unless a painter (a skin) does.
void P::DrawEditorButton(TcxCanvas*, const TRect&, TcxEditBtnKind, TcxButtonState, TcxEditBtnPosition) {}
void P::DrawEditorButtonGlyph(TcxCanvas*, const TRect&, TcxEditBtnKind, TcxButtonState, TcxEditBtnPosition) {}
int P::EditButtonTextOffset() { return 0; }
TSize P::EditButtonSize() { return TSize{0, 0}; }
TColor P::EditButtonTextColor() { return clDefault; }
TColor P::GetContainerBorderColor(bool) { return clBtnText; }
int P::GetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle) {
  static constexpr int kWidths[] = {0, 1, 2, 2, 2, 1, 1};
  return kWidths[int(ABorderStyle)];
}

// --- zoom buttons ------------------------------------------------------------------------------
TSize P::GetZoomInButtonSize() { return core::cxGetValueCurrentDPI(TSize{15, 15}); }
TSize P::GetZoomOutButtonSize() { return core::cxGetValueCurrentDPI(TSize{15, 15}); }

void P::DrawZoomInButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawZoomOutButton(ACanvas, R, AState);
  const TColor color = AState == TcxButtonState::cxbsDisabled ? clBtnShadow : ButtonSymbolColor(AState);
  const int cx = cxCentreStart(R.left, R.right, 0);
  ACanvas->FillRect(TRect{cx, R.top + 3, cx + 1, R.bottom - 3}, color);
}

void P::DrawZoomOutButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButtonBorder(ACanvas, R, AState);
  ACanvas->FillRect(core::cxRectInflate(R, -1), ButtonColor(AState));
  const TColor color = AState == TcxButtonState::cxbsDisabled ? clBtnShadow : ButtonSymbolColor(AState);
  const int cy = cxCentreStart(R.top, R.bottom, 0);
  ACanvas->FillRect(TRect{R.left + 3, cy, R.right - 3, cy + 1}, color);
}

// --- navigators, progress bars and group boxes -------------------------------------------------
void P::DrawNavigatorBorder(TcxCanvas*, const TRect&, bool) {}
void P::DrawNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TColor) {
  DrawButton(ACanvas, R, String(), AState);
}
void P::DrawNavigatorButtonGlyph(TcxCanvas* ACanvas, TCustomImageList* AImageList, int AImageIndex,
                                 const TRect& AGlyphRect, bool AEnabled, bool) {
  core::cxDrawImage(ACanvas, AGlyphRect, nullptr, AImageList, AImageIndex, AEnabled);
}
bool P::NavigatorBorderOverlap() { return false; }
int P::NavigatorBorderSize() { return 0; }
TRect P::NavigatorButtonGlyphPadding() { return TRect{3, 4, 3, 4}; }
TSize P::NavigatorButtonGlyphSize() { return TSize{11, 11}; }
TSize P::NavigatorButtonMinSize() { return core::cxGetValueCurrentDPI(TSize{17, 19}); }
TPoint P::NavigatorButtonPressedGlyphOffset() { return TPoint{1, 1}; }
TColor P::NavigatorButtonTextColor() { return clBtnText; }

void P::DrawProgressBarBorder(TcxCanvas*, const TRect&, bool) {}
void P::DrawProgressBarChunk(TcxCanvas*, const TRect&, bool) {}

void P::DrawProgressBarText(TcxCanvas* ACanvas, bool AVertical, bool ASolid, const String& AText,
                            const TRect& ATextRect, const TRect&, const TRect& AProgressChunkRect,
                            TColor ATextColor) {
  ACanvas->SaveState();
  if (AVertical) ACanvas->SetFontAngle(270);
  const TColor color = ATextColor == clDefault || !ASolid ? ProgressBarTextColor() : ATextColor;
  const int x = AVertical ? ATextRect.right : ATextRect.left;
  const int y = ATextRect.top;
  if (ASolid) {
    OutText(ACanvas, x, y, AText, color);
  } else if (ProgressBarTextColorEx(true) == clDefault) {
    // The text shows in the inverse of whatever lies below it, bar or
    // background: white text on black, combined by exclusive or. Only the
    // part of the text rectangle that can be seen is worked on.
    const TRect visible = VisiblePart(ACanvas, ATextRect);
    if (FitsWorkBitmap(visible)) {
      WorkBitmap work(TSize{Width(visible), Height(visible)});
      work.Canvas.FillRect(work.ClientRect(), clBlack);
      gdi::LOGFONTW lf = ACanvas->Font()->LogFont();
      lf.lfQuality = gdi::NONANTIALIASED_QUALITY;
      work.Canvas.Font()->SetHandle(gdi::CreateFontIndirectW(&lf));
      OutText(&work.Canvas, x - visible.left, y - visible.top, AText, clWhite);
      gdi::BitBlt(ACanvas->Handle(), visible.left, visible.top, Width(visible), Height(visible),
                  work.Canvas.Handle(), 0, 0, gdi::SRCINVERT);
    }
  } else {
    TRect overlap{};
    const TRect visible = VisiblePart(ACanvas, ATextRect);
    if (core::cxRectIntersect(overlap, visible, AProgressChunkRect) && FitsWorkBitmap(overlap)) {
      // The filled part gets its own colour: the text is drawn for the
      // background everywhere, the filled part is put back as it was and the
      // text drawn again over it alone.
      WorkBitmap saved(TSize{Width(overlap), Height(overlap)});
      gdi::BitBlt(saved.Canvas.Handle(), 0, 0, Width(overlap), Height(overlap), ACanvas->Handle(), overlap.left,
                  overlap.top, gdi::SRCCOPY);
      OutText(ACanvas, x, y, AText, ProgressBarTextColorEx(false));
      gdi::BitBlt(ACanvas->Handle(), overlap.left, overlap.top, Width(overlap), Height(overlap),
                  saved.Canvas.Handle(), 0, 0, gdi::SRCCOPY);
      ACanvas->SaveClipRegion();
      ACanvas->IntersectClipRect(overlap);
      OutText(ACanvas, x, y, AText, ProgressBarTextColorEx(true));
      ACanvas->RestoreClipRegion();
    } else {
      OutText(ACanvas, x, y, AText, ProgressBarTextColorEx(false));
    }
  }
  ACanvas->RestoreState();
}

TRect P::ProgressBarBorderSize(bool) { return core::cxNullRect; }
TColor P::ProgressBarTextColor() { return ProgressBarTextColorEx(false); }
TColor P::ProgressBarTextColorEx(bool AIsFilledArea) { return AIsFilledArea ? clDefault : clWindowText; }

void P::DrawGroupBoxBackground(TcxCanvas*, const TRect&, const TRect&) {}
void P::DrawGroupBoxCaption(TcxCanvas*, const TRect&, TcxGroupBoxCaptionPosition, const TRect&) {}
void P::DrawGroupBoxContent(TcxCanvas*, const TRect&, core::TcxBorders) {}
void P::DrawGroupBoxExpandButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AExpanded,
                                 core::TcxRotationAngle ARotationAngle) {
  DrawExpandButtonEx(ACanvas, R, AState, AExpanded, ARotationAngle);
}
void P::DrawGroupBoxButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButton(ACanvas, R, String(), AState);
}
void P::DrawGroupBoxExpandGlyph(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AExpanded) {
  DrawExpandMark(ACanvas, R, ButtonSymbolColor(AState), AExpanded);
}
// Every built-in painter draws the frame in its style.
void P::DrawGroupBoxFrame(TcxCanvas*, const TRect&, TcxGroupBoxCaptionPosition, core::TcxBorders) {}
TRect P::GroupBoxBorderSize(bool, TcxGroupBoxCaptionPosition) { return core::cxNullRect; }
int P::GroupBoxCaptionTailSize(TcxGroupBoxCaptionPosition) { return 0; }
TColor P::GroupBoxTextColor(bool AEnabled, TcxGroupBoxCaptionPosition) {
  return AEnabled ? clWindowText : clBtnShadow;
}
bool P::IsGroupBoxCaptionTextDrawnOverBorder(TcxGroupBoxCaptionPosition) { return true; }
bool P::IsGroupBoxTransparent(bool, TcxGroupBoxCaptionPosition) { return false; }

// --- panels, track bars and splitters ----------------------------------------------------------
void P::DrawPanelBackground(TcxCanvas* ACanvas, TWinControl*, const TRect& ABounds, TColor, TColor) {
  DrawGroupBoxBackground(ACanvas, ABounds, ABounds);
}
void P::DrawPanelBorders(TcxCanvas*, const TRect&) {}
void P::DrawPanelCaption(TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition) {
  DrawGroupBoxCaption(ACanvas, R, ACaptionPosition, core::cxNullRect);
}
void P::DrawPanelContent(TcxCanvas* ACanvas, const TRect& R, bool) { ACanvas->FillRect(R, clBtnFace); }
TRect P::PanelBorderSize() { return core::cxNullRect; }
TColor P::PanelTextColor() { return GroupBoxTextColor(true, TcxGroupBoxCaptionPosition::cxgpTop); }

void P::CorrectThumbRect(TcxCanvas*, TRect& R, bool, TcxTrackBarTicksAlign) {
  R.right += 1;
  R.bottom += 1;
}

void P::DrawTrackBarTrack(TcxCanvas* ACanvas, const TRect& R, const TRect&, bool, bool, bool, TColor ATrackColor) {
  ACanvas->FillRect(R, ATrackColor);
  DrawTrackBarTrackBounds(ACanvas, R);
}
void P::DrawTrackBarTrackBounds(TcxCanvas*, const TRect&) {}

void P::DrawTrackBarThumb(TcxCanvas* ACanvas, const TRect& R, TcxButtonState, bool AHorizontal,
                          TcxTrackBarTicksAlign ATicks, TColor AThumbColor) {
  ACanvas->Pen()->SetColor(AThumbColor);
  ACanvas->Brush()->SetColor(AThumbColor);
  if (ATicks == TcxTrackBarTicksAlign::tbtaBoth) {
    ACanvas->FillRect(R, AThumbColor);
    DrawTrackBarThumbBorderBoth(ACanvas, R);
    return;
  }
  // A pointed thumb is a few dozen pixels; one larger than any screen, or
  // out of sight, is not outlined.
  if (!FitsWorkBitmap(R) || IsEmptyRect(VisiblePart(ACanvas, R))) return;
  const ThumbOutline o = PointedThumb(R, AHorizontal, ATicks == TcxTrackBarTicksAlign::tbtaUp);
  ACanvas->Polygon(o.Polygon);
  DrawTrackBarThumbBorderUpDown(ACanvas, o.Light, o.Shadow, o.Dark);
}
void P::DrawTrackBarThumbBorderUpDown(TcxCanvas*, const std::vector<TPoint>&, const std::vector<TPoint>&,
                                      const std::vector<TPoint>&) {}
void P::DrawTrackBarThumbBorderBoth(TcxCanvas*, const TRect&) {}
TSize P::TrackBarThumbSize(bool) { return TSize{0, 0}; }
TColor P::TrackBarTicksColor(bool) { return clDefault; }
int P::TrackBarTrackSize() { return 0; }

TColor P::GetSplitterInnerColor(bool) { return clWhite; }
TColor P::GetSplitterOuterColor(bool) { return clBtnShadow; }
TSize P::GetSplitterSize(bool AHorizontal) { return AHorizontal ? TSize{17, 2} : TSize{2, 17}; }

void P::DrawSplitter(TcxCanvas* ACanvas, const TRect& R, bool AHighlighted, bool, bool AHorizontal) {
  const TSize size = GetSplitterSize(AHorizontal);
  const bool twoTone = (AHorizontal ? size.cy : size.cx) > 1;
  // The line runs along the splitter, centred across it; a single-tone
  // horizontal line and every vertical one stop a pixel short of the end.
  const int start = AHorizontal ? R.left : R.top;
  const int end = AHorizontal ? (twoTone ? R.right : R.right - 1) : R.bottom - 1;
  const int centre = AHorizontal ? cxCentreStart(R.left, R.right, 0) : cxCentreStart(R.top, R.bottom, 0);
  const int cross = AHorizontal ? cxCentreStart(R.top, R.bottom, 1) : cxCentreStart(R.left, R.right, 1);
  SplitterLine(ACanvas, AHorizontal, start, end, centre, cross, GetSplitterOuterColor(AHighlighted));
  // The light copy lies one pixel right of and below the dark one.
  if (twoTone)
    SplitterLine(ACanvas, AHorizontal, start + 1, end + 1, centre + 1, cross + 1, GetSplitterInnerColor(AHighlighted));
}

}  // namespace lookandfeel

#pragma once
// The Office11 painter: soft vertical gradients for headers and backgrounds,
// warm tints for hot and pressed elements, every colour taken from the shared
// Office11 palette (which follows the visual style's colour scheme or, without
// one, the system colours). It keeps the Ultra-flat geometry wherever it does
// not draw differently, and hands scroll bars, the scheduler navigator and
// (with visual styles) group-box frames to the native painter when that one
// is registered, so those elements look native in this style.
#include <vector>

#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_classic.h"

namespace lookandfeel {

// The parent whose look this painter refines.
using TcxOffice11ParentPainter = TcxUltraFlatLookAndFeelPainter;

class TcxOffice11LookAndFeelPainter : public TcxOffice11ParentPainter {
  RTL_CLASS(TcxOffice11LookAndFeelPainter, TcxOffice11ParentPainter)

 public:
  // Holds a reference on the shared palette for the painter's life, so its
  // bitmaps exist whenever the painter draws.
  TcxOffice11LookAndFeelPainter();
  ~TcxOffice11LookAndFeelPainter() override;

  TColor DefaultDateNavigatorHeaderHighlightTextColor() override;
  // Headers and footers: a flat upper part and a gradient over the last four
  // rows (one flat colour for a footer); a hot cell gets a tinted bar along
  // its bottom edge. ABkColor is not used.
  void DrawContent(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, int AState,
                   ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                   bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                   TcxDrawBackgroundEvent AOnDrawBackground = nullptr, bool AIsFooter = false) override;
  void DrawSchedulerNavigationButtonContent(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect,
                                            bool AIsNextButton, TcxButtonState AState) override;
  String LookAndFeelName() override;
  TcxLookAndFeelStyle LookAndFeelStyle() override;
  // The gradients depend on the height, so a resized element is repainted whole.
  bool NeedRedrawOnResize() override;
  TColor DefaultControlColor() override;
  TColor DefaultControlTextColor() override;
  TColor DefaultFilterBoxColor() override;
  TColor DefaultFilterBoxTextColor() override;
  TColor DefaultFooterColor() override;
  TColor DefaultFooterTextColor() override;
  TColor DefaultGroupByBoxColor() override;
  TColor DefaultGroupByBoxTextColor() override;
  TColor DefaultGroupColor() override;
  TColor DefaultHeaderBackgroundColor() override;
  TColor DefaultHeaderColor() override;
  TColor DefaultDateNavigatorHeaderColor() override;
  TColor DefaultDateNavigatorSelectionColor() override;
  TColor DefaultDateNavigatorSelectionTextColor() override;
  TColor DefaultSchedulerBorderColor() override;
  TColor DefaultSchedulerControlColor() override;
  TColor DefaultTabColor() override;
  TColor DefaultTabsBackgroundColor() override;
  TColor DefaultTimeGridMinorScaleColor() override;
  TColor DefaultTimeGridSelectionBarColor() override;
  int SeparatorSize() override;
  void DrawBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DoDrawSeparator(core::TcxCanvas* ACanvas, const TRect& R, bool AIsVertical) override;
  TColor ButtonColor(TcxButtonState AState) override;
  TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = ui::clDefault) override;
  void DrawButtonBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  int ExpandButtonSize() override;
  // The palette's plus or minus bitmap at R's top-left corner, unscaled,
  // with its corner pixels blended into what the canvas shows there.
  void DrawExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) override;
  bool DrawExpandButtonFirst() override;
  void DrawSmallExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                             TColor AColor = ui::clDefault) override;
  int SmallExpandButtonSize() override;
  void DrawHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                  TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                  ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                  bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                  TcxDrawBackgroundEvent AOnDrawBackground = nullptr, bool AIsLast = false,
                  bool AIsGroup = false) override;
  // A light left edge, a dark right edge and a dark bottom line, with the
  // corner pixels blended toward the gradient.
  void DrawHeaderBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        core::TcxBorders ABorders) override;
  void DrawHeaderControlSection(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                                ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert,
                                bool AMultiLine, bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                TColor ATextColor, TColor ABkColor) override;
  void DrawSortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  void DrawSummarySortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  core::TcxBorders HeaderBorders(TcxNeighbors ANeighbors) override;
  int HeaderBorderSize() override;
  bool IsHeaderHotTrack() override;
  int GridBordersOverlapSize() override;
  TColor FooterSeparatorColor() override;
  void LayoutViewDrawRecordCaption(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ATextRect,
                                   TcxGroupBoxCaptionPosition APosition, TcxButtonState AState) override;
  int ScrollBarMinimalThumbSize(bool AVertical) override;
  void DrawScrollBarPart(core::TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;
  void DoDrawSizeGrip(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawMonthHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const String& AText, TcxNeighbors ANeighbors,
                       const core::TcxViewParams& AViewParams, TcxArrowDirections AArrows, int ASideWidth,
                       TcxDrawBackgroundEvent AOnDrawBackground = nullptr) override;
  void DrawSchedulerNavigatorButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawSchedulerBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  TColor CheckButtonColor(TcxButtonState AState, TcxCheckBoxState ACheckState) override;
  TColor RadioButtonBodyColor(TcxButtonState AState) override;
  void DrawFilterDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                bool AIsFilterActive) override;
  void DrawGroupBoxFrame(core::TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                         core::TcxBorders ABorders = core::cxBordersAll) override;
  TColor GroupBoxTextColor(bool AEnabled, TcxGroupBoxCaptionPosition ACaptionPosition) override;
  void DrawTrackBarTrackBounds(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawTrackBarThumbBorderUpDown(core::TcxCanvas* ACanvas, const std::vector<ui::TPoint>& ALightPolyLine,
                                     const std::vector<ui::TPoint>& AShadowPolyLine,
                                     const std::vector<ui::TPoint>& ADarkPolyLine) override;
  void DrawTrackBarThumbBorderBoth(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawPanelBackground(core::TcxCanvas* ACanvas, ui::TWinControl* AControl, const TRect& ABounds,
                           TColor AColorFrom = ui::clDefault, TColor AColorTo = ui::clDefault) override;
  void DrawLayoutControlBackground(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDateNavigatorDateHeader(core::TcxCanvas* ACanvas, TRect& R) override;
  TColor GetSplitterInnerColor(bool AHighlighted) override;
  TColor GetSplitterOuterColor(bool AHighlighted) override;
  int NavigatorBorderSize() override;
  TColor BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState AState) override;
  void DrawBreadcrumbEditBorders(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                 TdxBreadcrumbEditState AState) override;
  void DrawDropDownListBoxBackground(core::TcxCanvas* ACanvas, const TRect& R, bool AHasBorders) override;
  void DrawDropDownListBoxGutterBackground(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDropDownListBoxSelection(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) override;
  void DrawDropDownListBoxSeparator(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) override;
  void DrawAlertWindowBackground(core::TcxCanvas* ACanvas, const TRect& R) override;
  TSize GetBevelMinimalShapeSize(TdxBevelShape AShape) override;
  void GetBevelShapeColors(TColor& AColor1, TColor& AColor2) override;
  TSize ClockSize() override;
  void DrawClock(core::TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime,
                 TColor ABackgroundColor) override;
  TColor RichEditControlHeaderFooterLineColor() override;
  TColor RichEditControlHeaderFooterMarkBackColor() override;
  TColor RichEditRulerInactiveAreaColor() override;
  TColor RichEditRulerTabTypeToggleBorderColor() override;

  // The colours and the breadcrumb button through which the Ultra-flat
  // drawing takes this palette.
  TColor FilterDropDownButtonBorderColor(TcxButtonState AState) override;
  void DrawBreadcrumbEditCustomButton(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                      core::TcxBorders ABorders) override;
  TColor TabBorderHighlightColor() override;
  TColor TabBorderDarkColor() override;
  TColor BorderHighlightColor() override;

  // The header gradient and its edges.
  virtual TColor HeaderBottomColor();
  virtual TColor HeaderDarkEdgeColor();
  virtual TColor HeaderHighlightEdgeColor();
  virtual TColor HeaderTopColor();

 private:
  // The registered native painter, or null.
  static TcxCustomLookAndFeelPainter* NativePainter();
};

}  // namespace lookandfeel

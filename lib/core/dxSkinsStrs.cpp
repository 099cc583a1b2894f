#include "lib/core/dxSkinsStrs.h"

#include <string_view>

namespace core {
namespace {

constexpr const char16_t* kCommonElements[] = {
    u"Button",           u"GroupPanel",        u"GroupPanelCaption", u"GroupPanelTop",
    u"GroupPanelBottom", u"GroupPanelLeft",    u"GroupPanelRight",   u"ScrollButton",
    u"ScrollContentHorz", u"ScrollContentVert", u"ScrollThumbHorz",  u"ScrollThumbVert",
    u"SizeGrip",         u"SplitterHorz",      u"Splitter",
};

constexpr const char16_t* kEditorsElements[] = {
    u"Checkbox",      u"CloseButton",      u"ComboButtonGlyph", u"EditorButton",
    u"Navigator",     u"ProgressBorder",   u"ProgressBorderVert", u"ProgressChunk",
    u"ProgressChunkVert", u"RadioButton",  u"SpinUp",           u"SpinDown",
    u"SpinLeft",      u"SpinRight",        u"TrackBarTrack",    u"TrackBarThumb",
    u"TrackBarTick",
};

constexpr const char16_t* kGridElements[] = {
    u"FilterButton", u"FilterButtonActive", u"FilterPanel", u"FooterCell",  u"FooterPanel",
    u"GridGroupPanel", u"GroupRow",         u"Header",      u"HeaderSpecial", u"IndicatorImages",
    u"PlusMinus",    u"PlusMinusEx",
};

constexpr const char16_t* kVGridElements[] = {
    u"BandBorder", u"GridLine", u"RowHeader", u"Category",
};

constexpr const char16_t* kFormElements[] = {
    u"FormFrameLeft",      u"FormFrameRight",      u"FormFrameBottom",    u"FormCaption",
    u"SmallFormFrameLeft", u"SmallFormFrameRight", u"SmallFormFrameBottom", u"SmallFormCaption",
    u"FormButtonClose",    u"FormButtonMaximize",  u"FormButtonMinimize", u"FormButtonRestore",
    u"FormButtonHelp",     u"SmallFormButtonClose",
};

}  // namespace

const TdxSkinNameGroup CommonGroup{u"Common", kCommonElements};
const TdxSkinNameGroup EditorsGroup{u"Editors", kEditorsElements};
const TdxSkinNameGroup GridGroup{u"Grid", kGridElements};
const TdxSkinNameGroup VGridGroup{u"VerticalGrid", kVGridElements};
const TdxSkinNameGroup FormGroup{u"Form", kFormElements};

bool dxSkinGroupHasElement(const TdxSkinNameGroup& AGroup, const char16_t* AName) {
  const std::u16string_view name(AName);
  for (const char16_t* element : AGroup.Elements) {
    if (name == element) return true;
  }
  return false;
}

const std::array<const char16_t*, dxSkinEditButtonKindCount> EditButtonsMap{
    u"EditorButton", u"ComboButtonGlyph", u"EditorButton", u"EditorButton", u"CloseButton"};

const std::array<std::array<const char16_t*, dxSkinFormFrameSideCount>, 2> FormFrameMap{{
    {u"FormFrameLeft", u"FormCaption", u"FormFrameRight", u"FormFrameBottom"},
    {u"SmallFormFrameLeft", u"SmallFormCaption", u"SmallFormFrameRight", u"SmallFormFrameBottom"},
}};

const std::array<const char16_t*, dxSkinEditColorStateCount> EditBackgroundColorsMap{
    u"BackgroundColor", u"BackgroundDisabledColor", u"BackgroundInactiveColor", u"BackgroundReadOnlyColor"};

const std::array<const char16_t*, dxSkinEditColorStateCount> EditTextColorsMap{
    u"TextColor", u"TextDisabledColor", u"TextInactiveColor", u"TextReadOnlyColor"};

const std::array<const char16_t*, dxSkinEditColorStateCount> CalcEditTextColorsMap{
    u"CalcEditTextColor", u"CalcEditTextDisabledColor", u"CalcEditTextInactiveColor",
    u"CalcEditTextReadOnlyColor"};

const std::array<const char16_t*, dxSkinBreadcrumbEditStateCount> BreadcrumbEditBackgroundColorsMap{
    u"BreadcrumbEditBackgroundColor", u"BreadcrumbEditBackgroundHotColor",
    u"BreadcrumbEditBackgroundFocusedColor", u"BreadcrumbEditBackgroundDisabledColor"};

const std::array<const char16_t*, dxSkinBreadcrumbEditStateCount> BreadcrumbEditBordersColorsMap{
    u"BreadcrumbEditBordersColor", u"BreadcrumbEditBordersHotColor", u"BreadcrumbEditBordersFocusedColor",
    u"BreadcrumbEditBordersDisabledColor"};

const std::array<const char16_t*, dxSkinLayoutViewElementCount> LayoutViewElementPaddingMap{
    u"LayoutViewCardPadding", u"LayoutViewGroupPadding", u"LayoutViewTabbedGroupPadding",
    u"LayoutViewItemPadding"};

const std::array<const char16_t*, dxSkinLayoutViewElementCount> LayoutViewElementSpacingMap{
    u"LayoutViewCardSpacing", u"LayoutViewGroupSpacing", u"LayoutViewTabbedGroupSpacing",
    u"LayoutViewItemSpacing"};

}  // namespace core

#pragma once
// The names a skin painter looks skin elements and properties up by: one
// group of element names per control family, and maps from a control's state
// (or part) to the element or property that paints it. Nothing here reads a
// skin; the tables only fix the spelling in one place.
#include <array>
#include <cstddef>
#include <span>

namespace core {

// A control group's name and the names of its elements.
struct TdxSkinNameGroup {
  const char16_t* Group;
  std::span<const char16_t* const> Elements;
};

extern const TdxSkinNameGroup CommonGroup;
extern const TdxSkinNameGroup EditorsGroup;
extern const TdxSkinNameGroup GridGroup;
extern const TdxSkinNameGroup VGridGroup;
extern const TdxSkinNameGroup FormGroup;

// True when `AName` is one of the group's element names (exact spelling).
bool dxSkinGroupHasElement(const TdxSkinNameGroup& AGroup, const char16_t* AName);

// The kinds of editor buttons, for EditButtonsMap.
enum class TdxSkinEditButtonKind { Ellipsis, Down, Glyph, Text, Close };
inline constexpr std::size_t dxSkinEditButtonKindCount = 5;
extern const std::array<const char16_t*, dxSkinEditButtonKindCount> EditButtonsMap;

// The sides of a form's frame, for FormFrameMap (the top side is the caption).
enum class TdxSkinFormFrameSide { Left, Top, Right, Bottom };
inline constexpr std::size_t dxSkinFormFrameSideCount = 4;
// [0] a normal form, [1] a small (tool) form.
extern const std::array<std::array<const char16_t*, dxSkinFormFrameSideCount>, 2> FormFrameMap;

// The states an editor's colours depend on.
enum class TdxSkinEditColorState { Normal, Disabled, Inactive, ReadOnly };
inline constexpr std::size_t dxSkinEditColorStateCount = 4;
extern const std::array<const char16_t*, dxSkinEditColorStateCount> EditBackgroundColorsMap;
extern const std::array<const char16_t*, dxSkinEditColorStateCount> EditTextColorsMap;
extern const std::array<const char16_t*, dxSkinEditColorStateCount> CalcEditTextColorsMap;

// The states of a breadcrumb editor.
enum class TdxSkinBreadcrumbEditState { Normal, Hot, Focused, Disabled };
inline constexpr std::size_t dxSkinBreadcrumbEditStateCount = 4;
extern const std::array<const char16_t*, dxSkinBreadcrumbEditStateCount> BreadcrumbEditBackgroundColorsMap;
extern const std::array<const char16_t*, dxSkinBreadcrumbEditStateCount> BreadcrumbEditBordersColorsMap;

// The parts of a layout view whose padding and spacing a skin sets.
enum class TdxSkinLayoutViewElement { Card, Group, TabbedGroup, Item };
inline constexpr std::size_t dxSkinLayoutViewElementCount = 4;
extern const std::array<const char16_t*, dxSkinLayoutViewElementCount> LayoutViewElementPaddingMap;
extern const std::array<const char16_t*, dxSkinLayoutViewElementCount> LayoutViewElementSpacingMap;

}  // namespace core

// The element-name vocabulary: every name a painter relies on sits in its
// family's group, and every map names one element or property per state.
#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "lib/core/dxSkinsStrs.h"

namespace {

using namespace core;

struct GroupCase {
  const TdxSkinNameGroup* group;
  const char16_t* name;
  std::vector<const char16_t*> required;
};

TEST(SkinStrs, GroupsHoldTheirNamesOnceEach) {
  const GroupCase cases[] = {
      {&CommonGroup, u"Common",
       {u"Button", u"GroupPanel", u"ScrollButton", u"ScrollContentHorz", u"ScrollContentVert",
        u"ScrollThumbHorz", u"ScrollThumbVert", u"SizeGrip", u"SplitterHorz", u"Splitter"}},
      {&EditorsGroup, u"Editors",
       {u"Checkbox", u"CloseButton", u"ComboButtonGlyph", u"EditorButton", u"Navigator", u"RadioButton"}},
      {&GridGroup, u"Grid", {u"IndicatorImages", u"PlusMinus", u"PlusMinusEx"}},
      {&VGridGroup, u"VerticalGrid", {u"BandBorder", u"GridLine", u"RowHeader", u"Category"}},
      {&FormGroup, u"Form", {}},
  };
  for (const GroupCase& c : cases) {
    const std::u16string group(c.group->Group);
    EXPECT_EQ(group, c.name);
    for (const char16_t* name : c.required) {
      EXPECT_TRUE(dxSkinGroupHasElement(*c.group, name)) << std::string(group.begin(), group.end());
    }
    std::set<std::u16string> seen;
    for (const char16_t* element : c.group->Elements) {
      ASSERT_NE(element, nullptr);
      EXPECT_TRUE(seen.insert(element).second) << "duplicate in " << std::string(group.begin(), group.end());
    }
    EXPECT_FALSE(dxSkinGroupHasElement(*c.group, u"")) << "an empty name is never an element";
  }
  EXPECT_FALSE(dxSkinGroupHasElement(CommonGroup, u"button")) << "look-ups keep the spelling's case";
  EXPECT_FALSE(dxSkinGroupHasElement(GridGroup, u"Splitter")) << "names stay in their own family";
}

struct MapCase {
  const char* what;
  std::span<const char16_t* const> names;
  std::size_t states;
  std::vector<const char16_t*> quoted;  // in state order, when quoted
  const TdxSkinNameGroup* group;        // the group the names are elements of, or none for properties
};

TEST(SkinStrs, MapsNameOneEntryPerState) {
  const MapCase cases[] = {
      {"EditButtonsMap", EditButtonsMap, dxSkinEditButtonKindCount, {}, &EditorsGroup},
      {"FormFrameMap[0]", FormFrameMap[0], dxSkinFormFrameSideCount, {}, &FormGroup},
      {"FormFrameMap[1]", FormFrameMap[1], dxSkinFormFrameSideCount, {}, &FormGroup},
      {"EditBackgroundColorsMap", EditBackgroundColorsMap, dxSkinEditColorStateCount,
       {u"BackgroundColor", u"BackgroundDisabledColor", u"BackgroundInactiveColor", u"BackgroundReadOnlyColor"},
       nullptr},
      {"EditTextColorsMap", EditTextColorsMap, dxSkinEditColorStateCount,
       {u"TextColor", u"TextDisabledColor", u"TextInactiveColor", u"TextReadOnlyColor"}, nullptr},
      {"CalcEditTextColorsMap", CalcEditTextColorsMap, dxSkinEditColorStateCount, {}, nullptr},
      {"BreadcrumbEditBackgroundColorsMap", BreadcrumbEditBackgroundColorsMap, dxSkinBreadcrumbEditStateCount, {},
       nullptr},
      {"BreadcrumbEditBordersColorsMap", BreadcrumbEditBordersColorsMap, dxSkinBreadcrumbEditStateCount, {},
       nullptr},
      {"LayoutViewElementPaddingMap", LayoutViewElementPaddingMap, dxSkinLayoutViewElementCount, {}, nullptr},
      {"LayoutViewElementSpacingMap", LayoutViewElementSpacingMap, dxSkinLayoutViewElementCount, {}, nullptr},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.names.size(), c.states);
    std::set<std::u16string> distinct;
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      ASSERT_NE(c.names[i], nullptr);
      EXPECT_FALSE(std::u16string(c.names[i]).empty());
      distinct.insert(c.names[i]);
      if (!c.quoted.empty()) {
        EXPECT_EQ(std::u16string(c.names[i]), c.quoted[i]) << "state " << i;
      }
      if (c.group) {
        EXPECT_TRUE(dxSkinGroupHasElement(*c.group, c.names[i])) << "state " << i;
      }
    }
    // Property maps give each state its own property; element maps may share
    // one element between kinds of buttons.
    if (!c.group) {
      EXPECT_EQ(distinct.size(), c.states);
    }
  }
  EXPECT_EQ(std::u16string(FormFrameMap[0][static_cast<int>(TdxSkinFormFrameSide::Top)]), u"FormCaption");
  EXPECT_EQ(std::u16string(EditButtonsMap[static_cast<int>(TdxSkinEditButtonKind::Close)]), u"CloseButton");
}

}  // namespace

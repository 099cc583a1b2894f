// The popup menu: placement and measures of its window, choosing an item
// with the mouse and with the keyboard (separators, disabled items and
// sub-menus on the way), dismissal by Escape or a click outside (which the
// window under it never sees), and the menu's short-cut test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/extctrls.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/menus.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

// Open, -, Print (disabled), Export > {Pdf, Csv}, Close.
class PopupMenuTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    form = Make<TForm>(nullptr);
    form->SetBounds(100, 100, 600, 500);
    form->SetOnMouseDown(TMouseEvent::fromClosure(
        form.get(), [this](rtl::TObject*, TMouseButton, TShiftState, int, int) { ++formMouseDowns; }));
    form->Show();
    Process();
    menu = Make<TPopupMenu>(nullptr);
    add(menu->Items(), u"&Open");
    add(menu->Items(), u"-");
    add(menu->Items(), u"&Print")->SetEnabled(false);
    TMenuItem* exportItem = add(menu->Items(), u"E&xport");
    add(exportItem, u"&Pdf");
    add(exportItem, u"&Csv");
    add(menu->Items(), u"&Close");
  }
  void TearDown() override {
    menu.reset();
    form.reset();
    UiTest::TearDown();
  }

  TMenuItem* add(TMenuItem* parent, const String& caption) {
    auto* item = rtl::Create<TMenuItem>(nullptr);
    item->SetCaption(caption);
    item->SetOnClick(TNotifyEvent::fromClosure(item, [this, item](rtl::TObject* sender) {
      EXPECT_EQ(sender, item);
      clicked.push_back(rtl::StringToUtf8(item->DisplayCaption()));
    }));
    parent->Add(item);
    return item;
  }

  // The popup point: well inside the form, so injected events land on it.
  TPoint Origin() { return form->ClientToScreen(TPoint{50, 40}); }
  // Centre of the top-level item at `index` as the window lays it out.
  TPoint ItemCentre(int index) {
    int y = Origin().y + kMenuFrame;
    for (int i = 0; i < index; ++i) y += menu->Items()->Items(i)->IsLine() ? MenuLineHeight() : MenuItemHeight();
    const int h = menu->Items()->Items(index)->IsLine() ? MenuLineHeight() : MenuItemHeight();
    return TPoint{Origin().x + 30, y + h / 2};
  }

  Owned<TForm> form;
  Owned<TPopupMenu> menu;
  std::vector<std::string> clicked;
  int formMouseDowns = 0;
};

struct KeyCase {
  const char* name;
  std::vector<win::UINT> keys;  // pressed in order while the menu is up
  std::string chosen;           // "" when the menu closes with nothing chosen
};
const KeyCase kKeyCases[] = {
    {"DownSelectsTheFirstItem", {win::VK_DOWN, win::VK_RETURN}, "Open"},
    {"DownSkipsTheLineAndTheDisabledItem", {win::VK_DOWN, win::VK_DOWN, win::VK_RIGHT, win::VK_RETURN}, "Pdf"},
    {"UpFromNothingWrapsToTheLast", {win::VK_UP, win::VK_RETURN}, "Close"},
    {"DownWrapsPastTheLast", {win::VK_UP, win::VK_DOWN, win::VK_RETURN}, "Open"},
    {"ReturnOnASubMenuOpensIt", {win::VK_UP, win::VK_UP, win::VK_RETURN, win::VK_DOWN, win::VK_RETURN}, "Csv"},
    {"LeftClosesTheSubMenuOnly", {win::VK_UP, win::VK_UP, win::VK_RIGHT, win::VK_LEFT, win::VK_DOWN, win::VK_RETURN},
     "Close"},
    {"AcceleratorsPickItems", {'X', 'C'}, "Csv"},
    {"AcceleratorOfADisabledItemDoesNothing", {'P', win::VK_ESCAPE}, ""},
    {"EscapeClosesOneLevelAtATime", {'X', win::VK_ESCAPE, win::VK_DOWN, win::VK_RETURN}, "Close"},
    {"EscapeOnTheTopLevelDismisses", {win::VK_DOWN, win::VK_ESCAPE}, ""},
    {"ReturnWithoutSelectionDoesNothing", {win::VK_RETURN, win::VK_ESCAPE}, ""},
};

class PopupMenuKeys : public PopupMenuTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(PopupMenuKeys, ChoosesWhatTheKeysSay) {
  const KeyCase& c = GetParam();
  for (win::UINT vk : c.keys) win::headless::PressKey(vk);
  menu->Popup(Origin().x, Origin().y);
  EXPECT_EQ(menu->WindowHandle(), nullptr);
  Process();
  EXPECT_EQ(clicked, c.chosen.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.chosen});
}

INSTANTIATE_TEST_SUITE_P(Cases, PopupMenuKeys, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct MouseCase {
  const char* name;
  int item;             // top-level item clicked; -1: a point outside the menu
  int escapes;          // Escapes needed after the click (one per open level)
  std::string chosen;
};
const MouseCase kMouseCases[] = {
    {"ClickOnAnItemChoosesIt", 0, 0, "Open"},
    {"ClickOnTheLastItem", 4, 0, "Close"},
    {"ClickOnTheLineKeepsTheMenu", 1, 1, ""},
    {"ClickOnADisabledItemKeepsTheMenu", 2, 1, ""},
    {"ClickOnASubMenuItemOnlyOpensIt", 3, 2, ""},
    {"ClickOutsideDismisses", -1, 0, ""},
};

class PopupMenuMouse : public PopupMenuTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(PopupMenuMouse, ChoosesWhatTheClickSays) {
  const MouseCase& c = GetParam();
  const TPoint p = c.item >= 0 ? ItemCentre(c.item) : form->ClientToScreen(TPoint{500, 400});
  win::headless::Click(p.x, p.y);
  for (int i = 0; i < c.escapes; ++i) win::headless::PressKey(win::VK_ESCAPE);
  menu->Popup(Origin().x, Origin().y);
  Process();
  EXPECT_EQ(clicked, c.chosen.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.chosen});
  // The menu takes the clicks while it is up: the form under it saw none.
  EXPECT_EQ(formMouseDowns, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PopupMenuMouse, ::testing::ValuesIn(kMouseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PopupMenuTest, HoverThenClickInTheSubMenu) {
  // Hovering Export opens its sub-menu beside the top level; the sub-menu's
  // first item sits level with Export.
  const TPoint exportPoint = ItemCentre(3);
  win::headless::MouseMove(exportPoint.x, exportPoint.y);
  win::headless::PressKey(win::VK_ESCAPE);  // closes the sub-menu: measure the top level in between
  win::headless::PressKey(win::VK_ESCAPE);
  menu->Popup(Origin().x, Origin().y);
  const TRect top = menu->LastBounds();
  Process();
  const TPoint pdf{top.right + 20, exportPoint.y};
  // The pointer still rests on Export: a move that stays put is no event.
  // Queued moves merge into the last one: a key between keeps them apart.
  win::headless::MouseMove(exportPoint.x + 1, exportPoint.y);
  win::headless::PressKey(win::VK_SHIFT);
  win::headless::MouseMove(pdf.x, pdf.y);
  win::headless::PressKey(win::VK_SHIFT);
  win::headless::Click(pdf.x, pdf.y + MenuItemHeight());
  menu->Popup(Origin().x, Origin().y);
  Process();
  EXPECT_EQ(clicked, std::vector<std::string>{"Csv"});
}

TEST_F(PopupMenuTest, WindowHeightIsTheItemsPlusTheFrame) {
  win::headless::PressKey(win::VK_ESCAPE);
  menu->Popup(Origin().x, Origin().y);
  const TRect r = menu->LastBounds();
  EXPECT_EQ(r.left, Origin().x);
  EXPECT_EQ(r.top, Origin().y);
  EXPECT_EQ(r.bottom - r.top, 4 * MenuItemHeight() + MenuLineHeight() + 2 * kMenuFrame);
  EXPECT_GT(MenuItemHeight(), 8);  // the menu font's "Qg" + 4
}

TEST_F(PopupMenuTest, BreakStartsASecondColumn) {
  win::headless::PressKey(win::VK_ESCAPE);
  menu->Popup(Origin().x, Origin().y);
  const TRect single = menu->LastBounds();
  menu->Items()->Items(3)->SetBreak(TMenuBreak::mbBreak);  // Export and Close move right
  win::headless::PressKey(win::VK_ESCAPE);
  menu->Popup(Origin().x, Origin().y);
  const TRect two = menu->LastBounds();
  EXPECT_EQ(two.bottom - two.top, 2 * MenuItemHeight() + MenuLineHeight() + 2 * kMenuFrame);
  EXPECT_GT(two.right - two.left, single.right - single.left);
}

TEST_F(PopupMenuTest, MenuWithoutVisibleItemsShowsNothing) {
  for (int i = 0; i < menu->Items()->Count(); ++i) menu->Items()->Items(i)->SetVisible(false);
  menu->Popup(Origin().x, Origin().y);  // would wait for input if a window came up
  EXPECT_EQ(menu->LastBounds().right - menu->LastBounds().left, 0);
}

struct PlacementCase {
  const char* name;
  int x, y;
  TPopupAlignment alignment;
  // Expected edges; kAny skips the check.
  int left, top, right, bottom;
};
constexpr int kAny = -100000;
constexpr int kWorkBottom = win::headless::kScreenHeight - win::headless::kTaskBarHeight;
const PlacementCase kPlacements[] = {
    {"LeftAlignedOpensRightAndDown", 300, 200, paLeft, 300, 200, kAny, kAny},
    {"RightAlignedEndsAtThePoint", 300, 200, paRight, kAny, 200, 300, kAny},
    {"NearTheBottomOpensUpwards", 300, kWorkBottom - 10, paLeft, 300, kAny, kAny, kWorkBottom - 10},
    {"NearTheRightEdgeMovesLeft", win::headless::kScreenWidth - 5, 200, paLeft, kAny, 200,
     win::headless::kScreenWidth - 5, kAny},
};

class PopupMenuPlacement : public PopupMenuTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PopupMenuPlacement, StaysOnTheWorkArea) {
  const PlacementCase& c = GetParam();
  win::headless::PressKey(win::VK_ESCAPE);
  menu->SetAlignment(c.alignment);
  menu->Popup(c.x, c.y);
  const TRect r = menu->LastBounds();
  if (c.left != kAny) { EXPECT_EQ(r.left, c.left); }
  if (c.top != kAny) { EXPECT_EQ(r.top, c.top); }
  if (c.right != kAny) { EXPECT_EQ(r.right, c.right); }
  if (c.bottom != kAny) { EXPECT_EQ(r.bottom, c.bottom); }
  EXPECT_LE(r.bottom, kWorkBottom);
  EXPECT_LE(r.right, win::headless::kScreenWidth);
}

INSTANTIATE_TEST_SUITE_P(Cases, PopupMenuPlacement, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PopupMenuTest, ShortCutsReachEnabledVisibleItemsAtAnyDepth) {
  TMenuItem* exportItem = menu->Items()->Items(3);
  exportItem->Items(1)->SetShortCut(ShortCut(win::VK_F5, {}));
  menu->Items()->Items(2)->SetShortCut(ShortCut(win::VK_F6, {}));  // Print: disabled
  menu->Items()->Items(4)->SetShortCut(ShortCut(win::VK_F7, {}));
  menu->Items()->Items(4)->SetVisible(false);
  TMessage f5{win::WM_KEYDOWN, win::VK_F5, 0, 0};
  TMessage f6{win::WM_KEYDOWN, win::VK_F6, 0, 0};
  TMessage f7{win::WM_KEYDOWN, win::VK_F7, 0, 0};
  TMessage f5up{win::WM_KEYUP, win::VK_F5, 0, 0};
  EXPECT_TRUE(menu->IsShortCut(f5));
  EXPECT_FALSE(menu->IsShortCut(f6));
  EXPECT_FALSE(menu->IsShortCut(f7));
  EXPECT_FALSE(menu->IsShortCut(f5up));
  EXPECT_EQ(clicked, std::vector<std::string>{"Csv"});
}

TEST_F(PopupMenuTest, ItemsLeaveTheirParentAndFreeTheirChildren) {
  TMenuItem* exportItem = menu->Items()->Items(3);
  TMenuItem* pdf = exportItem->Items(0);
  menu->Items()->Add(pdf);  // moves
  EXPECT_EQ(exportItem->Count(), 1);
  EXPECT_EQ(pdf->Parent(), menu->Items());
  EXPECT_EQ(pdf->GetParentMenu(), menu.get());
  EXPECT_THROW(pdf->Add(menu->Items()), rtl::EListError);
  exportItem->Free();  // leaves the menu with its remaining child
  EXPECT_EQ(menu->Items()->Count(), 5);
  EXPECT_EQ(menu->Items()->IndexOf(pdf), 4);
  EXPECT_THROW(menu->Items()->Items(5), rtl::EListError);
}

}  // namespace

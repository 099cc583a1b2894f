// The base control with the platform's drag and popup menus: a press with
// DragMode dmAutomatic that the drag detection reports as a drag runs a
// platform drag with the control's own drag object (copy cursor with Ctrl);
// a context request shows the control's menu at the point; a menu under an
// owner rectangle opens below it, or above it when the work area ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/lookandfeel/cxControls.h"
#include "platform/ui/dragdrop.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "tests/lookandfeel/control_fixture.h"

#include "platform/rtl/ustring.h"

namespace lookandfeel {
namespace {

using lookandfeel::testing::ControlTest;
using lookandfeel::testing::FreeObject;

class ControlDragMenuTest : public ControlTest {
 protected:
  // Queued moves merge into the last one: a key between keeps them apart.
  static void Move(int x, int y) {
    win::headless::MouseMove(x, y);
    win::headless::PressKey(win::VK_SHIFT);
  }
};

struct AutoDragCase {
  const char* name;
  ui::TDragMode mode;
  bool ctrl;
  bool targetAccepts;
  // Expected
  bool started;
  ui::TCursor cursor;  // at the release
  bool dropped;
};
const AutoDragCase kAutoDrags[] = {
    {"DropsOnAnAcceptingTarget", ui::dmAutomatic, false, true, true, ui::crDrag, true},
    {"CtrlShowsTheCopyCursor", ui::dmAutomatic, true, true, true, crDragCopy, true},
    {"RefusingTargetShowsNoDrop", ui::dmAutomatic, true, false, true, ui::crNoDrop, false},
    {"ManualModeStartsNothing", ui::dmManual, false, true, false, ui::crDefault, false},
};

class AutoDragTest : public ControlDragMenuTest, public ::testing::WithParamInterface<AutoDragCase> {};

TEST_P(AutoDragTest, DetectedDragRunsToTheRelease) {
  const AutoDragCase& c = GetParam();
  auto* source = Place<TcxControl>(10, 10, 100, 100);
  auto* target = Place<ui::TPanel>(300, 10, 100, 100);
  source->SetDragMode(c.mode);
  int starts = 0, drops = 0;
  ui::TCursor cursor = ui::crDefault;
  rtl::TObject* endedOn = source;
  source->SetOnStartDrag(ui::TStartDragEvent::fromClosure(
      source, [&](rtl::TObject*, std::unique_ptr<ui::TDragObject>&) { ++starts; }));
  source->SetOnEndDrag(ui::TEndDragEvent::fromClosure(source, [&](rtl::TObject*, rtl::TObject* t, int, int) {
    cursor = ui::ActiveDragObject()->DragCursor();
    endedOn = t;
  }));
  target->SetOnDragOver(ui::TDragOverEvent::fromClosure(
      target, [&](rtl::TObject*, rtl::TObject* src, int, int, ui::TDragState, bool& accept) {
        auto* object = dynamic_cast<TcxDragControlObject*>(src);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->Control(), source);
        accept = c.targetAccepts;
      }));
  target->SetOnDragDrop(
      ui::TDragDropEvent::fromClosure(target, [&](rtl::TObject*, rtl::TObject*, int, int) { ++drops; }));

  const win::POINT start = ScreenPoint(source, 50, 50);
  const win::POINT over = ScreenPoint(target, 50, 50);
  win::headless::MouseMove(start.x, start.y);
  if (c.ctrl) win::headless::KeyDown(win::VK_CONTROL);
  Process();
  win::headless::MouseDown(win::MouseButton::Left, start.x, start.y);
  Move(start.x + 2, start.y);  // inside the detection square
  Move(start.x + 6, start.y);  // out of it: a drag
  Move(over.x, over.y);
  win::headless::MouseUp(win::MouseButton::Left, over.x, over.y);
  Process();
  if (c.ctrl) win::headless::KeyUp(win::VK_CONTROL);

  EXPECT_EQ(starts, c.started ? 1 : 0);
  EXPECT_EQ(drops, c.dropped ? 1 : 0);
  if (c.started) {
    EXPECT_EQ(cursor, c.cursor);
    EXPECT_EQ(endedOn, c.dropped ? static_cast<rtl::TObject*>(target) : nullptr);
  }
  EXPECT_EQ(win::GetCapture(), nullptr);
  EXPECT_EQ(GetDragObject(), nullptr);  // the drag is over
}

INSTANTIATE_TEST_SUITE_P(Cases, AutoDragTest, ::testing::ValuesIn(kAutoDrags),
                         [](const auto& info) { return std::string(info.param.name); });

// A menu of three text items ("One", "Two", "Three") that records clicks.
class MenuTest : public ControlDragMenuTest {
 protected:
  void SetUp() override {
    ControlDragMenuTest::SetUp();
    menu_.reset(rtl::Create<ui::TPopupMenu>(nullptr));
    for (const char16_t* caption : {u"One", u"Two", u"Three"}) {
      auto* item = rtl::Create<ui::TMenuItem>(nullptr);
      item->SetCaption(caption);
      item->SetOnClick(rtl::TNotifyEvent::fromClosure(
          item, [this, item](rtl::TObject*) { clicked.push_back(rtl::StringToUtf8(item->Caption())); }));
      menu_->Items()->Add(item);
    }
  }
  void TearDown() override {
    menu_.reset();
    ControlDragMenuTest::TearDown();
  }
  ui::TPopupMenu* menu() { return menu_.get(); }
  std::vector<std::string> clicked;

 private:
  std::unique_ptr<ui::TPopupMenu, FreeObject> menu_;
};

TEST_F(MenuTest, ContextRequestShowsTheControlsMenuAtThePoint) {
  auto* c = Place<TcxControl>(10, 10, 200, 100);
  c->SetPopupMenu(menu());
  EXPECT_EQ(c->PopupMenu(), menu());
  const win::POINT p = ScreenPoint(c, 40, 30);
  win::headless::PressKey(win::VK_DOWN);
  win::headless::PressKey(win::VK_DOWN);
  win::headless::PressKey(win::VK_RETURN);
  const win::LRESULT handled =
      win::SendMessageW(c->Handle(), win::WM_CONTEXTMENU, win::WPARAM(c->Handle()), win::MAKELPARAM(p.x, p.y));
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(menu()->PopupPoint(), (ui::TPoint{p.x, p.y}));
  EXPECT_EQ(menu()->PopupComponent(), c);
  EXPECT_EQ(clicked, std::vector<std::string>{"Two"});

  // From the keyboard (-1, -1): at the client origin.
  win::headless::PressKey(win::VK_ESCAPE);
  win::SendMessageW(c->Handle(), win::WM_CONTEXTMENU, win::WPARAM(c->Handle()), win::MAKELPARAM(-1, -1));
  const win::POINT origin = ScreenPoint(c, 0, 0);
  EXPECT_EQ(menu()->PopupPoint(), (ui::TPoint{origin.x, origin.y}));

  // Without AutoPopup the platform menu is not shown.
  menu()->SetAutoPopup(false);
  EXPECT_FALSE(ShowPopupMenu(c, menu(), 5, 5));
}

TEST_F(MenuTest, HeightIsTheTallestColumnOfVisibleItems) {
  const int h = ui::MenuItemHeight();
  EXPECT_EQ(GetPopupMenuHeight(menu()), 3 * h + 4);
  menu()->Items()->Items(1)->SetBreak(ui::TMenuBreak::mbBreak);  // One | Two, Three
  EXPECT_EQ(GetPopupMenuHeight(menu()), 2 * h + 4);
  menu()->Items()->Items(2)->SetVisible(false);
  EXPECT_EQ(GetPopupMenuHeight(menu()), h + 4);
  EXPECT_EQ(GetPopupMenuHeight(nullptr), 0);
}

struct OwnerCase {
  const char* name;
  int ownerTop;  // owner rectangle: x 100..200, 20 high
  ui::TPopupAlignment alignment;
  bool above;     // the menu opens above the owner
  int edgeX;      // expected left edge (paLeft, paCenter: centre) or right edge (paRight)
};
constexpr int kWorkBottom = win::headless::kScreenHeight - win::headless::kTaskBarHeight;
const OwnerCase kOwners[] = {
    {"LeftUnderTheOwner", 300, ui::paLeft, false, 100},
    {"RightEndsAtTheOwnersRightEdge", 300, ui::paRight, false, 200},
    {"CentreUnderTheOwnersMiddle", 300, ui::paCenter, false, 150},
    {"AboveWhenTheWorkAreaEnds", kWorkBottom - 30, ui::paLeft, true, 100},
};

class OwnerBoundsTest : public MenuTest, public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(OwnerBoundsTest, OpensBesideTheOwner) {
  const OwnerCase& c = GetParam();
  auto* caller = Place<TcxControl>(10, 10, 50, 50);
  const ui::TRect owner{100, c.ownerTop, 200, c.ownerTop + 20};
  menu()->SetAlignment(ui::paLeft);
  win::headless::PressKey(win::VK_ESCAPE);
  EXPECT_TRUE(ShowPopupMenu(caller, menu(), owner, c.alignment));
  const ui::TRect r = menu()->LastBounds();
  if (c.above) {
    EXPECT_EQ(r.bottom, owner.top - 2);  // the measured height is the window's
  } else {
    EXPECT_EQ(r.top, owner.bottom);
  }
  const int x = c.alignment == ui::paLeft ? r.left : c.alignment == ui::paRight ? r.right : (r.left + r.right) / 2;
  EXPECT_NEAR(x, c.edgeX, c.alignment == ui::paCenter ? 1 : 0);
  EXPECT_EQ(menu()->Alignment(), ui::paLeft);  // restored
  EXPECT_EQ(menu()->PopupComponent(), caller);
}

INSTANTIATE_TEST_SUITE_P(Cases, OwnerBoundsTest, ::testing::ValuesIn(kOwners),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lookandfeel

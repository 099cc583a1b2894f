// The base control's smaller services on a headless screen: the unhandled
// key offered to the application's window, the spell checker's turn at the
// context menu, the scroll bar refusing touch gestures, a dialog rescaled to
// a new font, and the scrolling control sizing itself to its content.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxScrollBar.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::ControlTest;

class ControlServices : public ControlTest {};

// ---- the unhandled key ---------------------------------------------------------------------

// Listens on the application's window.
struct AppWindowSpy {
  const char* name;
  std::vector<std::string>* log;
  bool takes;
  bool Hook(ui::TMessage& m) {
    if (m.Msg != CM_APPDEFAULTKEYDOWN) return false;
    log->push_back(std::string(name) + ":" + char(m.WParam));
    m.Result = 1;
    return takes;
  }
};

// Handles 'H' itself, as a control whose key handler uses the key.
class KeyControl : public TcxControl {
 public:
  explicit KeyControl(rtl::TComponent* owner) : TcxControl(owner) {}

 protected:
  void KeyDown(rtl::Word& key, ui::TShiftState shift) override {
    TcxControl::KeyDown(key, shift);
    if (key == 'H') key = 0;
  }
};

TEST_F(ControlServices, KeyNobodyHandledIsOfferedToTheApplicationWindow) {
  std::vector<std::string> log;
  AppWindowSpy older{"older", &log, true}, newer{"newer", &log, false};
  using Hook = ui::TApplication::TWindowHook;
  ui::Application->HookMainWindow(Hook::bind<&AppWindowSpy::Hook>(&older));
  ui::Application->HookMainWindow(Hook::bind<&AppWindowSpy::Hook>(&newer));
  rtl::ScopeExit unhook([&] {
    ui::Application->UnhookMainWindow(Hook::bind<&AppWindowSpy::Hook>(&older));
    ui::Application->UnhookMainWindow(Hook::bind<&AppWindowSpy::Hook>(&newer));
  });
  auto* control = Place<KeyControl>(10, 10, 100, 100);
  control->SetFocus();
  ASSERT_TRUE(control->Focused());
  win::headless::PressKey('Q');
  Process();
  win::headless::PressKey('H');  // used by the control: not offered
  Process();
  control->Perform(win::WM_SYSKEYDOWN, 'X', 0);
  control->Perform(win::WM_KEYUP, 'Z', 0);  // only key-downs are offered
  // The newest hook hears first; the older one answers for both.
  EXPECT_EQ(log, (std::vector<std::string>{"newer:Q", "older:Q", "newer:X", "older:X"}));
}

// ---- the spell checker's turn at the context menu -------------------------------------------------

class RecordingMenu : public rtl::TComponent, public IcxPopupMenu {
 public:
  explicit RecordingMenu(rtl::TComponent* owner) : rtl::TComponent(owner) {}
  bool IsShortCutKey(ui::TMessage&) override { return false; }
  void Popup(int, int) override { ++popups; }
  int popups = 0;
};

struct FakeChecker : IdxSpellCheckerPopupHook {
  bool takes = false;
  std::vector<rtl::TComponent*> menus;
  std::vector<TPoint> points;
  bool QueryPopup(rtl::TComponent* APopupMenu, const TPoint& AScreenPoint) override {
    menus.push_back(APopupMenu);
    points.push_back(AScreenPoint);
    return takes;
  }
};

struct CheckerCase {
  const char* name;
  bool registered, takes, withMenu;
  win::LRESULT result;
  int menuPopups;
};
const CheckerCase kCheckerCases[] = {
    {"CheckerThatShowsSuggestionsReplacesTheMenu", true, true, true, 1, 0},
    {"CheckerThatRefusesLeavesItToTheMenu", true, false, true, 1, 1},
    {"CheckerIsAskedEvenWithoutAMenu", true, true, false, 1, 0},
    {"NoCheckerNoMenuGoesOnToThePlatform", false, false, false, 0, 0},
};

class SpellCheckerPopup : public ControlServices, public ::testing::WithParamInterface<CheckerCase> {};

TEST_P(SpellCheckerPopup, IsOfferedTheRequestBeforeTheMenu) {
  const CheckerCase& c = GetParam();
  FakeChecker checker;
  checker.takes = c.takes;
  if (c.registered) dxSetSpellCheckerPopupHook(&checker);
  rtl::ScopeExit unregister([] { dxSetSpellCheckerPopupHook(nullptr); });
  auto* control = Place<TcxControl>(10, 10, 200, 100);
  testing::Owned<RecordingMenu> menu(rtl::Create<RecordingMenu>(nullptr));
  if (c.withMenu) control->SetPopupMenu(menu.get());
  const win::POINT p = ScreenPoint(control, 40, 30);
  const win::LRESULT result = win::SendMessageW(control->Handle(), win::WM_CONTEXTMENU,
                                                win::WPARAM(control->Handle()), win::MAKELPARAM(p.x, p.y));
  EXPECT_EQ(result, c.result);
  EXPECT_EQ(menu->popups, c.menuPopups);
  if (c.registered) {
    ASSERT_EQ(checker.points.size(), 1u);
    EXPECT_EQ(checker.points[0], (TPoint{p.x, p.y}));
    EXPECT_EQ(checker.menus[0], c.withMenu ? menu.get() : nullptr);
  }
  control->SetPopupMenu(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpellCheckerPopup, ::testing::ValuesIn(kCheckerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- touch gestures ----------------------------------------------------------------------------

TEST_F(ControlServices, ScrollBarLocksGesturesOnTheirNotice) {
  auto* bar = Place<TcxScrollBar>(10, 10, 121, 17);
  auto* plain = Place<ui::TCustomControl>(10, 40, 121, 17);
  EXPECT_EQ(bar->Perform(win::WM_GESTURENOTIFY, 0, 0), 1);
  EXPECT_EQ(plain->Perform(win::WM_GESTURENOTIFY, 0, 0), 0);
}

// ---- a dialog takes a new font ---------------------------------------------------------------------

TEST_F(ControlServices, DialogTakesTheFontAndScalesByTheTextHeights) {
  testing::Owned<ui::TForm> dialog(rtl::Create<ui::TForm>(nullptr));
  dialog->Font()->SetSize(8);
  dialog->SetClientWidth(300);
  dialog->SetClientHeight(200);
  auto* panel = rtl::Create<ui::TCustomControl>(dialog.get());
  panel->SetParent(dialog.get());
  panel->SetBounds(10, 20, 100, 40);
  auto* inner = rtl::Create<ui::TCustomControl>(dialog.get());
  inner->SetParent(panel);
  inner->SetBounds(5, 6, 30, 12);
  ui::TFont bigger;
  bigger.Assign(dialog->Font());
  bigger.SetSize(16);
  const int oldHeight = core::cxTextHeight(dialog->Font());
  const int newHeight = core::cxTextHeight(&bigger);
  ASSERT_GT(newHeight, oldHeight);
  auto scaled = [&](int v) { return rtl::MulDiv(v, newHeight, oldHeight); };

  DialogApplyFont(dialog.get(), &bigger);
  EXPECT_EQ(dialog->Font()->Size(), 16);
  EXPECT_EQ(panel->BoundsRect(), (TRect{scaled(10), scaled(20), scaled(10) + scaled(100), scaled(20) + scaled(40)}));
  EXPECT_EQ(inner->BoundsRect(), (TRect{scaled(5), scaled(6), scaled(5) + scaled(30), scaled(6) + scaled(12)}));
  EXPECT_EQ(dialog->ClientWidth(), scaled(300));
  EXPECT_EQ(dialog->ClientHeight(), scaled(200));
}

// ---- the scrolling control sizes itself to its content -------------------------------------------------

class ContentControl : public TcxScrollingControl {
 public:
  explicit ContentControl(rtl::TComponent* owner) : TcxScrollingControl(owner) {}
  TSize content{250, 150};

 protected:
  TSize GetContentSize() override { return content; }
};

struct AutoSizeCase {
  const char* name;
  TdxAutoSizeMode mode;
  TSize content;
  int width, height;
};
const AutoSizeCase kAutoSizes[] = {
    {"WidthFollowsTheContent", TdxAutoSizeMode::asAutoWidth, {250, 150}, 250, 400},
    {"HeightFollowsTheContent", TdxAutoSizeMode::asAutoHeight, {250, 150}, 400, 150},
    {"BothFollowTheContent", TdxAutoSizeMode::asAutoSize, {250, 150}, 250, 150},
    // The content is wider than the control: the horizontal bar stays and
    // the height leaves room for it.
    {"HeightLeavesRoomForTheHorizontalBar", TdxAutoSizeMode::asAutoHeight, {600, 150}, 400, 150 + 17},
};

class AutoSizeModeTest : public ControlServices, public ::testing::WithParamInterface<AutoSizeCase> {};

TEST_P(AutoSizeModeTest, SizesTheControlAndKeepsAutoSizeInStep) {
  const AutoSizeCase& c = GetParam();
  auto* control = Place<ContentControl>(0, 0, 400, 400);
  control->content = c.content;
  control->LayoutChanged();
  control->SetAutoSizeMode(c.mode);
  EXPECT_TRUE(control->AutoSize());
  EXPECT_EQ(control->AutoSizeMode(), c.mode);
  EXPECT_EQ(control->Width(), c.width);
  EXPECT_EQ(control->Height(), c.height);
  control->SetAutoSize(false);
  EXPECT_EQ(control->AutoSizeMode(), TdxAutoSizeMode::asNone);
  control->SetAutoSize(true);
  EXPECT_EQ(control->AutoSizeMode(), TdxAutoSizeMode::asAutoSize);
  control->SetAutoSizeMode(TdxAutoSizeMode::asNone);
  EXPECT_FALSE(control->AutoSize());
}

INSTANTIATE_TEST_SUITE_P(Cases, AutoSizeModeTest, ::testing::ValuesIn(kAutoSizes),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- design-time selection frames ----------------------------------------------------------------

TEST_F(ControlServices, SelectionFrameLetsTheMouseThroughAndFollowsIntoWindowedChildren) {
  auto* control = Place<TcxControl>(10, 10, 200, 100);
  auto* child = rtl::Create<ui::TCustomControl>(form());
  child->SetParent(control);
  child->SetBounds(50, 20, 80, 40);
  child->HandleNeeded();
  Process();
  const gdi::ImageBGRA unframed = win::headless::Screenshot(control->Handle());
  testing::Owned<TdxControlsDesignSelectorHelper> helper(rtl::Create<TdxControlsDesignSelectorHelper>(control));
  helper->SetSelectorBounds(TRect{40, 10, 120, 60});
  auto hitTest = [&](ui::TWinControl* target, int x, int y) {
    const win::POINT p = ScreenPoint(control, x, y);
    return win::SendMessageW(target->Handle(), win::WM_NCHITTEST, 0, win::MAKELPARAM(p.x, p.y));
  };
  EXPECT_EQ(hitTest(control, 45, 15), win::HTTRANSPARENT);
  EXPECT_EQ(hitTest(control, 150, 80), win::HTCLIENT);
  // Every windowed child (the control's own scroll bars too) gets a helper;
  // the child's holds the frame in the child's coordinates.
  auto helperOf = [&](ui::TControl* c) -> TdxControlsDesignSelectorHelper* {
    for (int i = 0; i < helper->ChildCount(); ++i)
      if (helper->Children(i)->Control() == c) return helper->Children(i);
    return nullptr;
  };
  EXPECT_EQ(helper->ChildCount(), control->ControlCount());
  ASSERT_NE(helperOf(child), nullptr);
  EXPECT_EQ(helperOf(child)->SelectorBounds(), (TRect{-10, -10, 70, 40}));
  const int before = helper->ChildCount();
  EXPECT_EQ(hitTest(child, 60, 25), win::HTTRANSPARENT);
  EXPECT_EQ(hitTest(child, 125, 55), win::HTCLIENT);
  // The frame is drawn over the control after its paint.
  control->Invalidate();
  Process();
  const gdi::ImageBGRA after = win::headless::Screenshot(control->Handle());
  int changed = 0;
  for (int x = 40; x < 50; ++x) changed += unframed.at(x, 10) != after.at(x, 10);
  EXPECT_GT(changed, 0);
  EXPECT_EQ(unframed.at(150, 80), after.at(150, 80));
  // A child that goes takes its helper along.
  child->Free();
  EXPECT_EQ(helper->ChildCount(), before - 1);
  EXPECT_EQ(helperOf(child), nullptr);
}

}  // namespace
}  // namespace lookandfeel

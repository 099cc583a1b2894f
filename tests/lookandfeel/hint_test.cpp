// Hints of the library: the hint controller standing in for the
// application's hint event and window class while style controllers are
// registered, style controllers restyling the application's hints, and the
// control hint helper shown and hidden against the test clock and injected
// pointer input.
#include "lib/lookandfeel/cxHint.h"

#include <gtest/gtest.h>

#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxCustomPopupWindow.h"
#include "platform/ui/stdctrls.h"
#include "tests/lookandfeel/control_fixture.h"
#include "tests/support/golden.h"

namespace lookandfeel::testing {
namespace {

// A hint window that counts how often it was activated.
class TCountingHintWindow : public ui::THintWindow {
  RTL_CLASS(TCountingHintWindow, ui::THintWindow)

 public:
  explicit TCountingHintWindow(rtl::TComponent* owner) : ui::THintWindow(owner) {}
  void ActivateHint(TRect rect, const String& hint) override {
    ++activations;
    ui::THintWindow::ActivateHint(rect, hint);
  }
  int activations = 0;
};

class TOtherHintWindow : public ui::THintWindow {
  RTL_CLASS(TOtherHintWindow, ui::THintWindow)

 public:
  explicit TOtherHintWindow(rtl::TComponent* owner) : ui::THintWindow(owner) {}
};

// Styles whose hints show in the two window classes above.
class TCountingHintStyle : public TcxCustomHintStyle {
  RTL_CLASS(TCountingHintStyle, TcxCustomHintStyle)

 public:
  explicit TCountingHintStyle(rtl::TComponent* owner) : TcxCustomHintStyle(owner) {}
  ui::THintWindowClass GetHintWindowClass() override { return ui::THintWindowClass::of<TCountingHintWindow>(); }
};

class TOtherHintStyle : public TcxCustomHintStyle {
  RTL_CLASS(TOtherHintStyle, TcxCustomHintStyle)

 public:
  explicit TOtherHintStyle(rtl::TComponent* owner) : TcxCustomHintStyle(owner) {}
  ui::THintWindowClass GetHintWindowClass() override { return ui::THintWindowClass::of<TOtherHintWindow>(); }
};

class THintProbe : public TcxControl {
  RTL_CLASS(THintProbe, TcxControl)

 public:
  explicit THintProbe(rtl::TComponent* owner) : TcxControl(owner) {}
};

class TProbeHintHelper : public TcxControlHintHelper {
 public:
  explicit TProbeHintHelper(TcxControl* owner) : owner_(owner) {}

 protected:
  TcxControl* GetOwnerControl() override { return owner_; }

 private:
  TcxControl* owner_;
};

// A cell with a hint: a rectangle of the control.
class THintCell : public rtl::TObject, public IcxHintableObject {
 public:
  THintCell(const TRect& bounds, bool atMousePos, bool useHidePause)
      : bounds_(bounds), atMousePos_(atMousePos), useHidePause_(useHidePause) {}
  bool HasHintPoint(const TPoint& P) override { return gdi::PtInRect(&bounds_, P); }
  bool IsHintAtMousePos() override { return atMousePos_; }
  bool UseHintHidePause() override { return useHidePause_; }

 private:
  TRect bounds_;
  bool atMousePos_;
  bool useHidePause_;
};

class HintTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ui::SetHintWindowClass(nullptr);
    ui::Application->SetOnShowHint(
        ui::TShowHintEvent::fromClosure(nullptr, [this](String& text, bool&, ui::THintInfo&) {
          ++applicationEvents;
          lastApplicationText = text;
        }));
    applicationEvent = ui::Application->OnShowHint();
  }
  void TearDown() override {
    ui::Application->SetOnShowHint(nullptr);
    cxHintFinalize();
    ui::SetHintWindowClass(nullptr);
    ControlTest::TearDown();
  }
  int applicationEvents = 0;
  String lastApplicationText;
  ui::TShowHintEvent applicationEvent;
};

// ---- the hint controller and style controllers ----------------------------------------------

TEST_F(HintTest, WithoutStyleControllersTheApplicationKeepsItsEventAndClass) {
  EXPECT_EQ(cxGetHintStyleController(), nullptr);
  EXPECT_EQ(cxGetHintWindowClass(), ui::THintWindowClass::of<ui::THintWindow>());
  EXPECT_TRUE(ui::Application->OnShowHint() == applicationEvent);
  // A controller no longer registered changes nothing when it goes, even
  // after the program put in another hint event meanwhile.
  TcxHintStyleController* stray = rtl::Create<TcxHintStyleController>(nullptr);
  cxHintController()->RegisterHintStyleController(nullptr);
  EXPECT_EQ(cxHintController()->ControllerCount(), 1);
  cxHintController()->UnRegisterHintStyleController(stray);
  EXPECT_EQ(cxHintController()->ControllerCount(), 0);
  EXPECT_TRUE(ui::Application->OnShowHint() == applicationEvent);
  int laterEvents = 0;
  const auto later = ui::TShowHintEvent::fromClosure(nullptr, [&](String&, bool&, ui::THintInfo&) { ++laterEvents; });
  ui::Application->SetOnShowHint(later);
  stray->Free();
  EXPECT_TRUE(ui::Application->OnShowHint() == later);
  EXPECT_EQ(ui::HintWindowClass(), ui::THintWindowClass::of<ui::THintWindow>());
}

TEST_F(HintTest, RegisteringReplacesAndUnregisteringRestoresEventAndWindowClass) {
  Owned<TcxHintStyleController> first(rtl::Create<TcxHintStyleController>(nullptr));
  first->SetHintStyleClass(TcxCustomHintStyleClass::of<TCountingHintStyle>());
  EXPECT_FALSE(ui::Application->OnShowHint() == applicationEvent);
  EXPECT_EQ(ui::HintWindowClass(), ui::THintWindowClass::of<TCountingHintWindow>());
  EXPECT_EQ(first->HintWindow()->ClassType(), &TCountingHintWindow::classInfo());

  Owned<TcxHintStyleController> second(rtl::Create<TcxHintStyleController>(nullptr));
  second->SetHintStyleClass(TcxCustomHintStyleClass::of<TOtherHintStyle>());
  EXPECT_EQ(ui::HintWindowClass(), ui::THintWindowClass::of<TOtherHintWindow>());
  EXPECT_EQ(cxGetHintStyleController(), second.get());  // the last global one

  second.reset();
  EXPECT_EQ(ui::HintWindowClass(), ui::THintWindowClass::of<TCountingHintWindow>());
  EXPECT_FALSE(ui::Application->OnShowHint() == applicationEvent);
  first.reset();
  EXPECT_EQ(ui::HintWindowClass(), ui::THintWindowClass::of<ui::THintWindow>());
  EXPECT_TRUE(ui::Application->OnShowHint() == applicationEvent);
}

TEST_F(HintTest, AStyleControllerRestylesTheApplicationsHintsAndTheEventStillRuns) {
  Owned<TcxHintStyleController> controller(rtl::Create<TcxHintStyleController>(nullptr));
  controller->SetHintStyleClass(TcxCustomHintStyleClass::of<TCountingHintStyle>());
  controller->HintStyle()->SetColor(ui::clAqua);
  int controllerEvents = 0;
  controller->SetOnShowHintEx(TcxShowHintExEvent::fromClosure(
      nullptr, [&](rtl::TObject* sender, String& caption, String& text, bool&, ui::THintInfo& info) {
        ++controllerEvents;
        EXPECT_EQ(sender, controller.get());
        EXPECT_EQ(info.HintColor, ui::clAqua);
        caption = u"Caption";
        text = u"Restyled " + text;
      }));
  auto* panel = rtl::Create<ui::TPanel>(form());
  panel->SetParent(form());
  panel->SetBounds(300, 300, 120, 60);
  panel->SetHint(u"Panel");
  panel->SetShowHint(true);
  MouseMove(panel, 20, 20);
  Advance(500);
  ui::THintWindow* window = ui::Application->HintWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->IsHintVisible());
  EXPECT_EQ(window->ClassType(), &TCountingHintWindow::classInfo());
  EXPECT_EQ(window->Color(), ui::clAqua);
  EXPECT_EQ(window->Caption(), u"Restyled Panel");
  EXPECT_EQ(controllerEvents, 1);
  EXPECT_EQ(controller->LastHintCaption(), u"Caption");
  // The application's own event runs after the controller's.
  EXPECT_EQ(applicationEvents, 1);
  EXPECT_EQ(lastApplicationText, u"Restyled Panel");
  EXPECT_EQ(cxHintController()->HintedControl(), panel);
  panel->Free();
  EXPECT_EQ(cxHintController()->HintedControl(), nullptr);
}

TEST_F(HintTest, TheHintedControlsFormControllerWinsOverTheGlobalOne) {
  Owned<TcxHintStyleController> global(rtl::Create<TcxHintStyleController>(nullptr));
  auto* local = rtl::Create<TcxHintStyleController>(form());
  local->SetGlobal(false);
  auto* onForm = Place<THintProbe>(10, 10, 100, 40);
  Owned<ui::TForm> other(rtl::Create<ui::TForm>(nullptr));
  auto* elsewhere = rtl::Create<THintProbe>(other.get());
  elsewhere->SetParent(other.get());

  cxHintController()->SetHintedControl(onForm);
  EXPECT_EQ(cxGetHintStyleController(), local);
  cxHintController()->SetHintedControl(elsewhere);
  EXPECT_EQ(cxGetHintStyleController(), global.get());
  global.reset();
  EXPECT_EQ(cxGetHintStyleController(), nullptr);  // the local one is not global
  cxRemoveHintedControl();
  EXPECT_EQ(cxHintController()->HintedControl(), nullptr);
}

TEST_F(HintTest, PausesReachTheApplicationOutsideAnUpdateAndListenersHearChanges) {
  struct Listener : IcxHintStyleControllerListener {
    int changed = 0, removed = 0;
    void HintStyleChanged(TcxCustomHintStyleController*) override { ++changed; }
    void HintStyleControllerRemoved(TcxCustomHintStyleController*) override { ++removed; }
  } listener;
  TcxHintStyleController* controller = rtl::Create<TcxHintStyleController>(nullptr);
  EXPECT_EQ(controller->HintShortPause(), 50);
  EXPECT_EQ(controller->HintPause(), 500);
  EXPECT_EQ(controller->HintHidePause(), 2500);
  EXPECT_TRUE(controller->Global());
  controller->SetHintPause(800);
  EXPECT_EQ(ui::Application->HintPause(), 800);
  controller->BeginUpdate();
  controller->SetHintHidePause(4000);
  controller->SetHintShortPause(70);
  EXPECT_EQ(ui::Application->HintHidePause(), 2500);
  controller->EndUpdate();
  EXPECT_EQ(ui::Application->HintHidePause(), 4000);
  EXPECT_EQ(ui::Application->HintShortPause(), 70);

  controller->AddListener(&listener);
  controller->AddListener(&listener);  // once only
  controller->HintStyle()->SetColor(ui::clYellow);
  EXPECT_EQ(listener.changed, 1);
  // By name through the registry; an unknown name is ignored.
  controller->SetHintStyleClassName(u"NoSuchStyle");
  EXPECT_EQ(controller->HintStyleClassName(), u"TcxCustomHintStyle");
  cxRegisteredHintStyles()->Register(&TOtherHintStyle::classInfo(), u"Other");
  controller->SetHintStyleClassName(u"TOtherHintStyle");
  EXPECT_EQ(controller->HintStyle()->ClassType(), &TOtherHintStyle::classInfo());
  EXPECT_EQ(listener.changed, 2);

  Owned<TcxHintStyleController> copy(rtl::Create<TcxHintStyleController>(nullptr));
  copy->Assign(controller);
  EXPECT_EQ(copy->HintPause(), 800);
  EXPECT_EQ(copy->HintStyle()->ClassType(), &TOtherHintStyle::classInfo());
  controller->Free();
  EXPECT_EQ(listener.removed, 1);
}

// ---- the control hint helper -----------------------------------------------------------------

class HintHelperTest : public HintTest {
 protected:
  void SetUp() override {
    HintTest::SetUp();
    ui::SetHintWindowClass(ui::THintWindowClass::of<TCountingHintWindow>());
    control = Place<THintProbe>(100, 100, 300, 100);
    helper = std::make_unique<TProbeHintHelper>(control);
  }
  void TearDown() override {
    helper.reset();
    HintTest::TearDown();
  }
  // What a control does on a mouse move over a cut-off cell text.
  void Hover(THintCell& cell, int x = 20, int y = 12, const String& text = u"A cell text cut off") {
    MouseMove(control, x, y);
    helper->ShowHint(kCellBounds, kTextRect, text, false, &cell);
  }
  int Activations() {
    auto* w = dynamic_cast<TCountingHintWindow*>(helper->HintWindow());
    return w ? w->activations : 0;
  }
  static constexpr TRect kCellBounds{10, 10, 110, 30};
  static constexpr TRect kTextRect{12, 12, 108, 28};
  THintProbe* control = nullptr;
  std::unique_ptr<TProbeHintHelper> helper;
};

TEST_F(HintHelperTest, ShowsOverTheTextAndHidesAfterTheHidePause) {
  THintCell cell(kCellBounds, false, true);
  Hover(cell);
  ASSERT_TRUE(helper->HintVisible());
  EXPECT_EQ(helper->HintWindow()->Caption(), u"A cell text cut off");
  EXPECT_EQ(applicationEvents, 1);
  // The text in the window lies where the cell's text lies: the window
  // starts its frame and margin (1 + 2) before it.
  win::RECT wr{};
  win::GetWindowRect(helper->HintWindow()->Handle(), &wr);
  const win::POINT text = ScreenPoint(control, kTextRect.left, kTextRect.top);
  EXPECT_EQ(wr.left, text.x - 3);
  EXPECT_EQ(wr.top, text.y - 3);
  EXPECT_EQ(helper->HintableObject(), &cell);
  for (int i = 0; i < 24; ++i) Advance(100);
  EXPECT_TRUE(helper->HintVisible());
  Advance(100);
  EXPECT_FALSE(helper->HintVisible());
  EXPECT_EQ(helper->HintableObject(), nullptr);
}

TEST_F(HintHelperTest, TheSameCellShowsOnceUntilCancelHint) {
  THintCell cell(kCellBounds, false, true);
  Hover(cell);
  Hover(cell, 22, 14);
  EXPECT_EQ(Activations(), 1);
  Advance(2500);
  ASSERT_FALSE(helper->HintVisible());
  Hover(cell, 24, 14);
  EXPECT_FALSE(helper->HintVisible());
  helper->CancelHint();
  Hover(cell, 26, 14);
  EXPECT_TRUE(helper->HintVisible());
  EXPECT_EQ(Activations(), 2);
  // Another cell cancels the first and shows its own.
  THintCell next(TRect{120, 10, 220, 30}, false, true);
  MouseMove(control, 130, 12);
  helper->ShowHint(TRect{120, 10, 220, 30}, TRect{122, 12, 218, 28}, u"Next cell", false, &next);
  EXPECT_EQ(helper->HintWindow()->Caption(), u"Next cell");
  EXPECT_EQ(helper->HintableObject(), &next);
}

TEST_F(HintHelperTest, AHintAtTheMouseShowsAgainAndRestartsItsHideTimerAfterEachMove) {
  THintCell cell(kCellBounds, true, true);
  // The text of such a hint goes with the pointer.
  auto hoverAt = [&](int x, int y) {
    MouseMove(control, x, y);
    helper->ShowHint(kCellBounds, TRect{x, y + 20, x + 96, y + 36}, u"At the mouse", false, &cell);
  };
  hoverAt(20, 12);
  hoverAt(20, 12);  // no move: nothing
  EXPECT_EQ(Activations(), 1);
  Advance(2000);
  hoverAt(30, 14);
  EXPECT_EQ(Activations(), 2);
  Advance(2000);
  EXPECT_TRUE(helper->HintVisible());  // 4000 ms after the first showing
  Advance(500);
  EXPECT_FALSE(helper->HintVisible());
}

TEST_F(HintHelperTest, APressHidesTheHint) {
  struct Case {
    const char* name;
    bool throughMouseDown;  // the control's MouseDown, else the 100 ms checker
    int hiddenAfterMs;
  };
  const Case cases[] = {{"MouseDown", true, 0}, {"checker", false, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    THintCell cell(kCellBounds, false, true);
    helper->CancelHint();
    Hover(cell);
    ASSERT_TRUE(helper->HintVisible());
    const win::POINT p = ScreenPoint(control, 20, 12);
    win::headless::MouseDown(win::MouseButton::Left, p.x, p.y);
    if (c.throughMouseDown) helper->MouseDown();
    if (c.hiddenAfterMs > 0) {
      EXPECT_TRUE(helper->HintVisible());
      Advance(c.hiddenAfterMs);
    }
    EXPECT_FALSE(helper->HintVisible());
    // While the button is down no hint shows.
    helper->CancelHint();
    helper->ShowHint(kCellBounds, kTextRect, u"text", false, &cell);
    EXPECT_FALSE(helper->HintVisible());
    win::headless::MouseUp(win::MouseButton::Left, p.x, p.y);
    Process();
  }
}

TEST_F(HintHelperTest, LeavingTheCellEndsTheHintAndTheNextHoverShowsItAgain) {
  THintCell cell(kCellBounds, false, true);
  Hover(cell);
  ASSERT_TRUE(helper->HintVisible());
  EXPECT_TRUE(helper->PtInCaller(TPoint{50, 20}));
  EXPECT_FALSE(helper->PtInCaller(TPoint{150, 20}));
  MouseMove(control, 200, 50);
  Advance(20);  // the tracking polls every 10 ms
  EXPECT_FALSE(helper->HintVisible());
  Hover(cell);
  EXPECT_TRUE(helper->HintVisible());
}

TEST_F(HintHelperTest, TheApplicationEventMayRefuseOrRewriteTheHint) {
  bool refuse = true;
  ui::Application->SetOnShowHint(
      ui::TShowHintEvent::fromClosure(nullptr, [&](String& text, bool& canShow, ui::THintInfo& info) {
        EXPECT_EQ(info.HintControl, control);
        EXPECT_EQ(info.HideTimeout, 2500);
        if (refuse) canShow = false;
        text = u"Rewritten";
      }));
  THintCell cell(kCellBounds, false, true);
  Hover(cell);
  EXPECT_FALSE(helper->HintVisible());
  refuse = false;
  Hover(cell);
  ASSERT_TRUE(helper->HintVisible());
  EXPECT_EQ(helper->HintWindow()->Caption(), u"Rewritten");
}

// Whether a hint may show: over the active form only, unless the form is an
// MDI parent or a drop-down of it is open (the user works in the drop-down).
struct CanShowHintCase {
  const char* name;
  bool pointerOverControl;
  bool anotherFormActive;
  ui::TFormStyle formStyle;
  bool dropDownOpen;
  bool canShow;
};

const CanShowHintCase kCanShowHintCases[] = {
    {"over the control on the active form", true, false, ui::fsNormal, false, true},
    {"pointer elsewhere", false, false, ui::fsNormal, false, false},
    {"another form is active", true, true, ui::fsNormal, false, false},
    {"another form is active over an MDI parent", true, true, ui::fsMDIForm, false, true},
    {"another form is active while a drop-down of this form is open", true, true, ui::fsNormal, true, true},
};

TEST_F(HintHelperTest, AHintShowsOverTheActiveFormAnMDIParentOrAFormWithAnOpenDropDown) {
  for (const CanShowHintCase& c : kCanShowHintCases) {
    SCOPED_TRACE(c.name);
    form()->SetFormStyle(c.formStyle);
    Owned<TcxCustomPopupWindow> dropDown(rtl::Create<TcxCustomPopupWindow>(control));
    dropDown->SetCaptureFocus(false);
    dropDown->SetModalMode(false);
    dropDown->SetShowWithoutActivation(true);
    dropDown->SetAdjustable(false);
    dropDown->SetBounds(0, 0, 80, 40);
    dropDown->SetOwnerBounds(TRect{0, 0, 40, 20});
    if (c.dropDownOpen) dropDown->Popup(nullptr);
    Owned<ui::TForm> elsewhere(rtl::Create<ui::TForm>(nullptr));
    elsewhere->SetBounds(500, 400, 100, 60);
    if (c.anotherFormActive) {
      elsewhere->Show();
      win::SetActiveWindow(elsewhere->Handle());
    } else {
      win::SetActiveWindow(form()->Handle());
    }
    Process();
    ASSERT_EQ(ui::Screen->ActiveForm() != form(), c.anotherFormActive);
    MouseMove(control, c.pointerOverControl ? 20 : 400, 12);
    THintCell cell(kCellBounds, false, true);
    helper->CancelHint();
    helper->ShowHint(kCellBounds, kTextRect, u"A cell text cut off", false, &cell);
    EXPECT_EQ(helper->HintVisible(), c.canShow);
    EXPECT_EQ(cxCanShowHint(control), c.canShow);
    helper->CancelHint();
    dropDown->CloseUp();
  }
}

TEST_F(HintHelperTest, TheHintWindowPicture) {
  ui::SetHintWindowClass(nullptr);
  THintCell cell(kCellBounds, false, true);
  Hover(cell, 20, 12, u"Posto Central - diesel S10");
  ASSERT_TRUE(helper->HintVisible());
  EXPECT_EQ(helper->HintWindow()->Caption(), u"Posto Central - diesel S10");
  EXPECT_GOLDEN(win::headless::Screenshot(helper->HintWindow()->Handle()), "lookandfeel", "hint_helper_window");
}

}  // namespace
}  // namespace lookandfeel::testing

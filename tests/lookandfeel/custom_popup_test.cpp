// The custom popup window: opened against its owner control and closed by
// real input on the headless screen (a click elsewhere, a click on the
// owner, Escape, the application losing the focus, a hidden owner), the
// modal loop, and the keys a popup lets through.
#include "lib/lookandfeel/cxCustomPopupWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/stdctrls.h"
#include "platform/win/headless.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::ControlTest;
using testing::Owned;

// A popup that may ask for the click on its owner to be ignored.
class TIgnoringPopup : public TcxCustomPopupWindow {
 public:
  using TcxCustomPopupWindow::TcxCustomPopupWindow;
  bool ignoreOwnerClick = false;
  bool NeedIgnoreMouseMessageAfterCloseUp(win::HWND, win::UINT, ui::TShiftState, const core::TPoint&) override {
    return ignoreOwnerClick;
  }
};

// A popup that takes whatever size the work area leaves it.
class TAnySizePopup : public TcxCustomPopupWindow {
 public:
  using TcxCustomPopupWindow::TcxCustomPopupWindow;
  bool anySize = true;

 protected:
  bool AcceptsAnySize() override { return anySize; }
};

class CustomPopupTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    owner = Place<ui::TPanel>(20, 20, 100, 24);
    other = Place<ui::TPanel>(300, 300, 100, 24);
  }
  Owned<TIgnoringPopup> Make(ui::TWinControl* ownerControl, bool captureFocus, std::vector<std::string>* log = nullptr,
                             const std::string& name = {}) {
    Owned<TIgnoringPopup> p(rtl::Create<TIgnoringPopup>(ownerControl));
    p->SetModalMode(false);
    p->SetCaptureFocus(captureFocus);
    p->SetAdjustable(false);
    p->SetBounds(0, 0, 150, 80);
    p->SetOwnerBounds(ownerControl->ClientRect());
    if (log)
      p->SetOnClosed(rtl::TNotifyEvent::fromClosure(p.get(), [log, name](rtl::TObject*) { log->push_back(name); }));
    return p;
  }
  void Click(ui::TControl* c, int x, int y) {
    const win::POINT p = ScreenPoint(c, x, y);
    win::headless::Click(p.x, p.y);
    Process();
  }
  ui::TPanel* owner = nullptr;
  ui::TPanel* other = nullptr;
};

enum class Trigger { ClickElsewhere, ClickInside, Escape, ApplicationLosesFocus };
struct CloseCase {
  const char* name;
  bool captureFocus;
  Trigger trigger;
  bool closes;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

const CloseCase kCloseCases[] = {
    {"click on another control", true, Trigger::ClickElsewhere, true},
    {"click on another control, no focus", false, Trigger::ClickElsewhere, true},
    {"click inside the popup", true, Trigger::ClickInside, false},
    {"click inside the popup, no focus", false, Trigger::ClickInside, false},
    {"escape", true, Trigger::Escape, true},
    {"application loses the focus", true, Trigger::ApplicationLosesFocus, true},
    {"application loses the focus, no focus", false, Trigger::ApplicationLosesFocus, true},
};

class CustomPopupClose : public CustomPopupTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CustomPopupClose, ClosesOnTheRightInputOnly) {
  const CloseCase& c = GetParam();
  std::vector<std::string> closed;
  auto popup = Make(owner, c.captureFocus, &closed, "popup");
  popup->Popup(nullptr);
  Process();
  ASSERT_TRUE(popup->IsVisible());
  ASSERT_EQ(cxPopupVisibleController()->Count(), 1);
  // Below the owner: the owner's bottom edge in screen coordinates.
  const ui::TPoint below = owner->ClientToScreen(ui::TPoint{0, owner->Height()});
  EXPECT_EQ(popup->Left(), below.x);
  EXPECT_EQ(popup->Top(), below.y);
  switch (c.trigger) {
    case Trigger::ClickElsewhere: Click(other, 5, 5); break;
    case Trigger::ClickInside: Click(popup.get(), 10, 10); break;
    case Trigger::Escape:
      win::headless::PressKey(win::VK_ESCAPE);
      Process();
      break;
    case Trigger::ApplicationLosesFocus:
      win::headless::FocusOut(win::GetActiveWindow() ? win::GetActiveWindow() : form()->Handle());
      Process();
      break;
  }
  EXPECT_EQ(popup->IsVisible(), !c.closes);
  EXPECT_EQ(win::IsWindowVisible(popup->Handle()) != 0, !c.closes);
  EXPECT_EQ(closed.size(), c.closes ? 1u : 0u);
  if (c.closes) { EXPECT_EQ(cxPopupVisibleController()->Count(), 0); }
  popup->CloseUp();
}

INSTANTIATE_TEST_SUITE_P(Triggers, CustomPopupClose, ::testing::ValuesIn(kCloseCases),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST_F(CustomPopupTest, AClickOnTheOwnerClosesThePopupAndTheOwnerDecidesAboutTheClick) {
  for (bool ignore : {false, true}) {
    auto popup = Make(owner, false);
    popup->ignoreOwnerClick = ignore;
    popup->Popup(nullptr);
    Process();
    ASSERT_TRUE(popup->IsVisible());
    int ownerDowns = 0;
    owner->SetOnMouseDown(ui::TMouseEvent::fromClosure(
        owner, [&](rtl::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { ++ownerDowns; }));
    Click(owner, 10, 10);
    EXPECT_FALSE(popup->IsVisible()) << ignore;
    EXPECT_EQ(popup->JustClosed(), ignore);
    // The click itself still reaches the owner (which reads JustClosed).
    EXPECT_EQ(ownerDowns, 1) << ignore;
    owner->SetOnMouseDown({});
  }
}

// A click elsewhere passes over a focus-capturing popup that is not the
// active form (it is left to its own deactivation), while it closes one that
// is active. The popup's deactivation is locked so that it stays open while
// the main form is made active again.
TEST_F(CustomPopupTest, AClickElsewhereSkipsAFocusCapturingPopupThatIsNotActive) {
  for (bool reactivateForm : {true, false}) {
    auto popup = Make(owner, true);
    popup->Popup(nullptr);
    Process();
    ASSERT_TRUE(popup->IsVisible()) << reactivateForm;
    ASSERT_TRUE(popup->Active());
    popup->LockDeactivate(true);
    if (reactivateForm) {
      win::SetActiveWindow(form()->Handle());
      Process();
      ASSERT_TRUE(popup->IsVisible());
      ASSERT_FALSE(popup->Active());
    }
    Click(other, 5, 5);
    EXPECT_EQ(popup->IsVisible(), reactivateForm) << reactivateForm;
    popup->LockDeactivate(false);
    popup->CloseUp();
    Process();
  }
}

TEST_F(CustomPopupTest, HidingTheOwnerOfTheSecondOfThreePopupsClosesTheThirdThenTheSecond) {
  std::vector<std::string> closed;
  auto first = Make(owner, false, &closed, "first");
  first->Popup(nullptr);
  Process();
  auto* inFirst = rtl::Create<ui::TPanel>(first.get());
  inFirst->SetParent(first.get());
  inFirst->SetBounds(5, 5, 60, 20);
  Process();
  auto second = Make(inFirst, false, &closed, "second");
  ASSERT_TRUE(second->IsOwnerControlVisible());
  second->Popup(nullptr);
  ASSERT_EQ(cxPopupVisibleController()->Count(), 2) << (closed.empty() ? "" : closed[0]) << second->IsVisible();
  Process();
  ASSERT_EQ(cxPopupVisibleController()->Count(), 2);
  auto* inSecond = rtl::Create<ui::TPanel>(second.get());
  inSecond->SetParent(second.get());
  inSecond->SetBounds(5, 5, 60, 20);
  Process();
  auto third = Make(inSecond, false, &closed, "third");
  third->Popup(nullptr);
  Process();
  ASSERT_EQ(cxPopupVisibleController()->Count(), 3);
  EXPECT_TRUE(first->IsChildWindow(third->Handle())) << "a popup owned from inside is part of it";
  EXPECT_FALSE(third->IsChildWindow(first->Handle()));

  inFirst->Hide();
  Process();
  EXPECT_EQ(closed, (std::vector<std::string>{"third", "second"}));
  EXPECT_TRUE(first->IsVisible());
  first->CloseUp();
}

TEST_F(CustomPopupTest, AModalPopupReturnsOnceClosedAndGivesTheFocusBack) {
  auto* edit = Place<ui::TEdit>(20, 100, 100, 21);
  edit->SetFocus();
  Process();
  auto popup = Make(owner, true);
  popup->SetModalMode(true);
  auto* inner = rtl::Create<ui::TEdit>(popup.get());
  inner->SetParent(popup.get());
  inner->SetBounds(5, 5, 100, 21);
  bool focusedInside = false;
  popup->SetOnShowed(rtl::TNotifyEvent::fromClosure(popup.get(), [&](rtl::TObject*) {
    focusedInside = inner->Focused();
  }));
  // Input waits in the queue: the modal loop reads it.
  win::headless::PressKey(win::VK_ESCAPE);
  popup->Popup(inner);
  EXPECT_TRUE(focusedInside) << "the given control takes the focus";
  EXPECT_FALSE(popup->IsVisible());
  EXPECT_EQ(win::GetFocus(), edit->Handle()) << "the control focused before gets it back";
}

TEST_F(CustomPopupTest, AModalResultEndsTheLoopUnlessTheCloseQueryRefuses) {
  auto popup = Make(owner, true);
  popup->SetModalMode(true);
  int asked = 0;
  popup->SetOnCloseQuery(ui::TCloseQueryEvent::fromClosure(popup.get(), [&](rtl::TObject*, bool& can) {
    can = ++asked > 1;  // refuses the first time
  }));
  // Each F2 pressed in the popup sets a modal result.
  popup->SetOnKeyDown(ui::TKeyEvent::fromClosure(popup.get(), [&](rtl::TObject*, rtl::Word& key, ui::TShiftState) {
    if (key == win::VK_F2) popup->SetModalResult(ui::mrOk);
  }));
  bool closed = false;
  popup->SetOnClosed(rtl::TNotifyEvent::fromClosure(popup.get(), [&](rtl::TObject*) { closed = true; }));
  win::headless::PressKey(win::VK_F2);
  win::headless::PressKey(win::VK_F2);
  popup->Popup(nullptr);
  EXPECT_FALSE(popup->IsVisible());
  EXPECT_TRUE(closed);
  EXPECT_EQ(asked, 2) << "the refused result was cleared, the second one closed";
}

TEST_F(CustomPopupTest, AnySizePopupsAreCutToTheWorkArea) {
  // The headless work area: (0, 0, 1280, 984).
  struct BoundsCase {
    core::TPoint pos;
    core::TSize size;
    core::TPoint wantPos;
    core::TSize wantSize;
  };
  const BoundsCase cases[] = {
      {{100, 100}, {200, 150}, {100, 100}, {200, 150}},    // inside: untouched
      {{-30, 100}, {200, 150}, {0, 100}, {170, 150}},      // left edge moved in, width shrinks as much
      {{100, -20}, {200, 150}, {100, 0}, {200, 130}},      // top edge likewise
      {{1200, 900}, {200, 150}, {1200, 900}, {80, 84}},    // cut at the right and bottom
      {{-10, -10}, {2000, 2000}, {0, 0}, {1280, 984}},     // larger than the work area
  };
  Owned<TAnySizePopup> popup(rtl::Create<TAnySizePopup>(owner));
  for (const BoundsCase& c : cases) {
    core::TPoint pos = c.pos;
    core::TSize size = c.size;
    popup->CorrectBoundsWithDesktopWorkArea(pos, size);
    EXPECT_EQ(pos.x, c.wantPos.x);
    EXPECT_EQ(pos.y, c.wantPos.y);
    EXPECT_EQ(size.cx, c.wantSize.cx) << c.pos.x << "," << c.pos.y;
    EXPECT_EQ(size.cy, c.wantSize.cy) << c.pos.x << "," << c.pos.y;
  }
  popup->anySize = false;
  core::TPoint pos{-30, -30};
  core::TSize size{2000, 2000};
  popup->CorrectBoundsWithDesktopWorkArea(pos, size);
  EXPECT_EQ(size.cx, 2000) << "a popup of fixed size is left alone";
}

TEST_F(CustomPopupTest, SystemKeysPassOnlyWhenThePopupAcceptsThem) {
  auto popup = Make(owner, false);
  struct KeyCase {
    win::UINT vk;
    bool accepted;
  };
  const KeyCase keys[] = {{win::VK_PRIOR, true}, {win::VK_DOWN, true}, {win::VK_F4, true},
                          {win::VK_RETURN, false}, {win::VK_MENU, false}, {win::VK_F5, false}};
  for (const KeyCase& k : keys) EXPECT_EQ(popup->IsSysKeyAccepted(rtl::Word(k.vk)), k.accepted) << k.vk;

  popup->Popup(nullptr);
  Process();
  std::vector<win::WPARAM> seen;
  auto previous = form()->WindowProc();
  form()->SetWindowProc(ui::TWndMethod::fromClosure(form(), [&, previous](ui::TMessage& m) {
    if (m.Msg == win::WM_SYSKEYDOWN) seen.push_back(m.WParam);
    previous(m);
  }));
  for (const KeyCase& k : keys) win::PostMessageW(form()->Handle(), win::WM_SYSKEYDOWN, k.vk, 0);
  Process();
  form()->SetWindowProc(previous);
  EXPECT_EQ(seen, (std::vector<win::WPARAM>{win::VK_PRIOR, win::VK_DOWN, win::VK_F4}));
  popup->CloseUp();
}

}  // namespace
}  // namespace lookandfeel

namespace lookandfeel {
namespace {

// What reaches a form's window procedure of WM_NCACTIVATE: 1 active, 0 inactive.
class CaptionRecorder {
 public:
  explicit CaptionRecorder(ui::TCustomForm* form) : form_(form), old_(form->WindowProc()) {
    form->SetWindowProc(ui::TWndMethod::fromClosure(this, [this](ui::TMessage& m) {
      if (m.Msg == win::WM_NCACTIVATE) states.push_back(m.WParam ? 1 : 0);
      old_(m);
    }));
  }
  ~CaptionRecorder() { form_->SetWindowProc(old_); }
  std::vector<int> states;

 private:
  ui::TCustomForm* form_;
  ui::TWndMethod old_;
};

TEST_F(CustomPopupTest, TheOwnersFormKeepsItsActiveCaptionWhileAFocusTakingPopupIsOpen) {
  auto popup = Make(owner, true);
  CaptionRecorder caption(form());
  popup->Popup(nullptr);
  Process();
  ASSERT_TRUE(popup->Active()) << "the popup took the activation from the form";
  EXPECT_EQ(std::count(caption.states.begin(), caption.states.end(), 0), 0)
      << "the form never heard that its caption turned inactive";
  caption.states.clear();
  popup->CloseUp();
  Process();
  EXPECT_TRUE(form()->Active());
  EXPECT_EQ(std::count(caption.states.begin(), caption.states.end(), 0), 0);
}

// A popup closing while another form of the program is active: the owner's
// form was kept active-looking and now shows its caption inactive, except
// for an MDI parent, whose caption follows its MDI children.
struct CaptionAtCloseCase {
  const char* name;
  ui::TFormStyle ownerFormStyle;
  std::vector<int> captionAtClose;
};

void PrintTo(const CaptionAtCloseCase& c, std::ostream* os) { *os << c.name; }

class CustomPopupCaptionAtClose : public CustomPopupTest,
                                  public ::testing::WithParamInterface<CaptionAtCloseCase> {};

TEST_P(CustomPopupCaptionAtClose, TheCaptionTurnsInactiveOnlyWhenNoPopupKeepsIt) {
  const CaptionAtCloseCase& c = GetParam();
  form()->SetFormStyle(c.ownerFormStyle);
  auto popup = Make(owner, false);
  // Shown without activation: closing gives no focus back, so the other
  // form stays active.
  popup->SetShowWithoutActivation(true);
  popup->Popup(nullptr);
  Process();
  Owned<ui::TForm> elsewhere(rtl::Create<ui::TForm>(nullptr));
  elsewhere->SetBounds(500, 400, 100, 60);
  CaptionRecorder caption(form());
  elsewhere->Show();
  win::SetActiveWindow(elsewhere->Handle());
  Process();
  ASSERT_FALSE(form()->Active());
  ASSERT_TRUE(popup->IsVisible());
  EXPECT_TRUE(caption.states.empty()) << "kept active while the popup is open";
  popup->CloseUp();
  Process();
  EXPECT_EQ(caption.states, c.captionAtClose);
}

INSTANTIATE_TEST_SUITE_P(FormStyles, CustomPopupCaptionAtClose,
                         ::testing::Values(CaptionAtCloseCase{"normal", ui::fsNormal, {0}},
                                           CaptionAtCloseCase{"mdiParent", ui::fsMDIForm, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

// A click on another form closes a popup only when the popup's form is an
// MDI child and the click went to another MDI child or to the MDI parent;
// a click on its own form always closes it, one on an unrelated form is
// left to the activation change.
struct MdiClickCase {
  const char* name;
  ui::TFormStyle ownerFormStyle;
  ui::TFormStyle clickedFormStyle;
  bool onOwnForm;  // the click lands on another control of the owner's form
  bool closes;
};

const MdiClickCase kMdiClickCases[] = {
    {"mdiChildClickOnAnotherMdiChild", ui::fsMDIChild, ui::fsMDIChild, false, true},
    {"mdiChildClickOnTheMdiParent", ui::fsMDIChild, ui::fsMDIForm, false, true},
    {"mdiChildClickOnItsOwnForm", ui::fsMDIChild, ui::fsNormal, true, true},
    {"mdiChildClickElsewhere", ui::fsMDIChild, ui::fsNormal, false, false},
    {"normalFormClickOnAnMdiParent", ui::fsNormal, ui::fsMDIForm, false, false},
    {"normalFormClickOnAnMdiChild", ui::fsNormal, ui::fsMDIChild, false, false},
    {"normalFormClickOnItsOwnForm", ui::fsNormal, ui::fsNormal, true, true},
};

void PrintTo(const MdiClickCase& c, std::ostream* os) { *os << c.name; }

class CustomPopupMdiClick : public CustomPopupTest, public ::testing::WithParamInterface<MdiClickCase> {};

TEST_P(CustomPopupMdiClick, AClickClosesThePopupOnlyOnFormsThatShareItsActivation) {
  const MdiClickCase& c = GetParam();
  form()->SetFormStyle(c.ownerFormStyle);
  auto popup = Make(owner, false);
  popup->SetShowWithoutActivation(true);
  popup->Popup(nullptr);
  Process();
  ASSERT_TRUE(popup->IsVisible());
  Owned<ui::TForm> clicked(rtl::Create<ui::TForm>(nullptr));
  clicked->SetFormStyle(c.clickedFormStyle);
  clicked->SetBounds(500, 400, 120, 80);
  clicked->Show();
  Process();
  ASSERT_TRUE(popup->IsVisible());
  if (c.onOwnForm)
    Click(other, 5, 5);
  else
    Click(clicked.get(), 20, 20);
  EXPECT_EQ(popup->IsVisible(), !c.closes);
  popup->CloseUp();
}

INSTANTIATE_TEST_SUITE_P(Forms, CustomPopupMdiClick, ::testing::ValuesIn(kMdiClickCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A touch gesture closes the popups it is not inside, as a click does.
TEST_F(CustomPopupTest, AGestureElsewhereClosesThePopupAndOneInsideDoesNot) {
  auto popup = Make(owner, false);
  auto* inside = rtl::Create<ui::TPanel>(popup.get());
  inside->SetParent(popup.get());
  inside->SetBounds(5, 5, 60, 20);
  popup->Popup(nullptr);
  Process();
  ASSERT_TRUE(popup->IsVisible());
  struct Target {
    const char* name;
    ui::TWinControl* control;
    bool closes;
  };
  const Target targets[] = {{"inside the popup", inside, false}, {"another control", other, true}};
  for (const Target& t : targets) {
    SCOPED_TRACE(t.name);
    win::SendMessageW(t.control->Handle(), win::WM_GESTURE, 0, 0);
    Process();
    EXPECT_EQ(popup->IsVisible(), !t.closes);
  }
}

// The popup window is a stay-on-top form; the custom popup window is a
// normal form whose top-most place Popup decides, and a focus-taking one
// asked to be top-most is made so with a stay-on-top form only.
TEST_F(CustomPopupTest, FormStylesOfThePopupWindows) {
  Owned<TcxPopupWindow> plain(rtl::Create<TcxPopupWindow>());
  EXPECT_EQ(plain->FormStyle(), ui::fsStayOnTop);
  plain->HandleNeeded();
  EXPECT_NE(win::GetWindowLongPtrW(plain->Handle(), win::GWL_EXSTYLE) & win::WS_EX_TOPMOST, 0);
  for (ui::TFormStyle formStyle : {ui::fsNormal, ui::fsStayOnTop}) {
    form()->SetFormStyle(formStyle);
    auto popup = Make(owner, true);
    EXPECT_EQ(popup->FormStyle(), ui::fsNormal);
    popup->SetIsTopMost(true);
    popup->HandleNeeded();
    const bool topMost = (win::GetWindowLongPtrW(popup->Handle(), win::GWL_EXSTYLE) & win::WS_EX_TOPMOST) != 0;
    EXPECT_EQ(topMost, formStyle == ui::fsStayOnTop);
  }
}

}  // namespace
}  // namespace lookandfeel

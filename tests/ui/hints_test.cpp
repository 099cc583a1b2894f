// The application's hints against the test clock and injected pointer moves
// (pauses, hiding, the event and the window class), and the form's window
// style, translucency and owner.
#include <gtest/gtest.h>

#include "platform/ui/hints.h"
#include "platform/ui/stdctrls.h"
#include "tests/support/golden.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

// A hint window that counts how often it was shown.
class TCountingHintWindow : public THintWindow {
  RTL_CLASS(TCountingHintWindow, THintWindow)

 public:
  explicit TCountingHintWindow(rtl::TComponent* owner) : THintWindow(owner) {}
  void ActivateHint(TRect rect, const String& hint) override {
    ++activations;
    THintWindow::ActivateHint(rect, hint);
  }
  int activations = 0;
};

class Hints : public UiTest {
 protected:
  Owned<TForm> form;
  TPanel* left = nullptr;
  TPanel* right = nullptr;

  void SetUp() override {
    UiTest::SetUp();
    form = Make<TForm>(nullptr);
    form->SetBounds(100, 100, 400, 200);
    left = AddPanel(10, 10, u"Left side|Status text of the left side");
    right = AddPanel(200, 10, u"Right side");
    form->Show();
    Process();
  }
  void TearDown() override {
    SetHintWindowClass(nullptr);
    form.reset();
    UiTest::TearDown();
  }
  TPanel* AddPanel(int x, int y, const String& hint) {
    auto* p = rtl::Create<TPanel>(form.get());
    p->SetParent(form.get());
    p->SetBounds(x, y, 150, 100);
    p->SetHint(hint);
    p->SetShowHint(true);
    return p;
  }
  void MoveTo(TControl* c, int x, int y) {
    const TPoint p = c->ClientToScreen(TPoint{x, y});
    win::headless::MouseMove(p.x, p.y);
    Process();
  }
  void Wait(int ms) {
    clock->Advance(ms);
    Process();
  }
  bool HintShown() {
    THintWindow* w = Application->HintWindow();
    return w && w->IsHintVisible();
  }
  String HintText() { return Application->HintWindow()->Caption(); }
};

TEST_F(Hints, ShowsAfterThePauseBelowThePointerAndHidesAfterTheHidePause) {
  EXPECT_EQ(Application->HintPause(), 500);
  EXPECT_EQ(Application->HintShortPause(), 50);
  EXPECT_EQ(Application->HintHidePause(), 2500);
  MoveTo(left, 40, 30);
  Wait(499);
  EXPECT_FALSE(HintShown());
  Wait(1);
  ASSERT_TRUE(HintShown());
  // Only the part before '|' is the hint.
  EXPECT_EQ(HintText(), u"Left side");
  EXPECT_EQ(Application->HintControl(), left);
  const TPoint cursor = left->ClientToScreen(TPoint{40, 30});
  win::RECT wr{};
  win::GetWindowRect(Application->HintWindow()->Handle(), &wr);
  EXPECT_EQ(wr.left, cursor.x);
  EXPECT_GT(wr.top, cursor.y);
  // The hint never takes the focus from the form.
  EXPECT_EQ(win::GetActiveWindow(), form->Handle());

  // Moving inside the control keeps it; the hide pause ends it, and it stays
  // down while the pointer stays on the control.
  MoveTo(left, 60, 40);
  EXPECT_TRUE(HintShown());
  Wait(2499);
  EXPECT_TRUE(HintShown());
  Wait(1);
  EXPECT_FALSE(HintShown());
  MoveTo(left, 70, 50);
  Wait(3000);
  EXPECT_FALSE(HintShown());
}

TEST_F(Hints, TheNextControlShowsAfterTheShortPauseAndAPressOrLeavingHides) {
  MoveTo(left, 40, 30);
  Wait(500);
  ASSERT_TRUE(HintShown());
  MoveTo(right, 40, 30);
  EXPECT_FALSE(HintShown());
  Wait(50);
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), u"Right side");

  // A press hides it, and it does not come back while the pointer stays.
  const TPoint p = right->ClientToScreen(TPoint{40, 30});
  win::headless::Click(p.x, p.y);
  Process();
  EXPECT_FALSE(HintShown());
  MoveTo(right, 45, 35);
  Wait(1000);
  EXPECT_FALSE(HintShown());

  // Leaving for the form's bare client area forgets the control.
  MoveTo(form.get(), 180, 150);
  EXPECT_EQ(Application->HintControl(), nullptr);
  // After a long rest the next control waits the full pause again.
  Wait(5000);
  MoveTo(left, 40, 30);
  Wait(50);
  EXPECT_FALSE(HintShown());
  Wait(450);
  EXPECT_TRUE(HintShown());
}

TEST_F(Hints, ControlsWithoutHintsOrShowHintShowNothing) {
  struct Case {
    const char* name;
    bool showHint;
    const char16_t* hint;
    bool appShowHint;
  };
  const Case cases[] = {
      {"ShowHint off", false, u"Text", true},
      {"empty hint", true, u"", true},
      {"only a status text", true, u"|status", true},
      {"application hints off", true, u"Text", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MoveTo(form.get(), 180, 150);
    left->SetShowHint(c.showHint);
    left->SetHint(c.hint);
    Application->SetShowHint(c.appShowHint);
    MoveTo(left, 40, 30);
    Wait(3000);
    EXPECT_FALSE(HintShown());
    Application->SetShowHint(true);
  }
}

TEST_F(Hints, TheEventChangesTheTextColourAndClassOrRefuses) {
  THintInfo seen;
  bool refuse = false;
  Application->SetOnShowHint(TShowHintEvent::fromClosure(
      nullptr, [&](String& text, bool& canShow, THintInfo& info) {
        seen = info;
        if (refuse) {
          canShow = false;
          return;
        }
        text = text + u" (changed)";
        info.HintColor = clAqua;
        info.HintWindowClass = THintWindowClass::of<TCountingHintWindow>();
        info.HideTimeout = 100;
      }));
  MoveTo(left, 40, 30);
  Wait(500);
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(seen.HintControl, left);
  EXPECT_EQ(seen.HintStr, u"Left side");
  EXPECT_EQ(seen.CursorPos.x, 40);
  EXPECT_EQ(seen.CursorPos.y, 30);
  EXPECT_EQ(seen.CursorRect.right, left->ClientWidth());
  EXPECT_EQ(seen.HideTimeout, 2500);
  EXPECT_EQ(HintText(), u"Left side (changed)");
  auto* window = dynamic_cast<TCountingHintWindow*>(Application->HintWindow());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->activations, 1);
  EXPECT_EQ(window->Color(), clAqua);
  Wait(100);
  EXPECT_FALSE(HintShown());

  refuse = true;
  MoveTo(right, 40, 30);
  Wait(3000);
  EXPECT_FALSE(HintShown());
  Application->SetOnShowHint(nullptr);
}

TEST_F(Hints, TheWindowClassOfTheApplicationAndCancelHint) {
  SetHintWindowClass(THintWindowClass::of<TCountingHintWindow>());
  MoveTo(left, 40, 30);
  Wait(500);
  ASSERT_NE(dynamic_cast<TCountingHintWindow*>(Application->HintWindow()), nullptr);
  Application->CancelHint();
  EXPECT_FALSE(HintShown());
  // Cancelling while the pause runs stops it.
  MoveTo(right, 40, 30);
  Application->CancelHint();
  Wait(3000);
  EXPECT_FALSE(HintShown());
  // A freed control is forgotten.
  MoveTo(left, 40, 30);
  EXPECT_EQ(Application->HintControl(), left);
  left->Free();
  EXPECT_EQ(Application->HintControl(), nullptr);
  Wait(3000);
  EXPECT_FALSE(HintShown());
}

TEST_F(Hints, TheHintWindowPicture) {
  Application->SetHintColor(clInfoBk);
  MoveTo(left, 40, 30);
  Wait(500);
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), u"Left side");
  const win::HWND wnd = Application->HintWindow()->Handle();
  EXPECT_EQ(win::GetWindowLongW(wnd, win::GWL_STYLE) & (win::WS_POPUP | win::WS_BORDER | win::WS_CHILD),
            win::LONG(win::WS_POPUP | win::WS_BORDER));
  EXPECT_EQ(win::GetWindow(wnd, win::GW_OWNER), Application->Handle());
  EXPECT_GOLDEN(screen->Screenshot(Application->HintWindow()->Handle()), "ui", "hint_window");
}

// ---- form properties ------------------------------------------------------------------------

class FormProperties : public UiTest {};

TEST_F(FormProperties, StayOnTopSetsAndClearsTheTopmostStyle) {
  auto form = Make<TForm>(nullptr);
  form->SetFormStyle(fsStayOnTop);
  form->Show();
  auto exStyle = [&] { return win::GetWindowLongW(form->Handle(), win::GWL_EXSTYLE); };
  EXPECT_TRUE(exStyle() & win::WS_EX_TOPMOST);
  form->SetFormStyle(fsNormal);
  EXPECT_FALSE(exStyle() & win::WS_EX_TOPMOST);
  form->SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(exStyle() & win::WS_EX_TOPMOST);
}

TEST_F(FormProperties, AlphaBlendAndTransparentColorComposeOverTheDesktop) {
  auto form = Make<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(100, 100, 100, 100);
  form->SetColor(clWhite);
  auto* hole = rtl::Create<TPanel>(form.get());
  hole->SetParent(form.get());
  hole->SetBounds(50, 0, 50, 100);
  hole->SetBevelOuter(bvNone);
  hole->SetColor(clFuchsia);
  form->Show();
  Process();
  const std::uint32_t desktop = screen->Screenshot().at(5, 5) & 0xFFFFFFu;
  auto at = [&](int x, int y) { return screen->Screenshot().at(x, y) & 0xFFFFFFu; };
  ASSERT_EQ(at(120, 120), 0xFFFFFFu);

  form->SetAlphaBlendValue(128);
  form->SetAlphaBlend(true);
  Process();
  EXPECT_TRUE(win::GetWindowLongW(form->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED);
  const std::uint32_t blended = at(120, 120);
  for (int shift : {0, 8, 16}) {
    const int expected = (255 * 128 + int((desktop >> shift) & 0xFF) * 127) / 255;
    EXPECT_NEAR(int((blended >> shift) & 0xFF), expected, 2) << shift;
  }

  form->SetAlphaBlend(false);
  form->SetTransparentColorValue(clFuchsia);
  form->SetTransparentColor(true);
  Process();
  EXPECT_EQ(at(120, 120), 0xFFFFFFu);
  EXPECT_EQ(at(170, 120), desktop);  // the key colour lets the desktop through

  form->SetTransparentColor(false);
  Process();
  EXPECT_FALSE(win::GetWindowLongW(form->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED);
  EXPECT_EQ(at(170, 120), 0xFF00FFu);
}

TEST_F(FormProperties, PopupModeAndPopupParentChooseTheOwnerWindow) {
  auto main = Make<TForm>(nullptr);
  auto other = Make<TForm>(nullptr);
  auto popup = Make<TForm>(nullptr);
  main->Show();
  other->Show();
  auto owner = [&] { return win::GetWindow(popup->Handle(), win::GW_OWNER); };

  popup->SetPopupParent(other.get());
  EXPECT_EQ(popup->PopupMode(), pmExplicit);
  EXPECT_EQ(owner(), other->Handle());

  // pmAuto: the form active when the window is made.
  popup->SetPopupMode(pmAuto);
  EXPECT_EQ(popup->PopupParent(), nullptr);
  other->SetFocus();
  Process();
  ASSERT_EQ(Screen->ActiveForm(), other.get());
  popup->SetPopupMode(pmNone);
  popup->SetPopupMode(pmAuto);
  EXPECT_EQ(owner(), other->Handle());

  // A freed popup parent is forgotten.
  popup->SetPopupParent(main.get());
  EXPECT_EQ(owner(), main->Handle());
  main.reset();
  EXPECT_EQ(popup->PopupParent(), nullptr);
  EXPECT_EQ(popup->PopupMode(), pmNone);
}

}  // namespace

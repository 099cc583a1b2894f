// The mouse wheel: WM_MOUSEWHEEL reaches the focused control as
// CM_MOUSEWHEEL, OnMouseWheel then OnMouseWheelDown/Up per notch, and an
// unanswered wheel climbs to the parent, each control asked once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/format.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

class Wheel : public UiTest {};

// form > outer panel > inner panel > edit (focused).
struct Nest {
  Owned<TForm> form = Make<TForm>(nullptr);
  TPanel* outer;
  TPanel* inner;
  TEdit* edit;
  std::vector<std::string> log;
  TControl* stopAt = nullptr;  // answers OnMouseWheel
  Nest() {
    form->SetBounds(100, 100, 320, 240);
    outer = rtl::Create<TPanel>(form.get());
    outer->SetParent(form.get());
    outer->SetBounds(10, 10, 280, 200);
    inner = rtl::Create<TPanel>(form.get());
    inner->SetParent(outer);
    inner->SetBounds(10, 10, 240, 160);
    edit = rtl::Create<TEdit>(form.get());
    edit->SetParent(inner);
    edit->SetBounds(10, 10, 120, 21);
    watch(form.get(), "form");
    watch(outer, "outer");
    watch(inner, "inner");
    watch(edit, "edit");
    form->SetActiveControl(edit);
    form->Show();
    win::headless::ProcessMessages();
  }
  void watch(TControl* c, std::string name) {
    c->SetOnMouseWheel(TMouseWheelEvent::fromClosure(
        c, [this, c, name](rtl::TObject* sender, TShiftState shift, int delta, TPoint pos, bool& handled) {
          EXPECT_EQ(sender, c);
          log.push_back(name + " " + std::to_string(delta) + (shift.contains(ssCtrl) ? " ctrl" : "") +
                        " @" + std::to_string(pos.x) + "," + std::to_string(pos.y));
          handled = c == stopAt;
        }));
  }
  TPoint Over() { return edit->ClientToScreen(TPoint{5, 5}); }
  void Turn(int delta) {
    const TPoint p = Over();
    win::headless::Wheel(delta, p.x, p.y);
    win::headless::ProcessMessages();
  }
};

TEST_F(Wheel, UnansweredWheelClimbsToTheFormAskingEachControlOnce) {
  Nest n;
  n.Turn(-120);
  const TPoint p = n.Over();
  const std::string at = " @" + std::to_string(p.x) + "," + std::to_string(p.y);
  EXPECT_EQ(n.log, (std::vector<std::string>{"edit -120" + at, "inner -120" + at, "outer -120" + at,
                                              "form -120" + at}));
}

TEST_F(Wheel, AnsweringControlStopsTheClimb) {
  Nest n;
  n.stopAt = n.inner;
  win::headless::KeyDown(win::VK_CONTROL);
  n.Turn(240);
  win::headless::KeyUp(win::VK_CONTROL);
  ASSERT_EQ(n.log.size(), 2u);
  EXPECT_EQ(n.log[0].rfind("edit 240 ctrl", 0), 0u) << n.log[0];
  EXPECT_EQ(n.log[1].rfind("inner 240 ctrl", 0), 0u) << n.log[1];
}

// Up/down events come once per whole notch; a fine wheel's small deltas add up.
TEST_F(Wheel, UpAndDownEventsCountWholeNotches) {
  struct Case {
    const char* name;
    std::vector<int> deltas;
    int ups, downs;
  } cases[] = {
      {"one notch down", {-120}, 0, 1},
      {"two notches up at once", {240}, 2, 0},
      {"three fine steps make a notch", {40, 40, 40}, 1, 0},
      {"back and forth cancels", {60, -60, -120}, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Nest n;
    int ups = 0, downs = 0;
    n.inner->SetOnMouseWheelUp(TMouseWheelUpDownEvent::fromClosure(
        n.inner, [&](rtl::TObject*, TShiftState, TPoint, bool& handled) {
          ++ups;
          handled = true;
        }));
    n.inner->SetOnMouseWheelDown(TMouseWheelUpDownEvent::fromClosure(
        n.inner, [&](rtl::TObject*, TShiftState, TPoint, bool& handled) {
          ++downs;
          handled = true;
        }));
    for (int d : c.deltas) n.Turn(d);
    EXPECT_EQ(ups, c.ups);
    EXPECT_EQ(downs, c.downs);
    // Handled by the up/down events: the wheel went no higher than inner
    // once a notch was complete.
    if (c.ups + c.downs > 0) { EXPECT_NE(n.log.back().rfind("inner", 0), std::string::npos); }
  }
}

TEST_F(Wheel, MemoScrollsUnlessItsEventsAnswerAndKeepsTheWheel) {
  Owned<TForm> form = Make<TForm>(nullptr);
  form->SetBounds(100, 100, 320, 240);
  TMemo* memo = rtl::Create<TMemo>(form.get());
  memo->SetParent(form.get());
  memo->SetBounds(10, 10, 200, 60);
  for (int i = 0; i < 30; ++i) memo->Lines()->Add(rtl::Format(u"linha %d", {i}));
  int formWheels = 0;
  form->SetOnMouseWheel(TMouseWheelEvent::fromClosure(
      form.get(), [&](rtl::TObject*, TShiftState, int, TPoint, bool&) { ++formWheels; }));
  form->SetActiveControl(memo);
  form->Show();
  Process();
  const TPoint p = memo->ClientToScreen(TPoint{20, 20});
  auto turn = [&](int delta) {
    win::headless::Wheel(delta, p.x, p.y);
    Process();
  };
  turn(-240);
  EXPECT_EQ(memo->TopRow(), 6);
  turn(120);
  EXPECT_EQ(memo->TopRow(), 3);
  turn(-60);  // half a notch: kept, not scrolled, not passed on
  EXPECT_EQ(memo->TopRow(), 3);
  turn(-60);
  EXPECT_EQ(memo->TopRow(), 6);
  EXPECT_EQ(formWheels, 0);
  bool answer = true;
  memo->SetOnMouseWheel(TMouseWheelEvent::fromClosure(
      memo, [&](rtl::TObject*, TShiftState, int, TPoint, bool& handled) { handled = answer; }));
  turn(-120);
  EXPECT_EQ(memo->TopRow(), 6);
  answer = false;
  memo->SetOnMouseWheelDown(TMouseWheelUpDownEvent::fromClosure(
      memo, [&](rtl::TObject*, TShiftState, TPoint, bool& handled) { handled = true; }));
  turn(-120);
  EXPECT_EQ(memo->TopRow(), 6);
  turn(120);
  EXPECT_EQ(memo->TopRow(), 3);
  EXPECT_EQ(formWheels, 0);
}

// A control freed by its own wheel handler does not take the loop down.
TEST_F(Wheel, ControlFreedInItsHandler) {
  Nest n;
  n.edit->SetOnMouseWheel(TMouseWheelEvent::fromClosure(
      n.form.get(), [&](rtl::TObject* sender, TShiftState, int, TPoint, bool& handled) {
        static_cast<TEdit*>(sender)->Free();
        handled = true;
      }));
  const TPoint p = n.Over();
  win::headless::Wheel(-120, p.x, p.y);
  Process();
  EXPECT_EQ(n.form->ActiveControl(), nullptr);
  EXPECT_TRUE(n.log.empty());
  // The focus moved on: the form gets the next turn.
  win::headless::Wheel(-120, p.x, p.y);
  Process();
  ASSERT_EQ(n.log.size(), 1u);
  EXPECT_EQ(n.log[0].rfind("form -120", 0), 0u);
}

}  // namespace

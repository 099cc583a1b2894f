// The internal drag inside one control, driven by injected pointer and key
// input on a headless screen: when it begins (past the drag threshold, or at
// the press for an immediate start), what the drag object sees, how it ends
// (release, Escape or any key the object refuses, capture taken elsewhere,
// cancel mode), the cursor it shows and the one it gives back, and the fresh
// object every drag gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxDragImages.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::ControlTest;

struct DragLog {
  std::vector<std::string> calls;
  std::vector<ui::TCursor> cursors;  // the screen cursor after each move
  int created = 0;
  int destroyed = 0;
  bool immediate = false;
  int acceptFromX = -1;  // moves at or right of this x are accepted; -1: none
};

std::string at(const char* what, const TPoint& p) {
  return std::string(what) + " " + std::to_string(p.x) + "," + std::to_string(p.y);
}

class DragControl;

class RecordingDragObject : public TcxDragAndDropObject {
 public:
  RecordingDragObject(TcxControl* control, DragLog& log) : TcxDragAndDropObject(control), log_(log) {
    ++log_.created;
  }
  ~RecordingDragObject() override { ++log_.destroyed; }

 protected:
  bool GetImmediateStart() override { return log_.immediate; }
  void BeginDragAndDrop() override {
    log_.calls.push_back(at("begin", CurMousePos));
    TcxDragAndDropObject::BeginDragAndDrop();
  }
  void DragAndDrop(const TPoint& P, bool& Accepted) override {
    Accepted = log_.acceptFromX >= 0 && P.x >= log_.acceptFromX;
    log_.calls.push_back(at("move", P));
    TcxDragAndDropObject::DragAndDrop(P, Accepted);
    log_.cursors.push_back(ui::Screen->Cursor());
  }
  void EndDragAndDrop(bool Accepted) override {
    log_.calls.push_back(Accepted ? "drop" : "cancel");
    TcxDragAndDropObject::EndDragAndDrop(Accepted);
  }

 private:
  DragLog& log_;
};

// Starts an internal drag from a press in its left 50 pixels.
class DragControl : public TcxControl {
 public:
  explicit DragControl(rtl::TComponent* owner) : TcxControl(owner) {
    SetDragAndDropObjectClass([](TcxControl* c) -> TcxDragAndDropObject* {
      return rtl::Create<RecordingDragObject>(c, static_cast<DragControl*>(c)->log);
    });
  }
  DragLog log;

 protected:
  bool StartDragAndDrop(const TPoint& P) override { return P.x < 50; }
};

enum class Step { Press, Move, Release, Escape, LetterKey, CaptureTakenElsewhere, CancelMode };
struct Action {
  Step step;
  int x = 0, y = 0;
};

struct DragCase {
  const char* name;
  bool immediate;
  std::vector<Action> actions;
  std::vector<std::string> calls;
  int objects;  // drag objects made (and freed) along the way
};

const DragCase kDragCases[] = {
    {"DropAfterLeavingThePressedArea", false,
     {{Step::Press, 10, 10}, {Step::Move, 12, 13}, {Step::Move, 30, 10}, {Step::Move, 120, 20},
      {Step::Release, 120, 20}},
     {"begin 30,10", "move 30,10", "move 120,20", "drop"}, 1},
    {"ReleaseInsideThePressedAreaNeverBegins", false,
     {{Step::Press, 10, 10}, {Step::Move, 13, 7}, {Step::Release, 13, 7}}, {}, 1},
    {"PressOutsideTheStartAreaMakesNoObject", false,
     {{Step::Press, 80, 10}, {Step::Move, 150, 10}, {Step::Release, 150, 10}}, {}, 0},
    {"EscapeEndsItUnaccepted", false,
     {{Step::Press, 10, 10}, {Step::Move, 30, 10}, {Step::Escape}, {Step::Move, 60, 10}, {Step::Release, 60, 10}},
     {"begin 30,10", "move 30,10", "cancel"}, 1},
    {"AnyKeyTheObjectRefusesEndsIt", false,
     {{Step::Press, 10, 10}, {Step::Move, 30, 10}, {Step::LetterKey}, {Step::Release, 30, 10}},
     {"begin 30,10", "move 30,10", "cancel"}, 1},
    {"CaptureTakenByAnotherWindowEndsIt", false,
     {{Step::Press, 10, 10}, {Step::Move, 30, 10}, {Step::CaptureTakenElsewhere}, {Step::Move, 60, 10}},
     {"begin 30,10", "move 30,10", "cancel"}, 1},
    {"CancelModeEndsIt", false,
     {{Step::Press, 10, 10}, {Step::Move, 30, 10}, {Step::CancelMode}, {Step::Release, 30, 10}},
     {"begin 30,10", "move 30,10", "cancel"}, 1},
    {"ImmediateStartBeginsAtThePress", true,
     {{Step::Press, 10, 10}, {Step::Move, 11, 10}, {Step::Release, 11, 10}},
     {"begin 10,10", "move 11,10", "drop"}, 1},
    {"TwoDragsGetTwoObjects", false,
     {{Step::Press, 10, 10}, {Step::Move, 30, 10}, {Step::Release, 30, 10}, {Step::Press, 10, 30},
      {Step::Move, 10, 60}, {Step::Release, 10, 60}},
     {"begin 30,10", "move 30,10", "drop", "begin 10,60", "move 10,60", "drop"}, 2},
};

class InternalDragTest : public ControlTest, public ::testing::WithParamInterface<DragCase> {
 protected:
  void Run(DragControl* control, const std::vector<Action>& actions) {
    for (const Action& a : actions) {
      switch (a.step) {
        case Step::Press: MouseDown(control, a.x, a.y); break;
        case Step::Move: MouseMove(control, a.x, a.y); break;
        case Step::Release: MouseUp(control, a.x, a.y); break;
        case Step::Escape:
          win::headless::PressKey(win::VK_ESCAPE);
          Process();
          break;
        case Step::LetterKey:
          win::headless::PressKey('A');
          Process();
          break;
        case Step::CaptureTakenElsewhere:
          win::SetCapture(other_->Handle());
          Process();
          break;
        case Step::CancelMode: win::SendMessageW(control->Handle(), win::WM_CANCELMODE, 0, 0); break;
      }
    }
  }
  void SetUp() override {
    ControlTest::SetUp();
    other_ = Place<ui::TCustomControl>(400, 300, 50, 50);
  }
  ui::TWinControl* other_ = nullptr;
};

TEST_P(InternalDragTest, RunsAsThePointerAndKeysSay) {
  const DragCase& c = GetParam();
  auto* control = Place<DragControl>(20, 20, 300, 200);
  control->log.immediate = c.immediate;
  ui::Screen->SetCursor(ui::crCross);
  Run(control, c.actions);
  EXPECT_EQ(control->log.calls, c.calls);
  EXPECT_EQ(control->DragAndDropState(), TcxDragAndDropState::ddsNone);
  EXPECT_EQ(control->log.created, c.objects);
  EXPECT_EQ(control->log.destroyed, c.objects);  // every finished drag frees its object
  EXPECT_NE(win::GetCapture(), control->Handle());
  for (const Action& a : c.actions)  // the window that took the mouse keeps it
    if (a.step == Step::CaptureTakenElsewhere) { EXPECT_EQ(win::GetCapture(), other_->Handle()); }
  EXPECT_EQ(ui::Screen->Cursor(), ui::crCross);  // the cursor from before the drag is back
  ui::Screen->SetCursor(ui::crDefault);
}

INSTANTIATE_TEST_SUITE_P(Cases, InternalDragTest, ::testing::ValuesIn(kDragCases),
                         [](const auto& info) { return std::string(info.param.name); });

class InternalDrag : public ControlTest {};

TEST_F(InternalDrag, ShowsTheObjectsCursorAndHoldsTheMouse) {
  auto* control = Place<DragControl>(20, 20, 300, 200);
  control->log.acceptFromX = 100;
  MouseDown(control, 10, 10);
  MouseMove(control, 30, 10);
  EXPECT_EQ(win::GetCapture(), control->Handle());
  MouseMove(control, 150, 10);
  // Past the control's right edge the moves still come: the control holds the mouse.
  MouseMove(control, 340, 10);
  EXPECT_EQ(control->log.cursors, (std::vector<ui::TCursor>{ui::crNoDrop, ui::crDrag, ui::crDrag}));
  EXPECT_EQ(win::GetCursor(), ui::Screen->Cursors(ui::crDrag));
  MouseUp(control, 340, 10);
  EXPECT_EQ(control->log.calls.back(), "drop");
  EXPECT_EQ(ui::Screen->Cursor(), ui::crDefault);
}

TEST_F(InternalDrag, BarsThePlatformDragOfTheSamePress) {
  auto* control = Place<DragControl>(20, 20, 300, 200);
  control->SetDragMode(ui::dmAutomatic);
  // All queued before the press: a platform drag loop started by the press
  // would take the move and the release itself.
  const win::POINT p = ScreenPoint(control, 10, 10), q = ScreenPoint(control, 40, 10);
  win::headless::MouseMove(p.x, p.y);
  win::headless::MouseDown(win::MouseButton::Left, p.x, p.y);
  win::headless::MouseMove(q.x, q.y);
  win::headless::MouseUp(win::MouseButton::Left, q.x, q.y);
  Process();
  EXPECT_EQ(control->log.calls, (std::vector<std::string>{"begin 40,10", "move 40,10", "drop"}));
  EXPECT_EQ(control->DragAndDropState(), TcxDragAndDropState::ddsNone);
}

}  // namespace
}  // namespace lookandfeel

// Drag and drop between controls: a drag starts once the pointer passed the
// threshold, asks the control under it (enter / move / leave), drops on an
// accepting control at the button's release, and tells the source the
// outcome; Escape and a refusing target cancel it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/dragdrop.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

struct DragCase {
  const char* name;
  bool immediate;
  std::vector<TPoint> moves;  // offsets from the source's press point
  bool targetAccepts;
  bool escape;  // Escape instead of the release
  // Expected
  bool started;
  const char* targetLog;  // DragOver states and the drop seen by the target
  const char* endedOn;    // "target", "none", or "" when DoEndDrag never ran
};

// The source at (10, 10), the target 200 pixels to its right.
constexpr int kToTarget = 210;
const DragCase kDrags[] = {
    {"ReleaseInsideTheThresholdDragsNothing", false, {{2, 2}}, true, false, false, "", ""},
    {"PastTheThresholdDropsOnTheTarget", false, {{5, 0}, {kToTarget, 0}, {kToTarget + 5, 5}}, true, false, true,
     "enter,move,move,drop", "target"},  // the release point is asked once more
    {"RefusingTargetCancels", false, {{5, 0}, {kToTarget, 0}}, false, false, true, "enter,move,leave", "none"},
    {"EscapeCancels", false, {{5, 0}, {kToTarget, 0}}, true, true, true, "enter,leave", "none"},
    {"ImmediateStartsWithoutMoving", true, {}, true, false, true, "", "none"},
    {"LeavingTheTargetTellsIt", false, {{kToTarget, 0}, {100, 0}}, true, false, true, "enter,leave", "none"},
};

class DragDropTest : public UiTest, public ::testing::WithParamInterface<DragCase> {};

std::string stateName(TDragState s) {
  return s == dsDragEnter ? "enter" : s == dsDragMove ? "move" : "leave";
}

TEST_P(DragDropTest, RunsAsThePointerAndKeysSay) {
  const DragCase& c = GetParam();
  Owned<TForm> form = Make<TForm>(nullptr);
  form->SetBounds(100, 100, 500, 300);
  auto* source = rtl::Create<TPanel>(form.get());
  source->SetParent(form.get());
  source->SetBounds(10, 10, 100, 100);
  auto* target = rtl::Create<TPanel>(form.get());
  target->SetParent(form.get());
  target->SetBounds(200, 10, 100, 100);
  form->Show();
  Process();

  int starts = 0;
  std::string ended = "";
  std::vector<std::string> log;
  TDragObject* object = nullptr;
  source->SetOnStartDrag(TStartDragEvent::fromClosure(source, [&](rtl::TObject*, std::unique_ptr<TDragObject>&) {
    ++starts;
  }));
  source->SetOnEndDrag(TEndDragEvent::fromClosure(source, [&](rtl::TObject*, rtl::TObject* t, int, int) {
    ended = t == target ? "target" : t == nullptr ? "none" : "other";
  }));
  target->SetOnDragOver(TDragOverEvent::fromClosure(
      target, [&](rtl::TObject*, rtl::TObject* src, int, int, TDragState state, bool& accept) {
        object = dynamic_cast<TDragObject*>(src);
        EXPECT_EQ(object, ActiveDragObject());
        auto* controlObject = dynamic_cast<TBaseDragControlObject*>(src);
        ASSERT_NE(controlObject, nullptr);
        EXPECT_EQ(controlObject->Control(), source);
        log.push_back(stateName(state));
        accept = c.targetAccepts;
      }));
  TPoint dropAt{-1, -1};
  target->SetOnDragDrop(TDragDropEvent::fromClosure(target, [&](rtl::TObject*, rtl::TObject*, int x, int y) {
    log.push_back("drop");
    dropAt = TPoint{x, y};
  }));

  const TPoint start = source->ClientToScreen(TPoint{50, 50});
  win::headless::MouseMove(start.x, start.y);
  Process();
  for (const TPoint& d : c.moves) {
    win::headless::MouseMove(start.x + d.x, start.y + d.y);
    win::headless::PressKey(win::VK_SHIFT);  // keeps queued moves apart
  }
  const TPoint end = c.moves.empty() ? start : TPoint{start.x + c.moves.back().x, start.y + c.moves.back().y};
  if (c.escape)
    win::headless::PressKey(win::VK_ESCAPE);
  else
    win::headless::MouseUp(win::MouseButton::Left, end.x, end.y);
  source->BeginDrag(c.immediate);

  EXPECT_EQ(starts, c.started ? 1 : 0);
  std::string joined;
  for (const std::string& s : log) joined += (joined.empty() ? "" : ",") + s;
  EXPECT_EQ(joined, c.targetLog);
  EXPECT_EQ(ended, c.endedOn);
  EXPECT_EQ(win::GetCapture(), nullptr);
  EXPECT_EQ(ActiveDragObject(), nullptr);
  EXPECT_FALSE(source->Dragging());
  if (std::string(c.targetLog).find("drop") != std::string::npos) {
    EXPECT_EQ(dropAt, target->ScreenToClient(end));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, DragDropTest, ::testing::ValuesIn(kDrags),
                         [](const auto& info) { return std::string(info.param.name); });

class DragCursorTest : public UiTest {};

TEST_F(DragCursorTest, CursorFollowsTheAnswerAndEndDragStopsTheLoop) {
  Owned<TForm> form = Make<TForm>(nullptr);
  form->SetBounds(100, 100, 500, 300);
  auto* source = rtl::Create<TPanel>(form.get());
  source->SetParent(form.get());
  source->SetBounds(10, 10, 100, 100);
  form->Show();
  Process();
  std::vector<TCursor> cursors;
  bool accept = false;
  // The source is its own target: refuses, then accepts, then ends the drag
  // from inside its handler (no button release comes).
  source->SetOnDragOver(TDragOverEvent::fromClosure(
      source, [&](rtl::TObject*, rtl::TObject* src, int, int, TDragState, bool& a) {
        auto* object = static_cast<TDragObject*>(src);
        if (object->DragTarget() == source) cursors.push_back(object->DragCursor());
        a = accept;
        accept = !accept;
        if (cursors.size() == 2) source->EndDrag(false);
      }));
  const TPoint start = source->ClientToScreen(TPoint{50, 50});
  win::headless::MouseMove(start.x, start.y);
  Process();
  for (int i = 1; i <= 3; ++i) {
    win::headless::MouseMove(start.x + i, start.y);
    win::headless::PressKey(win::VK_SHIFT);
  }
  source->BeginDrag(true);
  // The cursor each move showed: refused (start), accepted (first move),
  // refused (second move), which the leave of the cancel still sees; the
  // third move waits unasked.
  EXPECT_EQ(cursors, (std::vector<TCursor>{crNoDrop, crDrag, crNoDrop}));
  EXPECT_EQ(win::GetCapture(), nullptr);
  Process();
}

}  // namespace

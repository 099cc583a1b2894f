// The base control on a headless screen with the test clock: the order of
// the paint cycle's messages, erasing, focus and capture through injected
// clicks, the wheel accumulator, dialog codes, mouse tracking, the modal
// drag detection, the hourglass counter, the locked-state image and a
// handler that destroys its control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/lookandfeel/cxControls.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/forms.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::ControlTest;

// A control that notes what reaches it.
class ProbeControl : public TcxControl {
 public:
  explicit ProbeControl(rtl::TComponent* owner) : TcxControl(owner) {}

  std::vector<std::string> paints;  // "paint", "paint(dc)", "erase", "erase(memory)"
  std::vector<std::string> scrolls;
  std::vector<ui::TPoint> afterDowns;
  TcxMouseWheelScrollingKind wheelKind = TcxMouseWheelScrollingKind::mwskVertical;
  TColor fill = ui::clRed;
  bool verticalBar = false;
  int leftDowns = 0;

  void Scroll(TScrollBarKind kind, TScrollCode code, int& pos) override {
    static const char* names[] = {"LineUp", "LineDown", "PageUp", "PageDown", "Position",
                                  "Track",  "Top",      "Bottom", "EndScroll"};
    scrolls.push_back(std::string(kind == TScrollBarKind::sbVertical ? "V" : "H") + names[int(code)]);
  }
  void Dispatch(void* message) override {
    auto& m = *static_cast<ui::TMessage*>(message);
    if (m.Msg == win::WM_PAINT) paints.push_back(m.WParam ? "paint(dc)" : "paint");
    if (m.Msg == win::WM_ERASEBKGND) paints.push_back(cxIsDrawToMemory(m) ? "erase(memory)" : "erase");
    TcxControl::Dispatch(message);
  }
  using TcxControl::DoMouseWheel;

 protected:
  TcxMouseWheelScrollingKind GetMouseWheelScrollingKind() override { return wheelKind; }
  void InitScrollBarsParameters() override {
    SetScrollBarInfo(TScrollBarKind::sbVertical, 0, verticalBar ? 999 : 0, 1, 10, 0, true, true);
    SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, 0, 1, 10, 0, true, true);
  }
  void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override {
    if (button == ui::mbLeft) ++leftDowns;
    TcxControl::MouseDown(button, shift, x, y);
  }
  void DoPaint() override {
    TcxControl::DoPaint();
    cxCanvas()->FillRect(ClientBounds(), fill);
  }
  void AfterMouseDown(ui::TMouseButton button, int x, int y) override {
    afterDowns.push_back(ui::TPoint{x, y});
    TcxControl::AfterMouseDown(button, x, y);
  }
};

class BaseControlTest : public ControlTest {
 protected:
  ProbeControl* MakeProbe(int left = 20, int top = 20, int width = 200, int height = 100) {
    return Place<ProbeControl>(left, top, width, height);
  }
  // 0xAARRGGBB of a screenshot pixel, without the alpha.
  static unsigned Pixel(const gdi::ImageBGRA& image, int x, int y) {
    return image.pixels[size_t(y) * image.width + x] & 0xFFFFFFu;
  }
};

// ---- paint cycle -----------------------------------------------------------------------------

TEST_F(BaseControlTest, DoubleBufferedPaintErasesAndPaintsIntoMemoryOnly) {
  ProbeControl* c = MakeProbe();
  c->paints.clear();
  c->Invalidate();
  Process();
  // The window's own erase (if any) draws nothing; the real erase and paint
  // go to the memory context, each with the context in the message.
  std::vector<std::string> buffered;
  for (const std::string& p : c->paints)
    if (p != "erase") buffered.push_back(p);
  EXPECT_EQ(buffered, (std::vector<std::string>{"paint", "erase(memory)", "paint(dc)"}));
  const gdi::ImageBGRA shot = win::headless::Screenshot(form()->Handle());
  EXPECT_EQ(Pixel(shot, 20 + 100, 20 + 50), 0xFF0000u);
}

TEST_F(BaseControlTest, PaintMessageWithADeviceContextTakesTheStandardPath) {
  ProbeControl* c = MakeProbe();
  core::TcxBitmap bitmap(200, 100, ui::pf32bit);
  c->paints.clear();
  c->Perform(win::WM_PAINT, reinterpret_cast<win::WPARAM>(bitmap.Canvas()->Handle()), 0);
  EXPECT_EQ(c->paints, (std::vector<std::string>{"paint(dc)"}));
}

// A control with a frame of its own around the client: the frame is painted
// through PaintNonClientArea, and a print of the whole window takes it too.
class FramedProbe : public ProbeControl {
 public:
  explicit FramedProbe(rtl::TComponent* owner) : ProbeControl(owner) {}
  void Dispatch(void* message) override {
    ProbeControl::Dispatch(message);
    auto& m = *static_cast<ui::TMessage*>(message);
    if (m.Msg == win::WM_NCCALCSIZE && m.LParam) {
      auto* r = reinterpret_cast<win::RECT*>(m.LParam);
      r->left += 4; r->top += 4; r->right -= 4; r->bottom -= 4;
    }
  }

 protected:
  bool HasNonClientArea() override { return true; }
  TRect GetClientOffsets() override { return TRect{4, 4, 4, 4}; }
  void PaintNonClientArea(core::TcxCanvas* canvas) override {
    canvas->FillRect(TRect{0, 0, Width(), Height()}, ui::clLime);
  }
};

TEST_F(BaseControlTest, OwnFrameIsPaintedAroundTheClientAndPrinted) {
  FramedProbe* c = Place<FramedProbe>(20, 20, 100, 60);
  c->fill = ui::clBlue;
  win::RedrawWindow(c->Handle(), nullptr, nullptr, win::RDW_FRAME | win::RDW_INVALIDATE | win::RDW_UPDATENOW);
  Process();
  EXPECT_EQ(c->ClientWidth(), 92);
  const gdi::ImageBGRA shot = win::headless::Screenshot(form()->Handle());
  EXPECT_EQ(Pixel(shot, 20 + 1, 20 + 1), 0x00FF00u);      // frame
  EXPECT_EQ(Pixel(shot, 20 + 98, 20 + 58), 0x00FF00u);
  EXPECT_EQ(Pixel(shot, 20 + 50, 20 + 30), 0x0000FFu);    // client
  core::TcxBitmap printed(100, 60, ui::pf32bit);
  c->Perform(win::WM_PRINT, reinterpret_cast<win::WPARAM>(printed.Canvas()->Handle()), win::PRF_NONCLIENT);
  EXPECT_EQ(printed.Canvas()->Pixels(1, 1), ui::clLime);
}

struct EraseCase {
  const char* name;
  bool memoryMark;   // WParam equals LParam
  int result;
  bool filled;
};
const EraseCase kErases[] = {
    {"SystemEraseOfOpaqueBufferedControlDrawsNothing", false, 0, false},
    {"EraseIntoTheMemoryContextFillsWithTheBrush", true, 1, true},
};

class EraseTest : public BaseControlTest, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(EraseTest, AnswersAndDraws) {
  const EraseCase& e = GetParam();
  ProbeControl* c = MakeProbe();
  c->SetColor(ui::clBlue);
  core::TcxBitmap bitmap(200, 100, ui::pf32bit);
  bitmap.Canvas()->Brush()->SetColor(ui::clWhite);
  bitmap.Canvas()->FillRect(TRect{0, 0, 200, 100});
  const auto dc = reinterpret_cast<win::WPARAM>(bitmap.Canvas()->Handle());
  const win::LRESULT result = c->Perform(win::WM_ERASEBKGND, dc, e.memoryMark ? win::LPARAM(dc) : 0);
  EXPECT_EQ(result, e.result);
  EXPECT_EQ(bitmap.Canvas()->Pixels(10, 10) == ui::clBlue, e.filled);
}

INSTANTIATE_TEST_SUITE_P(Cases, EraseTest, ::testing::ValuesIn(kErases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BaseControlTest, BorderSizeIsZeroWithoutABorderWhateverThePainter) {
  ProbeControl* c = MakeProbe();
  EXPECT_EQ(c->BorderSize(), 0);
  c->SetBorderStyle(TcxControlBorderStyle::cxcbsDefault);
  EXPECT_EQ(c->BorderSize(), c->LookAndFeelPainter()->BorderSize());
}

// ---- mouse, focus and capture ---------------------------------------------------------------------

TEST_F(BaseControlTest, ClickFocusesAndHoldsTheButtonUntilRelease) {
  ProbeControl* c = MakeProbe();
  MouseDown(c, 50, 40);
  EXPECT_TRUE(c->Focused());
  EXPECT_TRUE(c->MouseButtonPressed());
  EXPECT_EQ(c->MouseDownPos().x, 50);
  EXPECT_EQ(c->ActivateType(), TcxControlActivateType::atOther);
  ASSERT_EQ(c->afterDowns.size(), 1u);
  EXPECT_EQ(c->afterDowns[0].x, 50);
  MouseUp(c, 50, 40);
  EXPECT_FALSE(c->MouseButtonPressed());
}

TEST_F(BaseControlTest, CancelModeEndsThePressAndTheCaptureObject) {
  ProbeControl* c = MakeProbe();
  struct CaptureObject : rtl::TObject, IcxMouseCaptureObject {
    int cancels = 0;
    void DoCancelMode() override { ++cancels; }
  } first, second;
  MouseDown(c, 50, 40);
  c->SetMouseCaptureObject(&first);
  EXPECT_EQ(win::GetCapture(), c->Handle());
  c->SetMouseCaptureObject(&second);
  EXPECT_EQ(first.cancels, 1);
  c->Perform(win::WM_CANCELMODE, 0, 0);
  EXPECT_EQ(second.cancels, 1);
  EXPECT_EQ(c->MouseCaptureObject(), nullptr);
  EXPECT_FALSE(c->MouseButtonPressed());
  EXPECT_EQ(win::GetCapture(), nullptr);
}

// A control wider than 16-bit coordinates reads the click from the cursor.
TEST_F(BaseControlTest, ClickBeyond32768PixelsKeepsItsTrueCoordinate) {
  ProbeControl* c = MakeProbe(-39400, 0, 50000, 100);
  MouseDown(c, 40000, 30);
  ASSERT_EQ(c->afterDowns.size(), 1u);
  EXPECT_EQ(c->afterDowns[0].x, 40000);
  MouseUp(c, 40000, 30);
}

// A mouse-down handler that frees its control (as closing a form does)
// leaves nothing that touches the freed control afterwards.
class SelfDestroyingHandler : public BaseControlTest {
 public:
  void OnMouseDown(rtl::TObject* sender, ui::TMouseButton, ui::TShiftState, int, int) {
    static_cast<rtl::TObject*>(sender)->Free();
    freed = true;
  }
  bool freed = false;
};

TEST_F(SelfDestroyingHandler, MouseDownThatFreesTheControlIsSurvived) {
  ProbeControl* c = MakeProbe();
  c->SetOnMouseDown(ui::TMouseEvent::bind<&SelfDestroyingHandler::OnMouseDown>(this));
  const win::POINT p = ScreenPoint(c, 50, 40);
  MouseDown(c, 50, 40);
  EXPECT_TRUE(freed);
  win::headless::MouseUp(win::MouseButton::Left, p.x, p.y);
  Process();
  EXPECT_EQ(form()->ControlCount(), 0);
}

// A middle click released without moving keeps autoscrolling on; the next
// click ends it and never reaches the control.
TEST_F(BaseControlTest, MiddleClickAutoscrollEndsAtTheNextClickWhichItSwallows) {
  ProbeControl* c = MakeProbe();
  c->verticalBar = true;
  c->UpdateScrollBars();
  ASSERT_TRUE(c->VScrollBarVisible());
  const win::POINT p = ScreenPoint(c, 50, 40);
  win::headless::MouseMove(p.x, p.y);
  win::headless::MouseDown(win::MouseButton::Middle, p.x, p.y);
  win::headless::MouseUp(win::MouseButton::Middle, p.x, p.y);
  win::headless::MouseDown(win::MouseButton::Left, p.x, p.y);
  win::headless::MouseUp(win::MouseButton::Left, p.x, p.y);
  Process();
  EXPECT_EQ(c->leftDowns, 0);
  EXPECT_FALSE(c->IsScrollingContent());
  EXPECT_EQ(win::GetCapture(), nullptr);
  EXPECT_TRUE(c->scrolls.empty());
}

class EnterLeaveCounter {
 public:
  void OnEnter(rtl::TObject*) { lines.push_back("enter"); }
  void OnLeave(rtl::TObject*) { lines.push_back("leave"); }
  std::vector<std::string> lines;
};

TEST_F(BaseControlTest, MouseEnterAndLeaveAlternateStrictlyAndIgnoreChildren) {
  ProbeControl* c = MakeProbe();
  EnterLeaveCounter counter;
  c->SetOnMouseEnter(rtl::TNotifyEvent::bind<&EnterLeaveCounter::OnEnter>(&counter));
  c->SetOnMouseLeave(rtl::TNotifyEvent::bind<&EnterLeaveCounter::OnLeave>(&counter));
  auto child = reinterpret_cast<win::LPARAM>(form());
  c->Perform(ui::CM_MOUSELEAVE, 0, 0);      // no enter yet: nothing
  c->Perform(ui::CM_MOUSEENTER, 0, 0);
  c->Perform(ui::CM_MOUSEENTER, 0, 0);      // a second enter: nothing
  c->Perform(ui::CM_MOUSELEAVE, 0, child);  // another control's: ignored
  c->Perform(ui::CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(counter.lines, (std::vector<std::string>{"enter", "leave"}));
}

// ---- wheel and keys ------------------------------------------------------------------------------

struct WheelCase {
  const char* name;
  std::vector<int> deltas;
  int lines;
  TcxMouseWheelScrollingKind kind;
  std::vector<std::string> scrolls;
};

const WheelCase kWheels[] = {
    {"TwoHalfNotchesMakeOneStep", {60, 60}, 1, TcxMouseWheelScrollingKind::mwskVertical, {"VLineUp"}},
    {"SignChangeRestartsTheSum", {60, -60, -60}, 1, TcxMouseWheelScrollingKind::mwskVertical, {"VLineDown"}},
    {"BigDeltaCountsAsOneNotch", {240}, 1, TcxMouseWheelScrollingKind::mwskVertical, {"VLineUp"}},
    {"ThreeLinesPerNotch", {-120}, 3, TcxMouseWheelScrollingKind::mwskVertical,
     {"VLineDown", "VLineDown", "VLineDown"}},
    {"HorizontalKindScrollsLeft", {120}, 1, TcxMouseWheelScrollingKind::mwskHorizontal, {"HLineUp"}},
    {"PagePerNotchIsVerticalEvenForHorizontalKind", {120}, -1, TcxMouseWheelScrollingKind::mwskHorizontal,
     {"VPageUp"}},
    {"NoScrollingKindLeavesTheWheel", {120, 120}, 1, TcxMouseWheelScrollingKind::mwskNone, {}},
};

class WheelTest : public BaseControlTest, public ::testing::WithParamInterface<WheelCase> {
 protected:
  void TearDown() override {
    ui::Mouse()->SetWheelScrollLines(3);
    BaseControlTest::TearDown();
  }
};

TEST_P(WheelTest, AccumulatesNotchesIntoSteps) {
  const WheelCase& w = GetParam();
  ProbeControl* c = MakeProbe();
  c->wheelKind = w.kind;
  ui::Mouse()->SetWheelScrollLines(w.lines);
  for (int delta : w.deltas)
    c->Perform(ui::CM_MOUSEWHEEL, win::WPARAM(win::MAKELONG(0, win::WORD(short(delta)))), 0);
  EXPECT_EQ(c->scrolls, w.scrolls);
}

INSTANTIATE_TEST_SUITE_P(Cases, WheelTest, ::testing::ValuesIn(kWheels),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BaseControlTest, DialogCodeSumsTheKeysAndDropsTabWhileCtrlIsDown) {
  ProbeControl* c = MakeProbe();
  c->SetKeys(TcxKeys{TcxKey::kArrows, TcxKey::kTab});
  EXPECT_EQ(c->Perform(win::WM_GETDLGCODE, 0, 0), 3);
  win::headless::KeyDown(win::VK_CONTROL);
  Process();
  EXPECT_EQ(c->Perform(win::WM_GETDLGCODE, 0, 0), 1);
  win::headless::KeyUp(win::VK_CONTROL);
  Process();
}

// A popup menu of the library's kind that answers one short-cut key.
class FakeMenu : public rtl::TComponent, public IcxPopupMenu {
 public:
  explicit FakeMenu(rtl::TComponent* owner) : rtl::TComponent(owner) {}
  bool IsShortCutKey(ui::TMessage& message) override { return message.WParam == 'K'; }
  void Popup(int, int) override { ++popups; }
  int popups = 0;
};

TEST_F(BaseControlTest, PopupMenuIsKeptOnlyWhenItIsOneAndForgottenWhenFreed) {
  ProbeControl* c = MakeProbe();
  testing::Owned<rtl::TComponent> notAMenu(rtl::Create<rtl::TComponent>(nullptr));
  c->SetPopupMenu(notAMenu.get());
  EXPECT_EQ(c->PopupMenu(), nullptr);
  auto* menu = rtl::Create<FakeMenu>(nullptr);
  c->SetPopupMenu(menu);
  EXPECT_EQ(c->PopupMenu(), menu);
  menu->Free();
  EXPECT_EQ(c->PopupMenu(), nullptr);
}

TEST_F(BaseControlTest, ShortCutOfAnOuterControlsMenuIsTakenInAnInnerControl) {
  ProbeControl* outer = MakeProbe(10, 10, 300, 200);
  auto* middle = rtl::Create<ui::TCustomControl>(form());
  middle->SetParent(outer);
  auto* inner = rtl::Create<ProbeControl>(form());
  inner->SetParent(middle);
  testing::Owned<FakeMenu> menu(rtl::Create<FakeMenu>(nullptr));
  outer->SetPopupMenu(menu.get());
  EXPECT_EQ(inner->Perform(ui::CN_KEYDOWN, 'K', 0), 1);
  EXPECT_EQ(inner->Perform(ui::CN_KEYDOWN, 'J', 0), 0);
  outer->SetPopupMenu(nullptr);
}

// ---- unit routines -------------------------------------------------------------------------------

struct TrackedCaller : IcxMouseTrackingCaller {
  int leaves = 0;
  void MouseLeave() override { ++leaves; }
};

TEST_F(BaseControlTest, MouseTrackingReportsTheLeaveOnceOnTheNextPoll) {
  ProbeControl* c = MakeProbe();
  TrackedCaller caller;
  MouseMove(c, 10, 10);
  BeginMouseTracking(c, TRect{0, 0, 50, 50}, &caller);
  BeginMouseTracking(c, TRect{0, 0, 50, 50}, &caller);  // one timer per caller
  EXPECT_EQ(MouseTrackingCount(), 1);
  Advance(30);
  EXPECT_EQ(caller.leaves, 0);
  MouseMove(c, 120, 10);  // still on the control, off the tracked rectangle
  Advance(9);
  EXPECT_EQ(caller.leaves, 0);
  Advance(1);
  EXPECT_EQ(caller.leaves, 1);
  EXPECT_FALSE(IsMouseTracking(&caller));
  Advance(50);
  EXPECT_EQ(caller.leaves, 1);
}

struct DragDetectCase {
  const char* name;
  int dx, dy;         // pointer move from the start point (0, 0: none)
  bool releaseFirst;  // a button up before the move
  bool escape;
  TcxDragDetect expected;
};
const DragDetectCase kDragDetects[] = {
    {"MoveInsideTheZoneThenReleaseIsNoDrag", 3, 3, true, false, TcxDragDetect::ddNone},
    {"LeavingTheEightPixelSquareIsADrag", 4, 0, false, false, TcxDragDetect::ddDrag},
    {"EscapeCancels", 0, 0, false, true, TcxDragDetect::ddCancel},
};

class DragDetectTest : public BaseControlTest, public ::testing::WithParamInterface<DragDetectCase> {};

TEST_P(DragDetectTest, EndsAsThePointerAndKeysSay) {
  const DragDetectCase& d = GetParam();
  ProbeControl* c = MakeProbe();
  const win::POINT start = ScreenPoint(c, 50, 50);
  win::headless::MouseMove(start.x, start.y);
  Process();
  if (d.escape) win::headless::KeyDown(win::VK_ESCAPE);
  if (d.releaseFirst) {
    if (d.dx || d.dy) win::headless::MouseMove(start.x + d.dx, start.y + d.dy);
    win::headless::MouseUp(win::MouseButton::Left, start.x + d.dx, start.y + d.dy);
  } else if (d.dx || d.dy) {
    win::headless::MouseMove(start.x + d.dx, start.y + d.dy);
  }
  EXPECT_EQ(cxDragDetect(c->Handle(), ui::TPoint{start.x, start.y}), d.expected);
  EXPECT_EQ(win::GetCapture(), nullptr);
  if (d.escape) win::headless::KeyUp(win::VK_ESCAPE);
}

INSTANTIATE_TEST_SUITE_P(Cases, DragDetectTest, ::testing::ValuesIn(kDragDetects),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BaseControlTest, LayeredAttributesMakeAndUnmakeALayeredWindow) {
  auto layered = [this] {
    return (win::GetWindowLongPtrW(form()->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED) != 0;
  };
  cxSetLayeredWindowAttributes(form()->Handle(), 255);  // not layered: nothing changes
  EXPECT_FALSE(layered());
  cxSetLayeredWindowAttributes(form()->Handle(), 128);
  EXPECT_TRUE(layered());
  cxSetLayeredWindowAttributes(form()->Handle(), 255);
  EXPECT_FALSE(layered());
}

TEST_F(BaseControlTest, HandleCanBeAllocatedThroughAParentFormWithoutAWindowYet) {
  testing::Owned<ui::TForm> other(rtl::Create<ui::TForm>(nullptr));
  auto* panel = rtl::Create<ui::TCustomControl>(other.get());
  EXPECT_FALSE(CanAllocateHandle(panel));  // no parent at all
  panel->SetParent(other.get());
  EXPECT_FALSE(other->HandleAllocated());
  EXPECT_TRUE(CanAllocateHandle(panel));
  EXPECT_FALSE(CanAllocateHandle(nullptr));
}

TEST(ControlRoutines, AutoscrollSpeedGrowsWithDistanceUpToTwelve) {
  EXPECT_EQ(cxAutoScrollSpeed(65, 32), 10);
  EXPECT_EQ(cxAutoScrollSpeed(70, 32), 11);
  EXPECT_EQ(cxAutoScrollSpeed(71, 32), 12);
  EXPECT_EQ(cxAutoScrollSpeed(500, 32), 12);
}

TEST_F(BaseControlTest, HourglassNestsAndRestoresTheCursorBeforeTheFirstShow) {
  ui::Screen->SetCursor(ui::crCross);
  ShowHourglassCursor();
  ShowHourglassCursor();
  HideHourglassCursor();
  EXPECT_EQ(ui::Screen->Cursor(), ui::crHourGlass);
  HideHourglassCursor();
  EXPECT_EQ(ui::Screen->Cursor(), ui::crCross);
  HideHourglassCursor();  // unbalanced: nothing
  EXPECT_EQ(ui::Screen->Cursor(), ui::crCross);
  ui::Screen->SetCursor(ui::crDefault);
}

TEST_F(BaseControlTest, ControlCursorsAreRegisteredInTheScreen) {
  MakeProbe();
  ASSERT_EQ(ControlCursorTable().size(), 26u);
  for (const ControlCursor& c : ControlCursorTable()) {
    EXPECT_NE(c.id, 2118);
    EXPECT_NE(ui::Screen->Cursors(c.id), ui::Screen->Cursors(ui::crDefault)) << c.resource;
  }
}

// ---- locked-state image ---------------------------------------------------------------------------

class LockedOptions : public TcxLockedStateImageOptions {
 public:
  LockedOptions(rtl::TComponent* owner, ui::TFont* followed) : TcxLockedStateImageOptions(owner), followed_(followed) {}

 protected:
  ui::TFont* GetFont() override { return followed_; }

 private:
  ui::TFont* followed_;
};

class LockedHelper : public TcxLockedStatePaintHelper {
 public:
  LockedHelper(TcxControl* control, TcxLockedStateImageOptions* options)
      : TcxLockedStatePaintHelper(control), control_(control), options_(options) {}

 protected:
  TcxLockedStateImageOptions* GetOptions() override { return options_; }
  TcxControl* GetControl() override { return control_; }

 private:
  TcxControl* control_;
  TcxLockedStateImageOptions* options_;
};

TEST_F(BaseControlTest, NestedLockedPaintCapturesOnceAndReleasesAtTheOutermostEnd) {
  ProbeControl* c = MakeProbe();
  testing::Owned<LockedOptions> options(rtl::Create<LockedOptions>(c, c->Font()));
  LockedHelper helper(c, options.get());
  helper.BeginLockedPaint(TcxLockedStateImageShowingMode::lsimPending);
  helper.BeginLockedPaint(TcxLockedStateImageShowingMode::lsimPending);
  helper.EndLockedPaint();
  core::TcxBitmap* image = helper.GetImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 200);
  EXPECT_EQ(image->Canvas()->Pixels(100, 50), ui::clRed);  // the captured content
  helper.EndLockedPaint();
  EXPECT_EQ(helper.GetImage(), nullptr);
}

TEST_F(BaseControlTest, DarkEffectDimsTheCapturedPicture) {
  ProbeControl* c = MakeProbe();
  c->fill = ui::clWhite;
  c->Invalidate();
  Process();
  testing::Owned<LockedOptions> options(rtl::Create<LockedOptions>(c, c->Font()));
  options->SetEffect(TcxLockedStateImageEffect::lsieDark);
  LockedHelper helper(c, options.get());
  helper.BeginLockedPaint(TcxLockedStateImageShowingMode::lsimPending);
  core::TcxBitmap* image = helper.GetImage();
  ASSERT_NE(image, nullptr);
  EXPECT_NE(image->Canvas()->Pixels(5, 5), ui::clWhite);
  helper.EndLockedPaint();
}

TEST_F(BaseControlTest, LockedOptionsFontFollowsTheControlUntilAssigned) {
  ProbeControl* c = MakeProbe();
  testing::Owned<LockedOptions> options(rtl::Create<LockedOptions>(c, c->Font()));
  EXPECT_TRUE(options->AssignedValues().empty());
  EXPECT_FALSE(options->IsTextStored());
  ui::TFont other;
  other.SetSize(20);
  options->SetFont(&other);
  EXPECT_TRUE(options->AssignedValues().contains(TcxLockedStateImageAssignedValue::lsiavFont));
  options->SetAssignedValues({});
  EXPECT_EQ(options->Font()->Size(), c->Font()->Size());
  EXPECT_TRUE(options->AssignedValues().empty());
  options->SetText(u"Busy");
  EXPECT_TRUE(options->IsTextStored());
}

}  // namespace
}  // namespace lookandfeel

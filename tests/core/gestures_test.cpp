// Touch gestures with fake system functions, owners and clients: the
// tables, configuration without gesture support, pan with over-pan
// feedback, zoom deltas and gestures passing to a parent control.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lib/core/dxGestures.h"
#include "lib/core/dxUxTheme.h"
#include "lib/core/dxThemeManager.h"
#include "platform/rtl/registry.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"

namespace core {
namespace {

using ui::TMessage;
using Opt = TInteractiveGestureOption;
using Lines = std::vector<std::string>;

// --- tables and routines ---------------------------------------------------------------------

TEST(GestureTables, GesturesAndPanOptionsMapBothWays) {
  struct GestureCase {
    int id;
    TInteractiveGesture gesture;
  } gestures[] = {{3, TInteractiveGesture::igZoom},         {4, TInteractiveGesture::igPan},
                  {5, TInteractiveGesture::igRotate},       {6, TInteractiveGesture::igTwoFingerTap},
                  {7, TInteractiveGesture::igPressAndTap},  {1, TInteractiveGesture::igPressAndTap},
                  {99, TInteractiveGesture::igPressAndTap}};
  for (const auto& c : gestures) EXPECT_EQ(GetInteractiveGestureByGestureID(c.id), c.gesture) << c.id;

  struct OptionCase {
    int flags;
    TInteractiveGestureOptions options;
  } options[] = {
      {0, {}},
      {2, {Opt::igoPanSingleFingerVertical}},
      {4, {Opt::igoPanSingleFingerHorizontal}},
      {8, {Opt::igoPanGutter}},
      {16, {Opt::igoPanInertia}},
      {2 | 8, {Opt::igoPanSingleFingerVertical, Opt::igoPanGutter}},
      {2 | 4 | 8 | 16,
       {Opt::igoPanSingleFingerVertical, Opt::igoPanSingleFingerHorizontal, Opt::igoPanGutter, Opt::igoPanInertia}},
      {1 | 32, {}},  // not pan options
  };
  for (const auto& c : options) {
    EXPECT_EQ(GetInteractiveGestureOptionsByPanOptions(c.flags), c.options) << c.flags;
    EXPECT_EQ(GetPanOptionsByInteractiveGestureOptions(c.options), c.flags & 30) << c.flags;
  }
  // Parent pass-through is no pan option.
  EXPECT_EQ(GetPanOptionsByInteractiveGestureOptions({Opt::igoParentPassthrough}), 0);
}

TEST(GestureTables, TouchEventsAreTouchOrPen) {
  using namespace ui;
  struct Case {
    TShiftState shift;
    bool touch;
  } cases[] = {{{}, false}, {{ssLeft}, false}, {{ssLeft, ssDouble, ssCtrl}, false}, {{ssTouch}, true},
               {{ssPen, ssLeft}, true}};
  for (const auto& c : cases) EXPECT_EQ(dxIsTouchEvent(c.shift), c.touch) << c.shift.Bits();
}

// System gesture functions that answer as the test says.
class FakeSystem : public IdxGestureProvider {
 public:
  std::vector<TdxGestureConfig> configs;
  win::UINT recordSize = 0;
  TdxGestureInfo next;
  bool infoFails = false;
  int closed = 0;
  bool HasGestureInfo() override { return true; }
  win::BOOL GetGestureInfo(HGESTUREINFO, TdxGestureInfo* info) override {
    if (infoFails) return 0;
    *info = next;
    return 1;
  }
  win::BOOL CloseGestureInfoHandle(HGESTUREINFO) override {
    ++closed;
    return 1;
  }
  bool HasSetGestureConfig() override { return true; }
  win::BOOL SetGestureConfig(win::HWND, win::DWORD, win::UINT count, const TdxGestureConfig* c,
                             win::UINT size) override {
    configs.assign(c, c + count);
    recordSize = size;
    return 1;
  }
};

TEST(GestureRoutines, ConfigurationWithAndWithoutGestureSupport) {
  ASSERT_EQ(dxGestureProvider(), nullptr);  // touch input is not available
  TMessage message;
  EXPECT_FALSE(dxSetGestureConfig(nullptr, {TdxGestureConfig{4, 1, 0}}));
  EXPECT_FALSE(dxLockGestures(nullptr, message));
  EXPECT_EQ(message.Result, 1);
  TPoint p{10, 20};
  EXPECT_FALSE(dxPhysicalToLogicalPoint(nullptr, p));
  EXPECT_EQ(p, (TPoint{10, 20}));
  EXPECT_FALSE(dxIsProcessDPIAware());

  FakeSystem system;
  dxSetGestureProvider(&system);
  TMessage locked;
  EXPECT_TRUE(dxLockGestures(nullptr, locked));
  EXPECT_EQ(locked.Result, 1);
  ASSERT_EQ(system.configs.size(), 1u);
  EXPECT_EQ(system.configs[0].dwID, 0u);
  EXPECT_EQ(system.configs[0].dwWant, 0u);
  EXPECT_EQ(system.configs[0].dwBlock, 1u);
  EXPECT_EQ(system.recordSize, 12u);
  dxSetGestureProvider(nullptr);
}

TEST(GestureRoutines, DesktopResolutionComesFromTheAppliedDPIValue) {
  const auto folder = std::filesystem::temp_directory_path() / ("h16a-dpi-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  rtl::SetRegistryFolder(folder);
  dxResetDesktopCurrentDPI();
  EXPECT_EQ(GetDesktopCurrentDPI(), 96);  // no value: the screen's
  {
    rtl::TRegistry reg;
    reg.SetRootKey(rtl::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(u"Control Panel\\Desktop\\WindowMetrics", true));
    reg.WriteInteger(u"AppliedDPI", 144);
  }
  EXPECT_EQ(GetDesktopCurrentDPI(), 96);  // read once
  dxResetDesktopCurrentDPI();
  EXPECT_EQ(GetDesktopCurrentDPI(), 144);
  rtl::SetRegistryFolder({});
  dxResetDesktopCurrentDPI();
  std::filesystem::remove_all(folder);
}

// --- the helper --------------------------------------------------------------------------------

// A scrolling client: content from 0 to 100; scrolling past an end is
// over-pan, which it reports to the helper.
class FakeClient : public IdxGestureClient {
 public:
  TdxGestureHelper* helper = nullptr;
  Lines calls;
  int pos = 0;
  bool feedback = true;
  bool panArea = true;
  bool allowHorz = true, allowVert = true;
  bool AllowGesture(int) override { return true; }
  bool AllowPan(TScrollBarKind k) override { return k == TScrollBarKind::sbHorizontal ? allowHorz : allowVert; }
  void BeginGestureScroll(const TPoint& p) override {
    calls.push_back("begin " + std::to_string(p.x) + "," + std::to_string(p.y));
  }
  void EndGestureScroll() override { calls.push_back("end"); }
  void GestureScroll(int dx, int dy) override {
    calls.push_back("scroll " + std::to_string(dx) + "," + std::to_string(dy));
    // Moving the finger down pulls the content toward its start.
    const int wanted = pos - dy;
    pos = std::clamp(wanted, 0, 100);
    if (wanted != pos) helper->CheckOverpan(TScrollBarKind::sbVertical, wanted, 0, 100, dx, wanted < 0 ? -wanted : pos - wanted);
  }
  int GetPanOptions() override { return 2; }
  bool IsPanArea(const TPoint&) override { return panArea; }
  bool NeedPanningFeedback(TScrollBarKind) override { return feedback; }
};

class FakeZoomClient : public FakeClient, public IdxZoomClient {
 public:
  std::vector<int> deltas;
  void Zoom(int delta, bool& handled) override {
    deltas.push_back(delta);
    handled = true;
  }
};

// Panning feedback as a theme engine gives it.
class FeedbackEngine : public IdxVisualStylesProvider {
 public:
  Lines calls;
  bool HasPanningFeedback() override { return true; }
  win::BOOL BeginPanningFeedback(win::HWND) override {
    calls.push_back("begin");
    return 1;
  }
  win::BOOL UpdatePanningFeedback(win::HWND, int x, int y, win::BOOL inertia) override {
    calls.push_back("update " + std::to_string(x) + "," + std::to_string(y) + (inertia ? " inertia" : ""));
    return 1;
  }
  win::BOOL EndPanningFeedback(win::HWND, win::BOOL animateBack) override {
    calls.push_back(animateBack ? "end animated" : "end");
    return 1;
  }
};

class FakeOwner : public IdxGestureOwner {
 public:
  ui::TWinControl* control = nullptr;
  IdxGestureClient* client = nullptr;
  IdxGestureClient* GetGestureClient(const TPoint&) override { return client; }
  win::HWND GetHandle() override { return control ? control->Handle() : nullptr; }
  bool IsGestureTarget(win::HWND wnd) override { return control && wnd == control->Handle(); }
  TPoint ScreenToClient(const TPoint& p) override { return control ? control->ScreenToClient(p) : p; }
};

TGestureEventInfo Step(int id, TPoint location, TInteractiveGestureFlags flags = {}, int distance = 0) {
  TGestureEventInfo e;
  e.GestureID = id;
  e.Location = location;
  e.Flags = flags;
  e.Distance = distance;
  return e;
}

class GestureHelper : public testing::Test {
 protected:
  void SetUp() override {
    dxSetVisualStylesProvider(&engine);
    owner.client = &client;
    helper = std::make_unique<TdxGestureHelper>(&owner);
    client.helper = helper.get();
    TInteractiveGestures gestures{TInteractiveGesture::igPan};
    TInteractiveGestureOptions options;
    helper->CheckGestureOptions(gestures, options);  // names the client
  }
  void TearDown() override {
    helper.reset();
    dxSetVisualStylesProvider(nullptr);
  }
  void PanTo(int x, int y, TInteractiveGestureFlags flags = {}) {
    bool handled = false;
    helper->DoGesture(Step(igiPan, {x, y}, flags), handled);
    EXPECT_TRUE(handled);
  }
  win::headless::HeadlessScope screen;
  FeedbackEngine engine;
  FakeOwner owner;
  FakeClient client;
  std::unique_ptr<TdxGestureHelper> helper;
};

TEST_F(GestureHelper, MovingBackFirstUndoesTheOverPanThenScrolls) {
  PanTo(50, 100, {TInteractiveGestureFlag::gfBegin});
  EXPECT_TRUE(helper->IsPanning());
  PanTo(50, 130);  // 30 down at the start of the content: all over-pan
  EXPECT_EQ(helper->OverPan(), (TPoint{0, 30}));
  client.pos = 0;
  PanTo(50, 80);  // 50 back: 30 undo the over-pan, 20 scroll the content
  EXPECT_EQ(helper->OverPan(), (TPoint{0, 0}));
  EXPECT_EQ(client.calls, (Lines{"begin 50,100", "scroll 0,30", "scroll 0,-20"}));
  EXPECT_EQ(client.pos, 20);
  EXPECT_EQ(engine.calls, (Lines{"begin", "update 0,30", "update 0,0"}));
}

TEST_F(GestureHelper, OverPanIsNotUndoneWithoutFeedbackOrWhenMovingFurther) {
  PanTo(50, 100, {TInteractiveGestureFlag::gfBegin});
  PanTo(50, 130);
  PanTo(50, 140, {TInteractiveGestureFlag::gfInertia});  // same direction: more over-pan
  EXPECT_EQ(helper->OverPan(), (TPoint{0, 40}));
  EXPECT_TRUE(helper->IsInertia());
  EXPECT_EQ(engine.calls.back(), "update 0,40 inertia");
  client.feedback = false;  // the client no longer wants feedback: the delta scrolls at once
  PanTo(50, 120);
  EXPECT_EQ(client.calls.back(), "scroll 0,-20");
  EXPECT_EQ(helper->OverPan(), (TPoint{0, 40}));
}

TEST_F(GestureHelper, TheEndStepResetsTheOverPanBeforeItsLastScrollAndEndsTheFeedback) {
  PanTo(50, 100, {TInteractiveGestureFlag::gfBegin});
  PanTo(50, 130);
  engine.calls.clear();
  PanTo(50, 120, {TInteractiveGestureFlag::gfEnd});
  EXPECT_EQ(helper->OverPan(), (TPoint{0, 0}));
  EXPECT_EQ(client.calls, (Lines{"begin 50,100", "scroll 0,30", "scroll 0,-10", "end"}));
  EXPECT_EQ(engine.calls, (Lines{"end animated"}));
  EXPECT_FALSE(helper->IsPanning());
  // The client was dropped: later steps scroll nothing.
  PanTo(50, 200);
  EXPECT_EQ(client.calls.size(), 4u);
}

TEST_F(GestureHelper, CheckOverpanInsideTheRangeAndWithoutFeedback) {
  PanTo(0, 0, {TInteractiveGestureFlag::gfBegin});
  EXPECT_TRUE(helper->CheckOverpan(TScrollBarKind::sbHorizontal, 50, 0, 100, 7, 9));
  EXPECT_EQ(helper->OverPan(), (TPoint{0, 0}));
  EXPECT_TRUE(helper->CheckOverpan(TScrollBarKind::sbHorizontal, 100, 0, 100, 7, 9));  // at the end: over-pan
  EXPECT_EQ(helper->OverPan(), (TPoint{7, 0}));
  client.feedback = false;
  EXPECT_FALSE(helper->CheckOverpan(TScrollBarKind::sbVertical, 0, 0, 100, 7, 9));
  EXPECT_EQ(helper->OverPan(), (TPoint{7, 0}));
}

TEST_F(GestureHelper, ZoomReportsTheChangeOfDistanceToAZoomClient) {
  FakeZoomClient zoomer;
  owner.client = &zoomer;
  TInteractiveGestures gestures{TInteractiveGesture::igZoom};
  TInteractiveGestureOptions options;
  helper->CheckGestureOptions(gestures, options);
  bool handled = false;
  helper->DoGesture(Step(igiZoom, {}, {TInteractiveGestureFlag::gfBegin}, 100), handled);
  helper->DoGesture(Step(igiZoom, {}, {}, 130), handled);
  helper->DoGesture(Step(igiZoom, {}, {TInteractiveGestureFlag::gfEnd}, 120), handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(zoomer.deltas, (std::vector<int>{0, 30, -10}));
  // A client that cannot zoom leaves the gesture unhandled.
  owner.client = &client;
  helper->CheckGestureOptions(gestures, options);
  handled = false;
  helper->DoGesture(Step(igiZoom, {}, {TInteractiveGestureFlag::gfBegin}, 100), handled);
  helper->DoGesture(Step(igiTwoFingerTap, {}), handled);
  EXPECT_FALSE(handled);
}

TEST_F(GestureHelper, SingleFingerPanOptionsFollowThePanAreaAndAllowedDirections) {
  const TInteractiveGestureOptions all{Opt::igoPanSingleFingerHorizontal, Opt::igoPanSingleFingerVertical,
                                       Opt::igoPanInertia};
  struct Case {
    bool panArea, horz, vert;
    TInteractiveGestureOptions expected;
  } cases[] = {
      {true, true, true, all},
      {false, true, true, {Opt::igoPanInertia}},
      {true, false, true, {Opt::igoPanSingleFingerVertical, Opt::igoPanInertia}},
      {true, true, false, {Opt::igoPanSingleFingerHorizontal, Opt::igoPanInertia}},
  };
  for (const Case& c : cases) {
    client.panArea = c.panArea;
    client.allowHorz = c.horz;
    client.allowVert = c.vert;
    TInteractiveGestures gestures{TInteractiveGesture::igPan};
    TInteractiveGestureOptions options = all;
    helper->CheckGestureOptions(gestures, options);
    EXPECT_EQ(options, c.expected) << c.panArea << c.horz << c.vert;
    // Without pan among the gestures the options stay as they are.
    TInteractiveGestures zoomOnly{TInteractiveGesture::igZoom};
    TInteractiveGestureOptions untouched = all;
    helper->CheckGestureOptions(zoomOnly, untouched);
    EXPECT_EQ(untouched, all);
  }
}

// A panel that answers the gesture message and writes down who got it.
class TGesturePanel : public ui::TPanel {
  RTL_CLASS(TGesturePanel, ui::TPanel)
 public:
  using ui::TPanel::TPanel;
  static inline Lines* log = nullptr;
  void WndProc(ui::TMessage& m) override {
    if (m.Msg == CM_GESTURE) {
      const auto* e = reinterpret_cast<const TGestureEventInfo*>(m.LParam);
      if (log)
        log->push_back(rtl::StringToUtf8(Name()) + " " + std::to_string(e->GestureID) + " at " +
                       std::to_string(e->Location.x) + "," + std::to_string(e->Location.y));
      m.Result = 1;
      return;
    }
    ui::TPanel::WndProc(m);
  }
};

struct FreeObject {
  void operator()(rtl::TObject* o) const {
    if (o) o->Free();
  }
};

class GestureDispatch : public GestureHelper {
 protected:
  void SetUp() override {
    GestureHelper::SetUp();
    dxSetGestureProvider(&system);
    ui::Application->Initialize();
    outer = rtl::Create<TGesturePanel>(nullptr);
    outer->SetName(u"outer");
    form.reset(rtl::Create<ui::TForm>(nullptr));
    form->SetBounds(100, 100, 400, 300);
    outer->SetParent(form.get());
    outer->SetBounds(0, 0, 300, 200);
    inner = rtl::Create<TGesturePanel>(outer);
    inner->SetName(u"inner");
    inner->SetParent(outer);
    inner->SetBounds(10, 10, 100, 100);
    form->Show();
    owner.control = outer;
    TGesturePanel::log = &log;
  }
  void TearDown() override {
    TGesturePanel::log = nullptr;
    form.reset();
    dxSetGestureProvider(nullptr);
    GestureHelper::TearDown();
  }
  // The system announces a touch at a screen point to the owner's window.
  void Announce(TPoint screenPoint) {
    TdxGestureNotifyStruct notify;
    notify.ptsLocation = TdxPoints{std::int16_t(screenPoint.x), std::int16_t(screenPoint.y)};
    notify.hwndTarget = outer->Handle();
    win::SendMessageW(outer->Handle(), win::WM_GESTURENOTIFY, 0, reinterpret_cast<win::LPARAM>(&notify));
    TMessage m{win::WM_GESTURENOTIFY, 0, reinterpret_cast<win::LPARAM>(&notify), 0};
    EXPECT_FALSE(helper->HandleMessage(m));
  }
  win::LRESULT Send(win::DWORD id, win::DWORD flags, TPoint screenPoint) {
    system.next = TdxGestureInfo{};
    system.next.dwID = id;
    system.next.dwFlags = flags;
    system.next.ptsLocation = TdxPoints{std::int16_t(screenPoint.x), std::int16_t(screenPoint.y)};
    TMessage m{win::WM_GESTURE, 0, 0x1234, 0};
    EXPECT_TRUE(helper->HandleMessage(m));
    return m.Result;
  }
  FakeSystem system;
  std::unique_ptr<ui::TForm, FreeObject> form;
  TGesturePanel* outer = nullptr;
  TGesturePanel* inner = nullptr;
  Lines log;
};

TEST_F(GestureDispatch, AGestureGoesToTheControlUnderTheTouchOrPassesToItsParent) {
  const TPoint innerOrigin = inner->ClientToScreen({0, 0});
  const TPoint touch{innerOrigin.x + 5, innerOrigin.y + 6};
  Announce(touch);
  EXPECT_EQ(dxGestureStartPoint(), touch);
  EXPECT_EQ(helper->NotifyTouchControl(), inner);

  // The inner panel takes pan only and lets other gestures through to its parent.
  dxTouchManager(inner) = TdxTouchManager{{TInteractiveGesture::igPan}, {Opt::igoParentPassthrough}};
  const std::string zoom = std::to_string(igiZoom), pan = std::to_string(igiPan);
  EXPECT_EQ(Send(GID_ZOOM, GF_BEGIN, touch), 1);
  EXPECT_EQ(helper->TouchControl(), inner);
  EXPECT_EQ(Send(GID_PAN, 0, touch), 1);
  EXPECT_EQ(Send(GID_ZOOM, GF_END, touch), 1);
  EXPECT_EQ(helper->TouchControl(), nullptr);
  const TPoint inOuter = outer->ScreenToClient(touch);
  EXPECT_EQ(log, (Lines{"outer " + zoom + " at " + std::to_string(inOuter.x) + "," + std::to_string(inOuter.y),
                        "inner " + pan + " at 5,6", "outer " + zoom + " at 15,16"}));
  EXPECT_EQ(system.closed, 3);

  // Listing zoom keeps it; without pass-through nothing goes up either.
  log.clear();
  dxTouchManager(inner).InteractiveGestures += TInteractiveGesture::igZoom;
  Send(GID_ZOOM, GF_BEGIN | GF_END, touch);
  dxTouchManager(inner) = TdxTouchManager{{}, {}};
  Send(GID_ROTATE, GF_BEGIN | GF_END, touch);
  EXPECT_EQ(log, (Lines{"inner " + zoom + " at 5,6", "inner " + std::to_string(igiRotate) + " at 5,6"}));
}

TEST_F(GestureDispatch, NoTargetOrNoGestureInformationLeavesTheMessageToTheWindow) {
  // No touch announced: nobody receives the gesture.
  EXPECT_NE(Send(GID_ZOOM, GF_BEGIN, {150, 150}), 1);
  EXPECT_TRUE(log.empty());
  // A new announcement forgets the control of the previous touch.
  Announce(inner->ClientToScreen({1, 1}));
  EXPECT_EQ(helper->NotifyTouchControl(), inner);
  Announce({5, 5});  // outside the owner: no control
  EXPECT_EQ(helper->NotifyTouchControl(), nullptr);
  system.infoFails = true;
  const int closed = system.closed;
  EXPECT_EQ(Send(GID_ZOOM, GF_BEGIN, {150, 150}), 1);  // handled, nothing to close
  EXPECT_EQ(system.closed, closed);
}

TEST_F(GestureDispatch, DestroyingTheWindowEndsAPanInProgress) {
  PanTo(50, 100, {TInteractiveGestureFlag::gfBegin});
  TMessage destroy{win::WM_DESTROY, 0, 0, 0};
  EXPECT_FALSE(helper->HandleMessage(destroy));
  EXPECT_FALSE(helper->IsPanning());
  EXPECT_EQ(client.calls.back(), "end");
}

}  // namespace
}  // namespace core

// The control layer's shared services on a headless window system: hook
// chains on controls and raw windows, settings notices, message removal,
// locking and one-shot blocks, and the unit's stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "lib/core/dxCore.h"
#include "lib/lookandfeel/cxControlsSystem.h"
#include "lib/lookandfeel/dxComposition.h"
#include "platform/ui/controls.h"
#include "platform/ui/utility_window.h"
#include "platform/win/headless.h"
#include "platform/rtl/threads.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace lookandfeel {
namespace {

constexpr win::UINT kProbe = win::WM_USER + 7;

using SystemServicesLog = std::vector<std::string>;

// A control whose own procedure leaves a trace.
class TraceControl : public ui::TControl {
 public:
  TraceControl(rtl::TComponent* owner, SystemServicesLog* log) : ui::TControl(owner), log_(log) {}

 protected:
  void WndProc(ui::TMessage& message) override {
    if (message.Msg == kProbe) {
      log_->push_back("own");
      message.Result = 100;
      return;
    }
    ui::TControl::WndProc(message);
  }

 private:
  SystemServicesLog* log_;
};

// A raw window whose own procedure leaves a trace.
struct TraceWindow {
  SystemServicesLog* log;
  win::HWND handle = nullptr;
  void Proc(ui::TMessage& message) {
    if (message.Msg == kProbe) {
      log->push_back("own");
      message.Result = 100;
      return;
    }
    message.Result = win::DefWindowProcW(handle, message.Msg, message.WParam, message.LParam);
  }
};

// One hook: records its name and passes the message on.
struct Hook {
  std::string name;
  SystemServicesLog* log;
  TcxWindowProcLinkedObject* link = nullptr;
  void Proc(ui::TMessage& message) {
    if (message.Msg == kProbe) log->push_back(name);
    link->DefaultProc(message);
  }
};

struct ChainCase {
  const char* label;
  bool rawWindow;
  std::vector<int> removalOrder;
};

void PrintTo(const ChainCase& c, std::ostream* os) { *os << c.label; }

class WindowProcChains : public ::testing::TestWithParam<ChainCase> {
 protected:
  void TearDown() override {
    cxControlsSystemUnitStop();
    cxControlsSystemUnitStart();
  }
  win::headless::HeadlessScope screen;
};

TEST_P(WindowProcChains, RemovalInAnyOrderSkipsTheRemovedAndRestoresTheOwnProcedure) {
  const ChainCase& c = GetParam();
  SystemServicesLog log;
  TraceControl control(nullptr, &log);
  TraceWindow window{&log};
  if (c.rawWindow) window.handle = ui::AllocateHWnd(ui::TWndMethod::bind<&TraceWindow::Proc>(&window));
  const ui::TWndMethod ownMethod = control.WindowProc();
  const auto ownProc = reinterpret_cast<win::WNDPROC>(
      c.rawWindow ? win::GetWindowLongPtrW(window.handle, win::GWLP_WNDPROC) : 0);

  auto send = [&] {
    log.clear();
    win::LRESULT result = c.rawWindow ? win::SendMessageW(window.handle, kProbe, 0, 0)
                                      : control.Perform(kProbe, 0, 0);
    EXPECT_EQ(result, 100) << "the own procedure's answer comes back through every hook";
    return log;
  };

  std::vector<Hook> hooks{{"h0", &log}, {"h1", &log}, {"h2", &log}};
  for (Hook& hook : hooks) {
    const auto method = ui::TWndMethod::bind<&Hook::Proc>(&hook);
    hook.link = c.rawWindow ? cxWindowProcController()->Add(window.handle, method)
                            : cxWindowProcController()->Add(&control, method);
    ASSERT_NE(hook.link, nullptr);
  }
  EXPECT_EQ(send(), (SystemServicesLog{"h2", "h1", "h0", "own"}));

  std::vector<bool> alive(hooks.size(), true);
  for (int index : c.removalOrder) {
    cxWindowProcController()->Remove(hooks[index].link);
    EXPECT_EQ(hooks[index].link, nullptr);
    alive[index] = false;
    SystemServicesLog expected;
    for (int i = int(hooks.size()) - 1; i >= 0; --i)
      if (alive[i]) expected.push_back(hooks[i].name);
    expected.push_back("own");
    EXPECT_EQ(send(), expected) << "after removing h" << index;
  }
  if (c.rawWindow) {
    EXPECT_EQ(reinterpret_cast<win::WNDPROC>(win::GetWindowLongPtrW(window.handle, win::GWLP_WNDPROC)), ownProc);
    ui::DeallocateHWnd(window.handle);
  } else {
    EXPECT_TRUE(control.WindowProc() == ownMethod);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Orders, WindowProcChains,
    ::testing::Values(ChainCase{"ControlOldestFirst", false, {0, 1, 2}},
                    ChainCase{"ControlNewestFirst", false, {2, 1, 0}},
                    ChainCase{"ControlMiddleFirst", false, {1, 0, 2}},
                    ChainCase{"ControlMiddleThenNewest", false, {1, 2, 0}},
                    ChainCase{"WindowOldestFirst", true, {0, 1, 2}},
                    ChainCase{"WindowNewestFirst", true, {2, 1, 0}},
                    ChainCase{"WindowMiddleFirst", true, {1, 0, 2}}),
    [](const ::testing::TestParamInfo<ChainCase>& info) { return std::string(info.param.label); });

class Services : public ::testing::Test {
 protected:
  void TearDown() override {
    cxControlsSystemUnitStop();
    cxControlsSystemUnitStart();
  }
  win::headless::HeadlessScope screen;
};

TEST_F(Services, NullTargetsAndUnknownLinksAreIgnored) {
  ui::TWndMethod none;
  EXPECT_EQ(cxWindowProcController()->Add(static_cast<ui::TControl*>(nullptr), none), nullptr);
  EXPECT_EQ(cxWindowProcController()->Add(static_cast<win::HWND>(nullptr), none), nullptr);
  TcxWindowProcLinkedObject* nothing = nullptr;
  cxWindowProcController()->Remove(nothing);
  EXPECT_EQ(nothing, nullptr);
}

struct SystemServicesListener : IdxSystemInfoListener {
  std::string name;
  SystemServicesLog* log;
  SystemServicesListener(std::string n, SystemServicesLog* l) : name(std::move(n)), log(l) {}
  void Changed(win::UINT parameter) override { log->push_back(name + ":" + std::to_string(parameter)); }
};

struct SettingCase {
  win::WPARAM parameter;
  SystemServicesLog expected;
};

TEST_F(Services, SettingsNoticesReachListenersInOrderOnlyWhenNamed) {
  const SettingCase cases[] = {
      {0, {}},  // named only by its section text
      {kSettingNonClientMetrics, {"a:42", "b:42"}},
      {kSettingDropShadow, {"a:4133", "b:4133"}},
      {win::SPI_SETDOUBLECLICKTIME, {"a:32", "b:32"}},
  };
  SystemServicesLog log;
  SystemServicesListener a("a", &log), b("b", &log), gone("gone", &log);
  dxSystemInfo()->AddListener(&a);
  dxSystemInfo()->AddListener(&gone);
  dxSystemInfo()->AddListener(&b);
  dxSystemInfo()->RemoveListener(&gone);
  dxSystemInfo()->RemoveListener(&gone);  // a second time does nothing
  for (const SettingCase& c : cases) {
    log.clear();
    EXPECT_EQ(win::SendMessageW(dxSystemInfo()->Handle(), win::WM_SETTINGCHANGE, c.parameter, 0), 0);
    EXPECT_EQ(log, c.expected) << "parameter " << c.parameter;
  }
  // The platform's own broadcast reaches the hidden window too.
  log.clear();
  win::SystemParametersInfoW(win::SPI_SETDOUBLECLICKTIME, 500, nullptr, win::SPIF_SENDCHANGE);
  EXPECT_EQ(log, (SystemServicesLog{"a:32", "b:32"}));
}

TEST_F(Services, ParametersAndTheCachedMetrics) {
  win::ANIMATIONINFO animation{};
  animation.iMinAnimate = 1;
  ASSERT_TRUE(dxSystemInfo()->GetParameter(win::SPI_GETANIMATION, &animation));
  EXPECT_EQ(animation.iMinAnimate, 0) << "windows do not animate";
  win::BOOL menuAnimation = 1;
  ASSERT_TRUE(dxSystemInfo()->GetParameter(win::SPI_GETMENUANIMATION, &menuAnimation));
  EXPECT_FALSE(menuAnimation);
  EXPECT_EQ(dxSystemInfo()->NonClientMetrics().iScrollWidth, win::GetSystemMetrics(win::SM_CXVSCROLL));
  EXPECT_FALSE(dxSystemInfo()->IsRemoteSession());
  EXPECT_FALSE(IsCompositionEnabled());
}

struct KillCase {
  const char* label;
  std::vector<win::UINT> posted;
  win::UINT min, max;
  bool all;
  bool answer;
  std::vector<win::UINT> left;
};

TEST_F(Services, KillMessagesRemovesOneOrAllInTheRange) {
  const KillCase cases[] = {
      {"one mouse message", {0x200, 0x201, 0x100}, 0x200, 0x20E, false, true, {0x201, 0x100}},
      {"all mouse messages", {0x200, 0x100, 0x201}, 0x200, 0x20E, true, true, {0x100}},
      {"only the minimum when max is 0", {0x201, 0x200, 0x200}, 0x200, 0, true, true, {0x201}},
      {"none waiting", {0x100}, 0x200, 0x20E, false, false, {0x100}},
  };
  win::HWND wnd = ui::AllocateHWnd(ui::TWndMethod());
  for (const KillCase& c : cases) {
    for (win::UINT m : c.posted) win::PostMessageW(wnd, m, 0, 0);
    EXPECT_EQ(dxMessagesController()->KillMessages(wnd, c.min, c.max, c.all), c.answer) << c.label;
    std::vector<win::UINT> left;
    win::MSG msg{};
    while (win::PeekMessageW(&msg, wnd, 0, 0, win::PM_REMOVE)) left.push_back(msg.message);
    EXPECT_EQ(left, c.left) << c.label;
  }
  win::PostMessageW(wnd, 0x200, 0, 0);
  EXPECT_TRUE(dxMessagesController()->IsMessageInQueue(wnd, 0x200));
  EXPECT_FALSE(dxMessagesController()->IsMessageInQueue(wnd, 0x201));
  EXPECT_TRUE(dxMessagesController()->IsMessageInQueue(wnd, 0x200)) << "looking removes nothing";
  ui::DeallocateHWnd(wnd);
}

TEST_F(Services, KillMessagesPutsAQuitBackAndStops) {
  win::HWND wnd = ui::AllocateHWnd(ui::TWndMethod());
  win::PostQuitMessage(3);
  EXPECT_FALSE(dxMessagesController()->KillMessages(nullptr, 0, win::WM_USER, true));
  win::MSG msg{};
  ASSERT_TRUE(win::PeekMessageW(&msg, nullptr, win::WM_QUIT, win::WM_QUIT, win::PM_REMOVE));
  EXPECT_EQ(msg.message, win::WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  ui::DeallocateHWnd(wnd);
}

struct LockCase {
  std::vector<win::UINT> locked, unlocked;
  win::UINT probe;
  bool expected;
};

TEST_F(Services, LockedMessagesCountEachLock) {
  const LockCase cases[] = {
      {{5, 5}, {5}, 5, true},
      {{5, 5}, {5, 5}, 5, false},
      {{5}, {6}, 5, true},
      {{5, 6}, {6}, 6, false},
      {{}, {5}, 5, false},
  };
  for (const LockCase& c : cases) {
    TdxMessagesController controller;
    controller.LockMessages(c.locked);
    controller.UnlockMessages(c.unlocked);
    EXPECT_EQ(controller.IsMessageLocked(c.probe), c.expected) << "probe " << c.probe;
  }
}

TEST_F(Services, ABlockSwallowsExactlyTheNextMessage) {
  SystemServicesLog log;
  TraceWindow window{&log};
  window.handle = ui::AllocateHWnd(ui::TWndMethod::bind<&TraceWindow::Proc>(&window));
  win::UINT message = kProbe;
  dxMessagesController()->BlockLockedMessage(window.handle, message);
  EXPECT_EQ(message, kProbe) << "an unlocked message is not blocked";
  dxMessagesController()->LockMessages({kProbe});
  dxMessagesController()->BlockLockedMessage(window.handle, message);
  EXPECT_EQ(message, 0u);
  EXPECT_THROW(dxMessagesController()->BlockMessage(window.handle), core::EdxException);
  EXPECT_EQ(win::SendMessageW(window.handle, kProbe, 0, 0), 1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(win::SendMessageW(window.handle, kProbe, 0, 0), 100);
  EXPECT_EQ(log, (SystemServicesLog{"own"}));
  dxMessagesController()->BlockMessage(window.handle);  // no longer pending
  ui::DeallocateHWnd(window.handle);
}

int trackingTimersLeft = 0;
int trackingShutdowns = 0;
int shutDownTracking() {
  ++trackingShutdowns;
  return trackingTimersLeft;
}

TEST_F(Services, TheStopFreesEverythingAndToleratesTrackingTimersLeft) {
  ASSERT_NE(dxSystemInfo(), nullptr);
  ASSERT_NE(cxSystemController(), nullptr);
  SystemServicesLog log;
  TraceControl control(nullptr, &log);
  const ui::TWndMethod own = control.WindowProc();
  Hook hook{"h", &log};
  hook.link = cxWindowProcController()->Add(&control, ui::TWndMethod::bind<&Hook::Proc>(&hook));
  trackingTimersLeft = 2;
  trackingShutdowns = 0;
  dxSetMouseTrackingShutdown(&shutDownTracking);
  EXPECT_NO_THROW(cxControlsSystemUnitStop());
  dxSetMouseTrackingShutdown(nullptr);
  EXPECT_EQ(trackingShutdowns, 1);
  EXPECT_TRUE(control.WindowProc() == own) << "the stop unhooks what is still hooked";
  EXPECT_EQ(dxSystemInfo(), nullptr);
  EXPECT_EQ(cxWindowProcController(), nullptr);
  EXPECT_EQ(dxMessagesController(), nullptr);
  EXPECT_EQ(cxMessageWindow(), nullptr);
  EXPECT_EQ(cxSystemController(), nullptr);
  EXPECT_EQ(dxApplicationActivateWindowHelper(), nullptr);
  cxControlsSystemUnitStart();
  EXPECT_NE(dxSystemInfo(), nullptr);
  EXPECT_NE(dxApplicationActivateWindowHelper(), nullptr);
}

TEST_F(Services, TheFormWatcherForgetsFreedForms) {
  TdxApplicationActivateWindowHelper* helper = dxApplicationActivateWindowHelper();
  ASSERT_NE(helper, nullptr);
  auto* first = rtl::Create<rtl::TComponent>(nullptr);
  auto* second = rtl::Create<rtl::TComponent>(nullptr);
  helper->AddWindow(first);
  helper->AddWindow(second);
  helper->AddWindow(first);
  EXPECT_EQ(helper->Count(), 2);
  first->Free();
  EXPECT_EQ(helper->Count(), 1);
  helper->RemoveWindow(second);
  EXPECT_EQ(helper->Count(), 0);
  second->Free();
}

struct MessageTrace {
  win::HWND handle = nullptr;
  std::vector<win::UINT> seen;
  void Proc(ui::TMessage& message) {
    seen.push_back(message.Msg);
    message.Result = win::DefWindowProcW(handle, message.Msg, message.WParam, message.LParam);
  }
};

TEST_F(Services, RecalculatingTheNonClientPartAsksTheWindowForItsFrame) {
  MessageTrace trace;
  trace.handle = ui::AllocateHWnd(ui::TWndMethod::bind<&MessageTrace::Proc>(&trace));
  dxRecalculateNonClientPart(trace.handle);
  EXPECT_NE(std::find(trace.seen.begin(), trace.seen.end(), win::WM_NCCALCSIZE), trace.seen.end());
  ui::DeallocateHWnd(trace.handle);
}

TEST_F(Services, TheWakeUpMessageRunsQueuedSynchronisations) {
  int ran = 0;
  rtl::TThread::ForceQueue(nullptr, [&] { ++ran; });
  win::SendMessageW(cxSystemController()->Handle(), CM_SYNCHRONIZEWAKEUP, 0, 0);
  EXPECT_EQ(ran, 1);
}

// A control that keeps its child components.
class SystemServicesHost : public rtl::TComponent, public IcxChildComponentHost {
 public:
  using rtl::TComponent::TComponent;
  void AddChildComponent(TcxControlChildComponent* c) override {
    children.push_back(c);
    c->SetControl(this);
  }
  void RemoveChildComponent(TcxControlChildComponent* c) override {
    children.erase(std::find(children.begin(), children.end(), c));
  }
  std::vector<TcxControlChildComponent*> children;
};

TEST_F(Services, ChildComponentsNameTheirControlAndLeaveIt) {
  rtl::TComponent form(nullptr);
  auto* control = rtl::Create<SystemServicesHost>(&form);
  for (bool assignOwner : {false, true}) {
    auto* child = rtl::Create<TcxControlChildComponent>(control, assignOwner);
    EXPECT_EQ(child->Owner(), assignOwner ? &form : nullptr) << assignOwner;
    EXPECT_EQ(child->GetParentComponent(), control) << assignOwner;
    EXPECT_TRUE(child->HasParent());
    control->children.push_back(child);
    child->Free();
    EXPECT_TRUE(control->children.empty()) << "the control forgets a freed child";
  }
  auto* loose = rtl::Create<TcxControlChildComponent>(static_cast<rtl::TComponent*>(nullptr));
  EXPECT_FALSE(loose->HasParent());
  loose->SetParentComponent(control);
  EXPECT_EQ(loose->Control(), control);
  ASSERT_EQ(control->children.size(), 1u);
  loose->Free();
  EXPECT_TRUE(control->children.empty());
}

}  // namespace
}  // namespace lookandfeel

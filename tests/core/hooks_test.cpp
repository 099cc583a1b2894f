// Shared thread hooks, driven by input injected into the headless window
// system: order of the routines, the system chain, results, and routines
// that add or release hooks while the routines run.
#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "lib/core/dxHooks.h"
#include "platform/rtl/except.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace core {
namespace {

using namespace win;

std::vector<std::string> calls;
TdxHookProc addDuringWalk = nullptr;
TdxHookProc releaseDuringWalk = nullptr;

void RoutineA(int, WPARAM, LPARAM, LRESULT&) { calls.push_back("A"); }
void RoutineB(int, WPARAM, LPARAM, LRESULT&) { calls.push_back("B"); }
void RoutineC(int, WPARAM, LPARAM, LRESULT&) { calls.push_back("C"); }
void Raising(int, WPARAM, LPARAM, LRESULT&) {
  calls.push_back("raise");
  throw rtl::Exception(u"routine failed");
}
void Eating(int, WPARAM, LPARAM, LRESULT& result) {
  calls.push_back("eat");
  result = 1;
}
void Releasing(int, WPARAM, LPARAM, LRESULT&) {
  calls.push_back("release");
  dxReleaseHook(&Releasing);
  if (releaseDuringWalk) dxReleaseHook(releaseDuringWalk);
}
void ReleasingOther(int, WPARAM, LPARAM, LRESULT&) {
  calls.push_back("release other");
  if (releaseDuringWalk) dxReleaseHook(releaseDuringWalk);
  releaseDuringWalk = nullptr;
}
void Adding(int, WPARAM, LPARAM, LRESULT&) {
  calls.push_back("add");
  if (addDuringWalk) dxSetHook(TdxHookType::htMouse, addDuringWalk);
  addDuringWalk = nullptr;
}
// A system hook installed before the shared one: next in the chain.
LRESULT OuterHook(int, WPARAM, LPARAM) {
  calls.push_back("next");
  return 0;
}

LRESULT PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN) calls.push_back("WM_KEYDOWN");
  if (msg == WM_LBUTTONDOWN) calls.push_back("WM_LBUTTONDOWN");
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class SharedHooks : public testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    addDuringWalk = releaseDuringWalk = nullptr;
    WNDCLASSEXW wc;
    wc.lpfnWndProc = &PlainProc;
    wc.lpszClassName = u"HookTarget";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    window = CreateWindowExW(0, u"HookTarget", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetFocus(window);
    headless::ProcessMessages();
    calls.clear();
    SetDispatchExceptionHandler([this](std::exception_ptr) { ++handledErrors; });
  }
  void TearDown() override {
    SetDispatchExceptionHandler(nullptr);
    // No test may leave a routine behind for the next.
    for (TdxHookProc p : {&RoutineA, &RoutineB, &RoutineC, &Raising, &Eating, &Releasing, &ReleasingOther, &Adding})
      for (int i = 0; i < 3; ++i) dxReleaseHook(p);
  }
  void ClickWindow() {
    headless::Click(200, 200);
    headless::ProcessMessages();
  }
  void PressKey() {
    headless::PressKey('K');
    headless::ProcessMessages();
  }
  HHOOK Handle(TdxHookType t) { return dxHookController()->SystemHook(t)->Handle(); }
  // Only what the shared routines and the chain did for one message.
  std::vector<std::string> FirstWalk(const std::vector<std::string>& all, size_t perWalk) {
    return std::vector<std::string>(all.begin(), all.begin() + std::min(perWalk, all.size()));
  }

  headless::HeadlessScope screen;
  HWND window = nullptr;
  int handledErrors = 0;
};

// Each kind installs its own system hook and its routines see that kind's
// traffic.
struct KindCase {
  const char* name;
  TdxHookType type;
  int hookId;
  void (*trigger)(HWND);
};

const KindCase kKinds[] = {
    {"keyboard", TdxHookType::htKeyboard, WH_KEYBOARD,
     [](HWND) {
       headless::PressKey('K');
       headless::ProcessMessages();
     }},
    {"mouse", TdxHookType::htMouse, WH_MOUSE,
     [](HWND) {
       headless::Click(200, 200);
       headless::ProcessMessages();
     }},
    {"wndproc", TdxHookType::htWndProc, WH_CALLWNDPROC, [](HWND w) { SendMessageW(w, WM_USER, 0, 0); }},
    {"getmessage", TdxHookType::htGetMessage, WH_GETMESSAGE,
     [](HWND w) {
       PostMessageW(w, WM_USER, 0, 0);
       headless::ProcessMessages();
     }},
    {"cbt", TdxHookType::htCBT, WH_CBT,
     [](HWND w) {
       HWND other = CreateWindowExW(0, u"HookTarget", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 500, 100, 100,
                                    nullptr, nullptr, nullptr, nullptr);
       SetActiveWindow(other);
       SetActiveWindow(w);
       headless::ProcessMessages();
     }},
};

TEST_F(SharedHooks, EachKindInstallsItsHookOnlyWhileItHasRoutines) {
  for (const KindCase& k : kKinds) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(dxHookTypeToHookId(k.type), k.hookId);
    EXPECT_EQ(Handle(k.type), nullptr);
    dxSetHook(k.type, &RoutineA);
    EXPECT_NE(Handle(k.type), nullptr);
    for (const KindCase& other : kKinds) {
      if (other.type != k.type) {
        EXPECT_EQ(Handle(other.type), nullptr) << other.name;
      }
    }
    calls.clear();
    k.trigger(window);
    EXPECT_NE(std::count(calls.begin(), calls.end(), "A"), 0);
    dxReleaseHook(&RoutineA);
    EXPECT_EQ(Handle(k.type), nullptr);
    calls.clear();
    k.trigger(window);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "A"), 0);
  }
}

TEST_F(SharedHooks, NewestRoutineRunsFirstAndTheChainAlwaysGoesOn) {
  HHOOK outer = SetWindowsHookExW(WH_MOUSE, &OuterHook, nullptr, GetCurrentThreadId());
  dxSetHook(TdxHookType::htMouse, &RoutineA);
  dxSetHook(TdxHookType::htMouse, &Raising);
  dxSetHook(TdxHookType::htMouse, &RoutineB);
  ClickWindow();
  // Every pointer event of the click walks all three and then the chain;
  // the raising routine neither stops the older one nor the next hook.
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(FirstWalk(calls, 4), (std::vector<std::string>{"B", "raise", "A", "next"}));
  EXPECT_GT(handledErrors, 0);
  EXPECT_NE(std::find(calls.begin(), calls.end(), "WM_LBUTTONDOWN"), calls.end());
  UnhookWindowsHookEx(outer);
}

TEST_F(SharedHooks, ReleasingLeavesTheHookUntilTheLastRoutineGoes) {
  dxSetHook(TdxHookType::htKeyboard, &RoutineA);
  dxSetHook(TdxHookType::htKeyboard, &RoutineB);
  dxReleaseHook(&RoutineC);  // never added: changes nothing
  EXPECT_EQ(dxHookController()->SystemHook(TdxHookType::htKeyboard)->Count(), 2);
  dxReleaseHook(&RoutineA);
  EXPECT_NE(Handle(TdxHookType::htKeyboard), nullptr);
  PressKey();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "A"), 0);
  EXPECT_GT(std::count(calls.begin(), calls.end(), "B"), 0);
  dxReleaseHook(&RoutineB);
  EXPECT_EQ(Handle(TdxHookType::htKeyboard), nullptr);
}

TEST_F(SharedHooks, ARoutineAddedTwiceRunsTwiceAndIsReleasedTwice) {
  dxSetHook(TdxHookType::htWndProc, &RoutineA);
  dxSetHook(TdxHookType::htWndProc, &RoutineA);
  SendMessageW(window, WM_USER, 0, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"A", "A"}));
  dxReleaseHook(&RoutineA);
  EXPECT_NE(Handle(TdxHookType::htWndProc), nullptr);
  calls.clear();
  SendMessageW(window, WM_USER, 0, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"A"}));
  dxReleaseHook(&RoutineA);
  EXPECT_EQ(Handle(TdxHookType::htWndProc), nullptr);
}

TEST_F(SharedHooks, ANonZeroResultFromARoutineIsTheHooksAnswer) {
  // A keyboard hook answering non-zero swallows the key.
  dxSetHook(TdxHookType::htKeyboard, &RoutineA);
  PressKey();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "WM_KEYDOWN"), calls.end());
  dxSetHook(TdxHookType::htKeyboard, &Eating);
  calls.clear();
  PressKey();
  EXPECT_EQ(std::find(calls.begin(), calls.end(), "WM_KEYDOWN"), calls.end());
  // The older routine still ran: routines cannot stop the walk.
  EXPECT_EQ(FirstWalk(calls, 2), (std::vector<std::string>{"eat", "A"}));
}

TEST_F(SharedHooks, RoutinesReleasedDuringAWalkAreNotCalledAndNothingIsSkipped) {
  // Oldest to newest: C, B, Releasing. Releasing removes itself and B; C
  // must still be called, B must not.
  dxSetHook(TdxHookType::htWndProc, &RoutineC);
  dxSetHook(TdxHookType::htWndProc, &RoutineB);
  dxSetHook(TdxHookType::htWndProc, &Releasing);
  releaseDuringWalk = &RoutineB;
  SendMessageW(window, WM_USER, 0, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"release", "C"}));
  calls.clear();
  SendMessageW(window, WM_USER, 0, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"C"}));
  dxReleaseHook(&RoutineC);

  // Oldest to newest: A, C, B, ReleasingOther, which releases B. The routines
  // after it move down one place: none may run twice or be skipped.
  dxSetHook(TdxHookType::htWndProc, &RoutineA);
  dxSetHook(TdxHookType::htWndProc, &RoutineC);
  dxSetHook(TdxHookType::htWndProc, &RoutineB);
  dxSetHook(TdxHookType::htWndProc, &ReleasingOther);
  releaseDuringWalk = &RoutineB;
  calls.clear();
  SendMessageW(window, WM_USER, 0, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"release other", "C", "A"}));
}

TEST_F(SharedHooks, TheLastRoutineReleasingItselfStillPassesTheMessageOn) {
  HHOOK outer = SetWindowsHookExW(WH_CALLWNDPROC, &OuterHook, nullptr, GetCurrentThreadId());
  dxSetHook(TdxHookType::htWndProc, &Releasing);
  SendMessageW(window, WM_USER, 0, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"release", "next"}));
  EXPECT_EQ(Handle(TdxHookType::htWndProc), nullptr);
  UnhookWindowsHookEx(outer);
}

TEST_F(SharedHooks, ARoutineAddedDuringAWalkRunsFromTheNextMessageOn) {
  dxSetHook(TdxHookType::htMouse, &Adding);
  addDuringWalk = &RoutineA;
  SendMessageW(window, WM_USER, 0, 0);  // not a mouse message: nothing yet
  EXPECT_TRUE(calls.empty());
  headless::MouseMove(150, 150);
  headless::ProcessMessages();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "add");
  // The new routine joined after the first walk had started.
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "A") + 1,
            std::count(calls.begin(), calls.end(), "add"));
}

}  // namespace
}  // namespace core

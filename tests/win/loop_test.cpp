// The queue and the loop: retrieval order and filters, quit, hooks, key
// translation, modal loops, windows and timers going away inside their own
// handlers, and exceptions stopping at the dispatcher.
#include <stdexcept>

#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

using Lines = std::vector<std::string>;

class Loop : public WinTest {};

TEST_F(Loop, PeekMessageFiltersByRangeAndWindowAndCanLeaveTheMessage) {
  HWND a = Top("a", 0, 0, 100, 100);
  HWND b = Top("b", 200, 0, 100, 100);
  headless::ProcessMessages();
  PostMessageW(a, WM_USER, 1, 0);
  PostMessageW(b, WM_USER + 1, 2, 0);
  PostMessageW(a, WM_APP, 3, 0);
  MSG m;
  // A range and a window pick out of order; PM_NOREMOVE leaves it there.
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_APP, WM_APP, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 3u);
  ASSERT_TRUE(PeekMessageW(&m, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u);
  EXPECT_FALSE(PeekMessageW(&m, b, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 1u);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(m.hwnd, a);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER, WM_APP, PM_REMOVE));
  // Thread messages have no window.
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_USER + 2, 9, 0));
  ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(LONG_PTR(-1)), 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.wParam, 9u);
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(LONG_PTR(0x777777)), WM_USER, 0, 0));
}

TEST_F(Loop, QuitEndsGetMessageAfterWhatWasPostedBefore) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  PostMessageW(a, WM_USER, 0, 0);
  PostQuitMessage(3);
  PostMessageW(a, WM_USER + 1, 0, 0);
  MSG m;
  std::vector<UINT> got;
  while (GetMessageW(&m, nullptr, 0, 0)) got.push_back(m.message);
  EXPECT_EQ(got, (std::vector<UINT>{WM_USER, WM_USER + 1}));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  // Taken: the queue is empty again.
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Loop, NestedModalLoopPassesQuitOnToTheOuterLoop) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  bool innerEnded = false;
  rec.handler = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_USER) {
      PostQuitMessage(5);
      innerEnded = !RunModalLoop([] { return false; });
    }
    return false;
  };
  PostMessageW(a, WM_USER, 0, 0);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
  EXPECT_TRUE(innerEnded);
  EXPECT_EQ(m.wParam, 5u);
}

TEST_F(Loop, ModalLoopWithAScriptedMessageBox) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  int seenDuringBox = 0;
  bool ownerEnabledDuringBox = true;
  rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_USER + 1) {
      ++seenDuringBox;
      ownerEnabledDuringBox = IsWindowEnabled(hwnd);
    }
    return false;
  };
  // The box stays open until the message posted before it was handled.
  headless::QueueMessageBoxAnswer(IDNO, [&] { return seenDuringBox > 0; });
  PostMessageW(a, WM_USER + 1, 0, 0);
  EXPECT_EQ(MessageBoxW(a, u"Continuar?", u"Pergunta", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(seenDuringBox, 1);
  EXPECT_FALSE(ownerEnabledDuringBox);  // the owner was disabled meanwhile
  EXPECT_TRUE(IsWindowEnabled(a));
  // Without a script, the default button answers at once.
  EXPECT_EQ(MessageBoxW(a, u"Apagar?", u"Pergunta", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"Pronto", u"Aviso", MB_OK), IDOK);
  auto shown = headless::TakeShownMessageBoxes();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].caption, u"Pergunta");
  EXPECT_EQ(shown[0].text, u"Continuar?");
  EXPECT_EQ(shown[1].answer, IDNO);
  EXPECT_EQ(shown[2].text, u"Pronto");
}

TEST_F(Loop, MessageBoxProviderReplacesTheDefault) {
  SetMessageBoxProvider([](HWND, const rtl::String& text, const rtl::String&, UINT) {
    return text == u"sim" ? IDYES : IDCANCEL;
  });
  EXPECT_EQ(MessageBoxW(nullptr, u"sim", u"x", MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, u"?", u"x", MB_YESNOCANCEL), IDCANCEL);
  SetMessageBoxProvider(nullptr);
  struct Case {
    UINT type;
    int answer;
  };
  for (Case c : {Case{MB_OK, IDOK}, Case{MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL}, Case{MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
                 Case{MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY}, Case{MB_RETRYCANCEL, IDRETRY}}) {
    EXPECT_EQ(DefaultMessageBoxAnswer(c.type), c.answer) << c.type;
  }
}

std::vector<std::string> gHookCalls;
HHOOK gFirst = nullptr, gSecond = nullptr;
LRESULT FirstHook(int code, WPARAM wp, LPARAM lp) {
  gHookCalls.push_back("first");
  return CallNextHookEx(gFirst, code, wp, lp);
}
LRESULT SecondHook(int code, WPARAM wp, LPARAM lp) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lp);
  gHookCalls.push_back("second:" + MessageName(cwp->message));
  return CallNextHookEx(gSecond, code, wp, lp);
}
LRESULT EatKeyHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == 'X') return 1;  // swallowed
  return CallNextHookEx(nullptr, code, wp, lp);
}
LRESULT GetMessageHook(int code, WPARAM wp, LPARAM lp) {
  auto* m = reinterpret_cast<MSG*>(lp);
  if (m->message == WM_USER) m->wParam = 77;  // hooks may change what is retrieved
  return CallNextHookEx(nullptr, code, wp, lp);
}
int gCbtCreates = 0;
LRESULT CbtHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND) {
    ++gCbtCreates;
    auto* c = reinterpret_cast<CBT_CREATEWNDW*>(lp);
    if (c->lpcs->lpszName && std::u16string(c->lpcs->lpszName) == u"forbidden") return 1;
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(Loop, HooksAreCalledNewestFirst) {
  HWND a = Top("a", 0, 0, 100, 100);
  gHookCalls.clear();
  gFirst = SetWindowsHookExW(WH_CALLWNDPROC, &FirstHook, nullptr, GetCurrentThreadId());
  gSecond = SetWindowsHookExW(WH_CALLWNDPROC, &SecondHook, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(gFirst && gSecond);
  rec.Clear();
  SendMessageW(a, WM_USER, 0, 0);
  EXPECT_EQ(gHookCalls, (std::vector<std::string>{"second:WM_USER", "first"}));
  EXPECT_EQ(rec.Lines(), (Lines{"a:WM_USER"}));
  // Posted messages are not sent: no call-window-procedure hook for them.
  gHookCalls.clear();
  PostMessageW(a, WM_USER, 0, 0);
  MSG m;
  PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_REMOVE);
  DispatchMessageW(&m);
  EXPECT_TRUE(gHookCalls.empty());
  EXPECT_TRUE(UnhookWindowsHookEx(gSecond));
  EXPECT_FALSE(UnhookWindowsHookEx(gSecond));
  gHookCalls.clear();
  SendMessageW(a, WM_USER, 0, 0);
  EXPECT_EQ(gHookCalls, (std::vector<std::string>{"first"}));
  UnhookWindowsHookEx(gFirst);

  HHOOK gm = SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, 0);
  PostMessageW(a, WM_USER, 1, 0);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 77u);
  UnhookWindowsHookEx(gm);
}

TEST_F(Loop, KeyboardHookCanSwallowKeysAndCbtHookCanStopACreation) {
  HWND a = Top("a", 0, 0, 100, 100);
  SetFocus(a);
  headless::ProcessMessages();
  HHOOK k = SetWindowsHookExW(WH_KEYBOARD, &EatKeyHook, nullptr, 0);
  rec.Clear();
  headless::PressKey('X');
  headless::PressKey('Y');
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_KEYDOWN, WM_KEYUP, WM_CHAR}), (Lines{"a:WM_KEYDOWN", "a:WM_CHAR", "a:WM_KEYUP"}));
  EXPECT_EQ(rec.entries.back().wParam, WPARAM('Y'));
  UnhookWindowsHookEx(k);
  gCbtCreates = 0;
  HHOOK c = SetWindowsHookExW(WH_CBT, &CbtHook, nullptr, 0);
  EXPECT_EQ(CreateWindowExW(0, u"Rec", u"forbidden", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  HWND ok = CreateWindowExW(0, u"Rec", u"ok", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(ok, nullptr);
  EXPECT_EQ(gCbtCreates, 2);
  UnhookWindowsHookEx(c);
}

TEST_F(Loop, KeysBecomeCharactersThroughTranslateMessage) {
  HWND a = Top("a", 0, 0, 100, 100);
  SetFocus(a);
  headless::ProcessMessages();
  rec.Clear();
  headless::TypeText(u"Aé!");
  headless::KeyDown(VK_RETURN);
  headless::KeyUp(VK_RETURN);
  headless::ProcessMessages();
  std::u16string typed;
  for (const Entry& e : rec.entries) {
    if (e.message == WM_CHAR) typed += char16_t(e.wParam);
  }
  EXPECT_EQ(typed, u"Aé!\r");
  EXPECT_EQ(rec.Lines({WM_KEYDOWN, WM_CHAR, WM_KEYUP}),
            (Lines{"a:WM_KEYDOWN", "a:WM_KEYDOWN", "a:WM_CHAR", "a:WM_KEYUP", "a:WM_KEYUP",  // Shift, A
                   "a:WM_KEYDOWN", "a:WM_CHAR", "a:WM_KEYUP",                                  // é (no key of its own)
                   "a:WM_KEYDOWN", "a:WM_KEYDOWN", "a:WM_CHAR", "a:WM_KEYUP", "a:WM_KEYUP",   // Shift, 1
                   "a:WM_KEYDOWN", "a:WM_CHAR", "a:WM_KEYUP"}));
  // Key state follows the messages handled.
  rec.handler = [](HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT*) {
    if (msg == WM_KEYDOWN && wp == 'C') {
      EXPECT_TRUE(GetKeyState(VK_CONTROL) & 0x8000);
      EXPECT_TRUE(GetKeyState('C') & 0x8000);
      EXPECT_EQ((lp >> 16) & 0xFF, 0x2E);  // the scan code
    }
    return false;
  };
  rec.Clear();
  headless::KeyDown(VK_CONTROL);
  headless::PressKey('C');
  headless::KeyUp(VK_CONTROL);
  headless::ProcessMessages();
  std::vector<WPARAM> chars;
  for (const Entry& e : rec.entries) {
    if (e.message == WM_CHAR) chars.push_back(e.wParam);
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{3}));  // Ctrl+C types ETX
  EXPECT_FALSE(GetKeyState(VK_CONTROL) & 0x8000);
  // Alt makes system keys.
  rec.Clear();
  headless::KeyDown(VK_MENU);
  headless::PressKey('F');
  headless::KeyUp(VK_MENU);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP, WM_KEYDOWN, WM_KEYUP}),
            (Lines{"a:WM_SYSKEYDOWN", "a:WM_SYSKEYDOWN", "a:WM_SYSCHAR", "a:WM_SYSKEYUP", "a:WM_KEYUP"}));
}

TEST_F(Loop, WindowsDestroyedInsideTheirOwnHandlers) {
  HWND top = Top("top", 0, 0, 200, 200);
  HWND kid = Child("kid", top, 0, 0, 50, 50);
  headless::ProcessMessages();
  rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (hwnd != top && (msg == WM_USER || msg == WM_LBUTTONDOWN || msg == WM_TIMER || msg == WM_PAINT)) {
      DestroyWindow(hwnd);
      // The handle is gone at once; calls on it fail quietly.
      EXPECT_FALSE(IsWindow(hwnd));
      EXPECT_FALSE(SetWindowTextW(hwnd, u"x"));
      EXPECT_EQ(SendMessageW(hwnd, WM_USER + 5, 0, 0), 0);
      *r = 0;
      return true;
    }
    return false;
  };
  // A sent message.
  SendMessageW(kid, WM_USER, 0, 0);
  EXPECT_FALSE(IsWindow(kid));
  // A posted message, with more posted to the dead window after it.
  HWND k2 = Child("k2", top, 0, 0, 50, 50);
  PostMessageW(k2, WM_USER, 0, 0);
  PostMessageW(k2, WM_USER + 1, 0, 0);
  headless::ProcessMessages();
  EXPECT_FALSE(IsWindow(k2));
  // A mouse click.
  HWND k3 = Child("k3", top, 0, 0, 50, 50);
  POINT p{10, 10};
  ClientToScreen(k3, &p);
  headless::Click(p.x, p.y);
  headless::ProcessMessages();
  EXPECT_FALSE(IsWindow(k3));
  // A timer.
  HWND k4 = Child("k4", top, 0, 0, 50, 50);
  SetTimer(k4, 1, 100, nullptr);
  clock->Advance(100);
  headless::ProcessMessages();
  EXPECT_FALSE(IsWindow(k4));
  // A paint.
  HWND k5 = Child("k5", top, 0, 0, 50, 50);
  headless::ProcessMessages();
  EXPECT_FALSE(IsWindow(k5));
  EXPECT_TRUE(IsWindow(top));
  // The top-level window destroying itself on WM_CLOSE (the default).
  rec.handler = nullptr;
  PostMessageW(top, WM_CLOSE, 0, 0);
  headless::ProcessMessages();
  EXPECT_FALSE(IsWindow(top));
  EXPECT_EQ(GetTopWindow(nullptr), nullptr);
}

TEST_F(Loop, ExceptionsInHandlersReachTheHandlerAndTheLoopGoesOn) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  std::vector<std::string> caught;
  SetDispatchExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const rtl::Exception& ex) {
      caught.push_back(std::string("rtl:") + ex.ClassName());
    } catch (const std::exception& ex) {
      caught.push_back(ex.what());
    }
  });
  rec.handler = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) -> bool {
    if (msg == WM_USER) throw rtl::EConvertError(u"bad");
    if (msg == WM_TIMER) throw std::runtime_error("timer");
    if (msg == WM_PAINT) throw std::runtime_error("paint");
    return false;
  };
  PostMessageW(a, WM_USER, 0, 0);
  PostMessageW(a, WM_USER + 1, 0, 0);
  SetTimer(a, 1, 50, nullptr);
  clock->Advance(50);
  headless::ProcessMessages();
  EXPECT_EQ(caught, (std::vector<std::string>{"rtl:EConvertError", "timer"}));
  EXPECT_EQ(rec.Lines({WM_USER, WM_USER + 1}), (Lines{"a:WM_USER", "a:WM_USER+1"}));
  // A thrown paint leaves the update region: it is asked again, not lost.
  caught.clear();
  KillTimer(a, 1);
  InvalidateRect(a, nullptr, FALSE);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  DispatchMessageW(&m);
  EXPECT_EQ(caught, (std::vector<std::string>{"paint"}));
  // Sent messages are the sender's: the exception comes back to it.
  rec.handler = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) -> bool {
    if (msg == WM_USER + 3) throw std::runtime_error("sent");
    return false;
  };
  EXPECT_THROW(SendMessageW(a, WM_USER + 3, 0, 0), std::runtime_error);
  rec.handler = nullptr;
}

TEST_F(Loop, WithoutAHandlerExceptionsGoToTheApplicationsHook) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  static int calls = 0;
  calls = 0;
  static int token;
  rtl::ApplicationHandleException = rtl::TNotifyEvent::fromClosure(&token, [](rtl::TObject*) {
    ++calls;
    try {
      throw;  // the hook runs inside the dispatcher's catch
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "boom");
    }
  });
  rec.handler = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) -> bool {
    if (msg == WM_USER) throw std::runtime_error("boom");
    return false;
  };
  PostMessageW(a, WM_USER, 0, 0);
  headless::ProcessMessages();
  rtl::ApplicationHandleException = rtl::TNotifyEvent();
  EXPECT_EQ(calls, 1);
}

TEST_F(Loop, RegisteredMessagesAreOnePerName) {
  const UINT a = RegisterWindowMessageW(u"IntegradorPing");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageW(u"integradorping"), a);
  EXPECT_NE(RegisterWindowMessageW(u"Other"), a);
  EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

class MoreLoop : public WinTest {};

TEST_F(MoreLoop, InputCanBeLookedAtWithoutTakingIt) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  EXPECT_EQ(GetQueueStatus(QS_ALLINPUT) & 0xFFFF, 0u);
  POINT p{10, 10};
  ClientToScreen(a, &p);
  headless::MouseDown(MouseButton::Left, p.x, p.y);
  EXPECT_TRUE(GetQueueStatus(QS_MOUSEBUTTON) & QS_MOUSEBUTTON);
  rec.Clear();
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_LBUTTONDOWN);
  EXPECT_EQ(m.hwnd, a);
  EXPECT_EQ(m.pt, p);
  // Only taking it has the effects of taking it (button state, cursor).
  EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000);
  EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
  EXPECT_TRUE(rec.Lines({WM_SETCURSOR}).empty());
  // A filter that does not take mouse messages leaves it for later.
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_LBUTTONDOWN);
  EXPECT_TRUE(GetKeyState(VK_LBUTTON) & 0x8000);
  EXPECT_EQ(rec.Lines({WM_SETCURSOR}), (Lines{"a:WM_SETCURSOR"}));
  EXPECT_EQ(GetMessagePos(), DWORD(MAKELONG(WORD(p.x), WORD(p.y))));
  EXPECT_EQ(DWORD(GetMessageTime()), GetTickCount());
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
}

}  // namespace
}  // namespace wintest

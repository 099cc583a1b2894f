// The message queue and loop, timers, hooks and the dispatcher's exception
// handling. The loop is the run-time's (mainloop.h): each retrieval also
// serves hand-overs, native events and run-time timers.
#include "platform/win/message_loop.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <iostream>

#include "platform/rtl/classes.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/except.h"
#include "platform/rtl/threads.h"
#include "platform/win/impl/state.h"

namespace win {
namespace impl {

namespace {

int retrievalDepth = 0;  // inside PeekMessageW/GetMessageW (main thread)
int hookDepth = 0;
unsigned peekCount = 0;

bool inFilter(UINT msg, UINT lo, UINT hi) {
  if (lo == 0 && hi == 0) return true;
  if (lo > hi) return true;  // the platform treats an inverted range as "all"
  return msg >= lo && msg <= hi;
}

bool hwndMatches(HWND msgHwnd, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(LONG_PTR(-1))) return msgHwnd == nullptr;
  if (msgHwnd == filter) return true;
  return IsChild(filter, msgHwnd) != 0;
}

void callGetMessageHooks(MSG* msg, bool remove) {
  if (hasHooks(WH_GETMESSAGE)) {
    callHooks(WH_GETMESSAGE, HC_ACTION, remove ? PM_REMOVE : PM_NOREMOVE, reinterpret_cast<LPARAM>(msg));
  }
}

UINT rawMessageKind(const QueuedMessage& q) {
  switch (q.event.type) {
    case NativeEventType::KeyDown: return WM_KEYDOWN;
    case NativeEventType::KeyUp: return WM_KEYUP;
    default: return WM_MOUSEMOVE;
  }
}

void deliverTimerNow(TimerRec& rec) {
  MSG m{rec.hwnd, WM_TIMER, rec.id, reinterpret_cast<LPARAM>(rec.proc), GetTickCount(),
        state().cursorPos};
  rec.due = false;
  callGetMessageHooks(&m, true);
  state().lastMsg = m;
  DispatchMessageW(&m);
}

void onTimerDue(HWND hwnd, UINT_PTR id) {
  State& st = state();
  auto it = std::find_if(st.timers.begin(), st.timers.end(),
                         [&](const TimerRec& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == st.timers.end()) return;
  it->due = true;
  // Outside a retrieval (a test clock advancing, a wait that serves the
  // loop) an idle queue takes the timer at once; otherwise the loop's next
  // retrieval delivers it after what waits.
  if (retrievalDepth == 0 && !postedOrInputWaiting() && !findWindowToPaintNoSideEffects()) {
    TimerRec copy = *it;
    it->due = false;
    dispatchGuarded([&] { deliverTimerNow(copy); });
  }
}

}  // namespace

bool findWindowToPaintNoSideEffects() {
  State& st = state();
  std::vector<Window*> todo(st.topLevels.rbegin(), st.topLevels.rend());
  while (!todo.empty()) {
    Window* w = todo.back();
    todo.pop_back();
    if (!(w->style & WS_VISIBLE) || w->dead) continue;
    if (needsPaint(w) || w->framePending) return true;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) todo.push_back(*it);
  }
  return false;
}

bool postedOrInputWaiting() {
  State& st = state();
  std::lock_guard<std::mutex> lock(st.queueMutex);
  return !st.posted.empty() || !st.input.empty();
}

DWORD nowMs() { return DWORD(std::uint64_t(rtl::CurrentClock().MonotonicMs())); }

void dispatchGuarded(const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    HandleDispatchException();
  }
}

bool hasHooks(int kind) {
  for (auto& h : state().hooks) {
    if (h->kind == kind && !h->removed) return true;
  }
  return false;
}

// Calls one hook procedure. Hooks removed meanwhile are only marked; the
// outermost call drops them once no hook procedure runs any more.
LRESULT runHook(HookRec& hook, int code, WPARAM wParam, LPARAM lParam) {
  ++hookDepth;
  struct Leave {
    ~Leave() {
      if (--hookDepth == 0) {
        auto& hooks = state().hooks;
        hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [](auto& h) { return h->removed; }),
                    hooks.end());
      }
    }
  } leave;
  return hook.proc(code, wParam, lParam);
}

LRESULT callHooks(int kind, int code, WPARAM wParam, LPARAM lParam, bool* any) {
  State& st = state();
  std::shared_ptr<HookRec> first;
  for (auto& h : st.hooks) {
    if (h->kind == kind && !h->removed) {
      first = h;
      break;
    }
  }
  if (any) *any = first != nullptr;
  if (!first) return 0;
  return runHook(*first, code, wParam, lParam);
}

void killWindowTimers(HWND hwnd) {
  State& st = state();
  for (auto it = st.timers.begin(); it != st.timers.end();) {
    if (it->hwnd == hwnd) {
      rtl::KillTimer(it->rtlId);
      it = st.timers.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace impl

using namespace impl;

// ---- exceptions ------------------------------------------------------------------------------
void SetDispatchExceptionHandler(ExceptionHandler handler) { state().exceptionHandler = std::move(handler); }

void HandleDispatchException() {
  State& st = state();
  if (st.exceptionHandler) {
    st.exceptionHandler(std::current_exception());
    return;
  }
  if (rtl::ApplicationHandleException) {
    rtl::ApplicationHandleException(nullptr);
    return;
  }
  try {
    throw;
  } catch (const rtl::Exception& e) {
    std::cerr << e.ClassName() << ": " << rtl::StringToUtf8(e.Message()) << std::endl;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
  } catch (...) {
    std::cerr << "unknown exception in a window procedure" << std::endl;
  }
}

// ---- threads ---------------------------------------------------------------------------------
DWORD GetCurrentThreadId() { return DWORD(rtl::GetCurrentThreadId()); }
DWORD MainThreadId() { return DWORD(rtl::MainThreadID()); }

// ---- send and post ---------------------------------------------------------------------------
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!rtl::IsMainThread()) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, 0xFFFFFFFF, &result);
    return LRESULT(result);
  }
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> tops;
    for (Window* t : state().topLevels) tops.push_back(t->handle);
    for (HWND h : tops) {
      if (Window* t = find(h)) send(t, msg, wParam, lParam);
    }
    return 1;
  }
  Window* w = find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return send(w, msg, wParam, lParam);
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT,
                            UINT timeoutMs, DWORD_PTR* result) {
  if (rtl::IsMainThread()) {
    LRESULT r = SendMessageW(hwnd, msg, wParam, lParam);
    if (result) *result = DWORD_PTR(r);
    return TRUE;
  }
  // Handed to the main thread, which answers inside its loop.
  struct Call {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    LRESULT r = 0;
  };
  auto call = std::make_shared<Call>();
  rtl::TThread::Queue(nullptr, [call, hwnd, msg, wParam, lParam] {
    LRESULT r = 0;
    State& st = state();
    ++st.sendDepthFromOtherThread;
    dispatchGuarded([&] { r = SendMessageW(hwnd, msg, wParam, lParam); });
    --st.sendDepthFromOtherThread;
    std::lock_guard<std::mutex> lock(call->m);
    call->r = r;
    call->done = true;
    call->cv.notify_all();
  });
  // Waits in slices: once the main thread has begun shutting down it drops
  // hand-overs, and a sender waiting for an answer that will never come
  // would hang the worker that sent it.
  std::unique_lock<std::mutex> lock(call->m);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool ok = false;
  for (;;) {
    if (call->cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return call->done; })) {
      ok = true;
      break;
    }
    if (rtl::ShuttingDown()) break;
    if (timeoutMs != 0xFFFFFFFF && std::chrono::steady_clock::now() >= deadline) break;
  }
  if (result) *result = ok ? DWORD_PTR(call->r) : 0;
  return ok ? TRUE : FALSE;
}

BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!rtl::IsMainThread()) return PostMessageW(hwnd, msg, wParam, lParam);
  if (!IsWindow(hwnd)) return FALSE;
  SendMessageW(hwnd, msg, wParam, lParam);
  return TRUE;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  State& st = state();
  const bool main = rtl::IsMainThread();
  if (hwnd == HWND_BROADCAST) {
    if (!main) return FALSE;
    for (Window* t : st.topLevels) PostMessageW(t->handle, msg, wParam, lParam);
    return TRUE;
  }
  if (main && hwnd && !find(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const MSG m{hwnd, msg, wParam, lParam, nowMs(), cursorPosAnyThread()};
  {
    std::lock_guard<std::mutex> lock(st.queueMutex);
    st.posted.push_back(m);
  }
  if (!main) rtl::WakeMainThread();
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (threadId != MainThreadId()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return PostMessageW(nullptr, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  State& st = state();
  {
    std::lock_guard<std::mutex> lock(st.queueMutex);
    st.quitPosted = true;
    st.quitCode = exitCode;
  }
  rtl::Quit(exitCode);
}

// ---- retrieval -----------------------------------------------------------------------------
namespace {

// One look at the queue, no waiting. The order is the platform's.
bool peekOnce(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove) {
  State& st = state();
  // Posted messages.
  {
    std::unique_lock<std::mutex> lock(st.queueMutex);
    for (auto it = st.posted.begin(); it != st.posted.end(); ++it) {
      if (!inFilter(it->message, lo, hi) || !hwndMatches(it->hwnd, hwnd)) continue;
      *out = *it;
      if (remove) {
        if (it == st.posted.begin()) {
          st.posted.pop_front();
        } else {
          st.posted.erase(it);
        }
      }
      lock.unlock();
      callGetMessageHooks(out, remove);
      return true;
    }
  }
  // Input, routed now that the state it depends on (capture, focus) is current.
  for (;;) {
    QueuedMessage q;
    {
      std::lock_guard<std::mutex> lock(st.queueMutex);
      if (st.input.empty()) break;
      q = st.input.front();
    }
    MSG m{};
    // A first look without effects tells the message; only the one taken
    // has the effects of taking it (cursor, activation, button state).
    bool keep = routeRawInput(q, &m, false, !remove);
    if (keep && remove && inFilter(m.message, lo, hi) && hwndMatches(m.hwnd, hwnd)) {
      keep = routeRawInput(q, &m, true);
    }
    // Routing sends messages; a nested loop in a handler may have taken
    // this input already.
    auto popIfFront = [&] {
      std::lock_guard<std::mutex> lock(st.queueMutex);
      if (!st.input.empty() && st.input.front().serial == q.serial) st.input.pop_front();
    };
    if (!keep) {
      // Dropped (no target, eaten by a hook or by activation).
      popIfFront();
      continue;
    }
    if (!inFilter(m.message, lo, hi) || !hwndMatches(m.hwnd, hwnd)) {
      (void)rawMessageKind(q);
      break;
    }
    if (remove) {
      popIfFront();
      applyKeyState(m);
    }
    *out = m;
    callGetMessageHooks(out, remove);
    return true;
  }
  // Quit.
  bool quit;
  int code;
  {
    std::lock_guard<std::mutex> lock(st.queueMutex);
    quit = st.quitPosted;
    code = st.quitCode;
  }
  if (!quit && rtl::QuitRequested()) {
    quit = true;
  }
  if (quit && inFilter(WM_QUIT, lo, hi) && !hwnd) {
    *out = MSG{nullptr, WM_QUIT, WPARAM(code), 0, nowMs(), st.cursorPos};
    if (remove) {
      std::lock_guard<std::mutex> lock(st.queueMutex);
      st.quitPosted = false;
      rtl::ClearQuit();
    }
    return true;
  }
  // Paint.
  if (inFilter(WM_PAINT, lo, hi)) {
    Window* w = findWindowToPaint();
    if (w && hwndMatches(w->handle, hwnd)) {
      *out = MSG{w->handle, WM_PAINT, 0, 0, nowMs(), st.cursorPos};
      callGetMessageHooks(out, remove);
      return true;
    }
  }
  // Timers.
  if (inFilter(WM_TIMER, lo, hi)) {
    for (TimerRec& t : st.timers) {
      if (!t.due || !hwndMatches(t.hwnd, hwnd)) continue;
      *out = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), nowMs(), st.cursorPos};
      if (remove) t.due = false;
      callGetMessageHooks(out, remove);
      return true;
    }
  }
  return false;
}

struct Retrieval {
  Retrieval() { ++retrievalDepth; }
  ~Retrieval() { --retrievalDepth; }
};

}  // namespace

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  requireMainThread("PeekMessageW");
  Retrieval r;
  MSG local{};
  MSG* out = msg ? msg : &local;
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  // Hand-overs, native events and run-time timers, now and then while the
  // queue is busy and always before saying it is empty.
  if ((++peekCount & 63) == 0) dispatchGuarded([] { rtl::ProcessPending(); });
  if (peekOnce(out, hwnd, filterMin, filterMax, remove)) {
    state().lastMsg = *out;
    return TRUE;
  }
  bool worked = false;
  dispatchGuarded([&] { worked = rtl::ProcessPending(); });
  if (peekOnce(out, hwnd, filterMin, filterMax, remove)) {
    state().lastMsg = *out;
    return TRUE;
  }
  presentDirty();
  return FALSE;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  requireMainThread("GetMessageW");
  MSG local{};
  MSG* out = msg ? msg : &local;
  for (;;) {
    if (PeekMessageW(out, hwnd, filterMin, filterMax, PM_REMOVE)) {
      return out->message == WM_QUIT ? FALSE : TRUE;
    }
    rtl::WaitForMainThreadWork();
  }
}

BOOL WaitMessage() {
  requireMainThread("WaitMessage");
  MSG m;
  if (PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) return TRUE;
  rtl::WaitForMainThreadWork();
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  requireMainThread("DispatchMessageW");
  if (!msg) return 0;
  LRESULT result = 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    // Only a procedure of a live timer is called.
    State& st = state();
    const bool live = std::any_of(st.timers.begin(), st.timers.end(), [&](const TimerRec& t) {
      return t.hwnd == msg->hwnd && t.id == msg->wParam && t.proc == proc;
    });
    if (live) dispatchGuarded([&] { proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time); });
    return 0;
  }
  Window* w = find(msg->hwnd);
  if (!w) return 0;
  auto hold = keep(w);
  dispatchGuarded([&] { result = callProc(w, w->proc, msg->message, msg->wParam, msg->lParam); });
  return result;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  State& st = state();
  String text;
  bool found = false;
  bool dead = false;
  for (auto it = st.keyTexts.rbegin(); it != st.keyTexts.rend(); ++it) {
    if (it->lParam == msg->lParam && it->vk == msg->wParam && it->time == msg->time) {
      text = it->text;
      dead = it->dead;
      found = true;
      break;
    }
  }
  if (!found) {
    WCHAR buf[4];
    const int n = ToUnicode(UINT(msg->wParam), UINT((msg->lParam >> 16) & 0xFF), st.keyState, buf, 4, 0);
    if (n > 0) text.assign(buf, buf + n);
  }
  if (text.empty()) return FALSE;
  const bool sys = msg->message == WM_SYSKEYDOWN;
  const UINT charMsg = dead ? (sys ? WM_SYSDEADCHAR : WM_DEADCHAR) : (sys ? WM_SYSCHAR : WM_CHAR);
  // Posted at the front so that the characters come right after their key.
  std::vector<MSG> chars;
  for (char16_t c : text) chars.push_back(MSG{msg->hwnd, charMsg, WPARAM(c), msg->lParam, msg->time, msg->pt});
  std::lock_guard<std::mutex> lock(st.queueMutex);
  st.posted.insert(st.posted.begin(), chars.begin(), chars.end());
  return TRUE;
}

DWORD GetMessagePos() {
  const MSG& m = state().lastMsg;
  return DWORD(MAKELONG(WORD(m.pt.x), WORD(m.pt.y)));
}

LONG GetMessageTime() { return LONG(state().lastMsg.time); }

LPARAM GetMessageExtraInfo() { return 0; }

BOOL InSendMessage() { return state().sendDepthFromOtherThread > 0 ? TRUE : FALSE; }

DWORD InSendMessageEx(LPVOID) { return InSendMessage() ? ISMEX_SEND : ISMEX_NOSEND; }

BOOL ReplyMessage(LRESULT) { return FALSE; }

DWORD GetQueueStatus(UINT flags) {
  State& st = state();
  DWORD bits = 0;
  {
    std::lock_guard<std::mutex> lock(st.queueMutex);
    if (!st.posted.empty()) bits |= QS_POSTMESSAGE;
    for (auto& q : st.input) {
      bits |= (q.event.type == NativeEventType::KeyDown || q.event.type == NativeEventType::KeyUp)
                  ? QS_KEY
                  : (q.event.type == NativeEventType::MouseMove ? QS_MOUSEMOVE : QS_MOUSEBUTTON);
    }
  }
  if (findWindowToPaintNoSideEffects()) bits |= QS_PAINT;
  for (auto& t : st.timers) {
    if (t.due) bits |= QS_TIMER;
  }
  bits &= flags;
  return (bits << 16) | bits;
}

UINT RegisterWindowMessageW(LPCWSTR name) {
  if (!name || !*name) return 0;
  State& st = state();
  const String key = upper(name);
  auto it = st.registeredNames.find(key);
  if (it != st.registeredNames.end()) return it->second;
  if (st.nextRegistered > 0xFFFF) return 0;
  const UINT id = st.nextRegistered++;
  st.registeredNames[key] = id;
  st.registeredById[id] = String(name);
  return id;
}

// ---- timers ---------------------------------------------------------------------------------
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  requireMainThread("SetTimer");
  State& st = state();
  if (hwnd && !find(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!hwnd) {
    auto existing = std::find_if(st.timers.begin(), st.timers.end(),
                                 [&](const TimerRec& t) { return !t.hwnd && t.id == id && id != 0; });
    if (existing == st.timers.end()) {
      // A thread timer gets an id of its own.
      do {
        id = st.nextTimerId++;
      } while (std::any_of(st.timers.begin(), st.timers.end(),
                           [&](const TimerRec& t) { return !t.hwnd && t.id == id; }));
    }
  }
  auto it = std::find_if(st.timers.begin(), st.timers.end(),
                         [&](const TimerRec& t) { return t.hwnd == hwnd && t.id == id; });
  if (it != st.timers.end()) {
    rtl::KillTimer(it->rtlId);
    st.timers.erase(it);
  }
  TimerRec rec;
  rec.hwnd = hwnd;
  rec.id = id;
  rec.proc = proc;
  rec.interval = std::max<UINT>(elapseMs, rtl::USER_TIMER_MINIMUM);
  rec.rtlId = rtl::SetTimer(rec.interval, [hwnd, id] { onTimerDue(hwnd, id); });
  st.timers.push_back(rec);
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  requireMainThread("KillTimer");
  State& st = state();
  auto it = std::find_if(st.timers.begin(), st.timers.end(),
                         [&](const TimerRec& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == st.timers.end()) return FALSE;
  rtl::KillTimer(it->rtlId);
  st.timers.erase(it);
  return TRUE;
}

// ---- hooks ----------------------------------------------------------------------------------
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId) {
  requireMainThread("SetWindowsHookExW");
  if (!proc || (threadId != 0 && threadId != MainThreadId())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (idHook) {
    case WH_KEYBOARD:
    case WH_MOUSE:
    case WH_CALLWNDPROC:
    case WH_CALLWNDPROCRET:
    case WH_GETMESSAGE:
    case WH_CBT:
    case WH_MSGFILTER:
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  State& st = state();
  auto h = std::make_shared<HookRec>();
  h->handle = reinterpret_cast<HHOOK>(st.nextHook);
  st.nextHook += 4;
  h->kind = idHook;
  h->proc = proc;
  st.hooks.insert(st.hooks.begin(), h);  // newest first
  return h->handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  State& st = state();
  for (auto& h : st.hooks) {
    if (h->handle == hook && !h->removed) {
      h->removed = true;
      if (hookDepth == 0) {
        st.hooks.erase(std::remove_if(st.hooks.begin(), st.hooks.end(), [](auto& x) { return x->removed; }),
                       st.hooks.end());
      }
      return TRUE;
    }
  }
  SetLastError(ERROR_INVALID_HOOK_HANDLE);
  return FALSE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  State& st = state();
  auto it = std::find_if(st.hooks.begin(), st.hooks.end(), [&](auto& h) { return h->handle == hook; });
  if (it == st.hooks.end()) return 0;
  const int kind = (*it)->kind;
  for (++it; it != st.hooks.end(); ++it) {
    if ((*it)->kind == kind && !(*it)->removed) {
      std::shared_ptr<HookRec> next = *it;
      return runHook(*next, code, wParam, lParam);
    }
  }
  return 0;
}

// ---- modal loops ----------------------------------------------------------------------------
bool RunModalLoop(const std::function<bool()>& done) {
  requireMainThread("RunModalLoop");
  MSG msg;
  for (;;) {
    if (done && done()) return true;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The outer loop must end too.
        PostQuitMessage(int(msg.wParam));
        return false;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    if (done && done()) return true;
    rtl::WaitForMainThreadWork();
  }
}

}  // namespace win

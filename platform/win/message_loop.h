#pragma once
// Messages and the loop. The queue belongs to the main thread: PostMessageW
// and PostThreadMessageW are safe from any thread and wake the loop;
// SendMessageW from another thread is handed to the main thread and waits
// for the answer. Every loop (GetMessageW, PeekMessageW, modal loops) also
// serves the run-time's hand-overs (Synchronize/Queue), its timers and the
// backend's native events: it is the loop of platform/rtl/mainloop.h.
//
// Retrieval order: posted messages, then input, then WM_QUIT, then WM_PAINT,
// then WM_TIMER (the last two only when nothing else waits).
#include <exception>
#include <functional>

#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace win {

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Like SendMessageW; from another thread gives up after `timeoutMs` of real
// time (result FALSE).
LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeoutMs, DWORD_PTR* result);
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends without waiting for the answer: on the main thread the window
// procedure runs at once (as SendMessageW); from another thread the message
// is queued for the main thread and the call returns.
BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Only the main thread has a queue.
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
// The platform's notion of a thread id for the main thread (any thread may ask).
DWORD GetCurrentThreadId();
DWORD MainThreadId();

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// FALSE for WM_QUIT, TRUE otherwise; blocks (serving the loop) until a
// message comes.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Blocks until something is in the queue (or a hand-over, timer, event).
BOOL WaitMessage();
LRESULT DispatchMessageW(const MSG* msg);
// WM_KEYDOWN/WM_SYSKEYDOWN posts WM_CHAR/WM_SYSCHAR (or the dead-key
// messages) with the text the key typed.
BOOL TranslateMessage(const MSG* msg);
void PostQuitMessage(int exitCode);
DWORD GetMessagePos();   // MAKELONG(x, y) of the last retrieved message
LONG GetMessageTime();   // its time in ms of the one clock
LPARAM GetMessageExtraInfo();
BOOL InSendMessage();
DWORD InSendMessageEx(LPVOID reserved);
BOOL ReplyMessage(LRESULT result);
// Bits of what waits in the queue (QS_*); used by idle handling.
constexpr UINT QS_KEY = 0x0001;
constexpr UINT QS_MOUSEMOVE = 0x0002;
constexpr UINT QS_MOUSEBUTTON = 0x0004;
constexpr UINT QS_POSTMESSAGE = 0x0008;
constexpr UINT QS_TIMER = 0x0010;
constexpr UINT QS_PAINT = 0x0020;
constexpr UINT QS_SENDMESSAGE = 0x0040;
constexpr UINT QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
constexpr UINT QS_INPUT = QS_MOUSE | QS_KEY;
constexpr UINT QS_ALLINPUT = 0x04FF;
DWORD GetQueueStatus(UINT flags);

UINT RegisterWindowMessageW(LPCWSTR name);  // 0xC000..0xFFFF, one per name (case-insensitive)

// ---- timers ----------------------------------------------------------------------------
// With a window: WM_TIMER (wParam = id) to it, replacing a timer of the same
// id. Without: a new id is returned and WM_TIMER goes to the queue with a
// null window (or the callback runs). WM_TIMER comes when the queue is
// otherwise empty; with a test clock, advancing it delivers due timers at
// once when the queue is empty.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---- hooks -----------------------------------------------------------------------------
// Thread hooks of the main thread; the newest is called first.
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// ---- exceptions from window procedures -------------------------------------------------
// An exception escaping a window procedure, timer callback or hook is caught
// where the loop dispatched it and given to this handler (the application
// object's HandleException); without one, to rtl::ApplicationHandleException;
// without that either, it is written to standard error. The loop goes on.
using ExceptionHandler = std::function<void(std::exception_ptr)>;
void SetDispatchExceptionHandler(ExceptionHandler handler);
// Calls the handler for the exception being handled now (inside a catch).
void HandleDispatchException();

// ---- helpers for modal loops ---------------------------------------------------------------
// Runs a message loop until `done` returns true or WM_QUIT arrives (which is
// then posted again so the outer loop ends too). Returns false on WM_QUIT.
bool RunModalLoop(const std::function<bool()>& done);

}  // namespace win

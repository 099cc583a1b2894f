#pragma once
// The main-thread loop: serves hand-overs from workers (Synchronize/Queue),
// timers on the one clock, and the native events of a window backend that
// plugs in as a MainLoopSource. Nested loops (modal boxes) call RunUntil and
// so keep serving all three.
//
// Waiting is a poll() on an eventfd (signalled by hand-overs, Quit and clock
// moves from other threads), on the sources' descriptors and, with the system
// clock, on the next timer deadline. With a test clock the loop never sleeps
// towards a deadline: timers fire when the clock is advanced.
#include <cstdint>
#include <functional>

#include "platform/rtl/types.h"

namespace rtl {

// --- timers ------------------------------------------------------------------
using TTimerID = std::uintptr_t;

// The smallest interval; shorter ones are raised to it, as the platform does.
constexpr Cardinal USER_TIMER_MINIMUM = 10;

// Starts a repeating timer; the callback runs on the main thread every
// `intervalMs` of the clock until KillTimer. Returns a non-zero id. Any
// thread may set or kill timers; they always fire on the main thread.
TTimerID SetTimer(Cardinal intervalMs, std::function<void()> callback);
// Stops a timer; safe inside its own callback. False when the id is unknown.
bool KillTimer(TTimerID id);

// Fires, in due order, each timer due now, at most once per call (so a timer
// that is always due cannot starve the rest of the loop). A timer whose
// callback is still running (nested loop) is skipped. Main thread only.
// Returns whether any fired.
bool FireDueTimers();
// The earliest deadline of a timer that could fire now (not in its own
// callback); false when none.
bool NextTimerDueMs(Int64* dueMs);
// Moves every deadline by `deltaMs`. SetClock calls it so that a timer keeps
// its remaining time when another clock is installed.
void ShiftTimers(Int64 deltaMs);

// --- the loop ------------------------------------------------------------------
// Serves what is due now without blocking: hand-overs, native events, timers.
// Returns whether anything ran. Exceptions from callbacks propagate (the
// application's handler catches them); the loop stays consistent.
bool ProcessPending();

// Blocks until something may be due: a hand-over or wake, a readable source,
// a source with buffered events, or (system clock) the next timer deadline;
// at most `realTimeoutMs` of real time (-1: no limit). Main thread only.
void WaitForMainThreadWork(Int64 realTimeoutMs = -1);

// Runs the loop until `done` returns true (true), Quit is asked (false) or
// `realTimeoutMs` of real time has passed (false; -1: no limit). The limit is
// a safety bound in real time, also under a test clock.
bool RunUntil(const std::function<bool()>& done, Int64 realTimeoutMs = -1);
// Runs until Quit; returns its exit code and clears the request.
int Run();
// Asks the loops to end. Any thread. Sticky until Run consumes it, so nested
// loops end one after the other, as with a posted quit message.
void Quit(int exitCode = 0);
void PostQuit(int exitCode = 0);  // the same, named for callers on other threads
bool QuitRequested();
// Forgets a quit request that no Run consumed (tests, restart of a loop).
void ClearQuit();

// --- native event sources (the window backend) -------------------------------
// A backend registers one of these on the main thread. Each pass of the loop
// calls DispatchNativeEvents; between passes the loop polls FileDescriptor()
// for POLLIN, and does not sleep while HasPendingEvents() is true (events
// already read off the descriptor, e.g. a client library's own queue).
class MainLoopSource {
 public:
  virtual ~MainLoopSource() = default;
  virtual int FileDescriptor() { return -1; }
  virtual bool HasPendingEvents() { return false; }
  // Reads and dispatches what is ready, without blocking; true if any.
  virtual bool DispatchNativeEvents() = 0;
};

void AddMainLoopSource(MainLoopSource* source);
void RemoveMainLoopSource(MainLoopSource* source);

}  // namespace rtl

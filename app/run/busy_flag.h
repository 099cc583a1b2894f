#pragma once
// The busy flag (carga_inicial) is freed by the process that took it: the
// worker frees it at the end of its run, and when that fails the flag stays
// owed to this process, which frees it before it starts anything else (the
// scheduler at its next tick, the one-shot run before it exits). A flag that
// another process took is never freed here.
#include <functional>

#include "platform/rtl/types.h"

namespace integrador {

// Tries at most this many times, on a fresh connection after a pause.
inline constexpr int kBusyFlagClearAttempts = 3;
inline constexpr rtl::Int64 kBusyFlagRetryPauseMs = 2000;
// Tests shorten the pause; 0 restores the default.
void SetBusyFlagRetryPauseForTests(rtl::Int64 ms);

// Runs `clear` until it succeeds, at most kBusyFlagClearAttempts times;
// before each retry it pauses (real time) and calls `reconnect`, whose own
// failure counts as a failed attempt. Returns true when cleared, otherwise
// false with the last failure's message in `error`.
bool ClearBusyFlagWithRetries(const std::function<void()>& clear, const std::function<void()>& reconnect,
                              rtl::String& error);

// The resource whose flag this process took and could not free yet; 0 when
// none. Any thread.
int OwedBusyFlag();
void OweBusyFlag(int resource);
// After the flag of `resource` has been freed.
void BusyFlagFreed(int resource);

// The line that says a flag could not be freed, with the cause.
rtl::String BusyFlagNotFreedLine(const rtl::String& error);

}  // namespace integrador

#pragma once
// The process's work-item queue: a fixed set of ProcessorCount workers,
// created on first use, that run queued items first in, first out. At exit
// (or on ShutdownThreadPool) the queue is drained and the workers joined.
#include <functional>

#include "platform/rtl/types.h"

namespace rtl {

using LPTHREAD_START_ROUTINE = LongWord (*)(void* parameter);

// Flags are accepted for the platform's sake; every item runs on one of the
// fixed workers whatever they say.
constexpr Cardinal WT_EXECUTEDEFAULT = 0x00000000;
constexpr Cardinal WT_EXECUTEINIOTHREAD = 0x00000001;
constexpr Cardinal WT_EXECUTEINPERSISTENTTHREAD = 0x00000080;
constexpr Cardinal WT_EXECUTELONGFUNCTION = 0x00000010;

// Queues `function(context)`; false once the pool is shutting down. An
// exception escaping an item ends the process, as on the platform.
bool QueueUserWorkItem(LPTHREAD_START_ROUTINE function, void* context, Cardinal flags);
bool QueueUserWorkItem(std::function<void()> item, Cardinal flags = WT_EXECUTEDEFAULT);

// Runs every item already queued, then joins the workers; later items are
// refused while it runs. Afterwards the pool starts again on the next use,
// except at process exit. Not from a pool worker (EThread).
void ShutdownThreadPool();

// The number of workers the pool runs (ProcessorCount).
int ThreadPoolSize();

}  // namespace rtl

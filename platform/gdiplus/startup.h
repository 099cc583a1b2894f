#pragma once
// Start-up and shut-down, and the interface's own allocator. Our backend is
// always present; start-up only checks the version asked for.
#include <cstddef>

#include "platform/gdiplus/types.h"

namespace gdiplus {

using DebugEventProc = void (*)(int level, char* message);
using NotificationHookProc = GpStatus (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  DebugEventProc DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = 0;
  BOOL SuppressExternalCodecs = 0;
};

struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook = nullptr;
  NotificationUnhookProc NotificationUnhook = nullptr;
};

// Version 1 and 2 are accepted (UnsupportedGdiplusVersion otherwise). With
// SuppressBackgroundThread the output receives the hook pair, which does
// nothing but succeed. Start-ups are counted; each needs its shut-down.
GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);
bool gdiplusStarted();  // at least one start-up is in force

void* GdipAlloc(std::size_t size);
void GdipFree(void* ptr);

}  // namespace gdiplus

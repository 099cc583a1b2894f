#pragma once
// Hidden utility windows whose messages go to a method: timers, settings
// broadcasts and other notices that need a window but no screen presence.
#include "platform/ui/controls.h"
#include "platform/win/types.h"

namespace ui {

// A hidden top-level tool window (not a message-only window, so that system
// broadcasts such as WM_SETTINGCHANGE reach it). Each message goes to
// `method` with its result written back; without a method, to the default
// window procedure.
win::HWND AllocateHWnd(const TWndMethod& method);
// Destroys the window; the method is not called afterwards. Null is ignored.
void DeallocateHWnd(win::HWND wnd);

}  // namespace ui

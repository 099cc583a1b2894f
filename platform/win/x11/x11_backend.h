#pragma once
// The X11 backend: every top-level window of the window system is an Xlib
// window of its own. Presents through MIT-SHM (XPutImage when shared memory
// is not there), types text through XIM, shapes windows with XShape, reads
// monitors from Xrandr and the work area from _NET_WORKAREA, shows ARGB
// cursors through Xcursor, and keeps the clipboard on the CLIPBOARD
// selection. Layered windows with per-pixel alpha or a colour key become
// 32-bit ARGB windows while a compositor owns _NET_WM_CM_Sn, and stay opaque
// without one; dead keys are told as such before XIM composes them.
// win::CreateX11Backend (backend.h) makes one.
#include <memory>
#include <string>

#include "platform/win/backend.h"

namespace win::x11 {

// Opens `displayName` (empty: $DISPLAY); null when it cannot be opened, with
// the reason in `error` when given.
std::unique_ptr<Backend> CreateBackend(const std::string& displayName = {},
                                       std::string* error = nullptr);

}  // namespace win::x11

#pragma once
// The window system of this platform layer: windows and messages emulated
// in-process, with a headless and an X11 backend.
#include "platform/win/backend.h"
#include "platform/win/clipboard.h"
#include "platform/win/constants.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/scrollinfo.h"
#include "platform/win/system.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

#pragma once
// The class library's graphics, actions and timer, for callers.
#include "platform/ui/actions.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphic.h"
#include "platform/ui/graphics.h"
#include "platform/ui/images.h"
#include "platform/ui/shortcuts.h"
#include "platform/ui/timer.h"

#pragma once
// The graphics interface (our own implementation of the platform's flat
// GDI+ functions) and its image codecs, for callers.
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/font.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image.h"
#include "platform/gdiplus/matrix.h"
#include "platform/gdiplus/path.h"
#include "platform/gdiplus/pen.h"
#include "platform/gdiplus/startup.h"
#include "platform/gdiplus/status.h"
#include "platform/gdiplus/types.h"

#pragma once
// The GDI of this platform layer: device contexts and raster drawing on
// 32-bit BGRA memory surfaces, and text.
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/png.h"
#include "platform/gdi/region.h"
#include "platform/gdi/rop.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/text.h"
#include "platform/gdi/types.h"

#pragma once
// Drawing a 32-bit image (top-down, straight alpha) onto a DC, stretched to
// a rectangle: the graphic classes that keep their own pixels share it.
#include "platform/gdi/surface.h"
#include "platform/gdi/types.h"

namespace ui::impl {

// Blended over what is there, by the image's alpha.
void DrawWithAlpha(gdi::HDC dst, const gdi::RECT& rect, const gdi::ImageBGRA& image);
// Copied with a raster operation; the alpha byte is not used.
void DrawOpaque(gdi::HDC dst, const gdi::RECT& rect, const gdi::ImageBGRA& image, gdi::DWORD rop);

}  // namespace ui::impl

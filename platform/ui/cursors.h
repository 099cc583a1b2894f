#pragma once
// Pictures of the class library's own cursor ids (crDrag...): 32 x 32 PNG
// files drawn beside the system cursors (platform/win/cursors), compiled in
// as "CURSOR" resources named "CR_DRAG"... TScreen::Cursors makes cursors of
// them.
#include <span>

#include "platform/gdi/surface.h"
#include "platform/ui/controls.h"

namespace ui {

struct LibraryCursorArt {
  TCursor id;            // crDrag...
  const char* resource;  // resource name, type "CURSOR"
  win::POINT hotspot;    // in the picture
};

std::span<const LibraryCursorArt> LibraryCursorTable();
// The entry of `id`, or null when the id has no picture of ours.
const LibraryCursorArt* FindLibraryCursorArt(TCursor id);
// The decoded picture (straight alpha) and its hot spot, kept for the life
// of the program; null when the id has no picture of ours. Main thread.
const gdi::ImageBGRA* LibraryCursorImage(TCursor id, win::POINT* hotspot = nullptr);

}  // namespace ui

#pragma once
// The pictures of the system cursors (IDC_ARROW...), our own artwork kept as
// 32 x 32 PNG files in this folder and compiled in as "CURSOR" resources
// named after the cursor ("IDC_ARROW"). Both backends show them.
#include <span>

#include "platform/gdi/surface.h"
#include "platform/win/types.h"

namespace win {

struct SystemCursorArt {
  UINT id;                // IDC_* number (32512 for the arrow...)
  const char* resource;   // resource name, type "CURSOR"
  POINT hotspot;          // in the picture
};

// Every system cursor with a picture.
std::span<const SystemCursorArt> SystemCursorTable();

// The picture of a system cursor (straight alpha) and its hot spot, decoded
// once and kept for the life of the program; null when `id` is not a system
// cursor. Main thread.
const gdi::ImageBGRA* SystemCursorImage(UINT id, POINT* hotspot = nullptr);

}  // namespace win

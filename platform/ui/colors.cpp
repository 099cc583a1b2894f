#include "platform/ui/colors.h"

#include "platform/gdi/objects.h"

namespace ui {

gdi::COLORREF ColorToRGB(TColor color) {
  // Read at every use, so a changed colour scheme shows at the next paint.
  if (color < 0) return gdi::GetSysColor(color & 0xFF);
  return gdi::COLORREF(color);
}

}  // namespace ui

#include "lib/core/screen_dpi.h"

#include "platform/gdi/dc.h"
#include "platform/win/paint.h"

namespace core {

int cxGetCurrentDPI() {
  // Asked of the screen each time: the resolution can change for a test.
  gdi::HDC dc = win::GetDC(nullptr);
  const int dpi = gdi::GetDeviceCaps(dc, gdi::LOGPIXELSY);
  win::ReleaseDC(nullptr, dc);
  return dpi;
}

}  // namespace core

#include "lib/lookandfeel/dxComposition.h"

namespace lookandfeel {

namespace {

// No compositor library exists on this window system, so nothing is loaded
// and no entry point is bound; a failed query would count as "not enabled".
bool InitDWM() { return false; }

const bool dwmPresent = InitDWM();

}  // namespace

bool IsDwmPresent() { return dwmPresent; }

bool IsCompositionEnabled() {
  if (!IsDwmPresent()) return false;
  return false;
}

}  // namespace lookandfeel

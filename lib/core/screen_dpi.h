#pragma once
// The screen's resolution as the library scales by it. It belongs with the
// canvas routines; it stands alone until those are built.

namespace core {

// Vertical logical pixels per inch of the screen.
int cxGetCurrentDPI();

}  // namespace core

#pragma once
// Our own visual-styles engine (platform/theme) as the binding's provider:
// once installed, "themes active" and every themed part follow the engine
// and its switch.
#include "lib/core/dxUxTheme.h"

namespace core {

// The provider over the engine; one for the process.
IdxVisualStylesProvider& dxThemeEngineProvider();
// Makes it the installed provider (the core's unit start does this).
void dxInstallThemeEngine();

}  // namespace core

#pragma once
// Whether a desktop compositor draws the screen. Drawing on glass, update
// regions and the native background of containers change when one does.
// This window system composes nothing, so the binding reports "not present"
// and every caller takes the plain paint path.

namespace lookandfeel {

// Whether the compositor's library was found at start-up.
bool IsDwmPresent();
// Whether the compositor draws the screen now; false without its library.
bool IsCompositionEnabled();

}  // namespace lookandfeel

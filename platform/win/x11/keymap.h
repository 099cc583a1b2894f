#pragma once
// Key codes of the X server to the virtual keys and scan codes the window
// messages carry. Pure tables: no connection to a display is needed, so the
// mapping is tested on its own.
#include <cstdint>

namespace win::x11 {

struct KeyIdentity {
  std::uint32_t vk = 0;    // virtual key, 0 when the key has none
  std::uint32_t scan = 0;  // set-1 scan code (bits 16-23 of a key message's lParam)
  bool extended = false;   // bit 24 of the lParam
};

// The virtual key of a key press.
//  - `keycode`: the server's key code (evdev-based: key code = evdev code + 8)
//  - `baseKeysym`: the keysym of the key's first level in the current group
//    (no modifiers), which names letters, digits and function keys
//  - `effectiveKeysym`: the keysym with the modifiers applied, which tells the
//    keypad's digits (Num Lock on) from its navigation keys
// Letters and digits follow the layout; the punctuation keys follow their
// position on the keyboard, which gives the same virtual keys as the
// platform's US and Brazilian ABNT2 layouts.
std::uint32_t VirtualKeyFor(unsigned keycode, unsigned long baseKeysym,
                            unsigned long effectiveKeysym);

// The virtual key of a keysym alone (0 when the table has none). Letters of
// either case give 'A'..'Z'.
std::uint32_t VirtualKeyFromKeysym(unsigned long keysym);

// The set-1 scan code of an evdev-based key code (0 when unknown).
KeyIdentity ScanCodeFor(unsigned keycode);

// Both at once, as a key message wants them.
KeyIdentity IdentifyKey(unsigned keycode, unsigned long baseKeysym, unsigned long effectiveKeysym);

// The evdev-based key code of a set-1 scan code (for injecting keys), 0 when
// unknown.
unsigned KeycodeForScanCode(std::uint32_t scan, bool extended);

// Dead keys (the keysyms XK_dead_*): whether `keysym` is one and the
// accent it shows on its own, as WM_DEADCHAR carries it (U+00B4 for the
// acute, '~' for the tilde...); `accent` is 0 for a dead key without a
// spacing form.
bool IsDeadKeysym(unsigned long keysym, char16_t* accent = nullptr);

}  // namespace win::x11

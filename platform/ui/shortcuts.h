#pragma once
// Shift states, keyboard shortcuts and their text ("Shift+Ctrl+F10").
// Virtual-key codes are the window system's (platform/win/constants.h).
#include "platform/rtl/set.h"
#include "platform/rtl/types.h"
#include "platform/win/constants.h"

namespace ui {

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch, ssPen, ssCommand, ssHorizontal };
using TShiftState = rtl::Set<TShiftStateItem, 11>;
constexpr TShiftStateItem ssShift = TShiftStateItem::ssShift;
constexpr TShiftStateItem ssAlt = TShiftStateItem::ssAlt;
constexpr TShiftStateItem ssCtrl = TShiftStateItem::ssCtrl;
constexpr TShiftStateItem ssLeft = TShiftStateItem::ssLeft;
constexpr TShiftStateItem ssRight = TShiftStateItem::ssRight;
constexpr TShiftStateItem ssMiddle = TShiftStateItem::ssMiddle;
constexpr TShiftStateItem ssDouble = TShiftStateItem::ssDouble;
constexpr TShiftStateItem ssTouch = TShiftStateItem::ssTouch;
constexpr TShiftStateItem ssPen = TShiftStateItem::ssPen;
constexpr TShiftStateItem ssCommand = TShiftStateItem::ssCommand;
constexpr TShiftStateItem ssHorizontal = TShiftStateItem::ssHorizontal;

// The virtual key in the low byte, modifiers in the high bits.
using TShortCut = rtl::Word;
constexpr TShortCut scNone = 0;
constexpr TShortCut scCommand = 0x1000;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// A key message (WM_KEYDOWN, WM_SYSKEYDOWN) as the shortcut handlers see it:
// the virtual key and the key data of the window message.
struct TWMKey {
  win::UINT Msg = 0;
  rtl::Word CharCode = 0;
  win::LPARAM KeyData = 0;
  win::LRESULT Result = 0;
};

// scNone for a key above 0xFF.
TShortCut ShortCut(rtl::Word key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, rtl::Word& key, TShiftState& shift);
// "Shift+", "Ctrl+", "Alt+" in that order, then the key's name; "" for a
// key without a name.
rtl::String ShortCutToText(TShortCut shortCut);
// Modifiers in any order and case ("ctrl+shift+f10", "^A"); 0 when the key
// is not recognised.
TShortCut TextToShortCut(rtl::StringView text);

}  // namespace ui

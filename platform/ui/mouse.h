#pragma once
// The class library's mouse settings and scroll codes: the Mouse object
// (drag threshold and wheel lines, read from the system once and changeable
// by tests) and the scroll codes and event that scroll bars report with.
#include "platform/rtl/classes.h"
#include "platform/win/constants.h"

namespace ui {

// The platform's scroll codes, in the order of the system's SB_* values.
enum class TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
                         scEndScroll };
constexpr TScrollCode scLineUp = TScrollCode::scLineUp;
constexpr TScrollCode scLineDown = TScrollCode::scLineDown;
constexpr TScrollCode scPageUp = TScrollCode::scPageUp;
constexpr TScrollCode scPageDown = TScrollCode::scPageDown;
constexpr TScrollCode scPosition = TScrollCode::scPosition;
constexpr TScrollCode scTrack = TScrollCode::scTrack;
constexpr TScrollCode scTop = TScrollCode::scTop;
constexpr TScrollCode scBottom = TScrollCode::scBottom;
constexpr TScrollCode scEndScroll = TScrollCode::scEndScroll;

// The scroll code of a WM_HSCROLL / WM_VSCROLL request (SB_* in the low word);
// an unknown code reads as scEndScroll.
TScrollCode ScrollCodeFromMessage(win::WPARAM wParam);

using TScrollEvent = rtl::Method<void(rtl::TObject* sender, TScrollCode scrollCode, int& scrollPos)>;

// How far the pointer must move with a button held before a drag starts, and
// how many lines one wheel notch scrolls (-1: one page).
class TMouse {
 public:
  TMouse();
  int DragThreshold() const { return dragThreshold_; }
  void SetDragThreshold(int value) { dragThreshold_ = value; }
  int WheelScrollLines() const { return wheelScrollLines_; }
  void SetWheelScrollLines(int value) { wheelScrollLines_ = value; }
  // Reads the wheel setting of the system again (after WM_SETTINGCHANGE).
  void SettingChanged();

 private:
  int dragThreshold_ = 4;
  int wheelScrollLines_ = 3;
};

// The one Mouse object of the program (main thread).
TMouse* Mouse();

}  // namespace ui

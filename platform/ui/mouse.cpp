#include "platform/ui/mouse.h"

#include "platform/win/system.h"

namespace ui {

TScrollCode ScrollCodeFromMessage(win::WPARAM wParam) {
  const unsigned code = unsigned(win::LOWORD(wParam));
  if (code > unsigned(TScrollCode::scEndScroll)) return scEndScroll;
  return TScrollCode(code);
}

TMouse::TMouse() { SettingChanged(); }

void TMouse::SettingChanged() {
  win::UINT lines = 3;
  if (win::SystemParametersInfoW(win::SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
    // The system reports "one page" as the largest unsigned value.
    wheelScrollLines_ = lines == win::UINT(-1) ? -1 : int(lines);
}

TMouse* Mouse() {
  static TMouse mouse;
  return &mouse;
}

}  // namespace ui

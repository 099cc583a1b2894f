#include "platform/win/system_bitmaps.h"

#include "platform/gdi/dc.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"

namespace win {
namespace {

HBITMAP checkBoxes() {
  constexpr int cell = kCheckBoxesCellSize;
  HDC dc = gdi::CreateCompatibleDC(nullptr);
  if (!dc) return nullptr;
  HBITMAP bitmap = gdi::CreateBitmap(4 * cell, 3 * cell, 1, 32, nullptr);
  if (!bitmap) {
    gdi::DeleteDC(dc);
    return nullptr;
  }
  gdi::HGDIOBJ old = gdi::SelectObject(dc, bitmap);
  const UINT rows[3] = {gdi::DFCS_BUTTONCHECK, gdi::DFCS_BUTTONRADIO, gdi::DFCS_BUTTON3STATE};
  const UINT columns[4] = {0, gdi::DFCS_CHECKED, gdi::DFCS_PUSHED, gdi::DFCS_PUSHED | gdi::DFCS_CHECKED};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 4; ++column) {
      RECT r{column * cell, row * cell, (column + 1) * cell, (row + 1) * cell};
      gdi::DrawFrameControl(dc, &r, gdi::DFC_BUTTON, rows[row] | columns[column]);
    }
  }
  gdi::SelectObject(dc, old);
  gdi::DeleteDC(dc);
  return bitmap;
}

}  // namespace

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  switch (reinterpret_cast<UINT_PTR>(name)) {
    case OBM_CHECKBOXES: return checkBoxes();
    default: return nullptr;
  }
}

}  // namespace win

#pragma once
// The system's predefined bitmaps, drawn by the platform in the current
// system colours each time one is loaded.
#include "platform/win/types.h"

namespace win {

// Check-box and radio-button glyphs: a grid of 4 columns by 3 rows of
// 13 x 13 cells. Row 0 check boxes, row 1 radio buttons, row 2 three-state
// boxes; the columns are normal, checked, pushed, pushed and checked.
constexpr UINT OBM_CHECKBOXES = 32759;
constexpr int kCheckBoxesCellSize = 13;

// A new 32-bit bitmap the caller frees with DeleteObject. Only the system's
// own bitmaps are known: `instance` must be null and `name` one of the OBM_
// ids (MAKEINTRESOURCEW); anything else gives null.
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);

}  // namespace win

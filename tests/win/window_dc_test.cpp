// Contexts from GetDCEx and the update region: validation comes only with a
// context of the update region, so a frame painter's DCX_VALIDATE does not
// take the client's pending paint away.
#include "tests/win/recorder.h"

namespace wintest {
namespace {

class WindowDC : public WinTest {};

TEST_F(WindowDC, ValidateFlagValidatesOnlyWithTheUpdateRegion) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  const struct {
    DWORD flags;
    bool stillInvalid;
  } cases[] = {
      {DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS | DCX_VALIDATE, true},
      {DCX_CACHE | DCX_INTERSECTUPDATE | DCX_VALIDATE, false},
  };
  for (const auto& c : cases) {
    InvalidateRect(a, nullptr, FALSE);
    HDC dc = GetDCEx(a, nullptr, c.flags);
    ReleaseDC(a, dc);
    RECT r{};
    EXPECT_EQ(GetUpdateRect(a, &r, FALSE) != FALSE, c.stillInvalid) << c.flags;
    ValidateRect(a, nullptr);
  }
}

}  // namespace
}  // namespace wintest

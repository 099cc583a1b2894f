// The control layer's screen cursors are registered by its unit start, so
// they are in the screen's table in a fresh process before any control has
// been made. The check runs in a child process of its own (the threadsafe
// death-test style starts the program anew), where nothing but the unit
// starts has run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "lib/lookandfeel/cxControls.h"
#include "platform/gdi/objects.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/win.h"

namespace lookandfeel {
namespace {

// How many cursors of the table are missing, shared or wrongly held.
int countBadCursors() {
  win::headless::HeadlessScope screen;
  int bad = 0;
  const win::HCURSOR arrow = ui::Screen->Cursors(ui::crArrow);
  std::set<win::HCURSOR> seen;
  for (const ControlCursor& c : ControlCursorTable()) {
    const win::HCURSOR cursor = ui::Screen->Cursors(c.id);
    win::ICONINFO info{};
    if (!cursor || cursor == arrow || !seen.insert(cursor).second || !win::GetIconInfo(cursor, &info)) {
      ++bad;
      continue;
    }
    if (int(info.xHotspot) != c.hotspot.x || int(info.yHotspot) != c.hotspot.y) ++bad;
    gdi::DeleteObject(info.hbmColor);
    gdi::DeleteObject(info.hbmMask);
  }
  if (ui::Screen->Cursors(crcxSystemHand) != win::LoadCursorW(nullptr, win::IDC_HAND)) ++bad;
  return bad;
}

TEST(ControlCursorsDeathTest, AreInTheScreenBeforeAnyControlExists) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(countBadCursors() == 0 ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace lookandfeel

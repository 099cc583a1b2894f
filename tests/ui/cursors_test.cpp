// The class library's own cursor ids show our pictures.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/ui/cursors.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_fixture.h"

namespace {
using namespace uitest;
using namespace ui;

class Cursors : public UiTest {};

// The picture a cursor handle shows, read back through GetIconInfo.
gdi::ImageBGRA PictureOf(win::HCURSOR cursor, win::POINT* hot) {
  win::ICONINFO info{};
  EXPECT_TRUE(win::GetIconInfo(cursor, &info));
  gdi::ImageBGRA img = gdi::CaptureBitmap(info.hbmColor);
  gdi::DeleteObject(info.hbmColor);
  gdi::DeleteObject(info.hbmMask);
  *hot = win::POINT{win::LONG(info.xHotspot), win::LONG(info.yHotspot)};
  return img;
}

TEST_F(Cursors, EveryLibraryIdHasItsOwnPicture) {
  const TCursor ids[] = {crDrag, crNoDrop, crHSplit, crVSplit, crMultiDrag, crSQLWait};
  ASSERT_EQ(LibraryCursorTable().size(), std::size(ids));
  std::set<std::vector<std::uint32_t>> seen;
  for (TCursor id : ids) {
    SCOPED_TRACE(id);
    const win::HCURSOR h = Screen->Cursors(id);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(h, win::LoadCursorW(nullptr, win::IDC_ARROW));
    EXPECT_NE(h, win::LoadCursorW(nullptr, win::IDC_WAIT));
    EXPECT_EQ(Screen->Cursors(id), h);  // made once
    win::POINT artHot{};
    const gdi::ImageBGRA* art = LibraryCursorImage(id, &artHot);
    ASSERT_NE(art, nullptr);
    ASSERT_EQ(art->width, 32);
    ASSERT_EQ(art->height, 32);
    win::POINT hot{};
    const gdi::ImageBGRA shown = PictureOf(h, &hot);
    EXPECT_EQ(shown.pixels, art->pixels);
    EXPECT_EQ(hot.x, artHot.x);
    EXPECT_EQ(hot.y, artHot.y);
    // The hot spot lies on the drawing, not in empty space around it.
    EXPECT_LT(hot.x, 32);
    EXPECT_LT(hot.y, 32);
    int opaque = 0;
    for (auto p : art->pixels) opaque += (p >> 24) != 0;
    EXPECT_GT(opaque, 40);
    EXPECT_TRUE(seen.insert(art->pixels).second) << "two ids share a picture";
  }
}

TEST_F(Cursors, RegisteredCursorOverridesOurPicture) {
  const win::HCURSOR ours = Screen->Cursors(crHSplit);
  Screen->SetCursors(crHSplit, win::LoadCursorW(nullptr, win::IDC_SIZEWE));
  EXPECT_EQ(Screen->Cursors(crHSplit), win::LoadCursorW(nullptr, win::IDC_SIZEWE));
  Screen->SetCursors(crHSplit, nullptr);
  EXPECT_EQ(Screen->Cursors(crHSplit), ours);
}

TEST_F(Cursors, ControlUnderThePointerShowsItsCursor) {
  auto form = Make<TForm>(nullptr);
  form->SetBounds(100, 100, 300, 200);
  auto* left = rtl::Create<TPanel>(form.get());
  left->SetParent(form.get());
  left->SetBounds(0, 0, 100, 100);
  left->SetCursor(crVSplit);
  auto* right = rtl::Create<TPanel>(form.get());
  right->SetParent(form.get());
  right->SetBounds(150, 0, 100, 100);
  right->SetCursor(crDrag);
  form->Show();
  Process();
  const TPoint a = left->ClientToScreen(TPoint{10, 10});
  win::headless::MouseMove(a.x, a.y);
  Process();
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crVSplit));
  const TPoint b = right->ClientToScreen(TPoint{10, 10});
  win::headless::MouseMove(b.x, b.y);
  Process();
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crDrag));
  // The program-wide cursor wins while set.
  Screen->SetCursor(crSQLWait);
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crSQLWait));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crDrag));
}

}  // namespace

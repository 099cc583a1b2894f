// Drag images and the internal drag object: where the insertion arrows go
// and what they look like, the semi-transparent image that follows the
// cursor, the hatched size frame, and the drag object's life cycle.
#include "lib/lookandfeel/cxDragImages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/gdi/region.h"
#include "platform/ui/stdctrls.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using core::TPoint;
using core::TRect;
using testing::ControlTest;
using testing::Owned;

std::uint32_t Rgb(const gdi::ImageBGRA& image, int x, int y) { return image.at(x, y) & 0xFFFFFFu; }

// ---- arrow placement and outline -------------------------------------------------------------

struct ArrowBoundsCase {
  const char* name;
  TRect area;
  TRect client;
  TcxArrowPlace place;
  TRect expected;
};

TEST(DragAndDropArrowBounds, StandBesideTheInsertionLine) {
  const TRect none{};
  const ArrowBoundsCase cases[] = {
      {"right edge clamped into the client first", {50, 20, 150, 40}, {0, 0, 100, 100}, TcxArrowPlace::apRight,
       {99, 15, 108, 26}},
      {"left of the line", {50, 20, 150, 40}, {0, 0, 100, 100}, TcxArrowPlace::apLeft, {41, 15, 50, 26}},
      {"above, no client: no clamping", {30, 10, 80, 60}, none, TcxArrowPlace::apTop, {25, 1, 36, 10}},
      {"below, no client: no clamping", {30, 10, 80, 60}, none, TcxArrowPlace::apBottom, {25, 60, 36, 69}},
      {"above, left and top clamped", {-20, -5, 10, 200}, {0, 0, 100, 100}, TcxArrowPlace::apTop, {-5, -9, 6, 0}},
      {"below, bottom clamped to the last row", {-20, -5, 10, 200}, {0, 0, 100, 100}, TcxArrowPlace::apBottom,
       {-5, 99, 6, 108}},
      {"left, outside the client without one", {-20, -5, 10, 200}, none, TcxArrowPlace::apLeft,
       {-29, -10, -20, 1}},
  };
  for (const ArrowBoundsCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GetDragAndDropArrowBounds(c.area, c.client, c.place), c.expected);
  }
}

// Draws each arrow on magenta and checks its look: lime inside, a black
// outline that reaches the tip, nothing outside, and the window-region
// outline covering every painted pixel.
TEST(DragAndDropArrowPicture, LimeArrowWithBlackOutlineInsideItsRegion) {
  struct Case {
    TcxArrowPlace place;
    TPoint tip;     // black
    TPoint inside;  // lime
    TPoint corner;  // background
  };
  const Case cases[] = {
      {TcxArrowPlace::apLeft, {8, 5}, {4, 5}, {0, 0}},
      {TcxArrowPlace::apRight, {0, 5}, {4, 5}, {8, 0}},
      {TcxArrowPlace::apTop, {5, 8}, {5, 4}, {0, 8}},
      {TcxArrowPlace::apBottom, {5, 0}, {5, 4}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.place));
    const bool horizontal = c.place == TcxArrowPlace::apLeft || c.place == TcxArrowPlace::apRight;
    const TRect bounds = horizontal ? TRect{0, 0, 9, 11} : TRect{0, 0, 11, 9};
    core::TcxBitmap32 bitmap(bounds.right, bounds.bottom);
    bitmap.cxCanvas()->FillRect(bounds, ui::TColor(0xFF00FF));
    DrawDragAndDropArrow(bitmap.cxCanvas(), bounds, c.place);
    ui::TCanvas* canvas = bitmap.Canvas();
    EXPECT_EQ(canvas->Pixels(c.tip.x, c.tip.y), ui::clBlack);
    EXPECT_EQ(canvas->Pixels(c.inside.x, c.inside.y), ui::TColor(0x00FF00));
    EXPECT_EQ(canvas->Pixels(c.corner.x, c.corner.y), ui::TColor(0xFF00FF));

    const auto corners = GetDragAndDropArrowPoints(bounds, c.place, true);
    std::vector<gdi::POINT> pts;
    for (const TPoint& p : corners) pts.push_back(gdi::POINT{p.x, p.y});
    const gdi::HRGN rgn = gdi::CreatePolygonRgn(pts.data(), int(pts.size()), gdi::WINDING);
    for (int y = 0; y < bounds.bottom; ++y)
      for (int x = 0; x < bounds.right; ++x)
        if (canvas->Pixels(x, y) != ui::TColor(0xFF00FF)) {
          EXPECT_TRUE(gdi::PtInRegion(rgn, x, y)) << "painted pixel outside the region at " << x << "," << y;
        }
    gdi::DeleteObject(rgn);
  }
}

// ---- drag windows ---------------------------------------------------------------------------------

// A panel that counts the presses it gets.
class PressCounter : public ui::TPanel {
 public:
  using ui::TPanel::TPanel;
  int presses = 0;

 protected:
  void MouseDown(ui::TMouseButton b, ui::TShiftState s, int x, int y) override {
    ++presses;
    ui::TPanel::MouseDown(b, s, x, y);
  }
};

class DragWindowTest : public ControlTest {
 protected:
  gdi::ImageBGRA Screen() { return win::headless::Screenshot(); }
};

TEST_F(DragWindowTest, DragImageFollowsTheCursorSemiTransparentAndClickThrough) {
  auto* target = Place<PressCounter>(100, 100, 300, 200);
  target->SetColor(ui::clWhite);
  Process();
  const gdi::ImageBGRA before = Screen();
  const win::HWND activeBefore = win::GetActiveWindow();

  Owned<TcxDragImage> image(rtl::Create<TcxDragImage>());
  image->Init(TRect{0, 0, 40, 20}, TPoint{10, 5});
  image->ImageCanvas()->FillRect(TRect{0, 0, 40, 20}, ui::clRed);
  image->MoveTo(TPoint{200, 150});
  EXPECT_EQ(image->BoundsRect(), (TRect{190, 145, 230, 165}));
  image->ShowImage();
  Process();
  EXPECT_TRUE(image->ImageVisible());
  EXPECT_EQ(win::GetActiveWindow(), activeBefore) << "showing a drag image must not activate it";
  EXPECT_TRUE(image->AlphaBlended());
  EXPECT_EQ(image->AlphaBlendValue(), 180);

  const gdi::ImageBGRA shown = Screen();
  // Red at alpha 180 over the white panel.
  auto mix = [](int fg, int bg) { return (fg * 180 + bg * 75) / 255; };
  const std::uint32_t under = Rgb(before, 200, 150);
  ASSERT_EQ(under, 0xFFFFFFu);
  const std::uint32_t px = Rgb(shown, 200, 150);
  EXPECT_NEAR(int((px >> 16) & 0xFF), mix(255, 255), 2);
  EXPECT_NEAR(int((px >> 8) & 0xFF), mix(0, 255), 2);
  EXPECT_NEAR(int(px & 0xFF), mix(0, 255), 2);
  EXPECT_EQ(Rgb(shown, 189, 150), Rgb(before, 189, 150)) << "left of the image";
  EXPECT_EQ(Rgb(shown, 230, 150), Rgb(before, 230, 150)) << "right of the image";

  // The press goes through the image to the panel under it.
  win::headless::Click(200, 150);
  Process();
  EXPECT_EQ(target->presses, 1);

  image->MoveTo(TPoint{300, 250});
  Process();
  EXPECT_EQ(Rgb(Screen(), 200, 150), Rgb(before, 200, 150)) << "the old place is uncovered";
  image->HideImage();
  Process();
  EXPECT_FALSE(image->ImageVisible());
  EXPECT_EQ(Screen(), before);
}

TEST_F(DragWindowTest, DragImageBitmapFollowsTheWindowSize) {
  Owned<TcxDragImage> image(rtl::Create<TcxDragImage>());
  image->Init(TRect{5, 5, 65, 25}, TPoint{5, 5});
  EXPECT_EQ(image->Image()->Width(), 60);
  EXPECT_EQ(image->Image()->Height(), 20);
  EXPECT_EQ(image->PositionOffset(), (TPoint{0, 0}));
  image->SetBounds(0, 0, 33, 12);
  EXPECT_EQ(image->Image()->Width(), 33);
  EXPECT_EQ(image->Image()->Height(), 12);
}

bool IsPatternPixel(std::uint32_t rgb) { return rgb == 0 || rgb == 0xFFFFFFu; }

TEST_F(DragWindowTest, SizeFrameShowsAHatchedRingAndKeepsItWhenTooSmall) {
  auto* under = Place<ui::TPanel>(0, 0, 640, 480);
  under->SetColor(ui::clRed);
  Process();
  Owned<TcxSizeFrame> frame(rtl::Create<TcxSizeFrame>(4));
  frame->HandleNeeded();
  frame->DrawSizeFrame(TRect{100, 100, 160, 140});
  frame->ShowImage();
  Process();
  gdi::ImageBGRA shot = Screen();
  EXPECT_FALSE(frame->AlphaBlended());
  for (const TPoint p : {TPoint{100, 100}, TPoint{103, 120}, TPoint{159, 139}, TPoint{130, 137}})
    EXPECT_TRUE(IsPatternPixel(Rgb(shot, p.x, p.y))) << p.x << "," << p.y;
  EXPECT_EQ(Rgb(shot, 104, 104), 0xFF0000u) << "the interior shows what lies beneath";
  EXPECT_EQ(Rgb(shot, 130, 120), 0xFF0000u);
  EXPECT_EQ(Rgb(shot, 99, 100), 0xFF0000u);
  // The hatch alternates: two neighbours differ.
  EXPECT_NE(Rgb(shot, 100, 100), Rgb(shot, 101, 100));

  // 2 x 4 >= 8: no interior to cut, the previous ring stays.
  const gdi::HRGN ring = gdi::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(win::GetWindowRgn(frame->Handle(), ring), 0);
  frame->DrawSizeFrame(TRect{100, 100, 108, 140});
  const gdi::HRGN after = gdi::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(win::GetWindowRgn(frame->Handle(), after), 0);
  EXPECT_TRUE(gdi::EqualRgn(ring, after));
  gdi::DeleteObject(ring);
  gdi::DeleteObject(after);

  frame->SetFillSelection(true);
  frame->DrawSizeFrame(TRect{200, 200, 260, 240});
  Process();
  shot = Screen();
  EXPECT_TRUE(IsPatternPixel(Rgb(shot, 230, 220))) << "a filled selection is hatched inside";
}

TEST_F(DragWindowTest, ArrowWindowsShowOnlyTheArrow) {
  auto* under = Place<ui::TPanel>(0, 0, 640, 480);
  under->SetColor(ui::clBlue);
  Process();
  for (bool transparent : {true, false}) {
    SCOPED_TRACE(transparent ? "colour key" : "window region");
    Owned<TcxDragAndDropArrow> arrow(rtl::Create<TcxDragAndDropArrow>(transparent));
    EXPECT_EQ(arrow->Transparent(), transparent);
    arrow->Init(under, TRect{250, 120, 350, 140}, TRect{0, 0, 300, 300}, TcxArrowPlace::apRight);
    EXPECT_EQ(arrow->BoundsRect(), (TRect{299, 115, 308, 126}));
    arrow->ShowImage();
    Process();
    const gdi::ImageBGRA shot = Screen();
    EXPECT_EQ(Rgb(shot, 299 + 4, 115 + 5), 0x00FF00u) << "lime body";
    EXPECT_EQ(Rgb(shot, 299, 115 + 5), 0u) << "black tip";
    EXPECT_EQ(Rgb(shot, 299, 115), 0x0000FFu) << "the corner shows the panel, not magenta";
    EXPECT_EQ(Rgb(shot, 299 + 1, 115 + 10), 0x0000FFu);
  }
}

// ---- the internal drag object -----------------------------------------------------------------------

class ZoomedDragObject : public TcxDragAndDropObject {
 public:
  ZoomedDragObject(TcxControl* c, int zoom) : TcxDragAndDropObject(c), zoom_(zoom) {}
  int dirtyChanges = 0;
  std::vector<std::string> calls;

 protected:
  int GetZoomFactor() override { return zoom_; }
  void DirtyChanged() override { ++dirtyChanges; }
  void BeforeBeginDragAndDrop() override { calls.push_back("before"); }
  void BeginDragAndDrop() override {
    calls.push_back("begin");
    TcxDragAndDropObject::BeginDragAndDrop();
  }
  void EndDragAndDrop(bool accepted) override {
    calls.push_back(accepted ? "end accepted" : "end refused");
    TcxDragAndDropObject::EndDragAndDrop(accepted);
  }
  void AfterDragAndDrop(bool) override { calls.push_back("after"); }

 private:
  int zoom_;
};

TEST_F(DragWindowTest, DragObjectTracksPositionsCursorAndDirtyState) {
  auto* control = Place<TcxControl>(20, 30, 200, 100);
  struct Case {
    int zoom;
    TPoint start, move;  // client points
    TPoint source, current;
  };
  const Case cases[] = {
      {100, {40, 20}, {60, 50}, {40, 20}, {60, 50}},
      {200, {40, 20}, {60, 50}, {20, 10}, {30, 25}},
      {50, {40, 20}, {61, 50}, {80, 40}, {122, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    Owned<ZoomedDragObject> object(rtl::Create<ZoomedDragObject>(control, c.zoom));
    EXPECT_EQ(object->CurMousePos, core::cxInvalidPoint);
    EXPECT_EQ(object->Canvas(), control->cxCanvas());
    EXPECT_EQ(object->ZoomFactor(), c.zoom);
    MouseMove(control, c.start.x, c.start.y);
    object->DoBeginDragAndDrop();
    EXPECT_EQ(object->SourcePoint, c.source);
    EXPECT_EQ(object->CurMousePos, c.source);
    EXPECT_EQ(object->PrevMousePos, c.source);
    EXPECT_EQ(object->dirtyChanges, 1) << "beginning tells the object once";

    bool accepted = true;
    object->DoDragAndDrop(TPoint{c.move.x, c.move.y}, accepted);
    EXPECT_EQ(object->PrevMousePos, c.source);
    EXPECT_EQ(object->CurMousePos, c.current);
    EXPECT_EQ(ui::Screen->Cursor(), ui::crDrag);
    accepted = false;
    object->DoDragAndDrop(TPoint{c.move.x, c.move.y}, accepted);
    EXPECT_EQ(ui::Screen->Cursor(), ui::crNoDrop);
    EXPECT_FALSE(object->Dirty());

    object->DoEndDragAndDrop(false);
    EXPECT_TRUE(object->Dirty());
    EXPECT_EQ(object->dirtyChanges, 2) << "only the change to dirty counts";
    EXPECT_EQ(object->calls, (std::vector<std::string>{"before", "begin", "end refused", "after"}));
    ui::Screen->SetCursor(ui::crDefault);
  }
}

TEST_F(DragWindowTest, BaseDragObjectRefusesEveryKey) {
  auto* control = Place<TcxControl>(20, 30, 200, 100);
  Owned<TcxDragAndDropObject> object(rtl::Create<TcxDragAndDropObject>(control));
  for (rtl::Word key : {rtl::Word(win::VK_ESCAPE), rtl::Word(win::VK_LEFT), rtl::Word('A')}) {
    ui::TWMKey down{win::WM_KEYDOWN, key, 0, 0};
    ui::TWMKey up{win::WM_KEYUP, key, 0, 0};
    EXPECT_FALSE(object->DoProcessKeyDown(down)) << key;
    EXPECT_FALSE(object->DoProcessKeyUp(up)) << key;
  }
  EXPECT_FALSE(object->ImmediateStart());
}

}  // namespace
}  // namespace lookandfeel

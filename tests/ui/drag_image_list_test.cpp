// Drag-image lists: the picked image follows the positions it is given in a
// top-level layered window, held at its hot spot, tied to a window's client
// coordinates or to the screen's; unlocking and hiding take it off the
// screen, locking and showing bring it back, ending the drag destroys the
// window. A platform drag of a control with drag images shows them under the
// pointer, hidden over controls that do not display drag images.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/bitmap.h"
#include "platform/ui/dragdrop.h"
#include "platform/ui/image_list.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

constexpr std::uint32_t kDragRed = 0xFF0000u;
constexpr std::uint32_t kDragBlue = 0x0000FFu;
constexpr int kDragW = 20, kDragH = 10;

std::uint32_t dragRgb(const gdi::ImageBGRA& image, int x, int y) { return image.at(x, y) & 0xFFFFFFu; }

// Two 20 x 10 images: 0 red with its two left columns magenta (masked out),
// 1 all blue.
void fillDragImages(TDragImageList& list) {
  list.SetSize(kDragW, kDragH);
  TBitmap strip;
  strip.SetSize(2 * kDragW, kDragH);
  for (int y = 0; y < kDragH; ++y)
    for (int x = 0; x < 2 * kDragW; ++x)
      strip.Canvas()->SetPixels(x, y, x < 2 ? TColor(0xFF00FF) : x < kDragW ? clRed : clBlue);
  ASSERT_EQ(list.AddMasked(&strip, TColor(0xFF00FF)), 0);
  ASSERT_EQ(list.Count(), 2);
}

class DragImageListTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    form.reset(rtl::Create<TForm>(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 400, 300);
    form->SetColor(clWhite);
    form->Show();
    Process();
    baseline = win::headless::Screenshot();
    fillDragImages(list);
  }
  void TearDown() override {
    list.EndDrag();
    form.reset();
    UiTest::TearDown();
  }
  TPoint FormClient(int x, int y) { return form->ClientToScreen(TPoint{x, y}); }

  // The image shows with its top-left at `at`: its window there, its opaque
  // pixels in `colour`, the masked columns and what is beside it as before.
  void ExpectShownAt(const TPoint& at, std::uint32_t colour, bool maskedLeft) {
    ASSERT_TRUE(list.DragImageVisible());
    const win::HWND wnd = list.DragWindowHandle();
    win::RECT r{};
    win::GetWindowRect(wnd, &r);
    EXPECT_EQ(r, (win::RECT{at.x, at.y, at.x + kDragW, at.y + kDragH}));
    const gdi::ImageBGRA shot = win::headless::Screenshot();
    EXPECT_EQ(dragRgb(shot, at.x + 10, at.y + 5), colour);
    EXPECT_EQ(dragRgb(shot, at.x + kDragW - 1, at.y + kDragH - 1), colour);
    if (maskedLeft) {
      EXPECT_EQ(dragRgb(shot, at.x, at.y + 5), dragRgb(baseline, at.x, at.y + 5)) << "masked out";
    }
    EXPECT_EQ(dragRgb(shot, at.x + kDragW, at.y + 5), dragRgb(baseline, at.x + kDragW, at.y + 5)) << "right";
    EXPECT_EQ(dragRgb(shot, at.x + 10, at.y - 1), dragRgb(baseline, at.x + 10, at.y - 1)) << "above";
  }
  void ExpectHidden() {
    EXPECT_FALSE(list.DragImageVisible());
    EXPECT_EQ(win::headless::Screenshot(), baseline) << "nothing of the image is left on the screen";
  }

  Owned<TForm> form;
  TDragImageList list{kDragW, kDragH};
  gdi::ImageBGRA baseline;
};

// One operation of a drag and what the screen shows after it. Positions are
// the image's top-left, on the screen or in the form's client area.
struct DragStep {
  const char* name;
  std::function<bool(TDragImageList&, win::HWND form)> op;
  bool result;
  bool shown;
  bool inForm;
  TPoint at;
  std::uint32_t colour;
};

TEST_F(DragImageListTest, ImageFollowsMovesLocksAndHidesAtItsHotSpot) {
  ASSERT_TRUE(list.SetDragImage(0, 5, 3));
  EXPECT_EQ(list.GetHotSpot(), (TPoint{5, 3}));
  const win::HWND active = win::GetActiveWindow();
  const DragStep steps[] = {
      {"begin on the screen", [](TDragImageList& l, win::HWND) { return l.BeginDrag(nullptr, 600, 400); }, true,
       true, false, {595, 397}, kDragRed},
      {"a second begin is refused", [](TDragImageList& l, win::HWND) { return l.BeginDrag(nullptr, 0, 0); }, false,
       true, false, {595, 397}, kDragRed},
      {"move", [](TDragImageList& l, win::HWND) { return l.DragMove(650, 420); }, true, true, false, {645, 417},
       kDragRed},
      {"hide", [](TDragImageList& l, win::HWND) { l.HideDragImage(); return true; }, true, false, false, {}, 0},
      {"move while hidden", [](TDragImageList& l, win::HWND) { return l.DragMove(660, 430); }, true, false, false,
       {}, 0},
      {"show at the last move", [](TDragImageList& l, win::HWND) { l.ShowDragImage(); return true; }, true, true,
       false, {655, 427}, kDragRed},
      {"lock to the form", [](TDragImageList& l, win::HWND f) { return l.DragLock(f, 30, 40); }, true, true, true,
       {25, 37}, kDragRed},
      {"move in the form's coordinates", [](TDragImageList& l, win::HWND) { return l.DragMove(100, 50); }, true,
       true, true, {95, 47}, kDragRed},
      {"unlock hides", [](TDragImageList& l, win::HWND) { l.DragUnlock(); return true; }, true, false, false, {}, 0},
      {"move while unlocked", [](TDragImageList& l, win::HWND) { return l.DragMove(700, 300); }, true, false, false,
       {}, 0},
      {"lock again restores", [](TDragImageList& l, win::HWND f) { return l.DragLock(f, 100, 50); }, true, true,
       true, {95, 47}, kDragRed},
      {"another image, another hot spot", [](TDragImageList& l, win::HWND) { return l.SetDragImage(1, 0, 0); },
       true, true, true, {100, 50}, kDragBlue},
      {"an image out of range is refused", [](TDragImageList& l, win::HWND) { return l.SetDragImage(2, 9, 9); },
       false, true, true, {100, 50}, kDragBlue},
      {"the desktop window's client is the screen",
       [](TDragImageList& l, win::HWND) { return l.DragLock(win::GetDesktopWindow(), 500, 90); }, true, true, false,
       {500, 90}, kDragBlue},
  };
  for (const DragStep& s : steps) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(s.op(list, form->Handle()), s.result);
    EXPECT_TRUE(list.Dragging());
    if (s.shown)
      ExpectShownAt(s.inForm ? FormClient(s.at.x, s.at.y) : s.at, s.colour, s.colour == kDragRed);
    else
      ExpectHidden();
  }
  EXPECT_EQ(list.DragIndex(), 1);
  EXPECT_EQ(list.GetHotSpot(), (TPoint{0, 0}));
  EXPECT_EQ(win::GetActiveWindow(), active) << "the drag window is never activated";
  const TPoint centre{510, 95};
  EXPECT_NE(win::WindowFromPoint(win::POINT{centre.x, centre.y}), list.DragWindowHandle())
      << "the pointer passes through the image";

  const win::HWND wnd = list.DragWindowHandle();
  EXPECT_TRUE(list.EndDrag());
  EXPECT_FALSE(win::IsWindow(wnd)) << "ending the drag destroys its window";
  EXPECT_FALSE(list.Dragging());
  EXPECT_EQ(list.DragWindowHandle(), nullptr);
  EXPECT_EQ(win::headless::Screenshot(), baseline);
  // Without a drag the operations refuse.
  EXPECT_FALSE(list.EndDrag());
  EXPECT_FALSE(list.DragMove(10, 10));
  EXPECT_FALSE(list.DragLock(nullptr, 10, 10));
}

TEST_F(DragImageListTest, ChangesOfTheListDuringADragShowAtOnce) {
  ASSERT_TRUE(list.BeginDrag(nullptr, 300, 500));
  ExpectShownAt({300, 500}, kDragRed, true);

  // The dragged image replaced by a blue one.
  TBitmap blue;
  blue.SetSize(kDragW, kDragH);
  blue.Canvas()->Brush()->SetColor(clBlue);
  blue.Canvas()->FillRect(TRect{0, 0, kDragW, kDragH});
  list.Replace(0, &blue, nullptr);
  ExpectShownAt({300, 500}, kDragBlue, false);

  // No image left to show.
  list.Clear();
  ExpectHidden();
  EXPECT_TRUE(list.Dragging());
  EXPECT_TRUE(list.DragMove(310, 510));
  ExpectHidden();
}

TEST_F(DragImageListTest, EndsWithTheListAndRefusesWithoutAnImage) {
  win::HWND wnd = nullptr;
  {
    TDragImageList other(kDragW, kDragH);
    fillDragImages(other);
    ASSERT_TRUE(other.BeginDrag(nullptr, 50, 50));
    wnd = other.DragWindowHandle();
    ASSERT_TRUE(win::IsWindowVisible(wnd));
  }
  EXPECT_FALSE(win::IsWindow(wnd)) << "a list freed during its drag takes the window with it";
  EXPECT_EQ(win::headless::Screenshot(), baseline);

  TDragImageList empty(kDragW, kDragH);
  EXPECT_FALSE(empty.BeginDrag(nullptr, 50, 50));
  EXPECT_FALSE(empty.Dragging());
  EXPECT_FALSE(empty.SetDragImage(0, 1, 1));
}

TEST_F(DragImageListTest, DragCursorShowsAtOnceWhileDragging) {
  EXPECT_EQ(list.DragCursor(), crDrag);
  list.SetDragCursor(crHandPoint);
  EXPECT_NE(win::GetCursor(), Screen->Cursors(crHandPoint)) << "not before the drag";
  ASSERT_TRUE(list.BeginDrag(nullptr, 50, 50));
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crHandPoint));
  list.SetDragCursor(crNoDrop);
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crNoDrop));
}

// ---- a platform drag with drag images -------------------------------------------------------

// A panel whose drags show the list it holds.
class ImagePanel : public TPanel {
 public:
  using TPanel::TPanel;
  TDragImageList* images = nullptr;
  TDragImageList* GetDragImages() override { return images; }
};

// Where the image was and whether it showed when a target was asked.
struct ImageSeen {
  std::string target;
  bool shown;
  TRect bounds;
  std::uint32_t centre;  // the screen's pixel at the image's centre
};

TEST_F(DragImageListTest, PlatformDragShowsTheSourcesImagesOverControlsThatDisplayThem) {
  auto* source = rtl::Create<ImagePanel>(form.get());
  source->SetParent(form.get());
  source->SetBounds(10, 10, 100, 100);
  auto* shows = rtl::Create<TPanel>(form.get());  // displays drag images
  shows->SetParent(form.get());
  shows->SetBounds(150, 10, 100, 100);
  shows->SetControlStyle(shows->ControlStyle() + TControlStyleItem::csDisplayDragImage);
  auto* hides = rtl::Create<TPanel>(form.get());
  hides->SetParent(form.get());
  hides->SetBounds(280, 10, 100, 100);
  source->images = &list;
  ASSERT_TRUE(list.SetDragImage(1, 4, 2));
  Process();
  baseline = win::headless::Screenshot();

  std::vector<ImageSeen> seen;
  bool hiddenAroundScroll = false;
  auto watch = [&](TPanel* target, const char* name) {
    target->SetOnDragOver(TDragOverEvent::fromClosure(
        target, [&, name](rtl::TObject*, rtl::TObject* src, int, int, TDragState state, bool& accept) {
          accept = true;
          if (state == dsDragLeave) return;
          win::RECT r{};
          win::GetWindowRect(list.DragWindowHandle(), &r);
          const gdi::ImageBGRA shot = win::headless::Screenshot();
          seen.push_back({name, list.DragImageVisible(), TRect{r.left, r.top, r.right, r.bottom},
                          dragRgb(shot, r.left + 10, r.top + 5)});
          // Around painting beneath it the drag object hides its image.
          auto* object = static_cast<TDragObject*>(src);
          object->HideDragImage();
          hiddenAroundScroll = !list.DragImageVisible();
          object->ShowDragImage();
        }));
  };
  watch(shows, "shows");
  watch(hides, "hides");
  bool draggingAtEnd = true;
  source->SetOnEndDrag(TEndDragEvent::fromClosure(
      source, [&](rtl::TObject*, rtl::TObject*, int, int) { draggingAtEnd = list.Dragging(); }));

  auto at = [](TControl* c, int x, int y) { return c->ClientToScreen(TPoint{x, y}); };
  const TPoint start = at(source, 50, 50);
  const TPoint moves[] = {at(shows, 20, 20), at(shows, 60, 70), at(hides, 30, 30), at(shows, 40, 40)};
  win::headless::MouseMove(start.x, start.y);
  Process();
  for (const TPoint& p : moves) {
    win::headless::MouseMove(p.x, p.y);
    win::headless::PressKey(win::VK_SHIFT);  // keeps queued moves apart
  }
  win::headless::MouseUp(win::MouseButton::Left, moves[3].x, moves[3].y);
  source->BeginDrag(false);

  // A target is asked before the image moves: each sees it where the pointer
  // was before, held at the hot spot (4, 2). The drag began with the pointer
  // where the queued moves had already put it: the release point.
  auto held = [](const TPoint& p) { return TRect{p.x - 4, p.y - 2, p.x - 4 + kDragW, p.y - 2 + kDragH}; };
  const std::vector<ImageSeen> expected = {
      {"shows", true, held(moves[3]), kDragBlue},  // shown where the drag began
      {"shows", true, held(moves[0]), kDragBlue},  //
      {"hides", true, held(moves[1]), kDragBlue},  //
      {"shows", false, held(moves[2]), 0},         // over the control that hides it
      {"shows", true, held(moves[3]), kDragBlue},  // the release point, asked once more
  };
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].target, expected[i].target);
    EXPECT_EQ(seen[i].shown, expected[i].shown);
    EXPECT_EQ(seen[i].bounds, expected[i].bounds);
    if (expected[i].shown) {
      EXPECT_EQ(seen[i].centre, expected[i].centre);
    }
  }
  EXPECT_TRUE(hiddenAroundScroll);
  EXPECT_FALSE(draggingAtEnd) << "the image is gone before the source hears the end";
  EXPECT_FALSE(list.Dragging());
  EXPECT_EQ(win::headless::Screenshot(), baseline);
}

// A panel that owns the list its drags show.
class OwningImagePanel : public TPanel {
 public:
  using TPanel::TPanel;
  TDragImageList own{kDragW, kDragH};
  TDragImageList* GetDragImages() override { return &own; }
};

TEST_F(DragImageListTest, SourceFreedDuringItsDragTakesTheImageAlong) {
  auto* source = rtl::Create<OwningImagePanel>(form.get());
  source->SetParent(form.get());
  source->SetBounds(10, 10, 100, 100);
  fillDragImages(source->own);
  auto* target = rtl::Create<TPanel>(form.get());
  target->SetParent(form.get());
  target->SetBounds(150, 10, 100, 100);
  Process();
  win::HWND imageWnd = nullptr;
  bool askedAfterFree = true;
  target->SetOnDragOver(TDragOverEvent::fromClosure(
      target, [&](rtl::TObject*, rtl::TObject* src, int, int, TDragState state, bool& accept) {
        accept = true;
        if (state == dsDragLeave || !source) return;
        imageWnd = source->own.DragWindowHandle();
        ASSERT_TRUE(win::IsWindowVisible(imageWnd));
        source->Free();
        source = nullptr;
        auto* object = static_cast<TDragObject*>(src);
        askedAfterFree = object->GetDragImages() != nullptr;
        object->HideDragImage();  // reaches nothing freed
      }));
  const TPoint start = form->ClientToScreen(TPoint{60, 60});
  const TPoint over = target->ClientToScreen(TPoint{50, 50});
  win::headless::MouseMove(start.x, start.y);
  Process();
  // The drag starts where the queued moves left the pointer; the first move
  // back past the threshold begins it.
  win::headless::MouseMove(over.x, over.y);
  win::headless::PressKey(win::VK_SHIFT);
  win::headless::MouseMove(over.x + 20, over.y);
  win::headless::PressKey(win::VK_SHIFT);
  win::headless::MouseUp(win::MouseButton::Left, over.x + 20, over.y);
  source->BeginDrag(false);
  EXPECT_EQ(source, nullptr);
  ASSERT_NE(imageWnd, nullptr);
  EXPECT_FALSE(win::IsWindow(imageWnd));
  EXPECT_FALSE(askedAfterFree);
  EXPECT_EQ(ActiveDragObject(), nullptr);
}

}  // namespace

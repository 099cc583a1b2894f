// The drag images of a base control's platform drag: a control that has
// them displays drag images, makes its list on first use from the picture
// it draws (its bottom-left colour masked out), shows it under the pointer
// for the whole drag, hides and shows it through the drag object around
// scrolling, and frees it when the drag ends, so the next drag draws anew.
#include <gtest/gtest.h>

#include <vector>

#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxDragImages.h"
#include "platform/ui/dragdrop.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using core::TRect;
using testing::ControlTest;

// Draws a 30 x 12 picture: a white ring two pixels wide (the bottom-left
// colour, so masked out) round red.
class DragPictureControl : public TcxControl {
 public:
  using TcxControl::TcxControl;
  using TcxControl::DragImages;
  using TcxControl::GetDragImages;
  bool hasImages = true;
  ui::TSize size{30, 12};
  int drawn = 0;

  bool HasDragImages() override { return hasImages; }
  ui::TSize GetDragImagesSize() override { return size; }
  void DrawDragImage(core::TcxCanvas* ACanvas, const TRect& R) override {
    ++drawn;
    ACanvas->FillRect(R, ui::clWhite);
    ACanvas->FillRect(TRect{R.left + 2, R.top + 2, R.right - 2, R.bottom - 2}, ui::clRed);
  }
};

// The style and list a control's answers give before any drag.
struct DragImagesCase {
  const char* name;
  bool hasImages;
  ui::TSize size;
  // Expected
  bool displays;  // csDisplayDragImage
  bool handedOut;
  bool made;
};
const DragImagesCase kDragImagesCases[] = {
    {"NoDragImages", false, {30, 12}, false, false, false},
    {"ZeroWidthGivesAnEmptyList", true, {0, 12}, true, false, true},
    {"ZeroHeightGivesAnEmptyList", true, {30, 0}, true, false, true},
    {"APictureIsOneMaskedImage", true, {30, 12}, true, true, true},
};

class DragControlImagesTest : public ControlTest, public ::testing::WithParamInterface<DragImagesCase> {};

// Sets the answers before the control's construction ends, as a descendant's
// own fields would.
class DragPictureControlOf : public DragPictureControl {
 public:
  static inline DragImagesCase current{};
  explicit DragPictureControlOf(rtl::TComponent* AOwner) : DragPictureControl(AOwner) {
    hasImages = current.hasImages;
    size = current.size;
  }
};

TEST_P(DragControlImagesTest, AnswersGiveTheStyleAndTheList) {
  const DragImagesCase& c = GetParam();
  DragPictureControlOf::current = c;
  auto* control = Place<DragPictureControlOf>(10, 10, 100, 100);
  EXPECT_EQ(control->ControlStyle().contains(ui::TControlStyleItem::csDisplayDragImage), c.displays);
  ui::TDragImageList* list = control->GetDragImages();
  EXPECT_EQ(list != nullptr, c.handedOut);
  EXPECT_EQ(control->DragImages() != nullptr, c.made);
  if (control->DragImages()) {
    EXPECT_NE(dynamic_cast<TcxDragImageList*>(control->DragImages()), nullptr);
  }
  if (!list) return;
  EXPECT_EQ(list, control->GetDragImages()) << "made once";
  EXPECT_EQ(control->drawn, 1);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Width(), 30);
  EXPECT_EQ(list->Height(), 12);
  const gdi::ImageBGRA& picture = list->ImagePixels(0);
  EXPECT_EQ(picture.at(0, 0) >> 24, 0u) << "the ring is masked out";
  EXPECT_EQ(picture.at(29, 11) >> 24, 0u);
  EXPECT_EQ(picture.at(15, 6), 0xFFFF0000u) << "opaque red inside";
}

INSTANTIATE_TEST_SUITE_P(Cases, DragControlImagesTest, ::testing::ValuesIn(kDragImagesCases),
                         [](const auto& info) { return std::string(info.param.name); });

// What a drag-over saw of the image.
struct DragControlImageSeen {
  bool shown;
  core::TRect bounds;
  std::uint32_t inside;  // the screen at the image's (15, 6)
  std::uint32_t ring;    // the screen at the image's (0, 6)
  bool hiddenByScrolling;
  bool shownAgain;
};

class DragControlImagesDragTest : public ControlTest {};

TEST_F(DragControlImagesDragTest, ImageFollowsThePointerForTheDragAndGoesWithIt) {
  auto* control = Place<DragPictureControl>(10, 10, 200, 150);
  Process();
  const gdi::ImageBGRA before = win::headless::Screenshot();
  std::vector<DragControlImageSeen> seen;
  control->SetOnDragOver(ui::TDragOverEvent::fromClosure(
      control, [&](rtl::TObject*, rtl::TObject*, int, int, ui::TDragState state, bool& accept) {
        accept = true;
        if (state == ui::dsDragLeave) return;
        TcxDragImageList* list = control->DragImages();
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->Dragging());
        win::RECT r{};
        win::GetWindowRect(list->DragWindowHandle(), &r);
        const gdi::ImageBGRA shot = win::headless::Screenshot();
        DragControlImageSeen s{list->DragImageVisible(), TRect{r.left, r.top, r.right, r.bottom},
                               shot.at(r.left + 15, r.top + 6) & 0xFFFFFFu, shot.at(r.left, r.top + 6) & 0xFFFFFFu,
                               false, false};
        HideDragImage();  // as around scrolling the control
        s.hiddenByScrolling = !list->DragImageVisible();
        ShowDragImage();
        s.shownAgain = list->DragImageVisible();
        seen.push_back(s);
      }));
  int drops = 0;
  control->SetOnDragDrop(
      ui::TDragDropEvent::fromClosure(control, [&](rtl::TObject*, rtl::TObject*, int, int) { ++drops; }));

  for (int drag = 1; drag <= 2; ++drag) {
    SCOPED_TRACE(drag);
    seen.clear();
    const win::POINT start = ScreenPoint(control, 20, 20);
    const win::POINT to = ScreenPoint(control, 120, 90);
    win::headless::MouseMove(start.x, start.y);
    Process();
    win::headless::MouseMove(start.x + 10, start.y);
    win::headless::PressKey(win::VK_SHIFT);
    win::headless::MouseMove(to.x, to.y);
    win::headless::PressKey(win::VK_SHIFT);
    win::headless::MouseUp(win::MouseButton::Left, to.x, to.y);
    control->BeginDrag(false);

    ASSERT_FALSE(seen.empty());
    for (const DragControlImageSeen& s : seen) {
      EXPECT_TRUE(s.shown) << "the control displays drag images";
      EXPECT_EQ(s.inside, 0xFF0000u);
      EXPECT_EQ(s.ring, before.at(s.bounds.left, s.bounds.top + 6) & 0xFFFFFFu) << "the masked ring shows beneath";
      EXPECT_TRUE(s.hiddenByScrolling);
      EXPECT_TRUE(s.shownAgain);
    }
    // The release point is asked once more; the hot spot is the image's
    // top-left.
    EXPECT_EQ(seen.back().bounds, (TRect{to.x, to.y, to.x + 30, to.y + 12}));
    EXPECT_EQ(drops, drag);
    EXPECT_EQ(control->DragImages(), nullptr) << "freed at the drag's end";
    EXPECT_EQ(control->drawn, drag) << "each drag draws its picture anew";
    Process();
    EXPECT_EQ(win::headless::Screenshot(), before);
  }
}

}  // namespace
}  // namespace lookandfeel

// The size grip of an editor's inner list box: the square between its two
// library scroll bars, filled with the container's grip colour over the
// native corner after every frame paint, and nothing while a bar is hidden.
#include <gtest/gtest.h>

#include <string>

#include "lib/lookandfeel/cxContainer.h"
#include "lib/lookandfeel/cxInnerListBox.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/surface.h"
#include "platform/win/headless.h"
#include "platform/win/listbox.h"
#include "platform/win/scrollinfo.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

// A container whose grip colour stands out from the native corner's face.
class GripContainer : public TcxContainer {
 public:
  explicit GripContainer(rtl::TComponent* AOwner) : TcxContainer(AOwner) {}
  TColor GetSizeGripColor() override { return ui::clFuchsia; }
};

class ContainerGripTest : public testing::ControlTest {
 protected:
  // An editor 160 x 100 at (20, 20); its list fills the inside of the 2-pixel border.
  void PlaceEditor(int items, int extent) {
    container = Place<GripContainer>(20, 20, 160, 100);
    container->Style()->LookAndFeel()->SetNativeStyle(false);
    list = rtl::Create<TcxCustomInnerListBox>(container);
    list->SetParent(container);
    list->SetContainer(container);
    container->SetInnerControl(list);
    list->HandleNeeded();
    for (int i = 0; i < items; ++i) list->Items()->Add(i % 2 ? u"linha par" : u"linha impar");
    win::SendMessageW(list->Handle(), win::LB_SETHORIZONTALEXTENT, extent, 0);
    Process();
  }
  gdi::COLORREF ScreenPixel(int x, int y) {
    const gdi::ImageBGRA shot = win::headless::Screenshot(form()->Handle());
    const std::uint32_t v = shot.pixels[size_t(y) * shot.width + x];
    return gdi::RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  GripContainer* container = nullptr;
  TcxCustomInnerListBox* list = nullptr;
};

TEST_F(ContainerGripTest, BothBarsShowTheGripBetweenThem) {
  PlaceEditor(40, 600);
  ASSERT_TRUE(list->VScrollBar()->Visible());
  ASSERT_TRUE(list->HScrollBar()->Visible());
  // The list is 156 x 96 at (2, 2) in the container: the corner square of its bars.
  const TRect grip = list->SizeGripRect();
  EXPECT_EQ(grip, (TRect{156 - win::kScrollBarSize, 96 - win::kScrollBarSize, 156, 96}));
  const TRect v = list->VScrollBar()->BoundsRect(), h = list->HScrollBar()->BoundsRect();
  EXPECT_EQ(grip.left, v.left - list->Left());
  EXPECT_EQ(grip.top, h.top - list->Top());
  // On screen: the list's window starts at (22, 22).
  const int x = 22 + grip.left, y = 22 + grip.top;
  for (auto [dx, dy] : {std::pair{0, 0}, std::pair{8, 8}, std::pair{16, 16}})
    EXPECT_EQ(ScreenPixel(x + dx, y + dy), gdi::RGB(255, 0, 255)) << dx << "," << dy;
  // A frame repaint (the list resized) fills it again at its new place.
  container->SetBounds(20, 20, 180, 110);
  Process();
  const TRect moved = list->SizeGripRect();
  EXPECT_EQ(moved, (TRect{176 - win::kScrollBarSize, 106 - win::kScrollBarSize, 176, 106}));
  EXPECT_EQ(ScreenPixel(22 + moved.left + 8, 22 + moved.top + 8), gdi::RGB(255, 0, 255));
}

TEST_F(ContainerGripTest, AHiddenBarLeavesNoGrip) {
  struct Case {
    const char* what;
    int items, extent;
  };
  const Case cases[] = {{"only the vertical bar", 40, 0}, {"only the horizontal bar", 2, 600}, {"no bar", 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlaceEditor(c.items, c.extent);
    EXPECT_EQ(list->SizeGripRect(), TRect{});
    // The corner where a grip would be keeps the list's own colours.
    EXPECT_NE(ScreenPixel(22 + 156 - 8, 22 + 96 - 8), gdi::RGB(255, 0, 255));
    container->Free();
    Process();
  }
}

}  // namespace
}  // namespace lookandfeel

// The class library's settings that the base control reads: the Mouse
// object, the scroll codes of scroll requests, the parent-background style,
// the three-dimensional look that children follow, double buffering and
// the drag mode.
#include <gtest/gtest.h>

#include "platform/ui/mouse.h"
#include "tests/ui/ui_fixture.h"

namespace uitest {
namespace {

TEST(ControlSettings, MouseStartsWithTheSystemValues) {
  EXPECT_EQ(ui::Mouse()->DragThreshold(), 4);
  EXPECT_EQ(ui::Mouse()->WheelScrollLines(), 3);
}

TEST(ControlSettings, ScrollRequestsMapToScrollCodes) {
  const struct {
    win::WPARAM wParam;
    ui::TScrollCode code;
  } cases[] = {
      {win::SB_LINEUP, ui::scLineUp},          {win::SB_PAGEDOWN, ui::scPageDown},
      {win::MAKELONG(win::SB_THUMBTRACK, 77), ui::scTrack},  // position in the high word
      {win::SB_ENDSCROLL, ui::scEndScroll},    {win::WPARAM(42), ui::scEndScroll},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::ScrollCodeFromMessage(c.wParam), c.code) << c.wParam;
}

class ControlLook : public UiTest {};

TEST_F(ControlLook, ParentBackgroundIsAStyleFlagAndCtl3DFollowsTheParent) {
  auto form = Make<ui::TForm>(nullptr);
  auto* panel = rtl::Create<ui::TCustomControl>(form.get());
  panel->SetParent(form.get());
  EXPECT_FALSE(panel->ParentBackground());
  panel->SetParentBackground(true);
  EXPECT_TRUE(panel->ControlStyle().contains(ui::csParentBackground));
  EXPECT_FALSE(panel->DoubleBuffered());
  EXPECT_EQ(panel->DragMode(), ui::dmManual);

  MessageLog log;
  log.only = {ui::CM_CTL3DCHANGED};
  log.Watch(panel, "panel");
  form->SetCtl3D(false);
  EXPECT_FALSE(panel->Ctl3D());
  EXPECT_EQ(log.lines, (std::vector<std::string>{"panel:0xB010"}));
  panel->SetCtl3D(true);  // its own value from now on
  form->SetCtl3D(true);
  form->SetCtl3D(false);
  EXPECT_TRUE(panel->Ctl3D());
  panel->SetParentCtl3D(true);
  EXPECT_FALSE(panel->Ctl3D());
}

}  // namespace
}  // namespace uitest

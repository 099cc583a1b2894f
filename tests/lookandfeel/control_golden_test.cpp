// What a base control looks like in each look-and-feel kind: its border,
// its two painted scroll bars (the thumb of the vertical one pressed) and
// the size grip between them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lib/lookandfeel/cxControls.h"
#include "tests/lookandfeel/control_fixture.h"
#include "tests/support/golden.h"

namespace lookandfeel {
namespace {

class FramedControl : public TcxControl {
 public:
  explicit FramedControl(rtl::TComponent* owner) : TcxControl(owner) {}

 protected:
  std::unique_ptr<TcxControlCustomScrollBars> CreateMainScrollBars() override {
    return std::make_unique<TcxControlScrollBars>(this);
  }
  void InitScrollBarsParameters() override {
    SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, 99, 1, 25, 30, true, true);
    SetScrollBarInfo(TScrollBarKind::sbVertical, 0, 99, 1, 50, 0, true, true);
  }
  void DoPaint() override {
    TcxControl::DoPaint();
    cxCanvas()->FillRect(ClientBounds(), ui::clWindow);
  }
};

struct KindCase {
  const char* name;
  TcxLookAndFeelKind kind;
};
const KindCase kKinds[] = {
    {"flat", TcxLookAndFeelKind::lfFlat},
    {"standard", TcxLookAndFeelKind::lfStandard},
    {"ultra_flat", TcxLookAndFeelKind::lfUltraFlat},
    {"office11", TcxLookAndFeelKind::lfOffice11},
};

class ControlGolden : public testing::ControlTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(ControlGolden, BorderBarsAndGrip) {
  FramedControl* c = Place<FramedControl>(10, 10, 140, 100);
  c->LookAndFeel()->SetNativeStyle(false);
  c->LookAndFeel()->SetKind(GetParam().kind);
  c->SetBorderStyle(TcxControlBorderStyle::cxcbsDefault);
  c->UpdateScrollBars();
  ASSERT_TRUE(c->HScrollBarVisible());
  ASSERT_TRUE(c->VScrollBarVisible());
  // Press the vertical thumb: the painters that hot-track show it pressed.
  const TRect v = c->VScrollBar()->GetBoundsRect();
  MouseDown(c, (v.left + v.right) / 2, v.top + 17 + 5);
  c->Invalidate();
  Process();
  EXPECT_GOLDEN(win::headless::Screenshot(c->Handle()), "lookandfeel",
                std::string("control_") + GetParam().name);
  MouseUp(c, (v.left + v.right) / 2, v.top + 17 + 5);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ControlGolden, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lookandfeel

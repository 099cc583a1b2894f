// The container control: its state (normal, focused, hot, disabled) and the
// style each state takes, the border and background drawn from that style
// around an inner edit, the shadow and window region, and the library
// scroll bars that stand in for the inner window's own.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "lib/lookandfeel/cxContainer.h"
#include "platform/gdi/region.h"
#include "platform/ui/stdctrls.h"
#include "platform/win/scrollinfo.h"
#include "tests/lookandfeel/control_fixture.h"
#include "tests/support/golden.h"

namespace lookandfeel {
namespace {

using St = TcxContainerStateItem;
using B = TcxContainerBorderStyle;
using testing::Owned;

// The inner edit of an editor: no frame of its own (the container draws it),
// and it names its container.
class InnerEdit : public ui::TEdit, public IcxContainerInnerControl {
 public:
  explicit InnerEdit(rtl::TComponent* AOwner) : ui::TEdit(AOwner) {}
  ui::TWinControl* GetControl() override { return this; }
  TcxContainer* GetControlContainer() override { return dynamic_cast<TcxContainer*>(Parent()); }

 protected:
  void CreateParams(ui::TCreateParams& Params) override {
    ui::TEdit::CreateParams(Params);
    Params.ExStyle &= ~win::WS_EX_CLIENTEDGE;
  }
};

class ContainerTest : public testing::ControlTest {
 protected:
  // A container at (10, 10) with an inner edit showing a word.
  TcxContainer* PlaceEditContainer(int width = 120, int height = 26) {
    TcxContainer* c = Place<TcxContainer>(10, 10, width, height);
    c->Style()->LookAndFeel()->SetNativeStyle(false);
    c->Style()->LookAndFeel()->SetKind(TcxLookAndFeelKind::lfUltraFlat);
    edit_ = rtl::Create<InnerEdit>(c);
    edit_->SetParent(c);
    edit_->SetText(u"Texto");
    c->SetInnerControl(edit_);
    Process();
    return c;
  }
  InnerEdit* edit_ = nullptr;
};

struct StateCase {
  const char* name;
  std::function<void(ContainerTest&, TcxContainer*)> enter;
  TcxContainerState state;
  TcxContainerHotState hot;
  St activeStyle;
  ui::TColor border;
  ui::TColor background;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

TcxContainerStyle* StyleOf(TcxContainer* c, St state) {
  switch (state) {
    case St::csActive: return c->StyleFocused();
    case St::csDisabled: return c->StyleDisabled();
    case St::csHotTrack: return c->StyleHot();
    default: return c->Style();
  }
}

class ContainerStates : public ContainerTest, public ::testing::WithParamInterface<StateCase> {
 public:
  void Hover(TcxContainer* c) { MouseMove(c, 1, 8); }  // on the frame, beside the edit
};

const StateCase kStates[] = {
    {"normal", [](ContainerTest&, TcxContainer*) {}, {St::csNormal}, TcxContainerHotState::chsNormal, St::csNormal,
     ui::clBtnShadow, ui::clWindow},
    {"focused", [](ContainerTest&, TcxContainer* c) { c->SetFocus(); }, {St::csActive},
     TcxContainerHotState::chsSelected, St::csActive, ui::clHighlight, ui::clWindow},
    {"hot", [](ContainerTest& t, TcxContainer* c) { static_cast<ContainerStates&>(t).Hover(c); },
     {St::csNormal, St::csHotTrack}, TcxContainerHotState::chsSelected, St::csHotTrack, ui::clHighlight,
     ui::clWindow},
    {"disabled", [](ContainerTest&, TcxContainer* c) { c->SetEnabled(false); }, {St::csDisabled},
     TcxContainerHotState::chsNormal, St::csDisabled, ui::clBtnShadow, ui::clBtnFace},
};

TEST_P(ContainerStates, BorderBackgroundAndInnerEditFollowTheState) {
  const StateCase& c = GetParam();
  TcxContainer* container = PlaceEditContainer();
  MouseMove(form(), 400, 400);
  c.enter(*this, container);
  Process();
  const TcxContainerViewInfo* vi = container->ViewInfo();
  EXPECT_EQ(vi->ContainerState, c.state);
  EXPECT_EQ(vi->HotState, c.hot);
  EXPECT_EQ(container->ActiveStyle(), StyleOf(container, c.activeStyle));
  // UltraFlat without an assigned border style draws a single line of the
  // UltraFlat width, highlighted while focused or hot.
  EXPECT_EQ(vi->BorderStyle, B::cbsSingle);
  EXPECT_EQ(vi->BorderWidth, 1);
  EXPECT_EQ(vi->BorderColor, c.border);
  EXPECT_EQ(vi->BackgroundColor(), c.background);
  // The transparent border keeps 2 pixels on each side; the edit fills the rest.
  EXPECT_EQ(vi->BorderRect, (TRect{2, 2, 118, 24}));
  EXPECT_EQ(edit_->BoundsRect(), vi->ClientRect);
  EXPECT_EQ(edit_->Color(), c.background);
  EXPECT_EQ(edit_->Font()->Color(), c.activeStyle == St::csDisabled ? ui::clBtnShadow : ui::clWindowText);
  EXPECT_EQ(edit_->Text(), u"Texto");
  EXPECT_EQ(GetcxContainer(edit_), container);
  EXPECT_EQ(GetcxContainer(container), container);
  EXPECT_GOLDEN(win::headless::Screenshot(container->Handle()), "lookandfeel",
                std::string("container_") + c.name);
}

INSTANTIATE_TEST_SUITE_P(States, ContainerStates, ::testing::ValuesIn(kStates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContainerTest, LeavingAHotContainerEndsTheHotState) {
  TcxContainer* c = PlaceEditContainer();
  MouseMove(c, 1, 8);
  ASSERT_TRUE(c->ViewInfo()->ContainerState.contains(St::csHotTrack));
  MouseMove(form(), 400, 400);
  Advance(100);  // the mouse tracking notices the pointer left
  EXPECT_FALSE(c->ViewInfo()->ContainerState.contains(St::csHotTrack));
  EXPECT_EQ(c->ViewInfo()->HotState, TcxContainerHotState::chsNormal);
  EXPECT_EQ(c->ViewInfo()->BorderColor, ui::clBtnShadow);
  // Without hot tracking the pointer changes nothing.
  c->Style()->SetHotTrack(false);
  MouseMove(c, 1, 8);
  EXPECT_EQ(c->ViewInfo()->HotState, TcxContainerHotState::chsNoHotTrack);
  EXPECT_EQ(c->ActiveStyle(), c->Style());
}

TEST_F(ContainerTest, ShadowTakesTheLastThreePixelsAndShapesTheWindow) {
  TcxContainer* c = PlaceEditContainer(100, 30);
  c->Style()->SetTransparentBorder(false);
  c->Style()->SetBorderStyle(B::cbsSingle);
  c->Style()->SetShadow(true);
  Process();
  const TcxContainerViewInfo* vi = c->ViewInfo();
  EXPECT_TRUE(vi->Shadow);
  EXPECT_EQ(vi->BorderRect, (TRect{1, 1, 100 - 1 - 3, 30 - 1 - 3}));
  EXPECT_EQ(edit_->BoundsRect(), vi->BorderRect);
  gdi::HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(win::GetWindowRgn(c->Handle(), rgn), 0);
  struct Point {
    int x, y;
    bool inside;
  };
  const Point points[] = {{0, 0, true},   {96, 26, true},  {99, 29, true},  {50, 28, true},
                          {99, 1, false}, {1, 29, false},  {98, 2, false},  {2, 28, false}};
  for (const Point& p : points) EXPECT_EQ(gdi::PtInRegion(rgn, p.x, p.y) != 0, p.inside) << p.x << "," << p.y;
  gdi::DeleteObject(rgn);
  EXPECT_GOLDEN(win::headless::Screenshot(form()->Handle()), "lookandfeel", "container_shadow");
}

TEST_F(ContainerTest, StyleColourReachesTheControlAndTheInnerEdit) {
  TcxContainer* c = PlaceEditContainer();
  Owned<TcxStyleController> controller(rtl::Create<TcxStyleController>(nullptr));
  controller->Style()->SetColor(ui::clYellow);
  c->Style()->SetStyleController(controller.get());
  Process();
  EXPECT_EQ(c->Color(), ui::clYellow);
  EXPECT_EQ(edit_->Color(), ui::clYellow);
  controller.reset();  // the container falls back to its default colour
  Process();
  EXPECT_EQ(c->Color(), ui::clWindow);
  EXPECT_EQ(edit_->Color(), ui::clWindow);
}

TEST_F(ContainerTest, AFreedInnerControlIsForgotten) {
  TcxContainer* c = PlaceEditContainer();
  edit_->Free();
  edit_ = nullptr;
  EXPECT_EQ(c->InnerControl(), nullptr);
  c->ShortRefreshContainer(false);  // nothing to size
  Process();
  EXPECT_EQ(c->GetActiveControl(), c);
}

// A container that mirrors the inner window's standard scroll bars.
class ScrollingContainer : public TcxContainer {
 public:
  explicit ScrollingContainer(rtl::TComponent* AOwner) : TcxContainer(AOwner) {}

 protected:
  bool NeedsInnerScrollBars() override { return true; }
};

TEST_F(ContainerTest, LibraryBarsMirrorTheInnerWindowsBars) {
  auto* c = Place<ScrollingContainer>(10, 10, 150, 100);
  c->Style()->LookAndFeel()->SetNativeStyle(false);
  auto* inner = rtl::Create<ui::TCustomControl>(c);
  inner->SetParent(c);
  c->SetInnerControl(inner);
  Process();
  win::SCROLLINFO si;
  si.fMask = win::SIF_RANGE | win::SIF_PAGE | win::SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 20;
  si.nPos = 30;
  win::SetScrollInfo(inner->Handle(), win::SB_VERT, &si, win::TRUE);
  c->UpdateScrollBarsParameters();
  Process();
  IcxControlScrollBar* v = c->VScrollBar();
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(v->GetVisible());
  EXPECT_EQ(v->GetMax(), 99);
  EXPECT_EQ(v->GetPageSize(), 20);
  EXPECT_EQ(v->GetPosition(), 30);
  // Where the native bar lies, in the container's coordinates.
  win::SCROLLBARINFO info;
  ASSERT_TRUE(win::GetScrollBarInfo(inner->Handle(), win::OBJID_VSCROLL, &info));
  const TPoint origin = c->ClientToScreen(TPoint{0, 0});
  EXPECT_EQ(v->GetBoundsRect(), (TRect{info.rcScrollBar.left - origin.x, info.rcScrollBar.top - origin.y,
                                       info.rcScrollBar.right - origin.x, info.rcScrollBar.bottom - origin.y}));
  EXPECT_FALSE(c->HScrollBar() && c->HScrollBar()->GetVisible());
  // A range that fits hides the native bar, and with it the library one.
  si.nMax = 10;
  win::SetScrollInfo(inner->Handle(), win::SB_VERT, &si, win::TRUE);
  c->UpdateScrollBarsParameters();
  Process();
  EXPECT_FALSE(v->GetVisible());
}

}  // namespace
}  // namespace lookandfeel

// The popup window: where it opens against its owner rectangle (flips,
// alignments, the work area), its frame and self-sizing, and how it opens and
// closes through real input on the headless screen.
#include "lib/lookandfeel/cxPopupWindow.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/stdctrls.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using core::TcxBorder;
using core::TRect;
using testing::ControlTest;
using testing::Owned;

// The headless screen: 1280 x 1024 with a 40-pixel task bar, so the work
// area is (0, 0, 1280, 984).
constexpr int kPopupWindowWorkBottom = win::headless::kScreenHeight - win::headless::kTaskBarHeight;

class PopupWindowTest : public ControlTest {
 protected:
  Owned<TcxPopupWindow> MakePopup() {
    Owned<TcxPopupWindow> popup(rtl::Create<TcxPopupWindow>());
    popup->SetOwnerParent(form());
    return popup;
  }
  // A fixed-size popup opened against `owner` (form client coordinates; the
  // fixture's borderless form sits at the screen's origin).
  TRect OpenAt(TcxPopupWindow* popup, const TRect& owner, int width, int height) {
    popup->SetAdjustable(false);
    popup->SetBounds(0, 0, width, height);
    popup->SetOwnerBounds(owner);
    popup->Popup();
    Process();
    return popup->BoundsRect();
  }
};

struct PlacementCase {
  const char* name;
  TcxPopupDirection direction;
  TcxPopupAlignHorz horz;
  TcxPopupAlignVert vert;
  TRect owner;
  int width, height;
  int x, y;                             // where it opens
  TcxPopupAlignHorz horzAfter;          // alignments kept for the next opening
  TcxPopupAlignVert vertAfter;
};

using H = TcxPopupAlignHorz;
using V = TcxPopupAlignVert;
using D = TcxPopupDirection;

const PlacementCase kPlacements[] = {
    {"below fits", D::pdVertical, H::pahLeft, V::pavBottom, {100, 300, 300, 320}, 200, 150, 100, 320,
     H::pahLeft, V::pavBottom},
    {"below overflows, more room above: flips up", D::pdVertical, H::pahLeft, V::pavBottom,
     {100, kPopupWindowWorkBottom - 40, 300, kPopupWindowWorkBottom - 20}, 200, 150, 100, kPopupWindowWorkBottom - 190, H::pahLeft, V::pavTop},
    {"above overflows, more room below: flips down", D::pdVertical, H::pahLeft, V::pavTop, {100, 10, 300, 30}, 200,
     150, 100, 30, H::pahLeft, V::pavBottom},
    {"above fits", D::pdVertical, H::pahRight, V::pavTop, {400, 500, 600, 520}, 150, 100, 450, 400, H::pahRight,
     V::pavTop},
    {"equal room never flips and the own axis is not clamped", D::pdVertical, H::pahLeft, V::pavBottom,
     {0, 482, 100, 502}, 100, 600, 0, 502, H::pahLeft, V::pavBottom},
    {"left-aligned and too wide: moved back into the work area", D::pdVertical, H::pahLeft, V::pavBottom,
     {1000, 100, 1100, 120}, 400, 100, 880, 120, H::pahLeft, V::pavBottom},
    {"right-aligned past the left edge: starts at the edge", D::pdVertical, H::pahRight, V::pavBottom,
     {0, 100, 100, 120}, 300, 100, 0, 120, H::pahRight, V::pavBottom},
    {"wider than the work area keeps its left edge visible", D::pdVertical, H::pahLeft, V::pavBottom,
     {100, 100, 200, 120}, 1500, 100, 0, 120, H::pahLeft, V::pavBottom},
    {"centred under the owner, odd sum truncated", D::pdVertical, H::pahCenter, V::pavBottom, {100, 0, 201, 20},
     50, 40, 125, 20, H::pahCenter, V::pavBottom},
    {"centred vertically is clamped even on the own axis", D::pdVertical, H::pahLeft, V::pavCenter,
     {100, 970, 300, 980}, 200, 150, 100, kPopupWindowWorkBottom - 150, H::pahLeft, V::pavCenter},
    {"beside, right side overflows, more room left: flips", D::pdHorizontal, H::pahRight, V::pavTop,
     {1100, 100, 1200, 120}, 200, 150, 900, 100, H::pahLeft, V::pavTop},
    {"beside, left side overflows, less room left: flips right", D::pdHorizontal, H::pahLeft, V::pavTop,
     {10, 100, 110, 120}, 200, 150, 110, 100, H::pahRight, V::pavTop},
    {"beside, bottom-aligned above the screen: clamped to the top", D::pdHorizontal, H::pahRight, V::pavBottom,
     {300, 100, 400, 120}, 200, 150, 400, 0, H::pahRight, V::pavBottom},
    {"beside, top-aligned below the work area: moved up", D::pdHorizontal, H::pahLeft, V::pavTop,
     {600, 900, 700, 920}, 200, 150, 400, kPopupWindowWorkBottom - 150, H::pahLeft, V::pavTop},
};

TEST_F(PopupWindowTest, OpensWhereThePlacementRulesSay) {
  for (const PlacementCase& c : kPlacements) {
    SCOPED_TRACE(c.name);
    auto popup = MakePopup();
    popup->SetDirection(c.direction);
    popup->SetAlignHorz(c.horz);
    popup->SetAlignVert(c.vert);
    const TRect bounds = OpenAt(popup.get(), c.owner, c.width, c.height);
    EXPECT_EQ(bounds.left, c.x);
    EXPECT_EQ(bounds.top, c.y);
    EXPECT_EQ(bounds.right - bounds.left, c.width);
    EXPECT_EQ(bounds.bottom - bounds.top, c.height);
    EXPECT_EQ(popup->AlignHorz(), c.horzAfter);
    EXPECT_EQ(popup->AlignVert(), c.vertAfter);
  }
}

TEST_F(PopupWindowTest, FlippedAlignmentPersistsForTheNextOpening) {
  auto popup = MakePopup();
  OpenAt(popup.get(), {100, kPopupWindowWorkBottom - 40, 300, kPopupWindowWorkBottom - 20}, 200, 150);
  ASSERT_EQ(popup->AlignVert(), V::pavTop);
  popup->CloseUp();
  // Plenty of room on both sides now: it stays above, as last time.
  EXPECT_EQ(OpenAt(popup.get(), {100, 400, 300, 420}, 200, 150).top, 250);
}

TEST_F(PopupWindowTest, OwnerBoundsAreInTheOwnerParentsClientCoordinates) {
  auto* panel = Place<ui::TPanel>(50, 60, 300, 200);
  auto popup = MakePopup();
  popup->SetOwnerParent(panel);
  const ui::TPoint origin = panel->ClientToScreen(ui::TPoint{0, 0});
  const TRect bounds = OpenAt(popup.get(), {10, 20, 110, 40}, 100, 80);
  EXPECT_EQ(bounds.left, origin.x + 10);
  EXPECT_EQ(bounds.top, origin.y + 40);
}

struct BorderCase {
  TcxPopupBorderStyle style;
  int space;
  int width;  // each side
};

TEST_F(PopupWindowTest, BorderWidthsFollowStyleAndSpace) {
  const BorderCase cases[] = {
      {TcxPopupBorderStyle::pbsNone, 0, 0},     {TcxPopupBorderStyle::pbsNone, 4, 4},
      {TcxPopupBorderStyle::pbsUltraFlat, 0, 1}, {TcxPopupBorderStyle::pbsFlat, 2, 3},
      {TcxPopupBorderStyle::pbs3D, 0, 2},        {TcxPopupBorderStyle::pbs3D, 3, 5},
  };
  for (const BorderCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "style " << int(c.style) << " space " << c.space);
    auto popup = MakePopup();
    popup->SetBorderStyle(c.style);
    popup->SetBorderSpace(c.space);
    popup->SetBounds(0, 0, 100, 60);
    for (TcxBorder b : {TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bRight, TcxBorder::bBottom})
      EXPECT_EQ(popup->GetBorderWidth(b), c.width);
    EXPECT_EQ(popup->NCWidth(), 2 * c.width);
    EXPECT_EQ(popup->NCHeight(), 2 * c.width);
    EXPECT_EQ(popup->GetClientBounds(), (TRect{c.width, c.width, 100 - c.width, 60 - c.width}));
  }
}

TEST_F(PopupWindowTest, AdjustableSizeFollowsChildrenAndFrame) {
  auto popup = MakePopup();
  auto* child = rtl::Create<ui::TPanel>(popup.get());
  child->SetParent(popup.get());
  child->SetBounds(0, 0, 120, 80);
  auto* second = rtl::Create<ui::TPanel>(popup.get());
  second->SetParent(popup.get());
  second->SetBounds(30, 50, 40, 60);  // reaches further down: 110
  popup->SetBorderStyle(TcxPopupBorderStyle::pbsFlat);
  popup->SetOwnerBounds({100, 100, 200, 120});
  popup->Popup();
  Process();
  EXPECT_EQ(popup->Width(), 122);
  EXPECT_EQ(popup->Height(), 112);
  EXPECT_EQ(child->BoundsRect(), (TRect{1, 1, 121, 81}));
  EXPECT_EQ(second->BoundsRect(), (TRect{31, 51, 71, 111}));

  // A new frame first puts the children back where they were given.
  popup->SetBorderStyle(TcxPopupBorderStyle::pbs3D);
  EXPECT_EQ(child->BoundsRect(), (TRect{0, 0, 120, 80}));
  popup->CloseUp();
  popup->Popup();
  Process();
  EXPECT_EQ(popup->Width(), 124);
  EXPECT_EQ(child->BoundsRect(), (TRect{2, 2, 122, 82}));
}

TEST_F(PopupWindowTest, AdjustablePopupWithoutChildrenKeepsItsSize) {
  auto popup = MakePopup();
  popup->SetBorderStyle(TcxPopupBorderStyle::pbsUltraFlat);
  popup->SetBounds(0, 0, 90, 70);
  popup->SetOwnerBounds({100, 100, 200, 120});
  popup->Popup();
  Process();
  EXPECT_EQ(popup->Width(), 90);
  EXPECT_EQ(popup->Height(), 70);
}

TEST_F(PopupWindowTest, UltraFlatFrameIsOnePixelInFrameColor) {
  auto popup = MakePopup();
  popup->SetBorderStyle(TcxPopupBorderStyle::pbsUltraFlat);
  popup->SetFrameColor(ui::clRed);
  popup->SetColor(ui::clWhite);
  OpenAt(popup.get(), {100, 100, 200, 120}, 40, 30);
  const gdi::ImageBGRA image = win::headless::Screenshot(popup->Handle());
  ASSERT_EQ(image.width, 40);
  auto rgb = [&](int x, int y) { return image.at(x, y) & 0xFFFFFFu; };
  for (int y = 0; y < 30; ++y) {
    EXPECT_EQ(rgb(0, y), 0xFF0000u) << y;
    EXPECT_EQ(rgb(39, y), 0xFF0000u) << y;
  }
  for (int x = 0; x < 40; ++x) {
    EXPECT_EQ(rgb(x, 0), 0xFF0000u) << x;
    EXPECT_EQ(rgb(x, 29), 0xFF0000u) << x;
  }
  // One pixel wide: the next ring is the form's colour.
  for (int y = 1; y < 29; ++y) EXPECT_EQ(rgb(1, y), 0xFFFFFFu) << y;
  EXPECT_EQ(rgb(20, 1), 0xFFFFFFu);
  EXPECT_EQ(rgb(20, 15), 0xFFFFFFu);
}

// An owner form that records how it was told to draw its caption.
class CaptionForm : public ui::TForm {
 public:
  CaptionForm() : ui::TForm(nullptr) {}
  std::vector<int> ncActivate;

 protected:
  void WndProc(ui::TMessage& m) override {
    if (m.Msg == win::WM_NCACTIVATE) ncActivate.push_back(int(m.WParam));
    ui::TForm::WndProc(m);
  }
};

class PopupActivationTest : public PopupWindowTest {
 protected:
  void SetUp() override {
    PopupWindowTest::SetUp();
    owner_.reset(rtl::Create<CaptionForm>());
    owner_->SetBorderStyle(ui::bsNone);
    owner_->SetBounds(300, 300, 300, 200);
    owner_->Show();
    Process();
    win::headless::Click(350, 350);
    Process();
    popup_ = MakePopup();
    popup_->SetOwnerParent(owner_.get());
    owner_->ncActivate.clear();
    OpenAt(popup_.get(), {10, 10, 110, 30}, 120, 80);
  }
  void TearDown() override {
    popup_.reset();
    owner_.reset();
    PopupWindowTest::TearDown();
  }
  Owned<CaptionForm> owner_;
  Owned<TcxPopupWindow> popup_;
};

TEST_F(PopupActivationTest, OpeningKeepsTheOwnerCaptionActive) {
  ASSERT_TRUE(popup_->Visible());
  EXPECT_EQ(popup_->PrevActiveWindow(), owner_->Handle());
  ASSERT_FALSE(owner_->ncActivate.empty());
  EXPECT_EQ(owner_->ncActivate.back(), 1);
}

TEST_F(PopupActivationTest, ClickOnAnotherWindowClosesIt) {
  win::headless::Click(550, 450);  // the owner form, outside the popup
  Process();
  EXPECT_FALSE(popup_->Visible());
}

TEST_F(PopupActivationTest, ClickInsideKeepsItOpen) {
  win::headless::Click(320, 350);  // popup at (310, 330)-(430, 410)
  Process();
  EXPECT_TRUE(popup_->Visible());
}

TEST_F(PopupActivationTest, SwitchingToAnotherApplicationClosesItAndDimsTheOwnerCaption) {
  win::headless::FocusOut(popup_->Handle());
  Process();
  EXPECT_FALSE(popup_->Visible());
  ASSERT_FALSE(owner_->ncActivate.empty());
  EXPECT_EQ(owner_->ncActivate.back(), 0);
}

TEST_F(PopupActivationTest, ReopensAfterClosing) {
  win::headless::Click(550, 450);
  Process();
  ASSERT_FALSE(popup_->Visible());
  popup_->Popup();
  Process();
  EXPECT_TRUE(popup_->Visible());
  EXPECT_EQ(popup_->BoundsRect(), (TRect{310, 330, 430, 410}));
}

}  // namespace
}  // namespace lookandfeel

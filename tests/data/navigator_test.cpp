// The data navigator over a small host: a data controller of numbered
// records supplies the data state and takes the actions. Checked: the
// buttons and their hints, the enabling rules against a table of data
// states, clicks and the delete confirmation, the info panel's text, the
// layout sizes, the auto-repeat of Next against the test clock, the hot and
// pressed states and hints, and one picture per painter.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/cxGeometry.h"
#include "lib/core/cxImageList.h"
#include "lib/data/cxNavigator.h"
#include "lib/data/cxDataStorage.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/rtl/clock.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/forms.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/system.h"
#include "platform/win/win.h"
#include "tests/data/data_controller_support.h"
#include "tests/support/golden.h"

namespace data_test {
namespace {

using namespace data;
using lookandfeel::TcxButtonState;
using lookandfeel::TcxLookAndFeelKind;

class TestInfoPanel : public TcxCustomNavigatorInfoPanel {
 public:
  TestInfoPanel(IcxNavigatorOwner* AOwner, ui::TFont* AFont) : TcxCustomNavigatorInfoPanel(AOwner), font_(AFont) {}
  core::TcxViewParams GetViewParams() override { return core::TcxViewParams{nullptr, ui::clWindow, font_, ui::clWindowText}; }

 private:
  ui::TFont* font_;
};

// The host: a controller of `records` rows whose focused row is the current
// record, the owner of the navigator's picture, and a log of what it heard.
class Host : public IcxNavigatorOwner2, public IcxNavigator, public IcxNavigatorRecordPosition {
 public:
  explicit Host(int records = 250, int width = 420, int height = 30) : width_(width), height_(height) {
    controller.addItem(TcxIntegerValueType::Instance());
    controller.BeginUpdate();
    controller.SetRecordCount(records);
    for (int r = 0; r < records; ++r) controller.SetValue(r, 0, Variant(r));
    controller.EndUpdate();
    if (records > 0) controller.ChangeFocusedRowIndex(0);
    font.SetName(u"Tahoma");
    font.SetSize(8);
    buttons.SetOnGetControl(TcxNavigatorGetControlEvent::fromClosure(this, [this]() -> IcxNavigator* {
      return connected ? static_cast<IcxNavigator*>(this) : nullptr;
    }));
    infoPanel.SetOnGetIRecordPosition(TcxNavigatorGetRecordPositionEvent::fromClosure(
        this, [this]() -> IcxNavigatorRecordPosition* { return this; }));
    lookAndFeel.SetNativeStyle(false);
    bitmap.SetPixelFormat(ui::pf32bit);
    bitmap.SetSize(width_, height_);
    viewInfo = std::make_unique<TcxNavigatorViewInfo>(this, false);
  }

  // --- IcxNavigatorOwner2
  TRect GetNavigatorBounds() override { return TRect{0, 0, width_, height_}; }
  TcxCustomNavigatorButtons* GetNavigatorButtons() override { return &buttons; }
  ui::TCanvas* GetNavigatorCanvas() override { return bitmap.Canvas(); }
  ui::TWinControl* GetNavigatorControl() override { return control; }
  bool GetNavigatorFocused() override { return focused; }
  lookandfeel::TcxLookAndFeel* GetNavigatorLookAndFeel() override { return &lookAndFeel; }
  rtl::TComponent* GetNavigatorOwner() override { return nullptr; }
  bool GetNavigatorShowHint() override { return showHint; }
  bool GetNavigatorTabStop() override { return true; }
  void NavigatorChanged(TcxNavigatorChangeType) override { ++changes; }
  void NavigatorStateChanged() override {
    ++stateChanges;
    if (viewInfo) viewInfo->Update();
  }
  void RefreshNavigator() override {
    ++refreshes;
    if (viewInfo && recalculate) {
      viewInfo->MakeDirty();
      viewInfo->CheckCalculate();
    }
  }
  TcxCustomNavigatorInfoPanel* GetNavigatorInfoPanel() override { return &infoPanel; }

  // --- IcxNavigator
  bool IsActive() override { return active; }
  bool IsBof() override { return controller.GetFocusedRowIndex() <= 0; }
  bool IsEof() override { return controller.GetFocusedRowIndex() >= controller.GetRowCount() - 1; }
  bool CanInsert() override { return canModify; }
  bool CanAppend() override { return canModify; }
  bool CanDelete() override { return canModify && controller.GetRowCount() > 0; }
  bool CanEdit() override { return canModify; }
  bool IsEditing() override { return editing; }
  bool IsBookmarkAvailable() override { return bookmark; }
  void ClearBookmark() override { bookmark = false; }
  void DoAction(int AButtonIndex) override {
    actions.push_back(AButtonIndex);
    const int row = controller.GetFocusedRowIndex();
    switch (AButtonIndex) {
      case NBDI_FIRST: controller.ChangeFocusedRowIndex(0); break;
      case NBDI_PRIORPAGE: controller.ChangeFocusedRowIndex(std::max(row - 10, 0)); break;
      case NBDI_PRIOR: controller.ChangeFocusedRowIndex(std::max(row - 1, 0)); break;
      case NBDI_NEXT: controller.ChangeFocusedRowIndex(std::min(row + 1, controller.GetRowCount() - 1)); break;
      case NBDI_NEXTPAGE: controller.ChangeFocusedRowIndex(std::min(row + 10, controller.GetRowCount() - 1)); break;
      case NBDI_LAST: controller.ChangeFocusedRowIndex(controller.GetRowCount() - 1); break;
      case NBDI_DELETE: controller.DeleteFocused(); break;
      case NBDI_EDIT: editing = true; break;
      case NBDI_POST:
      case NBDI_CANCEL: editing = false; break;
      case NBDI_SAVEBOOKMARK: bookmark = true; break;
      default: break;
    }
  }

  // --- IcxNavigatorRecordPosition
  int GetRecordIndex() override {
    ++indexAsked;
    return controller.GetFocusedRowIndex();
  }
  int GetRecordCount() override {
    ++countAsked;
    return controller.GetRowCount();
  }

  int row() const { return controller.GetFocusedRowIndex(); }
  // The visible buttons' bounds, left to right.
  TRect boundsOf(int AIndex) {
    viewInfo->CheckCalculate();
    TcxNavigatorButtonViewInfo* info = viewInfo->GetButtonViewInfoByButton(buttons.Buttons(AIndex));
    return info != nullptr ? info->Bounds : TRect{};
  }
  void setKind(TcxLookAndFeelKind AKind) {
    lookAndFeel.SetKind(AKind);
    viewInfo->MakeDirty();
  }

  int width_, height_;
  TestController controller{nullptr};
  ui::TFont font;
  TcxNavigatorControlButtons buttons{this};
  TestInfoPanel infoPanel{this, &font};
  lookandfeel::TcxLookAndFeel lookAndFeel{nullptr};
  ui::TBitmap bitmap;
  ui::TWinControl* control = nullptr;
  std::unique_ptr<TcxNavigatorViewInfo> viewInfo;
  bool connected = true, active = true, canModify = true, editing = false, bookmark = false;
  bool focused = false, showHint = true, recalculate = true;
  int changes = 0, stateChanges = 0, refreshes = 0, indexAsked = 0, countAsked = 0;
  std::vector<int> actions;
};

class Navigator : public ::testing::Test {
 protected:
  Navigator() {
    core::cxClassesUnitStart();
    lookandfeel::cxLookAndFeelPaintersUnitStart();
    lookandfeel::cxLookAndFeelsUnitStart();
  }
  ~Navigator() override {
    lookandfeel::cxLookAndFeelsUnitStop();
    lookandfeel::cxLookAndFeelPaintersUnitStop();
  }
  // Moves the clock in steps, letting the loop deliver what falls due.
  void run(rtl::Int64 ms, rtl::Int64 step = 50) {
    for (rtl::Int64 done = 0; done < ms; done += step) {
      clock.Advance(step);
      screen.ProcessMessages();
    }
  }

  win::headless::HeadlessScope screen;
  rtl::TestClockScope clock;
};

int visibleCount(TcxCustomNavigatorButtons& AButtons) {
  int count = 0;
  for (int i = 0; i < AButtons.ButtonCount(); ++i) count += AButtons.Buttons(i)->Visible() ? 1 : 0;
  return count;
}

TEST_F(Navigator, SixteenStandardButtonsWithHintsAndAppendHidden) {
  Host host;
  ASSERT_EQ(host.buttons.ButtonCount(), NavigatorButtonCount);
  EXPECT_EQ(visibleCount(host.buttons), 15);
  EXPECT_FALSE(host.buttons.Append()->Visible());
  const char16_t* hints[] = {u"First record",  u"Prior page",  u"Prior record",  u"Next record",
                             u"Next page",     u"Last record", u"Insert record", u"Append record",
                             u"Delete record", u"Edit record", u"Post edit",     u"Cancel edit",
                             u"Refresh data",  u"Save Bookmark", u"Goto Bookmark", u"Filter data"};
  for (int i = 0; i < NavigatorButtonCount; ++i) {
    TcxNavigatorButton* button = host.buttons.Buttons(i);
    EXPECT_EQ(button->DefaultIndex(), i);
    EXPECT_EQ(button->GetInternalHint(), hints[i]) << i;
    EXPECT_TRUE(button->HasImage());
    EXPECT_EQ(button->GetInternalImageIndex(), i);
  }
  // An own hint wins; an empty one falls back to the default.
  host.buttons.Next()->SetHint(u"Forward|Goes one record on");
  EXPECT_EQ(host.buttons.Next()->GetInternalHint(), u"Forward|Goes one record on");
  host.buttons.Next()->SetHint(String());
  EXPECT_EQ(host.buttons.Next()->GetInternalHint(), u"Next record");
  // Custom buttons follow index 15 and show an image only from a user list.
  TcxNavigatorCustomButton* custom = host.buttons.CustomButtons()->Add();
  ASSERT_EQ(host.buttons.ButtonCount(), 17);
  EXPECT_EQ(host.buttons.Buttons(16), custom->Button());
  EXPECT_TRUE(custom->Button()->IsCustomButton());
  EXPECT_FALSE(custom->Button()->HasImage());
  custom->SetImageIndex(3);
  EXPECT_FALSE(custom->Button()->HasImage());
  core::TcxImageList images(16, 16);
  host.buttons.SetImages(&images);
  EXPECT_TRUE(custom->Button()->HasImage());
  EXPECT_EQ(custom->Button()->GetInternalImageIndex(), 3);
  EXPECT_EQ(custom->Button()->GetImageSize().cx, 16);
  EXPECT_EQ(host.buttons.First()->GetImageSize().cx, 11);  // its own list without an index of its own
  host.buttons.CustomButtons()->Delete(0);
  EXPECT_EQ(host.buttons.ButtonCount(), NavigatorButtonCount);
}

TEST_F(Navigator, GlyphStripHoldsTwentyTwoImagesOfElevenPixels) {
  ui::TCustomImageList* images = NavigatorImages();
  EXPECT_EQ(images->Count(), 22);
  EXPECT_EQ(images->Width(), 11);
  EXPECT_EQ(images->Height(), 11);
}

struct EnableCase {
  const char* name;
  bool connected, active, bofRow, eofRow, canModify, editing, bookmark;
  // One letter per standard button, 0..15: 'x' enabled, '.' disabled.
  const char* enabled;
  bool custom;
};

TEST_F(Navigator, EnableRulesFollowTheDataState) {
  //                                                   0123456789012345
  const EnableCase cases[] = {
      {"no host navigator", false, true, false, false, true, false, true, "................", false},
      {"inactive host", true, false, false, false, true, false, true, "...............x", false},
      {"on the first record", true, true, true, false, true, false, false, "...xxxxxxx..xx.x", true},
      {"in the middle", true, true, false, false, true, false, false, "xxxxxxxxxx..xx.x", true},
      {"on the last record", true, true, false, true, true, false, false, "xxx...xxxx..xx.x", true},
      {"editing", true, true, false, false, true, true, false, "xxxxxxxxx.xxxx.x", true},
      {"read only with a bookmark", true, true, false, false, false, false, true, "xxxxxx......xxxx", true},
  };
  for (const EnableCase& c : cases) {
    SCOPED_TRACE(c.name);
    Host host(10);
    host.buttons.CustomButtons()->Add();
    host.connected = c.connected;
    host.active = c.active;
    host.canModify = c.canModify;
    host.editing = c.editing;
    host.bookmark = c.bookmark;
    host.controller.ChangeFocusedRowIndex(c.bofRow ? 0 : (c.eofRow ? 9 : 5));
    std::string enabled;
    for (int i = 0; i < NavigatorButtonCount; ++i) enabled += host.buttons.Buttons(i)->GetInternalEnabled() ? 'x' : '.';
    EXPECT_EQ(enabled, c.enabled);
    EXPECT_EQ(host.buttons.Buttons(16)->GetInternalEnabled(), c.custom);
  }
  // A button's own Enabled switch overrides the rule.
  Host host(10);
  host.controller.ChangeFocusedRowIndex(5);
  host.buttons.Next()->SetEnabled(false);
  EXPECT_FALSE(host.buttons.Next()->GetInternalEnabled());
}

TEST_F(Navigator, ClicksGoThroughOnClickThenOnButtonClickThenTheHost) {
  Host host(10);
  std::vector<std::string> heard;
  host.buttons.Next()->DoClick();
  EXPECT_EQ(host.actions, (std::vector<int>{NBDI_NEXT}));
  EXPECT_EQ(host.row(), 1);
  EXPECT_EQ(host.stateChanges, 1);
  // OnButtonClick sees the index; "done" keeps the host out.
  host.buttons.SetOnButtonClick(TcxNavigatorButtonClickEvent::fromClosure(
      &heard, [&heard](rtl::TObject*, int AIndex, bool& ADone) {
        heard.push_back("set " + std::to_string(AIndex));
        ADone = AIndex == NBDI_LAST;
      }));
  host.buttons.Buttons(NBDI_LAST)->DoClick();
  host.buttons.Buttons(NBDI_FIRST)->DoClick();
  EXPECT_EQ(heard, (std::vector<std::string>{"set 5", "set 0"}));
  EXPECT_EQ(host.actions, (std::vector<int>{NBDI_NEXT, NBDI_FIRST}));
  // A button's own OnClick replaces both.
  host.buttons.Prior()->SetOnClick(rtl::TNotifyEvent::fromClosure(&heard, [&heard](rtl::TObject*) {
    heard.push_back("own");
  }));
  host.buttons.Prior()->DoClick();
  EXPECT_EQ(heard.back(), "own");
  EXPECT_EQ(host.actions.size(), 2u);
  // Without a host navigator a click only reports the state change.
  host.connected = false;
  host.buttons.SetOnButtonClick(nullptr);
  host.buttons.Next()->DoClick();
  EXPECT_EQ(host.actions.size(), 2u);
  // Next, First and the last one reached the set's own action; the others stopped before it.
  EXPECT_EQ(host.stateChanges, 3);
}

TEST_F(Navigator, DeleteAsksFirstUnlessConfirmDeleteIsOff) {
  Host host(5);
  win::headless::TakeShownMessageBoxes();
  win::headless::QueueMessageBoxAnswer(win::IDCANCEL);
  host.buttons.Delete()->DoClick();
  EXPECT_EQ(host.controller.GetRowCount(), 5);
  auto boxes = win::headless::TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"Delete record?");
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  host.buttons.Delete()->DoClick();
  EXPECT_EQ(host.controller.GetRowCount(), 4);
  host.buttons.SetConfirmDelete(false);
  host.buttons.Delete()->DoClick();
  EXPECT_EQ(host.controller.GetRowCount(), 3);
  EXPECT_EQ(win::headless::TakeShownMessageBoxes().size(), 1u);
}

TEST_F(Navigator, ReleaseBookmarkClearsOnlyAnExistingOne) {
  Host host(5);
  host.buttons.ReleaseBookmark();
  EXPECT_FALSE(host.bookmark);
  host.buttons.Buttons(NBDI_SAVEBOOKMARK)->DoClick();
  EXPECT_TRUE(host.buttons.Buttons(NBDI_GOTOBOOKMARK)->GetInternalEnabled());
  host.buttons.ReleaseBookmark();
  EXPECT_FALSE(host.bookmark);
}

struct MaskCase {
  const char16_t* mask;
  const char16_t* text;  // on the third of 250 records
  bool asksIndex, asksCount;
};

TEST_F(Navigator, InfoPanelTextFollowsTheMask) {
  const MaskCase cases[] = {
      {u"[RecordIndex] of [RecordCount]", u"3 of 250", true, true},
      {u"Record [RecordIndex]", u"Record 3", true, false},
      {u"[recordcount] in all, [RecordCount]!", u"250 in all, 250!", false, true},
      {u"100% of [RecordCount]", u"100% of 250", false, true},
      {u"%s %d [RecordIndex]", u"%s %d 3", true, false},
      {u"[recordindex] alone", u"[recordindex] alone", false, false},
  };
  for (const MaskCase& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.mask));
    Host host(250);
    host.controller.ChangeFocusedRowIndex(2);
    host.infoPanel.SetDisplayMask(c.mask);
    EXPECT_EQ(host.infoPanel.GetFormattedText(), c.text);
    EXPECT_EQ(host.indexAsked > 0, c.asksIndex);
    EXPECT_EQ(host.countAsked > 0, c.asksCount);
  }
  Host host(3);
  EXPECT_EQ(host.infoPanel.DisplayMask(), u"[RecordIndex] of [RecordCount]");
  EXPECT_FALSE(host.infoPanel.IsDisplayMaskStored());
  host.infoPanel.SetOnGetIRecordPosition(nullptr);
  EXPECT_EQ(host.infoPanel.GetFormattedText(), u"");
}

TEST_F(Navigator, SpareWidthIsSharedEquallyBetweenTheButtons) {
  // 15 Standard buttons of 17 x 19 fit 255 pixels; 400 leave 145, 9 each.
  Host host(10, 400, 30);
  host.setKind(TcxLookAndFeelKind::lfStandard);
  host.viewInfo->Calculate();
  ASSERT_EQ(host.viewInfo->ButtonCount(), 15);
  const TSize natural = host.viewInfo->CalculateMinSize();
  EXPECT_EQ(natural.cx, 15 * 17);
  EXPECT_EQ(natural.cy, 19);
  host.viewInfo->Calculate();
  for (int i = 0; i < 15; ++i) EXPECT_EQ(core::cxRectWidth(host.viewInfo->Buttons(i)->Bounds), 17 + 9) << i;
  EXPECT_EQ(host.viewInfo->Buttons(14)->Bounds.right, 15 * 26);
  EXPECT_EQ(host.viewInfo->Buttons(0)->Bounds.bottom, 19);
  // Too narrow: natural sizes, nothing shared.
  Host narrow(10, 100, 30);
  narrow.viewInfo->Calculate();
  EXPECT_EQ(core::cxRectWidth(narrow.viewInfo->Buttons(0)->Bounds), 17);
}

TEST_F(Navigator, InfoPanelSitsAfterPriorAndKeepsItsWidthWhileNumbersChange) {
  Host host(250, 560, 30);
  host.infoPanel.SetVisible(true);
  host.viewInfo->Calculate();
  const TRect panel = host.viewInfo->InfoPanelViewInfo()->Bounds();
  EXPECT_EQ(host.viewInfo->InfoPanelViewInfo()->Text(), u"1 of 250");
  EXPECT_EQ(panel.left, host.boundsOf(NBDI_PRIOR).right);
  EXPECT_EQ(host.boundsOf(NBDI_NEXT).left, panel.right);
  ui::TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->Font()->Assign(&host.font);
  EXPECT_EQ(core::cxRectWidth(panel), measure.Canvas()->TextWidth(u"0 of 00000"));
  // Going to record 5 keeps the size: the text changes in place. Going to
  // record 100 needs a wider panel: the owner recalculates.
  host.control = rtl::Create<ui::TWinControl>(nullptr);
  std::unique_ptr<ui::TWinControl, void (*)(ui::TWinControl*)> control(host.control,
                                                                       [](ui::TWinControl* c) { c->Free(); });
  const int refreshes = host.refreshes;
  host.controller.ChangeFocusedRowIndex(4);
  host.viewInfo->Update();
  EXPECT_EQ(host.viewInfo->InfoPanelViewInfo()->Text(), u"5 of 250");
  EXPECT_EQ(host.viewInfo->InfoPanelViewInfo()->Bounds().left, panel.left);
  EXPECT_EQ(host.refreshes, refreshes);
  host.controller.ChangeFocusedRowIndex(99);
  host.viewInfo->Update();
  EXPECT_EQ(host.refreshes, refreshes + 1);
  EXPECT_EQ(host.viewInfo->InfoPanelViewInfo()->Text(), u"100 of 250");
  EXPECT_EQ(core::cxRectWidth(host.viewInfo->InfoPanelViewInfo()->Bounds()),
            measure.Canvas()->TextWidth(u"000 of 00000"));
  // A longer mask changes the size: the owner recalculates.
  host.infoPanel.SetDisplayMask(u"Record [RecordIndex] of [RecordCount]");
  EXPECT_GT(host.refreshes, refreshes + 1);
  EXPECT_EQ(host.viewInfo->InfoPanelViewInfo()->Text(), u"Record 100 of 250");
  // With only First and Prior visible the panel gets no place.
  for (int i = NBDI_NEXT; i < NavigatorButtonCount; ++i) host.buttons.Buttons(i)->SetVisible(false);
  host.viewInfo->Calculate();
  EXPECT_TRUE(core::cxRectIsEmpty(host.viewInfo->InfoPanelViewInfo()->Bounds()));
}

TEST_F(Navigator, HeldNextRepeatsAfterFourHundredThenEveryHundredMilliseconds) {
  Host host(50);
  host.viewInfo->Calculate();
  const TRect next = host.boundsOf(NBDI_NEXT);
  const int x = (next.left + next.right) / 2, y = (next.top + next.bottom) / 2;
  // Released within 400 ms: one move, at release.
  host.viewInfo->MouseMove(x, y);
  win::headless::MouseDown(win::MouseButton::Left, 600, 400);
  screen.ProcessMessages();
  host.viewInfo->MouseDown(x, y);
  EXPECT_EQ(host.viewInfo->Buttons(3)->State(), TcxButtonState::cxbsPressed);
  run(300);
  EXPECT_EQ(host.row(), 0);
  win::headless::MouseUp(win::MouseButton::Left, 600, 400);
  screen.ProcessMessages();
  host.viewInfo->MouseUp(ui::mbLeft, x, y);
  EXPECT_EQ(host.row(), 1);
  EXPECT_EQ(host.viewInfo->Buttons(3)->State(), TcxButtonState::cxbsHot);
  // Held: at 400 ms, then every 100 ms, and once more at release.
  win::headless::MouseDown(win::MouseButton::Left, 600, 400);
  screen.ProcessMessages();
  host.viewInfo->MouseDown(x, y);
  std::vector<int> rows;
  for (int step = 0; step < 7; ++step) {
    run(100);
    rows.push_back(host.row());
  }
  EXPECT_EQ(rows, (std::vector<int>{1, 1, 1, 2, 3, 4, 5}));
  win::headless::MouseUp(win::MouseButton::Left, 600, 400);
  screen.ProcessMessages();
  host.viewInfo->MouseUp(ui::mbLeft, x, y);
  EXPECT_EQ(host.row(), 6);
  run(500);
  EXPECT_EQ(host.row(), 6);
}

TEST_F(Navigator, OnlyPriorAndNextRepeatAndALostButtonEndsThePress) {
  Host host(50);
  host.controller.ChangeFocusedRowIndex(20);
  host.viewInfo->Calculate();
  const TRect last = host.boundsOf(NBDI_NEXTPAGE);
  const int x = (last.left + last.right) / 2, y = (last.top + last.bottom) / 2;
  host.viewInfo->MouseMove(x, y);
  win::headless::MouseDown(win::MouseButton::Left, 600, 400);
  screen.ProcessMessages();
  host.viewInfo->MouseDown(x, y);
  run(1000);
  EXPECT_EQ(host.row(), 20);
  host.viewInfo->MouseUp(ui::mbLeft, x, y);
  EXPECT_EQ(host.row(), 30);
  // The button came up elsewhere: the timer ends the press without a click.
  const TRect prior = host.boundsOf(NBDI_PRIOR);
  host.viewInfo->MouseMove(prior.left + 2, prior.top + 2);
  host.viewInfo->MouseDown(prior.left + 2, prior.top + 2);
  win::headless::MouseUp(win::MouseButton::Left, 600, 400);
  screen.ProcessMessages();
  run(500);
  EXPECT_EQ(host.row(), 30);
  EXPECT_EQ(host.viewInfo->PressedButtonViewInfo(), nullptr);
}

TEST_F(Navigator, DisabledButtonsNeitherPressNorClickAndHotOnesShowTheirShortHint) {
  Host host(10);
  host.viewInfo->Calculate();
  const TRect first = host.boundsOf(NBDI_FIRST);  // disabled on the first record
  host.viewInfo->MouseMove(first.left + 3, first.top + 3);
  host.viewInfo->MouseDown(first.left + 3, first.top + 3);
  EXPECT_EQ(host.viewInfo->Buttons(0)->State(), TcxButtonState::cxbsDisabled);
  EXPECT_EQ(host.viewInfo->PressedButtonViewInfo(), nullptr);
  host.viewInfo->MouseUp(ui::mbLeft, first.left + 3, first.top + 3);
  EXPECT_TRUE(host.actions.empty());
  host.buttons.Next()->SetHint(u"Forward|Goes one record on");
  host.viewInfo->Calculate();
  const TRect next = host.boundsOf(NBDI_NEXT);
  host.viewInfo->MouseMove(next.left + 3, next.top + 3);
  EXPECT_EQ(host.viewInfo->Buttons(3)->State(), TcxButtonState::cxbsHot);
  EXPECT_EQ(host.viewInfo->HintHelper()->HintText(), u"Forward");
  host.viewInfo->MouseDown(next.left + 3, next.top + 3);
  EXPECT_FALSE(host.viewInfo->HintHelper()->Showing());
  // Released outside the button: no click.
  host.viewInfo->MouseUp(ui::mbLeft, -1, -1);
  EXPECT_TRUE(host.actions.empty());
  host.viewInfo->MouseLeave();
  EXPECT_EQ(host.viewInfo->Buttons(3)->State(), TcxButtonState::cxbsNormal);
  EXPECT_FALSE(host.viewInfo->HintHelper()->Showing());
  host.showHint = false;
  host.viewInfo->MouseMove(next.left + 3, next.top + 3);
  EXPECT_FALSE(host.viewInfo->HintHelper()->Showing());
}

// A host control without scroll bars and the in-place picture over it: the
// navigator takes a band under the control's client area, sized by its
// buttons, and tells the host the site it needs.
class HostControl : public lookandfeel::TcxControl {
 public:
  explicit HostControl(rtl::TComponent* AOwner) : lookandfeel::TcxControl(AOwner) {}
};

class InplaceViewInfo : public TcxInplaceNavigatorViewInfo {
 public:
  InplaceViewInfo(IcxNavigatorOwner* AOwner, lookandfeel::TcxControl* AControl)
      : TcxInplaceNavigatorViewInfo(AOwner), control_(AControl) {}
  lookandfeel::TcxControl* GetControl() override { return control_; }
  int GetNavigatorOffset() override { return 10; }
  void UpdateNavigatorSiteBounds(const TRect& ABounds) override { sites.push_back(ABounds); }
  std::vector<TRect> sites;

 private:
  lookandfeel::TcxControl* control_;
};

TEST_F(Navigator, InPlaceNavigatorTakesABandUnderTheHostSizedByItsButtons) {
  ui::Application->Initialize();
  std::unique_ptr<ui::TForm, void (*)(ui::TForm*)> form(rtl::Create<ui::TForm>(nullptr),
                                                          [](ui::TForm* f) { f->Free(); });
  form->SetBorderStyle(ui::bsNone);
  form->SetBounds(0, 0, 640, 480);
  form->Show();
  HostControl* grid = rtl::Create<HostControl>(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 0, 300, 200);
  grid->HandleNeeded();
  screen.ProcessMessages();
  Host host(10);
  host.setKind(TcxLookAndFeelKind::lfStandard);
  auto* inplace = new InplaceViewInfo(&host, grid);
  host.viewInfo.reset(inplace);
  inplace->Calculate();
  const TRect client = grid->ClientBounds();
  EXPECT_EQ(inplace->NavigatorSize().cx, 15 * 17);
  EXPECT_EQ(inplace->GetWidth(), 10 + 15 * 17);
  const int height = inplace->GetHeight();
  EXPECT_GE(height, win::GetSystemMetrics(win::SM_CYHSCROLL));
  EXPECT_GE(height, 19);
  ASSERT_EQ(inplace->sites.size(), 1u);
  EXPECT_EQ(inplace->sites[0].top, client.bottom);
  EXPECT_EQ(inplace->sites[0].bottom, client.bottom + height);
  const TRect bounds = inplace->GetNavigatorBounds();
  EXPECT_EQ(core::cxRectWidth(bounds), 15 * 17);
  EXPECT_EQ(inplace->Buttons(0)->Bounds.left, bounds.left);
  EXPECT_EQ(inplace->Buttons(14)->Bounds.right, bounds.right);
  EXPECT_FALSE(inplace->IsNavigatorSizeChanged());
  host.recalculate = false;
  host.buttons.Append()->SetVisible(true);
  EXPECT_TRUE(inplace->IsNavigatorSizeChanged());
  inplace->Calculate();
  EXPECT_EQ(inplace->NavigatorSize().cx, 16 * 17);
  EXPECT_FALSE(inplace->IsNavigatorSizeChanged());
  host.viewInfo.reset();
}

struct PainterCase {
  TcxLookAndFeelKind kind;
  const char* golden;
};

// The navigator of 250 records on the third, Next hot, the info panel shown:
// disabled, normal and hot buttons and the panel in each painter.
TEST_F(Navigator, PaintsThroughEachPainter) {
  const PainterCase cases[] = {
      {TcxLookAndFeelKind::lfStandard, "navigator_standard"},
      {TcxLookAndFeelKind::lfFlat, "navigator_flat"},
      {TcxLookAndFeelKind::lfUltraFlat, "navigator_ultraflat"},
      {TcxLookAndFeelKind::lfOffice11, "navigator_office11"},
  };
  for (const PainterCase& c : cases) {
    SCOPED_TRACE(c.golden);
    Host host(250, 360, 19);
    host.setKind(c.kind);
    host.infoPanel.SetVisible(true);
    host.buttons.Buttons(NBDI_DELETE)->SetVisible(false);
    host.editing = true;  // Post and Cancel enabled, Edit not
    host.viewInfo->Calculate();
    const TRect next = host.boundsOf(NBDI_NEXT);
    host.viewInfo->MouseMove(next.left + 2, next.top + 2);
    host.bitmap.Canvas()->Brush()->SetColor(ui::clBtnFace);
    host.bitmap.Canvas()->FillRect(TRect{0, 0, 360, 19});
    host.viewInfo->Paint();
    EXPECT_EQ(host.viewInfo->InfoPanelViewInfo()->Text(), u"1 of 250");
    EXPECT_EQ(host.viewInfo->Buttons(3)->State(), TcxButtonState::cxbsHot);
    EXPECT_GOLDEN(host.bitmap.Canvas()->Handle(), gdi::RECT{0, 0, 360, 19}, "data", c.golden,
                  testing_support::GoldenOptions{48, 40});
  }
}

}  // namespace
}  // namespace data_test

// The inner list box: incremental search by typing against the test clock,
// keys it keeps from the list, and how selected items are drawn.
#include "lib/lookandfeel/cxInnerListBox.h"

#include <gtest/gtest.h>

#include <vector>

#include "lib/lookandfeel/cxContainer.h"
#include "platform/win/headless.h"
#include "platform/win/scrollinfo.h"
#include "platform/win/input.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::ControlTest;

class InnerListBoxTest : public ControlTest {
 protected:
  TcxCustomInnerListBox* MakeList(std::vector<rtl::String> items) {
    auto* list = Place<TcxCustomInnerListBox>(10, 10, 160, 120);
    for (const auto& s : items) list->Items()->Add(s);
    list->SetOnClick(ui::TNotifyEvent::fromClosure(list, [this](rtl::TObject*) { ++clicks; }));
    list->SetFocus();
    Process();
    return list;
  }
  void Type(rtl::Char c) {
    win::SendMessageW(list->Handle(), win::WM_CHAR, c, 0);
    Process();
  }
  TcxCustomInnerListBox* list = nullptr;
  int clicks = 0;
};

struct SearchStep {
  int waitMs;      // test-clock time before the key
  rtl::Char key;
  const char16_t* filter;
  int index;       // the current item afterwards
  bool click;
};

TEST_F(InnerListBoxTest, TypingSearchesWithinTheDelayAndStartsAgainAfterIt) {
  list = MakeList({u"Bar", u"beco", u"Bela", u"Cesta", u"cela"});
  ASSERT_EQ(list->AutoCompleteDelay(), 500);
  const SearchStep steps[] = {
      {0, u'b', u"b", 0, true},       // first item starting with b, whatever the case
      {100, u'e', u"be", 1, true},    // within the delay: "be"
      {499, u'l', u"bel", 2, true},   // one millisecond short of the delay still adds
      {500, u'c', u"c", 3, true},     // the full delay passed: "c" alone
      {100, u'e', u"ce", 3, true},    // "Cesta" still matches first
      {100, u'l', u"cel", 4, true},
      {100, u'x', u"celx", 4, false}, // nothing matches: the current item stays
      {100, 8, u"cel", 4, true},      // Backspace takes the last character off
      {600, 8, u"", 0, true},         // after the delay the filter is empty: item 0
  };
  for (const SearchStep& s : steps) {
    Advance(s.waitMs);
    const int before = clicks;
    Type(s.key);
    EXPECT_EQ(list->AutoCompleteFilter(), rtl::String(s.filter)) << "key " << int(s.key);
    EXPECT_EQ(list->ItemIndex(), s.index) << "key " << int(s.key);
    EXPECT_EQ(clicks - before, s.click ? 1 : 0) << "key " << int(s.key);
  }
}

TEST_F(InnerListBoxTest, TabAndEnterNeverReachTheListAsCharacters) {
  list = MakeList({u"alfa", u"beta"});
  std::vector<int> seen;  // keys the list box's own key-press event sees
  list->SetOnKeyPress(ui::TKeyPressEvent::fromClosure(list, [&](rtl::TObject*, rtl::Char& k) {
    seen.push_back(int(k));
  }));
  for (rtl::Char key : {rtl::Char(u'b'), rtl::Char(9), rtl::Char(13)}) Type(key);
  // Tab and Enter arrive as nothing: neither the list's own handler nor the
  // search sees them.
  EXPECT_EQ(seen, (std::vector<int>{u'b', 0, 0}));
  EXPECT_EQ(list->AutoCompleteFilter(), rtl::String(u"b"));
  EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(InnerListBoxTest, MultiSelectSearchSelectsTheFoundItemOnly) {
  list = MakeList({u"um", u"dois", u"tres", u"quatro"});
  list->SetMultiSelect(true);
  list->SetSelected(0, true);
  list->SetSelected(3, true);
  Type(u't');
  EXPECT_EQ(list->SelCount(), 1);
  EXPECT_TRUE(list->Selected(2));
  EXPECT_EQ(list->ItemIndex(), 2);
}

TEST_F(InnerListBoxTest, VirtualListsSearchThroughTheirDataFind) {
  list = MakeList({});
  list->SetStyle(ui::TListBoxStyle::lbVirtual);
  list->SetCount(100);
  std::vector<rtl::String> asked;
  list->SetOnDataFind(ui::TLBFindDataEvent::fromClosure(list, [&](ui::TWinControl*, const rtl::String& s) {
    asked.push_back(s);
    return s == u"4" ? 40 : -1;
  }));
  Type(u'4');
  EXPECT_EQ(asked, (std::vector<rtl::String>{u"4"}));
  EXPECT_EQ(list->ItemIndex(), 40);
  EXPECT_EQ(list->FindAutoCompleteString(u"zz"), -1);
}

TEST_F(InnerListBoxTest, AutoCompleteOffLeavesTypingToTheList) {
  list = MakeList({u"alfa", u"beta"});
  list->SetAutoComplete(false);
  list->SetItemIndex(0);
  Type(u'b');
  EXPECT_EQ(list->AutoCompleteFilter(), rtl::String());
  EXPECT_EQ(list->ItemIndex(), 0);
}

}  // namespace
}  // namespace lookandfeel

namespace lookandfeel {
namespace {

TEST_F(InnerListBoxTest, LibraryScrollBarsLieOverTheNativeOnesOnlyWhileTheyShow) {
  auto* container = Place<TcxContainer>(300, 300, 60, 40);
  list = MakeList({u"um", u"dois"});
  list->SetHeight(60);
  list->SetContainer(container);
  list->Items()->Add(u"tres");
  EXPECT_FALSE(list->VScrollBar()->Visible()) << "three rows fit: the native bar is hidden";
  EXPECT_EQ(list->VScrollBar()->Parent(), nullptr);
  for (int i = 0; i < 20; ++i) list->Items()->Add(u"mais");
  TcxScrollBar* bar = list->VScrollBar();
  ASSERT_TRUE(bar->Visible());
  EXPECT_EQ(bar->Parent(), form()) << "laid on the list box's parent";
  EXPECT_EQ(bar->BoundsRect(), (ui::TRect{10 + 160 - win::kScrollBarSize, 10, 10 + 160, 10 + 60}));
  EXPECT_FALSE(list->HScrollBar()->Visible());
  // Scrolling the library bar scrolls the list and reads its position back.
  int pos = 0;
  bar->OnScroll()(bar, ui::TScrollCode::scLineDown, pos);
  EXPECT_EQ(list->TopIndex(), 1);
  EXPECT_EQ(pos, 1);
  pos = 7;
  bar->OnScroll()(bar, ui::TScrollCode::scTrack, pos);
  EXPECT_EQ(list->TopIndex(), 7);
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(bar->Position(), 7) << "the bar follows the list's own scrolling";
}

}  // namespace
}  // namespace lookandfeel

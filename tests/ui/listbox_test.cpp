// The list box: items kept by the native window, selection by keyboard and
// mouse through injected input, scrolling, owner drawing, and its picture.
#include "platform/ui/listbox.h"

#include <string>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/rtl/format.h"
#include "platform/win/listbox.h"
#include "tests/support/golden.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

class ListBoxTest : public UiTest {
 protected:
  struct Fixture {
    Owned<TForm> form = Make<TForm>(nullptr);
    TListBox* list = nullptr;
    int clicks = 0;
    int doubleClicks = 0;
    explicit Fixture(std::vector<rtl::String> items = {u"Gasolina", u"Etanol", u"Diesel S10", u"Diesel S500",
                                                       u"Arla 32", u"GNV"}) {
      form->SetBounds(100, 100, 200, 160);
      list = rtl::Create<TListBox>(form.get());
      list->SetParent(form.get());
      list->SetBounds(8, 8, 150, 100);
      for (const auto& s : items) list->Items()->Add(s);
      list->SetOnClick(TNotifyEvent::fromClosure(list, [this](rtl::TObject*) { ++clicks; }));
      list->SetOnDblClick(TNotifyEvent::fromClosure(list, [this](rtl::TObject*) { ++doubleClicks; }));
      form->Show();
      win::headless::ProcessMessages();
    }
    win::POINT ItemCentre(int index) {
      TRect r = list->ItemRect(index);
      win::POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      win::ClientToScreen(list->Handle(), &p);
      return p;
    }
  };
};

TEST_F(ListBoxTest, ItemsLiveInTheWindowAndAnswerTheListMessages) {
  Fixture f;
  TListBox* l = f.list;
  ASSERT_EQ(l->Items()->Count(), 6);
  EXPECT_EQ(l->Items()->Strings(2), u"Diesel S10");
  l->Items()->Insert(0, u"Querosene");
  l->Items()->Delete(3);  // "Diesel S10"
  EXPECT_EQ(l->Items()->Count(), 6);
  EXPECT_EQ(l->Items()->Strings(0), u"Querosene");
  EXPECT_EQ(l->Items()->Strings(3), u"Diesel S500");
  EXPECT_EQ(l->Items()->IndexOf(u"arla 32"), 4) << "exact search ignores case";
  const win::HWND h = l->Handle();
  EXPECT_EQ(win::SendMessageW(h, win::LB_FINDSTRING, win::WPARAM(-1), win::LPARAM(u"die")), 3);
  // The prefix search starts after the given item and wraps round.
  EXPECT_EQ(win::SendMessageW(h, win::LB_FINDSTRING, 4, win::LPARAM(u"q")), 0);
  EXPECT_EQ(win::SendMessageW(h, win::LB_FINDSTRING, win::WPARAM(-1), win::LPARAM(u"xyz")), win::LB_ERR);
  auto* tag = reinterpret_cast<rtl::TObject*>(l);
  l->Items()->SetObjects(1, tag);
  EXPECT_EQ(l->Items()->Objects(1), tag);
  EXPECT_THROW(l->Items()->Delete(6), rtl::EListError);
  EXPECT_EQ(win::SendMessageW(h, win::LB_GETTEXTLEN, 6, 0), win::LB_ERR);
  // A selected item moves with insertions above it and goes with its deletion.
  l->SetItemIndex(3);
  l->Items()->Insert(0, u"Novo");
  EXPECT_EQ(l->ItemIndex(), 4);
  l->Items()->Delete(4);
  EXPECT_EQ(l->ItemIndex(), -1);
  l->Items()->Clear();
  EXPECT_EQ(l->Count(), 0);
  EXPECT_EQ(l->ItemAtPos({5, 5}, true), -1);
}

TEST_F(ListBoxTest, SortedListKeepsItemsInOrderAcrossARecreatedWindow) {
  Fixture f({u"b", u"C", u"a"});
  f.list->SetSorted(true);  // recreates the window: the items come back sorted
  std::vector<rtl::String> got;
  for (int i = 0; i < f.list->Count(); ++i) got.push_back(f.list->Items()->Strings(i));
  EXPECT_EQ(got, (std::vector<rtl::String>{u"a", u"b", u"C"}));
  f.list->Items()->Add(u"B2");
  EXPECT_EQ(f.list->Items()->Strings(2), u"B2");
}

TEST_F(ListBoxTest, MouseAndKeysSelectAndRaiseClicks) {
  Fixture f;
  f.list->SetHeight(3 * f.list->ItemHeight());  // three rows of six items: moving scrolls
  Process();
  const win::POINT p = f.ItemCentre(2);
  screen->Click(p.x, p.y);
  Process();
  EXPECT_EQ(f.list->ItemIndex(), 2);
  EXPECT_EQ(f.clicks, 1);
  EXPECT_EQ(win::GetFocus(), f.list->Handle()) << "a click focuses the list box";

  struct KeyCase {
    win::UINT vk;
    int index;
    int top;
    bool click;  // only a change of the selection raises the click
  };
  const KeyCase keys[] = {{win::VK_DOWN, 3, 1, true}, {win::VK_UP, 2, 1, true},  {win::VK_END, 5, 3, true},
                          {win::VK_HOME, 0, 0, true}, {win::VK_UP, 0, 0, false}, {win::VK_NEXT, 2, 0, true},
                          {win::VK_NEXT, 4, 2, true}, {win::VK_PRIOR, 2, 2, true}};
  for (const KeyCase& k : keys) {
    const int clicks = f.clicks;
    win::headless::PressKey(k.vk);
    Process();
    EXPECT_EQ(f.list->ItemIndex(), k.index) << "key " << k.vk;
    EXPECT_EQ(f.list->TopIndex(), k.top) << "key " << k.vk;
    EXPECT_EQ(f.clicks, clicks + (k.click ? 1 : 0)) << "key " << k.vk;
  }

  const win::POINT q = f.ItemCentre(f.list->TopIndex());
  win::headless::Click(q.x, q.y);
  win::headless::Click(q.x, q.y);
  Process();
  EXPECT_EQ(f.doubleClicks, 1);
}

TEST_F(ListBoxTest, ExtendedSelectionWithShiftAndControlClicks) {
  Fixture f;
  f.list->SetMultiSelect(true);  // extended by default
  ASSERT_EQ(f.list->Count(), 6) << "recreating the window keeps the items";
  auto click = [&](int index, win::UINT modifier) {
    if (modifier) win::headless::KeyDown(modifier);
    const win::POINT p = f.ItemCentre(index);
    win::headless::Click(p.x, p.y);
    if (modifier) win::headless::KeyUp(modifier);
    Process();
    // A second click at once would be a double click.
    clock->Advance(1000);
  };
  click(1, 0);
  click(3, win::VK_SHIFT);
  EXPECT_EQ(f.list->SelCount(), 3);
  click(5, win::VK_CONTROL);
  click(2, win::VK_CONTROL);
  std::vector<bool> sel;
  for (int i = 0; i < 6; ++i) sel.push_back(f.list->Selected(i));
  EXPECT_EQ(sel, (std::vector<bool>{false, true, false, true, false, true}));
  click(4, 0);
  EXPECT_EQ(f.list->SelCount(), 1);
  EXPECT_TRUE(f.list->Selected(4));
  f.list->SelectAll();
  EXPECT_EQ(f.list->SelCount(), 6);
  f.list->ClearSelection();
  EXPECT_EQ(f.list->SelCount(), 0);
}

TEST_F(ListBoxTest, ScrollingKeepsTheTopIndexWithinTheItems) {
  std::vector<rtl::String> many;
  for (int i = 0; i < 40; ++i) many.push_back(rtl::String(u"Item ") + rtl::IntToStr(i));
  Fixture f(many);
  const int rows = f.list->ClientHeight() / f.list->ItemHeight();
  f.list->SetTopIndex(39);
  EXPECT_EQ(f.list->TopIndex(), 40 - rows) << "never scrolls past a full last page";
  win::SendMessageW(f.list->Handle(), win::WM_VSCROLL, win::SB_TOP, 0);
  EXPECT_EQ(f.list->TopIndex(), 0);
  win::SendMessageW(f.list->Handle(), win::WM_VSCROLL, win::SB_PAGEDOWN, 0);
  EXPECT_EQ(f.list->TopIndex(), rows);
  const win::POINT p = f.ItemCentre(f.list->TopIndex());
  win::headless::Wheel(-win::WHEEL_DELTA, p.x, p.y);
  Process();
  EXPECT_EQ(f.list->TopIndex(), rows + 3);
  f.list->SetItemIndex(0);
  EXPECT_EQ(f.list->TopIndex(), 0) << "selecting an item scrolls it into view";
  EXPECT_EQ(f.list->ItemAtPos({4, f.list->ItemHeight() * 2 + 1}, true), 2);
}

TEST_F(ListBoxTest, OwnerDrawnItemsAreDrawnByTheHandlerWithTheirState) {
  Fixture f;
  f.list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  f.list->SetItemHeight(20);
  struct Drawn {
    int index;
    bool selected;
    int height;
  };
  std::vector<Drawn> drawn;
  f.list->SetOnDrawItem(TDrawItemEvent::fromClosure(
      f.list, [&](TWinControl*, int index, const TRect& r, TOwnerDrawState state) {
        drawn.push_back({index, state.contains(TOwnerDrawStateItem::odSelected), int(r.bottom - r.top)});
      }));
  f.list->SetItemIndex(1);
  win::InvalidateRect(f.list->Handle(), nullptr, win::TRUE);
  win::UpdateWindow(f.list->Handle());
  ASSERT_EQ(drawn.size(), 5u) << "100 pixels show five rows of 20";
  for (const Drawn& d : drawn) {
    EXPECT_EQ(d.selected, d.index == 1) << d.index;
    EXPECT_EQ(d.height, 20);
  }
  EXPECT_EQ(f.list->ItemAtPos({4, 45}, true), 2);
}

TEST_F(ListBoxTest, PictureShowsTheItemsAndTheHighlightedSelection) {
  Fixture f({u"Gasolina", u"Etanol", u"Diesel S10"});
  f.list->SetItemIndex(1);
  Process();
  ASSERT_EQ(f.list->Items()->Strings(0), u"Gasolina");
  ASSERT_EQ(f.list->Items()->Strings(1), u"Etanol");
  ASSERT_EQ(f.list->Items()->Strings(2), u"Diesel S10");
  const gdi::ImageBGRA shot = screen->Screenshot(f.list->Handle());
  // The selected row is filled with the highlight colour right to its edge.
  const TRect r = f.list->ItemRect(1);
  const gdi::COLORREF hl = gdi::GetSysColor(gdi::COLOR_HIGHLIGHT);
  const std::uint32_t px = shot.at(r.right - 2, (r.top + r.bottom) / 2);
  const std::uint32_t want = (gdi::GetRValue(hl) << 16) | (gdi::GetGValue(hl) << 8) | gdi::GetBValue(hl);
  EXPECT_EQ(px & 0xFFFFFFu, want);
  testing_support::GoldenOptions fuzzy;
  fuzzy.channelTolerance = 48;
  fuzzy.maxDifferingPixels = 40;
  EXPECT_GOLDEN(shot, "ui", "listbox_selection", fuzzy);
}

}  // namespace

// The native list box on its own: notifications to its parent, owner-drawn
// measuring, the no-data style, and its scroll bar following the items.
#include "platform/win/listbox.h"

#include <vector>

#include "platform/win/scrollinfo.h"
#include "tests/win/recorder.h"

using namespace wintest;

namespace {

class ListBox : public WinTest {
 protected:
  HWND parent = nullptr;
  HWND Make(DWORD style, int height = 100) {
    EnsureListBoxClass();
    parent = Top("parent", 100, 100, 300, 300);
    HWND h = CreateWindowExW(0, u"LISTBOX", u"", WS_CHILD | WS_VISIBLE | style, 10, 10, 150, height, parent,
                             reinterpret_cast<HMENU>(7), nullptr, nullptr);
    rec.Name(h, "list");
    return h;
  }
  void Add(HWND h, std::initializer_list<const char16_t*> items) {
    for (const char16_t* s : items) SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  // The WM_COMMAND notifications the parent got, as their codes.
  std::vector<int> Notifications() {
    std::vector<int> codes;
    for (const Entry& e : rec.entries)
      if (e.window == "parent" && e.message == WM_COMMAND && LOWORD(e.wParam) == 7) codes.push_back(HIWORD(e.wParam));
    rec.Clear();
    return codes;
  }
};

TEST_F(ListBox, NotifiesItsParentOnlyWithTheNotifyStyle) {
  for (DWORD notify : {DWORD(0), LBS_NOTIFY}) {
    HWND h = Make(notify);
    Add(h, {u"um", u"dois", u"tres"});
    SetFocus(h);
    rec.Clear();
    PostMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
    headless::ProcessMessages();
    PostMessageW(h, WM_KEYDOWN, VK_UP, 0);  // already at item 0: no change, no notice
    headless::ProcessMessages();
    SetFocus(parent);
    const std::vector<int> expected =
        notify ? std::vector<int>{LBN_SELCHANGE, LBN_KILLFOCUS} : std::vector<int>{};
    EXPECT_EQ(Notifications(), expected) << notify;
    EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), 0);
    DestroyWindow(parent);
  }
}

TEST_F(ListBox, VariableOwnerDrawnItemsAreMeasuredOneByOne) {
  rec.handler = [](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT* r) {
    if (msg != WM_MEASUREITEM) return false;
    auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    mi->itemHeight = 10 + 5 * mi->itemID;
    *r = TRUE;
    return true;
  };
  HWND h = Make(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS);
  Add(h, {u"a", u"b", u"c"});
  rec.handler = nullptr;
  struct RowCase {
    int index, top, bottom;
  };
  for (const RowCase& c : {RowCase{0, 0, 10}, RowCase{1, 10, 25}, RowCase{2, 25, 45}}) {
    RECT r{};
    ASSERT_EQ(SendMessageW(h, LB_GETITEMRECT, c.index, reinterpret_cast<LPARAM>(&r)), 1);
    EXPECT_EQ(r.top, c.top) << c.index;
    EXPECT_EQ(r.bottom, c.bottom) << c.index;
  }
  EXPECT_EQ(LOWORD(SendMessageW(h, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 30))), 2);
  EXPECT_EQ(HIWORD(SendMessageW(h, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 30))), 0);
}

TEST_F(ListBox, ErrorsForWrongIndexesAndStyles) {
  HWND h = Make(0);
  Add(h, {u"um"});
  struct ErrorCase {
    UINT msg;
    WPARAM wParam;
  };
  const ErrorCase cases[] = {{LB_GETTEXTLEN, 1}, {LB_DELETESTRING, 5},  {LB_GETITEMDATA, WPARAM(-2)},
                             {LB_SETCOUNT, 10},  {LB_GETSELCOUNT, 0},   {LB_SETSEL, 1},
                             {LB_SETCURSEL, 3},  {LB_SETCARETINDEX, 2}};
  for (const ErrorCase& c : cases) EXPECT_EQ(SendMessageW(h, c.msg, c.wParam, 0), LB_ERR) << std::hex << c.msg;
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 1) << "nothing was changed";
}

TEST_F(ListBox, NoDataListsKeepACountAndTheScrollBarFollowsIt) {
  HWND h = Make(LBS_OWNERDRAWFIXED | LBS_NODATA | WS_VSCROLL, 100);
  SendMessageW(h, LB_SETITEMHEIGHT, 0, MAKELPARAM(20, 0));
  SCROLLBARINFO info;
  GetScrollBarInfo(h, OBJID_VSCROLL, &info);
  EXPECT_TRUE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "no items: no bar";
  EXPECT_EQ(SendMessageW(h, LB_SETCOUNT, 1000, 0), 0);
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 1000);
  GetScrollBarInfo(h, OBJID_VSCROLL, &info);
  EXPECT_FALSE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE);
  SendMessageW(h, LB_SETTOPINDEX, 500, 0);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 999);
  EXPECT_EQ(si.nPage, 5u);
  EXPECT_EQ(si.nPos, 500);
  SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(SendMessageW(h, LB_GETTOPINDEX, 0, 0), 995);
  SendMessageW(h, LB_SETCOUNT, 3, 0);
  GetScrollBarInfo(h, OBJID_VSCROLL, &info);
  EXPECT_TRUE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "three rows fit: the bar goes";
  EXPECT_EQ(SendMessageW(h, LB_GETTOPINDEX, 0, 0), 0);
}

}  // namespace

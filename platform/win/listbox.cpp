// The native list box. Its state lives in a window property made at
// WM_NCCREATE and freed at WM_NCDESTROY; every message reads it from there,
// so wrapping controls that register their own class work the same way.
#include "platform/win/listbox.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/rtl/ustring.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/scrollinfo.h"
#include "platform/win/window.h"

namespace win {

namespace {

constexpr const WCHAR* kListBoxStateProp = u"integrador.listbox";
constexpr LRESULT kListBoxDlgcWantArrows = 0x0001;
constexpr LRESULT kListBoxDlgcWantChars = 0x0080;

struct ListBoxItem {
  rtl::String text;
  LPARAM data = 0;
  bool selected = false;
  int height = 0;  // variable owner draw only
};

struct ListBoxState {
  std::vector<ListBoxItem> items;
  int count = 0;  // LBS_NODATA keeps a count only
  int curSel = -1;  // single selection
  int caret = -1;
  int anchor = -1;
  int top = 0;
  int itemHeight = 0;  // 0: from the font
  int horzExtent = 0;
  HFONT font = nullptr;
  bool redraw = true;
  bool focused = false;
  bool tracking = false;
  bool wantsVert = false;  // created with WS_VSCROLL: the bar shows when needed
  bool wantsHorz = false;
  bool syncing = false;
  int xOffset = 0;  // pixels scrolled to the left (horizontal extent)
};

ListBoxState* listBoxState(HWND hwnd) {
  return static_cast<ListBoxState*>(GetPropW(hwnd, kListBoxStateProp));
}

DWORD listBoxStyle(HWND hwnd) { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
bool listBoxMulti(HWND hwnd) { return (listBoxStyle(hwnd) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
bool listBoxNoData(HWND hwnd) { return (listBoxStyle(hwnd) & LBS_NODATA) != 0; }
bool listBoxOwnerDraw(HWND hwnd) {
  return (listBoxStyle(hwnd) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}
// Owner-drawn list boxes without LBS_HASSTRINGS keep item data only.
bool listBoxHasStrings(HWND hwnd) {
  return !listBoxOwnerDraw(hwnd) || (listBoxStyle(hwnd) & LBS_HASSTRINGS) != 0;
}

int listBoxCount(HWND hwnd, const ListBoxState& s) {
  return listBoxNoData(hwnd) ? s.count : int(s.items.size());
}

int listBoxFontHeight(HWND hwnd, const ListBoxState& s) {
  HDC dc = GetDC(hwnd);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, s.font ? s.font : gdi::GetStockObject(gdi::DEFAULT_GUI_FONT));
  gdi::TEXTMETRICW tm;
  gdi::GetTextMetricsW(dc, &tm);
  gdi::SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return std::max<int>(1, tm.tmHeight);
}

int listBoxItemHeight(HWND hwnd, ListBoxState& s, int index) {
  if ((listBoxStyle(hwnd) & LBS_OWNERDRAWVARIABLE) && index >= 0 && index < int(s.items.size()) &&
      s.items[size_t(index)].height > 0)
    return s.items[size_t(index)].height;
  if (s.itemHeight <= 0) s.itemHeight = listBoxFontHeight(hwnd, s);
  return s.itemHeight;
}

RECT listBoxClient(HWND hwnd) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  return rc;
}

// Rows that fit whole into the client area from the top item.
int listBoxPageSize(HWND hwnd, ListBoxState& s) {
  const RECT rc = listBoxClient(hwnd);
  int y = 0, n = 0;
  for (int i = s.top; i < listBoxCount(hwnd, s); ++i) {
    y += listBoxItemHeight(hwnd, s, i);
    if (y > rc.bottom) break;
    ++n;
  }
  return std::max(1, n == 0 ? (rc.bottom - rc.top) / std::max(1, listBoxItemHeight(hwnd, s, -1)) : n);
}

int listBoxMaxTop(HWND hwnd, ListBoxState& s) {
  const RECT rc = listBoxClient(hwnd);
  const int count = listBoxCount(hwnd, s);
  int y = 0, i = count;
  while (i > 0) {
    y += listBoxItemHeight(hwnd, s, i - 1);
    if (y > rc.bottom - rc.top) break;
    --i;
  }
  return std::max(0, i);
}

// The standard scroll bars follow the items: rows for the vertical bar,
// the horizontal extent for the other. Each shows itself only when there is
// more than one page.
void listBoxSyncScrollBars(HWND hwnd, ListBoxState& s) {
  if (!s.redraw || s.syncing) return;
  s.syncing = true;
  if (s.wantsVert) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = std::max(0, listBoxCount(hwnd, s) - 1);
    si.nPage = UINT(listBoxPageSize(hwnd, s));
    si.nPos = s.top;
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  }
  if (s.wantsHorz) {
    const RECT rc = listBoxClient(hwnd);
    s.xOffset = std::clamp(s.xOffset, 0, std::max(0, s.horzExtent - int(rc.right)));
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = std::max(0, s.horzExtent - 1);
    si.nPage = UINT(std::max<LONG>(0, rc.right));
    si.nPos = s.xOffset;
    SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
  }
  s.syncing = false;
}

void listBoxInvalidate(HWND hwnd, ListBoxState& s) {
  if (!s.redraw) return;
  listBoxSyncScrollBars(hwnd, s);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void listBoxNotify(HWND hwnd, WORD code) {
  if (!(listBoxStyle(hwnd) & LBS_NOTIFY)) return;
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(int(GetWindowLongPtrW(hwnd, GWLP_ID)), code),
               reinterpret_cast<LPARAM>(hwnd));
}

LRESULT listBoxRectOf(HWND hwnd, ListBoxState& s, int index, RECT* out) {
  if (index < 0 || index >= std::max(1, listBoxCount(hwnd, s))) return LB_ERR;
  const RECT rc = listBoxClient(hwnd);
  int y = 0;
  if (index >= s.top) {
    for (int i = s.top; i < index; ++i) y += listBoxItemHeight(hwnd, s, i);
  } else {
    for (int i = index; i < s.top; ++i) y -= listBoxItemHeight(hwnd, s, i);
  }
  if (out) *out = RECT{0, y, rc.right, y + listBoxItemHeight(hwnd, s, index)};
  return 1;
}

int listBoxItemAt(HWND hwnd, ListBoxState& s, int y) {
  const int count = listBoxCount(hwnd, s);
  int top = 0;
  for (int i = s.top; i < count; ++i) {
    const int h = listBoxItemHeight(hwnd, s, i);
    if (y < top + h) return i;
    top += h;
  }
  return count == 0 ? -1 : count - 1;
}

bool listBoxIsSelected(HWND hwnd, const ListBoxState& s, int i) {
  if (listBoxMulti(hwnd)) return i >= 0 && i < int(s.items.size()) && s.items[size_t(i)].selected;
  return i >= 0 && i == s.curSel;
}

void listBoxSetTop(HWND hwnd, ListBoxState& s, int top) {
  top = std::clamp(top, 0, listBoxMaxTop(hwnd, s));
  if (top == s.top) return;
  s.top = top;
  listBoxInvalidate(hwnd, s);
}

void listBoxEnsureVisible(HWND hwnd, ListBoxState& s, int index) {
  if (index < 0) return;
  if (index < s.top) {
    listBoxSetTop(hwnd, s, index);
    return;
  }
  const int page = listBoxPageSize(hwnd, s);
  if (index >= s.top + page) listBoxSetTop(hwnd, s, index - page + 1);
}

void listBoxMeasure(HWND hwnd, ListBoxState& s, int index) {
  if (!(listBoxStyle(hwnd) & LBS_OWNERDRAWVARIABLE) || index < 0 || index >= int(s.items.size())) return;
  MEASUREITEMSTRUCT mi;
  mi.CtlType = ODT_LISTBOX;
  mi.CtlID = UINT(GetWindowLongPtrW(hwnd, GWLP_ID));
  mi.itemID = UINT(index);
  mi.itemHeight = UINT(listBoxItemHeight(hwnd, s, -1));
  mi.itemData = ULONG_PTR(s.items[size_t(index)].data);
  mi.hwndItem = hwnd;
  if (HWND parent = GetParent(hwnd)) SendMessageW(parent, WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LPARAM>(&mi));
  s.items[size_t(index)].height = int(mi.itemHeight);
}

LRESULT listBoxInsert(HWND hwnd, ListBoxState& s, int index, LPARAM lParam) {
  ListBoxItem item;
  if (listBoxHasStrings(hwnd)) {
    if (lParam) item.text = reinterpret_cast<const WCHAR*>(lParam);
  } else {
    item.data = lParam;
  }
  const int count = int(s.items.size());
  if (index < 0 || index > count) index = count;
  if ((listBoxStyle(hwnd) & LBS_SORT) && listBoxHasStrings(hwnd)) {
    index = int(std::upper_bound(s.items.begin(), s.items.end(), item.text,
                                 [](const rtl::String& t, const ListBoxItem& it) {
                                   return rtl::AnsiCompareText(t, it.text) < 0;
                                 }) -
                s.items.begin());
  }
  s.items.insert(s.items.begin() + index, std::move(item));
  if (s.curSel >= index) ++s.curSel;
  if (s.caret >= index) ++s.caret;
  if (s.anchor >= index) ++s.anchor;
  listBoxMeasure(hwnd, s, index);
  listBoxInvalidate(hwnd, s);
  return index;
}

LRESULT listBoxDelete(HWND hwnd, ListBoxState& s, int index) {
  if (index < 0 || index >= int(s.items.size())) return LB_ERR;
  s.items.erase(s.items.begin() + index);
  auto shift = [index](int& v) {
    if (v == index) v = -1;
    else if (v > index) --v;
  };
  shift(s.curSel);
  shift(s.caret);
  shift(s.anchor);
  s.top = std::clamp(s.top, 0, listBoxMaxTop(hwnd, s));
  listBoxInvalidate(hwnd, s);
  return LRESULT(s.items.size());
}

LRESULT listBoxFind(HWND hwnd, const ListBoxState& s, int after, const WCHAR* text, bool exact) {
  const int count = int(s.items.size());
  if (!text || count == 0) return LB_ERR;
  const rtl::String key(text);
  const int start = (after < -1 || after >= count) ? -1 : after;
  for (int n = 1; n <= count; ++n) {
    const int i = (start + n) % count;
    const rtl::String& t = s.items[size_t(i)].text;
    if (!listBoxHasStrings(hwnd)) {
      if (s.items[size_t(i)].data == reinterpret_cast<LPARAM>(text)) return i;
      continue;
    }
    const bool match = exact ? rtl::AnsiSameText(t, key)
                             : t.size() >= key.size() && rtl::AnsiSameText(rtl::StringView(t).substr(0, key.size()), key);
    if (match) return i;
  }
  return LB_ERR;
}

void listBoxSelectRange(ListBoxState& s, int from, int to, bool value) {
  if (from > to) std::swap(from, to);
  from = std::max(0, from);
  to = std::min(int(s.items.size()) - 1, to);
  for (int i = from; i <= to; ++i) s.items[size_t(i)].selected = value;
}

// Moves the caret to `index` as keyboard or mouse input does, with the
// selection rules of the list box's style; notifies a change.
void listBoxMoveTo(HWND hwnd, ListBoxState& s, int index, bool shift, bool ctrl, bool toggle) {
  const int count = listBoxCount(hwnd, s);
  if (count == 0) return;
  index = std::clamp(index, 0, count - 1);
  const DWORD style = listBoxStyle(hwnd);
  if (style & LBS_EXTENDEDSEL) {
    if (shift && s.anchor >= 0) {
      if (!ctrl) listBoxSelectRange(s, 0, count - 1, false);
      listBoxSelectRange(s, s.anchor, index, true);
    } else if (ctrl) {
      if (toggle) s.items[size_t(index)].selected = !s.items[size_t(index)].selected;
      s.anchor = index;
    } else {
      listBoxSelectRange(s, 0, count - 1, false);
      s.items[size_t(index)].selected = true;
      s.anchor = index;
    }
  } else if (style & LBS_MULTIPLESEL) {
    if (toggle) s.items[size_t(index)].selected = !s.items[size_t(index)].selected;
  } else {
    if (s.curSel == index) {
      // Nothing changed: no notification (a click on the current item
      // still says so, as the user chose it).
      s.caret = index;
      listBoxEnsureVisible(hwnd, s, index);
      if (!toggle) return;
    }
    s.curSel = index;
  }
  s.caret = index;
  listBoxEnsureVisible(hwnd, s, index);
  listBoxInvalidate(hwnd, s);
  listBoxNotify(hwnd, LBN_SELCHANGE);
}

bool listBoxKeyDown(HWND hwnd, ListBoxState& s, UINT vk) {
  const int count = listBoxCount(hwnd, s);
  const int cur = s.caret >= 0 ? s.caret : (s.curSel >= 0 ? s.curSel : -1);
  const int page = listBoxPageSize(hwnd, s);
  int target;
  switch (vk) {
    case VK_UP: target = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: target = cur + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_PRIOR: target = cur < 0 ? 0 : cur - (page - 1 > 0 ? page - 1 : 1); break;
    case VK_NEXT: target = cur + (page - 1 > 0 ? page - 1 : 1); break;
    case VK_SPACE:
      if (listBoxStyle(hwnd) & LBS_MULTIPLESEL) {
        if (cur >= 0) listBoxMoveTo(hwnd, s, cur, false, false, true);
        return true;
      }
      return false;
    default: return false;
  }
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (listBoxStyle(hwnd) & LBS_MULTIPLESEL) {
    s.caret = std::clamp(target, 0, std::max(0, count - 1));
    listBoxEnsureVisible(hwnd, s, s.caret);
    listBoxInvalidate(hwnd, s);
    return true;
  }
  listBoxMoveTo(hwnd, s, target, shift, ctrl && !(listBoxStyle(hwnd) & LBS_EXTENDEDSEL) ? false : ctrl, false);
  return true;
}

void listBoxScroll(HWND hwnd, ListBoxState& s, WORD code, int pos) {
  const int page = listBoxPageSize(hwnd, s);
  switch (code) {
    case SB_LINEUP: listBoxSetTop(hwnd, s, s.top - 1); break;
    case SB_LINEDOWN: listBoxSetTop(hwnd, s, s.top + 1); break;
    case SB_PAGEUP: listBoxSetTop(hwnd, s, s.top - page); break;
    case SB_PAGEDOWN: listBoxSetTop(hwnd, s, s.top + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: listBoxSetTop(hwnd, s, pos); break;
    case SB_TOP: listBoxSetTop(hwnd, s, 0); break;
    case SB_BOTTOM: listBoxSetTop(hwnd, s, listBoxMaxTop(hwnd, s)); break;
    default: break;
  }
}

void listBoxPaint(HWND hwnd, ListBoxState& s, HDC dc) {
  const RECT client = listBoxClient(hwnd);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  HWND parent = GetParent(hwnd);
  HBRUSH back = gdi::GetSysColorBrush(gdi::COLOR_WINDOW);
  if (parent) {
    // The parent may choose the colours (WM_CTLCOLORLISTBOX), as for any native control.
    gdi::SetTextColor(dc, gdi::GetSysColor(gdi::COLOR_WINDOWTEXT));
    gdi::SetBkColor(dc, gdi::GetSysColor(gdi::COLOR_WINDOW));
    if (LRESULT b = SendMessageW(parent, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(hwnd)))
      back = reinterpret_cast<HBRUSH>(b);
  }
  const COLORREF text = gdi::GetTextColor(dc);
  const COLORREF bk = gdi::GetBkColor(dc);
  gdi::HGDIOBJ oldFont = gdi::SelectObject(dc, s.font ? s.font : gdi::GetStockObject(gdi::DEFAULT_GUI_FONT));
  const bool owner = listBoxOwnerDraw(hwnd);
  const int count = listBoxCount(hwnd, s);
  int y = 0;
  for (int i = s.top; i < count && y < client.bottom; ++i) {
    RECT r{0, y, client.right, y + listBoxItemHeight(hwnd, s, i)};
    y = r.bottom;
    const bool selected = listBoxIsSelected(hwnd, s, i);
    const bool focus = s.focused && i == (s.caret >= 0 ? s.caret : s.curSel);
    if (owner) {
      gdi::FillRect(dc, &r, back);
      DRAWITEMSTRUCT di;
      di.CtlType = ODT_LISTBOX;
      di.CtlID = UINT(GetWindowLongPtrW(hwnd, GWLP_ID));
      di.itemID = UINT(i);
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = (selected ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
      di.hwndItem = hwnd;
      di.hDC = dc;
      di.rcItem = r;
      di.itemData = i < int(s.items.size()) ? ULONG_PTR(s.items[size_t(i)].data) : 0;
      if (parent) SendMessageW(parent, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
      continue;
    }
    if (selected) {
      gdi::FillRect(dc, &r, gdi::GetSysColorBrush(gdi::COLOR_HIGHLIGHT));
      gdi::SetTextColor(dc, gdi::GetSysColor(gdi::COLOR_HIGHLIGHTTEXT));
    } else {
      gdi::FillRect(dc, &r, back);
      gdi::SetTextColor(dc, enabled ? text : gdi::GetSysColor(gdi::COLOR_GRAYTEXT));
    }
    gdi::SetBkMode(dc, gdi::TRANSPARENT);
    const rtl::String& t = s.items[size_t(i)].text;
    gdi::ExtTextOutW(dc, r.left + 2 - s.xOffset, r.top, gdi::ETO_CLIPPED, &r, t.c_str(), UINT(t.size()), nullptr);
    if (focus) gdi::DrawFocusRect(dc, &r);
  }
  RECT rest{0, y, client.right, client.bottom};
  if (rest.top < rest.bottom) gdi::FillRect(dc, &rest, back);
  gdi::SelectObject(dc, oldFont);
  gdi::SetTextColor(dc, text);
  gdi::SetBkColor(dc, bk);
}

LRESULT listBoxMessage(HWND hwnd, ListBoxState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int count = listBoxCount(hwnd, s);
  switch (msg) {
    case LB_ADDSTRING: return listBoxInsert(hwnd, s, -1, lParam);
    case LB_INSERTSTRING: return listBoxInsert(hwnd, s, int(wParam), lParam);
    case LB_DELETESTRING: return listBoxDelete(hwnd, s, int(wParam));
    case LB_RESETCONTENT:
      s.items.clear();
      s.count = 0;
      s.curSel = s.caret = s.anchor = -1;
      s.top = 0;
      listBoxInvalidate(hwnd, s);
      return 0;
    case LB_SETCOUNT:
      if (!listBoxNoData(hwnd)) return LB_ERR;
      s.count = std::max(0, int(wParam));
      s.items.assign(size_t(s.count), ListBoxItem{});
      if (s.curSel >= s.count) s.curSel = -1;
      if (s.caret >= s.count) s.caret = -1;
      if (s.anchor >= s.count) s.anchor = -1;
      s.top = std::clamp(s.top, 0, listBoxMaxTop(hwnd, s));
      listBoxInvalidate(hwnd, s);
      return 0;
    case LB_GETCOUNT: return count;
    case LB_GETTEXT: {
      if (int(wParam) < 0 || int(wParam) >= int(s.items.size())) return LB_ERR;
      const ListBoxItem& it = s.items[size_t(wParam)];
      if (!listBoxHasStrings(hwnd)) {
        if (lParam) *reinterpret_cast<LPARAM*>(lParam) = it.data;
        return sizeof(LPARAM);
      }
      if (lParam) {
        auto* out = reinterpret_cast<WCHAR*>(lParam);
        std::copy(it.text.begin(), it.text.end(), out);
        out[it.text.size()] = 0;
      }
      return LRESULT(it.text.size());
    }
    case LB_GETTEXTLEN:
      if (int(wParam) < 0 || int(wParam) >= int(s.items.size())) return LB_ERR;
      return listBoxHasStrings(hwnd) ? LRESULT(s.items[size_t(wParam)].text.size()) : sizeof(LPARAM);
    case LB_GETITEMDATA:
      if (int(wParam) < 0 || int(wParam) >= int(s.items.size())) return LB_ERR;
      return s.items[size_t(wParam)].data;
    case LB_SETITEMDATA:
      if (int(wParam) < 0 || int(wParam) >= int(s.items.size())) return LB_ERR;
      s.items[size_t(wParam)].data = lParam;
      return 0;
    case LB_SETCURSEL:
      if (listBoxMulti(hwnd)) return LB_ERR;
      if (int(wParam) < 0 || int(wParam) >= count) {
        s.curSel = -1;
        listBoxInvalidate(hwnd, s);
        return int(wParam) == -1 ? 0 : LB_ERR;
      }
      s.curSel = s.caret = int(wParam);
      listBoxEnsureVisible(hwnd, s, s.curSel);
      listBoxInvalidate(hwnd, s);
      return s.curSel;
    case LB_GETCURSEL:
      if (listBoxMulti(hwnd)) return s.caret;
      return s.curSel;
    case LB_SETSEL: {
      if (!listBoxMulti(hwnd)) return LB_ERR;
      const int i = int(LPARAM(lParam));
      if (i == -1) listBoxSelectRange(s, 0, count - 1, wParam != 0);
      else if (i < 0 || i >= count) return LB_ERR;
      else {
        s.items[size_t(i)].selected = wParam != 0;
        s.caret = i;
      }
      listBoxInvalidate(hwnd, s);
      return 0;
    }
    case LB_GETSEL:
      if (int(wParam) < 0 || int(wParam) >= count) return LB_ERR;
      return listBoxIsSelected(hwnd, s, int(wParam)) ? 1 : 0;
    case LB_SELITEMRANGE:
      if (!listBoxMulti(hwnd)) return LB_ERR;
      listBoxSelectRange(s, LOWORD(DWORD_PTR(lParam)), HIWORD(DWORD_PTR(lParam)), wParam != 0);
      listBoxInvalidate(hwnd, s);
      return 0;
    case LB_GETSELCOUNT: {
      if (!listBoxMulti(hwnd)) return LB_ERR;
      return std::count_if(s.items.begin(), s.items.end(), [](const ListBoxItem& it) { return it.selected; });
    }
    case LB_GETSELITEMS: {
      if (!listBoxMulti(hwnd)) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lParam);
      int n = 0;
      for (int i = 0; i < count && n < int(wParam); ++i)
        if (s.items[size_t(i)].selected) out[n++] = i;
      return n;
    }
    case LB_SETANCHORINDEX: s.anchor = int(wParam); return 0;
    case LB_GETANCHORINDEX: return s.anchor;
    case LB_SETCARETINDEX:
      if (int(wParam) < 0 || int(wParam) >= count) return LB_ERR;
      s.caret = int(wParam);
      listBoxEnsureVisible(hwnd, s, s.caret);
      listBoxInvalidate(hwnd, s);
      return 0;
    case LB_GETCARETINDEX: return s.caret >= 0 ? s.caret : (s.curSel >= 0 ? s.curSel : 0);
    case LB_SETTOPINDEX:
      if (int(wParam) < 0 || (count > 0 && int(wParam) >= count)) return LB_ERR;
      listBoxSetTop(hwnd, s, int(wParam));
      return 0;
    case LB_GETTOPINDEX: return s.top;
    case LB_SETITEMHEIGHT: {
      const int h = int(LOWORD(DWORD_PTR(lParam)));
      if (h <= 0 || h > 255) return LB_ERR;
      if ((listBoxStyle(hwnd) & LBS_OWNERDRAWVARIABLE) && int(wParam) >= 0 && int(wParam) < int(s.items.size()))
        s.items[size_t(wParam)].height = h;
      else
        s.itemHeight = h;
      listBoxInvalidate(hwnd, s);
      return 0;
    }
    case LB_GETITEMHEIGHT: return listBoxItemHeight(hwnd, s, int(wParam));
    case LB_GETITEMRECT: return listBoxRectOf(hwnd, s, int(wParam), reinterpret_cast<RECT*>(lParam));
    case LB_ITEMFROMPOINT: {
      const int y = GET_Y_LPARAM(lParam);
      const RECT rc = listBoxClient(hwnd);
      const int i = listBoxItemAt(hwnd, s, y);
      const bool outside = y < 0 || y >= rc.bottom || i < 0;
      return MAKELONG(WORD(std::max(0, i)), WORD(outside ? 1 : 0));
    }
    case LB_SETHORIZONTALEXTENT:
      s.horzExtent = std::max(0, int(wParam));
      listBoxInvalidate(hwnd, s);
      return 0;
    case LB_GETHORIZONTALEXTENT: return s.horzExtent;
    case LB_FINDSTRING: return listBoxFind(hwnd, s, int(wParam), reinterpret_cast<const WCHAR*>(lParam), false);
    case LB_FINDSTRINGEXACT: return listBoxFind(hwnd, s, int(wParam), reinterpret_cast<const WCHAR*>(lParam), true);
    case LB_SELECTSTRING: {
      const LRESULT i = listBoxFind(hwnd, s, int(wParam), reinterpret_cast<const WCHAR*>(lParam), false);
      if (i == LB_ERR || listBoxMulti(hwnd)) return LB_ERR;
      s.curSel = s.caret = int(i);
      listBoxEnsureVisible(hwnd, s, s.curSel);
      listBoxInvalidate(hwnd, s);
      return i;
    }
    default: return LB_ERR;
  }
}

}  // namespace

LRESULT ListBoxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    if (!listBoxState(hwnd)) SetPropW(hwnd, kListBoxStateProp, std::make_unique<ListBoxState>().release());
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  ListBoxState* s = listBoxState(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg >= LB_ADDSTRING && msg <= LB_ITEMFROMPOINT) return listBoxMessage(hwnd, *s, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY: {
      std::unique_ptr<ListBoxState> owned(s);
      RemovePropW(hwnd, kListBoxStateProp);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_CREATE:
      if (listBoxStyle(hwnd) & LBS_NOREDRAW) s->redraw = false;
      s->wantsVert = (listBoxStyle(hwnd) & WS_VSCROLL) != 0;
      s->wantsHorz = (listBoxStyle(hwnd) & WS_HSCROLL) != 0;
      listBoxSyncScrollBars(hwnd, *s);
      if (listBoxStyle(hwnd) & LBS_OWNERDRAWFIXED) {
        // A fixed owner-drawn list box asks its parent once for the height.
        MEASUREITEMSTRUCT mi;
        mi.CtlType = ODT_LISTBOX;
        mi.CtlID = UINT(GetWindowLongPtrW(hwnd, GWLP_ID));
        mi.itemHeight = UINT(listBoxItemHeight(hwnd, *s, -1));
        mi.hwndItem = hwnd;
        if (HWND parent = GetParent(hwnd))
          SendMessageW(parent, WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LPARAM>(&mi));
        if (mi.itemHeight > 0) s->itemHeight = int(mi.itemHeight);
      }
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (!listBoxOwnerDraw(hwnd)) s->itemHeight = 0;
      if (LOWORD(DWORD_PTR(lParam))) listBoxInvalidate(hwnd, *s);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_SETREDRAW:
      s->redraw = wParam != 0;
      listBoxInvalidate(hwnd, *s);
      return 0;
    case WM_SIZE:
      s->top = std::clamp(s->top, 0, listBoxMaxTop(hwnd, *s));
      listBoxInvalidate(hwnd, *s);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills every pixel
    case WM_PAINT: {
      if (wParam) {  // a wrapping control's paint cycle hands its DC
        listBoxPaint(hwnd, *s, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      listBoxPaint(hwnd, *s, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      listBoxPaint(hwnd, *s, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_GETDLGCODE: return kListBoxDlgcWantArrows | kListBoxDlgcWantChars;
    case WM_SETFOCUS:
      s->focused = true;
      listBoxInvalidate(hwnd, *s);
      listBoxNotify(hwnd, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      listBoxInvalidate(hwnd, *s);
      listBoxNotify(hwnd, LBN_KILLFOCUS);
      return 0;
    case WM_KEYDOWN:
      if (listBoxKeyDown(hwnd, *s, UINT(wParam))) return 0;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != hwnd) SetFocus(hwnd);
      const int i = listBoxItemAt(hwnd, *s, GET_Y_LPARAM(lParam));
      if (i < 0) return 0;
      if (msg == WM_LBUTTONDBLCLK) {
        listBoxNotify(hwnd, LBN_DBLCLK);
        return 0;
      }
      const bool shift = (wParam & MK_SHIFT) != 0;
      const bool ctrl = (wParam & MK_CONTROL) != 0;
      listBoxMoveTo(hwnd, *s, i, shift, ctrl, true);
      s->tracking = true;
      SetCapture(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->tracking && !(listBoxStyle(hwnd) & LBS_MULTIPLESEL)) {
        const int i = listBoxItemAt(hwnd, *s, GET_Y_LPARAM(lParam));
        const int cur = s->caret >= 0 ? s->caret : s->curSel;
        if (i >= 0 && i != cur) listBoxMoveTo(hwnd, *s, i, (listBoxStyle(hwnd) & LBS_EXTENDEDSEL) != 0, false, false);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->tracking) {
        s->tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED: s->tracking = false; return 0;
    case WM_VSCROLL: listBoxScroll(hwnd, *s, LOWORD(wParam), int(SHORT(HIWORD(wParam)))); return 0;
    case WM_HSCROLL: {
      const RECT rc = listBoxClient(hwnd);
      const int line = 8;
      switch (LOWORD(wParam)) {
        case SB_LINELEFT: s->xOffset -= line; break;
        case SB_LINERIGHT: s->xOffset += line; break;
        case SB_PAGELEFT: s->xOffset -= rc.right; break;
        case SB_PAGERIGHT: s->xOffset += rc.right; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: s->xOffset = int(SHORT(HIWORD(wParam))); break;
        case SB_LEFT: s->xOffset = 0; break;
        case SB_RIGHT: s->xOffset = s->horzExtent; break;
        default: return 0;
      }
      listBoxInvalidate(hwnd, *s);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      listBoxSetTop(hwnd, *s, s->top - notches * 3);
      return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void EnsureListBoxClass() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc;
  if (GetClassInfoExW(inst, u"LISTBOX", &wc)) return;
  WNDCLASSEXW reg;
  reg.style = CS_DBLCLKS;
  reg.lpfnWndProc = &ListBoxWndProc;
  reg.hInstance = inst;
  reg.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  reg.lpszClassName = u"LISTBOX";
  RegisterClassExW(&reg);
}

}  // namespace win

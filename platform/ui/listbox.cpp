// The class library's list box: a thin layer over the native list box; the
// window keeps the items, so every read asks it.
#include "platform/ui/listbox.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/text.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/win/listbox.h"
#include "platform/win/message_loop.h"

namespace ui {

using namespace win;

// ---- items --------------------------------------------------------------------------------
int TListBoxStrings::Add(const String& s) {
  const LRESULT r = listBox_->send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (r < 0) throw rtl::EOutOfResources(u"Failed to add a list box item");
  return int(r);
}

void TListBoxStrings::Clear() { listBox_->send(LB_RESETCONTENT, 0, 0); }

void TListBoxStrings::Delete(int index) {
  if (index < 0 || index >= GetCount()) throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
  listBox_->send(LB_DELETESTRING, WPARAM(index), 0);
}

void TListBoxStrings::Insert(int index, const String& s) {
  if (index < 0 || index > GetCount()) throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
  if (listBox_->send(LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(s.c_str())) < 0)
    throw rtl::EOutOfResources(u"Failed to insert a list box item");
}

int TListBoxStrings::IndexOf(rtl::StringView s) const {
  const String key(s);
  const LRESULT r = listBox_->send(LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(key.c_str()));
  return int(r);
}

String TListBoxStrings::Get(int index) const {
  if (listBox_->IsVirtual()) return listBox_->ItemText(index);
  const LRESULT len = listBox_->send(LB_GETTEXTLEN, WPARAM(index), 0);
  if (len < 0) throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
  String text(size_t(len) + 1, u'\0');
  listBox_->send(LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(size_t(len));
  return text;
}

int TListBoxStrings::GetCount() const { return int(listBox_->send(LB_GETCOUNT, 0, 0)); }

rtl::TObject* TListBoxStrings::GetObject(int index) const {
  if (listBox_->IsVirtual()) return nullptr;
  const LRESULT r = listBox_->send(LB_GETITEMDATA, WPARAM(index), 0);
  if (r == LB_ERR && (index < 0 || index >= GetCount()))
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
  return reinterpret_cast<rtl::TObject*>(r);
}

void TListBoxStrings::PutObject(int index, rtl::TObject* object) {
  if (listBox_->send(LB_SETITEMDATA, WPARAM(index), reinterpret_cast<LPARAM>(object)) == LB_ERR)
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
}

void TListBoxStrings::SetUpdateState(bool updating) {
  listBox_->send(WM_SETREDRAW, updating ? 0 : 1, 0);
}

// ---- the list box --------------------------------------------------------------------------
TCustomListBox::TCustomListBox(rtl::TComponent* owner)
    : TWinControl(owner),
      items_(std::make_unique<TListBoxStrings>(this)),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  // Clicks come from the window's selection notifications, not from the
  // mouse messages; the window captures the mouse itself.
  SetControlStyle({csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);  // clWindow is the default colour too: say so
}

TCustomListBox::~TCustomListBox() = default;

LRESULT TCustomListBox::send(UINT msg, WPARAM wParam, LPARAM lParam) {
  HandleNeeded();
  return SendMessageW(Handle(), msg, wParam, lParam);
}

void TCustomListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style |= WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  if (sorted_ && !IsVirtual()) p.Style |= LBS_SORT;
  if (multiSelect_) p.Style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  switch (style_) {
    case TListBoxStyle::lbStandard: break;
    case TListBoxStyle::lbOwnerDrawFixed: p.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS; break;
    case TListBoxStyle::lbOwnerDrawVariable: p.Style |= LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS; break;
    case TListBoxStyle::lbVirtual:
    case TListBoxStyle::lbVirtualOwnerDraw: p.Style |= LBS_OWNERDRAWFIXED | LBS_NODATA; break;
  }
  p.WindowClassStyle = CS_DBLCLKS;
}

void TCustomListBox::CreateWnd() {
  EnsureListBoxClass();
  TWinControl::CreateWnd();
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  if (style_ != TListBoxStyle::lbStandard && style_ != TListBoxStyle::lbOwnerDrawVariable)
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(itemHeight_, 0));
  // A recreated window (a style change) gets the items of the old one back.
  if (!IsVirtual()) {
    for (const SavedItem& it : saved_) {
      const LRESULT i = SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(it.text.c_str()));
      if (i >= 0) SendMessageW(Handle(), LB_SETITEMDATA, WPARAM(i), it.data);
    }
  }
  saved_.clear();
  if (itemIndexWanted_ >= 0) SetItemIndex(itemIndexWanted_);
}

void TCustomListBox::DestroyWnd() {
  saved_.clear();
  if (!IsVirtual()) {
    const int count = int(SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
      saved_.push_back({items_->Strings(i), SendMessageW(Handle(), LB_GETITEMDATA, WPARAM(i), 0)});
  }
  if (!multiSelect_) itemIndexWanted_ = int(SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
  TWinControl::DestroyWnd();
}

void TCustomListBox::DefaultHandler(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  // Our window's own messages go to the native list box rather than to the
  // plain default procedure.
  if (HandleAllocated() && !(m.Msg >= CM_BASE && m.Msg < CN_BASE + 0x400) && m.Msg != WM_SETTEXT) {
    m.Result = ListBoxWndProc(Handle(), m.Msg, m.WParam, m.LParam);
    return;
  }
  TWinControl::DefaultHandler(message);
}

void TCustomListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: CNCommand(m); return;
    case CN_DRAWITEM: CNDrawItem(m); return;
    case WM_MOUSEWHEEL:
      // A wheel no class-library handler took scrolls the list.
      m.Result = Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
      if (m.Result == 0) DefaultHandler(&m);
      return;
    default: TWinControl::WndProc(m);
  }
}

void TCustomListBox::PaintWindow(win::HDC dc) {
  if (HandleAllocated()) ListBoxWndProc(Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TCustomListBox::CNCommand(TMessage& m) {
  switch (HIWORD(m.WParam)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
}

void TCustomListBox::CNDrawItem(TMessage& m) {
  const auto& di = *reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
  TOwnerDrawState state;
  if (di.itemState & ODS_SELECTED) state += TOwnerDrawStateItem::odSelected;
  if (di.itemState & ODS_FOCUS) state += TOwnerDrawStateItem::odFocused;
  if (di.itemState & ODS_DISABLED) state += TOwnerDrawStateItem::odDisabled;
  canvas_->SetHandle(di.hDC);
  canvas_->Font()->Assign(Font());
  canvas_->Brush()->Assign(Brush());
  if (int(di.itemID) >= 0) {
    if (state.contains(TOwnerDrawStateItem::odSelected)) {
      canvas_->Brush()->SetColor(clHighlight);
      canvas_->Font()->SetColor(clHighlightText);
    }
    DrawItem(int(di.itemID), di.rcItem, state);
    if (state.contains(TOwnerDrawStateItem::odFocused)) gdi::DrawFocusRect(di.hDC, &di.rcItem);
  } else {
    canvas_->FillRect(di.rcItem);
  }
  canvas_->SetHandle(nullptr);
  m.Result = 1;
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (onDrawItem_) {
    onDrawItem_(this, index, rect, state);
    return;
  }
  canvas_->FillRect(rect);
  if (index < Count()) canvas_->TextOut(rect.left + 2, rect.top, ItemText(index));
}

String TCustomListBox::ItemText(int index) {
  if (!IsVirtual()) return items_->Strings(index);
  String data;
  if (onData_) onData_(this, index, data);
  return data;
}

int TCustomListBox::DoFindData(const String& text) {
  if (onDataFind_) return onDataFind_(this, text);
  return -1;
}

int TCustomListBox::ItemIndex() {
  if (!HandleAllocated()) return itemIndexWanted_;
  return int(send(multiSelect_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int value) {
  if (!HandleAllocated() && !Parent()) {
    itemIndexWanted_ = value;
    return;
  }
  if (multiSelect_) {
    send(LB_SETCARETINDEX, WPARAM(value), 0);
  } else {
    send(LB_SETCURSEL, WPARAM(value), 0);
  }
  itemIndexWanted_ = -1;
}

int TCustomListBox::TopIndex() { return int(send(LB_GETTOPINDEX, 0, 0)); }
void TCustomListBox::SetTopIndex(int value) { send(LB_SETTOPINDEX, WPARAM(value), 0); }
int TCustomListBox::Count() { return int(send(LB_GETCOUNT, 0, 0)); }

void TCustomListBox::SetCount(int value) {
  if (!IsVirtual()) throw rtl::EInvalidOperation(u"Setting the count needs a virtual list box style");
  send(LB_SETCOUNT, WPARAM(value), 0);
}

int TCustomListBox::ItemHeight() {
  if (HandleAllocated() && style_ == TListBoxStyle::lbStandard) return int(send(LB_GETITEMHEIGHT, 0, 0));
  return itemHeight_;
}

void TCustomListBox::SetItemHeight(int value) {
  if (value <= 0 || value == itemHeight_) return;
  itemHeight_ = value;
  if (HandleAllocated() && style_ != TListBoxStyle::lbStandard) send(LB_SETITEMHEIGHT, 0, MAKELPARAM(value, 0));
}

bool TCustomListBox::Selected(int index) {
  const LRESULT r = send(LB_GETSEL, WPARAM(index), 0);
  if (r == LB_ERR) throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
  return r != 0;
}

void TCustomListBox::SetSelected(int index, bool value) {
  if (multiSelect_) {
    if (send(LB_SETSEL, value ? 1 : 0, LPARAM(index)) == LB_ERR)
      throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
  } else if (value) {
    SetItemIndex(index);
  } else if (ItemIndex() == index) {
    SetItemIndex(-1);
  }
}

int TCustomListBox::SelCount() {
  if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
  return int(send(LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::ClearSelection() {
  if (multiSelect_) send(LB_SETSEL, 0, -1);
  else SetItemIndex(-1);
}

void TCustomListBox::SelectAll() {
  if (multiSelect_) send(LB_SETSEL, 1, -1);
}

int TCustomListBox::ItemAtPos(TPoint pos, bool existing) {
  const int count = Count();
  if (count == 0) return existing ? -1 : 0;
  const LRESULT r = send(LB_ITEMFROMPOINT, 0, MAKELPARAM(pos.x, pos.y));
  const int index = LOWORD(DWORD_PTR(r));
  TRect rc = ItemRect(index);
  if (pos.y >= rc.top && pos.y < rc.bottom && !HIWORD(DWORD_PTR(r))) return index;
  return existing ? -1 : count;
}

TRect TCustomListBox::ItemRect(int index) {
  TRect rc{};
  send(LB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&rc));
  return rc;
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
  if (style_ == value) return;
  style_ = value;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool value) {
  if (multiSelect_ == value) return;
  multiSelect_ = value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool value) {
  if (extendedSelect_ == value) return;
  extendedSelect_ = value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool value) {
  if (sorted_ == value) return;
  sorted_ = value;
  RecreateWnd();
}

}  // namespace ui

// The inner list box of list-based editors.
#include "lib/lookandfeel/cxInnerListBox.h"

#include <algorithm>
#include <utility>

#include "lib/lookandfeel/cxContainer.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"
#include "platform/win/input.h"
#include "platform/win/listbox.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/scrollinfo.h"
#include "platform/win/window.h"

namespace lookandfeel {

namespace {

constexpr rtl::Char kInnerListBoxBackspace = 8;
constexpr rtl::Char kInnerListBoxTab = 9;
constexpr rtl::Char kInnerListBoxEnter = 13;
constexpr rtl::Char kInnerListBoxEscape = 27;
constexpr win::LRESULT kInnerListBoxDlgcWantArrows = 0x0001;
constexpr win::LRESULT kInnerListBoxDlgcWantChars = 0x0080;

bool innerListBoxStartsWith(const String& AText, const String& APrefix) {
  return AText.size() >= APrefix.size() &&
         rtl::AnsiSameText(rtl::StringView(AText).substr(0, APrefix.size()), APrefix);
}

TcxScrollBar* innerListBoxCreateScrollBar(core::TScrollBarKind AKind, TcxLookAndFeel* AMaster) {
  TcxScrollBar* bar = rtl::Create<TcxScrollBar>(nullptr);
  bar->SetKind(AKind);
  bar->SetSmallChange(1);
  bar->SetVisible(false);
  bar->LookAndFeel()->SetMasterLookAndFeel(AMaster);
  return bar;
}

}  // namespace

TcxCustomInnerListBox::TcxCustomInnerListBox(rtl::TComponent* AOwner)
    : ui::TCustomListBox(AOwner),
      FcxCanvas(std::make_unique<core::TcxCanvas>(Canvas())),
      FLookAndFeel(std::make_unique<TcxLookAndFeel>(this)) {
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent::fromClosure(
      this, [this](TcxLookAndFeel* Sender, TcxLookAndFeelValues AValues) { LookAndFeelChanged(Sender, AValues); }));
  FHScrollBar = innerListBoxCreateScrollBar(core::TScrollBarKind::sbHorizontal, FLookAndFeel.get());
  FHScrollBar->SetOnScroll(ui::TScrollEvent::fromClosure(
      this, [this](rtl::TObject* s, ui::TScrollCode c, int& p) { hScrollHandler(s, c, p); }));
  FVScrollBar = innerListBoxCreateScrollBar(core::TScrollBarKind::sbVertical, FLookAndFeel.get());
  FVScrollBar->SetOnScroll(ui::TScrollEvent::fromClosure(
      this, [this](rtl::TObject* s, ui::TScrollCode c, int& p) { vScrollHandler(s, c, p); }));
  FHScrollBar->FreeNotification(this);
  FVScrollBar->FreeNotification(this);
  SetParentFont(true);
  SetParentColor(false);
  SetControlStyle(ControlStyle() + ui::csDoubleClicks - ui::csOpaque);
}

TcxCustomInnerListBox::~TcxCustomInnerListBox() {
  // The bars call back into this list box: they go with it even when they
  // were moved onto its parent (unless the parent freed them first, which
  // the free notification told us).
  if (TcxScrollBar* bar = std::exchange(FHScrollBar, nullptr)) bar->Free();
  if (TcxScrollBar* bar = std::exchange(FVScrollBar, nullptr)) bar->Free();
}

void TcxCustomInnerListBox::Notification(rtl::TComponent* AComponent, rtl::TOperation AOperation) {
  ui::TCustomListBox::Notification(AComponent, AOperation);
  if (AOperation != rtl::TOperation::opRemove) return;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
}

void TcxCustomInnerListBox::UnlockScrollBars() {
  if (FScrollBarsLockCount > 0) --FScrollBarsLockCount;
}

bool TcxCustomInnerListBox::UsecxScrollBars() { return FContainer != nullptr; }

int TcxCustomInnerListBox::FindAutoCompleteString(const String& AText) {
  if (IsVirtual()) return DoFindData(AText);
  const int count = Count();
  for (int i = 0; i < count; ++i)
    if (innerListBoxStartsWith(Items()->Strings(i), AText)) return i;
  return -1;
}

void TcxCustomInnerListBox::DoAutoComplete(rtl::Char& AKey) {
  if (!AutoComplete() || AKey == 0) return;
  const std::int64_t now = rtl::CurrentClock().MonotonicMs();
  if (now - FPrevKeyPressTime >= AutoCompleteDelay()) FAutoCompleteFilter.clear();
  FPrevKeyPressTime = now;
  if (AKey == kInnerListBoxBackspace) {
    if (!FAutoCompleteFilter.empty()) FAutoCompleteFilter.pop_back();
  } else {
    FAutoCompleteFilter.push_back(AKey);
  }
  if (FAutoCompleteFilter.empty()) {
    SetItemIndex(0);
    Click();
  } else {
    const int index = FindAutoCompleteString(FAutoCompleteFilter);
    if (index >= 0) {
      if (MultiSelect()) {
        ClearSelection();
        SetSelected(index, true);
      }
      SetItemIndex(index);
      Click();
    }
  }
  if (AKey != kInnerListBoxBackspace && AKey != kInnerListBoxEnter && AKey != kInnerListBoxEscape) AKey = 0;
}

void TcxCustomInnerListBox::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  if (HandleAllocated()) Invalidate();
}

TPoint TcxCustomInnerListBox::toContainer(int x, int y) {
  return FContainer->ScreenToClient(ClientToScreen(TPoint{x, y}));
}

void TcxCustomInnerListBox::Click() {
  ui::TCustomListBox::Click();
  if (FVScrollBar && FVScrollBar->Visible()) FVScrollBar->SetPosition(TopIndex());
  if (FContainer) TcxContainerAccess::Click(FContainer);
}

void TcxCustomInnerListBox::DblClick() {
  ui::TCustomListBox::DblClick();
  if (FContainer) TcxContainerAccess::DblClick(FContainer);
}

void TcxCustomInnerListBox::KeyDown(rtl::Word& key, ui::TShiftState shift) {
  if (FContainer) TcxContainerAccess::KeyDown(FContainer, key, shift);
  if (key != 0) ui::TCustomListBox::KeyDown(key, shift);
}

void TcxCustomInnerListBox::KeyPress(rtl::Char& key) {
  // Tab and Enter belong to the container and the form, never to the list.
  if (key == kInnerListBoxTab) key = 0;
  if (FContainer && key != 0) TcxContainerAccess::KeyPress(FContainer, key);
  if (key == kInnerListBoxEnter) key = 0;
  ui::TCustomListBox::KeyPress(key);
  if (key != 0) DoAutoComplete(key);
}

void TcxCustomInnerListBox::KeyUp(rtl::Word& key, ui::TShiftState shift) {
  if (key == win::VK_TAB) key = 0;
  if (FContainer && key != 0) TcxContainerAccess::KeyUp(FContainer, key, shift);
  if (key != 0) ui::TCustomListBox::KeyUp(key, shift);
}

void TcxCustomInnerListBox::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) {
  if (FContainer) {
    const TPoint p = toContainer(x, y);
    TcxContainerAccess::MouseDown(FContainer, button, shift, p.x, p.y);
  }
  ui::TCustomListBox::MouseDown(button, shift, x, y);
}

void TcxCustomInnerListBox::MouseMove(ui::TShiftState shift, int x, int y) {
  if (FContainer) {
    const TPoint p = toContainer(x, y);
    TcxContainerAccess::MouseMove(FContainer, shift, p.x, p.y);
  }
  ui::TCustomListBox::MouseMove(shift, x, y);
}

void TcxCustomInnerListBox::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) {
  if (FContainer) {
    const TPoint p = toContainer(x, y);
    TcxContainerAccess::MouseUp(FContainer, button, shift, p.x, p.y);
  }
  ui::TCustomListBox::MouseUp(button, shift, x, y);
}

bool TcxCustomInnerListBox::DoMouseWheel(ui::TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (FContainer && TcxContainerAccess::MouseWheel(FContainer, shift, wheelDelta, mousePos)) return true;
  return ui::TCustomListBox::DoMouseWheel(shift, wheelDelta, mousePos);
}

void TcxCustomInnerListBox::DragOver(rtl::TObject* source, int x, int y, ui::TDragState state, bool& accept) {
  ui::TCustomListBox::DragOver(source, x, y, state, accept);
  if (FContainer) TcxContainerAccess::DragOver(FContainer, source, x + Left(), y + Top(), state, accept);
}

void TcxCustomInnerListBox::DragDrop(rtl::TObject* source, int x, int y) {
  ui::TCustomListBox::DragDrop(source, x, y);
  if (FContainer) TcxContainerAccess::DragDrop(FContainer, source, x + Left(), y + Top());
}

TRect TcxCustomInnerListBox::SizeGripRect() {
  if (!FContainer || !FHScrollBar || !FVScrollBar || !FHScrollBar->Visible() || !FVScrollBar->Visible()) return TRect{};
  // The bars lie on the parent: its client coordinates, shifted to this window's.
  const TRect v = FVScrollBar->BoundsRect(), h = FHScrollBar->BoundsRect();
  return TRect{v.left - Left(), h.top - Top(), v.right - Left(), h.bottom - Top()};
}

void TcxCustomInnerListBox::fillSizeGrip(win::HDC dc) {
  const TRect r = SizeGripRect();
  if (!dc || r.right <= r.left || r.bottom <= r.top) return;
  const win::RECT rc{r.left, r.top, r.right, r.bottom};
  gdi::HBRUSH brush = gdi::CreateSolidBrush(ui::ColorToRGB(FContainer->GetSizeGripColor()));
  gdi::FillRect(dc, &rc, brush);
  gdi::DeleteObject(brush);
}

void TcxCustomInnerListBox::leftButtonDownWithDrag(ui::TMessage& m) {
  // The list box must not start a drag of its own: the editor is what is dragged.
  SetDragMode(ui::dmManual);
  rtl::ScopeExit restore([this] { SetDragMode(ui::dmAutomatic); });
  const TPoint at{win::GET_X_LPARAM(m.LParam), win::GET_Y_LPARAM(m.LParam)};
  const TPoint screenAt = ClientToScreen(at);
  const int item = ItemAtPos(at, true);
  const ui::TShiftState shift = ui::KeyboardStateToShiftState();
  const bool extending = shift.contains(ui::ssShift) || shift.contains(ui::ssCtrl);
  if (MultiSelect() && item >= 0 && Selected(item) && !shift.contains(ui::ssShift)) {
    // A press on the selection drags it as it is: the click must not
    // collapse it to one item first.
    TcxContainerAccess::BeginAutoDrag(FContainer, screenAt);
    return;
  }
  ui::TCustomListBox::WndProc(m);
  if (!(MultiSelect() && extending) && FContainer) TcxContainerAccess::BeginAutoDrag(FContainer, screenAt);
}

bool TcxCustomInnerListBox::updatesScrollBarsAfter(win::UINT AMsg, win::WPARAM AWParam) const {
  switch (AMsg) {
    case win::WM_SETREDRAW: return AWParam != 0;
    case win::WM_WINDOWPOSCHANGED:
    case win::WM_HSCROLL:
    case win::WM_VSCROLL:
    case win::LB_ADDSTRING:
    case win::LB_INSERTSTRING:
    case win::LB_DELETESTRING:
    case win::LB_RESETCONTENT:
    case win::LB_SETCURSEL:
    case win::LB_SETHORIZONTALEXTENT:
    case win::LB_SETTOPINDEX:
    case win::LB_SETCARETINDEX:
    case win::WM_MOUSEWHEEL:
    case ui::CM_SHOWINGCHANGED: return true;
    default: return false;
  }
}

void TcxCustomInnerListBox::WndProc(ui::TMessage& m) {
  switch (m.Msg) {
    case win::WM_GETDLGCODE:
      m.Result = kInnerListBoxDlgcWantChars | (win::GetKeyState(win::VK_CONTROL) < 0 ? 0 : kInnerListBoxDlgcWantArrows);
      return;
    case win::WM_SETREDRAW: FIsRedrawLocked = m.WParam == 0; break;
    case win::WM_DESTROY: FIsRedrawLocked = false; break;
    case ui::CN_DRAWITEM: CNDrawItemMessage(m); return;
    case ui::CM_MOUSELEAVE:
      ui::TCustomListBox::WndProc(m);
      if (FContainer) FContainer->ShortRefreshContainer(true);
      return;
    case win::WM_LBUTTONDOWN:
      if (FContainer && DragMode() == ui::dmAutomatic && !ComponentState().contains(rtl::TComponentStateItem::csDesigning)) {
        leftButtonDownWithDrag(m);
        return;
      }
      break;
    case win::WM_NCPAINT: {
      ui::TCustomListBox::WndProc(m);
      if (win::HDC dc = win::GetWindowDC(Handle())) {
        fillSizeGrip(dc);
        win::ReleaseDC(Handle(), dc);
      }
      return;
    }
    case win::WM_PRINT:
      ui::TCustomListBox::WndProc(m);
      if (m.LParam & win::PRF_NONCLIENT) fillSizeGrip(reinterpret_cast<win::HDC>(m.WParam));
      return;
    case win::WM_WINDOWPOSCHANGED: {
      ui::TCustomListBox::WndProc(m);
      SetExternalScrollBarsParameters();
      // The grip moved with the window: repaint the frame under it.
      const TRect r = SizeGripRect();
      if (r.right > r.left && HandleAllocated())
        win::RedrawWindow(Handle(), nullptr, nullptr, win::RDW_FRAME | win::RDW_INVALIDATE);
      return;
    }
    case win::WM_KILLFOCUS:
    case win::WM_SETFOCUS: {
      ui::TCustomListBox::WndProc(m);
      // Focus moving between the container and its list is no change of the editor's focus.
      const bool fromContainer = m.Msg == win::WM_SETFOCUS && FContainer && FContainer->HandleAllocated() &&
                                 reinterpret_cast<win::HWND>(m.WParam) == FContainer->Handle();
      if (FContainer && !fromContainer) TcxContainerAccess::FocusChanged(FContainer);
      return;
    }
    default: break;
  }
  ui::TCustomListBox::WndProc(m);
  if (updatesScrollBarsAfter(m.Msg, m.WParam)) SetExternalScrollBarsParameters();
}

void TcxCustomInnerListBox::CNDrawItemMessage(ui::TMessage& m) {
  const auto& di = *reinterpret_cast<const win::DRAWITEMSTRUCT*>(m.LParam);
  ui::TOwnerDrawState state;
  if (di.itemState & win::ODS_SELECTED) state += ui::TOwnerDrawStateItem::odSelected;
  if (di.itemState & win::ODS_FOCUS) state += ui::TOwnerDrawStateItem::odFocused;
  if (di.itemState & win::ODS_DISABLED) state += ui::TOwnerDrawStateItem::odDisabled;
  Canvas()->SetHandle(di.hDC);
  rtl::ScopeExit release([this] { Canvas()->SetHandle(nullptr); });
  Canvas()->Font()->Assign(Font());
  Canvas()->Brush()->Assign(Brush());
  if (state.contains(ui::TOwnerDrawStateItem::odSelected)) {
    Canvas()->Brush()->SetColor(ui::clHighlight);
    Canvas()->Font()->SetColor(ui::clHighlightText);
  }
  if (int(di.itemID) < 0) {
    Canvas()->FillRect(di.rcItem);
  } else {
    DrawItem(int(di.itemID), di.rcItem, state);
    if (state.contains(ui::TOwnerDrawStateItem::odFocused) && NeedDrawFocusRect()) {
      // The focus rectangle inverts with the text colour on the brush colour.
      FPrevBrushColor = Canvas()->Brush()->Color();
      FPrevFontColor = Canvas()->Font()->Color();
      Canvas()->DrawFocusRect(di.rcItem);
      Canvas()->Brush()->SetColor(FPrevBrushColor);
      Canvas()->Font()->SetColor(FPrevFontColor);
    }
  }
  m.Result = 1;
}

void TcxCustomInnerListBox::SetExternalScrollBarsParameters() {
  if (!FHScrollBar || !FVScrollBar || ComponentState().contains(rtl::TComponentStateItem::csDestroying) || FScrollBarsLockCount > 0 ||
      FIsRedrawLocked || !UsecxScrollBars() || !HandleAllocated() || !Parent())
    return;
  FScrollBarsCalculating = true;
  rtl::ScopeExit done([this] { FScrollBarsCalculating = false; });
  setBarParameters(FHScrollBar, win::OBJID_HSCROLL, win::SB_HORZ);
  setBarParameters(FVScrollBar, win::OBJID_VSCROLL, win::SB_VERT);
}

void TcxCustomInnerListBox::setBarParameters(TcxScrollBar* ABar, long AObjectId, int ABarKind) {
  win::SCROLLBARINFO info;
  const bool known = win::GetScrollBarInfo(Handle(), win::LONG(AObjectId), &info) != 0;
  bool visible = false;
  if (known && !(info.rgstate[0] & (win::STATE_SYSTEM_INVISIBLE | win::STATE_SYSTEM_OFFSCREEN))) {
    ABar->SetEnabled(!(info.rgstate[0] & win::STATE_SYSTEM_UNAVAILABLE) && Parent()->Enabled());
    win::POINT tl{info.rcScrollBar.left, info.rcScrollBar.top};
    win::POINT br{info.rcScrollBar.right, info.rcScrollBar.bottom};
    win::ScreenToClient(Parent()->Handle(), &tl);
    win::ScreenToClient(Parent()->Handle(), &br);
    const int w = br.x - tl.x, h = br.y - tl.y;
    visible = tl.x >= 0 && tl.y >= 0 && w <= Width() && h <= Height();
    if (visible) {
      LockScrollBars();
      ABar->SetParent(Parent());
      UnlockScrollBars();
      ABar->SetCtl3DValue(false);
      ABar->SetBounds(tl.x, tl.y, w, h);
      ABar->BringToFront();
    } else {
      ABar->SetBounds(0, 0, 0, 0);
    }
  }
  ABar->SetVisible(visible);
  if (!visible) return;
  win::SCROLLINFO si;
  si.fMask = win::SIF_ALL;
  win::GetScrollInfo(Handle(), ABarKind, &si);
  const int page = std::min<int>(int(si.nPage), si.nMax);
  ABar->SetScrollParams(si.nMin, si.nMax, si.nPos, page, true);
  ABar->SetSmallChange(1);
}

void TcxCustomInnerListBox::hScrollHandler(rtl::TObject*, ui::TScrollCode AScrollCode, int& AScrollPos) {
  Perform(win::WM_HSCROLL, win::MAKEWPARAM(int(AScrollCode), AScrollPos), 0);
  AScrollPos = win::GetScrollPos(Handle(), win::SB_HORZ);
}

void TcxCustomInnerListBox::vScrollHandler(rtl::TObject*, ui::TScrollCode AScrollCode, int& AScrollPos) {
  switch (AScrollCode) {
    case ui::TScrollCode::scLineUp: SetTopIndex(std::max(0, TopIndex() - 1)); break;
    case ui::TScrollCode::scLineDown: SetTopIndex(TopIndex() + 1); break;
    case ui::TScrollCode::scPosition:
    case ui::TScrollCode::scTrack: SetTopIndex(AScrollPos); break;
    default: Perform(win::WM_VSCROLL, win::MAKEWPARAM(int(AScrollCode), AScrollPos), 0); break;
  }
  AScrollPos = win::GetScrollPos(Handle(), win::SB_VERT);
}

}  // namespace lookandfeel

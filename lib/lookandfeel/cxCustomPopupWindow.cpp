// The custom popup window, the visible-popup controller and the hooks that
// close popups on clicks, application switches, hidden owners and system keys.
#include "lib/lookandfeel/cxCustomPopupWindow.h"

#include <algorithm>
#include <memory>

#include "lib/core/dxHooks.h"
#include "lib/core/dxWinHelpers.h"
#include "lib/lookandfeel/cxControlsSystem.h"
#include "platform/rtl/scoped.h"
#include "platform/win/win.h"

namespace lookandfeel {

namespace {

std::unique_ptr<TcxPopupVisibleController> popupVisibleControllerInstance;
bool popupHooksSet = false;
bool popupHookBusy = false;  // a close inside a hook sends messages the hook sees again
// While a popup is being shown or closed by a click, no window's caption may
// turn inactive: the activation moves between the popup and its form.
int popupCaptionInactivationLock = 0;

struct PopupCaptionInactivationLock {
  PopupCaptionInactivationLock() { ++popupCaptionInactivationLock; }
  ~PopupCaptionInactivationLock() { --popupCaptionInactivationLock; }
  PopupCaptionInactivationLock(const PopupCaptionInactivationLock&) = delete;
  PopupCaptionInactivationLock& operator=(const PopupCaptionInactivationLock&) = delete;
};

TcxCustomPopupWindow* popupWindowOf(win::HWND AHandle) {
  return dynamic_cast<TcxCustomPopupWindow*>(ui::TWinControl::FindControl(AHandle));
}

win::HWND popupOwnerHandle(TcxCustomPopupWindow* APopup) {
  ui::TWinControl* owner = APopup->GetOwnerControl();
  return owner && owner->HandleAllocated() ? owner->Handle() : nullptr;
}

bool popupIsMouseDown(win::UINT AMsg) {
  switch (AMsg) {
    case win::WM_LBUTTONDOWN: case win::WM_LBUTTONDBLCLK: case win::WM_RBUTTONDOWN: case win::WM_RBUTTONDBLCLK:
    case win::WM_MBUTTONDOWN: case win::WM_MBUTTONDBLCLK: case win::WM_NCLBUTTONDOWN: case win::WM_NCLBUTTONDBLCLK:
    case win::WM_NCRBUTTONDOWN: case win::WM_NCRBUTTONDBLCLK: case win::WM_NCMBUTTONDOWN: case win::WM_NCMBUTTONDBLCLK:
      return true;
    default: return false;
  }
}

ui::TCustomForm* popupOwnerForm(TcxCustomPopupWindow* APopup) {
  return APopup->GetOwnerControl() ? ui::GetParentForm(APopup->GetOwnerControl()) : nullptr;
}

// The window of the form some shown popup belongs to.
bool popupIsOwnerFormWindow(win::HWND AWnd) {
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  for (int i = 0; i < controller->Count(); ++i) {
    ui::TCustomForm* form = popupOwnerForm(controller->Items(i));
    if (form && form->HandleAllocated() && form->Handle() == AWnd) return true;
  }
  return false;
}

// Closes with deactivation locked, so that the activation change the close
// causes does not close other popups too.
void popupCloseLocked(TcxCustomPopupWindow* APopup) {
  APopup->LockDeactivate(true);
  rtl::ScopeExit unlock([APopup] { APopup->LockDeactivate(false); });
  APopup->CloseUp();
}

// The top-level window AWnd lies in.
win::HWND popupTopWindowOf(win::HWND AWnd) {
  win::HWND w = AWnd;
  while (w && (win::GetWindowLongPtrW(w, win::GWL_STYLE) & win::WS_CHILD)) {
    const win::HWND parent = win::GetParent(w);
    if (!parent) break;
    w = parent;
  }
  return w;
}

ui::TFormStyle popupFormStyleOf(win::HWND AWnd) {
  auto* form = dynamic_cast<ui::TCustomForm*>(ui::TWinControl::FindControl(AWnd));
  return form ? form->FormStyle() : ui::fsNormal;
}

// Whether a click on AHandle concerns the popup: it landed on the owner's
// form, or the owner's form is a popup that is already hidden (a popup of a
// popup that just closed), or the owner's form is an MDI child and the click
// went to another MDI child or to the MDI parent: the MDI frame keeps its
// activation then, so no deactivation would close the popup. A click on an
// unrelated form is left to the activation change it causes.
bool popupClickConcerns(TcxCustomPopupWindow* APopup, win::HWND AHandle) {
  ui::TCustomForm* form = popupOwnerForm(APopup);
  if (!form || !form->HandleAllocated()) return true;
  const win::HWND formWnd = form->Handle();
  if (AHandle == formWnd || win::IsChild(formWnd, AHandle)) return true;
  if (dynamic_cast<TcxCustomPopupWindow*>(form) && !win::IsWindowVisible(formWnd)) return true;
  if (form->FormStyle() != ui::fsMDIChild) return false;
  const ui::TFormStyle clicked = popupFormStyleOf(popupTopWindowOf(AHandle));
  return clicked == ui::fsMDIChild || clicked == ui::fsMDIForm;
}

// A click closes every popup the click is not inside and that the click
// concerns. A click on the owner control closes its popup too; the popup
// decides whether that click is then ignored by the owner. Returns true
// when the click is to be swallowed.
bool popupCloseOnMouseClick(win::HWND AHandle, const win::POINT& APoint, win::UINT AMsg) {
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  bool handled = false;
  for (bool closed = true; closed;) {
    closed = false;
    for (int i = 0; i < controller->Count(); ++i) {
      TcxCustomPopupWindow* popup = controller->Items(i);
      // The same skipping rule as CloseUnRelated: a focus-capturing popup that
      // is not the active form is left to its own deactivation.
      if ((popup->CaptureFocus() && !popup->Active()) || popup->IsChildWindow(AHandle) ||
          !popupClickConcerns(popup, AHandle))
        continue;
      ui::TWinControl* owner = popup->GetOwnerControl();
      const win::HWND ownerWnd = popupOwnerHandle(popup);
      bool onOwner = false;
      if ((AMsg == win::WM_LBUTTONDOWN || AMsg == win::WM_LBUTTONDBLCLK) && ownerWnd && AHandle == ownerWnd) {
        win::RECT r{};
        win::GetWindowRect(ownerWnd, &r);
        onOwner = APoint.x >= r.left && APoint.x < r.right && APoint.y >= r.top && APoint.y < r.bottom;
      }
      win::POINT client = APoint;
      if (ownerWnd) win::ScreenToClient(ownerWnd, &client);
      const bool ignore =
          popup->NeedIgnoreMouseMessageAfterCloseUp(AHandle, AMsg, {}, core::TPoint{client.x, client.y});
      if (onOwner)
        popup->SetJustClosed(ignore);
      else
        handled = ignore;
      {
        PopupCaptionInactivationLock captionLock;
        popupCloseLocked(popup);
      }
      if (onOwner && (!owner || !owner->HandleAllocated() || !win::IsWindowVisible(ownerWnd))) handled = true;
      closed = true;
      break;
    }
  }
  return handled;
}

void popupMouseHook(int code, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& result) {
  if (code < 0 || popupHookBusy || !cxPopupVisibleController()->IsAnyVisible()) return;
  if (!popupIsMouseDown(win::UINT(wParam))) return;
  const auto* mh = reinterpret_cast<const win::MOUSEHOOKSTRUCT*>(lParam);
  popupHookBusy = true;
  rtl::ScopeExit done([] { popupHookBusy = false; });
  if (popupCloseOnMouseClick(mh->hwnd, mh->pt, win::UINT(wParam))) result = 1;
}

void popupGetMessageHook(int code, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT&) {
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  if (code < 0 || wParam != win::PM_REMOVE || !controller->IsAnyVisible()) return;
  auto* msg = reinterpret_cast<win::MSG*>(lParam);
  if (msg->message != win::WM_SYSKEYDOWN) return;
  TcxCustomPopupWindow* last = controller->Items(controller->Count() - 1);
  if ((last->CaptureFocus() && last->ModalMode()) || last->IsSysKeyAccepted(rtl::Word(msg->wParam))) return;
  msg->message = win::WM_NULL;  // a menu key of the form would close the drop-down's work
}

// A window was hidden: the first popup whose owner lies inside it closes
// with every popup shown after it, the last first.
void popupCloseAfterHidden(win::HWND AHidden) {
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  int first = -1;
  for (int i = 0; i < controller->Count() && first < 0; ++i) {
    TcxCustomPopupWindow* popup = controller->Items(i);
    if (popup->HandleAllocated() && AHidden == popup->Handle()) continue;
    const win::HWND owner = popupOwnerHandle(popup);
    if (owner && IsRelatedWindow(AHidden, owner)) first = i;
  }
  for (int i = controller->Count() - 1; first >= 0 && i >= first; --i)
    if (i < controller->Count()) controller->Items(i)->CloseUp();
}

// Closing a popup hides its window, which comes back here: every rule
// re-reads the list and a closed popup is no longer in it.
void popupWndProcHook(int code, win::WPARAM, win::LPARAM lParam, win::LRESULT&) {
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  if (code < 0 || !controller->IsAnyVisible()) return;
  const auto* cwp = reinterpret_cast<const win::CWPSTRUCT*>(lParam);
  switch (cwp->message) {
    case win::WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const win::WINDOWPOS*>(cwp->lParam);
      if (pos && (pos->flags & win::SWP_HIDEWINDOW)) {
        popupCloseAfterHidden(cwp->hwnd);
        break;
      }
      for (int i = controller->Count() - 1; i >= 0; --i) {
        if (i >= controller->Count()) continue;
        TcxCustomPopupWindow* popup = controller->Items(i);
        if (popupOwnerHandle(popup) == cwp->hwnd && !popup->IsOwnerControlVisible()) popup->CloseUp();
      }
      break;
    }
    case win::WM_ACTIVATEAPP:
      if (cwp->wParam != 0) break;
      for (int i = controller->Count() - 1; i >= 0; --i) {
        if (i >= controller->Count()) continue;
        TcxCustomPopupWindow* popup = controller->Items(i);
        if (ui::TCustomForm* form = popup->GetOwnerControl() ? ui::GetParentForm(popup->GetOwnerControl()) : nullptr;
            form && form->HandleAllocated())
          win::PostMessageW(form->Handle(), win::WM_NCACTIVATE, 0, 0);
        if (popup->Enabled() && (!popup->CaptureFocus() || !popup->Active())) popup->CloseUp();
      }
      break;
    case win::WM_DESTROY:
      if (TcxCustomPopupWindow* popup = popupWindowOf(cwp->hwnd); popup && popup->IsVisible()) popup->CloseUp();
      break;
    case win::WM_SHOWWINDOW:
      if (cwp->wParam == 0) popupCloseAfterHidden(cwp->hwnd);
      break;
    case win::WM_NCACTIVATE:
      // To the user the popup is a part of its form: while it is open the
      // form keeps drawing its caption as active. The message is answered
      // (TRUE) before the form sees it.
      if (cwp->wParam == 0 && (popupCaptionInactivationLock > 0 || popupIsOwnerFormWindow(cwp->hwnd)))
        dxMessagesController()->BlockMessage(cwp->hwnd);
      break;
    case win::WM_GESTURE:
      // A touch gesture elsewhere is a click elsewhere.
      controller->CloseUnRelated(cwp->hwnd);
      break;
    default: break;
  }
}

void popupSetHooks(bool ASet) {
  if (ASet == popupHooksSet) return;
  popupHooksSet = ASet;
  if (ASet) {
    core::dxSetHook(core::TdxHookType::htMouse, &popupMouseHook);
    core::dxSetHook(core::TdxHookType::htGetMessage, &popupGetMessageHook);
    core::dxSetHook(core::TdxHookType::htWndProc, &popupWndProcHook);
  } else {
    core::dxReleaseHook(&popupMouseHook);
    core::dxReleaseHook(&popupGetMessageHook);
    core::dxReleaseHook(&popupWndProcHook);
  }
}

}  // namespace

// ---- window relations ---------------------------------------------------------------------------
bool IsRelatedWindow(win::HWND AParent, win::HWND AChild) {
  if (!AParent || !AChild) return false;
  for (win::HWND w = AChild; w;) {
    if (w == AParent) return true;
    win::HWND next = win::GetParent(w);
    if (!next)
      if (TcxCustomPopupWindow* popup = popupWindowOf(w)) next = popupOwnerHandle(popup);
    w = next;
  }
  return false;
}

win::HWND GetPopupOwnerControl(win::HWND AHandle) {
  for (win::HWND w = AHandle; w; w = win::GetParent(w))
    if (TcxCustomPopupWindow* popup = popupWindowOf(w)) {
      if (win::HWND owner = popupOwnerHandle(popup)) return owner;
      break;
    }
  return AHandle;
}

win::HWND FindFirstNonChildParentWindow(win::HWND AHandle) {
  win::HWND w = AHandle;
  while (w && (win::GetWindowLongPtrW(w, win::GWL_STYLE) & win::WS_CHILD)) w = win::GetParent(w);
  return w;
}

namespace {

// The first MDI child form, else the top window, up the chain of child
// windows from AWnd.
win::HWND popupHintRootWindow(win::HWND AWnd) {
  for (win::HWND w = AWnd; w; w = win::GetParent(w)) {
    if (auto* form = dynamic_cast<ui::TCustomForm*>(ui::TWinControl::FindControl(w));
        form && form->FormStyle() == ui::fsMDIChild)
      return w;
    if (!(win::GetWindowLongPtrW(w, win::GWL_STYLE) & win::WS_CHILD)) return w;
  }
  return AWnd;
}

}  // namespace

bool cxCanShowHint(ui::TWinControl* AControl) {
  if (!AControl || !AControl->HandleAllocated() || !ui::Application->Active()) return false;
  const win::HWND wnd = AControl->Handle();
  if (!win::IsWindowVisible(wnd)) return false;
  win::POINT cursor{};
  win::GetCursorPos(&cursor);
  const win::HWND under = core::cxWindowFromPoint(cursor);
  if (under != wnd && !(under && win::IsChild(wnd, under))) return false;
  const win::HWND root = popupHintRootWindow(wnd);
  auto* form = dynamic_cast<ui::TCustomForm*>(ui::TWinControl::FindControl(root));
  if (!form || form == ui::Screen->ActiveForm() || form->FormStyle() == ui::fsMDIForm) return true;
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  if (!controller->IsAnyVisible()) return false;
  const win::HWND popupOwner = popupOwnerHandle(controller->Items(0));
  return popupOwner && (popupOwner == root || win::IsChild(root, popupOwner));
}

// ---- the controller -----------------------------------------------------------------------------
TcxPopupVisibleController* cxPopupVisibleController() {
  if (!popupVisibleControllerInstance) popupVisibleControllerInstance = std::make_unique<TcxPopupVisibleController>();
  return popupVisibleControllerInstance.get();
}

void TcxPopupVisibleController::Register(TcxCustomPopupWindow* AItem) {
  if (IsVisible(AItem)) return;
  FItems.push_back(AItem);
  popupSetHooks(true);
}

void TcxPopupVisibleController::UnRegister(TcxCustomPopupWindow* AItem) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), AItem), FItems.end());
  if (FItems.empty()) popupSetHooks(false);
}

bool TcxPopupVisibleController::IsVisible(const TcxCustomPopupWindow* AItem) const {
  return std::find(FItems.begin(), FItems.end(), AItem) != FItems.end();
}

void TcxPopupVisibleController::CloseUnRelated(win::HWND AHandle) {
  for (bool closed = true; closed;) {
    closed = false;
    for (TcxCustomPopupWindow* popup : FItems) {
      if ((popup->CaptureFocus() && !popup->Active()) || popup->IsChildWindow(AHandle)) continue;
      popup->CloseUp();
      closed = true;
      break;
    }
  }
}

// ---- the popup ----------------------------------------------------------------------------------
TcxCustomPopupWindow::TcxCustomPopupWindow(ui::TWinControl* AOwnerControl) : FOwnerControl(AOwnerControl) {
  // Top-most only as Popup decides: with its form, or as a combo box list.
  SetFormStyle(ui::fsNormal);
  SetKeyPreview(true);
  if (AOwnerControl) SetOwnerParent(AOwnerControl);
}

TcxCustomPopupWindow::~TcxCustomPopupWindow() {
  *FAlive = false;
  cxPopupVisibleController()->UnRegister(this);
  // Drop the tie to a popup parent without making the window again for it.
  if (PopupMode() != ui::pmNone) {
    if (HandleAllocated()) DestroyHandle();
    SetPopupMode(ui::pmNone);
  }
}

bool TcxCustomPopupWindow::IsVisible() const { return cxPopupVisibleController()->IsVisible(this); }

bool TcxCustomPopupWindow::HasCapture() {
  return HandleAllocated() && win::GetCapture() == Handle();
}

void TcxCustomPopupWindow::LockDeactivate(bool ALock) {
  if (ALock) ++FDeactivateLockCount;
  else if (FDeactivateLockCount > 0) --FDeactivateLockCount;
}

bool TcxCustomPopupWindow::IsOwnerControlVisible() {
  return FOwnerControl && FOwnerControl->HandleAllocated() && win::IsWindowVisible(FOwnerControl->Handle());
}

ui::TWinControl* TcxCustomPopupWindow::GetFirstFocusControl(ui::TWinControl* AFocusedControl) {
  if (!AFocusedControl) return this;
  if (AFocusedControl->CanFocus() && AFocusedControl->TabStop()) return AFocusedControl;
  std::vector<ui::TWinControl*> order;
  GetTabOrderList(order);
  for (ui::TWinControl* c : order)
    if (c->CanFocus() && c->TabStop()) return c;
  return this;
}

bool TcxCustomPopupWindow::IsSysKeyAccepted(rtl::Word AKey) {
  return (AKey >= win::VK_PRIOR && AKey <= win::VK_DOWN) || AKey == win::VK_F4;
}

void TcxCustomPopupWindow::CorrectBoundsWithDesktopWorkArea(core::TPoint& APosition, core::TSize& ASize) {
  if (!AcceptsAnySize()) return;
  const core::TRect owner = GetOwnerScreenBounds();
  win::HMONITOR monitor = win::MonitorFromRect(&owner, win::MONITOR_DEFAULTTONEAREST);
  win::MONITORINFO mi;
  win::GetMonitorInfoW(monitor, &mi);
  const win::RECT& work = mi.rcWork;
  if (APosition.x < work.left) {
    ASize.cx -= work.left - APosition.x;
    APosition.x = work.left;
  }
  if (APosition.y < work.top) {
    ASize.cy -= work.top - APosition.y;
    APosition.y = work.top;
  }
  ASize.cx = std::min<int>(ASize.cx, work.right - APosition.x);
  ASize.cy = std::min<int>(ASize.cy, work.bottom - APosition.y);
}

void TcxCustomPopupWindow::SetCaptureFocus(bool AValue) {
  if (FCaptureFocus == AValue) return;
  FCaptureFocus = AValue;
  reshow();
}

void TcxCustomPopupWindow::SetIsTopMost(bool AValue) {
  if (FIsTopMost == AValue) return;
  FIsTopMost = AValue;
  reshow();
}

// A change of how the window is made recreates it; a shown popup closes and
// shows again with the same focus target.
void TcxCustomPopupWindow::reshow() {
  const bool shown = IsVisible();
  if (shown) CloseUp();
  RecreateWnd();
  if (shown) Popup(FFocusTarget);
}

void TcxCustomPopupWindow::InitPopup() {
  TcxPopupWindow::InitPopup();
  ui::TCustomForm* active = ui::Screen->ActiveForm();
  FPrevActiveFormWnd = active && active->HandleAllocated() ? active->Handle() : nullptr;
  ui::TWinControl* control = ui::Screen->ActiveControl();
  FPrevActiveControlWnd = control && control->HandleAllocated() ? control->Handle() : nullptr;
}

void TcxCustomPopupWindow::CreateParams(ui::TCreateParams& params) {
  TcxPopupWindow::CreateParams(params);
  params.Style = win::WS_POPUP | win::WS_CLIPCHILDREN;
  ui::TCustomForm* form = FOwnerControl ? ui::GetParentForm(FOwnerControl) : nullptr;
  if (FCaptureFocus) {
    // A real popup of the owner's form: it goes and comes with that form.
    if (form && form->HandleAllocated()) params.WndParent = form->Handle();
    if (FIsTopMost && (!form || form->FormStyle() == ui::fsStayOnTop)) params.ExStyle |= win::WS_EX_TOPMOST;
  } else {
    // Never activated: the owner's form keeps the focus and its caption.
    params.ExStyle |= win::WS_EX_TOOLWINDOW | win::WS_EX_NOACTIVATE;
    params.WndParent = nullptr;
  }
}

void TcxCustomPopupWindow::Popup(ui::TWinControl* AFocusedControl) {
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  if (IsVisible() || !IsOwnerControlVisible() || (FShowWithoutActivation && controller->IsAnyVisible())) return;
  FIsPopup = true;
  InitPopup();
  core::TSize size = CalculateSize();
  core::TPoint position = CalculatePosition(size);
  CorrectBoundsWithDesktopWorkArea(position, size);
  {
    PopupCaptionInactivationLock captionLock;
    FPopping = true;
    rtl::ScopeExit popped([this] { FPopping = false; });
    controller->Register(this);
    DoShowing();
    SetBounds(position.x, position.y, size.cx, size.cy);
    if (FShowWithoutActivation || !FCaptureFocus) {
      HandleNeeded();
      win::SetWindowPos(Handle(), nullptr, position.x, position.y, size.cx, size.cy,
                        win::SWP_NOZORDER | win::SWP_NOACTIVATE | win::SWP_SHOWWINDOW);
      SetVisible(true);
    } else {
      Show();
    }
  }
  if (!FShowWithoutActivation) {
    ui::TWinControl* target = FCaptureFocus ? GetFirstFocusControl(AFocusedControl) : AFocusedControl;
    FFocusTarget = target;
    if (FCaptureFocus) {
      if (target && target->CanFocus()) target->SetFocus();
      else if (CanFocus()) SetFocus();
    }
  }
  ui::TCustomForm* form = FOwnerControl ? ui::GetParentForm(FOwnerControl) : nullptr;
  const bool topMost = !form || (form->HandleAllocated() && (win::GetWindowLongPtrW(form->Handle(), win::GWL_EXSTYLE) &
                                                             win::WS_EX_TOPMOST)) ||
                       !FCaptureFocus;
  win::SetWindowPos(Handle(), topMost ? win::HWND_TOPMOST : win::HWND_TOP, 0, 0, 0, 0,
                    win::SWP_NOACTIVATE | win::SWP_NOMOVE | win::SWP_NOSIZE);
  SetModalResult(ui::mrNone);
  DoShowed();
  if (FCaptureFocus && FModalMode) runModalLoop();
}

void TcxCustomPopupWindow::runModalLoop() {
  std::shared_ptr<bool> alive = FAlive;
  win::RunModalLoop([this, alive] {
    if (!*alive || !IsVisible() || ui::Application->Terminated()) return true;
    // Enter, Alt and Space as system keys would reach the owner's form menu.
    win::MSG msg;
    if (win::PeekMessageW(&msg, nullptr, win::WM_SYSKEYDOWN, win::WM_SYSKEYDOWN, win::PM_NOREMOVE) &&
        (msg.wParam == win::VK_RETURN || msg.wParam == win::VK_MENU || msg.wParam == win::VK_SPACE))
      win::PeekMessageW(&msg, nullptr, win::WM_SYSKEYDOWN, win::WM_SYSKEYDOWN, win::PM_REMOVE);
    if (ModalResult() != ui::mrNone) {
      if (CloseQuery()) ModalCloseUp();
      else SetModalResult(ui::mrNone);
    }
    return !*alive || !IsVisible();
  });
}

void TcxCustomPopupWindow::CloseUp() {
  FIsPopup = false;
  if (!IsVisible()) return;
  cxPopupVisibleController()->UnRegister(this);
  DoClosing();
  Hide();
  if (HandleAllocated() && win::IsWindowVisible(Handle())) win::ShowWindow(Handle(), win::SW_HIDE);
  if (!FShowWithoutActivation) restoreFocus();
  DoClosed();
  if (const win::HWND capture = win::GetCapture(); capture && HandleAllocated() && IsRelatedWindow(Handle(), capture))
    win::ReleaseCapture();
  // The owner's form kept its caption active while the popup was open. An
  // MDI parent's caption follows its children, never a popup.
  ui::TCustomForm* form = FOwnerControl ? ui::GetParentForm(FOwnerControl) : nullptr;
  if (!cxPopupVisibleController()->IsAnyVisible() && form && form->HandleAllocated() && !form->Active() &&
      form->FormStyle() != ui::fsMDIForm)
    win::SendMessageW(form->Handle(), win::WM_NCACTIVATE, 0, 0);
}

void TcxCustomPopupWindow::restoreFocus() {
  ui::TWinControl* now = ui::Screen->ActiveControl();
  const win::HWND nowWnd = now && now->HandleAllocated() ? now->Handle() : nullptr;
  if (nowWnd && nowWnd == FPrevActiveControlWnd) return;
  if (FPrevActiveControlWnd && win::IsWindow(FPrevActiveControlWnd)) {
    if (ui::TWinControl* c = ui::TWinControl::FindControl(FPrevActiveControlWnd); c && c->CanFocus()) {
      c->SetFocus();
      return;
    }
    win::SetFocus(FPrevActiveControlWnd);
  } else if (FPrevActiveFormWnd && win::IsWindow(FPrevActiveFormWnd)) {
    win::SetActiveWindow(FPrevActiveFormWnd);
  }
}

void TcxCustomPopupWindow::ClosePopup() {
  if (HandleAllocated()) win::PostMessageW(Handle(), CM_CLOSEUPEVENT, 0, 0);
}

bool TcxCustomPopupWindow::IsChildWindow(win::HWND AHandle) {
  return HandleAllocated() && IsRelatedWindow(Handle(), AHandle);
}

void TcxCustomPopupWindow::DoClosed() {
  if (FOnClosed) FOnClosed(this);
}
void TcxCustomPopupWindow::DoClosing() {
  if (FOnClosing) FOnClosing(this);
}
void TcxCustomPopupWindow::DoShowed() {
  if (FOnShowed) FOnShowed(this);
}
void TcxCustomPopupWindow::DoShowing() {
  if (FOnShowing) FOnShowing(this);
}

void TcxCustomPopupWindow::Deactivate() {
  ui::TForm::Deactivate();  // the event only: closing follows the rules below
  // A popup that does not take the focus is closed by the hooks, never by
  // activation changes it did not ask for.
  if (IsDeactivateLocked() || !FCaptureFocus) return;
  TcxPopupVisibleController* controller = cxPopupVisibleController();
  const win::HWND active = win::GetActiveWindow();
  for (int i = controller->Count() - 1; i >= 0; --i) {
    if (i >= controller->Count()) continue;
    TcxCustomPopupWindow* popup = controller->Items(i);
    if (popup->HandleAllocated() && popup->Handle() == active) return;
    if (popup != this && popup->Enabled() && !popup->IsDeactivateLocked()) popup->CloseUp();
  }
  if (IsVisible()) CloseUp();
}

void TcxCustomPopupWindow::KeyDown(rtl::Word& key, ui::TShiftState shift) {
  if (key == win::VK_ESCAPE) {
    // Escape first ends a drag or selection inside the popup.
    if (HasCapture()) win::ReleaseCapture();
    else CloseUp();
    key = 0;
    return;
  }
  TcxPopupWindow::KeyDown(key, shift);
}

void TcxCustomPopupWindow::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case CM_CLOSEUPEVENT: {
      popupCloseLocked(this);
      if (FOwnerControl && FOwnerControl->CanFocus()) FOwnerControl->SetFocus();
      return;
    }
    case CM_SHOWPOPUPWINDOW: Popup(FFocusTarget); return;
    case win::WM_ACTIVATEAPP:
      // The application's switch is the hooks' business (they know every popup).
      return;
    case win::WM_MOUSEACTIVATE:
      if (!FCaptureFocus) {
        message.Result = win::MA_NOACTIVATE;
        return;
      }
      break;
    default: break;
  }
  TcxPopupWindow::WndProc(message);
}

}  // namespace lookandfeel

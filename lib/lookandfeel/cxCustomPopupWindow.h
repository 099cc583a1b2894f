#pragma once
// The drop-down window of the library's editors: a popup window that
// belongs to an owner control, takes (or does not take) the focus, may run
// its own modal loop, and closes itself when the user clicks, switches or
// hides elsewhere. Every shown popup is listed in one visible-popup
// controller; thread hooks (mouse, get-message, call-window-proc) close
// unrelated popups while any is shown.
#include <memory>
#include <vector>

#include "lib/lookandfeel/cxPopupWindow.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"

namespace lookandfeel {

// Posted to the popup: close it with deactivation locked, then give the
// owner its focus back.
constexpr win::UINT CM_CLOSEUPEVENT = 0x807D;
// Posted to the popup: show it again with the remembered focus target.
constexpr win::UINT CM_SHOWPOPUPWINDOW = 0x807E;

class TcxCustomPopupWindow : public TcxPopupWindow {
  RTL_CLASS(TcxCustomPopupWindow, TcxPopupWindow)

 public:
  explicit TcxCustomPopupWindow(ui::TWinControl* AOwnerControl);
  ~TcxCustomPopupWindow() override;

  // Shows the popup; with CaptureFocus and ModalMode returns once it closed.
  virtual void Popup(ui::TWinControl* AFocusedControl);
  void Popup() override { Popup(nullptr); }
  void CloseUp() override;
  // Closes later (a posted message), then focuses the owner control.
  void ClosePopup();

  bool IsVisible() const;
  bool HasCapture();
  void LockDeactivate(bool ALock);
  bool IsDeactivateLocked() const { return FDeactivateLockCount > 0; }
  bool IsOwnerControlVisible();
  ui::TWinControl* GetOwnerControl() const { return FOwnerControl; }
  ui::TWinControl* GetFirstFocusControl(ui::TWinControl* AFocusedControl);
  virtual bool IsSysKeyAccepted(rtl::Word AKey);
  // Only for popups that accept any size: moves a left or top edge outside
  // the work area in (shrinking by as much) and cuts the size at its right
  // and bottom.
  virtual void CorrectBoundsWithDesktopWorkArea(core::TPoint& APosition, core::TSize& ASize);

  bool CaptureFocus() const { return FCaptureFocus; }
  void SetCaptureFocus(bool AValue);
  bool ModalMode() const { return FModalMode; }
  void SetModalMode(bool AValue) { FModalMode = AValue; }
  bool IsTopMost() const { return FIsTopMost; }
  void SetIsTopMost(bool AValue);
  bool ShowWithoutActivation() const { return FShowWithoutActivation; }
  void SetShowWithoutActivation(bool AValue) { FShowWithoutActivation = AValue; }
  bool JustClosed() const { return FJustClosed; }
  void SetJustClosed(bool AValue) { FJustClosed = AValue; }
  bool IsPopup() const { return FIsPopup; }

  const rtl::TNotifyEvent& OnClosed() const { return FOnClosed; }
  void SetOnClosed(const rtl::TNotifyEvent& v) { FOnClosed = v; }
  const rtl::TNotifyEvent& OnClosing() const { return FOnClosing; }
  void SetOnClosing(const rtl::TNotifyEvent& v) { FOnClosing = v; }
  const rtl::TNotifyEvent& OnShowed() const { return FOnShowed; }
  void SetOnShowed(const rtl::TNotifyEvent& v) { FOnShowed = v; }
  const rtl::TNotifyEvent& OnShowing() const { return FOnShowing; }
  void SetOnShowing(const rtl::TNotifyEvent& v) { FOnShowing = v; }

  // Used by the hooks.
  virtual bool NeedIgnoreMouseMessageAfterCloseUp(win::HWND AWnd, win::UINT AMsg, ui::TShiftState AShift,
                                                  const core::TPoint& APos) {
    return false;
  }
  // The popup's window or a window inside it (its children, and popups
  // owned by it, recursively).
  bool IsChildWindow(win::HWND AHandle);

 protected:
  virtual bool AcceptsAnySize() { return false; }
  virtual void DoClosed();
  virtual void DoClosing();
  virtual void DoShowed();
  virtual void DoShowing();
  virtual void ModalCloseUp() { CloseUp(); }
  void InitPopup() override;
  bool UseOwnerParentToGetScreenBounds() override { return true; }
  void CreateParams(ui::TCreateParams& params) override;
  void WndProc(ui::TMessage& message) override;
  void Deactivate() override;
  void KeyDown(rtl::Word& key, ui::TShiftState shift) override;

 private:
  void runModalLoop();
  void restoreFocus();
  void reshow();

  bool FCaptureFocus = true;
  int FDeactivateLockCount = 0;
  bool FDeactivation = false;
  ui::TWinControl* FFocusTarget = nullptr;
  bool FIsPopup = false;
  bool FIsTopMost = false;
  bool FJustClosed = false;
  bool FModalMode = true;
  ui::TWinControl* FOwnerControl = nullptr;
  rtl::TNotifyEvent FOnClosed, FOnClosing, FOnShowed, FOnShowing;
  // Windows rather than objects: either may be gone when the popup closes.
  win::HWND FPrevActiveFormWnd = nullptr;
  win::HWND FPrevActiveControlWnd = nullptr;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  bool FShowWithoutActivation = false;
  bool FPopping = false;
};

// The shown popups in the order they were shown.
class TcxPopupVisibleController {
 public:
  void Register(TcxCustomPopupWindow* AItem);
  void UnRegister(TcxCustomPopupWindow* AItem);
  bool IsVisible(const TcxCustomPopupWindow* AItem) const;
  bool IsAnyVisible() const { return !FItems.empty(); }
  int Count() const { return int(FItems.size()); }
  TcxCustomPopupWindow* Items(int AIndex) const { return FItems[size_t(AIndex)]; }
  // Closes every shown popup unrelated to the window, until a pass closes none.
  void CloseUnRelated(win::HWND AHandle);

 private:
  std::vector<TcxCustomPopupWindow*> FItems;
};

TcxPopupVisibleController* cxPopupVisibleController();

// True when AChild is AParent or lies inside it, following parents and,
// through popups, the owner controls of popup windows.
bool IsRelatedWindow(win::HWND AParent, win::HWND AChild);
// The window of the owner control of the first custom popup among the
// window and its parents; else the window itself.
win::HWND GetPopupOwnerControl(win::HWND AHandle);
// The first window up the parent chain that is not a child window.
win::HWND FindFirstNonChildParentWindow(win::HWND AHandle);
// Whether a hint of AControl may show now: the application is active and
// the control's window is visible and under the mouse, and its root window
// (the first MDI child form or top window up its chain of windows) is not a
// form, is the active form, is an MDI parent form, or holds the owner of the
// first shown popup (a hint over a form that only shows a drop-down).
bool cxCanShowHint(ui::TWinControl* AControl);

}  // namespace lookandfeel

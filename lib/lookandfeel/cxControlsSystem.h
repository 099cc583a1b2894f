#pragma once
// Process-wide services of the control layer: the cached system settings and
// their change notices, chained window-procedure hooks that come off in any
// order, message removal and one-shot swallowing, the main-thread wake-up
// window, and the form watcher. Each shared service is made on first use and
// freed at the unit stop; afterwards its accessor answers null, so callers
// that run late (destructors of forms freed after the stop) must allow that.
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/dxCoreClasses.h"
#include "platform/ui/controls.h"
#include "platform/win/system.h"
#include "platform/win/types.h"

namespace lookandfeel {

// Posted to the system controller's window to run queued synchronisations.
constexpr win::UINT CM_SYNCHRONIZEWAKEUP = 0x8066;
// Change codes a settings notice names in WParam.
constexpr win::UINT kSettingNonClientMetrics = 42;
constexpr win::UINT kSettingDropShadow = 4133;

// --- system information -----------------------------------------------------------------
class IdxSystemInfoListener {
 public:
  virtual ~IdxSystemInfoListener() = default;
  virtual void Changed(win::UINT AParameter) = 0;
};

class TdxSystemInfo : public core::TcxMessageWindow {
  RTL_CLASS(TdxSystemInfo, core::TcxMessageWindow)

 public:
  TdxSystemInfo();

  // The system-parameters query for AParameter into AValue, with the buffer
  // sizes each query expects; whether it succeeded.
  bool GetParameter(win::UINT AParameter, void* AValue);
  void AddListener(IdxSystemInfoListener* AListener);
  void RemoveListener(IdxSystemInfoListener* AListener);

  bool IsDropShadow() const { return FIsDropShadow; }
  bool IsRemoteSession() const;
  const win::NONCLIENTMETRICSW& NonClientMetrics() const { return FNonClientMetrics; }

 protected:
  void WndProc(ui::TMessage& Message) override;
  virtual void UpdateCache(win::UINT AParameter);
  void NotifyListeners(win::UINT AParameter);

 private:
  bool FIsDropShadow = false;
  std::vector<IdxSystemInfoListener*> FListeners;
  win::NONCLIENTMETRICSW FNonClientMetrics{};
};

// --- window-procedure chains --------------------------------------------------------------
class TcxWindowProcLinkedObject : public core::TcxDoublyLinkedObject {
  RTL_CLASS(TcxWindowProcLinkedObject, core::TcxDoublyLinkedObject)

 public:
  // Passes the message to the handler installed before this one.
  void DefaultProc(ui::TMessage& Message);

  ui::TControl* Control() const { return FControl; }
  win::HWND Handle() const { return FHandle; }
  const ui::TWndMethod& WindowProc() const { return FWindowProc; }
  // Set once by the helper that makes the link.
  void SetTarget(ui::TControl* AControl, win::HWND AHandle) {
    FControl = AControl;
    FHandle = AHandle;
  }

 private:
  friend class TcxWindowProcLinkedObjectList;
  ui::TControl* FControl = nullptr;
  win::HWND FHandle = nullptr;
  ui::TWndMethod FWindowProc;
};

class TcxSubclassingHelper : public rtl::TObject {
  RTL_CLASS(TcxSubclassingHelper, rtl::TObject)

 public:
  virtual TcxWindowProcLinkedObject* CreateLinkedObject() = 0;
  virtual void RestoreDefaultProc() = 0;
  virtual void StoreAndReplaceDefaultProc(const ui::TWndMethod& AWndProc) = 0;
  const ui::TWndMethod& DefaultWindowProc() const { return FDefaultWindowProc; }

 protected:
  ui::TWndMethod FDefaultWindowProc;
};

// Hooks a platform control through its WindowProc property.
class TcxVCLSubclassingHelper : public TcxSubclassingHelper {
  RTL_CLASS(TcxVCLSubclassingHelper, TcxSubclassingHelper)

 public:
  explicit TcxVCLSubclassingHelper(ui::TControl* AControl) : FControl(AControl) {}
  TcxWindowProcLinkedObject* CreateLinkedObject() override;
  void RestoreDefaultProc() override;
  void StoreAndReplaceDefaultProc(const ui::TWndMethod& AWndProc) override;

 private:
  ui::TControl* FControl;
};

// Hooks a raw window by replacing its window procedure.
class TcxWin32SubclassingHelper : public TcxSubclassingHelper {
  RTL_CLASS(TcxWin32SubclassingHelper, TcxSubclassingHelper)

 public:
  explicit TcxWin32SubclassingHelper(win::HWND AHandle) : FHandle(AHandle) {}
  ~TcxWin32SubclassingHelper() override;
  TcxWindowProcLinkedObject* CreateLinkedObject() override;
  void RestoreDefaultProc() override;
  void StoreAndReplaceDefaultProc(const ui::TWndMethod& AWndProc) override;

 private:
  static win::LRESULT ChainProc(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
  void DefaultWndProc(ui::TMessage& Message);

  win::WNDPROC FAPIDefaultWndProc = nullptr;
  ui::TWndMethod FAPIWndProc;
  win::HWND FHandle;
};

class TcxWindowProcLinkedObjectList : public core::TcxDoublyLinkedObjectList {
  RTL_CLASS(TcxWindowProcLinkedObjectList, core::TcxDoublyLinkedObjectList)

 public:
  explicit TcxWindowProcLinkedObjectList(ui::TControl* AControl);
  explicit TcxWindowProcLinkedObjectList(win::HWND AHandle);
  ~TcxWindowProcLinkedObjectList() override;

  TcxWindowProcLinkedObject* AddProc(const ui::TWndMethod& AWndProc);
  // Only the object wrapping the window's own procedure is left.
  bool IsEmpty() const { return First() == Last(); }
  ui::TControl* Control() const { return FControl; }
  win::HWND Handle() const { return FHandle; }

 protected:
  core::TcxDoublyLinkedObject* CreateLinkedObject() override;

 private:
  void Initialize();
  void WndProc(ui::TMessage& Message);

  ui::TControl* FControl = nullptr;
  win::HWND FHandle = nullptr;
  TcxSubclassingHelper* FHelper = nullptr;
};

class TcxWindowProcController : public rtl::TObject {
  RTL_CLASS(TcxWindowProcController, rtl::TObject)

 public:
  ~TcxWindowProcController() override;
  // The new link, last in the control's chain; null for a null control.
  TcxWindowProcLinkedObject* Add(ui::TControl* AControl, const ui::TWndMethod& AWndProc);
  // The same for a raw window; null for a null handle.
  TcxWindowProcLinkedObject* Add(win::HWND AHandle, const ui::TWndMethod& AWndProc);
  // Unhooks and frees the link and clears the variable; the last link of a
  // chain puts the window's own procedure back.
  void Remove(TcxWindowProcLinkedObject*& AWndProcObject);

 private:
  TcxWindowProcLinkedObjectList* Find(ui::TControl* AControl, win::HWND AHandle) const;
  std::vector<TcxWindowProcLinkedObjectList*> FWindowProcObjects;
};

// --- messages ----------------------------------------------------------------------------
class TdxMessagesController : public rtl::TObject {
  RTL_CLASS(TdxMessagesController, rtl::TObject)

 public:
  bool IsMessageInQueue(win::HWND AWnd, win::UINT AMessage);
  // Removes waiting messages of AWnd in AMsgFilterMin..AMsgFilterMax (only
  // AMsgFilterMin when the maximum is 0): the first one, or all with
  // AKillAllMessages. A quit message on the way is posted again and ends it.
  bool KillMessages(win::HWND AWnd, win::UINT AMsgFilterMin, win::UINT AMsgFilterMax = 0,
                    bool AKillAllMessages = true);
  void LockMessages(const std::vector<win::UINT>& AMessages);
  void UnlockMessages(const std::vector<win::UINT>& AMessages);
  bool IsMessageLocked(win::UINT AMessage) const;
  // The first message AHandle receives next is answered 1 and goes no
  // further; raises EdxException while such a block is pending.
  void BlockMessage(win::HWND AHandle);
  void BlockLockedMessage(win::HWND AHandle, win::UINT& AMessage);

 private:
  static win::LRESULT BlockProc(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
  std::vector<win::UINT> FLockedMessages;
  win::WNDPROC FOldWndProc = nullptr;
  win::HWND FBlockedWnd = nullptr;
};

// --- main-thread wake-up -------------------------------------------------------------------
// Runs queued synchronisations on the main thread when woken. The wake-up
// hook is taken only inside a library module; in this executable the
// window merely exists.
class TcxSystemController : public core::TcxMessageWindow {
  RTL_CLASS(TcxSystemController, core::TcxMessageWindow)

 public:
  explicit TcxSystemController(bool AIsLibrary = false);
  ~TcxSystemController() override;

 protected:
  void WndProc(ui::TMessage& Message) override;

 private:
  static void WakeMainThread();
  bool FHooked = false;
};

// --- form watcher ------------------------------------------------------------------------
class TdxApplicationActivateWindowHelper : public rtl::TObject {
  RTL_CLASS(TdxApplicationActivateWindowHelper, rtl::TObject)

 public:
  TdxApplicationActivateWindowHelper();
  ~TdxApplicationActivateWindowHelper() override;
  void AddWindow(rtl::TComponent* AForm);
  void RemoveWindow(rtl::TComponent* AForm);
  int Count() const { return int(FWindowsList.size()); }

 private:
  void FreeNotification(rtl::TComponent* Sender) { RemoveWindow(Sender); }
  core::TcxFreeNotificator* FFreeNotificator;
  std::vector<rtl::TComponent*> FWindowsList;
};

// --- components that belong to a control --------------------------------------------------------
class TcxControlChildComponent;

// What a control does for its child components: keeps the list and sets
// itself as their control (AddChildComponent calls back SetControl).
class IcxChildComponentHost {
 public:
  virtual ~IcxChildComponentHost() = default;
  virtual void AddChildComponent(TcxControlChildComponent* AComponent) = 0;
  virtual void RemoveChildComponent(TcxControlChildComponent* AComponent) = 0;
};

class TcxControlChildComponent : public core::TcxComponent {
  RTL_CLASS(TcxControlChildComponent, core::TcxComponent)

 public:
  explicit TcxControlChildComponent(rtl::TComponent* AOwner);
  // Belongs to AControl; owned by AControl's owner when AAssignOwner.
  TcxControlChildComponent(rtl::TComponent* AControl, bool AAssignOwner);
  ~TcxControlChildComponent() override;

  rtl::TComponent* Control() const { return FControl; }
  virtual void SetControl(rtl::TComponent* Value) { FControl = Value; }
  bool IsDestroying() const { return GetIsDestroying(); }
  bool IsLoading() const { return ComponentState().contains(rtl::TComponentStateItem::csLoading); }

  bool HasParent() const override { return FControl != nullptr; }
  rtl::TComponent* GetParentComponent() const override { return FControl; }
  void SetParentComponent(rtl::TComponent* Value) override;

 protected:
  virtual bool GetIsDestroying() const { return ComponentState().contains(rtl::TComponentStateItem::csDestroying); }
  virtual void Initialize() {}

 private:
  rtl::TComponent* FControl = nullptr;
};

// --- accessors and unit routines -------------------------------------------------------------
TdxSystemInfo* dxSystemInfo();
TcxWindowProcController* cxWindowProcController();
TdxMessagesController* dxMessagesController();
core::TcxMessageWindow* cxMessageWindow();
TdxApplicationActivateWindowHelper* dxApplicationActivateWindowHelper();
TcxSystemController* cxSystemController();

// Sets the window's procedure and answers the previous one.
win::WNDPROC dxSetWindowProc(win::HWND AHandle, win::WNDPROC ANewWindowProc);
// Makes the window recompute its frame; with AUpdate repaints it at once.
void dxRecalculateNonClientPart(win::HWND AHandle, bool AUpdate = false);

// The mouse tracking's stop: frees the tracking timers still running and
// answers how many there were. Installed by the mouse-tracking unit.
using TdxMouseTrackingShutdown = int (*)();
void dxSetMouseTrackingShutdown(TdxMouseTrackingShutdown AShutdown);

// Start and stop of the unit's shared state; the start runs by itself when
// the program starts. Tests call both to begin anew.
void cxControlsSystemUnitStart();
void cxControlsSystemUnitStop();

}  // namespace lookandfeel

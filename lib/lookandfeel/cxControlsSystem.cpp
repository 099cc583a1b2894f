#include "lib/lookandfeel/cxControlsSystem.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "lib/core/dxCore.h"
#include "lib/lookandfeel/cxControls.h"
#include "platform/rtl/threads.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace lookandfeel {

namespace {

struct UnitState {
  bool finalized = false;
  TdxSystemInfo* systemInfo = nullptr;
  TcxWindowProcController* windowProcController = nullptr;
  TdxMessagesController* messagesController = nullptr;
  core::TcxMessageWindow* messageWindow = nullptr;
  TcxSystemController* systemController = nullptr;
  TdxApplicationActivateWindowHelper* activateWindowHelper = nullptr;
  TdxMouseTrackingShutdown mouseTrackingShutdown = nullptr;
};

UnitState& unit() {
  static UnitState state;
  return state;
}

template <class T>
T* sharedInstance(T*& slot) {
  if (!slot && !unit().finalized) slot = rtl::Create<T>();
  return slot;
}

// Raw windows hooked by a chain: the one window procedure every one of them
// gets finds its chain here.
std::unordered_map<win::HWND, ui::TWndMethod>& hookedWindows() {
  static std::unordered_map<win::HWND, ui::TWndMethod> map;
  return map;
}

}  // namespace

// --- TdxSystemInfo -----------------------------------------------------------------------
TdxSystemInfo::TdxSystemInfo() {
  UpdateCache(kSettingDropShadow);
  UpdateCache(kSettingNonClientMetrics);
}

bool TdxSystemInfo::GetParameter(win::UINT AParameter, void* AValue) {
  win::UINT size = 0;
  switch (AParameter) {
    case win::SPI_GETICONTITLELOGFONT:
      size = 92;
      break;
    case win::SPI_GETNONCLIENTMETRICS:
      // The record is the platform's own, so its size is the one it knows.
      static_cast<win::NONCLIENTMETRICSW*>(AValue)->cbSize = sizeof(win::NONCLIENTMETRICSW);
      break;
    case win::SPI_GETANIMATION:
      static_cast<win::ANIMATIONINFO*>(AValue)->cbSize = sizeof(win::ANIMATIONINFO);
      size = sizeof(win::ANIMATIONINFO);
      break;
    default:
      break;
  }
  return win::SystemParametersInfoW(AParameter, size, AValue, 0) != 0;
}

void TdxSystemInfo::UpdateCache(win::UINT AParameter) {
  if (AParameter == kSettingNonClientMetrics) {
    GetParameter(win::SPI_GETNONCLIENTMETRICS, &FNonClientMetrics);
  } else if (AParameter == kSettingDropShadow) {
    win::BOOL value = 0;
    FIsDropShadow = GetParameter(win::SPI_GETDROPSHADOW, &value) && value != 0;
  }
}

void TdxSystemInfo::WndProc(ui::TMessage& Message) {
  // A change named only by its section text (WParam 0) concerns no cached
  // setting and no listener.
  if (Message.Msg == win::WM_SETTINGCHANGE && Message.WParam != 0) {
    const auto parameter = win::UINT(Message.WParam);
    UpdateCache(parameter);
    NotifyListeners(parameter);
    Message.Result = 0;
    return;
  }
  core::TcxMessageWindow::WndProc(Message);
}

void TdxSystemInfo::NotifyListeners(win::UINT AParameter) {
  // A listener may leave during the notice; the copy keeps the walk valid.
  const std::vector<IdxSystemInfoListener*> listeners = FListeners;
  for (IdxSystemInfoListener* listener : listeners) {
    if (std::find(FListeners.begin(), FListeners.end(), listener) != FListeners.end())
      listener->Changed(AParameter);
  }
}

void TdxSystemInfo::AddListener(IdxSystemInfoListener* AListener) {
  if (AListener) FListeners.push_back(AListener);
}

void TdxSystemInfo::RemoveListener(IdxSystemInfoListener* AListener) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AListener);
  if (it != FListeners.end()) FListeners.erase(it);
}

bool TdxSystemInfo::IsRemoteSession() const { return win::GetSystemMetrics(win::SM_REMOTESESSION) != 0; }

// --- window-procedure chains -----------------------------------------------------------------
void TcxWindowProcLinkedObject::DefaultProc(ui::TMessage& Message) {
  auto* prev = static_cast<TcxWindowProcLinkedObject*>(Prev());
  if (prev && prev->FWindowProc) prev->FWindowProc(Message);
}

TcxWindowProcLinkedObject* TcxVCLSubclassingHelper::CreateLinkedObject() {
  auto* object = rtl::Create<TcxWindowProcLinkedObject>();
  object->SetTarget(FControl, nullptr);
  return object;
}

void TcxVCLSubclassingHelper::StoreAndReplaceDefaultProc(const ui::TWndMethod& AWndProc) {
  FDefaultWindowProc = FControl->WindowProc();
  FControl->SetWindowProc(AWndProc);
}

void TcxVCLSubclassingHelper::RestoreDefaultProc() { FControl->SetWindowProc(FDefaultWindowProc); }

TcxWin32SubclassingHelper::~TcxWin32SubclassingHelper() { hookedWindows().erase(FHandle); }

TcxWindowProcLinkedObject* TcxWin32SubclassingHelper::CreateLinkedObject() {
  auto* object = rtl::Create<TcxWindowProcLinkedObject>();
  object->SetTarget(nullptr, FHandle);
  return object;
}

win::LRESULT TcxWin32SubclassingHelper::ChainProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam,
                                                  win::LPARAM lParam) {
  auto it = hookedWindows().find(hwnd);
  if (it == hookedWindows().end()) return win::DefWindowProcW(hwnd, msg, wParam, lParam);
  ui::TMessage message{msg, wParam, lParam, 0};
  const ui::TWndMethod method = it->second;
  method(message);
  return message.Result;
}

void TcxWin32SubclassingHelper::StoreAndReplaceDefaultProc(const ui::TWndMethod& AWndProc) {
  FAPIWndProc = AWndProc;
  hookedWindows()[FHandle] = AWndProc;
  FAPIDefaultWndProc = dxSetWindowProc(FHandle, &TcxWin32SubclassingHelper::ChainProc);
  FDefaultWindowProc = ui::TWndMethod::bind<&TcxWin32SubclassingHelper::DefaultWndProc>(this);
}

void TcxWin32SubclassingHelper::RestoreDefaultProc() {
  if (win::IsWindow(FHandle)) dxSetWindowProc(FHandle, FAPIDefaultWndProc);
  hookedWindows().erase(FHandle);
  FAPIWndProc = nullptr;
}

void TcxWin32SubclassingHelper::DefaultWndProc(ui::TMessage& Message) {
  Message.Result = win::CallWindowProcW(FAPIDefaultWndProc, FHandle, Message.Msg, Message.WParam,
                                        Message.LParam);
}

TcxWindowProcLinkedObjectList::TcxWindowProcLinkedObjectList(ui::TControl* AControl)
    : FControl(AControl), FHelper(rtl::Create<TcxVCLSubclassingHelper>(AControl)) {
  Initialize();
}

TcxWindowProcLinkedObjectList::TcxWindowProcLinkedObjectList(win::HWND AHandle)
    : FHandle(AHandle), FHelper(rtl::Create<TcxWin32SubclassingHelper>(AHandle)) {
  Initialize();
}

void TcxWindowProcLinkedObjectList::Initialize() {
  FHelper->StoreAndReplaceDefaultProc(ui::TWndMethod::bind<&TcxWindowProcLinkedObjectList::WndProc>(this));
  AddProc(FHelper->DefaultWindowProc());
}

TcxWindowProcLinkedObjectList::~TcxWindowProcLinkedObjectList() {
  FHelper->RestoreDefaultProc();
  Clear();
  rtl::FreeAndNil(FHelper);
}

core::TcxDoublyLinkedObject* TcxWindowProcLinkedObjectList::CreateLinkedObject() {
  return FHelper->CreateLinkedObject();
}

TcxWindowProcLinkedObject* TcxWindowProcLinkedObjectList::AddProc(const ui::TWndMethod& AWndProc) {
  auto* object = static_cast<TcxWindowProcLinkedObject*>(Add());
  object->FWindowProc = AWndProc;
  return object;
}

void TcxWindowProcLinkedObjectList::WndProc(ui::TMessage& Message) {
  auto* last = static_cast<TcxWindowProcLinkedObject*>(Last());
  if (last && last->FWindowProc) last->FWindowProc(Message);
}

TcxWindowProcController::~TcxWindowProcController() {
  for (TcxWindowProcLinkedObjectList* list : FWindowProcObjects) list->Free();
}

TcxWindowProcLinkedObjectList* TcxWindowProcController::Find(ui::TControl* AControl,
                                                             win::HWND AHandle) const {
  for (TcxWindowProcLinkedObjectList* list : FWindowProcObjects) {
    if (AControl ? list->Control() == AControl : (!list->Control() && list->Handle() == AHandle))
      return list;
  }
  return nullptr;
}

TcxWindowProcLinkedObject* TcxWindowProcController::Add(ui::TControl* AControl,
                                                        const ui::TWndMethod& AWndProc) {
  if (!AControl) return nullptr;
  TcxWindowProcLinkedObjectList* list = Find(AControl, nullptr);
  if (!list) {
    list = rtl::Create<TcxWindowProcLinkedObjectList>(AControl);
    FWindowProcObjects.push_back(list);
  }
  return list->AddProc(AWndProc);
}

TcxWindowProcLinkedObject* TcxWindowProcController::Add(win::HWND AHandle, const ui::TWndMethod& AWndProc) {
  if (!AHandle) return nullptr;
  TcxWindowProcLinkedObjectList* list = Find(nullptr, AHandle);
  if (!list) {
    list = rtl::Create<TcxWindowProcLinkedObjectList>(AHandle);
    FWindowProcObjects.push_back(list);
  }
  return list->AddProc(AWndProc);
}

void TcxWindowProcController::Remove(TcxWindowProcLinkedObject*& AWndProcObject) {
  if (!AWndProcObject) return;
  TcxWindowProcLinkedObjectList* list = Find(AWndProcObject->Control(), AWndProcObject->Handle());
  if (!list) return;
  list->Delete(AWndProcObject);
  AWndProcObject = nullptr;
  if (list->IsEmpty()) {
    FWindowProcObjects.erase(std::find(FWindowProcObjects.begin(), FWindowProcObjects.end(), list));
    list->Free();
  }
}

// --- TdxMessagesController -------------------------------------------------------------------
bool TdxMessagesController::IsMessageInQueue(win::HWND AWnd, win::UINT AMessage) {
  win::MSG msg{};
  return win::PeekMessageW(&msg, AWnd, AMessage, AMessage, win::PM_NOREMOVE) != 0;
}

bool TdxMessagesController::KillMessages(win::HWND AWnd, win::UINT AMsgFilterMin, win::UINT AMsgFilterMax,
                                         bool AKillAllMessages) {
  if (AMsgFilterMax == 0) AMsgFilterMax = AMsgFilterMin;
  bool removed = false;
  win::MSG msg{};
  while (win::PeekMessageW(&msg, AWnd, AMsgFilterMin, AMsgFilterMax, win::PM_REMOVE)) {
    if (msg.message == win::WM_QUIT) {
      win::PostQuitMessage(int(msg.wParam));
      break;
    }
    removed = true;
    if (!AKillAllMessages) break;
  }
  return removed;
}

void TdxMessagesController::LockMessages(const std::vector<win::UINT>& AMessages) {
  FLockedMessages.insert(FLockedMessages.end(), AMessages.begin(), AMessages.end());
}

void TdxMessagesController::UnlockMessages(const std::vector<win::UINT>& AMessages) {
  for (win::UINT message : AMessages) {
    auto it = std::find(FLockedMessages.begin(), FLockedMessages.end(), message);
    if (it != FLockedMessages.end()) FLockedMessages.erase(it);
  }
}

bool TdxMessagesController::IsMessageLocked(win::UINT AMessage) const {
  return std::find(FLockedMessages.begin(), FLockedMessages.end(), AMessage) != FLockedMessages.end();
}

win::LRESULT TdxMessagesController::BlockProc(win::HWND hwnd, win::UINT, win::WPARAM, win::LPARAM) {
  TdxMessagesController* self = unit().messagesController;
  if (self && self->FBlockedWnd == hwnd) {
    dxSetWindowProc(hwnd, self->FOldWndProc);
    self->FOldWndProc = nullptr;
    self->FBlockedWnd = nullptr;
  }
  return 1;
}

void TdxMessagesController::BlockMessage(win::HWND AHandle) {
  if (FOldWndProc) throw core::EdxException(u"dxLockMessage fails");
  FBlockedWnd = AHandle;
  FOldWndProc = dxSetWindowProc(AHandle, &TdxMessagesController::BlockProc);
}

void TdxMessagesController::BlockLockedMessage(win::HWND AHandle, win::UINT& AMessage) {
  if (!IsMessageLocked(AMessage)) return;
  BlockMessage(AHandle);
  AMessage = 0;
}

// --- TcxSystemController -------------------------------------------------------------------
TcxSystemController::TcxSystemController(bool AIsLibrary) : FHooked(AIsLibrary) {
  if (FHooked) rtl::SetWakeMainThread(&TcxSystemController::WakeMainThread);
}

TcxSystemController::~TcxSystemController() {
  if (FHooked) rtl::SetWakeMainThread(nullptr);
}

void TcxSystemController::WakeMainThread() {
  if (TcxSystemController* self = unit().systemController)
    win::PostMessageW(self->Handle(), CM_SYNCHRONIZEWAKEUP, 0, 0);
}

void TcxSystemController::WndProc(ui::TMessage& Message) {
  if (Message.Msg == CM_SYNCHRONIZEWAKEUP) {
    rtl::CheckSynchronize(0);
    return;
  }
  core::TcxMessageWindow::WndProc(Message);
}

// --- TdxApplicationActivateWindowHelper ----------------------------------------------------------
TdxApplicationActivateWindowHelper::TdxApplicationActivateWindowHelper()
    : FFreeNotificator(rtl::Create<core::TcxFreeNotificator>(nullptr)) {
  FFreeNotificator->SetOnFreeNotification(
      core::TcxFreeNotificationEvent::bind<&TdxApplicationActivateWindowHelper::FreeNotification>(this));
}

TdxApplicationActivateWindowHelper::~TdxApplicationActivateWindowHelper() { rtl::FreeAndNil(FFreeNotificator); }

void TdxApplicationActivateWindowHelper::AddWindow(rtl::TComponent* AForm) {
  if (!AForm || std::find(FWindowsList.begin(), FWindowsList.end(), AForm) != FWindowsList.end()) return;
  FWindowsList.push_back(AForm);
  FFreeNotificator->AddSender(AForm);
}

void TdxApplicationActivateWindowHelper::RemoveWindow(rtl::TComponent* AForm) {
  auto it = std::find(FWindowsList.begin(), FWindowsList.end(), AForm);
  if (it == FWindowsList.end()) return;
  FFreeNotificator->RemoveSender(AForm);
  FWindowsList.erase(it);
}

// --- TcxControlChildComponent ------------------------------------------------------------------
// Initialize is called by each constructor itself: the base constructor
// cannot reach a descendant's override.
TcxControlChildComponent::TcxControlChildComponent(rtl::TComponent* AOwner) : core::TcxComponent(AOwner) {
  Initialize();
}

TcxControlChildComponent::TcxControlChildComponent(rtl::TComponent* AControl, bool AAssignOwner)
    : core::TcxComponent(AAssignOwner && AControl ? AControl->Owner() : nullptr) {
  Initialize();
  SetControl(AControl);
}

TcxControlChildComponent::~TcxControlChildComponent() {
  if (auto* host = dynamic_cast<IcxChildComponentHost*>(FControl)) host->RemoveChildComponent(this);
}

void TcxControlChildComponent::SetParentComponent(rtl::TComponent* Value) {
  core::TcxComponent::SetParentComponent(Value);
  if (auto* host = dynamic_cast<IcxChildComponentHost*>(Value)) host->AddChildComponent(this);
}

// --- accessors and unit routines -------------------------------------------------------------
TdxSystemInfo* dxSystemInfo() { return sharedInstance(unit().systemInfo); }
TcxWindowProcController* cxWindowProcController() { return sharedInstance(unit().windowProcController); }
TdxMessagesController* dxMessagesController() { return sharedInstance(unit().messagesController); }
core::TcxMessageWindow* cxMessageWindow() { return sharedInstance(unit().messageWindow); }
TdxApplicationActivateWindowHelper* dxApplicationActivateWindowHelper() { return unit().activateWindowHelper; }
TcxSystemController* cxSystemController() {
  UnitState& u = unit();
  if (!u.systemController && !u.finalized) u.systemController = rtl::Create<TcxSystemController>(false);
  return u.systemController;
}

win::WNDPROC dxSetWindowProc(win::HWND AHandle, win::WNDPROC ANewWindowProc) {
  return reinterpret_cast<win::WNDPROC>(
      win::SetWindowLongPtrW(AHandle, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(ANewWindowProc)));
}

void dxRecalculateNonClientPart(win::HWND AHandle, bool AUpdate) {
  win::SetWindowPos(AHandle, nullptr, 0, 0, 0, 0,
                    win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE |
                        win::SWP_FRAMECHANGED);
  if (AUpdate) win::RedrawWindow(AHandle, nullptr, nullptr, win::RDW_INVALIDATE | win::RDW_UPDATENOW | win::RDW_FRAME);
}

void dxSetMouseTrackingShutdown(TdxMouseTrackingShutdown AShutdown) { unit().mouseTrackingShutdown = AShutdown; }

void cxControlsSystemUnitStart() {
  UnitState& u = unit();
  u.finalized = false;
  cxRegisterControlCursors();
  // Composition and buffered painting have nothing to start on this window
  // system. The system
  // controller's window waits for its first use: this start runs before any
  // window system is up, and in an executable the window does nothing.
  if (!u.activateWindowHelper) u.activateWindowHelper = rtl::Create<TdxApplicationActivateWindowHelper>();
}

void cxControlsSystemUnitStop() {
  UnitState& u = unit();
  rtl::FreeAndNil(u.activateWindowHelper);
  u.finalized = true;
  rtl::FreeAndNil(u.systemController);
  // Tracking timers still running at the stop are freed, not reported by an
  // exception: raising here would skip the stop of every later unit.
  if (u.mouseTrackingShutdown) {
    const int left = u.mouseTrackingShutdown();
#ifndef NDEBUG
    if (left > 0) std::fprintf(stderr, "controls system: %d mouse-tracking timer(s) left at stop\n", left);
#endif
  }
  rtl::FreeAndNil(u.messageWindow);
  rtl::FreeAndNil(u.windowProcController);
  rtl::FreeAndNil(u.messagesController);
  rtl::FreeAndNil(u.systemInfo);
}

namespace {
[[maybe_unused]] const bool unitStarted = (cxControlsSystemUnitStart(), true);
}  // namespace

}  // namespace lookandfeel

// Component bases, free-notification helpers, the message window, the
// shared-window timer and the unit's process-wide state.
#include <algorithm>
#include <memory>

#include "lib/core/cxClasses.h"
#include "lib/core/screen_dpi.h"
#include "platform/rtl/filer.h"
#include "platform/ui/forms.h"
#include "platform/ui/utility_window.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace core {

// Delivers WM_TIMER to the running timer it names; anything else (a timer
// already stopped or freed) is dropped.
class TcxTimerWindow : public TcxMessageWindow {
  RTL_CLASS(TcxTimerWindow, TcxMessageWindow)

 protected:
  void WndProc(ui::TMessage& Message) override;
};

namespace {

struct UnitState {
  bool FUnitIsFinalized = false;
  std::unique_ptr<TcxDialogsMetricsStore> FDialogsMetrics;
  std::unique_ptr<std::vector<win::UINT_PTR>> FActiveTimerList;
  std::unique_ptr<TcxTimerWindow> FcxTimerWindow;
  std::unique_ptr<TcxObjectLinkController> FObjectLinkController;
};

// Lives to the end of the process: objects freed by static destructors may
// still clear their links, and the window system may be gone by then.
UnitState& unitState() {
  static UnitState* state = new UnitState;
  return *state;
}

std::vector<win::UINT_PTR>* activeTimerList() {
  UnitState& state = unitState();
  if (!state.FActiveTimerList && !state.FUnitIsFinalized)
    state.FActiveTimerList = std::make_unique<std::vector<win::UINT_PTR>>();
  return state.FActiveTimerList.get();
}

bool isActiveTimer(win::UINT_PTR AEventID) {
  const auto* list = unitState().FActiveTimerList.get();
  return list && std::find(list->begin(), list->end(), AEventID) != list->end();
}

// The timer window as it is, without making one.
TcxTimerWindow* existingTimerWindow() { return unitState().FcxTimerWindow.get(); }

[[maybe_unused]] const bool unitStarted = (cxClassesUnitStart(), true);

}  // namespace

void cxClassesUnitStart() {
  UnitState& state = unitState();
  state.FUnitIsFinalized = false;
  if (!state.FObjectLinkController)
    state.FObjectLinkController = std::make_unique<TcxObjectLinkController>();
}

void cxClassesUnitStop() {
  UnitState& state = unitState();
  state.FUnitIsFinalized = true;
  state.FDialogsMetrics.reset();
  state.FActiveTimerList.reset();
  state.FcxTimerWindow.reset();
  state.FObjectLinkController.reset();
}

bool cxClassesUnitIsFinalized() { return unitState().FUnitIsFinalized; }

TcxMessageWindow* cxTimerWindow() {
  UnitState& state = unitState();
  if (state.FUnitIsFinalized) return nullptr;
  // A window system torn down and made anew (as tests do) took the window.
  if (state.FcxTimerWindow && !win::IsWindow(state.FcxTimerWindow->Handle()))
    state.FcxTimerWindow.reset();
  if (!state.FcxTimerWindow) state.FcxTimerWindow.reset(rtl::Create<TcxTimerWindow>());
  return state.FcxTimerWindow.get();
}

TcxDialogsMetricsStore* cxDialogsMetricsStore() {
  UnitState& state = unitState();
  if (!state.FDialogsMetrics && !state.FUnitIsFinalized)
    state.FDialogsMetrics.reset(rtl::Create<TcxDialogsMetricsStore>());
  return state.FDialogsMetrics.get();
}

// ---------------------------------------------------------------------------
// Object links (the controller lives with the unit)

TcxObjectLink* cxAddObjectLink(TObject* AObject) {
  if (!AObject) return nullptr;
  TcxObjectLinkController* controller = unitState().FObjectLinkController.get();
  if (!controller) {
    // Nothing lists it after the unit stop; it still reads its object.
    auto link = std::make_unique<TcxObjectLink>();
    link->Ref = AObject;
    return link.release();
  }
  return controller->AddLink(AObject);
}

void cxRemoveObjectLink(TcxObjectLink* ALink) {
  if (!ALink) return;
  std::unique_ptr<TcxObjectLink> owned(ALink);
  TcxObjectLinkController* controller = unitState().FObjectLinkController.get();
  if (controller && ALink->Ref) controller->RemoveLink(ALink);
}

void cxClearObjectLinks(TObject* AObject) {
  if (TcxObjectLinkController* controller = unitState().FObjectLinkController.get())
    controller->ClearLinks(AObject);
}

// ---------------------------------------------------------------------------
// Free notifications and component bases

void cxAddFreeNotification(TComponent* ARecipient, TComponent* AComponent) {
  if (AComponent) AComponent->FreeNotification(ARecipient);
}

void cxRemoveFreeNotification(TComponent* ARecipient, TComponent* AComponent) {
  if (AComponent) AComponent->RemoveFreeNotification(ARecipient);
}

void cxBroadcastRemoveNotifications(TComponent* AComponent) {
  if (AComponent) AComponent->BroadcastRemoveNotifications();
}

void TcxCustomComponent::BeforeDestruction() {
  TComponent::BeforeDestruction();
  cxBroadcastRemoveNotifications(this);
}

TcxComponent::~TcxComponent() { cxClearObjectLinks(this); }

void TcxComponent::Published(rtl::PropTable<TcxComponent>& p) {
  p.Object("FakeComponentLink1", &TcxComponent::FakeComponentLink1,
           &TcxComponent::SetFakeComponentLink1)
      .Stored(false);
  p.Object("FakeComponentLink2", &TcxComponent::FakeComponentLink2,
           &TcxComponent::SetFakeComponentLink2)
      .Stored(false);
  p.Object("FakeComponentLink3", &TcxComponent::FakeComponentLink3,
           &TcxComponent::SetFakeComponentLink3)
      .Stored(false);
}

bool TcxComponent::GetIsDesigning() const {
  return ComponentState().contains(rtl::TComponentStateItem::csDesigning);
}

bool TcxComponent::GetIsDestroying() const {
  return ComponentState().contains(rtl::TComponentStateItem::csDestroying);
}

void TcxComponent::Loaded() {
  TcxCustomComponent::Loaded();
  UpdateFakeLinks();
}

void TcxComponent::UpdateFakeLinks() {
  if (!GetIsDesigning() || GetIsDestroying() || !Owner()) return;
  std::vector<TComponent*> links;
  GetFakeComponentLinks(links);
  auto at = [&links](size_t i) { return i < links.size() ? links[i] : nullptr; };
  FFakeComponentLink1 = at(0);
  FFakeComponentLink2 = at(1);
  FFakeComponentLink3 = at(2);
}

TcxScalableComponent::TcxScalableComponent(TComponent* AOwner)
    : TcxComponent(AOwner), FPixelsPerInch(cxGetCurrentDPI()) {}

void TcxScalableComponent::DefineProperties(rtl::TFiler* Filer) {
  TcxComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      u"PixelsPerInch", [this](rtl::TReader* reader) { ReadPixelsPerInch(reader); },
      [this](rtl::TWriter* writer) { WritePixelsPerInch(writer); }, true);
}

void TcxScalableComponent::ReadPixelsPerInch(rtl::TReader* Reader) {
  FPixelsPerInch = Reader->ReadInteger();
}

void TcxScalableComponent::WritePixelsPerInch(rtl::TWriter* Writer) {
  Writer->WriteInteger(static_cast<rtl::Integer>(FPixelsPerInch));
}

void TcxScalableComponent::Loaded() {
  TcxComponent::Loaded();
  const int current = cxGetCurrentDPI();
  if (FScalable && current != FPixelsPerInch) ChangeScale(current, FPixelsPerInch);
  FPixelsPerInch = current;
}

// ---------------------------------------------------------------------------
// TcxMessageWindow

TcxMessageWindow::TcxMessageWindow()
    : FHandle(ui::AllocateHWnd(ui::TWndMethod::bind<&TcxMessageWindow::MainWndProc>(this))) {}

TcxMessageWindow::~TcxMessageWindow() { ui::DeallocateHWnd(FHandle); }

void TcxMessageWindow::MainWndProc(ui::TMessage& Message) {
  try {
    WndProc(Message);
  } catch (...) {
    ui::Application->HandleException(this);
  }
}

void TcxMessageWindow::WndProc(ui::TMessage& Message) {
  Message.Result = win::DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TcxTimerWindow::WndProc(ui::TMessage& Message) {
  if (Message.Msg != win::WM_TIMER) {
    TcxMessageWindow::WndProc(Message);
    return;
  }
  if (isActiveTimer(Message.WParam)) reinterpret_cast<TcxTimer*>(Message.WParam)->TimeOut();
}

// ---------------------------------------------------------------------------
// TcxTimer

TcxTimer::TcxTimer(TComponent* AOwner)
    : TComponent(AOwner), FEventID(reinterpret_cast<win::UINT_PTR>(this)) {}

TcxTimer::~TcxTimer() { KillTimer(); }

void TcxTimer::Published(rtl::PropTable<TcxTimer>& p) {
  p.Bool("Enabled", &TcxTimer::Enabled, &TcxTimer::SetEnabled).Default(true);
  p.Int("Interval", &TcxTimer::Interval, &TcxTimer::SetInterval).Default(1000);
  p.Event("OnTimer", &TcxTimer::OnTimer, &TcxTimer::SetOnTimer);
}

void TcxTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TcxTimer::SetInterval(rtl::Cardinal Value) {
  if (FInterval == Value || Value == 0) return;
  FInterval = Value;
  UpdateTimer();
}

void TcxTimer::SetOnTimer(const TNotifyEvent& Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TcxTimer::TimeOut() {
  if (FOnTimer) FOnTimer(this);
}

void TcxTimer::UpdateTimer() {
  KillTimer();
  SetTimer();
}

bool TcxTimer::CanSetTimer() const { return FEnabled && !FTimerOn && FOnTimer.assigned(); }

void TcxTimer::SetTimer() {
  if (!CanSetTimer()) return;
  // After the unit stop there is no window to run on: the timer stays off.
  TcxMessageWindow* window = cxTimerWindow();
  const bool started = window && win::SetTimer(window->Handle(), FEventID, FInterval, nullptr) != 0;
  SetTimerOn(started);
}

void TcxTimer::KillTimer() {
  if (!FTimerOn) return;
  SetTimerOn(false);
  if (TcxTimerWindow* window = existingTimerWindow()) win::KillTimer(window->Handle(), FEventID);
}

void TcxTimer::SetTimerOn(bool Value) {
  if (FTimerOn == Value) return;
  if (auto* list = activeTimerList()) {
    if (Value)
      list->push_back(FEventID);
    else
      list->erase(std::remove(list->begin(), list->end(), FEventID), list->end());
  }
  FTimerOn = Value;
}

TcxTimer* cxCreateTimer(const TNotifyEvent& AOnTimer, rtl::Cardinal AInterval, bool AEnabled) {
  TcxTimer* timer = rtl::Create<TcxTimer>(nullptr);
  timer->SetEnabled(AEnabled);
  timer->SetInterval(AInterval);
  timer->SetOnTimer(AOnTimer);
  return timer;
}

}  // namespace core

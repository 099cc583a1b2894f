#include "lib/core/dxGestures.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>

#include "lib/core/dxCore.h"
#include "lib/core/dxHooks.h"
#include "lib/core/dxUxTheme.h"
#include "lib/core/dxWinHelpers.h"
#include "lib/core/screen_dpi.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/scoped.h"
#include "platform/win/constants.h"
#include "platform/win/window.h"

namespace core {

namespace {

IdxGestureProvider* gestureProvider = nullptr;
std::vector<TdxGestureHelper*> touchHelpers;
TPoint gestureStartPoint{};
int desktopCurrentDPI = 0;  // 0: not read yet

// Forgets the touch settings of controls that are freed.
class TdxTouchManagerKeeper : public rtl::TComponent {
 public:
  TdxTouchManagerKeeper() : rtl::TComponent(nullptr) {}
  // Keyed by the component: a control being freed is no longer a control.
  std::map<rtl::TComponent*, TdxTouchManager> managers;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override {
    rtl::TComponent::Notification(component, operation);
    if (operation == rtl::TOperation::opRemove) managers.erase(component);
  }
};

TdxTouchManagerKeeper& keeper() {
  static auto* instance = new TdxTouchManagerKeeper;  // lives as long as the controls may
  return *instance;
}

TPoint toPoint(const TdxPoints& p) { return TPoint{p.x, p.y}; }

// Where a touch begins: the window's gesture notification names the point.
void dxTouchWndProcHook(int code, win::WPARAM, win::LPARAM lParam, win::LRESULT&) {
  if (code != 0 || !lParam) return;
  const auto* cwp = reinterpret_cast<const win::CWPSTRUCT*>(lParam);
  if (cwp->message != win::WM_GESTURENOTIFY || !cwp->lParam) return;
  gestureStartPoint = toPoint(reinterpret_cast<const TdxGestureNotifyStruct*>(cwp->lParam)->ptsLocation);
  for (TdxGestureHelper* helper : touchHelpers) helper->ForgetNotifyTouchControl();
}

int& component(TPoint& p, TScrollBarKind kind) { return kind == TScrollBarKind::sbHorizontal ? p.x : p.y; }

}  // namespace

IdxGestureProvider* dxGestureProvider() { return gestureProvider; }
void dxSetGestureProvider(IdxGestureProvider* provider) { gestureProvider = provider; }

TdxTouchManager& dxTouchManager(ui::TControl* control) {
  auto& k = keeper();
  auto it = k.managers.find(control);
  if (it == k.managers.end()) {
    control->FreeNotification(&k);
    it = k.managers.emplace(control, TdxTouchManager{}).first;
  }
  return it->second;
}

// --- tables ---------------------------------------------------------------------------------

TInteractiveGesture GetInteractiveGestureByGestureID(int gestureId) {
  switch (gestureId) {
    case 3: return TInteractiveGesture::igZoom;
    case 4: return TInteractiveGesture::igPan;
    case 5: return TInteractiveGesture::igRotate;
    case 6: return TInteractiveGesture::igTwoFingerTap;
    default: return TInteractiveGesture::igPressAndTap;
  }
}

TInteractiveGestureOption GetInteractiveGestureOptionByPanOptionID(int panOptionId) {
  switch (panOptionId) {
    case 2: return TInteractiveGestureOption::igoPanSingleFingerVertical;
    case 4: return TInteractiveGestureOption::igoPanSingleFingerHorizontal;
    case 8: return TInteractiveGestureOption::igoPanGutter;
    default: return TInteractiveGestureOption::igoPanInertia;
  }
}

TInteractiveGestureOptions GetInteractiveGestureOptionsByPanOptions(int panOptions) {
  TInteractiveGestureOptions result;
  for (int id : APanOptionIDs)
    if (panOptions & id) result += GetInteractiveGestureOptionByPanOptionID(id);
  return result;
}

int dxTouchInteractiveGestureOptionToPanOption(TInteractiveGestureOption option) {
  switch (option) {
    case TInteractiveGestureOption::igoPanSingleFingerHorizontal: return 4;
    case TInteractiveGestureOption::igoPanSingleFingerVertical: return 2;
    case TInteractiveGestureOption::igoPanInertia: return 16;
    case TInteractiveGestureOption::igoPanGutter: return 8;
    default: return 0;
  }
}

int GetPanOptionsByInteractiveGestureOptions(TInteractiveGestureOptions options) {
  int result = 0;
  for (TInteractiveGestureOption o : options) result |= dxTouchInteractiveGestureOptionToPanOption(o);
  return result;
}

// --- routines -------------------------------------------------------------------------------

bool dxIsTouchEvent(ui::TShiftState shift) { return shift.contains(ui::ssTouch) || shift.contains(ui::ssPen); }

bool dxSetGestureConfig(win::HWND wnd, const TdxGestureConfigs& configs) {
  if (!gestureProvider || !gestureProvider->HasSetGestureConfig()) return false;
  return gestureProvider->SetGestureConfig(wnd, 0, static_cast<win::UINT>(configs.size()), configs.data(),
                                           sizeof(TdxGestureConfig)) != 0;
}

bool dxLockGestures(win::HWND wnd, ui::TMessage& message) {
  const bool result = dxSetGestureConfig(wnd, TdxGestureConfigs{TdxGestureConfig{0, 0, 1}});
  message.Result = 1;
  return result;
}

bool dxPhysicalToLogicalPoint(win::HWND wnd, TPoint& point) {
  if (!gestureProvider || !gestureProvider->HasPhysicalToLogicalPoint()) return false;
  return gestureProvider->PhysicalToLogicalPoint(wnd, &point) != 0;
}

bool dxIsProcessDPIAware() {
  return gestureProvider && gestureProvider->HasIsProcessDPIAware() && gestureProvider->IsProcessDPIAware() != 0;
}

int GetDesktopCurrentDPI() {
  if (desktopCurrentDPI == 0) {
    desktopCurrentDPI = cxGetCurrentDPI();
    try {
      rtl::TRegistry registry(rtl::KEY_READ);
      registry.SetRootKey(rtl::HKEY_CURRENT_USER);
      if (registry.OpenKeyReadOnly(u"Control Panel\\Desktop\\WindowMetrics") && registry.ValueExists(u"AppliedDPI"))
        desktopCurrentDPI = registry.ReadInteger(u"AppliedDPI");
    } catch (const rtl::Exception&) {
      // A damaged or mistyped value: the screen's resolution stands.
    }
  }
  return desktopCurrentDPI;
}

void dxResetDesktopCurrentDPI() { desktopCurrentDPI = 0; }

TPoint dxGestureStartPoint() { return gestureStartPoint; }

const std::vector<TdxGestureHelper*>& dxTouchHelpers() { return touchHelpers; }

// Older systems that do not scale for the process report pan positions in
// physical pixels; ours is never one of them.
static bool NeedScalePanning() { return !IsWin8OrLater && !dxIsProcessDPIAware(); }

// --- TdxGestureHelper --------------------------------------------------------------------------

TdxGestureHelper::TdxGestureHelper(IdxGestureOwner* gestureOwner) : FGestureOwner(gestureOwner) {
  // The hook that notes where touches begin lives while helpers do.
  if (touchHelpers.empty()) dxSetHook(TdxHookType::htWndProc, &dxTouchWndProcHook);
  touchHelpers.push_back(this);
}

TdxGestureHelper::~TdxGestureHelper() {
  touchHelpers.erase(std::remove(touchHelpers.begin(), touchHelpers.end(), this), touchHelpers.end());
  if (touchHelpers.empty()) dxReleaseHook(&dxTouchWndProcHook);
}

bool TdxGestureHelper::HandleMessage(ui::TMessage& message) {
  switch (message.Msg) {
    case win::WM_DESTROY:
      if (FIsPanning) EndGestureScroll();
      return false;
    case win::WM_GESTURE:
      Gesture(message);
      return true;
    case win::WM_GESTURENOTIFY:
      GestureNotify(message);
      return false;
    default:
      return false;
  }
}

TPoint TdxGestureHelper::GetTouchStartPoint() {
  TPoint p = gestureStartPoint;
  dxPhysicalToLogicalPoint(GetHandle(), p);
  return ScreenToClient(p);
}

void TdxGestureHelper::GestureNotify(ui::TMessage&) {
  const TPoint p = GetTouchStartPoint();
  const win::HWND wnd = GetHandle();
  if (!cxRectPtIn(cxGetClientRect(wnd), p)) return;
  ui::TWinControl* control = ui::TWinControl::FindControl(wnd);
  if (!control) return;
  ui::TControl* child = control->ControlAtPos(p, true, true);
  FNotifyTouchControl = child ? child : control;
}

void TdxGestureHelper::CheckGestureOptions(TInteractiveGestures& gestures, TInteractiveGestureOptions& options) {
  const TPoint start = GetTouchStartPoint();
  FGestureNotifyClient = FGestureOwner->GetGestureClient(start);
  if (!gestures.contains(TInteractiveGesture::igPan) || !FGestureNotifyClient) return;
  if (!IsPanArea(start)) {
    options -= TInteractiveGestureOption::igoPanSingleFingerHorizontal;
    options -= TInteractiveGestureOption::igoPanSingleFingerVertical;
    return;
  }
  if (!AllowPan(TScrollBarKind::sbHorizontal)) options -= TInteractiveGestureOption::igoPanSingleFingerHorizontal;
  if (!AllowPan(TScrollBarKind::sbVertical)) options -= TInteractiveGestureOption::igoPanSingleFingerVertical;
}

void TdxGestureHelper::Gesture(ui::TMessage& message) {
  TdxGestureInfo info;
  const auto handle = reinterpret_cast<HGESTUREINFO>(message.LParam);
  if (!gestureProvider || !gestureProvider->HasGestureInfo() || !gestureProvider->GetGestureInfo(handle, &info)) {
    message.Result = 1;
    return;
  }
  rtl::ScopeExit closeInfo([&] { gestureProvider->CloseGestureInfoHandle(handle); });
  TGestureEventInfo event;
  event.GestureID = igiFirst + static_cast<int>(info.dwID);
  if (info.dwFlags & GF_BEGIN) event.Flags += TInteractiveGestureFlag::gfBegin;
  if (info.dwFlags & GF_INERTIA) event.Flags += TInteractiveGestureFlag::gfInertia;
  if (info.dwFlags & GF_END) event.Flags += TInteractiveGestureFlag::gfEnd;
  const bool isBegin = (info.dwFlags & GF_BEGIN) != 0;
  message.Result = 0;
  if (info.dwID != GID_BEGIN && info.dwID != GID_END && (FTouchControl || (isBegin && FNotifyTouchControl))) {
    if (isBegin) FTouchControl = FNotifyTouchControl;
    const TInteractiveGesture gesture = GetInteractiveGestureByGestureID(static_cast<int>(info.dwID));
    ui::TControl* target = FTouchControl;
    while (target->Parent()) {
      const TdxTouchManager& m = dxTouchManager(target);
      if (!m.InteractiveGestureOptions.contains(TInteractiveGestureOption::igoParentPassthrough) ||
          m.InteractiveGestures.contains(gesture))
        break;
      target = target->Parent();
    }
    event.Location = target->ScreenToClient(toPoint(info.ptsLocation));
    const auto low = static_cast<std::uint32_t>(info.ullArguments);
    const auto high = static_cast<std::uint32_t>(info.ullArguments >> 32);
    switch (info.dwID) {
      case GID_PAN:
        event.Distance = static_cast<int>(low);
        event.InertiaVector = TPoint{static_cast<std::int16_t>(high & 0xFFFF), static_cast<std::int16_t>(high >> 16)};
        break;
      case GID_ROTATE:
        event.Angle = (static_cast<double>(low) / 65535.0) * 4.0 * std::numbers::pi - 2.0 * std::numbers::pi;
        break;
      case GID_PRESSANDTAP: {
        TPoint tap{info.ptsLocation.x + static_cast<std::int16_t>(low & 0xFFFF),
                   info.ptsLocation.y + static_cast<std::int16_t>(low >> 16)};
        ui::TWinControl* windowed = dynamic_cast<ui::TWinControl*>(target);
        if (!windowed) windowed = target->Parent();
        if (windowed) dxPhysicalToLogicalPoint(windowed->Handle(), tap);
        event.TapLocation = target->ScreenToClient(tap);
        break;
      }
      default:
        event.Distance = static_cast<int>(low);
        break;
    }
    message.Result = target->Perform(CM_GESTURE, 0, reinterpret_cast<win::LPARAM>(&event));
    if (info.dwFlags & GF_END) FTouchControl = nullptr;
  }
  if (message.Result != 1)
    message.Result = win::DefWindowProcW(GetHandle(), message.Msg, message.WParam, message.LParam);
}

void TdxGestureHelper::DoGesture(const TGestureEventInfo& eventInfo, bool& handled) {
  const bool isBegin = eventInfo.Flags.contains(TInteractiveGestureFlag::gfBegin);
  const bool isEnd = eventInfo.Flags.contains(TInteractiveGestureFlag::gfEnd);
  switch (eventInfo.GestureID) {
    case igiZoom:
      Zoom(eventInfo.Distance, isBegin, isEnd, handled);
      break;
    case igiPan:
      Pan(eventInfo.Location, isBegin, eventInfo.Flags.contains(TInteractiveGestureFlag::gfInertia), isEnd);
      handled = true;
      break;
    case igiRotate:
      Rotate(isBegin, isEnd, eventInfo.Angle, handled);
      break;
    default:
      break;
  }
}

bool TdxGestureHelper::WantsFeedback() {
  return NeedPanningFeedback(TScrollBarKind::sbHorizontal) || NeedPanningFeedback(TScrollBarKind::sbVertical);
}

void TdxGestureHelper::BeginGestureScroll(const TPoint& pos) {
  FIsPanning = true;
  FGestureClient->BeginGestureScroll(pos);
  if (WantsFeedback()) dxBeginPanningFeedback(GetHandle());
  FOverPan = TPoint{0, 0};
}

void TdxGestureHelper::EndGestureScroll() {
  FIsPanning = false;
  if (!FGestureClient) return;
  FGestureClient->EndGestureScroll();
  if (WantsFeedback()) dxEndPanningFeedback(GetHandle(), true);
}

bool TdxGestureHelper::DoOverpan(TScrollBarKind scrollKind, int delta) {
  component(FOverPan, scrollKind) += delta;
  return dxUpdatePanningFeedback(GetHandle(), FOverPan, FIsInertia);
}

void TdxGestureHelper::UndoOverpan(TScrollBarKind scrollKind, int& delta) {
  const int overpan = component(FOverPan, scrollKind);
  if (overpan == 0 || delta == 0 || (overpan > 0) == (delta > 0)) return;
  if (!NeedPanningFeedback(scrollKind)) return;
  const int change = std::abs(overpan) >= std::abs(delta) ? delta : -overpan;
  DoOverpan(scrollKind, change);
  delta -= change;
}

bool TdxGestureHelper::CheckOverpan(TScrollBarKind scrollKind, int newDataPos, int minDataPos, int maxDataPos,
                                    int deltaX, int deltaY) {
  if (!NeedPanningFeedback(scrollKind)) return false;
  if (newDataPos > minDataPos && newDataPos < maxDataPos) return true;
  return DoOverpan(scrollKind, scrollKind == TScrollBarKind::sbVertical ? deltaY : deltaX);
}

void TdxGestureHelper::Pan(const TPoint& position, bool isBegin, bool isInertia, bool isEnd) {
  TPoint pos = position;
  if (NeedScalePanning()) {
    pos.x = rtl::MulDiv(pos.x, cxGetCurrentDPI(), GetDesktopCurrentDPI());
    pos.y = rtl::MulDiv(pos.y, cxGetCurrentDPI(), GetDesktopCurrentDPI());
  }
  FIsInertia = isInertia;
  if (isBegin) {
    FGestureClient = FGestureNotifyClient;
    if (FGestureClient) BeginGestureScroll(pos);
  } else if (FGestureClient) {
    int deltaX = pos.x - FPanPoint.x;
    int deltaY = pos.y - FPanPoint.y;
    if (isEnd) FOverPan = TPoint{0, 0};
    UndoOverpan(TScrollBarKind::sbHorizontal, deltaX);
    UndoOverpan(TScrollBarKind::sbVertical, deltaY);
    FGestureClient->GestureScroll(deltaX, deltaY);
    if (isEnd) {
      EndGestureScroll();
      FGestureClient = nullptr;
    }
  }
  FPanPoint = pos;
}

void TdxGestureHelper::Zoom(int distance, bool isBegin, bool isEnd, bool& handled) {
  if (isBegin) {
    FLastDistance = distance;
    FGestureClient = FGestureNotifyClient;
  }
  if (auto* zoom = dynamic_cast<IdxZoomClient*>(FGestureClient)) zoom->Zoom(distance - FLastDistance, handled);
  FLastDistance = distance;
  if (isEnd) FGestureClient = nullptr;
}

void TdxGestureHelper::Rotate(bool isBegin, bool isEnd, double angle, bool& handled) {
  if (isBegin) FGestureClient = FGestureNotifyClient;
  if (auto* rotate = dynamic_cast<IdxRotateClient*>(FGestureClient)) rotate->Rotate(angle, handled);
  if (isEnd) FGestureClient = nullptr;
}

bool TdxGestureHelper::AllowGesture(int gestureId) { return FGestureNotifyClient->AllowGesture(gestureId); }
bool TdxGestureHelper::AllowPan(TScrollBarKind scrollKind) { return FGestureNotifyClient->AllowPan(scrollKind); }
win::HWND TdxGestureHelper::GetHandle() { return FGestureOwner->GetHandle(); }
int TdxGestureHelper::GetPanOptions() { return FGestureNotifyClient->GetPanOptions(); }
bool TdxGestureHelper::IsGestureTarget(win::HWND wnd) { return FGestureOwner->IsGestureTarget(wnd); }
bool TdxGestureHelper::IsPanArea(const TPoint& point) { return FGestureNotifyClient->IsPanArea(point); }
bool TdxGestureHelper::NeedPanningFeedback(TScrollBarKind scrollKind) {
  return FGestureClient && FGestureClient->NeedPanningFeedback(scrollKind);
}
TPoint TdxGestureHelper::ScreenToClient(const TPoint& point) { return FGestureOwner->ScreenToClient(point); }

}  // namespace core

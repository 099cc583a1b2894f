#include "lib/lookandfeel/cxHint.h"

#include <algorithm>

#include "lib/core/dxWinHelpers.h"
#include "lib/lookandfeel/cxCustomPopupWindow.h"
#include "platform/gdi/types.h"
#include "platform/ui/forms.h"
#include "platform/win/win.h"

namespace lookandfeel {

namespace {

TcxHintController* gHintController = nullptr;
core::TcxRegisteredClasses* gRegisteredHintStyles = nullptr;

// The popup windows' rule: a hint shows over the active form, an MDI parent,
// or the form a drop-down is open for.
TcxCanShowHintFunc gCanShowHint = &cxCanShowHint;

bool hintIsDesigning(rtl::TComponent* AComponent) {
  return AComponent->ComponentState().contains(rtl::TComponentStateItem::csDesigning);
}

bool hintButtonDown() {
  return win::GetAsyncKeyState(win::VK_LBUTTON) < 0 || win::GetAsyncKeyState(win::VK_RBUTTON) < 0 ||
         win::GetAsyncKeyState(win::VK_MBUTTON) < 0;
}

TPoint hintCursorPos() {
  win::POINT p{};
  win::GetCursorPos(&p);
  return p;
}

}  // namespace

// ========================================================================== module routines

TcxHintController* cxHintController() {
  if (!gHintController) gHintController = rtl::Create<TcxHintController>(nullptr);
  return gHintController;
}

core::TcxRegisteredClasses* cxRegisteredHintStyles() {
  if (!gRegisteredHintStyles) {
    gRegisteredHintStyles = new core::TcxRegisteredClasses();
    // The base style, so that a controller can be set back to it by name.
    gRegisteredHintStyles->Register(&TcxCustomHintStyle::classInfo(), u"Default");
  }
  return gRegisteredHintStyles;
}

void cxHintFinalize() {
  if (gHintController) gHintController->Free();
  gHintController = nullptr;
  if (gRegisteredHintStyles) gRegisteredHintStyles->Free();
  gRegisteredHintStyles = nullptr;
}

TcxCustomHintStyleController* cxGetHintStyleController() { return cxHintController()->FindHintStyleController(); }

ui::THintWindowClass cxGetHintWindowClass() {
  if (TcxCustomHintStyleController* controller = cxGetHintStyleController()) return controller->GetHintWindowClass();
  return ui::HintWindowClass();
}

void cxRemoveHintedControl() {
  if (gHintController) gHintController->SetHintedControl(nullptr);
}

void cxRecreateHintWindow(ui::THintWindow*& AHintWindow, ui::THintWindowClass AClass, ui::TColor AColor) {
  if (AHintWindow) AHintWindow->Free();
  AHintWindow = AClass.Create(nullptr);
  AHintWindow->SetColor(AColor);
}

void ValidateHintWindowParent(ui::THintWindow* AHintWindow) {
  const win::HWND appWnd = ui::Application->Handle();
  if (AHintWindow->ParentWindow() == appWnd) return;
  AHintWindow->ReleaseHandle();
  AHintWindow->SetParentWindow(appWnd);
}

void cxActivateHint(ui::THintWindow* AHintWindow, const TRect& ARect, const String& AHint) {
  ValidateHintWindowParent(AHintWindow);
  AHintWindow->ActivateHint(ARect, AHint);
}

bool cxProcessControlHintInfo(ui::THintInfo& AHintInfo, ui::THintWindow*& AHintWindow, ui::TControl* AControl,
                              const String& AHint, TRect& AHintWinRect, void* AData, int AHintHidePause) {
  AHintInfo.HintControl = AControl;
  AHintInfo.HintWindowClass =
      AHintWindow ? ui::THintWindowClass(*AHintWindow->ClassType()) : ui::THintWindowClass();
  AHintInfo.HintPos = TPoint{AHintWinRect.left, AHintWinRect.top};
  AHintInfo.HintMaxWidth = ui::Screen->Width();
  AHintInfo.HintColor = ui::Application->HintColor();
  AHintInfo.ReshowTimeout = 0;
  AHintInfo.HideTimeout = AHintHidePause > 0 ? AHintHidePause : ui::Application->HintHidePause();
  AHintInfo.HintStr = AHint;
  AHintInfo.HintData = AData;
  bool result = true;
  if (AControl) {
    AHintInfo.CursorPos = AControl->ScreenToClient(hintCursorPos());
    TPoint parentOrigin{0, 0};
    if (ui::TWinControl* parent = AControl->Parent())
      parentOrigin = parent->ClientToScreen(TPoint{0, 0});
    else if (auto* wc = dynamic_cast<ui::TWinControl*>(AControl); wc && wc->ParentWindow())
      parentOrigin = core::cxClientToScreen(wc->ParentWindow(), TPoint{0, 0});
    const TPoint own = AControl->ClientToScreen(TPoint{0, 0});
    AHintInfo.CursorRect = AControl->BoundsRect();
    gdi::OffsetRect(&AHintInfo.CursorRect, parentOrigin.x - own.x, parentOrigin.y - own.y);
  }
  const ui::TShowHintEvent event = ui::Application->OnShowHint();
  if (!event) return true;
  event(AHintInfo.HintStr, result, AHintInfo);
  if (!result || AHintInfo.HintStr.empty()) return result;
  const ui::THintWindowClass cls = AHintInfo.HintWindowClass ? AHintInfo.HintWindowClass : ui::HintWindowClass();
  if (!AHintWindow || AHintWindow->ClassType() != cls.get()) cxRecreateHintWindow(AHintWindow, cls, AHintInfo.HintColor);
  AHintWinRect = AHintWindow->CalcHintRect(AHintInfo.HintMaxWidth, AHintInfo.HintStr, AHintInfo.HintData);
  gdi::OffsetRect(&AHintWinRect, AHintInfo.HintPos.x, AHintInfo.HintPos.y);
  if (AHintWindow->RightToLeft()) {
    // Right-to-left text ends at HintPos: the window moves left by its widest line.
    int widest = 0;
    const String& text = AHintInfo.HintStr;
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find_first_of(u"\r\n", start);
      if (end == String::npos) end = text.size();
      widest = std::max(widest, AHintWindow->Canvas()->TextWidth(text.substr(start, end - start)));
      start = end + 1;
    }
    gdi::OffsetRect(&AHintWinRect, -(widest + 5), 0);
  }
  return result;
}

void cxSetCanShowHintFunc(TcxCanShowHintFunc AFunc) { gCanShowHint = AFunc ? AFunc : &cxCanShowHint; }

bool cxCanShowHintNow(ui::TWinControl* AControl) { return gCanShowHint(AControl); }

// ========================================================================== TcxCustomHintStyle

TcxCustomHintStyle::TcxCustomHintStyle(rtl::TComponent* AOwner) : FOwner(AOwner) {}

void TcxCustomHintStyle::Assign(rtl::TPersistent* Source) {
  if (auto* style = dynamic_cast<TcxCustomHintStyle*>(Source)) {
    FColor = style->FColor;
    Changed();
    return;
  }
  rtl::TPersistent::Assign(Source);
}

ui::THintWindowClass TcxCustomHintStyle::GetHintWindowClass() { return ui::THintWindowClass::of<ui::THintWindow>(); }

void TcxCustomHintStyle::ProcessHintInfo(ui::THintInfo& AHintInfo) { AHintInfo.HintColor = FColor; }

void TcxCustomHintStyle::SetColor(ui::TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TcxCustomHintStyle::Changed() {
  if (FOnChanged) FOnChanged(this);
}

// ========================================================================== TcxHintController

TcxHintController::TcxHintController(rtl::TComponent* AOwner) : rtl::TComponent(AOwner) {}

TcxHintController::~TcxHintController() {
  SetHintedControl(nullptr);
  if (!FControllerList.empty()) {
    // Controllers outliving us: hand the application its own event and class back.
    ui::Application->SetOnShowHint(FSavedApplicationOnShowHint);
    ui::SetHintWindowClass(FSavedHintWindowClass);
  }
}

void TcxHintController::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation == rtl::TOperation::opRemove && AComponent == FHintedControl) FHintedControl = nullptr;
}

void TcxHintController::RegisterHintStyleController(TcxCustomHintStyleController* AController) {
  if (!AController || hintIsDesigning(AController)) return;
  if (FControllerList.empty()) {
    FSavedApplicationOnShowHint = ui::Application->OnShowHint();
    ui::Application->SetOnShowHint(ui::TShowHintEvent::bind<&TcxHintController::ShowHintHandler>(this));
    FSavedHintWindowClass = ui::HintWindowClass();
  }
  ui::SetHintWindowClass(AController->GetHintWindowClass());
  FControllerList.push_back(AController);
}

void TcxHintController::UnRegisterHintStyleController(TcxCustomHintStyleController* AController) {
  if (!AController || hintIsDesigning(AController)) return;
  const ui::THintWindowClass current = GetCurrentHintWindowClass();
  const auto it = std::find(FControllerList.begin(), FControllerList.end(), AController);
  if (it == FControllerList.end()) return;  // never registered: the application's event is its own
  FControllerList.erase(it);
  if (ui::HintWindowClass() == current) ui::SetHintWindowClass(GetCurrentHintWindowClass());
  if (FControllerList.empty()) {
    ui::Application->SetOnShowHint(FSavedApplicationOnShowHint);
    FSavedApplicationOnShowHint = nullptr;
  }
}

ui::THintWindowClass TcxHintController::GetCurrentHintWindowClass() {
  if (FControllerList.empty()) return FSavedHintWindowClass;
  return FControllerList.back()->GetHintWindowClass();
}

void TcxHintController::SetHintedControl(ui::TControl* AControl) {
  if (FHintedControl == AControl) return;
  if (FHintedControl) FHintedControl->RemoveFreeNotification(this);
  FHintedControl = AControl;
  if (FHintedControl) FHintedControl->FreeNotification(this);
}

ui::TControl* TcxHintController::FindHintedControl() {
  if (FHintedControl) return FHintedControl;
  win::HWND wnd = win::GetCapture();
  if (!wnd) wnd = core::cxWindowFromPoint(hintCursorPos());
  return wnd ? core::cxFindVCLControl(wnd) : nullptr;
}

TcxCustomHintStyleController* TcxHintController::FindHintStyleController() {
  if (ui::TControl* control = FindHintedControl()) {
    for (ui::TWinControl* parent = control->Parent(); parent; parent = parent->Parent())
      if (rtl::TComponent* found = core::cxFindComponent(parent, &TcxCustomHintStyleController::classInfo()))
        return static_cast<TcxCustomHintStyleController*>(found);
  }
  for (auto it = FControllerList.rbegin(); it != FControllerList.rend(); ++it)
    if ((*it)->Global()) return *it;
  return nullptr;
}

void TcxHintController::DoApplicationShowHint(String& HintStr, bool& CanShow, ui::THintInfo& HintInfo) {
  if (FSavedApplicationOnShowHint) FSavedApplicationOnShowHint(HintStr, CanShow, HintInfo);
}

void TcxHintController::ShowHintHandler(String& HintStr, bool& CanShow, ui::THintInfo& HintInfo) {
  SetHintedControl(HintInfo.HintControl);
  if (TcxCustomHintStyleController* controller = FindHintStyleController())
    controller->DoShowHint(HintStr, CanShow, HintInfo);
  DoApplicationShowHint(HintStr, CanShow, HintInfo);
  if (!CanShow || HintStr.empty()) SetHintedControl(nullptr);
}

// ========================================================================== TcxCustomHintStyleController

TcxCustomHintStyleController::TcxCustomHintStyleController(rtl::TComponent* AOwner)
    : core::TcxCustomComponent(AOwner),
      FHintStyleClass(TcxCustomHintStyleClass::of<TcxCustomHintStyle>()),
      FLookAndFeel(new TcxLookAndFeel(this)) {}

TcxCustomHintStyleController::~TcxCustomHintStyleController() {
  FDestroying = true;
  const auto listeners = FListeners;
  for (IcxHintStyleControllerListener* listener : listeners) listener->HintStyleControllerRemoved(this);
  DestroyHintStyle();
  FLookAndFeel->Free();
}

void TcxCustomHintStyleController::AfterConstruction() {
  core::TcxCustomComponent::AfterConstruction();
  // Here rather than in the constructor: descendants choose the style class.
  CreateHintStyle();
}

void TcxCustomHintStyleController::CreateHintStyle() {
  FHintStyle = GetHintStyleClass().Create(this);
  FHintStyle->SetOnChanged(rtl::TNotifyEvent::bind<&TcxCustomHintStyleController::HintStyleChanged>(this));
  FHintWindow = GetHintWindowClass().Create(this);
  cxHintController()->RegisterHintStyleController(this);
}

void TcxCustomHintStyleController::DestroyHintStyle() {
  if (gHintController) gHintController->UnRegisterHintStyleController(this);
  if (FHintWindow) FHintWindow->Free();
  FHintWindow = nullptr;
  if (FHintStyle) FHintStyle->Free();
  FHintStyle = nullptr;
}

void TcxCustomHintStyleController::Assign(rtl::TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomHintStyleController*>(Source);
  if (!source) {
    core::TcxCustomComponent::Assign(Source);
    return;
  }
  BeginUpdate();
  FOnHintStyleChanged = source->FOnHintStyleChanged;
  FOnShowHint = source->FOnShowHint;
  FOnShowHintEx = source->FOnShowHintEx;
  SetHintShortPause(source->FHintShortPause);
  SetHintPause(source->FHintPause);
  SetHintHidePause(source->FHintHidePause);
  SetHintStyleClassName(source->HintStyleClassName());
  FHintStyle->Assign(source->FHintStyle);
  FLookAndFeel->Assign(source->FLookAndFeel);
  EndUpdate();
}

void TcxCustomHintStyleController::Loaded() {
  core::TcxCustomComponent::Loaded();
  SetApplicationHintProperties();
  Changed();
}

void TcxCustomHintStyleController::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  core::TcxCustomComponent::Notification(AComponent, Operation);
  if (Operation == rtl::TOperation::opRemove && AComponent == FHintWindow) FHintWindow = nullptr;
}

void TcxCustomHintStyleController::BeginUpdate() { ++FUpdateCount; }

void TcxCustomHintStyleController::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetApplicationHintProperties();
}

bool TcxCustomHintStyleController::IsDesigning() const {
  return ComponentState().contains(rtl::TComponentStateItem::csDesigning);
}

bool TcxCustomHintStyleController::IsDestroying() const {
  return FDestroying || ComponentState().contains(rtl::TComponentStateItem::csDestroying);
}

void TcxCustomHintStyleController::SetApplicationHintProperties() {
  if (IsDesigning() || FUpdateCount != 0) return;
  ui::Application->SetHintShortPause(FHintShortPause);
  ui::Application->SetHintPause(FHintPause);
  ui::Application->SetHintHidePause(FHintHidePause);
}

void TcxCustomHintStyleController::SetHintShortPause(int Value) {
  if (FHintShortPause == Value) return;
  FHintShortPause = Value;
  SetApplicationHintProperties();
}

void TcxCustomHintStyleController::SetHintPause(int Value) {
  if (FHintPause == Value) return;
  FHintPause = Value;
  SetApplicationHintProperties();
}

void TcxCustomHintStyleController::SetHintHidePause(int Value) {
  if (FHintHidePause == Value) return;
  FHintHidePause = Value;
  SetApplicationHintProperties();
}

void TcxCustomHintStyleController::AddListener(IcxHintStyleControllerListener* AListener) {
  if (std::find(FListeners.begin(), FListeners.end(), AListener) == FListeners.end()) FListeners.push_back(AListener);
}

void TcxCustomHintStyleController::RemoveListener(IcxHintStyleControllerListener* AListener) {
  if (IsDestroying()) return;
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AListener), FListeners.end());
}

void TcxCustomHintStyleController::Changed() {
  if (IsDestroying()) return;
  if (FOnHintStyleChanged) FOnHintStyleChanged(this, FHintStyle);
  const auto listeners = FListeners;
  for (IcxHintStyleControllerListener* listener : listeners) DoHintStyleChanged(listener);
}

void TcxCustomHintStyleController::DoHintStyleChanged(IcxHintStyleControllerListener* AListener) {
  AListener->HintStyleChanged(this);
}

void TcxCustomHintStyleController::HintStyleChanged(rtl::TObject*) { Changed(); }

TcxCustomHintStyleClass TcxCustomHintStyleController::GetHintStyleClass() { return FHintStyleClass; }

ui::THintWindowClass TcxCustomHintStyleController::GetHintWindowClass() {
  return FHintStyle ? FHintStyle->GetHintWindowClass() : ui::THintWindowClass::of<ui::THintWindow>();
}

void TcxCustomHintStyleController::SetHintStyleClass(TcxCustomHintStyleClass Value) {
  if (!Value || FHintStyleClass == Value) return;
  FHintStyleClass = Value;
  DestroyHintStyle();
  CreateHintStyle();
  Changed();
}

String TcxCustomHintStyleController::HintStyleClassName() const {
  return FHintStyleClass ? FHintStyleClass->ClassName() : String();
}

void TcxCustomHintStyleController::SetHintStyleClassName(const String& Value) {
  if (rtl::TClass cls = cxRegisteredHintStyles()->FindByClassName(Value)) SetHintStyleClass(TcxCustomHintStyleClass(*cls));
}

TcxCustomLookAndFeelPainter* TcxCustomHintStyleController::LookAndFeelPainter() const {
  return FLookAndFeel->Painter();
}

void TcxCustomHintStyleController::DoShowHint(String& AHintStr, bool& ACanShow, ui::THintInfo& AHintInfo) {
  AHintInfo.HintWindowClass = GetHintWindowClass();
  if (FHintStyle) FHintStyle->ProcessHintInfo(AHintInfo);
  if (FOnShowHint) FOnShowHint(this, AHintStr, ACanShow, AHintInfo);
  if (FOnShowHintEx) {
    String caption;
    FOnShowHintEx(this, caption, AHintStr, ACanShow, AHintInfo);
    FLastHintCaption = caption;
  }
}

// ========================================================================== TcxCustomHintHelper

TcxCustomHintHelper::TcxCustomHintHelper() = default;

TcxCustomHintHelper::~TcxCustomHintHelper() {
  HideHint();
  if (FHintWindow) FHintWindow->Free();
}

IcxHintableObject* TcxCustomHintHelper::Hintable() const { return dynamic_cast<IcxHintableObject*>(FHintableObject); }

bool TcxCustomHintHelper::HintVisible() const { return FHintWindow && FHintWindow->IsHintVisible(); }

void TcxCustomHintHelper::ShowHint(const TRect& AHintAreaBounds, const TRect& ATextRect, const String& AText,
                                   bool AIsHintMultiLine, rtl::TObject* AHintObject, ui::TFont* AFont) {
  if (!CanShowHint()) return;
  if (FLastHintableObject && AHintObject == FLastHintableObject) {
    // Hintable() reads the current object: the same one.
    FHintableObject = AHintObject;
    if (IsHintAtMousePos()) {
      if (FHintHideTimer && FHintHideTimer->Enabled() && hintCursorPos() != FLastHintMousePos)
        RestartHintHideTimer();
      else if (UseHintHidePause())
        return;
    } else if (UseHintHidePause()) {
      if (AText != FLastHintText) FLastHintableObject = nullptr;
      return;
    }
  } else if (FLastHintableObject) {
    CancelHint();
  }

  const ui::THintWindowClass cls = GetHintWindowClass();
  if (!FHintWindow || FHintWindow->ClassType() != cls.get()) {
    cxRecreateHintWindow(FHintWindow, cls, ui::Application->HintColor());
  } else if (FHintWindow->IsHintVisible()) {
    if (AText == FLastHintText && ATextRect == FHintTextRect) return;
    EndMouseTracking(this);
  }
  if (AFont) {
    FHintWindow->Font()->Assign(AFont);
    FHintWindow->Canvas()->Font()->Assign(AFont);
  }
  TRect r = GetHintWindowRect(AHintAreaBounds, ATextRect, AText, AIsHintMultiLine);
  FHintHidePause = GetHintHidePause();

  ui::THintInfo info;
  if (!cxProcessControlHintInfo(info, FHintWindow, GetOwnerWinControl(), AText, r, AHintObject, FHintHidePause))
    return;
  FLastHintText = AText;
  FHintTextRect = ATextRect;
  FHintAreaBounds = AHintAreaBounds;
  FHintableObject = AHintObject;
  FLastHintableObject = AHintObject;
  cxActivateHint(FHintWindow, r, info.HintStr);
  FHintHidePause = info.HideTimeout;
  FLastHintMousePos = hintCursorPos();
  BeginMouseTracking(GetHintWinControl(), FHintAreaBounds, this);
  StartHintCheckerTimers();
}

TRect TcxCustomHintHelper::GetHintWindowRect(const TRect& AHintAreaBounds, const TRect& ATextRect,
                                             const String& AText, bool AIsHintMultiLine) {
  TRect r = FHintWindow->CalcHintRect(AIsHintMultiLine ? ATextRect.right - ATextRect.left : 32000, AText, nullptr);
  r.right -= 6;
  r.bottom -= 2;
  TPoint origin{ATextRect.left, ATextRect.top};
  if (ui::TWinControl* control = GetHintWinControl()) origin = control->ClientToScreen(origin);
  gdi::OffsetRect(&r, origin.x, origin.y);
  CorrectHintWindowRect(r);
  core::MakeVisibleOnDesktop(r, TPoint{r.left, r.top});
  r.bottom -= 4;
  return r;
}

void TcxCustomHintHelper::CorrectHintWindowRect(TRect& R) {
  TPoint offset{0, 0};
  if (FHintWindow) offset = core::cxGetClientOffset(FHintWindow->Handle());
  gdi::InflateRect(&R, offset.x + 2, offset.y + 2);
}

void TcxCustomHintHelper::HideHint() {
  StopHintCheckerTimers();
  EndMouseTracking(this);
  FHintableObject = nullptr;
  FHintAreaBounds = TRect{};
  if (FHintWindow && FHintWindow->HandleAllocated()) FHintWindow->ReleaseHandle();
  if (!UseHintHidePause()) FLastHintText.clear();
}

void TcxCustomHintHelper::CancelHint() {
  HideHint();
  ResetLastHintElement();
}

void TcxCustomHintHelper::ResetLastHintElement() { FLastHintableObject = nullptr; }

void TcxCustomHintHelper::MouseLeave() { CancelHint(); }

void TcxCustomHintHelper::MouseDown() {
  if (IsSuppressHintOnMouseDown()) HideHint();
}

bool TcxCustomHintHelper::PtInCaller(const TPoint& P) {
  if (FHintableObject) {
    IcxHintableObject* hintable = Hintable();
    return hintable && hintable->HasHintPoint(P);
  }
  const TRect bounds = gdi::IsRectEmpty(&FHintAreaBounds) ? GetHintControlBounds() : FHintAreaBounds;
  return gdi::PtInRect(&bounds, P);
}

bool TcxCustomHintHelper::CanShowHint() {
  if (IsSuppressHintOnMouseDown() && hintButtonDown()) return false;
  return cxCanShowHintNow(GetHintWinControl());
}

ui::TWinControl* TcxCustomHintHelper::GetHintWinControl() { return GetOwnerWinControl(); }
ui::TWinControl* TcxCustomHintHelper::GetOwnerWinControl() { return nullptr; }

TRect TcxCustomHintHelper::GetHintControlBounds() {
  ui::TWinControl* control = GetHintWinControl();
  return control ? control->ClientRect() : TRect{};
}

int TcxCustomHintHelper::GetHintHidePause() { return ui::Application->HintHidePause(); }
ui::THintWindowClass TcxCustomHintHelper::GetHintWindowClass() { return cxGetHintWindowClass(); }

bool TcxCustomHintHelper::IsHintAtMousePos() {
  IcxHintableObject* hintable = Hintable();
  return hintable && hintable->IsHintAtMousePos();
}

bool TcxCustomHintHelper::IsSuppressHintOnMouseDown() { return true; }

bool TcxCustomHintHelper::UseHintHidePause() {
  if (!FHintableObject) return true;
  IcxHintableObject* hintable = Hintable();
  return hintable && hintable->UseHintHidePause();
}

// The timers exist only while they run. Either tick may end the hint and so
// free its own timer, which a shared-window timer allows.
void TcxCustomHintHelper::StartHintCheckerTimers() {
  if (FHintCheckerTimer) return;
  FHintCheckerTimer =
      core::cxCreateTimer(rtl::TNotifyEvent::bind<&TcxCustomHintHelper::HintCheckerTimerHandler>(this), 100);
  if (UseHintHidePause() && FHintHidePause > 0)
    FHintHideTimer = core::cxCreateTimer(rtl::TNotifyEvent::bind<&TcxCustomHintHelper::HintHideTimerHandler>(this),
                                         rtl::Cardinal(FHintHidePause));
}

void TcxCustomHintHelper::StopHintCheckerTimers() {
  rtl::FreeAndNil(FHintCheckerTimer);
  rtl::FreeAndNil(FHintHideTimer);
}

void TcxCustomHintHelper::RestartHintHideTimer() {
  FLastHintMousePos = hintCursorPos();
  if (!FHintHideTimer) return;
  FHintHideTimer->SetEnabled(false);
  FHintHideTimer->SetEnabled(true);
}

void TcxCustomHintHelper::HintCheckerTimerHandler(rtl::TObject*) {
  if (!CanShowHint()) CancelHint();
}

void TcxCustomHintHelper::HintHideTimerHandler(rtl::TObject*) { HideHint(); }

// ========================================================================== TcxControlHintHelper

ui::TControl* TcxControlHintHelper::GetHintControl() { return GetOwnerControl(); }
ui::TWinControl* TcxControlHintHelper::GetHintWinControl() {
  return dynamic_cast<ui::TWinControl*>(GetHintControl());
}
ui::TWinControl* TcxControlHintHelper::GetOwnerWinControl() { return GetOwnerControl(); }
TRect TcxControlHintHelper::GetHintControlBounds() {
  TcxControl* control = GetOwnerControl();
  return control ? control->Bounds() : TRect{};
}

}  // namespace lookandfeel

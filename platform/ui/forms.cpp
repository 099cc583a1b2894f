#include "platform/ui/forms.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/gdi/png.h"
#include "platform/rtl/except.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/cursors.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/utility_window.h"
#include "platform/win/backend.h"
#include "platform/win/win.h"

namespace ui {

using rtl::TComponentStateItem;
using namespace win;

namespace {

bool isLoading(const rtl::TComponent* c) {
  return c->ComponentState().contains(TComponentStateItem::csLoading);
}
bool isDestroying(const rtl::TComponent* c) {
  return c->ComponentState().contains(TComponentStateItem::csDestroying);
}

[[noreturn]] void cannotFocus() {
  throw rtl::EInvalidOperation(u"Cannot focus a disabled or invisible window");
}

void handleInApplication(rtl::TObject* sender) { Application->HandleException(sender); }

// The action lists `owner` owns, and those of the frames among its
// components (windowed controls that own components, other forms aside),
// until one runs an action for `shortCut`. Walked by index: a handler may
// add or free components.
bool dispatchShortCut(rtl::TComponent* owner, TShortCut shortCut) {
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    rtl::TComponent* component = owner->Components(i);
    if (auto* list = dynamic_cast<TCustomActionList*>(component)) {
      if (list->IsShortCut(shortCut)) return true;
    } else if (dynamic_cast<TWinControl*>(component) && !dynamic_cast<TCustomForm*>(component) &&
               component->ComponentCount() > 0) {
      if (dispatchShortCut(component, shortCut)) return true;
    }
  }
  return false;
}

}  // namespace

// =========================================================================== TCustomForm

TCustomForm::TCustomForm(rtl::TComponent* owner) : TWinControl(owner) {
  rtl::BeginLoading(this);
  bracketOpen_ = true;
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetVisible(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
  Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  if (bracketOpen_) {
    bracketOpen_ = false;
    rtl::AbandonLoading();
  }
  if (!destroyDone_) {
    destroyDone_ = true;
    DoDestroy();
  }
  auto& forms = Screen->forms_;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  Application->Notification(this, rtl::TOperation::opRemove);
}

void TCustomForm::AfterConstruction() {
  TWinControl::AfterConstruction();
  if (bracketOpen_) {
    bracketOpen_ = false;
    rtl::EndLoading();
  }
  // Inside an outer bracket Loaded comes later; OnCreate follows it.
  if (isLoading(this))
    createPending_ = true;
  else
    DoCreate();
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (createPending_) {
    createPending_ = false;
    DoCreate();
  }
}

void TCustomForm::BeforeDestruction() {
  if (!destroyDone_) {
    destroyDone_ = true;
    DoDestroy();
  }
  TWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
  if (!onCreate_) return;
  try {
    onCreate_(this);
  } catch (...) {
    handleInApplication(this);
  }
}

void TCustomForm::DoDestroy() {
  if (!onDestroy_) return;
  try {
    onDestroy_(this);
  } catch (...) {
    try {
      handleInApplication(this);
    } catch (...) {
    }
  }
}

void TCustomForm::DoShow() {
  if (onShow_) onShow_(this);
}
void TCustomForm::DoHide() {
  if (onHide_) onHide_(this);
}
void TCustomForm::DoClose(TCloseAction& action) {
  if (onClose_) onClose_(this, action);
}
void TCustomForm::Activate() {
  if (onActivate_) onActivate_(this);
}
void TCustomForm::Deactivate() {
  if (onDeactivate_) onDeactivate_(this);
}

// ---- the window

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (borderIcons_ == value) return;
  borderIcons_ = value;
  RecreateWnd();
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP | WS_DISABLED);
  p.WndParent = ParentWindow();
  p.WindowClassStyle = CS_DBLCLKS;
  switch (borderStyle_) {
    case bsNone: p.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: p.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: p.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      p.Style |= WS_POPUP | WS_CAPTION;
      p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) p.ExStyle |= WS_EX_TOOLWINDOW;
  if (formStyle_ == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (alphaBlend_ || transparentColor_) p.ExStyle |= WS_EX_LAYERED;
  if (HWND owner = popupOwnerWindow()) p.WndParent = owner;
  if (borderStyle_ != bsNone && borderIcons_.contains(biSystemMenu)) {
    p.Style |= WS_SYSMENU;
    if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
      if (borderIcons_.contains(biMinimize)) p.Style |= WS_MINIMIZEBOX;
      if (borderIcons_.contains(biMaximize)) p.Style |= WS_MAXIMIZEBOX;
    }
    if (borderIcons_.contains(biHelp) &&
        (borderStyle_ == bsDialog || !borderIcons_.contains(biMinimize)))
      p.ExStyle |= WS_EX_CONTEXTHELP;
  }
}

TRect TCustomForm::ClientRect() {
  if (HandleAllocated()) return TWinControl::ClientRect();
  // Before the window exists: what its frame will leave.
  TCreateParams p;
  CreateParams(p);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  return TRect{0, 0, std::max(0, Width() - (frame.right - frame.left)),
               std::max(0, Height() - (frame.bottom - frame.top))};
}

TWindowState TCustomForm::WindowState() const {
  if (!HandleAllocated()) return TWindowState::wsNormal;
  auto* self = const_cast<TCustomForm*>(this);
  if (IsIconic(self->Handle())) return TWindowState::wsMinimized;
  if (IsZoomed(self->Handle())) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

void TCustomForm::SetWindowState(TWindowState value) {
  if (!HandleAllocated() || !Showing()) return;
  switch (value) {
    case TWindowState::wsNormal: ShowWindow(Handle(), SW_RESTORE); break;
    case TWindowState::wsMinimized: ShowWindow(Handle(), SW_MINIMIZE); break;
    case TWindowState::wsMaximized: ShowWindow(Handle(), SW_MAXIMIZE); break;
  }
}

void TCustomForm::applyPosition() {
  TCustomForm* center = nullptr;
  switch (position_) {
    case poMainFormCenter: center = Application->MainForm(); break;
    case poOwnerFormCenter:
      center = dynamic_cast<TCustomForm*>(Owner());
      if (!center) center = Application->MainForm();
      break;
    case poScreenCenter:
    case poDesktopCenter: break;
    default: return;
  }
  int x, y;
  if (center && center != this && center->Visible()) {
    x = center->Left() + (center->Width() - Width()) / 2;
    y = center->Top() + (center->Height() - Height()) / 2;
  } else {
    x = (Screen->Width() - Width()) / 2;
    y = (Screen->Height() - Height()) / 2;
  }
  SetBounds(std::max(0, x), std::max(0, y), Width(), Height());
  // Centred once; afterwards the form stays where it is put.
  position_ = poDesigned;
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (Showing()) {
    try {
      DoShow();
    } catch (...) {
      handleInApplication(this);
    }
    applyPosition();
    ShowWindow(Handle(), SW_SHOWNORMAL);
  } else {
    try {
      DoHide();
    } catch (...) {
      handleInApplication(this);
    }
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case WM_CLOSE: Close(); return;
    case WM_ACTIVATE: setActive(LOWORD(m.WParam) != WA_INACTIVE); return;
    case CM_ACTIVATE: Activate(); return;
    case CM_DEACTIVATE: Deactivate(); return;
    case CM_RELEASE: Free(); return;  // nothing of this object may be touched after
    default: TWinControl::Dispatch(message);
  }
}

void TCustomForm::CMDialogKey(TMessage& m) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (m.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
          m.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_,
                                               m.WParam == VK_RIGHT || m.WParam == VK_DOWN, false);
          m.Result = 1;
        }
        return;
      default: break;
    }
  }
  TWinControl::CMDialogKey(m);
}

// ---- shortcuts

bool TCustomForm::IsShortCut(TWMKey& message) {
  bool handled = false;
  if (onShortCut_) onShortCut_(message, handled);
  if (handled) return true;
  const TShortCut shortCut = ShortCut(message.CharCode, KeyDataToShiftState(message.KeyData));
  if (shortCut == scNone) return false;
  if (dispatchShortCut(this, shortCut)) return true;
  // The program's commands may live in its data modules; the main form
  // answers for them.
  if (Application->MainForm() != this) return false;
  TApplication* app = Application;
  for (int i = 0; i < app->ComponentCount(); ++i)
    if (auto* module = dynamic_cast<rtl::TDataModule*>(app->Components(i)))
      if (dispatchShortCut(module, shortCut)) return true;
  return false;
}

// ---- focus

void TCustomForm::setActive(bool value) {
  active_ = value;
  if (value) {
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    Perform(CM_ACTIVATE, 0, 0);
    setWindowFocus();
  } else {
    Perform(CM_DEACTIVATE, 0, 0);
  }
}

void TCustomForm::setWindowFocus() {
  if (!HandleAllocated() || isDestroying(this)) return;
  HWND target = Handle();
  if (activeControl_ && activeControl_->CanFocus()) target = activeControl_->Handle();
  if (GetFocus() != target) win::SetFocus(target);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (activeControl_ == control) return;
  if (control && !(control != this && GetParentForm(control) == this &&
                   (isLoading(this) || control->CanFocus())))
    cannotFocus();
  activeControl_ = control;
  if (!isLoading(this) && active_) setWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control) {
  const bool wasActive = active_;
  SetActiveControl(control);
  if (!wasActive) SetFocus();
}

void TCustomForm::SetFocus() {
  if (active_) return;
  if (!(Visible() && Enabled())) cannotFocus();
  setWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  const int count = ++focusCount_;
  activeControl_ = control != this ? control : nullptr;
  TControlState state = control->ControlState();
  if (state.contains(TControlStateItem::csFocusing)) return false;
  control->SetControlState(state + TControlStateItem::csFocusing);
  struct Unmark {
    TWinControl* c;
    ~Unmark() { c->SetControlState(c->ControlState() - TControlStateItem::csFocusing); }
  } unmark{control};
  if (!focusedControl_) focusedControl_ = this;
  if (focusedControl_ != control) {
    while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
      TWinControl* leaving = focusedControl_;
      focusedControl_ = leaving->Parent();
      leaving->Perform(CM_EXIT, 0, 0);
      if (count != focusCount_) return false;
    }
    while (focusedControl_ != control) {
      TWinControl* entering = control;
      while (entering->Parent() != focusedControl_) entering = entering->Parent();
      focusedControl_ = entering;
      entering->Perform(CM_ENTER, 0, 0);
      if (count != focusCount_) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  }
  return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && focusedControl_ && control->ContainsControl(focusedControl_))
    focusedControl_ = control->Parent();
  if (activeControl_ && control->ContainsControl(activeControl_)) {
    activeControl_ = nullptr;
    if (active_) setWindowFocus();
  }
}

// ---- close and modal

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (onCloseQuery_) onCloseQuery_(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caMinimize)
    SetWindowState(TWindowState::wsMinimized);
  else
    Release();
}

void TCustomForm::Release() { PostMessageW(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      modalResult_ = mrNone;
    else if (action == caFree)
      Release();
  } catch (...) {
    modalResult_ = mrNone;
    handleInApplication(this);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal_)
    throw rtl::EInvalidOperation(u"Cannot make a visible window modal");
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  modal_ = true;
  const HWND previousActive = GetActiveWindow();
  // The other forms wait while this one is open.
  std::vector<HWND> disabled;
  for (TCustomForm* f : Screen->forms_) {
    if (f == this || !f->HandleAllocated()) continue;
    HWND h = f->Handle();
    if (IsWindowVisible(h) && IsWindowEnabled(h)) {
      EnableWindow(h, FALSE);
      disabled.push_back(h);
    }
  }
  struct Restore {
    TCustomForm* form;
    std::vector<HWND>& disabled;
    HWND previous;
    ~Restore() {
      for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
      form->modal_ = false;
      if (previous && IsWindow(previous)) SetActiveWindow(previous);
    }
  } restore{this, disabled, previousActive};
  Show();
  modalResult_ = mrNone;
  const bool ended = RunModalLoop([this] {
    if (Application->Terminated())
      modalResult_ = mrCancel;
    else if (modalResult_ != mrNone)
      CloseModal();
    return modalResult_ != mrNone;
  });
  if (!ended) modalResult_ = mrCancel;
  const TModalResult result = modalResult_;
  Perform(CM_DEACTIVATE, 0, 0);
  Hide();
  return result;
}

// ========================================================================== TApplication

TApplication::TApplication(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TApplication::~TApplication() {
  if (rtl::ApplicationHandleException.data() == this) rtl::ApplicationHandleException = nullptr;
  DeallocateHWnd(handle_);
}

HWND TApplication::Handle() {
  if (!handle_ || !IsWindow(handle_)) handle_ = AllocateHWnd(TWndMethod::bind<&TApplication::WndProc>(this));
  return handle_;
}

void TApplication::HookMainWindow(const TWindowHook& hook) { windowHooks_.push_back(hook); }

void TApplication::UnhookMainWindow(const TWindowHook& hook) {
  auto it = std::find(windowHooks_.begin(), windowHooks_.end(), hook);
  if (it != windowHooks_.end()) windowHooks_.erase(it);
}

void TApplication::WndProc(TMessage& message) {
  // A hook may unhook itself (or another) while it runs.
  const std::vector<TWindowHook> hooks = windowHooks_;
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
    if ((*it)(message)) return;
  message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
}

namespace {
void applicationHandleException(rtl::TObject* sender) { Application->HandleException(sender); }
}  // namespace

void TApplication::Initialize() {
  terminated_ = false;
  forgetHint();
  hints_.reset();
  rtl::ApplicationHandleException = TNotifyEvent::fromFunction(&applicationHandleException);
  SetDispatchExceptionHandler(
      [](std::exception_ptr error) { Application->HandleException(error, nullptr); });
  // A real display shows our dialog; headless keeps answering at once (and
  // the scripted answers of tests).
  const Backend* backend = CurrentBackend();
  if (!backend) {
    SetBackend(CreateDefaultBackend());
    backend = CurrentBackend();
  }
  if (backend && backend->Name() != "headless") InstallMessageBoxDialog();
}

void TApplication::CreateForm(TFormClass cls, TCustomForm*& reference) {
  TCustomForm* form = cls.Create(this);
  reference = form;
  formCreated(form);
}

void TApplication::formCreated(TCustomForm* form) {
  if (!mainForm_) {
    form->HandleNeeded();
    mainForm_ = form;
  }
}

void TApplication::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  rtl::TComponent::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && component == mainForm_) mainForm_ = nullptr;
  if (operation == rtl::TOperation::opRemove && hints_ && component == HintControl()) forgetHint();
}

bool TApplication::processMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  while (processMessage()) {
  }
}

void TApplication::HandleMessage() {
  if (!processMessage() && !terminated_) WaitMessage();
}

void TApplication::Run() {
  if (!mainForm_) return;
  mainForm_->Show();
  while (!terminated_) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(rtl::TObject* sender) {
  HandleException(std::current_exception(), sender);
}

void TApplication::HandleException(std::exception_ptr error, rtl::TObject* sender) {
  if (!error) return;
  auto report = [&](rtl::Exception& e) {
    if (onException_)
      onException_(sender, &e);
    else
      ShowException(e);
  };
  try {
    std::rethrow_exception(error);
  } catch (const rtl::EAbort&) {
  } catch (rtl::Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    rtl::Exception wrapped(rtl::Utf8ToString(e.what()));
    report(wrapped);
  } catch (...) {
    rtl::Exception wrapped(u"Unknown exception");
    report(wrapped);
  }
}

void TApplication::ShowException(const rtl::Exception& e) {
  String msg = e.Message();
  if (!msg.empty() && msg.back() > u'.') msg += u'.';
  MessageBoxW(GetActiveWindow(), msg.c_str(), Title().c_str(), MB_OK | MB_ICONSTOP);
}

String TApplication::Title() const {
  if (!title_.empty()) return title_;
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return String();
  return rtl::Utf8ToString(exe.stem().string());
}

void TApplication::SetHint(const String& value) {
  if (hint_ == value) return;
  hint_ = value;
  if (onHint_) onHint_(this);
}

// =============================================================================== TScreen

TScreen::TScreen(rtl::TComponent* owner) : rtl::TComponent(owner) {}
TScreen::~TScreen() {
  for (auto& [id, handle] : ownCursors_) DestroyCursor(handle);
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  RECT r{0, 0, Width(), Height()};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}
int TScreen::WorkAreaWidth() const {
  const TRect r = WorkAreaRect();
  return r.right - r.left;
}
int TScreen::WorkAreaHeight() const {
  const TRect r = WorkAreaRect();
  return r.bottom - r.top;
}
int TScreen::MonitorCount() const { return GetSystemMetrics(SM_CMONITORS); }

void TScreen::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  cursor_ = value;
  if (value == crDefault) {
    // The window under the pointer picks its own cursor again.
    POINT p;
    GetCursorPos(&p);
    if (HWND w = WindowFromPoint(p))
      SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(int(HTCLIENT), int(WM_MOUSEMOVE)));
  } else {
    win::SetCursor(Cursors(value));
  }
}

namespace {
HCURSOR cursorFromImage(const gdi::ImageBGRA& image, POINT hot) {
  ICONINFO info{};
  info.fIcon = FALSE;
  info.xHotspot = DWORD(hot.x);
  info.yHotspot = DWORD(hot.y);
  info.hbmColor = gdi::CreateBitmapFromImage(image);
  HCURSOR made = CreateIconIndirect(&info);
  gdi::DeleteObject(info.hbmColor);
  return made;
}

HCURSOR cursorFromSource(const TScreen::CursorSource& source) {
  if (source.systemName) return LoadCursorW(nullptr, source.systemName);
  const std::vector<rtl::Byte> png = rtl::LoadResourceBytes("CURSOR", source.resource);
  if (png.empty()) return nullptr;
  return cursorFromImage(gdi::ReadPng(png.data(), png.size()), source.hotspot);
}
}  // namespace

void TScreen::RegisterCursor(int id, const CursorSource& source) {
  if (auto it = registered_.find(id); it != registered_.end() && it->second.resource == source.resource &&
                                      it->second.systemName == source.systemName &&
                                      it->second.hotspot.x == source.hotspot.x &&
                                      it->second.hotspot.y == source.hotspot.y)
    return;  // the same again: the cursor already made stays valid
  registered_[id] = source;
  if (auto it = ownCursors_.find(id); it != ownCursors_.end()) {
    DestroyCursor(it->second);
    ownCursors_.erase(it);
  }
}

HCURSOR TScreen::Cursors(int id) const {
  if (auto it = cursors_.find(id); it != cursors_.end()) return it->second;
  if (auto it = ownCursors_.find(id); it != ownCursors_.end()) return it->second;
  if (auto it = registered_.find(id); it != registered_.end()) {
    if (HCURSOR made = cursorFromSource(it->second)) {
      ownCursors_[id] = made;
      return made;
    }
  }
  if (const LibraryCursorArt* art = FindLibraryCursorArt(id)) {
    POINT hot{};
    const gdi::ImageBGRA* image = LibraryCursorImage(id, &hot);
    if (HCURSOR made = cursorFromImage(*image, hot)) {
      ownCursors_[art->id] = made;
      return made;
    }
  }
  LPCWSTR name = IDC_ARROW;
  switch (id) {
    case crNone: return nullptr;
    case crCross: name = IDC_CROSS; break;
    case crIBeam: name = IDC_IBEAM; break;
    case crSizeNESW: name = IDC_SIZENESW; break;
    case crSizeNS: name = IDC_SIZENS; break;
    case crSizeNWSE: name = IDC_SIZENWSE; break;
    case crSizeWE: name = IDC_SIZEWE; break;
    case crUpArrow: name = IDC_UPARROW; break;
    case crHourGlass: name = IDC_WAIT; break;
    case crNo: name = IDC_NO; break;
    case crAppStart: name = IDC_APPSTARTING; break;
    case crHelp: name = IDC_HELP; break;
    case crHandPoint: name = IDC_HAND; break;
    case crSizeAll: name = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorW(nullptr, name);
}

void TScreen::SetCursors(int id, HCURSOR handle) {
  if (handle)
    cursors_[id] = handle;
  else
    cursors_.erase(id);
}

TCustomForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount())
    throw rtl::EListError(u"List index out of bounds");
  return forms_[size_t(index)];
}

TCustomForm* TScreen::ActiveForm() const {
  for (TCustomForm* f : forms_)
    if (f->Active()) return f;
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f ? f->ActiveControl() : nullptr;
}

// The objects live as long as the program: forms and windows may still
// refer to them while the program ends.
TApplication* ApplicationInstance() {
  static TApplication* app = new TApplication(nullptr);
  return app;
}

TScreen* ScreenInstance() {
  static TScreen* screen = new TScreen(nullptr);
  return screen;
}

// ========================================================================= message dialogs

int MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  String caption;
  UINT flags = 0;
  switch (type) {
    case mtWarning: caption = u"Warning"; flags = MB_ICONWARNING; break;
    case mtError: caption = u"Error"; flags = MB_ICONERROR; break;
    case mtInformation: caption = u"Information"; flags = MB_ICONINFORMATION; break;
    case mtConfirmation: caption = u"Confirm"; flags = MB_ICONQUESTION; break;
    case mtCustom: caption = Application->Title(); break;
  }
  if (buttons.contains(mbYes) || buttons.contains(mbNo))
    flags |= buttons.contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (buttons.contains(mbAbort) || buttons.contains(mbIgnore))
    flags |= MB_ABORTRETRYIGNORE;
  else if (buttons.contains(mbRetry))
    flags |= MB_RETRYCANCEL;
  else if (buttons.contains(mbCancel))
    flags |= MB_OKCANCEL;
  else
    flags |= MB_OK;
  // The box's answers (IDOK..IDNO) are the modal results of the same name.
  return MessageBoxW(GetActiveWindow(), msg.c_str(), caption.c_str(), flags);
}

void ShowMessage(const String& msg) {
  const String title = Application->Title();
  MessageBoxW(GetActiveWindow(), msg.c_str(), title.c_str(), MB_OK);
}

}  // namespace ui

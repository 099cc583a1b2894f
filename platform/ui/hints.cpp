#include "platform/ui/hints.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "platform/gdi/types.h"
#include "platform/rtl/clock.h"
#include "platform/ui/forms.h"
#include "platform/ui/timer.h"
#include "platform/win/win.h"

namespace ui {

using namespace win;

namespace {

// The hint sits this far below the pointer's hot spot, clear of the arrow.
constexpr int kHintCursorMargin = 20;

THintWindowClass& hintWindowClassSlot() {
  static THintWindowClass cls = THintWindowClass::of<THintWindow>();
  return cls;
}

struct HintFreeObject {
  void operator()(rtl::TObject* o) const {
    if (o) o->Free();
  }
};

TRect hintScreenRect(TControl* control, const TRect& client) {
  const TPoint topLeft = control->ClientToScreen(TPoint{client.left, client.top});
  return TRect{topLeft.x, topLeft.y, topLeft.x + (client.right - client.left),
               topLeft.y + (client.bottom - client.top)};
}

bool hintIsButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
         msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
}

bool hintPointerInside(TControl* control) {
  POINT p{};
  GetCursorPos(&p);
  const TRect r = hintScreenRect(control, control->ClientRect());
  return gdi::PtInRect(&r, p);
}

rtl::Int64 hintNowMs() { return rtl::CurrentClock().MonotonicMs(); }

}  // namespace

// ========================================================================== THintWindow

THintWindow::THintWindow(rtl::TComponent* owner) : TCustomControl(owner) {
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
  SetVisible(false);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  // Owned by the application's window, so no form's minimising or closing
  // takes the hint with it.
  if (!params.WndParent) params.WndParent = Application->Handle();
}

void THintWindow::WndProc(TMessage& message) {
  if (message.Msg == WM_NCHITTEST) {
    message.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::WndProc(message);
}

TRect THintWindow::CalcHintRect(int maxWidth, const String& hint, void* /*data*/) {
  TRect r{0, 0, maxWidth, 0};
  String text = hint;
  Canvas()->Font()->Assign(Font());
  Canvas()->TextRect(r, text, {TTextFormats::tfCalcRect, TTextFormats::tfLeft, TTextFormats::tfWordBreak,
                               TTextFormats::tfNoPrefix});
  // The frame and a small margin around the text.
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect rect, const String& hint) {
  SetCaption(hint);
  // Room below the last line for its descenders (CalcHintRect leaves only
  // the frame); callers that size the window themselves take 4 off first.
  rect.bottom += 4;
  // Kept inside the work area of the screen, moved rather than cut.
  const TRect area = Screen->WorkAreaRect();
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  int x = std::max<int>(area.left, std::min<int>(rect.left, area.right - w));
  int y = std::max<int>(area.top, std::min<int>(rect.top, area.bottom - h));
  SetBounds(x, y, w, h);
  SetWindowPos(Handle(), HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ActivateHintData(const TRect& rect, const String& hint, void* /*data*/) {
  ActivateHint(rect, hint);
}

void THintWindow::ReleaseHandle() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

bool THintWindow::IsHintVisible() { return HandleAllocated() && IsWindowVisible(Handle()); }

void THintWindow::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  r.left += 2;
  r.top += 2;
  String text = Caption();
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  TTextFormat format{TTextFormats::tfLeft, TTextFormats::tfWordBreak, TTextFormats::tfNoPrefix};
  if (rightToLeft_) format = {TTextFormats::tfRight, TTextFormats::tfWordBreak, TTextFormats::tfNoPrefix,
                              TTextFormats::tfRtlReading};
  canvas->TextRect(r, text, format);
}

THintWindowClass HintWindowClass() { return hintWindowClassSlot(); }

void SetHintWindowClass(THintWindowClass value) {
  hintWindowClassSlot() = value ? value : THintWindowClass::of<THintWindow>();
}

String HintShortPart(const String& hint) {
  const auto bar = hint.find(u'|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

// ========================================================================== the application's hints

// Waiting: the pause runs for `control`; Shown: its hint is up; Done: it was
// shown or cancelled and stays down until the pointer leaves `cursorRect`.
enum class HintPhase { Idle, Waiting, Shown, Done };

struct ApplicationHintState {
  TShowHintEvent onShowHint;
  TColor color = clInfoBk;
  int pause = 500;
  int shortPause = 50;
  int hidePause = 2500;
  TControl* control = nullptr;  // free notification from the application
  HintPhase phase = HintPhase::Idle;
  TRect cursorRect{};  // screen
  rtl::Int64 lastVisibleMs = LLONG_MIN / 2;
  std::unique_ptr<THintWindow, HintFreeObject> window;
  std::unique_ptr<TTimer, HintFreeObject> pauseTimer;
  std::unique_ptr<TTimer, HintFreeObject> hideTimer;
};

ApplicationHintState& TApplication::hintState() const {
  auto* self = const_cast<TApplication*>(this);
  if (!self->hints_) {
    self->hints_ = std::make_shared<ApplicationHintState>();
    self->hints_->pauseTimer.reset(rtl::Create<TTimer>(nullptr));
    self->hints_->pauseTimer->SetEnabled(false);
    self->hints_->pauseTimer->SetOnTimer(rtl::TNotifyEvent::bind<&TApplication::hintPauseElapsed>(self));
    self->hints_->hideTimer.reset(rtl::Create<TTimer>(nullptr));
    self->hints_->hideTimer->SetEnabled(false);
    self->hints_->hideTimer->SetOnTimer(rtl::TNotifyEvent::bind<&TApplication::hintHideElapsed>(self));
  }
  return *hints_;
}

const TShowHintEvent& TApplication::OnShowHint() const { return hintState().onShowHint; }
void TApplication::SetOnShowHint(const TShowHintEvent& v) { hintState().onShowHint = v; }
TColor TApplication::HintColor() const { return hintState().color; }
void TApplication::SetHintColor(TColor value) { hintState().color = value; }
int TApplication::HintPause() const { return hintState().pause; }
void TApplication::SetHintPause(int value) { hintState().pause = value; }
int TApplication::HintShortPause() const { return hintState().shortPause; }
void TApplication::SetHintShortPause(int value) { hintState().shortPause = value; }
int TApplication::HintHidePause() const { return hintState().hidePause; }
void TApplication::SetHintHidePause(int value) { hintState().hidePause = value; }
THintWindow* TApplication::HintWindow() const { return hints_ ? hints_->window.get() : nullptr; }
TControl* TApplication::HintControl() const { return hints_ ? hints_->control : nullptr; }
bool TApplication::Active() const { return GetActiveWindow() != nullptr; }

void TApplication::hideHintWindow() {
  auto& h = hintState();
  h.pauseTimer->SetEnabled(false);
  h.hideTimer->SetEnabled(false);
  if (h.window && h.window->IsHintVisible()) {
    h.window->ReleaseHandle();
    h.lastVisibleMs = hintNowMs();
  }
}

void TApplication::forgetHint() {
  if (!hints_) return;
  hideHintWindow();
  auto& h = *hints_;
  if (h.control) h.control->RemoveFreeNotification(this);
  h.control = nullptr;
  h.phase = HintPhase::Idle;
}

void TApplication::CancelHint() {
  auto& h = hintState();
  if (h.phase == HintPhase::Idle) return;
  if (h.phase == HintPhase::Waiting && h.control) h.cursorRect = hintScreenRect(h.control, h.control->ClientRect());
  hideHintWindow();
  // A press is no reason to offer the next control's hint at once.
  h.lastVisibleMs = LLONG_MIN / 2;
  h.phase = HintPhase::Done;
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message) {
  if (control->InheritsFrom(THintWindow::classInfo())) return;
  auto& h = hintState();
  if (message.Msg == CM_MOUSELEAVE) {
    // A form also reports a leave to the windowed child the pointer moved
    // into; only a pointer really outside ends the hint.
    if (control == h.control && !hintPointerInside(control)) forgetHint();
    return;
  }
  if (hintIsButtonDown(message.Msg)) {
    CancelHint();
    return;
  }
  if (message.Msg != WM_MOUSEMOVE) return;
  const TPoint screenPt = control->ClientToScreen(TPoint{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
  if (control == h.control) {
    if (h.phase == HintPhase::Waiting) return;
    if ((h.phase == HintPhase::Shown || h.phase == HintPhase::Done) && gdi::PtInRect(&h.cursorRect, screenPt)) return;
  }
  const bool wasShown = h.phase == HintPhase::Shown;
  forgetHint();
  if (!ShowHint() || !control->ShowHint() || HintShortPart(control->Hint()).empty()) return;
  const bool recent = wasShown || hintNowMs() - h.lastVisibleMs < h.pause;
  int pause = recent ? h.shortPause : h.pause;
  control->Perform(CM_HINTSHOWPAUSE, recent ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  h.control = control;
  control->FreeNotification(this);
  h.phase = HintPhase::Waiting;
  h.pauseTimer->SetInterval(rtl::Cardinal(std::max(1, pause)));
  h.pauseTimer->SetEnabled(true);
}

void TApplication::hintPauseElapsed(rtl::TObject*) {
  hintState().pauseTimer->SetEnabled(false);
  POINT p{};
  GetCursorPos(&p);
  ActivateHint(p);
}

void TApplication::hintHideElapsed(rtl::TObject*) {
  auto& h = hintState();
  hideHintWindow();
  if (h.phase == HintPhase::Shown) h.phase = HintPhase::Done;
}

void TApplication::ActivateHint(const TPoint& cursorPos) {
  auto& h = hintState();
  h.pauseTimer->SetEnabled(false);
  TControl* control = h.control;
  if (!control) return;
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = HintWindowClass();
  info.HintPos = TPoint{cursorPos.x, cursorPos.y + kHintCursorMargin};
  info.HintMaxWidth = Screen->Width();
  info.HintColor = h.color;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.HideTimeout = h.hidePause;
  info.HintStr = HintShortPart(control->Hint());
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && h.onShowHint) h.onShowHint(info.HintStr, canShow, info);
  if (h.control != control) return;  // the event moved on or freed the control
  h.cursorRect = hintScreenRect(control, info.CursorRect);
  if (!canShow || info.HintStr.empty()) {
    hideHintWindow();
    h.phase = HintPhase::Done;
    return;
  }
  const THintWindowClass cls = info.HintWindowClass ? info.HintWindowClass : HintWindowClass();
  if (!h.window || h.window->ClassType() != cls.get()) h.window.reset(cls.Create(nullptr));
  h.window->SetColor(info.HintColor);
  TRect r = h.window->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  gdi::OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  h.window->ActivateHintData(r, info.HintStr, info.HintData);
  h.phase = HintPhase::Shown;
  h.lastVisibleMs = hintNowMs();
  h.hideTimer->SetEnabled(false);
  if (info.HideTimeout > 0) {
    h.hideTimer->SetInterval(rtl::Cardinal(info.HideTimeout));
    h.hideTimer->SetEnabled(true);
  }
  if (info.ReshowTimeout > 0) {
    h.pauseTimer->SetInterval(rtl::Cardinal(info.ReshowTimeout));
    h.pauseTimer->SetEnabled(true);
  }
}

}  // namespace ui

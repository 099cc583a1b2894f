#include "platform/ui/controls.h"

#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/dragdrop.h"
#include "platform/ui/forms.h"
#include "platform/win/listbox.h"
#include "platform/win/win.h"

namespace ui {

using rtl::TComponentStateItem;
using namespace win;

namespace {

constexpr const char16_t* kControlProp = u"UIControl";

// The window being created: its first messages come before CreateWindowExW
// returns the handle.
TWinControl* creatingControl = nullptr;
// The graphic control that has the mouse captured through its parent.
TControl* captureControl = nullptr;
// The control under the mouse (for CM_MOUSEENTER / CM_MOUSELEAVE).
TControl* mouseControl = nullptr;
// A shortcut or a dialog key (Tab, Enter, Esc) was taken by the form: the
// character the key typed is not for the control that has the focus now.
bool swallowKeyChar = false;

bool controlIsLoading(const rtl::TComponent* c) {
  return c->ComponentState().contains(TComponentStateItem::csLoading);
}
bool controlIsDestroying(const rtl::TComponent* c) {
  return c->ComponentState().contains(TComponentStateItem::csDestroying);
}

TShiftState keysToShiftState(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s += ssShift;
  if (keys & MK_CONTROL) s += ssCtrl;
  if (keys & MK_LBUTTON) s += ssLeft;
  if (keys & MK_RBUTTON) s += ssRight;
  if (keys & MK_MBUTTON) s += ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s += ssAlt;
  return s;
}

TAnchors anchorAlign(TAlign a) {
  switch (a) {
    case alTop: return {akLeft, akTop, akRight};
    case alBottom: return {akLeft, akRight, akBottom};
    case alLeft: return {akLeft, akTop, akBottom};
    case alRight: return {akRight, akTop, akBottom};
    case alClient: return {akLeft, akTop, akRight, akBottom};
    default: return {akLeft, akTop};
  }
}

bool controlIsMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL &&
         msg != WM_MOUSEHWHEEL;
}

}  // namespace

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
  if (keyData & KF_ALTDOWN_BIT) s += ssAlt;
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s += ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s += ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s += ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) s += ssMiddle;
  return s;
}

TCustomForm* GetParentForm(TControl* control) {
  if (!control) return nullptr;
  while (control->Parent()) control = control->Parent();
  return dynamic_cast<TCustomForm*>(control);
}

bool IsAccel(rtl::Word key, const String& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    const String a(1, caption[i + 1]), b(1, char16_t(key));
    return rtl::AnsiUpperCase(a) == rtl::AnsiUpperCase(b);
  }
  return false;
}

TCustomForm* ValidParentForm(TControl* control) {
  TCustomForm* form = GetParentForm(control);
  if (!form)
    throw rtl::EInvalidOperation(
        rtl::Format(u"Control '%s' has no parent window", {control ? control->Name() : String()}));
  return form;
}

// ================================================================================ TControl

TControl::TControl(rtl::TComponent* owner) : rtl::TComponent(owner) {
  font_ = std::make_unique<TFont>();
  font_->SetOnChange(TNotifyEvent::bind<&TControl::fontChanged>(this));
  windowProc_ = TWndMethod::bind<&TControl::WndProc>(this);
}

TControl::~TControl() {
  DragControlDestroyed(this);
  if (captureControl == this) captureControl = nullptr;
  if (mouseControl == this) mouseControl = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

void TControl::BeforeDestruction() { rtl::TComponent::BeforeDestruction(); }

rtl::TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(rtl::TComponent* value) {
  if (auto* w = dynamic_cast<TWinControl*>(value)) SetParent(w);
}

void TControl::SetParent(TWinControl* value) {
  if (parent_ == value) return;
  if (value == this) throw rtl::EInvalidOperation(u"A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (value) value->InsertControl(this);
}

// ---- bounds and layout

void TControl::applyBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  InvalidateControl(visible_, false);
  applyBounds(left, top, width, height);
  Invalidate();
  if (!controlIsLoading(this)) Resize();
}

TRect TControl::ClientRect() { return TRect{0, 0, width_, height_}; }

void TControl::SetClientWidth(int value) { SetWidth(width_ + value - ClientWidth()); }
void TControl::SetClientHeight(int value) { SetHeight(height_ + value - ClientHeight()); }

TPoint TControl::ClientOrigin() {
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->handle_) {
    POINT p{0, 0};
    win::ClientToScreen(w->handle_, &p);
    return p;
  }
  if (!parent_) return TPoint{left_, top_};
  TPoint p = parent_->ClientOrigin();
  return TPoint{p.x + left_, p.y + top_};
}

TPoint TControl::ClientToScreen(TPoint point) {
  TPoint o = ClientOrigin();
  return TPoint{point.x + o.x, point.y + o.y};
}

TPoint TControl::ScreenToClient(TPoint point) {
  TPoint o = ClientOrigin();
  return TPoint{point.x - o.x, point.y - o.y};
}

void TControl::SetAlign(TAlign value) {
  if (align_ == value) return;
  align_ = value;
  anchors_ = anchorAlign(value);
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (anchors_ == value) return;
  anchors_ = value;
  UpdateAnchorRules();
}

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

void TControl::UpdateAnchorRules() {
  if (anchorMove_ || controlIsLoading(this)) return;
  if (anchors_ == TAnchors{akLeft, akTop}) {
    originalParentSize_ = TPoint{0, 0};
    return;
  }
  if (anchors_.contains(akRight))
    anchorRules_.x = anchors_.contains(akLeft) ? width_ : left_;
  else
    anchorRules_.x = left_ + width_ / 2;
  if (anchors_.contains(akBottom))
    anchorRules_.y = anchors_.contains(akTop) ? height_ : top_;
  else
    anchorRules_.y = top_ + height_ / 2;
  if (parent_) {
    TRect r = parent_->ClientRect();
    originalParentSize_ = TPoint{r.right, r.bottom};
  }
}

// ---- visibility and state

void TControl::SetVisible(bool value) {
  if (visible_ == value) return;
  VisibleChanging();
  visible_ = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::fontChanged(rtl::TObject*) {
  parentFont_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
  if (parentFont_ == value) return;
  parentFont_ = value;
  if (value && parent_ && !controlIsLoading(this)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  parentColor_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  if (value && parent_ && !controlIsLoading(this)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool value) {
  if (showHint_ == value && !parentShowHint_) return;
  showHint_ = value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool value) {
  if (parentShowHint_ == value) return;
  parentShowHint_ = value;
  if (value && parent_ && !controlIsLoading(this)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

// ---- text

String TControl::GetText() {
  const auto len = Perform(WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return String();
  String buffer(static_cast<size_t>(len) + 1, u'\0');
  const auto got = Perform(WM_GETTEXT, WPARAM(buffer.size()), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
  return buffer;
}

void TControl::SetText(const String& value) {
  if (GetText() == value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

// ---- messages

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  windowProc_(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  if (controlIsMouseMessage(m.Msg)) {
    // Without double clicks a second click is a plain one.
    if (!controlStyle_.contains(csDoubleClicks)) {
      if (m.Msg == WM_LBUTTONDBLCLK) m.Msg = WM_LBUTTONDOWN;
      else if (m.Msg == WM_RBUTTONDBLCLK) m.Msg = WM_RBUTTONDOWN;
      else if (m.Msg == WM_MBUTTONDBLCLK) m.Msg = WM_MBUTTONDOWN;
    }
    Application->HintMouseMessage(this, m);
  } else if (m.Msg == CM_MOUSELEAVE) {
    Application->HintMouseMessage(this, m);
  }
  Dispatch(&m);
}

void TControl::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case WM_LBUTTONDOWN: WMMouseDown(m, mbLeft, false); return;
    case WM_LBUTTONDBLCLK: WMMouseDown(m, mbLeft, true); return;
    case WM_RBUTTONDOWN: WMMouseDown(m, mbRight, false); return;
    case WM_RBUTTONDBLCLK: WMMouseDown(m, mbRight, true); return;
    case WM_MBUTTONDOWN: WMMouseDown(m, mbMiddle, false); return;
    case WM_MBUTTONDBLCLK: WMMouseDown(m, mbMiddle, true); return;
    case WM_LBUTTONUP: WMMouseUp(m, mbLeft); return;
    case WM_RBUTTONUP: WMMouseUp(m, mbRight); return;
    case WM_MBUTTONUP: WMMouseUp(m, mbMiddle); return;
    case WM_MOUSEMOVE:
      DefaultHandler(&m);
      if (!controlStyle_.contains(csNoStdEvents))
        MouseMove(keysToShiftState(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_COLORCHANGED: CMColorChanged(m); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); return;
    case CM_TEXTCHANGED: CMTextChanged(m); return;
    case CM_MOUSEENTER: CMMouseEnter(m); return;
    case CM_MOUSELEAVE: CMMouseLeave(m); return;
    case CM_MOUSEWHEEL: CMMouseWheel(m); return;
    case CM_HITTEST: m.Result = 1; return;  // HTCLIENT
    default: DefaultHandler(&m);
  }
}

void TControl::CMMouseWheel(TMessage& m) {
  // wParam and lParam as WM_MOUSEWHEEL's: keys and delta, screen position.
  const TShiftState shift = keysToShiftState(LOWORD(DWORD_PTR(m.WParam)));
  const int delta = short(HIWORD(DWORD_PTR(m.WParam)));
  const TPoint pos{short(LOWORD(DWORD_PTR(m.LParam))), short(HIWORD(DWORD_PTR(m.LParam)))};
  if (DoMouseWheel(shift, delta, pos)) {
    m.Result = 1;
    return;
  }
  m.Result = parent_ ? parent_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam) : 0;
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  bool handled = false;
  if (onMouseWheel_) onMouseWheel_(this, shift, wheelDelta, mousePos, handled);
  if (handled) return true;
  wheelAccumulator_ += wheelDelta;
  while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
    const bool up = wheelAccumulator_ > 0;
    wheelAccumulator_ += up ? -WHEEL_DELTA : WHEEL_DELTA;
    if (up ? DoMouseWheelUp(shift, mousePos) : DoMouseWheelDown(shift, mousePos)) handled = true;
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (onMouseWheelDown_) onMouseWheelDown_(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (onMouseWheelUp_) onMouseWheelUp_(this, shift, mousePos, handled);
  return handled;
}

void TControl::DefaultHandler(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case WM_SETTEXT:
      text_ = m.LParam ? String(reinterpret_cast<LPCWSTR>(m.LParam)) : String();
      m.Result = TRUE;
      return;
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<LPWSTR>(m.LParam);
      const int max = int(m.WParam);
      if (!buf || max <= 0) {
        m.Result = 0;
        return;
      }
      const int n = std::min<int>(int(text_.size()), max - 1);
      std::copy_n(text_.data(), n, buf);
      buf[n] = 0;
      m.Result = n;
      return;
    }
    case WM_GETTEXTLENGTH: m.Result = LRESULT(text_.size()); return;
    default: return;
  }
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&) {
  InvalidateControl(true, visible_ && controlStyle_.contains(csOpaque));
}
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage& m) {
  if (!parentFont_) return;
  if (m.WParam)
    SetFont(reinterpret_cast<TFont*>(m.LParam));
  else if (parent_)
    SetFont(parent_->Font());
  parentFont_ = true;
}

void TControl::CMParentColorChanged(TMessage& m) {
  if (!parentColor_) return;
  if (m.WParam)
    SetColor(TColor(m.LParam));
  else if (parent_)
    SetColor(parent_->Color());
  parentColor_ = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!parentShowHint_ || !parent_) return;
  SetShowHint(parent_->ShowHint());
  parentShowHint_ = true;
}

void TControl::CMMouseEnter(TMessage&) {
  if (onMouseEnter_) onMouseEnter_(this);
}
void TControl::CMMouseLeave(TMessage&) {
  if (onMouseLeave_) onMouseLeave_(this);
}

// ---- mouse

TControl* TControl::CaptureControl() {
  HWND cap = GetCapture();
  if (captureControl && captureControl->parent_ && captureControl->parent_->handle_ == cap)
    return captureControl;
  return TWinControl::FindControl(cap);
}

void TControl::SetCaptureControl(TControl* control) {
  ReleaseCapture();
  captureControl = nullptr;
  if (!control) return;
  auto* win = dynamic_cast<TWinControl*>(control);
  if (!win) {
    if (!control->parent_) return;
    captureControl = control;
    win = control->parent_;
  }
  SetCapture(win->Handle());
}

void TControl::SetMouseCapture(bool value) {
  if (MouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::WMMouseDown(TMessage& m, TMouseButton button, bool doubleClick) {
  DefaultHandler(&m);
  if (button == mbLeft) {
    if (controlStyle_.contains(csCaptureMouse)) SetMouseCapture(true);
    if (doubleClick) {
      if (controlStyle_.contains(csClickEvents)) DblClick();
    } else if (controlStyle_.contains(csClickEvents)) {
      controlState_ += TControlStateItem::csClicked;
    }
  }
  doMouseDown(m, button, doubleClick ? TShiftState{ssDouble} : TShiftState{});
}

void TControl::WMMouseUp(TMessage& m, TMouseButton button) {
  DefaultHandler(&m);
  if (button == mbLeft) {
    if (controlStyle_.contains(csCaptureMouse)) SetMouseCapture(false);
    if (controlState_.contains(TControlStateItem::csClicked)) {
      controlState_ -= TControlStateItem::csClicked;
      const TRect r = ClientRect();
      const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) Click();
    }
  }
  doMouseUp(m, button);
}

void TControl::doMouseDown(TMessage& m, TMouseButton button, TShiftState extra) {
  if (controlStyle_.contains(csNoStdEvents)) return;
  MouseDown(button, keysToShiftState(m.WParam) + extra, GET_X_LPARAM(m.LParam),
            GET_Y_LPARAM(m.LParam));
}

void TControl::doMouseUp(TMessage& m, TMouseButton button) {
  if (controlStyle_.contains(csNoStdEvents)) return;
  MouseUp(button, keysToShiftState(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
}

void TControl::Click() {
  // An OnClick of its own wins over the action's; else the action runs.
  TBasicAction* action = Action();
  if (onClick_ && (!action || onClick_ != action->OnExecute())) onClick_(this);
  else if (actionLink_ && action) actionLink_->Execute(this);
  else if (onClick_) onClick_(this);
}

// ---- action

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* value) {
  if (!value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) {
    actionLink_ = std::make_unique<TControlActionLink>(this);
    actionLink_->SetOnChange(TNotifyEvent::bind<&TControl::actionLinkChanged>(this));
  }
  actionLink_->SetAction(value);
  ActionChange(value, controlIsLoading(this));
}

void TControl::actionLinkChanged(rtl::TObject*) {
  if (Action()) ActionChange(Action(), false);
}

void TControl::ActionChange(rtl::TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || Caption().empty()) SetCaption(action->Caption());
  if (!checkDefaults || Enabled()) SetEnabled(action->Enabled());
  if (!checkDefaults || hint_.empty()) SetHint(action->Hint());
  if (!checkDefaults || Visible()) SetVisible(action->Visible());
  if (!checkDefaults || !onClick_) onClick_ = action->OnExecute();
}

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() &&
         control_->Caption() == static_cast<TCustomAction*>(Action())->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() &&
         control_->Enabled() == static_cast<TCustomAction*>(Action())->Enabled();
}
bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() &&
         control_->Hint() == static_cast<TCustomAction*>(Action())->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() &&
         control_->Visible() == static_cast<TCustomAction*>(Action())->Visible();
}
bool TControlActionLink::IsOnExecuteLinked() {
  return Action() && control_->OnClick() == Action()->OnExecute();
}
void TControlActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) control_->SetCaption(value);
}
void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) control_->SetEnabled(value);
}
void TControlActionLink::SetHint(const String& value) {
  if (IsHintLinked()) control_->SetHint(value);
}
void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) control_->SetVisible(value);
}
void TControlActionLink::SetOnExecute(const TNotifyEvent& value) {
  if (IsOnExecuteLinked()) control_->SetOnClick(value);
}
void TControl::DblClick() {
  if (onDblClick_) onDblClick_(this);
}
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (onMouseDown_) onMouseDown_(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (onMouseMove_) onMouseMove_(this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (onMouseUp_) onMouseUp_(this, button, shift, x, y);
}
void TControl::Resize() {
  if (onResize_) onResize_(this);
}

void TControl::Loaded() {
  rtl::TComponent::Loaded();
  if (parent_) {
    if (parentColor_) {
      SetColor(parent_->Color());
      parentColor_ = true;
    }
    if (parentFont_) {
      SetFont(parent_->Font());
      parentFont_ = true;
    }
    if (parentShowHint_) {
      SetShowHint(parent_->ShowHint());
      parentShowHint_ = true;
    }
  }
  UpdateAnchorRules();
  RequestAlign();
}

// ---- painting

void TControl::InvalidateControl(bool isVisible, bool isOpaque) {
  if (!isVisible || !parent_ || !parent_->HandleAllocated()) return;
  const TRect r = BoundsRect();
  InvalidateRect(parent_->handle_, &r, isOpaque ? FALSE : TRUE);
}

void TControl::Invalidate() { InvalidateControl(visible_, controlStyle_.contains(csOpaque)); }

void TControl::Update() {
  if (parent_ && parent_->HandleAllocated()) UpdateWindow(parent_->handle_);
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::SetZOrder(bool topMost) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (topMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
  parent_->Realign();
}

void TControl::BringToFront() {
  if (auto* w = dynamic_cast<TWinControl*>(this); w && !parent_) {
    if (w->HandleAllocated()) BringWindowToTop(w->handle_);
    return;
  }
  SetZOrder(true);
}

void TControl::SendToBack() { SetZOrder(false); }

// ========================================================================== TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* value) {
  if (control_ == value) return;
  FreeHandle();
  control_ = value;
}

void TControlCanvas::FreeHandle() {
  if (!ownDC_) return;
  if (CurrentDC() == ownDC_) SetHandle(nullptr);
  ReleaseDC(dcWindow_, ownDC_);
  ownDC_ = nullptr;
  dcWindow_ = nullptr;
}

void TControlCanvas::CreateHandle() {
  if (!control_) return;
  if (auto* w = dynamic_cast<TWinControl*>(control_)) {
    dcWindow_ = w->Handle();
    ownDC_ = GetDC(dcWindow_);
  } else {
    TWinControl* parent = control_->Parent();
    if (!parent) return;
    dcWindow_ = parent->Handle();
    ownDC_ = GetDC(dcWindow_);
    if (!ownDC_) return;
    gdi::SetWindowOrgEx(ownDC_, -control_->Left(), -control_->Top(), nullptr);
    gdi::IntersectClipRect(ownDC_, 0, 0, control_->Width(), control_->Height());
  }
  if (ownDC_) SetHandle(ownDC_);
}

// ============================================================================= TWinControl

TWinControl::TWinControl(rtl::TComponent* owner) : TControl(owner) {
  brush_ = std::make_unique<TBrush>();
  brush_->SetColor(Color());
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  if (parent_) RemoveFocus(true);
  DestroyHandle();
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    RemoveControl(child);
    child->Free();
  }
}

TWinControl::~TWinControl() {
  // Normally done by BeforeDestruction; here for an object deleted directly.
  if (parent_) RemoveFocus(true);
  DestroyHandle();
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    RemoveControl(child);
    child->Free();
  }
  if (parent_) parent_->RemoveControl(this);
}

// ---- the window

TWinControl* TWinControl::FindControl(HWND handle) {
  if (!handle || !IsWindow(handle)) return nullptr;
  return static_cast<TWinControl*>(GetPropW(handle, kControlProp));
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  for (TControl* c : controls_) c->UpdateAnchorRules();
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = text_;
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().contains(csAcceptsControls)) p.Style |= WS_CLIPCHILDREN;
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (tabStop_) p.Style |= WS_TABSTOP;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  if (parent_)
    p.WndParent = parent_->Handle();
  else
    p.WndParent = parentWindow_;
  p.WindowClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  p.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if (!p.WndParent && (p.Style & WS_CHILD))
    throw rtl::EInvalidOperation(rtl::Format(u"Control '%s' has no parent window", {Name()}));
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc;
  if (!GetClassInfoExW(inst, p.WinClassName.c_str(), &wc)) {
    WNDCLASSEXW reg;
    reg.style = p.WindowClassStyle;
    reg.lpfnWndProc = &TWinControl::windowProcedure;
    reg.hInstance = inst;
    reg.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    reg.lpszClassName = p.WinClassName.c_str();
    if (!RegisterClassExW(&reg))
      throw rtl::EOutOfResources(u"Error creating window class");
  }
  defWndProc_ = &DefWindowProcW;
  CreateWindowHandle(p);
  if (!handle_) throw rtl::EOutOfResources(u"Error creating window");
  Realign();
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
  TWinControl* previous = creatingControl;
  creatingControl = this;
  HWND h = CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                           p.Width, p.Height, p.WndParent, nullptr, GetModuleHandleW(nullptr),
                           p.Param);
  creatingControl = previous;
  if (h && !handle_) {
    handle_ = h;
    SetPropW(h, kControlProp, this);
  }
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  text_ = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  controlState_ += TControlStateItem::csDestroyingHandle;
  if (handle_) DestroyWindow(handle_);
  controlState_ -= TControlStateItem::csDestroyingHandle;
  // WM_NCDESTROY cleared it, unless the window was not ours to destroy.
  if (handle_) {
    RemovePropW(handle_, kControlProp);
    handle_ = nullptr;
  }
  showing_ = false;
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  controlState_ += TControlStateItem::csRecreating;
  DestroyHandle();
  controlState_ -= TControlStateItem::csRecreating;
  UpdateControlState();
}

void TWinControl::SetParentWindow(HWND value) {
  if (parent_ || parentWindow_ == value) return;
  DestroyHandle();
  parentWindow_ = value;
  UpdateControlState();
}

LRESULT TWinControl::windowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = static_cast<TWinControl*>(GetPropW(hwnd, kControlProp));
  if (!control && creatingControl && !creatingControl->handle_) {
    control = creatingControl;
    control->handle_ = hwnd;
    SetPropW(hwnd, kControlProp, control);
  }
  if (!control) return DefWindowProcW(hwnd, msg, wParam, lParam);
  // The record lives here: the control may be freed while handling it.
  TMessage m{msg, wParam, lParam, 0};
  control->mainWndProc(m);
  return m.Result;
}

void TWinControl::mainWndProc(TMessage& m) {
  try {
    windowProc_(m);
  } catch (...) {
    HandleDispatchException();
  }
}

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->parent_) {
    c = c->parent_;
    if (!c->Showing()) return;
  }
  if (dynamic_cast<TCustomForm*>(c) || c->parentWindow_) UpdateShowing();
}

void TWinControl::UpdateShowing() { updateShowing(parent_ ? parent_->showing_ : true); }

void TWinControl::updateShowing(bool parentShows) {
  const bool show = visible_ && parentShows && !controlIsDestroying(this);
  if (show) {
    if (!handle_) CreateHandle();
    for (TControl* c : std::vector<TControl*>(controls_))
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->updateShowing(true);
  }
  if (showing_ != show) {
    showing_ = show;
    rtl::ScopeExit undoOnFailure([&] { showing_ = !show; });
    Perform(CM_SHOWINGCHANGED, 0, 0);
    undoOnFailure.Release();
  }
  if (!show)
    for (TControl* c : std::vector<TControl*>(controls_))
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->updateShowing(false);
}

void TWinControl::CMShowingChanged(TMessage&) {
  if (!handle_) return;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                   (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

// ---- children

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount())
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {index}));
  return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  auto* win = dynamic_cast<TWinControl*>(control);
  if (win) tabList_.push_back(win);
  control->parent_ = this;
  control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  control->Perform(CM_PARENTFONTCHANGED, 0, 0);
  control->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  control->UpdateAnchorRules();
  if (win) {
    if (HandleAllocated()) win->UpdateControlState();
  } else {
    control->Invalidate();
  }
  AlignControl(control);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    win->RemoveFocus(true);
    win->DestroyHandle();
  } else if (HandleAllocated()) {
    control->InvalidateControl(control->visible_, false);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
  it = std::find(controls_.begin(), controls_.end(), control);
  if (it != controls_.end()) controls_.erase(it);
  auto t = std::find(tabList_.begin(), tabList_.end(), control);
  if (t != tabList_.end()) tabList_.erase(t);
  control->parent_ = nullptr;
  if (mouseControl == control) mouseControl = nullptr;
  if (captureControl == control) captureControl = nullptr;
  if (!controlIsDestroying(this)) Realign();
}

bool TWinControl::ContainsControl(TControl* control) const {
  while (control && control != this) control = control->parent_;
  return control == this;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!allowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (!c->visible_ || (!allowDisabled && !c->Enabled())) continue;
    const TRect r = c->BoundsRect();
    if (pos.x >= r.left && pos.x < r.right && pos.y >= r.top && pos.y < r.bottom) {
      TMessage hit{CM_HITTEST, 0, MAKELPARAM(pos.x - r.left, pos.y - r.top), 0};
      c->windowProc_(hit);
      if (hit.Result) return c;
    }
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    c->windowProc_(message);
    if (message.Result) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage m{msg, 0, 0, 0};
  Broadcast(m);
}

// ---- alignment

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  --alignLevel_;
  if (alignLevel_ == 0 && controlState_.contains(TControlStateItem::csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* control) {
  if (controlIsDestroying(this)) return;
  if (alignLevel_ != 0 || controlIsLoading(this)) {
    controlState_ += TControlStateItem::csAlignmentNeeded;
    return;
  }
  DisableAlign();
  TRect rect = ClientRect();
  AdjustClientRect(rect);
  try {
    AlignControls(control, rect);
  } catch (...) {
    controlState_ -= TControlStateItem::csAlignmentNeeded;
    EnableAlign();
    throw;
  }
  controlState_ -= TControlStateItem::csAlignmentNeeded;
  EnableAlign();
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  const TRect client = ClientRect();
  auto insertBefore = [](TControl* c1, TControl* c2, TAlign a) {
    switch (a) {
      case alTop: return c1->top_ < c2->top_;
      case alBottom: return c1->top_ + c1->height_ >= c2->top_ + c2->height_;
      case alLeft: return c1->left_ < c2->left_;
      case alRight: return c1->left_ + c1->width_ >= c2->left_ + c2->width_;
      default: return false;
    }
  };
  auto doPosition = [&](TControl* c, TAlign a) {
    const int w = std::max(0, rect.right - rect.left);
    const int h = std::max(0, rect.bottom - rect.top);
    int l = c->left_, t = c->top_, cw = c->width_, ch = c->height_;
    switch (a) {
      case alTop: l = rect.left; t = rect.top; cw = w; break;
      case alBottom: l = rect.left; t = rect.bottom - ch; cw = w; break;
      case alLeft: l = rect.left; t = rect.top; ch = h; break;
      case alRight: l = rect.right - cw; t = rect.top; ch = h; break;
      case alClient: l = rect.left; t = rect.top; cw = w; ch = h; break;
      default: break;
    }
    c->controlState_ += TControlStateItem::csAligning;
    c->SetBounds(l, t, cw, ch);
    c->controlState_ -= TControlStateItem::csAligning;
    switch (a) {
      case alTop: rect.top += c->height_; break;
      case alBottom: rect.bottom -= c->height_; break;
      case alLeft: rect.left += c->width_; break;
      case alRight: rect.right -= c->width_; break;
      default: break;
    }
  };
  auto doAnchor = [&](TControl* c) {
    if (c->originalParentSize_.x == 0 && c->originalParentSize_.y == 0) return;
    const TAnchors a = c->anchors_;
    const TPoint size{client.right, client.bottom};
    const TPoint orig = c->originalParentSize_;
    const TPoint rules = c->anchorRules_;
    int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
    if (orig.x != 0) {
      if (a.contains(akRight)) {
        if (a.contains(akLeft))
          w = size.x - (orig.x - rules.x);
        else
          l = size.x - (orig.x - rules.x);
      } else if (!a.contains(akLeft)) {
        l = int(rtl::MulDiv(rules.x, size.x, orig.x)) - w / 2;
      }
    }
    if (orig.y != 0) {
      if (a.contains(akBottom)) {
        if (a.contains(akTop))
          h = size.y - (orig.y - rules.y);
        else
          t = size.y - (orig.y - rules.y);
      } else if (!a.contains(akTop)) {
        t = int(rtl::MulDiv(rules.y, size.y, orig.y)) - h / 2;
      }
    }
    rtl::ScopedValue<bool> anchorMove(c->anchorMove_, true);
    c->SetBounds(l, t, w, h);
  };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    if (control && control->align_ == a && control->visible_) list.push_back(control);
    for (TControl* c : controls_) {
      if (c == control || c->align_ != a || !c->visible_) continue;
      auto pos = std::find_if(list.begin(), list.end(),
                              [&](TControl* other) { return insertBefore(c, other, a); });
      list.insert(pos, c);
    }
    for (TControl* c : list) doPosition(c, a);
  }
  for (TControl* c : std::vector<TControl*>(controls_))
    if (c->align_ == alNone && c->anchors_ != TAnchors{akLeft, akTop}) doAnchor(c);
}

TRect TWinControl::ClientRect() {
  if (handle_) {
    RECT r;
    win::GetClientRect(handle_, &r);
    return r;
  }
  return TControl::ClientRect();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool sized = width != width_ || height != height_;
  applyBounds(left, top, width, height);
  if (handle_ && !updatingBounds_) {
    updatingBounds_ = true;
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    updatingBounds_ = false;
  }
  if (sized) Realign();
  if (!controlIsLoading(this)) Resize();
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (parent_ || GetWindowLongPtrW(handle_, GWL_STYLE) & LONG_PTR(WS_CHILD)) {
    HWND p = GetParent(handle_);
    MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  }
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (r.left == left_ && r.top == top_ && w == width_ && h == height_) return;
  applyBounds(r.left, r.top, w, h);
}

void TWinControl::Resize() { TControl::Resize(); }

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

// ---- messages

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
      if (TCustomForm* form = GetParentForm(this); form && !form->SetFocusedControl(this)) return;
      break;
    case WM_KILLFOCUS:
      if (controlState_.contains(TControlStateItem::csFocusing)) return;
      break;
    case WM_MOUSELEAVE:
      // This window lost the mouse: it leaves this control or a graphic child
      // (whose mouse comes through this window). A windowed child hears its
      // own window's leave; this one arrives after the child's first move
      // when the mouse went into it, and the child still has the mouse.
      if (mouseControl && (mouseControl == this ||
                           (mouseControl->parent_ == this && !dynamic_cast<TWinControl*>(mouseControl)))) {
        TControl* old = mouseControl;
        mouseControl = nullptr;
        old->Perform(CM_MOUSELEAVE, 0, 0);
      }
      break;
    default:
      if (controlIsMouseMessage(m.Msg) && routeMouseToChild(m)) return;
      break;
  }
  TControl::WndProc(m);
}

bool TWinControl::routeMouseToChild(TMessage& m) {
  const TPoint pt{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TControl* target = nullptr;
  if (captureControl && captureControl->parent_ == this && GetCapture() == handle_)
    target = captureControl;
  else if (!captureControl || GetCapture() != handle_)
    target = ControlAtPos(pt, false);
  if (m.Msg == WM_MOUSEMOVE) trackMouseControl(target ? target : this);
  if (!target) return false;
  m.Result = target->Perform(m.Msg, m.WParam, MAKELPARAM(pt.x - target->left_, pt.y - target->top_));
  return true;
}

void TWinControl::trackMouseControl(TControl* target) {
  if (target == mouseControl) return;
  TControl* old = mouseControl;
  mouseControl = target;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (mouseControl == target && target) target->Perform(CM_MOUSEENTER, 0, 0);
  if (handle_) {
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = handle_;
    TrackMouseEvent(&tme);
  }
}

void TWinControl::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case WM_PAINT: PaintHandler(m); return;
    case WM_PRINTCLIENT: {
      // Printing into another DC (WM_PRINT): painted as for WM_PAINT with that DC.
      if (!m.WParam) return;
      TMessage paint = m;
      paint.Msg = WM_PAINT;
      PaintHandler(paint);
      return;
    }
    case WM_ERASEBKGND: {
      const TRect r = ClientRect();
      gdi::FillRect(reinterpret_cast<HDC>(m.WParam), &r, brush_->Handle());
      m.Result = 1;
      return;
    }
    case WM_NCDESTROY:
      DefaultHandler(&m);
      if (handle_) RemovePropW(handle_, kControlProp);
      handle_ = nullptr;
      showing_ = false;
      return;
    case WM_WINDOWPOSCHANGED:
      if (!updatingBounds_) UpdateBounds();
      DefaultHandler(&m);
      return;
    case WM_SIZE:
      DefaultHandler(&m);
      if (!updatingBounds_) {
        Realign();
        if (!controlIsLoading(this)) Resize();
      }
      return;
    case CM_PARENTCTL3DCHANGED:
      if (parentCtl3D_ && Parent() && Parent()->Ctl3D() != ctl3D_) {
        ctl3D_ = Parent()->Ctl3D();
        Perform(CM_CTL3DCHANGED, 0, 0);
        NotifyControls(CM_PARENTCTL3DCHANGED);
      }
      return;
    case WM_SETFOCUS: DefaultHandler(&m); WMSetFocus(m); return;
    case WM_KILLFOCUS: DefaultHandler(&m); WMKillFocus(m); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      swallowKeyChar = false;
      if (isShortCutKey(m)) return;
      if (DoKeyDown(m)) return;
      DefaultHandler(&m);
      return;
    case WM_CHAR:
      if (swallowKeyChar) {
        swallowKeyChar = false;
        return;
      }
      if (DoKeyPress(m)) return;
      // A letter the focused control does not take is a mnemonic of the form.
      if (m.WParam >= 0x20 && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
        if (TCustomForm* form = GetParentForm(this);
            form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
          return;
      }
      DefaultHandler(&m);
      return;
    case WM_SYSCHAR:
      if (swallowKeyChar) {
        swallowKeyChar = false;
        return;
      }
      // Alt+letter: the control whose caption marks that letter acts.
      if (m.WParam >= 0x20) {
        if (TCustomForm* form = GetParentForm(this);
            form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
          return;
      }
      DefaultHandler(&m);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(m)) return;
      DefaultHandler(&m);
      return;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(m.WParam) == handle_ && LOWORD(DWORD_PTR(m.LParam)) == HTCLIENT) {
        TCursor cur = Screen->Cursor();
        if (cur == crDefault) {
          POINT p;
          GetCursorPos(&p);
          win::ScreenToClient(handle_, &p);
          TControl* c = ControlAtPos(p, false);
          if (c) cur = c->Cursor();
          if (cur == crDefault) cur = Cursor();
        }
        if (cur != crDefault) {
          win::SetCursor(Screen->Cursors(cur));
          m.Result = 1;
          return;
        }
      }
      DefaultHandler(&m);
      return;
    case WM_CAPTURECHANGED:
      if (captureControl && captureControl->parent_ == this &&
          reinterpret_cast<HWND>(m.LParam) != handle_)
        captureControl = nullptr;
      DefaultHandler(&m);
      return;
    case WM_COMMAND:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (reflect(m, reinterpret_cast<HWND>(m.LParam))) return;
      DefaultHandler(&m);
      return;
    case WM_DRAWITEM: {
      // An owner-drawn native child (a list box) draws through its control.
      auto* di = reinterpret_cast<const win::DRAWITEMSTRUCT*>(m.LParam);
      if (di && reflect(m, di->hwndItem)) return;
      DefaultHandler(&m);
      return;
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
      if (hdr && reflect(m, hdr->hwndFrom)) return;
      DefaultHandler(&m);
      return;
    }
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC:
      CNCtlColor(m);
      return;
    case CM_DIALOGKEY: CMDialogKey(m); return;
    case CM_DIALOGCHAR: Broadcast(m); return;
    case WM_MOUSEWHEEL:
      // The class library's controls pass the wheel up among themselves; a
      // top control nobody answered leaves it to the window system (which
      // hands a child window's wheel to its parent window).
    {
      const bool top = !Parent();  // read first: a handler may free this control
      m.Result = Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
      if (m.Result == 0 && top) DefaultHandler(&m);
      return;
    }
    case CM_FOCUSCHANGED: Broadcast(m); return;
    case CM_ENTER: CMEnter(m); return;
    case CM_EXIT: CMExit(m); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(m); return;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); return;
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCOLORCHANGED:
      TControl::Dispatch(&m);
      return;
    default: TControl::Dispatch(&m);
  }
}

void TWinControl::DefaultHandler(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  if (handle_) {
    if (m.Msg == WM_SETTEXT) TControl::DefaultHandler(message);
    // A CM_/CN_ message nobody handled stops here; the rest go to the window.
    if (m.Msg >= CM_BASE && m.Msg < CN_BASE + 0x400) return;
    m.Result = CallWindowProcW(defWndProc_, handle_, m.Msg, m.WParam, m.LParam);
    return;
  }
  TControl::DefaultHandler(message);
}

bool TWinControl::reflect(TMessage& m, HWND child) {
  TWinControl* c = FindControl(child);
  if (!c || c == this) return false;
  m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

void TWinControl::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  gdi::SetTextColor(dc, ColorToRGB(Font()->Color()));
  gdi::SetBkColor(dc, ColorToRGB(brush_->Color()));
  m.Result = reinterpret_cast<LRESULT>(brush_->Handle());
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled() && parent_) RemoveFocus(false);
  if (handle_) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
  Invalidate();
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!visible_ && parent_) RemoveFocus(false);
  UpdateControlState();
}

void TWinControl::CMFontChanged(TMessage& m) {
  TControl::CMFontChanged(m);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMColorChanged(TMessage& m) {
  brush_->SetColor(Color());
  TControl::CMColorChanged(m);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMDialogKey(TMessage& m) { Broadcast(m); }

// ---- painting

void TWinControl::PaintHandler(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  PAINTSTRUCT ps;
  const bool own = dc == nullptr;
  if (own) dc = BeginPaint(handle_, &ps);
  if (!dc) return;
  PaintWindow(dc);
  PaintControls(dc, nullptr);
  if (own && handle_) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC dc) {
  // Our own windows have nothing to paint beyond what a descendant draws;
  // a subclassed foreign window paints into the DC.
  if (defWndProc_ == &DefWindowProcW || !handle_) return;
  CallWindowProcW(defWndProc_, handle_, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = controls_.begin();
  if (first) it = std::find(controls_.begin(), controls_.end(), first);
  const std::vector<TControl*> list(it, controls_.end());
  for (TControl* c : list) {
    if (dynamic_cast<TWinControl*>(c) || !c->visible_) continue;
    const TRect r = c->BoundsRect();
    if (!gdi::RectVisible(dc, &r)) continue;
    const bool copy = controlState_.contains(TControlStateItem::csPaintCopy);
    if (copy) c->controlState_ += TControlStateItem::csPaintCopy;
    const int saved = gdi::SaveDC(dc);
    gdi::OffsetWindowOrgEx(dc, -c->left_, -c->top_, nullptr);
    gdi::IntersectClipRect(dc, 0, 0, c->width_, c->height_);
    rtl::ScopeExit restore([&] {
      gdi::RestoreDC(dc, saved);
      c->controlState_ -= TControlStateItem::csPaintCopy;
    });
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  HandleNeeded();
  controlState_ += TControlStateItem::csPaintCopy;
  const int saved = gdi::SaveDC(dc);
  gdi::OffsetWindowOrgEx(dc, -x, -y, nullptr);
  const TRect client = ClientRect();
  gdi::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  gdi::RestoreDC(dc, saved);
  controlState_ -= TControlStateItem::csPaintCopy;
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->visible_) w->PaintTo(dc, x + w->left_, y + w->top_);
  }
}

void TWinControl::Invalidate() {
  if (handle_)
    InvalidateRect(handle_, nullptr, ControlStyle().contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

// ---- focus and tab order

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  value = std::clamp(value, 0, int(list.size()));
  list.insert(list.begin() + value, this);
}

void TWinControl::SetParentBackground(bool value) {
  if (ParentBackground() == value) return;
  TControlStyle style = ControlStyle();
  if (value) style.Include(csParentBackground);
  else style.Exclude(csParentBackground);
  SetControlStyle(style);
  Invalidate();
}

void TWinControl::SetCtl3D(bool value) {
  parentCtl3D_ = false;
  if (ctl3D_ == value) return;
  ctl3D_ = value;
  Perform(CM_CTL3DCHANGED, 0, 0);
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (parentCtl3D_ == value) return;
  parentCtl3D_ = value;
  if (value && Parent()) {
    const bool inherited = Parent()->Ctl3D();
    if (ctl3D_ != inherited) {
      ctl3D_ = inherited;
      Perform(CM_CTL3DCHANGED, 0, 0);
      NotifyControls(CM_PARENTCTL3DCHANGED);
    }
  }
}

void TWinControl::SetTabStop(bool value) {
  if (tabStop_ == value) return;
  tabStop_ = value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    style = value ? (style | LONG_PTR(WS_TABSTOP)) : (style & ~LONG_PTR(WS_TABSTOP));
    SetWindowLongPtrW(handle_, GWL_STYLE, style);
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TControl* c = this; c != form; c = c->parent_)
    if (!c->visible_ || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this)) {
    form->FocusControl(this);
  } else if (parentWindow_) {
    win::SetFocus(Handle());
  } else {
    ValidParentForm(this);
  }
}

void TWinControl::RemoveFocus(bool removing) {
  if (TCustomForm* form = GetParentForm(this); form && form != this)
    form->DefocusControl(this, removing);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* c : tabList_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int n = int(list.size());
  int start = -1;
  if (current) {
    auto it = std::find(list.begin(), list.end(), current);
    if (it != list.end()) start = int(it - list.begin());
  }
  if (start < 0) start = goForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = goForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[size_t(i)];
    if ((!checkTabStop || c->tabStop_) && (!checkParent || c->parent_ == this) && c->CanFocus())
      return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop))
    next->SetFocus();
}

void TWinControl::WMSetFocus(TMessage&) {}
void TWinControl::WMKillFocus(TMessage&) {}

void TWinControl::DoEnter() {
  if (onEnter_) onEnter_(this);
}
void TWinControl::DoExit() {
  if (onExit_) onExit_(this);
}

// ---- keys

bool TWinControl::WantsKey(rtl::Word key) {
  LRESULT mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: return true;
  }
  if (Perform(CM_WANTSPECIALKEY, key, 0) != 0) return true;
  return (Perform(WM_GETDLGCODE, 0, 0) & mask) != 0;
}

bool TWinControl::isShortCutKey(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  TWMKey key{m.Msg, rtl::Word(m.WParam), m.LParam, 0};
  rtl::ScopeExit takenOnFailure([] { swallowKeyChar = true; });  // taken, even though its handler failed
  const bool handled = form->IsShortCut(key);
  takenOnFailure.Release();
  // Nothing of this control is touched now: the action may have freed it.
  if (handled) swallowKeyChar = true;
  return handled;
}

bool TWinControl::DoKeyDown(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN) {
    // Dialog keys first: Tab moves the focus, Enter and Esc press the
    // default and cancel buttons.
    const auto key = rtl::Word(m.WParam);
    if (form && form != this && !WantsKey(key) &&
        form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) {
      swallowKeyChar = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE;
      return true;
    }
  }
  if (form && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyDown(m))
    return true;
  if (ControlStyle().contains(csNoStdEvents)) return false;
  rtl::Word key = rtl::Word(m.WParam);
  KeyDown(key, KeyDataToShiftState(m.LParam));
  m.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyPress(m))
    return true;
  if (ControlStyle().contains(csNoStdEvents)) return false;
  rtl::Char ch = rtl::Char(m.WParam);
  KeyPress(ch);
  m.WParam = ch;
  return ch == 0;
}

bool TWinControl::DoKeyUp(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(m))
    return true;
  if (ControlStyle().contains(csNoStdEvents)) return false;
  rtl::Word key = rtl::Word(m.WParam);
  KeyUp(key, KeyDataToShiftState(m.LParam));
  m.WParam = key;
  return key == 0;
}

void TWinControl::KeyDown(rtl::Word& key, TShiftState shift) {
  if (onKeyDown_) onKeyDown_(this, key, shift);
}
void TWinControl::KeyPress(rtl::Char& key) {
  if (onKeyPress_) onKeyPress_(this, key);
}
void TWinControl::KeyUp(rtl::Word& key, TShiftState shift) {
  if (onKeyUp_) onKeyUp_(this, key, shift);
}

// ========================================================================= TGraphicControl

TGraphicControl::TGraphicControl(rtl::TComponent* owner) : TControl(owner) {
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  if (m.Msg != WM_PAINT || !m.WParam) {
    TControl::Dispatch(message);
    return;
  }
  canvas_->Lock();
  canvas_->FreeHandle();
  canvas_->SetHandle(reinterpret_cast<HDC>(m.WParam));
  rtl::ScopeExit release([this] {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
  });
  Paint();
}

// ========================================================================== TCustomControl

TCustomControl::TCustomControl(rtl::TComponent* owner) : TWinControl(owner) {
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
  // The canvas's DC belongs to the window, which goes in the base destructor.
  canvas_->FreeHandle();
}

void TCustomControl::PaintWindow(HDC dc) {
  canvas_->Lock();
  canvas_->FreeHandle();
  canvas_->SetHandle(dc);
  rtl::ScopeExit release([this] {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
  });
  Paint();
}

}  // namespace ui

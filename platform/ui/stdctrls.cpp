#include "platform/ui/stdctrls.h"

#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"
#include "platform/win/win.h"

namespace ui {

using namespace win;

namespace {

bool stdCtrlIsLoading(const rtl::TComponent* c) {
  return c->ComponentState().contains(rtl::TComponentStateItem::csLoading);
}

gdi::UINT alignmentFlags(TAlignment a) {
  switch (a) {
    case taRightJustify: return gdi::DT_RIGHT;
    case taCenter: return gdi::DT_CENTER;
    default: return gdi::DT_LEFT;
  }
}

void fillRect(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FillRect(r);
}

// Text through DrawTextW with the canvas's font, on no background.
void drawText(TCanvas* canvas, const String& text, TRect& rect, gdi::UINT flags) {
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  HDC dc = canvas->Handle();
  gdi::SetBkMode(dc, gdi::TRANSPARENT);
  gdi::DrawTextW(dc, text.c_str(), int(text.size()), &rect, flags);
}

}  // namespace

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
  for (int i = 0; i < width; ++i) {
    fillRect(canvas, TRect{rect.left, rect.top, rect.right - 1, rect.top + 1}, topColor);
    fillRect(canvas, TRect{rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topColor);
    fillRect(canvas, TRect{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomColor);
    fillRect(canvas, TRect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomColor);
    rect.left += 1;
    rect.top += 1;
    rect.right -= 1;
    rect.bottom -= 1;
  }
}

// ============================================================================= TCustomPanel

TCustomPanel::TCustomPanel(rtl::TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                   csDoubleClicks, csReplicatable, csParentBackground});
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::changed() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Invalidate();
}
void TCustomPanel::SetBevelInner(TBevelCut value) {
  bevelInner_ = value;
  changed();
}
void TCustomPanel::SetBevelOuter(TBevelCut value) {
  bevelOuter_ = value;
  changed();
}
void TCustomPanel::SetBevelWidth(int value) {
  bevelWidth_ = std::max(1, value);
  changed();
}
void TCustomPanel::SetBorderWidth(int value) {
  borderWidth_ = std::max(0, value);
  changed();
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
  int inset = borderWidth_;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  rect.left += inset;
  rect.top += inset;
  rect.right -= inset;
  rect.bottom -= inset;
}

void TCustomPanel::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  TCustomControl::Dispatch(message);
  if (m.Msg == CM_TEXTCHANGED) Invalidate();
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    const bool raised = cut == bvRaised;
    Frame3D(c, r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight,
            bevelWidth_);
  };
  bevel(bevelOuter_);
  Frame3D(c, r, Color(), Color(), borderWidth_);
  bevel(bevelInner_);
  fillRect(c, r, Color());
  c->Font()->Assign(Font());
  drawText(c, Caption(), r,
           gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_EXPANDTABS | alignmentFlags(alignment_));
}

// ============================================================================= TCustomLabel

TCustomLabel::TCustomLabel(rtl::TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() + csOpaque + csReplicatable);
  SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Invalidate();
}
void TCustomLabel::SetLayout(TTextLayout value) {
  layout_ = value;
  Invalidate();
}
void TCustomLabel::SetAutoSize(bool value) {
  autoSize_ = value;
  AdjustBounds();
}
void TCustomLabel::SetTransparent(bool value) {
  transparent_ = value;
  TControlStyle s = ControlStyle();
  SetControlStyle(value ? s - csOpaque : s + csOpaque);
  Invalidate();
}
void TCustomLabel::SetWordWrap(bool value) {
  wordWrap_ = value;
  AdjustBounds();
  Invalidate();
}
void TCustomLabel::SetShowAccelChar(bool value) {
  showAccelChar_ = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  if (focusControl_ == value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = value;
  if (value) value->FreeNotification(this);
}

void TCustomLabel::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && component == focusControl_) focusControl_ = nullptr;
}

gdi::UINT TCustomLabel::drawFlags() const {
  gdi::UINT f = gdi::DT_EXPANDTABS | alignmentFlags(alignment_);
  f |= wordWrap_ ? gdi::DT_WORDBREAK : gdi::DT_SINGLELINE;
  if (!wordWrap_) {
    if (layout_ == TTextLayout::tlCenter) f |= gdi::DT_VCENTER;
    if (layout_ == TTextLayout::tlBottom) f |= gdi::DT_BOTTOM;
  }
  if (!showAccelChar_) f |= gdi::DT_NOPREFIX;
  return f;
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || stdCtrlIsLoading(this)) return;
  HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, Font()->Handle());
  String text = Caption();
  if (text.empty()) text = u" ";
  TRect r{0, 0, wordWrap_ ? Width() : 0, 0};
  gdi::DrawTextW(dc, text.c_str(), int(text.size()), &r, drawFlags() | gdi::DT_CALCRECT);
  gdi::SelectObject(dc, old);
  gdi::DeleteDC(dc);
  int left = Left();
  const int w = r.right - r.left;
  // A label aligned right grows to the left, a centred one both ways.
  if (alignment_ == taRightJustify) left += Width() - w;
  if (alignment_ == taCenter) left += (Width() - w) / 2;
  SetBounds(left, Top(), w, r.bottom - r.top);
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  if (m.Msg == CM_DIALOGCHAR) {
    if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(rtl::Word(m.WParam), Caption()) &&
        focusControl_->CanFocus()) {
      focusControl_->SetFocus();
      m.Result = 1;
    }
    return;
  }
  TGraphicControl::Dispatch(message);
  if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED) {
    AdjustBounds();
    Invalidate();
  }
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent_) fillRect(c, r, Color());
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  drawText(c, Caption(), r, drawFlags());
}

// ================================================================================= TButton

TButton::TButton(rtl::TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csSetCaption, csDoubleClicks, csClickEvents, csCaptureMouse});
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  SetColor(clBtnFace);
}

void TButton::SetDefault(bool value) {
  default_ = value;
  if (TCustomForm* form = GetParentForm(this); !form || !dynamic_cast<TButton*>(form->ActiveControl()))
    active_ = value;
  Invalidate();
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TCustomControl::Click();
}

void TButton::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(rtl::Word(m.WParam), Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
      }
      return;
    case CM_DIALOGKEY:
      if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) &&
          KeyDataToShiftState(m.LParam).empty() && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      TCustomControl::Dispatch(message);
      return;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
      const bool was = active_;
      active_ = dynamic_cast<TButton*>(focused) ? focused == this : default_;
      if (was != active_) Invalidate();
      TCustomControl::Dispatch(message);
      return;
    }
    case CM_ENTER:
    case CM_EXIT:
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(message);
      Invalidate();
      return;
    default: TCustomControl::Dispatch(message);
  }
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && pressed_) {
    pressed_ = false;
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TButton::KeyDown(rtl::Word& key, TShiftState shift) {
  if (key == VK_SPACE && shift.empty()) {
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::KeyDown(key, shift);
}

void TButton::KeyUp(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE && pressed_) {
    pressed_ = false;
    Invalidate();
    Click();
  }
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (active_) {
    // The default button: one black line around.
    Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
  }
  if (pressed_) {
    Frame3D(c, r, clBtnShadow, clBtnShadow, 1);
  } else {
    Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
    Frame3D(c, r, cl3DLight, clBtnShadow, 1);
  }
  fillRect(c, r, Color());
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  TRect text = r;
  if (pressed_) {
    text.left += 1;
    text.top += 1;
    text.right += 1;
    text.bottom += 1;
  }
  drawText(c, Caption(), text, gdi::DT_SINGLELINE | gdi::DT_CENTER | gdi::DT_VCENTER);
  if (Focused()) {
    TRect f{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    gdi::DrawFocusRect(c->Handle(), &f);
  }
}

// ================================================================================ TCheckBox

TCheckBox::TCheckBox(rtl::TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csSetCaption, csDoubleClicks, csClickEvents, csCaptureMouse});
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCheckBox::SetState(TCheckBoxState value) {
  if (state_ == value) return;
  state_ = value;
  Invalidate();
  if (!clicking_ && !stdCtrlIsLoading(this)) TControl::Click();
}

void TCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(allowGrayed_ ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
  }
}

void TCheckBox::Click() {
  // The mouse's click: change the state, which tells OnClick once.
  Toggle();
}

void TCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && CanFocus() && !Focused()) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCheckBox::KeyUp(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE) Toggle();
}

void TCheckBox::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  if (m.Msg == WM_GETDLGCODE) {
    m.Result = DLGC_BUTTON;
    return;
  }
  if (m.Msg == CM_DIALOGCHAR) {
    // Its mnemonic focuses the box and toggles it, as a click would.
    if (IsAccel(rtl::Word(m.WParam), Caption()) && CanFocus()) {
      SetFocus();
      if (Focused()) Toggle();
      m.Result = 1;
    }
    return;
  }
  TCustomControl::Dispatch(message);
  if (m.Msg == CM_ENTER || m.Msg == CM_EXIT || m.Msg == CM_TEXTCHANGED) Invalidate();
}

void TCheckBox::Paint() {
  TCanvas* c = Canvas();
  const TRect client = ClientRect();
  fillRect(c, client, Color());
  const int size = 13;
  const int top = (client.bottom - size) / 2;
  TRect box{0, top, size, top + size};
  Frame3D(c, box, clBtnShadow, clBtnHighlight, 1);
  Frame3D(c, box, cl3DDkShadow, cl3DLight, 1);
  fillRect(c, box, state_ == cbGrayed || !Enabled() ? clBtnFace : clWindow);
  if (state_ != cbUnchecked) {
    // A check mark of three-pixel-high strokes.
    const TColor mark = state_ == cbGrayed || !Enabled() ? clGrayText : clWindowText;
    const int x0 = box.left + 1, y0 = box.top + 3;
    for (int i = 0; i < 7; ++i) {
      const int y = i < 3 ? y0 + i + 1 : y0 + 5 - i + 2;
      fillRect(c, TRect{x0 + i, y, x0 + i + 1, y + 3}, mark);
    }
  }
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  TRect text{size + 4, 0, client.right, client.bottom};
  drawText(c, Caption(), text, gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_LEFT);
  if (Focused()) {
    TRect f{text.left - 1, 1, std::min<int>(client.right, text.left + c->TextWidth(Caption()) + 1),
            client.bottom - 1};
    gdi::DrawFocusRect(c->Handle(), &f);
  }
}

// ============================================================================== TCustomEdit

namespace {

// Text measured with a font, on a DC of its own (no window needed).
class Measure {
 public:
  explicit Measure(TFont* font) {
    dc_ = gdi::CreateCompatibleDC(nullptr);
    old_ = gdi::SelectObject(dc_, font->Handle());
  }
  ~Measure() {
    gdi::SelectObject(dc_, old_);
    gdi::DeleteDC(dc_);
  }
  int Width(const String& text, size_t count) const {
    if (count == 0) return 0;
    gdi::SIZE size{};
    gdi::GetTextExtentPoint32W(dc_, text.c_str(), int(count), &size);
    return size.cx;
  }
  int Height() const {
    gdi::TEXTMETRICW tm;
    gdi::GetTextMetricsW(dc_, &tm);
    return tm.tmHeight;
  }

 private:
  HDC dc_;
  gdi::HGDIOBJ old_;
};

constexpr int kEditMargin = 2;

}  // namespace

TCustomEdit::TCustomEdit(rtl::TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks, csFixedHeight});
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);  // clWindow is also the default: say so
  SetCursor(crIBeam);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

String TCustomEdit::applyCase(const String& text) const {
  switch (charCase_) {
    case ecUpperCase: return rtl::AnsiUpperCase(text);
    case ecLowerCase: return rtl::AnsiLowerCase(text);
    default: return text;
  }
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (charCase_ == value) return;
  charCase_ = value;
  const String current = content();
  const String converted = applyCase(current);
  if (converted != current) setContent(converted, caret_, false);
}

void TCustomEdit::SetPasswordChar(rtl::Char value) {
  passwordChar_ = value;
  Invalidate();
}

String TCustomEdit::content() { return GetText(); }

String TCustomEdit::displayText() {
  String text = content();
  if (passwordChar_) text.assign(text.size(), passwordChar_);
  return text;
}

void TCustomEdit::Change() {
  if (onChange_) onChange_(this);
}

void TCustomEdit::setContent(const String& text, int caret, bool byUser) {
  const String converted = applyCase(text);
  anchor_ = caret_ = std::clamp(caret, 0, int(converted.size()));
  {
    rtl::ScopedValue<bool> setting(settingText_, true);
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(converted.c_str()));
  }
  if (byUser) modified_ = true;
  updateCaret();
}

bool TCustomEdit::replaceSelection(const String& text, bool typed) {
  if (readOnly_ && typed) return false;
  const String current = content();
  const int start = SelStart(), length = SelLength();
  String insert = applyCase(text);
  if (maxLength_ > 0) {
    const int room = maxLength_ - (int(current.size()) - length);
    if (room <= 0 && !insert.empty()) {
      MessageBeep(0);
      return false;
    }
    if (int(insert.size()) > room) insert.resize(size_t(room));
  }
  if (insert.empty() && length == 0) return false;
  undoText_ = current;
  undoCaret_ = caret_;
  canUndo_ = true;
  const String next =
      current.substr(0, size_t(start)) + insert + current.substr(size_t(start + length));
  setContent(next, start + int(insert.size()), true);
  return true;
}

void TCustomEdit::SetSelStart(int value) {
  anchor_ = caret_ = std::clamp(value, 0, int(content().size()));
  updateCaret();
  Invalidate();
}

void TCustomEdit::SetSelLength(int value) {
  const int len = int(content().size());
  anchor_ = SelStart();
  caret_ = std::clamp(anchor_ + value, 0, len);
  updateCaret();
  Invalidate();
}

String TCustomEdit::SelText() { return content().substr(size_t(SelStart()), size_t(SelLength())); }

void TCustomEdit::SetSelText(const String& value) { replaceSelection(value, false); }

void TCustomEdit::SelectAll() {
  anchor_ = 0;
  caret_ = int(content().size());
  updateCaret();
  Invalidate();
}

void TCustomEdit::ClearSelection() {
  if (SelLength() > 0) replaceSelection(String(), false);
}

void TCustomEdit::CopyToClipboard() {
  // A password does not leave the box.
  if (passwordChar_ || SelLength() == 0) return;
  const String text = SelText();
  if (!OpenClipboard(Handle())) return;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
  if (auto* p = static_cast<char16_t*>(GlobalLock(mem))) {
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
  }
  CloseClipboard();
}

void TCustomEdit::CutToClipboard() {
  if (passwordChar_ || readOnly_) return;
  CopyToClipboard();
  ClearSelection();
}

void TCustomEdit::PasteFromClipboard() {
  if (readOnly_ || !OpenClipboard(Handle())) return;
  String text;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    auto mem = static_cast<HGLOBAL>(h);
    const size_t units = GlobalSize(mem) / sizeof(char16_t);
    if (auto* p = static_cast<const char16_t*>(GlobalLock(mem))) {
      size_t n = 0;
      while (n < units && p[n] != 0) ++n;
      text.assign(p, n);
      GlobalUnlock(mem);
    }
  }
  CloseClipboard();
  // One line only in a single-line box.
  const auto lineEnd = multiLine() ? String::npos : text.find_first_of(u"\r\n");
  if (lineEnd != String::npos) text.resize(lineEnd);
  if (!text.empty()) replaceSelection(text, true);
}

void TCustomEdit::Undo() {
  if (!canUndo_) return;
  const String current = content();
  const int caret = caret_;
  setContent(undoText_, undoCaret_, true);
  undoText_ = current;
  undoCaret_ = caret;
}

// ---- caret and geometry

int TCustomEdit::textX(int index) {
  Measure m(Font());
  return kEditMargin - scroll_ + m.Width(displayText(), size_t(index));
}

int TCustomEdit::charAt(int x) {
  const String shown = displayText();
  Measure m(Font());
  int best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i <= shown.size(); ++i) {
    const int d = std::abs(kEditMargin - scroll_ + m.Width(shown, i) - x);
    if (d < bestDistance) {
      bestDistance = d;
      best = int(i);
    }
  }
  return best;
}

void TCustomEdit::updateCaret() {
  if (!HandleAllocated()) return;
  const int width = ClientWidth();
  int x = textX(caret_);
  if (x < kEditMargin) {
    scroll_ -= kEditMargin - x;
    x = kEditMargin;
  } else if (x > width - kEditMargin - 1) {
    scroll_ += x - (width - kEditMargin - 1);
    x = width - kEditMargin - 1;
  }
  if (scroll_ < 0) scroll_ = 0;
  x = textX(caret_);
  if (Focused()) {
    Measure m(Font());
    SetCaretPos(x, std::max(0, (ClientHeight() - m.Height()) / 2));
  }
}

void TCustomEdit::replaceContent(const String& text) {
  const int anchor = anchor_, caret = caret_;
  {
    rtl::ScopedValue<bool> setting(settingText_, true);
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  const int len = int(content().size());
  anchor_ = std::clamp(anchor, 0, len);
  caret_ = std::clamp(caret, 0, len);
  canUndo_ = false;
  updateCaret();
}

void TCustomEdit::moveCaret(int pos, bool extend) {
  caret_ = std::clamp(pos, 0, int(content().size()));
  if (!extend) anchor_ = caret_;
  updateCaret();
  Invalidate();
}

// ---- input

void TCustomEdit::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const bool ext = shift.contains(ssShift);
  const bool ctrl = shift.contains(ssCtrl);
  switch (key) {
    case VK_LEFT:
      moveCaret(!ext && SelLength() ? SelStart() : caret_ - 1, ext);
      break;
    case VK_RIGHT:
      moveCaret(!ext && SelLength() ? SelStart() + SelLength() : caret_ + 1, ext);
      break;
    case VK_HOME: moveCaret(0, ext); break;
    case VK_END: moveCaret(int(content().size()), ext); break;
    case VK_DELETE:
      if (ext) {
        CutToClipboard();
      } else if (!readOnly_) {
        if (SelLength() == 0) caret_ = std::min(caret_ + 1, int(content().size()));
        replaceSelection(String(), true);
      }
      break;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (ext) PasteFromClipboard();
      break;
    default:
      if (!ctrl) return;
      switch (key) {
        case 'A': SelectAll(); break;
        case 'C': CopyToClipboard(); break;
        case 'X': CutToClipboard(); break;
        case 'V': PasteFromClipboard(); break;
        case 'Z': Undo(); break;
        default: return;
      }
  }
  key = 0;
}

void TCustomEdit::KeyPress(rtl::Char& key) {
  TCustomControl::KeyPress(key);
  if (key == 0) return;
  if (key == u'\b') {
    if (!readOnly_) {
      if (SelLength() == 0 && caret_ > 0) anchor_ = caret_ - 1;
      replaceSelection(String(), true);
    }
    key = 0;
  } else if (key >= 0x20) {
    replaceSelection(String(1, key), true);
    key = 0;
  }
}

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    moveCaret(indexAt(x, y), shift.contains(ssShift));
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  if (shift.contains(ssLeft) && MouseCapture()) moveCaret(indexAt(x, y), true);
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  TCustomControl::DoEnter();
}

void TCustomEdit::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

void TCustomEdit::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case WM_SETTEXT: {
      const String converted =
          applyCase(m.LParam ? String(reinterpret_cast<LPCWSTR>(m.LParam)) : String());
      TMessage set{m.Msg, m.WParam, reinterpret_cast<LPARAM>(converted.c_str()), 0};
      TCustomControl::Dispatch(&set);
      m.Result = set.Result;
      if (!settingText_) {
        // Text set from outside: caret home, nothing to undo.
        anchor_ = caret_ = 0;
        scroll_ = 0;
        canUndo_ = false;
        modified_ = false;
      }
      Invalidate();
      Change();
      return;
    }
    case WM_GETDLGCODE: m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL; return;
    case WM_SETFOCUS: {
      TCustomControl::Dispatch(message);
      Measure fm(Font());
      CreateCaret(Handle(), nullptr, 1, fm.Height());
      updateCaret();
      ShowCaret(Handle());
      Invalidate();
      return;
    }
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(message);
      DestroyCaret();
      Invalidate();
      return;
    case EM_GETSEL: {
      const DWORD s = DWORD(SelStart()), e = DWORD(SelStart() + SelLength());
      if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = s;
      if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = e;
      m.Result = MAKELONG(WORD(s), WORD(e));
      return;
    }
    case EM_SETSEL: {
      const int len = int(content().size());
      int s = int(LONG_PTR(m.WParam)), e = int(m.LParam);
      if (s == -1) {
        anchor_ = caret_;  // keeps the caret, drops the selection
      } else {
        if (e < 0 || e > len) e = len;
        anchor_ = std::clamp(s, 0, len);
        caret_ = e;
      }
      updateCaret();
      Invalidate();
      return;
    }
    case EM_REPLACESEL: {
      const String text = m.LParam ? String(reinterpret_cast<LPCWSTR>(m.LParam)) : String();
      replaceSelection(text, false);
      if (!m.WParam) canUndo_ = false;  // the caller asked for no undo
      return;
    }
    case EM_LIMITTEXT: SetMaxLength(int(m.WParam)); return;
    case EM_GETLIMITTEXT: m.Result = maxLength_ ? maxLength_ : 0x7FFFFFFE; return;
    case EM_CANUNDO: m.Result = canUndo_; return;
    case EM_UNDO:
    case WM_UNDO:
      m.Result = canUndo_;
      Undo();
      return;
    case EM_EMPTYUNDOBUFFER: canUndo_ = false; return;
    case EM_SETPASSWORDCHAR: SetPasswordChar(rtl::Char(m.WParam)); return;
    case EM_GETPASSWORDCHAR: m.Result = passwordChar_; return;
    case EM_SETREADONLY: readOnly_ = m.WParam != 0; m.Result = TRUE; return;
    case EM_GETMODIFY: m.Result = modified_; return;
    case EM_SETMODIFY: modified_ = m.WParam != 0; return;
    case WM_CUT: CutToClipboard(); return;
    case WM_COPY: CopyToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case WM_CLEAR: if (!readOnly_) ClearSelection(); return;
    default: TCustomControl::Dispatch(message);
  }
}

void TCustomEdit::Paint() {
  TCanvas* c = Canvas();
  const TRect client = ClientRect();
  fillRect(c, client, Enabled() ? Color() : clBtnFace);
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  const String shown = displayText();
  Measure m(Font());
  const int y = std::max(0, (client.bottom - m.Height()) / 2);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextOut(kEditMargin - scroll_, y, shown);
  if (Focused() && SelLength() > 0) {
    const int s = SelStart(), e = s + SelLength();
    const int x1 = kEditMargin - scroll_ + m.Width(shown, size_t(s));
    const int x2 = kEditMargin - scroll_ + m.Width(shown, size_t(e));
    fillRect(c, TRect{x1, y, x2, y + m.Height()}, clHighlight);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetColor(clHighlightText);
    c->TextOut(x1, y, shown.substr(size_t(s), size_t(e - s)));
  }
}

}  // namespace ui

// ============================================================================== TCustomMemo

namespace ui {

namespace {

constexpr int kScrollBarSize = 16;

// Splits at CR LF, LF or CR; a trailing break ends the last line (the rows
// then show one more, empty, line).
template <class F>
void forEachLine(const String& text, F&& f) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    f(int(start), int(i));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  f(int(start), int(text.size()));
}

String joinLines(const std::vector<String>& lines) {
  String out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += u"\r\n";
    out += lines[i];
  }
  return out;
}

std::vector<String> splitLines(const String& text) {
  std::vector<String> out;
  if (text.empty()) return out;
  forEachLine(text, [&](int s, int e) { out.push_back(text.substr(size_t(s), size_t(e - s))); });
  // Count as the lines of a list: a break at the end closes the last line.
  if (out.size() > 1 && out.back().empty()) out.pop_back();
  return out;
}

}  // namespace

// ---- lines

String TMemoStrings::Get(int index) const {
  const auto lines = splitLines(memo_->content());
  if (index < 0 || index >= int(lines.size()))
    Error(u"List index out of bounds (%d)", index);
  return lines[size_t(index)];
}

int TMemoStrings::GetCount() const { return int(splitLines(memo_->content()).size()); }

void TMemoStrings::Put(int index, const String& s) {
  auto lines = splitLines(memo_->content());
  if (index < 0 || index >= int(lines.size()))
    Error(u"List index out of bounds (%d)", index);
  lines[size_t(index)] = s;
  const String text = memo_->content();
  const bool trailing = !text.empty() && (text.back() == u'\n' || text.back() == u'\r');
  memo_->replaceContent(joinLines(lines) + (trailing ? u"\r\n" : u""));
}

void TMemoStrings::Insert(int index, const String& s) {
  const String text = memo_->content();
  const auto lines = splitLines(text);
  if (index < 0 || index > int(lines.size()))
    Error(u"List index out of bounds (%d)", index);
  if (index == int(lines.size())) {
    // Appending: every added line ends with its break, as in a log.
    String next = text;
    if (!next.empty() && next.back() != u'\n' && next.back() != u'\r') next += u"\r\n";
    memo_->replaceContent(next + s + u"\r\n");
    return;
  }
  int pos = 0, line = 0;
  forEachLine(text, [&](int start, int) {
    if (line++ == index) pos = start;
  });
  memo_->replaceContent(text.substr(0, size_t(pos)) + s + u"\r\n" + text.substr(size_t(pos)));
}

void TMemoStrings::Delete(int index) {
  const String text = memo_->content();
  const auto lines = splitLines(text);
  if (index < 0 || index >= int(lines.size()))
    Error(u"List index out of bounds (%d)", index);
  int from = 0, to = 0, line = 0;
  forEachLine(text, [&](int start, int end) {
    if (line == index) from = start;
    if (line == index + 1) to = start;
    ++line;
  });
  if (index == int(lines.size()) - 1) to = int(text.size());
  memo_->replaceContent(text.substr(0, size_t(from)) + text.substr(size_t(to)));
}

void TMemoStrings::Clear() { memo_->replaceContent(String()); }

void TMemoStrings::SetTextStr(rtl::StringView text) {
  const auto lines = splitLines(String(text));
  memo_->replaceContent(lines.empty() ? String() : joinLines(lines) + u"\r\n");
}

void TMemoStrings::SetUpdateState(bool updating) {
  if (!updating) memo_->Invalidate();
}

// ---- memo

TCustomMemo::TCustomMemo(rtl::TComponent* owner) : TCustomEdit(owner) {
  lines_ = std::make_unique<TMemoStrings>(this);
  SetControlStyle(ControlStyle() - csFixedHeight);
  SetBounds(Left(), Top(), 185, 89);
  SetAutoSelect(false);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  if (scrollBars_ == value) return;
  scrollBars_ = value;
  updateCaret();
  Invalidate();
}

void TCustomMemo::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  scrollX_ = 0;
  updateCaret();
  Invalidate();
}

int TCustomMemo::lineHeight() {
  Measure m(Font());
  return std::max(1, m.Height());
}

TRect TCustomMemo::textRect() {
  TRect r = ClientRect();
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) r.right -= kScrollBarSize;
  if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == ssBoth) r.bottom -= kScrollBarSize;
  r.left += kEditMargin;
  r.top += 1;
  r.right = std::max(r.left, r.right - kEditMargin);
  r.bottom = std::max(r.top, r.bottom);
  return r;
}

std::vector<TCustomMemo::Row> TCustomMemo::logicalLines() {
  std::vector<Row> rows;
  forEachLine(content(), [&](int s, int e) { rows.push_back(Row{s, e - s}); });
  return rows;
}

std::vector<TCustomMemo::Row> TCustomMemo::layout() {
  std::vector<Row> lines = logicalLines();
  const int width = textRect().right - textRect().left;
  if (!wordWrap_ || width <= 0) return lines;
  const String text = content();
  Measure m(Font());
  std::vector<Row> rows;
  for (const Row& line : lines) {
    int start = line.start;
    const int end = line.start + line.length;
    do {
      // The longest piece that fits; broken after a space when there is one.
      const String rest = text.substr(size_t(start), size_t(end - start));
      if (m.Width(rest, rest.size()) <= width) {
        rows.push_back(Row{start, end - start});
        break;
      }
      int fit = 0;
      while (fit < int(rest.size()) && m.Width(rest, size_t(fit + 1)) <= width) ++fit;
      if (fit >= int(rest.size())) {
        rows.push_back(Row{start, end - start});
        break;
      }
      int cut = fit;
      while (cut > 0 && rest[size_t(cut - 1)] != u' ') --cut;
      if (cut == 0) cut = std::max(1, fit);
      rows.push_back(Row{start, cut});
      start += cut;
    } while (start < end);
  }
  return rows;
}

int TCustomMemo::rowOf(const std::vector<Row>& rows, int index) const {
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    const bool last = i + 1 == rows.size();
    // A wrap point belongs to the next row; a line's end to its own row.
    const bool continues = !last && rows[i + 1].start == r.start + r.length;
    if (index >= r.start && (index < r.start + r.length || (!continues && index == r.start + r.length)))
      return int(i);
    if (index < r.start) return std::max(0, int(i) - 1);
  }
  return std::max(0, int(rows.size()) - 1);
}

int TCustomMemo::RowCount() { return int(layout().size()); }

int TCustomMemo::VisibleRowCount() {
  const TRect r = textRect();
  return std::max(1, (r.bottom - r.top) / lineHeight());
}

TPoint TCustomMemo::CaretPos() {
  const auto lines = logicalLines();
  const int line = rowOf(lines, caret_);
  return TPoint{caret_ - lines[size_t(line)].start, line};
}

void TCustomMemo::SetCaretPos(TPoint value) {
  const auto lines = logicalLines();
  const int line = std::clamp(int(value.y), 0, int(lines.size()) - 1);
  const Row& r = lines[size_t(line)];
  moveCaret(r.start + std::clamp(int(value.x), 0, r.length), false);
}

void TCustomMemo::ScrollToEnd() { moveCaret(int(content().size()), false); }

void TCustomMemo::scrollTo(int row, int x) {
  const int maxTop = std::max(0, RowCount() - VisibleRowCount());
  row = std::clamp(row, 0, maxTop);
  x = wordWrap_ ? 0 : std::max(0, x);
  if (row == topRow_ && x == scrollX_) return;
  topRow_ = row;
  scrollX_ = x;
  Invalidate();
}

void TCustomMemo::updateCaret() {
  if (!HandleAllocated()) return;
  const auto rows = layout();
  const TRect r = textRect();
  const int lh = lineHeight();
  const int visible = VisibleRowCount();
  const int row = rowOf(rows, caret_);
  int top = topRow_;
  if (row < top) top = row;
  if (row >= top + visible) top = row - visible + 1;
  top = std::clamp(top, 0, std::max(0, int(rows.size()) - visible));
  const String text = content();
  const Row& cr = rows[size_t(row)];
  Measure m(Font());
  const int px = m.Width(text.substr(size_t(cr.start)), size_t(caret_ - cr.start));
  int sx = scrollX_;
  const int width = r.right - r.left;
  if (wordWrap_) sx = 0;
  else if (px < sx) sx = px;
  else if (px > sx + width - 1) sx = px - width + 1;
  if (top != topRow_ || sx != scrollX_) {
    topRow_ = top;
    scrollX_ = std::max(0, sx);
    Invalidate();
  }
  if (Focused())
    win::SetCaretPos(r.left + px - scrollX_, r.top + (row - topRow_) * lh);
}

int TCustomMemo::indexAt(int x, int y) {
  const auto rows = layout();
  const TRect r = textRect();
  const int row =
      std::clamp(topRow_ + (y - r.top) / lineHeight() - (y < r.top ? 1 : 0), 0, int(rows.size()) - 1);
  const Row& cr = rows[size_t(row)];
  const String piece = content().substr(size_t(cr.start), size_t(cr.length));
  Measure m(Font());
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i <= cr.length; ++i) {
    const int d = std::abs(r.left - scrollX_ + m.Width(piece, size_t(i)) - x);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return cr.start + best;
}

void TCustomMemo::Resize() {
  TCustomEdit::Resize();
  updateCaret();
  Invalidate();
}

void TCustomMemo::KeyDown(rtl::Word& key, TShiftState shift) {
  const bool ext = shift.contains(ssShift);
  const bool ctrl = shift.contains(ssCtrl);
  const String text = content();
  const auto isBreakPair = [&](int i) {
    return i > 0 && i < int(text.size()) && text[size_t(i - 1)] == u'\r' && text[size_t(i)] == u'\n';
  };
  switch (key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: {
      TCustomControl::KeyDown(key, shift);
      if (key == 0) return;
      const auto rows = layout();
      const int row = rowOf(rows, caret_);
      const int step = (key == VK_PRIOR || key == VK_NEXT) ? VisibleRowCount() : 1;
      const int target =
          std::clamp(row + ((key == VK_UP || key == VK_PRIOR) ? -step : step), 0, int(rows.size()) - 1);
      // Keep the caret's column in pixels.
      Measure m(Font());
      const Row& cr = rows[size_t(row)];
      const int px = m.Width(text.substr(size_t(cr.start)), size_t(caret_ - cr.start));
      const TRect r = textRect();
      if (target < topRow_) topRow_ = target;
      moveCaret(indexAt(r.left - scrollX_ + px, r.top + (target - topRow_) * lineHeight()), ext);
      key = 0;
      return;
    }
    case VK_HOME: case VK_END: {
      if (ctrl) break;  // the whole text, as in the edit
      TCustomControl::KeyDown(key, shift);
      if (key == 0) return;
      const auto rows = layout();
      const Row& cr = rows[size_t(rowOf(rows, caret_))];
      moveCaret(key == VK_HOME ? cr.start : cr.start + cr.length, ext);
      key = 0;
      return;
    }
    case VK_LEFT: case VK_RIGHT: {
      if (!ext && SelLength()) break;
      // A line break is one step.
      const int target = caret_ + (key == VK_LEFT ? -1 : 1);
      if (!isBreakPair(target)) break;
      TCustomControl::KeyDown(key, shift);
      if (key == 0) return;
      moveCaret(target + (key == VK_LEFT ? -1 : 1), ext);
      key = 0;
      return;
    }
    case VK_DELETE:
      if (!ext && !readOnly_ && SelLength() == 0 && isBreakPair(caret_ + 1)) {
        TCustomControl::KeyDown(key, shift);
        if (key == 0) return;
        anchor_ = caret_;
        caret_ += 2;
        replaceSelection(String(), true);
        key = 0;
        return;
      }
      break;
    default: break;
  }
  TCustomEdit::KeyDown(key, shift);
}

void TCustomMemo::KeyPress(rtl::Char& key) {
  if (key == u'\r' || key == u'\b') {
    TCustomControl::KeyPress(key);
    if (key == 0) return;
    if (!readOnly_) {
      if (key == u'\r') {
        replaceSelection(u"\r\n", true);
      } else {
        const String text = content();
        if (SelLength() == 0 && caret_ > 0) {
          anchor_ = caret_ - 1;
          if (caret_ >= 2 && text[size_t(caret_ - 2)] == u'\r' && text[size_t(caret_ - 1)] == u'\n')
            anchor_ = caret_ - 2;
        }
        replaceSelection(String(), true);
      }
    }
    key = 0;
    return;
  }
  TCustomEdit::KeyPress(key);
}

void TCustomMemo::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case WM_SETTEXT: {
      const bool fromOutside = !settingText_;
      TCustomEdit::Dispatch(message);
      if (fromOutside) {
        topRow_ = 0;
        scrollX_ = 0;
      }
      return;
    }
    case CM_WANTSPECIALKEY:
      // Enter breaks the line instead of pressing the default button.
      if (m.WParam == VK_RETURN) {
        m.Result = 1;
        return;
      }
      break;
    case EM_GETLINECOUNT: m.Result = LRESULT(RowCount()); return;
    case EM_GETFIRSTVISIBLELINE: m.Result = topRow_; return;
    case EM_LINEINDEX: {
      const auto rows = layout();
      const int row = int(LONG_PTR(m.WParam)) < 0 ? rowOf(rows, caret_) : int(m.WParam);
      m.Result = row < int(rows.size()) ? rows[size_t(row)].start : -1;
      return;
    }
    case EM_LINELENGTH: {
      const auto rows = layout();
      const int index = int(LONG_PTR(m.WParam)) < 0 ? caret_ : int(m.WParam);
      m.Result = rows[size_t(rowOf(rows, index))].length;
      return;
    }
    case EM_LINEFROMCHAR: {
      const auto rows = layout();
      m.Result = rowOf(rows, int(LONG_PTR(m.WParam)) < 0 ? caret_ : int(m.WParam));
      return;
    }
    case EM_LINESCROLL: {
      Measure fm(Font());
      scrollTo(topRow_ + int(m.LParam), scrollX_ + int(LONG_PTR(m.WParam)) * fm.Width(u"x", 1));
      m.Result = TRUE;
      return;
    }
    case EM_SCROLLCARET: updateCaret(); m.Result = TRUE; return;
    default: break;
  }
  TCustomEdit::Dispatch(message);
}

bool TCustomMemo::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  // The memo keeps the wheel, even part of a notch: its parent never scrolls
  // under it.
  TCustomEdit::DoMouseWheel(shift, wheelDelta, mousePos);
  return true;
}

// OnMouseWheelDown/Up first; unanswered, the memo scrolls three rows a notch.
bool TCustomMemo::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  if (!TCustomEdit::DoMouseWheelDown(shift, mousePos)) scrollTo(topRow_ + 3, scrollX_);
  return true;
}

bool TCustomMemo::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  if (!TCustomEdit::DoMouseWheelUp(shift, mousePos)) scrollTo(topRow_ - 3, scrollX_);
  return true;
}

void TCustomMemo::drawScrollBar(TCanvas* c, bool vertical, const TRect& area, int position,
                                int page, int total) {
  fillRect(c, area, clScrollBar);
  const int length = vertical ? area.bottom - area.top : area.right - area.left;
  const int button = std::min(kScrollBarSize, length / 2);
  // The two arrow buttons.
  for (int end = 0; end < 2; ++end) {
    TRect b = vertical ? TRect{area.left, end ? area.bottom - button : area.top, area.right,
                               end ? area.bottom : area.top + button}
                       : TRect{end ? area.right - button : area.left, area.top,
                               end ? area.right : area.left + button, area.bottom};
    fillRect(c, b, clBtnFace);
    TRect inner = b;
    Frame3D(c, inner, clBtnHighlight, clBtnShadow, 1);
    const int cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
    std::vector<TPoint> arrow;
    if (vertical)
      arrow = end ? std::vector<TPoint>{{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}}
                  : std::vector<TPoint>{{cx - 3, cy + 1}, {cx + 3, cy + 1}, {cx, cy - 2}};
    else
      arrow = end ? std::vector<TPoint>{{cx - 1, cy - 3}, {cx - 1, cy + 3}, {cx + 2, cy}}
                  : std::vector<TPoint>{{cx + 1, cy - 3}, {cx + 1, cy + 3}, {cx - 2, cy}};
    c->Pen()->SetColor(clBtnText);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(clBtnText);
    c->Polygon(arrow);
  }
  // The thumb, when there is more than a page.
  const int track = length - 2 * button;
  if (total <= page || track < 8) return;
  const int thumb = std::max(8, track * page / total);
  const int offset = (track - thumb) * position / std::max(1, total - page);
  TRect t = vertical ? TRect{area.left, area.top + button + offset, area.right,
                             area.top + button + offset + thumb}
                     : TRect{area.left + button + offset, area.top,
                             area.left + button + offset + thumb, area.bottom};
  fillRect(c, t, clBtnFace);
  Frame3D(c, t, clBtnHighlight, clBtnShadow, 1);
}

void TCustomMemo::Paint() {
  TCanvas* c = Canvas();
  const TRect client = ClientRect();
  fillRect(c, client, Enabled() ? Color() : clBtnFace);
  c->Font()->Assign(Font());
  const TColor textColor = Enabled() ? Font()->Color() : clGrayText;
  const String text = content();
  const auto rows = layout();
  const TRect r = textRect();
  const int lh = lineHeight();
  const int selStart = SelStart(), selEnd = SelStart() + SelLength();
  Measure m(Font());
  const int clipRight = r.right + kEditMargin;
  const int clipBottom = (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == ssBoth)
                             ? client.bottom - kScrollBarSize
                             : client.bottom;
  for (int i = topRow_; i < int(rows.size()); ++i) {
    const int y = r.top + (i - topRow_) * lh;
    if (y >= clipBottom) break;
    const Row& row = rows[size_t(i)];
    const String piece = text.substr(size_t(row.start), size_t(row.length));
    const int x = r.left - scrollX_;
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetColor(textColor);
    const TRect line{client.left, y, clipRight, std::min(y + lh, clipBottom)};
    c->TextRect(line, x, y, piece);
    const int s = std::clamp(selStart - row.start, 0, row.length);
    const int e = std::clamp(selEnd - row.start, 0, row.length);
    if (Focused() && e > s) {
      const int x1 = x + m.Width(piece, size_t(s)), x2 = x + m.Width(piece, size_t(e));
      const TRect band{std::max(x1, int(line.left)), y, std::min(x2, int(line.right)), line.bottom};
      fillRect(c, band, clHighlight);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->Font()->SetColor(clHighlightText);
      c->TextRect(band, x1, y, piece.substr(size_t(s), size_t(e - s)));
    }
  }
  const bool vertical = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
  const bool horizontal = scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == ssBoth;
  if (vertical)
    drawScrollBar(c, true,
                  TRect{client.right - kScrollBarSize, client.top, client.right,
                        horizontal ? client.bottom - kScrollBarSize : client.bottom},
                  topRow_, VisibleRowCount(), int(rows.size()));
  if (horizontal) {
    int widest = 0;
    if (!wordWrap_)
      for (const Row& row : rows)
        widest = std::max(widest, m.Width(text.substr(size_t(row.start)), size_t(row.length)));
    drawScrollBar(c, false,
                  TRect{client.left, client.bottom - kScrollBarSize,
                        vertical ? client.right - kScrollBarSize : client.right, client.bottom},
                  scrollX_, r.right - r.left, widest + 1);
  }
  if (vertical && horizontal)
    fillRect(c, TRect{client.right - kScrollBarSize, client.bottom - kScrollBarSize, client.right,
                      client.bottom},
             clBtnFace);
}

}  // namespace ui

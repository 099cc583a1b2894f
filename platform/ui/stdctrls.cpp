#include "platform/ui/stdctrls.h"

#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/rtl/ustring.h"
#include "platform/win/win.h"

namespace ui {

using namespace win;

namespace {

bool isLoading(const rtl::TComponent* c) {
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
  if (!autoSize_ || isLoading(this)) return;
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
  if (!clicking_ && !isLoading(this)) TControl::Click();
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
  settingText_ = true;
  try {
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(converted.c_str()));
  } catch (...) {
    settingText_ = false;
    throw;
  }
  settingText_ = false;
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
  // One line only.
  const auto lineEnd = text.find_first_of(u"\r\n");
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
    moveCaret(charAt(x), shift.contains(ssShift));
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  if (shift.contains(ssLeft) && MouseCapture()) moveCaret(charAt(x), true);
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

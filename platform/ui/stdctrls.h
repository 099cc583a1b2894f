#pragma once
// Standard controls drawn by the class library itself: panel, label, push
// button and check box.
#include <algorithm>
#include <cstdlib>

#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/rtl/stringlist.h"

namespace ui {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
constexpr TAlignment taLeftJustify = TAlignment::taLeftJustify;
constexpr TAlignment taRightJustify = TAlignment::taRightJustify;
constexpr TAlignment taCenter = TAlignment::taCenter;

enum class TTextLayout { tlTop, tlCenter, tlBottom };

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
constexpr TBevelCut bvNone = TBevelCut::bvNone;
constexpr TBevelCut bvLowered = TBevelCut::bvLowered;
constexpr TBevelCut bvRaised = TBevelCut::bvRaised;

// Draws `width` lines of a 3D frame inside `rect` (top-left in `topColor`,
// bottom-right in `bottomColor`) and shrinks `rect` by them.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

// ---- panel -------------------------------------------------------------------------------
class TCustomPanel : public TCustomControl {
  RTL_CLASS(TCustomPanel, TCustomControl)

 public:
  explicit TCustomPanel(rtl::TComponent* owner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);

  void Dispatch(void* message) override;

 protected:
  void Paint() override;
  // Children are laid out inside the bevels and the border.
  void AdjustClientRect(TRect& rect) override;

 private:
  void changed();

  TAlignment alignment_ = taCenter;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
};

class TPanel : public TCustomPanel {
  RTL_CLASS(TPanel, TCustomPanel)

 public:
  explicit TPanel(rtl::TComponent* owner) : TCustomPanel(owner) {}
};

// ---- label -------------------------------------------------------------------------------
class TCustomLabel : public TGraphicControl {
  RTL_CLASS(TCustomLabel, TGraphicControl)

 public:
  explicit TCustomLabel(rtl::TComponent* owner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  // Sizes the label to its text whenever text or font change.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // "&x" underlines x when on; shows "&" when off.
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // The control that gets the focus when the label's mnemonic is pressed.
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);

  void Dispatch(void* message) override;

 protected:
  void Paint() override;
  void Loaded() override;
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;
  void AdjustBounds();

 private:
  gdi::UINT drawFlags() const;

  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool autoSize_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;  // not owned; cleared when it goes
};

class TLabel : public TCustomLabel {
  RTL_CLASS(TLabel, TCustomLabel)

 public:
  explicit TLabel(rtl::TComponent* owner) : TCustomLabel(owner) {}
};

// ---- push button ---------------------------------------------------------------------------
class TButton : public TCustomControl {
  RTL_CLASS(TButton, TCustomControl)

 public:
  explicit TButton(rtl::TComponent* owner);

  // Enter presses the default button (unless another button has the focus),
  // Esc the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Given to the form when the button is clicked (ends a modal form).
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }

  void Click() override;
  void Dispatch(void* message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyUp(rtl::Word& key, TShiftState shift) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;  // answers Enter now
  bool pressed_ = false;
  TModalResult modalResult_ = mrNone;
};

// ---- check box -----------------------------------------------------------------------------
enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
constexpr TCheckBoxState cbUnchecked = TCheckBoxState::cbUnchecked;
constexpr TCheckBoxState cbChecked = TCheckBoxState::cbChecked;
constexpr TCheckBoxState cbGrayed = TCheckBoxState::cbGrayed;

class TCheckBox : public TCustomControl {
  RTL_CLASS(TCheckBox, TCustomControl)

 public:
  explicit TCheckBox(rtl::TComponent* owner);

  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  // A change of state is a click (OnClick), as when the user toggles it.
  void SetState(TCheckBoxState value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }
  // Next state: unchecked, checked, then grayed when allowed.
  void Toggle();
  void Dispatch(void* message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyUp(rtl::Word& key, TShiftState shift) override;
  void Click() override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  bool clicking_ = false;
};

// ---- single-line edit ----------------------------------------------------------------------
constexpr win::UINT EM_GETSEL = 0x00B0;
constexpr win::UINT EM_SETSEL = 0x00B1;
constexpr win::UINT EM_GETMODIFY = 0x00B8;
constexpr win::UINT EM_SETMODIFY = 0x00B9;
constexpr win::UINT EM_REPLACESEL = 0x00C2;
constexpr win::UINT EM_LIMITTEXT = 0x00C5;
constexpr win::UINT EM_CANUNDO = 0x00C6;
constexpr win::UINT EM_UNDO = 0x00C7;
constexpr win::UINT EM_SETPASSWORDCHAR = 0x00CC;
constexpr win::UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr win::UINT EM_GETPASSWORDCHAR = 0x00D2;
constexpr win::UINT EM_SETREADONLY = 0x00CF;
constexpr win::UINT EM_GETLIMITTEXT = 0x00D5;

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
constexpr TEditCharCase ecNormal = TEditCharCase::ecNormal;
constexpr TEditCharCase ecUpperCase = TEditCharCase::ecUpperCase;
constexpr TEditCharCase ecLowerCase = TEditCharCase::ecLowerCase;

// Our own single-line editor: caret and selection by keys and mouse, undo of
// the last change, the clipboard, and the EM_* messages. Every change of the
// text (typed or set) calls OnChange.
class TCustomEdit : public TCustomControl {
  RTL_CLASS(TCustomEdit, TCustomControl)

 public:
  explicit TCustomEdit(rtl::TComponent* owner);

  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  rtl::Char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(rtl::Char value);
  // 0: no limit. Typing and pasting stop at it; setting Text does not.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value) { maxLength_ = value < 0 ? 0 : value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }

  int SelStart() const { return std::min(anchor_, caret_); }
  void SetSelStart(int value);
  int SelLength() const { return std::abs(caret_ - anchor_); }
  void SetSelLength(int value);
  String SelText();
  void SetSelText(const String& value);
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(String()); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanUndo() const { return canUndo_; }
  void Undo();
  void ClearUndo() { canUndo_ = false; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& v) { onChange_ = v; }
  void Dispatch(void* message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  virtual void Change();
  void Paint() override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(rtl::Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  // The editing below is shared with the memo, which only lays the text out
  // in rows: it overrides where the caret goes and which index a point hits.
  String content();
  String displayText();
  // Replaces the selection, keeping the undo state; false when nothing fits.
  bool replaceSelection(const String& text, bool typed);
  void setContent(const String& text, int caret, bool byUser);
  // Sets the text as the program's (not the user's) change, keeping the
  // caret and selection where they still fit; nothing is left to undo.
  void replaceContent(const String& text);
  void moveCaret(int pos, bool extend);
  // The text index nearest to a client point.
  virtual int indexAt(int x, int y) { return charAt(x); }
  // Scrolls the caret into view and places the system caret.
  virtual void updateCaret();
  // Whether pasted text keeps its line breaks.
  virtual bool multiLine() const { return false; }
  String applyCase(const String& text) const;
  int anchor_ = 0;
  int caret_ = 0;
  bool readOnly_ = false;
  bool settingText_ = false;  // our own WM_SETTEXT: keep caret and undo

 private:
  int charAt(int x);
  int textX(int index);

  TEditCharCase charCase_ = ecNormal;
  rtl::Char passwordChar_ = 0;
  int maxLength_ = 0;
  bool modified_ = false;
  bool autoSelect_ = true;
  int scroll_ = 0;  // pixels of text hidden at the left
  bool canUndo_ = false;
  String undoText_;
  int undoCaret_ = 0;
  TNotifyEvent onChange_;
};

class TEdit : public TCustomEdit {
  RTL_CLASS(TEdit, TCustomEdit)

 public:
  explicit TEdit(rtl::TComponent* owner) : TCustomEdit(owner) {}
};

// ---- multi-line edit -----------------------------------------------------------------------
constexpr win::UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr win::UINT EM_GETLINECOUNT = 0x00BA;
constexpr win::UINT EM_LINEINDEX = 0x00BB;
constexpr win::UINT EM_LINELENGTH = 0x00C1;
constexpr win::UINT EM_LINEFROMCHAR = 0x00C9;
constexpr win::UINT EM_LINESCROLL = 0x00B6;
constexpr win::UINT EM_SCROLLCARET = 0x00B7;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
constexpr TScrollStyle ssNone = TScrollStyle::ssNone;
// (ssHorizontal is taken by the shift state: write TScrollStyle::ssHorizontal)
constexpr TScrollStyle ssVertical = TScrollStyle::ssVertical;
constexpr TScrollStyle ssBoth = TScrollStyle::ssBoth;

class TCustomMemo;

// The memo's lines: reads and writes go straight to the memo's text (lines
// broken by CR LF), so Lines and Text never disagree.
class TMemoStrings : public rtl::TStrings {
  RTL_CLASS(TMemoStrings, rtl::TStrings)

 public:
  explicit TMemoStrings(TCustomMemo* memo) : memo_(memo) {}
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const String& s) override;

 protected:
  String Get(int index) const override;
  int GetCount() const override;
  void Put(int index, const String& s) override;
  void SetTextStr(rtl::StringView text) override;
  void SetUpdateState(bool updating) override;

 private:
  TCustomMemo* memo_;
};

// A multi-line editor on the single-line one's editing: the same selection,
// undo, clipboard and EM_* messages, with the text laid out in rows (wrapped
// at the width when WordWrap is on) and scrolled by rows and pixels.
class TCustomMemo : public TCustomEdit {
  RTL_CLASS(TCustomMemo, TCustomEdit)

 public:
  explicit TCustomMemo(rtl::TComponent* owner);
  ~TCustomMemo() override;

  rtl::TStrings* Lines() const { return lines_.get(); }
  void SetLines(rtl::TStrings* value) { lines_->Assign(value); }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // Row shown at the top (a row is a line, or a piece of one when wrapped).
  int TopRow() const { return topRow_; }
  int RowCount();
  int VisibleRowCount();
  // Moves the caret to the end of the text and scrolls it into view (a log
  // pane calls this after Lines()->Add).
  void ScrollToEnd();
  // The caret's line and column (both from 0).
  TPoint CaretPos();
  void SetCaretPos(TPoint value);

  void Dispatch(void* message) override;

 protected:
  void Paint() override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(rtl::Char& key) override;
  void Resize() override;
  int indexAt(int x, int y) override;
  void updateCaret() override;
  bool multiLine() const override { return true; }
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;

 private:
  friend class TMemoStrings;
  struct Row {
    int start;
    int length;
  };
  // Lines of the text as [start, end) pairs, breaks excluded.
  std::vector<Row> logicalLines();
  std::vector<Row> layout();
  TRect textRect();
  int rowOf(const std::vector<Row>& rows, int index) const;
  int lineHeight();
  void scrollTo(int row, int x);
  void drawScrollBar(TCanvas* c, bool vertical, const TRect& area, int position, int page,
                     int total);

  std::unique_ptr<TMemoStrings> lines_;
  TScrollStyle scrollBars_ = ssNone;
  bool wordWrap_ = true;
  int topRow_ = 0;
  int scrollX_ = 0;
};

class TMemo : public TCustomMemo {
  RTL_CLASS(TMemo, TCustomMemo)

 public:
  explicit TMemo(rtl::TComponent* owner) : TCustomMemo(owner) {}
};

}  // namespace ui

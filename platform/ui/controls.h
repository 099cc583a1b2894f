#pragma once
// Controls: TControl (bounds, alignment and anchors, visibility, font and
// colour inherited from the parent, mouse, messages), TWinControl (a window
// made on demand, children, focus and tab order, keys), TGraphicControl
// (drawn on its parent's window) and TCustomControl (a window with a canvas).
//
// Messages reach a control through WindowProc (WndProc by default), which
// hands them to Dispatch: each class overrides Dispatch with a switch over
// the messages it handles and passes the rest to its parent class, ending in
// DefaultHandler (the window's previous procedure for a TWinControl).
#include <memory>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/ui/actions.h"
#include "platform/ui/canvas.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphics.h"
#include "platform/ui/shortcuts.h"
#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace ui {

using rtl::String;
using rtl::TNotifyEvent;

// ---- messages --------------------------------------------------------------------------
struct TMessage {
  win::UINT Msg = 0;
  win::WPARAM WParam = 0;
  win::LPARAM LParam = 0;
  win::LRESULT Result = 0;
};

constexpr win::UINT CM_BASE = 0xB000;
constexpr win::UINT CM_ACTIVATE = CM_BASE + 0;
constexpr win::UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr win::UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr win::UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr win::UINT CM_CANCELMODE = CM_BASE + 4;
constexpr win::UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr win::UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr win::UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr win::UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr win::UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr win::UINT CM_HITTEST = CM_BASE + 10;
constexpr win::UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr win::UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr win::UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr win::UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr win::UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr win::UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr win::UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr win::UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr win::UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr win::UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr win::UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr win::UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr win::UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr win::UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr win::UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr win::UINT CM_ENTER = CM_BASE + 26;
constexpr win::UINT CM_EXIT = CM_BASE + 27;
constexpr win::UINT CM_DESIGNHITTEST = CM_BASE + 28;
constexpr win::UINT CM_ICONCHANGED = CM_BASE + 29;
constexpr win::UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr win::UINT CM_INVOKEHELP = CM_BASE + 31;
constexpr win::UINT CM_WINDOWHOOK = CM_BASE + 32;
constexpr win::UINT CM_RELEASE = CM_BASE + 33;
constexpr win::UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr win::UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr win::UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr win::UINT CM_WININICHANGE = CM_BASE + 37;
constexpr win::UINT CM_FONTCHANGE = CM_BASE + 38;
constexpr win::UINT CM_TIMECHANGE = CM_BASE + 39;
constexpr win::UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr win::UINT CM_UIACTIVATE = CM_BASE + 41;
constexpr win::UINT CM_UIDEACTIVATE = CM_BASE + 42;
constexpr win::UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr win::UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr win::UINT CM_GETDATALINK = CM_BASE + 45;
constexpr win::UINT CM_CHILDKEY = CM_BASE + 46;
constexpr win::UINT CM_DRAG = CM_BASE + 47;
constexpr win::UINT CM_HINTSHOW = CM_BASE + 48;
constexpr win::UINT CM_DIALOGHANDLE = CM_BASE + 49;
constexpr win::UINT CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr win::UINT CM_RECREATEWND = CM_BASE + 51;
constexpr win::UINT CM_INVALIDATE = CM_BASE + 52;
constexpr win::UINT CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr win::UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr win::UINT CM_CHANGED = CM_BASE + 55;
constexpr win::UINT CM_DOCKCLIENT = CM_BASE + 56;
constexpr win::UINT CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr win::UINT CM_FLOAT = CM_BASE + 58;
constexpr win::UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr win::UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr win::UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr win::UINT CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
constexpr win::UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr win::UINT CM_ACTIONEXECUTE = CM_BASE + 64;
constexpr win::UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr win::UINT CM_DOCKNOTIFICATION = CM_BASE + 66;
constexpr win::UINT CM_MOUSEWHEEL = CM_BASE + 67;
constexpr win::UINT CM_ISSHORTCUT = CM_BASE + 68;

// Messages a parent window gets about a child window come back to the child
// as CN_BASE + the message.
constexpr win::UINT CN_BASE = 0xBC00;
constexpr win::UINT CN_CHARTOITEM = CN_BASE + 0x002F;
constexpr win::UINT CN_COMMAND = CN_BASE + win::WM_COMMAND;
constexpr win::UINT CN_COMPAREITEM = CN_BASE + 0x0039;
constexpr win::UINT CN_CTLCOLORBTN = CN_BASE + win::WM_CTLCOLORBTN;
constexpr win::UINT CN_CTLCOLORDLG = CN_BASE + win::WM_CTLCOLORDLG;
constexpr win::UINT CN_CTLCOLOREDIT = CN_BASE + win::WM_CTLCOLOREDIT;
constexpr win::UINT CN_CTLCOLORLISTBOX = CN_BASE + win::WM_CTLCOLORLISTBOX;
constexpr win::UINT CN_CTLCOLORMSGBOX = CN_BASE + win::WM_CTLCOLORMSGBOX;
constexpr win::UINT CN_CTLCOLORSCROLLBAR = CN_BASE + win::WM_CTLCOLORSCROLLBAR;
constexpr win::UINT CN_CTLCOLORSTATIC = CN_BASE + win::WM_CTLCOLORSTATIC;
constexpr win::UINT CN_DELETEITEM = CN_BASE + 0x002D;
constexpr win::UINT CN_DRAWITEM = CN_BASE + win::WM_DRAWITEM;
constexpr win::UINT CN_HSCROLL = CN_BASE + win::WM_HSCROLL;
constexpr win::UINT CN_MEASUREITEM = CN_BASE + win::WM_MEASUREITEM;
constexpr win::UINT CN_PARENTNOTIFY = CN_BASE + win::WM_PARENTNOTIFY;
constexpr win::UINT CN_VKEYTOITEM = CN_BASE + 0x002E;
constexpr win::UINT CN_VSCROLL = CN_BASE + win::WM_VSCROLL;
constexpr win::UINT CN_KEYDOWN = CN_BASE + win::WM_KEYDOWN;
constexpr win::UINT CN_KEYUP = CN_BASE + win::WM_KEYUP;
constexpr win::UINT CN_CHAR = CN_BASE + win::WM_CHAR;
constexpr win::UINT CN_SYSKEYDOWN = CN_BASE + win::WM_SYSKEYDOWN;
constexpr win::UINT CN_SYSCHAR = CN_BASE + win::WM_SYSCHAR;
constexpr win::UINT CN_NOTIFY = CN_BASE + win::WM_NOTIFY;

// WM_GETDLGCODE answers.
constexpr win::LRESULT DLGC_WANTARROWS = 0x0001;
constexpr win::LRESULT DLGC_WANTTAB = 0x0002;
constexpr win::LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr win::LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr win::LRESULT DLGC_HASSETSEL = 0x0008;
constexpr win::LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr win::LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr win::LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr win::LRESULT DLGC_WANTCHARS = 0x0080;
constexpr win::LRESULT DLGC_STATIC = 0x0100;
constexpr win::LRESULT DLGC_BUTTON = 0x2000;

// The header of a WM_NOTIFY record.
struct NMHDR {
  win::HWND hwndFrom = nullptr;
  win::UINT_PTR idFrom = 0;
  win::UINT code = 0;
};

// ---- enumerations and sets -------------------------------------------------------------
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
constexpr TAlign alNone = TAlign::alNone;
constexpr TAlign alTop = TAlign::alTop;
constexpr TAlign alBottom = TAlign::alBottom;
constexpr TAlign alLeft = TAlign::alLeft;
constexpr TAlign alRight = TAlign::alRight;
constexpr TAlign alClient = TAlign::alClient;
constexpr TAlign alCustom = TAlign::alCustom;

enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = rtl::Set<TAnchorKind, 4>;
constexpr TAnchorKind akLeft = TAnchorKind::akLeft;
constexpr TAnchorKind akTop = TAnchorKind::akTop;
constexpr TAnchorKind akRight = TAnchorKind::akRight;
constexpr TAnchorKind akBottom = TAnchorKind::akBottom;

enum class TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents,
  csNeedsBorderPaint, csParentBackground, csPannable, csAlignWithMargins, csGestures,
  csPaintBlackOpaqueOnGlass, csOverrideStylePaint
};
using TControlStyle = rtl::Set<TControlStyleItem, 24>;
constexpr TControlStyleItem csAcceptsControls = TControlStyleItem::csAcceptsControls;
constexpr TControlStyleItem csCaptureMouse = TControlStyleItem::csCaptureMouse;
constexpr TControlStyleItem csClickEvents = TControlStyleItem::csClickEvents;
constexpr TControlStyleItem csFramed = TControlStyleItem::csFramed;
constexpr TControlStyleItem csSetCaption = TControlStyleItem::csSetCaption;
constexpr TControlStyleItem csOpaque = TControlStyleItem::csOpaque;
constexpr TControlStyleItem csDoubleClicks = TControlStyleItem::csDoubleClicks;
constexpr TControlStyleItem csFixedWidth = TControlStyleItem::csFixedWidth;
constexpr TControlStyleItem csFixedHeight = TControlStyleItem::csFixedHeight;
constexpr TControlStyleItem csNoStdEvents = TControlStyleItem::csNoStdEvents;
constexpr TControlStyleItem csReplicatable = TControlStyleItem::csReplicatable;
constexpr TControlStyleItem csParentBackground = TControlStyleItem::csParentBackground;

enum class TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide, csPanning,
  csRecreating, csAligning, csGlassPaint, csPrintClient
};
using TControlState = rtl::Set<TControlStateItem, 17>;

enum class TDragMode { dmManual, dmAutomatic };
constexpr TDragMode dmManual = TDragMode::dmManual;
constexpr TDragMode dmAutomatic = TDragMode::dmAutomatic;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
constexpr TMouseButton mbLeft = TMouseButton::mbLeft;
constexpr TMouseButton mbRight = TMouseButton::mbRight;
constexpr TMouseButton mbMiddle = TMouseButton::mbMiddle;

// Cursor ids: negative ids are the built-in cursors (TScreen::Cursors).
using TCursor = short;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

using TMouseEvent =
    rtl::Method<void(rtl::TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = rtl::Method<void(rtl::TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = rtl::Method<void(rtl::TObject* sender, rtl::Word& key, TShiftState shift)>;
using TKeyPressEvent = rtl::Method<void(rtl::TObject* sender, rtl::Char& key)>;
// `mousePos` in screen coordinates; set `handled` to stop the wheel here.
using TMouseWheelEvent = rtl::Method<void(rtl::TObject* sender, TShiftState shift, int wheelDelta,
                                          TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent =
    rtl::Method<void(rtl::TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;
using TWndMethod = rtl::Method<void(TMessage& message)>;

// ---- drag and drop between controls (the drag objects: dragdrop.h)
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
constexpr TDragState dsDragEnter = TDragState::dsDragEnter;
constexpr TDragState dsDragLeave = TDragState::dsDragLeave;
constexpr TDragState dsDragMove = TDragState::dsDragMove;
class TDragObject;
class TDragImageList;
// The drag's object may be supplied here; the drag owns it.
using TStartDragEvent = rtl::Method<void(rtl::TObject* sender, std::unique_ptr<TDragObject>& dragObject)>;
// `target`: the control that took the drop, nil when the drag was cancelled.
using TEndDragEvent = rtl::Method<void(rtl::TObject* sender, rtl::TObject* target, int x, int y)>;
// `source` is the drag object; set `accept` to take a drop here.
using TDragOverEvent =
    rtl::Method<void(rtl::TObject* sender, rtl::TObject* source, int x, int y, TDragState state, bool& accept)>;
using TDragDropEvent = rtl::Method<void(rtl::TObject* sender, rtl::TObject* source, int x, int y)>;

// Shift state of a key message's lParam (Alt from bit 29) and of the keyboard now.
TShiftState KeyDataToShiftState(win::LPARAM keyData);
TShiftState KeyboardStateToShiftState();

class TWinControl;
class TCustomForm;
class TControlActionLink;

// ---- TControl -------------------------------------------------------------------------
class TControl : public rtl::TComponent {
  RTL_CLASS(TControl, rtl::TComponent)

 public:
  explicit TControl(rtl::TComponent* owner);
  // Leaves the parent; a control still under the mouse or capture forgets it.
  ~TControl() override;

  // ---- parent
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* value);
  bool HasParent() const override { return true; }
  rtl::TComponent* GetParentComponent() const override;
  void SetParentComponent(rtl::TComponent* value) override;

  // ---- bounds (the parent's client coordinates; the screen's for a form)
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return TRect{left_, top_, left_ + width_, top_ + height_}; }
  void SetBoundsRect(const TRect& r) { SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); }
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().right; }
  int ClientHeight() { return ClientRect().bottom; }
  void SetClientWidth(int value);
  void SetClientHeight(int value);
  TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint point);
  TPoint ScreenToClient(TPoint point);

  // ---- alignment and anchors
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);

  // ---- visibility and state
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Visible here and in every parent (a window: shown on the screen).
  virtual bool Showing() const;
  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState value) { controlState_ = value; }

  // ---- font, colour, cursor, hint
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);

  // ---- text (the window's text for a TWinControl with a handle)
  String Caption() { return GetText(); }
  void SetCaption(const String& value) { SetText(value); }
  String Text() { return GetText(); }
  void SetText(const String& value);

  // ---- dragging: dmAutomatic starts a drag when the left button goes down
  TDragMode DragMode() const { return dragMode_; }
  virtual void SetDragMode(TDragMode value) { dragMode_ = value; }
  // Runs a drag of this control until the left button is released (a drop
  // on the control under the pointer when it accepts), Escape is pressed or
  // the capture is lost. Without `immediate` the drag starts only once the
  // pointer moved `threshold` pixels (Mouse.DragThreshold when negative);
  // released before that, nothing was dragged.
  void BeginDrag(bool immediate, int threshold = -1);
  // Ends this control's running drag at the next message: with `drop` as
  // if the button had been released, else cancelled.
  void EndDrag(bool drop);
  bool Dragging() const;
  // The images a drag of this control shows under the pointer; null: none.
  virtual TDragImageList* GetDragImages() { return nullptr; }
  const TStartDragEvent& OnStartDrag() const { return onStartDrag_; }
  void SetOnStartDrag(const TStartDragEvent& v) { onStartDrag_ = v; }
  const TEndDragEvent& OnEndDrag() const { return onEndDrag_; }
  void SetOnEndDrag(const TEndDragEvent& v) { onEndDrag_ = v; }
  const TDragOverEvent& OnDragOver() const { return onDragOver_; }
  void SetOnDragOver(const TDragOverEvent& v) { onDragOver_ = v; }
  const TDragDropEvent& OnDragDrop() const { return onDragDrop_; }
  void SetOnDragDrop(const TDragDropEvent& v) { onDragDrop_ = v; }

  // ---- messages
  // The control's message entry; starts as WndProc. Replace it to watch or
  // change what the control gets (keep the old one and call it).
  TWndMethod WindowProc() const { return windowProc_; }
  void SetWindowProc(const TWndMethod& value) { windowProc_ = value; }
  win::LRESULT Perform(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
  void Dispatch(void* message) override;
  void DefaultHandler(void* message) override;

  // ---- painting
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // ---- events
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& v) { onClick_ = v; }
  const TNotifyEvent& OnDblClick() const { return onDblClick_; }
  void SetOnDblClick(const TNotifyEvent& v) { onDblClick_ = v; }
  const TMouseEvent& OnMouseDown() const { return onMouseDown_; }
  void SetOnMouseDown(const TMouseEvent& v) { onMouseDown_ = v; }
  const TMouseEvent& OnMouseUp() const { return onMouseUp_; }
  void SetOnMouseUp(const TMouseEvent& v) { onMouseUp_ = v; }
  const TMouseMoveEvent& OnMouseMove() const { return onMouseMove_; }
  void SetOnMouseMove(const TMouseMoveEvent& v) { onMouseMove_ = v; }
  const TNotifyEvent& OnMouseEnter() const { return onMouseEnter_; }
  void SetOnMouseEnter(const TNotifyEvent& v) { onMouseEnter_ = v; }
  const TNotifyEvent& OnMouseLeave() const { return onMouseLeave_; }
  void SetOnMouseLeave(const TNotifyEvent& v) { onMouseLeave_ = v; }
  const TMouseWheelEvent& OnMouseWheel() const { return onMouseWheel_; }
  void SetOnMouseWheel(const TMouseWheelEvent& v) { onMouseWheel_ = v; }
  const TMouseWheelUpDownEvent& OnMouseWheelDown() const { return onMouseWheelDown_; }
  void SetOnMouseWheelDown(const TMouseWheelUpDownEvent& v) { onMouseWheelDown_ = v; }
  const TMouseWheelUpDownEvent& OnMouseWheelUp() const { return onMouseWheelUp_; }
  void SetOnMouseWheelUp(const TMouseWheelUpDownEvent& v) { onMouseWheelUp_ = v; }
  const TNotifyEvent& OnResize() const { return onResize_; }
  void SetOnResize(const TNotifyEvent& v) { onResize_ = v; }

  // ---- action
  // The action whose Caption, Enabled, Visible, Hint and OnExecute (as
  // OnClick) the control takes and follows; clicking executes it.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* value);
  TControlActionLink* ActionLink() const { return actionLink_.get(); }

  // The control that has the mouse captured (graphic controls included).
  static TControl* CaptureControl();
  static void SetCaptureControl(TControl* control);
  bool MouseCapture() const { return CaptureControl() == this; }
  void SetMouseCapture(bool value);

  void BeforeDestruction() override;

 protected:
  virtual void WndProc(TMessage& message);
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // The wheel turned over this control (CM_MOUSEWHEEL): OnMouseWheel first,
  // then a DoMouseWheelDown/Up per whole notch (WHEEL_DELTA) turned. True
  // when handled; otherwise the parent gets the wheel.
  virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
  virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
  virtual void Resize();
  virtual void Loaded() override;
  virtual String GetText();
  // Tells the parent that this control's place or size changed.
  void RequestAlign();
  // Stores how the anchors keep the control where it is (from the current
  // bounds and the parent's client size).
  void UpdateAnchorRules();
  virtual void InvalidateControl(bool isVisible, bool isOpaque);
  // Takes the action's properties; with `checkDefaults` only those the
  // control still has at their defaults (a new action keeps what was set).
  virtual void ActionChange(rtl::TObject* sender, bool checkDefaults);
  virtual void VisibleChanging() {}
  void SetZOrder(bool topMost);
  // Drag hooks: the source gets DoStartDrag (OnStartDrag; a drag object it
  // leaves empty becomes a TDragControlObject of the control; the drag is
  // cancelled when the object is reset afterwards) and DoEndDrag (OnEndDrag);
  // the control under the pointer gets DragOver (accepts when OnDragOver is
  // set, which decides) and, on a drop it accepted, DragDrop (OnDragDrop).
  virtual void DoStartDrag(std::unique_ptr<TDragObject>& dragObject);
  virtual void DoEndDrag(rtl::TObject* target, int x, int y);
  virtual void DragOver(rtl::TObject* source, int x, int y, TDragState state, bool& accept);
  virtual void DragDrop(rtl::TObject* source, int x, int y);

  // Message handlers (Dispatch calls them; a descendant may override one and
  // call the base for the default).
  virtual void CMEnabledChanged(TMessage& m);
  virtual void CMVisibleChanged(TMessage& m);
  virtual void CMFontChanged(TMessage& m);
  virtual void CMColorChanged(TMessage& m);
  virtual void CMParentFontChanged(TMessage& m);
  virtual void CMParentColorChanged(TMessage& m);
  virtual void CMParentShowHintChanged(TMessage& m);
  virtual void CMTextChanged(TMessage& m) {}
  virtual void CMMouseEnter(TMessage& m);
  virtual void CMMouseLeave(TMessage& m);
  virtual void CMMouseWheel(TMessage& m);
  void WMMouseDown(TMessage& m, TMouseButton button, bool doubleClick);
  void WMMouseUp(TMessage& m, TMouseButton button);

  // Stores new bounds and tells the anchors and the parent's layout.
  void applyBounds(int left, int top, int width, int height);

 private:
  friend class TWinControl;
  friend class DragSession;
  void fontChanged(rtl::TObject* sender);
  void actionLinkChanged(rtl::TObject* sender);
  void doMouseDown(TMessage& m, TMouseButton button, TShiftState extra);
  void doMouseUp(TMessage& m, TMouseButton button);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_ = {akLeft, akTop};
  TPoint anchorRules_{};
  TPoint originalParentSize_{};
  bool anchorMove_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  TCursor cursor_ = crDefault;
  TDragMode dragMode_ = TDragMode::dmManual;
  String hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  String text_;
  TControlStyle controlStyle_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;
  TWndMethod windowProc_;
  TNotifyEvent onClick_, onDblClick_, onMouseEnter_, onMouseLeave_, onResize_;
  TMouseEvent onMouseDown_, onMouseUp_;
  TMouseMoveEvent onMouseMove_;
  TMouseWheelEvent onMouseWheel_;
  TMouseWheelUpDownEvent onMouseWheelDown_, onMouseWheelUp_;
  int wheelAccumulator_ = 0;  // delta of a notch not yet complete (fine-grained wheels)
  std::unique_ptr<TControlActionLink> actionLink_;
  TStartDragEvent onStartDrag_;
  TEndDragEvent onEndDrag_;
  TDragOverEvent onDragOver_;
  TDragDropEvent onDragDrop_;
};

// Links a control to an action: the action's changes reach the control.
class TControlActionLink : public TActionLink {
  RTL_CLASS(TControlActionLink, TActionLink)

 public:
  explicit TControlActionLink(TControl* client) : TActionLink(client), control_(client) {}

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const String& value) override;
  void SetEnabled(bool value) override;
  void SetHint(const String& value) override;
  void SetVisible(bool value) override;
  void SetOnExecute(const TNotifyEvent& value) override;

 protected:
  TControl* control_;
};

// A canvas on a control: outside a paint it takes a DC of the control's
// window (a graphic control: of its parent's, moved and clipped to it).
class TControlCanvas : public TCanvas {
  RTL_CLASS(TControlCanvas, TCanvas)

 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* value);
  // Gives back a DC this canvas took.
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  win::HDC ownDC_ = nullptr;
  win::HWND dcWindow_ = nullptr;
};

// ---- TWinControl -------------------------------------------------------------------------
struct TCreateParams {
  String Caption;
  win::DWORD Style = 0;
  win::DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  win::HWND WndParent = nullptr;
  void* Param = nullptr;
  win::UINT WindowClassStyle = 0;
  String WinClassName;
};

class TWinControl : public TControl {
  RTL_CLASS(TWinControl, TControl)

 public:
  explicit TWinControl(rtl::TComponent* owner);
  // Destroys the window and frees the child controls that are still there.
  ~TWinControl() override;
  void BeforeDestruction() override;

  // ---- the window
  // Creates the window (and the parents') when there is none yet.
  win::HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // Destroys the window; it is made again when needed.
  void DestroyHandle();
  // Destroys and re-creates a window that exists (styles changed).
  void RecreateWnd();
  // For a control without a parent control: the window it lives in.
  win::HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(win::HWND value);
  // The control a window belongs to (null for foreign windows).
  static TWinControl* FindControl(win::HWND handle);

  // ---- children (all controls, graphic ones included, in z-order)
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(TControl* control) const;
  TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false);
  // Calls Perform(msg, wParam, lParam) on each child.
  void Broadcast(TMessage& message);
  void NotifyControls(win::UINT msg);

  // ---- alignment
  void DisableAlign();
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return alignLevel_ > 0; }

  // ---- focus and tab order
  int TabOrder() const;
  void SetTabOrder(int value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  virtual bool CanFocus();
  bool Focused() const;
  virtual void SetFocus();
  // The focusable window children, depth first in tab order.
  virtual void GetTabOrderList(std::vector<TWinControl*>& list);
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                               bool checkParent);
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  const TNotifyEvent& OnEnter() const { return onEnter_; }
  void SetOnEnter(const TNotifyEvent& v) { onEnter_ = v; }
  const TNotifyEvent& OnExit() const { return onExit_; }
  void SetOnExit(const TNotifyEvent& v) { onExit_ = v; }
  const TKeyEvent& OnKeyDown() const { return onKeyDown_; }
  void SetOnKeyDown(const TKeyEvent& v) { onKeyDown_ = v; }
  const TKeyEvent& OnKeyUp() const { return onKeyUp_; }
  void SetOnKeyUp(const TKeyEvent& v) { onKeyUp_ = v; }
  const TKeyPressEvent& OnKeyPress() const { return onKeyPress_; }
  void SetOnKeyPress(const TKeyPressEvent& v) { onKeyPress_ = v; }

  // ---- painting
  TBrush* Brush() const { return brush_.get(); }
  // Whether the control asks to paint through an off-screen buffer.
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
  // Whether the parent's background shows under the control (the style
  // csParentBackground); a change repaints the control.
  bool ParentBackground() const { return ControlStyle().contains(csParentBackground); }
  virtual void SetParentBackground(bool value);
  // The three-dimensional look; follows the parent while ParentCtl3D, and
  // every change tells the control and its children CM_CTL3DCHANGED.
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);
  bool Showing() const override { return showing_; }
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  // Paints the client area and the children into `dc` at (x, y).
  void PaintTo(win::HDC dc, int x, int y);
  void PaintTo(TCanvas* canvas, int x, int y) { PaintTo(canvas->Handle(), x, y); }

  TRect ClientRect() override;
  void SetBounds(int left, int top, int width, int height) override;
  void Dispatch(void* message) override;
  void DefaultHandler(void* message) override;

 protected:
  void WndProc(TMessage& message) override;
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  virtual void CreateHandle();
  void UpdateControlState();
  virtual void UpdateShowing();
  // Lays the children out in `rect` (the client area): aligned ones first,
  // then the anchored ones.
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void AdjustClientRect(TRect& rect) {}
  void AlignControl(TControl* control);
  virtual void PaintWindow(win::HDC dc);
  void PaintHandler(TMessage& m);
  void PaintControls(win::HDC dc, TControl* first);
  virtual void KeyDown(rtl::Word& key, TShiftState shift);
  virtual void KeyPress(rtl::Char& key);
  virtual void KeyUp(rtl::Word& key, TShiftState shift);
  virtual void DoEnter();
  virtual void DoExit();
  void Resize() override;
  void Loaded() override;
  // Answers whether a dialog key (Tab, arrows, Enter, Esc) goes to the
  // control itself rather than to the form.
  virtual bool WantsKey(rtl::Word key);
  bool DoKeyDown(TMessage& m);
  bool DoKeyPress(TMessage& m);
  bool DoKeyUp(TMessage& m);
  void UpdateBounds();
  // Takes the focus away from this control and its children (the form's
  // active control goes to the form).
  void RemoveFocus(bool removing);

  void CMEnabledChanged(TMessage& m) override;
  void CMVisibleChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  virtual void CMShowingChanged(TMessage& m);
  virtual void CMDialogKey(TMessage& m);
  virtual void CMEnter(TMessage& m) { DoEnter(); }
  virtual void CMExit(TMessage& m) { DoExit(); }
  virtual void WMSetFocus(TMessage& m);
  virtual void WMKillFocus(TMessage& m);
  virtual void CNCtlColor(TMessage& m);

  win::WNDPROC DefWndProc() const { return defWndProc_; }

 private:
  friend class TControl;
  friend class TCustomForm;
  static win::LRESULT windowProcedure(win::HWND hwnd, win::UINT msg, win::WPARAM wParam,
                                      win::LPARAM lParam);
  void mainWndProc(TMessage& m);
  bool routeMouseToChild(TMessage& m);
  // A key down goes to the form's shortcuts before the control sees it.
  bool isShortCutKey(TMessage& m);
  void trackMouseControl(TControl* target);
  bool reflect(TMessage& m, win::HWND child);
  void brushChanged();
  void updateShowing(bool parentShows);

  win::HWND handle_ = nullptr;
  win::HWND parentWindow_ = nullptr;
  win::WNDPROC defWndProc_ = nullptr;
  std::vector<TControl*> controls_;     // not owned here: freed when this goes
  std::vector<TWinControl*> tabList_;   // window children in tab order
  std::unique_ptr<TBrush> brush_;
  int alignLevel_ = 0;
  bool showing_ = false;
  bool tabStop_ = false;
  bool updatingBounds_ = false;
  bool doubleBuffered_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  TNotifyEvent onEnter_, onExit_;
  TKeyEvent onKeyDown_, onKeyUp_;
  TKeyPressEvent onKeyPress_;
};

// A control drawn on its parent's window.
class TGraphicControl : public TControl {
  RTL_CLASS(TGraphicControl, TControl)

 public:
  explicit TGraphicControl(rtl::TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }
  void Dispatch(void* message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// A window control that paints itself on its canvas.
class TCustomControl : public TWinControl {
  RTL_CLASS(TCustomControl, TWinControl)

 public:
  explicit TCustomControl(rtl::TComponent* owner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(win::HDC dc) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// The form a control sits on (its top parent when that is a form), or null.
TCustomForm* GetParentForm(TControl* control);
// True when `caption` marks `key` as its mnemonic ("&Save" for 's' or 'S';
// "&&" is a plain ampersand).
bool IsAccel(rtl::Word key, const rtl::String& caption);
// The same; EInvalidOperation "Control '%s' has no parent window" without one.
TCustomForm* ValidParentForm(TControl* control);


}  // namespace ui

#pragma once
// Forms, the application object, the screen and the message dialogs.
//
// A form's constructor opens a loading bracket: what a descendant's
// constructor creates is loaded with it, and OnCreate runs after Loaded.
// Create forms with rtl::Create<TMyForm>(owner) or Application->CreateForm.
#include <exception>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/hints.h"

namespace ui {

// ---- modal results ---------------------------------------------------------------------
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;       // IDOK
constexpr TModalResult mrCancel = 2;   // IDCANCEL
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrClose = 8;
constexpr TModalResult mrHelp = 9;
constexpr TModalResult mrTryAgain = 10;
constexpr TModalResult mrContinue = 11;
constexpr TModalResult mrAll = 12;
constexpr TModalResult mrNoToAll = 13;
constexpr TModalResult mrYesToAll = 14;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
constexpr TFormBorderStyle bsNone = TFormBorderStyle::bsNone;
constexpr TFormBorderStyle bsSingle = TFormBorderStyle::bsSingle;
constexpr TFormBorderStyle bsSizeable = TFormBorderStyle::bsSizeable;
constexpr TFormBorderStyle bsDialog = TFormBorderStyle::bsDialog;
constexpr TFormBorderStyle bsToolWindow = TFormBorderStyle::bsToolWindow;
constexpr TFormBorderStyle bsSizeToolWin = TFormBorderStyle::bsSizeToolWin;

enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = rtl::Set<TBorderIcon, 4>;
constexpr TBorderIcon biSystemMenu = TBorderIcon::biSystemMenu;
constexpr TBorderIcon biMinimize = TBorderIcon::biMinimize;
constexpr TBorderIcon biMaximize = TBorderIcon::biMaximize;
constexpr TBorderIcon biHelp = TBorderIcon::biHelp;

enum class TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
constexpr TPosition poDesigned = TPosition::poDesigned;
constexpr TPosition poScreenCenter = TPosition::poScreenCenter;
constexpr TPosition poDesktopCenter = TPosition::poDesktopCenter;
constexpr TPosition poMainFormCenter = TPosition::poMainFormCenter;
constexpr TPosition poOwnerFormCenter = TPosition::poOwnerFormCenter;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
constexpr TCloseAction caNone = TCloseAction::caNone;
constexpr TCloseAction caHide = TCloseAction::caHide;
constexpr TCloseAction caFree = TCloseAction::caFree;
constexpr TCloseAction caMinimize = TCloseAction::caMinimize;

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = rtl::Method<void(rtl::TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = rtl::Method<void(rtl::TObject* sender, bool& canClose)>;
using TShortCutEvent = rtl::Method<void(TWMKey& msg, bool& handled)>;

enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
constexpr TFormStyle fsNormal = TFormStyle::fsNormal;
constexpr TFormStyle fsMDIChild = TFormStyle::fsMDIChild;
constexpr TFormStyle fsMDIForm = TFormStyle::fsMDIForm;
constexpr TFormStyle fsStayOnTop = TFormStyle::fsStayOnTop;

// Which window owns a form's window: pmNone the application's choice (the
// parent window), pmAuto the form active when the window is made (else the
// main form), pmExplicit PopupParent (else the main form).
enum class TPopupMode { pmNone, pmAuto, pmExplicit };
constexpr TPopupMode pmNone = TPopupMode::pmNone;
constexpr TPopupMode pmAuto = TPopupMode::pmAuto;
constexpr TPopupMode pmExplicit = TPopupMode::pmExplicit;

// ---- TCustomForm -----------------------------------------------------------------------
class TCustomForm : public TWinControl {
  RTL_CLASS(TCustomForm, TWinControl)

 public:
  explicit TCustomForm(rtl::TComponent* owner);
  ~TCustomForm() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState value);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }

  // ---- window style, translucency and owner (bodies in form_properties.cpp)
  // fsStayOnTop keeps the window above every other; the MDI styles are kept
  // but change nothing (this layer has no MDI frames).
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle value);
  // The whole window drawn with AlphaBlendValue (0 invisible .. 255 opaque)
  // over what lies beneath, and/or pixels of TransparentColorValue left out.
  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool value);
  rtl::Byte AlphaBlendValue() const { return alphaBlendValue_; }
  void SetAlphaBlendValue(rtl::Byte value);
  bool TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(bool value);
  TColor TransparentColorValue() const { return transparentColorValue_; }
  void SetTransparentColorValue(TColor value);
  TPopupMode PopupMode() const { return popupMode_; }
  void SetPopupMode(TPopupMode value);
  // Setting a form also sets PopupMode to pmExplicit; a freed parent is
  // forgotten (and the mode falls back to pmNone).
  TCustomForm* PopupParent() const { return popupParent_; }
  void SetPopupParent(TCustomForm* value);

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form and runs a nested loop until ModalResult is set (or the
  // program ends: mrCancel). EInvalidOperation "Cannot make a visible window
  // modal" when it is visible already.
  virtual TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  bool Modal() const { return modal_; }
  // Asks OnCloseQuery, then OnClose decides: hide (the default), free,
  // minimise or nothing. The main form ends the program; a modal form sets
  // ModalResult to mrCancel.
  void Close();
  bool CloseQuery();
  // Frees the form once the message being handled is done (safe inside its
  // own handlers).
  void Release();

  // ---- focus
  TWinControl* ActiveControl() const { return activeControl_; }
  // EInvalidOperation "Cannot focus a disabled or invisible window".
  void SetActiveControl(TWinControl* control);
  void FocusControl(TWinControl* control);
  // The window focus moved to `control`: CM_EXIT up from the control that
  // had it, CM_ENTER down to the new one. False when a handler moved the
  // focus elsewhere meanwhile.
  bool SetFocusedControl(TWinControl* control);
  void DefocusControl(TWinControl* control, bool removing);
  bool Active() const { return active_; }
  void SetFocus() override;
  bool CanFocus() override { return visible_() && Enabled(); }

  TRect ClientRect() override;
  void Dispatch(void* message) override;

  // ---- shortcuts
  // A key pressed anywhere in the form, before the focused control sees it:
  // OnShortCut first, then the action lists the form owns (also those of
  // the frames on it and, for the main form, those of the data modules).
  // True when something handled it; the control then never gets the key.
  virtual bool IsShortCut(TWMKey& message);
  const TShortCutEvent& OnShortCut() const { return onShortCut_; }
  void SetOnShortCut(const TShortCutEvent& v) { onShortCut_ = v; }

  // ---- events
  const TNotifyEvent& OnCreate() const { return onCreate_; }
  void SetOnCreate(const TNotifyEvent& v) { onCreate_ = v; }
  const TNotifyEvent& OnDestroy() const { return onDestroy_; }
  void SetOnDestroy(const TNotifyEvent& v) { onDestroy_ = v; }
  const TNotifyEvent& OnShow() const { return onShow_; }
  void SetOnShow(const TNotifyEvent& v) { onShow_ = v; }
  const TNotifyEvent& OnHide() const { return onHide_; }
  void SetOnHide(const TNotifyEvent& v) { onHide_ = v; }
  const TNotifyEvent& OnActivate() const { return onActivate_; }
  void SetOnActivate(const TNotifyEvent& v) { onActivate_ = v; }
  const TNotifyEvent& OnDeactivate() const { return onDeactivate_; }
  void SetOnDeactivate(const TNotifyEvent& v) { onDeactivate_ = v; }
  const TCloseEvent& OnClose() const { return onClose_; }
  void SetOnClose(const TCloseEvent& v) { onClose_ = v; }
  const TCloseQueryEvent& OnCloseQuery() const { return onCloseQuery_; }
  void SetOnCloseQuery(const TCloseQueryEvent& v) { onCloseQuery_ = v; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CMShowingChanged(TMessage& m) override;
  void CMDialogKey(TMessage& m) override;
  void Loaded() override;
  void CreateWnd() override;
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void CloseModal();

 private:
  bool visible_() const { return Visible(); }
  void setActive(bool value);
  void setWindowFocus();
  void applyPosition();
  // Form properties (form_properties.cpp).
  void applyLayeredAttributes();
  void applyFormStyle();
  win::HWND popupOwnerWindow();

  TFormStyle formStyle_ = fsNormal;
  bool alphaBlend_ = false;
  rtl::Byte alphaBlendValue_ = 255;
  bool transparentColor_ = false;
  TColor transparentColorValue_ = clBlack;
  TPopupMode popupMode_ = pmNone;
  TCustomForm* popupParent_ = nullptr;

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = {biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  bool keyPreview_ = false;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool active_ = false;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  int focusCount_ = 0;
  bool bracketOpen_ = false;
  bool createPending_ = false;
  bool destroyDone_ = false;
  TNotifyEvent onCreate_, onDestroy_, onShow_, onHide_, onActivate_, onDeactivate_;
  TCloseEvent onClose_;
  TCloseQueryEvent onCloseQuery_;
  TShortCutEvent onShortCut_;
};

class TForm : public TCustomForm {
  RTL_CLASS(TForm, TCustomForm)

 public:
  explicit TForm(rtl::TComponent* owner) : TCustomForm(owner) {}
};
using TFormClass = rtl::ClassRef<TCustomForm>;

// ---- TApplication -----------------------------------------------------------------------
struct ApplicationHintState;
using TExceptionEvent = rtl::Method<void(rtl::TObject* sender, rtl::Exception* e)>;

class TApplication : public rtl::TComponent {
  RTL_CLASS(TApplication, rtl::TComponent)

 public:
  explicit TApplication(rtl::TComponent* owner);
  ~TApplication() override;

  // Makes this object the handler of exceptions that escape event handlers
  // and window procedures, clears a finished run's Terminated and starts the
  // hint machinery afresh (default pauses and colour, no hint, no event).
  void Initialize();
  // Creates a form or data module owned by the application; the first form
  // becomes MainForm.
  template <class T>
  void CreateForm(T*& reference) {
    T* component = rtl::Create<T>(this);
    reference = component;
    if constexpr (std::is_base_of_v<TCustomForm, T>) formCreated(component);
  }
  void CreateForm(TFormClass cls, TCustomForm*& reference);
  // Shows the main form and runs the loop until Terminate (or the main form
  // closes).
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Dispatches what is queued now, without waiting.
  void ProcessMessages();
  // Dispatches one message, or waits for one.
  void HandleMessage();

  // Inside a catch block: shows the exception (EAbort: nothing) through
  // OnException or the standard error box.
  void HandleException(rtl::TObject* sender);
  void HandleException(std::exception_ptr error, rtl::TObject* sender = nullptr);
  // The standard error box: the message (a period added) with the title as
  // caption, OK button and error icon.
  void ShowException(const rtl::Exception& e);

  TCustomForm* MainForm() const { return mainForm_; }
  // The executable's name when not set.
  String Title() const;
  void SetTitle(const String& value) { title_ = value; }
  const TExceptionEvent& OnException() const { return onException_; }
  void SetOnException(const TExceptionEvent& v) { onException_ = v; }
  const String& Hint() const { return hint_; }
  void SetHint(const String& value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  const TNotifyEvent& OnHint() const { return onHint_; }
  void SetOnHint(const TNotifyEvent& v) { onHint_ = v; }
  // The application's own hidden window, made on first use (and again once
  // the window system was reset). Messages sent to it go to the window
  // hooks, newest first, until one answers True.
  win::HWND Handle();
  using TWindowHook = rtl::Method<bool(TMessage& message)>;
  void HookMainWindow(const TWindowHook& hook);
  void UnhookMainWindow(const TWindowHook& hook);
  // Whether a change of the regional settings ("intl") reloads the run-time
  // format settings from the user's locale; on by default.
  bool UpdateFormatSettings() const { return updateFormatSettings_; }
  void SetUpdateFormatSettings(bool value) { updateFormatSettings_ = value; }

  // ---- hints (bodies in hints.cpp)
  // The event may change the text, refuse the hint or change its record.
  const TShowHintEvent& OnShowHint() const;
  void SetOnShowHint(const TShowHintEvent& v);
  TColor HintColor() const;
  void SetHintColor(TColor value);
  // Milliseconds: resting before a hint shows (500), before the next one
  // shows once a hint was visible (50), a hint staying up (2500).
  int HintPause() const;
  void SetHintPause(int value);
  int HintShortPause() const;
  void SetHintShortPause(int value);
  int HintHidePause() const;
  void SetHintHidePause(int value);
  // Hides the hint shown (or stops the one waiting to show); the pointer
  // must leave the control before its hint shows again.
  void CancelHint();
  // Shows the hint of the control under the pointer now, without the pause.
  void ActivateHint(const TPoint& cursorPos);
  // What the controls tell the application of every mouse message they get
  // (and of CM_MOUSELEAVE).
  void HintMouseMessage(TControl* control, TMessage& message);
  // The window showing the application's hints (null before the first).
  THintWindow* HintWindow() const;
  // The control whose hint shows or waits to show, or null.
  TControl* HintControl() const;
  // True while one of the program's windows is the active window.
  bool Active() const;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  friend class TCustomForm;
  bool processMessage();
  void formCreated(TCustomForm* form);

  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  String title_;
  String hint_;
  bool showHint_ = true;
  bool updateFormatSettings_ = true;
  TExceptionEvent onException_;
  TNotifyEvent onHint_;
  win::HWND handle_ = nullptr;
  std::vector<TWindowHook> windowHooks_;
  void WndProc(TMessage& message);
  // Hint state (hints.cpp); shared_ptr because the type is only known there.
  std::shared_ptr<ApplicationHintState> hints_;
  ApplicationHintState& hintState() const;
  void hintPauseElapsed(rtl::TObject* sender);
  void hintHideElapsed(rtl::TObject* sender);
  void hideHintWindow();
  void forgetHint();
};

// ---- TScreen -----------------------------------------------------------------------------
class TScreen : public rtl::TComponent {
  RTL_CLASS(TScreen, rtl::TComponent)

 public:
  explicit TScreen(rtl::TComponent* owner);
  ~TScreen() override;

  int Width() const;
  int Height() const;
  TRect WorkAreaRect() const;
  int WorkAreaWidth() const;
  int WorkAreaHeight() const;
  int PixelsPerInch() const { return 96; }
  int MonitorCount() const;

  // Cursor for the whole program while not crDefault.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  // The cursor of an id: the built-in ones and those registered; the arrow
  // for an unknown id. The class library's own cursors (crDrag, crNoDrop,
  // crHSplit, crVSplit, crMultiDrag, crSQLWait) are made from their pictures
  // on first use.
  win::HCURSOR Cursors(int id) const;
  void SetCursors(int id, win::HCURSOR handle);
  // Where a registered cursor comes from: a "CURSOR" resource of ours (a
  // PNG) with its hot spot, or a system cursor (systemName, e.g. IDC_HAND).
  struct CursorSource {
    const char* resource = nullptr;
    win::POINT hotspot{};
    win::LPCWSTR systemName = nullptr;
  };
  // Registers the cursor of an id by its source; Cursors(id) makes it the
  // first time it is asked for. Needs no window system, so units register
  // their cursors when the program starts. SetCursors wins over it.
  void RegisterCursor(int id, const CursorSource& source);

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const;
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;

 private:
  friend class TCustomForm;
  std::vector<TCustomForm*> forms_;  // not owned
  std::map<int, win::HCURSOR> cursors_;
  mutable std::map<int, win::HCURSOR> ownCursors_;  // made from our pictures; destroyed with us
  std::map<int, CursorSource> registered_;
  TCursor cursor_ = crDefault;
};

// The program's application and screen objects, made on first use.
TApplication* ApplicationInstance();
TScreen* ScreenInstance();
struct ApplicationAccess {
  TApplication* operator->() const { return ApplicationInstance(); }
  operator TApplication*() const { return ApplicationInstance(); }
};
struct ScreenAccess {
  TScreen* operator->() const { return ScreenInstance(); }
  operator TScreen*() const { return ScreenInstance(); }
};
inline constexpr ApplicationAccess Application{};
inline constexpr ScreenAccess Screen{};

// ---- message dialogs ---------------------------------------------------------------------
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
constexpr TMsgDlgType mtWarning = TMsgDlgType::mtWarning;
constexpr TMsgDlgType mtError = TMsgDlgType::mtError;
constexpr TMsgDlgType mtInformation = TMsgDlgType::mtInformation;
constexpr TMsgDlgType mtConfirmation = TMsgDlgType::mtConfirmation;
constexpr TMsgDlgType mtCustom = TMsgDlgType::mtCustom;

enum class TMsgDlgBtn {
  mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp,
  mbClose
};
using TMsgDlgButtons = rtl::Set<TMsgDlgBtn, 12>;
constexpr TMsgDlgBtn mbYes = TMsgDlgBtn::mbYes;
constexpr TMsgDlgBtn mbNo = TMsgDlgBtn::mbNo;
constexpr TMsgDlgBtn mbOK = TMsgDlgBtn::mbOK;
constexpr TMsgDlgBtn mbCancel = TMsgDlgBtn::mbCancel;
constexpr TMsgDlgBtn mbAbort = TMsgDlgBtn::mbAbort;
constexpr TMsgDlgBtn mbRetry = TMsgDlgBtn::mbRetry;
constexpr TMsgDlgBtn mbIgnore = TMsgDlgBtn::mbIgnore;
constexpr TMsgDlgButtons mbYesNoCancel = {mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbYesNo = {mbYes, mbNo};
constexpr TMsgDlgButtons mbOKCancel = {mbOK, mbCancel};
constexpr TMsgDlgButtons mbAbortRetryIgnore = {mbAbort, mbRetry, mbIgnore};

// A message box ("Warning", "Error", "Information", "Confirm"; the title for
// mtCustom) with the buttons' nearest standard set; answers the modal
// result of the button pressed.
int MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0);
// An OK box captioned with the application's title.
void ShowMessage(const String& msg);

}  // namespace ui

#pragma once
// Hints of the library's controls.
//
// - The hint controller (one per program): while hint style controllers are
//   registered it stands in for the application's hint event and hint window
//   class, so that the style controller of the hinted control's form (or the
//   last global one) restyles every hint; with none registered the
//   application's own event and class stay untouched.
// - Hint style controllers: components that carry a hint style, the three
//   pauses they give the application, and listeners.
// - Hint helpers: what a control uses to show a hint for a part of itself
//   (a cut-off cell text, a button): shown next to that part, kept while the
//   pointer stays on it, hidden on a timer, a button press or when the
//   pointer leaves.
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/dxCoreClasses.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/ui/hints.h"

namespace lookandfeel {

using rtl::String;

// Implemented by objects that have a hint (cells, buttons, items).
class IcxHintableObject {
 public:
  // Whether APoint (the hinted control's client coordinates) still lies on the object.
  virtual bool HasHintPoint(const TPoint& P) = 0;
  // The hint follows the mouse.
  virtual bool IsHintAtMousePos() = 0;
  // The hint hides itself after the hide pause.
  virtual bool UseHintHidePause() = 0;

 protected:
  ~IcxHintableObject() = default;
};

enum class TcxHintAnimationStyle {
  cxhaSlideFromLeft, cxhaSlideFromRight, cxhaSlideDownward, cxhaSlideUpward, cxhaSlideFromCenter, cxhaHide,
  cxhaActivate, cxhaFadeIn, cxhaAuto, cxhaNone
};

class TcxCustomHintStyle;
class TcxCustomHintStyleController;
class TcxHintController;

using TcxHintStyleChangedEvent =
    rtl::Method<void(TcxCustomHintStyleController* Sender, TcxCustomHintStyle* AStyle)>;
using TcxShowHintEvent =
    rtl::Method<void(rtl::TObject* Sender, String& HintStr, bool& CanShow, ui::THintInfo& HintInfo)>;
using TcxShowHintExEvent = rtl::Method<void(rtl::TObject* Sender, String& Caption, String& HintStr, bool& CanShow,
                                            ui::THintInfo& HintInfo)>;

// Told by a style controller when its style changes and when it goes.
class IcxHintStyleControllerListener {
 public:
  virtual void HintStyleChanged(TcxCustomHintStyleController* AController) = 0;
  virtual void HintStyleControllerRemoved(TcxCustomHintStyleController* AController) = 0;

 protected:
  ~IcxHintStyleControllerListener() = default;
};

// The base of hint styles: what hint window class shows the hints of its
// controller, and how it adjusts the hint information before a hint shows.
// The base keeps a colour and puts it into the information.
class TcxCustomHintStyle : public rtl::TPersistent {
  RTL_CLASS(TcxCustomHintStyle, rtl::TPersistent)

 public:
  explicit TcxCustomHintStyle(rtl::TComponent* AOwner);
  void Assign(rtl::TPersistent* Source) override;
  rtl::TPersistent* GetOwner() const override { return FOwner; }

  virtual ui::THintWindowClass GetHintWindowClass();
  virtual void ProcessHintInfo(ui::THintInfo& AHintInfo);

  ui::TColor Color() const { return FColor; }
  void SetColor(ui::TColor Value);
  const rtl::TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const rtl::TNotifyEvent& Value) { FOnChanged = Value; }

 protected:
  void Changed();

 private:
  rtl::TComponent* FOwner;
  ui::TColor FColor = ui::clInfoBk;
  rtl::TNotifyEvent FOnChanged;
};
using TcxCustomHintStyleClass = rtl::ClassRef<TcxCustomHintStyle>;

// ---- the hint controller -------------------------------------------------------------------
class TcxHintController : public rtl::TComponent {
  RTL_CLASS(TcxHintController, rtl::TComponent)

 public:
  explicit TcxHintController(rtl::TComponent* AOwner);
  ~TcxHintController() override;

  // Nil and controllers being designed are ignored.
  void RegisterHintStyleController(TcxCustomHintStyleController* AController);
  void UnRegisterHintStyleController(TcxCustomHintStyleController* AController);
  ui::THintWindowClass GetCurrentHintWindowClass();
  TcxCustomHintStyleController* FindHintStyleController();
  ui::TControl* FindHintedControl();

  ui::TControl* HintedControl() const { return FHintedControl; }
  void SetHintedControl(ui::TControl* AControl);
  int ControllerCount() const { return static_cast<int>(FControllerList.size()); }

 protected:
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;
  void DoApplicationShowHint(String& HintStr, bool& CanShow, ui::THintInfo& HintInfo);
  void ShowHintHandler(String& HintStr, bool& CanShow, ui::THintInfo& HintInfo);

 private:
  ui::TControl* FHintedControl = nullptr;
  std::vector<TcxCustomHintStyleController*> FControllerList;  // not owned
  ui::TShowHintEvent FSavedApplicationOnShowHint;
  ui::THintWindowClass FSavedHintWindowClass;
};

// ---- hint style controllers ----------------------------------------------------------------
class TcxCustomHintStyleController : public core::TcxCustomComponent,
                                     public IdxSkinSupport,
                                     public IcxLookAndFeelContainer {
  RTL_CLASS(TcxCustomHintStyleController, core::TcxCustomComponent)

 public:
  explicit TcxCustomHintStyleController(rtl::TComponent* AOwner);
  ~TcxCustomHintStyleController() override;
  // Creates the hint style (of GetHintStyleClass) and registers with the hint controller.
  void AfterConstruction() override;
  void Assign(rtl::TPersistent* Source) override;

  virtual TcxCustomHintStyleClass GetHintStyleClass();
  virtual ui::THintWindowClass GetHintWindowClass();
  virtual void BeginUpdate();
  virtual void EndUpdate();
  // Tells every listener of a style change.
  virtual void DoHintStyleChanged(IcxHintStyleControllerListener* AListener);
  // A listener is added once; removal is skipped while the controller goes.
  virtual void AddListener(IcxHintStyleControllerListener* AListener);
  virtual void RemoveListener(IcxHintStyleControllerListener* AListener);

  // What the hint controller calls before a hint of this controller shows.
  void DoShowHint(String& AHintStr, bool& ACanShow, ui::THintInfo& AHintInfo);

  bool Global() const { return FGlobal; }
  void SetGlobal(bool Value) { FGlobal = Value; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int Value);
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value);
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value);
  TcxCustomHintStyleClass HintStyleClass() const { return FHintStyleClass; }
  void SetHintStyleClass(TcxCustomHintStyleClass Value);
  String HintStyleClassName() const;
  // A name not in cxRegisteredHintStyles is ignored.
  void SetHintStyleClassName(const String& Value);
  TcxCustomHintStyle* HintStyle() const { return FHintStyle; }
  ui::THintWindow* HintWindow() const { return FHintWindow; }
  const std::vector<IcxHintStyleControllerListener*>& Listeners() const { return FListeners; }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  TcxCustomLookAndFeelPainter* LookAndFeelPainter() const;
  bool UseHintControlLookAndFeel() const { return FUseHintControlLookAndFeel; }
  void SetUseHintControlLookAndFeel(bool Value) { FUseHintControlLookAndFeel = Value; }
  // The caption OnShowHintEx gave for the last hint.
  const String& LastHintCaption() const { return FLastHintCaption; }

  const TcxHintStyleChangedEvent& OnHintStyleChanged() const { return FOnHintStyleChanged; }
  void SetOnHintStyleChanged(const TcxHintStyleChangedEvent& V) { FOnHintStyleChanged = V; }
  const TcxShowHintEvent& OnShowHint() const { return FOnShowHint; }
  void SetOnShowHint(const TcxShowHintEvent& V) { FOnShowHint = V; }
  const TcxShowHintExEvent& OnShowHintEx() const { return FOnShowHintEx; }
  void SetOnShowHintEx(const TcxShowHintExEvent& V) { FOnShowHintEx = V; }

  TcxLookAndFeel* GetLookAndFeel() override { return GetLookAndFeelValue(); }

 protected:
  void Loaded() override;
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;
  TcxLookAndFeel* GetLookAndFeelValue() { return FLookAndFeel; }
  void CreateHintStyle();
  void DestroyHintStyle();
  void SetApplicationHintProperties();
  void Changed();

 private:
  void HintStyleChanged(rtl::TObject* Sender);
  bool IsDesigning() const;
  bool IsDestroying() const;

  bool FGlobal = true;
  int FHintShortPause = 50;
  int FHintPause = 500;
  int FHintHidePause = 2500;
  TcxCustomHintStyleClass FHintStyleClass;
  ui::THintWindow* FHintWindow = nullptr;  // owned (component)
  std::vector<IcxHintStyleControllerListener*> FListeners;  // not owned
  TcxLookAndFeel* FLookAndFeel = nullptr;  // owned
  int FUpdateCount = 0;
  bool FUseHintControlLookAndFeel = false;
  bool FDestroying = false;
  TcxHintStyleChangedEvent FOnHintStyleChanged;
  TcxShowHintEvent FOnShowHint;
  TcxShowHintExEvent FOnShowHintEx;
  TcxCustomHintStyle* FHintStyle = nullptr;  // owned
  String FLastHintCaption;
};

// A plain controller with the base style (programs and tests use it).
class TcxHintStyleController : public TcxCustomHintStyleController {
  RTL_CLASS(TcxHintStyleController, TcxCustomHintStyleController)

 public:
  explicit TcxHintStyleController(rtl::TComponent* AOwner) : TcxCustomHintStyleController(AOwner) {}
};

// ---- hint helpers ---------------------------------------------------------------------------
class TcxCustomHintHelper : public core::TcxIUnknownObject,
                            public IcxMouseTrackingCaller2 {
  RTL_CLASS(TcxCustomHintHelper, core::TcxIUnknownObject)

 public:
  TcxCustomHintHelper();
  ~TcxCustomHintHelper() override;

  // AHintAreaBounds and ATextRect in the hinted control's client coordinates.
  void ShowHint(const TRect& AHintAreaBounds, const TRect& ATextRect, const String& AText,
                bool AIsHintMultiLine, rtl::TObject* AHintObject, ui::TFont* AFont = nullptr);
  void HideHint();
  // HideHint, and the next hover of the same object shows the hint again.
  void CancelHint();
  void ResetLastHintElement();
  virtual void CorrectHintWindowRect(TRect& R);

  // IcxMouseTrackingCaller2
  void MouseLeave() override;
  bool PtInCaller(const TPoint& P) override;

  virtual void MouseDown();

  ui::THintWindow* HintWindow() const { return FHintWindow; }
  rtl::TObject* HintableObject() const { return FHintableObject; }
  const TRect& HintAreaBounds() const { return FHintAreaBounds; }
  bool HintVisible() const;

 protected:
  virtual bool CanShowHint();
  virtual ui::TWinControl* GetHintWinControl();
  virtual TRect GetHintControlBounds();
  virtual int GetHintHidePause();
  virtual ui::THintWindowClass GetHintWindowClass();
  virtual TRect GetHintWindowRect(const TRect& AHintAreaBounds, const TRect& ATextRect, const String& AText,
                                  bool AIsHintMultiLine);
  virtual ui::TWinControl* GetOwnerWinControl();
  virtual bool IsHintAtMousePos();
  virtual bool IsSuppressHintOnMouseDown();
  virtual bool UseHintHidePause();

 private:
  void StartHintCheckerTimers();
  void StopHintCheckerTimers();
  void RestartHintHideTimer();
  void HintCheckerTimerHandler(rtl::TObject* Sender);
  void HintHideTimerHandler(rtl::TObject* Sender);
  IcxHintableObject* Hintable() const;

  rtl::TObject* FHintableObject = nullptr;
  TRect FHintAreaBounds{};
  core::TcxTimer* FHintCheckerTimer = nullptr;  // owned; null while not running
  core::TcxTimer* FHintHideTimer = nullptr;     // owned; null while not running
  int FHintHidePause = 0;
  rtl::TObject* FLastHintableObject = nullptr;
  TPoint FLastHintMousePos{};
  String FLastHintText;
  TRect FHintTextRect{};
  ui::THintWindow* FHintWindow = nullptr;  // owned
};

class TcxControlHintHelper : public TcxCustomHintHelper {
  RTL_CLASS(TcxControlHintHelper, TcxCustomHintHelper)

 public:
  virtual ui::TControl* GetHintControl();

 protected:
  virtual TcxControl* GetOwnerControl() = 0;
  ui::TWinControl* GetHintWinControl() override;
  ui::TWinControl* GetOwnerWinControl() override;
  TRect GetHintControlBounds() override;
};

// ---- module routines ------------------------------------------------------------------------
// The one hint controller of the program (made on first use).
TcxHintController* cxHintController();
core::TcxRegisteredClasses* cxRegisteredHintStyles();
TcxCustomHintStyleController* cxGetHintStyleController();
ui::THintWindowClass cxGetHintWindowClass();
void cxRemoveHintedControl();
void cxRecreateHintWindow(ui::THintWindow*& AHintWindow, ui::THintWindowClass AClass, ui::TColor AColor);
void ValidateHintWindowParent(ui::THintWindow* AHintWindow);
void cxActivateHint(ui::THintWindow* AHintWindow, const TRect& ARect, const String& AHint);
bool cxProcessControlHintInfo(ui::THintInfo& AHintInfo, ui::THintWindow*& AHintWindow, ui::TControl* AControl,
                              const String& AHint, TRect& AHintWinRect, void* AData = nullptr,
                              int AHintHidePause = 0);

// Whether the window control of a hint may show it now. The default is the
// popup windows' cxCanShowHint; a null function sets it back.
using TcxCanShowHintFunc = bool (*)(ui::TWinControl* AControl);
void cxSetCanShowHintFunc(TcxCanShowHintFunc AFunc);
bool cxCanShowHintNow(ui::TWinControl* AControl);

// Frees the hint controller and the style registry (tests; the module's end).
void cxHintFinalize();

}  // namespace lookandfeel

#pragma once
// Container styles (the appearance of every editor: one style per state,
// each value assigned or taken from a shared style controller, else a
// default) and the container control that hosts an inner window inside a
// border drawn from those styles.
#include <memory>
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/dxCoreClasses.h"
#include "lib/core/dxThemeManager.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/rtl/set.h"
#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"

namespace lookandfeel {

using ui::TColor;

// ---- container styles ----------------------------------------------------------------------------
enum class TcxContainerStyleValue {
  csvBorderColor,
  csvBorderStyle,
  csvColor,
  csvEdges,
  csvFont,
  csvHotTrack,
  csvShadow,
  csvTextColor,
  csvTextStyle,
  csvTransparentBorder
};
inline constexpr int cxContainerStyleValueCount = 10;
using TcxContainerStyleValues = rtl::Set<TcxContainerStyleValue, cxContainerStyleValueCount>;

enum class TcxContainerStateItem { csNormal, csActive, csDisabled, csHotTrack };
using TcxContainerState = rtl::Set<TcxContainerStateItem, 4>;
enum class TcxContainerHotState { chsNoHotTrack, chsNormal, chsSelected };

// A style in direct access mode reads these instead of its own values.
struct TcxContainerStyleData {
  TColor Color = ui::clDefault;
  ui::TFont* Font = nullptr;
  TColor FontColor = ui::clDefault;
};

class TcxContainer;
class TcxContainerStyle;
class TcxStyleController;
using TcxContainerStyleChangedEvent = rtl::TNotifyEvent;

// The controller every normal style links to when it has no other. Nothing
// in this library sets it; an editor library may put its own there (and
// must clear it before freeing it).
extern TcxStyleController* cxContainerDefaultStyleController;
TcxStyleController* DefaultContainerStyleController();

class TcxContainerStyle : public core::TcxInterfacedPersistent {
  RTL_CLASS(TcxContainerStyle, core::TcxInterfacedPersistent)

 public:
  TcxContainerStyle(rtl::TPersistent* AOwner, bool ADirectAccessMode, TcxContainerStyle* AParentStyle = nullptr,
                    TcxContainerStateItem AState = TcxContainerStateItem::csNormal);
  ~TcxContainerStyle() override;
  void Assign(rtl::TPersistent* Source) override;

  // A form stores what the style assigns itself, nothing it resolves from a
  // controller or a default; a state style stores only what its owner
  // publishes for that state.
  static void Published(rtl::PropTable<TcxContainerStyle>& p);

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  bool IsBaseStyle() const { return FParentStyle == nullptr; }
  TcxContainerStyle* GetBaseStyle() { return IsBaseStyle() ? this : FParentStyle; }
  TcxContainerStyle* ParentStyle() const { return FParentStyle; }
  TcxContainerStateItem State() const { return FState; }
  bool DirectAccessMode() const { return FDirectAccessMode; }
  bool IsDestroying() const { return FIsDestroying; }
  // The container owning the style, if its owner is one.
  TcxContainer* Container() const;

  // ---- values (resolved: own, then the controller chain, then the default)
  TColor GetBorderColor();
  void SetBorderColor(TColor Value);
  TcxContainerBorderStyle GetBorderStyle();
  void SetBorderStyle(TcxContainerBorderStyle Value);
  virtual TColor GetColor();
  void SetColor(TColor Value);
  core::TcxBorders GetEdges();
  void SetEdges(core::TcxBorders Value);
  ui::TFont* GetFont();
  void SetFont(ui::TFont* Value);
  bool GetHotTrack();
  void SetHotTrack(bool Value);
  bool GetShadow();
  void SetShadow(bool Value);
  virtual TColor GetTextColor();
  void SetTextColor(TColor Value);
  virtual ui::TFontStyles GetTextStyle();
  void SetTextStyle(ui::TFontStyles Value);
  bool GetTransparentBorder();
  void SetTransparentBorder(bool Value);
  // The colour with the controller chain before the parent colour.
  virtual TColor GetStyleColor();
  // A copy of the font with the text colour and text style.
  ui::TFont* GetVisibleFont();

  TcxContainerStyleValues AssignedValues() const;
  void SetAssignedValues(TcxContainerStyleValues Value);
  virtual bool IsValueAssigned(TcxContainerStyleValue AValue);
  virtual void RestoreDefaults();
  bool GetStyleValue(const String& AName, TcxContainerStyleValue& AValue);
  virtual int GetStyleValueCount() { return cxContainerStyleValueCount; }
  virtual bool GetStyleValueName(TcxContainerStyleValue AValue, String& AName);
  bool IsExtendedStylePropertyPublished(const String& AName);
  virtual bool HasBorder();

  TcxLookAndFeel* LookAndFeel();
  void SetLookAndFeel(TcxLookAndFeel* Value);
  // Empty when linked to the default controller.
  TcxStyleController* StyleController();
  void SetStyleController(TcxStyleController* Value);
  // The linked controller, the default one included.
  TcxStyleController* ActiveStyleController();

  const TcxContainerStyleChangedEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TcxContainerStyleChangedEvent& AValue) { FOnChanged = AValue; }

  virtual void ControllerChangedNotification(TcxStyleController* AStyleController);
  virtual void ControllerFreeNotification(TcxStyleController* AStyleController);

  TcxContainerStyleData StyleData;

 protected:
  virtual void Changed();
  virtual TColor DefaultBorderColor();
  virtual TcxContainerBorderStyle DefaultBorderStyle();
  virtual TColor DefaultColor();
  virtual TColor DefaultDisabledTextColor() { return ui::clBtnShadow; }
  virtual core::TcxBorders DefaultEdges() { return core::cxBordersAll; }
  virtual bool DefaultHotTrack() { return true; }
  virtual bool DefaultShadow() { return false; }
  virtual TColor DefaultTextColor();
  virtual ui::TFontStyles DefaultTextStyle();
  virtual bool DefaultTransparentBorder() { return true; }
  virtual void FontChanged(rtl::TObject* Sender);
  virtual TcxStyleController* GetDefaultStyleController() { return DefaultContainerStyleController(); }
  virtual TcxContainerStyleValues InternalGetNotPublishedExtendedStyleValues();
  void UpdateFont();
  // "IsFontAssigned": a font left at the defaults writes no value of its
  // own, so the stream says separately that the style assigns it.
  void DefineProperties(rtl::TFiler* Filer) override;

 private:
  // Whether the owner publishes the property for this style's state.
  bool IsPropertyPublished(const String& AName) const;
  // Stored predicates of the published values.
  template <TcxContainerStyleValue V>
  bool IsValueStored() const;
  bool IsLookAndFeelStored() const;
  bool IsStyleControllerStored() const;
  // The style on the controller chain that assigns AValue (this style
  // first), or null.
  TcxContainerStyle* FindAssigning(TcxContainerStyleValue AValue);
  bool IsParentColorUsed();
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) { Changed(); }
  void AddAssigned(TcxContainerStyleValue AValue);

  TColor FBorderColor = ui::clDefault;
  TcxContainerBorderStyle FBorderStyle = TcxContainerBorderStyle::cbsNone;
  core::TcxBorders FEdges = core::cxBordersAll;
  bool FHotTrack = true;
  bool FShadow = false;
  bool FTransparentBorder = true;
  bool FDirectAccessMode;
  int FFontAssignedValueLockCount = 0;
  bool FIsDestroying = false;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  bool FModified = false;
  TcxContainerStyle* FParentStyle = nullptr;
  TcxContainerStateItem FState;
  ui::TFontStyles FTextStyle;
  TColor FTextColor = ui::clDefault;
  TColor FColor = ui::clDefault;
  int FUpdateCount = 0;
  std::unique_ptr<ui::TFont> FOwnFont;
  std::unique_ptr<ui::TFont> FVisibleFont;
  TcxContainerStyleChangedEvent FOnChanged;
  TcxContainerStyleValues FAssignedValues;
  TcxStyleController* FStyleController = nullptr;
};

// The normal, focused, disabled and hot styles of one owner.
class TcxContainerStyles {
 public:
  TcxContainerStyles(rtl::TPersistent* AOwner);
  ~TcxContainerStyles();
  TcxContainerStyles(const TcxContainerStyles&) = delete;
  TcxContainerStyles& operator=(const TcxContainerStyles&) = delete;

  TcxContainerStyle* Style(TcxContainerStateItem AState) const { return FStyles[int(AState)].get(); }
  void SetStyle(TcxContainerStateItem AState, TcxContainerStyle* AValue) { Style(AState)->Assign(AValue); }
  TcxContainerStyle* StyleNormal() const { return Style(TcxContainerStateItem::csNormal); }
  TcxContainerStyle* StyleFocused() const { return Style(TcxContainerStateItem::csActive); }
  TcxContainerStyle* StyleDisabled() const { return Style(TcxContainerStateItem::csDisabled); }
  TcxContainerStyle* StyleHot() const { return Style(TcxContainerStateItem::csHotTrack); }
  void SetOnChanged(const TcxContainerStyleChangedEvent& AEvent);

 private:
  std::unique_ptr<TcxContainerStyle> FStyles[4];
};

// Owns four styles and lends their values to every container style linked
// to it.
class TcxStyleController : public core::TcxScalableComponent {
  RTL_CLASS(TcxStyleController, core::TcxScalableComponent)

 public:
  explicit TcxStyleController(rtl::TComponent* AOwner);
  ~TcxStyleController() override;

  TcxContainerStyles* Styles() const { return FStyles.get(); }
  TcxContainerStyle* Style() const { return FStyles->StyleNormal(); }
  TcxContainerStyle* StyleDisabled() const { return FStyles->StyleDisabled(); }
  TcxContainerStyle* StyleFocused() const { return FStyles->StyleFocused(); }
  TcxContainerStyle* StyleHot() const { return FStyles->StyleHot(); }
  // Setting a style copies the given one into it.
  void SetStyle(TcxContainerStyle* AValue) { Style()->Assign(AValue); }
  void SetStyleDisabled(TcxContainerStyle* AValue) { StyleDisabled()->Assign(AValue); }
  void SetStyleFocused(TcxContainerStyle* AValue) { StyleFocused()->Assign(AValue); }
  void SetStyleHot(TcxContainerStyle* AValue) { StyleHot()->Assign(AValue); }
  static void Published(rtl::PropTable<TcxStyleController>& p);
  // The normal style's own controller; setting it does nothing.
  TcxStyleController* FakeStyleController() { return Style()->StyleController(); }
  void SetFakeStyleController(TcxStyleController*) {}
  bool IsDestruction() const { return FIsDestruction; }
  const std::vector<TcxContainerStyle*>& Listeners() const { return FListeners; }

  const rtl::TNotifyEvent& OnStyleChanged() const { return FOnStyleChanged; }
  void SetOnStyleChanged(const rtl::TNotifyEvent& AValue) { FOnStyleChanged = AValue; }

  virtual void AddListener(TcxContainerStyle* AStyle);
  virtual void RemoveListener(TcxContainerStyle* AStyle);
  void ChangeScale(int M, int D) override;

 protected:
  void Loaded() override;
  void Changed();

 private:
  void StyleChanged(rtl::TObject*) { Changed(); }

  bool FIsDestruction = false;
  std::vector<TcxContainerStyle*> FListeners;
  rtl::TNotifyEvent FOnStyleChanged;
  std::unique_ptr<TcxContainerStyles> FStyles;
};

// ---- the container control --------------------------------------------------------------------
inline constexpr int cxContainerShadowWidth = 3;
inline constexpr TColor cxContainerShadowColor = ui::clBtnShadow;
// The point a refresh uses when the pointer is not over the container.
inline constexpr TPoint cxInvisiblePoint{-10000, -10000};
// Posted to itself: a short refresh, and the scroll bars' update.
inline constexpr win::UINT DXM_CONTAINERSHORTREFRESH = 0x807F;
inline constexpr win::UINT DXM_UPDATESCROLLBARS = 0x8080;

class TcxContainerViewInfo {
 public:
  explicit TcxContainerViewInfo(TcxContainer* AOwner) : Owner(AOwner) {}
  virtual ~TcxContainerViewInfo() = default;

  virtual void Paint(core::TcxCanvas* ACanvas) { InternalPaint(ACanvas); }
  virtual void UpdateStyle(TcxContainerStyle* AStyle);
  virtual void Offset(int DX, int DY);
  TColor BackgroundColor() const { return FBackgroundColor; }
  virtual void SetBackgroundColor(TColor Value) { FBackgroundColor = Value; }
  bool Calculated() const { return FCalculated; }
  void SetCalculated() { FCalculated = true; }

  TColor BorderColor = ui::clDefault;
  TRect BorderRect{};
  TcxContainerBorderStyle BorderStyle = TcxContainerBorderStyle::cbsNone;
  int BorderWidth = 0;
  TRect Bounds{};
  TRect ClientRect{};
  TcxContainerState ContainerState{TcxContainerStateItem::csNormal};
  core::TcxBorders Edges = core::cxBordersAll;
  TcxContainerHotState HotState = TcxContainerHotState::chsNormal;
  int NativePart = 0;
  int NativeState = 0;
  bool NativeStyle = false;
  // The theme class the native frame and background come from.
  core::TdxThemedObjectType ThemedObjectType = core::TdxThemedObjectType::totEdit;
  TcxContainer* Owner;
  TcxCustomLookAndFeelPainter* Painter = nullptr;
  bool Shadow = false;
  bool UseSkins = false;

 protected:
  virtual void DrawBorder(core::TcxCanvas* ACanvas, TRect R);
  virtual void InternalPaint(core::TcxCanvas* ACanvas);
  // The theme's frame around its content rectangle, the background inside.
  virtual void DrawNativeBackground(core::TcxCanvas* ACanvas);

 private:
  TColor FBackgroundColor = ui::clWindow;
  bool FCalculated = false;
};

class TcxContainer;
// What an inner control offers its container.
class IcxContainerInnerControl {
 public:
  virtual ui::TWinControl* GetControl() = 0;
  virtual TcxContainer* GetControlContainer() = 0;

 protected:
  ~IcxContainerInnerControl() = default;
};

class TcxContainer : public TcxControl, public IcxMouseTrackingCaller {
  RTL_CLASS(TcxContainer, TcxControl)
  friend class TcxContainerAccess;

 public:
  explicit TcxContainer(rtl::TComponent* AOwner);
  ~TcxContainer() override;

  // ---- styles
  TcxContainerStyle* Style() const { return FStyles->StyleNormal(); }
  TcxContainerStyle* StyleDisabled() const { return FStyles->StyleDisabled(); }
  TcxContainerStyle* StyleFocused() const { return FStyles->StyleFocused(); }
  TcxContainerStyle* StyleHot() const { return FStyles->StyleHot(); }
  // Setting a style copies the given one into it.
  void SetStyle(TcxContainerStyle* AValue) { Style()->Assign(AValue); }
  void SetStyleDisabled(TcxContainerStyle* AValue) { StyleDisabled()->Assign(AValue); }
  void SetStyleFocused(TcxContainerStyle* AValue) { StyleFocused()->Assign(AValue); }
  void SetStyleHot(TcxContainerStyle* AValue) { StyleHot()->Assign(AValue); }
  static void Published(rtl::PropTable<TcxContainer>& p);
  TcxContainerStyle* ActiveStyle() { return GetActiveStyle(); }
  bool IsStylePropertyPublished(const String& APropertyName, bool AIsStateStyle);
  bool IsStyleAssigned(TcxContainerStyleValue AValue);

  // ---- the inner control
  ui::TWinControl* InnerControl() const { return FInnerControl; }
  void SetInnerControl(ui::TWinControl* Value);
  bool HasInnerControl() const { return FInnerControl != nullptr; }
  bool HasInnerControlHandle() const { return FInnerControl && FInnerControl->HandleAllocated(); }
  ui::TWinControl* GetActiveControl() { return FInnerControl ? FInnerControl : this; }

  TcxContainerViewInfo* ViewInfo() const { return FViewInfo.get(); }
  bool IsViewInfoCalculated() const { return FIsViewInfoCalculated; }
  void CheckIsViewInfoCalculated();
  // True when the container or its inner control has the focus.
  bool Focused();
  void SetFocus() override;

  void ShortRefreshContainer(bool AIsMouseEvent);
  void RefreshContainer(const TPoint& P, ui::TMouseButton AButton, ui::TShiftState AShift, bool AIsMouseEvent);
  // Posts the scroll bars' update to itself (done once the queue runs).
  void UpdateScrollBarsParameters();
  void LockAlignControls(bool ALock);
  void LockPopupMenu(bool ALock);

  // IcxMouseTrackingCaller: the pointer left the hot container.
  void MouseLeave() override { MouseTrackingCallerMouseLeave(); }
  using TcxControl::MouseLeave;

  // The virtual operations descendants tune (public for the tests and the
  // editors built on top).
  virtual TcxContainerStyle* GetActiveStyle();
  virtual bool DefaultParentColor() { return false; }
  virtual bool IsInplace() { return false; }
  virtual bool IsReadOnly() { return false; }
  virtual TRect GetBorderExtent();
  virtual TRect GetVisibleBounds();
  virtual bool HasShadow();
  // The colour the inner control fills the size grip (the square between its
  // two scroll bars) with: the scroll bars' painter's.
  virtual TColor GetSizeGripColor();
  virtual core::TdxThemedObjectType GetBackgroundThemedObjectType() { return core::TdxThemedObjectType::totEdit; }
  // False for a container whose Tab must reach its inner control.
  virtual bool CanContainerHandleTabs() { return true; }
  // Where the inner control is the form's active control it stands in the
  // container's place, so Shift+Tab from it leaves the container instead of
  // landing on the frame around it.
  void GetTabOrderList(std::vector<ui::TWinControl*>& AList) override;
  // The drag mode is the inner control's too: a press on it starts the drag.
  void SetDragMode(ui::TDragMode Value) override;
  // True while the inner control is handing a mouse press on to the container.
  bool InnerControlMouseDown() const { return FInnerControlMouseDown; }

 protected:
  virtual void MouseTrackingCallerMouseLeave();
  virtual void AdjustInnerControl();
  virtual void CalculateViewInfo(const TPoint& P, bool AIsMouseEvent);
  virtual bool CanHaveTransparentBorder();
  virtual bool CanRefreshContainer();
  virtual void ContainerStyleChanged(rtl::TObject* Sender);
  virtual gdi::HRGN CreateWindowRegion();
  virtual void DoRefreshContainer(const TPoint& P, ui::TMouseButton AButton, ui::TShiftState AShift,
                                  bool AIsMouseEvent);
  virtual void EndMouseTracking();
  virtual TColor GetBackgroundColor();
  virtual TColor GetBorderColor();
  virtual TRect GetShadowBounds();
  virtual TcxContainerStyle* InternalGetActiveStyle();
  virtual TcxContainerStyleValues InternalGetNotPublishedStyleValues() { return {}; }
  virtual bool IsContainerFocused() { return TcxControl::Focused(); }
  virtual bool IsNativeStyle();
  virtual void DoSetSize();
  virtual void UpdateWindowRegion();
  virtual bool NeedsInnerScrollBars() { return false; }
  virtual void SetScrollBarsParameters();
  virtual TcxContainerViewInfo* CreateViewInfo() { return new TcxContainerViewInfo(this); }

  // Overrides of the base control.
  void DoPaint() override;
  void WndProc(ui::TMessage& Message) override;
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;
  void MouseEnter(ui::TControl* AControl) override;
  void MouseLeave(ui::TControl* AControl) override;
  void FocusChanged() override;
  void ColorChanged() override;
  void Resize() override;
  void CreateWnd() override;
  TRect GetClientBounds() override;
  bool NeedsScrollBars() override { return NeedsInnerScrollBars(); }
  bool MayFocus() override;
  bool CanFocusOnClick() override;
  void KeyDown(rtl::Word& Key, ui::TShiftState Shift) override;
  TcxCustomLookAndFeelPainter* GetLookAndFeelPainter() override;

 private:
  void InnerControlEnterExit(rtl::TObject*) { ShortRefreshContainer(false); }
  void AdjustScrollBarPosition(TScrollBarKind AKind);

  struct {
    TcxContainerState State{TcxContainerStateItem::csNormal};
    TcxContainerStyle* Style = nullptr;
  } FActiveStyleData;
  bool FHasChanges = false;
  ui::TWinControl* FInnerControl = nullptr;
  bool FInnerControlMouseDown = false;
  bool FIsViewInfoCalculated = false;
  int FLockAlignControlsCount = 0;
  int FPopupMenuLockCount = 0;
  int FRefreshLockCount = 0;
  bool FScrollBarsCalculating = false;
  bool FInternalSetting = false;
  bool FIsCreating = true;
  bool FIsDestroyingContainer = false;
  std::unique_ptr<TcxContainerStyles> FStyles;
  std::unique_ptr<TcxContainerViewInfo> FViewInfo;
};

// An inner control hands its input to its container through these before
// handling it itself, so an editor sees every key and click first.
class TcxContainerAccess {
 public:
  static void Click(TcxContainer* C) { C->Click(); }
  static void DblClick(TcxContainer* C) { C->DblClick(); }
  static void KeyDown(TcxContainer* C, rtl::Word& Key, ui::TShiftState Shift) { C->KeyDown(Key, Shift); }
  static void KeyPress(TcxContainer* C, rtl::Char& Key) { C->KeyPress(Key); }
  static void KeyUp(TcxContainer* C, rtl::Word& Key, ui::TShiftState Shift) { C->KeyUp(Key, Shift); }
  // X, Y in the container's client coordinates.
  static void MouseDown(TcxContainer* C, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  static void MouseMove(TcxContainer* C, ui::TShiftState Shift, int X, int Y) { C->MouseMove(Shift, X, Y); }
  static void MouseUp(TcxContainer* C, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
    C->MouseUp(Button, Shift, X, Y);
  }
  static bool MouseWheel(TcxContainer* C, ui::TShiftState Shift, int WheelDelta, TPoint MousePos) {
    return C->DoMouseWheel(Shift, WheelDelta, MousePos);
  }
  static void DragOver(TcxContainer* C, rtl::TObject* Source, int X, int Y, ui::TDragState State, bool& Accept) {
    C->DragOver(Source, X, Y, State, Accept);
  }
  static void DragDrop(TcxContainer* C, rtl::TObject* Source, int X, int Y) { C->DragDrop(Source, X, Y); }
  // Drags the container once the pointer, pressed at AScreenPoint, leaves the
  // drag detection square; a release before that drags nothing.
  static void BeginAutoDrag(TcxContainer* C, const TPoint& AScreenPoint);
  static void FocusChanged(TcxContainer* C) { C->FocusChanged(); }
};

// ---- unit routines -----------------------------------------------------------------------------
// The control when it is a container, else the container of an inner control.
TcxContainer* GetcxContainer(ui::TControl* AControl);
TRect GetControlRect(ui::TControl* AControl);
// Each side whose edge is not drawn moves inwards by W.
TRect InflateRectByBorders(const TRect& R, int W, core::TcxBorders AEdges);
// Each side whose edge is drawn moves outwards by W.
TRect ExtendRectByBorders(const TRect& R, int W, core::TcxBorders AEdges);
// Fills R except AInner, as four bands; all of R when AInner is empty.
void InternalFillRect(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AInner, TColor AColor);
int GetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle);
int GetContainerBorderWidth(TcxLookAndFeelKind AKind);
TColor GetContainerBorderColor(bool AIsHighlight, bool AIsOffice11Style);
void DrawContainerShadow(core::TcxCanvas* ACanvas, const TRect& R);

}  // namespace lookandfeel

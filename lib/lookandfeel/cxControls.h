#pragma once
// The base control of the library (TcxControl): its paint cycle with double
// buffering, the message map, mouse and keyboard with the capture object,
// the wheel and the middle-button autoscroll, its own scroll bars (windowed
// or painted, with the visibility calculation), pixel scrolling and gesture
// panning; beside it the unit's routines: mouse tracking, the hourglass
// counter, drag detection, popup menus, the screen cursors and the
// locked-state image a control shows while it recalculates, and the
// design-time selection frames.
#include <memory>
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxCoreClasses.h"
#include "lib/core/dxGestures.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "lib/lookandfeel/cxControlsSystem.h"
#include "lib/lookandfeel/cxFontListener.h"
#include "lib/lookandfeel/cxScrollBar.h"
#include "platform/ui/controls.h"
#include "platform/ui/dragdrop.h"
#include "platform/ui/menus.h"
#include "platform/ui/mouse.h"

namespace lookandfeel {

// ---- private messages of the control layer ---------------------------------------------------
// Re-check the system scroll-bar sizes (posted after WM_NCCALCSIZE).
constexpr win::UINT CM_NCSIZECHANGED = 0x8065;
// A key-down nobody handled, sent to the application's window.
constexpr win::UINT CM_APPDEFAULTKEYDOWN = 0x806B;
// The buffered print-client request whose pending copies are served at once.
constexpr win::UINT WM_BUFFEREDPRINTCLIENT = 0xB04D;

// ---- screen cursors registered by this unit ---------------------------------------------------
constexpr ui::TCursor crDragCopy = 2100;
constexpr ui::TCursor crFullScroll = 2101;
constexpr ui::TCursor crHorScroll = 2102;
constexpr ui::TCursor crVerScroll = 2103;
constexpr ui::TCursor crUpScroll = 2104;
constexpr ui::TCursor crRightScroll = 2105;
constexpr ui::TCursor crDownScroll = 2106;
constexpr ui::TCursor crLeftScroll = 2107;
constexpr ui::TCursor crcxRemove = 2108;
constexpr ui::TCursor crcxVertSize = 2109;
constexpr ui::TCursor crcxHorzSize = 2110;
constexpr ui::TCursor crcxMultiDrag = 2111;
constexpr ui::TCursor crcxNoDrop = 2112;
constexpr ui::TCursor crcxDrag = 2113;
constexpr ui::TCursor crcxColorPicker = 2114;
constexpr ui::TCursor crcxMultiDragCopy = 2115;
constexpr ui::TCursor crcxHand = 2116;
constexpr ui::TCursor crcxHandDrag = 2117;
constexpr ui::TCursor crdxLayoutControlNoDrop = 2119;
constexpr ui::TCursor crdxLayoutControlRemove = 2120;
constexpr ui::TCursor crdxLayoutControlDropAfter = 2121;
constexpr ui::TCursor crdxLayoutControlDropBefore = 2122;
constexpr ui::TCursor crdxLayoutControlDropInside = 2123;
constexpr ui::TCursor crcxDropAfterCopy = 2124;
constexpr ui::TCursor crcxDropBeforeCopy = 2125;
constexpr ui::TCursor crcxDropInsideCopy = 2126;
// The system's hand pointer.
constexpr ui::TCursor crcxSystemHand = -2099;

struct ControlCursor {
  ui::TCursor id;
  const char* resource;  // "CURSOR" resource of our own artwork
  win::POINT hotspot;
};
// The 26 cursors the unit registers (2118 is not used).
const std::vector<ControlCursor>& ControlCursorTable();
// Registers every cursor of the table, and the system hand as -2099, in the
// screen's cursor table; the unit start runs it. The cursors themselves are
// made on first use, so no window system is needed yet.
void cxRegisterControlCursors();

// ---- enumerations -------------------------------------------------------------------------
enum class TcxControlBorderStyle { cxcbsNone, cxcbsDefault };
enum class TcxControlActivateType { atOther, atByMouse, atByMouseNonClientArea };
enum class TcxDragAndDropState { ddsNone, ddsStarting, ddsInProcess };
enum class TcxKey { kAll, kArrows, kChars, kTab };
using TcxKeys = rtl::Set<TcxKey, 4>;
enum class TcxMouseWheelScrollingKind { mwskNone, mwskHorizontal, mwskVertical };
enum class TcxDirection { dirNone, dirLeft, dirRight, dirUp, dirDown };
enum class TcxDragDetect { ddNone, ddDrag, ddCancel };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TcxControl;
class TcxDragAndDropObject;
// Makes the internal drag object of a control (the class a control chooses).
using TcxDragAndDropObjectClass = TcxDragAndDropObject* (*)(TcxControl* AControl);
class TcxDragImageList;
// Makes the drag-image list of a platform drag (the class a control chooses).
using TcxDragImageListClass = TcxDragImageList* (*)();

// ---- interfaces -----------------------------------------------------------------------------
class IcxLockedStatePaint {
 public:
  virtual ~IcxLockedStatePaint() = default;
  virtual core::TcxBitmap* GetImage() = 0;
  virtual ui::TWinControl* GetTopmostControl() = 0;
};

class IcxLockedStateFontChanged {
 public:
  virtual ~IcxLockedStateFontChanged() = default;
  virtual void FontChanged(ui::TFont* AFont) = 0;
};

class IcxTransparentControl {
 public:
  virtual ~IcxTransparentControl() = default;
  virtual bool IsTransparentRegionsPresent() = 0;
};

class IcxMouseCaptureObject {
 public:
  virtual ~IcxMouseCaptureObject() = default;
  virtual void DoCancelMode() = 0;
};

// Mouse tracking: a 10 ms poll per caller that reports once that the
// pointer left the caller.
class IcxMouseTrackingCaller {
 public:
  virtual ~IcxMouseTrackingCaller() = default;
  virtual void MouseLeave() = 0;
};
class IcxMouseTrackingCaller2 : public virtual IcxMouseTrackingCaller {
 public:
  // APoint in the tracked control's client coordinates (screen without one).
  virtual bool PtInCaller(const TPoint& APoint) = 0;
};
class IcxMouseTrackingCaller3 : public virtual IcxMouseTrackingCaller {
 public:
  // While True, leaving the area does not end tracking.
  virtual bool IsCaptureMouse() = 0;
};

class IcxPopupMenu {
 public:
  virtual ~IcxPopupMenu() = default;
  virtual bool IsShortCutKey(ui::TMessage& Message) = 0;
  virtual void Popup(int X, int Y) = 0;
};

// A popup menu that also opens under an owner rectangle with an alignment.
class IcxPopupMenu2 : public IcxPopupMenu {
 public:
  using IcxPopupMenu::Popup;
  virtual void Popup(int X, int Y, ui::TPopupAlignment AAlignment, const TRect& AOwnerBounds) = 0;
};

// What a spell checker adds to a control's context menu: offered the
// control's popup menu (null without one) and the request's screen point
// before the menu shows, it may show its own menu (suggestions) instead and
// answers whether it did. This program has no spell checker, so none is
// registered unless a test does.
class IdxSpellCheckerPopupHook {
 public:
  virtual ~IdxSpellCheckerPopupHook() = default;
  virtual bool QueryPopup(rtl::TComponent* APopupMenu, const TPoint& AScreenPoint) = 0;
};
IdxSpellCheckerPopupHook* dxSpellCheckerPopupHook();
void dxSetSpellCheckerPopupHook(IdxSpellCheckerPopupHook* AHook);

// What the default handlers of the control, of the container's inner
// controls and of the button control do first: a key-down nobody handled is
// offered to the application's window as CM_APPDEFAULTKEYDOWN.
class TcxControlDefaultHandlerHelper {
 public:
  // True: the application's window took the key (answered nonzero).
  static bool Process(ui::TMessage& Message);
};

// ---- unit routines ----------------------------------------------------------------------------
void BeginMouseTracking(ui::TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller);
void EndMouseTracking(IcxMouseTrackingCaller* ACaller);
bool IsMouseTracking(IcxMouseTrackingCaller* ACaller);
// Timers left running (tests and the unit stop).
int MouseTrackingCount();

void ShowHourglassCursor();
void HideHourglassCursor();

// The modal drag-detection loop: ddDrag once the pointer leaves the square of
// side 2 x Mouse.DragThreshold around AStartPoint (screen), ddNone when a
// button is released first, ddCancel on Escape or a lost capture.
TcxDragDetect cxDragDetect(win::HWND Wnd, const TPoint& AStartPoint);

using TcxScrollContentProc = rtl::Method<void(TcxDirection ADirection)>;
// The modal middle-button autoscroll: an anchor window at the pointer, steps
// every (13 - speed) ticks of a 20 ms timer while the pointer stays away
// from the anchor, ended by any click.
void cxProcessControlScrollingOnMiddleButton(ui::TWinControl* AControl, bool AllowHorScrolling,
                                             bool AllowVerScrolling, const TcxScrollContentProc& AScrollContentProc,
                                             bool& AScrollContentFlag);
// Speed 0 in the neutral zone, else (distance - anchor / 2) div 5 + 1, at most 12.
int cxAutoScrollSpeed(int ADistance, int AAnchorSize);

bool IsPopupMenu(rtl::TComponent* APopupMenu);
bool IsPopupMenuShortCut(rtl::TComponent* APopupMenu, ui::TMessage& Message);
// A component is a popup menu here when it is the platform's TPopupMenu or
// implements IcxPopupMenu; the platform's shows only with AutoPopup.
bool ShowPopupMenu(ui::TControl* ACaller, rtl::TComponent* APopupMenu, int X, int Y);
bool ShowPopupMenu(ui::TControl* ACaller, rtl::TComponent* APopupMenu, const TPoint& P);
// Under AOwnerBounds (screen): at its bottom-left corner, moved right by its
// width for paRight and half of it for paCenter. The platform menu opens
// above the owner when the work area has no room for it below, and turns
// to stay on the work area at its left and right edges.
bool ShowPopupMenu(ui::TControl* ACaller, rtl::TComponent* APopupMenu, const TRect& AOwnerBounds,
                   ui::TPopupAlignment APopupAlignment);
// The height the menu's top level takes on the screen: the tallest column
// of items (each the menu font's "Qg" + 4 unless owner-measured) + 4.
int GetPopupMenuHeight(rtl::TComponent* APopupMenu);

// Window routines.
void cxSetLayeredWindowAttributes(win::HWND AHandle, win::BYTE AAlphaBlendValue);
bool CanAllocateHandle(ui::TWinControl* AControl);
// Gives the dialog AFont and scales its controls and its client size by the
// ratio of the new text height to the old one.
void DialogApplyFont(ui::TCustomForm* ADialog, ui::TFont* AFont);

// Paint path routines.
bool dxGetUpdateRgn(ui::TWinControl* AControl, gdi::HRGN ARegion);
void dxBufferedPaintControl(ui::TWinControl* AControl);
bool cxIsDrawToMemory(const ui::TMessage& AMessage);
void dxForceProcessBufferedPaintMessages(ui::TWinControl* AControl);

// ---- locked-state image ---------------------------------------------------------------------
enum class TcxLockedStateImageShowingMode { lsimNever, lsimPending, lsimImmediate };
enum class TcxLockedStateImageEffect { lsieNone, lsieLight, lsieDark };
enum class TcxLockedStateImageAssignedValue { lsiavFont, lsiavColor };
using TcxLockedStateImageAssignedValues = rtl::Set<TcxLockedStateImageAssignedValue, 2>;

class TcxLockedStateImageOptions : public rtl::TPersistent {
  RTL_CLASS(TcxLockedStateImageOptions, rtl::TPersistent)

 public:
  explicit TcxLockedStateImageOptions(rtl::TComponent* AOwner);
  ~TcxLockedStateImageOptions() override;
  // Takes the font to follow; from then on a change of the own font marks it
  // assigned.
  void AfterConstruction() override;
  void Assign(rtl::TPersistent* Source) override;

  TcxLockedStateImageAssignedValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxLockedStateImageAssignedValues AValue);
  TColor Color() const { return FColor; }
  void SetColor(TColor AValue);
  TcxLockedStateImageEffect Effect() const { return FEffect; }
  void SetEffect(TcxLockedStateImageEffect AValue) { FEffect = AValue; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue) { FEnabled = AValue; }
  ui::TFont* Font() const { return FFont.get(); }
  void SetFont(ui::TFont* AValue) { FFont->Assign(AValue); }
  bool ShowText() const { return FShowText; }
  void SetShowText(bool AValue) { FShowText = AValue; }
  const String& Text() const { return FText; }
  void SetText(const String& AValue) { FText = AValue; }
  // Only while the font is not assigned: the own font follows AFont.
  void UpdateFont(ui::TFont* AFont);
  // Stored only when it differs from the resource string's current text.
  virtual bool IsTextStored() const;
  rtl::TComponent* Owner() const { return FOwner; }

 protected:
  virtual ui::TFont* GetFont() = 0;

 private:
  void FontChanged(rtl::TObject* Sender);
  void CopyFollowedFont();

  TcxLockedStateImageAssignedValues FAssignedValues;
  bool FEnabled = true;
  rtl::TComponent* FOwner;
  bool FShowText = false;
  TcxLockedStateImageEffect FEffect = TcxLockedStateImageEffect::lsieNone;
  String FText;
  TColor FColor = ui::clNone;
  std::unique_ptr<ui::TFont> FFont;
  bool FFollowing = false;
};

class TcxLockedStatePaintHelper : public rtl::TObject {
  RTL_CLASS(TcxLockedStatePaintHelper, rtl::TObject)

 public:
  explicit TcxLockedStatePaintHelper(rtl::TComponent* AOwner) : FOwner(AOwner) {}
  ~TcxLockedStatePaintHelper() override;

  void BeginLockedPaint(TcxLockedStateImageShowingMode AMode);
  void EndLockedPaint();
  // Nil unless a picture exists and no capture runs; prepared (effect and
  // text) the first time it is asked for.
  core::TcxBitmap* GetImage();
  bool IsActive() const { return FBitmap && !FCreatingImage; }
  core::TcxCanvas* GetActiveCanvas();
  int Count() const { return FCount; }

 protected:
  virtual void PrepareImage();
  virtual bool CanCreateLockedImage();
  virtual bool CanControlPaint();
  virtual bool DoPrepareImage() { return false; }
  virtual TcxLockedStateImageOptions* GetOptions() = 0;
  virtual TcxControl* GetControl() = 0;
  virtual TcxCustomLookAndFeelPainter* GetPainter();
  void CreateImage();
  void DrawText();

 private:
  std::unique_ptr<core::TcxBitmap32> FBitmap;
  int FCount = 0;
  bool FCreatingImage = false;
  bool FIsImageReady = false;
  rtl::TComponent* FOwner;
};

// ---- scroll bars of controls ------------------------------------------------------------------
class TcxScrollBarData : public rtl::TObject {
  RTL_CLASS(TcxScrollBarData, rtl::TObject)

 public:
  void Validate() { FIsValid = FMin <= FMax && FMax - FMin + 1 > FPageSize && FMin <= FPosition; }

  bool FAllowHide = false;
  bool FAllowShow = false;
  bool FEnabled = false;
  bool FIsValid = false;
  short FLargeChange = 0;
  int FMin = 0, FMax = 0, FPosition = 0, FPageSize = 0;
  short FSmallChange = 0;
  bool FVisible = false;
};

// One bar of a control, windowed or painted.
class IcxControlScrollBar {
 public:
  virtual ~IcxControlScrollBar() = default;
  virtual void ApplyData() = 0;
  // The bar's own window control (nil for a painted bar).
  virtual ui::TWinControl* GetControl() = 0;
  virtual TRect GetBoundsRect() = 0;
  virtual TcxScrollBarData* GetData() = 0;
  virtual bool GetEnabled() = 0;
  virtual TScrollBarKind GetKind() = 0;
  virtual int GetMax() = 0;
  virtual int GetMin() = 0;
  virtual int GetPageSize() = 0;
  virtual int GetPosition() = 0;
  virtual bool GetVisible() = 0;
  virtual int GetWidth() = 0;
  virtual int GetHeight() = 0;
  virtual void SetBoundsRect(const TRect& AValue) = 0;
  virtual void SetEnabled(bool AValue) = 0;
  virtual void SetVisible(bool AValue) = 0;
  virtual void SetWidth(int AValue) = 0;
  virtual void SetHeight(int AValue) = 0;
  virtual void SetScrollParams(int AMin, int AMax, int APosition, int APageSize, bool ARedraw) = 0;
};

// The windowed bar: a child control of the owner.
class TcxControlScrollBar : public TcxScrollBar, public IcxControlScrollBar {
  RTL_CLASS(TcxControlScrollBar, TcxScrollBar)

 public:
  explicit TcxControlScrollBar(rtl::TComponent* AOwner);
  ~TcxControlScrollBar() override;

  void ApplyData() override;
  ui::TWinControl* GetControl() override { return this; }
  TRect GetBoundsRect() override { return BoundsRect(); }
  TcxScrollBarData* GetData() override { return FData.get(); }
  bool GetEnabled() override { return Enabled(); }
  TScrollBarKind GetKind() override { return Kind(); }
  int GetMax() override { return Max(); }
  int GetMin() override { return Min(); }
  int GetPageSize() override { return PageSize(); }
  int GetPosition() override { return Position(); }
  bool GetVisible() override { return Visible(); }
  int GetWidth() override { return Width(); }
  int GetHeight() override { return Height(); }
  void SetBoundsRect(const TRect& AValue) override { TcxScrollBar::SetBoundsRect(AValue); }
  void SetEnabled(bool AValue) override { TcxScrollBar::SetEnabled(AValue); }
  void SetVisible(bool AValue) override { TcxScrollBar::SetVisible(AValue); }
  void SetWidth(int AValue) override { TcxScrollBar::SetWidth(AValue); }
  void SetHeight(int AValue) override { TcxScrollBar::SetHeight(AValue); }
  void SetScrollParams(int AMin, int AMax, int APosition, int APageSize, bool ARedraw) override {
    TcxScrollBar::SetScrollParams(AMin, AMax, APosition, APageSize, ARedraw);
  }
  void Dispatch(void* message) override;

 protected:
  void DoPaint(core::TcxCanvas* ACanvas) override;
  void WndProc(ui::TMessage& Message) override;

 private:
  void FocusParent();
  std::unique_ptr<TcxScrollBarData> FData;
};

// The painted bar: drawn by the owner on its own canvas.
class TcxControlScrollBarHelper : public TcxScrollBarHelper, public IcxControlScrollBar {
  RTL_CLASS(TcxControlScrollBarHelper, TcxScrollBarHelper)

 public:
  explicit TcxControlScrollBarHelper(IcxScrollBarOwner* AOwner);
  ~TcxControlScrollBarHelper() override;

  void ApplyData() override;
  ui::TWinControl* GetControl() override { return nullptr; }
  TRect GetBoundsRect() override { return BoundsRect(); }
  TcxScrollBarData* GetData() override { return FData.get(); }
  bool GetEnabled() override { return Enabled(); }
  TScrollBarKind GetKind() override { return Kind(); }
  int GetMax() override { return Max(); }
  int GetMin() override { return Min(); }
  int GetPageSize() override { return PageSize(); }
  int GetPosition() override { return Position(); }
  bool GetVisible() override { return Visible(); }
  int GetWidth() override { return BoundsRect().right - BoundsRect().left; }
  int GetHeight() override { return BoundsRect().bottom - BoundsRect().top; }
  void SetBoundsRect(const TRect& AValue) override { TcxScrollBarHelper::SetBoundsRect(AValue); }
  void SetEnabled(bool AValue) override { TcxScrollBarHelper::SetEnabled(AValue); }
  void SetVisible(bool AValue) override { TcxScrollBarHelper::SetVisible(AValue); }
  void SetWidth(int AValue) override;
  void SetHeight(int AValue) override;
  void SetScrollParams(int AMin, int AMax, int APosition, int APageSize, bool ARedraw) override {
    TcxScrollBarHelper::SetScrollParams(AMin, AMax, APosition, APageSize, ARedraw);
  }
  void Repaint() override;

 private:
  std::unique_ptr<TcxScrollBarData> FData;
};

// The windowed corner square.
class TcxSizeGrip : public ui::TCustomControl {
  RTL_CLASS(TcxSizeGrip, ui::TCustomControl)

 public:
  explicit TcxSizeGrip(rtl::TComponent* AOwner);
  ~TcxSizeGrip() override;
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void Dispatch(void* message) override;

 protected:
  void Paint() override;
  virtual void Draw(ui::TCanvas* ACanvas);

 private:
  void LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); }
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
};

// The painted corner square.
class TcxSizeGripHelper : public rtl::TObject {
  RTL_CLASS(TcxSizeGripHelper, rtl::TObject)

 public:
  explicit TcxSizeGripHelper(IcxScrollBarOwner* AOwner) : FOwner(AOwner) {}
  virtual void Paint(core::TcxCanvas* ACanvas);
  virtual void Repaint();
  TRect FBoundsRect{};
  bool FIsNonClient = false;
  IcxScrollBarOwner* FOwner;
  bool FVisible = false;
};

// The set of bars a control owns.
class TcxControlCustomScrollBars : public core::TcxIUnknownObject {
  RTL_CLASS(TcxControlCustomScrollBars, core::TcxIUnknownObject)

 public:
  explicit TcxControlCustomScrollBars(TcxControl* AOwner) : FOwner(AOwner) {}
  ~TcxControlCustomScrollBars() override;
  // Makes the bars (the constructor of a set cannot call the virtual
  // creators); the owner calls it right after creating the set.
  void Initialize() { CreateScrollBars(); }

  virtual void ApplyData();
  virtual void BringInternalControlsToFront() {}
  virtual bool CheckSize(TScrollBarKind AKind);
  virtual void CheckSizeGripVisible(bool AValue) = 0;
  virtual rtl::TObject* CreateScrollBar(TScrollBarKind AKind) = 0;
  virtual void CreateScrollBars();
  virtual rtl::TObject* CreateSizeGrip() = 0;
  virtual void DestroyScrollBars();
  virtual void DoScroll(rtl::TObject* Sender, TScrollCode AScrollCode, int& AScrollPos);
  virtual IcxControlScrollBar* GetScrollBar(TScrollBarKind AKind);
  virtual void InitScrollBars() {}
  virtual bool IsInternalControl(ui::TControl* AControl) { return false; }
  virtual bool IsScrollBarVisible(TScrollBarKind AKind);
  virtual bool IsSizeGripArea(const TPoint& APoint) { return false; }
  virtual void SetInternalControlsBounds() = 0;
  virtual void UpdateInternalControlsState() {}
  virtual void Invalidate() = 0;
  virtual void DrawSizeGrip(core::TcxCanvas* ACanvas) {}

  bool FCalculating = false;
  TcxControl* Owner() const { return FOwner; }

 protected:
  TcxControl* FOwner;
  rtl::TObject* FHScrollBar = nullptr;
  rtl::TObject* FSizeGrip = nullptr;
  rtl::TObject* FVScrollBar = nullptr;
};

class TcxControlScrollBars : public TcxControlCustomScrollBars, public IcxScrollBarOwner {
  RTL_CLASS(TcxControlScrollBars, TcxControlCustomScrollBars)

 public:
  using TcxControlCustomScrollBars::TcxControlCustomScrollBars;
  ui::TWinControl* GetControl() override;
  TcxLookAndFeel* GetLookAndFeel() override;
  bool CheckSize(TScrollBarKind AKind) override;
  void CheckSizeGripVisible(bool AValue) override;
  rtl::TObject* CreateScrollBar(TScrollBarKind AKind) override;
  rtl::TObject* CreateSizeGrip() override;
  void DestroyScrollBars() override;
  bool IsSizeGripArea(const TPoint& APoint) override;
  void SetInternalControlsBounds() override;
  void Invalidate() override;
  void DrawSizeGrip(core::TcxCanvas* ACanvas) override;
  TcxSizeGripHelper* SizeGrip() const { return static_cast<TcxSizeGripHelper*>(FSizeGrip); }
};

class TcxControlWindowedScrollBars : public TcxControlCustomScrollBars {
  RTL_CLASS(TcxControlWindowedScrollBars, TcxControlCustomScrollBars)

 public:
  using TcxControlCustomScrollBars::TcxControlCustomScrollBars;
  void BringInternalControlsToFront() override;
  bool CheckSize(TScrollBarKind AKind) override;
  void CheckSizeGripVisible(bool AValue) override;
  rtl::TObject* CreateScrollBar(TScrollBarKind AKind) override;
  rtl::TObject* CreateSizeGrip() override;
  void DestroyScrollBars() override;
  void InitScrollBars() override;
  bool IsInternalControl(ui::TControl* AControl) override;
  void SetInternalControlsBounds() override;
  void UpdateInternalControlsState() override;
  void Invalidate() override;
  TcxSizeGrip* SizeGrip() const { return static_cast<TcxSizeGrip*>(FSizeGrip); }

 private:
  // The bars are the owner's child controls from InitScrollBars on; the
  // owner's own destruction frees them then.
  bool FParented = false;
};

// Routes the owner's mouse messages to its painted bars.
class TcxControlScrollBarsManager : public core::TcxIUnknownObject,
                                    public IcxMouseTrackingCaller2,
                                    public IcxMouseTrackingCaller3 {
  RTL_CLASS(TcxControlScrollBarsManager, core::TcxIUnknownObject)

 public:
  explicit TcxControlScrollBarsManager(TcxControl* AOwner) : FOwner(AOwner) {}
  ~TcxControlScrollBarsManager() override;

  virtual bool ProcessMouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  virtual bool ProcessMouseMove(ui::TShiftState Shift, int X, int Y);
  virtual bool ProcessMouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  virtual bool HandleMessage(ui::TMessage& Message);
  virtual bool IsScrollBarsArea(const TPoint& APoint);
  virtual void Paint(core::TcxCanvas* ACanvas);
  void RegisterScrollBar(TcxControlScrollBarHelper* AScrollBar) { FScrollBars.push_back(AScrollBar); }
  void UnRegisterScrollBar(TcxControlScrollBarHelper* AScrollBar);
  bool IsCapture() const { return FIsCapture; }
  TcxControlScrollBarHelper* HotScrollBar() const { return FHotScrollBar; }

  // mouse tracking
  void MouseLeave() override;
  bool PtInCaller(const TPoint& APoint) override;
  bool IsCaptureMouse() override { return FIsCapture; }

 private:
  void SetHotScrollBar(TcxControlScrollBarHelper* AValue);
  void SetIsCapture(bool AValue);
  void CheckCaptureTimerHandler(rtl::TObject* Sender);

  std::unique_ptr<core::TcxTimer> FCheckCaptureTimer;
  bool FIsCapture = false;
  TcxControlScrollBarHelper* FHotScrollBar = nullptr;
  TcxControl* FOwner;
  std::vector<TcxControlScrollBarHelper*> FScrollBars;
};

// ---- the base control -----------------------------------------------------------------------
class TcxControl : public ui::TCustomControl,
                   public IcxScrollBarOwner,
                   public IdxSystemInfoListener,
                   public core::IdxGestureOwner,
                   public core::IdxGestureClient {
  RTL_CLASS(TcxControl, ui::TCustomControl)

 public:
  explicit TcxControl(rtl::TComponent* AOwner);
  ~TcxControl() override;
  void AfterConstruction() override;

  // ---- look-and-feel and canvas
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* AValue) { FLookAndFeel->Assign(AValue); }
  TcxCustomLookAndFeelPainter* LookAndFeelPainter() { return GetLookAndFeelPainter(); }
  core::TcxCanvas* cxCanvas() const { return FCanvas.get(); }
  // The control canvas with a window, a screen canvas before one exists.
  core::TcxCanvas* ActiveCanvas();

  // ---- geometry
  TcxControlBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TcxControlBorderStyle AValue);
  int BorderSize() { return GetBorderSize(); }
  TRect Bounds() { return GetBounds(); }
  void SetBoundsOverride(const TRect& AValue) { FBounds = AValue; }
  TRect ClientBounds() { return GetClientBounds(); }

  // ---- state
  bool IsDesigning() const;
  bool IsDestroying() const;
  // True from the start of the destructor (a control freed by its owner may
  // never pass through the destruction announcement).
  bool InDestructor() const { return FInDestructor; }
  bool IsLoading() const;
  bool IsFocused() { return GetIsFocused(); }
  TcxControlActivateType ActivateType() const { return FActivateType; }
  TcxDragAndDropState DragAndDropState() const { return FDragAndDropState; }
  bool FocusOnClick() const { return FFocusOnClick; }
  void SetFocusOnClick(bool AValue) { FFocusOnClick = AValue; }
  TcxKeys Keys() const { return FKeys; }
  void SetKeys(TcxKeys AValue) { FKeys = AValue; }
  TPoint MouseDownPos() const { return FMouseDownPos; }
  bool MouseRightButtonReleased() const { return FMouseRightButtonReleased; }
  bool IsScrollingContent() const { return FIsScrollingContent; }
  bool MouseButtonPressed() const { return FMouseButtonPressed; }
  rtl::TObject* MouseCaptureObject() const { return FMouseCaptureObject; }
  void SetMouseCaptureObject(rtl::TObject* AValue);
  TcxMouseWheelScrollingKind MouseWheelScrollingKind() { return GetMouseWheelScrollingKind(); }
  // The internal drag's object: made on first use by the class the control
  // chooses, freed when the drag finishes, so every drag gets a fresh one.
  TcxDragAndDropObject* DragAndDropObject();
  // Null: the base object.
  TcxDragAndDropObjectClass DragAndDropObjectClass() const { return FDragAndDropObjectClass; }
  void SetDragAndDropObjectClass(TcxDragAndDropObjectClass AValue) { FDragAndDropObjectClass = AValue; }
  rtl::TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(rtl::TComponent* AValue);
  // The user's hint; the inherited Hint holds the status hint of the point
  // under the pointer.
  String GetHint() const { return FOriginalHint; }
  void SetHintText(const String& AValue);
  TPoint GetMouseCursorClientPos();

  // ---- painting
  void InvalidateRect(const TRect& R, bool EraseBackground);
  void InvalidateRgn(gdi::HRGN ARegion, bool EraseBackground);
  void InvalidateWithChildren();
  void UpdateWithChildren();
  // Scrolls the window's pixels; the uncovered strip is invalidated and erased.
  void ScrollWindow(int DX, int DY, const TRect& AScrollRect);
  static void InvalidateControl(ui::TWinControl* AControl, bool ANeedInvalidateSelf, bool ANeedInvalidateChildren);
  void PostMouseMove(const TPoint& AMousePos);
  void PostMouseMove();

  // ---- font listeners
  void AddFontListener(IcxFontListener* AListener) { FFontListenerList.push_back(AListener); }
  void RemoveFontListener(IcxFontListener* AListener);

  // ---- scroll bars
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle AValue);
  IcxControlScrollBar* GetScrollBar(TScrollBarKind AKind);
  IcxControlScrollBar* HScrollBar() { return GetScrollBar(TScrollBarKind::sbHorizontal); }
  IcxControlScrollBar* VScrollBar() { return GetScrollBar(TScrollBarKind::sbVertical); }
  bool HScrollBarVisible();
  bool VScrollBarVisible();
  TcxControlCustomScrollBars* MainScrollBars() const { return FMainScrollBars.get(); }
  TcxControlScrollBarsManager* ScrollBarsManager() const { return FScrollBarsManager.get(); }
  void SetScrollBarInfo(TScrollBarKind AScrollBarKind, int AMin, int AMax, int AStep, int APage, int APos,
                        bool AAllowShow, bool AAllowHide);
  void LockScrollBars();
  void UnlockScrollBars();
  bool UpdatingScrollBars() const { return FUpdatingScrollBars; }
  bool IsScrollBarsCapture() const { return FScrollBarsManager->IsCapture(); }
  // How many visibility passes the last update took (at most kMaxScrollBarsPasses).
  int LastScrollBarsPasses() const { return FLastScrollBarsPasses; }
  static constexpr int kMaxScrollBarsPasses = 4;

  // ---- events
  const rtl::TNotifyEvent& OnFocusChanged() const { return FOnFocusChanged; }
  void SetOnFocusChanged(const rtl::TNotifyEvent& AValue) { FOnFocusChanged = AValue; }
  const rtl::TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(const rtl::TNotifyEvent& AValue) { FOnMouseEnter = AValue; }
  const rtl::TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(const rtl::TNotifyEvent& AValue) { FOnMouseLeave = AValue; }

  // IcxScrollBarOwner
  ui::TWinControl* GetControl() override { return this; }
  TcxLookAndFeel* GetLookAndFeel() override { return GetScrollBarLookAndFeel(); }
  // IdxSystemInfoListener
  void Changed(win::UINT AParameter) override { SystemInfoChanged(AParameter); }
  // IdxGestureOwner
  core::IdxGestureClient* GetGestureClient(const TPoint& APoint) override { return this; }
  win::HWND GetHandle() override { return GetGestureClientHandle(); }
  bool IsGestureTarget(win::HWND AWnd) override { return HandleAllocated() && AWnd == Handle(); }
  TPoint ScreenToClient(const TPoint& APoint) override { return ui::TControl::ScreenToClient(APoint); }
  // IdxGestureClient
  bool AllowGesture(int AGestureId) override;
  bool AllowPan(TScrollBarKind AScrollKind) override;
  void BeginGestureScroll(const TPoint& APos) override;
  void EndGestureScroll() override {}
  void GestureScroll(int ADeltaX, int ADeltaY) override;
  int GetPanOptions() override;
  bool IsPanArea(const TPoint& APoint) override;
  bool NeedPanningFeedback(TScrollBarKind AScrollKind) override { return true; }
  TPoint GestureAccumulatedDelta() const { return FGestureAccumulatedDelta; }

  // Gesture and scroll entry points descendants and the helper call.
  virtual void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, int& AScrollPos) {}
  void UpdateScrollBars();
  void BoundsChanged();
  void Dispatch(void* message) override;
  void DefaultHandler(void* message) override;
  // A platform drag of the control copies while Ctrl is held.
  virtual bool GetIsCopyDragDrop();

 protected:
  // ---- gestures (slot order of the base control)
  virtual bool CanScrollContentByGestureWithoutScrollBars() { return false; }
  virtual bool CheckOverpan(TScrollBarKind AScrollKind, int ANewDataPos, int AMinDataPos, int AMaxDataPos,
                            int ADeltaX, int ADeltaY);
  virtual void DoGestureScroll(TScrollBarKind AScrollKind, int ANewScrollPos);
  virtual bool CanProcessScrollEvents(ui::TMessage& Message) { return Enabled(); }
  virtual bool IsDefaultGesture(int AGestureID) { return AGestureID == 4 || AGestureID == 7; }
  virtual bool IsGestureHelperMessage(ui::TMessage& Message);
  virtual bool IsGestureScrolling();
  virtual bool IsScrollBarBasedGestureScroll(TScrollBarKind AScrollKind) { return true; }
  virtual void ScrollContentByGesture(TScrollBarKind AScrollKind, int ADelta) {}
  void DoScrollBarBasedGestureScroll(TScrollBarKind AKind, int& AAccumulatedDelta, int ADeltaX, int ADeltaY);

  // ---- painting and mouse
  virtual bool DoShowPopupMenu(rtl::TComponent* AMenu, int X, int Y);
  virtual bool InternalMouseWheel(ui::TShiftState Shift, int WheelDelta, const TPoint& MousePos);
  virtual bool IsDoubleBufferedNeeded();
  virtual void EraseBackground(gdi::HDC DC);
  virtual void EraseBackground(core::TcxCanvas* ACanvas, const TRect& ARect);
  virtual void PaintNonClientArea(core::TcxCanvas* ACanvas) {}
  virtual void AfterMouseDown(ui::TMouseButton AButton, int X, int Y);
  virtual void BeforeMouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {}
  virtual void BringInternalControlsToFront();
  virtual void CancelMouseOperations();
  virtual void DoPaint();
  virtual void DrawBorder(core::TcxCanvas* ACanvas);
  virtual void DrawScrollBars(core::TcxCanvas* ACanvas);
  virtual int GetBorderSize();
  virtual TRect GetBounds();
  virtual TRect GetClientBounds();
  virtual TRect GetClientOffsets() { return TRect{}; }
  virtual ui::TCursor GetCurrentCursor(int X, int Y);
  virtual bool GetIsFocused() { return Focused(); }
  virtual std::unique_ptr<TcxControlCustomScrollBars> CreateMainScrollBars();
  virtual TcxMouseWheelScrollingKind GetMouseWheelScrollingKind();
  virtual void InitControl() { InitScrollBars(); }
  virtual void SetPaintRegion();
  virtual String GetStatusHint(const TPoint& APoint) { return FOriginalHint; }
  virtual bool CanFocusOnClick();
  virtual bool CanFocusOnClick(int X, int Y) { return CanFocusOnClick(); }
  virtual bool HasBackground() { return IsTransparentBackground(); }
  virtual bool HasNonClientArea() { return false; }
  virtual bool IsMouseWheelHandleNeeded(ui::TShiftState Shift, int WheelDelta, const TPoint& MousePos);
  virtual bool IsTransparentBackground();
  virtual bool IsInternalControl(ui::TControl* AControl);
  virtual bool NeedRedrawOnResize() { return false; }
  virtual bool UpdateMousePositionIfControlMoved() { return true; }
  virtual void ParentBackgroundChanged() {}
  virtual TcxLookAndFeel* GetScrollBarLookAndFeel() { return FLookAndFeel.get(); }
  virtual TcxCustomLookAndFeelPainter* GetLookAndFeelPainter() { return FLookAndFeel->Painter(); }
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {}

  // ---- scroll bars (slot order of the base control)
  virtual bool CanScrollLineWithoutScrollBars(TcxDirection ADirection) { return false; }
  virtual bool CanUpdateScrollBars() { return NeedsScrollBars(); }
  virtual void DoUpdateScrollBars();
  virtual TRect GetHScrollBarBounds();
  virtual TRect GetSizeGripBounds();
  virtual TScrollStyle GetSystemSizeScrollBars() { return TScrollStyle::ssBoth; }
  virtual TRect GetVScrollBarBounds();
  virtual void InitScrollBarsParameters() {}
  virtual void InitScrollBarsParametersCache() {}
  virtual bool IsPixelScrollBar(TScrollBarKind AKind) { return false; }
  virtual bool IsScrollBarsArea(const TPoint& APoint);
  virtual bool IsSizeGripArea(const TPoint& APoint);
  virtual bool IsSizeGripVisible();
  virtual bool NeedsScrollBars() { return true; }
  virtual bool NeedsToBringInternalControlsToFront() { return !IsDesigning(); }
  virtual void SetInternalControlsBounds();
  virtual void UpdateInternalControlsState();
  void InitScrollBars();

  // ---- drag and drop hooks
  virtual bool CanCancelDragStartOnCaptureObjectClear() { return true; }
  virtual bool AllowAutoDragAndDropAtDesignTime(int X, int Y, ui::TShiftState Shift) { return false; }
  virtual bool CanFocusEx();
  virtual bool AcceptMousePosForClick(int X, int Y);
  virtual bool IsMouseInPressedArea(int X, int Y);
  virtual void ScrollContent(TcxDirection ADirection);
  virtual void TranslationChanged() {}
  virtual void SystemInfoChanged(win::UINT AParameter);

  // ---- dynamic operations
  virtual void DoCancelMode();
  virtual bool GetDesignHitTest(int X, int Y, ui::TShiftState Shift);
  virtual void MouseEnter(ui::TControl* AControl);
  virtual void MouseLeave(ui::TControl* AControl);
  virtual void FocusEnter() {}
  virtual void FocusLeave() {}
  virtual bool MayFocus() { return true; }
  virtual void ColorChanged() {}
  virtual void CursorChanged() {}
  virtual void FocusChanged();
  virtual void FontChanged();
  virtual void TextChanged() {}
  virtual void VisibleChanged() {}
  virtual bool AllowDragAndDropWithoutFocus() { return false; }
  virtual bool StartDragAndDrop(const TPoint& P) { return false; }
  // No platform drag while an internal one is under way.
  virtual bool CanDrag(int X, int Y) { return FDragAndDropState == TcxDragAndDropState::ddsNone; }
  // The object begins, the mouse is held, the screen cursor is kept for the end.
  virtual void BeginDragAndDrop();
  virtual void DragAndDrop(const TPoint& P, bool& Accepted);
  // Puts the cursor back, lets the mouse go, then the object ends.
  virtual void EndDragAndDrop(bool Accepted);
  virtual TcxDragAndDropObject* CreateDragAndDropObject();
  virtual TcxDragAndDropObjectClass GetDragAndDropObjectClass();
  // Ends a drag in process (or forgets a pending start) and frees the object.
  virtual void DoFinishDragAndDrop(bool Accepted);
  // Cannot re-enter itself.
  void FinishDragAndDrop(bool Accepted);
  // A drop to ddsNone outside FinishDragAndDrop also cancels the mouse mode.
  void SetDragAndDropState(TcxDragAndDropState Value);
  void UpdateStatusHint(const TPoint& APoint);

  // ---- platform drag of the control
  // Last word on a started drag: False cancels it.
  virtual bool StartDrag(ui::TDragObject* DragObject) { return true; }
  // Repaints first (the drag loop paints nothing until it ends), then the
  // platform's start; a drag without an object gets a TcxDragControlObject.
  void DoStartDrag(std::unique_ptr<ui::TDragObject>& DragObject) override;
  // Keeps the drag object over the control for GetDragObject.
  void DragOver(rtl::TObject* Source, int X, int Y, ui::TDragState State, bool& Accept) override;
  // The platform's end, then the drag images go.
  void DoEndDrag(rtl::TObject* Target, int X, int Y) override;

  // ---- drag images of a platform drag
  // Null unless HasDragImages; the list is made on first use by
  // GetDragImagesClass, filled by InitDragImages, and handed out only while it
  // holds an image. It lives until the drag ends (DoEndDrag).
  ui::TDragImageList* GetDragImages() override;
  TcxDragImageList* DragImages() const { return FDragImages.get(); }
  // True also gives the control csDisplayDragImage (at construction's end).
  virtual bool HasDragImages() { return false; }
  virtual TcxDragImageListClass GetDragImagesClass();
  // The size of the picture a drag shows; zero: none.
  virtual ui::TSize GetDragImagesSize() { return ui::TSize{0, 0}; }
  // Sizes the list to GetDragImagesSize and adds the picture DrawDragImage
  // draws, its own transparent colour (bottom-left pixel) masked out; a zero
  // size empties the list.
  virtual void InitDragImages(TcxDragImageList* ADragImages);
  virtual void DrawDragImage(core::TcxCanvas* ACanvas, const TRect& R) {}

  // ---- overrides of the platform control
  void WndProc(ui::TMessage& Message) override;
  void CreateParams(ui::TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void PaintWindow(win::HDC DC) override;
  void Paint() override;
  void Resize() override;
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(ui::TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void SetParentBackground(bool AValue) override;

  // The message handlers of the paint cycle.
  void WMPaint(ui::TMessage& Message);
  void WMEraseBkgnd(ui::TMessage& Message);
  void StandardPaintHandler(ui::TMessage& Message);
  void CMNCSizeChanged(ui::TMessage& Message);
  void WMNCPaint(ui::TMessage& Message);
  // Paints the frame of GetClientOffsets widths around the client through
  // PaintNonClientArea, into a context in window coordinates.
  void DoNCPaint(gdi::HDC AWindowDC);
  void WMGetDlgCode(ui::TMessage& Message);
  void WMSetCursor(ui::TMessage& Message);
  void WMContextMenu(ui::TMessage& Message);
  void CNKeyDown(ui::TMessage& Message);
  void CNKeyUp(ui::TMessage& Message);
  // The mouse went elsewhere while a drag ran: the drag ends unaccepted.
  void WMCaptureChanged(ui::TMessage& Message);
  bool IsMenuKey(ui::TMessage& Message);

  void CreateScrollBars();
  void DestroyScrollBars();
  void CheckNeedsScrollBars();
  bool CreatingWindow() const { return FCreatingWindow; }

  // Mouse position of a mouse message (from the cursor when the control is
  // too wide or tall for 16-bit coordinates).
  TPoint MessagePos(const ui::TMessage& Message);

  TcxControlActivateType FActivateType = TcxControlActivateType::atOther;
  TPoint FGestureAccumulatedDelta{};

 private:
  friend class TcxControlScrollBarsManager;
  friend class TcxControlScrollBars;
  friend class TcxControlWindowedScrollBars;
  friend class TdxScrollHelper;
  void LookAndFeelChangeHandler(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  win::HWND GetGestureClientHandle() { return HandleAllocated() ? Handle() : nullptr; }
  void DoMouseEnter();
  void DoMouseLeave();
  bool CalculateScrollBarsParams();
  void CheckPixelScrollBars();
  void AfterProcessing(ui::TMessage& Message, win::UINT AMsg);

  std::unique_ptr<core::TcxCanvas> FActiveCanvas;
  TcxControlBorderStyle FBorderStyle = TcxControlBorderStyle::cxcbsNone;
  std::unique_ptr<core::TcxControlCanvas> FCanvas;
  bool FCreatingWindow = false;
  std::unique_ptr<TcxDragAndDropObject> FDragAndDropObject;
  TcxDragAndDropObjectClass FDragAndDropObjectClass = nullptr;
  ui::TCursor FDragAndDropPrevCursor = ui::crDefault;
  TcxDragAndDropState FDragAndDropState = TcxDragAndDropState::ddsNone;
  // The button-up message's own release of the capture is not a loss.
  bool FReleasingCaptureOnMouseUp = false;
  bool FFinishingDragAndDrop = false;
  bool FFocusOnClick = true;
  std::vector<IcxFontListener*> FFontListenerList;
  std::unique_ptr<core::TdxGestureHelper> FGestureHelper;
  bool FInitialHScrollBarVisible = false, FInitialVScrollBarVisible = false, FIsInitialScrollBarsParams = false;
  TcxKeys FKeys;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  bool FMouseButtonPressed = false;
  rtl::TObject* FMouseCaptureObject = nullptr;
  TPoint FMouseDownPos{};
  int FMouseEnterCounter = 0;
  bool FMouseRightButtonReleased = false;
  int FMouseWheelAccumulator = 0;
  rtl::TComponent* FPopupMenu = nullptr;
  std::unique_ptr<TcxControlCustomScrollBars> FMainScrollBars;
  String FOriginalHint;
  TScrollStyle FScrollBars = TScrollStyle::ssBoth;
  std::unique_ptr<TcxControlScrollBarsManager> FScrollBarsManager;
  int FScrollBarsLockCount = 0;
  bool FScrollBarsUpdateNeeded = false, FUpdatingScrollBars = false, FIsScrollingContent = false;
  int FLastScrollBarsPasses = 0;
  rtl::TNotifyEvent FOnFocusChanged, FOnMouseEnter, FOnMouseLeave;
  TRect FBounds{};
  bool FInDestructor = false;
  // ---- drag images of a platform drag
  std::unique_ptr<TcxDragImageList> FDragImages;
};

// The drag object of a platform drag started by a TcxControl: shows the
// copy cursor while the control's drag copies.
class TcxDragControlObject : public ui::TDragControlObject {
  RTL_CLASS(TcxDragControlObject, ui::TDragControlObject)

 public:
  explicit TcxDragControlObject(ui::TControl* AControl) : ui::TDragControlObject(AControl) {}
  ui::TCursor GetDragCursor(bool Accepted, int X, int Y) override;
};

// The platform drag object last over a TcxControl (nil once it left).
ui::TDragObject* GetDragObject();
void HideDragImage();
void ShowDragImage();

// ---- design-time selection frames ------------------------------------------------------------------
// A control edited in a form designer shows a hatched frame over the part a
// designer selects (FSelectorBounds); the mouse passes through that part to
// the designer. One helper per windowed child carries the frame into the
// children, in their own client coordinates. This program has no designer,
// so nothing reports a selection and the frame shows unselected.
class TdxControlsDesignSelectorHelper : public rtl::TComponent {
  RTL_CLASS(TdxControlsDesignSelectorHelper, rtl::TComponent)

 public:
  // AOwner is the control: its window procedure is hooked for the helper's
  // life. The helper is not owned by it: whoever makes a root helper frees it
  // before the control goes; child helpers go with their parent helper, or
  // as soon as their control leaves its parent.
  explicit TdxControlsDesignSelectorHelper(rtl::TComponent* AOwner);
  ~TdxControlsDesignSelectorHelper() override;
  void Assign(rtl::TPersistent* Source) override;

  ui::TControl* Control() const { return FControl; }
  TdxControlsDesignSelectorHelper* ParentHelper() const { return FParent; }
  int ChildCount() const { return int(FChildren.size()); }
  TdxControlsDesignSelectorHelper* Children(int AIndex) const { return FChildren[size_t(AIndex)]; }
  const TRect& SelectorBounds() const { return FSelectorBounds; }
  void SetSelectorBounds(const TRect& R);
  // The source's frame in AChild's client coordinates.
  TRect GetSelectorBoundsForChild(TdxControlsDesignSelectorHelper* AChild) const;

  virtual bool IsHitTestTransparent(const TPoint& P);
  virtual bool IsActiveDesignSelector() { return IsValid(); }
  virtual bool IsSelected();
  virtual bool IsValid();
  virtual bool CanDrawDesignSelector();
  virtual void CheckChildren();

 protected:
  // True: the message was answered here and goes no further.
  virtual bool DoControlWndProc(ui::TMessage& Message);
  virtual void DestroyChild(TdxControlsDesignSelectorHelper* AChild);
  virtual TdxControlsDesignSelectorHelper* CreateChild(ui::TWinControl* AChildControl);
  virtual void PrepareChild(TdxControlsDesignSelectorHelper* AChild);
  virtual void DoDrawDesignSelector(gdi::HDC DC);

 private:
  void ControlWndProc(ui::TMessage& Message);
  void DrawDesignSelector(gdi::HDC DC);

  ui::TControl* FControl = nullptr;
  bool FChecked = false;
  std::vector<TdxControlsDesignSelectorHelper*> FChildren;  // owned
  TdxControlsDesignSelectorHelper* FParent = nullptr;
  TRect FSelectorBounds{};
  TcxWindowProcLinkedObject* FWindowProcObject = nullptr;
  bool FDestroying = false;
};

// ---- the scrolling control ---------------------------------------------------------------------
enum class TdxAutoSizeMode { asNone, asAutoWidth, asAutoHeight, asAutoSize };
enum class TdxChangeType { ctLight, ctMedium, ctHard };

// A control whose content is a pixel plane moved by a left and a top
// position; controls that cannot derive from TcxScrollingControl offer it.
class IdxScrollingControl {
 public:
  virtual ~IdxScrollingControl() = default;
  virtual int GetLeftPos() = 0;
  virtual void SetLeftPosValue(int AValue) = 0;
  virtual int GetTopPos() = 0;
  virtual void SetTopPosValue(int AValue) = 0;
  virtual TSize GetContentSizeValue() = 0;
  // The control that shows the content.
  virtual TcxControl* GetInstance() = 0;
};

// The scrolling rules of TcxScrollingControl for any IdxScrollingControl;
// it keeps no state.
class TdxScrollHelper {
 public:
  static bool IsScrollDataValid(IdxScrollingControl* AControl);
  static TSize GetClientSize(IdxScrollingControl* AControl);
  static void CheckLeftPos(IdxScrollingControl* AControl, int& AValue);
  static void CheckTopPos(IdxScrollingControl* AControl, int& AValue);
  static void SetLeftPos(IdxScrollingControl* AControl, int AValue);
  static void SetTopPos(IdxScrollingControl* AControl, int AValue);
  static void SetPos(IdxScrollingControl* AControl, int X, int Y);
  static void CheckPositions(IdxScrollingControl* AControl);
  static void ScrollContent(IdxScrollingControl* AControl);
  static void InitScrollBarsParameters(IdxScrollingControl* AControl);
  static void Scroll(IdxScrollingControl* AControl, TScrollBarKind AScrollBarKind, TScrollCode AScrollCode,
                     int& AScrollPos);
  // Pixel panning: each direction whose bar is visible and enabled moves by
  // its delta, clamped, after the over-pan check.
  static void GestureScroll(IdxScrollingControl* AControl, int ADeltaX, int ADeltaY);
};

// Content as a pixel plane larger than the client, moved by two positions
// that are always kept clamped.
class TcxScrollingControl : public TcxControl, public IdxScrollingControl {
  RTL_CLASS(TcxScrollingControl, TcxControl)

 public:
  explicit TcxScrollingControl(rtl::TComponent* AOwner) : TcxControl(AOwner) {}

  // IdxScrollingControl
  int GetLeftPos() override { return FLeftPos; }
  void SetLeftPosValue(int AValue) override { SetLeftPos(AValue); }
  int GetTopPos() override { return FTopPos; }
  void SetTopPosValue(int AValue) override { SetTopPos(AValue); }
  TSize GetContentSizeValue() override { return GetContentSize(); }
  TcxControl* GetInstance() override { return this; }

  int LeftPos() const { return FLeftPos; }
  int TopPos() const { return FTopPos; }
  // Which sides follow the content. Setting a mode other than asNone turns
  // AutoSize on; turning AutoSize off sets asNone, on sets asAutoSize.
  TdxAutoSizeMode AutoSizeMode() const { return FAutoSizeMode; }
  virtual void SetAutoSizeMode(TdxAutoSizeMode AValue);
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  // Sizes the control to its content on the sides AutoSizeMode names.
  virtual void AdjustSize();
  virtual void SetLeftPos(int AValue);
  virtual void SetTopPos(int AValue);
  TSize ContentSize() { return GetContentSize(); }
  TSize ClientSize() { return GetClientSize(); }
  void MakeVisible(const TRect& ARect, bool AFully);
  void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, int& AScrollPos) override;
  void LayoutChanged(TdxChangeType AType = TdxChangeType::ctHard);

 protected:
  virtual void Calculate(TdxChangeType AType) {}
  virtual void ScrollPosChanged();
  virtual bool IsScrollDataValid() { return HandleAllocated(); }
  virtual TSize GetContentSize() { return TSize{}; }
  virtual TSize GetClientSize();
  void InitScrollBarsParameters() override;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void Resize() override;
  void CheckPositions();
  void CheckLeftPos(int& AValue);
  void CheckTopPos(int& AValue);

 private:
  TdxAutoSizeMode FAutoSizeMode = TdxAutoSizeMode::asNone;
  bool FAutoSizeModeSetting = false;
  bool FAdjustingSize = false;
  // The platform's controls size themselves by no content: the flag lives here.
  bool FAutoSize = false;
  int FLeftPos = 0;
  int FTopPos = 0;
};

}  // namespace lookandfeel

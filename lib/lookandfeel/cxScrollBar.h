#pragma once
// The library's own scroll bar. The system scroll-bar window is never used:
// one helper holds the parameters (range, page, position, increments) and
// owns the geometry (view info), the mouse handling with thumb dragging and
// auto-repeat (controller) and the painting through the look-and-feel
// painter (painter). The same helper serves the windowed control
// TcxScrollBar and the bars a control paints inside itself.
#include <array>
#include <memory>

#include "lib/core/cxClasses.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/dxCoreClasses.h"
#include "lib/core/dxGestures.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/dxFading.h"
#include "platform/ui/controls.h"
#include "platform/ui/mouse.h"

namespace lookandfeel {

using core::TScrollBarKind;
using ui::TScrollCode;
using ui::TScrollEvent;
using ui::TPoint;

// While the thumb is dragged, how far the pointer may stray from the bar
// before the thumb snaps back: along the bar, and across it.
constexpr int cxScrollMinDistance = 34;
constexpr int cxScrollMaxDistance = 136;

// The system's thickness of a vertical bar (cx) and of a horizontal one (cy).
TSize GetScrollBarSize();

// What a scroll bar asks of whoever hosts it.
class IcxScrollBarOwner {
 public:
  virtual ~IcxScrollBarOwner() = default;
  // The window control the bar lives on.
  virtual ui::TWinControl* GetControl() = 0;
  virtual TcxLookAndFeel* GetLookAndFeel() = 0;
};

class TcxScrollBarHelper;
class TcxScrollBarViewInfo;
class TcxScrollBarPartViewInfo;

// Cross-fades one part between its normal and hot pictures through the
// global fader when the part's state turns hot or stops being hot.
class TcxScrollBarPartFadingHelper : public TdxFadingObjectHelper {
  RTL_CLASS(TcxScrollBarPartFadingHelper, TdxFadingObjectHelper)

 public:
  explicit TcxScrollBarPartFadingHelper(TcxScrollBarPartViewInfo* AOwner) : FOwner(AOwner) {}

  // Only painters that hot-track and fade (Native and skins) take part.
  bool CanFade() override;
  // A new frame: the part's rectangle is invalidated.
  void DrawFadeImage() override;
  // The part in its normal and its hot state, drawn on 32-bit pictures.
  void GetFadingImages(ui::TBitmap*& AFadeOutImage, ui::TBitmap*& AFadeInImage) override;
  // Hands a change of the part's state to the fader.
  void UpdateState();
  // The state last handed to the fader.
  TcxButtonState State() const { return FState; }

 private:
  TcxScrollBarPartViewInfo* FOwner;
  TcxButtonState FState = TcxButtonState::cxbsDefault;
};

class TcxScrollBarPartViewInfo : public rtl::TObject {
  RTL_CLASS(TcxScrollBarPartViewInfo, rtl::TObject)

 public:
  TcxScrollBarPartViewInfo(TcxScrollBarViewInfo* AOwner, TcxScrollBarPart APart);
  ~TcxScrollBarPartViewInfo() override;
  const TRect& Bounds() const { return FBounds; }
  void SetBounds(const TRect& R) { FBounds = R; }
  TcxScrollBarPart Part() const { return FPart; }
  // Computed at every use: disabled, normal, pressed (only under the
  // pointer) or hot.
  TcxButtonState GetState() const;
  // The arrows and the thumb fade; the page parts have no helper.
  TcxScrollBarPartFadingHelper* FadingHelper() const { return FFadingHelper.get(); }
  TcxScrollBarViewInfo* Owner() const { return FOwner; }
  void Invalidate();

 private:
  TcxScrollBarViewInfo* FOwner;
  TRect FBounds{};
  std::unique_ptr<TcxScrollBarPartFadingHelper> FFadingHelper;
  TcxScrollBarPart FPart;
};

class TcxScrollBarViewInfo : public rtl::TObject {
  RTL_CLASS(TcxScrollBarViewInfo, rtl::TObject)

 public:
  explicit TcxScrollBarViewInfo(TcxScrollBarHelper* AScrollBar);
  ~TcxScrollBarViewInfo() override;

  virtual int GetArrowButtonLength();
  virtual void Calculate();
  void CalculateThumbnailRect();
  void AdjustPageRects();
  void SetThumbnailPos(int AValue);
  TcxScrollBarPart GetPart(const TPoint& P) const;

  int ArrowButtonLength() const { return FArrowButtonLength; }
  int Length() const { return FLength; }
  int MinThumbnailSize() const { return FMinThumbnailSize; }
  TcxScrollBarPart HotPart() const { return FHotPart; }
  void SetHotPart(TcxScrollBarPart AValue) { FHotPart = AValue; }
  TcxScrollBarPart PressedPart() const { return FPressedPart; }
  void SetPressedPart(TcxScrollBarPart AValue) { FPressedPart = AValue; }
  TcxScrollBarPartViewInfo* PartInfo(TcxScrollBarPart APart) const;
  const TRect& PartBounds(TcxScrollBarPart APart) const { return PartInfo(APart)->Bounds(); }
  TcxScrollBarHelper* ScrollBar() const { return FScrollBar; }

 private:
  // Start and end of a rectangle along the bar.
  int Start(const TRect& R) const;
  int End(const TRect& R) const;

  int FArrowButtonLength = 0;
  TScrollBarKind FKind = TScrollBarKind::sbHorizontal;
  int FLength = 0;
  TcxScrollBarPart FHotPart = TcxScrollBarPart::sbpNone;
  int FMinThumbnailSize = 0;
  std::array<std::unique_ptr<TcxScrollBarPartViewInfo>, 5> FPartInfos;
  TcxScrollBarPart FPressedPart = TcxScrollBarPart::sbpNone;
  TcxScrollBarHelper* FScrollBar;
};

class TcxScrollBarController : public rtl::TObject {
  RTL_CLASS(TcxScrollBarController, rtl::TObject)

 public:
  explicit TcxScrollBarController(TcxScrollBarHelper* AScrollBar);
  ~TcxScrollBarController() override;

  void MouseDown(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y) { DoMouseDown(AButton, AShift, X, Y); }
  void MouseEnter(ui::TControl* AControl) { DoMouseEnter(AControl); }
  void MouseLeave(ui::TControl* AControl) { DoMouseLeave(AControl); }
  void MouseMove(ui::TShiftState AShift, int X, int Y) { DoMouseMove(AShift, X, Y); }
  void MouseUp(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y) { DoMouseUp(AButton, AShift, X, Y); }

  void InternalScroll(TScrollCode AScrollCode);
  void FinishScrolling(TcxScrollBarPart APart);
  void DoScroll(TcxScrollBarPart APart);
  void SetPositionValue(TScrollCode AScrollCode, int AValue);
  int GetPositionFromThumbnail();
  bool IsButtonHotTrack();
  core::TcxTimer* Timer() const { return FTimer.get(); }

 protected:
  virtual void DoMouseDown(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y);
  virtual void DoMouseEnter(ui::TControl* AControl);
  virtual void DoMouseLeave(ui::TControl* AControl);
  virtual void DoMouseMove(ui::TShiftState AShift, int X, int Y);
  virtual void DoMouseUp(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y);
  virtual void SetThumbnailValue(int AValue, bool ACallSetPosition);

 private:
  void TimerHandler(rtl::TObject* Sender);
  bool IsRepeatingPart(TcxScrollBarPart APart) const;
  TcxScrollBarViewInfo* ViewInfo() const;

  TPoint FDownMousePos{};
  TPoint FLastMousePos{};
  int FSavePosition = 0;
  TPoint FSaveThumbnailPos{};
  TcxScrollBarHelper* FScrollBar;
  std::unique_ptr<core::TcxTimer> FTimer;
};

class TcxScrollBarPainter : public rtl::TObject {
  RTL_CLASS(TcxScrollBarPainter, rtl::TObject)

 public:
  explicit TcxScrollBarPainter(TcxScrollBarHelper* AScrollBar) : FScrollBar(AScrollBar) {}

  virtual void DoDrawScrollBarPart(core::TcxCanvas* ACanvas, const TRect& R, TcxScrollBarPart APart,
                                   TcxButtonState AState);
  virtual void DrawScrollBarBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawScrollBarPart(core::TcxCanvas* ACanvas, TcxScrollBarPart APart);
  virtual bool FadingAvailable();
  virtual int GetMinThumbnailSize();
  virtual bool IsButtonHotTrack();
  virtual void Paint(core::TcxCanvas* ACanvas);

 protected:
  TcxCustomLookAndFeelPainter* LookAndFeelPainter() const;
  TcxScrollBarHelper* FScrollBar;
};

class TcxScrollBarHelper : public core::TcxIUnknownObject {
  RTL_CLASS(TcxScrollBarHelper, core::TcxIUnknownObject)

 public:
  explicit TcxScrollBarHelper(IcxScrollBarOwner* AOwner);
  ~TcxScrollBarHelper() override;
  // Creates the view info, controller and painter through the class
  // getters; a descendant's constructor calls it when it replaces them.
  void CreateParts();

  virtual void Change();
  virtual void DoPaint(core::TcxCanvas* ACanvas);
  virtual void Invalidate();
  virtual void InvalidateRect(const TRect& R, bool AEraseBackground);
  virtual bool IsOwnerControlCapture();
  virtual TPoint ScreenToClient(const TPoint& P);
  virtual void Scroll(TScrollCode AScrollCode, int& AScrollPos);
  virtual void Calculate();
  virtual void CancelMode();
  virtual void MouseDown(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y);
  virtual void MouseEnter(ui::TControl* AControl);
  virtual void MouseLeave(ui::TControl* AControl);
  virtual void MouseMove(ui::TShiftState AShift, int X, int Y);
  virtual void MouseUp(ui::TMouseButton AButton, ui::TShiftState AShift, int X, int Y);
  virtual void Paint(core::TcxCanvas* ACanvas);
  virtual void Paint(gdi::HDC DC);
  virtual void Repaint();

  // The only road by which range, page and position change. Raises
  // EInvalidOperation "Scrollbar property out of range" for a range below
  // its minimum or a page larger than the range, changing nothing.
  void SetScrollParams(int AMin, int AMax, int APosition, int APageSize, bool ARedraw = true);

  const TRect& BoundsRect() const { return FBoundsRect; }
  void SetBoundsRect(const TRect& R) { FBoundsRect = R; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue);
  bool IsNonClient() const { return FIsNonClient; }
  void SetIsNonClient(bool AValue) { FIsNonClient = AValue; }
  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind AValue) { FKind = AValue; }
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int AValue) { FLargeChange = AValue; }
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int AValue) { FSmallChange = AValue; }
  int Max() const { return FMax; }
  void SetMax(int AValue) { SetScrollParams(FMin, AValue, FPosition, FPageSize); }
  int Min() const { return FMin; }
  void SetMin(int AValue) { SetScrollParams(AValue, FMax, FPosition, FPageSize); }
  int PageSize() const { return FPageSize; }
  void SetPageSize(int AValue) { SetScrollParams(FMin, FMax, FPosition, AValue); }
  int Position() const { return FPosition; }
  void SetPosition(int AValue) { SetScrollParams(FMin, FMax, AValue, FPageSize); }
  bool UnlimitedTracking() const { return FUnlimitedTracking; }
  void SetUnlimitedTracking(bool AValue) { FUnlimitedTracking = AValue; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool AValue);
  const rtl::TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const rtl::TNotifyEvent& AValue) { FOnChange = AValue; }
  const TScrollEvent& OnScroll() const { return FOnScroll; }
  void SetOnScroll(const TScrollEvent& AValue) { FOnScroll = AValue; }

  IcxScrollBarOwner* Owner() const { return FOwner; }
  TcxScrollBarController* Controller() const { return FController.get(); }
  TcxScrollBarPainter* Painter() const { return FPainter.get(); }
  TcxScrollBarViewInfo* ViewInfo() const { return FViewInfo.get(); }
  TcxLookAndFeel* GetLookAndFeel() const { return FOwner->GetLookAndFeel(); }
  TcxCustomLookAndFeelPainter* GetLookAndFeelPainter() const {
    return GetLookAndFeel()->GetAvailablePainter(core::TdxThemedObjectType::totScrollBar);
  }
  // The host's window (nil without one).
  win::HWND Handle() const;
  bool HandleAllocated() const;
  // Redraws a non-client bar's rectangle with the host's frame.
  void RefreshNCPart(const TRect& R);
  // Part states are computed at every use: after anything that may change
  // them, the fading parts compare and start or stop their fades.
  void UpdateFadingHelperStates();

 protected:
  virtual std::unique_ptr<TcxScrollBarController> CreateController();
  virtual std::unique_ptr<TcxScrollBarPainter> CreatePainter();
  virtual std::unique_ptr<TcxScrollBarViewInfo> CreateViewInfo();

  // Moves the position without the thumb recalculation (a thumb drag).
  friend class TcxScrollBarController;
  void SetPositionDirect(int AValue) { FPosition = AValue; }

 private:
  TRect FBoundsRect;
  std::unique_ptr<TcxScrollBarController> FController;
  bool FEnabled = true;
  bool FIsNonClient = false;
  TScrollBarKind FKind = TScrollBarKind::sbHorizontal;
  int FLargeChange = 1;
  int FMax = 100;
  int FMin = 0;
  IcxScrollBarOwner* FOwner;
  int FPageSize = 0;
  std::unique_ptr<TcxScrollBarPainter> FPainter;
  int FPosition = 0;
  int FSmallChange = 1;
  bool FUnlimitedTracking = false;
  std::unique_ptr<TcxScrollBarViewInfo> FViewInfo;
  rtl::TNotifyEvent FOnChange;
  TScrollEvent FOnScroll;
  bool FVisible = false;
};

// The scroll bar as a window control of its own.
class TcxScrollBar : public ui::TCustomControl, public IcxScrollBarOwner {
  RTL_CLASS(TcxScrollBar, ui::TCustomControl)

 public:
  explicit TcxScrollBar(rtl::TComponent* AOwner);
  ~TcxScrollBar() override;

  void SetScrollParams(int AMin, int AMax, int APosition, int APageSize, bool ARedraw = true) {
    FHelper->SetScrollParams(AMin, AMax, APosition, APageSize, ARedraw);
  }
  TScrollBarKind Kind() const { return FHelper->Kind(); }
  void SetKind(TScrollBarKind AValue);
  int LargeChange() const { return FHelper->LargeChange(); }
  void SetLargeChange(int AValue) { FHelper->SetLargeChange(AValue); }
  int SmallChange() const { return FHelper->SmallChange(); }
  void SetSmallChange(int AValue) { FHelper->SetSmallChange(AValue); }
  int Max() const { return FHelper->Max(); }
  void SetMax(int AValue) { FHelper->SetMax(AValue); }
  int Min() const { return FHelper->Min(); }
  void SetMin(int AValue) { FHelper->SetMin(AValue); }
  int PageSize() const { return FHelper->PageSize(); }
  void SetPageSize(int AValue) { FHelper->SetPageSize(AValue); }
  int Position() const { return FHelper->Position(); }
  void SetPosition(int AValue) { FHelper->SetPosition(AValue); }
  bool UnlimitedTracking() const { return FHelper->UnlimitedTracking(); }
  void SetUnlimitedTracking(bool AValue) { FHelper->SetUnlimitedTracking(AValue); }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* AValue) { FLookAndFeel->Assign(AValue); }
  // True when the inherited Ctl3D or the value the user set is on.
  bool GetCtl3D() const { return Ctl3D() || FRealCtl3D; }
  void SetCtl3DValue(bool AValue);
  TcxScrollBarHelper* Helper() const { return FHelper.get(); }

  const rtl::TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const rtl::TNotifyEvent& AValue) { FOnChange = AValue; }
  const TScrollEvent& OnScroll() const { return FOnScroll; }
  void SetOnScroll(const TScrollEvent& AValue) { FOnScroll = AValue; }

  // IcxScrollBarOwner
  ui::TWinControl* GetControl() override { return this; }
  TcxLookAndFeel* GetLookAndFeel() override { return FLookAndFeel.get(); }

  void Dispatch(void* message) override;

 protected:
  virtual void Change();
  virtual std::unique_ptr<TcxScrollBarHelper> CreateHelper();
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  virtual void DoPaint(core::TcxCanvas* ACanvas);
  virtual void Scroll(TScrollCode AScrollCode, int& AScrollPos);
  virtual void MouseEnter(ui::TControl* AControl);
  virtual void MouseLeave(ui::TControl* AControl);
  // Builds the helper; a descendant's constructor calls it again after it
  // replaced CreateHelper.
  void InitHelper();

  void Paint() override;
  void Resize() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;

 private:
  void DoChange(rtl::TObject* Sender);
  void DoScrollEvent(rtl::TObject* Sender, TScrollCode AScrollCode, int& AScrollPos);
  void ThemeChanged();

  std::unique_ptr<TcxScrollBarHelper> FHelper;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  bool FRealCtl3D = true;
  rtl::TNotifyEvent FOnChange;
  TScrollEvent FOnScroll;
};

}  // namespace lookandfeel

#pragma once
// Drag and drop inside one control, and the floating windows that show a
// drag: a semi-transparent image following the cursor, a hatched size frame
// and the green insertion arrows, with the routines that place and outline
// the arrows.
//
// The internal drag: a control creates a TcxDragAndDropObject of the class it
// chooses and feeds it the mouse and the keyboard while the drag runs; the
// object decides the cursor and the outcome. A drag gets a fresh object.
#include <array>
#include <cstdint>
#include <memory>

#include "lib/core/cxGeometry.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxPopupWindow.h"
#include "platform/ui/image_list.h"
#include "platform/ui/shortcuts.h"

namespace lookandfeel {

enum class TcxArrowPlace { apLeft, apTop, apRight, apBottom };

// The alpha of drag-image windows; settable, as callers tune it per product.
extern std::uint8_t cxDragAndDropWindowTransparency;

// ---- the internal drag object --------------------------------------------------------------
class TcxDragAndDropObject : public rtl::TObject {
  RTL_CLASS(TcxDragAndDropObject, rtl::TObject)

 public:
  explicit TcxDragAndDropObject(TcxControl* AControl);
  ~TcxDragAndDropObject() override;

  // What the control calls while the drag runs.
  void DoBeginDragAndDrop();
  void DoDragAndDrop(const core::TPoint& P, bool& Accepted);
  void DoEndDragAndDrop(bool Accepted);
  // True: the object used the key; False ends the drag (unaccepted).
  bool DoProcessKeyDown(ui::TWMKey& Message);
  bool DoProcessKeyUp(ui::TWMKey& Message);

  core::TcxCanvas* Canvas() const { return FCanvas; }
  TcxControl* Control() const { return FControl; }
  bool Dirty() const { return FDirty; }
  void SetDirty(bool Value);
  bool ImmediateStart() { return GetImmediateStart(); }
  int ZoomFactor() { return GetZoomFactor(); }

  // In the object's coordinates (client coordinates scaled by the zoom);
  // cxInvalidPoint until the drag begins.
  core::TPoint CurMousePos = core::cxInvalidPoint;
  core::TPoint PrevMousePos = core::cxInvalidPoint;
  // Where the drag began, in the object's coordinates.
  core::TPoint SourcePoint = core::cxInvalidPoint;

 protected:
  virtual void DirtyChanged() {}
  virtual core::TPoint GetClientCursorPos();
  virtual ui::TCursor GetDragAndDropCursor(bool Accepted);
  virtual bool GetImmediateStart() { return false; }
  virtual int GetZoomFactor() { return 100; }
  virtual void AfterDragAndDrop(bool Accepted) {}
  virtual void BeforeBeginDragAndDrop() {}
  virtual void BeginDragAndDrop();
  virtual void DragAndDrop(const core::TPoint& P, bool& Accepted);
  virtual void EndDragAndDrop(bool Accepted);
  // The base object uses no key, so any key ends the drag.
  virtual bool ProcessKeyDown(rtl::Word AKey, ui::TShiftState AShift) { return false; }
  virtual bool ProcessKeyUp(rtl::Word AKey, ui::TShiftState AShift) { return false; }
  virtual core::TPoint TranslateCoords(const core::TPoint& P);

 private:
  void ChangeMousePos(const core::TPoint& P);

  core::TcxCanvas* FCanvas = nullptr;  // the control's; not owned
  TcxControl* FControl = nullptr;
  bool FDirty = false;
};

// The image list a control hands to the platform drag.
class TcxDragImageList : public ui::TDragImageList {
  RTL_CLASS(TcxDragImageList, ui::TDragImageList)

 public:
  using ui::TDragImageList::TDragImageList;
};

// ---- drag windows ---------------------------------------------------------------------------
// A popup that never takes focus or mouse input: the cursor passes through
// it to what lies beneath. Shown without activation, moved with the cursor.
class TcxCustomDragImage : public TcxPopupWindow {
  RTL_CLASS(TcxCustomDragImage, TcxPopupWindow)

 public:
  TcxCustomDragImage();
  ~TcxCustomDragImage() override;

  // The window takes the size of ASourceBounds; the cursor holds it at
  // ASourcePoint (both in the same coordinates).
  void Init(const core::TRect& ASourceBounds, const core::TPoint& ASourcePoint);
  // The image's top-left goes to APosition minus the hold offset.
  void MoveTo(const core::TPoint& APosition);
  // Shown without activation and painted at once; hidden when it exists.
  void ShowImage();
  void HideImage();
  // The window exists and is visible.
  bool ImageVisible();
  void SetImageVisible(bool value) { value ? ShowImage() : HideImage(); }
  // Alpha blending is on and the window system offers layered windows.
  bool AlphaBlended() const;
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool value);
  std::uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(std::uint8_t value);
  // The window this one is owned by; null: the active form's window.
  ui::TCustomForm* PopupParent() const { return FPopupParent; }
  void SetPopupParent(ui::TCustomForm* value) { FPopupParent = value; }
  const core::TPoint& PositionOffset() const { return FPositionOffset; }
  virtual bool IsSkinnable() { return false; }

 protected:
  void CreateParams(ui::TCreateParams& params) override;
  void CreateWnd() override;
  void WndProc(ui::TMessage& message) override;
  // Applies alpha and colour key to the window (layered when either is on).
  void UpdateLayeredAttributes();
  void SetTransparentColor(bool on, ui::TColor color);

 private:
  core::TPoint FPositionOffset{};
  bool FAlphaBlend = true;
  std::uint8_t FAlphaBlendValue = 255;
  bool FTransparentColor = false;
  ui::TColor FTransparentColorValue = 0;
  ui::TCustomForm* FPopupParent = nullptr;
};

// A drag image showing a 32-bit picture the caller draws on ImageCanvas.
class TcxDragImage : public TcxCustomDragImage {
  RTL_CLASS(TcxDragImage, TcxCustomDragImage)

 public:
  TcxDragImage();
  ~TcxDragImage() override;

  core::TcxAlphaBitmap* Image() const { return FImage.get(); }
  core::TcxCanvas* ImageCanvas() const { return FImage->cxCanvas(); }
  core::TcxCanvas* WindowCanvas() const { return Canvas(); }
  // The picture is resized with the window.
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void PaintWindow(win::HDC dc) override;

 private:
  std::unique_ptr<core::TcxAlphaBitmap> FImage;
};

// A hatched frame ring, FrameWidth wide, that shows where something will be
// sized to; with FillSelection the whole rectangle is hatched.
class TcxSizeFrame : public TcxCustomDragImage {
  RTL_CLASS(TcxSizeFrame, TcxCustomDragImage)

 public:
  explicit TcxSizeFrame(int AFrameWidth);
  ~TcxSizeFrame() override;

  void DrawSizeFrame(const core::TRect& ARect);
  bool FillSelection() const { return FFillSelection; }
  void SetFillSelection(bool value) { FFillSelection = value; }
  int FrameWidth() const { return FFrameWidth; }
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void PaintWindow(win::HDC dc) override;

 private:
  void InitializeFrameRegion();
  void SetWindowRegion();

  bool FFillSelection = false;
  int FFrameWidth = 0;
  std::unique_ptr<core::TcxRegion> FRegion;
  std::unique_ptr<ui::TBitmap> FPattern;
};

// A lime insertion arrow with a black outline beside an insertion line. With
// layered windows its background is keyed out; without, the window is cut
// to the arrow's outline.
class TcxDragAndDropArrow : public TcxDragImage {
  RTL_CLASS(TcxDragAndDropArrow, TcxDragImage)

 public:
  explicit TcxDragAndDropArrow(bool ATransparent);

  // AAreaBounds and AClientRect in AOwner's client coordinates (screen ones
  // without an owner).
  void Init(ui::TControl* AOwner, const core::TRect& AAreaBounds, const core::TRect& AClientRect,
            TcxArrowPlace APlace);
  void Init(const core::TPoint& AOwnerOrigin, const core::TRect& AAreaBounds, const core::TRect& AClientRect,
            TcxArrowPlace APlace);
  // Colour keying is in use.
  bool Transparent() const;
  virtual ui::TColor GetImageBackColor() { return 0xFF00FF; }

 private:
  bool FTransparent = false;
};

// ---- arrow routines ---------------------------------------------------------------------------
core::TRect GetDragAndDropArrowBounds(const core::TRect& AAreaBounds, const core::TRect& AClientRect,
                                      TcxArrowPlace APlace);
// The seven corners of the arrow within ABounds; AForRegion widens the
// outline by the pixel a region leaves out on its right and bottom.
std::array<core::TPoint, 7> GetDragAndDropArrowPoints(const core::TRect& ABounds, TcxArrowPlace APlace,
                                                      bool AForRegion);
void DrawDragAndDropArrow(core::TcxCanvas* ACanvas, const core::TRect& ABounds, TcxArrowPlace APlace);

}  // namespace lookandfeel

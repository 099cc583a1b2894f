#pragma once
// The borderless, stay-on-top form every drop-down of the library is built
// on (editor drop-downs, the custom popup window, the drag images). It is
// placed against an owner rectangle, flips to the side of that rectangle
// with more room in the monitor's work area, stays inside that work area,
// sizes itself from its child controls plus a frame, and closes when it or
// the application loses activation.
#include <memory>

#include "lib/core/cxGeometry.h"
#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/ui/forms.h"

namespace lookandfeel {

enum class TcxPopupAlignHorz { pahLeft, pahCenter, pahRight };
enum class TcxPopupAlignVert { pavTop, pavCenter, pavBottom };
enum class TcxPopupDirection { pdHorizontal, pdVertical };
// TcxPopupBorderStyle (pbsNone, pbsUltraFlat, pbsFlat, pbs3D) is the
// painters' type (cxLookAndFeelPainters.h).

class TcxPopupWindow : public ui::TForm {
  RTL_CLASS(TcxPopupWindow, ui::TForm)

 public:
  // Hidden, borderless, on top of every other window, no owner component.
  TcxPopupWindow();
  ~TcxPopupWindow() override;

  // Sizes, places and shows the popup.
  virtual void Popup();
  // Hides it; it is reused for the next Popup.
  virtual void CloseUp();
  // Moves every child control back by the left and top border widths, undoing
  // what CalculateSize of an adjustable popup did.
  void RestoreControlsBounds();

  bool Adjustable() const { return FAdjustable; }
  void SetAdjustable(bool value) { FAdjustable = value; }
  TcxPopupAlignHorz AlignHorz() const { return FAlignHorz; }
  void SetAlignHorz(TcxPopupAlignHorz value) { FAlignHorz = value; }
  TcxPopupAlignVert AlignVert() const { return FAlignVert; }
  void SetAlignVert(TcxPopupAlignVert value) { FAlignVert = value; }
  int BorderSpace() const { return FBorderSpace; }
  void SetBorderSpace(int value) { FBorderSpace = value; }
  TcxPopupBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TcxPopupBorderStyle value);
  core::TcxCanvas* Canvas() const { return FCanvas.get(); }
  TcxPopupDirection Direction() const { return FDirection; }
  void SetDirection(TcxPopupDirection value) { FDirection = value; }
  ui::TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(ui::TColor value) { FFrameColor = value; }
  int NCHeight() { return GetBorderWidth(core::TcxBorder::bTop) + GetBorderWidth(core::TcxBorder::bBottom); }
  int NCWidth() { return GetBorderWidth(core::TcxBorder::bLeft) + GetBorderWidth(core::TcxBorder::bRight); }
  const core::TRect& OwnerBounds() const { return FOwnerBounds; }
  void SetOwnerBounds(const core::TRect& value) { FOwnerBounds = value; }
  ui::TControl* OwnerParent() const { return FOwnerParent; }
  void SetOwnerParent(ui::TControl* value) { FOwnerParent = value; }
  win::HWND PrevActiveWindow() const { return FPrevActiveWindow; }

  virtual int GetBorderWidth(core::TcxBorder ABorder);
  virtual core::TRect GetClientBounds();
  virtual int GetFrameWidth(core::TcxBorder ABorder);
  virtual core::TRect GetOwnerScreenBounds();
  virtual core::TPoint CalculatePosition(const core::TSize& ASize);
  virtual core::TSize CalculateSize();

 protected:
  virtual void InternalCalculateHorizontalDirectionPosition(core::TPoint& APosition, core::TPoint& AOrigin,
                                                            const core::TSize& ASize);
  virtual void InternalCalculateVerticalDirectionPosition(core::TPoint& APosition, core::TPoint& AOrigin,
                                                          const core::TSize& ASize);
  virtual void InternalCalculateTargetPosition(core::TPoint& APosition, core::TPoint& AOrigin,
                                               const core::TSize& ASize);
  virtual void CheckPosition(core::TPoint& APosition, const core::TPoint& AOrigin, const core::TSize& ASize);
  virtual void InitPopup();
  virtual bool UseOwnerParentToGetScreenBounds() { return true; }
  virtual void DrawFrame();
  // Called after the visibility changed; nothing here.
  virtual void VisibleChanged() {}

  void PaintWindow(win::HDC dc) override;
  void WndProc(ui::TMessage& message) override;
  void Deactivate() override;

 private:
  void calculateCommonPosition(core::TPoint& APosition, core::TPoint& AOrigin, const core::TSize& ASize);
  void calculateDirectionPosition(core::TPoint& APosition, core::TPoint& AOrigin, const core::TSize& ASize);
  void checkCommonPosition(core::TPoint& APosition, const core::TRect& AWorkArea, const core::TSize& ASize);

  bool FAdjustable = true;
  TcxPopupAlignHorz FAlignHorz = TcxPopupAlignHorz::pahLeft;
  TcxPopupAlignVert FAlignVert = TcxPopupAlignVert::pavBottom;
  int FBorderSpace = 0;
  TcxPopupBorderStyle FBorderStyle = TcxPopupBorderStyle::pbsNone;
  std::unique_ptr<ui::TCanvas> FFormCanvas;
  std::unique_ptr<core::TcxCanvas> FCanvas;
  TcxPopupDirection FDirection = TcxPopupDirection::pdVertical;
  ui::TColor FFrameColor = ui::clWindowText;
  core::TRect FOwnerBounds{};
  ui::TControl* FOwnerParent = nullptr;
  win::HWND FPrevActiveWindow = nullptr;
};

}  // namespace lookandfeel

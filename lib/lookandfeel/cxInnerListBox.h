#pragma once
// The platform list box adapted to live inside a container: it passes its
// input on to the container, lays two library scroll bars over its native
// ones on its parent, draws selected items in the highlight colours and
// searches its items as the user types (auto-complete).
#include <memory>

#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "lib/lookandfeel/cxScrollBar.h"
#include "platform/ui/listbox.h"
#include "platform/ui/mouse.h"

namespace lookandfeel {

class TcxContainer;

class TcxCustomInnerListBox : public ui::TCustomListBox {
  RTL_CLASS(TcxCustomInnerListBox, ui::TCustomListBox)

 public:
  explicit TcxCustomInnerListBox(rtl::TComponent* AOwner);
  ~TcxCustomInnerListBox() override;

  // The owning container, or none (then the list box works alone).
  TcxContainer* Container() const { return FContainer; }
  void SetContainer(TcxContainer* AValue) { FContainer = AValue; }
  core::TcxCanvas* cxCanvas() const { return FcxCanvas.get(); }
  TcxScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxScrollBar* VScrollBar() const { return FVScrollBar; }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  const String& AutoCompleteFilter() const { return FAutoCompleteFilter; }
  bool IsRedrawLocked() const { return FIsRedrawLocked; }
  // The square between the two library scroll bars, in the list box's window
  // coordinates; empty unless both show.
  TRect SizeGripRect();

  // The first item starting with AText, ignoring case (the virtual styles
  // ask their data search); -1 when none.
  int FindAutoCompleteString(const String& AText);
  // While locked the library scroll bars are left as they are.
  void LockScrollBars() { ++FScrollBarsLockCount; }
  void UnlockScrollBars();
  // When the library bars are in use: a container is set and its look asks
  // for them. Without a container the native bars stay.
  virtual bool UsecxScrollBars();

 protected:
  // Incremental search by typing; consumes the key unless it is Backspace,
  // Enter or Escape.
  virtual void DoAutoComplete(rtl::Char& AKey);
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  virtual bool NeedDrawFocusRect() { return !static_cast<bool>(OnDrawItem()); }
  virtual void SetExternalScrollBarsParameters();

  void Notification(rtl::TComponent* AComponent, rtl::TOperation AOperation) override;
  // The container sees every key, press and drag first (it may consume a
  // key); the list box handles what is left.
  void Click() override;
  void DblClick() override;
  void KeyDown(rtl::Word& key, ui::TShiftState shift) override;
  void KeyPress(rtl::Char& key) override;
  void KeyUp(rtl::Word& key, ui::TShiftState shift) override;
  void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
  void MouseMove(ui::TShiftState shift, int x, int y) override;
  void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
  bool DoMouseWheel(ui::TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void DragOver(rtl::TObject* source, int x, int y, ui::TDragState state, bool& accept) override;
  void DragDrop(rtl::TObject* source, int x, int y) override;
  void WndProc(ui::TMessage& message) override;
  void CNDrawItemMessage(ui::TMessage& message);

 private:
  void hScrollHandler(rtl::TObject* Sender, ui::TScrollCode AScrollCode, int& AScrollPos);
  void vScrollHandler(rtl::TObject* Sender, ui::TScrollCode AScrollCode, int& AScrollPos);
  void setBarParameters(TcxScrollBar* ABar, long AObjectId, int ABar2);
  bool updatesScrollBarsAfter(win::UINT AMsg, win::WPARAM AWParam) const;
  TPoint toContainer(int x, int y);
  // A left press with automatic drag mode drags the container.
  void leftButtonDownWithDrag(ui::TMessage& m);
  void fillSizeGrip(win::HDC dc);

  String FAutoCompleteFilter;
  bool FIsRedrawLocked = false;
  ui::TColor FPrevBrushColor = ui::clNone;
  ui::TColor FPrevFontColor = ui::clNone;
  std::int64_t FPrevKeyPressTime = 0;
  std::unique_ptr<core::TcxCanvas> FcxCanvas;
  TcxScrollBar* FHScrollBar = nullptr;
  TcxScrollBar* FVScrollBar = nullptr;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  bool FScrollBarsCalculating = false;
  int FScrollBarsLockCount = 0;
  TcxContainer* FContainer = nullptr;
};

}  // namespace lookandfeel

#pragma once
// The drag objects of drag and drop between controls (TControl::BeginDrag).
//
// A drag runs as a modal loop of its own that holds the mouse capture: the
// source's DoStartDrag supplies the drag object, every pointer move asks
// the control under the pointer (DragOver, with dsDragEnter / dsDragMove /
// dsDragLeave) whether it accepts, shows the object's cursor for the
// answer, and the left button's release drops on an accepting control
// (DragDrop). The source's DoEndDrag then hears the target (nil when
// cancelled) and the object's Finished runs; the drag frees the object.
// Controls see the drag object itself as the `source` of DragOver and
// DragDrop.
//
// A drag object with drag images shows the picked image under the pointer
// from the start of the drag to its end, over the screen and over controls
// whose style has csDisplayDragImage (hidden over the others).
#include <memory>

#include "platform/rtl/classes.h"
#include "platform/ui/controls.h"

namespace ui {

class TDragObject : public rtl::TObject {
  RTL_CLASS(TDragObject, rtl::TObject)

 public:
  // crDrag when the control under the pointer accepts, crNoDrop otherwise.
  virtual TCursor GetDragCursor(bool accepted, int x, int y);
  // After the source's DoEndDrag; `target` nil when nothing took the drop.
  virtual void Finished(rtl::TObject* target, int x, int y, bool accepted) {}
  // The images the drag shows under the pointer; null: none.
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // Around painting a window under the drag image (scrolling it, say): the
  // image is hidden, then shown again.
  virtual void HideDragImage();
  virtual void ShowDragImage();

  // The control under the pointer and the pointer in its client
  // coordinates, as of the last move.
  rtl::TObject* DragTarget() const { return dragTarget_; }
  TPoint DragPos() const { return dragPos_; }
  // The cursor the last move showed.
  TCursor DragCursor() const { return dragCursor_; }
  bool Cancelling() const { return cancelling_; }
  bool Dropped() const { return dropped_; }

 private:
  friend class DragSession;
  rtl::TObject* dragTarget_ = nullptr;
  TPoint dragPos_{};
  TCursor dragCursor_ = crDefault;
  bool cancelling_ = false;
  bool dropped_ = false;
};

class TBaseDragControlObject : public TDragObject {
  RTL_CLASS(TBaseDragControlObject, TDragObject)

 public:
  explicit TBaseDragControlObject(TControl* control) : control_(control) {}
  TControl* Control() const { return control_; }
  // The control's drag images.
  TDragImageList* GetDragImages() override;

 private:
  friend class DragSession;
  TControl* control_;
};

// The object a drag of a control gets when DoStartDrag supplies none.
class TDragControlObject : public TBaseDragControlObject {
  RTL_CLASS(TDragControlObject, TBaseDragControlObject)

 public:
  explicit TDragControlObject(TControl* control) : TBaseDragControlObject(control) {}
};

// The drag object of the running drag, nil when none runs.
TDragObject* ActiveDragObject();
// A control being destroyed leaves the running drag (as source: the drag
// is cancelled; as target: it is forgotten).
void DragControlDestroyed(TControl* control);

}  // namespace ui

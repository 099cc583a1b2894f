// Drag and drop between controls: the drag loop and the drag hooks of
// TControl.
#include "platform/ui/dragdrop.h"

#include <cstdlib>

#include "platform/rtl/scoped.h"
#include "platform/ui/forms.h"
#include "platform/ui/image_list.h"
#include "platform/ui/mouse.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ui {

TCursor TDragObject::GetDragCursor(bool accepted, int, int) { return accepted ? crDrag : crNoDrop; }

void TDragObject::HideDragImage() {
  if (TDragImageList* images = GetDragImages()) images->HideDragImage();
}

void TDragObject::ShowDragImage() {
  if (TDragImageList* images = GetDragImages()) images->ShowDragImage();
}

TDragImageList* TBaseDragControlObject::GetDragImages() { return control_ ? control_->GetDragImages() : nullptr; }

// One running drag. Only one runs at a time: the loop holds the capture.
class DragSession {
 public:
  DragSession(TControl* source, win::HWND captureWnd, TPoint start, int threshold)
      : source_(source), captureWnd_(captureWnd), start_(start), threshold_(threshold) {}

  static DragSession* active;

  bool Start() {
    source_->DoStartDrag(object_);
    if (!sourceAlive_) return false;
    if (!object_) return false;
    started_ = true;
    // The images are the source's; they stay with it until its DoEndDrag.
    images_ = object_->GetDragImages();
    if (images_ && !images_->BeginDrag(nullptr, start_.x, start_.y)) images_ = nullptr;
    return true;
  }

  void Run(bool immediate) {
    if (immediate && !Start()) return;
    win::SetCapture(captureWnd_);
    rtl::ScopeExit release([this] {
      if (win::GetCapture() == captureWnd_) win::ReleaseCapture();
    });
    if (started_) moveTo(start_);
    win::MSG msg{};
    while (!ending_) {
      if (win::GetCapture() != captureWnd_) {
        requestEnd(false);
        break;
      }
      const win::BOOL got = win::GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        win::PostQuitMessage(int(msg.wParam));
        requestEnd(false);
        break;
      }
      if (got < 0) {
        requestEnd(false);
        break;
      }
      handle(msg);
    }
    finish();
  }

  void RequestEnd(bool drop) { requestEnd(drop); }
  TDragObject* Object() const { return object_.get(); }
  TControl* Source() const { return source_; }

  void ControlDestroyed(TControl* control) {
    if (control == target_) {
      target_ = nullptr;
      accepted_ = false;
      if (object_) object_->dragTarget_ = nullptr;
    }
    if (control == source_) {
      sourceAlive_ = false;
      images_ = nullptr;  // gone with the source, which ended their drag
      // Whatever the object is asked until the drag ends must not reach it.
      if (auto* controlObject = dynamic_cast<TBaseDragControlObject*>(object_.get()))
        if (controlObject->control_ == control) controlObject->control_ = nullptr;
      requestEnd(false);
    }
  }

 private:
  void requestEnd(bool drop) {
    if (ending_) return;
    ending_ = true;
    drop_ = drop;
  }

  static TPoint screenPoint(const win::MSG& msg) {
    win::POINT p{win::GET_X_LPARAM(msg.lParam), win::GET_Y_LPARAM(msg.lParam)};
    if (msg.hwnd) win::ClientToScreen(msg.hwnd, &p);
    return TPoint{p.x, p.y};
  }

  void handle(const win::MSG& msg) {
    switch (msg.message) {
      case win::WM_MOUSEMOVE: {
        const TPoint p = screenPoint(msg);
        if (!started_ && (std::abs(p.x - start_.x) >= threshold_ || std::abs(p.y - start_.y) >= threshold_))
          if (!Start()) {
            requestEnd(false);
            return;
          }
        if (started_) moveTo(p);
        return;
      }
      case win::WM_LBUTTONUP:
        if (started_) moveTo(screenPoint(msg));
        requestEnd(true);
        return;
      case win::WM_RBUTTONDOWN:
      case win::WM_RBUTTONUP:
        requestEnd(false);
        return;
      case win::WM_KEYDOWN:
        if (msg.wParam == win::VK_ESCAPE) requestEnd(false);
        return;
      case win::WM_KEYUP:
      case win::WM_CHAR:
        return;
      default:
        if (msg.message >= win::WM_MOUSEFIRST && msg.message <= win::WM_MOUSELAST) return;
        win::TranslateMessage(&msg);
        win::DispatchMessageW(&msg);
    }
  }

  // The control under a screen point: the window's control, or one of its
  // graphic children there.
  static TControl* findTarget(const TPoint& p) {
    TWinControl* window = TWinControl::FindControl(win::WindowFromPoint(win::POINT{p.x, p.y}));
    if (!window) return nullptr;
    const TPoint client = window->ScreenToClient(p);
    if (TControl* child = window->ControlAtPos(client, false)) return child;
    return window;
  }

  void moveTo(const TPoint& p) {
    TControl* target = findTarget(p);
    if (target != target_ && target_) {
      TControl* old = target_;
      target_ = nullptr;
      bool ignored = false;
      const TPoint c = old->ScreenToClient(p);
      old->DragOver(object_.get(), c.x, c.y, dsDragLeave, ignored);
      if (!object_) return;
    }
    accepted_ = false;
    TPoint client = p;
    if (target) {
      const TDragState state = target == target_ ? dsDragMove : dsDragEnter;
      target_ = target;
      client = target->ScreenToClient(p);
      target->DragOver(object_.get(), client.x, client.y, state, accepted_);
      if (!object_) return;
      if (target_ != target) accepted_ = false;  // the target went away meanwhile
    }
    object_->dragTarget_ = target_;
    object_->dragPos_ = client;
    object_->dragCursor_ = object_->GetDragCursor(accepted_, client.x, client.y);
    if (TScreen* screen = ScreenInstance()) win::SetCursor(screen->Cursors(object_->dragCursor_));
    if (images_) moveImages(p);
  }

  // Over a control that does not display drag images the image hides (it
  // would cover what the control draws to show the drop).
  void moveImages(const TPoint& p) {
    images_->SetDragCursor(object_->dragCursor_);
    images_->DragMove(p.x, p.y);
    if (!target_ || target_->ControlStyle().contains(TControlStyleItem::csDisplayDragImage))
      images_->ShowDragImage();
    else
      images_->HideDragImage();
  }

  void finish() {
    // The image goes before the drop is handled, so what the drop paints shows.
    if (images_) images_->EndDrag();
    images_ = nullptr;
    if (!started_ || !object_) return;
    TControl* target = drop_ && accepted_ ? target_ : nullptr;
    const TPoint pos = object_->dragPos_;
    object_->cancelling_ = !target;
    if (target) {
      target->DragDrop(object_.get(), pos.x, pos.y);
      object_->dropped_ = true;
      if (target_ != target) target = nullptr;  // freed by its own drop handler
    } else if (target_) {
      bool ignored = false;
      target_->DragOver(object_.get(), pos.x, pos.y, dsDragLeave, ignored);
    }
    if (sourceAlive_) source_->DoEndDrag(target, pos.x, pos.y);
    object_->Finished(target, pos.x, pos.y, target != nullptr);
    object_.reset();
    if (TScreen* screen = ScreenInstance()) win::SetCursor(screen->Cursors(crDefault));
  }

  TControl* source_;
  win::HWND captureWnd_;
  TPoint start_;
  int threshold_;
  std::unique_ptr<TDragObject> object_;
  TDragImageList* images_ = nullptr;
  TControl* target_ = nullptr;
  bool started_ = false;
  bool accepted_ = false;
  bool ending_ = false;
  bool drop_ = false;
  bool sourceAlive_ = true;
};

DragSession* DragSession::active = nullptr;

TDragObject* ActiveDragObject() { return DragSession::active ? DragSession::active->Object() : nullptr; }

void DragControlDestroyed(TControl* control) {
  if (DragSession::active) DragSession::active->ControlDestroyed(control);
}

// ---- TControl's side ----------------------------------------------------------------------

namespace {
// The window that holds the capture for the drag: the control's own, or
// its nearest windowed parent's.
win::HWND captureWindowOf(TControl* control) {
  for (TControl* c = control; c; c = c->Parent())
    if (auto* w = dynamic_cast<TWinControl*>(c)) return w->Handle();
  return nullptr;
}
}  // namespace

void TControl::BeginDrag(bool immediate, int threshold) {
  if (DragSession::active) return;
  const win::HWND wnd = captureWindowOf(this);
  if (!wnd) return;
  win::POINT cursor{};
  win::GetCursorPos(&cursor);
  if (threshold < 0) threshold = Mouse()->DragThreshold();
  DragSession session(this, wnd, TPoint{cursor.x, cursor.y}, threshold);
  DragSession::active = &session;
  rtl::ScopeExit clear([] { DragSession::active = nullptr; });
  session.Run(immediate);
}

void TControl::EndDrag(bool drop) {
  if (DragSession::active && DragSession::active->Source() == this) DragSession::active->RequestEnd(drop);
}

bool TControl::Dragging() const {
  return DragSession::active && DragSession::active->Source() == this && DragSession::active->Object();
}

void TControl::DoStartDrag(std::unique_ptr<TDragObject>& dragObject) {
  if (onStartDrag_) onStartDrag_(this, dragObject);
  if (!dragObject) dragObject.reset(rtl::Create<TDragControlObject>(this));
}

void TControl::DoEndDrag(rtl::TObject* target, int x, int y) {
  if (onEndDrag_) onEndDrag_(this, target, x, y);
}

void TControl::DragOver(rtl::TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = static_cast<bool>(onDragOver_);
  if (onDragOver_) onDragOver_(this, source, x, y, state, accept);
}

void TControl::DragDrop(rtl::TObject* source, int x, int y) {
  if (onDragDrop_) onDragDrop_(this, source, x, y);
}

}  // namespace ui

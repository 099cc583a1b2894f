// Design-time selection frames: the hooked window procedure that lets the
// mouse through the selected part and draws the frame after each paint, and
// the child helpers that carry the frame into windowed children.
#include <algorithm>
#include <memory>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxImageDraw.h"
#include "lib/core/dxWinHelpers.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxControlsSystem.h"
#include "platform/rtl/scoped.h"
#include "platform/win/win.h"

namespace lookandfeel {

namespace {
bool selectorContains(const TRect& r, const TPoint& p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
bool selectorIsEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }
}  // namespace

TdxControlsDesignSelectorHelper::TdxControlsDesignSelectorHelper(rtl::TComponent* AOwner)
    : rtl::TComponent(nullptr), FControl(dynamic_cast<ui::TControl*>(AOwner)) {
  if (TcxWindowProcController* controller = cxWindowProcController())
    FWindowProcObject =
        controller->Add(FControl, ui::TWndMethod::bind<&TdxControlsDesignSelectorHelper::ControlWndProc>(this));
}

TdxControlsDesignSelectorHelper::~TdxControlsDesignSelectorHelper() {
  FDestroying = true;
  if (TcxWindowProcController* controller = cxWindowProcController()) controller->Remove(FWindowProcObject);
  const std::vector<TdxControlsDesignSelectorHelper*> children = std::move(FChildren);
  FChildren.clear();
  for (TdxControlsDesignSelectorHelper* child : children) child->Free();
}

void TdxControlsDesignSelectorHelper::Assign(rtl::TPersistent* Source) {
  if (auto* source = dynamic_cast<TdxControlsDesignSelectorHelper*>(Source)) {
    FSelectorBounds = source->GetSelectorBoundsForChild(this);
    CheckChildren();
    return;
  }
  rtl::TComponent::Assign(Source);
}

TRect TdxControlsDesignSelectorHelper::GetSelectorBoundsForChild(TdxControlsDesignSelectorHelper* AChild) const {
  // The child's client origin, read in this control's client coordinates.
  const TPoint origin = FControl->ScreenToClient(AChild->Control()->ClientToScreen(TPoint{0, 0}));
  TRect r = FSelectorBounds;
  r.left -= origin.x; r.right -= origin.x; r.top -= origin.y; r.bottom -= origin.y;
  return r;
}

void TdxControlsDesignSelectorHelper::SetSelectorBounds(const TRect& R) {
  if (FSelectorBounds == R) return;
  FSelectorBounds = R;
  CheckChildren();
  if (FControl && FControl->Visible()) FControl->Invalidate();
}

bool TdxControlsDesignSelectorHelper::IsValid() {
  return !FDestroying && FControl &&
         !FControl->ComponentState().contains(rtl::TComponentStateItem::csDestroying);
}

bool TdxControlsDesignSelectorHelper::IsHitTestTransparent(const TPoint& P) {
  return selectorContains(FSelectorBounds, P);
}

bool TdxControlsDesignSelectorHelper::IsSelected() {
  // No form designer reports a selection in this program.
  return FParent ? FParent->IsSelected() : false;
}

bool TdxControlsDesignSelectorHelper::CanDrawDesignSelector() {
  if (!IsActiveDesignSelector()) return false;
  if (!FParent) return true;
  auto* windowed = dynamic_cast<ui::TWinControl*>(FControl);
  return windowed && windowed->HandleAllocated() && win::IsWindowVisible(windowed->Handle());
}

bool TdxControlsDesignSelectorHelper::DoControlWndProc(ui::TMessage& Message) {
  if (!IsActiveDesignSelector()) return false;
  if (Message.Msg == win::WM_NCHITTEST) {
    const TPoint screen{win::GET_X_LPARAM(Message.LParam), win::GET_Y_LPARAM(Message.LParam)};
    if (IsHitTestTransparent(FControl->ScreenToClient(screen))) {
      Message.Result = win::HTTRANSPARENT;
      return true;
    }
  } else if (Message.Msg == ui::CM_HITTEST) {
    const TPoint p{win::GET_X_LPARAM(Message.LParam), win::GET_Y_LPARAM(Message.LParam)};
    if (selectorContains(FSelectorBounds, p)) {
      Message.Result = 0;
      return true;
    }
  }
  return false;
}

void TdxControlsDesignSelectorHelper::ControlWndProc(ui::TMessage& Message) {
  const win::UINT msg = Message.Msg;
  const win::WPARAM wParam = Message.WParam;
  if (!DoControlWndProc(Message) && FWindowProcObject) FWindowProcObject->DefaultProc(Message);
  switch (msg) {
    case win::WM_PAINT:
    case win::WM_PRINTCLIENT: {
      if (!IsActiveDesignSelector()) break;
      if (wParam) {
        DrawDesignSelector(reinterpret_cast<gdi::HDC>(wParam));
      } else if (auto* windowed = dynamic_cast<ui::TWinControl*>(FControl); windowed && windowed->HandleAllocated()) {
        gdi::HDC dc = win::GetWindowDC(windowed->Handle());
        rtl::ScopeExit release([&] { win::ReleaseDC(windowed->Handle(), dc); });
        DrawDesignSelector(dc);
      }
      break;
    }
    case win::WM_WINDOWPOSCHANGED:
      if (FParent) SetSelectorBounds(FParent->GetSelectorBoundsForChild(this));
      break;
    case win::WM_PARENTNOTIFY: {
      const win::UINT event = win::UINT(wParam & 0xFFFF);
      if (event == win::WM_CREATE || event == win::WM_DESTROY) CheckChildren();
      break;
    }
    case ui::CM_CONTROLCHANGE: CheckChildren(); break;
    default: break;
  }
}

void TdxControlsDesignSelectorHelper::DrawDesignSelector(gdi::HDC DC) {
  if (CanDrawDesignSelector()) DoDrawDesignSelector(DC);
}

void TdxControlsDesignSelectorHelper::DoDrawDesignSelector(gdi::HDC DC) {
  if (selectorIsEmpty(FSelectorBounds)) return;
  core::TcxPaintCanvas* canvas = core::cxPaintCanvas();
  canvas->BeginPaint(DC);
  rtl::ScopeExit end([canvas] { canvas->EndPaint(); });
  TRect r = FSelectorBounds;
  auto* windowed = dynamic_cast<ui::TWinControl*>(FControl);
  const bool paintCopy = FControl->ControlState().contains(ui::TControlStateItem::csPaintCopy);
  if (windowed && windowed->HandleAllocated() && !paintCopy && FControl->Parent()) {
    // A window context counts from the window's corner, not the client's.
    const TPoint offset = core::cxGetClientOffset(windowed->Handle());
    r.left += offset.x; r.right += offset.x; r.top += offset.y; r.bottom += offset.y;
  }
  core::cxDrawDesignRect(canvas, r, IsSelected());
}

TdxControlsDesignSelectorHelper* TdxControlsDesignSelectorHelper::CreateChild(ui::TWinControl* AChildControl) {
  return rtl::Create<TdxControlsDesignSelectorHelper>(AChildControl);
}

void TdxControlsDesignSelectorHelper::PrepareChild(TdxControlsDesignSelectorHelper* AChild) {
  if (std::find(FChildren.begin(), FChildren.end(), AChild) == FChildren.end()) FChildren.push_back(AChild);
  AChild->FParent = this;
  AChild->Assign(this);
  AChild->FChecked = true;
}

void TdxControlsDesignSelectorHelper::CheckChildren() {
  for (TdxControlsDesignSelectorHelper* child : FChildren) child->FChecked = false;
  auto* windowed = dynamic_cast<ui::TWinControl*>(FControl);
  if (IsValid() && windowed && windowed->HandleAllocated()) {
    for (int i = 0; i < windowed->ControlCount(); ++i) {
      auto* child = dynamic_cast<ui::TWinControl*>(windowed->Controls(i));
      if (!child || !child->HandleAllocated() ||
          child->ComponentState().contains(rtl::TComponentStateItem::csDestroying))
        continue;
      auto found = std::find_if(FChildren.begin(), FChildren.end(),
                                [child](TdxControlsDesignSelectorHelper* h) { return h->Control() == child; });
      PrepareChild(found != FChildren.end() ? *found : CreateChild(child));
    }
  }
  for (int i = int(FChildren.size()) - 1; i >= 0; --i)
    if (!FChildren[size_t(i)]->FChecked) DestroyChild(FChildren[size_t(i)]);
}

void TdxControlsDesignSelectorHelper::DestroyChild(TdxControlsDesignSelectorHelper* AChild) {
  FChildren.erase(std::remove(FChildren.begin(), FChildren.end(), AChild), FChildren.end());
  AChild->Free();
}

}  // namespace lookandfeel

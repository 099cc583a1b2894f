// The form's window style, translucency and owner: FormStyle, AlphaBlend,
// TransparentColor, PopupMode and PopupParent.
#include "platform/ui/colors.h"
#include "platform/ui/forms.h"
#include "platform/win/win.h"

namespace ui {

using namespace win;

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  // CreateParams asked for WS_EX_LAYERED; the alpha and key need the window.
  applyLayeredAttributes();
}

void TCustomForm::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && component == popupParent_) {
    popupParent_ = nullptr;
    if (popupMode_ == pmExplicit) popupMode_ = pmNone;
  }
}

// ---- style

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (formStyle_ == value) return;
  formStyle_ = value;
  if (HandleAllocated()) applyFormStyle();
}

void TCustomForm::applyFormStyle() {
  SetWindowPos(Handle(), formStyle_ == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- translucency

void TCustomForm::SetAlphaBlend(bool value) {
  if (alphaBlend_ == value) return;
  alphaBlend_ = value;
  if (HandleAllocated()) applyLayeredAttributes();
}

void TCustomForm::SetAlphaBlendValue(rtl::Byte value) {
  if (alphaBlendValue_ == value) return;
  alphaBlendValue_ = value;
  if (HandleAllocated()) applyLayeredAttributes();
}

void TCustomForm::SetTransparentColor(bool value) {
  if (transparentColor_ == value) return;
  transparentColor_ = value;
  if (HandleAllocated()) applyLayeredAttributes();
}

void TCustomForm::SetTransparentColorValue(TColor value) {
  if (transparentColorValue_ == value) return;
  transparentColorValue_ = value;
  if (HandleAllocated()) applyLayeredAttributes();
}

void TCustomForm::applyLayeredAttributes() {
  const HWND wnd = Handle();
  const LONG exStyle = GetWindowLongW(wnd, GWL_EXSTYLE);
  if (!alphaBlend_ && !transparentColor_) {
    if (exStyle & WS_EX_LAYERED) {
      SetWindowLongW(wnd, GWL_EXSTYLE, exStyle & ~LONG(WS_EX_LAYERED));
      RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return;
  }
  if (!(exStyle & WS_EX_LAYERED)) SetWindowLongW(wnd, GWL_EXSTYLE, exStyle | LONG(WS_EX_LAYERED));
  DWORD flags = 0;
  if (alphaBlend_) flags |= LWA_ALPHA;
  if (transparentColor_) flags |= LWA_COLORKEY;
  SetLayeredWindowAttributes(wnd, ColorToRGB(transparentColorValue_), alphaBlend_ ? alphaBlendValue_ : BYTE(255),
                             flags);
}

// ---- owner

void TCustomForm::SetPopupMode(TPopupMode value) {
  if (popupMode_ == value) return;
  popupMode_ = value;
  if (value != pmExplicit && popupParent_) {
    popupParent_->RemoveFreeNotification(this);
    popupParent_ = nullptr;
  }
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetPopupParent(TCustomForm* value) {
  if (popupParent_ == value || value == this) return;
  if (popupParent_) popupParent_->RemoveFreeNotification(this);
  popupParent_ = value;
  if (value) {
    value->FreeNotification(this);
    popupMode_ = pmExplicit;
  }
  if (HandleAllocated()) RecreateWnd();
}

HWND TCustomForm::popupOwnerWindow() {
  TCustomForm* owner = nullptr;
  switch (popupMode_) {
    case pmNone: return nullptr;
    case pmAuto:
      owner = Screen->ActiveForm();
      if (!owner || owner == this) owner = Application->MainForm();
      break;
    case pmExplicit: owner = popupParent_ ? popupParent_ : Application->MainForm(); break;
  }
  if (!owner || owner == this) return nullptr;
  return owner->Handle();
}

}  // namespace ui

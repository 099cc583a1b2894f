// The data navigator's picture: measuring and placing the buttons and the
// info panel, painting through the look-and-feel painter, the mouse with the
// auto-repeat of Prior and Next, hints and focus.
#include <algorithm>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGeometry.h"
#include "lib/core/cxGraphics.h"
#include "lib/data/cxNavigator.h"
#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/bitmap.h"
#include "platform/win/constants.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/system.h"

namespace data {

namespace {

using lookandfeel::TcxButtonState;

// The first repeat of a held Prior or Next comes after this, the next ones
// after the short interval.
constexpr rtl::Cardinal kRepeatDelay = 400;
constexpr rtl::Cardinal kRepeatInterval = 100;

String digitsAsZeros(String AText) {
  for (char16_t& c : AText)
    if (c >= u'0' && c <= u'9') c = u'0';
  return AText + u"00";
}

}  // namespace

// --- a button's picture ------------------------------------------------------------------------
TcxNavigatorButtonViewInfo::TcxNavigatorButtonViewInfo(TcxNavigatorViewInfo* AOwner, TcxNavigatorButton* AButton)
    : Button(AButton), FOwner(AOwner) {}

void TcxNavigatorButtonViewInfo::Calculate() {
  Enabled = Button->GetInternalEnabled();
  Hint = Button->GetInternalHint();
  UpdateState();
}

TcxButtonState TcxNavigatorButtonViewInfo::CalculateState() {
  if (!Enabled) return TcxButtonState::cxbsDisabled;
  if (FOwner->PressedButtonViewInfo() == this && FOwner->HotTrackButtonViewInfo() == this)
    return TcxButtonState::cxbsPressed;
  if (FOwner->HotTrackButtonViewInfo() == this) return TcxButtonState::cxbsHot;
  return TcxButtonState::cxbsNormal;
}

void TcxNavigatorButtonViewInfo::UpdateState() {
  const TcxButtonState state = CalculateState();
  if (state == FState) return;
  // Fades belong to the native and skin styles only, which have no fader
  // here yet; every other style switches at once.
  FState = state;
  FOwner->InvalidateButton(this);
}

void TcxNavigatorButtonViewInfo::CorrectButtonBounds(TRect& ABounds) {
  if (!FOwner->CanButtonOverlapBorder() || FState == TcxButtonState::cxbsNormal) return;
  if (FOwner->ButtonCount() > 0 && FOwner->Buttons(0) == this) --ABounds.left;
  if (FOwner->ButtonCount() > 0 && FOwner->Buttons(FOwner->ButtonCount() - 1) == this) ++ABounds.right;
  --ABounds.top;
  ++ABounds.bottom;
}

void TcxNavigatorButtonViewInfo::DrawContent(core::TcxCanvas* ACanvas, const TRect& ABounds) {
  FOwner->Painter()->DrawNavigatorButton(ACanvas, ABounds, FState, ui::clWindow);
}

void TcxNavigatorButtonViewInfo::DrawGlyph(core::TcxCanvas* ACanvas, const TRect& AGlyphRect) {
  FOwner->Painter()->DrawNavigatorButtonGlyph(ACanvas, Button->GetInternalImages(), Button->GetInternalImageIndex(),
                                              AGlyphRect, FState != TcxButtonState::cxbsDisabled,
                                              Button->IsUserImageListUsed());
}

// Drawn off-screen first, so that the background and the button never
// flicker on the host.
void TcxNavigatorButtonViewInfo::Draw(core::TcxCanvas* ACanvas) {
  TRect bounds = Bounds;
  CorrectButtonBounds(bounds);
  if (core::cxRectWidth(bounds) <= 0 || core::cxRectHeight(bounds) <= 0) return;
  lookandfeel::TcxCustomLookAndFeelPainter* painter = FOwner->Painter();
  ui::TBitmap bitmap;
  bitmap.SetPixelFormat(ui::pf32bit);
  bitmap.SetSize(core::cxRectWidth(bounds), core::cxRectHeight(bounds));
  core::TcxCanvas canvas(bitmap.Canvas());
  const TRect local{0, 0, core::cxRectWidth(bounds), core::cxRectHeight(bounds)};
  canvas.FillRect(local, ui::clBtnFace);
  DrawContent(&canvas, local);
  if (Button->HasImage()) {
    const TRect content = core::cxRectContent(local, painter->NavigatorButtonGlyphPadding());
    TRect glyph = lookandfeel::cxCentreRect(content, Button->GetImageSize());
    if (FState == TcxButtonState::cxbsPressed) {
      const TPoint offset = painter->NavigatorButtonPressedGlyphOffset();
      glyph = core::cxRectOffset(glyph, offset.x, offset.y);
    }
    DrawGlyph(&canvas, glyph);
  }
  ACanvas->Draw(bounds.left, bounds.top, &bitmap);
  IcxNavigatorOwner* owner = FOwner->NavigatorOwner();
  if (FOwner->GetFocusedButton() == Button && owner->GetNavigatorTabStop() && owner->GetNavigatorFocused())
    ACanvas->DrawFocusRect(core::cxRectInflate(Bounds, -2));
}

// --- the info panel's picture ------------------------------------------------------------------
void TcxCustomNavigatorInfoPanelViewInfo::Paint(core::TcxCanvas* ACanvas) {
  TcxCustomNavigatorInfoPanel* panel = FNavigatorViewInfo->NavigatorOwner() != nullptr
                                           ? dynamic_cast<IcxNavigatorOwner2*>(FNavigatorViewInfo->NavigatorOwner())
                                                 ->GetNavigatorInfoPanel()
                                           : nullptr;
  if (panel == nullptr || core::cxRectIsEmpty(FBounds)) return;
  const core::TcxViewParams params = panel->GetViewParams();
  ACanvas->FillRect(FBounds, params);
  if (params.Font != nullptr) ACanvas->SetFont(params.Font);
  ACanvas->Font()->SetColor(params.TextColor);
  ACanvas->Brush()->SetStyle(ui::bsClear);
  ACanvas->DrawText(FText, FBounds, core::cxAlignCenter | core::cxSingleLine);
}

// --- hints -------------------------------------------------------------------------------------
void TcxNavigatorHintHelper::ShowHint(const String& AText, const TRect& ABounds) {
  FText = AText;
  FBounds = AText.empty() ? TRect{} : ABounds;
}

// --- the navigator's picture -------------------------------------------------------------------
TcxNavigatorViewInfo::TcxNavigatorViewInfo(IcxNavigatorOwner* ANavigatorOwner, bool AIsInplace)
    : FTimerOwner(std::make_unique<rtl::TComponent>(nullptr)),
      FCanvas(std::make_unique<core::TcxCanvas>(nullptr)),
      FHintHelper(std::make_unique<TcxNavigatorHintHelper>(this)),
      FInfoPanelViewInfo(std::make_unique<TcxCustomNavigatorInfoPanelViewInfo>(this)),
      FIsInplace(AIsInplace),
      FNavigatorOwner(ANavigatorOwner),
      FNavigatorOwner2(dynamic_cast<IcxNavigatorOwner2*>(ANavigatorOwner)) {
  FButtonPressTimer = rtl::Create<core::TcxTimer>(FTimerOwner.get());
  FButtonPressTimer->SetEnabled(false);
  FButtonPressTimer->SetInterval(1000);
  FButtonPressTimer->SetOnTimer(rtl::TNotifyEvent::bind<&TcxNavigatorViewInfo::DoButtonPressTimer>(this));
}

TcxNavigatorViewInfo::~TcxNavigatorViewInfo() {
  // A caller in the middle of Update learns through its link that we went.
  core::cxClearObjectLinks(this);
  FInfoPanelViewInfo.reset();
  FCanvas.reset();
  FHintHelper.reset();
  FTimerOwner.reset();
  FButtons.clear();
}

lookandfeel::TcxCustomLookAndFeelPainter* TcxNavigatorViewInfo::Painter() {
  lookandfeel::TcxLookAndFeel* lookAndFeel = FNavigatorOwner->GetNavigatorLookAndFeel();
  return lookAndFeel->Painter();
}

TcxCustomNavigatorInfoPanel* TcxNavigatorViewInfo::InfoPanel() const {
  return FNavigatorOwner2 != nullptr ? FNavigatorOwner2->GetNavigatorInfoPanel() : nullptr;
}

ui::TFont* TcxNavigatorViewInfo::InfoPanelFont() {
  TcxCustomNavigatorInfoPanel* panel = InfoPanel();
  return panel != nullptr ? panel->GetViewParams().Font : nullptr;
}

TSize TcxNavigatorViewInfo::GetMinButtonSize(int AButtonIndex) {
  lookandfeel::TcxCustomLookAndFeelPainter* painter = Painter();
  const TSize image = FNavigatorOwner->GetNavigatorButtons()->Buttons(AButtonIndex)->GetImageSize();
  const TRect padding = painter->NavigatorButtonGlyphPadding();
  const TSize minimum = painter->NavigatorButtonMinSize();
  return TSize{std::max(image.cx + padding.left + padding.right, minimum.cx),
               std::max(image.cy + padding.top + padding.bottom, minimum.cy)};
}

void TcxNavigatorViewInfo::ValidateButtonsViewInfos() {
  FHotTrackButtonViewInfo = FPressedButtonViewInfo = nullptr;
  FButtons.clear();
  FButtonsWidth = FButtonsHeight = 0;
  TcxCustomNavigatorButtons* buttons = FNavigatorOwner->GetNavigatorButtons();
  for (int i = 0; i < buttons->ButtonCount(); ++i) {
    TcxNavigatorButton* button = buttons->Buttons(i);
    if (!button->Visible()) continue;
    auto info = std::make_unique<TcxNavigatorButtonViewInfo>(this, button);
    info->SetSize(GetMinButtonSize(i));
    FButtonsWidth += info->Width();
    FButtonsHeight = std::max(FButtonsHeight, info->Height());
    FButtons.push_back(std::move(info));
  }
}

String TcxNavigatorViewInfo::GetInfoPanelText() {
  TcxCustomNavigatorInfoPanel* panel = InfoPanel();
  if (panel == nullptr || !panel->Visible() || panel->GetIRecordPosition() == nullptr) return String();
  return panel->GetFormattedText();
}

// Without a fixed width the panel measures its text with every digit made a
// zero and room for two more, so it keeps its width while numbers change.
TSize TcxNavigatorViewInfo::GetInfoPanelSize(const String& AText) {
  TcxCustomNavigatorInfoPanel* panel = InfoPanel();
  if (AText.empty() || panel == nullptr) return TSize{0, 0};
  ui::TBitmap measure;
  measure.SetSize(1, 1);
  core::TcxCanvas canvas(measure.Canvas());
  if (ui::TFont* font = InfoPanelFont()) canvas.SetFont(font);
  if (panel->Width() > 0) return TSize{panel->Width(), canvas.TextHeight(AText)};
  const String sample = digitsAsZeros(AText);
  return TSize{canvas.TextWidth(sample), canvas.TextHeight(sample)};
}

int TcxNavigatorViewInfo::CalculateSize(int AAvailableWidth, int& AHeight, int& AInfoWidth, int& AExtra,
                                        const String& AText) {
  const TSize panel = GetInfoPanelSize(AText);
  AInfoWidth = panel.cx;
  AHeight = std::max({AHeight, panel.cy, FButtonsHeight});
  int width = AInfoWidth + FButtonsWidth;
  AExtra = 0;
  const int count = ButtonCount();
  if (count > 0 && AAvailableWidth >= width) {
    AExtra = (AAvailableWidth - width) / count;
    width += count * AExtra;
  }
  return width;
}

void TcxNavigatorViewInfo::CalculateBounds(const String& AText, int AInfoWidth, int AExtra, int AHeight) {
  const TRect bounds = GetNavigatorBoundsForLayout();
  FInfoPanelViewInfo->Calculate(TRect{}, AText);
  if (FButtons.empty()) {
    if (!AText.empty()) FInfoPanelViewInfo->Calculate(bounds, AText);
    return;
  }
  int x = bounds.left;
  bool panelPlaced = false;
  for (auto& info : FButtons) {
    // The panel goes after First, PriorPage and Prior.
    if (!panelPlaced && info->Button->DefaultIndex() > NBDI_PRIOR) {
      panelPlaced = true;
      if (!AText.empty()) {
        FInfoPanelViewInfo->Calculate(TRect{x, bounds.top, x + AInfoWidth, bounds.top + AHeight}, AText);
        x += AInfoWidth;
      }
    }
    info->Bounds = TRect{x, bounds.top, x + info->Width() + AExtra, bounds.top + AHeight};
    x = info->Bounds.right;
  }
}

void TcxNavigatorViewInfo::CalculateButtons() {
  for (auto& info : FButtons) {
    if (info->Button == hotButton_) FHotTrackButtonViewInfo = info.get();
    if (info->Button == pressedButton_) FPressedButtonViewInfo = info.get();
  }
  for (auto& info : FButtons) info->Calculate();
}

void TcxNavigatorViewInfo::Calculate() {
  const TRect bounds = GetNavigatorBoundsForLayout();
  ValidateButtonsViewInfos();
  const String text = GetInfoPanelText();
  int height = 0, infoWidth = 0, extra = 0;
  CalculateSize(core::cxRectWidth(bounds), height, infoWidth, extra, text);
  CalculateBounds(text, infoWidth, extra, height);
  CalculateButtons();
  FIsDirty = false;
}

void TcxNavigatorViewInfo::CheckCalculate() {
  if (FIsDirty) Calculate();
}

TSize TcxNavigatorViewInfo::CalculateMinSize() {
  ValidateButtonsViewInfos();
  int height = 0, infoWidth = 0, extra = 0;
  const int width = CalculateSize(0, height, infoWidth, extra, GetInfoPanelText());
  // The view infos were rebuilt without bounds: lay them out again before use.
  FIsDirty = true;
  return TSize{width, height};
}

void TcxNavigatorViewInfo::Paint() {
  CheckCalculate();
  FCanvas->SetCanvas(FNavigatorOwner->GetNavigatorCanvas());
  for (auto& info : FButtons) {
    if (!FCanvas->RectVisible(info->Bounds)) continue;
    info->Draw(FCanvas.get());
    FCanvas->ExcludeClipRect(info->Bounds);
  }
  if (!FInfoPanelViewInfo->Text().empty()) FInfoPanelViewInfo->Paint(FCanvas.get());
  if (FIsInplace) FCanvas->ExcludeClipRect(GetNavigatorBoundsForLayout());
}

void TcxNavigatorViewInfo::Update() {
  core::TcxObjectLink* link = core::cxAddObjectLink(this);
  rtl::ScopeExit release([link] { core::cxRemoveObjectLink(link); });
  UpdateInfoPanel();
  if (link->Ref == nullptr) return;
  for (auto& info : FButtons) info->Calculate();
}

void TcxNavigatorViewInfo::UpdateInfoPanel() {
  ui::TWinControl* control = FNavigatorOwner->GetNavigatorControl();
  if (control == nullptr || InfoPanelFont() == nullptr) return;
  const String text = GetInfoPanelText();
  const String old = FInfoPanelViewInfo->Text();
  if (text != old) {
    const TSize newSize = GetInfoPanelSize(text), oldSize = GetInfoPanelSize(old);
    if (newSize.cx != oldSize.cx || newSize.cy != oldSize.cy) {
      FNavigatorOwner->RefreshNavigator();
      return;
    }
    FInfoPanelViewInfo->SetText(text);
  }
  InvalidateRect(FInfoPanelViewInfo->Bounds());
}

void TcxNavigatorViewInfo::InvalidateRect(const TRect& R) {
  ui::TWinControl* control = FNavigatorOwner->GetNavigatorControl();
  if (control == nullptr || !control->HandleAllocated() || core::cxRectIsEmpty(R)) return;
  const win::RECT rect{R.left, R.top, R.right, R.bottom};
  win::InvalidateRect(control->Handle(), &rect, false);
}

void TcxNavigatorViewInfo::InvalidateButton(TcxNavigatorButtonViewInfo* AButton) {
  if (AButton != nullptr) InvalidateRect(AButton->Bounds);
}

TcxNavigatorButtonViewInfo* TcxNavigatorViewInfo::GetButtonViewInfoAt(const TPoint& APoint) const {
  for (const auto& info : FButtons)
    if (core::cxRectPtIn(info->Bounds, APoint)) return info.get();
  return nullptr;
}

TcxNavigatorButtonViewInfo* TcxNavigatorViewInfo::GetButtonViewInfoByButton(TcxNavigatorButton* AButton) const {
  for (const auto& info : FButtons)
    if (info->Button == AButton) return info.get();
  return nullptr;
}

TcxNavigatorButton* TcxNavigatorViewInfo::GetFocusedButton() {
  TcxCustomNavigatorButtons* buttons = FNavigatorOwner->GetNavigatorButtons();
  bool present = false;
  for (int i = 0; i < buttons->ButtonCount(); ++i)
    if (buttons->Buttons(i) == FFocusedButton) present = FFocusedButton->Visible();
  if (!present) FFocusedButton = nullptr;
  if (FFocusedButton == nullptr)
    for (int i = 0; i < buttons->ButtonCount() && FFocusedButton == nullptr; ++i)
      if (buttons->Buttons(i)->Visible()) FFocusedButton = buttons->Buttons(i);
  return FFocusedButton;
}

void TcxNavigatorViewInfo::SetFocusedButton(TcxNavigatorButton* AButton) {
  TcxNavigatorButton* old = GetFocusedButton();
  FFocusedButton = AButton;
  if (old == AButton) return;
  InvalidateButton(GetButtonViewInfoByButton(old));
  InvalidateButton(GetButtonViewInfoByButton(AButton));
}

// --- the mouse ---------------------------------------------------------------------------------
void TcxNavigatorViewInfo::MouseDown(int X, int Y) {
  FHintHelper->CancelHint();
  if (!FInfoPanelViewInfo->Text().empty() && core::cxRectPtIn(FInfoPanelViewInfo->Bounds(), X, Y)) {
    FInfoPanelPressed = true;
  } else if (TcxNavigatorButtonViewInfo* info = GetButtonViewInfoAt(TPoint{X, Y}); info != nullptr && info->Enabled) {
    FButtonPressTimer->SetInterval(kRepeatDelay);
    FButtonPressTimer->SetEnabled(true);
    FPressedButtonViewInfo = info;
    pressedButton_ = info->Button;
    SetFocusedButton(info->Button);
    info->UpdateState();
  }
  UpdateSelected();
}

bool TcxNavigatorViewInfo::IsLeftMouseButtonDown() {
  return (win::GetAsyncKeyState(win::VK_LBUTTON) & 0x8000) != 0;
}

void TcxNavigatorViewInfo::DoButtonPressTimer(rtl::TObject*) {
  if (!IsLeftMouseButtonDown()) {
    FButtonPressTimer->SetEnabled(false);
    MouseUp(ui::mbLeft, -1, -1);
    return;
  }
  FButtonPressTimer->SetInterval(kRepeatInterval);
  TcxNavigatorButtonViewInfo* pressed = FPressedButtonViewInfo;
  if (pressed == nullptr || pressed != FHotTrackButtonViewInfo || !pressed->Enabled) return;
  const int index = pressed->Button->DefaultIndex();
  if (index != NBDI_PRIOR && index != NBDI_NEXT) return;
  rtl::ScopeExit stop([this] { FButtonPressTimer->SetEnabled(false); });
  pressed->Button->DoClick();
  stop.Release();
}

void TcxNavigatorViewInfo::MouseUp(ui::TMouseButton AButton, int X, int Y) {
  FButtonPressTimer->SetEnabled(false);
  if (FInfoPanelPressed) {
    FInfoPanelPressed = false;
    if (core::cxRectPtIn(FInfoPanelViewInfo->Bounds(), X, Y))
      if (TcxCustomNavigatorInfoPanel* panel = InfoPanel()) panel->DoClick(AButton);
  }
  TcxNavigatorButtonViewInfo* pressed = FPressedButtonViewInfo;
  FPressedButtonViewInfo = nullptr;
  pressedButton_ = nullptr;
  if (pressed == nullptr) {
    UpdateSelected();
    return;
  }
  pressed->UpdateState();
  UpdateSelected();
  // The click may rebuild the view infos: take what it needs first.
  TcxNavigatorButton* button = pressed->Button;
  if (core::cxRectPtIn(pressed->Bounds, X, Y) && pressed->Enabled) button->DoClick();
}

void TcxNavigatorViewInfo::MouseMove(int X, int Y) {
  lastMouse_ = TPoint{X, Y};
  TcxNavigatorButtonViewInfo* hot = GetButtonViewInfoAt(lastMouse_);
  if (hot != FHotTrackButtonViewInfo) {
    TcxNavigatorButtonViewInfo* old = FHotTrackButtonViewInfo;
    FHotTrackButtonViewInfo = hot;
    hotButton_ = hot != nullptr ? hot->Button : nullptr;
    if (old != nullptr) old->UpdateState();
    if (hot != nullptr) hot->UpdateState();
  }
  CheckHint();
  UpdateSelected();
}

void TcxNavigatorViewInfo::MouseLeave() {
  MouseMove(-1, -1);
  FHintHelper->CancelHint();
}

void TcxNavigatorViewInfo::CheckHint() {
  String text;
  TRect bounds{};
  if (FHotTrackButtonViewInfo != nullptr) {
    text = core::GetShortHint(FHotTrackButtonViewInfo->Hint);
    bounds = FHotTrackButtonViewInfo->Bounds;
  }
  if (FNavigatorOwner->GetNavigatorShowHint() && !text.empty())
    FHintHelper->ShowHint(text, bounds);
  else
    FHintHelper->CancelHint();
}

void TcxNavigatorViewInfo::UpdateSelected() {
  if (!Painter()->IsButtonHotTrack()) return;
  bool selected = FHotTrackButtonViewInfo != nullptr || FPressedButtonViewInfo != nullptr ||
                  FNavigatorOwner->GetNavigatorFocused();
  if (!selected && !FIsInplace && !FInfoPanelViewInfo->Text().empty())
    selected = core::cxRectPtIn(FInfoPanelViewInfo->Bounds(), lastMouse_);
  if (selected == FIsSelected) return;
  FIsSelected = selected;
  InvalidateRect(core::cxRectInflate(GetNavigatorBoundsForLayout(), 1));
}

// --- in place ----------------------------------------------------------------------------------
lookandfeel::TcxCustomLookAndFeelPainter* TcxInplaceNavigatorViewInfo::GetLookAndFeelPainter() {
  return FNavigatorOwner->GetNavigatorLookAndFeel()->Painter();
}

TSize TcxInplaceNavigatorViewInfo::GetMinButtonSize(int AButtonIndex) {
  TSize size = TcxNavigatorViewInfo::GetMinButtonSize(AButtonIndex);
  lookandfeel::dxAdjustToTouchableSize(size);
  return size;
}

void TcxInplaceNavigatorViewInfo::Calculate() {
  ValidateButtonsViewInfos();
  const String text = GetInfoPanelText();
  int height = 0, infoWidth = 0, extra = 0;
  const int width = CalculateSize(0, height, infoWidth, extra, text);
  FNavigatorSize = TSize{width, height};
  UpdateNavigatorSiteBounds(GetNavigatorSiteBounds());
  CalculateBounds(text, infoWidth, extra, height);
  CalculateButtons();
  FIsDirty = false;
}

TRect TcxInplaceNavigatorViewInfo::GetNavigatorSiteBounds() {
  lookandfeel::TcxControl* control = GetControl();
  if (control->HScrollBarVisible()) {
    const TRect bar = control->HScrollBar()->GetBoundsRect();
    return TRect{bar.left, bar.top, bar.left + GetWidth(), bar.bottom};
  }
  const TRect client = control->ClientBounds();
  int right = client.right;
  if (control->VScrollBarVisible()) right += control->VScrollBar()->GetWidth();
  return TRect{client.left, client.bottom, right, client.bottom + GetHeight()};
}

TRect TcxInplaceNavigatorViewInfo::GetNavigatorBounds() {
  TRect site = GetNavigatorSiteBounds();
  site.right = site.left + FNavigatorSize.cx;
  return site;
}

int TcxInplaceNavigatorViewInfo::GetWidth() { return GetNavigatorOffset() + FNavigatorSize.cx; }

int TcxInplaceNavigatorViewInfo::GetHeight() {
  if (IsDirty()) ValidateButtonsViewInfos();
  int height = std::max({FNavigatorSize.cy, GetLookAndFeelPainter()->NavigatorButtonMinSize().cy,
                         win::GetSystemMetrics(win::SM_CYHSCROLL), FButtonsHeight});
  TcxCustomNavigatorInfoPanel* panel = InfoPanel();
  if (panel != nullptr && panel->Visible()) height = std::max(height, GetInfoPanelSize(u"0").cy);
  return height;
}

bool TcxInplaceNavigatorViewInfo::IsNavigatorSizeChanged() {
  ValidateButtonsViewInfos();
  int height = 0, infoWidth = 0, extra = 0;
  const int width = CalculateSize(0, height, infoWidth, extra, GetInfoPanelText());
  FIsDirty = true;
  return width != FNavigatorSize.cx || height != FNavigatorSize.cy;
}

}  // namespace data

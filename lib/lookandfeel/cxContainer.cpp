// Container styles, the style controller and the container control.
#include "lib/lookandfeel/cxContainer.h"

#include <algorithm>

#include "lib/core/cxGeometry.h"
#include "lib/core/dxOffice11.h"
#include "lib/core/dxThemeManager.h"
#include "lib/core/dxUxTheme.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_native.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/theme/theme.h"
#include "platform/gdi/region.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/win.h"

namespace lookandfeel {

using ContainerValue = TcxContainerStyleValue;
using TcxContainerStateItem::csActive;
using TcxContainerStateItem::csDisabled;
using TcxContainerStateItem::csHotTrack;
using TcxContainerStateItem::csNormal;

TcxStyleController* cxContainerDefaultStyleController = nullptr;
TcxStyleController* DefaultContainerStyleController() { return cxContainerDefaultStyleController; }

namespace {

const char16_t* const containerStyleValueNames[cxContainerStyleValueCount] = {
    u"BorderColor", u"BorderStyle", u"Color",     u"Edges",     u"Font",
    u"HotTrack",    u"Shadow",      u"TextColor", u"TextStyle", u"TransparentBorder"};

bool containerIsNormalOnlyValue(ContainerValue AValue) {
  return AValue == ContainerValue::csvEdges || AValue == ContainerValue::csvFont || AValue == ContainerValue::csvHotTrack || AValue == ContainerValue::csvShadow ||
         AValue == ContainerValue::csvTransparentBorder;
}

// The border style a state style shows for the normal style's border style.
TcxContainerBorderStyle containerStateBorderStyle(TcxContainerBorderStyle B, TcxContainerStateItem AState) {
  using B_ = TcxContainerBorderStyle;
  if (AState == csNormal || AState == csDisabled) return B;
  switch (B) {
    case B_::cbsNone: return B_::cbsFlat;
    case B_::cbsSingle: return B_::cbsThick;
    case B_::cbsFlat: return B_::cbs3D;
    default: return B;
  }
}

TcxContainerBorderStyle containerBorderStyleOfKind(TcxLookAndFeelKind AKind) {
  switch (AKind) {
    case TcxLookAndFeelKind::lfFlat: return TcxContainerBorderStyle::cbsFlat;
    case TcxLookAndFeelKind::lfStandard: return TcxContainerBorderStyle::cbs3D;
    case TcxLookAndFeelKind::lfUltraFlat: return TcxContainerBorderStyle::cbsUltraFlat;
    case TcxLookAndFeelKind::lfOffice11: return TcxContainerBorderStyle::cbsOffice11;
  }
  return TcxContainerBorderStyle::cbs3D;
}

bool containerIsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

}  // namespace

// ---- TcxContainerStyle ---------------------------------------------------------------------------

TcxContainerStyle::TcxContainerStyle(rtl::TPersistent* AOwner, bool ADirectAccessMode,
                                     TcxContainerStyle* AParentStyle, TcxContainerStateItem AState)
    : core::TcxInterfacedPersistent(AOwner), FDirectAccessMode(ADirectAccessMode), FState(AState) {
  if (AState != csNormal) FParentStyle = AParentStyle;
  if (FDirectAccessMode) FAssignedValues = {ContainerValue::csvColor, ContainerValue::csvFont, ContainerValue::csvTextColor, ContainerValue::csvTextStyle};
  if (IsBaseStyle() && !FDirectAccessMode) {
    FOwnFont = std::make_unique<ui::TFont>();
    FOwnFont->SetOnChange(rtl::TNotifyEvent::bind<&TcxContainerStyle::FontChanged>(this));
    StyleData.Font = FOwnFont.get();
  }
  FVisibleFont = std::make_unique<ui::TFont>();
  if (IsBaseStyle()) {
    FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
    FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent::bind<&TcxContainerStyle::LookAndFeelChanged>(this));
    SetStyleController(GetDefaultStyleController());
  }
}

TcxContainerStyle::~TcxContainerStyle() {
  FIsDestroying = true;
  if (IsBaseStyle() && FStyleController) FStyleController->RemoveListener(this);
  FLookAndFeel.reset();
  FVisibleFont.reset();
  FOwnFont.reset();
}

TcxContainer* TcxContainerStyle::Container() const { return dynamic_cast<TcxContainer*>(Owner()); }

void TcxContainerStyle::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount == 0 && FModified) Changed();
}

void TcxContainerStyle::Changed() {
  FModified = true;
  if (FUpdateCount != 0) return;
  FModified = false;
  if (!FIsDestroying && !FDirectAccessMode && FOnChanged) FOnChanged(this);
}

void TcxContainerStyle::AddAssigned(ContainerValue AValue) { FAssignedValues += AValue; }

TcxContainerStyle* TcxContainerStyle::FindAssigning(ContainerValue AValue) {
  TcxContainerStyle* style = containerIsNormalOnlyValue(AValue) ? GetBaseStyle() : this;
  const TcxContainerStateItem state = style->FState;
  // A chain is cycle-free (links into a cycle are refused); the bound only
  // guards against a controller edited by hand into one.
  for (int depth = 0; style && depth < 64; ++depth) {
    if (style->FAssignedValues.contains(AValue)) return style;
    TcxStyleController* controller = style->GetBaseStyle()->FStyleController;
    if (!controller || controller->IsDestruction()) return nullptr;
    style = controller->Styles()->Style(state);
  }
  return nullptr;
}

bool TcxContainerStyle::IsValueAssigned(ContainerValue AValue) {
  if (FDirectAccessMode) return true;
  return FindAssigning(AValue) != nullptr;
}

TcxContainerStyleValues TcxContainerStyle::AssignedValues() const {
  if (FDirectAccessMode) {
    TcxContainerStyleValues all;
    for (int i = 0; i < cxContainerStyleValueCount; ++i) all += ContainerValue(i);
    return all;
  }
  return FAssignedValues;
}

void TcxContainerStyle::SetAssignedValues(TcxContainerStyleValues Value) {
  if (FAssignedValues == Value) return;
  FAssignedValues = Value;
  if (IsBaseStyle()) UpdateFont();
  Changed();
}

// ---- getters

TColor TcxContainerStyle::GetBorderColor() {
  if (FDirectAccessMode) return ui::clDefault;
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvBorderColor);
  return s ? s->FBorderColor : DefaultBorderColor();
}

TcxContainerBorderStyle TcxContainerStyle::GetBorderStyle() {
  if (FDirectAccessMode)
    return FAssignedValues.contains(ContainerValue::csvBorderStyle) ? FBorderStyle : DefaultBorderStyle();
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvBorderStyle);
  return s ? s->FBorderStyle : DefaultBorderStyle();
}

bool TcxContainerStyle::IsParentColorUsed() {
  TcxContainer* container = Container();
  return IsBaseStyle() && container && container->ParentColor() && container->Parent();
}

TColor TcxContainerStyle::GetColor() {
  if (FDirectAccessMode) return StyleData.Color;
  if (IsParentColorUsed()) return Container()->Parent()->Color();
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvColor);
  return s ? s->FColor : DefaultColor();
}

TColor TcxContainerStyle::GetStyleColor() {
  if (FDirectAccessMode) return StyleData.Color;
  if (TcxContainerStyle* s = FindAssigning(ContainerValue::csvColor)) return s->FColor;
  if (IsParentColorUsed() && !Container()->IsInplace()) return Container()->Parent()->Color();
  return DefaultColor();
}

core::TcxBorders TcxContainerStyle::GetEdges() {
  if (FDirectAccessMode) return {};
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvEdges);
  return s ? s->FEdges : GetBaseStyle()->DefaultEdges();
}

ui::TFont* TcxContainerStyle::GetFont() {
  if (FDirectAccessMode) return StyleData.Font;
  return GetBaseStyle()->FOwnFont.get();
}

bool TcxContainerStyle::GetHotTrack() {
  if (FDirectAccessMode) return FAssignedValues.contains(ContainerValue::csvHotTrack) ? FHotTrack : DefaultHotTrack();
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvHotTrack);
  return s ? s->FHotTrack : GetBaseStyle()->DefaultHotTrack();
}

bool TcxContainerStyle::GetShadow() {
  if (FDirectAccessMode) return false;
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvShadow);
  return s ? s->FShadow : GetBaseStyle()->DefaultShadow();
}

TColor TcxContainerStyle::GetTextColor() {
  if (FDirectAccessMode) return StyleData.FontColor;
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvTextColor);
  return s ? s->FTextColor : DefaultTextColor();
}

ui::TFontStyles TcxContainerStyle::GetTextStyle() {
  if (FDirectAccessMode) return StyleData.Font ? StyleData.Font->Style() : ui::TFontStyles{};
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvTextStyle);
  return s ? s->FTextStyle : DefaultTextStyle();
}

bool TcxContainerStyle::GetTransparentBorder() {
  if (FDirectAccessMode) return true;
  TcxContainerStyle* s = FindAssigning(ContainerValue::csvTransparentBorder);
  return s ? s->FTransparentBorder : GetBaseStyle()->DefaultTransparentBorder();
}

ui::TFont* TcxContainerStyle::GetVisibleFont() {
  if (ui::TFont* font = GetFont()) FVisibleFont->Assign(font);
  FVisibleFont->SetColor(GetTextColor());
  FVisibleFont->SetStyle(GetTextStyle());
  return FVisibleFont.get();
}

// ---- defaults

TColor TcxContainerStyle::DefaultBorderColor() {
  switch (FState) {
    case csDisabled: return ui::clBtnShadow;
    case csNormal: return ui::clWindowFrame;
    default: return GetBaseStyle()->GetBorderColor();
  }
}

TcxContainerBorderStyle TcxContainerStyle::DefaultBorderStyle() {
  if (IsBaseStyle()) return containerBorderStyleOfKind(LookAndFeel()->Kind());
  TcxContainerStyle* base = GetBaseStyle();
  const TcxContainerStateItem state = (base->GetHotTrack() || FState == csDisabled) ? FState : csNormal;
  return containerStateBorderStyle(base->GetBorderStyle(), state);
}

TColor TcxContainerStyle::DefaultColor() {
  TcxContainer* container = GetBaseStyle()->Container();
  const bool parentColor = !container || container->DefaultParentColor();
  if (IsBaseStyle()) return parentColor ? ui::clBtnFace : ui::clWindow;
  if (FState == csDisabled && !parentColor) return ui::clBtnFace;
  return GetBaseStyle()->GetColor();
}

TColor TcxContainerStyle::DefaultTextColor() {
  switch (FState) {
    case csDisabled: return DefaultDisabledTextColor();
    case csNormal: return GetFont() ? GetFont()->Color() : ui::clWindowText;
    default: return GetBaseStyle()->GetTextColor();
  }
}

ui::TFontStyles TcxContainerStyle::DefaultTextStyle() {
  if (IsBaseStyle()) return GetFont() ? GetFont()->Style() : ui::TFontStyles{};
  return GetBaseStyle()->GetTextStyle();
}

// ---- setters

void TcxContainerStyle::SetBorderColor(TColor Value) {
  if (FAssignedValues.contains(ContainerValue::csvBorderColor) && FBorderColor == Value) return;
  FBorderColor = Value;
  AddAssigned(ContainerValue::csvBorderColor);
  Changed();
}

void TcxContainerStyle::SetBorderStyle(TcxContainerBorderStyle Value) {
  if (FAssignedValues.contains(ContainerValue::csvBorderStyle) && FBorderStyle == Value) return;
  FBorderStyle = Value;
  AddAssigned(ContainerValue::csvBorderStyle);
  Changed();
}

void TcxContainerStyle::SetColor(TColor Value) {
  if (FAssignedValues.contains(ContainerValue::csvColor) && FColor == Value) return;
  FColor = Value;
  if (FDirectAccessMode) StyleData.Color = Value;
  AddAssigned(ContainerValue::csvColor);
  Changed();
}

void TcxContainerStyle::SetEdges(core::TcxBorders Value) {
  if (!IsBaseStyle()) return GetBaseStyle()->SetEdges(Value);
  if (FAssignedValues.contains(ContainerValue::csvEdges) && FEdges == Value) return;
  FEdges = Value;
  AddAssigned(ContainerValue::csvEdges);
  Changed();
}

void TcxContainerStyle::SetFont(ui::TFont* Value) {
  if (!IsBaseStyle()) return GetBaseStyle()->SetFont(Value);
  if (FDirectAccessMode) {
    StyleData.Font = Value;
    AddAssigned(ContainerValue::csvFont);
    Changed();
    return;
  }
  FOwnFont->Assign(Value);  // FontChanged marks it assigned
}

void TcxContainerStyle::SetHotTrack(bool Value) {
  if (!IsBaseStyle()) return GetBaseStyle()->SetHotTrack(Value);
  if (FAssignedValues.contains(ContainerValue::csvHotTrack) && FHotTrack == Value) return;
  FHotTrack = Value;
  AddAssigned(ContainerValue::csvHotTrack);
  Changed();
}

void TcxContainerStyle::SetShadow(bool Value) {
  if (!IsBaseStyle()) return GetBaseStyle()->SetShadow(Value);
  if (FAssignedValues.contains(ContainerValue::csvShadow) && FShadow == Value) return;
  FShadow = Value;
  AddAssigned(ContainerValue::csvShadow);
  Changed();
}

void TcxContainerStyle::SetTextColor(TColor Value) {
  if (FAssignedValues.contains(ContainerValue::csvTextColor) && GetTextColor() == Value) return;
  FTextColor = Value;
  if (FDirectAccessMode) StyleData.FontColor = Value;
  AddAssigned(ContainerValue::csvTextColor);
  Changed();
}

void TcxContainerStyle::SetTextStyle(ui::TFontStyles Value) {
  if (FAssignedValues.contains(ContainerValue::csvTextStyle) && GetTextStyle() == Value) return;
  FTextStyle = Value;
  AddAssigned(ContainerValue::csvTextStyle);
  Changed();
}

void TcxContainerStyle::SetTransparentBorder(bool Value) {
  if (!IsBaseStyle()) return GetBaseStyle()->SetTransparentBorder(Value);
  if (FAssignedValues.contains(ContainerValue::csvTransparentBorder) && FTransparentBorder == Value) return;
  FTransparentBorder = Value;
  AddAssigned(ContainerValue::csvTransparentBorder);
  Changed();
}

void TcxContainerStyle::FontChanged(rtl::TObject*) {
  if (FFontAssignedValueLockCount == 0) AddAssigned(ContainerValue::csvFont);
  Changed();
}

void TcxContainerStyle::UpdateFont() {
  if (FDirectAccessMode || !IsBaseStyle() || FAssignedValues.contains(ContainerValue::csvFont)) return;
  ++FFontAssignedValueLockCount;
  rtl::ScopeExit unlock([&] { --FFontAssignedValueLockCount; });
  TcxContainerStyle* source = FindAssigning(ContainerValue::csvFont);
  if (source && source != this) {
    FOwnFont->Assign(source->GetFont());
  } else {
    TcxContainer* container = Container();
    if (!container || !container->ParentFont()) {
      ui::TFont defaults;
      FOwnFont->Assign(&defaults);
    }
  }
}

// ---- the rest of the interface

void TcxContainerStyle::RestoreDefaults() {
  BeginUpdate();
  {
    rtl::ScopeExit done([&] { EndUpdate(); });
    FAssignedValues = {};
    if (IsBaseStyle()) {
      LookAndFeel()->Reset();
      if (TcxContainer* container = Container()) {
        container->SetParentColor(false);
        container->SetParentFont(true);
      } else if (!FDirectAccessMode) {
        ui::TFont defaults;
        ++FFontAssignedValueLockCount;
        FOwnFont->Assign(&defaults);
        --FFontAssignedValueLockCount;
      }
      TcxContainer* container = Container();
      TcxStyleController* active = ActiveStyleController();
      if (container && container->DefaultParentColor() &&
          !(active && active->Style()->IsValueAssigned(ContainerValue::csvColor)))
        container->SetParentColor(true);
    }
    Changed();
  }
}

void TcxContainerStyle::Assign(rtl::TPersistent* Source) {
  auto* source = dynamic_cast<TcxContainerStyle*>(Source);
  if (!source) return core::TcxInterfacedPersistent::Assign(Source);
  BeginUpdate();
  rtl::ScopeExit done([&] { EndUpdate(); });
  if (IsBaseStyle()) {
    SetStyleController(source->StyleController());
    if (source->IsBaseStyle()) LookAndFeel()->Assign(source->LookAndFeel());
  }
  FBorderColor = source->FBorderColor;
  FBorderStyle = source->FBorderStyle;
  FEdges = source->FEdges;
  FHotTrack = source->FHotTrack;
  FShadow = source->FShadow;
  FTransparentBorder = source->FTransparentBorder;
  FColor = source->FColor;
  if (FDirectAccessMode) {
    StyleData.Font = source->GetFont();
    StyleData.FontColor = source->GetTextColor();
  } else {
    if (IsBaseStyle() && source->GetFont()) {
      ++FFontAssignedValueLockCount;
      FOwnFont->Assign(source->GetFont());
      if (source->FDirectAccessMode) FOwnFont->SetColor(source->StyleData.FontColor);
      --FFontAssignedValueLockCount;
    }
    FTextColor = source->GetTextColor();
    FTextStyle = source->GetTextStyle();
  }
  FAssignedValues = source->FAssignedValues;
  Changed();
}

bool TcxContainerStyle::GetStyleValueName(ContainerValue AValue, String& AName) {
  const int i = int(AValue);
  if (i < 0 || i >= cxContainerStyleValueCount) return false;
  AName = containerStyleValueNames[i];
  return true;
}

bool TcxContainerStyle::GetStyleValue(const String& AName, ContainerValue& AValue) {
  for (int i = 0; i < GetStyleValueCount(); ++i) {
    String name;
    if (GetStyleValueName(ContainerValue(i), name) && rtl::SameText(name, AName)) {
      AValue = ContainerValue(i);
      return true;
    }
  }
  return false;
}

TcxContainerStyleValues TcxContainerStyle::InternalGetNotPublishedExtendedStyleValues() {
  return {ContainerValue::csvEdges, ContainerValue::csvFont, ContainerValue::csvHotTrack, ContainerValue::csvShadow, ContainerValue::csvTransparentBorder};
}

bool TcxContainerStyle::IsExtendedStylePropertyPublished(const String& AName) {
  if (rtl::SameText(AName, u"LookAndFeel") || rtl::SameText(AName, u"StyleController")) return false;
  ContainerValue value;
  if (!GetStyleValue(AName, value)) return true;
  return !InternalGetNotPublishedExtendedStyleValues().contains(value);
}

// ---- streaming

namespace {

const rtl::EnumInfo& containerBorderStyleNames() {
  static const rtl::EnumInfo info{u"TcxContainerBorderStyle",
                                  {u"cbsNone", u"cbsSingle", u"cbsThick", u"cbsFlat", u"cbs3D", u"cbsUltraFlat",
                                   u"cbsOffice11"}};
  return info;
}

const rtl::EnumInfo& containerEdgeNames() {
  static const rtl::EnumInfo info{u"TcxBorder", {u"bLeft", u"bTop", u"bRight", u"bBottom"}};
  return info;
}

const rtl::EnumInfo& containerFontStyleNames() {
  static const rtl::EnumInfo info{u"TFontStyle", {u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut"}};
  return info;
}

// Forms name the controller class when they are read back.
[[maybe_unused]] const bool kContainerStyleControllerRegistered = [] {
  rtl::RegisterClass(TcxStyleController::classInfo());
  return true;
}();

}  // namespace

bool TcxContainerStyle::IsPropertyPublished(const String& AName) const {
  if (TcxContainer* container = Container()) return container->IsStylePropertyPublished(AName, !IsBaseStyle());
  // A controller's state styles hold the same values as a container's: the
  // normal-only ones live on the normal style and are stored there.
  return IsBaseStyle() || const_cast<TcxContainerStyle*>(this)->IsExtendedStylePropertyPublished(AName);
}

template <TcxContainerStyleValue V>
bool TcxContainerStyle::IsValueStored() const {
  return !FDirectAccessMode && FAssignedValues.contains(V) && IsPropertyPublished(containerStyleValueNames[int(V)]);
}

bool TcxContainerStyle::IsLookAndFeelStored() const {
  return IsBaseStyle() && !FLookAndFeel->AssignedValues().empty() && IsPropertyPublished(u"LookAndFeel");
}

bool TcxContainerStyle::IsStyleControllerStored() const {
  return IsBaseStyle() && FStyleController && FStyleController != DefaultContainerStyleController() &&
         IsPropertyPublished(u"StyleController");
}

void TcxContainerStyle::Published(rtl::PropTable<TcxContainerStyle>& p) {
  using S = TcxContainerStyle;
  using V = ContainerValue;
  p.Int("BorderColor", &S::GetBorderColor, &S::SetBorderColor).Stored(&S::IsValueStored<V::csvBorderColor>);
  p.Enum("BorderStyle", &S::GetBorderStyle, &S::SetBorderStyle, containerBorderStyleNames())
      .Stored(&S::IsValueStored<V::csvBorderStyle>);
  // The own value: the resolved colour of a container's normal style may be
  // its parent's.
  p.Int("Color", &S::FColor, &S::SetColor).Stored(&S::IsValueStored<V::csvColor>);
  p.SetOf("Edges", &S::GetEdges, &S::SetEdges, containerEdgeNames()).Stored(&S::IsValueStored<V::csvEdges>);
  p.Object("Font", &S::GetFont, &S::SetFont).Stored(&S::IsValueStored<V::csvFont>);
  p.Bool("HotTrack", &S::GetHotTrack, &S::SetHotTrack).Stored(&S::IsValueStored<V::csvHotTrack>);
  p.Object("LookAndFeel", &S::LookAndFeel, &S::SetLookAndFeel).Stored(&S::IsLookAndFeelStored);
  p.Bool("Shadow", &S::GetShadow, &S::SetShadow).Stored(&S::IsValueStored<V::csvShadow>);
  p.Object("StyleController", &S::StyleController, &S::SetStyleController).Stored(&S::IsStyleControllerStored);
  p.Int("TextColor", &S::GetTextColor, &S::SetTextColor).Stored(&S::IsValueStored<V::csvTextColor>);
  p.SetOf("TextStyle", &S::GetTextStyle, &S::SetTextStyle, containerFontStyleNames())
      .Stored(&S::IsValueStored<V::csvTextStyle>);
  p.Bool("TransparentBorder", &S::GetTransparentBorder, &S::SetTransparentBorder)
      .Stored(&S::IsValueStored<V::csvTransparentBorder>);
}

void TcxContainerStyle::DefineProperties(rtl::TFiler* Filer) {
  core::TcxInterfacedPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      u"IsFontAssigned",
      [this](rtl::TReader* reader) {
        if (reader->ReadBoolean()) SetAssignedValues(FAssignedValues + ContainerValue::csvFont);
      },
      [](rtl::TWriter* writer) { writer->WriteBoolean(true); }, IsValueStored<ContainerValue::csvFont>());
}

bool TcxContainerStyle::HasBorder() { return IsBaseStyle() ? true : GetBaseStyle()->HasBorder(); }

TcxLookAndFeel* TcxContainerStyle::LookAndFeel() { return GetBaseStyle()->FLookAndFeel.get(); }
void TcxContainerStyle::SetLookAndFeel(TcxLookAndFeel* Value) { LookAndFeel()->Assign(Value); }

TcxStyleController* TcxContainerStyle::ActiveStyleController() { return GetBaseStyle()->FStyleController; }

TcxStyleController* TcxContainerStyle::StyleController() {
  TcxStyleController* c = ActiveStyleController();
  return c == DefaultContainerStyleController() ? nullptr : c;
}

void TcxContainerStyle::SetStyleController(TcxStyleController* Value) {
  if (!IsBaseStyle()) return GetBaseStyle()->SetStyleController(Value);
  TcxStyleController* defaults = DefaultContainerStyleController();
  if (defaults && Owner() == defaults) return;
  if (!Value) Value = defaults;
  if (Value && Value->IsDestruction()) Value = nullptr;
  // Refuse a controller whose chain leads back to this style.
  for (TcxStyleController* c = Value; c; c = c->Style()->FStyleController) {
    if (c->Style() == this) return;
    if (c->IsDestruction()) break;
  }
  if (Value == FStyleController) return;
  if (FStyleController) FStyleController->RemoveListener(this);
  FStyleController = Value;
  if (FStyleController) FStyleController->AddListener(this);
  ControllerChangedNotification(FStyleController);
}

void TcxContainerStyle::ControllerChangedNotification(TcxStyleController*) {
  // Copying the controller's font changes the font too: one announcement.
  BeginUpdate();
  rtl::ScopeExit done([&] { EndUpdate(); });
  UpdateFont();
  Changed();
}

void TcxContainerStyle::ControllerFreeNotification(TcxStyleController* AStyleController) {
  if (AStyleController && AStyleController == ActiveStyleController()) SetStyleController(nullptr);
}

// ---- TcxContainerStyles -------------------------------------------------------------------------

TcxContainerStyles::TcxContainerStyles(rtl::TPersistent* AOwner) {
  FStyles[0] = std::make_unique<TcxContainerStyle>(AOwner, false, nullptr, csNormal);
  for (TcxContainerStateItem state : {csActive, csDisabled, csHotTrack})
    FStyles[int(state)] = std::make_unique<TcxContainerStyle>(AOwner, false, FStyles[0].get(), state);
}

TcxContainerStyles::~TcxContainerStyles() {
  for (int i = 3; i >= 0; --i) FStyles[i].reset();
}

void TcxContainerStyles::SetOnChanged(const TcxContainerStyleChangedEvent& AEvent) {
  for (auto& style : FStyles) style->SetOnChanged(AEvent);
}

// ---- TcxStyleController -------------------------------------------------------------------------

TcxStyleController::TcxStyleController(rtl::TComponent* AOwner) : core::TcxScalableComponent(AOwner) {
  FStyles = std::make_unique<TcxContainerStyles>(this);
  FStyles->SetOnChanged(rtl::TNotifyEvent::bind<&TcxStyleController::StyleChanged>(this));
}

TcxStyleController::~TcxStyleController() {
  FIsDestruction = true;
  if (cxContainerDefaultStyleController == this) cxContainerDefaultStyleController = nullptr;
  for (size_t i = FListeners.size(); i-- > 0;) {
    if (i < FListeners.size()) FListeners[i]->ControllerFreeNotification(this);
  }
  FStyles.reset();
}

void TcxStyleController::Published(rtl::PropTable<TcxStyleController>& p) {
  using C = TcxStyleController;
  // Only a view of Style.StyleController, which stores the link.
  p.Object("FakeStyleController", &C::FakeStyleController, &C::SetFakeStyleController).Stored(false);
  p.Object("Style", &C::Style, &C::SetStyle);
  p.Object("StyleDisabled", &C::StyleDisabled, &C::SetStyleDisabled);
  p.Object("StyleFocused", &C::StyleFocused, &C::SetStyleFocused);
  p.Object("StyleHot", &C::StyleHot, &C::SetStyleHot);
  p.Event("OnStyleChanged", &C::OnStyleChanged, &C::SetOnStyleChanged);
}

void TcxStyleController::Loaded() {
  core::TcxScalableComponent::Loaded();
  Changed();
}

void TcxStyleController::Changed() {
  if (FOnStyleChanged) FOnStyleChanged(this);
  if (FIsDestruction) return;
  const std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* style : listeners) {
    if (std::find(FListeners.begin(), FListeners.end(), style) != FListeners.end())
      style->ControllerChangedNotification(this);
  }
}

void TcxStyleController::AddListener(TcxContainerStyle* AStyle) {
  if (!AStyle || std::find(FListeners.begin(), FListeners.end(), AStyle) != FListeners.end()) return;
  FListeners.push_back(AStyle);
  AStyle->LookAndFeel()->SetMasterLookAndFeel(Style()->LookAndFeel());
}

void TcxStyleController::RemoveListener(TcxContainerStyle* AStyle) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AStyle);
  if (it == FListeners.end()) return;
  FListeners.erase(it);
  if (TcxLookAndFeel* lf = AStyle->LookAndFeel()) lf->SetMasterLookAndFeel(nullptr);
}

void TcxStyleController::ChangeScale(int M, int D) {
  for (TcxContainerStateItem state : {csNormal, csActive, csDisabled, csHotTrack}) {
    TcxContainerStyle* style = FStyles->Style(state);
    if (style->AssignedValues().contains(ContainerValue::csvFont) && style->GetFont())
      style->GetFont()->SetHeight(rtl::MulDiv(style->GetFont()->Height(), M, D));
  }
}

// ---- unit routines ------------------------------------------------------------------------------

TcxContainer* GetcxContainer(ui::TControl* AControl) {
  if (auto* container = dynamic_cast<TcxContainer*>(AControl)) return container;
  if (auto* inner = dynamic_cast<IcxContainerInnerControl*>(AControl)) return inner->GetControlContainer();
  return nullptr;
}

TRect GetControlRect(ui::TControl* AControl) { return TRect{0, 0, AControl->Width(), AControl->Height()}; }

TRect InflateRectByBorders(const TRect& R, int W, core::TcxBorders AEdges) {
  TRect r = R;
  if (!AEdges.contains(core::bLeft)) r.left += W;
  if (!AEdges.contains(core::bTop)) r.top += W;
  if (!AEdges.contains(core::bRight)) r.right -= W;
  if (!AEdges.contains(core::bBottom)) r.bottom -= W;
  return r;
}

TRect ExtendRectByBorders(const TRect& R, int W, core::TcxBorders AEdges) {
  TRect r = R;
  if (AEdges.contains(core::bLeft)) r.left -= W;
  if (AEdges.contains(core::bTop)) r.top -= W;
  if (AEdges.contains(core::bRight)) r.right += W;
  if (AEdges.contains(core::bBottom)) r.bottom += W;
  return r;
}

void InternalFillRect(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AInner, TColor AColor) {
  if (containerIsEmpty(R) || R == AInner) return;
  if (containerIsEmpty(AInner)) {
    ACanvas->FillRect(R, AColor);
    return;
  }
  ACanvas->FillRect(TRect{R.left, R.top, AInner.left, R.bottom}, AColor);
  ACanvas->FillRect(TRect{AInner.left, R.top, AInner.right, AInner.top}, AColor);
  ACanvas->FillRect(TRect{AInner.right, R.top, R.right, R.bottom}, AColor);
  ACanvas->FillRect(TRect{AInner.left, AInner.bottom, AInner.right, R.bottom}, AColor);
}

int GetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle) {
  TcxCustomLookAndFeelPainter* painter = cxLookAndFeelPaintersManager()->GetPainter(TcxLookAndFeelStyle::lfsStandard);
  return painter ? painter->GetContainerBorderWidth(ABorderStyle) : 0;
}

int GetContainerBorderWidth(TcxLookAndFeelKind AKind) {
  return GetContainerBorderWidth(containerBorderStyleOfKind(AKind));
}

TColor GetContainerBorderColor(bool AIsHighlight, bool AIsOffice11Style) {
  if (!AIsHighlight) return ui::clBtnShadow;
  return AIsOffice11Style ? core::dxOffice11SelectedBorderColor : ui::clHighlight;
}

void DrawContainerShadow(core::TcxCanvas* ACanvas, const TRect& R) {
  const int w = cxContainerShadowWidth;
  const TRect bottom{R.left + w, R.bottom, R.right, R.bottom + w};
  const TRect right{R.right, R.top + w, R.right + w, R.bottom + w};
  ACanvas->FillRect(bottom, cxContainerShadowColor);
  ACanvas->ExcludeClipRect(bottom);
  ACanvas->FillRect(right, cxContainerShadowColor);
  ACanvas->ExcludeClipRect(right);
}

// ---- TcxContainerViewInfo -----------------------------------------------------------------------

void TcxContainerViewInfo::UpdateStyle(TcxContainerStyle* AStyle) {
  Painter = AStyle->LookAndFeel()->Painter();
  UseSkins = AStyle->LookAndFeel()->SkinPainter() != nullptr;
}

void TcxContainerViewInfo::Offset(int DX, int DY) {
  if (!FCalculated) return;
  auto move = [&](TRect& r) { r = TRect{r.left + DX, r.top + DY, r.right + DX, r.bottom + DY}; };
  move(BorderRect);
  move(Bounds);
  move(ClientRect);
}

void TcxContainerViewInfo::DrawBorder(core::TcxCanvas* ACanvas, TRect R) {
  if (Shadow) DrawContainerShadow(ACanvas, R);
  R = InflateRectByBorders(R, -BorderWidth, Edges);
  if (Painter) Painter->DrawContainerBorder(ACanvas, R, BorderStyle, BorderWidth, BorderColor, Edges);
}

void TcxContainerViewInfo::DrawNativeBackground(core::TcxCanvas* ACanvas) {
  const bool withBorder = Owner->Style()->HasBorder() && BorderStyle != TcxContainerBorderStyle::cbsNone;
  core::HTHEME theme = withBorder ? core::OpenTheme(ThemedObjectType) : nullptr;
  if (!theme) {
    ACanvas->FillRect(Bounds, FBackgroundColor);
    return;
  }
  win::RECT content = Bounds;
  if (core::GetThemeBackgroundContentRect(theme, ACanvas->Handle(), NativePart, NativeState, Bounds, content) !=
      core::dxS_OK)
    content = Bounds;
  TColor frame = ui::clBtnShadow;
  cxGetThemeColor(ThemedObjectType, NativePart, NativeState, theme::TMT_BORDERCOLOR, frame);
  InternalFillRect(ACanvas, Bounds, content, frame);
  ACanvas->FillRect(content, FBackgroundColor);
}

void TcxContainerViewInfo::InternalPaint(core::TcxCanvas* ACanvas) {
  if (NativeStyle) {
    DrawNativeBackground(ACanvas);
    return;
  }
  // The border sits just outside BorderRect on the drawn edges.
  TRect r = BorderRect;
  r.left -= BorderWidth;
  r.top -= BorderWidth;
  if (Edges.contains(core::bRight)) r.right += BorderWidth;
  if (Edges.contains(core::bBottom)) r.bottom += BorderWidth;
  // Undrawn left/top edges give their room back.
  if (!Edges.contains(core::bLeft)) r.left += BorderWidth;
  if (!Edges.contains(core::bTop)) r.top += BorderWidth;
  if (BorderWidth > 0 && BorderStyle != TcxContainerBorderStyle::cbsNone) DrawBorder(ACanvas, r);
  ACanvas->FillRect(BorderRect, FBackgroundColor);
}

// ---- TcxContainer -------------------------------------------------------------------------------

TcxContainer::TcxContainer(rtl::TComponent* AOwner) : TcxControl(AOwner) {
  FIsCreating = true;
  FStyles = std::make_unique<TcxContainerStyles>(this);
  FStyles->SetOnChanged(rtl::TNotifyEvent::bind<&TcxContainer::ContainerStyleChanged>(this));
  FActiveStyleData.State = {csNormal};
  FActiveStyleData.Style = Style();
  FViewInfo.reset(CreateViewInfo());
  LookAndFeel()->SetMasterLookAndFeel(Style()->LookAndFeel());
  SetTabStop(true);
  SetParentColor(DefaultParentColor() && !IsInplace() && !Style()->IsValueAssigned(ContainerValue::csvColor));
  if (!ParentColor()) SetColor(ui::clWindow);
  FIsCreating = false;
}

TcxContainer::~TcxContainer() {
  FIsDestroyingContainer = true;
  EndMouseTracking();
  if (FInnerControl) FInnerControl->RemoveFreeNotification(this);
  FViewInfo.reset();
  LookAndFeel()->SetMasterLookAndFeel(nullptr);
  FStyles->SetOnChanged(nullptr);
  FStyles.reset();
}

void TcxContainer::SetInnerControl(ui::TWinControl* Value) {
  if (FInnerControl == Value) return;
  if (FInnerControl) {
    FInnerControl->RemoveFreeNotification(this);
    FInnerControl->SetOnEnter(nullptr);
    FInnerControl->SetOnExit(nullptr);
  }
  FInnerControl = Value;
  if (FInnerControl) {
    FInnerControl->FreeNotification(this);
    // The state follows the inner control's focus.
    FInnerControl->SetOnEnter(rtl::TNotifyEvent::bind<&TcxContainer::InnerControlEnterExit>(this));
    FInnerControl->SetOnExit(rtl::TNotifyEvent::bind<&TcxContainer::InnerControlEnterExit>(this));
  }
  ShortRefreshContainer(false);
}

void TcxContainer::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  TcxControl::Notification(AComponent, Operation);
  if (Operation == rtl::TOperation::opRemove && AComponent == FInnerControl) FInnerControl = nullptr;
}

void TcxContainer::Published(rtl::PropTable<TcxContainer>& p) {
  using C = TcxContainer;
  p.Object("Style", &C::Style, &C::SetStyle);
  p.Object("StyleDisabled", &C::StyleDisabled, &C::SetStyleDisabled);
  p.Object("StyleFocused", &C::StyleFocused, &C::SetStyleFocused);
  p.Object("StyleHot", &C::StyleHot, &C::SetStyleHot);
}

bool TcxContainer::IsStylePropertyPublished(const String& APropertyName, bool AIsStateStyle) {
  if (AIsStateStyle && !Style()->IsExtendedStylePropertyPublished(APropertyName)) return false;
  ContainerValue value;
  if (Style()->GetStyleValue(APropertyName, value) && InternalGetNotPublishedStyleValues().contains(value))
    return false;
  return true;
}

bool TcxContainer::IsStyleAssigned(ContainerValue AValue) {
  return Style()->IsValueAssigned(AValue) || ActiveStyle()->IsValueAssigned(AValue);
}

TcxContainerStyle* TcxContainer::GetActiveStyle() {
  if (FActiveStyleData.Style && FActiveStyleData.State == FViewInfo->ContainerState) return FActiveStyleData.Style;
  FActiveStyleData.State = FViewInfo->ContainerState;
  FActiveStyleData.Style = InternalGetActiveStyle();
  return FActiveStyleData.Style;
}

TcxContainerStyle* TcxContainer::InternalGetActiveStyle() {
  const TcxContainerState state = FViewInfo->ContainerState;
  if (state.contains(csDisabled)) return StyleDisabled();
  if (state.contains(csActive)) return StyleFocused();
  if (Style()->GetHotTrack() && state.contains(csHotTrack)) return StyleHot();
  return Style();
}

bool TcxContainer::Focused() {
  if (IsDesigning() || !HandleAllocated()) return false;
  if (IsContainerFocused()) return true;
  return FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused();
}

void TcxContainer::SetFocus() {
  if (IsDesigning() || Focused()) return;
  TcxControl::SetFocus();
  if (FInnerControl && IsContainerFocused() && FInnerControl->CanFocus()) FInnerControl->SetFocus();
}

bool TcxContainer::CanFocusOnClick() {
  // A press the inner control passes on must not pull the focus off it.
  if (FInnerControlMouseDown) return false;
  if (FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused()) return false;
  return TcxControl::CanFocusOnClick();
}

void TcxContainer::KeyDown(rtl::Word& Key, ui::TShiftState Shift) {
  TcxControl::KeyDown(Key, Shift);
  if (Key != win::VK_TAB || !Focused() || Shift.contains(ui::ssAlt) || Shift.contains(ui::ssCtrl) ||
      !CanContainerHandleTabs())
    return;
  Key = 0;
  if (ui::TCustomForm* form = ui::GetParentForm(this))
    form->SelectNext(form->ActiveControl() ? form->ActiveControl() : this, !Shift.contains(ui::ssShift), true);
  // Nothing else took the focus: it stays inside the editor, on its inner control.
  if (HandleAllocated() && win::GetFocus() == Handle() && FInnerControl && FInnerControl->CanFocus())
    FInnerControl->SetFocus();
}

void TcxContainer::GetTabOrderList(std::vector<ui::TWinControl*>& AList) {
  TcxControl::GetTabOrderList(AList);
  if (!FInnerControl) return;
  ui::TCustomForm* form = ui::GetParentForm(this);
  if (!form || form->ActiveControl() != FInnerControl) return;
  const auto self = std::find(AList.begin(), AList.end(), static_cast<ui::TWinControl*>(this));
  const auto inner = std::find(AList.begin(), AList.end(), FInnerControl);
  if (self == AList.end() || inner == AList.end()) return;
  *self = FInnerControl;
  AList.erase(inner);
}

void TcxContainer::SetDragMode(ui::TDragMode Value) {
  TcxControl::SetDragMode(Value);
  if (FInnerControl) FInnerControl->SetDragMode(Value);
}

void TcxContainerAccess::MouseDown(TcxContainer* C, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  C->FInnerControlMouseDown = true;
  rtl::ScopeExit done([C] { C->FInnerControlMouseDown = false; });
  C->MouseDown(Button, Shift, X, Y);
}

void TcxContainerAccess::BeginAutoDrag(TcxContainer* C, const TPoint& AScreenPoint) {
  if (!C->HandleAllocated()) return;
  if (cxDragDetect(C->Handle(), AScreenPoint) == TcxDragDetect::ddDrag) C->BeginDrag(true, -1);
}

TColor TcxContainer::GetSizeGripColor() {
  TcxCustomLookAndFeelPainter* painter = GetLookAndFeelPainter();
  return painter ? painter->DefaultSizeGripAreaColor() : ui::clBtnFace;
}

bool TcxContainer::MayFocus() { return !(FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused()); }

TcxCustomLookAndFeelPainter* TcxContainer::GetLookAndFeelPainter() { return Style()->LookAndFeel()->Painter(); }

bool TcxContainer::IsNativeStyle() {
  // Themed edit frames need the visual-styles engine; without an active
  // theme the painter path applies.
  return Style()->LookAndFeel()->NativeStyle() && core::AreVisualStylesAvailable(core::TdxThemedObjectType::totEdit);
}

bool TcxContainer::HasShadow() { return ActiveStyle()->GetShadow() && !FViewInfo->NativeStyle; }

void TcxContainer::CalculateViewInfo(const TPoint& P, bool AIsMouseEvent) {
  TcxContainerViewInfo* vi = FViewInfo.get();
  vi->SetCalculated();
  vi->NativeStyle = IsNativeStyle();
  vi->UpdateStyle(Style());
  TcxContainerState state;
  if (!Enabled()) {
    state = {csDisabled};
  } else if (IsDesigning()) {
    state = {csNormal};
  } else {
    state = Focused() ? TcxContainerState{csActive} : TcxContainerState{csNormal};
    if (AIsMouseEvent && core::cxRectPtIn(GetVisibleBounds(), P)) state += csHotTrack;
  }
  vi->ContainerState = state;
  TcxContainerStyle* active = GetActiveStyle();
  if (!active->GetHotTrack())
    vi->HotState = TcxContainerHotState::chsNoHotTrack;
  else if (state.contains(csActive) || state.contains(csHotTrack))
    vi->HotState = TcxContainerHotState::chsSelected;
  else
    vi->HotState = TcxContainerHotState::chsNormal;
  if (vi->NativeStyle) {
    vi->ThemedObjectType = GetBackgroundThemedObjectType();
    vi->BorderStyle = Style()->GetBorderStyle();
    vi->NativePart = 3;
    vi->NativeState = state.contains(csDisabled) ? 4 : IsReadOnly() ? 6 : state.contains(csActive) ? 5
                                                     : state.contains(csHotTrack) ? 2 : 1;
  } else {
    vi->BorderStyle = active->GetBorderStyle();
    if (vi->BorderStyle == TcxContainerBorderStyle::cbsUltraFlat ||
        vi->BorderStyle == TcxContainerBorderStyle::cbsOffice11)
      vi->BorderStyle = TcxContainerBorderStyle::cbsSingle;
  }
  vi->Bounds = TRect{0, 0, Width(), Height()};
  const TRect extent = GetBorderExtent();
  vi->BorderRect = TRect{extent.left, extent.top, Width() - extent.right, Height() - extent.bottom};
  vi->ClientRect = vi->BorderRect;
  vi->BorderWidth = vi->Painter ? vi->Painter->GetContainerBorderWidth(vi->BorderStyle)
                                : GetContainerBorderWidth(vi->BorderStyle);
  vi->Edges = active->GetEdges();
  vi->Shadow = HasShadow();
  vi->BorderColor = GetBorderColor();
  vi->SetBackgroundColor(GetBackgroundColor());
}

TRect TcxContainer::GetBorderExtent() {
  TRect r{};
  TcxContainerStyle* active = ActiveStyle();
  const bool native = FViewInfo->NativeStyle;
  if (active->GetTransparentBorder()) {
    r = TRect{2, 2, 2, 2};
  } else if (!active->HasBorder() || (native && FViewInfo->BorderStyle == TcxContainerBorderStyle::cbsNone)) {
    r = TRect{};
  } else if (native) {
    r = TRect{2, 2, 2, 2};
  } else {
    TcxContainerBorderStyle style = active->GetBorderStyle();
    if (style == TcxContainerBorderStyle::cbsUltraFlat || style == TcxContainerBorderStyle::cbsOffice11)
      style = TcxContainerBorderStyle::cbsSingle;
    const int w = GetContainerBorderWidth(style);
    const core::TcxBorders edges = active->GetEdges();
    r = TRect{edges.contains(core::bLeft) ? w : 0, edges.contains(core::bTop) ? w : 0,
              edges.contains(core::bRight) ? w : 0, edges.contains(core::bBottom) ? w : 0};
  }
  if (HasShadow()) {
    r.right += cxContainerShadowWidth;
    r.bottom += cxContainerShadowWidth;
  }
  return r;
}

TColor TcxContainer::GetBorderColor() {
  const TcxContainerState state = FViewInfo->ContainerState;
  TcxContainerStyle* active = ActiveStyle();
  const bool highlighted = state.contains(csActive) || (state.contains(csHotTrack) && active->GetHotTrack()) ||
                           (IsDesigning() && Enabled());
  const TcxContainerBorderStyle style = active->GetBorderStyle();
  if (style != TcxContainerBorderStyle::cbsUltraFlat && style != TcxContainerBorderStyle::cbsOffice11)
    return active->GetBorderColor();
  return GetContainerBorderColor(highlighted, style == TcxContainerBorderStyle::cbsOffice11);
}

TColor TcxContainer::GetBackgroundColor() {
  TColor color = ActiveStyle()->GetColor();
  // A disabled themed editor takes the theme's own disabled fill unless a colour was chosen.
  if (FViewInfo->NativeStyle && FViewInfo->ContainerState.contains(csDisabled) &&
      !IsStyleAssigned(ContainerValue::csvColor))
    cxGetThemeColor(FViewInfo->ThemedObjectType, FViewInfo->NativePart, FViewInfo->NativeState, theme::TMT_FILLCOLOR,
                    color);
  return color;
}

TRect TcxContainer::GetVisibleBounds() {
  TRect r{0, 0, Width(), Height()};
  if (HasShadow() && !IsInplace()) {
    r.right -= cxContainerShadowWidth;
    r.bottom -= cxContainerShadowWidth;
  }
  TcxContainerStyle* active = ActiveStyle();
  if (active->GetTransparentBorder()) {
    if (active->HasBorder() && !(FViewInfo->NativeStyle && FViewInfo->BorderStyle == TcxContainerBorderStyle::cbsNone)) {
      const int w = FViewInfo->BorderWidth;
      r = TRect{r.left - (w - 2), r.top - (w - 2), r.right + (w - 2), r.bottom + (w - 2)};
      r = InflateRectByBorders(r, w, FViewInfo->Edges);
    } else {
      r = TRect{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    }
  }
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

TRect TcxContainer::GetShadowBounds() {
  const TRect extent = GetBorderExtent();
  TRect r{extent.left, extent.top, Width() - extent.right, Height() - extent.bottom};
  r = TRect{r.left - FViewInfo->BorderWidth, r.top - FViewInfo->BorderWidth, r.right + FViewInfo->BorderWidth,
            r.bottom + FViewInfo->BorderWidth};
  return InflateRectByBorders(r, FViewInfo->BorderWidth, FViewInfo->Edges);
}

bool TcxContainer::CanHaveTransparentBorder() {
  return !(FViewInfo->NativeStyle && Style()->HasBorder()) && ActiveStyle()->GetTransparentBorder();
}

gdi::HRGN TcxContainer::CreateWindowRegion() {
  gdi::HRGN rgn = nullptr;
  if (FViewInfo->Shadow) {
    // The shadow bounds and their copy moved by the shadow's width: the two
    // corners outside both stay transparent.
    const TRect b = GetShadowBounds();
    rgn = gdi::CreateRectRgn(b.left, b.top, b.right, b.bottom);
    gdi::HRGN moved = gdi::CreateRectRgn(b.left + cxContainerShadowWidth, b.top + cxContainerShadowWidth,
                                         b.right + cxContainerShadowWidth, b.bottom + cxContainerShadowWidth);
    gdi::CombineRgn(rgn, rgn, moved, gdi::RGN_OR);
    gdi::DeleteObject(moved);
  } else if (CanHaveTransparentBorder()) {
    const TRect b = GetShadowBounds();
    rgn = gdi::CreateRectRgn(b.left, b.top, b.right, b.bottom);
  }
  return rgn;
}

void TcxContainer::UpdateWindowRegion() {
  if (!HandleAllocated()) return;
  gdi::HRGN rgn = CreateWindowRegion();
  gdi::HRGN current = gdi::CreateRectRgn(0, 0, 0, 0);
  const bool hasCurrent = win::GetWindowRgn(Handle(), current) != 0;
  const bool same = rgn ? hasCurrent && gdi::EqualRgn(rgn, current) : !hasCurrent;
  gdi::DeleteObject(current);
  if (same) {
    if (rgn) gdi::DeleteObject(rgn);
    return;
  }
  win::SetWindowRgn(Handle(), rgn, win::TRUE);
}

bool TcxContainer::CanRefreshContainer() {
  return FRefreshLockCount == 0 && !FIsCreating && !FIsDestroyingContainer && !IsDestroying() && !InDestructor() &&
         !IsLoading() && HandleAllocated();
}

void TcxContainer::CheckIsViewInfoCalculated() {
  if (!FIsViewInfoCalculated) ShortRefreshContainer(false);
}

void TcxContainer::ShortRefreshContainer(bool AIsMouseEvent) {
  TPoint p = cxInvisiblePoint;
  if (HandleAllocated()) {
    win::POINT cursor{};
    win::GetCursorPos(&cursor);
    const win::HWND under = win::WindowFromPoint(cursor);
    if (under == Handle() || win::IsChild(Handle(), under)) p = ScreenToClient(TPoint{cursor.x, cursor.y});
  }
  RefreshContainer(p, ui::mbLeft, ui::KeyboardStateToShiftState(), AIsMouseEvent);
}

void TcxContainer::RefreshContainer(const TPoint& P, ui::TMouseButton AButton, ui::TShiftState AShift,
                                    bool AIsMouseEvent) {
  FHasChanges = true;
  bool ran = false;
  if (CanRefreshContainer()) {
    ++FRefreshLockCount;
    rtl::ScopeExit unlock([&] { --FRefreshLockCount; });
    FHasChanges = false;
    DoRefreshContainer(P, AButton, AShift, AIsMouseEvent);
    ran = true;
  }
  FIsViewInfoCalculated = ran && !FHasChanges;
}

void TcxContainer::DoRefreshContainer(const TPoint& P, ui::TMouseButton, ui::TShiftState AShift,
                                      bool AIsMouseEvent) {
  const bool pressed = AShift.contains(ui::ssLeft) || AShift.contains(ui::ssRight) || AShift.contains(ui::ssMiddle);
  CalculateViewInfo(P, AIsMouseEvent && !pressed && Style()->GetHotTrack());
  DoSetSize();
  AdjustInnerControl();
  UpdateWindowRegion();
  if (HasInnerControl()) {
    const TRect& b = FViewInfo->Bounds;
    const TRect& in = FViewInfo->BorderRect;
    const TRect bands[] = {{b.left, b.top, in.left, b.bottom},
                           {in.left, b.top, in.right, in.top},
                           {in.right, b.top, b.right, b.bottom},
                           {in.left, in.bottom, in.right, b.bottom}};
    for (const TRect& band : bands)
      if (!containerIsEmpty(band)) InvalidateRect(band, false);
  } else {
    InvalidateRect(FViewInfo->Bounds, false);
  }
  if (FViewInfo->ContainerState.contains(csHotTrack))
    BeginMouseTracking(this, GetVisibleBounds(), static_cast<IcxMouseTrackingCaller*>(this));
}

void TcxContainer::DoSetSize() {
  if (!FInnerControl) return;
  const TRect& r = FViewInfo->ClientRect;
  if (FInnerControl->BoundsRect() != r) FInnerControl->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TcxContainer::AdjustInnerControl() {
  if (!FInnerControl) return;
  FInnerControl->SetColor(FViewInfo->BackgroundColor());
  FInnerControl->SetFont(ActiveStyle()->GetVisibleFont());
}

void TcxContainer::EndMouseTracking() { lookandfeel::EndMouseTracking(static_cast<IcxMouseTrackingCaller*>(this)); }

void TcxContainer::MouseTrackingCallerMouseLeave() {
  EndMouseTracking();
  ShortRefreshContainer(false);
}

void TcxContainer::ContainerStyleChanged(rtl::TObject*) {
  if (FIsCreating || IsLoading() || FIsDestroyingContainer) return;
  ShortRefreshContainer(false);
  FInternalSetting = true;
  rtl::ScopeExit done([&] { FInternalSetting = false; });
  if (!ParentColor() || Style()->IsValueAssigned(ContainerValue::csvColor)) SetColor(Style()->GetStyleColor());
  if (Style()->IsValueAssigned(ContainerValue::csvFont)) SetParentFont(false);
}

void TcxContainer::ColorChanged() {
  TcxControl::ColorChanged();
  if (FInternalSetting || FIsCreating || !FStyles) return;
  FInternalSetting = true;
  rtl::ScopeExit done([&] { FInternalSetting = false; });
  Style()->SetColor(Color());
}

void TcxContainer::DoPaint() {
  if (!FIsViewInfoCalculated) ShortRefreshContainer(false);
  FViewInfo->Paint(cxCanvas());
}

TRect TcxContainer::GetClientBounds() { return FViewInfo->ClientRect; }

void TcxContainer::MouseEnter(ui::TControl* AControl) {
  TcxControl::MouseEnter(AControl);
  ShortRefreshContainer(true);
}

void TcxContainer::MouseLeave(ui::TControl* AControl) {
  TcxControl::MouseLeave(AControl);
  ShortRefreshContainer(true);
}

void TcxContainer::FocusChanged() {
  TcxControl::FocusChanged();
  ShortRefreshContainer(false);
}

void TcxContainer::Resize() {
  TcxControl::Resize();
  ShortRefreshContainer(false);
}

void TcxContainer::CreateWnd() {
  TcxControl::CreateWnd();
  ShortRefreshContainer(false);
}

void TcxContainer::WndProc(ui::TMessage& Message) {
  switch (Message.Msg) {
    case DXM_CONTAINERSHORTREFRESH:
      ShortRefreshContainer(false);
      return;
    case DXM_UPDATESCROLLBARS:
      SetScrollBarsParameters();
      return;
    case win::WM_SETFOCUS:
      TcxControl::WndProc(Message);
      // The inner control takes the keyboard; the container only frames it.
      if (FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->CanFocus() &&
          reinterpret_cast<win::HWND>(Message.WParam) != FInnerControl->Handle())
        FInnerControl->SetFocus();
      return;
    case ui::CM_ENABLEDCHANGED:
      TcxControl::WndProc(Message);
      ShortRefreshContainer(false);
      return;
    case win::WM_LBUTTONDOWN:
    case win::WM_LBUTTONDBLCLK:
      // An editor in automatic drag mode is picked up wherever it is
      // pressed, its frame included, and on the second press of a double
      // click too; a release inside the drag square drags nothing.
      if (DragMode() == ui::dmAutomatic && !IsDesigning() && HandleAllocated()) {
        TcxContainerAccess::BeginAutoDrag(
            this, ClientToScreen(TPoint{win::GET_X_LPARAM(Message.LParam), win::GET_Y_LPARAM(Message.LParam)}));
        return;
      }
      break;
    case win::WM_KEYDOWN:
    case win::WM_KEYUP:
    case win::WM_CHAR:
      if (FInnerControl && FInnerControl->HandleAllocated()) {
        Message.Result = win::SendMessageW(FInnerControl->Handle(), Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    default: break;
  }
  TcxControl::WndProc(Message);
}

void TcxContainer::UpdateScrollBarsParameters() {
  if (FIsDestroyingContainer || !HandleAllocated() || !FInnerControl) return;
  win::PostMessageW(Handle(), DXM_UPDATESCROLLBARS, 0, 0);
}

void TcxContainer::AdjustScrollBarPosition(TScrollBarKind AKind) {
  IcxControlScrollBar* bar = GetScrollBar(AKind);
  if (!bar) return;
  win::SCROLLBARINFO info;
  const bool vertical = AKind == TScrollBarKind::sbVertical;
  const bool got = win::GetScrollBarInfo(FInnerControl->Handle(), vertical ? win::OBJID_VSCROLL : win::OBJID_HSCROLL,
                                         &info) != 0;
  if (!got || (info.rgstate[0] & (win::STATE_SYSTEM_INVISIBLE | win::STATE_SYSTEM_OFFSCREEN))) {
    bar->SetVisible(false);
    return;
  }
  TPoint topLeft = ScreenToClient(TPoint{info.rcScrollBar.left, info.rcScrollBar.top});
  TRect r{topLeft.x, topLeft.y, topLeft.x + (info.rcScrollBar.right - info.rcScrollBar.left),
          topLeft.y + (info.rcScrollBar.bottom - info.rcScrollBar.top)};
  if (!core::cxRectIntersect(r, r, TRect{0, 0, Width(), Height()})) r = TRect{};
  bar->SetBoundsRect(r);
  bar->SetEnabled((info.rgstate[0] & win::STATE_SYSTEM_UNAVAILABLE) == 0);
  bar->SetVisible(!containerIsEmpty(r));
  if (!bar->GetVisible()) return;
  win::SCROLLINFO si;
  si.fMask = win::SIF_ALL;
  if (!win::GetScrollInfo(FInnerControl->Handle(), vertical ? win::SB_VERT : win::SB_HORZ, &si)) return;
  const int page = std::min<int>(int(si.nPage), si.nMax);
  bar->SetScrollParams(si.nMin, si.nMax, si.nPos, page, true);
}

void TcxContainer::SetScrollBarsParameters() {
  if (!NeedsInnerScrollBars() || FIsDestroyingContainer || !FInnerControl || !FInnerControl->HandleAllocated()) return;
  FScrollBarsCalculating = true;
  rtl::ScopeExit done([&] { FScrollBarsCalculating = false; });
  AdjustScrollBarPosition(TScrollBarKind::sbHorizontal);
  AdjustScrollBarPosition(TScrollBarKind::sbVertical);
}

void TcxContainer::LockAlignControls(bool ALock) {
  FLockAlignControlsCount = std::max(0, FLockAlignControlsCount + (ALock ? 1 : -1));
}

void TcxContainer::LockPopupMenu(bool ALock) {
  FPopupMenuLockCount = std::max(0, FPopupMenuLockCount + (ALock ? 1 : -1));
}

}  // namespace lookandfeel

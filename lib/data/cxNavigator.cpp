// The data navigator's model: buttons, the enabling rules, clicks, the info
// panel's text and the glyph strip. The picture is in cxNavigator_view.cpp.
#include "lib/data/cxNavigator.h"

#include "lib/core/cxImageList.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace data {

namespace {

String navigatorText(const core::TcxResourceString& AText) { return core::cxGetResourceString(&AText); }

constexpr const core::TcxResourceString* kButtonHints[NavigatorButtonCount] = {
    &cxNavigatorHint_First,  &cxNavigatorHint_PriorPage, &cxNavigatorHint_Prior,   &cxNavigatorHint_Next,
    &cxNavigatorHint_NextPage, &cxNavigatorHint_Last,    &cxNavigatorHint_Insert,  &cxNavigatorHint_Append,
    &cxNavigatorHint_Delete, &cxNavigatorHint_Edit,      &cxNavigatorHint_Post,    &cxNavigatorHint_Cancel,
    &cxNavigatorHint_Refresh, &cxNavigatorHint_SaveBookmark, &cxNavigatorHint_GotoBookmark, &cxNavigatorHint_Filter,
};

std::unique_ptr<core::TcxImageList>& navigatorImages() {
  static std::unique_ptr<core::TcxImageList> images;
  return images;
}

}  // namespace

// --- child components ------------------------------------------------------------------------
rtl::TPersistent* TcxNavigatorChildComponent::GetOwner() const {
  return FNavigator != nullptr ? FNavigator->GetNavigatorOwner() : nullptr;
}

void TcxNavigatorChildComponent::Changed(TcxNavigatorChangeType AChangeType, bool ANeedRefresh) {
  if (FNavigator == nullptr) return;
  if (ANeedRefresh) FNavigator->RefreshNavigator();
  FNavigator->NavigatorChanged(AChangeType);
}

bool TcxNavigatorChildComponent::IsNavigatorEnabled() const {
  if (FNavigator == nullptr) return false;
  ui::TWinControl* control = FNavigator->GetNavigatorControl();
  return control == nullptr || control->Enabled();
}

// --- a button ----------------------------------------------------------------------------------
TcxNavigatorButton::TcxNavigatorButton(TcxCustomNavigatorButtons* AButtons, bool ADefaultVisible)
    : FButtons(AButtons), FDefaultVisible(ADefaultVisible), FVisible(ADefaultVisible) {}

rtl::TPersistent* TcxNavigatorButton::GetOwner() const { return FButtons; }

void TcxNavigatorButton::Changed(TcxNavigatorChangeType AChangeType, bool ANeedRefresh) {
  if (FButtons == nullptr || FButtons->Navigator() == nullptr) return;
  if (ANeedRefresh) FButtons->Navigator()->RefreshNavigator();
  FButtons->Navigator()->NavigatorChanged(AChangeType);
}

void TcxNavigatorButton::Assign(rtl::TPersistent* ASource) {
  auto* source = dynamic_cast<TcxNavigatorButton*>(ASource);
  if (source == nullptr) {
    rtl::TPersistent::Assign(ASource);
    return;
  }
  SetEnabled(source->Enabled());
  SetHint(source->Hint());
  SetImageIndex(source->ImageIndex());
  SetVisible(source->Visible());
  FIsVisibleAssigned = source->FIsVisibleAssigned;
  SetOnClick(source->OnClick());
}

void TcxNavigatorButton::SetEnabled(bool AValue) {
  if (FEnabled == AValue) return;
  FEnabled = AValue;
  Changed(TcxNavigatorChangeType::nctLayout, FVisible);
}

void TcxNavigatorButton::SetHint(const String& AValue) {
  if (FHint == AValue) return;
  FHint = AValue;
  Changed(TcxNavigatorChangeType::nctProperties, FVisible);
}

void TcxNavigatorButton::SetImageIndex(int AValue) {
  if (FImageIndex == AValue) return;
  FImageIndex = AValue;
  Changed(TcxNavigatorChangeType::nctLayout, FVisible);
}

void TcxNavigatorButton::SetVisible(bool AValue) {
  FIsVisibleAssigned = true;
  if (FVisible == AValue) return;
  FVisible = AValue;
  Changed(TcxNavigatorChangeType::nctSize, true);
}

void TcxNavigatorButton::SetOnClick(const rtl::TNotifyEvent& AValue) {
  if (FOnClick == AValue) return;
  FOnClick = AValue;
  Changed(TcxNavigatorChangeType::nctProperties, false);
}

void TcxNavigatorButton::DoClick() {
  if (FOnClick) {
    FOnClick(this);
    return;
  }
  bool done = false;
  if (FButtons->OnButtonClick()) FButtons->OnButtonClick()(FButtons, FDefaultIndex, done);
  if (!done) FButtons->DoButtonClick(FDefaultIndex);
}

bool TcxNavigatorButton::GetInternalEnabled() const { return FEnabled && FButtons->GetButtonEnabled(FDefaultIndex); }

String TcxNavigatorButton::GetInternalHint() const {
  return !FHint.empty() ? FHint : FButtons->GetButtonHint(FDefaultIndex);
}

bool TcxNavigatorButton::IsUserImageListUsed() const { return FButtons->Images() != nullptr && FImageIndex >= 0; }

ui::TCustomImageList* TcxNavigatorButton::GetInternalImages() const {
  return IsUserImageListUsed() ? FButtons->Images() : NavigatorImages();
}

int TcxNavigatorButton::GetInternalImageIndex() const {
  return IsUserImageListUsed() || IsCustomButton() ? FImageIndex : FDefaultIndex;
}

bool TcxNavigatorButton::HasImage() const { return !IsCustomButton() || IsUserImageListUsed(); }

TSize TcxNavigatorButton::GetImageSize() const {
  if (!IsUserImageListUsed() && FButtons->Navigator() != nullptr) {
    lookandfeel::TcxLookAndFeel* lookAndFeel = FButtons->Navigator()->GetNavigatorLookAndFeel();
    if (lookAndFeel != nullptr && lookAndFeel->SkinPainter() != nullptr)
      return lookAndFeel->SkinPainter()->NavigatorButtonGlyphSize();
  }
  ui::TCustomImageList* images = GetInternalImages();
  return TSize{images->Width(), images->Height()};
}

// --- custom buttons ----------------------------------------------------------------------------
namespace {
TcxCustomNavigatorButtons* ownerButtons(rtl::TCollection* ACollection) {
  auto* buttons = dynamic_cast<TcxNavigatorCustomButtons*>(ACollection);
  return buttons != nullptr ? buttons->Buttons() : nullptr;
}
}  // namespace

// Joins its collection only once its button exists: joining reports the
// change, and the button list is rebuilt from the buttons then.
TcxNavigatorCustomButton::TcxNavigatorCustomButton(rtl::TCollection* ACollection)
    : rtl::TCollectionItem(nullptr),
      FButton(std::make_unique<TcxNavigatorButton>(ownerButtons(ACollection), true)) {
  if (ACollection != nullptr) SetCollection(ACollection);
}

TcxNavigatorCustomButton::~TcxNavigatorCustomButton() = default;

void TcxNavigatorCustomButton::Assign(rtl::TPersistent* ASource) {
  if (auto* source = dynamic_cast<TcxNavigatorCustomButton*>(ASource)) {
    FButton->Assign(source->Button());
    return;
  }
  rtl::TCollectionItem::Assign(ASource);
}

TcxNavigatorCustomButtons::TcxNavigatorCustomButtons(TcxCustomNavigatorButtons* AOwner)
    : rtl::TOwnedCollection(AOwner, rtl::ClassRef<rtl::TCollectionItem>::of<TcxNavigatorCustomButton>()),
      FButtons(AOwner) {}

void TcxNavigatorCustomButtons::Update(rtl::TCollectionItem*) {
  if (FButtons != nullptr) FButtons->CustomButtonsChanged();
}

// --- the button set ----------------------------------------------------------------------------
TcxCustomNavigatorButtons::TcxCustomNavigatorButtons(IcxNavigatorOwner* ANavigator)
    : TcxNavigatorChildComponent(ANavigator), FCustomButtons(std::make_unique<TcxNavigatorCustomButtons>(this)) {
  CreateButtons();
}

TcxCustomNavigatorButtons::~TcxCustomNavigatorButtons() {
  // The collection's items leave the list as they go; nothing reports then.
  FButtons.clear();
  FCustomButtons.reset();
  DestroyButtons();
}

void TcxCustomNavigatorButtons::CreateButtons() {
  for (int i = 0; i < NavigatorButtonCount; ++i) {
    FStandardButtons[static_cast<size_t>(i)] = std::make_unique<TcxNavigatorButton>(this, IsButtonVisibleByDefault(i));
    FStandardButtons[static_cast<size_t>(i)]->SetDefaultIndex(i);
    FButtons.push_back(FStandardButtons[static_cast<size_t>(i)].get());
  }
}

void TcxCustomNavigatorButtons::DestroyButtons() {
  FButtons.clear();
  for (auto& button : FStandardButtons) button.reset();
}

bool TcxCustomNavigatorButtons::GetButtonEnabled(int) { return IsNavigatorEnabled(); }

String TcxCustomNavigatorButtons::GetButtonHint(int ADefaultIndex) {
  if (ADefaultIndex < 0 || ADefaultIndex >= NavigatorButtonCount) return String();
  return navigatorText(*kButtonHints[ADefaultIndex]);
}

void TcxCustomNavigatorButtons::CustomButtonsChanged() {
  if (FCustomButtons == nullptr) return;
  FButtons.resize(NavigatorButtonCount);
  for (int i = 0; i < FCustomButtons->Count(); ++i) {
    TcxNavigatorButton* button = FCustomButtons->Items(i)->Button();
    button->SetDefaultIndex(static_cast<int>(FButtons.size()));
    FButtons.push_back(button);
  }
  Changed(TcxNavigatorChangeType::nctLayout, true);
}

void TcxCustomNavigatorButtons::ImageListChanged() { Changed(TcxNavigatorChangeType::nctProperties, true); }

void TcxCustomNavigatorButtons::SetConfirmDelete(bool AValue) {
  if (FConfirmDelete == AValue) return;
  FConfirmDelete = AValue;
  Changed(TcxNavigatorChangeType::nctProperties, false);
}

void TcxCustomNavigatorButtons::SetImages(ui::TCustomImageList* AValue) {
  if (FImages == AValue) return;
  FImages = AValue;
  Changed(TcxNavigatorChangeType::nctLayout, false);
}

void TcxCustomNavigatorButtons::SetOnButtonClick(const TcxNavigatorButtonClickEvent& AValue) {
  if (FOnButtonClick == AValue) return;
  FOnButtonClick = AValue;
  Changed(TcxNavigatorChangeType::nctProperties, false);
}

void TcxCustomNavigatorButtons::Assign(rtl::TPersistent* ASource) {
  auto* source = dynamic_cast<TcxCustomNavigatorButtons*>(ASource);
  if (source == nullptr) {
    TcxNavigatorChildComponent::Assign(ASource);
    return;
  }
  for (int i = 0; i < NavigatorButtonCount; ++i) StandardButton(i)->Assign(source->StandardButton(i));
  FCustomButtons->Assign(source->CustomButtons());
  SetConfirmDelete(source->ConfirmDelete());
  SetImages(source->Images());
  SetOnButtonClick(source->OnButtonClick());
}

// --- the host-bound button set -----------------------------------------------------------------
bool TcxNavigatorControlButtons::GetButtonEnabled(int ADefaultIndex) {
  IcxNavigator* navigator = GetNavigator();
  if (navigator == nullptr || !IsNavigatorEnabled()) return false;
  const bool active = ADefaultIndex == NBDI_FILTER || navigator->IsActive();
  if (!active) return false;
  switch (ADefaultIndex) {
    case NBDI_FIRST:
    case NBDI_PRIORPAGE:
    case NBDI_PRIOR: return !navigator->IsBof();
    case NBDI_NEXT:
    case NBDI_NEXTPAGE:
    case NBDI_LAST: return !navigator->IsEof();
    case NBDI_INSERT: return navigator->CanInsert();
    case NBDI_APPEND: return navigator->CanAppend();
    case NBDI_DELETE: return navigator->CanDelete();
    case NBDI_EDIT: return navigator->CanEdit() && !navigator->IsEditing();
    case NBDI_POST:
    case NBDI_CANCEL: return navigator->IsEditing();
    case NBDI_GOTOBOOKMARK: return navigator->IsBookmarkAvailable();
    default: return true;
  }
}

void TcxNavigatorControlButtons::DoButtonClick(int ADefaultIndex) {
  if (IcxNavigator* navigator = GetNavigator()) {
    if (ADefaultIndex == NBDI_DELETE && FConfirmDelete) {
      if (ui::MessageDlg(navigatorText(cxNavigator_DeleteRecordQuestion), ui::TMsgDlgType::mtConfirmation,
                         {ui::mbOK, ui::mbCancel}) == ui::mrOk)
        navigator->DoAction(ADefaultIndex);
    } else {
      navigator->DoAction(ADefaultIndex);
    }
  }
  if (FNavigator != nullptr) FNavigator->NavigatorStateChanged();
}

void TcxNavigatorControlButtons::ReleaseBookmark() {
  IcxNavigator* navigator = GetNavigator();
  if (navigator != nullptr && navigator->IsBookmarkAvailable()) navigator->ClearBookmark();
}

// --- the info panel ----------------------------------------------------------------------------
String cxGetNavigatorFormatString(const String& ADisplayMask, bool& AIsNeedRecordIndex, bool& AIsNeedRecordCount) {
  String result = rtl::StringReplace(ADisplayMask, u"%", u"%%", {rtl::TReplaceFlag::rfReplaceAll});
  const rtl::TReplaceFlags all = {rtl::TReplaceFlag::rfReplaceAll, rtl::TReplaceFlag::rfIgnoreCase};
  AIsNeedRecordIndex = result.find(u"[RecordIndex]") != String::npos;
  if (AIsNeedRecordIndex) result = rtl::StringReplace(result, u"[RecordIndex]", u"%0:s", all);
  AIsNeedRecordCount = result.find(u"[RecordCount]") != String::npos;
  if (AIsNeedRecordCount) result = rtl::StringReplace(result, u"[RecordCount]", u"%1:s", all);
  return result;
}

TcxCustomNavigatorInfoPanel::TcxCustomNavigatorInfoPanel(IcxNavigatorOwner* ANavigator)
    : TcxNavigatorChildComponent(ANavigator), FDisplayMask(navigatorText(cxNavigatorInfoPanelDefaultDisplayMask)) {
  FFormatString = cxGetNavigatorFormatString(FDisplayMask, FIsNeedRecordIndex, FIsNeedRecordCount);
}

void TcxCustomNavigatorInfoPanel::Assign(rtl::TPersistent* ASource) {
  auto* source = dynamic_cast<TcxCustomNavigatorInfoPanel*>(ASource);
  if (source == nullptr) {
    TcxNavigatorChildComponent::Assign(ASource);
    return;
  }
  SetDisplayMask(source->DisplayMask());
  SetVisible(source->Visible());
  SetWidth(source->Width());
  SetOnClick(source->OnClick());
}

void TcxCustomNavigatorInfoPanel::DoClick(ui::TMouseButton AButton) {
  if (FOnClick) FOnClick(this, AButton);
}

bool TcxCustomNavigatorInfoPanel::IsDisplayMaskStored() const {
  return FDisplayMask != navigatorText(cxNavigatorInfoPanelDefaultDisplayMask);
}

void TcxCustomNavigatorInfoPanel::SetDisplayMask(const String& AValue) {
  if (FDisplayMask == AValue) return;
  FDisplayMask = AValue;
  FFormatString = cxGetNavigatorFormatString(FDisplayMask, FIsNeedRecordIndex, FIsNeedRecordCount);
  Changed(TcxNavigatorChangeType::nctSize, true);
}

void TcxCustomNavigatorInfoPanel::SetVisible(bool AValue) {
  if (FVisible == AValue) return;
  FVisible = AValue;
  Changed(TcxNavigatorChangeType::nctSize, true);
}

void TcxCustomNavigatorInfoPanel::SetWidth(int AValue) {
  if (FWidth == AValue) return;
  FWidth = AValue;
  Changed(TcxNavigatorChangeType::nctSize, true);
}

String TcxCustomNavigatorInfoPanel::GetFormattedText() {
  IcxNavigatorRecordPosition* position = GetIRecordPosition();
  if (position == nullptr) return String();
  // Ask the host only for what the mask shows: counting may be costly.
  const String index = FIsNeedRecordIndex ? rtl::IntToStr(position->GetRecordIndex() + 1) : String();
  const String count = FIsNeedRecordCount ? rtl::IntToStr(position->GetRecordCount()) : String();
  return rtl::Format(FFormatString, {index, count});
}

// --- the notifier ------------------------------------------------------------------------------
void TcxNavigatorControlNotifier::AddNavigator(IcxNavigatorOwner* ANavigator) { FList.push_back(ANavigator); }

void TcxNavigatorControlNotifier::RemoveNavigator(IcxNavigatorOwner* ANavigator) {
  std::erase(FList, ANavigator);
}

void TcxNavigatorControlNotifier::RefreshNavigatorButtons() {
  // A navigator may leave the list while it refreshes.
  const std::vector<IcxNavigatorOwner*> list = FList;
  for (IcxNavigatorOwner* navigator : list) navigator->RefreshNavigator();
}

// --- glyphs ------------------------------------------------------------------------------------
ui::TCustomImageList* NavigatorImages() {
  auto& images = navigatorImages();
  if (!images) {
    images = std::make_unique<core::TcxImageList>(11, 11);
    images->LoadImage(0, u"CXNAVIGATORBUTTONS", ui::clDefault);
  }
  return images.get();
}

void cxNavigatorUnitStop() { navigatorImages().reset(); }

}  // namespace data

#include "lib/lookandfeel/cxStyles.h"

#include <algorithm>

#include "lib/core/dxCore.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace lookandfeel {

namespace {

template <class T>
void eraseValue(std::vector<T>& list, T value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it != list.end()) list.erase(it);
}

template <class T>
bool contains(const std::vector<T>& list, T value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// The top of the owner chain of a persistent.
TPersistent* topOwner(TPersistent* p) {
  while (p && p->GetOwner()) p = p->GetOwner();
  return p;
}

const rtl::EnumInfo& StyleValueNames() {
  static const rtl::EnumInfo info{u"TcxStyleValue",
                                  {u"svBitmap", u"svColor", u"svFont", u"svTextColor"}};
  return info;
}

// Form files name the style class when they are read back.
[[maybe_unused]] const bool kStyleRegistered = [] {
  rtl::RegisterClass(TcxStyle::classInfo());
  return true;
}();

}  // namespace

// ===========================================================================
// TcxCustomStyle
// ===========================================================================

TcxCustomStyle::~TcxCustomStyle() { detach(); }

void TcxCustomStyle::BeforeDestruction() {
  detach();
  TComponent::BeforeDestruction();
}

void TcxCustomStyle::detach() {
  if (FDetached) return;
  FDetached = true;
  // Each listener deletes its entries holding this style and so leaves the list.
  while (!FListeners.empty()) {
    IcxStyleChangeListener* last = FListeners.back();
    last->StyleRemoved(this);
    eraseValue(FListeners, last);  // a listener that did not leave is dropped anyway
  }
  SetStyleRepository(nullptr);
}

void TcxCustomStyle::Changed() {
  // Last to first: a listener that leaves while told does not skip another.
  for (size_t i = FListeners.size(); i > 0; --i) {
    if (i - 1 < FListeners.size()) FListeners[i - 1]->StyleChanged(this);
  }
}

void TcxCustomStyle::AddListener(IcxStyleChangeListener* AListener) {
  if (AListener && !contains(FListeners, AListener)) FListeners.push_back(AListener);
}

void TcxCustomStyle::RemoveListener(IcxStyleChangeListener* AListener) {
  eraseValue(FListeners, AListener);
}

void TcxCustomStyle::SetStyleRepository(TcxStyleRepository* Value) {
  if (FStyleRepository == Value) return;
  if (FStyleRepository) FStyleRepository->RemoveItem(this);
  FStyleRepository = Value;
  if (FStyleRepository) FStyleRepository->AddItem(this);
}

TComponent* TcxCustomStyle::GetParentComponent() const { return FStyleRepository; }

void TcxCustomStyle::SetParentComponent(TComponent* Value) {
  if (ComponentState().contains(rtl::TComponentStateItem::csLoading)) return;
  SetStyleRepository(rtl::As<TcxStyleRepository>(Value));
}

void TcxCustomStyle::ReadState(rtl::TReader* Reader) {
  if (auto* repository = dynamic_cast<TcxStyleRepository*>(Reader->Parent()))
    SetStyleRepository(repository);
  TComponent::ReadState(Reader);
}

// ===========================================================================
// TcxStyle
// ===========================================================================

TcxStyle::TcxStyle(TComponent* AOwner)
    : TcxCustomStyle(AOwner),
      FBitmap(std::make_unique<ui::TBitmap>()),
      FFont(std::make_unique<ui::TFont>()) {
  FBitmap->SetOnChange(rtl::TNotifyEvent::bind<&TcxStyle::BitmapChanged>(this));
  FFont->SetOnChange(rtl::TNotifyEvent::bind<&TcxStyle::FontChanged>(this));
}

TcxStyle::~TcxStyle() {
  FBitmap->SetOnChange(nullptr);
  FFont->SetOnChange(nullptr);
}

void TcxStyle::Published(rtl::PropTable<TcxStyle>& p) {
  p.SetOf("AssignedValues", &TcxStyle::AssignedValues, &TcxStyle::SetAssignedValues,
          StyleValueNames())
      .Default(TcxStyleValues{});
  p.Object("Bitmap", &TcxStyle::Bitmap, &TcxStyle::SetBitmap).Stored(&TcxStyle::IsBitmapStored);
  p.Int("Color", &TcxStyle::Color, &TcxStyle::SetColor).Stored(&TcxStyle::IsColorStored);
  p.Object("Font", &TcxStyle::Font, &TcxStyle::SetFont).Stored(&TcxStyle::IsFontStored);
  p.Int("TextColor", &TcxStyle::TextColor, &TcxStyle::SetTextColor)
      .Stored(&TcxStyle::IsTextColorStored);
}

void TcxStyle::Changed() {
  if (FLockCount == 0) TcxCustomStyle::Changed();
}

void TcxStyle::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxStyle*>(Source);
  if (!source) {
    TcxCustomStyle::Assign(Source);
    return;
  }
  {
    ++FLockCount;
    rtl::ScopeExit unlock([this] { --FLockCount; });
    SetBitmap(source->Bitmap());
    SetColor(source->Color());
    SetFont(source->Font());
    SetTextColor(source->TextColor());
  }
  // The setters set flags of their own; the source's set is what counts.
  FAssignedValues = source->AssignedValues();
  Changed();
}

void TcxStyle::SetAssignedValues(TcxStyleValues Value) {
  if (FAssignedValues == Value) return;
  FAssignedValues = Value;
  Changed();
}

void TcxStyle::SetBitmap(ui::TBitmap* Value) {
  if (Value) {
    FBitmap->Assign(Value);
  } else {
    FBitmap->SetSize(0, 0);
  }
}

void TcxStyle::SetFont(ui::TFont* Value) {
  if (Value) FFont->Assign(Value);
}

void TcxStyle::setColorValue(TColor& field, TColor value, TcxStyleValue flag) {
  if (field == value) return;
  field = value;
  if (value == ui::clDefault)
    FAssignedValues.Exclude(flag);
  else
    FAssignedValues.Include(flag);
  Changed();
}

void TcxStyle::SetColor(TColor Value) { setColorValue(FColor, Value, svColor); }
void TcxStyle::SetTextColor(TColor Value) { setColorValue(FTextColor, Value, svTextColor); }

void TcxStyle::BitmapChanged(TObject*) {
  if (FBitmap->Empty())
    FAssignedValues.Exclude(svBitmap);
  else
    FAssignedValues.Include(svBitmap);
  Changed();
}

void TcxStyle::FontChanged(TObject*) {
  FAssignedValues.Include(svFont);
  Changed();
}

void TcxStyle::RestoreDefaults() {
  {
    ++FLockCount;
    rtl::ScopeExit unlock([this] { --FLockCount; });
    FBitmap->SetSize(0, 0);
    FColor = ui::clDefault;
    FTextColor = ui::clDefault;
    FAssignedValues = {};
  }
  Changed();
}

void TcxStyle::ChangeScale(int M, int D) {
  if (FAssignedValues.contains(svFont)) FFont->SetHeight(rtl::MulDiv(FFont->Height(), M, D));
}

bool UseStyle(const TcxStyle* AStyle, TcxStyleValue AValue) {
  return AStyle && AStyle->AssignedValues().contains(AValue);
}

// ===========================================================================
// TcxCustomStyles
// ===========================================================================

TcxCustomStyles::~TcxCustomStyles() {
  FDestroying = true;
  Clear();
  SetStyleSheet(nullptr);
}

void TcxCustomStyles::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomStyles*>(Source)) {
    SetStyleSheet(source->StyleSheet());
    return;
  }
  core::TcxInterfacedPersistent::Assign(Source);
}

const TcxCustomStylesItem& TcxCustomStyles::GetItem(int Position) const {
  return FItems.at(static_cast<size_t>(Position));
}

bool TcxCustomStyles::Find(int Index, int& Position) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), Index,
                             [](const TcxCustomStylesItem& e, int i) { return e.Index < i; });
  Position = static_cast<int>(it - FItems.begin());
  return it != FItems.end() && it->Index == Index;
}

TcxCustomStyle* TcxCustomStyles::GetValue(int Index) const {
  int position;
  if (Find(Index, position)) return FItems[static_cast<size_t>(position)].Item;
  if (!FStyleSheet) return nullptr;
  // While the owner is written, sheet styles must not be stored as its own.
  if (auto* owner = dynamic_cast<TComponent*>(GetOwner());
      owner && owner->ComponentState().contains(rtl::TComponentStateItem::csWriting))
    return nullptr;
  return FStyleSheet->GetStyles()->GetValue(Index);
}

void TcxCustomStyles::SetValue(int Index, TcxCustomStyle* Style) {
  if (Style && !Style->Name().empty()) {
    // A style of an ancestor form is replaced by the inherited form's copy of
    // the same name; a same-named component that is no style is not one.
    auto* top = dynamic_cast<TComponent*>(topOwner(GetOwner()));
    TComponent* styleOwner = Style->Owner();
    if (top && styleOwner && top != styleOwner && top->InheritsFrom(styleOwner->ClassType())) {
      if (auto* found = dynamic_cast<TcxCustomStyle*>(top->FindComponent(Style->Name())))
        Style = found;
    }
  }
  if (Style == GetValue(Index)) return;
  int position;
  if (Find(Index, position)) {
    auto& entry = FItems[static_cast<size_t>(position)];
    entry.Item->RemoveListener(this);
    if (Style) {
      entry.Item = Style;
      Style->AddListener(this);
    } else {
      FItems.erase(FItems.begin() + position);
    }
    DoChanged(Index);
  } else if (Style) {
    FItems.insert(FItems.begin() + position, TcxCustomStylesItem{Index, Style});
    Style->AddListener(this);
    DoChanged(Index);
  }
}

void TcxCustomStyles::Delete(int Position) {
  const TcxCustomStylesItem entry = GetItem(Position);
  entry.Item->RemoveListener(this);
  FItems.erase(FItems.begin() + Position);
  DoChanged(entry.Index);
}

void TcxCustomStyles::Clear() {
  for (int i = GetCount() - 1; i >= 0; --i) Delete(i);
}

void TcxCustomStyles::StyleChanged(TcxCustomStyle* AStyle) {
  std::vector<int> indexes;
  for (const auto& e : FItems)
    if (e.Item == AStyle) indexes.push_back(e.Index);
  for (int index : indexes) DoChanged(index);
}

void TcxCustomStyles::StyleRemoved(TcxCustomStyle* AStyle) {
  for (int i = GetCount() - 1; i >= 0; --i)
    if (i < GetCount() && FItems[static_cast<size_t>(i)].Item == AStyle) Delete(i);
}

void TcxCustomStyles::DoChanged(int Index) {
  if (FDestroying) return;
  Changed(Index);
  if (FOwnerStyleSheet) FOwnerStyleSheet->DoStyleChanged(Index);
}

void TcxCustomStyles::collectSheetIndexes(TcxCustomStyleSheet* Sheet,
                                          std::vector<int>& Indexes) const {
  // A cycle cannot be set, but a bounded walk costs nothing.
  std::vector<TcxCustomStyleSheet*> seen;
  while (Sheet && !contains(seen, Sheet)) {
    seen.push_back(Sheet);
    TcxCustomStyles* styles = Sheet->GetStyles();
    for (int i = 0; i < styles->GetCount(); ++i) {
      const int index = styles->GetItem(i).Index;
      if (!contains(Indexes, index)) Indexes.push_back(index);
    }
    Sheet = styles->StyleSheet();
  }
}

void TcxCustomStyles::SetStyleSheet(TcxCustomStyleSheet* Value) {
  if (Value == FStyleSheet || !IsValidStyleSheet(Value)) return;
  std::vector<int> indexes;
  if (!FDestroying) collectSheetIndexes(FStyleSheet, indexes);
  collectSheetIndexes(Value, indexes);
  if (FStyleSheet) FStyleSheet->RemoveStyles(this);
  FStyleSheet = Value;
  if (FStyleSheet) FStyleSheet->AddStyles(this);
  for (int index : indexes) DoChanged(index);
}

bool TcxCustomStyles::IsValidStyleSheet(TcxCustomStyleSheet* Value) const {
  if (!Value) return true;
  if (Value == FOwnerStyleSheet) return false;
  if (&Value->GetStylesClass() != ClassType()) return false;
  if (FOwnerStyleSheet) {
    std::vector<TcxCustomStyleSheet*> seen;
    for (TcxCustomStyleSheet* sheet = Value; sheet && !contains(seen, sheet);
         sheet = sheet->GetStyles()->StyleSheet()) {
      if (sheet == FOwnerStyleSheet) return false;
      seen.push_back(sheet);
    }
  }
  return true;
}

// ===========================================================================
// TcxStyles
// ===========================================================================

TcxStyle* TcxStyles::GetStyle(int Index) const { return dynamic_cast<TcxStyle*>(GetValue(Index)); }

ui::TBitmap* TcxStyles::GetBitmap(int Index) const {
  TcxStyle* style = GetStyle(Index);
  if (UseStyle(style, svBitmap) && !style->Bitmap()->Empty()) return style->Bitmap();
  return nullptr;
}

void TcxStyles::GetViewParams(int Index, void* AData, TcxViewParams& AParams, TcxStyle* AStyle) {
  TcxStyle* indexed = GetStyle(Index);
  auto pick = [&](TcxStyleValue value) -> TcxStyle* {
    if (UseStyle(AStyle, value)) return AStyle;
    if (UseStyle(indexed, value)) return indexed;
    return nullptr;
  };
  AParams = TcxViewParams{};
  if (BitmapInViewParams)
    if (TcxStyle* s = pick(svBitmap)) AParams.Bitmap = s->Bitmap();
  if (TcxStyle* s = pick(svColor)) AParams.Color = s->Color();
  if (TcxStyle* s = pick(svFont)) AParams.Font = s->Font();
  if (TcxStyle* s = pick(svTextColor)) AParams.TextColor = s->TextColor();

  const bool open = (BitmapInViewParams && !AParams.Bitmap) || AParams.Color == ui::clDefault ||
                    !AParams.Font || AParams.TextColor == ui::clDefault;
  if (!open) return;
  TcxViewParams defaults;
  GetDefaultViewParams(Index, AData, defaults);
  if (!AParams.Bitmap) AParams.Bitmap = defaults.Bitmap;
  if (AParams.Color == ui::clDefault) AParams.Color = defaults.Color;
  if (!AParams.Font) AParams.Font = defaults.Font;
  if (AParams.TextColor == ui::clDefault) AParams.TextColor = defaults.TextColor;
}

void TcxStyles::GetDefaultViewParams(int Index, void*, TcxViewParams& AParams) {
  AParams = TcxViewParams{};
  FMaxDefaultViewParamsIndex = std::max(FMaxDefaultViewParamsIndex, Index);
}

bool TcxStyles::IsDefaultFont(int Index) const { return !UseStyle(GetStyle(Index), svFont); }

void TcxStyles::DefaultFontChanged(TObject*, ui::TFont* AFont) {
  for (int index = 0; index <= FMaxDefaultViewParamsIndex; ++index) {
    if (!IsDefaultFont(index)) continue;
    TcxViewParams defaults;
    GetDefaultViewParams(index, nullptr, defaults);
    if (defaults.Font == AFont) DoChanged(index);
  }
}

// ===========================================================================
// TcxCustomStyleSheet
// ===========================================================================

TcxCustomStyleSheet::TcxCustomStyleSheet(TComponent* AOwner) : core::TcxComponent(AOwner) {
  FBuiltIn = ComponentState().contains(rtl::TComponentStateItem::csDesigning) ||
             (AOwner && AOwner->ComponentState().contains(rtl::TComponentStateItem::csDesigning));
}

TcxCustomStyleSheet::~TcxCustomStyleSheet() { detach(); }

void TcxCustomStyleSheet::Published(rtl::PropTable<TcxCustomStyleSheet>& p) {
  p.Str("Caption", &TcxCustomStyleSheet::GetCaption, &TcxCustomStyleSheet::SetCaption)
      .Stored(&TcxCustomStyleSheet::IsCaptionStored);
  p.Object("Styles", &TcxCustomStyleSheet::GetStyles, &TcxCustomStyleSheet::SetStyles);
}

void TcxCustomStyleSheet::AfterConstruction() {
  core::TcxComponent::AfterConstruction();
  GetStyles();  // the styles class is virtual, so it is known only now
}

void TcxCustomStyleSheet::BeforeDestruction() {
  detach();
  core::TcxComponent::BeforeDestruction();
}

void TcxCustomStyleSheet::detach() {
  if (FDetached) return;
  FDetached = true;
  while (!FStylesList.empty()) {
    TcxCustomStyles* user = FStylesList.back();
    user->SetStyleSheet(nullptr);
    eraseValue(FStylesList, user);
  }
  SetStyleRepository(nullptr);
  FStyles.reset();
}

TcxCustomStyles* TcxCustomStyleSheet::GetStyles() {
  if (!FStyles && !FDetached) {
    const rtl::ClassInfo& cls = GetStylesClass();
    rtl::ClassRef<TcxCustomStyles> ref(cls);
    FStyles.reset(ref.Create(this));
    FStyles->FOwnerStyleSheet = this;
  }
  return FStyles.get();
}

void TcxCustomStyleSheet::SetStyles(TcxCustomStyles* Value) { GetStyles()->Assign(Value); }

void TcxCustomStyleSheet::AddStyles(TcxCustomStyles* AStyles) {
  if (!contains(FStylesList, AStyles)) FStylesList.push_back(AStyles);
}

void TcxCustomStyleSheet::RemoveStyles(TcxCustomStyles* AStyles) { eraseValue(FStylesList, AStyles); }

rtl::String TcxCustomStyleSheet::GetCaption() const { return FCaption.empty() ? Name() : FCaption; }

void TcxCustomStyleSheet::SetCaption(const rtl::String& Value) {
  if (FCaption == Value) return;
  if (rtl::SameText(Value, Name()))
    FCaption.clear();
  else
    FCaption = Value;
}

void TcxCustomStyleSheet::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomStyleSheet*>(Source)) {
    SetCaption(source->GetCaption());
    SetStyles(source->GetStyles());
    return;
  }
  core::TcxComponent::Assign(Source);
}

void TcxCustomStyleSheet::DoStyleChanged(int Index) {
  const std::vector<TcxCustomStyles*> users = FStylesList;  // a user may leave while told
  for (TcxCustomStyles* user : users)
    if (contains(FStylesList, user)) user->DoChanged(Index);
}

void TcxCustomStyleSheet::SetStyleRepository(TcxStyleRepository* Value) {
  if (FStyleRepository == Value) return;
  if (FStyleRepository) FStyleRepository->RemoveStyleSheet(this);
  FStyleRepository = Value;
  if (FStyleRepository) FStyleRepository->AddStyleSheet(this);
}

TComponent* TcxCustomStyleSheet::GetParentComponent() const { return FStyleRepository; }

void TcxCustomStyleSheet::SetParentComponent(TComponent* Value) {
  if (ComponentState().contains(rtl::TComponentStateItem::csLoading)) return;
  SetStyleRepository(rtl::As<TcxStyleRepository>(Value));
}

void TcxCustomStyleSheet::ReadState(rtl::TReader* Reader) {
  if (auto* repository = dynamic_cast<TcxStyleRepository*>(Reader->Parent()))
    SetStyleRepository(repository);
  core::TcxComponent::ReadState(Reader);
}

void TcxCustomStyleSheet::GetFakeComponentLinks(std::vector<TComponent*>& AList) {
  if (!Owner()) return;
  for (TcxCustomStyles* user : FStylesList) {
    auto* owner = dynamic_cast<TComponent*>(user->GetOwner());
    if (owner && owner != Owner() && !contains(AList, owner)) AList.push_back(owner);
  }
}

void TcxCustomStyleSheet::DefineProperties(rtl::TFiler* Filer) {
  core::TcxComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      u"BuiltIn", [this](rtl::TReader* reader) { FBuiltIn = reader->ReadBoolean(); },
      [this](rtl::TWriter* writer) { writer->WriteBoolean(FBuiltIn); }, true);
}

// ===========================================================================
// TcxStyleRepository
// ===========================================================================

TcxStyleRepository::TcxStyleRepository(TComponent* AOwner) : core::TcxScalableComponent(AOwner) {
  // Styles keep their sizes when a form made at another resolution loads.
  SetScalable(false);
}

TcxStyleRepository::~TcxStyleRepository() {
  Clear();
  ClearStyleSheets();
}

void TcxStyleRepository::ChangeScale(int M, int D) {
  core::TcxScalableComponent::ChangeScale(M, D);
  for (TcxCustomStyle* style : FItems) style->ChangeScale(M, D);
}

TcxCustomStyle* TcxStyleRepository::CreateItem(rtl::ClassRef<TcxCustomStyle> AStyleClass) {
  return CreateItemEx(AStyleClass, this);
}

TcxCustomStyle* TcxStyleRepository::CreateItemEx(rtl::ClassRef<TcxCustomStyle> AStyleClass,
                                                 TComponent* AOwner) {
  TcxCustomStyle* style = AStyleClass.Create(AOwner);
  style->SetStyleRepository(this);
  return style;
}

TcxCustomStyleSheet* TcxStyleRepository::CreateStyleSheet(
    rtl::ClassRef<TcxCustomStyleSheet> ASheetClass) {
  return CreateStyleSheetEx(ASheetClass, this);
}

TcxCustomStyleSheet* TcxStyleRepository::CreateStyleSheetEx(
    rtl::ClassRef<TcxCustomStyleSheet> ASheetClass, TComponent* AOwner) {
  TcxCustomStyleSheet* sheet = ASheetClass.Create(AOwner);
  sheet->SetStyleRepository(this);
  return sheet;
}

void TcxStyleRepository::AddItem(TcxCustomStyle* AItem) {
  if (!contains(FItems, AItem)) FItems.push_back(AItem);
}

void TcxStyleRepository::RemoveItem(TcxCustomStyle* AItem) { eraseValue(FItems, AItem); }

void TcxStyleRepository::AddStyleSheet(TcxCustomStyleSheet* ASheet) {
  if (!contains(FStyleSheets, ASheet)) FStyleSheets.push_back(ASheet);
}

void TcxStyleRepository::RemoveStyleSheet(TcxCustomStyleSheet* ASheet) {
  eraseValue(FStyleSheets, ASheet);
}

void TcxStyleRepository::GetChildren(rtl::TGetChildProc Proc, TComponent* Root) {
  for (TcxCustomStyle* style : FItems)
    if (style->Owner() == Root) Proc(style);
  for (TcxCustomStyleSheet* sheet : FStyleSheets)
    if (sheet->Owner() == Root) Proc(sheet);
}

void TcxStyleRepository::Clear() {
  while (!FItems.empty()) {
    TcxCustomStyle* style = FItems.back();
    style->Free();  // leaves FItems on its way out
    eraseValue(FItems, style);
  }
}

void TcxStyleRepository::ClearStyleSheets() {
  while (!FStyleSheets.empty()) {
    TcxCustomStyleSheet* sheet = FStyleSheets.back();
    sheet->Free();
    eraseValue(FStyleSheets, sheet);
  }
}

// ===========================================================================
// style-sheet classes
// ===========================================================================

namespace {

std::unique_ptr<core::TcxRegisteredClasses>& styleSheetClassesInstance() {
  static std::unique_ptr<core::TcxRegisteredClasses> instance;
  return instance;
}

// The list, made (and its stop listed with the units loader) on first use.
core::TcxRegisteredClasses& styleSheetClasses() {
  auto& instance = styleSheetClassesInstance();
  if (!instance) {
    instance = std::make_unique<core::TcxRegisteredClasses>();
    // Listed once: a stop frees the list, and the same stop serves a new one.
    [[maybe_unused]] static const bool listed = [] {
      core::dxUnitsLoader()->AddUnit(nullptr, &cxStylesUnitStop);
      return true;
    }();
  }
  return *instance;
}

}  // namespace

void cxRegisterStyleSheetClass(rtl::ClassRef<TcxCustomStyleSheet> AStyleSheetClass) {
  if (!AStyleSheetClass) return;
  styleSheetClasses().Register(AStyleSheetClass.get(), AStyleSheetClass->ClassName());
}

void cxUnregisterStyleSheetClass(rtl::ClassRef<TcxCustomStyleSheet> AStyleSheetClass) {
  // Nothing to take out of a list that was never made (or already freed).
  if (auto& instance = styleSheetClassesInstance()) instance->Unregister(AStyleSheetClass.get());
}

rtl::ClassRef<TcxCustomStyleSheet> cxFindStyleSheetClass(const rtl::String& AClassName) {
  const auto& instance = styleSheetClassesInstance();
  if (!instance) return nullptr;
  const rtl::TClass found = instance->FindByClassName(AClassName);
  return found ? rtl::ClassRef<TcxCustomStyleSheet>(*found) : nullptr;
}

int cxStyleSheetClassCount() {
  const auto& instance = styleSheetClassesInstance();
  return instance ? instance->Count() : 0;
}

rtl::ClassRef<TcxCustomStyleSheet> cxStyleSheetClass(int AIndex) {
  const auto& instance = styleSheetClassesInstance();
  if (!instance) rtl::ListIndexError(AIndex);
  return rtl::ClassRef<TcxCustomStyleSheet>(*instance->Items(AIndex));
}

void cxStylesUnitStop() { styleSheetClassesInstance().reset(); }

}  // namespace lookandfeel

// Master-detail: relations, detail objects, pattern and clone controllers,
// detail expansion.
#include "lib/data/cxDataRelations.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "lib/core/dxCore.h"
#include "lib/data/cxDataStorage.h"
#include "lib/data/cxDataStrs.h"
#include "platform/rtl/scoped.h"

namespace data {

namespace {

[[noreturn]] void relationsRaiseRecordIndex() {
  TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&cxSDataRecordIndexError));
}

// Locks a relation list's notifications without reporting on release: the
// caller is inside an operation that reports (or must not report) itself.
class RelationsQuietLock {
 public:
  explicit RelationsQuietLock(TcxCustomDataRelationList* AList) : FList(AList) {
    if (FList) FList->BeginUpdateQuiet();
  }
  ~RelationsQuietLock() {
    if (FList) FList->EndUpdateQuiet();
  }
  RelationsQuietLock(const RelationsQuietLock&) = delete;
  RelationsQuietLock& operator=(const RelationsQuietLock&) = delete;

 private:
  TcxCustomDataRelationList* FList;
};

}  // namespace

void TcxDataRelationsDeleter::operator()(TcxCustomDataRelationList* AObject) const { delete AObject; }

// --- relation ------------------------------------------------------------------------------------
TcxCustomDataRelation::TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem)
    : FItem(AItem), FRelationList(ARelationList) {}

TcxCustomDataRelation::~TcxCustomDataRelation() {
  if (TcxCustomDataController* pattern = FDetailDataController) pattern->SetMasterMode(nullptr, pattern->IsPattern());
}

TcxCustomDataController* TcxCustomDataRelation::DataController() const {
  return FRelationList ? FRelationList->DataController() : nullptr;
}

int TcxCustomDataRelation::Index() const { return FRelationList ? FRelationList->IndexOf(this) : -1; }

void TcxCustomDataRelation::Changed() {
  if (FRelationList) FRelationList->Changed(this);
}

// --- relation list -------------------------------------------------------------------------------
TcxCustomDataRelationList::~TcxCustomDataRelationList() {
  FDestroying = true;
  // Last first; each relation lets its pattern controller go as it dies.
  while (!FItems.empty()) {
    std::unique_ptr<TcxCustomDataRelation> relation = std::move(FItems.back());
    FItems.pop_back();
  }
}

TcxCustomDataRelation* TcxCustomDataRelationList::Add(TObject* AItem) {
  std::unique_ptr<TcxCustomDataRelation> relation = FDataController->CreateRelation(this, AItem);
  TcxCustomDataRelation* result = relation.get();
  result->FRelationList = this;
  FItems.push_back(std::move(relation));
  Changed(result);
  return result;
}

void TcxCustomDataRelationList::Assign(TcxCustomDataRelationList* AList) {
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  Clear();
  if (AList == nullptr) return;
  for (int i = 0; i < AList->Count(); ++i) Add(AList->Items(i)->Item())->Assign(AList->Items(i));
}

void TcxCustomDataRelationList::Clear() {
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  while (!FItems.empty()) Remove(FItems.back().get());
}

void TcxCustomDataRelationList::Remove(TcxCustomDataRelation* ARelation) {
  const int index = IndexOf(ARelation);
  if (index < 0) return;
  FDataController->ClearDetailsMasterRelation(ARelation);
  std::unique_ptr<TcxCustomDataRelation> owned = std::move(FItems[static_cast<size_t>(index)]);
  FItems.erase(FItems.begin() + index);
  Changed(nullptr);
  // Dies out of the list: its pattern controller's farewell reaches no list.
  owned->FRelationList = nullptr;
}

void TcxCustomDataRelationList::Move(int AFromIndex, int AToIndex) {
  if (AFromIndex == AToIndex) return;
  if (AFromIndex < 0 || AFromIndex >= Count() || AToIndex < 0 || AToIndex >= Count()) return;
  std::unique_ptr<TcxCustomDataRelation> relation = std::move(FItems[static_cast<size_t>(AFromIndex)]);
  FItems.erase(FItems.begin() + AFromIndex);
  FItems.insert(FItems.begin() + AToIndex, std::move(relation));
  Changed(nullptr);
}

TcxCustomDataRelation* TcxCustomDataRelationList::FindByItem(const TObject* AItem) const {
  for (const auto& relation : FItems)
    if (relation->Item() == AItem) return relation.get();
  return nullptr;
}

int TcxCustomDataRelationList::IndexOf(const TcxCustomDataRelation* ARelation) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == ARelation) return static_cast<int>(i);
  return -1;
}

void TcxCustomDataRelationList::EndUpdate() {
  --FLockCount;
  Changed(nullptr);
}

void TcxCustomDataRelationList::Changed(TcxCustomDataRelation* ARelation) {
  if (FDestroying || FLockCount != 0 || FDataController->IsDestroying()) return;
  Update(ARelation);
}

void TcxCustomDataRelationList::Update(TcxCustomDataRelation* ARelation) {
  TcxCustomDataController* controller = FDataController;
  controller->BeginUpdate();
  rtl::ScopeExit end([controller] { controller->EndUpdate(); });
  if (FItems.empty()) {
    if (TcxCustomDataField* field = FDataField) {
      // The storage frees every record's detail object with the field.
      FDataField = nullptr;
      controller->Fields()->Remove(field);
    }
  } else if (FDataField != nullptr) {
    controller->ClearDetails();
  } else {
    TcxCustomDataField* field = controller->AddInternalField();
    field->SetValueTypeClass(TcxObjectValueType::Instance());
    FDataField = field;
  }
  controller->UpdateRelations(ARelation);
}

void TcxCustomDataRelationList::RemoveDataField(TcxCustomDataField* AField) {
  if (AField == FDataField) FDataField = nullptr;
  for (const auto& relation : FItems) relation->RemoveDataField(AField);
}

void TcxCustomDataRelationList::checkRecordIndex(int ARecordIndex) const {
  if (ARecordIndex < 0 || ARecordIndex >= FDataController->GetRecordCount()) relationsRaiseRecordIndex();
}

TcxDetailObject* TcxCustomDataRelationList::GetValueAsDetailObject(int ARecordIndex) const {
  checkRecordIndex(ARecordIndex);
  if (FDataField == nullptr || FDataField->GetValueDef() == nullptr) return nullptr;
  const Variant value = FDataController->DataStorage()->GetValue(ARecordIndex, FDataField->GetValueDef());
  if (rtl::VarIsNull(value) || rtl::VarIsEmpty(value)) return nullptr;
  // The whole 64-bit address: the storage keeps the object as a pointer.
  return static_cast<TcxDetailObject*>(TcxObjectValueType::ObjectOf(value));
}

void TcxCustomDataRelationList::storeDetailObject(int ARecordIndex, TcxDetailObject* AObject) {
  FDataController->DataStorage()->SetValue(ARecordIndex, FDataField->GetValueDef(),
                                           TcxObjectValueType::VarFromObject(AObject));
}

namespace {
TcxCustomDataRelationList* relationsOfPattern(TcxCustomDataController* AController) {
  TcxCustomDataController* pattern = AController->GetPatternDataController();
  return pattern ? pattern->RelationsIfCreated() : nullptr;
}
}  // namespace

TcxDetailObject* TcxCustomDataRelationList::GetDetailObject(int ARecordIndex) {
  if (FDataField == nullptr) return nullptr;
  TcxDetailObject* detail = GetValueAsDetailObject(ARecordIndex);
  if (!IsEmpty()) {
    if (detail == nullptr) {
      auto created = std::make_unique<TcxDetailObject>();
      created->ActiveRelationIndex = FDataController->GetDefaultActiveRelationIndex();
      detail = created.get();
      storeDetailObject(ARecordIndex, created.release());
    }
    detail->CorrectCount(relationsOfPattern(FDataController));
    return detail;
  }
  if (detail != nullptr) {
    std::unique_ptr<TcxDetailObject> owned(detail);
    {
      RelationsQuietLock lock(this);
      owned->ForEachLinkObject([this](TObject* ALink) {
        if (TcxCustomDataController* clone = FDataController->GetDetailDataControllerByLinkObject(ALink))
          clone->SetMasterRelation(nullptr, -1);
      });
    }
    storeDetailObject(ARecordIndex, nullptr);
  }
  return nullptr;
}

bool TcxCustomDataRelationList::IsEmpty() const {
  TcxCustomDataRelationList* patternRelations = relationsOfPattern(FDataController);
  if (patternRelations == nullptr) return true;
  for (int i = 0; i < patternRelations->Count(); ++i)
    if (patternRelations->Items(i)->DetailDataController() != nullptr) return false;
  return true;
}

bool TcxCustomDataRelationList::IsDetailObjectExist(int ARecordIndex, int ARelationIndex) const {
  TcxDetailObject* detail = GetValueAsDetailObject(ARecordIndex);
  if (detail == nullptr) return false;
  if (ARelationIndex == -1) return !detail->IsEmpty();
  return detail->GetLinkObject(ARelationIndex) != nullptr;
}

bool TcxCustomDataRelationList::ClearDetailObject(int ARecordIndex, int ARelationIndex) {
  TcxDetailObject* detail = GetValueAsDetailObject(ARecordIndex);
  if (detail == nullptr) return false;
  if (ARelationIndex == -1)
    detail->Clear();
  else
    detail->ClearInfoObject(ARelationIndex);
  return true;
}

// --- detail object -------------------------------------------------------------------------------
void TcxDetailObject::grow(int ACount) {
  if (ACount > InfoCount()) FInfoObjects.resize(static_cast<size_t>(ACount));
}

void TcxDetailObject::Clear() {
  // Moved out first: a dying clone may look at this object again.
  std::vector<std::unique_ptr<TcxDetailInfoObject>> infos = std::move(FInfoObjects);
  FInfoObjects.clear();
}

bool TcxDetailObject::ClearInfoObject(int AIndex) {
  if (AIndex < 0 || AIndex >= InfoCount() || !FInfoObjects[static_cast<size_t>(AIndex)]) return false;
  std::unique_ptr<TcxDetailInfoObject> info = std::move(FInfoObjects[static_cast<size_t>(AIndex)]);
  return true;
}

bool TcxDetailObject::ClearHasChildrenFlag() {
  bool result = false;
  for (const auto& info : FInfoObjects)
    if (info && info->HasChildrenAssigned) {
      info->HasChildrenAssigned = false;
      result = true;
    }
  return result;
}

void TcxDetailObject::CorrectCount(const TcxCustomDataRelationList* APatternRelations) {
  const int count = APatternRelations ? APatternRelations->Count() : 0;
  grow(count);
  if (count == 0) {
    ActiveRelationIndex = -1;
    return;
  }
  ActiveRelationIndex = std::clamp(ActiveRelationIndex, 0, count - 1);
  if (APatternRelations->Items(ActiveRelationIndex)->DetailDataController() != nullptr) return;
  for (int i = 0; i < count; ++i)
    if (APatternRelations->Items(i)->DetailDataController() != nullptr) {
      ActiveRelationIndex = i;
      return;
    }
}

TcxDetailInfoObject* TcxDetailObject::GetInfoObject(int AIndex) const {
  if (AIndex < 0 || AIndex >= InfoCount()) return nullptr;
  return FInfoObjects[static_cast<size_t>(AIndex)].get();
}

void TcxDetailObject::SetInfoObject(int AIndex, std::unique_ptr<TcxDetailInfoObject> AValue) {
  if (AIndex < 0) return;
  grow(AIndex + 1);
  FInfoObjects[static_cast<size_t>(AIndex)] = std::move(AValue);
}

TObject* TcxDetailObject::GetLinkObject(int AIndex) const {
  TcxDetailInfoObject* info = GetInfoObject(AIndex);
  return info ? info->LinkObject.get() : nullptr;
}

void TcxDetailObject::SetLinkObject(int AIndex, std::unique_ptr<TObject> AValue) {
  if (AIndex < 0) return;
  grow(AIndex + 1);
  auto& slot = FInfoObjects[static_cast<size_t>(AIndex)];
  if (!slot) slot = std::make_unique<TcxDetailInfoObject>();
  slot->LinkObject = std::move(AValue);
}

int TcxDetailObject::LinkObjectCount() const {
  int result = 0;
  for (const auto& info : FInfoObjects)
    if (info && info->LinkObject) ++result;
  return result;
}

// --- controller: modes and binding ---------------------------------------------------------------
TcxDataControllerDetailMode TcxCustomDataController::GetDetailMode() const {
  if (FMasterRelation != nullptr) return FMasterRecordIndex == -1 ? dcdmPattern : dcdmClone;
  return FIsPattern ? dcdmPattern : dcdmNone;
}

TcxCustomDataRelationList* TcxCustomDataController::Relations() {
  if (!FRelations) FRelations.reset(new TcxCustomDataRelationList(this));
  return FRelations.get();
}

std::unique_ptr<TcxCustomDataRelation> TcxCustomDataController::CreateRelation(TcxCustomDataRelationList* AList,
                                                                                TObject* AItem) {
  return std::make_unique<TcxCustomDataRelation>(AList, AItem);
}

void TcxCustomDataController::SetIsPattern(bool AValue) {
  if (AValue && FDataChangeRefCount != 0 && FMasterRelation != nullptr) throw core::EdxException(u"!");
  FIsPatternSave = AValue;
  const bool value = FDataChangeRefCount == 0 ? AValue : false;
  if (value == FIsPattern) return;
  FIsPattern = value;
  if (!IsDestroying()) RestructData();
}

void TcxCustomDataController::SetMasterMode(TcxCustomDataRelation* ARelation, bool AIsPattern) {
  BeginFullUpdate();
  rtl::ScopeExit end([this] { EndFullUpdate(); });
  SetMasterRelation(ARelation, -1);
  SetIsPattern(AIsPattern);
}

void TcxCustomDataController::SetMasterRelation(TcxCustomDataRelation* ARelation, int AMasterRecordIndex) {
  const bool patternBinding = AMasterRecordIndex == -1;
  if (ARelation == nullptr && FMasterRelation == nullptr && patternBinding && FMasterRecordIndex == -1) return;
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  if (TcxCustomDataRelation* old = FMasterRelation) {
    if (old->FDetailDataController == this && patternBinding)
      old->FDetailDataController = nullptr;
    else
      SetCustomDataSource(nullptr);
    if (TcxCustomDataController* oldMaster = old->DataController()) {
      if (oldMaster->FCreatingDataController == this) oldMaster->FCreatingDataController = nullptr;
    }
    if (TcxCustomDataRelationList* list = old->RelationList()) list->Changed(nullptr);
  }
  FMasterRelation = ARelation;
  if (ARelation != nullptr) {
    if (patternBinding) {
      ARelation->FDetailDataController = this;
      ARelation->Changed();
    } else {
      // A clone reads the pattern's records source for its own master record.
      if (TcxCustomDataController* pattern = GetPatternDataController())
        SetCustomDataSource(pattern->GetCustomDataSource());
      if (TcxCustomDataController* master = ARelation->DataController()) master->FCreatingDataController = this;
    }
  }
  FMasterRecordIndex = AMasterRecordIndex;
  LayoutChanged({lcData});
}

void TcxCustomDataController::detachFromMasterRelation() {
  TcxCustomDataRelation* relation = FMasterRelation;
  if (relation == nullptr) return;
  FMasterRelation = nullptr;
  if (relation->FDetailDataController == this) relation->FDetailDataController = nullptr;
  if (TcxCustomDataController* master = relation->DataController())
    if (master->FCreatingDataController == this) master->FCreatingDataController = nullptr;
}

void TcxCustomDataController::relationsRemoveField(TcxCustomDataField* AField) {
  if (FRelations) FRelations->RemoveDataField(AField);
}

TcxCustomDataController* TcxCustomDataController::GetMasterDataController() const {
  return FMasterRelation ? FMasterRelation->DataController() : nullptr;
}

TcxCustomDataController* TcxCustomDataController::GetRootDataController() {
  TcxCustomDataController* result = this;
  while (TcxCustomDataController* master = result->GetMasterDataController()) result = master;
  return result;
}

namespace {
TcxCustomDataController* relationsFindPattern(TcxCustomDataController* AController, const TObject* AItem) {
  TcxCustomDataRelationList* relations = AController->RelationsIfCreated();
  if (relations == nullptr) return nullptr;
  if (TcxCustomDataRelation* relation = relations->FindByItem(AItem)) return relation->DetailDataController();
  for (int i = 0; i < relations->Count(); ++i)
    if (TcxCustomDataController* pattern = relations->Items(i)->DetailDataController())
      if (TcxCustomDataController* found = relationsFindPattern(pattern, AItem)) return found;
  return nullptr;
}
}  // namespace

TcxCustomDataController* TcxCustomDataController::GetPatternDataController() {
  if (FMasterRelation == nullptr) return this;
  return relationsFindPattern(GetRootDataController(), FMasterRelation->Item());
}

// --- controller: clones --------------------------------------------------------------------------
TObject* TcxCustomDataController::detailLinkObject(int ARecordIndex, int ARelationIndex) {
  TcxDetailObject* detail = Relations()->GetDetailObject(ARecordIndex);
  if (detail == nullptr) return nullptr;
  TObject* link = detail->GetLinkObject(ARelationIndex);
  if (link != nullptr || FInCreateDetailLinkObject) return link;
  if (ARelationIndex < 0 || ARelationIndex >= FRelations->Count()) return nullptr;
  TcxCustomDataController* pattern = GetPatternDataController();
  const bool patternWasCreating = pattern ? pattern->FInCreateDetailLinkObject : false;
  FInCreateDetailLinkObject = true;
  if (pattern) pattern->FInCreateDetailLinkObject = true;
  rtl::ScopeExit guards([this, pattern, patternWasCreating] {
    FInCreateDetailLinkObject = false;
    if (pattern && pattern != this) pattern->FInCreateDetailLinkObject = patternWasCreating;
  });
  std::unique_ptr<TObject> created = CreateDetailLinkObject(FRelations->Items(ARelationIndex), ARecordIndex);
  FCreatingDataController = nullptr;
  // The view may have changed the records meanwhile: a link made for a
  // detail object that is gone is dropped.
  if (ARecordIndex >= GetRecordCount() || FRelations->GetValueAsDetailObject(ARecordIndex) != detail) return nullptr;
  link = created.get();
  if (link != nullptr) detail->SetLinkObject(ARelationIndex, std::move(created));
  return link;
}

TObject* TcxCustomDataController::GetDetailLinkObject(int ARecordIndex, int ARelationIndex) {
  TObject* link = detailLinkObject(ARecordIndex, ARelationIndex);
  if (link == nullptr && !FInRetryDetailLinkObject) {
    rtl::ScopedValue<bool> retry(FInRetryDetailLinkObject, true);
    link = detailLinkObject(ARecordIndex, ARelationIndex);
  }
  return link;
}

TcxCustomDataController* TcxCustomDataController::GetDetailDataController(int ARecordIndex, int ARelationIndex) {
  TObject* link = GetDetailLinkObject(ARecordIndex, ARelationIndex);
  return link ? GetDetailDataControllerByLinkObject(link) : nullptr;
}

TcxCustomDataController* TcxCustomDataController::FindDetailDataController(int ARecordIndex, int ARelationIndex) {
  if (!FRelations || FRelations->DataField() == nullptr) return nullptr;
  TcxDetailObject* detail = FRelations->GetValueAsDetailObject(ARecordIndex);
  TObject* link = detail ? detail->GetLinkObject(ARelationIndex) : nullptr;
  return link ? GetDetailDataControllerByLinkObject(link) : nullptr;
}

bool TcxCustomDataController::IsDetailDataControllerExist(int ARecordIndex, int ARelationIndex) {
  return FindDetailDataController(ARecordIndex, ARelationIndex) != nullptr;
}

void TcxCustomDataController::ClearDetailLinkObject(int ARecordIndex, int ARelationIndex) {
  if (FRelations && FRelations->ClearDetailObject(ARecordIndex, ARelationIndex)) Change({dccDetail});
}

void TcxCustomDataController::ClearDetails() {
  if (!FRelations || FRelations->DataField() == nullptr) return;
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  for (int i = 0; i < GetRecordCount(); ++i) ClearDetailLinkObject(i, -1);
}

void TcxCustomDataController::ClearDetailsMasterRelation(TcxCustomDataRelation* ARelation) {
  if (!FRelations || FRelations->DataField() == nullptr) return;
  const int index = ARelation->Index();
  if (index < 0) return;
  RelationsQuietLock lock(FRelations.get());
  for (int i = 0; i < GetRecordCount(); ++i)
    if (TcxCustomDataController* clone = FindDetailDataController(i, index)) clone->SetMasterRelation(nullptr, -1);
}

// --- controller: active relation and expansion --------------------------------------------------
int TcxCustomDataController::GetDetailActiveRelationIndex(int ARecordIndex) {
  if (!FRelations || FRelations->IsEmpty()) return -1;
  TcxDetailObject* detail = FRelations->GetDetailObject(ARecordIndex);
  return detail ? detail->ActiveRelationIndex : -1;
}

void TcxCustomDataController::ChangeDetailActiveRelationIndex(int ARecordIndex, int AIndex) {
  if (GetDetailActiveRelationIndex(ARecordIndex) == AIndex) return;
  CheckBrowseMode();
  if (TcxDetailObject* detail = Relations()->GetDetailObject(ARecordIndex)) {
    detail->ActiveRelationIndex = AIndex;
    Change({dccDetail});
  }
}

bool TcxCustomDataController::GetDetailExpanding(int ARecordIndex) {
  if (!FRelations) return false;
  TcxDetailObject* detail = FRelations->GetDetailObject(ARecordIndex);
  return detail != nullptr && detail->Expanded;
}

bool TcxCustomDataController::ChangeDetailExpanding(int ARecordIndex, bool AExpanded) {
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) return false;
  if (GetDetailExpanding(ARecordIndex) == AExpanded) return true;
  rtl::ScopedValue<bool> expanding(FIsDetailExpanding, true);
  CheckBrowseMode();
  // Posting may have removed the record.
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) return false;
  return DoChangeDetailExpanding(Relations()->GetDetailObject(ARecordIndex), ARecordIndex, AExpanded);
}

bool TcxCustomDataController::CanChangeDetailExpanding(int ARecordIndex, bool AExpanded) {
  bool allow = true;
  const TcxDataDetailExpandingEvent& event = AExpanded ? FOnDetailExpanding : FOnDetailCollapsing;
  if (event) event(this, ARecordIndex, allow);
  return allow;
}

bool TcxCustomDataController::DoChangeDetailExpanding(TcxDetailObject* ADetailObject, int ARecordIndex,
                                                      bool AExpanded) {
  if (ADetailObject == nullptr || !CanChangeDetailExpanding(ARecordIndex, AExpanded)) return false;
  ADetailObject->Expanded = AExpanded;
  TcxCustomDataController* master = GetMasterDataController();
  if (master == nullptr || master->GetLockCount() == 0) Change({dccDetail});
  const TcxDataControllerRecordEvent& event = AExpanded ? FOnDetailExpanded : FOnDetailCollapsed;
  if (event) event(this, ARecordIndex);
  return true;
}

void TcxCustomDataController::CollapseDetails() {
  CheckBrowseMode();
  if (!FRelations || FRelations->DataField() == nullptr) return;
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  const bool clearLinks = GetClearDetailsOnCollapse();
  for (int i = 0; i < GetRecordCount(); ++i) {
    if (clearLinks) ClearDetailLinkObject(i, -1);
    if (TcxDetailObject* detail = FRelations->GetValueAsDetailObject(i)) {
      detail->Expanded = false;
      Change({dccDetail});
    }
  }
}

bool TcxCustomDataController::GetDetailHasChildren(int ARecordIndex, int ARelationIndex) {
  if (TcxCustomDataController* clone = FindDetailDataController(ARecordIndex, ARelationIndex))
    return clone->GetRecordCount() > 0;
  if (!IsDataBound()) return false;
  TcxDetailObject* detail = FRelations ? FRelations->GetDetailObject(ARecordIndex) : nullptr;
  if (detail == nullptr) return true;
  TcxDetailInfoObject* info = detail->GetInfoObject(ARelationIndex);
  if (info == nullptr) {
    detail->SetInfoObject(ARelationIndex, std::make_unique<TcxDetailInfoObject>());
    info = detail->GetInfoObject(ARelationIndex);
    if (info == nullptr) return false;
  }
  if (!info->HasChildrenAssigned) {
    info->HasChildren = Provider()->GetDetailHasChildren(ARecordIndex, ARelationIndex);
    info->HasChildrenAssigned = true;
  }
  return info->HasChildren;
}

void TcxCustomDataController::ResetHasChildrenFlag() {
  if (!FRelations || FRelations->DataField() == nullptr) return;
  bool cached = false;
  for (int i = 0; i < GetRecordCount(); ++i)
    if (TcxDetailObject* detail = FRelations->GetValueAsDetailObject(i))
      if (detail->ClearHasChildrenFlag()) cached = true;
  // The expand buttons may change: redraw.
  if (cached) Change({dccLayout});
}

void TcxCustomDataController::ResetMasterHasChildrenFlag() {
  // Asked after every data change: the cheap test first.
  TcxCustomDataController* master = GetMasterDataController();
  if (master == nullptr || !IsDataBound()) return;
  const TcxDataControllerEditState state = GetEditState();
  if (state.contains(dceInsert) || state.contains(dceEdit)) return;
  master->ResetHasChildrenFlag();
}

// --- controller: walking the details -------------------------------------------------------------
namespace {
void relationsWalk(TcxCustomDataController* AController, const std::vector<int>& AChain, size_t ADepth,
                   const std::function<void(TcxCustomDataController*)>& AProc) {
  if (ADepth == AChain.size()) {
    AProc(AController);
    return;
  }
  const int relationIndex = AChain[ADepth];
  TcxCustomDataController* creating = AController->CreatingDataController();
  bool creatingVisited = false;
  for (int i = 0; i < AController->GetRecordCount(); ++i)
    if (TcxCustomDataController* next = AController->FindDetailDataController(i, relationIndex)) {
      creatingVisited = creatingVisited || next == creating;
      relationsWalk(next, AChain, ADepth + 1, AProc);
    }
  if (creating != nullptr && !creatingVisited) relationsWalk(creating, AChain, ADepth + 1, AProc);
}
}  // namespace

void TcxCustomDataController::ForEachDetail(TcxCustomDataRelation* AMasterRelation,
                                            const std::function<void(TcxCustomDataController*)>& AProc) {
  std::vector<int> chain;
  TcxCustomDataController* root = this;
  for (TcxCustomDataRelation* relation = AMasterRelation; relation != nullptr;) {
    TcxCustomDataController* master = relation->DataController();
    if (master == nullptr) return;
    chain.insert(chain.begin(), relation->Index());
    root = master;
    relation = master->GetMasterRelation();
  }
  relationsWalk(root, chain, 0, AProc);
}

void TcxCustomDataController::FocusDetails(int ARecordIndex) {
  const int relationIndex = GetDetailActiveRelationIndex(ARecordIndex);
  if (relationIndex < 0) return;
  TcxCustomDataController* clone = FindDetailDataController(ARecordIndex, relationIndex);
  if (clone == nullptr) return;
  if (clone->GetFocusedRowIndex() == -1 && !clone->NewItemRowFocused()) clone->ChangeFocusedRowIndex(0);
}

void TcxCustomDataController::ResetRelationByItem(TObject* AItem) {
  if (!FRelations) return;
  if (FRelations->FindByItem(AItem) != nullptr) {
    ClearDetails();
    return;
  }
  if (FRelations->Count() == 0 || FRelations->DataField() == nullptr) return;
  for (int i = 0; i < GetRecordCount(); ++i)
    for (int r = 0; r < FRelations->Count(); ++r)
      if (TcxCustomDataController* clone = FindDetailDataController(i, r)) clone->ResetRelationByItem(AItem);
}

bool TcxCustomDataController::CheckDetailsBrowseMode() {
  if (!FRelations || FRelations->DataField() == nullptr) return true;
  for (int i = 0; i < GetRecordCount(); ++i)
    for (int r = 0; r < FRelations->Count(); ++r)
      if (TcxCustomDataController* clone = FindDetailDataController(i, r)) clone->CheckBrowseMode();
  return true;
}

void TcxCustomDataController::UpdateRelations(TcxCustomDataRelation* ARelation) {
  if (IsDestroying()) return;
  if (IsPattern()) {
    // The clones of this pattern were made for the old relations.
    if (FMasterRelation != nullptr) GetRootDataController()->ResetRelationByItem(FMasterRelation->Item());
  } else {
    Change({dccData});
  }
}

void TcxCustomDataController::SyncMasterPos() {
  if (GetDetailMode() == dcdmClone) Change({dccSyncMasterPos});
  NotifyDataControllers();
}

// --- controller: clones follow their master records ---------------------------------------------
namespace {
void relationsShiftClones(TcxCustomDataController* AMaster, TcxCustomDataRelationList* ARelations, int AFrom,
                          int ADelta) {
  if (ARelations == nullptr || ARelations->DataField() == nullptr) return;
  for (int i = std::max(AFrom, 0); i < AMaster->GetRecordCount(); ++i)
    if (TcxDetailObject* detail = ARelations->GetValueAsDetailObject(i))
      detail->ForEachLinkObject([AMaster, ADelta](TObject* ALink) {
        if (TcxCustomDataController* clone = AMaster->GetDetailDataControllerByLinkObject(ALink))
          clone->ShiftMasterRecordIndex(ADelta);
      });
}
}  // namespace

void TcxCustomDataController::CorrectAfterInsert(int ARecordIndex) {
  relationsShiftClones(this, FRelations.get(), ARecordIndex + 1, 1);
}

void TcxCustomDataController::CorrectAfterDelete(int ARecordIndex) {
  // The editing record is settled by the deleting operations themselves
  // (DeleteRecord, DeleteRecordsAtOnce and the dataset provider).
  relationsShiftClones(this, FRelations.get(), ARecordIndex, -1);
}

}  // namespace data

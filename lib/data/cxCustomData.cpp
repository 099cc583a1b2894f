// The controller's structure, brackets and change notification, the
// notification objects (the record list is in cxDataControllerInfo.cpp).
#include "lib/data/cxCustomData.h"

#include <algorithm>
#include <utility>

#include "lib/core/cxFormats.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxDataSummary.h"
#include "lib/data/cxCustomData_scopes.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace data {

using rtl::String;
using rtl::Variant;


// --- summary formats -----------------------------------------------------------------------
String cxDataGetDataSummaryValueDefaultFormat(TcxSummaryValueType AValueType, TcxSummaryKind AKind,
                                              bool AIsFooter) {
  if (AKind == skNone) return String();
  // [value type][footer][kind - skSum]
  static const char16_t* const kFormats[3][2][5] = {
      {{u"SUM=0.00;SUM=-0.00", u"MIN=0.00;MIN=-0.00", u"MAX=0.00;MAX=-0.00", u"COUNT=0", u"AVG=0.00;AVG=-0.00"},
       {u"0.00;-0.00", u"MIN=0.00;MIN=-0.00", u"MAX=0.00;MAX=-0.00", u"0", u"AVG=0.00;AVG=-0.00"}},
      {{u"SUM=%s;SUM=%s", u"MIN=%s;MIN=%s", u"MAX=%s;MAX=%s", u"COUNT=0", u"AVG=%s;AVG=%s"},
       {u"%s;%s", u"MIN=%s;MIN=%s", u"MAX=%s;MAX=%s", u"0", u"AVG=%s;AVG=%s"}},
      {{u"SUM=", u"MIN=", u"MAX=", u"COUNT=0", u"AVG="}, {u"", u"MIN=", u"MAX=", u"0", u"AVG="}}};
  String format = kFormats[AValueType][AIsFooter ? 1 : 0][AKind - skSum];
  if (AValueType != svtCurrency) return format;
  const String& currency = core::cxFormatController()->CurrencyFormat();
  const size_t semicolon = currency.find(u';');
  const String parts[2] = {currency.substr(0, semicolon),
                           semicolon == String::npos ? String() : currency.substr(semicolon + 1)};
  String result;
  int part = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u's' && part < 2) {
      result += parts[part++];
      ++i;
    } else {
      result += format[i];
    }
  }
  return result;
}

// --- notification objects ------------------------------------------------------------------
std::unique_ptr<TcxUpdateControlInfo> TcxUpdateControlInfo::NewOfSameClass() const {
  return std::make_unique<TcxUpdateControlInfo>();
}

std::unique_ptr<TcxUpdateControlInfo> TcxUpdateControlInfo::Clone() const {
  std::unique_ptr<TcxUpdateControlInfo> result = NewOfSameClass();
  AssignTo(result.get());
  return result;
}

void TcxFocusedRecordChangedInfo::AssignTo(TcxUpdateControlInfo* ADest) const {
  if (auto* dest = dynamic_cast<TcxFocusedRecordChangedInfo*>(ADest)) {
    dest->FFocusedRecordIndex = FFocusedRecordIndex;
    dest->FPrevFocusedRecordIndex = FPrevFocusedRecordIndex;
    dest->FFocusedRowIndex = FFocusedRowIndex;
    dest->FPrevFocusedRowIndex = FPrevFocusedRowIndex;
    dest->FNewItemRowFocusingChanged = FNewItemRowFocusingChanged;
  }
}

void TcxFocusedRowChangedInfo::AssignTo(TcxUpdateControlInfo* ADest) const {
  if (auto* dest = dynamic_cast<TcxFocusedRowChangedInfo*>(ADest)) {
    dest->FFocusedRowIndex = FFocusedRowIndex;
    dest->FPrevFocusedRowIndex = FPrevFocusedRowIndex;
  }
}

void TcxUpdateRecordInfo::AssignTo(TcxUpdateControlInfo* ADest) const {
  if (auto* dest = dynamic_cast<TcxUpdateRecordInfo*>(ADest)) dest->FRecordIndex = FRecordIndex;
}

void TcxDataChangedInfo::AssignTo(TcxUpdateControlInfo* ADest) const {
  if (auto* dest = dynamic_cast<TcxDataChangedInfo*>(ADest)) {
    dest->Kind = Kind;
    dest->ItemIndex = ItemIndex;
    dest->RecordIndex = RecordIndex;
  }
}

std::unique_ptr<TcxSelectionChangedInfo> TcxSelectionChangedInfo::CreateEx(int ARowIndex1, int ARowIndex2) {
  auto result = std::make_unique<TcxSelectionChangedInfo>();
  if (ARowIndex1 != -1) result->FRowIndexes.push_back(ARowIndex1);
  if (ARowIndex2 != -1 && ARowIndex2 != ARowIndex1) result->FRowIndexes.push_back(ARowIndex2);
  return result;
}

void TcxSelectionChangedInfo::AssignTo(TcxUpdateControlInfo* ADest) const {
  if (auto* dest = dynamic_cast<TcxSelectionChangedInfo*>(ADest)) dest->FRowIndexes = FRowIndexes;
}

// --- construction ------------------------------------------------------------------------------
TcxDataControllerParts TcxDataControllerParts::Default() {
  TcxDataControllerParts parts;
  parts.DataProvider = [](TcxCustomDataController* c) { return std::make_unique<TcxCustomDataProvider>(c); };
  parts.DataControllerInfo = [](TcxCustomDataController* c) {
    return std::make_unique<TcxCustomDataControllerInfo>(c);
  };
  return parts;
}

TcxCustomDataController::TcxCustomDataController(TComponent* AOwner, const TcxDataControllerParts& AParts)
    : FOwner(AOwner) {
  FFocusedSelected = true;
  FOptions = cxDataControllerDefaultOptions;
  FDataStorage = std::make_unique<TcxDataStorage>();
  FFields = std::make_unique<TcxCustomDataFieldList>(this);
  // The groups, filters, search, summary and multithreading options join
  // here, in this order, as they are built.
  FProvider = AParts.DataProvider(this);
  FDataControllerInfo = AParts.DataControllerInfo(this);
  FMasterRecordIndex = -1;
  FBookmarkRecordIndex = -1;
  FNearestRecordIndex = -1;
  resetDataChangeInfo();
  FNotifier = new TcxDataControllerNotifier(this);
  FDataStorage->OnClearInternalRecords =
      TNotifyEvent::bind<&TcxCustomDataController::DataStorageClearInternalRecords>(this);
  UpdateUseRecordIDState();
  connectFilterSeams();
}

TcxCustomDataController::~TcxCustomDataController() {
  FDestroying = true;
  detachFromMasterRelation();
  FNotifier->Free();
  FNotifier = nullptr;
  FDataControllerInfo.reset();
  FDataStorage->OnClearInternalRecords = nullptr;
  FDataStorage->Clear(false);
  FFields->Clear();
  FFields.reset();
  FDataStorage.reset();
  FProvider.reset();
  FDataChangedListeners.clear();
  // Last one first, so that a holder can tell the controller has gone.
  for (auto it = FListenerLinks.rbegin(); it != FListenerLinks.rend(); ++it) (*it)->Ref = nullptr;
  for (auto& link : FListenerLinks) link.release();  // the holders free their links
  FListenerLinks.clear();
}

void TcxCustomDataController::BeforeDestruction() {
  FDestroying = true;
  TPersistent::BeforeDestruction();
}

void TcxCustomDataController::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomDataController*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  SetOptions(source->Options());
  FOnAfterCancel = source->FOnAfterCancel;
  FOnAfterDelete = source->FOnAfterDelete;
  FOnAfterInsert = source->FOnAfterInsert;
  FOnAfterPost = source->FOnAfterPost;
  FOnBeforeCancel = source->FOnBeforeCancel;
  FOnBeforeDelete = source->FOnBeforeDelete;
  FOnBeforeInsert = source->FOnBeforeInsert;
  FOnBeforePost = source->FOnBeforePost;
  FOnFilterRecord = source->FOnFilterRecord;
  FOnNewRecord = source->FOnNewRecord;
  FOnCompare = source->FOnCompare;
  FOnDataChanged = source->FOnDataChanged;
  FOnDetailCollapsing = source->FOnDetailCollapsing;
  FOnDetailCollapsed = source->FOnDetailCollapsed;
  FOnDetailExpanding = source->FOnDetailExpanding;
  FOnDetailExpanded = source->FOnDetailExpanded;
  FOnGroupingChanged = source->FOnGroupingChanged;
  FOnRecordChanged = source->FOnRecordChanged;
  FOnSortingChanged = source->FOnSortingChanged;
}

void TcxCustomDataController::Loaded() {
  if (FDataChangedFlag) DoDataChanged();
  if (FAfterSummaryFlag && FSummary) FSummary->DoAfterSummary();
  FAfterSummaryFlag = false;
}

void TcxCustomDataController::InvalidOperation(rtl::StringView AMessage) {
  throw EcxInvalidDataControllerOperation(String(AMessage));
}

void TcxCustomDataController::SetOptions(TcxDataControllerOptions AValue) {
  if (FOptions == AValue) return;
  FOptions = AValue;
  Refresh();
}

void TcxCustomDataController::DataStorageClearInternalRecords(TObject* Sender) {
  FProvider->ClearSavedRecordIndex();
  FNewItemRecordIndex = 0;
}

void TcxCustomDataController::UpdateUseRecordIDState() { FDataStorage->SetUseRecordID(IsRecordID()); }

// --- modes -------------------------------------------------------------------------------------
bool TcxCustomDataController::IsProviderMode() const { return FProvider->CustomDataSource() != nullptr; }
bool TcxCustomDataController::IsUnboundMode() const {
  return FProvider->IsCustomDataSourceSupported() && FProvider->CustomDataSource() == nullptr;
}
bool TcxCustomDataController::IsProviderDataSource() const { return IsProviderMode() || FStructureRecreated; }
bool TcxCustomDataController::IsDataBound() const { return IsProviderMode() || FProvider->IsDataSource(); }
bool TcxCustomDataController::IsGridMode() const { return FProvider->IsGridMode(); }
bool TcxCustomDataController::IsKeyNavigation() const {
  return IsProviderMode() && FProvider->IsRecordIdSupported();
}
bool TcxCustomDataController::IsLoading() const {
  return FOwner != nullptr && FOwner->ComponentState().contains(rtl::TComponentStateItem::csLoading);
}
bool TcxCustomDataController::IsDestroying() const {
  return FDestroying ||
         (FOwner != nullptr && FOwner->ComponentState().contains(rtl::TComponentStateItem::csDestroying));
}
bool TcxCustomDataController::IsDataLoading() const { return FProvider->LockCount() != 0; }
bool TcxCustomDataController::IsImmediatePost() const {
  return GetImmediatePostSetting() || FProvider->IsUnboundColumnMode();
}
TcxCustomDataSource* TcxCustomDataController::GetCustomDataSource() const { return FProvider->CustomDataSource(); }

void TcxCustomDataController::SetCustomDataSource(TcxCustomDataSource* AValue) {
  if (AValue == GetCustomDataSource()) return;
  FProvider->SetCustomDataSource(AValue);
  CustomDataSourceChanged();
}

// --- brackets ----------------------------------------------------------------------------------
void TcxCustomDataController::BeginUpdate() { FDataControllerInfo->BeginUpdate(); }

void TcxCustomDataController::EndUpdate() {
  FDataControllerInfo->EndUpdate();
  CheckChanges();
}

int TcxCustomDataController::GetLockCount() const { return FDataControllerInfo->LockCount(); }

void TcxCustomDataController::EndUpdateFields() {
  if (--FLockUpdateFieldsCount == 0 && FUpdateFieldsFlag) {
    FUpdateFieldsFlag = false;
    LayoutChanged({lcStructure});
  }
}

void TcxCustomDataController::LockGridModeNotify() {
  ++FLockGridModeNotifyCount;
  FProvider->BeginLocate();
}

void TcxCustomDataController::UnlockGridModeNotify() {
  FProvider->EndLocate();
  --FLockGridModeNotifyCount;
}

void TcxCustomDataController::LockStateInfo(bool) {
  if (!IsDestroying()) FDataControllerInfo->LockStateInfo();
}

void TcxCustomDataController::UnlockStateInfo(bool) {
  if (!IsDestroying()) FDataControllerInfo->UnlockStateInfo();
}

void TcxCustomDataController::Refresh() {
  UpdateScope update(*this);
  FDataControllerInfo->Refresh();
}

// --- change notification -------------------------------------------------------------------------
void TcxCustomDataController::Change(TcxDataControllerChanges AChanges) {
  FChanges += AChanges;
  CheckChanges();
}

void TcxCustomDataController::CheckChanges() {
  if (GetLockCount() != 0) return;
  Unlocked();
  if (FChanges.empty()) return;
  if (FStructureChanged) {
    FStructureChanged = false;
    LayoutChanged({lcStructure});
  }
  Update();
}

void TcxCustomDataController::Update() {
  const TcxDataControllerChanges changes = FChanges;
  FChanges = {};
  if (changes.contains(dccData))
    DataNotification();
  else if (!(changes * TcxDataControllerChanges{dccLayout, dccDetail, dccSummary}).empty())
    LayoutNotification();
  else if (changes.contains(dccUpdateRecord))
    UpdateRecordNotification();
  if (changes.contains(dccFocus)) FocusedNotification();
  if (changes.contains(dccSelection)) SelectionNotification();
  if (changes.contains(dccSearch)) NotifyControl(std::make_unique<TcxSearchChangedInfo>());
  if (changes.contains(dccBookmark)) NotifyControl(std::make_unique<TcxBookmarkChangedInfo>());
  if (changes.contains(dccGrouping)) GroupingChanged();
  if (changes.contains(dccSorting)) SortingChanged();
  if (changes.contains(dccGridMode)) DoGridModeChanged();
  if (changes.contains(dccFindFilter)) NotifyControl(std::make_unique<TcxFindFilterChangedInfo>());
  // A clone moved: the pattern (the view's detail level) refreshes its focus.
  if (changes.contains(dccSyncMasterPos) && GetDetailMode() == dcdmClone)
    if (TcxCustomDataController* pattern = GetPatternDataController()) pattern->UpdateFocused();
}

void TcxCustomDataController::NotifyControl(std::unique_ptr<TcxUpdateControlInfo> AInfo) {
  rtl::ScopedValue<bool> inNotify(FInNotifyControl, true);
  UpdateControl(AInfo.get());
}

void TcxCustomDataController::UpdateControl(TcxUpdateControlInfo* AInfo) {
  if (FOnUpdateControl) FOnUpdateControl(AInfo);
}

bool TcxCustomDataController::isNotedRecord(int ARecordIndex) const {
  return ARecordIndex != -1 || (FUseNewItemRowForEditing && IsNewItemRecord(ARecordIndex));
}

void TcxCustomDataController::DataNotification() {
  rtl::ScopeExit reset([this] { resetDataChangeInfo(); });
  TcxDataChangeInfo& info = FDataChangeInfo;
  if (info.Kind == dcField && info.ItemIndex == -1) info.Kind = dcRecord;
  if ((info.Kind == dcField || info.Kind == dcRecord) && !isNotedRecord(info.RecordIndex)) info.Kind = dcTotal;
  auto notification = std::make_unique<TcxDataChangedInfo>();
  notification->Kind = info.Kind;
  notification->ItemIndex = info.ItemIndex;
  notification->RecordIndex = info.RecordIndex;
  NotifyControl(std::move(notification));
  DoDataChanged();
}

void TcxCustomDataController::LayoutNotification() { NotifyControl(std::make_unique<TcxLayoutChangedInfo>()); }

void TcxCustomDataController::UpdateRecordNotification() {
  NotifyControl(std::make_unique<TcxUpdateRecordInfo>(GetFocusedRecordIndex()));
  // The record changed under the search: it starts again (not while the
  // search itself moves the focus: it is locked then).
  if (FSearch) FSearch->Cancel();
}

void TcxCustomDataController::FocusedNotification() {
  TcxCustomDataControllerInfo& info = *FDataControllerInfo;
  const TcxDataFocusingInfo prev = info.PrevFocusingInfo();
  const TcxDataFocusingInfo cur = info.FocusingInfo();
  const bool changedFlag = prev.Changed || cur.Changed;
  if (FSearch && prev.RecordIndex != cur.RecordIndex) FSearch->Cancel();
  info.SavePrevFocusingInfo();
  if (prev.RowIndex != cur.RowIndex)
    NotifyControl(std::make_unique<TcxFocusedRowChangedInfo>(prev.RowIndex, cur.RowIndex));
  if (prev.RecordIndex >= 0 || cur.RecordIndex != -1 || changedFlag)
    NotifyControl(std::make_unique<TcxFocusedRecordChangedInfo>(prev.RecordIndex, cur.RecordIndex, prev.RowIndex,
                                                                cur.RowIndex, changedFlag));
}

void TcxCustomDataController::SelectionNotification() {
  const int count = FDataControllerInfo->GetSelectedCount();
  FSelectionChangedInfo.SelectedCount = count;
  std::unique_ptr<TcxSelectionChangedInfo> notification;
  if (count <= 1) {
    FSelectionChangedInfo.RowIndex = count == 1 ? FDataControllerInfo->GetSelectedRowIndex(0) : -1;
    if (FPrevSelectionChangedInfo.SelectedCount <= 1)
      notification = TcxSelectionChangedInfo::CreateEx(
          FPrevSelectionChangedInfo.SelectedCount == 1 ? FPrevSelectionChangedInfo.RowIndex : -1,
          FSelectionChangedInfo.RowIndex);
  }
  if (!notification) notification = TcxSelectionChangedInfo::CreateEx(-1, -1);
  FPrevSelectionChangedInfo = FSelectionChangedInfo;
  NotifyControl(std::move(notification));
}

void TcxCustomDataController::BeforeGroupingNotification() {
  NotifyControl(std::make_unique<TcxGroupingChangingInfo>());
}

void TcxCustomDataController::SortingChanged() {
  if (FInOnSortingChanged || (FOwner && FOwner->ComponentState().contains(rtl::TComponentStateItem::csReading)))
    return;
  rtl::ScopedValue<bool> guard(FInOnSortingChanged, true);
  DoSortingChanged();
}

void TcxCustomDataController::GroupingChanged() {
  if (FOwner && FOwner->ComponentState().contains(rtl::TComponentStateItem::csReading)) return;
  DoGroupingChanged();
}

void TcxCustomDataController::SortingBySummaryChanged() {
  if (IsDestroying()) return;
  FSortingBySummaryChangedFlag = true;
  Change({dccSorting});
}

void TcxCustomDataController::CheckMode(bool& AGridMode) {
  const bool wasGridMode = AGridMode;
  // Grouping makes the dataset provider load every record; no grouping yet.
  FProvider->SetLoadAllNeeded(false);
  AGridMode = IsGridMode();
  if (AGridMode != wasGridMode) {
    RestructData();
    FChanges += dccGridMode;
  }
}

void TcxCustomDataController::ForwardInfoChanges(TcxDataControllerInfoChanges AInfoChanges) {
  TcxDataControllerChanges changes;
  if (AInfoChanges.contains(dcicSorting) || AInfoChanges.contains(dcicView)) changes += dccLayout;
  if (!(AInfoChanges * TcxDataControllerInfoChanges{dcicLoad, dcicGrouping, dcicExpanding, dcicFindFilter}).empty())
    changes += dccData;
  if (!(AInfoChanges * TcxDataControllerInfoChanges{dcicFocusedRow, dcicResetFocusedRow, dcicFocusedRecord}).empty())
    changes += dccFocus;
  if (AInfoChanges.contains(dcicSelection)) changes += dccSelection;
  if (AInfoChanges.contains(dcicFindFilter)) changes += dccFindFilter;
  if (AInfoChanges.contains(dcicSummary)) changes += dccSummary;
  if (FGroupingChangedFlag) changes += dccGrouping;
  if (FSortingChangedFlag || FSortingBySummaryChangedFlag) changes += dccSorting;
  FFilterChangedFlag = false;
  FGroupingChangedFlag = false;
  FSortingChangedFlag = false;
  FSortingBySummaryChangedFlag = false;
  Change(changes);
  FLoadedStorage = false;
}

void TcxCustomDataController::DataChanged(TcxDataChange AKind, int AItemIndex, int ARecordIndex) {
  TcxDataChangeInfo& info = FDataChangeInfo;
  const bool structural = info.Kind == dcTotal || info.Kind == dcNew || info.Kind == dcDeleted;
  // Inside a bracket a reload already owed need not be asked for again: a
  // million values written in one bracket would otherwise each pay for it.
  const bool reloadOwed = FDataChangeInfoPending && info.Kind == dcTotal && GetLockCount() != 0;
  if (isNotedRecord(info.RecordIndex) && ARecordIndex != info.RecordIndex) {
    info.Kind = dcTotal;
  } else if (FDataChangeInfoPending && structural && (AKind != info.Kind || ARecordIndex != info.RecordIndex)) {
    // Records came or went (or several changed) since the last notification:
    // the view must hear of all of them, so a later edit of one record must
    // not narrow the change to that record.
    info.Kind = dcTotal;
  } else if (AKind != dcField || info.ItemIndex == -1 || AItemIndex == info.ItemIndex) {
    info.Kind = AKind;
  } else {
    info.Kind = dcRecord;
    AItemIndex = -1;
  }
  FDataChangeInfoPending = true;
  info.ItemIndex = AItemIndex;
  info.RecordIndex = ARecordIndex;
  if (info.Kind == dcTotal) {
    if (!reloadOwed) UpdateStorage(false);
  } else {
    if (AKind == dcNew || AKind == dcDeleted) FDataControllerInfo->MarkFocusedRecordChanged();
    FDataControllerInfo->Refresh();
  }
  // A detail's records changed: the master's expand buttons may be stale.
  ResetMasterHasChildrenFlag();
}

void TcxCustomDataController::DoDataChanged() {
  if (IsDestroying() || !IsDataChangedListenersExist()) return;
  if (IsLoading()) {
    FDataChangedFlag = true;
    return;
  }
  FDataChangedFlag = false;
  NotifyDataChangedListeners();
}

void TcxCustomDataController::NotifyDataChangedListeners() {
  if (!FIsPattern) {
    const TcxDataChangeInfo& info = FDataChangeInfo;
    if ((info.Kind == dcField || info.Kind == dcRecord) && isNotedRecord(info.RecordIndex) && FOnRecordChanged)
      FOnRecordChanged(this, info.RecordIndex, info.ItemIndex);
    fire(FOnDataChanged);
  }
  if (IsGridMode() && FProvider->LocateCount() != 0) return;
  // A listener may remove itself while it is told.
  const std::vector<TNotifyEventItem> listeners = FDataChangedListeners;
  for (const TNotifyEventItem& item : listeners)
    if (item.Event) item.Event(this);
}

// --- listeners -----------------------------------------------------------------------------------
void TcxCustomDataController::AddDataChangedListener(TObject* AObject, TNotifyEvent AEvent) {
  FDataChangedListeners.push_back(TNotifyEventItem{AObject, std::move(AEvent)});
}

void TcxCustomDataController::RemoveDataChangedListener(TObject* AObject, TNotifyEvent AEvent) {
  const auto it = std::find_if(FDataChangedListeners.begin(), FDataChangedListeners.end(),
                               [&](const TNotifyEventItem& item) {
                                 return item.Object == AObject && item.Event.code() == AEvent.code();
                               });
  if (it != FDataChangedListeners.end()) FDataChangedListeners.erase(it);
}

bool TcxCustomDataController::IsDataChangedListenersExist() const {
  return FOnDataChanged.assigned() || FOnRecordChanged.assigned() || !FDataChangedListeners.empty();
}

TcxDataListenerLink* TcxCustomDataController::AddListenerLink() {
  FListenerLinks.push_back(std::make_unique<TcxDataListenerLink>());
  FListenerLinks.back()->Ref = this;
  return FListenerLinks.back().get();
}

void TcxCustomDataController::RemoveListenerLink(TcxDataListenerLink* ALink) {
  if (ALink == nullptr) return;
  if (TcxCustomDataController* controller = ALink->Ref) {
    auto& links = controller->FListenerLinks;
    const auto it = std::find_if(links.begin(), links.end(), [ALink](const auto& l) { return l.get() == ALink; });
    if (it != links.end()) {
      links.erase(it);  // frees the link
      return;
    }
  }
  // The controller has gone and handed the link over to its holder.
  std::unique_ptr<TcxDataListenerLink> orphan(ALink);
}

// --- rows, focus and selection ---------------------------------------------------------------------
TcxRowInfo TcxCustomDataController::GetRowInfo(int ARowIndex) const { return FDataControllerInfo->GetRowInfo(ARowIndex); }

// ChangeFocusedRowIndex is in cxDataControllerFocus.cpp.

bool TcxCustomDataController::ChangeFocusedRecordIndex(int ARecordIndex) {
  // A record hidden in a collapsed group gets its group expanded.
  const int row = ARecordIndex >= 0 && ARecordIndex < GetRecordCount()
                      ? FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, true)
                      : FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex);
  if (row == -1 && ARecordIndex != -1) return false;
  return ChangeFocusedRowIndex(row);
}

int TcxCustomDataController::GetNearestRowIndex(int ARowIndex) const {
  const int rows = GetRowCount();
  if (ARowIndex < 0 || rows <= 1) return -1;
  return ARowIndex < rows - 1 ? ARowIndex + 1 : ARowIndex - 1;
}

void TcxCustomDataController::ClearSelection() { FDataControllerInfo->ClearSelection(); }

int TcxCustomDataController::GetNewItemRecordIndex() {
  if (FNewItemRecordIndex == 0) FNewItemRecordIndex = FDataStorage->AddInternalRecord();
  return FNewItemRecordIndex;
}

TcxDataController::TcxDataController(TComponent* AOwner) : TcxCustomDataController(AOwner) { ActiveChanged(true); }

// --- companions ---------------------------------------------------------------------------------
void TcxDataControllerNotifier::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == rtl::TOperation::opRemove && AComponent != this) FDataController->RemoveNotification(AComponent);
}

}  // namespace data

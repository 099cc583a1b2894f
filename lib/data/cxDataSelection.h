#pragma once
// The row selection of a record list and the saved keys of a controller.
//
// The selection keeps one entry per selected row, ordered by row, so that a
// row is found by binary search and a range of rows is walked in order. An
// entry also remembers its record (or, for a group row, its group), which is
// what lets the record list put the selection back on the same records
// after a re-sort, a refilter or a regroup.
//
// The saved keys hold the identity of the selected records (and of opened
// detail rows) by key value while a provider-mode controller reloads or
// deletes records, so that the selection follows its records rather than
// their old positions.
#include <functional>
#include <memory>
#include <vector>

#include "lib/data/cxVariants.h"
#include "platform/rtl/object.h"

namespace data {

class TcxCustomDataController;
class TcxCustomDataField;

// One selected row. A group row has Level -1 and keeps its data group index
// in RecordIndex.
struct TcxSelectionInfo {
  int Level = 0;
  int RecordIndex = -1;
  int RowIndex = -1;
};
using PSelectionInfo = TcxSelectionInfo*;

class TcxDataSelection : public rtl::TObject {
  RTL_CLASS(TcxDataSelection, rtl::TObject)

 public:
  explicit TcxDataSelection(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  ~TcxDataSelection() override;

  virtual void ClearAnchor() { FAnchorRowIndex = -1; }
  // Appends when AIndex is -1, else inserts at AIndex; no notification.
  virtual void InternalAdd(int AIndex, int ARowIndex, int ALevel, int ARecordIndex);
  virtual void InternalClear();
  virtual void InternalDelete(int AIndex);
  // Shrinks from the end, or grows with entries whose row and record equal
  // their position (level 0).
  virtual void SetInternalCount(int ACount);

  void Add(int AIndex, int ARowIndex, int ALevel, int ARecordIndex);
  void Clear();
  // Also forgets the anchor.
  void ClearAll();
  void ClearFields() { FFields.clear(); }
  // An index outside the entries raises EListError "List count out of bounds (%d)".
  void Delete(int AIndex);
  // True with the entry's position, or false with the position where the row
  // would be inserted.
  virtual bool FindByRowIndex(int ARowIndex, int& AIndex) const;
  int FindByGroupIndex(int ADataGroupIndex) const;
  int FindByRecordIndex(int ARecordIndex) const;
  bool IsRecordSelected(int ARecordIndex) const { return FindByRecordIndex(ARecordIndex) != -1; }
  bool IsRowSelected(int ARowIndex) const;
  // Restores the row order after row indexes were recomputed.
  void Sort();
  // Drops the data-row entries whose records the filter removed, last first,
  // each with its notification.
  void CheckAfterFiltering();

  int Count() const { return static_cast<int>(FItems.size()); }
  const TcxSelectionInfo& Items(int AIndex) const { return FItems.at(static_cast<size_t>(AIndex)); }
  TcxSelectionInfo& Items(int AIndex) { return FItems.at(static_cast<size_t>(AIndex)); }
  int AnchorRowIndex() const { return FAnchorRowIndex; }
  void SetAnchorRowIndex(int AValue) { FAnchorRowIndex = AValue; }
  TcxCustomDataController* DataController() const { return FDataController; }
  // Kept for the dataset selection, which may store field objects here.
  std::vector<rtl::TObject*>& Fields() { return FFields; }

  // Told after every change that notifies.
  std::function<void()> OnChanged;

 protected:
  void Changed() {
    if (OnChanged) OnChanged();
  }

 private:
  friend class TcxCustomDataControllerInfo;
  friend class TcxSelectedKeys;
  // Removes every entry the predicate picks, keeping the order, with one
  // notification per removed entry (as deleting them one by one would);
  // linear where deleting one by one would move the tail each time.
  template <class Pred>
  int removeIf(Pred APred, bool ANotify);

  int FAnchorRowIndex = -1;
  TcxCustomDataController* FDataController;
  std::vector<TcxSelectionInfo> FItems;
  std::vector<rtl::TObject*> FFields;
};

// --- saved keys ----------------------------------------------------------------------------------
class TcxKeyInfo : public rtl::TObject {
  RTL_CLASS(TcxKeyInfo, rtl::TObject)

 public:
  rtl::Variant Key;
};

class TcxSelectedKeyInfo : public TcxKeyInfo {
  RTL_CLASS(TcxSelectedKeyInfo, TcxKeyInfo)

 public:
  int SelectedIndex = -1;
};

class TcxSaveObject;

class TcxDetailKeyInfo : public TcxKeyInfo {
  RTL_CLASS(TcxDetailKeyInfo, TcxKeyInfo)

 public:
  TcxDetailKeyInfo();
  ~TcxDetailKeyInfo() override;
  int ActiveRelationIndex = 0;
  std::unique_ptr<TcxSaveObject> SaveObject;
};

// Key infos of one controller, ordered by key after Save.
class TcxKeys : public rtl::TObject {
  RTL_CLASS(TcxKeys, rtl::TObject)

 public:
  TcxKeys() = default;
  ~TcxKeys() override;

  virtual void DoRestore() {}
  virtual void DoSave() {}
  virtual void FreeKeyInfo(TcxKeyInfo* AKeyInfo);
  virtual void Clear();

  void Save(TcxCustomDataController* ADataController);
  void Restore(TcxCustomDataController* ADataController);
  void Delete(int AIndex);
  // The first key info (in key order) holding the record's key. Keys are
  // sorted by Save, so this is a binary search, not a scan: restoring k
  // keys over n records stays n log k.
  bool Find(int ARecordIndex, int& AIndex) const;
  static int CompareKeys(const TcxKeyInfo* AInfo1, const TcxKeyInfo* AInfo2);
  void SetDataController(TcxCustomDataController* ADataController);

  int Count() const { return static_cast<int>(FKeys.size()); }
  TcxKeyInfo* Items(int AIndex) const { return FKeys.at(static_cast<size_t>(AIndex)); }
  TcxCustomDataController* DataController() const { return FDataController; }
  const std::vector<TcxCustomDataField*>& KeyFields() const { return FKeyFields; }

 protected:
  rtl::Variant recordKey(int ARecordIndex) const;
  void addKeyInfo(TcxKeyInfo* AKeyInfo) { FKeys.push_back(AKeyInfo); }
  // Key infos whose records matched during a restore; the list itself is
  // left alone (a deletion each time would make the restore quadratic).
  bool isUsed(int AIndex) const { return FUsed.at(static_cast<size_t>(AIndex)) != 0; }
  void markUsed(int AIndex) { FUsed.at(static_cast<size_t>(AIndex)) = 1; }
  void resetUsed() { FUsed.assign(FKeys.size(), 0); }
  // Like Find, skipping key infos already matched.
  bool findUnused(const rtl::Variant& AKey, int& AIndex) const;

 private:
  TcxCustomDataController* FDataController = nullptr;
  std::vector<TcxCustomDataField*> FKeyFields;
  std::vector<TcxKeyInfo*> FKeys;  // owned; freed through FreeKeyInfo
  std::vector<char> FUsed;
};

class TcxSelectedKeys : public TcxKeys {
  RTL_CLASS(TcxSelectedKeys, TcxKeys)

 public:
  void DoRestore() override;
  void DoSave() override;
};

class TcxDetailKeys : public TcxKeys {
  RTL_CLASS(TcxDetailKeys, TcxKeys)

 public:
  void DoRestore() override;
  void DoSave() override;
  void FreeKeyInfo(TcxKeyInfo* AKeyInfo) override;
};

class TcxSaveObject : public rtl::TObject {
  RTL_CLASS(TcxSaveObject, rtl::TObject)

 public:
  TcxSaveObject();
  ~TcxSaveObject() override;
  void Save(TcxCustomDataController* ADataController);
  void Restore(TcxCustomDataController* ADataController);
  TcxDetailKeys* DetailKeys() const { return FDetailKeys.get(); }
  TcxSelectedKeys* SelectedKeys() const { return FSelectedKeys.get(); }

 private:
  std::unique_ptr<TcxDetailKeys> FDetailKeys;
  std::unique_ptr<TcxSelectedKeys> FSelectedKeys;
};

}  // namespace data

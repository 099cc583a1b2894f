#pragma once
// Master-detail relations. A controller that shows details keeps one
// relation per kind of detail (a child level of the view). Each relation
// holds the pattern controller (the detail view's settings, no data); per
// master record the views create clone controllers on demand that hold that
// record's detail rows. The master keeps, per record, a detail object in an
// internal field of its storage: the clones' link objects, the active
// relation and the expanded state.
#include <memory>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "platform/rtl/object.h"

namespace data {

class TcxCustomDataRelationList;

// One kind of detail of a master controller.
class TcxCustomDataRelation : public TObject {
  RTL_CLASS(TcxCustomDataRelation, TObject)

 public:
  // The list takes the relation (TcxCustomDataRelationList::Add).
  TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem);
  // Detaches the pattern controller first.
  ~TcxCustomDataRelation() override;

  virtual void RemoveDataField(TcxCustomDataField* AField) {}
  virtual void Assign(TcxCustomDataRelation* ASource) {}

  // The master.
  TcxCustomDataController* DataController() const;
  // The pattern controller bound to the relation, or null.
  TcxCustomDataController* DetailDataController() const { return FDetailDataController; }
  TObject* Item() const { return FItem; }
  TcxCustomDataRelationList* RelationList() const { return FRelationList; }
  int Index() const;
  // Reports a change of this relation to the list.
  void Changed();

 private:
  friend class TcxCustomDataRelationList;
  friend class TcxCustomDataController;
  TcxCustomDataController* FDetailDataController = nullptr;
  TObject* FItem;
  TcxCustomDataRelationList* FRelationList;
};

// The relations of one master. The internal detail field exists exactly
// while there are relations.
class TcxCustomDataRelationList {
 public:
  explicit TcxCustomDataRelationList(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  // Frees the relations without notifying the master (it is going away).
  ~TcxCustomDataRelationList();
  TcxCustomDataRelationList(const TcxCustomDataRelationList&) = delete;
  TcxCustomDataRelationList& operator=(const TcxCustomDataRelationList&) = delete;

  TcxCustomDataRelation* Add(TObject* AItem);
  void Assign(TcxCustomDataRelationList* AList);
  void Clear();
  // Frees one relation (its clones forget it first).
  void Remove(TcxCustomDataRelation* ARelation);
  void Move(int AFromIndex, int AToIndex);
  TcxCustomDataRelation* FindByItem(const TObject* AItem) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  TcxCustomDataRelation* Items(int AIndex) const { return FItems.at(static_cast<size_t>(AIndex)).get(); }
  int IndexOf(const TcxCustomDataRelation* ARelation) const;

  void BeginUpdate() { ++FLockCount; }
  // A bracket that reports nothing when it closes.
  void BeginUpdateQuiet() { ++FLockCount; }
  void EndUpdateQuiet() { --FLockCount; }
  void EndUpdate();
  // Runs Update unless an update bracket is open.
  void Changed(TcxCustomDataRelation* ARelation);
  void RemoveDataField(TcxCustomDataField* AField);

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxCustomDataField* DataField() const { return FDataField; }
  // The master is freeing its relations (and has freed its fields).
  bool Destroying() const { return FDestroying; }

  // Detail objects; every record index is range-checked ("RecordIndex out of range").
  // The record's detail object as stored (null when none).
  TcxDetailObject* GetValueAsDetailObject(int ARecordIndex) const;
  // Made on first use while some relation has a pattern controller; freed
  // (with its clones) once none has.
  TcxDetailObject* GetDetailObject(int ARecordIndex);
  // No relation of the pattern controller has a pattern detail bound.
  bool IsEmpty() const;
  bool IsDetailObjectExist(int ARecordIndex, int ARelationIndex) const;
  // -1 clears every relation's info; answers whether a detail object existed.
  bool ClearDetailObject(int ARecordIndex, int ARelationIndex);

 private:
  void Update(TcxCustomDataRelation* ARelation);
  void checkRecordIndex(int ARecordIndex) const;
  void storeDetailObject(int ARecordIndex, TcxDetailObject* AObject);

  TcxCustomDataController* FDataController;
  TcxCustomDataField* FDataField = nullptr;
  std::vector<std::unique_ptr<TcxCustomDataRelation>> FItems;
  int FLockCount = 0;
  bool FDestroying = false;
};

// What a detail object keeps for one relation: the clone's link object.
class TcxDetailInfoObject : public TObject {
  RTL_CLASS(TcxDetailInfoObject, TObject)

 public:
  std::unique_ptr<TObject> LinkObject;  // owned: the clone goes with it
  bool HasChildren = false;
  bool HasChildrenAssigned = false;
};

// One per master record that needed one.
class TcxDetailObject : public TObject {
  RTL_CLASS(TcxDetailObject, TObject)

 public:
  void Clear();
  // Answers whether something was there to free.
  bool ClearInfoObject(int AIndex);
  // Clears every cached has-children answer; answers whether any was set.
  bool ClearHasChildrenFlag();
  // Grows the info list to the relation count and keeps the active relation
  // on one that has a pattern controller.
  void CorrectCount(const TcxCustomDataRelationList* APatternRelations);
  TcxDetailInfoObject* GetInfoObject(int AIndex) const;
  void SetInfoObject(int AIndex, std::unique_ptr<TcxDetailInfoObject> AValue);
  TObject* GetLinkObject(int AIndex) const;
  void SetLinkObject(int AIndex, std::unique_ptr<TObject> AValue);
  int LinkObjectCount() const;
  bool IsEmpty() const { return LinkObjectCount() == 0; }
  int InfoCount() const { return static_cast<int>(FInfoObjects.size()); }
  // Every existing link object, in relation order (null slots skipped).
  template <class F>
  void ForEachLinkObject(F&& AProc) const {
    for (const auto& info : FInfoObjects)
      if (info && info->LinkObject) AProc(info->LinkObject.get());
  }

  int ActiveRelationIndex = -1;
  bool Expanded = false;

 private:
  void grow(int ACount);
  std::vector<std::unique_ptr<TcxDetailInfoObject>> FInfoObjects;
};

}  // namespace data

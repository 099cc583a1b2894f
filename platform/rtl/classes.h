#pragma once
// The component model: TPersistent, TComponent (ownership, names, free
// notification, loading), TDataModule and the collections.
#include <vector>

#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/types.h"

namespace rtl {

class TFiler;
class TReader;
class TWriter;
class TComponent;

// --- TPersistent ----------------------------------------------------------------
class TPersistent : public TObject {
  RTL_CLASS(TPersistent, TObject)

 public:
  // Copies `source` into this object. The base asks the source (AssignTo) and
  // fails with EConvertError "Cannot assign a <source> to a <this>".
  virtual void Assign(TPersistent* source);
  // The dotted path a designer or a stored layout shows ("Form1.Grid.Columns[2]").
  virtual String GetNamePath() const;
  virtual TPersistent* GetOwner() const { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* dest);
  // Extra stream data that is not a published property (TFiler::DefineProperty).
  virtual void DefineProperties(TFiler* filer) {}
  [[noreturn]] void AssignError(TPersistent* source);

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
};

// Interfaces are not reference counted here, so this is a TPersistent that
// descendants also derive interfaces into.
class TInterfacedPersistent : public TPersistent {
  RTL_CLASS(TInterfacedPersistent, TPersistent)
};

// --- TComponent ---------------------------------------------------------------------
enum class TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
  csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = Set<TComponentStateItem, 11>;

enum class TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = Set<TComponentStyleItem, 4>;

enum class TOperation { opInsert, opRemove };

using TGetChildProc = Method<void(TComponent* child)>;

class TComponent : public TPersistent {
  RTL_CLASS(TComponent, TPersistent)

 public:
  // Inserts itself into `owner`, which frees it. Inside a loading bracket the
  // component starts with csLoading and csReading.
  explicit TComponent(TComponent* owner);
  // Tells free-notification partners, frees the owned components (last first)
  // and leaves the owner.
  ~TComponent() override;

  static void Published(PropTable<TComponent>& p);

  TComponent* Owner() const { return owner_; }
  TPersistent* GetOwner() const override { return owner_; }
  String GetNamePath() const override { return name_; }

  // --- owned components
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;  // EListError "List index out of bounds (%d)"
  int ComponentIndex() const;               // -1 without owner
  void SetComponentIndex(int value);
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  TComponent* FindComponent(StringView name) const;  // case-insensitive; nullptr when absent
  void DestroyComponents();

  // --- name and tag
  const String& Name() const { return name_; }
  // EComponentError: "Component name \"%s\" is not valid",
  // "A component named %s already exists".
  virtual void SetName(const String& value);
  NativeInt Tag() const { return tag_; }
  void SetTag(NativeInt value) { tag_ = value; }

  // --- state
  TComponentState ComponentState() const { return state_; }
  TComponentStyle ComponentStyle() const { return style_; }
  void SetSubComponent(bool value);
  void Destroying();  // marks this and the owned components csDestroying
  void Updating() { state_ += TComponentStateItem::csUpdating; }
  void Updated() { state_ -= TComponentStateItem::csUpdating; }

  // --- free notification: both sides are told (opRemove) when either goes,
  // and each forgets the other, so neither keeps a dangling pointer.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);
  // Announces the removal ahead of destruction: every partner hears opRemove
  // and is forgotten, then the owner hears it (and passes it on).
  void BroadcastRemoveNotifications();

  // --- parent and children (forms and streaming)
  virtual void GetChildren(TGetChildProc proc, TComponent* root) {}
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* value) {}

  // Hooks TReader and TWriter call.
  virtual void ReadState(TReader* reader);
  virtual void WriteState(TWriter* writer);

  void BeforeDestruction() override;

 protected:
  // Tells this component that `component` is inserted or goes away. The base
  // forgets a free-notification partner on opRemove and passes the news on to
  // the owned components.
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void Loaded();  // clears csLoading
  virtual void SetChildOrder(TComponent* child, int order) {}
  virtual void ValidateRename(TComponent* component, const String& curName,
                              const String& newName);
  virtual void ValidateInsert(TComponent* component) {}
  virtual void ValidateContainer(TComponent* component);
  void ChangeName(const String& newName) { name_ = newName; }
  void SetDesigning(bool value, bool setChildren = true);
  void SetInline(bool value);
  void SetAncestor(bool value);
  void IncludeState(TComponentStateItem item) { state_ += item; }
  void ExcludeState(TComponentStateItem item) { state_ -= item; }
  void IncludeStyle(TComponentStyleItem item) { style_ += item; }
  void ExcludeStyle(TComponentStyleItem item) { style_ -= item; }

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
  friend void BeginLoading(TComponent* root);
  friend void EndLoading();
  friend void AbandonLoading();

 private:
  void insertItem(TComponent* component);
  void removeItem(TComponent* component);
  void unlinkFreeNotification(TComponent* other);
  void tellFreeNotificationPartners();

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;     // owned
  std::vector<TComponent*> freeNotifies_;   // partners, not owned
  String name_;
  NativeInt tag_ = 0;
  TComponentState state_;
  TComponentStyle style_ = {TComponentStyleItem::csInheritable};
};

bool IsValidIdent(StringView ident);

// --- loading bracket for forms and modules built in code ---------------------------
// Components created while a bracket is open (and its root) get csLoading and
// csReading; when the outermost bracket ends, csReading is cleared and Loaded
// runs on each one still alive, in creation order. Brackets nest per thread.
void BeginLoading(TComponent* root);
// Raises the first exception a Loaded raised, after all ran.
void EndLoading();
// Ends a bracket after a failure: the components stay but lose csLoading and
// csReading, and no Loaded runs.
void AbandonLoading();
bool IsLoading();

class TLoadingBracket {
 public:
  explicit TLoadingBracket(TComponent* root = nullptr);
  // Ends the bracket if End was not called. Left by an exception, the
  // components lose their loading state without Loaded. A Loaded that fails
  // here goes to ApplicationHandleException; call End to see it instead.
  ~TLoadingBracket();
  TLoadingBracket(const TLoadingBracket&) = delete;
  TLoadingBracket& operator=(const TLoadingBracket&) = delete;
  void End();

 private:
  bool open_ = true;
  int uncaught_;
};

// The platform's hook for exceptions raised by OnCreate/OnDestroy handlers
// (set by the application object). Called inside the catch block.
extern TNotifyEvent ApplicationHandleException;

// --- TDataModule ------------------------------------------------------------------
// Non-visual container. Its constructor opens a loading bracket, so whatever
// a descendant's constructor creates is loaded with it; create it through
// rtl::Create or its class so that AfterConstruction ends the bracket, runs
// Loaded, then OnCreate. OnDestroy runs before the owned components go.
class TDataModule : public TComponent {
  RTL_CLASS(TDataModule, TComponent)

 public:
  explicit TDataModule(TComponent* owner);
  ~TDataModule() override;

  static void Published(PropTable<TDataModule>& p);

  const TNotifyEvent& OnCreate() const { return onCreate_; }
  void SetOnCreate(const TNotifyEvent& value) { onCreate_ = value; }
  const TNotifyEvent& OnDestroy() const { return onDestroy_; }
  void SetOnDestroy(const TNotifyEvent& value) { onDestroy_ = value; }

  void AfterConstruction() override;
  void BeforeDestruction() override;
  void GetChildren(TGetChildProc proc, TComponent* root) override;

 protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  void Loaded() override;

 private:
  TNotifyEvent onCreate_;
  TNotifyEvent onDestroy_;
  bool bracketOpen_ = false;
  bool createPending_ = false;
  bool destroyDone_ = false;
};

// --- collections ---------------------------------------------------------------------
enum class TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  RTL_CLASS(TCollectionItem, TPersistent)

 public:
  // Joins `collection` (may be nullptr), taking its next ID.
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;  // leaves the collection

  TCollection* Collection() const { return collection_; }
  virtual void SetCollection(TCollection* value);
  int ID() const { return id_; }
  int Index() const;  // -1 outside a collection
  // Moves the item; EListError "List index out of bounds (%d)".
  virtual void SetIndex(int value);
  String DisplayName() const { return GetDisplayName(); }
  virtual void SetDisplayName(const String& value) { Changed(false); }
  String GetNamePath() const override;  // "<collection path>[<index>]"
  TPersistent* GetOwner() const override;

 protected:
  virtual String GetDisplayName() const { return ClassName(); }
  // Tells the collection (Update) unless it is updating: this item, or all.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
  RTL_CLASS(TCollection, TPersistent)

 public:
  explicit TCollection(ClassRef<TCollectionItem> itemClass);
  ~TCollection() override;

  ClassRef<TCollectionItem> ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int index) const;  // EListError "List index out of bounds (%d)"
  void SetItem(int index, TCollectionItem* value);  // assigns into the item
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  void ClearAndResetID();
  void Move(int curIndex, int newIndex);
  TCollectionItem* FindItemID(int id) const;
  int NextID() const { return nextID_; }

  virtual void BeginUpdate();
  virtual void EndUpdate();  // the outermost end calls Update(nullptr) once
  int UpdateCount() const { return updateCount_; }

  // Copies the items of another collection (item by item, via Assign).
  void Assign(TPersistent* source) override;
  // "<owner path>.<property>", or the class name without owner or property.
  String GetNamePath() const override;
  // The published property of the owner that holds this collection.
  String PropName() const;
  void SetPropName(const String& value) { propName_ = value; }

 protected:
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) {}
  // After a change: the item that changed, or nullptr for all of them.
  virtual void Update(TCollectionItem* item) {}
  void Changed();  // Update(nullptr) unless updating
  virtual void SetItemName(TCollectionItem* item) {}

 private:
  friend class TCollectionItem;
  void insertItem(TCollectionItem* item);
  void removeItem(TCollectionItem* item);

  ClassRef<TCollectionItem> itemClass_;
  std::vector<TCollectionItem*> items_;  // owned
  int nextID_ = 0;
  int updateCount_ = 0;
  String propName_;
};

// A collection that reports an owner (for name paths and streaming).
class TOwnedCollection : public TCollection {
  RTL_CLASS(TOwnedCollection, TCollection)

 public:
  TOwnedCollection(TPersistent* owner, ClassRef<TCollectionItem> itemClass)
      : TCollection(itemClass), owner_(owner) {}
  TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};

// "List index out of bounds (%d)" as EListError.
[[noreturn]] void ListIndexError(int index);

}  // namespace rtl

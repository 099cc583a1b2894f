#pragma once
// The library's class registries, owning object lists, multicast events and
// weak object links; its component bases, the shared-window timer and the
// message window; component collections, MRU items, auto width and dialog
// metrics.
#include <memory>
#include <unordered_map>
#include <vector>

#include "lib/core/dxCoreClasses.h"
#include "lib/core/forward.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/component_list.h"
#include "platform/rtl/lists.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"
#include "platform/gdi/types.h"
#include "platform/win/types.h"

namespace ui {
struct TMessage;
class TControl;
class TCustomForm;
enum class TPosition;
}  // namespace ui

namespace core {

using rtl::String;
using rtl::TClass;
using rtl::TComponent;
using rtl::TNotifyEvent;
using rtl::TObject;
using rtl::TPersistent;

// ===========================================================================
// Class registries
// ===========================================================================

// A list of classes with descriptions ("short part|hint"), optionally kept
// sorted by the short part and registered with the streaming registry.
class TcxRegisteredClasses : public TObject {
  RTL_CLASS(TcxRegisteredClasses, TObject)

 public:
  explicit TcxRegisteredClasses(bool ARegisterClasses = false);
  ~TcxRegisteredClasses() override;

  // A class already present keeps its first description.
  void Register(TClass AClass, const String& ADescription);
  void Unregister(TClass AClass);
  void Clear();

  int Count() const { return static_cast<int>(FItems.size()); }
  TClass Items(int Index) const;
  // The short part of the description.
  String Descriptions(int Index) const;
  int GetIndexByClass(TClass AClass) const;
  // Exact, case-sensitive class name.
  TClass FindByClassName(const String& AName) const;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);

 protected:
  virtual int CompareItems(int Index1, int Index2);
  virtual void Sort();

 private:
  struct Entry {
    String Description;
    TClass Class = nullptr;
  };
  std::vector<Entry> FItems;
  bool FRegisterClasses;
  bool FSorted = false;
};

struct TcxRegisteredClassListItemData {
  TClass ItemClass = nullptr;
  TClass RegisteredClass = nullptr;
};

// Maps an item class to a registered class through the nearest registered
// ancestor; among registrations of one class the newest wins.
class TcxRegisteredClassList : public TObject {
  RTL_CLASS(TcxRegisteredClassList, TObject)

 public:
  TcxRegisteredClassList() = default;
  ~TcxRegisteredClassList() override;

  virtual bool Find(TClass AItemClass, int& Index);
  TClass FindClass(TClass AItemClass);
  virtual void Register(TClass AItemClass, TClass ARegisteredClass);
  virtual void Unregister(TClass AItemClass, TClass ARegisteredClass);
  void Clear();

  int Count() const { return static_cast<int>(FItems.size()); }
  const TcxRegisteredClassListItemData& Items(int Index) const;

 private:
  struct Answer {
    bool Found;
    int Index;
  };
  Answer scan(TClass AItemClass) const;

  std::vector<std::unique_ptr<TcxRegisteredClassListItemData>> FItems;
  // Lookups far outnumber registrations, so answers are remembered until
  // the list changes.
  std::unordered_map<TClass, Answer> answers_;
};

// ===========================================================================
// Owning object list, open list, string list with a compare event
// ===========================================================================

class TcxObjectList : public rtl::TList {
  RTL_CLASS(TcxObjectList, rtl::TList)

 public:
  explicit TcxObjectList(bool AOwnObjects = true) : FOwnObjects(AOwnObjects) {}
  ~TcxObjectList() override;

  // When owning, frees every object (first to last), then empties the list.
  virtual void Clear();
  void FreeAndDelete(int Index);
  int FreeAndRemove(TObject* AObject);
  TObject* Items(int Index) const { return static_cast<TObject*>(Get(Index)); }
  bool OwnObjects() const { return FOwnObjects; }

 protected:
  // Frees the object; its entry stays.
  virtual void FreeItem(int Index);

 private:
  bool FOwnObjects;
};

// Writing past the end grows the list with nil slots first.
class TcxOpenList : public rtl::TList {
  RTL_CLASS(TcxOpenList, rtl::TList)

 public:
  void* Items(int Index) const { return Get(Index); }
  void SetItems(int Index, void* Item);
};

class TcxStringList;
using TcxStringListCompareEvent = rtl::Method<int(TcxStringList* AList, int Index1, int Index2)>;

class TcxStringList : public rtl::TStringList {
  RTL_CLASS(TcxStringList, rtl::TStringList)

 public:
  void Sort() override;
  const TcxStringListCompareEvent& OnCompare() const { return FOnCompare; }
  void SetOnCompare(const TcxStringListCompareEvent& Value) { FOnCompare = Value; }

 private:
  friend int cxStringListCompareStrings(rtl::TStringList* AList, int Index1, int Index2);
  TcxStringListCompareEvent FOnCompare;
};
int cxStringListCompareStrings(rtl::TStringList* AList, int Index1, int Index2);

// ===========================================================================
// Multicast events
// ===========================================================================

using TcxEventHandler = rtl::Method<void(TObject* Sender, const void* AEventArgs)>;

class TcxEventHandlerCollection : public TObject {
  RTL_CLASS(TcxEventHandlerCollection, TObject)

 public:
  // Ignored when an equal handler (same code and object) is present.
  void Add(const TcxEventHandler& AHandler);
  void Remove(const TcxEventHandler& AHandler);
  void Delete(int Index);
  int IndexOf(const TcxEventHandler& AHandler) const;
  int Count() const { return static_cast<int>(FEvents.size()); }
  // Calls the handlers present when the call starts, in order. A handler may
  // add or remove handlers: one removed before its turn is not called, one
  // added during the call waits for the next.
  void CallEvents(TObject* Sender, const void* AEventArgs);

 private:
  std::vector<TcxEventHandler> FEvents;
};

// ===========================================================================
// Weak object links
// ===========================================================================

class TcxObjectLink : public TObject {
  RTL_CLASS(TcxObjectLink, TObject)

 public:
  // The linked object, or nil once it has gone.
  TObject* Ref = nullptr;
};

class TcxObjectLinkController : public TObject {
  RTL_CLASS(TcxObjectLinkController, TObject)

 public:
  ~TcxObjectLinkController() override;
  TcxObjectLink* AddLink(TObject* AObject);
  void RemoveLink(TcxObjectLink* ALink);
  void ClearLinks(TObject* AObject);
  int LinkCount() const { return count_; }

 private:
  // The live links, by the object they point to.
  std::unordered_map<TObject*, std::vector<TcxObjectLink*>> FLinks;
  int count_ = 0;
};

// nil for a nil object. The holder gives the link back with cxRemoveObjectLink.
TcxObjectLink* cxAddObjectLink(TObject* AObject);
// Frees the link (nil is ignored).
void cxRemoveObjectLink(TcxObjectLink* ALink);
// Every link to AObject reads nil from now on.
void cxClearObjectLinks(TObject* AObject);

// ===========================================================================
// Interface-aware collections
// ===========================================================================

class TcxInterfacedCollectionItem : public rtl::TCollectionItem {
  RTL_CLASS(TcxInterfacedCollectionItem, rtl::TCollectionItem)

 public:
  explicit TcxInterfacedCollectionItem(rtl::TCollection* Collection)
      : rtl::TCollectionItem(Collection) {}
};

class TcxOwnedInterfacedCollection;
using TcxOwnedInterfacedCollectionChangeEvent =
    rtl::Method<void(TObject* Sender, rtl::TCollectionItem* AItem)>;
using TcxOwnedInterfacedCollectionCompareEvent =
    rtl::Method<int(TcxOwnedInterfacedCollection* Sender, rtl::TCollectionItem* AItem1,
                    rtl::TCollectionItem* AItem2)>;

class TcxOwnedInterfacedCollection : public rtl::TOwnedCollection {
  RTL_CLASS(TcxOwnedInterfacedCollection, rtl::TOwnedCollection)

 public:
  TcxOwnedInterfacedCollection(TPersistent* AOwner,
                               rtl::ClassRef<rtl::TCollectionItem> AItemClass)
      : rtl::TOwnedCollection(AOwner, AItemClass) {}
  ~TcxOwnedInterfacedCollection() override;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  void Sort();

  const TcxOwnedInterfacedCollectionChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TcxOwnedInterfacedCollectionChangeEvent& Value) { FOnChange = Value; }
  const TcxOwnedInterfacedCollectionCompareEvent& OnCompare() const { return FOnCompare; }
  void SetOnCompare(const TcxOwnedInterfacedCollectionCompareEvent& Value) {
    FOnCompare = Value;
  }

 protected:
  void Update(rtl::TCollectionItem* Item) override;
  int CompareItems(rtl::TCollectionItem* AItem1, rtl::TCollectionItem* AItem2);
  // Keeps the present order.
  virtual int DoCompareItems(rtl::TCollectionItem* AItem1, rtl::TCollectionItem* AItem2);

 private:
  int compareSortEntries(TcxStringList* AList, int Index1, int Index2);

  bool destroying_ = false;
  bool updating_ = false;
  bool sorting_ = false;
  bool FSorted = false;
  TcxOwnedInterfacedCollectionChangeEvent FOnChange;
  TcxOwnedInterfacedCollectionCompareEvent FOnCompare;
};

// ===========================================================================
// Components
// ===========================================================================

class TcxCustomComponent : public TComponent {
  RTL_CLASS(TcxCustomComponent, TComponent)

 public:
  explicit TcxCustomComponent(TComponent* AOwner) : TComponent(AOwner) {}
  // Announces the removal to partners and owner before anything is torn down.
  void BeforeDestruction() override;
};

class TcxComponent : public TcxCustomComponent {
  RTL_CLASS(TcxComponent, TcxCustomComponent)

 public:
  explicit TcxComponent(TComponent* AOwner) : TcxCustomComponent(AOwner) {}
  ~TcxComponent() override;

  static void Published(rtl::PropTable<TcxComponent>& p);

  TComponent* FakeComponentLink1() const { return FFakeComponentLink1; }
  TComponent* FakeComponentLink2() const { return FFakeComponentLink2; }
  TComponent* FakeComponentLink3() const { return FFakeComponentLink3; }
  void SetFakeComponentLink1(TComponent*) {}
  void SetFakeComponentLink2(TComponent*) {}
  void SetFakeComponentLink3(TComponent*) {}
  int GetFakeComponentLinkCount() const { return 3; }

 protected:
  virtual void GetFakeComponentLinks(std::vector<TComponent*>& AList) {}
  void Loaded() override;
  bool GetIsDesigning() const;
  bool GetIsDestroying() const;

 private:
  void UpdateFakeLinks();

  TComponent* FFakeComponentLink1 = nullptr;
  TComponent* FFakeComponentLink2 = nullptr;
  TComponent* FFakeComponentLink3 = nullptr;
};

// A component stored with the screen resolution it was made at, rescaled
// once when loaded at another one.
class TcxScalableComponent : public TcxComponent {
  RTL_CLASS(TcxScalableComponent, TcxComponent)

 public:
  explicit TcxScalableComponent(TComponent* AOwner);

  int PixelsPerInch() const { return FPixelsPerInch; }
  bool Scalable() const { return FScalable; }
  void SetScalable(bool Value) { FScalable = Value; }

 protected:
  virtual void ChangeScale(int M, int D) {}
  void DefineProperties(rtl::TFiler* Filer) override;
  void Loaded() override;

 private:
  void ReadPixelsPerInch(rtl::TReader* Reader);
  void WritePixelsPerInch(rtl::TWriter* Writer);

  int FPixelsPerInch;
  bool FScalable = true;
};

// Asks AComponent to tell ARecipient when it is freed (nil is ignored).
void cxAddFreeNotification(TComponent* ARecipient, TComponent* AComponent);
void cxRemoveFreeNotification(TComponent* ARecipient, TComponent* AComponent);
// Tells the free-notification partners and the owner that AComponent goes.
void cxBroadcastRemoveNotifications(TComponent* AComponent);

// ===========================================================================
// Message window and timer
// ===========================================================================

// Owns a hidden top-level window whose messages reach the virtual WndProc.
class TcxMessageWindow : public TcxIUnknownObject {
  RTL_CLASS(TcxMessageWindow, TcxIUnknownObject)

 public:
  TcxMessageWindow();
  ~TcxMessageWindow() override;
  win::HWND Handle() const { return FHandle; }

 protected:
  // The base answers through the default window procedure.
  virtual void WndProc(ui::TMessage& Message);

 private:
  // Exceptions from WndProc go to the application's handler and stop here.
  void MainWndProc(ui::TMessage& Message);

  win::HWND FHandle = nullptr;
};

// Runs OnTimer every Interval ms while enabled and handled; every timer of
// the process shares one hidden window.
class TcxTimer : public TComponent {
  RTL_CLASS(TcxTimer, TComponent)

 public:
  explicit TcxTimer(TComponent* AOwner);
  ~TcxTimer() override;

  static void Published(rtl::PropTable<TcxTimer>& p);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  rtl::Cardinal Interval() const { return FInterval; }
  // 0 is ignored.
  void SetInterval(rtl::Cardinal Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& Value);
  // True while a system timer runs for this object.
  bool TimerOn() const { return FTimerOn; }

 protected:
  virtual void TimeOut();

 private:
  friend class TcxTimerWindow;
  bool CanSetTimer() const;
  void KillTimer();
  void SetTimer();
  void SetTimerOn(bool Value);
  void UpdateTimer();

  bool FEnabled = true;
  rtl::Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  win::UINT_PTR FEventID;
  bool FTimerOn = false;
};

// An ownerless timer; the caller frees it.
TcxTimer* cxCreateTimer(const TNotifyEvent& AOnTimer, rtl::Cardinal AInterval = 1000,
                        bool AEnabled = true);

// The shared timer window (null after the unit stop).
TcxMessageWindow* cxTimerWindow();

// Start and stop of this unit's process-wide state. The start runs by
// itself when the program starts; the stop frees the shared objects, after
// which no timer starts and no link is listed. Tests call both to begin anew.
void cxClassesUnitStart();
void cxClassesUnitStop();
bool cxClassesUnitIsFinalized();

// ===========================================================================
// Component collections
// ===========================================================================

enum class TcxComponentCollectionNotification {
  ccnAdded, ccnChanged, ccnExtracting, ccnExtracted, ccnDeleting
};
using enum TcxComponentCollectionNotification;

class TcxComponentCollection;
class TcxComponentCollectionItem;

using TcxComponentCollectionChangeEvent =
    rtl::Method<void(TObject* Sender, TcxComponentCollectionItem* AItem,
                     TcxComponentCollectionNotification AAction)>;

// An item of a component collection: a component that finds its collection
// in its parent component.
class TcxComponentCollectionItem : public TcxCustomComponent {
  RTL_CLASS(TcxComponentCollectionItem, TcxCustomComponent)

 public:
  explicit TcxComponentCollectionItem(TComponent* AOwner) : TcxCustomComponent(AOwner) {}
  ~TcxComponentCollectionItem() override;

  TcxComponentCollection* Collection() const { return FCollection; }
  virtual void SetCollection(TcxComponentCollection* Value);
  int ID() const { return FID; }
  int Index() const;
  virtual void SetIndex(int Value);
  String DisplayName() const { return GetDisplayName(); }

  bool HasParent() const override;
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  virtual TcxComponentCollection* GetCollectionFromParent(TComponent* AParent) = 0;
  virtual String GetDisplayName() const { return Name(); }
  void Changed(bool AAllItems);

 private:
  friend class TcxComponentCollection;
  TcxComponentCollection* FCollection = nullptr;
  int FID = 0;
};

class TcxComponentCollection : public TPersistent {
  RTL_CLASS(TcxComponentCollection, TPersistent)

 public:
  TcxComponentCollection(TComponent* AParentComponent,
                         rtl::ClassRef<TcxComponentCollectionItem> AItemClass);
  ~TcxComponentCollection() override;

  TcxComponentCollectionItem* Add();
  TcxComponentCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  void Assign(TPersistent* Source) override;

  virtual void BeginUpdate();
  virtual void EndUpdate(bool AForceUpdate = true);

  int Count() const { return static_cast<int>(FItems.size()); }
  TcxComponentCollectionItem* Items(int Index) const;
  int IndexOf(const TcxComponentCollectionItem* AItem) const;
  TPersistent* GetOwner() const override { return FParentComponent; }
  TComponent* ParentComponent() const { return FParentComponent; }
  rtl::ClassRef<TcxComponentCollectionItem> ItemClass() const { return FItemClass; }
  int NextID() const { return FNextID; }

  const TcxComponentCollectionChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TcxComponentCollectionChangeEvent& Value) { FOnChange = Value; }

 protected:
  virtual ui::TControl* GetParentControl() const { return nullptr; }
  virtual String GetItemPrefixName() const { return {}; }
  virtual String GetItemSuffixName() const { return {}; }
  virtual void Notify(TcxComponentCollectionItem* AItem,
                      TcxComponentCollectionNotification AAction) {}
  virtual void SetItemName(TcxComponentCollectionItem* AItem);
  virtual void Update(TcxComponentCollectionItem* AItem,
                      TcxComponentCollectionNotification AAction);
  void Changed(TcxComponentCollectionItem* AItem = nullptr,
               TcxComponentCollectionNotification AAction = ccnChanged);

 private:
  friend class TcxComponentCollectionItem;
  void InsertItem(TcxComponentCollectionItem* AItem);
  void RemoveItem(TcxComponentCollectionItem* AItem);
  void MoveItem(TcxComponentCollectionItem* AItem, int ANewIndex);

  rtl::ClassRef<TcxComponentCollectionItem> FItemClass;
  std::vector<TcxComponentCollectionItem*> FItems;
  int FNextID = 0;
  TComponent* FParentComponent;
  int FUpdateCount = 0;
  TcxComponentCollectionChangeEvent FOnChange;
};

// Interfaces are not counted here, so this adds nothing but its name.
class TcxInterfacedComponentCollection : public TcxComponentCollection {
  RTL_CLASS(TcxInterfacedComponentCollection, TcxComponentCollection)

 public:
  using TcxComponentCollection::TcxComponentCollection;
};

// ===========================================================================
// Component list that reports its changes
// ===========================================================================

class TcxComponentList;
using TcxComponentListChangeEvent =
    rtl::Method<void(TObject* Sender, TComponent* AComponent,
                     TcxComponentCollectionNotification AAction)>;
using TcxComponentListNotifyEvent =
    rtl::Method<void(TObject* Sender, TComponent* AComponent, rtl::TListNotification AAction)>;

class TcxComponentList : public rtl::TComponentList {
  RTL_CLASS(TcxComponentList, rtl::TComponentList)

 public:
  explicit TcxComponentList(bool AOwnsObjects = true) : rtl::TComponentList(AOwnsObjects) {}
  ~TcxComponentList() override;

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void Clear();

  const TcxComponentListChangeEvent& OnComponentListChanged() const { return FOnChanged; }
  void SetOnComponentListChanged(const TcxComponentListChangeEvent& Value) { FOnChanged = Value; }
  const TcxComponentListNotifyEvent& OnNotify() const { return FOnNotify; }
  void SetOnNotify(const TcxComponentListNotifyEvent& Value) { FOnNotify = Value; }

 protected:
  void Notify(void* Ptr, rtl::TListNotification Action) override;
  virtual void DoNotify(TComponent* AItem, rtl::TListNotification AAction);
  virtual TClass GetItemClass() const { return &TComponent::classInfo(); }
  void Update(TComponent* AItem, TcxComponentCollectionNotification AAction);

 private:
  int FUpdateCount = 0;
  TcxComponentListChangeEvent FOnChanged;
  TcxComponentListNotifyEvent FOnNotify;
};

// ===========================================================================
// MRU items
// ===========================================================================

class TcxMRUItem : public TObject {
  RTL_CLASS(TcxMRUItem, TObject)

 public:
  virtual bool Equals(TcxMRUItem* AItem) = 0;
};

// Newest first; MaxCount 0 means no limit.
class TcxMRUItems : public TObject {
  RTL_CLASS(TcxMRUItems, TObject)

 public:
  TcxMRUItems() = default;
  ~TcxMRUItems() override;

  // Takes the item. Without duplicates, an equal item present moves to the
  // top and AItem is freed.
  void Add(TcxMRUItem* AItem);
  void Delete(int AIndex);
  void ClearItems();
  int IndexOf(TcxMRUItem* AItem) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  TcxMRUItem* Items(int AIndex) const;

  bool AllowDuplicates() const { return FAllowDuplicates; }
  void SetAllowDuplicates(bool Value) { FAllowDuplicates = Value; }
  int MaxCount() const { return FMaxCount; }
  void SetMaxCount(int Value);

 private:
  void UpdateCount();

  bool FAllowDuplicates = false;
  std::vector<TcxMRUItem*> FItems;  // owned
  int FMaxCount = 0;
};

// ===========================================================================
// Auto width
// ===========================================================================

class TcxAutoWidthItem : public TObject {
  RTL_CLASS(TcxAutoWidthItem, TObject)

 public:
  int MinWidth = 0;
  int Width = 0;
  bool Fixed = false;
  int AutoWidth = -1;
};

// Shares a width among items in proportion to their natural widths,
// honouring minimum widths and fixed items.
class TcxAutoWidthObject : public TObject {
  RTL_CLASS(TcxAutoWidthObject, TObject)

 public:
  explicit TcxAutoWidthObject(int ACapacity = 0);
  ~TcxAutoWidthObject() override;

  TcxAutoWidthItem* AddItem();
  void Calculate();
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TcxAutoWidthItem* Items(int Index) const;
  // The sum of the natural widths.
  int Width() const;
  int AvailableWidth() const { return FAvailableWidth; }
  void SetAvailableWidth(int Value) { FAvailableWidth = Value; }

 private:
  int FAvailableWidth = 0;
  std::vector<std::unique_ptr<TcxAutoWidthItem>> FItems;
};

// ===========================================================================
// Dialog metrics
// ===========================================================================

class IcxDialogMetricsClientSize {
 public:
  virtual ~IcxDialogMetricsClientSize() = default;
  virtual gdi::SIZE GetClientSize() = 0;
  virtual void SetClientSize(const gdi::SIZE& AValue) = 0;
};

class IcxDialogMetricsInfoData {
 public:
  virtual ~IcxDialogMetricsInfoData() = default;
  virtual const void* GetInfoData() = 0;
  virtual int GetInfoDataSize() = 0;
  virtual void SetInfoData(const void* AData) = 0;
};

class TcxDialogMetricsInfo : public TObject {
  RTL_CLASS(TcxDialogMetricsInfo, TObject)

 public:
  explicit TcxDialogMetricsInfo(ui::TCustomForm* AForm);

  TClass DialogClass() const { return FDialogClass; }
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int ClientWidth() const { return FClientWidth; }
  int ClientHeight() const { return FClientHeight; }
  bool Maximized() const { return FMaximized; }
  const void* Data() const { return FData.empty() ? nullptr : FData.data(); }
  int DataSize() const { return static_cast<int>(FData.size()); }

  void Store(ui::TCustomForm* AForm);
  void Restore(ui::TCustomForm* AForm);

 private:
  int FClientHeight = 0;
  int FClientWidth = 0;
  std::vector<unsigned char> FData;
  TClass FDialogClass = nullptr;
  int FLeft = 0;
  int FTop = 0;
  bool FMaximized = false;
};

class TcxDialogsMetricsStore : public TObject {
  RTL_CLASS(TcxDialogsMetricsStore, TObject)

 public:
  TcxDialogsMetricsStore();
  ~TcxDialogsMetricsStore() override;

  void InitDialog(ui::TCustomForm* AForm);
  void StoreMetrics(ui::TCustomForm* AForm);
  int FindMetrics(ui::TCustomForm* AForm) const;
  int Count() const { return FMetrics->Count(); }
  TcxDialogMetricsInfo* Metrics(int Index) const {
    return static_cast<TcxDialogMetricsInfo*>(FMetrics->Items(Index));
  }
  ui::TPosition DefaultPosition() const { return FDefaultPosition; }
  void SetDefaultPosition(ui::TPosition Value) { FDefaultPosition = Value; }

 private:
  ui::TPosition FDefaultPosition;
  std::unique_ptr<TcxObjectList> FMetrics;
};

// The one store, made on first use (nil after the unit stop).
TcxDialogsMetricsStore* cxDialogsMetricsStore();

// ===========================================================================
// Small routines
// ===========================================================================

String GetShortHint(const String& Hint);
String cxGetClassName(win::HWND Wnd);
const rtl::Char* GetPChar(const String& S, int Index);
int cxStrCharLength(const String& S, int Index = 1);
int RoundDiv(int A, int B);
gdi::SIZE Size(int CX, int CY);
void SwapIntegers(int& A, int& B);
int GetRangeCenter(int ABound1, int ABound2);
bool StreamsEqual(rtl::TMemoryStream* AStream1, rtl::TMemoryStream* AStream2);
int cxSign(double X);
win::LRESULT cxSendStructMessage(win::HWND AHandle, win::UINT Msg, win::WPARAM WParam,
                                 const void* AStructure);
win::LRESULT cxSendStructMessageEx(win::HWND AHandle, win::UINT Msg, const void* AStructure,
                                   win::WPARAM AParam, bool AStructureIsLParam);
void CallNotify(const TNotifyEvent& ANotifyEvent, TObject* ASender);
TPersistent* GetPersistentOwner(TPersistent* APersistent);
String GetValidName(TComponent* AComponent, const String& AName, bool AIsBaseName = false);
using TcxGetComponent = TComponent* (*)(TComponent* ACaller, int Index);
void RenameComponents(TComponent* ACaller, TComponent* AOwner, const String& ANewName,
                      const String& AOldName, int AComponentCount,
                      TcxGetComponent AGetComponent);
String CreateUniqueName(TComponent* ARoot, TComponent* AParentComponent, TComponent* AComponent,
                        const String& APrefixName, const String& ASuffixName,
                        int AStartIndex = -1);
String cxGenerateComponentName(TComponent* AParentComponent, const String& AClassName,
                               const String& APrefixName, int N, const String& ASuffixName);

}  // namespace core

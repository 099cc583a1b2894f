// Component model: Assign, ownership, names, free notification, the loading
// bracket, data modules and collections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace {

using namespace rtl;

using Log = std::vector<std::string>;

std::string utf8(const String& s) { return StringToUtf8(s); }

// --- Assign ---------------------------------------------------------------------------

class TColorBox : public TPersistent {
  RTL_CLASS(TColorBox, TPersistent)

 public:
  int color = 0;
  void Assign(TPersistent* source) override {
    if (auto* other = dynamic_cast<TColorBox*>(source)) {
      color = other->color;
      return;
    }
    TPersistent::Assign(source);
  }
};

class TSizeBox : public TPersistent {
  RTL_CLASS(TSizeBox, TPersistent)

 public:
  int size = 0;

 protected:
  // Knows how to put itself into a TColorBox.
  void AssignTo(TPersistent* dest) override {
    if (auto* box = dynamic_cast<TColorBox*>(dest)) {
      box->color = size;
      return;
    }
    TPersistent::AssignTo(dest);
  }
};

TEST(Persistent, AssignCopiesWhereEitherSideKnowsHow) {
  TColorBox a, b;
  b.color = 7;
  a.Assign(&b);
  EXPECT_EQ(a.color, 7);

  TSizeBox size;
  size.size = 12;
  a.Assign(&size);  // through the source's AssignTo
  EXPECT_EQ(a.color, 12);
}

TEST(Persistent, AssignErrorNamesSourceAndTarget) {
  TColorBox color;
  TSizeBox size;
  struct Case {
    TPersistent* target;
    TPersistent* source;
    std::u16string message;
  } cases[] = {
      {&size, &color, u"Cannot assign a TColorBox to a TSizeBox"},
      {&size, &size, u"Cannot assign a TSizeBox to a TSizeBox"},
      {&color, nullptr, u"Cannot assign a nil to a TColorBox"},
  };
  for (const Case& c : cases) {
    try {
      c.target->Assign(c.source);
      ADD_FAILURE() << utf8(c.message) << ": no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

// --- components that record what happens to them -----------------------------------------

class TProbe : public TComponent {
  RTL_CLASS(TProbe, TComponent)

 public:
  TProbe(TComponent* owner, Log* log = nullptr, const char* tag = "") : TComponent(owner), log_(log), id_(tag) {}
  ~TProbe() override {
    if (log_) log_->push_back("destroy " + id_);
  }

  // A reference guarded by free notification.
  TComponent* link = nullptr;
  void SetLink(TComponent* value) {
    if (link) link->RemoveFreeNotification(this);
    link = value;
    if (link) link->FreeNotification(this);
  }
  int removeNotices(TComponent* about) const {
    int n = 0;
    for (TComponent* c : removed)
      if (c == about) ++n;
    return n;
  }
  std::vector<TComponent*> removed;
  std::vector<TComponent*> inserted;
  TComponentState stateAtLoaded;
  using TComponent::ComponentState;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) {
      removed.push_back(component);
      if (component == link) link = nullptr;
    } else {
      inserted.push_back(component);
    }
  }
  void Loaded() override {
    stateAtLoaded = ComponentState();
    TComponent::Loaded();
    if (log_) log_->push_back("loaded " + id_);
  }

 private:
  Log* log_;
  std::string id_;
};

TEST(Component, OwnerFreesOwnedComponentsLastFirst) {
  Log log;
  auto* owner = new TProbe(nullptr, &log, "owner");
  auto* a = new TProbe(owner, &log, "a");
  auto* b = new TProbe(owner, &log, "b");
  auto* grandchild = new TProbe(a, &log, "a1");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(1), b);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(grandchild->Owner(), a);
  EXPECT_EQ(owner->ComponentIndex(), -1);
  owner->Free();
  EXPECT_EQ(log, (Log{"destroy owner", "destroy b", "destroy a", "destroy a1"}));
}

TEST(Component, AnOwnedComponentFreedByItselfLeavesItsOwner) {
  TProbe owner(nullptr);
  auto* a = new TProbe(&owner);
  auto* b = new TProbe(&owner);
  a->Free();
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(owner.removeNotices(a), 1);
  EXPECT_EQ(b->removeNotices(a), 1);  // siblings hear it through the owner
}

TEST(Component, IndexErrorsAndReordering) {
  TProbe owner(nullptr);
  auto* a = new TProbe(&owner);
  auto* b = new TProbe(&owner);
  auto* c = new TProbe(&owner);
  for (int bad : {-1, 3}) {
    try {
      owner.Components(bad);
      ADD_FAILURE() << bad;
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), u"List index out of bounds (" + S(std::to_string(bad)) + u")");
    }
  }
  c->SetComponentIndex(0);
  EXPECT_EQ(owner.Components(0), c);
  a->SetComponentIndex(99);  // clamped to the end
  EXPECT_EQ(owner.Components(2), a);
  EXPECT_EQ(owner.Components(1), b);
}

TEST(Component, InsertingMovesBetweenOwnersAndRemovingKeepsTheComponent) {
  TProbe first(nullptr), second(nullptr);
  auto* c = new TProbe(&first);
  EXPECT_EQ(first.inserted, std::vector<TComponent*>{c});
  second.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(first.removeNotices(c), 1);
  EXPECT_EQ(second.inserted, std::vector<TComponent*>{c});

  second.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  EXPECT_EQ(second.ComponentCount(), 0);
  c->Free();  // no owner any more: ours to free
}

TEST(ComponentName, IdentifierRules) {
  struct Case {
    const char16_t* name;
    bool valid;
  } cases[] = {
      {u"Button1", true}, {u"_x", true},     {u"a_1_b", true},  {u"", true},
      {u"1Button", false}, {u"my button", false}, {u"a.b", false}, {u"ação", false},
      {u"a-b", false},
  };
  for (const Case& c : cases) {
    TProbe probe(nullptr);
    if (c.valid) {
      EXPECT_NO_THROW(probe.SetName(c.name)) << utf8(c.name);
      EXPECT_EQ(probe.Name(), c.name);
    } else {
      try {
        probe.SetName(c.name);
        ADD_FAILURE() << utf8(c.name) << " accepted";
      } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), u"Component name \"" + String(c.name) + u"\" is not valid");
        EXPECT_EQ(probe.Name(), u"");
      }
    }
  }
}

TEST(ComponentName, UniqueAmongSiblingsIgnoringCase) {
  TProbe owner(nullptr), other(nullptr);
  auto* a = new TProbe(&owner);
  auto* b = new TProbe(&owner);
  auto* c = new TProbe(&other);
  a->SetName(u"Edit1");
  try {
    b->SetName(u"EDIT1");
    ADD_FAILURE() << "duplicate accepted";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), u"A component named EDIT1 already exists");
  }
  EXPECT_EQ(b->Name(), u"");
  EXPECT_NO_THROW(c->SetName(u"Edit1"));  // another owner
  EXPECT_NO_THROW(a->SetName(u"EDIT1"));  // its own name in other case
  EXPECT_NO_THROW(b->SetName(u"")) << "unnamed siblings do not clash";
  EXPECT_EQ(owner.FindComponent(u"edit1"), a);
  EXPECT_EQ(owner.FindComponent(u""), nullptr);
  EXPECT_EQ(owner.FindComponent(u"Nope"), nullptr);

  // Joining an owner with a taken name fails and leaves the component where it was.
  EXPECT_THROW(owner.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), &other);
}

TEST(ComponentProperties, NameAndTagArePublished) {
  TProbe probe(nullptr);
  SetStrProp(&probe, u"Name", u"Probe1");
  SetOrdProp(&probe, u"Tag", 5);
  EXPECT_EQ(probe.Name(), u"Probe1");
  EXPECT_EQ(probe.Tag(), 5);
  EXPECT_FALSE(IsStoredProp(&probe, u"Name"));
  EXPECT_EQ(probe.GetNamePath(), u"Probe1");
}

// --- free notification ------------------------------------------------------------------

TEST(FreeNotification, TargetDyingClearsTheHolderOnce) {
  struct Case {
    const char* what;
    bool sameOwner;
    bool holderIsOwner;
  } cases[] = {
      {"different owners", false, false},
      {"siblings", true, false},
      {"holder owns the target", false, true},
  };
  for (const Case& c : cases) {
    TProbe formA(nullptr), formB(nullptr);
    auto* holder = new TProbe(&formA);
    TComponent* targetOwner = c.holderIsOwner ? holder : c.sameOwner ? &formA : &formB;
    auto* target = new TProbe(targetOwner);
    holder->SetLink(target);
    EXPECT_TRUE(target->ComponentState().contains(TComponentStateItem::csFreeNotification));
    target->Free();
    EXPECT_EQ(holder->link, nullptr) << c.what;
    EXPECT_EQ(holder->removeNotices(target), 1) << c.what;
  }
}

TEST(FreeNotification, HolderDyingFirstLeavesNoDanglingEntry) {
  TProbe formA(nullptr), formB(nullptr);
  auto* holder = new TProbe(&formA);
  auto* target = new TProbe(&formB);
  holder->SetLink(target);
  holder->Free();
  // The target was told too, and forgot the holder: freeing it must not touch
  // the dead holder (AddressSanitizer would see it).
  EXPECT_EQ(target->removeNotices(holder), 1);
  EXPECT_FALSE(target->ComponentState().contains(TComponentStateItem::csFreeNotification));
  target->Free();
}

TEST(FreeNotification, RemovedLinksAreNotTold) {
  TProbe formA(nullptr), formB(nullptr);
  auto* holder = new TProbe(&formA);
  auto* target = new TProbe(&formB);
  holder->SetLink(target);
  holder->SetLink(nullptr);
  target->Free();
  EXPECT_EQ(holder->removeNotices(target), 0);
}

TEST(FreeNotification, OwnersDyingTogetherStayConsistent) {
  // Cross links between two forms; freeing both in either order is clean.
  for (bool firstA : {true, false}) {
    auto* formA = new TProbe(nullptr);
    auto* formB = new TProbe(nullptr);
    auto* a = new TProbe(formA);
    auto* b = new TProbe(formB);
    a->SetLink(b);
    b->SetLink(a);
    (firstA ? formA : formB)->Free();
    TProbe* survivor = firstA ? b : a;
    EXPECT_EQ(survivor->link, nullptr);
    (firstA ? formB : formA)->Free();
  }
}

// --- loading bracket ------------------------------------------------------------------

TEST(LoadingBracket, LoadedRunsInCreationOrderAtTheOutermostEnd) {
  Log log;
  TProbe form(nullptr, &log, "form");
  TProbe* panel = nullptr;
  TProbe* edit = nullptr;
  {
    TLoadingBracket outer(&form);
    panel = new TProbe(&form, &log, "panel");
    EXPECT_TRUE(panel->ComponentState().contains(TComponentStateItem::csLoading));
    EXPECT_TRUE(panel->ComponentState().contains(TComponentStateItem::csReading));
    EXPECT_TRUE(form.ComponentState().contains(TComponentStateItem::csLoading));
    {
      TLoadingBracket inner(panel);  // already loading: not listed twice
      edit = new TProbe(panel, &log, "edit");
    }
    EXPECT_TRUE(log.empty()) << "inner end runs nothing";
    auto* gone = new TProbe(&form, &log, "gone");
    gone->Free();
  }
  EXPECT_EQ(log, (Log{"destroy gone", "loaded form", "loaded panel", "loaded edit"}));
  // Loaded sees csLoading without csReading; afterwards both are clear.
  EXPECT_TRUE(edit->stateAtLoaded.contains(TComponentStateItem::csLoading));
  EXPECT_FALSE(edit->stateAtLoaded.contains(TComponentStateItem::csReading));
  EXPECT_TRUE((edit->ComponentState() * TComponentState{TComponentStateItem::csLoading,
                                                         TComponentStateItem::csReading})
                  .empty());
  EXPECT_FALSE(IsLoading());
  auto* later = new TProbe(&form);
  EXPECT_FALSE(later->ComponentState().contains(TComponentStateItem::csLoading));
}

TEST(LoadingBracket, LeftByAnExceptionSkipsLoaded) {
  Log log;
  TProbe form(nullptr, &log, "form");
  TProbe* child = nullptr;
  try {
    TLoadingBracket bracket(&form);
    child = new TProbe(&form, &log, "child");
    throw EAbort(u"stop");
  } catch (const EAbort&) {
  }
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(IsLoading());
  EXPECT_FALSE(child->ComponentState().contains(TComponentStateItem::csLoading));
  EXPECT_FALSE(form.ComponentState().contains(TComponentStateItem::csLoading));
}

TEST(LoadingBracket, ExplicitEndReportsLoadedFailuresAfterAllRan) {
  class TFailing : public TProbe {
   public:
    using TProbe::TProbe;

   protected:
    void Loaded() override {
      TProbe::Loaded();
      throw EInvalidOperation(u"bad");
    }
  };
  Log log;
  TProbe form(nullptr);
  TLoadingBracket bracket;
  new TFailing(&form, &log, "first");
  new TProbe(&form, &log, "second");
  EXPECT_THROW(bracket.End(), EInvalidOperation);
  EXPECT_EQ(log, (Log{"loaded first", "loaded second"}));
  EXPECT_FALSE(IsLoading());
}

// --- data modules -------------------------------------------------------------------------

class TLogModule : public TDataModule {
  RTL_CLASS(TLogModule, TDataModule)

 public:
  explicit TLogModule(TComponent* owner) : TDataModule(owner) {
    query = new TProbe(this, log(), "query");
    query->SetName(u"Query1");
    connection = new TProbe(this, log(), "connection");
    SetOnCreate(TNotifyEvent::bind<&TLogModule::ModuleCreate>(this));
    SetOnDestroy(TNotifyEvent::bind<&TLogModule::ModuleDestroy>(this));
  }
  void ModuleCreate(TObject* sender) {
    log()->push_back(std::string("OnCreate ") + (sender == this ? "self" : "other"));
    createdWhileLoading = ComponentState().contains(TComponentStateItem::csLoading);
  }
  void ModuleDestroy(TObject*) {
    log()->push_back(std::string("OnDestroy, children ") + std::to_string(ComponentCount()));
  }
  static Log* log() {
    static Log instance;
    return &instance;
  }

  TProbe* query;
  TProbe* connection;
  bool createdWhileLoading = true;

 protected:
  void Loaded() override {
    TDataModule::Loaded();
    log()->push_back("loaded module");
  }
};

TEST(DataModule, ChildrenLoadedThenOnCreateThenOnDestroyBeforeChildrenGo) {
  Log& log = *TLogModule::log();
  log.clear();
  TProbe application(nullptr);
  auto* dm = rtl::Create<TLogModule>(&application);
  EXPECT_EQ(log, (Log{"loaded module", "loaded query", "loaded connection", "OnCreate self"}));
  EXPECT_FALSE(dm->createdWhileLoading);
  EXPECT_FALSE(IsLoading());
  EXPECT_EQ(dm->FindComponent(u"query1"), dm->query);

  std::vector<TComponent*> children;
  struct Collector {
    std::vector<TComponent*>* out;
    void Add(TComponent* c) { out->push_back(c); }
  } collector{&children};
  dm->GetChildren(TGetChildProc::bind<&Collector::Add>(&collector), dm);
  EXPECT_EQ(children, (std::vector<TComponent*>{dm->query, dm->connection}));

  log.clear();
  dm->Free();
  EXPECT_EQ(log, (Log{"OnDestroy, children 2", "destroy connection", "destroy query"}));
  EXPECT_EQ(application.ComponentCount(), 0);
}

TEST(DataModule, CreatedThroughItsClassAndFreedByItsOwner) {
  Log& log = *TLogModule::log();
  log.clear();
  RegisterClass(TLogModule::classInfo());
  ClassRef<TDataModule> cls = FindClass(u"TLogModule");
  {
    TProbe application(nullptr);
    TDataModule* dm = cls.Create(&application);
    EXPECT_EQ(dm->ClassName(), u"TLogModule");
    EXPECT_EQ(log.back(), "OnCreate self");
    log.clear();
  }
  EXPECT_EQ(log, (Log{"OnDestroy, children 2", "destroy connection", "destroy query"}));
  UnRegisterClass(TLogModule::classInfo());
}

TEST(DataModule, EventsArePublished) {
  TProbe application(nullptr);
  auto* dm = rtl::Create<TDataModule>(&application);
  EXPECT_EQ(GetPropList(dm, tkMethods).size(), 2u);
  EXPECT_TRUE(IsDefaultPropValue(dm, GetPropInfo(dm, u"OnCreate")));
}

// --- collections -------------------------------------------------------------------------

class TValueItem : public TCollectionItem {
  RTL_CLASS(TValueItem, TCollectionItem)

 public:
  using TCollectionItem::TCollectionItem;
  int value = 0;
  void Assign(TPersistent* source) override {
    if (auto* other = dynamic_cast<TValueItem*>(source)) {
      value = other->value;
      Changed(false);
      return;
    }
    TCollectionItem::Assign(source);
  }
  void SetValue(int v) {
    value = v;
    Changed(false);
  }
};

class TRecordingCollection : public TOwnedCollection {
 public:
  TRecordingCollection(TPersistent* owner, Log* log)
      : TOwnedCollection(owner, TValueItem::classInfo()), log_(log) {}
  ~TRecordingCollection() override { log_ = nullptr; }
  TValueItem* item(int i) const { return static_cast<TValueItem*>(Items(i)); }
  std::vector<int> values() const {
    std::vector<int> r;
    for (int i = 0; i < Count(); ++i) r.push_back(item(i)->value);
    return r;
  }

 protected:
  void Update(TCollectionItem* item) override {
    if (log_) log_->push_back(item ? "update item " + std::to_string(item->ID()) : "update all");
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    if (log_) log_->push_back(std::string(names[static_cast<int>(action)]) + " " + std::to_string(item->ID()));
  }

 private:
  Log* log_;
};

class TGridOwner : public TComponent {
  RTL_CLASS(TGridOwner, TComponent)

 public:
  explicit TGridOwner(TComponent* owner, Log* log = nullptr)
      : TComponent(owner), columns_(this, log) {}
  static void Published(PropTable<TGridOwner>& p) { p.Object("Columns", &TGridOwner::Columns); }
  TRecordingCollection* Columns() { return &columns_; }

 private:
  TRecordingCollection columns_;
};

TEST(Collection, AddDeleteNotifyAndUpdate) {
  Log log;
  TGridOwner grid(nullptr, &log);
  TRecordingCollection& c = *grid.Columns();
  c.Add();
  c.Add();
  EXPECT_EQ(log, (Log{"added 0", "update all", "added 1", "update all"}));
  log.clear();
  c.item(1)->SetValue(5);
  EXPECT_EQ(log, (Log{"update item 1"}));
  log.clear();
  c.Delete(0);
  EXPECT_EQ(log, (Log{"deleting 0", "extracting 0", "update all"}));
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Items(0)->Collection(), &c);
}

TEST(Collection, UpdateRunsOnceAtTheOutermostEnd) {
  Log log;
  TGridOwner grid(nullptr, &log);
  TRecordingCollection& c = *grid.Columns();
  c.BeginUpdate();
  c.BeginUpdate();
  c.Add();
  c.Add()->SetIndex(0);
  static_cast<TValueItem*>(c.Items(0))->SetValue(3);
  c.EndUpdate();
  EXPECT_EQ(log, (Log{"added 0", "added 1"}));
  c.EndUpdate();
  EXPECT_EQ(log, (Log{"added 0", "added 1", "update all"}));
  EXPECT_EQ(c.UpdateCount(), 0);

  log.clear();
  c.Clear();
  EXPECT_EQ(log, (Log{"extracting 0", "extracting 1", "update all"}));
}

TEST(Collection, IndexMovesAndInsert) {
  struct Case {
    int from, to;
    std::vector<int> expected;
  } cases[] = {
      {0, 3, {1, 2, 3, 0}}, {3, 0, {3, 0, 1, 2}}, {1, 2, {0, 2, 1, 3}}, {2, 2, {0, 1, 2, 3}},
  };
  for (const Case& m : cases) {
    TGridOwner grid(nullptr);
    TRecordingCollection& c = *grid.Columns();
    for (int i = 0; i < 4; ++i) static_cast<TValueItem*>(c.Add())->value = i;
    c.Items(m.from)->SetIndex(m.to);
    EXPECT_EQ(c.values(), m.expected) << m.from << "->" << m.to;
    EXPECT_EQ(c.Items(m.to)->Index(), m.to);
  }

  TGridOwner grid(nullptr);
  TRecordingCollection& c = *grid.Columns();
  for (int i = 0; i < 3; ++i) static_cast<TValueItem*>(c.Add())->value = i;
  static_cast<TValueItem*>(c.Insert(1))->value = 9;
  EXPECT_EQ(c.values(), (std::vector<int>{0, 9, 1, 2}));
  EXPECT_EQ(c.Items(1)->ID(), 3);
  EXPECT_EQ(c.NextID(), 4);
  EXPECT_EQ(c.FindItemID(3), c.Items(1));
  EXPECT_EQ(c.FindItemID(42), nullptr);

  struct Bad {
    std::function<void()> call;
    int index;
  } bad[] = {
      {[&] { c.Items(4); }, 4},
      {[&] { c.Items(0)->SetIndex(-1); }, -1},
      {[&] { c.Insert(5); }, 5},
      {[&] { c.Delete(7); }, 7},
      {[&] { c.Move(0, 4); }, 4},
  };
  for (const Bad& b : bad) {
    try {
      b.call();
      ADD_FAILURE() << b.index;
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), u"List index out of bounds (" + S(std::to_string(b.index)) + u")");
    }
  }
  EXPECT_EQ(c.values(), (std::vector<int>{0, 9, 1, 2}));
}

TEST(Collection, AssignCopiesItemsAndIdsContinue) {
  TGridOwner a(nullptr), b(nullptr);
  for (int v : {4, 5}) static_cast<TValueItem*>(a.Columns()->Add())->value = v;
  b.Columns()->Add();
  b.Columns()->Assign(a.Columns());
  EXPECT_EQ(b.Columns()->values(), (std::vector<int>{4, 5}));
  EXPECT_EQ(b.Columns()->Items(0)->ID(), 1);  // IDs are never reused

  TColorBox box;
  EXPECT_THROW(b.Columns()->Assign(&box), EConvertError);
  b.Columns()->ClearAndResetID();
  EXPECT_EQ(b.Columns()->Add()->ID(), 0);
}

TEST(Collection, NamePathsFollowTheOwningProperty) {
  TProbe form(nullptr);
  form.SetName(u"Form1");
  auto* grid = new TGridOwner(&form);
  grid->SetName(u"Grid");
  grid->Columns()->Add();
  grid->Columns()->Add();
  EXPECT_EQ(grid->Columns()->GetNamePath(), u"Grid.Columns");
  EXPECT_EQ(grid->Columns()->Items(1)->GetNamePath(), u"Grid.Columns[1]");
  EXPECT_EQ(grid->Columns()->Items(1)->GetOwner(), grid->Columns());

  TCollection loose(TValueItem::classInfo());
  loose.Add();
  EXPECT_EQ(loose.GetNamePath(), u"TCollection");
  EXPECT_EQ(loose.Items(0)->GetNamePath(), u"TCollection[0]");
  EXPECT_EQ(loose.Items(0)->DisplayName(), u"TValueItem");
}

TEST(Collection, ItemsMoveBetweenCollectionsOfTheirClass) {
  Log logA, logB;
  TGridOwner a(nullptr, &logA), b(nullptr, &logB);
  TCollectionItem* item = a.Columns()->Add();
  logA.clear();
  item->SetCollection(b.Columns());
  EXPECT_EQ(a.Columns()->Count(), 0);
  EXPECT_EQ(b.Columns()->Items(0), item);
  EXPECT_EQ(logA, (Log{"extracting 0", "update all"}));

  class TOtherItem : public TCollectionItem {
    RTL_CLASS(TOtherItem, TCollectionItem)

   public:
    using TCollectionItem::TCollectionItem;
  };
  TOtherItem stranger(nullptr);
  EXPECT_THROW(stranger.SetCollection(a.Columns()), EListError);
  EXPECT_EQ(a.Columns()->Count(), 0);

  item->Free();  // leaves its collection
  EXPECT_EQ(b.Columns()->Count(), 0);
}

}  // namespace

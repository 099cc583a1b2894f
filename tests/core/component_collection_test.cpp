// Component collections with generated names, the reporting component list
// and the naming routines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxClasses.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"

namespace core {
namespace {

class TcxGridLevel;

// A parent component that holds a collection of levels.
class TestGrid : public TComponent {
  RTL_CLASS(TestGrid, TComponent)

 public:
  explicit TestGrid(TComponent* owner);
  ~TestGrid() override;
  TcxComponentCollection* levels() const { return levels_.get(); }

 private:
  std::unique_ptr<TcxComponentCollection> levels_;
};

class TcxGridLevel : public TcxComponentCollectionItem {
  RTL_CLASS(TcxGridLevel, TcxComponentCollectionItem)

 public:
  using TcxComponentCollectionItem::TcxComponentCollectionItem;

 protected:
  TcxComponentCollection* GetCollectionFromParent(TComponent* parent) override {
    auto* grid = dynamic_cast<TestGrid*>(parent);
    return grid ? grid->levels() : nullptr;
  }
};

class OtherItem : public TcxComponentCollectionItem {
  RTL_CLASS(OtherItem, TcxComponentCollectionItem)

 public:
  using TcxComponentCollectionItem::TcxComponentCollectionItem;

 protected:
  TcxComponentCollection* GetCollectionFromParent(TComponent* parent) override {
    auto* grid = dynamic_cast<TestGrid*>(parent);
    return grid ? grid->levels() : nullptr;
  }
};

class LevelCollection : public TcxComponentCollection {
 public:
  using TcxComponentCollection::TcxComponentCollection;
  std::vector<std::pair<TcxComponentCollectionItem*, TcxComponentCollectionNotification>> notified;

 protected:
  String GetItemPrefixName() const override { return u"TcxGrid"; }
  void Notify(TcxComponentCollectionItem* item, TcxComponentCollectionNotification action) override {
    notified.emplace_back(item, action);
  }
};

TestGrid::TestGrid(TComponent* owner)
    : TComponent(owner),
      levels_(std::make_unique<LevelCollection>(
          this, rtl::ClassRef<TcxComponentCollectionItem>::of<TcxGridLevel>())) {}
TestGrid::~TestGrid() { levels_.reset(); }

struct Changes {
  std::vector<std::pair<TcxComponentCollectionItem*, TcxComponentCollectionNotification>> seen;
  void Changed(TObject*, TcxComponentCollectionItem* item, TcxComponentCollectionNotification a) {
    seen.emplace_back(item, a);
  }
};

class ComponentCollections : public testing::Test {
 protected:
  ComponentCollections() {
    grid = rtl::Create<TestGrid>(&form);
    form.SetName(u"Form1");
    grid->SetName(u"Grid1");
    levels()->SetOnChange(
        TcxComponentCollectionChangeEvent::bind<&Changes::Changed>(&changes));
  }
  ~ComponentCollections() override { form.Free(); }
  LevelCollection* levels() { return static_cast<LevelCollection*>(grid->levels()); }
  std::vector<String> names() {
    std::vector<String> out;
    for (int i = 0; i < levels()->Count(); ++i) out.push_back(levels()->Items(i)->Name());
    return out;
  }

  win::headless::HeadlessScope screen;
  ui::TForm& form = *rtl::Create<ui::TForm>(nullptr);  // names are unique among what it owns
  TestGrid* grid = nullptr;
  Changes changes;
};

TEST_F(ComponentCollections, AddedItemsJoinWithIdsAndUniqueNames) {
  auto* first = levels()->Add();
  auto* second = levels()->Add();
  EXPECT_EQ(names(), (std::vector<String>{u"Grid1Level1", u"Grid1Level2"}));
  EXPECT_EQ(first->ID(), 0);
  EXPECT_EQ(second->ID(), 1);
  EXPECT_EQ(first->Owner(), &form);  // the parent's owner owns the items
  EXPECT_EQ(first->GetParentComponent(), grid);
  EXPECT_TRUE(first->HasParent());
  EXPECT_EQ(levels()->NextID(), 2);
  using P = std::pair<TcxComponentCollectionItem*, TcxComponentCollectionNotification>;
  EXPECT_EQ(changes.seen, (std::vector<P>{{first, ccnAdded}, {second, ccnAdded}}));
}

TEST_F(ComponentCollections, FreeingAnItemLetsItLeaveAndDeleteAnnouncesIt) {
  auto* first = levels()->Add();
  auto* second = levels()->Add();
  levels()->notified.clear();
  changes.seen.clear();
  levels()->Delete(0);
  using P = std::pair<TcxComponentCollectionItem*, TcxComponentCollectionNotification>;
  EXPECT_EQ(levels()->notified,
            (std::vector<P>{{first, ccnDeleting}, {first, ccnExtracting}, {first, ccnExtracted}}));
  EXPECT_EQ(changes.seen, (std::vector<P>{{first, ccnExtracted}}));
  EXPECT_EQ(levels()->Count(), 1);
  EXPECT_EQ(second->Index(), 0);
  // The next one does not reuse a number in use.
  EXPECT_EQ(levels()->Add()->Name(), u"Grid1Level1");
  EXPECT_EQ(levels()->Add()->Name(), u"Grid1Level3");
}

TEST_F(ComponentCollections, AnItemOfAnotherClassIsNotListed) {
  auto* stranger = rtl::Create<OtherItem>(&form);
  stranger->SetParentComponent(grid);
  EXPECT_EQ(levels()->Count(), 0);
  EXPECT_EQ(stranger->Collection(), nullptr);
  EXPECT_EQ(stranger->Index(), -1);
  EXPECT_TRUE(changes.seen.empty());
}

TEST_F(ComponentCollections, InsertMovesAndReportsTheWholeCollection) {
  auto* first = levels()->Add();
  changes.seen.clear();
  auto* inserted = levels()->Insert(0);
  EXPECT_EQ(inserted->Index(), 0);
  EXPECT_EQ(first->Index(), 1);
  using P = std::pair<TcxComponentCollectionItem*, TcxComponentCollectionNotification>;
  EXPECT_EQ(changes.seen, (std::vector<P>{{inserted, ccnAdded}, {nullptr, ccnChanged}}));
  EXPECT_THROW(inserted->SetIndex(5), rtl::EListError);
}

TEST_F(ComponentCollections, ClearReportsOnceAndDestructionReportsNothing) {
  levels()->Add();
  levels()->Add();
  changes.seen.clear();
  levels()->Clear();
  EXPECT_EQ(levels()->Count(), 0);
  EXPECT_EQ(form.ComponentCount(), 1);  // only the grid is left
  using P = std::pair<TcxComponentCollectionItem*, TcxComponentCollectionNotification>;
  EXPECT_EQ(changes.seen, (std::vector<P>{{nullptr, ccnChanged}}));
  levels()->Add();
  changes.seen.clear();
  grid->Free();
  grid = nullptr;
  EXPECT_TRUE(changes.seen.empty());
  EXPECT_EQ(form.ComponentCount(), 0);
}

TEST_F(ComponentCollections, AssignCopiesTheItemCount) {
  TestGrid* other = rtl::Create<TestGrid>(&form);
  other->SetName(u"Grid2");
  other->levels()->Add();
  other->levels()->Add();
  levels()->Add();
  // Items are components, which cannot copy each other: the collection
  // clears, adds and hands each item on.
  EXPECT_THROW(levels()->Assign(other->levels()), rtl::EConvertError);
  EXPECT_EQ(levels()->Count(), 1);
}

// --- names -------------------------------------------------------------------

struct GenerateCase {
  const char* parent;  // nullptr: no parent
  const char* className;
  const char* prefix;
  int n;
  const char* suffix;
  const char* expected;
};

class GenerateNameTest : public testing::TestWithParam<GenerateCase> {};

TEST_P(GenerateNameTest, BuildsTheName) {
  const GenerateCase& c = GetParam();
  TComponent parent(nullptr);
  if (c.parent) parent.SetName(rtl::Utf8ToString(c.parent));
  EXPECT_EQ(rtl::StringToUtf8(cxGenerateComponentName(
                c.parent ? &parent : nullptr, rtl::Utf8ToString(c.className),
                rtl::Utf8ToString(c.prefix), c.n, rtl::Utf8ToString(c.suffix))),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Core, GenerateNameTest,
    testing::Values(GenerateCase{"Grid1", "TcxGridLevel", "TcxGrid", 1, "", "Grid1Level1"},
                    GenerateCase{"Grid1", "TcxGridLevel", "tcxgrid", 2, "", "Grid1Level2"},
                    GenerateCase{"Grid1", "TcxGridLevel", "", 3, "", "Grid1cxGridLevel3"},
                    GenerateCase{"Grid1", "TcxGridLevel", "TcxTree", 1, "", "Grid1cxGridLevel1"},
                    GenerateCase{nullptr, "TMyItem", "", 0, "", "MyItem"},
                    GenerateCase{"V", "TcxGridColumn", "TcxGrid", 0, "Name-1 x", "VName1x"},
                    GenerateCase{"V", "TcxGridColumn", "TcxGrid", 2, "7up", "VColumn7up2"},
                    GenerateCase{"V", "Column", "", 1, "", "VColumn1"},
                    GenerateCase{"V", "", "", 4, "", "V4"}));

TEST(UniqueNames, ASuffixTriesTheBareNameFirstAndTheRootIsSearchedAtAnyDepth) {
  TComponent root(nullptr);
  auto* parent = rtl::Create<TComponent>(&root);
  parent->SetName(u"View");
  auto* nested = rtl::Create<TComponent>(parent);  // owned below the root
  nested->SetName(u"ViewPrice");
  auto* item = rtl::Create<TcxComponent>(&root);
  EXPECT_EQ(CreateUniqueName(&root, parent, item, u"", u"Price"), u"ViewPrice1");
  EXPECT_EQ(CreateUniqueName(&root, parent, item, u"", u"Cost"), u"ViewCost");
  EXPECT_EQ(CreateUniqueName(&root, parent, item, u"", u"price", 5), u"Viewprice5");
  // Case does not make a name unique; a nil root is the item's outermost owner.
  nested->SetName(u"VIEWCOST");
  EXPECT_EQ(CreateUniqueName(nullptr, parent, item, u"", u"Cost"), u"ViewCost1");
}

TEST(UniqueNames, GetValidNameCountsPastTheOwnersNames) {
  TComponent owner(nullptr);
  auto* a = rtl::Create<TComponent>(&owner);
  a->SetName(u"Edit");
  rtl::Create<TComponent>(&owner)->SetName(u"Edit1");
  EXPECT_EQ(GetValidName(a, u"Edit"), u"Edit2");
  EXPECT_EQ(GetValidName(a, u"Label"), u"Label");
  EXPECT_EQ(GetValidName(a, u"Label", true), u"Label1");
  EXPECT_EQ(GetValidName(a, u"Edit", true), u"Edit2");
  TComponent loose(nullptr);
  EXPECT_EQ(GetValidName(&loose, u"Edit", true), u"Edit");
}

TComponent* ownedComponent(TComponent* caller, int index) { return caller->Components(index); }

TEST(UniqueNames, RenameComponentsRenamesOnlyMatchingNamesAndSkipsRefusals) {
  TComponent owner(nullptr);
  TComponent other(nullptr);
  auto* column = rtl::Create<TComponent>(&owner);
  column->SetName(u"View1Price");
  auto* exact = rtl::Create<TComponent>(&owner);
  exact->SetName(u"View1");
  auto* clash = rtl::Create<TComponent>(&owner);
  clash->SetName(u"view1Cost");
  auto* taken = rtl::Create<TComponent>(&owner);
  taken->SetName(u"GridCost");  // makes the rename of view1Cost fail
  auto* unrelated = rtl::Create<TComponent>(&owner);
  unrelated->SetName(u"Other1");
  RenameComponents(&owner, &owner, u"Grid", u"View1", owner.ComponentCount(), &ownedComponent);
  EXPECT_EQ(column->Name(), u"GridPrice");
  EXPECT_EQ(exact->Name(), u"View1");  // not longer than the old name
  EXPECT_EQ(clash->Name(), u"view1Cost");
  EXPECT_EQ(unrelated->Name(), u"Other1");
  // Components of another owner keep their names.
  RenameComponents(&owner, &other, u"X", u"Grid", owner.ComponentCount(), &ownedComponent);
  EXPECT_EQ(column->Name(), u"GridPrice");
}

// --- TcxComponentList ------------------------------------------------------------

struct ListEvents {
  std::vector<std::pair<TComponent*, TcxComponentCollectionNotification>> changes;
  std::vector<rtl::TListNotification> notifications;
  void Changed(TObject*, TComponent* c, TcxComponentCollectionNotification a) {
    changes.emplace_back(c, a);
  }
  void Notified(TObject*, TComponent*, rtl::TListNotification a) { notifications.push_back(a); }
};

class OnlyCollectionItems : public TcxComponentList {
 public:
  using TcxComponentList::TcxComponentList;

 protected:
  TClass GetItemClass() const override { return &TcxComponent::classInfo(); }
};

TEST(ComponentList, ReportsChangesDropsFreedComponentsAndIgnoresOtherClasses) {
  ListEvents events;
  OnlyCollectionItems list(false);
  list.SetOnComponentListChanged(
      TcxComponentListChangeEvent::bind<&ListEvents::Changed>(&events));
  list.SetOnNotify(TcxComponentListNotifyEvent::bind<&ListEvents::Notified>(&events));
  auto* item = rtl::Create<TcxComponent>(nullptr);
  TComponent plain(nullptr);
  list.Add(item);
  list.Add(&plain);  // not of the item class: out again at once
  EXPECT_EQ(list.Count(), 1);
  item->Free();  // freed elsewhere: it leaves the list
  EXPECT_EQ(list.Count(), 0);
  using P = std::pair<TComponent*, TcxComponentCollectionNotification>;
  EXPECT_EQ(events.changes, (std::vector<P>{{item, ccnAdded}, {item, ccnExtracted}}));
  EXPECT_EQ(events.notifications, (std::vector<rtl::TListNotification>{rtl::lnAdded, rtl::lnExtracted}));
}

TEST(ComponentList, ClearInsideAnUpdateReportsOnceAndOwningFrees) {
  ListEvents events;
  TComponent owner(nullptr);
  {
    TcxComponentList list(true);
    list.Add(rtl::Create<TComponent>(&owner));
    list.Add(rtl::Create<TComponent>(&owner));
    list.SetOnComponentListChanged(
        TcxComponentListChangeEvent::bind<&ListEvents::Changed>(&events));
    list.Clear();
    EXPECT_EQ(owner.ComponentCount(), 0);
    using P = std::pair<TComponent*, TcxComponentCollectionNotification>;
    EXPECT_EQ(events.changes, (std::vector<P>{{nullptr, ccnChanged}}));
    list.Add(rtl::Create<TComponent>(&owner));
    events.changes.clear();
  }
  EXPECT_TRUE(events.changes.empty());  // destruction reports nothing
  EXPECT_EQ(owner.ComponentCount(), 0);
}

}  // namespace
}  // namespace core

// Class registries, the owning object list, the open list and the string
// list with a compare event.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lib/core/cxClasses.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/controls.h"
#include "platform/ui/stdctrls.h"

namespace core {
namespace {

class RegA : public TObject {
  RTL_CLASS(RegA, TObject)
};
class RegB : public TObject {
  RTL_CLASS(RegB, TObject)
};
class RegC : public TObject {
  RTL_CLASS(RegC, TObject)
};

TClass cls(const rtl::ClassInfo& info) { return &info; }

// --- TcxRegisteredClassList ---------------------------------------------------

struct Registration {
  TClass item;
  TClass registered;
};
struct Lookup {
  TClass asked;
  TClass expected;
};
struct ClassListCase {
  const char* name;
  std::vector<Registration> registrations;
  std::vector<Registration> unregistrations;
  std::vector<Lookup> lookups;
};

class RegisteredClassListTest : public testing::TestWithParam<ClassListCase> {};

TEST_P(RegisteredClassListTest, AnswersWithTheNearestRegisteredAncestor) {
  const ClassListCase& c = GetParam();
  TcxRegisteredClassList list;
  for (const Registration& r : c.registrations) list.Register(r.item, r.registered);
  for (const Registration& r : c.unregistrations) list.Unregister(r.item, r.registered);
  for (const Lookup& l : c.lookups)
    EXPECT_EQ(list.FindClass(l.asked), l.expected)
        << "asked " << rtl::StringToUtf8(l.asked->ClassName());
}

const TClass kControl = cls(ui::TControl::classInfo());
const TClass kWinControl = cls(ui::TWinControl::classInfo());
const TClass kButton = cls(ui::TButton::classInfo());
const TClass kGraphic = cls(ui::TGraphicControl::classInfo());
const TClass kObject = cls(TObject::classInfo());
const TClass kA = cls(RegA::classInfo());
const TClass kB = cls(RegB::classInfo());
const TClass kC = cls(RegC::classInfo());

INSTANTIATE_TEST_SUITE_P(
    Core, RegisteredClassListTest,
    testing::Values(
        ClassListCase{"AncestorFirst",
                      {{kControl, kA}, {kWinControl, kB}},
                      {},
                      {{kButton, kB}, {kGraphic, kA}, {kObject, nullptr}, {kControl, kA}}},
        ClassListCase{"DescendantFirst",
                      {{kWinControl, kB}, {kControl, kA}},
                      {},
                      {{kButton, kB}, {kGraphic, kA}, {kObject, nullptr}, {kWinControl, kB}}},
        ClassListCase{"NewestRegistrationWins",
                      {{kControl, kA}, {kControl, kC}},
                      {},
                      {{kControl, kC}, {kButton, kC}}},
        ClassListCase{"UnregisteringTheNewestBringsBackTheOlder",
                      {{kControl, kA}, {kControl, kC}},
                      {{kControl, kC}},
                      {{kControl, kA}, {kGraphic, kA}}},
        ClassListCase{"UnregisteringNeedsTheExactPair",
                      {{kControl, kA}},
                      {{kControl, kB}, {kWinControl, kA}},
                      {{kButton, kA}}},
        ClassListCase{"EmptyListFindsNothing", {}, {}, {{kButton, nullptr}}}),
    [](const testing::TestParamInfo<ClassListCase>& info) { return info.param.name; });

TEST(RegisteredClassList, KeepsAncestorsBeforeDescendantsWhateverTheOrder) {
  TcxRegisteredClassList list;
  list.Register(kButton, kC);
  list.Register(kWinControl, kB);
  list.Register(kControl, kA);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Items(0).ItemClass, kControl);
  EXPECT_EQ(list.Items(1).ItemClass, kWinControl);
  EXPECT_EQ(list.Items(2).ItemClass, kButton);
  int index = -1;
  EXPECT_FALSE(list.Find(kObject, index));
  EXPECT_EQ(index, 0);  // the lowest registered descendant
}

TEST(RegisteredClassList, AnswersFollowChangesAfterEarlierLookups) {
  // Lookups are remembered; a registration after one must still count.
  TcxRegisteredClassList list;
  list.Register(kControl, kA);
  EXPECT_EQ(list.FindClass(kButton), kA);
  list.Register(kButton, kB);
  EXPECT_EQ(list.FindClass(kButton), kB);
  list.Unregister(kButton, kB);
  EXPECT_EQ(list.FindClass(kButton), kA);
  list.Clear();
  EXPECT_EQ(list.FindClass(kButton), nullptr);
}

// --- TcxRegisteredClasses -------------------------------------------------------

TEST(RegisteredClasses, KeepsTheFirstDescriptionAndItsShortPart) {
  TcxRegisteredClasses classes;
  classes.Register(kA, u"Alpha|the first one");
  classes.Register(kA, u"Other");
  classes.Register(kB, u"Beta");
  ASSERT_EQ(classes.Count(), 2);
  EXPECT_EQ(classes.Descriptions(0), u"Alpha");
  EXPECT_EQ(classes.Descriptions(1), u"Beta");
  EXPECT_EQ(classes.GetIndexByClass(kB), 1);
  EXPECT_EQ(classes.GetIndexByClass(kC), -1);
  classes.Unregister(kA);
  EXPECT_EQ(classes.Items(0), kB);
  EXPECT_THROW(classes.Items(1), rtl::EListError);
}

TEST(RegisteredClasses, SortsByShortDescriptionIgnoringCase) {
  TcxRegisteredClasses classes;
  classes.Register(kA, u"zeta|ignored");
  classes.Register(kB, u"Alpha");
  classes.Register(kC, u"beta|z");
  classes.SetSorted(true);
  EXPECT_EQ(classes.Items(0), kB);
  EXPECT_EQ(classes.Items(1), kC);
  EXPECT_EQ(classes.Items(2), kA);
  classes.Unregister(kC);
  classes.Register(kC, u"Gamma");  // placed by the sort, not appended
  EXPECT_EQ(classes.Items(1), kC);
}

TEST(RegisteredClasses, FindsByExactClassName) {
  TcxRegisteredClasses classes;
  classes.Register(kA, u"a");
  EXPECT_EQ(classes.FindByClassName(u"RegA"), kA);
  EXPECT_EQ(classes.FindByClassName(u"rega"), nullptr);
}

TEST(RegisteredClasses, RegistersWithTheStreamingRegistryWhenAsked) {
  TcxRegisteredClasses classes(true);
  classes.Register(kC, u"c");
  EXPECT_EQ(rtl::GetClass(u"RegC"), kC);
  rtl::UnRegisterClass(*kC);
}

// --- TcxObjectList, TcxOpenList, TcxStringList ------------------------------------

class Tracked : public TObject {
  RTL_CLASS(Tracked, TObject)

 public:
  Tracked(std::vector<int>& log, int id) : log_(log), id_(id) {}
  ~Tracked() override { log_.push_back(id_); }

 private:
  std::vector<int>& log_;
  int id_;
};

TEST(ObjectList, OwningListFreesFirstToLastAndFreeAndRemoveReportsTheIndex) {
  std::vector<int> freed;
  {
    TcxObjectList list(true);
    for (int i = 0; i < 4; ++i) list.Add(rtl::Create<Tracked>(freed, i));
    auto* third = list.Items(2);
    EXPECT_EQ(list.FreeAndRemove(third), 2);
    EXPECT_EQ(list.Count(), 3);
    list.FreeAndDelete(0);
    EXPECT_EQ(freed, (std::vector<int>{2, 0}));
    TObject stranger;
    EXPECT_EQ(list.FreeAndRemove(&stranger), -1);
  }
  EXPECT_EQ(freed, (std::vector<int>{2, 0, 1, 3}));
}

TEST(ObjectList, NonOwningListFreesNothing) {
  std::vector<int> freed;
  Tracked kept(freed, 7);
  {
    TcxObjectList list(false);
    list.Add(&kept);
    list.Clear();
  }
  EXPECT_TRUE(freed.empty());
}

TEST(OpenList, WritingPastTheEndGrowsWithNilSlots) {
  TcxOpenList list;
  int value = 0;
  list.SetItems(5, &value);
  ASSERT_EQ(list.Count(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Items(i), nullptr);
  EXPECT_EQ(list.Items(5), &value);
  list.SetItems(2, &value);
  EXPECT_EQ(list.Count(), 6);
}

TEST(StringList, SortUsesTheCompareEventWhenAssigned) {
  TcxStringList list;
  list.Add(u"bb");
  list.Add(u"a");
  list.Add(u"ccc");
  int token;
  // Longest first: the event decides, not the text order.
  list.SetOnCompare(TcxStringListCompareEvent::fromClosure(
      &token, [](TcxStringList* l, int i1, int i2) {
        return static_cast<int>(l->Strings(i2).size()) - static_cast<int>(l->Strings(i1).size());
      }));
  list.Sort();
  EXPECT_EQ(list.Strings(0), u"ccc");
  EXPECT_EQ(list.Strings(2), u"a");
  list.SetOnCompare(nullptr);
  list.Sort();
  EXPECT_EQ(list.Strings(0), u"a");
}

}  // namespace
}  // namespace core

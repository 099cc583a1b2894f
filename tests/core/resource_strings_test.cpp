// Library texts, the products that name them and the units loader.
#include <gtest/gtest.h>

#include <vector>

#include "lib/core/cxLibraryStrs.h"
#include "lib/core/dxCultureInfo.h"
#include "lib/core/dxCore.h"
#include "platform/rtl/ustring.h"

namespace core {
namespace {

using rtl::String;

int gProcARuns = 0;
int gProcBRuns = 0;
constexpr TcxResourceString kSampleText{u"sample"};
void procA(TdxProductResourceStrings* p) {
  ++gProcARuns;
  p->Add(u"sampleA", &kSampleText);
}
void procB(TdxProductResourceStrings* p) {
  ++gProcBRuns;
  p->Add(u"SAMPLEA", &kSampleText);  // the same name in another case: ignored
  p->Add(u"sampleB", &kSampleText);
}

class Repository : public ::testing::Test {
 protected:
  void SetUp() override { gProcARuns = gProcBRuns = 0; }
  TdxResourceStringsRepository repo;
};

TEST_F(Repository, SameProcedureTwiceRunsOnce) {
  repo.RegisterProduct(u"P", &procA);
  repo.RegisterProduct(u"P", &procA);
  EXPECT_EQ(gProcARuns, 1);
  ASSERT_EQ(repo.ProductsCount(), 1);
  EXPECT_EQ(repo.Products(0)->ResStringsCount(), 1);
}

TEST_F(Repository, ProductSurvivesRemovalOfOneOfTwoProcedures) {
  repo.RegisterProduct(u"P", &procA);
  repo.RegisterProduct(u"P", &procB);
  EXPECT_EQ(gProcARuns, 1);
  EXPECT_EQ(gProcBRuns, 1);
  EXPECT_EQ(repo.Products(0)->ResStringsCount(), 2);
  repo.UnRegisterProduct(u"P", &procA);
  EXPECT_EQ(repo.GetProductIndexByName(u"P"), 0);
  repo.UnRegisterProduct(u"P", &procB);
  EXPECT_EQ(repo.GetProductIndexByName(u"P"), -1);
}

TEST_F(Repository, UnRegisterWithoutProcedureFreesWhateverRemains) {
  repo.RegisterProduct(u"P", &procA);
  repo.RegisterProduct(u"P", &procB);
  repo.UnRegisterProduct(u"Unknown", nullptr);  // ignored
  repo.UnRegisterProduct(u"P", nullptr);
  EXPECT_EQ(repo.ProductsCount(), 0);
}

TEST_F(Repository, ProductNamesCompareExactly) {
  repo.RegisterProduct(u"Core", &procA);
  repo.RegisterProduct(u"core", &procB);
  EXPECT_EQ(repo.ProductsCount(), 2);
  EXPECT_EQ(repo.GetProductIndexByName(u"core"), 1);
  EXPECT_EQ(repo.GetProductIndexByName(u"CORE"), -1);
}

struct Listener : IdxLocalizerListener {
  void TranslationChanged() override {}
};

TEST_F(Repository, ListenersAreListedOnceInOrder) {
  Listener a, b;
  repo.AddListener(&a);
  repo.AddListener(&b);
  repo.AddListener(&a);
  ASSERT_EQ(repo.ListenerCount(), 2);
  EXPECT_EQ(repo.Listeners(0), &a);
  repo.RemoveListener(&a);
  repo.RemoveListener(&a);  // unknown now: ignored
  ASSERT_EQ(repo.ListenerCount(), 1);
  EXPECT_EQ(repo.Listeners(0), &b);
}

TEST(CoreLibraryStrings, ProductNamesAllTwentySixTexts) {
  cxLibraryStrsInitialization();
  TdxResourceStringsRepository* repo = dxResourceStringsRepository();
  const int index = repo->GetProductIndexByName(u"CoreLibrary");
  ASSERT_GE(index, 0);
  TdxProductResourceStrings* product = repo->Products(index);
  EXPECT_EQ(product->ResStringsCount(), 26);
  struct Case {
    const char16_t* name;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"scxCantCreateRegistryKey", u"Can't create the registry key: \\%s"},
      {u"scxBuiltInLookAndFeelStyles", u"Built-In Look && Feel Styles"},
      {u"scxLockedStateText", u"Please wait..."},
      {u"cxSDateWednesday", u"Wednesday"},
      {u"cxsdateseventh", u"seventh"},  // names are found without regard to case
      {u"cxSDateEOM", u"eom"},
  };
  for (const Case& c : cases) {
    TcxResourceStringID id = product->FindResString(c.name);
    ASSERT_NE(id, nullptr) << rtl::StringToUtf8(c.name);
    EXPECT_EQ(cxGetResourceString(id), String(c.text));
  }
  cxLibraryStrsFinalization();
  EXPECT_EQ(repo->GetProductIndexByName(u"CoreLibrary"), -1);
  dxCoreFinalization();
}

// --- units loader ---------------------------------------------------------------
std::vector<int> gCalls;
void start1() { gCalls.push_back(1); }
void stop1() { gCalls.push_back(-1); }
void start2() { gCalls.push_back(2); }
void stop2() { gCalls.push_back(-2); }
void stop3() { gCalls.push_back(-3); }

class UnitsLoader : public ::testing::Test {
 protected:
  void SetUp() override { gCalls.clear(); }
  void TearDown() override { dxCoreFinalization(); }
};

TEST_F(UnitsLoader, StartRunsAtOnceAndStopsRunNewestFirst) {
  TdxUnitsLoader* loader = dxUnitsLoader();
  loader->AddUnit(&start1, &stop1);
  EXPECT_EQ(gCalls, (std::vector<int>{1}));
  EXPECT_TRUE(TdxUnitsLoader::IsInitialized());
  loader->AddUnit(&start2, &stop2);
  loader->AddUnit(nullptr, &stop3);
  loader->Finalize();
  EXPECT_EQ(gCalls, (std::vector<int>{1, 2, -3, -2, -1}));
  EXPECT_FALSE(TdxUnitsLoader::IsInitialized());
  EXPECT_EQ(loader->FinalizeCount(), 0);
}

TEST_F(UnitsLoader, RemoveUnitRunsOnlyAListedStopOnce) {
  TdxUnitsLoader* loader = dxUnitsLoader();
  loader->RemoveUnit(&stop1);  // never added: nothing runs
  EXPECT_TRUE(gCalls.empty());
  loader->AddUnit(&start1, &stop1);
  loader->RemoveUnit(&stop1);
  loader->RemoveUnit(&stop1);
  loader->Finalize();
  EXPECT_EQ(gCalls, (std::vector<int>{1, -1}));
}

TEST_F(UnitsLoader, CoreStopRunsThePendingStops) {
  dxUnitsLoader()->AddUnit(&start2, &stop2);
  dxCoreFinalization();
  EXPECT_EQ(gCalls, (std::vector<int>{2, -2}));
}

}  // namespace
}  // namespace core

namespace core {
namespace {

TEST(CultureInfo, NamesLocaleIdentifiersWhileTheUnitRuns) {
  EXPECT_EQ(TdxCultureInfoHelper::CultureName(1033), rtl::String());
  dxCultureInfoInitialization();
  struct Case {
    int id;
    const char16_t* name;
  };
  const Case cases[] = {{1033, u"en-US"}, {1046, u"pt-BR"}, {2070, u"pt-PT"}, {7, u"de"}, {-5, u""}};
  for (const Case& c : cases) EXPECT_EQ(TdxCultureInfoHelper::CultureName(c.id), c.name) << c.id;
  EXPECT_GT(TdxCultureInfoHelper::Count(), 200);
  dxCultureInfoFinalization();
  EXPECT_EQ(TdxCultureInfoHelper::Count(), 0);
}

}  // namespace
}  // namespace core

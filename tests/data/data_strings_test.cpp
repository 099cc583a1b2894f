// The data and filter texts, their groups in the repository and the filter
// text hook.
#include <gtest/gtest.h>

#include "lib/data/cxDataStrs.h"

namespace data {
namespace {

TEST(FilterTexts, EnglishTextsWithoutATranslation) {
  struct Case {
    TcxResourceStringID id;
    const char16_t* text;
  };
  const Case cases[] = {{&cxSFilterOperatorEqual, u"equals"},
                        {&cxSFilterOperatorNotInList, u"not in"},
                        {&cxSFilterOperatorLast7Days, u"is last 7 days"},
                        {&cxSFilterOperatorFuture, u"is future"},
                        {&cxSFilterOperatorIsNotNull, u"is not blank"},
                        {&cxSFilterOperatorDoesNotContain, u"does not contain"},
                        {&cxSFilterBoxAllCaption, u"(All)"},
                        {&cxSFilterBoxCustomCaption, u"(Custom...)"},
                        {&cxSFilterBoxBlanksCaption, u"(Blanks)"},
                        {&cxSFilterBoxNonBlanksCaption, u"(NonBlanks)"}};
  for (const Case& c : cases) EXPECT_EQ(cxSFilterString(c.id), c.text);
}

String translated(TcxResourceStringID id) { return u"[" + String(id->Text) + u"]"; }

TEST(FilterTexts, TheHookReplacesEveryFilterText) {
  cxFilterGetResourceStringFunc = &translated;
  EXPECT_EQ(cxSFilterString(&cxSFilterAndCaption), u"[and]");
  cxFilterGetResourceStringFunc = nullptr;
  EXPECT_EQ(cxSFilterString(&cxSFilterAndCaption), u"and");
}

TEST(DataTexts, GroupsRegisterOnceAndLeaveWithTheirLastUser) {
  core::TdxResourceStringsRepository* repo = core::dxResourceStringsRepository();
  cxDataStrsInitialization();
  cxDataStrsInitialization();
  cxFilterConstsInitialization();
  const int data = repo->GetProductIndexByName(kDataControllerProductName);
  const int filter = repo->GetProductIndexByName(kFilterProductName);
  ASSERT_GE(data, 0);
  ASSERT_GE(filter, 0);
  EXPECT_EQ(repo->Products(data)->ResStringsCount(), 12);
  EXPECT_EQ(repo->Products(filter)->ResStringsCount(), 50);
  EXPECT_EQ(repo->Products(data)->FindResString(u"cxSDataReadError"), &cxSDataReadError);
  EXPECT_EQ(repo->Products(filter)->FindResString(u"cxSFilterBoxNonBlanksCaption"), &cxSFilterBoxNonBlanksCaption);

  cxDataStrsFinalization();
  EXPECT_GE(repo->GetProductIndexByName(kDataControllerProductName), 0) << "one user is left";
  cxDataStrsFinalization();
  EXPECT_EQ(repo->GetProductIndexByName(kDataControllerProductName), -1);
  cxFilterConstsFinalization();
  EXPECT_EQ(repo->GetProductIndexByName(kFilterProductName), -1);
  cxFilterConstsFinalization();  // an extra stop changes nothing
  cxFilterConstsInitialization();
  EXPECT_GE(repo->GetProductIndexByName(kFilterProductName), 0);
  cxFilterConstsFinalization();
}

TEST(DataTexts, ErrorTexts) {
  EXPECT_EQ(core::cxGetResourceString(&cxSDataReadError), u"Stream read error");
  EXPECT_EQ(core::cxGetResourceString(&cxSDataWriteError), u"Stream write error");
  EXPECT_EQ(core::cxGetResourceString(&cxSDataProviderModeError),
            u"This operation is not supported in provider mode");
}

}  // namespace
}  // namespace data

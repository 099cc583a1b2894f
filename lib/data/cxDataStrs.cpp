#include "lib/data/cxDataStrs.h"

#include <iterator>

#include "platform/rtl/ustring.h"

namespace data {

namespace {

struct Named {
  const char* name;
  TcxResourceStringID text;
};

void addAll(core::TdxProductResourceStrings* product, const Named* first, const Named* last) {
  for (const Named* n = first; n != last; ++n) product->Add(rtl::S(n->name), n->text);
}

// One start counter per group: registration happens once, and the group is
// dropped only when its last user stops.
int gDataStrsStarts = 0;
int gFilterStrsStarts = 0;

}  // namespace

void AddcxDataResourceStringNames(core::TdxProductResourceStrings* product) {
  static const Named names[] = {
      {"cxSDataReadError", &cxSDataReadError},
      {"cxSDataWriteError", &cxSDataWriteError},
      {"cxSDataItemExistError", &cxSDataItemExistError},
      {"cxSDataRecordIndexError", &cxSDataRecordIndexError},
      {"cxSDataItemIndexError", &cxSDataItemIndexError},
      {"cxSDataProviderModeError", &cxSDataProviderModeError},
      {"cxSDataInvalidStreamFormat", &cxSDataInvalidStreamFormat},
      {"cxSDataRowIndexError", &cxSDataRowIndexError},
      {"cxSDataCustomDataSourceInvalidCompare", &cxSDataCustomDataSourceInvalidCompare},
      {"cxSDBDetailFilterControllerNotFound", &cxSDBDetailFilterControllerNotFound},
      {"cxSDBNotInGridMode", &cxSDBNotInGridMode},
      {"cxSDBKeyFieldNotFound", &cxSDBKeyFieldNotFound},
  };
  addAll(product, std::begin(names), std::end(names));
}

void AddcxFilterResourceStringNames(core::TdxProductResourceStrings* product) {
  static const Named names[] = {
      {"cxSFilterOperatorEqual", &cxSFilterOperatorEqual},
      {"cxSFilterOperatorNotEqual", &cxSFilterOperatorNotEqual},
      {"cxSFilterOperatorLess", &cxSFilterOperatorLess},
      {"cxSFilterOperatorLessEqual", &cxSFilterOperatorLessEqual},
      {"cxSFilterOperatorGreater", &cxSFilterOperatorGreater},
      {"cxSFilterOperatorGreaterEqual", &cxSFilterOperatorGreaterEqual},
      {"cxSFilterOperatorLike", &cxSFilterOperatorLike},
      {"cxSFilterOperatorNotLike", &cxSFilterOperatorNotLike},
      {"cxSFilterOperatorBetween", &cxSFilterOperatorBetween},
      {"cxSFilterOperatorNotBetween", &cxSFilterOperatorNotBetween},
      {"cxSFilterOperatorInList", &cxSFilterOperatorInList},
      {"cxSFilterOperatorNotInList", &cxSFilterOperatorNotInList},
      {"cxSFilterOperatorYesterday", &cxSFilterOperatorYesterday},
      {"cxSFilterOperatorToday", &cxSFilterOperatorToday},
      {"cxSFilterOperatorTomorrow", &cxSFilterOperatorTomorrow},
      {"cxSFilterOperatorLast7Days", &cxSFilterOperatorLast7Days},
      {"cxSFilterOperatorLastWeek", &cxSFilterOperatorLastWeek},
      {"cxSFilterOperatorLast14Days", &cxSFilterOperatorLast14Days},
      {"cxSFilterOperatorLastTwoWeeks", &cxSFilterOperatorLastTwoWeeks},
      {"cxSFilterOperatorLast30Days", &cxSFilterOperatorLast30Days},
      {"cxSFilterOperatorLastMonth", &cxSFilterOperatorLastMonth},
      {"cxSFilterOperatorLastYear", &cxSFilterOperatorLastYear},
      {"cxSFilterOperatorPast", &cxSFilterOperatorPast},
      {"cxSFilterOperatorThisWeek", &cxSFilterOperatorThisWeek},
      {"cxSFilterOperatorThisMonth", &cxSFilterOperatorThisMonth},
      {"cxSFilterOperatorThisYear", &cxSFilterOperatorThisYear},
      {"cxSFilterOperatorNext7Days", &cxSFilterOperatorNext7Days},
      {"cxSFilterOperatorNextWeek", &cxSFilterOperatorNextWeek},
      {"cxSFilterOperatorNext14Days", &cxSFilterOperatorNext14Days},
      {"cxSFilterOperatorNextTwoWeeks", &cxSFilterOperatorNextTwoWeeks},
      {"cxSFilterOperatorNext30Days", &cxSFilterOperatorNext30Days},
      {"cxSFilterOperatorNextMonth", &cxSFilterOperatorNextMonth},
      {"cxSFilterOperatorNextYear", &cxSFilterOperatorNextYear},
      {"cxSFilterOperatorFuture", &cxSFilterOperatorFuture},
      {"cxSFilterAndCaption", &cxSFilterAndCaption},
      {"cxSFilterOrCaption", &cxSFilterOrCaption},
      {"cxSFilterNotCaption", &cxSFilterNotCaption},
      {"cxSFilterBlankCaption", &cxSFilterBlankCaption},
      {"cxSFilterOperatorIsNull", &cxSFilterOperatorIsNull},
      {"cxSFilterOperatorIsNotNull", &cxSFilterOperatorIsNotNull},
      {"cxSFilterOperatorBeginsWith", &cxSFilterOperatorBeginsWith},
      {"cxSFilterOperatorDoesNotBeginWith", &cxSFilterOperatorDoesNotBeginWith},
      {"cxSFilterOperatorEndsWith", &cxSFilterOperatorEndsWith},
      {"cxSFilterOperatorDoesNotEndWith", &cxSFilterOperatorDoesNotEndWith},
      {"cxSFilterOperatorContains", &cxSFilterOperatorContains},
      {"cxSFilterOperatorDoesNotContain", &cxSFilterOperatorDoesNotContain},
      {"cxSFilterBoxAllCaption", &cxSFilterBoxAllCaption},
      {"cxSFilterBoxCustomCaption", &cxSFilterBoxCustomCaption},
      {"cxSFilterBoxBlanksCaption", &cxSFilterBoxBlanksCaption},
      {"cxSFilterBoxNonBlanksCaption", &cxSFilterBoxNonBlanksCaption},
  };
  addAll(product, std::begin(names), std::end(names));
}

TcxFilterGetResourceStringFunc cxFilterGetResourceStringFunc = nullptr;

String cxSFilterString(TcxResourceStringID resString) {
  if (cxFilterGetResourceStringFunc) return cxFilterGetResourceStringFunc(resString);
  return String(resString->Text);
}

void cxDataStrsInitialization() {
  if (gDataStrsStarts++ == 0)
    core::dxResourceStringsRepository()->RegisterProduct(kDataControllerProductName,
                                                         &AddcxDataResourceStringNames);
}

void cxDataStrsFinalization() {
  if (gDataStrsStarts > 0 && --gDataStrsStarts == 0)
    core::dxResourceStringsRepository()->UnRegisterProduct(kDataControllerProductName,
                                                           &AddcxDataResourceStringNames);
}

void cxFilterConstsInitialization() {
  if (gFilterStrsStarts++ == 0)
    core::dxResourceStringsRepository()->RegisterProduct(kFilterProductName,
                                                         &AddcxFilterResourceStringNames);
}

void cxFilterConstsFinalization() {
  if (gFilterStrsStarts > 0 && --gFilterStrsStarts == 0)
    core::dxResourceStringsRepository()->UnRegisterProduct(kFilterProductName,
                                                           &AddcxFilterResourceStringNames);
}

}  // namespace data

#pragma once
// The texts of the data controllers and of the filter model, and their two
// groups in the resource-strings repository, so that a translation can
// replace them.
#include "lib/core/dxCore.h"

namespace data {

using core::TcxResourceString;
using core::TcxResourceStringID;
using rtl::String;

// --- data controller texts ----------------------------------------------------------
inline constexpr TcxResourceString cxSDataReadError{u"Stream read error"};
inline constexpr TcxResourceString cxSDataWriteError{u"Stream write error"};
inline constexpr TcxResourceString cxSDataItemExistError{u"Item already exists"};
inline constexpr TcxResourceString cxSDataRecordIndexError{u"RecordIndex out of range"};
inline constexpr TcxResourceString cxSDataItemIndexError{u"ItemIndex out of range"};
inline constexpr TcxResourceString cxSDataProviderModeError{
    u"This operation is not supported in provider mode"};
inline constexpr TcxResourceString cxSDataInvalidStreamFormat{u"Invalid stream format"};
inline constexpr TcxResourceString cxSDataRowIndexError{u"RowIndex out of range"};
inline constexpr TcxResourceString cxSDataCustomDataSourceInvalidCompare{
    u"GetInfoForCompare not implemented"};
inline constexpr TcxResourceString cxSDBDetailFilterControllerNotFound{
    u"DetailFilterController not found"};
inline constexpr TcxResourceString cxSDBNotInGridMode{u"DataController not in GridMode"};
inline constexpr TcxResourceString cxSDBKeyFieldNotFound{u"Key Field not found"};

// --- filter texts ----------------------------------------------------------------------
inline constexpr TcxResourceString cxSFilterOperatorEqual{u"equals"};
inline constexpr TcxResourceString cxSFilterOperatorNotEqual{u"does not equal"};
inline constexpr TcxResourceString cxSFilterOperatorLess{u"is less than"};
inline constexpr TcxResourceString cxSFilterOperatorLessEqual{u"is less than or equal to"};
inline constexpr TcxResourceString cxSFilterOperatorGreater{u"is greater than"};
inline constexpr TcxResourceString cxSFilterOperatorGreaterEqual{u"is greater than or equal to"};
inline constexpr TcxResourceString cxSFilterOperatorLike{u"like"};
inline constexpr TcxResourceString cxSFilterOperatorNotLike{u"not like"};
inline constexpr TcxResourceString cxSFilterOperatorBetween{u"between"};
inline constexpr TcxResourceString cxSFilterOperatorNotBetween{u"not between"};
inline constexpr TcxResourceString cxSFilterOperatorInList{u"in"};
inline constexpr TcxResourceString cxSFilterOperatorNotInList{u"not in"};
inline constexpr TcxResourceString cxSFilterOperatorYesterday{u"is yesterday"};
inline constexpr TcxResourceString cxSFilterOperatorToday{u"is today"};
inline constexpr TcxResourceString cxSFilterOperatorTomorrow{u"is tomorrow"};
inline constexpr TcxResourceString cxSFilterOperatorLast7Days{u"is last 7 days"};
inline constexpr TcxResourceString cxSFilterOperatorLastWeek{u"is last week"};
inline constexpr TcxResourceString cxSFilterOperatorLast14Days{u"is last 14 days"};
inline constexpr TcxResourceString cxSFilterOperatorLastTwoWeeks{u"is last two weeks"};
inline constexpr TcxResourceString cxSFilterOperatorLast30Days{u"is last 30 days"};
inline constexpr TcxResourceString cxSFilterOperatorLastMonth{u"is last month"};
inline constexpr TcxResourceString cxSFilterOperatorLastYear{u"is last year"};
inline constexpr TcxResourceString cxSFilterOperatorPast{u"is past"};
inline constexpr TcxResourceString cxSFilterOperatorThisWeek{u"is this week"};
inline constexpr TcxResourceString cxSFilterOperatorThisMonth{u"is this month"};
inline constexpr TcxResourceString cxSFilterOperatorThisYear{u"is this year"};
inline constexpr TcxResourceString cxSFilterOperatorNext7Days{u"is next 7 days"};
inline constexpr TcxResourceString cxSFilterOperatorNextWeek{u"is next week"};
inline constexpr TcxResourceString cxSFilterOperatorNext14Days{u"is next 14 days"};
inline constexpr TcxResourceString cxSFilterOperatorNextTwoWeeks{u"is next two weeks"};
inline constexpr TcxResourceString cxSFilterOperatorNext30Days{u"is next 30 days"};
inline constexpr TcxResourceString cxSFilterOperatorNextMonth{u"is next month"};
inline constexpr TcxResourceString cxSFilterOperatorNextYear{u"is next year"};
inline constexpr TcxResourceString cxSFilterOperatorFuture{u"is future"};
inline constexpr TcxResourceString cxSFilterAndCaption{u"and"};
inline constexpr TcxResourceString cxSFilterOrCaption{u"or"};
inline constexpr TcxResourceString cxSFilterNotCaption{u"not"};
inline constexpr TcxResourceString cxSFilterBlankCaption{u"blank"};
inline constexpr TcxResourceString cxSFilterOperatorIsNull{u"is blank"};
inline constexpr TcxResourceString cxSFilterOperatorIsNotNull{u"is not blank"};
inline constexpr TcxResourceString cxSFilterOperatorBeginsWith{u"begins with"};
inline constexpr TcxResourceString cxSFilterOperatorDoesNotBeginWith{u"does not begin with"};
inline constexpr TcxResourceString cxSFilterOperatorEndsWith{u"ends with"};
inline constexpr TcxResourceString cxSFilterOperatorDoesNotEndWith{u"does not end with"};
inline constexpr TcxResourceString cxSFilterOperatorContains{u"contains"};
inline constexpr TcxResourceString cxSFilterOperatorDoesNotContain{u"does not contain"};
inline constexpr TcxResourceString cxSFilterBoxAllCaption{u"(All)"};
inline constexpr TcxResourceString cxSFilterBoxCustomCaption{u"(Custom...)"};
inline constexpr TcxResourceString cxSFilterBoxBlanksCaption{u"(Blanks)"};
inline constexpr TcxResourceString cxSFilterBoxNonBlanksCaption{u"(NonBlanks)"};

// The names of the two groups in the repository.
inline constexpr char16_t kDataControllerProductName[] = u"Data Controller";
inline constexpr char16_t kFilterProductName[] = u"Filter";

// Adds the 12 data controller names / the 50 filter names, in table order.
void AddcxDataResourceStringNames(core::TdxProductResourceStrings* product);
void AddcxFilterResourceStringNames(core::TdxProductResourceStrings* product);

// Replaces every filter text when set (a translation that bypasses the
// repository); none by default.
using TcxFilterGetResourceStringFunc = String (*)(TcxResourceStringID resString);
extern TcxFilterGetResourceStringFunc cxFilterGetResourceStringFunc;

// The text of a filter resource string: the hook's answer when it is set,
// otherwise the string table's text.
String cxSFilterString(TcxResourceStringID resString);

// Start and stop of the two text modules. Several users may start them:
// the groups are registered by the first start and unregistered by the
// last stop.
void cxDataStrsInitialization();
void cxDataStrsFinalization();
void cxFilterConstsInitialization();
void cxFilterConstsFinalization();

}  // namespace data

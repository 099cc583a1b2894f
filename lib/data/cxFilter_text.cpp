// Filter criteria as text: the filter text that datasets and other
// consumers parse, and the caption people read. One recursive builder serves
// both; the operators add their words, the writing of values, the display
// values of captions and, where a consumer cannot take an operator as it is,
// its expansion into plain comparisons.
#include <algorithm>

#include "lib/data/cxDataStrs.h"
#include "lib/data/cxFilter.h"
#include "lib/data/cxFilterLike.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"

namespace data {

namespace {

String FilterTextRes(const core::TcxResourceString& AText) { return core::cxGetResourceString(&AText); }

int ArrayCount(const Variant& AValue) {
  return rtl::VarArrayHighBound(AValue, 1) - rtl::VarArrayLowBound(AValue, 1) + 1;
}
Variant ArrayItem(const Variant& AValue, int AIndex) {
  return rtl::VarArrayGet(AValue, rtl::VarArrayLowBound(AValue, 1) + AIndex);
}

String FieldName(TcxFilterOperator* AOperator) {
  return AOperator->CriteriaItem() != nullptr ? AOperator->CriteriaItem()->GetFieldName() : String();
}

String Format(TcxFilterOperator* AOperator, const Variant& AValue) {
  TcxFilterCriteria* criteria = AOperator->Criteria();
  return criteria != nullptr ? criteria->FormatExpressionValue(AOperator->CriteriaItem(), AValue)
                             : rtl::VarToStr(AValue);
}

String Comparison(const String& AField, const char16_t* AOperator, const String& AValue) {
  return u"(" + AField + u" " + AOperator + u" " + AValue + u")";
}

bool Translate(TcxFilterOperator* AOperator, bool (TcxFilterCriteria::*AFlag)() const) {
  TcxFilterCriteria* criteria = AOperator->Criteria();
  return criteria != nullptr && (criteria->*AFlag)();
}

String Trimmed(const String& AText) { return rtl::Trim(AText); }

}  // namespace

// --- texts of values --------------------------------------------------------------------

String FilterVarToStr(const Variant& AValue) {
  return rtl::VarIsNull(AValue) ? FilterTextRes(cxSFilterBlankCaption) : rtl::VarToStr(AValue);
}

String ExtractFilterDisplayValue(const String& AText, int& APos) {
  const int start = std::max(APos, 1);
  if (start > static_cast<int>(AText.size())) {
    APos = static_cast<int>(AText.size()) + 2;  // past the end: no piece follows
    return String();
  }
  const std::size_t semicolon = AText.find(u';', static_cast<std::size_t>(start - 1));
  const std::size_t end = semicolon == String::npos ? AText.size() : semicolon;
  APos = static_cast<int>(end) + 2;
  return Trimmed(AText.substr(static_cast<std::size_t>(start - 1), end - static_cast<std::size_t>(start - 1)));
}

Variant StrToVarBetweenArray(const String& AText) {
  int pos = 1;
  const String low = ExtractFilterDisplayValue(AText, pos);
  const String high = ExtractFilterDisplayValue(AText, pos);
  return VarBetweenArrayCreate(low, high);
}

Variant StrToVarListArray(const String& AText) {
  int pos = 1;
  Variant result = VarListArrayCreate(ExtractFilterDisplayValue(AText, pos));
  // A piece follows as long as the last one ended at a ';'.
  while (pos <= static_cast<int>(AText.size()) + 1) VarListArrayAddValue(result, ExtractFilterDisplayValue(AText, pos));
  return result;
}

String VarBetweenArrayToStr(const Variant& AValue) {
  return FilterVarToStr(ArrayItem(AValue, 0)) + u" " + FilterTextRes(cxSFilterAndCaption) + u" " +
         FilterVarToStr(ArrayItem(AValue, 1));
}

String VarListArrayToStr(const Variant& AValue) {
  String result = u"(";
  for (int i = 0; i < ArrayCount(AValue); ++i) {
    if (i > 0) result += u", ";
    result += FilterVarToStr(ArrayItem(AValue, i));
  }
  return result + u")";
}

// --- operators -----------------------------------------------------------------------------

String TcxFilterOperator::GetExpressionValue(const Variant& AValue) {
  String text;
  if (PrepareExpressionValue(AValue, text)) return text;
  return Format(this, AValue);
}

bool TcxFilterEqualOperator::IsExpression() {
  return FCriteriaItem != nullptr && rtl::VarIsArray(FCriteriaItem->Value());
}

// Several fields at once: the condition's field names, separated by ';',
// pair with the array's elements in turn.
String TcxFilterEqualOperator::GetExpressionFilterText(const Variant& AValue) {
  const String names = FieldName(this);
  String result;
  int pos = 1;
  for (int i = 0; i < ArrayCount(AValue); ++i) {
    if (i > 0) result += u" AND ";
    result += Comparison(ExtractFilterDisplayValue(names, pos), u"=", Format(this, ArrayItem(AValue, i)));
  }
  return result;
}

String TcxFilterNotEqualOperator::GetExpressionFilterText(const Variant& AValue) {
  return u"NOT (" + TcxFilterEqualOperator::GetExpressionFilterText(AValue) + u")";
}

void TcxFilterLikeOperator::PrepareDisplayValue(String& AText) {
  TcxFilterCriteria* criteria = Criteria();
  if (criteria != nullptr && criteria->Options().contains(TcxFilterCriteriaOption::fcoShowOperatorDescription))
    LikeOperatorByPattern(AText, criteria->PercentWildcard());
}

bool TcxFilterNotLikeOperator::IsExpression() { return Translate(this, &TcxFilterCriteria::TranslateLike); }

String TcxFilterNotLikeOperator::GetExpressionFilterText(const Variant& AValue) {
  return u" NOT (" + FieldName(this) + u" LIKE " + GetExpressionValue(AValue) + u")";
}

bool TcxFilterBetweenOperator::IsExpression() { return Translate(this, &TcxFilterCriteria::TranslateBetween); }

String TcxFilterBetweenOperator::GetExpressionFilterText(const Variant& AValue) {
  const String field = FieldName(this);
  return Comparison(field, u">=", Format(this, ArrayItem(AValue, 0))) + u" AND " +
         Comparison(field, u"<=", Format(this, ArrayItem(AValue, 1)));
}

bool TcxFilterBetweenOperator::PrepareExpressionValue(const Variant& AValue, String& AText) {
  if (!rtl::VarIsArray(AValue)) return false;
  AText = Format(this, ArrayItem(AValue, 0)) + u" AND " + Format(this, ArrayItem(AValue, 1));
  return true;
}

void TcxFilterBetweenOperator::PrepareDisplayValue(String& AText) {
  AText = VarBetweenArrayToStr(StrToVarBetweenArray(AText));
}

String TcxFilterNotBetweenOperator::GetExpressionFilterText(const Variant& AValue) {
  return u"NOT (" + TcxFilterBetweenOperator::GetExpressionFilterText(AValue) + u")";
}

bool TcxFilterInListOperator::IsExpression() { return Translate(this, &TcxFilterCriteria::TranslateIn); }

String TcxFilterInListOperator::GetExpressionFilterText(const Variant& AValue) {
  const String field = FieldName(this);
  String result;
  for (int i = 0; i < ArrayCount(AValue); ++i) {
    if (i > 0) result += u" OR ";
    result += Comparison(field, u"=", Format(this, ArrayItem(AValue, i)));
  }
  return result;
}

bool TcxFilterInListOperator::PrepareExpressionValue(const Variant& AValue, String& AText) {
  if (!rtl::VarIsArray(AValue)) return false;
  AText = u"(";
  for (int i = 0; i < ArrayCount(AValue); ++i) {
    if (i > 0) AText += u", ";
    AText += Format(this, ArrayItem(AValue, i));
  }
  AText += u")";
  return true;
}

void TcxFilterInListOperator::PrepareDisplayValue(String& AText) {
  AText = VarListArrayToStr(StrToVarListArray(AText));
}

String TcxFilterNotInListOperator::GetExpressionFilterText(const Variant& AValue) {
  return u"NOT (" + TcxFilterInListOperator::GetExpressionFilterText(AValue) + u")";
}

void TcxFilterNullOperator::PrepareDisplayValue(String& AText) {
  TcxFilterCriteria* criteria = Criteria();
  if (criteria != nullptr && criteria->Options().contains(TcxFilterCriteriaOption::fcoShowOperatorDescription))
    AText.clear();
}

String TcxFilterDateOperator::GetExpressionFilterText(const Variant&) {
  const String field = FieldName(this);
  String result;
  if (FDate1 != 0) result = Comparison(field, u">=", Format(this, rtl::VarFromDateTime(FDate1)));
  if (FDate1 != 0 && FDate2 != 0) result += u" AND ";
  if (FDate2 != 0) result += Comparison(field, u"<", Format(this, rtl::VarFromDateTime(FDate2)));
  return result;
}

// --- the builder ---------------------------------------------------------------------------

String TcxFilterCriteria::FormatExpressionValue(TcxFilterCriteriaItem* AItem, const Variant& AValue) {
  String text;
  if (rtl::VarIsNull(AValue)) {
    text = u"NULL";
  } else if (VarIsDate(AValue) || rtl::VarIsSQLTimeStamp(AValue)) {
    text = u"'" + ConvertDateToStr(AValue) + u"'";
  } else if (rtl::VarType(AValue) == rtl::varBoolean) {
    text = ConvertBoolToStr(AValue);
  } else if (rtl::VarIsStr(AValue)) {
    text = rtl::QuotedStr(AValue.AsString());
  } else {
    text = rtl::VarToStr(AValue);
  }
  FormatFilterTextValue(AItem, AValue, text);
  return text;
}

String TcxFilterCriteria::GetItemExpressionFieldName(TcxFilterCriteriaItem* AItem, bool AIsCaption) {
  return AIsCaption ? AItem->GetFieldCaption() : AItem->GetFieldName();
}

String TcxFilterCriteria::GetItemExpressionOperator(TcxFilterCriteriaItem* AItem, bool AIsCaption) {
  TcxFilterOperator* op = AItem->Operator();
  if (AIsCaption && (op->IsDescription() || FOptions.contains(TcxFilterCriteriaOption::fcoShowOperatorDescription)))
    return op->DisplayText();
  return op->FilterText();
}

String TcxFilterCriteria::GetItemExpressionValue(TcxFilterCriteriaItem* AItem, bool AIsCaption) {
  if (AIsCaption) return AItem->GetDisplayValue();
  return AItem->Operator()->GetExpressionValue(AItem->Value());
}

String TcxFilterCriteria::GetItemExpression(TcxFilterCriteriaItem* AItem, bool AIsCaption) {
  if (!AIsCaption && AItem->Operator()->IsExpression())
    return AItem->Operator()->GetExpressionFilterText(AItem->Value());
  String result = GetItemExpressionFieldName(AItem, AIsCaption) + u" " + GetItemExpressionOperator(AItem, AIsCaption);
  const String value = GetItemExpressionValue(AItem, AIsCaption);
  if (!value.empty()) result += u" " + value;
  return result;
}

String TcxFilterCriteria::ListExpression(TcxFilterCriteriaItemList* AList, bool AIsCaption) {
  const TcxFilterBoolOperatorKind kind = AList->BoolOperatorKind();
  const bool isAnd = kind == TcxFilterBoolOperatorKind::fboAnd || kind == TcxFilterBoolOperatorKind::fboNotAnd;
  const String joiner = AIsCaption ? FilterTextRes(isAnd ? cxSFilterAndCaption : cxSFilterOrCaption)
                                   : String(isAnd ? u"AND" : u"OR");
  String result;
  for (int i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* child = AList->Items(i);
    if (i > 0) result += u" " + joiner + u" ";
    const String part = child->GetIsItemList()
                            ? ListExpression(static_cast<TcxFilterCriteriaItemList*>(child), AIsCaption)
                            : GetItemExpression(static_cast<TcxFilterCriteriaItem*>(child), AIsCaption);
    result += u"(" + part + u")";
  }
  if (result.empty()) return result;
  if (kind == TcxFilterBoolOperatorKind::fboNotAnd || kind == TcxFilterBoolOperatorKind::fboNotOr)
    result = (AIsCaption ? FilterTextRes(cxSFilterNotCaption) : String(u"NOT")) + u" (" + result + u")";
  return result;
}

String TcxFilterCriteria::GetFilterExpression(bool AIsCaption) { return ListExpression(FRoot.get(), AIsCaption); }

}  // namespace data

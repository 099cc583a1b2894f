// The find panel's criteria: a search text split into conditions and turned
// into a private filter of LIKE conditions over the searched fields.
#include <algorithm>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/data_brackets.h"
#include "platform/rtl/ustring.h"

namespace data {

namespace {
using Op = TcxDataFindFilterCriteriaConditionOperation;
using CriteriaUpdate =
    BracketScope<TcxFilterCriteria, &TcxFilterCriteria::BeginUpdate, &TcxFilterCriteria::EndUpdate>;
constexpr char16_t kQuote = u'"';
}  // namespace

// --- conditions -------------------------------------------------------------------------------

void TcxDataFindFilterCriteriaConditions::Clear() {
  FItems.clear();
  std::fill(std::begin(FCounters), std::end(FCounters), 0);
}

void TcxDataFindFilterCriteriaConditions::Add(const String& AText, Op AOperation) {
  FItems.push_back({false, AOperation, AText});
  ++FCounters[static_cast<int>(AOperation)];
}

void TcxDataFindFilterCriteriaConditions::ResetFoundInfo() {
  for (auto& item : FItems) item.FFound = false;
}

void TcxDataFindFilterCriteriaConditions::Refresh(const String& AText, bool AUseExtendedSyntax) {
  Clear();
  if (AUseExtendedSyntax)
    Populate(AText, false);
  else if (!AText.empty())
    Add(AText, Op::ffcoOr);
}

void TcxDataFindFilterCriteriaConditions::Populate(const String& AText, bool AAdjustConditionWithMissedQuote) {
  // Each further pass reads a strictly shorter tail, so the loop ends.
  String text = AText;
  bool adjust = AAdjustConditionWithMissedQuote;
  String reparse;
  while (populateOnce(text, adjust, reparse)) {
    text = std::move(reparse);
    reparse.clear();
    adjust = true;
  }
}

bool TcxDataFindFilterCriteriaConditions::populateOnce(const String& AText, bool AAdjust, String& AReparse) {
  String word = AAdjust ? String(1, kQuote) : String();  // W
  String quotes;                                           // H: quotes leading a phrase
  Op operation = Op::ffcoOr;                               // P
  bool quoted = false;                                     // Q
  auto emit = [&](const String& AConditionText) { Add(AConditionText, operation); };
  for (char16_t c : AText) {
    if (c == u' ') {
      if (!quoted) {
        if (!word.empty()) emit(word);
        word.clear();
        operation = Op::ffcoOr;
        continue;
      }
      if (!quotes.empty() && word.empty()) {
        quotes.pop_back();
        if (!quotes.empty()) emit(quotes);
        quotes.clear();
        quoted = false;
        operation = Op::ffcoOr;
        continue;
      }
    } else if (c == kQuote) {
      if (quoted || word.empty()) {
        if (quoted) {
          if (!word.empty()) {
            emit(quotes + word);
            operation = Op::ffcoOr;
            word.clear();
            quotes.clear();
          } else {
            quotes += kQuote;
          }
        }
        if (quotes.empty()) quoted = !quoted;
        continue;
      }
    } else if ((c == u'+' || c == u'-') && !quoted && word.empty() && operation == Op::ffcoOr) {
      operation = c == u'+' ? Op::ffcoAnd : Op::ffcoNot;
      continue;
    }
    word += c;
  }
  // A phrase left open.
  if (quoted) {
    if (!quotes.empty() && word.empty()) {
      quotes.pop_back();
      if (!quotes.empty()) emit(quotes);
      return false;
    }
    AReparse = quotes + word;
    return true;
  }
  if (!word.empty()) emit(word);
  return false;
}

// --- criteria ---------------------------------------------------------------------------------

void TcxFindFilterCriteria::init() {
  FFilter = CreateFilter();
  SetFilterProperty();
}

void TcxFindFilterCriteria::Clear() { FFilter->Clear(); }

TcxDataFindFilterCriteria::TcxDataFindFilterCriteria(TcxCustomDataController* AOwner)
    : TcxFindFilterCriteria(AOwner), FConditions(std::make_unique<TcxDataFindFilterCriteriaConditions>()) {
  init();
}

TcxDataFindFilterCriteria::~TcxDataFindFilterCriteria() = default;

std::unique_ptr<TcxDataFilterCriteria> TcxDataFindFilterCriteria::CreateFilter() {
  std::unique_ptr<TcxDataFilterCriteria> filter = FOwner->CreateFilter();
  // It reports through these criteria, not to the controller on its own.
  filter->SetInternal(true);
  return filter;
}

void TcxDataFindFilterCriteria::SetFilterProperty() {
  CriteriaUpdate update(*FFilter);
  TcxFilterCriteriaOptions options = FFilter->Options();
  options += TcxFilterCriteriaOption::fcoCaseInsensitive;
  options += TcxFilterCriteriaOption::fcoIgnoreNull;
  FFilter->SetOptions(options);
  FFilter->SetCompareByDisplayValues(true);
  FFilter->SetActive(true);
  FFilter->SetEscapeWildcard(GetEscapeWildcard());
}

void TcxDataFindFilterCriteria::Clear() {
  TcxFindFilterCriteria::Clear();
  FConditions->Clear();
  FItems.clear();
  FText.clear();
  FLowerText.clear();
}

void TcxDataFindFilterCriteria::SetText(const String& AValue) {
  if (FText == AValue) return;
  FText = AValue;
  FLowerText = rtl::AnsiLowerCase(AValue);
  if (HasItems()) Changed();
}

void TcxDataFindFilterCriteria::SetUseExtendedSyntax(bool AValue) {
  if (FUseExtendedSyntax == AValue) return;
  FUseExtendedSyntax = AValue;
  FFilter->SetEscapeWildcard(AValue ? char16_t(0) : GetEscapeWildcard());
  if (HasText() && HasItems()) Changed();
}

void TcxDataFindFilterCriteria::AddItem(int AItemIndex) {
  TcxCustomDataField* field = FOwner->GetItemField(AItemIndex);
  if (std::find(FItems.begin(), FItems.end(), field) != FItems.end()) return;
  FItems.push_back(field);
  if (HasText()) Changed();
}

void TcxDataFindFilterCriteria::RemoveItem(int AItemIndex) {
  TcxCustomDataField* field = FOwner->GetItemField(AItemIndex);
  auto it = std::find(FItems.begin(), FItems.end(), field);
  if (it == FItems.end()) return;
  FItems.erase(it);
  if (HasText()) Changed();
}

void TcxDataFindFilterCriteria::RemoveField(TcxCustomDataField* AField) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), AField), FItems.end());
  FFilter->RemoveItemByField(AField);
}

void TcxDataFindFilterCriteria::ClearItems() {
  const bool had = HasItems();
  FItems.clear();
  if (had && HasText()) Changed();
}

bool TcxDataFindFilterCriteria::IsLocked() {
  return FOwner->IsDestroying() || FOwner->IsLoading() || FOwner->DataControllerInfo()->LockCount() > 0;
}

void TcxDataFindFilterCriteria::Changed() {
  if (IsLocked()) return;
  RefreshConditions();
  RebuildFilter();
  Update();
}

void TcxDataFindFilterCriteria::RefreshConditions() { FConditions->Refresh(FLowerText, FUseExtendedSyntax); }

String TcxDataFindFilterCriteria::PrepareCondition(const String& AText) {
  const char16_t escape = GetEscapeWildcard();
  String result;
  result.reserve(AText.size());
  for (char16_t c : AText) {
    if (c == u'%' || c == u'_' || c == escape) result += escape;
    result += c;
  }
  return result;
}

String TcxDataFindFilterCriteria::GetEscapedCondition(const String& AText) {
  return FUseExtendedSyntax ? AText : PrepareCondition(AText);
}

void TcxDataFindFilterCriteria::RebuildFilter() {
  CriteriaUpdate update(*FFilter);
  FFilter->Clear();
  TcxFilterCriteriaItemList* root = FFilter->Root();
  root->SetBoolOperatorKind(TcxFilterBoolOperatorKind::fboAnd);
  // Without searched fields the lists would stay empty, and an empty list
  // would hide every record: the filter stays empty instead.
  if (!HasItems()) return;
  auto listFor = [&](Op AOperation, TcxFilterBoolOperatorKind AKind) {
    return FConditions->Counter(AOperation) > 0 ? root->AddItemList(AKind) : nullptr;
  };
  TcxFilterCriteriaItemList* notList = listFor(Op::ffcoNot, TcxFilterBoolOperatorKind::fboNotOr);
  TcxFilterCriteriaItemList* andList = listFor(Op::ffcoAnd, TcxFilterBoolOperatorKind::fboAnd);
  TcxFilterCriteriaItemList* orList = listFor(Op::ffcoOr, TcxFilterBoolOperatorKind::fboOr);
  for (int i = 0; i < FConditions->Count(); ++i) {
    const TcxDataFindFilterCriteriaCondition& condition = FConditions->Items(i);
    const String pattern = u"%" + GetEscapedCondition(condition.FText) + u"%";
    TcxFilterCriteriaItemList* list = orList;
    if (condition.FOperation == Op::ffcoNot)
      list = notList;
    else if (condition.FOperation == Op::ffcoAnd)
      list = andList->AddItemList(TcxFilterBoolOperatorKind::fboOr);
    for (TcxCustomDataField* field : FItems)
      list->AddItem(field, TcxFilterOperatorKind::foLike, Variant(pattern), pattern);
  }
  FFilter->SetActive(true);
}

void TcxDataFindFilterCriteria::Update() {
  if (!FOwner->Provider()->IsDataSource()) FOwner->Post();
  FOwner->FindFilterChanged();
}

int TcxDataFindFilterCriteria::FindTextStartPosition(int ARecordIndex, int AItemIndex, String& AText) {
  if (!IsFiltering()) return -1;
  for (TcxCustomDataField* field : FItems) {
    if (field->GetIndex() != AItemIndex) continue;
    const String text = rtl::AnsiLowerCase(FOwner->GetDisplayText(ARecordIndex, AItemIndex));
    for (int i = 0; i < FConditions->Count(); ++i) {
      const TcxDataFindFilterCriteriaCondition& condition = FConditions->Items(i);
      if (condition.FOperation == Op::ffcoNot) continue;
      const size_t position = text.find(rtl::AnsiLowerCase(condition.FText));
      if (position != String::npos) {
        AText = condition.FText;
        return static_cast<int>(position);
      }
    }
  }
  return -1;
}

}  // namespace data

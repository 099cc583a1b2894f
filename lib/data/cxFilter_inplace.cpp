// Conditions tested on typed values read in place (filter speed).
//
// The variant way reads a record's value into a variant, prepares a copy
// (upper case, currency as double), converts both sides to text for LIKE and
// compares through the variant library: several allocations per record and
// condition. A condition whose operator is one of the built-in ones and whose
// prepared value is a plain number, Boolean, text or Null is turned here,
// once per Prepare, into a typed test with the same answers: the record's
// value comes as a number or a text view, text is upper-cased into a buffer
// reused by the thread, and comparisons follow the variant library's rules
// for those kinds (two texts ordinally, two Booleans, numbers as 64-bit
// integers when both are integers and as doubles otherwise; no conversion
// between texts, Booleans and numbers, which go the variant way).
#include <cstdint>
#include <cstring>
#include <memory>
#include <typeinfo>
#include <vector>

#include "lib/data/cxFilter.h"
#include "lib/data/cxFilterLike.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace data {

struct TcxFilterInPlaceTest {
  using Kind = TcxFilterInPlaceValue::Kind;
  enum class Op : unsigned char {
    Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, Like, NotLike, Between, NotBetween, InList,
    NotInList, Null, NotNull, Date
  };
  // A prepared value of the condition, owning its text.
  struct Operand {
    Kind kind = Kind::Null;
    rtl::Int64 integer = 0;
    double real = 0;
    bool boolean = false;
    String text;
    TcxFilterInPlaceValue view() const {
      TcxFilterInPlaceValue v;
      v.kind = kind;
      v.integer = integer;
      v.real = real;
      v.boolean = boolean;
      v.text = text;
      return v;
    }
  };

  Op op = Op::Equal;
  TcxFilterCriteria* criteria = nullptr;
  // The criteria's settings the test was made under; other settings send
  // every record the variant way until the next Prepare.
  TcxFilterCriteriaOptions options;
  bool byDisplay = false;
  char16_t percent = 0, underline = 0, escape = 0;
  std::vector<Operand> operands;
  std::unique_ptr<TcxLikeMatcher> like;
  TDateTime date1 = 0, date2 = 0;

  bool fits() const {
    return criteria->Options() == options && criteria->CompareByDisplayValues() == byDisplay &&
           criteria->PercentWildcard() == percent && criteria->UnderscoreWildcard() == underline &&
           criteria->EscapeWildcard() == escape;
  }
};

namespace {

using InPlaceKind = TcxFilterInPlaceValue::Kind;
using InPlaceOp = TcxFilterInPlaceTest::Op;
using InPlaceOperand = TcxFilterInPlaceTest::Operand;

// Only the built-in operators themselves: a descendant may compare otherwise.
bool inPlaceOperation(const TcxFilterOperator& AOperator, InPlaceOp& AOp) {
  const std::type_info& type = typeid(AOperator);
  static const struct {
    const std::type_info& type;
    InPlaceOp op;
  } kOps[] = {
      {typeid(TcxFilterEqualOperator), InPlaceOp::Equal},       {typeid(TcxFilterNotEqualOperator), InPlaceOp::NotEqual},
      {typeid(TcxFilterLessOperator), InPlaceOp::Less},         {typeid(TcxFilterLessEqualOperator), InPlaceOp::LessEqual},
      {typeid(TcxFilterGreaterOperator), InPlaceOp::Greater},   {typeid(TcxFilterGreaterEqualOperator), InPlaceOp::GreaterEqual},
      {typeid(TcxFilterLikeOperator), InPlaceOp::Like},         {typeid(TcxFilterNotLikeOperator), InPlaceOp::NotLike},
      {typeid(TcxFilterBetweenOperator), InPlaceOp::Between},   {typeid(TcxFilterNotBetweenOperator), InPlaceOp::NotBetween},
      {typeid(TcxFilterInListOperator), InPlaceOp::InList},     {typeid(TcxFilterNotInListOperator), InPlaceOp::NotInList},
      {typeid(TcxFilterNullOperator), InPlaceOp::Null},         {typeid(TcxFilterNotNullOperator), InPlaceOp::NotNull},
      {typeid(TcxFilterDateOperator), InPlaceOp::Date},
  };
  for (const auto& entry : kOps)
    if (entry.type == type) {
      AOp = entry.op;
      return true;
    }
  return false;
}

bool inPlaceOperand(const Variant& AValue, InPlaceOperand& AOperand) {
  switch (rtl::VarType(AValue)) {
    case rtl::varNull: AOperand.kind = InPlaceKind::Null; return true;
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varShortInt:
    case rtl::varByte:
    case rtl::varWord:
    case rtl::varLongWord:
    case rtl::varInt64:
      AOperand.kind = InPlaceKind::Integer;
      AOperand.integer = AValue.AsInt64();
      return true;
    case rtl::varSingle:
    case rtl::varDouble:
    case rtl::varDate:
      AOperand.kind = InPlaceKind::Real;
      AOperand.real = AValue.AsDouble();
      return true;
    case rtl::varBoolean:
      AOperand.kind = InPlaceKind::Boolean;
      AOperand.boolean = AValue.AsBoolean();
      return true;
    case rtl::varUString:
    case rtl::varOleStr:
      AOperand.kind = InPlaceKind::Text;
      AOperand.text = AValue.AsString();
      return true;
    default: return false;
  }
}

bool inPlaceNumeric(const TcxFilterInPlaceValue& v) { return v.kind == InPlaceKind::Integer || v.kind == InPlaceKind::Real; }
double inPlaceReal(const TcxFilterInPlaceValue& v) {
  return v.kind == InPlaceKind::Integer ? static_cast<double>(v.integer) : v.real;
}

// -1, 0, 1, or 2 when unordered (NaN), as the variant library orders.
template <class T>
int inPlaceSign(T a, T b) {
  if (a < b) return -1;
  if (b < a) return 1;
  return a == b ? 0 : 2;
}

// VarCompare of two values of these kinds; false where the variants would
// convert one side (or fail to), which the variant way answers instead.
bool inPlaceCompare(const TcxFilterInPlaceValue& a, const TcxFilterInPlaceValue& b, int& AResult) {
  if (a.kind == InPlaceKind::Null || b.kind == InPlaceKind::Null) {
    AResult = a.kind == b.kind ? 0 : (a.kind == InPlaceKind::Null ? -1 : 1);
    return true;
  }
  int c = 0;
  if (a.kind == InPlaceKind::Text && b.kind == InPlaceKind::Text) {
    const int r = rtl::CompareStr(a.text, b.text);
    c = r < 0 ? -1 : (r > 0 ? 1 : 0);
  } else if (a.kind == InPlaceKind::Boolean && b.kind == InPlaceKind::Boolean) {
    c = inPlaceSign<int>(a.boolean, b.boolean);
  } else if (inPlaceNumeric(a) && inPlaceNumeric(b)) {
    c = a.kind == InPlaceKind::Integer && b.kind == InPlaceKind::Integer ? inPlaceSign(a.integer, b.integer)
                                                           : inPlaceSign(inPlaceReal(a), inPlaceReal(b));
  } else {
    return false;
  }
  // Unordered values are neither equal nor less: "greater".
  AResult = c == 0 ? 0 : (c == -1 ? -1 : 1);
  return true;
}

// The text as the criteria's PrepareValue upper-cases it: ASCII letter by
// letter into the reused buffer, anything else by the full mapping.
rtl::StringView inPlaceUpper(rtl::StringView AText, String& ABuffer) {
  ABuffer.resize(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    const char16_t c = AText[i];
    if (c >= 0x80) {
      ABuffer = rtl::AnsiUpperCase(AText);
      return ABuffer;
    }
    ABuffer[i] = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
  }
  return ABuffer;
}

// Four code units at a time: the text is read once more for this, so the
// pass has to be cheap beside the match that follows.
bool inPlaceIsAscii(rtl::StringView AText) {
  const char16_t* p = AText.data();
  const size_t n = AText.size();
  std::uint64_t bits = 0;
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    bits |= word;
  }
  for (; i < n; ++i) bits |= p[i];
  return (bits & 0xFF80FF80FF80FF80ull) == 0;
}

TcxFilterInPlaceValue inPlaceDate(TDateTime ADate) {
  TcxFilterInPlaceValue v;
  v.kind = InPlaceKind::Real;
  v.real = ADate;
  return v;
}

}  // namespace

void TcxFilterCriteriaItem::ResetInPlaceTest() { FInPlaceTest.reset(); }

void TcxFilterCriteriaItem::MakeInPlaceTest() {
  FInPlaceTest.reset();
  TcxFilterCriteria* criteria = GetCriteria();
  if (criteria == nullptr || FOperator == nullptr || FItemLink == nullptr || !criteria->CanTestRecordsInPlace())
    return;
  auto test = std::make_unique<TcxFilterInPlaceTest>();
  if (!inPlaceOperation(*FOperator, test->op)) return;
  try {
    switch (test->op) {
      case InPlaceOp::Like:
      case InPlaceOp::NotLike: {
        const rtl::TVarType type = rtl::VarType(FPreparedValue);
        if (type != rtl::varUString && type != rtl::varOleStr) return;
        const String pattern = FPreparedValue.AsString();
        test->like = std::make_unique<TcxLikeMatcher>(pattern.data(), pattern.size(), criteria->PercentWildcard(),
                                                      criteria->UnderscoreWildcard(), criteria->EscapeWildcard());
        break;
      }
      case InPlaceOp::Between:
      case InPlaceOp::NotBetween:
        test->operands.resize(2);
        if (!inPlaceOperand(FPreparedValue[0], test->operands[0]) ||
            !inPlaceOperand(FPreparedValue[1], test->operands[1]))
          return;
        break;
      case InPlaceOp::InList:
      case InPlaceOp::NotInList: {
        const int low = rtl::VarArrayLowBound(FPreparedValue, 1);
        const int high = rtl::VarArrayHighBound(FPreparedValue, 1);
        for (int i = low; i <= high; ++i) {
          test->operands.emplace_back();
          if (!inPlaceOperand(rtl::VarArrayGet(FPreparedValue, i), test->operands.back())) return;
        }
        break;
      }
      case InPlaceOp::Null:
      case InPlaceOp::NotNull: break;
      case InPlaceOp::Date: {
        const auto& date = static_cast<const TcxFilterDateOperator&>(*FOperator);
        test->date1 = date.Date1();
        test->date2 = date.Date2();
        break;
      }
      default:
        test->operands.resize(1);
        if (!inPlaceOperand(FPreparedValue, test->operands[0])) return;
    }
  } catch (const rtl::EVariantError&) {
    return;  // a value the operator itself cannot read: the variant way fails the same
  }
  if (!PrepareDataValueInPlace()) return;
  test->criteria = criteria;
  test->options = criteria->Options();
  test->byDisplay = criteria->CompareByDisplayValues();
  test->percent = criteria->PercentWildcard();
  test->underline = criteria->UnderscoreWildcard();
  test->escape = criteria->EscapeWildcard();
  FInPlaceTest = std::move(test);
}

int TcxFilterCriteriaItem::TestInPlace(rtl::Int64 ARecordIndex) {
  const TcxFilterInPlaceTest& test = *FInPlaceTest;
  if (!test.fits()) return -1;
  // Per thread: the filter pass may run on the pool.
  thread_local String scratch, upper;
  TcxFilterInPlaceValue value;
  if (!GetDataValueInPlace(ARecordIndex, value, scratch)) return -1;
  using O = TcxFilterCriteriaOption;
  const bool like = test.op == InPlaceOp::Like || test.op == InPlaceOp::NotLike;
  // An ASCII text meets a LIKE pattern folded as it is read: no copy.
  bool foldWhileMatching = false;
  if (value.kind == InPlaceKind::Text && test.options.contains(O::fcoCaseInsensitive)) {
    if (like && inPlaceIsAscii(value.text))
      foldWhileMatching = true;
    else
      value.text = inPlaceUpper(value.text, upper);
  }
  const bool isNull = value.kind == InPlaceKind::Null ||
                      (value.kind == InPlaceKind::Text && value.text.empty() && test.options.contains(O::fcoSoftNull));
  if (test.options.contains(O::fcoIgnoreNull) && test.op != InPlaceOp::Null && test.op != InPlaceOp::NotNull && isNull) return 0;
  int r = 0;
  switch (test.op) {
    case InPlaceOp::Equal:
    case InPlaceOp::NotEqual:
    case InPlaceOp::Less:
    case InPlaceOp::LessEqual:
    case InPlaceOp::Greater:
    case InPlaceOp::GreaterEqual: {
      if (!inPlaceCompare(value, test.operands[0].view(), r)) return -1;
      switch (test.op) {
        case InPlaceOp::Equal: return r == 0;
        case InPlaceOp::NotEqual: return r != 0;
        case InPlaceOp::Less: return r < 0;
        case InPlaceOp::LessEqual: return r <= 0;
        case InPlaceOp::Greater: return r > 0;
        default: return r >= 0;
      }
    }
    case InPlaceOp::Like:
    case InPlaceOp::NotLike: {
      // LIKE reads the value as text: Null is the empty text, numbers would be formatted.
      if (value.kind != InPlaceKind::Text && value.kind != InPlaceKind::Null) return -1;
      const rtl::StringView text = value.kind == InPlaceKind::Text ? value.text : rtl::StringView();
      const bool matches = foldWhileMatching ? test.like->MatchesAsciiUpper(text) : test.like->Matches(text);
      return test.op == InPlaceOp::Like ? matches : !matches;
    }
    case InPlaceOp::Between:
    case InPlaceOp::NotBetween: {
      bool inRange = false;
      if (!inPlaceCompare(test.operands[0].view(), value, r)) return -1;
      if (r <= 0) {
        if (!inPlaceCompare(value, test.operands[1].view(), r)) return -1;
        inRange = r <= 0;
      }
      return test.op == InPlaceOp::Between ? inRange : !inRange;
    }
    case InPlaceOp::InList:
    case InPlaceOp::NotInList: {
      bool found = false;
      for (const InPlaceOperand& element : test.operands) {
        if (!inPlaceCompare(value, element.view(), r)) return -1;
        if (r == 0) {
          found = true;
          break;
        }
      }
      return test.op == InPlaceOp::InList ? found : !found;
    }
    case InPlaceOp::Null: return isNull;
    case InPlaceOp::NotNull: return !isNull;
    case InPlaceOp::Date: {
      if (isNull) return 0;
      if (test.date1 != 0) {
        if (!inPlaceCompare(inPlaceDate(test.date1), value, r)) return -1;
        if (r > 0) return 0;
      }
      if (test.date2 != 0) {
        if (!inPlaceCompare(value, inPlaceDate(test.date2), r)) return -1;
        if (r >= 0) return 0;
      }
      return 1;
    }
  }
  return -1;
}

}  // namespace data

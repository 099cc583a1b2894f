#include "platform/db/filter.h"

#include <cmath>
#include <utility>

#include "platform/db/value_conversion.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace db {

namespace {

// Parentheses and NOTs nest at most this deep, so evaluation and teardown
// stay far from the stack's end whatever the text.
constexpr int kMaxDepth = 200;
constexpr size_t kMaxLength = 1024 * 1024;

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };
enum class Kind { Or, And, Not, Compare, IsNull, Like, Between, In, Truth };

struct Operand {
  enum class Type { Field, Const, Null } type = Type::Null;
  int slot = -1;
  Variant value;
  bool partial = false;  // a text constant that ended in '*'
};

enum class Tok { End, Ident, Str, Num, LParen, RParen, Comma, Op };

struct Token {
  Tok kind = Tok::End;
  String text;
  Op op = Op::Eq;
  size_t pos = 0;
  bool quotedName = false;
};


bool identStart(Char c) { return c == u'_' || rtl::IsLetter(c); }
bool identPart(Char c) { return c == u'_' || c == u'.' || c == u'$' || rtl::IsLetter(c) || rtl::IsDigit(c); }

}  // namespace

struct TFilterExpression::Node {
  Kind kind = Kind::Truth;
  Op op = Op::Eq;
  bool negate = false;
  std::vector<std::unique_ptr<Node>> children;
  Operand left;
  Operand right;
  Operand upper;               // BETWEEN's upper bound (right is the lower one)
  std::vector<Operand> list;   // IN's elements
};

class FilterParser {
 public:
  FilterParser(StringView text, TFilterExpression& expr) : text_(text), expr_(expr) {}

  std::unique_ptr<TFilterExpression::Node> parse() {
    next();
    auto node = parseOr(0);
    if (tok_.kind != Tok::End) fail(u"unexpected text");
    return node;
  }

 private:
  using Node = TFilterExpression::Node;

  [[noreturn]] void fail(StringView what) const {
    throw EDatabaseError(rtl::Format(u"Filter expression: %s at position %d",
                                     {what, static_cast<int>(tok_.pos + 1)}));
  }

  void next() {
    size_t n = text_.size();
    while (pos_ < n && text_[pos_] <= u' ') ++pos_;
    tok_ = Token{};
    tok_.pos = pos_;
    if (pos_ >= n) return;
    Char c = text_[pos_];
    if (c == u'(') { tok_.kind = Tok::LParen; ++pos_; return; }
    if (c == u')') { tok_.kind = Tok::RParen; ++pos_; return; }
    if (c == u',') { tok_.kind = Tok::Comma; ++pos_; return; }
    if (c == u'=') { tok_.kind = Tok::Op; tok_.op = Op::Eq; ++pos_; return; }
    if (c == u'<' || c == u'>' || c == u'!') {
      Char d = pos_ + 1 < n ? text_[pos_ + 1] : 0;
      tok_.kind = Tok::Op;
      if (c == u'<' && d == u'>') { tok_.op = Op::Ne; pos_ += 2; return; }
      if (c == u'!' && d == u'=') { tok_.op = Op::Ne; pos_ += 2; return; }
      if (c == u'!') fail(u"unexpected '!'");
      if (d == u'=') { tok_.op = c == u'<' ? Op::Le : Op::Ge; pos_ += 2; return; }
      tok_.op = c == u'<' ? Op::Lt : Op::Gt;
      ++pos_;
      return;
    }
    if (c == u'\'') {
      tok_.kind = Tok::Str;
      tok_.text = quoted(u'\'', u"unterminated text");
      return;
    }
    if (c == u'[' || c == u'"') {
      tok_.kind = Tok::Ident;
      tok_.quotedName = true;
      tok_.text = quoted(c == u'[' ? u']' : u'"', u"unterminated field name");
      if (rtl::Trim(tok_.text).empty()) fail(u"empty field name");
      return;
    }
    if (rtl::IsDigit(c) || ((c == u'-' || c == u'+' || c == u'.') && pos_ + 1 < n &&
                            (rtl::IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == u'.'))) {
      size_t start = pos_++;
      while (pos_ < n && (rtl::IsDigit(text_[pos_]) || text_[pos_] == u'.')) ++pos_;
      if (pos_ < n && (text_[pos_] == u'e' || text_[pos_] == u'E')) {
        size_t save = pos_++;
        if (pos_ < n && (text_[pos_] == u'+' || text_[pos_] == u'-')) ++pos_;
        if (pos_ < n && rtl::IsDigit(text_[pos_])) {
          while (pos_ < n && rtl::IsDigit(text_[pos_])) ++pos_;
        } else {
          pos_ = save;
        }
      }
      tok_.kind = Tok::Num;
      tok_.text = String(text_.substr(start, pos_ - start));
      return;
    }
    if (identStart(c)) {
      size_t start = pos_++;
      while (pos_ < n && identPart(text_[pos_])) ++pos_;
      tok_.kind = Tok::Ident;
      tok_.text = String(text_.substr(start, pos_ - start));
      return;
    }
    fail(u"unexpected character");
  }

  // The text after the opening character at pos_ up to `close`, where a
  // doubled `close` stands for one; pos_ ends past the closing character.
  String quoted(Char close, StringView unterminated) {
    const size_t n = text_.size();
    String s;
    ++pos_;
    for (;;) {
      if (pos_ >= n) fail(unterminated);
      if (text_[pos_] == close) {
        if (pos_ + 1 < n && text_[pos_ + 1] == close) {
          s.push_back(close);
          pos_ += 2;
          continue;
        }
        ++pos_;
        return s;
      }
      s.push_back(text_[pos_++]);
    }
  }

  bool keyword(StringView word) const {
    return tok_.kind == Tok::Ident && !tok_.quotedName && rtl::SameText(tok_.text, word);
  }

  void enter(int depth) const {
    if (depth > kMaxDepth) fail(u"nesting too deep");
  }

  std::unique_ptr<Node> parseOr(int depth) {
    enter(depth);
    auto first = parseAnd(depth + 1);
    if (!keyword(u"OR")) return first;
    auto node = std::make_unique<Node>();
    node->kind = Kind::Or;
    node->children.push_back(std::move(first));
    while (keyword(u"OR")) {
      next();
      node->children.push_back(parseAnd(depth + 1));
    }
    return node;
  }

  std::unique_ptr<Node> parseAnd(int depth) {
    enter(depth);
    auto first = parseNot(depth + 1);
    if (!keyword(u"AND")) return first;
    auto node = std::make_unique<Node>();
    node->kind = Kind::And;
    node->children.push_back(std::move(first));
    while (keyword(u"AND")) {
      next();
      node->children.push_back(parseNot(depth + 1));
    }
    return node;
  }

  std::unique_ptr<Node> parseNot(int depth) {
    enter(depth);
    if (keyword(u"NOT")) {
      next();
      auto node = std::make_unique<Node>();
      node->kind = Kind::Not;
      node->children.push_back(parseNot(depth + 1));
      return node;
    }
    if (tok_.kind == Tok::LParen) {
      next();
      auto inner = parseOr(depth + 1);
      if (tok_.kind != Tok::RParen) fail(u"')' expected");
      next();
      return inner;
    }
    return parseComparison();
  }

  // A LIKE pattern keeps a trailing '*' as it is (allowPartial false).
  Operand parseOperand(bool allowPartial = true) {
    Operand o;
    switch (tok_.kind) {
      case Tok::Str: {
        o.type = Operand::Type::Const;
        String s = tok_.text;
        if (allowPartial && !s.empty() && s.back() == u'*' && !expr_.options_.contains(foNoPartialCompare)) {
          o.partial = true;
          s.pop_back();
        }
        o.value = Variant(s);
        break;
      }
      case Tok::Num: {
        o.type = Operand::Type::Const;
        Int64 i;
        double d;
        if (rtl::TryStrToInt64(tok_.text, i))
          o.value = Variant(static_cast<long long>(i));
        else if (rtl::TryStrToFloat(tok_.text, d, rtl::TFormatSettings::Invariant()))
          o.value = Variant(d);
        else
          fail(u"invalid number");
        break;
      }
      case Tok::Ident:
        if (!tok_.quotedName && rtl::SameText(tok_.text, u"NULL")) {
          o.type = Operand::Type::Null;
        } else if (!tok_.quotedName && rtl::SameText(tok_.text, u"TRUE")) {
          o.type = Operand::Type::Const;
          o.value = Variant(true);
        } else if (!tok_.quotedName && rtl::SameText(tok_.text, u"FALSE")) {
          o.type = Operand::Type::Const;
          o.value = Variant(false);
        } else if (isReserved()) {
          fail(u"operand expected");
        } else {
          o.type = Operand::Type::Field;
          o.slot = slotOf(rtl::Trim(tok_.text));
        }
        break;
      default:
        fail(u"operand expected");
    }
    next();
    return o;
  }

  bool isReserved() const {
    static constexpr StringView kWords[] = {u"AND", u"OR", u"NOT", u"IS", u"LIKE", u"BETWEEN", u"IN"};
    for (StringView w : kWords)
      if (keyword(w)) return true;
    return false;
  }

  // After the left operand and an optional NOT: LIKE, BETWEEN or IN.
  bool parseSetTest(Node& node) {
    if (keyword(u"LIKE")) {
      next();
      node.kind = Kind::Like;
      node.right = parseOperand(false);
      return true;
    }
    if (keyword(u"BETWEEN")) {
      next();
      node.kind = Kind::Between;
      node.right = parseOperand();
      if (!keyword(u"AND")) fail(u"AND expected");
      next();
      node.upper = parseOperand();
      return true;
    }
    if (keyword(u"IN")) {
      next();
      node.kind = Kind::In;
      if (tok_.kind != Tok::LParen) fail(u"'(' expected");
      next();
      if (tok_.kind != Tok::RParen) {
        node.list.push_back(parseOperand());
        while (tok_.kind == Tok::Comma) {
          next();
          node.list.push_back(parseOperand());
        }
      }
      if (tok_.kind != Tok::RParen) fail(u"')' expected");
      next();
      return true;
    }
    return false;
  }

  std::unique_ptr<Node> parseComparison() {
    auto node = std::make_unique<Node>();
    node->left = parseOperand();
    if (keyword(u"NOT")) {
      next();
      node->negate = true;
      if (!parseSetTest(*node)) fail(u"LIKE, BETWEEN or IN expected");
      return node;
    }
    if (parseSetTest(*node)) return node;
    if (keyword(u"IS")) {
      next();
      node->kind = Kind::IsNull;
      if (keyword(u"NOT")) {
        node->negate = true;
        next();
      }
      if (!keyword(u"NULL")) fail(u"NULL expected");
      next();
      return node;
    }
    if (tok_.kind == Tok::Op) {
      node->kind = Kind::Compare;
      node->op = tok_.op;
      next();
      node->right = parseOperand();
      foldNullTest(*node);
      return node;
    }
    node->kind = Kind::Truth;
    return node;
  }

  // "F = NULL" and "F <> NULL" are how criteria write a blank test: they
  // mean IS NULL and IS NOT NULL, not an unknown comparison.
  static void foldNullTest(Node& node) {
    if (node.op != Op::Eq && node.op != Op::Ne) return;
    const bool rightNull = node.right.type == Operand::Type::Null;
    if (!rightNull && node.left.type != Operand::Type::Null) return;
    if (!rightNull) std::swap(node.left, node.right);
    node.kind = Kind::IsNull;
    node.negate = node.op == Op::Ne;
  }

  int slotOf(const String& name) {
    auto& names = expr_.fieldNames_;
    for (size_t i = 0; i < names.size(); ++i)
      if (rtl::AnsiSameText(names[i], name)) return static_cast<int>(i);
    names.push_back(name);
    return static_cast<int>(names.size() - 1);
  }

  StringView text_;
  size_t pos_ = 0;
  Token tok_;
  TFilterExpression& expr_;
};

TFilterExpression::~TFilterExpression() = default;

std::unique_ptr<TFilterExpression> TFilterExpression::Parse(StringView text, TFilterOptions options) {
  if (text.size() > kMaxLength) throw EDatabaseError(u"Filter expression: text too long");
  std::unique_ptr<TFilterExpression> expr(new TFilterExpression());
  expr->options_ = options;
  FilterParser parser(text, *expr);
  expr->root_ = parser.parse();
  return expr;
}

namespace {

using ValueFn = std::function<Variant(int)>;

Variant operandValue(const Operand& o, const ValueFn& value) {
  switch (o.type) {
    case Operand::Type::Field: return value(o.slot);
    case Operand::Type::Const: return o.value;
    default: return rtl::Null();
  }
}

// -1, 0, 1, or 2 when the values cannot be ordered.
int compareTexts(const String& a, const String& b, bool caseInsensitive) {
  int c = caseInsensitive ? rtl::AnsiCompareText(a, b) : rtl::CompareStr(a, b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Year first ("2024-03-04", "2024-03-04 10:30:00", with ".zzz" or without
// seconds): read before the display form, whose order it can never be, so
// the text means one date whatever the settings.
bool readIsoDateTime(const String& s, TDateTime& d) {
  static constexpr StringView kPictures[] = {u"yyyy-mm-dd", u"yyyy-mm-dd hh:nn:ss", u"yyyy-mm-dd hh:nn:ss.zzz",
                                             u"yyyy-mm-dd hh:nn"};
  if (s.size() < 10 || s[4] != u'-') return false;
  for (StringView picture : kPictures)
    if (rtl::TryParseDateTime(s, picture, d)) return true;
  return false;
}

int compareValues(const Variant& l, const Variant& r, bool caseInsensitive,
                  const rtl::TFormatSettings& fs) {
  bool ls = rtl::VarIsStr(l), rs = rtl::VarIsStr(r);
  if (ls && rs) return compareTexts(rtl::VarToStr(l), rtl::VarToStr(r), caseInsensitive);
  auto asNumber = [&](const Variant& text, const Variant& other, Variant& out) {
    String s = rtl::Trim(rtl::VarToStr(text));
    if (rtl::VarType(other) == rtl::varDate) {
      TDateTime d;
      if (readIsoDateTime(s, d) || rtl::TryStrToDateTime(s, d, fs)) {
        out = Variant::FromDateTime(d);
        return true;
      }
      return false;
    }
    if (rtl::VarType(other) == rtl::varBoolean) {
      bool b;
      if (!rtl::TryStrToBool(s, b)) return false;
      out = Variant(b);
      return true;
    }
    double d;
    if (rtl::TryStrToFloat(s, d, fs) || rtl::TryStrToFloat(s, d, rtl::TFormatSettings::Invariant())) {
      out = Variant(d);
      return true;
    }
    return false;
  };
  Variant a = l, b = r;
  if (ls && !asNumber(l, r, a)) return compareTexts(rtl::VarToStr(l), rtl::VarToStr(r, fs), caseInsensitive);
  if (rs && !asNumber(r, l, b)) return compareTexts(rtl::VarToStr(l, fs), rtl::VarToStr(r), caseInsensitive);
  if (rtl::VarType(a) == rtl::varBoolean || rtl::VarType(b) == rtl::varBoolean) {
    int ia = a.AsBoolean() ? 1 : 0, ib = b.AsBoolean() ? 1 : 0;
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
  }
  try {
    switch (rtl::VarCompareValue(a, b)) {
      case rtl::vrEqual: return 0;
      case rtl::vrLessThan: return -1;
      case rtl::vrGreaterThan: return 1;
      default: return 2;
    }
  } catch (const rtl::Exception&) {
    return 2;
  }
}

// SQL's three values: a comparison with NULL is unknown, and so is NOT of it.
enum class Truth { False, True, Unknown };

Truth truthOf(bool b) { return b ? Truth::True : Truth::False; }
Truth notOf(Truth t) { return t == Truth::Unknown ? t : truthOf(t == Truth::False); }

// One comparison of two operands; a partial text constant ('*' at its end)
// turns = and <> into a prefix test.
Truth compareOperands(Op op, const Operand& left, const Operand& right, const ValueFn& value,
                      TFilterOptions options, const rtl::TFormatSettings& fs) {
  Variant l = operandValue(left, value);
  Variant r = operandValue(right, value);
  if (isNullValue(l) || isNullValue(r)) return Truth::Unknown;
  bool ci = options.contains(foCaseInsensitive);
  const Operand* partial = right.partial ? &right : (left.partial ? &left : nullptr);
  if (partial && (op == Op::Eq || op == Op::Ne)) {
    String prefix = rtl::VarToStr(partial->value);
    String s = rtl::VarToStr(partial == &right ? l : r, fs);
    if (ci) {
      prefix = rtl::AnsiUpperCase(prefix);
      s = rtl::AnsiUpperCase(s);
    }
    bool match = s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
    return truthOf(op == Op::Eq ? match : !match);
  }
  int c = compareValues(l, r, ci, fs);
  switch (op) {
    case Op::Eq: return truthOf(c == 0);
    case Op::Ne: return truthOf(c != 0);
    case Op::Lt: return truthOf(c == -1);
    case Op::Gt: return truthOf(c == 1);
    case Op::Le: return truthOf(c == -1 || c == 0);
    case Op::Ge: return truthOf(c == 1 || c == 0);
  }
  return Truth::False;
}

// '%' any run (the empty one too), '_' one character. Backtracks only to
// the latest '%', so the time stays proportional to the product of the
// lengths whatever the pattern.
bool likeMatch(const String& text, const String& pattern) {
  size_t t = 0, p = 0, starP = String::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == u'%') {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && (pattern[p] == u'_' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (starP != String::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'%') ++p;
  return p == pattern.size();
}

Truth evalLike(const TFilterExpression::Node& n, const ValueFn& value, TFilterOptions options,
               const rtl::TFormatSettings& fs) {
  Variant l = operandValue(n.left, value);
  Variant r = operandValue(n.right, value);
  if (isNullValue(l) || isNullValue(r)) return Truth::Unknown;
  String text = rtl::VarToStr(l, fs);
  String pattern = rtl::VarToStr(r, fs);
  if (options.contains(foCaseInsensitive)) {
    text = rtl::AnsiUpperCase(text);
    pattern = rtl::AnsiUpperCase(pattern);
  }
  return truthOf(likeMatch(text, pattern));
}

// BETWEEN is both bounds included; IN is = against each element, OR-ed, so
// both agree with the expanded forms "(F >= a) AND (F <= b)" and
// "(F = a) OR (F = b)".
Truth evalBetween(const TFilterExpression::Node& n, const ValueFn& value, TFilterOptions options,
                  const rtl::TFormatSettings& fs) {
  Truth low = compareOperands(Op::Ge, n.left, n.right, value, options, fs);
  if (low == Truth::False) return low;
  Truth high = compareOperands(Op::Le, n.left, n.upper, value, options, fs);
  if (high == Truth::False) return high;
  return low == Truth::True && high == Truth::True ? Truth::True : Truth::Unknown;
}

Truth evalIn(const TFilterExpression::Node& n, const ValueFn& value, TFilterOptions options,
             const rtl::TFormatSettings& fs) {
  Truth result = Truth::False;
  for (const Operand& e : n.list) {
    Truth t = compareOperands(Op::Eq, n.left, e, value, options, fs);
    if (t == Truth::True) return t;
    if (t == Truth::Unknown) result = t;
  }
  return result;
}

Truth evalNode(const TFilterExpression::Node& n, const ValueFn& value, TFilterOptions options,
               const rtl::TFormatSettings& fs) {
  switch (n.kind) {
    case Kind::Or: {
      Truth result = Truth::False;
      for (const auto& c : n.children) {
        Truth t = evalNode(*c, value, options, fs);
        if (t == Truth::True) return t;
        if (t == Truth::Unknown) result = t;
      }
      return result;
    }
    case Kind::And: {
      Truth result = Truth::True;
      for (const auto& c : n.children) {
        Truth t = evalNode(*c, value, options, fs);
        if (t == Truth::False) return t;
        if (t == Truth::Unknown) result = t;
      }
      return result;
    }
    case Kind::Not:
      return notOf(evalNode(*n.children[0], value, options, fs));
    case Kind::IsNull: {
      bool isNull = isNullValue(operandValue(n.left, value));
      return (n.negate ? !isNull : isNull) ? Truth::True : Truth::False;
    }
    case Kind::Compare:
      return compareOperands(n.op, n.left, n.right, value, options, fs);
    case Kind::Like: {
      Truth t = evalLike(n, value, options, fs);
      return n.negate ? notOf(t) : t;
    }
    case Kind::Between: {
      Truth t = evalBetween(n, value, options, fs);
      return n.negate ? notOf(t) : t;
    }
    case Kind::In: {
      Truth t = evalIn(n, value, options, fs);
      return n.negate ? notOf(t) : t;
    }
    case Kind::Truth: {
      Variant v = operandValue(n.left, value);
      if (isNullValue(v)) return Truth::Unknown;
      try {
        return v.AsBoolean(fs) ? Truth::True : Truth::False;
      } catch (const rtl::Exception&) {
        return Truth::False;
      }
    }
  }
  return Truth::False;
}

}  // namespace

bool TFilterExpression::Evaluate(const std::function<Variant(int)>& value,
                                 const rtl::TFormatSettings& fs) const {
  return root_ ? evalNode(*root_, value, options_, fs) == Truth::True : true;
}

}  // namespace db

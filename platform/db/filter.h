#pragma once
// The language of a dataset's Filter text:
//   expr    := term { OR term }          term := factor { AND factor }
//   factor  := NOT factor | '(' expr ')' | operand [ test ]
//   test    := op operand | IS [NOT] NULL | [NOT] LIKE operand
//            | [NOT] BETWEEN operand AND operand | [NOT] IN '(' [ operand { ',' operand } ] ')'
//   op      := = | <> | != | < | > | <= | >=
//   operand := field name | [field name] | "field name" | 'text' | number | NULL | TRUE | FALSE
// Keywords ignore case. Inside brackets a "]" is written twice, inside
// double quotes a '"' twice, inside single quotes a "'" twice. A text
// compared with = (or <>, or IN) that ends in '*' matches values starting
// with the rest, unless foNoPartialCompare is set; foCaseInsensitive compares
// texts (LIKE too) ignoring case. LIKE's '%' stands for any run of
// characters (the empty one too), '_' for exactly one. A text compared with
// a date reads year first ('2024-03-04', '2024-03-04 10:30:00', '... .250')
// whatever the settings; any other text by the settings' date order.
//
// NULL: "= NULL" and "<> NULL" test for a null value (as IS NULL and IS NOT
// NULL do), since that is how filter criteria write their blank tests.
// Every other comparison with a null value is unknown, as in SQL: NOT keeps
// it unknown and only a true expression passes, so a record whose field is
// null passes neither "F = 1" nor "F <> 1", neither LIKE nor NOT LIKE.
// Text is untrusted: every fault is an EDatabaseError, and nesting depth and
// length are bounded.
#include <functional>
#include <memory>
#include <vector>

#include "platform/db/dbtypes.h"
#include "platform/rtl/formatsettings.h"

namespace db {

class TFilterExpression {
 public:
  // Raises EDatabaseError on a syntax error, naming the position.
  static std::unique_ptr<TFilterExpression> Parse(StringView text, TFilterOptions options = {});
  ~TFilterExpression();

  // The distinct field names the expression reads, in first-use order; the
  // reader passed to Evaluate is asked for them by index into this list.
  const std::vector<String>& FieldNames() const { return fieldNames_; }
  TFilterOptions Options() const { return options_; }

  // `value(i)` gives the record's value of FieldNames()[i]; texts compared
  // with dates and numbers convert through `fs`.
  bool Evaluate(const std::function<Variant(int)>& value, const rtl::TFormatSettings& fs) const;

  struct Node;

 private:
  TFilterExpression() = default;
  std::vector<String> fieldNames_;
  TFilterOptions options_;
  std::unique_ptr<Node> root_;
  friend class FilterParser;
};

}  // namespace db

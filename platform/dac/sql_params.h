#pragma once
// The `:name` parameter scanner shared by the query and both drivers. It
// skips what can hold a colon without naming a parameter: quoted texts and
// identifiers, `--` and `/* */` comments, the `::` cast and `$tag$` bodies.
#include <cstddef>
#include <vector>

#include "platform/rtl/types.h"

namespace dac {

using rtl::String;
using rtl::StringView;

struct SqlParamRef {
  std::size_t Offset = 0;  // of the ':' in the text, in UTF-16 units
  std::size_t Length = 0;  // ':' and the name
  int Index = 0;           // into ParsedSql::Names
};

struct ParsedSql {
  // Each name once, in order of first use, spelled as first written; a name
  // used again (in any letter case) is the same parameter.
  std::vector<String> Names;
  std::vector<SqlParamRef> Refs;  // every use, in text order
};

ParsedSql ParseSqlParams(StringView sql);

enum class PlaceholderStyle {
  QuestionNumber,  // ?1, ?2 ... (SQLite)
  DollarNumber,    // $1, $2 ... (PostgreSQL)
};

// The text with every use replaced by the placeholder of its parameter's
// position (1-based), so a name used twice is bound once.
String RewriteSqlParams(StringView sql, const ParsedSql& parsed, PlaceholderStyle style);

}  // namespace dac

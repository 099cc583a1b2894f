// The `:name` parameter scanner over arbitrary statement text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/dac/sql_params.h"
#include "platform/rtl/ustring.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::String sql =
      rtl::Utf8ToString(std::string_view(reinterpret_cast<const char*>(data), size));
  dac::ParsedSql parsed = dac::ParseSqlParams(sql);
  std::size_t end = 0;
  for (const dac::SqlParamRef& ref : parsed.Refs) {
    // Uses are in order, inside the text, and never overlap.
    if (ref.Offset < end || ref.Offset + ref.Length > sql.size() || ref.Length < 2) std::abort();
    if (sql[ref.Offset] != u':') std::abort();
    if (ref.Index < 0 || static_cast<std::size_t>(ref.Index) >= parsed.Names.size()) std::abort();
    end = ref.Offset + ref.Length;
  }
  rtl::String rewritten =
      dac::RewriteSqlParams(sql, parsed, dac::PlaceholderStyle::DollarNumber);
  // Rewriting what has no parameters changes nothing.
  if (parsed.Refs.empty() && rewritten != sql) std::abort();
  return 0;
}

#include <gtest/gtest.h>

#include "platform/dac/sql_params.h"
#include "platform/rtl/ustring.h"

namespace {

struct ScanCase {
  const char* sql;
  std::vector<std::string> names;  // in order of first use
  int uses;
  const char* rewritten;           // with $n placeholders
};

std::vector<std::string> utf8(const std::vector<rtl::String>& names) {
  std::vector<std::string> out;
  for (const auto& n : names) out.push_back(rtl::StringToUtf8(n));
  return out;
}

TEST(SqlParams, ScannerFindsOnlyRealParameters) {
  const ScanCase cases[] = {
      {"select * from t where a = :a and b = :b", {"a", "b"}, 2,
       "select * from t where a = $1 and b = $2"},
      {"update t set x = :v where y = :id and z <> :V", {"v", "id"}, 3,
       "update t set x = $1 where y = $2 and z <> $1"},
      {"select ':no' from t where a = :yes", {"yes"}, 1, "select ':no' from t where a = $1"},
      {"select 'it''s :no' , :p", {"p"}, 1, "select 'it''s :no' , $1"},
      {"select \"col:no\" from t", {}, 0, "select \"col:no\" from t"},
      {"select 1 -- :no\n, :p", {"p"}, 1, "select 1 -- :no\n, $1"},
      {"select /* :no */ :p", {"p"}, 1, "select /* :no */ $1"},
      {"select x::integer, :p::text", {"p"}, 1, "select x::integer, $1::text"},
      {"do $$ begin perform :no; end $$; select :p", {"p"}, 1,
       "do $$ begin perform :no; end $$; select $1"},
      {"select $tag$ :no $tag$, :p", {"p"}, 1, "select $tag$ :no $tag$, $1"},
      {"select E'\\' :no', :p", {"p"}, 1, "select E'\\' :no', $1"},
      {"BEGIN x := 1; END; :EMPRESA", {"EMPRESA"}, 1, "BEGIN x := 1; END; $1"},
      {"select 10:30", {}, 0, "select 10:30"},
      {"select 'unterminated :no", {}, 0, "select 'unterminated :no"},
      {"select /* unterminated :no", {}, 0, "select /* unterminated :no"},
      {"select :a_1, :b$2 from t", {"a_1", "b$2"}, 2, "select $1, $2 from t"},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.sql);
    rtl::String sql = rtl::Utf8ToString(c.sql);
    dac::ParsedSql parsed = dac::ParseSqlParams(sql);
    EXPECT_EQ(utf8(parsed.Names), c.names);
    EXPECT_EQ(static_cast<int>(parsed.Refs.size()), c.uses);
    EXPECT_EQ(rtl::StringToUtf8(
                  dac::RewriteSqlParams(sql, parsed, dac::PlaceholderStyle::DollarNumber)),
              c.rewritten);
  }
}

TEST(SqlParams, SQLitePlaceholdersNumberTheSameWay) {
  rtl::String sql = u"select :x, :y, :X";
  dac::ParsedSql parsed = dac::ParseSqlParams(sql);
  EXPECT_EQ(rtl::StringToUtf8(dac::RewriteSqlParams(sql, parsed,
                                                    dac::PlaceholderStyle::QuestionNumber)),
            "select ?1, ?2, ?1");
}

}  // namespace

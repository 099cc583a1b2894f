// A statement the server keeps prepared, sent in the same RunPipelined call
// as a statement that makes the kept ones be forgotten (a table created),
// still runs by the name it was sent with.
#include <gtest/gtest.h>

#include "platform/db/db.h"
#include "tests/dac/driver_fixture.h"

namespace {

using dac_test::DriverTest;

class PipelinedDdlTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    if (IsSkipped()) return;
    dac::TConnection& conn = Connect();
    CreateTable(conn, u"linha", u"id INTEGER PRIMARY KEY, v VARCHAR(10)");
    conn.ExecSQL(u"insert into linha values (1, 'a'), (2, 'b')");
    conn.ExecSQL(u"DROP TABLE IF EXISTS linha_nova");
  }
};

TEST_P(PipelinedDdlTest, KeptStatementBeforeADdlInTheSameCallRunsAndSoDoesTheOneAfter) {
  dac::TConnection& conn = Connect();
  const std::string byId = std::string("select v from linha where id = ") + (pg() ? "$1" : "?1");
  // Twice on its own: the server then keeps the text prepared.
  for (int round = 0; round < 2; ++round)
    ASSERT_FALSE(conn.RunPipelined({{byId, {dac::BindValue::Integer(1)}}})[0].Error);
  // A text seen once runs unprepared; the kept one must not be confused with it.
  const std::string idOf = std::string("select id from linha where id = ") + (pg() ? "$1" : "?1");
  ASSERT_FALSE(conn.RunPipelined({{idOf, {dac::BindValue::Integer(1)}}})[0].Error);
  std::vector<dac::PipelinedResult> r = conn.RunPipelined({
      {byId, {dac::BindValue::Integer(2)}},
      {"create table linha_nova (id integer)", {}},
      {byId, {dac::BindValue::Integer(1)}},
  });
  ASSERT_EQ(r.size(), 3u);
  for (const dac::PipelinedResult& one : r) ASSERT_FALSE(one.Error);
  ASSERT_EQ(r[0].Rows.Rows.size(), 1u);
  EXPECT_EQ(rtl::VarToStr(r[0].Rows.Rows[0][0]), u"b");
  ASSERT_EQ(r[2].Rows.Rows.size(), 1u);
  EXPECT_EQ(rtl::VarToStr(r[2].Rows.Rows[0][0]), u"a");
  // The text is kept again afterwards and keeps answering.
  for (int round = 0; round < 3; ++round) {
    std::vector<dac::PipelinedResult> again =
        conn.RunPipelined({{byId, {dac::BindValue::Integer(2)}}});
    ASSERT_FALSE(again[0].Error);
    ASSERT_EQ(again[0].Rows.Rows.size(), 1u);
    EXPECT_EQ(rtl::VarToStr(again[0].Rows.Rows[0][0]), u"b");
  }
}

INSTANTIATE_FOR_DRIVERS(PipelinedDdlTest);

}  // namespace

// Statements that share round trips on the server (RunPipelined, BEGIN sent
// with the batch after it, COMMIT sent with the last batch) must end
// exactly as the same statements run one by one.
#include <gtest/gtest.h>

#include "platform/db/db.h"
#include "tests/dac/driver_fixture.h"

namespace {

using dac_test::DriverTest;
using rtl::String;

class PipelinedTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    if (IsSkipped()) return;
    dac::TConnection& conn = Connect();
    CreateTable(conn, u"linha", u"id INTEGER PRIMARY KEY, v VARCHAR(10)");
    conn.ExecSQL(u"insert into linha values (1, 'a'), (2, 'b')");
  }

  // Texts in the driver's placeholder form.
  std::string p1() const { return pg() ? "$1" : "?1"; }
  std::string p2() const { return pg() ? "$2" : "?2"; }

  std::vector<std::string> Ids(dac::TConnection& conn) {
    auto q = Query(conn, u"select id from linha order by id");
    q->Open();
    std::vector<std::string> out;
    for (; !q->Eof(); q->Next()) out.push_back(rtl::StringToUtf8(q->FieldByName(u"id")->AsString()));
    return out;
  }

  dac::BatchStatement Insert(const std::string& sql, int id) {
    return {sql, {dac::BindValue::Integer(id), dac::BindValue::Text(u"x")}};
  }
};

TEST_P(PipelinedTest, EachResultComesBackInItsPlaceAndARefusedOneStopsNoOther) {
  dac::TConnection& conn = Connect();
  const std::string byId = "select v from linha where id = " + p1();
  const std::string missing = "select v from nao_existe where id = " + p1();
  // Twice: the second round runs the texts the server then keeps prepared.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    std::vector<dac::PipelinedResult> r = conn.RunPipelined({
        {byId, {dac::BindValue::Integer(1)}},
        {missing, {dac::BindValue::Integer(1)}},
        {byId, {dac::BindValue::Integer(2)}},
        {byId, {dac::BindValue::Integer(9)}},
    });
    ASSERT_EQ(r.size(), 4u);
    ASSERT_FALSE(r[0].Error);
    ASSERT_EQ(r[0].Rows.Rows.size(), 1u);
    EXPECT_EQ(rtl::VarToStr(r[0].Rows.Rows[0][0]), u"a");
    ASSERT_TRUE(r[1].Error);
    try {
      std::rethrow_exception(r[1].Error);
    } catch (const db::EDatabaseError& e) {
      EXPECT_NE(e.Message().find(u"nao_existe"), String::npos) << rtl::StringToUtf8(e.Message());
    }
    ASSERT_FALSE(r[2].Error);
    ASSERT_EQ(r[2].Rows.Rows.size(), 1u);
    EXPECT_EQ(rtl::VarToStr(r[2].Rows.Rows[0][0]), u"b");
    ASSERT_FALSE(r[3].Error);
    EXPECT_TRUE(r[3].Rows.Rows.empty());
    EXPECT_FALSE(conn.InTransaction());
  }
}

TEST_P(PipelinedTest, ADeferredBeginHoldsWhateverRunsInTheTransaction) {
  dac::TConnection& conn = Connect();
  const std::string insert = "insert into linha values (" + p1() + ", " + p2() + ")";
  // With the batch: a refused row leaves the transaction usable, and a
  // rollback undoes the rows before it.
  conn.StartTransactionWithNextBatch();
  EXPECT_TRUE(conn.InTransaction());
  dac::BatchOutcome done =
      conn.ExecuteIsolated({Insert(insert, 3), Insert(insert, 1), Insert(insert, 4)}, "sp_row");
  EXPECT_EQ(done.Done, 1u);
  EXPECT_TRUE(done.Refused);
  conn.ExecSQL(u"insert into linha values (30, 'p')");
  conn.Rollback();
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Ids(conn), (std::vector<std::string>{"1", "2"}));

  // Anything else run first sends the BEGIN before it; an empty batch keeps
  // it waiting; a nested start is a savepoint inside it.
  conn.StartTransactionWithNextBatch();
  EXPECT_EQ(conn.ExecuteIsolated({}, "sp_row").Done, 0u);
  conn.ExecSQL(u"insert into linha values (5, 'p')");
  conn.StartTransaction();
  conn.ExecSQL(u"insert into linha values (6, 'p')");
  conn.Rollback();
  EXPECT_EQ(conn.TransactionLevel(), 1);
  EXPECT_EQ(Ids(Connect()), (std::vector<std::string>{"1", "2"}));  // not committed yet
  conn.Rollback();
  EXPECT_EQ(Ids(conn), (std::vector<std::string>{"1", "2"}));

  // Nothing run: commit and rollback send nothing and end it all the same.
  conn.StartTransactionWithNextBatch();
  conn.Commit();
  EXPECT_FALSE(conn.InTransaction());
  conn.StartTransactionWithNextBatch();
  conn.Rollback();
  EXPECT_FALSE(conn.InTransaction());

  // BEGIN, the batch and COMMIT together.
  conn.StartTransactionWithNextBatch();
  conn.CommitWithNextBatch();
  done = conn.ExecuteIsolated({Insert(insert, 7), Insert(insert, 8)}, "sp_row");
  EXPECT_EQ(done.Done, 2u);
  conn.Commit();
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Ids(Connect()), (std::vector<std::string>{"1", "2", "7", "8"}));

  conn.StartTransaction();
  EXPECT_THROW(conn.StartTransactionWithNextBatch(), db::EDatabaseError);
  conn.Rollback();
}

TEST_P(PipelinedTest, CommitWithNextBatchCommitsOnlyAWholeBatch) {
  dac::TConnection& conn = Connect();
  const std::string insert = "insert into linha values (" + p1() + ", " + p2() + ")";
  // A batch written whole: the rows and the one before it are committed.
  conn.StartTransaction();
  conn.ExecSQL(u"insert into linha values (10, 'p')");
  conn.CommitWithNextBatch();
  dac::BatchOutcome done = conn.ExecuteIsolated({Insert(insert, 11), Insert(insert, 12)}, "sp_row");
  EXPECT_EQ(done.Done, 2u);
  EXPECT_FALSE(done.Refused);
  EXPECT_TRUE(conn.InTransaction());
  conn.Commit();
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Ids(Connect()), (std::vector<std::string>{"1", "2", "10", "11", "12"}));

  // A refused row: nothing is committed and the transaction goes on.
  conn.StartTransaction();
  conn.ExecSQL(u"insert into linha values (20, 'p')");
  conn.CommitWithNextBatch();
  done = conn.ExecuteIsolated({Insert(insert, 1)}, "sp_row");
  EXPECT_EQ(done.Done, 0u);
  EXPECT_TRUE(done.Refused);
  EXPECT_EQ(Ids(Connect()), (std::vector<std::string>{"1", "2", "10", "11", "12"}));
  conn.ExecSQL(u"insert into linha values (21, 'p')");
  conn.Rollback();
  EXPECT_EQ(Ids(conn), (std::vector<std::string>{"1", "2", "10", "11", "12"}));
}

// BEGIN, one row and COMMIT sent together, as each staged record is: a
// refused row leaves an open transaction that goes on and commits what runs
// after it, and a row that passes is committed with its batch.
TEST_P(PipelinedTest, ALoneRowWithItsBeginAndCommitKeepsTheTransactionUsableWhenRefused) {
  dac::TConnection& conn = Connect();
  const std::string insert = "insert into linha values (" + p1() + ", " + p2() + ")";
  for (int round = 0; round < 2; ++round) {  // the second runs the kept statement
    SCOPED_TRACE(round);
    const int id = 40 + 10 * round;
    conn.StartTransactionWithNextBatch();
    conn.CommitWithNextBatch();
    dac::BatchOutcome done = conn.ExecuteIsolated({Insert(insert, 1)}, "sp_row");
    EXPECT_EQ(done.Done, 0u);
    EXPECT_TRUE(done.Refused);
    ASSERT_TRUE(conn.InTransaction());
    conn.ExecSQL(u"insert into linha values (" + rtl::IntToStr(id) + u", 'p')");
    // A row sent again in the same transaction, as an update-error handler
    // may ask, finds it usable.
    done = conn.ExecuteIsolated({Insert(insert, id + 1)}, "sp_row");
    EXPECT_EQ(done.Done, 1u);
    EXPECT_FALSE(done.Refused);
    conn.Commit();
    EXPECT_FALSE(conn.InTransaction());

    conn.StartTransactionWithNextBatch();
    conn.CommitWithNextBatch();
    done = conn.ExecuteIsolated({Insert(insert, id + 2)}, "sp_row");
    EXPECT_EQ(done.Done, 1u);
    EXPECT_FALSE(done.Refused);
    conn.Commit();
    EXPECT_FALSE(conn.InTransaction());
  }
  EXPECT_EQ(Ids(Connect()), (std::vector<std::string>{"1", "2", "40", "41", "42", "50", "51", "52"}));
}

// A deferred check fails COMMIT: only the server's engine has them.
class PipelinedServerTest : public PipelinedTest {};

TEST_P(PipelinedServerTest, ACommitRefusedWithItsBatchIsReportedByCommit) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"unico",
              u"id INTEGER, CONSTRAINT unico_id UNIQUE (id) DEFERRABLE INITIALLY DEFERRED");
  const std::string insert = "insert into unico values (" + p1() + ")";
  conn.StartTransaction();
  conn.CommitWithNextBatch();
  dac::BatchOutcome done = conn.ExecuteIsolated(
      {{insert, {dac::BindValue::Integer(1)}}, {insert, {dac::BindValue::Integer(1)}}}, "sp_row");
  EXPECT_EQ(done.Done, 2u);  // the check waits for COMMIT
  try {
    conn.Commit();
    FAIL() << "COMMIT passed";
  } catch (const db::EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"unico_id"), String::npos) << rtl::StringToUtf8(e.Message());
  }
  EXPECT_FALSE(conn.InTransaction());
  auto q = Query(conn, u"select count(*) as n from unico");
  q->Open();
  EXPECT_EQ(q->FieldByName(u"n")->AsInteger(), 0);
}

// A statement the server keeps prepared, sent in the same RunPipelined call
// as a statement that makes the kept ones be forgotten (a table created),
// still runs by the name it was sent with.
TEST_P(PipelinedTest, KeptStatementBeforeADdlInTheSameCallRunsAndSoDoesTheOneAfter) {
  dac::TConnection& conn = Connect();
  conn.ExecSQL(u"DROP TABLE IF EXISTS linha_nova");
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

INSTANTIATE_FOR_DRIVERS(PipelinedTest);
INSTANTIATE_TEST_SUITE_P(Drivers, PipelinedServerTest, testing::Values(dac::DriverKind::PostgreSQL),
                         ::dac_test::DriverLabel);

}  // namespace

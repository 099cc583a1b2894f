// Embedded transactions begun with their first statement: a first write
// locks only the file it writes, and a transaction in which nothing ran ends
// without a word to the engine.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/db/db.h"
#include "tests/dac/driver_fixture.h"

namespace {

class SQLiteTransaction : public testing::Test {
 protected:
  std::unique_ptr<dac::TConnection> Open() {
    auto conn = std::make_unique<dac::TConnection>(nullptr);
    dac_test::Configure(*conn, dac::DriverKind::SQLite, dir_.path());
    conn->Open();
    return conn;
  }
  static rtl::Int64 Count(dac::TConnection& conn, const char* table) {
    return conn.Execute(std::string_view(std::string("select count(*) from ") + table), {})
        .Rows.at(0)
        .at(0)
        .AsInt64();
  }

  testing_support::TempDir dir_;
};

// The worker's staging locks its own file; another connection may meanwhile
// write a file that transaction does not write, without waiting for it.
TEST_F(SQLiteTransaction, FirstWriteLeavesOtherFilesToOtherWriters) {
  auto staging = Open();
  auto other = Open();
  staging->ExecSQL(u"create table vorna_mat.contador (nome text primary key, valor integer)");
  staging->ExecSQL(u"insert into vorna_mat.contador values ('lote', 0)");
  staging->ExecSQL(u"create table vorna_fis.placa (numero text primary key)");

  staging->StartTransaction();
  staging->ExecSQL(u"update vorna_mat.contador set valor = valor + 1 where nome = 'lote'");
  other->StartTransaction();
  other->ExecSQL(u"insert into vorna_fis.placa values ('ABC1D23')");
  other->Commit();
  staging->Commit();

  EXPECT_EQ(Count(*other, "vorna_fis.placa"), 1);
  EXPECT_EQ(other->Execute(std::string_view("select valor from vorna_mat.contador"), {})
                .Rows.at(0)
                .at(0)
                .AsInt64(),
            1);
}

// Transactions that end before or at a statement that did not run, then a
// write in a new transaction: the connection is usable and keeps only what
// was committed.
struct PendingCase {
  const char* name;
  std::function<void(dac::TConnection&)> run;
};

class SQLitePendingTransaction : public SQLiteTransaction,
                                 public testing::WithParamInterface<PendingCase> {};

TEST_P(SQLitePendingTransaction, EndsCleanlyAndLeavesTheConnectionUsable) {
  auto conn = Open();
  conn->ExecSQL(u"create table vorna_mat.lote (id integer primary key)");
  GetParam().run(*conn);
  EXPECT_FALSE(conn->InTransaction());
  conn->StartTransaction();
  conn->ExecSQL(u"insert into vorna_mat.lote values (2)");
  conn->Commit();
  auto reader = Open();
  EXPECT_EQ(Count(*reader, "vorna_mat.lote"), 1);
}

const PendingCase kPendingCases[] = {
    {"CommitWithNothingRun", [](dac::TConnection& c) {
       c.StartTransaction();
       c.Commit();
     }},
    {"RollbackWithNothingRun", [](dac::TConnection& c) {
       c.StartTransaction();
       c.Rollback();
     }},
    {"RefusedFirstStatement", [](dac::TConnection& c) {
       c.StartTransaction();
       EXPECT_THROW(c.ExecSQL(u"insert into vorna_mat.sem_tabela values (1)"), db::EDatabaseError);
       c.Rollback();
     }},
    {"RolledBackFirstWrite", [](dac::TConnection& c) {
       c.StartTransaction();
       c.ExecSQL(u"insert into vorna_mat.lote values (1)");
       c.Rollback();
     }},
    {"SavepointFirst", [](dac::TConnection& c) {
       c.StartTransaction();
       c.StartTransaction();
       c.ExecSQL(u"insert into vorna_mat.lote values (1)");
       c.Rollback();
       c.Commit();
     }},
    {"ClosedWithNothingRun", [](dac::TConnection& c) {
       c.StartTransaction();
       c.Close();
       c.Open();
     }},
};

INSTANTIATE_TEST_SUITE_P(SQLiteTransaction, SQLitePendingTransaction, testing::ValuesIn(kPendingCases),
                         [](const testing::TestParamInfo<PendingCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

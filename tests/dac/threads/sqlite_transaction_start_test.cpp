// Two writers at once on one embedded folder, each transaction begun as the
// worker begins its own. Whatever a transaction's first statement is, the
// second writer waits for the first: none may answer "database is locked",
// lose a row or take a key twice.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/db/db.h"
#include "tests/dac/driver_fixture.h"

namespace {

using rtl::String;

struct TransactionShape {
  const char* name;
  // Reads the file it then writes before writing it: the order that cannot
  // wait for another writer once the transaction holds only a read lock.
  bool readFirst;
};

class TwoSQLiteWriters : public testing::TestWithParam<TransactionShape> {};

TEST_P(TwoSQLiteWriters, EveryTransactionWaitsItsTurnAndKeepsItsRow) {
  testing_support::TempDir dir;
  auto open = [&] {
    auto conn = std::make_unique<dac::TConnection>(nullptr);
    dac_test::Configure(*conn, dac::DriverKind::SQLite, dir.path());
    conn->Open();
    return conn;
  };
  auto setup = open();
  setup->ExecSQL(u"create table vorna_mat.contador (nome text primary key, valor integer not null)");
  setup->ExecSQL(u"insert into vorna_mat.contador values ('lote', 0)");
  setup->ExecSQL(u"create table vorna_mat.lote (id integer primary key, quem integer not null)");
  setup->ExecSQL(u"create table vorna_fis.placa (numero text primary key)");
  setup->ExecSQL(u"insert into vorna_fis.placa values ('ABC1D23')");
  std::unique_ptr<dac::TConnection> writers[2] = {open(), open()};

  constexpr int kRounds = 40;
  const bool readFirst = GetParam().readFirst;
  std::barrier sync(2);
  std::string errors[2];
  auto run = [&](int who) {
    dac::TConnection& conn = *writers[who];
    try {
      for (int round = 0; round < kRounds; ++round) {
        sync.arrive_and_wait();
        conn.StartTransaction();
        if (readFirst) conn.Execute(std::string_view("select max(id) from vorna_mat.lote"), {});
        // Both transactions are under way before either writes.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        dac::ResultSet key = conn.Execute(
            std::string_view("update vorna_mat.contador set valor = valor + 1 where nome = 'lote' "
                             "returning valor"),
            {});
        conn.Execute(std::string_view("select numero from vorna_fis.placa"), {});
        conn.Execute(std::string_view("insert into vorna_mat.lote (id, quem) values (?1, ?2)"),
                     {dac::BindValue::Integer(key.Rows.at(0).at(0).AsInt64()),
                      dac::BindValue::Integer(who)});
        conn.Commit();
      }
    } catch (const std::exception& e) {
      errors[who] = e.what();
      sync.arrive_and_drop();
    }
  };
  std::thread first(run, 0), second(run, 1);
  first.join();
  second.join();
  EXPECT_EQ(errors[0], "");
  EXPECT_EQ(errors[1], "");
  dac::ResultSet rows = setup->Execute(
      std::string_view("select count(*), count(distinct id), max(id), sum(quem) from vorna_mat.lote"), {});
  ASSERT_EQ(rows.Rows.size(), 1u);
  EXPECT_EQ(rows.Rows[0][0].AsInt64(), 2 * kRounds);
  EXPECT_EQ(rows.Rows[0][1].AsInt64(), 2 * kRounds);
  EXPECT_EQ(rows.Rows[0][2].AsInt64(), 2 * kRounds);
  EXPECT_EQ(rows.Rows[0][3].AsInt64(), kRounds);
}

// A transaction that reads first holds every file from its start, so that
// its later writes never find a file taken: another connection's write to
// any file waits for its end.
TEST(SQLiteTransactionStart, ReadFirstTransactionHoldsEveryFileUntilItEnds) {
  testing_support::TempDir dir;
  auto open = [&] {
    auto conn = std::make_unique<dac::TConnection>(nullptr);
    dac_test::Configure(*conn, dac::DriverKind::SQLite, dir.path());
    conn->Open();
    return conn;
  };
  auto reader = open();
  auto other = open();
  reader->ExecSQL(u"create table vorna_fis.placa (numero text primary key)");
  reader->StartTransaction();
  reader->Execute(std::string_view("select count(*) from vorna_mat.quelora"), {});
  std::atomic<bool> written{false};
  std::string error;
  std::thread writer([&] {
    try {
      other->ExecSQL(u"insert into vorna_fis.placa values ('ABC1D23')");
      written = true;
    } catch (const std::exception& e) {
      error = e.what();
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(written.load()) << "the other write did not wait for the transaction";
  reader->Commit();
  writer.join();
  EXPECT_EQ(error, "");
  EXPECT_TRUE(written.load());
}

const TransactionShape kShapes[] = {
    {"WriteFirst", false},
    {"ReadFirst", true},
};

INSTANTIATE_TEST_SUITE_P(SQLiteTransactionStart, TwoSQLiteWriters, testing::ValuesIn(kShapes),
                         [](const testing::TestParamInfo<TransactionShape>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

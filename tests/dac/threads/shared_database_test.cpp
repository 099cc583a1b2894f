// Connections used from several threads at once, as the login, the main
// window and the worker use theirs.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <thread>

#include "platform/db/db.h"
#include "tests/dac/driver_fixture.h"

namespace {

using rtl::String;

// Three connections on one embedded folder: the worker writes in
// transactions while the main window reads and writes the flag and the login
// connection reads. None may see "database is locked".
TEST(SharedSQLiteFolder, WriterAndReadersDoNotLockEachOther) {
  testing_support::TempDir dir;
  auto open = [&] {
    auto conn = std::make_unique<dac::TConnection>(nullptr);
    dac_test::Configure(*conn, dac::DriverKind::SQLite, dir.path());
    conn->Open();
    return conn;
  };
  auto login = open();
  auto main = open();
  // The worker's connection is opened here and then belongs to the worker.
  auto worker = open();
  main->ExecSQL(u"create table vorna_mat.registros (id integer primary key, lote integer)");
  main->ExecSQL(u"create table vorna_mat.semaforo (id integer primary key, flag integer)");
  main->ExecSQL(u"insert into vorna_mat.semaforo values (1, 0)");

  constexpr int kBatches = 60, kRows = 5;
  std::atomic<bool> done{false};
  std::string workerError;
  std::thread writer([&] {
    try {
      dac::TQuery insert(nullptr);
      insert.SetConnection(worker.get());
      insert.SQL().SetText(u"insert into vorna_mat.registros (lote) values (:lote)");
      for (int b = 0; b < kBatches; ++b) {
        worker->StartTransaction();
        for (int r = 0; r < kRows; ++r) {
          insert.ParamByName(u"lote")->SetAsInteger(b);
          insert.ExecSQL();
        }
        worker->Commit();
      }
    } catch (const std::exception& e) {
      workerError = e.what();
    }
    done = true;
  });
  std::string mainError;
  int reads = 0;
  try {
    while (!done || reads < 5) {
      dac::TQuery grid(nullptr);
      grid.SetConnection(main.get());
      grid.SQL().SetText(u"select * from vorna_mat.registros order by id desc");
      grid.Open();
      main->ExecSQL(u"update vorna_mat.semaforo set flag = :f where id = 1", {reads % 2});
      dac::TQuery check(nullptr);
      check.SetConnection(login.get());
      check.SQL().SetText(u"select count(*) as n from vorna_mat.registros");
      check.Open();
      EXPECT_LE(check.FieldByName(u"n")->AsInteger(), kBatches * kRows);
      ++reads;
    }
  } catch (const std::exception& e) {
    mainError = e.what();
  }
  writer.join();
  EXPECT_EQ(workerError, "");
  EXPECT_EQ(mainError, "");
  dac::TQuery total(nullptr);
  total.SetConnection(login.get());
  total.SQL().SetText(u"select count(*) as n from vorna_mat.registros");
  total.Open();
  EXPECT_EQ(total.FieldByName(u"n")->AsInteger(), kBatches * kRows);
}

// Two runs try to take the busy flag at the same moment with the guarded
// UPDATE; exactly one of them gets the row.
class GuardedFlag : public dac_test::DriverTest {};

TEST_P(GuardedFlag, TwoConnectionsRacingLeaveOneWinner) {
  dac::TConnection& setup = Connect();
  CreateTable(setup, u"recurso", u"id integer primary key, carga_inicial integer not null default 0");
  setup.ExecSQL(u"insert into recurso (id) values (1)");
  dac::TConnection& a = Connect();
  dac::TConnection& b = Connect();
  constexpr int kRounds = 40;
  std::barrier sync(2);
  std::atomic<int> winners[kRounds] = {};
  std::string errors[2];
  auto run = [&](dac::TConnection* conn, int index) {
    try {
      dac::TQuery take(nullptr);
      take.SetConnection(conn);
      take.SQL().SetText(
          u"update recurso set carga_inicial = :v where id = :id and carga_inicial <> :v");
      take.ParamByName(u"v")->SetAsInteger(1);
      take.ParamByName(u"id")->SetAsInteger(1);
      for (int round = 0; round < kRounds; ++round) {
        sync.arrive_and_wait();
        take.ExecSQL();
        winners[round] += static_cast<int>(take.RowsAffected());
        sync.arrive_and_wait();
        if (index == 0) conn->ExecSQL(u"update recurso set carga_inicial = 0 where id = 1");
        sync.arrive_and_wait();
      }
    } catch (const std::exception& e) {
      errors[index] = e.what();
      sync.arrive_and_drop();
    }
  };
  std::thread t1(run, &a, 0), t2(run, &b, 1);
  t1.join();
  t2.join();
  EXPECT_EQ(errors[0], "");
  EXPECT_EQ(errors[1], "");
  for (int round = 0; round < kRounds; ++round) EXPECT_EQ(winners[round].load(), 1) << round;
}

INSTANTIATE_FOR_DRIVERS(GuardedFlag);

}  // namespace

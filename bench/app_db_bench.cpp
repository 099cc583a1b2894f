// Opening the grid's query (qryQuelora) over 50,000 staged rows with a 7-day
// window, through the integrator's data module layer and with the bare driver
// API (sqlite3 / libpq) running the same text with the same values and
// reading every value, in the same run, in wall time (the server's work
// counts). Each layer benchmark reports its time as a multiple of the bare
// one ("x_bare"), and the report ends with bare/layer of the medians (with
// --benchmark_repetitions=N --benchmark_enable_random_interleaving=true).
// Figures on PostgreSQL come from a durable server (bench/pg_server.h). PostgreSQL runs when
// PG_TEST_ENV names the suite's test server (scripts/pg-test-server start
// <build>) or PGHOST names a server holding the vorna_template database.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "app/run/sql_dialect.h"
#include "platform/dac/dac.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/ustring.h"
#include "bench/pg_server.h"
#include "bench/ratio_report.h"

namespace {

constexpr int kStaged = 50000;
constexpr int kDays = 50;  // 1,000 rows a day; the window holds about 7,000
const char* kFrom = "2025-02-01";
const char* kTo = "2025-02-07";

double bareSeconds[2] = {0, 0};  // per iteration, [sqlite, postgres]

using Clock = std::chrono::steady_clock;

// --- databases ----------------------------------------------------------------

std::string sqliteFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "app-db-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return folder;
}


const std::string& pgDatabase() {
  static const std::string name = "vorna_app_bench_" + std::to_string(getpid());
  return name;
}

PGconn* pgConnect(const std::string& db) {
  const char* keys[] = {"dbname", nullptr};
  const char* values[] = {db.c_str(), nullptr};
  PGconn* c = PQconnectdbParams(keys, values, 0);
  if (PQstatus(c) != CONNECTION_OK) {
    PQfinish(c);
    return nullptr;
  }
  return c;
}

// Run by main once the benchmarks are done: at exit the database client's
// own clean-up (TLS), registered after this object was made, has run first
// and a new connection would crash.
struct Cleanup {
  bool pgCreated = false;
  void Run() {
    if (std::exchange(pgCreated, false)) {
      if (PGconn* c = pgConnect("postgres")) {
        PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + pgDatabase()).c_str()));
        PQfinish(c);
      }
    }
    std::error_code ec;
    std::filesystem::remove_all(sqliteFolder(), ec);
  }
} cleanup;

std::unique_ptr<dac::TConnection> layerConnection(bool pg) {
  auto conn = std::make_unique<dac::TConnection>(nullptr);
  conn->Params().Add(u"DATABASE=BENCH");
  if (pg) {
    conn->SetDriverName(u"PG");
    conn->Params().Add(u"DbName=" + rtl::Utf8ToString(pgDatabase()));
  } else {
    conn->SetDriverName(u"SQLite");
    conn->Params().Add(u"Directory=" + rtl::Utf8ToString(sqliteFolder()));
  }
  conn->Open();
  return conn;
}

// The schema's own database with 50,000 staged rows, made once per engine.
// Returns an empty text when it is ready, else why it is not.
std::string prepare(bool pg) {
  static std::string state[2] = {"-", "-"};
  std::string& done = state[pg ? 1 : 0];
  if (done != "-") return done;
  done = "";
  if (pg) {
    if (!pgAvailable()) return done = "no PostgreSQL server (set PG_TEST_ENV or PGHOST)";
    PGconn* c = pgConnect("postgres");
    if (!c) return done = "PostgreSQL server not reachable";
    PGresult* r = PQexec(c, ("CREATE DATABASE " + pgDatabase() + " TEMPLATE vorna_template").c_str());
    bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok) done = std::string("cannot create the bench database: ") + PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    if (!ok) return done;
    cleanup.pgCreated = true;
  }
  auto conn = layerConnection(pg);
  rtl::String rows = rtl::IntToStr(static_cast<rtl::Int64>(kStaged));
  rtl::String days = rtl::IntToStr(static_cast<rtl::Int64>(kDays));
  if (pg) {
    conn->ExecSQL(
        u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, data_inicio, "
        u"data_fim, codigo_empresa, quantidade, km, placa, codigo_material, erro_integracao) "
        u"select i, 'B-' || i, 'Finalizado', timestamp '2025-01-15' + (i % " + days +
        u") * interval '1 day' + (i % 86400) * interval '1 second', timestamp '2025-01-15' + (i % " +
        days + u") * interval '1 day' + (i % 86400 + 600) * interval '1 second', 17, 45.5, i, "
        u"'ABC1D23', 50012, i % 2 from generate_series(1, " + rows + u") as g(i)");
    conn->ExecSQL(u"analyze vorna_mat.quelora");
  } else {
    conn->ExecSQL(
        u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, data_inicio, "
        u"data_fim, codigo_empresa, quantidade, km, placa, codigo_material, erro_integracao) "
        u"with recursive n(i) as (select 1 union all select i + 1 from n where i < " + rows +
        u") select i, 'B-' || i, 'Finalizado', datetime('2025-01-15', '+' || (i % " + days +
        u") || ' days', '+' || (i % 86400) || ' seconds'), datetime('2025-01-15', '+' || (i % " +
        days + u") || ' days', '+' || (i % 86400 + 600) || ' seconds'), 17, 45.5, i, 'ABC1D23', "
        u"50012, i % 2 from n");
    conn->ExecSQL(u"analyze");
  }
  return done;
}

// --- the layer --------------------------------------------------------------------

void Layer(benchmark::State& state, bool pg) {
  if (std::string why = prepare(pg); !why.empty()) {
    state.SkipWithError(why.c_str());
    return;
  }
  auto conn = layerConnection(pg);
  integrador::TCatalogueQuery q(nullptr, u"qryQuelora");
  q.SetConnection(conn.get());
  q.ParamByName(u"data_inicio")->SetAsDate(rtl::EncodeDate(2025, 2, 1));
  q.ParamByName(u"data_fim")->SetAsDate(rtl::EncodeDate(2025, 2, 7));
  q.ParamByName(u"erro_integracao")->SetAsInteger(1);
  int rows = 0;
  auto start = Clock::now();
  for (auto _ : state) {
    q.Close();
    q.Open();
    rows = q.RecordCount();
  }
  double perIteration =
      std::chrono::duration<double>(Clock::now() - start).count() / state.iterations();
  state.counters["rows"] = rows;
  if (bareSeconds[pg ? 1 : 0] > 0) state.counters["x_bare"] = perIteration / bareSeconds[pg ? 1 : 0];
  if (pg) state.SetLabel(pgDurability());
}

// --- the bare drivers, same text and values ---------------------------------------

std::string driverText(bool pg) {
  dac::TConnection conn(nullptr);
  conn.SetDriverName(pg ? u"PG" : u"SQLite");
  conn.Params().Add(u"DATABASE=BENCH");
  integrador::TCatalogueQuery q(nullptr, u"qryQuelora");
  q.SetConnection(&conn);
  q.SQL().SetText(integrador::StatementText(
      u"qryQuelora", pg ? integrador::SqlDialect::PostgreSQL : integrador::SqlDialect::SQLite));
  return rtl::StringToUtf8(q.DriverSQL());
}

void BareSQLite(benchmark::State& state) {
  if (std::string why = prepare(false); !why.empty()) {
    state.SkipWithError(why.c_str());
    return;
  }
  const std::string folder = sqliteFolder();
  sqlite3* db = nullptr;
  sqlite3_open((folder + "/erp.db").c_str(), &db);
  for (const char* schema : {"vorna_mat", "vorna_fis", "vorna_fro"}) {
    std::string attach = "ATTACH '" + folder + "/" + schema + ".db' AS " + schema;
    sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr);
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, driverText(false).c_str(), -1, &st, nullptr) != SQLITE_OK) {
    state.SkipWithError(sqlite3_errmsg(db));
    sqlite3_close(db);
    return;
  }
  int rows = 0;
  auto start = Clock::now();
  for (auto _ : state) {
    sqlite3_bind_text(st, 1, kFrom, -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, kTo, -1, SQLITE_STATIC);
    sqlite3_bind_int64(st, 3, 1);
    rows = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(st, c)) {
          case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(st, c)); break;
          case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(st, c)); break;
          case SQLITE_NULL: break;
          default: {
            std::string text(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                             sqlite3_column_bytes(st, c));
            benchmark::DoNotOptimize(text);
          }
        }
      }
      ++rows;
    }
    sqlite3_reset(st);
  }
  bareSeconds[0] = std::chrono::duration<double>(Clock::now() - start).count() / state.iterations();
  state.counters["rows"] = rows;
  sqlite3_finalize(st);
  sqlite3_close(db);
}

void BarePostgres(benchmark::State& state) {
  if (std::string why = prepare(true); !why.empty()) {
    state.SkipWithError(why.c_str());
    return;
  }
  PGconn* c = pgConnect(pgDatabase());
  if (!c) {
    state.SkipWithError("PostgreSQL bench database not reachable");
    return;
  }
  const std::string sql = driverText(true);
  int rows = 0;
  auto start = Clock::now();
  for (auto _ : state) {
    const char* values[] = {kFrom, kTo, "1"};
    PGresult* r = PQexecParams(c, sql.c_str(), 3, nullptr, values, nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
      state.SkipWithError(PQerrorMessage(c));
      PQclear(r);
      break;
    }
    rows = PQntuples(r);
    const int columns = PQnfields(r);
    for (int row = 0; row < rows; ++row) {
      for (int col = 0; col < columns; ++col) {
        if (PQgetisnull(r, row, col)) continue;
        std::string text(PQgetvalue(r, row, col), PQgetlength(r, row, col));
        benchmark::DoNotOptimize(text);
      }
    }
    PQclear(r);
  }
  bareSeconds[1] = std::chrono::duration<double>(Clock::now() - start).count() / state.iterations();
  state.counters["rows"] = rows;
  PQfinish(c);
}

void BM_QueloraOpen_Bare_sqlite(benchmark::State& s) { BareSQLite(s); }
void BM_QueloraOpen_Layer_sqlite(benchmark::State& s) { Layer(s, false); }
void BM_QueloraOpen_Bare_postgres(benchmark::State& s) { BarePostgres(s); }
void BM_QueloraOpen_Layer_postgres(benchmark::State& s) { Layer(s, true); }

}  // namespace

// Each bare run comes first: the layer's ratio is taken against it.
BENCHMARK(BM_QueloraOpen_Bare_sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueloraOpen_Layer_sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueloraOpen_Bare_postgres)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueloraOpen_Layer_postgres)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  const int status =
      bench::RunWithRatios(argc, argv,
                           {{"QueloraOpen/sqlite", "BM_QueloraOpen_Bare_sqlite", "BM_QueloraOpen_Layer_sqlite"},
                            {"QueloraOpen/postgres", "BM_QueloraOpen_Bare_postgres",
                             "BM_QueloraOpen_Layer_postgres"}});
  cleanup.Run();
  return status;
}

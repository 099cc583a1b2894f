// 1,000 inserts through the data-access layer beside the same inserts made
// with the bare driver API in the same run, on both engines, in wall time
// (the server's work counts). Both sides send the same statements (quoted
// column names, bound values) in one transaction, the bare side in the best
// plain use of the driver:
//  CachedInserts: rows appended to a TQuery with cached updates, then
//    ApplyUpdates. On PostgreSQL the layer must put every row in a savepoint
//    of its own (one refused row must leave the transaction usable) and
//    pipelines the rows, so the bare side does the same with statements
//    prepared once: BEGIN, then per row SAVEPOINT, INSERT, RELEASE, all in
//    libpq's pipeline mode with one sync, COMMIT. On SQLite a refused
//    statement rolls back alone, so neither side uses savepoints: BEGIN
//    IMMEDIATE, a prepared INSERT bound and stepped per row, COMMIT.
//  PlainInserts: one parameterised INSERT per row through TQuery::ExecSQL
//    inside StartTransaction/Commit, beside the bare API running the same
//    INSERT prepared once, a round trip per row (SQLite as above).
// The ratio printed at the end is bare/layer of the medians (run with
// --benchmark_repetitions=N --benchmark_enable_random_interleaving=true on
// a busy machine). PostgreSQL runs when PG_TEST_ENV names a server's
// settings file (bench/pg_server.h); figures come from a durable one, and
// each PostgreSQL run is labelled with the server's durability.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/ustring.h"
#include "bench/pg_server.h"
#include "bench/ratio_report.h"

namespace {

constexpr int kRows = 1000;
const char* kColumns =
    "id integer primary key, order_id varchar(64) not null, quantidade numeric, "
    "placa varchar(20), status_integracao varchar(20) not null";

std::string tempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "dac-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  return pattern;
}

// The suite's PostgreSQL server, when one runs: its settings go into the
// environment so libpq finds them. The database is the template's sibling
// "postgres" maintenance one, where the bench makes its own table.

std::unique_ptr<dac::TConnection> layerConnection(bool pg, const std::string& folder) {
  auto conn = std::make_unique<dac::TConnection>(nullptr);
  conn->Params().Add(u"DATABASE=BENCH");
  if (pg) {
    conn->SetDriverName(u"PG");
    conn->Params().Add(u"DbName=vorna_template_bench");
  } else {
    conn->SetDriverName(u"SQLite");
    conn->Params().Add(u"Directory=" + rtl::Utf8ToString(folder));
  }
  conn->Open();
  return conn;
}

void prepareTable(dac::TConnection& conn, const char* name) {
  conn.ExecSQL(u"DROP TABLE IF EXISTS " + rtl::Utf8ToString(name));
  conn.ExecSQL(u"CREATE TABLE " + rtl::Utf8ToString(name) + u" (" + rtl::Utf8ToString(kColumns) + u")");
}

bool ensurePgDatabase() {
  if (!pgAvailable()) return false;
  const char* keys[] = {"dbname", nullptr};
  const char* values[] = {"postgres", nullptr};
  PGconn* c = PQconnectdbParams(keys, values, 0);
  if (PQstatus(c) != CONNECTION_OK) {
    PQfinish(c);
    return false;
  }
  PQclear(PQexec(c, "CREATE DATABASE vorna_template_bench"));
  PQfinish(c);
  return true;
}

void LayerCachedInserts(benchmark::State& state, bool pg) {
  if (pg && !ensurePgDatabase()) {
    state.SkipWithError("no PostgreSQL test server (PG_TEST_ENV)");
    return;
  }
  std::string folder = pg ? std::string() : tempFolder();
  auto conn = layerConnection(pg, folder);
  prepareTable(*conn, "bench_layer");
  int next = 0;
  for (auto _ : state) {
    dac::TQuery q(nullptr);
    q.SetConnection(conn.get());
    q.SQL().SetText(u"select * from bench_layer where id = 0");
    q.SetCachedUpdates(true);
    q.SetUpdateTableName(u"bench_layer");
    q.Open();
    // The fields found once, as the bare side binds by position.
    db::TField* id = q.FieldByName(u"id");
    db::TField* order = q.FieldByName(u"order_id");
    db::TField* quantidade = q.FieldByName(u"quantidade");
    db::TField* placa = q.FieldByName(u"placa");
    db::TField* status = q.FieldByName(u"status_integracao");
    for (int i = 0; i < kRows; ++i, ++next) {
      q.Append();
      id->SetAsInteger(next);
      order->SetAsString(u"ORD-" + rtl::IntToStr(next));
      quantidade->SetAsFloat(45.5);
      placa->SetAsString(u"ABC1D23");
      status->SetAsString(u"Pendente");
      q.Post();
    }
    if (q.ApplyUpdates(-1) != 0) state.SkipWithError("apply failed");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  if (pg) state.SetLabel(pgDurability());
  conn.reset();
  if (!folder.empty()) std::filesystem::remove_all(folder);
}

std::string insertText(const char* table, const char* mark);

void BareSQLiteInserts(benchmark::State& state) {
  std::string folder = tempFolder();
  sqlite3* db = nullptr;
  sqlite3_open((folder + "/erp.db").c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
  sqlite3_exec(db, (std::string("CREATE TABLE bench_bare (") + kColumns + ")").c_str(), nullptr,
               nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  const std::string insert = insertText("bench_bare", "?");
  sqlite3_prepare_v2(db, insert.c_str(), -1, &st, nullptr);
  int next = 0;
  for (auto _ : state) {
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int i = 0; i < kRows; ++i, ++next) {
      std::string order = "ORD-" + std::to_string(next);
      sqlite3_bind_int64(st, 1, next);
      sqlite3_bind_text(st, 2, order.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_double(st, 3, 45.5);
      sqlite3_bind_text(st, 4, "ABC1D23", -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 5, "Pendente", -1, SQLITE_STATIC);
      if (sqlite3_step(st) != SQLITE_DONE) state.SkipWithError(sqlite3_errmsg(db));
      sqlite3_reset(st);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  sqlite3_finalize(st);
  sqlite3_close(db);
  std::filesystem::remove_all(folder);
}

PGconn* bareConnection(const char* table) {
  const char* keys[] = {"dbname", nullptr};
  const char* values[] = {"vorna_template_bench", nullptr};
  PGconn* c = PQconnectdbParams(keys, values, 0);
  PQclear(PQexec(c, (std::string("DROP TABLE IF EXISTS ") + table).c_str()));
  PQclear(PQexec(c, (std::string("CREATE TABLE ") + table + " (" + kColumns + ")").c_str()));
  return c;
}

std::string insertText(const char* table, const char* mark) {
  std::string m(mark);
  return std::string("INSERT INTO \"") + table +
         "\" (\"id\", \"order_id\", \"quantidade\", \"placa\", \"status_integracao\") VALUES (" +
         m + "1, " + m + "2, " + m + "3, " + m + "4, " + m + "5)";
}

// A statement made once on the connection; false when the server refused it.
bool prepare(PGconn* c, const char* name, const std::string& sql, int params) {
  PGresult* r = PQprepare(c, name, sql.c_str(), params, nullptr);
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
  PQclear(r);
  return ok;
}

// Each row in a savepoint of its own, as the layer must do, with every
// statement prepared once and all rows in one pipeline with one sync.
void BarePgCachedInserts(benchmark::State& state) {
  if (!ensurePgDatabase()) {
    state.SkipWithError("no PostgreSQL test server (PG_TEST_ENV)");
    return;
  }
  PGconn* c = bareConnection("bench_bare");
  if (!prepare(c, "ins", insertText("bench_bare", "$"), 5) || !prepare(c, "sp", "SAVEPOINT apply_row", 0) ||
      !prepare(c, "rel", "RELEASE SAVEPOINT apply_row", 0)) {
    state.SkipWithError(PQerrorMessage(c));
    PQfinish(c);
    return;
  }
  int next = 0;
  for (auto _ : state) {
    PQclear(PQexec(c, "BEGIN"));
    PQenterPipelineMode(c);
    for (int i = 0; i < kRows; ++i, ++next) {
      std::string id = std::to_string(next), order = "ORD-" + id;
      const char* params[] = {id.c_str(), order.c_str(), "45.5", "ABC1D23", "Pendente"};
      PQsendQueryPrepared(c, "sp", 0, nullptr, nullptr, nullptr, 0);
      PQsendQueryPrepared(c, "ins", 5, params, nullptr, nullptr, 0);
      PQsendQueryPrepared(c, "rel", 0, nullptr, nullptr, nullptr, 0);
    }
    PQpipelineSync(c);
    for (int command = 0; command < kRows * 3; ++command) {
      PGresult* r = PQgetResult(c);
      if (PQresultStatus(r) != PGRES_COMMAND_OK) state.SkipWithError(PQerrorMessage(c));
      PQclear(r);
      while ((r = PQgetResult(c)) != nullptr) PQclear(r);
    }
    PGresult* sync = PQgetResult(c);
    if (PQresultStatus(sync) != PGRES_PIPELINE_SYNC) state.SkipWithError("no pipeline sync");
    PQclear(sync);
    PQexitPipelineMode(c);
    PQclear(PQexec(c, "COMMIT"));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetLabel(pgDurability());
  PQfinish(c);
}

// One prepared INSERT per row, each waiting for its answer as the layer's
// ExecSQL does.
void BarePgPlainInserts(benchmark::State& state) {
  if (!ensurePgDatabase()) {
    state.SkipWithError("no PostgreSQL test server (PG_TEST_ENV)");
    return;
  }
  PGconn* c = bareConnection("bench_bare_plain");
  if (!prepare(c, "ins", insertText("bench_bare_plain", "$"), 5)) {
    state.SkipWithError(PQerrorMessage(c));
    PQfinish(c);
    return;
  }
  int next = 0;
  for (auto _ : state) {
    PQclear(PQexec(c, "BEGIN"));
    for (int i = 0; i < kRows; ++i, ++next) {
      std::string id = std::to_string(next), order = "ORD-" + id;
      const char* params[] = {id.c_str(), order.c_str(), "45.5", "ABC1D23", "Pendente"};
      PGresult* r = PQexecPrepared(c, "ins", 5, params, nullptr, nullptr, 0);
      if (PQresultStatus(r) != PGRES_COMMAND_OK) state.SkipWithError(PQerrorMessage(c));
      PQclear(r);
    }
    PQclear(PQexec(c, "COMMIT"));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetLabel(pgDurability());
  PQfinish(c);
}

void LayerPlainInserts(benchmark::State& state, bool pg) {
  if (pg && !ensurePgDatabase()) {
    state.SkipWithError("no PostgreSQL test server (PG_TEST_ENV)");
    return;
  }
  std::string folder = pg ? std::string() : tempFolder();
  auto conn = layerConnection(pg, folder);
  prepareTable(*conn, "bench_layer_plain");
  dac::TQuery q(nullptr);
  q.SetConnection(conn.get());
  q.SQL().SetText(
      u"insert into \"bench_layer_plain\" (\"id\", \"order_id\", \"quantidade\", \"placa\", "
      u"\"status_integracao\") values (:id, :order_id, :quantidade, :placa, :status_integracao)");
  int next = 0;
  for (auto _ : state) {
    conn->StartTransaction();
    for (int i = 0; i < kRows; ++i, ++next) {
      q.ParamByName(u"id")->SetAsInteger(next);
      q.ParamByName(u"order_id")->SetAsString(u"ORD-" + rtl::IntToStr(next));
      q.ParamByName(u"quantidade")->SetAsFloat(45.5);
      q.ParamByName(u"placa")->SetAsString(u"ABC1D23");
      q.ParamByName(u"status_integracao")->SetAsString(u"Pendente");
      q.ExecSQL();
    }
    conn->Commit();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  if (pg) state.SetLabel(pgDurability());
  conn.reset();
  if (!folder.empty()) std::filesystem::remove_all(folder);
}

void BM_CachedInserts_Layer_sqlite(benchmark::State& s) { LayerCachedInserts(s, false); }
void BM_CachedInserts_Bare_sqlite(benchmark::State& s) { BareSQLiteInserts(s); }
void BM_CachedInserts_Layer_postgres(benchmark::State& s) { LayerCachedInserts(s, true); }
void BM_CachedInserts_Bare_postgres(benchmark::State& s) { BarePgCachedInserts(s); }
void BM_PlainInserts_Layer_sqlite(benchmark::State& s) { LayerPlainInserts(s, false); }
void BM_PlainInserts_Bare_sqlite(benchmark::State& s) { BareSQLiteInserts(s); }
void BM_PlainInserts_Layer_postgres(benchmark::State& s) { LayerPlainInserts(s, true); }
void BM_PlainInserts_Bare_postgres(benchmark::State& s) { BarePgPlainInserts(s); }

}  // namespace

BENCHMARK(BM_CachedInserts_Layer_sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CachedInserts_Bare_sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CachedInserts_Layer_postgres)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CachedInserts_Bare_postgres)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainInserts_Layer_sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainInserts_Bare_sqlite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainInserts_Layer_postgres)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainInserts_Bare_postgres)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {{"CachedInserts/sqlite", "BM_CachedInserts_Bare_sqlite", "BM_CachedInserts_Layer_sqlite"},
                               {"CachedInserts/postgres", "BM_CachedInserts_Bare_postgres",
                                "BM_CachedInserts_Layer_postgres"},
                               {"PlainInserts/sqlite", "BM_PlainInserts_Bare_sqlite", "BM_PlainInserts_Layer_sqlite"},
                               {"PlainInserts/postgres", "BM_PlainInserts_Bare_postgres",
                                "BM_PlainInserts_Layer_postgres"}});
}

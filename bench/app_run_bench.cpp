// The run's database work, beside the engine's own limit in the same run:
//  - staging 2,000 new elements, one transaction each, through the worker's
//    InsertQueloraRecord (duplicate test, sequence, asset and material
//    checks, cached insert), against the bare driver doing the same
//    single-row insert and commit;
//  - turning 1,000 pending rows into requisitions.
// SQLite (WAL) always; PostgreSQL when PG_TEST_ENV names a running test
// server (scripts/pg-test-server start <build>). Compare items_per_second of
// Staging/worker with Staging/bare of the same engine.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/run/config.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/json/json.h"
#include "platform/rtl/rtl.h"
#include "bench/pg_server.h"

namespace {

using rtl::String;

constexpr int kElements = 2000;
constexpr int kPending = 1000;

const char kConfig[] = R"({"Parametros": {"CodigoEmpresa": 17, "Solicitante": 1234, "Movimentacao": 5,
  "Almoxarifado": 1, "ContaContabil": 3001, "CodigoPosto": 10, "CodigoEmpresaQuelora": 99},
  "Materiais": [{"CodigoQuelora": 1, "DescricaoQuelora": "DIESEL S10", "CodigoMardova": 50012}]})";

std::string element(long id) {
  return "{\"id\":" + std::to_string(id) +
         ",\"data_inicio\":\"27/06/2025\",\"hora_inicio\":\"08:15:00\",\"data_fim\":\"27/06/2025\","
         "\"hora_fim\":\"08:20:10\",\"volume\":45.5,\"horimetro\":\"\",\"odometro\":123456.7,"
         "\"veiculo\":{\"placa\":\"ABC 1D23\"},\"combustivel\":{\"codigo\":1}}";
}


// One database per engine for the whole program: an embedded one in a
// temporary folder, or a copy of the PostgreSQL test template.
struct Site {
  bool pg = false;
  std::string folder;
  std::string pgDb;
  rtl::TStringList params;
  std::unique_ptr<integrador::TThreadXML> worker;
  long nextId = 1;

  explicit Site(bool usePg) : pg(usePg) {
    std::string pattern = (std::filesystem::temp_directory_path() / "app-run-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    std::ofstream(folder + "/config.json") << kConfig;
    std::string ini = "[BENCH]\n";
    if (pg) {
      pgDb = "vorna_bench_" + std::to_string(getpid());
      PGconn* c = PQconnectdb("dbname=postgres");
      PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + pgDb).c_str()));
      PGresult* r = PQexec(c, ("CREATE DATABASE " + pgDb + " TEMPLATE vorna_template").c_str());
      if (PQresultStatus(r) != PGRES_COMMAND_OK) std::abort();
      PQclear(r);
      PQfinish(c);
      ini += "Driver=postgresql\nDbName=" + pgDb + "\n";
    } else {
      ini += "Driver=sqlite\nDemo=1\nDirectory=" + folder + "/db\n";
    }
    std::ofstream(folder + "/databases.ini") << ini;
    integrador::SetHomeFolder(rtl::Utf8ToString(folder));
    dac::SetDatabasesFile(rtl::Utf8ToString(folder + "/databases.ini"));
    params.Add(u"DATABASE=BENCH");
    if (!pg) params.Add(u"USER_NAME=bench");
    auto* p = new integrador::TThreadParams();
    p->ConnDefParams = &params;
    // Never started: its steps run on this thread, and Log runs at once.
    worker.reset(new integrador::TThreadXML(p));
    worker->SetFreeOnTerminate(false);
    worker->LerConfigEmMemTable(worker->Dtm()->mtConfig);
  }
  ~Site() {
    worker.reset();
    if (pg) {
      PGconn* c = PQconnectdb("dbname=postgres");
      PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + pgDb).c_str()));
      PQfinish(c);
    }
    std::filesystem::remove_all(folder);
  }
  dac::TConnection& conn() { return *worker->Dtm()->FDConnection; }
};

// Freed by main before the program's exit handlers run: the database
// clients' own clean-up (TLS) is registered after these and so runs first.
std::unique_ptr<Site> sqliteSite, postgresSite;

Site& site(bool pg) {
  auto& s = pg ? postgresSite : sqliteSite;
  if (!s) s = std::make_unique<Site>(pg);
  return *s;
}

void StagingWorker(benchmark::State& state, bool pg) {
  if (pg && !pgAvailable()) return state.SkipWithError("PG_TEST_ENV not set");
  Site& s = site(pg);
  for (auto _ : state) {
    state.PauseTiming();
    auto value = json::TJSONValue::ParseJSONValue(rtl::Utf8ToString(element(s.nextId++)));
    auto* object = value->GetValue<json::TJSONObject*>();
    state.ResumeTiming();
    s.worker->InsertQueloraRecord(*object);
  }
  state.SetItemsProcessed(state.iterations());
}

// The same row with the engine's own API: one insert, one commit.
void StagingBare(benchmark::State& state, bool pg) {
  if (pg && !pgAvailable()) return state.SkipWithError("PG_TEST_ENV not set");
  Site& s = site(pg);
  const char* sql =
      "insert into quelora (id_quelora, order_id, status_integracao, data_processamento, data_inicio, data_fim, "
      "codigo_empresa, quantidade, json_arquivo, km, placa, codigo_material) values "
      "(?1, ?2, 'Pendente', '2025-06-27 08:00:00', '2025-06-27 08:15:00', '2025-06-27 08:20:10', 17, 45.5, ?3, "
      "123456.7, 'ABC1D23', 50012)";
  if (!pg) {
    sqlite3* db = nullptr;
    sqlite3_open((s.folder + "/db/vorna_mat.db").c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    for (auto _ : state) {
      long id = 1000000 + s.nextId++;
      std::string orderId = "b" + std::to_string(id), json = element(id);
      sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
      sqlite3_bind_int64(stmt, 1, id);
      sqlite3_bind_text(stmt, 2, orderId.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(stmt, 3, json.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(stmt) != SQLITE_DONE) std::abort();
      sqlite3_reset(stmt);
      sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  } else {
    PGconn* c = PQconnectdb(("dbname=" + s.pgDb).c_str());
    PQclear(PQexec(c, "SET ROLE vorna_user"));
    const char* pgSql =
        "insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, data_processamento, data_inicio, "
        "data_fim, codigo_empresa, quantidade, json_arquivo, km, placa, codigo_material) values "
        "($1, $2, 'Pendente', '2025-06-27 08:00:00', '2025-06-27 08:15:00', '2025-06-27 08:20:10', 17, 45.5, $3, "
        "123456.7, 'ABC1D23', 50012)";
    PQclear(PQprepare(c, "ins", pgSql, 3, nullptr));
    for (auto _ : state) {
      long id = 1000000 + s.nextId++;
      std::string idText = std::to_string(id), orderId = "b" + idText, json = element(id);
      const char* values[] = {idText.c_str(), orderId.c_str(), json.c_str()};
      PQclear(PQexec(c, "BEGIN"));
      PGresult* r = PQexecPrepared(c, "ins", 3, values, nullptr, nullptr, 0);
      if (PQresultStatus(r) != PGRES_COMMAND_OK) std::abort();
      PQclear(r);
      PQclear(PQexec(c, "COMMIT"));
    }
    PQfinish(c);
  }
  state.SetItemsProcessed(state.iterations());
}

void Requisitions(benchmark::State& state, bool pg) {
  if (pg && !pgAvailable()) return state.SkipWithError("PG_TEST_ENV not set");
  Site& s = site(pg);
  for (auto _ : state) {
    state.PauseTiming();
    // Whatever is pending from the staging benches is put aside first.
    s.conn().ExecSQL(u"update vorna_mat.quelora set status_integracao = 'Feito' where status_integracao = 'Pendente'");
    s.conn().StartTransaction();
    for (int i = 0; i < kPending; ++i) {
      long id = 5000000 + s.nextId++;
      s.conn().ExecSQL(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, placa, "
                       u"codigo_material, quantidade, erro_integracao) values (:i, :o, 'Pendente', 'ABC1D23', "
                       u"50012, 10, 0)",
                       {rtl::Variant(static_cast<rtl::Int64>(id)), rtl::Variant(rtl::IntToStr(id))});
    }
    s.conn().Commit();
    state.ResumeTiming();
    s.worker->InsertRequisicao();
  }
  state.SetItemsProcessed(state.iterations() * kPending);
}

BENCHMARK_CAPTURE(StagingWorker, sqlite, false)->Iterations(kElements)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(StagingBare, sqlite, false)->Iterations(kElements)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(StagingWorker, postgres, true)->Iterations(kElements)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(StagingBare, postgres, true)->Iterations(kElements)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(Requisitions, sqlite, false)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Requisitions, postgres, true)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  sqliteSite.reset();
  postgresSite.reset();
  return 0;
}

// The run's database work, beside the engine's own limit in the same run:
//  - Staging: 2,000 new elements, one transaction each, through the worker's
//    InsertQueloraRecord (duplicate test, sequence, asset and material
//    checks, cached insert), element by element in turns with the bare
//    driver doing the same single-row insert and commit (prepared; SQLite in
//    WAL with synchronous FULL, as the layer opens it). Its counters give
//    the medians per element and their ratio (bare/worker);
//  - turning 1,000 pending rows into requisitions.
// SQLite always; PostgreSQL when PG_TEST_ENV names a server's settings file
// (bench/pg_server.h). Figures come from a server with durable commits,
// `scripts/pg-test-server start <build> --durable`; each PostgreSQL run is
// labelled with the server's durability.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/run/config.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/json/json.h"
#include "platform/rtl/rtl.h"
#include "bench/pg_server.h"

namespace {

using rtl::String;
using Clock = std::chrono::steady_clock;

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

// The same row with the engine's own API: one prepared insert, one commit.
class BareStager {
 public:
  explicit BareStager(Site& s) : pg_(s.pg) {
    if (!pg_) {
      // A copy of the worker's file, so that neither connection finds its
      // page cache outdated by the other's commits.
      const std::string copy = s.folder + "/bare_mat.db";
      sqlite3_open((s.folder + "/db/vorna_mat.db").c_str(), &db_);
      sqlite3_exec(db_, ("VACUUM INTO '" + copy + "'").c_str(), nullptr, nullptr, nullptr);
      sqlite3_close(db_);
      sqlite3_open(copy.c_str(), &db_);
      sqlite3_busy_timeout(db_, 5000);
      sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
      const char* sql =
          "insert into quelora (id_quelora, order_id, status_integracao, data_processamento, data_inicio, "
          "data_fim, codigo_empresa, quantidade, json_arquivo, km, placa, codigo_material) values "
          "(?1, ?2, 'Pendente', '2025-06-27 08:00:00', '2025-06-27 08:15:00', '2025-06-27 08:20:10', 17, "
          "45.5, ?3, 123456.7, 'ABC1D23', 50012)";
      ok_ = sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr) == SQLITE_OK;
    } else {
      pgConn_ = PQconnectdb(("dbname=" + s.pgDb).c_str());
      PQclear(PQexec(pgConn_, "SET ROLE vorna_user"));
      const char* sql =
          "insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, data_processamento, "
          "data_inicio, data_fim, codigo_empresa, quantidade, json_arquivo, km, placa, codigo_material) values "
          "($1, $2, 'Pendente', '2025-06-27 08:00:00', '2025-06-27 08:15:00', '2025-06-27 08:20:10', 17, "
          "45.5, $3, 123456.7, 'ABC1D23', 50012)";
      PGresult* r = PQprepare(pgConn_, "ins", sql, 3, nullptr);
      ok_ = PQresultStatus(r) == PGRES_COMMAND_OK;
      PQclear(r);
    }
  }
  ~BareStager() {
    sqlite3_finalize(stmt_);
    sqlite3_close(db_);
    PQfinish(pgConn_);
  }
  BareStager(const BareStager&) = delete;
  BareStager& operator=(const BareStager&) = delete;

  bool ok() const { return ok_; }

  // BEGIN, the insert, COMMIT: each a round trip on the server.
  bool stage(long id) {
    const std::string idText = std::to_string(id), orderId = "b" + idText, json = element(id);
    if (!pg_) {
      bool done = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
      sqlite3_bind_int64(stmt_, 1, id);
      sqlite3_bind_text(stmt_, 2, orderId.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(stmt_, 3, json.c_str(), -1, SQLITE_TRANSIENT);
      done = sqlite3_step(stmt_) == SQLITE_DONE && done;
      sqlite3_reset(stmt_);
      return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK && done;
    }
    const char* values[] = {idText.c_str(), orderId.c_str(), json.c_str()};
    PQclear(PQexec(pgConn_, "BEGIN"));
    PGresult* r = PQexecPrepared(pgConn_, "ins", 3, values, nullptr, nullptr, 0);
    bool done = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    r = PQexec(pgConn_, "COMMIT");
    done = PQresultStatus(r) == PGRES_COMMAND_OK && done;
    PQclear(r);
    return done;
  }

 private:
  bool pg_;
  bool ok_ = false;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  PGconn* pgConn_ = nullptr;
};

// The calling thread's processor time: what a side costs apart from the
// waits for the disk or the server.
double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Each iteration stages one element through the worker and one row with
// the bare driver, in turns (which goes first alternates), each timed on
// its own: commits wait for the disk, whose latency other programs' writes
// move a lot, and side by side both see the same disk. The iteration's time
// is the two together; the counters give each side's median per element
// and ratio = bare/worker of those medians (1.0: as fast as the engine's
// own API), and each side's median processor time (this thread's, kernel
// included) apart from the waits.
void Staging(benchmark::State& state, bool pg) {
  if (pg && !pgAvailable()) return state.SkipWithError("PG_TEST_ENV not set");
  Site& s = site(pg);
  BareStager bare(s);
  if (!bare.ok()) return state.SkipWithError("the bare insert cannot be prepared");
  std::vector<double> workerSeconds, bareSeconds, workerCpu, bareCpu;
  for (auto* v : {&workerSeconds, &bareSeconds, &workerCpu, &bareCpu})
    v->reserve(static_cast<std::size_t>(state.max_iterations));
  bool workerFirst = true;
  for (auto _ : state) {
    auto value = json::TJSONValue::ParseJSONValue(rtl::Utf8ToString(element(s.nextId++)));
    auto* object = value->GetValue<json::TJSONObject*>();
    const long bareId = 1000000 + s.nextId++;
    double worker = 0, plain = 0;
    for (int turn = 0; turn < 2; ++turn) {
      const auto start = Clock::now();
      const double cpu = threadSeconds();
      if ((turn == 0) == workerFirst) {
        s.worker->InsertQueloraRecord(*object);
        worker = std::chrono::duration<double>(Clock::now() - start).count();
        workerCpu.push_back(threadSeconds() - cpu);
      } else {
        if (!bare.stage(bareId)) state.SkipWithError("the bare insert failed");
        plain = std::chrono::duration<double>(Clock::now() - start).count();
        bareCpu.push_back(threadSeconds() - cpu);
      }
    }
    workerFirst = !workerFirst;
    workerSeconds.push_back(worker);
    bareSeconds.push_back(plain);
    state.SetIterationTime(worker + plain);
  }
  const double w = median(workerSeconds), b = median(bareSeconds);
  state.counters["worker_us"] = w * 1e6;
  state.counters["bare_us"] = b * 1e6;
  state.counters["ratio"] = w > 0 ? b / w : 0;
  state.counters["worker_cpu_us"] = median(workerCpu) * 1e6;
  state.counters["bare_cpu_us"] = median(bareCpu) * 1e6;
  state.SetItemsProcessed(state.iterations());
  if (pg) state.SetLabel(pgDurability());
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

BENCHMARK_CAPTURE(Staging, sqlite, false)->Iterations(kElements)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK_CAPTURE(Staging, postgres, true)->Iterations(kElements)->Unit(benchmark::kMicrosecond)->UseManualTime();
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

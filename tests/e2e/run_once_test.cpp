// `integrador --run-once` as a process: its exit statuses, and two of them
// started together on one database.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/dac/dac.h"
#include "platform/rtl/rtl.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/test_support.h"
#include "tools/api_standin/standin.h"

namespace {

using rtl::String;
using e2e::DriverLabel;
using e2e::Process;
using e2e::Wait;
using e2e::WaitForOutput;
using e2e::WaitWithin;

class RunOnceProcess : public e2e::IntegradorProcessTest {
 protected:
  void SetUp() override {
    IntegradorProcessTest::SetUp();
    if (SetUpStopped()) return;
    admin_->ExecSQL(u"update vorna_mat.integracao_recurso set stored_procedure = 'api/abastecimentos', "
                    u"carga_inicial = 0, ponteiro_integracao = '01/01/2020 00:00:00'");
  }

  int Run(std::vector<std::string> args, std::string* output = nullptr) {
    Process p = Start(std::move(args), "single");
    int code = Wait(p);
    if (output) *output = p.Output();
    return code;
  }

  // Rows of earlier runs out of the way of the counts (the PostgreSQL
  // database serves every test of the process and allows no DELETE).
  void ArchiveRows() {
    admin_->ExecSQL(u"update vorna_mat.quelora set status_integracao = 'Arquivado', order_id = 'arq-' || id_quelora "
                    u"where status_integracao <> 'Arquivado'");
  }
  int LiveRows(const String& status) {
    return std::stoi(Scalar(u"select count(*) from vorna_mat.quelora where status_integracao = '" + status + u"'"));
  }

  // See e2e::RefuseFlagClearing.
  void RefuseFlagClearing() {
    e2e::RefuseFlagClearing(*admin_, pg());
    lockTimeoutSet_ = pg();
  }
  void LockResourceRow() { e2e::LockResourceRow(*admin_, pg()); }
  void AllowFlagClearing() { e2e::AllowFlagClearing(*admin_, pg()); }
};

TEST_P(RunOnceProcess, TwoProcessesOnOneDatabaseGiveOneRun) {
  // Slow answers keep the first run busy while the second one starts.
  server_.SetResponder(e2e::SlowDemo(2, "27/06/2025", std::chrono::milliseconds(3000)));
  // Rows and requisitions of earlier tests of the process out of the counts.
  ArchiveRows();
  const int requisitionsBefore = std::stoi(Scalar(u"select count(*) from vorna_mat.requisicao"));
  Process a = Start({"--run-once", "--home", home()}, "a");
  Process b = Start({"--run-once", "--home", home()}, "b");
  std::vector<int> codes = {Wait(a), Wait(b)};
  const std::string outA = testing_support::ReadFile(a.out), outB = testing_support::ReadFile(b.out);
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(codes, (std::vector<int>{0, 3})) << outA << "\n---\n" << outB;
  const std::string& loser = outA.find("carga_inicial = 1") != std::string::npos ? outA : outB;
  const std::string& winner = &loser == &outA ? outB : outA;
  EXPECT_NE(loser.find(" - Integração em andamento: carga_inicial = 1.\n"), std::string::npos) << loser;
  EXPECT_EQ(loser.find("Iniciando"), std::string::npos) << loser;
  EXPECT_NE(winner.find(" - Thread executada com sucesso.\n"), std::string::npos) << winner;
  EXPECT_EQ(server_.RequestCount(), 1u);
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.quelora where status_integracao <> 'Arquivado'"), "2");
  EXPECT_EQ(std::stoi(Scalar(u"select count(*) from vorna_mat.requisicao")), requisitionsBefore + 2);
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
}

TEST_P(RunOnceProcess, ExitStatuses) {
  std::string out;
  EXPECT_EQ(Run({"--run-once", "--home", home(), "--verbose"}, &out), 2) << out;
  EXPECT_EQ(Run({"--run-once", "--home"}, &out), 2) << out;

  // A flag taken on purpose holds the integrator.
  admin_->ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 1");
  EXPECT_EQ(Run({"--run-once", "--home", home()}, &out), 3) << out;
  admin_->ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 0");

  // A run that does not end with the success line.
  server_.Enqueue(api_standin::Response{});  // 200 with an empty body: not JSON
  EXPECT_EQ(Run({"--run-once", "--database", "E2E", "--home", home()}, &out), 1) << out;
  EXPECT_NE(out.find(" - Resposta da API inválida: "), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");

  admin_->ExecSQL(u"update vorna_mat.integracao_api set nome = 'Outra'");
  EXPECT_EQ(Run({"--run-once", "--home", home()}, &out), 1) << out;
  EXPECT_NE(out.find(" - Erro na thread: Recurso de integração da API Quelora não encontrado.\n"), std::string::npos)
      << out;
  admin_->ExecSQL(u"update vorna_mat.integracao_api set nome = 'Quelora'");

  api_standin::Response ok;
  ok.headers.emplace_back("Content-Type", "application/json");
  ok.body = api_standin::DemoBody(1, "27/06/2025");
  server_.Enqueue(ok);
  EXPECT_EQ(Run({"--run-once", "--home", home()}, &out), 0) << out;
  EXPECT_NE(out.find(" - Processando orderId: 1523001\n"), std::string::npos) << out;
}

// SIGINT or SIGTERM while a run fetches, stages or makes requisitions: the
// run stops at its next safe point, frees the busy flag, says so in one line
// and the program exits 1 within seconds.
enum class Phase { Fetch, Staging, Requisitions };
struct StopCase {
  const char* name;
  int signal;
  Phase phase;
};

TEST_P(RunOnceProcess, AStopSignalEndsTheRunAtItsNextSafePoint) {
  constexpr int kRecords = 3000;
  const std::string lastOrder = std::to_string(1523000 + kRecords);
  const StopCase cases[] = {
      {"SIGTERM while fetching", SIGTERM, Phase::Fetch},
      {"SIGINT while fetching", SIGINT, Phase::Fetch},
      {"SIGTERM while staging", SIGTERM, Phase::Staging},
      {"SIGINT while staging", SIGINT, Phase::Staging},
      {"SIGTERM while making requisitions", SIGTERM, Phase::Requisitions},
      {"SIGINT while making requisitions", SIGINT, Phase::Requisitions},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    ArchiveRows();
    admin_->ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 0, "
                    u"ponteiro_integracao = '01/01/2020 00:00:00'");
    const bool fetch = c.phase == Phase::Fetch;
    server_.SetResponder(
        e2e::SlowDemo(fetch ? 1 : kRecords, "27/06/2025", std::chrono::milliseconds(fetch ? 60000 : 0)));
    const std::size_t requestsBefore = server_.RequestCount();
    Process p = Start({"--run-once", "--home", home()}, "stop");
    bool reached = false;
    switch (c.phase) {
      case Phase::Fetch:
        for (int i = 0; i < 400 && !reached; ++i) {
          reached = server_.RequestCount() > requestsBefore;
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        break;
      case Phase::Staging:
        reached = WaitForOutput(p, " - Processando orderId: 1523005\n", 30);
        break;
      case Phase::Requisitions:
        reached = WaitForOutput(p, " - Processando orderId: " + lastOrder + "\n", 120);
        break;
    }
    kill(p.pid, c.signal);
    const auto signalled = std::chrono::steady_clock::now();
    const int code = WaitWithin(p, 20);
    const auto took = std::chrono::steady_clock::now() - signalled;
    const std::string out = testing_support::ReadFile(p.out);
    ASSERT_TRUE(reached) << out;
    EXPECT_EQ(code, 1) << out;
    EXPECT_LT(took, std::chrono::seconds(10));
    const std::string stopped = " - Execução interrompida antes do fim.\n";
    EXPECT_NE(out.find(stopped), std::string::npos) << out;
    EXPECT_EQ(out.find(stopped), out.rfind(stopped)) << out;
    EXPECT_EQ(out.find("Thread executada com sucesso."), std::string::npos) << out;
    EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
    // It stopped where it was: records left unstaged, or staged and left
    // for the next run's requisitions.
    if (c.phase == Phase::Staging) {
      EXPECT_LT(LiveRows(u"Pendente") + LiveRows(u"Finalizado"), kRecords);
    }
    if (c.phase == Phase::Requisitions) {
      EXPECT_GT(LiveRows(u"Pendente"), 0);
    }
  }
}

// A flag the run cannot set back to 0 (the database refuses the write) is
// not a success: no success line, one line saying the flag stayed set, exit
// 1. Nothing clears a flag behind the operator's back afterwards.
TEST_P(RunOnceProcess, AFlagTheProcessCannotFreeIsReportedAndTheRunFails) {
  server_.SetResponder(e2e::SlowDemo(1, "27/06/2025", std::chrono::milliseconds(1500)));
  RefuseFlagClearing();
  Process p = Start({"--run-once", "--home", home()}, "refused");
  for (int i = 0; i < 400 && server_.RequestCount() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  LockResourceRow();
  const int code = WaitWithin(p, 60);
  const std::string out = testing_support::ReadFile(p.out);
  AllowFlagClearing();
  EXPECT_EQ(code, 1) << out;
  EXPECT_EQ(out.find("Thread executada com sucesso."), std::string::npos) << out;
  EXPECT_NE(out.find(" - Não foi possível liberar a integração (carga_inicial = 1): "), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "1");
  // The next start finds the flag taken and says so.
  std::string next;
  EXPECT_EQ(Run({"--run-once", "--home", home()}, &next), 3) << next;
  admin_->ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 0");
}

// A run that cannot read its resource once the flag is taken still frees
// the flag: the process knows the key it took. The embedded database only:
// the server's tables take no trigger from the test's role, and the
// worker-level test covers PostgreSQL.
class RunOnceEmbedded : public RunOnceProcess {};

TEST_P(RunOnceEmbedded, TheFlagIsFreedWhenTheRunCannotReadItsResource) {
  // Taking the flag hides the API row from the run that follows.
  admin_->ExecSQL(u"create trigger vorna_mat.hide_api after update of carga_inicial on integracao_recurso "
                  u"when new.carga_inicial = 1 begin update integracao_api set nome = 'Oculta'; end");
  std::string out;
  const int code = Run({"--run-once", "--home", home()}, &out);
  admin_->ExecSQL(u"drop trigger vorna_mat.hide_api");
  admin_->ExecSQL(u"update vorna_mat.integracao_api set nome = 'Quelora'");
  EXPECT_EQ(code, 1) << out;
  EXPECT_NE(out.find(" - Erro na thread: Recurso de integração da API Quelora não encontrado.\n"), std::string::npos)
      << out;
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
}

// The windowed program as a process of its own on a machine without a
// display, on the real clock: it logs in after 5 s, starts its scheduler 10 s
// later, runs at the first tick, prints its log, and Ctrl+C (SIGTERM) closes
// it as its window's close button does. A login that stops at a warning ends
// it. The embedded database only: the in-process test covers PostgreSQL.
class WindowedProcess : public RunOnceProcess {};

TEST_P(WindowedProcess, TheWindowedProgramRunsHeadlessUntilItIsStopped) {
  setenv("INTEGRADOR_BACKEND", "headless", 1);
  server_.SetResponder(api_standin::Scenario("demo", 2));

  // No password among the login's defaults: its warning, then the end.
  std::string out;
  EXPECT_EQ(Run({"--home", home()}, &out), 1) << out;
  EXPECT_NE(out.find("Informe uma senha!"), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.quelora"), "0");

  e2e::SetLoginPassword(dir_.path(), "x");
  Process p = Start({"--home", home()}, "windowed");
  const bool ran = WaitForOutput(p, " - Thread executada com sucesso.\n", 90);
  kill(p.pid, SIGTERM);
  const int status = Wait(p);
  out = testing_support::ReadFile(p.out);
  EXPECT_TRUE(ran) << out;
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find(" - Iniciando consulta à Brenvik...\n"), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.quelora where status_integracao = 'Finalizado'"), "2");
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
  unsetenv("INTEGRADOR_BACKEND");
}

// SIGTERM while the login window waits to log in ends the program at once,
// as cancelling the login does: no login, no run.
TEST_P(WindowedProcess, ASigtermDuringTheLoginEndsTheProgramAtOnce) {
  setenv("INTEGRADOR_BACKEND", "headless", 1);
  server_.SetResponder(api_standin::Scenario("demo", 2));
  e2e::SetLoginPassword(dir_.path(), "x");
  Process p = Start({"--home", home()}, "login-stop");
  // The login presses its button 5 s after it shows.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  kill(p.pid, SIGTERM);
  const auto signalled = std::chrono::steady_clock::now();
  const int status = WaitWithin(p, 40);
  const auto took = std::chrono::steady_clock::now() - signalled;
  unsetenv("INTEGRADOR_BACKEND");
  const std::string out = testing_support::ReadFile(p.out);
  EXPECT_EQ(status, 1) << out;
  EXPECT_LT(took, std::chrono::seconds(5)) << out;
  EXPECT_EQ(server_.RequestCount(), 0u) << out;
  EXPECT_EQ(out.find("Thread"), std::string::npos) << out;
}

// The windowed program on a machine without a display, stopped by SIGTERM
// while its run waits for the API: the run stops, says so, frees the flag,
// and the program ends within seconds.
TEST_P(RunOnceProcess, TheWindowedProgramStopsARunInProgressOnSigterm) {
  setenv("INTEGRADOR_BACKEND", "headless", 1);
  server_.SetResponder(e2e::SlowDemo(1, "27/06/2025", std::chrono::seconds(120)));
  e2e::SetLoginPassword(dir_.path(), pg() ? testing_support::PgTestPassword() : "x");
  Process p = Start({"--home", home()}, "windowed-stop");
  bool asked = false;
  for (int i = 0; i < 90 * 20 && !asked; ++i) {
    asked = server_.RequestCount() > 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(p.pid, SIGTERM);
  const auto signalled = std::chrono::steady_clock::now();
  const int status = WaitWithin(p, 40);
  const auto took = std::chrono::steady_clock::now() - signalled;
  unsetenv("INTEGRADOR_BACKEND");
  const std::string out = testing_support::ReadFile(p.out);
  ASSERT_TRUE(asked) << out;
  EXPECT_EQ(status, 0) << out;
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_NE(out.find(" - Execução interrompida antes do fim.\n"), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
}

INSTANTIATE_TEST_SUITE_P(Drivers, RunOnceEmbedded, testing::Values(dac::DriverKind::SQLite),
                         [](const testing::TestParamInfo<dac::DriverKind>&) { return std::string("sqlite"); });

INSTANTIATE_TEST_SUITE_P(Drivers, RunOnceProcess,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL),
                         DriverLabel);
INSTANTIATE_TEST_SUITE_P(Drivers, WindowedProcess, testing::Values(dac::DriverKind::SQLite),
                         DriverLabel);

}  // namespace

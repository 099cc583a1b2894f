// `integrador --run-once` as a process: its exit statuses, and two of them
// started together on one database.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/rtl.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/demo_config.h"
#include "tests/support/test_support.h"
#include "tools/api_standin/standin.h"

extern char** environ;

namespace {

using rtl::String;

std::string U8(const String& s) { return rtl::StringToUtf8(s); }
String U16(const std::string& s) { return rtl::Utf8ToString(s); }


struct Process {
  pid_t pid = -1;
  std::filesystem::path out;
};

class RunOnceProcess : public testing::TestWithParam<dac::DriverKind> {
 protected:
  bool pg() const { return GetParam() == dac::DriverKind::PostgreSQL; }

  void SetUp() override {
    if (pg()) REQUIRE_PG_TEST_DATABASE();
    setenv("XDG_DATA_HOME", (dir_ / "data").string().c_str(), 1);
    unsetenv("INTEGRADOR_HOME");
    testing_support::WriteFile(dir_ / "home" / "config.json", testing_support::kDemoConfigJson);
    std::string ini = "[E2E]\n";
    std::string user = "tester";
    if (pg()) {
      ini += "Driver=postgresql\nDbName=" + testing_support::PgTestDatabaseName() + "\n";
      user = std::getenv("PGUSER") ? std::getenv("PGUSER") : "";
    } else {
      ini += "Driver=sqlite\nDemo=1\n";
    }
    ini += "\n[Login]\nBanco=E2E\nEmpresa=17\nUsuario=" + user + "\nSenha=\n";
    testing_support::WriteFile(dir_ / "home" / "databases.ini", ini);

    // The database made and pointed at the stand-in before any run.
    dac::SetDatabasesFile(U16((dir_ / "home" / "databases.ini").string()));
    admin_ = std::make_unique<dac::TConnection>(nullptr);
    admin_->Params().Add(u"DATABASE=E2E");
    admin_->Params().Add(U16("USER_NAME=" + user));
    admin_->Open();
    admin_->ExecSQL(u"update vorna_mat.integracao_api set nome = 'Quelora', url = :u, token = 'e2e-s3cret' "
                    u"where id_integracao_api = 1",
                    {rtl::Variant(U16(server_.BaseUrl()))});
    admin_->ExecSQL(u"update vorna_mat.integracao_recurso set stored_procedure = 'api/abastecimentos', "
                    u"carga_inicial = 0, ponteiro_integracao = '01/01/2020 00:00:00'");
  }

  Process Start(std::vector<std::string> args, const std::string& name) {
    Process p;
    p.out = dir_ / (name + ".out");
    args.insert(args.begin(), INTEGRADOR_EXE);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, p.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    EXPECT_EQ(posix_spawn(&p.pid, INTEGRADOR_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    started_.push_back(p.pid);
    return p;
  }
  static int Wait(const Process& p) {
    int status = 0;
    waitpid(p.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Run(std::vector<std::string> args, std::string* output = nullptr) {
    Process p = Start(std::move(args), "single");
    int code = Wait(p);
    if (output) *output = testing_support::ReadFile(p.out);
    return code;
  }
  std::string Scalar(const String& sql) {
    dac::TQuery q(nullptr);
    q.SetConnection(admin_.get());
    q.SQL().SetText(sql);
    q.Open();
    return U8(q.Fields()->Fields(0)->AsString());
  }
  std::string home() const { return (dir_ / "home").string(); }

  // Polls the process's output until it holds `text`, at most `seconds`.
  static bool WaitForOutput(const Process& p, const std::string& text, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
      if (testing_support::ReadFile(p.out).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // The exit status, or -2 when the process had not ended after `seconds`
  // (it is then killed, so that a hang fails the test instead of holding it).
  static int WaitWithin(const Process& p, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
      int status = 0;
      if (waitpid(p.pid, &status, WNOHANG) == p.pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(p.pid, SIGKILL);
    Wait(p);
    return -2;
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

  // Makes the database refuse to set the busy flag back to 0, as a full disk
  // does, while it still lets it be taken. The embedded database gets a
  // trigger; on the server, whose tables the test's role may not alter, the
  // resource row is held locked by this test's connection and every
  // connection of the program gives up waiting for it after a moment.
  void RefuseFlagClearing() {
    if (pg()) {
      admin_->ExecSQL(u"alter database \"" + U16(testing_support::PgTestDatabaseName()) +
                      u"\" set lock_timeout = '300ms'");
      lockTimeoutSet_ = true;
      return;  // the lock itself is taken by LockResourceRow, once the run has the flag
    }
    admin_->ExecSQL(u"create trigger vorna_mat.refuse_flag_clearing before update of carga_inicial "
                    u"on integracao_recurso when old.carga_inicial = 1 and new.carga_inicial = 0 "
                    u"begin select raise(abort, 'database or disk is full'); end");
  }
  // PostgreSQL: holds the resource row from now on (no-op on SQLite).
  void LockResourceRow() {
    if (!pg()) return;
    admin_->StartTransaction();
    Scalar(u"select carga_inicial from vorna_mat.integracao_recurso for update");
  }
  void AllowFlagClearing() {
    if (pg()) {
      admin_->Rollback();
      return;
    }
    admin_->ExecSQL(u"drop trigger if exists vorna_mat.refuse_flag_clearing");
  }
  void TearDown() override {
    testing_support::EndChildren(started_);
    if (lockTimeoutSet_)
      admin_->ExecSQL(u"alter database \"" + U16(testing_support::PgTestDatabaseName()) +
                      u"\" reset lock_timeout");
  }

  testing_support::TempDir dir_;
  std::vector<pid_t> started_;
  bool lockTimeoutSet_ = false;
  api_standin::Server server_;
  std::unique_ptr<dac::TConnection> admin_;
};

TEST_P(RunOnceProcess, TwoProcessesOnOneDatabaseGiveOneRun) {
  // Slow answers keep the first run busy while the second one starts.
  server_.SetResponder([](const api_standin::Request&) {
    api_standin::Response r;
    r.headers.emplace_back("Content-Type", "application/json");
    r.body = api_standin::DemoBody(2, "27/06/2025");
    r.delayBeforeHeaders = std::chrono::milliseconds(3000);
    return r;
  });
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
    server_.SetResponder([fetch](const api_standin::Request&) {
      api_standin::Response r;
      r.headers.emplace_back("Content-Type", "application/json");
      r.body = api_standin::DemoBody(fetch ? 1 : kRecords, "27/06/2025");
      if (fetch) r.delayBeforeHeaders = std::chrono::seconds(60);
      return r;
    });
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
  server_.SetResponder([](const api_standin::Request&) {
    api_standin::Response r;
    r.headers.emplace_back("Content-Type", "application/json");
    r.body = api_standin::DemoBody(1, "27/06/2025");
    r.delayBeforeHeaders = std::chrono::milliseconds(1500);
    return r;
  });
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
  auto waitFor = [](const Process& p, const std::string& text, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
      if (testing_support::ReadFile(p.out).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  };

  // No password among the login's defaults: its warning, then the end.
  std::string out;
  EXPECT_EQ(Run({"--home", home()}, &out), 1) << out;
  EXPECT_NE(out.find("Informe uma senha!"), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.quelora"), "0");

  std::string ini = testing_support::ReadFile(dir_ / "home" / "databases.ini");
  ini.replace(ini.find("Senha=\n"), 7, "Senha=x\n");
  testing_support::WriteFile(dir_ / "home" / "databases.ini", ini);
  Process p = Start({"--home", home()}, "windowed");
  const bool ran = waitFor(p, " - Thread executada com sucesso.\n", 90);
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

std::string DriverLabel(const testing::TestParamInfo<dac::DriverKind>& info) {
  return info.param == dac::DriverKind::SQLite ? "sqlite" : "postgres";
}

// The windowed program on a machine without a display, stopped by SIGTERM
// while its run waits for the API: the run stops, says so, frees the flag,
// and the program ends within seconds.
TEST_P(RunOnceProcess, TheWindowedProgramStopsARunInProgressOnSigterm) {
  setenv("INTEGRADOR_BACKEND", "headless", 1);
  server_.SetResponder([](const api_standin::Request&) {
    api_standin::Response r;
    r.headers.emplace_back("Content-Type", "application/json");
    r.body = api_standin::DemoBody(1, "27/06/2025");
    r.delayBeforeHeaders = std::chrono::seconds(120);
    return r;
  });
  std::string ini = testing_support::ReadFile(dir_ / "home" / "databases.ini");
  const std::string password = pg() ? testing_support::PgTestPassword() : "x";
  ini.replace(ini.find("Senha=\n"), 7, "Senha=" + password + "\n");
  testing_support::WriteFile(dir_ / "home" / "databases.ini", ini);
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

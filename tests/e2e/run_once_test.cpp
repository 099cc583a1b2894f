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
    admin_->ExecSQL(u"update vorna_mat.integracao_api set nome = 'Quelora', url = :u, token = 't' "
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

  testing_support::TempDir dir_;
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
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.quelora"), "2");
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.requisicao"), "2");
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

// The windowed program as a process of its own on a machine without a
// display, on the real clock: it logs in after 5 s, starts its scheduler 10 s
// later, runs at the first tick, prints its log, and Ctrl+C (SIGTERM) closes
// it as its window's close button does. A login that stops at a warning ends
// it. The embedded database only: the in-process test covers PostgreSQL.
TEST_P(RunOnceProcess, TheWindowedProgramRunsHeadlessUntilItIsStopped) {
  if (pg()) GTEST_SKIP() << "covered in-process";
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

INSTANTIATE_TEST_SUITE_P(Drivers, RunOnceProcess,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL),
                         [](const testing::TestParamInfo<dac::DriverKind>& info) {
                           return std::string(info.param == dac::DriverKind::SQLite ? "sqlite" : "postgres");
                         });

}  // namespace

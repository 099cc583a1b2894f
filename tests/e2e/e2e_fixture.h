// What the end-to-end tests share: an operator's home folder with its
// databases.ini, the administrator's connection that points the database at
// the web API stand-in, and the integrador program started as a process whose
// output and exit status the test collects.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/rtl.h"
#include "tests/support/demo_config.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/test_support.h"
#include "tools/api_standin/standin.h"

extern char** environ;

namespace e2e {

inline std::string U8(const rtl::String& s) { return rtl::StringToUtf8(s); }
inline rtl::String U16(const std::string& s) { return rtl::Utf8ToString(s); }

inline std::string DriverLabel(const testing::TestParamInfo<dac::DriverKind>& info) {
  return info.param == dac::DriverKind::SQLite ? "sqlite" : "postgres";
}

// Makes `dir`/home the operator's folder: the demo config.json and a
// databases.ini whose alias E2E is the suite's PostgreSQL database (`pg`) or
// the embedded demo database, with a [Login] of `sqliteUser` (the server's
// own user on PostgreSQL) and `password`. The program's data go under
// `dir`/data. Returns the user.
inline std::string WriteHome(const std::filesystem::path& dir, bool pg, std::string sqliteUser,
                             const std::string& password) {
  setenv("XDG_DATA_HOME", (dir / "data").string().c_str(), 1);
  unsetenv("INTEGRADOR_HOME");
  testing_support::WriteFile(dir / "home" / "config.json", testing_support::kDemoConfigJson);
  std::string ini = "[E2E]\n";
  std::string user = std::move(sqliteUser);
  if (pg) {
    ini += "Driver=postgresql\nDbName=" + testing_support::PgTestDatabaseName() + "\n";
    user = std::getenv("PGUSER") ? std::getenv("PGUSER") : "";
  } else {
    ini += "Driver=sqlite\nDemo=1\n";
  }
  ini += "\n[Login]\nBanco=E2E\nEmpresa=17\nUsuario=" + user + "\nSenha=" + password + "\n";
  testing_support::WriteFile(dir / "home" / "databases.ini", ini);
  return user;
}

// Gives the empty password of the home's [Login] the value `password`.
inline void SetLoginPassword(const std::filesystem::path& dir, const std::string& password) {
  std::string ini = testing_support::ReadFile(dir / "home" / "databases.ini");
  ini.replace(ini.find("Senha=\n"), 7, "Senha=" + password + "\n");
  testing_support::WriteFile(dir / "home" / "databases.ini", ini);
}

// The administrator's connection to the home's database (made on first
// open), with its integration pointed at the stand-in at `url`.
inline std::unique_ptr<dac::TConnection> OpenAdmin(const std::filesystem::path& dir, const std::string& user,
                                                   const std::string& url) {
  dac::SetDatabasesFile(U16((dir / "home" / "databases.ini").string()));
  auto admin = std::make_unique<dac::TConnection>(nullptr);
  admin->Params().Add(u"DATABASE=E2E");
  admin->Params().Add(U16("USER_NAME=" + user));
  admin->Open();
  admin->ExecSQL(u"update vorna_mat.integracao_api set nome = 'Quelora', url = :u, token = 'e2e-s3cret' "
                 u"where id_integracao_api = 1",
                 {rtl::Variant(U16(url))});
  return admin;
}

// The first column of the first row of `sql`.
inline std::string Scalar(dac::TConnection& admin, const rtl::String& sql) {
  dac::TQuery q(nullptr);
  q.SetConnection(&admin);
  q.SQL().SetText(sql);
  q.Open();
  return U8(q.Fields()->Fields(0)->AsString());
}

// Every connection to the suite's database gives up waiting for a lock
// after 300 ms, until ResetLockTimeout.
inline void ShortenLockTimeout(dac::TConnection& admin) {
  admin.ExecSQL(u"alter database \"" + U16(testing_support::PgTestDatabaseName()) + u"\" set lock_timeout = '300ms'");
}
inline void ResetLockTimeout(dac::TConnection& admin) {
  admin.ExecSQL(u"alter database \"" + U16(testing_support::PgTestDatabaseName()) + u"\" reset lock_timeout");
}

// Makes the database refuse to set the busy flag back to 0, as a full disk
// does, while it still lets it be taken. The embedded database gets a
// trigger; on the server, whose tables the test's role may not alter, the
// resource row is held locked by the test's connection (LockResourceRow,
// once the run has the flag) and every connection of the program gives up
// waiting for it after a moment.
inline void RefuseFlagClearing(dac::TConnection& admin, bool pg) {
  if (pg) {
    ShortenLockTimeout(admin);
    return;
  }
  admin.ExecSQL(u"create trigger vorna_mat.refuse_flag_clearing before update of carga_inicial "
                u"on integracao_recurso when old.carga_inicial = 1 and new.carga_inicial = 0 "
                u"begin select raise(abort, 'database or disk is full'); end");
}
// PostgreSQL: holds the resource row from now on (no-op on SQLite).
inline void LockResourceRow(dac::TConnection& admin, bool pg) {
  if (!pg) return;
  admin.StartTransaction();
  Scalar(admin, u"select carga_inicial from vorna_mat.integracao_recurso for update");
}
inline void AllowFlagClearing(dac::TConnection& admin, bool pg) {
  if (pg)
    admin.Rollback();
  else
    admin.ExecSQL(u"drop trigger if exists vorna_mat.refuse_flag_clearing");
}

// An integrador process, its standard output and error going to `out`.
struct Process {
  pid_t pid = -1;
  std::filesystem::path out;
  std::string Output() const { return testing_support::ReadFile(out); }
};

#ifdef INTEGRADOR_EXE
// Starts the integrador program with `args`; its id joins `started`, so
// that the test's end reaps it.
inline Process StartIntegrador(std::vector<std::string> args, std::filesystem::path out,
                               std::vector<pid_t>& started) {
  Process p;
  p.out = std::move(out);
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
  started.push_back(p.pid);
  return p;
}
#endif

// The exit status, or -1 when the process did not exit by itself.
inline int Wait(const Process& p) {
  int status = 0;
  waitpid(p.pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The exit status, or -2 when the process had not ended after `seconds`
// (it is then killed, so that a hang fails the test instead of holding it).
inline int WaitWithin(const Process& p, int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    int status = 0;
    if (waitpid(p.pid, &status, WNOHANG) == p.pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(p.pid, SIGKILL);
  Wait(p);
  return -2;
}

// Polls the process's output until it holds `text`, at most `seconds`.
inline bool WaitForOutput(const Process& p, const std::string& text, int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (p.Output().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// The stand-in's answer: `records` demo records of `day`, its headers held
// back `delay` (a slow API keeps a run busy while the test acts).
inline api_standin::Responder SlowDemo(int records, const std::string& day, std::chrono::milliseconds delay) {
  return [records, day, delay](const api_standin::Request&) {
    api_standin::Response r;
    r.headers.emplace_back("Content-Type", "application/json");
    r.body = api_standin::DemoBody(records, day);
    r.delayBeforeHeaders = delay;
    return r;
  };
}

#ifdef INTEGRADOR_EXE
// A test of the integrador program as a process, on the embedded demo
// database or the suite's server: the operator's home, the database pointed
// at the stand-in, and every started process reaped at the end.
class IntegradorProcessTest : public testing::TestWithParam<dac::DriverKind> {
 protected:
  bool pg() const { return GetParam() == dac::DriverKind::PostgreSQL; }

  // Derived set-ups go on only when this one neither skipped nor failed.
  void SetUp() override {
    if (pg()) REQUIRE_PG_TEST_DATABASE();
    const std::string user = WriteHome(dir_.path(), pg(), "tester", "");
    admin_ = OpenAdmin(dir_.path(), user, server_.BaseUrl());
  }
  bool SetUpStopped() const { return IsSkipped() || HasFatalFailure(); }
  void TearDown() override {
    testing_support::EndChildren(started_);
    if (lockTimeoutSet_) ResetLockTimeout(*admin_);
  }

  Process Start(std::vector<std::string> args, const std::string& name) {
    return StartIntegrador(std::move(args), dir_ / (name + ".out"), started_);
  }
  std::string Scalar(const rtl::String& sql) { return e2e::Scalar(*admin_, sql); }
  std::string home() const { return (dir_ / "home").string(); }

  testing_support::TempDir dir_;
  std::vector<pid_t> started_;
  bool lockTimeoutSet_ = false;
  api_standin::Server server_;
  std::unique_ptr<dac::TConnection> admin_;
};
#endif

}  // namespace e2e

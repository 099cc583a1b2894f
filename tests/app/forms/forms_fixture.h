#pragma once
// What the window tests share: a headless window system with a test clock
// started at a fixed date-time, a fresh application, a home folder whose
// databases.ini holds the alias TESTE (embedded with the demo data, or the
// test's own PostgreSQL database) and the [Login] defaults, a config.json
// for runs, and the web API stand-in the demo resource points at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "app/run/U_Global_Library.h"
#include "app/run/config.h"
#include "app/run/udmPrincipal.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/rtl.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/demo_config.h"
#include "tests/support/test_support.h"
#include "tools/api_standin/standin.h"

namespace forms_test {

using rtl::String;

inline std::string U8(const String& s) { return rtl::StringToUtf8(s); }
inline String U16(const std::string& s) { return rtl::Utf8ToString(s); }

// 2026-06-22 08:00:00 in the tests' zone (UTC).
constexpr rtl::Int64 kStartUnixMs = 1782115200000;

inline std::string DriverLabel(const testing::TestParamInfo<dac::DriverKind>& info) {
  return info.param == dac::DriverKind::SQLite ? "sqlite" : "postgres";
}

struct LoginDefaults {
  std::string banco = "TESTE", empresa = "17", usuario = "VORNA$ADMIN", senha = "segredo";
};

class FormsTest : public testing::TestWithParam<dac::DriverKind> {
 protected:
  bool pg() const { return GetParam() == dac::DriverKind::PostgreSQL; }

  void SetUp() override {
    if (pg()) {
      REQUIRE_PG_TEST_DATABASE();
      // A copy of its own for every test: the tests stage rows with keys and
      // dates of their own, and the database allows no DELETE, so rows left
      // by an earlier test of the process would collide with them or show
      // in their lists.
      dbName_ = testing_support::PgTestFreshDatabase();
    }
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("XDG_DATA_HOME", (dir_ / "data").string().c_str(), 1);
    screen_ = std::make_unique<win::headless::HeadlessScope>();
    clock_ = std::make_unique<rtl::TestClockScope>(kStartUnixMs);
    ui::Application->Initialize();
    ui::Application->SetOnException(nullptr);
    ui::Application->SetTitle(u"Integrador");
    win::headless::TakeShownMessageBoxes();
    rtl::ResetShutdownForTests();
    integrador::SetHomeFolder(U16((dir_ / "home").string()));
    testing_support::WriteFile(dir_ / "home" / "config.json", testing_support::kDemoConfigJson);
    WriteDatabasesIni(LoginDefaults{});
  }

  void TearDown() override {
    integrador::TThreadXML::TerminateAll();
    integrador::TThreadXML::WaitForAll(30000);
    win::headless::ProcessMessages();
    // Everything the application owns (windows, data modules), newest first.
    while (ui::Application->ComponentCount() > 0)
      ui::Application->Components(ui::Application->ComponentCount() - 1)->Free();
    integrador::dtmPrincipal = nullptr;
    integrador::Global_Library = nullptr;
    win::headless::ProcessMessages();
    admin_.reset();
    clock_.reset();
    screen_.reset();
    dac::SetDatabasesFile(u"");
    rtl::ResetShutdownForTests();
  }

  // databases.ini of the home folder: the alias TESTE and `login` as [Login]
  // (an empty value leaves its key out).
  void WriteDatabasesIni(const LoginDefaults& login) {
    std::string ini = "[TESTE]\n";
    if (pg())
      ini += "Driver=postgresql\nDbName=" + dbName_ + "\n";
    else
      ini += "Driver=sqlite\nDemo=1\n";
    ini += "\n[Login]\n";
    auto key = [&](const char* name, const std::string& value) {
      if (!value.empty()) ini += std::string(name) + "=" + value + "\n";
    };
    key("Banco", login.banco);
    key("Empresa", login.empresa);
    // The PostgreSQL test role and its password file come from the server's
    // environment.
    key("Usuario", pg() && login.usuario == "VORNA$ADMIN" ? std::string(getenv("PGUSER") ? getenv("PGUSER") : "")
                                                          : login.usuario);
    // The PostgreSQL test role's password is the server's, from its password
    // file (the embedded database checks none).
    key("Senha", pg() && login.senha == "segredo" ? testing_support::PgTestPassword() : login.senha);
    testing_support::WriteFile(dir_ / "home" / "databases.ini", ini);
    dac::SetDatabasesFile(U16((dir_ / "home" / "databases.ini").string()));
  }

  // The data modules as the start-up makes them (windows come in between).
  void CreateMainModule() { ui::Application->CreateForm(integrador::dtmPrincipal); }
  void CreateGlobalLibrary() {
    ui::Application->CreateForm(integrador::Global_Library);
    integrador::dtmPrincipal->SetLoginConnection(integrador::Global_Library->DBXConnection);
  }

  // A connection of the test's own on TESTE, with no session set-up. On
  // first use it also points the integration's API at the stand-in.
  dac::TConnection& Admin() {
    if (!admin_) {
      admin_ = std::make_unique<dac::TConnection>(nullptr);
      admin_->Params().Add(u"DATABASE=TESTE");
      admin_->Params().Add(
          U16(std::string("USER_NAME=") + (pg() && getenv("PGUSER") ? getenv("PGUSER") : "tester")));
      admin_->Open();
      admin_->ExecSQL(u"update vorna_mat.integracao_api set nome = 'Quelora', url = :u, token = 't' "
                      u"where id_integracao_api = 1",
                      {rtl::Variant(U16(server_.BaseUrl()))});
      admin_->ExecSQL(u"update vorna_mat.integracao_recurso set stored_procedure = 'api/abastecimentos'");
    }
    return *admin_;
  }

  // The first column of the first row of `sql` as text ("null" for NULL,
  // "" for no row).
  std::string Scalar(const String& sql) {
    dac::TQuery q(nullptr);
    q.SetConnection(&Admin());
    q.SQL().SetText(sql);
    q.Open();
    if (q.IsEmpty()) return "";
    db::TField* f = q.Fields()->Fields(0);
    return f->IsNull() ? std::string("null") : U8(f->AsString());
  }

  rtl::TestClock& clock() { return clock_->clock(); }
  int Process() { return win::headless::ProcessMessages(); }

  testing_support::TempDir dir_;
  std::string dbName_;  // PostgreSQL: this test's database
  api_standin::Server server_;
  std::unique_ptr<win::headless::HeadlessScope> screen_;
  std::unique_ptr<rtl::TestClockScope> clock_;
  std::unique_ptr<dac::TConnection> admin_;
};

}  // namespace forms_test

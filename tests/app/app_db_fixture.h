#pragma once
// The integrator's data modules on a database of the test's own, once per
// driver: an embedded folder with the demo data, or the process's own copy
// of the suite's PostgreSQL template (which holds the same demo data). The
// login's "DATABASE" alias is resolved through a databases.ini of the test,
// as the program resolves it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/run/U_Global_Library.h"
#include "app/run/udmPrincipal.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/ustring.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/test_support.h"

namespace app_test {

inline std::string DriverLabel(const testing::TestParamInfo<dac::DriverKind>& info) {
  return info.param == dac::DriverKind::SQLite ? "sqlite" : "postgres";
}

// Frees a component the way its owner would.
struct FreeComponent {
  void operator()(rtl::TComponent* c) const { c->Free(); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeComponent>;

// Writes databases.ini with the alias TESTE for `driver` and makes it the
// process's alias file.
inline void WriteAliasFile(dac::DriverKind driver, const std::filesystem::path& folder) {
  std::string ini = "[TESTE]\n";
  if (driver == dac::DriverKind::SQLite) {
    ini += "Driver=sqlite\nDirectory=" + (folder / "TESTE").string() + "\nDemo=1\n";
  } else {
    // Host, port, user and password file come from the server's environment.
    ini += "Driver=postgresql\nDbName=" + testing_support::PgTestDatabaseName() + "\n";
  }
  testing_support::WriteFile(folder / "databases.ini", ini);
  dac::SetDatabasesFile(rtl::Utf8ToString((folder / "databases.ini").string()));
}

// The parameters the login window gives DBXConnection.
inline void LoginParams(rtl::TStrings& params, dac::DriverKind driver, const rtl::String& company) {
  params.Clear();
  params.Add(u"DATABASE=TESTE");
  if (driver == dac::DriverKind::SQLite) {
    params.Add(u"USER_NAME=tester");
    params.Add(u"PASSWORD=segredo");
  } else {
    params.Add(u"USER_NAME=");  // the server's test role, from its environment
    params.Add(u"PASSWORD=");
  }
  params.Add(u"DEFAULT COMPANY=" + company);
}

class AppDbTest : public testing::TestWithParam<dac::DriverKind> {
 protected:
  void SetUp() override {
    if (pg()) REQUIRE_PG_TEST_DATABASE();
    WriteAliasFile(driver(), dir_.path());
  }
  void TearDown() override {
    principal_.reset();
    library_.reset();
    dac::SetDatabasesFile(u"");
  }

  dac::DriverKind driver() const { return GetParam(); }
  bool pg() const { return GetParam() == dac::DriverKind::PostgreSQL; }

  // The two data modules as the start-up makes them: the main window's
  // first, then the global one; the start-up then binds the login statements.
  void CreateModules() {
    principal_.reset(rtl::Create<integrador::TdtmPrincipal>(nullptr));
    library_.reset(rtl::Create<integrador::TGlobal_Library>(nullptr));
    principal_->SetLoginConnection(library_->DBXConnection);
  }
  integrador::TGlobal_Library& library() { return *library_; }
  integrador::TdtmPrincipal& principal() { return *principal_; }

  // The login's connect of DBXConnection (its set-up runs), then the copy of
  // its parameters into FDConnPrincipal, opened with no set-up.
  void Login(const rtl::String& company = u"17") {
    if (!library_) CreateModules();
    LoginParams(library().DBXConnection->Params(), driver(), company);
    library().DBXConnection->Open();
    principal().FDConnPrincipal->SetParams(library().DBXConnection->Params());
    principal().FDConnPrincipal->Open();
  }

  // A connection of the test's own on the same database, with no set-up.
  dac::TConnection& Connect() {
    extra_.push_back(std::make_unique<dac::TConnection>(nullptr));
    LoginParams(extra_.back()->Params(), driver(), u"");
    extra_.back()->Open();
    return *extra_.back();
  }

  testing_support::TempDir dir_;
  Owned<integrador::TdtmPrincipal> principal_;
  Owned<integrador::TGlobal_Library> library_;
  std::vector<std::unique_ptr<dac::TConnection>> extra_;
};

// The first column of the rows of `sql`, joined by ","; NULL shows as "null".
inline std::string Column(dac::TConnection& conn, const rtl::String& sql) {
  dac::TQuery q(nullptr);
  q.SetConnection(&conn);
  q.SQL().SetText(sql);
  q.Open();
  std::string out;
  for (q.First(); !q.Eof(); q.Next()) {
    if (!out.empty()) out += ",";
    db::TField* f = q.Fields()->Fields(0);
    out += f->IsNull() ? std::string("null") : rtl::StringToUtf8(f->AsString());
  }
  return out;
}

#define INSTANTIATE_FOR_DRIVERS(Suite)                                                   \
  INSTANTIATE_TEST_SUITE_P(Drivers, Suite,                                               \
                           testing::Values(dac::DriverKind::SQLite,                      \
                                           dac::DriverKind::PostgreSQL),                 \
                           ::app_test::DriverLabel)

}  // namespace app_test

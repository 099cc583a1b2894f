#pragma once
// Connections for tests that run once per driver: an embedded database in a
// folder of the test's own, or the process's own database on the suite's
// PostgreSQL server.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/dac/dac.h"
#include "platform/rtl/ustring.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/test_support.h"

namespace dac_test {

inline std::string DriverLabel(const testing::TestParamInfo<dac::DriverKind>& info) {
  return info.param == dac::DriverKind::SQLite ? "sqlite" : "postgres";
}

// Points a connection at the test's database for `driver`.
inline void Configure(dac::TConnection& conn, dac::DriverKind driver,
                      const std::filesystem::path& folder) {
  conn.Params().Clear();
  conn.Params().Add(u"DATABASE=TESTE");
  conn.Params().Add(u"USER_NAME=tester");
  conn.Params().Add(u"DEFAULT COMPANY=17");
  if (driver == dac::DriverKind::SQLite) {
    conn.SetDriverName(u"SQLite");
    conn.Params().Add(u"Directory=" + rtl::Utf8ToString(folder.string()));
  } else {
    conn.SetDriverName(u"PG");
    // Host, port, user and password file come from the server's environment.
    conn.Params().SetValues(u"USER_NAME", u"");
    conn.Params().Add(u"DbName=" + rtl::Utf8ToString(testing_support::PgTestDatabaseName()));
  }
}

class DriverTest : public testing::TestWithParam<dac::DriverKind> {
 protected:
  void SetUp() override {
    if (GetParam() == dac::DriverKind::PostgreSQL) REQUIRE_PG_TEST_DATABASE();
  }

  dac::DriverKind driver() const { return GetParam(); }
  bool pg() const { return GetParam() == dac::DriverKind::PostgreSQL; }

  // A new open connection owned by the test.
  dac::TConnection& Connect() {
    connections_.push_back(std::make_unique<dac::TConnection>(nullptr));
    dac::TConnection& conn = *connections_.back();
    Configure(conn, driver(), dir_.path());
    conn.Open();
    return conn;
  }

  std::unique_ptr<dac::TQuery> Query(dac::TConnection& conn, const rtl::String& sql) {
    auto q = std::make_unique<dac::TQuery>(nullptr);
    q->SetConnection(&conn);
    q->SQL().SetText(sql);
    return q;
  }

  // A fresh table of the test's own, in the engine's default schema.
  void CreateTable(dac::TConnection& conn, const rtl::String& name, const rtl::String& columns) {
    conn.ExecSQL(u"DROP TABLE IF EXISTS " + name);
    conn.ExecSQL(u"CREATE TABLE " + name + u" (" + columns + u")");
  }

  testing_support::TempDir dir_;
  std::vector<std::unique_ptr<dac::TConnection>> connections_;
};

#define INSTANTIATE_FOR_DRIVERS(Suite)                                                   \
  INSTANTIATE_TEST_SUITE_P(Drivers, Suite,                                               \
                           testing::Values(dac::DriverKind::SQLite,                      \
                                           dac::DriverKind::PostgreSQL),                 \
                           ::dac_test::DriverLabel)

}  // namespace dac_test

// The server engine's own behaviour: session settings, credentials kept out
// of messages, and a connection the server drops.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/db/db.h"
#include "tests/dac/driver_fixture.h"

namespace {

using rtl::String;

class PostgresEngine : public testing::Test {
 protected:
  void SetUp() override { REQUIRE_PG_TEST_DATABASE(); }
  std::unique_ptr<dac::TConnection> Connect() {
    auto conn = std::make_unique<dac::TConnection>(nullptr);
    dac_test::Configure(*conn, dac::DriverKind::PostgreSQL, {});
    conn->Open();
    return conn;
  }
  static String Text(dac::TConnection& conn, const String& sql) {
    dac::TQuery q(nullptr);
    q.SetConnection(&conn);
    q.SQL().SetText(sql);
    q.Open();
    return q.Fields()->Fields(0)->AsString();
  }
};

TEST_F(PostgresEngine, SessionRunsInTheProcessZoneWithIsoDates) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", ":America/Sao_Paulo", 1);
  tzset();
  auto conn = Connect();
  EXPECT_EQ(Text(*conn, u"show timezone"), u"America/Sao_Paulo");
  EXPECT_EQ(Text(*conn, u"show datestyle"), u"ISO, DMY");
  EXPECT_EQ(Text(*conn, u"select current_setting('application_name')"), u"integrador");
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST_F(PostgresEngine, RefusedLoginNeverShowsThePassword) {
  const String secret = u"SeCrEt-senha-99";
  dac::TConnection conn(nullptr);
  dac_test::Configure(conn, dac::DriverKind::PostgreSQL, {});
  conn.Params().SetValues(u"USER_NAME", rtl::Utf8ToString(std::getenv("PGUSER")));
  conn.Params().SetValues(u"PASSWORD", secret);
  try {
    conn.Open();
    FAIL() << "connected with a wrong password";
  } catch (const db::EDatabaseError& e) {
    std::string message = rtl::StringToUtf8(e.Message());
    EXPECT_NE(message.find("password authentication failed"), std::string::npos) << message;
    EXPECT_EQ(message.find(rtl::StringToUtf8(secret)), std::string::npos) << message;
  }
  EXPECT_FALSE(conn.Connected());
}

TEST_F(PostgresEngine, LostServerConnectionRaisesAndClosesTheConnection) {
  auto victim = Connect();
  auto killer = Connect();
  String pid = Text(*victim, u"select pg_backend_pid()");
  killer->ExecSQL(u"select pg_terminate_backend(CAST(:pid AS integer))", {rtl::Variant(pid)});
  try {
    victim->ExecSQL(u"select 1");
    FAIL() << "no error on a dropped connection";
  } catch (const db::EDatabaseError& e) {
    EXPECT_FALSE(e.Message().empty());
  }
  EXPECT_FALSE(victim->Connected());
  victim->Open();  // a new connect works again
  EXPECT_EQ(Text(*victim, u"select 1"), u"1");
}

TEST_F(PostgresEngine, LoginRoleReachesTheSchemaThroughItsGroupRole) {
  auto conn = Connect();
  conn->ExecSQL(u"SET ROLE vorna_user");
  EXPECT_EQ(Text(*conn, u"select nome from vorna_mat.integracao_api"), u"Quelora");
  EXPECT_NE(Text(*conn, u"select session_user"), u"vorna_user");
}

}  // namespace

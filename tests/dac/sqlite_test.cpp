// The embedded engine's own behaviour: the folder of files, the schema made
// on first connect, and the functions it registers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/db/db.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "tests/dac/driver_fixture.h"

namespace {

using rtl::String;

std::string utf8(const String& s) { return rtl::StringToUtf8(s); }

class SQLiteEngine : public testing::Test {
 protected:
  std::unique_ptr<dac::TConnection> Connect(bool demo = false, const std::filesystem::path* folder = nullptr) {
    auto conn = std::make_unique<dac::TConnection>(nullptr);
    dac_test::Configure(*conn, dac::DriverKind::SQLite, folder ? *folder : dir_.path());
    if (demo) conn->Params().Add(u"Demo=1");
    conn->Open();
    return conn;
  }
  static rtl::Variant Value(dac::TConnection& conn, const String& sql) {
    dac::TQuery q(nullptr);
    q.SetConnection(&conn);
    q.SQL().SetText(sql);
    q.Open();
    return q.Fields()->Fields(0)->Value();
  }
  testing_support::TempDir dir_;
};

TEST_F(SQLiteEngine, FirstConnectCreatesTheFilesWithSchemaAndSeedOnce) {
  {
    auto conn = Connect();
    EXPECT_EQ(VarToStr(Value(*conn, u"select nome from vorna_mat.integracao_api")), u"Quelora");
    EXPECT_EQ(Value(*conn, u"select versao from esquema").AsInteger(), 1);
  }
  for (const char* file : {"erp.db", "vorna_mat.db", "vorna_fis.db", "vorna_fro.db"})
    EXPECT_TRUE(std::filesystem::exists(dir_ / file)) << file;
  auto again = Connect();
  EXPECT_EQ(Value(*again, u"select count(*) from vorna_mat.integracao_api").AsInteger(), 1);
  EXPECT_EQ(Value(*again, u"select count(*) from esquema").AsInteger(), 1);
  for (const char16_t* schema : {u"main", u"vorna_mat", u"vorna_fis", u"vorna_fro"})
    EXPECT_EQ(VarToStr(Value(*again, u"PRAGMA " + String(schema) + u".journal_mode")), u"wal");
  EXPECT_EQ(Value(*again, u"PRAGMA foreign_keys").AsInteger(), 1);
}

TEST_F(SQLiteEngine, DemoDataComesOnlyWithANewDatabase) {
  testing_support::TempDir plain;
  std::filesystem::path plainPath = plain.path();
  Connect(false, &plainPath);
  auto noDemo = Connect(true, &plainPath);
  EXPECT_EQ(Value(*noDemo, u"select count(*) from vorna_fis.bem").AsInteger(), 0);
  auto demo = Connect(true);
  EXPECT_GT(Value(*demo, u"select count(*) from vorna_fis.bem").AsInteger(), 0);
}

TEST_F(SQLiteEngine, ToDateIsStrict) {
  auto conn = Connect();
  const String fmt = u"'dd/mm/yyyy hh24:mi:ss'";
  // ISO text, which the query reads as a date-time.
  EXPECT_EQ(VarToStr(Value(*conn, u"select typeof(to_date('27/06/2025 14:05:09', " + fmt + u"))")),
            u"text");
  EXPECT_DOUBLE_EQ(Value(*conn, u"select to_date('27/06/2025 14:05:09', " + fmt + u")").AsDateTime(),
                   rtl::EncodeDateTime(2025, 6, 27, 14, 5, 9, 0));
  EXPECT_TRUE(rtl::VarIsNull(Value(*conn, u"select to_date(null, " + fmt + u")")));
  for (const char16_t* bad : {u"31/02/2025 10:00:00", u"1/6/2025 10:00:00", u"27/06/2025",
                              u"27/06/2025 14:05:09x", u"abc"}) {
    SCOPED_TRACE(utf8(bad));
    EXPECT_THROW(Value(*conn, u"select to_date('" + String(bad) + u"', " + fmt + u")"),
                 db::EDatabaseError);
  }
}

TEST_F(SQLiteEngine, ServerClockReadsTheProgramClock) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", "America/Sao_Paulo", 1);
  tzset();
  {
    rtl::TestClockScope clock(1751034309000);  // 2025-06-27 14:25:09 UTC
    auto conn = Connect();
    dac::TQuery q(nullptr);
    q.SetConnection(conn.get());
    q.SQL().SetText(u"select vorna_sysdate() as hora_atual");
    q.Open();
    EXPECT_EQ(q.FieldByName(u"hora_atual")->DataType(), db::ftDateTime);
    EXPECT_DOUBLE_EQ(q.FieldByName(u"hora_atual")->AsDateTime(),
                     rtl::EncodeDateTime(2025, 6, 27, 11, 25, 9, 0));
    clock.Advance(60000);
    EXPECT_DOUBLE_EQ(Value(*conn, u"select vorna_sysdate()").AsDateTime(),
                     rtl::EncodeDateTime(2025, 6, 27, 11, 26, 9, 0));
    // Milliseconds are kept and never rounded up into the next second.
    clock.Advance(999);
    EXPECT_NEAR(Value(*conn, u"select vorna_sysdate()").AsDateTime(),
                rtl::EncodeDateTime(2025, 6, 27, 11, 26, 9, 999), 0.4 / rtl::MSecsPerDay);
  }
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST_F(SQLiteEngine, SessionFunctionsRecordTheSetUp) {
  auto conn = Connect();
  EXPECT_EQ(VarToStr(Value(*conn, u"select vorna_session_user()")), u"tester");
  conn->ExecSQL(u"select vorna_set_role('VORNA_USER')");
  conn->ExecSQL(u"select vorna_set_nls_parameters()");
  conn->ExecSQL(u"select vorna_set_empresa(:empresa)", {rtl::Variant(17.0)});
  EXPECT_EQ(VarToStr(Value(*conn, u"select vorna_empresa()")), u"17");
  conn->ExecSQL(u"select vorna_set_empresa(:empresa)", {rtl::Variant(String(u" 18 "))});
  EXPECT_EQ(VarToStr(Value(*conn, u"select vorna_empresa()")), u"18");
  try {
    conn->ExecSQL(u"select vorna_set_empresa(:empresa)", {rtl::Variant(String(u"ABC"))});
    ADD_FAILURE() << "ABC accepted";
  } catch (const db::EDatabaseError& e) {
    EXPECT_NE(utf8(e.Message()).find("invalid input syntax for type numeric"), std::string::npos);
  }
  EXPECT_EQ(VarToStr(Value(*conn, u"select vorna_session_log()")),
            u"set_role(VORNA_USER)\nset_nls_parameters()\nset_empresa(17)\nset_empresa(18)");
  // The session belongs to the connection: a new one starts clean.
  auto other = Connect();
  EXPECT_TRUE(rtl::VarIsNull(Value(*other, u"select vorna_empresa()")));
}

TEST_F(SQLiteEngine, ExpressionColumnsTakeTheTypeOfTheirValues) {
  auto conn = Connect();
  dac::TQuery q(nullptr);
  q.SetConnection(conn.get());
  q.SQL().SetText(u"select 1 as i, 1.5 as f, 'x' as s, datetime('2025-01-02 03:04:05') as d, "
                  u"null as n");
  q.Open();
  EXPECT_EQ(q.FieldByName(u"i")->DataType(), db::ftLargeint);
  EXPECT_EQ(q.FieldByName(u"f")->DataType(), db::ftFloat);
  EXPECT_EQ(q.FieldByName(u"s")->DataType(), db::ftWideString);
  EXPECT_EQ(q.FieldByName(u"d")->DataType(), db::ftDateTime);
  EXPECT_TRUE(q.FieldByName(u"n")->IsNull());
}

TEST_F(SQLiteEngine, MalformedStoredDateIsAnError) {
  auto conn = Connect();
  conn->ExecSQL(u"create table d (x TIMESTAMP)");
  conn->ExecSQL(u"insert into d values ('27/06/2025')");
  dac::TQuery q(nullptr);
  q.SetConnection(conn.get());
  q.SQL().SetText(u"select x from d");
  EXPECT_THROW(q.Open(), db::EDatabaseError);
}

}  // namespace

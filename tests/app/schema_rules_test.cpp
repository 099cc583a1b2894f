// Rules the database itself keeps for the integrator on both engines: one
// staging row per platform order, and a login session whose set-up the
// database refused is no session at all.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/db/db.h"
#include "platform/rtl/scoped.h"
#include "tests/app/app_db_fixture.h"
#include "tests/support/pg_test_db.h"

namespace {

using rtl::String;

class SchemaRules : public app_test::AppDbTest {};

// Two runs at once may both find an order not yet staged; the table is what
// keeps the second row out.
TEST_P(SchemaRules, ASecondRowWithTheSameOrderIdIsRefused) {
  dac::TConnection& conn = Connect();
  auto insert = [&](int key, const char16_t* orderId) {
    conn.ExecSQL(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, erro_integracao) "
                 u"values (:k, :o, 'Arquivado', 0)",
                 {rtl::Variant(key), rtl::Variant(String(orderId))});
  };
  // Rolled back: the server's database serves the other tests of the process.
  conn.StartTransaction();
  rtl::ScopeExit rollback([&] { conn.Rollback(); });
  insert(-870001, u"DUP-870001");
  insert(-870002, u"DUP-870002");  // another order is welcome
  try {
    insert(-870003, u"DUP-870001");
    ADD_FAILURE() << "a second row for order DUP-870001 was accepted";
  } catch (const db::EDatabaseError& e) {
    const std::string message = rtl::StringToUtf8(e.Message());
    EXPECT_NE(message.find(pg() ? "duplicate key" : "UNIQUE constraint failed"), std::string::npos) << message;
  }
}

// A set-up step the database refuses: the embedded engine is told to refuse
// one function of the login's set-up; on the server, its superuser takes the
// function away (the test role owns none of the ERP's functions).
class RefusedSetUp {
 public:
  explicit RefusedSetUp(bool pg) : pg_(pg) {
    if (pg_)
      superuser("alter function vorna.set_nls_parameters() rename to set_nls_parameters_gone");
    else
      sqlite3_auto_extension(reinterpret_cast<void (*)()>(&installAuthorizer));
  }
  ~RefusedSetUp() {
    try {
      Restore();
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
  RefusedSetUp(const RefusedSetUp&) = delete;
  RefusedSetUp& operator=(const RefusedSetUp&) = delete;

  void Restore() {
    if (std::exchange(restored_, true)) return;
    if (pg_)
      superuser("alter function vorna.set_nls_parameters_gone() rename to set_nls_parameters");
    else
      sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&installAuthorizer));
  }
  // What the database says about the refused statement.
  const char* Message() const { return pg_ ? "set_nls_parameters() does not exist" : "not authorized"; }

 private:
  // For a function call the engine passes its name as the second text.
  static int authorize(void*, int action, const char*, const char* name, const char*, const char*) {
    const bool refused = action == SQLITE_FUNCTION && name && std::string(name) == "vorna_set_nls_parameters";
    return refused ? SQLITE_DENY : SQLITE_OK;
  }
  static int installAuthorizer(sqlite3* db, const char**, const void*) {
    return sqlite3_set_authorizer(db, &authorize, nullptr);
  }
  static void superuser(const char* sql) {
    const char* host = std::getenv("PG_TEST_SUPERUSER_HOST");
    const char* port = std::getenv("PGPORT");
    if (!host || !port) throw std::runtime_error("no superuser socket named by the test server");
    const std::string info = std::string("host=") + host + " port=" + port +
                             " user=postgres dbname=" + testing_support::PgTestDatabaseName();
    std::unique_ptr<PGconn, void (*)(PGconn*)> conn(PQconnectdb(info.c_str()), &PQfinish);
    if (PQstatus(conn.get()) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(conn.get()));
    std::unique_ptr<PGresult, void (*)(PGresult*)> result(PQexec(conn.get(), sql), &PQclear);
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
      throw std::runtime_error(std::string(sql) + ": " + PQerrorMessage(conn.get()));
  }

  bool pg_;
  bool restored_ = false;
};

TEST_P(SchemaRules, ARefusedSetUpStatementFailsTheConnectWithItsError) {
  CreateModules();
  dac::TConnection& dbx = *library().DBXConnection;
  app_test::LoginParams(dbx.Params(), driver(), u"17");
  RefusedSetUp refused(pg());
  try {
    dbx.Open();
    ADD_FAILURE() << "the connect succeeded with a refused set-up";
  } catch (const db::EDatabaseError& e) {
    const std::string message = rtl::StringToUtf8(e.Message());
    EXPECT_NE(message.find(refused.Message()), std::string::npos) << message;
  }
  // No half-set-up session is left to run the program's statements on.
  EXPECT_FALSE(dbx.Connected());

  // Once the database accepts the set-up again, the same connection opens
  // with its whole set-up.
  refused.Restore();
  dbx.Open();
  EXPECT_TRUE(dbx.Connected());
  EXPECT_EQ(app_test::Column(dbx, pg() ? u"select current_setting('vorna.empresa', true)" : u"select vorna_empresa()"),
            "17");
}

INSTANTIATE_FOR_DRIVERS(SchemaRules);

}  // namespace

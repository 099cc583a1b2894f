// The staging table refuses the same over-long values on both engines (the
// run checks them first; the table is the last guard).
#include <gtest/gtest.h>

#include <string>

#include "tests/app/app_db_fixture.h"

namespace {

using rtl::String;

class SchemaLimits : public app_test::AppDbTest {};

TEST_P(SchemaLimits, TheStagingTableHasTheSameWidthsOnBothEngines) {
  dac::TConnection& conn = Connect();
  struct Case {
    const char* column;
    std::size_t width;
  };
  const Case cases[] = {{"order_id", 64}, {"placa", 20}, {"status_integracao", 20}, {"log_erro_integracao", 4000}};
  int key = 880000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    for (std::size_t length : {c.width, c.width + 1}) {
      ++key;
      std::string values = "'L-" + std::to_string(key) + "', 'Arquivado'";
      std::string columns = "order_id, status_integracao";
      const std::string text = std::string(length, 'x');
      if (std::string(c.column) == "order_id")
        values = "'" + text + "', 'Arquivado'";
      else if (std::string(c.column) == "status_integracao")
        values = "'L-" + std::to_string(key) + "', '" + text + "'";
      else {
        columns += std::string(", ") + c.column;
        values += ", '" + text + "'";
      }
      const String sql = rtl::Utf8ToString("insert into vorna_mat.quelora (id_quelora, " + columns +
                                           ", erro_integracao) values (" + std::to_string(-key) + ", " +
                                           values + ", 0)");
      // Each try is rolled back: the server's database serves the other
      // tests of the process.
      conn.StartTransaction();
      if (length == c.width) {
        EXPECT_NO_THROW(conn.ExecSQL(sql)) << length;
      } else {
        EXPECT_THROW(conn.ExecSQL(sql), rtl::Exception) << length;
      }
      conn.Rollback();
    }
  }
}

INSTANTIATE_FOR_DRIVERS(SchemaLimits);

}  // namespace

#pragma once
// A PostgreSQL database of this test process's own, copied from the template
// of the suite's private server (scripts/pg-test-server, started by the CTest
// fixture). The server's settings come from the file PG_TEST_ENV names; they
// are put into this process's environment, so libpq finds host, port, user
// and password file by itself.
#include <string>

namespace testing_support {

// The database's name ("vorna_test_<pid>_<random>"), created from "vorna_template" on
// the first call and dropped when the process ends; empty when there is no
// server (PgTestUnavailableReason says why).
const std::string& PgTestDatabaseName();
std::string PgTestUnavailableReason();
// One more database of this process's own, copied from the template anew on
// every call ("<PgTestDatabaseName>_<n>"), for a test that must find none of
// the rows earlier tests of the process left; dropped when the process ends.
// Empty without a server; raises std::runtime_error when the copy fails.
std::string PgTestFreshDatabase();
// The test login role's password, from the server's password file (for a
// login that must type one); empty without a server.
std::string PgTestPassword();
// A missing server fails the PostgreSQL tests instead of skipping them when
// CI or REQUIRE_POSTGRES=1 is set.
bool PgTestRequired();

}  // namespace testing_support

// Skips the current test (or fails it, see PgTestRequired) without a server.
#define REQUIRE_PG_TEST_DATABASE()                                                    \
  do {                                                                                \
    if (::testing_support::PgTestDatabaseName().empty()) {                            \
      if (::testing_support::PgTestRequired())                                        \
        FAIL() << ::testing_support::PgTestUnavailableReason();                       \
      else                                                                            \
        GTEST_SKIP() << ::testing_support::PgTestUnavailableReason();                 \
    }                                                                                 \
  } while (0)

#include "tests/support/pg_test_db.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>
#include <thread>

namespace testing_support {
namespace {

struct State {
  std::string name;
  std::string reason;
  bool hasTemplate = false;
  // Further copies made by PgTestFreshDatabase, dropped with the first.
  std::vector<std::string> fresh;
  ~State();
};

std::string run(PGconn* conn, const std::string& sql) {
  PGresult* r = PQexec(conn, sql.c_str());
  std::string error;
  if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
    error = PQresultErrorMessage(r);
  PQclear(r);
  return error;
}

PGconn* connectMaintenance(std::string& error) {
  const char* keys[] = {"dbname", "connect_timeout", nullptr};
  const char* values[] = {"postgres", "10", nullptr};
  PGconn* conn = PQconnectdbParams(keys, values, 0);
  if (PQstatus(conn) != CONNECTION_OK) {
    error = PQerrorMessage(conn);
    PQfinish(conn);
    return nullptr;
  }
  PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  return conn;
}

bool loadEnvironment(std::string& reason) {
  const char* file = std::getenv("PG_TEST_ENV");
  if (!file || !*file) {
    reason = "no PostgreSQL test server: PG_TEST_ENV is not set (run the tests through ctest)";
    return false;
  }
  std::ifstream in(file);
  if (!in) {
    reason = std::string("no PostgreSQL test server: cannot read ") + file;
    return false;
  }
  std::string line;
  int count = 0;
  while (std::getline(in, line)) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
    ++count;
  }
  if (count == 0) {
    reason = std::string("no PostgreSQL test server: ") + file + " is empty";
    return false;
  }
  return true;
}

// Drops `name` if it is there, then copies the template (or makes an empty
// database without one) under that name; the error, or empty.
std::string createDatabase(PGconn* conn, const std::string& name, bool fromTemplate) {
  run(conn, "DROP DATABASE IF EXISTS \"" + name + "\" WITH (FORCE)");
  const std::string create =
      "CREATE DATABASE \"" + name + "\"" + (fromTemplate ? " TEMPLATE vorna_template" : "");
  // Copying a template fails while another session is inside it; that is
  // only ever a moment.
  std::string error;
  for (int attempt = 0; attempt < 50; ++attempt) {
    error = run(conn, create);
    if (error.empty() || error.find("being accessed by other users") == std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return error;
}

State::~State() {
  if (name.empty()) return;
  std::string error;
  if (PGconn* conn = connectMaintenance(error)) {
    for (const std::string& copy : fresh) run(conn, "DROP DATABASE IF EXISTS \"" + copy + "\" WITH (FORCE)");
    run(conn, "DROP DATABASE IF EXISTS \"" + name + "\" WITH (FORCE)");
    PQfinish(conn);
  }
}

State& state() {
  static State s = [] {
    State st;
    if (!loadEnvironment(st.reason)) return st;
    std::string error;
    PGconn* conn = connectMaintenance(error);
    if (!conn) {
      st.reason = "no PostgreSQL test server: " + error;
      return st;
    }
    // The pid alone does not name one process: pids come back in a long
    // run, and a program that an earlier process of the same pid started
    // and left running would write into this process's copy. The random
    // part makes the name this process's only.
    std::random_device random;
    char nonce[9];
    std::snprintf(nonce, sizeof nonce, "%08x", static_cast<unsigned>(random()));
    std::string name = "vorna_test_" + std::to_string(getpid()) + "_" + nonce;
    PGresult* r = PQexec(conn, "SELECT 1 FROM pg_database WHERE datname = 'vorna_template'");
    st.hasTemplate = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1;
    PQclear(r);
    error = createDatabase(conn, name, st.hasTemplate);
    PQfinish(conn);
    if (!error.empty()) {
      st.reason = "cannot create the test database: " + error;
      return st;
    }
    st.name = name;
    return st;
  }();
  return s;
}

}  // namespace

const std::string& PgTestDatabaseName() { return state().name; }
std::string PgTestUnavailableReason() { return state().reason; }

std::string PgTestFreshDatabase() {
  State& st = state();
  if (st.name.empty()) return {};
  std::string error;
  PGconn* conn = connectMaintenance(error);
  if (!conn) throw std::runtime_error("no PostgreSQL test server: " + error);
  const std::string name = st.name + "_" + std::to_string(st.fresh.size() + 1);
  error = createDatabase(conn, name, st.hasTemplate);
  PQfinish(conn);
  if (!error.empty()) throw std::runtime_error("cannot create the test database " + name + ": " + error);
  st.fresh.push_back(name);
  return name;
}

std::string PgTestPassword() {
  if (PgTestDatabaseName().empty()) return {};
  const char* file = std::getenv("PGPASSFILE");
  const char* user = std::getenv("PGUSER");
  if (!file || !user) return {};
  std::ifstream in(file);
  std::string line;
  // host:port:database:user:password, the fields without escaped colons.
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const std::size_t colon = line.find(':', start);
      if (colon == std::string::npos) break;
      fields.push_back(line.substr(start, colon - start));
      start = colon + 1;
    }
    if (fields.size() == 4 && (fields[3] == user || fields[3] == "*")) return line.substr(start);
  }
  return {};
}

bool PgTestRequired() {
  const char* ci = std::getenv("CI");
  const char* req = std::getenv("REQUIRE_POSTGRES");
  return (ci && *ci) || (req && std::string(req) == "1");
}

}  // namespace testing_support

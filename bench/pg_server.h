#pragma once
// The PostgreSQL server a benchmark may use: the one whose settings file
// PG_TEST_ENV names, else whatever libpq's own PGHOST names. For figures,
// start a server with the durable defaults users run with:
//   scripts/pg-test-server start <build> --durable
//   PG_TEST_ENV=<build>/pg-bench/env <build>/bench/<name>
// The suite's own server (<build>/pg-test/env) trades durability for speed
// and serves only to see that a bench runs.
#include <libpq-fe.h>

#include <cstdlib>
#include <fstream>
#include <string>

inline bool pgAvailable() {
  static const bool ok = [] {
    if (const char* file = std::getenv("PG_TEST_ENV")) {
      std::ifstream in(file);
      std::string line;
      bool any = false;
      while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
        any = true;
      }
      return any;
    }
    return std::getenv("PGHOST") != nullptr;
  }();
  return ok;
}

// "durable" when the server commits as users' servers do (fsync,
// synchronous_commit and full_page_writes on), else the settings that make
// its commits cheaper: a label for the bench's report, since commit-bound
// ratios differ a lot between the two.
inline const std::string& pgDurability() {
  static const std::string label = [] {
    if (!pgAvailable()) return std::string("no server");
    const char* keys[] = {"dbname", nullptr};
    const char* values[] = {"postgres", nullptr};
    PGconn* c = PQconnectdbParams(keys, values, 0);
    std::string off;
    if (PQstatus(c) != CONNECTION_OK) {
      off = "server not reachable";
    } else {
      for (const char* setting : {"fsync", "synchronous_commit", "full_page_writes"}) {
        PGresult* r = PQexec(c, (std::string("SHOW ") + setting).c_str());
        const bool on = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1 &&
                        std::string(PQgetvalue(r, 0, 0)) == "on";
        PQclear(r);
        if (!on) off += std::string(off.empty() ? "" : ",") + setting + "=off";
      }
    }
    PQfinish(c);
    return off.empty() ? std::string("durable") : off;
  }();
  return label;
}

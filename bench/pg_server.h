#pragma once
// The PostgreSQL server a benchmark may use: the test suite's private server
// when PG_TEST_ENV names its settings file (scripts/pg-test-server start
// <build>), else whatever libpq's own PGHOST names.
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

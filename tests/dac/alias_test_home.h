// A folder of the test's own holding its databases.ini and, through
// XDG_DATA_HOME, the program's data; the variable is given back and no
// databases file stays chosen once the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/dac/dac.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

class AliasTestHome : public testing::Test {
 protected:
  void SetUp() override {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    savedXdg_ = xdg ? std::optional<std::string>(xdg) : std::nullopt;
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  }
  void TearDown() override {
    if (savedXdg_)
      setenv("XDG_DATA_HOME", savedXdg_->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
    dac::SetDatabasesFile(u"");
  }
  // Writes the folder's databases.ini; file_ names it.
  void WriteDatabasesFile(const std::string& text) {
    testing_support::WriteFile(dir_ / "databases.ini", text);
    file_ = rtl::Utf8ToString((dir_ / "databases.ini").string());
  }

  testing_support::TempDir dir_;
  rtl::String file_;
  std::optional<std::string> savedXdg_;
};

// A connection never makes a database the operator did not ask for: an
// alias missing from databases.ini, or an embedded database with one of its
// files gone, is an error instead of a new empty database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/ustring.h"
#include "tests/dac/alias_test_home.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using rtl::String;

class AliasSafety : public AliasTestHome {
 protected:
  void SetUp() override {
    AliasTestHome::SetUp();
    WriteDatabasesFile("[PRODUCAO]\nDriver=sqlite\nDirectory=" + (dir_ / "prod").string() + "\n");
    dac::SetDatabasesFile(file_);
  }
  // The message Open raises, or "" when it opens.
  static std::string OpenError(const String& alias) {
    dac::TConnection conn(nullptr);
    conn.Params().Add(u"DATABASE=" + alias);
    conn.Params().Add(u"USER_NAME=u");
    try {
      conn.Open();
    } catch (const db::EDatabaseError& e) {
      return rtl::StringToUtf8(e.Message());
    }
    return "";
  }
};

TEST_F(AliasSafety, AnAliasWithoutItsSectionIsAnErrorNamingAliasAndFile) {
  const std::string file = rtl::StringToUtf8(file_);
  EXPECT_EQ(OpenError(u"PRODUCAOO"), "Database alias 'PRODUCAOO' is not defined in " + file);
  EXPECT_FALSE(fs::exists(dir_ / "data" / "integrador" / "PRODUCAOO"));
  // The same when the file itself is gone.
  fs::remove(dir_ / "databases.ini");
  EXPECT_EQ(OpenError(u"PRODUCAO"), "Database alias 'PRODUCAO' is not defined in " + file);
  EXPECT_FALSE(fs::exists(dir_ / "prod" / "erp.db"));
}

TEST_F(AliasSafety, AnEmbeddedDatabaseIsMadeOnlyInAFolderWithNoneOfItsFiles) {
  ASSERT_EQ(OpenError(u"PRODUCAO"), "");  // an empty folder: made
  ASSERT_EQ(OpenError(u"PRODUCAO"), "");  // the whole set: opened
  for (const char* lost : {"vorna_mat.db", "erp.db", "vorna_fro.db"}) {
    SCOPED_TRACE(lost);
    const fs::path path = dir_ / "prod" / lost;
    const fs::path aside = dir_ / "aside.db";
    fs::rename(path, aside);
    const std::string error = OpenError(u"PRODUCAO");
    EXPECT_NE(error.find("is incomplete: " + std::string(lost) + " missing"), std::string::npos) << error;
    EXPECT_NE(error.find((dir_ / "prod").string()), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path)) << "made again empty";
    fs::rename(aside, path);
  }
  EXPECT_EQ(OpenError(u"PRODUCAO"), "");
}

}  // namespace

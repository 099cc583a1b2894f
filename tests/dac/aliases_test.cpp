#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/ustring.h"
#include "tests/dac/alias_test_home.h"
#include "tests/support/test_support.h"

namespace {

using rtl::String;

class Aliases : public AliasTestHome {
 protected:
  void SetUp() override {
    AliasTestHome::SetUp();
    WriteDatabasesFile("[PRODUCAO]\nDriver=sqlite\nDirectory=" + (dir_ / "prod").string() +
                       "\n\n[DEMO]\nDemo=1\n\n[HOMOLOG]\nDriver=postgresql\n"
                       "Host=127.0.0.1\nPort=5433\nDbName=erp\n\n[ODD]\nDriver=oracle\n\n"
                       "[Login]\nBanco=PRODUCAO\nEmpresa=17\nUsuario=VORNA$ADMIN\n"
                       "Senha=x\n");
  }
  String Path(const std::string& sub) { return rtl::Utf8ToString((dir_ / sub).string()); }
};

TEST_F(Aliases, SectionsNameDriverAndSettings) {
  dac::TDatabasesFile file(file_);
  dac::TDatabaseAlias prod = file.Alias(u"PRODUCAO");
  EXPECT_TRUE(prod.Listed);
  EXPECT_EQ(prod.Driver, dac::DriverKind::SQLite);
  EXPECT_EQ(prod.Directory, Path("prod"));

  dac::TDatabaseAlias demo = file.Alias(u"demo");
  EXPECT_EQ(demo.Driver, dac::DriverKind::SQLite);  // Driver= absent
  EXPECT_TRUE(demo.Demo);
  EXPECT_EQ(demo.Directory, Path("data/integrador/demo"));

  dac::TDatabaseAlias pg = file.Alias(u"HOMOLOG");
  EXPECT_EQ(pg.Driver, dac::DriverKind::PostgreSQL);
  EXPECT_EQ(pg.Host, u"127.0.0.1");
  EXPECT_EQ(pg.Port, u"5433");
  EXPECT_EQ(pg.DbName, u"erp");

  dac::TDatabaseAlias unlisted = file.Alias(u"OUTRA");
  EXPECT_FALSE(unlisted.Listed);
  EXPECT_EQ(unlisted.Driver, dac::DriverKind::SQLite);
  EXPECT_EQ(unlisted.Directory, Path("data/integrador/OUTRA"));

  EXPECT_THROW(file.Alias(u"ODD"), db::EDatabaseError);
  for (const char16_t* bad : {u"", u"..", u"a/b", u" X"}) EXPECT_THROW(file.Alias(bad), db::EDatabaseError);
}

TEST_F(Aliases, WithoutXdgDataHomeTheDefaultIsUnderHome) {
  unsetenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(dac::EmbeddedDatabaseDir(u"PRODUCAO"),
            rtl::Utf8ToString(std::string(home) + "/.local/share/integrador/PRODUCAO"));
}

TEST_F(Aliases, LoginSectionAndMissingFile) {
  dac::TLoginDefaults login = dac::TDatabasesFile(file_).Login();
  EXPECT_EQ(login.Banco, u"PRODUCAO");
  EXPECT_EQ(login.Empresa, u"17");
  EXPECT_EQ(login.Usuario, u"VORNA$ADMIN");
  EXPECT_EQ(login.Senha, u"x");
  dac::TDatabasesFile missing(Path("none.ini"));
  EXPECT_TRUE(missing.Login().Banco.empty());
  EXPECT_FALSE(missing.Alias(u"PRODUCAO").Listed);
}

TEST_F(Aliases, ConnectionResolvesItsDatabaseThroughTheFile) {
  dac::SetDatabasesFile(file_);
  dac::TConnection conn(nullptr);
  conn.Params().SetText(u"DATABASE=PRODUCAO\nUSER_NAME=u\nPASSWORD=p\nDEFAULT COMPANY=17\n");
  EXPECT_EQ(conn.Driver(), dac::DriverKind::SQLite);
  conn.Open();
  EXPECT_TRUE(std::filesystem::exists(dir_ / "prod" / "erp.db"));
  // The copy a worker takes carries every line, the company too.
  dac::TConnection copy(nullptr);
  copy.SetParams(conn.Params());
  EXPECT_EQ(copy.Params().Values(u"DEFAULT COMPANY"), u"17");
  copy.Open();
  EXPECT_TRUE(copy.Connected());
  dac::TConnection pg(nullptr);
  pg.Params().SetText(u"DATABASE=HOMOLOG\n");
  EXPECT_EQ(pg.Driver(), dac::DriverKind::PostgreSQL);
}

}  // namespace

#include "platform/dac/aliases.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "platform/dac/errors.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/ustring.h"

namespace dac {
namespace {

std::mutex& fileMutex() {
  static std::mutex m;
  return m;
}
String& currentFile() {
  static String file;
  return file;
}

// The alias becomes a folder name: nothing that leaves the data folder.
void checkAliasName(StringView name) {
  String trimmed = rtl::Trim(name);
  if (trimmed.empty()) RaiseDatabaseError(u"No database alias given");
  if (trimmed != name || name.find_first_of(u"/\\") != StringView::npos || name == u"." ||
      name == u"..")
    RaiseDatabaseError(u"Invalid database alias '" + String(name) + u"'");
  for (rtl::Char c : name)
    if (c < 0x20) RaiseDatabaseError(u"Invalid database alias '" + String(name) + u"'");
}

}  // namespace

TDatabasesFile::TDatabasesFile(const String& fileName) : fileName_(fileName) {}

TDatabaseAlias TDatabasesFile::Alias(StringView name) const {
  checkAliasName(name);
  TDatabaseAlias alias;
  alias.Name = String(name);
  std::error_code ec;
  bool exists = !fileName_.empty() &&
                std::filesystem::exists(std::filesystem::path(rtl::StringToUtf8(fileName_)), ec);
  if (exists) {
    rtl::TMemIniFile ini(fileName_);
    if (ini.SectionExists(name)) {
      alias.Listed = true;
      String driver = rtl::Trim(ini.ReadString(name, u"Driver", u"sqlite"));
      if (driver.empty() || rtl::SameText(driver, u"sqlite") || rtl::SameText(driver, u"sqlite3")) {
        alias.Driver = DriverKind::SQLite;
        alias.Directory = rtl::Trim(ini.ReadString(name, u"Directory", u""));
        alias.Demo = ini.ReadBool(name, u"Demo", false);
      } else if (rtl::SameText(driver, u"postgresql") || rtl::SameText(driver, u"postgres") ||
                 rtl::SameText(driver, u"pg")) {
        alias.Driver = DriverKind::PostgreSQL;
        alias.Host = rtl::Trim(ini.ReadString(name, u"Host", u""));
        alias.Port = rtl::Trim(ini.ReadString(name, u"Port", u""));
        alias.DbName = rtl::Trim(ini.ReadString(name, u"DbName", u""));
      } else {
        RaiseDatabaseError(u"Unknown driver '" + driver + u"' for database alias '" + String(name) +
                           u"'");
      }
    }
  }
  if (alias.Driver == DriverKind::SQLite && alias.Directory.empty())
    alias.Directory = EmbeddedDatabaseDir(name);
  return alias;
}

TLoginDefaults TDatabasesFile::Login() const {
  TLoginDefaults login;
  std::error_code ec;
  if (fileName_.empty() ||
      !std::filesystem::exists(std::filesystem::path(rtl::StringToUtf8(fileName_)), ec))
    return login;
  rtl::TMemIniFile ini(fileName_);
  login.Banco = ini.ReadString(u"Login", u"Banco", u"");
  login.Empresa = ini.ReadString(u"Login", u"Empresa", u"");
  login.Usuario = ini.ReadString(u"Login", u"Usuario", u"");
  login.Senha = ini.ReadString(u"Login", u"Senha", u"");
  return login;
}

String EmbeddedDatabaseDir(StringView alias) {
  checkAliasName(alias);
  std::filesystem::path base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : "/") / ".local" / "share";
  }
  return rtl::Utf8ToString((base / "integrador" / rtl::StringToUtf8(alias)).string());
}

void SetDatabasesFile(const String& fileName) {
  std::lock_guard lock(fileMutex());
  currentFile() = fileName;
}

String DatabasesFile() {
  std::lock_guard lock(fileMutex());
  return currentFile();
}

}  // namespace dac

#pragma once
// databases.ini: one section per alias naming its driver and settings, and
// the [Login] defaults the program reads. An alias with no section names the
// embedded database in the user's data folder.
#include "platform/dac/driver.h"
#include "platform/rtl/types.h"

namespace dac {

struct TDatabaseAlias {
  String Name;
  bool Listed = false;  // the file has a section for it
  DriverKind Driver = DriverKind::SQLite;
  String Directory;     // SQLite: Directory= or the default folder
  bool Demo = false;    // SQLite: Demo=1
  String Host, Port, DbName;  // PostgreSQL; empty ones come from libpq's environment
};

struct TLoginDefaults {
  String Banco, Empresa, Usuario, Senha;
};

class TDatabasesFile {
 public:
  // A missing file lists nothing (every alias is then embedded).
  explicit TDatabasesFile(const String& fileName);

  const String& FileName() const { return fileName_; }
  // EDatabaseError for an empty or unusable alias name, or an unknown Driver=.
  TDatabaseAlias Alias(StringView name) const;
  // The [Login] section; missing keys are empty.
  TLoginDefaults Login() const;

 private:
  String fileName_;
};

// $XDG_DATA_HOME/integrador/<ALIAS> (default ~/.local/share/integrador/<ALIAS>).
String EmbeddedDatabaseDir(StringView alias);

// The file connections resolve their "DATABASE" alias through; the program
// sets it once from its home folder. Empty: no file, every alias embedded.
void SetDatabasesFile(const String& fileName);
String DatabasesFile();

}  // namespace dac

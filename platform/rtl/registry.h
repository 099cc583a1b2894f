#pragma once
// TRegistry over files: each root key is a tree of keys and typed values
// kept in one readable text file under the registry folder
// ($XDG_CONFIG_HOME/integrador/registry by default). Key and value names
// compare without regard to case. Writes replace the file atomically; a
// damaged file raises ERegistryException and is never overwritten.
#include <filesystem>

#include "platform/rtl/encoding.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/object.h"
#include "platform/rtl/types.h"

namespace rtl {

class TStrings;

using HKEY = NativeUInt;
using REGSAM = Cardinal;
using DWORD = Cardinal;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_USERS = 0x80000003;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_EXECUTE = KEY_READ;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

enum class TRegDataType { rdUnknown = 0, rdString = 1, rdExpandString = 2, rdInteger = 3, rdBinary = 4 };
using enum TRegDataType;

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;
};

// The folder holding the root files. Tests point it at a temporary folder;
// an empty path restores the default.
void SetRegistryFolder(const std::filesystem::path& folder);
std::filesystem::path RegistryFolder();
// "HKEY_CURRENT_USER"...; empty for an unknown root.
String RootKeyName(HKEY root);

class TRegistry : public TObject {
  RTL_CLASS(TRegistry, TObject)

 public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  ~TRegistry() override;

  // Holds this root's changes in memory until the outermost EndWriteBatch,
  // which saves the root file once (a write otherwise rewrites and syncs the
  // whole file). Other accessors in this process see the changes at once.
  // EndWriteBatch raises ERegistryException when the file cannot be saved;
  // a batch still open when the accessor is freed is ended then. A batch
  // that only reads sees one state of the root, without a look at the file
  // at every access.
  void BeginWriteBatch();
  void EndWriteBatch();

  HKEY RootKey() const { return rootKey_; }
  // Closes the current key.
  void SetRootKey(HKEY value);
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM value) { access_ = value; }
  // Non-zero while a key is open.
  HKEY CurrentKey() const { return open_ ? currentHandle_ : 0; }
  // The open key's path from the root, as the caller spelled it.
  const String& CurrentPath() const { return currentPath_; }

  // A key starting with '\' is taken from the root, any other from the open
  // key (or the root when none is open). Returns false when the key is
  // missing and may not be created.
  bool OpenKey(StringView key, bool canCreate);
  bool OpenKeyReadOnly(StringView key);
  void CloseKey();
  // Creates the key (and missing parents) without opening it; raises
  // ERegistryException "Failed to create key %s" when it cannot.
  bool CreateKey(StringView key);
  // Deletes the key with all its subkeys and values.
  bool DeleteKey(StringView key);
  bool KeyExists(StringView key);
  bool HasSubKeys();
  void GetKeyNames(TStrings& strings);
  void GetKeyNames(TStrings* strings) { GetKeyNames(*strings); }

  // Values of the open key. The empty name is the key's default value.
  bool ValueExists(StringView name);
  bool DeleteValue(StringView name);
  void GetValueNames(TStrings& strings);
  void GetValueNames(TStrings* strings) { GetValueNames(*strings); }
  bool GetDataInfo(StringView name, TRegDataInfo& info);
  // Bytes of the value (UTF-16 with its terminating zero for strings), or
  // -1 when it does not exist.
  int GetDataSize(StringView name);
  TRegDataType GetDataType(StringView name);

  // ReadString gives '' for a missing value; the other readers raise
  // "Failed to get data for '%s'" then, and "Invalid data type for '%s'"
  // for a value of another type. Writers raise "Failed to set data for
  // '%s'" without an open key or write access.
  String ReadString(StringView name);
  void WriteString(StringView name, StringView value);
  void WriteExpandString(StringView name, StringView value);
  Integer ReadInteger(StringView name);
  void WriteInteger(StringView name, Integer value);
  bool ReadBool(StringView name);
  void WriteBool(StringView name, bool value);
  double ReadFloat(StringView name);
  void WriteFloat(StringView name, double value);
  TDateTime ReadDateTime(StringView name);
  void WriteDateTime(StringView name, TDateTime value);
  TDateTime ReadDate(StringView name) { return ReadDateTime(name); }
  void WriteDate(StringView name, TDateTime value) { WriteDateTime(name, value); }
  TDateTime ReadTime(StringView name) { return ReadDateTime(name); }
  void WriteTime(StringView name, TDateTime value) { WriteDateTime(name, value); }
  // Copies the value into `buffer` and returns its size (0 when missing);
  // raises "Invalid data type" when it is not binary or does not fit.
  int ReadBinaryData(StringView name, void* buffer, int bufSize);
  void WriteBinaryData(StringView name, const void* buffer, int bufSize);

 private:
  struct Target;
  bool resolve(StringView key, Target& target) const;
  void putData(StringView name, DWORD type, const Byte* data, std::size_t size);
  bool getData(StringView name, DWORD& type, TBytes& data);
  [[noreturn]] static void raise(const char16_t* message, StringView name);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  HKEY batchRoot_ = 0;
  int batchDepth_ = 0;
  REGSAM access_;
  bool open_ = false;
  HKEY currentHandle_ = 0;
  REGSAM currentAccess_ = 0;
  String currentPath_;
  std::vector<String> currentSegments_;
};

// An INI view of a registry key: sections are its subkeys, identifiers
// their values. Integers are stored as REG_DWORD when written as integers.
class TRegistryIniFile : public TCustomIniFile {
  RTL_CLASS(TRegistryIniFile, TCustomIniFile)

 public:
  explicit TRegistryIniFile(const String& fileName, REGSAM access = KEY_ALL_ACCESS,
                            HKEY root = HKEY_CURRENT_USER);
  ~TRegistryIniFile() override;

  TRegistry& RegIniFile() { return registry_; }

  String ReadString(StringView section, StringView ident, StringView defaultValue) override;
  void WriteString(StringView section, StringView ident, StringView value) override;
  Integer ReadInteger(StringView section, StringView ident, Integer defaultValue) override;
  void WriteInteger(StringView section, StringView ident, Integer value) override;
  bool SectionExists(StringView section) override;
  bool ValueExists(StringView section, StringView ident) override;
  void ReadSection(StringView section, TStrings& strings) override;
  void ReadSections(TStrings& strings) override;
  void ReadSectionValues(StringView section, TStrings& strings) override;
  void EraseSection(StringView section) override;
  void DeleteKey(StringView section, StringView ident) override;
  void UpdateFile() override {}
  using TCustomIniFile::ReadSection;
  using TCustomIniFile::ReadSections;
  using TCustomIniFile::ReadSectionValues;

 private:
  bool openSection(StringView section, bool canCreate);
  TRegistry registry_;
};

namespace detail {
// Parses a root file and writes it back in canonical form; raises
// ERegistryException when the text is damaged. For tests and fuzzing.
TBytes RegistryFileRoundTrip(const Byte* data, std::size_t size);
}  // namespace detail

}  // namespace rtl

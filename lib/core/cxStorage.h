#pragma once
// Storing object trees: TcxStorage walks an object (its name, property values
// and children) and hands what it finds to a writer, or rebuilds the object
// from a reader. The writers and readers keep the tree in the registry (a key
// per object), an INI file (a section per object) or a binary stream (a nested
// record per object). Stored layouts are read back by later runs, so the three
// layouts are file formats: change none of them.
#include <memory>
#include <unordered_map>
#include <vector>

#include "lib/core/dxCore.h"
#include "platform/rtl/except.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/variant.h"

namespace rtl {
class TStream;
class TRegistry;
class TMemIniFile;
class TComponent;
}  // namespace rtl

namespace core {

using rtl::TObject;
using rtl::Variant;

// A text that is not "True" or "False" where a Boolean was stored.
class EPropertyConvertError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
  const char* ClassName() const override { return "EPropertyConvertError"; }
};

// --- the interfaces of stored objects ----------------------------------------------
// Not reference counted: objects live by their owners.
class IcxStoredObject {
 public:
  static constexpr const char* IID = "{79A05009-CAC3-47E8-B454-F6F3D91F495D}";
  virtual String GetObjectName() = 0;
  // Adds the names to store; false asks for every published property as well.
  virtual bool GetProperties(rtl::TStrings* AProperties) = 0;
  virtual void GetPropertyValue(const String& AName, Variant& AValue) = 0;
  virtual void SetPropertyValue(const String& AName, const Variant& AValue) = 0;

 protected:
  ~IcxStoredObject() = default;
};

class IcxStoredParent {
 public:
  static constexpr const char* IID = "{6AF48CD0-3A0B-4BEC-AC88-5D323432A686}";
  // A child the storage has and the object lacks; nullptr when it cannot.
  virtual TObject* CreateChild(const String& AObjectName, const String& AClassName) = 0;
  virtual void DeleteChild(const String& AObjectName, TObject* AObject) = 0;
  // One line per child: its name (may be empty) with the child attached.
  virtual void GetChildren(rtl::TStringList* AChildren) = 0;

 protected:
  ~IcxStoredParent() = default;
};

// --- readers and writers -------------------------------------------------------------
class TcxCustomReader : public TObject {
  RTL_CLASS(TcxCustomReader, TObject)

 public:
  explicit TcxCustomReader(const String& AStorageName) : TcxCustomReader(AStorageName, nullptr) {}
  TcxCustomReader(const String& AStorageName, rtl::TStream* AStream);

  virtual bool CanRead() { return true; }
  virtual void BeginRead() {}
  virtual void EndRead() {}
  virtual void ReadProperties(const String& AObjectName, const String& AClassName,
                              rtl::TStrings* AProperties) {}
  virtual Variant ReadProperty(const String& AObjectName, const String& AClassName,
                               const String& AName);
  // Both lists are filled in the same order.
  virtual void ReadChildren(const String& AObjectName, const String& AClassName,
                            rtl::TStrings* AChildrenNames, rtl::TStrings* AChildrenClassNames) {}

  void SetStream(rtl::TStream* AStream);
  rtl::TStream* StorageStream() const { return FStorageStream; }
  const String& StorageName() const { return FStorageName; }
  int StorageVersion() const { return FStorageVersion; }

 protected:
  virtual void DoSetStream(rtl::TStream* AStream) { FStorageStream = AStream; }

  int FStorageVersion = 0;
  String FStorageName;
  rtl::TStream* FStorageStream = nullptr;
};

class TcxCustomWriter : public TObject {
  RTL_CLASS(TcxCustomWriter, TObject)

 public:
  TcxCustomWriter(const String& AStorageName, bool AReCreate)
      : TcxCustomWriter(AStorageName, AReCreate, nullptr) {}
  TcxCustomWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream);

  virtual bool CanWrite() { return true; }
  virtual void ClearObjectData(const String& AObjectName, const String& AClassName) {}
  virtual void BeginWrite() {}
  virtual void EndWrite() {}
  virtual void BeginWriteObject(const String& AObjectName, const String& AClassName) {}
  virtual void EndWriteObject(const String& AObjectName, const String& AClassName) {}
  virtual void WriteProperty(const String& AObjectName, const String& AClassName,
                             const String& AName, const Variant& AValue) {}

  void SetStream(rtl::TStream* AStream);
  rtl::TStream* StorageStream() const { return FStorageStream; }
  const String& StorageName() const { return FStorageName; }
  bool ReCreate() const { return FReCreate; }

 protected:
  virtual void DoSetStream(rtl::TStream* AStream) { FStorageStream = AStream; }

  bool FReCreate = false;
  String FStorageName;
  rtl::TStream* FStorageStream = nullptr;
};

// The class references the engine receives: the constructor of the class.
using TcxCustomReaderClass = std::unique_ptr<TcxCustomReader> (*)(const String& AStorageName,
                                                                  rtl::TStream* AStream);
using TcxCustomWriterClass = std::unique_ptr<TcxCustomWriter> (*)(const String& AStorageName,
                                                                  bool AReCreate,
                                                                  rtl::TStream* AStream);
template <class T>
TcxCustomReaderClass cxReaderClass() {
  return [](const String& name, rtl::TStream* stream) -> std::unique_ptr<TcxCustomReader> {
    return std::unique_ptr<TcxCustomReader>(rtl::Create<T>(name, stream));
  };
}
template <class T>
TcxCustomWriterClass cxWriterClass() {
  return [](const String& name, bool reCreate,
            rtl::TStream* stream) -> std::unique_ptr<TcxCustomWriter> {
    return std::unique_ptr<TcxCustomWriter>(rtl::Create<T>(name, reCreate, stream));
  };
}

enum class TcxStorageType { stIniFile, stRegistry, stStream };
TcxCustomReaderClass cxGetReaderClass(TcxStorageType AType);
TcxCustomWriterClass cxGetWriterClass(TcxStorageType AType);

// --- the engine ----------------------------------------------------------------------
enum class TcxStorageMode { smChildrenCreating, smChildrenDeleting, smSavePublishedClassProperties };
using TcxStorageModes = rtl::Set<TcxStorageMode, 3>;

class TcxStorage;
using TcxGetStorageModesEvent = rtl::Method<TcxStorageModes()>;
using TcxGetComponentByNameEvent = rtl::Method<rtl::TComponent*(const String& AName)>;
using TcxTestClassPropertyEvent = rtl::Method<bool(const String& AName, TObject* AObject)>;
using TcxGetUseInterfaceOnlyEvent = rtl::Method<bool()>;
// True: the failure is handled and restoring goes on with the next property.
using TcxSetStoredPropertyValueErrorEvent =
    rtl::Method<bool(TcxStorage* AStorage, const String& AName, const Variant& AValue)>;

class TcxStorage : public TObject {
  RTL_CLASS(TcxStorage, TObject)

 public:
  explicit TcxStorage(const String& AStorageName) : TcxStorage(AStorageName, nullptr) {}
  TcxStorage(const String& AStorageName, rtl::TStream* AStream);

  virtual void RestoreFrom(TObject* AObject, TcxCustomReaderClass AReaderClass);
  void RestoreFrom(TObject* AObject, TcxStorageType AType) {
    RestoreFrom(AObject, cxGetReaderClass(AType));
  }
  virtual void RestoreWithExistingReader(TObject* AObject, TcxCustomReader* AReader);
  virtual void StoreTo(TObject* AObject, TcxCustomWriterClass AWriterClass);
  void StoreTo(TObject* AObject, TcxStorageType AType) { StoreTo(AObject, cxGetWriterClass(AType)); }
  virtual void StoreWithExistingWriter(TObject* AObject, TcxCustomWriter* AWriter);

  TcxStorageModes Modes() const { return FModes; }
  void SetModes(TcxStorageModes AValue) { FModes = AValue; }
  const String& NamePrefix() const { return FNamePrefix; }
  void SetNamePrefix(const String& AValue) { FNamePrefix = AValue; }
  bool ReCreate() const { return FReCreate; }
  void SetReCreate(bool AValue) { FReCreate = AValue; }
  bool SaveComponentPropertiesByName() const { return FSaveComponentPropertiesByName; }
  void SetSaveComponentPropertiesByName(bool AValue) { FSaveComponentPropertiesByName = AValue; }
  TObject* StoredObject() const { return FStoredObject; }
  void SetStoredObject(TObject* AValue) { FStoredObject = AValue; }
  bool UseInterfaceOnly() const { return FUseInterfaceOnly; }
  void SetUseInterfaceOnly(bool AValue) { FUseInterfaceOnly = AValue; }
  const String& StorageName() const { return FStorageName; }

  TcxGetStorageModesEvent OnGetStorageModes;
  TcxGetComponentByNameEvent OnGetComponentByName;
  TcxTestClassPropertyEvent OnTestClassProperty;
  TcxGetUseInterfaceOnlyEvent OnGetUseInterfaceOnly;
  TcxSetStoredPropertyValueErrorEvent OnSetStoredPropertyValueError;

 protected:
  virtual void InternalRestoreFrom(TcxCustomReader* AReader, const String& AObjectName);
  virtual void InternalStoreTo(TcxCustomWriter* AWriter, const String& AObjectName);

  // The modes and the interface-only switch in effect (events first).
  TcxStorageModes GetModes();
  bool GetUseInterfaceOnly();
  // The object's own name in the storage; nullptr means the stored object.
  String GetObjectName(TObject* AObject);
  String GetFullName(const String& AObjectName);
  void GetProperties(rtl::TStrings* AProperties);
  // Names (completed) with the child objects attached.
  void GetChildren(rtl::TStringList* AChildren);
  Variant GetPropertyValue(const String& AName);
  void SetPropertyValue(const String& AName, const Variant& AValue);

 private:
  std::unique_ptr<TcxStorage> CreateChildStorage(const String& AParentFullName, TObject* AChild);
  // The property work with the stored object's interface looked up once per
  // object rather than once per property.
  Variant PropertyValueOf(IcxStoredObject* AStored, const String& AName);
  void SetPropertyValueOf(IcxStoredObject* AStored, const String& AName, const Variant& AValue);

  String FNamePrefix;
  TcxStorageModes FModes;
  String FObjectNamePrefix;
  bool FReCreate = true;
  String FStorageName;
  rtl::TStream* FStream = nullptr;
  TObject* FStoredObject = nullptr;
  bool FSaveComponentPropertiesByName = false;
  bool FUseInterfaceOnly = false;
};

// --- helpers of the formats ----------------------------------------------------------
String cxQuotedStr(StringView S, rtl::Char AQuote);
String cxDequotedStr(StringView S);
bool cxIsQuotedStr(StringView S, rtl::Char AQuote);
bool IsStringValue(StringView S);
// "TRUE"/"FALSE" in any case; anything else raises EPropertyConvertError.
bool StringToBoolean(StringView S);
// "Hex:" and the hexadecimal form of the whole stream; empty for none.
String StreamToString(rtl::TStream* AStream);
void StringToStream(StringView S, rtl::TStream* AStream);
rtl::NativeUInt GetRegistryKey(StringView AName);
rtl::NativeUInt FindRegistryKey(StringView APath);
String GenRegistryPath(StringView APath);
Variant DateTimeOrStr(StringView S);
// Parts before the last "/" go to AParents; the last is returned.
String ExtractObjectFullName(StringView AFullName, std::vector<String>& AParents);

// --- the registry --------------------------------------------------------------------
class TcxRegistryReader : public TcxCustomReader {
  RTL_CLASS(TcxRegistryReader, TcxCustomReader)

 public:
  TcxRegistryReader(const String& AStorageName, rtl::TStream* AStream);
  ~TcxRegistryReader() override;

  // One state of the registry for the whole restore.
  void BeginRead() override;
  void EndRead() override;

  void ReadProperties(const String& AObjectName, const String& AClassName,
                      rtl::TStrings* AProperties) override;
  Variant ReadProperty(const String& AObjectName, const String& AClassName,
                       const String& AName) override;
  void ReadChildren(const String& AObjectName, const String& AClassName,
                    rtl::TStrings* AChildrenNames, rtl::TStrings* AChildrenClassNames) override;

 private:
  std::unique_ptr<rtl::TRegistry> FRegistry;
  String FRootPath;
};

class TcxRegistryWriter : public TcxCustomWriter {
  RTL_CLASS(TcxRegistryWriter, TcxCustomWriter)

 public:
  TcxRegistryWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream);
  ~TcxRegistryWriter() override;

  void ClearObjectData(const String& AObjectName, const String& AClassName) override;
  // The whole store reaches the registry file once, at EndWrite.
  void BeginWrite() override;
  void EndWrite() override;
  void BeginWriteObject(const String& AObjectName, const String& AClassName) override;
  void EndWriteObject(const String& AObjectName, const String& AClassName) override;
  void WriteProperty(const String& AObjectName, const String& AClassName, const String& AName,
                     const Variant& AValue) override;

 private:
  void CheckRootKey();

  std::unique_ptr<rtl::TRegistry> FRegistry;
  String FRootPath;
  bool FRootKeyCreated = false;
  bool FRootKeyOpened = false;
  // The batch opened for the re-creating delete, closed by the first EndWrite
  // (or by the registry object) so that the delete and the store are saved once.
  bool FCreationBatch = false;
};

// --- INI files -----------------------------------------------------------------------
class TcxIniFileReader : public TcxCustomReader {
  RTL_CLASS(TcxIniFileReader, TcxCustomReader)

 public:
  TcxIniFileReader(const String& AStorageName, rtl::TStream* AStream);
  ~TcxIniFileReader() override;

  bool CanRead() override;
  void BeginRead() override;
  void ReadProperties(const String& AObjectName, const String& AClassName,
                      rtl::TStrings* AProperties) override;
  Variant ReadProperty(const String& AObjectName, const String& AClassName,
                       const String& AName) override;
  void ReadChildren(const String& AObjectName, const String& AClassName,
                    rtl::TStrings* AChildrenNames, rtl::TStrings* AChildrenClassNames) override;

  rtl::TMemIniFile* IniFile() const { return FIniFile.get(); }
  // The text of a quoted value as the storage version wrote it.
  static String DecodeString(StringView AQuotedText, int AVersion);

 private:
  void CheckSections();
  void LoadSection(const String& ASection);
  const String& SectionOf(const String& AObjectName, const String& AClassName);

  std::unique_ptr<rtl::TMemIniFile> FIniFile;
  bool FIndexed = false;
  std::vector<String> FPathList;  // upper-cased, with the trailing "/"
  std::vector<String> FObjectNameList;
  std::vector<String> FClassNameList;
  std::unordered_map<String, std::vector<int>> FChildrenByPath;
  // The keys and values of the last section asked for.
  String FSectionName;
  std::unordered_map<String, String> FSectionValues;  // by upper-cased key
  // The section name of the last object: its properties come one by one.
  String FLastObjectName, FLastClassName, FLastSection;
};

class TcxIniFileWriter : public TcxCustomWriter {
  RTL_CLASS(TcxIniFileWriter, TcxCustomWriter)

 public:
  TcxIniFileWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream);
  ~TcxIniFileWriter() override;

  void BeginWrite() override;
  void EndWrite() override;
  void ClearObjectData(const String& AObjectName, const String& AClassName) override;
  void BeginWriteObject(const String& AObjectName, const String& AClassName) override;
  void WriteProperty(const String& AObjectName, const String& AClassName, const String& AName,
                     const Variant& AValue) override;

  rtl::TMemIniFile* IniFile() const { return FIniFile.get(); }
  // "\" as "\\", CR LF (and a lone CR or LF) as "\n", tab as "\t", in quotes.
  static String EncodeString(StringView AText);

 private:
  const String& SectionOf(const String& AObjectName, const String& AClassName);

  std::unique_ptr<rtl::TMemIniFile> FIniFile;
  // The section name of the last object: its properties come one by one.
  String FLastObjectName, FLastClassName, FLastSection;
};

// --- binary streams ------------------------------------------------------------------
inline constexpr int cxBufferSize = 500000;

class TcxStreamPropertyData : public TObject {
  RTL_CLASS(TcxStreamPropertyData, TObject)

 public:
  TcxStreamPropertyData(const String& AName, const Variant& AValue) : FName(AName), FValue(AValue) {}
  TcxStreamPropertyData(String&& AName, Variant&& AValue) : FName(std::move(AName)), FValue(std::move(AValue)) {}
  // Records are held by value in their object; the base carries no state.
  TcxStreamPropertyData(TcxStreamPropertyData&& AOther) noexcept
      : TObject(), FName(std::move(AOther.FName)), FValue(std::move(AOther.FValue)) {}
  const String& Name() const { return FName; }
  const Variant& Value() const { return FValue; }

 private:
  String FName;
  Variant FValue;
};

class TcxStreamObjectData : public TObject {
  RTL_CLASS(TcxStreamObjectData, TObject)

 public:
  TcxStreamObjectData(const String& AName, const String& AClassName)
      : FClassName(AClassName), FName(AName) {}

  const String& Name() const { return FName; }
  const String& ObjectClassName() const { return FClassName; }
  int ChildCount() const { return static_cast<int>(FChildren.size()); }
  TcxStreamObjectData* Children(int AIndex) const { return FChildren[AIndex].get(); }
  int PropertyCount() const { return static_cast<int>(FProperties.size()); }
  // Valid until the next property is added.
  const TcxStreamPropertyData* Properties(int AIndex) const { return &FProperties[AIndex]; }
  TcxStreamObjectData* AddChild(const String& AName, const String& AClassName);
  void AddProperty(const String& AName, const Variant& AValue);
  void AddProperty(String&& AName, Variant&& AValue);
  void ReserveProperties(int ACount) { FProperties.reserve(static_cast<std::size_t>(ACount)); }
  void ReserveChildren(int ACount);
  // The first child with exactly this name.
  TcxStreamObjectData* FindChild(StringView AName) const;

 private:
  String FClassName;
  std::vector<std::unique_ptr<TcxStreamObjectData>> FChildren;
  String FName;
  // By value: an object's handful of records costs one allocation, not one each.
  std::vector<TcxStreamPropertyData> FProperties;
  // The first child of each name: paths are looked up once per object.
  std::unordered_map<String, int> FChildIndex;
};

// The byte form of one record tree. Reading checks every count and length
// against the bytes left and bounds the nesting; bad input raises EReadError.
rtl::TBytes cxWriteStreamObjectData(const TcxStreamObjectData& ARoot);
std::unique_ptr<TcxStreamObjectData> cxReadStreamObjectData(const rtl::Byte* AData,
                                                            std::size_t ASize);
inline constexpr int cxStreamMaxNesting = 200;

class TcxStreamReader : public TcxCustomReader {
  RTL_CLASS(TcxStreamReader, TcxCustomReader)

 public:
  TcxStreamReader(const String& AStorageName, rtl::TStream* AStream);
  ~TcxStreamReader() override;

  bool CanRead() override;
  void BeginRead() override;
  void ReadProperties(const String& AObjectName, const String& AClassName,
                      rtl::TStrings* AProperties) override;
  Variant ReadProperty(const String& AObjectName, const String& AClassName,
                       const String& AName) override;
  void ReadChildren(const String& AObjectName, const String& AClassName,
                    rtl::TStrings* AChildrenNames, rtl::TStrings* AChildrenClassNames) override;

  TcxStreamObjectData* RootObject() const { return FRootObject.get(); }

 private:
  TcxStreamObjectData* FindObject(const String& AObjectName);

  TcxStreamObjectData* FCurrentObject = nullptr;
  String FCurrentObjectFullName;
  bool FHasCurrentObject = false;
  std::unique_ptr<TcxStreamObjectData> FRootObject;
};

class TcxStreamWriter : public TcxCustomWriter {
  RTL_CLASS(TcxStreamWriter, TcxCustomWriter)

 public:
  TcxStreamWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream);
  ~TcxStreamWriter() override;

  bool CanWrite() override;
  void EndWrite() override;
  void BeginWriteObject(const String& AObjectName, const String& AClassName) override;
  void WriteProperty(const String& AObjectName, const String& AClassName, const String& AName,
                     const Variant& AValue) override;

  TcxStreamObjectData* RootObject() const { return FRootObject.get(); }

 private:
  TcxStreamObjectData* FCurrentObject = nullptr;
  std::unique_ptr<TcxStreamObjectData> FRootObject;
};

}  // namespace core

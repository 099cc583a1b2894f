#include "lib/core/cxStorage.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

#include "lib/core/cxLibraryStrs.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"

namespace core {

using rtl::Int64;
using rtl::PropInfo;
using rtl::TTypeKind;

// --- readers and writers: the bases --------------------------------------------------

TcxCustomReader::TcxCustomReader(const String& AStorageName, rtl::TStream* AStream)
    : FStorageName(AStorageName) {
  SetStream(AStream);
}

Variant TcxCustomReader::ReadProperty(const String&, const String&, const String&) {
  return rtl::Null();
}

void TcxCustomReader::SetStream(rtl::TStream* AStream) {
  if (AStream != FStorageStream) DoSetStream(AStream);
}

TcxCustomWriter::TcxCustomWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream)
    : FReCreate(AReCreate), FStorageName(AStorageName) {
  SetStream(AStream);
}

void TcxCustomWriter::SetStream(rtl::TStream* AStream) {
  if (AStream != FStorageStream) DoSetStream(AStream);
}

TcxCustomReaderClass cxGetReaderClass(TcxStorageType AType) {
  switch (AType) {
    case TcxStorageType::stIniFile: return cxReaderClass<TcxIniFileReader>();
    case TcxStorageType::stRegistry: return cxReaderClass<TcxRegistryReader>();
    case TcxStorageType::stStream: return cxReaderClass<TcxStreamReader>();
  }
  return nullptr;
}

TcxCustomWriterClass cxGetWriterClass(TcxStorageType AType) {
  switch (AType) {
    case TcxStorageType::stIniFile: return cxWriterClass<TcxIniFileWriter>();
    case TcxStorageType::stRegistry: return cxWriterClass<TcxRegistryWriter>();
    case TcxStorageType::stStream: return cxWriterClass<TcxStreamWriter>();
  }
  return nullptr;
}

// --- the engine ----------------------------------------------------------------------

namespace {

// Runs the closing call of a read or write however the block ends. A closing
// call that fails while another error is already on its way is dropped, so
// the first error reaches the caller.
template <class Fn>
class Closing {
 public:
  explicit Closing(Fn fn) : fn_(std::move(fn)), unwinding_(std::uncaught_exceptions()) {}
  ~Closing() noexcept(false) {
    if (std::uncaught_exceptions() > unwinding_) {
      try {
        fn_();
      } catch (...) {
      }
    } else {
      fn_();
    }
  }
  Closing(const Closing&) = delete;
  Closing& operator=(const Closing&) = delete;

 private:
  Fn fn_;
  int unwinding_;
};

IcxStoredObject* storedObjectOf(TObject* AObject) { return rtl::Supports<IcxStoredObject>(AObject); }
IcxStoredParent* storedParentOf(TObject* AObject) { return rtl::Supports<IcxStoredParent>(AObject); }

bool isPlainCollection(TObject* AObject) {
  return AObject && AObject->Is<rtl::TCollection>() && !storedParentOf(AObject);
}

// The class name lives in the class's own record: no copy per object.
const String& classNameOf(TObject* AObject) {
  static const String none;
  return AObject ? AObject->ClassName() : none;
}

// A collection item's name is its index; anything else sorts first.
int numericName(const String& AName) {
  int value;
  return rtl::TryStrToInt(AName, value) ? value : -1;
}

}  // namespace

TcxStorage::TcxStorage(const String& AStorageName, rtl::TStream* AStream)
    : FStorageName(AStorageName), FStream(AStream) {}

void TcxStorage::RestoreFrom(TObject* AObject, TcxCustomReaderClass AReaderClass) {
  if (!AReaderClass) return;
  std::unique_ptr<TcxCustomReader> reader = AReaderClass(FStorageName, FStream);
  RestoreWithExistingReader(AObject, reader.get());
}

void TcxStorage::RestoreWithExistingReader(TObject* AObject, TcxCustomReader* AReader) {
  if (!AReader || !AReader->CanRead()) return;
  FStoredObject = AObject;
  AReader->BeginRead();
  const Closing end([AReader] { AReader->EndRead(); });
  InternalRestoreFrom(AReader, String());
}

void TcxStorage::StoreTo(TObject* AObject, TcxCustomWriterClass AWriterClass) {
  if (!AWriterClass) return;
  std::unique_ptr<TcxCustomWriter> writer = AWriterClass(FStorageName, FReCreate, FStream);
  StoreWithExistingWriter(AObject, writer.get());
}

void TcxStorage::StoreWithExistingWriter(TObject* AObject, TcxCustomWriter* AWriter) {
  if (!AWriter || !AWriter->CanWrite()) return;
  FStoredObject = AObject;
  AWriter->BeginWrite();
  const Closing end([AWriter] { AWriter->EndWrite(); });
  AWriter->ClearObjectData(GetFullName(String()), FStoredObject ? FStoredObject->ClassName() : String());
  InternalStoreTo(AWriter, String());
}

TcxStorageModes TcxStorage::GetModes() {
  return OnGetStorageModes ? OnGetStorageModes() : FModes;
}

bool TcxStorage::GetUseInterfaceOnly() {
  return OnGetUseInterfaceOnly ? OnGetUseInterfaceOnly() : FUseInterfaceOnly;
}

String TcxStorage::GetObjectName(TObject* AObject) {
  if (!AObject) AObject = FStoredObject;
  if (IcxStoredObject* stored = storedObjectOf(AObject)) return stored->GetObjectName();
  if (auto* component = dynamic_cast<rtl::TComponent*>(AObject)) return component->Name();
  return u"Object";
}

String TcxStorage::GetFullName(const String& AObjectName) {
  String name = AObjectName.empty() ? GetObjectName(nullptr) : AObjectName;
  if (!FNamePrefix.empty()) name = FNamePrefix + u"." + name;
  return FObjectNamePrefix + name;
}

void TcxStorage::GetProperties(rtl::TStrings* AProperties) {
  IcxStoredObject* stored = storedObjectOf(FStoredObject);
  if (stored && stored->GetProperties(AProperties)) return;
  if (!FStoredObject) return;
  for (const PropInfo* prop : rtl::GetPropList(FStoredObject, rtl::tkProperties))
    AProperties->Add(prop->Name);
}

void TcxStorage::GetChildren(rtl::TStringList* AChildren) {
  if (IcxStoredParent* parent = storedParentOf(FStoredObject)) parent->GetChildren(AChildren);
  if (FStoredObject && GetModes().contains(TcxStorageMode::smSavePublishedClassProperties)) {
    if (isPlainCollection(FStoredObject)) {
      auto* collection = static_cast<rtl::TCollection*>(FStoredObject);
      for (int i = 0; i < collection->Count(); ++i)
        AChildren->AddObject(rtl::IntToStr(i), collection->Items(i));
    }
    for (const PropInfo* prop : rtl::GetPropList(FStoredObject, {TTypeKind::tkClass})) {
      TObject* value = rtl::GetObjectProp(FStoredObject, prop);
      if (value && (!OnTestClassProperty || OnTestClassProperty(prop->Name, value)))
        AChildren->AddObject(prop->Name, value);
    }
  }
  for (int i = 0; i < AChildren->Count(); ++i) {
    if (AChildren->Strings(i).empty())
      AChildren->SetStrings(i, GetObjectName(AChildren->Objects(i)));
  }
}

Variant TcxStorage::GetPropertyValue(const String& AName) {
  return PropertyValueOf(storedObjectOf(FStoredObject), AName);
}

Variant TcxStorage::PropertyValueOf(IcxStoredObject* stored, const String& AName) {
  Variant result = rtl::Null();
  auto viaInterface = [&] {
    if (stored) stored->GetPropertyValue(AName, result);
  };
  const PropInfo* prop = FStoredObject ? rtl::GetPropInfo(FStoredObject, AName) : nullptr;
  if (GetUseInterfaceOnly() || !prop) {
    viaInterface();
  } else {
    switch (prop->Kind) {
      case TTypeKind::tkInteger:
      case TTypeKind::tkChar:
      case TTypeKind::tkWChar:
        result = static_cast<int>(rtl::GetOrdProp(FStoredObject, prop));
        break;
      case TTypeKind::tkEnumeration: result = rtl::GetEnumProp(FStoredObject, prop); break;
      case TTypeKind::tkFloat: result = rtl::GetFloatProp(FStoredObject, prop); break;
      case TTypeKind::tkString:
      case TTypeKind::tkLString:
      case TTypeKind::tkUString:
      case TTypeKind::tkWString: result = rtl::GetStrProp(FStoredObject, prop); break;
      case TTypeKind::tkSet: result = rtl::GetSetProp(FStoredObject, prop, true); break;
      case TTypeKind::tkVariant: result = rtl::GetVariantProp(FStoredObject, prop); break;
      case TTypeKind::tkInt64: result = rtl::GetInt64Prop(FStoredObject, prop); break;
      case TTypeKind::tkClass:
        if (FSaveComponentPropertiesByName) {
          TObject* value = rtl::GetObjectProp(FStoredObject, prop);
          if (auto* component = dynamic_cast<rtl::TComponent*>(value)) result = component->Name();
        } else {
          viaInterface();
        }
        break;
      default: viaInterface(); break;
    }
  }
  if (rtl::VarType(result) == rtl::varBoolean)
    result = String(result.AsBoolean() ? u"True" : u"False");
  return result;
}

void TcxStorage::SetPropertyValue(const String& AName, const Variant& AValue) {
  SetPropertyValueOf(storedObjectOf(FStoredObject), AName, AValue);
}

void TcxStorage::SetPropertyValueOf(IcxStoredObject* stored, const String& AName, const Variant& AValue) {
  if (rtl::VarIsNull(AValue)) return;
  auto viaInterface = [&] {
    if (stored) stored->SetPropertyValue(AName, AValue);
  };
  const PropInfo* prop = FStoredObject ? rtl::GetPropInfo(FStoredObject, AName) : nullptr;
  if (GetUseInterfaceOnly() || !prop) {
    viaInterface();
    return;
  }
  TObject* obj = FStoredObject;
  switch (prop->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar: rtl::SetOrdProp(obj, prop, AValue.AsInteger()); break;
    case TTypeKind::tkEnumeration: rtl::SetEnumProp(obj, prop, rtl::VarToStr(AValue)); break;
    case TTypeKind::tkFloat: rtl::SetFloatProp(obj, prop, AValue.AsDouble()); break;
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkUString:
    case TTypeKind::tkWString: rtl::SetStrProp(obj, prop, rtl::VarToStr(AValue)); break;
    case TTypeKind::tkSet: rtl::SetSetProp(obj, prop, rtl::VarToStr(AValue)); break;
    case TTypeKind::tkVariant: rtl::SetVariantProp(obj, prop, AValue); break;
    case TTypeKind::tkInt64: rtl::SetInt64Prop(obj, prop, AValue.AsInt64()); break;
    case TTypeKind::tkClass: {
      const rtl::ClassInfo* propClass = rtl::GetObjectPropClass(prop);
      if (FSaveComponentPropertiesByName && rtl::VarIsStr(AValue) && propClass &&
          propClass->InheritsFrom(rtl::TComponent::classInfo())) {
        if (OnGetComponentByName) {
          if (rtl::TComponent* component = OnGetComponentByName(rtl::VarToStr(AValue)))
            rtl::SetObjectProp(obj, prop, component);
        }
      } else {
        viaInterface();
      }
      break;
    }
    default: viaInterface(); break;
  }
}

std::unique_ptr<TcxStorage> TcxStorage::CreateChildStorage(const String& AParentFullName,
                                                           TObject* AChild) {
  auto child = std::unique_ptr<TcxStorage>(rtl::Create<TcxStorage>(FStorageName, FStream));
  child->FObjectNamePrefix = AParentFullName + u"/";
  child->FStoredObject = AChild;
  child->OnTestClassProperty = OnTestClassProperty;
  child->OnGetComponentByName = OnGetComponentByName;
  child->FModes = FModes;
  child->FSaveComponentPropertiesByName = FSaveComponentPropertiesByName;
  return child;
}

void TcxStorage::InternalStoreTo(TcxCustomWriter* AWriter, const String& AObjectName) {
  const String fullName = GetFullName(AObjectName);
  const String& className = classNameOf(FStoredObject);
  AWriter->BeginWriteObject(fullName, className);
  rtl::TStringList names;
  GetProperties(&names);
  IcxStoredObject* stored = storedObjectOf(FStoredObject);
  for (int i = 0; i < names.Count(); ++i) {
    Variant value = PropertyValueOf(stored, names[i]);
    if (rtl::VarIsEmpty(value) || rtl::VarIsNull(value)) continue;
    AWriter->WriteProperty(fullName, className, names[i], value);
  }
  rtl::TStringList children;
  GetChildren(&children);
  for (int i = 0; i < children.Count(); ++i) {
    CreateChildStorage(fullName, children.Objects(i))->InternalStoreTo(AWriter, children[i]);
  }
  AWriter->EndWriteObject(fullName, className);
}

void TcxStorage::InternalRestoreFrom(TcxCustomReader* AReader, const String& AObjectName) {
  const String fullName = GetFullName(AObjectName);
  const String& className = classNameOf(FStoredObject);
  rtl::TStringList names;
  AReader->ReadProperties(fullName, className, &names);
  IcxStoredObject* storedObject = storedObjectOf(FStoredObject);
  for (int i = 0; i < names.Count(); ++i) {
    const String& name = names[i];
    if (name.empty()) continue;
    Variant value = AReader->ReadProperty(fullName, className, name);
    if (rtl::VarIsNull(value)) continue;
    try {
      SetPropertyValueOf(storedObject, name, value);
    } catch (const rtl::EAbort&) {
      throw;
    } catch (const rtl::Exception&) {
      if (!OnSetStoredPropertyValueError || !OnSetStoredPropertyValueError(this, name, value)) throw;
    }
  }

  rtl::TStringList storedNames, storedClasses;
  AReader->ReadChildren(fullName, className, &storedNames, &storedClasses);
  const int storedCount = std::min(storedNames.Count(), storedClasses.Count());
  std::vector<std::pair<String, String>> stored;
  stored.reserve(storedCount);
  for (int i = 0; i < storedCount; ++i) stored.emplace_back(storedNames[i], storedClasses[i]);
  if (isPlainCollection(FStoredObject)) {
    std::stable_sort(stored.begin(), stored.end(), [](const auto& a, const auto& b) {
      return numericName(a.first) < numericName(b.first);
    });
  }

  // The current children by folded name: a layout of thousands of items
  // would otherwise be matched in quadratic time.
  rtl::TStringList current;
  GetChildren(&current);
  std::vector<bool> matched(static_cast<std::size_t>(current.Count()), false);
  std::unordered_multimap<String, int> byName;
  byName.reserve(static_cast<std::size_t>(current.Count()));
  for (int i = current.Count() - 1; i >= 0; --i) byName.emplace(rtl::AnsiUpperCase(current[i]), i);
  auto takeCurrent = [&](const String& name) -> TObject* {
    auto range = byName.equal_range(rtl::AnsiUpperCase(name));
    int first = -1;
    for (auto it = range.first; it != range.second; ++it) {
      if (!matched[it->second] && (first < 0 || it->second < first)) first = it->second;
    }
    if (first < 0) return nullptr;
    matched[first] = true;
    return current.Objects(first);
  };

  const TcxStorageModes modes = GetModes();
  for (const auto& entry : stored) {
    const String& childName = entry.first;
    const String& childClass = entry.second;
    TObject* child = takeCurrent(childName);
    if (!child && modes.contains(TcxStorageMode::smChildrenCreating)) {
      if (IcxStoredParent* parent = storedParentOf(FStoredObject))
        child = parent->CreateChild(childName, childClass);
      else if (isPlainCollection(FStoredObject))
        child = static_cast<rtl::TCollection*>(FStoredObject)->Add();
    }
    if (!child) continue;
    auto storage = CreateChildStorage(fullName, child);
    storage->OnSetStoredPropertyValueError = OnSetStoredPropertyValueError;
    storage->InternalRestoreFrom(AReader, childName);
  }

  if (modes.contains(TcxStorageMode::smChildrenDeleting)) {
    for (int i = 0; i < current.Count(); ++i) {
      if (matched[i]) continue;
      if (IcxStoredParent* parent = storedParentOf(FStoredObject))
        parent->DeleteChild(current[i], current.Objects(i));
      else if (isPlainCollection(FStoredObject))
        current.Objects(i)->Free();
    }
  }
}

// --- helpers -------------------------------------------------------------------------

String cxQuotedStr(StringView S, rtl::Char AQuote) {
  String result;
  result.reserve(S.size() + 2);
  result.push_back(AQuote);
  result.append(S);
  result.push_back(AQuote);
  return result;
}

String cxDequotedStr(StringView S) {
  if (S.size() < 2) return String();
  return String(S.substr(1, S.size() - 2));
}

bool cxIsQuotedStr(StringView S, rtl::Char AQuote) {
  return S.size() > 1 && S.front() == AQuote && S.back() == AQuote;
}

bool IsStringValue(StringView S) { return cxIsQuotedStr(S, u'"'); }

bool StringToBoolean(StringView S) {
  if (rtl::SameText(S, u"TRUE")) return true;
  if (rtl::SameText(S, u"FALSE")) return false;
  throw EPropertyConvertError(String());
}

String StreamToString(rtl::TStream* AStream) {
  if (!AStream || AStream->Size() == 0) return String();
  const Int64 size = AStream->Size();
  rtl::TBytes bytes(static_cast<std::size_t>(size));
  AStream->SetPosition(0);
  AStream->ReadBuffer(bytes.data(), size);
  return u"Hex:" + dxBinToHex(bytes.data(), static_cast<int>(bytes.size()));
}

void StringToStream(StringView S, rtl::TStream* AStream) {
  if (!AStream || S.size() <= 5) return;
  const AnsiString bytes = dxHexToBin(S.substr(4));
  if (!bytes.empty()) AStream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

namespace {
constexpr const char16_t* kKeyMap[] = {u"HKCR", u"HKCU", u"HKLM", u"HKU", u"HKPD", u"HKCC", u"HKDD"};
}

rtl::NativeUInt GetRegistryKey(StringView AName) {
  for (std::size_t i = 0; i < std::size(kKeyMap); ++i) {
    if (AName == kKeyMap[i]) return rtl::HKEY_CLASSES_ROOT + i;
  }
  return 0;
}

rtl::NativeUInt FindRegistryKey(StringView APath) {
  const auto at = APath.find(u'\\');
  return at == StringView::npos ? 0 : GetRegistryKey(APath.substr(0, at));
}

String GenRegistryPath(StringView APath) {
  if (APath.empty()) return String();
  if (APath.front() == u'\\') return String(APath);
  const auto at = APath.find(u'\\');
  if (at != StringView::npos && GetRegistryKey(APath.substr(0, at)) != 0)
    return String(APath.substr(at));
  return u"\\" + String(APath);
}

Variant DateTimeOrStr(StringView S) {
  rtl::TDateTime value;
  if (rtl::TryStrToDateTime(S, value)) return rtl::VarFromDateTime(value);
  return Variant(S);
}

String ExtractObjectFullName(StringView AFullName, std::vector<String>& AParents) {
  std::size_t start = 0;
  for (;;) {
    const auto at = AFullName.find(u'/', start);
    if (at == StringView::npos) return String(AFullName.substr(start));
    AParents.emplace_back(AFullName.substr(start, at - start));
    start = at + 1;
  }
}

}  // namespace core

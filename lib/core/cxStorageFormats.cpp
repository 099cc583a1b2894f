// The registry, INI and stream readers and writers of the storage engine.
#include <cstring>
#include <filesystem>
#include <limits>

#include "lib/core/cxLibraryStrs.h"
#include "lib/core/cxStorage.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/format.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"

namespace core {

using rtl::Byte;
using rtl::Int64;
using rtl::TVarType;

namespace {

[[noreturn]] void raiseRegistry(TcxResourceStringID AText, const String& AName) {
  throw rtl::ERegistryException(rtl::Format(cxGetResourceString(AText), {AName}));
}

[[noreturn]] void raiseRange() { throw rtl::ERangeError(u"Range check error"); }

bool isIntegerType(TVarType t) {
  switch (t) {
    case rtl::varShortInt: case rtl::varByte: case rtl::varSmallint: case rtl::varWord:
    case rtl::varInteger: case rtl::varLongWord: case rtl::varInt64: case rtl::varUInt64:
      return true;
    default: return false;
  }
}

// The registry and INI formats keep integers in 32 signed bits.
rtl::Integer checkedInteger(const Variant& AValue) {
  if (rtl::VarType(AValue) == rtl::varUInt64) {
    if (rtl::VarAsType(AValue, rtl::varUInt64).AsInt64() < 0) raiseRange();
  }
  const Int64 value = AValue.AsInt64();
  if (value < std::numeric_limits<rtl::Integer>::min() || value > std::numeric_limits<rtl::Integer>::max())
    raiseRange();
  return static_cast<rtl::Integer>(value);
}

String joinPath(const String& ARoot, const std::vector<String>& AParts) {
  String path = ARoot;
  for (const String& part : AParts) path += u"\\" + part;
  return path;
}

}  // namespace

// --- the registry --------------------------------------------------------------------

TcxRegistryWriter::TcxRegistryWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream)
    : TcxCustomWriter(AStorageName, AReCreate, AStream),
      FRegistry(std::make_unique<rtl::TRegistry>(rtl::KEY_ALL_ACCESS)),
      FRootPath(GenRegistryPath(AStorageName)) {
  if (const rtl::NativeUInt root = FindRegistryKey(AStorageName)) FRegistry->SetRootKey(root);
  if (AReCreate && !AStorageName.empty()) {
    // Outside a batch the delete alone would rewrite the whole root file.
    FRegistry->BeginWriteBatch();
    FCreationBatch = true;
    FRegistry->DeleteKey(FRootPath);
  }
  FRootKeyCreated = FRegistry->KeyExists(FRootPath);
}

TcxRegistryWriter::~TcxRegistryWriter() = default;

void TcxRegistryWriter::BeginWrite() { FRegistry->BeginWriteBatch(); }

void TcxRegistryWriter::EndWrite() {
  FRegistry->CloseKey();
  FRegistry->EndWriteBatch();
  if (FCreationBatch) {
    FCreationBatch = false;
    FRegistry->EndWriteBatch();
  }
}

void TcxRegistryWriter::CheckRootKey() {
  if (!FRootKeyCreated) {
    try {
      FRootKeyCreated = FRegistry->CreateKey(FRootPath);
    } catch (const rtl::ERegistryException&) {
      FRootKeyCreated = false;
    }
    if (!FRootKeyCreated) raiseRegistry(&scxCantCreateRegistryKey, FStorageName);
  }
  if (!FRootKeyOpened) {
    FRootKeyOpened = FRegistry->OpenKey(FRootPath, false);
    if (!FRootKeyOpened) raiseRegistry(&scxCantOpenRegistryKey, FStorageName);
  }
}

void TcxRegistryWriter::ClearObjectData(const String& AObjectName, const String&) {
  CheckRootKey();
  std::vector<String> parents;
  const String name = ExtractObjectFullName(AObjectName, parents);
  if (name.empty()) return;
  const String key = u"\\" + joinPath(FRegistry->CurrentPath(), {name});
  if (FRegistry->KeyExists(key) && !FRegistry->DeleteKey(key))
    raiseRegistry(&scxErrorStoreObject, AObjectName);
}

void TcxRegistryWriter::BeginWriteObject(const String& AObjectName, const String& AClassName) {
  CheckRootKey();
  std::vector<String> parents;
  const String name = ExtractObjectFullName(AObjectName, parents);
  try {
    if (!FRegistry->OpenKey(name, true)) raiseRegistry(&scxErrorStoreObject, AObjectName);
    const String objectKey = u"\\" + FRegistry->CurrentPath();
    if (!FRegistry->OpenKey(u"[ClassName]", true)) raiseRegistry(&scxErrorStoreObject, AObjectName);
    FRegistry->WriteString(u"ClassName", AClassName);
    if (!FRegistry->OpenKey(objectKey, false)) raiseRegistry(&scxErrorStoreObject, AObjectName);
  } catch (const rtl::ERegistryException& e) {
    if (e.Message() == rtl::Format(cxGetResourceString(&scxErrorStoreObject), {AObjectName})) throw;
    raiseRegistry(&scxErrorStoreObject, AObjectName);
  }
}

void TcxRegistryWriter::EndWriteObject(const String& AObjectName, const String&) {
  std::vector<String> parents;
  ExtractObjectFullName(AObjectName, parents);
  FRegistry->CloseKey();
  FRegistry->OpenKey(joinPath(FRootPath, parents), false);
}

void TcxRegistryWriter::WriteProperty(const String&, const String&, const String& AName,
                                      const Variant& AValue) {
  const TVarType type = rtl::VarType(AValue);
  if (isIntegerType(type)) {
    FRegistry->WriteInteger(AName, checkedInteger(AValue));
  } else {
    switch (type) {
      case rtl::varSingle:
      case rtl::varDouble:
      case rtl::varDate:
        FRegistry->WriteFloat(AName, AValue.AsDouble());
        break;
      // The reader takes every binary value for a double: a currency goes
      // in as the double of its value, or it would come back as garbage.
      case rtl::varCurrency: FRegistry->WriteFloat(AName, AValue.AsDouble()); break;
      case rtl::varString:
      case rtl::varOleStr:
      case rtl::varUString: FRegistry->WriteString(AName, cxQuotedStr(rtl::VarToStr(AValue), u'"')); break;
      case rtl::varBoolean: FRegistry->WriteInteger(AName, AValue.AsBoolean() ? 1 : 0); break;
      default: break;
    }
  }
}

TcxRegistryReader::TcxRegistryReader(const String& AStorageName, rtl::TStream* AStream)
    : TcxCustomReader(AStorageName, AStream),
      FRegistry(std::make_unique<rtl::TRegistry>(rtl::KEY_READ)),
      FRootPath(GenRegistryPath(AStorageName)) {
  if (const rtl::NativeUInt root = FindRegistryKey(AStorageName)) FRegistry->SetRootKey(root);
  FRegistry->OpenKeyReadOnly(FRootPath);
}

TcxRegistryReader::~TcxRegistryReader() = default;

void TcxRegistryReader::BeginRead() { FRegistry->BeginWriteBatch(); }
void TcxRegistryReader::EndRead() { FRegistry->EndWriteBatch(); }

void TcxRegistryReader::ReadProperties(const String& AObjectName, const String&,
                                       rtl::TStrings* AProperties) {
  std::vector<String> parts;
  parts.push_back(String());
  const String name = ExtractObjectFullName(AObjectName, parts);
  parts.erase(parts.begin());
  parts.push_back(name);
  if (!FRegistry->OpenKeyReadOnly(joinPath(FRootPath, parts))) {
    FRegistry->CloseKey();
    return;
  }
  FRegistry->GetValueNames(*AProperties);
}

Variant TcxRegistryReader::ReadProperty(const String&, const String&, const String& AName) {
  if (!FRegistry->CurrentKey()) return rtl::Null();
  switch (FRegistry->GetDataType(AName)) {
    case rtl::rdString:
    case rtl::rdExpandString: {
      const String text = FRegistry->ReadString(AName);
      if (IsStringValue(text)) return cxDequotedStr(text);
      double number;
      if (rtl::TryStrToFloat(text, number)) return number;
      return DateTimeOrStr(text);
    }
    case rtl::rdInteger: return FRegistry->ReadInteger(AName);
    case rtl::rdBinary: {
      if (FRegistry->GetDataSize(AName) != static_cast<int>(sizeof(double))) return rtl::Null();
      double value = 0;
      FRegistry->ReadBinaryData(AName, &value, sizeof value);
      return value;
    }
    default: return rtl::Null();
  }
}

void TcxRegistryReader::ReadChildren(const String&, const String&, rtl::TStrings* AChildrenNames,
                                     rtl::TStrings* AChildrenClassNames) {
  if (!FRegistry->CurrentKey()) return;
  rtl::TStringList keys;
  FRegistry->GetKeyNames(keys);
  bool classKeySkipped = false;
  const String current = u"\\" + FRegistry->CurrentPath();
  rtl::TRegistry classReader(rtl::KEY_READ);
  classReader.SetRootKey(FRegistry->RootKey());
  for (int i = 0; i < keys.Count(); ++i) {
    if (!classKeySkipped && rtl::SameText(keys[i], u"[ClassName]")) {
      classKeySkipped = true;
      continue;
    }
    String className;
    if (classReader.OpenKeyReadOnly(current + u"\\" + keys[i] + u"\\[ClassName]"))
      className = classReader.ReadString(u"ClassName");
    AChildrenNames->Add(keys[i]);
    AChildrenClassNames->Add(className);
  }
}

// --- INI files -----------------------------------------------------------------------

namespace {
String sectionName(const String& AObjectName, const String& AClassName) {
  return AObjectName + u": " + AClassName;
}

const String& cachedSectionName(const String& AObjectName, const String& AClassName, String& ALastObjectName,
                                String& ALastClassName, String& ALastSection) {
  if (ALastSection.empty() || AObjectName != ALastObjectName || AClassName != ALastClassName) {
    ALastObjectName = AObjectName;
    ALastClassName = AClassName;
    ALastSection = sectionName(AObjectName, AClassName);
  }
  return ALastSection;
}
}  // namespace

const String& TcxIniFileWriter::SectionOf(const String& AObjectName, const String& AClassName) {
  return cachedSectionName(AObjectName, AClassName, FLastObjectName, FLastClassName, FLastSection);
}

const String& TcxIniFileReader::SectionOf(const String& AObjectName, const String& AClassName) {
  return cachedSectionName(AObjectName, AClassName, FLastObjectName, FLastClassName, FLastSection);
}

TcxIniFileWriter::TcxIniFileWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream)
    : TcxCustomWriter(AStorageName, AReCreate, AStream),
      FIniFile(std::make_unique<rtl::TMemIniFile>(AStorageName, rtl::TEncoding::UTF8())) {
  if (AReCreate) FIniFile->Clear();
}

TcxIniFileWriter::~TcxIniFileWriter() = default;

void TcxIniFileWriter::BeginWrite() { FIniFile->WriteInteger(u"Main", u"Version", 2); }

void TcxIniFileWriter::EndWrite() { FIniFile->UpdateFile(); }

void TcxIniFileWriter::ClearObjectData(const String& AObjectName, const String&) {
  if (AObjectName.empty()) return;
  const String prefix = rtl::AnsiUpperCase(AObjectName);
  rtl::TStringList sections;
  FIniFile->ReadSections(sections);
  for (int i = 0; i < sections.Count(); ++i) {
    const String name = rtl::AnsiUpperCase(sections[i]);
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        (name[prefix.size()] == u'/' || name[prefix.size()] == u':'))
      FIniFile->EraseSection(sections[i]);
  }
}

void TcxIniFileWriter::BeginWriteObject(const String& AObjectName, const String& AClassName) {
  FIniFile->WriteString(sectionName(AObjectName, AClassName), u"", u"");
}

void TcxIniFileWriter::WriteProperty(const String& AObjectName, const String& AClassName,
                                     const String& AName, const Variant& AValue) {
  const String& section = SectionOf(AObjectName, AClassName);
  const TVarType type = rtl::VarType(AValue);
  if (isIntegerType(type)) {
    FIniFile->WriteString(section, AName, rtl::IntToStr(checkedInteger(AValue)));
    return;
  }
  switch (type) {
    case rtl::varSingle:
    case rtl::varDouble:
    case rtl::varCurrency: FIniFile->WriteString(section, AName, rtl::FloatToStr(AValue.AsDouble())); break;
    case rtl::varDate: FIniFile->WriteString(section, AName, rtl::DateTimeToStr(AValue.AsDateTime())); break;
    case rtl::varString:
    case rtl::varOleStr:
    case rtl::varUString: FIniFile->WriteString(section, AName, EncodeString(rtl::VarToStr(AValue))); break;
    default: break;
  }
}

String TcxIniFileWriter::EncodeString(StringView AText) {
  String out;
  out.reserve(AText.size() + 2);
  out.push_back(u'"');
  for (std::size_t i = 0; i < AText.size(); ++i) {
    const rtl::Char c = AText[i];
    if (c == u'\\') {
      out += u"\\\\";
    } else if (c == u'\r' && i + 1 < AText.size() && AText[i + 1] == u'\n') {
      out += u"\\n";
      ++i;
    } else if (c == u'\r' || c == u'\n') {
      // A line break of its own would split the INI line; it comes back as CR LF.
      out += u"\\n";
    } else if (c == u'\t') {
      out += u"\\t";
    } else {
      out.push_back(c);
    }
  }
  out.push_back(u'"');
  return out;
}

TcxIniFileReader::TcxIniFileReader(const String& AStorageName, rtl::TStream* AStream)
    : TcxCustomReader(AStorageName, AStream),
      FIniFile(std::make_unique<rtl::TMemIniFile>(AStorageName, rtl::TEncoding::UTF8())) {}

TcxIniFileReader::~TcxIniFileReader() = default;

bool TcxIniFileReader::CanRead() {
  std::error_code ec;
  return std::filesystem::is_regular_file(rtl::detail::ToPath(FStorageName), ec);
}

void TcxIniFileReader::BeginRead() {
  FStorageVersion = FIniFile->ValueExists(u"Main", u"Version")
                        ? FIniFile->ReadInteger(u"Main", u"Version", -1)
                        : -1;
}

void TcxIniFileReader::CheckSections() {
  if (FIndexed) return;
  FIndexed = true;
  rtl::TStringList sections;
  FIniFile->ReadSections(sections);
  for (int i = 0; i < sections.Count(); ++i) {
    const String section = sections[i];
    const auto colon = section.find(u':');
    const StringView head = StringView(section).substr(0, colon == String::npos ? section.size() : colon);
    const auto slash = head.rfind(u'/');
    const std::size_t nameStart = slash == StringView::npos ? 0 : slash + 1;
    FPathList.push_back(rtl::AnsiUpperCase(head.substr(0, nameStart)));
    FObjectNameList.emplace_back(head.substr(nameStart));
    FClassNameList.push_back(colon == String::npos ? String()
                                                   : rtl::Trim(StringView(section).substr(colon + 1)));
    FChildrenByPath[FPathList.back()].push_back(i);
  }
}

void TcxIniFileReader::ReadChildren(const String& AObjectName, const String&,
                                    rtl::TStrings* AChildrenNames, rtl::TStrings* AChildrenClassNames) {
  CheckSections();
  auto it = FChildrenByPath.find(rtl::AnsiUpperCase(AObjectName) + u"/");
  if (it == FChildrenByPath.end()) return;
  for (int index : it->second) {
    AChildrenNames->Add(FObjectNameList[index]);
    AChildrenClassNames->Add(FClassNameList[index]);
  }
}

void TcxIniFileReader::LoadSection(const String& ASection) {
  if (ASection == FSectionName && !FSectionName.empty()) return;
  FSectionName = ASection;
  FSectionValues.clear();
  rtl::TStringList lines;
  FIniFile->ReadSectionValues(ASection, lines);
  for (int i = 0; i < lines.Count(); ++i) {
    const String line = lines[i];
    const auto at = line.find(u'=');
    FSectionValues.emplace(rtl::AnsiUpperCase(StringView(line).substr(0, at)),
                           at == String::npos ? String() : line.substr(at + 1));
  }
}

void TcxIniFileReader::ReadProperties(const String& AObjectName, const String& AClassName,
                                      rtl::TStrings* AProperties) {
  const String& section = SectionOf(AObjectName, AClassName);
  FIniFile->ReadSection(section, *AProperties);
  LoadSection(section);
}

Variant TcxIniFileReader::ReadProperty(const String& AObjectName, const String& AClassName,
                                       const String& AName) {
  LoadSection(SectionOf(AObjectName, AClassName));
  auto it = FSectionValues.find(rtl::AnsiUpperCase(AName));
  const String text = it == FSectionValues.end() ? String() : it->second;
  if (IsStringValue(text)) return DecodeString(text, FStorageVersion);
  int integer;
  if (rtl::TryStrToInt(text, integer)) return integer;
  double number;
  if (rtl::TryStrToFloat(text, number)) return number;
  return DateTimeOrStr(text);
}

String TcxIniFileReader::DecodeString(StringView AQuotedText, int AVersion) {
  String text = cxDequotedStr(AQuotedText);
  if (AVersion == 0) {
    String out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (i + 2 < text.size() && text[i] == u' ' && text[i + 1] == u'\\' &&
          (text[i + 2] == u'n' || text[i + 2] == u'N')) {
        out += u"\r\n";
        i += 2;
      } else {
        out.push_back(text[i]);
      }
    }
    String result;
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (out.compare(i, 3, u"\\\\n") == 0) {
        result += u"\\n";
        i += 2;
      } else {
        result.push_back(out[i]);
      }
    }
    return result;
  }
  if (AVersion != 1 && AVersion != 2) return text;
  String out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 1 >= text.size()) break;  // a final lone backslash stands for nothing
    const rtl::Char next = text[++i];
    if (next == u'n')
      out += u"\r\n";
    else if (next == u't')
      out.push_back(u'\t');
    else
      out.push_back(u'\\');
  }
  return out;
}

// --- binary streams ------------------------------------------------------------------

TcxStreamObjectData* TcxStreamObjectData::AddChild(const String& AName, const String& AClassName) {
  FChildren.push_back(std::unique_ptr<TcxStreamObjectData>(rtl::Create<TcxStreamObjectData>(AName, AClassName)));
  FChildIndex.emplace(AName, static_cast<int>(FChildren.size()) - 1);
  return FChildren.back().get();
}

void TcxStreamObjectData::AddProperty(const String& AName, const Variant& AValue) {
  // Most objects store several properties: start with room for them.
  if (FProperties.capacity() == 0) FProperties.reserve(8);
  FProperties.emplace_back(AName, AValue);
}

void TcxStreamObjectData::AddProperty(String&& AName, Variant&& AValue) {
  if (FProperties.capacity() == 0) FProperties.reserve(8);
  FProperties.emplace_back(std::move(AName), std::move(AValue));
}

void TcxStreamObjectData::ReserveChildren(int ACount) {
  FChildren.reserve(static_cast<std::size_t>(ACount));
  FChildIndex.reserve(static_cast<std::size_t>(ACount));
}

TcxStreamObjectData* TcxStreamObjectData::FindChild(StringView AName) const {
  auto it = FChildIndex.find(String(AName));
  return it == FChildIndex.end() ? nullptr : FChildren[it->second].get();
}

namespace {

// Value tags of a stored property.
enum PropertyTag : int {
  ptBoolean = 1, ptByte = 2, ptCurrency = 3, ptDate = 4, ptDouble = 5,
  ptInteger = 6, ptSingle = 7, ptAnsiString = 8, ptWideString = 9
};

using rtl::TValueType;

class RecordWriter {
 public:
  explicit RecordWriter(rtl::TBytes& out) : out_(out) {}

  void tag(TValueType t) { out_.push_back(static_cast<Byte>(t)); }
  void raw(const void* data, std::size_t size) {
    const auto* p = static_cast<const Byte*>(data);
    out_.insert(out_.end(), p, p + size);
  }
  template <class T>
  void le(T value) {
    Byte bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
      bytes[i] = static_cast<Byte>(static_cast<std::uint64_t>(value) >> (8 * i));
    out_.insert(out_.end(), bytes, bytes + sizeof(T));
  }
  void integer(Int64 v) {
    if (v >= -128 && v <= 127) {
      tag(TValueType::vaInt8);
      le(static_cast<std::int8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
      tag(TValueType::vaInt16);
      le(static_cast<std::int16_t>(v));
    } else if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max()) {
      tag(TValueType::vaInt32);
      le(static_cast<std::int32_t>(v));
    } else {
      tag(TValueType::vaInt64);
      le(v);
    }
  }
  // The UTF-8 form when it is shorter than two bytes per UTF-16 unit.
  void string(StringView s) {
    // Names and most values are short ASCII: their UTF-8 form is the units
    // themselves, written without a temporary copy.
    if (!s.empty() && s.size() <= 255 &&
        std::all_of(s.begin(), s.end(), [](rtl::Char c) { return c < 0x80; })) {
      tag(TValueType::vaString);
      le(static_cast<Byte>(s.size()));
      const std::size_t at = out_.size();
      out_.resize(at + s.size());
      for (std::size_t i = 0; i < s.size(); ++i) out_[at + i] = static_cast<Byte>(s[i]);
      return;
    }
    const std::string utf8 = rtl::StringToUtf8(s);
    if (utf8.size() < 2 * s.size()) {
      const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<Byte>(c) < 0x80; });
      if (ascii && utf8.size() <= 255) {
        tag(TValueType::vaString);
        le(static_cast<Byte>(utf8.size()));
      } else {
        tag(ascii ? TValueType::vaLString : TValueType::vaUTF8String);
        le(static_cast<std::int32_t>(utf8.size()));
      }
      raw(utf8.data(), utf8.size());
    } else {
      tag(TValueType::vaWString);
      le(static_cast<std::int32_t>(s.size()));
      for (rtl::Char c : s) le(static_cast<std::uint16_t>(c));
    }
  }
  // False when the value's type has no encoding (the property is left out).
  bool value(const Variant& v) {
    const TVarType type = rtl::VarType(v);
    switch (type) {
      case rtl::varBoolean:
        integer(ptBoolean);
        tag(v.AsBoolean() ? TValueType::vaTrue : TValueType::vaFalse);
        return true;
      case rtl::varByte:
        integer(ptByte);
        string(String(1, static_cast<rtl::Char>(v.AsInteger() & 0xFF)));
        return true;
      case rtl::varCurrency:
        integer(ptCurrency);
        tag(TValueType::vaCurrency);
        le(v.AsCurrency().value);
        return true;
      case rtl::varDate: {
        integer(ptDate);
        tag(TValueType::vaDate);
        const double d = v.AsDateTime();
        raw(&d, sizeof d);
        return true;
      }
      case rtl::varDouble: {
        integer(ptDouble);
        tag(TValueType::vaExtended);
        Byte ext[10];
        rtl::doubleToExtended(v.AsDouble(), ext);
        raw(ext, sizeof ext);
        return true;
      }
      case rtl::varShortInt: case rtl::varSmallint: case rtl::varInteger:
      case rtl::varWord: case rtl::varLongWord: case rtl::varInt64:
        integer(ptInteger);
        integer(v.AsInt64());
        return true;
      case rtl::varSingle: {
        integer(ptSingle);
        tag(TValueType::vaSingle);
        const float f = static_cast<float>(v.AsDouble());
        raw(&f, sizeof f);
        return true;
      }
      case rtl::varString:
        integer(ptAnsiString);
        string(rtl::VarToStr(v));
        return true;
      case rtl::varOleStr:
      case rtl::varUString:
        integer(ptWideString);
        string(rtl::VarToStr(v));
        return true;
      default: return false;
    }
  }
  // Whether value() has an encoding for the type.
  static bool encodable(const Variant& v) {
    switch (rtl::VarType(v)) {
      case rtl::varBoolean: case rtl::varByte: case rtl::varCurrency: case rtl::varDate:
      case rtl::varDouble: case rtl::varShortInt: case rtl::varSmallint: case rtl::varInteger:
      case rtl::varWord: case rtl::varLongWord: case rtl::varInt64: case rtl::varSingle:
      case rtl::varString: case rtl::varOleStr: case rtl::varUString: return true;
      default: return false;
    }
  }
  void object(const TcxStreamObjectData& obj) {
    string(obj.Name());
    string(obj.ObjectClassName());
    // The count goes first, so the properties without an encoding are
    // counted out beforehand rather than the records buffered apart.
    int count = 0;
    for (int i = 0; i < obj.PropertyCount(); ++i) count += encodable(obj.Properties(i)->Value()) ? 1 : 0;
    integer(count);
    for (int i = 0; i < obj.PropertyCount(); ++i) {
      const TcxStreamPropertyData* p = obj.Properties(i);
      if (!encodable(p->Value())) continue;
      string(p->Name());
      value(p->Value());
    }
    integer(obj.ChildCount());
    for (int i = 0; i < obj.ChildCount(); ++i) object(*obj.Children(i));
  }

 private:
  rtl::TBytes& out_;
};

[[noreturn]] void readError() { throw rtl::EReadError(u"Stream read error"); }
[[noreturn]] void invalidFormat() { throw rtl::EReadError(u"Invalid stream format"); }

class RecordReader {
 public:
  RecordReader(const Byte* data, std::size_t size) : p_(data), end_(data + size) {}

  std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }
  Byte byte() {
    if (p_ == end_) readError();
    return *p_++;
  }
  void raw(void* out, std::size_t size) {
    if (size > left()) readError();
    std::memcpy(out, p_, size);
    p_ += size;
  }
  template <class T>
  T le() {
    if (sizeof(T) > left()) readError();
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
    p_ += sizeof(T);
    return static_cast<T>(v);
  }
  Int64 integer() {
    switch (static_cast<TValueType>(byte())) {
      case TValueType::vaInt8: return le<std::int8_t>();
      case TValueType::vaInt16: return le<std::int16_t>();
      case TValueType::vaInt32: return le<std::int32_t>();
      case TValueType::vaInt64: return le<std::int64_t>();
      default: invalidFormat();
    }
  }
  // A count of records each at least `minBytes` long.
  int count(std::size_t minBytes) {
    const Int64 n = integer();
    if (n < 0 || static_cast<std::uint64_t>(n) > left() / minBytes) readError();
    return static_cast<int>(n);
  }
  std::size_t length(Int64 n, std::size_t unit) {
    if (n < 0 || static_cast<std::uint64_t>(n) > left() / unit) readError();
    return static_cast<std::size_t>(n);
  }
  String string() {
    switch (static_cast<TValueType>(byte())) {
      case TValueType::vaString: return ansi(length(byte(), 1));
      case TValueType::vaLString: return ansi(length(le<std::int32_t>(), 1));
      case TValueType::vaUTF8String: {
        const std::size_t n = length(le<std::int32_t>(), 1);
        const std::string_view bytes(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        return rtl::Utf8ToString(bytes);
      }
      case TValueType::vaWString: {
        const std::size_t n = length(le<std::int32_t>(), 2);
        String s(n, u'\0');
        for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<rtl::Char>(le<std::uint16_t>());
        return s;
      }
      default: invalidFormat();
    }
  }
  Variant value(Int64 propertyTag) {
    switch (propertyTag) {
      case ptBoolean:
        switch (static_cast<TValueType>(byte())) {
          case TValueType::vaTrue: return true;
          case TValueType::vaFalse: return false;
          default: invalidFormat();
        }
      case ptByte: {
        const String s = string();
        return static_cast<unsigned char>(s.empty() ? 0 : s[0] & 0xFF);
      }
      case ptCurrency:
        expect(TValueType::vaCurrency);
        return rtl::Currency{le<std::int64_t>()};
      case ptDate: {
        expect(TValueType::vaDate);
        double d;
        raw(&d, sizeof d);
        return rtl::VarFromDateTime(d);
      }
      case ptDouble: {
        expect(TValueType::vaExtended);
        Byte ext[10];
        raw(ext, sizeof ext);
        return rtl::extendedToDouble(ext);
      }
      case ptInteger: {
        const Int64 v = integer();
        if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
          return static_cast<int>(v);
        return v;
      }
      case ptSingle: {
        expect(TValueType::vaSingle);
        float f;
        raw(&f, sizeof f);
        return static_cast<double>(f);
      }
      case ptAnsiString:
      case ptWideString: return string();
      default: return rtl::Null();
    }
  }
  std::unique_ptr<TcxStreamObjectData> root() {
    String name = string();
    String className = string();
    auto obj = std::unique_ptr<TcxStreamObjectData>(rtl::Create<TcxStreamObjectData>(name, className));
    fill(*obj, 0);
    return obj;
  }

 private:
  void expect(TValueType t) {
    if (static_cast<TValueType>(byte()) != t) invalidFormat();
  }
  String ansi(std::size_t n) {
    const std::string_view bytes(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    // Code page 1252 leaves ASCII as it is: the common case needs no table.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<Byte>(c) < 0x80; }))
      return String(bytes.begin(), bytes.end());
    return rtl::MultiByteToWideChar(1252, 0, bytes);
  }
  void fill(TcxStreamObjectData& obj, int depth) {
    if (depth > cxStreamMaxNesting) invalidFormat();
    // A property is at least a name (2 bytes), a tag (2) and a value (1).
    const int properties = count(5);
    obj.ReserveProperties(properties);
    for (int i = 0; i < properties; ++i) {
      String propName = string();
      const Int64 propTag = integer();
      obj.AddProperty(std::move(propName), value(propTag));
    }
    // A child is at least two names and two counts of 2 bytes each.
    const int children = count(8);
    obj.ReserveChildren(children);
    for (int i = 0; i < children; ++i) {
      String name = string();
      String className = string();
      fill(*obj.AddChild(name, className), depth + 1);
    }
  }

  const Byte* p_;
  const Byte* end_;
};

}  // namespace

rtl::TBytes cxWriteStreamObjectData(const TcxStreamObjectData& ARoot) {
  rtl::TBytes out;
  RecordWriter(out).object(ARoot);
  return out;
}

std::unique_ptr<TcxStreamObjectData> cxReadStreamObjectData(const Byte* AData, std::size_t ASize) {
  RecordReader reader(AData, ASize);
  return reader.root();
}

TcxStreamWriter::TcxStreamWriter(const String& AStorageName, bool AReCreate, rtl::TStream* AStream)
    : TcxCustomWriter(AStorageName, AReCreate, AStream) {}

TcxStreamWriter::~TcxStreamWriter() = default;

bool TcxStreamWriter::CanWrite() { return FStorageStream != nullptr; }

void TcxStreamWriter::EndWrite() {
  if (!FRootObject || !FStorageStream) return;
  const rtl::TBytes bytes = cxWriteStreamObjectData(*FRootObject);
  FRootObject.reset();
  FCurrentObject = nullptr;
  FStorageStream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

void TcxStreamWriter::BeginWriteObject(const String& AObjectName, const String& AClassName) {
  std::vector<String> parents;
  const String name = ExtractObjectFullName(AObjectName, parents);
  if (!FRootObject) {
    if (parents.empty()) {
      FRootObject.reset(rtl::Create<TcxStreamObjectData>(name, AClassName));
      FCurrentObject = FRootObject.get();
    } else {
      FCurrentObject = nullptr;
    }
    return;
  }
  // An object whose parent was never begun has no place in the tree.
  TcxStreamObjectData* parent = parents.empty() ? nullptr : FRootObject.get();
  for (std::size_t i = 1; parent && i < parents.size(); ++i) parent = parent->FindChild(parents[i]);
  FCurrentObject = parent ? parent->AddChild(name, AClassName) : nullptr;
}

void TcxStreamWriter::WriteProperty(const String&, const String&, const String& AName,
                                    const Variant& AValue) {
  if (FCurrentObject) FCurrentObject->AddProperty(AName, AValue);
}

TcxStreamReader::TcxStreamReader(const String& AStorageName, rtl::TStream* AStream)
    : TcxCustomReader(AStorageName, AStream) {}

TcxStreamReader::~TcxStreamReader() = default;

bool TcxStreamReader::CanRead() { return FStorageStream && FStorageStream->Size() > 0; }

void TcxStreamReader::BeginRead() {
  FHasCurrentObject = false;
  FCurrentObject = nullptr;
  const Int64 left = FStorageStream ? FStorageStream->Remaining() : 0;
  if (left <= 0) {
    FRootObject.reset(rtl::Create<TcxStreamObjectData>(String(), String()));
    return;
  }
  // A stream in memory is parsed where it lies, without a copy.
  if (auto* memory = dynamic_cast<rtl::TCustomMemoryStream*>(FStorageStream); memory && memory->Memory()) {
    const Int64 at = memory->Position();
    memory->SetPosition(at + left);
    FRootObject = cxReadStreamObjectData(static_cast<const Byte*>(memory->Memory()) + at,
                                         static_cast<std::size_t>(left));
    return;
  }
  rtl::TBytes bytes(static_cast<std::size_t>(left));
  FStorageStream->ReadBuffer(bytes.data(), left);
  FRootObject = cxReadStreamObjectData(bytes.data(), bytes.size());
}

TcxStreamObjectData* TcxStreamReader::FindObject(const String& AObjectName) {
  if (FHasCurrentObject && FCurrentObjectFullName == AObjectName) return FCurrentObject;
  std::vector<String> parents;
  const String name = ExtractObjectFullName(AObjectName, parents);
  TcxStreamObjectData* node = FRootObject.get();
  for (std::size_t i = 1; node && i < parents.size(); ++i) node = node->FindChild(parents[i]);
  if (node && !parents.empty()) node = node->FindChild(name);
  if (node && node->Name() != name) node = nullptr;
  FCurrentObject = node;
  FCurrentObjectFullName = AObjectName;
  FHasCurrentObject = true;
  return node;
}

void TcxStreamReader::ReadProperties(const String& AObjectName, const String&, rtl::TStrings* AProperties) {
  if (TcxStreamObjectData* obj = FindObject(AObjectName)) {
    AProperties->SetCapacity(AProperties->Count() + obj->PropertyCount());
    for (int i = 0; i < obj->PropertyCount(); ++i) AProperties->Add(obj->Properties(i)->Name());
  }
}

Variant TcxStreamReader::ReadProperty(const String& AObjectName, const String&, const String& AName) {
  if (TcxStreamObjectData* obj = FindObject(AObjectName)) {
    for (int i = 0; i < obj->PropertyCount(); ++i) {
      if (obj->Properties(i)->Name() == AName) return obj->Properties(i)->Value();
    }
  }
  return rtl::Null();
}

void TcxStreamReader::ReadChildren(const String& AObjectName, const String&, rtl::TStrings* AChildrenNames,
                                   rtl::TStrings* AChildrenClassNames) {
  if (TcxStreamObjectData* obj = FindObject(AObjectName)) {
    AChildrenNames->SetCapacity(AChildrenNames->Count() + obj->ChildCount());
    AChildrenClassNames->SetCapacity(AChildrenClassNames->Count() + obj->ChildCount());
    for (int i = 0; i < obj->ChildCount(); ++i) {
      AChildrenNames->Add(obj->Children(i)->Name());
      AChildrenClassNames->Add(obj->Children(i)->ObjectClassName());
    }
  }
}

}  // namespace core

#include "platform/rtl/filer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>

#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "platform/rtl/object.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"

namespace rtl {

namespace {

using VT = TValueType;

// Deep enough for any real form; shallow enough that hostile input cannot
// exhaust the stack through nested lists, collections or components.
constexpr int kMaxDepth = 100;

[[noreturn]] void invalidValue() { throw EReadError(u"Invalid property value"); }
[[noreturn]] void invalidFormat() { throw EReadError(u"Invalid stream format"); }
[[noreturn]] void readError() { throw EReadError(u"Stream read error"); }

bool isIntegerTag(VT t) {
  return t == VT::vaInt8 || t == VT::vaInt16 || t == VT::vaInt32 || t == VT::vaInt64;
}

// True when code page 1252 gives back exactly this text.
bool fitsAnsi(StringView text, std::string& ansi) {
  ansi = StringToAnsi(text);
  return AnsiToString(ansi) == text;
}

// Counts one more level of nesting for as long as it lives; past kMaxDepth
// it raises E with `message` instead.
template <class E>
class NestingLevel {
 public:
  NestingLevel(int& depth, const Char* message) : depth_(depth) {
    if (depth_ >= kMaxDepth) throw E(message);
    ++depth_;
  }
  ~NestingLevel() { --depth_; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

 private:
  int& depth_;
};

// vaString (up to 255 bytes) or vaLString, then the bytes as they are.
void writeAnsiValue(TStream& stream, const std::string& bytes) {
  if (bytes.size() <= 255) {
    stream.WriteByte(static_cast<Byte>(VT::vaString));
    stream.WriteByte(static_cast<Byte>(bytes.size()));
  } else {
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<Integer>::max()))
      throw EWriteError(u"String too long for a stream");
    stream.WriteByte(static_cast<Byte>(VT::vaLString));
    stream.WriteInt32(static_cast<Integer>(bytes.size()));
  }
  stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

Currency currencyFromDouble(double v) {
  const double scaled = std::nearbyint(v * 10000.0);  // ties to even
  if (!(std::fabs(scaled) < 9.2233720368547758e18)) invalidValue();
  return Currency::FromScaled(static_cast<Int64>(scaled));
}

}  // namespace

// --- 80-bit extended ---------------------------------------------------------

void doubleToExtended(double value, Byte out[10]) {
  UInt64 mantissa = 0;
  int exponent = 0;  // biased, 15 bits
  const bool negative = std::signbit(value);
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    const double m = std::frexp(std::fabs(value), &e);  // m in [0.5, 1)
    // 53 significant bits fit the 64-bit mantissa exactly, subnormals too.
    mantissa = static_cast<UInt64>(std::ldexp(m, 64));
    exponent = e - 1 + 16383;
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<Byte>(mantissa >> (8 * i));
  out[8] = static_cast<Byte>(exponent);
  out[9] = static_cast<Byte>((exponent >> 8) | (negative ? 0x80 : 0));
}

double extendedToDouble(const Byte in[10]) {
  UInt64 mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | in[i];
  const int exponent = in[8] | ((in[9] & 0x7F) << 8);
  const bool negative = (in[9] & 0x80) != 0;
  double result;
  if (exponent == 0x7FFF) {
    const bool infinity = (mantissa << 1) == 0;
    result = infinity ? std::numeric_limits<double>::infinity()
                      : std::numeric_limits<double>::quiet_NaN();
  } else if (mantissa == 0) {
    result = 0.0;
  } else {
    // The conversion of the mantissa rounds to 53 bits (to nearest); ldexp then
    // scales, going to infinity or zero outside double's range.
    const int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
    result = std::ldexp(static_cast<double>(mantissa), e);
  }
  return negative ? -result : result;
}

// --- TFiler ------------------------------------------------------------------

TFiler::TFiler(TStream* stream) : stream_(stream) {}
TFiler::~TFiler() = default;

// --- TWriter -----------------------------------------------------------------

TWriter::TWriter(TStream* stream, int) : TFiler(stream) {}
TWriter::~TWriter() = default;

Int64 TWriter::Position() const { return stream_->Position(); }

void TWriter::writeBytes(const void* data, Int64 count) { stream_->WriteBuffer(data, count); }

void TWriter::WriteValue(TValueType value) { stream_->WriteByte(static_cast<Byte>(value)); }

void TWriter::WriteInteger(Integer value) {
  if (value >= -128 && value <= 127) {
    WriteValue(VT::vaInt8);
    stream_->WriteInt8(static_cast<ShortInt>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(VT::vaInt16);
    stream_->WriteInt16(static_cast<SmallInt>(value));
  } else {
    WriteValue(VT::vaInt32);
    stream_->WriteInt32(value);
  }
}

void TWriter::WriteInteger(Int64 value) {
  if (value >= std::numeric_limits<Integer>::min() && value <= std::numeric_limits<Integer>::max()) {
    WriteInteger(static_cast<Integer>(value));
  } else {
    WriteValue(VT::vaInt64);
    stream_->WriteInt64(value);
  }
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? VT::vaTrue : VT::vaFalse); }

void TWriter::WriteFloat(Extended value) {
  Byte ext[10];
  doubleToExtended(value, ext);
  WriteValue(VT::vaExtended);
  writeBytes(ext, 10);
}

void TWriter::WriteDouble(double value) {
  WriteValue(VT::vaDouble);
  stream_->WriteDouble(value);
}

void TWriter::WriteSingle(float value) {
  WriteValue(VT::vaSingle);
  stream_->WriteSingle(value);
}

void TWriter::WriteCurrency(Currency value) {
  WriteValue(VT::vaCurrency);
  stream_->WriteInt64(value.value);
}

void TWriter::WriteDate(TDateTime value) {
  WriteValue(VT::vaDate);
  stream_->WriteDouble(value);
}

void TWriter::WriteString(StringView value) {
  std::string ansi;
  if (fitsAnsi(value, ansi))
    writeAnsiValue(*stream_, ansi);
  else
    WriteWideString(value);
}

void TWriter::WriteWideString(StringView value) {
  if (value.size() > static_cast<std::size_t>(std::numeric_limits<Integer>::max() / 2))
    throw EWriteError(u"String too long for a stream");
  WriteValue(VT::vaWString);
  stream_->WriteInt32(static_cast<Integer>(value.size()));
  TBytes bytes(value.size() * 2);
  for (std::size_t i = 0; i < value.size(); ++i) {
    bytes[2 * i] = static_cast<Byte>(value[i]);
    bytes[2 * i + 1] = static_cast<Byte>(value[i] >> 8);
  }
  writeBytes(bytes.data(), static_cast<Int64>(bytes.size()));
}

void TWriter::WriteUTF8Str(StringView value) {
  const std::string utf8 = StringToUtf8(value);
  if (utf8.size() > static_cast<std::size_t>(std::numeric_limits<Integer>::max()))
    throw EWriteError(u"String too long for a stream");
  WriteValue(VT::vaUTF8String);
  stream_->WriteInt32(static_cast<Integer>(utf8.size()));
  writeBytes(utf8.data(), static_cast<Int64>(utf8.size()));
}

void TWriter::WriteStr(StringView value) {
  const std::string ansi = StringToAnsi(value);
  if (ansi.size() > 255) throw EWriteError(u"Name too long for a stream: " + String(value));
  stream_->WriteByte(static_cast<Byte>(ansi.size()));
  writeBytes(ansi.data(), static_cast<Int64>(ansi.size()));
}

void TWriter::WriteIdent(StringView ident) {
  if (SameText(ident, u"False"))
    WriteValue(VT::vaFalse);
  else if (SameText(ident, u"True"))
    WriteValue(VT::vaTrue);
  else if (SameText(ident, u"Nil"))
    WriteValue(VT::vaNil);
  else if (SameText(ident, u"Null"))
    WriteValue(VT::vaNull);
  else {
    WriteValue(VT::vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteSet(const std::vector<String>& elementNames, UInt64 bits) {
  WriteValue(VT::vaSet);
  // Members without a name cannot be stored (an empty name ends the set).
  for (std::size_t i = 0; i < elementNames.size() && i < 64; ++i)
    if ((bits & (UInt64{1} << i)) && !elementNames[i].empty()) WriteStr(elementNames[i]);
  WriteStr(u"");
}

void TWriter::WriteBinary(const void* data, Integer size) {
  if (size < 0) throw EWriteError(u"Stream write error");
  WriteValue(VT::vaBinary);
  stream_->WriteInt32(size);
  writeBytes(data, size);
}

void TWriter::WriteBinary(const TStreamProc& writeData) {
  TMemoryStream data;
  writeData(&data);
  if (data.Size() > std::numeric_limits<Integer>::max())
    throw EWriteError(u"Binary property too large for a stream");
  WriteBinary(data.Memory(), static_cast<Integer>(data.Size()));
}

void TWriter::writePropName(StringView name) { WriteStr(propPath_ + String(name)); }

void TWriter::DefineProperty(const String& name, const TReaderProc&, const TWriterProc& writeData,
                             bool hasData) {
  if (!hasData || !writeData) return;
  writePropName(name);
  writeData(this);
}

void TWriter::DefineBinaryProperty(const String& name, const TStreamProc&,
                                   const TStreamProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  writePropName(name);
  WriteBinary(writeData);
}

void TWriter::WriteSignature() { writeBytes(kFilerSignature, 4); }

void TWriter::WriteProperties(TPersistent* instance) { writeProperties(instance, ancestor_); }

void TWriter::WriteProperty(TPersistent* instance, const PropInfo* prop) {
  writeProperty(instance, prop, ancestor_);
}

void TWriter::writeProperties(TPersistent* instance, TPersistent* ancestor) {
  const NestingLevel<EWriteError> level(depth_, u"Objects nest too deeply to be written");
  // Compare with the ancestor only when it is of the same kind.
  if (ancestor && ancestor->ClassType() != instance->ClassType()) ancestor = nullptr;
  for (const PropInfo* prop : GetPropList(instance, tkProperties)) writeProperty(instance, prop, ancestor);
  const ScopedValue<TPersistent*> definingAncestor(ancestor_, ancestor);
  instance->DefineProperties(this);
}

void TWriter::writeProperty(TPersistent* instance, const PropInfo* prop, TPersistent* ancestor) {
  if (!IsStoredProp(instance, prop)) return;
  switch (prop->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
    case TTypeKind::tkInt64: {
      if (!prop->GetOrd) return;
      const Int64 value = GetOrdProp(instance, prop);
      if (ancestor ? value == GetOrdProp(ancestor, prop) : IsDefaultPropValue(instance, prop)) return;
      writePropName(prop->Name);
      if (prop->Kind == TTypeKind::tkEnumeration && prop->Enum) {
        const String name = GetEnumName(*prop->Enum, static_cast<int>(value));
        if (name.empty()) throw EWriteError(u"Invalid property value: " + prop->Name);
        WriteIdent(name);
      } else if (prop->Kind == TTypeKind::tkSet && prop->Enum) {
        // Set bit n is ordinal n; the names start at the enumeration's minimum.
        std::vector<String> names(static_cast<std::size_t>(std::max(prop->Enum->MinValue, 0)));
        names.insert(names.end(), prop->Enum->Names.begin(), prop->Enum->Names.end());
        WriteSet(names, static_cast<UInt64>(value));
      } else if (prop->Kind == TTypeKind::tkChar || prop->Kind == TTypeKind::tkWChar) {
        WriteChar(static_cast<Char>(value));
      } else {
        WriteInteger(value);
      }
      return;
    }
    case TTypeKind::tkFloat: {
      if (!prop->GetFloat) return;
      const double value = GetFloatProp(instance, prop);
      if (ancestor ? value == GetFloatProp(ancestor, prop) : IsDefaultPropValue(instance, prop)) return;
      writePropName(prop->Name);
      WriteFloat(value);
      return;
    }
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
    case TTypeKind::tkUString: {
      if (!prop->GetStr) return;
      const String value = GetStrProp(instance, prop);
      if (ancestor ? value == GetStrProp(ancestor, prop) : IsDefaultPropValue(instance, prop)) return;
      writePropName(prop->Name);
      WriteString(value);
      return;
    }
    case TTypeKind::tkVariant: {
      if (!prop->GetVar) return;
      const Variant value = GetVariantProp(instance, prop);
      if (ancestor ? VarSameValue(value, GetVariantProp(ancestor, prop)) &&
                         VarType(value) == VarType(GetVariantProp(ancestor, prop))
                   : VarIsEmpty(value))
        return;
      writePropName(prop->Name);
      WriteVariant(value);
      return;
    }
    case TTypeKind::tkClass:
      writeObjectProperty(instance, prop, ancestor);
      return;
    default:
      // Event handlers have no names to store; other kinds are not streamed.
      return;
  }
}

void TWriter::writeObjectProperty(TPersistent* instance, const PropInfo* prop, TPersistent* ancestor) {
  if (!prop->GetObj) return;
  TObject* value = GetObjectProp(instance, prop);
  TObject* ancestorValue = nullptr;
  if (ancestor) {
    if (const PropInfo* ap = GetPropInfo(ancestor, prop->Name); ap && ap->GetObj)
      ancestorValue = GetObjectProp(ancestor, ap);
  }
  auto* component = dynamic_cast<TComponent*>(value);
  const bool subComponent =
      component && component->ComponentStyle().contains(TComponentStyleItem::csSubComponent);
  if (!value) {
    // Empty is the default; it is stored only to clear an ancestor's value.
    if (ancestorValue && prop->SetObj) {
      writePropName(prop->Name);
      WriteValue(VT::vaNil);
    }
    return;
  }
  if (component && !subComponent) {
    // A reference to another component, stored by name.
    auto* ancestorComponent = dynamic_cast<TComponent*>(ancestorValue);
    if (ancestorComponent && SameText(ancestorComponent->Name(), component->Name())) return;
    writePropName(prop->Name);
    if (component == root_ || component->Owner() == root_ || !component->Owner())
      WriteIdent(component->Name());
    else
      WriteIdent(component->Owner()->Name() + u"." + component->Name());
    return;
  }
  if (auto* collection = dynamic_cast<TCollection*>(value)) {
    if (collection->Count() == 0 && !ancestorValue) return;
    writePropName(prop->Name);
    WriteCollection(collection);
    return;
  }
  auto* nested = dynamic_cast<TPersistent*>(value);
  if (!nested) return;
  const ScopedValue<String> nestedPath(propPath_, propPath_ + prop->Name + u".");
  writeProperties(nested, dynamic_cast<TPersistent*>(ancestorValue));
}

void TWriter::WriteCollection(TCollection* value) {
  WriteValue(VT::vaCollection);
  if (value) {
    // Items are written from their own top level, with no ancestor.
    const ScopedValue<String> itemPath(propPath_, String());
    const ScopedValue<TPersistent*> noAncestor(ancestor_, nullptr);
    for (int i = 0; i < value->Count(); ++i) {
      WriteListBegin();
      writeProperties(value->Items(i), nullptr);
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteComponent(TComponent* component) {
  const NestingLevel<EWriteError> level(depth_, u"Components nest too deeply to be written");
  struct Writing {
    TComponent* c;
    ~Writing() { c->ExcludeState(TComponentStateItem::csWriting); }
  } writing{component};
  component->IncludeState(TComponentStateItem::csWriting);
  // When writing a descendant, a child the ancestor also has is marked
  // inherited so that reading finds it instead of creating it.
  TComponent* ancestorComponent = nullptr;
  if (rootAncestor_) {
    if (component == root_)
      ancestorComponent = rootAncestor_;
    else
      ancestorComponent = rootAncestor_->FindComponent(component->Name());
  }
  if (ancestorComponent) stream_->WriteByte(0xF0 | (1 << static_cast<int>(TFilerFlag::ffInherited)));
  WriteStr(component->ClassName());
  WriteStr(component->Name());
  const ScopedValue<TPersistent*> componentAncestor(ancestor_, ancestorComponent);
  component->WriteState(this);
}

void TWriter::WriteData(TComponent* instance) {
  writeProperties(instance, ancestor_);
  WriteListEnd();
  if (!ignoreChildren_) {
    const ScopedValue<TPersistent*> noAncestor(ancestor_, nullptr);
    instance->GetChildren(TGetChildProc::bind<&TWriter::WriteComponent>(this), root_);
  }
  WriteListEnd();
}

void TWriter::WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  root_ = root;
  lookupRoot_ = root;
  rootAncestor_ = ancestor;
  ancestor_ = nullptr;
  WriteSignature();
  WriteComponent(root);
}

// --- TReader -----------------------------------------------------------------

// A reference to a component by name, set once the whole tree is read.
struct TReader::Fixup {
  TComponent* component;  // the component being read when the name was met
  TPersistent* instance;  // the object that holds the property
  const PropInfo* prop;
  String name;
};

// What the outermost read collects: references to resolve and the
// components to tell Loaded, in reading order.
struct TReader::Session {
  std::vector<Fixup> fixups;
  std::vector<TComponent*> loaded;
};

struct TReader::DepthGuard {
  explicit DepthGuard(TReader& r) : level(r.depth_, u"Invalid stream format: values nest too deeply") {}
  NestingLevel<EReadError> level;
};

TReader::TReader(TStream* stream, int) : TFiler(stream), end_(stream->Size()) {}
TReader::~TReader() = default;

Int64 TReader::Position() const { return stream_->Position(); }

Int64 TReader::Remaining() const {
  const Int64 pos = stream_->Position();
  return pos >= 0 && pos < end_ ? end_ - pos : 0;
}

void TReader::need(Int64 count) const {
  if (count < 0 || count > Remaining()) readError();
}

void TReader::readBytes(void* data, Int64 count) {
  need(count);
  stream_->ReadBuffer(data, count);
}

Byte TReader::readByte() {
  Byte b;
  readBytes(&b, 1);
  return b;
}

void TReader::skipBytes(Int64 count) {
  need(count);
  stream_->Seek(count, soCurrent);
}

TValueType TReader::ReadValue() {
  const Byte tag = readByte();
  if (tag > kMaxValueType) {
    stream_->Seek(-1, soCurrent);
    invalidValue();
  }
  return static_cast<TValueType>(tag);
}

TValueType TReader::NextValue() {
  // Not validated: a component's prefix byte (0xF0 | flags) is peeked here too.
  const Byte tag = readByte();
  stream_->Seek(-1, soCurrent);
  return static_cast<TValueType>(tag);
}

bool TReader::EndOfList() { return NextValue() == VT::vaNull; }

void TReader::CheckValue(TValueType value) {
  if (ReadValue() != value) {
    stream_->Seek(-1, soCurrent);
    invalidValue();
  }
}

Int64 TReader::readIntegerBody(TValueType tag) {
  switch (tag) {
    case VT::vaInt8:
      return static_cast<ShortInt>(readByte());
    case VT::vaInt16:
      need(2);
      return stream_->ReadInt16();
    case VT::vaInt32:
      need(4);
      return stream_->ReadInt32();
    case VT::vaInt64:
      need(8);
      return stream_->ReadInt64();
    default:
      invalidValue();
  }
}

Integer TReader::ReadInteger() {
  const Int64 start = stream_->Position();
  const Int64 v = ReadInt64();
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max()) {
    stream_->Seek(start, soBeginning);
    invalidValue();
  }
  return static_cast<Integer>(v);
}

Int64 TReader::ReadInt64() {
  const TValueType tag = ReadValue();
  if (!isIntegerTag(tag)) {
    stream_->Seek(-1, soCurrent);
    invalidValue();
  }
  return readIntegerBody(tag);
}

bool TReader::ReadBoolean() {
  const TValueType tag = ReadValue();
  if (tag == VT::vaTrue) return true;
  if (tag == VT::vaFalse) return false;
  stream_->Seek(-1, soCurrent);
  invalidValue();
}

Extended TReader::ReadFloat() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case VT::vaExtended: {
      Byte ext[10];
      readBytes(ext, 10);
      return extendedToDouble(ext);
    }
    case VT::vaDouble:
    case VT::vaDate:
      need(8);
      return stream_->ReadDouble();
    case VT::vaSingle:
      need(4);
      return stream_->ReadSingle();
    case VT::vaCurrency:
      need(8);
      return static_cast<double>(stream_->ReadInt64()) / 10000.0;
    default:
      if (isIntegerTag(tag)) return static_cast<double>(readIntegerBody(tag));
      stream_->Seek(-1, soCurrent);
      invalidValue();
  }
}

float TReader::ReadSingle() { return static_cast<float>(ReadFloat()); }

Currency TReader::ReadCurrency() {
  const TValueType tag = NextValue();
  if (tag == VT::vaCurrency) {
    ReadValue();
    need(8);
    return Currency::FromScaled(stream_->ReadInt64());
  }
  if (isIntegerTag(tag)) {
    const Int64 v = ReadInt64();
    if (v > std::numeric_limits<Int64>::max() / 10000 || v < std::numeric_limits<Int64>::min() / 10000)
      invalidValue();
    return Currency::FromScaled(v * 10000);
  }
  return currencyFromDouble(ReadFloat());
}

TDateTime TReader::ReadDate() { return ReadFloat(); }

Integer TReader::readLength() {
  need(4);
  const Integer length = stream_->ReadInt32();
  if (length < 0) invalidFormat();
  return length;
}

String TReader::readAnsi(Int64 length) {
  need(length);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  stream_->ReadBuffer(bytes.data(), length);
  return AnsiToString(bytes);
}

String TReader::ReadStr() { return readAnsi(readByte()); }

String TReader::ReadString() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case VT::vaString:
      return readAnsi(readByte());
    case VT::vaLString:
      return readAnsi(readLength());
    case VT::vaWString: {
      const Int64 count = readLength();
      need(count * 2);
      TBytes bytes(static_cast<std::size_t>(count * 2));
      stream_->ReadBuffer(bytes.data(), count * 2);
      String text(static_cast<std::size_t>(count), u'\0');
      for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<Char>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
      return text;
    }
    case VT::vaUTF8String: {
      const Integer length = readLength();
      need(length);
      std::string bytes(static_cast<std::size_t>(length), '\0');
      stream_->ReadBuffer(bytes.data(), length);
      return Utf8ToString(bytes);
    }
    default:
      stream_->Seek(-1, soCurrent);
      invalidValue();
  }
}

Char TReader::ReadChar() {
  const String s = ReadString();
  if (s.size() != 1) invalidValue();
  return s[0];
}

String TReader::ReadIdent() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case VT::vaIdent: return ReadStr();
    case VT::vaFalse: return u"False";
    case VT::vaTrue: return u"True";
    case VT::vaNil: return u"nil";
    case VT::vaNull: return u"Null";
    default:
      stream_->Seek(-1, soCurrent);
      invalidValue();
  }
}

UInt64 TReader::ReadSetBits(const std::vector<String>& elementNames) {
  UInt64 bits = 0;
  for (;;) {
    const String name = ReadStr();
    if (name.empty()) break;
    std::size_t i = 0;
    while (i < elementNames.size() && !SameText(elementNames[i], name)) ++i;
    if (i >= elementNames.size() || i >= 64) invalidValue();
    bits |= UInt64{1} << i;
  }
  return bits;
}

TBytes TReader::ReadBinary() {
  CheckValue(VT::vaBinary);
  const Integer length = readLength();
  need(length);
  TBytes bytes(static_cast<std::size_t>(length));
  stream_->ReadBuffer(bytes.data(), length);
  return bytes;
}

void TReader::skipSetBody() {
  for (Byte length = readByte(); length != 0; length = readByte()) skipBytes(length);
}

void TReader::skipProperty() {
  ReadStr();
  SkipValue();
}

void TReader::SkipValue() {
  DepthGuard guard(*this);
  const TValueType tag = ReadValue();
  switch (tag) {
    case VT::vaNull:
    case VT::vaFalse:
    case VT::vaTrue:
    case VT::vaNil:
      return;
    case VT::vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    case VT::vaInt8: skipBytes(1); return;
    case VT::vaInt16: skipBytes(2); return;
    case VT::vaInt32:
    case VT::vaSingle: skipBytes(4); return;
    case VT::vaExtended: skipBytes(10); return;
    case VT::vaInt64:
    case VT::vaCurrency:
    case VT::vaDate:
    case VT::vaDouble: skipBytes(8); return;
    case VT::vaString:
    case VT::vaIdent: skipBytes(readByte()); return;
    case VT::vaBinary:
    case VT::vaLString:
    case VT::vaUTF8String: skipBytes(readLength()); return;
    case VT::vaWString: skipBytes(Int64{readLength()} * 2); return;
    case VT::vaSet: skipSetBody(); return;
    case VT::vaCollection:
      while (!EndOfList()) {
        if (isIntegerTag(NextValue())) SkipValue();  // the item's order
        DepthGuard itemGuard(*this);
        ReadListBegin();
        while (!EndOfList()) skipProperty();
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
  invalidValue();
}

void TReader::DefineProperty(const String& name, const TReaderProc& readData, const TWriterProc&,
                             bool) {
  if (propHandled_ || !readData || !SameText(name, propName_)) return;
  propHandled_ = true;
  readData(this);
}

void TReader::DefineBinaryProperty(const String& name, const TStreamProc& readData,
                                   const TStreamProc&, bool) {
  if (propHandled_ || !readData || !SameText(name, propName_)) return;
  propHandled_ = true;
  // The procedure sees only its own bytes, from the start.
  TBytesStream data(ReadBinary());
  readData(&data);
}

void TReader::ReadSignature() {
  Byte signature[4];
  readBytes(signature, 4);
  if (std::memcmp(signature, kFilerSignature, 4) != 0) invalidFormat();
}

void TReader::unknownProperty(const String& path) {
  String who;
  if (reading_) who = reading_->Name().empty() ? reading_->ClassName() : reading_->Name();
  const String message = u"Error reading " + who + (who.empty() ? u"" : u".") + path +
                         u": Property " + path + u" does not exist";
  bool handled = false;
  if (OnError) OnError(this, message, handled);
  if (!handled) throw EReadError(message);
  SkipValue();
}

bool TReader::readDefinedProperty(TPersistent* instance, const String& name) {
  const ScopedValue<String> askedName(propName_, name);
  const ScopedValue<bool> handled(propHandled_, false);
  instance->DefineProperties(this);
  return propHandled_;
}

void TReader::ReadProperty(TPersistent* instance) {
  const String path = ReadStr();
  if (path.empty()) invalidFormat();
  // Walk "Font.Style": every part but the last names an object property.
  TPersistent* target = instance;
  std::size_t start = 0;
  for (std::size_t dot; (dot = path.find(u'.', start)) != String::npos; start = dot + 1) {
    const PropInfo* prop = GetPropInfo(target, StringView(path).substr(start, dot - start));
    TPersistent* next = nullptr;
    if (prop && prop->Kind == TTypeKind::tkClass && prop->GetObj)
      next = dynamic_cast<TPersistent*>(GetObjectProp(target, prop));
    if (!next) return unknownProperty(path);
    target = next;
  }
  const String name = path.substr(start);
  if (const PropInfo* prop = GetPropInfo(target, name))
    readPropValue(target, prop);
  else if (!readDefinedProperty(target, name))
    unknownProperty(path);
}

void TReader::readPropValue(TPersistent* instance, const PropInfo* prop) {
  switch (prop->Kind) {
    case TTypeKind::tkInteger:
      SetOrdProp(instance, prop, ReadInteger());
      return;
    case TTypeKind::tkInt64:
      SetOrdProp(instance, prop, ReadInt64());
      return;
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
      if (isIntegerTag(NextValue()))
        SetOrdProp(instance, prop, static_cast<Char>(ReadInteger()));
      else
        SetOrdProp(instance, prop, ReadChar());
      return;
    case TTypeKind::tkEnumeration: {
      const String ident = ReadIdent();
      const int value = prop->Enum ? GetEnumValue(*prop->Enum, ident) : -1;
      if (!prop->Enum || ident.empty() || !SameText(GetEnumName(*prop->Enum, value), ident))
        invalidValue();
      SetOrdProp(instance, prop, value);
      return;
    }
    case TTypeKind::tkSet: {
      CheckValue(VT::vaSet);
      std::vector<String> names;
      if (prop->Enum) {
        // Bit n is ordinal n; the names start at the enumeration's minimum.
        names.resize(static_cast<std::size_t>(std::max(prop->Enum->MinValue, 0)));
        names.insert(names.end(), prop->Enum->Names.begin(), prop->Enum->Names.end());
      }
      SetOrdProp(instance, prop, static_cast<Int64>(ReadSetBits(names)));
      return;
    }
    case TTypeKind::tkFloat:
      SetFloatProp(instance, prop, ReadFloat());
      return;
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
    case TTypeKind::tkUString:
      SetStrProp(instance, prop, ReadString());
      return;
    case TTypeKind::tkVariant:
      SetVariantProp(instance, prop, ReadVariant());
      return;
    case TTypeKind::tkMethod:
      SkipValue();  // handlers are connected in code, not by name
      return;
    case TTypeKind::tkClass: {
      const TValueType tag = NextValue();
      if (tag == VT::vaNil) {
        ReadValue();
        SetObjectProp(instance, prop, nullptr);
      } else if (tag == VT::vaIdent) {
        // A component reference, resolved when the whole tree is read.
        const String name = ReadIdent();
        if (session_) session_->fixups.push_back(Fixup{reading_, instance, prop, name});
      } else if (tag == VT::vaCollection) {
        auto* collection = dynamic_cast<TCollection*>(GetObjectProp(instance, prop));
        if (!collection) invalidValue();
        ReadCollection(collection);
      } else {
        invalidValue();
      }
      return;
    }
    default:
      invalidValue();
  }
}

void TReader::ReadCollection(TCollection* collection) {
  DepthGuard guard(*this);
  CheckValue(VT::vaCollection);
  collection->BeginUpdate();
  struct End {
    TCollection* c;
    ~End() { c->EndUpdate(); }
  } end{collection};
  if (!EndOfList()) collection->Clear();
  while (!EndOfList()) {
    if (isIntegerTag(NextValue())) ReadInteger();  // the item's order; items come in order
    DepthGuard itemGuard(*this);
    ReadListBegin();
    TCollectionItem* item = collection->Add();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::readPrefix(int& flags, Integer& childPos) {
  flags = 0;
  childPos = 0;
  const Byte prefix = readByte();
  if ((prefix & 0xF0) != 0xF0) {
    stream_->Seek(-1, soCurrent);  // no prefix: that was the class name's length
    return;
  }
  flags = prefix & 0x0F;
  if (flags & (1 << static_cast<int>(TFilerFlag::ffChildPos))) childPos = ReadInteger();
}

TComponent* TReader::createComponent(const String& className) {
  const ClassInfo& cls = FindClass(className);
  if (!cls.InheritsFrom(TComponent::classInfo()) || !cls.CanCreateComponent())
    throw EReadError(u"Invalid stream format: " + className + u" is not a component class");
  TObject* obj = cls.Create(owner_);
  auto* component = dynamic_cast<TComponent*>(obj);
  if (!component) {
    obj->Free();
    invalidFormat();
  }
  return component;
}

void TReader::markLoading(TComponent* component) {
  component->IncludeState(TComponentStateItem::csLoading);
  component->IncludeState(TComponentStateItem::csReading);
  if (!session_) return;
  auto& loaded = session_->loaded;
  if (std::find(loaded.begin(), loaded.end(), component) == loaded.end()) loaded.push_back(component);
}

namespace {
bool ownedBy(TComponent* c, TComponent* owner) {
  for (; c; c = c->Owner())
    if (c == owner) return true;
  return false;
}
}  // namespace

void TReader::forgetComponent(TComponent* component) {
  // Called before `component` is freed: drop what would dangle.
  if (!session_) return;
  auto& loaded = session_->loaded;
  loaded.erase(std::remove_if(loaded.begin(), loaded.end(),
                              [&](TComponent* c) { return ownedBy(c, component); }),
               loaded.end());
  auto& fixups = session_->fixups;
  fixups.erase(std::remove_if(fixups.begin(), fixups.end(),
                              [&](const Fixup& f) { return ownedBy(f.component, component); }),
               fixups.end());
}

void TReader::finishSession(Session& session) {
  for (const Fixup& f : session.fixups) {
    // "Name" or "RootName.Name"; references outside this tree stay unset.
    StringView name = f.name;
    const std::size_t dot = name.rfind(u'.');
    if (dot != StringView::npos) {
      if (!root_ || !SameText(name.substr(0, dot), root_->Name())) continue;
      name = name.substr(dot + 1);
    }
    TComponent* target = nullptr;
    if (root_) target = SameText(root_->Name(), name) ? root_ : root_->FindComponent(name);
    if (target && f.prop->SetObj && target->InheritsFrom(f.prop->PropClass))
      SetObjectProp(f.instance, f.prop, target);
  }
  for (TComponent* c : session.loaded) c->ExcludeState(TComponentStateItem::csReading);
  std::exception_ptr first;
  for (TComponent* c : session.loaded) {
    try {
      c->Loaded();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

void TReader::abandonSession(Session& session) {
  for (TComponent* c : session.loaded) {
    c->ExcludeState(TComponentStateItem::csReading);
    c->ExcludeState(TComponentStateItem::csLoading);
  }
}

TComponent* TReader::readComponent(TComponent* component) {
  DepthGuard guard(*this);
  int flags = 0;
  Integer childPos = 0;
  readPrefix(flags, childPos);
  const String className = ReadStr();
  const String name = ReadStr();
  TComponent* created = nullptr;
  if (!component) {
    if (flags & (1 << static_cast<int>(TFilerFlag::ffInherited))) {
      component = root_ ? root_->FindComponent(name) : nullptr;
      if (!component) throw EReadError(u"Ancestor for '" + name + u"' not found");
    } else {
      created = createComponent(className);
      component = created;
    }
  }
  // A component this call made goes again if its reading fails.
  ScopeExit dropOnFailure([&] {
    if (!created) return;
    forgetComponent(created);
    created->Free();
  });
  const ScopedValue<TComponent*> restoreReading(reading_);
  markLoading(component);
  if (created) {
    created->SetName(name);
    if (parent_) created->SetParentComponent(parent_);
  }
  reading_ = component;
  component->ReadState(this);
  dropOnFailure.Release();
  return component;
}

TComponent* TReader::ReadComponent(TComponent* component) {
  if (session_) return readComponent(component);
  Session session;
  session_ = &session;
  ScopeExit abandonOnFailure([&] {
    session_ = nullptr;
    abandonSession(session);
  });
  TComponent* const result = readComponent(component);
  abandonOnFailure.Release();
  session_ = nullptr;
  finishSession(session);
  return result;
}

void TReader::ReadData(TComponent* instance) {
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
  // Children belong to the root and sit inside this component.
  const ScopedValue<TComponent*> childOwner(owner_, root_ ? root_ : instance);
  const ScopedValue<TComponent*> childParent(parent_, instance);
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
  ReadSignature();
  Session session;
  Session* const savedSession = session_;
  session_ = &session;
  TComponent* created = nullptr;
  ScopeExit abandonOnFailure([&] {
    reading_ = nullptr;
    session_ = savedSession;
    abandonSession(session);
    if (!created) return;
    root_ = nullptr;
    lookupRoot_ = nullptr;
    owner_ = nullptr;
    created->Free();
  });
  {
    // The nesting limit covers the reading, not the fix-ups after it.
    DepthGuard guard(*this);
    int flags = 0;
    Integer childPos = 0;
    readPrefix(flags, childPos);
    const String className = ReadStr();
    const String name = ReadStr();
    if (!root) {
      owner_ = nullptr;
      created = createComponent(className);
      root = created;
    }
    root_ = root;
    lookupRoot_ = root;
    owner_ = root;
    parent_ = nullptr;
    markLoading(root);
    if (!SameStr(name, root->Name())) root->SetName(name);
    reading_ = root;
    root->ReadState(this);
    reading_ = nullptr;
  }
  abandonOnFailure.Release();
  session_ = savedSession;
  finishSession(session);
  return root;
}

void TReader::ReadComponents(TComponent* owner, TComponent* parent,
                             const std::function<void(TComponent*)>& proc) {
  root_ = owner;
  lookupRoot_ = owner;
  owner_ = owner;
  parent_ = parent;
  ReadSignature();
  while (!EndOfList()) {
    TComponent* c = ReadComponent(nullptr);
    if (proc) proc(c);
  }
  ReadListEnd();
}

}  // namespace rtl

// --- variants ----------------------------------------------------------------

namespace rtl {

void TWriter::WriteVariant(const Variant& value) {
  if (VarIsArray(value)) {
    const NestingLevel<EWriteError> level(depth_, u"Variant arrays nest too deeply to be written");
    WriteListBegin();
    for (Integer i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i)
      WriteVariant(VarArrayGet(value, i));
    WriteListEnd();
    return;
  }
  switch (VarType(value) & varTypeMask) {
    case varEmpty: WriteValue(VT::vaNil); return;
    case varNull: WriteValue(VT::vaNull); return;
    case varOleStr: WriteWideString(value.AsString()); return;
    case varUString: {
      // Text 1252 cannot hold goes as UTF-8 so that it reads back as a String.
      const String text = value.AsString();
      std::string ansi;
      if (fitsAnsi(text, ansi))
        WriteString(text);
      else
        WriteUTF8Str(text);
      return;
    }
    case varString: writeAnsiValue(*stream_, value.AsAnsiString()); return;
    case varShortInt:
    case varByte:
    case varSmallint:
    case varWord:
    case varInteger:
      WriteInteger(value.AsInteger());
      return;
    case varLongWord:
    case varInt64:
      WriteInteger(value.AsInt64());
      return;
    case varUInt64: {
      const Int64 v = value.AsInt64();  // raises when beyond Int64
      WriteInteger(v);
      return;
    }
    case varSingle: WriteSingle(static_cast<float>(value.AsDouble())); return;
    case varDouble: WriteFloat(value.AsDouble()); return;
    case varCurrency: WriteCurrency(value.AsCurrency()); return;
    case varDate: WriteDate(value.AsDateTime()); return;
    case varBoolean: WriteBoolean(value.AsBoolean()); return;
    default:
      throw EWriteError(u"Invalid variant type for a stream: " + VarTypeAsText(VarType(value)));
  }
}

Variant TReader::ReadVariant() {
  const TValueType tag = NextValue();
  switch (tag) {
    case VT::vaNil: ReadValue(); return Unassigned();
    case VT::vaNull: ReadValue(); return Null();
    case VT::vaInt8: return Variant(static_cast<signed char>(ReadInteger()));
    case VT::vaInt16: return Variant(static_cast<short>(ReadInteger()));
    case VT::vaInt32: return Variant(static_cast<int>(ReadInteger()));
    case VT::vaInt64: return Variant(static_cast<long long>(ReadInt64()));
    case VT::vaExtended:
    case VT::vaDouble: return Variant(ReadFloat());
    case VT::vaSingle: return Variant(ReadSingle());
    case VT::vaCurrency: return Variant(ReadCurrency());
    case VT::vaDate: return Variant::FromDateTime(ReadDate());
    case VT::vaString:
    case VT::vaLString:
    case VT::vaUTF8String: return Variant(ReadString());
    case VT::vaWString: return Variant::FromOleStr(ReadString());
    case VT::vaFalse:
    case VT::vaTrue: return Variant(ReadBoolean());
    case VT::vaList: {
      DepthGuard guard(*this);
      ReadValue();
      std::vector<Variant> items;
      while (!EndOfList()) items.push_back(ReadVariant());
      ReadListEnd();
      return VarArrayOf(items);
    }
    default:
      invalidValue();
  }
}

}  // namespace rtl

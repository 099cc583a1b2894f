#include "lib/data/cxVariants.h"

#include <cstring>
#include <exception>
#include <limits>
#include <vector>

#include "lib/core/dxCore.h"
#include "lib/data/cxDataStrs.h"
#include "platform/rtl/except.h"
#include "platform/rtl/filer.h"

namespace data {

using rtl::Byte;
using rtl::Int64;
using rtl::TValueType;

namespace {

// The codes a by-reference variant can point to.
TVarType derefType(const Variant& v) {
  static const TVarType kCodes[] = {
      rtl::varEmpty,   rtl::varNull,    rtl::varSmallint, rtl::varInteger, rtl::varSingle,
      rtl::varDouble,  rtl::varCurrency, rtl::varDate,    rtl::varOleStr,  rtl::varError,
      rtl::varBoolean, rtl::varShortInt, rtl::varByte,    rtl::varWord,    rtl::varLongWord,
      rtl::varInt64,   rtl::varUInt64,  rtl::varString,   rtl::varUString};
  for (TVarType code : kCodes)
    if (rtl::VarIsType(v, code)) return code;
  if (rtl::VarIsSQLTimeStamp(v)) return rtl::VarSQLTimeStamp();
  if (rtl::VarIsFMTBcd(v)) return rtl::VarFMTBcd();
  if (rtl::VarIsArray(v)) return rtl::varArray | rtl::varVariant;
  return rtl::VarType(v) & ~rtl::varByRef;
}

// The array item at `index`, counted from 0 whatever the low bound; false
// when the array has no such item.
bool arrayItem(const Variant& array, Integer index, Variant& item) {
  const Int64 low = rtl::VarArrayLowBound(array, 1);
  const Int64 high = rtl::VarArrayHighBound(array, 1);
  if (index < low || index > high) return false;
  item = rtl::VarArrayGet(array, index);
  return true;
}

int compareArrays(const Variant& a, const Variant& b) {
  const bool aIsArray = rtl::VarIsArray(a), bIsArray = rtl::VarIsArray(b);
  if (!bIsArray) return 1;
  if (!aIsArray) return -1;
  const Int64 highA = rtl::VarArrayHighBound(a, 1);
  const Int64 diff = highA - rtl::VarArrayHighBound(b, 1);
  if (diff != 0) {
    // The difference as it stands, kept inside int for extreme bounds.
    if (diff > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (diff < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(diff);
  }
  Variant itemA, itemB;
  for (Int64 i = 0; i <= highA; ++i) {
    // Arrays whose low bound is above 0 have no item 0: such an array is
    // not comparable, which gives -1 as for other such values.
    if (!arrayItem(a, static_cast<Integer>(i), itemA) || !arrayItem(b, static_cast<Integer>(i), itemB))
      return -1;
    const int r = VarCompare(itemA, itemB);
    if (r != 0) return r;
  }
  return 0;
}

void writeTag(TStream* stream, TValueType tag) { stream->WriteByte(static_cast<Byte>(tag)); }

void writeCompactInteger(TStream* stream, Int64 value) {
  if (value >= -128 && value <= 127) {
    writeTag(stream, TValueType::vaInt8);
    stream->WriteInt8(static_cast<rtl::ShortInt>(value));
  } else if (value >= -32768 && value <= 32767) {
    writeTag(stream, TValueType::vaInt16);
    stream->WriteInt16(static_cast<rtl::SmallInt>(value));
  } else if (value >= std::numeric_limits<Integer>::min() && value <= std::numeric_limits<Integer>::max()) {
    writeTag(stream, TValueType::vaInt32);
    stream->WriteInt32(static_cast<Integer>(value));
  } else {
    writeTag(stream, TValueType::vaInt64);
    stream->WriteInt64(value);
  }
}

void writeAnsiTagged(TStream* stream, const AnsiString& bytes) {
  if (bytes.size() <= 255) {
    writeTag(stream, TValueType::vaString);
    stream->WriteByte(static_cast<Byte>(bytes.size()));
    stream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  } else {
    writeTag(stream, TValueType::vaLString);
    WriteAnsiStringProc(stream, bytes);
  }
}

bool isIntegerType(TVarType t) {
  switch (t) {
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varShortInt:
    case rtl::varByte:
    case rtl::varWord:
    case rtl::varLongWord:
    case rtl::varInt64: return true;
    default: return false;
  }
}

void writeVariant(TStream* stream, const Variant& v, int depth) {
  const TVarType type = VarBaseType(v);
  if ((type & rtl::varArray) != 0) {
    if (rtl::VarArrayDimCount(v) != 1 || depth >= kMaxVariantNesting) cxDataWriteError();
    const Integer low = rtl::VarArrayLowBound(v, 1);
    const Integer high = rtl::VarArrayHighBound(v, 1);
    writeTag(stream, TValueType::vaList);
    writeCompactInteger(stream, Int64{high} - low + 1);
    for (Int64 i = low; i <= high; ++i)
      writeVariant(stream, rtl::VarArrayGet(v, static_cast<Integer>(i)), depth + 1);
    return;
  }
  switch (type) {
    case rtl::varEmpty: writeTag(stream, TValueType::vaNil); return;
    case rtl::varNull: writeTag(stream, TValueType::vaNull); return;
    case rtl::varSingle:
      writeTag(stream, TValueType::vaSingle);
      stream->WriteSingle(static_cast<float>(v.AsDouble()));
      return;
    case rtl::varDouble:
      writeTag(stream, TValueType::vaExtended);
      WriteFloatProc(stream, v.AsDouble());
      return;
    case rtl::varCurrency:
      writeTag(stream, TValueType::vaCurrency);
      stream->WriteInt64(v.AsCurrency().value);
      return;
    case rtl::varDate:
      writeTag(stream, TValueType::vaDate);
      stream->WriteDouble(v.AsDateTime());
      return;
    case rtl::varOleStr:
    case rtl::varUString:
      writeTag(stream, TValueType::vaWString);
      WriteWideStringProc(stream, *v.StringPtr());
      return;
    case rtl::varBoolean: writeTag(stream, v.AsBoolean() ? TValueType::vaTrue : TValueType::vaFalse); return;
    case rtl::varString: writeAnsiTagged(stream, v.AsAnsiString()); return;
    default: break;
  }
  if (isIntegerType(type)) {
    writeCompactInteger(stream, v.AsInt64());
    return;
  }
  if (type == rtl::VarSQLTimeStamp()) {
    writeTag(stream, TValueType::vaDate);
    stream->WriteDouble(v.AsDateTime());
    return;
  }
  // Unsigned 64-bit values, decimals, error codes...: their text.
  AnsiString text;
  try {
    text = core::dxVariantToAnsiString(v);
  } catch (const std::exception&) {
    cxDataWriteError();
  }
  writeAnsiTagged(stream, text);
}

// A length or count read from the stream, refused when negative or when the
// bytes it announces (`unitSize` each) are not all there.
Int64 checkedLength(TStream* stream, Int64 length, Int64 unitSize) {
  if (length < 0 || length > stream->Remaining() / unitSize) cxDataReadError();
  return length;
}

AnsiString readAnsiBytes(TStream* stream, Int64 length) {
  AnsiString bytes(static_cast<size_t>(checkedLength(stream, length, 1)), '\0');
  if (length > 0) stream->ReadBuffer(bytes.data(), length);
  return bytes;
}

void readVariant(TStream* stream, Variant& v, int depth) {
  v = rtl::Null();
  const Byte tag = stream->ReadByte();
  switch (static_cast<TValueType>(tag)) {
    case TValueType::vaList: {
      if (depth >= kMaxVariantNesting) cxDataReadError();
      const Byte countTag = stream->ReadByte();
      Int64 count;
      switch (static_cast<TValueType>(countTag)) {
        case TValueType::vaInt8: count = stream->ReadInt8(); break;
        case TValueType::vaInt16: count = stream->ReadInt16(); break;
        case TValueType::vaInt32: count = stream->ReadInt32(); break;
        default: count = stream->ReadInt64(); break;
      }
      // Every item takes at least its tag byte.
      checkedLength(stream, count, 1);
      std::vector<Variant> items(static_cast<size_t>(count));
      for (Variant& item : items) readVariant(stream, item, depth + 1);
      v = rtl::VarArrayOf(items);
      return;
    }
    case TValueType::vaNull: return;
    case TValueType::vaNil: v = rtl::Unassigned(); return;
    case TValueType::vaInt8: v = Variant(static_cast<signed char>(stream->ReadInt8())); return;
    case TValueType::vaInt16: v = Variant(static_cast<short>(stream->ReadInt16())); return;
    case TValueType::vaInt32: v = Variant(static_cast<int>(stream->ReadInt32())); return;
    case TValueType::vaInt64: v = Variant(static_cast<long long>(stream->ReadInt64())); return;
    case TValueType::vaExtended: {
      double d;
      ReadFloatProc(stream, d);
      v = Variant(d);
      return;
    }
    case TValueType::vaString: {
      const Byte length = stream->ReadByte();
      v = Variant::FromAnsiString(readAnsiBytes(stream, length));
      return;
    }
    case TValueType::vaLString: v = Variant::FromAnsiString(ReadAnsiStringFunc(stream)); return;
    case TValueType::vaFalse: v = Variant(false); return;
    case TValueType::vaTrue: v = Variant(true); return;
    case TValueType::vaSingle: v = Variant(stream->ReadSingle()); return;
    case TValueType::vaCurrency: v = Variant(rtl::Currency::FromScaled(stream->ReadInt64())); return;
    case TValueType::vaDate: v = Variant::FromDateTime(stream->ReadDouble()); return;
    case TValueType::vaWString: v = Variant::FromOleStr(ReadWideStringFunc(stream)); return;
    default: cxDataReadError();
  }
}

}  // namespace

[[noreturn]] void cxDataReadError() { throw rtl::EReadError(core::cxGetResourceString(&cxSDataReadError)); }
[[noreturn]] void cxDataWriteError() { throw rtl::EWriteError(core::cxGetResourceString(&cxSDataWriteError)); }

// --- comparison and tests ----------------------------------------------------------

TVarType VarBaseType(const Variant& v) { return rtl::VarIsByRef(v) ? derefType(v) : rtl::VarType(v); }

int VarCompare(const Variant& a, const Variant& b) {
  try {
    if (rtl::VarIsArray(a) || rtl::VarIsArray(b)) return compareArrays(a, b);
    if (rtl::VarIsEmpty(a)) return rtl::VarIsEmpty(b) ? 0 : -1;
    if (rtl::VarIsEmpty(b)) return 1;
    if (a == b) return 0;
    if (rtl::VarIsNull(a)) return -1;
    if (rtl::VarIsNull(b)) return 1;
    return a < b ? -1 : 1;
  } catch (const rtl::EVariantError&) {
    return -1;
  }
}

bool VarEqualsExact(const Variant& a, const Variant& b) {
  if (rtl::VarIsNull(a) || rtl::VarIsNull(b) ||
      (!rtl::VarIsType(a, rtl::varBoolean) && !rtl::VarIsType(b, rtl::varBoolean)))
    return VarEquals(a, b);
  try {
    return rtl::VarToStr(a) == rtl::VarToStr(b);
  } catch (const rtl::EVariantError&) {
    return false;
  }
}

bool VarIsSoftNull(const Variant& v) {
  if (rtl::VarIsNull(v)) return true;
  if (const String* text = v.StringPtr()) return text->empty();
  return rtl::VarIsType(v, rtl::varString) && v.AsAnsiString().empty();
}

bool VarTypeIsDate(TVarType varType) {
  return varType == rtl::varDate || varType == rtl::VarSQLTimeStamp();
}

bool VarIsDate(const Variant& v) { return VarTypeIsDate(VarBaseType(v) & rtl::varTypeMask); }

bool VarIsNumericEx(const Variant& v) { return rtl::VarIsNumeric(v) || rtl::VarIsFMTBcd(v); }

bool VarTypeIsCurrency(TVarType varType) { return varType == rtl::varCurrency || varType == rtl::VarFMTBcd(); }

// --- condition arrays ----------------------------------------------------------------

Variant VarBetweenArrayCreate(const Variant& low, const Variant& high) {
  Variant result = rtl::VarArrayCreate({0, 1}, rtl::varVariant);
  rtl::VarArrayPut(result, low, 0);
  rtl::VarArrayPut(result, high, 1);
  return result;
}

Variant VarListArrayCreate(const Variant& v) {
  Variant result = rtl::VarArrayCreate({0, 0}, rtl::varVariant);
  rtl::VarArrayPut(result, v, 0);
  return result;
}

void VarListArrayAddValue(Variant& list, const Variant& v) {
  const Integer low = rtl::VarArrayLowBound(list, 1);
  const Integer high = rtl::VarArrayHighBound(list, 1);
  const Integer count = high - low + 1;
  Variant result = rtl::VarArrayCreate({0, count}, rtl::varVariant);
  for (Integer i = low; i <= high; ++i) rtl::VarArrayPut(result, rtl::VarArrayGet(list, i), i);
  rtl::VarArrayPut(result, v, count);
  list = std::move(result);
}

// --- tagged encoding -----------------------------------------------------------------

void WriteVariantProc(TStream* stream, const Variant& v) { writeVariant(stream, v, 0); }
void ReadVariantProc(TStream* stream, Variant& v) { readVariant(stream, v, 0); }

Variant ReadVariantFunc(TStream* stream) {
  Variant v;
  ReadVariantProc(stream, v);
  return v;
}

// --- primitives --------------------------------------------------------------------------

bool ReadBooleanFunc(TStream* stream) { return stream->ReadByte() != 0; }
void ReadBooleanProc(TStream* stream, bool& value) { value = ReadBooleanFunc(stream); }
void WriteBooleanProc(TStream* stream, bool value) { stream->WriteByte(value ? 1 : 0); }
Byte ReadByteFunc(TStream* stream) { return stream->ReadByte(); }
void ReadByteProc(TStream* stream, Byte& value) { value = stream->ReadByte(); }
void WriteByteProc(TStream* stream, Byte value) { stream->WriteByte(value); }
rtl::SmallInt ReadSmallIntFunc(TStream* stream) { return stream->ReadInt16(); }
void ReadSmallIntProc(TStream* stream, rtl::SmallInt& value) { value = stream->ReadInt16(); }
void WriteSmallIntProc(TStream* stream, rtl::SmallInt value) { stream->WriteInt16(value); }
rtl::Word ReadWordFunc(TStream* stream) { return stream->ReadWord(); }
void ReadWordProc(TStream* stream, rtl::Word& value) { value = stream->ReadWord(); }
void WriteWordProc(TStream* stream, rtl::Word value) { stream->WriteWord(value); }
Integer ReadIntegerFunc(TStream* stream) { return stream->ReadInt32(); }
void ReadIntegerProc(TStream* stream, Integer& value) { value = stream->ReadInt32(); }
void WriteIntegerProc(TStream* stream, Integer value) { stream->WriteInt32(value); }
Int64 ReadLargeIntFunc(TStream* stream) { return stream->ReadInt64(); }
void ReadLargeIntProc(TStream* stream, Int64& value) { value = stream->ReadInt64(); }
void WriteLargeIntProc(TStream* stream, Int64 value) { stream->WriteInt64(value); }
void ReadSingleProc(TStream* stream, float& value) { value = stream->ReadSingle(); }
void WriteSingleProc(TStream* stream, float value) { stream->WriteSingle(value); }

void ReadFloatProc(TStream* stream, double& value) {
  Byte bytes[10];
  stream->ReadBuffer(bytes, sizeof bytes);
  value = rtl::extendedToDouble(bytes);
}

void WriteFloatProc(TStream* stream, double value) {
  Byte bytes[10];
  rtl::doubleToExtended(value, bytes);
  stream->WriteBuffer(bytes, sizeof bytes);
}

rtl::Currency ReadCurrencyFunc(TStream* stream) { return rtl::Currency::FromScaled(stream->ReadInt64()); }
void ReadCurrencyProc(TStream* stream, rtl::Currency& value) { value = ReadCurrencyFunc(stream); }
void WriteCurrencyProc(TStream* stream, rtl::Currency value) { stream->WriteInt64(value.value); }
rtl::TDateTime ReadDateTimeFunc(TStream* stream) { return stream->ReadDouble(); }
void ReadDateTimeProc(TStream* stream, rtl::TDateTime& value) { value = stream->ReadDouble(); }
void WriteDateTimeProc(TStream* stream, rtl::TDateTime value) { stream->WriteDouble(value); }

AnsiString ReadAnsiStringFunc(TStream* stream) { return readAnsiBytes(stream, stream->ReadInt32()); }
void ReadAnsiStringProc(TStream* stream, AnsiString& value) { value = ReadAnsiStringFunc(stream); }

void WriteAnsiStringProc(TStream* stream, const AnsiString& value) {
  if (value.size() > static_cast<size_t>(std::numeric_limits<Integer>::max())) cxDataWriteError();
  stream->WriteInt32(static_cast<Integer>(value.size()));
  if (!value.empty()) stream->WriteBuffer(value.data(), static_cast<Int64>(value.size()));
}

String ReadWideStringFunc(TStream* stream) {
  const Int64 count = checkedLength(stream, stream->ReadInt32(), 2);
  std::vector<Byte> bytes(static_cast<size_t>(count) * 2);
  if (count > 0) stream->ReadBuffer(bytes.data(), count * 2);
  String text(static_cast<size_t>(count), u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<rtl::Char>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

void ReadWideStringProc(TStream* stream, String& value) { value = ReadWideStringFunc(stream); }

void WriteWideStringProc(TStream* stream, rtl::StringView value) {
  if (value.size() > static_cast<size_t>(std::numeric_limits<Integer>::max() / 2)) cxDataWriteError();
  stream->WriteInt32(static_cast<Integer>(value.size()));
  std::vector<Byte> bytes(value.size() * 2);
  for (size_t i = 0; i < value.size(); ++i) {
    bytes[2 * i] = static_cast<Byte>(value[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<Byte>(value[i] >> 8);
  }
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

// --- filers ------------------------------------------------------------------------------

TcxFiler::TcxFiler(TStream* stream, Integer version)
    : FStream(stream), FVersion(version), FIsUnicode(core::dxIsUnicodeStream(stream)) {}

}  // namespace data

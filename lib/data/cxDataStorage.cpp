#include "lib/data/cxDataStorage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <mutex>
#include <utility>

#include "lib/core/dxCore.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace data {

using rtl::Int64;
using rtl::Integer;

namespace {

// Slots sit at any byte offset: values move in and out by memcpy.
template <class T>
T load(const Byte* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
void store(Byte* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

// Reference slots own their block: adopt() hands one to a slot, take()
// hands it back (the slot is left empty).
template <class T>
void adopt(Byte* slot, std::unique_ptr<T> block) {
  store<T*>(slot, block.release());
}

template <class T>
std::unique_ptr<T> take(Byte* slot) {
  std::unique_ptr<T> block(load<T*>(slot));
  store<T*>(slot, nullptr);
  return block;
}

template <class T>
const T* refOf(const void* slot) {
  return load<const T*>(static_cast<const Byte*>(slot));
}

// Stores text into a String slot, reusing the block it has.
void storeText(Byte* slot, String&& text) {
  if (String* current = load<String*>(slot))
    *current = std::move(text);
  else
    adopt(slot, std::make_unique<String>(std::move(text)));
}

constexpr int kRefSize = static_cast<int>(sizeof(void*));

template <class T>
int sign(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Equal (and not a number) gives 0.
template <class T>
int realCompare(T a, T b) {
  if (a == b || std::isnan(a) || std::isnan(b)) return 0;
  return a > b ? 1 : -1;
}

// The four reference-holding types: an empty reference sorts first.
bool compareEmpty(TcxPreparedValue p1, TcxPreparedValue p2, int& result) {
  if (p1 != nullptr && p2 != nullptr) return false;
  result = p1 == p2 ? 0 : (p1 == nullptr ? -1 : 1);
  return true;
}

String readText(TStream* stream, bool isUnicode) {
  if (isUnicode) return ReadWideStringFunc(stream);
  return core::dxAnsiStringToString(ReadAnsiStringFunc(stream), 0);
}

void writeText(TStream* stream, rtl::StringView text, bool isUnicode) {
  if (isUnicode)
    WriteWideStringProc(stream, text);
  else
    WriteAnsiStringProc(stream, core::dxStringToAnsiString(text, 0));
}

[[noreturn]] void listIndexError(int index) {
  throw rtl::EListError(u"List index out of bounds (" + rtl::IntToStr(index) + u")");
}

// --- packed decimals -----------------------------------------------------------------
constexpr int kBcdSize = 34;

void packBcd(const rtl::TBcd& bcd, Byte* out) {
  std::memset(out, 0, kBcdSize);
  const String& text = bcd.Value;
  const bool negative = !text.empty() && text[0] == u'-';
  String digits;
  bool leading = true;
  int scale = 0, afterPoint = -1;
  for (rtl::Char c : text) {
    if (c == u'.') {
      afterPoint = 0;
      leading = false;
      continue;
    }
    if (c < u'0' || c > u'9') continue;
    if (afterPoint >= 0) ++afterPoint;
    if (leading && c == u'0') continue;  // leading zeros of the integer part
    leading = false;
    digits.push_back(c);
  }
  scale = afterPoint < 0 ? 0 : afterPoint;
  if (digits.size() > 64) digits.resize(64);  // a TBcd holds at most 64 digits
  out[0] = static_cast<Byte>(digits.size());
  out[1] = static_cast<Byte>((negative ? 0x80 : 0) | (scale & 0x3F));
  for (size_t i = 0; i < digits.size(); ++i) {
    const Byte nibble = static_cast<Byte>(digits[i] - u'0');
    out[2 + i / 2] |= i % 2 == 0 ? static_cast<Byte>(nibble << 4) : nibble;
  }
}

rtl::TBcd unpackBcd(const Byte* in) {
  const int count = std::min<int>(in[0], 64);
  const int scale = std::min<int>(in[1] & 0x3F, count);
  String digits;
  for (int i = 0; i < count; ++i) {
    const Byte b = in[2 + i / 2];
    digits.push_back(static_cast<rtl::Char>(u'0' + ((i % 2 == 0 ? b >> 4 : b & 0x0F) % 10)));
  }
  String intPart = digits.substr(0, static_cast<size_t>(count - scale));
  if (intPart.empty()) intPart = u"0";
  rtl::TBcd bcd;
  bcd.Value = intPart;
  if (scale > 0) bcd.Value += u"." + digits.substr(static_cast<size_t>(count - scale));
  const bool zero = digits.find_first_not_of(u'0') == String::npos;
  if ((in[1] & 0x80) != 0 && !zero) bcd.Value.insert(bcd.Value.begin(), u'-');
  bcd.Precision = static_cast<rtl::Word>(std::max(count, 1));
  bcd.Scale = static_cast<rtl::Word>(scale);
  return bcd;
}

}  // namespace

// --- base value type ---------------------------------------------------------------------

int TcxValueType::Compare(TcxConstDataPtr slot1, TcxConstDataPtr slot2) const {
  return CompareValues(PrepareValueBuffer(slot1), PrepareValueBuffer(slot2));
}
void TcxValueType::FreeBuffer(TcxDataPtr) const {}
int TcxValueType::GetDataSize() const { return 0; }
Variant TcxValueType::GetDataValue(TcxConstDataPtr) const { return rtl::Null(); }

String TcxValueType::GetDefaultDisplayText(TcxConstDataPtr slot) const {
  try {
    return rtl::VarToStr(GetDataValue(slot));
  } catch (const rtl::EVariantError&) {
    return String();
  }
}

void TcxValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  SetDataValue(slot, ReadVariantFunc(stream));
}
void TcxValueType::SetDataValue(TcxDataPtr, const Variant&) const {}
void TcxValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  WriteVariantProc(stream, GetDataValue(slot));
}

void TcxValueType::FreeTextBuffer(TcxDataPtr textSlot) { take<String>(textSlot); }

String TcxValueType::GetDisplayText(TcxConstDataPtr textSlot) {
  const String* text = refOf<String>(textSlot);
  return text ? *text : String();
}

void TcxValueType::SetDisplayText(TcxDataPtr textSlot, rtl::StringView text) { storeText(textSlot, String(text)); }

void TcxValueType::ReadDisplayText(TcxDataPtr textSlot, TStream* stream, bool isUnicode) {
  storeText(textSlot, readText(stream, isUnicode));
}

void TcxValueType::WriteDisplayText(TcxConstDataPtr textSlot, TStream* stream, bool isUnicode) {
  const String* text = refOf<String>(textSlot);
  writeText(stream, text ? rtl::StringView(*text) : rtl::StringView(), isUnicode);
}

int TcxValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return VarCompare(GetValue(p1), GetValue(p2));
}
Variant TcxValueType::GetValue(TcxPreparedValue prepared) const {
  return GetDataValue(static_cast<TcxConstDataPtr>(prepared));
}
TVarType TcxValueType::GetVarType() const { return rtl::varVariant; }

bool TcxValueType::IsValueValid(Variant& value) const {
  if (rtl::VarIsNull(value) || GetVarType() == rtl::varVariant) return true;
  try {
    value = rtl::VarAsType(value, GetVarType());
    return true;
  } catch (const rtl::EVariantError&) {
    return false;
  } catch (const rtl::EConvertError&) {
    return false;
  }
}

bool TcxValueType::IsString() const { return false; }
TcxPreparedValue TcxValueType::PrepareValueBuffer(TcxConstDataPtr slot) const { return slot; }

#define CX_VALUE_TYPE_INSTANCE(Name, Caption)        \
  TcxValueTypeClass Name::Instance() {               \
    static const Name instance(Caption);             \
    return &instance;                                \
  }

// --- String -------------------------------------------------------------------------------
CX_VALUE_TYPE_INSTANCE(TcxStringValueType, u"String")

int TcxStringValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  int result;
  if (compareEmpty(p1, p2, result)) return result;
  return rtl::CompareStr(*StringOf(p1), *StringOf(p2));
}
void TcxStringValueType::FreeBuffer(TcxDataPtr slot) const { take<String>(slot); }
int TcxStringValueType::GetDataSize() const { return kRefSize; }
Variant TcxStringValueType::GetDataValue(TcxConstDataPtr slot) const { return GetValue(PrepareValueBuffer(slot)); }
Variant TcxStringValueType::GetValue(TcxPreparedValue prepared) const {
  const String* text = StringOf(prepared);
  return text ? Variant(*text) : rtl::Null();
}
TVarType TcxStringValueType::GetVarType() const { return rtl::varUString; }
bool TcxStringValueType::IsString() const { return true; }
TcxPreparedValue TcxStringValueType::PrepareValueBuffer(TcxConstDataPtr slot) const { return refOf<String>(slot); }

void TcxStringValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const {
  storeText(slot, readText(stream, isUnicode));
}

void TcxStringValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  // Bytes of an array are text in the system code page.
  String text = rtl::VarIsArray(value) ? core::dxAnsiStringToString(core::dxVariantToAnsiString(value), 0)
                                       : rtl::VarToStr(value);
  storeText(slot, std::move(text));
}

void TcxStringValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const {
  const String* text = refOf<String>(slot);
  writeText(stream, text ? rtl::StringView(*text) : rtl::StringView(), isUnicode);
}

// --- WideString -----------------------------------------------------------------------------
CX_VALUE_TYPE_INSTANCE(TcxWideStringValueType, u"WideString")

int TcxWideStringValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  static const String kEmpty;
  const String* a = StringOf(p1);
  const String* b = StringOf(p2);
  const int c = rtl::CompareStr(a ? *a : kEmpty, b ? *b : kEmpty);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
Variant TcxWideStringValueType::GetDataValue(TcxConstDataPtr slot) const {
  return GetValue(PrepareValueBuffer(slot));
}
Variant TcxWideStringValueType::GetValue(TcxPreparedValue prepared) const {
  const String* text = StringOf(prepared);
  return text ? Variant::FromOleStr(*text) : rtl::Null();
}
TVarType TcxWideStringValueType::GetVarType() const { return rtl::varOleStr; }

void TcxWideStringValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  auto block = std::make_unique<String>(ReadWideStringFunc(stream));
  take<String>(slot);
  adopt(slot, std::move(block));
}

void TcxWideStringValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  if (rtl::VarIsNull(value)) {
    take<String>(slot);
    return;
  }
  auto block = std::make_unique<String>(rtl::VarToStr(value));
  take<String>(slot);
  adopt(slot, std::move(block));
}

void TcxWideStringValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  const String* text = refOf<String>(slot);
  WriteWideStringProc(stream, text ? rtl::StringView(*text) : rtl::StringView());
}

// --- fixed-size numbers ----------------------------------------------------------------------
CX_VALUE_TYPE_INSTANCE(TcxSmallintValueType, u"Smallint")
int TcxSmallintValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return int{load<rtl::SmallInt>(static_cast<const Byte*>(p1))} - load<rtl::SmallInt>(static_cast<const Byte*>(p2));
}
int TcxSmallintValueType::GetDataSize() const { return 2; }
Variant TcxSmallintValueType::GetDataValue(TcxConstDataPtr slot) const {
  return Variant(static_cast<short>(load<rtl::SmallInt>(slot)));
}
TVarType TcxSmallintValueType::GetVarType() const { return rtl::varSmallint; }
void TcxSmallintValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  store(slot, stream->ReadInt16());
}
void TcxSmallintValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, static_cast<rtl::SmallInt>(value.AsInt64()));
}
void TcxSmallintValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteInt16(load<rtl::SmallInt>(slot));
}

CX_VALUE_TYPE_INSTANCE(TcxIntegerValueType, u"Integer")
int TcxIntegerValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return sign(load<Integer>(static_cast<const Byte*>(p1)), load<Integer>(static_cast<const Byte*>(p2)));
}
int TcxIntegerValueType::GetDataSize() const { return 4; }
Variant TcxIntegerValueType::GetDataValue(TcxConstDataPtr slot) const {
  return Variant(static_cast<int>(load<Integer>(slot)));
}
TVarType TcxIntegerValueType::GetVarType() const { return rtl::varInteger; }
void TcxIntegerValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  store(slot, stream->ReadInt32());
}
void TcxIntegerValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, static_cast<Integer>(value.AsInt64()));
}
void TcxIntegerValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteInt32(load<Integer>(slot));
}

CX_VALUE_TYPE_INSTANCE(TcxWordValueType, u"Word")
int TcxWordValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return int{load<rtl::Word>(static_cast<const Byte*>(p1))} - load<rtl::Word>(static_cast<const Byte*>(p2));
}
int TcxWordValueType::GetDataSize() const { return 2; }
Variant TcxWordValueType::GetDataValue(TcxConstDataPtr slot) const {
  return Variant(static_cast<unsigned short>(load<rtl::Word>(slot)));
}
TVarType TcxWordValueType::GetVarType() const { return rtl::varWord; }
void TcxWordValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const { store(slot, stream->ReadWord()); }
void TcxWordValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, static_cast<rtl::Word>(value.AsInt64()));
}
void TcxWordValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteWord(load<rtl::Word>(slot));
}

CX_VALUE_TYPE_INSTANCE(TcxBooleanValueType, u"Boolean")
int TcxBooleanValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return int{*static_cast<const Byte*>(p1)} - *static_cast<const Byte*>(p2);
}
int TcxBooleanValueType::GetDataSize() const { return 1; }
Variant TcxBooleanValueType::GetDataValue(TcxConstDataPtr slot) const { return Variant(*slot != 0); }
String TcxBooleanValueType::GetDefaultDisplayText(TcxConstDataPtr slot) const {
  try {
    return rtl::VarToStr(GetDataValue(slot));
  } catch (const rtl::EVariantError&) {
    return String();
  }
}
TVarType TcxBooleanValueType::GetVarType() const { return rtl::varBoolean; }
void TcxBooleanValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  *slot = stream->ReadByte() != 0 ? 1 : 0;
}
void TcxBooleanValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  *slot = value.AsBoolean() ? 1 : 0;
}
void TcxBooleanValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteByte(*slot != 0 ? 1 : 0);
}

CX_VALUE_TYPE_INSTANCE(TcxSingleValueType, u"Single")
int TcxSingleValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return realCompare(load<float>(static_cast<const Byte*>(p1)), load<float>(static_cast<const Byte*>(p2)));
}
int TcxSingleValueType::GetDataSize() const { return 4; }
Variant TcxSingleValueType::GetDataValue(TcxConstDataPtr slot) const { return Variant(load<float>(slot)); }
TVarType TcxSingleValueType::GetVarType() const { return rtl::varSingle; }
void TcxSingleValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  store(slot, stream->ReadSingle());
}
void TcxSingleValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, static_cast<float>(value.AsDouble()));
}
void TcxSingleValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteSingle(load<float>(slot));
}

CX_VALUE_TYPE_INSTANCE(TcxFloatValueType, u"Float")
int TcxFloatValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return realCompare(load<double>(static_cast<const Byte*>(p1)), load<double>(static_cast<const Byte*>(p2)));
}
int TcxFloatValueType::GetDataSize() const { return 8; }
Variant TcxFloatValueType::GetDataValue(TcxConstDataPtr slot) const { return Variant(load<double>(slot)); }
TVarType TcxFloatValueType::GetVarType() const { return rtl::varDouble; }
void TcxFloatValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  double d;
  ReadFloatProc(stream, d);
  store(slot, d);
}
void TcxFloatValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, value.AsDouble());
}
void TcxFloatValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  WriteFloatProc(stream, load<double>(slot));
}

CX_VALUE_TYPE_INSTANCE(TcxCurrencyValueType, u"Currency")
int TcxCurrencyValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return sign(load<Int64>(static_cast<const Byte*>(p1)), load<Int64>(static_cast<const Byte*>(p2)));
}
int TcxCurrencyValueType::GetDataSize() const { return 8; }
Variant TcxCurrencyValueType::GetDataValue(TcxConstDataPtr slot) const {
  return Variant(rtl::Currency::FromScaled(load<Int64>(slot)));
}
TVarType TcxCurrencyValueType::GetVarType() const { return rtl::varCurrency; }
void TcxCurrencyValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  store(slot, stream->ReadInt64());
}
void TcxCurrencyValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, value.AsCurrency().value);
}
void TcxCurrencyValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteInt64(load<Int64>(slot));
}

CX_VALUE_TYPE_INSTANCE(TcxDateTimeValueType, u"DateTime")
int TcxDateTimeValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return realCompare(load<double>(static_cast<const Byte*>(p1)), load<double>(static_cast<const Byte*>(p2)));
}
int TcxDateTimeValueType::GetDataSize() const { return 8; }
Variant TcxDateTimeValueType::GetDataValue(TcxConstDataPtr slot) const {
  return Variant::FromDateTime(load<double>(slot));
}
String TcxDateTimeValueType::GetDefaultDisplayText(TcxConstDataPtr slot) const {
  try {
    return rtl::VarToStr(GetDataValue(slot));
  } catch (const rtl::EVariantError&) {
    return rtl::DateTimeToStr(load<double>(slot));
  }
}
TVarType TcxDateTimeValueType::GetVarType() const { return rtl::varDate; }
void TcxDateTimeValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  store(slot, stream->ReadDouble());
}
void TcxDateTimeValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, value.AsDateTime());
}
void TcxDateTimeValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteDouble(load<double>(slot));
}

CX_VALUE_TYPE_INSTANCE(TcxLargeIntValueType, u"LargeInt")
int TcxLargeIntValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return sign(load<Int64>(static_cast<const Byte*>(p1)), load<Int64>(static_cast<const Byte*>(p2)));
}
int TcxLargeIntValueType::GetDataSize() const { return 8; }
Variant TcxLargeIntValueType::GetDataValue(TcxConstDataPtr slot) const {
  return Variant(static_cast<long long>(load<Int64>(slot)));
}
TVarType TcxLargeIntValueType::GetVarType() const { return rtl::varInt64; }
void TcxLargeIntValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  store(slot, stream->ReadInt64());
}
void TcxLargeIntValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, value.AsInt64());
}
void TcxLargeIntValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  stream->WriteInt64(load<Int64>(slot));
}

// --- FMTBcd and SQL time stamps ------------------------------------------------------------------
CX_VALUE_TYPE_INSTANCE(TcxFMTBcdValueType, u"FMTBcd")
int TcxFMTBcdValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return rtl::BcdCompare(unpackBcd(static_cast<const Byte*>(p1)), unpackBcd(static_cast<const Byte*>(p2)));
}
int TcxFMTBcdValueType::GetDataSize() const { return kBcdSize; }
Variant TcxFMTBcdValueType::GetDataValue(TcxConstDataPtr slot) const {
  return rtl::VarFMTBcdCreate(unpackBcd(slot));
}
String TcxFMTBcdValueType::GetDefaultDisplayText(TcxConstDataPtr slot) const {
  return rtl::BcdToStr(unpackBcd(slot));
}
TVarType TcxFMTBcdValueType::GetVarType() const { return rtl::VarFMTBcd(); }
void TcxFMTBcdValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  Byte packed[kBcdSize];
  packBcd(rtl::VarToBcd(value), packed);
  std::memcpy(slot, packed, kBcdSize);
}

static_assert(sizeof(rtl::TSQLTimeStamp) == 16, "the slot holds the stamp as it is");

CX_VALUE_TYPE_INSTANCE(TcxSQLTimeStampValueType, u"SQLTimeStamp")
int TcxSQLTimeStampValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  const auto a = load<rtl::TSQLTimeStamp>(static_cast<const Byte*>(p1));
  const auto b = load<rtl::TSQLTimeStamp>(static_cast<const Byte*>(p2));
  if (a.Year != b.Year) return a.Year - b.Year;
  if (a.Month != b.Month) return a.Month - b.Month;
  if (a.Day != b.Day) return a.Day - b.Day;
  if (a.Hour != b.Hour) return a.Hour - b.Hour;
  if (a.Minute != b.Minute) return a.Minute - b.Minute;
  if (a.Second != b.Second) return a.Second - b.Second;
  return sign(a.Fractions, b.Fractions) * static_cast<int>(std::min<rtl::LongWord>(
                                              a.Fractions > b.Fractions ? a.Fractions - b.Fractions
                                                                        : b.Fractions - a.Fractions,
                                              std::numeric_limits<int>::max()));
}
int TcxSQLTimeStampValueType::GetDataSize() const { return 16; }
Variant TcxSQLTimeStampValueType::GetDataValue(TcxConstDataPtr slot) const {
  return Variant::FromDateTime(rtl::SQLTimeStampToDateTime(load<rtl::TSQLTimeStamp>(slot)));
}
TVarType TcxSQLTimeStampValueType::GetVarType() const { return rtl::VarSQLTimeStamp(); }
void TcxSQLTimeStampValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, rtl::VarToSQLTimeStamp(value));
}

// --- Variant ---------------------------------------------------------------------------------------
CX_VALUE_TYPE_INSTANCE(TcxVariantValueType, u"Variant")
int TcxVariantValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  int result;
  if (compareEmpty(p1, p2, result)) return result;
  return VarCompare(*static_cast<const Variant*>(p1), *static_cast<const Variant*>(p2));
}
void TcxVariantValueType::FreeBuffer(TcxDataPtr slot) const { take<Variant>(slot); }
int TcxVariantValueType::GetDataSize() const { return kRefSize; }
Variant TcxVariantValueType::GetDataValue(TcxConstDataPtr slot) const { return GetValue(PrepareValueBuffer(slot)); }
Variant TcxVariantValueType::GetValue(TcxPreparedValue prepared) const {
  const auto* v = static_cast<const Variant*>(prepared);
  return v ? *v : rtl::Null();
}
TcxPreparedValue TcxVariantValueType::PrepareValueBuffer(TcxConstDataPtr slot) const { return refOf<Variant>(slot); }
void TcxVariantValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  if (Variant* current = load<Variant*>(slot))
    *current = value;
  else
    adopt(slot, std::make_unique<Variant>(value));
}

// --- Object ----------------------------------------------------------------------------------------
CX_VALUE_TYPE_INSTANCE(TcxObjectValueType, u"Object")
int TcxObjectValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  return sign(load<std::uintptr_t>(static_cast<const Byte*>(p1)), load<std::uintptr_t>(static_cast<const Byte*>(p2)));
}
void TcxObjectValueType::FreeBuffer(TcxDataPtr slot) const { take<rtl::TObject>(slot); }
int TcxObjectValueType::GetDataSize() const { return kRefSize; }
Variant TcxObjectValueType::GetDataValue(TcxConstDataPtr slot) const {
  return VarFromObject(load<const rtl::TObject*>(slot));
}
TVarType TcxObjectValueType::GetVarType() const { return rtl::varInt64; }
void TcxObjectValueType::ReadDataValue(TcxDataPtr, TStream*, bool) const {}
void TcxObjectValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  store(slot, ObjectOf(value));
}
void TcxObjectValueType::WriteDataValue(TcxConstDataPtr, TStream*, bool) const {}
rtl::TObject* TcxObjectValueType::ObjectOf(const Variant& value) {
  return reinterpret_cast<rtl::TObject*>(static_cast<std::uintptr_t>(value.AsInt64()));
}
Variant TcxObjectValueType::VarFromObject(const rtl::TObject* object) {
  return Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(object)));
}

// --- BLOB ------------------------------------------------------------------------------------------
CX_VALUE_TYPE_INSTANCE(TcxBLOBValueType, u"BLOB")
int TcxBLOBValueType::CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const {
  int result;
  if (compareEmpty(p1, p2, result)) return result;
  const int c = static_cast<const AnsiString*>(p1)->compare(*static_cast<const AnsiString*>(p2));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
void TcxBLOBValueType::FreeBuffer(TcxDataPtr slot) const { take<AnsiString>(slot); }
int TcxBLOBValueType::GetDataSize() const { return kRefSize; }
Variant TcxBLOBValueType::GetDataValue(TcxConstDataPtr slot) const { return GetValue(PrepareValueBuffer(slot)); }
Variant TcxBLOBValueType::GetValue(TcxPreparedValue prepared) const {
  const auto* bytes = static_cast<const AnsiString*>(prepared);
  return bytes ? Variant::FromAnsiString(*bytes) : rtl::Null();
}
TVarType TcxBLOBValueType::GetVarType() const { return rtl::varString; }
bool TcxBLOBValueType::IsString() const { return true; }
TcxPreparedValue TcxBLOBValueType::PrepareValueBuffer(TcxConstDataPtr slot) const { return refOf<AnsiString>(slot); }

void TcxBLOBValueType::ReadDataValue(TcxDataPtr slot, TStream* stream, bool) const {
  AnsiString bytes = ReadAnsiStringFunc(stream);
  if (AnsiString* current = load<AnsiString*>(slot))
    *current = std::move(bytes);
  else
    adopt(slot, std::make_unique<AnsiString>(std::move(bytes)));
}

void TcxBLOBValueType::SetDataValue(TcxDataPtr slot, const Variant& value) const {
  AnsiString bytes = core::dxVariantToAnsiString(value);
  if (AnsiString* current = load<AnsiString*>(slot))
    *current = std::move(bytes);
  else
    adopt(slot, std::make_unique<AnsiString>(std::move(bytes)));
}

void TcxBLOBValueType::WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool) const {
  const AnsiString* bytes = refOf<AnsiString>(slot);
  WriteAnsiStringProc(stream, bytes ? *bytes : AnsiString());
}

#undef CX_VALUE_TYPE_INSTANCE

// --- registry ----------------------------------------------------------------------------------------

bool IsDateTimeValueTypeClass(TcxValueTypeClass type) {
  return type == TcxDateTimeValueType::Instance() || type == TcxSQLTimeStampValueType::Instance();
}

void TcxValueTypeClassList::RegisterItem(TcxValueTypeClass type) {
  for (TcxValueTypeClass item : FItems)
    if (item == type) return;
  FItems.push_back(type);
}

void TcxValueTypeClassList::UnregisterItem(TcxValueTypeClass type) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if (*it == type) {
      FItems.erase(it);
      return;
    }
}

TcxValueTypeClass TcxValueTypeClassList::ItemByCaption(rtl::StringView caption) const {
  for (TcxValueTypeClass item : FItems)
    if (item->Caption() == caption) return item;
  return nullptr;
}

namespace {

const TcxValueTypeClass* builtInTypes(size_t& count) {
  static const TcxValueTypeClass kTypes[] = {
      TcxStringValueType::Instance(),   TcxWideStringValueType::Instance(),
      TcxSmallintValueType::Instance(), TcxIntegerValueType::Instance(),
      TcxWordValueType::Instance(),     TcxBooleanValueType::Instance(),
      TcxSingleValueType::Instance(),   TcxFloatValueType::Instance(),
      TcxCurrencyValueType::Instance(), TcxDateTimeValueType::Instance(),
      TcxLargeIntValueType::Instance(), TcxFMTBcdValueType::Instance(),
      TcxSQLTimeStampValueType::Instance(), TcxVariantValueType::Instance(),
      TcxObjectValueType::Instance(),   TcxBLOBValueType::Instance()};
  count = std::size(kTypes);
  return kTypes;
}

std::mutex gRegistryLock;
std::unique_ptr<TcxValueTypeClassList> gRegistry;

}  // namespace

TcxValueTypeClassList* cxValueTypeClassList() {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  if (!gRegistry) {
    gRegistry = std::make_unique<TcxValueTypeClassList>();
    size_t count;
    const TcxValueTypeClass* types = builtInTypes(count);
    for (size_t i = 0; i < count; ++i) gRegistry->RegisterItem(types[i]);
  }
  return gRegistry.get();
}

void cxDataStorageFinalization() {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  if (!gRegistry) return;
  size_t count;
  const TcxValueTypeClass* types = builtInTypes(count);
  for (size_t i = 0; i < count; ++i) gRegistry->UnregisterItem(types[i]);
  gRegistry.reset();
}

// --- value definitions ----------------------------------------------------------------------------------

TcxValueDef::TcxValueDef(TcxValueDefs* valueDefs, TcxValueTypeClass valueTypeClass)
    : FDataSize(valueTypeClass->GetDataSize()), FValueDefs(valueDefs), FValueTypeClass(valueTypeClass) {
  // By identity: a type derived from one of these may read its own way.
  using Read = TcxReadKind;
  static const std::pair<TcxValueTypeClass, Read> kReads[] = {
      {TcxSmallintValueType::Instance(), Read::Smallint}, {TcxIntegerValueType::Instance(), Read::Integer},
      {TcxWordValueType::Instance(), Read::Word},         {TcxBooleanValueType::Instance(), Read::Boolean},
      {TcxSingleValueType::Instance(), Read::Single},     {TcxFloatValueType::Instance(), Read::Float},
      {TcxCurrencyValueType::Instance(), Read::Currency}, {TcxDateTimeValueType::Instance(), Read::DateTime},
      {TcxLargeIntValueType::Instance(), Read::LargeInt}, {TcxStringValueType::Instance(), Read::String}};
  for (const auto& [type, kind] : kReads)
    if (type == valueTypeClass) FReadKind = kind;
  // The fixed-size types prepare the slot itself; the four that keep their
  // value in a block of its own prepare the reference.
  static const TcxValueTypeClass kReferences[] = {TcxStringValueType::Instance(), TcxWideStringValueType::Instance(),
                                                  TcxVariantValueType::Instance(), TcxBLOBValueType::Instance()};
  static const TcxValueTypeClass kSlots[] = {
      TcxSmallintValueType::Instance(), TcxIntegerValueType::Instance(),  TcxWordValueType::Instance(),
      TcxBooleanValueType::Instance(),  TcxSingleValueType::Instance(),   TcxFloatValueType::Instance(),
      TcxCurrencyValueType::Instance(), TcxDateTimeValueType::Instance(), TcxLargeIntValueType::Instance(),
      TcxFMTBcdValueType::Instance(),   TcxSQLTimeStampValueType::Instance(), TcxObjectValueType::Instance()};
  if (std::find(std::begin(kReferences), std::end(kReferences), valueTypeClass) != std::end(kReferences))
    FPrepareKind = TcxPrepareKind::Reference;
  else if (std::find(std::begin(kSlots), std::end(kSlots), valueTypeClass) != std::end(kSlots))
    FPrepareKind = TcxPrepareKind::Slot;
}

void TcxValueDef::Free() { FValueDefs->Remove(this); }

void TcxValueDef::Assign(const TcxValueDef& source) {
  SetStored(source.FStored);
  SetTextStored(source.FTextStored);
}

bool TcxValueDef::GetStored() const { return FStored || !FValueDefs->DataStorage()->StoredValuesOnly(); }

void TcxValueDef::SetStored(bool value) {
  if (FStored == value) return;
  FStored = value;
  FValueDefs->Changed(this, false);
}

void TcxValueDef::SetTextStored(bool value) {
  if (FTextStored == value) return;
  FTextStored = value;
  // The internal twin keeps the same text option.
  TcxDataStorage* storage = FValueDefs->DataStorage();
  if (FValueDefs == storage->ValueDefs())
    if (TcxInternalValueDef* twin = storage->InternalValueDefs()->FindByLinkObject(this)) twin->FTextStored = value;
  FValueDefs->Changed(this, true);
}

void TcxValueDef::Init(int& offset) {
  FOffset = offset;
  FDataOffset = offset + 1;
  FDisplayTextOffset = offset + 1 + FDataSize;
  if (GetStored()) {
    FLayoutTextStored = GetTextStored();
    FBufferSize = 1 + FDataSize + (FLayoutTextStored ? kRefSize : 0);
    offset += FBufferSize;
  } else {
    FLayoutTextStored = false;
    FBufferSize = 0;
  }
}

void TcxValueDef::SetNull(Byte* buffer, bool isNull) const {
  if (!isNull) {
    buffer[FOffset] = 1;
    return;
  }
  if (buffer[FOffset] == 0) return;
  buffer[FOffset] = 0;
  FValueTypeClass->FreeBuffer(buffer + FDataOffset);
  std::memset(buffer + FDataOffset, 0, static_cast<size_t>(FDataSize));
}

void TcxValueDef::SetDataValue(Byte* buffer, const Variant& value) const {
  if (rtl::VarIsNull(value)) {
    SetNull(buffer, true);
    return;
  }
  // The type converts before it stores: a value that does not convert
  // raises and leaves the field (null or not) as it was.
  FValueTypeClass->SetDataValue(buffer + FDataOffset, value);
  buffer[FOffset] = 1;
}

String TcxValueDef::GetDisplayText(const Byte* buffer) const {
  if (FLayoutTextStored) return TcxValueType::GetDisplayText(buffer + FDisplayTextOffset);
  if (IsNullValue(buffer)) return String();
  return FValueTypeClass->GetDefaultDisplayText(buffer + FDataOffset);
}

void TcxValueDef::SetDisplayText(Byte* buffer, rtl::StringView text) const {
  if (FLayoutTextStored) TcxValueType::SetDisplayText(buffer + FDisplayTextOffset, text);
}

int TcxValueDef::Compare(const Byte* buffer1, const Byte* buffer2) const {
  const bool null1 = IsNullValueEx(buffer1), null2 = IsNullValueEx(buffer2);
  if (null1 || null2) return null1 == null2 ? 0 : (null1 ? -1 : 1);
  return FValueTypeClass->Compare(buffer1 + FDataOffset, buffer2 + FDataOffset);
}

int TcxValueDef::CompareValues(bool isNull1, bool isNull2, TcxPreparedValue p1, TcxPreparedValue p2) const {
  if (isNull1 || isNull2) return isNull1 == isNull2 ? 0 : (isNull1 ? -1 : 1);
  return FValueTypeClass->CompareValues(p1, p2);
}

void TcxValueDef::FreeBuffer(Byte* buffer) const {
  if (FBufferSize == 0) return;
  // A null slot is all zero, which every type frees as nothing.
  FValueTypeClass->FreeBuffer(buffer + FDataOffset);
  if (FLayoutTextStored) TcxValueType::FreeTextBuffer(buffer + FDisplayTextOffset);
}

void TcxValueDef::ReadDataValue(Byte* buffer, TStream* stream, bool isUnicode) const {
  FValueTypeClass->ReadDataValue(buffer + FDataOffset, stream, isUnicode);
  buffer[FOffset] = 1;
}

void TcxValueDef::WriteDataValue(const Byte* buffer, TStream* stream, bool isUnicode) const {
  FValueTypeClass->WriteDataValue(buffer + FDataOffset, stream, isUnicode);
}

void TcxValueDef::ReadDisplayText(Byte* buffer, TStream* stream, bool isUnicode) const {
  TcxValueType::ReadDisplayText(buffer + FDisplayTextOffset, stream, isUnicode);
}

void TcxValueDef::WriteDisplayText(const Byte* buffer, TStream* stream, bool isUnicode) const {
  TcxValueType::WriteDisplayText(buffer + FDisplayTextOffset, stream, isUnicode);
}

rtl::TObject* TcxInternalValueDef::GetLinkObject() const { return GetValueDef()->GetLinkObject(); }
TcxValueDef* TcxInternalValueDef::GetValueDef() const { return static_cast<TcxValueDef*>(FLinkObject); }
void TcxInternalValueDef::SetLinkObject(rtl::TObject* value) {
  TcxValueDef::SetLinkObject(value);
  FValueDefs->DataStorage()->refreshInternalTwins();
}

// --- definition lists ---------------------------------------------------------------------------------

TcxValueDefs::TcxValueDefs(TcxDataStorage* dataStorage) : FDataStorage(dataStorage) {}
TcxValueDefs::~TcxValueDefs() = default;

std::unique_ptr<TcxValueDef> TcxValueDefs::CreateValueDef(TcxValueTypeClass valueTypeClass) {
  return std::make_unique<TcxValueDef>(this, valueTypeClass);
}

TcxValueDef* TcxValueDefs::Add(TcxValueTypeClass valueTypeClass, bool stored, bool textStored,
                               rtl::TObject* linkObject) {
  std::unique_ptr<TcxValueDef> item = CreateValueDef(valueTypeClass);
  item->SetLinkObject(linkObject);
  item->FStored = stored;
  item->FTextStored = textStored;
  int offset = FRecordSize;
  item->Init(offset);
  TcxValueDef* result = item.get();
  FItems.reserve(FItems.size() + 1);  // the push below cannot fail after the records grew
  FDataStorage->InsertValueDef(this, result);
  FItems.push_back(std::move(item));
  FDataStorage->InitStructure();
  FDataStorage->refreshInternalTwins();
  return result;
}

void TcxValueDefs::Remove(TcxValueDef* item) {
  const int index = IndexOf(item);
  if (index < 0) return;
  FDataStorage->RemoveValueDef(this, item);
  FItems.erase(FItems.begin() + index);
  FDataStorage->InitStructure();
  FDataStorage->refreshInternalTwins();
}

void TcxValueDefs::Clear() {
  while (!FItems.empty()) Remove(FItems.back().get());
}

TcxValueDef* TcxValueDefs::Items(int index) const {
  if (index < 0 || index >= Count()) listIndexError(index);
  if (this == FDataStorage->ValueDefs() && FDataStorage->IsStreaming())
    return FDataStorage->FValueDefsList[static_cast<size_t>(index)];
  return FItems[static_cast<size_t>(index)].get();
}

int TcxValueDefs::IndexOf(const TcxValueDef* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return static_cast<int>(i);
  return -1;
}

int TcxValueDefs::StoredCount() const {
  int count = 0;
  for (const auto& item : FItems)
    if (item->GetStored()) ++count;
  return count;
}

void TcxValueDefs::Changed(TcxValueDef* sender, bool isText) {
  FDataStorage->RelayoutRecords();
  FDataStorage->ValueDefsChanged(sender, isText);
}

void TcxValueDefs::Prepare(int recordOffset) {
  FRecordOffset = recordOffset;
  int offset = recordOffset;
  for (const auto& item : FItems) item->Init(offset);
  FRecordSize = offset;
}

std::unique_ptr<TcxValueDef> TcxInternalValueDefs::CreateValueDef(TcxValueTypeClass valueTypeClass) {
  return std::make_unique<TcxInternalValueDef>(this, valueTypeClass);
}

TcxInternalValueDef* TcxInternalValueDefs::FindByLinkObject(const rtl::TObject* linkObject) const {
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
    if ((*it)->FLinkObject == linkObject) return static_cast<TcxInternalValueDef*>(it->get());
  return nullptr;
}

void TcxInternalValueDefs::RemoveByLinkObject(const rtl::TObject* linkObject) {
  if (TcxInternalValueDef* item = FindByLinkObject(linkObject)) Remove(item);
}

// --- record block pool -----------------------------------------------------------------------------------------

TcxRecordBlockPool::SizeClass& TcxRecordBlockPool::classFor(size_t size) {
  for (SizeClass& c : FClasses)
    if (c.size == size) return c;
  SizeClass& c = FClasses.emplace_back();
  c.size = size;
  return c;
}

Byte* TcxRecordBlockPool::Allocate(size_t size) {
  SizeClass& c = classFor(size);
  Byte* block;
  if (!c.free.empty()) {
    block = c.free.back();
    c.free.pop_back();
    std::memset(block, 0, size);
  } else {
    if (c.chunks.empty() || c.carved == c.blocksPerChunk) {
      // Chunks double up to about a megabyte: a small storage stays small,
      // a large one gets long runs in order from few allocations.
      const size_t most = std::max<size_t>(16, (size_t{1} << 20) / std::max<size_t>(size, 1));
      c.blocksPerChunk = c.chunks.empty() ? 8 : std::min(most, c.blocksPerChunk * 2);
      c.capacity += c.blocksPerChunk;
      c.free.reserve(c.capacity);  // so that Release never has to grow it
      c.chunks.push_back(std::make_unique<Byte[]>(c.blocksPerChunk * size));  // zero-filled
      c.carved = 0;
    }
    block = c.chunks.back().get() + c.carved * size;
    ++c.carved;
  }
  ++c.live;
  return block;
}

void TcxRecordBlockPool::Release(Byte* block, size_t size) {
  if (block == nullptr) return;
  SizeClass& c = classFor(size);
  if (--c.live == 0) {
    c.chunks.clear();
    c.free.clear();
    c.free.shrink_to_fit();
    c.carved = 0;
    c.capacity = 0;
    return;
  }
  c.free.push_back(block);
}

// --- storage ------------------------------------------------------------------------------------------------

TcxDataStorage::TcxDataStorage()
    : FInternalValueDefs(std::make_unique<TcxInternalValueDefs>(this)),
      FValueDefs(std::make_unique<TcxValueDefs>(this)) {
  InitStructure();
}

TcxDataStorage::~TcxDataStorage() {
  FDestroying = true;
  freeAllBuffers();
}

void TcxDataStorage::InitStructure() {
  FValueDefs->Prepare(RecordOffset());
  FInternalValueDefs->Prepare(RecordOffset());
}

TcxValueDefs* TcxDataStorage::ValueDefsByRecordIndex(int recordIndex) const {
  if (recordIndex < 0) return FInternalValueDefs.get();
  return FValueDefs.get();
}

TcxValueDef* TcxDataStorage::CheckValueDef(int recordIndex, TcxValueDef* valueDef) const {
  if (recordIndex >= 0 || valueDef == nullptr || valueDef->ValueDefs() == FInternalValueDefs.get())
    return valueDef;
  if (valueDef->ValueDefs() == FValueDefs.get()) return valueDef->FInternalTwin;
  return FInternalValueDefs->FindByLinkObject(valueDef);
}

void TcxDataStorage::refreshInternalTwins() {
  // Few fields, and only when a list or a link changes.
  for (const auto& item : FValueDefs->FItems) item->FInternalTwin = FInternalValueDefs->FindByLinkObject(item.get());
}

std::vector<TcxDataStorage::Buffer>& TcxDataStorage::buffersOf(int recordIndex) {
  return recordIndex < 0 ? FInternalRecordBuffers : FRecordBuffers;
}

TcxDataStorage::Buffer& TcxDataStorage::bufferSlot(int recordIndex) {
  return const_cast<Buffer&>(std::as_const(*this).bufferSlot(recordIndex));
}

const TcxDataStorage::Buffer& TcxDataStorage::bufferSlot(int recordIndex) const {
  const std::vector<Buffer>& list = recordIndex < 0 ? FInternalRecordBuffers : FRecordBuffers;
  const Int64 entry = recordIndex < 0 ? -1 - Int64{recordIndex} : recordIndex;
  if (entry >= static_cast<Int64>(list.size())) listIndexError(recordIndex);
  return list[static_cast<size_t>(entry)];
}

TcxDataStorage::Buffer TcxDataStorage::newBuffer(const TcxValueDefs* defs) {
  return FBlockPool.Allocate(static_cast<size_t>(defs->RecordSize()));
}

Byte* TcxDataStorage::ensureBuffer(int recordIndex) {
  Buffer& buffer = bufferSlot(recordIndex);
  if (!buffer) buffer = newBuffer(ValueDefsByRecordIndex(recordIndex));
  return buffer;
}

void TcxDataStorage::freeBuffer(Buffer& buffer, const TcxValueDefs* defs) {
  if (!buffer) return;
  for (const auto& item : defs->FItems) item->FreeBuffer(buffer);
  FBlockPool.Release(buffer, static_cast<size_t>(defs->RecordSize()));
  buffer = nullptr;
}

void TcxDataStorage::freeAllBuffers() {
  for (Buffer& b : FRecordBuffers) freeBuffer(b, FValueDefs.get());
  for (Buffer& b : FInternalRecordBuffers) freeBuffer(b, FInternalValueDefs.get());
}

const Byte* TcxDataStorage::RecordBuffer(int recordIndex) const { return bufferSlot(recordIndex); }

void TcxDataStorage::giveRecordID(int recordIndex) {
  if (!FUseRecordID || GetRecordID(recordIndex) != 0) return;
  if (FRecordIDCounter == std::numeric_limits<Integer>::max())
    throw rtl::EIntOverflow(u"Record identifiers are exhausted");
  SetRecordID(recordIndex, FRecordIDCounter++);
}

int TcxDataStorage::AppendRecord() {
  FRecordBuffers.emplace_back();
  const int index = RecordCount() - 1;
  giveRecordID(index);
  return index;
}

void TcxDataStorage::InsertRecord(int recordIndex) {
  if (recordIndex < 0 || recordIndex > RecordCount()) listIndexError(recordIndex);
  FRecordBuffers.emplace(FRecordBuffers.begin() + recordIndex);
  giveRecordID(recordIndex);
}

void TcxDataStorage::DeleteRecord(int recordIndex) {
  if (recordIndex < 0) {
    DeleteInternalRecord(recordIndex);
    return;
  }
  freeBuffer(bufferSlot(recordIndex), FValueDefs.get());
  FRecordBuffers.erase(FRecordBuffers.begin() + recordIndex);
  if (FRecordBuffers.empty()) FRecordIDCounter = 1;
}

void TcxDataStorage::DeleteRecords(const std::vector<int>& sortedRecordIndexes) {
  if (sortedRecordIndexes.empty()) return;
  for (size_t i = 0; i < sortedRecordIndexes.size(); ++i) {
    const int record = sortedRecordIndexes[i];
    if (record < 0 || record >= RecordCount() || (i > 0 && record <= sortedRecordIndexes[i - 1]))
      listIndexError(record);
  }
  size_t kept = static_cast<size_t>(sortedRecordIndexes.front());
  size_t next = 0;
  for (size_t r = kept; r < FRecordBuffers.size(); ++r) {
    if (next < sortedRecordIndexes.size() && static_cast<size_t>(sortedRecordIndexes[next]) == r) {
      freeBuffer(FRecordBuffers[r], FValueDefs.get());
      ++next;
      continue;
    }
    FRecordBuffers[kept++] = FRecordBuffers[r];
  }
  FRecordBuffers.resize(kept);
  if (FRecordBuffers.empty()) FRecordIDCounter = 1;
}

void TcxDataStorage::SetRecordCount(int value) {
  if (value < 0) value = 0;
  if (value > RecordCount()) FRecordBuffers.reserve(static_cast<size_t>(value));
  while (RecordCount() < value) AppendRecord();
  while (RecordCount() > value) DeleteRecord(RecordCount() - 1);
}

int TcxDataStorage::AddInternalRecord() {
  size_t entry = 0;
  while (entry < FInternalRecordBuffers.size() && FInternalRecordBuffers[entry] &&
         (FInternalRecordBuffers[entry][0] & RecordFlag_Busy) != 0)
    ++entry;
  if (entry == FInternalRecordBuffers.size()) FInternalRecordBuffers.emplace_back();
  Buffer& buffer = FInternalRecordBuffers[entry];
  freeBuffer(buffer, FInternalValueDefs.get());
  buffer = newBuffer(FInternalValueDefs.get());
  buffer[0] |= RecordFlag_Busy;
  return -1 - static_cast<int>(entry);
}

void TcxDataStorage::DeleteInternalRecord(int recordIndex) {
  if (recordIndex >= 0) listIndexError(recordIndex);
  freeBuffer(bufferSlot(recordIndex), FInternalValueDefs.get());
}

void TcxDataStorage::ClearInternalRecords() {
  for (Buffer& b : FInternalRecordBuffers) freeBuffer(b, FInternalValueDefs.get());
  FInternalRecordBuffers.clear();
  if (OnClearInternalRecords) OnClearInternalRecords(this);
}

void TcxDataStorage::Clear(bool withoutInternal) {
  if (!withoutInternal) ClearInternalRecords();
  ClearRecords(true);
}

void TcxDataStorage::ClearRecords(bool clearList) {
  for (Buffer& b : FRecordBuffers) freeBuffer(b, FValueDefs.get());
  if (clearList) FRecordBuffers.clear();
  if (FRecordBuffers.empty()) {
    FRecordIDCounter = 1;
    return;
  }
  for (int i = 0; i < RecordCount(); ++i) giveRecordID(i);
}

Variant TcxDataStorage::getValue(int recordIndex, TcxValueDef* valueDef) const {
  const TcxValueDef* def = CheckValueDef(recordIndex, valueDef);
  const Byte* buffer = bufferSlot(recordIndex);
  if (def == nullptr || buffer == nullptr || def->BufferSize() == 0) return rtl::Null();
  return def->GetDataValue(buffer);
}

void TcxDataStorage::SetValue(int recordIndex, TcxValueDef* valueDef, const Variant& value) {
  const TcxValueDef* def = CheckValueDef(recordIndex, valueDef);
  if (def == nullptr || def->BufferSize() == 0) {
    bufferSlot(recordIndex);  // the index is checked all the same
    return;
  }
  def->SetDataValue(ensureBuffer(recordIndex), value);
}

String TcxDataStorage::GetDisplayText(int recordIndex, TcxValueDef* valueDef) const {
  const TcxValueDef* def = CheckValueDef(recordIndex, valueDef);
  const Byte* buffer = bufferSlot(recordIndex);
  if (def == nullptr || buffer == nullptr || def->BufferSize() == 0) return String();
  return def->GetDisplayText(buffer);
}

void TcxDataStorage::SetDisplayText(int recordIndex, TcxValueDef* valueDef, rtl::StringView text) {
  const TcxValueDef* def = CheckValueDef(recordIndex, valueDef);
  if (def == nullptr || !def->GetTextStored() || def->BufferSize() == 0) {
    bufferSlot(recordIndex);
    return;
  }
  def->SetDisplayText(ensureBuffer(recordIndex), text);
}

Integer TcxDataStorage::GetRecordID(int recordIndex) {
  // Without identifiers the bytes after the flags belong to the first field.
  if (!FUseRecordID) return 0;
  return load<Integer>(ensureBuffer(recordIndex) + 1);
}

void TcxDataStorage::SetRecordID(int recordIndex, Integer id) {
  if (!FUseRecordID) return;
  store(ensureBuffer(recordIndex) + 1, id);
}

int TcxDataStorage::CompareRecords(int recordIndex1, int recordIndex2, TcxValueDef* valueDef) const {
  TcxPreparedValue p1 = nullptr, p2 = nullptr;
  const bool null1 = GetCompareInfo(recordIndex1, valueDef, p1);
  const bool null2 = GetCompareInfo(recordIndex2, valueDef, p2);
  return valueDef->CompareValues(null1, null2, p1, p2);
}

bool TcxDataStorage::getCompareInfo(int recordIndex, TcxValueDef* valueDef, TcxPreparedValue& prepared) const {
  const TcxValueDef* def = CheckValueDef(recordIndex, valueDef);
  const Byte* buffer = bufferSlot(recordIndex);
  if (def == nullptr || buffer == nullptr || def->BufferSize() == 0 || def->IsNullValue(buffer)) return true;
  prepared = def->PrepareValue(buffer);
  return false;
}

void TcxDataStorage::ReadRecord(int recordIndex, TcxValueDefReader* reader) {
  Byte* buffer = ensureBuffer(recordIndex);
  const TcxValueDefs* defs = ValueDefsByRecordIndex(recordIndex);
  for (const auto& item : defs->FItems) {
    TcxValueDef* def = item.get();
    if (reader->IsInternal(def) || def->BufferSize() == 0) continue;
    def->SetDataValue(buffer, reader->GetValue(def));
    if (def->GetTextStored()) def->SetDisplayText(buffer, reader->GetDisplayText(def));
  }
}

void TcxDataStorage::ReadRecordFrom(int fromRecordIndex, int toRecordIndex, const TcxValueDefSetProc& setProc) {
  const TcxValueDefs* defs = ValueDefsByRecordIndex(fromRecordIndex);
  for (size_t i = 0; i < defs->FItems.size(); ++i) setProc(defs->FItems[i].get(), fromRecordIndex, toRecordIndex);
}

void TcxDataStorage::BeginStreaming(const TcxValueDefCompare& compare) {
  FValueDefsList.clear();
  for (const auto& item : FValueDefs->FItems) FValueDefsList.push_back(item.get());
  // Insertion sort: few items, and safe whatever the caller's compare does.
  for (size_t i = 1; i < FValueDefsList.size(); ++i)
    for (size_t j = i; j > 0 && compare(FValueDefsList[j - 1], FValueDefsList[j]) > 0; --j)
      std::swap(FValueDefsList[j - 1], FValueDefsList[j]);
  FStreaming = true;
}

void TcxDataStorage::EndStreaming() {
  FStreaming = false;
  FValueDefsList.clear();
}

void TcxDataStorage::WriteData(int recordIndex, TStream* stream) {
  const Byte* buffer = bufferSlot(recordIndex);
  core::dxWriteStreamType(stream);
  constexpr bool kUnicode = true;
  stream->WriteByte(buffer == nullptr ? 1 : 0);
  if (buffer == nullptr) return;
  if (FUseRecordID) stream->WriteInt32(load<Integer>(buffer + 1));
  for (int i = 0; i < FValueDefs->Count(); ++i) {
    TcxValueDef* main = FValueDefs->Items(i);
    if (!main->StreamStored()) continue;
    const TcxValueDef* def = CheckValueDef(recordIndex, main);
    const bool present = def != nullptr && def->BufferSize() > 0 && !def->IsNullValue(buffer);
    stream->WriteByte(present ? 0 : 1);
    if (present) def->WriteDataValue(buffer, stream, kUnicode);
    if (main->GetTextStored()) {
      if (def != nullptr && def->BufferSize() > 0)
        def->WriteDisplayText(buffer, stream, kUnicode);
      else
        writeText(stream, rtl::StringView(), kUnicode);
    }
  }
}

void TcxDataStorage::ReadData(int recordIndex, TStream* stream) {
  Buffer& slot = bufferSlot(recordIndex);
  core::TdxStream source(stream);
  const bool isUnicode = source.IsUnicode();
  if (source.ReadByte() != 0) {
    freeBuffer(slot, ValueDefsByRecordIndex(recordIndex));
    return;
  }
  Byte* buffer = ensureBuffer(recordIndex);
  if (FUseRecordID) {
    const Integer id = source.ReadInt32();
    // The counter moves past every identifier read; one at the limit would
    // leave it nowhere to go.
    if (id == std::numeric_limits<Integer>::max()) cxDataReadError();
    store(buffer + 1, id);
    if (id >= FRecordIDCounter) FRecordIDCounter = id + 1;
  }
  for (int i = 0; i < FValueDefs->Count(); ++i) {
    TcxValueDef* main = FValueDefs->Items(i);
    if (!main->StreamStored()) continue;
    const TcxValueDef* def = CheckValueDef(recordIndex, main);
    const bool isNull = source.ReadByte() != 0;
    if (def == nullptr || def->BufferSize() == 0) {
      // A field without a place in the record: its value is read and dropped.
      if (!isNull) {
        std::vector<Byte> scratch(static_cast<size_t>(main->DataSize()));
        main->ValueTypeClass()->ReadDataValue(scratch.data(), &source, isUnicode);
        main->ValueTypeClass()->FreeBuffer(scratch.data());
      }
      if (main->GetTextStored()) readText(&source, isUnicode);
      continue;
    }
    if (isNull)
      def->SetNull(buffer, true);
    else
      def->ReadDataValue(buffer, &source, isUnicode);
    if (main->GetTextStored()) def->ReadDisplayText(buffer, &source, isUnicode);
  }
}

void TcxDataStorage::SetStoredValuesOnly(bool value) {
  if (FStoredValuesOnly == value) return;
  FStoredValuesOnly = value;
  RelayoutRecords();
}

void TcxDataStorage::SetUseRecordID(bool value) {
  if (FUseRecordID == value) return;
  FUseRecordID = value;
  RelayoutRecords();
}

void TcxDataStorage::RelayoutRecords() {
  // The definitions still hold the old layout: free with it first.
  std::vector<bool> busy(FInternalRecordBuffers.size());
  for (size_t i = 0; i < FInternalRecordBuffers.size(); ++i)
    busy[i] = FInternalRecordBuffers[i] && (FInternalRecordBuffers[i][0] & RecordFlag_Busy) != 0;
  freeAllBuffers();
  InitStructure();
  for (size_t i = 0; i < busy.size(); ++i)
    if (busy[i]) {
      FInternalRecordBuffers[i] = newBuffer(FInternalValueDefs.get());
      FInternalRecordBuffers[i][0] |= RecordFlag_Busy;
    }
  for (int i = 0; i < RecordCount(); ++i) giveRecordID(i);
}

void TcxDataStorage::InsertValueDef(TcxValueDefs* defs, TcxValueDef* valueDef) {
  if (defs == FValueDefs.get())
    FInternalValueDefs->Add(valueDef->ValueTypeClass(), true, valueDef->TextStored(), valueDef);
  const int grow = valueDef->BufferSize();
  if (grow == 0) return;
  const size_t oldSize = static_cast<size_t>(defs->RecordSize());
  std::vector<Buffer>& list = defs == FValueDefs.get() ? FRecordBuffers : FInternalRecordBuffers;
  for (Buffer& b : list) {
    if (!b) continue;
    Buffer wider = FBlockPool.Allocate(oldSize + static_cast<size_t>(grow));
    std::memcpy(wider, b, oldSize);  // references move with the bytes
    FBlockPool.Release(b, oldSize);
    b = wider;
  }
}

void TcxDataStorage::RemoveValueDef(TcxValueDefs* defs, TcxValueDef* valueDef) {
  if (defs == FValueDefs.get()) FInternalValueDefs->RemoveByLinkObject(valueDef);
  const int size = valueDef->BufferSize();
  if (size == 0) return;
  std::vector<Buffer>& list = defs == FValueDefs.get() ? FRecordBuffers : FInternalRecordBuffers;
  bool otherStored = false;
  for (const auto& item : defs->FItems)
    if (item.get() != valueDef && item->BufferSize() > 0) otherStored = true;
  if (!otherStored) {
    for (Buffer& b : list) freeBuffer(b, defs);
    return;
  }
  const size_t oldSize = static_cast<size_t>(defs->RecordSize());
  const size_t at = static_cast<size_t>(valueDef->Offset());
  for (Buffer& b : list) {
    if (!b) continue;
    valueDef->FreeBuffer(b);
    Buffer narrower = FBlockPool.Allocate(oldSize - static_cast<size_t>(size));
    std::memcpy(narrower, b, at);
    std::memcpy(narrower + at, b + at + static_cast<size_t>(size), oldSize - at - static_cast<size_t>(size));
    FBlockPool.Release(b, oldSize);
    b = narrower;
  }
}

// --- lookup list ----------------------------------------------------------------------------------------------

bool TcxLookupList::Find(const Variant& key, int& index) const {
  int low = 0, high = Count() - 1;
  while (low <= high) {
    const int mid = low + (high - low) / 2;
    const int c = VarCompare(FItems[static_cast<size_t>(mid)].KeyValue, key);
    if (c < 0) {
      low = mid + 1;
    } else if (c > 0) {
      high = mid - 1;
    } else {
      index = mid;
      return true;
    }
  }
  index = low;
  return false;
}

void TcxLookupList::Insert(int index, const Variant& key, rtl::StringView displayText) {
  if (index < 0 || index > Count()) listIndexError(index);
  FItems.insert(FItems.begin() + index, TcxLookupListItem{key, String(displayText)});
}

}  // namespace data

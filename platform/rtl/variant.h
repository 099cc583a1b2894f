#pragma once
// Variant: a value that carries its own type, with the platform's type codes,
// conversion rules and errors. Strings convert through TFormatSettings; Null
// converts to nothing but a variant (EVariantTypeCastError); one-dimensional
// arrays share their items until one copy changes. Two custom types ride on
// it: SQL time stamps and FMTBcd decimals.
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/types.h"

namespace rtl {

using TVarType = Word;

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varUnknown = 0x000D;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varUInt64 = 0x0015;
constexpr TVarType varString = 0x0100;   // ANSI (code page 1252) bytes
constexpr TVarType varAny = 0x0101;
constexpr TVarType varUString = 0x0102;  // String
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;
constexpr TVarType varByRef = 0x4000;

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

// A decimal of up to 64 digits, kept as canonical text: an optional '-',
// the integer digits, and exactly Scale digits after a '.' when Scale > 0.
struct TBcd {
  String Value = u"0";
  Word Precision = 1;  // significant digits before the point plus Scale
  Word Scale = 0;
  friend bool operator==(const TBcd&, const TBcd&) = default;
};

class Variant {
 public:
  Variant() noexcept {}
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  // A moved-from variant is Empty.
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() {
    if (store_ != Store::Scalar) release();
  }

  Variant(bool v) : type_(varBoolean) { v_.b = v; }
  Variant(signed char v) : type_(varShortInt) { v_.i = v; }
  Variant(unsigned char v) : type_(varByte) { v_.i = v; }
  Variant(short v) : type_(varSmallint) { v_.i = v; }
  Variant(unsigned short v) : type_(varWord) { v_.i = v; }
  Variant(int v) : type_(varInteger) { v_.i = v; }
  Variant(unsigned int v) : type_(varLongWord) { v_.i = v; }
  Variant(long v) : type_(varInt64) { v_.i = v; }
  Variant(unsigned long v) : type_(varUInt64) { v_.u = v; }
  Variant(long long v) : type_(varInt64) { v_.i = v; }
  Variant(unsigned long long v) : type_(varUInt64) { v_.u = v; }
  Variant(float v) : type_(varSingle) { v_.f = v; }
  Variant(double v) : type_(varDouble) { v_.d = v; }
  Variant(Currency v) : type_(varCurrency) { v_.i = v.value; }
  Variant(Char c);  // a one-character String, as the platform stores a Char
  Variant(const String& s) : type_(varUString), store_(Store::Text), text_(s) {}
  Variant(String&& s) noexcept : type_(varUString), store_(Store::Text), text_(std::move(s)) {}
  Variant(StringView s) : type_(varUString), store_(Store::Text), text_(s) {}
  Variant(const Char* s);
  // Narrow text would silently become a Boolean or a number.
  Variant(const char*) = delete;
  Variant(char) = delete;

  // Values whose C++ type does not name the variant type.
  static Variant FromDateTime(TDateTime v);                // varDate
  static Variant FromOleStr(StringView s);                 // varOleStr
  static Variant FromAnsiString(std::string bytes);        // varString
  static Variant FromError(Integer code);                  // varError
  // A reference to another variant (varByRef | varVariant); reads see the
  // target's current value. The target must outlive the reference.
  static Variant ByRef(Variant& target);

  // The type code, varArray and varByRef flags included.
  TVarType Type() const { return type_; }

  // Conversions with the platform's rules; strings read through `fs`.
  Integer AsInteger(const TFormatSettings& fs = FormatSettings()) const;
  Int64 AsInt64(const TFormatSettings& fs) const;
  double AsDouble(const TFormatSettings& fs) const;
  // Stored numbers come back as they are, without a conversion.
  Int64 AsInt64() const {
    if (type_ == varInt64 || type_ == varInteger) return v_.i;
    return AsInt64(FormatSettings());
  }
  double AsDouble() const {
    if (type_ == varDouble) return v_.d;
    return AsDouble(FormatSettings());
  }
  Currency AsCurrency(const TFormatSettings& fs = FormatSettings()) const;
  TDateTime AsDateTime(const TFormatSettings& fs = FormatSettings()) const;
  bool AsBoolean(const TFormatSettings& fs = FormatSettings()) const;
  String AsString(const TFormatSettings& fs = FormatSettings()) const;
  std::string AsAnsiString(const TFormatSettings& fs = FormatSettings()) const;

  // The text a String variant (varUString or varOleStr, references
  // followed) holds, without a copy; null for every other type. Each
  // variant keeps its text itself: the pointer stays valid while that
  // variant lives and is not assigned anew.
  const String* StringPtr() const;

  // Array items (VarArrayGet); raises when not an array or out of bounds.
  Variant operator[](Integer index) const;

  Variant& operator+=(const Variant& other);

 private:
  friend struct VariantAccess;
  // Which union member holds the value. Text lives in the variant itself
  // (no block of its own: strings are the most common value of a record);
  // ANSI bytes, arrays, time stamps and decimals share a block between
  // copies.
  enum class Store : unsigned char { Scalar, Text, Shared };
  union Scalar {
    bool b;
    Int64 i;
    UInt64 u;
    double d;
    float f;
    Variant* ref;
  };
  void release() noexcept;                  // ends a Text or Shared member; Scalar afterwards
  void constructFrom(const Variant& other);  // *this holds no member yet
  void constructFrom(Variant&& other) noexcept;

  TVarType type_ = varEmpty;
  Store store_ = Store::Scalar;
  union {
    Scalar v_{};
    String text_;                 // varUString, varOleStr
    std::shared_ptr<void> heap_;  // ANSI bytes, array, time stamp or decimal
  };
};

// Copies and moves run on every record read and written: kept inline.
inline void Variant::release() noexcept {
  if (store_ == Store::Text)
    text_.~String();
  else if (store_ == Store::Shared)
    heap_.~shared_ptr();
  store_ = Store::Scalar;
  type_ = varEmpty;
  v_ = Scalar{};
}

inline void Variant::constructFrom(const Variant& other) {
  switch (other.store_) {
    case Store::Scalar: v_ = other.v_; break;
    case Store::Text: ::new (static_cast<void*>(&text_)) String(other.text_); break;
    case Store::Shared: ::new (static_cast<void*>(&heap_)) std::shared_ptr<void>(other.heap_); break;
  }
  // Only once the member exists: a copy that throws leaves nothing to end.
  type_ = other.type_;
  store_ = other.store_;
}

inline void Variant::constructFrom(Variant&& other) noexcept {
  switch (other.store_) {
    case Store::Scalar: v_ = other.v_; break;
    case Store::Text: ::new (static_cast<void*>(&text_)) String(std::move(other.text_)); break;
    case Store::Shared: ::new (static_cast<void*>(&heap_)) std::shared_ptr<void>(std::move(other.heap_)); break;
  }
  type_ = other.type_;
  store_ = other.store_;
  other.release();
}

inline Variant::Variant(const Variant& other) {
  if (other.store_ == Store::Scalar) {  // most values: no member to construct
    v_ = other.v_;
    type_ = other.type_;
  } else {
    constructFrom(other);
  }
}

inline Variant::Variant(Variant&& other) noexcept {
  if (other.store_ == Store::Scalar) {
    v_ = other.v_;
    type_ = other.type_;
    other.type_ = varEmpty;
    other.v_ = Scalar{};
  } else {
    constructFrom(std::move(other));
  }
}

inline Variant& Variant::operator=(const Variant& other) {
  if (this == &other) return *this;
  if (store_ == Store::Text && other.store_ == Store::Text) {
    text_ = other.text_;  // reuses this variant's buffer; unchanged if it throws
    type_ = other.type_;
    return *this;
  }
  if (store_ == Store::Scalar && other.store_ == Store::Scalar) {
    v_ = other.v_;
    type_ = other.type_;
    return *this;
  }
  // The copy first: `other` may live in this variant's shared block (an
  // array item), and a copy that throws leaves this variant as it was.
  Variant copy(other);
  release();
  constructFrom(std::move(copy));
  return *this;
}

inline Variant& Variant::operator=(Variant&& other) noexcept {
  if (this == &other) return *this;
  if (store_ == Store::Scalar) {
    // Most targets (an edit buffer's nulls, numbers): nothing to end first.
    constructFrom(std::move(other));
    return *this;
  }
  if (store_ == Store::Shared) {
    // `other` may live in the block this variant is about to let go.
    Variant kept(std::move(other));
    release();
    constructFrom(std::move(kept));
    return *this;
  }
  if (store_ == Store::Text && other.store_ == Store::Text) {
    text_ = std::move(other.text_);
    type_ = other.type_;
    other.release();
    return *this;
  }
  release();
  constructFrom(std::move(other));
  return *this;
}

Variant Null();
Variant Unassigned();
Variant VarFromDateTime(TDateTime value);

// --- type tests --------------------------------------------------------------
TVarType VarType(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsClear(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsByRef(const Variant& v);
bool VarIsOrdinal(const Variant& v);  // integer types and Boolean
bool VarIsFloat(const Variant& v);    // Single, Double, Currency, FMTBcd
bool VarIsNumeric(const Variant& v);  // ordinal or float
bool VarIsStr(const Variant& v);      // varString, varOleStr, varUString
bool VarIsType(const Variant& v, TVarType type);
// "Integer", "UnicodeString", "Array Variant"...
String VarTypeAsText(TVarType type);

// --- conversion ----------------------------------------------------------------
String VarToStr(const Variant& v);  // Null gives ""
String VarToStr(const Variant& v, const TFormatSettings& fs);
String VarToStrDef(const Variant& v, StringView defaultValue);
TDateTime VarToDateTime(const Variant& v);
// Converts to another simple type; Null converts only to varNull.
Variant VarAsType(const Variant& v, TVarType type);
Variant VarAsType(const Variant& v, TVarType type, const TFormatSettings& fs);

// --- comparison and arithmetic ----------------------------------------------------
// Empty and Null equal only themselves and are "not equal" to everything else;
// other values compare by value across types (text against a number reads
// the text as a number).
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
bool VarSameValue(const Variant& a, const Variant& b);
// The operators follow the platform's loose Null rules: Null equals Null and
// sorts before every other value; Empty acts as zero, False or "".
bool operator==(const Variant& a, const Variant& b);
bool operator<(const Variant& a, const Variant& b);
inline bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
inline bool operator>(const Variant& a, const Variant& b) { return b < a; }
inline bool operator<=(const Variant& a, const Variant& b) { return !(b < a); }
inline bool operator>=(const Variant& a, const Variant& b) { return !(a < b); }
// Numbers add with promotion (Integer to Int64 to Double on overflow), text
// joins text, text with a number adds numerically, Null absorbs, Empty is
// neutral.
Variant operator+(const Variant& a, const Variant& b);

// --- arrays ----------------------------------------------------------------------
// One dimension only: bounds are {low, high}. Items start as the element
// type's zero (Empty for varVariant) and are converted to it when stored.
Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType varType);
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
Integer VarArrayDimCount(const Variant& a);  // 0 when not an array
Integer VarArrayLowBound(const Variant& a, Integer dim);
Integer VarArrayHighBound(const Variant& a, Integer dim);
Variant VarArrayGet(const Variant& a, Integer index);
void VarArrayPut(Variant& a, const Variant& value, Integer index);
void VarArrayRedim(Variant& a, Integer highBound);

// --- SQL time stamps ----------------------------------------------------------------
TVarType VarSQLTimeStamp();
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& stamp);
Variant VarSQLTimeStampCreate(TDateTime value);
Variant VarSQLTimeStampCreate(StringView text);
bool VarIsSQLTimeStamp(const Variant& v);
TSQLTimeStamp VarToSQLTimeStamp(const Variant& v);

// --- FMTBcd ------------------------------------------------------------------------
bool TryStrToBcd(StringView text, TBcd& bcd);
bool TryStrToBcd(StringView text, TBcd& bcd, const TFormatSettings& fs);
TBcd StrToBcd(StringView text);  // EConvertError "'%s' is not a valid BCD value"
TBcd StrToBcd(StringView text, const TFormatSettings& fs);
// Without trailing zeros after the separator: 1.50 gives "1,5" in pt-BR.
String BcdToStr(const TBcd& bcd);
String BcdToStr(const TBcd& bcd, const TFormatSettings& fs);
double BcdToDouble(const TBcd& bcd);
TBcd DoubleToBcd(double value);  // 15 significant digits
TBcd CurrToBcd(Currency value);
Currency BcdToCurr(const TBcd& bcd);  // rounds half to even, EOverflow when too large
int BcdCompare(const TBcd& a, const TBcd& b);
TBcd BcdAdd(const TBcd& a, const TBcd& b);
// Rounds (half away from zero) or pads to `scale` decimals; EOverflow
// "BCD overflow" when the integer digits exceed precision - scale.
TBcd NormalizeBcd(const TBcd& bcd, Word precision, Word scale);

TVarType VarFMTBcd();
Variant VarFMTBcdCreate(const TBcd& bcd);
Variant VarFMTBcdCreate(StringView text, Word precision, Word scale);
Variant VarFMTBcdCreate(double value, Word precision = 18, Word scale = 4);
bool VarIsFMTBcd(const Variant& v);
TBcd VarToBcd(const Variant& v);

}  // namespace rtl

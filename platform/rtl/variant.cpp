#include "platform/rtl/variant.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

// Custom types take codes after the platform's own string codes.
constexpr TVarType kVarSQLTimeStamp = 0x010F;
constexpr TVarType kVarFMTBcd = 0x0110;

// Wide enough for every Int64 and UInt64 and their sums.
using Wide = __int128;
constexpr Wide kUInt64Max = static_cast<Wide>(std::numeric_limits<UInt64>::max());
constexpr Wide kInt64Min = std::numeric_limits<Int64>::min();
constexpr Wide kVariantInt64Max = std::numeric_limits<Int64>::max();

struct ArrayData {
  TVarType elemType = varVariant;
  Integer low = 0;
  std::vector<Variant> items;
};

[[noreturn]] void castError(TVarType from, TVarType to) {
  throw EVariantTypeCastError(u"Could not convert variant of type (" + VarTypeAsText(from) + u") into type (" +
                              VarTypeAsText(to) + u")");
}

[[noreturn]] void overflowError(TVarType from, TVarType to) {
  throw EVariantOverflowError(u"Overflow while converting variant of type (" + VarTypeAsText(from) +
                              u") into type (" + VarTypeAsText(to) + u")");
}

[[noreturn]] void arithmeticOverflow() { throw EVariantOverflowError(u"Variant overflow"); }
[[noreturn]] void invalidOp() { throw EVariantInvalidOpError(u"Invalid variant operation"); }
[[noreturn]] void notAnArray() { throw EVariantError(u"Variant is not an array"); }
[[noreturn]] void badIndex() { throw EVariantBadIndexError(u"Variant or safe array index out of bounds"); }

String asciiToString(std::string_view s) { return String(s.begin(), s.end()); }

std::string stringToAscii(StringView s) {
  std::string out;
  out.reserve(s.size());
  for (Char c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

String wideToString(Wide w) {
  const bool neg = w < 0;
  unsigned __int128 m = neg ? static_cast<unsigned __int128>(-(w + 1)) + 1 : static_cast<unsigned __int128>(w);
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  } while (m != 0);
  if (neg) digits.insert(digits.begin(), '-');
  return asciiToString(digits);
}

// --- decimals (FMTBcd) ------------------------------------------------------------

constexpr size_t kMaxBcdDigits = 64;

// digits * 10^-scale, digits without leading zeros ("0" for zero).
struct VariantDecimal {
  bool neg = false;
  std::string digits = "0";
  int scale = 0;

  void normalize() {
    size_t nz = digits.find_first_not_of('0');
    digits = nz == std::string::npos ? "0" : digits.substr(nz);
    if (digits == "0") neg = false;
  }
};

bool parseDecimal(StringView text, Char separator, bool allowExponent, VariantDecimal& out) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] == u' ') ++i;
  while (n > i && text[n - 1] == u' ') --n;
  VariantDecimal d;
  if (i < n && (text[i] == u'-' || text[i] == u'+')) d.neg = text[i++] == u'-';
  std::string intDigits, fracDigits;
  while (i < n && text[i] >= u'0' && text[i] <= u'9') intDigits.push_back(static_cast<char>(text[i++]));
  if (i < n && text[i] == separator) {
    ++i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') fracDigits.push_back(static_cast<char>(text[i++]));
  }
  if (intDigits.empty() && fracDigits.empty()) return false;
  int exponent = 0;
  if (allowExponent && i < n && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    bool expNeg = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) expNeg = text[i++] == u'-';
    if (i == n) return false;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
      exponent = exponent * 10 + (text[i++] - u'0');
      if (exponent > 400) return false;
    }
    if (expNeg) exponent = -exponent;
  }
  if (i != n) return false;
  d.digits = intDigits + fracDigits;
  d.scale = static_cast<int>(fracDigits.size()) - exponent;
  if (d.scale < 0) {
    d.digits.append(static_cast<size_t>(-d.scale), '0');
    d.scale = 0;
  }
  d.normalize();
  // Trailing zeros past the point carry no value; drop them when too long.
  while (d.scale > 0 && d.digits.size() > kMaxBcdDigits && d.digits.back() == '0') {
    d.digits.pop_back();
    --d.scale;
  }
  if (d.digits.size() > kMaxBcdDigits || d.scale > static_cast<int>(kMaxBcdDigits)) return false;
  out = d;
  return true;
}

VariantDecimal decimalOf(const TBcd& bcd) {
  VariantDecimal d;
  if (!parseDecimal(bcd.Value, u'.', false, d)) throw EConvertError(u"'" + bcd.Value + u"' is not a valid BCD value");
  return d;
}

VariantDecimal decimalFromWide(Wide w, int scale = 0) {
  VariantDecimal d;
  d.neg = w < 0;
  String s = wideToString(w);
  d.digits = stringToAscii(d.neg ? StringView(s).substr(1) : StringView(s));
  d.scale = scale;
  d.normalize();
  return d;
}

void padScale(VariantDecimal& d, int scale) {
  if (scale > d.scale) {
    if (d.digits != "0") d.digits.append(static_cast<size_t>(scale - d.scale), '0');
    d.scale = scale;
  }
}

void increment(std::string& digits) {
  for (size_t k = digits.size(); k-- > 0;) {
    if (digits[k] != '9') {
      ++digits[k];
      return;
    }
    digits[k] = '0';
  }
  digits.insert(digits.begin(), '1');
}

VariantDecimal roundDecimal(VariantDecimal d, int scale, bool halfEven) {
  if (scale >= d.scale) {
    padScale(d, scale);
    return d;
  }
  const size_t cut = static_cast<size_t>(d.scale - scale);
  std::string kept, dropped;
  if (d.digits.size() > cut) {
    kept = d.digits.substr(0, d.digits.size() - cut);
    dropped = d.digits.substr(d.digits.size() - cut);
  } else {
    kept = "0";
    dropped = std::string(cut - d.digits.size(), '0') + d.digits;
  }
  bool up;
  if (dropped[0] != '5')
    up = dropped[0] > '5';
  else if (dropped.find_first_not_of('0', 1) != std::string::npos)
    up = true;
  else
    up = !halfEven || ((kept.back() - '0') % 2 == 1);
  if (up) increment(kept);
  d.digits = kept;
  d.scale = scale;
  d.normalize();
  return d;
}

int compareMagnitude(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareDecimal(VariantDecimal a, VariantDecimal b) {
  const int scale = std::max(a.scale, b.scale);
  padScale(a, scale);
  padScale(b, scale);
  if (a.neg != b.neg) return a.neg ? -1 : 1;
  const int m = compareMagnitude(a.digits, b.digits);
  return a.neg ? -m : m;
}

std::string addMagnitude(const std::string& a, const std::string& b) {
  std::string r;
  int carry = 0;
  for (size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int s = carry;
    if (i < a.size()) s += a[a.size() - 1 - i] - '0';
    if (i < b.size()) s += b[b.size() - 1 - i] - '0';
    r.insert(r.begin(), static_cast<char>('0' + s % 10));
    carry = s / 10;
  }
  return r;
}

// a - b for a >= b.
std::string subtractMagnitude(const std::string& a, const std::string& b) {
  std::string r = a;
  int borrow = 0;
  for (size_t i = 0; i < r.size(); ++i) {
    const size_t k = r.size() - 1 - i;
    int s = (r[k] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
    borrow = s < 0;
    r[k] = static_cast<char>('0' + (s + 10) % 10);
  }
  return r;
}

VariantDecimal addDecimal(VariantDecimal a, VariantDecimal b) {
  const int scale = std::max(a.scale, b.scale);
  padScale(a, scale);
  padScale(b, scale);
  VariantDecimal r;
  r.scale = scale;
  if (a.neg == b.neg) {
    r.neg = a.neg;
    r.digits = addMagnitude(a.digits, b.digits);
  } else if (compareMagnitude(a.digits, b.digits) >= 0) {
    r.neg = a.neg;
    r.digits = subtractMagnitude(a.digits, b.digits);
  } else {
    r.neg = b.neg;
    r.digits = subtractMagnitude(b.digits, a.digits);
  }
  r.normalize();
  if (r.digits.size() > kMaxBcdDigits) throw EOverflow(u"BCD overflow");
  return r;
}

// The value times 10^scale as an integer; false when it leaves the UInt64 range.
bool decimalToScaled(const VariantDecimal& d, int scale, bool halfEven, Wide& out) {
  VariantDecimal r = roundDecimal(d, scale, halfEven);
  if (r.digits.size() > 20) return false;
  Wide w = 0;
  for (char c : r.digits) w = w * 10 + (c - '0');
  if (w > kUInt64Max) return false;
  out = r.neg ? -w : w;
  return true;
}

TBcd bcdOf(const VariantDecimal& d) {
  const size_t scale = static_cast<size_t>(d.scale);
  std::string intPart, frac;
  if (d.digits.size() > scale) {
    intPart = d.digits.substr(0, d.digits.size() - scale);
    frac = d.digits.substr(d.digits.size() - scale);
  } else {
    intPart = "0";
    frac = std::string(scale - d.digits.size(), '0') + d.digits;
  }
  TBcd b;
  std::string text = (d.neg ? "-" : "") + intPart + (scale ? "." + frac : "");
  b.Value = asciiToString(text);
  b.Scale = static_cast<Word>(scale);
  b.Precision = static_cast<Word>(std::max<size_t>(1, (intPart == "0" ? 0 : intPart.size()) + scale));
  return b;
}

// --- variant internals ----------------------------------------------------------------

enum class Cat { Empty, Null, Bool, Int, Float, Currency, Date, Str, Bcd, Stamp, Other };

Cat category(TVarType t) {
  if (t & (varArray | varByRef)) return Cat::Other;
  switch (t) {
    case varEmpty: return Cat::Empty;
    case varNull: return Cat::Null;
    case varBoolean: return Cat::Bool;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64: return Cat::Int;
    case varSingle:
    case varDouble: return Cat::Float;
    case varCurrency: return Cat::Currency;
    case varDate: return Cat::Date;
    case varOleStr:
    case varString:
    case varUString: return Cat::Str;
    case kVarFMTBcd: return Cat::Bcd;
    case kVarSQLTimeStamp: return Cat::Stamp;
    default: return Cat::Other;
  }
}

}  // namespace

struct VariantAccess {
  static const Variant& deref(const Variant& v) {
    const Variant* p = &v;
    while (p->type_ & varByRef) p = p->v_.ref;
    return *p;
  }
  static TVarType type(const Variant& v) { return v.type_; }
  static const Variant::Scalar& val(const Variant& v) { return v.v_; }
  template <class T>
  static const T& heap(const Variant& v) {
    return *static_cast<const T*>(v.heap_.get());
  }
  static const String& text(const Variant& v) { return v.text_; }
  template <class T>
  static Variant makeHeap(TVarType type, T value) {
    std::shared_ptr<void> block = std::make_shared<T>(std::move(value));
    Variant r;
    ::new (static_cast<void*>(&r.heap_)) std::shared_ptr<void>(std::move(block));
    r.type_ = type;
    r.store_ = Variant::Store::Shared;
    return r;
  }
  static Variant makeText(TVarType type, String value) {
    Variant r(std::move(value));
    r.type_ = type;
    return r;
  }
  static Variant make(TVarType type) {
    Variant r;
    r.type_ = type;
    return r;
  }
  static Variant makeInt(TVarType type, Int64 i) {
    Variant r = make(type);
    r.v_.i = i;
    return r;
  }
  static Variant makeDouble(TVarType type, double d) {
    Variant r = make(type);
    r.v_.d = d;
    return r;
  }
  static Variant makeRef(Variant& target) {
    Variant r = make(varByRef | varVariant);
    r.v_.ref = &target;
    return r;
  }
  // The array of `a` ready for writing: copied first when shared.
  static ArrayData& mutableArray(Variant& a) {
    if (!(a.type_ & varArray)) notAnArray();
    if (a.heap_.use_count() > 1) a.heap_ = std::make_shared<ArrayData>(*static_cast<ArrayData*>(a.heap_.get()));
    return *static_cast<ArrayData*>(a.heap_.get());
  }
};

using VA = VariantAccess;

namespace {

const String& textOf(const Variant& v) { return VA::text(v); }

String stringOf(const Variant& v) {
  return VA::type(v) == varString ? AnsiToString(VA::heap<std::string>(v)) : textOf(v);
}

const ArrayData& arrayOf(const Variant& a) {
  const Variant& d = VA::deref(a);
  if (!(VA::type(d) & varArray)) notAnArray();
  return VA::heap<ArrayData>(d);
}

Wide roundDouble(double d, TVarType from, TVarType to) {
  if (!std::isfinite(d) || std::fabs(d) >= 18446744073709551616.0) overflowError(from, to);
  return static_cast<Wide>(std::nearbyint(d));  // half to even, as the platform's Round
}

// Integer value of a variant, floats rounded half to even; `to` names errors.
Wide toWide(const Variant& src, TVarType to, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  const auto& s = VA::val(v);
  switch (t) {
    case varEmpty: return 0;
    case varBoolean: return s.b ? -1 : 0;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return s.i;
    case varUInt64: return s.u;
    case varSingle: return roundDouble(s.f, t, to);
    case varDouble:
    case varDate: return roundDouble(s.d, t, to);
    case varCurrency: {
      Wide w;
      decimalToScaled(decimalFromWide(s.i, 4), 0, true, w);
      return w;
    }
    case varOleStr:
    case varString:
    case varUString: {
      const String text = stringOf(v);
      Int64 i;
      if (TryStrToInt64(text, i)) return i;
      double d;
      if (TryStrToFloat(text, d, fs)) return roundDouble(d, t, to);
      castError(t, to);
    }
    case kVarFMTBcd: {
      Wide w;
      if (!decimalToScaled(decimalOf(VA::heap<TBcd>(v)), 0, true, w)) overflowError(t, to);
      return w;
    }
    case kVarSQLTimeStamp: return roundDouble(SQLTimeStampToDateTime(VA::heap<TSQLTimeStamp>(v)), t, to);
    default: castError(t, to);
  }
}

Wide toWideInRange(const Variant& v, TVarType to, Wide lo, Wide hi, const TFormatSettings& fs) {
  const Wide w = toWide(v, to, fs);
  if (w < lo || w > hi) overflowError(VA::type(VA::deref(v)), to);
  return w;
}

double toDouble(const Variant& src, TVarType to, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  const auto& s = VA::val(v);
  switch (t) {
    case varEmpty: return 0;
    case varBoolean: return s.b ? -1 : 0;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return static_cast<double>(s.i);
    case varUInt64: return static_cast<double>(s.u);
    case varSingle: return s.f;
    case varDouble:
    case varDate: return s.d;
    case varCurrency: return static_cast<double>(s.i) / 10000.0;
    case varOleStr:
    case varString:
    case varUString: {
      double d;
      if (TryStrToFloat(stringOf(v), d, fs)) return d;
      castError(t, to);
    }
    case kVarFMTBcd: return BcdToDouble(VA::heap<TBcd>(v));
    case kVarSQLTimeStamp: return SQLTimeStampToDateTime(VA::heap<TSQLTimeStamp>(v));
    default: castError(t, to);
  }
}

Int64 scaledFromDouble(double d, TVarType from) {
  const double x = std::nearbyint(d * 10000.0);
  if (!std::isfinite(x) || x >= 9223372036854775808.0 || x < -9223372036854775808.0)
    overflowError(from, varCurrency);
  return static_cast<Int64>(x);
}

// Currency as its value times 10,000.
Int64 toCurrencyScaled(const Variant& src, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  switch (category(t)) {
    case Cat::Empty: return 0;
    case Cat::Currency: return VA::val(v).i;
    case Cat::Bool:
    case Cat::Int: {
      const Wide w = toWide(v, varCurrency, fs) * 10000;
      if (w < kInt64Min || w > kVariantInt64Max) overflowError(t, varCurrency);
      return static_cast<Int64>(w);
    }
    case Cat::Str: {
      Currency c;
      if (TryStrToCurr(stringOf(v), c, fs)) return c.value;
      return scaledFromDouble(toDouble(v, varCurrency, fs), t);
    }
    case Cat::Bcd: {
      Wide w;
      if (!decimalToScaled(decimalOf(VA::heap<TBcd>(v)), 4, true, w) || w < kInt64Min || w > kVariantInt64Max)
        overflowError(t, varCurrency);
      return static_cast<Int64>(w);
    }
    case Cat::Float:
    case Cat::Date:
    case Cat::Stamp: return scaledFromDouble(toDouble(v, varCurrency, fs), t);
    default: castError(t, varCurrency);
  }
}

TDateTime toDate(const Variant& src, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  if (category(t) == Cat::Str) {
    const String text = stringOf(v);
    TDateTime d;
    if (TryStrToDateTime(text, d, fs) || TryStrToFloat(text, d, fs)) return d;
    castError(t, varDate);
  }
  return toDouble(v, varDate, fs);
}

bool toBoolean(const Variant& src, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  switch (category(t)) {
    case Cat::Empty: return false;
    case Cat::Bool: return VA::val(v).b;
    case Cat::Int: return toWide(v, varBoolean, fs) != 0;
    case Cat::Currency: return VA::val(v).i != 0;
    case Cat::Float:
    case Cat::Date: return toDouble(v, varBoolean, fs) != 0;
    case Cat::Bcd: return decimalOf(VA::heap<TBcd>(v)).digits != "0";
    case Cat::Str: {
      bool b;
      if (TryStrToBool(stringOf(v), b)) return b;
      castError(t, varBoolean);
    }
    default: castError(t, varBoolean);
  }
}

String toText(const Variant& src, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  const auto& s = VA::val(v);
  switch (t) {
    case varEmpty: return String();
    case varBoolean: return s.b ? u"True" : u"False";
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return IntToStr(s.i);
    case varUInt64: return wideToString(s.u);
    // A Single shows the digits it holds, not those of its double widening.
    case varSingle: return FloatToStrF(s.f, TFloatFormat::ffGeneral, 7, 0, fs);
    case varDouble: return FloatToStr(s.d, fs);
    case varCurrency: return CurrToStr(Currency::FromScaled(s.i), fs);
    case varDate: return DateTimeToStr(s.d, fs);
    case varOleStr:
    case varUString: return textOf(v);
    case varString: return AnsiToString(VA::heap<std::string>(v));
    case kVarFMTBcd: return BcdToStr(VA::heap<TBcd>(v), fs);
    case kVarSQLTimeStamp: return SQLTimeStampToStr(u"", VA::heap<TSQLTimeStamp>(v), fs);
    default: castError(t, varUString);
  }
}

TBcd toBcd(const Variant& src, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  switch (category(t)) {
    case Cat::Empty: return TBcd{};
    case Cat::Bcd: return VA::heap<TBcd>(v);
    case Cat::Bool:
    case Cat::Int: return bcdOf(decimalFromWide(toWide(v, kVarFMTBcd, fs)));
    case Cat::Currency: return CurrToBcd(Currency::FromScaled(VA::val(v).i));
    case Cat::Float:
    case Cat::Date:
    case Cat::Stamp: return DoubleToBcd(toDouble(v, kVarFMTBcd, fs));
    case Cat::Str: {
      const String text = stringOf(v);
      TBcd b;
      if (TryStrToBcd(text, b, fs)) return b;
      double d;
      if (TryStrToFloat(text, d, fs) && std::isfinite(d)) return DoubleToBcd(d);
      castError(t, kVarFMTBcd);
    }
    default: castError(t, kVarFMTBcd);
  }
}

TSQLTimeStamp toStamp(const Variant& src, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType t = VA::type(v);
  switch (category(t)) {
    case Cat::Stamp: return VA::heap<TSQLTimeStamp>(v);
    case Cat::Null:
    case Cat::Bool:
    case Cat::Other: castError(t, kVarSQLTimeStamp);
    default: return DateTimeToSQLTimeStamp(toDate(v, fs));
  }
}

// --- comparison ----------------------------------------------------------------------

constexpr int kUnordered = 2;

template <class T>
int sign3(T a, T b) {
  if (a < b) return -1;
  if (b < a) return 1;
  return a == b ? 0 : kUnordered;  // NaN
}

Variant zeroLike(Cat c) {
  switch (c) {
    case Cat::Str: return Variant(String());
    case Cat::Bool: return Variant(false);
    case Cat::Date:
    case Cat::Stamp: return Variant::FromDateTime(0);
    case Cat::Currency: return Variant(Currency{});
    case Cat::Bcd: return VarFMTBcdCreate(TBcd{});
    case Cat::Float: return Variant(0.0);
    default: return Variant(0);
  }
}

// -1, 0, 1, or kUnordered; neither side is Null.
int compareValues(const Variant& a, const Variant& b) {
  const TFormatSettings& fs = FormatSettings();
  const Cat ca = category(VA::type(a)), cb = category(VA::type(b));
  if (ca == Cat::Other || cb == Cat::Other) invalidOp();
  if (ca == Cat::Empty && cb == Cat::Empty) return 0;
  if (ca == Cat::Empty) return compareValues(zeroLike(cb), b);
  if (cb == Cat::Empty) return compareValues(a, zeroLike(ca));
  if (ca == Cat::Str && cb == Cat::Str) {
    const int c = CompareStr(stringOf(a), stringOf(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (ca == Cat::Bool && cb == Cat::Bool) return sign3<int>(VA::val(a).b, VA::val(b).b);
  const auto either = [&](Cat c) { return ca == c || cb == c; };
  if (either(Cat::Str)) {
    const Cat other = ca == Cat::Str ? cb : ca;
    if (other == Cat::Bool) return sign3<int>(toBoolean(a, fs), toBoolean(b, fs));
    if (other == Cat::Bcd) return compareDecimal(decimalOf(toBcd(a, fs)), decimalOf(toBcd(b, fs)));
    if (other == Cat::Date || other == Cat::Stamp) return sign3(toDate(a, fs), toDate(b, fs));
    return sign3(toDouble(a, varDouble, fs), toDouble(b, varDouble, fs));
  }
  if (either(Cat::Date) || either(Cat::Stamp)) return sign3(toDate(a, fs), toDate(b, fs));
  if (either(Cat::Float)) return sign3(toDouble(a, varDouble, fs), toDouble(b, varDouble, fs));
  if (either(Cat::Bcd)) return compareDecimal(decimalOf(toBcd(a, fs)), decimalOf(toBcd(b, fs)));
  if (either(Cat::Currency)) return sign3(toCurrencyScaled(a, fs), toCurrencyScaled(b, fs));
  return sign3(toWide(a, varInt64, fs), toWide(b, varInt64, fs));
}

// --- addition --------------------------------------------------------------------------

bool isIntegerSized(TVarType t) {
  return t == varSmallint || t == varInteger || t == varShortInt || t == varByte || t == varWord ||
         t == varBoolean;
}

Variant integerResult(Wide sum, TVarType ta, TVarType tb) {
  if (isIntegerSized(ta) && isIntegerSized(tb) && sum >= std::numeric_limits<Integer>::min() &&
      sum <= std::numeric_limits<Integer>::max())
    return Variant(static_cast<Integer>(sum));
  const bool unsignedSide = ta == varUInt64 || tb == varUInt64;
  if (unsignedSide && sum >= 0 && sum <= kUInt64Max) return Variant(static_cast<UInt64>(sum));
  if (sum >= kInt64Min && sum <= kVariantInt64Max) return Variant(static_cast<Int64>(sum));
  if (sum >= 0 && sum <= kUInt64Max) return Variant(static_cast<UInt64>(sum));
  return Variant(static_cast<double>(sum));
}

Variant add(const Variant& ra, const Variant& rb) {
  const TFormatSettings& fs = FormatSettings();
  const Variant& a = VA::deref(ra);
  const Variant& b = VA::deref(rb);
  const TVarType ta = VA::type(a), tb = VA::type(b);
  const Cat ca = category(ta), cb = category(tb);
  if (ca == Cat::Null || cb == Cat::Null) return Null();
  if (ca == Cat::Other || cb == Cat::Other) invalidOp();
  if (ca == Cat::Empty) return b;
  if (cb == Cat::Empty) return a;
  if (ca == Cat::Str && cb == Cat::Str) {
    if (ta == varString && tb == varString)
      return Variant::FromAnsiString(VA::heap<std::string>(a) + VA::heap<std::string>(b));
    String joined = stringOf(a) + stringOf(b);
    return ta == varOleStr && tb == varOleStr ? Variant::FromOleStr(joined) : Variant(std::move(joined));
  }
  const auto either = [&](Cat c) { return ca == c || cb == c; };
  if (either(Cat::Str)) {
    // Text meets a number: it is read as the other side's kind of number.
    const Cat other = ca == Cat::Str ? cb : ca;
    Variant converted;
    if (other == Cat::Date || other == Cat::Stamp)
      converted = Variant::FromDateTime(toDate(ca == Cat::Str ? a : b, fs));
    else if (other == Cat::Bcd)
      converted = VarFMTBcdCreate(toBcd(ca == Cat::Str ? a : b, fs));
    else if (other == Cat::Currency)
      converted = Variant(Currency::FromScaled(toCurrencyScaled(ca == Cat::Str ? a : b, fs)));
    else
      converted = Variant(toDouble(ca == Cat::Str ? a : b, varDouble, fs));
    return ca == Cat::Str ? add(converted, b) : add(a, converted);
  }
  if (either(Cat::Stamp)) return VarSQLTimeStampCreate(toDate(a, fs) + toDate(b, fs));
  if (either(Cat::Date)) return Variant::FromDateTime(toDate(a, fs) + toDate(b, fs));
  if (either(Cat::Bcd)) return VarFMTBcdCreate(BcdAdd(toBcd(a, fs), toBcd(b, fs)));
  if (either(Cat::Float)) {
    if (ta == varSingle && tb == varSingle) return Variant(VA::val(a).f + VA::val(b).f);
    return Variant(toDouble(a, varDouble, fs) + toDouble(b, varDouble, fs));
  }
  if (either(Cat::Currency)) {
    const Wide sum = static_cast<Wide>(toCurrencyScaled(a, fs)) + toCurrencyScaled(b, fs);
    if (sum < kInt64Min || sum > kVariantInt64Max) arithmeticOverflow();
    return Variant(Currency::FromScaled(static_cast<Int64>(sum)));
  }
  return integerResult(toWide(a, varInt64, fs) + toWide(b, varInt64, fs), ta, tb);
}

Variant elementZero(TVarType elemType) { return VarAsType(Unassigned(), elemType); }

void checkArrayElementType(TVarType t) {
  if (t == varEmpty || t == varNull || (t & ~varTypeMask) != 0 || category(t) == Cat::Other) {
    if (t != varVariant) throw EVariantError(u"Invalid argument");
  }
}

}  // namespace

// --- Variant ------------------------------------------------------------------------

Variant::Variant(Char c) : Variant(String(1, c)) {}
Variant::Variant(const Char* s) : Variant(s ? StringView(s) : StringView()) {}

const String* Variant::StringPtr() const {
  const Variant& v = VA::deref(*this);
  const TVarType t = VA::type(v);
  return t == varUString || t == varOleStr ? &textOf(v) : nullptr;
}

Variant Variant::FromDateTime(TDateTime v) { return VA::makeDouble(varDate, v); }
Variant Variant::FromOleStr(StringView s) { return VA::makeText(varOleStr, String(s)); }
Variant Variant::FromAnsiString(std::string bytes) { return VA::makeHeap(varString, std::move(bytes)); }
Variant Variant::FromError(Integer code) { return VA::makeInt(varError, code); }
Variant Variant::ByRef(Variant& target) { return VA::makeRef(target); }

Integer Variant::AsInteger(const TFormatSettings& fs) const {
  return static_cast<Integer>(
      toWideInRange(*this, varInteger, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max(), fs));
}

Int64 Variant::AsInt64(const TFormatSettings& fs) const {
  return static_cast<Int64>(toWideInRange(*this, varInt64, kInt64Min, kVariantInt64Max, fs));
}

double Variant::AsDouble(const TFormatSettings& fs) const { return toDouble(*this, varDouble, fs); }
Currency Variant::AsCurrency(const TFormatSettings& fs) const {
  return Currency::FromScaled(toCurrencyScaled(*this, fs));
}
TDateTime Variant::AsDateTime(const TFormatSettings& fs) const { return toDate(*this, fs); }
bool Variant::AsBoolean(const TFormatSettings& fs) const { return toBoolean(*this, fs); }
String Variant::AsString(const TFormatSettings& fs) const { return toText(*this, fs); }
std::string Variant::AsAnsiString(const TFormatSettings& fs) const {
  const Variant& v = VA::deref(*this);
  if (VA::type(v) == varString) return VA::heap<std::string>(v);
  return StringToAnsi(toText(v, fs));
}

Variant Variant::operator[](Integer index) const { return VarArrayGet(*this, index); }

Variant& Variant::operator+=(const Variant& other) {
  *this = add(*this, other);
  return *this;
}

Variant Null() { return VA::make(varNull); }
Variant Unassigned() { return Variant(); }
Variant VarFromDateTime(TDateTime value) { return Variant::FromDateTime(value); }

// --- type tests --------------------------------------------------------------

TVarType VarType(const Variant& v) { return VA::type(v); }
bool VarIsNull(const Variant& v) { return VA::type(VA::deref(v)) == varNull; }
bool VarIsEmpty(const Variant& v) { return VA::type(VA::deref(v)) == varEmpty; }
bool VarIsClear(const Variant& v) { return VA::type(VA::deref(v)) == varEmpty; }
bool VarIsArray(const Variant& v) { return (VA::type(VA::deref(v)) & varArray) != 0; }
bool VarIsByRef(const Variant& v) { return (VA::type(v) & varByRef) != 0; }

bool VarIsOrdinal(const Variant& v) {
  const Cat c = category(VA::type(VA::deref(v)));
  return c == Cat::Int || c == Cat::Bool;
}

bool VarIsFloat(const Variant& v) {
  const Cat c = category(VA::type(VA::deref(v)));
  return c == Cat::Float || c == Cat::Currency || c == Cat::Bcd;
}

bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
bool VarIsStr(const Variant& v) { return category(VA::type(VA::deref(v))) == Cat::Str; }
bool VarIsType(const Variant& v, TVarType type) { return VA::type(VA::deref(v)) == type; }

String VarTypeAsText(TVarType type) {
  String name;
  switch (type & varTypeMask) {
    case varEmpty: name = u"Empty"; break;
    case varNull: name = u"Null"; break;
    case varSmallint: name = u"Smallint"; break;
    case varInteger: name = u"Integer"; break;
    case varSingle: name = u"Single"; break;
    case varDouble: name = u"Double"; break;
    case varCurrency: name = u"Currency"; break;
    case varDate: name = u"Date"; break;
    case varOleStr: name = u"OleStr"; break;
    case varDispatch: name = u"Dispatch"; break;
    case varError: name = u"Error"; break;
    case varBoolean: name = u"Boolean"; break;
    case varVariant: name = u"Variant"; break;
    case varUnknown: name = u"Unknown"; break;
    case 0x000E: name = u"Decimal"; break;
    case varShortInt: name = u"ShortInt"; break;
    case varByte: name = u"Byte"; break;
    case varWord: name = u"Word"; break;
    case varLongWord: name = u"LongWord"; break;
    case varInt64: name = u"Int64"; break;
    case varUInt64: name = u"UInt64"; break;
    case varString: name = u"String"; break;
    case varAny: name = u"Any"; break;
    case varUString: name = u"UnicodeString"; break;
    case kVarSQLTimeStamp: name = u"SQLTimeStampVariantType"; break;
    case kVarFMTBcd: name = u"FMTBcdVariantType"; break;
    default: {
      char buf[8];
      std::snprintf(buf, sizeof buf, "$%04X", type & varTypeMask);
      name = asciiToString(buf);
    }
  }
  if (type & varArray) name = u"Array " + name;
  if (type & varByRef) name = u"ByRef " + name;
  return name;
}

// --- conversion ----------------------------------------------------------------

String VarToStr(const Variant& v, const TFormatSettings& fs) { return VarIsNull(v) ? String() : toText(v, fs); }
String VarToStr(const Variant& v) { return VarToStr(v, FormatSettings()); }
String VarToStrDef(const Variant& v, StringView defaultValue) {
  return VarIsNull(v) ? String(defaultValue) : toText(v, FormatSettings());
}
TDateTime VarToDateTime(const Variant& v) { return toDate(v, FormatSettings()); }

Variant VarAsType(const Variant& src, TVarType type, const TFormatSettings& fs) {
  const Variant& v = VA::deref(src);
  const TVarType from = VA::type(v);
  if (from == type) return v;
  if (type == varEmpty) return Unassigned();
  if (type == varNull) return Null();
  if (type == varVariant) return v;
  if (from == varNull || (from & varArray) || (type & ~varTypeMask)) castError(from, type);
  switch (type) {
    case varSmallint: return Variant(static_cast<short>(toWideInRange(v, type, -32768, 32767, fs)));
    case varInteger: return Variant(v.AsInteger(fs));
    case varShortInt: return Variant(static_cast<signed char>(toWideInRange(v, type, -128, 127, fs)));
    case varByte: return Variant(static_cast<unsigned char>(toWideInRange(v, type, 0, 255, fs)));
    case varWord: return Variant(static_cast<unsigned short>(toWideInRange(v, type, 0, 65535, fs)));
    case varLongWord: return Variant(static_cast<unsigned int>(toWideInRange(v, type, 0, 4294967295LL, fs)));
    case varInt64: return Variant(static_cast<Int64>(toWideInRange(v, type, kInt64Min, kVariantInt64Max, fs)));
    case varUInt64: return Variant(static_cast<UInt64>(toWideInRange(v, type, 0, kUInt64Max, fs)));
    case varSingle: {
      const double d = toDouble(v, type, fs);
      if (std::isfinite(d) && std::fabs(d) > FLT_MAX) overflowError(from, type);
      return Variant(static_cast<float>(d));
    }
    case varDouble: return Variant(toDouble(v, type, fs));
    case varCurrency: return Variant(Currency::FromScaled(toCurrencyScaled(v, fs)));
    case varDate: return Variant::FromDateTime(toDate(v, fs));
    case varBoolean: return Variant(toBoolean(v, fs));
    case varOleStr: return Variant::FromOleStr(toText(v, fs));
    case varUString: return Variant(toText(v, fs));
    case varString: return Variant::FromAnsiString(v.AsAnsiString(fs));
    case kVarSQLTimeStamp: return VarSQLTimeStampCreate(toStamp(v, fs));
    case kVarFMTBcd: return VarFMTBcdCreate(toBcd(v, fs));
    default: castError(from, type);
  }
}

Variant VarAsType(const Variant& v, TVarType type) { return VarAsType(v, type, FormatSettings()); }

// --- comparison and arithmetic ----------------------------------------------------

TVariantRelationship VarCompareValue(const Variant& ra, const Variant& rb) {
  const Variant& a = VA::deref(ra);
  const Variant& b = VA::deref(rb);
  const TVarType ta = VA::type(a), tb = VA::type(b);
  if (ta == varEmpty) return tb == varEmpty ? vrEqual : vrNotEqual;
  if (ta == varNull) return tb == varNull ? vrEqual : vrNotEqual;
  if (tb == varEmpty || tb == varNull) return vrNotEqual;
  switch (compareValues(a, b)) {
    case 0: return vrEqual;
    case -1: return vrLessThan;
    case 1: return vrGreaterThan;
    default: return vrNotEqual;
  }
}

bool VarSameValue(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }

bool operator==(const Variant& ra, const Variant& rb) {
  const Variant& a = VA::deref(ra);
  const Variant& b = VA::deref(rb);
  const bool na = VA::type(a) == varNull, nb = VA::type(b) == varNull;
  if (na || nb) return na && nb;
  return compareValues(a, b) == 0;
}

bool operator<(const Variant& ra, const Variant& rb) {
  const Variant& a = VA::deref(ra);
  const Variant& b = VA::deref(rb);
  const bool na = VA::type(a) == varNull, nb = VA::type(b) == varNull;
  if (na || nb) return na && !nb;
  return compareValues(a, b) == -1;
}

Variant operator+(const Variant& a, const Variant& b) { return add(a, b); }

// --- arrays ----------------------------------------------------------------------

Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType varType) {
  if (bounds.size() != 2) throw EVariantError(u"Only one-dimensional variant arrays are supported");
  const Integer low = bounds.begin()[0], high = bounds.begin()[1];
  if (high < low - 1) throw EVariantError(u"Invalid argument");
  checkArrayElementType(varType);
  ArrayData data;
  data.elemType = varType;
  data.low = low;
  data.items.assign(static_cast<size_t>(Int64{high} - low + 1), elementZero(varType));
  return VA::makeHeap(varArray | varType, std::move(data));
}

Variant VarArrayOf(const std::vector<Variant>& values) {
  ArrayData data;
  data.items = values;
  return VA::makeHeap(varArray | varVariant, std::move(data));
}

Variant VarArrayOf(std::initializer_list<Variant> values) { return VarArrayOf(std::vector<Variant>(values)); }

Integer VarArrayDimCount(const Variant& a) { return VarIsArray(a) ? 1 : 0; }

Integer VarArrayLowBound(const Variant& a, Integer dim) {
  const ArrayData& d = arrayOf(a);
  if (dim != 1) badIndex();
  return d.low;
}

Integer VarArrayHighBound(const Variant& a, Integer dim) {
  const ArrayData& d = arrayOf(a);
  if (dim != 1) badIndex();
  return static_cast<Integer>(d.low + static_cast<Int64>(d.items.size()) - 1);
}

Variant VarArrayGet(const Variant& a, Integer index) {
  const ArrayData& d = arrayOf(a);
  const Int64 k = Int64{index} - d.low;
  if (k < 0 || k >= static_cast<Int64>(d.items.size())) badIndex();
  return d.items[static_cast<size_t>(k)];
}

void VarArrayPut(Variant& a, const Variant& value, Integer index) {
  if (VarIsByRef(a)) invalidOp();
  {
    const ArrayData& d = arrayOf(a);
    const Int64 k = Int64{index} - d.low;
    if (k < 0 || k >= static_cast<Int64>(d.items.size())) badIndex();
  }
  // Convert before detaching so a failed conversion leaves the array alone.
  const TVarType elemType = arrayOf(a).elemType;
  Variant item = elemType == varVariant ? value : VarAsType(value, elemType);
  ArrayData& d = VA::mutableArray(a);
  d.items[static_cast<size_t>(Int64{index} - d.low)] = std::move(item);
}

void VarArrayRedim(Variant& a, Integer highBound) {
  if (VarIsByRef(a)) invalidOp();
  const ArrayData& current = arrayOf(a);
  if (highBound < current.low - 1) throw EVariantError(u"Invalid argument");
  ArrayData& d = VA::mutableArray(a);
  d.items.resize(static_cast<size_t>(Int64{highBound} - d.low + 1), elementZero(d.elemType));
}

// --- SQL time stamps ----------------------------------------------------------------

TVarType VarSQLTimeStamp() { return kVarSQLTimeStamp; }
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& stamp) { return VA::makeHeap(kVarSQLTimeStamp, stamp); }
Variant VarSQLTimeStampCreate(TDateTime value) { return VarSQLTimeStampCreate(DateTimeToSQLTimeStamp(value)); }
Variant VarSQLTimeStampCreate(StringView text) { return VarSQLTimeStampCreate(StrToSQLTimeStamp(text)); }
bool VarIsSQLTimeStamp(const Variant& v) { return VA::type(VA::deref(v)) == kVarSQLTimeStamp; }
TSQLTimeStamp VarToSQLTimeStamp(const Variant& v) { return toStamp(v, FormatSettings()); }

// --- FMTBcd ------------------------------------------------------------------------

bool TryStrToBcd(StringView text, TBcd& bcd, const TFormatSettings& fs) {
  VariantDecimal d;
  if (!parseDecimal(text, fs.DecimalSeparator, false, d)) return false;
  bcd = bcdOf(d);
  return true;
}

bool TryStrToBcd(StringView text, TBcd& bcd) { return TryStrToBcd(text, bcd, FormatSettings()); }

TBcd StrToBcd(StringView text, const TFormatSettings& fs) {
  TBcd b;
  if (!TryStrToBcd(text, b, fs)) throw EConvertError(u"'" + String(text) + u"' is not a valid BCD value");
  return b;
}

TBcd StrToBcd(StringView text) { return StrToBcd(text, FormatSettings()); }

String BcdToStr(const TBcd& bcd, const TFormatSettings& fs) {
  String s = bcd.Value;
  const size_t point = s.find(u'.');
  if (point != String::npos) {
    size_t end = s.find_last_not_of(u'0');
    if (end == point) --end;
    s.erase(end + 1);
    if (point < s.size()) s[point] = fs.DecimalSeparator;
  }
  if (s == u"-0") s = u"0";
  return s;
}

String BcdToStr(const TBcd& bcd) { return BcdToStr(bcd, FormatSettings()); }

double BcdToDouble(const TBcd& bcd) {
  const std::string s = stringToAscii(bcd.Value);
  double d = 0;
  const char* first = s.data();
  if (!s.empty() && s[0] == '-') ++first;
  std::from_chars(first, s.data() + s.size(), d);
  return first != s.data() ? -d : d;
}

TBcd DoubleToBcd(double value) {
  if (!std::isfinite(value)) throw EConvertError(u"Invalid floating point value for a BCD");
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  // snprintf follows the C locale's decimal point; accept either mark.
  for (char* p = buf; *p; ++p)
    if (*p == ',') *p = '.';
  VariantDecimal d;
  if (!parseDecimal(asciiToString(buf), u'.', true, d)) throw EConvertError(u"Invalid floating point value for a BCD");
  return bcdOf(d);
}

TBcd CurrToBcd(Currency value) { return bcdOf(decimalFromWide(value.value, 4)); }

Currency BcdToCurr(const TBcd& bcd) {
  Wide w;
  if (!decimalToScaled(decimalOf(bcd), 4, true, w) || w < kInt64Min || w > kVariantInt64Max)
    throw EOverflow(u"BCD overflow");
  return Currency::FromScaled(static_cast<Int64>(w));
}

int BcdCompare(const TBcd& a, const TBcd& b) { return compareDecimal(decimalOf(a), decimalOf(b)); }

TBcd BcdAdd(const TBcd& a, const TBcd& b) { return bcdOf(addDecimal(decimalOf(a), decimalOf(b))); }

TBcd NormalizeBcd(const TBcd& bcd, Word precision, Word scale) {
  const VariantDecimal d = roundDecimal(decimalOf(bcd), scale, false);
  TBcd r = bcdOf(d);
  if (r.Precision - r.Scale > precision - static_cast<int>(scale)) throw EOverflow(u"BCD overflow");
  r.Precision = precision;
  return r;
}

TVarType VarFMTBcd() { return kVarFMTBcd; }
Variant VarFMTBcdCreate(const TBcd& bcd) { return VA::makeHeap(kVarFMTBcd, bcd); }
Variant VarFMTBcdCreate(StringView text, Word precision, Word scale) {
  return VarFMTBcdCreate(NormalizeBcd(StrToBcd(text), precision, scale));
}
Variant VarFMTBcdCreate(double value, Word precision, Word scale) {
  return VarFMTBcdCreate(NormalizeBcd(DoubleToBcd(value), precision, scale));
}
bool VarIsFMTBcd(const Variant& v) { return VA::type(VA::deref(v)) == kVarFMTBcd; }
TBcd VarToBcd(const Variant& v) { return toBcd(v, FormatSettings()); }

}  // namespace rtl

#pragma once
// The platform's text formatting: Format with its argument list, number to
// text and text to number conversions, and the FormatFloat picture language.
// Routines without a TFormatSettings parameter use rtl::FormatSettings().
#include <cstddef>
#include <initializer_list>
#include <span>

#include "platform/rtl/formatsettings.h"
#include "platform/rtl/types.h"

namespace rtl {

// One argument of Format, like the platform's array-of-const element. Text
// arguments are views: they must outlive the Format call, which a temporary
// String in the argument list does.
class FormatArg {
 public:
  enum class Kind { Integer, Int64, UInt64, Double, Currency, String, Char, Pointer, Boolean };

  FormatArg(int v) : kind_(Kind::Integer) { i_ = v; }
  FormatArg(unsigned v) : kind_(Kind::Int64) { i_ = v; }
  FormatArg(long v) : kind_(Kind::Int64) { i_ = v; }
  FormatArg(unsigned long v) : kind_(Kind::UInt64) { i_ = static_cast<Int64>(v); }
  FormatArg(long long v) : kind_(Kind::Int64) { i_ = v; }
  FormatArg(unsigned long long v) : kind_(Kind::UInt64) { i_ = static_cast<Int64>(v); }
  FormatArg(double v) : kind_(Kind::Double) { d_ = v; }
  FormatArg(Currency v) : kind_(Kind::Currency) { i_ = v.value; }
  FormatArg(const String& v) : kind_(Kind::String), s_(v) {}
  FormatArg(StringView v) : kind_(Kind::String), s_(v) {}
  FormatArg(const char16_t* v) : kind_(Kind::String), s_(v ? StringView(v) : StringView()) {}
  FormatArg(Char v) : kind_(Kind::Char) { i_ = v; }
  FormatArg(const void* v) : kind_(Kind::Pointer) { p_ = v; }
  FormatArg(bool v) : kind_(Kind::Boolean) { i_ = v; }
  // Narrow text would otherwise pass as a pointer or a number.
  FormatArg(const char*) = delete;
  FormatArg(char) = delete;

  Kind kind() const { return kind_; }
  Int64 asInt() const { return i_; }
  UInt64 asUInt() const { return static_cast<UInt64>(i_); }
  double asDouble() const { return d_; }
  StringView asString() const { return s_; }
  const void* asPointer() const { return p_; }

 private:
  Kind kind_;
  union {
    Int64 i_;  // every integral kind, UInt64 as its bits
    double d_;
    const void* p_;
  };
  StringView s_;
};

// %[index:][-][width][.precision]type with type one of d u x X e f g n m p s
// (case does not matter; hex digits are upper case), "*" taking width,
// precision or index from the next argument, and "%%". A Boolean argument
// prints as "True"/"False" under %s. Errors raise EConvertError.
String Format(StringView fmt, std::initializer_list<FormatArg> args);
String Format(StringView fmt, std::initializer_list<FormatArg> args, const TFormatSettings& fs);
String Format(StringView fmt, std::span<const FormatArg> args, const TFormatSettings& fs);

// --- integers ------------------------------------------------------------------
String IntToStr(Int64 value);
// Upper-case hex with at least `digits` digits; negative values show their
// two's complement in the width of the parameter type.
String IntToHex(Int64 value, int digits);
String IntToHex(int value, int digits);
// Leading blanks, an optional sign and hex after "$" or "0x" are accepted.
int StrToInt(StringView s);
int StrToIntDef(StringView s, int defaultValue);
bool TryStrToInt(StringView s, int& value);
Int64 StrToInt64(StringView s);
Int64 StrToInt64Def(StringView s, Int64 defaultValue);
bool TryStrToInt64(StringView s, Int64& value);

// --- floating point -------------------------------------------------------------
enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
String FloatToStrF(double value, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);
// General format with 15 significant digits.
String FloatToStr(double value);
String FloatToStr(double value, const TFormatSettings& fs);
// Picture language: 0 # . , E+ E- e+ e- 'literal' "literal", sections "pos;neg;zero".
String FormatFloat(StringView picture, double value);
String FormatFloat(StringView picture, double value, const TFormatSettings& fs);
// Accepts blanks around, a sign, the settings' decimal separator, an exponent,
// and INF/NAN.
double StrToFloat(StringView s);
double StrToFloat(StringView s, const TFormatSettings& fs);
double StrToFloatDef(StringView s, double defaultValue);
double StrToFloatDef(StringView s, double defaultValue, const TFormatSettings& fs);
bool TryStrToFloat(StringView s, double& value);
bool TryStrToFloat(StringView s, double& value, const TFormatSettings& fs);

// --- currency ---------------------------------------------------------------------
String FormatCurr(StringView picture, Currency value);
String FormatCurr(StringView picture, Currency value, const TFormatSettings& fs);
String CurrToStr(Currency value);
String CurrToStr(Currency value, const TFormatSettings& fs);
String CurrToStrF(Currency value, TFloatFormat format, int digits);
String CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& fs);
// Exact decimal parsing; digits past the fourth decimal round half to even.
Currency StrToCurr(StringView s);
Currency StrToCurr(StringView s, const TFormatSettings& fs);
Currency StrToCurrDef(StringView s, Currency defaultValue);
Currency StrToCurrDef(StringView s, Currency defaultValue, const TFormatSettings& fs);
bool TryStrToCurr(StringView s, Currency& value);
bool TryStrToCurr(StringView s, Currency& value, const TFormatSettings& fs);

// --- Boolean -----------------------------------------------------------------------
// "-1"/"0", or "True"/"False" when useBoolStrs.
String BoolToStr(bool value, bool useBoolStrs = false);
// "True"/"False" in any case, or a number (zero is false).
bool StrToBool(StringView s);
bool StrToBoolDef(StringView s, bool defaultValue);
bool TryStrToBool(StringView s, bool& value);

}  // namespace rtl

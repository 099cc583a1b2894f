#include "platform/rtl/format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

// --- messages ----------------------------------------------------------------------
[[noreturn]] void raiseConvert(const char16_t* pattern, StringView arg) {
  String msg(pattern);
  size_t at = msg.find(u"%s");
  if (at != String::npos) msg.replace(at, 2, arg);
  throw EConvertError(std::move(msg));
}

constexpr const char16_t* kInvalidFormat = u"Format '%s' invalid or incompatible with argument";
constexpr const char16_t* kNoArgument = u"No argument for format '%s'";
constexpr const char16_t* kInvalidInteger = u"'%s' is not a valid integer value";
constexpr const char16_t* kInvalidFloat = u"'%s' is not a valid floating point value";
constexpr const char16_t* kInvalidBoolean = u"'%s' is not a valid boolean value";

String ascii(std::string_view s) { return String(s.begin(), s.end()); }

// --- decimal digits of a value ----------------------------------------------------
// value = 0.d1d2d3... x 10^exponent; digits carry no trailing zeros and are
// empty for zero. Doubles give 18 significant digits, enough to round once,
// as the platform does, at whatever position a format asks for.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
  bool zero() const { return digits.empty(); }
};

void stripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

Decimal decimalFromDouble(double v) {
  Decimal d;
  d.negative = std::signbit(v);
  v = std::fabs(v);
  if (v == 0) return d;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 17);
  std::string_view text(buf, static_cast<size_t>(r.ptr - buf));  // d.ddddde[+-]xx
  size_t e = text.find('e');
  d.digits.push_back(text[0]);
  for (size_t i = 2; i < e; ++i) d.digits.push_back(text[i]);
  int exp = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exp);
  d.exponent = exp + 1;
  stripTrailingZeros(d);
  return d;
}

Decimal decimalFromCurrency(Currency c) {
  Decimal d;
  d.negative = c.value < 0;
  UInt64 magnitude = d.negative ? UInt64(0) - static_cast<UInt64>(c.value) : static_cast<UInt64>(c.value);
  if (magnitude == 0) return d;
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, magnitude);
  d.digits.assign(buf, r.ptr);
  d.exponent = static_cast<int>(d.digits.size()) - 4;
  stripTrailingZeros(d);
  return d;
}

// Keeps at most `precision` significant digits and `decimals` digits after
// the point, rounding half away from zero.
Decimal roundDecimal(Decimal d, int precision, int decimals) {
  if (d.zero()) return d;
  long long keep = std::min<long long>(precision, static_cast<long long>(d.exponent) + decimals);
  if (keep < 0) {
    d.digits.clear();
    d.exponent = 0;
    return d;
  }
  if (static_cast<size_t>(keep) >= d.digits.size()) return d;
  bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    int i = static_cast<int>(keep) - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++d.digits[static_cast<size_t>(i)];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  stripTrailingZeros(d);
  return d;
}

String digitsWithGrouping(std::string_view digits, Char separator, bool group) {
  String out;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    out.push_back(static_cast<Char>(digits[i]));
    size_t left = n - 1 - i;
    if (group && left > 0 && left % 3 == 0 && separator) out.push_back(separator);
  }
  return out;
}

// Integer and fraction digits of a rounded decimal in fixed notation.
void splitFixed(const Decimal& d, std::string& intPart, std::string& fracPart) {
  intPart.clear();
  fracPart.clear();
  if (d.zero()) return;
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent > 0) {
    for (int i = 0; i < d.exponent; ++i) intPart.push_back(i < n ? d.digits[static_cast<size_t>(i)] : '0');
    if (n > d.exponent) fracPart = d.digits.substr(static_cast<size_t>(d.exponent));
  } else {
    fracPart.assign(static_cast<size_t>(-d.exponent), '0');
    fracPart += d.digits;
  }
}

String exponentText(int exp, int minDigits, bool alwaysSign) {
  String out;
  if (exp < 0)
    out.push_back(u'-');
  else if (alwaysSign)
    out.push_back(u'+');
  String num = ascii(std::to_string(std::abs(exp)));
  if (static_cast<int>(num.size()) < minDigits) out.append(static_cast<size_t>(minDigits) - num.size(), u'0');
  return out + num;
}

String generalText(const Decimal& raw, int precision, int expDigits, const TFormatSettings& fs) {
  Decimal d = roundDecimal(raw, precision, 9999);
  if (d.zero()) return u"0";
  String out;
  if (d.negative) out.push_back(u'-');
  if (d.exponent > precision || d.exponent < -4) {
    out.push_back(static_cast<Char>(d.digits[0]));
    if (d.digits.size() > 1) {
      out.push_back(fs.DecimalSeparator);
      out += ascii(std::string_view(d.digits).substr(1));
    }
    out.push_back(u'E');
    out += exponentText(d.exponent - 1, expDigits, false);
    return out;
  }
  std::string intPart, fracPart;
  splitFixed(d, intPart, fracPart);
  out += intPart.empty() ? String(u"0") : ascii(intPart);
  if (!fracPart.empty()) {
    out.push_back(fs.DecimalSeparator);
    out += ascii(fracPart);
  }
  return out;
}

String exponentFormText(const Decimal& raw, int precision, int expDigits, const TFormatSettings& fs) {
  Decimal d = roundDecimal(raw, precision, 9999);
  String out;
  if (d.negative && !d.zero()) out.push_back(u'-');
  std::string digits = d.digits;
  digits.resize(static_cast<size_t>(precision), '0');
  out.push_back(static_cast<Char>(digits[0]));
  if (precision > 1) {
    out.push_back(fs.DecimalSeparator);
    out += ascii(std::string_view(digits).substr(1));
  }
  out.push_back(u'E');
  out += exponentText(d.zero() ? 0 : d.exponent - 1, expDigits, true);
  return out;
}

// Unsigned fixed text with `decimals` decimals, optionally grouped.
String fixedBody(const Decimal& d, int decimals, bool group, const TFormatSettings& fs) {
  std::string intPart, fracPart;
  splitFixed(d, intPart, fracPart);
  String out = intPart.empty() ? String(u"0") : digitsWithGrouping(intPart, fs.ThousandSeparator, group);
  if (decimals > 0) {
    fracPart.resize(static_cast<size_t>(decimals), '0');
    out.push_back(fs.DecimalSeparator);
    out += ascii(fracPart);
  }
  return out;
}

String currencyText(const String& amount, bool negative, const TFormatSettings& fs) {
  const String& cur = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 1: return amount + cur;
      case 2: return cur + u" " + amount;
      case 3: return amount + u" " + cur;
      default: return cur + amount;
    }
  }
  switch (fs.NegCurrFormat) {
    case 1: return u"-" + cur + amount;
    case 2: return cur + u"-" + amount;
    case 3: return cur + amount + u"-";
    case 4: return u"(" + amount + cur + u")";
    case 5: return u"-" + amount + cur;
    case 6: return amount + u"-" + cur;
    case 7: return amount + cur + u"-";
    case 8: return u"-" + amount + u" " + cur;
    case 9: return u"-" + cur + u" " + amount;
    case 10: return amount + u" " + cur + u"-";
    case 11: return cur + u" " + amount + u"-";
    case 12: return cur + u" -" + amount;
    case 13: return amount + u"- " + cur;
    case 14: return u"(" + cur + u" " + amount + u")";
    case 15: return u"(" + amount + u" " + cur + u")";
    default: return u"(" + cur + amount + u")";
  }
}

bool specialText(double v, String& out) {
  if (std::isnan(v)) {
    out = u"NAN";
    return true;
  }
  if (std::isinf(v)) {
    out = v < 0 ? u"-INF" : u"INF";
    return true;
  }
  return false;
}

String floatToText(const Decimal& raw, int maxPrecision, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& fs) {
  precision = std::clamp(precision, 1, maxPrecision);
  switch (format) {
    case TFloatFormat::ffGeneral:
      return generalText(raw, precision, std::clamp(digits, 0, 4), fs);
    case TFloatFormat::ffExponent:
      return exponentFormText(raw, precision, std::clamp(digits, 0, 4), fs);
    default:
      break;
  }
  digits = std::clamp(digits, 0, 18);
  // Too many integer digits for the precision: the platform falls back to
  // the general (scientific) form.
  if (!raw.zero() && raw.exponent > precision) return generalText(raw, precision, 0, fs);
  Decimal d = roundDecimal(raw, precision, digits);
  const bool negative = raw.negative && !d.zero();
  String body = fixedBody(d, digits, format != TFloatFormat::ffFixed, fs);
  if (format == TFloatFormat::ffCurrency) return currencyText(body, negative, fs);
  return negative ? u"-" + body : body;
}

constexpr int kDoublePrecision = 18;
constexpr int kCurrencyPrecision = 19;
constexpr int kPictureDoublePrecision = 15;  // pictures show doubles to 15 digits

// --- the picture language of FormatFloat / FormatCurr -------------------------------
struct Section {
  StringView text;
  int intPlaceholders = 0;
  int intMinDigits = 0;  // '0' placeholders force digits from the first '0' on
  int decPlaceholders = 0;
  int decMinDigits = 0;  // up to the last '0' after the point
  bool thousands = false;
  bool scientific = false;
  bool hasPlaceholders() const { return intPlaceholders + decPlaceholders > 0; }
};

bool isQuote(Char c) { return c == u'\'' || c == u'"'; }

bool isExponentAt(StringView s, size_t i) {
  return (s[i] == u'E' || s[i] == u'e') && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-');
}

std::vector<StringView> splitSections(StringView picture) {
  std::vector<StringView> sections;
  size_t start = 0;
  Char quote = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    Char c = picture[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (isQuote(c)) {
      quote = c;
    } else if (c == u';') {
      sections.push_back(picture.substr(start, i - start));
      start = i + 1;
      if (sections.size() == 3) return sections;
    }
  }
  sections.push_back(picture.substr(start));
  return sections;
}

Section analyse(StringView text) {
  Section s;
  s.text = text;
  bool point = false;
  int firstZero = -1;
  Char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    Char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (isQuote(c)) {
      quote = c;
    } else if (s.scientific) {
      continue;  // everything after the exponent is its digits or literals
    } else if (c == u'0' || c == u'#') {
      if (!point) {
        if (c == u'0' && firstZero < 0) firstZero = s.intPlaceholders;
        ++s.intPlaceholders;
      } else {
        ++s.decPlaceholders;
        if (c == u'0') s.decMinDigits = s.decPlaceholders;
      }
    } else if (c == u'.') {
      point = true;
    } else if (c == u',') {
      s.thousands = true;
    } else if (isExponentAt(text, i)) {
      s.scientific = true;
    }
  }
  if (firstZero >= 0) s.intMinDigits = s.intPlaceholders - firstZero;
  return s;
}

struct PictureDigits {
  std::string intPart;
  std::string fracPart;
  int exponent = 0;
  bool zero = true;
};

PictureDigits pictureDigits(const Section& sec, const Decimal& raw, int maxPrecision) {
  PictureDigits p;
  if (sec.scientific) {
    int significant = std::clamp(sec.intPlaceholders + sec.decPlaceholders, 1, maxPrecision);
    Decimal d = roundDecimal(raw, significant, 9999);
    p.zero = d.zero();
    std::string digits = d.digits;
    digits.resize(static_cast<size_t>(significant), '0');
    p.intPart = digits.substr(0, static_cast<size_t>(std::min(sec.intPlaceholders, significant)));
    p.fracPart = digits.substr(p.intPart.size());
    p.exponent = d.zero() ? 0 : d.exponent - sec.intPlaceholders;
    size_t nz = p.intPart.find_first_not_of('0');
    p.intPart = nz == std::string::npos ? std::string() : p.intPart.substr(nz);
  } else {
    Decimal d = roundDecimal(raw, maxPrecision, sec.decPlaceholders);
    p.zero = d.zero();
    splitFixed(d, p.intPart, p.fracPart);
  }
  while (static_cast<int>(p.fracPart.size()) > sec.decMinDigits && !p.fracPart.empty() && p.fracPart.back() == '0')
    p.fracPart.pop_back();
  if (static_cast<int>(p.fracPart.size()) < sec.decMinDigits) p.fracPart.resize(static_cast<size_t>(sec.decMinDigits), '0');
  if (static_cast<int>(p.intPart.size()) < sec.intMinDigits)
    p.intPart.insert(0, static_cast<size_t>(sec.intMinDigits) - p.intPart.size(), '0');
  return p;
}

String renderSection(const Section& sec, const PictureDigits& p, const TFormatSettings& fs) {
  String out;
  const StringView t = sec.text;
  const int n = sec.intPlaceholders;
  const int len = static_cast<int>(p.intPart.size());
  int intSeen = 0, decSeen = 0;
  bool point = false, intDone = false, exponentDone = false;
  auto emitInt = [&](int fromRight) {  // digit `fromRight` places left of the point
    out.push_back(static_cast<Char>(p.intPart[static_cast<size_t>(len - 1 - fromRight)]));
    if (sec.thousands && fromRight > 0 && fromRight % 3 == 0 && fs.ThousandSeparator)
      out.push_back(fs.ThousandSeparator);
  };
  auto emitAllInt = [&] {
    for (int r = len - 1; r >= 0; --r) emitInt(r);
    intDone = true;
  };
  for (size_t i = 0; i < t.size(); ++i) {
    Char c = t[i];
    if (isQuote(c)) {
      size_t close = t.find(c, i + 1);
      if (close == StringView::npos) close = t.size();
      out.append(t.substr(i + 1, close - i - 1));
      i = close;
    } else if (exponentDone) {
      out.push_back(c);
    } else if ((c == u'0' || c == u'#') && !point) {
      if (intSeen == 0)
        for (int r = len - 1; r >= n; --r) emitInt(r);
      int r = n - 1 - intSeen;
      if (r < len) emitInt(r);
      if (++intSeen == n) intDone = true;
    } else if ((c == u'0' || c == u'#') && point) {
      if (decSeen < static_cast<int>(p.fracPart.size())) out.push_back(static_cast<Char>(p.fracPart[static_cast<size_t>(decSeen)]));
      ++decSeen;
    } else if (c == u'.') {
      if (point) continue;
      point = true;
      if (!intDone) emitAllInt();
      if (!p.fracPart.empty()) out.push_back(fs.DecimalSeparator);
    } else if (c == u',') {
      // grouping flag only
    } else if (isExponentAt(t, i)) {
      if (!intDone) emitAllInt();
      int minDigits = 0;
      size_t j = i + 2;
      while (j < t.size() && t[j] == u'0') ++minDigits, ++j;
      out.push_back(c);
      out += exponentText(p.exponent, std::min(minDigits, 4), t[i + 1] == u'+');
      i = j - 1;
      exponentDone = true;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

String formatPicture(StringView picture, const Decimal& raw, int maxPrecision, const TFormatSettings& fs,
                     const String& generalFallback) {
  std::vector<StringView> sections = splitSections(picture);
  auto sectionText = [&](size_t index) -> StringView {
    return index < sections.size() && !sections[index].empty() ? sections[index] : sections[0];
  };
  const bool hasZeroSection = sections.size() >= 3 && !sections[2].empty();
  const bool hasNegSection = sections.size() >= 2 && !sections[1].empty();
  Decimal magnitude = raw;
  magnitude.negative = false;

  auto render = [&](StringView text, bool& roundedZero) -> String {
    if (text.empty()) {
      roundedZero = false;
      return generalFallback;
    }
    Section sec = analyse(text);
    PictureDigits p = pictureDigits(sec, magnitude, maxPrecision);
    roundedZero = p.zero;
    return renderSection(sec, p, fs);
  };

  bool roundedZero = false;
  if (raw.zero()) return render(sectionText(2), roundedZero);
  if (raw.negative) {
    String text = render(hasNegSection ? sections[1] : sections[0], roundedZero);
    if (!roundedZero) return hasNegSection || sections[0].empty() ? text : u"-" + text;
  } else {
    String text = render(sections[0], roundedZero);
    if (!roundedZero || !hasZeroSection) return text;
  }
  // The value disappears at the section's precision: it is shown as zero.
  if (hasZeroSection) return render(sections[2], roundedZero);
  return render(sections[0], roundedZero);
}

// --- Format ----------------------------------------------------------------------------
constexpr int kMaxWidth = 1000000;  // guards against runaway sizes from outside text

String unsignedText(UInt64 v, int base) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v, base);
  String out(buf, r.ptr);
  for (auto& c : out)
    if (c >= u'a' && c <= u'f') c = static_cast<Char>(c - 32);
  return out;
}

String padDigits(String digits, int minDigits) {
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), u'0');
  return digits;
}

class Formatter {
 public:
  Formatter(StringView fmt, std::span<const FormatArg> args, const TFormatSettings& fs)
      : fmt_(fmt), args_(args), fs_(fs) {}

  String run() {
    String out;
    while (i_ < fmt_.size()) {
      Char c = fmt_[i_++];
      if (c != u'%') {
        out.push_back(c);
        continue;
      }
      if (i_ < fmt_.size() && fmt_[i_] == u'%') {
        out.push_back(u'%');
        ++i_;
        continue;
      }
      out += conversion();
    }
    return out;
  }

 private:
  [[noreturn]] void invalid() const { raiseConvert(kInvalidFormat, fmt_); }

  const FormatArg& nextArg() {
    if (argIndex_ >= args_.size()) raiseConvert(kNoArgument, fmt_);
    return args_[argIndex_++];
  }

  // A number in the format, or '*' taking it from the arguments; -1 if absent.
  int number() {
    if (i_ < fmt_.size() && fmt_[i_] == u'*') {
      ++i_;
      const FormatArg& a = nextArg();
      if (a.kind() != FormatArg::Kind::Integer && a.kind() != FormatArg::Kind::Int64) invalid();
      Int64 v = a.asInt();
      if (v > kMaxWidth) invalid();
      return v < 0 ? 0 : static_cast<int>(v);
    }
    if (i_ >= fmt_.size() || !IsDigit(fmt_[i_])) return -1;
    Int64 v = 0;
    while (i_ < fmt_.size() && IsDigit(fmt_[i_])) {
      v = v * 10 + (fmt_[i_++] - u'0');
      if (v > kMaxWidth) invalid();
    }
    return static_cast<int>(v);
  }

  String conversion() {
    bool left = false;
    int width = -1, precision = -1;
    if (i_ < fmt_.size() && fmt_[i_] == u'-') {
      left = true;
      ++i_;
    }
    int first = number();
    if (!left && first >= 0 && i_ < fmt_.size() && fmt_[i_] == u':') {
      argIndex_ = static_cast<size_t>(first);
      ++i_;
      if (i_ < fmt_.size() && fmt_[i_] == u'-') {
        left = true;
        ++i_;
      }
      width = number();
    } else {
      width = first;
    }
    if (i_ < fmt_.size() && fmt_[i_] == u'.') {
      ++i_;
      precision = number();
      if (precision < 0) precision = 0;
    }
    if (i_ >= fmt_.size()) invalid();
    Char type = fmt_[i_++];
    if (type >= u'A' && type <= u'Z') type = static_cast<Char>(type + 32);
    String text = convert(type, nextArg(), precision);
    if (width > static_cast<int>(text.size())) {
      size_t pad = static_cast<size_t>(width) - text.size();
      if (left)
        text.append(pad, u' ');
      else
        text.insert(0, pad, u' ');
    }
    return text;
  }

  String convert(Char type, const FormatArg& a, int precision) {
    using K = FormatArg::Kind;
    const K k = a.kind();
    const bool integral = k == K::Integer || k == K::Int64 || k == K::UInt64;
    const bool floating = k == K::Double || k == K::Currency;
    switch (type) {
      case u'd': {
        if (!integral) invalid();
        if (k == K::UInt64) return padDigits(unsignedText(a.asUInt(), 10), precision);
        Int64 v = a.asInt();
        UInt64 mag = v < 0 ? UInt64(0) - static_cast<UInt64>(v) : static_cast<UInt64>(v);
        String digits = padDigits(unsignedText(mag, 10), precision);
        return v < 0 ? u"-" + digits : digits;
      }
      case u'u':
      case u'x': {
        if (!integral) invalid();
        UInt64 v = k == K::Integer ? static_cast<UInt64>(static_cast<std::uint32_t>(a.asInt()))
                                   : a.asUInt();
        return padDigits(unsignedText(v, type == u'u' ? 10 : 16), precision);
      }
      case u'e':
      case u'f':
      case u'g':
      case u'n':
      case u'm': {
        if (!floating) invalid();
        String special;
        if (k == K::Double && specialText(a.asDouble(), special)) return special;
        Decimal raw = k == K::Double ? decimalFromDouble(a.asDouble()) : decimalFromCurrency(Currency{a.asInt()});
        const int maxPrecision = k == K::Double ? kDoublePrecision : kCurrencyPrecision;
        switch (type) {
          case u'e':
            return floatToText(raw, maxPrecision, TFloatFormat::ffExponent, precision < 0 ? 15 : precision, 3, fs_);
          case u'g':
            return floatToText(raw, maxPrecision, TFloatFormat::ffGeneral, precision < 0 ? 15 : precision, 3, fs_);
          case u'f':
            return floatToText(raw, maxPrecision, TFloatFormat::ffFixed, maxPrecision, precision < 0 ? 2 : precision, fs_);
          case u'n':
            return floatToText(raw, maxPrecision, TFloatFormat::ffNumber, maxPrecision, precision < 0 ? 2 : precision, fs_);
          default:
            return floatToText(raw, maxPrecision, TFloatFormat::ffCurrency, maxPrecision,
                               precision < 0 ? fs_.CurrencyDecimals : precision, fs_);
        }
      }
      case u'p': {
        if (k != K::Pointer) invalid();
        auto bits = static_cast<UInt64>(reinterpret_cast<std::uintptr_t>(a.asPointer()));
        return padDigits(unsignedText(bits, 16), static_cast<int>(sizeof(void*) * 2));
      }
      case u's': {
        String text;
        if (k == K::String)
          text = String(a.asString());
        else if (k == K::Char)
          text = String(1, static_cast<Char>(a.asInt()));
        else if (k == K::Boolean)
          text = BoolToStr(a.asInt() != 0, true);
        else
          invalid();
        if (precision >= 0 && static_cast<size_t>(precision) < text.size()) text.resize(static_cast<size_t>(precision));
        return text;
      }
      default:
        invalid();
    }
  }

  StringView fmt_;
  std::span<const FormatArg> args_;
  const TFormatSettings& fs_;
  size_t i_ = 0;
  size_t argIndex_ = 0;
};

// --- parsing ------------------------------------------------------------------------
bool isBlank(Char c) { return c <= u' '; }

template <class T>
bool parseInteger(StringView s, T& value) {
  using U = std::make_unsigned_t<T>;
  size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  int base = 10;
  if (i < s.size() && s[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  // Hex covers the whole unsigned range (so "$FFFFFFFF" is -1); decimal
  // must fit the signed range.
  const UInt64 limit = base == 16 ? static_cast<UInt64>(std::numeric_limits<U>::max())
                                  : static_cast<UInt64>(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
  UInt64 v = 0;
  for (; i < s.size(); ++i) {
    Char c = s[i];
    int d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else
      return false;
    if (v > (limit - static_cast<UInt64>(d)) / static_cast<UInt64>(base)) return false;
    v = v * static_cast<UInt64>(base) + static_cast<UInt64>(d);
  }
  U bits = static_cast<U>(v);
  if (negative) bits = static_cast<U>(U(0) - bits);
  value = static_cast<T>(bits);
  return true;
}

// The number syntax shared by floats and currency: blanks, sign, digits with
// the decimal separator, exponent, blanks.
struct NumberText {
  bool negative = false;
  std::string digits;  // integer and fraction digits, no leading zeros
  long long exponent = 0;  // value = digits x 10^exponent
  bool special = false;
  double specialValue = 0;
};

bool matchWord(StringView s, const char* word) {
  size_t n = std::strlen(word);
  if (s.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (s[i] >= 0x80 || std::toupper(static_cast<int>(s[i])) != word[i]) return false;
  return true;
}

bool scanNumber(StringView s, Char decimalSeparator, bool allowSpecial, NumberText& n) {
  size_t i = 0, end = s.size();
  while (i < end && isBlank(s[i])) ++i;
  while (end > i && isBlank(s[end - 1])) --end;
  s = s.substr(i, end - i);
  i = 0;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) n.negative = s[i++] == u'-';
  if (allowSpecial) {
    StringView rest = s.substr(i);
    if (matchWord(rest, "INF") || matchWord(rest, "INFINITY")) {
      n.special = true;
      n.specialValue = n.negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
      return true;
    }
    if (matchWord(rest, "NAN")) {
      n.special = true;
      n.specialValue = std::numeric_limits<double>::quiet_NaN();
      return true;
    }
  }
  int digitCount = 0;
  long long fractionDigits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    Char c = s[i];
    if (IsDigit(c)) {
      ++digitCount;
      if (!(n.digits.empty() && c == u'0')) n.digits.push_back(static_cast<char>(c));
      if (point) ++fractionDigits;
    } else if (c == decimalSeparator && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digitCount == 0) return false;
  long long exp = 0;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    ++i;
    bool expNegative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) expNegative = s[i++] == u'-';
    int expDigits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++expDigits)
      if (exp < 100000000) exp = exp * 10 + (s[i] - u'0');
    if (expDigits == 0) return false;
    if (expNegative) exp = -exp;
  }
  if (i != s.size()) return false;
  // Digits that were dropped as leading zeros still count for the position.
  n.exponent = exp - fractionDigits;
  if (n.digits.size() > 800) {  // far beyond double precision: keep the scale, drop noise
    n.exponent += static_cast<long long>(n.digits.size() - 800);
    n.digits.resize(800);
  }
  return true;
}

bool textToFloat(StringView s, double& value, const TFormatSettings& fs) {
  NumberText n;
  if (!scanNumber(s, fs.DecimalSeparator, true, n)) return false;
  if (n.special) {
    value = n.specialValue;
    return true;
  }
  if (n.digits.empty()) {
    value = n.negative ? -0.0 : 0.0;
    return true;
  }
  std::string text = n.digits + "e" + std::to_string(n.exponent);
  double v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Underflow is zero; overflow is not a valid value.
    long long magnitude = static_cast<long long>(n.digits.size()) + n.exponent;
    if (magnitude > 0) return false;
    v = 0;
  } else if (r.ec != std::errc() || r.ptr != text.data() + text.size()) {
    return false;
  }
  value = n.negative ? -v : v;
  return true;
}

bool textToCurrency(StringView s, Currency& value, const TFormatSettings& fs) {
  NumberText n;
  if (!scanNumber(s, fs.DecimalSeparator, false, n)) return false;
  const long long shift = n.exponent + 4;  // scaled = digits x 10^shift
  std::string head = n.digits, tail;
  if (shift >= 0) {
    if (head.empty()) {
      value = Currency{0};
      return true;
    }
    if (static_cast<long long>(head.size()) + shift > 19) return false;
    head.append(static_cast<size_t>(shift), '0');
  } else {
    long long cut = static_cast<long long>(head.size()) + shift;
    if (cut < 0) {
      head.clear();  // everything lies below half a unit
    } else {
      tail = head.substr(static_cast<size_t>(cut));
      head.resize(static_cast<size_t>(cut));
    }
  }
  if (head.size() > 19 || (head.size() == 19 && head > "9223372036854775808")) return false;
  UInt64 mag = 0;
  for (char c : head) mag = mag * 10 + static_cast<UInt64>(c - '0');
  if (!tail.empty()) {
    bool up;
    if (tail[0] != '5')
      up = tail[0] > '5';
    else if (tail.find_first_not_of('0', 1) != std::string::npos)
      up = true;
    else
      up = (mag & 1) != 0;  // exactly half: to even
    if (up) ++mag;
  }
  const UInt64 limit = static_cast<UInt64>(std::numeric_limits<Int64>::max()) + (n.negative ? 1 : 0);
  if (mag > limit) return false;
  value = Currency{n.negative ? static_cast<Int64>(UInt64(0) - mag) : static_cast<Int64>(mag)};
  return true;
}

String generalOf(const Decimal& raw, int precision, const TFormatSettings& fs) {
  return generalText(raw, precision, 0, fs);
}

}  // namespace

// --- Format ----------------------------------------------------------------------------
String Format(StringView fmt, std::initializer_list<FormatArg> args) {
  return Format(fmt, std::span<const FormatArg>(args.begin(), args.size()), FormatSettings());
}

String Format(StringView fmt, std::initializer_list<FormatArg> args, const TFormatSettings& fs) {
  return Format(fmt, std::span<const FormatArg>(args.begin(), args.size()), fs);
}

String Format(StringView fmt, std::span<const FormatArg> args, const TFormatSettings& fs) {
  return Formatter(fmt, args, fs).run();
}

// --- integers ------------------------------------------------------------------------
String IntToStr(Int64 value) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return String(buf, r.ptr);
}

String IntToHex(Int64 value, int digits) { return padDigits(unsignedText(static_cast<UInt64>(value), 16), digits); }

String IntToHex(int value, int digits) {
  return padDigits(unsignedText(static_cast<std::uint32_t>(value), 16), digits);
}

int StrToInt(StringView s) {
  int v;
  if (!parseInteger(s, v)) raiseConvert(kInvalidInteger, s);
  return v;
}

int StrToIntDef(StringView s, int defaultValue) {
  int v;
  return parseInteger(s, v) ? v : defaultValue;
}

bool TryStrToInt(StringView s, int& value) { return parseInteger(s, value); }

Int64 StrToInt64(StringView s) {
  Int64 v;
  if (!parseInteger(s, v)) raiseConvert(kInvalidInteger, s);
  return v;
}

Int64 StrToInt64Def(StringView s, Int64 defaultValue) {
  Int64 v;
  return parseInteger(s, v) ? v : defaultValue;
}

bool TryStrToInt64(StringView s, Int64& value) { return parseInteger(s, value); }

// --- floating point ---------------------------------------------------------------------
String FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings());
}

String FloatToStrF(double value, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  String special;
  if (specialText(value, special)) return special;
  return floatToText(decimalFromDouble(value), kDoublePrecision, format, precision, digits, fs);
}

String FloatToStr(double value) { return FloatToStr(value, FormatSettings()); }

String FloatToStr(double value, const TFormatSettings& fs) {
  return FloatToStrF(value, TFloatFormat::ffGeneral, 15, 0, fs);
}

String FormatFloat(StringView picture, double value) { return FormatFloat(picture, value, FormatSettings()); }

String FormatFloat(StringView picture, double value, const TFormatSettings& fs) {
  String special;
  if (specialText(value, special)) return special;
  Decimal raw = decimalFromDouble(value);
  String general = generalOf(raw, 15, fs);
  if (picture.empty()) return general;
  return formatPicture(picture, raw, kPictureDoublePrecision, fs, general);
}

double StrToFloat(StringView s) { return StrToFloat(s, FormatSettings()); }

double StrToFloat(StringView s, const TFormatSettings& fs) {
  double v;
  if (!textToFloat(s, v, fs)) raiseConvert(kInvalidFloat, s);
  return v;
}

double StrToFloatDef(StringView s, double defaultValue) { return StrToFloatDef(s, defaultValue, FormatSettings()); }

double StrToFloatDef(StringView s, double defaultValue, const TFormatSettings& fs) {
  double v;
  return textToFloat(s, v, fs) ? v : defaultValue;
}

bool TryStrToFloat(StringView s, double& value) { return textToFloat(s, value, FormatSettings()); }
bool TryStrToFloat(StringView s, double& value, const TFormatSettings& fs) { return textToFloat(s, value, fs); }

// --- currency ----------------------------------------------------------------------------
String FormatCurr(StringView picture, Currency value) { return FormatCurr(picture, value, FormatSettings()); }

String FormatCurr(StringView picture, Currency value, const TFormatSettings& fs) {
  Decimal raw = decimalFromCurrency(value);
  String general = generalOf(raw, kCurrencyPrecision, fs);
  if (picture.empty()) return general;
  return formatPicture(picture, raw, kCurrencyPrecision, fs, general);
}

String CurrToStr(Currency value) { return CurrToStr(value, FormatSettings()); }

String CurrToStr(Currency value, const TFormatSettings& fs) {
  return generalOf(decimalFromCurrency(value), kCurrencyPrecision, fs);
}

String CurrToStrF(Currency value, TFloatFormat format, int digits) {
  return CurrToStrF(value, format, digits, FormatSettings());
}

String CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& fs) {
  return floatToText(decimalFromCurrency(value), kCurrencyPrecision, format, kCurrencyPrecision, digits, fs);
}

Currency StrToCurr(StringView s) { return StrToCurr(s, FormatSettings()); }

Currency StrToCurr(StringView s, const TFormatSettings& fs) {
  Currency c;
  if (!textToCurrency(s, c, fs)) raiseConvert(kInvalidFloat, s);
  return c;
}

Currency StrToCurrDef(StringView s, Currency defaultValue) { return StrToCurrDef(s, defaultValue, FormatSettings()); }

Currency StrToCurrDef(StringView s, Currency defaultValue, const TFormatSettings& fs) {
  Currency c;
  return textToCurrency(s, c, fs) ? c : defaultValue;
}

bool TryStrToCurr(StringView s, Currency& value) { return textToCurrency(s, value, FormatSettings()); }
bool TryStrToCurr(StringView s, Currency& value, const TFormatSettings& fs) { return textToCurrency(s, value, fs); }

// --- Boolean ------------------------------------------------------------------------------
String BoolToStr(bool value, bool useBoolStrs) {
  if (useBoolStrs) return value ? u"True" : u"False";
  return value ? u"-1" : u"0";
}

bool TryStrToBool(StringView s, bool& value) {
  if (SameText(s, u"True")) {
    value = true;
    return true;
  }
  if (SameText(s, u"False")) {
    value = false;
    return true;
  }
  double d;
  if (!textToFloat(s, d, FormatSettings()) || std::isnan(d)) return false;
  value = d != 0;
  return true;
}

bool StrToBool(StringView s) {
  bool v;
  if (!TryStrToBool(s, v)) raiseConvert(kInvalidBoolean, s);
  return v;
}

bool StrToBoolDef(StringView s, bool defaultValue) {
  bool v;
  return TryStrToBool(s, v) ? v : defaultValue;
}

}  // namespace rtl

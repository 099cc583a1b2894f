#include "platform/rtl/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

const TFormatSettings& formatEnUS() {
  static const TFormatSettings fs = TFormatSettings::Create(LOCALE_EN_US);
  return fs;
}

const TFormatSettings& formatPtBR() {
  static const TFormatSettings fs = TFormatSettings::Create(LOCALE_PT_BR);
  return fs;
}

// Replaces the process-wide settings for one test.
class ScopedFormatSettings {
 public:
  explicit ScopedFormatSettings(const TFormatSettings& fs) : saved_(FormatSettings()) { SetFormatSettings(fs); }
  ~ScopedFormatSettings() { SetFormatSettings(saved_); }

 private:
  TFormatSettings saved_;
};

template <class Fn>
String convertErrorOf(Fn fn) {
  try {
    fn();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return u"<no EConvertError>";
}

// --- Format ------------------------------------------------------------------------

TEST(Format, IntegerConversions) {
  const auto& fs = formatEnUS();
  struct Case {
    String got;
    const char16_t* want;
  } cases[] = {
      {Format(u"%d", {42}, fs), u"42"},
      {Format(u"%5d|", {42}, fs), u"   42|"},
      {Format(u"%-5d|", {42}, fs), u"42   |"},
      {Format(u"%.4d", {-42}, fs), u"-0042"},
      {Format(u"%d", {std::numeric_limits<int>::min()}, fs), u"-2147483648"},
      {Format(u"%d", {std::numeric_limits<long long>::min()}, fs), u"-9223372036854775808"},
      {Format(u"%d", {18446744073709551615ull}, fs), u"18446744073709551615"},
      {Format(u"%u", {-1}, fs), u"4294967295"},
      {Format(u"%u", {4000000000u}, fs), u"4000000000"},
      {Format(u"%x", {255}, fs), u"FF"},
      {Format(u"%X", {255}, fs), u"FF"},
      {Format(u"%.4x", {255}, fs), u"00FF"},
      {Format(u"%x", {-1}, fs), u"FFFFFFFF"},
      {Format(u"%x", {-1LL}, fs), u"FFFFFFFFFFFFFFFF"},
      {Format(u"%D", {7}, fs), u"7"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, TextPointerAndLiterals) {
  const auto& fs = formatEnUS();
  const String owned = u"abc";
  struct Case {
    String got;
    const char16_t* want;
  } cases[] = {
      {Format(u"%s", {owned}, fs), u"abc"},
      {Format(u"%s", {StringView(u"view")}, fs), u"view"},
      {Format(u"%.2s", {u"abc"}, fs), u"ab"},
      {Format(u"%5s|", {u"abc"}, fs), u"  abc|"},
      {Format(u"%-5s|", {u"abc"}, fs), u"abc  |"},
      {Format(u"%s", {Char(u'\u00e7')}, fs), u"\u00e7"},
      {Format(u"%s/%s", {true, false}, fs), u"True/False"},
      {Format(u"%s", {String(u"temp") + u"orary"}, fs), u"temporary"},
      {Format(u"%p", {reinterpret_cast<const void*>(0x1234)}, fs), u"0000000000001234"},
      {Format(u"100%% %d%%", {5}, fs), u"100% 5%"},
      {Format(u"no conversions", {}, fs), u"no conversions"},
      {Format(u"", {1}, fs), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, IndexesAndStars) {
  const auto& fs = formatEnUS();
  EXPECT_EQ(Format(u"%1:s %0:s", {u"a", u"b"}, fs), u"b a");
  // After an index the following conversions continue from it.
  EXPECT_EQ(Format(u"%1:s %s", {u"a", u"b", u"c"}, fs), u"b c");
  EXPECT_EQ(Format(u"%0:s-%0:s", {u"x"}, fs), u"x-x");
  EXPECT_EQ(Format(u"%*d", {5, 42}, fs), u"   42");
  EXPECT_EQ(Format(u"%-*d|", {4, 7}, fs), u"7   |");
  EXPECT_EQ(Format(u"%*.*f", {8, 3, 3.14159}, fs), u"   3.142");
  EXPECT_EQ(Format(u"%1:-6s|", {u"a", u"b"}, fs), u"b     |");
}

TEST(Format, FloatConversions) {
  const auto& en = formatEnUS();
  const auto& pt = formatPtBR();
  struct Case {
    String got;
    const char16_t* want;
  } cases[] = {
      {Format(u"%f", {1.0}, en), u"1.00"},
      {Format(u"%.0f", {2.5}, en), u"3"},         // halves away from zero
      {Format(u"%.1f", {2.25}, en), u"2.3"},
      {Format(u"%.2f", {-0.001}, en), u"0.00"},  // no sign on a rounded zero
      {Format(u"%f", {45.5}, pt), u"45,50"},
      {Format(u"%e", {1.0}, en), u"1.00000000000000E+000"},
      {Format(u"%.3e", {12345.0}, en), u"1.23E+004"},
      {Format(u"%.2e", {-0.000123}, en), u"-1.2E-004"},
      {Format(u"%g", {0.5}, en), u"0.5"},
      {Format(u"%g", {123.456}, en), u"123.456"},
      {Format(u"%n", {1234567.891}, en), u"1,234,567.89"},
      {Format(u"%n", {1234567.891}, pt), u"1.234.567,89"},
      {Format(u"%.0n", {1234.5}, en), u"1,235"},
      {Format(u"%n", {-999.999}, en), u"-1,000.00"},
      {Format(u"%m", {1234.5}, en), u"$1,234.50"},
      {Format(u"%m", {-1234.5}, en), u"($1,234.50)"},
      {Format(u"%m", {1234.5}, pt), u"R$ 1.234,50"},
      {Format(u"%m", {-1234.5}, pt), u"-R$ 1.234,50"},
      {Format(u"%.0m", {2.5}, en), u"$3"},
      {Format(u"%m", {Currency::FromScaled(12345000)}, pt), u"R$ 1.234,50"},
      {Format(u"%f", {Currency::FromScaled(12350)}, en), u"1.24"},
      {Format(u"%10.2f|", {3.14159}, en), u"      3.14|"},
      {Format(u"%f", {std::nan("")}, en), u"NAN"},
      {Format(u"%f", {-std::numeric_limits<double>::infinity()}, en), u"-INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, NegativeCurrencyPatterns) {
  TFormatSettings fs = formatEnUS();
  fs.CurrencyString = u"$";
  const char16_t* want[16] = {u"($1.50)", u"-$1.50", u"$-1.50", u"$1.50-",  u"(1.50$)",  u"-1.50$",
                              u"1.50-$",  u"1.50$-", u"-1.50 $", u"-$ 1.50", u"1.50 $-", u"$ 1.50-",
                              u"$ -1.50", u"1.50- $", u"($ 1.50)", u"(1.50 $)"};
  for (int i = 0; i < 16; ++i) {
    fs.NegCurrFormat = static_cast<Byte>(i);
    EXPECT_EQ(Format(u"%m", {-1.5}, fs), want[i]) << "NegCurrFormat " << i;
  }
  const char16_t* positive[4] = {u"$1.50", u"1.50$", u"$ 1.50", u"1.50 $"};
  for (int i = 0; i < 4; ++i) {
    fs.CurrencyFormat = static_cast<Byte>(i);
    EXPECT_EQ(Format(u"%m", {1.5}, fs), positive[i]) << "CurrencyFormat " << i;
  }
}

TEST(Format, ErrorsNameTheFormat) {
  const auto& fs = formatEnUS();
  struct Case {
    const char16_t* fmt;
    std::vector<FormatArg> args;
    const char16_t* message;
  } cases[] = {
      {u"%d", {1.5}, u"Format '%d' invalid or incompatible with argument"},
      {u"%f", {1}, u"Format '%f' invalid or incompatible with argument"},
      {u"%s", {1}, u"Format '%s' invalid or incompatible with argument"},
      {u"%d", {u"1"}, u"Format '%d' invalid or incompatible with argument"},
      {u"%p", {1}, u"Format '%p' invalid or incompatible with argument"},
      {u"%x", {1.0}, u"Format '%x' invalid or incompatible with argument"},
      {u"%q", {1}, u"Format '%q' invalid or incompatible with argument"},
      {u"abc %", {1}, u"Format 'abc %' invalid or incompatible with argument"},
      {u"%5", {1}, u"Format '%5' invalid or incompatible with argument"},
      {u"%*d", {u"x", 1}, u"Format '%*d' invalid or incompatible with argument"},
      {u"%d %d", {1}, u"No argument for format '%d %d'"},
      {u"%5:s", {u"a"}, u"No argument for format '%5:s'"},
      {u"%*d", {}, u"No argument for format '%*d'"},
      {u"%99999999d", {1}, u"Format '%99999999d' invalid or incompatible with argument"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(convertErrorOf([&] { Format(c.fmt, std::span<const FormatArg>(c.args), fs); }), c.message)
        << StringToUtf8(c.fmt);
  }
}

TEST(Format, DefaultOverloadUsesProcessSettings) {
  ScopedFormatSettings scope(formatPtBR());
  EXPECT_EQ(Format(u"%.1f", {45.5}), u"45,5");
  EXPECT_EQ(FloatToStr(45.5), u"45,5");
  EXPECT_EQ(StrToFloat(u"45,5"), 45.5);
}

// --- integers ----------------------------------------------------------------------

TEST(IntegerText, IntToStrAndIntToHex) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-5), u"-5");
  EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), u"-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), u"ABCDEF");
  EXPECT_EQ(IntToHex(-1, 2), u"FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64{-1}, 2), u"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(Int64{0x1234567890}, 12), u"001234567890");
}

TEST(IntegerText, StrToIntAcceptsThePlatformSyntax) {
  struct Case {
    const char16_t* text;
    int want;
  } cases[] = {
      {u"123", 123},        {u"  42", 42},        {u"-17", -17},       {u"+5", 5},
      {u"$FF", 255},        {u"$ff", 255},        {u"0x1A", 26},       {u"0X1a", 26},
      {u"-$10", -16},       {u"$FFFFFFFF", -1},   {u"007", 7},         {u"2147483647", 2147483647},
      {u"-2147483648", std::numeric_limits<int>::min()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToInt(c.text), c.want) << StringToUtf8(c.text);
    int v = 0;
    EXPECT_TRUE(TryStrToInt(c.text, v));
    EXPECT_EQ(v, c.want);
  }
}

TEST(IntegerText, StrToIntRejectsWithThePlatformMessage) {
  for (const char16_t* text : {u"", u" ", u"12 ", u"2147483648", u"-2147483649", u"1.5", u"abc", u"$", u"0x",
                               u"$100000000", u"-", u"1 2", u"\uff11"}) {
    EXPECT_EQ(convertErrorOf([&] { StrToInt(text); }), u"'" + String(text) + u"' is not a valid integer value");
    int v = 99;
    EXPECT_FALSE(TryStrToInt(text, v));
    EXPECT_EQ(StrToIntDef(text, -7), -7);
  }
}

TEST(IntegerText, Int64Range) {
  EXPECT_EQ(StrToInt64(u"9223372036854775807"), std::numeric_limits<Int64>::max());
  EXPECT_EQ(StrToInt64(u"-9223372036854775808"), std::numeric_limits<Int64>::min());
  EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"4294967296"), 4294967296LL);
  EXPECT_EQ(StrToInt64Def(u"9223372036854775808", 3), 3);
  EXPECT_EQ(StrToInt64Def(u"$10000000000000000", 3), 3);
  EXPECT_EQ(convertErrorOf([] { StrToInt64(u"x1"); }), u"'x1' is not a valid integer value");
}

// --- FloatToStr / FloatToStrF ---------------------------------------------------------

TEST(FloatToStr, FifteenSignificantDigits) {
  struct Case {
    double value;
    const char16_t* en;
    const char16_t* pt;
  } cases[] = {
      {0.0, u"0", u"0"},
      {-0.0, u"0", u"0"},
      {45.5, u"45.5", u"45,5"},
      {-45.5, u"-45.5", u"-45,5"},
      {1523.0, u"1523", u"1523"},
      {0.1, u"0.1", u"0,1"},
      {0.1 + 0.2, u"0.3", u"0,3"},
      {1.0 / 3.0, u"0.333333333333333", u"0,333333333333333"},
      {2.0 / 3.0, u"0.666666666666667", u"0,666666666666667"},
      {1234567.125, u"1234567.125", u"1234567,125"},
      {123456789012345.0, u"123456789012345", u"123456789012345"},
      {999999999999999.9, u"1E15", u"1E15"},
      {1e15, u"1E15", u"1E15"},
      {1e20, u"1E20", u"1E20"},
      {-2.5e100, u"-2.5E100", u"-2,5E100"},
      {1.5e-10, u"1.5E-10", u"1,5E-10"},
      {0.0001, u"0.0001", u"0,0001"},
      {0.00001, u"0.00001", u"0,00001"},
      {0.000001, u"1E-6", u"1E-6"},
      {std::numeric_limits<double>::max(), u"1.79769313486232E308", u"1,79769313486232E308"},
      {std::numeric_limits<double>::denorm_min(), u"4.94065645841247E-324", u"4,94065645841247E-324"},
      {std::nan(""), u"NAN", u"NAN"},
      {std::numeric_limits<double>::infinity(), u"INF", u"INF"},
      {-std::numeric_limits<double>::infinity(), u"-INF", u"-INF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatToStr(c.value, formatEnUS()), c.en) << c.value;
    EXPECT_EQ(FloatToStr(c.value, formatPtBR()), c.pt) << c.value;
  }
}

TEST(FloatToStr, TextReadsBackToTheSameFifteenDigits) {
  for (double v : {45.5, -1.25e-7, 3.14159265358979, 1e300, 123456.789, 0.1 + 0.2}) {
    for (const TFormatSettings* fs : {&formatEnUS(), &formatPtBR()}) {
      String text = FloatToStr(v, *fs);
      EXPECT_EQ(FloatToStr(StrToFloat(text, *fs), *fs), text);
    }
  }
}

TEST(FloatToStrF, EachFormat) {
  using F = TFloatFormat;
  struct Case {
    double value;
    F format;
    int precision, digits;
    const char16_t* en;
    const char16_t* pt;
  } cases[] = {
      {1234.5678, F::ffFixed, 15, 2, u"1234.57", u"1234,57"},
      {0.5, F::ffFixed, 15, 0, u"1", u"1"},
      {-0.5, F::ffFixed, 15, 0, u"-1", u"-1"},
      {0.125, F::ffFixed, 15, 2, u"0.13", u"0,13"},
      {1e20, F::ffFixed, 15, 2, u"1E20", u"1E20"},
      {1234.5678, F::ffFixed, 4, 2, u"1235.00", u"1235,00"},  // precision rounds first
      {1234.5678, F::ffFixed, 3, 2, u"1.23E3", u"1,23E3"},    // too many integer digits
      {1234567.891, F::ffNumber, 15, 2, u"1,234,567.89", u"1.234.567,89"},
      {-123.0, F::ffNumber, 15, 0, u"-123", u"-123"},
      {1234.5678, F::ffExponent, 5, 2, u"1.2346E+03", u"1,2346E+03"},
      {0.00012, F::ffExponent, 3, 0, u"1.20E-4", u"1,20E-4"},
      {0.0, F::ffExponent, 3, 2, u"0.00E+00", u"0,00E+00"},
      {1234.5678, F::ffGeneral, 6, 0, u"1234.57", u"1234,57"},
      {1234.5678, F::ffGeneral, 3, 2, u"1.23E03", u"1,23E03"},
      {1234.5, F::ffCurrency, 15, 2, u"$1,234.50", u"R$ 1.234,50"},
      {-1234.5, F::ffCurrency, 15, 2, u"($1,234.50)", u"-R$ 1.234,50"},
      {std::nan(""), F::ffCurrency, 15, 2, u"NAN", u"NAN"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits, formatEnUS()), c.en) << c.value;
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits, formatPtBR()), c.pt) << c.value;
  }
}

// --- FormatFloat / FormatCurr -----------------------------------------------------------

TEST(FormatFloat, PictureLanguage) {
  struct Case {
    const char16_t* picture;
    double value;
    const char16_t* want;
  } cases[] = {
      {u"0.00", 1234.5, u"1234.50"},
      {u"#,##0.00", 1234567.891, u"1,234,567.89"},
      {u"#,##0.00", 0.5, u"0.50"},
      {u"#,##0", 999999.5, u"1,000,000"},
      {u"#.##", 0.5, u".5"},
      {u"#", 0.0, u""},
      {u"0", 0.4, u"0"},
      {u"0", 2.5, u"3"},
      {u"0", -2.5, u"-3"},
      {u"0.##", 1.0, u"1"},
      {u"0.0#", 1.5, u"1.5"},
      {u"0.0#", 1.257, u"1.26"},
      {u"000", 7.0, u"007"},
      {u"0,000", 5.0, u"0,005"},
      {u"#,##0", -1234.0, u"-1,234"},
      {u"0.00", -0.001, u"0.00"},
      {u"0.00", 1e-20, u"0.00"},
      {u"0.0000000000000000000", 0.1, u"0.1000000000000000000"},  // 15 significant digits
      {u"0", 1e20, u"100000000000000000000"},
      {u"000-000", 123456.0, u"123-456"},
      {u"0%", 50.0, u"50%"},
      {u"'Total: '0.00", 5.0, u"Total: 5.00"},
      {u"\"#0;\"0", 5.0, u"#0;5"},  // quoted text is not picture
      {u"0.00 'kg'", 2.0, u"2.00 kg"},
      {u".00", 12.5, u"12.50"},
      // Sections: positive; negative; zero. An empty section falls back to the first.
      {u"#,##0;(#,##0)", -1234.0, u"(1,234)"},
      {u"#,##0;(#,##0)", 1234.0, u"1,234"},
      {u"#,##0;(#,##0);Zero", 0.0, u"Zero"},
      {u"#,##0;(#,##0);Zero", 0.4, u"Zero"},  // rounds to zero
      {u"#,##0;(#,##0);Zero", -0.4, u"Zero"},
      {u"0.00;;Zero", -1.5, u"-1.50"},
      {u"0.00;(0.00)", -0.001, u"0.00"},
      {u"0.00;(0.00)", 0.0, u"0.00"},
      // Scientific.
      {u"0.00E+00", 12345.0, u"1.23E+04"},
      {u"0.00E+00", 0.000123, u"1.23E-04"},
      {u"0.00E-00", 12345.0, u"1.23E04"},
      {u"0.00E-00", 0.000123, u"1.23E-04"},
      {u"0.00e+000", 12345.0, u"1.23e+004"},
      {u"00.0E+0", 12345.0, u"12.3E+3"},
      {u"0.###E+00", 1.5, u"1.5E+00"},
      {u"0.00E+00", 0.0, u"0.00E+00"},
      {u"0.00E+00", -12345.0, u"-1.23E+04"},
      // No picture, or special values: the general form.
      {u"", 45.5, u"45.5"},
      {u"0.00", std::nan(""), u"NAN"},
      {u"0.00", std::numeric_limits<double>::infinity(), u"INF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloat(c.picture, c.value, formatEnUS()), c.want) << StringToUtf8(c.picture) << " " << c.value;
}

TEST(FormatFloat, SeparatorsComeFromTheSettings) {
  EXPECT_EQ(FormatFloat(u"#,##0.00", 1234567.891, formatPtBR()), u"1.234.567,89");
  EXPECT_EQ(FormatFloat(u"\"R$\" #,##0.00", 1234.5, formatPtBR()), u"R$ 1.234,50");
  EXPECT_EQ(FormatFloat(u"0.00E+00", 12345.0, formatPtBR()), u"1,23E+04");
  EXPECT_EQ(FormatFloat(u"", 45.5, formatPtBR()), u"45,5");
}

TEST(FormatCurr, ExactDecimals) {
  const Currency max = Currency::FromScaled(std::numeric_limits<Int64>::max());
  const Currency min = Currency::FromScaled(std::numeric_limits<Int64>::min());
  EXPECT_EQ(FormatCurr(u"#,##0.00", Currency::FromScaled(12345678), formatEnUS()), u"1,234.57");
  EXPECT_EQ(FormatCurr(u"0.0000", max, formatEnUS()), u"922337203685477.5807");
  EXPECT_EQ(FormatCurr(u"#,##0.0000", min, formatEnUS()), u"-922,337,203,685,477.5808");
  EXPECT_EQ(FormatCurr(u"#,##0.00", Currency::FromScaled(-1234550), formatEnUS()), u"-123.46");
  EXPECT_EQ(FormatCurr(u"#,##0.00;(#,##0.00)", Currency::FromScaled(-1234550), formatPtBR()), u"(123,46)");
  EXPECT_EQ(FormatCurr(u"", Currency::FromScaled(12345), formatPtBR()), u"1,2345");
}

TEST(CurrToStr, GeneralFormWithUpToFourDecimals) {
  struct Case {
    Int64 scaled;
    const char16_t* en;
    const char16_t* pt;
  } cases[] = {
      {0, u"0", u"0"},
      {12345000, u"1234.5", u"1234,5"},
      {-1, u"-0.0001", u"-0,0001"},
      {std::numeric_limits<Int64>::max(), u"922337203685477.5807", u"922337203685477,5807"},
      {std::numeric_limits<Int64>::min(), u"-922337203685477.5808", u"-922337203685477,5808"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CurrToStr(Currency::FromScaled(c.scaled), formatEnUS()), c.en);
    EXPECT_EQ(CurrToStr(Currency::FromScaled(c.scaled), formatPtBR()), c.pt);
  }
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345000), TFloatFormat::ffCurrency, 2, formatPtBR()), u"R$ 1.234,50");
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345000), TFloatFormat::ffNumber, 1, formatEnUS()), u"1,234.5");
}

// --- text to numbers ---------------------------------------------------------------

TEST(StrToFloat, AcceptedTexts) {
  struct Case {
    const char16_t* text;
    const TFormatSettings* fs;
    double want;
  } cases[] = {
      {u"45.5", &formatEnUS(), 45.5},      {u"45,5", &formatPtBR(), 45.5},      {u" 12 ", &formatEnUS(), 12.0},
      {u"-1.5E3", &formatEnUS(), -1500.0}, {u"2e-2", &formatEnUS(), 0.02},      {u"+.5", &formatEnUS(), 0.5},
      {u"5.", &formatEnUS(), 5.0},         {u"1e-400", &formatEnUS(), 0.0},     {u"000123.4500", &formatEnUS(), 123.45},
      {u"INF", &formatEnUS(), std::numeric_limits<double>::infinity()},
      {u"-inf", &formatPtBR(), -std::numeric_limits<double>::infinity()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToFloat(c.text, *c.fs), c.want) << StringToUtf8(c.text);
    double v = 0;
    EXPECT_TRUE(TryStrToFloat(c.text, v, *c.fs));
  }
  EXPECT_TRUE(std::isnan(StrToFloat(u"NaN", formatEnUS())));
}

TEST(StrToFloat, RejectedTexts) {
  struct Case {
    const char16_t* text;
    const TFormatSettings* fs;
  } cases[] = {
      {u"", &formatEnUS()},     {u"   ", &formatEnUS()},   {u"abc", &formatEnUS()},  {u"1e", &formatEnUS()},     {u"1.2.3", &formatEnUS()},
      {u"1e400", &formatEnUS()}, {u"--1", &formatEnUS()},  {u"1 2", &formatEnUS()},  {u".", &formatEnUS()},      {u"1,5", &formatEnUS()},
      {u"45.5", &formatPtBR()}, {u"1.234,5", &formatPtBR()}, {u"0x10", &formatEnUS()}, {u"INFX", &formatEnUS()}, {u"\u0661", &formatEnUS()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(convertErrorOf([&] { StrToFloat(c.text, *c.fs); }),
              u"'" + String(c.text) + u"' is not a valid floating point value");
    double v = 0;
    EXPECT_FALSE(TryStrToFloat(c.text, v, *c.fs));
    EXPECT_EQ(StrToFloatDef(c.text, -1.0, *c.fs), -1.0);
  }
}

TEST(StrToCurr, ExactWithHalfEvenAtTheFourthDecimal) {
  struct Case {
    const char16_t* text;
    const TFormatSettings* fs;
    Int64 scaled;
  } cases[] = {
      {u"1234.5678", &formatEnUS(), 12345678},
      {u"1234,5", &formatPtBR(), 12345000},
      {u"1.23455", &formatEnUS(), 12346},
      {u"1.23445", &formatEnUS(), 12344},
      {u"1.234451", &formatEnUS(), 12345},
      {u"0.00004", &formatEnUS(), 0},
      {u"0.00005", &formatEnUS(), 0},
      {u"0.00015", &formatEnUS(), 2},
      {u"-0.00015", &formatEnUS(), -2},
      {u"1e3", &formatEnUS(), 10000000},
      {u" -7 ", &formatEnUS(), -70000},
      {u"922337203685477.5807", &formatEnUS(), std::numeric_limits<Int64>::max()},
      {u"-922337203685477.5808", &formatEnUS(), std::numeric_limits<Int64>::min()},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToCurr(c.text, *c.fs).value, c.scaled) << StringToUtf8(c.text);
  for (const char16_t* bad : {u"922337203685477.5808", u"1e20", u"abc", u"INF", u""}) {
    EXPECT_EQ(convertErrorOf([&] { StrToCurr(bad, formatEnUS()); }),
              u"'" + String(bad) + u"' is not a valid floating point value");
    Currency c;
    EXPECT_FALSE(TryStrToCurr(bad, c, formatEnUS()));
  }
  EXPECT_EQ(StrToCurrDef(u"1.234,5", Currency::FromScaled(9), formatPtBR()).value, 9);
}

// --- Boolean ------------------------------------------------------------------------

TEST(BoolText, BoolToStrAndBack) {
  ScopedFormatSettings scope(formatEnUS());
  EXPECT_EQ(BoolToStr(true), u"-1");
  EXPECT_EQ(BoolToStr(false), u"0");
  EXPECT_EQ(BoolToStr(true, true), u"True");
  EXPECT_EQ(BoolToStr(false, true), u"False");
  struct Case {
    const char16_t* text;
    bool want;
  } cases[] = {{u"True", true}, {u"true", true}, {u"FALSE", false}, {u"-1", true},
               {u"0", false},   {u"2", true},    {u"0.0", false}};
  for (const auto& c : cases) EXPECT_EQ(StrToBool(c.text), c.want) << StringToUtf8(c.text);
  for (const char16_t* bad : {u"yes", u"", u"T", u"Truee"}) {
    EXPECT_EQ(convertErrorOf([&] { StrToBool(bad); }), u"'" + String(bad) + u"' is not a valid boolean value");
    bool v;
    EXPECT_FALSE(TryStrToBool(bad, v));
    EXPECT_TRUE(StrToBoolDef(bad, true));
  }
}

}  // namespace
}  // namespace rtl

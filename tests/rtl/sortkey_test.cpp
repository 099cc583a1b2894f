#include "platform/rtl/sortkey.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

class ScopedThreadLocale {
 public:
  explicit ScopedThreadLocale(LCID lcid) : saved_(GetThreadLocale()) { SetThreadLocale(lcid); }
  ~ScopedThreadLocale() { SetThreadLocale(saved_); }

 private:
  LCID saved_;
};

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// Accents, case, empty texts, embedded digits, ligatures, dotted and dotless
// i, a surrogate pair, punctuation and spaces.
std::vector<String> trickyTexts() {
  const char* const utf8[] = {"",       "a",      "A",     "ab",      "aB",     "Ab",      "b",       "\xC3\xA1",
                              "\xC3\x81", "\xC3\xA0", "a b",   "a1",      "a10",    "a2",      "A2",      "a\xC3\xA4",
                              "\xC3\xA4", "\xC3\xA6", "ae",    "\xC3\x9F", "ss",     ("Stra\xC3\x9F" "e"), "strasse",
                              "r\xC3\xA9sum\xC3\xA9", "resume", "RESUME", "x9", "9", "10", " ", "  ", "-", "_a",
                              "\xC3\xA9", "e", "f", "zz", "Z", "\xC4\xB0", "\xC4\xB1", "i", "I", "\xE4\xB8\xAD",
                              "\xF0\x9D\x92\x9C", "aa", "aaa", "ch", "h", "cz", "y", "i", "\xC3\xA5", "o\xCC\x88",
                              "\xC3\xB6", "abcdefgh", "abcdefghi", "ABCDEFGHa", "abcdefgh1", "abcdefg"};
  std::vector<String> out;
  for (const char* s : utf8) out.push_back(Utf8ToString(s));
  return out;
}

std::vector<String> randomTexts(const std::vector<Char>& alphabet, int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<String> out;
  for (int i = 0; i < count; ++i) {
    String s(random() % 13, u' ');
    for (Char& c : s) c = alphabet[random() % alphabet.size()];
    // Shared beginnings make the tails past the first eight bytes matter.
    if (i % 3 == 0) s = u"Prefixed" + s;
    out.push_back(s);
  }
  return out;
}

std::vector<Char> asciiAlphabet() {
  std::vector<Char> out{u' ', u'0', u'1', u'9'};
  for (Char c = u'a'; c <= u'z'; ++c) out.push_back(c);
  for (Char c = u'A'; c <= u'Z'; ++c) out.push_back(c);
  return out;
}

std::vector<Char> mixedAlphabet() {
  std::vector<Char> out = {u'a', u'A', u'b', u'e', u'E', u'z', u'1', u'2', u' ', u'-', u'\u00E9', u'\u00C9',
                           u'\u00E4', u'\u00DF', u'\u0131', u'\u0130', u'\u00E5', u'\u4E2D', u'\u0308'};
  return out;
}

// Every pair of the set: the keys' order is AnsiCompareText's.
void expectKeysOrderAsAnsiCompareText(const std::vector<String>& texts) {
  std::vector<StringView> views(texts.begin(), texts.end());
  TAnsiTextSortKeys keys(views.data(), views.size());
  ASSERT_EQ(keys.Count(), texts.size());
  std::vector<std::string> single;
  for (const String& t : texts) single.push_back(AnsiTextSortKey(t));
  int failures = 0;
  for (size_t i = 0; i < texts.size() && failures < 5; ++i)
    for (size_t j = 0; j < texts.size() && failures < 5; ++j) {
      const int expected = sign(AnsiCompareText(texts[i], texts[j]));
      const int viaSet = keys.Compare(i, j);
      const int viaKey = single[i] < single[j] ? -1 : (single[j] < single[i] ? 1 : 0);
      if (viaSet != expected || viaKey != expected) {
        ++failures;
        ADD_FAILURE() << "\"" << StringToUtf8(texts[i]) << "\" vs \"" << StringToUtf8(texts[j])
                      << "\": AnsiCompareText " << expected << ", set keys " << viaSet << ", single keys " << viaKey;
      }
    }
}

struct LocaleCase {
  const char* name;
  LCID locale;
  // Whether ASCII texts may take the folded form there: false where the
  // locale tailors letters (Danish "aa", Czech "ch", Lithuanian "y"...).
  bool foldsAscii;
};

const LocaleCase kLocales[] = {
    {"EnglishUS", 0x0409, true}, {"PortugueseBR", 0x0416, true}, {"Turkish", 0x041F, false},
    {"Danish", 0x0406, false},   {"Czech", 0x0405, false},       {"Lithuanian", 0x0427, false},
    {"Japanese", 0x0411, true},
};

class AnsiTextSortKeyOrder : public testing::TestWithParam<LocaleCase> {
 protected:
  ScopedThreadLocale locale_{GetParam().locale};
};

TEST_P(AnsiTextSortKeyOrder, TrickyTexts) {
  const std::vector<String> texts = trickyTexts();
  expectKeysOrderAsAnsiCompareText(texts);
  std::vector<StringView> views(texts.begin(), texts.end());
  EXPECT_FALSE(TAnsiTextSortKeys(views.data(), views.size()).FoldedAscii());  // accents present
}

TEST_P(AnsiTextSortKeyOrder, RandomMixedTexts) { expectKeysOrderAsAnsiCompareText(randomTexts(mixedAlphabet(), 300, 7)); }

// Letters, digits and spaces only, with the pairs that locales tailor.
TEST_P(AnsiTextSortKeyOrder, AsciiTextsTakeTheFoldedFormOnlyWhereTheLocaleAllows) {
  std::vector<String> texts = randomTexts(asciiAlphabet(), 300, 11);
  for (const char16_t* s : {u"aa", u"AA", u"ab", u"z", u"ch", u"cz", u"h", u"i", u"y", u"I", u"", u"10", u"9 "})
    texts.push_back(s);
  expectKeysOrderAsAnsiCompareText(texts);
  std::vector<StringView> views(texts.begin(), texts.end());
  EXPECT_EQ(TAnsiTextSortKeys(views.data(), views.size()).FoldedAscii(), GetParam().foldsAscii);
}

INSTANTIATE_TEST_SUITE_P(Locales, AnsiTextSortKeyOrder, testing::ValuesIn(kLocales),
                         [](const testing::TestParamInfo<LocaleCase>& i) { return std::string(i.param.name); });

TEST(AnsiTextSortKeys, EmptySetAndRebuild) {
  TAnsiTextSortKeys keys;
  keys.Build(nullptr, 0);
  EXPECT_EQ(keys.Count(), 0u);
  const StringView first[] = {u"b", u"A"};
  keys.Build(first, 2);
  EXPECT_EQ(keys.Compare(0, 1), 1);
  const StringView second[] = {u"\u00E9", u"E", u"e"};
  keys.Build(second, 3);  // nothing of the first build leaks into the second
  ASSERT_EQ(keys.Count(), 3u);
  EXPECT_EQ(keys.Compare(1, 2), 0);
  EXPECT_EQ(keys.Compare(0, 1), sign(AnsiCompareText(u"\u00E9", u"E")));
}

}  // namespace
}  // namespace rtl

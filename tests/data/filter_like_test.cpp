// The LIKE matcher, pattern classification and the incremental-search
// comparison. The matcher is checked case by case and, over many random
// short inputs, against the plain recursive statement of the rule.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "lib/data/cxFilterLike.h"
#include "tests/support/like_reference.h"

using namespace data;

namespace {

rtl::String U(const char* s) { return rtl::String(s, s + std::char_traits<char>::length(s)); }

bool Match(const char* text, const char* pattern, char16_t escape = 0) {
  return LikeStr(U(text), U(pattern), u'%', u'_', escape);
}

TEST(FilterLike, Cases) {
  struct Case {
    const char* text;
    const char* pattern;
    char16_t escape;
    bool matches;
  };
  const Case cases[] = {
      {"abc", "a%", 0, true},    {"abc", "%c", 0, true},     {"abc", "%b%", 0, true},
      {"abc", "a_c", 0, true},   {"abc", "___", 0, true},    {"abc", "%", 0, true},
      {"abc", "ab", 0, false},   {"abc", "a_", 0, false},    {"abc", "____", 0, false},
      {"abc", "abcd%", 0, false},
      // The end-of-text rule: a wildcard that is not last never lets the
      // rest of the pattern meet the empty end of the text.
      {"", "%", 0, true},        {"", "", 0, true},          {"a", "", 0, false},
      {"", "%%", 0, false},      {"ab", "ab%%", 0, false},   {"ab", "ab%", 0, true},
      {"abc", "%c%", 0, true},   {"abc", "%c%_", 0, false}, {"abcd", "%c%_", 0, true},   {"aXbXc", "%X%X%", 0, true},
      // Escapes: an escaped wildcard matches only itself; an escape before
      // an ordinary character is that character.
      {"a%", "a!%", u'!', true}, {"ab", "a!%", u'!', false}, {"a_c", "a!_c", u'!', true},
      {"abc", "a!_c", u'!', false}, {"a", "!a", u'!', true}, {"!", "!!", u'!', true},
      {"a", "a!", u'!', true},
      // Exact: no case folding here.
      {"a", "A", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " LIKE " + c.pattern);
    EXPECT_EQ(Match(c.text, c.pattern, c.escape), c.matches);
  }
}

TEST(FilterLike, AgreesWithTheRecursiveRuleOnRandomInputs) {
  std::mt19937 rng(20261211);
  const char16_t alphabet[] = {u'a', u'b', u'%', u'_', u'!'};
  auto draw = [&](std::size_t maxLen) {
    rtl::String s;
    const std::size_t len = rng() % (maxLen + 1);
    for (std::size_t i = 0; i < len; ++i) s.push_back(alphabet[rng() % 5]);
    return s;
  };
  for (int i = 0; i < 200000; ++i) {
    const rtl::String text = draw(7);
    const rtl::String pattern = draw(7);
    const char16_t escape = (i & 1) ? u'!' : 0;
    const bool expected = testing_support::LikeReference(text.data(), text.size(), pattern.data(),
                                                         pattern.size(), u'%', u'_', escape);
    ASSERT_EQ(Like(text.data(), text.size(), pattern.data(), pattern.size(), u'%', u'_', escape), expected)
        << rtl::StringToUtf8(text) << " LIKE " << rtl::StringToUtf8(pattern) << " escape " << int(escape);
  }
}

// Matching an ASCII text with its lower-case letters folded as they are
// read answers what matching its upper-cased copy answers, for "contains"
// patterns (a plain search) and the general ones alike; the upper-case
// pattern letters and the wildcards' own letters are drawn too.
TEST(FilterLike, AsciiFoldingWhileMatchingAgreesWithMatchingTheUpperCasedText) {
  std::mt19937 rng(1211);
  const char16_t textLetters[] = {u'a', u'b', u'A', u'B', u'%', u'_', u'!', u'{', u'`'};
  const char16_t patternLetters[] = {u'A', u'B', u'a', u'%', u'_', u'!', u'['};
  auto draw = [&](const char16_t* letters, std::size_t count, std::size_t maxLen) {
    rtl::String s;
    const std::size_t len = rng() % (maxLen + 1);
    for (std::size_t i = 0; i < len; ++i) s.push_back(letters[rng() % count]);
    return s;
  };
  for (int i = 0; i < 100000; ++i) {
    const rtl::String text = draw(textLetters, std::size(textLetters), 8);
    rtl::String pattern = draw(patternLetters, std::size(patternLetters), 5);
    if (i % 3 == 0) pattern = u"%" + pattern + u"%";  // mostly a "contains" pattern then
    const char16_t escape = (i & 1) ? u'!' : 0;
    const TcxLikeMatcher matcher(pattern.data(), pattern.size(), u'%', u'_', escape);
    const rtl::String upper = rtl::UpperCase(text);
    ASSERT_EQ(matcher.MatchesAsciiUpper(text), matcher.Matches(upper))
        << rtl::StringToUtf8(text) << " LIKE " << rtl::StringToUtf8(pattern) << " escape " << int(escape);
  }
}

// A pattern of many wildcards against a long text that almost matches: the
// recursive rule would try every combination of start positions; this
// finishes only if the matcher does not.
TEST(FilterLike, ManyWildcardsAgainstALongTextFinish) {
  const rtl::String text(10000, u'a');
  rtl::String pattern;
  for (int i = 0; i < 12; ++i) pattern += u"%a";
  pattern += u"%b";
  EXPECT_FALSE(LikeStr(text, pattern, u'%', u'_', 0));
  EXPECT_TRUE(LikeStr(text + u"b", pattern, u'%', u'_', 0));
}

TEST(FilterLike, PatternClasses) {
  struct Case {
    const char* pattern;
    TcxFilterLikePattern kind;
    const char* stripped;
  };
  const Case cases[] = {
      {"abc%", TcxFilterLikePattern::floBeginsWith, "abc"}, {"%abc", TcxFilterLikePattern::floEndsWith, "abc"},
      {"%%abc%%", TcxFilterLikePattern::floContains, "abc"}, {"%", TcxFilterLikePattern::floLike, "%"},
      {"%a", TcxFilterLikePattern::floEndsWith, "a"},        {"a%b", TcxFilterLikePattern::floLike, "a%b"},
      {"%%", TcxFilterLikePattern::floLike, "%"},            {"", TcxFilterLikePattern::floLike, ""},
      {"a%%%b%%", TcxFilterLikePattern::floBeginsWith, "a%b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    rtl::String p = U(c.pattern);
    EXPECT_EQ(LikeOperatorByPattern(p, u'%'), c.kind);
    EXPECT_EQ(p, U(c.stripped));
  }
}

TEST(FilterLike, IncrementalSearchComparison) {
  struct Case {
    const char16_t* text1;
    const char16_t* text2;
    bool partial;
    bool anywhere;
    bool result;
  };
  const Case cases[] = {
      {u"Hello", u"he", true, false, true},    {u"Hello", u"LL", true, true, true},
      {u"Hello", u"hello", false, false, true}, {u"Hello", u"", true, true, false},
      {u"", u"", false, false, true},           {u"He", u"Hello", true, false, false},
      {u"Hello", u"LL", true, false, false},    {u"Hello", u"Hell", false, false, false},
      // Locale-aware upper-casing, not ASCII only.
      {u"Ação", u"AÇ", true, false, true},      {u"straße", u"STRASSE", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text1) + " / " + rtl::StringToUtf8(c.text2));
    EXPECT_EQ(DataCompareText(c.text1, c.text2, c.partial, c.anywhere), c.result);
  }
}

}  // namespace

#include "platform/rtl/ustring.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <memory>

#include "platform/rtl/collation_internal.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/text_codec.h"

namespace rtl {

// --- encodings -------------------------------------------------------------
namespace {

constexpr char16_t kReplacement = text_codec::kReplacement;

using text_codec::appendUtf8;

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

String Utf8ToString(std::string_view utf8) {
  String out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  for (std::size_t i = 0; i < utf8.size();) {
    const text_codec::Utf8Step step = text_codec::decodeUtf8(p + i, utf8.size() - i);
    text_codec::appendUtf16(out, step.codePoint);
    i += step.length;
  }
  return out;
}

std::string StringToUtf8(StringView text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      appendUtf8(out, cp);
      ++i;
    } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, c);
    }
  }
  return out;
}

void StringToUtf8WithOffsets(StringView text, std::string& out, std::vector<int>& offsets,
                             char32_t (*substitute)(char32_t)) {
  out.clear();
  out.reserve(text.size());
  offsets.assign(text.size() + 1, 0);
  for (size_t i = 0; i < text.size(); ++i) {
    offsets[i] = static_cast<int>(out.size());
    char16_t c = text[i];
    char32_t cp = c;
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      offsets[i + 1] = offsets[i];
      ++i;
    } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
      cp = kReplacement;
    }
    appendUtf8(out, substitute ? substitute(cp) : cp);
  }
  offsets[text.size()] = static_cast<int>(out.size());
}

String AnsiToString(std::string_view ansi) {
  String out;
  out.reserve(ansi.size());
  for (char ch : ansi) {
    auto b = static_cast<unsigned char>(ch);
    out.push_back(text_codec::cp1252ToChar(b));
  }
  return out;
}

std::string StringToAnsi(StringView text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    // A surrogate pair is one character and becomes one '?'.
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ++i;
    const int b = text_codec::charToCp1252(c);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

// --- 1-based helpers ---------------------------------------------------------
String Copy(StringView s, int index, int count) {
  if (index < 1) index = 1;
  const auto len = static_cast<long long>(s.size());
  if (count <= 0 || index > len) return {};
  long long avail = len - index + 1;
  return String(s.substr(index - 1, static_cast<size_t>(std::min<long long>(count, avail))));
}

int Pos(StringView sub, StringView s, int offset) {
  if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
  size_t at = s.find(sub, static_cast<size_t>(offset - 1));
  return at == StringView::npos ? 0 : static_cast<int>(at) + 1;
}

void Delete(String& s, int index, int count) {
  if (index < 1 || count <= 0 || static_cast<size_t>(index) > s.size()) return;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(StringView sub, String& s, int index) {
  if (index < 1) index = 1;
  size_t at = std::min(static_cast<size_t>(index - 1), s.size());
  s.insert(at, sub);
}

String StringOfChar(Char c, int count) { return count > 0 ? String(static_cast<size_t>(count), c) : String(); }

// --- trimming and case ---------------------------------------------------------
String Trim(StringView s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return String(s.substr(b, e - b));
}

String TrimLeft(StringView s) {
  size_t b = 0;
  while (b < s.size() && s[b] <= u' ') ++b;
  return String(s.substr(b));
}

String TrimRight(StringView s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] <= u' ') --e;
  return String(s.substr(0, e));
}

namespace {
Char asciiUpper(Char c) { return c >= u'a' && c <= u'z' ? Char(c - 32) : c; }
Char asciiLower(Char c) { return c >= u'A' && c <= u'Z' ? Char(c + 32) : c; }

// Length-preserving case folding of one code unit, for searches whose
// positions must stay valid in the original text.
Char foldUnit(Char c) {
  if (c < 0x80) return asciiLower(c);
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  UChar32 f = u_foldCase(c, U_FOLD_CASE_DEFAULT);
  return f < 0x10000 ? static_cast<Char>(f) : c;
}

String foldUnits(StringView s) {
  String out(s);
  for (auto& c : out) c = foldUnit(c);
  return out;
}

template <class Fn>
String icuCaseMap(StringView s, Fn fn) {
  if (s.empty()) return {};
  String out(s.size() + 8, u'\0');
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = fn(out.data(), static_cast<int32_t>(out.size()), s.data(), static_cast<int32_t>(s.size()), "", &err);
  if (err == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(n), u'\0');
    err = U_ZERO_ERROR;
    n = fn(out.data(), n, s.data(), static_cast<int32_t>(s.size()), "", &err);
  }
  if (U_FAILURE(err)) return String(s);
  out.resize(static_cast<size_t>(n));
  return out;
}
}  // namespace

String UpperCase(StringView s) {
  String out(s);
  for (auto& c : out) c = asciiUpper(c);
  return out;
}

String LowerCase(StringView s) {
  String out(s);
  for (auto& c : out) c = asciiLower(c);
  return out;
}

// The mappings are the root locale's, which maps ASCII text letter for
// letter: such text (most of what filters and searches case) skips ICU.
namespace {
bool isAscii(StringView s) {
  return std::all_of(s.begin(), s.end(), [](Char c) { return c < 0x80; });
}
}  // namespace

String AnsiUpperCase(StringView s) { return isAscii(s) ? UpperCase(s) : icuCaseMap(s, u_strToUpper); }
String AnsiLowerCase(StringView s) { return isAscii(s) ? LowerCase(s) : icuCaseMap(s, u_strToLower); }

// --- comparison ------------------------------------------------------------------
int CompareStr(StringView a, StringView b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return int(a[i]) - int(b[i]);
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareText(StringView a, StringView b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    Char x = asciiUpper(a[i]), y = asciiUpper(b[i]);
    if (x != y) return int(x) - int(y);
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameStr(StringView a, StringView b) { return a == b; }
bool SameText(StringView a, StringView b) { return a.size() == b.size() && CompareText(a, b) == 0; }

namespace {

// Collators are not thread-safe to share for use, so each thread keeps its
// own pair, rebuilt when the thread locale changes.
struct CollatorCache {
  LCID locale = 0;
  std::unique_ptr<icu::Collator> exact;       // tertiary: case matters
  std::unique_ptr<icu::Collator> ignoreCase;  // secondary: accents matter, case does not
};

icu::Locale icuLocaleFor(LCID lcid) {
  char name[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = uloc_getLocaleForLCID(lcid, name, sizeof name, &err);
  if (U_FAILURE(err) || n <= 0) return icu::Locale("en_US");
  return icu::Locale(name);
}

CollatorCache& collators() {
  thread_local CollatorCache cache;
  LCID lcid = GetThreadLocale();
  if (cache.locale != lcid || !cache.exact || !cache.ignoreCase) {
    icu::Locale loc = icuLocaleFor(lcid);
    UErrorCode err = U_ZERO_ERROR;
    cache.exact.reset(icu::Collator::createInstance(loc, err));
    if (U_FAILURE(err)) cache.exact.reset();
    err = U_ZERO_ERROR;
    cache.ignoreCase.reset(icu::Collator::createInstance(loc, err));
    if (U_FAILURE(err)) {
      cache.ignoreCase.reset();
    } else {
      cache.ignoreCase->setStrength(icu::Collator::SECONDARY);
    }
    if (cache.exact) cache.exact->setStrength(icu::Collator::TERTIARY);
    cache.locale = lcid;
  }
  return cache;
}

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int collate(icu::Collator* c, StringView a, StringView b) {
  if (!c) return sign(CompareStr(a, b));
  UErrorCode err = U_ZERO_ERROR;
  UCollationResult r = c->compare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                  static_cast<int32_t>(b.size()), err);
  if (U_FAILURE(err)) return sign(CompareStr(a, b));
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

}  // namespace

namespace internal {
icu::Collator* IgnoreCaseCollator() { return collators().ignoreCase.get(); }
}  // namespace internal

int AnsiCompareStr(StringView a, StringView b) { return collate(collators().exact.get(), a, b); }
int AnsiCompareText(StringView a, StringView b) { return collate(collators().ignoreCase.get(), a, b); }
bool AnsiSameText(StringView a, StringView b) { return AnsiCompareText(a, b) == 0; }

bool StartsText(StringView subText, StringView text) {
  return subText.size() <= text.size() && foldUnits(subText) == foldUnits(text.substr(0, subText.size()));
}

bool EndsText(StringView subText, StringView text) {
  return subText.size() <= text.size() &&
         foldUnits(subText) == foldUnits(text.substr(text.size() - subText.size()));
}

bool ContainsText(StringView text, StringView subText) {
  return foldUnits(text).find(foldUnits(subText)) != String::npos;
}

bool StartsStr(StringView subText, StringView text) {
  return subText.size() <= text.size() && text.substr(0, subText.size()) == subText;
}

bool EndsStr(StringView subText, StringView text) {
  return subText.size() <= text.size() && text.substr(text.size() - subText.size()) == subText;
}

// --- replacing and quoting -----------------------------------------------------------
String StringReplace(StringView s, StringView oldPattern, StringView newPattern, TReplaceFlags flags) {
  if (oldPattern.empty()) return String(s);
  const bool all = flags.contains(TReplaceFlag::rfReplaceAll);
  String foldedText, foldedPattern;
  StringView hay = s, needle = oldPattern;
  if (flags.contains(TReplaceFlag::rfIgnoreCase)) {
    foldedText = foldUnits(s);
    foldedPattern = foldUnits(oldPattern);
    hay = foldedText;
    needle = foldedPattern;
  }
  String out;
  size_t from = 0;
  while (from <= hay.size()) {
    size_t at = hay.find(needle, from);
    if (at == StringView::npos) break;
    out.append(s.substr(from, at - from));
    out.append(newPattern);
    from = at + needle.size();
    if (!all) break;
  }
  out.append(s.substr(std::min(from, s.size())));
  return out;
}

String QuotedStr(StringView s) { return AnsiQuotedStr(s, u'\''); }

String AnsiQuotedStr(StringView s, Char quote) {
  String out;
  out.reserve(s.size() + 2);
  out.push_back(quote);
  for (Char c : s) {
    out.push_back(c);
    if (c == quote) out.push_back(quote);
  }
  out.push_back(quote);
  return out;
}

String AnsiDequotedStr(StringView s, Char quote) {
  if (s.empty() || s[0] != quote) return String(s);
  String out;
  size_t i = 1;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        out.push_back(quote);
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    out.push_back(s[i++]);
  }
  // Text that is not wrapped in the quote at both ends and yields nothing
  // usable (empty, or no closing quote) is not a quoted text: keep it.
  const bool consumedAll = i >= s.size();
  const bool wrapped = s.size() >= 2 && s.back() == quote;
  if ((out.empty() || consumedAll) && !wrapped) return String(s);
  return out;
}

// --- characters ------------------------------------------------------------------------
bool IsLetter(Char c) { return u_isalpha(c) != 0; }
bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }
bool IsWhiteSpace(Char c) { return u_isUWhiteSpace(c) != 0; }

}  // namespace rtl

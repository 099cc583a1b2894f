#pragma once
// Text helpers over String (UTF-16 code units). UTF-8 and code page 1252
// appear only at the edges (files, libraries, logs).
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/set.h"
#include "platform/rtl/types.h"

namespace rtl {

// --- encodings -------------------------------------------------------------
// Invalid UTF-8 sequences become U+FFFD; lone surrogates on the way out become
// U+FFFD too, so the results are always well formed.
String Utf8ToString(std::string_view utf8);
std::string StringToUtf8(StringView text);
// The same UTF-8, and for each UTF-16 unit the byte offset where its
// character starts (offsets.size() == text.size() + 1; the low half of a
// surrogate pair shares its pair's offset). `substitute`, when given, may
// replace each character before it is encoded (text layout uses it to hide
// control characters). Used where byte positions from a UTF-8 library must be
// mapped back to UTF-16 indexes.
void StringToUtf8WithOffsets(StringView text, std::string& out, std::vector<int>& offsets,
                             char32_t (*substitute)(char32_t) = nullptr);
// The ANSI code page is 1252. Characters it cannot hold become '?'.
String AnsiToString(std::string_view ansi);
std::string StringToAnsi(StringView text);
// Shorthand for literals and ASCII texts in code and tests.
inline String S(std::string_view utf8) { return Utf8ToString(utf8); }

// --- 1-based helpers, as the platform's routines behave --------------------
// Index and count are clamped the way the platform clamps them.
String Copy(StringView s, int index, int count);
int Pos(StringView sub, StringView s, int offset = 1);  // 0 when absent
void Delete(String& s, int index, int count);
void Insert(StringView sub, String& s, int index);
String StringOfChar(Char c, int count);

// --- trimming and case ------------------------------------------------------
String Trim(StringView s);       // removes characters <= ' ' at both ends
String TrimLeft(StringView s);
String TrimRight(StringView s);
String UpperCase(StringView s);  // ASCII letters only
String LowerCase(StringView s);
String AnsiUpperCase(StringView s);  // full Unicode case mapping
String AnsiLowerCase(StringView s);

// --- comparison --------------------------------------------------------------
int CompareStr(StringView a, StringView b);   // ordinal, by code unit
int CompareText(StringView a, StringView b);  // ASCII case-insensitive
bool SameStr(StringView a, StringView b);
bool SameText(StringView a, StringView b);
int AnsiCompareStr(StringView a, StringView b);   // locale collation
int AnsiCompareText(StringView a, StringView b);  // locale collation, ignoring case
bool AnsiSameText(StringView a, StringView b);
bool StartsText(StringView subText, StringView text);
bool EndsText(StringView subText, StringView text);
bool ContainsText(StringView text, StringView subText);
bool StartsStr(StringView subText, StringView text);
bool EndsStr(StringView subText, StringView text);

// --- replacing and quoting -------------------------------------------------
enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = Set<TReplaceFlag, 2>;
String StringReplace(StringView s, StringView oldPattern, StringView newPattern,
                     TReplaceFlags flags = {});
String QuotedStr(StringView s);  // 'it''s'
String AnsiQuotedStr(StringView s, Char quote);
// Removes the quotes of a quoted text; a text that is not quoted comes back as is.
String AnsiDequotedStr(StringView s, Char quote);

// --- characters --------------------------------------------------------------
bool IsLetter(Char c);
bool IsDigit(Char c);  // '0'..'9'
bool IsWhiteSpace(Char c);

}  // namespace rtl

#pragma once
// Text in any code page and the per-character classification of the
// platform's wide-character routines, over ICU.
#include <string>
#include <string_view>

#include "platform/rtl/types.h"

namespace rtl {

// Code pages with a fixed meaning: 0 is the ANSI code page (1252 here),
// 65001 is UTF-8.
constexpr Cardinal CP_ACP = 0;
constexpr Cardinal CP_UTF8 = 65001;
constexpr Cardinal MB_PRECOMPOSED = 0x00000001;

// Converts bytes in `codePage` to text. `flags` MB_PRECOMPOSED composes the
// decoded characters (NFC); 0 leaves them as decoded. Bytes the code page
// does not define become U+FFFD. EConvertError "No mapping for code page %d"
// for a code page that has no converter.
String MultiByteToWideChar(Cardinal codePage, Cardinal flags, std::string_view bytes);
// Converts text to bytes in `codePage`; characters it cannot hold become '?'.
std::string WideCharToMultiByte(Cardinal codePage, Cardinal flags, StringView text);
// Whether a converter exists for `codePage`.
bool IsValidCodePage(Cardinal codePage);

// --- character types (the CT_CTYPE1 word) ---------------------------------------
constexpr Cardinal CT_CTYPE1 = 0x00000001;
constexpr Word C1_UPPER = 0x0001;
constexpr Word C1_LOWER = 0x0002;
constexpr Word C1_DIGIT = 0x0004;
constexpr Word C1_SPACE = 0x0008;
constexpr Word C1_PUNCT = 0x0010;
constexpr Word C1_CNTRL = 0x0020;
constexpr Word C1_BLANK = 0x0040;
constexpr Word C1_XDIGIT = 0x0080;
constexpr Word C1_ALPHA = 0x0100;
constexpr Word C1_DEFINED = 0x0200;

// Fills `charType[i]` with the classification of `text[i]` (each UTF-16 unit
// on its own; a surrogate half gets C1_DEFINED only). Only CT_CTYPE1 is
// known: another info type, a null pointer or a negative count gives false.
// `count` -1 means "up to the terminating zero".
bool GetStringTypeW(Cardinal infoType, const Char* text, int count, Word* charType);

// The next character after `p` (a surrogate pair and the combining marks
// that follow a character count as one); `p` itself at the terminating zero.
const Char* CharNextW(const Char* p);

}  // namespace rtl

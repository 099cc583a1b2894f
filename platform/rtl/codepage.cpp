#include "platform/rtl/codepage.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <memory>
#include <string>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU knows the code pages under several alias families; the first that
// opens wins.
Converter openConverter(Cardinal codePage) {
  if (codePage == CP_ACP) codePage = 1252;
  std::string names[4];
  switch (codePage) {
    case CP_UTF8: names[0] = "UTF-8"; break;
    case 1200: names[0] = "UTF-16LE"; break;
    case 1201: names[0] = "UTF-16BE"; break;
    case 20127: names[0] = "US-ASCII"; break;
    default:
      if (codePage >= 28591 && codePage <= 28606)
        names[0] = "ISO-8859-" + std::to_string(codePage - 28590);
      break;
  }
  names[1] = "windows-" + std::to_string(codePage);
  names[2] = "cp" + std::to_string(codePage);
  names[3] = "ibm-" + std::to_string(codePage);
  for (const std::string& name : names) {
    if (name.empty()) continue;
    UErrorCode status = U_ZERO_ERROR;
    Converter c(ucnv_open(name.c_str(), &status));
    if (U_SUCCESS(status) && c) return c;
  }
  return nullptr;
}

Converter requireConverter(Cardinal codePage) {
  Converter c = openConverter(codePage);
  if (!c) {
    throw EConvertError(S("No mapping for code page ") + S(std::to_string(codePage)));
  }
  return c;
}

String toString(const icu::UnicodeString& u) {
  return String(reinterpret_cast<const Char*>(u.getBuffer()), static_cast<size_t>(u.length()));
}

}  // namespace

bool IsValidCodePage(Cardinal codePage) { return openConverter(codePage) != nullptr; }

namespace {
// The ANSI code page and UTF-8 go through the run-time layer's own coders,
// so that every path of the program reads and writes their bytes alike.
bool isAnsi(Cardinal codePage) { return codePage == CP_ACP || codePage == 1252; }
}  // namespace

String MultiByteToWideChar(Cardinal codePage, Cardinal flags, std::string_view bytes) {
  if (bytes.empty()) return {};
  if (isAnsi(codePage)) return AnsiToString(bytes);
  if (codePage == CP_UTF8 && !(flags & MB_PRECOMPOSED)) return Utf8ToString(bytes);
  Converter conv = requireConverter(codePage);
  UErrorCode status = U_ZERO_ERROR;
  // Undefined bytes decode to U+FFFD (ICU's default substitution for to-Unicode).
  icu::UnicodeString text(bytes.data(), static_cast<int32_t>(bytes.size()), conv.get(), status);
  if (U_FAILURE(status)) throw EConvertError(S("No mapping for the given bytes"));
  if (flags & MB_PRECOMPOSED) {
    status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_SUCCESS(status)) {
      icu::UnicodeString composed = nfc->normalize(text, status);
      if (U_SUCCESS(status)) return toString(composed);
    }
  }
  return toString(text);
}

std::string WideCharToMultiByte(Cardinal codePage, Cardinal, StringView text) {
  if (text.empty()) return {};
  if (isAnsi(codePage)) return StringToAnsi(text);
  if (codePage == CP_UTF8) return StringToUtf8(text);
  Converter conv = requireConverter(codePage);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(conv.get(), "?", 1, &status);
  status = U_ZERO_ERROR;
  const auto* src = reinterpret_cast<const UChar*>(text.data());
  const auto srcLen = static_cast<int32_t>(text.size());
  int32_t needed = ucnv_fromUChars(conv.get(), nullptr, 0, src, srcLen, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
    throw EConvertError(S("No mapping for the given text"));
  std::string out(static_cast<size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_fromUChars(conv.get(), out.data(), needed, src, srcLen, &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING)
    throw EConvertError(S("No mapping for the given text"));
  return out;
}

namespace {

Word ctype1(Char c) {
  if (U16_IS_SURROGATE(c)) return C1_DEFINED;
  const UChar32 cp = c;
  if (!u_isdefined(cp)) return 0;
  Word w = C1_DEFINED;
  if (u_isupper(cp)) w |= C1_UPPER;
  if (u_islower(cp)) w |= C1_LOWER;
  if (u_charType(cp) == U_DECIMAL_DIGIT_NUMBER) w |= C1_DIGIT;
  if (u_isspace(cp) || (cp >= 0x09 && cp <= 0x0D)) w |= C1_SPACE;
  if (u_ispunct(cp) || u_charType(cp) == U_MATH_SYMBOL || u_charType(cp) == U_CURRENCY_SYMBOL ||
      u_charType(cp) == U_MODIFIER_SYMBOL || u_charType(cp) == U_OTHER_SYMBOL)
    w |= C1_PUNCT;
  if (u_iscntrl(cp)) w |= C1_CNTRL;
  if (cp == u' ' || cp == u'\t' || u_charType(cp) == U_SPACE_SEPARATOR) w |= C1_BLANK;
  if ((cp >= u'0' && cp <= u'9') || (cp >= u'a' && cp <= u'f') || (cp >= u'A' && cp <= u'F'))
    w |= C1_XDIGIT;
  if (u_isUAlphabetic(cp)) w |= C1_ALPHA;
  return w;
}

}  // namespace

bool GetStringTypeW(Cardinal infoType, const Char* text, int count, Word* charType) {
  if (infoType != CT_CTYPE1 || !text || !charType || count < -1) return false;
  if (count == -1) {
    count = 0;
    while (text[count] != 0) ++count;
    ++count;  // the terminating zero is classified too
  }
  for (int i = 0; i < count; ++i) charType[i] = ctype1(text[i]);
  return true;
}

const Char* CharNextW(const Char* p) {
  if (!p || *p == 0) return p;
  if (U16_IS_LEAD(p[0]) && U16_IS_TRAIL(p[1]))
    p += 2;
  else
    ++p;
  // Combining marks belong to the character before them.
  for (;;) {
    UChar32 cp = *p;
    int len = 1;
    if (cp == 0) break;
    if (U16_IS_LEAD(p[0]) && U16_IS_TRAIL(p[1])) {
      cp = U16_GET_SUPPLEMENTARY(p[0], p[1]);
      len = 2;
    }
    const int8_t type = u_charType(cp);
    if (type != U_NON_SPACING_MARK && type != U_COMBINING_SPACING_MARK && type != U_ENCLOSING_MARK)
      break;
    p += len;
  }
  return p;
}

}  // namespace rtl

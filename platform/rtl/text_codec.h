#pragma once
// The one UTF-8 decoder and encoder and the one table of code page 1252,
// shared by the string helpers and the TEncoding classes so that both read
// and write the same bytes the same way. Internal to the run-time layer;
// callers use ustring.h or encoding.h.
#include <cstddef>
#include <string>

namespace rtl::text_codec {

constexpr char16_t kReplacement = 0xFFFD;

// One step of UTF-8 decoding at the start of [p, p + n), n > 0.
struct Utf8Step {
  char32_t codePoint;  // U+FFFD when the bytes are ill-formed
  std::size_t length;  // bytes consumed: never 0
  bool valid;
};
// An ill-formed sequence gives one U+FFFD for its longest prefix that could
// still have begun a well-formed sequence (the "maximal subpart"), and the
// next step starts at the byte that broke it: E0 80 80 41 reads as three
// replacements and 'A', whatever decoder the bytes went through.
Utf8Step decodeUtf8(const unsigned char* p, std::size_t n);

// Appends a code point as UTF-16 (a surrogate pair beyond U+FFFF).
void appendUtf16(std::u16string& out, char32_t cp);

// Appends a code point (not a surrogate) as UTF-8 to a string of bytes.
template <class Bytes>
void appendUtf8(Bytes& out, char32_t cp) {
  using B = typename Bytes::value_type;
  if (cp < 0x80) {
    out.push_back(static_cast<B>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<B>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<B>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<B>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<B>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<B>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<B>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<B>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<B>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<B>(0x80 | (cp & 0x3F)));
  }
}

// Code page 1252. The five bytes the code page leaves unassigned (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) read as the C1 controls of the same value and
// write back as those bytes, so any byte string survives a round trip.
char16_t cp1252ToChar(unsigned char b);
// The byte for a code point, or -1 when code page 1252 has none.
int charToCp1252(char32_t cp);

}  // namespace rtl::text_codec

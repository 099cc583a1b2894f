#include "platform/rtl/text_codec.h"

namespace rtl::text_codec {

namespace {

// 0x80..0x9F; the unassigned bytes keep their own value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

Utf8Step decodeUtf8(const unsigned char* p, std::size_t n) {
  const unsigned char b = p[0];
  if (b < 0x80) return {b, 1, true};
  int need;
  char32_t cp;
  // The second byte's range excludes overlong forms, surrogates and code
  // points beyond U+10FFFF; later bytes are plain continuation bytes.
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return {kReplacement, 1, false};
  }
  std::size_t j = 1;
  for (int k = 0; k < need; ++k, ++j) {
    if (j >= n) return {kReplacement, j, false};
    const unsigned char c = p[j];
    if (c < (k == 0 ? lo : 0x80) || c > (k == 0 ? hi : 0xBF)) return {kReplacement, j, false};
    cp = (cp << 6) | (c & 0x3F);
  }
  return {cp, j, true};
}

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

char16_t cp1252ToChar(unsigned char b) { return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b); }

int charToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == cp) return 0x80 + i;
  return -1;
}

}  // namespace rtl::text_codec

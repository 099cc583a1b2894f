#include "platform/net/urlencode.h"

#include <string>

#include "platform/rtl/ustring.h"

namespace net {

const TURLEncoding TNetEncoding::URL{};

namespace {
bool passesUnchanged(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '!': case '$': case '\'': case '(': case ')': case '*': case '-': case '.': case '@':
    case '_':
      return true;
    default:
      return false;
  }
}
}  // namespace

String URLEncode(StringView text) {
  static const char16_t hex[] = u"0123456789ABCDEF";
  // Lone surrogates become U+FFFD on the way to UTF-8, so the bytes are always
  // well formed.
  std::string bytes = rtl::StringToUtf8(text);
  String out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    if (passesUnchanged(c)) {
      out += static_cast<char16_t>(c);
    } else if (c == ' ') {
      out += u'+';
    } else {
      out += u'%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace net

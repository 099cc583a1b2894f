// An HTTP answer as the client reads it from the transfer: header lines, a
// body that may be gzip or deflate encoded, then the text in the declared
// charset. The first byte picks the size cap and how the body is cut into
// pieces; the rest is the answer as sent, headers up to the first empty line.
//
// Promises checked: the decoded body never passes the cap; cutting the body
// into other pieces changes nothing; an unencoded body comes back unchanged;
// the text is well-formed UTF-16 (bad bytes become U+FFFD, never a lone
// surrogate).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/net/httpclient.h"
#include "platform/rtl/except.h"

namespace {

struct Outcome {
  bool ok = false;
  std::string body;
  rtl::String text;
};

void feedHeaders(net::THTTPResponseReader& reader, std::string_view head) {
  while (!head.empty()) {
    std::size_t end = head.find('\n');
    end = end == std::string_view::npos ? head.size() : end + 1;
    if (!reader.HeaderLine(head.substr(0, end))) return;
    head.remove_prefix(end);
  }
}

// Pieces of `piece` bytes, or the whole body at once when 0.
Outcome read(std::string_view head, std::string_view body, std::size_t cap, std::size_t piece) {
  Outcome out;
  net::THTTPResponseReader reader(cap);
  feedHeaders(reader, head);
  if (!reader.Error().empty()) return out;
  if (piece == 0) piece = body.size() + 1;
  for (std::size_t at = 0; at < body.size(); at += piece)
    if (!reader.BodyPiece(body.substr(at, piece))) return out;
  try {
    net::THTTPResponse response = reader.Finish(200);
    out.ok = true;
    out.body = response.ContentBytes();
    out.text = response.ContentAsString();
    (void)response.ContentCharSet();
  } catch (const rtl::Exception&) {
  }
  return out;
}

bool wellFormed(const rtl::String& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

bool identityEncoded(std::string_view head) {
  net::THTTPResponseReader reader(1);
  feedHeaders(reader, head);
  rtl::String e = reader.Finish(200).HeaderValue(u"Content-Encoding");
  return e.empty() || e == u"identity";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr std::size_t kCaps[] = {16, 1000, 1u << 16, 1u << 20};
  const std::size_t cap = kCaps[data[0] & 3];
  const std::size_t piece = 1 + (data[0] >> 2);
  const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t split = all.find("\r\n\r\n");
  std::size_t skip = 4;
  if (split == std::string_view::npos) {
    split = all.find("\n\n");
    skip = 2;
  }
  if (split == std::string_view::npos) {
    split = all.size();
    skip = 0;
  }
  const std::string_view head = all.substr(0, split + skip / 2);
  const std::string_view body = all.substr(split + skip);

  const Outcome whole = read(head, body, cap, 0);
  const Outcome cut = read(head, body, cap, piece);
  if (whole.ok != cut.ok || whole.body != cut.body) __builtin_trap();
  if (!whole.ok) return 0;
  if (whole.body.size() > cap) __builtin_trap();
  if (!wellFormed(whole.text)) __builtin_trap();
  if (identityEncoded(head) && whole.body != body) __builtin_trap();
  return 0;
}

// Reading an answer from the bytes a transfer delivers, without a network:
// the parts the client test against the stand-in cannot steer (how the body
// is cut into pieces, interim answers, the header limit).
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <string_view>

#include "platform/net/httpclient.h"
#include "platform/rtl/ustring.h"

namespace {

using net::THTTPResponse;
using net::THTTPResponseReader;

// `text` compressed with zlib's framing: 31 gzip, 15 zlib, -15 raw deflate.
std::string compressed(std::string_view text, int windowBits) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, text.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Header lines as libcurl hands them over, line ends included.
void feedHeaders(THTTPResponseReader& reader, std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) ASSERT_TRUE(reader.HeaderLine(std::string(line) + "\r\n"));
  ASSERT_TRUE(reader.HeaderLine("\r\n"));
}

TEST(HttpResponseReader, BodyCutIntoAnyPiecesDecodesTheSame) {
  const std::string text = R"({"abastecimentos":[{"id":1,"placa":"ABC1234","quantidade":"12,5"}]})";
  struct Case {
    const char* encoding;
    std::string body;
  } cases[] = {
      {"identity", text},
      {"gzip", compressed(text, 31)},
      {"deflate", compressed(text, 15)},
      {"deflate", compressed(text, -15)},
      {"gzip", compressed(text.substr(0, 20), 31) + compressed(text.substr(20), 31)},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(7), c.body.size()}) {
      SCOPED_TRACE(std::string(c.encoding) + " in pieces of " + std::to_string(piece));
      THTTPResponseReader reader(1000);
      feedHeaders(reader, {"HTTP/1.1 200 OK", std::string("Content-Encoding: ") + c.encoding});
      for (std::size_t at = 0; at < c.body.size(); at += piece)
        ASSERT_TRUE(reader.BodyPiece(std::string_view(c.body).substr(at, piece))) << reader.Error();
      EXPECT_EQ(reader.Finish(200).ContentBytes(), text);
    }
  }
}

TEST(HttpResponseReader, EachStatusLineStartsANewAnswer) {
  THTTPResponseReader reader(1000);
  feedHeaders(reader, {"HTTP/1.1 100 Continue", "X-Interim: yes"});
  feedHeaders(reader, {"HTTP/1.1 503 Service Unavailable", "Content-Type: text/plain; Charset=ISO-8859-1",
                       "Retry-After:  30 "});
  ASSERT_TRUE(reader.BodyPiece("Servi\xE7o parado"));
  const THTTPResponse r = reader.Finish(503);
  EXPECT_EQ(r.StatusCode(), 503);
  EXPECT_EQ(r.StatusText(), u"Service Unavailable");
  EXPECT_EQ(r.HeaderValue(u"x-interim"), u"");
  EXPECT_EQ(r.HeaderValue(u"retry-after"), u"30");
  EXPECT_EQ(r.ContentCharSet(), u"iso-8859-1");
  EXPECT_EQ(r.ContentAsString(), u"Servi\u00E7o parado");
}

TEST(HttpResponseReader, TextHoldsWholeCharactersWhateverTheCharset) {
  // Charsets that spell single UTF-16 units can spell half a character.
  struct Case {
    const char* charset;
    std::string body;
    std::u16string text;
  } cases[] = {
      {"utf-7", "a+2AA-b", u"a\uFFFDb"},
      {"utf-7", "+3gA-", u"\uFFFD"},
      {"utf-7", "+2D3eAA-", u"\U0001F600"},
      {"cesu-8", "\xED\xA0\x80!", u"\uFFFD!"},
      {"cesu-8", "\xED\xA0\xBD\xED\xB8\x80", u"\U0001F600"},
      {"utf-16le", std::string("\x00\xD8\x41\x00", 4), u"\uFFFDA"},
  };
  for (const Case& c : cases) {
    THTTPResponseReader reader(1000);
    feedHeaders(reader, {"HTTP/1.1 200 OK", std::string("Content-Type: text/plain; charset=") + c.charset});
    ASSERT_TRUE(reader.BodyPiece(c.body));
    EXPECT_EQ(reader.Finish(200).ContentAsString(), c.text) << c.charset << " " << c.body;
  }
}

TEST(HttpResponseReader, RefusesHeadersPastTheLimit) {
  THTTPResponseReader reader(1000);
  const std::string line = "X-Filler: " + std::string(1000, 'a') + "\r\n";
  std::size_t fed = 0;
  while (fed + line.size() <= THTTPResponseReader::kMaxHeaderBytes) {
    ASSERT_TRUE(reader.HeaderLine(line));
    fed += line.size();
  }
  EXPECT_FALSE(reader.HeaderLine(line));
  EXPECT_EQ(reader.Error(), "Response headers exceed 262144 bytes");
}

}  // namespace

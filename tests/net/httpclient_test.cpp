// The HTTP client against the API stand-in on a free local port.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/net/httpclient.h"
#include "platform/rtl/ustring.h"
#include "tools/api_standin/standin.h"

using api_standin::Drop;
using api_standin::Encoding;
using api_standin::Response;
using net::ENetHTTPClientException;
using net::ENetHTTPRequestAborted;
using net::THTTPClient;
using net::THTTPResponse;
using rtl::S;
using namespace std::chrono_literals;

namespace {

const char kToken[] = "s3cr3t&tok=en";
const char kPath[] = "api/abastecimentos";

class HttpClientTest : public ::testing::Test {
 protected:
  HttpClientTest() {
    client.SetContentType(u"application/json");
    client.SetAccept(u"application/json");
  }

  // The address the integrator builds: token raw, dates encoded.
  std::string apiUrl() const {
    return server.BaseUrl() + kPath + "?token=" + kToken +
           "&formato=json&empresa=99&posto=10&data_inicio=20%2F06%2F2025&data_fim=27%2F06%2F2025";
  }

  static Response json(std::string body, const std::string& contentType = "application/json; charset=utf-8") {
    Response r;
    r.headers.emplace_back("Content-Type", contentType);
    r.body = std::move(body);
    return r;
  }

  // The message of the failure a Get raises; fails the test when none.
  std::string failureOf(const std::string& url) {
    try {
      client.Get(url);
    } catch (const ENetHTTPClientException& e) {
      return rtl::StringToUtf8(e.Message());
    }
    ADD_FAILURE() << "Get did not fail";
    return {};
  }

  api_standin::Server server{api_standin::Options{0, 100, std::chrono::minutes(2), ""}};
  THTTPClient client;
};

TEST_F(HttpClientTest, SendsTheRequestShapeTheApiExpects) {
  server.Enqueue(json("{}"));
  THTTPResponse response = client.Get(apiUrl());
  ASSERT_EQ(response.StatusCode(), 200);

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& r = requests[0];
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.target, std::string("/") + kPath + "?token=s3cr3t&tok=en&formato=json&empresa=99&posto=10"
                      "&data_inicio=20%2F06%2F2025&data_fim=27%2F06%2F2025");
  EXPECT_EQ(r.Header("Content-Type"), "application/json");
  EXPECT_EQ(r.Header("Accept"), "application/json");
  EXPECT_EQ(r.Header("Accept-Encoding"), "gzip, deflate");
  EXPECT_FALSE(r.HasHeader("User-Agent"));
  EXPECT_EQ(r.bodyLength, 0u);
  EXPECT_TRUE(r.Header("Content-Length").empty() || r.Header("Content-Length") == "0");
}

TEST_F(HttpClientTest, DefaultsMatchTheWorkersNeeds) {
  THTTPClient fresh;
  EXPECT_EQ(fresh.ConnectionTimeout(), 10000);
  EXPECT_EQ(fresh.ResponseTimeout(), 30000);
  EXPECT_EQ(fresh.MaxContentSize(), 64u * 1024 * 1024);
}

TEST_F(HttpClientTest, ReturnsStatusReasonHeadersAndBodyWhateverTheStatus) {
  struct Case {
    int status;
    const char* reason;
    const char* body;
  };
  const Case cases[] = {
      {200, "OK", "{\"status\":{\"codigo\":\"001\"}}"},
      {500, "Internal Server Error", "{\"erro\":\"x\"}"},
      {503, "Service Unavailable", ""},
      {404, "", "nada"},  // a status line without a reason phrase
  };
  for (const auto& c : cases) {
    Response r = json(c.body);
    r.status = c.status;
    r.reason = c.reason;
    r.headers.emplace_back("X-Request-Id", "abc");
    server.Enqueue(r);
    THTTPResponse response = client.Get(apiUrl());
    EXPECT_EQ(response.StatusCode(), c.status);
    EXPECT_EQ(response.StatusText(), S(c.reason));
    EXPECT_EQ(response.ContentAsString(), S(c.body));
    EXPECT_EQ(response.HeaderValue(u"x-request-id"), u"abc");
    EXPECT_EQ(response.ContentCharSet(), u"utf-8");
  }
}

TEST_F(HttpClientTest, DecodesTheBodyFromItsDeclaredCharset) {
  struct Case {
    const char* contentType;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"application/json; charset=utf-8", "\"CAMINH\xC3\x83O\"", u"\"CAMINH\u00C3O\""},
      {"application/json", "\"\xC3\x93LEO\"", u"\"\u00D3LEO\""},  // UTF-8 when none is declared
      {"application/json; charset=ISO-8859-1", "\"CAMINH\xC3O \xD3LEO\"", u"\"CAMINH\u00C3O \u00D3LEO\""},
      {"application/json;charset=\"iso-8859-1\"", "\"\xD3\"", u"\"\u00D3\""},
      {"text/plain; charset=windows-1252", "\x80 \x93x\x94", u"\u20AC \u201Cx\u201D"},
      {"application/json; charset=utf-16le", std::string("{\0}\0", 4), u"{}"},
      // A byte order mark is not part of the JSON text.
      {"application/json", "\xEF\xBB\xBF{}", u"{}"},
      // Bytes that are not UTF-8 become U+FFFD, nothing is dropped.
      {"application/json; charset=utf-8", "\"a\xFF" "b\"", u"\"a\uFFFDb\""},
      // An unknown charset is read as UTF-8.
      {"application/json; charset=x-nonexistent", "\"\xC3\x93\"", u"\"\u00D3\""},
  };
  for (const auto& c : cases) {
    server.Enqueue(json(c.bytes, c.contentType));
    EXPECT_EQ(client.Get(apiUrl()).ContentAsString(), c.text) << c.contentType;
  }
}

TEST_F(HttpClientTest, DecodesCompressedAndChunkedBodiesToTheSameText) {
  const std::string body = api_standin::DemoBody(200, "21/06/2025");
  struct Case {
    const char* name;
    Encoding encoding;
    bool chunked;
    std::size_t pieceSize;
  };
  const Case cases[] = {
      {"identity", Encoding::Identity, false, 0},
      {"gzip", Encoding::Gzip, false, 0},
      {"zlib deflate", Encoding::Deflate, false, 0},
      {"raw deflate", Encoding::RawDeflate, false, 0},
      {"chunked", Encoding::Identity, true, 1000},
      {"gzip chunked in small pieces", Encoding::Gzip, true, 7},
      {"deflate in one-byte pieces", Encoding::Deflate, false, 1},
  };
  for (const auto& c : cases) {
    Response r = json(body);
    r.encoding = c.encoding;
    r.chunked = c.chunked;
    r.pieceSize = c.pieceSize;
    server.Enqueue(r);
    THTTPResponse response = client.Get(apiUrl());
    EXPECT_EQ(response.ContentBytes(), body) << c.name;
  }
}

TEST_F(HttpClientTest, RejectsBrokenOrUnknownBodyEncodings) {
  const std::string body = api_standin::DemoBody(50, "21/06/2025");
  struct Case {
    const char* name;
    Encoding encoding;
    std::function<void(std::string&)> alter;
    const char* contentEncoding;
    const char* message;
  };
  const Case cases[] = {
      {"gzip cut short", Encoding::Gzip, [](std::string& b) { b.resize(b.size() / 2); }, nullptr,
       "Compressed response body ended early (gzip)"},
      {"gzip with a bad checksum", Encoding::Gzip, [](std::string& b) { b[b.size() - 6] ^= 0x55; }, nullptr,
       "Response body could not be decoded (gzip: incorrect data check)"},
      {"deflate that is not deflate", Encoding::Identity, nullptr, "deflate",
       "Response body could not be decoded (deflate: invalid"},
      {"trailing bytes after deflate", Encoding::Deflate, [](std::string& b) { b += "xyz"; }, nullptr,
       "Unexpected data after the compressed response body (deflate)"},
      {"brotli", Encoding::Identity, nullptr, "br", "Unsupported content encoding: br"},
  };
  for (const auto& c : cases) {
    Response r = json(body);
    r.encoding = c.encoding;
    r.alterEncoded = c.alter;
    if (c.contentEncoding) r.headers.emplace_back("Content-Encoding", c.contentEncoding);
    server.Enqueue(r);
    EXPECT_EQ(failureOf(apiUrl()).rfind(c.message, 0), 0u) << c.name << ": " << failureOf("");
  }
}

TEST_F(HttpClientTest, AcceptsBodiesUpToTheCapAndRefusesLarger) {
  client.SetMaxContentSize(1000);
  server.Enqueue(json(std::string(1000, 'x')));
  EXPECT_EQ(client.Get(apiUrl()).ContentBytes().size(), 1000u);

  server.Enqueue(json(std::string(1001, 'x')));
  EXPECT_EQ(failureOf(apiUrl()), "Response body exceeds the limit of 1000 bytes");

  // The cap counts decoded bytes: a small gzip body that inflates past it.
  Response bomb = json(std::string(5000, ' '));
  bomb.encoding = Encoding::Gzip;
  server.Enqueue(bomb);
  EXPECT_EQ(failureOf(apiUrl()), "Response body exceeds the limit of 1000 bytes");
}

TEST_F(HttpClientTest, StopsAGzipBombAtTheDefaultCap) {
  Response bomb = json(std::string((64u << 20) + 1, '0'));
  bomb.encoding = Encoding::Gzip;
  server.Enqueue(std::move(bomb));
  EXPECT_EQ(failureOf(apiUrl()), "Response body exceeds the limit of 67108864 bytes");
}

TEST_F(HttpClientTest, EndsAnAnswerThatStaysSilentPastTheResponseTimeout) {
  client.SetResponseTimeout(300);
  Response late = json("{}");
  late.delayBeforeHeaders = 2s;
  server.Enqueue(late);
  EXPECT_EQ(failureOf(apiUrl()), "Timeout was reached (no data received for 300 ms)");

  // A body that stops halfway.
  Response trickle = json(std::string(100, 'x'));
  trickle.pieceSize = 50;
  trickle.delayBetweenPieces = 2s;
  server.Enqueue(trickle);
  EXPECT_EQ(failureOf(apiUrl()), "Timeout was reached (no data received for 300 ms)");
}

TEST_F(HttpClientTest, WaitsForAnAnswerThatComesWithinTheResponseTimeout) {
  client.SetResponseTimeout(2000);
  Response late = json("{\"ok\":1}");
  late.delayBeforeHeaders = 200ms;
  late.pieceSize = 3;
  late.delayBetweenPieces = 100ms;
  server.Enqueue(late);
  EXPECT_EQ(client.Get(apiUrl()).ContentAsString(), u"{\"ok\":1}");
}

TEST_F(HttpClientTest, ReportsDroppedAndRefusedConnectionsAsTransportErrors) {
  Response dropped;
  dropped.drop = Drop::BeforeHeaders;
  server.Enqueue(dropped);
  EXPECT_EQ(failureOf(apiUrl()), "Server returned nothing (no headers, no data)");

  Response afterHeaders = json("{\"x\":1}");
  afterHeaders.drop = Drop::AfterHeaders;
  server.Enqueue(afterHeaders);
  EXPECT_EQ(failureOf(apiUrl()), "Transferred a partial file");

  Response midBody = json(std::string(4000, 'x'));
  midBody.drop = Drop::MidBody;
  midBody.chunked = true;
  midBody.pieceSize = 1000;
  server.Enqueue(midBody);
  EXPECT_EQ(failureOf(apiUrl()).rfind("Transferred a partial file", 0), 0u);
}

// A port on which nothing listens: bound, then closed.
std::uint16_t closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

TEST_F(HttpClientTest, RefusedConnectionNamesTheOsReasonOnly) {
  std::string url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/api?token=abc";
  EXPECT_EQ(failureOf(url), "Couldn't connect to server (Connection refused)");
}

TEST_F(HttpClientTest, NoErrorTextNamesTheAddressOrTheToken) {
  const std::string token = "TOKEN-9f8e7d";
  const std::string port = std::to_string(server.Port());
  const std::string url = server.BaseUrl() + "segredo/path?token=" + token + "&formato=json";
  client.SetResponseTimeout(300);
  client.SetMaxContentSize(100);

  struct Case {
    const char* name;
    std::function<std::string()> run;
  };
  auto serve = [&](Response r) {
    server.Enqueue(std::move(r));
    return failureOf(url);
  };
  const Case cases[] = {
      {"refused", [&] { return failureOf("http://127.0.0.1:" + std::to_string(closedPort()) + "/segredo?token=" + token); }},
      {"malformed address", [&] { return failureOf("http://127.0.0.1:99999/segredo?token=" + token); }},
      {"unsupported scheme", [&] { return failureOf("ftp://127.0.0.1/segredo?token=" + token); }},
      {"blank in the address", [&] { return failureOf("http://127.0.0.1 x/segredo?token=" + token); }},
      {"time-out", [&] { Response r = json("{}"); r.delayBeforeHeaders = 2s; return serve(r); }},
      {"dropped", [&] { Response r; r.drop = Drop::BeforeHeaders; return serve(r); }},
      {"partial", [&] { Response r = json("{}"); r.drop = Drop::AfterHeaders; return serve(r); }},
      {"too large", [&] { return serve(json(std::string(101, 'x'))); }},
      {"bad gzip", [&] { Response r = json("{}"); r.headers.emplace_back("Content-Encoding", "gzip"); return serve(r); }},
      {"unknown encoding", [&] { Response r = json("{}"); r.headers.emplace_back("Content-Encoding", token); return serve(r); }},
      {"redirect loop", [&] {
         Response r;
         r.status = 302;
         r.reason = "Found";
         r.headers.emplace_back("Location", "/segredo/path?token=" + token);
         for (int i = 0; i < 7; ++i) server.Enqueue(r);
         return failureOf(url);
       }},
  };
  for (const auto& c : cases) {
    std::string message = c.run();
    EXPECT_FALSE(message.empty()) << c.name;
    for (const std::string& secret : {token, std::string("segredo"), std::string("127.0.0.1"), port,
                                      std::string("token")}) {
      EXPECT_EQ(message.find(secret), std::string::npos) << c.name << ": " << message;
    }
  }
}

TEST_F(HttpClientTest, FollowsARedirectAndReportsTheFinalAnswer) {
  Response moved;
  moved.status = 302;
  moved.reason = "Found";
  moved.headers.emplace_back("Location", "/api/v2?token=x");
  moved.body = "moved";
  server.Enqueue(moved);
  server.Enqueue(json("{\"v\":2}"));
  THTTPResponse response = client.Get(apiUrl());
  EXPECT_EQ(response.StatusCode(), 200);
  EXPECT_EQ(response.StatusText(), u"OK");
  EXPECT_EQ(response.ContentAsString(), u"{\"v\":2}");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].target, "/api/v2?token=x");
}

// Waits until the stand-in has taken the request; no clock involved.
void waitForRequest(const api_standin::Server& server, std::size_t count) {
  for (int i = 0; i < 2000 && server.RequestCount() < count; ++i) std::this_thread::sleep_for(5ms);
  ASSERT_GE(server.RequestCount(), count);
}

TEST_F(HttpClientTest, AbortFromAnotherThreadEndsTheTransferAndLaterRequests) {
  // Without the abort this would end as a time-out, a different error.
  client.SetResponseTimeout(60000);
  Response never = json("{}");
  never.delayBeforeHeaders = 90s;
  server.Enqueue(never);
  std::thread stopper([&] {
    waitForRequest(server, 1);
    client.Abort();
  });
  EXPECT_THROW(client.Get(apiUrl()), ENetHTTPRequestAborted);
  stopper.join();
  EXPECT_TRUE(client.Aborted());

  // Still aborted: nothing is sent.
  EXPECT_THROW(client.Get(apiUrl()), ENetHTTPRequestAborted);
  EXPECT_EQ(server.RequestCount(), 1u);

  client.ResetAbort();
  server.Enqueue(json("{}"));
  EXPECT_EQ(client.Get(apiUrl()).StatusCode(), 200);
}

TEST_F(HttpClientTest, AbortCheckEndsATransferOnTheClientsThread) {
  client.SetResponseTimeout(60000);
  std::atomic<bool> stopRequested{false};
  client.SetAbortCheck([&] { return stopRequested.load(); });
  Response slowBody = json(std::string(10, 'x'));
  slowBody.pieceSize = 1;
  slowBody.delayBetweenPieces = 30s;
  server.Enqueue(slowBody);
  std::thread stopper([&] {
    waitForRequest(server, 1);
    stopRequested = true;
  });
  EXPECT_THROW(client.Get(apiUrl()), ENetHTTPRequestAborted);
  stopper.join();
}

TEST_F(HttpClientTest, AStringAddressIsSentAsUtf8) {
  server.Enqueue(json("{}"));
  client.Get(rtl::Utf8ToString(server.BaseUrl() + "x?data=21%2F06%2F2025"));
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].target, "/x?data=21%2F06%2F2025");
}

}  // namespace

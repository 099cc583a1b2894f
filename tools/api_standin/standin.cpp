#include "tools/api_standin/standin.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace api_standin {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t kMaxRequestHead = 64 * 1024;
constexpr std::size_t kMaxRequestBody = 1024 * 1024;
constexpr auto kReadTimeout = 5s;

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string percentDecode(std::string_view s) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '+') {
      out += ' ';
    } else if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
      out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool sendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string zlibEncode(std::string_view data, int windowBits) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::string out;
  out.resize(deflateBound(&z, static_cast<uLong>(data.size())) + 32);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

std::string today() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return buf;
}

// The token is a secret of whoever calls us; logs keep only its length.
std::string maskedTarget(const std::string& target) {
  std::string out = target;
  std::size_t pos = out.find("token=");
  if (pos == std::string::npos || (pos > 0 && out[pos - 1] != '?' && out[pos - 1] != '&')) return out;
  std::size_t start = pos + 6;
  std::size_t end = out.find('&', start);
  if (end == std::string::npos) end = out.size();
  out.replace(start, end - start, "<" + std::to_string(end - start) + " chars>");
  return out;
}

}  // namespace

// --- Request ------------------------------------------------------------------

std::string Request::Header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (sameText(key, name)) return value;
  return {};
}

bool Request::HasHeader(std::string_view name) const {
  for (const auto& header : headers)
    if (sameText(header.first, name)) return true;
  return false;
}

std::string Request::QueryParam(std::string_view name) const {
  std::string_view q(query);
  while (!q.empty()) {
    std::size_t amp = q.find('&');
    std::string_view pair = q.substr(0, amp);
    std::size_t eq = pair.find('=');
    if (percentDecode(pair.substr(0, eq)) == name)
      return eq == std::string_view::npos ? std::string() : percentDecode(pair.substr(eq + 1));
    if (amp == std::string_view::npos) break;
    q.remove_prefix(amp + 1);
  }
  return {};
}

// --- Server -------------------------------------------------------------------

Server::Server(Options options) : options_(std::move(options)) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(options_.port);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, 16) != 0) {
    std::string message = std::string("bind 127.0.0.1: ") + std::strerror(errno);
    ::close(listenFd_);
    throw std::runtime_error(message);
  }
  socklen_t len = sizeof addr;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  deadline_ = Clock::now() + options_.maxDuration;
  thread_ = std::thread([this] { run(); });
}

Server::~Server() {
  Stop();
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) ::close(listenFd_);
}

std::string Server::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

void Server::Enqueue(Response response) {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back(std::move(response));
}

void Server::SetResponder(Responder responder) {
  std::lock_guard<std::mutex> lock(mutex_);
  responder_ = std::move(responder);
}

std::vector<Request> Server::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::size_t Server::RequestCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.size();
}

void Server::Stop() { stopping_.store(true); }

void Server::Wait() {
  if (thread_.joinable()) thread_.join();
}

bool Server::sleepFor(int fd, std::chrono::milliseconds ms) {
  auto until = Clock::now() + ms;
  while (!stopping_.load()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) return true;
    // A client that gave up closes its end; the next one should not wait for
    // an answer nobody reads.
    pollfd p{fd, POLLRDHUP, 0};
    if (::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 20))) > 0 &&
        (p.revents & (POLLRDHUP | POLLHUP | POLLERR)))
      return false;
  }
  return false;
}

void Server::run() {
  std::size_t served = 0;
  while (!stopping_.load() && served < options_.maxRequests && Clock::now() < deadline_) {
    pollfd p{listenFd_, POLLIN, 0};
    int rc = ::poll(&p, 1, 50);
    if (rc <= 0) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    serve(fd);
    ::close(fd);
    ++served;
  }
  // Refuse whatever comes later at once rather than let it hang.
  ::close(listenFd_);
  listenFd_ = -1;
  running_.store(false);
}

bool Server::readRequest(int fd, Request& request) {
  std::string data;
  auto until = Clock::now() + kReadTimeout;
  std::size_t headEnd = std::string::npos;
  auto readMore = [&]() -> bool {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0 || stopping_.load()) return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 50))) <= 0) return true;
    char buf[4096];
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return false;
    data.append(buf, static_cast<std::size_t>(n));
    return true;
  };
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > kMaxRequestHead || !readMore()) return false;
  }
  std::string_view head(data.data(), headEnd);
  std::size_t lineEnd = head.find("\r\n");
  std::string_view requestLine = head.substr(0, lineEnd);
  std::size_t sp1 = requestLine.find(' ');
  std::size_t sp2 = requestLine.rfind(' ');
  if (sp1 == std::string_view::npos || sp2 == sp1) return false;
  request.method = std::string(requestLine.substr(0, sp1));
  request.target = std::string(requestLine.substr(sp1 + 1, sp2 - sp1 - 1));
  request.version = std::string(requestLine.substr(sp2 + 1));
  std::size_t q = request.target.find('?');
  request.path = request.target.substr(0, q);
  request.query = q == std::string::npos ? std::string() : request.target.substr(q + 1);
  std::string_view rest = lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 2);
  while (!rest.empty()) {
    std::size_t e = rest.find("\r\n");
    std::string_view line = rest.substr(0, e);
    std::size_t colon = line.find(':');
    if (colon != std::string_view::npos)
      request.headers.emplace_back(std::string(trim(line.substr(0, colon))),
                                   std::string(trim(line.substr(colon + 1))));
    if (e == std::string_view::npos) break;
    rest.remove_prefix(e + 2);
  }
  std::size_t length = 0;
  std::string cl = request.Header("Content-Length");
  if (!cl.empty()) {
    try {
      length = std::stoul(cl);
    } catch (...) {
      return false;
    }
  }
  if (length > kMaxRequestBody) return false;
  std::size_t bodyStart = headEnd + 4;
  while (data.size() - bodyStart < length)
    if (!readMore()) return false;
  request.bodyLength = length;
  return true;
}

void Server::serve(int fd) {
  Request request;
  if (!readRequest(fd, request)) return;
  Response response;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    if (!queue_.empty()) {
      response = std::move(queue_.front());
      queue_.pop_front();
    } else if (responder_) {
      Responder responder = responder_;
      response = responder(request);
    } else {
      response.status = 404;
      response.reason = "Not Found";
      response.body = "{}";
    }
  }
  log(request, response);
  answer(fd, request, std::move(response));
}

void Server::answer(int fd, const Request&, Response response) {
  if (response.delayBeforeHeaders.count() > 0 && !sleepFor(fd, response.delayBeforeHeaders)) return;
  if (response.drop == Drop::BeforeHeaders) return;

  std::string body;
  switch (response.encoding) {
    case Encoding::Identity: body = std::move(response.body); break;
    case Encoding::Gzip: body = Gzip(response.body); break;
    case Encoding::Deflate: body = Deflate(response.body, true); break;
    case Encoding::RawDeflate: body = Deflate(response.body, false); break;
  }
  if (response.alterEncoded) response.alterEncoded(body);

  std::string head = "HTTP/1.1 " + std::to_string(response.status);
  if (!response.reason.empty()) head += " " + response.reason;
  head += "\r\n";
  bool hasEncodingHeader = false;
  for (const auto& [name, value] : response.headers) {
    head += name + ": " + value + "\r\n";
    hasEncodingHeader = hasEncodingHeader || sameText(name, "Content-Encoding");
  }
  if (!hasEncodingHeader && response.encoding != Encoding::Identity)
    head += std::string("Content-Encoding: ") +
            (response.encoding == Encoding::Gzip ? "gzip" : "deflate") + "\r\n";
  if (response.chunked) head += "Transfer-Encoding: chunked\r\n";
  else head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  head += "Connection: close\r\n\r\n";
  if (!sendAll(fd, head)) return;
  if (response.drop == Drop::AfterHeaders) return;

  std::size_t limit = response.drop == Drop::MidBody ? body.size() / 2 : body.size();
  std::size_t piece = response.pieceSize > 0 ? response.pieceSize : std::max<std::size_t>(body.size(), 1);
  for (std::size_t at = 0; at < limit; at += piece) {
    if (at > 0 && response.delayBetweenPieces.count() > 0 && !sleepFor(fd, response.delayBetweenPieces))
      return;
    std::string_view part = std::string_view(body).substr(at, std::min(piece, limit - at));
    if (response.chunked) {
      char size[24];
      std::snprintf(size, sizeof size, "%zx\r\n", part.size());
      if (!sendAll(fd, size) || !sendAll(fd, part) || !sendAll(fd, "\r\n")) return;
    } else if (!sendAll(fd, part)) {
      return;
    }
  }
  if (response.drop == Drop::MidBody) return;
  if (response.chunked) sendAll(fd, "0\r\n\r\n");
  ::shutdown(fd, SHUT_WR);
}

void Server::log(const Request& request, const Response& response) {
  if (options_.logPath.empty()) return;
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
  std::ofstream out(options_.logPath, std::ios::app);
  out << stamp << ' ' << request.method << ' ' << maskedTarget(request.target) << " -> "
      << response.status << ' ' << response.reason << '\n';
}

// --- encodings -----------------------------------------------------------------

std::string Gzip(std::string_view data) { return zlibEncode(data, 15 + 16); }

std::string Deflate(std::string_view data, bool zlibWrapped) {
  return zlibEncode(data, zlibWrapped ? 15 : -15);
}

// --- scenarios -----------------------------------------------------------------

std::string DemoBody(int records, const std::string& date) {
  std::string body = "{\"status\":{\"codigo\":\"001\",\"mensagem\":\"OK\"},\"abastecimentos\":[";
  for (int i = 0; i < records; ++i) {
    char element[512];
    int minute = i % 50;
    std::snprintf(element, sizeof element,
                  "%s{\"id\":%d,\"data_inicio\":\"%s\",\"hora_inicio\":\"08:%02d:00\","
                  "\"data_fim\":\"%s\",\"hora_fim\":\"08:%02d:30\",\"volume\":%d.50,"
                  "\"horimetro\":\"\",\"odometro\":%d.7,\"veiculo\":{\"placa\":\"ABC 1D23\"},"
                  "\"combustivel\":{\"codigo\":1}}",
                  i == 0 ? "" : ",", 1523001 + i, date.c_str(), minute, date.c_str(), minute + 5,
                  40 + i % 20, 123456 + i * 150);
    body += element;
  }
  body += "]}";
  return body;
}

namespace {
Response jsonResponse(std::string body) {
  Response r;
  r.headers.emplace_back("Content-Type", "application/json; charset=utf-8");
  r.body = std::move(body);
  return r;
}

std::string requestDate(const Request& request) {
  std::string date = request.QueryParam("data_fim");
  return date.size() == 10 ? date : today();
}

// The demo's records after elements that a run must refuse one by one: not
// an object, members of the wrong type, volumes that are no quantity, an id
// written as a decimal, and a lone surrogate escape in a plate.
std::string BadElementsBody(int records, const std::string& date) {
  std::string body = DemoBody(records, date);
  const std::string times = "\"data_inicio\":\"" + date + "\",\"hora_inicio\":\"07:00:00\",\"data_fim\":\"" +
                            date + "\",\"hora_fim\":\"07:05:00\",\"odometro\":1,";
  const std::string bad =
      "17,[1],"
      "{\"id\":9101," + times + "\"volume\":10,\"veiculo\":5,\"combustivel\":{\"codigo\":1}},"
      "{\"id\":9102," + times + "\"volume\":10,\"veiculo\":{\"placa\":\"ABC 1D23\"},\"combustivel\":\"1\"},"
      "{\"id\":9103," + times + "\"volume\":null,\"veiculo\":{\"placa\":\"ABC 1D23\"},\"combustivel\":{\"codigo\":1}},"
      "{\"id\":9104," + times + "\"volume\":0,\"veiculo\":{\"placa\":\"ABC 1D23\"},\"combustivel\":{\"codigo\":1}},"
      "{\"id\":9105," + times + "\"volume\":1e308,\"veiculo\":{\"placa\":\"ABC 1D23\"},\"combustivel\":{\"codigo\":1}},"
      "{\"id\":9106.0," + times + "\"volume\":5,\"veiculo\":{\"placa\":\"ABC\\ud800\"},\"combustivel\":{\"codigo\":1}}";
  const std::size_t open = body.find('[') + 1;
  body.insert(open, bad + (records > 0 ? "," : ""));
  return body;
}
}  // namespace

std::vector<std::string> ScenarioNames() {
  return {"demo", "empty", "codigo-002", "malformed", "not-object", "error-500", "error-then-ok",
          "slow", "gzip", "deflate", "drop", "bad-elements", "trickle"};
}

Responder Scenario(const std::string& name, int records) {
  if (name == "demo")
    return [records](const Request& r) { return jsonResponse(DemoBody(records, requestDate(r))); };
  if (name == "empty")
    return [](const Request& r) { return jsonResponse(DemoBody(0, requestDate(r))); };
  if (name == "codigo-002")
    return [](const Request&) {
      return jsonResponse("{\"status\":{\"codigo\":\"002\",\"mensagem\":\"Sem dados\"},\"abastecimentos\":[]}");
    };
  if (name == "malformed")
    return [](const Request&) { return jsonResponse("{\"status\":"); };
  if (name == "not-object")
    return [](const Request&) { return jsonResponse("[]"); };
  if (name == "error-500")
    return [](const Request&) {
      Response r = jsonResponse("{}");
      r.status = 500;
      r.reason = "Internal Server Error";
      return r;
    };
  if (name == "error-then-ok") {
    auto count = std::make_shared<int>(0);
    return [count, records](const Request& r) {
      if ((*count)++ % 3 < 2) {
        Response e = jsonResponse("{}");
        e.status = 500;
        e.reason = "Internal Server Error";
        return e;
      }
      return jsonResponse(DemoBody(records, requestDate(r)));
    };
  }
  if (name == "slow")
    return [records](const Request& r) {
      Response s = jsonResponse(DemoBody(records, requestDate(r)));
      s.delayBeforeHeaders = 45s;
      return s;
    };
  if (name == "trickle")
    // Never silent long enough for the inactivity time-out: only a limit on
    // the whole request ends it.
    return [records](const Request& r) {
      Response t = jsonResponse(DemoBody(records, requestDate(r)));
      t.pieceSize = 1;
      t.delayBetweenPieces = 5s;
      return t;
    };
  if (name == "gzip" || name == "deflate")
    return [records, name](const Request& r) {
      Response z = jsonResponse(DemoBody(records, requestDate(r)));
      z.encoding = name == "gzip" ? Encoding::Gzip : Encoding::Deflate;
      return z;
    };
  if (name == "bad-elements")
    return [records](const Request& r) { return jsonResponse(BadElementsBody(records, requestDate(r))); };
  if (name == "drop")
    return [](const Request&) {
      Response d;
      d.drop = Drop::BeforeHeaders;
      return d;
    };
  throw std::invalid_argument("unknown scenario: " + name);
}

}  // namespace api_standin

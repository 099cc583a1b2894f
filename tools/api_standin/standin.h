#pragma once
// A stand-in of the fuel-supply platform's web API: a small HTTP/1.1 server
// on 127.0.0.1, scripted answer by answer, recording every request. Tests
// start it in their own process; `api-standin` runs it on its own for demos.
// It serves one connection at a time, answers with "Connection: close", and
// stops by itself after a number of requests or a time.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace api_standin {

using Headers = std::vector<std::pair<std::string, std::string>>;

enum class Encoding { Identity, Gzip, Deflate, RawDeflate };

enum class Drop {
  None,
  BeforeHeaders,  // close the connection without answering
  AfterHeaders,   // send the headers, then close
  MidBody,        // send half of the body, then close
};

struct Response {
  int status = 200;
  std::string reason = "OK";
  Headers headers;  // besides Content-Length/Transfer-Encoding, Content-Encoding, Connection
  std::string body;
  Encoding encoding = Encoding::Identity;
  // Applied to the body after encoding (a cut gzip stream, a bad checksum).
  std::function<void(std::string&)> alterEncoded;
  bool chunked = false;
  std::chrono::milliseconds delayBeforeHeaders{0};
  std::size_t pieceSize = 0;  // body written in pieces of this size; 0: at once
  std::chrono::milliseconds delayBetweenPieces{0};
  Drop drop = Drop::None;
};

struct Request {
  std::string method;
  std::string target;  // as sent: path and raw query
  std::string path;
  std::string query;   // raw, without '?'
  std::string version;
  Headers headers;
  std::size_t bodyLength = 0;

  // First header of that name (case-insensitive); empty when absent.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
  // A query parameter, percent- and '+'-decoded; empty when absent.
  std::string QueryParam(std::string_view name) const;
};

using Responder = std::function<Response(const Request&)>;

struct Options {
  std::uint16_t port = 0;  // 0: a free port chosen by the system
  std::size_t maxRequests = 1000;
  std::chrono::milliseconds maxDuration{std::chrono::minutes(10)};
  std::string logPath;  // one line per request when not empty
};

class Server {
 public:
  // Binds and listens before returning; raises std::runtime_error when it
  // cannot.
  explicit Server(Options options = {});
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>/"
  std::string BaseUrl() const;

  // Answers are taken from the queue first, then from the responder; with
  // neither, 404.
  void Enqueue(Response response);
  void SetResponder(Responder responder);

  std::vector<Request> Requests() const;
  std::size_t RequestCount() const;

  bool Running() const { return running_.load(); }
  // Blocks until the server has stopped (by its bounds or by Stop()).
  void Wait();
  void Stop();

 private:
  void run();
  void serve(int fd);
  bool readRequest(int fd, Request& request);
  void answer(int fd, const Request& request, Response response);
  // False when stopping or when the client has gone away meanwhile.
  bool sleepFor(int fd, std::chrono::milliseconds ms);
  void log(const Request& request, const Response& response);

  Options options_;
  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::chrono::steady_clock::time_point deadline_;
  mutable std::mutex mutex_;
  std::deque<Response> queue_;
  Responder responder_;
  std::vector<Request> requests_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> running_{true};
  std::thread thread_;
};

// Body encodings, also for tests that build broken bodies.
std::string Gzip(std::string_view data);
std::string Deflate(std::string_view data, bool zlibWrapped = true);

// --- scenarios ---------------------------------------------------------------

// The API's answer with `records` fuel supplies of the demo fleet: the active
// vehicle "ABC 1D23" and fuel code 1 (mapped to material 50012), dated `date`
// ("dd/mm/yyyy"), order ids 1523001, 1523002, ...
std::string DemoBody(int records, const std::string& date);

// A named behaviour for the program: "demo" (the default), "empty",
// "codigo-002", "malformed", "not-object", "error-500", "error-then-ok",
// "slow", "gzip", "deflate", "drop", "trickle" (the body one byte every 5 s,
// never silent long enough for an inactivity time-out). Throws
// std::invalid_argument for another name.
Responder Scenario(const std::string& name, int records);
std::vector<std::string> ScenarioNames();

}  // namespace api_standin

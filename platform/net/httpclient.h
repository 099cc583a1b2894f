#pragma once
// An HTTP client in the platform's shape (THTTPClient / IHTTPResponse) over
// libcurl. One client belongs to one thread; only Abort() may be called from
// another thread.
//
// Error texts never name the address: the caller's query can carry secrets
// (an access token), so messages are curl's fixed texts plus a description
// without host, port or path.
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/types.h"

namespace net {

using rtl::String;
using rtl::StringView;

using rtl::Exception;
RTL_DECLARE_EXCEPTION(ENetException, Exception);
RTL_DECLARE_EXCEPTION(ENetHTTPException, ENetException);
RTL_DECLARE_EXCEPTION(ENetHTTPClientException, ENetHTTPException);
// The transfer was ended by Abort() or the abort check.
RTL_DECLARE_EXCEPTION(ENetHTTPRequestAborted, ENetHTTPClientException);

class THTTPResponse {
 public:
  int StatusCode() const { return statusCode_; }
  // The reason phrase of the status line ("Internal Server Error"); empty
  // when the server sent none (HTTP/2 never does).
  const String& StatusText() const { return statusText_; }
  // The body decoded from the charset of Content-Type (UTF-8 when none is
  // declared); bytes the charset does not allow become U+FFFD. A leading
  // UTF-8 byte order mark is dropped.
  String ContentAsString() const;
  // The body bytes after gzip/deflate decoding, before charset decoding.
  const std::string& ContentBytes() const { return body_; }
  // Header lines of the final response in the order received.
  const std::vector<std::pair<String, String>>& Headers() const { return headers_; }
  // First header of that name (case-insensitive); empty when absent.
  String HeaderValue(StringView name) const;
  // The charset parameter of Content-Type, lower-case; empty when absent.
  String ContentCharSet() const;

 private:
  int statusCode_ = 0;
  String statusText_;
  std::vector<std::pair<String, String>> headers_;
  std::string body_;
  friend class THTTPResponseReader;
};

// Builds an answer from the bytes a transfer delivers, apart from the network:
// header lines as they arrive (each status line starts a new answer, since
// interim and redirect answers come first), then the body in pieces of any
// size, decoded from its Content-Encoding under the size cap.
class THTTPResponseReader {
 public:
  static constexpr std::size_t kMaxHeaderBytes = 256 * 1024;  // all lines together

  explicit THTTPResponseReader(std::size_t maxContentSize);
  ~THTTPResponseReader();
  THTTPResponseReader(const THTTPResponseReader&) = delete;
  THTTPResponseReader& operator=(const THTTPResponseReader&) = delete;

  // One header line, with or without its line end. False, with Error() set,
  // when the transfer must stop.
  bool HeaderLine(std::string_view line);
  // The next piece of the body as sent. False, with Error() set, when the
  // encoding is not one we decode, the data is broken or the cap is passed.
  bool BodyPiece(std::string_view bytes);
  // After the last piece: the answer with that status. Raises
  // ENetHTTPClientException when a compressed body ended early.
  THTTPResponse Finish(int statusCode);
  // Why HeaderLine or BodyPiece refused; empty while all is well.
  const std::string& Error() const { return error_; }

 private:
  void newResponse();

  class BodyDecoder;
  std::size_t cap_;
  std::size_t headerBytes_ = 0;
  THTTPResponse response_;
  std::unique_ptr<BodyDecoder> decoder_;
  bool decoderReady_ = false;
  std::string error_;
};

class THTTPClient {
 public:
  static constexpr int kDefaultConnectionTimeout = 10000;        // ms
  static constexpr int kDefaultResponseTimeout = 30000;          // ms without a byte
  static constexpr int kDefaultTotalTimeout = 180000;            // ms for the whole request
  static constexpr std::size_t kDefaultMaxContentSize = 64u << 20;  // decoded bytes

  THTTPClient();
  ~THTTPClient();
  THTTPClient(const THTTPClient&) = delete;
  THTTPClient& operator=(const THTTPClient&) = delete;

  // Sent as the Content-Type and Accept headers when not empty.
  const String& ContentType() const { return contentType_; }
  void SetContentType(StringView value) { contentType_ = String(value); }
  const String& Accept() const { return accept_; }
  void SetAccept(StringView value) { accept_ = String(value); }
  // Milliseconds allowed to establish the connection.
  int ConnectionTimeout() const { return connectionTimeout_; }
  void SetConnectionTimeout(int ms) { connectionTimeout_ = ms; }
  // Milliseconds the connected transfer may go without receiving a byte
  // (waiting for the answer or in the middle of the body).
  int ResponseTimeout() const { return responseTimeout_; }
  void SetResponseTimeout(int ms) { responseTimeout_ = ms; }
  // Milliseconds the whole request may take, from the connection to the last
  // byte of the body: a server that trickles a byte now and then never trips
  // the inactivity limit, and would otherwise hold the caller for hours.
  // 0 or less: no such limit.
  int TotalTimeout() const { return totalTimeout_; }
  void SetTotalTimeout(int ms) { totalTimeout_ = ms; }
  // Largest body accepted after gzip/deflate decoding; a larger one fails the
  // request.
  std::size_t MaxContentSize() const { return maxContentSize_; }
  void SetMaxContentSize(std::size_t bytes) { maxContentSize_ = bytes; }

  // Sends a GET and returns the final response, whatever its status. Raises
  // ENetHTTPClientException when no complete response arrives (no connection,
  // time-out, broken or oversized body) and ENetHTTPRequestAborted when
  // stopped by Abort() or the abort check.
  THTTPResponse Get(StringView url);
  THTTPResponse Get(const std::string& utf8Url);

  // Ends a transfer in progress as soon as possible and makes every later Get
  // fail until ResetAbort(). Safe from any thread.
  void Abort();
  void ResetAbort();
  bool Aborted() const { return aborted_.load(); }
  // Asked every few milliseconds during a transfer, on the client's thread;
  // true ends it as Abort() does (for example a worker's stop request).
  void SetAbortCheck(std::function<bool()> check) { abortCheck_ = std::move(check); }

 private:
  struct Transfer;
  String contentType_;
  String accept_;
  int connectionTimeout_ = kDefaultConnectionTimeout;
  int responseTimeout_ = kDefaultResponseTimeout;
  int totalTimeout_ = kDefaultTotalTimeout;
  std::size_t maxContentSize_ = kDefaultMaxContentSize;
  std::atomic<bool> aborted_{false};
  std::function<bool()> abortCheck_;
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace net

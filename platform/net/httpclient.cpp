#include "platform/net/httpclient.h"

#include <curl/curl.h>
#include <unicode/ucnv.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace net {

using Clock = std::chrono::steady_clock;
using rtl::Utf8ToString;

namespace {

void globalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

// Server-chosen words quoted in an error text: printable ASCII only, short.
std::string printable(std::string_view s) {
  std::string out;
  for (char c : s.substr(0, 40)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  return out;
}

[[noreturn]] void fail(const std::string& message) {
  throw ENetHTTPClientException(Utf8ToString(message));
}

// Charsets that spell single UTF-16 units (UTF-7, CESU-8) can spell half a
// character, which the converter passes on: the text keeps whole characters.
void replaceLoneSurrogates(String& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      ++i;
    else if (c >= 0xD800 && c <= 0xDFFF)
      text[i] = u'\uFFFD';
  }
}

String decodeCharset(const std::string& bytes, const std::string& charset) {
  std::string_view body(bytes);
  if (charset.empty() || charset == "utf-8" || charset == "utf8") {
    if (body.size() >= 3 && body.compare(0, 3, "\xEF\xBB\xBF") == 0) body.remove_prefix(3);
    return Utf8ToString(body);
  }
  // As browsers do, the Latin-1 labels read as windows-1252, its superset.
  const char* name = charset.c_str();
  if (charset == "iso-8859-1" || charset == "latin1" || charset == "iso_8859-1" ||
      charset == "us-ascii" || charset == "ascii" || charset == "windows-1252" ||
      charset == "cp1252")
    name = "windows-1252";
  UErrorCode status = U_ZERO_ERROR;
  UConverter* conv = ucnv_open(name, &status);
  if (U_FAILURE(status) || !conv) {
    // An unknown charset: read the bytes as UTF-8 rather than fail.
    if (conv) ucnv_close(conv);
    return Utf8ToString(body);
  }
  String out;
  out.resize(body.size() * 2 + 2);
  status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                            body.data(), static_cast<int32_t>(body.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(n) + 1);
    status = U_ZERO_ERROR;
    n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                      body.data(), static_cast<int32_t>(body.size()), &status);
  }
  ucnv_close(conv);
  if (U_FAILURE(status)) return Utf8ToString(body);
  out.resize(static_cast<std::size_t>(n));
  if (!out.empty() && out.front() == u'\uFEFF') out.erase(0, 1);
  replaceLoneSurrogates(out);
  return out;
}

std::string charsetOf(std::string_view contentType) {
  std::string lower = lowerAscii(contentType);
  std::size_t pos = 0;
  while ((pos = lower.find(';', pos)) != std::string::npos) {
    ++pos;
    std::string_view param = trimmed(std::string_view(lower).substr(pos));
    if (param.compare(0, 8, "charset=") == 0) {
      std::string_view value = param.substr(8);
      value = value.substr(0, value.find(';'));
      value = trimmed(value);
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      return std::string(value);
    }
  }
  return {};
}

}  // namespace

// Undoes the Content-Encoding of the body as it arrives, keeping the decoded
// size under the cap.
class THTTPResponseReader::BodyDecoder {
 public:
  enum class Kind { Identity, Gzip, Deflate };

  BodyDecoder() = default;
  BodyDecoder(const BodyDecoder&) = delete;
  BodyDecoder& operator=(const BodyDecoder&) = delete;
  ~BodyDecoder() {
    if (started_) inflateEnd(&z_);
  }

  // False when the encoding is not one we decode.
  bool setEncoding(std::string_view contentEncoding) {
    std::string e = lowerAscii(trimmed(contentEncoding));
    if (e.empty() || e == "identity") kind_ = Kind::Identity;
    else if (e == "gzip" || e == "x-gzip") kind_ = Kind::Gzip;
    else if (e == "deflate") kind_ = Kind::Deflate;
    else return false;
    return true;
  }

  // Appends the decoded bytes to `out`; false with `error_` set on failure.
  bool feed(const char* data, std::size_t size, std::string& out, std::size_t cap) {
    sawInput_ = sawInput_ || size > 0;
    if (kind_ == Kind::Identity) {
      if (size > cap - std::min(cap, out.size())) return capExceeded(cap);
      out.append(data, size);
      return true;
    }
    if (!started_) {
      // A deflate body may come zlib-wrapped (as the standard says) or raw
      // (as some servers send it): the first two bytes tell.
      pending_.append(data, size);
      if (kind_ == Kind::Deflate && pending_.size() < 2) return true;
      if (!start()) return false;
      std::string first;
      first.swap(pending_);
      return inflateSome(first.data(), first.size(), out, cap);
    }
    return inflateSome(data, size, out, cap);
  }

  // Called once the transfer is complete.
  bool finish(std::string& out, std::size_t cap) {
    if (kind_ == Kind::Identity || !sawInput_) return true;
    if (!started_) {
      if (!start()) return false;
      std::string first;
      first.swap(pending_);
      if (!inflateSome(first.data(), first.size(), out, cap)) return false;
    }
    if (!ended_) {
      error_ = "Compressed response body ended early (" + kindName() + ")";
      return false;
    }
    return true;
  }

  const std::string& error() const { return error_; }

 private:
  std::string kindName() const { return kind_ == Kind::Gzip ? "gzip" : "deflate"; }

  bool capExceeded(std::size_t cap) {
    error_ = "Response body exceeds the limit of " + std::to_string(cap) + " bytes";
    return false;
  }

  bool start() {
    int windowBits = 15 + 16;  // gzip wrapper
    if (kind_ == Kind::Deflate) {
      bool zlibHeader = pending_.size() >= 2 &&
                        (static_cast<unsigned char>(pending_[0]) & 0x0F) == 8 &&
                        ((static_cast<unsigned char>(pending_[0]) << 8) |
                         static_cast<unsigned char>(pending_[1])) % 31 == 0;
      windowBits = zlibHeader ? 15 : -15;
    }
    std::memset(&z_, 0, sizeof z_);
    if (inflateInit2(&z_, windowBits) != Z_OK) {
      error_ = "Out of memory decoding the response body";
      return false;
    }
    started_ = true;
    return true;
  }

  bool inflateSome(const char* data, std::size_t size, std::string& out, std::size_t cap) {
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z_.avail_in = static_cast<uInt>(size);
    unsigned char buffer[64 * 1024];
    while (true) {
      if (ended_) {
        if (z_.avail_in == 0) break;
        // Another gzip member may follow; anything else is not ours to drop.
        if (kind_ != Kind::Gzip || inflateReset(&z_) != Z_OK) {
          error_ = "Unexpected data after the compressed response body (" + kindName() + ")";
          return false;
        }
        ended_ = false;
      }
      z_.next_out = buffer;
      z_.avail_out = sizeof buffer;
      int rc = inflate(&z_, Z_NO_FLUSH);
      std::size_t produced = sizeof buffer - z_.avail_out;
      if (produced > cap - std::min(cap, out.size())) return capExceeded(cap);
      out.append(reinterpret_cast<const char*>(buffer), produced);
      if (rc == Z_STREAM_END) {
        ended_ = true;
        continue;
      }
      if (rc == Z_BUF_ERROR) break;  // needs more input
      if (rc != Z_OK) {
        error_ = "Response body could not be decoded (" + kindName() + ": " +
                 printable(z_.msg ? z_.msg : "data error") + ")";
        return false;
      }
      // Input used up and room left in the output: inflate holds nothing more.
      if (z_.avail_in == 0 && z_.avail_out != 0) break;
    }
    return true;
  }

  Kind kind_ = Kind::Identity;
  z_stream z_{};
  bool started_ = false;
  bool ended_ = false;
  bool sawInput_ = false;
  std::string pending_;
  std::string error_;
};

// --- THTTPResponseReader -----------------------------------------------------

THTTPResponseReader::THTTPResponseReader(std::size_t maxContentSize)
    : cap_(maxContentSize), decoder_(std::make_unique<BodyDecoder>()) {}

THTTPResponseReader::~THTTPResponseReader() = default;

void THTTPResponseReader::newResponse() {
  response_ = THTTPResponse();
  decoder_ = std::make_unique<BodyDecoder>();
  decoderReady_ = false;
}

bool THTTPResponseReader::HeaderLine(std::string_view data) {
  headerBytes_ += data.size();
  if (headerBytes_ > kMaxHeaderBytes) {
    error_ = "Response headers exceed " + std::to_string(kMaxHeaderBytes) + " bytes";
    return false;
  }
  std::string_view line = trimmed(data);
  if (line.compare(0, 5, "HTTP/") == 0) {
    // A new status line: an interim or redirect answer came before.
    newResponse();
    std::size_t sp = line.find(' ');
    if (sp != std::string_view::npos) {
      std::string_view rest = line.substr(sp + 1);
      std::size_t sp2 = rest.find(' ');
      if (sp2 != std::string_view::npos) response_.statusText_ = Utf8ToString(trimmed(rest.substr(sp2 + 1)));
    }
    return true;
  }
  std::size_t colon = line.find(':');
  if (colon != std::string_view::npos && colon > 0) {
    response_.headers_.emplace_back(Utf8ToString(trimmed(line.substr(0, colon))),
                                    Utf8ToString(trimmed(line.substr(colon + 1))));
  }
  return true;
}

bool THTTPResponseReader::BodyPiece(std::string_view bytes) {
  if (!decoderReady_) {
    std::string encoding = rtl::StringToUtf8(response_.HeaderValue(u"Content-Encoding"));
    if (!decoder_->setEncoding(encoding)) {
      // Named only when it is a coding we know of: the value is the
      // server's text and could echo anything.
      std::string name = lowerAscii(trimmed(encoding));
      error_ = "Unsupported content encoding";
      if (name == "br" || name == "compress" || name == "x-compress" || name == "zstd") error_ += ": " + name;
      return false;
    }
    decoderReady_ = true;
  }
  if (!decoder_->feed(bytes.data(), bytes.size(), response_.body_, cap_)) {
    error_ = decoder_->error();
    return false;
  }
  return true;
}

THTTPResponse THTTPResponseReader::Finish(int statusCode) {
  if (!decoder_->finish(response_.body_, cap_)) fail(decoder_->error());
  response_.statusCode_ = statusCode;
  return std::move(response_);
}

struct THTTPClient::Handles {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  ~Handles() {
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
  }
};

// State of one Get, seen by curl's callbacks.
struct THTTPClient::Transfer {
  explicit Transfer(std::size_t cap) : reader(cap) {}

  THTTPResponseReader reader;
  bool connected = false;
  Clock::time_point lastActivity = Clock::now();

  static size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    std::size_t n = size * count;
    t->lastActivity = Clock::now();
    return t->reader.HeaderLine(std::string_view(data, n)) ? n : 0;
  }

  static size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    std::size_t n = size * count;
    t->lastActivity = Clock::now();
    return t->reader.BodyPiece(std::string_view(data, n)) ? n : 0;
  }

  static int onConnected(void* user, char*, char*, int, int) {
    auto* t = static_cast<Transfer*>(user);
    t->connected = true;
    t->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
  }
};

// --- THTTPResponse ---------------------------------------------------------

String THTTPResponse::HeaderValue(StringView name) const {
  for (const auto& [key, value] : headers_) {
    if (key.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < key.size() && same; ++i) {
      char16_t a = key[i], b = name[i];
      if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a - u'A' + u'a');
      if (b >= u'A' && b <= u'Z') b = static_cast<char16_t>(b - u'A' + u'a');
      same = a == b;
    }
    if (same) return value;
  }
  return String();
}

String THTTPResponse::ContentCharSet() const {
  return Utf8ToString(charsetOf(rtl::StringToUtf8(HeaderValue(u"Content-Type"))));
}

String THTTPResponse::ContentAsString() const {
  return decodeCharset(body_, charsetOf(rtl::StringToUtf8(HeaderValue(u"Content-Type"))));
}

// --- THTTPClient -------------------------------------------------------------

THTTPClient::THTTPClient() : handles_(std::make_unique<Handles>()) {
  globalInit();
  handles_->easy = curl_easy_init();
  handles_->multi = curl_multi_init();
  if (!handles_->easy || !handles_->multi) fail("Could not create the HTTP client");
}

THTTPClient::~THTTPClient() = default;

void THTTPClient::Abort() {
  aborted_.store(true);
  curl_multi_wakeup(handles_->multi);
}

void THTTPClient::ResetAbort() { aborted_.store(false); }

THTTPResponse THTTPClient::Get(StringView url) { return Get(rtl::StringToUtf8(url)); }

THTTPResponse THTTPClient::Get(const std::string& utf8Url) {
  if (aborted_.load()) throw ENetHTTPRequestAborted(u"Request aborted");
  CURL* easy = handles_->easy;
  CURLM* multi = handles_->multi;
  curl_easy_reset(easy);

  Transfer t(maxContentSize_);

  struct curl_slist* headers = nullptr;
  auto addHeader = [&](const std::string& line) {
    struct curl_slist* next = curl_slist_append(headers, line.c_str());
    if (!next) {
      curl_slist_free_all(headers);
      fail("Out of memory preparing the request");
    }
    headers = next;
  };
  if (!contentType_.empty()) addHeader("Content-Type: " + rtl::StringToUtf8(contentType_));
  if (!accept_.empty()) addHeader("Accept: " + rtl::StringToUtf8(accept_));
  // We decode bodies ourselves so the size cap applies to the decoded bytes.
  addHeader("Accept-Encoding: gzip, deflate");
  std::unique_ptr<curl_slist, void (*)(curl_slist*)> headerList(headers, curl_slist_free_all);

  curl_easy_setopt(easy, CURLOPT_URL, utf8Url.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList.get());
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectionTimeout_));
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Transfer::onConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &t);

  if (curl_multi_add_handle(multi, easy) != CURLM_OK) fail("Could not start the HTTP request");
  struct Detach {
    CURLM* multi;
    CURL* easy;
    ~Detach() { curl_multi_remove_handle(multi, easy); }
  } detach{multi, easy};

  bool aborted = false;
  bool timedOut = false;
  bool overTotal = false;
  CURLcode result = CURLE_OK;
  bool done = false;
  const auto inactivity = std::chrono::milliseconds(std::max(responseTimeout_, 1));
  const bool totalLimited = totalTimeout_ > 0;
  const auto totalEnd = Clock::now() + std::chrono::milliseconds(std::max(totalTimeout_, 1));
  while (!done) {
    int running = 0;
    CURLMcode mc = curl_multi_perform(multi, &running);
    if (mc != CURLM_OK) fail(std::string("HTTP client failure: ") + curl_multi_strerror(mc));
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
        result = msg->data.result;
        done = true;
      }
    }
    if (done) break;
    if (aborted_.load() || (abortCheck_ && abortCheck_())) {
      aborted = true;
      break;
    }
    auto now = Clock::now();
    auto waitFor = std::chrono::milliseconds(50);
    if (totalLimited) {
      if (now >= totalEnd) {
        overTotal = true;
        break;
      }
      waitFor = std::min(waitFor, std::chrono::duration_cast<std::chrono::milliseconds>(totalEnd - now) +
                                      std::chrono::milliseconds(1));
    }
    if (t.connected) {
      auto idle = now - t.lastActivity;
      if (idle >= inactivity) {
        timedOut = true;
        break;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(inactivity - idle) +
                  std::chrono::milliseconds(1);
      waitFor = std::min(waitFor, left);
    }
    mc = curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitFor.count()), nullptr);
    if (mc != CURLM_OK) fail(std::string("HTTP client failure: ") + curl_multi_strerror(mc));
  }

  if (aborted) {
    aborted_.store(true);
    throw ENetHTTPRequestAborted(u"Request aborted");
  }
  if (overTotal)
    fail(std::string(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)) + " (no complete answer within " +
         std::to_string(totalTimeout_) + " ms)");
  if (timedOut)
    fail(std::string(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)) + " (no data received for " +
         std::to_string(responseTimeout_) + " ms)");
  if (result != CURLE_OK) {
    if (!t.reader.Error().empty()) fail(t.reader.Error());
    std::string message = curl_easy_strerror(result);
    if (result == CURLE_OPERATION_TIMEDOUT && !t.connected) {
      message += " (connection not established within " + std::to_string(connectionTimeout_) + " ms)";
    } else {
      long osErrno = 0;
      if (curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno) == CURLE_OK && osErrno != 0) {
        char buffer[256];
        message += std::string(" (") + strerror_r(static_cast<int>(osErrno), buffer, sizeof buffer) + ")";
      }
    }
    fail(message);
  }
  long code = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
  return t.reader.Finish(static_cast<int>(code));
}

}  // namespace net

// Value forms shared by both drivers.
#include <charconv>
#include <cmath>

#include "platform/dac/driver.h"
#include "platform/dac/errors.h"
#include "platform/db/dbtypes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/ustring.h"

namespace dac {

std::string ToUtf8(StringView text) {
  // Statement texts and most values are ASCII: copied unit by unit.
  std::string out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0x80) return rtl::StringToUtf8(text);
    out[i] = static_cast<char>(c);
  }
  return out;
}

BindValue BindValue::Text(StringView s) {
  if (s.empty()) return Null();
  BindValue b;
  b.Type = Kind::Text;
  b.Bytes = ToUtf8(s);
  return b;
}

ResultSet DriverConnection::Execute(const String& sql, const std::vector<BindValue>& params) {
  return Run(ToUtf8(sql), params);
}

BatchOutcome DriverConnection::ExecuteIsolated(const std::vector<BatchStatement>& batch,
                                               std::string_view savepoint) {
  String name = rtl::Utf8ToString(savepoint);
  BatchOutcome outcome;
  for (; outcome.Done < batch.size(); ++outcome.Done) {
    const BatchStatement& statement = batch[outcome.Done];
    try {
      ExecScript(u"SAVEPOINT " + name);
      Run(statement.Sql, statement.Params);
      ExecScript(u"RELEASE SAVEPOINT " + name);
    } catch (db::EDatabaseError&) {
      if (!Alive()) throw;
      outcome.Refused = std::current_exception();
      ExecScript(u"ROLLBACK TO SAVEPOINT " + name);
      ExecScript(u"RELEASE SAVEPOINT " + name);
      break;
    }
  }
  return outcome;
}

std::vector<PipelinedResult> DriverConnection::RunPipelined(
    const std::vector<BatchStatement>& statements) {
  std::vector<PipelinedResult> results(statements.size());
  for (std::size_t i = 0; i < statements.size(); ++i) {
    try {
      results[i].Rows = Run(statements[i].Sql, statements[i].Params);
    } catch (db::EDatabaseError&) {
      if (!Alive()) throw;
      results[i].Error = std::current_exception();
    }
  }
  return results;
}

BatchOutcome DriverConnection::ExecuteIsolatedInTransaction(
    const std::vector<BatchStatement>& batch, std::string_view savepoint, bool begin, bool,
    bool& committed, std::exception_ptr& commitError) {
  committed = false;
  commitError = nullptr;
  if (begin) ExecScript(u"BEGIN");
  return ExecuteIsolated(batch, savepoint);
}

namespace {
// Seconds are whole: a value a hair below the next second rounds up.
void splitStamp(rtl::TDateTime v, rtl::Word& y, rtl::Word& mo, rtl::Word& d, rtl::Word& h,
                rtl::Word& mi, rtl::Word& s) {
  rtl::Word ms = 0;
  rtl::DecodeDateTime(v, y, mo, d, h, mi, s, ms);
  if (ms >= 500) rtl::DecodeDateTime(rtl::IncMilliSecond(v, 1000 - ms), y, mo, d, h, mi, s, ms);
}
}  // namespace

namespace {
// Writes v with at least `width` digits, zero-padded (printf's %0*u).
void putNumber(std::string& out, unsigned v, int width) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int pad = width - n; pad > 0; --pad) out += '0';
  while (n > 0) out += digits[--n];
}
void putDate(std::string& out, rtl::Word y, rtl::Word mo, rtl::Word d) {
  putNumber(out, y, 4);
  out += '-';
  putNumber(out, mo, 2);
  out += '-';
  putNumber(out, d, 2);
}
void putTime(std::string& out, rtl::Word h, rtl::Word mi, rtl::Word s) {
  putNumber(out, h, 2);
  out += ':';
  putNumber(out, mi, 2);
  out += ':';
  putNumber(out, s, 2);
}
}  // namespace

void AppendIsoStamp(std::string& out, rtl::TDateTime v, bool date, bool time) {
  rtl::Word y, mo, d, h, mi, s;
  splitStamp(v, y, mo, d, h, mi, s);
  if (date) putDate(out, y, mo, d);
  if (date && time) out += ' ';
  if (time) putTime(out, h, mi, s);
}

std::string FormatIsoDate(rtl::TDateTime v) {
  std::string out;
  out.reserve(10);
  AppendIsoStamp(out, v, true, false);
  return out;
}

std::string FormatIsoTime(rtl::TDateTime v) {
  std::string out;
  out.reserve(8);
  AppendIsoStamp(out, v, false, true);
  return out;
}

std::string FormatIsoDateTime(rtl::TDateTime v) {
  std::string out;
  out.reserve(19);
  AppendIsoStamp(out, v, true, true);
  return out;
}

std::string FormatIsoDateTimeMs(rtl::TDateTime v) {
  rtl::Word y, mo, d, h, mi, s, ms;
  rtl::DecodeDateTime(v, y, mo, d, h, mi, s, ms);
  std::string out;
  out.reserve(23);
  putDate(out, y, mo, d);
  out += ' ';
  putTime(out, h, mi, s);
  out += '.';
  putNumber(out, ms, 3);
  return out;
}

std::string FormatWireFloat(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

namespace {
bool readNumber(std::string_view t, std::size_t& i, std::size_t digits, int& out) {
  if (i + digits > t.size()) return false;
  out = 0;
  for (std::size_t k = 0; k < digits; ++k) {
    char c = t[i + k];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  i += digits;
  return true;
}
bool readTime(std::string_view t, std::size_t& i, rtl::TDateTime& time) {
  int h, mi, s = 0, ms = 0;
  if (!readNumber(t, i, 2, h) || i >= t.size() || t[i++] != ':' || !readNumber(t, i, 2, mi))
    return false;
  if (i < t.size() && t[i] == ':') {
    ++i;
    if (!readNumber(t, i, 2, s)) return false;
    if (i < t.size() && t[i] == '.') {
      ++i;
      std::size_t start = i;
      int scale = 100;
      while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        ms += (t[i] - '0') * scale;
        scale /= 10;
        ++i;
      }
      if (i == start) return false;
    }
  }
  return rtl::TryEncodeTime(rtl::Word(h), rtl::Word(mi), rtl::Word(s), rtl::Word(ms), time);
}
}  // namespace

bool ParseIsoDateTime(std::string_view t, rtl::TDateTime& value, bool timeOnly) {
  std::size_t i = 0;
  if (timeOnly) {
    rtl::TDateTime time;
    if (!readTime(t, i, time) || i != t.size()) return false;
    value = time;
    return true;
  }
  int y, mo, d;
  if (!readNumber(t, i, 4, y) || i >= t.size() || t[i++] != '-' || !readNumber(t, i, 2, mo) ||
      i >= t.size() || t[i++] != '-' || !readNumber(t, i, 2, d))
    return false;
  rtl::TDateTime date;
  if (!rtl::TryEncodeDate(rtl::Word(y), rtl::Word(mo), rtl::Word(d), date)) return false;
  if (i == t.size()) {
    value = date;
    return true;
  }
  if (t[i] != ' ' && t[i] != 'T') return false;
  ++i;
  rtl::TDateTime time;
  if (!readTime(t, i, time)) return false;
  // A zone suffix (+03, -03:00, Z) is dropped: the session runs in our zone.
  if (i < t.size()) {
    char c = t[i];
    if (c != '+' && c != '-' && c != 'Z') return false;
  }
  value = date >= 0 ? date + time : date - time;
  return true;
}

String HideSecret(String message, StringView secret) {
  if (secret.empty()) return message;
  std::size_t pos;
  while ((pos = message.find(secret)) != String::npos) message.replace(pos, secret.size(), u"***");
  return message;
}

}  // namespace dac

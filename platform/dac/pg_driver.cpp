// The server engine over libpq: text results parsed by type OID, parameters
// sent as text, the session's time zone set to the process's own.
#include <libpq-fe.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <locale.h>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/dac/driver.h"
#include "platform/dac/errors.h"
#include "platform/dac/pg_values.h"
#include "platform/db/dbtypes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace dac {
namespace {

// Type OIDs of the built-in types (pg_type.oid; fixed across versions).
constexpr Oid kBool = 16, kBytea = 17, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23,
              kText = 25, kOid = 26, kFloat4 = 700, kFloat8 = 701, kBpchar = 1042,
              kVarchar = 1043, kDate = 1082, kTime = 1083, kTimestamp = 1114,
              kTimestamptz = 1184, kNumeric = 1700;

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

String trimmed(const char* s) {
  String m = rtl::Utf8ToString(s ? s : "");
  while (!m.empty() && (m.back() == u'\n' || m.back() == u' ')) m.pop_back();
  return m;
}

// The zone this process shows local times in: TZ, else /etc/localtime's
// name, else /etc/timezone. Empty when none can be named.
std::string processTimeZone() {
  if (const char* tz = std::getenv("TZ"); tz && *tz) {
    std::string zone = tz[0] == ':' ? tz + 1 : tz;
    std::size_t at = zone.find("zoneinfo/");
    if (at != std::string::npos) zone = zone.substr(at + 9);
    return zone;
  }
  std::error_code ec;
  std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", ec);
  if (!ec) {
    std::string t = target.string();
    std::size_t at = t.find("zoneinfo/");
    if (at != std::string::npos) return t.substr(at + 9);
  }
  std::ifstream in("/etc/timezone");
  std::string zone;
  if (in && std::getline(in, zone)) return zone;
  return {};
}

void ignoreNotice(void*, const char*) {}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 from libpq as a String; names and most values are ASCII, copied
// unit by unit.
String fromUtf8(std::string_view t) {
  String out(t.size(), u'\0');
  for (std::size_t i = 0; i < t.size(); ++i) {
    const auto b = static_cast<unsigned char>(t[i]);
    if (b >= 0x80) return rtl::Utf8ToString(t);
    out[i] = static_cast<char16_t>(b);
  }
  return out;
}

ColumnDesc describe(const PGresult* r, int c) {
  ColumnDesc col;
  col.Name = fromUtf8(PQfname(r, c));
  int mod = PQfmod(r, c);
  switch (PQftype(r, c)) {
    case kBool: col.Type = ColumnType::Boolean; break;
    case kInt2: col.Type = ColumnType::SmallInt; break;
    case kInt4: col.Type = ColumnType::Integer; break;
    case kInt8:
    case kOid: col.Type = ColumnType::LargeInt; break;
    case kFloat4:
    case kFloat8: col.Type = ColumnType::Float; break;
    case kNumeric:
      // numeric(p,s): typmod is ((p << 16) | s) + 4; -1 when unconstrained.
      col.Type = (mod >= 4 && ((mod - 4) & 0xFFFF) == 0) ? ColumnType::LargeInt : ColumnType::Float;
      break;
    case kDate: col.Type = ColumnType::Date; break;
    case kTime: col.Type = ColumnType::Time; break;
    case kTimestamp:
    case kTimestamptz: col.Type = ColumnType::DateTime; break;
    case kBytea: col.Type = ColumnType::Blob; break;
    case kText: col.Type = ColumnType::Memo; break;
    case kVarchar:
    case kBpchar:
      col.Type = ColumnType::String;
      col.Size = mod > 4 ? mod - 4 : 0;
      break;
    case kName:
    default: col.Type = ColumnType::String; break;
  }
  return col;
}

// A number in the server's text form. from_chars leaves the value alone when
// it is past a double's range: such a numeric becomes infinity, or zero when
// too small, with its sign, as strtod reads it in the C locale.
double numberOf(std::string_view t, const ColumnDesc& col) {
  double d = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
  if (r.ptr == t.data() + t.size() && r.ec == std::errc::result_out_of_range) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return strtod_l(std::string(t).c_str(), nullptr, cLocale);
  }
  if (r.ptr != t.data() + t.size() || r.ec != std::errc())
    RaiseDatabaseError(u"Invalid number '" + rtl::Utf8ToString(t) + u"' in column " + col.Name);
  return d;
}

// bytea in hex ("\x00ff", two digits a byte) or, when the server is set to
// it, in the escape form (bytes as is, "\\" for a backslash, "\ooo" octal).
bool readBytea(std::string_view t, std::string& bytes) {
  if (t.size() >= 2 && t[0] == '\\' && t[1] == 'x') {
    if (t.size() % 2 != 0) return false;
    bytes.reserve((t.size() - 2) / 2);
    for (std::size_t i = 2; i < t.size(); i += 2) {
      const int hi = hexValue(t[i]), lo = hexValue(t[i + 1]);
      if (hi < 0 || lo < 0) return false;
      bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
  }
  auto octal = [](char c, char max) { return c >= '0' && c <= max; };
  bytes.reserve(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '\\') {
      bytes.push_back(t[i]);
    } else if (i + 1 < t.size() && t[i + 1] == '\\') {
      bytes.push_back('\\');
      ++i;
    } else if (i + 3 < t.size() && octal(t[i + 1], '3') && octal(t[i + 2], '7') && octal(t[i + 3], '7')) {
      bytes.push_back(static_cast<char>((t[i + 1] - '0') * 64 + (t[i + 2] - '0') * 8 + (t[i + 3] - '0')));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

rtl::Variant ParsePgTextValue(std::string_view t, const ColumnDesc& col) {
  switch (col.Type) {
    case ColumnType::Boolean: return rtl::Variant(t == "t");
    case ColumnType::SmallInt:
    case ColumnType::Integer:
    case ColumnType::LargeInt: {
      long long v = 0;
      auto r = std::from_chars(t.data(), t.data() + t.size(), v);
      if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return rtl::Variant(v);
      return rtl::Variant(numberOf(t, col));  // a numeric(p,0) beyond 64 bits
    }
    case ColumnType::Float: return rtl::Variant(numberOf(t, col));
    case ColumnType::Date:
    case ColumnType::Time:
    case ColumnType::DateTime: {
      rtl::TDateTime v;
      if (!ParseIsoDateTime(t, v, col.Type == ColumnType::Time))
        RaiseDatabaseError(u"Invalid date-time value '" + rtl::Utf8ToString(t) + u"' in column " +
                           col.Name);
      return rtl::VarFromDateTime(v);
    }
    case ColumnType::Blob: {
      std::string bytes;
      if (!readBytea(t, bytes)) RaiseDatabaseError(u"Invalid bytea value in column " + col.Name);
      return rtl::Variant::FromAnsiString(std::move(bytes));
    }
    case ColumnType::String:
    case ColumnType::Memo: return rtl::Variant(fromUtf8(t));
  }
  return rtl::Null();
}

namespace {

// Parameters in libpq's text form (bytea binary), kept alive for the call.
// One per connection, filled again for each statement: the formatted values
// share one text buffer, so a statement costs no allocation once the buffers
// have grown.
class WireParams {
 public:
  void Fill(const std::vector<BindValue>& params) {
    const std::size_t n = params.size();
    text_.clear();
    values_.assign(n, nullptr);
    lengths_.assign(n, 0);
    formats_.assign(n, 0);
    offsets_.assign(n, kNone);
    for (std::size_t i = 0; i < n; ++i) {
      const BindValue& p = params[i];
      const std::size_t at = text_.size();
      switch (p.Type) {
        case BindValue::Kind::Null: continue;
        case BindValue::Kind::Integer: {
          char digits[24];
          auto r = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(p.Int));
          text_.append(digits, r.ptr);
          break;
        }
        case BindValue::Kind::Boolean: text_ += p.Int ? "true" : "false"; break;
        case BindValue::Kind::Float: text_ += FormatWireFloat(p.Float); break;
        case BindValue::Kind::Text:
          // Already bytes: sent from the value itself.
          values_[i] = p.Bytes.c_str();
          lengths_[i] = static_cast<int>(p.Bytes.size());
          continue;
        case BindValue::Kind::Date: AppendIsoStamp(text_, p.Stamp, true, false); break;
        case BindValue::Kind::Time: AppendIsoStamp(text_, p.Stamp, false, true); break;
        case BindValue::Kind::DateTime: AppendIsoStamp(text_, p.Stamp, true, true); break;
        case BindValue::Kind::Blob:
          values_[i] = p.Bytes.data();
          lengths_[i] = static_cast<int>(p.Bytes.size());
          formats_[i] = 1;
          continue;
      }
      lengths_[i] = static_cast<int>(text_.size() - at);
      text_ += '\0';  // libpq reads text values up to their terminator
      offsets_[i] = at;
    }
    // The buffer may have moved while it grew: pointers are taken at the end.
    for (std::size_t i = 0; i < n; ++i)
      if (offsets_[i] != kNone) values_[i] = text_.data() + offsets_[i];
  }
  int count() const { return static_cast<int>(values_.size()); }
  const char* const* values() const { return values_.data(); }
  const int* lengths() const { return lengths_.data(); }
  const int* formats() const { return formats_.data(); }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::string text_;
  std::vector<const char*> values_;
  std::vector<int> lengths_, formats_;
  std::vector<std::size_t> offsets_;
};

// The statement's first word in capitals, comments and blanks skipped.
// Only its first letters are kept: a longer word is none of those looked for
// (it reads as empty), so naming it costs no allocation.
class FirstWord {
 public:
  explicit FirstWord(std::string_view sql);
  std::string_view view() const { return {text_, size_}; }

 private:
  char text_[16];
  std::size_t size_ = 0;
};

FirstWord::FirstWord(std::string_view sql) {
  std::size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(') {
      ++i;
    } else if (sql.compare(i, 2, "--") == 0) {
      std::size_t end = sql.find('\n', i);
      i = end == std::string_view::npos ? sql.size() : end + 1;
    } else if (sql.compare(i, 2, "/*") == 0) {
      std::size_t end = sql.find("*/", i + 2);
      i = end == std::string_view::npos ? sql.size() : end + 2;
    } else {
      break;
    }
  }
  while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i]))) {
    if (size_ == sizeof text_) {
      size_ = 0;
      return;
    }
    text_[size_++] = static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i++])));
  }
}

// Statements worth keeping prepared: their plans are reused.
bool preparable(std::string_view word) {
  return word == "SELECT" || word == "INSERT" || word == "UPDATE" || word == "DELETE" ||
         word == "WITH" || word == "VALUES";
}

// Statements that leave the kept plans as they are; any other (a table
// made, changed or dropped) may change what a kept statement returns.
bool keepsPlans(std::string_view word) {
  return preparable(word) || word == "BEGIN" || word == "START" || word == "COMMIT" ||
         word == "END" || word == "ROLLBACK" || word == "ABORT" || word == "SAVEPOINT" ||
         word == "RELEASE" || word == "SET" || word == "RESET" || word == "SHOW" ||
         word == "LOCK" || word == "PREPARE" || word == "EXECUTE";
}

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

class PgConnection final : public DriverConnection {
 public:
  explicit PgConnection(const ConnectSettings& settings);
  ~PgConnection() override {
    if (conn_) PQfinish(conn_);
  }

  DriverKind Kind() const override { return DriverKind::PostgreSQL; }
  void ExecScript(const String& sql) override;
  ResultSet Run(std::string_view sql, const std::vector<BindValue>& params) override;
  BatchOutcome ExecuteIsolated(const std::vector<BatchStatement>& batch,
                               std::string_view savepoint) override;
  BatchOutcome ExecuteIsolatedInTransaction(const std::vector<BatchStatement>& batch,
                                            std::string_view savepoint, bool begin, bool commit,
                                            bool& committed,
                                            std::exception_ptr& commitError) override;
  std::vector<PipelinedResult> RunPipelined(
      const std::vector<BatchStatement>& statements) override {
    return pipelined(nullptr, statements);
  }
  std::vector<PipelinedResult> RunPipelinedAfter(
      const BatchStatement& lead, const std::vector<BatchStatement>& statements) override {
    return pipelined(&lead, statements);
  }
  bool Alive() override { return conn_ && PQstatus(conn_) == CONNECTION_OK; }

 private:
  [[noreturn]] void failResult(const PGresult* r);
  // RunPipelined of `lead` (when given) and then `rest`.
  std::vector<PipelinedResult> pipelined(const BatchStatement* lead,
                                         const std::vector<BatchStatement>& rest);
  // Sends a batch's statements from `first` on, each between SAVEPOINT and
  // RELEASE (unless `savepoint` is empty), at most `limit` of them, then the
  // pipeline's sync. Returns how many it sent.
  // With `begin`, a BEGIN goes before them; with `commit`, a COMMIT follows
  // the batch's last statement.
  std::size_t sendPipelined(const std::vector<BatchStatement>& batch,
                            const std::vector<const std::string*>& names, std::size_t first,
                            std::size_t limit, const std::string& savepoint,
                            const std::string& release, bool begin, bool commit);
  // Reads the answers to `rows` pipelined rows (each `perRow` statements:
  // 3 with its savepoint, 1 without) and the sync; returns the index among
  // them of the first refused row (rows when none was) and keeps its result
  // in `refusal`.
  // With `begin`, the answer to the BEGIN before them is read first (a
  // failed BEGIN raises). With `commit`, the answer to the COMMIT that
  // followed them is read too: `committed` when it ran, its failure in
  // `commitError`.
  std::size_t readPipelined(std::size_t rows, std::size_t perRow, Result& refusal, bool begin,
                            bool commit, bool& committed, std::exception_ptr& commitError);
  BatchOutcome isolated(const std::vector<BatchStatement>& batch, std::string_view savepoint,
                        bool begin, bool commit, bool& committed, std::exception_ptr& commitError);
  ResultSet resultSet(PGresult* r);
  // The error a failed answer raises, kept for later.
  std::exception_ptr failure(const PGresult* r);
  // Leaves pipeline mode after a failure, reading what is still due.
  void abandonPipeline() noexcept;

  // --- statements kept prepared on the server --------------------------------
  // A text run a second time is prepared under a name of its own and runs by
  // that name from then on (no parse, and a plan the server may keep).
  // Null when the text is not (yet) prepared.
  const std::string* preparedName(std::string_view sql, int paramCount);
  // Before a statement that may change what kept statements return: they
  // are forgotten, and dropped on the server before the next prepare.
  void noteStatement(std::string_view sql);
  // noteStatement, then preparedName. A kept text is one that leaves the
  // kept plans as they are, so it is looked up once and nothing else done.
  const std::string* noteAndPrepare(std::string_view sql, int paramCount);
  void forgetPrepared(std::string_view sql);
  // The kept statement of a text, or null.
  const std::string* findPrepared(std::string_view sql);
  // Whether a failure says a kept statement no longer serves.
  static bool stalePrepared(const PGresult* r);
  Result execute(std::string_view sql, const std::string* name);

  PGconn* conn_ = nullptr;
  String password_;
  using PreparedMap = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;
  PreparedMap prepared_;
  // The kept statements found last: a worker runs the same few texts again
  // and again, and comparing a long text costs less than hashing it. Emptied
  // whenever a kept statement is forgotten.
  std::array<const PreparedMap::value_type*, 8> recent_{};
  std::size_t nextRecent_ = 0;
  std::unordered_map<std::string, int, TextHash, std::equal_to<>> seen_;
  std::vector<std::string> stale_;  // names to drop on the server
  int nextName_ = 0;

  // Scratch kept from one call to the next, so that a statement costs no
  // allocation once they have grown.
  WireParams wire_;      // the values of the statement being sent
  std::string sqlText_;  // a statement's text with its terminator
  std::vector<const std::string*> batchNames_;
  // Prepared names of RunPipelined's statements, copied: a later statement
  // of the same call may make the kept ones be forgotten. Empty: none.
  std::vector<std::string> pipeNames_;
  std::vector<unsigned char> pipeFlags_;
  std::string savepoint_, savepointOpen_, savepointRelease_;
};

// At most this many statements are kept prepared per connection; texts seen
// once are remembered up to kSeenMax.
constexpr std::size_t kPreparedMax = 200;
constexpr std::size_t kSeenMax = 1000;

PgConnection::PgConnection(const ConnectSettings& s) : password_(s.Password) {
  // Credentials go as separate keywords, never inside a conninfo text that
  // a message could echo; what is left empty comes from libpq's environment
  // and password file.
  std::vector<std::string> keys, values;
  auto add = [&](const char* key, const String& value) {
    if (value.empty()) return;
    keys.emplace_back(key);
    values.push_back(rtl::StringToUtf8(value));
  };
  add("host", s.Host);
  add("port", s.Port);
  add("dbname", s.DbName);
  add("user", s.UserName);
  add("password", s.Password);
  add("application_name", s.ApplicationName);
  keys.emplace_back("connect_timeout");
  values.emplace_back("10");
  keys.emplace_back("client_encoding");
  values.emplace_back("UTF8");
  keys.emplace_back("options");
  values.emplace_back("-c DateStyle=ISO,DMY");
  std::vector<const char*> k, v;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    k.push_back(keys[i].c_str());
    v.push_back(values[i].c_str());
  }
  k.push_back(nullptr);
  v.push_back(nullptr);
  conn_ = PQconnectdbParams(k.data(), v.data(), 0);
  if (!conn_) RaiseDatabaseError(u"out of memory");
  if (PQstatus(conn_) != CONNECTION_OK) {
    String message = HideSecret(trimmed(PQerrorMessage(conn_)), password_);
    PQfinish(conn_);
    conn_ = nullptr;
    RaiseDatabaseError(message);
  }
  PQsetNoticeProcessor(conn_, ignoreNotice, nullptr);
  std::string zone = processTimeZone();
  if (!zone.empty()) {
    // An unknown zone name is not worth failing the connect for; the server
    // then keeps its own.
    const char* values1[] = {zone.c_str()};
    Result r(PQexecParams(conn_, "select set_config('TimeZone', $1, false)", 1, nullptr, values1,
                          nullptr, nullptr, 0));
  }
}

void PgConnection::failResult(const PGresult* r) {
  String message;
  if (r && PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY)) {
    message = trimmed(PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY));
    if (const char* detail = PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL))
      message += u"\n" + trimmed(detail);
  } else {
    message = trimmed(PQerrorMessage(conn_));
  }
  if (message.empty()) message = u"connection to the database server lost";
  RaiseDatabaseError(HideSecret(message, password_));
}

void PgConnection::ExecScript(const String& sql) {
  if (!conn_) RaiseDatabaseError(u"not connected");
  std::string text = rtl::StringToUtf8(sql);
  noteStatement(text);
  Result r(PQexec(conn_, text.c_str()));
  ExecStatusType st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY)
    failResult(r.get());
}

void PgConnection::noteStatement(std::string_view sql) {
  const FirstWord first(sql);
  const std::string_view word = first.view();
  if (word == "DEALLOCATE" || word == "DISCARD") {
    // The server may have dropped ours already.
    recent_.fill(nullptr);
    prepared_.clear();
    stale_.clear();
    return;
  }
  if (keepsPlans(word) || prepared_.empty()) return;
  for (auto& entry : prepared_) stale_.push_back(std::move(entry.second));
  recent_.fill(nullptr);
  prepared_.clear();
}

const std::string* PgConnection::noteAndPrepare(std::string_view sql, int paramCount) {
  if (const std::string* name = findPrepared(sql)) return name;
  noteStatement(sql);
  return preparedName(sql, paramCount);
}

const std::string* PgConnection::findPrepared(std::string_view sql) {
  for (const PreparedMap::value_type* entry : recent_) {
    if (entry && entry->first.size() == sql.size() &&
        std::memcmp(entry->first.data(), sql.data(), sql.size()) == 0)
      return &entry->second;
  }
  auto it = prepared_.find(sql);
  if (it == prepared_.end()) return nullptr;
  recent_[nextRecent_] = &*it;
  nextRecent_ = (nextRecent_ + 1) % recent_.size();
  return &it->second;
}

void PgConnection::forgetPrepared(std::string_view sql) {
  auto it = prepared_.find(sql);
  if (it == prepared_.end()) return;
  stale_.push_back(std::move(it->second));
  recent_.fill(nullptr);
  prepared_.erase(it);
}

bool PgConnection::stalePrepared(const PGresult* r) {
  const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
  if (!state) return false;
  // invalid_sql_statement_name: the statement is gone.
  if (std::strcmp(state, "26000") == 0) return true;
  // "cached plan must not change result type", told by where it is raised
  // (the message may be in the server's language).
  const char* where = PQresultErrorField(r, PG_DIAG_SOURCE_FUNCTION);
  return std::strcmp(state, "0A000") == 0 && where &&
         std::strcmp(where, "RevalidateCachedQuery") == 0;
}

const std::string* PgConnection::preparedName(std::string_view sql, int paramCount) {
  if (const std::string* name = findPrepared(sql)) return name;
  // A "*" list follows the table's columns, which a kept plan must not see
  // change; such texts are parsed each time.
  if (prepared_.size() >= kPreparedMax || sql.find('*') != std::string_view::npos ||
      !preparable(FirstWord(sql).view()))
    return nullptr;
  auto seen = seen_.find(sql);
  if (seen == seen_.end()) {
    if (seen_.size() >= kSeenMax) seen_.clear();
    seen_.emplace(std::string(sql), 1);
    return nullptr;
  }
  // Preparing in a failed transaction would fail as the statement will.
  if (PQtransactionStatus(conn_) == PQTRANS_INERROR) return nullptr;
  if (!stale_.empty()) {
    std::string drop;
    for (const std::string& name : stale_) drop += "DEALLOCATE " + name + ";";
    Result r(PQexec(conn_, drop.c_str()));
    stale_.clear();
  }
  std::string name = "dac_" + std::to_string(++nextName_);
  std::string text(sql);
  Result r(PQprepare(conn_, name.c_str(), text.c_str(), paramCount, nullptr));
  if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
    // The unnamed run that follows reports the fault; a failed prepare
    // inside a transaction fails it just as that run would.
    seen_.erase(seen);
    return nullptr;
  }
  seen_.erase(seen);
  return &prepared_.emplace(std::move(text), std::move(name)).first->second;
}

Result PgConnection::execute(std::string_view sql, const std::string* name) {
  const WireParams& wire = wire_;
  if (name) {
    Result r(PQexecPrepared(conn_, name->c_str(), wire.count(), wire.values(), wire.lengths(),
                            wire.formats(), 0));
    if (!r || PQresultStatus(r.get()) != PGRES_FATAL_ERROR || !stalePrepared(r.get())) return r;
    // A table it reads changed shape (or the statement went): it is made
    // again next time. Outside a transaction the text runs now as it is.
    forgetPrepared(sql);
    if (PQtransactionStatus(conn_) != PQTRANS_IDLE) return r;
  }
  sqlText_.assign(sql);
  return Result(PQexecParams(conn_, sqlText_.c_str(), wire.count(), nullptr, wire.values(),
                             wire.lengths(), wire.formats(), 0));
}

ResultSet PgConnection::Run(std::string_view sql, const std::vector<BindValue>& params) {
  if (!conn_) RaiseDatabaseError(u"not connected");
  wire_.Fill(params);
  const std::string* name = noteAndPrepare(sql, wire_.count());
  Result r = execute(sql, name);
  ExecStatusType st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY)
    failResult(r.get());
  return resultSet(r.get());
}

ResultSet PgConnection::resultSet(PGresult* r) {
  ExecStatusType st = PQresultStatus(r);
  ResultSet result;
  const char* affected = PQcmdTuples(r);
  if (affected && *affected) std::from_chars(affected, affected + std::strlen(affected), result.RowsAffected);
  int columns = PQnfields(r);
  result.Columns.reserve(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c) result.Columns.push_back(describe(r, c));
  int rows = PQntuples(r);
  result.Rows.reserve(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    std::vector<rtl::Variant> values1;
    values1.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      if (PQgetisnull(r, row, c)) {
        values1.push_back(rtl::Null());
        continue;
      }
      values1.push_back(ParsePgTextValue(
          std::string_view(PQgetvalue(r, row, c), static_cast<std::size_t>(PQgetlength(r, row, c))),
          result.Columns[static_cast<std::size_t>(c)]));
    }
    result.Rows.push_back(std::move(values1));
  }
  if (st == PGRES_TUPLES_OK && columns > 0) result.RowsAffected = st == PGRES_TUPLES_OK &&
      std::string_view(PQcmdStatus(r)).substr(0, 6) == "SELECT" ? 0 : result.RowsAffected;
  return result;
}

// Rows sent before waiting for their answers. After a refusal the rows sent
// behind it were skipped by the server and go again, so the window shrinks
// after one and grows back while rows pass.
constexpr std::size_t kPipelineMaxRows = 256;

std::size_t PgConnection::sendPipelined(const std::vector<BatchStatement>& batch,
                                        const std::vector<const std::string*>& names,
                                        std::size_t first, std::size_t limit,
                                        const std::string& savepoint,
                                        const std::string& release, bool begin, bool commit) {
  std::size_t end = std::min(batch.size(), first + limit);
  WireParams& wire = wire_;
  if (begin && !PQsendQueryParams(conn_, "BEGIN", 0, nullptr, nullptr, nullptr, nullptr, 0))
    failResult(nullptr);
  for (std::size_t i = first; i < end; ++i) {
    const BatchStatement& statement = batch[i];
    wire.Fill(statement.Params);
    bool sent = savepoint.empty() ||
                PQsendQueryParams(conn_, savepoint.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (sent && names[i]) {
      sent = PQsendQueryPrepared(conn_, names[i]->c_str(), wire.count(), wire.values(),
                                 wire.lengths(), wire.formats(), 0);
    } else if (sent) {
      sqlText_.assign(statement.Sql);
      sent = PQsendQueryParams(conn_, sqlText_.c_str(), wire.count(), nullptr, wire.values(),
                               wire.lengths(), wire.formats(), 0);
    }
    if (!sent || (!release.empty() &&
                  !PQsendQueryParams(conn_, release.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0)))
      failResult(nullptr);
  }
  if (commit && end == batch.size() &&
      !PQsendQueryParams(conn_, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0))
    failResult(nullptr);
  if (!PQpipelineSync(conn_)) failResult(nullptr);
  return end - first;
}

std::size_t PgConnection::readPipelined(std::size_t rows, std::size_t perRow, Result& refusal,
                                        bool begin, bool commit, bool& committed,
                                        std::exception_ptr& commitError) {
  if (begin) {
    Result r(PQgetResult(conn_));
    if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK) failResult(r.get());
    while (Result more{PQgetResult(conn_)}) {
      if (PQstatus(conn_) != CONNECTION_OK) failResult(more.get());
    }
  }
  std::size_t refused = rows;
  for (std::size_t command = 0; command < rows * perRow; ++command) {
    Result r(PQgetResult(conn_));
    if (!r) failResult(nullptr);  // the link broke: no answer at all
    ExecStatusType st = PQresultStatus(r.get());
    if (st == PGRES_FATAL_ERROR) {
      if (PQstatus(conn_) != CONNECTION_OK) failResult(r.get());
      if (refused == rows) {
        refused = command / perRow;
        refusal = std::move(r);
      }
    } else if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY &&
               st != PGRES_PIPELINE_ABORTED) {
      failResult(r.get());
    }
    // Each command's answers end with a null result.
    while (Result more{PQgetResult(conn_)}) {
      if (PQstatus(conn_) != CONNECTION_OK) failResult(more.get());
    }
  }
  if (commit) {
    Result r(PQgetResult(conn_));
    if (!r) failResult(nullptr);
    ExecStatusType st = PQresultStatus(r.get());
    if (st == PGRES_FATAL_ERROR) {
      if (PQstatus(conn_) != CONNECTION_OK) failResult(r.get());
      // The server has ended the transaction all the same.
      committed = true;
      commitError = failure(r.get());
    } else if (st == PGRES_COMMAND_OK) {
      committed = true;
    } else if (st != PGRES_PIPELINE_ABORTED) {
      failResult(r.get());
    }
    while (Result more{PQgetResult(conn_)}) {
      if (PQstatus(conn_) != CONNECTION_OK) failResult(more.get());
    }
  }
  Result sync(PQgetResult(conn_));
  if (!sync || PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC) failResult(sync.get());
  return refused;
}

void PgConnection::abandonPipeline() noexcept {
  if (!conn_ || PQpipelineStatus(conn_) == PQ_PIPELINE_OFF) return;
  // Reads until the last sync's answer (or the link's end), then leaves.
  int nulls = 0;
  while (PQstatus(conn_) == CONNECTION_OK && nulls < 2) {
    Result r(PQgetResult(conn_));
    if (!r) {
      ++nulls;
      continue;
    }
    nulls = 0;
    if (PQresultStatus(r.get()) == PGRES_PIPELINE_SYNC && PQexitPipelineMode(conn_)) return;
  }
  PQexitPipelineMode(conn_);
}

std::exception_ptr PgConnection::failure(const PGresult* r) {
  try {
    failResult(r);
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

BatchOutcome PgConnection::ExecuteIsolated(const std::vector<BatchStatement>& batch,
                                           std::string_view savepoint) {
  bool committed = false;
  std::exception_ptr commitError;
  return isolated(batch, savepoint, false, false, committed, commitError);
}

BatchOutcome PgConnection::ExecuteIsolatedInTransaction(const std::vector<BatchStatement>& batch,
                                                        std::string_view savepoint, bool begin,
                                                        bool commit, bool& committed,
                                                        std::exception_ptr& commitError) {
  committed = false;
  commitError = nullptr;
  if (batch.empty() && begin) ExecScript(u"BEGIN");
  return isolated(batch, savepoint, begin, commit, committed, commitError);
}

BatchOutcome PgConnection::isolated(const std::vector<BatchStatement>& batch,
                                    std::string_view savepoint, bool begin, bool commit,
                                    bool& committed, std::exception_ptr& commitError) {
  if (!conn_) RaiseDatabaseError(u"not connected");
  if (savepoint_ != savepoint || savepointOpen_.empty()) {
    savepoint_.assign(savepoint);
    savepointOpen_ = "SAVEPOINT " + savepoint_;
    savepointRelease_ = "RELEASE SAVEPOINT " + savepoint_;
  }
  const std::string& name = savepoint_;
  // A lone row whose transaction begins and ends with it needs no savepoint
  // (two statements and a subtransaction fewer on every staged record): a
  // refusal leaves nothing else in the transaction to keep, and a new
  // transaction stands in for the savepoint's.
  const bool lone = begin && commit && batch.size() == 1;
  static const std::string none;
  const std::string& open = lone ? none : savepointOpen_;
  const std::string& release = lone ? none : savepointRelease_;
  BatchOutcome outcome;
  // Prepared names looked up (and made) before the pipeline starts; a run of
  // rows shares one text.
  std::vector<const std::string*>& names = batchNames_;
  names.assign(batch.size(), nullptr);
  std::string_view lastText;
  const std::string* lastName = nullptr;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (i == 0 || batch[i].Sql != lastText) {
      lastText = batch[i].Sql;
      lastName = preparedName(lastText, static_cast<int>(batch[i].Params.size()));
    }
    names[i] = lastName;
  }
  std::size_t window = kPipelineMaxRows;
  while (outcome.Done < batch.size()) {
    Result refusal;
    std::size_t sent = 0, passed = 0;
    if (!PQenterPipelineMode(conn_)) failResult(nullptr);
    {
      // A failure leaves pipeline mode after reading what is still due.
      rtl::ScopeExit leave([this] { abandonPipeline(); });
      // The BEGIN goes with the first window only.
      const bool beginHere = begin && outcome.Done == 0;
      sent = sendPipelined(batch, names, outcome.Done, window, open, release, beginHere, commit);
      passed = readPipelined(sent, lone ? 1 : 3, refusal, beginHere,
                             commit && outcome.Done + sent == batch.size(), committed, commitError);
      leave.Release();
    }
    if (!PQexitPipelineMode(conn_)) failResult(nullptr);
    outcome.Done += passed;
    if (passed == sent) {
      window = std::min(kPipelineMaxRows, window * 2);
      continue;
    }
    // A kept statement that no longer serves is made again next time.
    if (stalePrepared(refusal.get())) forgetPrepared(batch[outcome.Done].Sql);
    // The refused row's savepoint is the open one: back to it (for a lone
    // row, to a new transaction), so that the transaction goes on.
    if (lone)
      ExecScript(u"ROLLBACK; BEGIN");
    else
      ExecScript(rtl::Utf8ToString("ROLLBACK TO SAVEPOINT " + name + "; " + release));
    try {
      failResult(refusal.get());
    } catch (...) {
      outcome.Refused = std::current_exception();
    }
    break;
  }
  return outcome;
}

std::vector<PipelinedResult> PgConnection::pipelined(
    const BatchStatement* lead, const std::vector<BatchStatement>& rest) {
  if (!conn_) RaiseDatabaseError(u"not connected");
  const std::size_t count = rest.size() + (lead ? 1 : 0);
  auto statement = [&](std::size_t i) -> const BatchStatement& {
    return lead ? (i == 0 ? *lead : rest[i - 1]) : rest[i];
  };
  std::vector<PipelinedResult> results(count);
  if (count == 0) return results;
  // Prepared names looked up (and made) before the pipeline starts.
  std::vector<std::string>& names = pipeNames_;
  names.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string* name =
        noteAndPrepare(statement(i).Sql, static_cast<int>(statement(i).Params.size()));
    if (name)
      names[i] = *name;
    else
      names[i].clear();
  }
  // One sync for them all: after a refused one the server skips those
  // behind it, which then run one by one, as they would have on their own.
  constexpr unsigned char kAgain = 1, kStale = 2;
  std::vector<unsigned char>& flags = pipeFlags_;
  flags.assign(count, 0);
  if (!PQenterPipelineMode(conn_)) failResult(nullptr);
  {
    // A failure leaves pipeline mode after reading what is still due.
    rtl::ScopeExit leave([this] { abandonPipeline(); });
    WireParams& wire = wire_;
    for (std::size_t i = 0; i < count; ++i) {
      wire.Fill(statement(i).Params);
      bool sent;
      if (!names[i].empty()) {
        sent = PQsendQueryPrepared(conn_, names[i].c_str(), wire.count(), wire.values(),
                                   wire.lengths(), wire.formats(), 0);
      } else {
        sqlText_.assign(statement(i).Sql);
        sent = PQsendQueryParams(conn_, sqlText_.c_str(), wire.count(), nullptr, wire.values(),
                                 wire.lengths(), wire.formats(), 0);
      }
      if (!sent) failResult(nullptr);
    }
    if (!PQpipelineSync(conn_)) failResult(nullptr);
    for (std::size_t i = 0; i < count; ++i) {
      Result r(PQgetResult(conn_));
      if (!r) failResult(nullptr);  // the link broke: no answer at all
      ExecStatusType st = PQresultStatus(r.get());
      if (st == PGRES_FATAL_ERROR) {
        if (PQstatus(conn_) != CONNECTION_OK) failResult(r.get());
        if (!names[i].empty() && stalePrepared(r.get())) flags[i] |= kStale;
        results[i].Error = failure(r.get());
      } else if (st == PGRES_PIPELINE_ABORTED) {
        flags[i] |= kAgain;
      } else if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK || st == PGRES_EMPTY_QUERY) {
        try {
          results[i].Rows = resultSet(r.get());
        } catch (db::EDatabaseError&) {
          results[i].Error = std::current_exception();
        }
      } else {
        failResult(r.get());
      }
      while (Result more{PQgetResult(conn_)}) {
        if (PQstatus(conn_) != CONNECTION_OK) failResult(more.get());
      }
    }
    Result sync(PQgetResult(conn_));
    if (!sync || PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC) failResult(sync.get());
    leave.Release();
  }
  if (!PQexitPipelineMode(conn_)) failResult(nullptr);
  // A kept statement that no longer serves is made again; outside a
  // transaction its text runs now, as Run would run it.
  const bool idle = PQtransactionStatus(conn_) == PQTRANS_IDLE;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(flags[i] & kStale)) continue;
    forgetPrepared(statement(i).Sql);
    if (idle) flags[i] |= kAgain;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!(flags[i] & kAgain)) continue;
    try {
      results[i].Rows = Run(statement(i).Sql, statement(i).Params);
      results[i].Error = nullptr;
    } catch (db::EDatabaseError&) {
      if (!Alive()) throw;
      results[i].Error = std::current_exception();
    }
  }
  return results;
}

}  // namespace

std::unique_ptr<DriverConnection> ConnectPostgreSQL(const ConnectSettings& settings) {
  return std::make_unique<PgConnection>(settings);
}

}  // namespace dac

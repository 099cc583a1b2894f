// The embedded engine: one folder per alias holding erp.db (main) and the
// ERP schemas' files attached beside it, in WAL mode so that the login, the
// main window and the worker share them.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dac/driver.h"
#include "platform/dac/errors.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace dac {
namespace {

namespace fs = std::filesystem;

constexpr int kBusyTimeoutMs = 5000;
constexpr int kSchemaVersion = 1;
constexpr std::size_t kStatementCacheSize = 32;
// Longer texts given to ExecScript are scripts run once.
constexpr std::size_t kCachedScriptMax = 64;

// The files beside erp.db, with the schema names they are attached under.
constexpr const char* kAttached[] = {"vorna_mat", "vorna_fis", "vorna_fro"};

String utf8(const char* s) { return s ? rtl::Utf8ToString(s) : String(); }

[[noreturn]] void fail(sqlite3* db, const char* what = nullptr) {
  String message = db ? utf8(sqlite3_errmsg(db)) : String(u"out of memory");
  if (what) message = utf8(what) + u": " + message;
  RaiseDatabaseError(message);
}

void check(sqlite3* db, int rc) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) fail(db);
}

// --- session state read and written by the registered functions -------------
struct Session {
  std::string userName;
  std::string empresa;     // as stored by vorna_set_empresa; empty = none
  bool hasEmpresa = false;
  std::string log;         // one line per set-up call, in order
};

void addLog(Session* s, const std::string& line) {
  if (!s->log.empty()) s->log += '\n';
  s->log += line;
}

std::string argText(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_value_bytes(v)) : std::string();
}

// The server clock: the program's one clock, so test clocks reach SQL too.
// It keeps the milliseconds, truncated as a server's clock reads: rounded to
// the second it could run up to half a second ahead of the program's own
// clock (a new year early on 31 December).
void fnSysdate(sqlite3_context* ctx, int, sqlite3_value**) {
  const std::string now = FormatIsoDateTimeMs(rtl::Now());
  sqlite3_result_text(ctx, now.c_str(), static_cast<int>(now.size()), SQLITE_TRANSIENT);
}

void fnSessionUser(sqlite3_context* ctx, int, sqlite3_value**) {
  auto* s = static_cast<Session*>(sqlite3_user_data(ctx));
  sqlite3_result_text(ctx, s->userName.c_str(), static_cast<int>(s->userName.size()),
                      SQLITE_TRANSIENT);
}

void fnSetRole(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* s = static_cast<Session*>(sqlite3_user_data(ctx));
  addLog(s, "set_role(" + argText(argv[0]) + ")");
  sqlite3_result_null(ctx);
}

void fnSetNls(sqlite3_context* ctx, int, sqlite3_value**) {
  auto* s = static_cast<Session*>(sqlite3_user_data(ctx));
  addLog(s, "set_nls_parameters()");
  sqlite3_result_null(ctx);
}

// Like a numeric argument on the server: text that is no number is refused.
void fnSetEmpresa(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* s = static_cast<Session*>(sqlite3_user_data(ctx));
  sqlite3_value* v = argv[0];
  std::string value;
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      break;
    case SQLITE_INTEGER:
      value = std::to_string(sqlite3_value_int64(v));
      break;
    case SQLITE_FLOAT: {
      double d = sqlite3_value_double(v);
      value = d == static_cast<double>(static_cast<Int64>(d)) ? std::to_string(static_cast<Int64>(d))
                                                              : FormatWireFloat(d);
      break;
    }
    default: {
      std::string text = argText(v);
      std::string trimmed = text;
      while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.back())))
        trimmed.pop_back();
      std::size_t start = 0;
      while (start < trimmed.size() && std::isspace(static_cast<unsigned char>(trimmed[start])))
        ++start;
      trimmed = trimmed.substr(start);
      double d = 0;
      auto r = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), d);
      bool ok = !trimmed.empty() && r.ec == std::errc() && r.ptr == trimmed.data() + trimmed.size() &&
                trimmed.find_first_of("iInN") == std::string::npos;
      if (!ok) {
        std::string message = "invalid input syntax for type numeric: \"" + text + "\"";
        sqlite3_result_error(ctx, message.c_str(), -1);
        return;
      }
      value = d == static_cast<double>(static_cast<Int64>(d)) ? std::to_string(static_cast<Int64>(d))
                                                              : FormatWireFloat(d);
    }
  }
  s->hasEmpresa = sqlite3_value_type(v) != SQLITE_NULL;
  s->empresa = value;
  addLog(s, "set_empresa(" + (s->hasEmpresa ? value : std::string("NULL")) + ")");
  sqlite3_result_null(ctx);
}

void fnEmpresa(sqlite3_context* ctx, int, sqlite3_value**) {
  auto* s = static_cast<Session*>(sqlite3_user_data(ctx));
  if (!s->hasEmpresa) {
    sqlite3_result_null(ctx);
    return;
  }
  sqlite3_result_text(ctx, s->empresa.c_str(), static_cast<int>(s->empresa.size()),
                      SQLITE_TRANSIENT);
}

void fnSessionLog(sqlite3_context* ctx, int, sqlite3_value**) {
  auto* s = static_cast<Session*>(sqlite3_user_data(ctx));
  sqlite3_result_text(ctx, s->log.c_str(), static_cast<int>(s->log.size()), SQLITE_TRANSIENT);
}

// Oracle's picture letters for the one form the catalogue uses and its parts.
bool oraclePicture(std::string_view ora, String& picture) {
  std::string lower(ora);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  String out;
  std::size_t i = 0;
  auto starts = [&](std::string_view token) { return lower.compare(i, token.size(), token) == 0; };
  while (i < lower.size()) {
    if (starts("yyyy")) { out += u"yyyy"; i += 4; }
    else if (starts("hh24")) { out += u"hh"; i += 4; }
    else if (starts("dd")) { out += u"dd"; i += 2; }
    else if (starts("mm")) { out += u"mm"; i += 2; }
    else if (starts("mi")) { out += u"nn"; i += 2; }
    else if (starts("ss")) { out += u"ss"; i += 2; }
    else if (std::isalpha(static_cast<unsigned char>(lower[i]))) return false;
    else {
      // Separators must appear as written; quote them for the reader.
      out += u'"';
      out += static_cast<rtl::Char>(lower[i]);
      out += u'"';
      ++i;
    }
  }
  picture = out;
  return true;
}

// to_date(text, picture): ISO text, NULL for NULL, an error for a value
// that does not match, as on the ERP's server.
void fnToDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  std::string text = argText(argv[0]);
  std::string format = argText(argv[1]);
  String picture;
  if (!oraclePicture(format, picture)) {
    std::string message = "to_date: unsupported format '" + format + "'";
    sqlite3_result_error(ctx, message.c_str(), -1);
    return;
  }
  rtl::TDateTime value;
  if (!rtl::TryParseDateTime(rtl::Utf8ToString(text), picture, value)) {
    std::string message = "to_date: '" + text + "' does not match format '" + format + "'";
    sqlite3_result_error(ctx, message.c_str(), -1);
    return;
  }
  std::string iso = FormatIsoDateTime(value);
  sqlite3_result_text(ctx, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
}

void registerFunctions(sqlite3* db, Session* s) {
  struct Fn {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
  };
  static const Fn fns[] = {
      {"to_date", 2, fnToDate, true},
      {"vorna_sysdate", 0, fnSysdate, false},
      {"vorna_session_user", 0, fnSessionUser, false},
      {"vorna_set_role", 1, fnSetRole, false},
      {"vorna_set_nls_parameters", 0, fnSetNls, false},
      {"vorna_set_empresa", 1, fnSetEmpresa, false},
      {"vorna_empresa", 0, fnEmpresa, false},
      {"vorna_session_log", 0, fnSessionLog, false},
  };
  for (const Fn& f : fns) {
    int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
    check(db, sqlite3_create_function_v2(db, f.name, f.args, flags, s, f.fn, nullptr, nullptr,
                                         nullptr));
  }
}

// --- handles -------------------------------------------------------------------
struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

DbHandle openFile(const fs::path& file) {
  // A statement journal (one per writing statement inside a transaction)
  // stays in memory in small chunks: by default its first write takes a
  // 64 KiB block, which the allocator hands back to the system at once, so
  // every staged record grew and shrank the heap. Only possible before the
  // library's first use; a later call is refused harmlessly.
  static std::once_flag configured;
  std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_STMTJRNL_SPILL, -1); });
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(file.string().c_str(), &raw,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  DbHandle db(raw);
  if (rc != SQLITE_OK) {
    String message = utf8(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    RaiseDatabaseError(u"cannot open " + rtl::Utf8ToString(file.string()) + u": " + message);
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  return db;
}

void execScript(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    String message = utf8(err ? err : sqlite3_errmsg(db));
    sqlite3_free(err);
    RaiseDatabaseError(message);
  }
}

Int64 queryInt(sqlite3* db, const char* sql) {
  sqlite3_stmt* st = nullptr;
  check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr));
  Int64 v = 0;
  int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) v = sqlite3_column_int64(st, 0);
  sqlite3_finalize(st);
  check(db, rc);
  return v;
}

// Switching to WAL needs the file to itself for a moment; another connection
// switching at the same time answers "busy" without the busy handler.
void setWal(sqlite3* db, const std::string& schema) {
  std::string sql = "PRAGMA " + schema + ".journal_mode=WAL";
  for (int attempt = 0;; ++attempt) {
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc == SQLITE_OK) return;
    if ((rc & 0xFF) != SQLITE_BUSY || attempt * 10 > kBusyTimeoutMs) fail(db);
    sqlite3_sleep(10);
  }
}

std::string scriptFor(std::string_view name) {
  const rtl::TResourceEntry* res = rtl::FindResource(std::string_view("SQL"), name);
  if (!res) return {};
  return std::string(reinterpret_cast<const char*>(res->Data), res->Size);
}

// Creates one file's schema and seed once: its script (which names its
// objects with their schema) runs in an exclusive transaction of its own on
// the full connection, and the file's PRAGMA user_version marks it done.
// Returns whether it ran the script now.
bool ensureFileSchema(sqlite3* db, const std::string& schema, std::string_view resource) {
  std::string version = "PRAGMA " + schema + ".user_version";
  if (queryInt(db, version.c_str()) >= kSchemaVersion) return false;
  std::string script = scriptFor(resource);
  if (script.empty()) return false;
  execScript(db, "BEGIN EXCLUSIVE");
  rtl::ScopeExit rollback([db] { sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr); });
  // Another connection may have finished it while this one waited.
  if (queryInt(db, version.c_str()) >= kSchemaVersion) {
    execScript(db, "COMMIT");
    rollback.Release();
    return false;
  }
  execScript(db, script);
  execScript(db, version + "=" + std::to_string(kSchemaVersion));
  execScript(db, "COMMIT");
  rollback.Release();
  return true;
}

// --- column types -----------------------------------------------------------
std::string upper(const char* s) {
  std::string u = s ? s : "";
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

// "(p,s)" after a type name: the numbers given, -1 for those missing.
void typeArgs(const std::string& decl, int& first, int& second) {
  first = second = -1;
  std::size_t open = decl.find('(');
  if (open == std::string::npos) return;
  const char* p = decl.c_str() + open + 1;
  const char* end = decl.c_str() + decl.size();
  while (p < end && *p == ' ') ++p;
  auto r = std::from_chars(p, end, first);
  if (r.ec != std::errc()) {
    first = -1;
    return;
  }
  p = r.ptr;
  while (p < end && *p == ' ') ++p;
  if (p < end && *p == ',') {
    ++p;
    while (p < end && *p == ' ') ++p;
    if (std::from_chars(p, end, second).ec != std::errc()) second = -1;
  }
}

// Declared types read as the ERP's types do: numerics with scale 0 are
// 64-bit integers, other numerics floats, timestamps date-times.
bool typeFromDecl(const char* declRaw, ColumnDesc& col) {
  if (!declRaw || !*declRaw) return false;
  std::string decl = upper(declRaw);
  auto has = [&](const char* s) { return decl.find(s) != std::string::npos; };
  int a, b;
  typeArgs(decl, a, b);
  if (has("BOOL")) col.Type = ColumnType::Boolean;
  else if (has("SMALLINT") || has("TINYINT") || has("INT2")) col.Type = ColumnType::SmallInt;
  else if (has("INT")) col.Type = ColumnType::LargeInt;
  else if (has("NUMERIC") || has("DECIMAL") || has("NUMBER"))
    col.Type = (a >= 0 && b <= 0) ? ColumnType::LargeInt : ColumnType::Float;
  else if (has("REAL") || has("FLOA") || has("DOUB")) col.Type = ColumnType::Float;
  else if (has("TIMESTAMP") || has("DATETIME")) col.Type = ColumnType::DateTime;
  else if (has("DATE")) col.Type = ColumnType::Date;
  else if (has("TIME")) col.Type = ColumnType::Time;
  else if (has("CLOB") || has("LONGTEXT") || has("MEDIUMTEXT")) col.Type = ColumnType::Memo;
  else if (has("CHAR") || has("TEXT")) {
    col.Type = ColumnType::String;
    col.Size = a > 0 ? a : 0;
  } else if (has("BLOB") || has("BINARY")) col.Type = ColumnType::Blob;
  else col.Type = ColumnType::String;  // SQLite's numeric affinity names and others
  return true;
}

bool looksIsoStamp(std::string_view t) {
  rtl::TDateTime v;
  // A date, a date and time, or a date and time with milliseconds (the
  // server clock's form).
  const bool shape = t.size() == 10 || t.size() == 19 || (t.size() == 23 && t[19] == '.');
  return shape && ParseIsoDateTime(t, v);
}

// A column without a declared type (an expression) takes the type its
// values have; ISO date texts read as date-times, as on a typed server.
ColumnType inferType(const std::vector<int>& kinds, const std::vector<std::string>& samples) {
  bool anyInt = false, anyFloat = false, anyText = false, anyBlob = false, allStamp = true;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    switch (kinds[k]) {
      case SQLITE_INTEGER: anyInt = true; break;
      case SQLITE_FLOAT: anyFloat = true; break;
      case SQLITE_BLOB: anyBlob = true; break;
      case SQLITE_TEXT:
        anyText = true;
        if (!looksIsoStamp(samples[k])) allStamp = false;
        break;
      default: break;
    }
  }
  if (anyBlob) return ColumnType::Blob;
  if (anyText) return (allStamp && !anyInt && !anyFloat) ? ColumnType::DateTime : ColumnType::String;
  if (anyFloat) return ColumnType::Float;
  if (anyInt) return ColumnType::LargeInt;
  return ColumnType::String;
}

// One raw value as stepped, kept until the column's type is known.
struct RawValue {
  int kind = SQLITE_NULL;
  Int64 i = 0;
  double f = 0;
  std::string bytes;
};

rtl::Variant convert(const RawValue& raw, const ColumnDesc& col) {
  if (raw.kind == SQLITE_NULL) return rtl::Null();
  switch (col.Type) {
    case ColumnType::SmallInt:
    case ColumnType::Integer:
    case ColumnType::LargeInt:
      if (raw.kind == SQLITE_INTEGER) return rtl::Variant(static_cast<long long>(raw.i));
      if (raw.kind == SQLITE_FLOAT) {
        if (raw.f == static_cast<double>(static_cast<Int64>(raw.f)))
          return rtl::Variant(static_cast<long long>(raw.f));
        return rtl::Variant(raw.f);
      }
      return rtl::Variant(rtl::Utf8ToString(raw.bytes));
    case ColumnType::Float:
      if (raw.kind == SQLITE_INTEGER) return rtl::Variant(static_cast<double>(raw.i));
      if (raw.kind == SQLITE_FLOAT) return rtl::Variant(raw.f);
      return rtl::Variant(rtl::Utf8ToString(raw.bytes));
    case ColumnType::Boolean:
      if (raw.kind == SQLITE_INTEGER) return rtl::Variant(raw.i != 0);
      if (raw.kind == SQLITE_FLOAT) return rtl::Variant(raw.f != 0);
      return rtl::Variant(rtl::Utf8ToString(raw.bytes));
    case ColumnType::Date:
    case ColumnType::Time:
    case ColumnType::DateTime: {
      rtl::TDateTime v;
      if (raw.kind == SQLITE_TEXT &&
          ParseIsoDateTime(raw.bytes, v, col.Type == ColumnType::Time && raw.bytes.size() <= 12))
        return rtl::VarFromDateTime(v);
      std::string shown = raw.kind == SQLITE_TEXT ? raw.bytes
                          : raw.kind == SQLITE_INTEGER ? std::to_string(raw.i)
                                                       : FormatWireFloat(raw.f);
      RaiseDatabaseError(u"Invalid date-time value '" + rtl::Utf8ToString(shown) +
                         u"' in column " + col.Name);
    }
    case ColumnType::Blob:
      return rtl::Variant::FromAnsiString(raw.bytes);
    case ColumnType::String:
    case ColumnType::Memo:
      if (raw.kind == SQLITE_INTEGER) return rtl::Variant(rtl::IntToStr(raw.i));
      if (raw.kind == SQLITE_FLOAT) return rtl::Variant(rtl::Utf8ToString(FormatWireFloat(raw.f)));
      return rtl::Variant(rtl::Utf8ToString(raw.bytes));
  }
  return rtl::Null();
}

// --- the connection -----------------------------------------------------------
class SQLiteConnection final : public DriverConnection {
 public:
  explicit SQLiteConnection(const ConnectSettings& settings);
  ~SQLiteConnection() override;

  DriverKind Kind() const override { return DriverKind::SQLite; }
  // A single statement (transaction control, mostly) runs from the
  // statement cache; a script goes to the engine as it is.
  void ExecScript(const String& sql) override {
    std::string text = ToUtf8(sql);
    if (text.size() <= kCachedScriptMax && text.find(';') == std::string::npos) {
      Run(text, {});
      return;
    }
    if (beginPending_) beginWith({});
    execScript(db_.get(), text);
  }
  void Begin() override;
  ResultSet Run(std::string_view sql, const std::vector<BindValue>& params) override;
  bool Alive() override { return db_ != nullptr; }

 private:
  struct Cached {
    std::string sql;
    sqlite3_stmt* stmt;
    // The value each parameter takes: its ?NNN number, else its position
    // (0-based); read once at prepare.
    std::vector<int> slots;
  };
  using Entry = std::list<Cached>::iterator;
  // A prepared statement moved out of the cache while it runs, so that a
  // statement run from inside it (a registered function) cannot share it.
  Entry acquire(std::string_view sql, const char** tail);
  void release(Entry entry);
  void bind(const Cached& entry, const std::vector<BindValue>& params);
  ResultSet run(sqlite3_stmt* stmt);
  ResultSet runCached(Entry entry, const std::vector<BindValue>& params);

  // The transaction's BEGIN, sent with its first statement.
  void beginWith(std::string_view first);
  bool firstStatementWrites(std::string_view sql);

  Session session_;
  DbHandle db_;
  // A transaction was asked for and no statement has run in it yet.
  bool beginPending_ = false;
  std::list<Cached> cache_;  // most recently used first; all reset
  std::list<Cached> inUse_;
};

// A database is made only in a folder that holds none of its files: one
// file lost beside the others would otherwise come back empty, and the
// records it held would silently be gone.
void checkWholeSet(const fs::path& dir) {
  std::vector<std::string> files = {"erp.db"};
  for (const char* schema : kAttached) files.push_back(std::string(schema) + ".db");
  std::string missing, present;
  for (const std::string& file : files) {
    std::error_code ec;
    std::string& list = fs::exists(dir / file, ec) ? present : missing;
    list += (list.empty() ? "" : ", ") + file;
  }
  if (!missing.empty() && !present.empty())
    RaiseDatabaseError(u"The database in " + rtl::Utf8ToString(dir.string()) + u" is incomplete: " +
                       rtl::Utf8ToString(missing) + u" missing beside " + rtl::Utf8ToString(present));
}

SQLiteConnection::SQLiteConnection(const ConnectSettings& settings) {
  session_.userName = rtl::StringToUtf8(settings.UserName);
  fs::path dir(rtl::StringToUtf8(settings.Directory));
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec)
    RaiseDatabaseError(u"cannot create the database folder " +
                       rtl::Utf8ToString(dir.string()) + u": " + rtl::Utf8ToString(ec.message()));
  checkWholeSet(dir);
  db_ = openFile(dir / "erp.db");
  for (const char* schema : kAttached) {
    sqlite3_stmt* st = nullptr;
    std::string sql = std::string("ATTACH ?1 AS ") + schema;
    check(db_.get(), sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &st, nullptr));
    std::string file = (dir / (std::string(schema) + ".db")).string();
    sqlite3_bind_text(st, 1, file.c_str(), static_cast<int>(file.size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    check(db_.get(), rc);
  }
  setWal(db_.get(), "main");
  std::string pragmas = "PRAGMA main.synchronous=FULL;";
  for (const char* schema : kAttached) {
    setWal(db_.get(), schema);
    pragmas += std::string("PRAGMA ") + schema + ".synchronous=FULL;";
  }
  pragmas += "PRAGMA foreign_keys=ON;";
  execScript(db_.get(), pragmas);
  registerFunctions(db_.get(), &session_);

  // The attached files first, erp.db last: its version row is written when
  // everything before it exists.
  for (const char* schema : kAttached) ensureFileSchema(db_.get(), schema, upper(schema));
  bool created = ensureFileSchema(db_.get(), "main", "ERP");
  if (created && settings.Demo) {
    std::string demo = scriptFor("DEMO");
    if (!demo.empty()) {
      execScript(db_.get(), "BEGIN IMMEDIATE");
      sqlite3* db = db_.get();
      rtl::ScopeExit rollback([db] { sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr); });
      execScript(db, demo);
      execScript(db, "COMMIT");
      rollback.Release();
    }
  }
}

SQLiteConnection::~SQLiteConnection() {
  for (Cached& c : cache_) sqlite3_finalize(c.stmt);
  for (Cached& c : inUse_) sqlite3_finalize(c.stmt);
}

// A cached statement comes back with `tail` null; a fresh one is prepared
// from the text (up to `tail`, the start of the next statement) and keyed by
// the whole text given.
SQLiteConnection::Entry SQLiteConnection::acquire(std::string_view sql, const char** tail) {
  for (auto it = cache_.begin(); it != cache_.end(); ++it) {
    if (it->sql == sql) {
      inUse_.splice(inUse_.begin(), cache_, it);
      *tail = nullptr;
      return inUse_.begin();
    }
  }
  inUse_.push_front(Cached{std::string(sql), nullptr, {}});
  const std::string& text = inUse_.front().sql;
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v3(db_.get(), text.c_str(), static_cast<int>(text.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt, tail);
  if (rc != SQLITE_OK || !stmt) {
    inUse_.pop_front();
    if (rc != SQLITE_OK) fail(db_.get());
    return inUse_.end();  // only a comment was left
  }
  Cached& entry = inUse_.front();
  entry.stmt = stmt;
  int count = sqlite3_bind_parameter_count(stmt);
  entry.slots.resize(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) {
    const char* name = sqlite3_bind_parameter_name(stmt, i);
    int index = i;
    if (name && name[0] == '?') std::from_chars(name + 1, name + std::strlen(name), index);
    entry.slots[static_cast<std::size_t>(i - 1)] = index - 1;
  }
  return inUse_.begin();
}

void SQLiteConnection::release(Entry entry) {
  // The bindings stay: bind() sets every parameter before each run, and
  // nothing reads a reset statement's values.
  sqlite3_reset(entry->stmt);
  cache_.splice(cache_.begin(), inUse_, entry);
  if (cache_.size() > kStatementCacheSize) {
    sqlite3_finalize(cache_.back().stmt);
    cache_.pop_back();
  }
}

ResultSet SQLiteConnection::runCached(Entry entry, const std::vector<BindValue>& params) {
  // Back to the cache however the run ends.
  rtl::ScopeExit back([this, entry] { release(entry); });
  bind(*entry, params);
  return run(entry->stmt);
}

void SQLiteConnection::bind(const Cached& entry, const std::vector<BindValue>& params) {
  sqlite3_stmt* stmt = entry.stmt;
  const int count = static_cast<int>(entry.slots.size());
  for (int i = 1; i <= count; ++i) {
    const int index = entry.slots[static_cast<std::size_t>(i - 1)] + 1;
    if (index < 1 || static_cast<std::size_t>(index) > params.size())
      RaiseDatabaseError(u"missing value for parameter " + rtl::IntToStr(index));
    const BindValue& v = params[static_cast<std::size_t>(index - 1)];
    int rc = SQLITE_OK;
    switch (v.Type) {
      case BindValue::Kind::Null: rc = sqlite3_bind_null(stmt, i); break;
      case BindValue::Kind::Integer:
      case BindValue::Kind::Boolean: rc = sqlite3_bind_int64(stmt, i, v.Int); break;
      case BindValue::Kind::Float: rc = sqlite3_bind_double(stmt, i, v.Float); break;
      case BindValue::Kind::Text:
        // The values outlive the statement's run; the next run binds anew
        // before it steps.
        rc = sqlite3_bind_text(stmt, i, v.Bytes.data(), static_cast<int>(v.Bytes.size()),
                               SQLITE_STATIC);
        break;
      case BindValue::Kind::Date:
      case BindValue::Kind::Time:
      case BindValue::Kind::DateTime: {
        std::string t = v.Type == BindValue::Kind::Date   ? FormatIsoDate(v.Stamp)
                        : v.Type == BindValue::Kind::Time ? FormatIsoTime(v.Stamp)
                                                          : FormatIsoDateTime(v.Stamp);
        rc = sqlite3_bind_text(stmt, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        break;
      }
      case BindValue::Kind::Blob:
        rc = sqlite3_bind_blob(stmt, i, v.Bytes.data(), static_cast<int>(v.Bytes.size()),
                               SQLITE_STATIC);
        break;
    }
    check(db_.get(), rc);
  }
}

ResultSet SQLiteConnection::run(sqlite3_stmt* stmt) {
  ResultSet result;
  int columns = sqlite3_column_count(stmt);
  std::vector<std::vector<RawValue>> raw;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<RawValue> row(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      RawValue& v = row[static_cast<std::size_t>(c)];
      v.kind = sqlite3_column_type(stmt, c);
      if (v.kind == SQLITE_INTEGER) v.i = sqlite3_column_int64(stmt, c);
      else if (v.kind == SQLITE_FLOAT) v.f = sqlite3_column_double(stmt, c);
      else if (v.kind == SQLITE_TEXT || v.kind == SQLITE_BLOB) {
        const void* p = v.kind == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(stmt, c))
                                              : sqlite3_column_blob(stmt, c);
        int n = sqlite3_column_bytes(stmt, c);
        if (p) v.bytes.assign(static_cast<const char*>(p), static_cast<std::size_t>(n));
      }
    }
    raw.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) fail(db_.get());
  result.RowsAffected = sqlite3_stmt_readonly(stmt) ? 0 : sqlite3_changes64(db_.get());
  for (int c = 0; c < columns; ++c) {
    ColumnDesc col;
    col.Name = utf8(sqlite3_column_name(stmt, c));
    if (!typeFromDecl(sqlite3_column_decltype(stmt, c), col)) {
      std::vector<int> kinds;
      std::vector<std::string> samples;
      for (auto& row : raw) {
        kinds.push_back(row[static_cast<std::size_t>(c)].kind);
        samples.push_back(row[static_cast<std::size_t>(c)].bytes);
      }
      col.Type = inferType(kinds, samples);
    }
    result.Columns.push_back(std::move(col));
  }
  result.Rows.reserve(raw.size());
  for (auto& row : raw) {
    std::vector<rtl::Variant> values;
    values.reserve(row.size());
    for (std::size_t c = 0; c < row.size(); ++c) values.push_back(convert(row[c], result.Columns[c]));
    result.Rows.push_back(std::move(values));
  }
  return result;
}

// A transaction takes its locks with its first statement. When that
// statement writes, a deferred BEGIN lets it lock for writing only the files
// it writes, waiting on the busy handler as BEGIN IMMEDIATE would (no file is
// read in the transaction before it), and the files the transaction only
// reads take no write lock: a commit then locks and unlocks one file instead
// of all four. When it only reads, BEGIN IMMEDIATE locks every file first, as
// a deferred read that later wrote could not wait for another writer: SQLite
// answers "busy" at once when a read lock cannot become a write lock.
// A transaction that later writes a file it has read but its first statement
// did not write has the same limit; this program's transactions write only
// the files their first write reached.
void SQLiteConnection::Begin() {
  // Inside an open transaction the engine refuses it with its own message.
  if (!sqlite3_get_autocommit(db_.get())) Run("BEGIN IMMEDIATE", {});
  beginPending_ = true;
}

void SQLiteConnection::beginWith(std::string_view first) {
  beginPending_ = false;
  const bool deferred = !first.empty() && firstStatementWrites(first);
  // A BEGIN that failed (busy past the time-out) leaves nothing to commit
  // or roll back: the transaction stays asked for.
  rtl::ScopeExit stillPending([this] { beginPending_ = true; });
  Run(deferred ? "BEGIN" : "BEGIN IMMEDIATE", {});
  stillPending.Release();
}

bool SQLiteConnection::firstStatementWrites(std::string_view sql) {
  for (const Cached& c : cache_)
    if (c.sql == sql) return !sqlite3_stmt_readonly(c.stmt);
  // Seen for the first time: only its first statement is compiled, and a
  // text the engine refuses is refused again when it runs.
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v2(db_.get(), sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
  const bool writes = rc == SQLITE_OK && stmt && !sqlite3_stmt_readonly(stmt);
  sqlite3_finalize(stmt);
  return writes;
}

// COMMIT, END or ROLLBACK (with TRANSACTION or not), in any case.
bool endsTransaction(std::string_view sql) {
  std::string words;
  for (char c : sql) {
    if (c == ';') break;
    const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (space && (words.empty() || words.back() == ' ')) continue;
    words += space ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (!words.empty() && words.back() == ' ') words.pop_back();
  for (const char* end : {"COMMIT", "END", "ROLLBACK"}) {
    if (words == end || words == std::string(end) + " TRANSACTION") return true;
  }
  return false;
}

ResultSet SQLiteConnection::Run(std::string_view text, const std::vector<BindValue>& params) {
  if (beginPending_) {
    // Nothing ran in the transaction: there is nothing to end.
    if (endsTransaction(text)) {
      beginPending_ = false;
      return {};
    }
    beginWith(text);
  }
  // One statement run before (the rows a cached update writes): straight
  // from the cache.
  for (auto it = cache_.begin(); it != cache_.end(); ++it) {
    if (it->sql == text) {
      inUse_.splice(inUse_.begin(), cache_, it);
      return runCached(inUse_.begin(), params);
    }
  }
  ResultSet result;
  std::string_view rest = text;
  // Several statements run in turn; the last one's rows are the result.
  while (true) {
    std::size_t skip = rest.find_first_not_of(" \t\r\n;");
    if (skip == std::string_view::npos) break;
    rest.remove_prefix(skip);
    const char* tail = nullptr;
    Entry entry = acquire(rest, &tail);
    if (entry == inUse_.end()) break;  // only a comment was left
    if (tail) {
      std::size_t used = static_cast<std::size_t>(tail - entry->sql.c_str());
      if (used < entry->sql.size()) {
        // Cache under the statement's own text, not the remainder's, and
        // keep one entry per text.
        entry->sql.resize(used);
        rest.remove_prefix(used);
        for (auto it = cache_.begin(); it != cache_.end(); ++it) {
          if (it->sql == entry->sql) {
            sqlite3_finalize(entry->stmt);
            inUse_.erase(entry);
            inUse_.splice(inUse_.begin(), cache_, it);
            entry = inUse_.begin();
            break;
          }
        }
      } else {
        rest = std::string_view();
      }
    } else {
      rest = std::string_view();
    }
    result = runCached(entry, params);
  }
  return result;
}

}  // namespace

std::unique_ptr<DriverConnection> ConnectSQLite(const ConnectSettings& settings) {
  return std::make_unique<SQLiteConnection>(settings);
}

}  // namespace dac

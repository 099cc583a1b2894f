#pragma once
// The small interface both drivers implement. Only the connection and the
// query see it; the engines' own headers stay inside the driver sources.
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/types.h"
#include "platform/rtl/variant.h"

namespace dac {

using rtl::Int64;
using rtl::String;
using rtl::StringView;

enum class DriverKind { SQLite, PostgreSQL };

// What a result column becomes in the dataset. Integers are 64-bit unless the
// engine says narrower.
enum class ColumnType { SmallInt, Integer, LargeInt, Float, Boolean, Date, Time, DateTime,
                        String, Memo, Blob };

struct ColumnDesc {
  String Name;
  ColumnType Type = ColumnType::String;
  int Size = 0;  // characters of a bounded text column; 0 when unbounded
  bool Required = false;
};

// A parameter as the engine receives it, already converted by its declared
// type. Text is UTF-8; Blob holds raw bytes.
struct BindValue {
  enum class Kind { Null, Integer, Float, Boolean, Text, Date, Time, DateTime, Blob };
  Kind Type = Kind::Null;
  Int64 Int = 0;
  double Float = 0;
  rtl::TDateTime Stamp = 0;
  std::string Bytes;

  static BindValue Null() { return {}; }
  static BindValue Integer(Int64 v) { BindValue b; b.Type = Kind::Integer; b.Int = v; return b; }
  static BindValue Real(double v) { BindValue b; b.Type = Kind::Float; b.Float = v; return b; }
  static BindValue Bool(bool v) { BindValue b; b.Type = Kind::Boolean; b.Int = v; return b; }
  // Empty text binds NULL, as the ERP's database stores it.
  static BindValue Text(StringView s);
  static BindValue Date(rtl::TDateTime v) { BindValue b; b.Type = Kind::Date; b.Stamp = v; return b; }
  static BindValue Time(rtl::TDateTime v) { BindValue b; b.Type = Kind::Time; b.Stamp = v; return b; }
  static BindValue DateTime(rtl::TDateTime v) {
    BindValue b; b.Type = Kind::DateTime; b.Stamp = v; return b;
  }
  static BindValue Blob(std::string bytes) {
    BindValue b; b.Type = Kind::Blob; b.Bytes = std::move(bytes); return b;
  }
};

// The wire forms both engines read: '.' decimals, ISO dates, whole seconds.
// AppendIsoStamp appends the date, the time or both (as FormatIsoDateTime)
// to `out`, without a string of its own.
void AppendIsoStamp(std::string& out, rtl::TDateTime v, bool date, bool time);
std::string FormatIsoDate(rtl::TDateTime v);
std::string FormatIsoTime(rtl::TDateTime v);
std::string FormatIsoDateTime(rtl::TDateTime v);
// "yyyy-mm-dd hh:nn:ss.zzz", the milliseconds truncated as a clock reads
// them (never rounded up into the next second).
std::string FormatIsoDateTimeMs(rtl::TDateTime v);
std::string FormatWireFloat(double v);
// Reads "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss[.fff...]" (or with 'T'), an
// optional zone suffix being ignored, or "hh:nn:ss" with `timeOnly`.
bool ParseIsoDateTime(std::string_view text, rtl::TDateTime& value, bool timeOnly = false);

// A finished statement: every row fetched, the engine's cursor released.
// Values are Null, Int64, Double, Boolean, a date-time (varDate), a String or
// bytes (varString) for blobs.
struct ResultSet {
  std::vector<ColumnDesc> Columns;
  std::vector<std::vector<rtl::Variant>> Rows;
  Int64 RowsAffected = 0;
};

// Connection settings after the alias has been resolved.
struct ConnectSettings {
  DriverKind Driver = DriverKind::SQLite;
  String Alias;       // "DATABASE"
  String UserName;    // "USER_NAME"
  String Password;    // "PASSWORD"; never put into a message
  // SQLite
  String Directory;   // the folder of erp.db and the attached files
  bool Demo = false;  // a new database also loads the demo data
  // PostgreSQL: empty values fall back to libpq's environment
  String Host;
  String Port;
  String DbName;
  String ApplicationName = u"integrador";
};

// One statement of a batch: UTF-8 text and its values.
struct BatchStatement {
  std::string_view Sql;
  std::vector<BindValue> Params;
};

// What became of a batch: how many statements were written, and the error
// of the one the database refused, if any (it is statement `Done`).
struct BatchOutcome {
  std::size_t Done = 0;
  std::exception_ptr Refused;
};

// What became of one statement of DriverConnection::RunPipelined: its rows,
// or the error it raised.
struct PipelinedResult {
  ResultSet Rows;
  std::exception_ptr Error;
};

class DriverConnection {
 public:
  virtual ~DriverConnection() = default;
  virtual DriverKind Kind() const = 0;
  // Runs one or more statements without parameters or results (transaction
  // control, scripts).
  virtual void ExecScript(const String& sql) = 0;
  // Opens a transaction. The embedded engine begins it with the next
  // statement, once it knows whether that statement writes.
  virtual void Begin() { ExecScript(u"BEGIN"); }
  // One statement whose parameters are `?n` (SQLite) or `$n` (PostgreSQL),
  // its text in UTF-8.
  virtual ResultSet Run(std::string_view sql, const std::vector<BindValue>& params) = 0;
  ResultSet Execute(const String& sql, const std::vector<BindValue>& params);
  // Inside an open transaction, writes the statements in order, each in the
  // savepoint `savepoint` of its own, released after it. At the first one the
  // database refuses it rolls back to that savepoint (the transaction stays
  // usable), releases it and stops: the statements after it are not run.
  // A lost connection raises instead. This one runs them one by one; the
  // server driver sends them without waiting for each answer.
  virtual BatchOutcome ExecuteIsolated(const std::vector<BatchStatement>& batch,
                                       std::string_view savepoint);
  // Runs statements that do not depend on each other, each as Run would and
  // on its own: a refused one does not keep the others from running (inside
  // a transaction the engine's own rule for a failed statement holds). Each
  // result or error comes back in its place; a lost connection raises. This
  // one runs them one by one; the server driver sends them all before
  // reading any answer.
  virtual std::vector<PipelinedResult> RunPipelined(const std::vector<BatchStatement>& statements);
  // RunPipelined of `lead` followed by `statements`, without copying them
  // into one list: the first result is lead's.
  virtual std::vector<PipelinedResult> RunPipelinedAfter(
      const BatchStatement& lead, const std::vector<BatchStatement>& statements) {
    std::vector<BatchStatement> all;
    all.reserve(statements.size() + 1);
    all.push_back(lead);
    all.insert(all.end(), statements.begin(), statements.end());
    return RunPipelined(all);
  }
  // ExecuteIsolated inside a transaction whose BEGIN goes first (`begin`;
  // otherwise the transaction is open already) and whose COMMIT follows the
  // last statement when every one was written (`commit`). `committed` tells
  // whether the COMMIT ran and `commitError` holds its failure (the
  // transaction is then over). This one sends the BEGIN on its own and never
  // commits; the server driver sends both with the batch.
  virtual BatchOutcome ExecuteIsolatedInTransaction(const std::vector<BatchStatement>& batch,
                                                    std::string_view savepoint, bool begin,
                                                    bool commit, bool& committed,
                                                    std::exception_ptr& commitError);
  // Whether the engine still answers (PostgreSQL: the socket is alive).
  virtual bool Alive() = 0;
};

// UTF-8 of a text; the same bytes as rtl::StringToUtf8, quicker for ASCII.
std::string ToUtf8(StringView text);

// Both raise EDatabaseError with the engine's message on failure.
std::unique_ptr<DriverConnection> ConnectSQLite(const ConnectSettings& settings);
std::unique_ptr<DriverConnection> ConnectPostgreSQL(const ConnectSettings& settings);

// Replaces every occurrence of a non-empty secret in a message.
String HideSecret(String message, StringView secret);

}  // namespace dac

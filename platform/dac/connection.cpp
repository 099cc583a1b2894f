#include "platform/dac/connection.h"

#include "platform/dac/aliases.h"
#include "platform/dac/errors.h"
#include "platform/db/dbtypes.h"
#include "platform/rtl/format.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

#include <utility>

namespace dac {
namespace {

// Marks the calling thread as the one inside the connection for a call.
class UseScope {
 public:
  UseScope(std::recursive_mutex& m, const rtl::TComponent* owner) : m_(m) {
    if (!m_.try_lock()) {
      String name = owner->Name().empty() ? String(u"connection") : owner->Name();
      RaiseDatabaseError(name + u" is in use by another thread");
    }
  }
  ~UseScope() { m_.unlock(); }
  UseScope(const UseScope&) = delete;
  UseScope& operator=(const UseScope&) = delete;

 private:
  std::recursive_mutex& m_;
};

bool isTrue(StringView v) {
  String t = rtl::Trim(v);
  return t == u"1" || rtl::SameText(t, u"true") || rtl::SameText(t, u"yes");
}

}  // namespace

BindValue BindVariant(const rtl::Variant& value) {
  rtl::TVarType t = rtl::VarType(value) & rtl::varTypeMask;
  switch (t) {
    case rtl::varEmpty:
    case rtl::varNull: return BindValue::Null();
    case rtl::varBoolean: return BindValue::Bool(value.AsBoolean());
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varShortInt:
    case rtl::varByte:
    case rtl::varWord:
    case rtl::varLongWord:
    case rtl::varInt64:
    case rtl::varUInt64: return BindValue::Integer(value.AsInt64());
    case rtl::varSingle:
    case rtl::varDouble:
    case rtl::varCurrency: return BindValue::Real(value.AsDouble());
    case rtl::varDate: return BindValue::DateTime(value.AsDateTime());
    case rtl::varString: return BindValue::Blob(value.AsAnsiString());
    default:
      if (rtl::VarIsSQLTimeStamp(value)) return BindValue::DateTime(rtl::VarToDateTime(value));
      if (rtl::VarIsFloat(value)) return BindValue::Real(value.AsDouble());
      return BindValue::Text(rtl::VarToStr(value));
  }
}

TConnection::TConnection(rtl::TComponent* owner)
    : rtl::TComponent(owner), params_(std::make_unique<rtl::TStringList>()) {}

TConnection::~TConnection() {
  try {
    Close();
  } catch (...) {
    // Closing never fails in a way the destructor could report.
  }
}

void TConnection::SetParams(const rtl::TStrings& value) {
  params_->Assign(const_cast<rtl::TStrings*>(&value));
}

void TConnection::SetDriverName(const String& value) {
  if (Connected()) RaiseDatabaseError(u"Cannot change the driver of an open connection");
  driverName_ = value;
}

ConnectSettings TConnection::ResolveSettings() const {
  ConnectSettings s;
  s.Alias = params_->Values(u"DATABASE");
  s.UserName = params_->Values(u"USER_NAME");
  s.Password = params_->Values(u"PASSWORD");
  if (driverName_.empty()) {
    const String file = DatabasesFile();
    TDatabaseAlias alias = TDatabasesFile(file).Alias(s.Alias);
    // A mistyped alias would otherwise become a new, empty embedded database.
    if (!file.empty() && !alias.Listed)
      RaiseDatabaseError(u"Database alias '" + s.Alias + u"' is not defined in " + file);
    s.Driver = alias.Driver;
    s.Directory = alias.Directory;
    s.Demo = alias.Demo;
    s.Host = alias.Host;
    s.Port = alias.Port;
    s.DbName = alias.DbName;
    return s;
  }
  if (rtl::SameText(driverName_, u"SQLite")) {
    s.Driver = DriverKind::SQLite;
    s.Directory = params_->Values(u"Directory");
    if (s.Directory.empty()) s.Directory = EmbeddedDatabaseDir(s.Alias);
    s.Demo = isTrue(params_->Values(u"Demo"));
  } else if (rtl::SameText(driverName_, u"PG") || rtl::SameText(driverName_, u"PostgreSQL")) {
    s.Driver = DriverKind::PostgreSQL;
    s.Host = params_->Values(u"Host");
    s.Port = params_->Values(u"Port");
    s.DbName = params_->Values(u"DbName");
  } else {
    RaiseDatabaseError(u"Unknown driver '" + driverName_ + u"'");
  }
  return s;
}

DriverKind TConnection::Driver() const {
  if (driver_) return driver_->Kind();
  return ResolveSettings().Driver;
}

PlaceholderStyle TConnection::Placeholders() const {
  return Driver() == DriverKind::PostgreSQL ? PlaceholderStyle::DollarNumber
                                            : PlaceholderStyle::QuestionNumber;
}

void TConnection::SetConnected(bool value) {
  if (value)
    Open();
  else
    Close();
}

void TConnection::Open() {
  if (Connected()) return;
  UseScope use(use_, this);
  if (BeforeConnect) BeforeConnect(this);
  ConnectSettings settings = ResolveSettings();
  try {
    driver_ = settings.Driver == DriverKind::PostgreSQL ? ConnectPostgreSQL(settings)
                                                        : ConnectSQLite(settings);
  } catch (db::EDatabaseError& e) {
    e.SetMessage(HideSecret(e.Message(), settings.Password));
    throw;
  }
  transactionLevel_ = 0;
  beginWithBatch_ = false;
  // A failing after-connect handler fails the connect.
  rtl::ScopeExit disconnect([this] {
    driver_.reset();
    transactionLevel_ = 0;
  });
  if (AfterConnect) AfterConnect(this);
  disconnect.Release();
}

void TConnection::Close() {
  if (!Connected()) return;
  UseScope use(use_, this);
  if (BeforeDisconnect) BeforeDisconnect(this);
  if (transactionLevel_ > 0 && !std::exchange(beginWithBatch_, false)) {
    try {
      driver_->ExecScript(u"ROLLBACK");
    } catch (...) {
      // The link may be gone already; closing ends the transaction anyway.
    }
  }
  driver_.reset();
  transactionLevel_ = 0;
  settleEarlyCommit();
  if (AfterDisconnect) AfterDisconnect(this);
}

void TConnection::checkConnected() const {
  if (!driver_) {
    String name = Name().empty() ? String(u"Connection") : Name();
    RaiseDatabaseError(name + u": not connected");
  }
}

void TConnection::dropLostConnection() {
  if (driver_ && !driver_->Alive()) {
    driver_.reset();
    transactionLevel_ = 0;
    beginWithBatch_ = false;
    settleEarlyCommit();
  }
}

void TConnection::rethrow(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (db::EDatabaseError& e) {
    e.SetMessage(HideSecret(e.Message(), params_->Values(u"PASSWORD")));
    dropLostConnection();
    throw;
  }
}

ResultSet TConnection::Execute(const String& driverSql, const std::vector<BindValue>& params) {
  UseScope use(use_, this);
  checkConnected();
  sendDeferredBegin();
  try {
    return driver_->Execute(driverSql, params);
  } catch (...) {
    rethrow(std::current_exception());
  }
}

ResultSet TConnection::Execute(std::string_view driverSqlUtf8, const std::vector<BindValue>& params) {
  UseScope use(use_, this);
  checkConnected();
  sendDeferredBegin();
  try {
    return driver_->Run(driverSqlUtf8, params);
  } catch (...) {
    rethrow(std::current_exception());
  }
}

BatchOutcome TConnection::ExecuteIsolated(const std::vector<BatchStatement>& batch,
                                          std::string_view savepoint) {
  UseScope use(use_, this);
  checkConnected();
  if (transactionLevel_ == 0) RaiseDatabaseError(u"ExecuteIsolated needs an open transaction");
  BatchOutcome outcome;
  // A deferred BEGIN waits for a batch that sends something.
  if (batch.empty()) return outcome;
  const bool begin = std::exchange(beginWithBatch_, false);
  bool commit = false;
  if (commitWithBatch_ && transactionLevel_ == 1) {
    commitWithBatch_ = false;
    commit = true;
  }
  try {
    if (begin || commit) {
      bool committed = false;
      std::exception_ptr commitError;
      outcome = driver_->ExecuteIsolatedInTransaction(batch, savepoint, begin, commit, committed,
                                                      commitError);
      if (committed) {
        committedEarly_ = true;
        commitError_ = commitError;
        hideSecret(commitError_);
      }
    } else {
      outcome = driver_->ExecuteIsolated(batch, savepoint);
    }
  } catch (...) {
    rethrow(std::current_exception());
  }
  if (outcome.Refused) {
    try {
      std::rethrow_exception(outcome.Refused);
    } catch (db::EDatabaseError& e) {
      e.SetMessage(HideSecret(e.Message(), params_->Values(u"PASSWORD")));
    } catch (...) {
    }
  }
  return outcome;
}

void TConnection::hideSecret(std::exception_ptr error) {
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (db::EDatabaseError& e) {
    e.SetMessage(HideSecret(e.Message(), params_->Values(u"PASSWORD")));
  } catch (...) {
  }
}

std::vector<PipelinedResult> TConnection::RunPipelined(
    const std::vector<BatchStatement>& statements) {
  UseScope use(use_, this);
  checkConnected();
  sendDeferredBegin();
  std::vector<PipelinedResult> results;
  try {
    results = driver_->RunPipelined(statements);
  } catch (...) {
    rethrow(std::current_exception());
  }
  for (PipelinedResult& r : results) hideSecret(r.Error);
  return results;
}

void TConnection::StartTransactionWithNextBatch() {
  UseScope use(use_, this);
  checkConnected();
  settleEarlyCommit();
  if (transactionLevel_ > 0)
    RaiseDatabaseError(u"StartTransactionWithNextBatch needs no open transaction");
  if (driver_->Kind() != DriverKind::PostgreSQL) {
    StartTransaction();
    return;
  }
  beginWithBatch_ = true;
  transactionLevel_ = 1;
}

void TConnection::sendDeferredBegin() {
  if (!beginWithBatch_) return;
  beginWithBatch_ = false;
  try {
    driver_->ExecScript(u"BEGIN");
  } catch (...) {
    transactionLevel_ = 0;
    rethrow(std::current_exception());
  }
}

void TConnection::CommitWithNextBatch() {
  commitWithBatch_ = transactionLevel_ == 1 && driver_ && driver_->Kind() == DriverKind::PostgreSQL;
}

void TConnection::settleEarlyCommit() {
  commitWithBatch_ = false;
  if (!committedEarly_) return;
  committedEarly_ = false;
  commitError_ = nullptr;
  transactionLevel_ = 0;
}

void TConnection::ExecScript(const String& sql) {
  UseScope use(use_, this);
  checkConnected();
  sendDeferredBegin();
  try {
    driver_->ExecScript(sql);
  } catch (...) {
    rethrow(std::current_exception());
  }
}

Int64 TConnection::ExecSQL(const String& sql, const std::vector<rtl::Variant>& params) {
  ParsedSql parsed = ParseSqlParams(sql);
  if (params.size() < parsed.Names.size())
    RaiseDatabaseError(rtl::Format(u"Statement needs %d parameters, %d given",
                                   {static_cast<int>(parsed.Names.size()),
                                    static_cast<int>(params.size())}));
  std::vector<BindValue> binds;
  for (std::size_t i = 0; i < parsed.Names.size(); ++i) binds.push_back(BindVariant(params[i]));
  return Execute(RewriteSqlParams(sql, parsed, Placeholders()), binds).RowsAffected;
}

void TConnection::StartTransaction() {
  UseScope use(use_, this);
  checkConnected();
  settleEarlyCommit();
  if (transactionLevel_ == 0) {
    try {
      driver_->Begin();
    } catch (...) {
      rethrow(std::current_exception());
    }
  } else {
    ExecScript(u"SAVEPOINT sp_" + rtl::IntToStr(transactionLevel_));
  }
  ++transactionLevel_;
}

void TConnection::Commit() {
  if (transactionLevel_ == 0 || !driver_) return;
  UseScope use(use_, this);
  commitWithBatch_ = false;
  if (committedEarly_) {
    std::exception_ptr error = commitError_;
    settleEarlyCommit();
    if (error) std::rethrow_exception(error);
    return;
  }
  if (std::exchange(beginWithBatch_, false)) {
    // Nothing ran in the transaction: there is nothing to commit.
    transactionLevel_ = 0;
    return;
  }
  bool pg = driver_->Kind() == DriverKind::PostgreSQL;
  if (transactionLevel_ > 1) {
    String sp = u"sp_" + rtl::IntToStr(transactionLevel_ - 1);
    ExecScript(pg ? u"RELEASE SAVEPOINT " + sp : u"RELEASE " + sp);
    --transactionLevel_;
    return;
  }
  // The server ends a transaction whose COMMIT fails; SQLite keeps it open
  // (a busy COMMIT) so that the caller can still roll it back.
  rtl::ScopeExit ended([&] {
    if (pg || !driver_) transactionLevel_ = 0;
  });
  ExecScript(u"COMMIT");
  ended.Release();
  transactionLevel_ = 0;
}

void TConnection::Rollback() {
  if (transactionLevel_ == 0 || !driver_) return;
  UseScope use(use_, this);
  commitWithBatch_ = false;
  if (committedEarly_) {
    // The transaction ended with its batch; there is nothing left to undo.
    settleEarlyCommit();
    return;
  }
  if (std::exchange(beginWithBatch_, false)) {
    transactionLevel_ = 0;
    return;
  }
  bool pg = driver_->Kind() == DriverKind::PostgreSQL;
  if (transactionLevel_ > 1) {
    String sp = u"sp_" + rtl::IntToStr(transactionLevel_ - 1);
    ExecScript(pg ? u"ROLLBACK TO SAVEPOINT " + sp : u"ROLLBACK TO " + sp + u"; RELEASE " + sp);
    --transactionLevel_;
    return;
  }
  transactionLevel_ = 0;
  ExecScript(u"ROLLBACK");
}

void TConnection::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  rtl::TComponent::Notification(component, operation);
}

}  // namespace dac

#pragma once
// TConnection: a connection to the ERP's database through one of the two
// drivers. Its Params are the login's name=value lines ("DATABASE" is an
// alias resolved through databases.ini, "USER_NAME", "PASSWORD", the carrier
// "DEFAULT COMPANY" and driver entries); there is never a login prompt.
// A connection is used by one thread at a time: it may be opened on one
// thread and handed to another, but two threads inside it at once is an
// error.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dac/driver.h"
#include "platform/dac/sql_params.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/variant.h"

namespace dac {

class TConnection : public rtl::TComponent {
  RTL_CLASS(TConnection, rtl::TComponent)

 public:
  explicit TConnection(rtl::TComponent* owner);
  ~TConnection() override;

  rtl::TStrings& Params() { return *params_; }
  const rtl::TStrings& Params() const { return *params_; }
  void SetParams(const rtl::TStrings& value);

  // "SQLite" or "PG" to give the driver and its settings ("Directory",
  // "Demo", "Host", "Port", "DbName") in Params; empty (the default) to
  // resolve "DATABASE" through the alias file.
  const String& DriverName() const { return driverName_; }
  void SetDriverName(const String& value);
  // The driver a connect would use (resolving the alias when needed).
  DriverKind Driver() const;
  // The settings a connect would use; the password included.
  ConnectSettings ResolveSettings() const;

  bool LoginPrompt() const { return false; }
  void SetLoginPrompt(bool) {}  // there is no interactive login

  bool Connected() const { return driver_ != nullptr; }
  void SetConnected(bool value);
  void Open();
  void Close();

  rtl::TNotifyEvent BeforeConnect;
  rtl::TNotifyEvent AfterConnect;
  rtl::TNotifyEvent BeforeDisconnect;
  rtl::TNotifyEvent AfterDisconnect;

  // The first start begins a transaction; a start inside it sets a savepoint
  // that the matching Commit releases and Rollback returns to. Commit and
  // Rollback with none active do nothing.
  void StartTransaction();
  void Commit();
  void Rollback();
  // Begins a transaction (none may be open) whose BEGIN the server driver
  // sends with the next ExecuteIsolated, in its round trip; anything else
  // run before that sends the BEGIN first. A Commit or Rollback with nothing
  // run since sends nothing. Other drivers begin at once.
  void StartTransactionWithNextBatch();
  // For the last write of a transaction: lets its COMMIT travel with the next
  // ExecuteIsolated when the driver can (PostgreSQL) and that batch is
  // written whole. The Commit() that follows then only reports how the
  // COMMIT went; nothing may run between the two. Otherwise Commit()
  // commits as usual.
  void CommitWithNextBatch();
  bool InTransaction() const { return transactionLevel_ > 0; }
  int TransactionLevel() const { return transactionLevel_; }

  // Runs one statement with `:name` parameters bound in order of first use;
  // returns the rows it changed.
  Int64 ExecSQL(const String& sql, const std::vector<rtl::Variant>& params = {});

  // --- for queries -----------------------------------------------------------
  // Runs a statement whose parameters are already rewritten for the driver.
  ResultSet Execute(const String& driverSql, const std::vector<BindValue>& params);
  // The same with the statement's text already in UTF-8 (statements run
  // many times keep it so).
  ResultSet Execute(std::string_view driverSqlUtf8, const std::vector<BindValue>& params);
  // Writes statements each in a savepoint of its own, stopping at the first
  // refused one, as DriverConnection::ExecuteIsolated. Needs a transaction.
  BatchOutcome ExecuteIsolated(const std::vector<BatchStatement>& batch, std::string_view savepoint);
  // Runs statements that do not depend on each other, as
  // DriverConnection::RunPipelined: each result or error (an EDatabaseError)
  // comes back in its place; a lost connection raises. Texts in the driver's
  // placeholder form, UTF-8.
  std::vector<PipelinedResult> RunPipelined(const std::vector<BatchStatement>& statements);
  // Transaction control and scripts, no parameters.
  void ExecScript(const String& sql);
  // The placeholder form the driver reads.
  PlaceholderStyle Placeholders() const;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  void checkConnected() const;
  [[noreturn]] void rethrow(std::exception_ptr error);
  void dropLostConnection();
  void hideSecret(std::exception_ptr error);
  // Ends the state a COMMIT sent with a batch left.
  void settleEarlyCommit();

  std::unique_ptr<rtl::TStringList> params_;
  String driverName_;
  std::unique_ptr<DriverConnection> driver_;
  int transactionLevel_ = 0;
  // Sends a BEGIN StartTransactionWithNextBatch left for later.
  void sendDeferredBegin();

  bool beginWithBatch_ = false;    // the open transaction's BEGIN is not sent yet
  bool commitWithBatch_ = false;   // CommitWithNextBatch was asked for
  bool committedEarly_ = false;    // the COMMIT went with a batch
  std::exception_ptr commitError_; // how it failed
  std::recursive_mutex use_;  // held by the thread inside the connection
};

// A value given to ExecSQL or a parameter, as the driver binds it.
BindValue BindVariant(const rtl::Variant& value);

}  // namespace dac

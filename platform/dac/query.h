#pragma once
// TQuery: a statement with `:name` parameters on a TConnection. Open fetches
// every row into memory and finishes the statement at once, so no cursor
// stays open on the connection. With CachedUpdates, appended, edited and
// deleted rows wait in the cache until ApplyUpdates writes them to
// UpdateTableName with generated INSERT, UPDATE and DELETE statements.
#include <memory>

#include "platform/dac/connection.h"
#include "platform/db/dataset.h"
#include "platform/db/params.h"

namespace dac {

enum class TUpdateRequest { arInsert, arUpdate, arDelete };
using enum TUpdateRequest;

// What an update-error handler answers for a refused row: stop (the row
// stays in the cache and counts toward the error limit), skip it and go on,
// write it again, or treat it as written.
enum class TUpdateAction { eaFail, eaSkip, eaRetry, eaApplied, eaDefault };
using enum TUpdateAction;

class TQuery;
class RowWriter;
using TUpdateErrorEvent =
    rtl::Method<void(db::TDataSet* sender, db::EDatabaseError& error, const db::TMemRecord* row,
                     TUpdateRequest request, TUpdateAction& action)>;

class TQuery : public db::TCustomMemDataSet {
  RTL_CLASS(TQuery, db::TCustomMemDataSet)

 public:
  explicit TQuery(rtl::TComponent* owner);
  ~TQuery() override;

  TConnection* Connection() const { return connection_; }
  void SetConnection(TConnection* value);

  // Changing the text closes the query and scans it for parameters again;
  // parameters keeping their name keep their value and type.
  rtl::TStrings& SQL() { return *sql_; }
  const rtl::TStrings& SQL() const { return *sql_; }

  db::TParams* Params() const { return params_.get(); }
  db::TParams* GetParams() const override { return params_.get(); }
  db::TParam* ParamByName(StringView name) const { return params_->ParamByName(name); }

  // Runs the statement for its effect; rows it returns are dropped.
  // Queries that choose their text late put it in place here and in OpenData.
  virtual void ExecSQL();
  // Rows changed by the last ExecSQL.
  Int64 RowsAffected() const { return rowsAffected_; }

  // Rows fetched per round trip in the original driver. Every row is
  // fetched at Open here, so this is only a hint kept for callers.
  int RowsetSize() const { return rowsetSize_; }
  void SetRowsetSize(int value) { rowsetSize_ = value; }

  // --- writing rows
  // The table written by posts and applied updates ("schema.table").
  const String& UpdateTableName() const { return updateTableName_; }
  void SetUpdateTableName(const String& value) { updateTableName_ = value; }
  // ";"-separated fields naming a row in UPDATE and DELETE; empty: every
  // field but blobs and memos, with its value before the change.
  const String& KeyFields() const { return keyFields_; }
  void SetKeyFields(const String& value) { keyFields_ = value; }

  // Writes the cached changes in order, each row in a savepoint of its own
  // on PostgreSQL (inside a transaction started here when none is open).
  // A refused row goes to OnUpdateError (default answer eaFail). Returns the
  // number of rows not written. `maxErrors` < 0 sets no limit; otherwise the
  // apply stops once more than `maxErrors` rows failed.
  int ApplyUpdates(int maxErrors = -1);
  const TUpdateErrorEvent& OnUpdateError() const { return onUpdateError_; }
  void SetOnUpdateError(const TUpdateErrorEvent& value) { onUpdateError_ = value; }

  // The statement text the driver runs (parameters rewritten).
  String DriverSQL() const;

 protected:
  void OpenData() override;
  void CloseData() override;
  void WriteRecord(db::TUpdateStatus status, const db::TMemRecord& record,
                   std::vector<rtl::Variant>& newValues) override;
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  void sqlChanged(rtl::TObject* sender);
  void checkConnection() const;
  std::vector<BindValue> bindParams() const;
  ResultSet run();
  // The writer for the current field definitions and target, kept while the
  // query stays open so that its statement texts are built once.
  RowWriter& writer();
  // Writes one row; raises EDatabaseError when the database refuses it.
  void writeRow(RowWriter& writer, db::TUpdateStatus status,
                const std::vector<rtl::Variant>& original, const std::vector<rtl::Variant>& values);

  TConnection* connection_ = nullptr;
  std::unique_ptr<rtl::TStringList> sql_;
  std::unique_ptr<db::TParams> params_;
  ParsedSql parsed_;
  // The text the driver runs, in UTF-8, made once per text and placeholder
  // form.
  std::string driverSql_;
  PlaceholderStyle driverSqlStyle_ = PlaceholderStyle::QuestionNumber;
  bool driverSqlValid_ = false;
  std::unique_ptr<RowWriter> writer_;
  std::vector<BindValue> rowBinds_;  // reused by writeRow
  unsigned layoutGeneration_ = 0;  // counts opens and closes
  Int64 rowsAffected_ = 0;
  int rowsetSize_ = 300;
  String updateTableName_;
  String keyFields_;
  TUpdateErrorEvent onUpdateError_;
};

// Maps a result column to the field type the dataset makes for it.
db::TFieldType FieldTypeOf(ColumnType type);
// Binds a parameter by its declared type (by its value's type when it has none).
BindValue BindParam(const db::TParam& param);

}  // namespace dac

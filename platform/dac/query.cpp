#include "platform/dac/query.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/dac/errors.h"
#include "platform/db/field.h"
#include "platform/rtl/format.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace dac {
namespace {

String quoteIdent(StringView name) {
  String out = u"\"";
  for (rtl::Char c : name) {
    if (c == u'"') out += u'"';
    out += c;
  }
  out += u'"';
  return out;
}

// "schema.table" -> "schema"."table".
String quoteTable(StringView name) {
  String out;
  std::size_t start = 0;
  while (true) {
    std::size_t dot = name.find(u'.', start);
    StringView part = name.substr(start, dot == StringView::npos ? StringView::npos : dot - start);
    if (!out.empty()) out += u'.';
    out += quoteIdent(rtl::Trim(part));
    if (dot == StringView::npos) break;
    start = dot + 1;
  }
  return out;
}

bool isBlobType(db::TFieldType t) {
  using enum db::TFieldType;
  return t == ftBlob || t == ftMemo || t == ftWideMemo || t == ftGraphic || t == ftFmtMemo ||
         t == ftOraBlob || t == ftOraClob;
}

BindValue bindField(db::TFieldType type, const rtl::Variant& v) {
  using enum db::TFieldType;
  if (rtl::VarIsNull(v) || rtl::VarIsEmpty(v)) return BindValue::Null();
  switch (type) {
    case ftDate: return BindValue::Date(rtl::VarToDateTime(v));
    case ftTime: return BindValue::Time(rtl::VarToDateTime(v));
    case ftDateTime:
    case ftTimeStamp: return BindValue::DateTime(rtl::VarToDateTime(v));
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo: {
      // Stored text binds without a copy of its own.
      if (const String* text = v.StringPtr()) return BindValue::Text(*text);
      return BindValue::Text(rtl::VarToStr(v));
    }
    default: return BindVariant(v);
  }
}

bool isDateType(db::TFieldType t) {
  using enum db::TFieldType;
  return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}

bool isTextType(db::TFieldType t) {
  using enum db::TFieldType;
  return t == ftString || t == ftWideString || t == ftFixedChar || t == ftFixedWideChar ||
         t == ftMemo || t == ftWideMemo;
}

// Sets binds[used] (added when the vector is that short) to the value
// bindField makes unless it is NULL, answering whether it did. A row's
// values reuse the last row's: text goes straight into the bytes they hold,
// with no String copy and no temporary values moved along.
[[gnu::always_inline]] inline BindValue& nextBind(std::vector<BindValue>& binds, std::size_t& used) {
  return used < binds.size() ? binds[used++] : (++used, binds.emplace_back());
}

bool appendBind(db::TFieldType type, const rtl::Variant& v, std::vector<BindValue>& binds,
                std::size_t& used) {
  if (isTextType(type)) {
    if (const String* text = v.StringPtr()) {
      if (text->empty()) return false;  // BindValue::Text binds it NULL
      BindValue& b = nextBind(binds, used);
      b.Type = BindValue::Kind::Text;
      const std::size_t n = text->size();
      b.Bytes.resize(n);
      char* out = b.Bytes.data();
      for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = (*text)[i];
        if (c >= 0x80) {
          b.Bytes = ToUtf8(*text);
          break;
        }
        out[i] = static_cast<char>(c);
      }
      return true;
    }
  } else if (!isDateType(type)) {
    // What BindVariant makes of the stored numbers, without the detour.
    const rtl::TVarType vt = v.Type();
    if (vt == rtl::varInt64 || vt == rtl::varInteger) {
      BindValue& b = nextBind(binds, used);
      b.Type = BindValue::Kind::Integer;
      b.Int = v.AsInt64();
      return true;
    }
    if (vt == rtl::varDouble) {
      BindValue& b = nextBind(binds, used);
      b.Type = BindValue::Kind::Float;
      b.Float = v.AsDouble();
      return true;
    }
  }
  BindValue b = bindField(type, v);
  if (b.Type == BindValue::Kind::Null) return false;
  nextBind(binds, used) = std::move(b);
  return true;
}

}  // namespace

db::TFieldType FieldTypeOf(ColumnType type) {
  using enum db::TFieldType;
  switch (type) {
    case ColumnType::SmallInt: return ftSmallint;
    case ColumnType::Integer: return ftInteger;
    case ColumnType::LargeInt: return ftLargeint;
    case ColumnType::Float: return ftFloat;
    case ColumnType::Boolean: return ftBoolean;
    case ColumnType::Date: return ftDate;
    case ColumnType::Time: return ftTime;
    case ColumnType::DateTime: return ftDateTime;
    case ColumnType::String: return ftWideString;
    case ColumnType::Memo: return ftWideMemo;
    case ColumnType::Blob: return ftBlob;
  }
  return ftWideString;
}

BindValue BindParam(const db::TParam& p) {
  using enum db::TFieldType;
  if (p.IsNull()) return BindValue::Null();
  switch (p.DataType()) {
    case ftUnknown: return BindVariant(p.Value());
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo: return BindValue::Text(p.AsString());
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
    case ftShortint:
    case ftByte:
    case ftLongWord: return BindValue::Integer(p.AsLargeInt());
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftSingle:
    case ftExtended: return BindValue::Real(p.AsFloat());
    case ftBoolean: return BindValue::Bool(p.AsBoolean());
    case ftDate: return BindValue::Date(p.AsDateTime());
    case ftTime: return BindValue::Time(p.AsDateTime());
    case ftDateTime:
    case ftTimeStamp: return BindValue::DateTime(p.AsDateTime());
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftGraphic:
    case ftOraBlob: return BindValue::Blob(p.AsBytes());
    default: return BindVariant(p.Value());
  }
}

// The statements that write cached rows to one table. An INSERT names only
// the fields given a value, so that column defaults apply; its text for each
// set of given fields is made once and kept in UTF-8 for the driver.
class RowWriter {
 public:
  RowWriter(db::TFieldDefs* defs, const String& table, const String& keyFields,
            PlaceholderStyle style)
      : defs_(defs), tableName_(table), table_(quoteTable(table)), keyFields_(keyFields),
        dollar_(style == PlaceholderStyle::DollarNumber) {
    for (int i = 0; i < defs->Count(); ++i) types_.push_back(defs->Items(i)->DataType());
  }

  // Whether it writes what a writer made with these would.
  bool Serves(db::TFieldDefs* defs, const String& table, const String& keyFields,
              PlaceholderStyle style) const {
    return defs == defs_ && table == tableName_ && keyFields == keyFields_ &&
           dollar_ == (style == PlaceholderStyle::DollarNumber) &&
           types_.size() == static_cast<std::size_t>(defs->Count());
  }

  // The statement and its values for one row; false when the row needs none
  // (an edit that changed nothing). The text stays valid while the writer
  // lives for inserts, until the next call for the others.
  bool Build(db::TUpdateStatus status, const std::vector<rtl::Variant>& original,
             const std::vector<rtl::Variant>& values, std::string_view& sql,
             std::vector<BindValue>& binds);

 private:
  String placeholder(std::size_t n) const {
    return (dollar_ ? u"$" : u"?") + rtl::IntToStr(static_cast<Int64>(n));
  }
  String whereClause(const std::vector<rtl::Variant>& original, std::vector<BindValue>& binds) const;

  db::TFieldDefs* defs_;
  String tableName_;
  String table_;
  String keyFields_;
  bool dollar_;
  std::vector<db::TFieldType> types_;
  std::string mask_;
  std::unordered_map<std::string, std::string> inserts_;
  // The text of the last insert and its mask (map nodes stay put).
  std::string lastMask_;
  const std::string* lastInsert_ = nullptr;
  std::string other_;
};

String RowWriter::whereClause(const std::vector<rtl::Variant>& original,
                              std::vector<BindValue>& binds) const {
  const int count = defs_->Count();
  std::vector<int> keys;
  if (!keyFields_.empty()) {
    std::size_t start = 0;
    while (start <= keyFields_.size()) {
      std::size_t semi = keyFields_.find(u';', start);
      String name = rtl::Trim(StringView(keyFields_).substr(
          start, semi == String::npos ? String::npos : semi - start));
      if (!name.empty()) keys.push_back(defs_->Find(name)->Index());
      if (semi == String::npos) break;
      start = semi + 1;
    }
  } else {
    for (int i = 0; i < count; ++i)
      if (!isBlobType(defs_->Items(i)->DataType())) keys.push_back(i);
  }
  String where;
  for (int i : keys) {
    db::TFieldDef* def = defs_->Items(i);
    const rtl::Variant& v = original[static_cast<std::size_t>(i)];
    if (!where.empty()) where += u" AND ";
    BindValue b = bindField(def->DataType(), v);
    if (b.Type == BindValue::Kind::Null) {
      where += quoteIdent(def->Name()) + u" IS NULL";
    } else {
      binds.push_back(std::move(b));
      where += quoteIdent(def->Name()) + u" = " + placeholder(binds.size());
    }
  }
  return where;
}

bool RowWriter::Build(db::TUpdateStatus status, const std::vector<rtl::Variant>& original,
                      const std::vector<rtl::Variant>& values, std::string_view& sql,
                      std::vector<BindValue>& binds) {
  const int count = defs_->Count();
  if (status == db::usInserted) {
    if (types_.size() != static_cast<std::size_t>(count)) {
      types_.clear();
      inserts_.clear();
      lastInsert_ = nullptr;
      for (int i = 0; i < count; ++i) types_.push_back(defs_->Items(i)->DataType());
    }
    // Every character is written below: the size is all that needs setting.
    mask_.resize(static_cast<std::size_t>(count));
    std::size_t used = 0;
    for (int i = 0; i < count; ++i) {
      const std::size_t k = static_cast<std::size_t>(i);
      mask_[k] = appendBind(types_[k], values[k], binds, used) ? '1' : '0';
    }
    if (binds.size() > used) binds.resize(used);
    // Rows of a batch mostly give the same fields a value.
    if (lastInsert_ && mask_ == lastMask_) {
      sql = *lastInsert_;
      return true;
    }
    auto found = inserts_.find(mask_);
    if (found == inserts_.end()) {
      String columns, marks, text;
      std::size_t n = 0;
      for (int i = 0; i < count; ++i) {
        if (mask_[static_cast<std::size_t>(i)] != '1') continue;
        if (n++ > 0) {
          columns += u", ";
          marks += u", ";
        }
        columns += quoteIdent(defs_->Items(i)->Name());
        marks += placeholder(n);
      }
      if (columns.empty())
        text = u"INSERT INTO " + table_ + u" DEFAULT VALUES";
      else
        text = u"INSERT INTO " + table_ + u" (" + columns + u") VALUES (" + marks + u")";
      found = inserts_.emplace(mask_, ToUtf8(text)).first;
    }
    lastMask_ = mask_;
    lastInsert_ = &found->second;
    sql = found->second;
    return true;
  }
  binds.clear();
  String text;
  if (status == db::usModified) {
    String sets;
    for (int i = 0; i < count; ++i) {
      db::TFieldDef* def = defs_->Items(i);
      const rtl::Variant& before = original[static_cast<std::size_t>(i)];
      const rtl::Variant& after = values[static_cast<std::size_t>(i)];
      bool same = rtl::VarIsNull(before) == rtl::VarIsNull(after) &&
                  (rtl::VarIsNull(before) || rtl::VarSameValue(before, after));
      if (same) continue;
      binds.push_back(bindField(def->DataType(), after));
      if (!sets.empty()) sets += u", ";
      sets += quoteIdent(def->Name()) + u" = " + placeholder(binds.size());
    }
    if (sets.empty()) return false;
    text = u"UPDATE " + table_ + u" SET " + sets;
    String where = whereClause(original, binds);
    if (!where.empty()) text += u" WHERE " + where;
  } else if (status == db::usDeleted) {
    text = u"DELETE FROM " + table_;
    String where = whereClause(original, binds);
    if (!where.empty()) text += u" WHERE " + where;
  } else {
    return false;
  }
  other_ = ToUtf8(text);
  sql = other_;
  return true;
}

TQuery::TQuery(rtl::TComponent* owner)
    : db::TCustomMemDataSet(owner),
      sql_(std::make_unique<rtl::TStringList>()),
      params_(std::make_unique<db::TParams>(this)) {
  sql_->SetOnChange(rtl::TNotifyEvent::bind<&TQuery::sqlChanged>(this));
  // Text written into number and date fields and parameters reads as the
  // ERP's users write it.
  rtl::TFormatSettings ptBR = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  SetFormatSettings(ptBR);
  params_->SetFormatSettings(ptBR);
}

TQuery::~TQuery() {
  try {
    Close();
  } catch (...) {
    // Closing a query only drops memory.
  }
  SetConnection(nullptr);
}

void TQuery::SetConnection(TConnection* value) {
  if (value == connection_) return;
  if (connection_) connection_->RemoveFreeNotification(this);
  connection_ = value;
  if (connection_) connection_->FreeNotification(this);
}

void TQuery::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  db::TCustomMemDataSet::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && component == connection_) connection_ = nullptr;
}

void TQuery::sqlChanged(rtl::TObject*) {
  if (Active()) Close();
  driverSqlValid_ = false;
  parsed_ = ParseSqlParams(sql_->Text());
  // Keep the parameters whose names stay, in the new order of first use.
  std::vector<db::TParam*> kept;
  for (const String& name : parsed_.Names) kept.push_back(params_->FindParam(name));
  db::TParams fresh;
  for (std::size_t i = 0; i < parsed_.Names.size(); ++i) {
    db::TParam* p = fresh.AddParameter();
    if (kept[i]) p->Assign(kept[i]);
    p->SetName(parsed_.Names[i]);
    if (!kept[i]) p->SetParamType(db::ptInput);
  }
  params_->Clear();
  for (int i = 0; i < fresh.Count(); ++i) {
    db::TParam* p = params_->AddParameter();
    p->Assign(fresh.Items(i));
  }
}

void TQuery::checkConnection() const {
  if (!connection_) db::DatabaseError(u"No connection assigned", this);
}

String TQuery::DriverSQL() const {
  checkConnection();
  return RewriteSqlParams(sql_->Text(), parsed_, connection_->Placeholders());
}

std::vector<BindValue> TQuery::bindParams() const {
  std::vector<BindValue> binds;
  binds.reserve(parsed_.Names.size());
  // The list is normally the one sqlChanged made, in the statement's order
  // and with its names (unique ignoring case): then parameter i is the one
  // named i, found without a search.
  bool inOrder = params_->Count() == static_cast<int>(parsed_.Names.size());
  for (std::size_t i = 0; inOrder && i < parsed_.Names.size(); ++i)
    inOrder = params_->Items(static_cast<int>(i))->Name() == parsed_.Names[i];
  for (std::size_t i = 0; i < parsed_.Names.size(); ++i) {
    const String& name = parsed_.Names[i];
    db::TParam* p = inOrder ? params_->Items(static_cast<int>(i)) : params_->ParamByName(name);
    // A parameter given a type but no value binds NULL; one with neither
    // was most likely forgotten.
    if (!p->Bound() && p->IsNull() && p->DataType() == db::ftUnknown)
      db::DatabaseError(u"No value for parameter '" + name + u"'", this);
    binds.push_back(BindParam(*p));
  }
  return binds;
}

ResultSet TQuery::run() {
  checkConnection();
  if (!connection_->Connected()) connection_->Open();
  const PlaceholderStyle style = connection_->Placeholders();
  if (!driverSqlValid_ || driverSqlStyle_ != style) {
    driverSql_ = ToUtf8(RewriteSqlParams(sql_->Text(), parsed_, style));
    driverSqlStyle_ = style;
    driverSqlValid_ = true;
  }
  return connection_->Execute(std::string_view(driverSql_), bindParams());
}

void TQuery::ExecSQL() {
  if (Active()) {
    CheckBrowseMode();
    Close();
  }
  rowsAffected_ = 0;
  rowsAffected_ = run().RowsAffected;
}

void TQuery::OpenData() {
  ResultSet result = run();
  if (result.Columns.empty()) db::DatabaseError(u"The statement returns no rows", this);
  db::TFieldDefs* defs = FieldDefs();
  defs->Clear();
  writer_.reset();
  ++layoutGeneration_;
  for (std::size_t i = 0; i < result.Columns.size(); ++i) {
    const ColumnDesc& col = result.Columns[i];
    // Two columns of one name (a join) or an unnamed one still get a field.
    String name = col.Name.empty() ? u"COLUMN" + rtl::IntToStr(static_cast<Int64>(i + 1)) : col.Name;
    String unique = name;
    for (int n = 1; defs->IndexOf(unique) >= 0; ++n) unique = name + u"_" + rtl::IntToStr(n);
    // Add's own checks (a name, not taken) hold already.
    db::TFieldType type = FieldTypeOf(col.Type);
    db::TFieldDef* def = defs->AddFieldDef();
    def->SetName(unique);
    def->SetDataType(type);
    def->SetSize(type == db::ftWideString ? col.Size : 0);
    def->SetRequired(col.Required);
  }
  ReserveRecords(result.Rows.size());
  for (auto& row : result.Rows) AppendLoadedRecord(std::move(row));
}

void TQuery::CloseData() {
  writer_.reset();
  ++layoutGeneration_;
}


namespace {
// Cached inserts handed to the driver at once, each in its own savepoint.
constexpr std::size_t kBatchRows = 1024;
}  // namespace

RowWriter& TQuery::writer() {
  checkConnection();
  if (updateTableName_.empty())
    db::DatabaseError(u"No UpdateTableName to write the changes to", this);
  const PlaceholderStyle style = connection_->Placeholders();
  if (!writer_ || !writer_->Serves(FieldDefs(), updateTableName_, keyFields_, style)) {
    writer_ = std::make_unique<RowWriter>(FieldDefs(), updateTableName_, keyFields_, style);
  }
  return *writer_;
}

void TQuery::writeRow(RowWriter& writer, db::TUpdateStatus status,
                      const std::vector<rtl::Variant>& original,
                      const std::vector<rtl::Variant>& values) {
  std::string_view sql;
  // The values' vector serves row after row; taken, so that a write made
  // from inside this one (an event handler) gets a vector of its own.
  std::vector<BindValue> binds = std::move(rowBinds_);
  if (!writer.Build(status, original, values, sql, binds)) {
    rowBinds_ = std::move(binds);
    return;
  }
  ResultSet r = connection_->Execute(sql, binds);
  rowBinds_ = std::move(binds);
  if (status != db::usInserted && r.RowsAffected == 0)
    db::DatabaseError(u"Update failed: the row was changed or deleted by another user", this);
}

void TQuery::WriteRecord(db::TUpdateStatus status, const db::TMemRecord& record,
                         std::vector<rtl::Variant>& newValues) {
  writeRow(writer(), status, record.Values, newValues);
}

int TQuery::ApplyUpdates(int maxErrors) {
  CheckBrowseMode();
  checkConnection();
  if (!UpdatesPending()) return 0;
  if (!connection_->Connected()) connection_->Open();
  bool ownTransaction = !connection_->InTransaction();
  if (ownTransaction) connection_->StartTransaction();
  bool savepoints = connection_->Driver() == DriverKind::PostgreSQL;
  int errors = 0;
  // The writer is the apply's own while it runs (an error handler may close
  // the query); it is kept for the next one unless the layout changed.
  std::unique_ptr<RowWriter> ownWriter;
  const unsigned generation = layoutGeneration_;
  auto keepWriter = [&] {
    if (ownWriter && !writer_ && generation == layoutGeneration_) writer_ = std::move(ownWriter);
  };
  // On a failure the apply's own transaction is rolled back, after the
  // writer is kept (the guards end in the reverse order).
  rtl::ScopeExit rollback([&] {
    if (!ownTransaction) return;
    try {
      connection_->Rollback();
    } catch (...) {
      // The first error is the one to report.
    }
  });
  rtl::ScopeExit keep([&] { keepWriter(); });
  {
    writer();
    ownWriter = std::move(writer_);
    RowWriter& rows = *ownWriter;
    // CommitUpdate changes only the record it commits, once that record is
    // done with, so the store's records serve as they are. An update-error
    // handler may change the store at will: it gets copies taken before.
    std::vector<const db::TMemRecord*> changes = ChangedRecords();
    std::vector<db::TMemRecord> copies;
    if (onUpdateError_) {
      copies.reserve(changes.size());
      for (const db::TMemRecord*& r : changes) r = &copies.emplace_back(*r);
    }

    // A refused row goes to the handler; false when the apply stops.
    // `rolledBack`: the refused row's savepoint was already returned to.
    bool rolledBack = false;
    auto applyRow = [&](const db::TMemRecord& row, std::exception_ptr refusal) {
      while (true) {
        try {
          if (refusal) std::rethrow_exception(std::exchange(refusal, nullptr));
          if (savepoints) connection_->ExecScript(u"SAVEPOINT apply_row");
          const std::vector<rtl::Variant>& original =
              row.Status == db::usInserted ? row.Values : row.OriginalValues;
          writeRow(rows, row.Status, original, row.Values);
          if (savepoints) connection_->ExecScript(u"RELEASE SAVEPOINT apply_row");
          CommitUpdate(row.Id);
          return true;
        } catch (db::EDatabaseError& e) {
          if (savepoints && connection_->Connected() && !std::exchange(rolledBack, false)) {
            // Keeps the surrounding transaction usable after the refusal.
            connection_->ExecScript(u"ROLLBACK TO SAVEPOINT apply_row");
            connection_->ExecScript(u"RELEASE SAVEPOINT apply_row");
          }
          if (!connection_->Connected()) throw;
          TUpdateAction action = eaFail;
          TUpdateRequest request = row.Status == db::usInserted   ? arInsert
                                   : row.Status == db::usModified ? arUpdate
                                                                  : arDelete;
          if (onUpdateError_) onUpdateError_(this, e, &row, request, action);
          if (action == eaRetry) continue;
          if (action == eaApplied) {
            CommitUpdate(row.Id);
            return true;
          }
          ++errors;
          return !(action != eaSkip && maxErrors >= 0 && errors > maxErrors);
        }
      }
    };

    std::vector<BatchStatement> batch;
    std::size_t i = 0;
    while (i < changes.size()) {
      if (savepoints && changes[i]->Status == db::usInserted) {
        // A run of inserts goes to the server without waiting for each
        // answer; a refused one stops the run where it is.
        batch.clear();
        std::size_t end = i;
        while (end < changes.size() && end - i < kBatchRows &&
               changes[end]->Status == db::usInserted) {
          BatchStatement& statement = batch.emplace_back();
          rows.Build(db::usInserted, changes[end]->Values, changes[end]->Values, statement.Sql,
                     statement.Params);
          ++end;
        }
        BatchOutcome outcome = connection_->ExecuteIsolated(batch, "apply_row");
        for (std::size_t k = 0; k < outcome.Done; ++k) CommitUpdate(changes[i + k]->Id);
        i += outcome.Done;
        if (!outcome.Refused) continue;
        rolledBack = true;
        if (!applyRow(*changes[i++], outcome.Refused)) break;
        continue;
      }
      if (!applyRow(*changes[i++], nullptr)) break;
    }
    if (ownTransaction) connection_->Commit();
  }
  rollback.Release();
  return errors;
}

}  // namespace dac

#include "app/run/sql_dialect.h"

#include "platform/db/dbtypes.h"
#include "platform/db/field.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"

namespace integrador {

rtl::TDateTime FieldDateTime(db::TField* field) {
  if (field->IsNull()) throw rtl::EConvertError(u"'" + field->FieldName() + u"' is null");
  switch (field->DataType()) {
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime:
    case db::ftTimeStamp:
      return field->AsDateTime();
    default:
      break;
  }
  const rtl::String text = field->AsString();
  rtl::TDateTime value = 0;
  for (const char16_t* picture : {u"yyyy-mm-dd hh:nn:ss", u"yyyy-mm-dd hh:nn:ss.zzz", u"yyyy-mm-dd"})
    if (rtl::TryParseDateTime(text, picture, value)) return value;
  static const rtl::TFormatSettings ptBr = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  return rtl::StrToDateTime(text, ptBr);
}

SqlDialect DialectOf(const dac::TConnection& connection) {
  return connection.Driver() == dac::DriverKind::PostgreSQL ? SqlDialect::PostgreSQL
                                                             : SqlDialect::SQLite;
}

TCatalogueQuery::TCatalogueQuery(rtl::TComponent* owner, const rtl::String& statementName)
    : dac::TQuery(owner), statementName_(statementName) {
  // The ERP's server names result columns in capitals; labels show them so.
  SetUpperCaseDisplayLabels(true);
  // The embedded engine's text until the first run puts the connection's in
  // place. An unknown name is a programming error: raise at once.
  SQL().SetText(StatementText(statementName_, SqlDialect::SQLite));
}

void TCatalogueQuery::PrepareText() {
  if (Connection() == nullptr) db::DatabaseError(u"No connection assigned", this);
  const char16_t* text = FindStatement(statementName_)->Text(DialectOf(*Connection()));
  if (text == loadedText_) return;
  SQL().SetText(text);
  loadedText_ = text;
}

void TCatalogueQuery::ExecSQL() {
  PrepareText();
  dac::TQuery::ExecSQL();
}

void TCatalogueQuery::OpenData() {
  PrepareText();
  dac::TQuery::OpenData();
}

}  // namespace integrador

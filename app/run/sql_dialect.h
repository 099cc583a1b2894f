#pragma once
// Which catalogue text a connection runs, and a query that takes its text
// from the catalogue in its connection's dialect.
//
// The main window's connections are closed when its data module is made and
// get their parameters only at the login, so a statement's dialect is known
// only when it runs: TCatalogueQuery puts the text of its connection's dialect
// in place right before each run. Parameters keep their names in every
// dialect, so values bound before that keep their type and value.
#include "app/run/statement_catalogue.h"
#include "platform/dac/connection.h"
#include "platform/dac/query.h"

namespace integrador {

// A date-time column's value: a date-time field as it is, or the text form
// an engine gives ("yyyy-mm-dd hh:nn:ss[.zzz]", "yyyy-mm-dd", else pt-BR).
// EConvertError for NULL or text that is no date-time.
rtl::TDateTime FieldDateTime(db::TField* field);

// The dialect of the engine `connection` reaches (resolving its "DATABASE"
// alias when it is closed).
SqlDialect DialectOf(const dac::TConnection& connection);

class TCatalogueQuery : public dac::TQuery {
  RTL_CLASS(TCatalogueQuery, dac::TQuery)

 public:
  // Until it first runs, SQL holds the embedded engine's text, so that its
  // parameters exist and can be typed and bound.
  TCatalogueQuery(rtl::TComponent* owner, const rtl::String& statementName);

  const rtl::String& StatementName() const { return statementName_; }
  // Puts the text of the connection's dialect in SQL when another one is there.
  void PrepareText();
  // Runs in the connection's dialect.
  void ExecSQL() override;

 protected:
  void OpenData() override;

 private:
  rtl::String statementName_;
  const char16_t* loadedText_ = nullptr;
};

}  // namespace integrador

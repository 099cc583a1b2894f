#include "app/run/statement_catalogue.h"

#include "platform/rtl/except.h"

namespace integrador {

namespace {

const CatalogueStatement kStatements[] = {
#include "app/run/statement_catalogue_table.inc"
};

}  // namespace

const char16_t* CatalogueStatement::Text(SqlDialect dialect) const {
  switch (dialect) {
    case SqlDialect::Oracle:
      return oracle;
    case SqlDialect::SQLite:
      return sqlite;
    case SqlDialect::PostgreSQL:
      return postgresql;
  }
  throw rtl::EArgumentException(u"Dialeto SQL desconhecido.");
}

std::span<const CatalogueStatement> CatalogueStatements() { return kStatements; }

const CatalogueStatement* FindStatement(rtl::StringView name) {
  for (const CatalogueStatement& statement : kStatements) {
    if (name == statement.name) return &statement;
  }
  return nullptr;
}

rtl::String StatementText(rtl::StringView name, SqlDialect dialect) {
  const CatalogueStatement* statement = FindStatement(name);
  if (statement == nullptr) {
    throw rtl::EArgumentException(u"Comando SQL não catalogado: \"" + rtl::String(name) + u"\"");
  }
  return statement->Text(dialect);
}

}  // namespace integrador

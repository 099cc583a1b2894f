#pragma once
// The integrator's statements by name, one text per database dialect.
//
// The texts are written in db/statements.json and generated into
// statement_catalogue_table.inc (cmake/StatementCatalogue.cmake);
// db/check_statements.py runs each of them on SQLite and PostgreSQL.
// Parameters are ":name" in every dialect; values are always bound.
//
// Two data modules have a statement called qryBuscaCNPJ with different
// texts: "qryBuscaCNPJ" is the main window's (on the login connection),
// "qryBuscaCNPJThread" the worker's (adds url, token and the next run plus
// the frequency). "qryExecute" is GetSequence's statement, with the sequence's
// full name bound to :seq. "SessionSetRole", "SessionSetNlsParameters" and
// "SessionSetEmpresa" are the login connection's set-up, run in that order.
#include <span>

#include "platform/rtl/types.h"

namespace integrador {

enum class SqlDialect {
  Oracle,      // the original texts, for reference; never run
  SQLite,
  PostgreSQL,
};

struct CatalogueStatement {
  const char16_t* name;
  const char16_t* module;  // data module that runs it
  const char16_t* oracle;
  const char16_t* sqlite;
  const char16_t* postgresql;

  const char16_t* Text(SqlDialect dialect) const;
};

// Every statement, in catalogue order.
std::span<const CatalogueStatement> CatalogueStatements();

// The statement called `name` (exact match), or nullptr.
const CatalogueStatement* FindStatement(rtl::StringView name);

// The text of statement `name` in `dialect`. Raises rtl::EArgumentException
// naming the statement when the catalogue has none of that name.
rtl::String StatementText(rtl::StringView name, SqlDialect dialect);

}  // namespace integrador

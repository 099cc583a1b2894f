#include "app/run/statement_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

using integrador::CatalogueStatements;
using integrador::FindStatement;
using integrador::SqlDialect;
using integrador::StatementText;

TEST(StatementCatalogue, EveryStatementHasATextPerDialectAndAUniqueName) {
  std::set<std::u16string> names;
  for (const auto& st : CatalogueStatements()) {
    SCOPED_TRACE(rtl::StringToUtf8(st.name));
    EXPECT_TRUE(names.insert(st.name).second) << "duplicate name";
    for (auto dialect : {SqlDialect::Oracle, SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
      const std::u16string text = st.Text(dialect);
      EXPECT_FALSE(rtl::Trim(text).empty());
    }
    // The parameter scanner keeps "::" as text, so a cast written that way
    // would silently stop binding on PostgreSQL.
    EXPECT_EQ(std::u16string(st.postgresql).find(u"::"), std::u16string::npos);
    // The server clock comes from the program's clock, never SQLite's own.
    EXPECT_EQ(std::u16string(st.sqlite).find(u"'now'"), std::u16string::npos);
  }
  for (const char16_t* required :
       {u"qryQuelora", u"qryConsultaIntegracao", u"qryUpdateSemaforo", u"qryBuscaCNPJ", u"qryBuscaCNPJThread",
        u"qryConectaEmpresa", u"qryUser", u"qryUpdateSemaforoThread", u"qryInsertQuelora", u"qryInsertRequisicao",
        u"qryBuscaQuelora", u"qryUpdateStatusIntegracao", u"qryInsertItemRequisicao", u"qryBuscaBem",
        u"qryVerificaMaterial1", u"qryVerificaOrderId", u"qryExecute", u"SessionSetRole",
        u"SessionSetNlsParameters", u"SessionSetEmpresa"}) {
    EXPECT_NE(FindStatement(required), nullptr) << rtl::StringToUtf8(required);
  }
}

TEST(StatementCatalogue, GuardedFlagUpdateAndBoundSequenceName) {
  // One guarded UPDATE takes the busy flag, so two schedulers cannot both win.
  EXPECT_NE(StatementText(u"qryUpdateSemaforo", SqlDialect::SQLite).find(u"carga_inicial <> :carga_inicial"),
            std::u16string::npos);
  // The sequence name is a bound value, never spliced into the text.
  for (auto dialect : {SqlDialect::SQLite, SqlDialect::PostgreSQL})
    EXPECT_NE(StatementText(u"qryExecute", dialect).find(u":seq"), std::u16string::npos);
}

TEST(StatementCatalogue, UnknownNameRaisesNamingIt) {
  try {
    StatementText(u"qryNaoExiste", SqlDialect::SQLite);
    FAIL() << "no exception";
  } catch (const rtl::EArgumentException& e) {
    EXPECT_NE(e.Message().find(u"qryNaoExiste"), std::u16string::npos);
  }
}

// The login connection's session set-up and the main window's data module.
#include <gtest/gtest.h>

#include "app/run/U_Global_Library.h"
#include "app/run/udmPrincipal.h"
#include "tests/app/app_db_fixture.h"

namespace {

using rtl::String;

class SessionSetUp : public app_test::AppDbTest {
 protected:
  dac::TConnection& dbx() { return *library().DBXConnection; }
  // The company the session holds, as the database shows it.
  std::string sessionCompany(dac::TConnection& conn) {
    return app_test::Column(conn, pg() ? u"select current_setting('vorna.empresa', true)"
                                       : u"select vorna_empresa()");
  }
};

TEST_P(SessionSetUp, RunsInOrderOnEveryConnect) {
  Login(u"17");
  if (pg()) {
    EXPECT_EQ(app_test::Column(dbx(), u"select current_user"), "vorna_user");
    EXPECT_EQ(app_test::Column(dbx(), u"select current_setting('DateStyle')"), "ISO, DMY");
  } else {
    EXPECT_EQ(app_test::Column(dbx(), u"select vorna_session_log()"),
              "set_role(VORNA_USER)\nset_nls_parameters()\nset_empresa(17)");
  }
  EXPECT_EQ(sessionCompany(dbx()), "17");

  // A new session after a disconnect gets the whole set-up again.
  dbx().Close();
  dbx().Params().SetValues(u"DEFAULT COMPANY", u"23");
  dbx().Open();
  if (pg()) {
    EXPECT_EQ(app_test::Column(dbx(), u"select current_user"), "vorna_user");
  } else {
    EXPECT_EQ(app_test::Column(dbx(), u"select vorna_session_log()"),
              "set_role(VORNA_USER)\nset_nls_parameters()\nset_empresa(23)");
  }
  EXPECT_EQ(sessionCompany(dbx()), "23");
}

TEST_P(SessionSetUp, CompanyTextThatIsNoNumberSelectsCompanyZero) {
  struct {
    const char16_t* typed;
    const char* selected;
  } cases[] = {{u"17", "17"}, {u"ABC", "0"}, {u"", "0"}, {u"12,5", "12.5"}, {u"17X", "0"}};
  CreateModules();
  for (const auto& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.typed));
    app_test::LoginParams(dbx().Params(), driver(), c.typed);
    dbx().Open();
    EXPECT_EQ(sessionCompany(dbx()), c.selected);
    dbx().Close();
  }
  // No company line at all reads as empty.
  app_test::LoginParams(dbx().Params(), driver(), u"");
  dbx().Params().Delete(dbx().Params().IndexOfName(u"DEFAULT COMPANY"));
  dbx().Open();
  EXPECT_EQ(sessionCompany(dbx()), "0");
}

TEST_P(SessionSetUp, LoginCompanyCallLetsTheDatabaseConvertTheText) {
  Login(u"17");
  integrador::TCatalogueQuery& q = *principal().qryConectaEmpresa;
  EXPECT_EQ(q.Connection(), library().DBXConnection);
  q.ParamByName(u"EMPRESA")->SetAsString(u"31");
  q.ExecSQL();
  EXPECT_EQ(sessionCompany(dbx()), "31");

  q.ParamByName(u"EMPRESA")->SetAsString(u"ABC");
  try {
    q.ExecSQL();
    ADD_FAILURE() << "company ABC was accepted";
  } catch (const db::EDatabaseError& e) {
    EXPECT_NE(rtl::StringToUtf8(e.Message()).find("invalid input syntax for type numeric"),
              std::string::npos)
        << rtl::StringToUtf8(e.Message());
  }
  EXPECT_EQ(sessionCompany(dbx()), "31");

  // An empty text reaches the database as NULL, as the ERP's server stores ''.
  q.ParamByName(u"EMPRESA")->SetAsString(u"");
  q.ExecSQL();
  if (pg()) {
    EXPECT_EQ(sessionCompany(dbx()), "");  // the procedure keeps NULL as no company
  } else {
    EXPECT_EQ(app_test::Column(dbx(), u"select vorna_session_log()"),
              "set_role(VORNA_USER)\nset_nls_parameters()\nset_empresa(17)\nset_empresa(31)\n"
              "set_empresa(NULL)");
  }
}

TEST_P(SessionSetUp, MainConnectionTakesACopyOfTheParametersAndRunsNoSetUp) {
  CreateModules();
  // Closed from creation on; nothing connects before the login.
  EXPECT_FALSE(principal().FDConnPrincipal->Connected());
  EXPECT_FALSE(dbx().Connected());

  Login(u"17");
  dac::TConnection& main = *principal().FDConnPrincipal;
  EXPECT_TRUE(main.Connected());
  EXPECT_EQ(main.Params().Values(u"DEFAULT COMPANY"), u"17");
  EXPECT_EQ(main.Params().Values(u"DATABASE"), u"TESTE");
  // A copy: later changes to the login's list do not reach it.
  dbx().Params().SetValues(u"DEFAULT COMPANY", u"99");
  EXPECT_EQ(main.Params().Values(u"DEFAULT COMPANY"), u"17");

  if (pg()) {
    EXPECT_EQ(app_test::Column(main, u"select current_user = session_user"), "True");
    EXPECT_EQ(sessionCompany(main), "null");
  } else {
    EXPECT_EQ(app_test::Column(main, u"select vorna_session_log()"), "");
    EXPECT_EQ(sessionCompany(main), "null");
  }
}

// The scheduler's round on the main data module: the resource read on the
// login connection, the flag read and taken on the main connection.
TEST_P(SessionSetUp, SchedulerStatementsTakeTheFlagOnce) {
  Login(u"17");
  integrador::TdtmPrincipal& dm = principal();
  EXPECT_EQ(dm.qryBuscaCNPJ->Connection(), library().DBXConnection);
  EXPECT_EQ(dm.qryConsultaIntegracao->Connection(), dm.FDConnPrincipal);
  EXPECT_EQ(dm.qryUpdateSemaforo->Connection(), dm.FDConnPrincipal);
  EXPECT_EQ(dm.qryQuelora->Connection(), dm.FDConnPrincipal);
  dm.FDConnPrincipal->ExecSQL(
      u"update vorna_mat.integracao_recurso set carga_inicial = 0 where id_integracao_recurso = 1");

  dm.qryBuscaCNPJ->Close();
  dm.qryBuscaCNPJ->Open();
  ASSERT_FALSE(dm.qryBuscaCNPJ->IsEmpty());
  const int id = dm.qryBuscaCNPJ->FieldByName(u"id_integracao_recurso")->AsInteger();
  EXPECT_FALSE(dm.qryBuscaCNPJ->FieldByName(u"proxima_consulta")->IsNull());
  EXPECT_FALSE(dm.qryBuscaCNPJ->FieldByName(u"hora_atual")->IsNull());

  dm.qryConsultaIntegracao->Close();
  dm.qryConsultaIntegracao->ParamByName(u"id_integracao_recurso")->SetAsInteger(id);
  dm.qryConsultaIntegracao->Open();
  EXPECT_EQ(dm.qryConsultaIntegracao->FieldByName(u"ativo")->AsInteger(), 0);

  auto take = [&](int value) {
    dm.qryUpdateSemaforo->ParamByName(u"carga_inicial")->SetAsInteger(value);
    dm.qryUpdateSemaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(id);
    dm.qryUpdateSemaforo->ExecSQL();
    return dm.qryUpdateSemaforo->RowsAffected();
  };
  EXPECT_EQ(take(1), 1);  // taken
  EXPECT_EQ(take(1), 0);  // somebody holds it
  EXPECT_EQ(take(0), 1);  // released
  EXPECT_EQ(take(0), 0);  // releasing a free flag is harmless
}

// "The first resource" is the one of the lowest key, whatever order the rows
// were written in.
TEST_P(SessionSetUp, ResourcesComeInKeyOrder) {
  dac::TConnection& conn = Connect();
  conn.StartTransaction();  // the extra resources stay invisible to other tests
  for (const char16_t* id : {u"5", u"3"})
    conn.ExecSQL(String(u"insert into vorna_mat.integracao_recurso (id_integracao_recurso, "
                        u"id_integracao_api, nome_recurso, ponteiro_integracao, frequencia, "
                        u"carga_inicial) values (") +
                 id + u", 1, 'extra', '01/01/2025 00:00:00', 60, 0)");
  conn.ExecSQL(u"update vorna_mat.integracao_recurso set nome_recurso = nome_recurso "
               u"where id_integracao_recurso = 1");  // moves row 1 to the end of the heap
  // The embedded engine scans in key order whatever the update did: made to
  // scan backwards, a read that leaves the order to the plan gets 5 first.
  if (!pg()) conn.ExecSQL(u"pragma reverse_unordered_selects = on");
  for (const char16_t* name : {u"qryBuscaCNPJ", u"qryBuscaCNPJThread"}) {
    SCOPED_TRACE(rtl::StringToUtf8(name));
    integrador::TCatalogueQuery q(nullptr, name);
    q.SetConnection(&conn);
    q.Open();
    std::string ids;
    for (q.First(); !q.Eof(); q.Next())
      ids += (ids.empty() ? "" : ",") +
             rtl::StringToUtf8(q.FieldByName(u"id_integracao_recurso")->AsString());
    EXPECT_EQ(ids, "1,3,5");
  }
  conn.Rollback();
}

// Values bound before the login keep their types when the statement gets
// its engine's text; the whole end day is inside the period.
TEST_P(SessionSetUp, GridQueryBoundBeforeTheLoginListsTheWholeEndDay) {
  CreateModules();
  integrador::TCatalogueQuery& q = *principal().qryQuelora;
  q.ParamByName(u"data_inicio")->SetAsDate(rtl::EncodeDate(2031, 3, 1));
  q.ParamByName(u"data_fim")->SetAsDate(rtl::EncodeDate(2031, 3, 7));
  Login(u"17");
  dac::TConnection& conn = Connect();
  for (const char16_t* row : {u"(951, 'GR-1', 'Finalizado', '2031-03-07 10:00:00', 0)",
                              u"(952, 'GR-2', 'Finalizado', '2031-03-01 00:00:00', 0)",
                              u"(953, 'GR-3', 'Finalizado', '2031-02-28 23:59:59', 0)",
                              u"(954, 'GR-4', 'Finalizado', '2031-03-08 00:00:00', 0)",
                              u"(955, 'GR-5', 'Finalizado', '2031-03-05 09:00:00', 1)"})
    conn.ExecSQL(String(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, "
                        u"data_inicio, erro_integracao) values ") + row);
  q.Open();
  EXPECT_EQ(app_test::Column(conn, u"select 1"), "1");
  std::string ids;
  for (q.First(); !q.Eof(); q.Next())
    ids += (ids.empty() ? "" : ",") + rtl::StringToUtf8(q.FieldByName(u"ID_QUELORA")->AsString());
  EXPECT_EQ(ids, "952,951");
  EXPECT_EQ(q.ParamByName(u"data_inicio")->DataType(), db::ftDate);
  EXPECT_EQ(q.ParamByName(u"erro_integracao")->DataType(), db::ftInteger);
  // The KM column's label is its name in capitals.
  EXPECT_EQ(q.FieldByName(u"km")->DisplayLabel(), u"KM");
}

INSTANTIATE_FOR_DRIVERS(SessionSetUp);

// The program's global references: the main data module binds the login
// statements to the global module when that one exists, and each module
// clears its reference when it goes.
TEST(DataModules, GlobalReferencesAreBoundAndCleared) {
  using namespace integrador;
  Global_Library = rtl::Create<TGlobal_Library>(nullptr);
  dtmPrincipal = rtl::Create<TdtmPrincipal>(nullptr);
  EXPECT_EQ(dtmPrincipal->qryBuscaCNPJ->Connection(), Global_Library->DBXConnection);
  EXPECT_EQ(dtmPrincipal->qryConectaEmpresa->Connection(), Global_Library->DBXConnection);
  EXPECT_EQ(Global_Library->DBXConnection->Name(), u"DBXConnection");
  EXPECT_EQ(dtmPrincipal->FDConnPrincipal->Name(), u"FDConnPrincipal");
  EXPECT_EQ(dtmPrincipal->qryQuelora->RowsetSize(), 300);
  // The login module goes first: the statements forget its connection.
  Global_Library->Free();
  EXPECT_EQ(Global_Library, nullptr);
  EXPECT_EQ(dtmPrincipal->qryBuscaCNPJ->Connection(), nullptr);
  dtmPrincipal->Free();
  EXPECT_EQ(dtmPrincipal, nullptr);
}

}  // namespace

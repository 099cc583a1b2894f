// Writing the worker's cached rows: refused rows are skipped and reported
// through vError; nothing is raised to the run.
#include <gtest/gtest.h>

#include "app/run/sql_dialect.h"
#include "app/run/update_error_handling.h"
#include "tests/app/app_db_fixture.h"

namespace {

using rtl::String;

struct Module : integrador::TUpdateErrorHandling {};

class ApplyUpdates : public app_test::AppDbTest {
 protected:
  // The staging cursor with its cached rows, one per (id, order_id); an
  // empty order_id is NULL and refused by the table.
  std::unique_ptr<integrador::TCatalogueQuery> staged(
      dac::TConnection& conn, std::initializer_list<std::pair<int, const char16_t*>> rows) {
    auto q = std::make_unique<integrador::TCatalogueQuery>(nullptr, u"qryInsertQuelora");
    q->SetName(u"qryInsertQuelora");
    q->SetConnection(&conn);
    q->SetCachedUpdates(true);
    q->SetUpdateTableName(u"vorna_mat.quelora");
    q->Open();
    for (const auto& [id, order] : rows) {
      q->Append();
      q->FieldByName(u"id_quelora")->SetAsInteger(id);
      q->FieldByName(u"order_id")->SetAsString(order);
      q->FieldByName(u"status_integracao")->SetAsString(u"Pendente");
      q->FieldByName(u"quantidade")->SetAsString(u"45,5");
      q->Post();
    }
    return q;
  }
};

TEST_P(ApplyUpdates, WithoutAQuery) {
  Module m;
  m.vError = u"antigo";
  EXPECT_FALSE(m.ApplyUpdatesWithErrorHandling(nullptr));
  EXPECT_EQ(m.vError, u"Query não atribuída.");
}

TEST_P(ApplyUpdates, AllRowsWrittenLeaveNoError) {
  dac::TConnection& conn = Connect();
  auto q = staged(conn, {{811, u"AP-11"}, {812, u"AP-12"}});
  Module m;
  m.vError = u"antigo";
  EXPECT_TRUE(m.ApplyUpdatesWithErrorHandling(q.get()));
  EXPECT_EQ(m.vError, u"");
  EXPECT_EQ(app_test::Column(conn, u"select quantidade from vorna_mat.quelora "
                                   u"where id_quelora between 811 and 812 order by 1"),
            "45,5,45,5");  // read back as pt-BR text
}

// One refused row is skipped and named; the rows around it are written and
// the surrounding transaction stays usable.
TEST_P(ApplyUpdates, RefusedRowIsSkippedAndReported) {
  dac::TConnection& conn = Connect();
  auto q = staged(conn, {{821, u"AP-21"}, {822, u""}, {823, u"AP-23"}});
  Module m;
  conn.StartTransaction();
  EXPECT_FALSE(m.ApplyUpdatesWithErrorHandling(q.get()));
  const std::string error = rtl::StringToUtf8(m.vError);
  EXPECT_EQ(error.rfind("Error de [qryInsertQuelora]: ", 0), 0u) << error;
  EXPECT_GT(error.size(), std::string("Error de [qryInsertQuelora]: ").size());
  conn.ExecSQL(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao) "
               u"values (824, 'AP-24', 'Pendente')");
  conn.Commit();
  EXPECT_EQ(app_test::Column(conn, u"select id_quelora from vorna_mat.quelora "
                                   u"where id_quelora between 821 and 824 order by 1"),
            "821,823,824");
}

// A failure of the apply itself (here the connection cannot be made again)
// is reported with the query's name and does not propagate; the password
// never shows.
TEST_P(ApplyUpdates, FailureOfTheApplyIsReportedNotRaised) {
  dac::TConnection& conn = Connect();
  auto q = staged(conn, {{831, u"AP-31"}});
  conn.Close();
  conn.Params().SetValues(u"DATABASE", u"NAO EXISTE/..");
  conn.Params().SetValues(u"PASSWORD", u"segredo-forte");
  Module m;
  EXPECT_FALSE(m.ApplyUpdatesWithErrorHandling(q.get()));
  const std::string error = rtl::StringToUtf8(m.vError);
  EXPECT_EQ(error.rfind("Erro ApplyUpdates [qryInsertQuelora]: ", 0), 0u) << error;
  EXPECT_EQ(error.find("segredo-forte"), std::string::npos);
  EXPECT_TRUE(q->UpdatesPending());
}

TEST(UpdateErrorHandling, ConfigurarUpdateErrorInstallsTheHandler) {
  Module m;
  dac::TQuery q(nullptr);
  m.ConfigurarUpdateError(nullptr);  // nothing to configure
  m.ConfigurarUpdateError(&q);
  EXPECT_EQ(q.OnUpdateError(),
            dac::TUpdateErrorEvent::bind<&integrador::TUpdateErrorHandling::OnFDQueryUpdateError>(
                static_cast<integrador::TUpdateErrorHandling*>(&m)));
  q.SetName(u"qryInsertRequisicao");
  db::EDatabaseError e(u"duplicate key value violates unique constraint");
  dac::TUpdateAction action = dac::eaFail;
  m.OnFDQueryUpdateError(&q, e, nullptr, dac::arInsert, action);
  EXPECT_EQ(action, dac::eaSkip);
  EXPECT_EQ(m.vError,
            u"Error de [qryInsertRequisicao]: duplicate key value violates unique constraint");
}

INSTANTIATE_FOR_DRIVERS(ApplyUpdates);

}  // namespace

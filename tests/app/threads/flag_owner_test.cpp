// The busy flag is freed by whoever took it: a run that cannot read its
// resource after the flag was taken frees it with the key its starter gives.
#include <gtest/gtest.h>

#include "app/run/busy_flag.h"
#include "tests/app/threads/worker_fixture.h"

namespace worker_test {
namespace {

class FlagOwner : public WorkerRun {
 protected:
  // A run started as the scheduler starts it, with the key it took.
  void RunWithKey(int resource) {
    auto* params = new integrador::TThreadParams();
    params->ConnDefParams = &params_;
    params->RichEdit = &log_;
    params->Resource = resource;
    rtl::NewThread<integrador::TThreadXML>(params);
    rtl::RunUntil([] { return integrador::TThreadXML::LiveCount() == 0; }, 60000);
    ASSERT_EQ(integrador::TThreadXML::LiveCount(), 0) << "the worker did not end";
  }
};

TEST_P(FlagOwner, ARunThatCannotReadItsResourceStillFreesTheFlagItsStarterTook) {
  const int key = Count(u"select min(id_integracao_recurso) from vorna_mat.integracao_recurso");
  // The API row renamed after the flag was taken: the run finds no resource.
  Exec(u"update vorna_mat.integracao_api set nome = 'Outra' where nome = 'Quelora'");
  ASSERT_EQ(Flag(), 1);
  RunWithKey(key);
  Exec(u"update vorna_mat.integracao_api set nome = 'Quelora' where id_integracao_api = 1");
  ExpectLines({"Erro na thread: Recurso de integração da API Quelora não encontrado."}, log_.Texts());
  EXPECT_EQ(Flag(), 0);
  EXPECT_EQ(Ponteiro(), "20/06/2025 14:00:00");  // the next-run time is not touched
  EXPECT_EQ(integrador::OwedBusyFlag(), 0);
  EXPECT_EQ(server_->RequestCount(), 0u);
}

TEST_P(FlagOwner, ARunStoppedBeforeItsBodyStartsStillFreesTheFlag) {
  // The program closing right after a tick took the flag and built the run.
  const int key = Count(u"select min(id_integracao_recurso) from vorna_mat.integracao_recurso");
  ASSERT_EQ(Flag(), 1);
  auto* params = new integrador::TThreadParams();
  params->ConnDefParams = &params_;
  params->RichEdit = &log_;
  params->Resource = key;
  auto* worker = new integrador::TThreadXML(params);
  worker->Terminate();
  worker->AfterConstruction();
  rtl::RunUntil([] { return integrador::TThreadXML::LiveCount() == 0; }, 60000);
  ASSERT_EQ(integrador::TThreadXML::LiveCount(), 0) << "the worker did not end";
  EXPECT_EQ(Flag(), 0);
  EXPECT_EQ(integrador::OwedBusyFlag(), 0);
  EXPECT_EQ(server_->RequestCount(), 0u);
}

TEST_P(FlagOwner, WithoutAKeyAndWithoutAResourceNothingIsCleared) {
  // The flag of a resource nobody could name stays as it is: it may be
  // another process's.
  Exec(u"update vorna_mat.integracao_api set nome = 'Outra' where nome = 'Quelora'");
  RunWithKey(0);
  Exec(u"update vorna_mat.integracao_api set nome = 'Quelora' where id_integracao_api = 1");
  EXPECT_EQ(Flag(), 1);
  EXPECT_EQ(integrador::OwedBusyFlag(), 0);
}

INSTANTIATE_TEST_SUITE_P(Drivers, FlagOwner,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), DriverLabel);

}  // namespace
}  // namespace worker_test

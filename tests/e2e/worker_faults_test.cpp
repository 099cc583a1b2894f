// `integrador --run-once` as a process under faults of its data and of its
// database: a bad element is refused alone, a run that the database refused
// or that got no records exits 1 naming the cause, and two runs alive at once
// make each requisition once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/dac/dac.h"
#include "platform/rtl/rtl.h"
#include "tests/e2e/e2e_fixture.h"
#include "tools/api_standin/standin.h"

namespace {

using rtl::String;
using e2e::Process;
using e2e::U16;
using e2e::WaitForOutput;
using e2e::WaitWithin;

class WorkerFaultsProcess : public e2e::IntegradorProcessTest {
 protected:
  void SetUp() override {
    IntegradorProcessTest::SetUp();
    if (SetUpStopped()) return;
    admin_->ExecSQL(u"update vorna_mat.integracao_recurso set stored_procedure = 'api/abastecimentos', "
                    u"carga_inicial = 0, ponteiro_integracao = '01/01/2020 00:00:00', inicio_consulta = NULL");
    // Rows of earlier tests of the process out of the way of the counts (the
    // server's database allows no DELETE).
    admin_->ExecSQL(u"update vorna_mat.quelora set status_integracao = 'Arquivado', order_id = 'arq-' || "
                    u"id_quelora where status_integracao <> 'Arquivado'");
    admin_->ExecSQL(u"update vorna_mat.requisicao set documento = 'arquivado' where documento is null or "
                    u"documento <> 'arquivado'");
  }
  Process Start(const std::string& name) {
    return IntegradorProcessTest::Start({"--run-once", "--home", home()}, name);
  }
  int RunOnce(std::string& output) {
    Process p = Start("single");
    const int code = WaitWithin(p, 120);
    output = p.Output();
    return code;
  }
  int Live(const String& where) {
    return std::stoi(Scalar(u"select count(*) from vorna_mat.quelora where status_integracao <> 'Arquivado' and " +
                            where));
  }
  void Serve(const std::string& scenario, int records = 3) { server_.SetResponder(api_standin::Scenario(scenario, records)); }
};

// Bad elements are refused one by one with their reason; the good ones are
// staged and made into requisitions, and the run succeeds.
TEST_P(WorkerFaultsProcess, BadElementsAreRefusedAloneAndTheRunSucceeds) {
  Serve("bad-elements", 2);
  std::string out;
  EXPECT_EQ(RunOnce(out), 0) << out;
  for (const char* line : {" - Registro não inserido: o elemento 1 da lista não é um objeto JSON.\n",
                           " - Registro não inserido: o elemento 2 da lista não é um objeto JSON.\n",
                           " - Registro não inserido: 'veiculo' não é um objeto JSON\n",
                           " - Registro não inserido: 'combustivel' não é um objeto JSON\n",
                           " - Registro não inserido: Volume inválido: null\n",
                           " - Registro não inserido: Volume inválido: 0\n",
                           " - Registro não inserido: Volume inválido: 1e308\n",
                           " - Processando orderId: 9106\n", " - Thread executada com sucesso.\n"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  EXPECT_EQ(Live(u"status_integracao = 'Finalizado'"), 2);
  // The lone surrogate became U+FFFD in an element staged with its plate error.
  EXPECT_EQ(Scalar(u"select placa from vorna_mat.quelora where order_id = '9106'"), "ABC\xEF\xBF\xBD");
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
}

// No records to stage: the status and its message are named and the run
// fails.
TEST_P(WorkerFaultsProcess, AStatusOtherThan001FailsTheRun) {
  Serve("codigo-002");
  std::string out;
  EXPECT_EQ(RunOnce(out), 1) << out;
  EXPECT_NE(out.find(" - Resposta da API com status 002: Sem dados\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Thread executada com sucesso."), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
}

// The database refuses the elements (a full disk: a trigger on the embedded
// database; on the server, a row of the same order held by another
// transaction past the lock time-out): the run fails naming the cause, and
// the next run stages them.
TEST_P(WorkerFaultsProcess, ElementsRefusedByTheDatabaseFailTheRun) {
  Serve("demo", 2);
  if (pg()) {
    e2e::ShortenLockTimeout(*admin_);
    lockTimeoutSet_ = true;
    admin_->StartTransaction();
    admin_->ExecSQL(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, erro_integracao) "
                    u"values (-1523001, '1523001', 'Arquivado', 0)");
  } else {
    admin_->ExecSQL(u"create trigger vorna_mat.disco_cheio before insert on quelora "
                    u"begin select raise(abort, 'database or disk is full'); end");
  }
  std::string out;
  EXPECT_EQ(RunOnce(out), 1) << out;
  if (pg())
    admin_->Rollback();
  else
    admin_->ExecSQL(u"drop trigger vorna_mat.disco_cheio");
  const std::string failed = pg() ? " - Erro: 1 registro(s) recusado(s) pelo banco de dados: "
                                  : " - Erro: 2 registro(s) recusado(s) pelo banco de dados: ";
  EXPECT_NE(out.find(failed), std::string::npos) << out;
  EXPECT_EQ(out.find("Thread executada com sucesso."), std::string::npos) << out;
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");

  admin_->ExecSQL(u"update vorna_mat.integracao_recurso set ponteiro_integracao = '01/01/2020 00:00:00'");
  EXPECT_EQ(RunOnce(out), 0) << out;
  EXPECT_EQ(Live(u"status_integracao = 'Finalizado'"), 2);
}

// A busy flag cleared by hand while a run is alive lets a second run start;
// each pending row still gets one requisition. The test holds the first row
// until both runs have read the pending rows and wait for it.
TEST_P(WorkerFaultsProcess, TwoRunsAliveAtOnceMakeEachRequisitionOnce) {
  constexpr int kRows = 10;
  // Keys below every key of the table (the sequence's are positive), so that
  // neither staging nor an earlier test of this process, or this test run
  // again, meets them.
  const int first =
      std::min(0, std::stoi(Scalar(u"select coalesce(min(id_quelora), 0) from vorna_mat.quelora"))) - kRows;
  for (int i = 0; i < kRows; ++i)
    admin_->ExecSQL(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, placa, "
                    u"codigo_material, quantidade, erro_integracao) values (:i, :o, 'Pendente', 'ABC1D23', "
                    u"50012, 10, 0)",
                    {rtl::Variant(first + i), rtl::Variant(U16("two-runs-" + std::to_string(first + i)))});
  server_.SetResponder(e2e::SlowDemo(0, "27/06/2025", std::chrono::milliseconds(2500)));
  Process a = Start("a");
  ASSERT_TRUE(WaitForOutput(a, "Iniciando consulta", 60)) << a.Output();
  admin_->ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 0");  // by hand
  Process b = Start("b");
  ASSERT_TRUE(WaitForOutput(b, "Iniciando consulta", 60)) << b.Output();
  admin_->StartTransaction();
  admin_->ExecSQL(u"update vorna_mat.quelora set erro_integracao = 0 where id_quelora = :i", {rtl::Variant(first)});
  const bool bothRead = WaitForOutput(a, "Processando 0 registros", 30) && WaitForOutput(b, "Processando 0 registros", 30);
  if (pg()) {
    for (int i = 0; i < 200 && std::stoi(Scalar(u"select count(*) from pg_stat_activity where datname = "
                                                 u"current_database() and wait_event_type = 'Lock'")) < 2;
         ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }
  admin_->Commit();
  const int codeA = WaitWithin(a, 120), codeB = WaitWithin(b, 120);
  ASSERT_TRUE(bothRead) << a.Output() << "\n---\n" << b.Output();
  EXPECT_EQ(codeA, 0) << a.Output();
  EXPECT_EQ(codeB, 0) << b.Output();
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.requisicao where documento <> 'arquivado'"),
            std::to_string(kRows));
  EXPECT_EQ(Scalar(u"select count(*) from (select documento from vorna_mat.requisicao where documento <> "
                   u"'arquivado' group by documento having count(*) > 1) d"),
            "0");
  EXPECT_EQ(Live(u"status_integracao = 'Finalizado'"), kRows);
}

INSTANTIATE_TEST_SUITE_P(Drivers, WorkerFaultsProcess,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), e2e::DriverLabel);

}  // namespace

// A server that keeps sending a byte now and then never trips the
// inactivity time-out; each attempt still ends at its total limit, as a
// time-out, and the run ends without holding the busy flag.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/app/threads/worker_fixture.h"

namespace worker_test {
namespace {

class AttemptLimit : public WorkerRun {
 protected:
  void TearDown() override {
    integrador::TThreadXML::SetHttpTotalLimitForTests(0);
    WorkerRun::TearDown();
  }
};

TEST_P(AttemptLimit, ATrickleEndsEachAttemptAsATimeOut) {
  integrador::TThreadXML::SetHttpTotalLimitForTests(800);
  server_->SetResponder([](const api_standin::Request&) {
    api_standin::Response r = Json(Body({Element("9001", "ABC 1D23")}));
    r.pieceSize = 1;
    r.delayBetweenPieces = std::chrono::milliseconds(200);  // the whole body: about a minute
    return r;
  });
  const auto start = std::chrono::steady_clock::now();
  RunWorker();
  const auto took = std::chrono::steady_clock::now() - start;
  ExpectLines({"Iniciando consulta à Brenvik...",
               "Erro na conexão com a API (Tentativa 1): *no complete answer within 800 ms*",
               "Erro na conexão com a API (Tentativa 2): *no complete answer within 800 ms*",
               "Erro na conexão com a API (Tentativa 3): *no complete answer within 800 ms*",
               "Falha ao obter dados da API após 3 tentativas. Processo abortado."},
              log_.Texts());
  EXPECT_LT(took, std::chrono::seconds(15));
  EXPECT_EQ(Flag(), 0);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora"), 0);
}

INSTANTIATE_TEST_SUITE_P(Drivers, AttemptLimit,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), DriverLabel);

}  // namespace
}  // namespace worker_test

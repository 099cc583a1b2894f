// Two schedulers (two processes' main connections) taking the busy flag at
// the same moment: the guarded update lets exactly one of them win.
#include <gtest/gtest.h>

#include <barrier>
#include <thread>

#include "app/run/udmPrincipal.h"
#include "tests/app/app_db_fixture.h"

namespace {

class FlagRace : public app_test::AppDbTest {};

TEST_P(FlagRace, ExactlyOneOfTwoConnectionsTakesTheFlag) {
  constexpr int kRounds = 40;
  dac::TConnection& admin = Connect();
  // Two main data modules, each with its own connection opened here; from
  // then on each belongs to its own thread.
  app_test::Owned<integrador::TdtmPrincipal> modules[2];
  for (auto& m : modules) {
    m.reset(rtl::Create<integrador::TdtmPrincipal>(nullptr));
    app_test::LoginParams(m->FDConnPrincipal->Params(), driver(), u"17");
    m->FDConnPrincipal->Open();
    m->qryUpdateSemaforo->ParamByName(u"carga_inicial")->SetAsInteger(1);
    m->qryUpdateSemaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(1);
  }
  std::barrier start(3), finish(3);
  rtl::Int64 won[2][kRounds] = {};
  std::string errors[2];
  std::thread racers[2];
  for (int t = 0; t < 2; ++t) {
    racers[t] = std::thread([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        start.arrive_and_wait();
        try {
          modules[t]->qryUpdateSemaforo->ExecSQL();
          won[t][round] = modules[t]->qryUpdateSemaforo->RowsAffected();
        } catch (const std::exception& e) {
          errors[t] = e.what();
        }
        finish.arrive_and_wait();
      }
    });
  }
  for (int round = 0; round < kRounds; ++round) {
    admin.ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 0 "
                  u"where id_integracao_recurso = 1");
    start.arrive_and_wait();
    finish.arrive_and_wait();
    EXPECT_EQ(won[0][round] + won[1][round], 1) << "round " << round;
  }
  for (auto& r : racers) r.join();
  EXPECT_EQ(errors[0], "");
  EXPECT_EQ(errors[1], "");
  EXPECT_EQ(app_test::Column(admin, u"select carga_inicial from vorna_mat.integracao_recurso "
                                    u"where id_integracao_recurso = 1"),
            "1");
  admin.ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 0 "
                u"where id_integracao_recurso = 1");
}

INSTANTIATE_FOR_DRIVERS(FlagRace);

}  // namespace

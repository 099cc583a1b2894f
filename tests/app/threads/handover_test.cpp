// The worker's two hand-overs to the main thread: Log (blocking) and the
// grid refresh (queued, merged), and what they do once their target is gone.
#include <thread>

#include "tests/app/threads/worker_fixture.h"

namespace worker_test {
namespace {

class CountingWindow : public integrador::IMainWindow {
 public:
  void btnLocalizarClick(rtl::TObject*) override { ++clicks; }
  int clicks = 0;
};

// A worker that is built but never started, to drive its hand-overs by hand.
class Handovers : public WorkerRun {
 protected:
  integrador::TThreadXML* Unstarted(integrador::ILogLines* log) {
    auto* params = new integrador::TThreadParams();
    params->ConnDefParams = &params_;
    params->RichEdit = log;
    auto* worker = new integrador::TThreadXML(params);
    worker->SetFreeOnTerminate(false);
    return worker;
  }
};

// The worker is built on the main thread: its data module must not leave a
// loading bracket open there, or every component the main thread creates
// later would stay "loading" and never get its Loaded.
TEST_P(Handovers, BuildingAWorkerLeavesTheMainThreadOutOfLoading) {
  std::unique_ptr<integrador::TThreadXML> worker(Unstarted(&log_));
  EXPECT_FALSE(rtl::IsLoading());
  EXPECT_FALSE(worker->Dtm()->ComponentState().contains(rtl::TComponentStateItem::csLoading));
  worker.reset();
  EXPECT_FALSE(rtl::IsLoading());
}

TEST_P(Handovers, RefreshRequestsMergeWhileOneIsPending) {
  CountingWindow window;
  integrador::SetMainWindow(&window);
  std::unique_ptr<integrador::TThreadXML> worker(Unstarted(&log_));
  std::thread other([&] {
    for (int i = 0; i < 5; ++i) worker->AtualizaTelaPrincipal();
  });
  other.join();
  EXPECT_EQ(window.clicks, 0);  // queued, not run
  rtl::CheckSynchronize(0);
  EXPECT_EQ(window.clicks, 1);
  std::thread again([&] { worker->AtualizaTelaPrincipal(); });
  again.join();
  rtl::CheckSynchronize(0);
  EXPECT_EQ(window.clicks, 2);
}

TEST_P(Handovers, ARefreshForAClosedWindowDoesNothing) {
  CountingWindow window;
  integrador::SetMainWindow(&window);
  std::unique_ptr<integrador::TThreadXML> worker(Unstarted(&log_));
  std::thread other([&] { worker->AtualizaTelaPrincipal(); });
  other.join();
  integrador::SetMainWindow(nullptr);  // the window closed meanwhile
  rtl::CheckSynchronize(0);
  EXPECT_EQ(window.clicks, 0);
}

TEST_P(Handovers, LinesForAPaneThatHasGoneAreDropped) {
  auto pane = std::make_unique<TestLog>();
  std::unique_ptr<integrador::TThreadXML> worker(Unstarted(pane.get()));
  std::atomic<bool> done{false};
  std::thread other([&] {
    worker->Log(u"primeira");
    done = true;
  });
  // The worker waits until the main thread has handled its line.
  ASSERT_TRUE(rtl::RunUntil([&] { return pane->lines.Count() == 1; }, 30000));
  other.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(U8(pane->lines[0]), "14:03:27 - primeira");
  pane.reset();
  std::atomic<bool> lateDone{false};
  std::thread late([&] {
    worker->Log(u"segunda");
    lateDone = true;
  });
  for (int i = 0; i < 3000 && !lateDone; ++i) rtl::RunUntil([&] { return lateDone.load(); }, 10);
  late.join();
  EXPECT_TRUE(lateDone);  // released without a pane to write to
}

TEST_P(Handovers, ConfigurationFillsMtConfigAndGetFieldValueLooksItUp) {
  std::unique_ptr<integrador::TThreadXML> worker(Unstarted(&log_));
  dac::TMemTable* table = worker->Dtm()->mtConfig;
  worker->LerConfigEmMemTable(table);
  ASSERT_EQ(table->RecordCount(), 3);
  const char16_t* fields[] = {u"ID", u"CodigoEmpresa", u"Solicitante", u"Movimentacao", u"Almoxarifado",
                              u"ContaContabil", u"CodigoPosto", u"CodigoQuelora", u"Descricao",
                              u"CodigoMardova", u"CodigoEmpresaQuelora"};
  ASSERT_EQ(table->FieldCount(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(table->Fields()->Fields(i)->FieldName(), fields[i]);
  table->Last();
  EXPECT_EQ(table->FieldByName(u"ID")->AsInteger(), 3);
  EXPECT_EQ(table->FieldByName(u"ContaContabil")->AsInteger(), 3001);

  rtl::Variant found;
  worker->GetFieldValue(table, u"CodigoQuelora", rtl::Variant(String(u"2")), u"CodigoMardova", found);
  EXPECT_EQ(rtl::VarToStr(found), u"50013");
  EXPECT_EQ(table->FieldByName(u"ID")->AsInteger(), 2);  // the found row is current
  EXPECT_TRUE(worker->vError.empty());

  for (const char16_t* code : {u"9", u"02x", u""}) {
    rtl::Variant none;
    table->First();
    worker->GetFieldValue(table, u"CodigoQuelora", rtl::Variant(String(code)), u"CodigoMardova", none);
    EXPECT_TRUE(rtl::VarIsEmpty(none) || rtl::VarIsNull(none));
    EXPECT_EQ(table->FieldByName(u"ID")->AsInteger(), 1);  // unchanged
    EXPECT_EQ(worker->vError, u"Registro parametrizado no config: Filtro CodigoQuelora / Valor: " + String(code));
  }
  // Other fields compare as text.
  worker->vError.clear();
  rtl::Variant desc;
  worker->GetFieldValue(table, u"Descricao", rtl::Variant(String(u"GASOLINA COMUM")), u"ID", desc);
  EXPECT_EQ(rtl::VarToStr(desc), u"2");
  worker->GetFieldValue(table, u"Descricao", rtl::Variant(String(u"nada")), u"ID", desc);
  EXPECT_TRUE(worker->vError.empty());  // only the fuel-code lookup reports
}

INSTANTIATE_TEST_SUITE_P(Drivers, Handovers, testing::Values(dac::DriverKind::SQLite), DriverLabel);

}  // namespace
}  // namespace worker_test

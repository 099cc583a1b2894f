// The scheduler's tick on the main window: when it starts a run, when it
// only refreshes the status bar, how it takes and frees the busy flag, and
// how its errors reach the error box.
#include <fstream>

#include "app/run/untThreadClass.h"
#include "tests/app/forms/principal_fixture.h"

namespace forms_test {
namespace {

class Scheduler : public PrincipalTest {
 protected:
  void SetUp() override {
    PrincipalTest::SetUp();
    if (IsSkipped()) return;
    server_.SetResponder(api_standin::Scenario("demo", 2));
    Admin();  // the API points at the stand-in
  }
  void TearDown() override {
    rtl::SetFormatSettings(saved_);
    PrincipalTest::TearDown();
  }

  // Shown, logged in and started, with the first tick 10 s away.
  void Start() {
    ShowWindow();
    window_->btnIniciar->Click();
    win::headless::TakeShownMessageBoxes();
  }
  // The next tick (and an error box it leaves queued).
  void Tick() {
    clock().Advance(10000);
    Process();
  }
  // Serves the run's hand-overs until it has ended.
  void WaitForRun() {
    for (int i = 0; i < 1200 && integrador::TThreadXML::LiveCount() > 0; ++i) integrador::TThreadXML::WaitForAll(50);
    ASSERT_EQ(integrador::TThreadXML::LiveCount(), 0) << "the run did not end";
    Process();
  }
  std::string LastLine() {
    const auto lines = LogTexts();
    return lines.empty() ? std::string("<none>") : lines.back();
  }
  bool HasLine(const std::string& text) {
    for (const std::string& line : LogTexts())
      if (line == text) return true;
    return false;
  }

  rtl::TFormatSettings saved_ = rtl::FormatSettings();
};

TEST_P(Scheduler, ADueFreeTickStartsOneRunAndAnyOtherOnlyShowsTheNextRunTime) {
  struct Case {
    const char* name;
    std::string ponteiro;
    int flag;
    bool enUs;          // the process's locale reads dates month first
    bool sqliteOnly;    // needs the server's clock to be the test clock
    int ticks;          // how many ticks before the check
    bool run;
  };
  const Case cases[] = {
      {"due and free", "01/01/2020 00:00:00", 0, false, false, 1, true},
      {"due, under a month-first locale", "13/06/2020 00:00:00", 0, true, false, 1, true},
      {"far ahead", "01/01/2099 00:00:00", 0, false, false, 1, false},
      {"due and marked busy", "01/01/2020 00:00:00", 1, false, false, 2, false},
      {"a minute ahead, not reached", "22/06/2026 08:01:00", 0, false, true, 5, false},
      {"a minute ahead, reached exactly", "22/06/2026 08:01:00", 0, false, true, 6, true},
  };
  for (const Case& c : cases) {
    if (c.sqliteOnly && pg()) continue;
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    rtl::SetFormatSettings(rtl::TFormatSettings::Create(c.enUs ? rtl::LOCALE_EN_US : rtl::LOCALE_PT_BR));
    SetResource(c.ponteiro, c.flag);
    Start();
    const std::size_t requests = server_.Requests().size();
    for (int i = 0; i < c.ticks; ++i) Tick();
    EXPECT_EQ(Caption(window_->lblProximaConsulta), c.ponteiro);
    EXPECT_EQ(integrador::TThreadXML::LiveCount() > 0 || HasLine("Iniciando consulta à Brenvik..."), c.run);
    WaitForRun();
    EXPECT_TRUE(BoxTexts().empty());
    if (c.run) {
      EXPECT_EQ(server_.Requests().size(), requests + 1);
      EXPECT_TRUE(HasLine("Processando 2 registros...")) << U8(window_->memLog->Lines().Text());
      EXPECT_EQ(LastLine(), "Thread executada com sucesso.");
      EXPECT_EQ(Flag(), 0);
      EXPECT_NE(Ponteiro(), c.ponteiro);
    } else {
      EXPECT_EQ(server_.Requests().size(), requests);
      EXPECT_EQ(Flag(), c.flag);
      EXPECT_EQ(Ponteiro(), c.ponteiro);
      EXPECT_EQ(window_->memLog->Lines().Count(), 0);
    }
  }
}

TEST_P(Scheduler, AFlagTakenBetweenTheReadAndTheWriteEndsTheTickQuietly) {
  SetResource("01/01/2020 00:00:00", 0);
  Start();
  // Another instance takes the flag right after this tick has read it.
  bool taken = false;
  auto* consulta = integrador::dtmPrincipal->qryConsultaIntegracao;
  consulta->SetAfterOpen(db::TDataSetNotifyEvent::fromClosure(&taken, [&](db::TDataSet*) {
    if (taken) return;
    taken = true;
    Admin().ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 1");
  }));
  Tick();
  EXPECT_TRUE(taken);
  EXPECT_EQ(integrador::TThreadXML::LiveCount(), 0);
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(Flag(), 1);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_P(Scheduler, ARefusedWorkerConnectionFreesTheFlagShowsOneBoxAndTheNextTickTriesAgain) {
  // An alias whose server refuses every connection.
  std::ofstream(dir_.path() / "home" / "databases.ini", std::ios::app)
      << "\n[RECUSA]\nDriver=postgresql\nHost=127.0.0.1\nPort=1\nDbName=nada\n";
  SetResource("01/01/2020 00:00:00", 0);
  Start();
  // The worker takes a copy of the login connection's parameters.
  rtl::TStrings& params = integrador::Global_Library->DBXConnection->Params();
  params.SetValues(u"DATABASE", u"RECUSA");
  for (int attempt = 1; attempt <= 2; ++attempt) {
    SCOPED_TRACE(attempt);
    win::headless::QueueMessageBoxAnswer(win::IDOK);
    Tick();
    EXPECT_EQ(integrador::TThreadXML::LiveCount(), 0);
    const auto boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].empty());
    EXPECT_EQ(Flag(), 0);
    EXPECT_EQ(Ponteiro(), "01/01/2020 00:00:00");
    EXPECT_FALSE(window_->TickErrorShowing());
  }
  // Mended, the next tick starts the run.
  params.SetValues(u"DATABASE", u"TESTE");
  Tick();
  WaitForRun();
  EXPECT_EQ(LastLine(), "Thread executada com sucesso.");
  EXPECT_EQ(Flag(), 0);
}

TEST_P(Scheduler, TicksGoOnWhileTheErrorBoxIsOpenAndShowNoSecondBox) {
  SetResource("01/01/2020 00:00:00", 0);
  Start();
  Admin().ExecSQL(u"update vorna_mat.integracao_api set nome = 'Outra'");
  int step = 0;
  std::string labelWhileOpen;
  bool busyWhileOpen = false;
  win::headless::QueueMessageBoxAnswer(win::IDOK, [&] {
    switch (step++) {
      case 0:
        clock().Advance(10000);  // fails again: no other box
        return false;
      case 1:
        EXPECT_TRUE(window_->TickErrorShowing());
        Admin().ExecSQL(u"update vorna_mat.integracao_api set nome = 'Quelora'");
        SetResource("02/01/2020 00:00:00", 0);
        clock().Advance(10000);  // due and free: a run starts under the box
        labelWhileOpen = Caption(window_->lblProximaConsulta);
        busyWhileOpen = integrador::TThreadXML::LiveCount() > 0 || Flag() == 1;
        return false;
      default:
        return true;
    }
  });
  Tick();  // the missing resource
  EXPECT_GE(step, 3);
  EXPECT_EQ(labelWhileOpen, "02/01/2020 00:00:00");
  EXPECT_TRUE(busyWhileOpen);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{U8(integrador::kResourceMissing)});
  EXPECT_FALSE(window_->TickErrorShowing());
  WaitForRun();
  EXPECT_EQ(LastLine(), "Thread executada com sucesso.");
  EXPECT_EQ(Flag(), 0);
  // With the box closed, the next failing tick shows its own.
  Admin().ExecSQL(u"update vorna_mat.integracao_recurso set ponteiro_integracao = 'amanhã'");
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  Tick();
  EXPECT_EQ(BoxTexts().size(), 1u);
}

TEST_P(Scheduler, AClosedLoginConnectionIsOpenedAgainWithItsSetUp) {
  SetResource("01/01/2020 00:00:00", 0);
  Start();
  integrador::Global_Library->DBXConnection->Close();
  Tick();
  EXPECT_TRUE(integrador::Global_Library->DBXConnection->Connected());
  WaitForRun();
  EXPECT_EQ(LastLine(), "Thread executada com sucesso.");
  dac::TQuery q(nullptr);
  q.SetConnection(integrador::Global_Library->DBXConnection);
  q.SQL().SetText(pg() ? u"select current_setting('vorna.empresa', true)" : u"select vorna_empresa()");
  q.Open();
  EXPECT_EQ(U8(q.Fields()->Fields(0)->AsString()), "17");
}

TEST_P(Scheduler, ClosingDuringARunStopsItWaitsForItAndFreesTheFlag) {
  server_.SetResponder(api_standin::Scenario("error-500", 0));
  SetResource("01/01/2020 00:00:00", 0);
  Start();
  Tick();
  ASSERT_EQ(integrador::TThreadXML::LiveCount(), 1);
  // The run is in its pause between attempts when the window closes.
  // (the loop is not woken when a worker starts to wait: look every 10 ms)
  for (int i = 0; i < 3000 && rtl::ClockWaiters() == 0; ++i) rtl::RunUntil([] { return rtl::ClockWaiters() > 0; }, 10);
  ASSERT_EQ(rtl::ClockWaiters(), 1);
  window_->Close();
  EXPECT_EQ(integrador::TThreadXML::LiveCount(), 0);
  EXPECT_EQ(integrador::MainWindow(), nullptr);
  EXPECT_EQ(integrador::frmPrincipal, nullptr);
  EXPECT_EQ(Flag(), 0);
  EXPECT_EQ(integrador::ProgramStatus(), integrador::kProgramOk);
}

INSTANTIATE_FOR_DRIVERS(Scheduler);

}  // namespace
}  // namespace forms_test

// The integrator as the operator starts it, unattended from the first window
// to a finished run: the program's own start-up and message loop run on this
// thread, on the headless backend with the test clock, while a driver thread
// moves the clock and looks at the program through hand-overs to the main
// thread. The embedded database with the demo data, or the suite's
// PostgreSQL server, and the web API stand-in serve it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/forms/program.h"
#include "app/forms/uLogin.h"
#include "app/forms/uPrincipal.h"
#include "app/run/U_Global_Library.h"
#include "app/run/busy_flag.h"
#include "app/run/udmPrincipal.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/rtl.h"
#include "platform/ui/forms.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/golden.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/test_support.h"
#include "tools/api_standin/standin.h"

namespace {

using rtl::String;
using namespace integrador;

using e2e::U16;
using e2e::U8;

// 2026-06-22 08:00:00 UTC: the program starts at this moment of the test clock.
constexpr rtl::Int64 kStartUnixMs = 1782115200000;


class ProgramEndToEnd : public testing::TestWithParam<dac::DriverKind> {
 protected:
  bool pg() const { return GetParam() == dac::DriverKind::PostgreSQL; }

  void SetUp() override {
    if (pg()) REQUIRE_PG_TEST_DATABASE();
    setenv("TZ", "UTC", 1);
    tzset();
    // The embedded database checks no password.
    user_ = e2e::WriteHome(dir_.path(), pg(), "VORNA$ADMIN", pg() ? testing_support::PgTestPassword() : "demo");

    screen_ = std::make_unique<win::headless::HeadlessScope>();
    clock_ = std::make_unique<rtl::TestClockScope>(kStartUnixMs);
    win::headless::TakeShownMessageBoxes();
    rtl::ResetShutdownForTests();
    server_.SetResponder(api_standin::Scenario("demo", 2));

    // The installation: the database exists, and its integration points at
    // the stand-in and is due.
    admin_ = e2e::OpenAdmin(dir_.path(), user_, server_.BaseUrl());
    admin_->ExecSQL(u"update vorna_mat.integracao_recurso set stored_procedure = 'api/abastecimentos', "
                    u"carga_inicial = 0, ponteiro_integracao = :p",
                    {rtl::Variant(String(pg() ? u"01/01/2020 00:00:00" : u"22/06/2026 08:00:00"))});
  }

  void TearDown() override {
    if (lockTimeoutSet_) e2e::ResetLockTimeout(*admin_);
    admin_.reset();
    // What the program left to the application, so that the next test's
    // program starts from nothing.
    while (ui::Application->ComponentCount() > 0)
      ui::Application->Components(ui::Application->ComponentCount() - 1)->Free();
    BusyFlagFreed(OwedBusyFlag());
    clock_.reset();
    screen_.reset();
    dac::SetDatabasesFile(u"");
    rtl::ResetShutdownForTests();
  }

  // Runs `fn` on the main thread (inside the program's loop) and waits.
  static void OnMain(const std::function<void()>& fn) { rtl::TThread::Synchronize(nullptr, fn); }

  // Polls `condition` on the main thread until it holds, at most 20 s of
  // real time.
  static bool WaitOnMain(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      bool ok = false;
      OnMain([&] { ok = condition(); });
      if (ok) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::string Scalar(const String& sql) {
    dac::TQuery q(nullptr);
    q.SetConnection(admin_.get());
    q.SQL().SetText(sql);
    q.Open();
    if (q.IsEmpty()) return "";
    db::TField* f = q.Fields()->Fields(0);
    return f->IsNull() ? std::string("null") : U8(f->AsString());
  }

  static bool LoggedIn() {
    return Global_Library && Global_Library->DBXConnection->Connected() && dtmPrincipal &&
           dtmPrincipal->FDConnPrincipal->Connected();
  }

  static std::string LogText() { return frmPrincipal ? U8(frmPrincipal->memLog->Lines().Text()) : ""; }

  // Runs the program on this thread while `drive` runs on a driver thread;
  // `drive` returns what went wrong ("" when nothing), and a failure closes
  // the program. Returns the program's exit status.
  int RunDriven(const std::function<std::string()>& drive, std::string& failure) {
    std::thread driver([&] {
      failure = drive();
      if (!failure.empty()) {
        failure += "\nlog:\n" + LogText();
        OnMain([] {
          if (frmPrincipal) frmPrincipal->Close();
          ui::Application->Terminate();
        });
      }
    });
    ResetProgramStatus();
    TProgramOptions options;
    options.Home = U16((dir_ / "home").string());
    int status = -1;
    try {
      status = RunProgram(options);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "the program raised: " << e.what();
      driver.detach();  // it waits for a loop that has gone
      return status;
    }
    driver.join();
    return status;
  }

  // The automatic login, then the scheduler's start 10 s later.
  std::string LogInAndStartTheScheduler() {
    rtl::TestClock& clock = clock_->clock();
    if (!WaitOnMain([] { return frmLogin && frmLogin->Visible(); })) return "no login window";
    clock.Advance(5000);
    if (!WaitOnMain([] { return LoggedIn() && frmLogin == nullptr; })) return "no automatic login";
    clock.Advance(10000);
    if (!WaitOnMain([] { return frmPrincipal->TimerThread->Enabled(); })) return "the scheduler did not start";
    return "";
  }

  // The error boxes shown since the last call, by their texts.
  static std::vector<std::string> ShownBoxes() {
    std::vector<std::string> texts;
    OnMain([&] {
      for (const auto& box : win::headless::TakeShownMessageBoxes()) texts.push_back(U8(box.text));
    });
    return texts;
  }

  // Makes the database refuse to set the busy flag back to 0 while it still
  // lets it be taken: a trigger on the embedded database; on the server,
  // whose tables the test's role may not alter, the resource row held by
  // this test's connection (LockResourceRow, once the run has taken the
  // flag) and a short lock time-out for every connection of the program.
  void RefuseFlagClearing() {
    e2e::RefuseFlagClearing(*admin_, pg());
    lockTimeoutSet_ = pg();
  }
  void LockResourceRow() { e2e::LockResourceRow(*admin_, pg()); }
  void AllowFlagClearing() { e2e::AllowFlagClearing(*admin_, pg()); }
  bool lockTimeoutSet_ = false;

  testing_support::TempDir dir_;
  std::string user_;
  api_standin::Server server_;
  std::unique_ptr<win::headless::HeadlessScope> screen_;
  std::unique_ptr<rtl::TestClockScope> clock_;
  std::unique_ptr<dac::TConnection> admin_;
};

TEST_P(ProgramEndToEnd, LogsInStartsTheSchedulerAndFinishesARunUnattended) {
  rtl::TestClock& clock = clock_->clock();
  std::string failure;  // what the driver saw go wrong, if anything
  std::thread driver([&] {
    auto fail = [&](const std::string& what) {
      failure = what;
      OnMain([] {
        if (frmPrincipal) frmPrincipal->Close();
        ui::Application->Terminate();
      });
    };
    // The login window is up with its defaults, nothing connected yet.
    if (!WaitOnMain([] { return frmLogin && frmLogin->Visible(); })) return fail("no login window");
    OnMain([&] {
      EXPECT_FALSE(LoggedIn());
      EXPECT_EQ(U8(frmLogin->edtBanco->Text()), "E2E");
      EXPECT_EQ(U8(frmLogin->edtEmpresa->Text()), "17");
      if (!pg()) {
        EXPECT_GOLDEN(win::headless::Screenshot(frmLogin->Handle()), "e2e", "login_window");
      }
    });

    // The automatic login, 5 s after the window opened.
    clock.Advance(4999);
    OnMain([] { EXPECT_FALSE(LoggedIn()); });
    clock.Advance(1);
    if (!WaitOnMain([] { return LoggedIn() && frmLogin == nullptr; })) return fail("no automatic login");
    OnMain([] {
      EXPECT_EQ(U8(frmPrincipal->lblStatusIntegrador->Caption()), "Aguardando Inicialização");
      EXPECT_EQ(U8(frmPrincipal->cxDataInicial->Text()), "15/06/2026");
      EXPECT_EQ(U8(frmPrincipal->cxDataFinal->Text()), "22/06/2026");
      EXPECT_TRUE(dtmPrincipal->qryQuelora->Active());
      EXPECT_FALSE(frmPrincipal->TimerThread->Enabled());
    });

    // The scheduler starts 10 s later.
    clock.Advance(10000);
    if (!WaitOnMain([] { return frmPrincipal->TimerThread->Enabled(); }))
      return fail("the scheduler did not start");
    OnMain([] {
      EXPECT_EQ(U8(frmPrincipal->lblStatusIntegrador->Caption()), "Em execução...");
      EXPECT_FALSE(frmPrincipal->actIniciar->Enabled());
      EXPECT_TRUE(frmPrincipal->actParar->Enabled());
    });

    // Its first tick finds the run due and starts a worker, which runs to
    // its end.
    clock.Advance(10000);
    if (!WaitOnMain([] {
          return TThreadXML::LiveCount() == 0 &&
                 LogText().find("Thread executada com sucesso.") != std::string::npos;
        }))
      return fail("no successful run; log:\n" + LogText());

    // The log pane, revealed by the developer shortcut, holds the run.
    OnMain([] {
      using namespace win::headless;
      KeyDown(win::VK_CONTROL);
      KeyDown(win::VK_SHIFT);
      KeyDown(win::VK_F10);
      KeyUp(win::VK_F10);
      KeyUp(win::VK_SHIFT);
      KeyUp(win::VK_CONTROL);
    });
    if (!WaitOnMain([] { return frmPrincipal->chkMostrarLog->Visible(); }))
      return fail("Ctrl+Shift+F10 did not reveal the log switch");
    OnMain([] { frmPrincipal->chkMostrarLog->SetChecked(true); });
    if (!WaitOnMain([] { return frmPrincipal->pnlLog->Visible() && frmPrincipal->memLog->Visible(); }))
      return fail("the log pane did not show");
    OnMain([&] {
      const std::string log = LogText();
      for (const char* line :
           {"08:00:25 - Iniciando consulta à Brenvik...", "08:00:25 - Dados recebidos da API com sucesso.",
            "08:00:25 - Processando 2 registros...", "08:00:25 - Processando orderId: 1523001",
            "08:00:25 - Registro 1 inserido com sucesso.", "08:00:25 - Processando orderId: 1523002",
            "08:00:25 - Registro 2 inserido com sucesso.", "08:00:25 - Thread executada com sucesso."})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\nin:\n" << log;
      if (!pg()) {
        EXPECT_GOLDEN(win::headless::Screenshot(frmPrincipal->Handle()), "e2e", "main_window_after_run");
      }
    });

    // Closing the main window ends the program.
    OnMain([] { frmPrincipal->Close(); });
  });

  ResetProgramStatus();
  TProgramOptions options;
  options.Home = U16((dir_ / "home").string());
  const int status = RunProgram(options);
  driver.join();
  ASSERT_EQ(failure, "");
  EXPECT_EQ(status, kProgramOk);
  EXPECT_EQ(frmPrincipal, nullptr);

  // What the run left in the database.
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.quelora where status_integracao = 'Finalizado'"), "2");
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.quelora where status_integracao <> 'Finalizado'"), "0");
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.requisicao r join vorna_mat.quelora q "
                   u"on q.ano_requisicao = r.ano_requisicao and q.numero_requisicao = r.numero_requisicao"),
            "2");
  EXPECT_EQ(Scalar(u"select count(*) from vorna_mat.item_requisicao i join vorna_mat.quelora q "
                   u"on q.ano_requisicao = i.ano_requisicao and q.numero_requisicao = i.numero_requisicao"),
            "2");
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
  const std::string ponteiro = Scalar(u"select ponteiro_integracao from vorna_mat.integracao_recurso");
  if (!pg()) {
    // The run started at 08:00:25 on the test clock, which is also the
    // embedded database's clock.
    EXPECT_EQ(ponteiro, "22/06/2026 09:00:25");
  } else {
    // The server's clock is the real one: one hour after the run, within a
    // minute.
    rtl::TDateTime next = 0;
    ASSERT_TRUE(rtl::TryParseDateTime(U16(ponteiro), u"dd/mm/yyyy hh:nn:ss", next)) << ponteiro;
    const std::string server = Scalar(u"select to_char(localtimestamp + interval '1 hour', 'DD/MM/YYYY HH24:MI:SS')");
    rtl::TDateTime expected = 0;
    ASSERT_TRUE(rtl::TryParseDateTime(U16(server), u"dd/mm/yyyy hh:nn:ss", expected)) << server;
    EXPECT_LT(std::abs(next - expected) * 86400.0, 60.0) << ponteiro << " vs " << server;
  }
}

// A next-run time nobody can read when the main window first shows: the
// error is shown, the scheduler starts all the same, each failing tick
// shows one error, and the first tick after the value is mended runs.
TEST_P(ProgramEndToEnd, TheSchedulerStartsDespiteAnUnreadableNextRunTime) {
  admin_->ExecSQL(u"update vorna_mat.integracao_recurso set ponteiro_integracao = 'amanhã'");
  rtl::TestClock& clock = clock_->clock();
  std::string failure;
  const int status = RunDriven(
      [&]() -> std::string {
        std::string why = LogInAndStartTheScheduler();
        if (!why.empty()) return why;
        std::vector<std::string> boxes = ShownBoxes();
        if (boxes.size() != 1) return "expected one error at the first show, got " + std::to_string(boxes.size());
        for (int tick = 0; tick < 2; ++tick) {
          clock.Advance(10000);
          // A failing tick: one error each, and no run.
          std::vector<std::string> shown;
          const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (shown.empty() && std::chrono::steady_clock::now() < end) {
            shown = ShownBoxes();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          for (const std::string& more : ShownBoxes()) shown.push_back(more);
          if (shown.size() != 1) return "tick " + std::to_string(tick) + ": " + std::to_string(shown.size()) + " errors";
          if (server_.RequestCount() != 0) return "a run started on an unreadable next-run time";
        }
        admin_->ExecSQL(u"update vorna_mat.integracao_recurso set ponteiro_integracao = :p",
                        {rtl::Variant(String(pg() ? u"01/01/2020 00:00:00" : u"22/06/2026 08:00:00"))});
        clock.Advance(10000);
        if (!WaitOnMain([] {
              return TThreadXML::LiveCount() == 0 &&
                     LogText().find("Thread executada com sucesso.") != std::string::npos;
            }))
          return "no run after the value was mended";
        OnMain([] { frmPrincipal->Close(); });
        return "";
      },
      failure);
  ASSERT_EQ(failure, "");
  EXPECT_EQ(status, kProgramOk);
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
}

// The run could not free its busy flag (the database refused the write):
// the program owes it, tries again at each tick, starts no run before it
// has freed it, and frees it as soon as the database lets it, at a later
// tick or, closed first, before it ends.
TEST_P(ProgramEndToEnd, AFlagTheRunCouldNotFreeIsFreedLater) {
  struct Case {
    const char* name;
    bool closeBeforeTheTick;
  };
  const Case cases[] = {{"freed by a later tick", false}, {"freed by the closing program", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    server_.SetResponder(e2e::SlowDemo(1, "22/06/2026", std::chrono::milliseconds(1500)));
    const std::size_t requestsBefore = server_.RequestCount();
    RefuseFlagClearing();
    rtl::TestClock& clock = clock_->clock();
    std::string failure;
    const int status = RunDriven(
        [&]() -> std::string {
          std::string why = LogInAndStartTheScheduler();
          if (!why.empty()) return why;
          clock.Advance(10000);  // the tick that starts the run
          for (int i = 0; i < 400 && server_.RequestCount() == requestsBefore; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
          if (server_.RequestCount() == requestsBefore) return "no run started";
          // Due again, so that only the owed flag can hold the next tick back.
          admin_->ExecSQL(u"update vorna_mat.integracao_recurso set ponteiro_integracao = '01/01/2020 00:00:00'");
          LockResourceRow();
          if (!WaitOnMain([] {
                return TThreadXML::LiveCount() == 0 &&
                       LogText().find("Não foi possível liberar a integração (carga_inicial = 1)") !=
                           std::string::npos;
              }))
            return "the run did not say it left the flag set";
          if (LogText().find("Thread executada com sucesso.") != std::string::npos) return "reported as a success";
          if (OwedBusyFlag() == 0) return "the flag is not owed";
          ShownBoxes();
          // Still refused: the tick says so and starts nothing.
          clock.Advance(10000);
          const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          std::vector<std::string> shown;
          while (shown.empty() && std::chrono::steady_clock::now() < end) {
            shown = ShownBoxes();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
          if (shown.size() != 1 || shown[0].find("carga_inicial = 1") == std::string::npos)
            return "the refused tick showed no error about the flag";
          if (server_.RequestCount() != requestsBefore + 1) return "a run started while the flag was owed";
          AllowFlagClearing();
          if (!c.closeBeforeTheTick) {
            clock.Advance(10000);
            if (!WaitOnMain([] { return OwedBusyFlag() == 0; })) return "the flag was not freed by a later tick";
          }
          OnMain([] { frmPrincipal->Close(); });
          return "";
        },
        failure);
    ASSERT_EQ(failure, "");
    EXPECT_EQ(status, kProgramOk);
    EXPECT_EQ(OwedBusyFlag(), 0);
    EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
  }
}

// Closing the main window while a run waits for the API: the run stops, the
// flag is free and the program ends within seconds.
TEST_P(ProgramEndToEnd, ClosingTheWindowDuringARunStopsItAndFreesTheFlag) {
  server_.SetResponder(e2e::SlowDemo(1, "22/06/2026", std::chrono::seconds(60)));
  rtl::TestClock& clock = clock_->clock();
  std::string failure;
  std::chrono::steady_clock::time_point closed;
  const int status = RunDriven(
      [&]() -> std::string {
        std::string why = LogInAndStartTheScheduler();
        if (!why.empty()) return why;
        clock.Advance(10000);
        for (int i = 0; i < 400 && server_.RequestCount() == 0; ++i)
          std::this_thread::sleep_for(std::chrono::milliseconds(25));
        if (server_.RequestCount() == 0) return "no run started";
        closed = std::chrono::steady_clock::now();
        OnMain([] { frmPrincipal->Close(); });
        return "";
      },
      failure);
  const auto took = std::chrono::steady_clock::now() - closed;
  ASSERT_EQ(failure, "");
  EXPECT_EQ(status, kProgramOk);
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_EQ(TThreadXML::LiveCount(), 0);
  EXPECT_EQ(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso"), "0");
}

INSTANTIATE_TEST_SUITE_P(Drivers, ProgramEndToEnd,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), e2e::DriverLabel);

}  // namespace

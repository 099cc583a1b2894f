// The main window without runs: what the first show does, the search over
// the staged records, start and stop, the log switch and its shortcuts,
// closing, and how the window looks.
#include "tests/app/forms/principal_fixture.h"
#include "tests/support/golden.h"

namespace forms_test {
namespace {

using integrador::kNullDate;

class Principal : public PrincipalTest {
 protected:
  // Staged rows of the test's own: id, start of the supply, error flag.
  void Stage(int id, const std::string& inicio, int erro) {
    Admin().ExecSQL(U16("insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, data_inicio, "
                        "erro_integracao) values (" + std::to_string(id) + ", 'T" + std::to_string(id) +
                        "', 'Finalizado', '" + inicio + "', " + std::to_string(erro) + ")"));
  }
  void StageWeek() {
    Stage(1, "2026-06-14 23:59:59", 0);  // the day before the period
    Stage(2, "2026-06-15 00:00:00", 0);  // its first moment
    Stage(3, "2026-06-18 12:00:00", 1);  // with an error
    Stage(4, "2026-06-22 00:00:00", 0);  // the end day's first moment
    Stage(5, "2026-06-22 10:00:00", 0);  // later on the end day
    Stage(6, "2026-06-23 00:00:00", 0);  // the day after
  }
  // The ids the grid's query lists now.
  std::string Listed() {
    dac::TQuery* q = integrador::dtmPrincipal->qryQuelora;
    if (!q->Active()) return "<closed>";
    std::string out;
    for (q->First(); !q->Eof(); q->Next()) {
      if (!out.empty()) out += ",";
      out += U8(q->FieldByName(u"id_quelora")->AsString());
    }
    return out;
  }
  void PressShortcut(win::UINT vk) {
    win::headless::KeyDown(win::VK_CONTROL);
    win::headless::KeyDown(win::VK_SHIFT);
    win::headless::PressKey(vk);
    win::headless::KeyUp(win::VK_SHIFT);
    win::headless::KeyUp(win::VK_CONTROL);
    Process();
  }
};

TEST_P(Principal, FirstShowLogsInThenListsTheLastWeekWithoutErrorsAndStartsTenSecondsLater) {
  StageWeek();
  SetResource("22/06/2026 09:30:00", 0);
  EXPECT_EQ(Caption(window_->lblStatusIntegrador), "Aguardando Inicialização");
  ShowWindow();
  EXPECT_EQ(window_->logins, 1);
  EXPECT_EQ(U8(window_->cxDataInicial->Text()), "15/06/2026");
  EXPECT_EQ(U8(window_->cxDataFinal->Text()), "22/06/2026");
  EXPECT_EQ(Caption(window_->lblProximaConsulta), "22/06/2026 09:30:00");
  // The whole end day is in the period; rows with an error are not listed.
  EXPECT_EQ(Listed(), "5,4,2");
  EXPECT_EQ(window_->dtsQuelora->DataSet(), integrador::dtmPrincipal->qryQuelora);

  ui::TTimer* start = integrador::StartTimer();
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(start->Interval(), 10000u);
  EXPECT_TRUE(start->Enabled());
  EXPECT_FALSE(window_->TimerThread->Enabled());
  clock().Advance(9999);
  EXPECT_EQ(Caption(window_->lblStatusIntegrador), "Aguardando Inicialização");
  clock().Advance(1);
  Process();
  EXPECT_EQ(integrador::StartTimer(), nullptr);  // fired once, and gone
  EXPECT_EQ(Caption(window_->lblStatusIntegrador), "Em execução...");
  EXPECT_TRUE(window_->TimerThread->Enabled());
  EXPECT_EQ(window_->TimerThread->Interval(), 10000u);
  EXPECT_FALSE(window_->actIniciar->Enabled());
  EXPECT_TRUE(window_->actParar->Enabled());

  // Shown again later: no second login.
  window_->Hide();
  window_->Show();
  Process();
  EXPECT_EQ(window_->logins, 1);
}

TEST_P(Principal, SearchListsThePeriodWholeDaysAndTheErrorSwitch) {
  StageWeek();
  ShowWindow();
  struct Case {
    const char* name;
    const char16_t* inicial;
    const char16_t* final;
    bool pendentes;
    const char* listed;
  };
  const Case cases[] = {
      {"the last week", u"15/06/2026", u"22/06/2026", false, "5,4,2"},
      {"with the rows that have an error", u"15/06/2026", u"22/06/2026", true, "5,4,3,2"},
      {"one day, all of it", u"22/06/2026", u"22/06/2026", false, "5,4"},
      {"one-digit day and month", u"14/6/2026", u"14/6/2026", false, "1"},
      {"the day after", u"23/06/2026", u"30/06/2026", true, "6"},
      {"the end before the start", u"22/06/2026", u"15/06/2026", true, ""},
      {"no start date", u"", u"22/06/2026", true, ""},
      {"no such date", u"31/02/2026", u"22/06/2026", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window_->cxDataInicial->SetText(c.inicial);
    window_->cxDataFinal->SetText(c.final);
    window_->chkPendentesIntegracao->SetChecked(c.pendentes);
    window_->btnLocalizar->Click();
    EXPECT_EQ(Listed(), c.listed);
  }
}

TEST_P(Principal, AFailingSearchShowsTheErrorBoxAndLeavesTheWindowAsItWas) {
  ShowWindow();
  integrador::dtmPrincipal->FDConnPrincipal->Close();
  integrador::dtmPrincipal->FDConnPrincipal->Params().Clear();
  integrador::dtmPrincipal->FDConnPrincipal->Params().Add(u"DATABASE=");
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  // Alt+L presses "&Localizar".
  win::headless::KeyDown(win::VK_MENU);
  win::headless::PressKey('L', u"l");
  win::headless::KeyUp(win::VK_MENU);
  Process();
  auto boxes = win::headless::TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].type, win::MB_OK | win::MB_ICONSTOP);
  EXPECT_EQ(U8(window_->cxDataInicial->Text()), "15/06/2026");
  EXPECT_EQ(Caption(window_->lblStatusIntegrador), "Aguardando Inicialização");
}

TEST_P(Principal, StartAndStopFollowTheirActionsAndTheVersionButtonStartsAgain) {
  ShowWindow();
  auto state = [&] {
    return Caption(window_->lblStatusIntegrador) + "|" + (window_->btnIniciar->Enabled() ? "I" : "-") +
           (window_->btnParar->Enabled() ? "P" : "-") + (window_->TimerThread->Enabled() ? "T" : "-");
  };
  EXPECT_EQ(state(), "Aguardando Inicialização|I--");
  window_->btnIniciar->Click();
  EXPECT_EQ(state(), "Em execução...|-PT");
  window_->cxButton1->Click();  // while running: only the text is set again
  EXPECT_EQ(state(), "Em execução...|-PT");
  window_->btnIniciar->Click();  // disabled: nothing
  EXPECT_EQ(state(), "Em execução...|-PT");
  window_->btnParar->Click();
  EXPECT_EQ(state(), "Processo Parado...|I--");
  window_->cxButton1->Click();
  EXPECT_EQ(state(), "Em execução...|-PT");
  EXPECT_EQ(Caption(window_->cxButton1), " Versão 14.53.01");
}

TEST_P(Principal, ShortcutsRevealAndHideTheLogSwitch) {
  ShowWindow();
  auto shown = [&] {
    std::string s;
    for (ui::TControl* c : std::initializer_list<ui::TControl*>{window_->chkMostrarLog, window_->btnGet,
                                                               window_->cxComboBox, window_->cxTextEdit,
                                                               window_->pnlLog, window_->memLog})
      s += c->Visible() ? "1" : "0";
    return s;
  };
  EXPECT_EQ(shown(), "000000");
  EXPECT_EQ(Caption(window_->chkMostrarLog), "Mostrar Log");
  win::headless::KeyDown(win::VK_CONTROL);
  win::headless::PressKey(win::VK_F10);  // Ctrl alone is not the shortcut
  win::headless::KeyUp(win::VK_CONTROL);
  Process();
  EXPECT_EQ(shown(), "000000");
  PressShortcut(win::VK_F10);
  EXPECT_EQ(shown(), "111100");
  EXPECT_EQ(U8(window_->cxTextEdit->Text()), "1");
  // Checking the box shows the pane; the action does not run again.
  const ui::TPoint at = window_->chkMostrarLog->ClientToScreen(ui::TPoint{6, window_->chkMostrarLog->Height() / 2});
  win::headless::Click(at.x, at.y);
  Process();
  EXPECT_TRUE(window_->chkMostrarLog->Checked());
  EXPECT_EQ(shown(), "111111");
  // The shortcut also works from inside an editor.
  window_->cxDataInicial->SetFocus();
  Process();
  PressShortcut(win::VK_F11);
  EXPECT_FALSE(window_->chkMostrarLog->Checked());
  EXPECT_EQ(shown(), "000000");
  EXPECT_EQ(U8(window_->cxDataInicial->Text()), "15/06/2026");
}

TEST_P(Principal, ACancelledLoginEndsTheProgramWithItsStatus) {
  window_->login = [] { return ui::mrCancel; };
  ShowWindow();
  EXPECT_EQ(integrador::ProgramStatus(), integrador::kProgramLoginCancelled);
  EXPECT_EQ(integrador::StartTimer(), nullptr);
  EXPECT_FALSE(integrador::dtmPrincipal->qryQuelora->Active());
  EXPECT_EQ(Caption(window_->lblProximaConsulta), "");
}

TEST_P(Principal, ClosingStopsTheSchedulerAndEndsTheProgram) {
  ShowWindow();
  window_->btnIniciar->Click();
  EXPECT_EQ(integrador::MainWindow(), static_cast<integrador::IMainWindow*>(window_));
  window_->Close();
  EXPECT_FALSE(window_->TimerThread->Enabled());
  EXPECT_EQ(integrador::frmPrincipal, nullptr);
  EXPECT_EQ(integrador::MainWindow(), nullptr);
  EXPECT_EQ(integrador::ProgramStatus(), integrador::kProgramOk);
}

TEST_P(Principal, DateEditorsTakeDigitsAndSlashesAndReadTheirDate) {
  ShowWindow();
  integrador::TDateEdit* edit = window_->cxDataInicial;
  edit->SetFocus();
  edit->SelectAll();
  win::headless::TypeText(u"2a1/0b6/2025x");
  Process();
  EXPECT_EQ(U8(edit->Text()), "21/06/2025");
  EXPECT_EQ(edit->Date(), rtl::EncodeDate(2025, 6, 21));
  struct Case {
    const char16_t* text;
    rtl::TDateTime date;
  };
  const Case cases[] = {
      {u"01/01/2026", rtl::EncodeDate(2026, 1, 1)}, {u"1/2/2026", rtl::EncodeDate(2026, 2, 1)},
      {u"", kNullDate},           {u"29/02/2025", kNullDate},
      {u"12/2026", kNullDate},    {u"99/99/9999", kNullDate},
  };
  for (const Case& c : cases) {
    edit->SetText(c.text);
    EXPECT_EQ(edit->Date(), c.date) << U8(c.text);
  }
  edit->SetDate(rtl::EncodeDateTime(2026, 3, 4, 23, 59, 0, 0));
  EXPECT_EQ(U8(edit->Text()), "04/03/2026");
  edit->SetDate(kNullDate);
  EXPECT_EQ(U8(edit->Text()), "");
}

// The picture does not depend on the engine: it is taken on the embedded one.
class PrincipalPicture : public Principal {};

TEST_P(PrincipalPicture, LooksAsDrawnWithTheLogPaneOpen) {
  SetResource("22/06/2026 09:30:00", 0);
  ShowWindow();
  window_->actModeDev->Execute();
  window_->chkMostrarLog->SetChecked(true);
  window_->memLog->Lines().Add(u"08:00:00 - Iniciando consulta à Brenvik...");
  window_->memLog->Lines().Add(u"08:00:01 - Dados recebidos da API com sucesso.");
  window_->memLog->Lines().Add(u"08:00:01 - Thread executada com sucesso.");
  Process();
  testing_support::GoldenOptions options;
  options.channelTolerance = 40;
  options.maxDifferingPixels = 60;
  EXPECT_GOLDEN(win::headless::Screenshot(window_->Handle()), "app", "principal_log", options);
}

INSTANTIATE_FOR_DRIVERS(Principal);
INSTANTIATE_TEST_SUITE_P(Drivers, PrincipalPicture, testing::Values(dac::DriverKind::SQLite),
                         ::forms_test::DriverLabel);

}  // namespace
}  // namespace forms_test

// The main window's scheduler and log pane, each beside a baseline in the
// same run (embedded database, headless window system):
//  - Tick/scheduler: one tick of TimerThreadTimer on a resource that is due
//    and free, whose flag another holder takes first (a trigger keeps the
//    UPDATE from changing the row), so the tick runs its three statements and
//    ends without starting a run; Tick/bare: the same three statements on the
//    same queries and connections, nothing else.
//  - LogLine/pane: one line added to a full log pane (10,000 lines) of a
//    shown window; LogLine/deque: the same line added to a std::deque of the
//    lines that drops its oldest one.
// Compare the time per iteration of each pair.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/forms/uPrincipal.h"
#include "app/run/U_Global_Library.h"
#include "app/run/config.h"
#include "app/run/udmPrincipal.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/rtl.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"

namespace {

using rtl::String;

struct Site {
  std::string folder;
  std::unique_ptr<win::headless::HeadlessScope> screen;
  integrador::TfrmPrincipal* window = nullptr;

  Site() {
    std::string pattern = (std::filesystem::temp_directory_path() / "scheduler-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    std::ofstream(folder + "/databases.ini") << "[BENCH]\nDriver=sqlite\nDemo=1\nDirectory=" << folder << "/db\n";
    integrador::SetHomeFolder(rtl::Utf8ToString(folder));
    dac::SetDatabasesFile(rtl::Utf8ToString(folder + "/databases.ini"));

    screen = std::make_unique<win::headless::HeadlessScope>();
    ui::Application->Initialize();
    ui::Application->CreateForm(integrador::dtmPrincipal);
    ui::Application->CreateForm(integrador::frmPrincipal);
    window = integrador::frmPrincipal;
    ui::Application->CreateForm(integrador::Global_Library);
    integrador::dtmPrincipal->SetLoginConnection(integrador::Global_Library->DBXConnection);

    // The login.
    rtl::TStrings& p = integrador::Global_Library->DBXConnection->Params();
    p.Add(u"DATABASE=BENCH");
    p.Add(u"USER_NAME=bench");
    p.Add(u"DEFAULT COMPANY=17");
    integrador::Global_Library->DBXConnection->Open();
    integrador::dtmPrincipal->FDConnPrincipal->SetParams(p);
    integrador::dtmPrincipal->FDConnPrincipal->Open();

    dac::TConnection* admin = integrador::dtmPrincipal->FDConnPrincipal;
    admin->ExecSQL(u"update vorna_mat.integracao_recurso set ponteiro_integracao = '01/01/2020 00:00:00', "
                   u"carga_inicial = 0");
    admin->ExecSQL(u"create trigger if not exists vorna_mat.bench_flag_taken before update on integracao_recurso "
                   u"begin select raise(ignore); end");
    integrador::dtmPrincipal->qryBuscaCNPJ->Open();

    // One tick as a check: due, free, the flag not taken, no run, no error.
    window->TimerThreadTimer(nullptr);
    if (integrador::TThreadXML::LiveCount() != 0 || window->TickErrorShowing() ||
        integrador::dtmPrincipal->qryUpdateSemaforo->RowsAffected() != 0) {
      std::fprintf(stderr, "the bench's tick did not end at the flag\n");
      std::abort();
    }
  }
};

Site& site() {
  static Site* s = new Site();  // lives to the end: the window system goes with the process
  return *s;
}

void TickScheduler(benchmark::State& state) {
  integrador::TfrmPrincipal* window = site().window;
  for (auto _ : state) window->TimerThreadTimer(nullptr);
  if (window->TickErrorShowing()) state.SkipWithError("a tick failed");
}
BENCHMARK(TickScheduler)->Name("Tick/scheduler")->Unit(benchmark::kMicrosecond);

void TickBare(benchmark::State& state) {
  site();
  integrador::TdtmPrincipal* dm = integrador::dtmPrincipal;
  for (auto _ : state) {
    dm->qryConsultaIntegracao->Close();
    dm->qryConsultaIntegracao->ParamByName(u"id_integracao_recurso")->SetAsInteger(1);
    dm->qryConsultaIntegracao->Open();
    dm->qryBuscaCNPJ->Close();
    dm->qryBuscaCNPJ->Open();
    dm->qryUpdateSemaforo->ParamByName(u"carga_inicial")->SetAsInteger(1);
    dm->qryUpdateSemaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(1);
    dm->qryUpdateSemaforo->ExecSQL();
    benchmark::DoNotOptimize(dm->qryUpdateSemaforo->RowsAffected());
  }
}
BENCHMARK(TickBare)->Name("Tick/bare")->Unit(benchmark::kMicrosecond);

const String kLine = u"08:00:01 - Registro 1523001 inserido com sucesso.";

void LogLinePane(benchmark::State& state) {
  integrador::TfrmPrincipal* window = site().window;
  window->Show();
  window->chkMostrarLog->SetChecked(true);
  rtl::TStrings& lines = window->memLog->Lines();
  while (lines.Count() < integrador::TLogPane::kMaxLines) lines.Add(kLine);
  win::headless::ProcessMessages();
  int n = 0;
  for (auto _ : state) {
    lines.Add(kLine);
    // The window repaints now and then, as the loop would between hand-overs.
    if (++n % 64 == 0) win::headless::ProcessMessages();
  }
}
BENCHMARK(LogLinePane)->Name("LogLine/pane")->Unit(benchmark::kMicrosecond);

// The floor: the pane's lines kept in a std::deque, the oldest dropped as
// each new one comes, with no entries moved.
void LogLineDeque(benchmark::State& state) {
  std::deque<String> lines;
  while (lines.size() < static_cast<std::size_t>(integrador::TLogPane::kMaxLines)) lines.push_back(kLine);
  for (auto _ : state) {
    lines.push_back(kLine);
    lines.pop_front();
    benchmark::DoNotOptimize(lines.back().data());
  }
}
BENCHMARK(LogLineDeque)->Name("LogLine/deque")->Unit(benchmark::kMicrosecond);

}  // namespace

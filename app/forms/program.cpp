#include "app/forms/program.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "app/forms/uLogin.h"
#include "app/forms/uPrincipal.h"
#include "app/run/U_Global_Library.h"
#include "app/run/busy_flag.h"
#include "app/run/config.h"
#include "app/run/run_once.h"
#include "app/run/udmPrincipal.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/aliases.h"
#include "platform/rtl/except.h"
#include "platform/rtl/threads.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/backend.h"

namespace integrador {

namespace {

constexpr char kUsage[] = "usage: integrador [--home <DIR>]\n"
                          "       integrador --run-once [--database <ALIAS>] [--home <DIR>]\n";

// How long a closing program waits for a run in progress to reach a safe
// point (the main window's close waits as long; this covers other ways out
// of the loop).
constexpr rtl::Int64 kWorkerStopWaitMs = 30000;

bool HeadlessBackend() {
  win::Backend* backend = win::CurrentBackend();
  return !backend || backend->Name() == "headless";
}

// SIGINT and SIGTERM close the main window as its close button does, so a
// run in progress stops at a safe point and frees the busy flag. The signals
// are taken by a thread of their own (they are blocked everywhere else) and
// handed to the main thread.
class TStopSignals {
 public:
  TStopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGUSR1);  // our own: ends the waiting thread
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    thread_ = std::thread([this] {
      for (;;) {
        int sig = 0;
        if (sigwait(&set_, &sig) != 0 || sig == SIGUSR1) return;
        rtl::TThread::Queue(nullptr, [] {
          // The login window runs its own loop before the main window is
          // up: a stop then cancels the login, as its cancel button does.
          if (frmLogin && frmLogin->Visible()) {
            frmLogin->SetModalResult(ui::mrCancel);
            return;
          }
          if (ui::TCustomForm* main = ui::Application->MainForm())
            main->Close();
          else
            ui::Application->Terminate();
        });
      }
    });
  }
  ~TStopSignals() {
    pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

 private:
  sigset_t set_{};
  sigset_t previous_{};
  std::thread thread_;
};

// A busy flag the program's run could not free is still the program's to
// free before it goes; when the database still refuses, it says so.
void FreeOwedFlagBeforeExit() {
  const int owed = OwedBusyFlag();
  if (owed == 0 || !dtmPrincipal) return;
  auto clear = [owed] {
    TCatalogueQuery* semaforo = dtmPrincipal->qryUpdateSemaforo;
    semaforo->ParamByName(u"carga_inicial")->SetAsInteger(0);
    semaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(owed);
    semaforo->ExecSQL();
  };
  auto reconnect = [] {
    dac::TConnection* conn = dtmPrincipal->FDConnPrincipal;
    if (conn->Connected()) conn->Close();
    conn->Open();
  };
  rtl::String error;
  if (ClearBusyFlagWithRetries(clear, reconnect, error))
    BusyFlagFreed(owed);
  else
    std::fprintf(stderr, "integrador: %s\n", rtl::StringToUtf8(BusyFlagNotFreedLine(error)).c_str());
}

}  // namespace

bool ParseProgramCommandLine(int argc, char** argv, TProgramOptions& options, std::string& error) {
  bool home = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--home" && !home) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        error = "--home needs a value";
        return false;
      }
      home = true;
      options.Home = rtl::Utf8ToString(argv[++i]);
    } else {
      error = "unexpected argument: " + arg;
      return false;
    }
  }
  return true;
}

void CreateProgramObjects(bool headless) {
  ui::Application->CreateForm(dtmPrincipal);
  ui::Application->CreateForm(frmPrincipal);  // the first form: the main form
  ui::Application->CreateForm(frmLogin);
  ui::Application->CreateForm(Global_Library);
  dtmPrincipal->SetLoginConnection(Global_Library->DBXConnection);
  if (headless) {
    // Nobody can answer a warning on a machine without a display: a login
    // that stops at one ends the program, and the log goes to the console.
    frmLogin->CancelOnWarning = true;
    frmPrincipal->memLog->SetEcho(stdout);
  }
}

int RunProgram(const TProgramOptions& options) {
  if (!options.Home.empty()) SetHomeFolder(options.Home);
  dac::SetDatabasesFile(HomeFolder() + u"/databases.ini");
  ResetProgramStatus();

  // Unowned top-level windows have their own task bar button, so the main
  // form's is there without more ado.
  ui::Application->Initialize();
  TStopSignals signals;
  CreateProgramObjects(HeadlessBackend());
  ui::Application->Run();

  // However the loop ended, a run still in progress is asked to stop and
  // waited for, so that it leaves the busy flag free.
  TThreadXML::TerminateAll();
  TThreadXML::WaitForAll(kWorkerStopWaitMs);
  FreeOwedFlagBeforeExit();
  rtl::BeginShutdown();
  return ProgramStatus();
}

int ProgramMain(int argc, char** argv) {
  if (IsRunOnceCommandLine(argc, argv)) return RunOnceMain(argc, argv);
  TProgramOptions options;
  std::string error;
  if (!ParseProgramCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "integrador: %s\n%s", error.c_str(), kUsage);
    return kProgramUsage;
  }
  try {
    return RunProgram(options);
  } catch (const rtl::Exception& e) {
    std::fprintf(stderr, "integrador: %s\n", rtl::StringToUtf8(e.Message()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "integrador: %s\n", e.what());
  }
  return kProgramLoginCancelled;
}

}  // namespace integrador

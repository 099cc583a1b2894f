#include "app/run/run_once.h"

#include <csignal>
#include <cstring>
#include <memory>

#include "app/run/U_Global_Library.h"
#include "app/run/busy_flag.h"
#include "app/run/config.h"
#include "app/run/log_lines.h"
#include "app/run/udmPrincipal.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/aliases.h"
#include "platform/dac/connection.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/object.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"

namespace integrador {

using rtl::String;

namespace {

constexpr char16_t kBusyLine[] = u"Integração em andamento: carga_inicial = 1.";

// The log pane of the command line: every line is printed at once; only the
// last is kept, to know how the run ended.
class TPrintedLines : public rtl::TStringList {
 public:
  explicit TPrintedLines(std::FILE* out) : out_(out) {}
  int Add(const String& s) override {
    std::fprintf(out_, "%s\n", rtl::StringToUtf8(s).c_str());
    std::fflush(out_);
    last_ = s;
    return 0;
  }
  const String& Last() const { return last_; }

 private:
  std::FILE* out_;
  String last_;
};

class TConsoleLog : public ILogLines {
 public:
  explicit TConsoleLog(std::FILE* out) : lines_(out) {}
  rtl::TStrings& Lines() override { return lines_; }
  // A line of the run-once itself, in the same form as the run's.
  void Line(const String& text) {
    lines_.Add(rtl::FormatDateTime(u"hh:nn:ss", rtl::Now(), PtBr()) + u" - " + text);
  }
  // The text of the last line, without its time.
  String LastText() const {
    const String& last = lines_.Last();
    std::size_t sep = last.find(u" - ");
    return sep == String::npos ? last : last.substr(sep + 3);
  }

 private:
  TPrintedLines lines_;
};

volatile std::sig_atomic_t stopSignal = 0;
extern "C" void OnStopSignal(int) { stopSignal = 1; }

String RunOnceMessageOf(const std::exception& e) {
  if (auto* r = dynamic_cast<const rtl::Exception*>(&e)) return r->Message();
  return rtl::Utf8ToString(e.what());
}

}  // namespace

bool IsRunOnceCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--run-once") == 0) return true;
  return false;
}

bool ParseRunOnceCommandLine(int argc, char** argv, TRunOnceOptions& options, std::string& error) {
  bool runOnce = false, database = false, home = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--run-once" && !runOnce) {
      runOnce = true;
    } else if ((arg == "--database" && !database) || (arg == "--home" && !home)) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        error = arg + " needs a value";
        return false;
      }
      String value = rtl::Utf8ToString(argv[++i]);
      if (arg == "--database") {
        database = true;
        options.Database = value;
      } else {
        home = true;
        options.Home = value;
      }
    } else {
      error = "unexpected argument: " + arg;
      return false;
    }
  }
  if (!runOnce) {
    error = "--run-once missing";
    return false;
  }
  return true;
}

namespace {

// SIGINT and SIGTERM, from before the flag is taken until the run has ended:
// they ask the run to stop instead of ending the process with the flag set.
class TStopSignalScope {
 public:
  TStopSignalScope() {
    stopSignal = 0;
    oldInt_ = std::signal(SIGINT, OnStopSignal);
    oldTerm_ = std::signal(SIGTERM, OnStopSignal);
  }
  ~TStopSignalScope() {
    std::signal(SIGINT, oldInt_);
    std::signal(SIGTERM, oldTerm_);
  }
  TStopSignalScope(const TStopSignalScope&) = delete;
  TStopSignalScope& operator=(const TStopSignalScope&) = delete;

 private:
  void (*oldInt_)(int) = SIG_DFL;
  void (*oldTerm_)(int) = SIG_DFL;
};

// Frees the flag this process took, on the main data module's connection.
// False with the line already printed when the database refused every try.
bool FreeOwnFlag(TdtmPrincipal* principal, int resource, TConsoleLog& log) {
  auto clear = [&] {
    principal->qryUpdateSemaforo->ParamByName(u"carga_inicial")->SetAsInteger(0);
    principal->qryUpdateSemaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(resource);
    principal->qryUpdateSemaforo->ExecSQL();
  };
  auto reconnect = [principal] {
    dac::TConnection* conn = principal->FDConnPrincipal;
    if (conn->Connected()) conn->Close();
    conn->Open();
  };
  String error;
  if (ClearBusyFlagWithRetries(clear, reconnect, error)) {
    BusyFlagFreed(resource);
    return true;
  }
  log.Line(BusyFlagNotFreedLine(error));
  return false;
}

// Serves the worker's hand-overs until it has gone. A stop signal asks it to
// stop at its next safe point; its hand-overs are still served meanwhile,
// since it logs and frees the flag on its way out.
void ServeWorker() {
  bool stopAsked = false;
  while (TThreadXML::LiveCount() > 0) {
    if (stopAsked)
      rtl::RunUntil([] { return TThreadXML::LiveCount() == 0; }, 200);
    else
      rtl::RunUntil([] { return TThreadXML::LiveCount() == 0 || stopSignal != 0; }, 200);
    if (stopSignal && !stopAsked) {
      stopAsked = true;
      TThreadXML::TerminateAll();
    }
  }
}

}  // namespace

int RunOnce(const TRunOnceOptions& options, std::FILE* out, std::FILE* err) {
  if (!options.Home.empty()) SetHomeFolder(options.Home);
  const String home = HomeFolder();
  dac::SetDatabasesFile(home + u"/databases.ini");
  const dac::TLoginDefaults login = dac::TDatabasesFile(dac::DatabasesFile()).Login();
  const String alias = options.Database.empty() ? login.Banco : options.Database;

  TConsoleLog log(out);
  std::unique_ptr<TGlobal_Library> library(rtl::Create<TGlobal_Library>(nullptr));
  Global_Library = library.get();
  std::unique_ptr<TdtmPrincipal> principal(rtl::Create<TdtmPrincipal>(nullptr));
  dtmPrincipal = principal.get();
  struct Globals {
    ~Globals() {
      dtmPrincipal = nullptr;
      Global_Library = nullptr;
    }
  } clearGlobals;
  TStopSignalScope signals;

  // The login, as the login window does it.
  try {
    if (alias.empty()) throw rtl::Exception(u"Informe um banco!");
    dac::TConnection* dbx = library->DBXConnection;
    dbx->Params().Clear();
    dbx->Params().Add(u"DATABASE=" + alias);
    dbx->Params().Add(u"USER_NAME=" + login.Usuario);
    dbx->Params().Add(u"PASSWORD=" + login.Senha);
    dbx->Params().Add(u"DEFAULT COMPANY=" + login.Empresa);
    dbx->Open();
    principal->qryConectaEmpresa->ParamByName(u"EMPRESA")->SetAsString(login.Empresa);
    principal->qryConectaEmpresa->ExecSQL();
    principal->FDConnPrincipal->SetParams(dbx->Params());
    principal->FDConnPrincipal->Open();
  } catch (const std::exception& e) {
    std::fprintf(err, "%s\n",
                 rtl::StringToUtf8(u"Erro ao conectar ao banco de dados: " + RunOnceMessageOf(e)).c_str());
    return kRunOnceFailed;
  }

  // Stopped while it logged in: nothing taken, nothing to free.
  if (stopSignal) {
    log.Line(kStoppedLine);
    return kRunOnceFailed;
  }

  // What a due tick does from the flag on.
  int resource = 0;
  try {
    principal->qryBuscaCNPJ->Close();
    principal->qryBuscaCNPJ->Open();
    if (principal->qryBuscaCNPJ->IsEmpty()) {
      log.Line(u"Erro na thread: " + String(kResourceMissing));
      return kRunOnceFailed;
    }
    resource = principal->qryBuscaCNPJ->FieldByName(u"id_integracao_recurso")->AsInteger();
    principal->qryUpdateSemaforo->ParamByName(u"carga_inicial")->SetAsInteger(1);
    principal->qryUpdateSemaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(resource);
    principal->qryUpdateSemaforo->ExecSQL();
    if (principal->qryUpdateSemaforo->RowsAffected() != 1) {
      log.Line(kBusyLine);
      return kRunOnceBusy;
    }
  } catch (const std::exception& e) {
    log.Line(u"Erro na thread: " + RunOnceMessageOf(e));
    return kRunOnceFailed;
  }

  // From here the flag is ours: every way out frees it.
  if (stopSignal) {
    log.Line(kStoppedLine);
    FreeOwnFlag(principal.get(), resource, log);
    return kRunOnceFailed;
  }
  auto params = std::make_unique<TThreadParams>();
  params->ConnDefParams = &library->DBXConnection->Params();
  params->Grid = nullptr;
  params->RichEdit = &log;
  params->Resource = resource;
  try {
    rtl::NewThread<TThreadXML>(params.get());
    params.release();  // the worker owns them now
  } catch (const std::exception& e) {
    log.Line(u"Erro na thread: " + RunOnceMessageOf(e));
    FreeOwnFlag(principal.get(), resource, log);
    return kRunOnceFailed;
  }

  ServeWorker();
  const bool succeeded = log.LastText() == kSuccessLine;
  // A flag the run could not free is still ours to free.
  if (OwedBusyFlag() == resource && !FreeOwnFlag(principal.get(), resource, log)) return kRunOnceFailed;
  return succeeded ? kRunOnceSuccess : kRunOnceFailed;
}

int RunOnceMain(int argc, char** argv) {
  TRunOnceOptions options;
  std::string error;
  if (!ParseRunOnceCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "integrador: %s\nusage: integrador --run-once [--database <ALIAS>] [--home <DIR>]\n",
                 error.c_str());
    return kRunOnceUsage;
  }
  try {
    return RunOnce(options, stdout, stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "integrador: %s\n", rtl::StringToUtf8(RunOnceMessageOf(e)).c_str());
    return kRunOnceFailed;
  }
}

}  // namespace integrador

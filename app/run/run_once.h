#pragma once
// `integrador --run-once [--database <ALIAS>] [--home <DIR>]`: one
// integration run from the command line, without windows. It logs in as the
// login window does, takes the busy flag with the guarded UPDATE whatever
// the next-run time, runs one worker, serves its hand-overs on this thread
// and prints each log line as "hh:nn:ss - " + text.
#include <cstdio>
#include <string>

#include "platform/rtl/types.h"

namespace integrador {

// Exit statuses.
enum TRunOnceStatus {
  kRunOnceSuccess = 0,    // the run ended with "Thread executada com sucesso."
  kRunOnceFailed = 1,     // it ended any other way, or could not start
  kRunOnceUsage = 2,      // wrong command line
  kRunOnceBusy = 3,       // the busy flag was already taken; nothing started
};

struct TRunOnceOptions {
  rtl::String Database;  // empty: the [Login] default of databases.ini
  rtl::String Home;      // empty: INTEGRADOR_HOME or the executable's folder
};

// Whether the command line asks for the one-shot run.
bool IsRunOnceCommandLine(int argc, char** argv);
// Reads the one-shot run's options; false with `error` set for a wrong
// command line.
bool ParseRunOnceCommandLine(int argc, char** argv, TRunOnceOptions& options, std::string& error);

// The run; lines go to `out`, errors of the command line and the login to
// `err`. Returns the exit status.
int RunOnce(const TRunOnceOptions& options, std::FILE* out, std::FILE* err);
// Parses and runs: what main calls.
int RunOnceMain(int argc, char** argv);

}  // namespace integrador

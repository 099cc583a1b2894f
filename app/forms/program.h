#pragma once
// The program's start: the data modules and windows created in their order,
// then the message loop until the main window closes.
//
//   integrador [--home <DIR>]
//
// The program runs on X11 when a display is there and on the headless
// backend otherwise (there the log pane's lines also go to standard output,
// and a login that cannot proceed ends the program).
#include <string>

#include "platform/rtl/types.h"

namespace integrador {

// Exit statuses of the windowed program.
enum TProgramStatus {
  kProgramOk = 0,               // the main window was closed
  kProgramLoginCancelled = 1,   // the login failed or was cancelled
  kProgramUsage = 2,            // wrong command line
};

struct TProgramOptions {
  rtl::String Home;  // empty: INTEGRADOR_HOME or the executable's folder
};

bool ParseProgramCommandLine(int argc, char** argv, TProgramOptions& options, std::string& error);

// Creates, as the application's components and in this order, dtmPrincipal,
// frmPrincipal (the main form), frmLogin and Global_Library, and binds the
// main data module's login statements to Global_Library's connection.
// `headless`: the window system has no display (see above).
void CreateProgramObjects(bool headless);

// Ends the message loop; the program then exits with `status` (the first
// status asked for wins).
void EndProgram(int status);
// The status the program exits with (kProgramOk unless EndProgram said
// otherwise); ResetProgramStatus before another run in the same process.
int ProgramStatus();
void ResetProgramStatus();

// Initialises the application, creates the objects and runs the message
// loop; returns the exit status. The caller has chosen the window system's
// backend.
int RunProgram(const TProgramOptions& options);

// What main calls: parses the command line, picks the backend, runs.
int ProgramMain(int argc, char** argv);

}  // namespace integrador

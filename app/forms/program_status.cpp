// The exit status of the windowed program, kept apart from the start-up so
// that the windows can end the program without knowing how it began.
#include "app/forms/program.h"
#include "platform/ui/forms.h"

namespace integrador {

namespace {
int status = kProgramOk;
bool statusSet = false;
}  // namespace

void EndProgram(int value) {
  if (!statusSet) {
    status = value;
    statusSet = true;
  }
  ui::Application->Terminate();
}

int ProgramStatus() { return status; }

void ResetProgramStatus() {
  status = kProgramOk;
  statusSet = false;
}

}  // namespace integrador

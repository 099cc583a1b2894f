// integrador: the fuel-supply integrator. Its windows log in to the ERP's
// database and run the scheduler; `--run-once` performs one run from the
// command line instead.
#include "app/forms/program.h"

int main(int argc, char** argv) { return integrador::ProgramMain(argc, argv); }

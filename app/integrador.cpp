// integrador: the fuel-supply integrator. The windows come in a later step;
// today the program performs one integration run from the command line.
#include <cstdio>

#include "app/run/run_once.h"

int main(int argc, char** argv) {
  if (integrador::IsRunOnceCommandLine(argc, argv)) return integrador::RunOnceMain(argc, argv);
  std::fprintf(stderr,
               "integrador: the windows are not built yet.\n"
               "usage: integrador --run-once [--database <ALIAS>] [--home <DIR>]\n");
  return 2;
}

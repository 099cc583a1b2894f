// integrador: the fuel-supply integrator. Its windows, data layer and worker
// arrive in later steps; for now the program shows that its run-time layer
// works on this machine and exits.
#include <cstdio>

#include "app/run/run_once.h"
#include "platform/rtl/rtl.h"

int main(int argc, char** argv) {
  if (integrador::IsRunOnceCommandLine(argc, argv)) return integrador::RunOnceMain(argc, argv);
  using namespace rtl;
  const TFormatSettings br = TFormatSettings::Create(LOCALE_PT_BR);
  const String now = FormatDateTime(u"dd/mm/yyyy hh:nn:ss", Now(), br);
  std::printf("integrador %s\n", StringToUtf8(now).c_str());
  std::printf("%s\n", StringToUtf8(Format(u"%s: %s", {String(u"FloatToStr(45.5)"), FloatToStr(45.5, br)})).c_str());
  std::printf("The integrator's windows, database and worker are not built yet.\n");
  return 0;
}

#pragma once
// Culture names by locale identifier (1033 -> "en-US"), built from the
// locales the platform knows.
#include <map>

#include "platform/rtl/types.h"

namespace core {

class TdxCultureInfoHelper {
 public:
  // "" when the identifier is unknown or the unit has not started.
  static rtl::String CultureName(int localeId);
  static int Count();

  static void Initialize();  // builds the table
  static void Finalize();    // frees it
};

void dxCultureInfoInitialization();
void dxCultureInfoFinalization();

}  // namespace core

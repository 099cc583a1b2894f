#pragma once
// Raising the dataset framework's EDatabaseError from the drivers.
#include "platform/rtl/types.h"

namespace dac {

[[noreturn]] void RaiseDatabaseError(const rtl::String& message);

}  // namespace dac

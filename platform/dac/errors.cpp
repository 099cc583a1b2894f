#include "platform/dac/errors.h"

#include "platform/db/dbtypes.h"

namespace dac {

void RaiseDatabaseError(const rtl::String& message) { throw db::EDatabaseError(message); }

}  // namespace dac

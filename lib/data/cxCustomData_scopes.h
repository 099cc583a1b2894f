#pragma once
// The controller's update brackets as scopes, for the controller's own
// sources.
#include "lib/data/cxCustomData.h"
#include "lib/data/data_brackets.h"

namespace data {

using UpdateScope =
    BracketScope<TcxCustomDataController, &TcxCustomDataController::BeginUpdate, &TcxCustomDataController::EndUpdate>;
using FullUpdateScope = BracketScope<TcxCustomDataController, &TcxCustomDataController::BeginFullUpdate,
                                     &TcxCustomDataController::EndFullUpdate>;

}  // namespace data

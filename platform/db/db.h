#pragma once
// The dataset framework in one include.
#include "platform/db/dbtypes.h"
#include "platform/db/field.h"
#include "platform/db/datasource.h"
#include "platform/db/dataset.h"
#include "platform/db/params.h"
#include "platform/db/filter.h"

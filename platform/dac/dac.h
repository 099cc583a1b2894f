#pragma once
// Data access in one include: connections, queries, memory tables, aliases.
#include "platform/dac/aliases.h"
#include "platform/dac/connection.h"
#include "platform/dac/driver.h"
#include "platform/dac/memtable.h"
#include "platform/dac/query.h"
#include "platform/dac/sql_params.h"

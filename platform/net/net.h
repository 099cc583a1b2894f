#pragma once
// The network area: URL encoding and the HTTP client.
#include "platform/net/httpclient.h"
#include "platform/net/urlencode.h"

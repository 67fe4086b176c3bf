#pragma once

#include "core/net/client_context.h"
#include "core/protocol/session.h"

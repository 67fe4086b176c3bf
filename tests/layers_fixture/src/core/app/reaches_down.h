#pragma once

#include "core/betting/single_ticket.h"
#include "core/net/transport.h"
#include "core/ports/frame_port.h"
#include "core/protocol/session.h"
#include "wire/gbk.h"

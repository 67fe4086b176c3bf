#pragma once

#include "core/notation/handicap_side.h"
#include "core/ports/frame_port.h"
#include "core/rooms/room_list.h"

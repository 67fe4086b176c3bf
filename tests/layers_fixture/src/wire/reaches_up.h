#pragma once

#include "wire/gbk.h"
#include "core/net/transport.h"

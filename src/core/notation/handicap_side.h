#pragma once

namespace brindle::notation {

// The side of a handicap line that a bet is on: the team that gives the handicap (listed first in
// the hall row; on a level line simply the first one) or the team that receives it.
enum class HandicapSide { kGiving, kReceiving };

}  // namespace brindle::notation

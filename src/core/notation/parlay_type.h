#pragma once

#include <string>

namespace brindle::notation {

// The number of bets in a parlay of n matches whose combination mask has bit k set when every
// combination of k + 1 matches is bet. 0 for n < 1. Exact as long as it fits in 64 bits (it
// saturates beyond, far past any parlay the service offers).
long long combination_count(int n, int mask);

// "单式投注" for one match, otherwise "<n>串<bets>" in Chinese numerals ("三串四"), with "(对关)",
// "(三关)" or "(四关)" after the two names that would otherwise be ambiguous. Empty for n < 1.
std::string parlay_type_name(int n, int mask);

}  // namespace brindle::notation

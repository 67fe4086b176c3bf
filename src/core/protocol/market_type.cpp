#include "core/protocol/market_type.h"

#include "core/betting/market_kind.h"

namespace brindle::protocol {

int market_type_of_kind(int kind_flag) {
  switch (kind_flag) {
    case betting::kKind1x2:
      return kType1x2;
    case betting::kKindOverUnder:
      return kTypeOverUnder;
    case betting::kKindCorrectScore:
      return kTypeCorrectScore;
    case betting::kKindBasketballTotals:
      return kTypeBasketballTotals;
    case betting::kKindBasketballOddEven:
      return kTypeBasketballOddEven;
    case betting::kKindInPlayAsianHandicap:
      return kTypeInPlayAsianHandicap;
    case betting::kKindInPlayOverUnder:
      return kTypeInPlayOverUnder;
    default:
      return kTypeAsianHandicap;
  }
}

int kind_of_market_type(int market_type) {
  switch (market_type) {
    case kTypeAsianHandicap:
      return betting::kKindAsianHandicap;
    case kType1x2:
      return betting::kKind1x2;
    case kTypeCorrectScore:
      return betting::kKindCorrectScore;
    case kTypeOverUnder:
      return betting::kKindOverUnder;
    case kTypeBasketballTotals:
      return betting::kKindBasketballTotals;
    case kTypeBasketballOddEven:
      return betting::kKindBasketballOddEven;
    case kTypeInPlayAsianHandicap:
      return betting::kKindInPlayAsianHandicap;
    case kTypeInPlayOverUnder:
      return betting::kKindInPlayOverUnder;
    default:
      return 0;
  }
}

bool is_two_sided(int market_type) {
  switch (market_type) {
    case kTypeAsianHandicap:
    case kTypeOverUnder:
    case kTypeBasketballTotals:
    case kTypeInPlayAsianHandicap:
    case kTypeInPlayOverUnder:
      return true;
    default:
      return false;
  }
}

}  // namespace brindle::protocol

#include "core/protocol/market_type.h"

#include "core/notation/market_kind.h"

namespace brindle::protocol {

int market_type_of_kind(int kind_flag) {
  switch (kind_flag) {
    case notation::kKind1x2:
      return kType1x2;
    case notation::kKindOverUnder:
      return kTypeOverUnder;
    case notation::kKindCorrectScore:
      return kTypeCorrectScore;
    case notation::kKindBasketballTotals:
      return kTypeBasketballTotals;
    case notation::kKindBasketballOddEven:
      return kTypeBasketballOddEven;
    case notation::kKindInPlayAsianHandicap:
      return kTypeInPlayAsianHandicap;
    case notation::kKindInPlayOverUnder:
      return kTypeInPlayOverUnder;
    default:
      return kTypeAsianHandicap;
  }
}

int kind_of_market_type(int market_type) {
  switch (market_type) {
    case kTypeAsianHandicap:
      return notation::kKindAsianHandicap;
    case kType1x2:
      return notation::kKind1x2;
    case kTypeCorrectScore:
      return notation::kKindCorrectScore;
    case kTypeOverUnder:
      return notation::kKindOverUnder;
    case kTypeBasketballTotals:
      return notation::kKindBasketballTotals;
    case kTypeBasketballOddEven:
      return notation::kKindBasketballOddEven;
    case kTypeInPlayAsianHandicap:
      return notation::kKindInPlayAsianHandicap;
    case kTypeInPlayOverUnder:
      return notation::kKindInPlayOverUnder;
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

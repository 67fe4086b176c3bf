#include "core/notation/market_kind.h"

namespace brindle::notation {

std::string market_kind_name(int kind_flag) {
  switch (kind_flag) {
    case kKind1x2:
      return "胜平负盘";
    case kKindOverUnder:
      return "大小球盘";
    case kKindCorrectScore:
      return "比分盘";
    case kKindBasketballTotals:
      return "篮球大小分";
    case kKindBasketballOddEven:
      return "篮球单双数";
    case kKindInPlayAsianHandicap:
      return "走地亚洲盘";
    case kKindInPlayOverUnder:
      return "走地大小球";
    case kKindOutrightAndIndex:
      return "总冠军/指数";
    case kKindIndex:
      return "指数";
    case kKindAsianHandicap:
      return "让球(分)盘";
    default:
      return {};
  }
}

}  // namespace brindle::notation

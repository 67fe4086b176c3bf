#include "core/notation/currency_name.h"

namespace brindle::notation {

std::string currency_name(int code, bool chinese) {
  switch (code) {
    case kCurrencyRenminbi:
      return chinese ? "元" : "RMB";
    case kCurrencyUsDollar:
      return chinese ? "美元" : "USD";
    case kCurrencyHongKongDollar:
      return chinese ? "港元" : "HKD";
    default:
      return "元";
  }
}

}  // namespace brindle::notation

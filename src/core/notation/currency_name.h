#pragma once

#include <string>

namespace brindle::notation {

// Currency codes of an account; 0 means it has not bought credit yet.
inline constexpr int kCurrencyRenminbi = 1;
inline constexpr int kCurrencyUsDollar = 2;
inline constexpr int kCurrencyHongKongDollar = 3;

// "元"/"RMB", "美元"/"USD", "港元"/"HKD"; any other code is named "元" in both forms.
std::string currency_name(int code, bool chinese);

}  // namespace brindle::notation

#pragma once

#include <string>

namespace brindle::notation {

// The Chinese numeral of a count: "零", "十", "十二", "一百零一", "一百二十", "一十万零五千".
// Counts of up to ten digits; empty for a negative count or a longer one.
std::string chinese_numeral(long long n);

}  // namespace brindle::notation

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "wire/result.h"

namespace brindle::server::storage {

// Money is always held in integer cents (minor units); it becomes a decimal text only on the wire.
using Cents = std::int64_t;

// The largest amount any single field may carry: 10 thousand million (in cents, 1e12). Anything
// larger in a request is refused as absurd rather than risking overflow in sums.
inline constexpr Cents kMaxAmount = 1'000'000'000'000;

inline constexpr std::string_view kAmountNotNumberText = "金额格式不正确。";
inline constexpr std::string_view kAmountNegativeText = "金额不能为负数。";
inline constexpr std::string_view kAmountTooLargeText = "金额超出允许范围。";
inline constexpr std::string_view kAmountSubCentText = "金额最多只能有两位小数。";

// "1234.50", "-0.05", "0.00": two decimals, a minus sign when negative.
std::string money_text(Cents amount);

// A client's decimal amount ("%f" with six decimals, or plain: "100", "100.5", "100.500000") to
// cents. Refused with one of the texts above: empty text, signs other than one leading "-",
// exponents, spaces, "nan"/"inf", more than two non-zero decimals, magnitudes above kMaxAmount.
Result<Cents> parse_signed_amount(std::string_view text);
// The same, also refusing negative amounts (stakes, buy-ins).
Result<Cents> parse_amount(std::string_view text);

}  // namespace brindle::server::storage

#include "server/storage/money.h"

#include <algorithm>

namespace brindle::server::storage {

std::string money_text(Cents amount) {
  // Widened through unsigned so the most negative value still has a magnitude.
  const bool negative = amount < 0;
  const auto magnitude =
      negative ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
  std::string text = std::to_string(magnitude / 100);
  const auto fraction = magnitude % 100;
  text += '.';
  text += static_cast<char>('0' + fraction / 10);
  text += static_cast<char>('0' + fraction % 10);
  return negative ? "-" + text : text;
}

Result<Cents> parse_signed_amount(std::string_view text) {
  using Failure = Result<Cents>;
  bool negative = false;
  if (text.starts_with('-')) {
    negative = true;
    text.remove_prefix(1);
  }
  const auto point = text.find('.');
  const auto whole = text.substr(0, point);
  const auto fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if (whole.empty() || (point != std::string_view::npos && fraction.empty()))
    return Failure::failure(std::string(kAmountNotNumberText));
  for (const auto part : {whole, fraction}) {
    for (char c : part) {
      if (c < '0' || c > '9') return Failure::failure(std::string(kAmountNotNumberText));
    }
  }
  // Leading zeros cannot overflow anything, so only the significant digits count for the limit.
  auto significant = whole.substr(std::min(whole.find_first_not_of('0'), whole.size()));
  if (significant.size() > 13) return Failure::failure(std::string(kAmountTooLargeText));
  Cents units = 0;
  for (char c : significant) units = units * 10 + (c - '0');
  Cents cents = 0;
  for (std::size_t i = 0; i < fraction.size(); ++i) {
    const int digit = fraction[i] - '0';
    if (i < 2) {
      cents = cents * 10 + digit;
    } else if (digit != 0) {
      return Failure::failure(std::string(kAmountSubCentText));
    }
  }
  if (fraction.size() == 1) cents *= 10;
  const Cents total = units * 100 + cents;
  if (total > kMaxAmount) return Failure::failure(std::string(kAmountTooLargeText));
  return negative ? -total : total;
}

Result<Cents> parse_amount(std::string_view text) {
  auto amount = parse_signed_amount(text);
  if (amount && amount.value() < 0) return Result<Cents>::failure(std::string(kAmountNegativeText));
  return amount;
}

}  // namespace brindle::server::storage

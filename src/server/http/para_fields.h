#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>
#include <system_error>
#include <vector>

#include "wire/result.h"

namespace brindle::server {

inline constexpr std::string_view kBadRangeText = "查询日期格式错误。";
inline constexpr std::string_view kRangeReversedText = "选择查询的结束日期不能小于开始日期！";

// A whole decimal number that is the whole of `text`: no sign of its own beyond what T takes, no
// blanks, nothing left over.
template <typename T>
bool parse_int(std::string_view text, T& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc{} && end == text.data() + text.size();
}

// The client doubles the "|" that starts a txtPara (one whose first field is empty) before sending
// it; this is the txtPara it meant, with one such "|" dropped.
std::string_view para_as_meant(std::string_view para);

// The fields of a txtPara as the client joined them with "|"; an empty txtPara is one empty field.
std::vector<std::string_view> split_para(std::string_view para);

// A query's "start|end" range in "%Y%m%d%H%M%S", as Unix seconds; refused in the client's words
// when malformed or reversed.
struct DateRange {
  std::int64_t from = 0;
  std::int64_t to = 0;
};
Result<DateRange> parse_date_range(std::string_view para);

}  // namespace brindle::server

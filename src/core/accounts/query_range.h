#pragma once

#include <optional>
#include <string>

#include "core/protocol/records_queries.h"
#include "wire/ole_date.h"

namespace brindle::accounts {

inline constexpr char kEndBeforeStartText[] = "选择查询的结束日期不能小于开始日期！";
inline constexpr char kRangeTooLongText[] = "只能查询7天内的记录！";

// The refusal a query range earns before anything is sent, or nothing when it may go. The end
// before the start is refused; with a limit, so is a range of that many whole hours or more.
std::optional<std::string> range_refusal(const protocol::DateRange& range,
                                         std::optional<int> hour_limit = std::nullopt);

// The statement's limit: seven days and up to one more hour.
inline constexpr int kStatementHourLimit = 169;

// A date as the print titles write it: "%Y/%m/%d".
std::string slash_date(const wire::CivilDateTime& when);

}  // namespace brindle::accounts

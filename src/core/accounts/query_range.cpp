#include "core/accounts/query_range.h"

#include <cstdio>

namespace brindle::accounts {
namespace {

// Seconds since 1899-12-30 (the OLE epoch), counted exactly; nothing for a date-time that does not exist.
std::optional<long long> seconds_of(const wire::CivilDateTime& when) {
  const auto ole = wire::civil_to_ole(wire::CivilDateTime{when.year, when.month, when.day, 0, 0, 0});
  if (!ole) return std::nullopt;
  return static_cast<long long>(*ole) * 86400LL + when.hour * 3600LL + when.minute * 60LL + when.second;
}

}  // namespace

std::optional<std::string> range_refusal(const protocol::DateRange& range, std::optional<int> hour_limit) {
  const auto start = seconds_of(range.start);
  const auto end = seconds_of(range.end);
  // A bound that names no real date-time cannot be ordered; it is refused as the order is.
  if (!start || !end || *end < *start) return std::string(kEndBeforeStartText);
  if (hour_limit && (*end - *start) / 3600 >= *hour_limit) return std::string(kRangeTooLongText);
  return std::nullopt;
}

std::string slash_date(const wire::CivilDateTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", when.year, when.month, when.day);
  return text;
}

}  // namespace brindle::accounts

#include "server/http/para_fields.h"

#include <string>

#include "server/storage/timestamp.h"

namespace brindle::server {

std::string_view para_as_meant(std::string_view para) {
  if (para.starts_with('|')) para.remove_prefix(1);
  return para;
}

std::vector<std::string_view> split_para(std::string_view para) {
  std::vector<std::string_view> fields;
  for (;;) {
    const auto bar = para.find('|');
    fields.push_back(para.substr(0, bar));
    if (bar == std::string_view::npos) return fields;
    para.remove_prefix(bar + 1);
  }
}

Result<DateRange> parse_date_range(std::string_view para) {
  const auto fields = split_para(para);
  if (fields.size() < 2) return Result<DateRange>::failure(std::string(kBadRangeText));
  const auto from = storage::unix_from_range_text(fields[0]);
  const auto to = storage::unix_from_range_text(fields[1]);
  if (!from || !to) return Result<DateRange>::failure(std::string(kBadRangeText));
  if (*to < *from) return Result<DateRange>::failure(std::string(kRangeReversedText));
  return DateRange{*from, *to};
}

}  // namespace brindle::server

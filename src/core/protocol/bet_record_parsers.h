#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/protocol/bet_records.h"
#include "core/protocol/list_rows.h"

namespace brindle::protocol {

// Parsers of the record and statement replies, one pass over the Reply lines (GBK). On a header
// other than success the caller's list and header text stay as they were; on success the list is
// emptied and refilled in reply order. `header_text` receives the header's third field of the
// kinds that carry one.

Outcome parse_unsettled_single_bets(std::span<const std::string> lines,
                                    std::vector<SingleBetRecord>& records);
Outcome parse_settled_single_bets(std::span<const std::string> lines, std::string& header_text,
                                  std::vector<SingleBetRecord>& records);

Outcome parse_unsettled_banker_bets(std::span<const std::string> lines, std::string& header_text,
                                    std::vector<BankerBetRecord>& records);
Outcome parse_settled_banker_bets(std::span<const std::string> lines, std::string& header_text,
                                  std::vector<BankerBetRecord>& records);

Outcome parse_unsettled_opened_markets(std::span<const std::string> lines, std::string& header_text,
                                       std::vector<OpenedMarketRecord>& records);
Outcome parse_settled_opened_markets(std::span<const std::string> lines, std::string& header_text,
                                     std::vector<OpenedMarketRecord>& records);

// The grouped kinds: parlays (4029, 4030) and outrights (4050, 4051).
enum class GroupedKind { kUnsettledParlay, kSettledParlay, kUnsettledOutright, kSettledOutright };
Outcome parse_grouped_bets(std::span<const std::string> lines, GroupedKind kind, std::string& header_text,
                           std::vector<GroupedBetRecord>& records);

Outcome parse_statement(std::span<const std::string> lines, std::vector<StatementEntry>& entries);

}  // namespace brindle::protocol

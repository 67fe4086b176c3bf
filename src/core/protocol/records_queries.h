#pragma once

#include <string>
#include <vector>

#include "core/protocol/account_records.h"
#include "core/protocol/bet_record_parsers.h"
#include "core/protocol/bet_records.h"
#include "core/protocol/list_rows.h"
#include "core/protocol/session.h"
#include "wire/ole_date.h"

namespace brindle::protocol {

// The record and statement queries. Lists are the caller's: untouched on failure, refilled on
// success; the header text of the kinds that carry one goes to the Client context.

// A query range, local time, start first.
struct DateRange {
  wire::CivilDateTime start;
  wire::CivilDateTime end;
};
std::string date_range_para(const DateRange& range);

Outcome fetch_unsettled_single_bets(Session& session, std::vector<SingleBetRecord>& records);  // 4054
Outcome fetch_settled_single_bets(Session& session, const DateRange& range,
                                  std::vector<SingleBetRecord>& records);                      // 4015
Outcome fetch_unsettled_banker_bets(Session& session, std::vector<BankerBetRecord>& records);  // 4018
Outcome fetch_settled_banker_bets(Session& session, const DateRange& range,
                                  std::vector<BankerBetRecord>& records);                            // 4019
Outcome fetch_unsettled_opened_markets(Session& session, std::vector<OpenedMarketRecord>& records);  // 4020
Outcome fetch_settled_opened_markets(Session& session, const DateRange& range,
                                     std::vector<OpenedMarketRecord>& records);             // 4021
Outcome fetch_unsettled_parlays(Session& session, std::vector<GroupedBetRecord>& records);  // 4029
Outcome fetch_settled_parlays(Session& session, const DateRange& range,
                              std::vector<GroupedBetRecord>& records);                        // 4030
Outcome fetch_unsettled_outrights(Session& session, std::vector<GroupedBetRecord>& records);  // 4050
Outcome fetch_settled_outrights(Session& session, const DateRange& range,
                                std::vector<GroupedBetRecord>& records);  // 4051
Outcome fetch_statement(Session& session, const DateRange& range,
                        std::vector<StatementEntry>& entries);                           // 4011
Outcome fetch_seven_integer_list(Session& session, std::vector<SevenIntegerRow>& rows);  // 4037

}  // namespace brindle::protocol

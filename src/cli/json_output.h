#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/notation/odds_format.h"
#include "core/protocol/account_records.h"
#include "core/protocol/bet_records.h"
#include "core/protocol/history_records.h"
#include "core/protocol/market_records.h"

namespace brindle::net {
struct ClientContext;
}

namespace brindle::cli {

// The catalogue's records as JSON objects, one member per field under the field's own name.
nlohmann::json to_json_value(const protocol::MatchRecord& r);
nlohmann::json to_json_value(const protocol::OddsLine& r);
nlohmann::json to_json_value(const protocol::AsianHandicapRow& r);
nlohmann::json to_json_value(const protocol::OutrightEntry& r);
nlohmann::json to_json_value(const protocol::BankerMarketRow& r);
nlohmann::json to_json_value(const protocol::BankerMarketGroup& r);
nlohmann::json to_json_value(const protocol::SuggestedPriceRow& r);
nlohmann::json to_json_value(const protocol::InPlayLine& r);
nlohmann::json to_json_value(const protocol::SingleBetRecord& r);
nlohmann::json to_json_value(const protocol::BankerBetRecord& r);
nlohmann::json to_json_value(const protocol::OpenedMarketRecord& r);
nlohmann::json to_json_value(const protocol::GroupedBetRecord& r);
nlohmann::json to_json_value(const protocol::StatementEntry& r);
nlohmann::json to_json_value(const protocol::StarMemberTerms& r);
nlohmann::json to_json_value(const protocol::Room& r);
nlohmann::json to_json_value(const protocol::RoomPosition& r);
nlohmann::json to_json_value(const protocol::CreatedRoom& r);
nlohmann::json to_json_value(const protocol::PrivateMessage& r);
nlohmann::json to_json_value(const protocol::Question& r);
nlohmann::json to_json_value(const protocol::AccountBalance& r);
nlohmann::json to_json_value(const protocol::HistoryItem& r);
nlohmann::json to_json_value(const protocol::HeadToHeadItem& r);
nlohmann::json to_json_value(const protocol::TrendPoint& r);
nlohmann::json to_json_value(const protocol::ResultItem& r);

template <typename Record>
nlohmann::json to_json_value(const std::vector<Record>& records) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& r : records) {
    if constexpr (std::is_same_v<Record, protocol::SevenIntegerRow>) {
      list.push_back(r);
    } else {
      list.push_back(to_json_value(r));
    }
  }
  return list;
}

// Beside every net price member of the records in `value` ("price", "home_price", …), the figure the
// windows would show in `format` as "<member>_shown" ("price_shown": "-0.833"); the prices
// themselves stay the service's numbers.
void add_shown_odds(nlohmann::json& value, notation::OddsFormat format);

// The Client context figures that operations change, by name.
nlohmann::json context_figures(const net::ClientContext& context);
// The members of `after` whose values differ from `before`.
nlohmann::json changed_members(const nlohmann::json& before, const nlohmann::json& after);

// One line of JSON; bytes that are not UTF-8 are replaced rather than thrown on.
void print_json(std::ostream& out, const nlohmann::json& value);

}  // namespace brindle::cli

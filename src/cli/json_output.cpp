#include "cli/json_output.h"

#include <ostream>

#include "core/net/client_context.h"

namespace brindle::protocol {

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(MatchRecord, match_number, line_kind, neutral_venue, in_play, league,
                                   kick_off_date, kick_off_time, second_date, second_time, home_team,
                                   away_team)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(OddsLine, match_number, market_type, third, selection_number, line_code,
                                   price_sum_target, extra1, extra2, extra3, price)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(AsianHandicapRow, home_selection, away_selection, match_number,
                                   neutral_venue, line_kind, constant_one, price_sum_target, in_play,
                                   away_gives, kick_off_date, kick_off_time, league, home_team, away_team,
                                   size_code, home_price, away_price)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(OutrightEntry, event_number, market_type, third, line_code, price,
                                   price_sum_target, selection_name, extra1, extra2)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(BankerMarketRow, match_number, offer_group_key, unused, offer_id,
                                   choice_code, banker_stake, price, amount_taken, banker_nickname,
                                   currency_code, home_team, away_team, kick_off_date, kick_off_time)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(BankerMarketGroup, match_number, offer_group_key, league, kick_off_date,
                                   kick_off_time, second_date, second_time, home_team, away_team, choice_code,
                                   rows)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(SuggestedPriceRow, option_code, second, price)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(InPlayLine, closed, first_selection, first_line_code, first_price,
                                   second_selection, second_line_code, second_price, price_sum_target,
                                   home_score, away_score)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(SingleBetRecord, serial_number, leg_count, stake, fourth, bet_time,
                                   bet_place, text, choice, league, home_team, away_team, home_score,
                                   away_score, market_type, line_code, price, status, settlement_time,
                                   win_loss, final_score, market_name, selection_text)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(BankerBetRecord, market_type, home_team, away_team, final_score, line_code,
                                   price, stake, bet_time, banker_name, settlement_time, win_loss,
                                   serial_number, status, market_name, choice_text)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(OpenedMarketRecord, open_market_number, market_type, home_team, away_team,
                                   final_score, banker_stake, open_time, cancelled_amount, line_code, amount1,
                                   amount2, bet_time, banker_win_loss, amount3, market_name, choice_text)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(GroupedBetRecord, group_number, leg_count, stake, combination_mask,
                                   bet_time, bet_place, settlement_time, win_loss, status, leg_text, choice,
                                   league, home_team, away_team, home_score, away_score, market_type,
                                   line_code, price, extra_text1, extra_text2, leg_result, market_name,
                                   selection_text)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(StatementEntry, time, transaction_type, amount, content, balance_before)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(StarMemberTerms, rmb_deposit, hkd_deposit, usd_deposit, fourth)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(Room, owner_user_name, creator_text, room_name, password, room_number,
                                   unused_number, position_id, position_name, unused_text, agent_text)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(RoomPosition, number, name)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(CreatedRoom, password, creation_time)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(PrivateMessage, number, heading, content, sending_time, fifth)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(Question, kind, number, topic, question, reply, replier)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(AccountBalance, amount, frozen_amount, balance, currency_code, credit)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(HistoryItem, time_text1, time_text2, opponent, home_flag, team_goals,
                                   opponent_goals, handicap_code, received_flag, result_code, odds)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(HeadToHeadItem, date_time, home_team, away_team, home_goals, away_goals,
                                   handicap_code, received_flag, result_code, odds)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(ResultItem, league, home_team, away_team, home_goals, away_goals,
                                   date_time, handicap_code, receive_flag, market_kind, result_text)

}  // namespace brindle::protocol

// Found by argument-dependent lookup, so beside the type.
namespace brindle::ports {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TrendPoint, time, handicap_code, price, away_gives)
}  // namespace brindle::ports

namespace brindle::cli {

#define BRINDLE_JSON_VALUE(Type) \
  nlohmann::json to_json_value(const protocol::Type& r) { return nlohmann::json(r); }
BRINDLE_JSON_VALUE(MatchRecord)
BRINDLE_JSON_VALUE(OddsLine)
BRINDLE_JSON_VALUE(AsianHandicapRow)
BRINDLE_JSON_VALUE(OutrightEntry)
BRINDLE_JSON_VALUE(BankerMarketRow)
BRINDLE_JSON_VALUE(BankerMarketGroup)
BRINDLE_JSON_VALUE(SuggestedPriceRow)
BRINDLE_JSON_VALUE(InPlayLine)
BRINDLE_JSON_VALUE(SingleBetRecord)
BRINDLE_JSON_VALUE(BankerBetRecord)
BRINDLE_JSON_VALUE(OpenedMarketRecord)
BRINDLE_JSON_VALUE(GroupedBetRecord)
BRINDLE_JSON_VALUE(StatementEntry)
BRINDLE_JSON_VALUE(StarMemberTerms)
BRINDLE_JSON_VALUE(Room)
BRINDLE_JSON_VALUE(RoomPosition)
BRINDLE_JSON_VALUE(CreatedRoom)
BRINDLE_JSON_VALUE(PrivateMessage)
BRINDLE_JSON_VALUE(Question)
BRINDLE_JSON_VALUE(AccountBalance)
BRINDLE_JSON_VALUE(HistoryItem)
BRINDLE_JSON_VALUE(HeadToHeadItem)
BRINDLE_JSON_VALUE(TrendPoint)
BRINDLE_JSON_VALUE(ResultItem)
#undef BRINDLE_JSON_VALUE

namespace {

// The members of the catalogue's records that hold net prices (the history items' "odds" are the
// service's handicap odds of an old match, not a price the windows show).
constexpr const char* kNetPriceMembers[] = {"price", "home_price", "away_price", "first_price",
                                            "second_price"};

}  // namespace

void add_shown_odds(nlohmann::json& value, notation::OddsFormat format) {
  if (value.is_array()) {
    for (auto& item : value) add_shown_odds(item, format);
    return;
  }
  if (!value.is_object()) return;
  for (auto& [key, member] : value.items()) add_shown_odds(member, format);
  for (const char* name : kNetPriceMembers) {
    const auto it = value.find(name);
    if (it == value.end() || !it->is_number()) continue;
    value[std::string(name) + "_shown"] = notation::odds_text(it->get<double>(), format);
  }
}

nlohmann::json context_figures(const net::ClientContext& c) {
  return {
      {"current_server", c.current_server},
      {"user_name", c.user_name},
      {"balance", c.balance},
      {"frozen_amount", c.frozen_amount},
      {"credit", c.credit},
      {"currency_code", c.currency_code},
      {"star_member", c.star_member},
      {"context_number1", c.context_number1},
      {"context_number2", c.context_number2},
      {"peak_period", c.peak_period},
      {"login_mode", c.login_mode},
      {"latest_information", c.latest_information},
      {"second_information", c.second_information},
      {"account_amount", c.account_amount},
      {"star_member_terms", c.star_member_terms},
      {"room_list_text", c.room_list_text},
      {"records_header_text", c.records_header_text},
      {"in_play_delay", c.in_play_delay},
      {"in_play_bet_number", c.in_play_bet_number},
      {"in_play_confirmation", c.in_play_confirmation},
  };
}

nlohmann::json changed_members(const nlohmann::json& before, const nlohmann::json& after) {
  nlohmann::json changed = nlohmann::json::object();
  for (auto it = after.begin(); it != after.end(); ++it) {
    if (!before.contains(it.key()) || before.at(it.key()) != it.value()) changed[it.key()] = it.value();
  }
  return changed;
}

void print_json(std::ostream& out, const nlohmann::json& value) {
  out << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

}  // namespace brindle::cli

#pragma once

#include <string>
#include <string_view>
#include <tuple>

#include "wire/records/record.h"

namespace brindle::records {

// The market-data replies' lines.

// The market lists' header (4027, 4070): after the message, whether it is the peak period, when an
// account that never bought credit gets no rows.
struct MarketListHeader {
  int peak_period_flag = 0;

  bool operator==(const MarketListHeader&) const = default;
};

// The line that opens a match in the market lists (4027), and an outright event (5001): for an
// event the competition is the league, its name the home team and its closed value the venue flag.
struct MatchLine {
  int match_number = 0;
  int line_kind = 0;  // 9 = basketball
  std::string league;
  double kick_off = 0.0;
  double second_time = 0.0;  // the end of play
  std::string home_team;
  std::string away_team;
  int neutral_venue = 0;
  int in_play = 0;

  bool operator==(const MatchLine&) const = default;
};

// A price line of a match in the market lists (4027); the in-play kinds carry the running score
// and the playing minute in the last three.
struct OddsLine {
  int match_number = 0;
  int market_type = 0;
  int third = 0;  // the line's status
  int selection_number = 0;
  int line_code = 0;
  double price = 0.0;  // net
  int price_sum_target = 0;
  int extra1 = 0;
  int extra2 = 0;
  int extra3 = 0;

  bool operator==(const OddsLine&) const = default;
};

// An outright selection (5002). A two-sided kind's second side carries neither selection nor flag.
struct OutrightEntryLine {
  int event_number = 0;
  int market_type = 0;
  int third = 0;  // the event's market is closed
  int line_code = 0;
  double price = 0.0;
  int price_sum_target = 0;
  std::string selection_name;
  int extra1 = 0;  // the selection
  int extra2 = 0;  // disabled

  bool operator==(const OutrightEntryLine&) const = default;
};

// A fresh price of a parlay leg (4028).
struct ParlayPriceLine {
  int match_number = 0;
  int market_type = 0;
  int selection_number = 0;
  int line_code = 0;
  double price = 0.0;
  int price_sum_target = 0;

  bool operator==(const ParlayPriceLine&) const = default;
};

// A match a member may open a market on (4016); the number carries the market kind in its last digit.
struct OpenableMatchLine {
  int match_number = 0;
  std::string league;
  double kick_off = 0.0;
  double second_time = 0.0;
  std::string home_team;
  std::string away_team;
  int neutral_venue = 0;

  bool operator==(const OpenableMatchLine&) const = default;
};

// A suggested price of a market about to be opened (4032).
struct SuggestedPriceLine {
  int option_code = 0;
  int second = 0;  // the choice
  double price = 0.0;

  bool operator==(const SuggestedPriceLine&) const = default;
};

// The banker markets' list (4017): a match line, then one offer line per open offer.
struct BankerMatchLine {
  int match_number = 0;
  double kick_off = 0.0;
  double second_time = 0.0;
  std::string league;
  std::string home_team;
  std::string away_team;

  bool operator==(const BankerMatchLine&) const = default;
};

struct BankerOfferLine {
  int match_number = 0;
  int offer_group_key = 0;
  int unused = 0;  // the market's number
  int offer_id = 0;
  int choice_code = 0;
  double banker_stake = 0.0;
  double price = 0.0;
  double amount_taken = 0.0;  // what the hall turns back into the stake still open
  std::string banker_nickname;
  int currency_code = 0;

  bool operator==(const BankerOfferLine&) const = default;
};

// The fresh in-play line (a single record) that the in-play ticket checks before betting.
struct InPlayLineRecord {
  int closed = 0;
  int first_selection = 0;
  int first_line_code = 0;
  double first_price = 0.0;
  int second_selection = 0;
  int second_line_code = 0;
  double second_price = 0.0;
  int price_sum_target = 0;
  int home_score = 0;
  int away_score = 0;

  bool operator==(const InPlayLineRecord&) const = default;
};

template <>
struct Schema<MarketListHeader> {
  static constexpr std::string_view name = "market_list_header";
  static constexpr auto fields =
      std::make_tuple(integer("peak_period_flag", &MarketListHeader::peak_period_flag));
};

template <>
struct Schema<MatchLine> {
  using R = MatchLine;
  static constexpr std::string_view name = "match_line";
  static constexpr auto fields =
      std::make_tuple(integer("match_number", &R::match_number), integer("line_kind", &R::line_kind),
                      text("league", &R::league), ole_date("kick_off", &R::kick_off),
                      ole_date("second_time", &R::second_time), text("home_team", &R::home_team),
                      text("away_team", &R::away_team), integer("neutral_venue", &R::neutral_venue),
                      integer("in_play", &R::in_play));
};

template <>
struct Schema<OddsLine> {
  using R = OddsLine;
  static constexpr std::string_view name = "odds_line";
  static constexpr auto fields =
      std::make_tuple(integer("match_number", &R::match_number), integer("market_type", &R::market_type),
                      integer("third", &R::third), integer("selection_number", &R::selection_number),
                      integer("line_code", &R::line_code), decimal("price", &R::price, 3),
                      integer("price_sum_target", &R::price_sum_target), integer("extra1", &R::extra1),
                      integer("extra2", &R::extra2), integer("extra3", &R::extra3));
};

template <>
struct Schema<OutrightEntryLine> {
  using R = OutrightEntryLine;
  static constexpr std::string_view name = "outright_entry";
  static constexpr auto fields = std::make_tuple(
      integer("event_number", &R::event_number), integer("market_type", &R::market_type),
      integer("third", &R::third), integer("line_code", &R::line_code), decimal("price", &R::price, 3),
      integer("price_sum_target", &R::price_sum_target), text("selection_name", &R::selection_name),
      integer("extra1", &R::extra1), integer("extra2", &R::extra2));
};

template <>
struct Schema<ParlayPriceLine> {
  using R = ParlayPriceLine;
  static constexpr std::string_view name = "parlay_price";
  static constexpr auto fields =
      std::make_tuple(integer("match_number", &R::match_number), integer("market_type", &R::market_type),
                      integer("selection_number", &R::selection_number), integer("line_code", &R::line_code),
                      decimal("price", &R::price, 3), integer("price_sum_target", &R::price_sum_target));
};

template <>
struct Schema<OpenableMatchLine> {
  using R = OpenableMatchLine;
  static constexpr std::string_view name = "openable_match";
  static constexpr auto fields =
      std::make_tuple(integer("match_number", &R::match_number), text("league", &R::league),
                      ole_date("kick_off", &R::kick_off), ole_date("second_time", &R::second_time),
                      text("home_team", &R::home_team), text("away_team", &R::away_team),
                      integer("neutral_venue", &R::neutral_venue));
};

template <>
struct Schema<SuggestedPriceLine> {
  using R = SuggestedPriceLine;
  static constexpr std::string_view name = "suggested_price";
  static constexpr auto fields = std::make_tuple(
      integer("option_code", &R::option_code), integer("second", &R::second), decimal("price", &R::price, 3));
};

template <>
struct Schema<BankerMatchLine> {
  using R = BankerMatchLine;
  static constexpr std::string_view name = "banker_match";
  static constexpr auto fields =
      std::make_tuple(integer("match_number", &R::match_number), ole_date("kick_off", &R::kick_off),
                      ole_date("second_time", &R::second_time), text("league", &R::league),
                      text("home_team", &R::home_team), text("away_team", &R::away_team));
};

template <>
struct Schema<BankerOfferLine> {
  using R = BankerOfferLine;
  static constexpr std::string_view name = "banker_offer";
  static constexpr auto fields = std::make_tuple(
      integer("match_number", &R::match_number), integer("offer_group_key", &R::offer_group_key),
      integer("unused", &R::unused), integer("offer_id", &R::offer_id),
      integer("choice_code", &R::choice_code), decimal("banker_stake", &R::banker_stake, 2),
      decimal("price", &R::price, 3), decimal("amount_taken", &R::amount_taken, 6),
      text("banker_nickname", &R::banker_nickname), integer("currency_code", &R::currency_code));
};

template <>
struct Schema<InPlayLineRecord> {
  using R = InPlayLineRecord;
  static constexpr std::string_view name = "in_play_line";
  static constexpr auto fields = std::make_tuple(
      integer("closed", &R::closed), integer("first_selection", &R::first_selection),
      integer("first_line_code", &R::first_line_code), decimal("first_price", &R::first_price, 3),
      integer("second_selection", &R::second_selection), integer("second_line_code", &R::second_line_code),
      decimal("second_price", &R::second_price, 3), integer("price_sum_target", &R::price_sum_target),
      integer("home_score", &R::home_score), integer("away_score", &R::away_score));
};

}  // namespace brindle::records

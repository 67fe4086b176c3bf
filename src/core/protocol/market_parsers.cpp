#include "core/protocol/market_parsers.h"

#include <cstdlib>
#include <optional>

#include "core/notation/price_balance.h"
#include "core/protocol/market_type.h"
#include "core/protocol/single_reply.h"
#include "wire/field_reader.h"
#include "wire/ole_date.h"
#include "wire/records/market_records.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

void split_date_time(double stamp, std::string& date, std::string& time) {
  date = wire::ole_date_text(stamp);
  time = wire::ole_time_text(stamp);
}

// The pending first and second side of a two-sided market while its lines arrive.
struct PendingPair {
  std::optional<OddsLine> first;
  std::optional<OddsLine> second;

  void clear() {
    first.reset();
    second.reset();
  }

  // Takes a side; once both are there, balances them against the first side's target and appends
  // the pair. Both stay pending: a later line of the same market pairs with the other side again.
  void take(const OddsLine& line, std::vector<OddsLine>& out) {
    if (!is_two_sided(line.market_type)) {
      out.push_back(line);
      return;
    }
    (line.line_code >= 1 ? first : second) = line;
    if (!first || !second) return;
    const auto balanced = notation::balance_prices(first->price_sum_target, first->price, second->price);
    first->price = balanced.first;
    second->price = balanced.second;
    out.push_back(*first);
    out.push_back(*second);
  }
};

MatchRecord match_record(records::MatchLine&& line) {
  MatchRecord m;
  m.match_number = line.match_number;
  m.line_kind = line.line_kind;
  m.league = std::move(line.league);
  split_date_time(line.kick_off, m.kick_off_date, m.kick_off_time);
  split_date_time(line.second_time, m.second_date, m.second_time);
  m.home_team = std::move(line.home_team);
  m.away_team = std::move(line.away_team);
  m.closed_value = line.neutral_venue;
  m.neutral_venue = m.closed_value != 0;
  m.in_play = line.in_play != 0;
  return m;
}

OddsLine odds_line(const records::OddsLine& l) {
  return {l.match_number,     l.market_type, l.third,  l.selection_number, l.line_code,
          l.price_sum_target, l.extra1,      l.extra2, l.extra3,           l.price};
}

// The match number that starts every line of a list: a new one starts a match line.
int match_number_of(FieldReader& row) { return row.peek_integer(); }

}  // namespace

Outcome parse_market_list(std::span<const std::string> lines, int& peak_period_flag,
                          std::vector<MatchRecord>& matches, std::vector<OddsLine>& odds) {
  ListRows reply(lines);
  peak_period_flag = reply.header().integer();
  if (!reply.success()) return reply.failure();
  matches.clear();
  odds.clear();

  int current_match = 0;
  std::optional<int> previous_type;
  PendingPair pending;
  records::MatchLine match_line;
  records::OddsLine wire_line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = match_number_of(r);
    if (number != current_match) {
      records::read(r, match_line);
      matches.push_back(match_record(std::move(match_line)));
      current_match = number;
      pending.clear();
      continue;
    }
    records::read(r, wire_line);
    const OddsLine line = odds_line(wire_line);
    if (previous_type && *previous_type != line.market_type) pending.clear();
    previous_type = line.market_type;
    pending.take(line, odds);
  }
  return reply.message();
}

Outcome parse_asian_handicap_list(std::span<const std::string> lines, int& peak_period_flag,
                                  std::vector<AsianHandicapRow>& rows) {
  ListRows reply(lines);
  peak_period_flag = reply.header().integer();
  if (!reply.success()) return reply.failure();
  rows.clear();

  int current_match = 0;
  AsianHandicapRow match;  // the current match's fields; the pending sides live in it too
  records::MatchLine match_line;
  records::OddsLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = match_number_of(r);
    if (number != current_match) {
      current_match = number;
      records::read(r, match_line);
      match = AsianHandicapRow{};
      match.match_number = number;
      match.line_kind = match_line.line_kind;
      match.league = std::move(match_line.league);
      // The second time stamp is not shown in this hall.
      split_date_time(match_line.kick_off, match.kick_off_date, match.kick_off_time);
      match.home_team = std::move(match_line.home_team);
      match.away_team = std::move(match_line.away_team);
      match.neutral_venue = match_line.neutral_venue;
      match.in_play = match_line.in_play;
      continue;
    }
    records::read(r, line);
    const int market_type = line.market_type;
    const int selection = line.selection_number;
    const int code = line.line_code;
    const double price = line.price;
    const int target = line.price_sum_target;

    const int magnitude = code < 0 ? -code : code;
    const bool flagged = magnitude > 1000;
    const bool home_side = (code > 0 && !flagged) || (code < 0 && flagged);
    (home_side ? match.home_selection : match.away_selection) = selection;
    (home_side ? match.home_price : match.away_price) = price;
    if (match.home_selection == 0 || match.away_selection == 0) continue;

    if (is_two_sided(market_type)) {
      const auto balanced = notation::balance_prices(target, match.home_price, match.away_price);
      match.home_price = balanced.first;
      match.away_price = balanced.second;
    }
    match.price_sum_target = target;
    match.away_gives = flagged;
    match.size_code = flagged ? magnitude - 1000 : magnitude;
    rows.push_back(match);
  }
  return reply.message();
}

Outcome parse_outright_entries(std::span<const std::string> lines, std::vector<OutrightEntry>& entries) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  entries.clear();

  std::optional<OutrightEntry> first;
  std::optional<OutrightEntry> second;
  std::optional<std::pair<int, int>> previous;  // event number and market type
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    auto l = records::read<records::OutrightEntryLine>(r);
    const bool first_side = l.line_code >= 1;
    OutrightEntry e{l.event_number,
                    l.market_type,
                    l.third,
                    l.line_code,
                    l.price,
                    l.price_sum_target,
                    std::move(l.selection_name),
                    first_side ? l.extra1 : 0,
                    first_side ? l.extra2 : 0};
    const std::pair key{e.event_number, e.market_type};
    if (previous && *previous != key) {
      first.reset();
      second.reset();
    }
    previous = key;
    if (!is_two_sided(e.market_type)) {
      entries.push_back(std::move(e));
      continue;
    }
    (first_side ? first : second) = std::move(e);
    if (!first || !second) continue;
    const auto balanced = notation::balance_prices(first->price_sum_target, first->price, second->price);
    first->price = balanced.first;
    second->price = balanced.second;
    entries.push_back(*first);
    entries.push_back(*second);
  }
  return reply.message();
}

Outcome parse_parlay_prices(std::span<const std::string> lines, std::vector<OddsLine>& odds) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  odds.clear();

  PendingPair pending;
  std::optional<std::pair<int, int>> previous;  // match number and market type
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const auto l = records::read<records::ParlayPriceLine>(r);
    OddsLine line;
    line.match_number = l.match_number;
    line.market_type = l.market_type;
    line.selection_number = l.selection_number;
    line.line_code = l.line_code;
    line.price = l.price;
    line.price_sum_target = l.price_sum_target;
    const std::pair key{line.match_number, line.market_type};
    if (previous && *previous != key) pending.clear();
    previous = key;
    pending.take(line, odds);
  }
  return reply.message();
}

Outcome parse_open_market_matches(std::span<const std::string> lines, std::vector<MatchRecord>& matches) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  matches.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    auto l = records::read<records::OpenableMatchLine>(r);
    MatchRecord m;
    m.match_number = l.match_number;
    m.league = std::move(l.league);
    split_date_time(l.kick_off, m.kick_off_date, m.kick_off_time);
    split_date_time(l.second_time, m.second_date, m.second_time);
    m.home_team = std::move(l.home_team);
    m.away_team = std::move(l.away_team);
    m.neutral_venue = l.neutral_venue != 0;
    matches.push_back(std::move(m));
  }
  return reply.message();
}

Outcome parse_suggested_prices(std::span<const std::string> lines, std::vector<SuggestedPriceRow>& rows) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  rows.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const auto l = records::read<records::SuggestedPriceLine>(r);
    rows.push_back({l.option_code, l.second, l.price});
  }
  return reply.message();
}

Outcome parse_banker_markets(std::span<const std::string> lines, std::vector<BankerMarketGroup>& groups) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  groups.clear();

  int current_match = 0;
  BankerMarketGroup match;  // the current match's texts
  BankerMarketGroup* group = nullptr;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = match_number_of(r);
    if (number != current_match) {
      current_match = number;
      auto l = records::read<records::BankerMatchLine>(r);
      match = BankerMarketGroup{};
      match.match_number = number;
      split_date_time(l.kick_off, match.kick_off_date, match.kick_off_time);
      split_date_time(l.second_time, match.second_date, match.second_time);
      match.league = std::move(l.league);
      match.home_team = std::move(l.home_team);
      match.away_team = std::move(l.away_team);
      group = nullptr;
      continue;
    }
    auto l = records::read<records::BankerOfferLine>(r);
    BankerMarketRow row;
    row.match_number = number;
    row.offer_group_key = l.offer_group_key;
    row.unused = l.unused;
    row.offer_id = l.offer_id;
    row.choice_code = l.choice_code;
    row.banker_stake = l.banker_stake;
    row.price = l.price;
    row.amount_taken = l.amount_taken;
    row.banker_nickname = std::move(l.banker_nickname);
    row.currency_code = l.currency_code;
    row.home_team = match.home_team;
    row.away_team = match.away_team;
    row.kick_off_date = match.kick_off_date;
    row.kick_off_time = match.kick_off_time;
    if (group == nullptr || group->offer_group_key != row.offer_group_key ||
        group->choice_code != row.choice_code) {
      BankerMarketGroup fresh = match;
      fresh.offer_group_key = row.offer_group_key;
      fresh.choice_code = row.choice_code;
      groups.push_back(std::move(fresh));
      group = &groups.back();
    }
    group->rows.push_back(std::move(row));
  }
  return reply.message();
}

Outcome parse_in_play_line(std::span<const std::string> lines, InPlayLine& line) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  const auto l = records::read<records::InPlayLineRecord>(reply.fields(), records::kSingleTextCapacity);
  InPlayLine fresh{l.closed,           l.first_selection,  l.first_line_code, l.first_price,
                   l.second_selection, l.second_line_code, l.second_price,    l.price_sum_target,
                   l.home_score,       l.away_score};
  if (fresh.first_price != 0.0) {
    const auto balanced =
        notation::balance_prices(fresh.price_sum_target, fresh.first_price, fresh.second_price);
    fresh.first_price = balanced.first;
    fresh.second_price = balanced.second;
  }
  line = fresh;
  return reply.message();
}

}  // namespace brindle::protocol

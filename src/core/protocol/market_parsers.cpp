#include "core/protocol/market_parsers.h"

#include <cstdlib>
#include <optional>

#include "core/notation/price_balance.h"
#include "core/protocol/market_type.h"
#include "core/protocol/single_reply.h"
#include "wire/field_reader.h"
#include "wire/ole_date.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

constexpr std::size_t kFieldCapacity = FieldReader::kMaxFieldBytes + 1;

void read_text(FieldReader& r, std::string& out) { r.next(out, kFieldCapacity); }

void read_date_time(FieldReader& r, std::string& date, std::string& time) {
  const double stamp = r.decimal();
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

MatchRecord read_match_line(FieldReader& r, int match_number) {
  MatchRecord m;
  m.match_number = match_number;
  m.line_kind = r.integer();
  read_text(r, m.league);
  read_date_time(r, m.kick_off_date, m.kick_off_time);
  read_date_time(r, m.second_date, m.second_time);
  read_text(r, m.home_team);
  read_text(r, m.away_team);
  m.closed_value = r.integer();
  m.neutral_venue = m.closed_value != 0;
  m.in_play = r.integer() != 0;
  return m;
}

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
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = r.integer();
    if (number != current_match) {
      matches.push_back(read_match_line(r, number));
      current_match = number;
      pending.clear();
      continue;
    }
    OddsLine line;
    line.match_number = number;
    line.market_type = r.integer();
    line.third = r.integer();
    line.selection_number = r.integer();
    line.line_code = r.integer();
    line.price = r.decimal();
    line.price_sum_target = r.integer();
    line.extra1 = r.integer();
    line.extra2 = r.integer();
    line.extra3 = r.integer();
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
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = r.integer();
    if (number != current_match) {
      current_match = number;
      match = AsianHandicapRow{};
      match.match_number = number;
      match.line_kind = r.integer();
      read_text(r, match.league);
      read_date_time(r, match.kick_off_date, match.kick_off_time);
      (void)r.decimal();  // the second time stamp: not shown in this hall
      read_text(r, match.home_team);
      read_text(r, match.away_team);
      match.neutral_venue = r.integer();
      match.in_play = r.integer();
      continue;
    }
    const int market_type = r.integer();
    (void)r.integer();
    const int selection = r.integer();
    const int code = r.integer();
    const double price = r.decimal();
    const int target = r.integer();

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
    OutrightEntry e;
    e.event_number = r.integer();
    e.market_type = r.integer();
    e.third = r.integer();
    e.line_code = r.integer();
    e.price = r.decimal();
    e.price_sum_target = r.integer();
    read_text(r, e.selection_name);
    const bool first_side = e.line_code >= 1;
    if (first_side) {
      e.extra1 = r.integer();
      e.extra2 = r.integer();
    }
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
    OddsLine line;
    line.match_number = r.integer();
    line.market_type = r.integer();
    line.selection_number = r.integer();
    line.line_code = r.integer();
    line.price = r.decimal();
    line.price_sum_target = r.integer();
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
    MatchRecord m;
    m.match_number = r.integer();
    read_text(r, m.league);
    read_date_time(r, m.kick_off_date, m.kick_off_time);
    read_date_time(r, m.second_date, m.second_time);
    read_text(r, m.home_team);
    read_text(r, m.away_team);
    m.neutral_venue = r.integer() != 0;
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
    SuggestedPriceRow row;
    row.option_code = r.integer();
    row.second = r.integer();
    row.price = r.decimal();
    rows.push_back(row);
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
    const int number = r.integer();
    if (number != current_match) {
      current_match = number;
      match = BankerMarketGroup{};
      match.match_number = number;
      read_date_time(r, match.kick_off_date, match.kick_off_time);
      read_date_time(r, match.second_date, match.second_time);
      read_text(r, match.league);
      read_text(r, match.home_team);
      read_text(r, match.away_team);
      group = nullptr;
      continue;
    }
    BankerMarketRow row;
    row.match_number = number;
    row.offer_group_key = r.integer();
    row.unused = r.integer();
    row.offer_id = r.integer();
    row.choice_code = r.integer();
    row.banker_stake = r.decimal();
    row.price = r.decimal();
    row.amount_taken = r.decimal();
    read_text(r, row.banker_nickname);
    row.currency_code = r.integer();
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
  FieldReader& r = reply.fields();
  InPlayLine fresh;
  fresh.closed = r.integer();
  fresh.first_selection = r.integer();
  fresh.first_line_code = r.integer();
  fresh.first_price = r.decimal();
  fresh.second_selection = r.integer();
  fresh.second_line_code = r.integer();
  fresh.second_price = r.decimal();
  fresh.price_sum_target = r.integer();
  fresh.home_score = r.integer();
  fresh.away_score = r.integer();
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

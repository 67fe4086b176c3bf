#include "core/protocol/bet_record_parsers.h"

#include <optional>
#include <utility>

#include "core/protocol/selection_text.h"
#include "wire/field_reader.h"
#include "wire/ole_date.h"
#include "wire/records/bet_records.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

std::string time_stamp(double ole) { return wire::ole_date_time_text(ole); }

// The header of a record reply; the list is emptied only once the header says success.
template <typename Record>
std::optional<Outcome> open_list(ListRows& reply, std::string* header_text, std::vector<Record>& records) {
  if (!reply.success()) return reply.failure();
  if (header_text) *header_text = records::read<records::RecordsHeader>(reply.header()).summary;
  records.clear();
  return std::nullopt;
}

// The number every line of a grouped list starts with: a new one starts a group line.
int leading_number(const FieldReader& row) {
  FieldReader peek = row;
  return peek.integer();
}

// The fields a single bet's line carries in both its shapes; the texts are taken out of the line.
template <typename Line>
SingleBetRecord single_bet(Line& l) {
  SingleBetRecord b;
  b.serial_number = l.serial_number;
  b.leg_count = l.leg_count;
  b.stake = l.stake;
  b.fourth = l.fourth;
  b.bet_time = time_stamp(l.bet_time);
  b.bet_place = std::move(l.bet_place);
  b.text = std::move(l.text);
  b.choice = l.choice;
  b.league = std::move(l.league);
  b.home_team = std::move(l.home_team);
  b.away_team = std::move(l.away_team);
  b.home_score = l.home_score;
  b.away_score = l.away_score;
  b.market_type = l.market_type;
  b.line_code = l.line_code;
  b.price = l.price;
  b.status = l.status;
  return b;
}

void finish_single_bet(SingleBetRecord& b) {
  b.market_name = market_name(b.market_type);
  b.selection_text = selection_text(b.market_type, b.line_code, b.choice, b.home_team, b.away_team,
                                    b.home_score, b.away_score);
}

}  // namespace

Outcome parse_unsettled_single_bets(std::span<const std::string> lines,
                                    std::vector<SingleBetRecord>& records) {
  ListRows reply(lines);
  if (auto failed = open_list(reply, nullptr, records)) return *failed;
  records.reserve(reply.size());
  records::UnsettledSingleBetLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    SingleBetRecord b = single_bet(line);
    finish_single_bet(b);
    records.push_back(std::move(b));
  }
  return reply.message();
}

Outcome parse_settled_single_bets(std::span<const std::string> lines, std::string& header_text,
                                  std::vector<SingleBetRecord>& records) {
  ListRows reply(lines);
  if (auto failed = open_list(reply, &header_text, records)) return *failed;
  records.reserve(reply.size());
  records::SettledSingleBetLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    SingleBetRecord b = single_bet(line);
    b.settlement_time = time_stamp(line.settlement_time);
    b.win_loss = line.win_loss;
    b.final_score = std::move(line.final_score);
    finish_single_bet(b);
    records.push_back(std::move(b));
  }
  return reply.message();
}

namespace {

BankerBetRecord banker_bet(records::UnsettledBankerBetLine&& l) {
  BankerBetRecord b;
  b.market_type = l.market_type;
  b.home_team = std::move(l.home_team);
  b.away_team = std::move(l.away_team);
  b.line_code = l.line_code;
  b.price = l.price;
  b.stake = l.stake;
  b.bet_time = time_stamp(l.bet_time);
  b.banker_name = std::move(l.banker_name);
  b.serial_number = std::move(l.serial_number);
  return b;
}

BankerBetRecord banker_bet(records::SettledBankerBetLine&& l) {
  BankerBetRecord b;
  b.market_type = l.market_type;
  b.home_team = std::move(l.home_team);
  b.away_team = std::move(l.away_team);
  b.final_score = std::move(l.final_score);
  b.line_code = l.line_code;
  b.price = l.price;
  b.stake = l.stake;
  b.bet_time = time_stamp(l.bet_time);
  b.banker_name = std::move(l.banker_name);
  b.settlement_time = time_stamp(l.settlement_time);
  b.win_loss = l.win_loss;
  b.serial_number = std::move(l.serial_number);
  b.status = l.status;
  return b;
}

template <typename Line>
Outcome parse_banker_bets(std::span<const std::string> lines, std::string& header_text,
                          std::vector<BankerBetRecord>& records) {
  ListRows reply(lines);
  if (auto failed = open_list(reply, &header_text, records)) return *failed;
  Line line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    BankerBetRecord b = banker_bet(std::move(line));
    b.market_name = market_name(b.market_type);
    b.choice_text = choice_text(b.market_type, b.line_code, 0);
    records.push_back(std::move(b));
  }
  return reply.message();
}

OpenedMarketRecord opened_market(records::OpenedMarketLine&& l) {
  OpenedMarketRecord m;
  m.open_market_number = l.open_market_number;
  m.market_type = l.market_type;
  m.home_team = std::move(l.home_team);
  m.away_team = std::move(l.away_team);
  m.banker_stake = l.banker_stake;
  m.open_time = time_stamp(l.open_time);
  m.cancelled_amount = l.cancelled_amount;
  return m;
}

OpenedMarketRecord opened_market(records::SettledOpenedMarketLine&& l) {
  OpenedMarketRecord m;
  m.open_market_number = l.open_market_number;
  m.market_type = l.market_type;
  m.home_team = std::move(l.home_team);
  m.away_team = std::move(l.away_team);
  m.final_score = std::move(l.final_score);
  m.banker_stake = l.banker_stake;
  m.open_time = time_stamp(l.open_time);
  m.cancelled_amount = l.cancelled_amount;
  return m;
}

void take_bet(const records::OpenedMarketBetLine& l, OpenedMarketRecord& bet) {
  bet.line_code = l.line_code;
  bet.amount1 = l.amount1;
  bet.amount2 = l.amount2;
}

void take_bet(const records::SettledOpenedMarketBetLine& l, OpenedMarketRecord& bet) {
  bet.line_code = l.line_code;
  bet.amount1 = l.amount1;
  bet.amount2 = l.amount2;
  bet.bet_time = time_stamp(l.bet_time);
  bet.banker_win_loss = l.banker_win_loss;
  bet.amount3 = l.amount3;
}

template <typename MarketLine, typename BetLine>
Outcome parse_opened_markets(std::span<const std::string> lines, std::string& header_text,
                             std::vector<OpenedMarketRecord>& records) {
  ListRows reply(lines);
  if (auto failed = open_list(reply, &header_text, records)) return *failed;
  int current = 0;
  bool have_market = false;
  OpenedMarketRecord market;  // the current market line's fields
  MarketLine market_line;
  BetLine bet_line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = leading_number(r);
    if (!have_market || number != current) {
      have_market = true;
      current = number;
      records::read(r, market_line);
      market = opened_market(std::move(market_line));
      market.market_name = market_name(market.market_type);
      continue;
    }
    records::read(r, bet_line);
    OpenedMarketRecord bet = market;
    take_bet(bet_line, bet);
    bet.choice_text = choice_text(bet.market_type, bet.line_code, 0);
    records.push_back(std::move(bet));
  }
  return reply.message();
}

}  // namespace

Outcome parse_unsettled_banker_bets(std::span<const std::string> lines, std::string& header_text,
                                    std::vector<BankerBetRecord>& records) {
  return parse_banker_bets<records::UnsettledBankerBetLine>(lines, header_text, records);
}

Outcome parse_settled_banker_bets(std::span<const std::string> lines, std::string& header_text,
                                  std::vector<BankerBetRecord>& records) {
  return parse_banker_bets<records::SettledBankerBetLine>(lines, header_text, records);
}

Outcome parse_unsettled_opened_markets(std::span<const std::string> lines, std::string& header_text,
                                       std::vector<OpenedMarketRecord>& records) {
  return parse_opened_markets<records::OpenedMarketLine, records::OpenedMarketBetLine>(lines, header_text,
                                                                                       records);
}

Outcome parse_settled_opened_markets(std::span<const std::string> lines, std::string& header_text,
                                     std::vector<OpenedMarketRecord>& records) {
  return parse_opened_markets<records::SettledOpenedMarketLine, records::SettledOpenedMarketBetLine>(
      lines, header_text, records);
}

namespace {

void take_group(records::BetGroupLine&& l, GroupedBetRecord& g) {
  g.group_number = l.group_number;
  g.leg_count = l.leg_count;
  g.stake = l.stake;
  g.combination_mask = l.combination_mask;
  g.bet_time = time_stamp(l.bet_time);
  g.bet_place = std::move(l.bet_place);
}

void take_group(records::SettledBetGroupLine&& l, GroupedBetRecord& g) {
  take_group(records::BetGroupLine{l.group_number, l.leg_count, l.stake, l.combination_mask, l.bet_time,
                                   std::move(l.bet_place)},
             g);
  g.settlement_time = time_stamp(l.settlement_time);
  g.win_loss = l.win_loss;
  g.status = l.status;
}

// The fields every leg line starts with.
template <typename Leg>
void take_leg(Leg&& l, GroupedBetRecord& g) {
  g.leg_text = std::move(l.leg_text);
  g.choice = l.choice;
  g.league = std::move(l.league);
  g.home_team = std::move(l.home_team);
  g.away_team = std::move(l.away_team);
  g.home_score = l.home_score;
  g.away_score = l.away_score;
  g.market_type = l.market_type;
  g.line_code = l.line_code;
  g.price = l.price;
}

void read_leg(FieldReader& r, GroupedKind kind, GroupedBetRecord& leg) {
  if (kind == GroupedKind::kSettledParlay) {
    auto l = records::read<records::SettledParlayLegLine>(r);
    leg.extra_text1 = l.leg_result;
    leg.leg_result = std::move(l.leg_result);
    take_leg(std::move(l), leg);
  } else if (kind == GroupedKind::kSettledOutright) {
    auto l = records::read<records::SettledOutrightLegLine>(r);
    leg.extra_text1 = std::move(l.extra_text1);
    leg.extra_text2 = std::move(l.extra_text2);
    leg.leg_result = std::move(l.leg_result);
    take_leg(std::move(l), leg);
  } else {
    take_leg(records::read<records::BetLegLine>(r), leg);
  }
}

}  // namespace

Outcome parse_grouped_bets(std::span<const std::string> lines, GroupedKind kind, std::string& header_text,
                           std::vector<GroupedBetRecord>& records) {
  const bool settled = kind == GroupedKind::kSettledParlay || kind == GroupedKind::kSettledOutright;
  const ScoreSuffix suffix = settled ? ScoreSuffix::kInPlayKinds : ScoreSuffix::kInPlayAsianHandicapOnly;
  ListRows reply(lines);
  if (auto failed = open_list(reply, &header_text, records)) return *failed;
  int current = 0;
  bool have_group = false;
  GroupedBetRecord group;  // the current group line's fields
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = leading_number(r);
    // The first data line always opens a group, whatever its number.
    if (!have_group || number != current) {
      have_group = true;
      current = number;
      group = GroupedBetRecord{};
      if (settled) {
        take_group(records::read<records::SettledBetGroupLine>(r), group);
      } else {
        take_group(records::read<records::BetGroupLine>(r), group);
      }
      continue;
    }
    GroupedBetRecord leg = group;
    read_leg(r, kind, leg);
    leg.market_name = market_name(leg.market_type);
    leg.selection_text = selection_text(leg.market_type, leg.line_code, leg.choice, leg.home_team,
                                        leg.away_team, leg.home_score, leg.away_score, suffix);
    records.push_back(std::move(leg));
  }
  return reply.message();
}

Outcome parse_statement(std::span<const std::string> lines, std::vector<StatementEntry>& entries) {
  ListRows reply(lines);
  if (auto failed = open_list(reply, nullptr, entries)) return *failed;
  entries.reserve(reply.size());
  records::StatementLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    entries.push_back({time_stamp(line.time), line.transaction_type, line.amount, std::move(line.content),
                       line.balance_before});
  }
  return reply.message();
}

}  // namespace brindle::protocol

#include "core/protocol/bet_record_parsers.h"

#include <optional>

#include "core/protocol/selection_text.h"
#include "wire/field_reader.h"
#include "wire/ole_date.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

constexpr std::size_t kFieldCapacity = FieldReader::kMaxFieldBytes + 1;

std::string text(FieldReader& r) {
  std::string out;
  r.next(out, kFieldCapacity);
  return out;
}

std::string time_stamp(FieldReader& r) { return wire::ole_date_time_text(r.decimal()); }

// The header of a record reply; the list is emptied only once the header says success.
template <typename Record>
std::optional<Outcome> open_list(ListRows& reply, std::string* header_text, std::vector<Record>& records) {
  if (!reply.success()) return reply.failure();
  if (header_text) *header_text = text(reply.header());
  records.clear();
  return std::nullopt;
}

void read_bet_subject(FieldReader& r, SingleBetRecord& b) {
  b.choice = r.integer();
  b.league = text(r);
  b.home_team = text(r);
  b.away_team = text(r);
  b.home_score = r.integer();
  b.away_score = r.integer();
  b.market_type = r.integer();
  b.line_code = r.integer();
  b.price = r.decimal();
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
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    SingleBetRecord b;
    b.serial_number = r.integer();
    b.leg_count = r.integer();
    b.stake = r.decimal();
    b.fourth = r.integer();
    b.bet_time = time_stamp(r);
    b.bet_place = text(r);
    b.text = text(r);
    read_bet_subject(r, b);
    b.status = r.integer();
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
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    SingleBetRecord b;
    b.serial_number = r.integer();
    b.leg_count = r.integer();
    b.stake = r.decimal();
    b.fourth = r.integer();
    b.bet_time = time_stamp(r);
    b.bet_place = text(r);
    b.settlement_time = time_stamp(r);
    b.win_loss = r.decimal();
    b.status = r.integer();
    b.text = text(r);
    read_bet_subject(r, b);
    b.final_score = text(r);
    finish_single_bet(b);
    records.push_back(std::move(b));
  }
  return reply.message();
}

namespace {

Outcome parse_banker_bets(std::span<const std::string> lines, bool settled, std::string& header_text,
                          std::vector<BankerBetRecord>& records) {
  ListRows reply(lines);
  if (auto failed = open_list(reply, &header_text, records)) return *failed;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    BankerBetRecord b;
    b.market_type = r.integer();
    (void)text(r);
    b.home_team = text(r);
    b.away_team = text(r);
    if (settled) b.final_score = text(r);
    b.line_code = r.integer();
    b.price = r.decimal();
    b.stake = r.decimal();
    b.bet_time = time_stamp(r);
    b.banker_name = text(r);
    if (settled) {
      b.settlement_time = time_stamp(r);
      b.win_loss = r.decimal();
    }
    b.serial_number = text(r);
    if (settled) b.status = r.integer();
    b.market_name = market_name(b.market_type);
    b.choice_text = choice_text(b.market_type, b.line_code, 0);
    records.push_back(std::move(b));
  }
  return reply.message();
}

Outcome parse_opened_markets(std::span<const std::string> lines, bool settled, std::string& header_text,
                             std::vector<OpenedMarketRecord>& records) {
  ListRows reply(lines);
  if (auto failed = open_list(reply, &header_text, records)) return *failed;
  int current = 0;
  bool have_market = false;
  OpenedMarketRecord market;  // the current market line's fields
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    const int number = r.integer();
    if (!have_market || number != current) {
      have_market = true;
      current = number;
      market = OpenedMarketRecord{};
      market.open_market_number = number;
      market.market_type = r.integer();
      (void)text(r);
      market.home_team = text(r);
      market.away_team = text(r);
      if (settled) market.final_score = text(r);
      market.banker_stake = r.decimal();
      market.open_time = time_stamp(r);
      market.cancelled_amount = r.decimal();
      market.market_name = market_name(market.market_type);
      continue;
    }
    OpenedMarketRecord bet = market;
    bet.line_code = r.integer();
    bet.amount1 = r.decimal();
    bet.amount2 = r.decimal();
    if (settled) {
      bet.bet_time = time_stamp(r);
      bet.banker_win_loss = r.decimal();
      bet.amount3 = r.decimal();
    }
    bet.choice_text = choice_text(bet.market_type, bet.line_code, 0);
    records.push_back(std::move(bet));
  }
  return reply.message();
}

}  // namespace

Outcome parse_unsettled_banker_bets(std::span<const std::string> lines, std::string& header_text,
                                    std::vector<BankerBetRecord>& records) {
  return parse_banker_bets(lines, false, header_text, records);
}

Outcome parse_settled_banker_bets(std::span<const std::string> lines, std::string& header_text,
                                  std::vector<BankerBetRecord>& records) {
  return parse_banker_bets(lines, true, header_text, records);
}

Outcome parse_unsettled_opened_markets(std::span<const std::string> lines, std::string& header_text,
                                       std::vector<OpenedMarketRecord>& records) {
  return parse_opened_markets(lines, false, header_text, records);
}

Outcome parse_settled_opened_markets(std::span<const std::string> lines, std::string& header_text,
                                     std::vector<OpenedMarketRecord>& records) {
  return parse_opened_markets(lines, true, header_text, records);
}

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
    const int number = r.integer();
    // The first data line always opens a group, whatever its number.
    if (!have_group || number != current) {
      have_group = true;
      current = number;
      group = GroupedBetRecord{};
      group.group_number = number;
      group.leg_count = r.integer();
      group.stake = r.decimal();
      group.combination_mask = r.integer();
      group.bet_time = time_stamp(r);
      group.bet_place = text(r);
      if (settled) {
        group.settlement_time = time_stamp(r);
        group.win_loss = r.decimal();
        group.status = r.integer();
      }
      continue;
    }
    GroupedBetRecord leg = group;
    leg.leg_text = text(r);
    leg.choice = r.integer();
    leg.league = text(r);
    leg.home_team = text(r);
    leg.away_team = text(r);
    leg.home_score = r.integer();
    leg.away_score = r.integer();
    leg.market_type = r.integer();
    leg.line_code = r.integer();
    leg.price = r.decimal();
    if (kind == GroupedKind::kSettledParlay) {
      leg.extra_text1 = text(r);
      leg.leg_result = leg.extra_text1;
    } else if (kind == GroupedKind::kSettledOutright) {
      leg.extra_text1 = text(r);
      leg.extra_text2 = text(r);
      leg.leg_result = text(r);
    }
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
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    StatementEntry e;
    e.time = time_stamp(r);
    e.transaction_type = r.integer();
    e.amount = r.decimal();
    e.content = text(r);
    e.balance_before = r.decimal();
    entries.push_back(std::move(e));
  }
  return reply.message();
}

}  // namespace brindle::protocol

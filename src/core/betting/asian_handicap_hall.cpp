#include "core/betting/asian_handicap_hall.h"

#include "core/net/client_context.h"
#include "core/notation/handicap_notation.h"
#include "core/ports/hall_windows_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "core/protocol/market_parsers.h"
#include "core/protocol/market_type.h"
#include "core/protocol/match_information.h"
#include "core/protocol/session.h"
#include "core/protocol/subject_table.h"

namespace brindle::betting {

std::string marked_home_team(const protocol::AsianHandicapRow& row) {
  return row.home_team + (row.neutral_venue == 1 ? kNeutralVenueMark : kHomeMark);
}

std::string giving_team_text(const protocol::AsianHandicapRow& row) {
  return row.away_gives ? row.away_team : marked_home_team(row);
}

std::string other_team_text(const protocol::AsianHandicapRow& row) {
  return row.away_gives ? marked_home_team(row) : row.away_team;
}

const std::vector<HallColumn>& AsianHandicapHall::columns() const {
  static const std::vector<HallColumn> kColumns{
      {"", {0, 0, 0}},
      {"时间", {110, 80, 100}},
      {"上盘球队(名)", {180, 120, 170}},
      {"赔率", {65, 48, 85}},
      {"投上盘", {70, 60, 80}, CellKind::kBetButton, true},
      {"让球(分)", {100, 83, 100}},
      {"下盘球队(名)", {180, 120, 170}},
      {"赔率", {65, 48, 75}},
      {"投下盘", {70, 60, 60}, CellKind::kBetButton, true},
      {"历史", {70, 60, 60}, CellKind::kHistoryButton},
      {"走势", {70, 60, 60}, CellKind::kTrendButton},
  };
  return kColumns;
}

std::string AsianHandicapHall::cell_text(std::size_t line, int column) const {
  if (line >= rows_.size()) return {};
  const protocol::AsianHandicapRow& row = rows_[line];
  switch (column) {
    case kKey:
      return std::to_string(row.match_number);
    case kTime:
      return row.in_play != 0 ? row.kick_off_time + kInPlayMark : row.kick_off_time;
    case kGivingTeam:
      return giving_team_text(row);
    case kGivingOdds:
      return odds_text(row.away_gives ? row.away_price : row.home_price);
    case kHandicap:
      return notation::handicap_name(row.line_kind, row.size_code);
    case kOtherTeam:
      return other_team_text(row);
    case kOtherOdds:
      return odds_text(row.away_gives ? row.home_price : row.away_price);
    default:
      return {};
  }
}

AsianHandicapTicketLine AsianHandicapHall::ticket_line(std::size_t line) const {
  return {rows_.at(line),
          line,
          cell_text(line, kGivingTeam),
          cell_text(line, kOtherTeam),
          cell_text(line, kGivingOdds),
          cell_text(line, kOtherOdds)};
}

protocol::Outcome AsianHandicapHall::fetch(bool filtered) {
  fetched_.clear();
  protocol::Session& session = services().session;
  if (filtered) return protocol::fetch_asian_handicap_list(session, fetched_);
  // The full list whatever league the client-wide filter names: the timed refresh shows them all.
  auto sent = protocol::send_subject(session, protocol::kMarketListSubject,
                                     std::to_string(protocol::kTypeAsianHandicap) + "|" +
                                         std::to_string(session.context.context_number1) + "|" +
                                         std::to_string(session.context.context_number2),
                                     protocol::kReadingMarketsText);
  if (!sent) return protocol::Outcome::failure(sent.error());
  return protocol::parse_asian_handicap_list(sent->reply_lines(), session.context.peak_period, fetched_);
}

std::string AsianHandicapHall::group_key(std::size_t line) const {
  return hall_group_key(rows_[line].kick_off_date, rows_[line].league);
}

void AsianHandicapHall::bet_click(std::size_t line, int column) {
  HallServices& s = services();
  TicketServices ticket{s.session, s.messages, s.stake_window, s.bet_confirmation, s.frame};
  run_asian_handicap_ticket(
      ticket, ticket_line(line),
      column == kBetGiving ? notation::HandicapSide::kGiving : notation::HandicapSide::kReceiving);
}

// Both windows run their own event loops, under which a timed refresh replaces rows_: what they
// need is copied out of the row before anything is sent or shown.
void AsianHandicapHall::history_click(std::size_t line) {
  if (line >= rows_.size()) return;
  const protocol::AsianHandicapRow row = rows_[line];
  services().windows.open_match_history(row.match_number, row.home_team, row.away_team, row.line_kind);
}

void AsianHandicapHall::trend_click(std::size_t line) {
  if (line >= rows_.size()) return;
  const protocol::AsianHandicapRow row = rows_[line];
  ports::OddsTrend trend;
  trend.team = row.away_gives ? row.away_team : row.home_team;
  trend.shown_away = row.away_gives;
  trend.line_kind = row.line_kind;
  trend.price_sum_target = row.price_sum_target;
  // A failed request still opens the window, with an empty chart and the request's message.
  if (const auto fetched =
          protocol::fetch_odds_trend(services().session, row.match_number, row.away_gives, trend.points);
      !fetched) {
    trend.points.clear();
    trend.error = fetched.error();
  }
  services().windows.open_odds_trend(trend);
}

std::optional<std::pair<int, double>> AsianHandicapHall::cell_price(std::size_t line, int column) const {
  if (line >= rows_.size() || (column != kGivingOdds && column != kOtherOdds)) return std::nullopt;
  const auto chosen =
      protocol::selection_of_column(rows_[line], column == kGivingOdds ? notation::HandicapSide::kGiving
                                                                       : notation::HandicapSide::kReceiving);
  return std::pair{chosen.selection_number, chosen.price};
}

std::string AsianHandicapHall::public_location() const { return " 您现在的位置：亚洲让球盘 — 公共房间"; }
std::string AsianHandicapHall::private_location_prefix() const {
  return " 您现在的位置：亚洲让球盘私人房间 — ";
}

}  // namespace brindle::betting

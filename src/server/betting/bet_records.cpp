#include "server/betting/bet_records.h"

#include <string_view>

#include "server/betting/settlement.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"
#include "wire/records/bet_records.h"

namespace brindle::server::betting {
namespace {

using storage::Connection;
using storage::money_text;

constexpr std::string_view kPublicRoomText = "公共大厅";

std::string place_text(std::int64_t room) {
  return room == 0 ? std::string(kPublicRoomText) : "房间" + std::to_string(room);
}

double ole(std::int64_t unix_seconds) { return storage::ole_from_unix(unix_seconds); }
double money(Cents cents) { return static_cast<double>(cents) / 100.0; }
double price(std::int64_t price_milli) { return static_cast<double>(price_milli) / 1000.0; }
int whole(std::int64_t value) { return static_cast<int>(value); }

// Columns shared by every query below, in this order.
constexpr std::string_view kBetColumns =
    "b.id, b.legs, b.stake, b.room, b.placed_at, b.status, COALESCE(b.settled_at, b.placed_at),"
    " COALESCE(b.returned, b.stake), b.unit_stake, b.mask";
constexpr std::string_view kLegColumns =
    "l.line_code, l.league, l.home, l.away, l.score_home, l.score_away, l.market_type, l.price_milli,"
    " COALESCE(l.final_score, ''), l.outcome";

struct BetRow {
  std::int64_t id, legs, stake, room, placed_at, status, settled_at, returned, unit_stake, mask;
};

BetRow read_bet(const storage::Statement& s) {
  return {s.column_int64(0), s.column_int64(1), s.column_int64(2), s.column_int64(3), s.column_int64(4),
          s.column_int64(5), s.column_int64(6), s.column_int64(7), s.column_int64(8), s.column_int64(9)};
}

// A grouped record's leg line; columns from `first`. The bet's line code stands for the choice too.
records::BetLegLine leg_line(const BetRow& bet, const storage::Statement& s, int first) {
  return {whole(bet.id),
          "",
          whole(s.column_int64(first)),
          s.column_text(first + 1),
          s.column_text(first + 2),
          s.column_text(first + 3),
          whole(s.column_int64(first + 4)),
          whole(s.column_int64(first + 5)),
          whole(s.column_int64(first + 6)),
          whole(s.column_int64(first + 0)),
          price(s.column_int64(first + 7))};
}

// A refused bet returned its whole stake and reads as cancelled.
int wire_settled_status(std::int64_t status) {
  return status == static_cast<int>(BetStatus::refused) ? 1 : 0;
}

}  // namespace

std::string_view outcome_name(int outcome) {
  switch (static_cast<Outcome>(outcome)) {
    case Outcome::kWin:
      return "赢";
    case Outcome::kHalfWin:
      return "赢一半";
    case Outcome::kPush:
      return "平";
    case Outcome::kHalfLose:
      return "输一半";
    case Outcome::kLose:
      return "输";
    case Outcome::kCancelled:
      return "取消";
  }
  return "";
}

Result<RecordLines> unsettled_singles(Connection& connection, accounts::AccountId account) {
  auto s = connection.prepare("SELECT " + std::string(kBetColumns) + ", " + std::string(kLegColumns) +
                              " FROM bets b JOIN bet_legs l ON l.bet_id = b.id"
                              " WHERE b.account_id = ?1 AND b.kind = 0 AND b.status IN (0, 2) ORDER BY b.id");
  if (!s) return Result<RecordLines>::failure(s.error());
  s->bind(1, account);
  RecordLines out;
  Cents total = 0;
  for (;;) {
    auto row = s->step();
    if (!row) return Result<RecordLines>::failure(row.error());
    if (!row.value()) break;
    const BetRow bet = read_bet(s.value());
    total += bet.stake;
    out.lines.push_back(records::to_fields(records::UnsettledSingleBetLine{
        whole(bet.id), whole(bet.legs), money(bet.stake), whole(bet.room), ole(bet.placed_at),
        place_text(bet.room), "", whole(s->column_int64(10)), s->column_text(11), s->column_text(12),
        s->column_text(13), whole(s->column_int64(14)), whole(s->column_int64(15)),
        whole(s->column_int64(16)), whole(s->column_int64(10)), price(s->column_int64(17)),
        whole(bet.status)}));
  }
  out.summary = money_text(total);
  return out;
}

Result<RecordLines> settled_singles(Connection& connection, accounts::AccountId account, std::int64_t from,
                                    std::int64_t to) {
  auto s = connection.prepare("SELECT " + std::string(kBetColumns) + ", " + std::string(kLegColumns) +
                              " FROM bets b JOIN bet_legs l ON l.bet_id = b.id"
                              " WHERE b.account_id = ?1 AND b.kind = 0 AND b.status IN (1, 4)"
                              " AND COALESCE(b.settled_at, b.placed_at) BETWEEN ?2 AND ?3 ORDER BY b.id");
  if (!s) return Result<RecordLines>::failure(s.error());
  s->bind(1, account).bind(2, from).bind(3, to);
  RecordLines out;
  Cents total = 0;
  for (;;) {
    auto row = s->step();
    if (!row) return Result<RecordLines>::failure(row.error());
    if (!row.value()) break;
    const BetRow bet = read_bet(s.value());
    const Cents result = bet.returned - bet.stake;
    total += result;
    out.lines.push_back(records::to_fields(records::SettledSingleBetLine{whole(bet.id),
                                                                         whole(bet.legs),
                                                                         money(bet.stake),
                                                                         whole(bet.room),
                                                                         ole(bet.placed_at),
                                                                         place_text(bet.room),
                                                                         ole(bet.settled_at),
                                                                         money(result),
                                                                         wire_settled_status(bet.status),
                                                                         "",
                                                                         whole(s->column_int64(10)),
                                                                         s->column_text(11),
                                                                         s->column_text(12),
                                                                         s->column_text(13),
                                                                         whole(s->column_int64(14)),
                                                                         whole(s->column_int64(15)),
                                                                         whole(s->column_int64(16)),
                                                                         whole(s->column_int64(10)),
                                                                         price(s->column_int64(17)),
                                                                         s->column_text(18)}));
  }
  out.summary = money_text(total);
  return out;
}

Result<RecordLines> grouped_records(Connection& connection, accounts::AccountId account, BetKind kind,
                                    bool settled, std::int64_t from, std::int64_t to) {
  std::string sql = "SELECT " + std::string(kBetColumns) + ", " + std::string(kLegColumns) +
                    " FROM bets b JOIN bet_legs l ON l.bet_id = b.id WHERE b.account_id = ?1 AND b.kind = ?2";
  sql += settled ? " AND b.status IN (1, 4) AND COALESCE(b.settled_at, b.placed_at) BETWEEN ?3 AND ?4"
                 : " AND b.status IN (0, 2) AND CAST(?3 AS BIGINT) <= CAST(?4 AS BIGINT)";
  sql += " ORDER BY b.id, l.position";
  auto s = connection.prepare(sql);
  if (!s) return Result<RecordLines>::failure(s.error());
  s->bind(1, account).bind(2, static_cast<int>(kind)).bind(3, from).bind(4, to);
  RecordLines out;
  Cents total = 0;
  std::int64_t current = -1;
  for (;;) {
    auto row = s->step();
    if (!row) return Result<RecordLines>::failure(row.error());
    if (!row.value()) break;
    const BetRow bet = read_bet(s.value());
    if (bet.id != current) {
      current = bet.id;
      const records::BetGroupLine group{whole(bet.id),   whole(bet.legs),    money(bet.unit_stake),
                                        whole(bet.mask), ole(bet.placed_at), place_text(bet.room)};
      if (settled) {
        const Cents result = bet.returned - bet.stake;
        total += result;
        out.lines.push_back(records::to_fields(records::SettledBetGroupLine{
            group.group_number, group.leg_count, group.stake, group.combination_mask, group.bet_time,
            group.bet_place, ole(bet.settled_at), money(result), wire_settled_status(bet.status)}));
      } else {
        total += bet.stake;
        out.lines.push_back(records::to_fields(group));
      }
    }
    records::BetLegLine leg = leg_line(bet, s.value(), 10);
    if (!settled) {
      out.lines.push_back(records::to_fields(leg));
      continue;
    }
    std::string result =
        s->column_is_null(19) ? "" : std::string(outcome_name(static_cast<int>(s->column_int64(19))));
    if (kind == BetKind::outright) {
      out.lines.push_back(records::to_fields(records::SettledOutrightLegLine{
          leg.group_number, leg.leg_text, leg.choice, leg.league, leg.home_team, leg.away_team,
          leg.home_score, leg.away_score, leg.market_type, leg.line_code, leg.price, s->column_text(18),
          s->column_text(13), std::move(result)}));
    } else {
      out.lines.push_back(records::to_fields(records::SettledParlayLegLine{
          leg.group_number, leg.leg_text, leg.choice, leg.league, leg.home_team, leg.away_team,
          leg.home_score, leg.away_score, leg.market_type, leg.line_code, leg.price, std::move(result)}));
    }
  }
  out.summary = money_text(total);
  return out;
}

}  // namespace brindle::server::betting

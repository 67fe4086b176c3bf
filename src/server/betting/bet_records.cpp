#include "server/betting/bet_records.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "server/betting/settlement.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"

namespace brindle::server::betting {
namespace {

using storage::Connection;
using storage::money_text;

constexpr std::string_view kPublicRoomText = "公共大厅";

std::string ole_text(std::int64_t unix_seconds) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, storage::ole_from_unix(unix_seconds),
                                       std::chars_format::fixed, 6);
  return ec == std::errc{} ? std::string(text, end) : std::string("0");
}

std::string place_text(std::int64_t room) {
  return room == 0 ? std::string(kPublicRoomText) : "房间" + std::to_string(room);
}

std::string number(std::int64_t value) { return std::to_string(value); }

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

// The eleven leg fields of a grouped record after its group number; columns from `first`.
RecordLine leg_fields(const BetRow& bet, const storage::Statement& s, int first) {
  return {number(bet.id),
          "",
          number(s.column_int64(first)),
          s.column_text(first + 1),
          s.column_text(first + 2),
          s.column_text(first + 3),
          number(s.column_int64(first + 4)),
          number(s.column_int64(first + 5)),
          number(s.column_int64(first + 6)),
          number(s.column_int64(first + 0)),
          price_text(s.column_int64(first + 7))};
}

// A refused bet returned its whole stake and reads as cancelled.
std::string wire_settled_status(std::int64_t status) {
  return status == static_cast<int>(BetStatus::refused) ? "1" : "0";
}

}  // namespace

std::string price_text(std::int64_t price_milli) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(price_milli / 1000),
                static_cast<long long>(price_milli % 1000));
  return text;
}

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
    out.lines.push_back({number(bet.id), number(bet.legs), money_text(bet.stake), number(bet.room),
                         ole_text(bet.placed_at), place_text(bet.room), "", number(s->column_int64(10)),
                         s->column_text(11), s->column_text(12), s->column_text(13),
                         number(s->column_int64(14)), number(s->column_int64(15)),
                         number(s->column_int64(16)), number(s->column_int64(10)),
                         price_text(s->column_int64(17)), number(bet.status)});
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
    out.lines.push_back({number(bet.id),
                         number(bet.legs),
                         money_text(bet.stake),
                         number(bet.room),
                         ole_text(bet.placed_at),
                         place_text(bet.room),
                         ole_text(bet.settled_at),
                         money_text(result),
                         wire_settled_status(bet.status),
                         "",
                         number(s->column_int64(10)),
                         s->column_text(11),
                         s->column_text(12),
                         s->column_text(13),
                         number(s->column_int64(14)),
                         number(s->column_int64(15)),
                         number(s->column_int64(16)),
                         number(s->column_int64(10)),
                         price_text(s->column_int64(17)),
                         s->column_text(18)});
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
      RecordLine group = {number(bet.id),   number(bet.legs),        money_text(bet.unit_stake),
                          number(bet.mask), ole_text(bet.placed_at), place_text(bet.room)};
      if (settled) {
        const Cents result = bet.returned - bet.stake;
        total += result;
        group.push_back(ole_text(bet.settled_at));
        group.push_back(money_text(result));
        group.push_back(wire_settled_status(bet.status));
      } else {
        total += bet.stake;
      }
      out.lines.push_back(std::move(group));
    }
    RecordLine leg = leg_fields(bet, s.value(), 10);
    if (settled) {
      const std::string result =
          s->column_is_null(19) ? "" : std::string(outcome_name(static_cast<int>(s->column_int64(19))));
      if (kind == BetKind::outright) {
        leg.push_back(s->column_text(18));
        leg.push_back(s->column_text(13));
      }
      leg.push_back(result);
    }
    out.lines.push_back(std::move(leg));
  }
  out.summary = money_text(total);
  return out;
}

}  // namespace brindle::server::betting
